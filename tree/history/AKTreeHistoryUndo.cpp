// Undo and redo of whole steps (every action of one group at once).

#include "AKTreeHistory.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKStatus.h"
#include "AKTreeNotifier.h"
#include "AKTreeSel.h"

namespace {

// The caller's outputs, any of which may be null.
struct StepOutputs {
    int* commandID;
    AKString* name;
    unsigned int* result;
    AKTreeSel* resultSel;
    AKDictionary* moreInfo;

    void Reset() const
    {
        if (commandID != nullptr)
            *commandID = 0;
        if (name != nullptr)
            *name = kAKNullString;
        if (result != nullptr)
            *result = 0;
        if (resultSel != nullptr)
            *resultSel = kAKNullTreeSel;
        if (moreInfo != nullptr)
            *moreInfo = kAKNullDictionary;
    }

    void Take(AKTreeHistoryAction const& action, AKTreeSel const& selection, AKDictionary const& info) const
    {
        if (commandID != nullptr)
            *commandID = action.GetCommandID();
        if (name != nullptr)
            *name = action.GetName();
        if (resultSel != nullptr)
            *resultSel = selection;
        if (moreInfo != nullptr)
            *moreInfo = info;
    }
};

}  // namespace

bool AKTreeHistory::GetUndoState(int* commandID, AKString* name) const
{
    bool const possible = fCurrentPosition > 0 && fCurrentPosition <= fActions.Count();
    AKTreeHistoryAction const* action = possible ? fActions[fCurrentPosition - 1] : nullptr;
    if (commandID != nullptr)
        *commandID = action != nullptr ? action->GetCommandID() : 0;
    if (name != nullptr)
        *name = action != nullptr ? action->GetName() : kAKNullString;
    return possible;
}

bool AKTreeHistory::GetRedoState(int* commandID, AKString* name) const
{
    bool const possible = fCurrentPosition < fActions.Count();
    AKTreeHistoryAction const* action = possible ? fActions[fCurrentPosition] : nullptr;
    if (commandID != nullptr)
        *commandID = action != nullptr ? action->GetCommandID() : 0;
    if (name != nullptr)
        *name = action != nullptr ? action->GetName() : kAKNullString;
    return possible;
}

int AKTreeHistory::SeekToActionPayload(AKTreeHistoryAction const& action) const
{
    AKFileChunk chunk(kAKTreeHistoryActionChunkSignature);
    unsigned int actionID = 0;
    int status = fHistoryFile.SetPos(action.GetChunkPosition());
    if (status == 0)
        status = AKFileCheckChunkHeader(fHistoryFile, &chunk);
    if (status == 0)
        status = AKFileReadUInt32(fHistoryFile, &actionID);
    if (status == 0 && actionID != action.GetActionID())
        status = kAKErrorMiscellaneous;
    return status;
}

void AKTreeHistory::UpdateStampsOfStep(bool severalActions) const
{
    if (severalActions && fNotifier != nullptr)
        fNotifier->UpdateObjectsStamp(false);
}

int AKTreeHistory::CallUndo(int* commandID, AKString* name, unsigned int* result, AKTreeSel* resultSel,
                            AKDictionary* moreInfo)
{
    StepOutputs const outputs{commandID, name, result, resultSel, moreInfo};
    outputs.Reset();
    if (!IsOpened())
        return kAKErrorTreeHistoryClosed;
    if (fCurrentPosition == 0)
        return kAKErrorTreeHistoryCantUndo;

    // The step: the run of actions ending at the last done one that share its group number.
    unsigned int const last = fCurrentPosition - 1;
    unsigned int const groupNumber = fActions[last]->GetGroupNumber();
    unsigned int first = last;
    while (first > 0 && fActions[first - 1]->GetGroupNumber() == groupNumber)
        --first;
    bool const inGroup = last > first;

    AKHistoryFile::AKChunkList& snapshots = fHistoryFile.GetChunkList();
    unsigned int kinds = 0;
    int status = 0;
    for (unsigned int i = last + 1; i-- > first && status == 0;) {
        AKTreeHistoryAction& action = *fActions[i];
        AKTreeSel selection;
        AKDictionary info;
        status = SeekToActionPayload(action);
        if (status == 0)
            status = action.Undo(fHistoryFile, inGroup, &selection, &info);
        snapshots.SetRecording(false);
        if (i == last)
            outputs.Take(action, selection, info);
        kinds |= action.ActionKindOnUndone();
        if (status == 0) {
            // This action's snapshots and later ones are no longer current,
            // but are kept for redo.
            snapshots.SetCurrChunkPos(action.GetChunkPosition(), false);
            if (result != nullptr)
                *result = kinds;
            --fCurrentPosition;
        }
    }
    // The actions undone before a failure changed the tree as well.
    UpdateStampsOfStep(inGroup);
    if (status != 0)
        outputs.Reset();
    return status;
}

int AKTreeHistory::CallRedo(int* commandID, AKString* name, unsigned int* result, AKTreeSel* resultSel,
                            AKDictionary* moreInfo)
{
    StepOutputs const outputs{commandID, name, result, resultSel, moreInfo};
    outputs.Reset();
    if (!IsOpened())
        return kAKErrorTreeHistoryClosed;
    if (fCurrentPosition >= fActions.Count())
        return kAKErrorTreeHistoryCantRedo;

    // The step: the run of actions from the first undone one that share its group number.
    unsigned int const first = fCurrentPosition;
    unsigned int const groupNumber = fActions[first]->GetGroupNumber();
    unsigned int last = first;
    while (last + 1 < fActions.Count() && fActions[last + 1]->GetGroupNumber() == groupNumber)
        ++last;
    bool const inGroup = last > first;

    AKHistoryFile::AKChunkList& snapshots = fHistoryFile.GetChunkList();
    unsigned int kinds = 0;
    int status = 0;
    for (unsigned int i = first; i <= last && status == 0; ++i) {
        AKTreeHistoryAction& action = *fActions[i];
        // This action's snapshots count as current from here on.
        unsigned long long const next = i + 1 < fActions.Count() ? fActions[i + 1]->GetChunkPosition() : fEndPosition;
        snapshots.SetCurrChunkPos(next, false);
        AKTreeSel selection;
        AKDictionary info;
        status = SeekToActionPayload(action);
        if (status == 0)
            status = action.Redo(fHistoryFile, inGroup, &selection, &info);
        snapshots.SetRecording(false);
        if (i == first)
            outputs.Take(action, selection, info);
        kinds |= action.ActionKindOnRedone();
        if (status == 0) {
            if (result != nullptr)
                *result = kinds;
            ++fCurrentPosition;
        } else {
            snapshots.SetCurrChunkPos(action.GetChunkPosition(), false);
        }
    }
    UpdateStampsOfStep(inGroup);
    if (status != 0)
        outputs.Reset();
    return status;
}
