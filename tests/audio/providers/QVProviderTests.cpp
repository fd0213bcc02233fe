// Sound providers: loading every kind of fixture decoded and mapped, the
// loading states and their failures, files whose length differs from their
// header, the copies' edge cases and the deferred release of samples.

#include "AKFileUtils.h"
#include "AKStatus.h"
#include "LogCapture.h"
#include "Mp3Fixtures.h"
#include "ProviderTestSupport.h"
#include "QVProvider.h"
#include "QVProviderReaderFactory.h"
#include "QVSoundFileReader.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

bool HasLine(LogCapture const& log, std::string const& part)
{
    for (std::string const& line : log.Lines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

// Every frame of a loaded provider, interleaved, through CopySampleBuffer.
std::vector<float> CopyAll(QVProvider const& provider)
{
    QVProviderSound const* sound = provider.GetSound();
    EXPECT_NE(sound, nullptr);
    if (sound == nullptr)
        return {};
    QXSampleBuffer<float> buffer;
    EXPECT_TRUE(buffer.AllocateClean(sound->channelCount, sound->frameCount, 44100.0));
    unsigned long long copied = 0;
    EXPECT_TRUE(provider.CopySampleBuffer(&buffer, -1, -1, 0, true, &copied));
    EXPECT_EQ(copied, sound->frameCount);
    std::vector<float> frames(sound->channelCount * sound->frameCount);
    for (unsigned long long f = 0; f < sound->frameCount; ++f)
        for (unsigned int c = 0; c < sound->channelCount; ++c)
            frames[f * sound->channelCount + c] = *buffer.SamplePtrConst(c, f);
    return frames;
}

bool BitIdentical(std::vector<float> const& a, std::vector<float> const& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

struct FixtureCase {
    char const* label;
    char const* extension;
    int format;
    unsigned int channels;
    bool mappable;
};

class ProviderFixtureTest : public ::testing::TestWithParam<FixtureCase>
{
protected:
    ProviderTestServices mServices;
    ScopedAudioPrefs mPrefs;
};

// Decoded and mapped loads deliver exactly libsndfile's float samples, and
// the mapping is used only for raw PCM files.
TEST_P(ProviderFixtureTest, LoadsBitIdenticalInBothModes)
{
    FixtureCase const& c = GetParam();
    TempFolder folder;
    std::string const path = folder.File(std::string(c.label) + c.extension);
    SoundRecipe recipe;
    recipe.format = c.format;
    recipe.channels = c.channels;
    recipe.frames = 3001;
    ASSERT_TRUE(WriteSoundFile(path, recipe));
    std::vector<float> const expected = ReadSoundFile(path);

    mServices.waveform = true;
    for (bool mapping : {false, true}) {
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = mapping;
        // Small blocks: the load takes several steps.
        QVAudioResourcePrefs::sShared.providerReadBlockSizeMB = 1;
        QVProvider provider(EnginePath(path));
        unsigned int const wantedMode = mapping && c.mappable ? kQVProviderModeMapped : kQVProviderModeDecoded;
        EXPECT_EQ(provider.GetMode(), wantedMode) << c.label;
        ASSERT_EQ(provider.LoadSoundSync(), 0) << c.label;
        EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
        EXPECT_EQ(provider.GetError(), kQVProviderErrorNone);
        EXPECT_TRUE(provider.IsSoundDataCompletelyAvailable());
        ASSERT_NE(provider.GetEnvelope(), nullptr);
        EXPECT_EQ(provider.GetEnvelope()->FrameCount(), recipe.frames);
        EXPECT_TRUE(BitIdentical(CopyAll(provider), expected)) << c.label << (mapping ? " mapped" : " decoded");

        std::vector<float> raw(expected.size());
        unsigned long long count = recipe.frames;
        EXPECT_TRUE(provider.CopyRawInterleavedSampleBuffer(raw.data(), &count, 0));
        EXPECT_EQ(count, recipe.frames);
        EXPECT_TRUE(BitIdentical(raw, expected)) << c.label;
    }
    DrainReleaseQueue();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ProviderFixtureTest,
                         ::testing::Values(FixtureCase{"wav16", ".wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, true},
                                           FixtureCase{"wav24", ".wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 3, true},
                                           FixtureCase{"wav32", ".wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, true},
                                           FixtureCase{"wavu8", ".wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, true},
                                           FixtureCase{"wavfloat", ".wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, true},
                                           FixtureCase{"wavdouble", ".wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2, true},
                                           FixtureCase{"aiff16", ".aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, true},
                                           FixtureCase{"aiff24", ".aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, true},
                                           FixtureCase{"flac16", ".flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, false}),
                         [](::testing::TestParamInfo<FixtureCase> const& info) {
                             return std::string(info.param.label);
                         });

// An MP3 file is always decoded, to the MP3 reader's own samples.
TEST(ProviderTest, Mp3IsDecodedEvenWithMapping)
{
    ProviderTestServices services;
    ScopedAudioPrefs prefs;
    TempFolder folder;
    std::string const path = folder.File("tone.mp3");
    Mp3Recipe recipe;
    recipe.frames = 5000;
    ASSERT_TRUE(WriteMp3File(path, MakeMp3(recipe)));

    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReader::New(EnginePath(path), true));
    ASSERT_NE(reader, nullptr);
    unsigned int const channels = reader->GetFileInfo().channelCount;
    std::vector<float> expected(reader->GetFileInfo().frameCount * channels);
    unsigned long long count = reader->GetFileInfo().frameCount;
    ASSERT_EQ(reader->ReadNextFrames(expected.data(), &count), 0);

    QVProvider provider(EnginePath(path));
    EXPECT_EQ(provider.GetMode(), kQVProviderModeDecoded);
    ASSERT_EQ(provider.LoadSoundSync(), 0);
    EXPECT_TRUE(BitIdentical(CopyAll(provider), expected));
    EXPECT_EQ(provider.GetReaderName(), AKString("Mad"));
    DrainReleaseQueue();
}

TEST(ProviderTest, MissingAndUnusableFilesEndDoneWithTheirError)
{
    ProviderTestServices services;
    TempFolder folder;
    LogCapture log;
    {
        QVProvider provider(EnginePath(folder.File("gone.wav")));
        EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
        EXPECT_EQ(provider.GetError(), kQVProviderErrorNotFound);
        EXPECT_EQ(provider.GetMode(), kQVProviderModeNone);
        EXPECT_FALSE(provider.GetFileInfo().IsValid());
        EXPECT_EQ(provider.GetInfoString(), AKString("(Unknown Format)"));
        EXPECT_EQ(provider.GetNameAndInfoString(), AKString("gone / (Unknown Format)"));
        EXPECT_EQ(provider.Reinit(EnginePath(folder.File("gone.wav"))), kQVErrorProviderSoundFileNotFound);
        EXPECT_EQ(provider.LowLoadStart(), kQVErrorProviderInternalBadState);
        EXPECT_EQ(provider.LoadingProgress(), 0.0);
    }
    EXPECT_TRUE(HasLine(log, "Can't build provider with not found sound file"));

    WriteBytes(folder.File("noise.wav"), std::vector<unsigned char>(300, 0x5A));
    QVProvider unusable(EnginePath(folder.File("noise.wav")));
    EXPECT_EQ(unusable.GetError(), kQVProviderErrorUnusable);
    EXPECT_EQ(unusable.Reinit(EnginePath(folder.File("noise.wav"))), kQVErrorProviderSoundFileUnknownFormat);
}

// Block sizes follow the preference and the channel count; the states move
// 0 -> 1 -> 2 -> 3 with one step per block, and a step out of turn is refused.
TEST(ProviderTest, LoadingStepsAndStates)
{
    ProviderTestServices services;
    ScopedAudioPrefs prefs;
    QVAudioResourcePrefs::sShared.providerUseMemoryMapping = false;
    TempFolder folder;
    SoundRecipe stereo;
    stereo.frames = 44100;
    ASSERT_TRUE(WriteSoundFile(folder.File("stereo.wav"), stereo));
    SoundRecipe three;
    three.channels = 3;
    three.frames = 10;
    ASSERT_TRUE(WriteSoundFile(folder.File("three.wav"), three));

    QVProvider provider(EnginePath(folder.File("stereo.wav")));
    EXPECT_EQ(provider.GetState(), kQVProviderStateIdle);
    EXPECT_EQ(provider.LowLoadNext(), kQVErrorProviderInternalBadState);
    ASSERT_EQ(provider.LowLoadStart(), 0);
    EXPECT_EQ(provider.GetBlockFrames(), 1048576u);
    EXPECT_EQ(provider.GetState(), kQVProviderStateLoading);
    EXPECT_EQ(provider.LowLoadStart(), kQVErrorProviderInternalBadState);
    EXPECT_FALSE(provider.IsSoundDataCompletelyAvailable());
    ASSERT_EQ(provider.LowLoadNext(), 0);
    EXPECT_EQ(provider.GetState(), kQVProviderStateLoading);
    EXPECT_EQ(provider.LoadingFrameCount(), 44100u);
    EXPECT_EQ(provider.LoadingProgress(), 1.0);
    ASSERT_EQ(provider.LowLoadNext(), 0);
    EXPECT_EQ(provider.GetState(), kQVProviderStateLoaded);
    provider.LowLoadEnd();
    EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
    EXPECT_EQ(provider.GetUsedMemory(), 2u * 44100u * sizeof(float));
    EXPECT_EQ(provider.LoadSoundSync(), 0);  // done already: nothing

    QVProvider threeChannels(EnginePath(folder.File("three.wav")));
    ASSERT_EQ(threeChannels.LowLoadStart(), 0);
    EXPECT_EQ(threeChannels.GetBlockFrames(), 699050u);
    DrainReleaseQueue();
}

TEST(ProviderTest, ColoursFollowTheID)
{
    AKString name;
    EXPECT_EQ(QVProviderGetUIDataColor(1, &name), AGColor::FromRGBA(0, 128, 0));
    EXPECT_EQ(name, AKString("Green"));
    EXPECT_EQ(QVProviderGetUIDataColor(6, &name), AGColor::FromRGBA(64, 0, 128));
    EXPECT_EQ(name, AKString("Violet"));
    EXPECT_EQ(QVProviderGetUIDataColor(9, &name), kAGColorBlack);
    EXPECT_TRUE(name.IsEmpty());

    QVProvider::SetNextIDForTesting(8);
    QVProvider eighth(AKFilePath("/nowhere/x.wav"));
    EXPECT_EQ(eighth.GetID(), 8u);
    EXPECT_EQ(eighth.GetColor(), AGColor::FromRGBA(128, 0, 0));
    QVProvider ninth(AKFilePath("/nowhere/y.wav"));
    EXPECT_EQ(ninth.GetID(), 9u);
    EXPECT_EQ(ninth.GetColor(), AGColor::FromRGBA(0, 128, 0));
}

// A reader standing in for files whose real length differs from the header.
class LyingReader final : public QVSoundFileReader
{
public:
    static long long sSurplus;  // frames delivered beyond (or, negative, short of) the info

    explicit LyingReader(AKFilePath const& path) : QVSoundFileReader("Lying", path) {}
    ~LyingReader() override { Close(); }

    static QVSoundFileReader* Make(AKFilePath const& path)
    {
        auto* reader = new LyingReader(path);
        reader->Open();
        return reader;
    }

    bool IsOpened() const override { return mOpened; }
    int Open() override
    {
        mOpened = QVSoundFileReader::ReadSoundInfo(mPath, &mFileInfo, nullptr, nullptr) == 0;
        mAvailable = static_cast<unsigned long long>(static_cast<long long>(mFileInfo.frameCount) + sSurplus);
        return mOpened ? 0 : kQVErrorProviderInternalError;
    }
    void Close() override { mOpened = false; }
    int ReadNextFrames(float* frames, unsigned long long* count) const override
    {
        unsigned long long const n = std::min(*count, mAvailable - mPosition);
        std::fill(frames, frames + n * mFileInfo.channelCount, 0.25f);
        mPosition += n;
        *count = n;
        return 0;
    }
    int SkipNextFrames(unsigned long long* count) const override
    {
        *count = 0;
        return 0;
    }

private:
    bool mOpened = false;
    unsigned long long mAvailable = 0;
};

long long LyingReader::sSurplus = 0;

TEST(ProviderTest, ShorterAndLongerFilesWarnAndKeepTheAnnouncedLength)
{
    ProviderTestServices services;
    ScopedAudioPrefs prefs;
    QVAudioResourcePrefs::sShared.providerUseMemoryMapping = false;
    TempFolder folder;
    SoundRecipe recipe;
    recipe.frames = 1000;
    ASSERT_TRUE(WriteSoundFile(folder.File("a.wav"), recipe));
    QVProviderReaderFactory::SetMakerForTesting(LyingReader::Make);

    struct Case {
        long long surplus;
        int warning;
        char const* text;
        int steps;  // LowLoadNext calls until state 2
    };
    for (Case const& c : {Case{-1000, kQVWarningProviderSoundDurationLower, "(-1000 frames)", 11},
                          Case{-400, kQVWarningProviderSoundDurationLower, "(-400 frames)", 12},
                          Case{+70, kQVWarningProviderSoundDurationGreater, "(+70 frames)", 2}}) {
        LyingReader::sSurplus = c.surplus;
        LogCapture log;
        QVProvider provider(EnginePath(folder.File("a.wav")));
        ASSERT_EQ(provider.LowLoadStart(), 0);
        int steps = 0;
        while (provider.GetState() == kQVProviderStateLoading && steps < 50) {
            ASSERT_EQ(provider.LowLoadNext(), 0);
            ++steps;
        }
        EXPECT_EQ(steps, c.steps) << c.surplus;
        EXPECT_EQ(provider.GetError(), kQVProviderErrorNone);
        EXPECT_TRUE(HasLine(log, std::to_string(c.warning))) << c.surplus;
        EXPECT_TRUE(HasLine(log, c.text)) << c.surplus;
        provider.LowLoadEnd();
        EXPECT_EQ(provider.LoadingFrameCount(), 1000u);
        // What was delivered is there; the frames never read stay silent.
        std::vector<float> const all = CopyAll(provider);
        unsigned long long const delivered = std::min<long long>(1000, 1000 + c.surplus);
        for (unsigned long long f = 0; f < 1000; ++f)
            ASSERT_EQ(all[f * 2], f < delivered ? 0.25f : 0.0f) << f;
    }
    QVProviderReaderFactory::SetMakerForTesting(nullptr);
    DrainReleaseQueue();
}

// A file that shrank after its info was read is never read past the end of
// its mapping: the load decodes what is left instead.
TEST(ProviderTest, FileShrunkSinceRegistrationIsDecodedNotOverread)
{
    ProviderTestServices services;
    ScopedAudioPrefs prefs;
    TempFolder folder;
    std::string const path = folder.File("shrinks.wav");
    SoundRecipe recipe;
    recipe.frames = 200000;
    ASSERT_TRUE(WriteSoundFile(path, recipe));

    QVProvider provider(EnginePath(path));
    ASSERT_EQ(provider.GetMode(), kQVProviderModeMapped);
    TruncateFile(path, 44 + 4 * 1000);  // 1000 frames left
    LogCapture log;
    ASSERT_EQ(provider.LoadSoundSync(), 0);
    EXPECT_EQ(provider.GetMode(), kQVProviderModeDecoded);
    EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
    EXPECT_TRUE(HasLine(log, std::to_string(kQVWarningProviderSoundDurationLower)));
    QXSampleBuffer<double> tail;
    ASSERT_TRUE(tail.AllocateClean(2, 512, 44100.0));
    EXPECT_TRUE(provider.CopySampleBuffer(&tail, -1, -1, 199000, false, nullptr));
    EXPECT_TRUE(tail.IsAlmostZero(kQVSampleRangeAll, 0.0));
    DrainReleaseQueue();
}

// An empty sound loads empty, with or without an envelope, in either mode.
TEST(ProviderTest, ZeroFrameSoundLoadsEmpty)
{
    ProviderTestServices services;
    services.waveform = true;
    ScopedAudioPrefs prefs;
    TempFolder folder;
    SoundRecipe recipe;
    recipe.frames = 0;
    ASSERT_TRUE(WriteSoundFile(folder.File("empty.wav"), recipe));
    for (bool mapping : {false, true}) {
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = mapping;
        LogCapture log;
        QVProvider provider(EnginePath(folder.File("empty.wav")));
        ASSERT_TRUE(provider.GetFileInfo().IsValid());
        EXPECT_EQ(provider.LoadSoundSync(), 0);
        EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
        EXPECT_EQ(provider.GetError(), kQVProviderErrorNone);
        EXPECT_TRUE(log.Lines().empty()) << log.Lines().front();
        QXSampleBuffer<float> buffer;
        ASSERT_TRUE(buffer.AllocateClean(2, 16, 44100.0));
        unsigned long long copied = 99;
        EXPECT_FALSE(provider.CopySampleBuffer(&buffer, -1, -1, 0, true, &copied));
        EXPECT_EQ(copied, 0u);
    }
    DrainReleaseQueue();
}

// Re-pointing a provider takes its sound away from readers at once, but the
// memory stays valid until the release queue has seen its idle passes.
TEST(ProviderTest, ReinitDefersTheReleaseOfTheOldSound)
{
    ProviderTestServices services;
    TempFolder folder;
    SoundRecipe recipe;
    ASSERT_TRUE(WriteSoundFile(folder.File("a.wav"), recipe));
    recipe.signal = Signal::Sine;
    ASSERT_TRUE(WriteSoundFile(folder.File("b.wav"), recipe));
    DrainReleaseQueue();

    QVProvider provider(EnginePath(folder.File("a.wav")));
    ASSERT_EQ(provider.LoadSoundSync(), 0);
    QVProviderSound const* old = provider.GetSound();
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(provider.Reinit(EnginePath(folder.File("b.wav"))), 0);
    EXPECT_EQ(provider.GetSound(), nullptr);
    EXPECT_EQ(provider.GetState(), kQVProviderStateIdle);
    EXPECT_EQ(QVProviderReleaseQueue::sShared.Count(), 1u);
    // A reader that loaded the pointer before may still finish its block.
    EXPECT_EQ(old->frameCount, recipe.frames);
    for (int pass = 1; pass < QVProviderReleaseQueue::kReleasePassCount; ++pass) {
        AKIdlingCenter::sShared.DoGlobalIdling();
        EXPECT_EQ(QVProviderReleaseQueue::sShared.Count(), 1u) << pass;
    }
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(QVProviderReleaseQueue::sShared.Count(), 0u);

    QXSampleBuffer<float> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 8, 44100.0));
    EXPECT_FALSE(provider.CopySampleBuffer(&buffer, -1, -1, 0, true, nullptr));  // idle: refused
    ASSERT_EQ(provider.LoadSoundSync(), 0);
    EXPECT_TRUE(BitIdentical(CopyAll(provider), ReadSoundFile(folder.File("b.wav"))));
    DrainReleaseQueue();
}

TEST(ProviderTest, FailedReadEndsWithEverythingReleasedLater)
{
    ProviderTestServices services;
    ScopedAudioPrefs prefs;
    QVAudioResourcePrefs::sShared.providerUseMemoryMapping = false;
    QVAudioResourcePrefs::sShared.providerSoundMaxSizeMB = 1;
    TempFolder folder;
    SoundRecipe recipe;
    recipe.frames = 300000;  // 1.2 MB of floats per channel
    ASSERT_TRUE(WriteSoundFile(folder.File("big.wav"), recipe));
    LogCapture log;
    QVProvider provider(EnginePath(folder.File("big.wav")));
    EXPECT_EQ(provider.LowLoadStart(), kQVErrorProviderSoundFileTooBig);
    EXPECT_EQ(provider.GetState(), kQVProviderStateDone);
    EXPECT_EQ(provider.GetError(), kQVProviderErrorUnusable);
    EXPECT_EQ(provider.GetSound(), nullptr);
    EXPECT_TRUE(HasLine(log, "Can't build provider with biggest sound file"));
}

}  // namespace
