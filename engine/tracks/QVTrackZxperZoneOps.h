#pragma once

// Zone-list figures the experimental transforms share.

#include "AKTimeIntv.h"

#include <cstdint>

class QVTrackZoneArray;

// [local begin of the first zone, local end of the last], {0, 0} when empty.
AKTimeIntv QVZxperGetTrackIntv(QVTrackZoneArray const& zones);

// The duration that `count` copies of a part of `duration` seconds add when
// the n-th copy lasts |coeff|^n times the part.
double QVZxperDurationAfterScaledCopies(double duration, uint32_t count, double coeff);
