#pragma once

// QVTreeHandler: the engine's tree handler, one per document. It knows the
// fixed shape of an engine document (a root folder holding a sequence
// folder, a player folder and a temp folder), finds and caches those
// folders, answers the engine's questions about the tree (sequences, free
// players, objects by name, sounds in use, objects bound to a starter key),
// performs a few document-wide actions, checks the player and sequence
// edits of the command layer before they run, and creates new sequences and
// players as undoable steps.
//
// The folder cache is refreshed lazily: every query first compares the
// root's sub-links stamp with the one seen at the last scan, so a
// restructured root is noticed on the next call.
//
// Creation operations run between DoEasyStart and DoEasyEnd of the base
// handler; every object they add or move is recorded through the DoEasy
// steps, so a whole command undoes in one step.
//
// Main thread only, as every tree handler.

#include "AKString.h"
#include "AKTimeIntv.h"
#include "AKValueTyped.h"
#include "ATNumberArray.h"
#include "QVDocumentTreeHandler.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"

class AKDictionary;
class AKNode;
class AKTreeSel;
class AKTreeSelCache;
class QVDocument;
class QVObjectFolderCursor;
class QVObjectFolderSequence;
class QVObjectFolderTemp;
class QVObjectSequence;
class QVObjectTrack;

typedef ATObjectArray<QVObjectTrack> QVObjectTrackArray;

// Built-in player models: 1 a single player, 2 to 11 a multi-player with
// model - 1 subs. Custom models (the saved custom players) start above 100.
constexpr unsigned int kQVCursorModelBuiltInLast = 11;
constexpr unsigned int kQVCursorModelCustomFirst = 101;

class QVTreeHandler : public QVDocumentTreeHandler
{
public:
    // Bound to the document's tree and guard, neither owned; the folder
    // cache starts empty.
    QVTreeHandler(AKTree* tree, QVDocumentTreeGuard* guard);

    // --- Folders ---

    // Brings the folder cache up to date; with force, scans the root's
    // children even when its sub-links stamp did not move.
    void RetrieveDefaultFolders(bool force) const;
    // Adds, as last children of the root and in one undoable addition, the
    // sequence, player and temp folders that are missing and that the root
    // takes (a folder whose class the document type does not allow under
    // its root is not required). -1 without a root node; 0 when nothing was
    // missing.
    int RebuildDefaultFoldersIfNeeded();

    QVObjectFolderSequence* GetFolderSequence() const;
    QVObjectFolderCursor* GetFolderCursor() const;
    AKNode* GetFolderSequenceNode() const;
    AKNode* GetFolderCursorNode() const;
    AKNode* GetFolderTempNode() const;
    // The folder's sub-links stamp, kAKUndefStampVers when it is missing.
    unsigned int GetFolderSequenceStamp() const;
    unsigned int GetFolderCursorStamp() const;

    // Sequences go to the sequence folder, players to the player folder,
    // anything else to the temp folder when allowTemp; else null.
    AKNode* GetDefaultFolderTargetNode(AKClass const* objectClass, bool allowTemp) const override;

    // --- Fast links ---

    // The sequence folder, then the player folder, rebuild their fast links.
    void SynchronizeFLFastLinks();
    // Every sequence recomputes its full interval.
    void SynchronizeFLSequencesFullIntv();
    // The folders' lists, or a shared empty list without the folder.
    QVObjectPoolableArray const& GetFLSequences() const;
    QVObjectPoolableArray const& GetFLPlayers() const;

    // --- Queries ---

    // Case sensitivity from Internal.ObjectNameCaseSensitive when not given.
    QVObjectPoolable* FindSequenceByName(AKString const& name) const;
    QVObjectPoolable* FindSequenceByName(AKString const& name, bool caseSensitive) const;
    QVObjectPoolable* FindCursorByName(AKString const& name) const;
    QVObjectPoolable* FindCursorByName(AKString const& name, bool caseSensitive) const;
    // Every track of every sequence marks the providers it uses, indexed by
    // provider ID. A level's walk stops at its first node without object.
    void GrabActiveProviders(ATNumberArray<unsigned char, unsigned char, 0>* flags) const;
    // The sequences bound to the key (1 to 26), each followed by its direct
    // players bound to the key when the sequence itself is bound to another
    // one. Subs and free players are never collected.
    void GrabPlayablesWithStarterKey(QVObjectPlayableArray* out, unsigned int key) const;

