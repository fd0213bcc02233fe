#pragma once

// QVEnvelopeLowHelpers: turns the zones of a track into drawable points for
// one channel over a span of track time. Two lists come out, emptied first
// and then filled zone by zone:
//   waveform points, pairs (x, y), when the zoom shows few samples per unit
//   of width (one point per sample, or min/max pairs of small groups);
//   envelope triplets (x, min, max), read from each sound's min/max
//   envelope when it shows many.
// x is track time in seconds; the caller maps it to its own units. A zone
// drawn one way gives a flat line (zeros over its stretch) in the other
// list, and a missing sound gives flat lines in both.
//
// Flags: 0x01 wraps a channel beyond the sound's channels modulo their
// count; 0x04 (without 0x01) shows channel 0 of a mono sound as channel 1;
// 0x10 shows the channel together with the next one where the sound has it
// (waveform averaged, envelope as the next one's minima under this one's
// maxima).
//
// The preferences "Envelope.AlwaysAsWaveform" and
// "Envelope.MoreResolutionCoeff" are read at the first computation and kept.
// Main thread: the samples and envelope of a sound still loading read as
// silence where they are not there yet.

#include "AKTimeIntv.h"
#include "ATNumberArray.h"

class QVDisplayZoneList;

constexpr unsigned int kQVEnvelopeFlagWrapChannels = 0x01;
constexpr unsigned int kQVEnvelopeFlagMonoAsStereo = 0x04;
constexpr unsigned int kQVEnvelopeFlagChannelPair = 0x10;

// Samples per unit of width (after the resolution coefficient) from which a
// zone is drawn from its envelope.
constexpr double kQVEnvelopeWaveformThreshold = 256.0;

class QVEnvelopeLowHelpers
{
public:
    template <class T>
    using Points = ATNumberArray<T, T, 0>;

    // The zones met by the span, found with clamping to the first and last
    // zone. False, both lists empty, for a span or width not above 0 or when
    // no zone is found.
    template <class T>
    static bool ComputeOneChannelEnvelope(Points<T>* waveform, Points<T>* envelope, QVDisplayZoneList const& zones,
                                          unsigned int channel, unsigned int flags, AKTimeIntv span, double width);
    // The zones firstZone..lastZone. False, both lists empty, for a span or
    // width not above 0, or a zone range that is reversed or beyond the list.
    template <class T>
    static bool ComputeOneChannelEnvelope(Points<T>* waveform, Points<T>* envelope, QVDisplayZoneList const& zones,
                                          unsigned int channel, unsigned int flags, AKTimeIntv span, double width,
                                          unsigned int firstZone, unsigned int lastZone);

    // Reads the two preferences again (they are otherwise read once).
    static void ReloadPrefs();
};
