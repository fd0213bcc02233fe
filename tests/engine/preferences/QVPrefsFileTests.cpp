// The preferences file: round trips that write the same bytes twice, the
// rules for entries that are missing, ill-kinded or never stored, the
// overrides of older versions, saving only when modified, unreadable
// files, and the first run, where the settings folder does not exist yet.

#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKValueTyped.h"
#include "QVPrefs.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadBytes(AKFilePath const& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(AKFilePath const& path, std::string const& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh folder, removed with what it holds afterwards.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::string pattern = AKFileUtils::GetSystemTemporaryDirPath().String().StdString() + "prefs_XXXXXX";
        char* const made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        mPath = AKFilePath(std::string(pattern) + "/");
    }
    ~TemporaryFolder() { std::system(("rm -rf '" + mPath.String().StdString() + "'").c_str()); }

    AKFilePath const& Path() const { return mPath; }
    AKFilePath File(char const* name) const
    {
        AKFilePath path = mPath;
        path.SetFileName(name);
        return path;
    }

private:
    AKFilePath mPath;
};

// Settings of every stored kind away from their defaults.
void ChangeStoredSettings(QVPrefs* prefs)
{
    prefs->SetupDefaults();
    prefs->SetupFromParametersString(
        "General_AppUseConsole=1;Gui_FramesPerSecond=30;Gui_SlateConstraint=2;Gui_ShowFPSGauges=1;"
        "Internal_ScriptTimeOutDuration=12.25;Repository_DirPath=/repo/;PortAudio_OutDeviceName=Built-in;"
        "PlayerMulti_DefaultSpeed=-2.5;PlayerMulti_DefaultSpanDuration=3;Provider_SimultaneousLoad=5;"
        "Osc_SendToHostName=studio.local;Midi_InputDeviceNames=Keys");
    prefs->SetRecordSoundFormat(QVAudioFormatFromAKString("wav"));
    prefs->SetRecordSoundFormatInfo(QVAudioPCMInfoFromAKString("24"));
    prefs->SetPluginSearchPaths({"/plugins/a/", "/plugins/b/"});
    prefs->SetPluginSearchFlags({1, 2});
    prefs->GetDefaultDocPrefs().SetupFromParametersString("Comment_Author=Someone;Audio_MasterVolume=-6");
}

TEST(QVPrefsFileTest, ARoundTripKeepsStoredSettingsAndWritesTheSameBytesAgain)
{
    TemporaryFolder folder;
    QVPrefs original;
    ChangeStoredSettings(&original);
    original.SetupFromParametersString("Player_SpeedMax=12;Gui_BackgroundGridStep=10");  // never stored
    ASSERT_EQ(original.SaveToXmlFile(folder.File("first.plist"), false), 0);

    QVPrefs loaded;
    ASSERT_EQ(loaded.LoadFromXmlFile(folder.File("first.plist")), 0);
    EXPECT_EQ(loaded.GetGuiFramesPerSecond(), 30u);
    EXPECT_EQ(loaded.GetGuiSlateConstraint(), 2u);
    EXPECT_TRUE(loaded.GetGuiShowFPSGauges());
    EXPECT_EQ(loaded.GetPlayerMultiDefaultSpeed(), -2.5);
    EXPECT_EQ(loaded.GetInternalScriptTimeOutDuration(), 12.25);
    EXPECT_EQ(loaded.GetPortAudioOutDeviceName(), AKString("Built-in"));
    EXPECT_EQ(loaded.GetRepositoryDirPath(), AKFilePath("/repo/"));
    EXPECT_EQ(QVAudioFormatToAKString(loaded.GetRecordSoundFormat()), AKString("wav"));
    EXPECT_EQ(loaded.GetRecordSoundFormatInfo(), QVAudioPCMInfoFromAKString("24"));
    EXPECT_EQ(loaded.GetPluginSearchPaths(), (AKFilePathArray{"/plugins/a/", "/plugins/b/"}));
    EXPECT_EQ(loaded.GetPluginSearchFlags(), (QVPrefsUIntArray{1, 2}));
    EXPECT_EQ(loaded.GetDefaultDocPrefs().GetCommentAuthor(), AKString("Someone"));
    EXPECT_EQ(loaded.GetDefaultDocPrefs().GetAudioMasterVolume(), -6.0);
    // Tags 2 and 3 are not stored: they come back with their defaults.
    EXPECT_EQ(loaded.GetPlayerSpeedMax(), 8.0);
    EXPECT_EQ(loaded.GetGuiBackgroundGridStep(), 40u);
    EXPECT_FALSE(loaded.IsModified());

    ASSERT_EQ(loaded.SaveToXmlFile(folder.File("second.plist"), false), 0);
    std::string const first = ReadBytes(folder.File("first.plist"));
    EXPECT_EQ(first, ReadBytes(folder.File("second.plist")));
    EXPECT_EQ(first.rfind("<?xml", 0), 0u);
    EXPECT_NE(first.find("<plist"), std::string::npos);
    EXPECT_NE(first.find("<key>_Version</key>"), std::string::npos);
}

