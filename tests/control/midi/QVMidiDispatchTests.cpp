// Messages driven through the MIDI handler's packet entry point into a
// document of real sequences, players and tracks: which patches learn and
// match, in which order, and what they send to the objects' parameters.

#include "LogCapture.h"
#include "MidiTestDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Joined(LogCapture const& log)
{
    std::string text;
    for (std::string const& line : log.Lines())
        text += line;
    return text;
}

double Param(AKObject const* object, unsigned int id)
{
    double x = -999.0;
    QVParams::GetObjectParameter(object, id, 0, &x, nullptr, nullptr);
    return x;
}

// "Intro": track A, single player P1, multi-player M with two subs.
// The player folder holds a multi-player "Loose" with two subs.
class QVMidiDispatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "Intro",
                                 {SeqNode("track", "A"), SeqNode("atomic", "P1"),
                                  SeqNode("cursor", "M", {SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)})})},
                        {SeqNode("cursor", "Loose", {SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)})});
        ASSERT_TRUE(mDoc.Load(form));
        mIntro = mDoc.Sequence(0);
        mTrack = MidiChild(mIntro, 0);
        mP1 = MidiChild(mIntro, 1);
        mMulti = MidiChild(mIntro, 2);
        mLoose = mDoc.Players()->GetFLSubPlayers()[0];
        ASSERT_TRUE(mTrack->IsKindOfT<QVObjectTrack>() && mP1->IsKindOfT<QVObjectAtomic>());
        ASSERT_TRUE(mMulti->IsKindOfT<QVObjectCursor>() && mLoose->IsKindOfT<QVObjectCursor>());
    }
    void TearDown() override { QVPrefs::sShared.SetupDefaults(); }

    QVMidiResult Send(std::vector<uint8_t> const& bytes)
    {
        QVMidiResult result;
        QVMidiGandler::sShared.HandleReceivedMidiPacket(mDoc.Get(), bytes.data(), int(bytes.size()), &result);
        return result;
    }

    MidiTestDocument mDoc;
    QVObjectSequence* mIntro = nullptr;
    AKObject* mTrack = nullptr;
    AKObject* mP1 = nullptr;
    AKObject* mMulti = nullptr;
    AKObject* mLoose = nullptr;
};

TEST_F(QVMidiDispatchTest, ControllersMatchByChannelAndSendTheirRange)
{
    // Channel 0 takes every channel; channel 3 only the status nibble 2.
    MidiMap(mP1, kQVPrmID_Volume, kQVMidiMessageType_Controller, 0, 7);
    MidiMap(mTrack, kQVPrmID_Volume, kQVMidiMessageType_Controller, 3, 7);
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t matched;
        double playerVolume;
        double trackVolume;
    };
    Case const cases[] = {
        {{0xB0, 7, 127}, 1, 6.0, 0.0},    // top of the default range
        {{0xB2, 7, 0}, 2, -12.0, -12.0},  // channel nibble 2 is channel 3
        {{0xB5, 7, 127}, 1, 6.0, -12.0},  // another channel: the player only
        {{0xB2, 8, 127}, 0, 6.0, -12.0},  // another controller
        {{0x92, 7, 100}, 0, 6.0, -12.0},  // a note of the same number
    };
    for (Case const& c : cases) {
        QVMidiResult const result = Send(c.bytes);
        EXPECT_EQ(result.mMatchedCount, c.matched) << int(c.bytes[0]);
        EXPECT_EQ(result.mActedCount, c.matched) << int(c.bytes[0]);
        EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Volume), c.playerVolume) << int(c.bytes[0]);
        EXPECT_DOUBLE_EQ(Param(mTrack, kQVPrmID_Volume), c.trackVolume) << int(c.bytes[0]);
    }
}

