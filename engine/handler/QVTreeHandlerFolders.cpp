// QVTreeHandler: the default folders, their fast links, the queries and the
// document-wide actions.

#include "QVTreeHandler.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKStamps.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

namespace {

AKObject* ObjectOf(AKNode const* node) { return node != nullptr ? node->GetObject() : nullptr; }

AKNode* NodeOf(AKObject const* object) { return object != nullptr ? object->GetNodeOwner() : nullptr; }

unsigned int SubLinksStampOf(AKObject const* folder)
{
    return folder != nullptr ? folder->GetSubLinksStamp() : kAKUndefStampVers;
}

template <class T>
bool IsKindOfClassT(AKObject const* object)
{
    return object != nullptr && object->IsKindOfT<T>();
}

// Makes a folder of class T, or null when it cannot be made.
template <class T>
AKObject* NewFolder()
{
    return AKNew<T>("%s", "");
}

}  // namespace

QVTreeHandler::QVTreeHandler(AKTree* tree, QVDocumentTreeGuard* guard)
    : QVDocumentTreeHandler(tree, guard), mFoldersStamp(kAKNullStampSync)
{}

QVTreeHandler* QVTreeHandlerOfDocument(QVDocument const* document)
{
    return document != nullptr ? dynamic_cast<QVTreeHandler*>(document->GetTreeHandler()) : nullptr;
}

// --- Folders ---

void QVTreeHandler::RetrieveDefaultFolders(bool force) const
{
    AKTree const* const tree = GetTree();
    AKNode const* const root = tree != nullptr ? tree->GetRootNode() : nullptr;
    AKObject const* const rootObject = ObjectOf(root);
    if (rootObject == nullptr) {
        mFoldersStamp = kAKNullStampSync;
        mFolderSequence = nullptr;
        mFolderCursor = nullptr;
        mFolderTemp = nullptr;
        return;
    }
    unsigned int const stamp = rootObject->GetSubLinksStamp();
    if (stamp == mFoldersStamp && !force)
        return;
    mFoldersStamp = stamp;
    mFolderSequence = nullptr;
    mFolderCursor = nullptr;
    mFolderTemp = nullptr;
    for (AKNode* node = root->GetSub(); node != nullptr; node = node->GetNext()) {
        AKObject* const object = node->GetObject();
        if (mFolderSequence == nullptr && IsKindOfClassT<QVObjectFolderSequence>(object))
            mFolderSequence = static_cast<QVObjectFolderSequence*>(object);
        else if (mFolderCursor == nullptr && IsKindOfClassT<QVObjectFolderCursor>(object))
            mFolderCursor = static_cast<QVObjectFolderCursor*>(object);
        else if (mFolderTemp == nullptr && IsKindOfClassT<QVObjectFolderTemp>(object))
            mFolderTemp = static_cast<QVObjectFolderTemp*>(object);
    }
}

int QVTreeHandler::RebuildDefaultFoldersIfNeeded()
{
    RetrieveDefaultFolders(true);
    AKTree* const tree = GetTree();
    AKNode* const root = tree != nullptr ? tree->GetRootNode() : nullptr;
    if (root == nullptr)
        return -1;

    // Only the folders the document type takes under its root are required.
    ATObjectArray<AKObject> folders;
    auto addMissing = [&](bool missing, AKClass const* folderClass, AKObject* (*make)()) {
        if (missing && folderClass != nullptr && root->CanAcceptChildrenOfClass(folderClass)) {
            if (AKObject* const folder = make())
                folders.Push(folder);
        }
    };
    addMissing(mFolderSequence == nullptr, QVObjectFolderSequence::_Class(), &NewFolder<QVObjectFolderSequence>);
    addMissing(mFolderCursor == nullptr, QVObjectFolderCursor::_Class(), &NewFolder<QVObjectFolderCursor>);
    addMissing(mFolderTemp == nullptr, QVObjectFolderTemp::_Class(), &NewFolder<QVObjectFolderTemp>);

    int status = 0;
    if (!folders.IsEmpty()) {
        AKTreeActionParam param(tree);
        param.WithNewObjects(folders).WithTargetNode(root, kAKLinkModeLastChildren);
        status = DoAddNewObjects(param);
        if (status != 0) {
            for (AKObject* folder : folders) {
                if (folder->GetNodeOwner() == nullptr)
                    AKClass::DeleteObject(folder);
            }
        }
    }
    RetrieveDefaultFolders(true);
    return status;
}

QVObjectFolderSequence* QVTreeHandler::GetFolderSequence() const
{
    RetrieveDefaultFolders(false);
    return mFolderSequence;
}

QVObjectFolderCursor* QVTreeHandler::GetFolderCursor() const
{
    RetrieveDefaultFolders(false);
    return mFolderCursor;
}

AKNode* QVTreeHandler::GetFolderSequenceNode() const { return NodeOf(GetFolderSequence()); }

AKNode* QVTreeHandler::GetFolderCursorNode() const { return NodeOf(GetFolderCursor()); }

AKNode* QVTreeHandler::GetFolderTempNode() const
{
    RetrieveDefaultFolders(false);
    return NodeOf(mFolderTemp);
}

unsigned int QVTreeHandler::GetFolderSequenceStamp() const { return SubLinksStampOf(GetFolderSequence()); }

unsigned int QVTreeHandler::GetFolderCursorStamp() const { return SubLinksStampOf(GetFolderCursor()); }

