// Persistent forms of a playable: both forms round-trip to the same bytes on
// a second save, the older keys are read and never written, values read from
// a dictionary are limited (the binary form is taken as written), and the
// plug-in slot keeps and writes back what a document gave for a plug-in that
// cannot be made.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKValueTyped.h"
#include "QVObjectPlayableTestClasses.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlayableEnvironment());

std::vector<unsigned char> FileFormOf(AKObject const* object)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(object, file), 0);
    return MemoryStreamBytes(file);
}

template <class T>
PlayTestPtr<T> ReadFileForm(std::vector<unsigned char> const& bytes)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    return PlayTestPtr<T>(static_cast<T*>(AKClass::NewObjectFromFile(nullptr, file, 1)));
}

AKDictionary DictionaryOf(QVObjectPlayable const& playable)
{
    AKDictionary dictionary;
    EXPECT_EQ(playable.akmWriteToDictionary(dictionary), 0);
    return dictionary;
}

AKString XmlOf(AKDictionary const& dictionary)
{
    AKString text;
    EXPECT_EQ(dictionary.SaveToXmlString(&text, true), 0);
    return text;
}

AKMemoryBlock StateBytes()
{
    unsigned char const bytes[] = {0x01, 0x00, 0xFE, 0x42, 0x07};
    return AKMemoryBlock(bytes, sizeof(bytes));
}

// A multi-player with every saved parameter away from its default.
void SetEverything(QVObjectPlayable* playable)
{
    playable->SetUserPlay(1);
    playable->SetUserLoop(1);
    playable->SetUserStated(1);
    playable->SetUserMute(1);
    playable->SetUserSolo(1);
    playable->SetUserVolume(-7.25);
    playable->SetUserPanora(0.3);
    playable->SetUserFadio(0.6);
    playable->SetUserSpeed(-1.5);
    playable->SetUserSpeedWow(0.2);
    playable->SetUserSpeedSubx(2.5);
    playable->SetUserPhase(0.125);
    playable->LowSetUserTimeAndSpan(33.3, 4.5, false);
    playable->SetUserUIStarterKey(3);
}

void ExpectEverything(QVObjectPlayable const& playable)
{
    EXPECT_TRUE(playable.IsUserPlay() && playable.IsUserLoop() && playable.IsUserStated());
    EXPECT_TRUE(playable.IsUserMute() && playable.IsUserSolo());
    EXPECT_EQ(playable.GetUserVolume(), -7.25);
    EXPECT_EQ(playable.GetUserGain(), QVPlayableGainFromVolume(-7.25));
    EXPECT_EQ(playable.GetUserPanora(), 0.3);
    EXPECT_EQ(playable.GetUserFadio(), 0.6);
    EXPECT_EQ(playable.GetUserSpeed(), -1.5);
    EXPECT_EQ(playable.GetUserSpeedWow(), 0.2);
    EXPECT_EQ(playable.GetUserSpeedSubx(), 2.5);
    EXPECT_EQ(playable.GetUserPhase(), 0.125);
    EXPECT_EQ(playable.GetUserTime(), 33.3);
    EXPECT_EQ(playable.GetUserSpan(), 4.5);
    EXPECT_EQ(playable.GetUIStarterKey(), 3u);
}

TEST(QVObjectPlayablePersist, DictionaryFormRoundTripsToTheSameText)
{
    PlayTestPtr<PlayTestCursor> const original = NewPlayTest<PlayTestCursor>();
    SetEverything(original.get());
    AKDictionary const first = DictionaryOf(*original);

    AKDictionary const& state = AKValueGetasAKDictionary(first.GetValue("State"));
    EXPECT_EQ(state.Count(), 14u);  // five flags and nine reals
    EXPECT_FALSE(state.ContainsKey("Gain"));
    EXPECT_FALSE(first.ContainsKey("Plugin"));

    PlayTestPtr<PlayTestCursor> const copy = NewPlayTest<PlayTestCursor>();
    ASSERT_EQ(copy->akmInitFromDictionary(first), 0);
    ExpectEverything(*copy);
    EXPECT_EQ(XmlOf(DictionaryOf(*copy)), XmlOf(first));
}

TEST(QVObjectPlayablePersist, FileFormRoundTripsToTheSameBytes)
{
    PlayTestPtr<PlayTestCursor> const original = NewPlayTest<PlayTestCursor>();
    SetEverything(original.get());
    std::vector<unsigned char> const bytes = FileFormOf(original.get());

    PlayTestPtr<PlayTestCursor> const copy = ReadFileForm<PlayTestCursor>(bytes);
    ASSERT_NE(copy, nullptr);
    ExpectEverything(*copy);
    EXPECT_EQ(FileFormOf(copy.get()), bytes);

    // Re-initialised in place by the history: the settings come back, the
    // playback head (Play, Time) stays.
    PlayTestPtr<PlayTestCursor> const other = NewPlayTest<PlayTestCursor>();
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    ASSERT_EQ(AKClass::ReinitObjectFromFile(other.get(), file), 0);
    EXPECT_FALSE(other->IsUserPlay());
    EXPECT_EQ(other->GetUserVolume(), original->GetUserVolume());
    EXPECT_EQ(other->GetUserTime(), 0.0);
}

