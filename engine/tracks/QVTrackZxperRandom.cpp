#include "QVTrackZxperRandom.h"

#include "AKRandom.h"

double QVTrackZxperRandom::Uniform(double low, double high)
{
    if (!mSeeded)
        return akrand::_lowRandom(low, low, high, 1.0);
    // The whole 32-bit range of the private generator maps onto [0, 1].
    double const r = static_cast<double>(mPrivate()) / static_cast<double>(std::mt19937::max());
    return low + (high - low) * r;
}
