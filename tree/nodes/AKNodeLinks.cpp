// Navigation, linking and the link invariants of nodes.

#include "AKNode.h"

#include "AKNodeArray.h"
#include "AKNodeWalk.h"

namespace {

AKNodeID IDOf(AKNode const* node) { return node ? node->GetID() : kAKNullNodeID; }

}  // namespace

// --- Navigation ---

AKNode* AKNode::Parent() const { return FirstBrother()->fSup; }

AKNode* AKNode::GrandParent() const
{
    AKNode* parent = Parent();
    return parent ? parent->Parent() : nullptr;
}

AKNode* AKNode::TopRoot() const
{
    AKNode const* node = this;
    for (;;) {
        if (node->fPrev)
            node = node->fPrev;
        else if (node->fSup)
            node = node->fSup;
        else
            return const_cast<AKNode*>(node);
    }
}

AKNode* AKNode::FirstBrother() const
{
    AKNode const* node = this;
    while (node->fPrev)
        node = node->fPrev;
    return const_cast<AKNode*>(node);
}

AKNode* AKNode::LastBrother() const
{
    AKNode const* node = this;
    while (node->fNext)
        node = node->fNext;
    return const_cast<AKNode*>(node);
}

bool AKNode::IsOneOfPrevBrother(AKNode const* node) const
{
    if (node == nullptr)
        return false;
    for (AKNode const* brother = fPrev; brother; brother = brother->fPrev) {
        if (brother == node)
            return true;
    }
    return false;
}

bool AKNode::IsOneOfNextBrother(AKNode const* node) const
{
    if (node == nullptr)
        return false;
    for (AKNode const* brother = fNext; brother; brother = brother->fNext) {
        if (brother == node)
            return true;
    }
    return false;
}

AKNode* AKNode::LastChild() const { return fSub ? fSub->LastBrother() : nullptr; }

unsigned int AKNode::CountChildren() const
{
    unsigned int count = 0;
    for (AKNode const* child = fSub; child; child = child->fNext)
        ++count;
    return count;
}

unsigned int AKNode::CountNodesWithRChildren() const
{
    unsigned int count = 0;
    AKNodeWalkWithRChildren(this, [&count](AKNode const*) {
        ++count;
        return true;
    });
    return count;
}

bool AKNode::FindNodeWithRChildren(AKNode const* node) const
{
    for (; node; node = node->Parent()) {
        if (node == this)
            return true;
    }
    return false;
}

unsigned int AKNode::GetHierarchyLevel() const
{
    unsigned int level = 0;
    for (AKNode const* parent = Parent(); parent; parent = parent->Parent())
        ++level;
    return level;
}

bool AKNode::HasHierarchyLevel(unsigned int level) const { return GetHierarchyLevel() == level; }

void AKNode::GrabChildren(AKNodeArray* children) const
{
    children->Clear();
    for (AKNode* child = fSub; child; child = child->fNext)
        children->Push(child);
}

void AKNode::GrabNodeWithRChildren(AKNodeArray* nodes) const
{
    nodes->Clear();
    AKNodeWalkWithRChildren(this, [nodes](AKNode const* node) {
        nodes->Push(const_cast<AKNode*>(node));
        return true;
    });
}

// --- Linking ---

void AKNode::SetSup(AKNode* node)
{
    fSup = node;
    fSupID = IDOf(node);
    if (node == nullptr)
        return;
    fPrev = nullptr;
    fPrevID = kAKNullNodeID;
    node->fSub = this;
    node->fSubID = fID;
}

void AKNode::SetSub(AKNode* node)
{
    fSub = node;
    fSubID = IDOf(node);
    if (node == nullptr)
        return;
    node->fSup = this;
    node->fSupID = fID;
    node->fPrev = nullptr;
    node->fPrevID = kAKNullNodeID;
}

void AKNode::SetPrev(AKNode* node)
{
    fPrev = node;
    fPrevID = IDOf(node);
    if (node == nullptr)
        return;
    fSup = nullptr;
    fSupID = kAKNullNodeID;
    node->fNext = this;
    node->fNextID = fID;
}

void AKNode::SetNext(AKNode* node)
{
    fNext = node;
    fNextID = IDOf(node);
    if (node == nullptr)
        return;
    node->fSup = nullptr;
    node->fSupID = kAKNullNodeID;
    node->fPrev = this;
    node->fPrevID = fID;
}

void AKNode::SetLinkIDs(AKNodeID supID, AKNodeID subID, AKNodeID prevID, AKNodeID nextID)
{
    fSupID = supID;
    fSubID = subID;
    fPrevID = prevID;
    fNextID = nextID;
}

void AKNode::SetLinkPointers(AKNode* sup, AKNode* sub, AKNode* prev, AKNode* next)
{
    fSup = sup;
    fSub = sub;
    fPrev = prev;
    fNext = next;
}

void AKNode::Link(AKNode* chain, AKLinkMode mode)
{
    if (chain == nullptr)
        return;
    AKNode* tail = chain->LastBrother();
    switch (mode) {
    case kAKLinkModeFirstChildren: {
        AKNode* oldFirst = fSub;
        SetSub(chain);
        if (oldFirst)
            tail->SetNext(oldFirst);
        break;
    }
    case kAKLinkModeLastChildren:
        if (fSub)
            LastChild()->SetNext(chain);
        else
            SetSub(chain);
        break;
    case kAKLinkModeBefore:
        if (fSup)
            fSup->SetSub(chain);
        else if (fPrev)
            fPrev->SetNext(chain);
        tail->SetNext(this);
        break;
    case kAKLinkModeAfter: {
        AKNode* oldNext = fNext;
        SetNext(chain);
        if (oldNext)
            tail->SetNext(oldNext);
        break;
    }
    default:
        break;
    }
}

void AKNode::Unlink()
{
    if (fSup) {
        // A first child: the next brother takes over the parent's sub link.
        AKNode* parent = fSup;
        parent->fSub = fNext;
        parent->fSubID = IDOf(fNext);
        if (fNext) {
            fNext->fSup = parent;
            fNext->fSupID = parent->fID;
            fNext->fPrev = nullptr;
            fNext->fPrevID = kAKNullNodeID;
        }
    } else if (fPrev) {
        fPrev->fNext = fNext;
        fPrev->fNextID = IDOf(fNext);
        if (fNext) {
            fNext->fPrev = fPrev;
            fNext->fPrevID = fPrev->fID;
        }
    } else if (fNext) {
        fNext->fPrev = nullptr;
        fNext->fPrevID = kAKNullNodeID;
    }
    fSup = fPrev = fNext = nullptr;
    fSupID = fPrevID = fNextID = kAKNullNodeID;
}

// --- Checks ---

bool AKNode::CheckNodeLinks() const
{
    if (fSup && fPrev)
        return false;
    if (fSupID != kAKNullNodeID && fPrevID != kAKNullNodeID)
        return false;
    // A pointer agrees with its partner and with its link ID; a positive
    // link ID always has its pointer.
    if (fSup ? (fSup->fSub != this || fSupID != fSup->fID) : fSupID > 0)
        return false;
    if (fSub ? (fSub->fSup != this || fSubID != fSub->fID) : fSubID > 0)
        return false;
    if (fPrev ? (fPrev->fNext != this || fPrevID != fPrev->fID) : fPrevID > 0)
        return false;
    if (fNext ? (fNext->fPrev != this || fNextID != fNext->fID) : fNextID > 0)
        return false;
    return true;
}