TEST_F(QVMidiDispatchTest, NoteOffIsANoteOfValueZeroForEveryKindOfPatch)
{
    MidiMap(mP1, kQVPrmID_Volume, kQVMidiMessageType_Note, 0, 60);   // numeric
    MidiMap(mP1, kQVPrmID_ToBegin, kQVMidiMessageType_Note, 0, 60);  // action
    MidiMap(mP1, kQVPrmID_Mute, kQVMidiMessageType_Note, 0, 60,
            kQVStarterBehaviorToggle);                               // toggle flag
    MidiMap(mMulti, kQVPrmID_Mute, kQVMidiMessageType_Note, 0, 60);  // push flag
    QVParams::SetObjectParameter(mP1, kQVPrmID_Volume, 0, 3.0, 0, false, nullptr);
    QVParams::SetObjectParameter(mP1, kQVPrmID_Mute, 0, 1.0, 0, false, nullptr);
    QVParams::SetObjectParameter(mMulti, kQVPrmID_Mute, 0, 1.0, 0, false, nullptr);

    QVMidiResult const result = Send({0x80, 0x3C, 0x40});
    EXPECT_EQ(result.mMessage.mType, kQVMidiMessageType_Note);
    EXPECT_EQ(result.mMessage.mValue, 0);
    EXPECT_EQ(result.mMatchedCount, 4u);
    EXPECT_EQ(result.mActedCount, 1u);  // only the push flag sends its 0
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Volume), 3.0);
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Mute), 1.0);
    EXPECT_DOUBLE_EQ(Param(mMulti, kQVPrmID_Mute), 0.0);

    // The press: the toggle inverts, the push sets.
    Send({0x90, 0x3C, 0x40});
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Mute), 0.0);
    EXPECT_DOUBLE_EQ(Param(mMulti, kQVPrmID_Mute), 1.0);
}

TEST_F(QVMidiDispatchTest, PresetCallsCoverANoteRange)
{
    ASSERT_TRUE(mIntro->DoUserPresetSave(4));
    QVMidiParamPatch* const patch = MidiMap(mIntro, kQVPrmID_PresetCall, kQVMidiMessageType_Note, 0, 60);
    ASSERT_NE(patch, nullptr);
    EXPECT_TRUE(patch->SetMatchMidiNumMore(9));
    EXPECT_EQ(Send({0x90, 59, 100}).mMatchedCount, 0u);
    EXPECT_EQ(Send({0x90, 70, 100}).mMatchedCount, 0u);
    EXPECT_EQ(Send({0x90, 64, 0}).mActedCount, 0u);  // a release recalls nothing
    QVMidiResult const result = Send({0x90, 64, 100});
    EXPECT_EQ(result.mMatchedCount, 1u);
    EXPECT_EQ(result.mActedCount, 1u);
}

TEST_F(QVMidiDispatchTest, PitchBendAndChannelPressureDriveRealParameters)
{
    MidiMap(mP1, kQVPrmID_Panora, kQVMidiMessageType_PitchBend, 0, 0);
    MidiMap(mP1, kQVPrmID_Speed, kQVMidiMessageType_ChannPress, 1, 20);
    // Pitch bend: the first data byte is the number, the second the value.
    EXPECT_EQ(Send({0xE0, 0, 127}).mActedCount, 1u);
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Panora), 1.0);
    EXPECT_EQ(Send({0xE0, 1, 127}).mMatchedCount, 0u);
    // Channel pressure has one data byte: value 0, the range's begin.
    EXPECT_EQ(Send({0xD0, 20}).mActedCount, 1u);
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Speed), 0.25);
}

TEST_F(QVMidiDispatchTest, LearnModeTakesTheFirstMessageAndActsAtOnce)
{
    QVPrefs::sShared.SetMidiLearnAnyChannel(false);
    QVMidiParamPatch* const patch = MidiPatcherOf(mP1)->FindParamByTemplateID(kQVPrmID_Mute);
    patch->SetModeLearn(true);
    QVMidiResult result = Send({0xC4, 9});  // program change 9 on channel 5
    EXPECT_EQ(result.mLearnedCount, 1u);
    EXPECT_EQ(result.mMatchedCount, 1u);
    EXPECT_EQ(patch->GetMatchMidiType(), uint32_t(kQVMidiMessageType_ProgChange));
    EXPECT_EQ(patch->GetMatchMidiChannel(), 5u);
    EXPECT_EQ(patch->GetMatchMidiNumber(), 9u);
    EXPECT_TRUE(patch->IsModeLearn());  // the engine never ends learning itself
    EXPECT_TRUE(mP1->IsModified());
    // A program change has no value: a push flag is released.
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Mute), 0.0);

    // Still learning: the next message replaces the mapping.
    QVPrefs::sShared.SetMidiLearnAnyChannel(true);
    result = Send({0xB1, 64, 127});
    EXPECT_EQ(result.mLearnedCount, 1u);
    EXPECT_EQ(patch->GetMatchMidiChannel(), 0u);
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Mute), 1.0);
    patch->SetModeLearn(false);
    EXPECT_EQ(Send({0xB9, 64, 127}).mLearnedCount, 0u);
}

