// The playable base: defaults by kind, the setters with their limits, stamps
// and modified marks, the transport flags, scrub mode, mute and solo with the
// active flag of the subs, and the span rule.

#include "AllocationProbe.h"
#include "QVObjectPlayableTestClasses.h"
#include "QVPlayableScrubber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlayableEnvironment());

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(QVObjectPlayable, DefaultsFollowTheKindAndThePreferences)
{
    QVPrefs& prefs = QVPrefs::sShared;
    QVPrefs const saved = prefs;
    prefs.SetPlayerDefaultLoopMode(false);
    prefs.SetPlayerMultiDefaultSpeed(2.0);
    prefs.SetPlayerMultiDefaultSpanDuration(3.0);
    PlayTestPtr<PlayTestAtomic> const atomic = NewPlayTest<PlayTestAtomic>();
    PlayTestPtr<PlayTestCursor> const cursor = NewPlayTest<PlayTestCursor>();
    PlayTestPtr<PlayTestSequence> const sequence = NewPlayTest<PlayTestSequence>();
    prefs = saved;
    PlayTestPtr<PlayTestCursor> const looping = NewPlayTest<PlayTestCursor>();

    struct Case {
        QVObjectPlayable const* playable;
        bool loop;
        double fadio;
        double speed;
        double span;
    };
    for (Case const& c : {Case{atomic.get(), false, 0.0, 1.0, 0.0}, Case{cursor.get(), false, 1.0, 2.0, 3.0},
                          Case{sequence.get(), false, 0.0, 0.0, 0.0},
                          Case{looping.get(), saved.GetPlayerDefaultLoopMode(), 1.0, saved.GetPlayerMultiDefaultSpeed(),
                               saved.GetPlayerMultiDefaultSpanDuration()}}) {
        SCOPED_TRACE(c.playable->GetKind());
        EXPECT_EQ(c.playable->IsUserLoop(), c.loop);
        EXPECT_EQ(c.playable->GetUserFadio(), c.fadio);
        EXPECT_EQ(c.playable->GetUserSpeed(), c.speed);
        EXPECT_EQ(c.playable->GetUserSpan(), c.span);
        EXPECT_EQ(c.playable->GetUserVolume(), 0.0);
        EXPECT_EQ(c.playable->GetUserGain(), 1.0);
        EXPECT_EQ(c.playable->GetUserSpeedSubx(), 1.0);
        EXPECT_EQ(c.playable->GetUserPhase(), 0.5);
        EXPECT_TRUE(c.playable->IsRActive());
        EXPECT_FALSE(c.playable->IsUserPlay() || c.playable->IsUserMute() || c.playable->IsUserSolo());
        EXPECT_EQ(c.playable->GetStateStamp(), kAKNullStampVers);
        EXPECT_EQ(&c.playable->GetFLSubPlayables(), &kQVNullObjectPlayableArray);
    }
}

