// Selections: construction, the selection-ID counter, single-node and raw
// initialisers, class queries, linking tests and the after-move update.

#include "AKTreeSel.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeSelKindOf.h"

namespace {

// Process-wide; main thread only, like every selection.
int sLastTreeSelID = kAKTreeSelFirstIDBase;

bool HasNullEntry(AKNodeArray const& nodes)
{
    for (AKNode const* node : nodes) {
        if (node == nullptr)
            return true;
    }
    return false;
}

}  // namespace

AKTreeSel const& AKNullTreeSelShared()
{
    static AKTreeSel const sNull;
    return sNull;
}

AKTreeSel::AKTreeSel(AKTree* tree) : fTree(tree), fTreeSelID(tree != nullptr ? NextTreeSelID() : 0) {}

int AKTreeSel::NextTreeSelID() { return ++sLastTreeSelID; }

// --- Initialisers ---

void AKTreeSel::InitWithNode(AKNode const* node)
{
    // A node of another tree (or of none) is not selectable here: the edits
    // of this tree would reach a tree whose history knows nothing of them.
    if (fTree == nullptr || node == nullptr || !fTree->IsOwnerOfNode(node))
        return;
    fNodes.Push(const_cast<AKNode*>(node));
    fNodes.GrabObjects(&fObjects);
    fCommonParent = node->Parent();
    AKObject const* object = node->GetObject();
    fCommonBaseClass = object != nullptr ? object->GetClass() : nullptr;
}

void AKTreeSel::InitWithObject(AKObject const* object)
{
    if (fTree == nullptr || object == nullptr)
        return;
    InitWithNode(object->GetNodeOwner());
}

void AKTreeSel::InitWithObjects(ATObjectArray<AKObject> const& objects)
{
    if (fTree == nullptr || objects.IsEmpty())
        return;
    if (objects.Count() == 1) {
        InitWithObject(objects[0]);
        return;
    }
    AKNodeArray nodes;
    nodes.FillWithOwnerNodesOfObjects(objects);
    // A null entry or a detached object gives a null owner: select nothing.
    if (HasNullEntry(nodes))
        return;
    InitWithNodes(nodes);
}

void AKTreeSel::InitWithRawNodes(AKNodeArray const& nodes)
{
    if (fTree == nullptr || nodes.IsEmpty() || HasNullEntry(nodes))
        return;
    fNodes = nodes;
    fCommonParent = fNodes.GetUniqueCommonParent();
    GrabObjectsAndClass();
}

void AKTreeSel::InitWithRawObjects(ATObjectArray<AKObject> const& objects)
{
    if (fTree == nullptr || objects.IsEmpty())
        return;
    AKNodeArray nodes;
    nodes.FillWithOwnerNodesOfObjects(objects);
    InitWithRawNodes(nodes);
}

void AKTreeSel::InitWithChildrenOfNode(AKNode const* node)
{
    if (fTree == nullptr || node == nullptr)
        return;
    node->GrabChildren(&fNodes);
    fCommonParent = const_cast<AKNode*>(node);
    GrabObjectsAndClass();
}

void AKTreeSel::InitWithChildrenOfNodes(AKNodeArray const& nodes)
{
    if (fTree == nullptr || nodes.IsEmpty() || HasNullEntry(nodes))
        return;
    nodes.GrabChildren(&fNodes);
    fCommonParent = fNodes.GetUniqueCommonParent();
    GrabObjectsAndClass();
}

void AKTreeSel::GrabObjectsAndClass()
{
    fNodes.GrabObjects(&fObjects);
    fCommonBaseClass = fNodes.GetCommonBaseClass();
}

// --- Class queries ---

unsigned int AKTreeSel::NodeCountOfClass(AKClass const* aClass) const
{
    if (AKTreeSelIsKindOf(fCommonBaseClass, aClass))
        return fNodes.Count();
    return fNodes.NodeCountOfClass(aClass);
}

bool AKTreeSel::HasOneNodeOfClass(AKClass const* aClass) const
{
    return fNodes.Count() == 1 && AKTreeSelIsKindOf(fCommonBaseClass, aClass);
}

bool AKTreeSel::HasOneNodeAtLeastOfClass(AKClass const* aClass) const
{
    // An empty selection keeps a common base class (the top class for the
    // children of a leaf), which must not count as a node.
    if (fNodes.IsEmpty())
        return false;
    if (AKTreeSelIsKindOf(fCommonBaseClass, aClass))
        return true;
    return fNodes.HasOneNodeAtLeastOfClass(aClass);
}

bool AKTreeSel::HasAllNodesOfClass(AKClass const* aClass) const { return AKTreeSelIsKindOf(fCommonBaseClass, aClass); }

bool AKTreeSel::HasUniqueCommonParentOfClass(AKClass const* aClass) const
{
    if (fCommonParent == nullptr)
        return false;
    AKObject const* object = fCommonParent->GetObject();
    return object != nullptr && object->IsKindOf(aClass);
}

// --- Linking tests ---

bool AKTreeSel::CanLink(AKNode const* node, AKLinkMode mode) const
{
    return node != nullptr && node->CanLinkWithNodes(fNodes, mode);
}

bool AKTreeSel::CanLink(AKObject const* object, AKLinkMode mode) const
{
    return object != nullptr && CanLink(object->GetNodeOwner(), mode);
}

// --- After a move ---

void AKTreeSel::UpdateAfterMoved()
{
    if (fTree == nullptr)
        return;
    fCommonParent = fNodes.GetUniqueCommonParent();
    fTreeSelID = NextTreeSelID();
}