TEST(QVObjectPlayablePersist, TruncatedFileFormsFailToLoad)
{
    PlayTestPtr<PlayTestAtomic> const original = NewPlayTest<PlayTestAtomic>();
    original->SetUserVolume(-3.0);
    std::vector<unsigned char> const bytes = FileFormOf(original.get());
    for (size_t size = 0; size < bytes.size(); ++size) {
        std::vector<unsigned char> const cut(bytes.begin(), bytes.begin() + size);
        PlayTestPtr<PlayTestAtomic> const broken = ReadFileForm<PlayTestAtomic>(cut);
        EXPECT_EQ(broken, nullptr) << size;
    }
}

TEST(QVObjectPlayablePersist, OlderKeysAreReadWhenTheCurrentOneIsMissingAndNeverWritten)
{
    struct Case {
        char const* name;
        std::vector<std::pair<char const*, double>> keys;
        double wow;
        double subx;
        double span;
    };
    double const defaultSpan = QVPrefs::sShared.GetPlayerMultiDefaultSpanDuration();
    Case const cases[] = {
        {"Wow alone", {{"Wow", 0.4}}, 0.4, 1.0, defaultSpan},
        {"SpeedWow wins", {{"Wow", 0.4}, {"SpeedWow", 0.7}}, 0.7, 1.0, defaultSpan},
        {"SpeedSubk", {{"SpeedSubk", 3.0}, {"Subx", 2.0}}, 0.0, 3.0, defaultSpan},
        {"Subx", {{"Subx", 2.0}}, 0.0, 2.0, defaultSpan},
        {"SpeedSubx wins", {{"SpeedSubx", 1.5}, {"SpeedSubk", 3.0}}, 0.0, 1.5, defaultSpan},
        {"Apert", {{"Apert", 6.0}}, 0.0, 1.0, 6.0},
        {"Span wins", {{"Apert", 6.0}, {"Span", 2.0}}, 0.0, 1.0, 2.0},
    };
    for (Case const& c : cases) {
        AKDictionary state;
        for (auto const& key : c.keys)
            state.SetValue(key.first, AKValueSetasFloat64(key.second));
        AKDictionary dictionary;
        dictionary.SetValue("State", AKValueSetasAKDictionary(state));
        PlayTestPtr<PlayTestCursor> const cursor = NewPlayTest<PlayTestCursor>();
        ASSERT_EQ(cursor->akmInitFromDictionary(dictionary), 0) << c.name;
        EXPECT_EQ(cursor->GetUserSpeedWow(), c.wow) << c.name;
        EXPECT_EQ(cursor->GetUserSpeedSubx(), c.subx) << c.name;
        EXPECT_EQ(cursor->GetUserSpan(), c.span) << c.name;

        AKDictionary const whole = DictionaryOf(*cursor);
        AKDictionary const& written = AKValueGetasAKDictionary(whole.GetValue("State"));
        for (char const* older : {"Wow", "SpeedSubk", "Subx", "Apert"})
            EXPECT_FALSE(written.ContainsKey(older)) << c.name << " " << older;
        EXPECT_EQ(AKValueGetasFloat64(written.GetValue("SpeedWow"), false), c.wow) << c.name;
    }
}

TEST(QVObjectPlayablePersist, DictionaryValuesAreLimitedAndTheSpanRuleApplies)
{
    AKDictionary state;
    state.SetValue("Volume", AKValueSetasFloat64(20.0));
    state.SetValue("Speed", AKValueSetasSInt(100));  // a whole number stored as an integer
    state.SetValue("Phase", AKValueSetasFloat64(-2.0));
    state.SetValue("Span", AKValueSetasFloat64(3.0));
    state.SetValue("Time", AKValueSetasFloat64(-12.0));  // not limited
    state.SetValue("Play", AKValueSetasBool(true));
    AKDictionary dictionary;
    dictionary.SetValue("State", AKValueSetasAKDictionary(state));

    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->SetUserPanora(0.5);  // missing keys keep the current value
    ASSERT_EQ(player->akmInitFromDictionary(dictionary), 0);
    EXPECT_EQ(player->GetUserVolume(), 12.0);
    EXPECT_EQ(player->GetUserGain(), QVPlayableGainFromVolume(12.0));
    EXPECT_EQ(player->GetUserSpeed(), QVPrefs::sShared.GetPlayerSpeedMax());
    EXPECT_EQ(player->GetUserPhase(), 0.0);
    EXPECT_EQ(player->GetUserSpan(), 0.0);  // a single player has no span
    EXPECT_EQ(player->GetUserTime(), -12.0);
    EXPECT_TRUE(player->IsUserPlay());
    EXPECT_EQ(player->GetUserPanora(), 0.5);

    AKDictionary tiny;
    tiny.SetValue("Span", AKValueSetasFloat64(5e-7));
    AKDictionary sequenceForm;
    sequenceForm.SetValue("State", AKValueSetasAKDictionary(tiny));
    PlayTestPtr<PlayTestSequence> const sequence = NewPlayTest<PlayTestSequence>();
    ASSERT_EQ(sequence->akmInitFromDictionary(sequenceForm), 0);
    EXPECT_EQ(sequence->GetUserSpan(), 0.0);
}

