// Fuzz target: the text forms of values. The first byte chooses a reader,
// the rest is its text: numbers, times, geometry, colours, suffix numbers,
// node IDs, PCM layouts, audio formats and text held in values read as
// numbers. One more choice takes the rest as raw numbers (any bit pattern)
// and runs every writer on them.
//
// A reader that fails must give its fallback; what it reads must write back
// into the documented buffer size (a heap buffer of exactly that size, so an
// overrun is seen) and read again as the same value, exactly for integers,
// colours and codes, within the written decimals for reals.

#include "AKLog.h"
#include "AKNodeID.h"
#include "AKString.h"
#include "AKTextForms.h"
#include "AKTimeIntv.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "QVAudioFormat.h"
#include "QVAudioPCMInfo.h"
#include "QVSig.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Decimals of the round trips of reals.
constexpr int kPrecision = 9;

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// What a writer gives in a heap buffer of exactly `capacity` bytes; the text
// must end with its NUL inside it.
template <class Writer>
std::string Written(unsigned int capacity, Writer writer)
{
    std::unique_ptr<char[]> buffer(new char[capacity]);
    char* result = writer(buffer.get());
    Require(result == buffer.get());
    size_t length = strnlen(buffer.get(), capacity);
    Require(length < capacity);
    return std::string(buffer.get(), length);
}

// Equal bits, or both NaN.
bool SameReal(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

// A real written with kPrecision decimals and read again.
bool NearReal(double written, double read)
{
    if (std::isnan(written) || std::isinf(written))
        return SameReal(written, read) || (std::isnan(written) && std::isnan(read));
    return std::fabs(written - read) <= 2e-9 + std::fabs(written) * 1e-15;
}

// A text written at most kAKStrSetasMaxLen - 2 long was not cut.
bool Whole(std::string const& text) { return text.size() + 2 < kAKStrSetasMaxLen; }

template <class T, class Reader, class Writer>
void CheckInteger(char const* text, T fallback, Reader reader, Writer writer)
{
    T value = 0;
    if (!reader(text, &value, fallback)) {
        Require(value == fallback);
        return;
    }
    std::string back = Written(kAKStrSetasMaxLen, [&](char* buffer) { return writer(buffer, value); });
    T again = fallback;
    Require(reader(back.c_str(), &again, fallback) && again == value);
}

void CheckReals(char const* text)
{
    double fallback = -12345.5;
    double value = 0.0;
    if (!strGetasFloat64(text, &value, fallback))
        Require(SameReal(value, fallback));
    float fallback32 = -0.25f;
    float value32 = 0.0f;
    if (!strGetasFloat32(text, &value32, fallback32))
        Require(SameReal(value32, fallback32));
    double time = 0.0;
    if (!strGetasTimeHMS(text, &time, fallback))
        Require(SameReal(time, fallback));
    if (!strGetasAKTime(text, &time))
        Require(time == 0.0);
}

void CheckGeometry(char const* text)
{
    AGPoint point;
    AGPoint pointFallback = {-1.5, 2.5};
    if (!strGetasAGPoint(text, &point, pointFallback))
        Require(SameReal(point.x, pointFallback.x) && SameReal(point.y, pointFallback.y));
    AGSize size;
    AGSize sizeFallback = {-3.5, 4.5};
    if (!strGetasAGSize(text, &size, sizeFallback))
        Require(SameReal(size.width, sizeFallback.width) && SameReal(size.height, sizeFallback.height));
    AGInterval interval;
    AGInterval intervalFallback = {7.0, -8.0};
    if (!strGetasAGInterval(text, &interval, intervalFallback))
        Require(SameReal(interval.beg, intervalFallback.beg) && SameReal(interval.end, intervalFallback.end));
    AGRect rect;
    AGRect rectFallback = {1.0, 2.0, 3.0, 4.0};
    if (!strGetasAGRect(text, &rect, rectFallback))
        Require(rect == rectFallback);
    AKTimeIntv times = {5.0, 6.0};
    if (!strGetasAKTimeIntv(text, &times))
        Require(times == kAKNullTimeIntv);
}

void CheckColours(char const* text)
{
    AGColor const fallback = AGColor::FromRGBA(1, 2, 3, 4);
    AGColor color;
    if (!strGetasAGColor(text, &color, fallback)) {
        Require(color == fallback);
    } else {
        for (bool withAlpha : {true, false}) {
            std::string back =
                Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGColor(buffer, color, withAlpha); });
            AGColor again;
            Require(strGetasAGColor(back.c_str(), &again, fallback));
            Require(withAlpha ? again == color : (again.value & 0xFFFFFFu) == (color.value & 0xFFFFFFu));
        }
    }
    if (!strGetasAGColorHex(text, &color, fallback)) {
        Require(color == fallback);
    } else {
        std::string back =
            Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGColorHex(buffer, color, true); });
        AGColor again;
        Require(strGetasAGColorHex(back.c_str(), &again, fallback) && again == color);
    }
}

