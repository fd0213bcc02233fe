// Sequence commands: new sequences (empty, with an empty track, with one or
// several sounds, with random zones), players and tracks added to a
// sequence, and two sequences mixed into one. Each is one undo step named
// after its menu label.

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
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"

namespace {

// Whether new sequences get a player of their own.
bool WithPlayer(QVGandlerParam const& param)
{
    bool naked = false;
    param.GetOptionAsBool("Naked", &naked);
    return QVPrefs::sShared.GetSequenceNewAlwaysWithPlayer() && !naked;
}

// The sequence the action's target node holds, or null.
QVObjectSequence* TargetSequence(AKTreeActionParam const& action)
{
    AKNode* const node = action.GetTargetNode();
    AKObject* const object = node != nullptr ? node->GetObject() : nullptr;
    return object != nullptr && object->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(object)
                                                                      : nullptr;
}

}  // namespace

// The shape of the new-sequence commands with one new track: the track is
// made by `fill` inside the group (which may also give the sequence a name).
template <class Fill>
int QVGandler::LowNewSequenceWithTrack(QVGandlerParam& param, QVCommandInfo const& command, AKString const& name,
                                       bool withPlayer, int status, Fill fill)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKTreeActionParam& action = param.GetTreeActionParam();
    if (status == 0)
        status = CheckDocument(handler != nullptr ? document : nullptr);
    QVObjectPlayable* target = nullptr;
    if (status == 0)
        status = QVGandlerExec_CheckTargetPlayable(action, &target);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCanBeModified());
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }
    handler->DoEasyStart(command, nullptr);
    QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
    AKString sequenceName = name;
    if (track != nullptr)
        fill(track, &sequenceName);
    QVObjectSequence* sequence = nullptr;
    status = handler->DoEasyNewSequenceWithNewTrack(&sequence, sequenceName, &track);
    if (status == 0)
        status = QVGandlerExec_AddPlayerToNewSequence(handler, sequence, target, withPlayer);
    ATObjectArray<AKObject> made;
    if (sequence != nullptr)
        made.Push(sequence);
    status = EndGroupAndNotify(document, handler, action, command, made, status);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_SequenceNewEmpty(QVGandlerParam& param)
{
    AKString name;
    param.GetOptionAsAKString("Name", &name);
    VerboseCommand("Sequence New WithName:\"%s\"", QVGandlerExec_NameOrDefault(name));
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKTreeActionParam& action = param.GetTreeActionParam();
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCanBeModified());
    if (status == 0) {
        handler->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
        QVObjectSequence* sequence = nullptr;
        status = handler->DoEasyNewSequenceEmpty(&sequence, name);
        ATObjectArray<AKObject> made;
        if (sequence != nullptr)
            made.Push(sequence);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_SequenceNewEmpty, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_SequenceNewWithEmptyTrack(QVGandlerParam& param)
{
    AKString name;
    param.GetOptionAsAKString("Name", &name);
    bool const withPlayer = WithPlayer(param);
    VerboseCommand("Sequence New WithPlayer:%d WithName:\"%s\"", withPlayer ? 1 : 0, QVGandlerExec_NameOrDefault(name));
    return LowNewSequenceWithTrack(param, kQVCmd_SequenceNewWithEmptyTrack, name, withPlayer, 0,
                                   [](QVObjectTrack*, AKString*) {});
}

int QVGandler::DoCmd_SequenceNewWithRandom(QVGandlerParam& param)
{
    AKString name;
    param.GetOptionAsAKString("Name", &name);
    bool const withPlayer = WithPlayer(param);
    VerboseCommand("Sequence NewWithRandom WithPlayer:%d WithName:\"%s\"", withPlayer ? 1 : 0,
                   QVGandlerExec_NameOrDefault(name));
    return LowNewSequenceWithTrack(param, kQVCmd_SequenceNewWithRandom, name, withPlayer, 0,
                                   [](QVObjectTrack* track, AKString*) { track->InitWithRandom(); });
}

int QVGandler::DoCmd_SequenceNewWithSound(QVGandlerParam& param, bool withDialog)
{
    AKFilePath path;
    AKString name;
    bool found = param.GetOptionAsAKFilePath("SoundPath", &path);
    param.GetOptionAsAKString("Name", &name);
    if (!found && withDialog) {
        AKFilePathArray chosen;
        if (!GetLibext().DoDialogOpenSoundFiles(&chosen, "Load Sound-File", false) || chosen.IsEmpty())
            return 0;
        path = chosen[0];
        found = true;
    }
    bool const withPlayer = WithPlayer(param);
    VerboseCommand("Sequence NewWithSound:\"%s\" WithPlayer:%d WithName:\"%s\"", path.FileName().c_str(),
                   withPlayer ? 1 : 0, QVGandlerExec_NameOrDefault(name));
    int status = 0;
    if (GetTargetOrDefaultDocument(param) == nullptr)
        status = CheckDocument(nullptr);
    else if (!found || path.IsEmpty())
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "SoundPath");
    status = LowNewSequenceWithTrack(param, kQVCmd_SequenceNewWithSound, name, withPlayer, status,
                                     [&path](QVObjectTrack* track, AKString* sequenceName) {
                                         AKString soundName;
                                         track->InitWithSound(path, nullptr, &soundName);
                                         if (sequenceName->IsEmpty())
                                             *sequenceName = soundName;
                                     });
    if (status == 0)
        QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    return status;
}

