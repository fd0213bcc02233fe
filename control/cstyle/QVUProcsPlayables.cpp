// Players and sequences through the C-style interface. Creations run as one
// undoable step of the document, named after their command.

#include "AKClass.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVDocument.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandler.h"
#include "QVUProcs.h"
#include "QVUProcsEdits.h"
#include "QVUniversalProcs.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kCmdSequenceNewEmpty = 8256;
constexpr int kCmdSequenceNewWithEmptyTrack = 8257;
constexpr int kCmdSequenceNewWithSound = 8259;
constexpr int kCmdSequenceAddNewCursor = 8262;
constexpr int kCmdSequenceAddNewTrack = 8263;
constexpr int kCmdSequenceGroup = 8265;
constexpr int kCmdCursorNew = 8267;
constexpr int kCmdCursorAddNewAtomic = 8268;
constexpr int kCmdCursorGroup = 8269;
constexpr int kCmdCursorAttach = 8270;
constexpr int kCmdCursorDetach = 8271;

int CheckName(char const* name) { return QVUProcCheckString(name, kQVUProcStringLimited, kQVUProcNameMax); }

template <class T>
int CheckDocumentAndObjectT(int document, int node, QVDocument** found, T** object)
{
    QVUProcEnter();
    int status = QVUProcCheckDocument(document, found);
    if (status == 0)
        status = QVUProcCheckObjectT(*found, node, object);
    return status;
}

void PutIDs(AKNodeIDArray const& ids, std::vector<int>* list, int** out, int* count)
{
    for (unsigned int i = 0; i < ids.Count(); ++i)
        list->push_back(ids[i]);
    QVUProcPutList(*list, out, count);
}

// Edits that no operation of the engine performs yet through this
// interface; the host learns it from the command's status.
int NotAvailable(int commandID) { return AKLogError(kQVErrorUProcCommandUnknown, "Unknown command \"%d\"", commandID); }

int NewPlayer(QVDocument* document, int commandID, AKString const& name, unsigned int subCount, AKObject* parent,
              int* player)
{
    QVObjectPlayable* created = nullptr;
    int const status = QVUProcRunEdit(document, commandID, [&](QVTreeHandler& handler) {
        return handler.DoEasyNewCursor(&created, name, subCount, 0.0, parent, kAKLinkModeLastChildren);
    });
    QVUProcPut(player, status == 0 ? QVUProcNodeID(created) : 0);
    return status;
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
    if (status != 0)
        return status;
    return NewPlayer(found, kCmdCursorNew, QVUProcText(name), subCount, nullptr, player);
}

int _QX_attachPlayer(int document, int player, int document2, int sequence)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument2(document, document2, false, &found);
    (void)player;
    (void)sequence;
    return status != 0 ? status : NotAvailable(kCmdCursorAttach);
}

int _QX_createAndAttachPlayer(int document, int sequence, char const* name, unsigned int subCount, int* player)
{
    QVUProcPut(player, 0);
    QVDocument* found = nullptr;
    QVObjectSequence* target = nullptr;
    int status = CheckDocumentAndObjectT(document, sequence, &found, &target);
    if (status == 0)
        status = CheckName(name);
    if (status != 0)
        return status;
    return NewPlayer(found, kCmdSequenceAddNewCursor, QVUProcText(name), subCount, target, player);
}

