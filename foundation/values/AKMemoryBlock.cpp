// AKMemoryBlock and its 'bina' chunk form.

#include "AKMemoryBlock.h"

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTextForms.h"

#include <algorithm>
#include <cstring>

constexpr unsigned int kAKMemoryBlockSignature = 0x62696E61;  // 'bina'

AKMemoryBlock const& AKNullMemoryBlockShared()
{
    static AKMemoryBlock const sNull;
    return sNull;
}

AKMemoryBlock::AKMemoryBlock(void const* data, unsigned int size) { Assign(data, size); }

AKMemoryBlock& AKMemoryBlock::Assign(void const* data, unsigned int size)
{
    if (data == nullptr || size == 0) {
        Free();
        return *this;
    }
    unsigned char const* bytes = static_cast<unsigned char const*>(data);
    if (bytes == fBytes.data()) {
        // A copy onto its own storage: only the size changes.
        fBytes.resize(size);
        return *this;
    }
    unsigned char const* own = fBytes.data();
    if (own != nullptr && bytes > own && bytes < own + fBytes.size()) {
        // The source lies inside this block; resizing could move it.
        std::vector<unsigned char> copy(bytes, bytes + std::min<size_t>(size, own + fBytes.size() - bytes));
        copy.resize(size);
        fBytes.swap(copy);
        return *this;
    }
    fBytes.assign(bytes, bytes + size);
    return *this;
}

AKMemoryBlock& AKMemoryBlock::Assign(AKMemoryBlock const& other)
{
    if (&other != this)
        fBytes = other.fBytes;
    return *this;
}

void AKMemoryBlock::Allocate(unsigned int size, bool zero)
{
    if (size == 0) {
        Free();
        return;
    }
    fBytes.resize(size);
    if (zero)
        Zeroset();
}

void AKMemoryBlock::Zeroset() { std::fill(fBytes.begin(), fBytes.end(), 0); }

void AKMemoryBlock::Free() { std::vector<unsigned char>().swap(fBytes); }

// --- 'bina' chunk ---

namespace {

// The byte count rounded up to a multiple of 4.
unsigned long long PaddedSize(unsigned long long size) { return (size + 3) & ~3ULL; }

}  // namespace

int AKMemoryBlock::ReadFromFile(AKFile const& file)
{
    Clear();
    AKFileChunk chunk(kAKMemoryBlockSignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    unsigned int size = 0;
    if (status == 0)
        status = AKFileReadUInt32(file, &size);
    // The bytes must lie inside the chunk and inside the file before the
    // block is sized for them.
    if (status == 0 && (chunk.size < 4 || size > chunk.size - 4))
        status =
            AKLogError(kAKErrorFileCantRead, "In file \"%s\" at pos %llu, binary chunk of %u bytes holds a count of %u",
                       file.GetLogName(), chunk.position, chunk.size, size);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, chunk.size - 4);
    if (status == 0 && size > 0) {
        Allocate(size, false);
        status = AKFileRead(file, fBytes.data(), size);
    }
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    if (status != 0)
        Free();
    return status;
}

int AKMemoryBlock::WriteToFile(AKFile& file) const
{
    unsigned long long padded = PaddedSize(fBytes.size());
    if (padded + 4 > 0xFFFFFFFFULL)
        return AKLogError(kAKErrorFileDataTooBig, "Can't write a binary chunk of %u bytes in file \"%s\"", Size(),
                          file.GetLogName());
    int status = AKFileWriteSignat32(file, kAKMemoryBlockSignature);
    if (status == 0)
        status = AKFileWriteUInt32(file, static_cast<unsigned int>(padded + 4));
    if (status == 0)
        status = AKFileWriteUInt32(file, Size());
    if (status == 0 && !fBytes.empty())
        status = AKFileWrite(file, fBytes.data(), fBytes.size());
    if (status == 0 && padded > fBytes.size())
        status = AKFileWriteZeros(file, padded - fBytes.size());
    return status;
}

int AKMemoryBlock::SkipFromFile(AKFile const& file) { return AKFileSkipChunk(file, kAKMemoryBlockSignature); }

AKString AKStringHexaFromBinaryData(AKMemoryBlock const& block, AKString const& prefix)
{
    return AKStringHexaFromBinaryData(block.Data(), block.Size(), prefix);
}
