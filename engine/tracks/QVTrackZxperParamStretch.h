#pragma once

// Parameters of the Stretch-Test transform, which rebuilds a track part
// from short overlapping windows laid end to end; the command options carry
// them under "ZxperStretch".

#include "AKDictionary.h"

// Limits of both fields, kept by Check, in seconds.
constexpr double kQVZxperStretchMin = 0.01;
constexpr double kQVZxperStretchMax = 1.0;

struct QVTrackParamZxperStretch {
    double windowDur = 0.05;   // length of one window
    double windowStep = 0.01;  // distance between the starts of two windows in the sound

    // The localised name of the transform, "Stretch-Test".
    static char const* Name();

    void SetupDefault();
    // The defaults, then the keys present in the non-empty dictionary under
    // "ZxperStretch" (no conversions), then Check.
    void SetupFromDictionary(AKDictionary const& options);
    // Both fields under "ZxperStretch", replacing what was there.
    void WriteToDictionary(AKDictionary* options) const;
    // Each field within [0.01, 1] s (a NaN becomes the default).
    void Check();
};
