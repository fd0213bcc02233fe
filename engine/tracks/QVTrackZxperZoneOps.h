#pragma once

// Checks and figures the experimental transforms share.

#include "AKTimeIntv.h"

#include <cstdint>

class QVTrackZoneArray;

// The duration that `count` copies of a part of `duration` seconds add when
// the n-th copy lasts |coeff|^n times the part.
double QVZxperDurationAfterScaledCopies(double duration, uint32_t count, double coeff);

// True when the part can be transformed: not empty, zones present, and
// inside the track interval unless allowExtend.
bool QVZxperCheckPart(QVTrackZoneArray const& zones, AKTimeIntv part, bool allowExtend);
