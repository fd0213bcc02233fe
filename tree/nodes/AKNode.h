#pragma once

// AKNode: one place in a document tree. A node owns one object, is named by
// an ID unique within its tree and is linked to its parent, its first child
// and its two neighbouring brothers. Every link is kept twice, as a pointer
// and as the linked node's ID, so that nodes can be written to files and
// dictionaries, read back, renumbered and relinked from the IDs alone.
//
// Links: only a first child holds a sup (parent) link; the parent of any
// node is the sup of its first brother. Each pointer agrees with its partner
// (the sup's sub is the node, the prev's next is the node...) and each link
// ID equals the ID of the node pointed to. A positive link ID always has its
// pointer; negative link IDs (detached copies) point outside and have none.
//
// Nodes live in the slots of an AKNodeAllocator: they are created with
// `new (allocator) AKNode(...)` or the creators below and deleted with
// `delete`, which gives the slot back. A node has no virtual operations.
// Main thread only.

#include "AKNodeID.h"
#include "AKNodeLinkMode.h"
#include "AKNodeStates.h"
#include "ATObjectArray.h"

#include <cstddef>

class AKClass;
class AKClassArray;
class AKContextObject;
class AKDictionary;
class AKFile;
class AKNodeAllocator;
class AKNodeArray;
class AKObject;
class AKTreeRenum;

// The 'NODE' chunk signature.
constexpr unsigned int kAKNodeChunkSignature = 0x4E4F4445;  // 'NODE'

// Deepest level of descendants the nested dictionary forms hold below a
// written node (its children are level 1). Each level nests a dictionary in
// an array, and dictionaries read from files nest at most 256 values deep:
// this leaves room for the file's own levels around the nodes, so that
// whatever is written can be read back. Deeper subtrees are refused with
// kAKErrorFileDataTooBig; the binary forms have no such limit.
constexpr unsigned int kAKNodeDictionaryMaxDepth = 100;

class AKNode
{
public:
    // --- Creating and deleting ---

    // Status of the last creator call: 0 on success, else the failure's code
    // (the creator then returned null and gave its slot back).
    static int sErrorNew;

    // A node of that ID owning the object, all links empty. A null object
    // fails with kAKErrorMiscellaneous, an object that already has an owner
    // node with kAKErrorTreeNodeYetOwnedObject.
    static AKNode* NewNodeWithObject(AKNodeAllocator& allocator, AKContextObject const* context, AKNodeID nodeID,
                                     AKObject* object);
    // Reads one 'NODE' chunk; `how` goes to the object's akmInitFromFile.
    // The link IDs are those read, the pointers stay empty until relinked.
    static AKNode* NewNodeFromFile(AKNodeAllocator& allocator, AKContextObject const* context, AKFile const& file,
                                   unsigned int how);
    // Reads one node dictionary; its "ID" when it is a non-zero integer,
    // else the default ID. The link IDs stay 0.
    static AKNode* NewNodeFromDictionary(AKNodeAllocator& allocator, AKContextObject const* context, AKNodeID defaultID,
                                         AKDictionary const& dictionary);

    // The node owns the object (which must have no owner node) and gives it
    // the context, logging kAKWarningTreeContextObjectIsWrong when the object
    // had another one.
    AKNode(AKNodeAllocator* allocator, AKContextObject const* context, AKNodeID nodeID, AKObject* object);
    // A node still owning its object detaches it, logs
    // kAKWarningTreeNodeDeletedStillOwner and deletes the object through its
    // class.
    ~AKNode();

    AKNode(AKNode const&) = delete;
    AKNode& operator=(AKNode const&) = delete;

    // Node memory comes from the allocator and goes back to the allocator
    // recorded in the node.
    static void* operator new(std::size_t size, AKNodeAllocator* allocator);
    static void operator delete(void* memory);
    static void operator delete(void* memory, AKNodeAllocator* allocator);

    // Clears the object's owner node and context and the node's object;
    // returns the object (null when there was none).
    AKObject* DetachOwnedObject();

    // --- Fields ---

    AKNodeAllocator* GetAllocator() const { return fAllocator; }
    AKObject* GetObject() const { return fObject; }
    AKNodeID GetID() const { return fID; }
    void SetID(AKNodeID nodeID) { fID = nodeID; }

    AKNode* GetSup() const { return fSup; }
    AKNode* GetSub() const { return fSub; }
    AKNode* GetPrev() const { return fPrev; }
    AKNode* GetNext() const { return fNext; }

    AKNodeID GetSupID() const { return fSupID; }
    AKNodeID GetSubID() const { return fSubID; }
    AKNodeID GetPrevID() const { return fPrevID; }
    AKNodeID GetNextID() const { return fNextID; }

    // Set the link IDs alone; the pointers are not touched.
    void SetSupID(AKNodeID nodeID) { fSupID = nodeID; }
    void SetSubID(AKNodeID nodeID) { fSubID = nodeID; }
    void SetPrevID(AKNodeID nodeID) { fPrevID = nodeID; }
    void SetNextID(AKNodeID nodeID) { fNextID = nodeID; }
    void SetLinkIDs(AKNodeID supID, AKNodeID subID, AKNodeID prevID, AKNodeID nextID);
    // Set the pointers alone, as relinking from IDs does; the IDs are not touched.
    void SetLinkPointers(AKNode* sup, AKNode* sub, AKNode* prev, AKNode* next);

