#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileTypedIO.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVAudioChannelsBitmap.h"
#include "QVAudioFormat.h"
#include "QVAudioInfo.h"
#include "QVAudioPCMInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

QVAudioFormat Format(char const* text) { return QVAudioFormatFromAKString(AKString(text)); }

// The bytes of a memory stream after `write` ran on it.
template <class TWrite>
Bytes StreamBytes(TWrite write, unsigned int endianness = kAKFileEndianLittle)
{
    AKFile file(kAKFileModeMemoryStream);
    file.SetEndianness(endianness);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(write(file), 0);
    void const* data = nullptr;
    unsigned long long size = 0;
    EXPECT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
    Bytes bytes(static_cast<unsigned char const*>(data), static_cast<unsigned char const*>(data) + size);
    file.Close();
    return bytes;
}

// Reads an audio info from the given bytes.
int ReadInfo(Bytes const& bytes, QVAudioInfo* info)
{
    AKFile file(bytes.data(), static_cast<unsigned int>(bytes.size()));
    EXPECT_EQ(file.OpenForRead(), 0);
    int const status = info->ReadFromFile(file);
    file.Close();
    return status;
}

Bytes RawInfoBytes(unsigned int channels, unsigned long long frames, double rate)
{
    Bytes bytes(20);
    std::memcpy(&bytes[0], &channels, 4);
    std::memcpy(&bytes[4], &frames, 8);
    std::memcpy(&bytes[12], &rate, 8);
    return bytes;
}

void ExpectCleared(QVAudioInfo const& info)
{
    EXPECT_EQ(info.isValid, 0);
    EXPECT_EQ(info.channelCount, 0u);
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_EQ(info.sampleCount, 0u);
    EXPECT_EQ(info.sampleRate, 0.0);
    EXPECT_EQ(info.duration, 0.0);
}

void ExpectFilePartCleared(QVAudioFileInfo const& info)
{
    EXPECT_TRUE(info.format.IsNull());
    EXPECT_EQ(info.bitsPerSample, 0u);
    EXPECT_EQ(info.bitRate, 0.0);
    EXPECT_EQ(info.pcmInfo, 0);
    EXPECT_EQ(info.rawDataOffset, -1);
}

}  // namespace

// --- Audio formats ---

TEST(QVAudioFormat, PacksAtMostSevenBytesAndComparesAsOneNumber)
{
    QVAudioFormat const longer = Format("abcdefghij");
    EXPECT_STREQ(QVAudioFormatToAKString(longer).c_str(), "abcdefg");
    EXPECT_EQ(longer.text[7], '\0');

    EXPECT_EQ(Format(""), kQVNullAudioFormat);
    EXPECT_TRUE(Format("").IsNull());
    EXPECT_FALSE(Format("wav").IsNull());

    QVAudioFormat const wav = Format("wav");
    for (int i = 3; i < 8; ++i)
        EXPECT_EQ(wav.text[i], '\0') << i;
    EXPECT_EQ(wav, Format("wav"));
    EXPECT_NE(wav, Format("WAV"));  // case is kept
    EXPECT_NE(wav, Format("wave"));
}

TEST(QVAudioFormat, InnerNulEndsTheText)
{
    // Bytes after an inner NUL must not survive, or "wav" would differ from "wav".
    AKString const withNul(std::string("wav\0xy", 6));
    EXPECT_EQ(QVAudioFormatFromAKString(withNul), Format("wav"));
}

TEST(QVAudioFormat, NameIsUpperCaseAndExtensionLowerCase)
{
    EXPECT_STREQ(QVAudioFormatGetName(Format("wav")).c_str(), "WAV");
    EXPECT_STREQ(QVAudioFormatGetName(Format("AiFf")).c_str(), "AIFF");
    EXPECT_STREQ(QVAudioFormatGetFileExtension(Format("FLAC")).c_str(), "flac");
    EXPECT_STREQ(QVAudioFormatGetFileExtension(Format("mp3")).c_str(), "mp3");
    EXPECT_STREQ(QVAudioFormatGetName(kQVNullAudioFormat).c_str(), "");
}

