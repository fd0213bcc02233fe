// The tree handler's checks. They log nothing: each answers the first
// refusal in its order (listed in AKTreeHandler.h) and the caller reports it.

#include "AKTreeHandler.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreePasteboard.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"

namespace {

void SetTargetOutputs(AKNode** target, AKLinkMode* mode, AKNode* node, AKLinkMode linkMode)
{
    if (target != nullptr)
        *target = node;
    if (mode != nullptr)
        *mode = linkMode;
}

}  // namespace

// --- Building blocks ---

int AKTreeHandler::CheckCanBeModified() const { return IsReadOnly() ? kAKErrorTreeHandlerReadOnly : 0; }

int AKTreeHandler::CheckOwnTreeSel(AKTreeActionParam const& param) const
{
    // A record built with a selection of another tree (WithFarTreeSel) is
    // refused like a record of another tree: the edit would reach nodes the
    // handler's history and notifier know nothing of. So is a selection
    // naming nodes of another tree (a one-object selection is built from
    // whatever object it is given).
    AKTreeSel const& selection = param.GetTreeSel();
    if (param.GetTree() != fTree || selection.GetTree() != fTree)
        return kAKErrorTreeHandlerBadTreeOwner;
    if (!selection.IsEmpty() && !fTree->IsOwnerOfNodes(selection.GetNodes()))
        return kAKErrorTreeHandlerBadTreeOwner;
    return 0;
}

