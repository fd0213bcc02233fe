// The libsndfile reader: the description of every kind of file (raw layout
// and first-sample offset proven by converting the file's own bytes), the
// samples it delivers, skipping, buffer reads and its refusals.

#include "LogCapture.h"
#include "QVSig.h"
#include "QVSoundFileReader.h"
#include "QVSoundFileReaderLibSnd.h"
#include "QVSoundFileReaderSysMacOS.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

std::unique_ptr<QVSoundFileReader> OpenLibSnd(std::string const& path)
{
    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReaderLibSnd::New(AKFilePath(path)));
    EXPECT_EQ(reader->Open(), 0) << path;
    return reader;
}

// Every frame through the reader, in blocks of `block` frames.
std::vector<float> ReadAll(QVSoundFileReader const& reader, unsigned long long block)
{
    unsigned int const channels = reader.GetFileInfo().channelCount;
    std::vector<float> all;
    std::vector<float> buffer(block * channels);
    for (;;) {
        unsigned long long count = block;
        if (reader.ReadNextFrames(buffer.data(), &count) != 0 || count == 0)
            break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<long>(count * channels));
    }
    return all;
}

std::string ErrorLine(int status, char const* name, std::string const& message)
{
    return "# Quorvex Error " + std::to_string(status) + " (" + name + "): " + message + ".\n";
}

struct RawCase {
    char const* label;
    int format;
    unsigned int channels;
    QVAudioPCMInfo pcmInfo;
    char const* word;
};

class RawCandidateTest : public ::testing::TestWithParam<RawCase>
{};

// The file's bytes from the reported offset, converted by the raw kernel,
// equal libsndfile's frames one by one: layout and offset are both right.
TEST_P(RawCandidateTest, LayoutAndOffsetMatchTheFileBytes)
{
    RawCase const& c = GetParam();
    TempFolder folder;
    std::string const path = folder.File(std::string(c.label) + ".snd");
    SoundRecipe recipe;
    recipe.format = c.format;
    recipe.channels = c.channels;
    recipe.frames = 776;
    ASSERT_TRUE(WriteSoundFile(path, recipe));

    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QVAudioFileInfo const& info = reader->GetFileInfo();
    EXPECT_EQ(info.pcmInfo, c.pcmInfo);
    EXPECT_STREQ(info.format.text, c.word);
    EXPECT_EQ(info.channelCount, c.channels);
    EXPECT_EQ(info.frameCount, 776u);
    EXPECT_EQ(info.sampleRate, 44100.0);
    EXPECT_EQ(info.bitsPerSample, QVAudioPCMInfoGetBitsPerSample(c.pcmInfo));
    ASSERT_GT(info.rawDataOffset, 0);
    EXPECT_TRUE(reader->IsSkipNextFramesSafe());

    std::vector<float> const expected = ReadSoundFile(path);
    ASSERT_EQ(expected.size(), 776u * c.channels);
    std::vector<unsigned char> const bytes = ReadBytes(path);
    unsigned long long const rawBytes = expected.size() * QVAudioPCMInfoGetBytesPerSample(info.pcmInfo);
    ASSERT_LE(info.rawDataOffset + rawBytes, bytes.size());
    std::vector<float> converted(expected.size());
    ASSERT_TRUE(QVSig::CopyCastInterleavePCMData(converted.data(), bytes.data() + info.rawDataOffset, info.pcmInfo, 0,
                                                 1, static_cast<unsigned int>(expected.size())));
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(converted[i], expected[i]) << "sample " << i;

    // The pattern is exact in every layout: the decoded path gives it back too.
    EXPECT_EQ(ReadAll(*reader, 100), SignalFrames(Signal::Pattern, c.channels, 776, ExactBits(c.format)));
}

constexpr QVAudioPCMInfo kLE = kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kBE = kQVAudioPCMInfoBigEndian;
constexpr QVAudioPCMInfo kFloat = kQVAudioPCMInfoFloat;
constexpr QVAudioPCMInfo kUnsigned = kQVAudioPCMInfoUnsigned;

