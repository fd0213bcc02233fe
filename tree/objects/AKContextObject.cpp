#include "AKContextObject.h"

#include "AKNode.h"
#include "AKTree.h"

AKObject* AKContextObject::GetObjectInTree(AKNodeID id) const
{
    AKNode const* node = fTree != nullptr ? fTree->GetNode(id) : nullptr;
    return node != nullptr ? node->GetObject() : nullptr;
}
