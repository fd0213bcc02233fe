// The MP3 reader: tag measuring, exact frame counts, decoding in requests of
// any size, the count cache, damaged files and refusals.

#include "QVSoundFileReaderLibMad.h"
#include "QVSoundFileReaderLibMadLow.h"

#include "AKStatus.h"
#include "AKStringEncoding.h"
#include "LogCapture.h"
#include "Mp3Fixtures.h"
#include "QXSampleInterleaved.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every frame the reader delivers, read in requests of `request` frames
// until a request delivers none. Stops with a failure on an error or when
// the reader delivers far more than it announced.
std::vector<float> ReadAll(QVSoundFileReader const& reader, unsigned long long request)
{
    unsigned int const channels = reader.GetFileInfo().channelCount;
    unsigned long long const limit = reader.GetFileInfo().frameCount + 10 * request + 100000;
    std::vector<float> all;
    std::vector<float> block(request * channels);
    for (;;) {
        unsigned long long count = request;
        int const status = reader.ReadNextFrames(block.data(), &count);
        EXPECT_EQ(status, 0);
        if (status != 0 || count == 0)
            break;
        EXPECT_LE(count, request);
        all.insert(all.end(), block.begin(), block.begin() + count * channels);
        if (all.size() / channels > limit) {
            ADD_FAILURE() << "the reader never stops delivering";
            break;
        }
    }
    return all;
}

// RMS of one channel over frames [first, first + count).
double ChannelRms(std::vector<float> const& samples, unsigned int channels, unsigned int channel, size_t first,
                  size_t count)
{
    double sum = 0.0;
    for (size_t i = first; i < first + count; ++i) {
        double const v = samples[i * channels + channel];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(count));
}

// Rising zero crossings of one channel per second.
double ChannelFrequency(std::vector<float> const& samples, unsigned int channels, unsigned int channel, size_t first,
                        size_t count, double rate)
{
    int crossings = 0;
    for (size_t i = first + 1; i < first + count; ++i) {
        if (samples[(i - 1) * channels + channel] < 0.0f && samples[i * channels + channel] >= 0.0f)
            ++crossings;
    }
    return crossings * rate / static_cast<double>(count);
}

size_t CountLinesWith(LogCapture const& log, char const* text)
{
    size_t count = 0;
    for (std::string const& line : log.Lines()) {
        if (line.find(text) != std::string::npos)
            ++count;
    }
    return count;
}

class Mp3ReaderTest : public ::testing::Test
{
protected:
    // Writes the bytes as a new file of the temporary folder; its engine
    // path. Every file gets its own name: the count cache knows files by
    // path, size and modification time in seconds.
    AKFilePath Put(std::string const& name, Mp3Bytes const& bytes)
    {
        std::string const path = mDir.Path(std::to_string(++mFileCounter) + "-" + name);
        EXPECT_TRUE(WriteMp3File(path, bytes));
        return AKFilePath(path);
    }

    // An open reader of the path (a test failure when it does not open).
    std::unique_ptr<QVSoundFileReaderLibMad> OpenReader(AKFilePath const& path)
    {
        auto reader = std::make_unique<QVSoundFileReaderLibMad>(path);
        EXPECT_EQ(reader->Open(), 0) << path.c_str();
        return reader;
    }

    Mp3TempDir mDir;
    unsigned int mFileCounter = 0;
};

// --- Tags before the first frame ---

