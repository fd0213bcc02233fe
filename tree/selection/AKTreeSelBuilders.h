#pragma once

// The builders of selections. Each derives from AKTreeSel without adding
// fields; its constructor takes the tree and a source, takes a new selection
// ID when the tree is not null (even for an empty or null source) and fills
// the selection. With a null tree nothing is selected and the ID is 0.
//
// The normalising builders serve whatever starts from a user's picking; the
// raw builders (and the children builders) serve code that already holds a
// well-formed list, such as the results of tree operations and the history.

#include "AKTreeSel.h"

class AKTreeSelWithNode : public AKTreeSel
{
public:
    AKTreeSelWithNode(AKTree* tree, AKNode const* node);
};

// One node as given; several normalised.
class AKTreeSelWithNodes : public AKTreeSel
{
public:
    AKTreeSelWithNodes(AKTree* tree, AKNodeArray const& nodes);
};

class AKTreeSelWithNodeID : public AKTreeSel
{
public:
    AKTreeSelWithNodeID(AKTree* tree, AKNodeID nodeID);
};

// One ID as given; several normalised, unknown IDs skipped.
class AKTreeSelWithNodeIDs : public AKTreeSel
{
public:
    AKTreeSelWithNodeIDs(AKTree* tree, AKNodeIDArray const& nodeIDs);
};

class AKTreeSelWithObject : public AKTreeSel
{
public:
    AKTreeSelWithObject(AKTree* tree, AKObject const* object);
};

// One object's node as given; several normalised. A null entry or an object
// without owning node selects nothing.
class AKTreeSelWithObjects : public AKTreeSel
{
public:
    AKTreeSelWithObjects(AKTree* tree, ATObjectArray<AKObject> const& objects);
};

// The nodes a display client has selected (AKTreeSel::InitWithNState).
class AKTreeSelWithNState : public AKTreeSel
{
public:
    AKTreeSelWithNState(AKTree* tree, AKNSClientID clientID);
};

// The node's children in sibling order; the common parent is the node, even
// when it has no children. Nothing for a null node.
class AKTreeSelWithChildrenOfNode : public AKTreeSel
{
public:
    AKTreeSelWithChildrenOfNode(AKTree* tree, AKNode const* node);
};

// The children of each given node in turn. A null entry selects nothing.
class AKTreeSelWithChildrenOfNodes : public AKTreeSel
{
public:
    AKTreeSelWithChildrenOfNodes(AKTree* tree, AKNodeArray const& nodes);
};

// The nodes exactly as given: order, duplicates and nesting kept. A null
// entry selects nothing.
class AKTreeSelWithRawSelNodes : public AKTreeSel
{
public:
    AKTreeSelWithRawSelNodes(AKTree* tree, AKNodeArray const& nodes);
};

// The owning nodes of the objects in the given order. A null entry or an
// object without owning node selects nothing.
class AKTreeSelWithRawSelObjects : public AKTreeSel
{
public:
    AKTreeSelWithRawSelObjects(AKTree* tree, ATObjectArray<AKObject> const& objects);
};
