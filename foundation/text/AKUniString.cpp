#include "AKUniString.h"

#include <cstdlib>
#include <cstring>

#include "AKCharsetTables.h"

namespace {

unsigned short UnitFromMacRoman(char byte)
{
    return AKCharsetUnicodeFromByte(kAKMacRomanHighToUnicode, static_cast<unsigned char>(byte));
}

// One byte per unit: surrogates are never in the table, so each unit of a
// pair becomes "?" on its own.
char MacRomanFromUnit(unsigned short unit)
{
    int byte = AKCharsetByteFromUnicode(kAKMacRomanUnicodeToHigh, unit);
    return static_cast<char>(byte < 0 ? '?' : byte);
}

unsigned int AsciiLength(char const* ascii, unsigned int length)
{
    return length == kAKUniStringToTerminator ? static_cast<unsigned int>(std::strlen(ascii)) : length;
}

unsigned int UnitsLength(unsigned short const* units, unsigned int length)
{
    return length == kAKUniStringToTerminator ? AKUniStringLength(units) : length;
}

}  // namespace

AKUniChars const& AKNullUniCharsShared()
{
    static AKUniChars const sNull;
    return sNull;
}

unsigned short* AKNewUniStringFromAsciiString(char const* ascii, unsigned int length)
{
    if (!ascii)
        return nullptr;
    unsigned int count = AsciiLength(ascii, length);
    auto* units = static_cast<unsigned short*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(unsigned short)));
    if (!units)
        return nullptr;
    for (unsigned int i = 0; i < count; ++i)
        units[i] = UnitFromMacRoman(ascii[i]);
    units[count] = 0;
    return units;
}

unsigned int AKUniStringFromAsciiString(unsigned short* buffer, unsigned int capacity, char const* ascii,
                                        unsigned int length)
{
    if (!buffer || capacity == 0)
        return 0;
    unsigned int count = ascii ? AsciiLength(ascii, length) : 0;
    if (count > capacity - 1)
        count = capacity - 1;
    for (unsigned int i = 0; i < count; ++i)
        buffer[i] = UnitFromMacRoman(ascii[i]);
    buffer[count] = 0;
    return count;
}

AKUniChars AKUniStringFromAsciiString(AKString const& ascii)
{
    AKUniChars units;
    unsigned int count = ascii.Length();
    if (count == 0)
        return units;
    units.SetCount(count);
    char const* bytes = ascii.c_str();
    for (unsigned int i = 0; i < count; ++i)
        units[i] = UnitFromMacRoman(bytes[i]);
    return units;
}

char* AKNewAsciiStringFromUniString(unsigned short const* units, unsigned int length)
{
    if (!units)
        return nullptr;
    unsigned int count = UnitsLength(units, length);
    auto* ascii = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1));
    if (!ascii)
        return nullptr;
    for (unsigned int i = 0; i < count; ++i)
        ascii[i] = MacRomanFromUnit(units[i]);
    ascii[count] = 0;
    return ascii;
}

unsigned int AKAsciiStringFromUniString(char* buffer, unsigned int capacity, unsigned short const* units,
                                        unsigned int length)
{
    if (!buffer || capacity == 0)
        return 0;
    unsigned int count = units ? UnitsLength(units, length) : 0;
    if (count > capacity - 1)
        count = capacity - 1;
    for (unsigned int i = 0; i < count; ++i)
        buffer[i] = MacRomanFromUnit(units[i]);
    buffer[count] = 0;
    return count;
}

AKString AKAsciiStringFromUniString(AKUniChars const& units)
{
    unsigned int count = units.Count();
    if (count == 0)
        return kAKNullString;
    std::string ascii(count, '\0');
    for (unsigned int i = 0; i < count; ++i)
        ascii[i] = MacRomanFromUnit(units[i]);
    return AKString(ascii);
}

unsigned int AKUniStringLength(unsigned short const* units)
{
    if (!units)
        return 0;
    unsigned int count = 0;
    while (units[count] != 0)
        ++count;
    return count;
}
