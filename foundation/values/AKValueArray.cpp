// AKValueArray: equality and the 'arry' chunk form.

#include "AKValueArray.h"

#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKValueChunkNesting.h"

#include <utility>

// Smallest chunk of a value: its header.
constexpr unsigned long long kAKValueChunkMinSize = kAKFileChunkHeaderSize;

AKValueArray const& AKNullValueArrayShared()
{
    static AKValueArray const sNull;
    return sNull;
}

bool AKValueArray::IsEqual(AKValueArray const& other) const
{
    if (&other == this)
        return true;
    unsigned int count = Count();
    if (count != other.Count())
        return false;
    for (unsigned int i = 0; i < count; ++i) {
        if (!(*this)[i].IsEqual(other[i]))
            return false;
    }
    return true;
}

void AKValueArray::DebugPrint(unsigned int) const {}

// --- 'arry' chunk ---

int AKValueArray::ReadFromFile(AKFile const& file)
{
    Clear();
    AKValueChunkNesting nesting;
    int status = nesting.Check(file);
    AKFileChunk chunk(kAKValueTagArray);
    unsigned int count = 0;
    // Every element takes at least a chunk header.
    if (status == 0)
        status = AKFileReadCountedChunkHeader(file, &chunk, &count, kAKValueChunkMinSize);
    for (unsigned int i = 0; status == 0 && i < count; ++i) {
        AKValue value;
        status = value.ReadFromFile(file);
        if (status == 0)
            Push(std::move(value));
    }
    if (status != 0)
        Clear();
    return status;
}

int AKValueArray::WriteToFile(AKFile& file) const
{
    AKFileChunk chunk(kAKValueTagArray);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, Count());
    for (unsigned int i = 0, n = Count(); status == 0 && i < n; ++i)
        status = (*this)[i].WriteToFile(file);
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}
