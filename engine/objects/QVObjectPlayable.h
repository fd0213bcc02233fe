#pragma once

// QVObjectPlayable: the base of every document object that plays (the
// sequence, the single player, the multi-player), a poolable. It holds the
// user parameters of a playback head (transport, time and span, speed with
// its random wander, volume and gain, pan, fade, mute and solo), the user
// operations that change them, the links to its parent and sub-playables
// that the concrete classes keep up to date, and one optional audio effect
// plug-in, with the persistent forms of all of this.
//
// User operations (SetUser..., DoUser...): flag setters take 0 to clear, 1
// to set and 2 or more to toggle; every operation answers whether something
// changed, limits out-of-range values instead of refusing them (a NaN is
// refused: it would poison the mix), moves the state stamp and, for what is
// saved with the document, marks the object modified.
//
// Threads. The user operations run on the message thread, or on the OSC and
// MIDI input threads through the parameter table, without locks. The audio
// thread reads the parameters once per block and writes the time, the
// transport at the end of play and its own ramps. Every such member is a
// QVPlayableValue (a relaxed atomic: on x86-64 the plain aligned move of a
// bool, a u32 or a double), so no value is ever read half-written; the
// stamps move with atomic increments. The scrubber is replaced through
// ReplaceScrubber, which waits for every thread using it (the audio thread
// for a few arithmetic operations, a user giving a target) to be out of it
// before deleting it. The plug-in instance and everything else
// (links, stored plug-in data) belong to the message thread; a released
// instance is deleted by the plug-in manager some idle passes later, never
// while a block may still use it.

#include "AKMemoryBlock.h"
#include "AKStamps.h"
#include "AKString.h"
#include "QVObjectPoolable.h"
#include "QVPlayableConstants.h"
#include "QVPlayableRTState.h"
#include "QVPlayableRTStateRandom.h"
#include "QVPlayableValue.h"
#include "QVPluginDescUID.h"

#include <atomic>

class QVDocument;
class QVObjectPlayable;
class QVPlayableScrubber;
class QVPluginInstance;

typedef ATObjectArray<QVObjectPlayable> QVObjectPlayableArray;

// The shared empty array every playable links to until it has subs.
QVObjectPlayableArray const& QVNullObjectPlayableArrayShared();
#define kQVNullObjectPlayableArray (QVNullObjectPlayableArrayShared())

class QVObjectPlayable : public QVObjectPoolable
{
public:
    AKCLASS_DECLARE_HOOKS("playab")

    // Deletes the scrubber and releases the plug-in instance to the plug-in
    // manager.
    ~QVObjectPlayable() override;

    // --- Persistence: the poolable's part, then the parameters and the plug-in ---

    int akmInitFromFile(AKFile const& file, unsigned int how) override;
    int akmWriteToFile(AKFile& file) const override;
    int akmInitFromDictionary(AKDictionary const& dictionary) override;
    int akmWriteToDictionary(AKDictionary& dictionary) const override;

    // --- Pool protocol ---

    // Prepares the plug-in instance of a player in a sequence (a sequence's
    // own and a standalone player's are prepared by their owners).
    int PrepareAudioResources(QVAudioInfo const& info, unsigned long long overlapFrames) override;
    void ReleaseAudioResources() override;
    // A sequence and a multi-player nest players, a single player the
    // tracks it reads.
    void GetSetupedAudioPool(QVAudioPool* pool) const override;

    // --- User operations ---

    // Toggling starts normal play when stopped, rewinding or forwarding, and
    // stops otherwise; any call while rewinding or forwarding counts as a
    // change and ends them.
    virtual bool SetUserPlay(unsigned int play);
    // Turned on: clears Forward, and the ramp starts at the larger of 0.1
    // and |Speed| while playing, else at 1. Forward likewise.
    virtual bool SetUserRewind(unsigned int rewind);
    virtual bool SetUserForward(unsigned int forward);
    // On: a fresh scrubber at the present time; off: none.
    virtual bool SetUserScrubMode(unsigned int scrub);
    virtual bool SetUserLoop(unsigned int loop);
    virtual bool SetUserStated(unsigned int stated);
    // Recomputes the real-time active flag of this playable and its subs.
    virtual bool SetUserMute(unsigned int mute);
    // Updates the parent's solo count and its subs; soloing the only player
    // of a sequence solos the sequence too.
    virtual bool SetUserSolo(unsigned int solo);
    // -48..12 dB; the gain follows.
    virtual bool SetUserVolume(double volume);
    // 0..4; the volume follows (not limited: gain 4 is about 12.04 dB).
    virtual bool SetUserGain(double gain);
    virtual bool SetUserPanora(double panora);   // -1..1
    virtual bool SetUserFadio(double fadio);     // 0..1
    virtual bool SetUserSpeed(double speed);     // +-Player.SpeedMax
    virtual bool SetUserSpeedWow(double wow);    // 0..1
    virtual bool SetUserSpeedSubx(double subx);  // +-Player.SpeedSubxMax
    virtual bool SetUserPhase(double phase);     // 0..1
    // Speed = -Speed; always a change.
    virtual bool DoUserSpeedSens();

