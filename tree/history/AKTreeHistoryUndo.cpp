// Undo and redo of whole steps (every action of one group at once).

#include "AKTreeHistory.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKStatus.h"
#include "AKTreeNotifier.h"
#include "AKTreeSel.h"

// The caller's outputs, any of which may be null.
struct AKTreeHistory::StepOutputs {
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

namespace {

// The command ID and name of the step the action ends or begins (0 and the
// empty string when there is none); any output may be null.
void NameStep(AKTreeHistoryAction const* action, int* commandID, AKString* name)
{
    if (commandID != nullptr)
        *commandID = action != nullptr ? action->GetCommandID() : 0;
    if (name != nullptr)
        *name = action != nullptr ? action->GetName() : kAKNullString;
}

}  // namespace

bool AKTreeHistory::GetUndoState(int* commandID, AKString* name) const
{
    bool const possible = fCurrentPosition > 0 && fCurrentPosition <= fActions.Count();
    NameStep(possible ? fActions[fCurrentPosition - 1] : nullptr, commandID, name);
    return possible;
}

bool AKTreeHistory::GetRedoState(int* commandID, AKString* name) const
{
    bool const possible = fCurrentPosition < fActions.Count();
    NameStep(possible ? fActions[fCurrentPosition] : nullptr, commandID, name);
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
    return ReplayStep(true, StepOutputs{commandID, name, result, resultSel, moreInfo});
}

int AKTreeHistory::CallRedo(int* commandID, AKString* name, unsigned int* result, AKTreeSel* resultSel,
                            AKDictionary* moreInfo)
{
    return ReplayStep(false, StepOutputs{commandID, name, result, resultSel, moreInfo});
}

int AKTreeHistory::ReplayStep(bool undo, StepOutputs const& outputs)
{
    outputs.Reset();
    if (!IsOpened())
        return kAKErrorTreeHistoryClosed;
    if (undo && fCurrentPosition == 0)
        return kAKErrorTreeHistoryCantUndo;
    if (!undo && fCurrentPosition >= fActions.Count())
        return kAKErrorTreeHistoryCantRedo;

    // The step: the run of actions that share the group number of the last
    // done one, back from it (undo), or of the first undone one, on from it
    // (redo).
    unsigned int first = undo ? fCurrentPosition - 1 : fCurrentPosition;
    unsigned int last = first;
    unsigned int const groupNumber = fActions[first]->GetGroupNumber();
    if (undo) {
        while (first > 0 && fActions[first - 1]->GetGroupNumber() == groupNumber)
            --first;
    } else {
        while (last + 1 < fActions.Count() && fActions[last + 1]->GetGroupNumber() == groupNumber)
            ++last;
    }
    bool const inGroup = last > first;

    // Undo replays the step from its last action back, redo from its first
    // on; the first action replayed names the step.
    AKHistoryFile::AKChunkList& snapshots = fHistoryFile.GetChunkList();
    unsigned int kinds = 0;
    int status = 0;
    for (unsigned int n = 0; n <= last - first && status == 0; ++n) {
        unsigned int const i = undo ? last - n : first + n;
        AKTreeHistoryAction& action = *fActions[i];
        if (!undo) {
            // This action's snapshots count as current from here on.
            unsigned long long const next =
                i + 1 < fActions.Count() ? fActions[i + 1]->GetChunkPosition() : fEndPosition;
            snapshots.SetCurrChunkPos(next, false);
        }
        AKTreeSel selection;
        AKDictionary info;
        status = SeekToActionPayload(action);
        if (status == 0)
            status = undo ? action.Undo(fHistoryFile, inGroup, &selection, &info)
                          : action.Redo(fHistoryFile, inGroup, &selection, &info);
        snapshots.SetRecording(false);
        if (n == 0)
            outputs.Take(action, selection, info);
        kinds |= undo ? action.ActionKindOnUndone() : action.ActionKindOnRedone();
        // Once undone, or when redoing failed, this action's snapshots and
        // later ones are no longer current, but are kept for redo.
        if ((status == 0) == undo)
            snapshots.SetCurrChunkPos(action.GetChunkPosition(), false);
        if (status == 0) {
            if (outputs.result != nullptr)
                *outputs.result = kinds;
            if (undo)
                --fCurrentPosition;
            else
                ++fCurrentPosition;
        }
    }
    // The actions replayed before a failure changed the tree as well.
    UpdateStampsOfStep(inGroup);
    if (status != 0)
        outputs.Reset();
    return status;
}