int _QX_getAttachedPlayers(int document, int sequence, int** ids, int* count)
{
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectSequence* object = nullptr;
    int const status = CheckDocumentAndObjectT(document, sequence, &found, &object);
    if (status != 0)
        return status;
    PutIDs(object->GetFLSubPlayableIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_detachPlayer(int document, int player)
{
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    QVUProcEnter();
    int status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = QVUProcCheckObject(found, player, false, &object);
    return status != 0 ? status : NotAvailable(kCmdCursorDetach);
}

int _QX_groupWithPlayer(int document, int player, int document2, int player2)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument2(document, document2, false, &found);
    (void)player;
    (void)player2;
    return status != 0 ? status : NotAvailable(kCmdCursorGroup);
}

int _QX_createAndAddSubPlayer(int document, int multiPlayer, int* player)
{
    QVUProcPut(player, 0);
    QVDocument* found = nullptr;
    QVObjectCursor* target = nullptr;
    int const status = CheckDocumentAndObjectT(document, multiPlayer, &found, &target);
    if (status != 0)
        return status;
    return NewPlayer(found, kCmdCursorAddNewAtomic, AKString(), 0, target, player);
}

int _QX_getSubPlayers(int document, int player, int** ids, int* count)
{
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectPlayable* object = nullptr;
    int const status = CheckDocumentAndObjectT(document, player, &found, &object);
    if (status != 0)
        return status;
    if (object->IsKindOfT<QVObjectCursor>())
        PutIDs(static_cast<QVObjectCursor*>(object)->GetFLSubAtomicIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_getPlayerSituation(int document, int player, int* sequence, int* parent, int* situation, int* index)
{
    QVUProcPut(sequence, 0);
    QVUProcPut(parent, 0);
    QVUProcPut(situation, 0);
    QVUProcPut(index, 0);
    QVDocument* found = nullptr;
    QVObjectPlayable* object = nullptr;
    int const status = CheckDocumentAndObjectT(document, player, &found, &object);
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
    AKString const text = QVUProcText(name);
    QVObjectSequence* created = nullptr;
    status = QVUProcRunEdit(found, withTrack != 0 ? kCmdSequenceNewWithEmptyTrack : kCmdSequenceNewEmpty,
                            [&](QVTreeHandler& handler) {
                                if (withTrack == 0)
                                    return handler.DoEasyNewSequenceEmpty(&created, text);
                                QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
                                if (track == nullptr)
                                    return AKClass::GetErrorNew();
                                return handler.DoEasyNewSequenceWithNewTrack(&created, text, &track);
                            });
    QVUProcPut(sequence, status == 0 ? QVUProcNodeID(created) : 0);
    return status;
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
    AKString const text = QVUProcText(name);
    QVObjectSequence* created = nullptr;
    status = QVUProcRunEdit(found, kCmdSequenceNewWithSound, [&](QVTreeHandler& handler) {
        QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
        if (track == nullptr)
            return AKClass::GetErrorNew();
        AKString soundName;
        track->InitWithSound(AKFilePath(QVUProcText(path)), nullptr, &soundName);
        return handler.DoEasyNewSequenceWithNewTrack(&created, text.IsEmpty() ? soundName : text, &track);
    });
    QVUProcPut(sequence, status == 0 ? QVUProcNodeID(created) : 0);
    return status;
}

int _QX_createSequenceWithProvider(int document, char const* name, unsigned int provider, int* sequence)
{
    char path[32];
    std::snprintf(path, sizeof(path), "#%u", provider);
    return _QX_createSequenceWithSound(document, name, path, sequence);
}

int _QX_mixWithSequence(int document, int sequence, int document2, int sequence2)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument2(document, document2, false, &found);
    (void)sequence;
    (void)sequence2;
    return status != 0 ? status : NotAvailable(kCmdSequenceGroup);
}

int _QX_createAndAddSubTrack(int document, int sequence, char const* name, int* track)
{
    QVUProcPut(track, 0);
    QVDocument* found = nullptr;
    QVObjectSequence* target = nullptr;
    int status = CheckDocumentAndObjectT(document, sequence, &found, &target);
    if (status == 0)
        status = CheckName(name);
    if (status != 0)
        return status;
    AKObject* created = AKNew<QVObjectTrack>("%s", "");
    if (created == nullptr)
        return AKClass::GetErrorNew();
    created->akmSetName(QVUProcText(name), false);
    AKObject* added = created;
    status = QVUProcRunEdit(found, kCmdSequenceAddNewTrack, [&](QVTreeHandler& handler) {
        return handler.DoEasyAddNewObject(&added, target, kAKLinkModeLastChildren);
    });
    QVUProcPut(track, status == 0 ? QVUProcNodeID(added) : 0);
    return status;
}

int _QX_getSubTracks(int document, int sequence, int** ids, int* count)
{
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectSequence* object = nullptr;
    int const status = CheckDocumentAndObjectT(document, sequence, &found, &object);
    if (status != 0)
        return status;
    PutIDs(object->GetFLSubTrackIDs(), &sIDs, ids, count);
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