RawCase const kRawCases[] = {
    {"wav_u8_1", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8 | kUnsigned | kLE, "wav"},
    {"wav_u8_3", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 3, 8 | kUnsigned | kLE, "wav"},
    {"wav_s16_1", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 16 | kLE, "wav"},
    {"wav_s16_2", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 16 | kLE, "wav"},
    {"wav_s16_6", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 16 | kLE, "wav"},
    {"wav_s24_2", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 24 | kLE, "wav"},
    {"wav_s24_3", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 3, 24 | kLE, "wav"},
    {"wav_s32_8", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 8, 32 | kLE, "wav"},
    {"wav_f32_2", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 32 | kFloat | kLE, "wav"},
    {"wav_f32_6", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6, 32 | kFloat | kLE, "wav"},
    {"wav_f64_1", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 64 | kFloat | kLE, "wav"},
    {"wav_f64_8", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 8, 64 | kFloat | kLE, "wav"},
    {"rifx_s16_2", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG, 2, 16 | kBE, "wav"},
    {"rifx_s24_1", SF_FORMAT_WAV | SF_FORMAT_PCM_24 | SF_ENDIAN_BIG, 1, 24 | kBE, "wav"},
    {"rifx_f32_2", SF_FORMAT_WAV | SF_FORMAT_FLOAT | SF_ENDIAN_BIG, 2, 32 | kFloat | kBE, "wav"},
    {"aiff_s8_1", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, 8 | kBE, "aiff"},
    {"aiff_s8_6", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 6, 8 | kBE, "aiff"},
    {"aiff_s16_2", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 16 | kBE, "aiff"},
    {"aiff_s24_3", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 3, 24 | kBE, "aiff"},
    {"aiff_s32_2", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2, 32 | kBE, "aiff"},
    {"aifc_le_s16_2", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 2, 16 | kLE, "aiff"},
    {"aifc_le_s24_6", SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, 6, 24 | kLE, "aiff"},
    {"aifc_f32_2", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, 32 | kFloat | kBE, "aiff"},
    {"aifc_f64_1", SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, 1, 64 | kFloat | kBE, "aiff"},
};

INSTANTIATE_TEST_SUITE_P(Formats, RawCandidateTest, ::testing::ValuesIn(kRawCases),
                         [](::testing::TestParamInfo<RawCase> const& info) { return std::string(info.param.label); });

struct DecodedCase {
    char const* label;
    int format;
    unsigned int channels;
    char const* word;
    unsigned int bits;
    bool exact;
};

class DecodedFormatTest : public ::testing::TestWithParam<DecodedCase>
{};

// Files that are not plain WAV or AIFF are decoded: no raw layout, no
// offset, and the samples libsndfile decodes.
TEST_P(DecodedFormatTest, DescribedForDecoding)
{
    DecodedCase const& c = GetParam();
    TempFolder folder;
    std::string const path = folder.File(std::string(c.label) + ".snd");
    SoundRecipe recipe;
    recipe.format = c.format;
    recipe.channels = c.channels;
    recipe.frames = 3000;
    recipe.signal = Signal::Sine;
    ASSERT_TRUE(WriteSoundFile(path, recipe));

    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QVAudioFileInfo const& info = reader->GetFileInfo();
    EXPECT_EQ(info.pcmInfo, 0);
    EXPECT_EQ(info.rawDataOffset, -1);
    EXPECT_STREQ(info.format.text, c.word);
    EXPECT_EQ(info.bitsPerSample, c.bits);
    EXPECT_EQ(info.frameCount, 3000u);
    EXPECT_GE(info.bitRate, 0.0);

    std::vector<float> const decoded = ReadAll(*reader, 512);
    EXPECT_EQ(decoded, ReadSoundFile(path));
    if (c.exact) {
        EXPECT_EQ(decoded, SignalFrames(Signal::Sine, c.channels, 3000, ExactBits(c.format)));
    }
}

