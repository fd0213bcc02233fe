#pragma once

// What the set and get sides of the parameter table share: the class of the
// object a request is made on, the classes each ID is taken by, and the
// checking and conversion of a value by the kind of its row.

#include "QVParamInfo.h"

class AKObject;
class QVObjectPlayable;
class QVObjectSequence;

// The classes a parameter may apply to, as bits.
typedef unsigned int QVParamTargets;
constexpr QVParamTargets kQVParamTargetNone = 0;
constexpr QVParamTargets kQVParamTargetAtomic = 0x01;     // a single player that is not a sub
constexpr QVParamTargets kQVParamTargetAtomicSub = 0x02;  // a single player under a multi-player
constexpr QVParamTargets kQVParamTargetCursor = 0x04;
constexpr QVParamTargets kQVParamTargetSequence = 0x08;
constexpr QVParamTargets kQVParamTargetTrack = 0x10;

// The one bit of the object's class; kQVParamTargetNone for null and any
// other class.
QVParamTargets QVParamTargetOf(AKObject const* object);

// The classes whose operation sets the ID, and those that answer it (the
// plug-in rows besides need a plug-in on the playable).
QVParamTargets QVParamSetTargets(unsigned int id);
QVParamTargets QVParamGetTargets(unsigned int id);

// A value checked and converted for its row.
struct QVParamValue {
    unsigned int flag;  // triggers, booleans and the integer
    double real;        // reals: the value as given
};

// Checks x for the row: false when refused (NaN except by a loose trigger;
// while strict, every value the row does not list). Otherwise fills value:
// - trigger: accepts 0; loose, anything fires it;
// - boolean with toggle: 0, 1 and 2; loose, truncated and kept within 0..2;
// - other boolean: 0 and 1; loose, 1 for any non-zero value;
// - track route boolean: 0, 1 and 2; loose too, 1 when the truncation is not 0;
// - integer: integral values; loose, truncated; kept within the row's range;
// - real and interval: passed on.
bool QVParamCheckValue(QVParamInfo const& info, double x, bool strict, QVParamValue* value);

// The transport rows (ToBegin, ToEnd, PeekPhases, PokePhases, RelaTime,
// SpeedLess, SpeedMore): true when the ID is one of them, once the
// playable's operation ran. Reading: RelaTime only.
bool QVParamSetTransport(QVObjectPlayable* playable, unsigned int id, double x);
bool QVParamGetTransport(QVObjectPlayable const* playable, unsigned int id, double* x);
// The preset rows of a sequence; reading: PresetDur only.
bool QVParamSetPreset(QVObjectSequence* sequence, unsigned int id, unsigned int index, double x);
bool QVParamGetPreset(QVObjectSequence const* sequence, unsigned int id, double* x);
