// Players and sequences through the C-style interface: every edit runs the
// matching command of the command handler, one undoable step.

#include "AKFilePath.h"
#include "AKNode.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandler.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

#include <cstdio>
#include <vector>

namespace {

int CheckName(char const* name) { return QVUProcCheckString(name, kQVUProcStringLimited, kQVUProcNameMax); }

// A multi-player of more subs than this is no playable instrument: a count
// past it is almost always a negative number handed over as unsigned, which
// would otherwise make billions of objects.
constexpr unsigned int kQVUProcSubCountMax = 4096;

int CheckSubCount(unsigned int subCount)
{
    if (subCount <= kQVUProcSubCountMax)
        return 0;
    return AKLogError(kQVErrorUProcParamIntegerWrong, "Detect parameter integer %u wrong (sub count above %u)",
                      subCount, kQVUProcSubCountMax);
}

// Puts the object a creating command made (the one object of its result
// selection, else 0; 0 when the command failed) and passes its status on.
int PutCreated(QVGandlerParam const& param, int status, int* created)
{
    AKTreeSel const& result = param.GetTreeActionParam().GetResultTreeSel();
    QVUProcPut(created, status == 0 && result.CountNodes() == 1 ? result.GetNode(0)->GetID() : 0);
    return status;
}

void WithName(QVGandlerParam* param, char const* name)
{
    if (!QVUProcText(name).IsEmpty())
        param->WithOptionAsAKString("Name", QVUProcText(name));
}

// Two objects of one document as the action's objects.
int RunOnPair(int document, int first, int document2, int second, int (QVGandler::*command)(QVGandlerParam&))
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* one = nullptr;
    AKObject* two = nullptr;
    int status = QVUProcCheckDocument2(document, document2, false, &found);
    if (status == 0)
        status = QVUProcCheckObject(found, first, false, &one);
    if (status == 0)
        status = QVUProcCheckObject(found, second, false, &two);
    if (status != 0)
        return status;
    ATObjectArray<AKObject> objects;
    objects.Push(one);
    objects.Push(two);
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObjects(objects);
    return (QVGandler::sShared.*command)(param);
}

}  // namespace

extern "C" {

int _QX_createPlayer(int document, char const* name, unsigned int subCount, int* player)
{
    QVUProcEnter();
    QVUProcPut(player, 0);
    QVDocument* found = nullptr;
    int status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = CheckName(name);
    if (status == 0)
        status = CheckSubCount(subCount);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.WithOptionAsUInt("SubCount", subCount);
    WithName(&param, name);
    return PutCreated(param, QVGandler::sShared.DoCmd_CursorNew(param), player);
}

int _QX_attachPlayer(int document, int player, int document2, int sequence)
{
    return RunOnPair(document, player, document2, sequence, &QVGandler::DoCmd_CursorAttach);
}

int _QX_createAndAttachPlayer(int document, int sequence, char const* name, unsigned int subCount, int* player)
{
    QVUProcEnter();
    QVUProcPut(player, 0);
    QVDocument* found = nullptr;
    QVObjectSequence* target = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, sequence, &found, &target);
    if (status == 0)
        status = CheckName(name);
    if (status == 0)
        status = CheckSubCount(subCount);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
    param.WithOptionAsUInt("SubCount", subCount);
    WithName(&param, name);
    return PutCreated(param, QVGandler::sShared.DoCmd_SequenceAddNewCursor(param), player);
}

int _QX_getAttachedPlayers(int document, int sequence, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectSequence* object = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, sequence, &found, &object);
    if (status != 0)
        return status;
    QVUProcPutIDs(object->GetFLSubPlayableIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_detachPlayer(int document, int player)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int const status = QVUProcCheckDocumentObject(document, player, &found, &object);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObject(object);
    return QVGandler::sShared.DoCmd_CursorDetach(param);
}

int _QX_groupWithPlayer(int document, int player, int document2, int player2)
{
    return RunOnPair(document, player, document2, player2, &QVGandler::DoCmd_CursorGroup);
}

int _QX_createAndAddSubPlayer(int document, int multiPlayer, int* player)
{
    QVUProcEnter();
    QVUProcPut(player, 0);
    QVDocument* found = nullptr;
    QVObjectCursor* target = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, multiPlayer, &found, &target);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
    return PutCreated(param, QVGandler::sShared.DoCmd_CursorAddNewAtomic(param), player);
}