DecodedCase const kDecodedCases[] = {
    {"flac16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, "flac", 16, true},
    {"flac24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, "flac", 24, true},
    {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, "ogg", 0, false},
    {"caf_f32", SF_FORMAT_CAF | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE, 2, "caf", 32, true},
    {"caf_s16", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2, "caf", 16, true},
    {"w64_s24", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 2, "w64", 24, true},
    {"au_s16", SF_FORMAT_AU | SF_FORMAT_PCM_16, 2, "au", 16, true},
    {"nist_s16", SF_FORMAT_NIST | SF_FORMAT_PCM_16, 2, "wav", 16, true},
    {"rf64_f32", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 2, "rf64", 32, true},
    {"ircam_s16", SF_FORMAT_IRCAM | SF_FORMAT_PCM_16, 2, "sf", 16, true},
    {"wav_ulaw", SF_FORMAT_WAV | SF_FORMAT_ULAW, 2, "wav", 0, false},
    {"wavex_s16_6", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6, "wav", 16, true},
    {"wavex_s24_2", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, "wav", 24, true},
    {"wavex_f32_8", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 8, "wav", 32, true},
};

INSTANTIATE_TEST_SUITE_P(Formats, DecodedFormatTest, ::testing::ValuesIn(kDecodedCases),
                         [](::testing::TestParamInfo<DecodedCase> const& info) {
                             return std::string(info.param.label);
                         });

class LibSndReaderTest : public ::testing::Test
{
protected:
    std::string MakeFile(std::string const& name, int format, unsigned int channels, unsigned long long frames,
                         Signal signal = Signal::Pattern)
    {
        std::string const path = mFolder.File(name);
        SoundRecipe recipe;
        recipe.format = format;
        recipe.channels = channels;
        recipe.frames = frames;
        recipe.signal = signal;
        EXPECT_TRUE(WriteSoundFile(path, recipe));
        return path;
    }

    TempFolder mFolder;
};

TEST_F(LibSndReaderTest, ShortReadZeroesTheRestThenTheEndIsReachedOnce)
{
    std::string const path = MakeFile("short.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 1600);
    std::vector<float> const expected = SignalFrames(Signal::Pattern, 2, 1600, 16);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);

    std::vector<float> buffer(2000, 7.0f);
    unsigned long long count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 1000u);
    EXPECT_EQ(reader->GetPosition(), 1000u);

    std::fill(buffer.begin(), buffer.end(), 7.0f);
    count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 600u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1200, expected.begin() + 2000));
    EXPECT_TRUE(std::all_of(buffer.begin() + 1200, buffer.end(), [](float x) { return x == 0.0f; }));
    EXPECT_FALSE(reader->IsEndReached());

    count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(reader->IsEndReached());
    EXPECT_EQ(reader->GetPosition(), 1600u);

    // Past the end nothing is read; the buffer is still cleared.
    std::fill(buffer.begin(), buffer.end(), 7.0f);
    count = 10;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + 20, [](float x) { return x == 0.0f; }));
    EXPECT_EQ(buffer[20], 7.0f);

    // Closing and opening again starts over.
    reader->Close();
    EXPECT_FALSE(reader->IsOpened());
    ASSERT_EQ(reader->Open(), 0);
    EXPECT_FALSE(reader->IsEndReached());
    EXPECT_EQ(ReadAll(*reader, 4096), expected);
}

TEST_F(LibSndReaderTest, SkipLandsOnTheAskedFrame)
{
    std::string const path = MakeFile("skip.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 3, 500);
    std::vector<float> const expected = SignalFrames(Signal::Pattern, 3, 500, 24);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);

    unsigned long long count = 10;
    std::vector<float> buffer(30);
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    ASSERT_EQ(reader->SkipNextFrames(123ull), 0);
    unsigned long long skipped = 200;
    ASSERT_EQ(reader->SkipNextFrames(&skipped), 0);
    EXPECT_EQ(skipped, 200u);
    EXPECT_EQ(reader->GetPosition(), 333u);
    count = 10;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), expected.begin() + 333 * 3));

    skipped = 0;
    EXPECT_EQ(reader->SkipNextFrames(&skipped), 0);
    EXPECT_EQ(skipped, 0u);
}

TEST_F(LibSndReaderTest, SkippingPastTheEndFailsAndKeepsThePosition)
{
    std::string const path = MakeFile("past.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 100);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    ASSERT_EQ(reader->SkipNextFrames(40ull), 0);

    LogCapture log;
    unsigned long long skipped = 61;
    EXPECT_EQ(reader->SkipNextFrames(&skipped), kQVErrorSoundFileCantSkip);
    EXPECT_EQ(skipped, 0u);
    EXPECT_EQ(reader->GetPosition(), 40u);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{ErrorLine(kQVErrorSoundFileCantSkip, "kQVErrorSoundFileCantSkip",
                                                              "Can't skip in sound-file \"" + path + "\"")});

    // Exactly to the end is a skip; after the end flag nothing is skipped.
    skipped = 60;
    EXPECT_EQ(reader->SkipNextFrames(&skipped), 0);
    EXPECT_EQ(skipped, 60u);
    std::vector<float> buffer(4);
    unsigned long long count = 4;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_TRUE(reader->IsEndReached());
    skipped = 5;
    EXPECT_EQ(reader->SkipNextFrames(&skipped), 0);
    EXPECT_EQ(skipped, 0u);
}

