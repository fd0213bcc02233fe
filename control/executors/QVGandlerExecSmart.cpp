// Smart commands: what dropping objects onto a target means. Tracks dropped
// onto the sequence folder leave (or are copied out of) their sequence into
// a new one; anything else is moved or copied to the target with the
// record's link mode. One undo step each.

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
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandler.h"

namespace {

// Whether tracks dropped on the sequence folder make a new sequence.
bool TracksOntoSequenceFolder(QVTreeHandler const* handler, AKObject const* target, AKTreeSel const& selection)
{
    return target != nullptr && target == static_cast<AKObject const*>(handler->GetFolderSequence()) &&
           selection.HasAllNodesOfClass(QVObjectTrack::_Class());
}

// The selection's common parent when it is a sequence.
QVObjectSequence* ParentSequence(AKTreeSel const& selection)
{
    AKNode* const parent = selection.GetCommonParent();
    AKObject* const object = parent != nullptr ? parent->GetObject() : nullptr;
    return object != nullptr && object->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(object)
                                                                      : nullptr;
}

}  // namespace

int QVGandler::LowSmartMoveOrCopy(QVGandlerParam& param, bool copy)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKTreeSel const selection = action.GetTreeSel();
    VerboseCommandWithTreeSel(selection, "%s", copy ? "CopyTo" : "MoveTo");
    QVCommandInfo const& command = copy ? kQVCmd_SmartCopyTo : kQVCmd_SmartMoveTo;
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKNode* const targetNode = action.GetTargetNode();
    AKObject* const target = targetNode != nullptr ? targetNode->GetObject() : nullptr;
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && target == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    AKNode* checkedTarget = nullptr;
    AKLinkMode mode = kAKLinkModeNone;
    // Tracks never link to the sequence folder itself: they go into a new
    // sequence there, so only the selection is checked.
    bool const ontoFolder = status == 0 && TracksOntoSequenceFolder(handler, target, selection);
    if (status == 0 && ontoFolder)
        status = TreatAndVerboseError(handler->CheckHasSomeTreeSel(action, true));
    else if (status == 0)
        status = TreatAndVerboseError(copy ? handler->CheckCopyTo(action, &checkedTarget, &mode)
                                           : handler->CheckMoveTo(action, &checkedTarget, &mode));
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }

    handler->DoEasyStart(command, action.GetPostTreatmentClient());
    ATObjectArray<AKObject> objects = selection.GetObjects();
    ATObjectArray<AKObject> result;
    bool changed = false;
    if (ontoFolder) {
        QVObjectSequence* const parent = ParentSequence(selection);
        AKString name;
        if (parent != nullptr)
            name = copy ? QVObjectGetNameCopied(parent) : parent->akmGetName();
        QVObjectSequence* sequence = nullptr;
        status = handler->DoEasyNewSequenceWithTracks(&sequence, name, nullptr);
        if (status == 0) {
            status = copy ? handler->DoEasyCopyObjects(nullptr, &objects, sequence, kAKLinkModeLastChildren)
                          : handler->DoEasyMoveObjects(nullptr, &objects, sequence, kAKLinkModeLastChildren);
            result.Push(sequence);
            changed = true;
        }
    } else if (copy) {
        ATObjectArray<AKObject> copies;
        status = handler->DoEasyCopyObjects(&copies, &objects, target, action.GetLinkMode());
        result = copies;
        changed = status == 0;
    } else {
        status = handler->DoEasyMoveObjects(&changed, &objects, target, action.GetLinkMode());
        result = selection.GetObjects();
    }
    if (status == 0 && !changed) {
        handler->DoEasyEnd();
    } else {
        status = EndGroupAndNotify(document, handler, action, command, result, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_SmartMoveTo(QVGandlerParam& param) { return LowSmartMoveOrCopy(param, false); }

int QVGandler::DoCmd_SmartCopyTo(QVGandlerParam& param) { return LowSmartMoveOrCopy(param, true); }