    // The one entry of every time move made by users: the span passes the
    // span rule; in scrub mode the scrubber gets the time as its target (and
    // keeps the time itself when it follows); otherwise a new time raises
    // the time-set flag so the block being computed keeps it. A sub stays in
    // its live interval; a multi-player at rest (or with placeSubs) carries
    // its subs to the new window. A span change marks the object modified, a
    // time change does not.
    bool LowSetUserTimeAndSpan(double time, double span, bool placeSubs);

    // --- Time and transport moves (QVObjectPlayableTransport.cpp) ---

    // Where the playable may move: the interval its parent offers (bounded
    // when it is a window), or (0, 0) not bounded without a parent. With
    // PlayerMulti.SpanConfinedInSel a multi-player's window stays inside it:
    // narrowed by Span/2 at each end, or collapsed to 1e-6 s at its middle.
    AKTimeIntv GetRTLiveTimeIntv(bool* bounded) const;
    // The time at a fraction (0..1) of the live interval; false when empty.
    virtual bool SetUserRelaTime(double fraction);
    // Where the time stands in the live interval (not limited to 0..1); 0
    // when the interval is empty.
    double GetUserRelaTime() const;
    // The arrow keys: a step of 5, 10 or 30 s (by the sequence's interval
    // and the duration the user views), back for a negative direction.
    // Nothing in scrub, rewind or forward mode, outside a sequence or in an
    // interval shorter than 20 s.
    virtual bool DoUserJump(int direction, double viewedDuration);
    // To the begin or end of the live interval, ending rewind and forward.
    // Refused in scrub mode and for a sub of a multi-player.
    virtual bool DoUserToBegin();
    virtual bool DoUserToEnd();
    // Multi-player: each sub's phase from where it stands in the window.
    virtual bool DoUserPeekPhases();
    // Multi-player: each sub to its phase within the window.
    virtual bool DoUserPokePhases();
    // One step of |Speed| through 0, 1/8 ... 8, the sign kept.
    virtual bool DoUserSpeedMoreOrLess(int step);
    // A starter key or a MIDI trigger, with the starter behaviour given.
    // False only for an ignored release.
    bool DoUserSmartPlay(bool pressed, unsigned int behaviour);

    // --- Plug-in slot ---

    // Stores the UID and renews the instance without state; true (plug-in
    // stamp moved, modified) when the UID changed. Data kept for the former
    // UID is forgotten.
    virtual bool AttachPlugin(QVPluginDescUID uid);
    // 0 processes, 1 bypasses, 2 or more toggles. False without an instance;
    // otherwise whether the instance's bypass request changed (plug-in stamp
    // moved, modified).
    virtual bool SetPluginBypass(unsigned int bypass);
    // With an instance and an index it has: sets the value, marks the object
    // modified (even without change) and answers the instance's value;
    // otherwise answers the value given.
    virtual double SetPluginParameter(unsigned int index, double value);

    QVPluginInstance* GetPluginInstance() const { return mPluginInstance.load(std::memory_order_acquire); }
    QVPluginDescUID GetPluginUID() const { return mPluginUID; }
    // Moves when a plug-in is attached and when its bypass changes.
    unsigned int GetPluginStamp() const { return mPluginStamp.load(std::memory_order_relaxed); }
    // The instance's, or the stored one read from a document.
    AKString GetPluginName() const;
    bool IsPluginBypass() const;
    // The instance's value, or 0.
    double GetPluginParameter(unsigned int index) const;
    // With an instance: its answer, a successful show marking the object
    // modified; without: false.
    bool ShowPluginWindow(bool show);
    // What a document gave for a plug-in without an instance.
    AKString const& GetStoredPluginName() const { return mStoredPluginName; }
    bool GetStoredPluginBypass() const { return mStoredPluginBypass; }
    AKMemoryBlock const& GetStoredPluginState() const { return mStoredPluginState; }