TEST(QVPrefsFileTest, TheFileHoldsOnlyStoredEntries)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    AKDictionary file;
    file.SetValue("Leftover", AKValueSetasBool(true));
    prefs.WriteToDictionary(&file);
    EXPECT_FALSE(file.ContainsKey("Leftover"));
    EXPECT_EQ(AKValueGetasUInt(file.GetValue("_Version"), false), 4u);
    for (unsigned int i = 0; i < prefs.GetMemberArray().Count(); ++i) {
        QVPrefMember const& member = prefs.GetMemberArray().GetMember(i);
        SCOPED_TRACE(member.GetKey().c_str());
        EXPECT_EQ(file.ContainsKey(member.GetKey()), member.GetSaveTag() < 2);
    }
    for (char const* key : {"Record.SoundFormat", "Record.SoundFormatInfo", "Default.DocPrefs.Comment.Title",
                            "Default.DocPrefs.Audio.MasterVolume", "Plugin.SearchPaths", "Plugin.SearchFlags"})
        EXPECT_TRUE(file.ContainsKey(key)) << key;
}

TEST(QVPrefsFileTest, MissingIllKindedAndUnstoredEntriesKeepTheirDefaults)
{
    AKDictionary file;
    file.SetValue("_Version", AKValueSetasUInt(4));
    file.SetValue("Gui.FramesPerSecond", AKValueSetasAKString("30"));  // text for a number
    file.SetValue("Osc.SendToHostPort", AKValueSetasSInt(-5));         // negative for an unsigned
    file.SetValue("General.ShowTooltips", AKValueSetasSInt(0));        // number for a bool
    file.SetValue("Player.SpeedMax", AKValueSetasFloat64(12.0));       // tag 3
    file.SetValue("Sequence.ScaleCoeffMax", AKValueSetasFloat64(50));  // tag 2
    file.SetValue("Record.SoundFormat", AKValueSetasSInt(3));
    file.SetValue("Plugin.SearchPaths", AKValueSetasAKString("/one/"));
    file.SetValue("Plugin.SearchFlags", AKValueSetasAKString("1"));
    file.SetValue("Default.DocPrefs", AKValueSetasAKString("none"));
    file.SetValue("Gui.ShowObjectID", AKValueSetasBool(true));  // one good entry

    QVPrefs prefs;
    prefs.SetupFromParametersString("Gui_FramesPerSecond=99");  // replaced by the defaults first
    ASSERT_EQ(prefs.ReadFromDictionary(file), 0);
    EXPECT_EQ(prefs.GetGuiFramesPerSecond(), 60u);
    EXPECT_EQ(prefs.GetOscSendToHostPort(), 5432u);
    EXPECT_TRUE(prefs.GetGeneralShowTooltips());
    EXPECT_EQ(prefs.GetPlayerSpeedMax(), 8.0);
    EXPECT_EQ(prefs.GetSequenceScaleCoeffMax(), 16.0);
    EXPECT_EQ(QVAudioFormatToAKString(prefs.GetRecordSoundFormat()), AKString("aiff"));
    EXPECT_TRUE(prefs.GetPluginSearchPaths().IsEmpty());
    EXPECT_TRUE(prefs.GetPluginSearchFlags().IsEmpty());
    EXPECT_TRUE(prefs.GetDefaultDocPrefs().GetCommentTitle().IsEmpty());
    EXPECT_TRUE(prefs.GetGuiShowObjectID());
    EXPECT_EQ(prefs.GetGuiSlateConstraint(), 0u);  // version 4: no override
}

