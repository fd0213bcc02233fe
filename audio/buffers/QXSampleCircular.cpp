#include "QXSampleCircular.h"

#include "QVSig.h"

#include <algorithm>
#include <cstring>

// Calls piece(storage frame, offset in the run, frame count) for the one or
// two pieces of a run of `count` queued frames from frame number `start`,
// split where the run wraps past the end of the storage.
template <class F>
static void ForEachPiece(unsigned long long start, unsigned long long count, unsigned long long capacity, F&& piece)
{
    unsigned long long const position = start % capacity;
    unsigned long long const first = std::min(count, capacity - position);
    piece(position, 0ull, first);
    if (count > first)
        piece(0ull, first, count - first);
}

template <class T>
bool QXSampleCircular<T>::Allocate(unsigned int channelCount, unsigned long long capacity, double sampleRate)
{
    mWriteCount.store(0, std::memory_order_relaxed);
    mReadCount.store(0, std::memory_order_relaxed);
    return mStorage.Allocate(channelCount, capacity, sampleRate, false);
}

template <class T>
void QXSampleCircular<T>::Free()
{
    mWriteCount.store(0, std::memory_order_relaxed);
    mReadCount.store(0, std::memory_order_relaxed);
    mStorage.Free();
}

template <class T>
void QXSampleCircular<T>::Reset()
{
    mWriteCount.store(0, std::memory_order_relaxed);
    mReadCount.store(0, std::memory_order_relaxed);
}

template <class T>
unsigned long long QXSampleCircular<T>::QueuedFrameCount() const
{
    unsigned long long const read = mReadCount.load(std::memory_order_acquire);
    unsigned long long const written = mWriteCount.load(std::memory_order_acquire);
    return std::min(written - read, mStorage.TotalFrameCount());
}

template <class T>
unsigned long long QXSampleCircular<T>::AvailableFrameCountForPush() const
{
    return mStorage.TotalFrameCount() - QueuedFrameCount();
}

template <class T>
unsigned long long QXSampleCircular<T>::AvailableFrameCountToPeek() const
{
    return QueuedFrameCount();
}

template <class T>
double QXSampleCircular<T>::BufferOccupation() const
{
    unsigned long long const capacity = mStorage.TotalFrameCount();
    if (capacity == 0)
        return 0.0;
    return static_cast<double>(QueuedFrameCount()) / static_cast<double>(capacity);
}

template <class T>
bool QXSampleCircular<T>::PushFrames(QXSampleBuffer<T> const& source, QVSampleRange const& range,
                                     unsigned long long overlap)
{
    QVSampleRange src = range;
    if (!QVSampleRangeCheck("PushFrames", "Src", &src, source) || src.channel != kQVSampleRangeAllChannels ||
        source.ChannelCount() != mStorage.ChannelCount())
        return false;

    unsigned long long const capacity = mStorage.TotalFrameCount();
    unsigned long long const written = mWriteCount.load(std::memory_order_relaxed);
    // Acquire: the consumer has finished reading every slot it released.
    unsigned long long const read = mReadCount.load(std::memory_order_acquire);
    unsigned long long const queued = written - read;
    if (overlap > 0 && (src.frameCount < overlap || queued < overlap))
        return false;
    unsigned long long const count = src.frameCount - overlap;
    if (overlap == 0 && count == 0)
        return true;
    if (count > capacity - queued)
        return false;

    unsigned int const channelCount = mStorage.ChannelCount();
    if (overlap > 0) {
        ForEachPiece(written - overlap, overlap, capacity,
                     [&](unsigned long long position, unsigned long long offset, unsigned long long n) {
                         for (unsigned int channel = 0; channel < channelCount; ++channel) {
                             T const* from = source.SamplePtrConst(channel, src.firstFrame + offset);
                             T* to = mStorage.SamplePtr(channel, position);
                             QVSig::CopyAddWithGain(to, from, static_cast<unsigned int>(n), 1.0);
                         }
                     });
    }
    if (count > 0) {
        ForEachPiece(written, count, capacity,
                     [&](unsigned long long position, unsigned long long offset, unsigned long long n) {
                         for (unsigned int channel = 0; channel < channelCount; ++channel) {
                             T const* from = source.SamplePtrConst(channel, src.firstFrame + overlap + offset);
                             T* to = mStorage.SamplePtr(channel, position);
                             if (from != nullptr && to != nullptr)
                                 memcpy(to, from, static_cast<size_t>(n) * sizeof(T));
                         }
                     });
        // Release: the frames are in place before the consumer can see them.
        mWriteCount.store(written + count, std::memory_order_release);
    }
    return true;
}

