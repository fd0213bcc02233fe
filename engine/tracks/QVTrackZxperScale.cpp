// The Scale and Repeat transforms.

#include "AKLog.h"
#include "QVTrackZoneArray.h"
#include "QVTrackZxper.h"
#include "QVTrackZxperZoneOps.h"

#include <cmath>

int QVTrackZxperScale(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperScale const& param, bool allowExtend,
                      AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    double const k = param.GetSignedCoeff();
    if (!param.CanApply())
        return AKLogError(kQVErrorTrackZxperNoEffect, "Scale: the coefficient %g leaves the part as it is", k);
    if (int const status = QVZxperCheckPart(*zones, part, allowExtend, "Scale"))
        return status;
    if (zones->ScaleZones(part, k, allowExtend) != kQVTrackZoneEditChanged)
        return AKLogError(kQVErrorTrackZxperZonesRefused, "Scale: the zones refused the coefficient %g", k);
    if (result)
        *result = {part.beg, part.beg + (part.end - part.beg) * std::fabs(k)};
    return 0;
}

int QVTrackZxperRepeat(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperRepeat const& param, bool allowExtend,
                       AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    double const k = param.GetSignedCoeff();
    if (!param.CanApply())
        return AKLogError(kQVErrorTrackZxperNoEffect, "Repeat: nothing to repeat with %u copies of coefficient %g",
                          param.repeatCount, k);
    if (int const status = QVZxperCheckPart(*zones, part, allowExtend, "Repeat"))
        return status;
    // The copies go right after the part; with reversed, k < 0 and each
    // further scaling by k turns the direction again, so every other copy
    // plays backwards.
    QVTrackZoneArray copy;
    if (zones->ExtractZones(part, &copy, allowExtend) == kQVTrackZoneEditRefused ||
        zones->InsertZonesScaled(part.end, copy, param.repeatCount, k, true, allowExtend) != kQVTrackZoneEditChanged)
        return AKLogError(kQVErrorTrackZxperZonesRefused, "Repeat: the zones refused %u copies of [%.6f, %.6f]",
                          param.repeatCount, part.beg, part.end);
    if (result)
        *result = {part.end, part.end + param.ResultDur(part.end - part.beg)};
    return 0;
}
