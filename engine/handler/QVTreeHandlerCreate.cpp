// QVTreeHandler: new sequences and players as undoable steps of the
// current command.

#include "QVTreeHandler.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeSelModelMgr.h"
#include "QVLocale.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

namespace {

void NameIfGiven(AKObject* object, AKString const& name)
{
    if (!name.IsEmpty())
        object->akmSetName(name, false);
}

// Moves the player to the time, keeping its span.
void SetTimeKeepingSpan(QVObjectPlayable* player, double time)
{
    player->LowSetUserTimeAndSpan(time, player->GetUserSpan(), false);
}

int ErrorNew()
{
    int const status = AKClass::GetErrorNew();
    return status != 0 ? status : -1;
}

// Deletes the tracks of the list that no node owns and empties the list.
void DeleteDetachedTracks(QVObjectTrackArray* tracks)
{
    if (tracks == nullptr)
        return;
    ATObjectArray<AKObject> detached;
    for (QVObjectTrack* track : *tracks) {
        if (track != nullptr && track->GetNodeOwner() == nullptr)
            detached.PushUniqueItem(track);
    }
    AKDeletes(detached);
    tracks->Clear();
}

}  // namespace

int QVTreeHandler::DoEasyNewSequenceEmpty(QVObjectSequence** out, AKString const& name)
{
    if (out != nullptr)
        *out = nullptr;
    QVObjectSequence* sequence = AKNew<QVObjectSequence>("%s", "");
    if (sequence == nullptr)
        return ErrorNew();
    NameIfGiven(sequence, name);
    AKObject* object = sequence;
    int const status = DoEasyAddNewObject(&object, GetFolderSequence(), kAKLinkModeLastChildren);
    if (status != 0)
        return status;
    if (out != nullptr)
        *out = sequence;
    return 0;
}

int QVTreeHandler::LowNewSequence(QVObjectSequence** out, AKString const& name, QVObjectTrackArray* tracks,
                                  bool newTracks)
{
    if (out != nullptr)
        *out = nullptr;
    int status = DoEasyActionGroupBegin();
    bool const inGroup = status == 0;
    QVObjectSequence* sequence = nullptr;
    if (status == 0)
        status = DoEasyNewSequenceEmpty(&sequence, name);
    if (status != 0) {
        // New tracks that never reached the tree belong to nobody else.
        if (newTracks)
            DeleteDetachedTracks(tracks);
    } else {
        ATObjectArray<AKObject> objects;
        if (tracks != nullptr) {
            for (QVObjectTrack* track : *tracks)
                objects.Push(track);
        }
        if (newTracks) {
            status = DoEasyAddNewObjects(&objects, sequence, kAKLinkModeLastChildren);
            // The base deleted the tracks that did not reach the tree: the
            // list would name freed objects.
            if (status != 0 && tracks != nullptr)
                tracks->Clear();
        } else {
            status = DoEasyMoveObjects(nullptr, &objects, sequence, kAKLinkModeLastChildren);
        }
    }
    // The nested group closes on every path once opened, so that the
    // command's own end closes the command's group.
    int const endStatus = inGroup ? DoEasyActionGroupEnd(nullptr) : 0;
    if (status == 0)
        status = endStatus;
    if (status == 0 && out != nullptr)
        *out = sequence;
    return status;
}

int QVTreeHandler::DoEasyNewSequenceWithTracks(QVObjectSequence** out, AKString const& name, QVObjectTrackArray* tracks)
{
    return LowNewSequence(out, name, tracks, false);
}

int QVTreeHandler::DoEasyNewSequenceWithNewTracks(QVObjectSequence** out, AKString const& name,
                                                  QVObjectTrackArray* tracks)
{
    return LowNewSequence(out, name, tracks, true);
}

int QVTreeHandler::DoEasyNewSequenceWithTrack(QVObjectSequence** out, AKString const& name, QVObjectTrack** track)
{
    QVObjectTrackArray tracks;
    if (track != nullptr && *track != nullptr)
        tracks.Push(*track);
    int const status = LowNewSequence(out, name, &tracks, false);
    if (track != nullptr)
        *track = tracks.IsEmpty() ? nullptr : tracks[0];
    return status;
}

int QVTreeHandler::DoEasyNewSequenceWithNewTrack(QVObjectSequence** out, AKString const& name, QVObjectTrack** track)
{
    QVObjectTrackArray tracks;
    if (track != nullptr && *track != nullptr)
        tracks.Push(*track);
    int const status = LowNewSequence(out, name, &tracks, true);
    if (track != nullptr)
        *track = tracks.IsEmpty() ? nullptr : tracks[0];
    return status;
}

