// QVDocumentMgr: registration, look-ups, paths and closing of the open documents.

#include "QVDocumentMgr.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKSys.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentTypeMgr.h"
#include "QVProviderMgr.h"

namespace {

constexpr unsigned int kReservedDocuments = 20;

}  // namespace

QVDocumentMgr QVDocumentMgr::sShared;

QVDocumentMgr::QVDocumentMgr() : mClock(&AKSys::GetCurrentApplicationTimeMicroSec)
{
    mDocuments.Reserve(kReservedDocuments);
    mCachedIDs.Reserve(kReservedDocuments);
    mAudioInfo.Setup(kQVDocumentMgrDefaultChannelCount, kQVDocumentMgrDefaultBlockFrameCount,
                     kQVDocumentMgrDefaultSampleRate);
}

QVDocumentMgr::~QVDocumentMgr() = default;

// --- Registration ---

void QVDocumentMgr::AddDocument(QVDocument* document)
{
    if (document == nullptr || LowFindInList(document->GetDocumentID()) != nullptr)
        return;
    QVDocumentAudioSource* const source = document->GetAudioSource();
    if (source != nullptr && document->IsRealTimeAudio() && mAudioPrepared)
        source->PrepareAudioResources(mAudioInfo);

    QVDocumentMgrBusyGate::ChangeScope change(mGate);
    std::lock_guard<std::mutex> lock(mListMutex);
    mDocuments.Push(document);
    if (mDirectAccess.load(std::memory_order_relaxed) && !mTable.Set(document->GetDocumentID(), document))
        mDirectAccess.store(false, std::memory_order_release);
    LowForgetCachedIDs();
}

void QVDocumentMgr::RemoveDocument(QVDocument* document)
{
    if (document == nullptr || LowFindInList(document->GetDocumentID()) != document)
        return;
    {
        QVDocumentMgrBusyGate::ChangeScope change(mGate);
        std::lock_guard<std::mutex> lock(mListMutex);
        mDocuments.RemoveUniqueItem(document);
        if (mDirectAccess.load(std::memory_order_relaxed))
            mTable.Clear(document->GetDocumentID());
        LowForgetCachedIDs();
    }
    QVDocumentAudioSource* const source = document->GetAudioSource();
    if (source != nullptr && document->IsRealTimeAudio())
        source->ReleaseAudioResources();
    QVDocumentID expected = document->GetDocumentID();
    mActiveDocumentID.compare_exchange_strong(expected, kQVNullDocumentID, std::memory_order_acq_rel);
    QVProviderMgr::sShared.RemoveUnusedDuplicates(nullptr);
}

// --- Look-ups ---

QVDocument* QVDocumentMgr::LowFindInList(QVDocumentID documentID) const
{
    if (documentID == kQVNullDocumentID)
        return nullptr;
    for (QVDocument* document : mDocuments) {
        if (document->GetDocumentID() == documentID)
            return document;
    }
    return nullptr;
}

QVDocument* QVDocumentMgr::GetDocumentByID(QVDocumentID documentID) const
{
    if (mDirectAccess.load(std::memory_order_acquire))
        return mTable.Get(documentID);
    std::lock_guard<std::mutex> lock(mListMutex);
    return LowFindInList(documentID);
}

QVDocument* QVDocumentMgr::GetDocumentByName(AKString const& name) const
{
    if (name.IsEmpty())
        return nullptr;
    for (QVDocument* document : mDocuments) {
        if (document->GetDocumentName() == name)
            return document;
    }
    return nullptr;
}

QVDocument* QVDocumentMgr::GetDocumentByFilePath(AKFilePath const& path) const
{
    if (path.IsEmpty())
        return nullptr;
    AKFilePath resolved = path;
    ResolveDocumentFilePath(&resolved, AKString());
    for (QVDocument* document : mDocuments) {
        if (document->GetDocumentFilePath() == resolved)
            return document;
    }
    return nullptr;
}

ATArray<QVDocumentID> const& QVDocumentMgr::GetDocumentIDs() const
{
    if (mCachedIDs.IsEmpty()) {
        for (QVDocument const* document : mDocuments)
            mCachedIDs.Push(document->GetDocumentID());
    }
    return mCachedIDs;
}

QVDocumentID QVDocumentMgr::SetActiveDocument(QVDocument* document)
{
    QVDocumentID const id = document != nullptr ? document->GetDocumentID() : kQVNullDocumentID;
    mActiveDocumentID.store(id, std::memory_order_release);
    return id;
}

// --- File paths ---

void QVDocumentMgr::SetDocumentsBasePath(AKFilePath const& folder)
{
    mBasePath = folder;
    mBasePath.ForceDirectorySyntax();
}

void QVDocumentMgr::ResolveDocumentFilePath(AKFilePath* path, AKString const& extension) const
{
    if (path == nullptr)
        return;
    if (!extension.IsEmpty())
        path->SetExtension(extension);
    if (!path->IsAbsolute())
        path->MakeAbsolute(mBasePath.IsEmpty() ? AKFileUtils::GetApplicationDirPath(nullptr) : mBasePath);
    path->SimplifyPath();
}

void QVDocumentMgr::ResolveDocumentFilePath(AKFilePath* path, unsigned int documentType) const
{
    ResolveDocumentFilePath(path, QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(documentType).GetFileExtension());
}

// --- All documents ---

void QVDocumentMgr::ForceRefreshAllDocuments()
{
    // A refresh may not change the list, but a copy costs nothing here.
    ATArray<QVDocument*> const documents = mDocuments;
    for (QVDocument* document : documents)
        document->ForceRefreshDocument();
}

void QVDocumentMgr::CloseAllDocuments()
{
    // Delete unregisters each document before deleting it.
    while (!mDocuments.IsEmpty())
        mDocuments.Last()->Delete();
}

void QVDocumentMgr::Terminate() { CloseAllDocuments(); }

bool QVDocumentMgr::DoCloseAllDocuments(unsigned int flags, bool* cancelled)
{
    bool stopped = false;
    while (!mDocuments.IsEmpty()) {
        QVDocument* const last = mDocuments.Last();
        bool closeCancelled = false;
        last->DoDocumentClose(flags, &closeCancelled);
        if (closeCancelled || (!mDocuments.IsEmpty() && mDocuments.Last() == last)) {
            stopped = true;
            break;
        }
    }
    if (!stopped)
        mTable.Reset();
    if (cancelled != nullptr)
        *cancelled = stopped;
    return stopped;
}

void QVDocumentMgr::LogInfo(int level) const
{
    static char const kFrame[] =
        "+==================================================================================+\n";
    AKLog("%s", kFrame);
    AKLog("| Document-Manager has %u Document(s)\n", mDocuments.Count());
    AKLog("%s", kFrame);
    for (QVDocument const* document : mDocuments)
        document->LogInfo(level);
}
