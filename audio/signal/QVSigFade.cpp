#include "QVSig.h"

#include <cmath>

namespace QVSig {

namespace {

inline double const* SinbranchEntries(double const*) { return kTableSinbranch64.Data(); }
inline float const* SinbranchEntries(float const*) { return kTableSinbranch32.Data(); }

// Clamps a curve position to [0, 1]; NaN becomes 0 so that it can never index
// outside the table.
inline double ClampPosition(double x)
{
    if (!(x > 0.0))
        return 0.0;
    return x > 1.0 ? 1.0 : x;
}

// Walks the curve from position a to position b over `count` samples, giving
// the table index of each sample in turn.
//
// The ends are clamped once, here: p0 = a × N + 0.5 and the last position
// lie in [0.5, N + 0.5], and every position in between up to the rounding
// of the additions. Each addition rounds by at most half a unit in the last
// place of a value below 2^15 (2^-39), so even 2^32 of them drift by less
// than 2^-7: int(position) stays within [0, N] for every sample, and the
// walk needs no clamp per sample.
class CurveWalk
{
public:
    CurveWalk(unsigned int count, double positionA, double positionB)
    {
        double const a = ClampPosition(positionA);
        double const b = ClampPosition(positionB);
        mPosition = a * kSinbranchSteps + 0.5;
        mStep = (b * kSinbranchSteps + 0.5 - mPosition) / count;
    }

    int NextIndex()
    {
        int const index = static_cast<int>(mPosition);
        mPosition += mStep;
        return index;
    }

    // Whether the walk's additions are all exact: when the start and the
    // step are whole multiples of 2^-38, so is every position, and every one
    // lies below 2^15 where such multiples are doubles. Fades over whole
    // blocks of 2^k samples and positions at simple fractions walk this way.
    bool IsExact() const
    {
        double const start = mPosition * 0x1p38;
        double const step = mStep * 0x1p38;
        return start == std::floor(start) && step == std::floor(step);
    }
    double Start() const { return mPosition; }
    double Step() const { return mStep; }

private:
    double mPosition;
    double mStep;
};

// The two kernels along an exact walk. Every position is a whole number of
// units of 2^-38, fewer than 2^53 of them, so the walk runs on those whole
// numbers: the
// same additions, made exactly in integers (one cycle each instead of a
// floating-point addition's latency), and the index is the position's
// integer part.
constexpr int kExactWalkShift = 38;

struct ExactWalk {
    explicit ExactWalk(CurveWalk const& walk)
        : position(static_cast<long long>(walk.Start() * 0x1p38)), step(static_cast<long long>(walk.Step() * 0x1p38))
    {}
    long long position;
    long long step;
};

template <typename T>
void FadeAlongExactWalk(T* samples, unsigned int count, ExactWalk walk, T const* curve)
{
    long long position = walk.position;
    for (unsigned int i = 0; i < count; i++, position += walk.step)
        samples[i] *= curve[position >> kExactWalkShift];
}

template <typename T>
void CrossfadeAlongExactWalk(T* destination, T const* source, unsigned int count, ExactWalk walk, T const* curve)
{
    long long position = walk.position;
    for (unsigned int i = 0; i < count; i++, position += walk.step) {
        T const e = curve[position >> kExactWalkShift];
        destination[i] = (T(1) - e) * source[i] + e * destination[i];
    }
}

}  // namespace

template <typename T>
void ApplyFadeIn(T* samples, unsigned int count, double positionA, double positionB)
{
    T const* const curve = SinbranchEntries(samples);
    if (samples == nullptr || count == 0 || curve == nullptr)
        return;
    CurveWalk walk(count, positionA, positionB);
    if (walk.IsExact()) {
        FadeAlongExactWalk(samples, count, ExactWalk(walk), curve);
        return;
    }
    for (unsigned int i = 0; i < count; i++)
        samples[i] *= curve[walk.NextIndex()];
}

template <typename T>
void CopyAddWithXFade(T* destination, T const* source, unsigned int count, double positionA, double positionB)
{
    T const* const curve = SinbranchEntries(destination);
    if (destination == nullptr || source == nullptr || count == 0 || curve == nullptr)
        return;
    CurveWalk walk(count, positionA, positionB);
    if (walk.IsExact()) {
        CrossfadeAlongExactWalk(destination, source, count, ExactWalk(walk), curve);
        return;
    }
    for (unsigned int i = 0; i < count; i++) {
        T const e = curve[walk.NextIndex()];
        destination[i] = (T(1) - e) * source[i] + e * destination[i];
    }
}

template void ApplyFadeIn<float>(float*, unsigned int, double, double);
template void ApplyFadeIn<double>(double*, unsigned int, double, double);
template void CopyAddWithXFade<float>(float*, float const*, unsigned int, double, double);
template void CopyAddWithXFade<double>(double*, double const*, unsigned int, double, double);

}  // namespace QVSig