int QVTreeHandler::DoEasyNewCursor(QVObjectPlayable** out, AKString const& name, unsigned int subCount, double time,
                                   AKObject* parent, AKLinkMode mode)
{
    if (out != nullptr)
        *out = nullptr;
    if (parent == nullptr)
        parent = GetFolderCursor();

    if (subCount == 0) {
        QVObjectAtomic* player = AKNew<QVObjectAtomic>("%s", "");
        if (player == nullptr)
            return ErrorNew();
        // Subs of a multi-player stay unnamed.
        if (parent == nullptr || !parent->IsKindOfT<QVObjectCursor>())
            NameIfGiven(player, name);
        if (time > 0.0)
            SetTimeKeepingSpan(player, time);
        AKObject* object = player;
        int const status = DoEasyAddNewObject(&object, parent, mode);
        if (status != 0)
            return status;
        if (out != nullptr)
            *out = player;
        return 0;
    }

    int status = DoEasyActionGroupBegin();
    if (status != 0)
        return status;
    QVObjectCursor* cursor = nullptr;
    status = [&]() -> int {
        cursor = AKNew<QVObjectCursor>("%s", "");
        if (cursor == nullptr)
            return ErrorNew();
        NameIfGiven(cursor, name);
        if (time > 0.0)
            SetTimeKeepingSpan(cursor, time);
        AKObject* object = cursor;
        int const added = DoEasyAddNewObject(&object, parent, mode);
        if (added != 0)
            return added;
        ATObjectArray<AKObject> subs;
        for (unsigned int index = 0; index < subCount; ++index) {
            QVObjectAtomic* const sub = AKNew<QVObjectAtomic>("%s", "");
            if (sub == nullptr) {
                AKDeletes(subs);
                return ErrorNew();
            }
            if (time > 0.0)
                SetTimeKeepingSpan(sub, time);
            subs.Push(sub);
        }
        // The base deletes the subs that do not reach the tree.
        return DoEasyAddNewObjects(&subs, cursor, kAKLinkModeLastChildren);
    }();
    // The nested group closes on every path, so that the command's own end
    // closes the command's group.
    int const endStatus = DoEasyActionGroupEnd(nullptr);
    if (status == 0)
        status = endStatus;
    if (status == 0 && out != nullptr)
        *out = cursor;
    return status;
}

int QVTreeHandler::DoEasyNewCursorFromModel(QVObjectPlayable** out, unsigned int modelID, double time, AKObject* parent,
                                            AKLinkMode mode)
{
    if (out != nullptr)
        *out = nullptr;
    if (modelID >= 1 && modelID <= kQVCursorModelBuiltInLast)
        return DoEasyNewCursor(out, AKString(), modelID - 1, time, parent, mode);
    if (modelID < kQVCursorModelCustomFirst)
        return kAKErrorTreeHandlerModelUnknown;

    AKTreeSelModel const* const model = AKTreeSelModelMgr::sShared.GetModelByID(modelID);
    if (model == nullptr)
        return kAKErrorTreeHandlerModelUnknown;
    if (model->GetObjectCount() != 1 || !model->HasAllNodesOfClass(QVObjectCursor::_Class()))
        return kAKErrorTreeHandlerBadTreeSelType;

    int status = DoEasyActionGroupBegin();
    if (status != 0)
        return status;
    QVObjectCursor* cursor = nullptr;
    status = [&]() -> int {
        // Always pasted as last child; without a parent the player folder is
        // chosen through the default folder target.
        AKTreeActionParam param(GetTree());
        param.SetActionName(GetCurrentCommand());
        param.WithPostTreatmentClient(GetCurrentPostTreatmentClient());
        param.WithTargetObject(parent, kAKLinkModeLastChildren);
        int const pastedStatus = DoPasteFromPasteboard(param, model, model->GetModelName());
        if (pastedStatus != 0)
            return pastedStatus;
        ATObjectArray<AKObject> const& pasted = param.GetResultTreeSel().GetObjects();
        if (pasted.Count() != 1 || pasted[0] == nullptr || !pasted[0]->IsKindOfT<QVObjectCursor>())
            return kAKErrorTreeHandlerBadTreeSelType;
        cursor = static_cast<QVObjectCursor*>(pasted[0]);
        SetTimeKeepingSpan(cursor, time);
        return 0;
    }();
    int const endStatus = DoEasyActionGroupEnd(nullptr);
    if (status == 0)
        status = endStatus;
    if (status == 0 && out != nullptr)
        *out = cursor;
    return status;
}

AKString QVObjectGetNameCopied(AKObject const* object)
{
    if (object == nullptr)
        return AKString();
    AKString name = object->akmGetName();
    AKString const word(QVLocaleGetString("Copy"));
    if (!name.EndsWith(word)) {
        name += " ";
        name += word;
    }
    return name;
}
