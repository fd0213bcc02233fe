#pragma once

// Stand-ins for what surrounds the plug-in code in these programs: an effect
// whose processing is known, a plug-in host that lists and makes such
// effects, the engine's services, and the mixing path's working memory.

#include "AKMemoryBlock.h"
#include "QVAudioServices.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "QXSampleBuffer.h"

#include <vector>

// An effect that inverts its input. Its bypassed form leaves the block as it
// is. While `ringing` is above 0 it adds `ringLevel` to every sample and
// counts one block down, so it keeps sounding after its input stops; with
// `ringForever` it never stops. `changeRequestWhileProcessing` (0 or 1) sets
// the bypass request from inside the next block. Counters are plain numbers, so processing
// allocates nothing.
class FakePluginInstance : public QVPluginInstance
{
public:
    explicit FakePluginInstance(QVPluginDesc const& desc) : QVPluginInstance(desc) { ++LiveCount(); }
    ~FakePluginInstance() override { --LiveCount(); }

    static int& LiveCount()
    {
        static int sCount = 0;
        return sCount;
    }

    using QVPluginInstance::GetParameterValue;
    using QVPluginInstance::SetParameterValue;

    bool SetStateInformation(AKMemoryBlock const& state) override
    {
        mState = state;
        return true;
    }
    bool GetStateInformation(AKMemoryBlock* state) const override
    {
        *state = mState;
        return true;
    }
    void PrepareAudioResources(QVAudioInfo const& info) override { mPrepared = info; }
    void ReleaseAudioResources() override { mPrepared.Clear(); }
    bool ShowPluginWindow(bool show) override
    {
        mWindowShown = show;
        ++mWindowCalls;
        return true;
    }
    unsigned int GetParameterCount() const override { return static_cast<unsigned int>(mParamNames.size()); }
    AKString GetParameterName(unsigned int index) const override { return mParamNames[index]; }
    double GetParameterValue(unsigned int index) const override { return mParamValues[index]; }
    void SetParameterValue(unsigned int index, double value) override { mParamValues[index] = value; }

    void ApplyRTFilterSelf(QXSampleBuffer<double>* block, bool appliedBypass, bool renderBypassed) const override
    {
        ++mProcessCount;
        if (mChangeRequestWhileProcessing >= 0) {
            // Another thread changing the request while the block runs.
            const_cast<FakePluginInstance*>(this)->SetBypassed(
                static_cast<unsigned int>(mChangeRequestWhileProcessing));
            mChangeRequestWhileProcessing = -1;
        }
        mLastAppliedBypass = appliedBypass;
        mLastRenderBypassed = renderBypassed;
        if (renderBypassed) {
            ++mBypassedCount;
            return;
        }
        block->ApplyGain(-1.0, kQVSampleRangeAll);
        if (mRingForever || mRinging > 0) {
            if (mRinging > 0)
                --mRinging;
            for (unsigned int c = 0; c < block->ChannelCount(); ++c) {
                for (unsigned long long f = 0; f < block->FrameCount(); ++f)
                    *block->SamplePtr(c, f) += mRingLevel;
            }
        }
    }

    QVAudioInfo mPrepared;
    AKMemoryBlock mState;
    bool mWindowShown = false;
    int mWindowCalls = 0;
    std::vector<AKString> mParamNames;
    std::vector<double> mParamValues;
    mutable int mProcessCount = 0;
    mutable int mBypassedCount = 0;
    mutable bool mLastAppliedBypass = false;
    mutable bool mLastRenderBypassed = false;
    mutable int mRinging = 0;
    mutable int mChangeRequestWhileProcessing = -1;
    bool mRingForever = false;
    double mRingLevel = 0.25;
};

// A host that lists the descriptions it is given, reports the standard
// folders it is given and makes FakePluginInstances prepared for the format.
class FakePluginHost : public QVPluginMgrLibext
{
public:
    FakePluginHost() : QVPluginMgrLibext(&QVPluginMgr::sShared) {}

    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        for (QVPluginDesc const& desc : mList)
            descs->Push(desc);
    }
    void GetDefaultSearchPaths(AKFilePathArray* paths) const override
    {
        for (AKFilePath const& path : mDefaultPaths)
            paths->Push(path);
    }
    bool StartRescanAllPlugins() override
    {
        ++mRescanStarts;
        return true;
    }
    bool IsRescanning() const override { return mRescanning; }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info) override
    {
        ++mCreateCalls;
        if (mRefuseCreation)
            return nullptr;
        FakePluginInstance* const instance = new FakePluginInstance(desc);
        instance->PrepareAudioResources(info);
        return instance;
    }

    QVPluginDescArray mList;
    AKFilePathArray mDefaultPaths;
    int mRescanStarts = 0;
    bool mRescanning = false;
    int mCreateCalls = 0;
    bool mRefuseCreation = false;
};

// The engine's answers: an audio format, the plug-in folder preferences, a
// settings file path and the carriers of instances, all set by the test.
class FakeAudioServices : public QVAudioServices
{
public:
    FakeAudioServices() { mAudioInfo.Setup(2, 512, 48000.0); }

    AKFilePath GetSettingsFilePath(AKString const& name) const override
    {
        if (mSettingsDir.IsEmpty())
            return AKFilePath();
        AKFilePath path = mSettingsDir;
        path.SetFileName(name);
        return path;
    }
    QVAudioInfo GetCurrentAudioInfo() const override { return mAudioInfo; }
    void GetPluginSearchPrefs(AKFilePathArray* paths, QVPluginSearchFlagArray* flags) const override
    {
        *paths = mSearchPaths;
        *flags = mSearchFlags;
    }
    void SetPluginSearchPrefs(AKFilePathArray const& paths, QVPluginSearchFlagArray const& flags) const override
    {
        mSearchPaths = paths;
        mSearchFlags = flags;
    }

    QVAudioInfo mAudioInfo;
    AKFilePath mSettingsDir;
    mutable AKFilePathArray mSearchPaths;
    mutable QVPluginSearchFlagArray mSearchFlags;
};

// The mixing path's working memory: `count` buffers shaped like the blocks
// of a test, lent last in first out; `count` 0 lends nothing.
class FakeWorkingMemory : public QVAudioWorkingMemory
{
public:
    FakeWorkingMemory(unsigned int count, unsigned int channels, unsigned long long frames, double rate)
    {
        for (unsigned int i = 0; i < count; ++i) {
            mBuffers.push_back(new QXSampleBuffer<double>());
            mBuffers.back()->AllocateClean(channels, frames, rate);
        }
    }
    ~FakeWorkingMemory() override
    {
        for (QXSampleBuffer<double>* buffer : mBuffers)
            delete buffer;
    }

    QXSampleBuffer<double>* RetainWorkingBufferSameAs(QXSampleBuffer<double> const& block) const override
    {
        if (mLent >= mBuffers.size())
            return nullptr;
        QXSampleBuffer<double>* const buffer = mBuffers[mLent++];
        buffer->ResetAllWorkingSubRanges();
        buffer->CopyWorkingSubRanges(block);
        return buffer;
    }
    void ReleaseWorkingBuffer(QXSampleBuffer<double>&) const override
    {
        if (mLent > 0)
            --mLent;
    }

    std::vector<QXSampleBuffer<double>*> mBuffers;
    mutable size_t mLent = 0;
};

// A description of a VST3 effect of that UID and name, stereo.
inline QVPluginDesc FakeDesc(QVPluginDescUID uid, char const* name)
{
    return QVPluginDesc(uid, kQVPluginFormatVST3, name, AKString("/plugins/") + name, 2, 2);
}
