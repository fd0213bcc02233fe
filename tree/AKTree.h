#pragma once

// AKTree: the object tree of one document. It owns every node and object of
// the document, keeps the nodes sorted by ID with a direct-access table for
// constant-time look-up while the IDs stay small, hands out node IDs, reads
// and writes the whole tree as a 'TREE' chunk or as a dictionary, and checks
// its own coherency.
//
// Nothing the tree does records history or raises change stamps: the tree
// handler validates every edit, calls the tree, records the edit and tells
// the notifier. Objects removed from the tree may still be read by the audio
// side, so they can be queued and deleted on later idle passes once nothing
// holds them; the tree is an idling client for that alone.
//
// Invariants (CheckTreeCoherency): the nodes are strictly sorted by ID; the
// first is the root (ID 1), without parent nor brothers, whose subtree holds
// exactly the tree's nodes; all links are coherent; every node owns an object
// in the tree's context; every ID is below the next ID; the direct-access
// table, when in use, lists exactly the nodes at their IDs; every object is
// of a class its parent allows. Node IDs are never lowered nor reused.
//
// The 'TREE' chunk (numbers after the signature in the file's byte order):
//   0   'TREE', big-endian
//   4   unsigned payload size, back-patched
//   8   unsigned node count
//   12  20 reserved bytes, written as zeros, skipped when read
//   32  one 'ARND' chunk of every node in ID order, root first, links as they are
//
// Main thread only.

#include "AKIdlingCenter.h"
#include "AKNode.h"
#include "AKNodeAllocator.h"
#include "AKNodeArray.h"
#include "AKNodeID.h"
#include "AKNodeLinkMode.h"
#include "AKNodeStatesTree.h"
#include "AKObject.h"
#include "AKString.h"
#include "ATArray.h"
#include "ATGarbage.h"
#include "ATObjectArray.h"

class AKContextObject;
class AKDictionary;
class AKFile;
class AKTreeRenum;
class AKTreeSel;
class AKTreeSelCache;

// Option bits of a tree.
constexpr unsigned int kAKTreeOptionReadOnly = 0x1;        // every edit on selections is refused
constexpr unsigned int kAKTreeOptionDeferredDelete = 0x2;  // deleted objects always go through the queue
constexpr unsigned int kAKTreeOptionDictionaryIDs = 0x4;   // dictionary forms carry every node's "ID"
constexpr unsigned int kAKTreeOptionKeepLoadedIDs = 0x8;   // loaded IDs are not renumbered (implies 0x4)

// The 'TREE' chunk signature.
constexpr unsigned int kAKTreeChunkSignature = 0x54524545;  // 'TREE'

// The largest next ID a tree may be asked to use.
constexpr AKNodeID kAKTreeMaxPreferedNextNodeID = 90000;
// Past this next ID the direct-access table is given up for good.
constexpr AKNodeID kAKTreeMaxDirectAccessNextNodeID = 99999;

// Idle passes an unheld object waits in the deletion queue.
constexpr int kAKTreeDeletionCountdown = 8;

class AKTree : public AKIdlingClient
{
public:
    // An empty tree (no node, next ID 0) with the option bits and a plain
    // context of its own.
    explicit AKTree(unsigned int options);
    // Deletes every node with its object (last first), then every object
    // still queued whatever its hold count, then the context. The owner
    // stops the audio use of the document first.
    ~AKTree() override;

    AKTree(AKTree const&) = delete;
    AKTree& operator=(AKTree const&) = delete;

    // --- Set-up ---

    // Deletes the current context and takes ownership of the given one
    // (called before any node exists: objects keep the context they got).
    void SetupCustomContextObject(AKContextObject* context);
    // Accepted between the current next ID and 90000, both included; else
    // kAKErrorTreeNodeBadID is logged and nothing changes.
    int SetupPreferedNextNodeID(int nextNodeID);

    // --- Initialisation: once, all or nothing; kAKErrorTreeAlreadyInitialized
    // (not logged) when the tree already has nodes ---

