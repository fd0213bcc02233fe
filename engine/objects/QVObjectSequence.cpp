#include "QVObjectSequence.h"

#include "AKClassMgr.h"
#include "AKLog.h"
#include "AKTreeRenum.h"
#include "QVLocale.h"
#include "QVObjectFolders.h"
#include "QVObjectTrack.h"
#include "QVPlayableRTStateInputs.h"
#include "QVPrefs.h"

namespace {

constexpr unsigned int kChildCapacity = 8;
constexpr unsigned int kAllPlayablesCapacity = 16;
constexpr unsigned int kAllLabelsMask = ((1u << (kQVColorLabelMax + 1)) - 1) & ~1u;

// The track class and the player base, looked up again whenever the
// registry was filled anew.
AKClass const** SequenceChildClasses()
{
    static unsigned int sGeneration = 0;
    static AKClass const* sList[3] = {nullptr, nullptr, nullptr};
    unsigned int const generation = AKClassMgr::GetGeneration();
    if (generation != sGeneration || sList[0] == nullptr || sList[1] == nullptr) {
        sList[0] = AKClassOfID(AKClassID("track"));
        sList[1] = AKClassOfID(AKClassID(kQVClassIDZlayer));
        sList[2] = nullptr;
        sGeneration = generation;
    }
    return sList;
}

AKTimeIntv PlayableIntv(QVObjectPlayable const* playable)
{
    double const time = playable->GetUserTime();
    double const half = QVPlayableKindHasSpan(playable->GetKind()) ? 0.5 * playable->GetUserSpan() : 0.0;
    return AKTimeIntv{time - half, time + half};
}

// Any difference, a NaN on either side included, is a move.
bool SameIntv(AKTimeIntv const& a, AKTimeIntv const& b) { return a.beg == b.beg && a.end == b.end; }

// One ID per object, 0 for a negative one.
template <class Array>
void FillIDs(AKNodeIDArray* ids, Array const& objects)
{
    ids->Reserve(objects.Count());
    for (auto const* object : objects) {
        AKNodeID const id = object->GetID();
        ids->Push(id < 0 ? kAKNullNodeID : id);
    }
}

}  // namespace

QVObjectSequence::QVObjectSequence() : QVObjectPlayable(kAKObjectOptionRenumberNodeIDs, kQVPlayableKindSequence)
{
    mTracks.Reserve(kChildCapacity);
    mTrackPoolables.Reserve(kChildCapacity);
    mPlayers.Reserve(kChildCapacity);
    mPlayerPoolables.Reserve(kChildCapacity);
    mAllPlayables.Reserve(kAllPlayablesCapacity);
    mPlayerIntvs.Reserve(kChildCapacity);
    mAllIntvs.Reserve(kAllPlayablesCapacity);
}

QVObjectSequence::~QVObjectSequence() = default;

// --- Object protocol ---

AKClass const** QVObjectSequence::akmGetAuthoChildClasses() const { return SequenceChildClasses(); }

AKString QVObjectSequence::akmGetName() const
{
    return fName.IsEmpty() ? AKString(QVLocaleGetString("Sequence")) : fName;
}

int QVObjectSequence::akmRenumberExtraNodeIDs(AKTreeRenum const& renum)
{
    if (mFollowID != kAKNullNodeID)
        renum.MatchID(&mFollowID, true);
    return mPresetsBlock.RenumberExtraNodeIDs(renum);
}

// --- Poolable ---

AKString QVObjectSequence::GetFLDynamicName(bool ignoreName, bool* isName) const
{
    if (isName != nullptr)
        *isName = true;
    if (!ignoreName && !fName.IsEmpty())
        return fName;
    return AKString(QVLocaleGetString("Sequence"));
}

unsigned int QVObjectSequence::PoolableStampSubLinks() const { return GetSubLinksStamp(); }

unsigned int QVObjectSequence::PoolableStampFarSubLinks() const { return GetFarSubLinksStamp(); }

void QVObjectSequence::SynchronizeFLFastLinks(AKObject* parent, unsigned int)
{
    mFolder = parent != nullptr && parent->IsKindOfT<QVObjectFolderSequence>()
                  ? static_cast<QVObjectFolderSequence*>(parent)
                  : nullptr;
    unsigned int const farSubLinks = GetFarSubLinksStamp();
    if (farSubLinks != mFarSubLinksSeen) {
        mFarSubLinksSeen = farSubLinks;
        unsigned int const subLinks = GetSubLinksStamp();
        if (subLinks != mSubLinksSeen) {
            mSubLinksSeen = subLinks;
            RefillChildren();
        }
        for (unsigned int i = 0; i < mTracks.Count(); ++i)
            mTracks[i]->SynchronizeFLFastLinks(this, i + 1);
        for (unsigned int i = 0; i < mPlayers.Count(); ++i)
            mPlayers[i]->SynchronizeFLFastLinks(this, i + 1);
        RebuildAllPlayables();
        mPresetsBlock.SynchronizeFLFastLinks();
        RecountPlugins();
        mPlayerIntvs.SetCount(mPlayers.Count());
        mAllIntvs.SetCount(mAllPlayables.Count());
        UpdateRTPlayableIntvs();
    }
    SynchronizeFLFullIntv();
}

