#include "QVEngineObjectPaths.h"

#include "AKNode.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

QVEngineObjectPaths const QVEngineObjectPaths::sShared;

namespace {

QVObjectFolderSequence* SequenceFolderOf(QVDocument const& document)
{
    AKNode const* const root = document.GetTree() != nullptr ? document.GetTree()->GetRootNode() : nullptr;
    for (AKNode* node = root != nullptr ? root->GetSub() : nullptr; node != nullptr; node = node->GetNext()) {
        AKObject* const object = node->GetObject();
        if (object != nullptr && object->IsKindOfT<QVObjectFolderSequence>())
            return static_cast<QVObjectFolderSequence*>(object);
    }
    return nullptr;
}

template <class Array>
AKObject* EntryOrNull(Array const& array, unsigned int index)
{
    return index < array.Count() ? static_cast<AKObject*>(array[index]) : nullptr;
}

QVObjectSequence const* AsSequence(AKObject* object)
{
    return object != nullptr && object->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(object)
                                                                      : nullptr;
}

}  // namespace

AKObject* QVEngineObjectPaths::FindSequenceByName(QVDocument const& document, AKString const& name) const
{
    QVObjectFolderSequence* const folder = SequenceFolderOf(document);
    if (folder == nullptr)
        return nullptr;
    // Only the thread inside an edit may write the links; it would otherwise
    // read what an action of its own left stale.
    if (document.GetTreeGuard().IsEditingThread())
        folder->SynchronizeFLFastLinks();
    QVObjectPoolable* const sequence = folder->FindSequenceByName(name);
    return sequence != nullptr && sequence->IsKindOfT<QVObjectSequence>() ? sequence : nullptr;
}

AKObject* QVEngineObjectPaths::GetTrackOfSequence(AKObject* sequence, unsigned int index) const
{
    QVObjectSequence const* const owner = AsSequence(sequence);
    return owner != nullptr ? EntryOrNull(owner->GetFLSubTracks(), index) : nullptr;
}

AKObject* QVEngineObjectPaths::GetPlayerOfSequence(AKObject* sequence, unsigned int index) const
{
    QVObjectSequence const* const owner = AsSequence(sequence);
    return owner != nullptr ? EntryOrNull(owner->GetFLSubPlayers(), index) : nullptr;
}

AKObject* QVEngineObjectPaths::GetSubOfPlayer(AKObject* player, unsigned int index) const
{
    if (player == nullptr || !player->IsKindOfT<QVObjectCursor>())
        return nullptr;
    return EntryOrNull(static_cast<QVObjectCursor*>(player)->GetFLSubAtomics(), index);
}
