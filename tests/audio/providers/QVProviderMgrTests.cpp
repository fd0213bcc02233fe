// The provider manager without its loader thread: registration and its "#"
// form, look-ups, removals, re-pointing, the document's "Providers" list and
// its renumbering, and the search for lost sounds.

#include "AKStatus.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "Mp3Fixtures.h"
#include "ProviderTestSupport.h"
#include "QVProviderMgr.h"
#include "QVSoundFileReader.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

using namespace SoundFixtures;

namespace {

bool HasLine(LogCapture const& log, std::string const& part)
{
    for (std::string const& line : log.Lines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

class ProviderMgrTest : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        QVProviderMgr::sShared.RemoveAllProviders(nullptr);
        QVProviderMgr::sShared.SetSoundsBasePath(AKFilePath());
        DrainReleaseQueue();
    }

    AKFilePath Sound(std::string const& name, unsigned long long frames = 1000, unsigned int channels = 2)
    {
        SoundRecipe recipe;
        recipe.frames = frames;
        recipe.channels = channels;
        EXPECT_TRUE(WriteSoundFile(mFolder.File(name), recipe));
        return EnginePath(mFolder.File(name));
    }

    static AKDictionary Entry(long long id, AKFilePath const& path, AKFilePath const& relative = AKFilePath(),
                              QVAudioInfo const& info = kQVNullAudioInfo)
    {
        AKDictionary entry;
        if (id >= 0)
            entry.SetValue("ID", AKValueSetasUInt(static_cast<unsigned long long>(id)));
        if (!path.IsEmpty())
            entry.SetValue("Path", AKValueSetasAKFilePath(path));
        if (!relative.IsEmpty())
            entry.SetValue("PathRel", AKValueSetasAKFilePath(relative));
        if (info.IsValid()) {
            AKValue value;
            info.WriteToValue(&value);
            entry.SetValue("Info", value);
        }
        return entry;
    }

    static AKDictionary Document(std::vector<AKDictionary> const& entries)
    {
        AKValueArray list;
        for (AKDictionary const& entry : entries)
            list.Push(AKValueSetasAKDictionary(entry));
        AKDictionary document;
        document.SetValue("Providers", AKValueSetasAKValueArray(list));
        return document;
    }

    QVProviderMgr& mMgr = QVProviderMgr::sShared;
    ProviderTestServices mServices;
    ScopedAudioPrefs mPrefs;
    TempFolder mFolder;
};

TEST_F(ProviderMgrTest, OneProviderPerResolvedPath)
{
    AKFilePath const absolute = Sound("a.wav");
    mMgr.SetSoundsBasePath(EnginePath(mFolder.Path()));
    unsigned int const stamp = mMgr.GetListStamp();
    QVProvider* provider = mMgr.RegisterProvider(AKFilePath("sub/../a.wav"));
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->GetPath(), absolute);
    EXPECT_EQ(mMgr.RegisterProvider(absolute), provider);
    EXPECT_EQ(mMgr.RegisterProvider(AKFilePath("a.wav")), provider);
    EXPECT_EQ(mMgr.GetProviders().Count(), 1u);
    EXPECT_EQ(mMgr.GetListStamp(), stamp + 1);
    EXPECT_EQ(mMgr.RegisterProvider(AKFilePath()), nullptr);
}

TEST_F(ProviderMgrTest, TheHashFormNamesAProviderByID)
{
    QVProvider::SetNextIDForTesting(12);
    QVProvider* twelve = mMgr.RegisterProvider(Sound("a.wav"));
    ASSERT_EQ(twelve->GetID(), 12u);
    EXPECT_EQ(mMgr.GetProviderByPath(AKFilePath("#12"), true), twelve);
    EXPECT_EQ(mMgr.GetProviderByPath(AKFilePath("#12"), false), nullptr);
    EXPECT_EQ(mMgr.GetProviderByPath(AKFilePath("#abc"), true), nullptr);
    EXPECT_EQ(mMgr.RegisterProvider(AKFilePath("#12")), twelve);
    EXPECT_EQ(mMgr.RegisterProvider(AKFilePath("#13")), nullptr);
    EXPECT_EQ(mMgr.RegisterProvider(AKFilePath("#zz")), nullptr);
    EXPECT_EQ(mMgr.GetProviders().Count(), 1u);
    EXPECT_EQ(mMgr.GetProviderByID(0), nullptr);
    EXPECT_EQ(mMgr.GetProviderByID(13), nullptr);
}

