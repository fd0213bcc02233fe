// The document manager: registration and look-ups by ID (in the direct-access
// table and beyond it), the ID list, the active document, names and file
// paths, closing everything, and the mix of the real-time documents with its
// smoothed load.

#include "AKLog.h"
#include "AllocationProbe.h"
#include "DocumentTestObjects.h"
#include "FakeAudioSource.h"
#include "LogCapture.h"
#include "QVDocumentIDTable.h"
#include "QVDocumentMgr.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr unsigned int kPrivateRealTime = kQVDocumentFlagPrivate | kQVDocumentFlagRealTimeAudio;

QVAudioInfo Format(unsigned int channels, unsigned long long frames, double rate)
{
    QVAudioInfo info;
    info.Setup(channels, frames, rate);
    return info;
}

// Private documents (so the shared manager never sees them) registered by
// hand with a manager of the test's own.
class QVDocumentMgrTest : public ::testing::Test
{
protected:
    void SetUp() override { QVDocumentAudioSource::InstallMaker(&FakeAudioSource::Make); }
    void TearDown() override
    {
        for (auto const& document : mDocuments)
            mMgr.RemoveDocument(document.get());
        mDocuments.clear();
        QVDocumentAudioSource::InstallMaker(nullptr);
    }

    QVDocument* NewDocument(double level, unsigned int flags = kPrivateRealTime, bool add = true)
    {
        FakeAudioSource::NextLevel() = level;
        mDocuments.push_back(std::make_unique<QVDocument>(1, flags));
        if (add)
            mMgr.AddDocument(mDocuments.back().get());
        return mDocuments.back().get();
    }

    QVDocumentMgr mMgr;
    std::vector<std::unique_ptr<QVDocument>> mDocuments;
};

std::vector<QVDocumentID> IDsOf(ATArray<QVDocumentID> const& ids) { return ids.StdVector(); }

TEST_F(QVDocumentMgrTest, RegistrationKeepsTheOrderAndFindsDocumentsByID)
{
    QVDocument* const a = NewDocument(0);
    QVDocument* const b = NewDocument(0);
    QVDocument* const c = NewDocument(0);
    mMgr.AddDocument(b);  // already registered
    mMgr.AddDocument(nullptr);
    EXPECT_EQ(IDsOf(mMgr.GetDocumentIDs()),
              (std::vector<QVDocumentID>{a->GetDocumentID(), b->GetDocumentID(), c->GetDocumentID()}));
    EXPECT_EQ(mMgr.GetDocumentByID(b->GetDocumentID()), b);
    EXPECT_EQ(mMgr.GetDocumentByID(kQVNullDocumentID), nullptr);
    EXPECT_EQ(mMgr.GetDocumentByID(c->GetDocumentID() + 1), nullptr);
    EXPECT_EQ(mMgr.GetDocumentByID(kQVDocumentIDTableMaxID + 5), nullptr);

    EXPECT_EQ(mMgr.SetActiveDocument(b), b->GetDocumentID());
    EXPECT_EQ(mMgr.GetActiveDocument(), b);
    mMgr.RemoveDocument(b);
    EXPECT_EQ(mMgr.GetActiveDocumentID(), kQVNullDocumentID);
    EXPECT_EQ(mMgr.GetDocumentByID(b->GetDocumentID()), nullptr);
    EXPECT_EQ(IDsOf(mMgr.GetDocumentIDs()), (std::vector<QVDocumentID>{a->GetDocumentID(), c->GetDocumentID()}));

    // Removing what is not registered changes nothing.
    QVDocument* const stranger = NewDocument(0, kPrivateRealTime, false);
    mMgr.SetActiveDocument(a);
    mMgr.RemoveDocument(stranger);
    mMgr.RemoveDocument(b);
    mMgr.RemoveDocument(nullptr);
    EXPECT_EQ(mMgr.CountDocuments(), 2u);
    EXPECT_EQ(mMgr.GetActiveDocumentID(), a->GetDocumentID());
    EXPECT_EQ(mMgr.SetActiveDocument(nullptr), kQVNullDocumentID);

    // Registered again, it goes to the end.
    mMgr.AddDocument(b);
    EXPECT_EQ(IDsOf(mMgr.GetDocumentIDs()),
              (std::vector<QVDocumentID>{a->GetDocumentID(), c->GetDocumentID(), b->GetDocumentID()}));
    EXPECT_EQ(mMgr.GetDocumentByID(b->GetDocumentID()), b);
}

