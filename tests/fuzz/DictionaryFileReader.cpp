// Fuzz target: arbitrary bytes read as a binary dictionary file (one 'dict'
// chunk, little-endian), from a memory stream. Reading must fail cleanly,
// leaving the dictionary empty, or give a dictionary whose file form is
// stable and that survives walking, copying and keyed look-ups.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"

#include <cstddef>
#include <cstdint>

namespace {

AKMemoryBlock FileBytes(AKDictionary const& dictionary)
{
    AKFile stream(kAKFileModeMemoryStream);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || dictionary.WriteToFile(stream) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

void Exercise(AKDictionary const& dictionary)
{
    // Every stored key, valid path or not, goes through the keyed look-ups.
    AKKeyValueIterator it(dictionary);
    AKString const* key = nullptr;
    AKValue const* value = nullptr;
    unsigned int walked = 0;
    while (it.NextInPlace(&key, &value)) {
        ++walked;
        AKValue copy;
        bool found = dictionary.GetValueCopy(*key, &copy) == 0;
        if (found != (&dictionary.GetValue(*key) != &kAKNullValue) || (!found && !copy.IsEmpty()))
            __builtin_trap();
    }
    if (walked != dictionary.Count())
        __builtin_trap();

    AKDictionary copy(dictionary);
    copy.Merge(dictionary, false);
    if (copy.Count() != dictionary.Count())
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size > 0xFFFFFFFFu)
        return 0;

    AKFile file(data, static_cast<unsigned int>(size));
    if (file.OpenForRead() != 0)
        return 0;
    AKDictionary dictionary;
    if (dictionary.ReadFromFile(file) != 0) {
        if (!dictionary.IsEmpty())
            __builtin_trap();
        return 0;
    }
    Exercise(dictionary);

    // Written, read back and written again, the bytes are the same.
    AKMemoryBlock first = FileBytes(dictionary);
    AKFile again(first);
    AKDictionary reread;
    if (again.OpenForRead() != 0 || reread.ReadFromFile(again) != 0)
        __builtin_trap();
    if (!FileBytes(reread).IsEqual(first))
        __builtin_trap();
    return 0;
}
