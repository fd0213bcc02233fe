// The MP3 writer: sines written through it and read back through the MP3
// reader, its options and bit rates, and every refusal with its message.

#include "QVSoundFileWriterLibLame.h"

#include "AKStatus.h"
#include "LogCapture.h"
#include "Mp3Fixtures.h"
#include "QVSoundFileReaderLibMad.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

QVAudioFileInfo Mp3Info(unsigned int channels, double rate, double bitRate)
{
    QVAudioFileInfo info;
    EXPECT_TRUE(info.SetupForWrite(QVAudioFormatFromAKString("mp3"), channels, rate, 16, bitRate));
    return info;
}

// Interleaved sine frames, channel c at frequencies[c], peak `amplitude`.
template <typename T>
std::vector<T> Sine(unsigned int channels, unsigned long long frames, double rate,
                    std::vector<double> const& frequencies, double amplitude)
{
    std::vector<T> samples(frames * channels);
    for (unsigned long long i = 0; i < frames; ++i) {
        for (unsigned int c = 0; c < channels; ++c)
            samples[i * channels + c] = static_cast<T>(amplitude * std::sin(2.0 * kPi * frequencies[c] * i / rate));
    }
    return samples;
}

struct Decoded {
    QVAudioFileInfo info;
    AKString rawInfo;
    std::vector<float> samples;
};

Decoded Decode(AKFilePath const& path)
{
    Decoded decoded;
    QVSoundFileReaderLibMad reader(path);
    EXPECT_EQ(reader.Open(), 0);
    decoded.info = reader.GetFileInfo();
    decoded.rawInfo = reader.GetRawInfo();
    decoded.samples.resize(decoded.info.frameCount * decoded.info.channelCount);
    unsigned long long count = decoded.info.frameCount;
    if (count > 0) {
        EXPECT_EQ(reader.ReadNextFrames(decoded.samples.data(), &count), 0);
    }
    EXPECT_EQ(count, decoded.info.frameCount);
    return decoded;
}

double LevelDb(std::vector<float> const& samples, unsigned int channels, unsigned int channel, size_t first,
               size_t count)
{
    double sum = 0.0;
    for (size_t i = first; i < first + count; ++i)
        sum += static_cast<double>(samples[i * channels + channel]) * samples[i * channels + channel];
    return 10.0 * std::log10(sum / count);
}

double Frequency(std::vector<float> const& samples, unsigned int channels, unsigned int channel, size_t first,
                 size_t count, double rate)
{
    int crossings = 0;
    for (size_t i = first + 1; i < first + count; ++i) {
        if (samples[(i - 1) * channels + channel] < 0.0f && samples[i * channels + channel] >= 0.0f)
            ++crossings;
    }
    return crossings * rate / count;
}

class Mp3WriterTest : public ::testing::Test
{
protected:
    AKFilePath NewPath(std::string const& name)
    {
        return AKFilePath(mDir.Path(std::to_string(++mFileCounter) + "-" + name));
    }

    Mp3TempDir mDir;
    unsigned int mFileCounter = 0;
};

// --- Round trips ---

