#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The memory of a script run. Every block the interpreter takes is tracked so
// that the whole run can be released at once, even when the interpreter was
// abandoned in the middle of its work. Each block carries a small header with
// its size and its slot in the list of tracked blocks, so taking, resizing and
// releasing a block cost constant time; released slots are reused.
//
// A cap bounds the bytes a run may hold: a request beyond it fails (returns
// null, as an exhausted system would) and is remembered, so that the run can be
// ended with an error instead of exhausting the machine.
class QVScriptMemory
{
public:
    static constexpr size_t kDefaultByteCap = 256u * 1024u * 1024u;
    static constexpr size_t kReservedBlockCount = 400;

    QVScriptMemory();
    ~QVScriptMemory();

    QVScriptMemory(QVScriptMemory const&) = delete;
    QVScriptMemory& operator=(QVScriptMemory const&) = delete;

    // Zero-filled block of size bytes (count * size for Calloc); null when the
    // system or the cap refuses it, in which case nothing is tracked.
    void* Malloc(size_t size);
    void* Calloc(size_t count, size_t size);
    // Same contract as realloc; a null block allocates, a zero size releases
    // and returns null. A block this memory does not track is left alone and
    // gives null.
    void* Realloc(void* block, size_t size);
    // Releases a tracked block; null and untracked blocks are ignored.
    void Free(void* block);
    // Releases every tracked block in list order and empties the list.
    void ReleaseAll();

    bool IsTracked(void const* block) const;

    void SetByteCap(size_t cap) { mByteCap = cap; }
    size_t GetByteCap() const { return mByteCap; }
    size_t GetBlockCount() const { return mBlockCount; }
    size_t GetByteCount() const { return mByteCount; }
    // True once a request was refused for the cap, until ClearCapReached().
    bool WasCapReached() const { return mCapReached; }
    void ClearCapReached() { mCapReached = false; }

private:
    struct alignas(16) Header {
        size_t mSize;
        size_t mSlot;
    };

    static Header* HeaderOf(void* block) { return static_cast<Header*>(block) - 1; }
    static Header const* HeaderOf(void const* block) { return static_cast<Header const*>(block) - 1; }
    bool Admits(size_t extraBytes);
    void* Track(Header* header, size_t size);

    std::vector<Header*> mSlots;
    std::vector<size_t> mFreeSlots;
    size_t mBlockCount = 0;
    size_t mByteCount = 0;
    size_t mByteCap = kDefaultByteCap;
    bool mCapReached = false;
};
