// The tree's initialisations: making the root, the default tree, and the
// steps shared by the loads. Every initialisation is all or nothing: on
// failure the tree has no node again.

#include "AKTree.h"

#include "AKClass.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"

int AKTree::RefuseInitialized() const { return fNodes.IsEmpty() ? 0 : kAKErrorTreeAlreadyInitialized; }

int AKTree::InitTopRoot(unsigned int documentType)
{
    int status = RefuseInitialized();
    if (status != 0)
        return status;
    AKObjectFolderRoot* root = AKNew<AKObjectFolderRoot>("%s", "");
    if (root == nullptr) {
        status = AKClass::GetErrorNew();
        return status != 0 ? status : -1;
    }
    root->SetupRootAuthoChildClassesFromDocumentType(documentType);
    AKNode* node = AKNode::NewNodeWithObject(fAllocator, fContext, kAKTopRootNodeID, root);
    if (node == nullptr) {
        AKClass::DeleteObject(root);
        return AKNode::sErrorNew != 0 ? AKNode::sErrorNew : -1;
    }
    fNodes.Clear();
    fNodes.Push(node);
    fNextNodeID = kAKTopRootNodeID + 1;
    return 0;
}

int AKTree::InitDefault(unsigned int documentType)
{
    int status = RefuseInitialized();
    if (status != 0)
        return status;
    status = InitTopRoot(documentType);
    if (status == 0) {
        UpdateDANodesAfterInit();
        status = CheckTreeCoherency();
    }
    if (status != 0)
        DiscardAllNodes(nullptr);
    return status;
}

int AKTree::CompleteLoadedNodes(AKTreeRenum* map)
{
    if (fNodes.IsEmpty())
        return FailCoherency(" (Bad nodes count)");

    if (!fKeepLoadedIDs) {
        AKTreeRenum renum(fNodes, true, kAKTopRootNodeID);
        if (!renum.IsIdentity() && fNodes.RenumberIDs(renum, false) != 0)
            return AKLogError(kAKErrorTreeNodeBadID, "Tree \"%s\" can't renumber the nodes it loaded", fName.c_str());
        if (map != nullptr)
            map->Assign(renum);
    } else if (map != nullptr) {
        map->Clear();
    }

    // The next ID must stay above every node ID: an ID at the very top of
    // the range leaves it no room.
    AKNodeID lastID = fNodes.Last()->GetID();
    if (lastID > kAKNodeIDMax)
        return AKLogError(kAKErrorTreeNodeBadID, "Tree \"%s\" can't take the node ID %d, no next ID would follow it",
                          fName.c_str(), lastID);
    fNextNodeID = lastID + 1;

    fNodes.RelinkNodesFromLinkIDs();
    UpdateDANodesAfterInit();
    return CheckTreeCoherency();
}

void AKTree::DiscardAllNodes(AKTreeRenum* map)
{
    fNodes.DeleteAllNodes(true);
    fDANodes.Clear();
    fDANodes.Shrink();
    fDirectAccess = false;
    fNextNodeID = kAKNullNodeID;
    // A failed load may have grown the allocator for many nodes.
    fAllocator.OptimizeMemory();
    if (map != nullptr)
        map->Clear();
}
