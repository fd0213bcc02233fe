#pragma once

// Windowed-sinc resampling of one channel, at any speed, forwards or
// backwards.
//
// Speed: source frames advanced per destination frame; a negative speed reads
// the source backwards. Phase: the fractional source position of the first
// destination frame, in [0, 1). Destination frame j is the source evaluated
// at position j × speed + phase (from the given source pointer) through a
// Blackman-windowed sinc read from the precomputed tables (QVSigTables.h).
// The sinc's zero crossings stay one source frame apart at every speed: the
// kernel interpolates, it does not low-pass.
//
// The kernel runs in the audio block: no allocation, lock or log. It reads
// up to 23 frames on either side of each position, so the caller keeps
// kResampleBorderFrameCount frames of valid source around the needed ones.

#include "QVSigTables.h"

namespace QVSig {

// Source frames kept on each side of the needed ones (the widest kernel
// reaches 23 frames from a position).
constexpr unsigned int kResampleBorderFrameCount = 28;

// Quality word: the low 4 bits choose the kernel: 1 and 2 lower the speed
// thresholds of the wide kernels (1 the most, the least work), 0 and 3 are
// the standard thresholds, all three with nearest-entry lookup; 4 to 15 the
// standard thresholds with linear interpolation between entries.
constexpr unsigned int kResampleQualityKernelMask = 0xF;
// Lowest quality reading interpolated table entries.
constexpr unsigned int kResampleQualityFirstInterpolated = 4;
// Bit that turns the plain-copy shortcut at speeds ±1 off. Other bits are ignored.
constexpr unsigned int kResampleQualityNoExactCopy = 0x100;

// Source frames a block of `frameCount` destination frames needs at `speed`:
// border (always 28), needed = ceil(|speed| × frameCount), total = needed +
// 2 × border. Null outputs are skipped. A NaN speed needs nothing; a need
// beyond 2^62 frames is held at 2^62 (no sample container is that long).
void CopyCastResample_ComputeSourceFrameCountNeeded(unsigned long long frameCount, double speed,
                                                    unsigned long long* border, unsigned long long* needed,
                                                    unsigned long long* total);

// The sinc table used at `speed` with `quality` (low 4 bits; other bits
// ignored): the wider the slower, by the thresholds of the quality.
TableSincard<double> const& CopyCastResample_SincTable(double speed, unsigned int quality);

// The kernel: destination[j] = sum over the 2w - 1 source frames o - w + 1
// to o + w - 1 of sinc(frame - m) × source[frame], with m = j × speed +
// phase, o = floor(m) and w the chosen table's half-width. Coefficients are
// the nearest table entries (quality below 4) or interpolated linearly
// between the two neighbouring entries. Nothing happens unless 0 <= phase <
// 1, the speed is finite, both pointers exist, frameCount is above 0 and the
// tables are built. The caller guarantees that every tap lies inside the
// source block. Instances: double and float destinations from double.
template <typename TDes, typename TSrc>
void CopyCastResample_Shannon(TDes* destination, unsigned long long frameCount, TSrc const* source, double speed,
                              double phase, unsigned int quality);

// The kernel over several channels at once: channel c reads sources[c] and
// writes destinations[c], every channel at the same positions, with the
// same results as one CopyCastResample_Shannon call per channel. The
// positions and coefficients of a frame are worked out once for all the
// channels (about 17 KB of stack for a run of frames). Nothing happens when
// one of the pointers is null, or for the reasons above. Same instances.
template <typename TDes, typename TSrc>
void CopyCastResample_ShannonChannels(TDes* const* destinations, TSrc const* const* sources, unsigned int channelCount,
                                      unsigned long long frameCount, double speed, double phase, unsigned int quality);

}  // namespace QVSig
