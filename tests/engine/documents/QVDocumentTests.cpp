// The document: IDs, names and file paths, flags, modified levels, the first
// initialisation, the synchronisation after actions, and the objects that
// OSC names by node ID or by name path.

#include "AKLog.h"
#include "AKTreeHistory.h"
#include "DocumentTestObjects.h"
#include "FakeAudioSource.h"
#include "LogCapture.h"
#include "QVContextObject.h"
#include "QVDocPrefs.h"
#include "QVDocumentMgr.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the actions handed to the user interface.
class ListeningDocument : public QVDocument
{
public:
    explicit ListeningDocument(unsigned int flags) : QVDocument(1, flags) {}
    void NotifyGandlerListeners(AKTreeActionParam const& action) override
    {
        mNotified.emplace_back(action.GetCommandID(), action.GetResultFlags());
    }
    std::vector<std::pair<int, unsigned int>> mNotified;
};

TEST(QVDocumentTest, IDsComeInOrderAndAreNeverReused)
{
    auto first = std::make_unique<QVDocument>(1, 0);
    QVDocumentID const id = first->GetDocumentID();
    EXPECT_GT(id, kQVNullDocumentID);
    first.reset();
    QVDocument second(1, 0);
    EXPECT_EQ(second.GetDocumentID(), id + 1);
    QVDocument third(1, kQVDocumentFlagPrivate);
    EXPECT_EQ(third.GetDocumentID(), id + 2);
}

TEST(QVDocumentTest, TypeZeroBecomesTheOnlyRegisteredType)
{
    ASSERT_EQ(QVDocumentTypeMgr::sShared.CountDocumentTypes(), 1u);
    QVDocument document(0, kQVDocumentFlagPrivate);
    EXPECT_EQ(document.GetDocumentType(), 1u);
    QVDocument unknown(5, kQVDocumentFlagPrivate);
    EXPECT_EQ(unknown.GetDocumentType(), 5u);
}

TEST(QVDocumentTest, FlagsGiveTheTreeItsOptions)
{
    struct Case {
        unsigned int flags;
        bool readOnly;
        bool keepsIDs;
    };
    Case const cases[] = {
        {0, false, false},
        {kQVDocumentFlagReadOnly, true, false},
        {kQVDocumentFlagPersistentIDs, false, true},
        {kQVDocumentFlagReadOnly | kQVDocumentFlagPersistentIDs | kQVDocumentFlagRealTimeAudio, true, true},
    };
    for (Case const& c : cases) {
        QVDocument document(1, c.flags | kQVDocumentFlagPrivate);
        EXPECT_EQ(document.GetTree()->IsReadOnly(), c.readOnly) << c.flags;
        EXPECT_EQ(document.GetTree()->KeepsLoadedIDs(), c.keepsIDs) << c.flags;
        EXPECT_TRUE(document.GetTree()->IsDeferredDeletion()) << c.flags;
        EXPECT_EQ(document.GetContextObject()->GetDocument(), &document);
        EXPECT_EQ(document.GetTree()->GetContextObject(), document.GetContextObject());
    }
}

