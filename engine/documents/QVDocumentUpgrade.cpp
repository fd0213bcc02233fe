// QVOldFileFormat: the upgrade steps of trees read from older document files.

#include "QVDocumentUpgrade.h"

#include "AKTree.h"
#include "QVDocument.h"
#include "QVLocale.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandler.h"

namespace {

void Rename(AKObject* object, char const* text)
{
    if (object != nullptr)
        object->akmSetName(AKString(text != nullptr ? QVLocaleGetString(text) : ""), false);
}

AKNode const* NodeOf(AKObject const* object) { return object != nullptr ? object->GetNodeOwner() : nullptr; }

// Every player (single or multi) among the node's children, and every
// player among those players' children, loses its name.
void UnnamePlayersBelow(AKNode const* parent)
{
    ATObjectIterator<QVObjectZlayer> players(parent);
    while (QVObjectZlayer* const player = players.Next()) {
        Rename(player, nullptr);
        ATObjectIterator<QVObjectZlayer> subs(NodeOf(player));
        while (QVObjectZlayer* const sub = subs.Next())
            Rename(sub, nullptr);
    }
}

// Folded multi-players among the parent's children give their first single
// player to the parent and go.
int UnfoldCursorsOf(QVTreeHandler* handler, AKObject* parent)
{
    ATObjectArray<QVObjectCursor> cursors;
    ATObjectIterator<QVObjectCursor>::FillWithChildren(&cursors, NodeOf(parent), true);
    for (QVObjectCursor* cursor : cursors) {
        if (cursor->IsOldDeployed())
            continue;
        AKNode const* const first = NodeOf(cursor)->GetSub();
        AKObject* const sub = first != nullptr ? first->GetObject() : nullptr;
        if (sub != nullptr && sub->IsKindOfT<QVObjectAtomic>()) {
            AKObject* moved = sub;
            int const status = handler->DoEasyMoveObject(nullptr, &moved, parent, kAKLinkModeLastChildren);
            if (status != 0)
                return status;
        }
        AKObject* doomed = cursor;
        int const status = handler->DoEasyDeleteObject(&doomed);
        if (status != 0)
            return status;
    }
    return 0;
}

}  // namespace

int QVOldFileFormat::UpdateTree(AKTree* tree, QVTreeHandler* handler, unsigned int version)
{
    if (tree == nullptr || handler == nullptr)
        return -1;
    if (version == 0) {
        UpdateTo01_ObjectsName(tree, handler);
        int status = UpdateTo01_CursorsLinks(tree, handler);
        if (status != 0)
            return status;
        status = UpdateTo01_CursorsDeployed(tree, handler);
        if (status != 0)
            return status;
    }
    if (version <= 1)
        UpdateTo02_ObjectsName(tree, handler);
    return 0;
}

int QVOldFileFormat::UpdateTo01_ObjectsName(AKTree*, QVTreeHandler* handler)
{
    handler->RetrieveDefaultFolders(true);
    ATObjectIterator<QVObjectSequence> sequences(handler->GetFolderSequenceNode());
    while (QVObjectSequence* const sequence = sequences.Next()) {
        AKNode const* const first = NodeOf(sequence)->GetSub();
        AKObject const* const firstObject = first != nullptr ? first->GetObject() : nullptr;
        if (firstObject != nullptr && firstObject->IsKindOfT<QVObjectTrack>())
            sequence->akmSetName(firstObject->akmGetName(), false);
        else
            Rename(sequence, "Sequence");
        ATObjectIterator<QVObjectTrack> tracks(NodeOf(sequence));
        while (QVObjectTrack* const track = tracks.Next())
            Rename(track, "Track");
    }
    ATObjectIterator<QVObjectCursor> cursors(handler->GetFolderCursorNode());
    while (QVObjectCursor* const cursor = cursors.Next()) {
        Rename(cursor, "Player");
        ATObjectIterator<QVObjectAtomic> subs(NodeOf(cursor));
        while (QVObjectAtomic* const sub = subs.Next())
            Rename(sub, "Sub");
    }
    return 0;
}

int QVOldFileFormat::UpdateTo01_CursorsLinks(AKTree* tree, QVTreeHandler* handler)
{
    handler->RetrieveDefaultFolders(true);
    ATObjectArray<QVObjectCursor> cursors;
    ATObjectIterator<QVObjectCursor>::FillWithChildren(&cursors, handler->GetFolderCursorNode(), true);
    for (QVObjectCursor* cursor : cursors) {
        AKNodeID const attached = cursor->GetOldAttachedID();
        if (attached == kAKNullNodeID)
            continue;
        AKNode* const node = tree->GetNode(attached);
        AKObject* const sequence = node != nullptr ? node->GetObject() : nullptr;
        if (sequence == nullptr || !sequence->IsKindOfT<QVObjectSequence>())
            continue;
        AKObject* moved = cursor;
        int const status = handler->DoEasyMoveObject(nullptr, &moved, sequence, kAKLinkModeLastChildren);
        if (status != 0)
            return status;
    }
    return 0;
}

int QVOldFileFormat::UpdateTo01_CursorsDeployed(AKTree*, QVTreeHandler* handler)
{
    handler->RetrieveDefaultFolders(true);
    int status = UnfoldCursorsOf(handler, handler->GetFolderCursor());
    if (status != 0)
        return status;
    ATObjectArray<QVObjectSequence> sequences;
    ATObjectIterator<QVObjectSequence>::FillWithChildren(&sequences, handler->GetFolderSequenceNode(), true);
    for (QVObjectSequence* sequence : sequences) {
        status = UnfoldCursorsOf(handler, sequence);
        if (status != 0)
            return status;
    }
    return 0;
}

int QVOldFileFormat::UpdateTo02_ObjectsName(AKTree*, QVTreeHandler* handler)
{
    handler->RetrieveDefaultFolders(true);
    Rename(handler->GetFolderSequence(), nullptr);
    ATObjectIterator<QVObjectSequence> sequences(handler->GetFolderSequenceNode());
    while (QVObjectSequence* const sequence = sequences.Next()) {
        ATObjectIterator<QVObjectTrack> tracks(NodeOf(sequence));
        while (QVObjectTrack* const track = tracks.Next())
            Rename(track, nullptr);
        UnnamePlayersBelow(NodeOf(sequence));
    }
    Rename(handler->GetFolderCursor(), nullptr);
    UnnamePlayersBelow(handler->GetFolderCursorNode());
    return 0;
}

int QVOldFileFormat::UpgradeDocument(QVDocument* document, unsigned int version)
{
    if (document == nullptr)
        return -1;
    return UpdateTree(document->GetTree(), QVTreeHandlerOfDocument(document), version);
}
