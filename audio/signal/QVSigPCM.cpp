#include "QVSig.h"

#include <cstdint>
#include <cstring>

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
template <unsigned int kSize, bool kBigEndian>
inline uint64_t ReadUnsigned(unsigned char const* p)
{
    uint64_t v = 0;
    for (unsigned int b = 0; b < kSize; b++)
        v |= uint64_t(p[kBigEndian ? b : kSize - 1 - b]) << (8 * (kSize - 1 - b));
    return v;
}

// One reader per layout: Get<T> turns the raw bytes of one sample into T,
// converting the integer to T first and scaling in T.
struct ReadSigned8 {
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int8_t>(p[0])) * T(kScale8);
    }
};
struct ReadUnsigned8 {
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(p[0]) * T(kScale8) - T(1);
    }
};
template <bool kBigEndian>
struct ReadSigned16 {
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int16_t>(ReadUnsigned<2, kBigEndian>(p))) * T(kScale16);
    }
};
template <bool kBigEndian>
struct ReadSigned24 {
    // The three bytes fill the top of a 32-bit value, its low byte zero.
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int32_t>(static_cast<uint32_t>(ReadUnsigned<3, kBigEndian>(p)) << 8)) * T(kScale31);
    }
};
template <bool kBigEndian>
struct ReadSigned32 {
    template <typename T>
    static T Get(unsigned char const* p)
    {
        return T(static_cast<int32_t>(static_cast<uint32_t>(ReadUnsigned<4, kBigEndian>(p)))) * T(kScale31);
    }
};
template <bool kBigEndian>
struct ReadFloat32 {
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
    template <typename T>
    static T Get(unsigned char const* p)
    {
        uint64_t const bits = ReadUnsigned<8, kBigEndian>(p);
        double d;
        memcpy(&d, &bits, sizeof d);
        return T(d);
    }
};

template <typename TReader, typename T>
void ConvertRun(T* destination, size_t destinationStride, unsigned char const* source, size_t sourceStride,
                unsigned int count)
{
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
