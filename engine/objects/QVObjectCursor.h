#pragma once

// QVObjectCursor: the multi-player. It moves a window of its span through
// its sequence, and its subs (single players) loop inside that window, each
// at its own phase and at the multi-player's speed scaled by its SpeedSubx.
//
// Documents of an older layout carry the ID of an object the multi-player
// was attached to and a deployed flag; both are read for the upgrade of
// such documents and never written back.
//
// Main thread only.

#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "QVObjectPlayable.h"

class QVObjectAtomic;

class QVObjectCursor : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectCursor, "cursor")

    QVObjectCursor();
    ~QVObjectCursor() override;

    // The playable's keys, then the older "AttachableID" and "Deployed".
    int akmInitFromDictionary(AKDictionary const& dictionary) override;
    int akmRenumberExtraNodeIDs(AKTreeRenum const& renum) override;
    // Single players only.
    AKClass const** akmGetAuthoChildClasses() const override;
    // The stored name, or "Player".
    AKString akmGetName() const override;

    // --- Poolable ---

    // Linked to its sequence (or nothing); the subs are refilled when the
    // children changed, then each refreshes its links with its position.
    void SynchronizeFLFastLinks(AKObject* parent, unsigned int index) override;
    // The name, or "Player x <number of subs>".
    AKString GetFLDynamicName(bool ignoreName, bool* isName) const override;
    unsigned int PoolableStampSubLinks() const override;
    // The owning sequence's, or kAKNullStampVers without one.
    unsigned int PoolableStampFarSubLinks() const override;

    // --- Playable ---

    // 2 or more starts unless playing normally. Stopping stops every sub
    // first; starting leaves the subs' own flags alone.
    bool SetUserPlay(unsigned int play) override;

    QVObjectPlayableArray const& GetFLSubAtomics() const { return mSubs; }
    // One ID per sub, 0 for a negative one; rebuilt when empty.
    AKNodeIDArray const& GetFLSubAtomicIDs() const;

    // What an older document said; for its upgrade only.
    AKNodeID GetOldAttachedID() const { return mOldAttachedID; }
    bool IsOldDeployed() const { return mOldDeployed; }

    // Its window Time +- Span/2, always bounded.
    AKTimeIntv GetRTLiveTimeIntvForSub(bool* bounded) const override;

    // Logs the multi-player, then each of its subs.
    void LogInfo(unsigned int level) const;

protected:
    // Runs in its parent's subs interval and offers its window to its subs.
    QVPlayableRTState ComputeRTCurrStateSelf(QVPlayableRTState const& parent, QVPlayableRTState const& previous,
                                             double dt) const override;

private:
    AKNodeID mOldAttachedID = kAKNullNodeID;
    bool mOldDeployed = true;
    unsigned int mSubLinksSeen = kAKNullStampSync;
    QVObjectPlayableArray mSubs;
    QVObjectPoolableArray mSubPoolables;
    mutable AKNodeIDArray mSubIDs;
};
