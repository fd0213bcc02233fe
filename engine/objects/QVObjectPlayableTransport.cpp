// The moves of a playback head in time: the live interval, relative time,
// begin and end, arrow jumps, the phases of a multi-player's subs, stepped
// speeds and the starter key's smart play. Every time move ends in
// LowSetUserTimeAndSpan.

#include "QVObjectPlayable.h"
#include "QVPrefs.h"

#include <cmath>

namespace {

// The magnitudes that the speed steps go through.
constexpr double kSpeeds[] = {0.0, 1.0 / 8.0, 1.0 / 6.0, 1.0 / 5.0, 1.0 / 4.0, 1.0 / 3.0, 1.0 / 2.0, 2.0 / 3.0,
                              1.0, 3.0 / 2.0, 2.0,       3.0,       4.0,       5.0,       6.0,       8.0};
constexpr int kSpeedCount = static_cast<int>(sizeof(kSpeeds) / sizeof(kSpeeds[0]));

// A multi-player's window kept inside an interval this narrow when it does
// not fit.
constexpr double kCollapsedIntvDur = 1e-6;

// Jumps: no jump in a shorter interval; short and long steps.
constexpr double kJumpIntvDurMin = 20.0;
constexpr double kJumpShortIntvDur = 60.0;
constexpr double kJumpShortStep = 5.0;
constexpr double kJumpStep = 10.0;
constexpr double kJumpLongViewDur = 300.0;
constexpr double kJumpLongStep = 30.0;

double Clamp(double value, double min, double max) { return value < min ? min : (value > max ? max : value); }

bool IsSameReal(double a, double b) { return a == b; }

// The next magnitude down or up the table; m itself when there is none.
double SteppedSpeedMagnitude(double m, int step)
{
    if (step < 0 && m > kSpeeds[1] && m <= kSpeeds[kSpeedCount - 1]) {
        int i = 1;
        while (kSpeeds[i] < m)
            ++i;
        return kSpeeds[i - 1];
    }
    if (step > 0 && m < kSpeeds[kSpeedCount - 1]) {
        int i = kSpeedCount - 2;
        while (i > 0 && kSpeeds[i] > m)
            --i;
        return kSpeeds[i + 1];
    }
    return m;
}

}  // namespace

// --- Live interval and relative time ---

AKTimeIntv QVObjectPlayable::GetRTLiveTimeIntv(bool* bounded) const
{
    bool parentBounded = false;
    AKTimeIntv intv = kAKNullTimeIntv;
    if (mParentPlayable != nullptr)
        intv = mParentPlayable->GetRTLiveTimeIntvForSub(&parentBounded);
    if (bounded != nullptr)
        *bounded = parentBounded;
    if (mParentPlayable == nullptr || !QVPlayableKindIsCursor(mKind) || intv.end <= intv.beg ||
        !QVPrefs::sShared.GetPlayerMultiSpanConfinedInSel())
        return intv;
    double const span = mSpan.Get();
    if (intv.end - intv.beg > span)
        return AKTimeIntv{intv.beg + span / 2.0, intv.end - span / 2.0};
    double const beg = (intv.beg + intv.end) / 2.0 - kCollapsedIntvDur / 2.0;
    return AKTimeIntv{beg, beg + kCollapsedIntvDur};
}

bool QVObjectPlayable::SetUserRelaTime(double fraction)
{
    AKTimeIntv const intv = GetRTLiveTimeIntv(nullptr);
    if (!(intv.beg < intv.end) || std::isnan(fraction))
        return false;
    double const time = intv.beg + (intv.end - intv.beg) * Clamp(fraction, 0.0, 1.0);
    return LowSetUserTimeAndSpan(time, mSpan.Get(), false);
}

double QVObjectPlayable::GetUserRelaTime() const
{
    AKTimeIntv const intv = GetRTLiveTimeIntv(nullptr);
    if (!(intv.beg < intv.end))
        return 0.0;
    return (mTime.Get() - intv.beg) / (intv.end - intv.beg);
}

double QVObjectPlayable::LowLimitTimeOfSub(double time) const
{
    if (mParentPlayable == nullptr)
        return time;
    AKTimeIntv const intv = GetRTLiveTimeIntv(nullptr);
    return intv.beg <= intv.end ? Clamp(time, intv.beg, intv.end) : time;
}

// --- Begin, end and jumps ---

bool QVObjectPlayable::LowMoveToLiveEdge(bool toEnd)
{
    if (mScrub.Get() || QVPlayableKindIsSub(mKind))
        return false;
    bool changed = mRewind.Get() || mForward.Get();
    mRewind.Set(false);
    mForward.Set(false);
    AKTimeIntv const intv = GetRTLiveTimeIntv(nullptr);
    if (LowSetUserTimeAndSpan(toEnd ? intv.end : intv.beg, mSpan.Get(), true))
        return true;  // the state stamp moved with the time
    if (changed)
        UserChanged(false);
    return changed;
}

bool QVObjectPlayable::DoUserToBegin() { return LowMoveToLiveEdge(false); }

bool QVObjectPlayable::DoUserToEnd() { return LowMoveToLiveEdge(true); }

