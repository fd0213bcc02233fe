// QXSampleBuffer::CopyCastDeinterleave: reads an interleaved block back into
// planar channels, converting the element type.

#include "QVSig.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"

#include <algorithm>

template <class T>
template <class U>
bool QXSampleBuffer<T>::CopyCastDeinterleave(QXSampleInterleaved<U> const& source, QVSampleRange const& desRange,
                                             QVSampleRange const& srcRange)
{
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck("CopyCastDeinterleave", "Des", &des, *this) ||
        !QVSampleRangeCheck("CopyCastDeinterleave", "Src", &src, source))
        return false;
    unsigned long long const n = std::min(des.frameCount, src.frameCount);
    if (n == 0)
        return true;

    unsigned int const desFirst = RangeFirstChannel(des);
    unsigned int const srcFirst = RangeFirstChannel(src);
    unsigned int const pairs =
        std::min(RangeChannelCount(des, ChannelCount()), RangeChannelCount(src, source.ChannelCount()));
    U const* frames = source.FramePtrConst(src.firstFrame);
    for (unsigned int pair = 0; pair < pairs; ++pair) {
        unsigned int const channel = desFirst + pair;
        ClearZeroMark(channel);
        T* samples = WorkingPtr(channel, des.firstFrame);
        if (samples == nullptr || frames == nullptr)
            continue;
        // Both ranges lie inside blocks sized in 32 bits, so n fits in 32 bits.
        QVSig::CopyCastDeinterleave(samples, frames, srcFirst + pair, source.ChannelCount(),
                                    static_cast<unsigned int>(n));
    }
    return true;
}

template bool QXSampleBuffer<float>::CopyCastDeinterleave<float>(QXSampleInterleaved<float> const&,
                                                                 QVSampleRange const&, QVSampleRange const&);
template bool QXSampleBuffer<float>::CopyCastDeinterleave<double>(QXSampleInterleaved<double> const&,
                                                                  QVSampleRange const&, QVSampleRange const&);
template bool QXSampleBuffer<double>::CopyCastDeinterleave<float>(QXSampleInterleaved<float> const&,
                                                                  QVSampleRange const&, QVSampleRange const&);
template bool QXSampleBuffer<double>::CopyCastDeinterleave<double>(QXSampleInterleaved<double> const&,
                                                                   QVSampleRange const&, QVSampleRange const&);
