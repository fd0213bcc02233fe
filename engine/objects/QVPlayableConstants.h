#pragma once

// Limits and kinds shared by the playables (sequence, single player,
// multi-player) and the audio path that plays them.

#include <cmath>

// --- Engine limits ---

constexpr double kQVEngineVolumeMin = -48.0;  // dB; at and below: silence
constexpr double kQVEngineVolumeMax = 12.0;   // dB
constexpr double kQVEngineGainMax = 4.0;
constexpr double kQVEngineSpeedEpsilon = 0.001;    // slower counts as stopped
constexpr double kQVEngineSpanDurMin = 0.0001;     // s
constexpr double kQVEngineScratchStopDur = 0.001;  // s: a scrub this close to its target snaps to it
constexpr double kQVEngineScratchSpeedMax = 32.0;  // faster scrubs jump silently

// The smoothing ramps of the real-time side are expressed per reference block
// of 256 frames at 44100 Hz, whatever the real block: a factor g per
// reference block is g^(kQVEngineRTTimeBase * dt) for a block of dt seconds.
constexpr double kQVEngineRTTimeBase = 44100.0 / 256.0;  // 172.265625

// --- Ranges of the playable parameters that do not depend on preferences ---

constexpr double kQVPlayablePanoraMin = -1.0;
constexpr double kQVPlayablePanoraMax = 1.0;
constexpr double kQVPlayableFadioMax = 1.0;
constexpr double kQVPlayableSpeedWowMax = 1.0;
constexpr double kQVPlayablePhaseMax = 1.0;
constexpr double kQVPlayablePhaseDefault = 0.5;
// A sequence span this close to 0 means no span.
constexpr double kQVPlayableSpanZeroTolerance = 1e-6;

// --- Kinds ---

// Kind bits of a playable. A single player is rewritten by its links to
// 0x3 (standalone or directly in a sequence) or 0x5 (sub of a multi-player).
typedef unsigned int QVPlayableKind;
constexpr QVPlayableKind kQVPlayableKindAtomic = 0x1;
constexpr QVPlayableKind kQVPlayableKindAtomicStandalone = 0x3;
constexpr QVPlayableKind kQVPlayableKindAtomicSub = 0x5;
constexpr QVPlayableKind kQVPlayableKindCursor = 0x3010;
constexpr QVPlayableKind kQVPlayableKindSequence = 0x5100;
constexpr QVPlayableKind kQVPlayableKindSpanBit = 0x1000;

inline bool QVPlayableKindHasSpan(QVPlayableKind kind) { return (kind & kQVPlayableKindSpanBit) != 0; }
inline bool QVPlayableKindIsSequence(QVPlayableKind kind) { return (kind & 0x5000) == 0x5000; }
inline bool QVPlayableKindIsCursor(QVPlayableKind kind) { return (kind & 0x3010) == 0x3010; }
inline bool QVPlayableKindIsSub(QVPlayableKind kind) { return (kind & 5) == 5; }
inline bool QVPlayableKindIsStandalone(QVPlayableKind kind) { return (kind & 3) == 3; }

// --- Level conversions: volume (dB) and gain (linear) are two views of one level ---

// 10^(v/20) above -48 dB, else 0.
inline double QVPlayableGainFromVolume(double volume)
{
    return volume > kQVEngineVolumeMin ? std::pow(10.0, 0.05 * volume) : 0.0;
}
// 20 log10(g) above the gain of -48 dB, else -48; not limited above (gain 4
// gives about 12.04 dB).
inline double QVPlayableVolumeFromGain(double gain)
{
    static double const sSilentGain = std::pow(10.0, 0.05 * kQVEngineVolumeMin);
    return gain > sSilentGain ? 20.0 * std::log10(gain) : kQVEngineVolumeMin;
}
