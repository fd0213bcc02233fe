// Sound-file recorder: the queue's size, the file holding exactly what a
// producer thread pushed while idle passes drained it, full-queue drops and
// refused blocks reported from the draining side, direct mode, the opening
// and pushing failures, the latched write error, and pushes that allocate
// nothing.

#include "AKLog.h"
#include "AKStatus.h"
#include "AllocationProbe.h"
#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "QVSoundFileRecorder.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

using namespace SoundFixtures;

namespace {

constexpr QVAudioPCMInfo kFloat32 = 32 | kQVAudioPCMInfoFloat | kQVAudioPCMInfoLittleEndian;

QVAudioFileInfo FloatWav(unsigned int channels, double rate)
{
    QVAudioFileInfo info;
    EXPECT_TRUE(info.SetupForWrite(QVAudioFormatFromAKString("wav"), channels, rate, kFloat32, 0.0));
    return info;
}

// The sample of a frame and channel; exact in a float file (2^-20 steps
// below 1).
float Expected(unsigned long long frame, unsigned int channel)
{
    return static_cast<float>(static_cast<double>((frame * 7 + channel * 3) % 1000000) / 1048576.0) *
           (channel % 2 == 0 ? 1.0f : -1.0f);
}

// A block whose every sample tells its frame number and channel, so that a
// lost, repeated or misplaced frame shows in the file.
void FillBlock(QXSampleBuffer<double>* block, unsigned long long firstFrame)
{
    for (unsigned int c = 0; c < block->ChannelCount(); ++c)
        for (unsigned long long f = 0; f < block->FrameCount(); ++f)
            *block->SamplePtr(c, f) = Expected(firstFrame + f, c);
}

void ExpectFileHoldsFrames(std::string const& path, unsigned int channels, unsigned long long frames)
{
    SF_INFO info = {};
    std::vector<float> const samples = ReadSoundFile(path, &info);
    ASSERT_EQ(static_cast<unsigned long long>(info.frames), frames);
    ASSERT_EQ(static_cast<unsigned int>(info.channels), channels);
    for (unsigned long long f = 0; f < frames; ++f)
        for (unsigned int c = 0; c < channels; ++c)
            ASSERT_EQ(samples[f * channels + c], Expected(f, c)) << "frame " << f << " channel " << c;
}

bool HasLine(LogCapture const& log, std::string const& part, size_t* count = nullptr)
{
    size_t found = 0;
    for (std::string const& line : log.Lines())
        if (line.find(part) != std::string::npos)
            ++found;
    if (count != nullptr)
        *count = found;
    return found > 0;
}

TEST(QVSoundFileRecorderTest, QueueLengthAndCapacity)
{
    TempFolder folder;
    struct Case {
        double seconds;
        double rate;
        double keptSeconds;
        unsigned long long frames;
    } const cases[] = {
        {0.0, 44100.0, 10.0, 441000},     {-3.0, 44100.0, 10.0, 441000}, {10.0, 8000.0, 10.0, 128000},
        {15.5, 8000.0, 15.5, 128000},     {20.0, 8000.0, 20.0, 160000},  {500.0, 8000.0, 200.0, 1600000},
        {200.0, 48000.0, 200.0, 9600000},
    };
    for (Case const& c : cases) {
        QVSoundFileRecorder recorder(EnginePath(folder.File("q.wav")), FloatWav(1, c.rate), c.seconds,
                                     kQVSoundFileRecorderOwnerIdling);
        EXPECT_EQ(recorder.GetQueueSeconds(), c.keptSeconds);
        EXPECT_EQ(recorder.GetQueueFrameCount(), 0u);  // nothing before Open
        ASSERT_EQ(recorder.Open(), 0);
        EXPECT_EQ(recorder.GetQueueFrameCount(), c.frames) << c.seconds << " s at " << c.rate;
        recorder.Close();
        EXPECT_EQ(recorder.GetQueueFrameCount(), 0u);
    }
}

// A producer thread pushes blocks of varying sizes while the main thread
// drains on idle passes; a block dropped for want of room is pushed again.
// The file then holds every frame once, in order.
TEST(QVSoundFileRecorderTest, FileHoldsExactlyWhatAProducerThreadPushed)
{
    TempFolder folder;
    std::string const path = folder.File("threaded.wav");
    QVSoundFileRecorder recorder(EnginePath(path), FloatWav(2, 8000.0), 0.0, kQVSoundFileRecorderOwnerIdling);
    ASSERT_EQ(recorder.Open(), 0);

    constexpr unsigned long long kTotal = 600000;  // several times the queue
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread producer([&] {
        QXSampleBuffer<double> block;
        if (!block.Allocate(2, 4096, 8000.0, true)) {
            failures = 1;
            done = true;
            return;
        }
        unsigned long long pushed = 0;
        unsigned int turn = 0;
        while (pushed < kTotal) {
            unsigned long long const frames = std::min<unsigned long long>(1 + (turn++ * 997) % 4096, kTotal - pushed);
            block.ResetAllWorkingSubRanges();
            block.StackWorkingSubRange(0, frames);
            FillBlock(&block, pushed);
            unsigned long long const drops = recorder.GetDroppedBlockCount();
            if (recorder.PushNextFrames(block) != 0)
                ++failures;
            if (recorder.GetDroppedBlockCount() == drops)
                pushed += frames;
            else
                std::this_thread::yield();
        }
        done = true;
    });
    while (!done)
        recorder.DoIdling();
    producer.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_NEAR(recorder.GetRecordedTime(), kTotal / 8000.0, 1e-6);
    recorder.Close();
    ExpectFileHoldsFrames(path, 2, kTotal);
}

// A block larger than the free room is dropped whole and the push answers 0;
// the next block that fits is queued. The draining side logs the drops once.
TEST(QVSoundFileRecorderTest, FullQueueDropsTheBlockAndReportsItOnce)
{
    TempFolder folder;
    std::string const path = folder.File("drops.wav");
    QVSoundFileRecorder recorder(EnginePath(path), FloatWav(1, 8000.0), 0.0, kQVSoundFileRecorderOwnerIdling);
    ASSERT_EQ(recorder.Open(), 0);

    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(1, 128000, 8000.0, true));
    block.StackWorkingSubRange(0, 100000);
    FillBlock(&block, 0);
    ASSERT_EQ(recorder.PushNextFrames(block), 0);
    double const recorded = recorder.GetRecordedTime();