TEST(QVObjectPlayablePersist, TheFileFormIsTakenAsWritten)
{
    // A value outside its range, as an older version may have saved it.
    PlayTestPtr<PlayTestCursor> const original = NewPlayTest<PlayTestCursor>();
    AKDictionary state;
    state.SetValue("Volume", AKValueSetasFloat64(-6.0));
    AKDictionary dictionary;
    dictionary.SetValue("State", AKValueSetasAKDictionary(state));
    original->akmInitFromDictionary(dictionary);
    std::vector<unsigned char> bytes = FileFormOf(original.get());
    // The volume is the first real, after the five flags and three unused bools.
    std::vector<unsigned char> const pattern = [] {
        double const volume = -6.0;
        unsigned char raw[8];
        std::memcpy(raw, &volume, 8);
        return std::vector<unsigned char>(raw, raw + 8);
    }();
    auto const at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    ASSERT_NE(at, bytes.end());
    double const loud = 30.0;
    std::memcpy(&*at, &loud, 8);
    PlayTestPtr<PlayTestCursor> const copy = ReadFileForm<PlayTestCursor>(bytes);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetUserVolume(), 30.0);
    EXPECT_EQ(copy->GetUserGain(), QVPlayableGainFromVolume(30.0));
}

AKDictionary UnknownPluginDictionary()
{
    AKDictionary plugin;
    plugin.SetValue("UID", AKValueSetasQVPluginDescUID(kUnknownPluginUID));
    plugin.SetValue("Name", AKValueSetasAKString(AKString("Vanished Reverb")));
    plugin.SetValue("Bypass", AKValueSetasBool(true));
    plugin.SetValue("State", AKValueSetasBinary(StateBytes()));
    AKDictionary dictionary;
    dictionary.SetValue("Plugin", AKValueSetasAKDictionary(plugin));
    return dictionary;
}

TEST(QVObjectPlayablePersist, AnUnknownPluginIsKeptAndWrittenBackUnchanged)
{
    AKDictionary const dictionary = UnknownPluginDictionary();
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    ASSERT_EQ(player->akmInitFromDictionary(dictionary), 0);
    EXPECT_EQ(player->GetPluginInstance(), nullptr);
    EXPECT_EQ(player->GetPluginUID(), kUnknownPluginUID);
    EXPECT_EQ(player->GetPluginName(), AKString("Vanished Reverb"));
    EXPECT_TRUE(player->IsPluginBypass());
    EXPECT_FALSE(player->SetPluginBypass(0));
    EXPECT_EQ(player->SetPluginParameter(0, 0.75), 0.75);
    EXPECT_EQ(player->GetPluginParameter(0), 0.0);
    EXPECT_FALSE(player->ShowPluginWindow(true));

    AKDictionary const written = DictionaryOf(*player);
    EXPECT_EQ(XmlOf(AKValueGetasAKDictionary(written.GetValue("Plugin"))),
              XmlOf(AKValueGetasAKDictionary(dictionary.GetValue("Plugin"))));

    // Through the file form too, to the same bytes on a second save.
    std::vector<unsigned char> const bytes = FileFormOf(player.get());
    PlayTestPtr<PlayTestAtomic> const copy = ReadFileForm<PlayTestAtomic>(bytes);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetPluginInstance(), nullptr);
    EXPECT_EQ(copy->GetStoredPluginState(), StateBytes());
    EXPECT_TRUE(copy->GetStoredPluginBypass());
    EXPECT_EQ(FileFormOf(copy.get()), bytes);
}

