#include "QVSampleMinimax.h"

short QVSampleMinimaxScale(double sample)
{
    // A NaN would make the conversion undefined; it counts as silence.
    if (!(sample == sample))
        return 0;
    if (sample <= -1.0)
        return -32767;
    if (sample >= 1.0)
        return 32767;
    return static_cast<short>(sample * 32767.0);
}

template <class T>
static QVSampleMinimax MakeWithSamples(T const* samples, unsigned int count)
{
    if (samples == nullptr || count == 0)
        return kQVNullSampleMinimax;
    // NaN samples are passed over; a run of nothing but NaNs scales to 0.
    double lowest = static_cast<double>(samples[0]);
    double highest = lowest;
    for (unsigned int i = 1; i < count; ++i) {
        double const sample = static_cast<double>(samples[i]);
        if (sample < lowest || !(lowest == lowest))
            lowest = sample;
        if (sample > highest || !(highest == highest))
            highest = sample;
    }
    return {QVSampleMinimaxScale(lowest), QVSampleMinimaxScale(highest)};
}

QVSampleMinimax QVSampleMinimaxMakeWithSamples(float const* samples, unsigned int count)
{
    return MakeWithSamples(samples, count);
}

QVSampleMinimax QVSampleMinimaxMakeWithSamples(double const* samples, unsigned int count)
{
    return MakeWithSamples(samples, count);
}

QVSampleMinimax QVSampleMinimaxMakeWithMinimaxs(QVSampleMinimax const* minimaxs, unsigned int count)
{
    if (minimaxs == nullptr || count == 0)
        return kQVNullSampleMinimax;
    QVSampleMinimax result = minimaxs[0];
    for (unsigned int i = 1; i < count; ++i) {
        if (minimaxs[i].min < result.min)
            result.min = minimaxs[i].min;
        if (minimaxs[i].max > result.max)
            result.max = minimaxs[i].max;
    }
    return result;
}
