// QVPluginMgr: creating, finding, releasing and deleting instances.

#include "AKLog.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"

#include <algorithm>

namespace {

constexpr unsigned int kNotFound = 0xFFFFFFFFu;

}  // namespace

QVPluginInstance* QVPluginMgr::CreatePluginInstance(QVPluginDescUID uid)
{
    if (uid == kQVNullPluginDescUID || !mInitialized)
        return nullptr;
    QVPluginDesc const& desc = mDescs.BSearchDescByUID(uid, nullptr);
    if (desc.GetUID() == kQVNullPluginDescUID)
        return nullptr;
    QVAudioInfo const info = QVAudioServices::Get().GetCurrentAudioInfo();
    if (!info.IsValid() || info.frameCount == 0) {
        // A host prepared for no channels, no rate or no block would process
        // nothing, or divide by zero.
        AKLogError(kQVErrorCantLoadPlugin,
                   "Can't create the plugin \"%s\" without a valid audio format (%u channels, %llu frames, %g Hz)",
                   desc.GetName().c_str(), info.channelCount, info.frameCount, info.sampleRate);
        return nullptr;
    }
    QVPluginInstance* const instance = mHost->CreatePluginInstance(desc, info);
    if (instance != nullptr)
        RegisterInstance(instance);
    return instance;
}

void QVPluginMgr::RegisterInstance(QVPluginInstance* instance)
{
    if (mDirectAccess && !mInstanceTable.SetAccess(instance->GetInstanceID(), instance)) {
        // IDs only grow: once one is beyond the table, the table is given up.
        mDirectAccess = false;
        mInstanceTable.Clear();
    }
    mInstances.Push(instance);
}

unsigned int QVPluginMgr::FindLiveIndex(QVInstanceID id) const
{
    auto it = std::lower_bound(mInstances.begin(), mInstances.end(), id,
                               [](QVPluginInstance const* a, QVInstanceID key) { return a->GetInstanceID() < key; });
    if (it != mInstances.end() && (*it)->GetInstanceID() == id)
        return static_cast<unsigned int>(it - mInstances.begin());
    return kNotFound;
}

void QVPluginMgr::ReleasePluginInstance(QVPluginInstance* instance)
{
    if (!mInitialized || instance == nullptr || instance->GetInstanceID() == kQVNullInstanceID)
        return;
    instance->ShowPluginWindow(false);
    unsigned int const index = FindLiveIndex(instance->GetInstanceID());
    if (index == kNotFound) {
        AKLog("# PLUGIN Warning: Plugin instance \"%s\" with ID [%u] cannot be found !\n", instance->GetName().c_str(),
              instance->GetInstanceID());
    } else {
        mInstances.Remove(index);
    }
    if (mDirectAccess)
        mInstanceTable.ClearAccess(instance->GetInstanceID());
    mDeletionQueue.Push(instance);
    GiveMeIdling(true);
}

QVPluginInstance* QVPluginMgr::GetPluginInstance(QVInstanceID id) const
{
    if (mDirectAccess)
        return mInstanceTable.GetAccess(id);
    if (id == kQVNullInstanceID)
        return nullptr;
    unsigned int const index = FindLiveIndex(id);
    return index != kNotFound ? mInstances[index] : nullptr;
}

bool QVPluginMgr::RetrieveOwnerObject(QVInstanceID id, QVDocument** document, QVObjectPlayable** playable,
                                      QVPluginInstance** instance) const
{
    QVDocument* foundDocument = nullptr;
    QVObjectPlayable* foundPlayable = nullptr;
    QVPluginInstance* const found = GetPluginInstance(id);
    bool ok = found != nullptr;
    if (ok) {
        QVAudioServices const& services = QVAudioServices::Get();
        QVDocumentID documentID = found->GetOwnerDocumentID();
        AKNodeID nodeID = found->GetOwnerNodeID();
        if (documentID == kQVNullDocumentID) {
            ok = services.FindPlayableWithPlugin(*found, &documentID, &nodeID);
            if (ok)
                found->SetOwner(documentID, nodeID);
        }
        ok = ok && services.GetPlayableByIDs(documentID, nodeID, &foundDocument, &foundPlayable);
    }
    if (!ok) {
        foundDocument = nullptr;
        foundPlayable = nullptr;
    }
    if (document != nullptr)
        *document = foundDocument;
    if (playable != nullptr)
        *playable = foundPlayable;
    if (instance != nullptr)
        *instance = ok ? found : nullptr;
    return ok;
}

void QVPluginMgr::DoIdling()
{
    if (mInitialized)
        mDeletionQueue.DoIdling();
    if (!mInitialized || mDeletionQueue.IsEmpty())
        GiveMeIdling(false);
}

void QVPluginMgr::DeleteAllInstances()
{
    while (!mInstances.IsEmpty()) {
        QVPluginInstance* const instance = mInstances.Last();
        mInstances.Pop();
        delete instance;
    }
    mInstanceTable.Clear();
    mDeletionQueue.ForcePurge();
}
