#pragma once

// QVPluginInstance: one loaded audio effect, carried by one sequence or
// player. The engine's side of it: identity, the bypass with its crossfade,
// the tail that keeps the effect running after its input stops, parameters
// by name, and ApplyRTFilter, which the mixing path calls once per block on
// the audio thread. Loading, state, preparation, the editor window and the
// processing itself belong to the plug-in host's implementation.
//
// Instances are made by the plug-in host through the plug-in manager
// (QVPluginMgr), which owns them and deletes them some idle passes after
// their carrier released them.
//
// Threads: ApplyRTFilter and ApplyRTFilterSelf run on the audio thread (or
// the bounce worker); the bypass request may come from any thread that sets
// object parameters and is read once per block; the applied bypass and the
// tail are written by the audio side only (and by InitWithState, before the
// instance plays); everything else belongs to the main thread.

#include "AKNodeID.h"
#include "AKString.h"
#include "ATFastMap.h"
#include "QVAudioInfo.h"
#include "QVAudioServices.h"
#include "QVPluginDesc.h"

#include <atomic>

class AKMemoryBlock;
template <class T>
class QXSampleBuffer;

// The number of a live instance, from 1 in the order of creation and never
// reused in a run; 0 names none.
typedef unsigned int QVInstanceID;
constexpr QVInstanceID kQVNullInstanceID = 0;

// Samples below this magnitude count as silence when a tail is measured (the
// single-precision value of 1e-5).
constexpr double kQVPluginTailSilenceLevel = 9.999999747378752e-6;

class QVPluginInstance
{
public:
    // Takes the next instance ID and copies the description.
    explicit QVPluginInstance(QVPluginDesc const& desc);
    virtual ~QVPluginInstance();

    QVPluginInstance(QVPluginInstance const&) = delete;
    QVPluginInstance& operator=(QVPluginInstance const&) = delete;

    // --- The host's part ---

    // Restores or saves the plug-in's state as a block of bytes.
    virtual bool SetStateInformation(AKMemoryBlock const& state) = 0;
    virtual bool GetStateInformation(AKMemoryBlock* state) const = 0;
    // Prepares for a channel count, a block size (the frame count) and a
    // sample rate; every buffer the processing needs is made here.
    virtual void PrepareAudioResources(QVAudioInfo const& info) = 0;
    virtual void ReleaseAudioResources() = 0;
    // 0 asks for processing, 1 for bypass, anything larger toggles the
    // current request; true when the request changed. Only the request
    // changes: the audio side applies it at its next block. Any thread.
    virtual bool SetBypassed(unsigned int bypass);
    // Shows or hides the plug-in's editor; whether that was done.
    virtual bool ShowPluginWindow(bool show) = 0;
    // Parameters by index. Base: none.
    virtual unsigned int GetParameterCount() const;
    virtual AKString GetParameterName(unsigned int index) const;
    virtual double GetParameterValue(unsigned int index) const;
    virtual void SetParameterValue(unsigned int index, double value);
    // Processes one block in place. appliedBypass is the bypass in force;
    // renderBypassed asks for the plug-in's own bypassed form (bypass asked
    // for and already in force). Audio thread; allocates nothing.
    virtual void ApplyRTFilterSelf(QXSampleBuffer<double>* block, bool appliedBypass, bool renderBypassed) const = 0;

    // --- The engine's part ---

    // Restores the state, then takes the bypass as both asked for and in
    // force, with no tail, so that a restored bypass needs no crossfade.
    // The carrier calls it right after creating the instance. Answers the
    // host's SetStateInformation.
    bool InitWithState(AKMemoryBlock const& state, bool bypass);

    // Parameters by name (the index forms above): an unknown name reads 0
    // and sets nothing; of two parameters named alike, the later one counts.
    double GetParameterValue(AKString const& name) const;
    void SetParameterValue(AKString const& name, double value);
    // Fills the name map from the parameters, once there are any.
    void BuildParamNamesMapIfNeeded() const;

    // Logs the name, channel counts and every parameter with its value.
    void LogInfoAndParameters() const;

    // Filters one block of the carrying object in place, once per block on
    // the audio thread: block with sound, or the tail rendered from silence,
    // with a crossfade inside the block where the bypass changes. hasSound
    // tells whether the object made sound in this block; the dry copy that
    // a crossfade needs is borrowed from the mixing path's working memory.
    // Answers whether the effect still sounds (the tail is above 0). When
    // the memory lends no buffer, the block is left as it is and nothing
    // changes. Allocates nothing.
    bool ApplyRTFilter(QXSampleBuffer<double>* block, bool hasSound, QVAudioWorkingMemory const& memory);

    // --- State ---

    QVInstanceID GetInstanceID() const { return mInstanceID; }
    QVPluginDescUID GetUID() const { return mUID; }
    QVPluginFormat GetFormat() const { return mFormat; }
    AKString const& GetName() const { return mName; }
    AKString const& GetFileID() const { return mFileID; }
    unsigned int GetInputChannelCount() const { return mInputCount; }
    unsigned int GetOutputChannelCount() const { return mOutputCount; }

    // The deferred deletion waits while this is 1 or more.
    int GetHoldCount() const { return mHoldCount; }

    // The bypass asked for, and the one in force since the last block.
    bool IsBypassed() const { return mBypassed.load(std::memory_order_acquire); }
    bool IsAppliedBypass() const { return mAppliedBypass; }
    // Seconds the effect may still sound without input.
    double GetTailDuration() const { return mTail; }

    // The carrier found by the plug-in manager's owner search, remembered
    // for the next search; null IDs until found.
    QVDocumentID GetOwnerDocumentID() const { return mOwnerDocumentID; }
    AKNodeID GetOwnerNodeID() const { return mOwnerNodeID; }
    void SetOwner(QVDocumentID documentID, AKNodeID nodeID);

private:
    static std::atomic<QVInstanceID> sNextID;

    // The processing of one block with the bypass flags of this block.
    void LowProcess(QXSampleBuffer<double>* block, bool renderBypassed);
    // The crossfade between the processed block and the dry copy.
    static void LowCrossfade(QXSampleBuffer<double>* block, QXSampleBuffer<double> const& dry, bool toDry);

    QVInstanceID const mInstanceID;
    QVPluginDescUID const mUID;
    QVPluginFormat const mFormat;
    AKString const mName;
    AKString const mFileID;
    unsigned int const mInputCount;
    unsigned int const mOutputCount;
    int mHoldCount = 0;
    std::atomic<bool> mBypassed{false};
    bool mAppliedBypass = false;
    double mTail = 0.0;
    QVDocumentID mOwnerDocumentID = kQVNullDocumentID;
    AKNodeID mOwnerNodeID = kAKNullNodeID;
    mutable ATFastMap<AKString, unsigned int> mParamNames;
};
