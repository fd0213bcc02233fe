// QVDocumentIDTable: documents by ID in chunks that never move.

#include "QVDocumentIDTable.h"

QVDocumentIDTable::QVDocumentIDTable()
{
    for (std::atomic<Chunk*>& chunk : mChunks)
        chunk.store(nullptr, std::memory_order_relaxed);
}

QVDocumentIDTable::~QVDocumentIDTable()
{
    for (std::atomic<Chunk*>& chunk : mChunks)
        delete chunk.load(std::memory_order_relaxed);
}

std::atomic<QVDocument*>* QVDocumentIDTable::Entry(QVDocumentID id) const
{
    Chunk* const chunk = mChunks[id / kChunkSize].load(std::memory_order_acquire);
    return chunk != nullptr ? &chunk->entries[id % kChunkSize] : nullptr;
}

QVDocument* QVDocumentIDTable::Get(QVDocumentID id) const
{
    if (id >= Length())
        return nullptr;
    std::atomic<QVDocument*> const* const entry = Entry(id);
    return entry != nullptr ? entry->load(std::memory_order_acquire) : nullptr;
}

bool QVDocumentIDTable::Set(QVDocumentID id, QVDocument* document)
{
    if (id > kQVDocumentIDTableMaxID)
        return false;
    unsigned int const length = mLength.load(std::memory_order_relaxed);
    // Entries between the old length and the ID read as null: chunks come
    // zeroed, and Reset nulls what it drops.
    for (unsigned int index = length / kChunkSize; index <= id / kChunkSize; ++index) {
        if (mChunks[index].load(std::memory_order_relaxed) == nullptr) {
            Chunk* const chunk = new Chunk;
            for (std::atomic<QVDocument*>& entry : chunk->entries)
                entry.store(nullptr, std::memory_order_relaxed);
            mChunks[index].store(chunk, std::memory_order_release);
        }
    }
    Entry(id)->store(document, std::memory_order_release);
    if (id >= length)
        mLength.store(id + 1, std::memory_order_release);
    return true;
}

void QVDocumentIDTable::Clear(QVDocumentID id)
{
    if (id < mLength.load(std::memory_order_relaxed))
        Entry(id)->store(nullptr, std::memory_order_release);
}

void QVDocumentIDTable::Reset()
{
    unsigned int const length = mLength.load(std::memory_order_relaxed);
    mLength.store(0, std::memory_order_release);
    for (unsigned int id = 0; id < length; ++id)
        Entry(id)->store(nullptr, std::memory_order_release);
}