TEST_F(QVMidiDispatchTest, ObjectsAreVisitedInTheFixedOrderAndFreeSubsAreNot)
{
    // Every object learns; the counts tell which were offered the message.
    AKObject* const objects[] = {mIntro, mP1, mMulti, MidiChild(mMulti, 0), mTrack, mLoose};
    for (AKObject* object : objects)
        MidiPatcherOf(object)->FindParamByTemplateID(kQVPrmID_Volume)->SetModeLearn(true);
    MidiPatcherOf(MidiChild(mLoose, 0))->FindParamByTemplateID(kQVPrmID_Volume)->SetModeLearn(true);
    QVMidiResult const result = Send({0xB0, 1, 0});
    EXPECT_EQ(result.mLearnedCount, 6u);
    EXPECT_FALSE(MidiPatcherOf(MidiChild(mLoose, 0))->FindParamByTemplateID(kQVPrmID_Volume)->IsMapped());
}

TEST_F(QVMidiDispatchTest, ShortAndSystemMessagesChangeNothing)
{
    QVMidiParamPatch* const patch = MidiPatcherOf(mP1)->FindParamByTemplateID(kQVPrmID_Volume);
    ASSERT_FALSE(patch->IsMapped());  // number 0, channel 0, but type None
    LogCapture log;
    QVPrefs::sShared.SetMidiLogRawMessages(true);
    QVMidiResult result;
    uint8_t const one[] = {0xB0};
    EXPECT_FALSE(QVMidiGandler::sShared.HandleReceivedMidiPacket(mDoc.Get(), one, 1, &result));
    EXPECT_EQ(Joined(log).find("# MIDI"), std::string::npos);
    EXPECT_FALSE(QVMidiGandler::sShared.HandleReceivedMidiPacket(mDoc.Get(), nullptr, 3, &result));

    result = Send({0xF2, 0, 0});
    EXPECT_EQ(result.mMessage.mType, kQVMidiMessageType_None);
    EXPECT_EQ(result.mMatchedCount, 0u);
    EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Volume), 0.0);
    EXPECT_NE(Joined(log).find("Raw:[242 000 000]    Match:0"), std::string::npos) << Joined(log);
}

TEST_F(QVMidiDispatchTest, PlayFollowsTheStarterBehaviours)
{
    QVMidiParamPatch* const patch = MidiMap(mP1, kQVPrmID_Play, kQVMidiMessageType_Note, 0, 36);
    struct Step {
        uint32_t behavior;
        uint8_t velocity;
        double play;
    };
    Step const steps[] = {
        {kQVStarterBehaviorPush, 90, 1.0},          {kQVStarterBehaviorPush, 0, 0.0},
        {kQVStarterBehaviorToggle, 90, 1.0},        {kQVStarterBehaviorToggle, 0, 1.0},
        {kQVStarterBehaviorToggle, 90, 0.0},        {kQVStarterBehaviorPushAndBack, 90, 1.0},
        {kQVStarterBehaviorPushAndBack, 0, 0.0},    {kQVStarterBehaviorBackAndRepeat, 90, 1.0},
        {kQVStarterBehaviorBackAndRepeat, 90, 1.0},
    };
    for (Step const& step : steps) {
        patch->SetDestBehavior(step.behavior);
        EXPECT_EQ(Send({0x90, 36, step.velocity}).mMatchedCount, 1u);
        EXPECT_DOUBLE_EQ(Param(mP1, kQVPrmID_Play), step.play)
            << "behaviour " << step.behavior << " velocity " << int(step.velocity);
    }
}

}  // namespace
