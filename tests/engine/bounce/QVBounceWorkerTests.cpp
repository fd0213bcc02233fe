// Bounce jobs over a fake audio source whose blocks tell their frame: the
// synchronous job writes exactly the stream for the duration; refusals,
// a source without blocks and sounds not loaded fail without leaving a
// file; the worker renders queued jobs in order through driven idle
// passes, with its share pacing, abort (the partial file removed), history
// clearing that keeps running jobs, termination, and a sound that never
// loads rendered as logged silence instead of a job that waits for ever.

#include "AKStatus.h"
#include "BounceFixtures.h"
#include "LogCapture.h"
#include "QVBounceMgr.h"
#include "QVLibBasicOptions.h"
#include "QVLibEnv.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace BounceFixtures;
using namespace SoundFixtures;

namespace {

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_EQ(QVLibEnv::Initialize(false), 0);
        QVDocumentAudioSource::InstallMaker(&FakeSource::Make);
    }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

QVBounceParam Param(double duration, unsigned int channels = 2, double rate = 44100.0)
{
    QVBounceParam param;
    param.soundFormat = QVAudioFormatFromAKString(AKString("wav"));
    param.pcmInfo = QVAudioPCMInfoFromAKString(AKString("16"));
    param.channelCount = channels;
    param.sampleRate = rate;
    param.duration = duration;
    return param;
}

SoundRecipe OneSecond(int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16)
{
    SoundRecipe recipe;
    recipe.format = format;
    recipe.frames = 44100;
    return recipe;
}

