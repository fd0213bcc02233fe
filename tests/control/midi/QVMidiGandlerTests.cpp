// The shared MIDI handler: its template table built from the parameter
// table, the handling of received packets and their log line, and the values
// a matching message sends to a parameter.

#include "LogCapture.h"
#include "QVMidiControlValue.h"
#include "QVMidiGandler.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// A parameter table holding the mappable parameters with plausible ranges.
class FakeParams : public QVMidiParamSource
{
public:
    FakeParams()
    {
        Add(0, kQVMidiParamType_Action, "None", 0, 0);
        Add(3, kQVMidiParamType_Flag, "Play", 0, 1);
        Add(8, kQVMidiParamType_Action, "Rewind", 0, 0);
        Add(9, kQVMidiParamType_Action, "Forward", 0, 0);
        Add(10, kQVMidiParamType_Action, "ToBegin", 0, 0);
        Add(11, kQVMidiParamType_Action, "ToEnd", 0, 0);
        Add(17, kQVMidiParamType_Real, "Span", 0.05, 1);  // narrower than the template's default
        Add(19, kQVMidiParamType_Real, "Speed", 0.5, 8);
        Add(21, kQVMidiParamType_Real, "SpeedWow", -1, 1);
        Add(22, kQVMidiParamType_Real, "SpeedSubx", 0.25, 4);
        Add(23, kQVMidiParamType_Integer, "SpeedSens", 1, 10);
        Add(24, kQVMidiParamType_Action, "SpeedLess", 0, 0);
        Add(25, kQVMidiParamType_Action, "SpeedMore", 0, 0);
        Add(26, kQVMidiParamType_Flag, "Mute", 0, 1);
        Add(27, kQVMidiParamType_Flag, "Solo", 0, 1);
        Add(28, kQVMidiParamType_Real, "Volume", -60, 12);
        Add(30, kQVMidiParamType_Real, "Panora", -1, 1);
        Add(31, kQVMidiParamType_Real, "Fadio", 0, 1);
        Add(36, kQVMidiParamType_Action, "PresetCall", 0, 0);
        Add(37, kQVMidiParamType_Real, "PresetDur", 0, 3);  // below the template's default end
    }

    void Remove(uint32_t id) { mInfos.erase(id); }

    bool GetMidiParamInfo(uint32_t paramID, QVMidiParamInfo& info) const override
    {
        auto const found = mInfos.find(paramID);
        if (found == mInfos.end())
            return false;
        info = found->second;
        return true;
    }

private:
    void Add(uint32_t id, uint32_t type, char const* name, double minimum, double maximum)
    {
        QVMidiParamInfo info;
        info.mType = type;
        info.mDisplayName = name;
        info.mPersistentName = (std::string(name) + "Xml").c_str();
        info.mMinimum = minimum;
        info.mMaximum = maximum;
        mInfos[id] = info;
    }

    std::map<uint32_t, QVMidiParamInfo> mInfos;
};

class QVMidiGandlerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        QVMidiGandler::sShared.Terminate();
        QVPrefs::sShared.SetMidiLogRawMessages(false);
    }
};

