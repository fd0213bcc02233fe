#include "AKMacOS.h"

#include <algorithm>
#include <string>
#include <vector>

#include "AKCharsetTables.h"

struct __CFString {
    std::vector<unsigned short> units;
};

namespace {

constexpr unsigned int kNoCodePoint = 0xFFFFFFFF;

AKCharsetReverseEntry const* ReverseTableOf(unsigned int cfEncoding)
{
    if (cfEncoding == kCFStringEncodingMacRoman)
        return kAKMacRomanUnicodeToHigh;
    if (cfEncoding == kCFStringEncodingWindowsLatin1)
        return kAKWindowsLatin1UnicodeToHigh;
    return nullptr;
}

unsigned short const* ForwardTableOf(unsigned int cfEncoding)
{
    if (cfEncoding == kCFStringEncodingMacRoman)
        return kAKMacRomanHighToUnicode;
    if (cfEncoding == kCFStringEncodingWindowsLatin1)
        return kAKWindowsLatin1HighToUnicode;
    return nullptr;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void PushCodePoint(unsigned int codePoint, std::vector<unsigned short>* units)
{
    if (codePoint < 0x10000) {
        units->push_back(static_cast<unsigned short>(codePoint));
    } else {
        codePoint -= 0x10000;
        units->push_back(static_cast<unsigned short>(0xD800 + (codePoint >> 10)));
        units->push_back(static_cast<unsigned short>(0xDC00 + (codePoint & 0x3FF)));
    }
}

// Strict UTF-8: overlong forms, surrogates, values above U+10FFFF, stray
// continuation bytes and truncated sequences all make the text invalid.
bool DecodeUTF8(unsigned char const* bytes, size_t count, std::vector<unsigned short>* units)
{
    size_t i = 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        i = 3;  // byte order mark, not text
    while (i < count) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            units->push_back(lead);
            ++i;
            continue;
        }
        size_t tail;
        unsigned int codePoint;
        unsigned char secondMin = 0x80, secondMax = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            tail = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            tail = 2;
            codePoint = lead & 0x0F;
            if (lead == 0xE0)
                secondMin = 0xA0;  // below: overlong
            else if (lead == 0xED)
                secondMax = 0x9F;  // above: surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            tail = 3;
            codePoint = lead & 0x07;
            if (lead == 0xF0)
                secondMin = 0x90;  // below: overlong
            else if (lead == 0xF4)
                secondMax = 0x8F;  // above: beyond U+10FFFF
        } else {
            return false;  // continuation byte, overlong lead 0xC0/0xC1, or 0xF5-0xFF
        }
        if (count - i <= tail)
            return false;
        if (bytes[i + 1] < secondMin || bytes[i + 1] > secondMax)
            return false;
        for (size_t k = 1; k <= tail; ++k) {
            if (!IsContinuation(bytes[i + k]))
                return false;
            codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
        }
        PushCodePoint(codePoint, units);
        i += tail + 1;
    }
    return true;
}

