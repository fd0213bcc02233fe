// Plug-in instances: identity, the bypass request, parameters by name, and
// the real-time filtering with its bypass crossfade and its tail.

#include "AllocationProbe.h"
#include "LogCapture.h"
#include "PluginTestFixtures.h"
#include "QVAudioResourcePrefs.h"
#include "QVSig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr double kRate = 48000.0;
constexpr unsigned int kChannels = 2;

// Restores the two engine settings the filtering reads.
class PrefsGuard
{
public:
    PrefsGuard(double bornFade, double workMax)
        : mBornFade(QVAudioResourcePrefs::sShared.engineBornFadeDuration),
          mWorkMax(QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration)
    {
        QVAudioResourcePrefs::sShared.engineBornFadeDuration = bornFade;
        QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration = workMax;
    }
    ~PrefsGuard()
    {
        QVAudioResourcePrefs::sShared.engineBornFadeDuration = mBornFade;
        QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration = mWorkMax;
    }

private:
    double mBornFade;
    double mWorkMax;
};

// An effect, blocks of the given size and one working buffer to lend.
class QVPluginInstanceFilterTest : public ::testing::Test
{
protected:
    // The crossfade follows the fade curve tables, built at engine start.
    static void SetUpTestSuite() { ASSERT_EQ(QVSig::InitTables(), 0); }

    void Setup(unsigned long long frames, unsigned int lendable = 1)
    {
        mFrames = frames;
        mInstance = std::make_unique<FakePluginInstance>(FakeDesc(0x76737433000000AAull, "Inverter"));
        mMemory = std::make_unique<FakeWorkingMemory>(lendable, kChannels, frames, kRate);
        mBlock.AllocateClean(kChannels, frames, kRate);
    }

    // The input of a block with sound: a different level on each channel.
    void FillInput()
    {
        for (unsigned int c = 0; c < kChannels; ++c) {
            for (unsigned long long f = 0; f < mFrames; ++f)
                *mBlock.SamplePtr(c, f) = Input(c, f);
        }
    }
    static double Input(unsigned int channel, unsigned long long frame)
    {
        return (channel == 0 ? 0.5 : -0.25) + 0.001 * static_cast<double>(frame % 7);
    }

    bool Run(bool hasSound)
    {
        if (hasSound)
            FillInput();
        return mInstance->ApplyRTFilter(&mBlock, hasSound, *mMemory);
    }

    // What the inverter makes of the input with frames [first, first +
    // count) crossfaded from position a to b (1 processed, 0 dry).
    std::vector<double> Expected(unsigned int channel, unsigned long long first, unsigned long long count, double a,
                                 double b) const
    {
        std::vector<double> processed(mFrames);
        std::vector<double> dry(mFrames);
        for (unsigned long long f = 0; f < mFrames; ++f) {
            dry[f] = Input(channel, f);
            processed[f] = -dry[f];
        }
        if (count > 0)
            QVSig::CopyAddWithXFade(processed.data() + first, dry.data() + first, static_cast<unsigned int>(count), a,
                                    b);
        return processed;
    }

    void ExpectBlock(unsigned long long first, unsigned long long count, double a, double b)
    {
        for (unsigned int c = 0; c < kChannels; ++c) {
            std::vector<double> const expected = Expected(c, first, count, a, b);
            for (unsigned long long f = 0; f < mFrames; ++f)
                ASSERT_EQ(*mBlock.SamplePtrConst(c, f), expected[f]) << "channel " << c << ", frame " << f;
        }
    }

    void ExpectDry()
    {
        for (unsigned int c = 0; c < kChannels; ++c) {
            for (unsigned long long f = 0; f < mFrames; ++f)
                ASSERT_EQ(*mBlock.SamplePtrConst(c, f), Input(c, f)) << "channel " << c << ", frame " << f;
        }
    }

    unsigned long long mFrames = 0;
    std::unique_ptr<FakePluginInstance> mInstance;
    std::unique_ptr<FakeWorkingMemory> mMemory;
    QXSampleBuffer<double> mBlock;
};

TEST(QVPluginInstanceTest, CopiesItsDescriptionAndTakesIncreasingIDs)
{
    FakePluginInstance first(
        QVPluginDesc(0x61756678626C6E6Bull, kQVPluginFormatAudioUnit, "Blink", "aufx,blnk/", 1, 2));
    FakePluginInstance second(FakeDesc(7, "Other"));
    EXPECT_NE(first.GetInstanceID(), kQVNullInstanceID);
    EXPECT_EQ(second.GetInstanceID(), first.GetInstanceID() + 1);
    EXPECT_EQ(first.GetUID(), 0x61756678626C6E6Bull);
    EXPECT_EQ(first.GetFormat(), kQVPluginFormatAudioUnit);
    EXPECT_EQ(first.GetName(), "AU-Blink");
    EXPECT_EQ(first.GetFileID(), "aufx,blnk/");
    EXPECT_EQ(first.GetInputChannelCount(), 1u);
    EXPECT_EQ(first.GetOutputChannelCount(), 2u);
    EXPECT_EQ(first.GetHoldCount(), 0);
    EXPECT_FALSE(first.IsBypassed());
    EXPECT_EQ(first.GetTailDuration(), 0.0);
    EXPECT_EQ(first.GetOwnerDocumentID(), kQVNullDocumentID);
    EXPECT_EQ(first.GetOwnerNodeID(), kAKNullNodeID);
}