TEST(QVObjectPlayablePersist, AttachingAnotherPluginForgetsTheUnknownOnesData)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    ASSERT_EQ(player->akmInitFromDictionary(UnknownPluginDictionary()), 0);
    // Another plug-in that cannot be made either must not inherit the state.
    EXPECT_TRUE(player->AttachPlugin(kUnknownPluginUID + 1));
    EXPECT_TRUE(player->GetStoredPluginState().IsEmpty());
    EXPECT_FALSE(player->IsPluginBypass());
    AKDictionary const whole = DictionaryOf(*player);
    AKDictionary const& plugin = AKValueGetasAKDictionary(whole.GetValue("Plugin"));
    EXPECT_EQ(AKValueGetasQVPluginDescUID(plugin.GetValue("UID")), kUnknownPluginUID + 1);
    EXPECT_TRUE(AKValueGetasBinary(plugin.GetValue("State")).IsEmpty());

    EXPECT_TRUE(player->AttachPlugin(kQVNullPluginDescUID));
    EXPECT_FALSE(DictionaryOf(*player).ContainsKey("Plugin"));
}

TEST(QVObjectPlayablePersist, AKnownPluginIsRestoredWithItsStateAndBypass)
{
    AKDictionary plugin;
    plugin.SetValue("UID", AKValueSetasQVPluginDescUID(kKnownPluginUID));
    plugin.SetValue("Name", AKValueSetasAKString(AKString("Old Name")));
    plugin.SetValue("Bypass", AKValueSetasBool(true));
    plugin.SetValue("State", AKValueSetasBinary(StateBytes()));
    AKDictionary dictionary;
    dictionary.SetValue("Plugin", AKValueSetasAKDictionary(plugin));

    SCOPED_TRACE("known plug-in");
    PlayTestPtr<PlayTestSequence> const sequence = NewPlayTest<PlayTestSequence>();
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    sequence->AddPlayer(player.get());
    ASSERT_EQ(player->akmInitFromDictionary(dictionary), 0);
    auto* const effect = static_cast<PlayTestEffect*>(player->GetPluginInstance());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->mState, StateBytes());
    EXPECT_TRUE(effect->IsBypassed());
    EXPECT_TRUE(effect->IsAppliedBypass());
    EXPECT_TRUE(player->GetStoredPluginState().IsEmpty());  // the instance holds it now
    EXPECT_EQ(sequence->mPluginCarriers, 1);

    // Saving writes what the instance holds now.
    unsigned char const changed[] = {9, 9};
    effect->mState = AKMemoryBlock(changed, sizeof(changed));
    EXPECT_TRUE(player->SetPluginBypass(0));
    AKDictionary const whole = DictionaryOf(*player);
    AKDictionary const& written = AKValueGetasAKDictionary(whole.GetValue("Plugin"));
    EXPECT_EQ(AKValueGetasAKString(written.GetValue("Name")), effect->GetName());
    EXPECT_NE(effect->GetName(), AKString("Old Name"));
    EXPECT_FALSE(AKValueGetasBool(written.GetValue("Bypass"), false));
    EXPECT_EQ(AKValueGetasBinary(written.GetValue("State")), effect->mState);

    // Parameters go through the instance; a bad index changes nothing.
    player->SetModified(false);
    EXPECT_EQ(player->SetPluginParameter(1, 3.0), 1.0);
    EXPECT_TRUE(player->IsModified());
    EXPECT_EQ(player->GetPluginParameter(1), 1.0);
    player->SetModified(false);
    EXPECT_EQ(player->SetPluginParameter(5, 0.3), 0.3);
    EXPECT_FALSE(player->IsModified());

    // A player in a sequence prepares its instance; the release reaches it.
    QVAudioInfo info;
    info.Setup(2, 256, 44100.0);
    EXPECT_EQ(player->PrepareAudioResources(info, 64), 0);
    EXPECT_EQ(effect->mPrepared.frameCount, 256u);
    player->ReleaseAudioResources();
    EXPECT_EQ(effect->mReleaseCalls, 1);

    // Dropping the plug-in lowers the sequence's count of carriers.
    EXPECT_TRUE(player->AttachPlugin(kQVNullPluginDescUID));
    EXPECT_EQ(sequence->mPluginCarriers, 0);
}

TEST(QVObjectPlayablePersist, AStandalonePlayersInstanceIsNotPreparedHere)
{
    PlayTestPtr<PlayTestAtomic> const player = NewPlayTest<PlayTestAtomic>();
    player->MakeStandalone();
    ASSERT_TRUE(player->AttachPlugin(kKnownPluginUID));
    auto* const effect = static_cast<PlayTestEffect*>(player->GetPluginInstance());
    ASSERT_NE(effect, nullptr);
    QVAudioInfo info;
    info.Setup(2, 256, 44100.0);
    player->PrepareAudioResources(info, 0);
    EXPECT_EQ(effect->mPrepareCalls, 0);

    player->SetModified(false);
    EXPECT_TRUE(player->ShowPluginWindow(true));
    EXPECT_TRUE(player->IsModified());
    player->SetModified(false);
    effect->mWindowWorks = false;
    EXPECT_FALSE(player->ShowPluginWindow(true));
    EXPECT_FALSE(player->IsModified());
}

}  // namespace
