#pragma once

// AKTreeSel: a selection of nodes of one tree, the input and the result of
// every tree action. Besides the nodes it carries the facts the handler's
// checks ask for again and again (the objects, the unique common parent, the
// common base class) and a process-wide selection ID telling whether two
// actions were made on the very same selection.
//
// A selection refers to nodes and objects of its tree and owns neither; it
// becomes meaningless once those nodes are deleted or relinked, after which
// callers use the action's result selection. A plain value class: copying
// copies every field, the selection ID included.
//
// Selection IDs come from one process-wide counter starting at 1,000,000:
// every selection made for a non-null tree takes the counter's next value
// (the first is 1,000,001); a selection without a tree has ID 0.
//
// The builders at the end construct a selection from nodes, node IDs,
// objects, children or a display client's states, either normalised (tree
// order, no duplicates, never the root among several, never a node with one
// of its descendants) or exactly as given. A list holding a null entry, or an
// object not owned by any node, selects nothing: a selection never holds a
// null node. Main thread only.

#include "AKNSClientID.h"
#include "AKNodeArray.h"
#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "AKNodeLinkMode.h"
#include "AKTimeIntv.h"
#include "ATObjectArray.h"

class AKClass;
class AKNode;
class AKObject;
class AKTree;

// The first selection ID handed out is one more than this.
constexpr int kAKTreeSelFirstIDBase = 1000000;

class AKTreeSel
{
public:
    // Empty, no tree, ID 0.
    AKTreeSel() = default;
    // Empty, bound to the tree; a new ID when the tree is not null.
    explicit AKTreeSel(AKTree* tree);

    AKTreeSel(AKTreeSel const&) = default;
    AKTreeSel& operator=(AKTreeSel const&) = default;

    // Advances the process-wide counter and returns its new value.
    static int NextTreeSelID();

    // --- Initialisers (nothing without a tree) ---

    // For a non-null node of the selection's tree: selects it, its objects,
    // its parent as the common parent and its object's class as the common
    // base class. A node of another tree selects nothing.
    void InitWithNode(AKNode const* node);
    // One node: as InitWithNode; several: normalised (nodes of another tree
    // left out). A null entry selects nothing.
    void InitWithNodes(AKNodeArray const& nodes);
    // The node of the ID; an unknown ID selects nothing.
    void InitWithNodeID(AKNodeID nodeID);
    // One ID: as InitWithNodeID; several: normalised, unknown IDs skipped.
    void InitWithNodeIDs(AKNodeIDArray const& nodeIDs);
    // The object's owning node; nothing for a null or detached object, or an
    // object of another tree.
    void InitWithObject(AKObject const* object);
    // One object: as InitWithObject; several: their owning nodes normalised.
    // A null entry or an object without owning node selects nothing at all.
    void InitWithObjects(ATObjectArray<AKObject> const& objects);
    // The nodes a display client has selected, topmost only, never the root.
    // The descendants of every gathered node lose the client's selected and
    // dirty bits. An invalid client or a tree without nodes selects nothing.
    void InitWithNState(AKNSClientID clientID);

    // --- Fields ---

    AKTree* GetTree() const { return fTree; }
    AKNodeArray const& GetNodes() const { return fNodes; }
    ATObjectArray<AKObject> const& GetObjects() const { return fObjects; }
    AKNode* GetCommonParent() const { return fCommonParent; }
    AKClass const* GetCommonBaseClass() const { return fCommonBaseClass; }
    int GetTreeSelID() const { return fTreeSelID; }

    unsigned int CountNodes() const { return fNodes.Count(); }
    bool IsEmpty() const { return fNodes.IsEmpty(); }
    AKNode* GetNode(unsigned int index) const { return index < fNodes.Count() ? fNodes[index] : nullptr; }
    AKNode* FirstNode() const { return GetNode(0); }

