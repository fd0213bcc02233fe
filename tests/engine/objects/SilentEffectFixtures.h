#pragma once

// The sequence tests' environment with one plug-in on offer: an effect that
// leaves the sound as it is, hosted under kSilentEffectUID, with stereo
// audio services for it to be made against.

#include "QVAudioServices.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

constexpr QVPluginDescUID kSilentEffectUID = 0x7365717100000001ull;

class SilentEffect : public QVPluginInstance
{
public:
    explicit SilentEffect(QVPluginDesc const& desc) : QVPluginInstance(desc) {}
    bool SetStateInformation(AKMemoryBlock const&) override { return true; }
    bool GetStateInformation(AKMemoryBlock*) const override { return true; }
    void PrepareAudioResources(QVAudioInfo const&) override {}
    void ReleaseAudioResources() override {}
    bool ShowPluginWindow(bool) override { return false; }
    void ApplyRTFilterSelf(QXSampleBuffer<double>*, bool, bool) const override {}
};

class SilentEffectHost : public QVPluginMgrLibext
{
public:
    SilentEffectHost() : QVPluginMgrLibext(&QVPluginMgr::sShared) {}
    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        descs->Push(QVPluginDesc(kSilentEffectUID, kQVPluginFormatVST3, "Silence", "/plugins/Silence", 2, 2));
    }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const&) override
    {
        return new SilentEffect(desc);
    }
};

class StereoAudioServices : public QVAudioServices
{
public:
    StereoAudioServices() { mInfo.Setup(2, 512, 48000.0); }
    QVAudioInfo GetCurrentAudioInfo() const override { return mInfo; }
    QVAudioInfo mInfo;
};

class SilentEffectEnvironment : public SequenceTestEnvironment
{
public:
    void SetUp() override
    {
        SequenceTestEnvironment::SetUp();
        QVAudioServices::Install(&mServices);
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(new SilentEffectHost());
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        QVPluginMgr::sShared.Terminate();
        QVAudioServices::Install(nullptr);
        SequenceTestEnvironment::TearDown();
    }

private:
    StereoAudioServices mServices;
};
