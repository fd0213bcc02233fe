// Typed access to values: geometry, time intervals and placements, each held
// as a dictionary.

#include "AKValueTyped.h"

#include <cstddef>

namespace {

// --- Dictionaries of reals, one per field in field order ---

template <size_t N>
AKValue* SetReals(AKValue* value, char const* const (&keys)[N], double const (&fields)[N])
{
    if (value == nullptr)
        return value;
    AKDictionary dictionary;
    for (size_t i = 0; i < N; ++i)
        dictionary.SetValue(AKString(keys[i]), AKValueSetasFloat64(fields[i]));
    value->SetasAKDictionary(dictionary);
    return value;
}

// Every key must be present and read as a real; other keys are ignored.
// Nothing is written unless all of them read.
template <size_t N>
bool GetReals(AKValue const& value, char const* const (&keys)[N], double (&fields)[N], bool convert)
{
    AKDictionary const* dictionary = value.GetasAKDictionary();
    if (dictionary == nullptr || dictionary->IsEmpty())
        return false;
    double read[N] = {};
    for (size_t i = 0; i < N; ++i) {
        if (!dictionary->GetValue(AKString(keys[i])).GetasFloat(&read[i], convert))
            return false;
    }
    for (size_t i = 0; i < N; ++i)
        fields[i] = read[i];
    return true;
}

char const* const kPointKeys[] = {"x", "y"};
char const* const kSizeKeys[] = {"width", "height"};
char const* const kRectKeys[] = {"x1", "y1", "x2", "y2"};
char const* const kIntervalKeys[] = {"beg", "end"};

// --- Placement words ---

char const kPlacementKeyH[] = "h";
char const kPlacementKeyV[] = "v";

char const* HorizontalWord(AGPlacement placement)
{
    if ((placement & kAGPlacementHStretch) != 0)
        return "Stretch";
    if ((placement & kAGPlacementRight) != 0)
        return "Right";
    if ((placement & kAGPlacementHCenter) != 0)
        return "Center";
    return "Left";
}

char const* VerticalWord(AGPlacement placement)
{
    if ((placement & kAGPlacementVStretch) != 0)
        return "Stretch";
    if ((placement & kAGPlacementTop) != 0)
        return "Top";
    if ((placement & kAGPlacementVCenter) != 0)
        return "Center";
    return "Bottom";
}

// A stretch word reads as stretch with centre (5, 0x50): stretch wins over
// centre when placing, so the pair places like stretch alone.
AGPlacement HorizontalBits(AKString const& word)
{
    if (word == "Stretch")
        return kAGPlacementHStretch | kAGPlacementHCenter;
    if (word == "Right")
        return kAGPlacementRight;
    if (word == "Center")
        return kAGPlacementHCenter;
    return kAGPlacementLeft;
}

AGPlacement VerticalBits(AKString const& word)
{
    if (word == "Stretch")
        return kAGPlacementVStretch | kAGPlacementVCenter;
    if (word == "Top")
        return kAGPlacementTop;
    if (word == "Center")
        return kAGPlacementVCenter;
    return kAGPlacementBottom;
}

}  // namespace

// --- AGPoint ---

AKValue* AKValueSetasAGPoint(AKValue* value, AGPoint const& point)
{
    double const fields[] = {point.x, point.y};
    return SetReals(value, kPointKeys, fields);
}

AKValue AKValueSetasAGPoint(AGPoint const& point)
{
    AKValue value;
    AKValueSetasAGPoint(&value, point);
    return value;
}

bool AKValueGetasAGPoint(AKValue const& value, AGPoint* point, bool convert)
{
    double fields[2] = {};
    if (!GetReals(value, kPointKeys, fields, convert))
        return false;
    if (point != nullptr)
        *point = AGPoint{fields[0], fields[1]};
    return true;
}

AGPoint AKValueGetasAGPoint(AKValue const& value, bool convert)
{
    AGPoint point = kAGNullPoint;
    AKValueGetasAGPoint(value, &point, convert);
    return point;
}

// --- AGSize ---

AKValue* AKValueSetasAGSize(AKValue* value, AGSize const& size)
{
    double const fields[] = {size.width, size.height};
    return SetReals(value, kSizeKeys, fields);
}

AKValue AKValueSetasAGSize(AGSize const& size)
{
    AKValue value;
    AKValueSetasAGSize(&value, size);
    return value;
}

bool AKValueGetasAGSize(AKValue const& value, AGSize* size, bool convert)
{
    double fields[2] = {};
    if (!GetReals(value, kSizeKeys, fields, convert))
        return false;
    if (size != nullptr)
        *size = AGSize{fields[0], fields[1]};
    return true;
}

