// Writers of the text forms of values, and the debug formatters.

#include "AKTextForms.h"

#include "AKScopedPrintfFloatSepAsDot.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {

// Bounded printf into a caller's buffer, appending piece by piece; text that
// does not fit is cut, the buffer always ends with a NUL.
class TextOut
{
public:
    TextOut(char* buffer, size_t size) : mBuffer(buffer), mSize(size)
    {
        if (mBuffer != nullptr && mSize > 0)
            mBuffer[0] = '\0';
    }

    void Printf(char const* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (mBuffer == nullptr || mLength + 1 >= mSize)
            return;
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(mBuffer + mLength, mSize - mLength, format, args);
        va_end(args);
        if (n < 0) {
            mBuffer[mLength] = '\0';
            return;
        }
        size_t written = static_cast<size_t>(n);
        mLength = mLength + written < mSize ? mLength + written : mSize - 1;
    }

    char* Buffer() const { return mBuffer; }

private:
    char* mBuffer;
    size_t mSize;
    size_t mLength = 0;
};

// Decimals of the precision rule: negative gives the C default of 6.
int DecimalsOf(int precision)
{
    if (precision < 0)
        return 6;
    return precision > 9 ? 9 : precision;
}

double const kPowersOfTen[10] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

char* WriteAGPoint(char* buffer, size_t size, AGPoint const& v, int precision)
{
    AKScopedPrintfFloatSepAsDot dot;
    int d = DecimalsOf(precision);
    TextOut out(buffer, size);
    out.Printf("(%.*f;%.*f)", d, v.x, d, v.y);
    return out.Buffer();
}

char* WriteAGSize(char* buffer, size_t size, AGSize const& v, int precision)
{
    AKScopedPrintfFloatSepAsDot dot;
    int d = DecimalsOf(precision);
    TextOut out(buffer, size);
    out.Printf("(%.*f;%.*f)", d, v.width, d, v.height);
    return out.Buffer();
}

char* WriteAGRect(char* buffer, size_t size, AGRect const& v, int precision)
{
    AKScopedPrintfFloatSepAsDot dot;
    int d = DecimalsOf(precision);
    TextOut out(buffer, size);
    out.Printf("(%.*f;%.*f;%.*f;%.*f)", d, v.x1, d, v.y1, d, v.x2, d, v.y2);
    return out.Buffer();
}

char* WriteAGColor(char* buffer, size_t size, AGColor color, bool withAlpha)
{
    TextOut out(buffer, size);
    if (withAlpha)
        out.Printf("(%03u;%03u;%03u;%03u)", color.GetRed(), color.GetGreen(), color.GetBlue(), color.GetAlpha());
    else
        out.Printf("(%03u;%03u;%03u)", color.GetRed(), color.GetGreen(), color.GetBlue());
    return out.Buffer();
}

}  // namespace

char* strSetasBool(char* buffer, bool value)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%d", value ? 1 : 0);
    return out.Buffer();
}

char* strSetasSInt(char* buffer, int value)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%d", value);
    return out.Buffer();
}

char* strSetasSInt32(char* buffer, int32_t value) { return strSetasSInt(buffer, static_cast<int>(value)); }

char* strSetasSInt64(char* buffer, long long value)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%lld", value);
    return out.Buffer();
}

char* strSetasUInt(char* buffer, unsigned int value)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%u", value);
    return out.Buffer();
}

char* strSetasUInt32(char* buffer, uint32_t value) { return strSetasUInt(buffer, static_cast<unsigned int>(value)); }

char* strSetasUInt64(char* buffer, unsigned long long value)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%llu", value);
    return out.Buffer();
}

char* strSetasFloat32(char* buffer, float value, int precision)
{
    return strSetasFloat64(buffer, static_cast<double>(value), precision);
}

char* strSetasFloat64(char* buffer, double value, int precision)
{
    AKScopedPrintfFloatSepAsDot dot;
    TextOut out(buffer, kAKStrSetasMaxLen);
    out.Printf("%.*f", DecimalsOf(precision), value);
    return out.Buffer();
}

