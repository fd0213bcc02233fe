// The libsndfile writer and the writer factory: which descriptions are
// written and by whom, WAV, AIFF and FLAC files read back with libsndfile,
// the buffer writes, and every refusal with its message.

#include "LogCapture.h"
#include "QVSoundFileWriter.h"
#include "QVSoundFileWriterLibSnd.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

constexpr QVAudioPCMInfo kLE = kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kBE = kQVAudioPCMInfoBigEndian;
constexpr QVAudioPCMInfo kFloat = kQVAudioPCMInfoFloat;
constexpr QVAudioPCMInfo kUnsigned = kQVAudioPCMInfoUnsigned;

QVAudioFileInfo Description(char const* format, unsigned int channels, double rate, QVAudioPCMInfo pcmInfo,
                            double bitRate = 0.0)
{
    QVAudioFileInfo info;
    info.SetupForWrite(QVAudioFormatFromAKString(format), channels, rate, pcmInfo, bitRate);
    return info;
}

std::unique_ptr<QVSoundFileWriter> NewWriter(std::string const& path, QVAudioFileInfo const& info)
{
    return std::unique_ptr<QVSoundFileWriter>(QVSoundFileWriter::New(AKFilePath(path), info));
}

std::string ErrorLine(int status, char const* name, std::string const& message)
{
    return "# Quorvex Error " + std::to_string(status) + " (" + name + "): " + message + ".\n";
}

struct SupportCase {
    char const* format;
    QVAudioPCMInfo pcmInfo;
    char const* writer;  // null: none
};

// The factory's answer for format words and sample layouts: libsndfile for
// WAV and AIFF words with a layout it has, the MP3 writer for "mp3".
TEST(WriterSupportTest, FactoryPicksTheWriterOfEachDescription)
{
    SupportCase const cases[] = {
        {"wav", 8, "SndFile"},
        {"wav", 8 | kUnsigned, "SndFile"},
        {"wav", 16, "SndFile"},
        {"wav", 24 | kLE, "SndFile"},
        {"wav", 32 | kBE, "SndFile"},
        {"wav", 32 | kFloat, "SndFile"},
        {"wav", 64 | kFloat | kBE, "SndFile"},
        {"aif", 16, "SndFile"},
        {"aiff", 24 | kBE, "SndFile"},
        {"aiff", 8 | kUnsigned, "SndFile"},
        {"flac", 16, "SndFile"},
        {"flac", 32 | kFloat, "SndFile"},  // refused by libsndfile only when opening
        {"mp3", 16, "Lame"},
        {"AIFF", 16, nullptr},  // format words are lower case
        {"WAV", 16, nullptr},
        {"ogg", 16, nullptr},
        {"caf", 32 | kFloat, nullptr},
        {"wav", 12, nullptr},
        {"wav", 16 | kUnsigned, nullptr},
        {"wav", 24 | kFloat, nullptr},
        {"wav", 8 | kFloat | kUnsigned, nullptr},
        {"wav", 16 | kLE | kBE, nullptr},
        {"aiff", 16 | kLE | kBE, nullptr},
        {"flac", 16 | kLE | kBE, nullptr},
    };
    for (SupportCase const& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.pcmInfo));
        // The description is built by hand: SetupForWrite refuses layouts the
        // system itself never makes, and the writers must refuse them too.
        QVAudioFileInfo info;
        info.Setup(2, 0, 44100.0);
        info.format = QVAudioFormatFromAKString(c.format);
        info.pcmInfo = c.pcmInfo;
        info.bitsPerSample = QVAudioPCMInfoGetBitsPerSample(c.pcmInfo);
        std::unique_ptr<QVSoundFileWriter> writer = NewWriter("/tmp/never-created.snd", info);
        EXPECT_EQ(QVSoundFileWriter::IsSupportedFileFormat(info), c.writer != nullptr);
        if (c.writer == nullptr) {
            EXPECT_EQ(writer, nullptr);
            continue;
        }
        ASSERT_NE(writer, nullptr);
        EXPECT_EQ(writer->GetName(), AKString(c.writer));
        EXPECT_FALSE(writer->IsOpened());
        EXPECT_EQ(writer->GetFileInfo().frameCount, 0u);
    }
}

