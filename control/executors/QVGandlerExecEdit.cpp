// Edit commands: undo and redo, the pasteboard, duplicate and delete,
// rename, the record of a change made directly to objects, and a player
// made from a model. Except for the model, each runs one operation of the
// tree handler that records its own undo step; the model's group also holds
// the setup of the sequence the new player joins.

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
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

// --- Undo and redo ---

int QVGandler::LowUndoOrRedo(QVGandlerParam& param, bool redo)
{
    char const* const word = redo ? "Redo" : "Undo";
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    if (document == nullptr) {
        VerboseCommand("%s", word);
        int const status = CheckDocument(document);
        VerboseResult(status, false, nullptr);
        return status;
    }
    QVTreeHandler* const handler = TreeHandlerOf(document);
    if (handler == nullptr)
        return 0;
    AKTreeActionParam& action = param.GetTreeActionParam();
    int commandID = 0;
    AKString name;
    bool const possible = redo ? handler->CanRedo(&commandID, &name) : handler->CanUndo(&commandID, &name);
    action.SetActionName(commandID, name);
    if (!possible)
        return 0;
    VerboseCommand("%s (%s)", word, name.c_str());
    int const status = redo ? handler->DoRedo(action) : handler->DoUndo(action);
    NotifyIfDone(document, status, action);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_EditUndo(QVGandlerParam& param) { return LowUndoOrRedo(param, false); }

int QVGandler::DoCmd_EditRedo(QVGandlerParam& param) { return LowUndoOrRedo(param, true); }

// --- Pasteboard, duplicate, delete ---

namespace {

// The shape of the edits that act on the selection through one operation
// of the tree handler: echo, action name, document, check, operation,
// notification, result line.
template <class Check, class Operation>
int RunSelectionEdit(QVGandlerParam& param, QVCommandInfo const& command, char const* word, bool echoSelection,
                     Check check, Operation operation)
{
    QVDocument* const document = QVGandler::GetTargetOrDefaultDocument(param);
    AKTreeActionParam& action = param.GetTreeActionParam();
    if (echoSelection)
        QVGandler::VerboseCommandWithTreeSel(action.GetTreeSel(), "%s", word);
    else
        QVGandler::VerboseCommand("%s", word);
    action.SetActionName(command);
    int status = QVGandler::CheckDocument(document);
    QVTreeHandler* const handler = QVGandler::TreeHandlerOf(document);
    if (status == 0 && handler == nullptr)
        status = QVGandler::CheckDocument(nullptr);
    if (status == 0)
        status = QVGandler::TreatAndVerboseError(check(*handler, action));
    if (status == 0) {
        status = operation(*handler, action);
        QVGandler::NotifyIfDone(document, status, action);
    }
    QVGandler::VerboseResult(status, false, nullptr);
    return status;
}

}  // namespace

int QVGandler::DoCmd_EditCut(QVGandlerParam& param)
{
    return RunSelectionEdit(
        param, kQVCmd_EditCut, "Cut", true,
        [](QVTreeHandler& handler, AKTreeActionParam const& action) { return handler.CheckCutToPasteboard(action); },
        [](QVTreeHandler& handler, AKTreeActionParam& action) { return handler.DoCutToPasteboard(action, nullptr); });
}

int QVGandler::DoCmd_EditCopy(QVGandlerParam& param, AKTreeSelCache* store)
{
    return RunSelectionEdit(
        param, kQVCmd_EditCopy, "Copy", true,
        [](QVTreeHandler& handler, AKTreeActionParam const& action) { return handler.CheckCopyToPasteboard(action); },
        [store](QVTreeHandler& handler, AKTreeActionParam& action) {
            return handler.DoCopyToPasteboard(action, store);
        });
}

int QVGandler::DoCmd_EditPaste(QVGandlerParam& param, AKTreeSelCache const* store)
{
    // Checked against the store the paste reads (the shared pasteboard when
    // none is given), so a paste from a player model is not refused because
    // the shared pasteboard is empty.
    return RunSelectionEdit(
        param, kQVCmd_EditPaste, "Paste", false,
        [store](QVTreeHandler& handler, AKTreeActionParam const& action) {
            return handler.CheckPasteFromPasteboard(action, store, nullptr, nullptr);
        },
        [store](QVTreeHandler& handler, AKTreeActionParam& action) {
            return handler.DoPasteFromPasteboard(action, store, AKString());
        });
}

int QVGandler::DoCmd_EditDuplicate(QVGandlerParam& param)
{
    return RunSelectionEdit(
        param, kQVCmd_EditDuplicate, "Duplicate", true,
        [](QVTreeHandler& handler, AKTreeActionParam const& action) { return handler.CheckDuplicate(action); },
        [](QVTreeHandler& handler, AKTreeActionParam& action) { return handler.DoDuplicate(action); });
}

int QVGandler::DoCmd_EditDelete(QVGandlerParam& param)
{
    return RunSelectionEdit(
        param, kQVCmd_EditDelete, "Delete", true,
        [](QVTreeHandler& handler, AKTreeActionParam const& action) { return handler.CheckDelete(action); },
        [](QVTreeHandler& handler, AKTreeActionParam& action) { return handler.DoDelete(action); });
}

// --- Player model ---

int QVGandler::DoCmd_EditPasteModel(QVGandlerParam& param)
{
    unsigned int modelID = 0;
    AKTime timeAt = 0.0;
    param.GetOptionAsUInt("ModelID", &modelID);
    param.GetOptionAsAKTime("TimeAt", &timeAt);
    VerboseCommand("Paste Model WithModelID:%u", modelID);
    AKTreeActionParam& action = param.GetTreeActionParam();
    action.SetActionName(kQVCmd_EditPasteModel);
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCanBeModified());
    if (status == 0) {
        // The undo step reads like a new player's.
        handler->DoEasyStart(kQVCmd_CursorNew, nullptr);
        AKNode* const target = action.GetTargetNode();
        QVObjectPlayable* player = nullptr;
        status = handler->DoEasyNewCursorFromModel(
            &player, modelID, timeAt, target != nullptr ? target->GetObject() : nullptr, kAKLinkModeLastChildren);
        // A player made inside a sequence gets its label there, in this step.
        AKNode const* const node = player != nullptr ? player->GetNodeOwner() : nullptr;
        AKObject* const parent = node != nullptr && node->Parent() != nullptr ? node->Parent()->GetObject() : nullptr;
        if (status == 0 && parent != nullptr && parent->IsKindOfT<QVObjectSequence>())
            status = QVGandlerExec_SetupJoinedSequence(handler, static_cast<QVObjectSequence*>(parent));
        ATObjectArray<AKObject> made;
        if (player != nullptr)
            made.Push(player);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_CursorNew, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

// --- Rename and revise ---

int QVGandler::DoCmd_EditRename(QVGandlerParam& param, bool)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKTreeSel const& selection = action.GetTreeSel();
    AKObject* const object = selection.CountNodes() == 1 ? selection.GetObjects()[0] : nullptr;
    AKString name;
    bool const found = param.GetOptionAsAKString("Name", &name);
    VerboseCommandWithTreeSel(selection, "Rename:\"%s\"", name.c_str());
    action.SetActionName(kQVCmd_EditRename);
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && object == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0 && !found)
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "Name");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckRename(action));
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }
    if (!object->akmSetName(name, false)) {
        VerboseResult(0, false, "Unchanged");
        return 0;
    }
    // Successive renames of one selection make one undo step.
    action.WithOverrideHistory(true);
    status = handler->DoReviseObjects(action, kAKNullDictionary, false);
    NotifyIfDone(document, status, action);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_EditRevise(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    VerboseCommandWithTreeSel(action.GetTreeSel(), "Modify (%s)", action.GetActionName().c_str());
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckReviseObjects(action));
    if (status == 0) {
        status = handler->DoReviseObjects(action, kAKNullDictionary, false);
        NotifyIfDone(document, status, action);
    }
    VerboseResult(status, false, nullptr);
    return status;
}
