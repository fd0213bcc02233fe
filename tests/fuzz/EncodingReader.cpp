// Fuzz target: text encodings. The first byte chooses a reader, the rest is
// its input: engine strings converted between Mac Roman, Windows Latin-1 and
// UTF-8 (and unknown codes), UTF-16 units to and from Mac Roman, the system
// strings made from bytes or from units, and Base64 text.
//
// Conversions that can hold every character come back unchanged; text that
// decodes encodes back to the same bytes; buffers are exactly the capacity
// given (heap blocks, so an overrun is seen) and end with their terminator.

#include "AKBase64.h"
#include "AKLog.h"
#include "AKMacOS.h"
#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKStringEncoding.h"
#include "AKUniString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

unsigned int const kSystemEncodings[] = {kCFStringEncodingMacRoman, kCFStringEncodingWindowsLatin1,
                                         kCFStringEncodingUTF8, 0x0201};

std::vector<unsigned short> UnitsOf(uint8_t const* data, size_t size)
{
    std::vector<unsigned short> units(size / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<unsigned short>(data[2 * i] | (data[2 * i + 1] << 8));
    return units;
}

bool StartsWithByteOrderMark(std::string const& bytes) { return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0; }

void CheckEngineConversions(std::string const& bytes)
{
    AKString text(bytes);
    for (AKStringEncoding from = 0; from <= 4; ++from) {
        for (AKStringEncoding to = 0; to <= 4; ++to) {
            AKString converted = AKStringCopyWithEncoding(text, from, to);
            if (from == to)
                Require(converted == text);
        }
    }
    // Every byte of the single-byte sets has a character that UTF-8 holds.
    for (AKStringEncoding single : {kAKStringEncodingMacRoman, kAKStringEncodingWindowsLatin1}) {
        AKString utf8 = AKStringCopyWithEncoding(text, single, kAKStringEncodingUTF8);
        Require(utf8.Length() >= text.Length());
        Require(AKStringCopyWithEncoding(utf8, kAKStringEncodingUTF8, single) == text);
    }
    // Valid UTF-8 comes back whole when Mac Roman held all its characters.
    AKString macRoman = AKStringCopyWithEncoding(text, kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
    if (!macRoman.IsEmpty() && std::memchr(macRoman.c_str(), '?', macRoman.Length()) == nullptr) {
        std::string expected = StartsWithByteOrderMark(bytes) ? bytes.substr(3) : bytes;
        Require(AKStringCopyWithEncoding(macRoman, kAKStringEncodingMacRoman, kAKStringEncodingUTF8).StdString() ==
                expected);
    }
}

void CheckUnitsToMacRoman(uint8_t const* data, size_t size)
{
    if (size == 0)
        return;
    unsigned int capacity = data[0];
    std::vector<unsigned short> units = UnitsOf(data + 1, size - 1);
    unsigned int count = static_cast<unsigned int>(units.size());
    AKUniChars chars;
    for (unsigned short unit : units)
        chars.Push(unit);
    // The same units followed by a terminator, never a null pointer.
    std::vector<unsigned short> terminated(units);
    terminated.push_back(0);

    AKString text = AKAsciiStringFromUniString(chars);
    Require(text.Length() == count);
    AKUniChars back = AKUniStringFromAsciiString(text);
    Require(back.Count() == count);
    for (unsigned int i = 0; i < count; ++i)
        Require(back[i] == units[i] || text[i] == '?');

    std::unique_ptr<char[]> buffer(new char[capacity == 0 ? 1 : capacity]);
    unsigned int written = AKAsciiStringFromUniString(buffer.get(), capacity, terminated.data(), count);
    if (capacity == 0) {
        Require(written == 0);
    } else {
        Require(written < capacity && written <= count && buffer[written] == '\0');
        Require(std::memcmp(buffer.get(), text.c_str(), written) == 0);
    }

    char* whole = AKNewAsciiStringFromUniString(terminated.data(), count);
    Require(whole != nullptr && std::memcmp(whole, text.c_str(), count) == 0 && whole[count] == '\0');
    std::free(whole);

    // Up to the terminator: the units before the first 0, each one byte.
    unsigned int length = AKUniStringLength(terminated.data());
    Require(length <= count && terminated[length] == 0);
    char* upToZero = AKNewAsciiStringFromUniString(terminated.data(), kAKUniStringToTerminator);
    Require(upToZero != nullptr && std::strlen(upToZero) == length);
    std::free(upToZero);
}

void CheckMacRomanToUnits(uint8_t const* data, size_t size)
{
    if (size == 0)
        return;
    unsigned int capacity = data[0];
    AKString text(reinterpret_cast<char const*>(data + 1), static_cast<unsigned int>(size - 1));
    AKUniChars units = AKUniStringFromAsciiString(text);
    Require(units.Count() == text.Length());
    Require(AKAsciiStringFromUniString(units) == text);

    std::unique_ptr<unsigned short[]> buffer(new unsigned short[capacity == 0 ? 1 : capacity]);
    unsigned int written = AKUniStringFromAsciiString(buffer.get(), capacity, text.c_str(), text.Length());
    if (capacity == 0) {
        Require(written == 0);
    } else {
        Require(written < capacity && written <= text.Length() && buffer[written] == 0);
        for (unsigned int i = 0; i < written; ++i)
            Require(buffer[i] == units[i]);
    }
    unsigned short* whole = AKNewUniStringFromAsciiString(text.c_str(), text.Length());
    Require(whole != nullptr && whole[text.Length()] == 0);
    std::free(whole);
}

// The string's bytes in the encoding, into an exact heap buffer of the capacity.
std::string BytesOf(__CFString const* string, unsigned int encoding, unsigned int capacity)
{
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[capacity == 0 ? 1 : capacity]);
    unsigned int written = AKMacOS::CFStringGetBytes(string, encoding, '?', buffer.get(), capacity);
    Require(written <= capacity);
    return std::string(reinterpret_cast<char const*>(buffer.get()), written);
}

void CheckSystemStringFromBytes(uint8_t const* data, size_t size)
{
    if (size == 0)
        return;
    unsigned int cut = data[0];
    std::string bytes(reinterpret_cast<char const*>(data + 1), size - 1);
    for (unsigned int encoding : kSystemEncodings) {
        __CFString const* string =
            AKMacOS::CFStringCreateWithBytes(bytes.data(), static_cast<unsigned int>(bytes.size()), encoding);
        if (string == nullptr) {
            Require(encoding == kCFStringEncodingUTF8 || encoding == 0x0201);
            continue;
        }
        unsigned int needed = AKMacOS::CFStringGetBytes(string, encoding, '?', nullptr, 0);
        std::string expected =
            encoding == kCFStringEncodingUTF8 && StartsWithByteOrderMark(bytes) ? bytes.substr(3) : bytes;
        Require(needed == expected.size() && BytesOf(string, encoding, needed) == expected);
        // A cut text is a prefix made of whole characters.
        std::string part = BytesOf(string, encoding, cut);
        Require(expected.compare(0, part.size(), part) == 0);
        __CFString const* partString =
            AKMacOS::CFStringCreateWithBytes(part.data(), static_cast<unsigned int>(part.size()), encoding);
        Require(partString != nullptr || StartsWithByteOrderMark(part));
        AKMacOS::CFStringRelease(partString);
        AKMacOS::CFStringRelease(string);
    }
}

bool HasUnpairedSurrogate(std::vector<unsigned short> const& units)
{
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++i;
        } else if (units[i] >= 0xD800 && units[i] <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

void CheckSystemStringFromUnits(uint8_t const* data, size_t size)
{
    if (size == 0)
        return;
    unsigned int cut = data[0];
    std::vector<unsigned short> units = UnitsOf(data + 1, size - 1);
    __CFString const* string =
        AKMacOS::CFStringCreateWithCharacters(units.data(), static_cast<unsigned int>(units.size()));
    Require(AKMacOS::CFStringGetLength(string) == units.size());
    std::vector<unsigned short> copy(units.size() + 1, 0xFFFF);
    AKMacOS::CFStringGetCharacters(string, copy.data());
    Require(std::equal(units.begin(), units.end(), copy.begin()) && copy.back() == 0xFFFF);

    for (unsigned int encoding : kSystemEncodings) {
        unsigned int needed = AKMacOS::CFStringGetBytes(string, encoding, '?', nullptr, 0);
        std::string bytes = BytesOf(string, encoding, needed);
        Require(bytes.size() == needed);
        BytesOf(string, encoding, cut);
        Require(AKMacOS::AKStringConvert(string, encoding).StdString() == bytes);
        if (encoding != kCFStringEncodingUTF8)
            continue;
        // The UTF-8 written is valid and, without lost characters, gives the units back.
        __CFString const* again =
            AKMacOS::CFStringCreateWithBytes(bytes.data(), static_cast<unsigned int>(bytes.size()), encoding);
        Require(again != nullptr || StartsWithByteOrderMark(bytes));
        if (again != nullptr && !HasUnpairedSurrogate(units) && !StartsWithByteOrderMark(bytes)) {
            std::vector<unsigned short> back(AKMacOS::CFStringGetLength(again));
            AKMacOS::CFStringGetCharacters(again, back.data());
            Require(back == units);
        }
        AKMacOS::CFStringRelease(again);
    }
    AKMacOS::CFStringRelease(string);
}

void CheckBase64(std::string const& bytes)
{
    AKMemoryBlock decoded;
    LowDecodeBinaryFromBase64(bytes.data(), bytes.size(), &decoded);
    std::string text;
    LowEncodeBinaryToBase64(decoded.Data(), decoded.Size(), &text);
    Require(text.size() == (decoded.Size() + 2) / 3 * 4);
    AKMemoryBlock again;
    LowDecodeBinaryFromBase64(text.data(), text.size(), &again);
    Require(again.IsEqual(decoded));

    // The input as binary data.
    LowEncodeBinaryToBase64(reinterpret_cast<unsigned char const*>(bytes.data()),
                            static_cast<unsigned int>(bytes.size()), &text);
    LowDecodeBinaryFromBase64(text.data(), text.size(), &again);
    Require(again.Size() == bytes.size() &&
            (bytes.empty() || std::memcmp(again.Data(), bytes.data(), bytes.size()) == 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size == 0 || size > 0xFFFFFFu)
        return 0;
    uint8_t const* rest = data + 1;
    size_t restSize = size - 1;
    switch (data[0] % 6) {
    case 0:
        CheckEngineConversions(std::string(reinterpret_cast<char const*>(rest), restSize));
        break;
    case 1:
        CheckUnitsToMacRoman(rest, restSize);
        break;
    case 2:
        CheckMacRomanToUnits(rest, restSize);
        break;
    case 3:
        CheckSystemStringFromBytes(rest, restSize);
        break;
    case 4:
        CheckSystemStringFromUnits(rest, restSize);
        break;
    default:
        CheckBase64(std::string(reinterpret_cast<char const*>(rest), restSize));
        break;
    }
    return 0;
}
