// The Scale and Repeat transforms.

#include "QVTrackZoneArray.h"
#include "QVTrackZxper.h"
#include "QVTrackZxperZoneOps.h"

#include <cmath>

bool QVTrackZxperScale(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperScale const& param, bool allowExtend,
                       AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    double const k = param.GetSignedCoeff();
    if (!param.CanApply())
        return false;
    if (!QVZxperCheckPart(*zones, part, allowExtend))
        return false;
    if (zones->ScaleZones(part, k, allowExtend) != kQVTrackZoneEditChanged)
        return false;
    if (result)
        *result = {part.beg, part.beg + (part.end - part.beg) * std::fabs(k)};
    return true;
}

bool QVTrackZxperRepeat(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperRepeat const& param,
                        bool allowExtend, AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    double const k = param.GetSignedCoeff();
    if (!param.CanApply())
        return false;
    if (!QVZxperCheckPart(*zones, part, allowExtend))
        return false;
    // The copies go right after the part; with reversed, k < 0 and each
    // further scaling by k turns the direction again, so every other copy
    // plays backwards.
    QVTrackZoneArray copy;
    if (zones->ExtractZones(part, &copy, allowExtend) == kQVTrackZoneEditRefused ||
        zones->InsertZonesScaled(part.end, copy, param.repeatCount, k, true, allowExtend) != kQVTrackZoneEditChanged)
        return false;
    if (result)
        *result = {part.end, part.end + param.ResultDur(part.end - part.beg)};
    return true;
}
