#include "QVSig.h"

#include "AKTargetClones.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace QVSig {

namespace {

enum class PCMKind { Refused, Signed8, Unsigned8, Signed16, Signed24, Signed32, Float32, Float64 };

// Flags beyond these twelve bits carry nothing.
constexpr QVAudioPCMInfo kLayoutMask = 0xFFF;

PCMKind KindOf(QVAudioPCMInfo info)
{
    if (info <= 0)
        return PCMKind::Refused;
    info &= kLayoutMask;
    if ((info & kQVAudioPCMInfoBigEndian) && (info & kQVAudioPCMInfoLittleEndian))
        return PCMKind::Refused;
    unsigned int const bits = QVAudioPCMInfoGetBitsPerSample(info);
    if (QVAudioPCMInfoIsFloat(info)) {
        if (QVAudioPCMInfoIsUnsigned(info))
            return PCMKind::Refused;
        return bits == 32 ? PCMKind::Float32 : bits == 64 ? PCMKind::Float64 : PCMKind::Refused;
    }
    if (QVAudioPCMInfoIsUnsigned(info))
        return bits == 8 ? PCMKind::Unsigned8 : PCMKind::Refused;
    switch (bits) {
    case 8:
        return PCMKind::Signed8;
    case 16:
        return PCMKind::Signed16;
    case 24:
        return PCMKind::Signed24;
    case 32:
        return PCMKind::Signed32;
    default:
        return PCMKind::Refused;
    }
}

// Exact powers of two: 2^-7, 2^-15, 2^-31.
constexpr double kScale8 = 1.0 / 128.0;
constexpr double kScale16 = 1.0 / 32768.0;
constexpr double kScale31 = 1.0 / 2147483648.0;

// The unsigned value of `size` bytes in the given byte order.
constexpr bool kHostBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

// Whole words are loaded as one and byte-swapped only when the order is not
// the host's, which lets the run loops convert several samples at once.
template <typename TWord, bool kBigEndian>
inline uint64_t ReadWord(unsigned char const* p)
{
    TWord v;
    memcpy(&v, p, sizeof v);
    if constexpr (kBigEndian != kHostBigEndian) {
        if constexpr (sizeof(TWord) == 2)
            v = __builtin_bswap16(v);
        else if constexpr (sizeof(TWord) == 4)
            v = __builtin_bswap32(v);
        else
            v = __builtin_bswap64(v);
    }
    return v;
}

template <unsigned int kSize, bool kBigEndian>
inline uint64_t ReadUnsigned(unsigned char const* p)
{
    if constexpr (kSize == 2)
        return ReadWord<uint16_t, kBigEndian>(p);
    if constexpr (kSize == 4)
        return ReadWord<uint32_t, kBigEndian>(p);
    if constexpr (kSize == 8)
        return ReadWord<uint64_t, kBigEndian>(p);
    uint64_t v = 0;
    for (unsigned int b = 0; b < kSize; b++)
        v |= uint64_t(p[kBigEndian ? b : kSize - 1 - b]) << (8 * (kSize - 1 - b));
    return v;
}

// One reader per layout: Get<T> turns the raw bytes of one sample into T,
// converting the integer to T first and scaling in T.
struct ReadSigned8 {
    static constexpr size_t kBytes = 1;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int8_t>(p[0])) * T(kScale8);
    }
};
struct ReadUnsigned8 {
    static constexpr size_t kBytes = 1;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(p[0]) * T(kScale8) - T(1);
    }
};
template <bool kBigEndian>
struct ReadSigned16 {
    static constexpr size_t kBytes = 2;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int16_t>(ReadUnsigned<2, kBigEndian>(p))) * T(kScale16);
    }
};
template <bool kBigEndian>
struct ReadSigned24 {
    static constexpr size_t kBytes = 3;
    // The three bytes fill the top of a 32-bit value, its low byte zero.
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int32_t>(static_cast<uint32_t>(ReadUnsigned<3, kBigEndian>(p)) << 8)) * T(kScale31);
    }
};
template <bool kBigEndian>
struct ReadSigned32 {
    static constexpr size_t kBytes = 4;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int32_t>(static_cast<uint32_t>(ReadUnsigned<4, kBigEndian>(p)))) * T(kScale31);
    }
};
template <bool kBigEndian>
struct ReadFloat32 {
    static constexpr size_t kBytes = 4;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        uint32_t const bits = static_cast<uint32_t>(ReadUnsigned<4, kBigEndian>(p));
        float f;
        memcpy(&f, &bits, sizeof f);
        return T(f);
    }
};
template <bool kBigEndian>
struct ReadFloat64 {
    static constexpr size_t kBytes = 8;
    template <typename T>
    static T Get(unsigned char const* p)
    {
        uint64_t const bits = ReadUnsigned<8, kBigEndian>(p);
        double d;
        memcpy(&d, &bits, sizeof d);
        return T(d);
    }
};

// One channel into contiguous samples, the source's frame size known at
// compile time: the loop is then vectorised (same conversions, same bits).
template <typename TReader, size_t kSourceStride, typename T>
void ConvertContiguousRun(T* destination, unsigned char const* source, unsigned int count)
{
    for (unsigned int i = 0; i < count; i++)
        destination[i] = TReader::template Get<T>(source + size_t(i) * kSourceStride);
}

