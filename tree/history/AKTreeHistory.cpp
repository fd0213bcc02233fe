// The history's life cycle, recording and groups.

#include "AKTreeHistory.h"

#include "AKFileChunk.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeNotifier.h"

namespace {

int sNextWriteFailure = 0;

// The kinds of a group's steps as the group's result: done, never redone.
unsigned int GroupResultOfKinds(unsigned int kinds)
{
    return (kinds & ~(kAKTreeActionDone | kAKTreeActionRedone)) | kAKTreeActionDone;
}

}  // namespace

void AKTreeHistory::SetNextWriteFailureForTesting(int status) { sNextWriteFailure = status; }

AKTreeHistory::AKTreeHistory(AKTree* tree, AKTreeNotifier* notifier)
    : fTree(tree), fNotifier(notifier), fSecondFile(kAKFileModePreferedCache)
{
    fActions.Reserve(30);
}

AKTreeHistory::~AKTreeHistory() { Close(); }

// --- Life cycle ---

void AKTreeHistory::Close()
{
    fTemporaryDisableCount = 0;
    fSavedPosition = 0;
    fCurrentPosition = 0;
    fLastTreeSelID = 0;
    fEndPosition = 0;
    fGroupDepth = 0;
    fGroupCounter = 0;
    fGroupStart = 0;
    fAccumulatedKinds = 0;
    fHistoryFile.GetChunkList().Clear();
    if (fHistoryFile.IsOpened())
        fHistoryFile.Close();
    if (fSecondFile.IsOpened())
        fSecondFile.Close();
    fActions.DeleteAllActions();
}

int AKTreeHistory::Reopen()
{
    Close();
    if (fTree == nullptr)
        return kAKErrorMiscellaneous;
    int status = fHistoryFile.CreateForReadWrite();
    if (status == 0)
        status = fSecondFile.CreateForReadWrite();

    // The initial state: every node, each one a snapshot.
    AKHistoryFile::AKChunkList& snapshots = fHistoryFile.GetChunkList();
    snapshots.SetRecording(true);
    if (status == 0)
        status = fTree->GetNodes().WriteNodesToFile(fHistoryFile, false);
    if (status == 0)
        status = fHistoryFile.NoteNodeChunksOfArray(0);
    snapshots.SetRecording(false);

    if (status == 0)
        status = fHistoryFile.Seek(0, kAKFileWhenceEnd);
    if (status == 0)
        status = fHistoryFile.GetPos(&fEndPosition);
    if (status != 0) {
        Close();
        return status;
    }
    fGroupCounter = 1;
    snapshots.SetCurrChunkPos(fEndPosition, true);
    return 0;
}

// --- Recording ---

bool AKTreeHistory::CanMerge(AKTreeHistoryAction const& action, bool allowMerge) const
{
    if (!allowMerge || fActions.IsEmpty())
        return false;
    AKTreeHistoryAction const& last = *fActions.Last();
    // The last record must be a step by itself: replacing the last action of
    // a longer step (a command's group) would give it a group number of its
    // own and split that command into two undo steps.
    unsigned int const count = fActions.Count();
    if (count >= 2 && fActions[count - 2]->GetGroupNumber() == last.GetGroupNumber())
        return false;
    return fLastTreeSelID == action.GetTreeSelID() && last.GetSignature() == kAKTreeHistoryActionRevise &&
           action.GetSignature() == kAKTreeHistoryActionRevise && last.GetMergeVariant() == action.GetMergeVariant() &&
           action.GetCommandID() != 0 && action.GetCommandID() == last.GetCommandID() && !action.GetName().IsEmpty() &&
           action.GetName() == last.GetName();
}