TEST_F(Mp3WriterTest, SinesComeBackAtTheirLevelAndFrequency)
{
    struct Case {
        char const* name;
        unsigned int channels;
        double rate;
        std::vector<double> frequencies;
        bool asDouble;
        bool jointStereo;
    };
    Case const cases[] = {
        {"mono float", 1, 44100.0, {440.0}, false, false},
        {"mono double", 1, 48000.0, {1000.0}, true, false},
        {"stereo float", 2, 44100.0, {500.0, 2000.0}, false, false},
        {"stereo double, joint", 2, 32000.0, {800.0, 1200.0}, true, true},
        {"mono at an MPEG-2 rate", 1, 22050.0, {300.0}, false, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned long long const frames = static_cast<unsigned long long>(c.rate * 1.5);
        double const amplitude = 0.5;  // -9.03 dB RMS
        AKFilePath const path = NewPath("sine.mp3");
        QVSoundFileWriterLibLame writer(path, Mp3Info(c.channels, c.rate, 128));
        ASSERT_TRUE(writer.SetMoreOption(kQVLameOptionJointStereo, c.jointStereo ? 1 : 0));
        ASSERT_EQ(writer.Open(), 0);
        // Written in uneven blocks, as a recorder does.
        unsigned long long const blocks[] = {1, 999, 4096, frames - 1 - 999 - 4096};
        unsigned long long done = 0;
        std::vector<float> const floats = Sine<float>(c.channels, frames, c.rate, c.frequencies, amplitude);
        std::vector<double> const doubles = Sine<double>(c.channels, frames, c.rate, c.frequencies, amplitude);
        for (unsigned long long block : blocks) {
            int const status = c.asDouble ? writer.WriteNextFrames(doubles.data() + done * c.channels, block)
                                          : writer.WriteNextFrames(floats.data() + done * c.channels, block);
            ASSERT_EQ(status, 0);
            done += block;
        }
        EXPECT_EQ(writer.GetFileInfo().frameCount, frames);
        writer.Close();
        EXPECT_FALSE(writer.IsOpened());

        // The encoder's information frame is filled in, so it is skipped
        // rather than played as a frame of silence.
        Mp3Bytes const bytes = ReadMp3File(path.c_str());
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(Mp3IsInfoFrame(bytes, 0));

        Decoded const decoded = Decode(path);
        ASSERT_EQ(decoded.info.channelCount, c.channels);
        EXPECT_EQ(decoded.info.sampleRate, c.rate);
        // The encoder adds its delay and pads the last frame, no more.
        EXPECT_GE(decoded.info.frameCount, frames);
        EXPECT_LE(decoded.info.frameCount, frames + 576 + 2 * 1152);
        size_t firstSound = 0;
        while (firstSound < decoded.samples.size() && std::fabs(decoded.samples[firstSound]) < 0.05f)
            ++firstSound;
        EXPECT_LT(firstSound / c.channels, 1600u);

        size_t const window = static_cast<size_t>(c.rate / 2);
        size_t const first = static_cast<size_t>(c.rate / 2);
        for (unsigned int channel = 0; channel < c.channels; ++channel) {
            SCOPED_TRACE(channel);
            EXPECT_NEAR(LevelDb(decoded.samples, c.channels, channel, first, window), -9.03, 1.0);
            EXPECT_NEAR(Frequency(decoded.samples, c.channels, channel, first, window, c.rate), c.frequencies[channel],
                        c.frequencies[channel] * 0.01 + 4.0);
        }
    }
}

TEST_F(Mp3WriterTest, LongWritesAndBufferWritesKeepEveryFrame)
{
    // One raw write longer than an encoder slice, then planar and interleaved
    // buffer writes, which the recorder and the bounce use.
    double const rate = 44100.0;
    unsigned long long const longWrite = 200000;
    AKFilePath const path = NewPath("long.mp3");
    QVSoundFileWriterLibLame writer(path, Mp3Info(2, rate, 0));
    ASSERT_EQ(writer.Open(), 0);
    std::vector<float> const sine = Sine<float>(2, longWrite, rate, {1000.0, 1000.0}, 0.5);
    ASSERT_EQ(writer.WriteNextFrames(sine.data(), longWrite), 0);

    QXSampleBuffer<double> planar;
    ASSERT_TRUE(planar.AllocateClean(2, 3000, rate));
    ASSERT_EQ(writer.WriteNextFrames(planar, QVSampleRangeMake(kQVSampleRangeAllChannels, 0, 3000)), 0);
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.AllocateClean(2, 2000, rate));
    ASSERT_EQ(writer.WriteNextFrames(interleaved, QVSampleRangeMake(kQVSampleRangeAllChannels, 500, 1000)), 0);
    EXPECT_EQ(writer.WriteNextFrames(sine.data(), 0), 0);
    EXPECT_EQ(writer.GetFileInfo().frameCount, longWrite + 3000 + 1000);
    writer.Close();

    Decoded const decoded = Decode(path);
    EXPECT_GE(decoded.info.frameCount, longWrite + 4000);
    EXPECT_LE(decoded.info.frameCount, longWrite + 4000 + 576 + 2 * 1152);
    EXPECT_NEAR(LevelDb(decoded.samples, 2, 0, 100000, 44100), -9.03, 1.0);
}

