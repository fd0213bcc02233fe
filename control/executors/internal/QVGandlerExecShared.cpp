#include "QVGandlerExecShared.h"

#include "AKDictionary.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "QVGandlerLibext.h"
#include "QVGandlerParam.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

#include <vector>

char const* QVGandlerExec_NameOrDefault(AKString const& name) { return name.IsEmpty() ? "<Default>" : name.c_str(); }

int QVGandlerExec_CheckTargetPlayable(AKTreeActionParam const& action, QVObjectPlayable** target)
{
    *target = nullptr;
    AKNode* const node = action.GetTargetNode();
    AKObject* const object = node != nullptr ? node->GetObject() : nullptr;
    if (object == nullptr)
        return 0;
    if (!object->IsKindOfT<QVObjectPlayable>())
        return AKLogError(kQVErrorGandlerTargetBadType, "Target bad type");
    *target = static_cast<QVObjectPlayable*>(object);
    return 0;
}

int QVGandlerExec_AddPlayerToNewSequence(QVTreeHandler* handler, QVObjectSequence* sequence, QVObjectPlayable* target,
                                         bool withPlayer)
{
    int status;
    if (target != nullptr) {
        ATObjectArray<AKObject> joining;
        joining.Push(target);
        status = QVGandlerExec_RecordBeforeMoving(handler, sequence, joining);
        AKObject* object = target;
        if (status == 0)
            status = handler->DoEasyMoveObject(nullptr, &object, sequence, kAKLinkModeLastChildren);
    } else if (withPlayer) {
        status = handler->DoEasyNewCursor(nullptr, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren);
    } else {
        return 0;
    }
    if (status == 0)
        status = QVGandlerExec_SetupJoinedSequence(handler, sequence);
    return status;
}

int QVGandlerExec_RecordBeforeMoving(QVTreeHandler* handler, QVObjectSequence* destination,
                                     ATObjectArray<AKObject> const& moving)
{
    AKNode const* const target = destination != nullptr ? destination->GetNodeOwner() : nullptr;
    ATObjectArray<AKObject> recorded;
    for (AKObject* object : moving) {
        AKNode const* const node = object != nullptr ? object->GetNodeOwner() : nullptr;
        if (node == nullptr || !object->IsKindOfT<QVObjectZlayer>())
            continue;
        AKNode const* const parent = node->Parent();
        if (parent == target)
            continue;
        AKObject* const owner = parent != nullptr ? parent->GetObject() : nullptr;
        if (owner != nullptr && owner->IsKindOfT<QVObjectSequence>() &&
            static_cast<QVObjectSequence*>(owner)->GetFollowID() == node->GetID() && !recorded.Find(owner, nullptr))
            recorded.Push(owner);
        if (target != nullptr && static_cast<QVObjectPlayable*>(object)->GetUIColorLabel() == 0)
            recorded.Push(object);
    }
    return handler->DoEasyReviseObjects(&recorded, kAKNullDictionary, false);
}

int QVGandlerExec_SetupJoinedSequence(QVTreeHandler* handler, QVObjectSequence* sequence)
{
    ATObjectArray<AKObject> children;
    sequence->GrabChildren(&children);
    std::vector<unsigned int> labels;
    for (AKObject* child : children)
        labels.push_back(child != nullptr && child->IsKindOfT<QVObjectZlayer>()
                             ? static_cast<QVObjectPlayable*>(child)->GetUIColorLabel()
                             : 0);
    AKNodeID const followed = sequence->GetFollowID();
    AKNodeID const saved = sequence->GetPlayableFollowID(nullptr);

    sequence->AutoSetupPlayableFollow();

    ATObjectArray<AKObject> changed;
    if (sequence->GetFollowID() != followed || sequence->GetPlayableFollowID(nullptr) != saved)
        changed.Push(sequence);
    for (unsigned int i = 0; i < children.Count(); ++i) {
        AKObject* const child = children[i];
        if (child != nullptr && child->IsKindOfT<QVObjectZlayer>() &&
            static_cast<QVObjectPlayable*>(child)->GetUIColorLabel() != labels[i])
            changed.Push(child);
    }
    return handler->DoEasyReviseObjects(&changed, kAKNullDictionary, false);
}

bool QVGandlerExec_GatherSoundPaths(QVGandlerParam const& param, bool withDialog, QVGandlerLibext& libext,
                                    AKFilePathArray* kept)
{
    AKFilePathArray paths;
    AKFilePath one;
    bool const foundList = param.GetOptionAsAKFilePathArray("SoundPaths", &paths);
    bool const foundOne = !foundList && param.GetOptionAsAKFilePath("SoundPath", &one);
    if (foundOne)
        paths.Push(one);
    if (!foundList && !foundOne && withDialog) {
        if (!libext.DoDialogOpenSoundFiles(&paths, "Load Sound-Files", true))
            return false;
    }
    for (unsigned int i = 0; i < paths.Count(); ++i) {
        if (!paths[i].IsEmpty())
            kept->Push(paths[i]);
    }
    return true;
}