AGSize AKValueGetasAGSize(AKValue const& value, bool convert)
{
    AGSize size = kAGNullSize;
    AKValueGetasAGSize(value, &size, convert);
    return size;
}

// --- AGRect ---

AKValue* AKValueSetasAGRect(AKValue* value, AGRect const& rect)
{
    double const fields[] = {rect.x1, rect.y1, rect.x2, rect.y2};
    return SetReals(value, kRectKeys, fields);
}

AKValue AKValueSetasAGRect(AGRect const& rect)
{
    AKValue value;
    AKValueSetasAGRect(&value, rect);
    return value;
}

bool AKValueGetasAGRect(AKValue const& value, AGRect* rect, bool convert)
{
    double fields[4] = {};
    if (!GetReals(value, kRectKeys, fields, convert))
        return false;
    if (rect != nullptr)
        *rect = AGRect{fields[0], fields[1], fields[2], fields[3]};
    return true;
}

AGRect AKValueGetasAGRect(AKValue const& value, bool convert)
{
    AGRect rect = kAGNullRect;
    AKValueGetasAGRect(value, &rect, convert);
    return rect;
}

// --- AGInterval ---

AKValue* AKValueSetasAGInterval(AKValue* value, AGInterval const& interval)
{
    double const fields[] = {interval.beg, interval.end};
    return SetReals(value, kIntervalKeys, fields);
}

AKValue AKValueSetasAGInterval(AGInterval const& interval)
{
    AKValue value;
    AKValueSetasAGInterval(&value, interval);
    return value;
}

bool AKValueGetasAGInterval(AKValue const& value, AGInterval* interval, bool convert)
{
    double fields[2] = {};
    if (!GetReals(value, kIntervalKeys, fields, convert))
        return false;
    if (interval != nullptr)
        *interval = AGInterval{fields[0], fields[1]};
    return true;
}

AGInterval AKValueGetasAGInterval(AKValue const& value, bool convert)
{
    AGInterval interval = kAGNullInterval;
    AKValueGetasAGInterval(value, &interval, convert);
    return interval;
}

// --- AKTimeIntv ---

AKValue* AKValueSetasAKTimeIntv(AKValue* value, AKTimeIntv const& intv)
{
    double const fields[] = {intv.beg, intv.end};
    return SetReals(value, kIntervalKeys, fields);
}

AKValue AKValueSetasAKTimeIntv(AKTimeIntv const& intv)
{
    AKValue value;
    AKValueSetasAKTimeIntv(&value, intv);
    return value;
}

bool AKValueGetasAKTimeIntv(AKValue const& value, AKTimeIntv* intv, bool convert)
{
    double fields[2] = {};
    if (!GetReals(value, kIntervalKeys, fields, convert))
        return false;
    if (intv != nullptr)
        *intv = AKTimeIntv{fields[0], fields[1]};
    return true;
}

AKTimeIntv AKValueGetasAKTimeIntv(AKValue const& value, bool convert)
{
    AKTimeIntv intv = kAKNullTimeIntv;
    AKValueGetasAKTimeIntv(value, &intv, convert);
    return intv;
}

// --- AGPlacement ---

AKValue* AKValueSetasAGPlacement(AKValue* value, AGPlacement placement)
{
    if (value == nullptr)
        return value;
    AKDictionary dictionary;
    dictionary.SetValue(AKString(kPlacementKeyH), AKValueSetasAKString(AKString(HorizontalWord(placement))));
    dictionary.SetValue(AKString(kPlacementKeyV), AKValueSetasAKString(AKString(VerticalWord(placement))));
    value->SetasAKDictionary(dictionary);
    return value;
}

AKValue AKValueSetasAGPlacement(AGPlacement placement)
{
    AKValue value;
    AKValueSetasAGPlacement(&value, placement);
    return value;
}

bool AKValueGetasAGPlacement(AKValue const& value, AGPlacement* placement, bool /*convert*/)
{
    AKDictionary const* dictionary = value.GetasAKDictionary();
    if (dictionary == nullptr || dictionary->IsEmpty())
        return false;
    AKString const* h = dictionary->GetValue(AKString(kPlacementKeyH)).GetasAKString();
    AKString const* v = dictionary->GetValue(AKString(kPlacementKeyV)).GetasAKString();
    if (h == nullptr || v == nullptr)
        return false;
    if (placement != nullptr)
        *placement = HorizontalBits(*h) | VerticalBits(*v);
    return true;
}

AGPlacement AKValueGetasAGPlacement(AKValue const& value, bool convert)
{
    AGPlacement placement = kAGPlacementLeft | kAGPlacementBottom;
    AKValueGetasAGPlacement(value, &placement, convert);
    return placement;
}