TEST(QVAudioFormat, ValueFormIsTheTextAsAString)
{
    AKValue value;
    EXPECT_EQ(AKValueSetasQVAudioFormat(&value, Format("aiff")), &value);
    ASSERT_TRUE(value.IsAKString());
    EXPECT_STREQ(AKValueGetasAKString(value).c_str(), "aiff");
    EXPECT_EQ(AKValueGetasQVAudioFormat(value), Format("aiff"));
    EXPECT_EQ(AKValueGetasQVAudioFormat(AKValueSetasQVAudioFormat(Format("mp3"))), Format("mp3"));
    EXPECT_EQ(AKValueSetasQVAudioFormat(nullptr, Format("wav")), nullptr);

    // A value holding no string fails and leaves the output alone.
    QVAudioFormat format = Format("wav");
    EXPECT_FALSE(AKValueGetasQVAudioFormat(AKValueSetasSInt(3), &format));
    EXPECT_FALSE(AKValueGetasQVAudioFormat(AKValue(), &format));
    EXPECT_EQ(format, Format("wav"));
    EXPECT_EQ(AKValueGetasQVAudioFormat(AKValueSetasSInt(3)), kQVNullAudioFormat);

    // The stored string is packed like any text.
    EXPECT_TRUE(AKValueGetasQVAudioFormat(AKValueSetasAKString(AKString("verylongname")), &format));
    EXPECT_EQ(format, Format("verylon"));
}

// --- PCM infos ---

TEST(QVAudioPCMInfo, TextForms)
{
    struct Case {
        QVAudioPCMInfo info;
        char const* shortForm;
        char const* fullForm;
    };
    Case const cases[] = {
        {0x818, "24SL", "24SL"},  // 24-bit signed little-endian
        {0x410, "16SB", "16SB"}, {8 | 0x200, "08U", "08U_"}, {0xA08, "08UL", "08UL"},
        {0x120, "32F", "32F_"},  {0x540, "64FB", "64FB"},    {16, "16", "16S_"},
        {0, "00", "00S_"},       {0xC10, "16SB", "16SB"},  // big-endian wins the letter
    };
    for (Case const& c : cases) {
        EXPECT_STREQ(QVAudioPCMInfoToAKString(c.info, false).c_str(), c.shortForm) << std::hex << c.info;
        EXPECT_STREQ(QVAudioPCMInfoToAKString(c.info, true).c_str(), c.fullForm) << std::hex << c.info;
    }
}

TEST(QVAudioPCMInfo, ReadsTheNumberThenTheLettersAtFixedPlaces)
{
    struct Case {
        char const* text;
        QVAudioPCMInfo info;
    };
    Case const cases[] = {
        {"24SL", 0x818}, {"16SX", 0},
        {"16", 16},      {"", 0},
        {"08U", 0x208},  {"08U_", 0x208},
        {"32F", 0x120},  {"32F_", 0x120},
        {"64FB", 0x540}, {"24S", 24},
        {"16Q", 0},      {"abc", 0},
        {"SL", 0},       {"8U", 8},  // one digit: the letter is not at place 2
        {"8UL", 0},      {"16SL trailing", 0x810},
        {"2072", 0},  // places 2 and 3 must be letters
    };
    for (Case const& c : cases)
        EXPECT_EQ(QVAudioPCMInfoFromAKString(AKString(c.text)), c.info) << c.text;
}

TEST(QVAudioPCMInfo, EveryValidLayoutReadsBackFromBothForms)
{
    int validCount = 0;
    for (QVAudioPCMInfo info = 1; info <= 0xFFF; ++info) {
        if (!QVAudioPCMInfoIsValid(info))
            continue;
        ++validCount;
        EXPECT_EQ(QVAudioPCMInfoFromAKString(QVAudioPCMInfoToAKString(info, false)), info) << std::hex << info;
        EXPECT_EQ(QVAudioPCMInfoFromAKString(QVAudioPCMInfoToAKString(info, true)), info) << std::hex << info;
    }
    // 4 signed + 1 unsigned + 2 float widths, each with 3 byte orders.
    EXPECT_EQ(validCount, 21);
}

