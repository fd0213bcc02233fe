// QVEngineServices: the lower layers' calls, forwarded to the engine's managers.

#include "QVEngineServices.h"

#include "AKTree.h"
#include "QVAudioSource.h"
#include "QVBounceMgr.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVDocumentProviderMarks.h"
#include "QVDocumentTypeMgr.h"
#include "QVLibBasicOptions.h"
#include "QVLocale.h"
#include "QVObjectPlayable.h"
#include "QVPrefs.h"
#include "QVStandardFolders.h"

QVEngineServices QVEngineServices::sShared;

QVEngineServices::~QVEngineServices() { UninstallSelf(); }

void QVEngineServices::Install()
{
    AKEngineServices::Install(&sShared);
    QVAudioServices::Install(&sShared);
    // Every document made from here on plays through an audio source.
    QVDocumentAudioSource::InstallMaker(&QVAudioSource::Make);
}

void QVEngineServices::Uninstall() { sShared.UninstallSelf(); }

void QVEngineServices::UninstallSelf() const
{
    // Never leave a layer asking a destroyed object.
    if (&AKEngineServices::Get() == this)
        AKEngineServices::Install(nullptr);
    if (&QVAudioServices::Get() == this)
        QVAudioServices::Install(nullptr);
    if (QVDocumentAudioSource::GetMaker() == &QVAudioSource::Make)
        QVDocumentAudioSource::InstallMaker(nullptr);
}

void QVEngineServices::GetAuthoChildClasses(unsigned int documentType, AKClassArray* classes) const
{
    QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(documentType).GetAuthoChildClasses(classes);
}

bool QVEngineServices::IsValidDocumentType(unsigned int documentType) const
{
    return QVDocumentTypeMgr::sShared.IsValidDocumentType(documentType);
}

AKFilePath QVEngineServices::GetSettingsFilePath(AKString const& name) const
{
    return QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, name);
}

bool QVEngineServices::IsRealTimeLoadingOn() const { return gQVLib.realTime; }

bool QVEngineServices::IsWaveformBuildingOn() const { return gQVLib.waveform; }

char const* QVEngineServices::LocaleGetString(char const* text) const { return QVLocaleGetString(text); }

void QVEngineServices::GetOpenDocuments(ATArray<QVDocument*>* documents) const
{
    if (documents != nullptr)
        *documents = QVDocumentMgr::sShared.GetDocuments();
}

void QVEngineServices::GetBounceUsedPrivateDocuments(ATArray<QVDocument*>* documents) const
{
    QVBounceMgr::sShared.GetCurrentUsedPrivateDocuments(documents);
}

void QVEngineServices::GrabActiveProviders(QVDocument const* document,
                                           ATNumberArray<unsigned char, unsigned char, 0>* marks) const
{
    QVDocumentProviderMarks::GrabActiveProviders(document, marks);
}

// --- Plug-ins ---

QVAudioInfo QVEngineServices::GetCurrentAudioInfo() const { return QVDocumentMgr::sShared.GetCurrentAudioInfo(); }

void QVEngineServices::GetPluginSearchPrefs(AKFilePathArray* paths, QVPluginSearchFlagArray* flags) const
{
    if (paths != nullptr)
        *paths = QVPrefs::sShared.GetPluginSearchPaths();
    if (flags != nullptr)
        *flags = QVPrefs::sShared.GetPluginSearchFlags();
}

void QVEngineServices::SetPluginSearchPrefs(AKFilePathArray const& paths, QVPluginSearchFlagArray const& flags) const
{
    QVPrefs::sShared.SetPluginSearchPaths(paths);
    QVPrefs::sShared.SetPluginSearchFlags(flags);
}

bool QVEngineServices::FindPlayableWithPlugin(QVPluginInstance const& instance, QVDocumentID* documentID,
                                              AKNodeID* nodeID) const
{
    QVDocument* document = nullptr;
    QVObjectPlayable const* const playable = QVObjectPlayable::FindCarrierOfPlugin(instance, &document);
    if (playable == nullptr)
        return false;
    if (documentID != nullptr)
        *documentID = document->GetDocumentID();
    if (nodeID != nullptr)
        *nodeID = playable->NodeOwnerID();
    return true;
}

bool QVEngineServices::GetPlayableByIDs(QVDocumentID documentID, AKNodeID nodeID, QVDocument** document,
                                        QVObjectPlayable** playable) const
{
    QVDocument* const found = QVDocumentMgr::sShared.GetDocumentByID(documentID);
    QVObjectPlayable* const object =
        found != nullptr ? found->GetTree()->GetObjectT<QVObjectPlayable>(nodeID) : nullptr;
    if (document != nullptr)
        *document = object != nullptr ? found : nullptr;
    if (playable != nullptr)
        *playable = object;
    return object != nullptr;
}