    // The playable of any open document that carries the instance, with its
    // document (may be null); null when none does.
    static QVObjectPlayable* FindCarrierOfPlugin(QVPluginInstance const& instance, QVDocument** document);

    // --- Mute and solo ---

    // active = parentActive and not Mute and (Solo or not siblingSoloed).
    // A change moves the state stamp; then, or with force, the subs follow.
    void rUpdateRActiveFlag(bool force, bool parentActive, bool siblingSoloed);
    // Every sub with (force, own active flag, own solo count > 0).
    void UpdateRActiveFlagOfSubs(bool force);
    // Makes this playable and everything below it active, unmuted and
    // unsoloed; the solo count becomes 0.
    void rResetAllMutesAndSolos();
    // The level of a folder: every playable of the array with the flags given.
    static void UpdateRActiveFlagOfArray(QVObjectPoolableArray const& playables, bool force, bool parentActive,
                                         bool siblingSoloed);

    // --- Span rule ---

    // A kind without span: 0; a sequence within 1e-6 of 0: 0; otherwise at
    // least PlayerMulti.MinSpanDuration.
    static double LowCheckSpanDuration(QVPlayableKind kind, double span);

    // --- State ---

    QVPlayableKind GetKind() const { return mKind; }
    unsigned int GetStateStamp() const { return mStateStamp.load(std::memory_order_relaxed); }
    bool IsRActive() const { return mRActive.Get(); }
    bool IsUserPlay() const { return mPlay.Get(); }
    bool IsUserScrub() const { return mScrub.Get(); }
    bool IsUserRewind() const { return mRewind.Get(); }
    bool IsUserForward() const { return mForward.Get(); }
    bool IsUserLoop() const { return mLoop.Get(); }
    bool IsUserStated() const { return mStated.Get(); }
    bool IsUserMute() const { return mMute.Get(); }
    bool IsUserSolo() const { return mSolo.Get(); }
    bool IsTimeSet() const { return mTimeSet.load(std::memory_order_relaxed); }
    double GetUserVolume() const { return mVolume.Get(); }
    double GetUserGain() const { return mGain.Get(); }
    double GetUserPanora() const { return mPanora.Get(); }
    double GetUserFadio() const { return mFadio.Get(); }
    double GetUserSpeed() const { return mSpeed.Get(); }
    double GetUserSpeedWow() const { return mSpeedWow.Get(); }
    double GetUserSpeedSubx() const { return mSpeedSubx.Get(); }
    double GetUserPhase() const { return mPhase.Get(); }
    double GetUserTime() const { return mTime.Get(); }
    double GetUserSpan() const { return mSpan.Get(); }
    double GetSmartPlayStartTime() const { return mSmartPlayStartTime.Get(); }
    double GetRwdFwdSpeed() const { return mRwdFwdSpeed.Get(); }
    double GetWowOffset() const { return mWowOffset.Get(); }
    double GetWowTarget() const { return mWowTarget.Get(); }
    double GetScrubSpeed() const { return mScrubSpeed.Get(); }
    bool IsScrubFollow() const { return mScrubFollow.Get(); }
    // Message thread only: the audio thread goes through RTAdvanceScrubber.
    QVPlayableScrubber const* GetScrubber() const { return mScrubber.load(std::memory_order_acquire); }

    // Advances the scrubber by one block (audio thread): may move the time,
    // sets the scrub speed and the stop flag; true when it reported a change
    // (the state stamp moved). False with stop clear without a scrubber.
    bool RTAdvanceScrubber(double dt, bool* stop);

    // --- Real-time state (audio thread) ---

    // One block: advances the transport ramps and the speed wander, computes
    // the new current state from the parent's (kQVNullPlayableRTState for a
    // sequence), moves the time on and ends the transport at an edge. reset
    // starts afresh (a new pool, or a forced pass with dt 0) and leaves a
    // silent copy of the new state as the previous one, so the block fades
    // in. Returns the new current state.
    QVPlayableRTState ComputeRTCurrState(QVPlayableRTState const& parent, double dt, bool reset);
    // The states of the previous and of the current block; written only by
    // the audio thread.
    QVPlayableRTState const& GetRTPrevState() const { return mRTPrevState; }
    QVPlayableRTState const& GetRTCurrState() const { return mRTCurrState; }

