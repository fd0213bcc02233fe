#include "QVObjectPlayable.h"

#include "QVPlayableRTStateCompute.h"
#include "QVPlayableScrubber.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"
#include "QVPrefs.h"

#include <cmath>
#include <cstdint>
#include <thread>

namespace {

// 0 clears, 1 sets, 2 or more toggles.
bool RequestedFlag(unsigned int request, bool current)
{
    if (request == 0)
        return false;
    if (request == 1)
        return true;
    return !current;
}

// Any difference, a NaN on either side included, is a change.
bool IsSameReal(double a, double b) { return a == b; }

// Counts a thread in while it uses the playable's scrubber, so that the one
// replacing it waits before deleting it. Announcing comes before loading the
// pointer, both sequentially consistent: a replacement either sees the count
// or is seen by the load.
class ScrubberUse
{
public:
    ScrubberUse(std::atomic<int>& users, std::atomic<QVPlayableScrubber*> const& scrubber) : mUsers(users)
    {
        mUsers.fetch_add(1, std::memory_order_seq_cst);
        mScrubber = scrubber.load(std::memory_order_seq_cst);
    }
    ~ScrubberUse() { mUsers.fetch_sub(1, std::memory_order_release); }
    ScrubberUse(ScrubberUse const&) = delete;
    ScrubberUse& operator=(ScrubberUse const&) = delete;

    QVPlayableScrubber* Get() const { return mScrubber; }

private:
    std::atomic<int>& mUsers;
    QVPlayableScrubber* mScrubber;
};

}  // namespace

QVObjectPlayableArray const& QVNullObjectPlayableArrayShared()
{
    static QVObjectPlayableArray const sEmpty;
    return sEmpty;
}

QVObjectPlayable::QVObjectPlayable(unsigned int options, QVPlayableKind kind)
    : QVObjectPoolable(options), mKind(kind), mSubPlayables(&kQVNullObjectPlayableArray),
      mRTRandom(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this)))
{
    QVPrefs const& prefs = QVPrefs::sShared;
    if (QVPlayableKindIsSequence(kind))
        return;  // every default of the table
    mLoop.Set(prefs.GetPlayerDefaultLoopMode());
    if (QVPlayableKindIsCursor(kind)) {
        mFadio.Set(1.0);
        mSpeed.Set(prefs.GetPlayerMultiDefaultSpeed());
        mSpan.Set(LowCheckSpanDuration(kind, prefs.GetPlayerMultiDefaultSpanDuration()));
    } else {
        mSpeed.Set(1.0);
    }
}

QVObjectPlayable::~QVObjectPlayable()
{
    delete mScrubber.exchange(nullptr);
    QVPluginInstance* const instance = mPluginInstance.exchange(nullptr);
    if (instance != nullptr)
        QVPluginMgr::sShared.ReleasePluginInstance(instance);
}

// --- Stamps ---

void QVObjectPlayable::RaiseStateStamp()
{
    unsigned int const value = mStateStamp.fetch_add(1, std::memory_order_relaxed) + 1;
    if (value == kAKNullStampSync || value == kAKUndefStampVers) {
        unsigned int expected = value;
        mStateStamp.compare_exchange_strong(expected, kAKNullStampVers, std::memory_order_relaxed);
    }
}

void QVObjectPlayable::UserChanged(bool modified)
{
    RaiseStateStamp();
    if (modified)
        SetModified(true);
}

// --- Span rule ---

double QVObjectPlayable::LowCheckSpanDuration(QVPlayableKind kind, double span)
{
    if (!QVPlayableKindHasSpan(kind))
        return 0.0;
    if (QVPlayableKindIsSequence(kind) && std::fabs(span) <= kQVPlayableSpanZeroTolerance)
        return 0.0;
    double const minimum = QVPrefs::sShared.GetPlayerMultiMinSpanDuration();
    return std::isnan(span) || span < minimum ? minimum : span;
}

// --- Setters ---

bool QVObjectPlayable::LowSetReal(QVPlayableValue<double>* member, double value, double min, double max)
{
    if (std::isnan(value))
        return false;
    value = value < min ? min : (value > max ? max : value);
    if (IsSameReal(member->Get(), value))
        return false;
    member->Set(value);
    return true;
}