TEST(QVDocumentTest, UntitledNamesCountUpAndGiveTheFilePath)
{
    QVDocument a(1, kQVDocumentFlagPrivate);
    QVDocument b(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(a.OnDocumentNew("", 0, false), 0);
    ASSERT_EQ(b.OnDocumentNew("", 0, false), 0);
    std::string const first = a.GetDocumentName().StdString();
    ASSERT_EQ(first.rfind("Untitled ", 0), 0u) << first;
    unsigned int const n = static_cast<unsigned int>(std::stoul(first.substr(9)));
    EXPECT_EQ(b.GetDocumentName().StdString(), "Untitled " + std::to_string(n + 1));
    EXPECT_EQ(a.GetDocumentFilePath(), AKFilePath(("Untitled " + std::to_string(n) + ".qvd").c_str()));
    EXPECT_EQ(a.GetTree()->GetName(), a.GetDocumentName());

    // A path gives its short name; an empty one takes the next number.
    a.SetDocumentFilePath(AKFilePath("/shows/Piece.txt"));
    EXPECT_EQ(a.GetDocumentName().StdString(), "Piece");
    EXPECT_EQ(a.GetDocumentFilePath(), AKFilePath("/shows/Piece.qvd"));
    EXPECT_EQ(a.GetTree()->GetName().StdString(), "Piece");
    a.SetDocumentFilePath(AKFilePath("/shows/"));
    EXPECT_EQ(a.GetDocumentName().StdString(), "Untitled " + std::to_string(n + 2));
    a.SetDocumentName("Renamed");
    EXPECT_EQ(a.GetDocumentFilePath(), AKFilePath("/shows/Renamed.qvd"));

    // A type without extension gives none.
    QVDocument untyped(7, kQVDocumentFlagPrivate);
    untyped.SetDocumentFilePath(AKFilePath("/x/Take.wav"));
    EXPECT_EQ(untyped.GetDocumentFilePath(), AKFilePath("/x/Take"));
}

TEST(QVDocumentTest, NewInitialisesOnceAndSynchronisesTheSource)
{
    QVDocumentAudioSource::InstallMaker(&FakeAudioSource::Make);
    ListeningDocument document(kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo | kQVDocumentFlagRealTimeAudio);
    QVDocumentAudioSource::InstallMaker(nullptr);
    document.SetFileExists(true);
    ASSERT_EQ(document.OnDocumentNew("Piece", 0, false), 0);
    EXPECT_TRUE(document.IsInitialized());
    EXPECT_FALSE(document.IsFileExists());
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(document.GetHistory().IsOpened());
    EXPECT_NE(document.GetTree()->GetRootNode(), nullptr);
    ASSERT_NE(document.GetDocPrefs(), nullptr);
    EXPECT_EQ(document.GetDocPrefs()->GetDocument(), &document);
    EXPECT_EQ(document.GetDocPrefs()->GetAudioMasterVolume(), 0.0);
    EXPECT_EQ(FakeAudioSource::Of(&document)->mLiveSyncCount, 1u);
    EXPECT_EQ(FakeAudioSource::Of(&document)->mSpareSyncCount, 1u);
    EXPECT_EQ(document.mNotified, (std::vector<std::pair<int, unsigned int>>{{-1, 0xff01}}));

    LogCapture capture;
    EXPECT_EQ(document.OnDocumentNew("Other", 0, false), kQVErrorDocumentAlreadyInitialized);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_NE(capture.Lines()[0].find("The document \"Piece\" is already initialized"), std::string::npos);
    EXPECT_EQ(document.GetDocumentName().StdString(), "Piece");

    // Without the undo flag there is no history.
    QVDocument plain(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(plain.OnDocumentNew("Plain", 0, false), 0);
    EXPECT_FALSE(plain.GetHistory().IsOpened());
}

TEST(QVDocumentTest, ModifiedLevels)
{
    QVDocument document(1, kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo);
    ASSERT_EQ(document.OnDocumentNew("Piece", 0, false), 0);
    EXPECT_EQ(document.GetModifiedLevel(), 0u);

    document.SetModified(2);
    document.SetModified(1);
    EXPECT_EQ(document.GetModifiedLevel(), 2u);
    EXPECT_TRUE(document.IsModified());
    EXPECT_FALSE(document.IsModifiedWeak());

    // An edit moves the history away from its saved position.
    AKObject* const sequence = TestAddObject<TestSequence>(document, nullptr, "S");
    ASSERT_NE(sequence, nullptr);
    document.SetModified(0);
    EXPECT_EQ(document.GetModifiedLevel(), 0u);
    EXPECT_FALSE(document.GetHistory().IsHistoryModified());
    EXPECT_FALSE(sequence->IsModified());
    EXPECT_FALSE(document.IsModified());

    // Weakly modified: only the objects' own marks make it modified.
    document.SetModified(1);
    EXPECT_TRUE(document.IsModifiedWeak());
    EXPECT_FALSE(document.IsModified());
    sequence->SetModified(true);
    EXPECT_TRUE(document.IsModifiedWeak());
    EXPECT_TRUE(document.IsModified());

    // A recorded edit makes it modified, not weakly.
    document.SetModified(0);
    document.SetModified(1);
    ASSERT_NE(TestAddObject<TestSequence>(document, nullptr, "T"), nullptr);
    EXPECT_FALSE(document.IsModifiedWeak());
    EXPECT_TRUE(document.IsModified());
}

TEST(QVDocumentTest, APrivateDocumentStaysOutOfTheManager)
{
    QVDocumentMgr& mgr = QVDocumentMgr::sShared;
    unsigned int const count = mgr.CountDocuments();
    auto* const registered = new QVDocument(1, 0);
    EXPECT_EQ(mgr.GetDocumentByID(registered->GetDocumentID()), registered);
    auto* const hidden = new QVDocument(1, kQVDocumentFlagPrivate);
    EXPECT_EQ(mgr.GetDocumentByID(hidden->GetDocumentID()), nullptr);
    EXPECT_EQ(mgr.CountDocuments(), count + 1);
    hidden->DoDocumentClose(0, nullptr);
    EXPECT_EQ(mgr.CountDocuments(), count + 1);
    bool cancelled = true;
    registered->DoDocumentClose(0, &cancelled);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(mgr.CountDocuments(), count);

    // Deleting a registered document also unregisters it.
    auto document = std::make_unique<QVDocument>(1, 0);
    QVDocumentID const id = document->GetDocumentID();
    document.reset();
    EXPECT_EQ(mgr.GetDocumentByID(id), nullptr);
}

TEST(QVDocumentTest, LogInfoFramesTheIDAndName)
{
    QVDocument document(1, kQVDocumentFlagPrivate);
    document.SetDocumentName("Piece");
    LogCapture capture;
    document.LogInfo(0);
    std::string const frame = "+==================================================================================+\n";
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::string>{
                  frame, "| Document: #" + std::to_string(document.GetDocumentID()) + " \"Piece\"\n", frame, "\n"}));
}

