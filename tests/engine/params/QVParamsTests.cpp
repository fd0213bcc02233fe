// The parameter table: its rows and look-ups, setting and reading every
// parameter on every class of object, the strict and loose readings of a
// value, and the volume and gain conversions. Parameters come from OSC and
// MIDI messages, so every bad request must end in a plain false.

#include "QVParams.h"
#include "QVTrackZone.h"
#include "QVTrackZoneArray.h"
#include "SilentEffectFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class ParamsEnvironment : public SilentEffectEnvironment
{
public:
    void SetUp() override
    {
        SilentEffectEnvironment::SetUp();
        QVParams::BuildParamInfoList();
    }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ParamsEnvironment());

// The classes a request may reach, by letter: a single player alone in the
// player folder (A), a sub of a multi-player (S), a multi-player (C), a
// sequence (Q), a track (T), and a folder (F), which takes nothing.
enum Target { kAlone, kSub, kCursor, kSequence, kTrack, kFolder, kTargetCount };
constexpr char kTargetLetters[] = "ASCQTF";

// A sequence with a track of 10 s, a multi-player of two subs and a single
// player; a single player alone in the player folder.
struct ParamsDoc {
    SeqDoc doc;
    QVObjectSequence* sequence = nullptr;
    QVObjectPlayable* cursor = nullptr;
    QVObjectPlayable* sub = nullptr;
    QVObjectPlayable* alone = nullptr;
    QVObjectTrack* track = nullptr;

    void Load()
    {
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "S",
                                 {SeqNode("track", nullptr),
                                  SeqNode("cursor", nullptr, {SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)}),
                                  SeqNode("atomic", "P")})},
                        {SeqNode("atomic", "Alone")});
        ASSERT_TRUE(doc.Load(form));
        sequence = doc.Sequence(0);
        track = sequence->GetFLSubTracks()[0];
        QVTrackZoneArray zones;
        zones.Push(QVTrackZone::Make(1, 0.0, 10.0));
        zones.UpdateZonesLocalTime(nullptr, nullptr);
        track->InitWithTrackZones(zones);
        sequence->SynchronizeFLFullIntv();
        cursor = sequence->GetFLSubPlayers()[0];
        sub = cursor->GetFLSubPlayables()[0];
        alone = static_cast<QVObjectPlayable*>(doc.players->GetFLSubPlayers()[0]);
        ASSERT_TRUE(QVPlayableKindIsSub(sub->GetKind()));
        ASSERT_TRUE(QVPlayableKindIsCursor(cursor->GetKind()));
    }

    AKObject* Get(Target target) const
    {
        switch (target) {
        case kAlone:
            return alone;
        case kSub:
            return sub;
        case kCursor:
            return cursor;
        case kSequence:
            return sequence;
        case kTrack:
            return track;
        default:
            return doc.players;
        }
    }
};

double Read(AKObject const* object, unsigned int id, double* y = nullptr)
{
    double x = kNaN;
    double second = kNaN;
    EXPECT_TRUE(QVParams::GetObjectParameter(object, id, 0, &x, &second, nullptr)) << "ID " << id;
    if (y != nullptr)
        *y = second;
    return x;
}

// --- Rows ---

TEST(QVParams, EveryRowSitsAtItsIDInItsGroup)
{
    for (unsigned int id = 0; id < kQVPrmCount; ++id) {
        SCOPED_TRACE(id);
        QVParamInfo const& info = QVParams::GetByID(id);
        EXPECT_EQ(info.GetID(), id);
        QVPrmGroup const group = id == 0 ? 0 : id < 34 ? 1 : id < 38 ? 2 : id < 40 ? 3 : 4;
        EXPECT_EQ(info.GetGroup(), group);
        if (id != 0 && info.GetType() == kQVPrmTypeBoolean) {
            EXPECT_EQ(info.GetMax(), 1.0);
        }
        if (id != 0 && info.GetType() == kQVPrmTypeTrigger) {
            EXPECT_TRUE(info.HasFlag(kQVPrmFlagAction));
        }
        EXPECT_LE(info.GetMin(), info.GetMax());
    }
    EXPECT_EQ(&QVParams::GetByID(28), &kQVPrm_Volume);
    EXPECT_EQ(&QVParams::GetByID(46), &kQVPrm_TrackDuration);
    for (unsigned int id : {47u, 48u, 1000u, UINT_MAX})
        EXPECT_EQ(&QVParams::GetByID(id), &kQVPrm_None) << id;
}