    // The interval this playable offers to its subs outside the audio path;
    // bounded tells whether it is a window (rather than everything there is).
    // Base (single player): (0, 0), not bounded.
    virtual AKTimeIntv GetRTLiveTimeIntvForSub(bool* bounded) const;

    // What the audio path reports after rendering the playable's block, for
    // the user interface; markNow also stamps the application clock.
    void SetRTCurrentInfo(bool active, bool sounding, bool pluginTail, bool markNow,
                          unsigned long long trackMask) const;
    QVPlayableRTInfo const& GetRTInfo() const { return mRTInfo; }

    // --- Links (kept by the concrete classes' fast links) ---

    QVObjectPlayable* GetFLOwningSequence() const { return mOwningSequence; }
    QVObjectPlayable* GetFLOwningCursor() const { return mOwningCursor; }
    QVObjectPlayable* GetFLParentPlayable() const { return mParentPlayable; }
    QVObjectPlayableArray const& GetFLSubPlayables() const { return *mSubPlayables; }
    // 1-based among the parent's children of the same kind, 0 under a folder.
    unsigned int GetFLIndex() const { return mIndex; }
    int GetSoloCount() const { return mSoloCount; }

protected:
    // The kind gives the defaults: Loop from Player.DefaultLoopMode for
    // players (off for a sequence), Fadio 1 and Speed and Span from the
    // PlayerMulti preferences for a multi-player, Speed 1 for a single player.
    explicit QVObjectPlayable(unsigned int options, QVPlayableKind kind = kQVPlayableKindAtomic);

    // For the fast links of the concrete classes.
    void SetKind(QVPlayableKind kind) { mKind = kind; }
    void SetFLLinks(QVObjectPlayable* owningSequence, QVObjectPlayable* owningCursor, QVObjectPlayable* parent,
                    unsigned int index);
    // Points the subs at an array the subclass keeps alive, and recounts the
    // subs with Solo set.
    void SetFLSubPlayables(QVObjectPlayableArray const* subs);

    // The owning sequence's count of plug-in-carrying players moved by delta.
    // Base: nothing.
    virtual void ChangeFLPluginCarrierCount(int delta);

    // Keeps an instance of the playable's UID; releases one of another UID
    // and asks the plug-in manager for a new one (restored from the stored
    // state and bypass with withState). The stored data is forgotten once an
    // instance holds it, or for UID 0; kept when no instance could be made,
    // so that saving writes it back unchanged.
    void LowUpdatePlugin(bool withState);

    // Moves the state stamp (any thread).
    void RaiseStateStamp();

    // The class step of a block: the new state from the parent's and the
    // previous one. Base: silent and still, at the present time.
    virtual QVPlayableRTState ComputeRTCurrStateSelf(QVPlayableRTState const& parent, QVPlayableRTState const& previous,
                                                     double dt) const;
    // Swaps the scrubber for another (or null) and deletes the old one once
    // the audio thread is out of it.
    void ReplaceScrubber(QVPlayableScrubber* scrubber);

private:
    // The block driver reaches the real-time members below through these.
    template <class H>
    friend QVPlayableRTState QVComputeRTCurrState(H& head, QVPlayableRTState const& parent, double dt, bool reset);

    void RTSetRwdFwdSpeed(double speed) { mRwdFwdSpeed.Set(speed); }
    void RTSetWow(double offset, double target)
    {
        mWowOffset.Set(offset);
        mWowTarget.Set(target);
    }
    // Player.RwdFwdSpeed.
    double RTGetRwdFwdTarget() const;
    QVPlayableRTRandom& RTRandom() { return mRTRandom; }
    QVPlayableRTState& RTPrevState() { return mRTPrevState; }
    QVPlayableRTState& RTCurrState() { return mRTCurrState; }
    // Clears the time-set flag and answers whether it was raised.
    bool RTTakeTimeSet() { return mTimeSet.exchange(false, std::memory_order_relaxed); }
    void RTSetTime(double time) { mTime.Set(time); }
    // Written as they are: the user operations would restart ramps and scrubbers.
    void RTSetTransport(bool play, bool rewind, bool forward)
    {
        mPlay.Set(play);
        mRewind.Set(rewind);
        mForward.Set(forward);
    }

