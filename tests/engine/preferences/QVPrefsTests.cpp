// The global preferences: every member's key, type, tag, default and range,
// the range checks with their dependent bounds and the swap, derived
// values, and the setters with their change tracking and the copies the
// audio resources read.

#include "AKFileUtils.h"
#include "AKStamps.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVAudioResourcePrefs.h"
#include "QVEngineServices.h"
#include "QVPrefs.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

// One registered setting as the preferences must hold it. Numbers (bool as
// 0 or 1) in `number`, texts in `text`; `low` and `high` bound the setting
// when `ranged` (with the other settings at their defaults).
struct Setting {
    char const* key;
    uint32_t type;
    uint32_t tag;
    double number;
    char const* text;
    bool ranged;
    double low;
    double high;
};

constexpr uint32_t B = kQVPrefTypeBool;
constexpr uint32_t U = kQVPrefTypeUInt;
constexpr uint32_t F = kQVPrefTypeFloat64;
constexpr uint32_t S = kQVPrefTypeAKString;
constexpr uint32_t P = kQVPrefTypeAKFilePath;
constexpr bool R = true;

Setting const kSettings[] = {
    {"General.AppUseConsole", B, 0, 0, nullptr, false, 0, 0},
    {"General.NewDocAtStartup", B, 0, 1, nullptr, false, 0, 0},
    {"General.InspFloatHighPrec", B, 0, 0, nullptr, false, 0, 0},
    {"General.MouseWheelReversed", B, 0, 0, nullptr, false, 0, 0},
    {"General.ShowTooltips", B, 0, 1, nullptr, false, 0, 0},
    {"Internal.VerboseLevel", U, 1, 1, nullptr, R, 0, 9},
    {"Internal.ObjectNameCaseSensitive", B, 2, 1, nullptr, false, 0, 0},
    {"Internal.ScriptTimeOutDuration", F, 0, 10, nullptr, R, 1, 100},
    {"Repository.DirPath", P, 1, 0, "", false, 0, 0},
    {"Repository.KeepMode", U, 1, 2, nullptr, R, 0, 5},
    {"Repository.Chosen", B, 2, 0, nullptr, false, 0, 0},
    {"Gui.FramesPerSecond", U, 0, 60, nullptr, R, 1, 200},
    {"Gui.MainScaleFactorMode", U, 0, 0, nullptr, R, 0, 2},
    {"Gui.ShowFPSGauges", B, 0, 0, nullptr, false, 0, 0},
    {"Gui.LayerConstraint", U, 0, 0, nullptr, R, 0, 2},
    {"Gui.SlateConstraint", U, 0, 0, nullptr, R, 0, 2},
    {"Gui.BackgroundGridStep", U, 2, 40, nullptr, R, 2, 200},
    {"Gui.ShowBackgroundGrid", B, 0, 1, nullptr, false, 0, 0},
    {"Gui.ShowSeqOverview", B, 0, 1, nullptr, false, 0, 0},
    {"Gui.ShowMultiPlayerMap", B, 0, 1, nullptr, false, 0, 0},
    {"Gui.ShowSimpleHelpers", B, 0, 1, nullptr, false, 0, 0},
    {"Gui.ShowWaveformHD", B, 2, 1, nullptr, false, 0, 0},
    {"Gui.ShowObjectID", B, 0, 0, nullptr, false, 0, 0},
    {"Provider.PreferSysReader", B, 1, 1, nullptr, false, 0, 0},
    {"Provider.UseMemoryMapping", B, 1, 1, nullptr, false, 0, 0},
    {"Provider.SimultaneousLoad", U, 1, 3, nullptr, R, 1, 20},
    {"Provider.SoundMaxSizeMB", U, 1, 2000, nullptr, R, 1, 2040},
    {"Provider.ReadBlockSizeMB", U, 1, 8, nullptr, R, 1, 128},
    {"Envelope.AlwaysAsWaveform", B, 3, 0, nullptr, false, 0, 0},
    {"Envelope.MoreResolutionCoeff", F, 3, 2, nullptr, R, 0.5, 4},
    {"Envelope.MemoryOptimizationLevel", U, 3, 1, nullptr, R, 0, 2},
    {"Sequence.NewAlwaysWithPlayer", B, 2, 1, nullptr, false, 0, 0},
    {"Sequence.EditableTrackName", B, 1, 0, nullptr, false, 0, 0},
    {"Sequence.FullSeqInLoopMode", B, 1, 0, nullptr, false, 0, 0},
    {"Sequence.TreatExtraIntv", B, 2, 1, nullptr, false, 0, 0},
    {"Sequence.SignificantDuration", F, 2, 0.001, nullptr, R, 0.00001, 0.1},
    {"Sequence.ScaleCoeffMin", F, 2, 0.0625, nullptr, R, 0.01, 100},
    {"Sequence.ScaleCoeffMax", F, 2, 16, nullptr, R, 0.01, 100},
    {"Player.UseKeyboardFocus", B, 0, 1, nullptr, false, 0, 0},
    {"Player.FollowOnlyWhenPlay", B, 0, 0, nullptr, false, 0, 0},
    {"Player.DefaultLoopMode", B, 1, 1, nullptr, false, 0, 0},
    {"Player.SpeedMax", F, 3, 8, nullptr, R, 2, 16},
    {"Player.SpeedSubxMax", F, 3, 4, nullptr, R, 2, 10},
    {"Player.RwdFwdSpeed", F, 3, 12, nullptr, R, 8, 40},
    {"Player.RwdFwdGainAttenuation", F, 3, 0.4, nullptr, R, 0, 1},
    {"Player.ScratchEnabled", B, 1, 1, nullptr, false, 0, 0},
    {"Player.ScratchAlgoMode", U, 3, 2, nullptr, false, 0, 0},
    {"Player.ScratchSmoothness", F, 3, 0.8, nullptr, R, 0, 1},
    {"Player.ScratchAutoStopDelay", F, 3, 0.04, nullptr, R, 0.01, 0.1},
    {"PlayerMulti.AutoPlayWhenScrub", B, 1, 1, nullptr, false, 0, 0},
    {"PlayerMulti.CanCatchAtomicSub", B, 0, 0, nullptr, false, 0, 0},
    {"PlayerMulti.SpanConfinedInSel", B, 1, 0, nullptr, false, 0, 0},
    {"PlayerMulti.MinSpanDuration", F, 1, 0.001, nullptr, R, 0.0001, 0.01},
    {"PlayerMulti.DefaultSpanDuration", F, 1, 1, nullptr, R, 0.001, 600},
    {"PlayerMulti.DefaultSpeed", F, 1, 0, nullptr, R, -8, 8},
    {"Preset.SchedulMinPeriod", F, 1, 0.02, nullptr, R, 0.01, 0.1},
    {"Preset.RecallMaxDuration", F, 1, 20, nullptr, R, 1, 60},
    {"Preset.RecallDefaultDuration", F, 1, 2, nullptr, R, 0.1, 20},
    {"Engine.ResamplingQuality", U, 1, 2, nullptr, R, 0, 2},
    {"Engine.BornFadeDuration", F, 1, 0.005, nullptr, R, 0.0001, 0.01},
    {"Engine.SpanFadeDuration", F, 1, 0.005, nullptr, R, 0.0001, 0.01},
    {"Engine.ZoneFadeDuration", F, 1, 0.005, nullptr, R, 0.0001, 0.01},
    {"Engine.OlapsysFadeDuration", F, 1, 0.005, nullptr, R, 0.0001, 0.01},
    {"Engine.PluginWorkMaxDuration", F, 2, 10, nullptr, R, 1, 600},
    {"PortAudio.OutDeviceName", S, 0, 0, "", false, 0, 0},
    {"PortAudio.OutChannelsBitmap", U, 0, 3, nullptr, false, 0, 0},
    {"PortAudio.SampleRate", F, 0, 44100, nullptr, R, 100, 200000},
    {"PortAudio.BufferSize", U, 0, 256, nullptr, R, 8, 50000},
    {"Route.DefaultMixFurtherIn", B, 1, 1, nullptr, false, 0, 0},
    {"Route.DefaultFillFurtherOut", B, 1, 1, nullptr, false, 0, 0},
    {"Record.SoundFolderPath", P, 0, 0, "", false, 0, 0},
    {"Record.ModeOverwrite", B, 2, 0, nullptr, false, 0, 0},
    {"Bounce.ExportMaxDuration", F, 3, 7200, nullptr, R, 1, 36000},
    {"Midi.InputDeviceNames", S, 0, 0, "", false, 0, 0},
    {"Midi.InputDeviceCount", U, 2, 0, nullptr, false, 0, 0},
    {"Midi.ShowAdvanced", B, 0, 0, nullptr, false, 0, 0},
    {"Midi.LearnAnyChannel", B, 0, 1, nullptr, false, 0, 0},
    {"Midi.LearnAutoDisable", B, 0, 1, nullptr, false, 0, 0},
    {"Midi.LogRawMessages", B, 0, 0, nullptr, false, 0, 0},
    {"Osc.SendEnabled", B, 0, 0, nullptr, false, 0, 0},
    {"Osc.SendToHostName", S, 0, 0, "127.0.0.1", false, 0, 0},
    {"Osc.SendToHostPort", U, 0, 5432, nullptr, false, 0, 0},
    {"Osc.ReceiveEnabled", B, 0, 0, nullptr, false, 0, 0},
    {"Osc.ReceiveOnPort", U, 0, 57120, nullptr, false, 0, 0},
};