TEST(QVAudioPCMInfo, Validity)
{
    struct Case {
        QVAudioPCMInfo info;
        bool valid;
    };
    Case const cases[] = {
        {0x120, true},  {0x140, true}, {0x118, false}, {0x110, false},  // float: 32 or 64 bits
        {0x210, false}, {0x208, true}, {0x308, false}, {0x320, false},  // unsigned: 8 bits, never float
        {8, true},      {16, true},    {24, true},     {32, true},      // signed
        {40, false},    {64, false},   {0x810, true},  {0x410, true},
        {0xC10, false}, {0, false},    {-1, false},    {static_cast<int>(0x80000818u), false},
        {0x1818, true},  // bits above 0xFFF are not looked at
    };
    for (Case const& c : cases)
        EXPECT_EQ(QVAudioPCMInfoIsValid(c.info), c.valid) << std::hex << c.info;
}

TEST(QVAudioPCMInfo, ValueFormIsTheShortText)
{
    AKValue value;
    EXPECT_EQ(AKValueSetasQVAudioPCMInfo(&value, 0x818), &value);
    EXPECT_STREQ(AKValueGetasAKString(value).c_str(), "24SL");
    EXPECT_STREQ(AKValueGetasAKString(AKValueSetasQVAudioPCMInfo(16)).c_str(), "16");
    EXPECT_EQ(AKValueGetasQVAudioPCMInfo(value), 0x818);

    QVAudioPCMInfo info = 0x120;
    EXPECT_FALSE(AKValueGetasQVAudioPCMInfo(AKValueSetasSInt(16), &info));
    EXPECT_EQ(info, 0x120);
    EXPECT_EQ(AKValueGetasQVAudioPCMInfo(AKValueSetasSInt(16)), 0);
    // A string that is no layout reads as 0, and that is a read.
    EXPECT_TRUE(AKValueGetasQVAudioPCMInfo(AKValueSetasAKString(AKString("16SX")), &info));
    EXPECT_EQ(info, 0);
}

// --- Audio infos ---

TEST(QVAudioInfo, SetupDerivesTheCountsOrClearsEverything)
{
    QVAudioInfo info;
    ASSERT_TRUE(info.Setup(2, 48000, 48000.0));
    EXPECT_EQ(info.isValid, 1);
    EXPECT_EQ(info.sampleCount, 96000u);
    EXPECT_EQ(info.duration, 1.0);

    // Counts beyond 32 bits are multiplied in 64 bits.
    ASSERT_TRUE(info.Setup(8, 3000000000ull, 96000.0));
    EXPECT_EQ(info.sampleCount, 24000000000ull);

    // The largest counts whose product still fits.
    unsigned long long const maxFrames = ~0ull / 3;
    ASSERT_TRUE(info.Setup(3, maxFrames, 48000.0));
    EXPECT_EQ(info.sampleCount, 3 * maxFrames);
    ASSERT_TRUE(info.Setup(1, 1, std::numeric_limits<double>::min()));

    double const inf = std::numeric_limits<double>::infinity();
    struct Case {
        char const* what;
        unsigned int channels;
        unsigned long long frames;
        double rate;
    } const refused[] = {
        {"no channel", 0, 48000, 48000.0},
        {"rate 0", 2, 10, 0.0},
        {"negative rate", 2, 10, -44100.0},
        {"NaN rate", 2, 10, std::numeric_limits<double>::quiet_NaN()},
        {"infinite rate", 2, 10, inf},
        {"negative infinite rate", 2, 10, -inf},
        {"subnormal rate", 2, 10, std::numeric_limits<double>::denorm_min()},
        {"largest subnormal rate", 2, 10, std::numeric_limits<double>::min() / 2},
        {"sample count beyond 64 bits", 3, maxFrames + 1, 48000.0},
        {"every count at its largest", 0xFFFFFFFFu, ~0ull, 48000.0},
        {"infinite duration", 1, ~0ull, std::numeric_limits<double>::min()},
    };
    for (Case const& test : refused) {
        SCOPED_TRACE(test.what);
        info.Setup(2, 10, 44100.0);
        EXPECT_FALSE(info.Setup(test.channels, test.frames, test.rate));
        ExpectCleared(info);
    }
    ExpectCleared(kQVNullAudioInfo);
}

