#include "QVTrackZxperZoneOps.h"

#include "QVTrackZoneArray.h"

#include <cmath>

AKTimeIntv QVZxperGetTrackIntv(QVTrackZoneArray const& zones)
{
    if (zones.IsEmpty())
        return kAKNullTimeIntv;
    return {zones[0].GetLocalTimeIntv().beg, zones[zones.Count() - 1].GetLocalTimeIntv().end};
}

double QVZxperDurationAfterScaledCopies(double duration, uint32_t count, double coeff)
{
    double const factor = std::fabs(coeff);
    if (count == 0 || factor <= 1e-6)
        return 0.0;
    if (std::fabs(1.0 - factor) <= 1e-6)
        return count * duration;
    if (count == 1)
        return factor * duration;
    // factor + factor^2 + ... + factor^count
    return ((std::pow(factor, count + 1.0) - 1.0) / (factor - 1.0) - 1.0) * duration;
}
