#pragma once

// AKTreeHistory: the undo and redo history of one tree. It keeps no old
// objects in memory: every recorded action is written as an 'ACTN' chunk into
// the history file, with full snapshots of the nodes it concerns; undoing a
// revision reads back the snapshot that preceded it, undoing a deletion
// re-creates the nodes from the chunk that recorded them, redoing re-reads
// the action's own chunk. A second file keeps the subtrees that undoing a
// creation removes, so that redoing it brings them back as they were.
//
// The history file (numbers little-endian, signatures big-endian):
//   0   one 'ARND' chunk of every node of the tree, in ID order, links as
//       they are: the state when the history was opened;
//   then, one after the other, per recorded action: 'ACTN', the 32-bit
//       chunk size, the unsigned 32-bit action ID, the action's payload
//       (beginning with its own signature), zero bytes up to the next
//       multiple of 8 of the file position.
// The file is never truncated: recording after an undo writes the new chunk
// over those of the dropped actions, and the end position (not the file's
// size) marks where the valid data end.
//
// Positions: the current position is the number of actions done (those
// after it can be redone); the saved position is the current position when
// the document was last saved, or kAKTreeHistoryUnreachablePosition once
// that state can no longer be reached by undo and redo (the steps leading to
// it were dropped or rewritten), until the next ResetHistoryModifiedFlag.
//
// Actions are grouped so that one user command, however many steps it takes,
// is undone and redone as one step bearing the command's label.
//
// The history belongs to a tree handler, which gives it its tree and
// notifier; everything runs on the main thread.

#include "AKFile.h"
#include "AKString.h"
#include "AKTreeHistoryAction.h"
#include "AKTreeHistoryFile.h"

class AKDictionary;
class AKTree;
class AKTreeNotifier;
class AKTreeSel;

// The saved position of a history whose saved state cannot be reached.
constexpr unsigned int kAKTreeHistoryUnreachablePosition = 0xFFFFFFFF;

// The 'ACTN' chunk signature.
constexpr unsigned int kAKTreeHistoryActionChunkSignature = 0x4143544E;  // 'ACTN'

class AKTreeHistory
{
public:
    // Made by a tree handler with its tree and its notifier (either may be
    // null). Both files are constructed, not open: nothing is recorded
    // until Reopen.
    AKTreeHistory(AKTree* tree, AKTreeNotifier* notifier);
    ~AKTreeHistory();

    AKTreeHistory(AKTreeHistory const&) = delete;
    AKTreeHistory& operator=(AKTreeHistory const&) = delete;

    // --- Life cycle ---

    // Starts a fresh history of the tree's current state. On failure the
    // history is closed again and the failure returned.
    int Reopen();
    // Every counter and position 0, the snapshot list emptied, both files
    // closed, every record deleted (last first).
    void Close();

    // Open while the history file is open; records while open and not
    // temporarily disabled.
    bool IsOpened() const { return fHistoryFile.IsOpened(); }
    bool IsEnabled() const { return IsOpened() && fTemporaryDisableCount == 0; }
    void SetTemporarilyDisabled() { ++fTemporaryDisableCount; }
    void SetTemporarilyDisabledOff()
    {
        if (fTemporaryDisableCount > 0)
            --fTemporaryDisableCount;
    }
    unsigned int GetTemporaryDisableCount() const { return fTemporaryDisableCount; }

    // --- Recording ---

    // Takes ownership of the action in every case. Records it (replacing
    // the last record when allowMerge permits, see the merge rule), or,
    // when nothing is recorded, only notes its kinds and deletes it.
    int RegisterAction(AKTreeHistoryAction* action, bool allowMerge);
    // Open and close a (nested) group; the outermost end names the group's
    // steps with the command ID and name, gives them one group number and
    // moves the stamps once. Both return 0.
    int ActionGroupBegin();
    int ActionGroupEnd(int commandID, AKString const& name, unsigned int* result);

    // --- Undo and redo ---

