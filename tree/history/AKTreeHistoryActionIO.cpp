// Steps shared by the history's action kinds.

#include "AKTreeHistoryActionIO.h"

#include "AKFileTypedIO.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeHistoryFile.h"
#include "AKTreeNotifier.h"
#include "AKTreeSel.h"

namespace {

bool IsKnownNode(AKNodeID nodeID, AKTree const& tree, AKNodeArray const& extra)
{
    return tree.GetNode(nodeID) != nullptr || extra.BSearchNodeByID(nodeID) != nullptr;
}

// Negated link IDs name nodes outside a detached copy; the others are 0 or
// inside it.
AKNodeID OuterID(AKNodeID linkID)
{
    return linkID < 0 ? static_cast<AKNodeID>(0u - static_cast<unsigned int>(linkID)) : kAKNullNodeID;
}

}  // namespace

int AKTreeHistoryCheckTreeSel(AKTreeSel const& selection, AKTree const* tree)
{
    if (selection.IsEmpty())
        return kAKErrorTreeHandlerEmptyTreeSel;
    if (selection.GetTree() != tree)
        return kAKErrorTreeHandlerBadTreeOwner;
    return 0;
}

int AKTreeHistoryWriteSnapshots(AKHistoryFile& file, AKNodeArray const& nodes, bool withRChildren)
{
    unsigned long long arrayPosition = 0;
    int status = file.GetPos(&arrayPosition);
    file.GetChunkList().SetRecording(true);
    if (status == 0)
        status = withRChildren ? nodes.WriteNodesWithRChildrenToFile(file) : nodes.WriteNodesToFile(file, true);
    if (status == 0)
        status = file.NoteNodeChunksOfArray(arrayPosition);
    file.GetChunkList().SetRecording(false);
    return status;
}

int AKTreeHistoryWriteNodeIDs(AKFile& file, AKNodeIDArray const& nodeIDs) { return AKFileWriteNumbersT(file, nodeIDs); }

int AKTreeHistoryReadNodeIDs(AKFile const& file, AKNodeIDArray* nodeIDs) { return AKFileReadNumbersT(file, nodeIDs); }

int AKTreeHistoryCheckLinkTargets(AKNodeIDArray const& linkIDs, AKTree const& tree, AKNodeArray const& extra)
{
    for (AKNodeID linkID : linkIDs) {
        if (linkID != kAKNullNodeID && !IsKnownNode(linkID, tree, extra))
            return kAKErrorTreeNodeBadID;
    }
    return 0;
}

int AKTreeHistoryCheckRecreatedNodes(AKNodeArray const& nodes, AKTree const& tree)
{
    for (AKNode const* node : nodes) {
        if (node->GetID() >= tree.GetNextNodeID() || tree.GetNode(node->GetID()) != nullptr)
            return kAKErrorTreeNodeBadID;
        AKNodeID const outer[] = {OuterID(node->GetSupID()), OuterID(node->GetPrevID()), OuterID(node->GetNextID())};
        for (AKNodeID nodeID : outer) {
            if (nodeID != kAKNullNodeID && !IsKnownNode(nodeID, tree, nodes))
                return kAKErrorTreeNodeBadID;
        }
    }
    return 0;
}

void AKTreeHistoryInsertRecreatedNodes(AKTree& tree, AKNodeArray const& nodes)
{
    // Back into the tree with their own IDs, then back at their places.
    tree.InsertNodesKeepingIDs(nodes);
    tree.GetNodes().RelinkNodesWithNegativeLinkIDs();
}

int AKTreeHistoryPrepareStamps(AKTreeNotifier* notifier, AKTreeSel const& selection, unsigned int kinds)
{
    return notifier != nullptr ? notifier->UpdateObjectsStampPrepare(selection, kinds, false) : 0;
}

void AKTreeHistoryUpdateStamps(AKTreeNotifier* notifier, bool defer)
{
    if (notifier != nullptr)
        notifier->UpdateObjectsStamp(defer);
}
