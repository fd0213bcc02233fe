#pragma once

// QVSampleMinimax: the smallest and largest sample of a run of samples, as
// two signed 16-bit values in one 32-bit word, the minimum in the low half
// (first in memory on a little-endian machine). Each half is a sample value
// clamped to [-1, 1], scaled by 32767 and truncated toward zero, so -1 and
// below are stored as -32767, never -32768. The min/max envelopes of sounds
// are pyramids of these pairs.

struct QVSampleMinimax {
    short min;
    short max;
};

static_assert(sizeof(QVSampleMinimax) == 4, "QVSampleMinimax is one 32-bit word");

inline constexpr bool operator==(QVSampleMinimax a, QVSampleMinimax b) { return a.min == b.min && a.max == b.max; }
inline constexpr bool operator!=(QVSampleMinimax a, QVSampleMinimax b) { return !(a == b); }

// Minimum 0, maximum 0 (the word 0).
constexpr QVSampleMinimax kQVNullSampleMinimax = {0, 0};

// The 32-bit word form: minimum in the low half, maximum in the high half.
inline constexpr unsigned int QVSampleMinimaxToUInt32(QVSampleMinimax m)
{
    return static_cast<unsigned int>(static_cast<unsigned short>(m.min)) |
           (static_cast<unsigned int>(static_cast<unsigned short>(m.max)) << 16);
}
inline constexpr QVSampleMinimax QVSampleMinimaxFromUInt32(unsigned int word)
{
    return {static_cast<short>(static_cast<unsigned short>(word & 0xFFFFu)),
            static_cast<short>(static_cast<unsigned short>(word >> 16))};
}

// One sample value in the 16-bit scale: clamped to [-1, 1], × 32767,
// truncated toward zero; a NaN counts as 0.
short QVSampleMinimaxScale(double sample);

// The minimum and maximum of the samples, packed (float samples are widened
// to double first). A null pointer or a count of 0 gives kQVNullSampleMinimax.
QVSampleMinimax QVSampleMinimaxMakeWithSamples(float const* samples, unsigned int count);
QVSampleMinimax QVSampleMinimaxMakeWithSamples(double const* samples, unsigned int count);
// The smallest minimum and the largest maximum of the pairs. A null pointer
// or a count of 0 gives kQVNullSampleMinimax.
QVSampleMinimax QVSampleMinimaxMakeWithMinimaxs(QVSampleMinimax const* minimaxs, unsigned int count);