TEST(QVAudioInfo, BinaryFormIsTwentyBytesInTheFilesOrder)
{
    QVAudioInfo info;
    info.Setup(2, 48000, 48000.0);

    Bytes const little = StreamBytes([&](AKFile& f) { return info.WriteToFile(f); });
    Bytes const expectedLittle = {0x02, 0, 0, 0, 0x80, 0xBB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x70, 0xE7, 0x40};
    EXPECT_EQ(little, expectedLittle);

    Bytes const big = StreamBytes([&](AKFile& f) { return info.WriteToFile(f); }, kAKFileEndianBig);
    Bytes const expectedBig = {0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0xBB, 0x80, 0x40, 0xE7, 0x70, 0, 0, 0, 0, 0};
    EXPECT_EQ(big, expectedBig);

    QVAudioInfo back;
    ASSERT_EQ(ReadInfo(little, &back), 0);
    EXPECT_EQ(back.isValid, 1);
    EXPECT_EQ(back.channelCount, 2u);
    EXPECT_EQ(back.frameCount, 48000u);
    EXPECT_EQ(back.sampleCount, 96000u);
    EXPECT_EQ(back.sampleRate, 48000.0);
    EXPECT_EQ(back.duration, 1.0);
}

TEST(QVAudioInfo, ReadingNumbersOfNoStreamSucceedsCleared)
{
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const inf = std::numeric_limits<double>::infinity();
    Bytes const forms[] = {RawInfoBytes(2, 100, 0.0),
                           RawInfoBytes(0, 100, 44100.0),
                           RawInfoBytes(2, 100, -1.0),
                           RawInfoBytes(2, 100, nan),
                           RawInfoBytes(2, 100, inf),
                           RawInfoBytes(2, 100, std::numeric_limits<double>::denorm_min()),
                           RawInfoBytes(0xFFFFFFFFu, ~0ull, 1e-300)};
    for (Bytes const& bytes : forms) {
        QVAudioInfo info;
        info.Setup(1, 5, 8000.0);
        EXPECT_EQ(ReadInfo(bytes, &info), 0);
        ExpectCleared(info);
    }

    // The dictionary form is read through the same checks.
    AKDictionary dictionary;
    dictionary.SetValue(kQVAudioInfoKeyChannelCount, AKValueSetasUInt(2u));
    dictionary.SetValue(kQVAudioInfoKeyFrameCount, AKValueSetasUInt(100ull));
    dictionary.SetValue(kQVAudioInfoKeySampleRate, AKValueSetasFloat64(inf));
    QVAudioInfo info;
    info.Setup(1, 5, 8000.0);
    EXPECT_TRUE(info.ReadFromValue(AKValueSetasAKDictionary(dictionary), false));
    ExpectCleared(info);
}

TEST(QVAudioInfo, TruncatedBinaryFormFailsCleared)
{
    Bytes const whole = RawInfoBytes(2, 100, 44100.0);
    for (size_t size : {0u, 3u, 4u, 11u, 12u, 19u}) {
        Bytes const cut(whole.begin(), whole.begin() + size);
        QVAudioInfo info;
        info.Setup(1, 5, 8000.0);
        LogCapture log;
        int status = 0;
        if (size == 0) {
            AKFile file(kAKFileModeMemoryStream);
            ASSERT_EQ(file.CreateForReadWrite(), 0);
            status = info.ReadFromFile(file);
        } else {
            status = ReadInfo(cut, &info);
        }
        EXPECT_NE(status, 0) << size;
        EXPECT_FALSE(log.Lines().empty()) << size;  // the failing read says why
        ExpectCleared(info);
    }
}

TEST(QVAudioInfo, LargestCountsThatHoldReadBack)
{
    // Nothing is sized from the numbers: the largest counts whose product
    // fits just describe a (very long) stream.
    QVAudioInfo info;
    EXPECT_EQ(ReadInfo(RawInfoBytes(0xFFFFFFFFu, 0x100000001ull, 1e-9), &info), 0);
    EXPECT_EQ(info.isValid, 1);
    EXPECT_EQ(info.channelCount, 0xFFFFFFFFu);
    EXPECT_EQ(info.sampleCount, ~0ull);
    EXPECT_TRUE(std::isfinite(info.duration));
}

