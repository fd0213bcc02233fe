#include "QVTrackZxperZoneOps.h"

#include "AKLog.h"
#include "QVTrackZoneArray.h"

double QVZxperDurationAfterScaledCopies(double duration, uint32_t count, double coeff)
{
    return QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(duration, count, coeff, true);
}

int QVZxperCheckPart(QVTrackZoneArray const& zones, AKTimeIntv part, bool allowExtend, char const* transform)
{
    if (!(part.beg < part.end))
        return AKLogError(kQVErrorTrackZxperBadPart, "%s: empty part [%.6f, %.6f]", transform, part.beg, part.end);
    if (zones.IsEmpty())
        return AKLogError(kQVErrorTrackZxperEmptyTrack, "%s: the track is empty", transform);
    AKTimeIntv const track = zones.GetTimeIntv();
    if (!allowExtend && (part.beg < track.beg || part.end > track.end))
        return AKLogError(kQVErrorTrackZxperBadPart, "%s: part [%.6f, %.6f] outside the track [%.6f, %.6f]", transform,
                          part.beg, part.end, track.beg, track.end);
    return 0;
}