TEST(WriterSupportTest, InvalidDescriptionsAndEmptyPathsGetNoWriter)
{
    QVAudioFileInfo noChannel;
    noChannel.format = QVAudioFormatFromAKString("wav");
    noChannel.pcmInfo = 16;
    QVAudioFileInfo const good = Description("wav", 2, 44100.0, 16);
    EXPECT_FALSE(QVSoundFileWriter::IsSupportedFileFormat(noChannel));
    EXPECT_FALSE(QVSoundFileWriterLibSnd::IsSupportedFileFormat(noChannel));
    EXPECT_EQ(NewWriter("/tmp/x.wav", noChannel), nullptr);
    EXPECT_EQ(NewWriter("", good), nullptr);
    EXPECT_EQ(QVSoundFileWriter::New(AKFilePath("/tmp/x.wav"), QVAudioFormatFromAKString("wav"), 2, 0.0, 16, 0.0),
              nullptr);
}

struct RoundTripCase {
    char const* label;
    char const* format;
    QVAudioPCMInfo pcmInfo;
    unsigned int channels;
    int expectedSfFormat;
};

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase>
{};

// Float and double frames, raw and through both buffer forms, read back by
// libsndfile: the file type and sample type asked for, float samples exact,
// integer samples within one step of their size.
TEST_P(RoundTripTest, LibSndFileReadsBackWhatWasWritten)
{
    RoundTripCase const& c = GetParam();
    TempFolder folder;
    std::string const path = folder.File(std::string(c.label) + ".snd");
    unsigned long long const frames = 1000;
    std::vector<float> const signal = SignalFrames(Signal::Pattern, c.channels, frames, 24);
    std::vector<double> const signalDouble(signal.begin(), signal.end());
    std::vector<float> const extremes = SignalFrames(Signal::Extremes, c.channels, 100, 24);

    std::unique_ptr<QVSoundFileWriter> writer = NewWriter(path, Description(c.format, c.channels, 48000.0, c.pcmInfo));
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(writer->Open(), 0);
    EXPECT_TRUE(writer->IsOpened());
    // Frames 0-399 as raw floats, 400-699 as raw doubles, 700-849 from an
    // interleaved block, 850-999 from a planar block, then full-scale frames.
    ASSERT_EQ(writer->WriteNextFrames(signal.data(), 400), 0);
    ASSERT_EQ(writer->WriteNextFrames(signalDouble.data() + 400 * c.channels, 300), 0);
    QXSampleInterleaved<double> interleaved;
    ASSERT_TRUE(interleaved.Allocate(c.channels, 200, 48000.0, true));
    std::copy(signalDouble.begin() + 650 * c.channels, signalDouble.begin() + 850 * c.channels,
              interleaved.FramePtr(0));
    ASSERT_EQ(writer->WriteNextFrames(interleaved, QVSampleRangeMake(-1, 50, 150)), 0);
    QXSampleBuffer<float> planar;
    ASSERT_TRUE(planar.AllocateClean(c.channels, 150, 48000.0));
    for (unsigned long long f = 0; f < 150; ++f) {
        for (unsigned int ch = 0; ch < c.channels; ++ch)
            *planar.SamplePtr(ch, f) = signal[(850 + f) * c.channels + ch];
    }
    ASSERT_EQ(writer->WriteNextFrames(planar, kQVSampleRangeAll), 0);
    ASSERT_EQ(writer->WriteNextFrames(extremes.data(), 100), 0);
    EXPECT_EQ(writer->GetFileInfo().frameCount, frames + 100);
    writer->Close();
    EXPECT_FALSE(writer->IsOpened());

    SF_INFO info;
    std::vector<float> const read = ReadSoundFile(path, &info);
    EXPECT_EQ(info.format, c.expectedSfFormat);
    EXPECT_EQ(info.channels, static_cast<int>(c.channels));
    EXPECT_EQ(info.samplerate, 48000);
    ASSERT_EQ(read.size(), (frames + 100) * c.channels);

    unsigned int const bits = QVAudioPCMInfoGetBitsPerSample(c.pcmInfo);
    double const step = (c.pcmInfo & kFloat) ? 0.0 : std::ldexp(1.0, 1 - static_cast<int>(bits));
    std::vector<float> expected = signal;
    expected.insert(expected.end(), extremes.begin(), extremes.end());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_LE(std::fabs(read[i] - expected[i]), step) << "sample " << i;
}