bool Contains(LogCapture const& log, std::string const& text)
{
    for (std::string const& line : log.Lines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

bool Exists(std::string const& path) { return std::filesystem::exists(path); }

void ExpectFakeStream(std::string const& path, unsigned int channels, unsigned long long frames)
{
    SF_INFO info = {};
    std::vector<float> const samples = ReadSoundFile(path, &info);
    ASSERT_EQ(info.channels, static_cast<int>(channels));
    ASSERT_EQ(static_cast<unsigned long long>(info.frames), frames);
    for (unsigned long long f = 0; f < frames; ++f)
        for (unsigned int c = 0; c < channels; ++c)
            ASSERT_EQ(samples[f * channels + c], static_cast<float>(FakeSample(f, c))) << "frame " << f;
}

class BounceTest : public ::testing::Test
{
protected:
    void SetUp() override { FakeSource::GivesNoBlock().store(false); }
    void TearDown() override
    {
        QVBounceMgr::sShared.Terminate();
        FakeSource::GivesNoBlock().store(false);
        gQVLib.realTime = true;
    }
    AKFilePath Path(char const* name) const { return EnginePath(mFolder.File(name)); }

    TempFolder mFolder;
    QVBounceMgr& mMgr = QVBounceMgr::sShared;
};

// --- Synchronous jobs ---

TEST_F(BounceTest, ASynchronousJobWritesTheSourceStreamForItsDuration)
{
    Scene scene(mFolder, {OneSecond()}, true);
    LogCapture log;
    ASSERT_EQ(mMgr.LaunchBounce(kQVBounceModeSync, scene.Store(), Path("sync.wav"), Param(0.5)), 0);
    ExpectFakeStream(mFolder.File("sync.wav"), 2, 22050);
    EXPECT_TRUE(Contains(log, "# Bounce <sync> Stacked: Sync with Tracks[all] to:"));
    EXPECT_TRUE(Contains(log, "# Bounce <sync> Completed: Taken"));
    // A synchronous job leaves nothing in the list.
    EXPECT_EQ(mMgr.CountBouncers(), 0u);

    // Mono, another rate, a duration that is not a whole number of blocks.
    ASSERT_EQ(mMgr.LaunchBounce(kQVBounceModeSync, scene.Store(), Path("mono.wav"), Param(0.3, 1, 8000.0)), 0);
    ExpectFakeStream(mFolder.File("mono.wav"), 1, 2400);
}

TEST_F(BounceTest, RefusalsAndFailuresLeaveNoFile)
{
    Scene scene(mFolder, {OneSecond()}, true);
    AKTreeSelCache empty;
    QVBounceParam badParam = Param(1.0);
    badParam.channelCount = 0;
    struct Case {
        char const* name;
        AKTreeSelCache const* store;
        QVBounceParam param;
        unsigned int mode;
        bool realTime;
        bool noBlock;
        int status;
        char const* logged;
    };
    Case const cases[] = {
        {"nosel.wav", &empty, Param(1.0), kQVBounceModeSync, true, false, kQVErrorBouncerInvalidParameter,
         "No selection to bounce"},
        {"", &scene.Store(), Param(1.0), kQVBounceModeSync, true, false, kQVErrorBouncerInvalidParameter,
         "Invalid sound-file path"},
        {"bad.wav", &scene.Store(), badParam, kQVBounceModeSync, true, false, kQVErrorBouncerInvalidParameter,
         "No channel (1 at least)"},
        {"async.wav", &scene.Store(), Param(1.0), 0, false, false, kQVErrorBouncerInvalidParameter,
         "Impossible to launch asynchroneously"},
        {"noblock.wav", &scene.Store(), Param(1.0), kQVBounceModeSync, true, true, kQVErrorBouncerInternalError,
         "Failed"},
    };
    for (Case const& c : cases) {
        gQVLib.realTime = c.realTime;
        FakeSource::GivesNoBlock().store(c.noBlock);
        LogCapture log;
        AKFilePath const path = c.name[0] != '\0' ? Path(c.name) : AKFilePath();
        EXPECT_EQ(mMgr.LaunchBounce(c.mode, *c.store, path, c.param), c.status) << c.name;
        EXPECT_TRUE(Contains(log, c.logged)) << c.name;
        if (c.name[0] != '\0') {
            EXPECT_FALSE(Exists(mFolder.File(c.name))) << c.name;
        }
    }
    EXPECT_EQ(mMgr.CountBouncers(), 0u);
}

TEST_F(BounceTest, ASpanShorterThanTheMinimumIsRefused)
{
    Scene scene(mFolder, {OneSecond()}, false);
    scene.Sequence()->LowSetUserTimeAndSpan(0.5, 0.005, false);
    AKTreeSel selection(scene.Document()->GetTree());
    selection.InitWithObject(scene.Sequence());
    AKTreeSelCache store;
    ASSERT_EQ(scene.Document()->GetTree()->WriteTreeSelToCache(&store, selection), 0);
    LogCapture log;
    EXPECT_EQ(mMgr.LaunchBounce(kQVBounceModeSync, store, Path("short.wav"), Param(1.0)),
              kQVErrorBouncerInvalidParameter);
    EXPECT_TRUE(Contains(log, "Can't bounce: Duration is too small (0.010 second at least)"));
    EXPECT_FALSE(Exists(mFolder.File("short.wav")));
}

TEST_F(BounceTest, ASynchronousJobWhoseSoundsAreStillLoadingFailsInsteadOfWritingNothing)
{
    // A decoded sound is available only once an idle pass ends its load.
    Scene scene(mFolder, {OneSecond(SF_FORMAT_FLAC | SF_FORMAT_PCM_16)}, false);
    LogCapture log;
    EXPECT_EQ(mMgr.LaunchBounce(kQVBounceModeSync, scene.Store(), Path("early.wav"), Param(1.0)),
              kQVErrorBouncerBadState);
    EXPECT_TRUE(Contains(log, "its sounds are not loaded yet"));
    EXPECT_FALSE(Exists(mFolder.File("early.wav")));
    IdleUntil([] { return QVProviderMgr::sShared.GetLoadingCount() == 0; });
}

// --- The worker ---

TEST_F(BounceTest, QueuedJobsAreRenderedInOrderByTheWorker)
{
    Scene scene(mFolder, {OneSecond()}, true);
    unsigned int const listStamp = mMgr.GetListStamp();
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("a.wav"), Param(2.0)), 0);
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("b.wav"), Param(1.0, 1, 22050.0)), 0);
    ASSERT_EQ(mMgr.CountBouncers(), 2u);
    EXPECT_EQ(mMgr.GetListStamp(), listStamp + 2);
    EXPECT_TRUE(mMgr.IsWorkerRunning());
    QVBouncer* const a = mMgr.GetBouncerAt(0);
    QVBouncer* const b = mMgr.GetBouncerAt(1);
    EXPECT_EQ(mMgr.GetBouncerByID(a->GetID()), a);
    EXPECT_EQ(b->GetID(), a->GetID() + 1);

    // The first job is taken first; the second waits its turn.
    ASSERT_TRUE(IdleUntil([&] { return mMgr.GetCurrentProcessingBouncerID() != kQVNullBouncerID; }));
    EXPECT_EQ(mMgr.GetCurrentProcessingBouncerID(), a->GetID());
    EXPECT_LT(b->GetState(), kQVBouncerStateWriting);

    ASSERT_TRUE(IdleUntil([&] { return a->IsFinal() && b->IsFinal() && !mMgr.IsWorkerRunning(); }));
    EXPECT_EQ(a->GetState(), kQVBouncerStateCompleted);
    EXPECT_EQ(b->GetState(), kQVBouncerStateCompleted);
    EXPECT_EQ(mMgr.GetFinishedCount(), 2u);
    EXPECT_EQ(a->BouncerProgress(), 1.0);
    EXPECT_EQ(a->GetPrivateDocument(), nullptr);
    ExpectFakeStream(mFolder.File("a.wav"), 2, 88200);
    ExpectFakeStream(mFolder.File("b.wav"), 1, 22050);

    // With the worker stopped, the next pass drops the idle requests.
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_FALSE(mMgr.IsIdlingRegistered());
}

