#include "QXSampleInterleaved.h"

#include "QVSig.h"
#include "QXSampleBuffer.h"
#include "QXSampleLimits.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

template <typename T>
bool QXSampleInterleaved<T>::Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate,
                                      bool clean)
{
    if (!QXSampleIsAcceptableRate(sampleRate))
        return false;
    if (channelCount == mChannelCount && frameCount == mFrameCount && (channelCount != 0 || frameCount != 0)) {
        if (clean)
            Zeroset();
        mSampleRate = sampleRate;
        return true;
    }

    Free();
    mSampleRate = sampleRate;
    if (channelCount == 0 && frameCount == 0)
        return false;

    if (channelCount > kQXSampleMaxChannelCount)
        return false;
    unsigned long long sampleCount = 0;
    if (channelCount != 0 && frameCount != 0) {
        if (frameCount > kQXSampleMaxBlockBytes / sizeof(T) / channelCount)
            return false;
        sampleCount = frameCount * channelCount;
        size_t const bytes = static_cast<size_t>(sampleCount) * sizeof(T);
        void* block = clean ? calloc(1, bytes) : malloc(bytes);
        if (block == nullptr)
            return false;
        mData = static_cast<T*>(block);
    }
    mChannelCount = channelCount;
    mFrameCount = frameCount;
    mSampleCount = sampleCount;
    mUsedMemory = sampleCount * sizeof(T);
    return true;
}

template <typename T>
void QXSampleInterleaved<T>::Free()
{
    if (mChannelCount == 0 && mFrameCount == 0)
        return;
    free(mData);
    mData = nullptr;
    mChannelCount = 0;
    mFrameCount = 0;
    mSampleCount = 0;
    mSampleRate = 0.0;
    mUsedMemory = 0;
}

template <typename T>
void QXSampleInterleaved<T>::Zeroset()
{
    if (mData != nullptr)
        memset(mData, 0, static_cast<size_t>(mSampleCount) * sizeof(T));
}

template <typename T>
T* QXSampleInterleaved<T>::FramePtr(unsigned long long frame)
{
    if (mData == nullptr || frame >= mFrameCount)
        return nullptr;
    return mData + frame * mChannelCount;
}

template <typename T>
T const* QXSampleInterleaved<T>::FramePtrConst(unsigned long long frame) const
{
    if (mData == nullptr || frame >= mFrameCount)
        return nullptr;
    return mData + frame * mChannelCount;
}

template <typename T>
template <typename U>
bool QXSampleInterleaved<T>::CopyCastInterleave(QXSampleBuffer<U> const& source, QVSampleRange const& destinationRange,
                                                QVSampleRange const& sourceRange)
{
    QVSampleRange des = destinationRange;
    QVSampleRange src = sourceRange;
    if (!QVSampleRangeCheck("CopyCastInterleave", "Des", &des, *this) ||
        !QVSampleRangeCheck("CopyCastInterleave", "Src", &src, source))
        return false;
    unsigned long long const n = std::min(des.frameCount, src.frameCount);
    if (n == 0)
        return true;

    bool const allDes = des.channel == kQVSampleRangeAllChannels;
    bool const allSrc = src.channel == kQVSampleRangeAllChannels;
    unsigned int const desFirst = allDes ? 0 : static_cast<unsigned int>(des.channel);
    unsigned int const srcFirst = allSrc ? 0 : static_cast<unsigned int>(src.channel);
    unsigned int const desCount = allDes ? mChannelCount : 1;
    unsigned int const srcCount = allSrc ? source.ChannelCount() : 1;
    unsigned int const pairs = std::min(desCount, srcCount);

    // A checked range lies inside the block, so n frames fit in 32 bits.
    T* frames = FramePtr(des.firstFrame);
    for (unsigned int pair = 0; pair < pairs; ++pair) {
        U const* samples = source.SamplePtrConst(srcFirst + pair, src.firstFrame);
        if (frames == nullptr || samples == nullptr)
            continue;
        QVSig::CopyCastInterleave(frames, samples, desFirst + pair, mChannelCount, static_cast<unsigned int>(n));
    }
    return true;
}

template class QXSampleInterleaved<float>;
template class QXSampleInterleaved<double>;

template bool QXSampleInterleaved<float>::CopyCastInterleave<float>(QXSampleBuffer<float> const&, QVSampleRange const&,
                                                                    QVSampleRange const&);
template bool QXSampleInterleaved<float>::CopyCastInterleave<double>(QXSampleBuffer<double> const&,
                                                                     QVSampleRange const&, QVSampleRange const&);
template bool QXSampleInterleaved<double>::CopyCastInterleave<float>(QXSampleBuffer<float> const&, QVSampleRange const&,
                                                                     QVSampleRange const&);
template bool QXSampleInterleaved<double>::CopyCastInterleave<double>(QXSampleBuffer<double> const&,
                                                                      QVSampleRange const&, QVSampleRange const&);