int _QX_getSubPlayers(int document, int player, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectPlayable* object = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, player, &found, &object);
    if (status != 0)
        return status;
    if (object->IsKindOfT<QVObjectCursor>())
        QVUProcPutIDs(static_cast<QVObjectCursor*>(object)->GetFLSubAtomicIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_getPlayerSituation(int document, int player, int* sequence, int* parent, int* situation, int* index)
{
    QVUProcEnter();
    QVUProcPut(sequence, 0);
    QVUProcPut(parent, 0);
    QVUProcPut(situation, 0);
    QVUProcPut(index, 0);
    QVDocument* found = nullptr;
    QVObjectPlayable* object = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, player, &found, &object);
    if (status != 0)
        return status;
    for (QVObjectPlayable* up = object->GetFLParentPlayable(); up != nullptr; up = up->GetFLParentPlayable()) {
        if (up->IsKindOfT<QVObjectSequence>()) {
            QVUProcPut(sequence, QVUProcNodeID(up));
            break;
        }
    }
    QVPlayableKind const kind = object->GetKind();
    int const position = static_cast<int>(object->GetFLIndex());
    if ((kind & 0x3) == 0x3) {
        QVUProcPut(situation, 1);
        QVUProcPut(index, position);
    } else if ((kind & 0x5) == 0x5) {
        QVUProcPut(situation, 2);
        QVUProcPut(parent, QVUProcNodeID(object->GetFLParentPlayable()));
        QVUProcPut(index, position);
    } else if ((kind & 0x3010) == 0x3010) {
        QVUProcPut(situation, 3);
        QVUProcPut(index, position);
    }
    return 0;
}

int _QX_getDocumentPlayers(int document, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument(document, &found);
    if (status != 0)
        return status;
    for (QVObjectPoolable* each : QVTreeHandlerOfDocument(found)->GetFLPlayers())
        sIDs.push_back(QVUProcNodeID(each));
    QVUProcPutList(sIDs, ids, count);
    return 0;
}

int _QX_createSequence(int document, char const* name, unsigned int withTrack, int* sequence)
{
    QVUProcEnter();
    QVUProcPut(sequence, 0);
    QVDocument* found = nullptr;
    int status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = CheckName(name);
    if (status == 0)
        status = QVUProcCheckBoolean(withTrack);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    WithName(&param, name);
    return PutCreated(param,
                      withTrack != 0 ? QVGandler::sShared.DoCmd_SequenceNewWithEmptyTrack(param)
                                     : QVGandler::sShared.DoCmd_SequenceNewEmpty(param),
                      sequence);
}

int _QX_createSequenceWithSound(int document, char const* name, char const* path, int* sequence)
{
    QVUProcEnter();
    QVUProcPut(sequence, 0);
    QVDocument* found = nullptr;
    int status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = CheckName(name);
    if (status == 0)
        status = QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.WithOptionAsAKFilePath("SoundPath", AKFilePath(QVUProcText(path)));
    WithName(&param, name);
    return PutCreated(param, QVGandler::sShared.DoCmd_SequenceNewWithSound(param, false), sequence);
}

int _QX_createSequenceWithProvider(int document, char const* name, unsigned int provider, int* sequence)
{
    char path[32];
    std::snprintf(path, sizeof(path), "#%u", provider);
    return _QX_createSequenceWithSound(document, name, path, sequence);
}

int _QX_mixWithSequence(int document, int sequence, int document2, int sequence2)
{
    return RunOnPair(document, sequence, document2, sequence2, &QVGandler::DoCmd_SequenceGroup);
}

int _QX_createAndAddSubTrack(int document, int sequence, char const* name, int* track)
{
    QVUProcEnter();
    QVUProcPut(track, 0);
    QVDocument* found = nullptr;
    QVObjectSequence* target = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, sequence, &found, &target);
    if (status == 0)
        status = CheckName(name);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
    WithName(&param, name);
    return PutCreated(param, QVGandler::sShared.DoCmd_SequenceAddNewTrack(param), track);
}

int _QX_getSubTracks(int document, int sequence, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectSequence* object = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, sequence, &found, &object);
    if (status != 0)
        return status;
    QVUProcPutIDs(object->GetFLSubTrackIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_getDocumentSequences(int document, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument(document, &found);
    if (status != 0)
        return status;
    for (QVObjectPoolable* each : QVTreeHandlerOfDocument(found)->GetFLSequences())
        sIDs.push_back(QVUProcNodeID(each));
    QVUProcPutList(sIDs, ids, count);
    return 0;
}

}  // extern "C"