TEST(QVParams, RowsCarryTheirNamesAndRanges)
{
    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    struct Case {
        unsigned int id;
        QVPrmType type;
        unsigned int flags;
        char const* xml;
        char const* gui;
        char const* unit;
        char const* shortName;
        char const* key;
        double def, min, max;
    };
    Case const cases[] = {
        {0, 0, 0, "", "", "", "", "", 0, 0, 0},
        {1, 0, 1, "Start", "Play", "", "Play", "start", 0, 0, 0},
        {3, 1, 2, "Play", "Play / Stop", "", "", "play", 0, 0, 1},
        {4, 1, 1, "", "", "", "", "playRT", 0, 0, 1},
        {6, 1, 0, "Loop", "Loop", "", "Loop", "loop", 1, 0, 1},
        {12, 0, 1, "PeekPhases", "Fix Phases", "", "Fix Phases", "peekPhs", 0, 0, 0},
        {16, 3, 0, "Time", "Time", "sec", "Time", "time", 0, -1e10, 1e10},
        {17, 3, 8, "Span", "Span", "sec", "Span", "span", 0.1, 0.0001, 1e10},
        {18, 4, 8, "SpanIntv", "Span Interval", "sec", "", "spanIntv", 0, -1e10, 1e10},
        {19, 3, 8, "Speed", "Speed", "", "Speed", "speed", 1, -speedMax, speedMax},
        {23, 0, 1, "SpeedSens", "Speed Sens", "", "Sens", "speed+-", 0, 0, 0},
        {28, 3, 0, "Volume", "Volume", "dB", "Volume", "volume", 0, -48, 12},
        {29, 3, 0, "Gain", "Gain", "", "Gain", "gain", 1, 0, 4},
        {31, 3, 0, "Fadio", "Fade In/Out", "", "Fade", "fadio", 0, 0, 1},
        {32, 4, 1, "", "Full Interval", "sec", "", "fullIntv", 0, 0, 0},
        {36, 0, 5, "PresetCall", "Preset Recall", "", "", "recall", 0, 0, 0},
        {37, 3, 0, "Duration", "Preset Duration", "sec", "", "duration", 2, 0, 600},
        {38, 1, 2, "Bypass", "Bypass", "", "Bypass", "bypass", 0, 0, 1},
        {39, 3, 4, "Parameter", "Parameter", "", "Param", "param", 0, 0, 1},
        {42, 1, 2, "RouteMixIn", "Mix Further In", "", "", "mixIn", 0, 0, 1},
        {44, 2, 0, "RouteOffset", "Route To", "", "", "routeTo", 0, 0, 15},
        {46, 3, 1, "", "Duration", "sec", "", "duration", 0, 0, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.id);
        QVParamInfo const& info = QVParams::GetByID(c.id);
        EXPECT_EQ(info.GetType(), c.type);
        EXPECT_EQ(info.GetFlags(), c.flags);
        EXPECT_EQ(info.GetXmlName(), AKString(c.xml));
        EXPECT_EQ(info.GetGuiName(), AKString(c.gui));
        EXPECT_EQ(info.GetUnit(), AKString(c.unit));
        EXPECT_EQ(info.GetShortName(), AKString(c.shortName));
        EXPECT_STREQ(info.GetUnivKey().c_str(), c.key);
        EXPECT_EQ(info.GetDefault(), c.def);
        EXPECT_EQ(info.GetMin(), c.min);
        EXPECT_EQ(info.GetMax(), c.max);
    }
    EXPECT_EQ(kQVPrm_Time.GuiNameWithUnit(), AKString("Time (sec)"));
    EXPECT_EQ(kQVPrm_Volume.GuiNameWithUnit(), AKString("Volume (dB)"));
    EXPECT_EQ(kQVPrm_Gain.GuiNameWithUnit(), AKString("Gain"));
}

TEST(QVParams, RebuildingTakesTheSpeedRangesFromThePreferences)
{
    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    double const subxMax = QVPrefs::sShared.GetPlayerSpeedSubxMax();
    QVPrefs::sShared.SetPlayerSpeedMax(3.0);
    QVPrefs::sShared.SetPlayerSpeedSubxMax(5.0);
    QVParams::BuildParamInfoList();
    EXPECT_EQ(kQVPrm_Speed.GetMin(), -3.0);
    EXPECT_EQ(kQVPrm_Speed.GetMax(), 3.0);
    EXPECT_EQ(kQVPrm_SpeedSubx.GetMin(), -5.0);
    EXPECT_EQ(kQVPrm_SpeedSubx.GetMax(), 5.0);
    // A rebuild keeps every look-up working.
    EXPECT_EQ(QVParams::GetByUnivKey("volume", kQVPrmGroupTrack), 40u);
    QVPrefs::sShared.SetPlayerSpeedMax(speedMax);
    QVPrefs::sShared.SetPlayerSpeedSubxMax(subxMax);
    QVParams::BuildParamInfoList();
    EXPECT_EQ(kQVPrm_Speed.GetMax(), speedMax);
}

// --- Look-ups ---

