// The two-buffer operations and conversions of QXSampleBuffer: copies, sums,
// gains, crossfades, moves, matrix mixing and element conversions.

#include "QXSampleBuffer.h"

#include "AKTargetClones.h"
#include "QVGainMatrix.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// The plain sum of the mix, built for wider vectors where the machine has
// them: each lane adds one sample, so every version gives the same bits
// (overlapping spans fall back to the loop's own order, as before).
template <class T>
void AddSamples(T* destination, T const* source, unsigned int count)
{
    for (unsigned int i = 0; i < count; i++)
        destination[i] += source[i];
}

AK_TARGET_CLONES("avx2", "default")
void AddDoubles(double* destination, double const* source, unsigned int count)
{
    AddSamples(destination, source, count);
}

AK_TARGET_CLONES("avx2", "default")
void AddFloats(float* destination, float const* source, unsigned int count) { AddSamples(destination, source, count); }

inline void AddSamplesOf(double* destination, double const* source, unsigned int count)
{
    AddDoubles(destination, source, count);
}

inline void AddSamplesOf(float* destination, float const* source, unsigned int count)
{
    AddFloats(destination, source, count);
}

// Whether two spans of `count` samples share memory.
template <class T>
bool SpansOverlap(T const* a, T const* b, unsigned int count)
{
    return a < b + count && b < a + count;
}

}  // namespace

template <class T>
bool QXSampleBuffer<T>::LowCopy(char const* operation, int code, QXSampleBuffer const& source,
                                QVSampleRange const& desRange, QVSampleRange const& srcRange, double a, double b)
{
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck(operation, "Des", &des, *this) || !QVSampleRangeCheck(operation, "Src", &src, source))
        return false;
    // Channel blocks hold fewer than 2^32 bytes, so the count fits.
    unsigned int const count = static_cast<unsigned int>(std::min(des.frameCount, src.frameCount));
    if (count == 0)
        return true;
    size_t const bytes = static_cast<size_t>(count) * sizeof(T);
    unsigned int const desFirst = RangeFirstChannel(des);
    unsigned int const srcFirst = RangeFirstChannel(src);
    unsigned int const pairs =
        std::min(RangeChannelCount(des, mWorkingChannelCount), RangeChannelCount(src, source.mWorkingChannelCount));
    for (unsigned int k = 0; k < pairs; k++) {
        ClearZeroMark(desFirst + k);
        T* const d = WorkingPtr(desFirst + k, des.firstFrame);
        T const* const s = source.WorkingPtr(srcFirst + k, src.firstFrame);
        if (d == nullptr || s == nullptr)
            continue;
        switch (code) {
        case kOpMove:
        case kOpCopy:
            // A copy inside one buffer may overlap as a move does.
            if (d != s)
                memmove(d, s, bytes);
            break;
        case kOpCopyAdd:
            AddSamplesOf(d, s, count);
            break;
        case kOpCopyWithGain:
            // The kernel's unit-gain copy does not allow overlapping spans.
            if (QVSig::IsNearOne(a)) {
                if (d != s)
                    memmove(d, s, bytes);
            } else {
                QVSig::CopyWithGain(d, s, count, a);
            }
            break;
        case kOpCopyAddWithGain:
            QVSig::CopyAddWithGain(d, s, count, a);
            break;
        case kOpCopyAddWithXFade:
            QVSig::CopyAddWithXFade(d, s, count, a, b);
            break;
        case kOpCopyReversed:
            if (SpansOverlap<T>(d, s, count)) {
                // Bring the source in place first, then reverse it there.
                if (d != s)
                    memmove(d, s, bytes);
                std::reverse(d, d + count);
            } else {
                for (unsigned int i = 0; i < count; i++)
                    d[i] = s[count - 1 - i];
            }
            break;
        default:
            break;
        }
    }
    return true;
}