char* strSetasTimeHMS(char* buffer, double seconds, int precision, bool compact)
{
    int d = DecimalsOf(precision);
    double a = std::fabs(seconds);
    // Beyond this the fields no longer fit whole numbers: write the plain number.
    if (!(a < 9.0e15))
        return strSetasFloat64(buffer, seconds, precision);

    // Round to the shown decimals first, so that 59.96 at one decimal becomes
    // a whole minute rather than "60.0" seconds.
    double scaled = a * kPowersOfTen[d];
    if (scaled < 9.0e15)
        a = std::floor(scaled + 0.5) / kPowersOfTen[d];

    long long whole = static_cast<long long>(a);
    double fraction = a - static_cast<double>(whole);
    int s = static_cast<int>(whole % 60);
    int m = static_cast<int>((whole / 60) % 60);
    long long h = whole / 3600;
    bool negative = seconds < 0.0;

    AKScopedPrintfFloatSepAsDot dot;
    TextOut out(buffer, kAKStrSetasMaxLen);
    if (whole < 3600 && compact) {
        if (m == 0)
            return strSetasFloat64(buffer, seconds, precision);
        out.Printf("%s%02d:", negative ? "-" : "", m);
    } else {
        out.Printf("%s%lld:%02d:", negative ? "-" : "", h, m);
    }

    double secondsOfMinute = s + fraction;
    if (precision < 0)
        out.Printf("%f", secondsOfMinute);
    else if (d == 0)
        out.Printf("%02.0f", secondsOfMinute);
    else
        out.Printf("%0*.*f", d + 3, d, secondsOfMinute);  // two integer digits always show
    return out.Buffer();
}

char* strSetasDuration(char* buffer, double seconds, int precision)
{
    AKScopedPrintfFloatSepAsDot dot;
    TextOut out(buffer, kAKStrSetasMaxLen);
    double x = seconds;
    if (!(x >= 0.000001))  // negative and NaN included
    {
        out.Printf("0s");
        return out.Buffer();
    }
    if (x < 0.01) {
        out.Printf("%.3fms", x * 1000.0);
        return out.Buffer();
    }
    if (x < 0.1) {
        out.Printf("%.3fs", x);
        return out.Buffer();
    }

    int d = 0;
    if (precision < 0)
        d = x < 1.0 ? 3 : x < 10.0 ? 2 : x < 60.0 ? 1 : 0;
    else
        d = precision >= 3 ? 3 : precision;
    long long unit = d == 3 ? 1000 : d == 2 ? 100 : d == 1 ? 10 : 1;

    double scaled = std::floor(x * static_cast<double>(unit) + 0.5);
    if (!(scaled < 9.0e18))  // too long to count in whole units
    {
        out.Printf("%.0fs", x);
        return out.Buffer();
    }
    long long c = static_cast<long long>(scaled);
    long long whole = c / unit;
    long long r = c % unit;
    long long m = (whole / 60) % 60;

    if (whole >= 3600)
        out.Printf("%lldh%02lldm%02lld", whole / 3600, m, whole % 60);
    else if (m > 0)
        out.Printf("%lldm%02lld", m, whole % 60);
    else
        out.Printf("%lld", whole % 60);

    if (d == 3)
        out.Printf(".%03lld", r);
    else if (d == 2)
        out.Printf(".%02lld", r);
    else if (d == 1)
        out.Printf(".%01lld", r);
    out.Printf("s");
    return out.Buffer();
}

char* strSetasSysDate(char* buffer, long long unixTime, bool weekday, bool hoursMinutes, bool seconds)
{
    if (buffer == nullptr)
        return nullptr;
    buffer[0] = '\0';

    char format[32] = "";
    TextOut f(format, sizeof(format));
    if (weekday)
        f.Printf("%%a ");
    f.Printf("%%d/%%m/%%Y");
    if (seconds)
        f.Printf(" %%H:%%M:%%S");
    else if (hoursMinutes)
        f.Printf(" %%H:%%M");

    time_t t = static_cast<time_t>(unixTime < 0 ? 0 : unixTime);
    struct tm local;
    if (localtime_r(&t, &local) == nullptr)
        return buffer;
    if (std::strftime(buffer, kAKStrSetasDateMaxLen, format, &local) == 0)
        buffer[0] = '\0';  // did not fit: the contents are undefined
    return buffer;
}