TEST(QVParams, LookUpsSearchWithinTheGroupGiven)
{
    struct Case {
        char const* name;
        QVPrmGroup group;
        unsigned int byXml;
        unsigned int byKey;
    };
    Case const cases[] = {
        // Names repeat across groups: the group decides, all groups take the first.
        {"Volume", 1, 28, 0},
        {"Volume", 4, 40, 0},
        {"Volume", 0, 28, 0},
        {"volume", 1, 0, 28},
        {"volume", 4, 0, 40},
        {"volume", 0, 0, 28},
        {"Duration", 2, 37, 0},
        {"Duration", 0, 37, 0},  // rows 33 and 46 have no XML name
        {"Duration", 1, 0, 0},
        {"duration", 1, 0, 33},
        {"duration", 2, 0, 37},
        {"duration", 4, 0, 46},
        {"duration", 0, 0, 33},
        {"fullIntv", 4, 0, 45},
        {"Bypass", 3, 38, 0},
        {"Bypass", 1, 0, 0},
        {"bypass", 3, 0, 38},
        {"speed++", 1, 0, 25},
        {"RouteOffset", 4, 44, 0},
        {"routeTo", 0, 0, 44},
        {"TrackDuration", 0, 0, 0},  // a row's name in code is not an XML name
        // Case and whole key count.
        {"play", 1, 0, 3},
        {"PLAY", 1, 0, 0},
        {"Pla", 1, 0, 0},
        {"playRTx", 1, 0, 0},
        // Nothing for empty names and groups beyond the last.
        {"", 0, 0, 0},
        {"Play", 5, 0, 0},
        {"play", 5, 0, 0},
        {"Play", UINT_MAX, 0, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " in " << c.group);
        EXPECT_EQ(QVParams::GetByXmlName(AKString(c.name), c.group), c.byXml);
        EXPECT_EQ(QVParams::GetByUnivKey(AKKeyC15(c.name), c.group), c.byKey);
    }
    // A key is cut to 15 characters: a longer text finds no shorter key.
    EXPECT_EQ(QVParams::GetByUnivKey(AKKeyC15("volumevolumevolume"), 0), 0u);
    // Every row with a key or an XML name is found by it within its group.
    for (unsigned int id = 1; id < kQVPrmCount; ++id) {
        QVParamInfo const& info = QVParams::GetByID(id);
        EXPECT_EQ(QVParams::GetByUnivKey(info.GetUnivKey(), info.GetGroup()), id);
        if (!info.GetXmlName().IsEmpty()) {
            EXPECT_EQ(QVParams::GetByXmlName(info.GetXmlName(), info.GetGroup()), id);
        }
    }
}

// --- Volume and gain ---

TEST(QVParams, VolumeAndGainAreTwoViewsOfOneLevel)
{
    struct Case {
        double volume;
        double gain;
    };
    Case const toGain[] = {{-48, 0},       {-100, 0},      {-kInf, 0},        {0, 1},
                           {-6, 0.501187}, {12, 3.981072}, {-47.9, 0.004027}, {20, 10}};
    for (Case const& c : toGain)
        EXPECT_NEAR(QVParamGainFromVolume(c.volume), c.gain, 1e-6) << c.volume;
    Case const toVolume[] = {{-48, 0}, {-48, -1}, {-48, 0.003}, {0, 1}, {-6.0206, 0.5}, {12.0412, 4}, {6.0206, 2}};
    for (Case const& c : toVolume)
        EXPECT_NEAR(QVParamVolumeFromGain(c.gain), c.volume, 1e-4) << c.gain;
    EXPECT_TRUE(std::isnan(QVParamGainFromVolume(kNaN)) || QVParamGainFromVolume(kNaN) == 0.0);
    for (double volume : {-47.5, -30.0, -6.0, 0.0, 6.0, 12.0})
        EXPECT_NEAR(QVParamVolumeFromGain(QVParamGainFromVolume(volume)), volume, 1e-9);
}

// --- The class and parameter matrix ---

// The classes (by letter) that set and that read each ID, without plug-ins.
struct MatrixRow {
    char const* set;
    char const* get;
    double x, y;  // a value inside the row
};
MatrixRow const kMatrix[] = {
    {"", "", 0, 0},              // 0 None
    {"ASCQ", "", 0, 0},          // 1 Start
    {"ASCQ", "", 0, 0},          // 2 Stop
    {"ASCQ", "ASCQ", 1, 0},      // 3 Play
    {"", "ASCQ", 1, 0},          // 4 PlayRT
    {"ASC", "ASC", 1, 0},        // 5 Scrub
    {"ASC", "ASC", 0, 0},        // 6 Loop
    {"AS", "AS", 1, 0},          // 7 Stated
    {"ASC", "ASC", 1, 0},        // 8 Rewind
    {"ASC", "ASC", 1, 0},        // 9 Forward
    {"ASCQ", "", 0, 0},          // 10 ToBegin
    {"ASCQ", "", 0, 0},          // 11 ToEnd
    {"CQ", "", 0, 0},            // 12 PeekPhases
    {"CQ", "", 0, 0},            // 13 PokePhases
    {"S", "S", 0.25, 0},         // 14 Phase
    {"SC", "SC", 0.5, 0},        // 15 RelaTime
    {"ASCQ", "ASCQ", 3, 0},      // 16 Time
    {"CQ", "CQ", 2, 0},          // 17 Span
    {"CQ", "CQ", 2, 6},          // 18 SpanIntv
    {"ASC", "ASC", 0.5, 0},      // 19 Speed
    {"", "ASC", 1, 0},           // 20 SpeedRT
    {"ASC", "ASC", 0.5, 0},      // 21 SpeedWow
    {"C", "C", 0.5, 0},          // 22 SpeedSubx
    {"ASC", "", 0, 0},           // 23 SpeedSens
    {"ASC", "", 0, 0},           // 24 SpeedLess
    {"ASC", "", 0, 0},           // 25 SpeedMore
    {"ASCQ", "ASCQ", 1, 0},      // 26 Mute
    {"ASCQ", "ASCQ", 1, 0},      // 27 Solo
    {"ASCQT", "ASCQT", -6, 0},   // 28 Volume
    {"ASCQT", "ASCQT", 0.5, 0},  // 29 Gain
    {"ASCQ", "ASCQ", -0.5, 0},   // 30 Panora
    {"SC", "SC", 0.5, 0},        // 31 Fadio
    {"", "Q", 0, 0},             // 32 FullIntv
    {"", "Q", 0, 0},             // 33 Duration
    {"Q", "", 0, 0},             // 34 PresetClear
    {"Q", "", 0, 0},             // 35 PresetSave
    {"Q", "", 0, 0},             // 36 PresetCall
    {"Q", "Q", 3, 0},            // 37 PresetDur
    {"", "", 1, 0},              // 38 PluginBypass (no plug-in)
    {"", "", 0.5, 0},            // 39 PluginParam (no plug-in)
    {"T", "T", -6, 0},           // 40 TrackVolume
    {"T", "T", 0.5, 0},          // 41 TrackGain
    {"T", "T", 1, 0},            // 42 TrackRouteMixIn
    {"T", "T", 1, 0},            // 43 TrackRouteFillOut
    {"T", "T", 3, 0},            // 44 TrackRouteOffset
    {"", "T", 0, 0},             // 45 TrackFullIntv
    {"", "T", 0, 0},             // 46 TrackDuration
    {"", "", 1, 0},              // 47 beyond the table
};
static_assert(sizeof(kMatrix) / sizeof(kMatrix[0]) == kQVPrmCount + 1, "one row per ID and one beyond");