void QVObjectSequence::RefillChildren()
{
    ATObjectArray<AKObject> children;
    GrabChildren(&children);
    mTracks.Clear();
    mTrackPoolables.Clear();
    mPlayers.Clear();
    mPlayerPoolables.Clear();
    for (AKObject* child : children) {
        if (child == nullptr)
            continue;
        if (child->IsKindOfT<QVObjectTrack>()) {
            mTracks.Push(static_cast<QVObjectTrack*>(child));
            mTrackPoolables.Push(static_cast<QVObjectPoolable*>(child));
        } else if (child->IsKindOfT<QVObjectZlayer>()) {
            mPlayers.Push(static_cast<QVObjectPlayable*>(child));
            mPlayerPoolables.Push(static_cast<QVObjectPoolable*>(child));
        }
    }
    mTrackIDs.Clear();
    mPlayerIDs.Clear();
    // Also recounts the soloed players.
    SetFLSubPlayables(&mPlayers);
    SetSubPoolables(&mPlayerPoolables);
    CompleteColorLabels();
    FindFollowIndex();
}

void QVObjectSequence::CompleteColorLabels()
{
    unsigned int used = 0;
    bool someUnlabelled = false;
    for (QVObjectPlayable const* player : mPlayers) {
        unsigned int const label = player->GetUIColorLabel();
        if (label == 0)
            someUnlabelled = true;
        else
            used |= 1u << label;
    }
    if (!someUnlabelled || (used & kAllLabelsMask) == kAllLabelsMask)
        return;
    unsigned int next = 1;
    for (QVObjectPlayable* player : mPlayers) {
        if (player->GetUIColorLabel() != 0)
            continue;
        while (next <= kQVColorLabelMax && (used & (1u << next)) != 0)
            ++next;
        if (next > kQVColorLabelMax)
            break;
        player->SetUserUIColorLabel(next);
        used |= 1u << next;
    }
}

void QVObjectSequence::RebuildAllPlayables()
{
    mAllPlayables.Clear();
    mAllPlayables.Reserve(1 + 4 * mPlayers.Count());
    mAllPlayables.Push(this);
    for (QVObjectPlayable* player : mPlayers)
        mAllPlayables.Push(player);
    for (QVObjectPlayable* player : mPlayers)
        for (QVObjectPlayable* sub : player->GetFLSubPlayables())
            mAllPlayables.Push(sub);
}

void QVObjectSequence::RecountPlugins()
{
    int count = 0;
    for (unsigned int i = 1; i < mAllPlayables.Count(); ++i)
        count += mAllPlayables[i]->GetPluginInstance() != nullptr ? 1 : 0;
    mPluginCount = count;
}

void QVObjectSequence::ChangeFLPluginCarrierCount(int delta)
{
    mPluginCount += delta;
    if (mPluginCount < 0)
        mPluginCount = 0;
}

AKNodeIDArray const& QVObjectSequence::GetFLSubTrackIDs() const
{
    if (mTrackIDs.IsEmpty() && !mTracks.IsEmpty())
        FillIDs(&mTrackIDs, mTracks);
    return mTrackIDs;
}

AKNodeIDArray const& QVObjectSequence::GetFLSubPlayableIDs() const
{
    if (mPlayerIDs.IsEmpty() && !mPlayers.IsEmpty())
        FillIDs(&mPlayerIDs, mPlayers);
    return mPlayerIDs;
}

bool QVObjectSequence::IsFLSomeSubPlaying() const
{
    for (QVObjectPlayable const* player : mPlayers)
        if (player->IsUserPlay() || player->IsUserRewind() || player->IsUserForward() || player->IsUserScrub())
            return true;
    return false;
}

// --- Intervals ---

void QVObjectSequence::SynchronizeFLFullIntv() { mFullIntv = QVObjectTrackArray_GetUnionTimeIntv(mTracks); }

bool QVObjectSequence::UpdateRTPlayableIntvs()
{
    if (mPlayerIntvs.Count() != mPlayers.Count())
        mPlayerIntvs.SetCount(mPlayers.Count());
    if (mAllIntvs.Count() != mAllPlayables.Count())
        mAllIntvs.SetCount(mAllPlayables.Count());
    for (unsigned int i = 0; i < mPlayers.Count(); ++i)
        mPlayerIntvs[i] = PlayableIntv(mPlayers[i]);
    bool moved = false;
    for (unsigned int i = 0; i < mAllPlayables.Count(); ++i) {
        AKTimeIntv const intv = PlayableIntv(mAllPlayables[i]);
        if (!SameIntv(intv, mAllIntvs[i])) {
            mAllIntvs[i] = intv;
            moved = true;
        }
    }
    return moved;
}