int AKTreeHistory::RegisterAction(AKTreeHistoryAction* action, bool allowMerge)
{
    if (action == nullptr)
        return kAKErrorMiscellaneous;
    if (!IsRecording()) {
        fAccumulatedKinds |= action->ActionKindOnRedone();
        delete action;
        return 0;
    }

    bool merging = false;
    unsigned int actionID = 0;
    unsigned long long position = fEndPosition;
    if (fCurrentPosition < fActions.Count()) {
        // Recording after an undo drops the redo tail; the new chunk goes
        // over the first dropped one.
        actionID = AKTreeHistoryAction::NextActionID();
        position = fActions[fCurrentPosition]->GetChunkPosition();
        fActions.DeleteActionsFrom(fCurrentPosition);
        fEndPosition = position;
        if (fSavedPosition != kAKTreeHistoryUnreachablePosition && fSavedPosition > fCurrentPosition)
            ForgetSavedPosition();
        // An open group owns what it records from here on.
        if (fGroupDepth > 0 && fGroupStart > fCurrentPosition)
            fGroupStart = fCurrentPosition;
    } else if (CanMerge(*action, allowMerge)) {
        merging = true;
        AKTreeHistoryAction const& last = *fActions.Last();
        actionID = last.GetActionID();
        position = last.GetChunkPosition();
        // The state the last step led to is rewritten.
        if (fSavedPosition == fActions.Count())
            ForgetSavedPosition();
    } else {
        actionID = AKTreeHistoryAction::NextActionID();
    }

    action->Setup(this, actionID, fGroupCounter, position);
    fHistoryFile.GetChunkList().SetCurrChunkPos(position, true);

    unsigned long long after = 0;
    int status = WriteActionChunk(*action, position, &after);
    if (status != 0) {
        delete action;
        DropRecordsFrom(position);
        return status;
    }
    fHistoryFile.GetChunkList().SetCurrChunkPos(after, true);

    if (merging) {
        unsigned int const lastIndex = fActions.Count() - 1;
        delete fActions[lastIndex];
        fActions[lastIndex] = action;
        // A group whose step merged into the record before it owns that record.
        if (fGroupDepth > 0 && fGroupStart > lastIndex)
            fGroupStart = lastIndex;
    } else {
        fActions.Push(action);
    }
    fEndPosition = after;
    fCurrentPosition = fActions.Count();
    fLastTreeSelID = action->GetTreeSelID();
    ++fGroupCounter;
    return 0;
}

int AKTreeHistory::WriteActionChunk(AKTreeHistoryAction& action, unsigned long long position, unsigned long long* after)
{
    AKFileChunk chunk(kAKTreeHistoryActionChunkSignature);
    int status = fHistoryFile.SetPos(position);
    if (status == 0)
        status = AKFileWriteChunkHeader(fHistoryFile, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(fHistoryFile, action.GetActionID());
    if (status == 0)
        status = action.Stack(fHistoryFile);
    fHistoryFile.GetChunkList().SetRecording(false);
    if (status == 0 && sNextWriteFailure != 0) {
        status = sNextWriteFailure;
        sNextWriteFailure = 0;
    }
    if (status == 0)
        status = AKFileWritePadding64(fHistoryFile);
    if (status == 0)
        status = AKFileWriteChunkComplete(fHistoryFile, chunk);
    if (status == 0)
        status = fHistoryFile.GetPos(after);
    return status;
}

void AKTreeHistory::DropRecordsFrom(unsigned long long position)
{
    AKHistoryFile::AKChunkList& snapshots = fHistoryFile.GetChunkList();
    snapshots.SetRecording(false);
    snapshots.SetCurrChunkPos(position, true);

    unsigned int keep = fActions.Count();
    while (keep > 0 && fActions[keep - 1]->GetChunkPosition() >= position)
        --keep;
    fActions.DeleteActionsFrom(keep);
    fEndPosition = position;
    if (fCurrentPosition > keep)
        fCurrentPosition = keep;
    // The step was performed (or is about to be) without a record: the
    // tree may no longer be in the state of any position.
    ForgetSavedPosition();
}

// --- Groups ---

int AKTreeHistory::ActionGroupBegin()
{
    if (fGroupDepth == 0) {
        // Both are set whatever the recording state, which may change
        // before the group ends.
        fGroupStart = fCurrentPosition;
        fAccumulatedKinds = 0;
    }
    ++fGroupDepth;
    return 0;
}

int AKTreeHistory::ActionGroupEnd(int commandID, AKString const& name, unsigned int* result)
{
    if (result != nullptr)
        *result = 0;
    if (fGroupDepth == 0)
        return 0;
    if (fGroupDepth > 1) {
        --fGroupDepth;
        return 0;
    }

    if (fNotifier != nullptr)
        fNotifier->UpdateObjectsStamp(false);
    unsigned int groupResult = 0;
    if (IsRecording()) {
        if (fCurrentPosition > fGroupStart) {
            unsigned int const groupNumber = fActions[fCurrentPosition - 1]->GetGroupNumber();
            unsigned int kinds = 0;
            for (unsigned int i = fGroupStart; i < fCurrentPosition; ++i) {
                fActions[i]->SetActionName(commandID, name);
                fActions[i]->SetGroupNumber(groupNumber);
                kinds |= fActions[i]->ActionKindOnRedone();
            }
            groupResult = GroupResultOfKinds(kinds);
        }
    } else {
        groupResult = GroupResultOfKinds(fAccumulatedKinds);
    }
    fGroupDepth = 0;
    fGroupStart = 0;
    fAccumulatedKinds = 0;
    if (result != nullptr)
        *result = groupResult;
    return 0;
}