    // --- Document-wide actions (not recorded) ---

    void DoResetAllStartKeys();
    void DoResetAllMutesAndSolos();
    // Play off on every sequence; free players are left alone.
    void DoStopAllPlayers();

    // --- Checks of player and sequence edits: 0 valid ---

    int CheckCursorAddNewAtomic(AKTreeActionParam const& param) const;
    int CheckSequenceAddNewCursor(AKTreeActionParam const& param) const;
    int CheckSequenceAddNewTrack(AKTreeActionParam const& param) const;
    int CheckCursorGroup(AKTreeActionParam const& param) const;
    int CheckSequenceGroup(AKTreeActionParam const& param) const;
    // players and sequence may be null.
    int CheckCursorAttach(AKTreeActionParam const& param, QVObjectPlayableArray* players,
                          QVObjectSequence** sequence) const;
    int CheckCursorDetach(AKTreeActionParam const& param, QVObjectPlayableArray* players) const;
    int CheckPlayablePlug(AKTreeActionParam const& param) const;
    // 1 (a refusal without error code) when the playable has no plug-in.
    int CheckPlayablePlugNone(AKTreeActionParam const& param) const;
    int CheckSequenceBounce(AKTreeActionParam const& param) const;

    // One sequence and at least one player not yet under it.
    static bool IsTreeSelValidToAttachPlayables(AKTreeSel const& selection, QVObjectPlayableArray* players,
                                                QVObjectSequence** sequence);
    // Players only, at least one of them under a sequence.
    static bool IsTreeSelValidToDetachPlayables(AKTreeSel const& selection, QVObjectPlayableArray* players);

    // --- Creation: the new top object through out (may be null) ---

    int DoEasyNewSequenceEmpty(QVObjectSequence** out, AKString const& name);
    // Existing tracks are moved into the new sequence.
    int DoEasyNewSequenceWithTrack(QVObjectSequence** out, AKString const& name, QVObjectTrack** track);
    int DoEasyNewSequenceWithTracks(QVObjectSequence** out, AKString const& name, QVObjectTrackArray* tracks);
    // Tracks not yet in the tree are added; on any failure those that did
    // not reach the tree are deleted and the list emptied (the one-track
    // form writes back null). Every form closes its nested group, also on
    // failure.
    int DoEasyNewSequenceWithNewTrack(QVObjectSequence** out, AKString const& name, QVObjectTrack** track);
    int DoEasyNewSequenceWithNewTracks(QVObjectSequence** out, AKString const& name, QVObjectTrackArray* tracks);
    // subCount 0: a single player; else a multi-player with that many
    // unnamed subs. A null parent is the player folder; time > 0 is set on
    // every new player, keeping its span.
    int DoEasyNewCursor(QVObjectPlayable** out, AKString const& name, unsigned int subCount, double time,
                        AKObject* parent, AKLinkMode mode);
    // A built-in model (1 to 11), or a custom player saved by the user
    // (above 100) pasted as last child of the parent; an unknown model is
    // kAKErrorTreeHandlerModelUnknown, a custom model that is not exactly one
    // multi-player kAKErrorTreeHandlerBadTreeSelType.
    int DoEasyNewCursorFromModel(QVObjectPlayable** out, unsigned int modelID, double time, AKObject* parent,
                                 AKLinkMode mode);

    // --- Track parts (time ranges of some tracks of one sequence) ---
    // Each operation begins with its check and returns its status when not
    // 0; an edit that changes no track records nothing and returns 0. A
    // change is recorded as one revision of the edited tracks, with the
    // ranges to select after doing or redoing ("TrackPartR") and after
    // undoing ("TrackPartU") in its more info. A null pasteboard is the
    // shared one.