    // The command ID and name of the step that would be undone, respectively
    // redone; false (0 and the empty string) when there is none.
    bool GetUndoState(int* commandID, AKString* name) const;
    bool GetRedoState(int* commandID, AKString* name) const;
    // Undo or redo one step (one whole group). The outputs (any may be null)
    // are reset first, and again on failure. kAKErrorTreeHistoryClosed when
    // closed, kAKErrorTreeHistoryCantUndo or kAKErrorTreeHistoryCantRedo
    // when there is nothing to undo or redo.
    int CallUndo(int* commandID, AKString* name, unsigned int* result, AKTreeSel* resultSel, AKDictionary* moreInfo);
    int CallRedo(int* commandID, AKString* name, unsigned int* result, AKTreeSel* resultSel, AKDictionary* moreInfo);

    // --- Saved state ---

    // The document was saved: the saved position becomes the current one.
    void ResetHistoryModifiedFlag() { fSavedPosition = fCurrentPosition; }
    // The tree is not in the state it had when the document was last saved.
    bool IsHistoryModified() const { return fCurrentPosition != fSavedPosition; }

    // --- State ---

    AKTree* GetTree() const { return fTree; }
    AKTreeNotifier* GetNotifier() const { return fNotifier; }
    AKHistoryFile const& GetHistoryFile() const { return fHistoryFile; }
    // The second file, to which creation actions append on undo through the
    // history they were set up with.
    AKFile* GetSecondFile() const { return &fSecondFile; }
    unsigned int CountActions() const { return fActions.Count(); }
    AKTreeHistoryAction const* GetAction(unsigned int index) const
    {
        return index < fActions.Count() ? fActions[index] : nullptr;
    }
    unsigned int GetCurrentPosition() const { return fCurrentPosition; }
    unsigned int GetSavedPosition() const { return fSavedPosition; }
    unsigned long long GetEndPosition() const { return fEndPosition; }
    unsigned int GetGroupDepth() const { return fGroupDepth; }
    unsigned int GetGroupCounter() const { return fGroupCounter; }

    // Test hook: when not 0, the next step written fails with this status
    // once its payload is in the file (then the hook is cleared).
    static void SetNextWriteFailureForTesting(int status);

private:
    // Recording is on: open and not temporarily disabled.
    bool IsRecording() const { return IsEnabled(); }
    // The merge rule: the new action replaces the last record, a revision of
    // the same selection by the same command that is a step by itself (never
    // the last action of a longer step, which would split that step).
    bool CanMerge(AKTreeHistoryAction const& action, bool allowMerge) const;
    // Writes the action's 'ACTN' chunk at the position; the position after
    // it goes to `after`.
    int WriteActionChunk(AKTreeHistoryAction& action, unsigned long long position, unsigned long long* after);
    // A failed write from the position on: every record whose chunk lay
    // there is dropped, with the snapshots noted since.
    void DropRecordsFrom(unsigned long long position);
    // The saved state can no longer be reached.
    void ForgetSavedPosition() { fSavedPosition = kAKTreeHistoryUnreachablePosition; }
    // Seeks to the record's chunk and checks its header and action ID
    // (kAKErrorMiscellaneous when the ID differs).
    int SeekToActionPayload(AKTreeHistoryAction const& action) const;
    // Moves the stamps after a step of several actions.
    void UpdateStampsOfStep(bool severalActions) const;
    // Undoes or redoes one whole step for CallUndo and CallRedo, which give
    // it their outputs.
    struct StepOutputs;
    int ReplayStep(bool undo, StepOutputs const& outputs);

    AKTree* fTree;
    AKTreeNotifier* fNotifier;
    unsigned int fTemporaryDisableCount = 0;
    AKHistoryFile fHistoryFile;
    // Mutable: creation actions append to it when undone, through the const
    // history they were set up with.
    mutable AKFile fSecondFile;
    AKTreeHistoryActionArray fActions;
    unsigned int fSavedPosition = 0;
    unsigned int fCurrentPosition = 0;
    unsigned int fLastTreeSelID = 0;
    unsigned long long fEndPosition = 0;
    unsigned int fGroupDepth = 0;
    unsigned int fGroupCounter = 0;
    // The first record of the open group: the current position when the
    // outermost group began, lowered to the last record before it when a
    // step of the group merged into that record.
    unsigned int fGroupStart = 0;
    unsigned int fAccumulatedKinds = 0;
};
