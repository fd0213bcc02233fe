#pragma once

// QVAudioPCMInfo: the layout of raw integer or floating-point samples, as
// found in an uncompressed sound file. One signed 32-bit code:
//   bits 0-7  bits per sample (8, 16, 24, 32 or 64)
//   0x100     floating point
//   0x200     unsigned integer
//   0x400     big-endian
//   0x800     little-endian
// Neither float nor unsigned means signed integer; neither byte-order flag
// means the order is not given (raw data without one is read as
// little-endian). 0 means no raw layout. Bits above 0xFFF carry nothing.
//
// Text form: the bits as "%02d", then a type letter ("F" float, "U"
// unsigned, "S" signed) and a byte-order letter ("B", "L", "_" none); the
// short form leaves out "S" and "_" when they carry nothing: "16", "32F",
// "08U", "24SL"; the full form always has both letters: "16S_", "32F_".

#include "AKString.h"
#include "AKValue.h"

typedef int QVAudioPCMInfo;

constexpr QVAudioPCMInfo kQVAudioPCMInfoBitsMask = 0xFF;
constexpr QVAudioPCMInfo kQVAudioPCMInfoFloat = 0x100;
constexpr QVAudioPCMInfo kQVAudioPCMInfoUnsigned = 0x200;
constexpr QVAudioPCMInfo kQVAudioPCMInfoBigEndian = 0x400;
constexpr QVAudioPCMInfo kQVAudioPCMInfoLittleEndian = 0x800;

// No raw layout.
constexpr QVAudioPCMInfo kQVNullAudioPCMInfo = 0;

inline constexpr unsigned int QVAudioPCMInfoGetBitsPerSample(QVAudioPCMInfo info)
{
    return static_cast<unsigned int>(info & kQVAudioPCMInfoBitsMask);
}
inline constexpr unsigned int QVAudioPCMInfoGetBytesPerSample(QVAudioPCMInfo info)
{
    return QVAudioPCMInfoGetBitsPerSample(info) / 8;
}
inline constexpr bool QVAudioPCMInfoIsFloat(QVAudioPCMInfo info) { return (info & kQVAudioPCMInfoFloat) != 0; }
inline constexpr bool QVAudioPCMInfoIsUnsigned(QVAudioPCMInfo info) { return (info & kQVAudioPCMInfoUnsigned) != 0; }
// Only the big-endian flag makes data big-endian; no flag reads as little-endian.
inline constexpr bool QVAudioPCMInfoIsBigEndian(QVAudioPCMInfo info) { return (info & kQVAudioPCMInfoBigEndian) != 0; }

// The text form; allLetters asks for the full form.
AKString QVAudioPCMInfoToAKString(QVAudioPCMInfo info, bool allLetters);
// The code of a text form: the leading decimal number, then the letters at
// the fixed positions 2 and 3 (so only the two-digit form reads back). An
// empty text, no number or an unknown letter gives 0.
QVAudioPCMInfo QVAudioPCMInfoFromAKString(AKString const& string);
// Whether the system can read and write samples of this layout: float for 32
// or 64 bits, unsigned for 8 bits only, signed for 8, 16, 24 or 32 bits;
// never 0, a negative code or both byte orders at once.
bool QVAudioPCMInfoIsValid(QVAudioPCMInfo info);

// Value form: a string value of the short text form. The getter fails,
// leaving the output as it was, when the value holds no string; the by-value
// getter then gives 0.
bool AKValueGetasQVAudioPCMInfo(AKValue const& value, QVAudioPCMInfo* info);
QVAudioPCMInfo AKValueGetasQVAudioPCMInfo(AKValue const& value);
// Null stays null; returns the value it was given.
AKValue* AKValueSetasQVAudioPCMInfo(AKValue* value, QVAudioPCMInfo info);
AKValue AKValueSetasQVAudioPCMInfo(QVAudioPCMInfo info);
