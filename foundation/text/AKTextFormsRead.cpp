// Readers of the text forms of values.

#include "AKTextForms.h"

#include "AKScopedPrintfFloatSepAsDot.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

char* strPrepareFloatScanf(char* dest, char const* text)
{
    if (dest == nullptr)
        return nullptr;
    size_t n = 0;
    if (text != nullptr) {
        while (n < kAKStrPrepareFloatScanfLen - 1 && text[n] != '\0') {
            dest[n] = text[n];
            n++;
        }
    }
    dest[n] = '\0';
    return dest;
}

static int ScanvAsDot(char const* text, char const* format, va_list args)
{
    if (text == nullptr || text[0] == '\0' || format == nullptr)
        return 0;
    char work[kAKStrPrepareFloatScanfLen];
    strPrepareFloatScanf(work, text);
    AKScopedPrintfFloatSepAsDot dot;
    int n = std::vsscanf(work, format, args);
    return n < 0 ? 0 : n;  // EOF: nothing but white space
}

int strScanfAsDot(char const* text, char const* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = ScanvAsDot(text, format, args);
    va_end(args);
    return n;
}

template <typename T>
static bool Give(T* out, T const& value, bool ok)
{
    if (out != nullptr)
        *out = value;
    return ok;
}

// The real forms hold numbers only: the C library also reads "nan", "inf"
// and "infinity", and gives an infinity for a number beyond the type's
// range. Those are refused, so that no reader hands out a value that would
// spread through every computation made with it.
template <typename... T>
static bool AllFinite(T... values)
{
    return (std::isfinite(values) && ...);
}

bool strGetasBool(char const* text, bool* out, bool fallback)
{
    long v = 0;
    if (strScanfAsDot(text, "%ld", &v) == 1 && (v == 0 || v == 1))
        return Give(out, v == 1, true);
    return Give(out, fallback, false);
}

bool strGetasSInt64(char const* text, long long* out, long long fallback)
{
    long long v = 0;
    if (strScanfAsDot(text, "%lld", &v) == 1)
        return Give(out, v, true);
    return Give(out, fallback, false);
}

bool strGetasUInt64(char const* text, unsigned long long* out, unsigned long long fallback)
{
    long long v = 0;
    if (strScanfAsDot(text, "%lld", &v) == 1 && v >= 0)
        return Give(out, static_cast<unsigned long long>(v), true);
    return Give(out, fallback, false);
}

// The 32-bit integer forms read 64 bits and keep the low 32.
bool strGetasSInt(char const* text, int* out, int fallback)
{
    long v = 0;
    if (strScanfAsDot(text, "%ld", &v) == 1)
        return Give(out, static_cast<int>(static_cast<uint32_t>(static_cast<unsigned long>(v))), true);
    return Give(out, fallback, false);
}

bool strGetasSInt32(char const* text, int32_t* out, int32_t fallback)
{
    int v = 0;
    bool ok = strGetasSInt(text, &v, fallback);
    return Give(out, static_cast<int32_t>(v), ok);
}

bool strGetasUInt(char const* text, unsigned int* out, unsigned int fallback)
{
    long v = 0;
    if (strScanfAsDot(text, "%ld", &v) == 1 && v >= 0)
        return Give(out, static_cast<unsigned int>(static_cast<unsigned long>(v)), true);
    return Give(out, fallback, false);
}

bool strGetasUInt32(char const* text, uint32_t* out, uint32_t fallback)
{
    unsigned int v = 0;
    bool ok = strGetasUInt(text, &v, fallback);
    return Give(out, static_cast<uint32_t>(v), ok);
}

