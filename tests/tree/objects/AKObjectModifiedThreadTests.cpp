// The modified flag of a tree object is set by the OSC and MIDI threads when
// they change a parameter, while the message thread reads and clears it: the
// flag must be safe to share (this program also runs under ThreadSanitizer).

#include "AKObject.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TreeTestEnvironment());

constexpr int kRounds = 20000;

TEST(AKObjectModifiedThread, SetOnOneThreadWhileAnotherReadsAndClears)
{
    TestItem* item = AKNew<TestItem>("-value:1");
    ASSERT_NE(item, nullptr);

    std::atomic<bool> started{false};
    std::thread parameterThread([&] {
        started.store(true, std::memory_order_release);
        for (int i = 0; i < kRounds; ++i)
            item->SetModified(true);
    });
    while (!started.load(std::memory_order_acquire))
        std::this_thread::yield();
    // The message thread polls the flag and resets it, as saving does.
    for (int i = 0; i < kRounds; ++i) {
        if (item->IsModified())
            item->SetModified(false);
    }
    parameterThread.join();

    // Whatever interleaving ran, the last write of the other thread is seen
    // once it has ended.
    item->SetModified(false);
    std::thread last([&] { item->SetModified(true); });
    last.join();
    EXPECT_TRUE(item->IsModified());

    AKClass::DeleteObject(item);
}

TEST(AKObjectModifiedThread, NamingOnTheMessageThreadBesideParameterWrites)
{
    TestItem* item = AKNew<TestItem>("-value:2");
    ASSERT_NE(item, nullptr);

    std::thread parameterThread([&] {
        for (int i = 0; i < kRounds; ++i)
            item->SetModified((i & 1) == 0);
    });
    // Renaming sets the flag through the same member.
    for (int i = 0; i < 200; ++i)
        EXPECT_TRUE(item->akmSetName(AKString((i & 1) != 0 ? "odd" : "even"), false));
    parameterThread.join();

    item->SetModified(false);
    EXPECT_TRUE(item->akmSetName(AKString("last"), false));
    EXPECT_TRUE(item->IsModified());

    AKClass::DeleteObject(item);
}

}  // namespace