TEST_F(LibSndReaderTest, BufferReadsFillTheirRange)
{
    std::string const path = MakeFile("buffers.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 300);
    std::vector<float> const expected = SignalFrames(Signal::Pattern, 2, 300, 24);

    // Interleaved, into frames 10 to 209 of a larger block.
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.AllocateClean(2, 400, 44100.0));
    QVSampleRange range = QVSampleRangeMake(-1, 10, 200);
    ASSERT_EQ(reader->ReadNextFrames(&interleaved, &range), 0);
    EXPECT_EQ(range.firstFrame, 10u);
    EXPECT_EQ(range.frameCount, 200u);
    EXPECT_EQ(*interleaved.FramePtr(9), 0.0f);
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 400, interleaved.FramePtr(10)));

    // The rest of the file into the whole block: the range says what came.
    range = kQVSampleRangeAll;
    ASSERT_EQ(reader->ReadNextFrames(&interleaved, &range), 0);
    EXPECT_EQ(range.frameCount, 100u);

    // Planar, with a null range: every channel from frame 0.
    reader = OpenLibSnd(path);
    QXSampleBuffer<float> planar;
    ASSERT_TRUE(planar.AllocateClean(2, 300, 44100.0));
    ASSERT_EQ(reader->ReadNextFrames(&planar, static_cast<QVSampleRange*>(nullptr)), 0);
    for (unsigned long long f = 0; f < 300; ++f) {
        ASSERT_EQ(*planar.SamplePtrConst(0, f), expected[f * 2]) << f;
        ASSERT_EQ(*planar.SamplePtrConst(1, f), expected[f * 2 + 1]) << f;
    }
}

