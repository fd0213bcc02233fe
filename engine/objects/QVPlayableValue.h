#pragma once

// QVPlayableValue: one user parameter of a playable that several threads
// touch: the message, OSC and MIDI threads write it through the user
// operations while the audio thread reads it once per block (and writes the
// time and the transport at the end of a block). Loads and stores are
// relaxed atomics: no value is ever seen half-written, and on x86-64 they
// are the plain aligned moves of a bool, a u32 or a double, so a block costs
// nothing more. There is no ordering between two parameters: a block may see
// a new volume with an old pan, which only lasts that block.

#include <atomic>

template <class T>
class QVPlayableValue
{
public:
    constexpr QVPlayableValue(T value = T()) noexcept : mValue(value) {}
    QVPlayableValue(QVPlayableValue const&) = delete;
    QVPlayableValue& operator=(QVPlayableValue const&) = delete;

    T Get() const { return mValue.load(std::memory_order_relaxed); }
    void Set(T value) { mValue.store(value, std::memory_order_relaxed); }

private:
    static_assert(std::atomic<T>::is_always_lock_free, "read on the audio thread");
    std::atomic<T> mValue;
};