// The 32-bit float layout of the host's byte order (what float sound files
// hold on every machine this runs on) is built for wider vectors where the
// machine has them: a conversion is exact, so every version gives the same bits.
// The clones are plain functions (some compilers refuse them on templates).
template <size_t kSourceStride>
inline void ConvertNativeFloat32Frames(double* destination, unsigned char const* source, unsigned int count)
{
    for (unsigned int i = 0; i < count; i++) {
        float f;
        memcpy(&f, source + size_t(i) * kSourceStride, sizeof f);
        destination[i] = f;
    }
}

AK_TARGET_CLONES("avx2", "default")
void ConvertNativeFloat32Mono(double* destination, unsigned char const* source, unsigned int count)
{
    ConvertNativeFloat32Frames<4>(destination, source, count);
}

AK_TARGET_CLONES("avx2", "default")
void ConvertNativeFloat32Stereo(double* destination, unsigned char const* source, unsigned int count)
{
    ConvertNativeFloat32Frames<8>(destination, source, count);
}

template <typename TReader, typename T>
void ConvertRun(T* destination, size_t destinationStride, unsigned char const* source, size_t sourceStride,
                unsigned int count)
{
    // Mono and stereo sounds read into a planar channel: the common cases.
    if constexpr (std::is_same_v<T, double> && std::is_same_v<TReader, ReadFloat32<kHostBigEndian>>) {
        if (destinationStride == 1 && sourceStride == 4) {
            ConvertNativeFloat32Mono(destination, source, count);
            return;
        }
        if (destinationStride == 1 && sourceStride == 8) {
            ConvertNativeFloat32Stereo(destination, source, count);
            return;
        }
    }
    if (destinationStride == 1 && sourceStride == TReader::kBytes) {
        ConvertContiguousRun<TReader, TReader::kBytes>(destination, source, count);
        return;
    }
    if (destinationStride == 1 && sourceStride == 2 * TReader::kBytes) {
        ConvertContiguousRun<TReader, 2 * TReader::kBytes>(destination, source, count);
        return;
    }
    for (unsigned int i = 0; i < count; i++) {
        *destination = TReader::template Get<T>(source);
        destination += destinationStride;
        source += sourceStride;
    }
}

// Converts `count` samples, `sourceStride` bytes and `destinationStride`
// samples apart; false for a refused layout.
template <typename T>
bool Convert(QVAudioPCMInfo info, T* destination, size_t destinationStride, unsigned char const* source,
             size_t sourceStride, unsigned int count)
{
    bool const big = QVAudioPCMInfoIsBigEndian(info);
    switch (KindOf(info)) {
    case PCMKind::Signed8:
        ConvertRun<ReadSigned8>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Unsigned8:
        ConvertRun<ReadUnsigned8>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Signed16:
        if (big)
            ConvertRun<ReadSigned16<true>>(destination, destinationStride, source, sourceStride, count);
        else
            ConvertRun<ReadSigned16<false>>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Signed24:
        if (big)
            ConvertRun<ReadSigned24<true>>(destination, destinationStride, source, sourceStride, count);
        else
            ConvertRun<ReadSigned24<false>>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Signed32:
        if (big)
            ConvertRun<ReadSigned32<true>>(destination, destinationStride, source, sourceStride, count);
        else
            ConvertRun<ReadSigned32<false>>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Float32:
        if (big)
            ConvertRun<ReadFloat32<true>>(destination, destinationStride, source, sourceStride, count);
        else
            ConvertRun<ReadFloat32<false>>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Float64:
        if (big)
            ConvertRun<ReadFloat64<true>>(destination, destinationStride, source, sourceStride, count);
        else
            ConvertRun<ReadFloat64<false>>(destination, destinationStride, source, sourceStride, count);
        return true;
    case PCMKind::Refused:
        break;
    }
    return false;
}

}  // namespace

bool IsPCMLayoutSupported(QVAudioPCMInfo info) { return KindOf(info) != PCMKind::Refused; }

template <typename T>
bool CopyCastDeinterleavePCMData(T* destination, unsigned char const* source, QVAudioPCMInfo info, unsigned int channel,
                                 unsigned int channelCount, unsigned int frameCount)
{
    if (!IsPCMLayoutSupported(info) || destination == nullptr || source == nullptr || channel >= channelCount)
        return false;
    size_t const bytesPerSample = QVAudioPCMInfoGetBytesPerSample(info);
    return Convert(info, destination, 1, source + size_t(channel) * bytesPerSample,
                   size_t(channelCount) * bytesPerSample, frameCount);
}

template <typename T>
bool CopyCastInterleavePCMData(T* destination, unsigned char const* source, QVAudioPCMInfo info, unsigned int channel,
                               unsigned int channelCount, unsigned int frameCount)
{
    if (!IsPCMLayoutSupported(info) || destination == nullptr || source == nullptr || channel >= channelCount)
        return false;
    return Convert(info, destination + channel, channelCount, source, QVAudioPCMInfoGetBytesPerSample(info),
                   frameCount);
}

template bool CopyCastDeinterleavePCMData<float>(float*, unsigned char const*, QVAudioPCMInfo, unsigned int,
                                                 unsigned int, unsigned int);
template bool CopyCastDeinterleavePCMData<double>(double*, unsigned char const*, QVAudioPCMInfo, unsigned int,
                                                  unsigned int, unsigned int);
template bool CopyCastInterleavePCMData<float>(float*, unsigned char const*, QVAudioPCMInfo, unsigned int, unsigned int,
                                               unsigned int);
template bool CopyCastInterleavePCMData<double>(double*, unsigned char const*, QVAudioPCMInfo, unsigned int,
                                                unsigned int, unsigned int);

}  // namespace QVSig
