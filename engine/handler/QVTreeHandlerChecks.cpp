// QVTreeHandler: the checks of player and sequence edits, and the selection
// rules of attaching and detaching players.

#include "QVTreeHandler.h"

#include "AKNode.h"
#include "AKStatus.h"
#include "AKTreeSel.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

namespace {

AKObject* ObjectOf(AKNode const* node) { return node != nullptr ? node->GetObject() : nullptr; }

template <class T>
bool IsKind(AKObject const* object)
{
    return object != nullptr && object->IsKindOfT<T>();
}

// The objects of the parent and the grandparent of a node.
AKObject* ParentObjectOf(AKNode const* node) { return node != nullptr ? ObjectOf(node->Parent()) : nullptr; }

AKObject* GrandParentObjectOf(AKNode const* node) { return node != nullptr ? ObjectOf(node->GrandParent()) : nullptr; }

}  // namespace

int QVTreeHandler::CheckTargetOfClass(AKTreeActionParam const& param, AKClass const* objectClass) const
{
    return CheckHasTargetNode(param, objectClass, false);
}

int QVTreeHandler::CheckCursorAddNewAtomic(AKTreeActionParam const& param) const
{
    return CheckTargetOfClass(param, QVObjectCursor::_Class());
}

int QVTreeHandler::CheckSequenceAddNewCursor(AKTreeActionParam const& param) const
{
    return CheckTargetOfClass(param, QVObjectSequence::_Class());
}

int QVTreeHandler::CheckSequenceAddNewTrack(AKTreeActionParam const& param) const
{
    return CheckTargetOfClass(param, QVObjectSequence::_Class());
}

int QVTreeHandler::CheckCursorGroup(AKTreeActionParam const& param) const
{
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    if (selection.CountNodes() < 2)
        return kAKErrorTreeHandlerBadTreeSelType;
    for (AKNode const* node : selection.GetNodes()) {
        if (!IsKind<QVObjectZlayer>(ObjectOf(node)))
            return kAKErrorTreeHandlerBadTreeSelType;
    }
    return 0;
}

int QVTreeHandler::CheckSequenceGroup(AKTreeActionParam const& param) const
{
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    if (selection.CountNodes() != 2)
        return kAKErrorTreeHandlerBadTreeSelType;
    for (AKNode const* node : selection.GetNodes()) {
        if (!IsKind<QVObjectSequence>(ObjectOf(node)))
            return kAKErrorTreeHandlerBadTreeSelType;
    }
    return 0;
}

int QVTreeHandler::CheckCursorAttach(AKTreeActionParam const& param, QVObjectPlayableArray* players,
                                     QVObjectSequence** sequence) const
{
    if (players != nullptr)
        players->Clear();
    if (sequence != nullptr)
        *sequence = nullptr;
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    return IsTreeSelValidToAttachPlayables(param.GetTreeSel(), players, sequence) ? 0
                                                                                  : kAKErrorTreeHandlerBadTreeSelType;
}

int QVTreeHandler::CheckCursorDetach(AKTreeActionParam const& param, QVObjectPlayableArray* players) const
{
    if (players != nullptr)
        players->Clear();
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    return IsTreeSelValidToDetachPlayables(param.GetTreeSel(), players) ? 0 : kAKErrorTreeHandlerBadTreeSelType;
}

int QVTreeHandler::CheckPlayablePlug(AKTreeActionParam const& param) const
{
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    if (selection.GetObjects().Count() != 1 || !IsKind<QVObjectPlayable>(selection.GetObjects()[0]))
        return kAKErrorTreeHandlerBadTreeSelType;
    return 0;
}

int QVTreeHandler::CheckPlayablePlugNone(AKTreeActionParam const& param) const
{
    int const status = CheckPlayablePlug(param);
    if (status != 0)
        return status;
    auto const* const playable = static_cast<QVObjectPlayable const*>(param.GetTreeSel().GetObjects()[0]);
    return playable->GetPluginUID() != kQVNullPluginDescUID ? 0 : 1;
}

int QVTreeHandler::CheckSequenceBounce(AKTreeActionParam const& param) const
{
    int const status = CheckHasSomeTreeSel(param, false);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    QVObjectTrackArray tracks;
    if (QVTreeSel_ResolveSequenceAndTracks(selection, &tracks, false) == nullptr || tracks.IsEmpty())
        return kAKErrorTreeHandlerBadTreeSelType;
    if (!selection.HasTimeSel() || !(selection.GetTimeRange().end - selection.GetTimeRange().beg > 0.0))
        return kAKErrorTreeHandlerEmptyTreeSel;
    return 0;
}

// --- Selection rules ---

