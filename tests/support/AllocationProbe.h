#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

// Watches the global operator new and delete of a test program: from Start()
// to Stop(), or while an AllocationProbe lives, it counts the allocations and
// releases made by any thread and keeps the largest single size asked for.
//
// Only a program that invokes ORVEL_REPLACE_GLOBAL_ALLOCATION() once at file
// scope routes its allocations here. The replacement stays out of the
// testsupport library on purpose: an archive member defining operator new
// would be linked into every test program and take new and delete away from
// AddressSanitizer's own checks everywhere.
class AllocationProbe
{
public:
    AllocationProbe() { Start(); }
    ~AllocationProbe() { Stop(); }

    AllocationProbe(AllocationProbe const&) = delete;
    AllocationProbe& operator=(AllocationProbe const&) = delete;

    // Clears the figures and starts watching (again).
    static void Start()
    {
        // Without the replacement nothing is seen and every "allocates
        // nothing" check would pass for no reason.
        EXPECT_TRUE(sReplaced.load()) << "this program lacks ORVEL_REPLACE_GLOBAL_ALLOCATION()";
        sCount = 0;
        sReleases = 0;
        sLargestSize = 0;
        sWatching = true;
    }
    static void Stop() { sWatching = false; }

    // The figures since the last Start().
    static unsigned long Count() { return sCount.load(); }
    static unsigned long Releases() { return sReleases.load(); }
    static size_t LargestSize() { return sLargestSize.load(); }
    // Allocations made by the calling thread since it started, watched or
    // not: a thread that must not allocate compares two readings while
    // other threads allocate freely.
    static unsigned long ThisThreadCount() { return sThreadCount; }

    // For the replacement operators only. Each operator only forwards to
    // one of these, so that the optimiser inlines it at once and no longer
    // sees a new/delete pair it may remove: a test's own `delete new int`
    // must reach the counters in optimised builds too.
    static void* Allocate(size_t size) noexcept
    {
        ++sThreadCount;
        if (sWatching.load(std::memory_order_relaxed)) {
            sCount.fetch_add(1, std::memory_order_relaxed);
            size_t largest = sLargestSize.load(std::memory_order_relaxed);
            while (size > largest && !sLargestSize.compare_exchange_weak(largest, size, std::memory_order_relaxed)) {
            }
        }
        return std::malloc(size == 0 ? 1 : size);
    }
    static void* AllocateOrThrow(size_t size)
    {
        if (void* p = Allocate(size))
            return p;
        throw std::bad_alloc();
    }
    static void Release(void* p) noexcept
    {
        if (p != nullptr && sWatching.load(std::memory_order_relaxed))
            sReleases.fetch_add(1, std::memory_order_relaxed);
        std::free(p);
    }
    static bool MarkReplaced() noexcept
    {
        sReplaced = true;
        return true;
    }

private:
    // Constant-initialised, so usable by allocations made before main.
    static inline std::atomic<bool> sReplaced{false};
    static inline std::atomic<bool> sWatching{false};
    static inline std::atomic<unsigned long> sCount{0};
    static inline std::atomic<unsigned long> sReleases{0};
    static inline std::atomic<size_t> sLargestSize{0};
    static inline thread_local unsigned long sThreadCount = 0;
};

// Defines every plain form of the global operator new and delete (single and
// array, nothrow, sized) over malloc and free, reporting to AllocationProbe.
// Invoke once, at file scope, in the test program that uses the probe:
//     ORVEL_REPLACE_GLOBAL_ALLOCATION();
#define ORVEL_REPLACE_GLOBAL_ALLOCATION()                                                                              \
    void* operator new(std::size_t size) { return AllocationProbe::AllocateOrThrow(size); }                            \
    void* operator new[](std::size_t size) { return AllocationProbe::AllocateOrThrow(size); }                          \
    void* operator new(std::size_t size, std::nothrow_t const&) noexcept { return AllocationProbe::Allocate(size); }   \
    void* operator new[](std::size_t size, std::nothrow_t const&) noexcept { return AllocationProbe::Allocate(size); } \
    void operator delete(void* p) noexcept { AllocationProbe::Release(p); }                                            \
    void operator delete[](void* p) noexcept { AllocationProbe::Release(p); }                                          \
    void operator delete(void* p, std::size_t) noexcept { AllocationProbe::Release(p); }                               \
    void operator delete[](void* p, std::size_t) noexcept { AllocationProbe::Release(p); }                             \
    void operator delete(void* p, std::nothrow_t const&) noexcept { AllocationProbe::Release(p); }                     \
    void operator delete[](void* p, std::nothrow_t const&) noexcept { AllocationProbe::Release(p); }                   \
    [[maybe_unused]] static bool const sAllocationProbeReplaced = AllocationProbe::MarkReplaced()
