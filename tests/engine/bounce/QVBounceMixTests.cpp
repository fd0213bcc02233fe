// Bounces rendered by the real audio source: a bounced file equals, sample
// for sample, the blocks of a direct pull of the same sequence, and eight
// stereo tracks at gain 1 and pan 0 bounce to the sum that sox mixes from
// the same files, within one step of 16 bits away from the zone fades.

#include "AKTreeActionParam.h"
#include "BounceFixtures.h"
#include "QVBounceMgr.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace BounceFixtures;
using namespace SoundFixtures;

namespace {

constexpr int kRate = 44100;
constexpr unsigned long long kFrames = 88200;  // 2 s

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

// Stereo 16-bit sounds of quiet sines, a different pitch and phase per file
// and channel, so that eight of them add up without clipping.
std::vector<std::string> WriteQuietSounds(TempFolder const& folder, unsigned int count)
{
    std::vector<std::string> paths;
    for (unsigned int n = 0; n < count; ++n) {
        std::string const path = folder.File("quiet" + std::to_string(n) + ".wav");
        SF_INFO info = {};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* const file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr);
        std::vector<short> samples(kFrames * 2);
        for (unsigned long long f = 0; f < kFrames; ++f)
            for (unsigned int c = 0; c < 2; ++c) {
                double const pitch = 110.0 * (n + 1) + 37.0 * c;
                samples[f * 2 + c] = static_cast<short>(
                    std::lrint(3000.0 * std::sin(2.0 * M_PI * pitch * static_cast<double>(f) / kRate + n + c)));
            }
        sf_writef_short(file, samples.data(), static_cast<sf_count_t>(kFrames));
        sf_close(file);
        paths.push_back(path);
    }
    return paths;
}

QVBounceParam Param(char const* pcm, double duration)
{
    QVBounceParam param;
    param.soundFormat = QVAudioFormatFromAKString(AKString("wav"));
    param.pcmInfo = QVAudioPCMInfoFromAKString(AKString(pcm));
    param.channelCount = 2;
    param.sampleRate = kRate;
    param.duration = duration;
    return param;
}

// The sequence of the store pasted into a new private document, given a
// player, started and pulled block by block as the bounce pulls it.
std::vector<float> DirectPull(AKTreeSelCache const& store, unsigned long long frames)
{
    std::vector<float> pulled;
    auto* const document = new QVDocument(1, kQVDocumentFlagPrivate);
    EXPECT_EQ(document->OnDocumentNew(AKString("direct"), 0, false), 0);
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document);
    AKTreeActionParam action(document->GetTree());
    EXPECT_EQ(handler->DoPasteFromPasteboard(action, &store, AKString()), 0);
    auto* const sequence = static_cast<QVObjectSequence*>(action.GetResultTreeSel().GetObjects()[0]);
    document->SynchronizeAllAndNotifyGandlerListeners();
    handler->DoEasyStart(QVCommandInfo(8262, AKString("Add Player To Sequence")), nullptr);
    QVObjectPlayable* player = nullptr;
    EXPECT_EQ(handler->DoEasyNewCursor(&player, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren), 0);
    handler->DoEasyEnd();
    document->SynchronizeAllAndNotifyGandlerListeners();
    sequence->SetUserPlay(0);
    sequence->SetUserPlay(1);
    QVDocumentAudioSource* const source = document->GetAudioSource();
    QVAudioInfo format;
    format.Setup(2, kQVBounceBlockFrames, kRate);
    source->PrepareAudioResources(format);
    source->SynchronizeWithDoc(true);
    source->ForceUpdatePoolsRTState();
    while (pulled.size() < frames * 2) {
        QXSampleBuffer<double>* const block = source->GetNextAudioBlock(kQVBounceBlockFrames);
        EXPECT_NE(block, nullptr);
        if (block == nullptr)
            break;
        for (unsigned long long f = 0; f < block->FrameCount() && pulled.size() < frames * 2; ++f)
            for (unsigned int c = 0; c < 2; ++c)
                pulled.push_back(static_cast<float>(*block->SamplePtrConst(c, f)));
    }
    source->ReleaseAudioResources();
    delete document;
    return pulled;
}

TEST(QVBounceMix, ABouncedFileEqualsADirectPullOfTheSequence)
{
    TempFolder folder;
    Scene scene(WriteQuietSounds(folder, 3), true);
    std::string const path = folder.File("bounce.wav");
    ASSERT_EQ(QVBounceMgr::sShared.LaunchBounce(kQVBounceModeSync, scene.Store(), EnginePath(path), Param("32F", 1.5)),
              0);
    SF_INFO info = {};
    std::vector<float> const bounced = ReadSoundFile(path, &info);
    ASSERT_EQ(info.frames, 66150);
    std::vector<float> const pulled = DirectPull(scene.Store(), 66150);
    ASSERT_EQ(pulled.size(), bounced.size());
    double peak = 0.0;
    for (size_t i = 0; i < bounced.size(); ++i) {
        ASSERT_EQ(bounced[i], pulled[i]) << "sample " << i;
        peak = std::max(peak, std::fabs(static_cast<double>(bounced[i])));
    }
    EXPECT_GT(peak, 0.1);  // something was rendered
}

TEST(QVBounceMix, EightTracksAtUnitGainBounceToTheSumSoxMixes)
{
    TempFolder folder;
    std::vector<std::string> const sounds = WriteQuietSounds(folder, 8);
    Scene scene(sounds, true);
    for (QVObjectTrack* track : scene.Sequence()->GetFLSubTracks())
        ASSERT_EQ(track->GetUserTrackGain(), 1.0);
    std::string const bounced = folder.File("bounce.wav");
    ASSERT_EQ(
        QVBounceMgr::sShared.LaunchBounce(kQVBounceModeSync, scene.Store(), EnginePath(bounced), Param("16", 2.0)), 0);

    std::string const mixed = folder.File("sox.wav");
    std::string command = "sox -D -m";
    for (std::string const& sound : sounds)
        command += " -v1 '" + sound + "'";
    command += " -b 16 '" + mixed + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    SF_INFO bounceInfo = {};
    SF_INFO soxInfo = {};
    std::vector<float> const ours = ReadSoundFile(bounced, &bounceInfo);
    std::vector<float> const theirs = ReadSoundFile(mixed, &soxInfo);
    ASSERT_EQ(bounceInfo.frames, static_cast<sf_count_t>(kFrames));
    ASSERT_EQ(soxInfo.frames, static_cast<sf_count_t>(kFrames));

    // The zones fade in at the start and out at the end of the sounds.
    QVPrefs const& prefs = QVPrefs::sShared;
    double const fade = std::max({prefs.GetEngineZoneFadeDuration(), prefs.GetEngineBornFadeDuration(),
                                  prefs.GetEngineOlapsysFadeDuration(), prefs.GetEngineSpanFadeDuration()});
    unsigned long long const margin = static_cast<unsigned long long>(std::ceil(fade * kRate)) + kQVBounceBlockFrames;
    double const lsb = 1.0 / 32768.0;
    double worst = 0.0;
    for (unsigned long long f = margin; f + margin < kFrames; ++f)
        for (unsigned int c = 0; c < 2; ++c)
            worst = std::max(worst, std::fabs(static_cast<double>(ours[f * 2 + c]) - theirs[f * 2 + c]));
    EXPECT_LE(worst, lsb * 1.0000001) << "largest difference " << worst / lsb << " steps";
}

}  // namespace