std::string ParameterName(char const* key)
{
    std::string name(key);
    for (char& c : name) {
        if (c == '.')
            c = '_';
    }
    return name;
}

// The field of a member, found the way the registry finds it: by its
// offset from the registry.
template <class T>
T const& FieldOf(QVPrefs const& prefs, QVPrefMember const& member)
{
    char const* const base = reinterpret_cast<char const*>(&prefs.GetMemberArray());
    return *reinterpret_cast<T const*>(base + member.GetValueOffset());
}

double NumberOf(QVPrefs const& prefs, QVPrefMember const& member)
{
    switch (member.GetValueType()) {
    case kQVPrefTypeBool:
        return FieldOf<bool>(prefs, member) ? 1.0 : 0.0;
    case kQVPrefTypeUInt:
        return FieldOf<unsigned int>(prefs, member);
    case kQVPrefTypeFloat64:
        return FieldOf<double>(prefs, member);
    default:
        ADD_FAILURE() << "not a number";
        return 0.0;
    }
}

std::string TextOf(QVPrefs const& prefs, QVPrefMember const& member)
{
    if (member.GetValueType() == kQVPrefTypeAKFilePath)
        return FieldOf<AKFilePath>(prefs, member).String().StdString();
    return FieldOf<AKString>(prefs, member).StdString();
}

