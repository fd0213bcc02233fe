// The dictionary form of a node:
//   "ID"     the node ID (when asked, or for objects with option 2)
//   "Class"  the object's class ID as text
//   the object's own keys ("UIPeer", "Name", then its class's keys)
//   "Subs"   the children's dictionaries in child order, when any wrote one
// An object with option 4 is left out with its whole subtree.
//
// A subtree is written without recursion, each node's dictionary in its
// final place, so that writing costs the same for every node however deep
// it sits. The nesting is bounded by kAKNodeDictionaryMaxDepth: values
// nested deeper could not be read back, nor copied or freed safely.

#include "AKNode.h"

#include "AKClass.h"
#include "AKDictionary.h"
#include "AKLog.h"
#include "AKNodeAllocator.h"
#include "AKNodeDictionaryForm.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "AKValueChunkNesting.h"
#include "AKValueTyped.h"

#include <vector>

namespace {

char const kKeyID[] = "ID";

// A node dictionary, "Subs" and its children's dictionaries take two levels
// per node level: the deepest subtree written stays well within what the
// dictionary readers accept, with room for the levels of the file around it.
static_assert(2 * kAKNodeDictionaryMaxDepth + 1 + 32 <= kAKValueChunkMaxNesting,
              "node dictionaries must nest within what the dictionary readers accept");

// A node whose children are being written: its dictionary, the array of its
// children's dictionaries so far (held apart until the node is complete) and
// the next child to write.
struct PendingNode {
    AKDictionary* fDictionary;
    AKValue fSubs;
    AKNode const* fNextChild;
};

}  // namespace

void AKNodeDictionaryAppendElement(AKValue* subs, AKDictionary** element)
{
    if (!subs->IsAKValueArray())
        subs->SetasAKValueArray(kAKNullValueArray);
    AKValueArray* array = subs->GetasAKValueArray();
    array->Push(AKValue());
    array->Last().SetasAKDictionary(kAKNullDictionary);
    // The dictionary lives in its own block, which stays where it is when the
    // array grows: the pointer remains valid while the array is filled.
    *element = array->Last().GetasAKDictionary();
}

void AKNodeDictionaryDropLastElement(AKValue* subs)
{
    AKValueArray* array = subs->GetasAKValueArray();
    if (array != nullptr && !array->IsEmpty())
        array->Pop();
}

int AKNodeDictionaryStoreSubs(AKDictionary& dictionary, AKValue* subs)
{
    AKValueArray const* array = subs->GetasAKValueArray();
    if (array == nullptr || array->IsEmpty())
        return 0;
    int status = dictionary.SetValue(kAKNodeDictionaryKeySubs, AKValue());
    if (status != 0)
        return status;
    // The entry just stored belongs to a dictionary this code may change:
    // the array takes its place by exchange, never by a copy of the subtree.
    AKValue& stored = const_cast<AKValue&>(dictionary.GetValue(kAKNodeDictionaryKeySubs));
    if (&stored == &kAKNullValue)
        return -1;
    stored.Swap(subs);
    return 0;
}

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
    if (status != 0)
        return status;

    // One entry per level below this node; a failure leaves this node's own
    // keys and drops every child written so far with the pending arrays.
    std::vector<PendingNode> pending;
    pending.push_back({&dictionary, AKValue(), fSub});
    while (!pending.empty()) {
        PendingNode& parent = pending.back();
        AKNode const* child = parent.fNextChild;
        if (child == nullptr) {
            status = AKNodeDictionaryStoreSubs(*parent.fDictionary, &parent.fSubs);
            if (status != 0)
                return status;
            bool const empty = parent.fDictionary->IsEmpty();
            pending.pop_back();
            // A child that wrote nothing takes no place among its brothers.
            if (empty && !pending.empty())
                AKNodeDictionaryDropLastElement(&pending.back().fSubs);
            continue;
        }
        parent.fNextChild = child->fNext;
        if (child->fObject == nullptr)
            return kAKErrorTreeNodeNoOwnedObject;
        if (child->fObject->HasOption(kAKObjectOptionNoDictionary))
            continue;
        if (pending.size() > kAKNodeDictionaryMaxDepth)
            return AKLogError(kAKErrorFileDataTooBig,
                              "Can't write node %d as a dictionary: its descendants nest deeper than %u levels", fID,
                              kAKNodeDictionaryMaxDepth);
        AKDictionary* childDictionary = nullptr;
        AKNodeDictionaryAppendElement(&parent.fSubs, &childDictionary);
        status = child->WriteNodeToDictionary(*childDictionary, withIDs);
        if (status != 0)
            return status;
        // `parent` is not used past this push, which may move the entries.
        pending.push_back({childDictionary, AKValue(), child->fSub});
    }
    return 0;
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
