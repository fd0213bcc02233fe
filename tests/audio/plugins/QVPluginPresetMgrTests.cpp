// Plug-in presets: keys, name treatment, adding, renaming and removing, the
// lists for the presets dialog, and the presets file, byte for byte, with
// its missing and damaged cases.

#include "AKDictionary.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "PluginTestFixtures.h"
#include "QVPluginPresetMgr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// An Audio Unit of type "aufx" and sub-type "bpas".
constexpr QVPluginDescUID kBandPass = 0x6175667862706173ull;
constexpr QVPluginDescUID kOther = 0x7673743300000042ull;

// "Café" in the program's Mac Roman text, and its UTF-8 bytes.
constexpr char kCafeMacRoman[] = "Caf\x8E";
constexpr char kCafeUTF8[] = "Caf\xC3\xA9";

AKMemoryBlock Block(std::initializer_list<unsigned char> bytes)
{
    std::vector<unsigned char> const data(bytes);
    return AKMemoryBlock(data.data(), static_cast<unsigned int>(data.size()));
}

std::vector<unsigned char> ReadAll(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(std::string const& path, std::vector<unsigned char> const& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// --- The binary dictionary layout, written out by hand ---

using Bytes = std::vector<unsigned char>;

Bytes operator+(Bytes a, Bytes const& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes U32(uint32_t value)
{
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

Bytes U64(uint64_t value) { return U32(static_cast<uint32_t>(value)) + U32(static_cast<uint32_t>(value >> 32)); }

// Bytes followed by NULs up to a multiple of 4.
Bytes Padded(std::string const& text)
{
    Bytes bytes(text.begin(), text.end());
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
    return bytes;
}

// The string file form: the padded length, then the padded UTF-8 bytes.
Bytes Str(std::string const& utf8) { return U32(static_cast<uint32_t>(Padded(utf8).size())) + Padded(utf8); }

// A chunk: the signature's letters, the payload's size, the payload.
Bytes Chunk(char const* signature, Bytes const& payload)
{
    return Bytes(signature, signature + 4) + U32(static_cast<uint32_t>(payload.size())) + payload;
}

Bytes PresetChunk(std::string const& nameUTF8, uint64_t date, std::string const& state)
{
    return Chunk("dict", U32(3) + Str("Date") + Chunk("intg", U64(date)) + Str("Name") +
                             Chunk("strg", Padded(nameUTF8)) + Str("State") +
                             Chunk("bina", U32(static_cast<uint32_t>(state.size())) + Padded(state)));
}

class QVPluginPresetMgrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvel-presets-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mDir = pattern;
        mServices.mSettingsDir = AKFilePath((mDir + "/").c_str());
        QVAudioServices::Install(&mServices);
    }
    void TearDown() override
    {
        QVAudioServices::Install(nullptr);
        std::filesystem::remove_all(mDir);
    }

    std::string FilePath() const { return mDir + "/Orvel-Player-PluginPresets"; }

    AKDictionary const* PluginEntry(QVPluginDescUID uid) const
    {
        AKDictionary presets;
        mPresets.WriteToDictionary(&presets);
        mCopy = presets;
        return mCopy.GetValue(QVPluginPresetMgr::_LowGenerateKey(uid)).GetasAKDictionary();
    }

    std::vector<std::string> Names(QVPluginDescUID uid) const
    {
        AKStringArray names;
        mPresets.GetPresetNamesForPlugin(uid, &names, nullptr);
        std::vector<std::string> result;
        for (AKString const& name : names)
            result.push_back(name.c_str());
        return result;
    }

    std::string mDir;
    FakeAudioServices mServices;
    QVPluginPresetMgr mPresets;
    mutable AKDictionary mCopy;
};

TEST(QVPluginPresetKeysTest, KeysAreHexadecimalFormsOfTheBytes)
{
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(kBandPass), "_7361706278667561");
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(QVPluginDescUID(1)), "_0100000000000000");
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(kQVNullPluginDescUID), "");
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(AKString("Warm")), "_5761726D");
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(AKString(kCafeMacRoman)), "_436166C3A9");
    EXPECT_EQ(QVPluginPresetMgr::_LowGenerateKey(AKString()), "");
}

TEST(QVPluginPresetKeysTest, NamesLoseOuterBlanksAndKeep64Bytes)
{
    EXPECT_EQ(QVPluginPresetMgr::_LowTreatInputName(" \t Warm Pad \t"), "Warm Pad");
    EXPECT_EQ(QVPluginPresetMgr::_LowTreatInputName(" \t "), "");
    std::string const seventy(70, 'x');
    EXPECT_EQ(QVPluginPresetMgr::_LowTreatInputName(seventy).Length(), 64u);
}