std::string NumberText(double number)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.17g", number);
    return text;
}

TEST(QVPrefsTest, EveryMemberHasItsKeyTypeTagAndDefault)
{
    QVPrefs prefs;
    QVPrefMemberArray const& members = prefs.GetMemberArray();
    ASSERT_EQ(members.Count(), std::size(kSettings));
    ASSERT_EQ(prefs.SetupDefaults(), 0);
    for (unsigned int i = 0; i < members.Count(); ++i) {
        Setting const& s = kSettings[i];
        SCOPED_TRACE(s.key);
        QVPrefMember const& member = members.GetMember(i);
        EXPECT_EQ(member.GetKey().StdString(), s.key);
        EXPECT_EQ(member.GetParameterName().StdString(), ParameterName(s.key));
        EXPECT_EQ(member.GetValueType(), s.type);
        EXPECT_EQ(member.GetSaveTag(), s.tag);
        if (s.text != nullptr) {
            EXPECT_EQ(TextOf(prefs, member), s.text);
        } else {
            EXPECT_EQ(NumberOf(prefs, member), s.number);
        }
    }
    EXPECT_EQ(QVAudioFormatToAKString(prefs.GetRecordSoundFormat()), AKString("aiff"));
    EXPECT_EQ(prefs.GetRecordSoundFormatInfo(), QVAudioPCMInfoFromAKString("16"));
    EXPECT_TRUE(prefs.GetPluginSearchPaths().IsEmpty());
    EXPECT_TRUE(prefs.GetPluginSearchFlags().IsEmpty());
    EXPECT_FALSE(prefs.IsModified());
}