    // A tree holding only its root, for the document type.
    int InitDefault(unsigned int documentType);
    // Reads a 'TREE' chunk; map (may be null) receives the renumbering applied.
    int InitFromBinFile(AKFile const& file, AKTreeRenum* map);
    // Reads the dictionary form; the root is always a fresh root folder of
    // the document type. map (may be null) receives the renumbering applied.
    int InitFromDictionary(AKDictionary const& dictionary, unsigned int documentType, AKTreeRenum* map);
    // Makes the root (ID 1, next ID 2) for the document type.
    int InitTopRoot(unsigned int documentType);

    // --- Writing ---

    int WriteToBinFile(AKFile& file) const;
    // Empties the dictionary and writes the root's node dictionary with the
    // whole tree; -1 (nothing written) for a tree without nodes.
    int WriteToDictionary(AKDictionary* dictionary) const;

    // --- Look-up and queries ---

    // Through the direct-access table while it is in use, else by binary
    // search; null for an unknown ID, 0 or below.
    AKNode* GetNode(AKNodeID nodeID) const;
    // The node's object when it is a kind of T, else null.
    template <class T>
    T* GetObjectT(AKNodeID nodeID) const;
    // The node of each ID in list order, unknown IDs skipped; true when the
    // output is not empty and every ID was found.
    bool GetNodes(AKNodeIDArray const& nodeIDs, AKNodeArray* nodes) const;
    // The same with the nodes' objects; a non-zero mask keeps only the
    // objects whose mask holds all its bits.
    bool GetObjects(AKNodeIDArray const& nodeIDs, ATObjectArray<AKObject>* objects, AKClassQCast mask) const;
    bool IsOwnerOfNode(AKNode const* node) const;
    bool IsOwnerOfObject(AKObject const* object) const;
    // Not empty and every entry owned.
    bool IsOwnerOfNodes(AKNodeArray const& nodes) const;
    bool IsOwnerOfObjects(ATObjectArray<AKObject> const& objects) const;
    // Remembers the first modified object found.
    bool IsSomeObjectModified() const;
    // Clears every object's modified flag when one was seen or when forced.
    void ResetAllObjectsModifiedFlag(bool force);
    void ClearAllObjectsUIPeerData();

    AKNode* GetRootNode() const { return fNodes.IsEmpty() ? nullptr : fNodes.First(); }
    AKNodeArray const& GetNodes() const { return fNodes; }
    unsigned int CountNodes() const { return fNodes.Count(); }
    AKNodeID GetNextNodeID() const { return fNextNodeID; }
    AKContextObject* GetContextObject() const { return fContext; }
    AKNodeAllocator& GetAllocator() { return fAllocator; }
    AKTreeNState& GetTreeNState() { return fTreeNState; }
    AKTreeNState const& GetTreeNState() const { return fTreeNState; }

    bool IsReadOnly() const { return fReadOnly; }
    bool IsDeferredDeletion() const { return fDeferredDeletion; }
    bool HasIDsInDictionaries() const { return fIDsInDictionaries; }
    bool KeepsLoadedIDs() const { return fKeepLoadedIDs; }
    bool IsDirectAccessOn() const { return fDirectAccess; }

    AKString const& GetName() const { return fName; }
    void SetName(AKString const& name) { fName = name; }

    // --- Edits on selections and detached copies (defined with the edits) ---

    int WriteTreeSelToCache(AKTreeSelCache* cache, AKTreeSel const& selection) const;
    int ReadAndLinkTreeSelFromCache(AKTreeSel* out, AKTreeSelCache const& cache, AKNode* target, AKLinkMode mode);
    int DoTreeSelDelete(AKTreeSel const& selection);
    int DoTreeSelCopyTo(AKTreeSel* out, AKTreeSel const& selection, AKNode* target, AKLinkMode mode);
    int DoTreeSelDuplicate(AKTreeSel* out, AKTreeSel const& selection);
    int DoTreeSelMultiCopy(AKTreeSel* out, AKTreeSel const& targets, AKTreeSelCache const& cache);
    bool CanTreeSelMove(AKTreeSel const& selection, AKNode** target, AKLinkMode* mode) const;
    int DoTreeSelMove(AKTreeSel* out, AKTreeSel const& selection, AKNode* target, AKLinkMode mode);
    int DoTreeSelAddNewObjects(AKTreeSel* out, AKNode** first, AKNode* target, AKLinkMode mode,
                               ATObjectArray<AKObject> const& objects);

