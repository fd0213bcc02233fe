#include "QVPlayableScrubber.h"

#include "AKSys.h"
#include "QVPlayableConstants.h"
#include "QVPrefs.h"

#include <cmath>

namespace {

// Whether a speed is played: fast enough to be heard, slow enough not to be
// a violent jump.
bool IsPlayableSpeed(double speed)
{
    double const magnitude = std::fabs(speed);
    return magnitude > kQVEngineSpeedEpsilon && magnitude <= kQVEngineScratchSpeedMax;
}

}  // namespace

QVPlayableScrubber* QVPlayableScrubber::NewScrubber(bool scratchAllowed, double time)
{
    QVPrefs const& prefs = QVPrefs::sShared;
    unsigned int const mode = prefs.GetPlayerScratchAlgoMode();
    if (scratchAllowed && mode == 2)
        return new QVPlayableScrubber2(prefs.GetPlayerScratchSmoothness(), prefs.GetPlayerScratchAutoStopDelay(), time);
    return new QVPlayableScrubber1(scratchAllowed && mode == 1, prefs.GetPlayerScratchSmoothness(), time);
}

double QVPlayableScrubber::RampFactor(double perReferenceBlock, double dt)
{
    return std::pow(perReferenceBlock, kQVEngineRTTimeBase * dt);
}

// --- Time smoothing ---

QVPlayableScrubber1::QVPlayableScrubber1(bool follow, double smoothness, double time)
    : QVPlayableScrubber(follow), mSmoothness(smoothness), mCurrentTime(time), mTargetTime(time)
{}

bool QVPlayableScrubber1::SetCurrentTargetTime(double target, double current, double* speed)
{
    mCurrentTime.Set(current);
    mTargetTime.Set(target);
    *speed = mSpeed.Get();
    return current != target;
}

bool QVPlayableScrubber1::ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop)
{
    double const current = mCurrentTime.Get();
    double const target = mTargetTime.Get();
    double newSpeed = 0.0;
    bool changed = false;
    bool snapped = false;
    if (current == target) {
        // Already there.
    } else if (std::fabs(target - current) <= kQVEngineScratchStopDur) {
        mCurrentTime.Set(target);
        changed = true;
        snapped = true;
    } else {
        double const next = (current - target) * RampFactor(0.85 + 0.07 * mSmoothness, dt) + target;
        newSpeed = dt > 0.0 ? (next - current) / dt : 0.0;
        mCurrentTime.Set(next);
        changed = true;
    }
    mSpeed.Set(newSpeed);
    if (!snapped && IsFollow() && IsPlayableSpeed(newSpeed)) {
        *speed = newSpeed;
        *stop = false;
        return changed;
    }
    *time = target;
    *speed = newSpeed;
    *stop = true;
    return changed;
}

// --- Speed smoothing ---

double QVPlayableScrubber2::ApplicationClock() { return AKSys::GetCurrentApplicationTimeMicroSec() * 1e-6; }

QVPlayableScrubber2::QVPlayableScrubber2(double smoothness, double autoStopDelay, double time, Clock clock)
    : QVPlayableScrubber(true), mSmoothness(smoothness), mAutoStopDelay(autoStopDelay), mLastTargetTime(time),
      mClock(clock != nullptr ? clock : &ApplicationClock)
{}

bool QVPlayableScrubber2::SetCurrentTargetTime(double target, double, double* speed)
{
    double const now = mClock();
    double const lastClock = mLastTargetClock.Get();
    double targetSpeed = mTargetSpeed.Get();
    double currentSpeed = mCurrentSpeed.Get();
    if (lastClock != 0.0) {
        if (now > lastClock) {
            targetSpeed = (target - mLastTargetTime.Get()) / (now - lastClock);
            mTargetSpeed.Set(targetSpeed);
        }
        // Start and reversal are immediate.
        double const sign = currentSpeed < 0.0 ? -1.0 : 1.0;
        double const targetSign = targetSpeed < 0.0 ? -1.0 : 1.0;
        if (currentSpeed == 0.0 || sign != targetSign) {
            currentSpeed = targetSpeed;
            mCurrentSpeed.Set(currentSpeed);
        }
    }
    mLastTargetTime.Set(target);
    mLastTargetClock.Set(now);
    *speed = currentSpeed;
    return currentSpeed != 0.0 || targetSpeed != 0.0;
}

bool QVPlayableScrubber2::ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop)
{
    double current = mCurrentSpeed.Get();
    double const target = mTargetSpeed.Get();
    bool changed = false;
    if (current != 0.0 || target != 0.0) {
        current = (current - target) * RampFactor(0.8 + 0.12 * mSmoothness, dt) + target;
        mCurrentSpeed.Set(current);
        changed = true;
    }
    bool handStopped = false;
    if (current != 0.0 && mClock() - mLastTargetClock.Get() > mAutoStopDelay) {
        // The hand has stopped moving.
        current = 0.0;
        mCurrentSpeed.Set(0.0);
        mTargetSpeed.Set(0.0);
        changed = true;
        handStopped = true;
    }
    if (!handStopped && IsPlayableSpeed(current)) {
        *speed = current;
        *stop = false;
        return changed;
    }
    *time = mLastTargetTime.Get();
    *speed = current;
    *stop = true;
    return changed;
}