TEST(QVPrefsTest, ANewInstanceHoldsZerosUntilItsDefaults)
{
    QVPrefs const prefs;
    EXPECT_EQ(prefs.GetGuiFramesPerSecond(), 0u);
    EXPECT_FALSE(prefs.GetGeneralNewDocAtStartup());
    EXPECT_EQ(prefs.GetPlayerSpeedMax(), 0.0);
    EXPECT_TRUE(prefs.GetOscSendToHostName().IsEmpty());
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), kAKNullStampVers);
    // The shared instance starts with the defaults.
    EXPECT_EQ(QVPrefs::sShared.GetGuiFramesPerSecond(), 60u);
    EXPECT_EQ(gQVPrefs, &QVPrefs::sShared);
}

TEST(QVPrefsTest, EveryRangeIsKeptAndUnrangedNumbersStay)
{
    for (Setting const& s : kSettings) {
        if (s.type != U && s.type != F)
            continue;
        SCOPED_TRACE(s.key);
        std::string const name = ParameterName(s.key);
        bool const swapsWithItsPair = std::string(s.key).rfind("Sequence.ScaleCoeff", 0) == 0;
        QVPrefs prefs;
        prefs.SetupDefaults();
        QVPrefMember const& member = *prefs.GetMemberArray().FindMemberByName(name.c_str());
        if (!s.ranged) {
            prefs.SetupFromParametersString((name + "=4000000000").c_str());
            EXPECT_EQ(NumberOf(prefs, member), 4000000000.0);
            continue;
        }
        double const above = s.high * 2 + 1;
        prefs.SetupFromParametersString((name + "=" + NumberText(above)).c_str());
        if (!swapsWithItsPair) {
            EXPECT_EQ(NumberOf(prefs, member), s.high);
        }
        prefs.SetupDefaults();
        if (s.low > 0 || s.type == F) {
            double const below = s.type == U ? s.low - 1 : s.low - 1000;
            prefs.SetupFromParametersString((name + "=" + NumberText(below)).c_str());
            if (!swapsWithItsPair) {
                EXPECT_EQ(NumberOf(prefs, member), s.low);
            }
        }
        EXPECT_FALSE(prefs.IsModified());
    }
}

TEST(QVPrefsTest, DependentRangesUseTheBoundsCheckedFirst)
{
    struct Case {
        char const* text;
        double (QVPrefs::*get)() const;
        double kept;
    };
    Case const cases[] = {
        {"PlayerMulti_DefaultSpeed=12", &QVPrefs::GetPlayerMultiDefaultSpeed, 8},
        {"PlayerMulti_DefaultSpeed=-12", &QVPrefs::GetPlayerMultiDefaultSpeed, -8},
        {"Player_SpeedMax=100;PlayerMulti_DefaultSpeed=-15", &QVPrefs::GetPlayerMultiDefaultSpeed, -15},
        {"Player_SpeedMax=100;PlayerMulti_DefaultSpeed=-50", &QVPrefs::GetPlayerMultiDefaultSpeed, -16},
        {"Preset_RecallDefaultDuration=30", &QVPrefs::GetPresetRecallDefaultDuration, 20},
        {"Preset_RecallMaxDuration=100;Preset_RecallDefaultDuration=70", &QVPrefs::GetPresetRecallDefaultDuration, 60},
        {"Preset_RecallMaxDuration=0;Preset_RecallDefaultDuration=5", &QVPrefs::GetPresetRecallDefaultDuration, 1},
        {"PlayerMulti_MinSpanDuration=1;PlayerMulti_DefaultSpanDuration=0.005",
         &QVPrefs::GetPlayerMultiDefaultSpanDuration, 0.01},
        {"Sequence_ScaleCoeffMin=50;Sequence_ScaleCoeffMax=2", &QVPrefs::GetSequenceScaleCoeffMin, 2},
        {"Sequence_ScaleCoeffMin=50;Sequence_ScaleCoeffMax=2", &QVPrefs::GetSequenceScaleCoeffMax, 50},
        {"Sequence_ScaleCoeffMin=500;Sequence_ScaleCoeffMax=0", &QVPrefs::GetSequenceScaleCoeffMin, 0.01},
        {"Sequence_ScaleCoeffMin=500;Sequence_ScaleCoeffMax=0", &QVPrefs::GetSequenceScaleCoeffMax, 100},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        QVPrefs prefs;
        prefs.SetupDefaults();
        prefs.SetupFromParametersString(c.text);
        EXPECT_EQ((prefs.*c.get)(), c.kept);
    }
}

