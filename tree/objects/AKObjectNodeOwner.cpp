// The members of objects that reach their owner node.

#include "AKObject.h"

#include "AKNode.h"
#include "AKNodeArray.h"
#include "AKNodeIDArray.h"

AKNodeID AKObject::NodeOwnerID() const { return fNodeOwner ? fNodeOwner->GetID() : kAKNullNodeID; }

AKNodeID AKObject::GetID() const
{
    AKNodeID nodeID = NodeOwnerID();
    return nodeID > 0 ? nodeID : kAKNullNodeID;
}

AKNode* AKObject::ParentNode() const { return fNodeOwner ? fNodeOwner->Parent() : nullptr; }

AKNodeID AKObject::ParentNodeID() const
{
    AKNode const* parent = ParentNode();
    return parent ? parent->GetID() : kAKNullNodeID;
}

AKObject* AKObject::ParentObject() const
{
    AKNode const* parent = ParentNode();
    return parent ? parent->GetObject() : nullptr;
}

void AKObject::GrabChildren(ATObjectArray<AKObject>* objects) const
{
    objects->Clear();
    if (fNodeOwner == nullptr)
        return;
    for (AKNode const* child = fNodeOwner->GetSub(); child; child = child->GetNext()) {
        if (child->GetObject())
            objects->Push(child->GetObject());
    }
}

void AKObject::GrabChildrenOfClass(ATObjectArray<AKObject>* objects, AKClass const* aClass) const
{
    objects->Clear();
    if (fNodeOwner == nullptr || aClass == nullptr)
        return;
    for (AKNode const* child = fNodeOwner->GetSub(); child; child = child->GetNext()) {
        AKObject* object = child->GetObject();
        if (object && object->IsKindOf(aClass))
            objects->Push(object);
    }
}

void AKObject::GrabChildren(AKNodeArray* nodes) const
{
    nodes->Clear();
    if (fNodeOwner)
        fNodeOwner->GrabChildren(nodes);
}

void AKObject::GrabChildrenOfClass(AKNodeArray* nodes, AKClass const* aClass) const
{
    nodes->Clear();
    if (fNodeOwner == nullptr || aClass == nullptr)
        return;
    for (AKNode* child = fNodeOwner->GetSub(); child; child = child->GetNext()) {
        AKObject const* object = child->GetObject();
        if (object && object->IsKindOf(aClass))
            nodes->Push(child);
    }
}

void AKObject::ReleaseFromNodeOwner()
{
    if (fNodeOwner)
        fNodeOwner->DetachOwnedObject();
}

void ATObjectArray_GrabNodeIDs(ATObjectArray<AKObject> const& objects, AKNodeIDArray* ids)
{
    ids->Clear();
    ids->Reserve(objects.Count());
    for (AKObject const* object : objects)
        ids->Push(object ? object->NodeOwnerID() : kAKNullNodeID);
}
