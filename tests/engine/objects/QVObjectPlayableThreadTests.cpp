// A playable touched from several threads at once, as the message, OSC and
// MIDI threads and the audio thread do: scrub mode switched on and off while
// the audio thread advances the scrubber and another thread gives targets,
// and change stamps moved from two threads without losing a change.

#include "QVObjectPlayableTestClasses.h"
#include "QVPlayableScrubber.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlayableEnvironment());

TEST(QVObjectPlayableThreads, ScrubbersAreNeverDeletedUnderTheirUsers)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->MakeStandalone();
    std::atomic<bool> done{false};

    std::thread audio([&] {
        bool stop = false;
        while (!done.load()) {
            player->RTAdvanceScrubber(256.0 / 44100.0, &stop);
            // What a block reads besides.
            volatile double const gain = player->GetUserGain() * player->GetUserSpeed();
            (void)gain;
        }
    });
    std::thread remote([&] {
        double target = 0.0;
        while (!done.load()) {
            target += 0.01;
            player->LowSetUserTimeAndSpan(target, 0.0, false);
            player->SetUserVolume(-target);
        }
    });
    for (int i = 0; i < 2000; ++i)
        player->SetUserScrubMode(2);
    done = true;
    audio.join();
    remote.join();
    EXPECT_FALSE(player->IsUserScrub());
    EXPECT_EQ(player->GetScrubber(), nullptr);
}

TEST(QVObjectPlayableThreads, StampsCountEveryChangeFromEveryThread)
{
    PlayTestPtr<PlayTestCursor> const cursor = NewPlayTest<PlayTestCursor>();
    unsigned int const start = cursor->GetStateStamp();
    constexpr int kToggles = 20000;
    // Play and Scrub are independent flags, and neither marks the object
    // modified: each toggle is exactly one change.
    std::thread other([&] {
        for (int i = 0; i < kToggles; ++i)
            cursor->SetUserPlay(2);
    });
    for (int i = 0; i < kToggles; ++i)
        cursor->SetUserScrubMode(2);
    other.join();
    EXPECT_EQ(cursor->GetStateStamp(), start + 2 * kToggles);
}

}  // namespace
