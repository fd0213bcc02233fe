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
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVTreeHandler.h"

namespace {

char const* NameOrDefault(AKString const& name) { return name.IsEmpty() ? "<Default>" : name.c_str(); }

// The target node's object, when there is one: it must be a playable.
int CheckTargetPlayable(AKTreeActionParam const& action, QVObjectPlayable** target)
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

// Inside the open group: the target moved into the new sequence, or a new
// single player; the sequence then follows it.
int AddPlayer(QVTreeHandler* handler, QVObjectSequence* sequence, QVObjectPlayable* target, bool withPlayer)
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

}  // namespace

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
                   withPlayer ? 1 : 0, NameOrDefault(name));

    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && (source == nullptr || sources.IsEmpty()))
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    QVObjectPlayable* target = nullptr;
    if (status == 0)
        status = CheckTargetPlayable(action, &target);
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
        status = AddPlayer(handler, sequence, target, withPlayer);
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
