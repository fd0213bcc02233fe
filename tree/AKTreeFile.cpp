// The tree's 'TREE' chunk: loading and writing.

#include "AKTree.h"

#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"

namespace {

// The node count and the reserved bytes.
constexpr unsigned int kTreeChunkFixedPayload = 4 + 20;
constexpr unsigned int kTreeChunkReservedSize = 20;
// The smallest 'ARND' chunk (header, count, reserved word) and the smallest
// 'NODE' chunk (header and fixed fields).
constexpr unsigned long long kArrayChunkMinSize = 8 + 8;
constexpr unsigned long long kNodeChunkMinSize = 8 + 40;

// Reads the header, the node count and the reserved bytes. The count only
// sizes the allocator, so it is held to what the chunk can contain before
// anything is allocated for it.
int ReadTreeHeader(AKFile const& file, AKFileChunk* chunk, unsigned int* count)
{
    chunk->signature = kAKTreeChunkSignature;
    int status = AKFileCheckChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, *chunk, kTreeChunkFixedPayload);
    if (status == 0)
        status = AKFileReadUInt32(file, count);
    if (status == 0)
        status = file.Skip(kTreeChunkReservedSize);
    if (status != 0)
        return status;
    unsigned long long room = chunk->size - kTreeChunkFixedPayload;
    if (kArrayChunkMinSize + *count * kNodeChunkMinSize > room)
        return AKLogError(kAKErrorChunkBadItemCount, "In file \"%s\", bad item count in chunk", file.GetLogName());
    return 0;
}

}  // namespace

int AKTree::InitFromBinFile(AKFile const& file, AKTreeRenum* map)
{
    int status = RefuseInitialized();
    if (status != 0) {
        if (map != nullptr)
            map->Clear();
        return status;
    }

    AKFileChunk chunk;
    unsigned int count = 0;
    status = ReadTreeHeader(file, &chunk, &count);
    if (status == 0) {
        fAllocator.ExpandMemory(count);
        status = fNodes.InitNodesFromFile(file, 1, fAllocator, fContext);
    }
    if (status == 0)
        status = AKFileCheckChunkNotOverrun(file, chunk);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    if (status == 0) {
        if (!fNodes.IsStrictlySortedByID())
            fNodes.SortByID();
        status = CompleteLoadedNodes(map);
    }
    if (status != 0)
        DiscardAllNodes(map);
    return status;
}

int AKTree::WriteToBinFile(AKFile& file) const
{
    AKFileChunk chunk(kAKTreeChunkSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, fNodes.Count());
    if (status == 0) {
        unsigned char const reserved[kTreeChunkReservedSize] = {};
        status = file.Write(reserved, sizeof(reserved));
    }
    if (status == 0)
        status = fNodes.WriteNodesToFile(file, false);
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}