void CheckSuffixNumber(std::string const& text)
{
    AKString string(text);
    unsigned int value = 0;
    unsigned int digits = 0;
    if (!AKStringSuffixNumberFind(string, &value, &digits)) {
        Require(value == 0 && digits == 0);
        AKString unchanged = string;
        Require(!AKStringSuffixNumberReplace(&unchanged, 7, false) && unchanged == string);
    } else {
        Require(digits >= 1 && digits <= 8);
        if (digits <= 7) {
            // The same number in the same digits changes nothing.
            AKString same = string;
            AKStringSuffixNumberReplace(&same, value, false);
            Require(same == string);
        }
    }
    AKString added = string;
    AKStringSuffixNumberAdd(&added, 1, 1, true);
    unsigned int addedValue = 0;
    Require(AKStringSuffixNumberFind(added, &addedValue, nullptr));
}

void CheckCodes(std::string const& text)
{
    AKString string(text);
    AKNodeID nodeID = AKNodeIDFromAKString(string);
    Require(AKNodeIDFromAKString(AKStringFromAKNodeID(nodeID)) == nodeID);

    QVAudioPCMInfo info = QVAudioPCMInfoFromAKString(string);
    Require(QVAudioPCMInfoIsValid(info) == QVSig::IsPCMLayoutSupported(info));
    if (QVAudioPCMInfoIsValid(info)) {
        QVAudioPCMInfo layout = info & 0xFFF;
        Require(QVAudioPCMInfoFromAKString(QVAudioPCMInfoToAKString(info, true)) == layout);
        Require(QVAudioPCMInfoFromAKString(QVAudioPCMInfoToAKString(info, false)) == layout);
    }

    QVAudioFormat format = QVAudioFormatFromAKString(string);
    AKString formatText = QVAudioFormatToAKString(format);
    Require(formatText.Length() <= 7 && QVAudioFormatFromAKString(formatText) == format);
    Require(QVAudioFormatGetName(format).Length() == formatText.Length());
    Require(QVAudioFormatGetFileExtension(format).Length() == formatText.Length());
}

// Text held in a value, read as the numbers and codes values convert to.
void CheckValueConversions(std::string const& text)
{
    AKValue value = AKValueSetasAKString(AKString(text));
    bool flag = false;
    AKValueGetasBool(value, &flag, true);
    long long integer = 0;
    AKValueGetasSInt(value, &integer, true);
    int small = 0;
    AKValueGetasSInt(value, &small, true);
    unsigned long long natural = 0;
    AKValueGetasUInt(value, &natural, true);
    unsigned char byte = 0;
    AKValueGetasUInt(value, &byte, true);
    float real32 = 0.0f;
    AKValueGetasFloat32(value, &real32, true);
    double real = 0.0;
    AKValueGetasFloat64(value, &real, true);
    AKNodeID nodeID = kAKNullNodeID;
    Require(!AKValueGetasAKNodeID(value, &nodeID) && nodeID == kAKNullNodeID);
    QVAudioPCMInfo info = 0;
    Require(AKValueGetasQVAudioPCMInfo(value, &info));
    QVAudioFormat format = kQVNullAudioFormat;
    Require(AKValueGetasQVAudioFormat(value, &format));
}

