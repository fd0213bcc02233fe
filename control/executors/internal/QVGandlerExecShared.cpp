#include "QVGandlerExecShared.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "QVGandlerLibext.h"
#include "QVGandlerParam.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

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
        AKObject* object = target;
        status = handler->DoEasyMoveObject(nullptr, &object, sequence, kAKLinkModeLastChildren);
    } else if (withPlayer) {
        status = handler->DoEasyNewCursor(nullptr, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren);
    } else {
        return 0;
    }
    if (status == 0)
        sequence->AutoSetupPlayableFollow();
    return status;
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