// A range the buffer cannot hold, a single channel or a buffer of another
// channel count is a failed read: an error and no frame, never an empty success.
TEST_F(LibSndReaderTest, RefusedBufferReadsFailWithNoFrame)
{
    std::string const path = MakeFile("refused.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 300);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QXSampleInterleaved<float> stereo;
    ASSERT_TRUE(stereo.AllocateClean(2, 100, 44100.0));
    QXSampleInterleaved<float> mono;
    ASSERT_TRUE(mono.AllocateClean(1, 100, 44100.0));
    QXSampleBuffer<float> planarStereo;
    ASSERT_TRUE(planarStereo.AllocateClean(2, 100, 44100.0));
    QXSampleBuffer<float> planarMono;
    ASSERT_TRUE(planarMono.AllocateClean(1, 100, 44100.0));

    struct Refusal {
        char const* label;
        std::function<int(QVSampleRange*)> read;
        QVSampleRange range;
    };
    Refusal const refusals[] = {
        {"interleaved past the end", [&](QVSampleRange* r) { return reader->ReadNextFrames(&stereo, r); },
         QVSampleRangeMake(-1, 50, 51)},
        {"interleaved one channel", [&](QVSampleRange* r) { return reader->ReadNextFrames(&stereo, r); },
         QVSampleRangeMake(1, 0, 10)},
        {"interleaved mono buffer", [&](QVSampleRange* r) { return reader->ReadNextFrames(&mono, r); },
         QVSampleRangeMake(-1, 0, 10)},
        {"planar past the end", [&](QVSampleRange* r) { return reader->ReadNextFrames(&planarStereo, r); },
         QVSampleRangeMake(-1, 101, 0)},
        {"planar one channel", [&](QVSampleRange* r) { return reader->ReadNextFrames(&planarStereo, r); },
         QVSampleRangeMake(0, 0, 10)},
        {"planar mono buffer", [&](QVSampleRange* r) { return reader->ReadNextFrames(&planarMono, r); },
         QVSampleRangeMake(-1, 0, 10)},
    };
    for (Refusal const& refusal : refusals) {
        LogCapture log;
        QVSampleRange range = refusal.range;
        EXPECT_EQ(refusal.read(&range), kQVErrorSoundFileCantRead) << refusal.label;
        EXPECT_EQ(range.frameCount, 0u) << refusal.label;
        EXPECT_EQ(log.Lines().size(), 1u) << refusal.label;
    }
    EXPECT_EQ(reader->GetPosition(), 0u);
    EXPECT_FALSE(reader->IsEndReached());
}

TEST_F(LibSndReaderTest, ZeroFrameFileOpensAndEndsAtOnce)
{
    std::string const path = MakeFile("empty.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 0);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QVAudioFileInfo const& info = reader->GetFileInfo();
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_EQ(info.pcmInfo, 16 | kLE);
    EXPECT_EQ(info.rawDataOffset, 44);
    std::vector<float> buffer(8, 7.0f);
    unsigned long long count = 4;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(reader->IsEndReached());
    EXPECT_EQ(buffer, std::vector<float>(8, 0.0f));
}

TEST_F(LibSndReaderTest, TruncatedDataDeliversTheFramesThatAreThere)
{
    std::string const path = MakeFile("cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 1000);
    TruncateFile(path, 44 + 400 * 4 + 2);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    std::vector<float> const all = ReadAll(*reader, 256);
    std::vector<float> const expected = SignalFrames(Signal::Pattern, 2, 1000, 16);
    ASSERT_GE(all.size(), 800u);
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + 800, expected.begin()));
    EXPECT_LE(all.size(), 802u);
}

// An AIFF sound chunk whose offset field puts its samples past the end of
// the file: libsndfile finds no frame there, and such a file is never
// described for mapping at an offset the file does not reach.
TEST_F(LibSndReaderTest, SamplesBeyondTheFileAreNotMapped)
{
    std::string const path = MakeFile("far.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 20);
    std::vector<unsigned char> bytes = ReadBytes(path);
    std::string const text(bytes.begin(), bytes.end());
    size_t const chunk = text.find("SSND");
    ASSERT_NE(chunk, std::string::npos);
    bytes[chunk + 8 + 2] = 0x01;  // the chunk's offset field: samples start 256 bytes later
    WriteBytes(path, bytes);
    ASSERT_LT(bytes.size(), 256u);

    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    QVAudioFileInfo const& info = reader->GetFileInfo();
    EXPECT_EQ(info.pcmInfo, 0);
    EXPECT_EQ(info.rawDataOffset, -1);
    EXPECT_STREQ(info.format.text, "aiff");
    EXPECT_EQ(info.bitsPerSample, 16u);
    EXPECT_TRUE(ReadAll(*reader, 64).empty());
}

TEST_F(LibSndReaderTest, OpenRefusalsAndClosedReader)
{
    std::string const good = MakeFile("good.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 10);
    std::string const garbage = mFolder.File("garbage.wav");
    WriteBytes(garbage, std::vector<unsigned char>(300, 0x5A));
    std::string const headerOnly = mFolder.File("header.wav");
    std::vector<unsigned char> const goodBytes = ReadBytes(good);
    WriteBytes(headerOnly, std::vector<unsigned char>(goodBytes.begin(), goodBytes.begin() + 20));
    std::string const empty = mFolder.File("zero-bytes.wav");
    WriteBytes(empty, {});

    struct Case {
        std::string path;
        int status;
        std::string line;
    };
    std::string const cantOpen = "kQVErrorSoundFileCantOpen";
    for (Case const& c : std::vector<Case>{
             {"", kQVErrorSoundFileCantOpen,
              ErrorLine(kQVErrorSoundFileCantOpen, cantOpen.c_str(), "Can't open (for read) sound-file \"\"")},
             {mFolder.File("missing.wav"), kQVErrorSoundFileCantOpen,
              ErrorLine(kQVErrorSoundFileCantOpen, cantOpen.c_str(),
                        "Can't open (for read) sound-file \"" + mFolder.File("missing.wav") + "\"")},
             {garbage, kQVErrorSoundFileCantOpen,
              ErrorLine(kQVErrorSoundFileCantOpen, cantOpen.c_str(),
                        "Can't open (for read) sound-file \"" + garbage + "\"")},
             {headerOnly, kQVErrorSoundFileCantOpen,
              ErrorLine(kQVErrorSoundFileCantOpen, cantOpen.c_str(),
                        "Can't open (for read) sound-file \"" + headerOnly + "\"")},
             {empty, kQVErrorSoundFileCantOpen,
              ErrorLine(kQVErrorSoundFileCantOpen, cantOpen.c_str(),
                        "Can't open (for read) sound-file \"" + empty + "\"")},
         }) {
        std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReaderLibSnd::New(AKFilePath(c.path)));
        LogCapture log;
        EXPECT_EQ(reader->Open(), c.status) << c.path;
        EXPECT_FALSE(reader->IsOpened()) << c.path;
        EXPECT_EQ(log.Lines(), std::vector<std::string>{c.line}) << c.path;
    }

    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReaderLibSnd::New(AKFilePath(good)));
    std::vector<float> buffer(4, 7.0f);
    unsigned long long count = 4;
    unsigned long long skip = 4;
    {
        LogCapture log;
        EXPECT_EQ(reader->ReadNextFrames(buffer.data(), &count), kQVErrorSoundFileNotOpened);
        EXPECT_EQ(reader->SkipNextFrames(&skip), kQVErrorSoundFileNotOpened);
        std::string const line = ErrorLine(kQVErrorSoundFileNotOpened, "kQVErrorSoundFileNotOpened",
                                           "The sound-file \"" + good + "\" is not opened");
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{line, line}));
    }
    ASSERT_EQ(reader->Open(), 0);
    {
        LogCapture log;
        EXPECT_EQ(reader->Open(), kQVErrorSoundFileYetOpened);
        EXPECT_TRUE(reader->IsOpened());
        EXPECT_EQ(log.Lines(),
                  std::vector<std::string>{ErrorLine(kQVErrorSoundFileYetOpened, "kQVErrorSoundFileYetOpened",
                                                     "The sound-file \"" + good + "\" is already opened")});
    }
}

