#include "QVSampleRange.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace QVSig;

namespace {

constexpr QVAudioPCMInfo kLE = kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kBE = kQVAudioPCMInfoBigEndian;
constexpr QVAudioPCMInfo kF = kQVAudioPCMInfoFloat;
constexpr QVAudioPCMInfo kU = kQVAudioPCMInfoUnsigned;

// The bytes of a value in little- or big-endian order.
template <typename V>
std::vector<unsigned char> BytesOf(V value, bool bigEndian)
{
    std::vector<unsigned char> bytes(sizeof(V));
    memcpy(bytes.data(), &value, sizeof(V));
    bool const hostLittle = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    if (bigEndian == hostLittle)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

struct PCMCase {
    char const* name;
    QVAudioPCMInfo info;
    std::vector<unsigned char> bytes;  // one sample
    double expected;                   // in the double instance
    float expectedFloat;               // in the float instance
};

std::vector<PCMCase> SupportedCases()
{
    double const s15 = 1.0 / 32768.0, s31 = 1.0 / 2147483648.0;
    return {
        {"S8 0x80", 8, {0x80}, -1.0, -1.0f},
        {"S8 0x7F", 8 | kLE, {0x7F}, 127.0 / 128.0, 127.0f / 128.0f},
        {"S8 0x40 BE", 8 | kBE, {0x40}, 0.5, 0.5f},
        {"U8 0x80", 8 | kU, {0x80}, 0.0, 0.0f},
        {"U8 0x00", 8 | kU, {0x00}, -1.0, -1.0f},
        {"U8 0xFF", 8 | kU | kLE, {0xFF}, 127.0 / 128.0, 127.0f / 128.0f},
        {"S16 LE 00 80", 16 | kLE, {0x00, 0x80}, -1.0, -1.0f},
        {"S16 LE FF 7F", 16 | kLE, {0xFF, 0x7F}, 32767.0 / 32768.0, 32767.0f / 32768.0f},
        {"S16 no order 00 40", 16, {0x00, 0x40}, 0.5, 0.5f},
        {"S16 BE 80 00", 16 | kBE, {0x80, 0x00}, -1.0, -1.0f},
        {"S16 BE 00 01", 16 | kBE, {0x00, 0x01}, s15, float(s15)},
        {"S24 BE 40 00 00", 24 | kBE, {0x40, 0x00, 0x00}, 0.5, 0.5f},
        {"S24 LE 00 00 40", 24 | kLE, {0x00, 0x00, 0x40}, 0.5, 0.5f},
        {"S24 LE 00 00 80", 24 | kLE, {0x00, 0x00, 0x80}, -1.0, -1.0f},
        {"S24 LE FF FF 7F", 24 | kLE, {0xFF, 0xFF, 0x7F}, 1.0 - std::ldexp(1.0, -23), 1.0f - std::ldexp(1.0f, -23)},
        {"S24 BE FF FF FF", 24 | kBE, {0xFF, 0xFF, 0xFF}, -std::ldexp(1.0, -23), -std::ldexp(1.0f, -23)},
        {"S24 LE 01 00 00", 24, {0x01, 0x00, 0x00}, std::ldexp(1.0, -23), std::ldexp(1.0f, -23)},
        {"S32 LE 00 00 00 80", 32 | kLE, {0x00, 0x00, 0x00, 0x80}, -1.0, -1.0f},
        {"S32 BE 7F FF FF FF", 32 | kBE, {0x7F, 0xFF, 0xFF, 0xFF}, 1.0 - s31, 1.0f},  // float rounds to 1
        {"S32 LE 01 00 00 00", 32, {0x01, 0x00, 0x00, 0x00}, s31, float(s31)},
        {"F32 LE", 32 | kF | kLE, BytesOf(0.25f, false), 0.25, 0.25f},
        {"F32 no order", 32 | kF, BytesOf(-1.5f, false), -1.5, -1.5f},
        {"F32 BE", 32 | kF | kBE, BytesOf(0.1f, true), double(0.1f), 0.1f},
        {"F64 LE", 64 | kF | kLE, BytesOf(0.1, false), 0.1, 0.1f},
        {"F64 BE", 64 | kF | kBE, BytesOf(-0.3, true), -0.3, -0.3f},
    };
}

}  // namespace

TEST(QVSigPCM, EveryRawLayoutConverts)
{
    for (PCMCase const& c : SupportedCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(IsPCMLayoutSupported(c.info));
        double d = 99;
        float f = 99;
        ASSERT_TRUE(CopyCastDeinterleavePCMData(&d, c.bytes.data(), c.info, 0, 1, 1));
        ASSERT_TRUE(CopyCastDeinterleavePCMData(&f, c.bytes.data(), c.info, 0, 1, 1));
        EXPECT_EQ(d, c.expected);
        EXPECT_EQ(f, c.expectedFloat);
        d = 99;
        f = 99;
        ASSERT_TRUE(CopyCastInterleavePCMData(&d, c.bytes.data(), c.info, 0, 1, 1));
        ASSERT_TRUE(CopyCastInterleavePCMData(&f, c.bytes.data(), c.info, 0, 1, 1));
        EXPECT_EQ(d, c.expected);
        EXPECT_EQ(f, c.expectedFloat);
    }
}

TEST(QVSigPCM, RefusedLayoutsAreRefused)
{
    struct Case {
        char const* name;
        QVAudioPCMInfo info;
    };
    Case const cases[] = {
        {"none", 0},
        {"negative", -16},
        {"U16", 16 | kU},
        {"U24", 24 | kU | kLE},
        {"U32", 32 | kU | kBE},
        {"F24", 24 | kF},
        {"F16", 16 | kF},
        {"F8", 8 | kF},
        {"float and unsigned", 32 | kF | kU},
        {"both byte orders", 16 | kLE | kBE},
        {"S64", 64},
        {"S12", 12},
        {"S0", kLE},
    };
    unsigned char const bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(IsPCMLayoutSupported(c.info));
        double d = 99;
        float f = 99;
        EXPECT_FALSE(CopyCastDeinterleavePCMData(&d, bytes, c.info, 0, 1, 1));
        EXPECT_FALSE(CopyCastInterleavePCMData(&f, bytes, c.info, 0, 1, 1));
        EXPECT_FALSE(CopyCastDeinterleavePCMData(&d, bytes, c.info, 0, 1, 0));  // even with nothing to convert
        EXPECT_EQ(d, 99.0);
        EXPECT_EQ(f, 99.0f);
    }
}

