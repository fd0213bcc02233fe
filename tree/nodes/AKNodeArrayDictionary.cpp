// Nested node dictionaries: each node dictionary may hold its children's
// dictionaries in an array under "Subs". Reading gives every node the "ID"
// it holds, or the next value of a counter that starts above every explicit
// ID, so that counter IDs never collide with explicit ones.

#include "AKNodeArray.h"

#include "AKDictionary.h"
#include "AKNode.h"
#include "AKNodeDictionaryForm.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"

#include <algorithm>
#include <vector>

namespace {

char const kKeyID[] = "ID";

// The children's dictionaries of a node dictionary, null when it has none.
AKValueArray const* SubsOf(AKDictionary const& dictionary)
{
    return dictionary.GetValue(kAKNodeDictionaryKeySubs).GetasAKValueArray();
}

// An element of "Subs" that is no dictionary reads as an empty one.
AKDictionary const& DictionaryOf(AKValue const& element)
{
    AKDictionary const* dictionary = element.GetasAKDictionary();
    return dictionary ? *dictionary : kAKNullDictionary;
}

// The largest explicit non-zero "ID" of all nested node dictionaries (0 when
// none has one), walked without recursion.
long long FindLargestExplicitID(AKValueArray const& topSubs)
{
    long long largest = 0;
    std::vector<AKValueArray const*> pending{&topSubs};
    while (!pending.empty()) {
        AKValueArray const* subs = pending.back();
        pending.pop_back();
        for (AKValue const& element : *subs) {
            AKDictionary const& dictionary = DictionaryOf(element);
            long long nodeID = 0;
            if (dictionary.GetValue(kKeyID).GetasInteger(&nodeID, false) && nodeID != 0)
                largest = std::max(largest, nodeID);
            if (AKValueArray const* children = SubsOf(dictionary))
                pending.push_back(children);
        }
    }
    return largest;
}

// One "Subs" array being read: its next element, the parent of its nodes
// and the node read last from it.
struct SubsLevel {
    AKValueArray const* fSubs;
    unsigned int fIndex;
    AKNode* fParent;
    AKNode* fPrevious;
};

}  // namespace

int AKNodeArray::InitNodesWithRChildrenFromDico(AKDictionary const& dictionary, AKNodeAllocator& allocator,
                                                AKContextObject const* context, AKNodeID nextID, bool keepRoot)
{
    AKNode* root = nullptr;
    if (keepRoot && Count() == 1 && First() && First()->GetID() == kAKTopRootNodeID)
        root = First();
    else
        Clear();

    AKValueArray const* topSubs = SubsOf(dictionary);
    if (topSubs == nullptr)
        return 0;

    // An explicit ID at the very top of the range leaves no room for the
    // counter, nor for the tree's next ID: refused before anything is read.
    long long largest = FindLargestExplicitID(*topSubs);
    if (largest > kAKNodeIDMax)
        return kAKErrorTreeNodeBadID;
    long long counter = std::max({largest + 1, static_cast<long long>(nextID), 2LL});

    std::vector<SubsLevel> levels{{topSubs, 0, root, nullptr}};
    while (!levels.empty()) {
        SubsLevel& level = levels.back();
        if (level.fIndex >= level.fSubs->Count()) {
            levels.pop_back();
            continue;
        }
        AKDictionary const& element = DictionaryOf((*level.fSubs)[level.fIndex++]);
        // A counter past the largest ID reads as a bad default ID.
        AKNodeID defaultID = counter <= kAKNodeIDMax ? static_cast<AKNodeID>(counter) : 0x7FFFFFFF;
        AKNode* node = AKNode::NewNodeFromDictionary(allocator, context, defaultID, element);
        if (node == nullptr)
            return AKNode::sErrorNew;
        Push(node);
        if (node->GetID() == counter)
            ++counter;

        if (level.fPrevious) {
            node->SetPrevID(level.fPrevious->GetID());
            level.fPrevious->SetNextID(node->GetID());
        } else if (level.fParent) {
            node->SetSupID(level.fParent->GetID());
            level.fParent->SetSubID(node->GetID());
        }
        level.fPrevious = node;
        // The children come next (level is not used past this push).
        if (AKValueArray const* children = SubsOf(element))
            levels.push_back({children, 0, node, nullptr});
    }
    return 0;
}

int AKNodeArray::WriteNodesWithRChildrenToDico(AKDictionary& dictionary, bool withIDs) const
{
    // Each node writes straight into its place in the array, which then
    // moves into the dictionary: no subtree is copied.
    AKValue subs;
    for (AKNode const* node : *this) {
        if (node == nullptr)
            return kAKErrorTreeNodeNoOwnedObject;
        AKDictionary* nodeDictionary = nullptr;
        AKNodeDictionaryAppendElement(&subs, &nodeDictionary);
        int status = node->WriteNodeWithRChildrenToDictionary(*nodeDictionary, withIDs);
        if (status != 0)
            return status;
        if (nodeDictionary->IsEmpty())
            AKNodeDictionaryDropLastElement(&subs);
    }
    return AKNodeDictionaryStoreSubs(dictionary, &subs);
}
