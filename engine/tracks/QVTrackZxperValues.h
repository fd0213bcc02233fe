#pragma once

// Value helpers shared by the parameter records of the experimental
// transforms: reading one field of an options dictionary without
// conversions, and clamping a read value into its range.

#include "AKDictionary.h"

#include <cstdint>

// The record's dictionary under `key` in the options, or the empty
// dictionary when there is none.
AKDictionary const& QVZxperGetRecordDictionary(AKDictionary const& options, char const* key);

// Each reader leaves the field as it is when the key is missing or holds
// another kind of value.
void QVZxperReadReal(AKDictionary const& record, char const* key, double* field);
void QVZxperReadBool(AKDictionary const& record, char const* key, bool* field);
// Numbers beyond 32 bits read as the largest 32-bit number, so that the
// range check clamps them rather than seeing their low bits.
void QVZxperReadUInt32(AKDictionary const& record, char const* key, uint32_t* field);

// |value| limited to [low, high]; a NaN becomes `fallback`.
double QVZxperClampAbs(double value, double low, double high, double fallback);