bool QVObjectPlayable::DoUserJump(int direction, double viewedDuration)
{
    if (mScrub.Get() || mRewind.Get() || mForward.Get() || mOwningSequence == nullptr)
        return false;
    // The sequence's window when it has a span, else all of it.
    AKTimeIntv const intv = mOwningSequence->GetRTLiveTimeIntvForSub(nullptr);
    double const length = intv.end - intv.beg;
    if (!(length >= kJumpIntvDurMin))
        return false;
    double step = kJumpShortStep;
    if (length >= kJumpShortIntvDur)
        step = viewedDuration < kJumpLongViewDur ? kJumpStep : kJumpLongStep;
    double const time = mTime.Get() + (direction < 0 ? -step : step);
    return LowSetUserTimeAndSpan(time, mSpan.Get(), false);
}

// --- Phases of a multi-player's subs ---

bool QVObjectPlayable::DoUserPeekPhases()
{
    if (!QVPlayableKindIsCursor(mKind) || mScrub.Get())
        return false;
    double const length = mSpan.Get();
    if (!(length > 0.0))
        return false;
    double const beg = mTime.Get() - length / 2.0;
    bool changed = false;
    for (QVObjectPlayable* sub : *mSubPlayables) {
        // Not limited: a sub outside the window keeps its distance.
        double const phase = (sub->mTime.Get() - beg) / length;
        if (IsSameReal(sub->mPhase.Get(), phase))
            continue;
        sub->mPhase.Set(phase);
        sub->UserChanged(true);
        changed = true;
    }
    return changed;
}

bool QVObjectPlayable::DoUserPokePhases()
{
    if (!QVPlayableKindIsCursor(mKind) || mScrub.Get())
        return false;
    return LowSetUserTimeAndSpan(mTime.Get(), mSpan.Get(), true);
}

bool QVObjectPlayable::LowAdaptateTimeOfSubs(bool placeSubs, AKTimeIntv oldWindow, AKTimeIntv newWindow)
{
    double const newLength = newWindow.end - newWindow.beg;
    double const oldLength = oldWindow.end - oldWindow.beg;
    bool changed = false;
    if (placeSubs && newLength > 0.0) {
        for (QVObjectPlayable* sub : *mSubPlayables) {
            double const time = newWindow.beg + sub->mPhase.Get() * newLength;
            if (IsSameReal(sub->mTime.Get(), time))
                continue;
            sub->mTime.Set(time);
            sub->mTimeSet.store(true, std::memory_order_relaxed);
            sub->RaiseStateStamp();
            changed = true;
        }
        return changed;
    }
    if (!(newLength > 0.0 && oldLength > 0.0) || (oldWindow.beg == newWindow.beg && oldWindow.end == newWindow.end))
        return false;
    for (QVObjectPlayable* sub : *mSubPlayables) {
        sub->mTime.Set(newWindow.beg + (sub->mTime.Get() - oldWindow.beg) * newLength / oldLength);
        sub->mTimeSet.store(true, std::memory_order_relaxed);
        sub->RaiseStateStamp();
    }
    return true;
}

// The phase of a resting sub is also where it stands.
bool QVObjectPlayable::SetUserPhase(double phase)
{
    bool changed = LowSetReal(&mPhase, phase, 0.0, kQVPlayablePhaseMax);
    if (changed)
        UserChanged(true);
    if (!QVPlayableKindIsSub(mKind))
        return changed;
    auto const resting = [](QVObjectPlayable const* playable) {
        return !playable->mPlay.Get() && !playable->mRewind.Get() && !playable->mForward.Get() &&
               !playable->mScrub.Get();
    };
    if (resting(this) && (mOwningCursor == nullptr || resting(mOwningCursor)) && SetUserRelaTime(mPhase.Get()))
        changed = true;
    return changed;
}

// --- Speed steps ---

bool QVObjectPlayable::DoUserSpeedMoreOrLess(int step)
{
    double const speed = mSpeed.Get();
    double const magnitude = SteppedSpeedMagnitude(std::fabs(speed), step);
    return SetUserSpeed(speed < 0.0 ? -magnitude : magnitude);
}

// --- Smart play ---

bool QVObjectPlayable::DoUserSmartPlay(bool pressed, unsigned int behaviour)
{
    bool const toggles = behaviour == kQVStarterBehaviorToggle || behaviour == kQVStarterBehaviorToggleAndBack;
    if (toggles && !pressed)
        return false;
    if (behaviour == kQVStarterBehaviorToggle) {
        SetUserPlay(2);
        return true;
    }
    if (behaviour != kQVStarterBehaviorPushAndBack && behaviour != kQVStarterBehaviorToggleAndBack &&
        behaviour != kQVStarterBehaviorBackAndRepeat) {
        SetUserPlay(pressed ? 1 : 0);
        return true;
    }
    bool const playing = mPlay.Get() && !mRewind.Get() && !mForward.Get();
    bool start;
    if (behaviour == kQVStarterBehaviorBackAndRepeat) {
        if (playing) {
            if (pressed)
                LowSetUserTimeAndSpan(mSmartPlayStartTime.Get(), mSpan.Get(), false);
            return true;
        }
        start = true;
    } else {
        start = behaviour == kQVStarterBehaviorPushAndBack ? pressed : !playing;
    }
    if (start) {
        mSmartPlayStartTime.Set(mTime.Get());
        SetUserPlay(1);
    } else {
        SetUserPlay(0);
        LowSetUserTimeAndSpan(mSmartPlayStartTime.Get(), mSpan.Get(), false);
    }
    return true;
}
