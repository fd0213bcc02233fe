// The overlap buffer of a single player across edits: every edit that moves
// the player makes a new pool for it, which prepares it again, while the
// document's audio releases it only once. The buffer must survive the edits
// and go with that one release.

#include "AudioSourceFixtures.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

using namespace TrackReaderFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AudioEngineEnvironment());

class AtomicOverlapTest : public ::testing::Test
{
protected:
    // The edit reaches the live pools and a few blocks run.
    void Play(MixDocument& mix)
    {
        mix.document->SynchronizeAllAndNotifyGandlerListeners();
        AKIdlingCenter::sShared.DoGlobalIdling();
        mix.Pull();
        mix.Pull();
    }
    void Move(MixDocument& mix, QVObjectAtomic* player, QVObjectSequence* to)
    {
        AKObject* object = player;
        bool moved = false;
        ASSERT_EQ(mix.handler->DoEasyMoveObject(&moved, &object, to, kAKLinkModeLastChildren), 0);
        EXPECT_TRUE(moved);
        Play(mix);
    }
    void Undo(MixDocument& mix)
    {
        AKTreeActionParam param(mix.document->GetTree());
        ASSERT_EQ(mix.handler->DoUndo(param), 0);
        Play(mix);
    }
};

TEST_F(AtomicOverlapTest, EditsKeepTheBufferAndTheOneReleaseFreesIt)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const first = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    QVObjectSequence* const second = mix.AddSequence(mix.Sound(Dc(0.5), 4.0), 4.0, nullptr);
    player->SetUserPlay(1);
    Play(mix);
    ASSERT_TRUE(player->IsAudioResourcesPrepared());
    QXSampleBuffer<double>* const buffer = player->GetOverlapBuffer();
    ASSERT_NE(buffer, nullptr);

    // Each move gives the player a new pool in the other sequence, and so
    // does each undo; the old pool dies without a release.
    for (int round = 0; round < 4; ++round) {
        Move(mix, player, second);
        Undo(mix);
        EXPECT_EQ(player->GetFLOwningSequence(), first);
    }
    Move(mix, player, second);
    EXPECT_TRUE(player->IsAudioResourcesPrepared());
    EXPECT_EQ(player->GetOverlapBuffer(), buffer);

    mix.source->ReleaseAudioResources();
    EXPECT_FALSE(player->IsAudioResourcesPrepared());
    EXPECT_EQ(player->GetOverlapBuffer(), nullptr);

    // Prepared again for another device format: a buffer of the new shape.
    mix.Prepare(128, 1);
    ASSERT_TRUE(player->IsAudioResourcesPrepared());
    QXSampleBuffer<double>* const again = player->GetOverlapBuffer();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->TotalChannelCount(), 1u);
    mix.Pull();
    mix.source->ReleaseAudioResources();
    EXPECT_EQ(player->GetOverlapBuffer(), nullptr);
}

}  // namespace
