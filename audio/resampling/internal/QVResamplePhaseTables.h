#pragma once

// The windowed-sinc tables laid out for the resampler's inner loop.
//
// The kernel needs, for one output frame, the entries at t, t + 4096, t +
// 8192, ... of a sinc table: one entry per tap, 32 KB apart. A phase table
// holds the same entries row by row: row p is entries p + 4096 × k for every
// tap k, contiguous (padded with zeros to a whole number of cache-friendly
// pairs), so one output frame reads one or two short rows. The values are
// copies of the sinc table's entries: a kernel reading either table computes
// the same sums.
//
// Built with the sinc tables by QVSig::InitTables on the main thread, then
// only read; a phase table that could not be built is left empty, and the
// kernel then reads the sinc table itself.

#include "QVSigTables.h"

namespace QVSig {

struct ResamplePhaseTable {
    // Row p starts at rows + p × rowStride; null when not built.
    double const* rows;
    // Doubles per row: the tap count rounded up to an even number.
    int rowStride;
    // 2 × half-width - 1.
    int tapCount;
};

// Rows 0 to 4097: the nearest-entry lookup reads rows up to 4096, the
// interpolation row u + 1 up to 4097.
constexpr int kResamplePhaseRowCount = kSincardSteps + 2;

// Builds the phase table of every built sinc table that has none yet. False
// (logged) when memory is short. Safe to call again.
bool InitResamplePhaseTables();

// The phase table of one of the four sinc tables (empty when not built).
ResamplePhaseTable const& ResamplePhaseTableOf(TableSincard<double> const& table);

}  // namespace QVSig