TEST(QVPrefsTest, CheckingNeverMarksAChange)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    prefs.SetGuiFramesPerSecond(30);
    prefs.SetModified(false);
    unsigned int const stamp = prefs.GetChangeStamp();
    AKDictionary file;
    file.SetValue("_Version", AKValueSetasUInt(4));
    file.SetValue("Internal.VerboseLevel", AKValueSetasUInt(15));
    file.SetValue("Gui.FramesPerSecond", AKValueSetasUInt(0));
    file.SetValue("Provider.SoundMaxSizeMB", AKValueSetasUInt(4096));
    file.SetValue("PortAudio.SampleRate", AKValueSetasFloat64(std::numeric_limits<double>::quiet_NaN()));
    prefs.ReadFromDictionary(file);
    EXPECT_EQ(prefs.GetInternalVerboseLevel(), 9u);
    EXPECT_EQ(prefs.GetGuiFramesPerSecond(), 1u);
    EXPECT_EQ(prefs.GetProviderSoundMaxSizeMB(), 2040u);
    EXPECT_EQ(prefs.GetPortAudioSampleRate(), 100.0);  // never left holding a NaN
    prefs.CheckSettings();
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp);

    // The document template is checked with them.
    prefs.GetDefaultDocPrefs().SetupFromParametersString("Audio_MasterVolume=-60");
    prefs.CheckSettings();
    EXPECT_EQ(prefs.GetDefaultDocPrefs().GetAudioMasterVolume(), -48.0);
}

TEST(QVPrefsTest, SettersKeepRangesAndTrackChanges)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    unsigned int const stamp = prefs.GetChangeStamp();
    EXPECT_FALSE(prefs.SetGuiFramesPerSecond(60));
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_TRUE(prefs.SetGuiFramesPerSecond(500));
    EXPECT_EQ(prefs.GetGuiFramesPerSecond(), 200u);
    EXPECT_FALSE(prefs.SetGuiFramesPerSecond(300));  // kept at 200: no change
    EXPECT_TRUE(prefs.SetOscSendToHostName("host"));
    EXPECT_TRUE(prefs.SetPlayerSpeedMax(4));
    EXPECT_EQ(prefs.GetPlayerMultiDefaultSpeed(), 0.0);
    EXPECT_TRUE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp + 3);

    // A copy carries the values, the registry and the change state.
    QVPrefs copy = prefs;
    EXPECT_TRUE(copy.GetMemberArray().AreEqualMemberValues(prefs.GetMemberArray()));
    EXPECT_EQ(copy.GetChangeStamp(), prefs.GetChangeStamp());
    EXPECT_TRUE(copy.SetGuiFramesPerSecond(25));
    EXPECT_EQ(prefs.GetGuiFramesPerSecond(), 200u);
    EXPECT_FALSE(copy.GetMemberArray().AreEqualMemberValues(prefs.GetMemberArray()));
    copy = prefs;
    EXPECT_TRUE(copy.GetMemberArray().AreEqualMemberValues(prefs.GetMemberArray()));
}

