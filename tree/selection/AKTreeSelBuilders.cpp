#include "AKTreeSelBuilders.h"

AKTreeSelWithNode::AKTreeSelWithNode(AKTree* tree, AKNode const* node) : AKTreeSel(tree) { InitWithNode(node); }

AKTreeSelWithNodes::AKTreeSelWithNodes(AKTree* tree, AKNodeArray const& nodes) : AKTreeSel(tree)
{
    InitWithNodes(nodes);
}

AKTreeSelWithNodeID::AKTreeSelWithNodeID(AKTree* tree, AKNodeID nodeID) : AKTreeSel(tree) { InitWithNodeID(nodeID); }

AKTreeSelWithNodeIDs::AKTreeSelWithNodeIDs(AKTree* tree, AKNodeIDArray const& nodeIDs) : AKTreeSel(tree)
{
    InitWithNodeIDs(nodeIDs);
}

AKTreeSelWithObject::AKTreeSelWithObject(AKTree* tree, AKObject const* object) : AKTreeSel(tree)
{
    InitWithObject(object);
}

AKTreeSelWithObjects::AKTreeSelWithObjects(AKTree* tree, ATObjectArray<AKObject> const& objects) : AKTreeSel(tree)
{
    InitWithObjects(objects);
}

AKTreeSelWithNState::AKTreeSelWithNState(AKTree* tree, AKNSClientID clientID) : AKTreeSel(tree)
{
    InitWithNState(clientID);
}

AKTreeSelWithChildrenOfNode::AKTreeSelWithChildrenOfNode(AKTree* tree, AKNode const* node) : AKTreeSel(tree)
{
    InitWithChildrenOfNode(node);
}

AKTreeSelWithChildrenOfNodes::AKTreeSelWithChildrenOfNodes(AKTree* tree, AKNodeArray const& nodes) : AKTreeSel(tree)
{
    InitWithChildrenOfNodes(nodes);
}

AKTreeSelWithRawSelNodes::AKTreeSelWithRawSelNodes(AKTree* tree, AKNodeArray const& nodes) : AKTreeSel(tree)
{
    InitWithRawNodes(nodes);
}

AKTreeSelWithRawSelObjects::AKTreeSelWithRawSelObjects(AKTree* tree, ATObjectArray<AKObject> const& objects)
    : AKTreeSel(tree)
{
    InitWithRawObjects(objects);
}
