#include "QVResamplePhaseTables.h"

#include "AKLog.h"
#include "AKStatus.h"

#include <cstdlib>
#include <cstring>

namespace QVSig {

namespace {

// Owns the rows of one phase table; released at exit like the sinc tables.
// Constant-initialised, like the sinc tables, so that InitTables may run
// from any static initialiser.
class PhaseTableStorage
{
public:
    constexpr explicit PhaseTableStorage(TableSincard<double> const& source) : mSource(source), mTable{nullptr, 0, 0} {}
    ~PhaseTableStorage() { free(const_cast<double*>(mTable.rows)); }

    PhaseTableStorage(PhaseTableStorage const&) = delete;
    PhaseTableStorage& operator=(PhaseTableStorage const&) = delete;

    TableSincard<double> const& Source() const { return mSource; }
    ResamplePhaseTable const& Table() const { return mTable; }

    bool Build()
    {
        double const* const entries = mSource.Data();
        if (mTable.rows != nullptr || entries == nullptr)
            return true;
        int const taps = 2 * mSource.HalfWidth() - 1;
        int const stride = (taps + 1) & ~1;
        long const entryCount = static_cast<long>(mSource.EntryCount());
        size_t const bytes = sizeof(double) * static_cast<size_t>(stride) * kResamplePhaseRowCount;
        // 64-byte rows start on cache lines for the 8- and 16-crossing tables (128 and 256 bytes a row).
        double* const rows = static_cast<double*>(aligned_alloc(64, (bytes + 63) & ~size_t(63)));
        if (rows == nullptr) {
            AKLogError(kAKErrorNoMemory, "QVSig::InitResamplePhaseTables: no memory for %zu bytes", bytes);
            return false;
        }
        memset(rows, 0, bytes);
        for (int p = 0; p < kResamplePhaseRowCount; p++) {
            for (int k = 0; k < taps; k++) {
                long const index = p + static_cast<long>(kSincardSteps) * k;
                if (index < entryCount)
                    rows[p * stride + k] = entries[index];
            }
        }
        mTable = {rows, stride, taps};
        return true;
    }

private:
    TableSincard<double> const& mSource;
    ResamplePhaseTable mTable;
};

PhaseTableStorage sPhaseTables[] = {
    PhaseTableStorage(kTableSincardA64),
    PhaseTableStorage(kTableSincardB64),
    PhaseTableStorage(kTableSincardC64),
    PhaseTableStorage(kTableSincardD64),
};

ResamplePhaseTable const kEmptyPhaseTable = {nullptr, 0, 0};

}  // namespace

bool InitResamplePhaseTables()
{
    bool ok = true;
    for (PhaseTableStorage& storage : sPhaseTables)
        ok = storage.Build() && ok;
    return ok;
}

ResamplePhaseTable const& ResamplePhaseTableOf(TableSincard<double> const& table)
{
    for (PhaseTableStorage const& storage : sPhaseTables)
        if (&storage.Source() == &table)
            return storage.Table();
    return kEmptyPhaseTable;
}

}  // namespace QVSig