    // 28000 frames are free: 30000 do not fit, twice.
    QXSampleBuffer<double> big;
    ASSERT_TRUE(big.Allocate(1, 30000, 8000.0, true));
    EXPECT_EQ(recorder.PushNextFrames(big), 0);
    EXPECT_EQ(recorder.PushNextFrames(big), 0);
    EXPECT_EQ(recorder.GetDroppedBlockCount(), 2u);
    EXPECT_EQ(recorder.GetRecordedTime(), recorded);

    block.ResetAllWorkingSubRanges();
    block.StackWorkingSubRange(0, 28000);
    FillBlock(&block, 100000);
    EXPECT_EQ(recorder.PushNextFrames(block), 0);
    EXPECT_DOUBLE_EQ(recorder.GetRecordedTime(), 16.0);

    LogCapture log;
    recorder.DoIdling();
    EXPECT_EQ(recorder.GetBufferOccupation(), 0.0);
    EXPECT_EQ(recorder.PushNextFrames(big), 0);  // now it fits
    recorder.DoIdling();
    size_t lines = 0;
    EXPECT_TRUE(HasLine(log, "2 blocks dropped", &lines));
    EXPECT_EQ(lines, 1u);

    recorder.Close();
    SF_INFO info = {};
    std::vector<float> const samples = ReadSoundFile(path, &info);
    ASSERT_EQ(info.frames, 158000);
    for (unsigned long long f = 0; f < 128000; ++f)
        ASSERT_EQ(samples[f], Expected(f, 0)) << f;
}