TEST(QVDocumentIDTableTest, GrowsWithNullsAndRefusesIDsBeyondItsLimit)
{
    QVDocumentIDTable table;
    EXPECT_EQ(table.Length(), 0u);
    auto* const one = reinterpret_cast<QVDocument*>(0x1000);
    auto* const two = reinterpret_cast<QVDocument*>(0x2000);

    EXPECT_TRUE(table.Set(3, one));
    EXPECT_EQ(table.Length(), 4u);
    EXPECT_EQ(table.Get(0), nullptr);
    EXPECT_EQ(table.Get(2), nullptr);
    EXPECT_EQ(table.Get(3), one);
    // Across several chunks at once, and back down: the length never shrinks.
    EXPECT_TRUE(table.Set(700, two));
    EXPECT_EQ(table.Length(), 701u);
    EXPECT_EQ(table.Get(699), nullptr);
    EXPECT_EQ(table.Get(700), two);
    EXPECT_TRUE(table.Set(3, two));
    EXPECT_EQ(table.Length(), 701u);
    EXPECT_EQ(table.Get(3), two);

    table.Clear(700);
    table.Clear(50000);
    EXPECT_EQ(table.Get(700), nullptr);
    EXPECT_TRUE(table.Set(kQVDocumentIDTableMaxID, one));
    EXPECT_EQ(table.Get(kQVDocumentIDTableMaxID), one);
    EXPECT_FALSE(table.Set(kQVDocumentIDTableMaxID + 1, one));
    EXPECT_EQ(table.Length(), kQVDocumentIDTableMaxID + 1);

    table.Reset();
    EXPECT_EQ(table.Length(), 0u);
    EXPECT_EQ(table.Get(3), nullptr);
    EXPECT_TRUE(table.Set(1, one));
    EXPECT_EQ(table.Get(3), nullptr);
}

TEST_F(QVDocumentMgrTest, AnIDBeyondTheTableTurnsDirectAccessOffForGood)
{
    QVDocument* const early = NewDocument(0);
    // Burn IDs up to the table's last one: IDs are never reused.
    while (true) {
        QVDocument probe(1, kQVDocumentFlagPrivate);
        if (probe.GetDocumentID() >= kQVDocumentIDTableMaxID - 1)
            break;
    }
    QVDocument* const last = NewDocument(0);
    ASSERT_EQ(last->GetDocumentID(), kQVDocumentIDTableMaxID);
    EXPECT_TRUE(mMgr.IsDirectAccessOn());
    EXPECT_EQ(mMgr.GetDocumentByID(kQVDocumentIDTableMaxID), last);

    QVDocument* const beyond = NewDocument(0);
    ASSERT_EQ(beyond->GetDocumentID(), kQVDocumentIDTableMaxID + 1);
    EXPECT_FALSE(mMgr.IsDirectAccessOn());
    for (QVDocument* document : {early, last, beyond})
        EXPECT_EQ(mMgr.GetDocumentByID(document->GetDocumentID()), document);
    EXPECT_EQ(mMgr.GetDocumentByID(kQVNullDocumentID), nullptr);

    mMgr.RemoveDocument(last);
    EXPECT_EQ(mMgr.GetDocumentByID(kQVDocumentIDTableMaxID), nullptr);
    mMgr.RemoveDocument(beyond);
    EXPECT_FALSE(mMgr.IsDirectAccessOn());
    EXPECT_EQ(mMgr.GetDocumentByID(early->GetDocumentID()), early);
}