bool strGetasFloat32(char const* text, float* out, float fallback)
{
    float v = 0.0f;
    if (strScanfAsDot(text, "%f", &v) == 1 && AllFinite(v))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

bool strGetasFloat64(char const* text, double* out, double fallback)
{
    double v = 0.0;
    if (strScanfAsDot(text, "%lf", &v) == 1 && AllFinite(v))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

// With a leading field of 0 the number carries no sign: "-0:30" is negative
// by its text alone.
static bool TextStartsWithMinus(char const* text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    return *text == '-';
}

bool strGetasTimeHMS(char const* text, double* seconds, double fallback)
{
    int h = 0;
    int m = 0;
    double s = 0.0;
    // A time is a number of seconds: NaN and infinite seconds are refused,
    // whichever form holds them.
    if (strScanfAsDot(text, "%d:%d:%lf", &h, &m, &s) == 3) {
        if (!AllFinite(s))
            return Give(seconds, fallback, false);
        double magnitude =
            std::fabs(s) + 60.0 * std::fabs(static_cast<double>(m)) + 3600.0 * std::fabs(static_cast<double>(h));
        bool negative = h != 0 ? h < 0 : TextStartsWithMinus(text);
        return Give(seconds, negative ? -magnitude : magnitude, true);
    }
    if (strScanfAsDot(text, "%d:%lf", &m, &s) == 2) {
        if (!AllFinite(s))
            return Give(seconds, fallback, false);
        double magnitude = std::fabs(s) + 60.0 * std::fabs(static_cast<double>(m));
        bool negative = m != 0 ? m < 0 : TextStartsWithMinus(text);
        return Give(seconds, negative ? -magnitude : magnitude, true);
    }
    if (strScanfAsDot(text, "%lf", &s) == 1 && AllFinite(s))
        return Give(seconds, s, true);
    return Give(seconds, fallback, false);
}

bool strGetasAGPoint(char const* text, AGPoint* out, AGPoint const& fallback)
{
    AGPoint v = {0.0, 0.0};
    if (strScanfAsDot(text, "(%lf;%lf)", &v.x, &v.y) == 2 && AllFinite(v.x, v.y))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

bool strGetasAGSize(char const* text, AGSize* out, AGSize const& fallback)
{
    AGSize v = {0.0, 0.0};
    if (strScanfAsDot(text, "(%lf;%lf)", &v.width, &v.height) == 2 && AllFinite(v.width, v.height))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

bool strGetasAGInterval(char const* text, AGInterval* out, AGInterval const& fallback)
{
    AGInterval v = {0.0, 0.0};
    if (strScanfAsDot(text, "(%lf;%lf)", &v.beg, &v.end) == 2 && AllFinite(v.beg, v.end))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

bool strGetasAGRect(char const* text, AGRect* out, AGRect const& fallback)
{
    AGRect v = {0.0, 0.0, 0.0, 0.0};
    if (strScanfAsDot(text, "(%lf;%lf;%lf;%lf)", &v.x1, &v.y1, &v.x2, &v.y2) == 4 && AllFinite(v.x1, v.y1, v.x2, v.y2))
        return Give(out, v, true);
    return Give(out, fallback, false);
}

// The colour forms hold no reals, so they read the text as it is.
bool strGetasAGColor(char const* text, AGColor* out, AGColor fallback)
{
    if (text == nullptr || text[0] == '\0')
        return Give(out, fallback, false);
    unsigned int c[4] = {0, 0, 0, 255};
    if (std::sscanf(text, "(%u;%u;%u;%u)", &c[0], &c[1], &c[2], &c[3]) != 4) {
        c[3] = 255;
        if (std::sscanf(text, "(%u;%u;%u)", &c[0], &c[1], &c[2]) != 3)
            return Give(out, fallback, false);
    }
    for (unsigned int& x : c) {
        if (x > 255)
            x = 255;  // also a negative number read as unsigned
    }
    return Give(out, AGColor::FromRGBA(c[0], c[1], c[2], c[3]), true);
}

static bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool strGetasAGColorHex(char const* text, AGColor* out, AGColor fallback)
{
    if (text == nullptr)
        return Give(out, fallback, false);
    size_t length = std::strlen(text);
    if (length != 6 && length != 8)
        return Give(out, fallback, false);
    // Every character must be a digit: "12345G" or " FF800" would otherwise
    // read as a shorter number and give a wrong colour.
    for (size_t i = 0; i < length; i++) {
        if (!IsHexDigit(text[i]))
            return Give(out, fallback, false);
    }
    unsigned int v = 0;
    if (std::sscanf(text, "%X", &v) != 1)
        return Give(out, fallback, false);
    if (length == 6)
        return Give(out, AGColor::FromRGBA(v >> 16, v >> 8, v, 255), true);
    return Give(out, AGColor::FromRGBA(v >> 24, v >> 16, v >> 8, v), true);
}
