// Document recorder: files of each record format hold exactly the pushed
// blocks, pause and the toggles, a device change that ends the recording, a
// start that fails, numbered files, a write failure reported by the message
// thread's idle pass, and pushes from an audio thread while the message
// thread starts, pauses and stops.

#include "AKIdlingCenter.h"
#include "AKStatus.h"
#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "QVAudioFormat.h"
#include "QVAudioRecorder.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVPrefs.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace SoundFixtures;

namespace {

constexpr unsigned int kChannels = 2;
constexpr unsigned long long kBlockFrames = 512;
constexpr double kRate = 44100.0;

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

// A private document named "Doc" recording into a folder of its own, with
// the record format given; the previous preferences come back afterwards.
class RecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVPrefs& prefs = QVPrefs::sShared;
        mSavedFolder = prefs.GetRecordSoundFolderPath();
        mSavedFormat = prefs.GetRecordSoundFormat();
        mSavedPCM = prefs.GetRecordSoundFormatInfo();
        prefs.SetRecordSoundFolderPath(AKFilePath((mFolder.Path() + "/").c_str()));
        UseFormat("wav", "16");
        mDocument = new QVDocument(1, kQVDocumentFlagPrivate);
        ASSERT_EQ(mDocument->OnDocumentNew(AKString("Doc"), 0, false), 0);
        mRecorder = mDocument->GetAudioRecorder();
        ASSERT_NE(mRecorder, nullptr);
        QVAudioInfo info;
        ASSERT_TRUE(info.Setup(kChannels, kBlockFrames, kRate));
        mRecorder->PrepareAudioResources(info);
        ASSERT_TRUE(mBlock.Allocate(kChannels, kBlockFrames, kRate, true));
    }
    void TearDown() override
    {
        delete mDocument;
        QVPrefs& prefs = QVPrefs::sShared;
        prefs.SetRecordSoundFolderPath(mSavedFolder);
        prefs.SetRecordSoundFormat(mSavedFormat);
        prefs.SetRecordSoundFormatInfo(mSavedPCM);
    }

    void UseFormat(char const* format, char const* pcm)
    {
        QVPrefs::sShared.SetRecordSoundFormat(QVAudioFormatFromAKString(AKString(format)));
        QVPrefs::sShared.SetRecordSoundFormatInfo(QVAudioPCMInfoFromAKString(AKString(pcm)));
    }

    // Pushes `count` blocks of the pattern signal, from frame `first` on.
    void Push(unsigned long long first, unsigned int count, unsigned int bits = 16)
    {
        for (unsigned int b = 0; b < count; ++b) {
            for (unsigned int c = 0; c < kChannels; ++c)
                for (unsigned long long f = 0; f < kBlockFrames; ++f)
                    *mBlock.SamplePtr(c, f) = SignalSample(Signal::Pattern, first + b * kBlockFrames + f, c, bits);
            mRecorder->PushNextAudioBlock(mBlock);
        }
    }

    std::string FilePath() const { return mRecorder->GetFilePath().c_str(); }

    TempFolder mFolder;
    QVDocument* mDocument = nullptr;
    QVAudioRecorder* mRecorder = nullptr;
    QXSampleBuffer<double> mBlock;
    AKFilePath mSavedFolder;
    QVAudioFormat mSavedFormat;
    QVAudioPCMInfo mSavedPCM = 0;
};

// The file holds exactly the pattern's frames of the given ranges, in order.
void ExpectPatternFrames(std::string const& path, std::vector<std::pair<unsigned long long, unsigned long long>> ranges,
                         unsigned int bits = 16)
{
    SF_INFO info = {};
    std::vector<float> const samples = ReadSoundFile(path, &info);
    unsigned long long total = 0;
    for (auto const& range : ranges)
        total += range.second;
    ASSERT_EQ(info.channels, static_cast<int>(kChannels));
    ASSERT_EQ(info.samplerate, static_cast<int>(kRate));
    ASSERT_EQ(static_cast<unsigned long long>(info.frames), total);
    unsigned long long at = 0;
    for (auto const& range : ranges)
        for (unsigned long long f = 0; f < range.second; ++f, ++at)
            for (unsigned int c = 0; c < kChannels; ++c)
                ASSERT_EQ(samples[at * kChannels + c], SignalSample(Signal::Pattern, range.first + f, c, bits))
                    << "file frame " << at << " channel " << c;
}

struct FormatCase {
    char const* format;
    char const* pcm;
    unsigned int bits;
};

class RecorderFormatTest : public RecorderTest, public ::testing::WithParamInterface<FormatCase>
{};

