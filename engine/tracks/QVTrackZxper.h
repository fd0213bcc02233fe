#pragma once

// The experimental transforms of a track part [b, e], applied to a track's
// editing copy of its zones:
//   Scale         time-stretches the part by the signed coefficient k;
//   Repeat        inserts at e repeatCount copies of the part, the n-th
//                 lasting |k|^n times the part (every other one backwards
//                 when reversed);
//   Mingle        cuts the part into random pieces, rescales or reverses
//                 them as asked and swaps near pieces;
//   Stretch-Test  rebuilds each sound zone of the part from windows of
//                 windowDur seconds taken every windowStep seconds, laid end
//                 to end.
//
// Each answers true when the zones changed and `result` (which may be null)
// receives the part's new range on the track; the caller then completes the
// edit with the full pass (QVTrackZoneArray::UpdateZonesLocalTime) and
// publishes. A refusal is an ordinary outcome, not an error: it answers
// false, the zones are as they were, `result` is kAKNullTimeIntv and nothing
// is logged. A transform is refused when
//   - b >= e, or the part leaves the track interval and allowExtend is off;
//   - the track has no zones;
//   - it would change nothing (Scale: k within 1e-6 of 0 or 1; Repeat: k
//     within 1e-6 of 0 or no copy);
//   - it would cut too many pieces (Mingle: more than 10000 estimated;
//     Stretch-Test: more than 20000 windows);
//   - the zone edit was refused.
// allowExtend is the track's "Sequence.TreatExtraIntv": the part may then
// reach beyond the track, which is padded with silence.
//
// The zones must have their local times laid out (as after every full pass).

#include "AKTimeIntv.h"
#include "QVTrackZxperParamMingle.h"
#include "QVTrackZxperParamScale.h"
#include "QVTrackZxperParamStretch.h"

class QVTrackZoneArray;
class QVTrackZxperRandom;

// Most pieces Mingle cuts a part into, most windows Stretch-Test builds.
constexpr uint32_t kQVZxperMinglePiecesMax = 10000;
constexpr uint32_t kQVZxperStretchWindowsMax = 20000;

bool QVTrackZxperScale(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperScale const& param, bool allowExtend,
                       AKTimeIntv* result);
bool QVTrackZxperRepeat(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperRepeat const& param,
                        bool allowExtend, AKTimeIntv* result);
bool QVTrackZxperMingle(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperMingle const& param,
                        bool allowExtend, QVTrackZxperRandom& random, AKTimeIntv* result);
bool QVTrackZxperStretch(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperStretch const& param,
                         bool allowExtend, AKTimeIntv* result);

// The same, the parameters read from the command's options dictionary
// ("ZxperScale" for Scale and Repeat, "ZxperMingle", "ZxperStretch"; missing
// values take their defaults). Mingle draws from the shared generator.
bool QVTrackZxperScale(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                       AKTimeIntv* result);
bool QVTrackZxperRepeat(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                        AKTimeIntv* result);
bool QVTrackZxperMingle(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                        AKTimeIntv* result);
bool QVTrackZxperStretch(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                         AKTimeIntv* result);