    // The time range attached by the users of selections (track parts).
    bool HasTimeSel() const { return fHasTimeSel; }
    AKTimeIntv const& GetTimeRange() const { return fTimeRange; }
    void SetTimeSel(AKTimeIntv const& range)
    {
        fHasTimeSel = true;
        fTimeRange = range;
    }
    void ClearTimeSel()
    {
        fHasTimeSel = false;
        fTimeRange = kAKNullTimeIntv;
    }

    // --- Class queries ---
    // A null class, or a selection whose common base class is null, answers
    // false or falls through to the node-by-node answer.

    // All nodes when the common base class is a kind of the class, else
    // counted node by node.
    unsigned int NodeCountOfClass(AKClass const* aClass) const;
    // Exactly one node and the common base class is a kind of the class.
    bool HasOneNodeOfClass(AKClass const* aClass) const;
    // False for an empty selection; true when the common base class is a
    // kind of the class; else node by node.
    bool HasOneNodeAtLeastOfClass(AKClass const* aClass) const;
    // The common base class is a kind of the class.
    bool HasAllNodesOfClass(AKClass const* aClass) const;
    // The same answers as the node twins.
    unsigned int ObjectCountOfClass(AKClass const* aClass) const { return NodeCountOfClass(aClass); }
    bool HasOneObjectAtLeastOfClass(AKClass const* aClass) const { return HasOneNodeAtLeastOfClass(aClass); }
    bool HasAllObjectsOfClass(AKClass const* aClass) const { return HasAllNodesOfClass(aClass); }
    bool HasUniqueCommonParent() const { return fCommonParent != nullptr; }
    // The common parent exists and owns an object of a kind of the class.
    bool HasUniqueCommonParentOfClass(AKClass const* aClass) const;

    // --- Linking tests ---

    // Whether the selected nodes may be linked at the node with the mode
    // (false for a null node).
    bool CanLink(AKNode const* node, AKLinkMode mode) const;
    // The same at the object's owning node (false for a null or detached object).
    bool CanLink(AKObject const* object, AKLinkMode mode) const;

    // --- Display states ---

    // Marks every selected node dirty for one client (index 1 to 32).
    void SetNStateDirty(AKNSClientID clientID) const;
    // Marks every selected node dirty for every client.
    void SetNStateDirtyForAllClients() const;

    // --- After a move ---

    // With a tree: recomputes the common parent and takes a new ID.
    void UpdateAfterMoved();

protected:
    // Used by the builders on a freshly constructed selection (nothing
    // without a tree); a null entry in a list selects nothing.
    // The nodes exactly as given; objects, common parent, common base class.
    void InitWithRawNodes(AKNodeArray const& nodes);
    // The owning nodes of the objects as given; a detached object selects nothing.
    void InitWithRawObjects(ATObjectArray<AKObject> const& objects);
    // The node's children; the common parent is the node.
    void InitWithChildrenOfNode(AKNode const* node);
    // The children of each node in turn; the common parent computed.
    void InitWithChildrenOfNodes(AKNodeArray const& nodes);

private:
    // Objects from the nodes, and the common base class of the nodes.
    void GrabObjectsAndClass();
    // Selects the tree's nodes marked by the client's selected bit, topmost
    // only, in tree order (the marks below them are cleared).
    void GatherSelectedNodes(AKNSClientID clientID);
    // The normalisation of several nodes, marked with the tree's own client.
    void InitWithMarkedNodes(AKNodeArray const& nodes);

    AKTree* fTree = nullptr;
    AKNodeArray fNodes;
    ATObjectArray<AKObject> fObjects;
    AKNode* fCommonParent = nullptr;
    AKClass const* fCommonBaseClass = nullptr;
    bool fHasTimeSel = false;
    AKTimeIntv fTimeRange = kAKNullTimeIntv;
    int fTreeSelID = 0;
};

// The shared empty selection: no tree, no nodes, ID 0. Look-ups and failed
// actions hand it out instead of a null reference.
AKTreeSel const& AKNullTreeSelShared();
#define kAKNullTreeSel (AKNullTreeSelShared())