void AppendUTF8(unsigned int codePoint, std::string* out)
{
    if (codePoint < 0x80) {
        out->push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Encodes the units character by character (a surrogate pair is one
// character, an unpaired surrogate one lost character). False for an
// unsupported encoding.
bool Encode(std::vector<unsigned short> const& units, unsigned int cfEncoding, unsigned char lossByte, std::string* out)
{
    AKCharsetReverseEntry const* reverse = ReverseTableOf(cfEncoding);
    if (!reverse && cfEncoding != kCFStringEncodingUTF8)
        return false;
    out->reserve(units.size());
    size_t count = units.size();
    for (size_t i = 0; i < count; ++i) {
        unsigned int codePoint = units[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            bool paired = codePoint <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            if (paired) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            } else {
                codePoint = kNoCodePoint;
            }
        }
        if (codePoint == kNoCodePoint) {
            out->push_back(static_cast<char>(lossByte));
        } else if (!reverse) {
            AppendUTF8(codePoint, out);
        } else {
            int byte = AKCharsetByteFromUnicode(reverse, codePoint);
            out->push_back(static_cast<char>(byte < 0 ? lossByte : byte));
        }
    }
    return true;
}

}  // namespace

namespace AKMacOS {

unsigned int CFStringEncodingConvert(AKStringEncoding encoding)
{
    switch (encoding) {
    case kAKStringEncodingMacRoman:
        return kCFStringEncodingMacRoman;
    case kAKStringEncodingWindowsLatin1:
        return kCFStringEncodingWindowsLatin1;
    case kAKStringEncodingUTF8:
        return kCFStringEncodingUTF8;
    default:
        return kCFStringEncodingInvalidId;
    }
}

AKStringEncoding AKStringEncodingConvert(unsigned int cfEncoding)
{
    switch (cfEncoding) {
    case kCFStringEncodingMacRoman:
        return kAKStringEncodingMacRoman;
    case kCFStringEncodingWindowsLatin1:
        return kAKStringEncodingWindowsLatin1;
    case kCFStringEncodingUTF8:
        return kAKStringEncodingUTF8;
    default:
        return 0;
    }
}

AKString AKStringConvert(__CFString const* string, unsigned int cfEncoding)
{
    if (!string || string->units.empty())
        return kAKNullString;
    std::string bytes;
    if (!Encode(string->units, cfEncoding, '?', &bytes))
        return kAKNullString;
    return AKString(bytes);
}

__CFString const* CFStringConvert(AKString const& string, unsigned int cfEncoding)
{
    if (string.IsEmpty())
        return nullptr;
    return CFStringCreateWithBytes(string.c_str(), string.Length(), cfEncoding);
}

__CFString const* CFStringCreateWithBytes(void const* bytes, unsigned int count, unsigned int cfEncoding)
{
    if (!bytes && count > 0)
        return nullptr;
    unsigned char const* source = static_cast<unsigned char const*>(bytes);
    __CFString* string = new __CFString;
    if (cfEncoding == kCFStringEncodingUTF8) {
        string->units.reserve(count);
        if (!DecodeUTF8(source, count, &string->units)) {
            delete string;
            return nullptr;
        }
        return string;
    }
    unsigned short const* forward = ForwardTableOf(cfEncoding);
    if (!forward) {
        delete string;
        return nullptr;
    }
    string->units.resize(count);
    for (unsigned int i = 0; i < count; ++i)
        string->units[i] = AKCharsetUnicodeFromByte(forward, source[i]);
    return string;
}

__CFString const* CFStringCreateWithCharacters(unsigned short const* units, unsigned int count)
{
    __CFString* string = new __CFString;
    if (units && count > 0)
        string->units.assign(units, units + count);
    return string;
}

unsigned int CFStringGetLength(__CFString const* string)
{
    return string ? static_cast<unsigned int>(string->units.size()) : 0;
}

void CFStringGetCharacters(__CFString const* string, unsigned short* buffer)
{
    if (string && buffer && !string->units.empty())
        std::copy(string->units.begin(), string->units.end(), buffer);
}

unsigned int CFStringGetBytes(__CFString const* string, unsigned int cfEncoding, unsigned char lossByte,
                              unsigned char* buffer, unsigned int capacity)
{
    std::string bytes;
    if (!string || !Encode(string->units, cfEncoding, lossByte, &bytes))
        return 0;
    size_t count = bytes.size();
    if (!buffer)
        return static_cast<unsigned int>(count);
    if (count > capacity) {
        count = capacity;
        // Never cut a UTF-8 sequence: back up to the start of the cut
        // character. The 8-bit encodings have one byte a character.
        while (cfEncoding == kCFStringEncodingUTF8 && count > 0 &&
               IsContinuation(static_cast<unsigned char>(bytes[count])))
            --count;
    }
    bytes.copy(reinterpret_cast<char*>(buffer), count);
    return static_cast<unsigned int>(count);
}

void CFStringRelease(__CFString const* string) { delete string; }

}  // namespace AKMacOS
