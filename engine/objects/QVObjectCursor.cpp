#include "QVObjectCursor.h"

#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKLog.h"
#include "AKTreeRenum.h"
#include "AKValueTyped.h"
#include "QVLocale.h"
#include "QVObjectAtomic.h"
#include "QVObjectSequence.h"
#include "QVPlayableRTStateInputs.h"
#include "QVPrefs.h"

namespace {

constexpr unsigned int kSubCapacity = 8;

// Older documents: read for their upgrade, never written.
char const* const kKey_AttachableID = "AttachableID";
char const* const kKey_Deployed = "Deployed";

AKClass const** CursorChildClasses()
{
    static unsigned int sGeneration = 0;
    static AKClass const* sList[2] = {nullptr, nullptr};
    unsigned int const generation = AKClassMgr::GetGeneration();
    if (generation != sGeneration || sList[0] == nullptr) {
        sList[0] = AKClassOfID(QVObjectAtomic::_ClassID());
        sList[1] = nullptr;
        sGeneration = generation;
    }
    return sList;
}

}  // namespace

QVObjectCursor::QVObjectCursor() : QVObjectZlayer(kAKObjectOptionRenumberNodeIDs, kQVPlayableKindCursor)
{
    mSubs.Reserve(kSubCapacity);
    mSubPoolables.Reserve(kSubCapacity);
}

QVObjectCursor::~QVObjectCursor() = default;

// --- Object protocol ---

int QVObjectCursor::akmInitFromDictionary(AKDictionary const& dictionary)
{
    int const status = QVObjectPlayable::akmInitFromDictionary(dictionary);
    if (status != 0)
        return status;
    AKNodeID id = kAKNullNodeID;
    if (AKValueGetasAKNodeID(dictionary.GetValue(kKey_AttachableID), &id))
        mOldAttachedID = id;
    bool deployed = true;
    if (AKValueGetasBool(dictionary.GetValue(kKey_Deployed), &deployed, true))
        mOldDeployed = deployed;
    return 0;
}

int QVObjectCursor::akmRenumberExtraNodeIDs(AKTreeRenum const& renum)
{
    if (mOldAttachedID != kAKNullNodeID)
        renum.MatchID(&mOldAttachedID, true);
    return 0;
}

AKClass const** QVObjectCursor::akmGetAuthoChildClasses() const { return CursorChildClasses(); }

AKString QVObjectCursor::akmGetName() const { return fName.IsEmpty() ? AKString(QVLocaleGetString("Player")) : fName; }

// --- Poolable ---

void QVObjectCursor::SynchronizeFLFastLinks(AKObject* parent, unsigned int index)
{
    QVObjectPlayable* const sequence =
        parent != nullptr && parent->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(parent) : nullptr;
    SetFLLinks(sequence, nullptr, sequence, index);
    unsigned int const subLinks = GetSubLinksStamp();
    if (subLinks != mSubLinksSeen) {
        mSubLinksSeen = subLinks;
        ATObjectArray<AKObject> children;
        GrabChildren(&children);
        mSubs.Clear();
        mSubPoolables.Clear();
        for (AKObject* child : children) {
            if (child != nullptr && child->IsKindOfT<QVObjectAtomic>()) {
                mSubs.Push(static_cast<QVObjectAtomic*>(child));
                mSubPoolables.Push(static_cast<QVObjectAtomic*>(child));
            }
        }
        mSubIDs.Clear();
        // Also recounts the soloed subs.
        SetFLSubPlayables(&mSubs);
        SetSubPoolables(&mSubPoolables);
    }
    for (unsigned int i = 0; i < mSubs.Count(); ++i)
        mSubs[i]->SynchronizeFLFastLinks(this, i + 1);
}

AKString QVObjectCursor::GetFLDynamicName(bool ignoreName, bool* isName) const
{
    if (isName != nullptr)
        *isName = true;
    if (!ignoreName && !fName.IsEmpty())
        return fName;
    AKString name;
    name.Assignf("%s x %u", QVLocaleGetString("Player"), mSubs.Count());
    return name;
}

unsigned int QVObjectCursor::PoolableStampSubLinks() const { return GetSubLinksStamp(); }

unsigned int QVObjectCursor::PoolableStampFarSubLinks() const
{
    QVObjectPlayable const* const sequence = GetFLOwningSequence();
    return sequence != nullptr ? sequence->PoolableStampFarSubLinks() : kAKNullStampVers;
}

AKNodeIDArray const& QVObjectCursor::GetFLSubAtomicIDs() const
{
    if (mSubIDs.IsEmpty() && !mSubs.IsEmpty()) {
        mSubIDs.Reserve(mSubs.Count());
        for (QVObjectPlayable const* sub : mSubs) {
            AKNodeID const id = sub->GetID();
            mSubIDs.Push(id < 0 ? kAKNullNodeID : id);
        }
    }
    return mSubIDs;
}

// --- Playable ---

bool QVObjectCursor::SetUserPlay(unsigned int play)
{
    bool const playsNormally = IsUserPlay() && !IsUserRewind() && !IsUserForward();
    bool const start = play >= 2 ? !playsNormally : play == 1;
    // The subs run because their multi-player runs: starting leaves their
    // own flags alone.
    if (start)
        return QVObjectPlayable::SetUserPlay(1);
    bool changed = false;
    for (QVObjectPlayable* sub : mSubs)
        changed = sub->SetUserPlay(0) || changed;
    return QVObjectPlayable::SetUserPlay(0) || changed;
}

// --- Log ---

void QVObjectCursor::LogInfo(unsigned int level) const
{
    AKLog("| Cursor:    #%d \"%s\"\n", GetID(), akmGetName().c_str());
    AKLog("| Playing:   %d\n", IsUserPlay() ? 1 : 0);
    AKLog("| Loop:      %d\n", IsUserLoop() ? 1 : 0);
    AKLog("| Mute:      %d\n", IsUserMute() ? 1 : 0);
    AKLog("| Solo:      %d\n", IsUserSolo() ? 1 : 0);
    AKLog("| Time:      %.3lf\n", GetUserTime());
    AKLog("| Span:      %.3lf\n", GetUserSpan());
    AKLog("| Volume:    %.2lf\n", GetUserVolume());
    AKLog("| Gain:      %.2lf\n", GetUserGain());
    AKLog("| Speed:     %.2lf\n", GetUserSpeed());
    AKLog("| SpeedWow:  %.2lf\n", GetUserSpeedWow());
    AKLog("| SpeedSubx: %.2lf\n", GetUserSpeedSubx());
    AKLog("+----------------------------------------------------------------------------------+\n");
    for (QVObjectPlayable const* sub : mSubs)
        static_cast<QVObjectAtomic const*>(sub)->LogInfo(level);
}

// --- Real-time state ---

QVPlayableRTState QVObjectCursor::ComputeRTCurrStateSelf(QVPlayableRTState const& parent,
                                                         QVPlayableRTState const& previous, double dt) const
{
    return QVComputeCursorRTState(QVReadPlayableRTInputs(*this), QVReadPlayableRTPrefs(QVPrefs::sShared), parent,
                                  previous, dt);
}

AKTimeIntv QVObjectCursor::GetRTLiveTimeIntvForSub(bool* bounded) const
{
    if (bounded != nullptr)
        *bounded = true;
    double const span = GetUserSpan();
    double const beg = GetUserTime() - span / 2.0;
    return AKTimeIntv{beg, beg + span};
}
