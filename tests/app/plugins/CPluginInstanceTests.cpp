// Engine instances on toolkit plug-ins: state bytes, parameters, the editor,
// and the channel mapping and chunking of a processed block.

#include "AKMemoryBlock.h"
#include "AllocationProbe.h"
#include "CPluginInstance.h"
#include "QVPluginFormat.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <string>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

class GainParameter : public juce::AudioPluginInstance::HostedParameter
{
public:
    explicit GainParameter(juce::String name) : mName(std::move(name)) {}
    float getValue() const override { return mValue; }
    void setValue(float value) override { mValue = value; }
    float getDefaultValue() const override { return 0.5f; }
    juce::String getName(int maximumLength) const override { return mName.substring(0, maximumLength); }
    juce::String getLabel() const override { return {}; }
    float getValueForText(juce::String const& text) const override { return text.getFloatValue(); }
    juce::String getParameterID() const override { return mName; }

private:
    juce::String mName;
    float mValue = 0.5f;
};

// Output channel j is input channel j times 2 plus 100 × j; its bypassed form
// passes the input through. Its state is the text it was last given.
class FakeToolkitPlugin : public juce::AudioPluginInstance
{
public:
    FakeToolkitPlugin(int inputs, int outputs)
        : juce::AudioPluginInstance(BusesProperties()
                                        .withInput("In", juce::AudioChannelSet::canonicalChannelSet(inputs), true)
                                        .withOutput("Out", juce::AudioChannelSet::canonicalChannelSet(outputs), true))
    {
        addHostedParameter(std::make_unique<GainParameter>("Gain"));
        addHostedParameter(std::make_unique<GainParameter>("Mix"));
    }

    void fillInPluginDescription(juce::PluginDescription& desc) const override { desc.name = getName(); }
    juce::String const getName() const override { return "Fake"; }
    void prepareToPlay(double rate, int blockSize) override
    {
        mPreparedRate = rate;
        mPreparedBlock = blockSize;
    }
    void releaseResources() override { mPreparedBlock = 0; }
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&) override
    {
        if (mCalls < kMaxCalls)
            mCallSizes[mCalls++] = buffer.getNumSamples();
        for (int j = 0; j < buffer.getNumChannels(); ++j) {
            float* samples = buffer.getWritePointer(j);
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                samples[i] = samples[i] * 2.0f + 100.0f * static_cast<float>(j);
        }
    }
    void processBlockBypassed(juce::AudioBuffer<float>&, juce::MidiBuffer&) override { ++mBypassedBlocks; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram(int) override {}
    juce::String const getProgramName(int) override { return {}; }
    void changeProgramName(int, juce::String const&) override {}
    void getStateInformation(juce::MemoryBlock& dest) override { dest.append(mState.data(), mState.size()); }
    void setStateInformation(void const* data, int size) override
    {
        mState.assign(static_cast<char const*>(data), static_cast<size_t>(size));
    }

    std::string mState;
    double mPreparedRate = 0.0;
    int mPreparedBlock = 0;
    int mBypassedBlocks = 0;
    // The frame counts of the processed calls, kept without allocating.
    static constexpr int kMaxCalls = 16;
    int mCallSizes[kMaxCalls] = {};
    int mCalls = 0;
};

struct Made {
    CPluginInstance* instance;
    FakeToolkitPlugin* plugin;
};

class CPluginInstanceTest : public testing::Test
{
protected:
    void TearDown() override { delete mInstance; }

    Made Make(unsigned int inputs, unsigned int outputs, unsigned int frames = 64)
    {
        auto* plugin = new FakeToolkitPlugin(static_cast<int>(inputs), static_cast<int>(outputs));
        QVPluginDesc const desc(0x7673743200000001ull, kQVPluginFormatVST, "Fake", "/vst/fake.so", inputs, outputs);
        mInstance = new CPluginInstance(desc, plugin);
        QVAudioInfo info;
        EXPECT_TRUE(info.Setup(2, frames, 44100.4));
        mInstance->PrepareAudioResources(info);
        return {mInstance, plugin};
    }

    juce::ScopedJuceInitialiser_GUI mToolkit;
    CPluginInstance* mInstance = nullptr;
};

// A block whose channel c holds c + 1 in every frame.
void FillBlock(QXSampleBuffer<double>* block, unsigned int channels, unsigned int frames)
{
    ASSERT_TRUE(block->AllocateClean(channels, frames, 44100.0));
    for (unsigned int c = 0; c < channels; ++c)
        for (unsigned int i = 0; i < frames; ++i)
            *block->SamplePtr(c, i) = c + 1.0;
}

TEST_F(CPluginInstanceTest, PreparationRoundsTheRateAndSizesTheBlock)
{
    Made made = Make(2, 2, 256);
    EXPECT_EQ(made.plugin->mPreparedRate, 44100.0);
    EXPECT_EQ(made.plugin->mPreparedBlock, 256);
    made.instance->ReleaseAudioResources();
    EXPECT_EQ(made.plugin->mPreparedBlock, 0);
}

