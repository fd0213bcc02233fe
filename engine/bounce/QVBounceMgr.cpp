// QVBounceMgr: the private documents of the bounce jobs.

#include "QVBounceMgr.h"

QVBounceMgr QVBounceMgr::sShared;

void QVBounceMgr::GetCurrentUsedPrivateDocuments(ATArray<QVDocument*>* documents) const
{
    if (documents != nullptr)
        documents->Clear();
}