TEST(QVPrefsTest, DerivedValues)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    double const scales[] = {1.0, 1.5, 2.0};
    for (unsigned int mode = 0; mode < 3; ++mode) {
        prefs.SetGuiMainScaleFactorMode(mode);
        EXPECT_EQ(prefs.GetGuiMainScaleFactor(), scales[mode]);
    }
    unsigned int const hours[] = {0, 2, 48, 168, 720, 4294967295u};
    for (unsigned int mode = 0; mode < 6; ++mode) {
        prefs.SetRepositoryKeepMode(mode);
        EXPECT_EQ(prefs.GetRepositoryKeepDurationInHours(), hours[mode]);
    }

    AKFilePath const temporary = AKFileUtils::GetSystemTemporaryDirPath();
    prefs.SetRecordSoundFolderPath(AKFilePath(temporary.String() + "a/../"));
    EXPECT_EQ(prefs.GetRecordSoundFolderPathResolved(), temporary);
    AKFilePath desktop("/desktop/of/the/test/");
    QVStandardFolders::SetStandardPath(19, desktop);
    prefs.SetRecordSoundFolderPath("/no/such/folder/at/all");
    EXPECT_EQ(prefs.GetRecordSoundFolderPathResolved(), desktop);
    prefs.SetRecordSoundFolderPath("");
    EXPECT_EQ(prefs.GetRecordSoundFolderPathResolved(), desktop);
    QVStandardFolders::TerminateStandardPaths();
}

TEST(QVPrefsTest, TheLogListsEveryMemberUnderItsTitle)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    LogCapture capture;
    prefs.LogInfoPrefs();
    std::vector<std::string> const lines = capture.Lines();
    ASSERT_EQ(lines.size(), std::size(kSettings) + 2);
    EXPECT_EQ(lines.front(), "Quorvex Prefs:\n");
    EXPECT_EQ(lines.back(), "\n");
    char expected[128];
    std::snprintf(expected, sizeof(expected), "%-36s %-12s %s\n", "Gui_FramesPerSecond", "UInt", "60");
    EXPECT_EQ(lines[1 + 11], expected);
    std::snprintf(expected, sizeof(expected), "%-36s %-12s %s\n", "Osc_SendToHostName", "AKString", "\"127.0.0.1\"");
    EXPECT_EQ(lines[1 + 80], expected);
}

TEST(QVPrefsTest, OverlapFollowsTheSharedFade)
{
    double const kept = QVPrefs::sShared.GetEngineOlapsysFadeDuration();
    QVPrefs::sShared.SetEngineOlapsysFadeDuration(0.005);
    EXPECT_EQ(QVPrefs::EngineComputeOlapsysFrameCount(256, 44100.0), 160u);
    EXPECT_EQ(QVPrefs::EngineComputeOlapsysFrameCount(512, 44100.0), 221u);
    EXPECT_EQ(QVPrefs::EngineComputeOlapsysFrameCount(40, 44100.0), 40u);
    QVPrefs::sShared.SetEngineOlapsysFadeDuration(kept);
}

TEST(QVPrefsTest, EngineDurationsAreKeptInTheirRangesAndPublished)
{
    struct Case {
        bool (QVPrefs::*set)(double);
        double (QVPrefs::*get)() const;
        double given;
        double kept;
    };
    double const nan = std::numeric_limits<double>::quiet_NaN();
    Case const cases[] = {
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 0.002, 0.002},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 0.0, 0.0001},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 1.0, 0.01},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, nan, 0.005},
        {&QVPrefs::SetEngineOlapsysFadeDuration, &QVPrefs::GetEngineOlapsysFadeDuration, -3.0, 0.0001},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 0.5, 1.0},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 1000.0, 600.0},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 30.0, 30.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.given);
        QVPrefs prefs;
        prefs.SetupDefaults();
        unsigned int const stamp = prefs.GetChangeStamp();
        bool const changes = c.kept != (prefs.*c.get)();
        EXPECT_EQ((prefs.*c.set)(c.given), changes);
        EXPECT_EQ((prefs.*c.get)(), c.kept);
        EXPECT_EQ(prefs.IsModified(), changes);
        EXPECT_EQ(prefs.GetChangeStamp() != stamp, changes);
        EXPECT_FALSE((prefs.*c.set)(c.given));  // the same again changes nothing
        if (changes) {
            // The audio resources read the published copies.
            EXPECT_EQ(QVAudioResourcePrefs::sShared.engineBornFadeDuration, prefs.GetEngineBornFadeDuration());
            EXPECT_EQ(QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration,
                      prefs.GetEnginePluginWorkMaxDuration());
        }
    }
    QVPrefs::sShared.PublishAudioResourcePrefs();
}