TEST(Mp3SkipMetadata, MeasuresLeadingTagsAndInformationFrame)
{
    // 1024 bytes: a three-letter mark, then the given bytes, then zeros.
    auto withHeader = [](char const* mark, std::vector<unsigned char> const& rest) {
        Mp3Bytes data(1024, 0);
        std::memcpy(data.data(), mark, 3);
        for (size_t i = 0; i < rest.size(); ++i)
            data[3 + i] = rest[i];
        return data;
    };
    Mp3Recipe recipe;
    recipe.infoFrame = true;
    Mp3Bytes const withInfo = MakeMp3(recipe);
    std::vector<size_t> const frames = Mp3FrameOffsets(withInfo, 0);
    ASSERT_GE(frames.size(), 2u);
    size_t const infoLength = frames[1] - frames[0];
    ASSERT_TRUE(Mp3IsInfoFrame(withInfo, 0));

    Mp3Bytes taggedInfo = MakeId3v2Tag(300, true);
    size_t const tagLength = taggedInfo.size();
    taggedInfo.insert(taggedInfo.end(), withInfo.begin(), withInfo.end());

    recipe.infoFrame = false;
    Mp3Bytes const plain = MakeMp3(recipe);
    Mp3Bytes const hugeTag = MakeId3v2Tag(400000, false);
    Mp3Bytes const hugeTagHead(hugeTag.begin(), hugeTag.begin() + kQVMadMetadataProbeSize);

    struct Case {
        char const* name;
        Mp3Bytes data;
        unsigned long expected;
    };
    Case const cases[] = {
        {"ID3v1 at the start", withHeader("TAG", {}), 128},
        {"ID3v2", withHeader("ID3", {4, 0, 0, 0, 0, 2, 1}), 267},
        {"ID3v2 with footer", withHeader("ID3", {4, 0, 0x10, 0, 0, 2, 1}), 277},
        {"ID3v2 size byte not synchsafe", withHeader("ID3", {4, 0, 0, 0x80, 0, 2, 1}), 0},
        {"ID3v2 version 0xFF", withHeader("ID3", {0xFF, 0, 0, 0, 0, 2, 1}), 0},
        {"tag footer first", withHeader("3DI", {4, 0, 0x10, 0, 0, 2, 1}), 0},
        {"too short for anything", Mp3Bytes{'I', 'D'}, 0},
        {"plain audio", plain, 0},
        {"Info frame", withInfo, static_cast<unsigned long>(infoLength)},
        {"ID3v2 then Info frame", taggedInfo, static_cast<unsigned long>(tagLength + infoLength)},
        {"tag larger than the data read", hugeTagHead, static_cast<unsigned long>(hugeTag.size())},
    };
    for (Case const& c : cases)
        EXPECT_EQ(mad_skip_metadata(c.data.data(), c.data.size()), c.expected) << c.name;
}

// --- Exact counts and decoding of well-formed files ---

struct FixtureCase {
    char const* name;
    Mp3Recipe recipe;
    unsigned int channels;
};

Mp3Recipe Recipe(unsigned int channels, int rate, int bitRate, bool joint = false)
{
    Mp3Recipe recipe;
    recipe.channels = channels;
    recipe.sampleRate = rate;
    recipe.bitRate = bitRate;
    recipe.jointStereo = joint;
    recipe.frames = static_cast<unsigned long long>(rate) * 3 / 4;
    return recipe;
}

std::vector<FixtureCase> WellFormedFixtures()
{
    std::vector<FixtureCase> cases = {
        {"mono 44.1 kHz", Recipe(1, 44100, 64), 1},
        {"stereo 44.1 kHz", Recipe(2, 44100, 128), 2},
        {"joint stereo 48 kHz", Recipe(2, 48000, 128, true), 2},
        {"stereo 32 kHz", Recipe(2, 32000, 96), 2},
        {"stereo 24 kHz", Recipe(2, 24000, 64), 2},
        {"mono 22.05 kHz", Recipe(1, 22050, 32), 1},
        {"joint stereo 16 kHz", Recipe(2, 16000, 48, true), 2},
    };
    FixtureCase info = {"Info frame", Recipe(2, 44100, 128), 2};
    info.recipe.infoFrame = true;
    FixtureCase tagged = {"ID3v2, ID3v1 and Info frame", Recipe(1, 48000, 64), 1};
    tagged.recipe.infoFrame = true;
    tagged.recipe.id3v1 = true;
    tagged.recipe.id3v2PayloadSize = 2000;
    tagged.recipe.id3v2Footer = true;
    FixtureCase v1 = {"ID3v1 only", Recipe(2, 22050, 64), 2};
    v1.recipe.id3v1 = true;
    FixtureCase single = {"a single frame", Recipe(2, 44100, 128), 2};
    single.recipe.frames = 100;
    cases.push_back(info);
    cases.push_back(tagged);
    cases.push_back(v1);
    cases.push_back(single);
    return cases;
}

