#pragma once

// QVSoundFileRecorder: writes a stream of sample blocks to one sound file
// without letting the producer wait for the disk. The producer (the audio
// device thread, or the bounce worker) pushes each block into a frame
// queue; idle passes on another thread take the frames out in blocks and
// hand them to a sound-file writer. In direct mode each pushed block is
// written at once on the pushing thread instead.
//
// Threads: one producer runs PushNextFrames; one draining thread runs
// Open, DoIdling and Close (the idling centre on the main thread, or an
// owner that drives the draining itself). The queue is single-producer,
// single-consumer with atomic positions, so a push and a take may overlap;
// the busy flag, raised by the producer around each push, lets the draining
// side wait for a push in progress before it reshapes or frees the queue.
// The producer never waits, allocates, logs or touches the disk in queued
// mode: a block that does not fit is dropped and counted, and the count is
// logged once from the draining side.

#include "AKFilePath.h"
#include "AKIdlingCenter.h"
#include "QVAudioInfo.h"
#include "QXSampleBuffer.h"
#include "QXSampleCircular.h"

#include <atomic>

class QVSoundFileWriter;

// Construction flags.
constexpr unsigned int kQVSoundFileRecorderDirect = 0x1;       // no queue: each push writes at once
constexpr unsigned int kQVSoundFileRecorderOwnerIdling = 0x2;  // the owner calls DoIdling itself

// Queue length bounds in seconds, and the smallest queue in frames.
constexpr double kQVSoundFileRecorderMinQueueSeconds = 10.0;
constexpr double kQVSoundFileRecorderMaxQueueSeconds = 200.0;
constexpr unsigned long long kQVSoundFileRecorderMinQueueFrames = 128000;
// Frames taken out of the queue per write.
constexpr unsigned long long kQVSoundFileRecorderDrainFrames = 32000;

class QVSoundFileRecorder : public AKIdlingClient
{
public:
    // Opens nothing. The queue length is kept between 10 and 200 seconds.
    QVSoundFileRecorder(AKFilePath const& path, QVAudioFileInfo const& info, double queueSeconds, unsigned int flags);
    // Closes an open recorder as Close does.
    ~QVSoundFileRecorder() override;

    // Creates and opens the writer and, when queued, allocates the queue and
    // the drain block and asks for idle time. kQVErrorSoundFileYetOpened when
    // already open; the writer's status when it cannot open;
    // kQVErrorSoundFileCantInit when no writer handles the description;
    // kAKErrorNoMemory when the queue cannot be had. A failure leaves the
    // recorder closed.
    int Open();
    // Producer. Takes the block's whole working range. Queued: 0 also when the
    // block does not fit and is dropped. A latched write error is answered as
    // is; kQVErrorSoundFileNotOpened when no file is open;
    // kQVErrorSoundFileCantWrite for a block whose channel count is not the
    // file's (queued mode answers these without logging: the draining side
    // reports refused and dropped blocks).
    int PushNextFrames(QXSampleBuffer<double> const& block);
    // Draining side: writes what the queue held at the start of the pass.
    void DoIdling() override;
    // Writes what is left, closes the file and frees the queue. Nothing
    // happens when no file is open (also after a write failure, whose status
    // stays latched until the next Open). A failure of this last write is
    // latched the same way. The producer must have stopped.
    void Close();

    bool IsOpened() const { return mWriter != nullptr; }
    bool IsQueued() const { return mQueued; }
    bool IsSelfIdling() const { return mSelfIdling; }
    AKFilePath const& GetPath() const { return mPath; }
    QVAudioFileInfo const& GetFileInfo() const { return mFileInfo; }
    double GetQueueSeconds() const { return mQueueSeconds; }
    // The queue's capacity in frames while it is allocated, else 0.
    unsigned long long GetQueueFrameCount() const { return mQueue.TotalFrameCount(); }
    // Seconds of sound queued since Open (direct mode: stays 0).
    double GetRecordedTime() const { return mRecordedTime.load(std::memory_order_relaxed); }
    // Queued frames / capacity, in [0, 1].
    double GetBufferOccupation() const { return mQueue.BufferOccupation(); }
    // The first failed write's status, 0 while none.
    int GetWriteError() const { return mWriteError.load(std::memory_order_acquire); }
    // Blocks dropped because the queue was full, and blocks refused for
    // their channel count, since Open.
    unsigned long long GetDroppedBlockCount() const { return mDroppedBlocks.load(std::memory_order_relaxed); }
    unsigned long long GetRefusedBlockCount() const { return mRefusedBlocks.load(std::memory_order_relaxed); }

private:
    // Waits, 10 µs at a time, while a push is in progress.
    void WaitWhileBusy() const;
    // Takes up to one drain block out of the queue and writes it: the frames
    // written, 0 when the queue was empty; the write's status in *status.
    unsigned long long DrainOneBlock(int* status);
    // Closes and deletes the writer after a failed write, latching the status.
    void FailWrite(int status);
    // Logs the dropped and refused blocks not logged yet, once per kind.
    void ReportLostBlocks();
    void ReleaseQueue();

    AKFilePath const mPath;
    QVAudioFileInfo const mFileInfo;
    double const mQueueSeconds;
    bool const mQueued;
    bool const mSelfIdling;

    QVSoundFileWriter* mWriter = nullptr;  // draining side only, except in direct mode
    std::atomic<bool> mAccepting{false};   // the producer may push into the queue
    std::atomic<bool> mBusy{false};
    std::atomic<int> mWriteError{0};
    std::atomic<double> mRecordedTime{0.0};
    std::atomic<unsigned long long> mDroppedBlocks{0};
    std::atomic<unsigned long long> mRefusedBlocks{0};
    bool mDropsLogged = false;
    bool mRefusalsLogged = false;

    QXSampleCircular<double> mQueue;
    QXSampleBuffer<double> mDrainBlock;
};
