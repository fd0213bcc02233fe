#include "QVTrackZxperZoneOps.h"

#include "QVTrackZoneArray.h"

double QVZxperDurationAfterScaledCopies(double duration, uint32_t count, double coeff)
{
    return QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(duration, count, coeff, true);
}

bool QVZxperCheckPart(QVTrackZoneArray const& zones, AKTimeIntv part, bool allowExtend)
{
    if (!(part.beg < part.end) || zones.IsEmpty())
        return false;
    AKTimeIntv const track = zones.GetTimeIntv();
    return allowExtend || !(part.beg < track.beg || part.end > track.end);
}