TEST(QVParams, EveryClassTakesExactlyItsParameters)
{
    for (unsigned int id = 0; id <= kQVPrmCount; ++id) {
        MatrixRow const& row = kMatrix[id];
        for (int t = 0; t < kTargetCount; ++t) {
            SCOPED_TRACE(::testing::Message() << "ID " << id << " on " << kTargetLetters[t]);
            ParamsDoc doc;
            doc.Load();
            AKObject* object = doc.Get(static_cast<Target>(t));
            bool const sets = std::strchr(row.set, kTargetLetters[t]) != nullptr;
            bool const gets = std::strchr(row.get, kTargetLetters[t]) != nullptr;
            for (bool strict : {false, true}) {
                bool wrong = true;
                EXPECT_EQ(QVParams::SetObjectParameter(object, id, 0, row.x, row.y, strict, &wrong), sets);
                EXPECT_FALSE(wrong);
            }
            double x = kNaN, y = kNaN;
            QVPrmType type = 99;
            EXPECT_EQ(QVParams::GetObjectParameter(object, id, 0, &x, &y, &type), gets);
            if (id == 0 || id >= kQVPrmCount) {
                // The null row writes nothing.
                EXPECT_TRUE(std::isnan(x) && std::isnan(y));
                EXPECT_EQ(type, 99u);
            } else {
                EXPECT_EQ(type, QVParams::GetByID(id).GetType());
                EXPECT_FALSE(std::isnan(x) || std::isnan(y));
                if (!gets) {
                    EXPECT_TRUE(x == 0.0 && y == 0.0);
                }
            }
        }
    }
}

// What a value set reads back as, limited to its row.
struct SetGetCase {
    Target target;
    unsigned int setID;
    double x, y;
    unsigned int getID;
    double expectX, expectY;
};

