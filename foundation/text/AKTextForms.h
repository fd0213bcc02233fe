#pragma once

// Text forms of values: numbers, times, durations, dates, memory sizes,
// channel counts, geometry and colours, as shown to the user, typed into text
// fields and stored in preferences and files.
//
// Readers (strGetas...) parse a C string. On success they store the value and
// return true; on any failure (null or empty text, no match) they store the
// fallback and return false. Numbers are read as scanf reads them: leading
// white space is skipped and text after a valid number is ignored. All
// readers but the two colour readers look at the first 63 characters only.
// Readers of reals (floats, times, geometry) refuse NaN and infinities,
// whether written out ("nan", "inf") or reached by a number beyond the range.
//
// Writers (strSetas...) print into the caller's buffer, NUL-terminated, and
// return it. They never write more than kAKStrSetasMaxLen bytes (the date
// writer kAKStrSetasDateMaxLen), cutting the text if need be, so a buffer of
// that size is always safe.
//
// Numbers always use "." as the decimal separator, whatever the locale.
//
// Precision p of the real-number writers: negative gives 6 decimals ("%lf"),
// 0 to 9 gives exactly p decimals, above 9 counts as 9.

#include "AGTypes.h"
#include "AKString.h"

#include <climits>
#include <cstdint>

// Buffer sizes the writers need (bytes, terminator included).
constexpr unsigned int kAKStrSetasMaxLen = 64;
constexpr unsigned int kAKStrSetasDateMaxLen = 128;
// Size of the working copy made by strPrepareFloatScanf.
constexpr unsigned int kAKStrPrepareFloatScanfLen = 64;

// Readers

bool strGetasBool(char const* text, bool* out, bool fallback);  // 0 or 1
bool strGetasSInt(char const* text, int* out, int fallback);    // low 32 bits of a 64-bit read
bool strGetasSInt32(char const* text, int32_t* out, int32_t fallback);
bool strGetasSInt64(char const* text, long long* out, long long fallback);
bool strGetasUInt(char const* text, unsigned int* out, unsigned int fallback);  // not negative
bool strGetasUInt32(char const* text, uint32_t* out, uint32_t fallback);
bool strGetasUInt64(char const* text, unsigned long long* out, unsigned long long fallback);
bool strGetasFloat32(char const* text, float* out, float fallback);
bool strGetasFloat64(char const* text, double* out, double fallback);

#if LONG_MAX == LLONG_MAX
// int64_t and uint64_t are long here, a type distinct from long long.
inline bool strGetasSInt64(char const* text, long* out, long fallback)
{
    long long v = 0;
    bool ok = strGetasSInt64(text, &v, fallback);
    if (out != nullptr)
        *out = static_cast<long>(v);
    return ok;
}
inline bool strGetasUInt64(char const* text, unsigned long* out, unsigned long fallback)
{
    unsigned long long v = 0;
    bool ok = strGetasUInt64(text, &v, fallback);
    if (out != nullptr)
        *out = static_cast<unsigned long>(v);
    return ok;
}
#endif

// "h:m:s", "m:s" or "s" (seconds, fractional). The sign is that of the first
// field, or a leading "-" when the first field is 0: "-0:30" gives -30.
bool strGetasTimeHMS(char const* text, double* seconds, double fallback);

bool strGetasAGPoint(char const* text, AGPoint* out, AGPoint const& fallback);           // "(x;y)"
bool strGetasAGSize(char const* text, AGSize* out, AGSize const& fallback);              // "(w;h)"
bool strGetasAGInterval(char const* text, AGInterval* out, AGInterval const& fallback);  // "(beg;end)"
bool strGetasAGRect(char const* text, AGRect* out, AGRect const& fallback);              // "(x1;y1;x2;y2)"
// "(r;g;b;a)" or "(r;g;b)" (alpha 255); each component capped at 255.
bool strGetasAGColor(char const* text, AGColor* out, AGColor fallback);
// Exactly 6 ("RRGGBB", alpha 255) or 8 ("RRGGBBAA") hexadecimal digits.
bool strGetasAGColorHex(char const* text, AGColor* out, AGColor fallback);

// Writers (buffers of kAKStrSetasMaxLen bytes)