char* strSetasMemory(char* buffer, long long bytes)
{
    AKScopedPrintfFloatSepAsDot dot;
    TextOut out(buffer, kAKStrSetasMaxLen);
    if (bytes <= 0) {
        out.Printf("0 Byte");
        return out.Buffer();
    }
    // Decimal units; one decimal up to 10 units, none strictly above.
    double n = static_cast<double>(bytes);
    double k = n / 1000.0;
    double mb = k / 1000.0;
    double g = mb / 1000.0;
    double t = g / 1000.0;
    if (t > 10.0)
        out.Printf("%.0f TB", t);
    else if (t >= 1.0)
        out.Printf("%.1f TB", t);
    else if (g > 10.0)
        out.Printf("%.0f GB", g);
    else if (g >= 1.0)
        out.Printf("%.1f GB", g);
    else if (mb > 10.0)
        out.Printf("%.0f MB", mb);
    else if (mb >= 1.0)
        out.Printf("%.1f MB", mb);
    else if (k > 10.0)
        out.Printf("%.0f KB", k);
    else if (k >= 1.0)
        out.Printf("%.1f KB", k);
    else
        out.Printf("%.0f Bytes", n);
    return out.Buffer();
}

char* strSetasChannCount(char* buffer, int channels)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    if (channels <= 0)
        out.Printf("<None>");
    else if (channels == 1)
        out.Printf("Mono");
    else if (channels == 2)
        out.Printf("Stereo");
    else
        out.Printf("%dCh", channels);
    return out.Buffer();
}

char* strSetasAGPoint(char* buffer, AGPoint const& point, int precision)
{
    return WriteAGPoint(buffer, kAKStrSetasMaxLen, point, precision);
}

char* strSetasAGSize(char* buffer, AGSize const& size, int precision)
{
    return WriteAGSize(buffer, kAKStrSetasMaxLen, size, precision);
}

char* strSetasAGInterval(char* buffer, AGInterval const& interval, int precision)
{
    return WriteAGPoint(buffer, kAKStrSetasMaxLen, AGPoint{interval.beg, interval.end}, precision);
}

char* strSetasAGRect(char* buffer, AGRect const& rect, int precision)
{
    return WriteAGRect(buffer, kAKStrSetasMaxLen, rect, precision);
}

char* strSetasAGColor(char* buffer, AGColor color, bool withAlpha)
{
    return WriteAGColor(buffer, kAKStrSetasMaxLen, color, withAlpha);
}

char* strSetasAGColorHex(char* buffer, AGColor color, bool withAlpha)
{
    TextOut out(buffer, kAKStrSetasMaxLen);
    unsigned int rgb = (color.GetRed() << 16) | (color.GetGreen() << 8) | color.GetBlue();
    if (withAlpha)
        out.Printf("%08X", (rgb << 8) | color.GetAlpha());
    else
        out.Printf("%06X", rgb);
    return out.Buffer();
}

// Debug formatters. Each form has its own ring of 8 slots per thread, so
// results stay valid until 8 further calls of the same form on that thread.

namespace {

template <size_t SlotSize>
class DebugRing
{
public:
    char* Next()
    {
        mIndex = (mIndex + 1) % 8;
        return mSlots[mIndex];
    }
    static constexpr size_t kSlotSize = SlotSize;

private:
    char mSlots[8][SlotSize] = {};
    unsigned int mIndex = 7;
};

thread_local DebugRing<32> tColorRing;
thread_local DebugRing<32> tPointRing;
thread_local DebugRing<32> tSizeRing;
thread_local DebugRing<64> tRectRing;

}  // namespace

char const* _akstr(AGColor const& color) { return WriteAGColor(tColorRing.Next(), tColorRing.kSlotSize, color, true); }

char const* _akstr(AGPoint const& point, int precision)
{
    return WriteAGPoint(tPointRing.Next(), tPointRing.kSlotSize, point, precision);
}

char const* _akstr(AGSize const& size, int precision)
{
    return WriteAGSize(tSizeRing.Next(), tSizeRing.kSlotSize, size, precision);
}

char const* _akstr(AGRect const& rect, int precision)
{
    return WriteAGRect(tRectRing.Next(), tRectRing.kSlotSize, rect, precision);
}