// Past 9999 the direct index gives way to a search; look-ups answer alike.
TEST_F(ProviderMgrTest, LookupsBeyondTheDirectIndex)
{
    QVProvider::SetNextIDForTesting(9999);
    QVProvider* below = mMgr.RegisterProvider(Sound("a.wav"));
    QVProvider* above = mMgr.RegisterProvider(Sound("b.wav"));
    ASSERT_EQ(above->GetID(), 10000u);
    EXPECT_EQ(mMgr.GetProviderByID(9999), below);
    EXPECT_EQ(mMgr.GetProviderByID(10000), above);
    EXPECT_EQ(mMgr.GetProviderByPath(AKFilePath("#10000"), true), above);
    EXPECT_TRUE(mMgr.RemoveProvider(below));
    EXPECT_EQ(mMgr.GetProviderByID(9999), nullptr);
}

TEST_F(ProviderMgrTest, SortedListsAndRandomPick)
{
    EXPECT_EQ(mMgr.GetProviderByRandom(), nullptr);
    QVProvider* c = mMgr.RegisterProvider(Sound("c.wav"));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(mMgr.GetProviderByRandom(), c);
    QVProvider* a = mMgr.RegisterProvider(Sound("a.wav"));
    QVProvider* b = mMgr.RegisterProvider(AKFilePath("/nowhere/b.wav"));
    ATArray<QVProvider*> const& sorted = mMgr.GetSortedProviders();
    ASSERT_EQ(sorted.Count(), 3u);
    EXPECT_EQ(sorted[0], a);
    EXPECT_EQ(sorted[1], b);
    EXPECT_EQ(sorted[2], c);
    QVProviderIDArray const& ids = mMgr.GetProviderIDs();
    ASSERT_EQ(ids.Count(), 3u);
    EXPECT_EQ(ids[0], c->GetID());
    EXPECT_EQ(ids[2], b->GetID());
    EXPECT_EQ(mMgr.GetTotalLostSoundCount(), 1u);
}

TEST_F(ProviderMgrTest, RemovingFreesOnlyAfterIdlePasses)
{
    QVProvider* a = mMgr.RegisterProvider(Sound("a.wav"));
    QVProvider* b = mMgr.RegisterProvider(Sound("b.wav"));
    mMgr.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    EXPECT_EQ(mMgr.GetFinishedCount(), 2u);
    unsigned long long const memory = mMgr.GetMemory();
    EXPECT_EQ(memory, 2 * a->GetUsedMemory());

    EXPECT_FALSE(mMgr.RemoveProvider(nullptr));
    EXPECT_TRUE(mMgr.RemoveProvider(a));
    EXPECT_FALSE(mMgr.RemoveProvider(a));
    EXPECT_EQ(mMgr.GetFinishedCount(), 1u);
    EXPECT_EQ(mMgr.GetMemory(), memory / 2);
    EXPECT_EQ(mMgr.GetProviderByID(b->GetID()), b);
    // Still readable memory for a block in flight, unreachable for new ones.
    EXPECT_EQ(a->GetSound(), nullptr);
    EXPECT_GT(QVProviderReleaseQueue::sShared.Count(), 0u);
    DrainReleaseQueue();
    EXPECT_EQ(QVProviderReleaseQueue::sShared.Count(), 0u);
}