TEST_F(QVMidiGandlerTest, TemplatesTakeTheParameterTableEntries)
{
    QVMidiGandler& gandler = QVMidiGandler::sShared;
    gandler.InitializeWithParams(FakeParams());

    struct Expected {
        uint32_t id;
        QVMidiParamTemplate const* tmpl;
        uint32_t type;
        char const* name;
        double begin, end;
        bool advanced;
        uint32_t extra;
    };
    Expected const table[] = {
        {3, &kQVMidiParamTemplate_Play, kQVMidiParamType_Flag, "Play", 0, 1, false, 0},
        {17, &kQVMidiParamTemplate_Span, kQVMidiParamType_Real, "Span", 0.05, 1, false, 0},   // begin clamped
        {19, &kQVMidiParamTemplate_Speed, kQVMidiParamType_Real, "Speed", 0.5, 4, false, 0},  // begin clamped
        {22, &kQVMidiParamTemplate_SpeedSubx, kQVMidiParamType_Real, "SpeedSubx", 0.5, 2, false, 0},
        {28, &kQVMidiParamTemplate_Volume, kQVMidiParamType_Real, "Volume", -12, 6, false, 0},
        {30, &kQVMidiParamTemplate_Panora, kQVMidiParamType_Real, "Panora", -1, 1, false, 0},  // whole range
        {36, &kQVMidiParamTemplate_PresetCall, kQVMidiParamType_Action, "PresetCall", 0, 0, false, 10},
        {37, &kQVMidiParamTemplate_PresetDur, kQVMidiParamType_Real, "PresetDur", 0, 3, false, 0},  // end clamped
        {10, &kQVMidiParamTemplate_ToBegin, kQVMidiParamType_Action, "ToBegin", 0, 0, true, 0},
        {23, &kQVMidiParamTemplate_SpeedSens, kQVMidiParamType_Integer, "SpeedSens", 1, 10, true, 0},
        {25, &kQVMidiParamTemplate_SpeedMore, kQVMidiParamType_Action, "SpeedMore", 0, 0, true, 0},
    };
    for (Expected const& e : table) {
        SCOPED_TRACE(e.name);
        QVMidiParamTemplate const* tmpl = gandler.GetTemplateByID(e.id);
        ASSERT_EQ(tmpl, e.tmpl);
        EXPECT_EQ(tmpl->mParamID, e.id);
        EXPECT_EQ(tmpl->mParamType, e.type);
        EXPECT_STREQ(tmpl->mDisplayName.c_str(), e.name);
        EXPECT_EQ(std::string(tmpl->mPersistentName.c_str()), std::string(e.name) + "Xml");
        EXPECT_DOUBLE_EQ(tmpl->mDefaultValueBegin, e.begin);
        EXPECT_DOUBLE_EQ(tmpl->mDefaultValueEnd, e.end);
        EXPECT_EQ(tmpl->mAdvanced, e.advanced);
        EXPECT_EQ(tmpl->mExtraNumbers, e.extra);
    }

    // Twenty templates, the null one in slot 0, which the lookup never returns.
    EXPECT_EQ(kQVMidiParamTemplateDefCount, 20u);
    unsigned int filled = 0;
    for (uint32_t id = 0; id < QVMidiGandler::kTemplateSlotCount; ++id)
        filled += gandler.GetTemplateByID(id) != nullptr ? 1 : 0;
    EXPECT_EQ(filled, 19u);
    EXPECT_EQ(gandler.GetTemplateByID(0), nullptr);
    EXPECT_EQ(gandler.GetTemplateByID(1), nullptr);  // a parameter with no template
    EXPECT_EQ(gandler.GetTemplateByID(46), nullptr);
    EXPECT_EQ(gandler.GetTemplateByID(47), nullptr);  // past the table
    EXPECT_EQ(gandler.GetTemplateByID(0xFFFFFFFFu), nullptr);
}

TEST_F(QVMidiGandlerTest, TerminateAndReinitialiseRebuildTheTable)
{
    QVMidiGandler& gandler = QVMidiGandler::sShared;
    FakeParams params;
    gandler.InitializeWithParams(params);
    ASSERT_NE(gandler.GetTemplateByID(28), nullptr);
    gandler.Terminate();
    for (uint32_t id = 0; id < QVMidiGandler::kTemplateSlotCount; ++id)
        EXPECT_EQ(gandler.GetTemplateByID(id), nullptr) << id;

    // A parameter the table lacks leaves its slot empty, with a log line; the
    // earlier table does not leak into the new one.
    params.Remove(28);
    LogCapture log;
    gandler.InitializeWithParams(params);
    EXPECT_EQ(gandler.GetTemplateByID(28), nullptr);
    EXPECT_NE(gandler.GetTemplateByID(30), nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("28"), std::string::npos);
}

TEST_F(QVMidiGandlerTest, HandlingDecodesAndLogsWhenAsked)
{
    QVMidiGandler& gandler = QVMidiGandler::sShared;
    LogCapture log;
    uint8_t const noteOff[] = {0x80, 0x3C, 0x40};
    QVMidiResult result;
    result.mMatchedCount = 99;

    QVPrefs::sShared.SetMidiLogRawMessages(false);
    EXPECT_TRUE(gandler.HandleReceivedMidiPacket(nullptr, noteOff, 3, &result));
    EXPECT_EQ(int(result.mMessage.mType), int(kQVMidiMessageType_Note));
    EXPECT_EQ(int(result.mMessage.mNumber), 60);
    EXPECT_EQ(int(result.mMessage.mValue), 0);
    EXPECT_EQ(result.mLearnedCount + result.mMatchedCount + result.mActedCount, 0u);
    EXPECT_TRUE(log.Lines().empty());

    QVPrefs::sShared.SetMidiLogRawMessages(true);
    EXPECT_TRUE(gandler.HandleReceivedMidiPacket(nullptr, noteOff, 3));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "# MIDI: Note         Cha:00 Num:060 Val:000    Raw:[128 060 064]    Match:0\n");

    // One byte: nothing decoded, nothing logged.
    log.Clear();
    uint8_t const lone[] = {0x90};
    EXPECT_FALSE(gandler.HandleReceivedMidiPacket(nullptr, lone, 1, &result));
    EXPECT_EQ(result.mMessage, QVMidiMessage());
    EXPECT_FALSE(gandler.HandleReceivedMidiPacket(nullptr, nullptr, 3));
    EXPECT_TRUE(log.Lines().empty());
}