TEST(QVParams, ValuesSetReadBackLimitedToTheirRows)
{
    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    double const subxMax = QVPrefs::sShared.GetPlayerSpeedSubxMax();
    double const minSpan = QVPrefs::sShared.GetPlayerMultiMinSpanDuration();
    double const presetMax = QVPrefs::sShared.GetPresetRecallMaxDuration();
    SetGetCase const cases[] = {
        {kAlone, kQVPrmID_Volume, -6, 0, kQVPrmID_Volume, -6, 0},
        {kAlone, kQVPrmID_Volume, -6, 0, kQVPrmID_Gain, 0.501187, 0},
        {kAlone, kQVPrmID_Volume, 100, 0, kQVPrmID_Volume, 12, 0},
        {kAlone, kQVPrmID_Volume, -kInf, 0, kQVPrmID_Gain, 0, 0},
        {kSequence, kQVPrmID_Gain, 2, 0, kQVPrmID_Volume, 6.0206, 0},
        {kCursor, kQVPrmID_Gain, 10, 0, kQVPrmID_Gain, 4, 0},
        {kSub, kQVPrmID_Gain, -1, 0, kQVPrmID_Gain, 0, 0},
        {kSequence, kQVPrmID_Panora, -3, 0, kQVPrmID_Panora, -1, 0},
        {kSub, kQVPrmID_Phase, 0.25, 0, kQVPrmID_Phase, 0.25, 0},
        {kSub, kQVPrmID_Phase, 7, 0, kQVPrmID_Phase, 1, 0},
        {kCursor, kQVPrmID_Fadio, 2, 0, kQVPrmID_Fadio, 1, 0},
        {kSub, kQVPrmID_Fadio, 0.3, 0, kQVPrmID_Fadio, 0.3, 0},
        {kAlone, kQVPrmID_Speed, 1e9, 0, kQVPrmID_Speed, speedMax, 0},
        {kAlone, kQVPrmID_Speed, 0.5, 0, kQVPrmID_SpeedRT, 0.5, 0},
        {kCursor, kQVPrmID_SpeedSubx, -1e9, 0, kQVPrmID_SpeedSubx, -subxMax, 0},
        {kAlone, kQVPrmID_SpeedWow, -1, 0, kQVPrmID_SpeedWow, 0, 0},
        {kAlone, kQVPrmID_Time, 3.5, 0, kQVPrmID_Time, 3.5, 0},
        {kAlone, kQVPrmID_Time, kInf, 0, kQVPrmID_Time, 1e10, 0},
        {kSequence, kQVPrmID_Time, -kInf, 0, kQVPrmID_Time, -1e10, 0},
        {kCursor, kQVPrmID_SpanIntv, 2, 6, kQVPrmID_SpanIntv, 2, 6},
        {kCursor, kQVPrmID_SpanIntv, 2, 6, kQVPrmID_Time, 4, 0},
        {kCursor, kQVPrmID_SpanIntv, 2, 6, kQVPrmID_Span, 4, 0},
        {kSequence, kQVPrmID_SpanIntv, -kInf, kInf, kQVPrmID_SpanIntv, -1e10, 1e10},
        {kCursor, kQVPrmID_Span, 0, 0, kQVPrmID_Span, minSpan, 0},
        {kSequence, kQVPrmID_Span, kInf, 0, kQVPrmID_Span, 1e10, 0},
        {kAlone, kQVPrmID_Stated, 1, 0, kQVPrmID_Stated, 1, 0},
        {kAlone, kQVPrmID_Loop, 0, 0, kQVPrmID_Loop, 0, 0},
        {kSequence, kQVPrmID_Mute, 1, 0, kQVPrmID_Mute, 1, 0},
        {kCursor, kQVPrmID_Solo, 1, 0, kQVPrmID_Solo, 1, 0},
        {kSequence, kQVPrmID_PresetDur, 1e6, 0, kQVPrmID_PresetDur, presetMax, 0},
        {kSequence, kQVPrmID_PresetDur, 3, 0, kQVPrmID_PresetDur, 3, 0},
        {kSequence, kQVPrmID_FullIntv, 0, 0, kQVPrmID_FullIntv, 0, 10},
        {kSequence, kQVPrmID_Duration, 0, 0, kQVPrmID_Duration, 10, 0},
        {kTrack, kQVPrmID_Volume, -6, 0, kQVPrmID_TrackGain, 0.501187, 0},
        {kTrack, kQVPrmID_TrackGain, 9, 0, kQVPrmID_Gain, 4, 0},
        {kTrack, kQVPrmID_TrackVolume, -60, 0, kQVPrmID_TrackGain, 0, 0},
        {kTrack, kQVPrmID_TrackRouteOffset, 99, 0, kQVPrmID_TrackRouteOffset, 15, 0},
        {kTrack, kQVPrmID_TrackRouteOffset, -4, 0, kQVPrmID_TrackRouteOffset, 0, 0},
        {kTrack, kQVPrmID_TrackRouteMixIn, 1, 0, kQVPrmID_TrackRouteMixIn, 1, 0},
        {kTrack, kQVPrmID_TrackRouteFillOut, 0, 0, kQVPrmID_TrackRouteFillOut, 0, 0},
        {kTrack, kQVPrmID_TrackFullIntv, 0, 0, kQVPrmID_TrackFullIntv, 0, 10},
        {kTrack, kQVPrmID_TrackDuration, 0, 0, kQVPrmID_TrackDuration, 10, 0},
    };
    for (SetGetCase const& c : cases) {
        SCOPED_TRACE(::testing::Message() << "set " << c.setID << " to " << c.x << " on " << kTargetLetters[c.target]
                                          << ", read " << c.getID);
        ParamsDoc doc;
        doc.Load();
        AKObject* object = doc.Get(c.target);
        // The read-only rows are only read.
        if (!QVParams::GetByID(c.setID).HasFlag(kQVPrmFlagAction)) {
            EXPECT_TRUE(QVParams::SetObjectParameter(object, c.setID, 0, c.x, c.y, false, nullptr));
        }
        double y = kNaN;
        EXPECT_NEAR(Read(object, c.getID, &y), c.expectX, 1e-4);
        EXPECT_NEAR(y, c.expectY, 1e-4);
    }
}

// --- Strict and loose values ---

