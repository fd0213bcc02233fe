#pragma once

// The system-string layer: a small string object of our own with the
// conversions the engine needs between it, engine strings and the system's
// encoding numbers. Supported system encodings: Mac Roman, Windows Latin-1
// and UTF-8. Other code adds its own conversions to the AKMacOS group
// (file URLs, for example).

#include "AKString.h"
#include "AKStringEncoding.h"

// System encoding numbers.
constexpr unsigned int kCFStringEncodingMacRoman = 0;
constexpr unsigned int kCFStringEncodingWindowsLatin1 = 0x0500;
constexpr unsigned int kCFStringEncodingUTF8 = 0x08000100;
constexpr unsigned int kCFStringEncodingInvalidId = 0xFFFFFFFF;

// An immutable system string holding UTF-16 code units. Whoever makes one
// releases it with AKMacOS::CFStringRelease.
struct __CFString;

namespace AKMacOS {

// Engine code to system encoding; kCFStringEncodingInvalidId for an unknown code.
unsigned int CFStringEncodingConvert(AKStringEncoding encoding);
// System encoding to engine code; 0 when the engine has none.
AKStringEncoding AKStringEncodingConvert(unsigned int cfEncoding);

// The string's text in the given system encoding, "?" for each character the
// encoding lacks. A null or empty string gives the empty string.
AKString AKStringConvert(__CFString const* string, unsigned int cfEncoding);
// A new system string of the bytes read in the given system encoding; null for
// the empty string, bytes not valid in that encoding or an unknown encoding.
__CFString const* CFStringConvert(AKString const& string, unsigned int cfEncoding);

// System string primitives.
// Null when the bytes are not valid in the encoding or the encoding is unknown.
// A leading UTF-8 byte order mark is not part of the text.
__CFString const* CFStringCreateWithBytes(void const* bytes, unsigned int count, unsigned int cfEncoding);
// Takes the units as they are (also unpaired surrogates).
__CFString const* CFStringCreateWithCharacters(unsigned short const* units, unsigned int count);
// Number of UTF-16 units; 0 for null.
unsigned int CFStringGetLength(__CFString const* string);
// Copies all units (CFStringGetLength of them) to the buffer.
void CFStringGetCharacters(__CFString const* string, unsigned short* buffer);
// Encodes the whole string, each character the encoding lacks (an unpaired
// surrogate too) as the loss byte. With a null buffer returns the byte count
// needed; otherwise writes the whole characters that fit in capacity bytes
// and returns the bytes written. An unknown encoding gives 0.
unsigned int CFStringGetBytes(__CFString const* string, unsigned int cfEncoding, unsigned char lossByte,
                              unsigned char* buffer, unsigned int capacity);
// Frees the string; null does nothing.
void CFStringRelease(__CFString const* string);

}  // namespace AKMacOS