TEST_F(QVDocumentMgrTest, NamesAndFilePaths)
{
    QVDocument* const a = NewDocument(0);
    QVDocument* const b = NewDocument(0);
    a->SetDocumentName("Concert");
    b->SetDocumentFilePath(AKFilePath("/shows/Rehearsal.qvd"));
    EXPECT_EQ(mMgr.GetDocumentByName("Concert"), a);
    EXPECT_EQ(mMgr.GetDocumentByName("concert"), nullptr);
    EXPECT_EQ(mMgr.GetDocumentByName(""), nullptr);
    EXPECT_EQ(mMgr.GetDocumentByName("Rehearsal"), b);

    mMgr.SetDocumentsBasePath(AKFilePath("/shows"));
    EXPECT_EQ(mMgr.GetDocumentsBasePath(), AKFilePath("/shows/"));
    EXPECT_EQ(mMgr.GetDocumentByFilePath(AKFilePath("Rehearsal.qvd")), b);
    EXPECT_EQ(mMgr.GetDocumentByFilePath(AKFilePath("/shows/x/../Rehearsal.qvd")), b);
    EXPECT_EQ(mMgr.GetDocumentByFilePath(AKFilePath("Rehearsal")), nullptr);
    EXPECT_EQ(mMgr.GetDocumentByFilePath(AKFilePath()), nullptr);

    struct Case {
        char const* path;
        char const* extension;
        char const* resolved;
    };
    Case const cases[] = {
        {"piece", "qvd", "/shows/piece.qvd"},
        {"sub/piece.old", "qvd", "/shows/sub/piece.qvd"},
        {"./a/../piece", "", "/shows/piece"},
        {"/abs/./b/../piece.xml", "", "/abs/piece.xml"},
    };
    for (Case const& c : cases) {
        AKFilePath path(c.path);
        mMgr.ResolveDocumentFilePath(&path, AKString(c.extension));
        EXPECT_EQ(path, AKFilePath(c.resolved)) << c.path;
    }
    AKFilePath typed("piece");
    mMgr.ResolveDocumentFilePath(&typed, 1u);
    EXPECT_EQ(typed, AKFilePath("/shows/piece.qvd"));
    AKFilePath untyped("piece.txt");
    mMgr.ResolveDocumentFilePath(&untyped, 7u);
    EXPECT_EQ(untyped, AKFilePath("/shows/piece.txt"));

    // Without a base folder, the application folder.
    mMgr.SetDocumentsBasePath(AKFilePath());
    AKFilePath relative("piece");
    mMgr.ResolveDocumentFilePath(&relative, AKString());
    EXPECT_TRUE(relative.IsAbsolute());
    EXPECT_EQ(relative.FileName(), AKString("piece"));
}

TEST(QVDocumentMgrLogTest, WithoutDocumentsOnlyTheFramedCount)
{
    QVDocumentMgr mgr;
    LogCapture capture;
    mgr.LogInfo(1);
    std::string const frame = "+==================================================================================+\n";
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{frame, "| Document-Manager has 0 Document(s)\n", frame}));
}

// --- Closing (documents registered with the shared manager) ---

// A document whose close may be cancelled, recording the order of the asks.
class AskingDocument : public QVDocument
{
public:
    AskingDocument(char const* name, std::vector<std::string>* asked) : QVDocument(1, 0), mAsked(asked)
    {
        SetDocumentName(name);
    }
    void DoDocumentClose(unsigned int flags, bool* cancelled) override
    {
        mAsked->push_back(GetDocumentName().StdString());
        if (mCancel) {
            *cancelled = true;
            return;
        }
        if (mStayOpen) {
            *cancelled = false;
            return;
        }
        QVDocument::DoDocumentClose(flags, cancelled);
    }

    bool mCancel = false;
    bool mStayOpen = false;

private:
    std::vector<std::string>* const mAsked;
};