TEST(QVParams, StrictRefusesWhatLooseConverts)
{
    struct Case {
        Target target;
        unsigned int setID;
        double x;
        bool strict;
        bool result;
        unsigned int getID;
        double expect;  // NaN: as it was before
    };
    Case const cases[] = {
        // Triggers: 0 only while strict, anything loose.
        {kAlone, kQVPrmID_Start, 1, true, false, kQVPrmID_Play, kNaN},
        {kAlone, kQVPrmID_Start, 0, true, true, kQVPrmID_Play, 1},
        {kAlone, kQVPrmID_Start, 7, false, true, kQVPrmID_Play, 1},
        {kCursor, kQVPrmID_Start, kNaN, false, true, kQVPrmID_Play, 1},
        {kCursor, kQVPrmID_Start, kNaN, true, false, kQVPrmID_Play, kNaN},
        // Plain booleans: 0 and 1; loose, any other value is on.
        {kAlone, kQVPrmID_Loop, 0.5, false, true, kQVPrmID_Loop, 1},
        {kAlone, kQVPrmID_Loop, 0.5, true, false, kQVPrmID_Loop, kNaN},
        {kAlone, kQVPrmID_Stated, 2, false, true, kQVPrmID_Stated, 1},
        {kAlone, kQVPrmID_Stated, 2, true, false, kQVPrmID_Stated, kNaN},
        {kAlone, kQVPrmID_Stated, -3, false, true, kQVPrmID_Stated, 1},
        // Booleans with toggle: 0, 1, 2; loose, truncated into 0..2.
        {kSequence, kQVPrmID_Mute, 1.7, false, true, kQVPrmID_Mute, 1},
        {kSequence, kQVPrmID_Mute, 0.7, false, true, kQVPrmID_Mute, 0},
        {kSequence, kQVPrmID_Mute, 1.7, true, false, kQVPrmID_Mute, kNaN},
        {kSequence, kQVPrmID_Mute, -3, false, true, kQVPrmID_Mute, 0},
        {kSequence, kQVPrmID_Mute, 1e300, false, true, kQVPrmID_Mute, 1},  // a toggle
        {kSequence, kQVPrmID_Solo, 2, true, true, kQVPrmID_Solo, 1},
        // Track route flags: 0, 1, 2; on when the truncation is not 0.
        {kTrack, kQVPrmID_TrackRouteMixIn, 0.5, false, true, kQVPrmID_TrackRouteMixIn, 0},
        {kTrack, kQVPrmID_TrackRouteMixIn, 2, true, true, kQVPrmID_TrackRouteMixIn, 1},
        {kTrack, kQVPrmID_TrackRouteMixIn, 2.5, true, false, kQVPrmID_TrackRouteMixIn, kNaN},
        {kTrack, kQVPrmID_TrackRouteFillOut, 3, false, true, kQVPrmID_TrackRouteFillOut, 1},
        {kTrack, kQVPrmID_TrackRouteFillOut, -kInf, false, true, kQVPrmID_TrackRouteFillOut, 1},
        // The integer: integral values; loose, truncated and kept in range.
        {kTrack, kQVPrmID_TrackRouteOffset, 2.5, true, false, kQVPrmID_TrackRouteOffset, kNaN},
        {kTrack, kQVPrmID_TrackRouteOffset, 2.5, false, true, kQVPrmID_TrackRouteOffset, 2},
        {kTrack, kQVPrmID_TrackRouteOffset, 1e12, true, true, kQVPrmID_TrackRouteOffset, 15},
        {kTrack, kQVPrmID_TrackRouteOffset, kInf, true, false, kQVPrmID_TrackRouteOffset, kNaN},
        {kTrack, kQVPrmID_TrackRouteOffset, kInf, false, true, kQVPrmID_TrackRouteOffset, 15},
        {kTrack, kQVPrmID_TrackRouteOffset, -kInf, false, true, kQVPrmID_TrackRouteOffset, 0},
        // Reals pass in both readings, except NaN.
        {kAlone, kQVPrmID_Panora, 0.25, true, true, kQVPrmID_Panora, 0.25},
        {kAlone, kQVPrmID_Panora, kNaN, false, false, kQVPrmID_Panora, kNaN},
        {kTrack, kQVPrmID_Volume, kNaN, true, false, kQVPrmID_Volume, kNaN},
        {kTrack, kQVPrmID_TrackRouteMixIn, kNaN, false, false, kQVPrmID_TrackRouteMixIn, kNaN},
        {kTrack, kQVPrmID_TrackRouteOffset, kNaN, false, false, kQVPrmID_TrackRouteOffset, kNaN},
        {kAlone, kQVPrmID_Loop, kNaN, false, false, kQVPrmID_Loop, kNaN},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(::testing::Message() << "set " << c.setID << " to " << c.x << (c.strict ? " strict" : " loose")
                                          << " on " << kTargetLetters[c.target]);
        ParamsDoc doc;
        doc.Load();
        AKObject* object = doc.Get(c.target);
        // Start from the state the value would change: Start needs a stopped
        // cursor, the sequence's mute and the track's flags are set first.
        if (c.getID == kQVPrmID_Mute || c.getID == kQVPrmID_TrackRouteMixIn || c.getID == kQVPrmID_TrackRouteFillOut) {
            ASSERT_TRUE(QVParams::SetObjectParameter(object, c.getID, 0, c.expect == 1 ? 0 : 1, 0, true, nullptr));
        }
        double const before = Read(object, c.getID);
        bool wrong = !c.result;
        EXPECT_EQ(QVParams::SetObjectParameter(object, c.setID, 0, c.x, 0, c.strict, &wrong), c.result);
        EXPECT_EQ(wrong, !c.result);
        EXPECT_EQ(Read(object, c.getID), std::isnan(c.expect) ? before : c.expect);
    }
}

