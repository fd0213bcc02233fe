#pragma once

// QVPlayableScrubber: turns the stream of target times a user gives a
// playable in scrub mode (mouse drag, MIDI controller, OSC), which arrives at
// the pace of the user interface, into what the audio path needs once per
// block: the time to jump to, or a speed with which the playable's time
// follows the target smoothly, so that scrubbing sounds like moving a tape
// or a record under the hand instead of a series of jumps.
//
// QVPlayableScrubber1 smooths the time towards the target;
// QVPlayableScrubber2 derives a speed from the target's motion and smooths
// the speed. With the follow flag set the playable's time is driven by the
// scrubber's speed; clear, the time only jumps to the target.
//
// Threads: SetCurrentTargetTime runs on whichever thread sets the playable's
// time, ComputeCurrentRTScrub on the audio thread, which it never blocks and
// for which it allocates nothing. The fields the two threads share are
// QVPlayableValues (relaxed atomics: the plain aligned moves of doubles on
// x86-64, never torn); a block that reads a mix of old and new fields only
// plays one block at a slightly different speed.

#include "QVPlayableValue.h"

class QVPlayableScrubber
{
public:
    // A new scrubber owned by the caller, at the playable's time. With
    // scratchAllowed and Player.ScratchAlgoMode 2: a QVPlayableScrubber2 that
    // follows; otherwise a QVPlayableScrubber1 that follows only with
    // scratchAllowed and mode 1.
    static QVPlayableScrubber* NewScrubber(bool scratchAllowed, double time);

    virtual ~QVPlayableScrubber() = default;

    QVPlayableScrubber(QVPlayableScrubber const&) = delete;
    QVPlayableScrubber& operator=(QVPlayableScrubber const&) = delete;

    // A new target time (clamped by the caller) with the playable's present
    // time; writes the present speed. True when the playable must be marked
    // changed.
    virtual bool SetCurrentTargetTime(double target, double current, double* speed) = 0;
    // Once per block of dt seconds: always writes the speed and the stop
    // flag, the time only when it stops (true stop: the block is silent and
    // the time jumps). True when something changed. Audio thread.
    virtual bool ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop) = 0;

    bool IsFollow() const { return mFollow; }

protected:
    explicit QVPlayableScrubber(bool follow) : mFollow(follow) {}

    // The per-reference-block factor for a block of dt seconds.
    static double RampFactor(double perReferenceBlock, double dt);

private:
    bool const mFollow;
};

class QVPlayableScrubber1 : public QVPlayableScrubber
{
public:
    QVPlayableScrubber1(bool follow, double smoothness, double time);

    bool SetCurrentTargetTime(double target, double current, double* speed) override;
    bool ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop) override;

    double GetCurrentTime() const { return mCurrentTime.Get(); }
    double GetTargetTime() const { return mTargetTime.Get(); }

private:
    double const mSmoothness;
    QVPlayableValue<double> mSpeed{0.0};
    QVPlayableValue<double> mCurrentTime;
    QVPlayableValue<double> mTargetTime;
};

class QVPlayableScrubber2 : public QVPlayableScrubber
{
public:
    // The application clock in seconds.
    typedef double (*Clock)();
    static double ApplicationClock();

    // Always follows. The clock is the application's unless given.
    QVPlayableScrubber2(double smoothness, double autoStopDelay, double time, Clock clock = &ApplicationClock);

    bool SetCurrentTargetTime(double target, double current, double* speed) override;
    bool ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop) override;

    double GetCurrentSpeed() const { return mCurrentSpeed.Get(); }
    double GetTargetSpeed() const { return mTargetSpeed.Get(); }

private:
    double const mSmoothness;
    double const mAutoStopDelay;
    QVPlayableValue<double> mCurrentSpeed{0.0};
    QVPlayableValue<double> mTargetSpeed{0.0};
    QVPlayableValue<double> mLastTargetTime;
    QVPlayableValue<double> mLastTargetClock{0.0};  // 0: no target yet
    Clock const mClock;
};
