// The tree's side of detached copies: writing a selection with all its
// descendants into a store, and inserting a new copy of a store's content at
// a target node.

#include "AKTree.h"

#include "AKClassArray.h"
#include "AKFileTypedIO.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTreePasteboard.h"
#include "AKTreeRenum.h"
#include "AKTreeSelBuilders.h"

namespace {

// How a copy's objects are read (a copy, not a load or the history).
constexpr unsigned int kAKReadHowCopy = 3;

// The binary form: the top count, the top IDs, the 'ARND' chunk.
int WriteBinaryForm(AKFile& file, AKNodeArray const& nodes)
{
    int status = file.CreateForReadWrite();
    if (status == 0)
        status = AKFileWriteUInt32(file, nodes.Count());
    for (unsigned int i = 0; status == 0 && i < nodes.Count(); ++i)
        status = AKFileWriteAKNodeID(file, nodes[i]->GetID());
    if (status == 0)
        status = nodes.WriteNodesWithRChildrenToFile(file);
    return status;
}

// Reads the top IDs and the nodes of a binary form into a detached array,
// renumbered for the tree and relinked; `top` receives the top nodes chained
// as brothers.
int ReadBinaryForm(AKFile const& file, AKNodeAllocator& allocator, AKContextObject const* context, AKNodeID nextID,
                   AKNodeArray* nodes, AKNodeArray* top)
{
    int status = file.SetPos(0);
    unsigned int topCount = 0;
    if (status == 0)
        status = AKFileReadUInt32(file, &topCount);
    AKNodeIDArray topIDs;
    // No reservation: a damaged count must fail at the end of the stream,
    // not ask for memory first.
    for (unsigned int i = 0; status == 0 && i < topCount; ++i) {
        AKNodeID nodeID = kAKNullNodeID;
        status = AKFileReadAKNodeID(file, &nodeID);
        topIDs.Push(nodeID);
    }
    if (status == 0)
        status = nodes->InitNodesFromFile(file, kAKReadHowCopy, allocator, context);
    if (status != 0)
        return status;
    nodes->SortByID();
    if (!nodes->IsStrictlySortedByID())
        return kAKErrorTreeNodeBadID;  // the same node twice
    AKTreeRenum renum(*nodes, true, nextID);
    if (!renum.IsIdentity())
        status = nodes->RenumberIDs(renum, true);
    if (status == 0)
        status = topIDs.RenumberIDs(renum, false);
    if (status != 0)
        return status;
    nodes->RelinkNodesFromLinkIDs();
    status = top->FillWithNodesOfID(topIDs, *nodes);
    if (status == 0 && top->IsEmpty())
        status = kAKErrorTreeNodeBadID;
    if (status == 0)
        top->LinkAsList();
    return status;
}

// Whether every node read under a parent read with it is of a class that
// parent accepts.
bool ChildrenFitTheirParents(AKNodeArray const& nodes, AKNodeArray const& top)
{
    for (AKNode const* node : nodes) {
        if (top.Find(const_cast<AKNode*>(node), nullptr))
            continue;
        AKNode const* parent = node->Parent();
        AKObject const* object = node->GetObject();
        if (parent == nullptr || object == nullptr || !parent->CanAcceptChildrenOfClass(object->GetClass()))
            return false;
    }
    return true;
}

// Reads the nested node dictionaries of a dictionary form into a detached
// array, renumbered for the tree and relinked; `top` receives the top nodes
// (the first node read and its next brothers), empty when the dictionary holds
// none. Nodes that could not be linked at the target with the mode, or that
// their parents would not accept, are refused with
// kAKErrorTreeHandlerIncompatibleLink.
int ReadDictionaryForm(AKDictionary const& dictionary, AKNodeAllocator& allocator, AKContextObject const* context,
                       AKNodeID nextID, AKNode const* target, AKLinkMode mode, AKNodeArray* nodes, AKNodeArray* top)
{
    int status = nodes->InitNodesWithRChildrenFromDico(dictionary, allocator, context, nextID, false);
    if (status != 0 || nodes->IsEmpty())
        return status;
    AKNode* first = (*nodes)[0];
    nodes->SortByID();
    // Explicit "ID" entries are read as they are; two equal ones would give
    // the tree two nodes of one ID.
    if (!nodes->IsStrictlySortedByID())
        return kAKErrorTreeNodeBadID;
    AKTreeRenum renum(*nodes, true, nextID);
    if (!renum.IsIdentity())
        status = nodes->RenumberIDs(renum, false);
    if (status != 0)
        return status;
    nodes->RelinkNodesFromLinkIDs();
    top->FillWithList(first);
    // The store's summary may not describe what its dictionary holds (a
    // dictionary comes from a file): check what was actually read.
    if (!target->CanLinkWithNodes(*top, mode) || !ChildrenFitTheirParents(*nodes, *top))
        return kAKErrorTreeHandlerIncompatibleLink;
    return 0;
}

}  // namespace

int AKTree::WriteTreeSelToCache(AKTreeSelCache* cache, AKTreeSel const& selection) const
{
    if (cache == nullptr)
        cache = &AKTreePasteboard::sShared;
    cache->Clear();
    if (selection.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;

    AKNodeArray const& nodes = selection.GetNodes();
    int status = cache->IsDictionaryForm()
                     ? nodes.WriteNodesWithRChildrenToDico(cache->GetDictionary(), fIDsInDictionaries)
                     : WriteBinaryForm(cache->GetMemoryStream(), nodes);
    if (status != 0) {
        cache->Clear();
        return status;
    }
    AKClassArray classes;
    nodes.GrabClasses(&classes);
    cache->SetSummary(selection.GetObjects().Count(), classes, selection.GetCommonBaseClass());
    return 0;
}

int AKTree::ReadAndLinkTreeSelFromCache(AKTreeSel* out, AKTreeSelCache const& cache, AKNode* target, AKLinkMode mode)
{
    if (out != nullptr)
        *out = kAKNullTreeSel;
    if (fReadOnly)
        return kAKErrorTreeHandlerReadOnly;
    if (cache.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (target == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (mode < kAKLinkModeFirstChildren || mode > kAKLinkModeAfter)
        return kAKErrorTreeHandlerNoLinkMode;
    // Linking at a node of another tree, or beside a node without parent,
    // would leave nodes of this tree outside its root.
    if (!IsOwnerOfNode(target))
        return kAKErrorTreeHandlerBadTreeOwner;
    if (mode >= kAKLinkModeBefore && target->Parent() == nullptr)
        return kAKErrorTreeHandlerIncompatibleLink;

    AKNodeArray nodes;
    AKNodeArray top;
    int status =
        cache.IsDictionaryForm()
            ? ReadDictionaryForm(cache.GetDictionary(), fAllocator, fContext, fNextNodeID, target, mode, &nodes, &top)
            : ReadBinaryForm(cache.GetMemoryStream(), fAllocator, fContext, fNextNodeID, &nodes, &top);
    if (status != 0) {
        nodes.DeleteAllNodes(true);
        return status;
    }
    if (nodes.IsEmpty()) {
        // A dictionary without node dictionaries inserts nothing.
        return 0;
    }

    fNodes.Append(nodes);
    target->Link(top[0], mode);
    fNextNodeID = nodes.Last()->GetID() + 1;
    UpdateDANodesWithAddedNodes(nodes);
    if (out != nullptr)
        *out = AKTreeSelWithRawSelNodes(this, top);
    return 0;
}
