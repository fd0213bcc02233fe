// Node arrays: the classes and objects of their nodes.

#include "AKNodeArray.h"

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKNode.h"
#include "AKObject.h"

namespace {

// The node's object when it is a kind of the class.
AKObject* ObjectOfClass(AKNode const* node, AKClass const* objectClass)
{
    AKObject* object = node ? node->GetObject() : nullptr;
    return object != nullptr && object->IsKindOf(objectClass) ? object : nullptr;
}

}  // namespace

void AKNodeArray::FillWithOwnerNodesOfObjects(ATObjectArray<AKObject> const& objects)
{
    Clear();
    Reserve(objects.Count());
    for (AKObject const* object : objects)
        Push(object ? object->GetNodeOwner() : nullptr);
}

AKClass const* AKNodeArray::GetCommonBaseClass() const
{
    ATObjectArray<AKObject> objects;
    GrabObjects(&objects);
    return ATObjectArray_GetCommonBaseClass(objects);
}

unsigned int AKNodeArray::NodeCountOfClass(AKClass const* objectClass) const
{
    if (objectClass == nullptr)
        return 0;
    unsigned int count = 0;
    for (AKNode const* node : *this)
        count += ObjectOfClass(node, objectClass) ? 1 : 0;
    return count;
}

bool AKNodeArray::HasOneNodeAtLeastOfClass(AKClass const* objectClass) const
{
    if (objectClass == nullptr || IsEmpty())
        return false;
    if (objectClass == AKClass::GetTopClass())
        return true;
    for (AKNode const* node : *this) {
        if (ObjectOfClass(node, objectClass))
            return true;
    }
    return false;
}

bool AKNodeArray::HasAllNodesOfClass(AKClass const* objectClass) const
{
    if (objectClass == nullptr || IsEmpty())
        return false;
    if (objectClass == AKClass::GetTopClass())
        return true;
    for (AKNode const* node : *this) {
        if (ObjectOfClass(node, objectClass) == nullptr)
            return false;
    }
    return true;
}

void AKNodeArray::GrabClasses(AKClassArray* classes) const
{
    classes->Clear();
    for (AKNode const* node : *this) {
        AKObject const* object = node ? node->GetObject() : nullptr;
        if (object && object->GetClass())
            classes->PushUniqueItem(object->GetClass());
    }
}

void AKNodeArray::GrabNodesOfClass(AKNodeArray* nodes, AKClass const* objectClass) const
{
    nodes->Clear();
    if (objectClass == nullptr)
        return;
    for (AKNode* node : *this) {
        if (ObjectOfClass(node, objectClass))
            nodes->Push(node);
    }
}

void AKNodeArray::GrabObjects(ATObjectArray<AKObject>* objects) const
{
    objects->Clear();
    objects->Reserve(Count());
    for (AKNode const* node : *this) {
        if (node && node->GetObject())
            objects->Push(node->GetObject());
    }
}

void AKNodeArray::GrabObjectsOfClass(ATObjectArray<AKObject>* objects, AKClass const* objectClass) const
{
    objects->Clear();
    if (objectClass == nullptr)
        return;
    for (AKNode const* node : *this) {
        if (AKObject* object = ObjectOfClass(node, objectClass))
            objects->Push(object);
    }
}
