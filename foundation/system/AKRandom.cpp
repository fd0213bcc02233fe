#include "AKRandom.h"

#include <cstdlib>
#include <ctime>

namespace {

// Upper end of rand() with the C library in use.
static_assert(RAND_MAX == 2147483647, "rand() range differs from 0 to 2147483647");
constexpr double kRandomMax = 2147483647.0;

}  // namespace

unsigned int akrand::randomInit(unsigned int seed)
{
    if (seed == 0)
        seed = static_cast<unsigned int>(time(nullptr));
    srand(seed);
    (void)rand();
    return seed;
}

double akrand::_lowRandom(double centre, double low, double high, double spread)
{
    double const r = static_cast<double>(rand()) / kRandomMax;
    if (low <= centre && centre <= high && spread >= 0.0 && spread < 1.0) {
        double const w = (high - low) * spread;
        double a = centre - w;
        double b = centre + w;
        if (a <= low)
            a = low;
        else if (a > high)
            a = high;
        if (b <= low)
            b = low;
        else if (b > high)
            b = high;
        return a + (b - a) * r;
    }
    return low + (high - low) * r;
}
