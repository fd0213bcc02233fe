// A presets recall started, restarted, re-linked and stopped from one thread
// while another computes blocks: the block side only ever sees complete
// jobs, every job is freed once, and the last recall still ends on its
// targets.

#include "QVPresetsBlock.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

AKDictionary SequenceOfPlayers(unsigned int count)
{
    AKDictionary sequence = SeqNode("sequenc", nullptr);
    AKValueArray array;
    for (unsigned int i = 0; i < count; ++i)
        array.Push(AKValueSetasAKDictionary(SeqNode("atomic", nullptr)));
    sequence.SetValue("Subs", AKValueSetasAKValueArray(array));
    return sequence;
}

TEST(QVPresetsBlockThreads, RecallHandedOverWhileBlocksRun)
{
    QVPrefs::sShared.SetupDefaults();
    QVPrefs::sShared.SetPresetSchedulMinPeriod(0.01);
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SequenceOfPlayers(3)})));
    QVObjectSequence* sequence = doc.Sequence(0);
    QVPresetsBlock& block = sequence->GetPresetsBlock();
    QVObjectPlayableArray const& players = sequence->GetFLSubPlayers();

    for (QVObjectPlayable* player : players)
        player->SetUserVolume(-20.0);
    ASSERT_TRUE(block.DoPresetSave(0));
    for (QVObjectPlayable* player : players)
        player->SetUserVolume(6.0);
    ASSERT_TRUE(block.DoPresetSave(1));
    block.SetRecallDuration(0.2);

    std::atomic<bool> done{false};
    std::atomic<unsigned long> blocks{0};
    std::thread audio([&] {
        while (!done.load()) {
            block.DoSchedul(0.002);
            blocks.fetch_add(1);
        }
    });
    std::thread control([&] {
        for (unsigned int i = 0; i < 3000; ++i) {
            switch (i % 5) {
            case 0:
            case 1:
                block.DoPresetRecall(i % 2, nullptr);
                break;
            case 2:
                block.SynchronizeFLFastLinks();
                break;
            case 3:
                block.DoPresetRecall(0, nullptr);
                break;
            default:
                block.DoPresetRecallingStop();
                break;
            }
            if (i % 64 == 0)
                std::this_thread::yield();
        }
        // The last word: a recall of preset 1, left to run out.
        block.DoPresetRecall(1, nullptr);
    });
    control.join();
    // Enough blocks for the last recall to finish.
    unsigned long const after = blocks.load();
    while (block.GetRecallIndex() >= 0 || blocks.load() < after + 2)
        std::this_thread::yield();
    done.store(true);
    audio.join();

    EXPECT_EQ(block.GetRecallIndex(), -1);
    // Exact after a glide; within the already-there tolerance when a glide
    // stopped that close to the preset.
    for (QVObjectPlayable const* player : players)
        EXPECT_NEAR(player->GetUserVolume(), 6.0, 0.01);
    // Nothing left running on the block side.
    for (QVObjectPlayable* player : players)
        player->SetUserVolume(0.0);
    block.DoSchedul(0.002);
    for (QVObjectPlayable const* player : players)
        EXPECT_EQ(player->GetUserVolume(), 0.0);
}

}  // namespace
