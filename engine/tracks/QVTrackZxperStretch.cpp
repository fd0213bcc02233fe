// The Stretch-Test transform: each sound zone of the part rebuilt from short
// windows taken every windowStep seconds and laid end to end, so the part
// lasts about windowDur / windowStep times longer; neighbouring windows
// cross over the zone fade.

#include "QVTrackZoneArray.h"
#include "QVTrackZxper.h"
#include "QVTrackZxperZoneOps.h"

#include <cmath>

bool QVTrackZxperStretch(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperStretch const& param,
                         bool allowExtend, AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    if (!QVZxperCheckPart(*zones, part, allowExtend))
        return false;
    // A margin of 20 windows over the estimate for the zones' own rounding.
    double const estimate = std::floor((part.end - part.beg) / param.windowStep + 0.5) + 20.0;
    if (!(estimate <= kQVZxperStretchWindowsMax))
        return false;

    // Cut on a copy, so that a refusal leaves the zones as they were.
    QVTrackZoneArray separated(*zones);
    unsigned int first = kQVTrackZoneNoIndex;
    unsigned int last = kQVTrackZoneNoIndex;
    if (separated.SeparateZones(part, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return false;

    QVTrackZoneArray windows;
    windows.Reserve(static_cast<unsigned int>(estimate));
    for (unsigned int i = first; i <= last; ++i) {
        QVTrackZone const& zone = separated[i];
        AKTimeIntv const local = zone.GetLocalTimeIntv();
        double const count = std::floor((local.end - local.beg - param.windowDur) / param.windowStep + 0.5);
        if (zone.IsSilence() || !(count > 0.0)) {
            windows.Push(zone);
            continue;
        }
        // The last window ends half a step or more before the zone's end.
        for (unsigned int j = 0; j < static_cast<unsigned int>(count); ++j) {
            double const t = local.beg + j * param.windowStep;
            windows.Push(zone.GetShrunkRest({t, t + param.windowDur}));
        }
    }
    double const duration = windows.QuickUpdateZonesLocalTime(0);

    if (zones->ReplaceZones(part, windows, allowExtend) != kQVTrackZoneEditChanged)
        return false;
    if (result)
        *result = {part.beg, part.beg + duration};
    return true;
}
