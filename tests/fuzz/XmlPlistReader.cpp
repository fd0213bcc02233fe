// Fuzz target: arbitrary bytes read as an XML property list, with and
// without the plist wrapper, from a memory stream. Reading must fail
// cleanly, leaving the dictionary empty, or give a dictionary that writes
// back as XML and reads again.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKString.h"
#include "AKValue.h"
#include "AKValueArray.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool HasKeyWithNul(AKValue const& value);

// Keys are written as their bytes: a valid key with a NUL byte may carry
// any bytes after it, which the text form cannot always hold.
bool HasKeyWithNul(AKDictionary const& dictionary)
{
    AKKeyValueIterator it(dictionary);
    AKString const* key = nullptr;
    AKValue const* value = nullptr;
    while (it.NextInPlace(&key, &value)) {
        if (key->StdString().find('\0') != std::string::npos || HasKeyWithNul(*value))
            return true;
    }
    return false;
}

bool HasKeyWithNul(AKValue const& value)
{
    if (AKDictionary const* dictionary = value.GetasAKDictionary())
        return HasKeyWithNul(*dictionary);
    if (AKValueArray const* array = value.GetasAKValueArray()) {
        for (unsigned int i = 0; i < array->Count(); ++i) {
            if (HasKeyWithNul((*array)[i]))
                return true;
        }
    }
    return false;
}

void ReadAndCheck(uint8_t const* data, size_t size, bool plist)
{
    AKFile file(data, static_cast<unsigned int>(size));
    if (file.OpenForRead() != 0)
        __builtin_trap();
    AKDictionary dictionary;
    int line = -1;
    int status = dictionary.LoadFromOpenedXmlFile(file, plist, &line);
    if (line < 0)
        __builtin_trap();
    if (status != 0) {
        if (!dictionary.IsEmpty())
            __builtin_trap();
        return;
    }
    if (line != 0)
        __builtin_trap();

    // Every value read has an element, so the dictionary writes back.
    AKString text;
    if (dictionary.SaveToXmlString(&text, plist) != 0)
        __builtin_trap();
    AKDictionary reread;
    if (reread.LoadFromXmlString(text, plist) != 0 && !HasKeyWithNul(dictionary))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size > 0xFFFFFFFFu)
        return 0;
    ReadAndCheck(data, size, true);
    ReadAndCheck(data, size, false);
    return 0;
}
