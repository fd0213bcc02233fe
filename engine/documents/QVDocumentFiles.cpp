// QVDocument: opening, importing, saving and exporting document files.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKNode.h"
#include "AKTree.h"
#include "QVDocPrefs.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentMgr.h"
#include "QVDocumentTreeHandler.h"
#include "QVDocumentTypeMgr.h"
#include "QVObjectFolders.h"
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"

namespace {

constexpr unsigned int kSaveAsOverwrite = 0x4000;

QVDocumentTypeInfo const& TypeOf(unsigned int documentType)
{
    return QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(documentType);
}

// Import and export need a binary type that also has an XML form.
bool CanImportExport(unsigned int documentType)
{
    QVDocumentTypeInfo const& type = TypeOf(documentType);
    return type.IsBinary() && !type.GetXmlSignature().IsEmpty();
}

int FailImportExport()
{
    return AKLogError(kAKErrorMiscellaneous, "Import / Export not available for this type of document");
}

// The sequence and player folders under the root refresh their fast links
// (and the objects below complete what they derive from them), before the
// document is marked unmodified.
void RebuildFastLinks(AKTree const* tree)
{
    AKNode const* const root = tree->GetRootNode();
    for (AKNode* node = root != nullptr ? root->GetSub() : nullptr; node != nullptr; node = node->GetNext()) {
        AKObject* const object = node->GetObject();
        if (object != nullptr && object->IsKindOfT<QVObjectFolderSequence>())
            static_cast<QVObjectFolderSequence*>(object)->SynchronizeFLFastLinks();
        else if (object != nullptr && object->IsKindOfT<QVObjectFolderCursor>())
            static_cast<QVObjectFolderCursor*>(object)->SynchronizeFLFastLinks();
    }
}

// The steps save and save as share: the host's settings, the file in the
// type's form, then the document takes the file. A failed write keeps the
// document as it was: modified, on its old file.
int WriteAndAssociate(QVDocument* document, AKFilePath const& resolved)
{
    document->GetDocPrefs()->GrabSomePrefsFromDocument();
    AKDictionary settings;
    if (document->GrabUserSettingsFromDocument(&settings))
        document->GetHostSettings() = settings;
    int const status = TypeOf(document->GetDocumentType()).IsBinary() ? document->SaveToBinFile(resolved)
                                                                      : document->SaveToXmlFile(resolved, false);
    if (status != 0)
        return status;
    document->SetDocumentFilePath(resolved);
    document->SetFileExists(true);
    document->SetModified(0);
    return 0;
}

void NotCancelled(bool* cancelled)
{
    if (cancelled != nullptr)
        *cancelled = false;
}

}  // namespace

int QVDocument::SetupLoadedTree()
{
    RebuildFastLinks(mTree);
    // A document opens with every sequence stopped, whatever was saved.
    if (QVTreeHandler* const handler = QVTreeHandlerOfDocument(this))
        handler->DoStopAllPlayers();
    mDocPrefs->ApplySomePrefsToDocument();
    // Host settings the host takes are no longer kept with the document.
    if (ApplyUserSettingsToDocument(mHostSettings))
        mHostSettings.Clear();
    RebuildFastLinks(mTree);
    if ((mFlags & kQVDocumentFlagUndoRedo) != 0) {
        int const history = mTreeHandler->ReopenHistory();
        if (history != 0)
            return history;
    }
    if ((mFlags & kQVDocumentFlagIdlingObjects) != 0)
        mTreeHandler->StartIdlingObjects();
    if (mAudioSource != nullptr)
        mAudioSource->SynchronizeWithDoc(true);
    return 0;
}

void QVDocument::CompleteLoad()
{
    mInitialized = true;
    SynchronizeAllAndNotifyGandlerListeners();
    QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadDeferred);
}

int QVDocument::OnDocumentOpen(AKFilePath const& path, unsigned int, bool asCopy)
{
    AKString const name = path.ShortFileName();
    AKFilePath resolved(path);
    QVDocumentMgr::sShared.ResolveDocumentFilePath(&resolved, mDocumentType);
    if (mInitialized)
        return AKLogError(kQVErrorDocumentAlreadyInitialized, "The document \"%s\" is already initialized",
                          mName.c_str());
    SetDocumentName(name);

    int const status =
        TypeOf(mDocumentType).IsBinary() ? InitFromBinFile(resolved) : InitFromXmlFile(resolved, nullptr, false);
    if (status != 0)
        return status;
    int const setup = SetupLoadedTree();
    if (setup != 0)
        return setup;

    if (asCopy) {
        mFileExists = false;
    } else {
        SetDocumentFilePath(resolved);
        mFileExists = true;
    }
    SetModified(0);
    CompleteLoad();
    return 0;
}

int QVDocument::OnDocumentImport(AKFilePath const& path, unsigned int, AKDictionary const* dictionary)
{
    AKString const name = path.ShortFileName();
    AKFilePath resolved(path);
    QVDocumentMgr::sShared.ResolveDocumentFilePath(&resolved, AKString());
    if (mInitialized)
        return AKLogError(kQVErrorDocumentAlreadyInitialized, "The document \"%s\" is already initialized",
                          mName.c_str());
    SetDocumentName(name);
    if (!CanImportExport(mDocumentType))
        return FailImportExport();

    int const status = InitFromXmlFile(resolved, dictionary, true);
    if (status != 0)
        return status;
    int const setup = SetupLoadedTree();
    if (setup != 0)
        return setup;

    mFileExists = false;
    SetModified(kQVDocumentModifiedStrong);
    CompleteLoad();
    return 0;
}

int QVDocument::DoDocumentSave(unsigned int, bool* cancelled)
{
    NotCancelled(cancelled);
    if (mModifiedLevel == 0 && !IsModified())
        return 0;
    AKFilePath resolved(mFilePath);
    QVDocumentMgr::sShared.ResolveDocumentFilePath(&resolved, mDocumentType);
    if (!mFileExists)
        return AKLogError(kQVErrorDocumentNoAssociatedFile, "The document \"%s\" hasn't an associated file",
                          mName.c_str());
    return WriteAndAssociate(this, resolved);
}

int QVDocument::DoDocumentSaveAs(AKFilePath const& path, unsigned int flags, bool* cancelled)
{
    NotCancelled(cancelled);
    AKFilePath resolved(path);
    QVDocumentMgr::sShared.ResolveDocumentFilePath(&resolved, mDocumentType);
    if ((flags & kSaveAsOverwrite) == 0 && AKFileUtils::FileExists(resolved))
        return AKLogError(kQVErrorDocumentCantOverwriteExistingFile,
                          "The document \"%s\" can't overwrite an existing file", mName.c_str());
    return WriteAndAssociate(this, resolved);
}

int QVDocument::DoDocumentExport(AKFilePath const& path, unsigned int, bool* cancelled) const
{
    NotCancelled(cancelled);
    AKFilePath resolved(path);
    QVDocumentMgr::sShared.ResolveDocumentFilePath(&resolved, AKString("xml"));
    if (!CanImportExport(mDocumentType))
        return FailImportExport();
    mDocPrefs->GrabSomePrefsFromDocument();
    return SaveToXmlFile(resolved, true);
}