TEST(QVObjectPlayable, RealSettersLimitStampAndMarkModified)
{
    typedef bool (QVObjectPlayable::*Setter)(double);
    typedef double (QVObjectPlayable::*Getter)() const;
    struct Case {
        char const* name;
        Setter setter;
        Getter getter;
        double value;
        double stored;
        bool changed;
    };
    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    double const subxMax = QVPrefs::sShared.GetPlayerSpeedSubxMax();
    Case const cases[] = {
        {"volume in range", &QVObjectPlayable::SetUserVolume, &QVObjectPlayable::GetUserVolume, -6.0, -6.0, true},
        {"volume above", &QVObjectPlayable::SetUserVolume, &QVObjectPlayable::GetUserVolume, 20.0, 12.0, true},
        {"volume below", &QVObjectPlayable::SetUserVolume, &QVObjectPlayable::GetUserVolume, -90.0, -48.0, true},
        {"volume same", &QVObjectPlayable::SetUserVolume, &QVObjectPlayable::GetUserVolume, 0.0, 0.0, false},
        {"volume NaN", &QVObjectPlayable::SetUserVolume, &QVObjectPlayable::GetUserVolume, kNaN, 0.0, false},
        {"gain above", &QVObjectPlayable::SetUserGain, &QVObjectPlayable::GetUserGain, 9.0, 4.0, true},
        {"gain below", &QVObjectPlayable::SetUserGain, &QVObjectPlayable::GetUserGain, -1.0, 0.0, true},
        {"gain same", &QVObjectPlayable::SetUserGain, &QVObjectPlayable::GetUserGain, 1.0, 1.0, false},
        {"panora", &QVObjectPlayable::SetUserPanora, &QVObjectPlayable::GetUserPanora, -3.0, -1.0, true},
        {"fadio", &QVObjectPlayable::SetUserFadio, &QVObjectPlayable::GetUserFadio, 1.5, 1.0, true},
        {"speed above", &QVObjectPlayable::SetUserSpeed, &QVObjectPlayable::GetUserSpeed, 100.0, speedMax, true},
        {"speed below", &QVObjectPlayable::SetUserSpeed, &QVObjectPlayable::GetUserSpeed, -100.0, -speedMax, true},
        {"speed same", &QVObjectPlayable::SetUserSpeed, &QVObjectPlayable::GetUserSpeed, 1.0, 1.0, false},
        {"wow", &QVObjectPlayable::SetUserSpeedWow, &QVObjectPlayable::GetUserSpeedWow, 2.0, 1.0, true},
        {"wow negative", &QVObjectPlayable::SetUserSpeedWow, &QVObjectPlayable::GetUserSpeedWow, -1.0, 0.0, false},
        {"subx", &QVObjectPlayable::SetUserSpeedSubx, &QVObjectPlayable::GetUserSpeedSubx, -50.0, -subxMax, true},
        {"phase", &QVObjectPlayable::SetUserPhase, &QVObjectPlayable::GetUserPhase, 1.2, 1.0, true},
        {"phase NaN", &QVObjectPlayable::SetUserPhase, &QVObjectPlayable::GetUserPhase, kNaN, 0.5, false},
    };
    for (Case const& c : cases) {
        PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
        player->SetModified(false);
        unsigned int const stamp = player->GetStateStamp();
        EXPECT_EQ(((*player).*c.setter)(c.value), c.changed) << c.name;
        EXPECT_EQ(((*player).*c.getter)(), c.stored) << c.name;
        EXPECT_EQ(player->GetStateStamp(), c.changed ? stamp + 1 : stamp) << c.name;
        EXPECT_EQ(player->IsModified(), c.changed) << c.name;
    }
}

TEST(QVObjectPlayable, VolumeAndGainAreTwoViewsOfOneLevel)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    EXPECT_TRUE(player->SetUserVolume(20.0));
    EXPECT_EQ(player->GetUserVolume(), 12.0);
    EXPECT_NEAR(player->GetUserGain(), std::pow(10.0, 0.6), 1e-12);
    EXPECT_TRUE(player->SetUserVolume(-6.0));
    EXPECT_NEAR(player->GetUserGain(), 0.501187, 1e-6);
    EXPECT_TRUE(player->SetUserVolume(-48.0));
    EXPECT_EQ(player->GetUserGain(), 0.0);

    EXPECT_TRUE(player->SetUserGain(4.0));
    EXPECT_NEAR(player->GetUserVolume(), 12.0412, 1e-4);  // the volume is not limited here
    EXPECT_TRUE(player->SetUserGain(0.0));
    EXPECT_EQ(player->GetUserVolume(), -48.0);
    EXPECT_TRUE(player->SetUserGain(1.0));
    EXPECT_EQ(player->GetUserVolume(), 0.0);
}