TEST_P(RecorderFormatTest, TheFileHoldsThePushedBlocksSampleExact)
{
    FormatCase const& format = GetParam();
    UseFormat(format.format, format.pcm);
    ASSERT_TRUE(mRecorder->SetRecording(true));
    Push(0, 30, format.bits);
    AKIdlingCenter::sShared.DoGlobalIdling();
    Push(30 * kBlockFrames, 20, format.bits);
    EXPECT_NEAR(mRecorder->CurrentTime(), 50.0 * kBlockFrames / kRate, 1e-9);
    std::string const path = FilePath();
    EXPECT_NE(path.find("Doc Rec001."), std::string::npos) << path;
    ASSERT_TRUE(mRecorder->SetRecording(false));
    EXPECT_EQ(mRecorder->CurrentTime(), 0.0);
    ExpectPatternFrames(path, {{0, 50 * kBlockFrames}}, format.bits);
}

INSTANTIATE_TEST_SUITE_P(Formats, RecorderFormatTest,
                         ::testing::Values(FormatCase{"wav", "16", 16}, FormatCase{"wav", "24", 24},
                                           FormatCase{"aiff", "16", 16}, FormatCase{"aiff", "24", 24},
                                           FormatCase{"flac", "16", 16}, FormatCase{"flac", "24", 24}));

TEST_F(RecorderTest, PauseDropsBlocksAndTheToggleGoesOnInTheSameFile)
{
    // Pausing while idle does nothing.
    EXPECT_FALSE(mRecorder->SetPaused(true));
    EXPECT_FALSE(mRecorder->DoTogglePaused());
    EXPECT_FALSE(mRecorder->IsPaused());
    EXPECT_EQ(mRecorder->GetChangeStamp(), 0u);

    ASSERT_TRUE(mRecorder->DoToggleRecording());
    EXPECT_TRUE(mRecorder->IsRecording());
    unsigned int stamp = mRecorder->GetChangeStamp();
    Push(0, 4);
    EXPECT_TRUE(mRecorder->DoTogglePaused());
    EXPECT_TRUE(mRecorder->IsPaused());
    EXPECT_GT(mRecorder->GetChangeStamp(), stamp);
    Push(10000, 3);  // dropped
    EXPECT_FALSE(mRecorder->SetPaused(true));
    stamp = mRecorder->GetChangeStamp();
    std::string const path = FilePath();

    // Toggling the recording while paused leaves the pause only.
    EXPECT_TRUE(mRecorder->DoToggleRecording());
    EXPECT_TRUE(mRecorder->IsRecording());
    EXPECT_FALSE(mRecorder->IsPaused());
    EXPECT_GT(mRecorder->GetChangeStamp(), stamp);
    EXPECT_EQ(FilePath(), path);
    Push(4 * kBlockFrames, 2);

    // A pause at the stop is cleared with it.
    EXPECT_TRUE(mRecorder->SetPaused(true));
    EXPECT_TRUE(mRecorder->SetRecording(false));
    EXPECT_FALSE(mRecorder->IsPaused());
    EXPECT_FALSE(mRecorder->SetRecording(false));
    Push(50000, 1);  // not recording: dropped
    ExpectPatternFrames(path, {{0, 6 * kBlockFrames}});
}

TEST_F(RecorderTest, ANewDeviceFormatOrItsReleaseEndsTheRecording)
{
    QVAudioInfo mono;
    ASSERT_TRUE(mono.Setup(1, 256, 48000.0));
    for (bool release : {false, true}) {
        ASSERT_TRUE(mRecorder->SetRecording(true));
        Push(0, 3);
        std::string const path = FilePath();
        unsigned int const stamp = mRecorder->GetChangeStamp();
        if (release)
            mRecorder->ReleaseAudioResources();
        else
            mRecorder->PrepareAudioResources(mono);
        EXPECT_FALSE(mRecorder->IsRecording());
        EXPECT_GT(mRecorder->GetChangeStamp(), stamp);
        ExpectPatternFrames(path, {{0, 3 * kBlockFrames}});
        QVAudioInfo stereo;
        ASSERT_TRUE(stereo.Setup(kChannels, kBlockFrames, kRate));
        mRecorder->PrepareAudioResources(stereo);
    }
}

TEST_F(RecorderTest, AFailedStartSetsTheErrorUntilTheNextStart)
{
    mRecorder->ReleaseAudioResources();
    LogCapture log;
    EXPECT_FALSE(mRecorder->SetRecording(true));
    EXPECT_TRUE(mRecorder->HasError());
    EXPECT_FALSE(mRecorder->IsRecording());
    EXPECT_TRUE(mRecorder->GetFilePath().IsEmpty());
    EXPECT_EQ(mRecorder->GetChangeStamp(), 0u);

    QVAudioInfo info;
    ASSERT_TRUE(info.Setup(kChannels, kBlockFrames, kRate));
    mRecorder->PrepareAudioResources(info);
    EXPECT_TRUE(mRecorder->SetRecording(true));
    EXPECT_FALSE(mRecorder->HasError());
}

