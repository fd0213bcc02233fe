#include "CPluginInstance.h"

#include <algorithm>
#include <cmath>

#include "AKMemoryBlock.h"
#include "CPluginWindowMgr.h"
#include "JCStrings.h"
#include "QXSampleBuffer.h"

CPluginInstance::CPluginInstance(QVPluginDesc const& desc, juce::AudioPluginInstance* plugin)
    : QVPluginInstance(desc), mPlugin(plugin)
{}

CPluginInstance::~CPluginInstance()
{
    // An editor must not outlive the plug-in it edits.
    CPluginWindowMgr::sShared.ForgetPluginInstance(GetInstanceID());
}

bool CPluginInstance::SetStateInformation(AKMemoryBlock const& state)
{
    if (state.IsEmpty() || mPlugin == nullptr)
        return false;
    mPlugin->setStateInformation(state.Data(), static_cast<int>(state.Size()));
    return true;
}

bool CPluginInstance::GetStateInformation(AKMemoryBlock* state) const
{
    if (state == nullptr)
        return false;
    juce::MemoryBlock bytes;
    if (mPlugin != nullptr)
        mPlugin->getStateInformation(bytes);
    if (bytes.getSize() == 0) {
        state->Free();
        return false;
    }
    state->Assign(bytes.getData(), static_cast<unsigned int>(bytes.getSize()));
    return true;
}

void CPluginInstance::PrepareAudioResources(QVAudioInfo const& info)
{
    int const channels = static_cast<int>(std::max(GetInputChannelCount(), GetOutputChannelCount()));
    int const frames = static_cast<int>(std::min<unsigned long long>(info.frameCount, 1u << 30));
    mWorkBuffer.setSize(channels, frames);
    if (mPlugin != nullptr)
        mPlugin->prepareToPlay(std::floor(info.sampleRate + 0.5), frames);
}

void CPluginInstance::ReleaseAudioResources()
{
    mWorkBuffer.setSize(0, 0);
    if (mPlugin != nullptr)
        mPlugin->releaseResources();
}

bool CPluginInstance::SetBypassed(unsigned int bypass)
{
    if (!QVPluginInstance::SetBypassed(bypass))
        return false;
    CPluginWindowMgr::sShared.NotifyPluginBypassHasChanged(GetInstanceID());
    return true;
}

bool CPluginInstance::ShowPluginWindow(bool show)
{
    return CPluginWindowMgr::sShared.ShowPluginWindow(GetInstanceID(), show);
}

unsigned int CPluginInstance::GetParameterCount() const
{
    if (mPlugin == nullptr)
        return 0;
    int const count = mPlugin->getParameters().size();
    return count > 0 ? static_cast<unsigned int>(count) : 0u;
}

AKString CPluginInstance::GetParameterName(unsigned int index) const
{
    if (index >= GetParameterCount())
        return AKString();
    return JC2AKString(mPlugin->getParameters()[static_cast<int>(index)]->getName(1024));
}

double CPluginInstance::GetParameterValue(unsigned int index) const
{
    if (index >= GetParameterCount())
        return 0.0;
    return mPlugin->getParameters()[static_cast<int>(index)]->getValue();
}

void CPluginInstance::SetParameterValue(unsigned int index, double value)
{
    if (index >= GetParameterCount())
        return;
    mPlugin->getParameters()[static_cast<int>(index)]->setValue(static_cast<float>(value));
}

void CPluginInstance::ApplyRTFilterSelf(QXSampleBuffer<double>* block, bool /*appliedBypass*/,
                                        bool renderBypassed) const
{
    if (block == nullptr || mPlugin == nullptr || block->ChannelCount() == 0)
        return;
    int const channels = mWorkBuffer.getNumChannels();
    unsigned int const inputs = std::min<unsigned int>(GetInputChannelCount(), static_cast<unsigned int>(channels));
    unsigned int const outputs = std::min<unsigned int>(GetOutputChannelCount(), static_cast<unsigned int>(channels));
    unsigned long long const prepared = static_cast<unsigned long long>(mWorkBuffer.getNumSamples());
    if (inputs == 0 || outputs == 0 || prepared == 0)
        return;
    // A block longer than the plug-in was prepared for goes through in
    // chunks of the prepared length, each its own call.
    unsigned long long const frames = block->FrameCount();
    for (unsigned long long first = 0; first < frames; first += prepared)
        LowProcessChunk(block, first, static_cast<int>(std::min(prepared, frames - first)), inputs, outputs,
                        renderBypassed);
}

void CPluginInstance::LowProcessChunk(QXSampleBuffer<double>* block, unsigned long long first, int n,
                                      unsigned int inputs, unsigned int outputs, bool renderBypassed) const
{
    unsigned int const blockChannels = block->ChannelCount();
    for (unsigned int j = 0; j < inputs; ++j) {
        double const* source = block->SamplePtrConst(j % blockChannels, first);
        float* target = mWorkBuffer.getWritePointer(static_cast<int>(j));
        if (source == nullptr)
            std::fill(target, target + n, 0.0f);
        else
            std::transform(source, source + n, target, [](double x) { return static_cast<float>(x); });
    }
    // A view of the work buffer's first n frames: its channel table lives
    // inside the view, so nothing is allocated.
    juce::AudioBuffer<float> chunk(mWorkBuffer.getArrayOfWritePointers(), mWorkBuffer.getNumChannels(), n);
    if (renderBypassed)
        mPlugin->processBlockBypassed(chunk, mNoMidi);
    else
        mPlugin->processBlock(chunk, mNoMidi);

    for (unsigned int j = 0; j < blockChannels; ++j) {
        double* target = block->SamplePtr(j, first);
        if (target == nullptr)
            continue;
        float const* source = mWorkBuffer.getReadPointer(static_cast<int>(j % outputs));
        std::transform(source, source + n, target, [](float x) { return static_cast<double>(x); });
    }
}

juce::AudioProcessorEditor* CPluginInstance::CreatePluginEditorIfNeeded()
{
    if (mPlugin == nullptr)
        return nullptr;
    juce::AudioProcessorEditor* editor = mPlugin->createEditorIfNeeded();
    if (editor == nullptr)
        editor = new juce::GenericAudioProcessorEditor(*mPlugin);
    editor->setName(AK2JCString(GetName()));
    return editor;
}
