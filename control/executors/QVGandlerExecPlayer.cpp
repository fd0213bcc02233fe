// Player and plug-in commands: new players, a sub added to a multi-player,
// players grouped into one multi-player, players attached to a sequence or
// detached from it, and a playable's plug-in set or removed. Each edit is
// one undo step.

#include "AKClass.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerExecShared.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVPluginDescUID.h"
#include "QVTreeHandler.h"

namespace {

AKObject* TargetObject(AKTreeActionParam const& action)
{
    AKNode* const node = action.GetTargetNode();
    return node != nullptr ? node->GetObject() : nullptr;
}

// The one selected object when it is a playable, else null.
QVObjectPlayable* SelectedPlayable(AKTreeSel const& selection)
{
    if (selection.CountNodes() != 1)
        return nullptr;
    AKObject* const object = selection.GetObjects()[0];
    return object != nullptr && object->IsKindOfT<QVObjectPlayable>() ? static_cast<QVObjectPlayable*>(object)
                                                                      : nullptr;
}

}  // namespace

int QVGandler::DoCmd_CursorNew(QVGandlerParam& param)
{
    unsigned int subCount = 0;
    AKString name;
    param.GetOptionAsUInt("SubCount", &subCount);
    param.GetOptionAsAKString("Name", &name);
    VerboseCommand("Cursor New WithSubCount:%u WithName:\"%s\"", subCount, QVGandlerExec_NameOrDefault(name));
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKTreeActionParam& action = param.GetTreeActionParam();
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCanBeModified());
    if (status == 0) {
        handler->DoEasyStart(kQVCmd_CursorNew, nullptr);
        QVObjectPlayable* player = nullptr;
        status = handler->DoEasyNewCursor(&player, name, subCount, 0.0, nullptr, kAKLinkModeLastChildren);
        ATObjectArray<AKObject> made;
        if (player != nullptr)
            made.Push(player);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_CursorNew, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_CursorAddNewAtomic(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKObject* const target = TargetObject(action);
    QVObjectCursor* const cursor =
        target != nullptr && target->IsKindOfT<QVObjectCursor>() ? static_cast<QVObjectCursor*>(target) : nullptr;
    VerboseCommand("Cursor AddNewAtomic To:#%d", cursor != nullptr ? action.GetTargetNode()->GetID() : 0);
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && cursor == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCursorAddNewAtomic(action));
    if (status == 0) {
        handler->DoEasyStart(kQVCmd_CursorAddNewAtomic, nullptr);
        QVObjectPlayable* sub = nullptr;
        status = handler->DoEasyNewCursor(&sub, AKString(), 0, 0.0, cursor, kAKLinkModeLastChildren);
        ATObjectArray<AKObject> made;
        if (sub != nullptr)
            made.Push(sub);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_CursorAddNewAtomic, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_CursorGroup(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKTreeSel const& selection = action.GetTreeSel();
    VerboseCommandWithTreeSel(selection, "Cursor Group");
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCursorGroup(action));
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }
    handler->DoEasyStart(kQVCmd_CursorGroup, nullptr);
    ATObjectArray<AKObject> const selected = selection.GetObjects();

    // The destination: the target multi-player when selected, else the
    // first selected multi-player, else a new one.
    AKObject* destination = nullptr;
    AKObject* const target = TargetObject(action);
    if (target != nullptr && target->IsKindOfT<QVObjectCursor>() && selected.Find(target, nullptr))
        destination = target;
    for (unsigned int i = 0; destination == nullptr && i < selected.Count(); ++i) {
        if (selected[i] != nullptr && selected[i]->IsKindOfT<QVObjectCursor>())
            destination = selected[i];
    }
    if (destination == nullptr) {
        auto* const cursor = AKNew<QVObjectCursor>("%s", "");
        AKNode* const commonParent = selection.GetCommonParent();
        AKObject* parent = commonParent != nullptr ? commonParent->GetObject() : nullptr;
        if (parent != nullptr && parent->IsKindOfT<QVObjectSequence>()) {
            auto* const sequence = static_cast<QVObjectSequence*>(parent);
            if (cursor != nullptr) {
                cursor->LowSetUserTimeAndSpan(sequence->GetUserTime(), sequence->GetUserSpan(), false);
                cursor->SetUserSpeed(0.0);
            }
        } else {
            parent = handler->GetFolderCursor();
        }
        AKObject* object = cursor;
        status = cursor != nullptr ? handler->DoEasyAddNewObject(&object, parent, kAKLinkModeLastChildren)
                                   : AKClass::GetErrorNew();
        destination = object;
    }

    ATObjectArray<AKObject> emptied;
    for (unsigned int i = 0; status == 0 && i < selected.Count(); ++i) {
        AKObject* object = selected[i];
        if (object == nullptr || object == destination)
            continue;
        if (object->IsKindOfT<QVObjectCursor>()) {
            ATObjectArray<AKObject> subs;
            object->GrabChildren(&subs);
            status = handler->DoEasyMoveObjects(nullptr, &subs, destination, kAKLinkModeLastChildren);
            if (status == 0)
                emptied.Push(object);
        } else if (object->IsKindOfT<QVObjectZlayer>()) {
            status = handler->DoEasyMoveObject(nullptr, &object, destination, kAKLinkModeLastChildren);
        }
    }
    if (status == 0 && !emptied.IsEmpty())
        status = handler->DoEasyDeleteObjects(&emptied);
    ATObjectArray<AKObject> made;
    if (destination != nullptr)
        made.Push(destination);
    status = EndGroupAndNotify(document, handler, action, kQVCmd_CursorGroup, made, status);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::LowCursorAttachOrDetach(QVGandlerParam& param, bool attach)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    VerboseCommandWithTreeSel(action.GetTreeSel(), attach ? "Attach" : "Detach");
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    QVObjectPlayableArray players;
    QVObjectSequence* sequence = nullptr;
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(attach ? handler->CheckCursorAttach(action, &players, &sequence)
                                             : handler->CheckCursorDetach(action, &players));
    if (status == 0) {
        QVCommandInfo const& command = attach ? kQVCmd_CursorAttach : kQVCmd_CursorDetach;
        AKObject* const destination = attach ? static_cast<AKObject*>(sequence) : handler->GetFolderCursor();
        ATObjectArray<AKObject> moving;
        for (unsigned int i = 0; i < players.Count(); ++i)
            moving.Push(players[i]);
        ATObjectArray<AKObject> const made = moving;
        handler->DoEasyStart(command, nullptr);
        bool moved = false;
        status = QVGandlerExec_RecordBeforeMoving(handler, attach ? sequence : nullptr, moving);
        if (status == 0)
            status = handler->DoEasyMoveObjects(&moved, &moving, destination, kAKLinkModeLastChildren);
        // Players already in the sequence change nothing that needs a step.
        if (status == 0 && attach && moved)
            status = QVGandlerExec_SetupJoinedSequence(handler, sequence);
        else if (status == 0 && attach)
            sequence->AutoSetupPlayableFollow();
        if (status == 0 && !moved) {
            // Nothing changed: no result, nobody told.
            handler->DoEasyEnd();
        } else {
            status = EndGroupAndNotify(document, handler, action, command, made, status);
        }
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_CursorAttach(QVGandlerParam& param) { return LowCursorAttachOrDetach(param, true); }

int QVGandler::DoCmd_CursorDetach(QVGandlerParam& param) { return LowCursorAttachOrDetach(param, false); }

int QVGandler::LowPlayablePlug(QVGandlerParam& param, bool plug)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    QVObjectPlayable* const playable = SelectedPlayable(action.GetTreeSel());
    QVPluginDescUID uid = kQVNullPluginDescUID;
    bool const found = plug && param.GetOptionAsUInt("PluginDescUID", &uid);
    if (plug) {
        char text[kQVPluginDescUIDTextSize];
        VerboseCommandWithTreeSel(action.GetTreeSel(), "Plug:\"%s\"", strSetasQVPluginDescUID(text, uid));
    } else {
        VerboseCommandWithTreeSel(action.GetTreeSel(), "PlugNone");
    }
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && playable == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0 && plug && !found)
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "PluginDescUID");
    if (status == 0)
        status =
            TreatAndVerboseError(plug ? handler->CheckPlayablePlug(action) : handler->CheckPlayablePlugNone(action));
    // Changed first, recorded after, only when it changed.
    if (status == 0 && playable->AttachPlugin(plug ? uid : kQVNullPluginDescUID)) {
        QVCommandInfo const& command = plug ? kQVCmd_PlayablePlug : kQVCmd_PlayablePlugNone;
        handler->DoEasyStart(command, nullptr);
        AKObject* object = playable;
        status = handler->DoEasyReviseObject(&object, kAKNullDictionary, false);
        ATObjectArray<AKObject> made;
        made.Push(playable);
        status = EndGroupAndNotify(document, handler, action, command, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_PlayablePlug(QVGandlerParam& param) { return LowPlayablePlug(param, true); }

int QVGandler::DoCmd_PlayablePlugNone(QVGandlerParam& param) { return LowPlayablePlug(param, false); }
