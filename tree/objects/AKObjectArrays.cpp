// Free functions over lists of objects.

#include "AKObject.h"

#include "AKClassArray.h"

bool ATObjectArray_FindObjectByID(ATObjectArray<AKObject> const& objects, AKNodeID id, unsigned int* index)
{
    if (id == 0) {
        if (index != nullptr)
            *index = ATObjectArray<AKObject>::kNotFound;
        return false;
    }
    return objects.FindIf([id](AKObject const* object) { return object != nullptr && object->NodeOwnerID() == id; },
                          index);
}

AKClass const* ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject> const& objects)
{
    AKClass const* top = AKClass::GetTopClass();
    AKClass const* answer = nullptr;
    for (AKObject const* object : objects) {
        AKClass const* aClass = object != nullptr ? object->GetClass() : nullptr;
        if (aClass == nullptr)
            continue;
        if (answer == nullptr) {
            answer = aClass;
            continue;
        }
        if (answer == top)
            break;
        while (answer != nullptr && answer != top && !aClass->IsKindOfClass(answer))
            answer = answer->GetSupClass();
        if (answer == nullptr)
            answer = top;
    }
    return answer != nullptr ? answer : top;
}

void ATObjectArray_GrabClasses(ATObjectArray<AKObject> const& objects, AKClassArray* classes)
{
    classes->Clear();
    for (AKObject const* object : objects) {
        AKClass const* aClass = object != nullptr ? object->GetClass() : nullptr;
        if (aClass != nullptr)
            classes->PushUniqueItem(aClass);
    }
}

void ATObjectArray_GrabObjectsOfClass(ATObjectArray<AKObject> const& objects, ATObjectArray<AKObject>* result,
                                      AKClass const* aClass)
{
    result->Clear();
    if (aClass == nullptr)
        return;
    for (AKObject* object : objects) {
        if (object != nullptr && object->IsKindOf(aClass))
            result->Push(object);
    }
}

void AKDeletes(ATObjectArray<AKObject>& objects) { objects.DeleteAllObjectsWithDeleter<_AKObjectDeleter>(); }
