// QVDocument: life, names, modified state and synchronisation of a document.

#include "QVDocument.h"

#include "AKLog.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "QVAudioRecorder.h"
#include "QVContextObject.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentMgr.h"
#include "QVDocumentTreeHandler.h"
#include "QVDocumentTypeMgr.h"
#include "QVDocPrefs.h"
#include "QVLocale.h"
#include "QVPrefs.h"
#include "QVTreeHandler.h"

#include <atomic>

namespace {

// Both start at 0 and are raised before use: the first document is 1, the
// first untitled one "Untitled 1"; neither number is ever given twice.
std::atomic<QVDocumentID> sLastDocumentID{kQVNullDocumentID};
std::atomic<unsigned int> sLastUntitledNumber{0};

unsigned int ResolveType(unsigned int documentType)
{
    if (documentType == 0 && QVDocumentTypeMgr::sShared.CountDocumentTypes() == 1)
        return 1;
    return documentType;
}

unsigned int TreeOptionsOfFlags(unsigned int flags)
{
    unsigned int options = kAKTreeOptionDeferredDelete;
    if ((flags & kQVDocumentFlagReadOnly) != 0)
        options |= kAKTreeOptionReadOnly;
    if ((flags & kQVDocumentFlagPersistentIDs) != 0)
        options |= kAKTreeOptionKeepLoadedIDs;
    return options;
}

QVContextObject* InstallContext(AKTree* tree, QVDocument* document)
{
    auto* const context = new QVContextObject(tree, document);
    tree->SetupCustomContextObject(context);
    return context;
}

QVDocumentAudioSource* MakeAudioSource(QVDocument* document)
{
    QVDocumentAudioSource::Maker const maker = QVDocumentAudioSource::GetMaker();
    return maker != nullptr ? maker(document) : nullptr;
}

AKString NextUntitledName()
{
    AKString name;
    name.Assignf("%s %u", QVLocaleGetString("Untitled"),
                 sLastUntitledNumber.fetch_add(1, std::memory_order_relaxed) + 1);
    return name;
}

AKTreeActionParam FullRefreshAction(AKTree* tree)
{
    AKTreeActionParam action(tree);
    action.SetActionName(kQVDocumentFullRefreshCommandID, AKString());
    action.SetResultFlags(kQVDocumentFullRefreshResultFlags);
    return action;
}

}  // namespace

QVDocument::QVDocument(unsigned int documentType, unsigned int flags)
    : mDocumentType(ResolveType(documentType)),
      mDocumentID(sLastDocumentID.fetch_add(1, std::memory_order_relaxed) + 1), mFlags(flags),
      mTree(new AKTree(TreeOptionsOfFlags(flags))), mContext(InstallContext(mTree, this)),
      mTreeHandler(new QVTreeHandler(mTree, &mTreeGuard)), mDocPrefs(new QVDocPrefs(this)),
      mAudioRecorder(new QVAudioRecorder(this)), mAudioSource(MakeAudioSource(this))
{
    if (!IsPrivate())
        QVDocumentMgr::sShared.AddDocument(this);
}

QVDocument::~QVDocument()
{
    // The manager must stop mixing the source before it goes.
    if (!IsPrivate())
        QVDocumentMgr::sShared.RemoveDocument(this);
    delete mAudioSource;
    delete mAudioRecorder;
    delete mDocPrefs;
    delete mTreeHandler;
    delete mTree;
}

void QVDocument::Delete()
{
    if (!IsPrivate())
        QVDocumentMgr::sShared.RemoveDocument(this);
    delete this;
}

AKTreeHistory& QVDocument::GetHistory() const { return mTreeHandler->GetHistory(); }

// --- Host interface ---

void QVDocument::SetModified(unsigned int level)
{
    if (level == 0) {
        mModifiedLevel = 0;
        GetHistory().ResetHistoryModifiedFlag();
        mTree->ResetAllObjectsModifiedFlag(true);
        return;
    }
    if (level > mModifiedLevel)
        mModifiedLevel = level;
}