TEST(QVDocumentMgrCloseTest, CloseAllStopsAtTheFirstCancelledClose)
{
    QVDocumentMgr& mgr = QVDocumentMgr::sShared;
    ASSERT_EQ(mgr.CountDocuments(), 0u);
    std::vector<std::string> asked;
    auto* const a = new AskingDocument("A", &asked);
    auto* const b = new AskingDocument("B", &asked);
    new AskingDocument("C", &asked);
    b->mCancel = true;

    bool cancelled = false;
    EXPECT_TRUE(mgr.DoCloseAllDocuments(0, &cancelled));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(asked, (std::vector<std::string>{"C", "B"}));
    EXPECT_EQ(mgr.GetDocumentIDs().StdVector(), (std::vector<QVDocumentID>{a->GetDocumentID(), b->GetDocumentID()}));

    // A close that neither cancels nor closes stops the loop as well.
    b->mCancel = false;
    b->mStayOpen = true;
    asked.clear();
    EXPECT_TRUE(mgr.DoCloseAllDocuments(0, nullptr));
    EXPECT_EQ(asked, (std::vector<std::string>{"B"}));

    b->mStayOpen = false;
    asked.clear();
    EXPECT_FALSE(mgr.DoCloseAllDocuments(0, &cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(asked, (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(mgr.CountDocuments(), 0u);
    EXPECT_TRUE(mgr.GetDocumentIDs().IsEmpty());
}

TEST(QVDocumentMgrCloseTest, CloseAllDeletesLastFirstAndTerminateFindsNothingLeft)
{
    QVDocumentMgr& mgr = QVDocumentMgr::sShared;
    std::vector<std::string> asked;
    new AskingDocument("A", &asked);
    auto* const b = new AskingDocument("B", &asked);
    b->mCancel = true;  // deleting does not ask
    mgr.CloseAllDocuments();
    EXPECT_EQ(mgr.CountDocuments(), 0u);
    EXPECT_TRUE(asked.empty());
    new AskingDocument("C", &asked);
    mgr.Terminate();
    mgr.Terminate();
    EXPECT_EQ(mgr.CountDocuments(), 0u);
}

// --- Mixing ---

double sFakeNow = 0.0;
double sFakeStep = 0.0;
// Each reading advances by the step: a block costs exactly one step.
double FakeClock()
{
    double const now = sFakeNow;
    sFakeNow += sFakeStep;
    return now;
}

void ExpectLevel(QXSampleBuffer<double> const& buffer, unsigned int channels, unsigned long long frames, double level)
{
    ASSERT_EQ(buffer.ChannelCount(), channels);
    ASSERT_EQ(buffer.FrameCount(), frames);
    for (unsigned int channel = 0; channel < channels; ++channel)
        for (unsigned long long frame = 0; frame < frames; ++frame)
            ASSERT_EQ(*buffer.SamplePtrConst(channel, frame), level) << channel << " " << frame;
}

TEST_F(QVDocumentMgrTest, MixSumsTheRealTimeSourcesThatGiveABlock)
{
    QVDocument* const first = NewDocument(0.25);
    NewDocument(0.5);
    QVDocument* const offline = NewDocument(4.0, kQVDocumentFlagPrivate);
    QVDocument* const silent = NewDocument(8.0);
    FakeAudioSource::Of(silent)->mGivesBlocks = false;

    mMgr.PrepareRealTimeAudioResources(Format(2, 64, 1000.0));
    EXPECT_TRUE(mMgr.IsAudioPrepared());
    EXPECT_EQ(FakeAudioSource::Of(first)->mPrepareCount, 1u);
    EXPECT_EQ(FakeAudioSource::Of(offline)->mPrepareCount, 0u);

    QXSampleBuffer<double>* mix = nullptr;
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 2, 64, 0.75);
    EXPECT_EQ(FakeAudioSource::Of(offline)->mBlocksAsked.load(), 0u);
    EXPECT_EQ(FakeAudioSource::Of(silent)->mBlocksAsked.load(), 1u);

    // A shorter block; then the prepared size again.
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 16));
    ExpectLevel(*mix, 2, 16, 0.75);
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 2, 64, 0.75);

    // A document registered while the device runs is prepared on arrival;
    // one removed is released.
    QVDocument* const late = NewDocument(1.0);
    EXPECT_EQ(FakeAudioSource::Of(late)->mPrepareCount, 1u);
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 2, 64, 1.75);
    mMgr.RemoveDocument(first);
    EXPECT_EQ(FakeAudioSource::Of(first)->mReleaseCount, 1u);
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 2, 64, 1.5);

    mMgr.ReleaseRealTimeAudioResources();
    EXPECT_FALSE(mMgr.IsAudioPrepared());
    EXPECT_EQ(FakeAudioSource::Of(late)->mReleaseCount, 1u);
    EXPECT_EQ(FakeAudioSource::Of(offline)->mReleaseCount, 0u);
}

