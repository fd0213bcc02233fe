// The resampling members of the sample buffer: checks the ranges and the
// source border, then copies at unit speed or runs the windowed-sinc kernel
// over the channels.

#include "QVResampler.h"
#include "QVSig.h"
#include "QXSampleBuffer.h"

#include <cmath>
#include <cstring>

namespace {

// The channels a checked range visits: all working channels from 0, or one.
struct ChannelSpan {
    unsigned int first;
    unsigned int count;
};

ChannelSpan ChannelsOf(QVSampleRange const& checkedRange, unsigned int workingChannelCount)
{
    if (checkedRange.channel == kQVSampleRangeAllChannels)
        return {0, workingChannelCount};
    return {static_cast<unsigned int>(checkedRange.channel), 1};
}

template <class T, class U>
void CopyConverted(T* destination, U const* source, unsigned long long count)
{
    for (unsigned long long i = 0; i < count; i++)
        destination[i] = static_cast<T>(source[i]);
}

template <class T>
void CopyConverted(T* destination, T const* source, unsigned long long count)
{
    memmove(destination, source, count * sizeof(T));
}

template <class T, class U>
void CopyConvertedReversed(T* destination, U const* source, unsigned long long count)
{
    for (unsigned long long i = 0; i < count; i++)
        destination[i] = static_cast<T>(source[count - 1 - i]);
}

// Channels resampled together by one kernel call.
constexpr unsigned int kResampleGroupChannelCount = 16;

// Phases this close to 0 or 1 snap to a whole frame.
constexpr double kPhaseSnap = 0.00001;

}  // namespace

template <class T>
unsigned long long QXSampleBuffer<T>::GetSourceBorderFrameCountNeededToResample()
{
    return QVSig::kResampleBorderFrameCount;
}

template <class T>
void QXSampleBuffer<T>::ComputeSourceFrameCountNeededToResample(double speed, unsigned long long* border,
                                                                unsigned long long* needed,
                                                                unsigned long long* total) const
{
    QVSig::CopyCastResample_ComputeSourceFrameCountNeeded(FrameCount(), speed, border, needed, total);
}

template <class T>
template <class U>
bool QXSampleBuffer<T>::CopyCastResample(QXSampleBuffer<U> const& source, QVSampleRange const& desRange,
                                         QVSampleRange const& srcRange, double speed, double phase,
                                         unsigned int quality, bool* tookExactPath)
{
    static char const kOperation[] = "CopyCastResample";
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck(kOperation, "Des", &des, *this) || !QVSampleRangeCheck(kOperation, "Src", &src, source))
        return false;
    if (!(phase >= 0.0 && phase < 1.0) || !std::isfinite(speed))
        return false;

    unsigned long long const frameCount = des.frameCount;
    unsigned long long needed = 0;
    QVSig::CopyCastResample_ComputeSourceFrameCountNeeded(frameCount, speed, nullptr, &needed, nullptr);
    if (src.frameCount < needed)
        return false;

    // The border may lie outside the source's working range, but not outside its blocks.
    unsigned long long const border = QVSig::kResampleBorderFrameCount;
    unsigned long long sourceFirst = source.RealFramePosition() + src.firstFrame;
    if (sourceFirst < border || sourceFirst + src.frameCount + border > source.TotalFrameCount())
        return false;

    // Practically no motion over the block: silence.
    if (needed < 2)
        return Zeroset(desRange);

    bool const exact =
        (quality & QVSig::kResampleQualityNoExactCopy) == 0 && (QVSig::IsNearOne(speed) || QVSig::IsNearOne(-speed));
    if (exact) {
        if (phase >= 0.5)
            sourceFirst++;
    } else if (phase < kPhaseSnap) {
        phase = 0.0;
    } else if (phase > 1.0 - kPhaseSnap) {
        sourceFirst++;
        phase = 0.0;
    }

    ChannelSpan const desChannels = ChannelsOf(des, ChannelCount());
    ChannelSpan const srcChannels = ChannelsOf(src, source.ChannelCount());
    unsigned int const pairCount = desChannels.count < srcChannels.count ? desChannels.count : srcChannels.count;
    // The kernel takes the channels in groups, so that each frame's position and
    // coefficients are worked out once per group rather than once per channel.
    T* groupDestinations[kResampleGroupChannelCount];
    U const* groupSources[kResampleGroupChannelCount];
    unsigned int groupCount = 0;
    auto flushGroup = [&] {
        QVSig::CopyCastResample_ShannonChannels(groupDestinations, groupSources, groupCount, frameCount, speed, phase,
                                                quality & QVSig::kResampleQualityKernelMask);
        groupCount = 0;
    };
    for (unsigned int pair = 0; pair < pairCount; pair++) {
        T* const d = SamplePtr(desChannels.first + pair, des.firstFrame);
        U const* const block = source.ChannelBlock(srcChannels.first + pair);
        if (d == nullptr || block == nullptr)
            continue;
        U const* const q = block + sourceFirst;
        if (!exact) {
            groupDestinations[groupCount] = d;
            groupSources[groupCount] = speed < 0.0 ? q + needed : q;
            if (++groupCount == kResampleGroupChannelCount)
                flushGroup();
        } else if (speed > 0.0) {
            if (static_cast<void const*>(d) != static_cast<void const*>(q))
                CopyConverted(d, q, frameCount);
        } else {
            CopyConvertedReversed(d, q, frameCount);
        }
    }
    if (groupCount > 0)
        flushGroup();
    if (tookExactPath != nullptr)
        *tookExactPath = exact;
    return true;
}

template unsigned long long QXSampleBuffer<double>::GetSourceBorderFrameCountNeededToResample();
template unsigned long long QXSampleBuffer<float>::GetSourceBorderFrameCountNeededToResample();
template void QXSampleBuffer<double>::ComputeSourceFrameCountNeededToResample(double, unsigned long long*,
                                                                              unsigned long long*,
                                                                              unsigned long long*) const;
template void QXSampleBuffer<float>::ComputeSourceFrameCountNeededToResample(double, unsigned long long*,
                                                                             unsigned long long*,
                                                                             unsigned long long*) const;
template bool QXSampleBuffer<double>::CopyCastResample<double>(QXSampleBuffer<double> const&, QVSampleRange const&,
                                                               QVSampleRange const&, double, double, unsigned int,
                                                               bool*);
template bool QXSampleBuffer<float>::CopyCastResample<double>(QXSampleBuffer<double> const&, QVSampleRange const&,
                                                              QVSampleRange const&, double, double, unsigned int,
                                                              bool*);