int QVDocument::OnDocumentNew(AKString const& name, unsigned int, bool)
{
    if (mInitialized)
        return AKLogError(kQVErrorDocumentAlreadyInitialized, "The document \"%s\" is already initialized",
                          mName.c_str());
    SetDocumentName(name);
    mDocPrefs->CopyFromDefaults(QVPrefs::sShared.GetDefaultDocPrefs());
    int status;
    {
        QVDocumentTreeGuard::EditScope edit(mTreeGuard);
        status = mTree->InitDefault(mDocumentType);
    }
    if (status != 0)
        return status;
    // The engine's folders (those the document type takes under its root),
    // before the history opens so they are no undo step.
    QVTreeHandler* const engineHandler = static_cast<QVTreeHandler*>(mTreeHandler);
    status = engineHandler->RebuildDefaultFoldersIfNeeded();
    if (status != 0)
        return status;
    engineHandler->SynchronizeFLFastLinks();
    if ((mFlags & kQVDocumentFlagUndoRedo) != 0) {
        status = mTreeHandler->ReopenHistory();
        if (status != 0)
            return status;
    }
    if ((mFlags & kQVDocumentFlagIdlingObjects) != 0)
        mTreeHandler->StartIdlingObjects();
    if (mAudioSource != nullptr)
        mAudioSource->SynchronizeWithDoc(true);
    mFileExists = false;
    SetModified(0);
    mInitialized = true;
    SynchronizeAllAndNotifyGandlerListeners();
    return 0;
}

void QVDocument::DoDocumentClose(unsigned int, bool* cancelled)
{
    if (cancelled != nullptr)
        *cancelled = false;
    Delete();
}

void QVDocument::NotifyGandlerListeners(AKTreeActionParam const&) {}

void QVDocument::ForceRefreshDocument() { NotifyGandlerListeners(FullRefreshAction(mTree)); }

bool QVDocument::ApplyUserSettingsToDocument(AKDictionary const&) { return false; }

bool QVDocument::GrabUserSettingsFromDocument(AKDictionary*) const { return false; }

void QVDocument::DoIdlingForTreeObjectsAndGarbage()
{
    mTreeHandler->GetNotifier().DoIdling();
    QVDocumentTreeGuard::EditScope edit(mTreeGuard);
    mTree->DoIdling();
}

// --- Modified state ---

bool QVDocument::IsModified() const
{
    if (mModifiedLevel >= kQVDocumentModifiedStrong || GetHistory().IsHistoryModified())
        return true;
    return mTree->IsSomeObjectModified();
}

bool QVDocument::IsModifiedWeak() const
{
    return mModifiedLevel == kQVDocumentModifiedWeak && !GetHistory().IsHistoryModified();
}

// --- Name and file ---

void QVDocument::SetDocumentName(AKString const& name)
{
    mName = name.IsEmpty() ? NextUntitledName() : name;
    LowApplyName();
}

void QVDocument::SetDocumentFilePath(AKFilePath const& path)
{
    mName = path.ShortFileName();
    mFilePath = path;
    if (mName.IsEmpty())
        mName = NextUntitledName();
    LowApplyName();
}

void QVDocument::LowApplyName()
{
    mFilePath.SetShortFileName(mName);
    mFilePath.SetExtension(QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(mDocumentType).GetFileExtension());
    mTree->SetName(mName);
}

// --- Synchronisation and messages ---

void QVDocument::SynchronizeAllAndNotifyGandlerListeners(AKTreeActionParam const& action)
{
    unsigned int const flags = action.GetResultFlags();
    if (action.GetCommandID() == kQVDocumentFullRefreshCommandID || (flags & kAKTreeActionLinkKinds) != 0) {
        // Inside an edit: the name paths resolve through links that this
        // step rebuilds.
        QVDocumentTreeGuard::EditScope edit(mTreeGuard);
        QVTreeHandler* const engineHandler = static_cast<QVTreeHandler*>(mTreeHandler);
        engineHandler->SynchronizeFLFastLinks();
        engineHandler->SynchronizeFLSequencesFullIntv();
        if (mAudioSource != nullptr)
            mAudioSource->SynchronizeWithDoc(false);
        LowForgetObjectPaths();
    } else if ((flags & 0xff) != 0 && ((flags >> 8) & 0xff) != (kAKTreeActionPasteboard >> 8)) {
        static_cast<QVTreeHandler*>(mTreeHandler)->SynchronizeFLSequencesFullIntv();
        LowForgetObjectPaths();
    }
    NotifyGandlerListeners(action);
}

void QVDocument::SynchronizeAllAndNotifyGandlerListeners()
{
    SynchronizeAllAndNotifyGandlerListeners(FullRefreshAction(mTree));
}

void QVDocument::SendMessageToAllObjects(AKMessage const& message)
{
    mTreeHandler->GetNotifier().SendMessageToAllObjects(message);
}

void QVDocument::LogInfo(int) const
{
    static char const kFrame[] =
        "+==================================================================================+\n";
    AKLog("%s", kFrame);
    AKLog("| Document: #%d \"%s\"\n", static_cast<int>(mDocumentID), mName.c_str());
    AKLog("%s", kFrame);
    // The player and sequence folders log themselves here once they exist.
    AKLog("\n");
}