int QVGandler::DoCmd_SequenceNewWithSounds(QVGandlerParam& param, bool withDialog)
{
    AKFilePathArray kept;
    if (!QVGandlerExec_GatherSoundPaths(param, withDialog, GetLibext(), &kept))
        return 0;
    AKString name;
    param.GetOptionAsAKString("Name", &name);
    bool const withPlayer = WithPlayer(param);
    bool const useName = kept.Count() == 1 && !name.IsEmpty();
    if (useName) {
        VerboseCommand("Sequence NewWithSound:\"%s\" WithPlayer:%d WithName:\"%s\"", kept[0].FileName().c_str(),
                       withPlayer ? 1 : 0, name.c_str());
    } else {
        for (unsigned int i = 0; i < kept.Count(); ++i)
            VerboseCommand("Sequence NewWithSound:\"%s\" WithPlayer:%d", kept[i].FileName().c_str(),
                           withPlayer ? 1 : 0);
    }
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    AKTreeActionParam& action = param.GetTreeActionParam();
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && kept.IsEmpty())
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "SoundPath or SoundPaths");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckCanBeModified());
    if (status == 0) {
        handler->DoEasyStart(kQVCmd_SequenceNewWithSounds, nullptr);
        ATObjectArray<AKObject> made;
        for (unsigned int i = 0; i < kept.Count() && status == 0; ++i) {
            QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
            AKString soundName;
            if (track != nullptr)
                track->InitWithSound(kept[i], nullptr, &soundName);
            QVObjectSequence* sequence = nullptr;
            status = handler->DoEasyNewSequenceWithNewTrack(&sequence, useName ? name : soundName, &track);
            if (status == 0) {
                made.Push(sequence);
                status = QVGandlerExec_AddPlayerToNewSequence(handler, sequence, nullptr, withPlayer);
            }
        }
        status = EndGroupAndNotify(document, handler, action, kQVCmd_SequenceNewWithSounds, made, status);
        if (status == 0)
            QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

// --- Players and tracks added to a sequence ---

int QVGandler::DoCmd_SequenceAddNewCursor(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    QVObjectSequence* const sequence = TargetSequence(action);
    unsigned int subCount = 0;
    AKTime timeAt = 0.0;
    AKString name;
    param.GetOptionAsUInt("SubCount", &subCount);
    param.GetOptionAsAKTime("TimeAt", &timeAt);
    param.GetOptionAsAKString("Name", &name);
    VerboseCommand("Sequence AddNewCursor To:#%d WithSubCount:%u WithName:\"%s\"",
                   sequence != nullptr ? action.GetTargetNode()->GetID() : 0, subCount,
                   QVGandlerExec_NameOrDefault(name));
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && sequence == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckSequenceAddNewCursor(action));
    if (status == 0) {
        handler->DoEasyStart(kQVCmd_SequenceAddNewCursor, nullptr);
        QVObjectPlayable* player = nullptr;
        status = handler->DoEasyNewCursor(&player, name, subCount, timeAt, sequence, kAKLinkModeLastChildren);
        if (status == 0)
            status = QVGandlerExec_SetupJoinedSequence(handler, sequence);
        ATObjectArray<AKObject> made;
        if (player != nullptr)
            made.Push(player);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_SequenceAddNewCursor, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::LowSequenceAddNewTrack(QVGandlerParam& param, bool withSound)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    QVObjectSequence* const sequence = TargetSequence(action);
    AKString name;
    AKFilePath path;
    param.GetOptionAsAKString("Name", &name);
    bool const foundPath = withSound && param.GetOptionAsAKFilePath("SoundPath", &path);
    AKNodeID const nodeID = sequence != nullptr ? action.GetTargetNode()->GetID() : 0;
    if (withSound)
        VerboseCommand("Sequence AddNewTrack To:#%d WithName:\"%s\" WithSound:\"%s\"", nodeID,
                       QVGandlerExec_NameOrDefault(name), path.FileName().c_str());
    else
        VerboseCommand("Sequence AddNewTrack To:#%d WithName:\"%s\"", nodeID, QVGandlerExec_NameOrDefault(name));
    QVCommandInfo const& command = withSound ? kQVCmd_SequenceAddNewTrackWithSound : kQVCmd_SequenceAddNewTrack;
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && sequence == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0 && withSound && (!foundPath || path.IsEmpty()))
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "SoundPath");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckSequenceAddNewTrack(action));
    if (status == 0) {
        handler->DoEasyStart(command, nullptr);
        QVObjectTrack* const track = AKNew<QVObjectTrack>("%s", "");
        ATObjectArray<AKObject> made;
        if (track != nullptr) {
            if (withSound)
                track->InitWithSound(path, nullptr, nullptr);
            if (!name.IsEmpty())
                track->akmSetName(name, false);
            AKObject* object = track;
            status = handler->DoEasyAddNewObject(&object, sequence, kAKLinkModeLastChildren);
            if (object != nullptr)
                made.Push(object);
        } else {
            status = AKClass::GetErrorNew();
        }
        status = EndGroupAndNotify(document, handler, action, command, made, status);
        if (status == 0 && withSound)
            QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_SequenceAddNewTrack(QVGandlerParam& param) { return LowSequenceAddNewTrack(param, false); }

int QVGandler::DoCmd_SequenceAddNewTrackWithSound(QVGandlerParam& param) { return LowSequenceAddNewTrack(param, true); }

// --- Mix ---

int QVGandler::DoCmd_SequenceGroup(QVGandlerParam& param)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    VerboseCommandWithTreeSel(action.GetTreeSel(), "Sequence Group");
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckSequenceGroup(action));
    if (status == 0) {
        ATObjectArray<AKObject> const& selected = action.GetTreeSel().GetObjects();
        AKObject* const kept = selected[0];
        AKObject* second = selected[1];
        handler->DoEasyStart(kQVCmd_SequenceGroup, nullptr);
        ATObjectArray<AKObject> children;
        second->GrabChildren(&children);
        status = handler->DoEasyMoveObjects(nullptr, &children, kept, kAKLinkModeLastChildren);
        if (status == 0)
            status = handler->DoEasyDeleteObject(&second);
        ATObjectArray<AKObject> made;
        made.Push(kept);
        status = EndGroupAndNotify(document, handler, action, kQVCmd_SequenceGroup, made, status);
    }
    VerboseResult(status, false, nullptr);
    return status;
}
