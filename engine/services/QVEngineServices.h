#pragma once

// QVEngineServices: the engine's one answer to the layers below it. The
// object tree (AKEngineServices) and the audio resources (QVAudioServices)
// call up through their own interfaces; this class implements both by
// forwarding to the engine's managers, so that no manager carries a lower
// layer's interface itself. A method added to either interface gets its
// forwarding here.
//
// The engine start installs the shared instance into both layers and the
// engine stop uninstalls it. Install and Uninstall are for the thread that
// starts and stops the engine; the answers may be asked from any thread.

#include "AKEngineServices.h"
#include "QVAudioServices.h"

class QVEngineServices final : public AKEngineServices, public QVAudioServices
{
public:
    static QVEngineServices sShared;

    QVEngineServices() = default;
    // Takes itself out of either layer it is still installed in.
    ~QVEngineServices() override;

    // Makes the shared instance answer the tree and the audio resources.
    static void Install();
    // Gives each layer back its do-nothing answers, where the shared
    // instance is the one installed (services installed by others stay).
    static void Uninstall();

    // Object tree: the document types of QVDocumentTypeMgr::sShared.
    void GetAuthoChildClasses(unsigned int documentType, AKClassArray* classes) const override;
    bool IsValidDocumentType(unsigned int documentType) const override;

    // Both layers: the settings folder of QVStandardFolders.
    AKFilePath GetSettingsFilePath(AKString const& name) const override;

    // Audio resources, plug-ins: the document manager's audio format, the
    // plug-in folders of QVPrefs::sShared, and the playables of the open
    // documents.
    QVAudioInfo GetCurrentAudioInfo() const override;
    void GetPluginSearchPrefs(AKFilePathArray* paths, QVPluginSearchFlagArray* flags) const override;
    void SetPluginSearchPrefs(AKFilePathArray const& paths, QVPluginSearchFlagArray const& flags) const override;
    bool FindPlayableWithPlugin(QVPluginInstance const& instance, QVDocumentID* documentID,
                                AKNodeID* nodeID) const override;
    bool GetPlayableByIDs(QVDocumentID documentID, AKNodeID nodeID, QVDocument** document,
                          QVObjectPlayable** playable) const override;

    // Audio resources, for the sound providers: the start options gQVLib,
    // QVLocaleGetString, the document manager's open documents, the bounce
    // jobs' private documents and the provider IDs a document's tracks name.
    bool IsRealTimeLoadingOn() const override;
    bool IsWaveformBuildingOn() const override;
    char const* LocaleGetString(char const* text) const override;
    void GetOpenDocuments(ATArray<QVDocument*>* documents) const override;
    void GetBounceUsedPrivateDocuments(ATArray<QVDocument*>* documents) const override;
    void GrabActiveProviders(QVDocument const* document,
                             ATNumberArray<unsigned char, unsigned char, 0>* marks) const override;

private:
    void UninstallSelf() const;
};
