// Fuzz target: raw sound-file samples. The input is a PCM description, then
// the raw bytes:
//   0  the PCM layout code, signed 32-bit little-endian, taken as it is
//   4  the channel count
//   5  the first frame converted into the sample buffer
//   6  the raw samples
// The bytes are attached as raw PCM data (as many whole frames as they hold)
// and converted by every kernel: channel by channel into planar blocks, as
// one interleaved run, and into a planar sample buffer. Layouts the system
// cannot read are refused everywhere; every sample converted is the value
// its bytes encode, the same in float and double, wherever it lands.

#include "QVAudioPCMInfo.h"
#include "QVSampleRange.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"
#include "QXSampleBuffer.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 6;
constexpr double kSampleRate = 48000.0;

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

bool Same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

// The value a raw sample encodes, worked out byte by byte.
double Decoded(unsigned char const* bytes, QVAudioPCMInfo info)
{
    unsigned int size = QVAudioPCMInfoGetBytesPerSample(info);
    bool big = QVAudioPCMInfoIsBigEndian(info);
    uint64_t v = 0;
    for (unsigned int i = 0; i < size; ++i)
        v = (v << 8) | bytes[big ? i : size - 1 - i];
    if (QVAudioPCMInfoIsFloat(info)) {
        if (size == 4) {
            uint32_t bits = static_cast<uint32_t>(v);
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return f;
        }
        double d;
        std::memcpy(&d, &v, sizeof d);
        return d;
    }
    if (QVAudioPCMInfoIsUnsigned(info))
        return static_cast<double>(v) / 128.0 - 1.0;
    unsigned int bits = size * 8;
    int64_t signedValue = static_cast<int64_t>(v << (64 - bits)) >> (64 - bits);
    return std::ldexp(static_cast<double>(signedValue), -static_cast<int>(bits - 1));
}

void CheckRefused(unsigned char const* bytes, QVAudioPCMInfo info, unsigned int channels)
{
    float f = 0.0f;
    double d = 0.0;
    unsigned int count = channels == 0 ? 1 : channels;
    Require(!QVSig::CopyCastDeinterleavePCMData(&f, bytes, info, 0, count, 1));
    Require(!QVSig::CopyCastDeinterleavePCMData(&d, bytes, info, 0, count, 1));
    Require(!QVSig::CopyCastInterleavePCMData(&f, bytes, info, 0, count, 1));
    Require(!QVSig::CopyCastInterleavePCMData(&d, bytes, info, 0, count, 1));
}

void CheckAttachment(QVSampleRawPCMData const& raw, unsigned char const* bytes, size_t size)
{
    Require(raw.SampleCount() == raw.FrameCount() * raw.ChannelCount());
    Require(raw.ByteCount() == raw.SampleCount() * raw.BytesPerSample() && raw.ByteCount() <= size);
    Require(raw.FramePtrConst(raw.FrameCount()) == nullptr);
    if (raw.FrameCount() != 0) {
        unsigned char const* last = raw.FramePtrConst(raw.FrameCount() - 1);
        Require(last != nullptr && last + raw.ChannelCount() * raw.BytesPerSample() == bytes + raw.ByteCount());
    }
}

