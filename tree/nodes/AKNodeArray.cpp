// Node arrays: lists, links, searches, IDs, renumbering and deletion.

#include "AKNodeArray.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKNodeWalk.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"

#include <algorithm>

// --- Lists and links ---

void AKNodeArray::FillWithList(AKNode const* first)
{
    Clear();
    for (AKNode const* node = first; node; node = node->GetNext())
        Push(const_cast<AKNode*>(node));
}

AKNode* AKNodeArray::LinkAsList() const
{
    if (IsEmpty())
        return nullptr;
    for (unsigned int i = 1, n = Count(); i < n; ++i)
        (*this)[i - 1]->SetNext((*this)[i]);
    Last()->SetNext(nullptr);
    return First();
}

void AKNodeArray::UnlinkNodes() const
{
    for (AKNode* node : *this)
        node->Unlink();
}

void AKNodeArray::RelinkNodesFromLinkIDs() const
{
    // Only positive IDs can name nodes of this array.
    auto find = [this](AKNodeID nodeID) { return nodeID > 0 ? BSearchNodeByID(nodeID) : nullptr; };
    for (AKNode* node : *this)
        node->SetLinkPointers(find(node->GetSupID()), find(node->GetSubID()), find(node->GetPrevID()),
                              find(node->GetNextID()));
}

void AKNodeArray::RelinkNodesWithNegativeLinkIDs() const
{
    for (AKNode* node : *this) {
        // Each ID is read before the previous step may have changed it.
        AKNodeID supID = node->GetSupID();
        AKNodeID prevID = node->GetPrevID();
        AKNodeID nextID = node->GetNextID();
        // The negation of the most negative ID does not fit: no such node.
        auto find = [this](AKNodeID nodeID) { return nodeID > -0x7FFFFFFF ? BSearchNodeByID(-nodeID) : nullptr; };
        if (supID < 0)
            node->SetSup(find(supID));
        if (prevID < 0)
            node->SetPrev(find(prevID));
        if (nextID < 0)
            node->SetNext(find(nextID));
    }
}

void AKNodeArray::GrabNodeLinkIDs(AKNodeIDArray* linkIDs) const
{
    linkIDs->Clear();
    linkIDs->Reserve(Count() * 3);
    for (AKNode const* node : *this) {
        linkIDs->Push(node->GetSupID());
        linkIDs->Push(node->GetPrevID());
        linkIDs->Push(node->GetNextID());
    }
}

int AKNodeArray::ApplyNodeLinkIDs(AKNodeIDArray const& linkIDs) const
{
    if (static_cast<unsigned long long>(linkIDs.Count()) != static_cast<unsigned long long>(Count()) * 3)
        return -1;
    // Negated as unsigned numbers, so that no stored value can overflow.
    auto negate = [](AKNodeID nodeID) { return static_cast<AKNodeID>(0u - static_cast<unsigned int>(nodeID)); };
    for (unsigned int i = 0, n = Count(); i < n; ++i) {
        AKNode* node = (*this)[i];
        node->SetSupID(negate(linkIDs[i * 3]));
        node->SetPrevID(negate(linkIDs[i * 3 + 1]));
        node->SetNextID(negate(linkIDs[i * 3 + 2]));
    }
    return 0;
}

// --- Searches and IDs ---

AKNode* AKNodeArray::FindNodeByID(AKNodeID nodeID) const
{
    if (nodeID == kAKNullNodeID)
        return nullptr;
    for (AKNode* node : *this) {
        if (node && node->GetID() == nodeID)
            return node;
    }
    return nullptr;
}

AKNode* AKNodeArray::BSearchNodeByID(AKNodeID nodeID) const
{
    if (nodeID == kAKNullNodeID)
        return nullptr;
    auto it =
        std::lower_bound(begin(), end(), nodeID, [](AKNode const* node, AKNodeID id) { return node->GetID() < id; });
    return it != end() && (*it)->GetID() == nodeID ? *it : nullptr;
}

AKNodeID AKNodeArray::FindMaxNodeID() const
{
    AKNodeID maxID = kAKNullNodeID;
    for (unsigned int i = 0, n = Count(); i < n; ++i) {
        AKNodeID nodeID = (*this)[i]->GetID();
        if (i == 0 || nodeID > maxID)
            maxID = nodeID;
    }
    return maxID;
}

