#pragma once

// Parameters of the Mingle transform, which cuts a track part into random
// pieces, rescales or reverses them and shuffles neighbouring pieces; the
// command options carry them under "ZxperMingle".

#include "AKDictionary.h"

#include <cstdint>

class QVTrackZxperRandom;

// How piece durations spread between the shortest and the longest.
enum QVZxperMingleDistrib : uint32_t {
    kQVZxperMingleMoreLittlest = 0,
    kQVZxperMingleMoreLittles = 1,
    kQVZxperMingleUniform = 2,
    kQVZxperMingleMoreBiggers = 3,
    kQVZxperMingleMoreBiggest = 4,
};

// What becomes of each piece's scale.
enum QVZxperMingleScaleMode : uint32_t {
    kQVZxperMingleFixed = 0,        // pieces keep their scale
    kQVZxperMingleScaled = 1,       // each piece gets a random coefficient
    kQVZxperMingleReversed = 2,     // random coefficient, 30 % of the pieces reversed
    kQVZxperMingleAllReversed = 3,  // random coefficient, every piece reversed
};

// Limits of the fields, kept by Check.
constexpr uint32_t kQVZxperMingleDistribMax = 4;
constexpr uint32_t kQVZxperMingleScaleModeMax = 3;
constexpr uint32_t kQVZxperMingleJumpMax = 99;
constexpr double kQVZxperMingleCutDurMin = 0.001;
constexpr double kQVZxperMingleCutDurMax = 100.0;
constexpr double kQVZxperMingleScaleCoeffMin = 0.1;
constexpr double kQVZxperMingleScaleCoeffMax = 10.0;

struct QVTrackParamZxperMingle {
    uint32_t distrib = kQVZxperMingleUniform;
    uint32_t scaleMode = kQVZxperMingleFixed;
    uint32_t jumpMax = 3;  // how far a piece may be swapped; 0: no shuffle
    double cutDurMin = 0.05;
    double cutDurMax = 0.2;
    double scaleCoeffMin = 0.8;
    double scaleCoeffMax = 1.25;

    // The localised name of the transform, "Mingle".
    static char const* Name();
    // The localised labels of the distributions and scale modes; null
    // beyond the last.
    static char const* DistribLabel(uint32_t distrib);
    static char const* ScaleModeLabel(uint32_t scaleMode);

    void SetupDefault();
    // The defaults, then the keys present in the non-empty dictionary under
    // "ZxperMingle" (no conversions), then Check.
    void SetupFromDictionary(AKDictionary const& options);
    // Every field under "ZxperMingle", replacing what was there.
    void WriteToDictionary(AKDictionary* options) const;
    // Counts beyond their maximum become the maximum; durations become their
    // absolute value within [0.001, 100] s and coefficients within [0.1, 10]
    // (a NaN becomes the default); a minimum above its maximum swaps with it.
    void Check();

    // One piece duration, shaped by the distribution.
    double GeneratePieceRandomDuration(QVTrackZxperRandom& random) const;
    // One piece coefficient: 1 in the fixed mode, else drawn from
    // [scaleCoeffMin, scaleCoeffMax] and negated as the mode says.
    double GeneratePieceRandomScaleCoeff(QVTrackZxperRandom& random) const;
    // The mean piece duration of the distribution.
    double EvaluatePieceAverageDuration() const;
    // floor(duration / average + 0.5), 0 for no or a negative duration and
    // the largest count when the quotient does not fit.
    uint32_t EvaluatePiecesCount(double duration) const;
};
