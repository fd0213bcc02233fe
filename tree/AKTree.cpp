// The tree: construction, set-up, look-ups, object queries, the disposal of
// removed subtrees and the deletion queue.

#include "AKTree.h"

#include "AKClass.h"
#include "AKContextObject.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTreeWalk.h"

namespace {

// Room reserved in the node array of a new tree.
constexpr unsigned int kReservedNodes = 254;

}  // namespace

// --- Construction ---

AKTree::AKTree(unsigned int options)
    : AKIdlingClient("AKTree", false), fReadOnly((options & kAKTreeOptionReadOnly) != 0),
      fDeferredDeletion((options & kAKTreeOptionDeferredDelete) != 0),
      fIDsInDictionaries((options & (kAKTreeOptionDictionaryIDs | kAKTreeOptionKeepLoadedIDs)) != 0),
      fKeepLoadedIDs((options & kAKTreeOptionKeepLoadedIDs) != 0), fTreeNState(this),
      fContext(new AKContextObject(this))
{
    fNodes.Reserve(kReservedNodes);
}

AKTree::~AKTree()
{
    GiveMeIdling(false);
    fNodes.DeleteAllNodes(true);
    fDANodes.Clear();
    // The owner has stopped the audio use of the document: whatever still
    // waits in the queue goes now, held or not.
    fDeletionQueue.ForcePurge();
    delete fContext;
    fContext = nullptr;
}

void AKTree::SetupCustomContextObject(AKContextObject* context)
{
    if (context == fContext)
        return;
    delete fContext;
    fContext = context;
}

int AKTree::SetupPreferedNextNodeID(int nextNodeID)
{
    if (nextNodeID < fNextNodeID || nextNodeID > kAKTreeMaxPreferedNextNodeID)
        return AKLogError(kAKErrorTreeNodeBadID, "Can't setup the next object-ID to %d, it must be in range [%d;%d]",
                          nextNodeID, fNextNodeID, kAKTreeMaxPreferedNextNodeID);
    fNextNodeID = nextNodeID;
    if (fDirectAccess)
        fDANodes.SetCount(static_cast<unsigned int>(fNextNodeID) + 1);
    return 0;
}

// --- Look-up ---

AKNode* AKTree::GetNode(AKNodeID nodeID) const
{
    if (fDirectAccess) {
        if (nodeID < 0 || static_cast<unsigned int>(nodeID) >= fDANodes.Count())
            return nullptr;
        return fDANodes[static_cast<unsigned int>(nodeID)];
    }
    return fNodes.BSearchNodeByID(nodeID);
}

bool AKTree::GetNodes(AKNodeIDArray const& nodeIDs, AKNodeArray* nodes) const
{
    nodes->Clear();
    bool allFound = true;
    for (AKNodeID nodeID : nodeIDs) {
        if (AKNode* node = GetNode(nodeID))
            nodes->Push(node);
        else
            allFound = false;
    }
    return allFound && !nodes->IsEmpty();
}

bool AKTree::GetObjects(AKNodeIDArray const& nodeIDs, ATObjectArray<AKObject>* objects, AKClassQCast mask) const
{
    objects->Clear();
    for (AKNodeID nodeID : nodeIDs) {
        AKNode const* node = GetNode(nodeID);
        AKObject* object = node != nullptr ? node->GetObject() : nullptr;
        if (object == nullptr)
            continue;
        if (mask == kAKNullClassQCast || (object->GetQCastMask() & mask) == mask)
            objects->Push(object);
    }
    return !objects->IsEmpty() && objects->Count() == nodeIDs.Count();
}

bool AKTree::IsOwnerOfNode(AKNode const* node) const { return node != nullptr && GetNode(node->GetID()) == node; }

bool AKTree::IsOwnerOfObject(AKObject const* object) const
{
    return object != nullptr && IsOwnerOfNode(object->GetNodeOwner());
}

bool AKTree::IsOwnerOfNodes(AKNodeArray const& nodes) const
{
    if (nodes.IsEmpty())
        return false;
    for (AKNode const* node : nodes) {
        if (!IsOwnerOfNode(node))
            return false;
    }
    return true;
}

bool AKTree::IsOwnerOfObjects(ATObjectArray<AKObject> const& objects) const
{
    if (objects.IsEmpty())
        return false;
    for (AKObject const* object : objects) {
        if (!IsOwnerOfObject(object))
            return false;
    }
    return true;
}

// --- Object queries ---

bool AKTree::IsSomeObjectModified() const
{
    if (fSomeObjectModified)
        return true;
    for (AKNode const* node : fNodes) {
        AKObject const* object = node->GetObject();
        if (object != nullptr && object->IsModified()) {
            fSomeObjectModified = true;
            return true;
        }
    }
    return false;
}

void AKTree::ResetAllObjectsModifiedFlag(bool force)
{
    if (!fSomeObjectModified && !force)
        return;
    fSomeObjectModified = false;
    for (AKNode const* node : fNodes) {
        if (AKObject* object = node->GetObject())
            object->SetModified(false);
    }
}

void AKTree::ClearAllObjectsUIPeerData()
{
    for (AKNode const* node : fNodes) {
        if (AKObject* object = node->GetObject())
            object->ClearUIPeerData();
    }
}

// --- Deletion ---

void AKTree::InsertNodesKeepingIDs(AKNodeArray const& nodes)
{
    fNodes.Append(nodes);
    fNodes.SortByID();
    UpdateDANodesWithAddedNodes(nodes);
}

void AKTree::rDoTreeSelDelete(AKNode* node)
{
    // Bounded by the node count: a subtree never holds more nodes than the
    // tree, whatever its links say.
    unsigned int limit = fNodes.Count() > 0 ? fNodes.Count() : 1;
    unsigned int visited = AKTreeWalkBounded(node, limit, [this](AKNode* each) {
        AKObject* object = each->DetachOwnedObject();
        if (object == nullptr)
            return;
        if (fDeferredDeletion || object->HasOption(kAKObjectOptionDeferDelete)) {
            object->SetFlags(kAKObjectFlagDeleted);
            fDeletionQueue.Push(object);
            GiveMeIdling(true);
        } else {
            AKClass::DeleteObject(object);
        }
    });
    if (visited > limit)
        FailCoherency(" (Can't link correctly nodes)");
}

void AKTree::DoIdling()
{
    fDeletionQueue.DoIdling();
    if (fDeletionQueue.IsEmpty())
        GiveMeIdling(false);
}
