// The plug-in slot of a playable: the instance made by the plug-in manager,
// or, when none could be made, the data a document gave for it.

#include "AKTree.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVObjectPlayable.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"

void QVObjectPlayable::RaisePluginStamp()
{
    unsigned int const value = mPluginStamp.fetch_add(1, std::memory_order_relaxed) + 1;
    if (value == kAKNullStampSync || value == kAKUndefStampVers) {
        unsigned int expected = value;
        mPluginStamp.compare_exchange_strong(expected, kAKNullStampVers, std::memory_order_relaxed);
    }
}

void QVObjectPlayable::LowUpdatePlugin(bool withState)
{
    QVPluginInstance* const current = GetPluginInstance();
    bool released = false;
    if (current != nullptr) {
        if (current->GetUID() == mPluginUID)
            return;
        mPluginInstance.store(nullptr, std::memory_order_release);
        QVPluginMgr::sShared.ReleasePluginInstance(current);
        released = true;
    }
    QVPluginInstance* created = nullptr;
    if (mPluginUID != kQVNullPluginDescUID) {
        created = QVPluginMgr::sShared.CreatePluginInstance(mPluginUID);
        if (created != nullptr && withState)
            created->InitWithState(mStoredPluginState, mStoredPluginBypass);
        mPluginInstance.store(created, std::memory_order_release);
    }
    if (mPluginUID == kQVNullPluginDescUID || created != nullptr) {
        // The instance holds them now.
        mStoredPluginName.Clear();
        mStoredPluginBypass = false;
        mStoredPluginState.Free();
    }
    if (mOwningSequence != nullptr) {
        if (released && created == nullptr)
            mOwningSequence->ChangeFLPluginCarrierCount(-1);
        else if (!released && created != nullptr)
            mOwningSequence->ChangeFLPluginCarrierCount(1);
    }
}

bool QVObjectPlayable::AttachPlugin(QVPluginDescUID uid)
{
    if (uid == mPluginUID)
        return false;
    // What a document gave belongs to the former plug-in: it must not be
    // saved under the new UID when the new one cannot be made either.
    mStoredPluginName.Clear();
    mStoredPluginBypass = false;
    mStoredPluginState.Free();
    mPluginUID = uid;
    LowUpdatePlugin(false);
    RaisePluginStamp();
    SetModified(true);
    return true;
}

bool QVObjectPlayable::SetPluginBypass(unsigned int bypass)
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance == nullptr || !instance->SetBypassed(bypass))
        return false;
    RaisePluginStamp();
    SetModified(true);
    return true;
}

double QVObjectPlayable::SetPluginParameter(unsigned int index, double value)
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance == nullptr || index >= instance->GetParameterCount())
        return value;
    instance->SetParameterValue(index, value);
    SetModified(true);
    return instance->GetParameterValue(index);
}

double QVObjectPlayable::GetPluginParameter(unsigned int index) const
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance == nullptr || index >= instance->GetParameterCount())
        return 0.0;
    return instance->GetParameterValue(index);
}

AKString QVObjectPlayable::GetPluginName() const
{
    QVPluginInstance* const instance = GetPluginInstance();
    return instance != nullptr ? instance->GetName() : mStoredPluginName;
}

bool QVObjectPlayable::IsPluginBypass() const
{
    QVPluginInstance* const instance = GetPluginInstance();
    return instance != nullptr ? instance->IsBypassed() : mStoredPluginBypass;
}

bool QVObjectPlayable::ShowPluginWindow(bool show)
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance == nullptr)
        return false;
    bool const done = instance->ShowPluginWindow(show);
    if (done && show)
        SetModified(true);
    return done;
}

int QVObjectPlayable::PrepareAudioResources(QVAudioInfo const& info, unsigned long long)
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance != nullptr && mOwningSequence != nullptr)
        instance->PrepareAudioResources(info);
    return 0;
}

void QVObjectPlayable::ReleaseAudioResources()
{
    QVPluginInstance* const instance = GetPluginInstance();
    if (instance != nullptr)
        instance->ReleaseAudioResources();
}

QVObjectPlayable* QVObjectPlayable::FindCarrierOfPlugin(QVPluginInstance const& instance, QVDocument** document)
{
    for (QVDocument* candidate : QVDocumentMgr::sShared.GetDocuments()) {
        AKTree const* const tree = candidate->GetTree();
        if (tree == nullptr)
            continue;
        for (AKNode* node : tree->GetNodes()) {
            AKObject* const object = node->GetObject();
            if (object == nullptr || !object->IsKindOfT<QVObjectPlayable>())
                continue;
            QVObjectPlayable* const playable = static_cast<QVObjectPlayable*>(object);
            if (playable->GetPluginInstance() == &instance) {
                if (document != nullptr)
                    *document = candidate;
                return playable;
            }
        }
    }
    if (document != nullptr)
        *document = nullptr;
    return nullptr;
}