AKNodeID AKNodeArray::GetNextAvailableNodeID() const
{
    // Unsigned, so that a corrupt last ID cannot overflow.
    return IsEmpty() ? 2 : static_cast<AKNodeID>(static_cast<unsigned int>(Last()->GetID()) + 1u);
}

bool AKNodeArray::IsStrictlySortedByID() const
{
    for (unsigned int i = 1, n = Count(); i < n; ++i) {
        if (!((*this)[i - 1]->GetID() < (*this)[i]->GetID()))
            return false;
    }
    return true;
}

void AKNodeArray::SortByID()
{
    std::stable_sort(begin(), end(), [](AKNode const* a, AKNode const* b) { return a->GetID() < b->GetID(); });
}

bool AKNodeArray::FindNodeWithRChildren(AKNode const* node) const
{
    if (node == nullptr)
        return false;
    for (AKNode const* top : *this) {
        if (top && top->FindNodeWithRChildren(node))
            return true;
    }
    return false;
}

void AKNodeArray::GrabNodeIDs(AKNodeIDArray* nodeIDs) const
{
    nodeIDs->Clear();
    nodeIDs->Reserve(Count());
    for (AKNode const* node : *this)
        nodeIDs->Push(node->GetID());
}

void AKNodeArray::GrabRawNodeIDs(AKRawNodeIDArray* nodeIDs) const
{
    nodeIDs->Clear();
    nodeIDs->Reserve(Count());
    for (AKNode const* node : *this)
        nodeIDs->Push(node->GetID());
}

int AKNodeArray::FillWithNodesOfID(AKNodeIDArray const& nodeIDs, AKNodeArray const& nodes)
{
    Clear();
    Reserve(nodeIDs.Count());
    for (AKNodeID nodeID : nodeIDs) {
        AKNode* node = nodes.BSearchNodeByID(nodeID);
        if (node == nullptr) {
            Clear();
            return kAKErrorTreeNodeBadID;
        }
        Push(node);
    }
    return 0;
}

// --- Children ---

void AKNodeArray::GrabChildren(AKNodeArray* children) const
{
    children->Clear();
    for (AKNode const* node : *this) {
        for (AKNode* child = node->GetSub(); child; child = child->GetNext())
            children->Push(child);
    }
}

void AKNodeArray::GrabNodesWithRChildren(AKNodeArray* nodes) const
{
    nodes->Clear();
    for (AKNode const* top : *this) {
        AKNodeWalkWithRChildren(top, [nodes](AKNode const* node) {
            nodes->Push(const_cast<AKNode*>(node));
            return true;
        });
    }
}

unsigned int AKNodeArray::CountNodesWithRChildren() const
{
    unsigned int count = 0;
    for (AKNode const* top : *this)
        count += top ? top->CountNodesWithRChildren() : 0;
    return count;
}

AKNode* AKNodeArray::GetUniqueCommonParent() const
{
    if (IsEmpty())
        return nullptr;
    AKNode* parent = First()->Parent();
    if (parent == nullptr)
        return nullptr;
    for (AKNode const* node : *this) {
        if (node->Parent() != parent)
            return nullptr;
    }
    return parent;
}

// --- Renumbering, deleting, checking ---

int AKNodeArray::RenumberIDs(AKTreeRenum const& renum, bool keepNegative) const
{
    for (AKNode* node : *this) {
        if (node->RenumberIDs(renum, keepNegative) != 0)
            return kAKErrorTreeNodeBadID;
    }
    return 0;
}

void AKNodeArray::DeleteAllNodes(bool deleteObjects)
{
    while (!IsEmpty()) {
        AKNode* node = Last();
        Pop();
        if (node == nullptr)
            continue;
        AKObject* object = node->DetachOwnedObject();
        if (deleteObjects)
            AKClass::DeleteObject(object);
        delete node;
    }
}

bool AKNodeArray::CheckNodesLinks() const
{
    for (AKNode const* node : *this) {
        if (node == nullptr || !node->CheckNodeLinks())
            return false;
    }
    return true;
}

bool AKNodeArray::CheckNodesObject(AKContextObject const* context) const
{
    for (AKNode const* node : *this) {
        if (node == nullptr || !node->CheckNodeObject(context))
            return false;
    }
    return true;
}