TEST_F(BounceTest, TheWorkerSharePacesTheJobByTheDiskQueue)
{
    struct Case {
        double share;
        double occupation;
        double expected;
    };
    Case const cases[] = {
        {0.2, 0.0, 0.2},                       // nothing queued: unchanged
        {0.2, 0.05, 0.22},                     // the disk keeps up: 10 % more
        {0.62, 0.01, 0.65},                    // up to the maximum
        {0.65, 0.09, 0.65}, {0.5, 0.1, 0.05},  // the disk falls behind
        {0.05, 0.8, 0.05},
    };
    for (Case const& c : cases)
        EXPECT_DOUBLE_EQ(QVBounceMgr::ComputeTunedShare(c.share, c.occupation), c.expected)
            << c.share << " " << c.occupation;

    // A job without plug-ins starts at the base share, no fixed period.
    Scene scene(mFolder, {OneSecond()}, true);
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("paced.wav"), Param(1.0)), 0);
    QVBouncer* const job = mMgr.GetBouncerAt(0);
    EXPECT_EQ(job->GetOneCycleDurationForRealTime(), 0.0);
    ASSERT_TRUE(IdleUntil([&] { return job->GetState() >= kQVBouncerStateWriting; }));
    EXPECT_EQ(mMgr.GetThread().GetRealTimePeriod(), 0.0);
    EXPECT_GE(mMgr.GetThread().GetExpectedCpuUsage(), kQVBounceShareSlow);
    EXPECT_LE(mMgr.GetThread().GetExpectedCpuUsage(), kQVBounceShareMax);
    ASSERT_TRUE(IdleUntil([&] { return !mMgr.IsWorkerRunning(); }));
    EXPECT_DOUBLE_EQ(mMgr.GetThread().GetExpectedCpuUsage(), kQVBounceWorkerShare);
}

TEST_F(BounceTest, AbortingAWritingJobRemovesItsPartialFile)
{
    Scene scene(mFolder, {OneSecond()}, true);
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("long.wav"), Param(600.0, 2, 192000.0)), 0);
    QVBouncer* const job = mMgr.GetBouncerAt(0);
    ASSERT_TRUE(IdleUntil([&] { return job->GetState() == kQVBouncerStateWriting; }));
    EXPECT_TRUE(Exists(mFolder.File("long.wav")));

    LogCapture log;
    unsigned int const stamp = mMgr.GetStateStamp();
    mMgr.AbortUncompletedBouncer(job->GetID());
    EXPECT_EQ(job->GetState(), kQVBouncerStateAborted);
    EXPECT_FALSE(Exists(mFolder.File("long.wav")));
    EXPECT_TRUE(Contains(log, "# Bounce <long> Canceled: Taken"));
    // The next pass sees the job in process final.
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(mMgr.GetCurrentProcessingBouncerID(), kQVNullBouncerID);
    EXPECT_EQ(mMgr.GetFinishedCount(), 1u);
    EXPECT_GT(mMgr.GetStateStamp(), stamp);
    // A finished job is not aborted again.
    mMgr.AbortUncompletedBouncer(job->GetID());
    EXPECT_EQ(mMgr.GetFinishedCount(), 1u);
}

