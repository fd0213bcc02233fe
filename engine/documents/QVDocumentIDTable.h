#pragma once

// QVDocumentIDTable: the document manager's direct-access table, document
// pointers indexed by document ID (entry 0 always null), for IDs up to
// kQVDocumentIDTableMaxID.
//
// Growth never moves an entry, so a reader on another thread (OSC, MIDI)
// never races it: the table is a fixed row of chunk pointers, each chunk a
// fixed block of atomic entries allocated the first time an ID reaches it
// and kept until the table is destroyed. The length and every entry are
// atomics: the writer stores an entry before it publishes a longer length
// (release), a reader loads the length (acquire) before the entry. Reads
// never lock and never allocate.
//
// One writer at a time (the message thread); any number of readers.

#include "QVAudioServices.h"

#include <atomic>

class QVDocument;

// The largest ID the table holds; a larger one turns direct access off.
constexpr QVDocumentID kQVDocumentIDTableMaxID = 9999;

class QVDocumentIDTable
{
public:
    QVDocumentIDTable();
    ~QVDocumentIDTable();

    QVDocumentIDTable(QVDocumentIDTable const&) = delete;
    QVDocumentIDTable& operator=(QVDocumentIDTable const&) = delete;

    // The number of entries (0 or one more than the largest ID entered since
    // the last Reset).
    unsigned int Length() const { return mLength.load(std::memory_order_acquire); }
    // The entry of the ID; null at or beyond the length.
    QVDocument* Get(QVDocumentID id) const;

    // Writer only. Enters the document at its ID, growing the table with
    // nulls to ID + 1 entries when the ID is beyond it. False (nothing
    // entered) for an ID above kQVDocumentIDTableMaxID.
    bool Set(QVDocumentID id, QVDocument* document);
    // Nulls the entry when the ID is within the table.
    void Clear(QVDocumentID id);
    // Back to no entry (chunks are kept for later growth).
    void Reset();

private:
    static constexpr unsigned int kChunkSize = 64;
    static constexpr unsigned int kChunkCount = (kQVDocumentIDTableMaxID + kChunkSize) / kChunkSize;

    struct Chunk {
        std::atomic<QVDocument*> entries[kChunkSize];
    };

    std::atomic<QVDocument*>* Entry(QVDocumentID id) const;

    std::atomic<Chunk*> mChunks[kChunkCount];
    std::atomic<unsigned int> mLength{0};
};
