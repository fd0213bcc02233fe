// Nodes: creation from an object, ownership of the object, node memory, the
// class rules of linking, renumbering and the object check.

#include "AKNode.h"

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKLog.h"
#include "AKNodeAllocator.h"
#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"

int AKNode::sErrorNew = 0;

// --- Creating and deleting ---

AKNode* AKNode::NewNodeWithObject(AKNodeAllocator& allocator, AKContextObject const* context, AKNodeID nodeID,
                                  AKObject* object)
{
    if (object == nullptr) {
        sErrorNew = -1;
        return nullptr;
    }
    if (object->GetNodeOwner() != nullptr) {
        sErrorNew = kAKErrorTreeNodeYetOwnedObject;
        return nullptr;
    }
    sErrorNew = 0;
    return new (&allocator) AKNode(&allocator, context, nodeID, object);
}

AKNode::AKNode(AKNodeAllocator* allocator, AKContextObject const* context, AKNodeID nodeID, AKObject* object)
    : fAllocator(allocator), fObject(object), fID(nodeID)
{
    if (object == nullptr)
        return;
    if (object->GetContext() != nullptr && object->GetContext() != context)
        AKLogWarning(kAKWarningTreeContextObjectIsWrong, "Object has wrong context (fixed)");
    object->_SetNodeOwner(this);
    object->_SetContext(context);
}

AKNode::~AKNode()
{
    if (fObject == nullptr)
        return;
    AKString classID = fObject->GetClassID().GetName();
    AKObject* object = DetachOwnedObject();
    AKLogWarning(kAKWarningTreeNodeDeletedStillOwner,
                 "Delete a node of class <%s> still owner of its object (force deletion)", classID.c_str());
    AKClass::DeleteObject(object);
}

void* AKNode::operator new(std::size_t, AKNodeAllocator* allocator) { return allocator->AllocateNodeMemory(); }

void AKNode::operator delete(void* memory)
{
    if (memory == nullptr)
        return;
    // The allocator field is the first of the slot and the destructor leaves
    // it alone; the read is volatile so that it is made from the slot itself.
    AKNodeAllocator* const volatile* field = static_cast<AKNodeAllocator* const volatile*>(memory);
    AKNodeAllocator* allocator = *field;
    if (allocator)
        allocator->FreeNodeMemory(memory);
}

void AKNode::operator delete(void* memory, AKNodeAllocator* allocator)
{
    if (memory && allocator)
        allocator->FreeNodeMemory(memory);
}

AKObject* AKNode::DetachOwnedObject()
{
    AKObject* object = fObject;
    if (object == nullptr)
        return nullptr;
    object->_SetNodeOwner(nullptr);
    object->_SetContext(nullptr);
    fObject = nullptr;
    return object;
}

// --- Class rules ---

AKClass const** AKNode::GetObjectAuthoChildClasses() const
{
    return fObject ? fObject->akmGetAuthoChildClasses() : nullptr;
}

bool AKNode::CanAcceptChildren() const
{
    AKClass const** allowed = GetObjectAuthoChildClasses();
    return allowed != nullptr && allowed[0] != nullptr;
}

bool AKNode::CanParentTakeClass(AKClass const* const* allowed, AKClass const* objectClass) const
{
    if (allowed == nullptr || objectClass == nullptr)
        return false;
    for (; *allowed; ++allowed) {
        if (objectClass->IsKindOfClass(*allowed))
            return true;
    }
    return false;
}

bool AKNode::CanAcceptChildrenOfClass(AKClass const* objectClass) const
{
    return CanParentTakeClass(GetObjectAuthoChildClasses(), objectClass);
}

AKNode* AKNode::FutureParent(AKLinkMode mode) const
{
    switch (mode) {
    case kAKLinkModeFirstChildren:
    case kAKLinkModeLastChildren:
        return const_cast<AKNode*>(this);
    case kAKLinkModeBefore:
    case kAKLinkModeAfter:
        return Parent();
    default:
        return nullptr;
    }
}

namespace {

// The allowed child classes of the node that would receive children linked
// at `target` with `mode`, null when that node takes none.
AKClass const** AllowedAt(AKNode* parent)
{
    if (parent == nullptr || !parent->CanAcceptChildren())
        return nullptr;
    return parent->GetObjectAuthoChildClasses();
}

}  // namespace

bool AKNode::CanLinkWithObjects(ATObjectArray<AKObject> const& objects, AKLinkMode mode) const
{
    if (objects.IsEmpty())
        return false;
    AKClass const** allowed = AllowedAt(FutureParent(mode));
    if (allowed == nullptr)
        return false;
    for (AKObject const* object : objects) {
        if (object == nullptr || !CanParentTakeClass(allowed, object->GetClass()))
            return false;
    }
    return true;
}

bool AKNode::CanLinkWithNodes(AKNodeArray const& nodes, AKLinkMode mode) const
{
    if (nodes.IsEmpty())
        return false;
    AKClass const** allowed = AllowedAt(FutureParent(mode));
    if (allowed == nullptr)
        return false;
    for (AKNode const* node : nodes) {
        AKObject const* object = node ? node->GetObject() : nullptr;
        if (object == nullptr || !CanParentTakeClass(allowed, object->GetClass()))
            return false;
    }
    return true;
}

bool AKNode::CanLinkWithObjectsOfClass(AKClassArray const& classes, AKLinkMode mode) const
{
    if (classes.IsEmpty())
        return false;
    AKClass const** allowed = AllowedAt(FutureParent(mode));
    if (allowed == nullptr)
        return false;
    for (AKClass const* objectClass : classes) {
        if (!CanParentTakeClass(allowed, objectClass))
            return false;
    }
    return true;
}

bool AKNode::CanLinkWithObjectsOfClass(AKClass const* objectClass, AKLinkMode mode) const
{
    if (objectClass == nullptr)
        return false;
    return CanParentTakeClass(AllowedAt(FutureParent(mode)), objectClass);
}

// --- Renumbering and checks ---

int AKNode::RenumberIDs(AKTreeRenum const& renum, bool keepNegative)
{
    if (!renum.MatchID(&fID, false))
        return kAKErrorTreeNodeBadID;
    AKNodeID* links[] = {&fSupID, &fSubID, &fPrevID, &fNextID};
    for (AKNodeID* link : links) {
        if (!renum.MatchID(link, keepNegative))
            return kAKErrorTreeNodeBadID;
    }
    if (fObject && fObject->HasOption(kAKObjectOptionRenumberNodeIDs) && fObject->akmRenumberExtraNodeIDs(renum) != 0)
        return kAKErrorTreeNodeBadID;
    return 0;
}

bool AKNode::CheckNodeObject(AKContextObject const* context) const
{
    return fObject != nullptr && fObject->GetNodeOwner() == this && fObject->GetContext() == context;
}
