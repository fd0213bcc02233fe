// Memory streams: the bytes of an AKFile kept in a growable array. Sizes and
// positions stay within 32 bits. Closing a stream releases its bytes, so a
// stream opened again after Close starts empty.

#include "AKFile.h"

#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"

#include <cstring>

namespace {

constexpr unsigned long long kStreamMaxSize = 0xFFFFFFFFull;
constexpr size_t kStreamReserveOnWriteOpen = 2048;

}  // namespace

void AKFile::InitMemoryStream(void const* data, unsigned long long size)
{
    if (data == nullptr || size == 0)
        return;
    unsigned char const* bytes = static_cast<unsigned char const*>(data);
    fStreamData.assign(bytes, bytes + size);
}

AKFile::AKFile(AKMemoryBlock const& block) : AKFile(block.Data(), block.Size()) {}

int AKFile::OpenStream(unsigned int openBits)
{
    if (fStreamOpened)
        return AKLogError(kAKErrorFileYetOpened, "The file \"%s\" is already opened", GetLogName());
    fStreamOpened = true;
    fStreamPos = 0;
    fMode |= openBits;
    if (openBits & kAKFileModeOpenedForWrite)
        fStreamData.reserve(kStreamReserveOnWriteOpen);
    return 0;
}

int AKFile::StreamCheckRun(unsigned long long size, unsigned long long* end) const
{
    if (!fStreamOpened)
        return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    *end = static_cast<unsigned long long>(fStreamPos) + size;
    if (size > kStreamMaxSize || *end > kStreamMaxSize)
        return AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", GetLogName());
    return 0;
}

int AKFile::StreamRead(void* data, unsigned long long size) const
{
    unsigned long long end = 0;
    int status = StreamCheckRun(size, &end);
    if (status != 0 || size == 0)
        return status;
    if (end > fStreamData.size())
        return AKLogError(kAKErrorFileCantRead, "Can't read in file \"%s\"", GetLogName());
    std::memcpy(data, fStreamData.data() + fStreamPos, static_cast<size_t>(size));
    fStreamPos = static_cast<unsigned int>(end);
    return 0;
}

int AKFile::StreamWrite(void const* data, unsigned long long size)
{
    unsigned long long end = 0;
    int status = StreamCheckRun(size, &end);
    if (status != 0 || size == 0)
        return status;

    // The source may lie in the stream itself (bytes handed out by
    // GetMemoryStreamDataPtr); growing would move it, so keep its offset.
    unsigned char const* source = static_cast<unsigned char const*>(data);
    unsigned char const* begin = fStreamData.data();
    bool fromSelf = begin != nullptr && source >= begin && source < begin + fStreamData.size();
    size_t selfOffset = fromSelf ? static_cast<size_t>(source - begin) : 0;

    if (end > fStreamData.size()) {
        if (fStreamData.capacity() < end)
            fStreamData.reserve(static_cast<size_t>(end * 2));
        fStreamData.resize(static_cast<size_t>(end));
    }
    if (fromSelf)
        source = fStreamData.data() + selfOffset;
    std::memmove(fStreamData.data() + fStreamPos, source, static_cast<size_t>(size));
    fStreamPos = static_cast<unsigned int>(end);
    return 0;
}

// From the end, the offset is added to the size, as on disk files.
int AKFile::StreamSeek(long long offset, AKFileWhence whence) const
{
    if (!fStreamOpened)
        return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());

    long long size = static_cast<long long>(fStreamData.size());
    long long base = 0;
    switch (whence) {
    case kAKFileWhenceStart:
        base = 0;
        break;
    case kAKFileWhenceCurrent:
        base = fStreamPos;
        break;
    case kAKFileWhenceEnd:
        base = size;
        break;
    default:
        return AKLogError(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    }
    // base and size are below 2^32, so only the offset can push the sum out of range.
    if (offset < -base || offset > size - base)
        return AKLogError(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    fStreamPos = static_cast<unsigned int>(base + offset);
    return 0;
}

int AKFile::StreamSetSize(unsigned long long size)
{
    if (!fStreamOpened)
        return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    if (size > kStreamMaxSize)
        return AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", GetLogName());
    if (fStreamPos > size)
        fStreamPos = static_cast<unsigned int>(size);
    fStreamData.resize(static_cast<size_t>(size), 0);
    return 0;
}

int AKFile::GetMemoryStreamDataPtr(void const** data, unsigned long long* size) const
{
    if (!IsMemoryStream()) {
        *data = nullptr;
        *size = 0;
        return AKLogError(kAKErrorFileCantGetInfo, "Can't get size of file \"%s\"", GetLogName());
    }
    *data = fStreamData.empty() ? nullptr : fStreamData.data();
    *size = fStreamData.size();
    return 0;
}

int AKFile::GetMemoryStreamDataBlock(AKMemoryBlock* block) const
{
    void const* data = nullptr;
    unsigned long long size = 0;
    // On a disk file this fails with the get-info error, logged there.
    int status = GetMemoryStreamDataPtr(&data, &size);
    if (status != 0) {
        block->Free();
        return status;
    }
    block->Assign(data, static_cast<unsigned int>(size));
    return 0;
}