TEST(QVAudioInfo, ValueFormIsADictionaryOfThreeKeys)
{
    QVAudioInfo info;
    info.Setup(6, 5000000000ull, 96000.0);
    AKValue value;
    info.WriteToValue(&value);
    ASSERT_TRUE(value.IsAKDictionary());
    AKDictionary const& dictionary = AKValueGetasAKDictionary(value);
    EXPECT_EQ(dictionary.Count(), 3u);
    EXPECT_TRUE(dictionary.GetValue(AKString("ChannelCount")).IsInteger());
    EXPECT_TRUE(dictionary.GetValue(AKString("FrameCount")).IsInteger());
    EXPECT_TRUE(dictionary.GetValue(AKString("SampleRate")).IsFloat());
    EXPECT_EQ(AKValueGetasUInt(dictionary.GetValue(AKString("ChannelCount")), false), 6u);
    EXPECT_EQ(AKValueGetasFloat64(dictionary.GetValue(AKString("SampleRate")), false), 96000.0);

    QVAudioInfo back;
    EXPECT_TRUE(back.ReadFromValue(value, false));
    EXPECT_EQ(back.channelCount, 6u);
    EXPECT_EQ(back.frameCount, 5000000000ull);
    EXPECT_EQ(back.sampleRate, 96000.0);
    EXPECT_EQ(back.isValid, 1);

    info.WriteToValue(nullptr);  // nothing to write into
}

TEST(QVAudioInfo, ReadingAValueKeepsTheInfoWhenNothingReads)
{
    QVAudioInfo info;
    info.Setup(2, 10, 44100.0);

    AKValue const notDictionaries[] = {AKValue(), AKValueSetasSInt(2), AKValueSetasAKDictionary(AKDictionary())};
    for (AKValue const& value : notDictionaries) {
        EXPECT_TRUE(info.ReadFromValue(value, true));
        EXPECT_EQ(info.channelCount, 2u);
        EXPECT_EQ(info.frameCount, 10u);
    }

    // Keys of the wrong kinds read only with conversion.
    AKDictionary texts;
    texts.SetValue(AKString("ChannelCount"), AKValueSetasAKString(AKString("4")));
    texts.SetValue(AKString("SampleRate"), AKValueSetasAKString(AKString("8000")));
    AKValue const textValue = AKValueSetasAKDictionary(texts);
    EXPECT_TRUE(info.ReadFromValue(textValue, false));
    EXPECT_EQ(info.channelCount, 2u);
    EXPECT_TRUE(info.ReadFromValue(textValue, true));
    EXPECT_EQ(info.channelCount, 4u);
    EXPECT_EQ(info.frameCount, 0u);  // missing: 0
    EXPECT_EQ(info.sampleRate, 8000.0);
    EXPECT_EQ(info.isValid, 1);

    // Some key read, but no channel count: Setup clears the info.
    AKDictionary framesOnly;
    framesOnly.SetValue(AKString("FrameCount"), AKValueSetasUInt(100));
    EXPECT_TRUE(info.ReadFromValue(AKValueSetasAKDictionary(framesOnly), false));
    ExpectCleared(info);
}

// --- Audio file infos ---

TEST(QVAudioFileInfo, NullInfoHasNoRawOffset)
{
    ExpectCleared(kQVNullAudioFileInfo);
    ExpectFilePartCleared(kQVNullAudioFileInfo);
    QVAudioFileInfo fresh;
    ExpectFilePartCleared(fresh);
}

TEST(QVAudioFileInfo, SetupForRead)
{
    QVAudioFileInfo info;
    ASSERT_TRUE(info.SetupForRead(Format("mp3"), 2, 441000, 44100.0, 0, 320.0));
    EXPECT_EQ(info.format, Format("mp3"));
    EXPECT_EQ(info.bitRate, 320.0);
    EXPECT_EQ(info.pcmInfo, 0);
    EXPECT_EQ(info.rawDataOffset, -1);
    EXPECT_EQ(info.duration, 10.0);

    // A refused file part leaves the audio part set and the file part cleared.
    EXPECT_FALSE(info.SetupForRead(kQVNullAudioFormat, 2, 441000, 44100.0, 16, 0.0));
    EXPECT_EQ(info.isValid, 1);
    ExpectFilePartCleared(info);
    EXPECT_FALSE(info.SetupForRead(Format("wav"), 2, 441000, 44100.0, 16, -1.0));
    EXPECT_FALSE(info.SetupForRead(Format("wav"), 2, 441000, 44100.0, 16, std::nan("")));
    EXPECT_FALSE(info.SetupForRead(Format("wav"), 2, 441000, 44100.0, 16, std::numeric_limits<double>::infinity()));
    ExpectFilePartCleared(info);
    EXPECT_FALSE(info.SetupForRead(Format("wav"), 0, 441000, 44100.0, 16, 0.0));
    ExpectCleared(info);
}

