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
#include "ATNumberArray.h"
#include "QVDocumentTreeHandler.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"

class AKNode;
class AKTreeSel;
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
    // Tracks not yet in the tree are added; on failure they are deleted and
    // the list emptied (the one-track form writes back null).
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

private:
    int CheckTargetOfClass(AKTreeActionParam const& param, AKClass const* objectClass) const;
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
