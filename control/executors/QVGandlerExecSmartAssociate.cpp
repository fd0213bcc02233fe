// Smart association: what dropping one object on another means. A player
// dropped on a sequence is attached to it, on a multi-player grouped into
// it, on nothing detached from its sequence; anything else (or a copy) is
// moved or copied to the target, or to its folder when there is none. With
// "Cluster" only the dragged object's players travel. The undo step is the
// one of the command that does the work; placing a player at "TimeAt" is a
// user time move and stays out of the history.

#include "AKClass.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectPlayable.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

namespace {

bool IsPlayer(AKObject const* object) { return object != nullptr && object->IsKindOfT<QVObjectZlayer>(); }

// Whether the object sits somewhere below a sequence (directly, or as a sub
// of a multi-player that does).
bool IsInsideSequence(AKObject const* object)
{
    AKNode* const node = object->GetNodeOwner();
    for (AKNode* parent = node != nullptr ? node->Parent() : nullptr; parent != nullptr; parent = parent->Parent()) {
        AKObject* const above = parent->GetObject();
        if (above != nullptr && above->IsKindOfT<QVObjectSequence>())
            return true;
    }
    return false;
}

// A fresh parameter for the document selecting the objects, with an
// optional target (last children).
QVGandlerParam FreshParam(QVDocument* document, ATObjectArray<AKObject> const& selected, AKObject* target)
{
    QVGandlerParam fresh(document);
    fresh.GetTreeActionParam().WithTreeObjects(selected);
    if (target != nullptr)
        fresh.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
    return fresh;
}

char const* ClassNameOf(AKObject const* object)
{
    AKClass const* const objectClass = object->GetClass();
    return objectClass != nullptr ? objectClass->GetUserName().c_str() : "";
}

}  // namespace

int QVGandler::LowSmartAssociatePlayer(QVGandlerParam& param, QVDocument* document, AKObject* dragged, AKObject* target)
{
    if (target == nullptr)
        return IsInsideSequence(dragged) ? DoCmd_CursorDetach(param) : 0;
    ATObjectArray<AKObject> pair;
    pair.Push(target);
    pair.Push(dragged);
    if (target->IsKindOfT<QVObjectSequence>()) {
        QVGandlerParam attach = FreshParam(document, pair, nullptr);
        return DoCmd_CursorAttach(attach);
    }
    if (target->IsKindOfT<QVObjectCursor>()) {
        QVGandlerParam group = FreshParam(document, pair, target);
        return DoCmd_CursorGroup(group);
    }
    AKLogWarning(kQVWarningHandlerCantAssociateObjects, "Can't associate object <%s> to object <%s>",
                 ClassNameOf(dragged), ClassNameOf(target));
    return 0;
}

int QVGandler::DoCmd_SmartAssociateObjects(QVGandlerParam& param)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKTreeSel const& selection = action.GetTreeSel();
    AKNode* const draggedNode = selection.CountNodes() == 1 ? selection.GetNode(0) : nullptr;
    AKObject* const dragged = draggedNode != nullptr ? draggedNode->GetObject() : nullptr;
    if (handler == nullptr || dragged == nullptr)
        return -1;

    bool copy = false;
    bool cluster = false;
    AKTime timeAt = -1.0;
    param.GetOptionAsBool("CopyMode", &copy);
    param.GetOptionAsBool("Cluster", &cluster);
    param.GetOptionAsAKTime("TimeAt", &timeAt);
    AKNode* const targetNode = action.GetTargetNode();
    AKObject* const target = targetNode != nullptr ? targetNode->GetObject() : nullptr;

    int status = 0;
    if (!copy && IsPlayer(dragged)) {
        status = LowSmartAssociatePlayer(param, document, dragged, target);
    } else if (cluster && target != nullptr) {
        ATObjectArray<AKObject> children;
        dragged->GrabChildren(&children);
        ATObjectArray<AKObject> players;
        for (unsigned int i = 0; i < children.Count(); ++i) {
            if (IsPlayer(children[i]))
                players.Push(children[i]);
        }
        QVGandlerParam fresh = FreshParam(document, players, target);
        status = copy ? DoCmd_SmartCopyTo(fresh) : DoCmd_SmartMoveTo(fresh);
    } else {
        if (target == nullptr) {
            AKNode* const folder =
                IsPlayer(dragged) ? handler->GetFolderCursorNode() : handler->GetFolderSequenceNode();
            action.WithTargetNode(folder, kAKLinkModeLastChildren);
        }
        status = copy ? DoCmd_SmartCopyTo(param) : DoCmd_SmartMoveTo(param);
    }

    // Placed whatever the nested command answered: in copy mode the one
    // copy made, otherwise the dragged object itself.
    if (timeAt >= 0.0) {
        AKObject* placed = dragged;
        if (copy) {
            ATObjectArray<AKObject> const& made = action.GetResultTreeSel().GetObjects();
            placed = made.Count() == 1 ? made[0] : nullptr;
        }
        if (IsPlayer(placed)) {
            auto* const player = static_cast<QVObjectPlayable*>(placed);
            player->LowSetUserTimeAndSpan(timeAt, player->GetUserSpan(), false);
        }
    }
    return status;
}