TEST(QVObjectPlayable, FlagSettersClearSetAndToggle)
{
    typedef bool (QVObjectPlayable::*Setter)(unsigned int);
    typedef bool (QVObjectPlayable::*Getter)() const;
    struct Flag {
        char const* name;
        Setter setter;
        Getter getter;
        bool saved;  // marks the object modified
    };
    for (Flag const& f : {Flag{"Loop", &QVObjectPlayable::SetUserLoop, &QVObjectPlayable::IsUserLoop, true},
                          Flag{"Stated", &QVObjectPlayable::SetUserStated, &QVObjectPlayable::IsUserStated, true},
                          Flag{"Mute", &QVObjectPlayable::SetUserMute, &QVObjectPlayable::IsUserMute, true},
                          Flag{"Solo", &QVObjectPlayable::SetUserSolo, &QVObjectPlayable::IsUserSolo, true},
                          Flag{"Play", &QVObjectPlayable::SetUserPlay, &QVObjectPlayable::IsUserPlay, false},
                          Flag{"Rewind", &QVObjectPlayable::SetUserRewind, &QVObjectPlayable::IsUserRewind, false},
                          Flag{"Forward", &QVObjectPlayable::SetUserForward, &QVObjectPlayable::IsUserForward, false},
                          Flag{"Scrub", &QVObjectPlayable::SetUserScrubMode, &QVObjectPlayable::IsUserScrub, false}}) {
        PlayTestPtr<PlayTestSequence> const playable = NewPlayTest<PlayTestSequence>();  // Loop starts off
        QVObjectPlayable& p = *playable;
        struct Step {
            unsigned int request;
            bool changed;
            bool after;
        };
        for (Step const& s : {Step{0, false, false}, Step{1, true, true}, Step{1, false, true}, Step{2, true, false},
                              Step{7, true, true}, Step{0, true, false}}) {
            p.SetModified(false);
            unsigned int const stamp = p.GetStateStamp();
            EXPECT_EQ((p.*f.setter)(s.request), s.changed) << f.name << " " << s.request;
            EXPECT_EQ((p.*f.getter)(), s.after) << f.name << " " << s.request;
            EXPECT_EQ(p.GetStateStamp() != stamp, s.changed) << f.name << " " << s.request;
            EXPECT_EQ(p.IsModified(), s.changed && f.saved) << f.name << " " << s.request;
        }
    }
}

TEST(QVObjectPlayable, PlayEndsRewindAndForward)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    // Play while rewinding: a change even though Play is already set.
    player->SetUserPlay(1);
    player->SetUserRewind(1);
    EXPECT_TRUE(player->SetUserPlay(1));
    EXPECT_TRUE(player->IsUserPlay());
    EXPECT_FALSE(player->IsUserRewind());
    // Toggling normal play stops it.
    EXPECT_TRUE(player->SetUserPlay(2));
    EXPECT_FALSE(player->IsUserPlay());
    // Toggling while forwarding starts normal play.
    player->SetUserForward(1);
    EXPECT_TRUE(player->SetUserPlay(2));
    EXPECT_TRUE(player->IsUserPlay());
    EXPECT_FALSE(player->IsUserForward());
    // Stopping while forwarding stops and ends forwarding.
    player->SetUserForward(1);
    EXPECT_TRUE(player->SetUserPlay(0));
    EXPECT_FALSE(player->IsUserPlay() || player->IsUserForward());
}

TEST(QVObjectPlayable, RewindAndForwardExcludeEachOtherAndStartTheirRamp)
{
    struct Case {
        bool playing;
        double speed;
        double ramp;
    };
    for (Case const& c : {Case{false, 3.0, 1.0}, Case{true, -0.05, 0.1}, Case{true, -2.5, 2.5}, Case{true, 0.0, 0.1}}) {
        PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
        player->SetUserSpeed(c.speed);
        player->SetUserPlay(c.playing ? 1 : 0);
        EXPECT_TRUE(player->SetUserRewind(1));
        EXPECT_EQ(player->GetRwdFwdSpeed(), c.ramp) << c.playing << " " << c.speed;
        EXPECT_TRUE(player->SetUserForward(1));
        EXPECT_FALSE(player->IsUserRewind());
        EXPECT_EQ(player->GetRwdFwdSpeed(), c.ramp);
        // Clearing Rewind while forwarding changes nothing: Forward stays.
        EXPECT_FALSE(player->SetUserRewind(0));
        EXPECT_TRUE(player->IsUserForward());
        EXPECT_TRUE(player->SetUserForward(0));
    }
}

TEST(QVObjectPlayable, SpeedSensFlipsTheSpeedEveryTime)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->SetModified(false);
    EXPECT_TRUE(player->DoUserSpeedSens());
    EXPECT_EQ(player->GetUserSpeed(), -1.0);
    EXPECT_TRUE(player->IsModified());
    player->SetUserSpeed(0.0);
    unsigned int const stamp = player->GetStateStamp();
    EXPECT_TRUE(player->DoUserSpeedSens());
    EXPECT_EQ(player->GetStateStamp(), stamp + 1);
}