TEST_F(ProviderMgrTest, UnusedProvidersAndDuplicates)
{
    QVProvider* a = mMgr.RegisterProvider(Sound("a.wav"));
    QVProvider* b = mMgr.RegisterProvider(Sound("b.wav"));
    QVProvider* c = mMgr.RegisterProvider(Sound("c.wav"));
    QVDocument* open = ProviderTestServices::FakeDocument(0);
    QVDocument* bounce = ProviderTestServices::FakeDocument(1);
    mServices.openDocuments = {open};
    mServices.bounceDocuments = {bounce};
    mServices.usedIDs[open] = {a->GetID()};
    mServices.usedIDs[bounce] = {c->GetID()};

    // Every document's zones may name any duplicate: none goes while one is open.
    ASSERT_EQ(mMgr.ReplaceSoundProvider(b->GetPath(), a->GetPath(), false), 0);
    unsigned int count = 99;
    EXPECT_FALSE(mMgr.RemoveUnusedDuplicates(&count));
    EXPECT_EQ(count, 0u);

    LogCapture log;
    EXPECT_TRUE(mMgr.RemoveUnusedProviders(&count));
    EXPECT_EQ(count, 1u);  // b: neither the open document nor the bounce uses it
    EXPECT_TRUE(HasLine(log, "# PROVIDERS: Has released 1 unused sound(s).\n"));
    EXPECT_EQ(mMgr.GetProviders().Count(), 2u);

    QVProvider* d = mMgr.RegisterProvider(Sound("d.wav"));
    ASSERT_EQ(mMgr.ReplaceSoundProvider(AKFilePath("#" + std::to_string(d->GetID())), a->GetPath(), false), 0);
    mServices.openDocuments.clear();
    EXPECT_TRUE(mMgr.RemoveUnusedDuplicates(&count));
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(HasLine(log, "# PROVIDERS: Has released 1 duplicated sound(s).\n"));
    EXPECT_EQ(mMgr.GetProviders().Count(), 2u);
}

TEST_F(ProviderMgrTest, ReplacingASound)
{
    QVProvider* a = mMgr.RegisterProvider(Sound("a.wav"));
    AKFilePath const b = Sound("b.wav", 500, 1);
    mMgr.LoadAllProvidersSoundFileSync();
    LogCapture log;
    EXPECT_EQ(mMgr.ReplaceSoundProvider(AKFilePath("/nowhere/x.wav"), b, false), kQVErrorProviderNotFound);
    EXPECT_EQ(mMgr.ReplaceSoundProvider(a->GetPath(), AKFilePath("#3"), false), kQVErrorProviderNotValid);
    EXPECT_EQ(mMgr.ReplaceSoundProvider(a->GetPath(), a->GetPath(), false), 0);
    EXPECT_EQ(a->GetState(), kQVProviderStateDone);
    unsigned int const stamp = mMgr.GetListStamp();
    EXPECT_EQ(mMgr.ReplaceSoundProvider(a->GetPath(), b, false), 0);
    EXPECT_EQ(mMgr.GetListStamp(), stamp + 1);
    EXPECT_EQ(a->GetPath(), b);
    EXPECT_EQ(a->GetState(), kQVProviderStateIdle);
    EXPECT_EQ(a->GetFileInfo().channelCount, 1u);
    EXPECT_EQ(mMgr.ReplaceSoundProvider(b, AKFilePath("/nowhere/y.wav"), false), kQVErrorProviderSoundFileNotFound);
    EXPECT_EQ(mMgr.GetTotalLostSoundCount(), 1u);
}

// A document saved with providers 3 and 5, read in a run whose next ID is 9.
TEST_F(ProviderMgrTest, ReadingRenumbersTheDocumentsIDs)
{
    AKFilePath const a = Sound("a.wav");
    AKFilePath const b = Sound("b.wav");
    QVProvider::SetNextIDForTesting(9);
    QVProviderRenum renum;
    renum.AddEntry(1, 1);  // cleared by the read
    QVAudioInfo saved;
    saved.Setup(2, 1000, 44100.0);
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(Document({Entry(3, a, AKFilePath(), saved), Entry(5, b)}),
                                          EnginePath(mFolder.Path()), &renum),
              0);
    QVProviderID id = 3;
    EXPECT_TRUE(renum.MatchID(&id));
    EXPECT_EQ(id, 9u);
    id = 5;
    EXPECT_TRUE(renum.MatchID(&id));
    EXPECT_EQ(id, 10u);
    id = 4;
    EXPECT_FALSE(renum.MatchID(&id));
    EXPECT_EQ(id, 0u);
    id = 1;
    EXPECT_FALSE(renum.MatchID(&id));
    EXPECT_EQ(mMgr.GetProviderByID(9)->GetSavedInfo().frameCount, 1000u);
    EXPECT_EQ(mMgr.GetProviderByID(9)->GetState(), kQVProviderStateIdle);  // loads start later
}