    // 0 when the selection resolves to a sequence (kAKErrorTreeHandlerBadTreeSelType)
    // and, with needsRange, carries a time range of positive length
    // (kAKErrorTreeHandlerEmptyTreeSel); first the base selection check.
    int CheckHasSomeTrackPart(AKTreeActionParam const& param, bool modifiable, bool needsRange) const;
    int CheckTrackPartCut(AKTreeActionParam const& param) const;
    int CheckTrackPartCopy(AKTreeActionParam const& param) const;
    int CheckTrackPartDuplicate(AKTreeActionParam const& param) const;
    int CheckTrackPartDelete(AKTreeActionParam const& param) const;
    int CheckTrackPartReset(AKTreeActionParam const& param) const;
    int CheckTrackPartExtract(AKTreeActionParam const& param) const;
    int CheckTrackPartCrop(AKTreeActionParam const& param) const;
    int CheckTrackPartErase(AKTreeActionParam const& param) const;
    int CheckTrackPartSilent(AKTreeActionParam const& param) const;
    int CheckTrackPartScale(AKTreeActionParam const& param) const;
    int CheckTrackPartReverse(AKTreeActionParam const& param) const;
    int CheckTrackPartBounce(AKTreeActionParam const& param) const;
    int CheckTrackPartZxperScale(AKTreeActionParam const& param) const;
    int CheckTrackPartZxperRepeat(AKTreeActionParam const& param) const;
    int CheckTrackPartZxperMingle(AKTreeActionParam const& param) const;
    int CheckTrackPartZxperStretch(AKTreeActionParam const& param) const;
    // The pasteboard holds exactly one sequence, or tracks
    // (kAKErrorTreeHandlerIncompatiblePasteboard otherwise).
    int CheckTrackPartPaste(AKTreeActionParam const& param, AKTreeSelCache const* pasteboard) const;
    // The record's target node resolves to a sequence (kAKErrorTreeHandlerNoTargetNode).
    int CheckTrackPartMoveOrCopy(AKTreeActionParam const& param) const;

    // Copy then delete.
    int DoTrackPartCut(AKTreeActionParam& param, AKTreeSelCache* pasteboard);
    // A sequence of copies of the parts goes to the pasteboard; the history
    // is left as it was.
    int DoTrackPartCopy(AKTreeActionParam& param, AKTreeSelCache* pasteboard);
    // mode: a QVInsertMode; time is used by kQVInsertModeAt.
    int DoTrackPartPaste(AKTreeActionParam& param, int mode, double time, AKTreeSelCache const* pasteboard);
    int DoTrackPartDuplicate(AKTreeActionParam& param);
    int DoTrackPartDelete(AKTreeActionParam& param);
    int DoTrackPartReset(AKTreeActionParam& param);
    int DoTrackPartErase(AKTreeActionParam& param);
    int DoTrackPartReverse(AKTreeActionParam& param);
    // A new sequence of copies of the parts in the sequence folder; without
    // keepSource the parts leave their tracks in the same step.
    int DoTrackPartExtract(AKTreeActionParam& param, bool keepSource);
    int DoTrackPartCrop(AKTreeActionParam& param, bool keepPosition);
    // Inserts duration seconds of silence (modes below 6) or erases the
    // range (modes 6 and above; mode 0 is 6).
    int DoTrackPartSilent(AKTreeActionParam& param, int mode, double time, double duration);
    int DoTrackPartScale(AKTreeActionParam& param, double coefficient);
    // transform: kQVTrackPartZxperScale to kQVTrackPartZxperStretch.
    int DoTrackPartZxperN(AKTreeActionParam& param, AKDictionary const& options, unsigned int transform);
    // The selected parts go to time t in the tracks of the record's target
    // (a sequence: all its tracks; a track: that one).
    int DoTrackPartMoveOrCopy(AKTreeActionParam& param, double time, bool copy);