TEST(QVSigPCM, KernelsAcceptExactlyTheValidLayouts)
{
    for (QVAudioPCMInfo info = -1; info <= 0xFFF; info++)
        ASSERT_EQ(IsPCMLayoutSupported(info), QVAudioPCMInfoIsValid(info)) << "info 0x" << std::hex << info;
    // Bits above the twelve layout bits carry nothing.
    EXPECT_TRUE(IsPCMLayoutSupported(0x10000 | 16 | kLE));
}

TEST(QVSigPCM, DeinterleavesOneChannelOfRawFrames)
{
    // Three stereo S16 BE frames: left 0.5, -0.5, 0.25; right -1, 0, 0.75.
    unsigned char const frames[] = {0x40, 0x00, 0x80, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x20, 0x00, 0x60, 0x00};
    QVAudioPCMInfo const info = 16 | kBE;
    double right[3] = {};
    ASSERT_TRUE(CopyCastDeinterleavePCMData(right, frames, info, 1, 2, 3));
    EXPECT_EQ(right[0], -1.0);
    EXPECT_EQ(right[1], 0.0);
    EXPECT_EQ(right[2], 0.75);
    float left[3] = {};
    ASSERT_TRUE(CopyCastDeinterleavePCMData(left, frames, info, 0, 2, 3));
    EXPECT_EQ(left[0], 0.5f);
    EXPECT_EQ(left[1], -0.5f);
    EXPECT_EQ(left[2], 0.25f);

    // The whole interleaved block at once, as providers convert it.
    float all[6] = {};
    ASSERT_TRUE(CopyCastInterleavePCMData(all, frames, info, 0, 1, 6));
    float const expected[6] = {0.5f, -1.0f, -0.5f, 0.0f, 0.25f, 0.75f};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(all[i], expected[i]) << "sample " << i;

    // Raw samples written into channel 1 of a stereo interleaved block.
    double interleaved[4] = {9, 9, 9, 9};
    ASSERT_TRUE(CopyCastInterleavePCMData(interleaved, frames, info, 1, 2, 2));
    EXPECT_EQ(interleaved[0], 9.0);
    EXPECT_EQ(interleaved[1], 0.5);
    EXPECT_EQ(interleaved[2], 9.0);
    EXPECT_EQ(interleaved[3], -1.0);
}

TEST(QVSigPCM, BadArgumentsAreRefused)
{
    unsigned char const bytes[4] = {};
    double out[2] = {5, 5};
    QVAudioPCMInfo const info = 16 | kLE;
    EXPECT_FALSE(CopyCastDeinterleavePCMData(out, bytes, info, 2, 2, 1));  // channel beyond the count
    EXPECT_FALSE(CopyCastDeinterleavePCMData(out, bytes, info, 0, 0, 1));
    EXPECT_FALSE(CopyCastDeinterleavePCMData(static_cast<double*>(nullptr), bytes, info, 0, 1, 1));
    EXPECT_FALSE(CopyCastInterleavePCMData(out, nullptr, info, 0, 1, 1));
    EXPECT_EQ(out[0], 5.0);
    EXPECT_TRUE(CopyCastDeinterleavePCMData(out, bytes, info, 0, 1, 0));  // nothing to do
    EXPECT_EQ(out[0], 5.0);
}