RoundTripCase const kRoundTripCases[] = {
    {"wav_u8", "wav", 8 | kUnsigned, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
    {"wav_s16", "wav", 16, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {"wav_s24_6", "wav", 24 | kLE, 6, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {"wav_s32", "wav", 32, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_32},
    {"wav_f32_8", "wav", 32 | kFloat, 8, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {"wav_f64", "wav", 64 | kFloat, 2, SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
    {"rifx_s16", "wav", 16 | kBE, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG},
    {"aif_s16", "aif", 16, 2, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"aiff_s8_3", "aiff", 8, 3, SF_FORMAT_AIFF | SF_FORMAT_PCM_S8},
    {"aiff_s24", "aiff", 24 | kBE, 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_BIG},
    {"aifc_le_s16", "aiff", 16 | kLE, 2, SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE},
    {"aifc_f32", "aiff", 32 | kFloat, 2, SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
    {"flac_s16", "flac", 16, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {"flac_s24_6", "flac", 24, 6, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    {"flac_s8", "flac", 8, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_S8},
};

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest, ::testing::ValuesIn(kRoundTripCases),
                         [](::testing::TestParamInfo<RoundTripCase> const& info) {
                             return std::string(info.param.label);
                         });

class LibSndWriterTest : public ::testing::Test
{
protected:
    TempFolder mFolder;
};

TEST_F(LibSndWriterTest, RateIsRoundedAndMissingLayoutIsSixteenBits)
{
    std::string const path = mFolder.File("rounded.aiff");
    std::unique_ptr<QVSoundFileWriter> writer(
        QVSoundFileWriter::New(AKFilePath(path), QVAudioFormatFromAKString("aiff"), 1, 44099.6, 0, 0.0));
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->GetFileInfo().pcmInfo, 16);
    ASSERT_EQ(writer->Open(), 0);
    float const frames[3] = {0.5f, -0.25f, 0.0f};
    ASSERT_EQ(writer->WriteNextFrames(frames, 3), 0);
    writer.reset();  // destroying an open writer finishes the file

    SF_INFO info;
    EXPECT_EQ(ReadSoundFile(path, &info), std::vector<float>(frames, frames + 3));
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
}

// Integer files hold full scale exactly and saturate beyond it: a sample
// of 1.0 or more never wraps around to a negative one.
TEST_F(LibSndWriterTest, FullScaleSaturates)
{
    struct Case {
        char const* format;
        QVAudioPCMInfo pcmInfo;
        int highest;  // largest level of the sample type, left-justified
    };
    Case const cases[] = {
        {"wav", 8 | kUnsigned, 0x7F000000}, {"aiff", 8, 0x7F000000}, {"wav", 16, 0x7FFF0000},
        {"aiff", 24, 0x7FFFFF00},           {"wav", 32, 0x7FFFFFFF},
    };
    float const floats[6] = {1.0f, -1.0f, 1.5f, -1.5f, 0.5f, -0.5f};
    double const doubles[6] = {1.0, -1.0, 1.5, -1.5, 0.5, -0.5};
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.pcmInfo));
        std::string const path = mFolder.File(std::string("full.") + c.format);
        std::unique_ptr<QVSoundFileWriter> writer = NewWriter(path, Description(c.format, 1, 44100.0, c.pcmInfo));
        ASSERT_EQ(writer->Open(), 0);
        ASSERT_EQ(writer->WriteNextFrames(floats, 6), 0);
        ASSERT_EQ(writer->WriteNextFrames(doubles, 6), 0);
        writer->Close();

        SF_INFO info = {};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        int levels[12] = {};
        EXPECT_EQ(sf_read_int(file, levels, 12), 12);
        sf_close(file);
        int const lowest = static_cast<int>(0x80000000u);
        int const half = 0x40000000;
        std::vector<int> const expected = {c.highest, lowest, c.highest, lowest, half, -half};
        EXPECT_EQ(std::vector<int>(levels, levels + 6), expected);
        EXPECT_EQ(std::vector<int>(levels + 6, levels + 12), expected);
    }
}

TEST_F(LibSndWriterTest, ZeroFramesWriteNothing)
{
    std::string const path = mFolder.File("nothing.wav");
    std::unique_ptr<QVSoundFileWriter> writer = NewWriter(path, Description("wav", 2, 44100.0, 16));
    ASSERT_EQ(writer->Open(), 0);
    LogCapture log;
    EXPECT_EQ(writer->WriteNextFrames(static_cast<float const*>(nullptr), 0), 0);
    EXPECT_EQ(writer->WriteNextFrames(static_cast<double const*>(nullptr), 0), 0);
    QXSampleBuffer<double> planar;
    ASSERT_TRUE(planar.AllocateClean(2, 10, 44100.0));
    EXPECT_EQ(writer->WriteNextFrames(planar, QVSampleRangeMake(-1, 10, 0)), 0);
    EXPECT_EQ(writer->GetFileInfo().frameCount, 0u);
    EXPECT_TRUE(log.Lines().empty());
    writer->Close();
    SF_INFO info;
    EXPECT_TRUE(ReadSoundFile(path, &info).empty());
    EXPECT_EQ(info.frames, 0);
}

TEST_F(LibSndWriterTest, NonAsciiFileName)
{
    std::string const path = mFolder.File("Aufnahme – été.flac");
    std::unique_ptr<QVSoundFileWriter> writer(
        QVSoundFileWriter::New(EnginePath(path), Description("flac", 1, 44100.0, 16)));
    ASSERT_EQ(writer->Open(), 0);
    float const frames[2] = {0.5f, -0.5f};
    ASSERT_EQ(writer->WriteNextFrames(frames, 2), 0);
    writer->Close();
    EXPECT_EQ(ReadSoundFile(path), std::vector<float>(frames, frames + 2));
}

// A buffer write that cannot be carried out is a failed write: an error, no
// frame written and the count unchanged, never an empty success.
TEST_F(LibSndWriterTest, RefusedBufferWritesFail)
{
    std::string const path = mFolder.File("refused.wav");
    std::unique_ptr<QVSoundFileWriter> writer = NewWriter(path, Description("wav", 2, 44100.0, 16));
    ASSERT_EQ(writer->Open(), 0);
    QXSampleInterleaved<float> stereo;
    ASSERT_TRUE(stereo.AllocateClean(2, 100, 44100.0));
    QXSampleInterleaved<double> mono;
    ASSERT_TRUE(mono.AllocateClean(1, 100, 44100.0));
    QXSampleBuffer<double> planarStereo;
    ASSERT_TRUE(planarStereo.AllocateClean(2, 100, 44100.0));
    QXSampleBuffer<float> planarSix;
    ASSERT_TRUE(planarSix.AllocateClean(6, 100, 44100.0));

    std::string const line = ErrorLine(kQVErrorSoundFileCantWrite, "kQVErrorSoundFileCantWrite",
                                       "Can't write to sound-file \"" + path + "\"");
    LogCapture log;
    EXPECT_EQ(writer->WriteNextFrames(stereo, QVSampleRangeMake(-1, 90, 11)), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->WriteNextFrames(stereo, QVSampleRangeMake(1, 0, 10)), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->WriteNextFrames(mono, kQVSampleRangeAll), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->WriteNextFrames(planarStereo, QVSampleRangeMake(-1, 101, 0)), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->WriteNextFrames(planarStereo, QVSampleRangeMake(0, 0, 10)), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->WriteNextFrames(planarSix, kQVSampleRangeAll), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(log.Lines(), std::vector<std::string>(6, line));
    EXPECT_EQ(writer->GetFileInfo().frameCount, 0u);
    EXPECT_TRUE(writer->IsOpened());
    writer->Close();
    EXPECT_TRUE(ReadSoundFile(path).empty());
}

TEST_F(LibSndWriterTest, OpenRefusals)
{
    std::string const inMissingFolder = mFolder.File("missing/folder.wav");
    struct Case {
        char const* label;
        std::string path;
        QVAudioFileInfo info;
    };
    Case const cases[] = {
        {"empty path", "", Description("wav", 2, 44100.0, 16)},
        {"unsupported layout", mFolder.File("layout.wav"), Description("wav", 2, 44100.0, 24 | kFloat)},
        {"unsupported word", mFolder.File("word.ogg"), Description("ogg", 2, 44100.0, 16)},
        {"flac of floats", mFolder.File("float.flac"), Description("flac", 2, 44100.0, 32 | kFloat)},
        {"wav of signed bytes", mFolder.File("signed.wav"), Description("wav", 2, 44100.0, 8)},
        {"missing folder", inMissingFolder, Description("wav", 2, 44100.0, 16)},
        {"device that takes no header", "/dev/full", Description("wav", 2, 44100.0, 16)},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.label);
        QVSoundFileWriterLibSnd writer{AKFilePath(c.path), c.info};
        LogCapture log;
        EXPECT_EQ(writer.Open(), kQVErrorSoundFileCantOpen);
        EXPECT_FALSE(writer.IsOpened());
        EXPECT_EQ(log.Lines(),
                  std::vector<std::string>{ErrorLine(kQVErrorSoundFileCantOpen, "kQVErrorSoundFileCantOpen",
                                                     "Can't open (for write) sound-file \"" + c.path + "\"")});
    }
}

TEST_F(LibSndWriterTest, StateRefusals)
{
    std::string const path = mFolder.File("state.wav");
    std::unique_ptr<QVSoundFileWriter> writer = NewWriter(path, Description("wav", 1, 44100.0, 16));
    float const sample = 0.5f;
    double const sampleDouble = 0.5;
    LogCapture log;
    EXPECT_EQ(writer->WriteNextFrames(&sample, 1), kQVErrorSoundFileNotOpened);
    EXPECT_EQ(writer->WriteNextFrames(&sampleDouble, 1), kQVErrorSoundFileNotOpened);
    ASSERT_EQ(writer->Open(), 0);
    EXPECT_EQ(writer->Open(), kQVErrorSoundFileYetOpened);
    EXPECT_TRUE(writer->IsOpened());
    EXPECT_FALSE(writer->SetMoreOption(1, 5));
    EXPECT_EQ(writer->GetMoreOption(1), 0);
    std::string const notOpened = ErrorLine(kQVErrorSoundFileNotOpened, "kQVErrorSoundFileNotOpened",
                                            "The sound-file \"" + path + "\" is not opened");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{notOpened, notOpened,
                                                     ErrorLine(kQVErrorSoundFileYetOpened, "kQVErrorSoundFileYetOpened",
                                                               "The sound-file \"" + path + "\" is already opened")}));
    EXPECT_EQ(writer->GetFileInfo().frameCount, 0u);
}

// libsndfile taking fewer frames than given (the device is full) is a
// failed write; the count stays as it was and the writer stays open.
TEST_F(LibSndWriterTest, ShortWriteFails)
{
    std::unique_ptr<QVSoundFileWriter> writer = NewWriter("/dev/full", Description("flac", 2, 44100.0, 16));
    ASSERT_EQ(writer->Open(), 0);
    std::vector<float> const frames = SignalFrames(Signal::Sine, 2, 20000, 16);
    LogCapture log;
    EXPECT_EQ(writer->WriteNextFrames(frames.data(), 20000), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer->GetFileInfo().frameCount, 0u);
    EXPECT_TRUE(writer->IsOpened());
    EXPECT_EQ(log.Lines(), std::vector<std::string>{ErrorLine(kQVErrorSoundFileCantWrite, "kQVErrorSoundFileCantWrite",
                                                              "Can't write to sound-file \"/dev/full\"")});
}

}  // namespace