TEST_F(BounceTest, ClearingTheHistoryKeepsRunningAndWaitingJobsInOrder)
{
    Scene scene(mFolder, {OneSecond()}, true);
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("done.wav"), Param(0.1)), 0);
    QVBouncerID const doneID = mMgr.GetBouncerAt(0)->GetID();
    ASSERT_TRUE(IdleUntil([&] { return mMgr.GetFinishedCount() == 1; }));

    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("run.wav"), Param(600.0, 2, 192000.0)), 0);
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("next.wav"), Param(1.0)), 0);
    QVBouncer* const running = mMgr.GetBouncerAt(1);
    QVBouncer* const next = mMgr.GetBouncerAt(2);
    ASSERT_TRUE(IdleUntil([&] { return running->GetState() == kQVBouncerStateWriting; }));

    unsigned int const listStamp = mMgr.GetListStamp();
    mMgr.ClearHistoryOfCompletedBouncers();
    ASSERT_EQ(mMgr.CountBouncers(), 2u);
    EXPECT_EQ(mMgr.GetBouncerAt(0), running);
    EXPECT_EQ(mMgr.GetBouncerAt(1), next);
    EXPECT_EQ(mMgr.GetBouncerByID(doneID), nullptr);
    EXPECT_EQ(mMgr.GetBouncerByID(running->GetID()), running);
    EXPECT_EQ(mMgr.GetFinishedCount(), 0u);
    EXPECT_EQ(mMgr.GetListStamp(), listStamp + 1);
    EXPECT_TRUE(Exists(mFolder.File("done.wav")));
    EXPECT_EQ(running->GetState(), kQVBouncerStateWriting);

    ATArray<QVDocument*> documents;
    mMgr.GetCurrentUsedPrivateDocuments(&documents);
    ASSERT_EQ(documents.Count(), 2u);
    EXPECT_EQ(documents[0], running->GetPrivateDocument());

    // Aborting all ends both and removes their files.
    mMgr.AbortAllUncompletedBouncers();
    EXPECT_FALSE(mMgr.IsWorkerRunning());
    EXPECT_EQ(running->GetState(), kQVBouncerStateAborted);
    EXPECT_EQ(next->GetState(), kQVBouncerStateAborted);
    EXPECT_EQ(mMgr.GetFinishedCount(), 2u);
    EXPECT_FALSE(Exists(mFolder.File("run.wav")));
    EXPECT_FALSE(Exists(mFolder.File("next.wav")));

    // Termination deletes every job.
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("last.wav"), Param(600.0, 2, 192000.0)), 0);
    EXPECT_EQ(mMgr.Terminate(), 0);
    EXPECT_EQ(mMgr.CountBouncers(), 0u);
    EXPECT_FALSE(mMgr.IsWorkerRunning());
    EXPECT_FALSE(Exists(mFolder.File("last.wav")));
}

TEST_F(BounceTest, ASoundThatNeverLoadsIsRenderedAsLoggedSilence)
{
    Scene scene(mFolder, {OneSecond(SF_FORMAT_FLAC | SF_FORMAT_PCM_16)}, false);
    // Registered, then gone before its load.
    std::filesystem::remove(scene.SoundPaths()[0]);
    LogCapture log;
    ASSERT_EQ(mMgr.LaunchBounce(0, scene.Store(), Path("lost.wav"), Param(0.5)), 0);
    QVBouncer* const job = mMgr.GetBouncerAt(0);
    ASSERT_TRUE(IdleUntil([&] { return job->IsFinal(); })) << "state " << job->GetState();
    EXPECT_EQ(job->GetState(), kQVBouncerStateCompleted);
    EXPECT_TRUE(Contains(log, "some sounds could not be loaded, they are silent"));
    ExpectFakeStream(mFolder.File("lost.wav"), 2, 22050);
}

}  // namespace
