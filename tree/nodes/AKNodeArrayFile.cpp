// The 'ARND' chunk of a node array: a counted run of 'NODE' chunks.

#include "AKNodeArray.h"

#include "AKFileChunk.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"

namespace {

// The count and the reserved word.
constexpr unsigned int kArrayChunkFixedPayload = 8;
// The smallest 'NODE' chunk: its header and fixed fields.
constexpr unsigned long long kNodeChunkMinSize = 8 + 40;

// Reads and checks the header, the count and the reserved word.
int ReadArrayHeader(AKFile const& file, AKFileChunk* chunk, unsigned int* count)
{
    chunk->signature = kAKNodeArrayChunkSignature;
    int status = AKFileCheckChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, *chunk, kArrayChunkFixedPayload);
    if (status == 0)
        status = AKFileReadUInt32(file, count);
    unsigned int reserved = 0;
    if (status == 0)
        status = AKFileReadUInt32(file, &reserved);
    return status;
}

}  // namespace

int AKNodeArray::SkipNodesFromFile(AKFile const& file)
{
    AKFileChunk chunk(kAKNodeArrayChunkSignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, chunk, kArrayChunkFixedPayload);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKNodeArray::InitNodesFromFile(AKFile const& file, unsigned int how, AKNodeAllocator& allocator,
                                   AKContextObject const* context)
{
    AKFileChunk chunk;
    unsigned int count = 0;
    int status = ReadArrayHeader(file, &chunk, &count);
    // Every node takes at least a bare 'NODE' chunk: a count beyond what the
    // file still holds is corrupt, refused before the array is sized.
    if (status == 0)
        status = AKFileCheckBytesLeft(file, count * kNodeChunkMinSize);
    if (status != 0) {
        Clear();
        return status;
    }

    Clear();
    SetCount(count);
    for (unsigned int i = 0; i < count && status == 0; ++i) {
        AKNode* node = AKNode::NewNodeFromFile(allocator, context, file, how);
        if (node == nullptr) {
            status = AKNode::sErrorNew;
            break;
        }
        (*this)[i] = node;
        status = AKFileCheckChunkNotOverrun(file, chunk);
    }
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKNodeArray::ReinitNodesFromFile(AKFile const& file)
{
    AKFileChunk chunk;
    unsigned int count = 0;
    int status = ReadArrayHeader(file, &chunk, &count);
    if (status == 0 && count != Count())
        status =
            AKLogError(kAKErrorChunkBadItemCount, "In file \"%s\", bad item count in chunk", file.GetPath().c_str());
    for (unsigned int i = 0; i < count && status == 0; ++i) {
        status = (*this)[i] ? (*this)[i]->ReinitNodeFromFile(file) : kAKErrorTreeNodeNoOwnedObject;
        if (status == 0)
            status = AKFileCheckChunkNotOverrun(file, chunk);
    }
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKNodeArray::WriteNodesToFile(AKFile& file, bool negateOuterLinks) const
{
    AKFileChunk chunk(kAKNodeArrayChunkSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, Count());
    if (status == 0)
        status = AKFileWriteUInt32(file, 0);
    for (unsigned int i = 0, n = Count(); i < n && status == 0; ++i)
        status = (*this)[i] ? (*this)[i]->WriteNodeToFile(file, negateOuterLinks) : kAKErrorTreeNodeNoOwnedObject;
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

int AKNodeArray::WriteNodesWithRChildrenToFile(AKFile& file) const
{
    AKFileChunk chunk(kAKNodeArrayChunkSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, CountNodesWithRChildren());
    if (status == 0)
        status = AKFileWriteUInt32(file, 0);
    for (unsigned int i = 0, n = Count(); i < n && status == 0; ++i)
        status = (*this)[i] ? (*this)[i]->WriteNodeWithRChildrenToFile(file) : kAKErrorTreeNodeNoOwnedObject;
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}