// --- Synchronisation and object references ---

// S: players P1 (subs Q1, Q2) and P2, tracks T1 and T2; " S": one player.
class QVDocumentPathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVDocumentAudioSource::InstallMaker(&FakeAudioSource::Make);
        mDocument = std::make_unique<ListeningDocument>(kQVDocumentFlagPrivate | kQVDocumentFlagRealTimeAudio);
        QVDocumentAudioSource::InstallMaker(nullptr);
        ASSERT_EQ(mDocument->OnDocumentNew("Paths", 0, false), 0);
        QVDocument& d = *mDocument;
        S = TestAddObject<TestSequence>(d, nullptr, "S");
        P1 = TestAddObject<TestPlayer>(d, S, "P1");
        T1 = TestAddObject<TestTrack>(d, S, "T1");
        P2 = TestAddObject<TestPlayer>(d, S, "P2");
        T2 = TestAddObject<TestTrack>(d, S, "T2");
        Q1 = TestAddObject<TestPlayer>(d, P1, "Q1");
        Q2 = TestAddObject<TestPlayer>(d, P1, "Q2");
        Blank = TestAddObject<TestSequence>(d, nullptr, " S");
        BlankP = TestAddObject<TestPlayer>(d, Blank, "BP");
        ASSERT_NE(BlankP, nullptr);
        mDocument->mNotified.clear();
    }

    AKObject* Find(char const* path, bool track = false) const
    {
        return mDocument->GetObjectForOSC(0, path, track ? TestTrack::_ClassID() : TestPlayer::_ClassID());
    }

    std::unique_ptr<ListeningDocument> mDocument;

public:
    // The objects, by the names they carry (members so the table can name them).
    AKObject *S = nullptr, *P1 = nullptr, *P2 = nullptr, *T1 = nullptr, *T2 = nullptr, *Q1 = nullptr, *Q2 = nullptr;
    AKObject *Blank = nullptr, *BlankP = nullptr;
};

TEST_F(QVDocumentPathsTest, NamePathGrammar)
{
    struct Case {
        char const* path;
        bool track;
        AKObject* QVDocumentPathsTest::*expected;  // null member: no object
    };
    using T = QVDocumentPathsTest;
    Case const cases[] = {
        // Examples.
        {":S", false, &T::S},
        {":S:1", false, &T::P1},
        {":S:2", false, &T::P2},
        {":S:1:2", false, &T::Q2},
        {":S:1:1", false, &T::Q1},
        {":S:01", false, &T::P1},
        {": S", false, &T::Blank},
        {": S:1", false, &T::BlankP},
        {":S:1", true, &T::T1},
        {":S:2", true, &T::T2},
        // Refusals.
        {"", false, nullptr},
        {":", false, nullptr},
        {"S", false, nullptr},
        {"S:1", false, nullptr},
        {"::1", false, nullptr},
        {":S:", false, nullptr},
        {":S:0", false, nullptr},
        {":S:x", false, nullptr},
        {":S:1x", false, nullptr},
        {":S:-1", false, nullptr},
        {":S:+1", false, nullptr},
        {":S: 1", false, nullptr},
        {":S:1:0", false, nullptr},
        {":S:1:2:1", false, nullptr},
        {":S:99999999999", false, nullptr},
        {":S:3", false, nullptr},
        {":S:2:1", false, nullptr},
        {":S:1:3", false, nullptr},
        {":Nope", false, nullptr},
        {":s", false, nullptr},
        {":S", true, nullptr},
        {":S:1:1", true, nullptr},
        {":S:3", true, nullptr},
        {":S:0", true, nullptr},
    };
    for (Case const& c : cases) {
        AKObject* const expected = c.expected != nullptr ? this->*c.expected : nullptr;
        EXPECT_EQ(Find(c.path, c.track), expected) << "\"" << c.path << "\"" << (c.track ? " track" : "");
    }
}