TEST_F(CPluginInstanceTest, ChannelsMapAcrossEffectAndBlockWidths)
{
    struct Case {
        unsigned int inputs, outputs, blockChannels;
        std::vector<double> expected;  // per block channel
    };
    Case const cases[] = {
        {2, 2, 2, {2.0, 104.0}},
        // A mono effect feeds on the left channel; its output fills both.
        {1, 1, 2, {2.0, 2.0}},
        // A stereo effect on a mono block is fed the mono channel twice; its left output is kept.
        {2, 2, 1, {2.0}},
    };
    for (Case const& c : cases) {
        delete mInstance;
        Made made = Make(c.inputs, c.outputs);
        QXSampleBuffer<double> block;
        FillBlock(&block, c.blockChannels, 64);
        made.instance->ApplyRTFilterSelf(&block, false, false);
        for (unsigned int ch = 0; ch < c.blockChannels; ++ch) {
            EXPECT_EQ(*block.SamplePtrConst(ch, 0), c.expected[ch]) << c.inputs << "x" << c.outputs << " ch " << ch;
            EXPECT_EQ(*block.SamplePtrConst(ch, 63), c.expected[ch]);
        }
    }
}

TEST_F(CPluginInstanceTest, BypassedRenderingUsesThePluginsOwnBypassedForm)
{
    Made made = Make(2, 2);
    QXSampleBuffer<double> block;
    FillBlock(&block, 2, 64);
    made.instance->ApplyRTFilterSelf(&block, true, true);
    EXPECT_EQ(made.plugin->mBypassedBlocks, 1);
    EXPECT_EQ(*block.SamplePtrConst(1, 10), 2.0);
}

TEST_F(CPluginInstanceTest, ABlockLongerThanPreparedIsProcessedInChunksOfThePreparedLength)
{
    struct Case {
        unsigned int prepared, frames;
        std::vector<int> calls;
    };
    Case const cases[] = {
        {512, 2048, {512, 512, 512, 512}},
        {512, 1100, {512, 512, 76}},
        {512, 300, {300}},
    };
    for (Case const& c : cases) {
        delete mInstance;
        Made made = Make(1, 1, c.prepared);
        QXSampleBuffer<double> block;
        ASSERT_TRUE(block.AllocateClean(1, c.frames, 44100.0));
        // Quarter steps: exact in float, so the copies both ways lose nothing.
        for (unsigned int i = 0; i < c.frames; ++i)
            *block.SamplePtr(0, i) = 0.25 * i - 100.0;
        {
            AllocationProbe probe;
            made.instance->ApplyRTFilterSelf(&block, false, false);
            EXPECT_EQ(AllocationProbe::Count(), 0u) << c.frames;
        }
        ASSERT_EQ(made.plugin->mCalls, static_cast<int>(c.calls.size())) << c.frames;
        for (size_t k = 0; k < c.calls.size(); ++k)
            EXPECT_EQ(made.plugin->mCallSizes[k], c.calls[k]);
        for (unsigned int i = 0; i < c.frames; ++i)
            ASSERT_EQ(*block.SamplePtrConst(0, i), 2.0 * (0.25 * i - 100.0)) << c.frames << " frame " << i;
    }
}

TEST_F(CPluginInstanceTest, StateBytesGoBothWaysAndAnEmptyStateIsNotSent)
{
    Made made = Make(2, 2);
    AKMemoryBlock state;
    EXPECT_FALSE(made.instance->GetStateInformation(&state));  // the plug-in gives no bytes
    EXPECT_TRUE(state.IsEmpty());

    EXPECT_FALSE(made.instance->SetStateInformation(AKMemoryBlock()));
    EXPECT_TRUE(made.instance->SetStateInformation(AKMemoryBlock("warm\0", 5)));
    EXPECT_EQ(made.plugin->mState, std::string("warm\0", 5));
    ASSERT_TRUE(made.instance->GetStateInformation(&state));
    EXPECT_EQ(state, AKMemoryBlock("warm\0", 5));
}

TEST_F(CPluginInstanceTest, ParametersByIndexAndByName)
{
    Made made = Make(2, 2);
    ASSERT_EQ(made.instance->GetParameterCount(), 2u);
    EXPECT_EQ(made.instance->GetParameterName(1), "Mix");
    EXPECT_EQ(made.instance->GetParameterName(2), "");
    made.instance->SetParameterValue(0u, 0.25);
    EXPECT_EQ(made.instance->GetParameterValue(0u), 0.25);
    EXPECT_EQ(made.instance->GetParameterValue(AKString("Gain")), 0.25);
    made.instance->SetParameterValue(7u, 1.0);  // out of range: nothing
    EXPECT_EQ(made.instance->GetParameterValue(7u), 0.0);
}

TEST_F(CPluginInstanceTest, APluginWithoutEditorGetsAGenericOneNamedAfterTheInstance)
{
    Made made = Make(2, 2);
    std::unique_ptr<juce::AudioProcessorEditor> editor(made.instance->CreatePluginEditorIfNeeded());
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(dynamic_cast<juce::GenericAudioProcessorEditor*>(editor.get()), nullptr);
    EXPECT_EQ(editor->getName(), "VST-Fake");
}

}  // namespace