TEST(QVPluginInstanceTest, BypassRequestsSetClearOrToggle)
{
    struct Case {
        bool before;
        unsigned int request;
        bool changed;
        bool after;
    };
    Case const cases[] = {
        {false, 0, false, false}, {false, 1, true, true}, {true, 1, false, true}, {true, 0, true, false},
        {false, 2, true, true},   {true, 2, true, false}, {true, 9, true, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " then " << c.request);
        FakePluginInstance instance(FakeDesc(1, "Fx"));
        instance.SetBypassed(c.before ? 1 : 0);
        EXPECT_EQ(instance.SetBypassed(c.request), c.changed);
        EXPECT_EQ(instance.IsBypassed(), c.after);
        EXPECT_FALSE(instance.IsAppliedBypass());  // only a block applies it
    }
}

TEST(QVPluginInstanceTest, InitWithStateRestoresStateAndBypassWithoutTail)
{
    FakePluginInstance instance(FakeDesc(1, "Fx"));
    unsigned char const bytes[] = {1, 2, 3};
    EXPECT_TRUE(instance.InitWithState(AKMemoryBlock(bytes, 3), true));
    EXPECT_EQ(instance.mState, AKMemoryBlock(bytes, 3));
    EXPECT_TRUE(instance.IsBypassed());
    EXPECT_TRUE(instance.IsAppliedBypass());
    EXPECT_EQ(instance.GetTailDuration(), 0.0);
}

TEST(QVPluginInstanceTest, ParametersByNameTakeTheLastOfAName)
{
    FakePluginInstance instance(FakeDesc(1, "Fx"));
    EXPECT_EQ(instance.GetParameterValue(AKString("Gain")), 0.0);  // no parameters yet: nothing mapped

    instance.mParamNames = {"Gain", "Mix", "Gain"};
    instance.mParamValues = {1.0, 2.0, 3.0};
    EXPECT_EQ(instance.GetParameterValue(AKString("Gain")), 3.0);
    EXPECT_EQ(instance.GetParameterValue(AKString("Mix")), 2.0);
    EXPECT_EQ(instance.GetParameterValue(AKString("Unknown")), 0.0);
    instance.SetParameterValue(AKString("Mix"), 5.0);
    instance.SetParameterValue(AKString("Unknown"), 9.0);
    EXPECT_EQ(instance.mParamValues, (std::vector<double>{1.0, 5.0, 3.0}));

    LogCapture capture;
    instance.LogInfoAndParameters();
    std::vector<std::string> const expected = {
        "# Plugin [VST3-Fx] [2|2] has 3 Parameters:\n",
        "[00] Gain                     1.000000\n",
        "[01] Mix                      5.000000\n",
        "[02] Gain                     3.000000\n",
        "# Ok\n\n",
    };
    EXPECT_EQ(capture.Lines(), expected);
}

TEST_F(QVPluginInstanceFilterTest, BypassOnCrossfadesTheLastFramesOfTheNextBlockToDry)
{
    PrefsGuard prefs(0.01, 10.0);
    Setup(512);
    ASSERT_TRUE(Run(true));
    ExpectBlock(0, 0, 0, 0);

    ASSERT_TRUE(mInstance->SetBypassed(1));
    ASSERT_TRUE(Run(true));
    // 0.01 s at 48000 Hz: the last 480 of 512 frames go from processed to dry.
    ExpectBlock(32, 480, 1.0, 0.0);
    EXPECT_FALSE(mInstance->mLastRenderBypassed);  // the block of the change runs normally
    EXPECT_TRUE(mInstance->IsAppliedBypass());
    EXPECT_NEAR(*mBlock.SamplePtrConst(0, 511), Input(0, 511), 0.01);

    int const bypassedBefore = mInstance->mBypassedCount;
    ASSERT_TRUE(Run(true));
    ExpectDry();
    EXPECT_EQ(mInstance->mBypassedCount, bypassedBefore + 1);
    EXPECT_TRUE(mInstance->mLastAppliedBypass);
    EXPECT_EQ(mMemory->mLent, 0u);
}

TEST_F(QVPluginInstanceFilterTest, BypassOffCrossfadesTheFirstFramesFromDry)
{
    PrefsGuard prefs(0.01, 10.0);
    Setup(512);
    mInstance->InitWithState(AKMemoryBlock(), true);
    ASSERT_TRUE(Run(true));
    ExpectDry();

    ASSERT_TRUE(mInstance->SetBypassed(0));
    ASSERT_TRUE(Run(true));
    ExpectBlock(0, 480, 0.0, 1.0);
    EXPECT_TRUE(mInstance->mLastAppliedBypass);  // still in force while the block ran
    EXPECT_FALSE(mInstance->mLastRenderBypassed);
    EXPECT_FALSE(mInstance->IsAppliedBypass());
}

