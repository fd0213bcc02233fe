#pragma once

// QVBounceMgr: the queue of bounce jobs, each rendering on a private
// document that the audio device never sees. Jobs are not built yet: the
// queue is empty, so no private document is in use.

#include "ATArray.h"

class QVDocument;

class QVBounceMgr
{
public:
    static QVBounceMgr sShared;

    QVBounceMgr() = default;
    QVBounceMgr(QVBounceMgr const&) = delete;
    QVBounceMgr& operator=(QVBounceMgr const&) = delete;

    // Empties the array, then appends, in job order, the private document of
    // every job that has one.
    void GetCurrentUsedPrivateDocuments(ATArray<QVDocument*>* documents) const;
};