    // A sub's requested time within its live interval.
    double LowLimitTimeOfSub(double time) const;
    // A multi-player's subs carried from the old window to the new one:
    // placed at their phases with placeSubs, else kept at their relative
    // positions. True when a sub moved.
    bool LowAdaptateTimeOfSubs(bool placeSubs, AKTimeIntv oldWindow, AKTimeIntv newWindow);
    bool LowMoveToLiveEdge(bool toEnd);

    // Stores a limited real; false for NaN and for no change.
    bool LowSetReal(QVPlayableValue<double>* member, double value, double min, double max);
    // Stores a flag; false for no change.
    bool LowSetFlag(QVPlayableValue<bool>* member, unsigned int request);
    bool LowSetRewindOrForward(QVPlayableValue<bool>* member, QVPlayableValue<bool>* other, unsigned int request);
    void RaisePluginStamp();
    void UserChanged(bool modified);

    QVPlayableKind mKind;
    std::atomic<unsigned int> mStateStamp{kAKNullStampVers};
    std::atomic<unsigned int> mPluginStamp{kAKNullStampVers};
    QVPlayableValue<bool> mRActive{true};

    QVPlayableValue<bool> mPlay;
    QVPlayableValue<bool> mScrub;
    QVPlayableValue<bool> mRewind;
    QVPlayableValue<bool> mForward;
    QVPlayableValue<bool> mLoop;
    QVPlayableValue<bool> mStated;
    QVPlayableValue<bool> mMute;
    QVPlayableValue<bool> mSolo;
    // Raised by a user's time, taken by the block that must keep it.
    std::atomic<bool> mTimeSet{false};

    QVPlayableValue<double> mVolume{0.0};
    QVPlayableValue<double> mGain{1.0};
    QVPlayableValue<double> mPanora{0.0};
    QVPlayableValue<double> mFadio{0.0};
    QVPlayableValue<double> mSpeed{0.0};
    QVPlayableValue<double> mSpeedWow{0.0};
    QVPlayableValue<double> mSpeedSubx{1.0};
    QVPlayableValue<double> mPhase{kQVPlayablePhaseDefault};
    QVPlayableValue<double> mTime{0.0};
    QVPlayableValue<double> mSpan{0.0};
    QVPlayableValue<double> mSmartPlayStartTime{0.0};

    std::atomic<QVPluginInstance*> mPluginInstance{nullptr};
    QVPluginDescUID mPluginUID = kQVNullPluginDescUID;
    AKString mStoredPluginName;
    bool mStoredPluginBypass = false;
    AKMemoryBlock mStoredPluginState;

    QVObjectPlayable* mOwningSequence = nullptr;
    QVObjectPlayable* mOwningCursor = nullptr;
    QVObjectPlayable* mParentPlayable = nullptr;
    QVObjectPlayableArray const* mSubPlayables;
    unsigned int mIndex = 0;
    int mSoloCount = 0;

    // Real-time internals, written by the audio thread.
    QVPlayableValue<double> mRwdFwdSpeed{0.0};
    QVPlayableValue<double> mWowOffset{0.0};
    QVPlayableValue<double> mWowTarget{0.0};

    std::atomic<QVPlayableScrubber*> mScrubber{nullptr};
    // Threads inside the present scrubber (the audio thread's block, a user
    // giving a target); the scrubber replaced is deleted only once it is 0.
    std::atomic<int> mScrubberUsers{0};
    QVPlayableValue<double> mScrubSpeed{0.0};
    QVPlayableValue<bool> mScrubFollow;

    // The block states and the report for the user interface.
    QVPlayableRTState mRTPrevState = kQVNullPlayableRTState;
    QVPlayableRTState mRTCurrState = kQVNullPlayableRTState;
    mutable QVPlayableRTInfo mRTInfo = kQVNullPlayableRTInfo;
    // The speed wander's own draws, apart from every other playable's.
    QVPlayableRTRandom mRTRandom;
};

// The common base of the single player and the multi-player: any player is
// recognised by its class.
class QVObjectZlayer : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_HOOKS("player")

protected:
    QVObjectZlayer(unsigned int options, QVPlayableKind kind) : QVObjectPlayable(options, kind) {}
};