TEST(QVAudioFileInfo, SetupForMemMap)
{
    QVAudioFileInfo info;
    ASSERT_TRUE(info.SetupForMemMap(Format("wav"), 2, 1000, 48000.0, 0x818, 44, 0.0));
    EXPECT_EQ(info.bitsPerSample, 24u);
    EXPECT_EQ(info.pcmInfo, 0x818);
    EXPECT_EQ(info.rawDataOffset, 44);

    EXPECT_FALSE(info.SetupForMemMap(Format("wav"), 2, 1000, 48000.0, 0x818, -1, 0.0));
    ExpectFilePartCleared(info);
    EXPECT_FALSE(info.SetupForMemMap(Format("wav"), 2, 1000, 48000.0, 0x308, 44, 0.0));
    EXPECT_FALSE(info.SetupForMemMap(Format("wav"), 2, 1000, 48000.0, 0x818, 44, -2.0));
    EXPECT_FALSE(
        info.SetupForMemMap(Format("wav"), 2, 1000, 48000.0, 0x818, 44, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(info.SetupForMemMap(kQVNullAudioFormat, 2, 1000, 48000.0, 0x818, 44, 0.0));
    EXPECT_EQ(info.channelCount, 2u);
    ExpectFilePartCleared(info);
}

TEST(QVAudioFileInfo, SetupForWrite)
{
    QVAudioFileInfo info;
    // Neither a bit rate nor a layout: refused, but the shape is kept.
    EXPECT_FALSE(info.SetupForWrite(Format("wav"), 2, 44100.0, 0, 0.0));
    EXPECT_EQ(info.channelCount, 2u);
    EXPECT_EQ(info.sampleRate, 44100.0);
    ExpectFilePartCleared(info);

    ASSERT_TRUE(info.SetupForWrite(Format("aiff"), 2, 44100.0, 0x418, 0.0));
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_EQ(info.duration, 0.0);
    EXPECT_EQ(info.bitsPerSample, 24u);
    EXPECT_EQ(info.pcmInfo, 0x418);
    EXPECT_EQ(info.rawDataOffset, -1);

    // An encoder with a bit rate needs no layout; the layout is kept as given.
    ASSERT_TRUE(info.SetupForWrite(Format("mp3"), 2, 44100.0, 0, 192.0));
    EXPECT_EQ(info.bitRate, 192.0);
    EXPECT_EQ(info.bitsPerSample, 0u);
    EXPECT_FALSE(info.SetupForWrite(Format("wav"), 2, 44100.0, 0x308, 0.0));
    EXPECT_FALSE(info.SetupForWrite(kQVNullAudioFormat, 2, 44100.0, 16, 0.0));
    // A bit rate that is no number is refused even with a valid layout.
    EXPECT_FALSE(info.SetupForWrite(Format("mp3"), 2, 44100.0, 0, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(info.SetupForWrite(Format("wav"), 2, 44100.0, 16, std::nan("")));
    ExpectFilePartCleared(info);
}

TEST(QVAudioFileInfo, ClearAndFrameCount)
{
    QVAudioFileInfo info;
    info.SetupForMemMap(Format("wav"), 2, 1000, 1000.0, 16, 44, 0.0);
    info.Clear(true);
    EXPECT_EQ(info.channelCount, 2u);
    ExpectFilePartCleared(info);
    info.Clear();
    ExpectCleared(info);

    info.SetupForWrite(Format("wav"), 2, 1000.0, 16, 0.0);
    info.SetFrameCount(2500);
    EXPECT_EQ(info.frameCount, 2500u);
    EXPECT_EQ(info.sampleCount, 5000u);
    EXPECT_EQ(info.duration, 2.5);

    // A frame count whose sample count or duration would not hold is ignored.
    info.SetupForWrite(Format("wav"), 3, 1000.0, 16, 0.0);
    info.SetFrameCount(~0ull / 3 + 1);
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_EQ(info.sampleCount, 0u);
    info.SetupForWrite(Format("wav"), 1, std::numeric_limits<double>::min(), 16, 0.0);
    info.SetFrameCount(~0ull);
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_EQ(info.duration, 0.0);

    QVAudioFileInfo invalid;
    invalid.SetFrameCount(100);
    EXPECT_EQ(invalid.frameCount, 0u);
    EXPECT_EQ(invalid.duration, 0.0);
}

TEST(QVAudioFileInfo, ShortInfoString)
{
    QVAudioFileInfo info;
    EXPECT_STREQ(info.GetShortInfoString().c_str(), "");

    info.SetupForMemMap(Format("wav"), 2, 3307500, 44100.0, 0x818, 44, 1411.2);
    EXPECT_STREQ(info.GetShortInfoString().c_str(), "WAV 24Bit Stereo at 44.1kHz / 1m15s");

    info.SetupForRead(Format("mp3"), 1, 220500, 44100.0, 0, 128.0);
    EXPECT_STREQ(info.GetShortInfoString().c_str(), "MP3 Mono at 44.1kHz / 128kBps / 5.00s");

    info.SetupForRead(Format("flac"), 6, 48000, 48000.0, 16, 0.0);
    EXPECT_STREQ(info.GetShortInfoString().c_str(), "FLAC 16Bit 6Ch at 48.0kHz / 1.00s");
}

TEST(QVAudioFileInfo, FullInfoString)
{
    QVAudioFileInfo info;
    info.SetupForMemMap(Format("aiff"), 2, 96000, 48000.0, 0x410, 54, 0.0);
    std::string const expected = "Format:             [aiff]\n"
                                 "IsValid:            1\n"
                                 "ChannelCount:       2\n"
                                 "FrameCount:         96000\n"
                                 "SampleCount:        192000\n"
                                 "SampleRate:         48000.000000\n"
                                 "Duration:           2.000000\n"
                                 "BitDepth:           16\n"
                                 "BitRate:            0.000000\n"
                                 "PCMInfo:            1040 [16SB]\n"
                                 "DataFilePos:        54\n";
    EXPECT_EQ(info.GetFullInfoString().StdString(), expected);

    std::string const cleared = "Format:             []\n"
                                "IsValid:            0\n"
                                "ChannelCount:       0\n"
                                "FrameCount:         0\n"
                                "SampleCount:        0\n"
                                "SampleRate:         0.000000\n"
                                "Duration:           0.000000\n"
                                "BitDepth:           0\n"
                                "BitRate:            0.000000\n"
                                "PCMInfo:            0 [00]\n"
                                "DataFilePos:        -1\n";
    EXPECT_EQ(kQVNullAudioFileInfo.GetFullInfoString().StdString(), cleared);
}

// --- Channel bitmaps ---

TEST(QVAudioChannelsBitmap, CountAndText)
{
    struct Case {
        unsigned long long bitmap;
        int count;
        char const* text;
    };
    Case const cases[] = {
        {0, 0, "[none]"},    {0x1, 1, "[1]"},       {0x3, 2, "[1 2]"},
        {0x5, 2, "[1 . 3]"}, {0x8, 1, "[. . . 4]"}, {0x401, 2, "[1 . . . . . . . . . 11]"},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(QVAudioChannelsBitmapGetChannelCount(c.bitmap), c.count) << c.bitmap;
        EXPECT_STREQ(QVAudioChannelsBitmapGetStringInfo(c.bitmap).c_str(), c.text) << c.bitmap;
    }

    EXPECT_EQ(QVAudioChannelsBitmapGetChannelCount(~0ull), 64);
    std::string const top = QVAudioChannelsBitmapGetStringInfo(1ull << 63).StdString();
    EXPECT_EQ(top.size(), 1u + 63u * 2u + 2u + 1u);  // "[", 63 dots with blanks, "64]"
    EXPECT_EQ(top.substr(top.size() - 5), ". 64]");
}
