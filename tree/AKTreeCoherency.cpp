// The tree's coherency checks. The conditions are tested in a fixed order and
// the first one that fails is logged as kAKErrorTreeBadCoherency with its
// reason. Every walk here is bounded by the node count, so that links read
// from a corrupt file cannot keep a check running for ever.

#include "AKTree.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeWalk.h"

namespace {

char const kReasonNotSorted[] = " (Nodes are not sorted by ID or contains duplicates)";
char const kReasonTopRootID[] = " (Top-root ID is not equal to 1)";
char const kReasonLinks[] = " (Can't link correctly nodes)";
char const kReasonCount[] = " (Bad nodes count)";
char const kReasonOwner[] = " (Some objects don't have the well tree-owner)";
char const kReasonNextID[] = " (Bad current nodeID)";
char const kReasonDASynchro[] = " (Bad synchro with direct-access nodes)";
char const kReasonDACount[] = " (Bad count of direct-access nodes)";
char const kReasonAutho[] = " (Some objects are not authorized by their parent)";

bool HasNullEntry(AKNodeArray const& nodes)
{
    for (AKNode const* node : nodes) {
        if (node == nullptr)
            return true;
    }
    return false;
}

// The root has no parent and no brothers, neither as pointers nor as IDs.
bool IsIsolatedRoot(AKNode const* root)
{
    return root->GetSup() == nullptr && root->GetPrev() == nullptr && root->GetNext() == nullptr &&
           root->GetSupID() == kAKNullNodeID && root->GetPrevID() == kAKNullNodeID &&
           root->GetNextID() == kAKNullNodeID;
}

}  // namespace

int AKTree::FailCoherency(char const* reason) const
{
    return AKLogError(kAKErrorTreeBadCoherency, "Tree \"%s\" bad coherency%s", fName.c_str(), reason);
}

unsigned int AKTree::CountRootSubtreeBounded() const
{
    return AKTreeWalkBounded(GetRootNode(), fNodes.Count(), [](AKNode*) {});
}

int AKTree::CheckTreeCoherency() const
{
    if (fNodes.IsEmpty())
        return 0;
    if (HasNullEntry(fNodes) || !fNodes.IsStrictlySortedByID())
        return FailCoherency(kReasonNotSorted);
    AKNode const* root = fNodes.First();
    if (root->GetID() != kAKTopRootNodeID)
        return FailCoherency(kReasonTopRootID);
    // A root with a parent or brothers could close a cycle that every walk
    // from the root would follow for ever.
    if (!IsIsolatedRoot(root) || !fNodes.CheckNodesLinks())
        return FailCoherency(kReasonLinks);
    unsigned int subtreeCount = CountRootSubtreeBounded();
    if (subtreeCount > fNodes.Count())
        return FailCoherency(kReasonLinks);
    if (subtreeCount != fNodes.Count())
        return FailCoherency(kReasonCount);
    if (!fNodes.CheckNodesObject(fContext))
        return FailCoherency(kReasonOwner);
    if (fNodes.Last()->GetID() >= fNextNodeID)
        return FailCoherency(kReasonNextID);
    int status = CheckDANodesCoherency();
    if (status == 0)
        status = CheckAuthoChildClasses();
    return status;
}

int AKTree::CheckDANodesCoherency() const
{
    if (!fDirectAccess)
        return 0;
    for (AKNode const* node : fNodes) {
        AKNodeID nodeID = node != nullptr ? node->GetID() : kAKNullNodeID;
        if (nodeID <= 0 || static_cast<unsigned int>(nodeID) >= fDANodes.Count() ||
            fDANodes[static_cast<unsigned int>(nodeID)] != node)
            return FailCoherency(kReasonDASynchro);
    }
    unsigned int entries = 0;
    for (AKNode const* node : fDANodes) {
        if (node != nullptr)
            ++entries;
    }
    if (entries != fNodes.Count())
        return FailCoherency(kReasonDACount);
    return 0;
}

int AKTree::CheckAuthoChildClasses() const
{
    // Parent by parent over its children's chain, each chain bounded by the
    // node count: linear in the tree's size, and finite whatever the links.
    unsigned int limit = fNodes.Count();
    for (AKNode const* parent : fNodes) {
        if (parent == nullptr)
            continue;
        unsigned int steps = 0;
        for (AKNode const* child = parent->GetSub(); child != nullptr; child = child->GetNext()) {
            if (++steps > limit)
                return FailCoherency(kReasonLinks);
            AKObject const* object = child->GetObject();
            if (object == nullptr || !parent->CanAcceptChildrenOfClass(object->GetClass()))
                return FailCoherency(kReasonAutho);
        }
    }
    return 0;
}

int AKTree::CheckObjectsUIPeerDataCoherency() const
{
    unsigned int withData = 0;
    for (AKNode const* node : fNodes) {
        AKObject const* object = node != nullptr ? node->GetObject() : nullptr;
        if (object != nullptr && object->GetUIPeerData() != nullptr)
            ++withData;
    }
    if (withData > 0)
        AKLogWarning(kAKWarningTreeNodesStillHaveUIPeerData,
                     "Tree \"%s\" contains %u objects that still have UI-peer data", fName.c_str(), withData);
    return 0;
}