AKNode* QVTreeHandler::GetDefaultFolderTargetNode(AKClass const* objectClass, bool allowTemp) const
{
    if (objectClass != nullptr) {
        if (objectClass->IsKindOfClass(QVObjectSequence::_Class()))
            return GetFolderSequenceNode();
        if (objectClass->IsKindOfClass(QVObjectZlayer::_Class()))
            return GetFolderCursorNode();
    }
    return allowTemp ? GetFolderTempNode() : nullptr;
}

// --- Fast links ---

void QVTreeHandler::SynchronizeFLFastLinks()
{
    if (QVObjectFolderSequence* const sequences = GetFolderSequence())
        sequences->SynchronizeFLFastLinks();
    if (QVObjectFolderCursor* const players = GetFolderCursor())
        players->SynchronizeFLFastLinks();
}

void QVTreeHandler::SynchronizeFLSequencesFullIntv()
{
    for (QVObjectPoolable* sequence : GetFLSequences())
        static_cast<QVObjectSequence*>(sequence)->SynchronizeFLFullIntv();
}

QVObjectPoolableArray const& QVTreeHandler::GetFLSequences() const
{
    QVObjectFolderSequence const* const folder = GetFolderSequence();
    return folder != nullptr ? folder->GetFLSubSequences() : kQVNullObjectPoolableArray;
}

QVObjectPoolableArray const& QVTreeHandler::GetFLPlayers() const
{
    QVObjectFolderCursor const* const folder = GetFolderCursor();
    return folder != nullptr ? folder->GetFLSubPlayers() : kQVNullObjectPoolableArray;
}

// --- Queries ---

QVObjectPoolable* QVTreeHandler::FindSequenceByName(AKString const& name) const
{
    QVObjectFolderSequence const* const folder = GetFolderSequence();
    return folder != nullptr ? folder->FindSequenceByName(name) : nullptr;
}

QVObjectPoolable* QVTreeHandler::FindSequenceByName(AKString const& name, bool caseSensitive) const
{
    QVObjectFolderSequence const* const folder = GetFolderSequence();
    return folder != nullptr ? folder->FindSequenceByName(name, caseSensitive) : nullptr;
}

QVObjectPoolable* QVTreeHandler::FindCursorByName(AKString const& name) const
{
    QVObjectFolderCursor const* const folder = GetFolderCursor();
    return folder != nullptr ? folder->FindCursorByName(name) : nullptr;
}

QVObjectPoolable* QVTreeHandler::FindCursorByName(AKString const& name, bool caseSensitive) const
{
    QVObjectFolderCursor const* const folder = GetFolderCursor();
    return folder != nullptr ? folder->FindCursorByName(name, caseSensitive) : nullptr;
}

void QVTreeHandler::GrabActiveProviders(ATNumberArray<unsigned char, unsigned char, 0>* flags) const
{
    AKNode const* const folder = GetFolderSequenceNode();
    if (folder == nullptr || flags == nullptr)
        return;
    for (AKNode const* node = folder->GetSub(); node != nullptr && node->GetObject() != nullptr;
         node = node->GetNext()) {
        if (!node->GetObject()->IsKindOfT<QVObjectSequence>())
            continue;
        for (AKNode const* sub = node->GetSub(); sub != nullptr && sub->GetObject() != nullptr; sub = sub->GetNext()) {
            if (sub->GetObject()->IsKindOfT<QVObjectTrack>())
                static_cast<QVObjectTrack const*>(sub->GetObject())->GrabActiveProviders(flags);
        }
    }
}

void QVTreeHandler::GrabPlayablesWithStarterKey(QVObjectPlayableArray* out, unsigned int key) const
{
    if (out == nullptr)
        return;
    out->Clear();
    if (key < 1 || key > kQVStarterKeyMax)
        return;
    for (QVObjectPoolable* poolable : GetFLSequences()) {
        auto* const sequence = static_cast<QVObjectSequence*>(poolable);
        unsigned int const sequenceKey = sequence->GetUIStarterKey();
        if (sequenceKey == key)
            out->Push(sequence);
        AKNode const* const node = sequence->GetNodeOwner();
        for (AKNode* sub = node != nullptr ? node->GetSub() : nullptr; sub != nullptr; sub = sub->GetNext()) {
            AKObject* const object = sub->GetObject();
            if (object == nullptr || !object->IsKindOfT<QVObjectZlayer>())
                continue;
            auto* const player = static_cast<QVObjectPlayable*>(object);
            if (player->GetUIStarterKey() == key && key != sequenceKey)
                out->Push(player);
        }
    }
}

// --- Document-wide actions ---

void QVTreeHandler::DoResetAllStartKeys()
{
    for (QVObjectPoolable* sequence : GetFLSequences()) {
        sequence->ResetUserUIStarterKey();
        for (QVObjectPlayable* playable : static_cast<QVObjectSequence*>(sequence)->GetFLAllPlayables())
            playable->ResetUserUIStarterKey();
    }
    for (QVObjectPoolable* player : GetFLPlayers()) {
        player->ResetUserUIStarterKey();
        if (player->IsKindOfT<QVObjectCursor>()) {
            for (QVObjectPlayable* sub : static_cast<QVObjectCursor*>(player)->GetFLSubAtomics())
                sub->ResetUserUIStarterKey();
        }
    }
}

void QVTreeHandler::DoResetAllMutesAndSolos()
{
    if (QVObjectFolderSequence* const sequences = GetFolderSequence())
        sequences->ResetAllMutesAndSolos();
    if (QVObjectFolderCursor* const players = GetFolderCursor())
        players->ResetAllMutesAndSolos();
}

void QVTreeHandler::DoStopAllPlayers()
{
    for (QVObjectPoolable* sequence : GetFLSequences())
        static_cast<QVObjectSequence*>(sequence)->SetUserPlay(0);
}
