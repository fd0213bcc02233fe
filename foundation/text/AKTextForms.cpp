// Hexadecimal dump and string hashes.

#include "AKTextForms.h"

#include "AKHash.h"

#include <string>

AKString AKStringHexaFromBinaryData(void const* data, unsigned int length, AKString const& prefix)
{
    if (data == nullptr || length == 0)
        return AKString();
    static char const kDigits[] = "0123456789ABCDEF";
    unsigned char const* bytes = static_cast<unsigned char const*>(data);
    std::string text;
    text.reserve(prefix.Length() + 2 * static_cast<size_t>(length));
    text.append(prefix.c_str(), prefix.Length());
    for (unsigned int i = 0; i < length; i++) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return AKString(text);
}

unsigned int AKStringComputeHashCode32(AKString const& s) { return AKComputeHashCode32(s.c_str(), s.Length()); }

unsigned long long AKStringComputeHashCode64(AKString const& s) { return AKComputeHashCode64(s.c_str(), s.Length()); }
