#pragma once

// One block of a playable's real-time life (audio thread): the transport
// ramps and the speed wander advance, the class step computes the new state
// from the parent's, the time moves on and the transport ends at an edge.
//
// The computation is written once for any head H that gives it access to a
// playable's real-time members:
//   bool IsUserScrub(), IsUserRewind(), IsUserForward(), IsUserPlay() const
//   double GetUserSpeed(), GetUserSpeedWow() const
//   bool RTAdvanceScrubber(double dt, bool* stop)        (true: something changed)
//   double GetRwdFwdSpeed() const;  void RTSetRwdFwdSpeed(double)
//   double GetWowOffset(), GetWowTarget() const;  void RTSetWow(double offset, double target)
//   double RTGetRwdFwdTarget() const                     (Player.RwdFwdSpeed)
//   QVPlayableRTRandom& RTRandom()
//   QVPlayableRTState& RTPrevState();  QVPlayableRTState& RTCurrState()
//   QVPlayableRTState ComputeRTCurrStateSelf(parent, previous, dt) const
//   bool RTTakeTimeSet()      (clears the time-set flag, answers whether it was raised)
//   void RTSetTime(double)
//   void RTSetTransport(bool play, bool rewind, bool forward)
//   void RaiseStateStamp()

#include "QVPlayableRTStateRandom.h"
#include "QVPlayableRTState.h"

#include <cmath>

// Moves the wow offset towards its target and draws a new target once it is
// there (within +-0.05 x SpeedWow x Speed). With SpeedWow 0 both are 0.
inline void QVPlayableRTAdvanceWow(double* offset, double* target, double speedWow, double speed, double dt,
                                   QVPlayableRTRandom& random)
{
    if (!(speedWow > 0.0)) {
        *offset = 0.0;
        *target = 0.0;
        return;
    }
    double const decay = std::pow(QVPlayableWowDecay(speedWow), kQVEngineRTTimeBase * dt);
    *offset = *target + (*offset - *target) * decay;
    if (std::fabs(*offset - *target) <= kQVEngineWowSettleDistance) {
        double const reach = kQVEngineWowStep * speedWow * speed;
        *target = random.Uniform(-reach, reach);
    }
}

// Returns the new current state; reset starts afresh (a new pool, or a forced
// recomputation with dt 0) and leaves a silent copy as the previous state so
// that the block fades in.
template <class H>
QVPlayableRTState QVComputeRTCurrState(H& head, QVPlayableRTState const& parent, double dt, bool reset)
{
    bool stopScrub = false;
    if (reset) {
        head.RTPrevState() = kQVNullPlayableRTState;
    } else {
        if (head.IsUserScrub()) {
            if (head.RTAdvanceScrubber(dt, &stopScrub))
                head.RaiseStateStamp();
        } else if (head.IsUserRewind() || head.IsUserForward()) {
            double speed = head.GetRwdFwdSpeed();
            if (QVPlayableRTRampRwdFwdSpeed(&speed, head.RTGetRwdFwdTarget(), dt)) {
                head.RTSetRwdFwdSpeed(speed);
                head.RaiseStateStamp();
            }
        } else {
            double offset = head.GetWowOffset();
            double target = head.GetWowTarget();
            QVPlayableRTAdvanceWow(&offset, &target, head.GetUserSpeedWow(), head.GetUserSpeed(), dt, head.RTRandom());
            head.RTSetWow(offset, target);
        }
        head.RTPrevState() = head.RTCurrState();
    }

    QVPlayableRTState current = head.ComputeRTCurrStateSelf(parent, head.RTPrevState(), dt);
    if (stopScrub)
        current.active = false;
    head.RTCurrState() = current;

    if (reset) {
        QVPlayableRTState silent = current;
        silent.active = false;
        head.RTPrevState() = silent;
    }

    // A time a user gave while the block was computed survives it.
    if (!head.RTTakeTimeSet())
        head.RTSetTime(current.timeEnd);

    if (current.reachedEnd) {
        // Rewinding or forwarding while playing resumes normal play from the
        // edge; reaching an edge in normal play stops.
        bool const keepPlay = head.IsUserPlay() && (head.IsUserRewind() || head.IsUserForward());
        head.RTSetTransport(keepPlay, false, false);
        head.RaiseStateStamp();
    }
    return current;
}
