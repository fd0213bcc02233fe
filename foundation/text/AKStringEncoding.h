#pragma once

// The engine's text encoding codes and conversion of engine strings between
// them. Engine text is Mac Roman; UTF-8 is what files hold.

#include "AKString.h"

typedef unsigned int AKStringEncoding;

constexpr AKStringEncoding kAKStringEncodingMacRoman = 1;
constexpr AKStringEncoding kAKStringEncodingWindowsLatin1 = 2;
constexpr AKStringEncoding kAKStringEncodingUTF8 = 3;

// Converts the string in place. An empty string, equal codes or codes that
// map to the same system encoding change nothing. Bytes that are not valid in
// the source encoding (broken UTF-8) empty the string; characters the target
// lacks become "?".
void AKStringConvertWithEncoding(AKString* string, AKStringEncoding from, AKStringEncoding to);

// The same conversion on a copy.
AKString AKStringCopyWithEncoding(AKString const& string, AKStringEncoding from, AKStringEncoding to);