TEST_F(QVPluginInstanceFilterTest, AFadeLongerThanTheBlockCoversTheWholeBlock)
{
    PrefsGuard prefs(0.01, 10.0);
    Setup(256);
    ASSERT_TRUE(Run(true));
    mInstance->SetBypassed(1);
    ASSERT_TRUE(Run(true));
    ExpectBlock(0, 256, 1.0, 0.0);
}

TEST_F(QVPluginInstanceFilterTest, TheRequestIsReadOncePerBlock)
{
    PrefsGuard prefs(0.01, 10.0);
    Setup(512);
    ASSERT_TRUE(Run(true));
    mInstance->SetBypassed(1);
    // The request goes back while the block of the change runs: that block
    // still completes the change it read, and the next one undoes it.
    mInstance->mChangeRequestWhileProcessing = 0;
    ASSERT_TRUE(Run(true));
    ExpectBlock(32, 480, 1.0, 0.0);
    EXPECT_TRUE(mInstance->IsAppliedBypass());
    EXPECT_FALSE(mInstance->IsBypassed());

    ASSERT_TRUE(Run(true));
    ExpectBlock(0, 480, 0.0, 1.0);
    EXPECT_FALSE(mInstance->IsAppliedBypass());
}

TEST_F(QVPluginInstanceFilterTest, AChangeWhileIdleTakesEffectSilently)
{
    PrefsGuard prefs(0.01, 10.0);
    Setup(512);
    mInstance->SetBypassed(1);
    FillInput();
    EXPECT_FALSE(mInstance->ApplyRTFilter(&mBlock, false, *mMemory));
    EXPECT_EQ(mInstance->mProcessCount, 0);
    ExpectDry();  // left as it is
    EXPECT_TRUE(mInstance->IsAppliedBypass());

    ASSERT_TRUE(Run(true));
    ExpectDry();
    EXPECT_TRUE(mInstance->mLastRenderBypassed);
}

TEST_F(QVPluginInstanceFilterTest, TheTailRunsForTheWorkDurationRoundedUpToWholeBlocks)
{
    PrefsGuard prefs(0.01, 1.0);
    Setup(512);
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(mInstance->GetTailDuration(), 1.0);

    // 1 s in blocks of 512 / 48000 s is 93.75 blocks: 94 silent blocks run.
    int const processedBefore = mInstance->mProcessCount;
    int answeredTrue = 0;
    while (Run(false))
        ++answeredTrue;
    EXPECT_EQ(answeredTrue, 93);
    EXPECT_EQ(mInstance->mProcessCount - processedBefore, 94);
    EXPECT_EQ(mInstance->GetTailDuration(), 0.0);
    EXPECT_TRUE(mBlock.IsAlmostZero(kQVSampleRangeAll, 0.0));  // rendered from silence

    // Idle now: nothing runs and the block is left alone.
    FillInput();
    EXPECT_FALSE(mInstance->ApplyRTFilter(&mBlock, false, *mMemory));
    EXPECT_EQ(mInstance->mProcessCount - processedBefore, 94);
    ExpectDry();
}

TEST_F(QVPluginInstanceFilterTest, AnEffectThatKeepsSoundingKeepsItsTailAtTheMaximum)
{
    PrefsGuard prefs(0.01, 1.0);
    Setup(512);
    mInstance->mRingForever = true;
    ASSERT_TRUE(Run(true));
    for (int block = 0; block < 500; ++block) {
        ASSERT_TRUE(Run(false));
        ASSERT_EQ(mInstance->GetTailDuration(), 1.0);
    }

    // Three more ringing blocks, then the countdown starts from the maximum.
    mInstance->mRingForever = false;
    mInstance->mRinging = 3;
    int blocks = 0;
    while (Run(false))
        ++blocks;
    EXPECT_EQ(blocks, 3 + 93);
}

TEST_F(QVPluginInstanceFilterTest, WithoutAWorkingBufferTheBlockIsLeftAlone)
{
    PrefsGuard prefs(0.01, 1.0);
    Setup(512, 0);
    mInstance->SetBypassed(1);
    EXPECT_FALSE(Run(true));
    ExpectDry();
    EXPECT_EQ(mInstance->mProcessCount, 0);
    EXPECT_FALSE(mInstance->IsAppliedBypass());  // still pending
}

TEST_F(QVPluginInstanceFilterTest, FilteringAllocatesNothing)
{
    PrefsGuard prefs(0.01, 1.0);
    Setup(512);
    mInstance->mRinging = 2;
    {
        AllocationProbe probe;
        Run(true);
        mInstance->SetBypassed(1);
        Run(true);
        Run(true);
        mInstance->SetBypassed(2);
        Run(true);
        while (Run(false)) {
        }
        AllocationProbe::Stop();
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_GT(mInstance->mProcessCount, 90);
}

}  // namespace
