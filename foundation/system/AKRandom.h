#pragma once

// Random numbers drawn from the C library's shared generator (range 0 to 2147483647).
namespace akrand {

// Seeds the generator with seed, or with the current time in seconds when seed is 0;
// draws one number that is thrown away. Returns the seed used.
unsigned int randomInit(unsigned int seed);

// A random value in [low, high] around centre: spread 0 gives the centre, a small
// spread wanders near it, and a spread of 1 or more (or a centre outside the range,
// or a negative spread) draws from the whole range.
double _lowRandom(double centre, double low, double high, double spread);

}  // namespace akrand