// --- Playable ---

bool QVObjectSequence::SetUserPlay(unsigned int play)
{
    bool const start = play >= 2 ? !IsFLSomeSubPlaying() : play == 1;
    bool changed = false;
    for (QVObjectPlayable* player : mPlayers)
        changed = player->SetUserPlay(start ? 1 : 0) || changed;
    // A stopped sequence ends its presets recall.
    if (!start)
        mPresetsBlock.DoPresetRecallingStop();
    return changed;
}

bool QVObjectSequence::SetUserMute(unsigned int mute)
{
    if (!QVObjectPlayable::SetUserMute(mute))
        return false;
    rUpdateRActiveFlag(false, true, mFolder != nullptr && mFolder->GetSoloCount() > 0);
    return true;
}

bool QVObjectSequence::SetUserSolo(unsigned int solo)
{
    if (!QVObjectPlayable::SetUserSolo(solo))
        return false;
    // The folder counts its soloed sequences again.
    if (mFolder != nullptr)
        mFolder->UpdateRActiveFlagOfSubs(false);
    return true;
}

// --- Followed player ---

void QVObjectSequence::FindFollowIndex()
{
    mFollowIndex = -1;
    if (mFollowID == kAKNullNodeID)
        return;
    for (unsigned int i = 0; i < mPlayers.Count(); ++i) {
        if (mPlayers[i]->GetID() == mFollowID) {
            mFollowIndex = static_cast<int>(i);
            return;
        }
    }
}

void QVObjectSequence::AutoSetupPlayableFollow()
{
    // Called by the edits that gave the sequence players, inside their undo
    // step: the players are taken from the node now, not at the next refresh
    // of the fast links, so that the new players get their colour labels and
    // the followed player its index while the edit can still record them.
    RefillChildren();
    if (mPlayers.Count() == 1)
        SetPlayableFollow(mPlayers[0]->GetID());
}

bool QVObjectSequence::SetPlayableFollow(AKNodeID id)
{
    if (id == mFollowID)
        return false;
    mFollowID = id;
    FindFollowIndex();
    return true;
}

QVObjectPlayable* QVObjectSequence::GetPlayableFollow(double* centre) const
{
    if (centre != nullptr)
        *centre = 0.0;
    if (mFollowIndex < 0 || static_cast<unsigned int>(mFollowIndex) >= mPlayers.Count())
        return nullptr;
    unsigned int const index = static_cast<unsigned int>(mFollowIndex);
    if (centre != nullptr && index < mPlayerIntvs.Count())
        *centre = 0.5 * (mPlayerIntvs[index].beg + mPlayerIntvs[index].end);
    return mPlayers[index];
}

AKNodeID QVObjectSequence::GetPlayableFollowID(double* centre) const
{
    QVObjectPlayable const* const player = GetPlayableFollow(centre);
    return player != nullptr ? player->GetID() : kAKNullNodeID;
}

// --- Log ---

void QVObjectSequence::LogInfo(unsigned int level) const
{
    AKLog("| Sequence:  #%d \"%s\"\n", GetID(), akmGetName().c_str());
    AKLog("| Playing:   %d\n", IsUserPlay() ? 1 : 0);
    AKLog("| Mute:      %d\n", IsUserMute() ? 1 : 0);
    AKLog("| Solo:      %d\n", IsUserSolo() ? 1 : 0);
    AKLog("| Time:      %.3lf\n", GetUserTime());
    AKLog("| Span:      %.3lf\n", GetUserSpan());
    AKLog("| Volume:    %.2lf\n", GetUserVolume());
    AKLog("| Gain:      %.2lf\n", GetUserGain());
    AKLog("+----------------------------------------------------------------------------------+\n");
    for (QVObjectTrack const* track : mTracks)
        track->LogInfo(level);
}

// --- Real-time state ---

QVPlayableRTState QVObjectSequence::ComputeRTCurrStateSelf(QVPlayableRTState const&, QVPlayableRTState const&,
                                                           double) const
{
    return QVComputeSequenceRTState(QVReadPlayableRTInputs(*this), QVReadPlayableRTPrefs(QVPrefs::sShared), mFullIntv);
}

AKTimeIntv QVObjectSequence::GetRTLiveTimeIntvForSub(bool* bounded) const
{
    double const span = GetUserSpan();
    bool const windowed = span > 0.0;
    if (bounded != nullptr)
        *bounded = windowed;
    if (!windowed)
        return mFullIntv;
    double const beg = GetUserTime() - span / 2.0;
    return AKTimeIntv{beg, beg + span};
}