void Convert(QVSampleRawPCMData const& raw, unsigned int firstFrame)
{
    QVAudioPCMInfo info = raw.PCMInfo();
    unsigned int channels = raw.ChannelCount();
    unsigned int frames = static_cast<unsigned int>(raw.FrameCount());
    unsigned int bytesPerSample = raw.BytesPerSample();
    unsigned char const* bytes = raw.Data();

    // Channel by channel, in both sample types, against the decoded value.
    std::vector<double> planar(static_cast<size_t>(channels) * frames);
    std::vector<float> planarFloat(planar.size());
    for (unsigned int c = 0; c < channels; ++c) {
        double* d = planar.data() + static_cast<size_t>(c) * frames;
        float* f = planarFloat.data() + static_cast<size_t>(c) * frames;
        Require(QVSig::CopyCastDeinterleavePCMData(d, bytes, info, c, channels, frames));
        Require(QVSig::CopyCastDeinterleavePCMData(f, bytes, info, c, channels, frames));
        for (unsigned int i = 0; i < frames; ++i) {
            double expected = Decoded(bytes + (static_cast<size_t>(i) * channels + c) * bytesPerSample, info);
            Require(Same(d[i], expected) && Same(f[i], static_cast<float>(expected)));
            if (!QVAudioPCMInfoIsFloat(info))
                Require(d[i] >= -1.0 && d[i] < 1.0);
        }
    }
    Require(!QVSig::CopyCastDeinterleavePCMData(planar.data(), bytes, info, channels, channels, frames));

    // One interleaved run of every sample, and consecutive samples placed
    // into one channel of an interleaved block.
    std::vector<double> interleaved(planar.size());
    Require(QVSig::CopyCastInterleavePCMData(interleaved.data(), bytes, info, 0, 1, channels * frames));
    for (unsigned int c = 0; c < channels; ++c) {
        for (unsigned int i = 0; i < frames; ++i)
            Require(
                Same(interleaved[static_cast<size_t>(i) * channels + c], planar[static_cast<size_t>(c) * frames + i]));
    }
    std::vector<float> placed(planar.size(), 0.0f);
    unsigned int channel = channels - 1;
    Require(QVSig::CopyCastInterleavePCMData(placed.data(), bytes, info, channel, channels, frames));
    for (unsigned int i = 0; i < frames; ++i)
        Require(Same(placed[static_cast<size_t>(i) * channels + channel], static_cast<float>(interleaved[i])));

    // Into a sample buffer, from a first frame to the end.
    QXSampleBuffer<float> buffer;
    if (!buffer.AllocateClean(channels, frames, kSampleRate))
        return;
    firstFrame %= frames;
    QVSampleRange source = QVSampleRangeMake(kQVSampleRangeAllChannels, firstFrame, frames - firstFrame);
    Require(buffer.CopyCastDeinterleavePCMData(raw, kQVSampleRangeAll, source));
    for (unsigned int c = 0; c < channels; ++c) {
        for (unsigned int i = 0; i < frames; ++i) {
            float const* sample = buffer.SamplePtrConst(c, i);
            Require(sample != nullptr);
            unsigned long long from = firstFrame + static_cast<unsigned long long>(i);
            float expected = from < frames ? planarFloat[static_cast<size_t>(c) * frames + from] : 0.0f;
            Require(Same(*sample, expected));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (size < kHeaderSize || size > 0xFFFFFFu)
        return 0;
    uint32_t code = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                    (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    QVAudioPCMInfo info = static_cast<QVAudioPCMInfo>(code);
    unsigned int channels = data[4];
    unsigned int firstFrame = data[5];
    unsigned char const* bytes = data + kHeaderSize;
    size_t byteCount = size - kHeaderSize;

    bool supported = QVSig::IsPCMLayoutSupported(info);
    Require(supported == QVAudioPCMInfoIsValid(info));
    if (!supported)
        CheckRefused(bytes, info, channels);

    unsigned int frameBytes = channels * QVAudioPCMInfoGetBytesPerSample(info);
    unsigned long long frames = frameBytes != 0 ? byteCount / frameBytes : byteCount;
    QVSampleRawPCMData raw;
    bool attached = raw.AttachPCMData(bytes, info, channels, frames, kSampleRate);
    Require(attached == (supported && channels != 0));
    Require(raw.IsAttached() == attached && raw.SampleRate() == kSampleRate);
    if (!attached)
        return 0;
    CheckAttachment(raw, bytes, byteCount);

    // A frame count whose byte count would not fit 64 bits is refused.
    if (frameBytes > 1) {
        QVSampleRawPCMData huge;
        Require(!huge.AttachPCMData(bytes, info, channels, ~0ull / frameBytes + 1, kSampleRate));
    }

    if (frames != 0)
        Convert(raw, firstFrame);
    return 0;
}
