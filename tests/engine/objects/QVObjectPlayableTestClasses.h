#pragma once

// What the playable tests stand on: concrete playables of the three kinds
// (the sequence keeps its players as subs and links them the way its fast
// links will), an effect whose state, bypass and parameters are plain
// values, a plug-in host that knows one such effect, an audio format for
// the plug-in manager, and an environment registering the classes and
// installing all of it.

#include "AKClassMgr.h"
#include "AKMemoryBlock.h"
#include "AKObjectFolderRoot.h"
#include "EngineTreeFixtures.h"
#include "QVAudioServices.h"
#include "QVObjectPlayable.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The effect the host can make; any other UID is unknown to it.
constexpr QVPluginDescUID kKnownPluginUID = 0x7673743300000045ull;
constexpr QVPluginDescUID kUnknownPluginUID = 0x7673743300000099ull;

class PlayTestAtomic : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(PlayTestAtomic, "atomic")
    PlayTestAtomic() : QVObjectZlayer(0, kQVPlayableKindAtomic) {}

    // Standalone in the player folder (kind 0x3).
    void MakeStandalone()
    {
        SetKind(kQVPlayableKindAtomicStandalone);
        SetFLLinks(nullptr, nullptr, nullptr, 0);
    }
    // Directly in a sequence, at 1-based index.
    void LinkIntoSequence(QVObjectPlayable* sequence, unsigned int index)
    {
        SetKind(kQVPlayableKindAtomicStandalone);
        SetFLLinks(sequence, nullptr, sequence, index);
    }
};

class PlayTestCursor : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(PlayTestCursor, "cursor")
    PlayTestCursor() : QVObjectZlayer(0, kQVPlayableKindCursor) {}
};

class PlayTestSequence : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(PlayTestSequence, "sequenc")
    PlayTestSequence() : QVObjectPlayable(0, kQVPlayableKindSequence) {}

    void AddPlayer(PlayTestAtomic* player)
    {
        mPlayers.Push(player);
        player->LinkIntoSequence(this, mPlayers.Count());
        SetFLSubPlayables(&mPlayers);
    }

    int mPluginCarriers = 0;

protected:
    void ChangeFLPluginCarrierCount(int delta) override { mPluginCarriers += delta; }

private:
    QVObjectPlayableArray mPlayers;
};

// State, bypass and two parameters held as plain values.
class PlayTestEffect : public QVPluginInstance
{
public:
    explicit PlayTestEffect(QVPluginDesc const& desc) : QVPluginInstance(desc) {}

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
    void PrepareAudioResources(QVAudioInfo const& info) override
    {
        mPrepared = info;
        ++mPrepareCalls;
    }
    void ReleaseAudioResources() override { ++mReleaseCalls; }
    bool ShowPluginWindow(bool show) override
    {
        mShown = show;
        return mWindowWorks;
    }
    unsigned int GetParameterCount() const override { return 2; }
    AKString GetParameterName(unsigned int index) const override { return index == 0 ? "Mix" : "Time"; }
    double GetParameterValue(unsigned int index) const override { return mParams[index]; }
    void SetParameterValue(unsigned int index, double value) override
    {
        mParams[index] = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    }
    void ApplyRTFilterSelf(QXSampleBuffer<double>*, bool, bool) const override {}

    AKMemoryBlock mState;
    QVAudioInfo mPrepared;
    int mPrepareCalls = 0;
    int mReleaseCalls = 0;
    bool mShown = false;
    bool mWindowWorks = true;
    double mParams[2] = {0.5, 0.25};
};

class PlayTestHost : public QVPluginMgrLibext
{
public:
    PlayTestHost() : QVPluginMgrLibext(&QVPluginMgr::sShared) {}

    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        descs->Push(QVPluginDesc(kKnownPluginUID, kQVPluginFormatVST3, "Echo", "/plugins/Echo", 2, 2));
    }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const&) override
    {
        return new PlayTestEffect(desc);
    }
};

class PlayTestAudioServices : public QVAudioServices
{
public:
    PlayTestAudioServices() { mInfo.Setup(2, 512, 48000.0); }
    QVAudioInfo GetCurrentAudioInfo() const override { return mInfo; }

    QVAudioInfo mInfo;
};

inline PlayTestAudioServices& PlayTestServices()
{
    static PlayTestAudioServices sServices;
    return sServices;
}

class PlayableEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        AKClassID const object = AKObject::_ClassID();
        RegisterClassesAfresh({
            AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
            AKClassInfoOfConcrete<AKObjectFolderRoot>(object, "AKObjectFolderRoot"),
            AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
            AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
            AKClassInfoOfAbstract<QVObjectZlayer>(QVObjectPlayable::_ClassID(), "QVObjectZlayer"),
            AKClassInfoOfConcrete<PlayTestAtomic>(QVObjectZlayer::_ClassID(), "PlayTestAtomic"),
            AKClassInfoOfConcrete<PlayTestCursor>(QVObjectZlayer::_ClassID(), "PlayTestCursor"),
            AKClassInfoOfConcrete<PlayTestSequence>(QVObjectPlayable::_ClassID(), "PlayTestSequence"),
        });
        if (::testing::Test::HasFatalFailure())
            return;
        QVAudioServices::Install(&PlayTestServices());
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(new PlayTestHost());
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        QVPluginMgr::sShared.Terminate();
        QVAudioServices::Install(nullptr);
        AKClassMgr::sShared.Terminate();
    }
};

struct PlayTestDeleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};
template <class T>
using PlayTestPtr = std::unique_ptr<T, PlayTestDeleter>;

template <class T>
PlayTestPtr<T> NewPlayTest()
{
    return PlayTestPtr<T>(AKNew<T>("%s", ""));
}