bool QVTreeHandler::IsTreeSelValidToAttachPlayables(AKTreeSel const& selection, QVObjectPlayableArray* players,
                                                    QVObjectSequence** sequence)
{
    QVObjectPlayableArray found;
    if (players != nullptr)
        players->Clear();
    if (sequence != nullptr)
        *sequence = nullptr;
    if (selection.CountNodes() < 2)
        return false;

    QVObjectSequence* target = nullptr;
    for (AKNode const* node : selection.GetNodes()) {
        AKObject* const object = ObjectOf(node);
        if (IsKind<QVObjectSequence>(object)) {
            if (target != nullptr)
                return false;
            target = static_cast<QVObjectSequence*>(object);
        }
    }
    if (target == nullptr)
        return false;

    for (AKNode const* node : selection.GetNodes()) {
        AKObject* const object = ObjectOf(node);
        if (object == target)
            continue;
        bool attached;
        if (IsKind<QVObjectCursor>(object))
            attached = ParentObjectOf(node) == target;
        else if (IsKind<QVObjectAtomic>(object))
            attached = ParentObjectOf(node) == target || GrandParentObjectOf(node) == target;
        else
            return false;
        if (!attached)
            found.Push(static_cast<QVObjectPlayable*>(object));
    }
    if (found.IsEmpty())
        return false;
    if (players != nullptr)
        *players = found;
    if (sequence != nullptr)
        *sequence = target;
    return true;
}

bool QVTreeHandler::IsTreeSelValidToDetachPlayables(AKTreeSel const& selection, QVObjectPlayableArray* players)
{
    QVObjectPlayableArray found;
    if (players != nullptr)
        players->Clear();
    if (selection.IsEmpty())
        return false;
    for (AKNode const* node : selection.GetNodes()) {
        AKObject* const object = ObjectOf(node);
        bool detachable;
        if (IsKind<QVObjectCursor>(object))
            detachable = IsKind<QVObjectSequence>(ParentObjectOf(node));
        else if (IsKind<QVObjectAtomic>(object))
            detachable =
                IsKind<QVObjectSequence>(ParentObjectOf(node)) || IsKind<QVObjectSequence>(GrandParentObjectOf(node));
        else
            return false;
        if (detachable)
            found.Push(static_cast<QVObjectPlayable*>(object));
    }
    if (found.IsEmpty())
        return false;
    if (players != nullptr)
        *players = found;
    return true;
}

// --- Selection resolvers ---

QVObjectSequence* QVObject_ResolveSequenceAndTracks(AKObject* object, QVObjectTrackArray* tracks, bool useCachedList)
{
    if (tracks != nullptr)
        tracks->Clear();
    if (IsKind<QVObjectSequence>(object)) {
        auto* const sequence = static_cast<QVObjectSequence*>(object);
        if (tracks != nullptr) {
            if (useCachedList) {
                *tracks = sequence->GetFLSubTracks();
            } else if (AKNode const* const node = sequence->GetNodeOwner()) {
                for (AKNode* sub = node->GetSub(); sub != nullptr; sub = sub->GetNext()) {
                    if (IsKind<QVObjectTrack>(sub->GetObject()))
                        tracks->Push(static_cast<QVObjectTrack*>(sub->GetObject()));
                }
            }
        }
        return sequence;
    }
    if (IsKind<QVObjectTrack>(object)) {
        AKObject* const parent = ParentObjectOf(object->GetNodeOwner());
        if (IsKind<QVObjectSequence>(parent)) {
            if (tracks != nullptr)
                tracks->Push(static_cast<QVObjectTrack*>(object));
            return static_cast<QVObjectSequence*>(parent);
        }
    }
    return nullptr;
}

QVObjectSequence* QVTreeSel_ResolveSequenceAndTracks(AKTreeSel const& selection, QVObjectTrackArray* tracks,
                                                     bool useCachedList)
{
    if (tracks != nullptr)
        tracks->Clear();
    ATObjectArray<AKObject> const& objects = selection.GetObjects();
    if (objects.Count() == 1)
        return QVObject_ResolveSequenceAndTracks(objects[0], tracks, useCachedList);
    if (objects.Count() < 2)
        return nullptr;
    AKObject* const parent = ObjectOf(selection.GetCommonParent());
    if (!IsKind<QVObjectSequence>(parent) || !selection.HasAllObjectsOfClass(QVObjectTrack::_Class()))
        return nullptr;
    if (tracks != nullptr) {
        for (AKObject* object : objects)
            tracks->Push(static_cast<QVObjectTrack*>(object));
    }
    return static_cast<QVObjectSequence*>(parent);
}