TEST_F(QVPluginPresetMgrTest, TheFileMatchesTheDictionaryLayoutByteForByte)
{
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({'w', 'a', 'r', 'm', '!'}), false));
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, kCafeMacRoman, Block({1, 2, 3, 4}), false));
    // Fixed dates, so that the bytes are known.
    AKDictionary presets;
    mPresets.WriteToDictionary(&presets);
    presets.SetValue("_7361706278667561._5761726D.Date", AKValueSetasUInt(1500000000));
    presets.SetValue("_7361706278667561._436166C3A9.Date", AKValueSetasUInt(1600000000));
    mPresets.ReadFromDictionary(presets);
    ASSERT_EQ(mPresets.SaveToDefaultBinFile(true), 0);

    Bytes const golden =
        Chunk("dict", U32(1) + Str("_7361706278667561") +
                          Chunk("dict", U32(2) + Str("_436166C3A9") +
                                            PresetChunk(kCafeUTF8, 1600000000, std::string("\x01\x02\x03\x04", 4)) +
                                            Str("_5761726D") + PresetChunk("Warm", 1500000000, "warm!")));
    EXPECT_EQ(ReadAll(FilePath()), golden);

    // And the file reads back into the same presets.
    QVPluginPresetMgr reloaded;
    ASSERT_EQ(reloaded.LoadFromDefaultBinFile(), 0);
    AKStringArray names;
    ATNumberArray<unsigned int, unsigned int, 32> dates;
    ASSERT_TRUE(reloaded.GetPresetNamesForPlugin(kBandPass, &names, &dates));
    ASSERT_EQ(names.Count(), 2u);
    EXPECT_EQ(names[0], kCafeMacRoman);
    EXPECT_EQ(names[1], "Warm");
    EXPECT_EQ(dates[0], 1600000000u);
    EXPECT_EQ(dates[1], 1500000000u);
    AKMemoryBlock state;
    ASSERT_TRUE(reloaded.GetPreset(kBandPass, "Warm", &state));
    EXPECT_EQ(state, Block({'w', 'a', 'r', 'm', '!'}));
    EXPECT_FALSE(reloaded.IsModified());
}

TEST_F(QVPluginPresetMgrTest, TreatedNamesNameTheSamePreset)
{
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "  Warm  ", Block({7}), false));
    EXPECT_TRUE(mPresets.ExistsPreset(kBandPass, "Warm"));
    EXPECT_TRUE(mPresets.ExistsPreset(kBandPass, "\tWarm"));
    EXPECT_FALSE(mPresets.AddPreset(kBandPass, "Warm", Block({8}), false));
    EXPECT_EQ(Names(kBandPass), std::vector<std::string>{"Warm"});

    std::string const seventy = std::string(60, 'a') + "bcdefghijk";
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, seventy.c_str(), Block({9}), false));
    EXPECT_TRUE(mPresets.ExistsPreset(kBandPass, seventy.substr(0, 64).c_str()));
    EXPECT_EQ(Names(kBandPass)[1], seventy.substr(0, 64));  // "W" (57) sorts before "a" (61)
}

TEST_F(QVPluginPresetMgrTest, UnusableNamesAndUIDZeroAreRefusedEverywhere)
{
    AKMemoryBlock state = Block({1});
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", state, false));
    struct Case {
        QVPluginDescUID uid;
        char const* name;
    };
    for (Case const c : {Case{kQVNullPluginDescUID, "Warm"}, Case{kBandPass, "   "}, Case{kBandPass, ""}}) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(mPresets.AddPreset(c.uid, c.name, state, true));
        EXPECT_FALSE(mPresets.ExistsPreset(c.uid, c.name));
        EXPECT_FALSE(mPresets.GetPreset(c.uid, c.name, &state));
        EXPECT_TRUE(state.IsEmpty());
        state = Block({1});
        EXPECT_FALSE(mPresets.RemovePreset(c.uid, c.name));
        AKString newName = "Cold";
        EXPECT_FALSE(mPresets.RenamePreset(c.uid, c.name, &newName, nullptr));
        newName = c.name;
        EXPECT_FALSE(mPresets.RenamePreset(c.uid, "Warm", &newName, nullptr));
    }
    AKStringArray names = {"stale"};
    EXPECT_FALSE(mPresets.GetPresetNamesForPlugin(kQVNullPluginDescUID, &names, nullptr));
    EXPECT_TRUE(names.IsEmpty());
    EXPECT_EQ(Names(kBandPass), std::vector<std::string>{"Warm"});
}

