// Fuzz target: one or more value chunks read from arbitrary bytes, in both
// byte orders. Reading must fail cleanly or give a value whose chunk form is
// stable: written, read back and written again, the bytes are the same.

#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKValue.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// The chunk form of a value, in a new memory stream of that byte order.
AKMemoryBlock ChunkBytes(AKValue const& value, unsigned int endianness)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || value.WriteToFile(stream) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

void CheckStableForm(AKValue const& value, unsigned int endianness)
{
    AKMemoryBlock first = ChunkBytes(value, endianness);
    AKFile stream(first);
    stream.SetEndianness(endianness);
    AKValue again;
    if (stream.OpenForRead() != 0 || again.ReadFromFile(stream) != 0)
        __builtin_trap();
    if (!ChunkBytes(again, endianness).IsEqual(first))
        __builtin_trap();
}

void ReadAll(uint8_t const* data, size_t size, unsigned int endianness)
{
    AKFile file(data, static_cast<unsigned int>(size));
    file.SetEndianness(endianness);
    if (file.OpenForRead() != 0)
        return;
    while (!file.IsEndOfFile()) {
        AKValue value;
        if (value.ReadFromFile(file) != 0) {
            if (!value.IsEmpty())
                __builtin_trap();
            return;
        }
        CheckStableForm(value, endianness);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size > 0xFFFFFFFFu)
        return 0;
    ReadAll(data, size, kAKFileEndianLittle);
    ReadAll(data, size, kAKFileEndianBig);
    return 0;
}