TEST(QVPrefsFileTest, OlderVersionsGetTodaysDefaultsForAFewSettings)
{
    struct Case {
        char const* label;
        bool withVersion;
        unsigned int version;
        bool withEntries;
        bool overridden;
    };
    Case const cases[] = {
        {"no version", false, 0, true, true}, {"version 3", true, 3, true, true},
        {"version 0", true, 0, true, true},   {"version 4", true, 4, true, false},
        {"version 5", true, 5, true, false},  {"empty file", false, 0, false, true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.label);
        AKDictionary file;
        if (c.withVersion)
            file.SetValue("_Version", AKValueSetasUInt(c.version));
        if (c.withEntries) {
            file.SetValue("Gui.ShowFPSGauges", AKValueSetasBool(true));
            file.SetValue("Gui.SlateConstraint", AKValueSetasUInt(2));
            file.SetValue("PlayerMulti.DefaultSpanDuration", AKValueSetasFloat64(5.0));
            file.SetValue("PlayerMulti.DefaultSpeed", AKValueSetasFloat64(3.0));
            file.SetValue("Gui.FramesPerSecond", AKValueSetasUInt(30));
        }
        QVPrefs prefs;
        prefs.ReadFromDictionary(file);
        EXPECT_EQ(prefs.GetGuiShowFPSGauges(), !c.overridden);
        EXPECT_EQ(prefs.GetGuiSlateConstraint(), c.overridden ? 1u : 2u);
        EXPECT_EQ(prefs.GetPlayerMultiDefaultSpanDuration(), c.overridden ? 1.0 : 5.0);
        EXPECT_EQ(prefs.GetPlayerMultiDefaultSpeed(), c.overridden ? 0.0 : 3.0);
        EXPECT_EQ(prefs.GetGuiFramesPerSecond(), c.withEntries ? 30u : 60u);  // other values stay
    }
    // A fresh start without any file keeps the plain default.
    QVPrefs fresh;
    fresh.SetupDefaults();
    EXPECT_EQ(fresh.GetGuiSlateConstraint(), 0u);
}

TEST(QVPrefsFileTest, AnUnreadableFileChangesNothing)
{
    TemporaryFolder folder;
    AKFilePath const path = folder.File("broken.plist");
    WriteBytes(path, "<?xml version=\"1.0\"?>\n<plist><dict><key>Gui");
    QVPrefs prefs;
    ChangeStoredSettings(&prefs);
    QVPrefs const before = prefs;
    AKLogErrorMute();
    EXPECT_EQ(prefs.LoadFromXmlFile(path), kAKErrorDictionaryXmlCantRead);
    EXPECT_NE(prefs.LoadFromXmlFile(folder.File("missing.plist")), 0);
    AKLogErrorUnmute();
    EXPECT_TRUE(prefs.GetMemberArray().AreEqualMemberValues(before.GetMemberArray()));
    EXPECT_EQ(prefs.GetPluginSearchPaths(), before.GetPluginSearchPaths());
    EXPECT_EQ(ReadBytes(path), "<?xml version=\"1.0\"?>\n<plist><dict><key>Gui");
}

