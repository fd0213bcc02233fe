// New sequence from track parts: the selection's time range of the selected
// tracks (all tracks when the sequence itself is selected) copied into new
// tracks of a new sequence, and cut out of the source tracks when
// "CopyMode" is false. One undo step restores both sides.

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
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVTreeHandler.h"

int QVGandler::DoCmd_SequenceNewWithTrackParts(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKTreeSel const& selection = action.GetTreeSel();
    QVObjectTrackArray sources;
    QVObjectSequence* const source = QVTreeSel_ResolveSequenceAndTracks(selection, &sources, false);
    AKTimeIntv const range = selection.HasTimeSel() ? selection.GetTimeRange() : kAKNullTimeIntv;

    AKString name;
    bool copyMode = true;
    bool naked = false;
    param.GetOptionAsAKString("Name", &name);
    param.GetOptionAsBool("CopyMode", &copyMode);
    param.GetOptionAsBool("Naked", &naked);
    if (name.IsEmpty() && source != nullptr)
        name = QVObjectGetNameCopied(source);
    bool const withPlayer = QVPrefs::sShared.GetSequenceNewAlwaysWithPlayer() && !naked;
    VerboseCommand("Sequence NewWithTrackParts CopyMode:%d WithPlayer:%d WithName:\"%s\"", copyMode ? 1 : 0,
                   withPlayer ? 1 : 0, QVGandlerExec_NameOrDefault(name));

    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && (source == nullptr || sources.IsEmpty()))
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    QVObjectPlayable* target = nullptr;
    if (status == 0)
        status = QVGandlerExec_CheckTargetPlayable(action, &target);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckTrackPartExtract(action));
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }

    handler->DoEasyStart(kQVCmd_SequenceNewWithTrackParts, nullptr);
    QVObjectTrackArray copies;
    for (QVObjectTrack const* track : sources) {
        QVObjectTrack* const copy = AKNew<QVObjectTrack>("%s", "");
        if (copy == nullptr) {
            status = AKClass::GetErrorNew() != 0 ? AKClass::GetErrorNew() : -1;
            break;
        }
        copy->akmSetName(AKString(), false);
        copy->InitWithTrackPart(track, range);
        copies.Push(copy);
    }
    QVObjectSequence* sequence = nullptr;
    if (status == 0)
        status = handler->DoEasyNewSequenceWithNewTracks(&sequence, name, &copies);
    // Copies that never reached the tree are ours to delete.
    for (QVObjectTrack* copy : copies) {
        if (copy != nullptr && copy->GetNodeOwner() == nullptr)
            AKClass::DeleteObject(copy);
    }
    if (status == 0)
        status = QVGandlerExec_AddPlayerToNewSequence(handler, sequence, target, withPlayer);
    if (status == 0 && !copyMode) {
        AKTreeActionParam removal(action);
        status = handler->DoTrackPartDelete(removal);
    }
    ATObjectArray<AKObject> made;
    if (sequence != nullptr)
        made.Push(sequence);
    status = EndGroupAndNotify(document, handler, action, kQVCmd_SequenceNewWithTrackParts, made, status);
    VerboseResult(status, false, nullptr);
    return status;
}