TEST_F(Mp3ReaderTest, ExactCountIsEveryFrameAndEveryFrameIsDecoded)
{
    for (FixtureCase const& c : WellFormedFixtures()) {
        SCOPED_TRACE(c.name);
        Mp3Bytes const bytes = MakeMp3(c.recipe);
        ASSERT_FALSE(bytes.empty());
        unsigned long long const frames = Mp3PcmFrameCount(bytes);
        ASSERT_GT(frames, 0u);

        auto reader = OpenReader(Put("fixture.mp3", bytes));
        QVAudioFileInfo const& info = reader->GetFileInfo();
        EXPECT_EQ(info.channelCount, c.channels);
        EXPECT_EQ(info.sampleRate, c.recipe.sampleRate);
        EXPECT_EQ(info.frameCount, frames);
        EXPECT_EQ(info.bitRate, c.recipe.bitRate);
        EXPECT_EQ(QVAudioFormatToAKString(info.format), AKString("mp3"));

        // Every frame comes from the decoder, the last one included: no
        // silence is needed to reach the count.
        LogCapture log;
        std::vector<float> const samples = ReadAll(*reader, 4096);
        EXPECT_EQ(samples.size(), frames * c.channels);
        EXPECT_EQ(reader->GetPosition(), frames);
        EXPECT_TRUE(reader->IsEndReached());
        EXPECT_EQ(CountLinesWith(log, "Warning"), 0u);

        if (frames > 8000) {
            // The sine is there at its level (0.5 peak) and frequency.
            size_t const middle = frames / 2 - 2000;
            for (unsigned int channel = 0; channel < c.channels; ++channel) {
                EXPECT_NEAR(ChannelRms(samples, c.channels, channel, middle, 4000), 0.5 / std::sqrt(2.0), 0.03);
                EXPECT_NEAR(ChannelFrequency(samples, c.channels, channel, middle, 4000, c.recipe.sampleRate),
                            c.recipe.frequency, 30.0);
            }
        }
    }
}

TEST_F(Mp3ReaderTest, RequestSizesDeliverTheSameSamples)
{
    for (unsigned int channels : {1u, 2u}) {
        SCOPED_TRACE(channels);
        Mp3Recipe recipe = Recipe(channels, 44100, 128);
        recipe.frames = 150000;  // more than the largest request
        recipe.rightFrequency = 1500.0;
        AKFilePath const path = Put("requests.mp3", MakeMp3(recipe));

        auto whole = OpenReader(path);
        unsigned long long const frames = whole->GetFileInfo().frameCount;
        std::vector<float> reference(frames * channels);
        unsigned long long count = frames;
        ASSERT_EQ(whole->ReadNextFrames(reference.data(), &count), 0);
        ASSERT_EQ(count, frames);

        for (unsigned long long request : {1ull, 1000ull, 2049ull, 131072ull}) {
            SCOPED_TRACE(request);
            auto reader = OpenReader(path);
            std::vector<float> const samples = ReadAll(*reader, request);
            ASSERT_EQ(samples.size(), reference.size());
            EXPECT_EQ(std::memcmp(samples.data(), reference.data(), samples.size() * sizeof(float)), 0);
        }
    }
}