TEST(QVPrefsFileTest, SavingOnlyIfModifiedWritesNothingUntilAChange)
{
    TemporaryFolder folder;
    AKFilePath const path = folder.File("prefs.plist");
    QVPrefs prefs;
    prefs.SetupDefaults();
    ASSERT_EQ(prefs.SaveToXmlFile(path, false), 0);
    ASSERT_EQ(prefs.LoadFromXmlFile(path), 0);
    AKFileUtils::RemoveFile(path);
    EXPECT_EQ(prefs.SaveToXmlFile(path, true), 0);
    EXPECT_FALSE(AKFileUtils::FileExists(path));

    prefs.SetGuiShowObjectID(true);
    EXPECT_EQ(prefs.SaveToXmlFile(path, true), 0);
    EXPECT_TRUE(AKFileUtils::FileExists(path));
    EXPECT_TRUE(prefs.IsModified());  // saving leaves the flag to the caller

    AKLogErrorMute();
    EXPECT_EQ(prefs.SaveToXmlFile(folder.File("no/such/folder/prefs.plist"), false), kAKErrorDictionaryXmlCantWrite);
    AKLogErrorUnmute();
}

// Points the user folders, and the settings folder inside them, at a
// fresh home for one test.
class FreshHome
{
public:
    FreshHome()
    {
        Keep("HOME", &mHome);
        Keep("XDG_DATA_HOME", &mDataHome);
        Keep("XDG_CONFIG_HOME", &mConfigHome);
        setenv("HOME", mFolder.Path().c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        setenv("XDG_CONFIG_HOME", (mFolder.Path().String().StdString() + ".config").c_str(), 1);
        // The settings folder of a bundled program, several levels below a
        // home where none of them exists yet.
        QVStandardFolders::SetStandardPath(kQVStandardFolderSettings,
                                           AKFilePath(mFolder.Path().String() + ".local/share/Orvel-Player/Settings/"));
    }
    ~FreshHome()
    {
        QVStandardFolders::TerminateStandardPaths();
        Restore("HOME", mHome);
        Restore("XDG_DATA_HOME", mDataHome);
        Restore("XDG_CONFIG_HOME", mConfigHome);
    }

    AKFilePath const& Path() const { return mFolder.Path(); }

private:
    struct Saved {
        bool set = false;
        std::string value;
    };
    static void Keep(char const* name, Saved* saved)
    {
        char const* value = getenv(name);
        saved->set = value != nullptr;
        saved->value = value != nullptr ? value : "";
    }
    static void Restore(char const* name, Saved const& saved)
    {
        if (saved.set)
            setenv(name, saved.value.c_str(), 1);
        else
            unsetenv(name);
    }

    TemporaryFolder mFolder;
    Saved mHome;
    Saved mDataHome;
    Saved mConfigHome;
};

TEST(QVPrefsFileTest, AFirstRunCreatesTheSettingsFolderAndTheFile)
{
    FreshHome home;
    AKFilePath const path = QVPrefs::GetDefaultXmlFilePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.String().StdString().rfind(home.Path().String().StdString(), 0), 0u);
    EXPECT_EQ(path.FileName(), AKString("Orvel-Player-Prefs.plist"));
    ASSERT_FALSE(AKFileUtils::DirExists(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings)));

    QVPrefs prefs;
    prefs.SetupDefaults();
    ASSERT_EQ(prefs.LoadFromDefaultXmlFile(), 0);
    ASSERT_TRUE(AKFileUtils::FileExists(path));

    // The next start reads that file; its values replace the defaults.
    prefs.SetGuiFramesPerSecond(25);
    ASSERT_EQ(prefs.SaveToDefaultXmlFile(true), 0);
    QVPrefs next;
    next.SetupDefaults();
    ASSERT_EQ(next.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(next.GetGuiFramesPerSecond(), 25u);
    EXPECT_EQ(next.GetGuiSlateConstraint(), 0u);  // a version-4 file: no override

    // A settings folder removed while running is made again on saving.
    std::system(("rm -rf '" + QVStandardFolders::GetStandardPath(kQVStandardFolderSettings).String().StdString() + "'")
                    .c_str());
    next.SetModified(true);
    EXPECT_EQ(next.SaveToDefaultXmlFile(true), 0);
    EXPECT_TRUE(AKFileUtils::FileExists(path));
}

}  // namespace