    // The node's display state for the clients of its tree. It is not part
    // of the node's content: const nodes hand it out for change.
    AKNodeNState& GetNState() const { return fNState; }

    // --- Navigation ---

    // The sup of the first brother.
    AKNode* Parent() const;
    AKNode* GrandParent() const;
    // The node at the top of the node's tree.
    AKNode* TopRoot() const;
    // The node itself when alone.
    AKNode* FirstBrother() const;
    AKNode* LastBrother() const;
    // Whether the node is reached by walking prev, respectively next, links
    // (false for null and for this node).
    bool IsOneOfPrevBrother(AKNode const* node) const;
    bool IsOneOfNextBrother(AKNode const* node) const;
    // Null when childless.
    AKNode* LastChild() const;
    unsigned int CountChildren() const;
    // The node and all its descendants.
    unsigned int CountNodesWithRChildren() const;
    // The node is this node or one of its descendants.
    bool FindNodeWithRChildren(AKNode const* node) const;
    // Number of ancestors, 0 for the top node.
    unsigned int GetHierarchyLevel() const;
    bool HasHierarchyLevel(unsigned int level) const;

    // Children in order (emptied first).
    void GrabChildren(AKNodeArray* children) const;
    // The node, then all its descendants depth-first, each before its children.
    void GrabNodeWithRChildren(AKNodeArray* nodes) const;

    // --- Linking ---

    // Links a chain (the node given and its next brothers, with no sup or
    // prev) relative to this node: 1 as first children, 2 as last children,
    // 3 just before this node, 4 just after it; any other mode does nothing.
    void Link(AKNode* chain, AKLinkMode mode);
    // Removes the node with its subtree from its place; its sub link stays.
    void Unlink();

    // Each sets one link on both sides; null empties it and its ID.
    void SetSup(AKNode* node);
    void SetSub(AKNode* node);
    void SetPrev(AKNode* node);
    void SetNext(AKNode* node);

    // --- Class rules ---

    // The object's null-terminated list of allowed child classes (null
    // without object or when it takes no children).
    AKClass const** GetObjectAuthoChildClasses() const;
    bool CanAcceptChildren() const;
    bool CanAcceptChildrenOfClass(AKClass const* objectClass) const;
    // Whether the nodes' objects, the objects, the classes or the class may
    // be linked at this node with this mode.
    bool CanLinkWithNodes(AKNodeArray const& nodes, AKLinkMode mode) const;
    bool CanLinkWithObjects(ATObjectArray<AKObject> const& objects, AKLinkMode mode) const;
    bool CanLinkWithObjectsOfClass(AKClassArray const& classes, AKLinkMode mode) const;
    bool CanLinkWithObjectsOfClass(AKClass const* objectClass, AKLinkMode mode) const;

    // --- File and dictionary forms ---

    // One 'NODE' chunk; negateOuterLinks writes the sup, prev and next IDs
    // negated. A node without object fails with kAKErrorTreeNodeNoOwnedObject
    // (not logged).
    int WriteNodeToFile(AKFile& file, bool negateOuterLinks) const;
    // The node with negated outer links, then every descendant depth-first
    // with its links as they are.
    int WriteNodeWithRChildrenToFile(AKFile& file) const;
    // Re-reads the object's persistent data from a 'NODE' chunk of this node.
    int ReinitNodeFromFile(AKFile const& file);

    // The node's own dictionary ("ID" when asked or for objects with option
    // 2, "Class", the object's keys); nothing for an object with option 4.
    int WriteNodeToDictionary(AKDictionary& dictionary, bool withID) const;
    // The same with "Subs", the children's dictionaries, IDs in every node
    // when asked. Stops at the first failing descendant, leaving the node's
    // own keys without "Subs"; descendants deeper than
    // kAKNodeDictionaryMaxDepth fail with kAKErrorFileDataTooBig (logged).
    int WriteNodeWithRChildrenToDictionary(AKDictionary& dictionary, bool withIDs) const;

    // --- Renumbering and checks ---

    // Maps the node ID (negatives not kept) and the four link IDs (negatives
    // kept as asked), then the object's extra IDs for objects with option 1;
    // the first failure returns kAKErrorTreeNodeBadID (not logged). Pointers
    // are not touched.
    int RenumberIDs(AKTreeRenum const& renum, bool keepNegative);

    bool CheckNodeLinks() const;
    // The node owns an object whose context is the given one.
    bool CheckNodeObject(AKContextObject const* context) const;

private:
    friend class AKNodeAllocator;

    // The future parent of nodes linked here with that mode, or null.
    AKNode* FutureParent(AKLinkMode mode) const;
    bool CanParentTakeClass(AKClass const* const* allowed, AKClass const* objectClass) const;

    // The allocator must stay the first field: the slot code and operator
    // delete find it at the start of the slot.
    AKNodeAllocator* fAllocator = nullptr;
    AKObject* fObject = nullptr;
    AKNode* fSup = nullptr;
    AKNode* fSub = nullptr;
    AKNode* fPrev = nullptr;
    AKNode* fNext = nullptr;
    AKNodeID fID = kAKNullNodeID;
    AKNodeID fSupID = kAKNullNodeID;
    AKNodeID fSubID = kAKNullNodeID;
    AKNodeID fPrevID = kAKNullNodeID;
    AKNodeID fNextID = kAKNullNodeID;
    mutable AKNodeNState fNState{this};
};