TEST_F(QVDocumentPathsTest, NodeIDsComeFirstAndTheClassFiltersTheTemplate)
{
    AKNodeID const id = Q1->NodeOwnerID();
    EXPECT_EQ(mDocument->GetObjectForOSC(id, ":S", TestPlayer::_ClassID()), Q1);
    EXPECT_EQ(mDocument->GetObjectForOSC(id, "", AKClassID()), Q1);
    EXPECT_EQ(mDocument->GetObjectForOSC(mDocument->GetTree()->GetNextNodeID(), ":S", AKClassID()), nullptr);

    EXPECT_EQ(mDocument->GetObjectForOSCT<TestSequence>(0, ":S"), S);
    EXPECT_EQ(mDocument->GetObjectForOSCT<TestPlayer>(0, ":S"), nullptr);
    EXPECT_EQ(mDocument->GetObjectForOSCT<TestPlayer>(0, ":S:2"), P2);
    EXPECT_EQ(mDocument->GetObjectForOSCT<TestTrack>(0, ":S:2"), T2);
    EXPECT_EQ(mDocument->GetObjectForOSCT<TestTrack>(S->NodeOwnerID(), ""), nullptr);

    // Without a navigator no name path resolves.
    QVObjectPathNavigator const* const navigator = QVObjectPathNavigator::Get();
    QVObjectPathNavigator::Install(nullptr);
    EXPECT_EQ(Find(":S:1:1"), nullptr);
    QVObjectPathNavigator::Install(navigator);
}

TEST_F(QVDocumentPathsTest, PathsStayCachedUntilAStructuralSynchronisation)
{
    EXPECT_EQ(Find(":S:1"), P1);
    EXPECT_EQ(Find(":S:1", true), T1);
    EXPECT_EQ(Find(":S:9"), nullptr);  // not kept
    EXPECT_EQ(mDocument->CountCachedObjectPaths(false), 1u);
    EXPECT_EQ(mDocument->CountCachedObjectPaths(true), 1u);

    // A new first player: the cached path still names P1 until the
    // document is synchronised with the action that created it.
    AKTreeActionParam created(mDocument->GetTree());
    AKObject* const P0 = TestAddObject<TestPlayer>(*mDocument, S, "P0", kAKLinkModeFirstChildren, &created);
    ASSERT_NE(P0, nullptr);
    EXPECT_EQ(Find(":S:1"), P1);
    unsigned int const syncs = FakeAudioSource::Of(mDocument.get())->mSpareSyncCount;
    mDocument->SynchronizeAllAndNotifyGandlerListeners(created);
    EXPECT_EQ(FakeAudioSource::Of(mDocument.get())->mSpareSyncCount, syncs + 1);
    EXPECT_EQ(mDocument->CountCachedObjectPaths(false), 0u);
    EXPECT_EQ(mDocument->CountCachedObjectPaths(true), 0u);
    EXPECT_EQ(Find(":S:1"), P0);
    mDocument->SynchronizeAllAndNotifyGandlerListeners();

    // Which actions empty the caches, and which also resynchronise the source.
    struct Case {
        int commandID;
        unsigned int flags;
        bool emptied;
        bool sourceSynchronised;
    };
    Case const cases[] = {
        {-1, 0, true, true},     {1, 0x101, true, true},  {1, 0x201, true, true},    {1, 0x401, true, true},
        {1, 0x801, true, false}, {1, 0x1, true, false},   {1, 0x1001, false, false}, {1, 0x1201, true, true},
        {1, 0, false, false},    {1, 0x802, true, false},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(Find(":S:2"), P1);
        ASSERT_EQ(mDocument->CountCachedObjectPaths(false), 1u);
        AKTreeActionParam action(mDocument->GetTree());
        action.SetActionName(c.commandID, "Edit");
        action.SetResultFlags(c.flags);
        unsigned int const before = FakeAudioSource::Of(mDocument.get())->mSpareSyncCount;
        mDocument->mNotified.clear();
        mDocument->SynchronizeAllAndNotifyGandlerListeners(action);
        EXPECT_EQ(mDocument->CountCachedObjectPaths(false), c.emptied ? 0u : 1u) << std::hex << c.flags;
        EXPECT_EQ(FakeAudioSource::Of(mDocument.get())->mSpareSyncCount, before + (c.sourceSynchronised ? 1 : 0))
            << std::hex << c.flags;
        EXPECT_EQ(mDocument->mNotified, (std::vector<std::pair<int, unsigned int>>{{c.commandID, c.flags}}));
    }

    // A full refresh notifies without synchronising anything.
    EXPECT_EQ(Find(":S:2"), P1);
    mDocument->mNotified.clear();
    mDocument->ForceRefreshDocument();
    EXPECT_EQ(mDocument->CountCachedObjectPaths(false), 1u);
    EXPECT_EQ(mDocument->mNotified, (std::vector<std::pair<int, unsigned int>>{{-1, 0xff01}}));
}

}  // namespace