TEST_F(Mp3ReaderTest, ShortReadZeroesTheRestAndEndsWithNothing)
{
    Mp3Recipe recipe = Recipe(2, 44100, 128);
    recipe.frames = 5000;
    auto reader = OpenReader(Put("short.mp3", MakeMp3(recipe)));
    unsigned long long const frames = reader->GetFileInfo().frameCount;

    std::vector<float> block((frames + 1000) * 2, 7.0f);
    unsigned long long count = frames + 1000;
    ASSERT_EQ(reader->ReadNextFrames(block.data(), &count), 0);
    EXPECT_EQ(count, frames);
    for (size_t i = frames * 2; i < block.size(); ++i)
        ASSERT_EQ(block[i], 0.0f) << i;

    // Nothing more, and no silence is owed.
    LogCapture log;
    std::fill(block.begin(), block.end(), 7.0f);
    count = 1000;
    EXPECT_EQ(reader->ReadNextFrames(block.data(), &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(block[0], 0.0f);
    EXPECT_TRUE(reader->IsEndReached());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(Mp3ReaderTest, MonoFrameInsideStereoStreamFillsBothChannels)
{
    // A stereo stream whose channels differ, followed by mono frames.
    Mp3Recipe stereo = Recipe(2, 44100, 128);
    stereo.frames = 11025;
    stereo.rightFrequency = 3000.0;
    Mp3Recipe mono = Recipe(1, 44100, 128);
    mono.frames = 22050;
    Mp3Bytes bytes = MakeMp3(stereo);
    Mp3Bytes const tail = MakeMp3(mono);
    size_t const stereoFrames = Mp3PcmFrameCount(bytes);
    bytes.insert(bytes.end(), tail.begin(), tail.end());

    auto reader = OpenReader(Put("switch.mp3", bytes));
    ASSERT_EQ(reader->GetFileInfo().channelCount, 2u);
    std::vector<float> const samples = ReadAll(*reader, 4096);
    ASSERT_EQ(samples.size(), reader->GetFileInfo().frameCount * 2);

    // In the mono part (past the decoder's overlap) right equals left.
    size_t const first = stereoFrames + 2304;
    size_t const count = samples.size() / 2 - first - 2304;
    double peak = 0.0;
    for (size_t i = first; i < first + count; ++i) {
        ASSERT_EQ(samples[2 * i + 1], samples[2 * i]) << i;
        peak = std::max(peak, std::fabs(static_cast<double>(samples[2 * i])));
    }
    EXPECT_GT(peak, 0.3);
}

// --- Skipping ---

TEST_F(Mp3ReaderTest, SkippingCountsWholeFramesOfTheirOwnDuration)
{
    struct Case {
        int rate;
        unsigned long long skip;
        unsigned long long expected;
    };
    Case const cases[] = {
        {44100, 1, 1152},
        {44100, 4 * 1152, 4 * 1152},
        {44100, 4 * 1152 + 1, 5 * 1152},
        {22050, 7 * 576, 7 * 576},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.rate);
        SCOPED_TRACE(c.skip);
        auto reader = OpenReader(Put("skip.mp3", MakeMp3(Recipe(2, c.rate, 64))));
        EXPECT_FALSE(reader->IsSkipNextFramesSafe());
        unsigned long long count = c.skip;
        ASSERT_EQ(reader->SkipNextFrames(&count), 0);
        EXPECT_EQ(count, c.expected);
        EXPECT_EQ(reader->GetPosition(), c.expected);

        // What follows the skip still adds up to the announced count.
        LogCapture log;
        std::vector<float> const rest = ReadAll(*reader, 4096);
        EXPECT_EQ(rest.size() / 2 + c.expected, reader->GetFileInfo().frameCount);
    }
}

TEST_F(Mp3ReaderTest, SkipAfterReadKeepsPendingFramesAndZeroSkipsNothing)
{
    auto reader = OpenReader(Put("pending.mp3", MakeMp3(Recipe(2, 44100, 128))));
    unsigned long long const frames = reader->GetFileInfo().frameCount;
    std::vector<float> block(2 * 10);
    unsigned long long count = 10;
    ASSERT_EQ(reader->ReadNextFrames(block.data(), &count), 0);
    ASSERT_EQ(count, 10u);

    count = 0;
    EXPECT_EQ(reader->SkipNextFrames(&count), 0);
    EXPECT_EQ(count, 0u);
    count = 2000;
    ASSERT_EQ(reader->SkipNextFrames(&count), 0);
    EXPECT_EQ(count, 2304u);

    LogCapture log;
    std::vector<float> const rest = ReadAll(*reader, 1000);
    EXPECT_EQ(10 + 2304 + rest.size() / 2, frames);
}

// --- The count cache ---

void SetModificationTime(std::string const& path, time_t seconds)
{
    timespec times[2];
    times[0].tv_sec = seconds;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(Mp3ReaderTest, CountCacheServesUnchangedFilesAndRecountsChangedOnes)
{
    Mp3Bytes bytes = MakeMp3(Recipe(2, 44100, 128));
    unsigned long long const frames = Mp3PcmFrameCount(bytes);
    AKFilePath const path = Put("cached.mp3", bytes);
    std::string const systemPath = path.c_str();
    SetModificationTime(systemPath, 1500000000);
    EXPECT_EQ(OpenReader(path)->GetFileInfo().frameCount, frames);

    // The same size and time, but two frames fewer: the cached count stays.
    std::vector<size_t> const offsets = Mp3FrameOffsets(bytes, 0);
    Mp3BreakFrameHeader(&bytes, offsets[5]);
    Mp3BreakFrameHeader(&bytes, offsets[9]);
    ASSERT_TRUE(WriteMp3File(systemPath, bytes));
    SetModificationTime(systemPath, 1500000000);
    EXPECT_EQ(OpenReader(path)->GetFileInfo().frameCount, frames);

    // Touched: counted again.
    SetModificationTime(systemPath, 1500000100);
    EXPECT_EQ(OpenReader(path)->GetFileInfo().frameCount, frames - 2 * 1152);
}

// --- Damaged and unusable files ---

TEST_F(Mp3ReaderTest, DamagedMiddleFramesWarnAndTheFileStillLoads)
{
    Mp3Bytes bytes = MakeMp3(Recipe(2, 44100, 128));
    std::vector<size_t> const offsets = Mp3FrameOffsets(bytes, 0);
    unsigned long long const intact = Mp3PcmFrameCount(bytes);
    for (size_t index : {6u, 7u, 12u})
        Mp3BreakFrameHeader(&bytes, offsets[index]);

    // The decoder passes the broken frames (and may take a stray sync word
    // inside them for a frame): the count drops, and what is counted is read.
    LogCapture log;
    auto reader = OpenReader(Put("damaged.mp3", bytes));
    EXPECT_LT(reader->GetFileInfo().frameCount, intact - 1152);
    EXPECT_GE(reader->GetFileInfo().frameCount, intact - 3 * 1152);
    std::vector<float> const samples = ReadAll(*reader, 4096);
    EXPECT_EQ(samples.size() / 2, reader->GetFileInfo().frameCount);
    EXPECT_GE(CountLinesWith(log, "# Quorvex Warning 1: Mad recoverable frame level error ("), 3u);
}

TEST_F(Mp3ReaderTest, FramesLostInDecodingAreMadeUpWithSilenceAtTheEnd)
{
    // Frames whose headers are sound but whose side information is not (a
    // big_values count above 288): counted, then dropped by the decoder.
    Mp3Bytes bytes = MakeMp3(Recipe(2, 44100, 128));
    std::vector<size_t> const offsets = Mp3FrameOffsets(bytes, 0);
    for (size_t index : {10u, 11u}) {
        bytes[offsets[index] + 8] = 0xFF;
        bytes[offsets[index] + 9] |= 0x80;
    }
    unsigned long long const frames = Mp3PcmFrameCount(bytes);

    LogCapture log;
    auto reader = OpenReader(Put("lost.mp3", bytes));
    ASSERT_EQ(reader->GetFileInfo().frameCount, frames);
    std::vector<float> const samples = ReadAll(*reader, 1000);
    ASSERT_EQ(samples.size() / 2, frames);
    EXPECT_GE(CountLinesWith(log, "Mad can't decode the current MP3 chunk, pass a zero buffer"), 1u);
    // The last 2 × 1152 frames are the silence that made up the count.
    for (size_t i = (frames - 2 * 1152) * 2; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 0.0f) << i;
}

TEST_F(Mp3ReaderTest, FilesWithoutUsableFirstFrameAreRefusedWith587)
{
    Mp3Recipe recipe = Recipe(2, 44100, 128);
    recipe.infoFrame = true;
    Mp3Bytes const good = MakeMp3(recipe);
    std::vector<size_t> const offsets = Mp3FrameOffsets(good, 0);
    Mp3Bytes const infoOnly(good.begin(), good.begin() + offsets[1]);
    Mp3Bytes junkFirst = good;
    std::memset(junkFirst.data(), 0x20, 4);
    Mp3Bytes brokenFirst = MakeMp3(Recipe(2, 44100, 128));
    Mp3BreakFrameHeader(&brokenFirst, 0);
    Mp3Bytes const tagOnly = MakeId3v2Tag(500, false);

    struct Case {
        char const* name;
        Mp3Bytes bytes;
    };
    Case const cases[] = {
        {"empty file", {}},
        {"tag only", tagOnly},
        {"Info frame only", infoOnly},
        {"junk before the first frame", junkFirst},
        {"first header broken", brokenFirst},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKFilePath const path = Put("refused.mp3", c.bytes);
        QVSoundFileReaderLibMad reader(path);
        LogCapture log;
        EXPECT_EQ(reader.Open(), kQVErrorSoundFileCantInit);
        EXPECT_FALSE(reader.IsOpened());
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0], "# Quorvex Error -587 (kQVErrorSoundFileCantInit): Can't init the MP3 decoder for "
                                  "sound-file \"" +
                                      std::string(path.c_str()) + "\".\n");
    }
}

TEST_F(Mp3ReaderTest, RefusalsOfTheReaderItself)
{
    AKFilePath const path = Put("ok.mp3", MakeMp3(Recipe(1, 44100, 64)));
    std::string const missing = mDir.Path("missing.mp3");
    LogCapture log;

    QVSoundFileReaderLibMad reader(path);
    float block[8];
    unsigned long long count = 4;
    EXPECT_EQ(reader.ReadNextFrames(block, &count), kQVErrorSoundFileNotOpened);
    EXPECT_EQ(count, 0u);
    count = 4;
    EXPECT_EQ(reader.SkipNextFrames(&count), kQVErrorSoundFileNotOpened);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.Open(), kQVErrorSoundFileYetOpened);
    EXPECT_TRUE(reader.IsOpened());
    reader.Close();
    EXPECT_FALSE(reader.IsOpened());
    EXPECT_EQ(reader.GetPosition(), 0u);

    QVSoundFileReaderLibMad absent{AKFilePath(missing)};
    EXPECT_EQ(absent.Open(), kQVErrorSoundFileCantOpen);
    QVSoundFileReaderLibMad unnamed{AKFilePath()};
    EXPECT_EQ(unnamed.Open(), kQVErrorSoundFileCantOpen);

    std::string const p = path.c_str();
    std::vector<std::string> const expected = {
        "# Quorvex Error -589 (kQVErrorSoundFileNotOpened): The sound-file \"" + p + "\" is not opened.\n",
        "# Quorvex Error -589 (kQVErrorSoundFileNotOpened): The sound-file \"" + p + "\" is not opened.\n",
        "# Quorvex Error -588 (kQVErrorSoundFileYetOpened): The sound-file \"" + p + "\" is already opened.\n",
        "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for read) sound-file \"" + missing + "\".\n",
        "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for read) sound-file \"\".\n",
    };
    EXPECT_EQ(log.Lines(), expected);
}

