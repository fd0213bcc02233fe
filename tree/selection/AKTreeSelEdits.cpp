// The tree's raw structural edits on selections: delete, copy, duplicate,
// multi-copy, move (with its target adjustment) and adding new objects. They
// change the tree's structure, node array, next ID, direct-access table and
// deletion queue, and nothing else: the tree handler checks, records and
// notifies around them.
//
// Every operation that produces a selection first empties its output, so a
// refused or failed operation hands back the empty selection. An output may
// be the very selection given as input: the input is then read from a copy.

#include "AKTree.h"

#include "AKNode.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeSelBuilders.h"
#include "AKTreeSelCache.h"

#include <algorithm>
#include <vector>

namespace {

// The input selection, copied first when the output is the same object
// (emptying the output must not empty the input).
class SafeInput
{
public:
    SafeInput(AKTreeSel* out, AKTreeSel const& input) : fInput(&input)
    {
        if (out == &input) {
            fCopy = input;
            fInput = &fCopy;
        }
    }
    AKTreeSel const& Get() const { return *fInput; }

private:
    AKTreeSel fCopy;
    AKTreeSel const* fInput;
};

void ClearOutput(AKTreeSel* out)
{
    if (out != nullptr)
        *out = kAKNullTreeSel;
}

bool Contains(AKNodeArray const& nodes, AKNode const* node) { return nodes.Find(const_cast<AKNode*>(node), nullptr); }

bool HasDuplicates(AKNodeArray const& nodes)
{
    std::vector<AKNode*> sorted(nodes.begin(), nodes.end());
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

// The target is one of the nodes or lies in one of their subtrees.
bool IsInsideSubtrees(AKNodeArray const& nodes, AKNode const* target)
{
    for (AKNode const* node : nodes) {
        if (node->FindNodeWithRChildren(target))
            return true;
    }
    return false;
}

}  // namespace

// --- Delete ---

int AKTree::DoTreeSelDelete(AKTreeSel const& selection)
{
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (selection.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (selection.GetTree() != this)
        return kAKErrorTreeHandlerBadTreeOwner;
    // The root holds the whole tree: deleting it would leave no tree at all.
    if (Contains(selection.GetNodes(), GetRootNode()))
        return kAKErrorTreeHandlerBadTreeSelType;

    for (AKNode* node : selection.GetNodes()) {
        // A node given twice, or inside a subtree already disposed of, has
        // no object left.
        if (node->GetObject() == nullptr)
            continue;
        node->Unlink();
        rDoTreeSelDelete(node);
    }

    // The disposed nodes own no object any more; the others keep their order.
    AKNodeArray kept;
    AKNodeArray removed;
    kept.Reserve(fNodes.Count());
    for (AKNode* node : fNodes)
        (node->GetObject() != nullptr ? kept : removed).Push(node);
    fNodes = kept;
    UpdateDANodesWithRemovedNodes(removed);
    removed.DeleteAllNodes(false);
    return 0;
}

// --- Copy ---

int AKTree::DoTreeSelCopyTo(AKTreeSel* out, AKTreeSel const& selection, AKNode* target, AKLinkMode mode)
{
    SafeInput input(out, selection);
    AKTreeSel const& source = input.Get();
    ClearOutput(out);
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (mode == kAKLinkModeNone)
        return kAKErrorTreeHandlerNoLinkMode;
    if (source.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (!source.CanLink(target, mode))
        return kAKErrorTreeHandlerIncompatibleLink;

    AKTreeSelCache cache(0);
    int status = WriteTreeSelToCache(&cache, source);
    if (status != 0)
        return status;
    return ReadAndLinkTreeSelFromCache(out, cache, target, mode);
}

// --- Duplicate ---

int AKTree::DoTreeSelDuplicate(AKTreeSel* out, AKTreeSel const& selection)
{
    SafeInput input(out, selection);
    AKTreeSel const& source = input.Get();
    ClearOutput(out);
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (source.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (source.GetTree() != this)
        return kAKErrorTreeHandlerBadTreeOwner;
    // A copy of the root would sit beside it, outside the tree.
    if (Contains(source.GetNodes(), GetRootNode()))
        return kAKErrorTreeHandlerBadTreeSelType;

    AKNodeArray copies;
    for (AKNode* node : source.GetNodes()) {
        AKNodeArray single;
        single.Push(node);
        AKTreeSelCache cache(0);
        int status = WriteTreeSelToCache(&cache, AKTreeSelWithRawSelNodes(this, single));
        AKTreeSel inserted;
        if (status == 0)
            status = ReadAndLinkTreeSelFromCache(&inserted, cache, node, kAKLinkModeAfter);
        if (status != 0)
            return status;
        copies.Append(inserted.GetNodes());
    }
    if (out != nullptr)
        *out = AKTreeSelWithRawSelNodes(this, copies);
    return 0;
}

// --- Multi-copy ---

int AKTree::DoTreeSelMultiCopy(AKTreeSel* out, AKTreeSel const& targets, AKTreeSelCache const& cache)
{
    SafeInput input(out, targets);
    AKTreeSel const& targetSel = input.Get();
    ClearOutput(out);
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (targetSel.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (targetSel.GetTree() != this)
        return kAKErrorTreeHandlerBadTreeOwner;

    AKNodeArray copies;
    for (AKNode* target : targetSel.GetNodes()) {
        if (!cache.CanLink(target, kAKLinkModeAfter))
            continue;
        AKTreeSel inserted;
        int status = ReadAndLinkTreeSelFromCache(&inserted, cache, target, kAKLinkModeAfter);
        if (status != 0)
            return status;
        copies.Append(inserted.GetNodes());
    }
    if (out != nullptr)
        *out = AKTreeSelWithRawSelNodes(this, copies);
    return 0;
}

// --- Move ---

bool AKTree::CanTreeSelMove(AKTreeSel const& selection, AKNode** target, AKLinkMode* mode) const
{
    if (target == nullptr || mode == nullptr)
        return false;
    AKNode* node = *target;
    AKLinkMode linkMode = *mode;
    *target = nullptr;
    *mode = kAKLinkModeNone;
    if (linkMode == kAKLinkModeNone || node == nullptr || fReadOnly || selection.IsEmpty() ||
        selection.GetTree() != this)
        return false;

    AKNodeArray const& selected = selection.GetNodes();
    for (AKNode const* ancestor = node->Parent(); ancestor != nullptr; ancestor = ancestor->Parent()) {
        if (Contains(selected, ancestor))
            return false;
    }
    if (Contains(selected, node)) {
        if (linkMode != kAKLinkModeBefore && linkMode != kAKLinkModeAfter)
            return false;
        AKNode* next = node->GetNext();
        while (next != nullptr && Contains(selected, next))
            next = next->GetNext();
        AKNode* prev = node->GetPrev();
        while (prev != nullptr && Contains(selected, prev))
            prev = prev->GetPrev();
        if (next != nullptr) {
            node = next;
            linkMode = kAKLinkModeBefore;
        } else if (prev != nullptr) {
            node = prev;
            linkMode = kAKLinkModeAfter;
        } else {
            node = node->Parent();
            linkMode = kAKLinkModeFirstChildren;
            if (node == nullptr)
                return false;
        }
    }
    *target = node;
    *mode = linkMode;
    return true;
}

int AKTree::DoTreeSelMove(AKTreeSel* out, AKTreeSel const& selection, AKNode* target, AKLinkMode mode)
{
    SafeInput input(out, selection);
    AKTreeSel const& source = input.Get();
    ClearOutput(out);
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (mode == kAKLinkModeNone)
        return kAKErrorTreeHandlerNoLinkMode;
    if (source.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (source.GetTree() != this || !IsOwnerOfNode(target))
        return kAKErrorTreeHandlerBadTreeOwner;
    AKNodeArray const& nodes = source.GetNodes();
    // The root cannot leave its place; a node given twice would be chained
    // to itself.
    if (Contains(nodes, GetRootNode()) || HasDuplicates(nodes))
        return kAKErrorTreeHandlerBadTreeSelType;
    // Linking inside a moved subtree would cut the subtree off the tree.
    if (IsInsideSubtrees(nodes, target))
        return kAKErrorTreeHandlerCantMoveTreeSel;
    if (!source.CanLink(target, mode))
        return kAKErrorTreeHandlerIncompatibleLink;

    nodes.UnlinkNodes();
    target->Link(nodes.LinkAsList(), mode);
    if (out != nullptr) {
        *out = source;
        out->UpdateAfterMoved();
    }
    return 0;
}

// --- New objects ---

int AKTree::DoTreeSelAddNewObjects(AKTreeSel* out, AKNode** first, AKNode* target, AKLinkMode mode,
                                   ATObjectArray<AKObject> const& objects)
{
    if (first != nullptr)
        *first = nullptr;
    ClearOutput(out);
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (mode == kAKLinkModeNone)
        return kAKErrorTreeHandlerNoLinkMode;
    if (objects.IsEmpty())
        return kAKErrorTreeHandlerNoObjectToAdd;
    if (!IsOwnerOfNode(target))
        return kAKErrorTreeHandlerBadTreeOwner;
    if (!target->CanLinkWithObjects(objects, mode))
        return kAKErrorTreeHandlerIncompatibleLink;

    // Node IDs are never reused: refuse when the new ones would run past the
    // largest ID a tree can give.
    if (static_cast<long long>(fNextNodeID) + objects.Count() > static_cast<long long>(kAKNodeIDMax) + 1)
        return AKLogError(kAKErrorTreeNodeBadID, "No node ID left for %u new objects (next ID %d)", objects.Count(),
                          static_cast<int>(fNextNodeID));

    AKNodeArray made;
    made.Reserve(objects.Count());
    AKNodeID nodeID = fNextNodeID;
    for (AKObject* object : objects) {
        AKNode* node = AKNode::NewNodeWithObject(fAllocator, fContext, nodeID++, object);
        if (node == nullptr) {
            int status = AKNode::sErrorNew;
            // The objects stay with the caller, detached.
            made.DeleteAllNodes(false);
            return status;
        }
        made.Push(node);
    }

    AKNode* chain = made.LinkAsList();
    fNodes.Append(made);
    target->Link(chain, mode);
    fNextNodeID = made.Last()->GetID() + 1;
    UpdateDANodesWithAddedNodes(made);
    if (out != nullptr)
        *out = AKTreeSelWithRawSelNodes(this, made);
    if (first != nullptr)
        *first = made[0];
    return 0;
}
