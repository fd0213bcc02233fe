#pragma once

// QVTrackZxperRandom: the uniform draws of the experimental transforms.
// Built without a seed it draws from the process's shared generator
// (akrand), as every random edit of the engine does; built with a seed it
// draws from a private generator, so that the same seed always gives the
// same draws whatever else the program does with the shared one.

#include <random>

class QVTrackZxperRandom
{
public:
    QVTrackZxperRandom() = default;
    explicit QVTrackZxperRandom(unsigned int seed) : mSeeded(true), mPrivate(seed) {}

    // A value drawn evenly from [low, high].
    double Uniform(double low, double high);

private:
    bool mSeeded = false;
    std::mt19937 mPrivate;
};