TEST_F(Mp3ReaderTest, RefusedBufferReadsReturnAnError)
{
    auto reader = OpenReader(Put("buffer.mp3", MakeMp3(Recipe(2, 44100, 128))));
    LogCapture log;
    QXSampleInterleaved<float> mono;
    ASSERT_TRUE(mono.AllocateClean(1, 1000, 44100.0));
    QVSampleRange range = kQVSampleRangeAll;
    EXPECT_EQ(reader->ReadNextFrames(&mono, &range), kQVErrorSoundFileCantRead);

    QXSampleInterleaved<float> stereo;
    ASSERT_TRUE(stereo.AllocateClean(2, 1000, 44100.0));
    range = QVSampleRangeMake(0, 0, 1000);
    EXPECT_EQ(reader->ReadNextFrames(&stereo, &range), kQVErrorSoundFileCantRead);
    EXPECT_EQ(reader->GetPosition(), 0u);

    range = QVSampleRangeMake(kQVSampleRangeAllChannels, 200, 500);
    ASSERT_EQ(reader->ReadNextFrames(&stereo, &range), 0);
    EXPECT_EQ(range.firstFrame, 200u);
    EXPECT_EQ(range.frameCount, 500u);
    EXPECT_EQ(reader->GetPosition(), 500u);
}