// --- The raw view ---

TEST(QVSampleRawPCMData, AttachFillsEveryField)
{
    std::vector<unsigned char> bytes(3 * 2 * 10);
    QVSampleRawPCMData raw;
    EXPECT_FALSE(raw.IsAttached());
    EXPECT_EQ(raw.FramePtrConst(0), nullptr);

    ASSERT_TRUE(raw.AttachPCMData(bytes.data(), 24 | kLE, 2, 10, 48000.0));
    EXPECT_TRUE(raw.IsAttached());
    EXPECT_EQ(raw.Data(), bytes.data());
    EXPECT_EQ(raw.PCMInfo(), 24 | kLE);
    EXPECT_EQ(raw.BytesPerSample(), 3u);
    EXPECT_EQ(raw.ChannelCount(), 2u);
    EXPECT_EQ(raw.FrameCount(), 10u);
    EXPECT_EQ(raw.SampleCount(), 20u);
    EXPECT_EQ(raw.SampleRate(), 48000.0);
    EXPECT_EQ(raw.ByteCount(), 60u);
    EXPECT_EQ(raw.FramePtrConst(0), bytes.data());
    EXPECT_EQ(raw.FramePtrConst(9), bytes.data() + 54);
    EXPECT_EQ(raw.FramePtrConst(10), nullptr);

    raw.DetachPCMData();
    EXPECT_FALSE(raw.IsAttached());
    EXPECT_EQ(raw.ChannelCount(), 0u);
    EXPECT_EQ(raw.FrameCount(), 0u);
    EXPECT_EQ(raw.ByteCount(), 0u);
    EXPECT_EQ(raw.SampleRate(), 0.0);
    EXPECT_EQ(raw.FramePtrConst(0), nullptr);
}

TEST(QVSampleRawPCMData, RefusedAttachDetachesAndKeepsOnlyTheRate)
{
    unsigned char const bytes[16] = {};
    struct Case {
        char const* name;
        unsigned char const* data;
        QVAudioPCMInfo info;
        unsigned int channels;
        unsigned long long frames;
    };
    Case const cases[] = {
        {"no data", nullptr, 16 | kLE, 2, 4},
        {"no channel", bytes, 16 | kLE, 0, 4},
        {"unsigned 16 bits", bytes, 16 | kU, 2, 4},
        {"no layout", bytes, 0, 2, 4},
        {"byte count beyond 64 bits", bytes, 32 | kF, 2, 0x4000000000000000ull},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        QVSampleRawPCMData raw;
        ASSERT_TRUE(raw.AttachPCMData(bytes, 16 | kLE, 1, 8, 44100.0));
        EXPECT_FALSE(raw.AttachPCMData(c.data, c.info, c.channels, c.frames, 96000.0));
        EXPECT_FALSE(raw.IsAttached());
        EXPECT_EQ(raw.Data(), nullptr);
        EXPECT_EQ(raw.PCMInfo(), 0);
        EXPECT_EQ(raw.ChannelCount(), 0u);
        EXPECT_EQ(raw.FrameCount(), 0u);
        EXPECT_EQ(raw.SampleCount(), 0u);
        EXPECT_EQ(raw.ByteCount(), 0u);
        EXPECT_EQ(raw.SampleRate(), 96000.0);
        EXPECT_EQ(raw.FramePtrConst(0), nullptr);
    }
}

TEST(QVSampleRawPCMData, RangesAreCheckedAgainstItsChannelsAndFrames)
{
    unsigned char const bytes[2 * 2 * 100] = {};
    QVSampleRawPCMData raw;
    ASSERT_TRUE(raw.AttachPCMData(bytes, 16 | kLE, 2, 100, 44100.0));
    QVSampleRange all = kQVSampleRangeAll;
    EXPECT_TRUE(QVSampleRangeCheck("Test", "Src", &all, raw));
    EXPECT_EQ(all.frameCount, 100u);
    QVSampleRange channel2 = QVSampleRangeMake(2, 0, 10);
    EXPECT_FALSE(QVSampleRangeCheck("Test", "Src", &channel2, raw));
    QVSampleRange tooLong = QVSampleRangeMake(1, 10, 91);
    EXPECT_FALSE(QVSampleRangeCheck("Test", "Src", &tooLong, raw));
    QVSampleRange fits = QVSampleRangeMake(1, 10, 90);
    EXPECT_TRUE(QVSampleRangeCheck("Test", "Src", &fits, raw));
}
