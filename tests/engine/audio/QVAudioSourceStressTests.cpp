// A document's audio source under load: a thread pulls 10,000 blocks while
// the main thread adds and deletes sequences, trades the pool copies, starts
// and stops players, toggles their loops, saves and recalls presets, and
// plays sounds at another rate (resampled). The pulling thread never
// allocates, every block stays finite and within [-1, 1], and no wait of the
// source times out.

#include "AllocationProbe.h"
#include "AudioSourceFixtures.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <cmath>
#include <thread>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

using namespace TrackReaderFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AudioEngineEnvironment());

constexpr unsigned long kBlockTarget = 10000;

TEST(AudioSourceStressTest, EditsTradesAndRecallsWhileBlocksArePulled)
{
    LogCapture log;
    MixDocument mix;
    mix.Prepare(128);
    QVProvider* const exact = mix.Sound(Sine(440.0, kMixRate, 0.1), 2.0);
    QVProvider* const resampled = mix.Sound(Sine(330.0, 44100.0, 0.1), 2.0, 44100.0);
    std::vector<QVObjectAtomic*> players;
    std::vector<QVObjectSequence*> sequences;
    for (QVProvider* sound : {exact, resampled}) {
        QVObjectAtomic* player = nullptr;
        sequences.push_back(mix.AddSequence(sound, 2.0, &player));
        players.push_back(player);
        player->SetUserPlay(1);
    }
    AKIdlingCenter::sShared.DoGlobalIdling();

    std::atomic<unsigned long> blocks{0};
    std::atomic<unsigned long> allocations{0};
    std::atomic<bool> bad{false};
    std::thread puller([&] {
        unsigned long const before = AllocationProbe::ThisThreadCount();
        while (blocks.load(std::memory_order_relaxed) < kBlockTarget) {
            QXSampleBuffer<double>* const block = mix.Pull();
            if (block != nullptr) {
                for (unsigned int c = 0; c < block->ChannelCount(); ++c) {
                    double const sample = *block->SamplePtrConst(c, block->FrameCount() - 1);
                    if (!std::isfinite(sample) || std::fabs(sample) > 1.0)
                        bad = true;
                }
            }
            blocks.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::yield();
        }
        allocations = AllocationProbe::ThisThreadCount() - before;
    });

    unsigned int step = 0;
    std::vector<QVObjectSequence*> extras;
    while (blocks.load(std::memory_order_relaxed) < kBlockTarget) {
        ++step;
        QVObjectAtomic* const player = players[step % players.size()];
        QVObjectSequence* const sequence = sequences[step % sequences.size()];
        switch (step % 6) {
        case 0: {
            QVObjectAtomic* added = nullptr;
            extras.push_back(mix.AddSequence(step % 12 == 0 ? resampled : exact, 2.0, &added));
            added->SetUserPlay(1);
            added->SetUserLoop(1);
            break;
        }
        case 1:
            if (!extras.empty()) {
                mix.DeleteObject(extras.front());
                extras.erase(extras.begin());
            }
            break;
        case 2:
            player->SetUserLoop(2);
            break;
        case 3:
            player->SetUserPlay(2);
            if (!player->IsUserPlay())
                player->SetUserPlay(1);
            break;
        case 4:
            sequence->DoUserPresetSave(1);
            break;
        case 5: {
            bool there = false;
            sequence->SetUserPresetDur(0.05);
            sequence->DoUserPresetRecall(1, &there);
            break;
        }
        }
        AKIdlingCenter::sShared.DoGlobalIdling();
        mix.document->DoIdlingForTreeObjectsAndGarbage();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    puller.join();
    EXPECT_GT(step, 20u);
    EXPECT_EQ(allocations.load(), 0u);
    EXPECT_FALSE(bad.load());
    for (std::string const& line : log.Lines())
        EXPECT_EQ(line.find("Time-out"), std::string::npos) << line;
}

}  // namespace