TEST_F(LibSndReaderTest, NonAsciiFileName)
{
    std::string const path = MakeFile("Klänge – été.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 50);
    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReaderLibSnd::New(EnginePath(path)));
    ASSERT_EQ(reader->Open(), 0);
    EXPECT_EQ(reader->GetFileInfo().pcmInfo, 16 | kBE);
    EXPECT_EQ(ReadAll(*reader, 64), SignalFrames(Signal::Pattern, 2, 50, 16));
}

TEST_F(LibSndReaderTest, InfoTexts)
{
    std::string const path = MakeFile("info.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 44100);
    std::unique_ptr<QVSoundFileReader> reader = OpenLibSnd(path);
    EXPECT_EQ(reader->GetName(), AKString("SndFile"));
    EXPECT_EQ(reader->GetRawInfo(), AKString("format:             0x00010003\n"
                                             "samplerate:         44100\n"
                                             "channels:           2\n"
                                             "frames:             44100\n"
                                             "sections:           1\n"
                                             "seekable:           1\n"));
    std::string const all = reader->GetAllInfoString().StdString();
    EXPECT_EQ(all.rfind("SOUND:\nReader:             [SndFile]\nPath:               \"" + path + "\"\n", 0), 0u) << all;
    EXPECT_NE(all.find("Name:               \"info\"\nExts:               \"wav\"\n"), std::string::npos) << all;
    EXPECT_NE(all.find("\nINFO:\nFormat:             [wav]\n"), std::string::npos) << all;
    EXPECT_NE(all.find("\nRAW INFO:\nformat:             0x00010003\n"), std::string::npos) << all;
    // 24 bits × 2 channels × 44100 frames a second.
    EXPECT_DOUBLE_EQ(reader->GetFileInfo().bitRate, 2116.8);
}

TEST(LibSndReaderExtensionsTest, ListsLibSndFileFormatsSortedOnce)
{
    AKStringArray const extensions = QVSoundFileReaderLibSnd::GetRecognizedFileExtensions();
    for (char const* expected : {"aif", "aiff", "wav", "flac", "caf", "w64", "ogg", "oga", "au"})
        EXPECT_TRUE(extensions.Find(AKString(expected), nullptr)) << expected;
    EXPECT_FALSE(extensions.Find(AKString("mp3"), nullptr));
    for (unsigned int i = 1; i < extensions.Count(); ++i)
        EXPECT_LT(extensions[i - 1], extensions[i]);
}

// On Linux the system services read nothing: the system reader lists no
// extension and opens no file, so libsndfile reads WAV even while the system
// reader is preferred.
TEST_F(LibSndReaderTest, SystemReaderOnLinuxReadsNothing)
{
    EXPECT_TRUE(QVSoundFileReaderSysMacOS::GetRecognizedFileExtensions().IsEmpty());
    std::string const path = MakeFile("plain.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 10);
    std::unique_ptr<QVSoundFileReader> system(QVSoundFileReaderSysMacOS::New(AKFilePath(path)));
    {
        LogCapture log;
        EXPECT_EQ(system->Open(), kQVErrorSoundFileCantOpen);
        EXPECT_FALSE(system->IsOpened());
    }
    std::unique_ptr<QVSoundFileReader> chosen(QVSoundFileReader::New(AKFilePath(path), false));
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->GetName(), AKString("SndFile"));
    EXPECT_FALSE(chosen->IsOpened());
}

}  // namespace
