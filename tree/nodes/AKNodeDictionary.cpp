// The dictionary form of a node:
//   "ID"     the node ID (when asked, or for objects with option 2)
//   "Class"  the object's class ID as text
//   the object's own keys ("UIPeer", "Name", then its class's keys)
//   "Subs"   the children's dictionaries in child order, when any wrote one
// An object with option 4 is left out with its whole subtree.

#include "AKNode.h"

#include "AKClass.h"
#include "AKDictionary.h"
#include "AKNodeAllocator.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"

namespace {

char const kKeyID[] = "ID";
char const kKeySubs[] = "Subs";

}  // namespace

int AKNode::WriteNodeToDictionary(AKDictionary& dictionary, bool withID) const
{
    if (fObject == nullptr)
        return kAKErrorTreeNodeNoOwnedObject;
    if (fObject->HasOption(kAKObjectOptionNoDictionary))
        return 0;
    if (withID || fObject->HasOption(kAKObjectOptionAlwaysDictID))
        dictionary.SetValue(kKeyID, AKValueSetasAKNodeID(fID));
    return AKClass::WriteObjectToDictionary(fObject, dictionary);
}

int AKNode::WriteNodeWithRChildrenToDictionary(AKDictionary& dictionary, bool withIDs) const
{
    if (fObject == nullptr)
        return kAKErrorTreeNodeNoOwnedObject;
    if (fObject->HasOption(kAKObjectOptionNoDictionary))
        return 0;
    int status = WriteNodeToDictionary(dictionary, withIDs);
    if (status == 0)
        WriteChildrenDictionaries(dictionary, withIDs, &status);
    return status;
}

void AKNode::WriteChildrenDictionaries(AKDictionary& dictionary, bool withIDs, int* status) const
{
    AKValueArray subs;
    for (AKNode const* child = fSub; child; child = child->fNext) {
        AKDictionary childDictionary;
        *status = child->WriteNodeWithRChildrenToDictionary(childDictionary, withIDs);
        if (*status != 0)
            return;
        if (childDictionary.IsEmpty())
            continue;
        subs.Push(AKValue());
        subs.Last().SetasAKDictionary(childDictionary);
    }
    if (!subs.IsEmpty())
        dictionary.SetValue(kKeySubs, AKValueSetasAKValueArray(subs));
}

AKNode* AKNode::NewNodeFromDictionary(AKNodeAllocator& allocator, AKContextObject const* context, AKNodeID defaultID,
                                      AKDictionary const& dictionary)
{
    // The stored number is checked whole: cutting it to 32 bits could give
    // an ID that is already taken.
    long long nodeID = defaultID;
    long long explicitID = 0;
    if (dictionary.GetValue(kKeyID).GetasInteger(&explicitID, false) && explicitID != 0)
        nodeID = explicitID;
    // The largest ID is refused as well: no next ID could follow it.
    if (nodeID <= 0 || nodeID > kAKNodeIDMax) {
        sErrorNew = kAKErrorTreeNodeBadID;
        return nullptr;
    }
    AKObject* object = AKClass::NewObjectFromDictionary(context, dictionary);
    if (object == nullptr) {
        sErrorNew = AKClass::GetErrorNew() != 0 ? AKClass::GetErrorNew() : -1;
        return nullptr;
    }
    AKNode* node = new (&allocator) AKNode(&allocator, context, static_cast<AKNodeID>(nodeID), object);
    sErrorNew = 0;
    return node;
}
