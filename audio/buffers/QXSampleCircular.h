#pragma once

// QXSampleCircular: a queue of frames on a planar buffer of fixed capacity.
// The recorder pushes each mixed block into it on the audio thread and
// drains it on idle passes; the bounce progress shows its occupation.
// Instances for float and double.
//
// Frame number x (counted since the last Allocate, Free or Reset) lives at
// storage frame x mod capacity. The write count W is the number of frames
// ever pushed, the read count R the number ever consumed; W - R frames are
// queued, never more than the capacity. The counts are 64-bit and only grow,
// so they never wrap in practice (2^64 frames are millions of years of sound)
// and each is written by one side only.
//
// Threads: one producer (PushFrames, PushZeros) and one consumer (PeekFrames,
// SkipFrames) may run at the same time without a lock: each side publishes
// its count with release ordering after touching the samples, and reads the
// other side's count with acquire ordering before touching them, so a slot is
// never written while it is being read. The occupation queries may be called
// from any thread and give a snapshot. Allocate, Free and Reset must run
// while neither side does. A push with an overlap adds onto queued frames, so
// it must not run while the consumer peeks.
//
// Pushing and peeking copy at most two pieces per channel and never allocate,
// lock or log.

#include "QVSampleRange.h"
#include "QXSampleBuffer.h"

#include <atomic>

template <class T>
class QXSampleCircular
{
public:
    QXSampleCircular() = default;
    ~QXSampleCircular() = default;
    QXSampleCircular(QXSampleCircular const&) = delete;
    QXSampleCircular& operator=(QXSampleCircular const&) = delete;

    // Empties the queue and shapes the storage (not cleared: samples are
    // undefined until pushed). False when the storage cannot be had or the
    // shape or rate is refused (as by QXSampleBuffer::Allocate).
    bool Allocate(unsigned int channelCount, unsigned long long capacity, double sampleRate);
    // Empties the queue and releases the storage.
    void Free();
    // Empties the queue, storage kept.
    void Reset();

    unsigned long long UsedMemory() const { return mStorage.UsedMemory(); }
    unsigned int ChannelCount() const { return mStorage.ChannelCount(); }
    // The capacity in frames.
    unsigned long long TotalFrameCount() const { return mStorage.TotalFrameCount(); }
    double SampleRate() const { return mStorage.SampleRate(); }
    void SetUserFlag(int flag) { mStorage.SetUserFlag(flag); }
    int UserFlag() const { return mStorage.UserFlag(); }
    // Whether the storage has no channel or no frame (not whether frames are queued).
    bool IsEmpty() const { return mStorage.IsEmpty(); }

    // Frames that can be pushed now.
    unsigned long long AvailableFrameCountForPush() const;
    // Frames queued now.
    unsigned long long AvailableFrameCountToPeek() const;
    bool IsSomethingToPeek() const { return AvailableFrameCountToPeek() != 0; }
    // Queued frames / capacity, in [0, 1]; 0 without capacity.
    double BufferOccupation() const;

    // Producer. Appends the source range's frames (all channels; the source's
    // working channel count must equal the queue's). With an overlap o, the
    // first o frames are added onto the last o queued frames and the rest
    // appended. False, nothing written, when the range does not fit the
    // source, o exceeds the range or the queued frames, or the rest does not
    // fit in the free room.
    bool PushFrames(QXSampleBuffer<T> const& source, QVSampleRange const& range, unsigned long long overlap);
    // Producer. Appends n frames of silence; false when they do not fit.
    bool PushZeros(unsigned long long frameCount);

    // Consumer. Delivers up to the range's frame count of queued frames into
    // the destination range (all channels; the destination's working channel
    // count must equal the queue's), copied or, with `add`, added. The last
    // `keep` delivered frames stay queued and come again on the next peek.
    // Without `add`, destination frames beyond those delivered are zeroed.
    // Returns the frames delivered; 0 when the range does not fit, the
    // channels differ or keep exceeds the range's frame count.
    unsigned long long PeekFrames(QXSampleBuffer<T>* destination, QVSampleRange const& range, unsigned long long keep,
                                  bool add);
    // Consumer. Drops up to n queued frames; returns how many were dropped.
    unsigned long long SkipFrames(unsigned long long frameCount);

private:
    // A snapshot of the queued frame count, from any thread: the read count
    // is loaded first, so the difference never goes below 0, and it is
    // clamped to the capacity.
    unsigned long long QueuedFrameCount() const;

    QXSampleBuffer<T> mStorage;                      // its root frame count is the capacity
    std::atomic<unsigned long long> mWriteCount{0};  // frames ever pushed (producer writes)
    std::atomic<unsigned long long> mReadCount{0};   // frames ever consumed (consumer writes)
};

extern template class QXSampleCircular<float>;
extern template class QXSampleCircular<double>;