// IDs beyond the direct table, saved late in a long run or given late in
// this one, renumber like the others.
TEST_F(ProviderMgrTest, LargeIDsRenumberToo)
{
    AKFilePath const a = Sound("a.wav");
    AKFilePath const b = Sound("b.wav");
    QVProvider::SetNextIDForTesting(40000);
    QVProviderRenum renum;
    LogCapture log;
    ASSERT_EQ(
        mMgr.ReadMoreFromDictionary(Document({Entry(16383, a), Entry(70000, b)}), EnginePath(mFolder.Path()), &renum),
        0);
    EXPECT_TRUE(log.Lines().empty());
    QVProviderID id = 16383;
    EXPECT_TRUE(renum.MatchID(&id));
    EXPECT_EQ(id, 40000u);
    id = 70000;
    EXPECT_TRUE(renum.MatchID(&id));
    EXPECT_EQ(id, 40001u);
    EXPECT_FALSE(renum.AddEntry(70000, 5));
    EXPECT_FALSE(renum.AddEntry(0, 5));
    EXPECT_FALSE(renum.AddEntry(5, 0));
    QVProviderRenum copy(renum);
    id = 70000;
    EXPECT_TRUE(copy.MatchID(&id));
    copy.Clear();
    id = 70000;
    EXPECT_FALSE(copy.MatchID(&id));
}

TEST_F(ProviderMgrTest, IncompleteAndCollidingEntries)
{
    AKFilePath const a = Sound("a.wav");
    AKFilePath const b = Sound("b.wav");
    QVProviderRenum renum;
    LogCapture log;
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(Document({Entry(-1, a), Entry(0, a), Entry(4, AKFilePath()), AKDictionary()}),
                                          EnginePath(mFolder.Path()), &renum),
              0);
    EXPECT_EQ(mMgr.GetProviders().Count(), 0u);
    unsigned int warnings = 0;
    for (std::string const& line : log.Lines())
        warnings += line.find("Warning 503") != std::string::npos;
    EXPECT_EQ(warnings, 3u);  // the empty entry is skipped without a word
    EXPECT_FALSE(HasLine(log, "Warning 504"));

    log.Clear();
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(Document({Entry(7, a), Entry(7, b)}), EnginePath(mFolder.Path()), &renum), 0);
    EXPECT_EQ(mMgr.GetProviders().Count(), 2u);
    EXPECT_TRUE(HasLine(log, "Warning 504"));
}

// The document and its sounds moved together: the relative path is used.
TEST_F(ProviderMgrTest, RelativePathWhenTheAbsoluteOneIsGone)
{
    ASSERT_EQ(mkdir(mFolder.File("sounds").c_str(), 0700), 0);
    AKFilePath const moved = Sound("sounds/a.wav");
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(
                  Document({Entry(2, AKFilePath("/old/place/sounds/a.wav"), AKFilePath("sounds/a.wav"))}),
                  EnginePath(mFolder.File("doc.score")), nullptr),
              0);
    ASSERT_EQ(mMgr.GetProviders().Count(), 1u);
    EXPECT_EQ(mMgr.GetProviders()[0]->GetPath(), moved);
}