char* strSetasBool(char* buffer, bool value);  // "0" or "1"
char* strSetasSInt(char* buffer, int value);
char* strSetasSInt32(char* buffer, int32_t value);
char* strSetasSInt64(char* buffer, long long value);
char* strSetasUInt(char* buffer, unsigned int value);
char* strSetasUInt32(char* buffer, uint32_t value);
char* strSetasUInt64(char* buffer, unsigned long long value);
char* strSetasFloat32(char* buffer, float value, int precision);
char* strSetasFloat64(char* buffer, double value, int precision);

// "h:mm:ss.f"; compact drops the hours below one hour ("mm:ss.f") and the
// minutes too below one minute (the plain number). The seconds always show
// two integer digits.
char* strSetasTimeHMS(char* buffer, double seconds, int precision, bool compact);
// "5.000ms", "0.050s", "5.25s", "1m15s", "1h02m05s"; precision -1 chooses
// the decimals by size.
char* strSetasDuration(char* buffer, double seconds, int precision);
// Local date "[%a ]%d/%m/%Y[ %H:%M[:%S]]"; buffer of kAKStrSetasDateMaxLen bytes.
char* strSetasSysDate(char* buffer, long long unixTime, bool weekday, bool hoursMinutes, bool seconds);
// Decimal units: "999 Bytes", "1.5 KB", "10 KB", "2.5 GB"; "0 Byte" for 0 or less.
char* strSetasMemory(char* buffer, long long bytes);
// "<None>", "Mono", "Stereo", else "6Ch".
char* strSetasChannCount(char* buffer, int channels);

char* strSetasAGPoint(char* buffer, AGPoint const& point, int precision);
char* strSetasAGSize(char* buffer, AGSize const& size, int precision);
char* strSetasAGInterval(char* buffer, AGInterval const& interval, int precision);
char* strSetasAGRect(char* buffer, AGRect const& rect, int precision);
// "(255;128;000;255)" with alpha, "(255;128;000)" without.
char* strSetasAGColor(char* buffer, AGColor color, bool withAlpha);
// "FF800080" with alpha, "FF8000" without.
char* strSetasAGColorHex(char* buffer, AGColor color, bool withAlpha);

// Number parsing for other text forms

// Copies at most kAKStrPrepareFloatScanfLen - 1 characters of the text (null
// gives the empty text) into dest, which holds kAKStrPrepareFloatScanfLen
// bytes, and returns dest. Parse the copy under AKScopedPrintfFloatSepAsDot.
char* strPrepareFloatScanf(char* dest, char const* text);
// sscanf of the prepared copy of the text under the "." separator; returns the
// number of items converted, 0 for a null or empty text or an input failure.
int strScanfAsDot(char const* text, char const* format, ...) __attribute__((format(scanf, 2, 3)));

// Suffix numbers, used to number copies ("Take 07" -> "Take 08")

// Reads at most 8 decimal digits at the end of the string; false (value and
// count 0) when the last byte is not a digit. Outputs may be null.
bool AKStringSuffixNumberFind(AKString const& s, unsigned int* value, unsigned int* digitCount);
// Replaces the suffix number by the number, keeping the former digit count
// (at most 7) as zero padding. Without a suffix number, appends the number
// when force is set and otherwise does nothing and returns false.
bool AKStringSuffixNumberReplace(AKString* s, unsigned int number, bool force);
// The same with delta + the suffix number, or delta + base when there is none.
bool AKStringSuffixNumberAdd(AKString* s, unsigned int delta, unsigned int base, bool force);

// Hexadecimal dump and hashes

// The prefix, then two upper-case hexadecimal digits per byte; null data or a
// length of 0 gives the empty string (without the prefix).
AKString AKStringHexaFromBinaryData(void const* data, unsigned int length, AKString const& prefix);
// h = rotate-left(h, 7) + byte, from 0; "abc" gives 1601891 in both widths.
unsigned int AKStringComputeHashCode32(AKString const& s);
unsigned long long AKStringComputeHashCode64(AKString const& s);

// Debug formatters: each form writes into the next of 8 slots of its own (per
// thread), so up to 8 results of one form can be used in one expression.
char const* _akstr(AGColor const& color);  // always with alpha
char const* _akstr(AGPoint const& point, int precision);
char const* _akstr(AGSize const& size, int precision);
char const* _akstr(AGRect const& rect, int precision);
