#pragma once

// A small random generator for the audio thread. The C library's rand()
// takes a lock shared by every thread, so the speed wander of a playable
// draws from its own generator instead: a 64-bit xorshift state, lock-free
// and allocation-free, seeded from the engine's seed mixed with a value
// proper to the playable so that two players wander apart. Tests fix the
// engine seed to get repeatable draws.

#include <atomic>
#include <cstdint>

class QVPlayableRTRandom
{
public:
    // Seeded from the engine seed and salt (for example the playable's
    // address or ID).
    explicit QVPlayableRTRandom(uint64_t salt = 0) { Reseed(EngineSeed().load(std::memory_order_relaxed) ^ Mix(salt)); }

    // Restarts the sequence from seed (any value, 0 included).
    void Reseed(uint64_t seed)
    {
        mState = Mix(seed);
        if (mState == 0)
            mState = kFallbackState;
    }

    // The next 64 random bits (xorshift64*).
    uint64_t Next()
    {
        mState ^= mState >> 12;
        mState ^= mState << 25;
        mState ^= mState >> 27;
        return mState * 0x2545F4914F6CDD1DULL;
    }

    // Uniform in [low, high].
    double Uniform(double low, double high)
    {
        double const unit = static_cast<double>(Next() >> 11) * (1.0 / 9007199254740991.0);  // [0, 1]
        return low + (high - low) * unit;
    }

    // The seed new generators start from; the engine sets it at start from
    // the seed of the process-wide generator (akrand::randomInit).
    static void SetEngineSeed(uint64_t seed) { EngineSeed().store(seed, std::memory_order_relaxed); }
    static uint64_t GetEngineSeed() { return EngineSeed().load(std::memory_order_relaxed); }

private:
    static constexpr uint64_t kFallbackState = 0x9E3779B97F4A7C15ULL;

    // splitmix64 finaliser: spreads nearby seeds over the whole state.
    static uint64_t Mix(uint64_t x)
    {
        x += 0x9E3779B97F4A7C15ULL;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
        return x ^ (x >> 31);
    }

    // Written at engine start, read when playables are made (any thread).
    static std::atomic<uint64_t>& EngineSeed()
    {
        static std::atomic<uint64_t> sSeed{0};
        return sSeed;
    }

    uint64_t mState = kFallbackState;
};