// --- Values sent by a matching message ---

QVMidiMessage Msg(uint8_t type, uint8_t number, uint8_t value)
{
    QVMidiMessage m;
    m.mType = type;
    m.mNumber = number;
    m.mValue = value;
    return m;
}

QVMidiControlMapping Mapping(uint32_t paramType, double begin = 0, double end = 0)
{
    QVMidiControlMapping mapping;
    mapping.mParamType = paramType;
    mapping.mValueBegin = begin;
    mapping.mValueEnd = end;
    return mapping;
}

TEST(QVMidiControlValue, NumericParametersScaleTheValue)
{
    QVMidiControlMapping const volume = Mapping(kQVMidiParamType_Real, -12, 6);
    QVMidiControlSend send = QVMidiComputeControlSend(volume, Msg(kQVMidiMessageType_Controller, 7, 127));
    EXPECT_TRUE(send.mSend);
    EXPECT_DOUBLE_EQ(send.mValue, 6.0);
    send = QVMidiComputeControlSend(volume, Msg(kQVMidiMessageType_Controller, 7, 0));
    EXPECT_TRUE(send.mSend);
    EXPECT_DOUBLE_EQ(send.mValue, -12.0);
    send =
        QVMidiComputeControlSend(Mapping(kQVMidiParamType_Integer, 10, 0), Msg(kQVMidiMessageType_PitchBend, 0, 127));
    EXPECT_DOUBLE_EQ(send.mValue, 0.0);  // reversed ranges work too

    // A note release leaves numeric parameters alone.
    EXPECT_FALSE(QVMidiComputeControlSend(volume, Msg(kQVMidiMessageType_Note, 60, 0)).mSend);
    send = QVMidiComputeControlSend(volume, Msg(kQVMidiMessageType_Note, 60, 127));
    EXPECT_DOUBLE_EQ(send.mValue, 6.0);
}

TEST(QVMidiControlValue, ActionsFireOnPressOnly)
{
    QVMidiControlMapping preset = Mapping(kQVMidiParamType_Action);
    preset.mNumber = 60;
    preset.mHasExtraNumbers = true;
    QVMidiControlSend send = QVMidiComputeControlSend(preset, Msg(kQVMidiMessageType_Note, 64, 1));
    EXPECT_TRUE(send.mSend);
    EXPECT_EQ(send.mIndex, 4u);
    EXPECT_DOUBLE_EQ(send.mValue, 0.0);
    EXPECT_FALSE(QVMidiComputeControlSend(preset, Msg(kQVMidiMessageType_Note, 64, 0)).mSend);

    QVMidiControlMapping rewind = Mapping(kQVMidiParamType_Action);
    rewind.mNumber = 20;
    send = QVMidiComputeControlSend(rewind, Msg(kQVMidiMessageType_Controller, 25, 64));
    EXPECT_TRUE(send.mSend);
    EXPECT_EQ(send.mIndex, 0u);  // no extra numbers: always index 0
    EXPECT_FALSE(QVMidiComputeControlSend(rewind, Msg(kQVMidiMessageType_Controller, 20, 63)).mSend);
}

TEST(QVMidiControlValue, FlagsFollowTheBehaviour)
{
    struct Case {
        bool toggle;
        QVMidiMessage message;
        bool send;
        double value;
    };
    Case const cases[] = {
        {true, Msg(kQVMidiMessageType_Note, 60, 100), true, 2},
        {true, Msg(kQVMidiMessageType_Note, 60, 0), false, 0},  // note off ignored
        {true, Msg(kQVMidiMessageType_Controller, 1, 63), false, 0},
        {false, Msg(kQVMidiMessageType_Note, 60, 100), true, 1},
        {false, Msg(kQVMidiMessageType_Note, 60, 0), true, 0},  // note off releases
        {false, Msg(kQVMidiMessageType_Controller, 1, 64), true, 1},
        {false, Msg(kQVMidiMessageType_Controller, 1, 63), true, 0},
    };
    for (Case const& c : cases) {
        QVMidiControlMapping mute = Mapping(kQVMidiParamType_Flag);
        mute.mToggle = c.toggle;
        QVMidiControlSend const send = QVMidiComputeControlSend(mute, c.message);
        EXPECT_EQ(send.mSend, c.send) << c.toggle << " " << int(c.message.mType) << " " << int(c.message.mValue);
        if (send.mSend) {
            EXPECT_DOUBLE_EQ(send.mValue, c.value);
        }
    }
}

}  // namespace