TEST_F(RecorderTest, EachRecordingTakesTheNextNumber)
{
    std::vector<std::string> paths;
    for (int n = 0; n < 2; ++n) {
        ASSERT_TRUE(mRecorder->SetRecording(true));
        Push(0, 1);
        paths.push_back(FilePath());
        ASSERT_TRUE(mRecorder->SetRecording(false));
    }
    EXPECT_EQ(paths[0], mFolder.File("Doc Rec001.wav"));
    EXPECT_EQ(paths[1], mFolder.File("Doc Rec002.wav"));
    ExpectPatternFrames(paths[1], {{0, kBlockFrames}});

    // A document deleted while it records closes its file.
    ASSERT_TRUE(mRecorder->SetRecording(true));
    Push(0, 2);
    std::string const last = FilePath();
    delete mDocument;
    mDocument = nullptr;
    ExpectPatternFrames(last, {{0, 2 * kBlockFrames}});
}

TEST_F(RecorderTest, AWriteFailureIsReportedByTheMessageThread)
{
    ASSERT_TRUE(mRecorder->SetRecording(true));
    unsigned int const stamp = mRecorder->GetChangeStamp();

    FileSizeLimit limit;
    ASSERT_NO_FATAL_FAILURE(limit.Set(20000));
    LogCapture log;
    // The audio thread queues; nothing fails there, nothing is closed there.
    std::thread audio([this] { Push(0, 40); });
    audio.join();
    bool const recordingAfterPushes = mRecorder->IsRecording();
    size_t const linesAfterPushes = log.Lines().size();
    // The drain fails on the idle pass, which then ends the recording.
    AKIdlingCenter::sShared.DoGlobalIdling();
    // Pushes after the failure are ignored.
    std::thread late([this] { Push(0, 2); });
    late.join();
    limit.Lift();

    EXPECT_TRUE(recordingAfterPushes);
    EXPECT_EQ(linesAfterPushes, 0u);
    EXPECT_FALSE(mRecorder->IsRecording());
    EXPECT_TRUE(mRecorder->HasError());
    EXPECT_GT(mRecorder->GetChangeStamp(), stamp);
    EXPECT_EQ(mRecorder->CurrentTime(), 0.0);
    bool reported = false;
    for (std::string const& line : log.Lines())
        reported = reported || line.find("Recording of") != std::string::npos;
    EXPECT_TRUE(reported);

    // The next start clears the error and writes a new file.
    ASSERT_TRUE(mRecorder->SetRecording(true));
    EXPECT_FALSE(mRecorder->HasError());
    Push(0, 2);
    std::string const path = FilePath();
    ASSERT_TRUE(mRecorder->SetRecording(false));
    ExpectPatternFrames(path, {{0, 2 * kBlockFrames}});
}

TEST_F(RecorderTest, AWriteFailureAtStopIsReported)
{
    ASSERT_TRUE(mRecorder->SetRecording(true));
    FileSizeLimit limit;
    ASSERT_NO_FATAL_FAILURE(limit.Set(20000));
    LogCapture log;
    // Queued, never drained by an idle pass: the stop writes them and fails.
    Push(0, 40);
    unsigned int const stamp = mRecorder->GetChangeStamp();
    EXPECT_TRUE(mRecorder->SetRecording(false));
    limit.Lift();

    EXPECT_FALSE(mRecorder->IsRecording());
    EXPECT_TRUE(mRecorder->HasError());
    EXPECT_GT(mRecorder->GetChangeStamp(), stamp + 1);
    EXPECT_FALSE(log.Lines().empty());
}

TEST_F(RecorderTest, AnAudioThreadPushesWhileTheMessageThreadStartsPausesAndStops)
{
    std::atomic<bool> done{false};
    std::thread audio([&] {
        QXSampleBuffer<double> block;
        block.Allocate(kChannels, kBlockFrames, kRate, true);
        while (!done.load())
            mRecorder->PushNextAudioBlock(block);
    });
    for (int n = 0; n < 60; ++n) {
        mRecorder->DoToggleRecording();
        mRecorder->DoTogglePaused();
        AKIdlingCenter::sShared.DoGlobalIdling();
        mRecorder->DoTogglePaused();
        mRecorder->CurrentTime();
    }
    done.store(true);
    audio.join();
    mRecorder->SetRecording(false);
    EXPECT_FALSE(mRecorder->HasError());
}

}  // namespace