template <class T>
bool QXSampleCircular<T>::PushZeros(unsigned long long frameCount)
{
    if (frameCount == 0)
        return true;
    unsigned long long const capacity = mStorage.TotalFrameCount();
    unsigned long long const written = mWriteCount.load(std::memory_order_relaxed);
    unsigned long long const read = mReadCount.load(std::memory_order_acquire);
    if (frameCount > capacity - (written - read))
        return false;

    unsigned int const channelCount = mStorage.ChannelCount();
    ForEachPiece(written, frameCount, capacity,
                 [&](unsigned long long position, unsigned long long, unsigned long long n) {
                     for (unsigned int channel = 0; channel < channelCount; ++channel) {
                         T* to = mStorage.SamplePtr(channel, position);
                         if (to != nullptr)
                             memset(to, 0, static_cast<size_t>(n) * sizeof(T));
                     }
                 });
    mWriteCount.store(written + frameCount, std::memory_order_release);
    return true;
}

template <class T>
unsigned long long QXSampleCircular<T>::PeekFrames(QXSampleBuffer<T>* destination, QVSampleRange const& range,
                                                   unsigned long long keep, bool add)
{
    if (destination == nullptr)
        return 0;
    QVSampleRange des = range;
    if (!QVSampleRangeCheck("PeekFrames", "Des", &des, *destination) || des.channel != kQVSampleRangeAllChannels ||
        destination->ChannelCount() != mStorage.ChannelCount() || keep > des.frameCount)
        return 0;

    unsigned long long const capacity = mStorage.TotalFrameCount();
    unsigned long long const read = mReadCount.load(std::memory_order_relaxed);
    // Acquire: the frames the producer published are in place.
    unsigned long long const written = mWriteCount.load(std::memory_order_acquire);
    unsigned long long const delivered = std::min(des.frameCount, written - read);

    unsigned int const channelCount = mStorage.ChannelCount();
    if (delivered > 0) {
        ForEachPiece(read, delivered, capacity,
                     [&](unsigned long long position, unsigned long long offset, unsigned long long n) {
                         for (unsigned int channel = 0; channel < channelCount; ++channel) {
                             T const* from = mStorage.SamplePtrConst(channel, position);
                             T* to = destination->SamplePtr(channel, des.firstFrame + offset);
                             if (from == nullptr || to == nullptr)
                                 continue;
                             if (add)
                                 QVSig::CopyAddWithGain(to, from, static_cast<unsigned int>(n), 1.0);
                             else
                                 memcpy(to, from, static_cast<size_t>(n) * sizeof(T));
                         }
                     });
        // Release: the slots given back have been read.
        mReadCount.store(read + delivered - std::min(keep, delivered), std::memory_order_release);
    }
    if (delivered < des.frameCount && !add)
        destination->Zeroset(
            QVSampleRangeMake(kQVSampleRangeAllChannels, des.firstFrame + delivered, des.frameCount - delivered));
    return delivered;
}

template <class T>
unsigned long long QXSampleCircular<T>::SkipFrames(unsigned long long frameCount)
{
    unsigned long long const read = mReadCount.load(std::memory_order_relaxed);
    unsigned long long const written = mWriteCount.load(std::memory_order_acquire);
    unsigned long long const skipped = std::min(frameCount, written - read);
    if (skipped > 0)
        mReadCount.store(read + skipped, std::memory_order_release);
    return skipped;
}

template class QXSampleCircular<float>;
template class QXSampleCircular<double>;
