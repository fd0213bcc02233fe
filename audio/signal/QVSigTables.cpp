#include "QVSigTables.h"

#include "AKLog.h"
#include "QVResamplePhaseTables.h"

#include <cmath>
#include <cstdlib>

namespace QVSig {

// Constant-initialised (constexpr constructors), so they exist before any
// other code runs; their entries come from InitTables.
TableSinbranch<double> const kTableSinbranch64(kSinbranchSteps);
TableSinbranch<float> const kTableSinbranch32(kSinbranchSteps);
TableSincard<double> const kTableSincardA64(kSincardSteps, 8);
TableSincard<double> const kTableSincardB64(kSincardSteps, 12);
TableSincard<double> const kTableSincardC64(kSincardSteps, 16);
TableSincard<double> const kTableSincardD64(kSincardSteps, 24);

template <typename T>
Table<T>::~Table()
{
    free(mData);
}

template <typename T>
bool Table<T>::AllocateData() const
{
    size_t const count = EntryCount();
    mData = static_cast<T*>(malloc(count * sizeof(T)));
    if (mData == nullptr) {
        AKLogError(kAKErrorNoMemory, "QVSig::Table: no memory for %zu entries", count);
        return false;
    }
    return true;
}

template <typename T>
bool TableSinbranch<T>::Init() const
{
    if (this->mData != nullptr)
        return true;
    if (!this->AllocateData())
        return false;
    int const steps = this->mStepsPerUnit;
    for (int i = 0; i <= steps; i++)
        this->mData[i] = static_cast<T>(0.5 * sin(M_PI * i / steps - M_PI / 2.0) + 0.5);
    // The formula gives only nearly 0 and 1 at the ends; fades must reach silence and unity exactly.
    this->mData[0] = 0;
    this->mData[steps] = 1;
    return true;
}

template <typename T>
bool TableSincard<T>::Init() const
{
    if (this->mData != nullptr)
        return true;
    if (!this->AllocateData())
        return false;
    int const w = HalfWidth();
    int const half = w * this->mStepsPerUnit;  // B / 2
    double const angleStep = 2.0 * M_PI / (2.0 * half);
    for (int c = -half; c <= half; c++) {
        double const angle = angleStep * c;
        double const sinc = sin(w * angle) / (w * angle);
        double const window = 0.42659 + 0.49656 * cos(angle) + 0.07685 * cos(2.0 * angle);
        this->mData[c + half] = static_cast<T>(sinc * window);
    }
    this->mData[half] = 1;  // 0 / 0 above
    return true;
}

template class Table<double>;
template class Table<float>;
template class TableSinbranch<double>;
template class TableSinbranch<float>;
template class TableSincard<double>;

int InitTables()
{
    bool ok = kTableSinbranch64.Init();
    ok = kTableSinbranch32.Init() && ok;
    if (!kTableSincardA64.IsBuilt()) {
        ok = kTableSincardA64.Init() && ok;
        ok = kTableSincardB64.Init() && ok;
        ok = kTableSincardC64.Init() && ok;
        ok = kTableSincardD64.Init() && ok;
    }
    ok = InitResamplePhaseTables() && ok;
    return ok ? 0 : kAKErrorNoMemory;
}

}  // namespace QVSig
