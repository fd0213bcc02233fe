#include "QVDocument.h"

#include "AKTree.h"
#include "QVDocumentMgr.h"

#include <atomic>

namespace {

// IDs start at 1 and are never reused in a run.
std::atomic<QVDocumentID> sLastDocumentID{kQVNullDocumentID};

unsigned int TreeOptionsOfFlags(unsigned int flags)
{
    unsigned int options = kAKTreeOptionDeferredDelete;
    if ((flags & kQVDocumentFlagReadOnly) != 0)
        options |= kAKTreeOptionReadOnly;
    if ((flags & kQVDocumentFlagPersistentIDs) != 0)
        options |= kAKTreeOptionKeepLoadedIDs;
    return options;
}

}  // namespace

QVDocument::QVDocument(unsigned int documentType, unsigned int flags)
    : mDocumentType(documentType), mDocumentID(sLastDocumentID.fetch_add(1, std::memory_order_relaxed) + 1),
      mFlags(flags), mTree(new AKTree(TreeOptionsOfFlags(flags)))
{
    if (!IsPrivate())
        QVDocumentMgr::sShared.AddDocument(this);
}

QVDocument::~QVDocument()
{
    if (!IsPrivate())
        QVDocumentMgr::sShared.RemoveDocument(this);
    delete mTree;
}