TEST_F(QVDocumentMgrTest, WithoutSourcesTheMixIsSilence)
{
    QXSampleBuffer<double>* mix = nullptr;
    // No device prepared: an empty block whatever is asked.
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 32));
    EXPECT_EQ(mix->FrameCount(), 0u);
    EXPECT_EQ(mMgr.GetLoad(), 0.0);

    mMgr.PrepareRealTimeAudioResources(Format(3, 32, 1000.0));
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 3, 32, 0.0);

    // A source whose block is narrower and shorter than the mix leaves
    // silence, not the previous block, in the rest.
    QVDocument* const narrow = NewDocument(0.5, kPrivateRealTime, false);
    FakeAudioSource::Of(narrow)->PrepareAudioResources(Format(1, 8, 1000.0));
    QVDocument* const full = NewDocument(2.0);
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    ExpectLevel(*mix, 3, 32, 2.0);
    mMgr.RemoveDocument(full);
    mMgr.AddDocument(narrow);  // the device is prepared: its source is prepared anew
    FakeAudioSource::Of(narrow)->PrepareAudioResources(Format(1, 8, 1000.0));
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    EXPECT_EQ(*mix->SamplePtrConst(0, 0), 0.5);
    EXPECT_EQ(*mix->SamplePtrConst(0, 8), 0.0);
    EXPECT_EQ(*mix->SamplePtrConst(1, 0), 0.0);
}

TEST_F(QVDocumentMgrTest, TheLoadIsTheSmoothedCostOfTheBlocks)
{
    NewDocument(0.5);
    sFakeNow = 0.0;
    sFakeStep = 500.0;  // µs per block
    mMgr.SetClock(&FakeClock);
    mMgr.PrepareRealTimeAudioResources(Format(2, 64, 1000.0));

    // 500 µs for 64 frames at 1000 Hz (64 ms): a cost of 1/128.
    double const cost = 0.0005 * 1000.0 / 64.0;
    double expected = 0.0;
    QXSampleBuffer<double>* mix = nullptr;
    for (int block = 0; block < 5; ++block) {
        ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
        expected += 0.2 * (cost - expected);
        EXPECT_DOUBLE_EQ(mMgr.GetLoad(), expected) << block;
    }
    // Half the frames for the same time: twice the cost.
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 32));
    expected += 0.2 * (2 * cost - expected);
    EXPECT_DOUBLE_EQ(mMgr.GetLoad(), expected);

    // A new device format starts from 0; so does the release.
    mMgr.PrepareRealTimeAudioResources(Format(2, 128, 1000.0));
    EXPECT_EQ(mMgr.GetLoad(), 0.0);
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    EXPECT_DOUBLE_EQ(mMgr.GetLoad(), 0.2 * (0.0005 * 1000.0 / 128.0));
    mMgr.ReleaseRealTimeAudioResources();
    EXPECT_EQ(mMgr.GetLoad(), 0.0);
    // Without a format a block costs 0 whatever time it took.
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    EXPECT_EQ(mMgr.GetLoad(), 0.0);
    mMgr.SetClock(nullptr);
}

TEST_F(QVDocumentMgrTest, MixingABlockAllocatesNothing)
{
    NewDocument(0.25);
    NewDocument(0.5);
    mMgr.PrepareRealTimeAudioResources(Format(2, 256, 48000.0));
    QXSampleBuffer<double>* mix = nullptr;
    ASSERT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    QXSampleBuffer<double> output;
    output.AllocateClean(3, 300, 48000.0);
    {
        AllocationProbe probe;
        for (unsigned long long frames : {0ull, 100ull, 256ull, 0ull})
            mMgr.GetNextRealTimeAudioBlock(&mix, frames);
        mMgr.CopyNextRealTimeAudioBlock(&output, 0);
        EXPECT_EQ(AllocationProbe::Count(), 0u);
        EXPECT_EQ(AllocationProbe::Releases(), 0u);
    }
    ExpectLevel(*mix, 2, 256, 0.75);
    // The copy pairs the mix's channels and frames; the rest is silence.
    EXPECT_EQ(*output.SamplePtrConst(1, 255), 0.75);
    EXPECT_EQ(*output.SamplePtrConst(1, 256), 0.0);
    EXPECT_EQ(*output.SamplePtrConst(2, 0), 0.0);
}

}  // namespace
