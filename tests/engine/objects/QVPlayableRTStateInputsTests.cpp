// The real-time steps fed from real playables: the parameters a user set
// reach the block, the preferences of the steps are read, and a player in a
// sequence with a span runs inside the sequence's window.

#include "QVObjectPlayableTestClasses.h"
#include "QVPlayableRTStateInputs.h"

#include <gtest/gtest.h>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlayableEnvironment());

TEST(QVPlayableRTStateInputs, UserParametersReachTheBlock)
{
    PlayTestPtr<PlayTestAtomic> const owned = NewPlayTest<PlayTestAtomic>();  // outlives the sequence
    PlayTestPtr<PlayTestSequence> const sequence = NewPlayTest<PlayTestSequence>();
    PlayTestAtomic* const player = owned.get();
    sequence->AddPlayer(player);
    ASSERT_TRUE(sequence->LowSetUserTimeAndSpan(20.0, 4.0, false));
    ASSERT_TRUE(sequence->SetUserGain(0.5));
    ASSERT_TRUE(sequence->SetUserPanora(-0.5));

    ASSERT_TRUE(player->SetUserPlay(1));
    player->SetUserLoop(1);  // may already be on by preference
    ASSERT_TRUE(player->SetUserSpeed(2.0));
    ASSERT_TRUE(player->SetUserGain(0.8));
    ASSERT_TRUE(player->SetUserPanora(0.25));
    ASSERT_TRUE(player->SetUserFadio(0.5));
    ASSERT_TRUE(player->SetUserSpeedSubx(1.5));
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(21.5, 0.0, false));

    QVPlayableRTInputs const in = QVReadPlayableRTInputs(*player);
    EXPECT_EQ(in.kind, player->GetKind());
    EXPECT_TRUE(in.rActive);
    EXPECT_TRUE(in.play);
    EXPECT_TRUE(in.loop);
    EXPECT_FALSE(in.rewind || in.forward || in.scrub);
    EXPECT_DOUBLE_EQ(in.speed, 2.0);
    EXPECT_DOUBLE_EQ(in.gain, 0.8);
    EXPECT_DOUBLE_EQ(in.panora, 0.25);
    EXPECT_DOUBLE_EQ(in.fadio, 0.5);
    EXPECT_DOUBLE_EQ(in.speedSubx, 1.5);
    EXPECT_DOUBLE_EQ(in.time, 21.5);

    QVPlayableRTPrefs const prefs = QVReadPlayableRTPrefs(QVPrefs::sShared);
    QVPlayableRTState const seq =
        QVComputeSequenceRTState(QVReadPlayableRTInputs(*sequence), prefs, AKTimeIntv{0.0, 100.0});
    EXPECT_DOUBLE_EQ(seq.subsBeg, 18.0);
    EXPECT_DOUBLE_EQ(seq.subsEnd, 22.0);

    QVPlayableRTState previous = kQVNullPlayableRTState;
    previous.playing = true;
    QVPlayableRTState const s = QVComputeAtomicRTState(in, prefs, seq, previous, 0.5);
    EXPECT_TRUE(s.active && s.playing && s.looping);
    EXPECT_DOUBLE_EQ(s.speed, 2.0);  // a sequence does not scale its players
    EXPECT_DOUBLE_EQ(s.totalGain, 0.4);
    EXPECT_DOUBLE_EQ(s.pan, -0.25);
    EXPECT_DOUBLE_EQ(s.fade, 0.0);       // a sequence does not fade its players
    EXPECT_NEAR(s.timeEnd, 18.5, 1e-9);  // 21.5 + 1 wraps in [18, 22]

    ASSERT_TRUE(player->SetUserMute(1));
    EXPECT_FALSE(QVReadPlayableRTInputs(*player).rActive);
    ASSERT_TRUE(player->SetUserRewind(1));
    QVPlayableRTInputs const rewinding = QVReadPlayableRTInputs(*player);
    EXPECT_TRUE(rewinding.rewind);
    EXPECT_DOUBLE_EQ(rewinding.rwdFwdSpeed, player->GetRwdFwdSpeed());
}

TEST(QVPlayableRTStateInputs, StepPreferencesAreRead)
{
    QVPrefs prefs = QVPrefs::sShared;
    prefs.SetPlayerRwdFwdGainAttenuation(0.25);
    prefs.SetPlayerMultiAutoPlayWhenScrub(!prefs.GetPlayerMultiAutoPlayWhenScrub());
    prefs.SetPlayerMultiSpanConfinedInSel(!prefs.GetPlayerMultiSpanConfinedInSel());
    prefs.SetSequenceFullSeqInLoopMode(!prefs.GetSequenceFullSeqInLoopMode());
    QVPlayableRTPrefs const out = QVReadPlayableRTPrefs(prefs);
    EXPECT_DOUBLE_EQ(out.rwdFwdGainAttenuation, prefs.GetPlayerRwdFwdGainAttenuation());
    EXPECT_EQ(out.multiAutoPlayWhenScrub, prefs.GetPlayerMultiAutoPlayWhenScrub());
    EXPECT_EQ(out.multiSpanConfinedInSel, prefs.GetPlayerMultiSpanConfinedInSel());
    EXPECT_EQ(out.fullSeqInLoopMode, prefs.GetSequenceFullSeqInLoopMode());
}

}  // namespace
