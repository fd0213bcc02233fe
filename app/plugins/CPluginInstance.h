#pragma once

// CPluginInstance: the engine's plug-in instance on a toolkit-hosted plug-in.
// It owns the toolkit plug-in and converts between the engine's planar
// double blocks and the toolkit's float buffers: every buffer the audio
// thread uses is sized by PrepareAudioResources, so a processed block
// allocates nothing.

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

#include "QVPluginInstance.h"

class CPluginInstance : public QVPluginInstance
{
public:
    // Takes ownership of the toolkit plug-in.
    CPluginInstance(QVPluginDesc const& desc, juce::AudioPluginInstance* plugin);
    ~CPluginInstance() override;

    // An empty block changes nothing and answers false.
    bool SetStateInformation(AKMemoryBlock const& state) override;
    // False, with the block emptied, when the plug-in gives no bytes.
    bool GetStateInformation(AKMemoryBlock* state) const override;
    // Work buffer of max(inputs, outputs) channels by the frame count, then
    // the plug-in's preparation at the rate rounded to an integer.
    void PrepareAudioResources(QVAudioInfo const& info) override;
    void ReleaseAudioResources() override;
    // The base request; a change is shown by the window of the instance
    // (posted to the message thread when asked from another thread).
    bool SetBypassed(unsigned int bypass) override;
    // Shows or hides the editor's window through the window manager.
    bool ShowPluginWindow(bool show) override;
    unsigned int GetParameterCount() const override;
    AKString GetParameterName(unsigned int index) const override;
    double GetParameterValue(unsigned int index) const override;
    void SetParameterValue(unsigned int index, double value) override;
    // Feeds input channel j from block channel j modulo the block's channels
    // and fills block channel j from output j modulo the plug-in's outputs,
    // in chunks of the prepared frame count.
    void ApplyRTFilterSelf(QXSampleBuffer<double>* block, bool appliedBypass, bool renderBypassed) const override;

    // The plug-in's own editor, or a generic one on its parameters; named
    // after the instance. Owned by the caller.
    juce::AudioProcessorEditor* CreatePluginEditorIfNeeded();

    juce::AudioPluginInstance* GetToolkitPlugin() const { return mPlugin.get(); }

    using QVPluginInstance::GetParameterValue;
    using QVPluginInstance::SetParameterValue;

private:
    // One chunk of n frames (at most the prepared count) from frame first.
    void LowProcessChunk(QXSampleBuffer<double>* block, unsigned long long first, int n, unsigned int inputs,
                         unsigned int outputs, bool renderBypassed) const;

    std::unique_ptr<juce::AudioPluginInstance> mPlugin;
    // Mutable: the processing entry point is const in the engine's interface.
    mutable juce::AudioBuffer<float> mWorkBuffer;
    mutable juce::MidiBuffer mNoMidi;
};
