// The steps under the current command: each builds a record of the
// handler's tree named after the current command, with the objects as a
// normalised selection (or as new objects) and the target object's node with
// the link mode, and calls the virtual action. An empty list does nothing.

#include "AKTreeHandler.h"

#include "AKClass.h"
#include "AKContextObject.h"
#include "AKDictionary.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeSelBuilders.h"

namespace {

bool IsEmptyList(ATObjectArray<AKObject> const* objects) { return objects == nullptr || objects->IsEmpty(); }

// The tree whose nodes own the objects: that of the first one's context, or
// the handler's when it has none.
AKTree* SourceTreeOf(ATObjectArray<AKObject> const& objects, AKTree* handlerTree)
{
    AKObject const* first = objects[0];
    if (first == nullptr || first->GetContext() == nullptr || first->GetContext()->GetTree() == nullptr)
        return handlerTree;
    // A selection names its tree without changing it.
    return const_cast<AKTree*>(first->GetContext()->GetTree());
}

// Deletes, through their class, the objects of the list that no node owns
// (an object that reached the tree, or was in a tree already, stays), and
// empties the list. Answers how many were deleted.
unsigned int DeleteDetachedObjects(ATObjectArray<AKObject>& objects)
{
    ATObjectArray<AKObject> detached;
    for (AKObject* object : objects) {
        // A list may name the same object twice; it is deleted once.
        if (object != nullptr && object->GetNodeOwner() == nullptr)
            detached.PushUniqueItem(object);
    }
    unsigned int const count = detached.Count();
    AKDeletes(detached);
    objects.Clear();
    return count;
}

}  // namespace

AKTreeActionParam AKTreeHandler::NewEasyParam(bool withClient) const
{
    AKTreeActionParam param(fTree);
    param.SetActionName(fCurrentCommand);
    if (withClient)
        param.WithPostTreatmentClient(fCurrentClient);
    return param;
}

// --- Lists ---

int AKTreeHandler::DoEasyDeleteObjects(ATObjectArray<AKObject>* objects)
{
    if (IsEmptyList(objects))
        return 0;
    AKTreeActionParam param = NewEasyParam(false);
    param.WithTreeObjects(*objects);
    int status = DoDelete(param);
    objects->Clear();
    return status;
}

int AKTreeHandler::DoEasyAddNewObjects(ATObjectArray<AKObject>* objects, AKObject* target, AKLinkMode mode)
{
    if (IsEmptyList(objects))
        return 0;
    AKTreeActionParam param = NewEasyParam(true);
    param.WithNewObjects(*objects).WithTargetObject(target, mode);
    int status = DoAddNewObjects(param);
    // A failure after the objects reached the tree (the step could not be
    // recorded) leaves them there: only detached objects are deleted.
    if (status != 0)
        DeleteDetachedObjects(*objects);
    return status;
}

int AKTreeHandler::DoEasyMoveObjects(bool* moved, ATObjectArray<AKObject>* objects, AKObject* target, AKLinkMode mode)
{
    if (moved != nullptr)
        *moved = false;
    if (IsEmptyList(objects))
        return 0;
    AKTreeActionParam param = NewEasyParam(true);
    param.WithTreeObjects(*objects).WithTargetObject(target, mode);
    int status = DoMoveTo(param);
    if (moved != nullptr)
        *moved = status == 0 && param.GetResultFlags() != 0;
    return status;
}

int AKTreeHandler::DoEasyCopyObjects(ATObjectArray<AKObject>* copies, ATObjectArray<AKObject>* objects,
                                     AKObject* target, AKLinkMode mode)
{
    if (copies != nullptr)
        copies->Clear();
    if (IsEmptyList(objects))
        return 0;
    AKTreeActionParam param = NewEasyParam(true);
    // The objects may be those of another document.
    param.WithFarTreeSel(AKTreeSelWithObjects(SourceTreeOf(*objects, fTree), *objects)).WithTargetObject(target, mode);
    int status = DoCopyTo(param);
    if (status == 0 && copies != nullptr)
        *copies = param.GetResultTreeSel().GetObjects();
    return status;
}

int AKTreeHandler::DoEasyReviseObjects(ATObjectArray<AKObject>* objects, AKDictionary const& moreInfo,
                                       bool withChildren)
{
    if (IsEmptyList(objects))
        return 0;
    AKTreeActionParam param = NewEasyParam(false);
    param.WithTreeObjects(*objects);
    return DoReviseObjects(param, moreInfo, withChildren);
}

// --- Single objects ---

int AKTreeHandler::DoEasyDeleteObject(AKObject** object)
{
    if (object == nullptr || *object == nullptr)
        return 0;
    ATObjectArray<AKObject> objects;
    objects.Push(*object);
    *object = nullptr;
    return DoEasyDeleteObjects(&objects);
}

int AKTreeHandler::DoEasyAddNewObject(AKObject** object, AKObject* target, AKLinkMode mode)
{
    if (object == nullptr || *object == nullptr)
        return 0;
    AKTreeActionParam param = NewEasyParam(true);
    param.WithNewObject(*object).WithTargetObject(target, mode);
    int status = DoAddNewObjects(param);
    if (status != 0) {
        ATObjectArray<AKObject> objects;
        objects.Push(*object);
        if (DeleteDetachedObjects(objects) != 0)
            *object = nullptr;
    }
    return status;
}

int AKTreeHandler::DoEasyMoveObject(bool* moved, AKObject** object, AKObject* target, AKLinkMode mode)
{
    ATObjectArray<AKObject> objects;
    if (object != nullptr && *object != nullptr)
        objects.Push(*object);
    return DoEasyMoveObjects(moved, &objects, target, mode);
}

int AKTreeHandler::DoEasyCopyObject(ATObjectArray<AKObject>* copies, AKObject** object, AKObject* target,
                                    AKLinkMode mode)
{
    ATObjectArray<AKObject> objects;
    if (object != nullptr && *object != nullptr)
        objects.Push(*object);
    return DoEasyCopyObjects(copies, &objects, target, mode);
}

int AKTreeHandler::DoEasyReviseObject(AKObject** object, AKDictionary const& moreInfo, bool withChildren)
{
    ATObjectArray<AKObject> objects;
    if (object != nullptr && *object != nullptr)
        objects.Push(*object);
    return DoEasyReviseObjects(&objects, moreInfo, withChildren);
}
