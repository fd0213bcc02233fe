// Steps shared by the readers and writers of document files.

#include "QVDocumentFilesSteps.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "ATArray.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVTreeHandler.h"

namespace {

QVDocument::OldFileUpgrader sOldFileUpgrader = nullptr;

}  // namespace

void QVDocument::InstallOldFileUpgrader(OldFileUpgrader upgrader) { sOldFileUpgrader = upgrader; }

int QVDocumentFilesCheckVersion(unsigned long long version, char const* fileName)
{
    if (version == 0)
        return 0;
    if (version > 0xFFFFFFFFull ||
        !QVDocumentTypeMgr::sShared.CheckDocumentFileVersionSupported(static_cast<unsigned int>(version)))
        return AKLogError(kAKErrorChunkUnknownVersion, "In file \"%s\", chunk version number is unknown", fileName);
    return 0;
}

int QVDocumentFilesUpgradeIfOld(QVDocument* document, unsigned int version)
{
    if (version != 0)
        return 0;
    // Without an upgrader the tree stays as it was read.
    if (sOldFileUpgrader == nullptr)
        return 0;
    int const status = sOldFileUpgrader(document, version);
    if (status != 0)
        return status;
    AKLog("# DOCUMENT: Has detected old file format 0x%04X. Data has been updated.\n", version);
    return 0;
}

int QVDocumentFilesFinishRead(QVDocument* document, unsigned int version)
{
    // Not an undo step: the history opens later.
    if (QVTreeHandler* const handler = QVTreeHandlerOfDocument(document)) {
        int const status = handler->RebuildDefaultFoldersIfNeeded();
        if (status != 0)
            return status;
    }
    return QVDocumentFilesUpgradeIfOld(document, version);
}

AKDictionary const& QVDocumentFilesSubDictionary(AKDictionary const& file, char const* key)
{
    AKValue const& value = file.GetValue(key);
    return value.IsAKDictionary() ? AKValueGetasAKDictionary(value) : kAKNullDictionary;
}

QVDocumentFilesProviderRollback::QVDocumentFilesProviderRollback() : mBefore(QVProviderMgr::sShared.GetProviderIDs()) {}

void QVDocumentFilesProviderRollback::Rollback()
{
    QVProviderMgr& providers = QVProviderMgr::sShared;
    ATArray<QVProvider*> added;
    for (QVProvider* provider : providers.GetProviders()) {
        bool known = false;
        for (unsigned int i = 0; i < mBefore.Count() && !known; ++i)
            known = mBefore[i] == provider->GetID();
        if (!known)
            added.Push(provider);
    }
    for (QVProvider* provider : added)
        providers.RemoveProvider(provider);
}