TEST(QVObjectPlayable, SpanRule)
{
    double const minimum = QVPrefs::sShared.GetPlayerMultiMinSpanDuration();
    struct Case {
        QVPlayableKind kind;
        double requested;
        double span;
    };
    for (Case const& c : {Case{kQVPlayableKindAtomic, 3.0, 0.0}, Case{kQVPlayableKindAtomicStandalone, 3.0, 0.0},
                          Case{kQVPlayableKindAtomicSub, 3.0, 0.0}, Case{kQVPlayableKindSequence, 5e-7, 0.0},
                          Case{kQVPlayableKindSequence, -5e-7, 0.0}, Case{kQVPlayableKindSequence, 2e-6, minimum},
                          Case{kQVPlayableKindSequence, 5.0, 5.0}, Case{kQVPlayableKindCursor, 0.0, minimum},
                          Case{kQVPlayableKindCursor, minimum / 2, minimum}, Case{kQVPlayableKindCursor, 4.0, 4.0}}) {
        EXPECT_EQ(QVObjectPlayable::LowCheckSpanDuration(c.kind, c.requested), c.span)
            << std::hex << c.kind << " " << c.requested;
    }

    // Through the time and span entry: a span change marks modified.
    PlayTestPtr<PlayTestCursor> const cursor = NewPlayTest<PlayTestCursor>();
    cursor->SetModified(false);
    EXPECT_TRUE(cursor->LowSetUserTimeAndSpan(cursor->GetUserTime(), minimum / 10, false));
    EXPECT_EQ(cursor->GetUserSpan(), minimum);
    EXPECT_TRUE(cursor->IsModified());
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->SetModified(false);
    EXPECT_FALSE(player->LowSetUserTimeAndSpan(0.0, 3.0, false));
    EXPECT_EQ(player->GetUserSpan(), 0.0);
}

TEST(QVObjectPlayable, AUserTimeRaisesTheTimeSetFlagWithoutMarkingModified)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->SetModified(false);
    unsigned int const stamp = player->GetStateStamp();
    EXPECT_TRUE(player->LowSetUserTimeAndSpan(12.5, 0.0, false));
    EXPECT_EQ(player->GetUserTime(), 12.5);
    EXPECT_TRUE(player->IsTimeSet());
    EXPECT_FALSE(player->IsModified());
    EXPECT_EQ(player->GetStateStamp(), stamp + 1);
    EXPECT_FALSE(player->LowSetUserTimeAndSpan(12.5, 0.0, false));
}

