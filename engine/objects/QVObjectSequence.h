#pragma once

// QVObjectSequence: the unit a document plays. A sequence sits in the
// sequence folder and holds tracks and players (single and multi) as tree
// children; each player reads every track of the sequence at its own time,
// and the sequence adds its level, pan and optional plug-in over their sum.
//
// Its fast links cache what the audio path and the views need without
// walking the tree: the typed child arrays, every playable of the sequence
// in one array (itself, its players, then the subs of its multi-players),
// their time intervals, the full interval of its tracks, the count of
// plug-ins among its players, and the followed player the sequence view
// scrolls with. Unlabelled players receive the free colour labels.
//
// Main thread only, except the play, mute and solo operations that the
// parameter table may also run on the OSC and MIDI input threads.

#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "AKTimeIntv.h"
#include "ATArray.h"
#include "QVObjectPlayable.h"
#include "QVPresetsBlock.h"

class QVObjectFolderSequence;
class QVObjectTrack;

typedef ATObjectArray<QVObjectTrack> QVObjectTrackArray;
typedef ATArray<AKTimeIntv> QVTimeIntvArray;

class QVObjectSequence : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectSequence, "sequenc")

    QVObjectSequence();
    ~QVObjectSequence() override;

    // --- Object protocol ---

    // The playable's forms, then the followed player's ID ("FollowID"). A
    // followed player no longer among the players is written as no ID.
    int akmInitFromFile(AKFile const& file, unsigned int how) override;
    int akmWriteToFile(AKFile& file) const override;
    int akmInitFromDictionary(AKDictionary const& dictionary) override;
    int akmWriteToDictionary(AKDictionary& dictionary) const override;
    // Tracks and players.
    AKClass const** akmGetAuthoChildClasses() const override;
    int akmRenumberExtraNodeIDs(AKTreeRenum const& renum) override;
    // The stored name, or "Sequence".
    AKString akmGetName() const override;

    // --- Poolable ---

    // Refreshes the typed arrays when the link stamps moved, then always the
    // full interval. The index is not kept.
    void SynchronizeFLFastLinks(AKObject* parent, unsigned int index) override;
    AKString GetFLDynamicName(bool ignoreName, bool* isName) const override;
    unsigned int PoolableStampSubLinks() const override;
    unsigned int PoolableStampFarSubLinks() const override;

    // --- Playable ---

    // 0 stops and 1 starts every player; 2 or more starts them all when none
    // plays, else stops them all. True when a player changed.
    bool SetUserPlay(unsigned int play) override;
    // Sequences are soloed against the other sequences of the folder.
    bool SetUserMute(unsigned int mute) override;
    bool SetUserSolo(unsigned int solo) override;
    // Passed to every player; true when one of them changed
    // (QVObjectSequenceTransport.cpp).
    bool DoUserToBegin() override;
    bool DoUserToEnd() override;
    bool DoUserPeekPhases() override;
    bool DoUserPokePhases() override;

    // --- Fast links ---

    QVObjectFolderSequence* GetFLFolder() const { return mFolder; }
    QVObjectTrackArray const& GetFLSubTracks() const { return mTracks; }
    // The tracks as poolables: what the single players of the sequence read.
    QVObjectPoolableArray const& GetFLSubTrackPoolables() const { return mTrackPoolables; }
    QVObjectPlayableArray const& GetFLSubPlayers() const { return mPlayers; }
    // The sequence, its players, then the subs of each multi-player.
    QVObjectPlayableArray const& GetFLAllPlayables() const { return mAllPlayables; }
    // One ID per child, 0 for a negative one; rebuilt when empty.
    AKNodeIDArray const& GetFLSubTrackIDs() const;
    AKNodeIDArray const& GetFLSubPlayableIDs() const;
    // Players and subs that carry a plug-in instance.
    int GetFLPluginCount() const { return mPluginCount; }
    // Whether a player plays, rewinds, forwards or scrubs (subs not looked at).
    bool IsFLSomeSubPlaying() const;

    // 0 to the largest end among the tracks.
    void SynchronizeFLFullIntv();
    AKTimeIntv GetFLFullIntv() const { return mFullIntv; }

    // Time -/+ Span/2 of every player and of every entry of the
    // all-playables array; true when one of the latter moved.
    bool UpdateRTPlayableIntvs();
    QVTimeIntvArray const& GetRTPlayerIntvs() const { return mPlayerIntvs; }
    QVTimeIntvArray const& GetRTAllIntvs() const { return mAllIntvs; }
    // With a span, the window Time +- Span/2 (bounded); else the full
    // interval (not bounded).
    AKTimeIntv GetRTLiveTimeIntvForSub(bool* bounded) const override;

    // --- Followed player ---

    // Follows the only player of a sequence that has exactly one.
    void AutoSetupPlayableFollow();
    // False when already followed; the index is -1 for no ID or an ID that
    // names no player of the sequence.
    bool SetPlayableFollow(AKNodeID id);
    // The followed player (null, centre 0, for none) with the middle of its
    // interval.
    QVObjectPlayable* GetPlayableFollow(double* centre) const;
    AKNodeID GetPlayableFollowID(double* centre) const;
    // The ID kept, even when it names no player any more.
    AKNodeID GetFollowID() const { return mFollowID; }
    int GetFollowIndex() const { return mFollowIndex; }

    // Logs the sequence, then each of its tracks.
    void LogInfo(unsigned int level) const;

    // --- Presets (QVObjectSequencePresets.cpp) ---

    // Its recall is advanced by the document's block through DoSchedul.
    QVPresetsBlock& GetPresetsBlock() { return mPresetsBlock; }
    QVPresetsBlock const& GetPresetsBlock() const { return mPresetsBlock; }
    // The block's operations; the sequence is marked modified when the
    // block reports a change.
    bool DoUserPresetSave(unsigned int n);
    bool DoUserPresetClear(unsigned int n);
    bool DoUserPresetRecall(unsigned int n, bool* alreadyThere);
    bool SetUserPresetDur(double duration);

protected:
    void ChangeFLPluginCarrierCount(int delta) override;
    // No time of its own: offers its window, or its full interval, to its
    // players.
    QVPlayableRTState ComputeRTCurrStateSelf(QVPlayableRTState const& parent, QVPlayableRTState const& previous,
                                             double dt) const override;

private:
    void RefillChildren();
    void CompleteColorLabels();
    void RebuildAllPlayables();
    void RecountPlugins();
    void FindFollowIndex();

    unsigned int mSubLinksSeen = kAKNullStampSync;
    unsigned int mFarSubLinksSeen = kAKNullStampSync;
    QVObjectFolderSequence* mFolder = nullptr;
    QVObjectTrackArray mTracks;
    QVObjectPoolableArray mTrackPoolables;
    QVObjectPlayableArray mPlayers;
    QVObjectPoolableArray mPlayerPoolables;
    QVObjectPlayableArray mAllPlayables;
    AKTimeIntv mFullIntv = kAKNullTimeIntv;
    int mPluginCount = 0;
    mutable AKNodeIDArray mTrackIDs;
    mutable AKNodeIDArray mPlayerIDs;
    QVTimeIntvArray mPlayerIntvs;
    QVTimeIntvArray mAllIntvs;
    AKNodeID mFollowID = kAKNullNodeID;
    int mFollowIndex = -1;
    QVPresetsBlock mPresetsBlock{this};
};
