// QVDocumentTreeGuard: edits of a document's tree against other threads' look-ups.

#include "QVDocumentTreeGuard.h"

void QVDocumentTreeGuard::BeginEdit()
{
    if (IsEditingThread()) {
        ++mDepth;
        return;
    }
    mMutex.lock();
    mOwner.store(std::this_thread::get_id(), std::memory_order_release);
    mDepth = 1;
}

void QVDocumentTreeGuard::EndEdit()
{
    if (!IsEditingThread() || --mDepth > 0)
        return;
    mOwner.store(std::thread::id(), std::memory_order_release);
    mMutex.unlock();
}

QVDocumentTreeGuard::ReadScope::ReadScope(QVDocumentTreeGuard const& guard)
    : mGuard(guard), mLocked(!guard.IsEditingThread())
{
    if (mLocked)
        mGuard.mMutex.lock_shared();
}

QVDocumentTreeGuard::ReadScope::~ReadScope()
{
    if (mLocked)
        mGuard.mMutex.unlock_shared();
}
