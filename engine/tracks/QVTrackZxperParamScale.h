#pragma once

// Parameters of the Scale and Repeat transforms of a track part: a time
// coefficient, its direction and a repeat count, as the transform dialogs
// edit them and the command options carry them under "ZxperScale".
//
// The signed coefficient k is absCoeff when expanded, 1 / absCoeff
// otherwise, negated when reversed: |k| > 1 lengthens the part, a negative
// k plays it backwards.

#include "AKDictionary.h"

#include <cstdint>

// Limits of the fields, kept by Check.
constexpr double kQVZxperAbsCoeffMax = 10.0;
constexpr double kQVZxperAbsCoeffMinExpanded = 0.1;
constexpr double kQVZxperAbsCoeffMinShrunk = 1.0;
constexpr uint32_t kQVZxperRepeatCountMin = 1;
constexpr uint32_t kQVZxperRepeatCountMax = 10000;

struct QVTrackParamZxperScaleBase {
    double absCoeff = 1.0;
    bool expanded = true;   // durations are multiplied by absCoeff, else divided by it
    bool reversed = false;  // the part plays backwards (Repeat: every other copy)
    uint32_t repeatCount = 1;

    // The defaults above.
    void SetupDefault();
    // The defaults, then the keys present in the non-empty dictionary under
    // "ZxperScale" (no conversions: a key of the wrong kind is ignored),
    // then Check.
    void SetupFromDictionary(AKDictionary const& options);
    // Every field under "ZxperScale", replacing what was there.
    void WriteToDictionary(AKDictionary* options) const;
    // absCoeff becomes its absolute value within [0.1, 10] when expanded,
    // [1, 10] otherwise (a NaN becomes 1); repeatCount is kept in [1, 10000].
    void Check();

    // Transposes by a number of semitones: up shortens the part, down
    // lengthens it, by 2^(|semitones| / 12), then Check.
    void WantTranspose(double semitones);

    // The signed coefficient k.
    double GetSignedCoeff() const;
};

struct QVTrackParamZxperScale : QVTrackParamZxperScaleBase {
    // The localised name of the transform, "Scale".
    static char const* Name();
    // False when k leaves the part as it is or cannot be applied (within
    // 1e-6 of 1 or of 0).
    bool CanApply() const;
    // The coefficient that turns a part of `current` seconds into one of
    // `wanted` seconds, then Check.
    void WantResultDur(double wanted, double current);
};

struct QVTrackParamZxperRepeat : QVTrackParamZxperScaleBase {
    // The localised name of the transform, "Repeat".
    static char const* Name();
    // True when k is not within 1e-6 of 0 and there is a copy to make.
    bool CanApply() const;
    // The duration the copies of a part of `duration` seconds add: the n-th
    // copy lasts |k|^n times the part.
    double ResultDur(double duration) const;
};
