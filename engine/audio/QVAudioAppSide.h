#pragma once

// QVAudioAppSide: the message thread's side of a document's audio pools. It
// brings one copy of the pool tree in line with the objects after an edit:
// dead records are erased, records whose objects left become Dying (with
// their whole branch), new objects get Born records (held, and prepared for
// the device format of the working memory when there is one) appended after
// the existing ones in object order. Only branches whose link stamps moved
// are visited.
//
// Message thread only, on a copy the audio thread does not read.

#include "QVAudioPool.h"
#include "QVObjectPoolable.h"

class QVAudioMemory;
class QVObjectFolderSequence;

class QVAudioAppSide
{
public:
    explicit QVAudioAppSide(QVAudioMemory const& memory) : mMemory(memory) {}

    QVAudioAppSide(QVAudioAppSide const&) = delete;
    QVAudioAppSide& operator=(QVAudioAppSide const&) = delete;

    // With no folder every living record becomes Dying.
    void SynchronizeSourcePool(QVAudioSourcePool* copy, QVObjectFolderSequence const* folder) const;

    // Erases the Dead records, keeping the order of the others, at every level.
    static void rRemoveDeadPools(QVAudioPoolArray* pools);
    // objects may be null (no objects: every living record becomes Dying).
    void rSynchronizePoolsWithObjects(QVAudioPoolArray* pools, QVObjectPoolableArray const* objects,
                                      bool linksChanged) const;

private:
    // A found record whose object's far stamp moved: its sub-records follow.
    void SynchronizeFoundPool(QVAudioPool* pool) const;
    // Appends the Born record of a new object.
    void AppendBornPool(QVAudioPoolArray* pools, QVObjectPoolable* object) const;

    QVAudioMemory const& mMemory;
};