template <class T>
bool QXSampleBuffer<T>::Copy(QXSampleBuffer const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange)
{
    return LowCopy("Copy", kOpCopy, source, desRange, srcRange, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyAdd(QXSampleBuffer const& source, QVSampleRange const& desRange,
                                QVSampleRange const& srcRange)
{
    return LowCopy("CopyAdd", kOpCopyAdd, source, desRange, srcRange, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyReversed(QXSampleBuffer const& source, QVSampleRange const& desRange,
                                     QVSampleRange const& srcRange)
{
    return LowCopy("CopyReversed", kOpCopyReversed, source, desRange, srcRange, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& desRange,
                                     QVSampleRange const& srcRange)
{
    if (!std::isfinite(gain))
        return false;
    return LowCopy("CopyWithGain", kOpCopyWithGain, source, desRange, srcRange, gain, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyAddWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& desRange,
                                        QVSampleRange const& srcRange)
{
    if (!std::isfinite(gain))
        return false;
    return LowCopy("CopyAddWithGain", kOpCopyAddWithGain, source, desRange, srcRange, gain, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyAddWithXFade(QXSampleBuffer const& source, double positionA, double positionB,
                                         QVSampleRange const& desRange, QVSampleRange const& srcRange)
{
    return LowCopy("CopyAddWithXFade", kOpCopyAddWithXFade, source, desRange, srcRange, positionA, positionB);
}

template <class T>
bool QXSampleBuffer<T>::Move(int shift, QVSampleRange const& range)
{
    return LowCopy("Move", kOpMove, *this, range.Shifted(shift), range, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::Move(QVSampleRange const& desRange, QVSampleRange const& srcRange)
{
    return LowCopy("Move", kOpMove, *this, desRange, srcRange, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::CopyAddWithMatrix(QXSampleBuffer const& source, QVGainMatrix const& matrix,
                                          QVSampleRange const& desRange, QVSampleRange const& srcRange)
{
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck("CopyAddWithMatrix", "Des", &des, *this) ||
        !QVSampleRangeCheck("CopyAddWithMatrix", "Src", &src, source))
        return false;
    if (des.channel != kQVSampleRangeAllChannels || src.channel != kQVSampleRangeAllChannels)
        return false;
    if (mWorkingChannelCount != matrix.OutputCount() || source.mWorkingChannelCount != matrix.InputCount())
        return false;
    // One NaN or infinite coefficient would spread through the whole output.
    if (!matrix.HasOnlyFiniteCoeffs())
        return false;
    unsigned int const count = static_cast<unsigned int>(std::min(des.frameCount, src.frameCount));
    if (count == 0)
        return true;
    for (unsigned int output = 0; output < mWorkingChannelCount; output++) {
        ClearZeroMark(output);
        T* const d = WorkingPtr(output, des.firstFrame);
        if (d == nullptr)
            continue;
        // The inputs of the row in groups, each added in one pass over the output.
        T const* sources[QVGainMatrix::kMixRowMaxInputs];
        for (unsigned int first = 0; first < source.mWorkingChannelCount; first += QVGainMatrix::kMixRowMaxInputs) {
            unsigned int const n = std::min(source.mWorkingChannelCount - first, QVGainMatrix::kMixRowMaxInputs);
            for (unsigned int k = 0; k < n; k++)
                sources[k] = source.WorkingPtr(first + k, src.firstFrame);
            matrix.MixRowInto<T>(d, output, first, sources, n, count);
        }
    }
    return true;
}

template <class T>
template <class U>
bool QXSampleBuffer<T>::CopyCast(QXSampleBuffer<U> const& source, QVSampleRange const& desRange,
                                 QVSampleRange const& srcRange)
{
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck("CopyCast", "Des", &des, *this) || !QVSampleRangeCheck("CopyCast", "Src", &src, source))
        return false;
    unsigned int const count = static_cast<unsigned int>(std::min(des.frameCount, src.frameCount));
    if (count == 0)
        return true;
    unsigned int const desFirst = RangeFirstChannel(des);
    unsigned int const srcFirst = RangeFirstChannel(src);
    unsigned int const pairs =
        std::min(RangeChannelCount(des, mWorkingChannelCount), RangeChannelCount(src, source.mWorkingChannelCount));
    for (unsigned int k = 0; k < pairs; k++) {
        ClearZeroMark(desFirst + k);
        T* const d = WorkingPtr(desFirst + k, des.firstFrame);
        U const* const s = source.WorkingPtr(srcFirst + k, src.firstFrame);
        if (d == nullptr || s == nullptr)
            continue;
        if constexpr (std::is_same_v<T, U>) {
            if (d != s)
                memmove(d, s, static_cast<size_t>(count) * sizeof(T));
        } else {
            for (unsigned int i = 0; i < count; i++)
                d[i] = static_cast<T>(s[i]);
        }
    }
    return true;
}

template <class T>
bool QXSampleBuffer<T>::CopyCastDeinterleavePCMData(QVSampleRawPCMData const& source, QVSampleRange const& desRange,
                                                    QVSampleRange const& srcRange)
{
    QVSampleRange des = desRange;
    QVSampleRange src = srcRange;
    if (!QVSampleRangeCheck("CopyCastDeinterleavePCMData", "Des", &des, *this) ||
        !QVSampleRangeCheck("CopyCastDeinterleavePCMData", "Src", &src, source))
        return false;
    unsigned int const count = static_cast<unsigned int>(std::min(des.frameCount, src.frameCount));
    if (count == 0)
        return true;
    unsigned char const* const frames = source.FramePtrConst(src.firstFrame);
    unsigned int const desFirst = RangeFirstChannel(des);
    unsigned int const srcFirst = RangeFirstChannel(src);
    unsigned int const pairs =
        std::min(RangeChannelCount(des, mWorkingChannelCount), RangeChannelCount(src, source.ChannelCount()));
    for (unsigned int k = 0; k < pairs; k++) {
        ClearZeroMark(desFirst + k);
        T* const d = WorkingPtr(desFirst + k, des.firstFrame);
        if (d == nullptr || frames == nullptr)
            continue;
        if (!QVSig::CopyCastDeinterleavePCMData<T>(d, frames, source.PCMInfo(), srcFirst + k, source.ChannelCount(),
                                                   count))
            return false;
    }
    return true;
}

#define QX_SAMPLE_BUFFER_COPY_INSTANCES(T)                                                                             \
    template bool QXSampleBuffer<T>::LowCopy(char const*, int, QXSampleBuffer<T> const&, QVSampleRange const&,         \
                                             QVSampleRange const&, double, double);                                    \
    template bool QXSampleBuffer<T>::Copy(QXSampleBuffer<T> const&, QVSampleRange const&, QVSampleRange const&);       \
    template bool QXSampleBuffer<T>::CopyAdd(QXSampleBuffer<T> const&, QVSampleRange const&, QVSampleRange const&);    \
    template bool QXSampleBuffer<T>::CopyReversed(QXSampleBuffer<T> const&, QVSampleRange const&,                      \
                                                  QVSampleRange const&);                                               \
    template bool QXSampleBuffer<T>::CopyWithGain(QXSampleBuffer<T> const&, double, QVSampleRange const&,              \
                                                  QVSampleRange const&);                                               \
    template bool QXSampleBuffer<T>::CopyAddWithGain(QXSampleBuffer<T> const&, double, QVSampleRange const&,           \
                                                     QVSampleRange const&);                                            \
    template bool QXSampleBuffer<T>::CopyAddWithXFade(QXSampleBuffer<T> const&, double, double, QVSampleRange const&,  \
                                                      QVSampleRange const&);                                           \
    template bool QXSampleBuffer<T>::Move(int, QVSampleRange const&);                                                  \
    template bool QXSampleBuffer<T>::Move(QVSampleRange const&, QVSampleRange const&);                                 \
    template bool QXSampleBuffer<T>::CopyAddWithMatrix(QXSampleBuffer<T> const&, QVGainMatrix const&,                  \
                                                       QVSampleRange const&, QVSampleRange const&);                    \
    template bool QXSampleBuffer<T>::CopyCast<float>(QXSampleBuffer<float> const&, QVSampleRange const&,               \
                                                     QVSampleRange const&);                                            \
    template bool QXSampleBuffer<T>::CopyCast<double>(QXSampleBuffer<double> const&, QVSampleRange const&,             \
                                                      QVSampleRange const&);                                           \
    template bool QXSampleBuffer<T>::CopyCastDeinterleavePCMData(QVSampleRawPCMData const&, QVSampleRange const&,      \
                                                                 QVSampleRange const&);

QX_SAMPLE_BUFFER_COPY_INSTANCES(float)
QX_SAMPLE_BUFFER_COPY_INSTANCES(double)