    // The base paste, then objects that landed in the temp folder are filed:
    // players to the player folder, sequences to the sequence folder, tracks
    // into a new sequence; anything else is deleted with a warning.
    int DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache, AKString const& name) override;

private:
    int CheckTargetOfClass(AKTreeActionParam const& param, AKClass const* objectClass) const;
    // Records the edited tracks as one revision with the two ranges.
    // Records the edited tracks as one revision with the two ranges; the
    // result selection is the input selection (keepInputSel) or the tracks,
    // with the done range.
    int LowReviseTrackPart(AKTreeActionParam& param, QVObjectTrackArray const& tracks, AKTimeIntv done,
                           AKTimeIntv undone, bool keepInputSel);
    int LowNewSequence(QVObjectSequence** out, AKString const& name, QVObjectTrackArray* tracks, bool newTracks);

    mutable unsigned int mFoldersStamp;
    mutable QVObjectFolderSequence* mFolderSequence = nullptr;
    mutable QVObjectFolderCursor* mFolderCursor = nullptr;
    mutable QVObjectFolderTemp* mFolderTemp = nullptr;
};

// The name given to copies: the object's name followed by a space and the
// copy word, unless it already ends with it; empty for null.
AKString QVObjectGetNameCopied(AKObject const* object);

// The document's engine tree handler (every document builds one).
QVTreeHandler* QVTreeHandlerOfDocument(QVDocument const* document);

// The sequence a selection stands for, with its tracks: one sequence (all
// its tracks, from its cached list or its children), one track of a
// sequence, or several tracks of one sequence in selection order. Null and
// an empty list otherwise. tracks may be null.
QVObjectSequence* QVTreeSel_ResolveSequenceAndTracks(AKTreeSel const& selection, QVObjectTrackArray* tracks,
                                                     bool useCachedList);
QVObjectSequence* QVObject_ResolveSequenceAndTracks(AKObject* object, QVObjectTrackArray* tracks, bool useCachedList);

// Insert modes of track-part paste and silence.
constexpr int kQVInsertModeDefault = 0;
constexpr int kQVInsertModeAt = 1;              // "Insert in Track(s)": the given time
constexpr int kQVInsertModePrepend = 2;         // "Prepend to Track(s)"
constexpr int kQVInsertModeAppend = 3;          // "Append to Track(s)"
constexpr int kQVInsertModePrependToSpan = 4;   // "Prepend to Selection"
constexpr int kQVInsertModeAppendToSpan = 5;    // "Append to Selection"
constexpr int kQVInsertModeReplace = 6;         // "Replace Selection" (fit), "Erase Selection"
constexpr int kQVInsertModeReplaceKeepDur = 7;  // "Replace Selection", keeping the pasted duration

// Experimental transforms of DoTrackPartZxperN.
constexpr unsigned int kQVTrackPartZxperScale = 1;
constexpr unsigned int kQVTrackPartZxperRepeat = 2;
constexpr unsigned int kQVTrackPartZxperMingle = 3;
constexpr unsigned int kQVTrackPartZxperStretch = 4;

// As QVTreeSel_ResolveSequenceAndTracks; indexes receives the positions
// (from 0, in the sequence's track order) of the selected tracks when fewer
// than all are selected, and stays empty otherwise.
QVObjectSequence* QVTreeSel_ResolveSequenceAndTracksWithIndexes(AKTreeSel const& selection, AKUIntArray* indexes,
                                                                bool useCachedList);
// The insertion time of a mode, -1 when the mode gives none (modes 1 and 6
// and above included).
double QVInsertMode_ComputeInsertTime(int mode, QVObjectSequence const* sequence, QVObjectTrackArray const& tracks,
                                      bool useFullInterval);
// The selection's short label ("3 x 1.50s", "2 Tracks", "1 Sequence",
// "No Selection").
AKString QVTreeSel_GetDescription1(AKTreeSel const& selection);
// The name shown for a selection: "Sub-Player", "<n> Tracks", the class's
// display name of one object, or empty.
AKString QVTreeSel_GetDescription2(AKTreeSel const& selection);
