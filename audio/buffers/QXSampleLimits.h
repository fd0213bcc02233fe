#pragma once

// The shapes the sample buffers accept. Requests beyond them are refused
// (false) before any memory is asked for.

#include "QVAudioInfo.h"

// Channels of one buffer. Sound files have at most 1024 channels (the most
// the sound-file libraries open), and output devices far fewer.
constexpr unsigned int kQXSampleMaxChannelCount = 1024;

// One block of samples (a planar channel, or a whole interleaved block) is
// sized with a 32-bit byte count: fewer than 4 GiB.
constexpr unsigned long long kQXSampleMaxBlockBytes = 0xFFFFFFFFull;

// All the blocks of one buffer together: 64 GiB, far above any sound held
// in memory, far below what a request for every channel at its largest
// would reserve.
constexpr unsigned long long kQXSampleMaxTotalBytes = 1ull << 36;

// A buffer's rate: 0 (not known yet) or a rate a stream can have (finite,
// normal, positive). NaN, negative, infinite and subnormal rates are refused.
inline bool QXSampleIsAcceptableRate(double rate) { return rate == 0.0 || QVAudioInfo::IsUsableSampleRate(rate); }