// Only the providers the document uses, in ascending ID order, with both
// paths and the shape; read back, they come out as the same providers.
TEST_F(ProviderMgrTest, WritingTheProvidersList)
{
    QVProvider* b = mMgr.RegisterProvider(Sound("b.wav", 700, 1));
    QVProvider* unused = mMgr.RegisterProvider(Sound("c.wav"));
    QVProvider* lost = mMgr.RegisterProvider(EnginePath(mFolder.File("lost.wav")));
    QVAudioInfo saved;
    saved.Setup(2, 1234, 48000.0);
    lost->SetSavedInfo(saved);
    QVDocument* document = ProviderTestServices::FakeDocument(0);
    mServices.usedIDs[document] = {lost->GetID(), b->GetID(), 60000};

    AKDictionary written;
    ASSERT_EQ(mMgr.WriteLinkedToDictionary(&written, EnginePath(mFolder.File("doc.score")), document), 0);
    AKValueArray const& list = AKValueGetasAKValueArray(written.GetValue("Providers"));
    ASSERT_EQ(list.Count(), 2u);
    struct Want {
        QVProvider* provider;
        char const* relative;
        unsigned int channels;
        unsigned long long frames;
        double rate;
    };
    Want const wants[] = {{b, "b.wav", 1, 700, 44100.0}, {lost, "lost.wav", 2, 1234, 48000.0}};
    for (unsigned int i = 0; i < 2; ++i) {
        AKDictionary const& entry = AKValueGetasAKDictionary(list[i]);
        EXPECT_EQ(entry.Count(), 4u);
        EXPECT_EQ(AKValueGetasQVProviderID(entry.GetValue("ID")), wants[i].provider->GetID());
        EXPECT_EQ(AKValueGetasAKFilePath(entry.GetValue("Path")), wants[i].provider->GetPath());
        EXPECT_EQ(AKValueGetasAKFilePath(entry.GetValue("PathRel")), AKFilePath(wants[i].relative));
        QVAudioInfo info;
        ASSERT_TRUE(info.ReadFromValue(entry.GetValue("Info"), false));
        EXPECT_EQ(info.channelCount, wants[i].channels);
        EXPECT_EQ(info.frameCount, wants[i].frames);
        EXPECT_EQ(info.sampleRate, wants[i].rate);
    }
    (void)unused;

    AKDictionary none;
    ASSERT_EQ(mMgr.WriteLinkedToDictionary(&none, EnginePath(mFolder.Path()), ProviderTestServices::FakeDocument(3)),
              0);
    EXPECT_TRUE(none.IsEmpty());

    QVProviderRenum renum;
    unsigned int const before = mMgr.GetProviders().Count();
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(written, EnginePath(mFolder.File("doc.score")), &renum), 0);
    EXPECT_EQ(mMgr.GetProviders().Count(), before);
    QVProviderID id = b->GetID();
    EXPECT_TRUE(renum.MatchID(&id));
    EXPECT_EQ(id, b->GetID());
}

TEST_F(ProviderMgrTest, SyncLoadingWhenRealTimeIsOff)
{
    QVProvider* a = mMgr.RegisterProvider(Sound("a.wav"));
    QVProvider* lost = mMgr.RegisterProvider(AKFilePath("/nowhere/x.wav"));
    mMgr.LoadAllProvidersSoundFile(kQVProviderLoadDeferred);
    EXPECT_FALSE(mMgr.IsLoaderRunning());
    EXPECT_EQ(a->GetState(), kQVProviderStateDone);
    EXPECT_EQ(lost->GetState(), kQVProviderStateDone);
    EXPECT_EQ(mMgr.GetFinishedCount(), 1u);
}

struct LostCase {
    char const* label;
    bool savedShape;    // the document knew the sound's shape
    long long surplus;  // frames the found file has beyond the saved shape
    bool mp3;
    bool weak;
    unsigned int retrieved;
    unsigned int weakMatches;
};

