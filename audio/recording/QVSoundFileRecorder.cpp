#include "QVSoundFileRecorder.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "AKSys.h"
#include "QVSoundFileWriter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBusyWaitMicroSec = 10.0;

double ClampQueueSeconds(double seconds)
{
    if (!(seconds > kQVSoundFileRecorderMinQueueSeconds))  // NaN too
        return kQVSoundFileRecorderMinQueueSeconds;
    return std::min(seconds, kQVSoundFileRecorderMaxQueueSeconds);
}

}  // namespace

QVSoundFileRecorder::QVSoundFileRecorder(AKFilePath const& path, QVAudioFileInfo const& info, double queueSeconds,
                                         unsigned int flags)
    : AKIdlingClient("QVSoundFileRecorder", false), mPath(path), mFileInfo(info),
      mQueueSeconds(ClampQueueSeconds(queueSeconds)), mQueued((flags & kQVSoundFileRecorderDirect) == 0),
      mSelfIdling((flags & kQVSoundFileRecorderOwnerIdling) == 0)
{}

QVSoundFileRecorder::~QVSoundFileRecorder()
{
    Close();
    WaitWhileBusy();
}

int QVSoundFileRecorder::Open()
{
    if (mWriter != nullptr)
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());

    QVSoundFileWriter* writer = QVSoundFileWriter::New(mPath, mFileInfo);
    if (writer == nullptr)
        return AKLogError(kQVErrorSoundFileCantInit, "No sound-file writer for \"%s\"", mPath.c_str());
    if (int const status = writer->Open(); status != 0) {
        writer->Close();
        delete writer;
        return status;
    }

    if (mQueued) {
        // A push may still be answering a latched error on the old queue.
        WaitWhileBusy();
        double const rate = mFileInfo.sampleRate;
        unsigned long long const capacity = std::max(kQVSoundFileRecorderMinQueueFrames,
                                                     static_cast<unsigned long long>(std::ceil(mQueueSeconds * rate)));
        if (!mQueue.Allocate(mFileInfo.channelCount, capacity, rate) ||
            !mDrainBlock.Allocate(mFileInfo.channelCount, kQVSoundFileRecorderDrainFrames, rate, false)) {
            ReleaseQueue();
            writer->Close();
            delete writer;
            return AKLogError(kAKErrorNoMemory, "Can't allocate the recording queue of \"%s\"", mPath.c_str());
        }
    }

    mWriter = writer;
    mWriteError.store(0, std::memory_order_release);
    mRecordedTime.store(0.0, std::memory_order_relaxed);
    mDroppedBlocks.store(0, std::memory_order_relaxed);
    mRefusedBlocks.store(0, std::memory_order_relaxed);
    mDropsLogged = false;
    mRefusalsLogged = false;
    if (mQueued) {
        mAccepting.store(true);
        if (mSelfIdling)
            GiveMeIdling(true);
    }
    return 0;
}

int QVSoundFileRecorder::PushNextFrames(QXSampleBuffer<double> const& block)
{
    if (int const error = mWriteError.load(std::memory_order_acquire); error != 0)
        return error;

    if (!mQueued) {
        if (mWriter == nullptr)
            return AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
        int const status = mWriter->WriteNextFrames(block, kQVSampleRangeAll);
        if (status != 0)
            FailWrite(status);
        return status;
    }

    // Raised before the open state is read, and Close lowers that state
    // before it waits on this flag: either the push sees the recorder
    // closing, or Close sees the push.
    mBusy.store(true);
    int status = 0;
    if (!mAccepting.load()) {
        status = kQVErrorSoundFileNotOpened;
    } else if (block.ChannelCount() != mQueue.ChannelCount()) {
        mRefusedBlocks.fetch_add(1, std::memory_order_relaxed);
        status = kQVErrorSoundFileCantWrite;
    } else if (block.FrameCount() > 0) {
        if (mQueue.PushFrames(block, kQVSampleRangeAll, 0)) {
            double const rate = block.SampleRate();
            if (rate > 0.0)
                mRecordedTime.store(GetRecordedTime() + static_cast<double>(block.FrameCount()) / rate,
                                    std::memory_order_relaxed);
        } else {
            mDroppedBlocks.fetch_add(1, std::memory_order_relaxed);
        }
    }
    mBusy.store(false, std::memory_order_release);
    return status;
}

void QVSoundFileRecorder::DoIdling()
{
    if (!mQueued)
        return;
    if (mWriter != nullptr && GetWriteError() == 0) {
        // Only what is queued now: a producer that keeps pushing cannot hold
        // this pass forever.
        unsigned long long remaining = mQueue.AvailableFrameCountToPeek();
        while (remaining > 0) {
            WaitWhileBusy();
            int status = 0;
            unsigned long long const taken = DrainOneBlock(&status);
            if (status != 0) {
                FailWrite(status);
                break;
            }
            if (taken == 0)
                break;
            remaining -= std::min(taken, remaining);
        }
        ReportLostBlocks();
    }
    if (mSelfIdling && (mWriter == nullptr || GetWriteError() != 0))
        GiveMeIdling(false);
}

void QVSoundFileRecorder::Close()
{
    if (mWriter == nullptr)
        return;
    if (mQueued) {
        if (mSelfIdling)
            GiveMeIdling(false);
        mAccepting.store(false);
        WaitWhileBusy();
        int status = 0;
        while (DrainOneBlock(&status) > 0 && status == 0) {
        }
        ReportLostBlocks();
        if (status != 0) {
            // The writer has logged it; latched so that the owner still sees
            // the lost tail after the file is closed.
            FailWrite(status);
            ReleaseQueue();
            return;
        }
    }
    mWriter->Close();
    delete mWriter;
    mWriter = nullptr;
    ReleaseQueue();
}

void QVSoundFileRecorder::WaitWhileBusy() const
{
    while (mBusy.load(std::memory_order_acquire))
        AKSys::SleepMicroSec(kBusyWaitMicroSec);
}

unsigned long long QVSoundFileRecorder::DrainOneBlock(int* status)
{
    *status = 0;
    unsigned long long const taken =
        mQueue.PeekFrames(&mDrainBlock, QVSampleRangeMake(-1, 0, mDrainBlock.FrameCount()), 0, false);
    if (taken > 0)
        *status = mWriter->WriteNextFrames(mDrainBlock, QVSampleRangeMake(-1, 0, taken));
    return taken;
}

void QVSoundFileRecorder::FailWrite(int status)
{
    // Latched before the queue stops accepting, so that later pushes answer
    // this status rather than "not opened".
    mWriteError.store(status, std::memory_order_release);
    mAccepting.store(false);
    mWriter->Close();
    delete mWriter;
    mWriter = nullptr;
}

void QVSoundFileRecorder::ReportLostBlocks()
{
    unsigned long long const dropped = GetDroppedBlockCount();
    if (dropped > 0 && !mDropsLogged) {
        mDropsLogged = true;
        AKLogWarning(kQVErrorSoundFileCantWrite, "Recording queue of \"%s\" full: %llu blocks dropped", mPath.c_str(),
                     dropped);
    }
    unsigned long long const refused = GetRefusedBlockCount();
    if (refused > 0 && !mRefusalsLogged) {
        mRefusalsLogged = true;
        AKLogWarning(kQVErrorSoundFileCantWrite,
                     "Recording of \"%s\": %llu blocks refused, their channel count is not %u", mPath.c_str(), refused,
                     mFileInfo.channelCount);
    }
}

void QVSoundFileRecorder::ReleaseQueue()
{
    mQueue.Free();
    mDrainBlock.Free();
}
