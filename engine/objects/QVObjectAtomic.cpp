#include "QVObjectAtomic.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "QVAudioInfo.h"
#include "QVLocale.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVPlayableRTStateInputs.h"
#include "QVPrefs.h"
#include "QXSampleBuffer.h"

#include <new>

namespace {

bool SameShape(QXSampleBuffer<double> const& buffer, QVAudioInfo const& info, unsigned long long frames)
{
    return buffer.TotalChannelCount() == info.channelCount && buffer.TotalFrameCount() == frames &&
           buffer.SampleRate() == info.sampleRate;
}

}  // namespace

QVObjectAtomic::QVObjectAtomic() : QVObjectZlayer(0, kQVPlayableKindAtomic) {}

QVObjectAtomic::~QVObjectAtomic()
{
    delete mOverlap.exchange(nullptr, std::memory_order_acq_rel);
    FreeRetiredOverlap();
}

AKString QVObjectAtomic::akmGetName() const
{
    if (QVPlayableKindIsSub(GetKind()))
        return AKString(QVLocaleGetString("Sub"));
    return fName.IsEmpty() ? AKString(QVLocaleGetString("Player")) : fName;
}

// --- Audio resources ---

void QVObjectAtomic::FreeRetiredOverlap()
{
    delete mRetiredOverlap;
    mRetiredOverlap = nullptr;
}

int QVObjectAtomic::PrepareAudioResources(QVAudioInfo const& info, unsigned long long overlapFrames)
{
    mPrepared = true;
    // A buffer swapped out earlier is no longer in any block.
    FreeRetiredOverlap();
    int const status = QVObjectPlayable::PrepareAudioResources(info, overlapFrames);
    if (status != 0 || GetFLOwningSequence() == nullptr)
        return status;
    QXSampleBuffer<double>* const current = GetOverlapBuffer();
    // The same shape: the previous pool may be rendering with it, its
    // samples stay.
    if (current != nullptr && SameShape(*current, info, overlapFrames))
        return 0;
    auto* fresh = new (std::nothrow) QXSampleBuffer<double>();
    if (fresh == nullptr)
        return AKLogError(kAKErrorNoMemory, "QVObjectAtomic: no memory for the overlap buffer of #%d.", GetID());
    if (!fresh->AllocateClean(info.channelCount, overlapFrames, info.sampleRate)) {
        delete fresh;
        return AKLogError(kAKErrorNoMemory,
                          "QVObjectAtomic: cannot allocate the overlap buffer of #%d (%u channels, %llu frames).",
                          GetID(), info.channelCount, overlapFrames);
    }
    mRetiredOverlap = mOverlap.exchange(fresh, std::memory_order_acq_rel);
    return 0;
}

void QVObjectAtomic::ReleaseAudioResources()
{
    QVObjectPlayable::ReleaseAudioResources();
    // The document's audio is released: no block runs until the next
    // preparation, whatever pools still name this player.
    mPrepared = false;
    FreeRetiredOverlap();
    delete mOverlap.exchange(nullptr, std::memory_order_acq_rel);
}

// --- Links and names ---

void QVObjectAtomic::SynchronizeFLFastLinks(AKObject* parent, unsigned int index)
{
    QVObjectPlayable* sequence = nullptr;
    if (parent != nullptr && parent->IsKindOfT<QVObjectCursor>()) {
        auto* cursor = static_cast<QVObjectCursor*>(parent);
        SetKind(kQVPlayableKindAtomicSub);
        sequence = cursor->GetFLOwningSequence();
        SetFLLinks(sequence, cursor, cursor, index);
        // A sub has no starter key of its own.
        ResetUserUIStarterKey();
    } else if (parent != nullptr && parent->IsKindOfT<QVObjectSequence>()) {
        sequence = static_cast<QVObjectSequence*>(parent);
        SetKind(kQVPlayableKindAtomicStandalone);
        SetFLLinks(sequence, nullptr, sequence, index);
    } else {
        SetKind(kQVPlayableKindAtomicStandalone);
        SetFLLinks(nullptr, nullptr, nullptr, index);
    }
    if (sequence != nullptr && sequence->IsKindOfT<QVObjectSequence>())
        SetSubPoolables(&static_cast<QVObjectSequence*>(sequence)->GetFLSubTrackPoolables());
    else
        SetSubPoolables(nullptr);
}

AKString QVObjectAtomic::GetFLDynamicName(bool ignoreName, bool* isName) const
{
    if (QVPlayableKindIsSub(GetKind())) {
        if (isName != nullptr)
            *isName = false;
        AKString position;
        position.Assignf("%u", GetFLIndex());
        return position;
    }
    if (isName != nullptr)
        *isName = true;
    if (!ignoreName && !fName.IsEmpty())
        return fName;
    return AKString(QVLocaleGetString("Player"));
}

unsigned int QVObjectAtomic::PoolableStampSubLinks() const
{
    QVObjectPlayable const* const sequence = GetFLOwningSequence();
    return sequence != nullptr ? sequence->PoolableStampSubLinks() : kAKNullStampVers;
}

unsigned int QVObjectAtomic::PoolableStampFarSubLinks() const
{
    QVObjectPlayable const* const sequence = GetFLOwningSequence();
    return sequence != nullptr ? sequence->PoolableStampFarSubLinks() : kAKNullStampVers;
}

// --- Log ---

void QVObjectAtomic::LogInfo(unsigned int) const
{
    AKLog("| Atomic:    #%d \"%s\"\n", GetID(), akmGetName().c_str());
    AKLog("| Playing:   %d\n", IsUserPlay() ? 1 : 0);
    AKLog("| Loop:      %d\n", IsUserLoop() ? 1 : 0);
    AKLog("| Mute:      %d\n", IsUserMute() ? 1 : 0);
    AKLog("| Solo:      %d\n", IsUserSolo() ? 1 : 0);
    AKLog("| Time:      %.3lf\n", GetUserTime());
    AKLog("| Volume:    %.2lf\n", GetUserVolume());
    AKLog("| Gain:      %.2lf\n", GetUserGain());
    AKLog("| Speed:     %.2lf\n", GetUserSpeed());
    AKLog("| SpeedWow:  %.2lf\n", GetUserSpeedWow());
    AKLog("+----------------------------------------------------------------------------------+\n");
}

// --- Real-time state ---

QVPlayableRTState QVObjectAtomic::ComputeRTCurrStateSelf(QVPlayableRTState const& parent,
                                                         QVPlayableRTState const& previous, double dt) const
{
    return QVComputeAtomicRTState(QVReadPlayableRTInputs(*this), QVReadPlayableRTPrefs(QVPrefs::sShared), parent,
                                  previous, dt);
}