// A lost sound is looked for by file name in a folder tree; a file of that
// name must also have its shape, MP3 files within 4096 frames, unless the
// sound's shape is unknown and matches by name alone are allowed.
TEST_F(ProviderMgrTest, LostSoundsAreFoundInAFolderTree)
{
    for (LostCase const& c :
         {LostCase{"same shape", true, 0, false, false, 1, 0}, LostCase{"one frame more", true, 1, false, false, 0, 0},
          LostCase{"mp3 within tolerance", true, 0, true, false, 1, 0},
          LostCase{"no shape, not weak", false, 0, false, false, 0, 0},
          LostCase{"no shape, weak", false, 0, false, true, 1, 1}}) {
        Reset();
        TempFolder tree;
        ASSERT_EQ(mkdir((tree.Path() + "/deep").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((tree.Path() + "/deep/er").c_str(), 0700), 0);
        std::string const name = c.mp3 ? "song.mp3" : "song.wav";
        std::string const found = tree.Path() + "/deep/er/" + name;
        QVAudioInfo shape;
        if (c.mp3) {
            Mp3Recipe recipe;
            recipe.frames = 20000;
            ASSERT_TRUE(WriteMp3File(found, MakeMp3(recipe)));
            QVAudioInfo real;
            ASSERT_EQ(QVSoundFileReader::ReadSoundInfo(EnginePath(found), &real, nullptr, nullptr), 0);
            // The saved count may differ from the one read now by a few frames.
            shape.Setup(real.channelCount, real.frameCount - 1000, real.sampleRate);
        } else {
            SoundRecipe recipe;
            recipe.frames = 1000 + static_cast<unsigned long long>(c.surplus);
            ASSERT_TRUE(WriteSoundFile(found, recipe));
            shape.Setup(2, 1000, 44100.0);
        }
        WriteBytes(tree.Path() + "/deep/other.wav", {1, 2, 3});
        ASSERT_EQ(mMgr.ReadMoreFromDictionary(Document({Entry(1, AKFilePath(("/gone/" + name).c_str()), AKFilePath(),
                                                              c.savedShape ? shape : kQVNullAudioInfo)}),
                                              EnginePath(mFolder.Path()), nullptr),
                  0);
        ASSERT_EQ(mMgr.GetTotalLostSoundCount(), 1u) << c.label;

        LogCapture log;
        unsigned int lost = 9, retrieved = 9, weak = 9, duplicates = 9;
        EXPECT_EQ(mMgr.RetrieveAllLostSounds(EnginePath(tree.Path()), c.weak, &lost, &retrieved, &weak, &duplicates), 0)
            << c.label;
        EXPECT_EQ(lost, 1u) << c.label;
        EXPECT_EQ(retrieved, c.retrieved) << c.label;
        EXPECT_EQ(weak, c.weakMatches) << c.label;
        EXPECT_EQ(duplicates, 0u) << c.label;
        std::string sentence =
            "# PROVIDERS: Has retrieved " + std::to_string(c.retrieved) + " sound(s) on a total of 1.";
        if (c.weakMatches > 0)
            sentence += " WARNING: 1 of those sound(s) have been identified weakly (only by their file name).";
        EXPECT_TRUE(HasLine(log, sentence + "\n")) << c.label;
        QVProvider* provider = mMgr.GetProviders()[0];
        if (c.retrieved > 0) {
            EXPECT_EQ(provider->GetPath(), EnginePath(found)) << c.label;
            EXPECT_EQ(provider->GetState(), kQVProviderStateIdle) << c.label;
            EXPECT_EQ(mMgr.GetTotalLostSoundCount(), 0u) << c.label;
        } else {
            EXPECT_EQ(provider->GetError(), kQVProviderErrorNotFound) << c.label;
        }
    }
}

// Two lost sounds of the same file are relinked to it, and the duplicate goes.
TEST_F(ProviderMgrTest, LostDuplicatesAreRelinkedOnceAndRemoved)
{
    TempFolder tree;
    SoundRecipe recipe;
    ASSERT_TRUE(WriteSoundFile(tree.File("x.wav"), recipe));
    QVAudioInfo shape;
    shape.Setup(2, 1000, 44100.0);
    ASSERT_EQ(mMgr.ReadMoreFromDictionary(Document({Entry(1, AKFilePath("/a/x.wav"), AKFilePath(), shape),
                                                    Entry(2, AKFilePath("/b/x.wav"), AKFilePath(), shape)}),
                                          EnginePath(mFolder.Path()), nullptr),
              0);
    LogCapture log;
    unsigned int lost = 0, retrieved = 0, weak = 0, duplicates = 0;
    EXPECT_EQ(mMgr.RetrieveAllLostSounds(EnginePath(tree.Path()), false, &lost, &retrieved, &weak, &duplicates), 0);
    EXPECT_EQ(lost, 2u);
    EXPECT_EQ(retrieved, 2u);
    EXPECT_EQ(duplicates, 1u);
    EXPECT_EQ(mMgr.GetProviders().Count(), 1u);
    EXPECT_TRUE(
        HasLine(log, "# PROVIDERS: Has retrieved 2 sound(s) on a total of 2. 1 duplicate(s) have been removed.\n"));

    EXPECT_EQ(mMgr.RetrieveAllLostSounds(EnginePath(tree.File("none")), true, &lost, &retrieved, &weak, &duplicates),
              0);  // nothing lost: no walk
    EXPECT_EQ(lost, 0u);
}

}  // namespace