// Every writer on numbers of any bits: the text fits its buffer, and the
// reals written whole read back within the written decimals.
void CheckWriters(uint8_t const* data, size_t length)
{
    unsigned char raw[4 * sizeof(double) + 1] = {};
    std::memcpy(raw, data, length < sizeof raw ? length : sizeof raw);
    double reals[4];
    std::memcpy(reals, raw, sizeof reals);
    int precision = static_cast<signed char>(raw[4 * sizeof(double)]);
    long long integer;
    std::memcpy(&integer, raw, sizeof integer);

    for (int p : {precision, kPrecision}) {
        Written(kAKStrSetasMaxLen,
                [&](char* buffer) { return strSetasFloat32(buffer, static_cast<float>(reals[0]), p); });
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasFloat64(buffer, reals[0], p); });
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasDuration(buffer, reals[0], p); });
        for (bool compact : {false, true})
            Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasTimeHMS(buffer, reals[0], p, compact); });
        AGPoint point = {reals[0], reals[1]};
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGPoint(buffer, point, p); });
        AGSize size = {reals[0], reals[1]};
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGSize(buffer, size, p); });
        AGInterval interval = {reals[0], reals[1]};
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGInterval(buffer, interval, p); });
        AGRect rect = {reals[0], reals[1], reals[2], reals[3]};
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGRect(buffer, rect, p); });
    }
    Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasMemory(buffer, integer); });
    Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasChannCount(buffer, static_cast<int>(integer)); });
    for (unsigned int flags = 0; flags < 8; ++flags) {
        Written(kAKStrSetasDateMaxLen,
                [&](char* buffer) { return strSetasSysDate(buffer, integer, flags & 1, flags & 2, flags & 4); });
    }

    // Round trips of the reals written whole.
    std::string text =
        Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasFloat64(buffer, reals[0], kPrecision); });
    double again = 0.0;
    // Only finite reals come back: the readers refuse NaN and infinities.
    if (Whole(text) && std::isfinite(reals[0]))
        Require(strGetasFloat64(text.c_str(), &again, 0.0) && NearReal(reals[0], again));
    if (std::fabs(reals[0]) < 1e9) {
        for (bool compact : {false, true}) {
            text = Written(kAKStrSetasMaxLen,
                           [&](char* buffer) { return strSetasTimeHMS(buffer, reals[0], kPrecision, compact); });
            Require(strGetasTimeHMS(text.c_str(), &again, 0.0) && NearReal(reals[0], again));
        }
    }
    AGRect rect = {reals[0], reals[1], reals[2], reals[3]};
    text = Written(kAKStrSetasMaxLen, [&](char* buffer) { return strSetasAGRect(buffer, rect, kPrecision); });
    AGRect rectAgain;
    bool const finite =
        std::isfinite(rect.x1) && std::isfinite(rect.y1) && std::isfinite(rect.x2) && std::isfinite(rect.y2);
    if (Whole(text) && finite) {
        Require(strGetasAGRect(text.c_str(), &rectAgain, AGRect{}));
        Require(NearReal(rect.x1, rectAgain.x1) && NearReal(rect.y1, rectAgain.y1) && NearReal(rect.x2, rectAgain.x2) &&
                NearReal(rect.y2, rectAgain.y2));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size == 0)
        return 0;
    std::string text(reinterpret_cast<char const*>(data + 1), size - 1);
    char const* c = text.c_str();
    switch (data[0] % 12) {
    case 0:
        CheckInteger<int>(c, -7, strGetasSInt, strSetasSInt);
        CheckInteger<int32_t>(c, -7, strGetasSInt32, strSetasSInt32);
        CheckInteger<bool>(c, true, strGetasBool, strSetasBool);
        break;
    case 1:
        CheckInteger<long long>(
            c, -7, [](char const* t, long long* v, long long f) { return strGetasSInt64(t, v, f); }, strSetasSInt64);
        break;
    case 2:
        CheckInteger<unsigned int>(c, 7, strGetasUInt, strSetasUInt);
        CheckInteger<uint32_t>(c, 7, strGetasUInt32, strSetasUInt32);
        break;
    case 3:
        CheckInteger<unsigned long long>(
            c, 7, [](char const* t, unsigned long long* v, unsigned long long f) { return strGetasUInt64(t, v, f); },
            strSetasUInt64);
        break;
    case 4:
        CheckReals(c);
        break;
    case 5:
        CheckGeometry(c);
        break;
    case 6:
        CheckColours(c);
        break;
    case 7:
        CheckSuffixNumber(text);
        break;
    case 8:
        CheckCodes(text);
        break;
    case 9:
        CheckValueConversions(text);
        break;
    default:
        CheckWriters(data + 1, size - 1);
        break;
    }
    return 0;
}
