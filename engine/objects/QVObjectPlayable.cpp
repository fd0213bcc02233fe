#include "QVObjectPlayable.h"

#include "AKTree.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"

QVObjectPlayable::QVObjectPlayable(unsigned int options) : QVObjectPoolable(options) {}

QVObjectPlayable::~QVObjectPlayable()
{
    if (mPluginInstance != nullptr)
        QVPluginMgr::sShared.ReleasePluginInstance(mPluginInstance);
}

void QVObjectPlayable::RaisePluginStamp()
{
    ++mPluginStamp;
    if (mPluginStamp == kAKNullStampSync || mPluginStamp == kAKUndefStampVers)
        mPluginStamp = kAKNullStampVers;
}

void QVObjectPlayable::LowUpdatePlugin()
{
    if (mPluginInstance != nullptr) {
        if (mPluginInstance->GetUID() == mPluginUID)
            return;
        QVPluginMgr::sShared.ReleasePluginInstance(mPluginInstance);
        mPluginInstance = nullptr;
    }
    if (mPluginUID != kQVNullPluginDescUID)
        mPluginInstance = QVPluginMgr::sShared.CreatePluginInstance(mPluginUID);
}

bool QVObjectPlayable::AttachPlugin(QVPluginDescUID uid)
{
    if (uid == mPluginUID)
        return false;
    mPluginUID = uid;
    LowUpdatePlugin();
    RaisePluginStamp();
    SetModified(true);
    return true;
}

bool QVObjectPlayable::SetPluginBypass(unsigned int bypass)
{
    if (mPluginInstance == nullptr || !mPluginInstance->SetBypassed(bypass))
        return false;
    RaisePluginStamp();
    SetModified(true);
    return true;
}

bool QVObjectPlayable::IsPluginBypass() const { return mPluginInstance != nullptr && mPluginInstance->IsBypassed(); }

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