TEST_F(Mp3WriterTest, FactoryGivesThisWriterForMp3)
{
    std::unique_ptr<QVSoundFileWriter> writer(
        QVSoundFileWriter::New(NewPath("factory.mp3"), QVAudioFormatFromAKString("mp3"), 1, 44100.0, 0, 0.0));
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->GetName(), AKString("Lame"));
    EXPECT_TRUE(QVSoundFileWriter::IsSupportedFileFormat(Mp3Info(2, 48000.0, 0)));
}

// --- Options and encoder settings ---

TEST_F(Mp3WriterTest, OptionsAreClampedAndRefusedWhileOpen)
{
    QVSoundFileWriterLibLame writer(NewPath("options.mp3"), Mp3Info(2, 44100.0, 0));
    EXPECT_EQ(writer.GetName(), AKString("Lame"));
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionQuality), 0);
    EXPECT_TRUE(writer.SetMoreOption(kQVLameOptionQuality, 15));
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionQuality), 10);
    EXPECT_TRUE(writer.SetMoreOption(kQVLameOptionQuality, -3));
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionQuality), 0);
    EXPECT_TRUE(writer.SetMoreOption(kQVLameOptionQuality, 4));
    EXPECT_TRUE(writer.SetMoreOption(kQVLameOptionJointStereo, 2));
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionJointStereo), 1);
    EXPECT_FALSE(writer.SetMoreOption(3, 1));
    EXPECT_EQ(writer.GetMoreOption(3), 0);

    ASSERT_EQ(writer.Open(), 0);
    EXPECT_FALSE(writer.SetMoreOption(kQVLameOptionQuality, 7));
    EXPECT_FALSE(writer.SetMoreOption(kQVLameOptionJointStereo, 0));
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionQuality), 4);
    EXPECT_EQ(writer.GetMoreOption(kQVLameOptionJointStereo), 1);
}