// A block of another channel count is an error of the push, not an
// overflow: nothing is queued, and the draining side reports it once.
TEST(QVSoundFileRecorderTest, ChannelMismatchIsRefused)
{
    TempFolder folder;
    QVSoundFileRecorder recorder(EnginePath(folder.File("mismatch.wav")), FloatWav(2, 8000.0), 0.0,
                                 kQVSoundFileRecorderOwnerIdling);
    ASSERT_EQ(recorder.Open(), 0);
    QXSampleBuffer<double> mono;
    ASSERT_TRUE(mono.Allocate(1, 100, 8000.0, true));
    EXPECT_EQ(recorder.PushNextFrames(mono), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(recorder.PushNextFrames(mono), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(recorder.GetRefusedBlockCount(), 2u);
    EXPECT_EQ(recorder.GetDroppedBlockCount(), 0u);
    EXPECT_EQ(recorder.GetRecordedTime(), 0.0);
    EXPECT_EQ(recorder.GetBufferOccupation(), 0.0);

    LogCapture log;
    recorder.DoIdling();
    recorder.DoIdling();
    size_t lines = 0;
    EXPECT_TRUE(HasLine(log, "2 blocks refused", &lines));
    EXPECT_EQ(lines, 1u);
}

// Pushing allocates nothing, whether the block is queued, dropped or refused.
TEST(QVSoundFileRecorderTest, PushAllocatesNothing)
{
    TempFolder folder;
    QVSoundFileRecorder recorder(EnginePath(folder.File("alloc.wav")), FloatWav(2, 8000.0), 0.0,
                                 kQVSoundFileRecorderOwnerIdling);
    ASSERT_EQ(recorder.Open(), 0);
    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(2, 100000, 8000.0, true));
    QXSampleBuffer<double> mono;
    ASSERT_TRUE(mono.Allocate(1, 10, 8000.0, true));

    AllocationProbe::Start();
    EXPECT_EQ(recorder.PushNextFrames(block), 0);  // queued
    EXPECT_EQ(recorder.PushNextFrames(block), 0);  // dropped
    EXPECT_EQ(recorder.PushNextFrames(mono), kQVErrorSoundFileCantWrite);
    AllocationProbe::Stop();
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_EQ(recorder.GetDroppedBlockCount(), 1u);
}

TEST(QVSoundFileRecorderTest, DirectModeWritesAtOnce)
{
    TempFolder folder;
    std::string const path = folder.File("direct.wav");
    QVSoundFileRecorder recorder(EnginePath(path), FloatWav(2, 8000.0), 0.0, kQVSoundFileRecorderDirect);
    ASSERT_EQ(recorder.Open(), 0);
    EXPECT_FALSE(recorder.IsIdlingRegistered());
    EXPECT_EQ(recorder.GetQueueFrameCount(), 0u);

    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(2, 700, 8000.0, true));
    for (unsigned long long first = 0; first < 7000; first += 700) {
        FillBlock(&block, first);
        ASSERT_EQ(recorder.PushNextFrames(block), 0);
    }
    EXPECT_EQ(recorder.GetRecordedTime(), 0.0);
    recorder.Close();
    ExpectFileHoldsFrames(path, 2, 7000);
}

TEST(QVSoundFileRecorderTest, OpeningAndPushingFailures)
{
    TempFolder folder;
    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(1, 10, 8000.0, true));

    // Never opened: Close does nothing, pushes are refused.
    QVSoundFileRecorder recorder(EnginePath(folder.File("a.wav")), FloatWav(1, 8000.0), 0.0, 0);
    recorder.Close();
    EXPECT_FALSE(recorder.IsOpened());
    {
        LogCapture log;
        EXPECT_EQ(recorder.PushNextFrames(block), kQVErrorSoundFileNotOpened);
    }

    // Open asks for idle time; a second Open is refused and changes nothing.
    ASSERT_EQ(recorder.Open(), 0);
    EXPECT_TRUE(recorder.IsIdlingRegistered());
    {
        LogCapture log;
        EXPECT_EQ(recorder.Open(), kQVErrorSoundFileYetOpened);
        EXPECT_TRUE(HasLine(log, "is already opened"));
    }
    EXPECT_TRUE(recorder.IsOpened());
    EXPECT_EQ(recorder.PushNextFrames(block), 0);
    recorder.Close();
    EXPECT_FALSE(recorder.IsIdlingRegistered());
    EXPECT_EQ(recorder.PushNextFrames(block), kQVErrorSoundFileNotOpened);
    // Opened again after Close.
    ASSERT_EQ(recorder.Open(), 0);
    recorder.Close();

    // No writer for the description; a file that cannot be created.
    LogCapture log;
    QVAudioFileInfo unknown = FloatWav(1, 8000.0);
    unknown.format = kQVNullAudioFormat;
    QVSoundFileRecorder noWriter(EnginePath(folder.File("b.xyz")), unknown, 0.0, 0);
    EXPECT_NE(noWriter.Open(), 0);
    EXPECT_FALSE(noWriter.IsOpened());
    EXPECT_FALSE(noWriter.IsIdlingRegistered());
    QVSoundFileRecorder noFolder(EnginePath(folder.File("missing/c.wav")), FloatWav(1, 8000.0), 0.0, 0);
    EXPECT_EQ(noFolder.Open(), kQVErrorSoundFileCantOpen);
    EXPECT_FALSE(noFolder.IsOpened());
    EXPECT_EQ(noFolder.PushNextFrames(block), kQVErrorSoundFileNotOpened);
}

