// QVDocument: the objects that OSC messages name by node ID or by name path.

#include "AKNode.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVDocumentObjectPaths.h"

AKObject* QVDocument::GetObjectForOSC(AKNodeID id, AKString const& path, AKClassID classID) const
{
    QVDocumentTreeGuard::ReadScope read(mTreeGuard);
    if (id > 0)
        return LowObjectOfNode(id);
    if (path[0] != ':')
        return nullptr;
    bool const forTrack = classID == AKClassID(kQVDocumentTrackClassName);
    ATFastMap<AKString, AKNodeID>& cache = forTrack ? mTrackPaths : mPlayablePaths;
    {
        std::lock_guard<std::mutex> lock(mPathCacheMutex);
        if (AKNodeID const* cached = cache.LowFindPair(path))
            return LowObjectOfNode(*cached);
    }
    AKObject* const object = LowResolveNamePath(path, forTrack);
    if (object != nullptr && object->NodeOwnerID() > 0) {
        std::lock_guard<std::mutex> lock(mPathCacheMutex);
        cache.LowAddOrReplacePair(path, object->NodeOwnerID(), true);
    }
    return object;
}

unsigned int QVDocument::CountCachedObjectPaths(bool tracks) const
{
    std::lock_guard<std::mutex> lock(mPathCacheMutex);
    return tracks ? mTrackPaths.Count() : mPlayablePaths.Count();
}

AKObject* QVDocument::LowObjectOfNode(AKNodeID id) const
{
    AKNode const* const node = mTree->GetNode(id);
    return node != nullptr ? node->GetObject() : nullptr;
}

AKObject* QVDocument::LowResolveNamePath(AKString const& path, bool forTrack) const
{
    QVObjectNamePath parsed;
    QVObjectPathNavigator const* const navigator = QVObjectPathNavigator::Get();
    if (navigator == nullptr || !QVParseObjectNamePath(path, forTrack, &parsed))
        return nullptr;
    AKObject* object = navigator->FindSequenceByName(*this, parsed.sequenceName);
    if (object == nullptr || parsed.indexCount == 0)
        return object;
    if (forTrack)
        return navigator->GetTrackOfSequence(object, parsed.indices[0] - 1);
    object = navigator->GetPlayerOfSequence(object, parsed.indices[0] - 1);
    if (object == nullptr || parsed.indexCount == 1)
        return object;
    return navigator->GetSubOfPlayer(object, parsed.indices[1] - 1);
}

void QVDocument::LowForgetObjectPaths()
{
    std::lock_guard<std::mutex> lock(mPathCacheMutex);
    mPlayablePaths.Clear();
    mTrackPaths.Clear();
}