TEST_F(Mp3WriterTest, BitRateAndChannelModeReachTheFile)
{
    struct Case {
        char const* name;
        unsigned int channels;
        int quality;
        double bitRate;
        bool jointStereo;
        double expectedKbps;
        char const* expectedMode;
    };
    Case const cases[] = {
        {"quality 3", 2, 3, 0.0, false, 64.0, "3 (normal LR stereo)"},
        {"quality 5", 2, 5, 0.0, true, 128.0, "2 (joint stereo)"},
        {"quality 10", 2, 10, 0.0, false, 320.0, "3 (normal LR stereo)"},
        {"bit rate wins over quality", 2, 3, 192.0, false, 192.0, "3 (normal LR stereo)"},
        {"mono ignores joint stereo", 1, 6, 0.0, true, 160.0, "0 (single channel)"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKFilePath const path = NewPath("rate.mp3");
        QVSoundFileWriterLibLame writer(path, Mp3Info(c.channels, 44100.0, c.bitRate));
        ASSERT_TRUE(writer.SetMoreOption(kQVLameOptionQuality, c.quality));
        ASSERT_TRUE(writer.SetMoreOption(kQVLameOptionJointStereo, c.jointStereo ? 1 : 0));
        ASSERT_EQ(writer.Open(), 0);
        std::vector<float> const sine = Sine<float>(c.channels, 20000, 44100.0, {700.0, 900.0}, 0.5);
        ASSERT_EQ(writer.WriteNextFrames(sine.data(), 20000), 0);
        writer.Close();

        Decoded const decoded = Decode(path);
        EXPECT_EQ(decoded.info.bitRate, c.expectedKbps);
        std::string const raw = decoded.rawInfo.c_str();
        EXPECT_NE(raw.find(std::string("mode:               ") + c.expectedMode + "\n"), std::string::npos) << raw;
    }
}

// --- Refusals ---

TEST_F(Mp3WriterTest, EveryRefusalIsLoggedAndReturned)
{
    LogCapture log;
    AKFilePath const path = NewPath("refusals.mp3");
    std::string const p = path.c_str();
    std::vector<std::string> expected;
    auto expect = [&expected](std::string const& line) { expected.push_back(line + ".\n"); };

    QVSoundFileWriterLibLame writer(path, Mp3Info(2, 44100.0, 128));
    float const samples[4] = {0.1f, 0.1f, 0.2f, 0.2f};
    double const doubles[4] = {0.1, 0.1, 0.2, 0.2};
    EXPECT_EQ(writer.WriteNextFrames(samples, 2), kQVErrorSoundFileNotOpened);
    expect("# Quorvex Error -589 (kQVErrorSoundFileNotOpened): The sound-file \"" + p + "\" is not opened");
    EXPECT_EQ(writer.WriteNextFrames(doubles, 2), kQVErrorSoundFileNotOpened);
    expect("# Quorvex Error -589 (kQVErrorSoundFileNotOpened): The sound-file \"" + p + "\" is not opened");

    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Open(), kQVErrorSoundFileYetOpened);
    expect("# Quorvex Error -588 (kQVErrorSoundFileYetOpened): The sound-file \"" + p + "\" is already opened");
    EXPECT_TRUE(writer.IsOpened());

    // Buffer writes of one channel, of a source of another channel count and
    // of a range past the source are refused as failures.
    QXSampleInterleaved<float> mono;
    ASSERT_TRUE(mono.AllocateClean(1, 100, 44100.0));
    QXSampleBuffer<float> stereo;
    ASSERT_TRUE(stereo.AllocateClean(2, 100, 44100.0));
    EXPECT_EQ(writer.WriteNextFrames(mono, kQVSampleRangeAll), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer.WriteNextFrames(stereo, QVSampleRangeMake(1, 0, 100)), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer.WriteNextFrames(stereo, QVSampleRangeMake(kQVSampleRangeAllChannels, 50, 100)),
              kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer.GetFileInfo().frameCount, 0u);
    writer.Close();

    QVSoundFileWriterLibLame unnamed(AKFilePath(), Mp3Info(2, 44100.0, 128));
    EXPECT_EQ(unnamed.Open(), kQVErrorSoundFileCantOpen);
    std::string const missing = mDir.Path("no-such-folder/file.mp3");
    QVSoundFileWriterLibLame nowhere{AKFilePath(missing), Mp3Info(2, 44100.0, 128)};
    EXPECT_EQ(nowhere.Open(), kQVErrorSoundFileCantOpen);
    EXPECT_FALSE(nowhere.IsOpened());
    AKFilePath const threePath = NewPath("three.mp3");
    QVSoundFileWriterLibLame three(threePath, Mp3Info(3, 44100.0, 128));
    EXPECT_EQ(three.Open(), kQVErrorSoundFileCantOpen);
    EXPECT_FALSE(three.IsOpened());

    std::vector<std::string> const lines = log.Lines();
    // The refused buffer writes come between the kQVErrorSoundFileYetOpened and the open failures.
    ASSERT_EQ(lines.size(), expected.size() + 3 + 3);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]);
    for (size_t i = expected.size(); i < expected.size() + 3; ++i)
        EXPECT_EQ(lines[i].rfind("# Quorvex Error -582 (kQVErrorSoundFileCantWrite): ", 0), 0u) << lines[i];
    size_t const opens = expected.size() + 3;
    EXPECT_EQ(lines[opens], "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for write) sound-file "
                            "\"\".\n");
    EXPECT_EQ(lines[opens + 1], "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for write) "
                                "sound-file \"" +
                                    missing + "\".\n");
    EXPECT_EQ(lines[opens + 2], "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for write) "
                                "sound-file \"" +
                                    std::string(threePath.c_str()) + "\" (lame-encoder returns error -1).\n");
}

TEST_F(Mp3WriterTest, ShortFileWriteFailsAndKeepsTheCount)
{
    // A device that refuses every byte: the encoded block cannot be written.
    QVSoundFileWriterLibLame writer(AKFilePath("/dev/full"), Mp3Info(2, 44100.0, 320));
    ASSERT_EQ(writer.Open(), 0);
    std::vector<float> const sine = Sine<float>(2, 44100, 44100.0, {1000.0, 1000.0}, 0.5);
    LogCapture log;
    EXPECT_EQ(writer.WriteNextFrames(sine.data(), 44100), kQVErrorSoundFileCantWrite);
    EXPECT_EQ(writer.GetFileInfo().frameCount, 0u);
    EXPECT_TRUE(writer.IsOpened());
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines()[0],
              "# Quorvex Error -582 (kQVErrorSoundFileCantWrite): Can't write to sound-file \"/dev/full\".\n");
}

}  // namespace
