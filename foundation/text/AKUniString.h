#pragma once

// UTF-16 text for the graphics layer's text drawing, converted from and to
// engine (Mac Roman) text. Every Mac Roman byte is one UTF-16 unit and every
// unit becomes exactly one Mac Roman byte: "?" for a unit that Mac Roman
// lacks, including each unit of a surrogate pair.

#include "AKString.h"
#include "ATNumberArray.h"

// UTF-16 code units, without terminator.
typedef ATNumberArray<unsigned short, unsigned short, 0> AKUniChars;

// The shared empty array, built on first use. Never modified.
AKUniChars const& AKNullUniCharsShared();
#define kAKNullUniChars (AKNullUniCharsShared())

// A length of 0xFFFFFFFF means "up to the terminating 0".
constexpr unsigned int kAKUniStringToTerminator = 0xFFFFFFFFu;

// A new NUL-terminated UTF-16 buffer of the Mac Roman bytes, released by the
// caller with free(); null for a null source.
unsigned short* AKNewUniStringFromAsciiString(char const* ascii, unsigned int length);
// The same into the caller's buffer of `capacity` units: at most capacity - 1
// units and the terminator; a capacity of 0 writes nothing. Returns the
// units written before the terminator.
unsigned int AKUniStringFromAsciiString(unsigned short* buffer, unsigned int capacity, char const* ascii,
                                        unsigned int length);
// The units of the whole string.
AKUniChars AKUniStringFromAsciiString(AKString const& ascii);

// A new NUL-terminated Mac Roman buffer of the units, released by the caller
// with free(); null for a null source.
char* AKNewAsciiStringFromUniString(unsigned short const* units, unsigned int length);
// The same into the caller's buffer of `capacity` bytes: at most capacity - 1
// bytes and the terminator; a capacity of 0 writes nothing. Returns the bytes
// written before the terminator.
unsigned int AKAsciiStringFromUniString(char* buffer, unsigned int capacity, unsigned short const* units,
                                        unsigned int length);
// The Mac Roman text of all units.
AKString AKAsciiStringFromUniString(AKUniChars const& units);

// Number of units before the terminating 0; 0 for null.
unsigned int AKUniStringLength(unsigned short const* units);