TEST(QVParams, TwoInvertsAPlayableAndSetsATrackRoute)
{
    ParamsDoc doc;
    doc.Load();
    struct Step {
        AKObject* object;
        unsigned int id;
        double x;
        double expect;
    };
    Step const steps[] = {
        {doc.alone, kQVPrmID_Play, 1, 1},
        {doc.alone, kQVPrmID_Play, 2, 0},
        {doc.alone, kQVPrmID_Play, 2, 1},
        {doc.alone, kQVPrmID_Stop, 0, 0},
        {doc.cursor, kQVPrmID_Rewind, 2, 1},
        {doc.cursor, kQVPrmID_Rewind, 2, 0},
        {doc.track, kQVPrmID_TrackRouteMixIn, 0, 0},
        {doc.track, kQVPrmID_TrackRouteMixIn, 2, 1},
        {doc.track, kQVPrmID_TrackRouteMixIn, 2, 1},
    };
    for (Step const& s : steps) {
        SCOPED_TRACE(&s - steps);
        EXPECT_TRUE(QVParams::SetObjectParameter(s.object, s.id, 0, s.x, 0, true, nullptr));
        unsigned int const readID = s.id == kQVPrmID_Stop ? kQVPrmID_Play : s.id;
        EXPECT_EQ(Read(s.object, readID), s.expect);
    }
}

// --- Transport rows ---

TEST(QVParams, TransportRowsReachThePlayablesMoves)
{
    ParamsDoc doc;
    doc.Load();
    QVObjectPlayable* single = doc.sequence->GetFLSubPlayers()[1];
    // Speed steps through the table of speeds, the sign kept.
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_SpeedMore, 0, 0, 0, true, nullptr));
    EXPECT_DOUBLE_EQ(Read(doc.alone, kQVPrmID_Speed), 1.5);
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_SpeedLess, 0, 0, 0, true, nullptr));
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_SpeedLess, 0, 0, 0, true, nullptr));
    EXPECT_DOUBLE_EQ(Read(doc.alone, kQVPrmID_Speed), 2.0 / 3.0);
    // A sequence sends its players to the ends of its 10 s.
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.sequence, kQVPrmID_ToEnd, 0, 0, 0, true, nullptr));
    EXPECT_DOUBLE_EQ(Read(single, kQVPrmID_Time), 10.0);
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.sequence, kQVPrmID_ToBegin, 0, 0, 0, true, nullptr));
    EXPECT_DOUBLE_EQ(Read(single, kQVPrmID_Time), 0.0);
    // A sub's relative time within its multi-player's window.
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.cursor, kQVPrmID_SpanIntv, 0, 2, 6, true, nullptr));
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.sub, kQVPrmID_RelaTime, 0, 0.25, 0, true, nullptr));
    EXPECT_DOUBLE_EQ(Read(doc.sub, kQVPrmID_Time), 3.0);
    EXPECT_DOUBLE_EQ(Read(doc.sub, kQVPrmID_RelaTime), 0.25);
}

// --- What plays in real time ---

TEST(QVParams, ASubPlaysAsItsMultiPlayerDoes)
{
    ParamsDoc doc;
    doc.Load();
    EXPECT_EQ(Read(doc.sub, kQVPrmID_PlayRT), 0.0);
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.cursor, kQVPrmID_Play, 0, 1, 0, true, nullptr));
    EXPECT_EQ(Read(doc.sub, kQVPrmID_Play), 0.0);
    EXPECT_EQ(Read(doc.sub, kQVPrmID_PlayRT), 1.0);
    EXPECT_EQ(Read(doc.cursor, kQVPrmID_PlayRT), 1.0);
    // A single player in the folder answers for itself alone.
    EXPECT_EQ(Read(doc.alone, kQVPrmID_PlayRT), 0.0);

    // Rewinding and forwarding run at the ramp's speed, backwards or forwards.
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_Speed, 0, 2, 0, true, nullptr));
    EXPECT_EQ(Read(doc.alone, kQVPrmID_SpeedRT), 2.0);
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_Rewind, 0, 1, 0, true, nullptr));
    EXPECT_EQ(Read(doc.alone, kQVPrmID_PlayRT), 1.0);
    double const ramp = doc.alone->GetRwdFwdSpeed();
    EXPECT_GT(ramp, 0.0);
    EXPECT_EQ(Read(doc.alone, kQVPrmID_SpeedRT), -ramp);
    ASSERT_TRUE(QVParams::SetObjectParameter(doc.alone, kQVPrmID_Forward, 0, 1, 0, true, nullptr));
    EXPECT_EQ(Read(doc.alone, kQVPrmID_SpeedRT), doc.alone->GetRwdFwdSpeed());
}

// --- Plug-ins ---