bool QVObjectPlayable::LowSetFlag(QVPlayableValue<bool>* member, unsigned int request)
{
    bool const value = RequestedFlag(request, member->Get());
    if (value == member->Get())
        return false;
    member->Set(value);
    return true;
}

bool QVObjectPlayable::SetUserPlay(unsigned int play)
{
    bool const seeking = mRewind.Get() || mForward.Get();
    bool value;
    if (play >= 2)
        value = !mPlay.Get() || seeking;
    else
        value = play == 1;
    if (value == mPlay.Get() && !seeking)
        return false;
    mPlay.Set(value);
    mRewind.Set(false);
    mForward.Set(false);
    UserChanged(false);
    return true;
}

bool QVObjectPlayable::LowSetRewindOrForward(QVPlayableValue<bool>* member, QVPlayableValue<bool>* other,
                                             unsigned int request)
{
    bool const was = member->Get();
    bool const value = RequestedFlag(request, was);
    if (value == was)
        return false;
    if (value) {
        other->Set(false);
        mRwdFwdSpeed.Set(mPlay.Get() ? std::fmax(0.1, std::fabs(mSpeed.Get())) : 1.0);
    }
    member->Set(value);
    UserChanged(false);
    return true;
}

bool QVObjectPlayable::SetUserRewind(unsigned int rewind) { return LowSetRewindOrForward(&mRewind, &mForward, rewind); }

bool QVObjectPlayable::SetUserForward(unsigned int forward)
{
    return LowSetRewindOrForward(&mForward, &mRewind, forward);
}

bool QVObjectPlayable::SetUserScrubMode(unsigned int scrub)
{
    bool const value = RequestedFlag(scrub, mScrub.Get());
    if (value == mScrub.Get())
        return false;
    if (value) {
        bool const scratch = QVPrefs::sShared.GetPlayerScratchEnabled() && QVPlayableKindIsStandalone(mKind);
        QVPlayableScrubber* const scrubber = QVPlayableScrubber::NewScrubber(scratch, mTime.Get());
        mScrubFollow.Set(scrubber->IsFollow());
        mScrubSpeed.Set(0.0);
        ReplaceScrubber(scrubber);
    } else {
        ReplaceScrubber(nullptr);
        mScrubSpeed.Set(0.0);
        mScrubFollow.Set(false);
    }
    mScrub.Set(value);
    UserChanged(false);
    return true;
}

