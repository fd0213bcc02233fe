// Copies out of a loaded provider, decoded and mapped alike: where the
// source stretch lands in the destination, what is zeroed, what is refused,
// and that the audio thread's copies allocate nothing.

#include "AllocationProbe.h"
#include "ProviderTestSupport.h"
#include "QVProvider.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

using namespace SoundFixtures;

namespace {

constexpr unsigned long long kSoundFrames = 1000;
constexpr float kMarker = 7.0f;  // never a sample of the fixture

class ProviderCopyTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = GetParam();
        SoundRecipe recipe;
        recipe.frames = kSoundFrames;
        ASSERT_TRUE(WriteSoundFile(mFolder.File("s.wav"), recipe));
        mExpected = ReadSoundFile(mFolder.File("s.wav"));
        mProvider = std::make_unique<QVProvider>(EnginePath(mFolder.File("s.wav")));
        ASSERT_EQ(mProvider->GetMode(), GetParam() ? kQVProviderModeMapped : kQVProviderModeDecoded);
        ASSERT_EQ(mProvider->LoadSoundSync(), 0);
    }
    void TearDown() override
    {
        mProvider.reset();
        DrainReleaseQueue();
    }

    float Expected(unsigned long long frame, unsigned int channel) const { return mExpected[frame * 2 + channel]; }

    static void Fill(QXSampleBuffer<double>* buffer, double value)
    {
        for (unsigned int c = 0; c < buffer->ChannelCount(); ++c)
            for (unsigned long long f = 0; f < buffer->FrameCount(); ++f)
                *buffer->SamplePtr(c, f) = value;
    }

    ProviderTestServices mServices;
    ScopedAudioPrefs mPrefs;
    TempFolder mFolder;
    std::vector<float> mExpected;
    std::unique_ptr<QVProvider> mProvider;
};

struct CopyCase {
    long long position;
    bool result;
    unsigned long long copied;
    unsigned long long offset;  // where the first copied frame lands
};

// A 512-frame destination over the 1000-frame sound: the copied stretch
// lands at its place and every other destination frame is zero; with
// nothing to copy the destination is zeroed only when asked.
TEST_P(ProviderCopyTest, SourceStretchLandsAtItsPlace)
{
    for (CopyCase const& c : {CopyCase{-100, true, 412, 100}, CopyCase{900, true, 100, 0}, CopyCase{0, true, 512, 0},
                              CopyCase{488, true, 512, 0}, CopyCase{-511, true, 1, 511}, CopyCase{999, true, 1, 0},
                              CopyCase{1000, false, 0, 0}, CopyCase{-512, false, 0, 0}}) {
        for (bool zero : {false, true}) {
            QXSampleBuffer<double> buffer;
            ASSERT_TRUE(buffer.AllocateClean(2, 512, 44100.0));
            Fill(&buffer, kMarker);
            unsigned long long copied = 12345;
            EXPECT_EQ(mProvider->CopySampleBuffer(&buffer, -1, -1, c.position, zero, &copied), c.result) << c.position;
            EXPECT_EQ(copied, c.copied) << c.position;
            for (unsigned int ch = 0; ch < 2; ++ch) {
                for (unsigned long long f = 0; f < 512; ++f) {
                    double want;
                    if (!c.result)
                        want = zero ? 0.0 : kMarker;
                    else if (f >= c.offset && f < c.offset + c.copied)
                        want = Expected(static_cast<unsigned long long>(c.position + static_cast<long long>(f)), ch);
                    else
                        want = 0.0;
                    ASSERT_EQ(*buffer.SamplePtrConst(ch, f), want) << c.position << " ch" << ch << " f" << f;
                }
            }
        }
    }
}

// One channel into one channel; a channel out of range is refused, and the
// destination is zeroed only when asked.
TEST_P(ProviderCopyTest, ChannelsAndRefusals)
{
    QXSampleBuffer<float> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 64, 44100.0));
    ASSERT_TRUE(mProvider->CopySampleBuffer(&buffer, 0, 1, 10, false, nullptr));
    for (unsigned long long f = 0; f < 64; ++f) {
        ASSERT_EQ(*buffer.SamplePtrConst(0, f), Expected(10 + f, 1));
        ASSERT_EQ(*buffer.SamplePtrConst(1, f), 0.0f);
    }
    struct Refusal {
        int destinationChannel;
        int sourceChannel;
    };
    for (Refusal const& r : {Refusal{2, -1}, Refusal{-1, 2}, Refusal{-2, 0}, Refusal{0, -3}}) {
        for (bool zero : {false, true}) {
            *buffer.SamplePtr(1, 5) = kMarker;
            unsigned long long copied = 77;
            EXPECT_FALSE(mProvider->CopySampleBuffer(&buffer, r.destinationChannel, r.sourceChannel, 0, zero, &copied));
            EXPECT_EQ(copied, 77u);  // a refusal leaves the count alone
            EXPECT_EQ(*buffer.SamplePtrConst(1, 5), zero ? 0.0f : kMarker);
        }
    }
}

struct RawCase {
    unsigned long long count;
    unsigned long long first;
    bool result;
    unsigned long long copied;
};

// Interleaved copies: the frames that exist, then zeros up to the count
// wanted; a first frame beyond the sound is refused.
TEST_P(ProviderCopyTest, RawInterleavedCopies)
{
    for (RawCase const& c : {RawCase{100, 950, true, 50}, RawCase{100, 0, true, 100}, RawCase{0, 5000, true, 0},
                             RawCase{10, 1000, true, 0}, RawCase{10, 1001, false, 0}}) {
        std::vector<double> out(c.count * 2 + 1, kMarker);
        unsigned long long count = c.count;
        EXPECT_EQ(mProvider->CopyRawInterleavedSampleBuffer(out.data(), &count, c.first), c.result) << c.first;
        EXPECT_EQ(count, c.copied) << c.first;
        if (!c.result)
            continue;
        for (unsigned long long i = 0; i < c.count * 2; ++i) {
            double const want = i < c.copied * 2 ? Expected(c.first + i / 2, i % 2) : 0.0;
            ASSERT_EQ(out[i], want) << c.first << " " << i;
        }
        EXPECT_EQ(out[c.count * 2], kMarker);  // nothing written past the count
    }
}

// The mixing path's copy runs on the audio thread: no allocation.
TEST_P(ProviderCopyTest, CopiesAllocateNothing)
{
    QXSampleBuffer<double> block;
    ASSERT_TRUE(block.AllocateClean(2, 512, 44100.0));
    QXSampleBuffer<float> display;
    ASSERT_TRUE(display.AllocateClean(1, 256, 44100.0));
    std::vector<float> raw(2 * 300);
    AllocationProbe probe;
    for (long long position : {-300ll, 0ll, 700ll, 2000ll}) {
        mProvider->CopySampleBuffer(&block, -1, -1, position, true, nullptr);
        mProvider->CopySampleBuffer(&display, 0, 1, position, false, nullptr);
        unsigned long long count = 300;
        mProvider->CopyRawInterleavedSampleBuffer(raw.data(), &count, 800);
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, ProviderCopyTest, ::testing::Values(false, true),
                         [](::testing::TestParamInfo<bool> const& info) {
                             return std::string(info.param ? "Mapped" : "Decoded");
                         });

}  // namespace