TEST(QVParams, PluginRowsNeedAPlugin)
{
    ParamsDoc doc;
    doc.Load();
    for (QVObjectPlayable* playable : {static_cast<QVObjectPlayable*>(doc.sequence), doc.cursor, doc.sub, doc.alone}) {
        SCOPED_TRACE(kTargetLetters[playable == doc.sequence ? kSequence
                                    : playable == doc.cursor ? kCursor
                                    : playable == doc.sub    ? kSub
                                                             : kAlone]);
        bool wrong = true;
        EXPECT_FALSE(QVParams::SetObjectParameter(playable, kQVPrmID_PluginParam, 0, 0.5, 0, false, &wrong));
        EXPECT_FALSE(wrong);
        EXPECT_FALSE(QVParams::GetObjectParameter(playable, kQVPrmID_PluginBypass, 0, nullptr, nullptr, nullptr));

        ASSERT_TRUE(playable->AttachPlugin(kSilentEffectUID));
        ASSERT_NE(playable->GetPluginInstance(), nullptr);
        EXPECT_EQ(Read(playable, kQVPrmID_PluginBypass), 0.0);
        EXPECT_TRUE(QVParams::SetObjectParameter(playable, kQVPrmID_PluginBypass, 0, 2, 0, true, nullptr));
        EXPECT_EQ(Read(playable, kQVPrmID_PluginBypass), 1.0);
        EXPECT_TRUE(QVParams::SetObjectParameter(playable, kQVPrmID_PluginBypass, 0, 2, 0, true, nullptr));
        EXPECT_EQ(Read(playable, kQVPrmID_PluginBypass), 0.0);
        EXPECT_FALSE(QVParams::SetObjectParameter(playable, kQVPrmID_PluginBypass, 0, 3, 0, true, &wrong));
        EXPECT_TRUE(wrong);
        // An index the instance does not have is passed on and reads 0.
        EXPECT_TRUE(QVParams::SetObjectParameter(playable, kQVPrmID_PluginParam, 12345, 0.5, 0, true, nullptr));
        double x = kNaN;
        EXPECT_TRUE(QVParams::GetObjectParameter(playable, kQVPrmID_PluginParam, 12345, &x, nullptr, nullptr));
        EXPECT_EQ(x, 0.0);
    }
    // A track has no plug-in slot.
    EXPECT_FALSE(QVParams::SetObjectParameter(doc.track, kQVPrmID_PluginBypass, 0, 1, 0, false, nullptr));
}

// --- Bad requests ---

TEST(QVParams, BadRequestsAreRefusedPlainly)
{
    ParamsDoc doc;
    doc.Load();
    // Null objects: refused without the wrong-value flag; a get still writes.
    bool wrong = true;
    EXPECT_FALSE(QVParams::SetObjectParameter(nullptr, kQVPrmID_Volume, 0, 0, 0, true, &wrong));
    EXPECT_FALSE(wrong);
    double x = kNaN, y = kNaN;
    QVPrmType type = 99;
    EXPECT_FALSE(QVParams::GetObjectParameter(nullptr, kQVPrmID_SpanIntv, 0, &x, &y, &type));
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(type, kQVPrmTypeInterval);
    // The null row and IDs beyond the table, with and without outputs.
    for (unsigned int id : {0u, 47u, 1000u, UINT_MAX}) {
        wrong = true;
        EXPECT_FALSE(QVParams::SetObjectParameter(doc.alone, id, 0, 1, 0, false, &wrong));
        EXPECT_FALSE(wrong);
        EXPECT_FALSE(QVParams::SetObjectParameter(doc.alone, id, 0, 1, 0, false, nullptr));
        EXPECT_FALSE(QVParams::GetObjectParameter(doc.alone, id, 0, nullptr, nullptr, nullptr));
    }
    // Outputs may be left out.
    EXPECT_TRUE(QVParams::GetObjectParameter(doc.cursor, kQVPrmID_SpanIntv, 0, nullptr, nullptr, nullptr));
    // An interval with a NaN end is a wrong value.
    EXPECT_FALSE(QVParams::SetObjectParameter(doc.cursor, kQVPrmID_SpanIntv, 0, 2, kNaN, false, &wrong));
    EXPECT_TRUE(wrong);
}

TEST(QVParams, NoValueLeavesAnObjectUnreadable)
{
    // Whatever arrives, on every class and row, with any index: the result
    // and the wrong-value flag never both say yes, and every value read
    // afterwards is a number.
    double const values[] = {kNaN, kInf, -kInf, 1e300, -1e300, -0.0, 4294967296.0, -1.0, 0.5};
    for (int t = 0; t < kTargetCount; ++t) {
        ParamsDoc doc;
        doc.Load();
        AKObject* object = doc.Get(static_cast<Target>(t));
        for (unsigned int id = 0; id <= kQVPrmCount; ++id) {
            for (double value : values) {
                for (bool strict : {false, true}) {
                    bool wrong = false;
                    bool const done = QVParams::SetObjectParameter(object, id, UINT_MAX, value, -value, strict, &wrong);
                    EXPECT_FALSE(done && wrong) << kTargetLetters[t] << " " << id << " " << value;
                }
            }
        }
        for (unsigned int id = 1; id < kQVPrmCount; ++id) {
            double x = 0, y = 0;
            QVParams::GetObjectParameter(object, id, UINT_MAX, &x, &y, nullptr);
            EXPECT_TRUE(std::isfinite(x) && std::isfinite(y)) << kTargetLetters[t] << " " << id;
        }
    }
}

}  // namespace