void QVObjectPlayable::ReplaceScrubber(QVPlayableScrubber* scrubber)
{
    QVPlayableScrubber* const old = mScrubber.exchange(scrubber, std::memory_order_seq_cst);
    if (old == nullptr)
        return;
    // A thread that took the old scrubber before the exchange uses it for a
    // few arithmetic operations; none can take it any more.
    while (mScrubberUsers.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
    delete old;
}

bool QVObjectPlayable::RTAdvanceScrubber(double dt, bool* stop)
{
    *stop = false;
    bool changed = false;
    {
        ScrubberUse const use(mScrubberUsers, mScrubber);
        if (use.Get() != nullptr) {
            double time = mTime.Get();
            double speed = mScrubSpeed.Get();
            changed = use.Get()->ComputeCurrentRTScrub(dt, &time, &speed, stop);
            if (*stop)
                mTime.Set(time);  // the scrubber writes the time only when it stops
            mScrubSpeed.Set(speed);
        }
    }
    if (changed)
        RaiseStateStamp();
    return changed;
}

bool QVObjectPlayable::SetUserLoop(unsigned int loop)
{
    if (!LowSetFlag(&mLoop, loop))
        return false;
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::SetUserStated(unsigned int stated)
{
    if (!LowSetFlag(&mStated, stated))
        return false;
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::SetUserMute(unsigned int mute)
{
    if (!LowSetFlag(&mMute, mute))
        return false;
    UserChanged(true);
    if (mParentPlayable != nullptr)
        rUpdateRActiveFlag(false, mParentPlayable->IsRActive(), mParentPlayable->GetSoloCount() > 0);
    else
        rUpdateRActiveFlag(false, true, false);
    return true;
}

bool QVObjectPlayable::SetUserSolo(unsigned int solo)
{
    if (!LowSetFlag(&mSolo, solo))
        return false;
    UserChanged(true);
    QVObjectPlayable* const parent = mParentPlayable;
    if (parent == nullptr)
        return true;
    bool const value = mSolo.Get();
    parent->mSoloCount += value ? 1 : -1;
    if (parent->mSoloCount < 0)
        parent->mSoloCount = 0;
    parent->UpdateRActiveFlagOfSubs(false);
    // Soloing the only player of a sequence solos the sequence among the
    // other sequences.
    if (QVPlayableKindIsSequence(parent->GetKind()) && parent->GetFLSubPlayables().Count() == 1)
        parent->SetUserSolo(value ? 1 : 0);
    return true;
}

bool QVObjectPlayable::SetUserVolume(double volume)
{
    if (!LowSetReal(&mVolume, volume, kQVEngineVolumeMin, kQVEngineVolumeMax))
        return false;
    mGain.Set(QVPlayableGainFromVolume(mVolume.Get()));
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::SetUserGain(double gain)
{
    if (!LowSetReal(&mGain, gain, 0.0, kQVEngineGainMax))
        return false;
    mVolume.Set(QVPlayableVolumeFromGain(mGain.Get()));
    UserChanged(true);
    return true;
}

#define QV_PLAYABLE_REAL_SETTER(Name, member, min, max)                                                                \
    bool QVObjectPlayable::SetUser##Name(double value)                                                                 \
    {                                                                                                                  \
        if (!LowSetReal(&member, value, min, max))                                                                     \
            return false;                                                                                              \
        UserChanged(true);                                                                                             \
        return true;                                                                                                   \
    }

QV_PLAYABLE_REAL_SETTER(Panora, mPanora, kQVPlayablePanoraMin, kQVPlayablePanoraMax)
QV_PLAYABLE_REAL_SETTER(Fadio, mFadio, 0.0, kQVPlayableFadioMax)
QV_PLAYABLE_REAL_SETTER(SpeedWow, mSpeedWow, 0.0, kQVPlayableSpeedWowMax)

bool QVObjectPlayable::SetUserSpeed(double speed)
{
    double const max = QVPrefs::sShared.GetPlayerSpeedMax();
    if (!LowSetReal(&mSpeed, speed, -max, max))
        return false;
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::SetUserSpeedSubx(double subx)
{
    double const max = QVPrefs::sShared.GetPlayerSpeedSubxMax();
    if (!LowSetReal(&mSpeedSubx, subx, -max, max))
        return false;
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::DoUserSpeedSens()
{
    mSpeed.Set(-mSpeed.Get());
    UserChanged(true);
    return true;
}

bool QVObjectPlayable::LowSetUserTimeAndSpan(double time, double span, bool placeSubs)
{
    AKTimeIntv const oldWindow{mTime.Get() - mSpan.Get() / 2.0, mTime.Get() + mSpan.Get() / 2.0};
    bool changed = false;
    bool spanChanged = false;
    if (QVPlayableKindHasSpan(mKind) && !std::isnan(span)) {
        span = LowCheckSpanDuration(mKind, span);
        if (!IsSameReal(mSpan.Get(), span)) {
            mSpan.Set(span);
            spanChanged = true;
            changed = true;
        }
    }
    if (!std::isnan(time)) {
        if (QVPlayableKindIsSub(mKind))
            time = LowLimitTimeOfSub(time);
        if (mScrub.Get()) {
            ScrubberUse const use(mScrubberUsers, mScrubber);
            QVPlayableScrubber* const scrubber = use.Get();
            bool follow = false;
            if (scrubber != nullptr) {
                double speed = mScrubSpeed.Get();
                if (scrubber->SetCurrentTargetTime(time, mTime.Get(), &speed))
                    changed = true;
                mScrubSpeed.Set(speed);
                follow = scrubber->IsFollow();
            }
            if (!follow && !IsSameReal(mTime.Get(), time)) {
                mTime.Set(time);
                changed = true;
            }
        } else if (!IsSameReal(mTime.Get(), time)) {
            mTime.Set(time);
            mTimeSet.store(true, std::memory_order_relaxed);
            changed = true;
        }
    }
    // A multi-player carries its subs along, unless they are playing on
    // their own in its window.
    if (QVPlayableKindIsCursor(mKind)) {
        bool const moving = mPlay.Get() || mRewind.Get() || mForward.Get() ||
                            (mScrub.Get() && QVPrefs::sShared.GetPlayerMultiAutoPlayWhenScrub());
        AKTimeIntv const newWindow{mTime.Get() - mSpan.Get() / 2.0, mTime.Get() + mSpan.Get() / 2.0};
        if ((placeSubs || !moving) && LowAdaptateTimeOfSubs(placeSubs, oldWindow, newWindow))
            changed = true;
    }
    if (changed)
        UserChanged(spanChanged);
    return changed;
}

// --- Links ---

void QVObjectPlayable::SetFLLinks(QVObjectPlayable* owningSequence, QVObjectPlayable* owningCursor,
                                  QVObjectPlayable* parent, unsigned int index)
{
    mOwningSequence = owningSequence;
    mOwningCursor = owningCursor;
    mParentPlayable = parent;
    mIndex = index;
}

void QVObjectPlayable::SetFLSubPlayables(QVObjectPlayableArray const* subs)
{
    mSubPlayables = subs != nullptr ? subs : &kQVNullObjectPlayableArray;
    int count = 0;
    for (QVObjectPlayable* sub : *mSubPlayables)
        count += sub->IsUserSolo() ? 1 : 0;
    mSoloCount = count;
}

void QVObjectPlayable::ChangeFLPluginCarrierCount(int) {}

// --- Mute and solo ---

void QVObjectPlayable::rUpdateRActiveFlag(bool force, bool parentActive, bool siblingSoloed)
{
    bool const active = parentActive && !mMute.Get() && (mSolo.Get() || !siblingSoloed);
    if (active != mRActive.Get()) {
        mRActive.Set(active);
        RaiseStateStamp();
    } else if (!force) {
        return;
    }
    UpdateRActiveFlagOfSubs(force);
}

void QVObjectPlayable::UpdateRActiveFlagOfSubs(bool force)
{
    bool const active = mRActive.Get();
    bool const soloed = mSoloCount > 0;
    for (QVObjectPlayable* sub : *mSubPlayables)
        sub->rUpdateRActiveFlag(force, active, soloed);
}

void QVObjectPlayable::UpdateRActiveFlagOfArray(QVObjectPoolableArray const& playables, bool force, bool parentActive,
                                                bool siblingSoloed)
{
    for (QVObjectPoolable* poolable : playables) {
        if (poolable != nullptr && poolable->IsKindOfT<QVObjectPlayable>())
            static_cast<QVObjectPlayable*>(poolable)->rUpdateRActiveFlag(force, parentActive, siblingSoloed);
    }
}

void QVObjectPlayable::rResetAllMutesAndSolos()
{
    if (!mRActive.Get() || mMute.Get() || mSolo.Get()) {
        mRActive.Set(true);
        mMute.Set(false);
        mSolo.Set(false);
        UserChanged(true);
    }
    for (QVObjectPlayable* sub : *mSubPlayables)
        sub->rResetAllMutesAndSolos();
    mSoloCount = 0;
}

// --- Real-time state ---

QVPlayableRTState QVObjectPlayable::ComputeRTCurrState(QVPlayableRTState const& parent, double dt, bool reset)
{
    return QVComputeRTCurrState(*this, parent, dt, reset);
}

QVPlayableRTState QVObjectPlayable::ComputeRTCurrStateSelf(QVPlayableRTState const&, QVPlayableRTState const&,
                                                           double) const
{
    QVPlayableRTState state = kQVNullPlayableRTState;
    state.timeBeg = state.timeEnd = mTime.Get();
    return state;
}

AKTimeIntv QVObjectPlayable::GetRTLiveTimeIntvForSub(bool* bounded) const
{
    if (bounded != nullptr)
        *bounded = false;
    return AKTimeIntv{0.0, 0.0};
}

double QVObjectPlayable::RTGetRwdFwdTarget() const { return QVPrefs::sShared.GetPlayerRwdFwdSpeed(); }

void QVObjectPlayable::SetRTCurrentInfo(bool active, bool sounding, bool pluginTail, bool markNow,
                                        unsigned long long trackMask) const
{
    QVSetPlayableRTInfo(&mRTInfo, active, sounding, pluginTail, markNow, trackMask);
}
