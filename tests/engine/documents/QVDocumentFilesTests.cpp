// Document files: both forms read back what they wrote byte for byte, the
// version and type rules, saving only what changed, the save-as overwrite
// rule, a failed save that leaves the previous file alone, corrupt files
// refused without harm, and the numbered names of recordings and bounces.

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeHistory.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVAudioFormat.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

unsigned int sBinaryType = 0;
constexpr unsigned int kBinarySignature = 0x54424E59;  // 'TBNY'

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_EQ(QVLibEnv::Initialize(false), 0);
        // A binary type beside "Score", with the same folders under its root.
        QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
        QVDocumentTypeInfo info(types.CountDocumentTypes() + 1, AKString("TestBinary"), AKString("qvb"),
                                QVObjectFolderSequence::_ClassID(), QVObjectFolderCursor::_ClassID(),
                                QVObjectFolderTemp::_ClassID(), AKClassID());
        info.SetBinaryForm(kBinarySignature);
        types.RegisterDocumentTypeInfo(info);
        sBinaryType = types.CountDocumentTypes();
    }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

class TempDir
{
public:
    TempDir()
    {
        char pattern[] = "/tmp/orvel-docfiles-XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mRoot = made != nullptr ? made : "";
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    std::string At(std::string const& name) const { return mRoot + "/" + name; }

private:
    std::string mRoot;
};

Bytes ReadBytes(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(std::string const& path, Bytes const& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

AKDictionary Node(char const* classID, char const* name, std::vector<AKDictionary> const& subs = {})
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    if (name != nullptr)
        dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    if (!subs.empty()) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

// The XML file form of a document with two sequences (one holding a single
// player and two tracks), a multi-player and a temporary folder.
AKDictionary DocumentForm(char const* fileType, bool withVersion, unsigned long long version = 2)
{
    AKDictionary objects =
        Node("root", nullptr,
             {Node("foldSeq", nullptr,
                   {Node("sequenc", "Intro", {Node("atomic", "Lead"), Node("track", "Left"), Node("track", "Right")}),
                    Node("sequenc", "Coda")}),
              Node("foldCrs", nullptr, {Node("cursor", "Deck")}), Node("foldTmp", nullptr)});
    AKDictionary file;
    if (fileType != nullptr)
        file.SetValue("FileType", AKValueSetasAKString(AKString(fileType)));
    if (withVersion)
        file.SetValue("FileVers", AKValueSetasUInt(version));
    file.SetValue("Objects", AKValueSetasAKDictionary(objects));
    AKDictionary host;
    host.SetValue("Window", AKValueSetasAKString(AKString("10 20 300 400")));
    file.SetValue("GUI", AKValueSetasAKDictionary(host));
    return file;
}

void WriteXmlForm(std::string const& path, AKDictionary const& form)
{
    ASSERT_EQ(form.SaveToXmlFile(AKFilePath(path.c_str()), true), 0);
}

template <class T>
T* Nth(QVDocument const& document, unsigned int n)
{
    for (AKNode* node : document.GetTree()->GetNodes()) {
        AKObject* const object = node->GetObject();
        if (object != nullptr && object->IsKindOfT<T>() && n-- == 0)
            return static_cast<T*>(object);
    }
    return nullptr;
}

// Moves every kind of object away from its defaults.
void ChangeEverything(QVDocument& document)
{
    ASSERT_NE(Nth<QVObjectSequence>(document, 1), nullptr);
    ASSERT_NE(Nth<QVObjectAtomic>(document, 0), nullptr);
    ASSERT_NE(Nth<QVObjectCursor>(document, 0), nullptr);
    ASSERT_NE(Nth<QVObjectTrack>(document, 1), nullptr);
    Nth<QVObjectSequence>(document, 1)->SetUserVolume(-6.5);
    Nth<QVObjectSequence>(document, 1)->SetUserLoop(1);
    Nth<QVObjectAtomic>(document, 0)->SetUserPanora(0.25);
    Nth<QVObjectCursor>(document, 0)->SetUserMute(1);
    Nth<QVObjectTrack>(document, 1)->SetUserTrackVolume(-3.0);
    Nth<QVObjectTrack>(document, 1)->SetUserRouteOffset(2);
    document.GetHostSettings().SetValue("Window", AKValueSetasAKString(AKString("10 20 300 400")));
    document.SetModified(kQVDocumentModifiedStrong);
}

void ExpectEverythingChanged(QVDocument const& document)
{
    ASSERT_NE(Nth<QVObjectTrack>(document, 1), nullptr);
    EXPECT_DOUBLE_EQ(Nth<QVObjectSequence>(document, 1)->GetUserVolume(), -6.5);
    EXPECT_TRUE(Nth<QVObjectSequence>(document, 1)->IsUserLoop());
    EXPECT_DOUBLE_EQ(Nth<QVObjectAtomic>(document, 0)->GetUserPanora(), 0.25);
    EXPECT_TRUE(Nth<QVObjectCursor>(document, 0)->IsUserMute());
    EXPECT_DOUBLE_EQ(Nth<QVObjectTrack>(document, 1)->GetUserTrackVolume(), -3.0);
    EXPECT_EQ(Nth<QVObjectTrack>(document, 1)->GetUserRouteOffset(), 2u);
}

std::unique_ptr<QVDocument> NewDocument(unsigned int type)
{
    return std::make_unique<QVDocument>(type, kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo);
}

// A document of the type read from the XML form written to `xmlPath`.
std::unique_ptr<QVDocument> DocumentFromForm(unsigned int type, std::string const& xmlPath)
{
    auto document = NewDocument(type);
    char const* fileType = type == sBinaryType ? "TestBinary" : "Score";
    WriteXmlForm(xmlPath, DocumentForm(fileType, true));
    // The binary type reads the XML form as an import.
    int const status = type == sBinaryType ? document->OnDocumentImport(AKFilePath(xmlPath.c_str()), 0, nullptr)
                                           : document->OnDocumentOpen(AKFilePath(xmlPath.c_str()), 0, false);
    EXPECT_EQ(status, 0);
    return document;
}

class DocumentFilesTest : public ::testing::TestWithParam<bool>
{
protected:
    unsigned int Type() const { return GetParam() ? sBinaryType : 1; }
    std::string File(std::string const& stem) const { return mDir.At(stem + (GetParam() ? ".qvb" : ".qvd")); }
    TempDir mDir;
};

TEST_P(DocumentFilesTest, SaveOpenAndSaveAgainGiveTheSameBytes)
{
    auto first = DocumentFromForm(Type(), mDir.At("form.qvd"));
    ChangeEverything(*first);
    ASSERT_EQ(first->DoDocumentSaveAs(AKFilePath(File("one").c_str()), 0, nullptr), 0);
    EXPECT_FALSE(first->IsModified());
    EXPECT_TRUE(first->IsFileExists());
    EXPECT_EQ(first->GetDocumentName().StdString(), "one");

    auto second = NewDocument(Type());
    ASSERT_EQ(second->OnDocumentOpen(AKFilePath(File("one").c_str()), 0, false), 0);
    EXPECT_TRUE(second->IsInitialized());
    EXPECT_FALSE(second->IsModified());
    ExpectEverythingChanged(*second);
    EXPECT_EQ(second->GetHostSettings(), first->GetHostSettings());
    EXPECT_EQ(AKValueGetasAKString(second->GetHostSettings().GetValue("Window")).StdString(), "10 20 300 400");
    ASSERT_EQ(second->DoDocumentSaveAs(AKFilePath(File("two").c_str()), 0, nullptr), 0);

    Bytes const one = ReadBytes(File("one"));
    ASSERT_FALSE(one.empty());
    EXPECT_EQ(ReadBytes(File("two")), one);
}

TEST_P(DocumentFilesTest, SaveWritesOnlyWhatChanged)
{
    auto document = DocumentFromForm(Type(), mDir.At("form.qvd"));
    ASSERT_EQ(document->DoDocumentSaveAs(AKFilePath(File("doc").c_str()), 0, nullptr), 0);
    Bytes const marker = {'m', 'a', 'r', 'k'};
    WriteBytes(File("doc"), marker);

    ASSERT_EQ(document->DoDocumentSave(0, nullptr), 0);
    EXPECT_EQ(ReadBytes(File("doc")), marker) << "nothing changed: nothing written";
    document->SetModified(kQVDocumentModifiedWeak);
    ASSERT_EQ(document->DoDocumentSave(0, nullptr), 0);
    EXPECT_NE(ReadBytes(File("doc")), marker) << "a weak change is saved";
    EXPECT_EQ(document->GetModifiedLevel(), 0u);
}

TEST_P(DocumentFilesTest, SaveAsOverwritesOnlyWhenAsked)
{
    auto document = DocumentFromForm(Type(), mDir.At("form.qvd"));
    Bytes const existing = {'o', 'l', 'd'};
    WriteBytes(File("taken"), existing);
    EXPECT_EQ(document->DoDocumentSaveAs(AKFilePath(File("taken").c_str()), 0, nullptr),
              kQVErrorDocumentCantOverwriteExistingFile);
    EXPECT_EQ(ReadBytes(File("taken")), existing);
    EXPECT_EQ(document->DoDocumentSaveAs(AKFilePath(File("taken").c_str()), 0x4000, nullptr), 0);
    EXPECT_NE(ReadBytes(File("taken")), existing);

    // A new document and an open copy have no file to save to.
    auto fresh = NewDocument(Type());
    ASSERT_EQ(fresh->OnDocumentNew(AKString("New"), 0, false), 0);
    fresh->SetModified(kQVDocumentModifiedStrong);
    EXPECT_EQ(fresh->DoDocumentSave(0, nullptr), kQVErrorDocumentNoAssociatedFile);
    auto copy = NewDocument(Type());
    ASSERT_EQ(copy->OnDocumentOpen(AKFilePath(File("taken").c_str()), 0, true), 0);
    EXPECT_EQ(copy->GetDocumentName().StdString(), "taken");
    EXPECT_FALSE(copy->IsFileExists());
    copy->SetModified(kQVDocumentModifiedStrong);
    EXPECT_EQ(copy->DoDocumentSave(0, nullptr), kQVErrorDocumentNoAssociatedFile);
    // Opening twice is refused.
    EXPECT_EQ(copy->OnDocumentOpen(AKFilePath(File("taken").c_str()), 0, false), kQVErrorDocumentAlreadyInitialized);
}

TEST_P(DocumentFilesTest, FailedSaveLeavesThePreviousFileAndTheDocumentModified)
{
    std::filesystem::create_directory(mDir.At("show"));
    std::string const path = mDir.At("show/piece") + (GetParam() ? ".qvb" : ".qvd");
    auto document = DocumentFromForm(Type(), mDir.At("form.qvd"));
    ASSERT_EQ(document->DoDocumentSaveAs(AKFilePath(path.c_str()), 0, nullptr), 0);
    Bytes const saved = ReadBytes(path);

    // The file's folder becomes a file: the save cannot create its hidden file.
    std::filesystem::rename(mDir.At("show"), mDir.At("kept"));
    WriteBytes(mDir.At("show"), {'x'});
    ChangeEverything(*document);
    EXPECT_LT(document->DoDocumentSave(0, nullptr), 0);
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->GetDocumentFilePath(), AKFilePath(path.c_str()));
    EXPECT_EQ(ReadBytes(mDir.At("kept/piece") + (GetParam() ? ".qvb" : ".qvd")), saved);

    // The target is a folder: the rename fails, the folder and its file stay.
    std::filesystem::remove(mDir.At("show"));
    std::filesystem::create_directories(path);
    WriteBytes(path + "/inside", saved);
    EXPECT_LT(document->DoDocumentSave(0, nullptr), 0);
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(ReadBytes(path + "/inside"), saved);
    for (auto const& entry : std::filesystem::directory_iterator(mDir.At("show")))
        EXPECT_EQ(entry.path().filename().string().rfind('.', 0), std::string::npos) << "hidden file left behind";
}

INSTANTIATE_TEST_SUITE_P(Forms, DocumentFilesTest, ::testing::Values(false, true),
                         [](::testing::TestParamInfo<bool> const& info) { return info.param ? "Binary" : "Xml"; });

// --- Versions and types ---

int sUpgradeCalls = 0;
unsigned int sUpgradeVersion = 99;
int sUpgradeStatus = 0;

int FakeUpgrader(QVDocument*, unsigned int version)
{
    ++sUpgradeCalls;
    sUpgradeVersion = version;
    return sUpgradeStatus;
}

TEST(QVDocumentFilesVersionTest, VersionZeroIsUpgradedOthersAreRefused)
{
    TempDir dir;
    struct Case {
        char const* fileType;
        bool withVersion;
        unsigned long long version;
        int expected;
        bool upgraded;
    };
    Case const cases[] = {
        {"Score", true, 2, 0, false},
        {"Score", false, 0, 0, true},
        {"Score", true, 1, kAKErrorChunkUnknownVersion, false},
        {"Score", true, 3, kAKErrorChunkUnknownVersion, false},
        {"Score", true, 0x100000002ull, kAKErrorChunkUnknownVersion, false},
        {"Piece", true, 2, kQVErrorDocumentFormatNotRecognized, false},
        // Two types are registered: a file without type is not recognised.
        {nullptr, true, 2, kQVErrorDocumentFormatNotRecognized, false},
    };
    QVDocument::InstallOldFileUpgrader(&FakeUpgrader);
    for (Case const& c : cases) {
        sUpgradeCalls = 0;
        sUpgradeVersion = 99;
        std::string const path = dir.At("v.qvd");
        WriteXmlForm(path, DocumentForm(c.fileType, c.withVersion, c.version));
        auto document = NewDocument(1);
        LogCapture log;
        EXPECT_EQ(document->OnDocumentOpen(AKFilePath(path.c_str()), 0, false), c.expected) << c.version;
        EXPECT_EQ(document->IsInitialized(), c.expected == 0);
        EXPECT_EQ(sUpgradeCalls, c.upgraded ? 1 : 0) << c.version;
        if (c.upgraded) {
            EXPECT_EQ(sUpgradeVersion, 0u);
            bool logged = false;
            for (std::string const& line : log.Lines())
                logged |= line.find("Has detected old file format 0x0000. Data has been updated.") != std::string::npos;
            EXPECT_TRUE(logged);
        }
    }
    // A failed upgrade fails the open.
    sUpgradeStatus = -1;
    WriteXmlForm(dir.At("old.qvd"), DocumentForm("Score", false));
    auto document = NewDocument(1);
    EXPECT_EQ(document->OnDocumentOpen(AKFilePath(dir.At("old.qvd").c_str()), 0, false), -1);
    EXPECT_FALSE(document->IsInitialized());
    sUpgradeStatus = 0;
    QVDocument::InstallOldFileUpgrader(nullptr);
}

TEST(QVDocumentFilesVersionTest, ImportAndExportNeedABinaryTypeWithAnXmlForm)
{
    TempDir dir;
    auto score = DocumentFromForm(1, dir.At("form.qvd"));
    EXPECT_EQ(score->DoDocumentExport(AKFilePath(dir.At("out").c_str()), 0, nullptr), kAKErrorMiscellaneous);
    EXPECT_FALSE(std::filesystem::exists(dir.At("out.xml")));
    auto importer = NewDocument(1);
    EXPECT_EQ(importer->OnDocumentImport(AKFilePath(dir.At("form.qvd").c_str()), 0, nullptr), kAKErrorMiscellaneous);
    EXPECT_FALSE(importer->IsInitialized());

    // The binary type exports its XML form without the host settings, and
    // imports it back as a modified document without a file.
    auto binary = DocumentFromForm(sBinaryType, dir.At("bform.xml"));
    ASSERT_EQ(binary->DoDocumentExport(AKFilePath(dir.At("out").c_str()), 0, nullptr), 0);
    AKDictionary exported;
    ASSERT_EQ(exported.LoadFromXmlFile(AKFilePath(dir.At("out.xml").c_str()), true), 0);
    for (char const* key : {"FileType", "FileVers", "Prefs", "Providers", "Objects"})
        EXPECT_TRUE(exported.ContainsKey(AKString(key))) << key;
    EXPECT_FALSE(exported.ContainsKey(AKString("GUI")));
    auto imported = NewDocument(sBinaryType);
    ASSERT_EQ(imported->OnDocumentImport(AKFilePath(dir.At("out.xml").c_str()), 0, nullptr), 0);
    EXPECT_TRUE(imported->IsModified());
    EXPECT_FALSE(imported->IsFileExists());
    EXPECT_NE(Nth<QVObjectCursor>(*imported, 0), nullptr);
}

// --- Corrupt files ---

struct Chunk {
    unsigned int signature;
    Bytes bytes;  // header and payload
};

unsigned int BigEndian32(Bytes const& bytes, size_t at)
{
    unsigned int value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 8) | bytes[at + i];
    return value;
}

void PutLittle32(Bytes* bytes, size_t at, unsigned int value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::vector<Chunk> SplitChunks(Bytes const& file)
{
    std::vector<Chunk> chunks;
    size_t at = 32;
    while (at + 8 <= file.size()) {
        size_t const size = file[at + 4] | (file[at + 5] << 8) | (file[at + 6] << 16) | (size_t{file[at + 7]} << 24);
        chunks.push_back({BigEndian32(file, at), Bytes(file.begin() + at, file.begin() + at + 8 + size)});
        at += 8 + size;
    }
    return chunks;
}

Bytes JoinChunks(Bytes const& file, std::vector<Chunk> const& chunks)
{
    Bytes joined(file.begin(), file.begin() + 32);
    for (Chunk const& chunk : chunks)
        joined.insert(joined.end(), chunk.bytes.begin(), chunk.bytes.end());
    return joined;
}

class CorruptFilesTest : public ::testing::Test
{
protected:
    // Opens the bytes as a document of the type: its status; a refused file
    // leaves the document uninitialised and registers no sound.
    int Open(unsigned int type, Bytes const& bytes)
    {
        // A new file each time: emptying one file again and again is slow.
        std::string const path = mDir.At("c" + std::to_string(mOpened++) + (type == sBinaryType ? ".qvb" : ".qvd"));
        WriteBytes(path, bytes);
        unsigned int const providers = QVProviderMgr::sShared.GetProviders().Count();
        auto document = NewDocument(type);
        int const status = document->OnDocumentOpen(AKFilePath(path.c_str()), 0, false);
        if (status != 0) {
            EXPECT_FALSE(document->IsInitialized());
            EXPECT_EQ(QVProviderMgr::sShared.GetProviders().Count(), providers);
        }
        return status;
    }
    Bytes Saved(unsigned int type)
    {
        auto document = DocumentFromForm(type, mDir.At("form.qvd"));
        std::string const path = mDir.At(type == sBinaryType ? "good.qvb" : "good.qvd");
        EXPECT_EQ(document->DoDocumentSaveAs(AKFilePath(path.c_str()), 0x4000, nullptr), 0);
        return ReadBytes(path);
    }
    TempDir mDir;
    unsigned int mOpened = 0;
};

TEST_F(CorruptFilesTest, EveryTruncationIsRefused)
{
    for (unsigned int type : {1u, sBinaryType}) {
        Bytes const good = Saved(type);
        ASSERT_EQ(Open(type, good), 0);
        // A binary file cut right after its tree is a whole file without
        // host settings; the XML form ends with a new line after its last
        // element.
        size_t const complete =
            type == sBinaryType ? good.size() - SplitChunks(good).back().bytes.size() : good.size() - 1;
        // Every cut in the first bytes and the last ones, a sample between.
        for (size_t size = 0; size < complete; ++size) {
            if (size < 80 || complete - size < 80 || size % 7 == 0) {
                EXPECT_LT(Open(type, Bytes(good.begin(), good.begin() + size)), 0) << type << " " << size;
            }
        }
    }
}

TEST_F(CorruptFilesTest, BinaryChunksAreCheckedBeforeUse)
{
    Bytes const good = Saved(sBinaryType);
    std::vector<Chunk> const chunks = SplitChunks(good);
    ASSERT_EQ(chunks.size(), 4u);
    ASSERT_EQ(chunks[2].signature, 0x54524545u);  // 'TREE'
    ASSERT_EQ(JoinChunks(good, chunks), good);

    // An unknown chunk is skipped.
    std::vector<Chunk> extra = chunks;
    extra.insert(extra.begin() + 1, Chunk{0, Bytes{'J', 'U', 'N', 'K', 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}});
    EXPECT_EQ(Open(sBinaryType, JoinChunks(good, extra)), 0);

    struct Case {
        char const* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    Bytes bytes = good;
    PutLittle32(&bytes, 32 + 4, 0xFFFFFFF0u);
    cases.push_back({"size past the end", bytes});
    bytes = good;
    PutLittle32(&bytes, 32 + 8 + 8, 0x7FFFFFFFu);
    cases.push_back({"huge dictionary count", bytes});
    bytes = good;
    size_t const tree = 32 + chunks[0].bytes.size() + chunks[1].bytes.size();
    PutLittle32(&bytes, tree + 8, 0x10000000u);
    cases.push_back({"huge node count", bytes});
    std::vector<Chunk> reordered = {chunks[0], chunks[2], chunks[1], chunks[3]};
    cases.push_back({"tree before sound list", JoinChunks(good, reordered)});
    cases.push_back({"no tree", JoinChunks(good, {chunks[0], chunks[1], chunks[3]})});
    cases.push_back({"two trees", JoinChunks(good, {chunks[0], chunks[1], chunks[2], chunks[2], chunks[3]})});
    bytes = good;
    bytes[4] = 'X';
    cases.push_back({"unknown byte order", bytes});
    bytes = good;
    bytes[11] = 3;
    cases.push_back({"version 3", bytes});
    bytes = good;
    bytes[11] = 1;
    cases.push_back({"version 1", bytes});
    bytes = good;
    bytes[15] ^= 1;
    cases.push_back({"other type", bytes});
    for (Case const& c : cases)
        EXPECT_LT(Open(sBinaryType, c.bytes), 0) << c.what;
}

TEST_F(CorruptFilesTest, AFailedTreeTakesBackTheSoundsOfItsFile)
{
    AKDictionary form = DocumentForm("Score", true);
    AKDictionary entry;
    entry.SetValue("ID", AKValueSetasUInt(7));
    entry.SetValue("Path", AKValueSetasAKString(AKString(mDir.At("Missing Sound.wav").c_str())));
    AKValueArray list;
    list.Push(AKValueSetasAKDictionary(entry));
    AKDictionary providers;
    providers.SetValue("Providers", AKValueSetasAKValueArray(list));
    form.SetValue("Providers", AKValueSetasAKDictionary(providers));
    WriteXmlForm(mDir.At("sounds.qvd"), form);
    Bytes const good = ReadBytes(mDir.At("sounds.qvd"));
    unsigned int const before = QVProviderMgr::sShared.GetProviders().Count();
    ASSERT_EQ(Open(1, good), 0);
    ASSERT_EQ(QVProviderMgr::sShared.GetProviders().Count(), before + 1) << "the file's sound is registered";
    unsigned int removed = 0;
    QVProviderMgr::sShared.RemoveUnusedProviders(&removed);
    ASSERT_EQ(QVProviderMgr::sShared.GetProviders().Count(), before);

    // The same file with an object of no known class under the root.
    form.SetValue("Objects", AKValueSetasAKDictionary(Node("root", nullptr, {Node("nosuch", "X")})));
    WriteXmlForm(mDir.At("sounds.qvd"), form);
    EXPECT_LT(Open(1, ReadBytes(mDir.At("sounds.qvd"))), 0);
}

// --- Record and bounce names ---

TEST(QVDocumentFilesNamesTest, RecordingsAndBouncesShareOneCounter)
{
    TempDir dir;
    std::filesystem::create_directory(dir.At("rec"));
    AKFilePath const savedFolder = QVPrefs::sShared.GetRecordSoundFolderPath();
    QVPrefs::sShared.SetRecordSoundFolderPath(AKFilePath((dir.At("rec") + "/").c_str()));
    std::string const extension = QVAudioFormatGetFileExtension(QVPrefs::sShared.GetRecordSoundFormat()).StdString();

    QVDocument document(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(document.OnDocumentNew(AKString("Doc"), 0, false), 0);
    AKFilePath path;
    ASSERT_EQ(document.ComputeNextRecordSoundFilePath(&path), 0);
    EXPECT_EQ(std::string(path.c_str()), dir.At("rec/Doc Rec001.") + extension);
    WriteBytes(dir.At("rec/Doc Rec002.") + extension, {});
    ASSERT_EQ(document.ComputeNextRecordSoundFilePath(&path), 0);
    EXPECT_EQ(std::string(path.c_str()), dir.At("rec/Doc Rec003.") + extension);
    ASSERT_EQ(document.ComputeNextBounceSoundFilePath(AKFilePath(), AKString("wav"), true, &path), 0);
    EXPECT_EQ(std::string(path.c_str()), dir.At("rec/Doc Bnc004.wav"));
    // A given path gives folder and name; unnumbered, the counter stays.
    ASSERT_EQ(
        document.ComputeNextBounceSoundFilePath(AKFilePath((dir.At("Mix")).c_str()), AKString("wav"), false, &path), 0);
    EXPECT_EQ(std::string(path.c_str()), dir.At("Mix.wav"));
    EXPECT_EQ(document.GetRecordFileCounter(), 5u);

    // All 1000 numbers taken: no name, rather than one that exists.
    for (unsigned int n = 5; n < 1005; ++n) {
        char name[32];
        snprintf(name, sizeof(name), "rec/Doc Bnc%03u.wav", n);
        WriteBytes(dir.At(name), {});
    }
    EXPECT_LT(document.ComputeNextBounceSoundFilePath(AKFilePath(), AKString("wav"), true, &path), 0);
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(document.GetRecordFileCounter(), 5u);

    // Without the record folder the files go to the desktop.
    QVPrefs::sShared.SetRecordSoundFolderPath(AKFilePath((dir.At("gone") + "/").c_str()));
    ASSERT_EQ(document.ComputeNextBounceSoundFilePath(AKFilePath(), AKString("wav"), false, &path), 0);
    EXPECT_EQ(path.Path(), QVGetStandardPath(kQVStandardFolderDesktop).Path());
    QVPrefs::sShared.SetRecordSoundFolderPath(savedFolder);
}

}  // namespace