TEST(QVObjectPlayable, ScrubModeOwnsAScrubberThatTakesTheTimes)
{
    QVPrefs const saved = QVPrefs::sShared;
    QVPrefs::sShared.SetPlayerScratchEnabled(true);
    QVPrefs::sShared.SetPlayerScratchAlgoMode(1);

    // A standalone single player scratches: the scrubber follows.
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->MakeStandalone();
    player->LowSetUserTimeAndSpan(4.0, 0.0, false);
    ASSERT_TRUE(player->SetUserScrubMode(1));
    ASSERT_NE(player->GetScrubber(), nullptr);
    EXPECT_TRUE(player->IsScrubFollow());
    EXPECT_EQ(player->GetScrubSpeed(), 0.0);

    // With the follow flag the scrubber moves the time, block by block.
    EXPECT_TRUE(player->LowSetUserTimeAndSpan(5.0, 0.0, false));
    EXPECT_EQ(player->GetUserTime(), 4.0);
    bool stop = true;
    unsigned int const stamp = player->GetStateStamp();
    {
        AllocationProbe probe;
        EXPECT_TRUE(player->RTAdvanceScrubber(256.0 / 44100.0, &stop));
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_FALSE(stop);
    EXPECT_NEAR(player->GetScrubSpeed(), 16.2, 0.05);
    EXPECT_EQ(player->GetStateStamp(), stamp + 1);

    // Off: no scrubber, no speed, no follow.
    EXPECT_TRUE(player->SetUserScrubMode(0));
    EXPECT_EQ(player->GetScrubber(), nullptr);
    EXPECT_EQ(player->GetScrubSpeed(), 0.0);
    EXPECT_FALSE(player->IsScrubFollow());
    EXPECT_FALSE(player->RTAdvanceScrubber(0.01, &stop));
    EXPECT_FALSE(stop);

    // A multi-player never scratches: its time jumps to the target.
    PlayTestPtr<PlayTestCursor> const cursor = NewPlayTest<PlayTestCursor>();
    ASSERT_TRUE(cursor->SetUserScrubMode(1));
    EXPECT_FALSE(cursor->IsScrubFollow());
    EXPECT_TRUE(cursor->LowSetUserTimeAndSpan(7.0, cursor->GetUserSpan(), false));
    EXPECT_EQ(cursor->GetUserTime(), 7.0);
    EXPECT_FALSE(cursor->IsTimeSet());
    QVPrefs::sShared = saved;
}

// A sequence of `count` players.
struct SequenceFixture {
    explicit SequenceFixture(unsigned int count) : sequence(NewPlayTest<PlayTestSequence>())
    {
        for (unsigned int i = 0; i < count; ++i) {
            players.push_back(NewPlayTest<PlayTestAtomic>());
            sequence->AddPlayer(players.back().get());
        }
    }
    ~SequenceFixture()
    {
        players.clear();  // before the sequence whose array they are in
    }
    PlayTestPtr<PlayTestSequence> sequence;
    std::vector<PlayTestPtr<PlayTestAtomic>> players;
};

TEST(QVObjectPlayable, SoloingTheOnlyPlayerOfASequenceSolosTheSequence)
{
    SequenceFixture f(1);
    PlayTestAtomic* const player = f.players[0].get();
    EXPECT_EQ(player->GetFLParentPlayable(), f.sequence.get());
    EXPECT_EQ(player->GetFLIndex(), 1u);

    EXPECT_TRUE(player->SetUserSolo(1));
    EXPECT_TRUE(f.sequence->IsUserSolo());
    EXPECT_EQ(f.sequence->GetSoloCount(), 1);
    EXPECT_TRUE(player->IsRActive());

    EXPECT_TRUE(player->SetUserSolo(2));
    EXPECT_FALSE(f.sequence->IsUserSolo());
    EXPECT_EQ(f.sequence->GetSoloCount(), 0);
}

TEST(QVObjectPlayable, SoloingOneOfTwoPlayersSilencesTheOtherOnly)
{
    SequenceFixture f(2);
    PlayTestAtomic* const first = f.players[0].get();
    PlayTestAtomic* const second = f.players[1].get();
    unsigned int const stamp = second->GetStateStamp();

    EXPECT_TRUE(first->SetUserSolo(1));
    EXPECT_FALSE(f.sequence->IsUserSolo());
    EXPECT_TRUE(first->IsRActive());
    EXPECT_FALSE(second->IsRActive());
    EXPECT_EQ(second->GetStateStamp(), stamp + 1);  // the active flag moved

    // Both soloed: both sound; then muting one silences it alone.
    EXPECT_TRUE(second->SetUserSolo(1));
    EXPECT_TRUE(second->IsRActive());
    EXPECT_EQ(f.sequence->GetSoloCount(), 2);
    EXPECT_TRUE(second->SetUserMute(1));
    EXPECT_FALSE(second->IsRActive());
    EXPECT_TRUE(first->IsRActive());

    // Muting the sequence silences everything below it, unmuting restores.
    f.sequence->SetUserMute(1);
    EXPECT_FALSE(f.sequence->IsRActive());
    EXPECT_FALSE(first->IsRActive());
    f.sequence->SetUserMute(0);
    EXPECT_TRUE(first->IsRActive());
    EXPECT_FALSE(second->IsRActive());

    // Resetting makes everyone active, unmuted and unsoloed.
    f.sequence->rResetAllMutesAndSolos();
    EXPECT_EQ(f.sequence->GetSoloCount(), 0);
    for (PlayTestAtomic* player : {first, second}) {
        EXPECT_TRUE(player->IsRActive());
        EXPECT_FALSE(player->IsUserMute() || player->IsUserSolo());
    }
}

TEST(QVObjectPlayable, ActiveFlagWalksStopWhereNothingChangesUnlessForced)
{
    SequenceFixture f(2);
    PlayTestAtomic* const second = f.players[1].get();
    unsigned int const stamp = second->GetStateStamp();
    // The sequence's flag does not change: the players are not visited.
    f.sequence->rUpdateRActiveFlag(false, true, false);
    EXPECT_EQ(second->GetStateStamp(), stamp);
    // A folder level silencing its unsoloed children reaches the players.
    QVObjectPoolableArray level;
    level.Push(f.sequence.get());
    QVObjectPlayable::UpdateRActiveFlagOfArray(level, false, true, true);
    EXPECT_FALSE(f.sequence->IsRActive());
    EXPECT_FALSE(second->IsRActive());
    QVObjectPlayable::UpdateRActiveFlagOfArray(level, true, true, false);
    EXPECT_TRUE(second->IsRActive());
}

}  // namespace
