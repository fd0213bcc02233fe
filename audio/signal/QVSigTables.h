#pragma once

// Precomputed curve tables of the signal kernels: the sine-branch curve of
// fades and crossfades and the windowed-sinc kernels of the resampler.
//
// A table holds (upper - lower) × steps + 1 entries, entry i standing for the
// abscissa lower + i / steps. The tables are built once by QVSig::InitTables
// on the main thread at start-up, before any audio runs, and only read
// afterwards, from any thread. Kernels reading a table that was never built
// do nothing.

namespace QVSig {

// Steps per unit of the sine-branch tables (the fade curve's resolution).
constexpr int kSinbranchSteps = 16384;
// Steps per zero crossing of the windowed-sinc tables.
constexpr int kSincardSteps = 4096;

// Base of every table: its entries and the abscissa they cover. The entries
// are allocated with the C allocator when the table is built and released
// when it is destroyed.
template <typename T>
class Table
{
public:
    constexpr Table(int stepsPerUnit, int lowerBound, int upperBound)
        : mData(nullptr), mStepsPerUnit(stepsPerUnit), mLowerBound(lowerBound), mUpperBound(upperBound)
    {}
    virtual ~Table();

    Table(Table const&) = delete;
    Table& operator=(Table const&) = delete;

    // The entries, null until built.
    T const* Data() const { return mData; }
    bool IsBuilt() const { return mData != nullptr; }
    int StepsPerUnit() const { return mStepsPerUnit; }
    int LowerBound() const { return mLowerBound; }
    int UpperBound() const { return mUpperBound; }
    // (upper - lower) × steps + 1.
    unsigned int EntryCount() const
    {
        return static_cast<unsigned int>((mUpperBound - mLowerBound) * mStepsPerUnit + 1);
    }

protected:
    // Allocates the entries (uninitialised); false, logged, when memory is short.
    bool AllocateData() const;

    // Written once by Init (which is const: the tables are constants to their readers).
    mutable T* mData;
    int mStepsPerUnit;
    int mLowerBound;
    int mUpperBound;
};

// The sine-branch curve over [0, 1]: (1 - cos(π x)) / 2, exactly 0 at 0 and
// exactly 1 at 1. curve(x) + curve(1 - x) = 1, so a crossfade along it keeps
// the sum of its two gains at 1.
template <typename T>
class TableSinbranch : public Table<T>
{
public:
    constexpr explicit TableSinbranch(int stepsPerUnit) : Table<T>(stepsPerUnit, 0, 1) {}

    // Builds the entries unless they exist; false when memory is short.
    bool Init() const;
};

// The windowed-sinc kernel over [-w, w] source samples: sin(π x) / (π x)
// times the exact Blackman window of half-width w; exactly 1 at the centre.
template <typename T>
class TableSincard : public Table<T>
{
public:
    constexpr TableSincard(int stepsPerUnit, int halfWidth) : Table<T>(stepsPerUnit, -halfWidth, halfWidth) {}

    // Zero crossings on each side of the centre.
    int HalfWidth() const { return this->mUpperBound; }
    // Builds the entries unless they exist; false when memory is short.
    bool Init() const;
};

// 16384 steps over [0, 1].
extern TableSinbranch<double> const kTableSinbranch64;
extern TableSinbranch<float> const kTableSinbranch32;
// 4096 steps per zero crossing, over [-8, 8], [-12, 12], [-16, 16], [-24, 24].
extern TableSincard<double> const kTableSincardA64;
extern TableSincard<double> const kTableSincardB64;
extern TableSincard<double> const kTableSincardC64;
extern TableSincard<double> const kTableSincardD64;

// Builds the two sine-branch tables (each when missing), then the four sinc
// tables when table A is missing. Safe to call again. Returns 0, or
// kAKErrorNoMemory (logged) when a table could not be built.
int InitTables();

}  // namespace QVSig
