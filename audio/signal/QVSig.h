#pragma once

// QVSig: the low-level signal kernels, working on plain arrays of samples.
//
// The kernels run in the audio block: they never allocate, lock or log, keep
// no state, and do nothing when a pointer they need is null or the count is
// 0. Counts are sample counts of one block (blocks are sized in 32 bits).
// Most are templates with one instance for float and one for double; the
// float instances compute in float wherever a sample is multiplied.
//
// Gains within 0.000001 of 0 or 1 are taken as exactly 0 or 1: zero fill,
// nothing, or a plain copy, without multiplications. A gain that is NaN or
// infinite (or a ramp whose ends are that far apart) leaves the samples as
// they are: the callers refuse such gains before they reach a kernel.
//
// The fade and crossfade kernels read the sine-branch tables: QVSig::InitTables
// must have run (they do nothing otherwise).

#include "QVAudioPCMInfo.h"
#include "QVSigTables.h"

#include <cmath>

namespace QVSig {

// Gains and values this close to 0 or 1 are treated as exactly 0 or 1.
constexpr double kNearEpsilon = 0.000001;

inline bool IsNearZero(double x) { return std::fabs(x) <= kNearEpsilon; }
inline bool IsNearOne(double x) { return std::fabs(1.0 - x) <= kNearEpsilon; }

// --- Gains ---

// samples × gain. Near 0: zero fill; near 1: nothing.
template <typename T>
void ApplyGain(T* samples, unsigned int count, double gain);

// Gain ramp from startGain: sample i is multiplied by startGain + i × step,
// step = (endGain - startGain) / count, the gain accumulated step by step (so
// the last sample gets startGain + (count - 1) × step, not endGain). A ramp
// whose ends are within 0.000001 of each other is the constant startGain;
// nothing when both ends are near 1.
template <typename T>
void ApplyGain(T* samples, unsigned int count, double startGain, double endGain);

// destination = source × gain. Near 0: zero fill (no source needed); near 1:
// a memory copy (nothing when the two pointers are the same).
template <typename T>
void CopyWithGain(T* destination, T const* source, unsigned int count, double gain);

// destination += source × gain. Near 0: nothing; near 1: a plain sum.
template <typename T>
void CopyAddWithGain(T* destination, T const* source, unsigned int count, double gain);

// --- Noise ---

// Uniform noise in [-min(A, 1), +min(A, 1)] from the C library's shared
// generator (one draw per sample); zero fill when A is not above 0.000001.
template <typename T>
void FillWithNoise(T* samples, unsigned int count, double amplitude);

// --- Fades along the sine-branch curve ---

// Multiplies the samples by the curve, walking from position a to position b
// (both clamped to [0, 1]; N = 16384): p = a × N + 0.5, step = (b × N + 0.5 -
// p) / count, sample i takes entry floor(p) with p advanced by step after
// each sample. A fade-in over a block is positions 0 to 1; a fade-out at
// positions a to b is this kernel at 1 - a to 1 - b.
template <typename T>
void ApplyFadeIn(T* samples, unsigned int count, double positionA, double positionB);

// Crossfade along the curve, walked as by ApplyFadeIn: with e the entry of
// sample i, destination i = (1 - e) × source i + e × destination i. Position
// 0 gives the source alone, 1 the destination alone.
template <typename T>
void CopyAddWithXFade(T* destination, T const* source, unsigned int count, double positionA, double positionB);

// --- Measures ---

// Whether every sample lies within [-tolerance, +tolerance] (tolerance 0:
// every sample compares equal to 0). False for a null pointer, a count of 0
// or a negative or NaN tolerance.
template <typename T>
bool IsAlmostZero(T const* samples, unsigned int count, T tolerance);

// Whether every difference second - first lies within [-tolerance,
// +tolerance] (tolerance 0: the arrays are byte-identical, so +0 and -0
// differ). False for a null pointer, a count of 0 or a negative or NaN tolerance.
template <typename T>
bool IsAlmostEqual(T const* first, T const* second, unsigned int count, T tolerance);

// Writes the largest absolute sample value (0 without samples); nothing
// without a destination.
template <typename T>
void GetMaxLevel(T const* samples, unsigned int count, T* level);

// --- Interleaving (nothing when channel >= channelCount) ---

// Writes one channel into an interleaved array: destination[channel + i ×
// channelCount] = source[i] for frameCount frames. Instances for every pair
// of float and double.
template <typename TDes, typename TSrc>
void CopyCastInterleave(TDes* destination, TSrc const* source, unsigned int channel, unsigned int channelCount,
                        unsigned int frameCount);

// Reads one channel out of an interleaved array: destination[i] =
// source[channel + i × channelCount]. Instances for every pair of float and double.
template <typename TDes, typename TSrc>
void CopyCastDeinterleave(TDes* destination, TSrc const* source, unsigned int channel, unsigned int channelCount,
                          unsigned int frameCount);

// --- Raw sound-file samples ---
//
// Raw samples are read by layout: float 32 or 64 bits, signed 8, 16, 24 or
// 32 bits, unsigned 8 bits; big-endian when the big-endian flag is set,
// little-endian otherwise. Integers are scaled by 2^-(bits-1) (unsigned 8
// bits: byte × 2^-7 - 1), so the most negative value gives -1 exactly. Every
// other layout (and one claiming both byte orders, or float and unsigned at
// once) is refused.

// Whether the raw kernels convert samples of this layout.
bool IsPCMLayoutSupported(QVAudioPCMInfo info);

// destination[i] = raw sample of frame i, channel `channel` (byte offset (i ×
// channelCount + channel) × bytes per sample). False for a refused layout, a
// null pointer or channel >= channelCount; true otherwise (also for 0 frames).
template <typename T>
bool CopyCastDeinterleavePCMData(T* destination, unsigned char const* source, QVAudioPCMInfo info, unsigned int channel,
                                 unsigned int channelCount, unsigned int frameCount);

// Converts frameCount consecutive raw samples, writing sample i to
// destination[channel + i × channelCount]. With channel 0, channelCount 1
// and frames × channels samples it turns a whole interleaved raw block into
// interleaved samples. Fails as CopyCastDeinterleavePCMData.
template <typename T>
bool CopyCastInterleavePCMData(T* destination, unsigned char const* source, QVAudioPCMInfo info, unsigned int channel,
                               unsigned int channelCount, unsigned int frameCount);

}  // namespace QVSig
