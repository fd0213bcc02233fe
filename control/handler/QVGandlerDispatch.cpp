// The dispatch table of the command handler: which executor runs each
// command ID, whether the document's master-mode lock refuses it, and what
// CanGenericCommand answers for it.

#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerDispatchTable.h"
#include "QVObjectTrack.h"
#include "QVTreeHandler.h"

int QVGandler::ConvertCommandID(int commandID, AKTreeSel const& selection)
{
    if (selection.HasTimeSel()) {
        switch (commandID) {
        case kQVCmdID_EditCut:
            return kQVCmdID_TrackPartCut;
        case kQVCmdID_EditCopy:
            return kQVCmdID_TrackPartCopy;
        case kQVCmdID_EditPaste:
            return kQVCmdID_TrackPartPaste;
        case kQVCmdID_EditDuplicate:
            return kQVCmdID_TrackPartDuplicate;
        case kQVCmdID_EditDelete:
            return kQVCmdID_TrackPartDelete;
        default:
            return commandID;
        }
    }
    if (commandID == kQVCmdID_EditPaste && !selection.IsEmpty() &&
        selection.HasAllNodesOfClass(QVObjectTrack::_Class()))
        return kQVCmdID_TrackPartPaste;
    return commandID;
}

bool QVGandler::CanGenericCommand(int commandID, QVGandlerParam const& param) const
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    if (handler == nullptr)
        return false;
    AKTreeActionParam const& action = param.GetTreeActionParam();
    int const converted = ConvertCommandID(commandID, action.GetTreeSel());
    QVGandlerDispatchRow const* const row = QVGandlerFindDispatchRow(converted);
    if (row == nullptr || row->run == nullptr)
        return false;
    if (row->lockable && document->IsDocumentMasterModeLocked())
        return false;
    return row->can == nullptr || row->can(*handler, converted, action);
}

int QVGandler::DoGenericCommand(int commandID, QVGandlerParam& param, bool withDialog)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    if (TreeHandlerOf(document) == nullptr)
        return -1;
    int const converted = ConvertCommandID(commandID, param.GetTreeActionParam().GetTreeSel());
    QVGandlerDispatchRow const* const row = QVGandlerFindDispatchRow(converted);
    if (row == nullptr || row->run == nullptr)
        return -1;
    if (row->lockable && document->IsDocumentMasterModeLocked())
        return -1;
    return row->run(*this, converted, param, withDialog);
}

bool QVGandler::GetUndoRedoState(int commandID, QVGandlerParam const& param, AKString* label) const
{
    AKString text;
    bool possible = false;
    if (commandID == kQVCmdID_EditUndo || commandID == kQVCmdID_EditRedo) {
        bool const redo = commandID == kQVCmdID_EditRedo;
        text = QVCommands::GetByID(commandID)->GetMenuLabel();
        QVTreeHandler* const handler = TreeHandlerOf(GetTargetOrDefaultDocument(param));
        if (handler != nullptr) {
            AKString name;
            possible = redo ? handler->CanRedo(nullptr, &name) : handler->CanUndo(nullptr, &name);
            if (!name.IsEmpty())
                text = text + AKString(" ") + name;
        }
    }
    if (label != nullptr)
        *label = text;
    return possible;
}
