// Which classes take each parameter, and how a value is checked for its row.

#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParamsAccess.h"

#include <cmath>

namespace {

constexpr QVParamTargets A = kQVParamTargetAtomic;
constexpr QVParamTargets S = kQVParamTargetAtomicSub;
constexpr QVParamTargets C = kQVParamTargetCursor;
constexpr QVParamTargets Q = kQVParamTargetSequence;
constexpr QVParamTargets T = kQVParamTargetTrack;
constexpr QVParamTargets kPlayers = A | S | C;
constexpr QVParamTargets kPlayables = A | S | C | Q;

struct Targets {
    QVParamTargets set;
    QVParamTargets get;
};

// By ID. The read-only rows (PlayRT, SpeedRT, FullIntv, Duration and the
// track's) are set by no class.
constexpr Targets kTargets[kQVPrmCount] = {
    {0, 0},                            // None
    {kPlayables, 0},                   // Start
    {kPlayables, 0},                   // Stop
    {kPlayables, kPlayables},          // Play
    {0, kPlayables},                   // PlayRT
    {kPlayers, kPlayers},              // Scrub
    {kPlayers, kPlayers},              // Loop
    {A | S, A | S},                    // Stated
    {kPlayers, kPlayers},              // Rewind
    {kPlayers, kPlayers},              // Forward
    {kPlayables, 0},                   // ToBegin
    {kPlayables, 0},                   // ToEnd
    {C | Q, 0},                        // PeekPhases
    {C | Q, 0},                        // PokePhases
    {S, S},                            // Phase
    {S | C, S | C},                    // RelaTime
    {kPlayables, kPlayables},          // Time
    {C | Q, C | Q},                    // Span
    {C | Q, C | Q},                    // SpanIntv
    {kPlayers, kPlayers},              // Speed
    {0, kPlayers},                     // SpeedRT
    {kPlayers, kPlayers},              // SpeedWow
    {C, C},                            // SpeedSubx
    {kPlayers, 0},                     // SpeedSens
    {kPlayers, 0},                     // SpeedLess
    {kPlayers, 0},                     // SpeedMore
    {kPlayables, kPlayables},          // Mute
    {kPlayables, kPlayables},          // Solo
    {kPlayables | T, kPlayables | T},  // Volume
    {kPlayables | T, kPlayables | T},  // Gain
    {kPlayables, kPlayables},          // Panora
    {S | C, S | C},                    // Fadio
    {0, Q},                            // FullIntv
    {0, Q},                            // Duration
    {Q, 0},                            // PresetClear
    {Q, 0},                            // PresetSave
    {Q, 0},                            // PresetCall
    {Q, Q},                            // PresetDur
    {kPlayables, kPlayables},          // PluginBypass
    {kPlayables, kPlayables},          // PluginParam
    {T, T},                            // TrackVolume
    {T, T},                            // TrackGain
    {T, T},                            // TrackRouteMixIn
    {T, T},                            // TrackRouteFillOut
    {T, T},                            // TrackRouteOffset
    {0, T},                            // TrackFullIntv
    {0, T},                            // TrackDuration
};

bool IsOneOf(double x, double last)
{
    for (double accepted = 0.0; accepted <= last; accepted += 1.0) {
        if (x == accepted)
            return true;
    }
    return false;
}

// Truncated towards 0 and kept within [0, max], without the undefined
// conversion of a value beyond the unsigned range.
unsigned int TruncateWithin(double x, double max)
{
    double const t = std::trunc(x);
    if (!(t > 0.0))
        return 0;
    return t >= max ? static_cast<unsigned int>(max) : static_cast<unsigned int>(t);
}

}  // namespace

QVParamTargets QVParamTargetOf(AKObject const* object)
{
    if (object == nullptr)
        return kQVParamTargetNone;
    if (object->IsKindOfT<QVObjectSequence>())
        return kQVParamTargetSequence;
    if (object->IsKindOfT<QVObjectCursor>())
        return kQVParamTargetCursor;
    if (object->IsKindOfT<QVObjectAtomic>()) {
        bool const sub = QVPlayableKindIsSub(static_cast<QVObjectAtomic const*>(object)->GetKind());
        return sub ? kQVParamTargetAtomicSub : kQVParamTargetAtomic;
    }
    if (object->IsKindOfT<QVObjectTrack>())
        return kQVParamTargetTrack;
    return kQVParamTargetNone;
}

QVParamTargets QVParamSetTargets(unsigned int id) { return id < kQVPrmCount ? kTargets[id].set : 0; }

QVParamTargets QVParamGetTargets(unsigned int id) { return id < kQVPrmCount ? kTargets[id].get : 0; }

bool QVParamCheckValue(QVParamInfo const& info, double x, bool strict, QVParamValue* value)
{
    value->flag = 0;
    value->real = x;
    switch (info.GetType()) {
    case kQVPrmTypeTrigger:
        return !strict || x == 0.0;
    case kQVPrmTypeBoolean:
        if (std::isnan(x))
            return false;
        if (info.GetGroup() == kQVPrmGroupTrack) {
            if (strict && !IsOneOf(x, 2.0))
                return false;
            value->flag = std::trunc(x) != 0.0 ? 1 : 0;
        } else if (info.HasFlag(kQVPrmFlagToggle)) {
            if (strict && !IsOneOf(x, 2.0))
                return false;
            value->flag = TruncateWithin(x, 2.0);
        } else {
            if (strict && !IsOneOf(x, 1.0))
                return false;
            value->flag = x != 0.0 ? 1 : 0;
        }
        return true;
    case kQVPrmTypeInteger:
        if (std::isnan(x) || (strict && (std::isinf(x) || std::trunc(x) != x)))
            return false;
        value->flag = TruncateWithin(x, info.GetMax());
        return true;
    default:
        return !std::isnan(x);
    }
}