TEST(QVPrefsTest, TheSharedInstancePublishesWhatItLoads)
{
    QVPrefs const kept = QVPrefs::sShared;
    AKDictionary file;
    file.SetValue("_Version", AKValueSetasUInt(4));
    file.SetValue("Provider.SimultaneousLoad", AKValueSetasUInt(7));
    file.SetValue("Engine.BornFadeDuration", AKValueSetasFloat64(0.002));
    QVPrefs::sShared.ReadFromDictionary(file);
    EXPECT_EQ(QVAudioResourcePrefs::sShared.providerSimultaneousLoad, 7u);
    EXPECT_EQ(QVAudioResourcePrefs::sShared.engineBornFadeDuration, 0.002);
    QVPrefs::sShared = kept;
    QVPrefs::sShared.CheckSettings();
    EXPECT_EQ(QVAudioResourcePrefs::sShared.providerSimultaneousLoad, 3u);
}

TEST(QVPrefsTest, PluginFoldersChangeOnlyWhenTheyDiffer)
{
    QVPrefs prefs;
    AKFilePathArray const paths = {"/a/", "/b/"};
    EXPECT_TRUE(prefs.SetPluginSearchPaths(paths));
    unsigned int const stamp = prefs.GetChangeStamp();
    prefs.SetModified(false);
    EXPECT_FALSE(prefs.SetPluginSearchPaths({"/a/", "/b/"}));
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp);
    EXPECT_TRUE(prefs.SetPluginSearchPaths({"/a/"}));
    EXPECT_TRUE(prefs.SetPluginSearchPaths({"/a/", "/c/"}));

    EXPECT_TRUE(prefs.SetPluginSearchFlags({1, 2}));
    EXPECT_FALSE(prefs.SetPluginSearchFlags({1, 2}));
    EXPECT_TRUE(prefs.SetPluginSearchFlags({1, 3}));
    EXPECT_EQ(prefs.GetPluginSearchFlags(), (QVPrefsUIntArray{1, 3}));
}

TEST(QVPrefsTest, TheAudioResourcesReachThePluginFoldersThroughTheServices)
{
    QVEngineServices::Install();
    AKFilePathArray const kept = QVPrefs::sShared.GetPluginSearchPaths();
    QVPrefsUIntArray const keptFlags = QVPrefs::sShared.GetPluginSearchFlags();

    QVAudioServices::Get().SetPluginSearchPrefs({"/x/", "/y/"}, {3, 2});
    EXPECT_EQ(QVPrefs::sShared.GetPluginSearchPaths(), (AKFilePathArray{"/x/", "/y/"}));
    EXPECT_TRUE(QVPrefs::sShared.IsModified());
    AKFilePathArray paths;
    QVPluginSearchFlagArray flags;
    QVAudioServices::Get().GetPluginSearchPrefs(&paths, &flags);
    EXPECT_EQ(paths, (AKFilePathArray{"/x/", "/y/"}));
    EXPECT_EQ(flags, (QVPluginSearchFlagArray{3, 2}));

    QVPrefs::sShared.SetPluginSearchPaths(kept);
    QVPrefs::sShared.SetPluginSearchFlags(keptFlags);
    QVEngineServices::Uninstall();
}

}  // namespace