// --- Description ---

TEST_F(Mp3ReaderTest, DescribesItselfAndItsFile)
{
    EXPECT_EQ(QVSoundFileReaderLibMad::GetRecognizedFileExtensions().Count(), 1u);
    EXPECT_EQ(QVSoundFileReaderLibMad::GetRecognizedFileExtensions()[0], AKString("mp3"));

    Mp3Recipe recipe = Recipe(2, 48000, 128, true);
    recipe.id3v2PayloadSize = 100;
    auto reader = OpenReader(Put("described.mp3", MakeMp3(recipe)));
    EXPECT_EQ(reader->GetName(), AKString("Mad"));
    std::string const raw = reader->GetRawInfo().c_str();
    EXPECT_NE(raw.find("layer:              3 (MPEG layer III)\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("mode:               2 (joint stereo)\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("samplerate:         48000\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("bitrate:            128000\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("block_duration:     0.024\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("block_frame_count:  1152\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("file_data_pos:      110\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("exact_frame_count:  " + std::to_string(reader->GetFileInfo().frameCount) + "\n"),
              std::string::npos)
        << raw;
}

TEST_F(Mp3ReaderTest, FactoryOpensMp3FilesWithThisReader)
{
    Mp3Bytes const bytes = MakeMp3(Recipe(2, 44100, 128));
    AKFilePath const path = Put("factory.MP3", bytes);
    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReader::New(path, true));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetName(), AKString("Mad"));
    EXPECT_TRUE(reader->IsOpened());
    EXPECT_EQ(reader->GetFileInfo().frameCount, Mp3PcmFrameCount(bytes));

    AKStringArray const& extensions = QVSoundFileReader::GetRecognizedFileExtensions();
    EXPECT_TRUE(extensions.Find(AKString("mp3"), nullptr));
}

TEST_F(Mp3ReaderTest, OpensFilesWithNonAsciiNames)
{
    // "Café – été.mp3": engine paths are Mac Roman, the file system's UTF-8.
    std::string const utf8Name = "Caf\xC3\xA9 \xE2\x80\x93 \xC3\xA9t\xC3\xA9.mp3";
    Mp3Bytes const bytes = MakeMp3(Recipe(1, 44100, 64));
    ASSERT_TRUE(WriteMp3File(mDir.Path(utf8Name), bytes));
    AKString const engineText =
        AKStringCopyWithEncoding(AKString(mDir.Path(utf8Name)), kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
    ASSERT_FALSE(engineText.IsEmpty());

    auto reader = OpenReader(AKFilePath(engineText));
    EXPECT_EQ(reader->GetFileInfo().frameCount, Mp3PcmFrameCount(bytes));
}

}  // namespace
