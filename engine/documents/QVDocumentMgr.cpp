#include "QVDocumentMgr.h"

#include "QVDocument.h"

namespace {

constexpr unsigned int kReservedDocuments = 20;

}  // namespace

QVDocumentMgr QVDocumentMgr::sShared;

QVDocumentMgr::QVDocumentMgr()
{
    mDocuments.Reserve(kReservedDocuments);
    mAudioInfo.Setup(kQVDocumentMgrDefaultChannelCount, kQVDocumentMgrDefaultBlockFrameCount,
                     kQVDocumentMgrDefaultSampleRate);
}

void QVDocumentMgr::AddDocument(QVDocument* document)
{
    if (document == nullptr || GetDocumentByID(document->GetDocumentID()) != nullptr)
        return;
    mDocuments.Push(document);
}

void QVDocumentMgr::RemoveDocument(QVDocument* document)
{
    if (document != nullptr)
        mDocuments.RemoveUniqueItem(document);
}

QVDocument* QVDocumentMgr::GetDocumentByID(QVDocumentID documentID) const
{
    if (documentID == kQVNullDocumentID)
        return nullptr;
    for (QVDocument* document : mDocuments) {
        if (document->GetDocumentID() == documentID)
            return document;
    }
    return nullptr;
}

void QVDocumentMgr::PrepareRealTimeAudioResources(QVAudioInfo const& info) { mAudioInfo = info; }