TEST_F(QVPluginPresetMgrTest, AddingOverAnExistingNameNeedsOverwrite)
{
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    AKDictionary presets;
    mPresets.WriteToDictionary(&presets);
    presets.SetValue("_7361706278667561._5761726D.Date", AKValueSetasUInt(12));
    mPresets.ReadFromDictionary(presets);

    EXPECT_FALSE(mPresets.AddPreset(kBandPass, "Warm", Block({2}), false));
    ATNumberArray<unsigned int, unsigned int, 32> dates;
    AKMemoryBlock state;
    mPresets.GetPresetNamesForPlugin(kBandPass, nullptr, &dates);
    EXPECT_EQ(dates[0], 12u);
    ASSERT_TRUE(mPresets.GetPreset(kBandPass, "Warm", &state));
    EXPECT_EQ(state, Block({1}));

    EXPECT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({2}), true));
    mPresets.GetPresetNamesForPlugin(kBandPass, nullptr, &dates);
    EXPECT_GT(dates[0], 12u);
    ASSERT_TRUE(mPresets.GetPreset(kBandPass, "Warm", &state));
    EXPECT_EQ(state, Block({2}));
    EXPECT_TRUE(mPresets.IsModified());
}

TEST_F(QVPluginPresetMgrTest, RenamingKeepsDateAndStateAndRefusesClashes)
{
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Cold", Block({2}), false));
    AKDictionary before;
    mPresets.WriteToDictionary(&before);
    AKValue const warmDate = before.GetValue("_7361706278667561._5761726D.Date");

    AKString newName = " Warm";
    bool taken = true;
    EXPECT_FALSE(mPresets.RenamePreset(kBandPass, "Warm", &newName, &taken));
    EXPECT_FALSE(taken);
    EXPECT_EQ(newName, "Warm");

    newName = "Cold ";
    EXPECT_FALSE(mPresets.RenamePreset(kBandPass, "Warm", &newName, &taken));
    EXPECT_TRUE(taken);
    EXPECT_EQ(newName, "Cold");

    newName = "Missing";
    EXPECT_FALSE(mPresets.RenamePreset(kBandPass, "Nowhere", &newName, &taken));
    EXPECT_FALSE(taken);
    EXPECT_FALSE(mPresets.RenamePreset(kOther, "Warm", &newName, &taken));

    newName = "  Hot\t";
    ASSERT_TRUE(mPresets.RenamePreset(kBandPass, "Warm", &newName, &taken));
    EXPECT_EQ(newName, "Hot");
    EXPECT_FALSE(mPresets.ExistsPreset(kBandPass, "Warm"));
    EXPECT_EQ(Names(kBandPass), (std::vector<std::string>{"Cold", "Hot"}));
    AKDictionary after;
    mPresets.WriteToDictionary(&after);
    // "Hot" is 48 6F 74.
    EXPECT_EQ(after.GetValue("_7361706278667561._486F74.Date"), warmDate);
    AKMemoryBlock state;
    ASSERT_TRUE(mPresets.GetPreset(kBandPass, "Hot", &state));
    EXPECT_EQ(state, Block({1}));
}

TEST_F(QVPluginPresetMgrTest, RemovingTheLastPresetRemovesThePluginEntry)
{
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Cold", Block({2}), false));
    ASSERT_TRUE(mPresets.AddPreset(kOther, "Warm", Block({3}), false));
    EXPECT_FALSE(mPresets.RemovePreset(kBandPass, "Hot"));
    EXPECT_TRUE(mPresets.RemovePreset(kBandPass, "Warm"));
    ASSERT_NE(PluginEntry(kBandPass), nullptr);
    EXPECT_TRUE(mPresets.RemovePreset(kBandPass, " Cold"));
    EXPECT_EQ(PluginEntry(kBandPass), nullptr);
    EXPECT_FALSE(mPresets.GetPresetNamesForPlugin(kBandPass, nullptr, nullptr));
    EXPECT_TRUE(mPresets.ExistsPreset(kOther, "Warm"));
}

TEST_F(QVPluginPresetMgrTest, OnlyListedPluginsWithPresetsAreOffered)
{
    FakePluginHost* const host = new FakePluginHost();
    host->mList.Push(QVPluginDesc(kBandPass, kQVPluginFormatAudioUnit, "Band Pass", "aufx,bpas,none/", 2, 2));
    host->mList.Push(FakeDesc(kOther, "Alpha"));
    host->mList.Push(FakeDesc(0x7673743300000043ull, "Without Presets"));
    QVPluginMgr::sShared.SetQVLibExtendedFunctions(host);
    QVPluginMgr::sShared.InitializeWithCurrentPrefs();

    ASSERT_TRUE(mPresets.AddPreset(kOther, "One", Block({1}), false));
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Two", Block({2}), false));
    ASSERT_TRUE(mPresets.AddPreset(0x1234, "Unlisted", Block({3}), false));

    QVPluginDescArray descs;
    descs.Push(FakeDesc(1, "stale"));
    EXPECT_TRUE(mPresets.GetPluginsThatHavePresets(&descs));
    ASSERT_EQ(descs.Count(), 2u);
    EXPECT_EQ(descs[0].GetName(), "AU-Band Pass");  // the manager's name order
    EXPECT_EQ(descs[1].GetName(), "VST3-Alpha");
    EXPECT_TRUE(mPresets.ExistsPreset(0x1234, "Unlisted"));

    QVPluginMgr::sShared.Terminate();
    EXPECT_FALSE(mPresets.GetPluginsThatHavePresets(&descs));
    EXPECT_TRUE(descs.IsEmpty());
}