int AKTreeHandler::CheckHasSomeTreeSel(AKTreeActionParam const& param, bool writable) const
{
    if (writable && IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    if (param.GetTreeSel().IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    return CheckOwnTreeSel(param);
}

int AKTreeHandler::CheckHasTargetNode(AKTreeActionParam const& param, AKClass const* objectClass, bool writable) const
{
    if (writable && IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    if (param.GetTree() != fTree)
        return kAKErrorTreeHandlerBadTreeOwner;
    AKNode const* target = param.GetTargetNode();
    if (target != nullptr && !fTree->IsOwnerOfNode(target))
        return kAKErrorTreeHandlerBadTreeOwner;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    AKObject const* object = target->GetObject();
    if (objectClass == nullptr || object == nullptr || !object->IsKindOf(objectClass))
        return kAKErrorTreeHandlerBadTargetNodeType;
    return 0;
}

int AKTreeHandler::CheckRemovableTreeSel(AKTreeActionParam const& param) const
{
    int status = CheckHasSomeTreeSel(param, true);
    // The root holds the whole tree: it can be neither removed nor moved,
    // nor can anything be put beside it.
    if (status == 0 && fTree != nullptr && param.GetTreeSel().GetNodes().Find(fTree->GetRootNode(), nullptr))
        status = kAKErrorTreeHandlerBadTreeSelType;
    return status;
}

int AKTreeHandler::CheckRecordTarget(AKTreeActionParam const& param) const
{
    AKNode const* target = param.GetTargetNode();
    if (target != nullptr && (fTree == nullptr || !fTree->IsOwnerOfNode(target)))
        return kAKErrorTreeHandlerBadTreeOwner;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (param.GetLinkMode() == kAKLinkModeNone)
        return kAKErrorTreeHandlerNoLinkMode;
    return 0;
}

int AKTreeHandler::ResolveMoveOrCopyTarget(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const
{
    AKNode* node = param.GetTargetNode();
    AKLinkMode linkMode = param.GetLinkMode();
    if (node == nullptr) {
        node = GetDefaultFolderTargetNode(param.GetTreeSel().GetCommonBaseClass(), false);
        linkMode = kAKLinkModeLastChildren;
    }
    *target = node;
    *mode = linkMode;
    // Nodes are only ever linked inside the handler's own tree.
    if (node != nullptr && (fTree == nullptr || !fTree->IsOwnerOfNode(node)))
        return kAKErrorTreeHandlerBadTreeOwner;
    if (node == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (linkMode == kAKLinkModeNone)
        return kAKErrorTreeHandlerNoLinkMode;
    return 0;
}

// --- Checks of the actions ---

int AKTreeHandler::CheckDelete(AKTreeActionParam const& param) const { return CheckRemovableTreeSel(param); }

int AKTreeHandler::CheckRename(AKTreeActionParam const& param) const
{
    int status = CheckHasSomeTreeSel(param, true);
    if (status == 0 && param.GetTreeSel().CountNodes() != 1)
        status = kAKErrorTreeHandlerBadTreeSelType;
    return status;
}

int AKTreeHandler::CheckCutToPasteboard(AKTreeActionParam const& param) const { return CheckRemovableTreeSel(param); }

int AKTreeHandler::CheckCopyToPasteboard(AKTreeActionParam const& param) const
{
    return CheckHasSomeTreeSel(param, false);
}

int AKTreeHandler::CheckPasteFromPasteboard(AKTreeActionParam const& param, AKTreeSelCache const* cache,
                                            AKNode** target, AKLinkMode* mode) const
{
    SetTargetOutputs(target, mode, nullptr, kAKLinkModeLastChildren);
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    AKTreeSelCache const& store = cache != nullptr ? *cache : AKTreePasteboard::sShared;
    if (store.IsEmpty())
        return kAKErrorTreeHandlerEmptyPasteboard;

    // Only nodes of the handler's tree are candidates: a record may name a
    // target or a selection of another document.
    auto accepts = [this, &store](AKNode const* node) {
        return node != nullptr && fTree != nullptr && fTree->IsOwnerOfNode(node) &&
               store.CanLink(node, kAKLinkModeLastChildren);
    };
    AKNode* chosen = param.GetTargetNode();
    if (!accepts(chosen))
        chosen = param.GetTreeSel().GetCommonParent();
    if (!accepts(chosen))
        chosen = GetDefaultFolderTargetNode(store.GetCommonBaseClass(), true);
    if (!accepts(chosen))
        return kAKErrorTreeHandlerIncompatiblePasteboard;
    SetTargetOutputs(target, mode, chosen, kAKLinkModeLastChildren);
    return 0;
}

int AKTreeHandler::CheckDuplicate(AKTreeActionParam const& param) const { return CheckRemovableTreeSel(param); }

int AKTreeHandler::CheckMoveTo(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const
{
    SetTargetOutputs(target, mode, nullptr, kAKLinkModeNone);
    int status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;

    AKTreeSel const& selection = param.GetTreeSel();
    AKNode* node = nullptr;
    AKLinkMode linkMode = kAKLinkModeNone;
    int const resolution = ResolveMoveOrCopyTarget(param, &node, &linkMode);
    SetTargetOutputs(target, mode, node, linkMode);
    if (selection.GetNodes().Find(fTree->GetRootNode(), nullptr))
        return kAKErrorTreeHandlerBadTreeSelType;
    if (resolution != 0)
        return resolution;
    if (!selection.CanLink(node, linkMode))
        return kAKErrorTreeHandlerIncompatibleLink;
    // The tree has the last word, and may move the target off the selection.
    if (!fTree->CanTreeSelMove(selection, &node, &linkMode)) {
        SetTargetOutputs(target, mode, nullptr, kAKLinkModeNone);
        return kAKErrorTreeHandlerCantMoveTreeSel;
    }
    SetTargetOutputs(target, mode, node, linkMode);
    return 0;
}

int AKTreeHandler::CheckCopyTo(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const
{
    SetTargetOutputs(target, mode, nullptr, kAKLinkModeNone);
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    AKTreeSel const& selection = param.GetTreeSel();
    if (selection.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;

    AKNode* node = nullptr;
    AKLinkMode linkMode = kAKLinkModeNone;
    int const resolution = ResolveMoveOrCopyTarget(param, &node, &linkMode);
    SetTargetOutputs(target, mode, node, linkMode);
    if (resolution != 0)
        return resolution;
    if (!selection.CanLink(node, linkMode))
        return kAKErrorTreeHandlerIncompatibleLink;
    return 0;
}

int AKTreeHandler::CheckAddNewObjects(AKTreeActionParam const& param) const
{
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    if (param.GetNewObjects().IsEmpty())
        return kAKErrorTreeHandlerNoObjectToAdd;
    int status = CheckRecordTarget(param);
    if (status == 0 && !param.GetTargetNode()->CanLinkWithObjects(param.GetNewObjects(), param.GetLinkMode()))
        status = kAKErrorTreeHandlerIncompatibleLink;
    return status;
}

int AKTreeHandler::CheckAddNewObjects(AKTreeActionParam const& param, AKClass const* objectClass) const
{
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    int status = CheckRecordTarget(param);
    if (status == 0 && !param.GetTargetNode()->CanLinkWithObjectsOfClass(objectClass, param.GetLinkMode()))
        status = kAKErrorTreeHandlerIncompatibleLink;
    return status;
}

int AKTreeHandler::CheckReviseObjects(AKTreeActionParam const& param) const { return CheckHasSomeTreeSel(param, true); }