    // --- Deletion ---

    // Disposes of the objects of an unlinked node and of all its descendants
    // (each before its children): each is detached, then queued with its
    // deleted flag when the tree defers deletion or the object asks for it,
    // else deleted at once. The nodes stay in the node array, without
    // objects, for the caller to remove and delete.
    void rDoTreeSelDelete(AKNode* node);
    unsigned int CountQueuedObjects() const { return fDeletionQueue.Count(); }

    // --- Checks ---

    // 0, or kAKErrorTreeBadCoherency logged with the first failing condition.
    int CheckTreeCoherency() const;
    int CheckDANodesCoherency() const;
    int CheckAuthoChildClasses() const;
    // 0; kAKWarningTreeNodesStillHaveUIPeerData when objects still hold UI-peer data.
    int CheckObjectsUIPeerDataCoherency() const;
    // Return 0 without checking (the handler calls the first after each edit).
    int CheckTreeCoherencyDebug() const { return 0; }
    int CheckDANodesCoherencyDebug() const { return 0; }
    int CheckAuthoChildClassesDebug() const { return 0; }
    int CheckObjectsUIPeerDataCoherencyDebug() const { return 0; }

    // --- Direct-access table ---

    void UpdateDANodesAfterInit();
    void UpdateDANodesWithAddedNodes(AKNodeArray const& nodes);
    void UpdateDANodesWithRemovedNodes(AKNodeArray const& nodes);

    // --- Nodes coming back ---

    // Puts nodes that return with the IDs they had (undoing a deletion: all
    // below the next ID, none in use) into the node array, kept sorted by
    // ID, and into the direct-access table. Linking them is the caller's.
    void InsertNodesKeepingIDs(AKNodeArray const& nodes);

    // --- Idling ---

    // One pass of the deletion queue; an empty queue ends the idle passes.
    void DoIdling() override;

private:
    // Shared by the initialisations.
    int RefuseInitialized() const;
    // Steps shared by the loads once the nodes are read and sorted:
    // renumbering, next ID, relinking, table, coherency.
    int CompleteLoadedNodes(AKTreeRenum* map);
    // Back to an empty tree after a failed initialisation.
    void DiscardAllNodes(AKTreeRenum* map);
    // Frees the table and logs kAKWarningTreeCantUseDirectAccessNodes, once.
    void TurnOffDirectAccess();
    // Logs kAKErrorTreeBadCoherency with the reason.
    int FailCoherency(char const* reason) const;
    // The number of nodes of the root's subtree, or more than the node
    // count when the walk had to stop there.
    unsigned int CountRootSubtreeBounded() const;

    bool fReadOnly;
    bool fDeferredDeletion;
    bool fIDsInDictionaries;
    bool fKeepLoadedIDs;
    mutable bool fSomeObjectModified = false;
    bool fDirectAccess = false;
    // Every node, sorted by ID, the root first.
    AKNodeArray fNodes;
    // Indexed by node ID, null where there is no node; next ID + 1 long.
    ATArray<AKNode*> fDANodes;
    AKNodeAllocator fAllocator;
    AKTreeNState fTreeNState;
    AKContextObject* fContext;
    AKNodeID fNextNodeID = kAKNullNodeID;
    ATGarbage<AKObject*, _AKObjectDeleter, kAKTreeDeletionCountdown> fDeletionQueue;
    AKString fName;
};

template <class T>
T* AKTree::GetObjectT(AKNodeID nodeID) const
{
    AKNode const* node = GetNode(nodeID);
    AKObject* object = node != nullptr ? node->GetObject() : nullptr;
    return object != nullptr && object->IsKindOfT<T>() ? static_cast<T*>(object) : nullptr;
}
