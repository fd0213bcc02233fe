// QVEngineServices: the lower layers' calls, forwarded to the engine's managers.

#include "QVEngineServices.h"

#include "QVDocumentTypeMgr.h"
#include "QVStandardFolders.h"

QVEngineServices QVEngineServices::sShared;

QVEngineServices::~QVEngineServices() { UninstallSelf(); }

void QVEngineServices::Install()
{
    AKEngineServices::Install(&sShared);
    QVAudioServices::Install(&sShared);
}

void QVEngineServices::Uninstall() { sShared.UninstallSelf(); }

void QVEngineServices::UninstallSelf() const
{
    // Never leave a layer asking a destroyed object.
    if (&AKEngineServices::Get() == this)
        AKEngineServices::Install(nullptr);
    if (&QVAudioServices::Get() == this)
        QVAudioServices::Install(nullptr);
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
