// Smart commands: what dropping objects onto a target means. Tracks dropped
// onto the sequence folder leave (or are copied out of) their sequence into
// a new one; anything else is moved or copied to the target with the
// record's link mode. One undo step each, which also holds the colour labels
// and followed player a sequence sets up when players join it.

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

QVObjectSequence* AsSequence(AKNode const* node)
{
    AKObject* const object = node != nullptr ? node->GetObject() : nullptr;
    return object != nullptr && object->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(object)
                                                                      : nullptr;
}

// The sequence that objects linked to the target with the mode go into, if
// any: the target itself for its children, else the target's parent.
QVObjectSequence* SequenceReceiving(AKNode const* target, AKLinkMode mode)
{
    if (target == nullptr)
        return nullptr;
    if (mode == kAKLinkModeFirstChildren || mode == kAKLinkModeLastChildren)
        return AsSequence(target);
    return AsSequence(target->Parent());
}

// Whether some of the objects are players not yet under the sequence.
bool SomePlayerJoins(ATObjectArray<AKObject> const& objects, QVObjectSequence const* sequence)
{
    AKNode const* const node = sequence != nullptr ? sequence->GetNodeOwner() : nullptr;
    if (node == nullptr)
        return false;
    for (AKObject* object : objects) {
        AKNode const* const owner = object != nullptr ? object->GetNodeOwner() : nullptr;
        if (owner != nullptr && object->IsKindOfT<QVObjectZlayer>() && owner->Parent() != node)
            return true;
    }
    return false;
}

// Each sequence that received some of the copied players sets itself up,
// recorded in the open group.
int SetupSequencesOfCopies(QVTreeHandler* handler, ATObjectArray<AKObject> const& copies)
{
    ATObjectArray<AKObject> done;
    for (AKObject* copy : copies) {
        AKNode const* const node = copy != nullptr ? copy->GetNodeOwner() : nullptr;
        QVObjectSequence* const sequence =
            node != nullptr && copy->IsKindOfT<QVObjectZlayer>() ? AsSequence(node->Parent()) : nullptr;
        if (sequence == nullptr || done.Find(sequence, nullptr))
            continue;
        done.Push(sequence);
        int const status = QVGandlerExec_SetupJoinedSequence(handler, sequence);
        if (status != 0)
            return status;
    }
    return 0;
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
        if (status == 0)
            status = SetupSequencesOfCopies(handler, copies);
    } else {
        // The checked target is where the tree links the objects.
        QVObjectSequence* const destination = SequenceReceiving(checkedTarget, mode);
        bool const joining = SomePlayerJoins(objects, destination);
        status = QVGandlerExec_RecordBeforeMoving(handler, destination, objects);
        if (status == 0)
            status = handler->DoEasyMoveObjects(&changed, &objects, target, action.GetLinkMode());
        if (status == 0 && changed && joining)
            status = QVGandlerExec_SetupJoinedSequence(handler, destination);
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
