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
    mCurrentTime = current;
    mTargetTime = target;
    *speed = mSpeed;
    return current != target;
}

bool QVPlayableScrubber1::ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop)
{
    double const current = mCurrentTime;
    double const target = mTargetTime;
    bool changed = false;
    bool snapped = false;
    if (current == target) {
        mSpeed = 0.0;
    } else if (std::fabs(target - current) <= kQVEngineScratchStopDur) {
        mCurrentTime = target;
        mSpeed = 0.0;
        changed = true;
        snapped = true;
    } else {
        double const next = (current - target) * RampFactor(0.85 + 0.07 * mSmoothness, dt) + target;
        mSpeed = dt > 0.0 ? (next - current) / dt : 0.0;
        mCurrentTime = next;
        changed = true;
    }
    if (!snapped && IsFollow() && IsPlayableSpeed(mSpeed)) {
        *speed = mSpeed;
        *stop = false;
        return changed;
    }
    *time = target;
    *speed = mSpeed;
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
    if (mLastTargetClock != 0.0) {
        if (now > mLastTargetClock)
            mTargetSpeed = (target - mLastTargetTime) / (now - mLastTargetClock);
        // Start and reversal are immediate.
        double const sign = mCurrentSpeed < 0.0 ? -1.0 : 1.0;
        double const targetSign = mTargetSpeed < 0.0 ? -1.0 : 1.0;
        if (mCurrentSpeed == 0.0 || sign != targetSign)
            mCurrentSpeed = mTargetSpeed;
    }
    mLastTargetTime = target;
    mLastTargetClock = now;
    *speed = mCurrentSpeed;
    return mCurrentSpeed != 0.0 || mTargetSpeed != 0.0;
}

bool QVPlayableScrubber2::ComputeCurrentRTScrub(double dt, double* time, double* speed, bool* stop)
{
    bool changed = false;
    if (mCurrentSpeed != 0.0 || mTargetSpeed != 0.0) {
        mCurrentSpeed = (mCurrentSpeed - mTargetSpeed) * RampFactor(0.8 + 0.12 * mSmoothness, dt) + mTargetSpeed;
        changed = true;
    }
    bool handStopped = false;
    if (mCurrentSpeed != 0.0 && mClock() - mLastTargetClock > mAutoStopDelay) {
        // The hand has stopped moving.
        mCurrentSpeed = 0.0;
        mTargetSpeed = 0.0;
        changed = true;
        handStopped = true;
    }
    if (!handStopped && IsPlayableSpeed(mCurrentSpeed)) {
        *speed = mCurrentSpeed;
        *stop = false;
        return changed;
    }
    *time = mLastTargetTime;
    *speed = mCurrentSpeed;
    *stop = true;
    return changed;
}