// A write that fails on the draining side closes the file and latches its
// status: every push answers it without a message, Close changes nothing,
// and the next Open that succeeds clears it. The failure comes from a file
// size limit that lets the header through but not the samples.
TEST(QVSoundFileRecorderTest, WriteFailureIsLatchedUntilTheNextOpen)
{
    TempFolder folder;
    QVSoundFileRecorder recorder(EnginePath(folder.File("limited.wav")), FloatWav(1, 8000.0), 0.0,
                                 kQVSoundFileRecorderOwnerIdling);
    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(1, 40000, 8000.0, true));

    FileSizeLimit limit;
    ASSERT_NO_FATAL_FAILURE(limit.Set(20000));
    LogCapture log;
    int const opened = recorder.Open();
    int const pushed = recorder.PushNextFrames(block);
    recorder.DoIdling();
    limit.Lift();

    ASSERT_EQ(opened, 0);
    ASSERT_EQ(pushed, 0);
    int const error = recorder.GetWriteError();
    EXPECT_EQ(error, kQVErrorSoundFileCantWrite);
    EXPECT_FALSE(recorder.IsOpened());
    EXPECT_FALSE(recorder.IsIdlingRegistered());
    log.Clear();
    EXPECT_EQ(recorder.PushNextFrames(block), error);
    EXPECT_EQ(recorder.PushNextFrames(block), error);
    EXPECT_TRUE(log.Lines().empty());
    recorder.Close();
    EXPECT_EQ(recorder.GetWriteError(), error);
    EXPECT_EQ(recorder.PushNextFrames(block), error);

    ASSERT_EQ(recorder.Open(), 0);
    EXPECT_EQ(recorder.GetWriteError(), 0);
    EXPECT_EQ(recorder.PushNextFrames(block), 0);
    recorder.Close();
}

// A live recording stopped before the draining side ran: the write that
// fails is Close's own, and its status is logged and stays readable after
// Close, until the next Open.
TEST(QVSoundFileRecorderTest, FailureOfTheLastWriteAtCloseIsLatched)
{
    TempFolder folder;
    QVSoundFileRecorder recorder(EnginePath(folder.File("limited.wav")), FloatWav(1, 8000.0), 0.0,
                                 kQVSoundFileRecorderOwnerIdling);
    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.Allocate(1, 40000, 8000.0, true));
    FillBlock(&block, 0);

    FileSizeLimit limit;
    ASSERT_NO_FATAL_FAILURE(limit.Set(20000));
    LogCapture log;
    int const opened = recorder.Open();
    int const pushed = recorder.PushNextFrames(block);
    recorder.Close();
    limit.Lift();

    ASSERT_EQ(opened, 0);
    ASSERT_EQ(pushed, 0);
    EXPECT_EQ(recorder.GetWriteError(), kQVErrorSoundFileCantWrite);
    EXPECT_FALSE(recorder.IsOpened());
    EXPECT_EQ(recorder.GetQueueFrameCount(), 0u);
    EXPECT_TRUE(HasLine(log, "Can't write to sound-file"));
    recorder.Close();
    EXPECT_EQ(recorder.GetWriteError(), kQVErrorSoundFileCantWrite);

    ASSERT_EQ(recorder.Open(), 0);
    EXPECT_EQ(recorder.GetWriteError(), 0);
    EXPECT_EQ(recorder.PushNextFrames(block), 0);
    recorder.Close();
    EXPECT_EQ(recorder.GetWriteError(), 0);
    ExpectFileHoldsFrames(folder.File("limited.wav"), 1, 40000);
}

}  // namespace