TEST_F(QVPluginPresetMgrTest, WithoutFileOrChangesNothingIsWritten)
{
    EXPECT_EQ(mPresets.LoadFromDefaultBinFile(), 0);
    EXPECT_EQ(mPresets.SaveToDefaultBinFile(true), 0);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));

    // Copies do not count as changes.
    AKDictionary presets;
    presets.SetValue("_0100000000000000._41.Name", AKValueSetasAKString("A"));
    mPresets.ReadFromDictionary(presets);
    EXPECT_EQ(mPresets.SaveToDefaultBinFile(true), 0);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    EXPECT_EQ(mPresets.SaveToDefaultBinFile(false), 0);
    EXPECT_TRUE(std::filesystem::exists(FilePath()));
}

TEST_F(QVPluginPresetMgrTest, WithoutASettingsFolderSavingFails)
{
    mServices.mSettingsDir.Clear();
    EXPECT_EQ(mPresets.LoadFromDefaultBinFile(), 0);
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    LogCapture capture;
    EXPECT_EQ(mPresets.SaveToDefaultBinFile(true), kAKErrorCantFindDirectory);
    EXPECT_EQ(capture.Lines().size(), 1u);
}

TEST_F(QVPluginPresetMgrTest, ADamagedFileIsSetAsideBeforeTheNextSave)
{
    Bytes const damaged = {'d', 'i', 'c', 't', 0xFF, 0xFF, 0, 0, 1};
    WriteAll(FilePath(), damaged);
    {
        LogCapture capture;
        EXPECT_NE(mPresets.LoadFromDefaultBinFile(), 0);
    }
    EXPECT_FALSE(mPresets.GetPresetNamesForPlugin(kBandPass, nullptr, nullptr));

    // Nothing changed: nothing is written, the damaged file stays as it is.
    EXPECT_EQ(mPresets.SaveToDefaultBinFile(true), 0);
    EXPECT_EQ(ReadAll(FilePath()), damaged);

    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    LogCapture capture;
    ASSERT_EQ(mPresets.SaveToDefaultBinFile(true), 0);
    EXPECT_EQ(ReadAll(FilePath() + ".bad"), damaged);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_NE(capture.Lines()[0].find(FilePath() + ".bad"), std::string::npos);

    QVPluginPresetMgr reloaded;
    ASSERT_EQ(reloaded.LoadFromDefaultBinFile(), 0);
    EXPECT_TRUE(reloaded.ExistsPreset(kBandPass, "Warm"));

    // Set aside once: the next save just writes.
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Cold", Block({2}), false));
    ASSERT_EQ(mPresets.SaveToDefaultBinFile(true), 0);
    EXPECT_EQ(ReadAll(FilePath() + ".bad"), damaged);
    EXPECT_EQ(capture.Lines().size(), 1u);
}

TEST_F(QVPluginPresetMgrTest, ADamagedFileThatCannotBeSetAsideIsNotOverwritten)
{
    Bytes const damaged = {'x', 'y', 'z'};
    WriteAll(FilePath(), damaged);
    // A non-empty folder where the damaged file would go.
    std::filesystem::create_directory(FilePath() + ".bad");
    WriteAll(FilePath() + ".bad/keep", {1});
    {
        LogCapture capture;
        EXPECT_NE(mPresets.LoadFromBinFile(FilePath().c_str()), 0);
    }
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    LogCapture capture;
    EXPECT_EQ(mPresets.SaveToBinFile(FilePath().c_str(), true), kAKErrorFileCantWrite);
    EXPECT_EQ(ReadAll(FilePath()), damaged);
    EXPECT_EQ(capture.Lines().size(), 1u);
}

TEST_F(QVPluginPresetMgrTest, AMissingFileIsNotSetAside)
{
    {
        LogCapture capture;
        EXPECT_NE(mPresets.LoadFromBinFile(FilePath().c_str()), 0);
    }
    ASSERT_TRUE(mPresets.AddPreset(kBandPass, "Warm", Block({1}), false));
    ASSERT_EQ(mPresets.SaveToBinFile(FilePath().c_str(), true), 0);
    EXPECT_FALSE(std::filesystem::exists(FilePath() + ".bad"));
    EXPECT_TRUE(std::filesystem::exists(FilePath()));
}

}  // namespace
