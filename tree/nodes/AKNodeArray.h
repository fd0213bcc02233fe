#pragma once

// AKNodeArray: a list of nodes that does not own them (only DeleteAllNodes
// deletes them). A tree keeps all its nodes in one, sorted by ID; selections,
// detached copies and history actions keep the nodes they concern in others.
// The binary searches (BSearchNodeByID, RelinkNodesFromLinkIDs,
// RelinkNodesWithNegativeLinkIDs, FillWithNodesOfID, GetNextAvailableNodeID)
// expect the array sorted by ID ascending without duplicates.
//
// The 'ARND' chunk (numbers after the signature in the file's byte order):
//   0   'ARND', big-endian
//   4   unsigned payload size, back-patched
//   8   unsigned node count
//   12  reserved, written 0, read and ignored
//   16  that many 'NODE' chunks
// Main thread only.

#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "AKNodeLinkMode.h"
#include "ATObjectArray.h"

class AKClass;
class AKClassArray;
class AKContextObject;
class AKDictionary;
class AKFile;
class AKNode;
class AKNodeAllocator;
class AKObject;
class AKTreeRenum;

// The 'ARND' chunk signature.
constexpr unsigned int kAKNodeArrayChunkSignature = 0x41524E44;  // 'ARND'

class AKNodeArray : public ATArray<AKNode*>
{
public:
    using ATArray<AKNode*>::ATArray;
    AKNodeArray() = default;
    AKNodeArray(ATArray<AKNode*> const& array) : ATArray<AKNode*>(array) {}

    // --- File forms ---

    // Checks the 'ARND' header and moves past the chunk.
    static int SkipNodesFromFile(AKFile const& file);
    // Reads an 'ARND' chunk, creating each node with AKNode::NewNodeFromFile.
    // On a failure after the header the nodes read so far stay in the array,
    // followed by null entries, for the caller to delete (DeleteAllNodes).
    // Nodes carry only their link IDs: the array is neither sorted nor relinked.
    int InitNodesFromFile(AKFile const& file, unsigned int how, AKNodeAllocator& allocator,
                          AKContextObject const* context);
    // Re-reads the objects of the array's nodes from an 'ARND' chunk written
    // from the same nodes.
    int ReinitNodesFromFile(AKFile const& file);
    // The array's nodes alone, in order; negateOuterLinks as AKNode::WriteNodeToFile.
    int WriteNodesToFile(AKFile& file, bool negateOuterLinks) const;
    // Each node with negated outer links, then its descendants depth-first.
    int WriteNodesWithRChildrenToFile(AKFile& file) const;
    // The nodes of all the subtrees of the array's nodes.
    unsigned int CountNodesWithRChildren() const;

    // --- Dictionary forms ---

    // Reads the nested node dictionaries under "Subs". nextID is the next ID
    // of the receiving tree; keepRoot keeps a root (ID 1) already alone in
    // the array as the parent of the top-level nodes. The array ends in
    // depth-first order with link IDs set from the nesting, pointers empty.
    int InitNodesWithRChildrenFromDico(AKDictionary const& dictionary, AKNodeAllocator& allocator,
                                       AKContextObject const* context, AKNodeID nextID, bool keepRoot);
    // Each node's dictionary with its descendants, under "Subs" of the
    // given dictionary (left untouched when nothing is written or on
    // failure). Descendants nested deeper than kAKNodeDictionaryMaxDepth
    // below their top node are refused (AKNode::WriteNodeWithRChildrenToDictionary).
    int WriteNodesWithRChildrenToDico(AKDictionary& dictionary, bool withIDs) const;

    // --- Lists and links ---

    // The node and its next brothers in order (empty for null).
    void FillWithList(AKNode const* first);
    // Chains the nodes in array order and returns the first (null when empty).
    AKNode* LinkAsList() const;
    void UnlinkNodes() const;
    // Sets the four link pointers of every node from its link IDs, looked up
    // in this array; 0, negative and unknown IDs give null pointers.
    void RelinkNodesFromLinkIDs() const;
    // Puts the top nodes of a detached copy back at their places: negative
    // sup, prev and next IDs link to the nodes of the positive IDs.
    void RelinkNodesWithNegativeLinkIDs() const;
    // Three IDs per node: sup, prev, next.
    void GrabNodeLinkIDs(AKNodeIDArray* linkIDs) const;
    // Sets each node's sup, prev and next IDs to the negated stored values;
    // a length other than three per node returns kAKErrorMiscellaneous and
    // changes nothing.
    int ApplyNodeLinkIDs(AKNodeIDArray const& linkIDs) const;

    // --- Searches and IDs ---

    AKNode* FindNodeByID(AKNodeID nodeID) const;
    AKNode* BSearchNodeByID(AKNodeID nodeID) const;
    // The largest ID, 0 for an empty array.
    AKNodeID FindMaxNodeID() const;
    // 2 for an empty array, else the last node's ID plus 1.
    AKNodeID GetNextAvailableNodeID() const;
    bool IsStrictlySortedByID() const;
    void SortByID();
    // The node is one of the array's nodes or a descendant of one.
    bool FindNodeWithRChildren(AKNode const* node) const;
    void GrabNodeIDs(AKNodeIDArray* nodeIDs) const;
    void GrabRawNodeIDs(AKRawNodeIDArray* nodeIDs) const;
    // The nodes of the IDs, in ID-list order, found by binary search in
    // `nodes`; a missing one empties the array and returns
    // kAKErrorTreeNodeBadID (not logged).
    int FillWithNodesOfID(AKNodeIDArray const& nodeIDs, AKNodeArray const& nodes);
    // The owner node of each object (null for a detached object).
    void FillWithOwnerNodesOfObjects(ATObjectArray<AKObject> const& objects);

    // --- Children and classes (every grab empties its output first) ---

    void GrabChildren(AKNodeArray* children) const;
    void GrabNodesWithRChildren(AKNodeArray* nodes) const;
    // The parent shared by every node, else null.
    AKNode* GetUniqueCommonParent() const;
    AKClass const* GetCommonBaseClass() const;
    unsigned int NodeCountOfClass(AKClass const* objectClass) const;
    bool HasOneNodeAtLeastOfClass(AKClass const* objectClass) const;
    bool HasAllNodesOfClass(AKClass const* objectClass) const;
    void GrabClasses(AKClassArray* classes) const;
    void GrabNodesOfClass(AKNodeArray* nodes, AKClass const* objectClass) const;
    void GrabObjects(ATObjectArray<AKObject>* objects) const;
    void GrabObjectsOfClass(ATObjectArray<AKObject>* objects, AKClass const* objectClass) const;

    // --- Renumbering, deleting, checking ---

    // AKNode::RenumberIDs of each node in order; the first failure stops with
    // kAKErrorTreeNodeBadID.
    int RenumberIDs(AKTreeRenum const& renum, bool keepNegative) const;
    // From the last node to the first: detaches the object (deleting it
    // through its class when deleteObjects is set), then deletes the node.
    // Null entries are skipped; the array ends empty.
    void DeleteAllNodes(bool deleteObjects);
    // Every entry is non-null and passes the node check (true when empty).
    bool CheckNodesLinks() const;
    bool CheckNodesObject(AKContextObject const* context) const;
};
