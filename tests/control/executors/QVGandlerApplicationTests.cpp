// Application and global commands: the verbose level and the other global
// settings, sound files loaded (a good, a missing and an undecodable file
// written at test time), replaced, retrieved and purged, quitting and the
// standard dialogs through a host extension the test scripts.

#include "AKTreePasteboard.h"
#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

using SoundFixtures::EnginePath;

class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SoundFixtures::SoundRecipe recipe;
        recipe.frames = 2000;
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mDir.File("good.wav"), recipe));
        std::ofstream(mDir.File("bad.wav"), std::ios::binary) << "this is no sound at all, only some text";
    }
    void TearDown() override
    {
        AKTreePasteboard::sShared.Clear();
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    AKFilePath Path(std::string const& name) const { return EnginePath(mDir.File(name)); }
    QVProvider* Provider(std::string const& name) const
    {
        return QVProviderMgr::sShared.GetProviderByPath(Path(name), false);
    }

    SoundFixtures::TempFolder mDir;
    ScopedVerboseLevel mVerbose{1};
};

TEST_F(ApplicationTest, VerboseLevelIsClampedAndEchoedAtTheLevelInForce)
{
    QVGandlerParam param;
    {
        LogCapture log;
        param.WithOptionAsUInt("Level", 12);
        EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetVerboseLevel(param), 0);
        EXPECT_EQ(QVPrefs::sShared.GetInternalVerboseLevel(), 9u);
        std::vector<std::string> const expected = {"# Global VerboseLevel:12.\n", "# Ok\n\n"};
        EXPECT_EQ(log.Lines(), expected);
    }
    {
        LogCapture log;
        QVGandlerParam missing;
        EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetVerboseLevel(missing), kQVErrorGandlerUndefOption);
        EXPECT_EQ(QVPrefs::sShared.GetInternalVerboseLevel(), 9u);
        ASSERT_EQ(log.Lines().size(), 3u);
        EXPECT_EQ(log.Lines()[1], "# Quorvex Error -597 (kQVErrorGandlerUndefOption): Undefined parameter <Level>.\n");
    }
    {
        // Off: the echo follows the old level, the result line the new one.
        QVPrefs::sShared.SetInternalVerboseLevel(0);
        LogCapture log;
        param.WithOptionAsUInt("Level", 2);
        EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetVerboseLevel(param), 0);
        std::vector<std::string> const expected = {"# Ok\n\n"};
        EXPECT_EQ(log.Lines(), expected);
    }
}

TEST_F(ApplicationTest, GlobalSettingsNeedTheirOption)
{
    QVGandlerParam none;
    EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetRandomSeed(none), kQVErrorGandlerUndefOption);
    EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetTreatExtraIntv(none), kQVErrorGandlerUndefOption);

    QVGandlerParam seed;
    seed.WithOptionAsUInt("Seed", 77);
    ASSERT_EQ(QVGandler::sShared.DoCmd_GlobalSetRandomSeed(seed), 0);
    int const first = std::rand();
    ASSERT_EQ(QVGandler::sShared.DoCmd_GlobalSetRandomSeed(seed), 0);
    EXPECT_EQ(std::rand(), first) << "the same seed draws the same numbers";

    bool const kept = QVPrefs::sShared.GetSequenceTreatExtraIntv();
    QVGandlerParam flag;
    flag.WithOptionAsBool("Flag", !kept);
    EXPECT_EQ(QVGandler::sShared.DoCmd_GlobalSetTreatExtraIntv(flag), 0);
    EXPECT_EQ(QVPrefs::sShared.GetSequenceTreatExtraIntv(), !kept);
    QVPrefs::sShared.SetSequenceTreatExtraIntv(kept);
}

TEST_F(ApplicationTest, LoadSoundsRegistersGoodMissingAndUndecodableFiles)
{
    AKFilePathArray paths;
    paths.Push(Path("good.wav"));
    paths.Push(AKFilePath());
    paths.Push(Path("missing.wav"));
    paths.Push(Path("bad.wav"));
    QVGandlerParam param;
    param.WithOptionAsAKFilePathArray("SoundPaths", paths).WithOptionAsAKFilePath("SoundPath", Path("ignored.wav"));
    LogCapture log;
    ASSERT_EQ(QVGandler::sShared.DoCmd_ApplicationLoadSounds(param, true), 0);
    std::vector<std::string> const expected = {
        "# Application LoadSound:\"good.wav\".\n",
        "# Application LoadSound:\"missing.wav\".\n",
        "# Application LoadSound:\"bad.wav\".\n",
        "# Quorvex Error -576 (kQVErrorProviderSoundFileNotFound): Can't build provider with not found sound file \"" +
            mDir.File("missing.wav") + "\".\n",
        "# Quorvex Error -575 (kQVErrorProviderSoundFileUnknownFormat): Can't build provider with unknown format "
        "sound file \"" +
            mDir.File("bad.wav") + "\".\n",
        "# Ok\n\n",
    };
    EXPECT_EQ(log.Lines(), expected);
    QVProviderMgr::sShared.LoadAllProvidersSoundFileSync();

    ASSERT_NE(Provider("good.wav"), nullptr);
    EXPECT_EQ(Provider("good.wav")->GetError(), kQVProviderErrorNone);
    EXPECT_EQ(Provider("good.wav")->GetFileInfo().frameCount, 2000u);
    ASSERT_NE(Provider("missing.wav"), nullptr);
    EXPECT_EQ(Provider("missing.wav")->GetError(), kQVProviderErrorNotFound);
    ASSERT_NE(Provider("bad.wav"), nullptr);
    EXPECT_EQ(Provider("bad.wav")->GetError(), kQVProviderErrorUnusable);
    EXPECT_EQ(Provider("ignored.wav"), nullptr) << "SoundPaths wins over SoundPath";
    EXPECT_EQ(QVProviderMgr::sShared.GetTotalLostSoundCount(), 1u);
}

TEST_F(ApplicationTest, LoadSoundsWithoutPathsAsksTheHostOrFails)
{
    ScopedFakeHost host;
    QVGandlerParam none;
    {
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationLoadSounds(none, true), 0) << "a cancelled dialog";
        EXPECT_TRUE(log.Lines().empty());
    }
    ASSERT_EQ(host.calls, std::vector<std::string>{"open Load Sound-Files many"});

    host.script.openSounds = true;
    host.script.soundsChosen.Push(Path("good.wav"));
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationLoadSounds(none, true), 0);
    EXPECT_NE(Provider("good.wav"), nullptr);

    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationLoadSounds(none, false), kQVErrorGandlerUndefOption);
    AKFilePathArray empties;
    empties.Push(AKFilePath());
    QVGandlerParam onlyEmpty;
    onlyEmpty.WithOptionAsAKFilePathArray("SoundPaths", empties);
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationLoadSounds(onlyEmpty, true), kQVErrorGandlerUndefOption);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0],
              "# Quorvex Error -597 (kQVErrorGandlerUndefOption): Undefined parameter <SoundPath or SoundPaths>.\n");
}

TEST_F(ApplicationTest, ReplaceSound)
{
    ScopedFakeHost host;
    QVGandlerParam notLoaded;
    notLoaded.WithOptionAsAKFilePath("OldPath", Path("good.wav"));
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationReplaceSound(notLoaded, true), kQVErrorGandlerUndefOption);
    EXPECT_TRUE(host.calls.empty()) << "no dialog for a sound that is not loaded";

    ASSERT_NE(QVProviderMgr::sShared.RegisterProvider(Path("good.wav")), nullptr);
    QVGandlerParam asked = notLoaded;
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationReplaceSound(asked, true), 0) << "cancelled";
    EXPECT_EQ(host.calls, std::vector<std::string>{"open Replace Sound <good> one"});

    SoundFixtures::SoundRecipe recipe;
    recipe.frames = 3000;
    ASSERT_TRUE(SoundFixtures::WriteSoundFile(mDir.File("other.wav"), recipe));
    QVGandlerParam param = notLoaded;
    param.WithOptionAsAKFilePath("SoundPath", Path("other.wav"));
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationReplaceSound(param, false), 0);
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines()[0], "# Application ReplaceSound:\"good.wav\" By:\"other.wav\".\n");
    EXPECT_NE(Provider("other.wav"), nullptr);
}

TEST_F(ApplicationTest, RetrieveLostSounds)
{
    ScopedFakeHost host;
    QVGandlerParam none;
    {
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationRetrieveLostSounds(none, true), 0);
        EXPECT_TRUE(log.Lines().empty()) << "nothing lost: nothing written";
        EXPECT_TRUE(host.calls.empty());
    }
    ASSERT_NE(QVProviderMgr::sShared.RegisterProvider(Path("lost.wav")), nullptr);
    ASSERT_EQ(QVProviderMgr::sShared.GetTotalLostSoundCount(), 1u);
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationRetrieveLostSounds(none, false), kQVErrorGandlerUndefOption);

    SoundFixtures::TempFolder elsewhere;
    SoundFixtures::SoundRecipe recipe;
    ASSERT_TRUE(SoundFixtures::WriteSoundFile(elsewhere.File("lost.wav"), recipe));
    host.script.chooseDirectory = true;
    host.script.directoryChosen = EnginePath(elsewhere.Path() + "/");
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationRetrieveLostSounds(none, true), 0);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0], "folder Choose Directory to Retrieve Lost Sounds");
    EXPECT_EQ(host.calls[1].rfind("alert Has retrieved 1 sound(s) on a total of 1.", 0), 0u) << host.calls[1];
    EXPECT_EQ(QVProviderMgr::sShared.GetTotalLostSoundCount(), 0u);
}

TEST_F(ApplicationTest, PurgeAsksFirstAndEmptiesThePasteboard)
{
    ASSERT_NE(QVProviderMgr::sShared.RegisterProvider(Path("good.wav")), nullptr);
    {
        // The default host answers no.
        LogCapture log;
        QVGandlerParam none;
        EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationPurgeUnusedSounds(none, true), 0);
        std::vector<std::string> const expected = {"# Application PurgeUnusedSounds.\n", "# Canceled.\n\n"};
        EXPECT_EQ(log.Lines(), expected);
        EXPECT_NE(Provider("good.wav"), nullptr);
    }
    ScopedFakeHost host;
    host.script.okCancel = true;
    GandlerDoc doc;
    QVGandlerParam copy = doc.Param({doc.sequences[1]});
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditCopy(copy, nullptr), 0);
    QVGandlerParam none;
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationPurgeUnusedSounds(none, true), 0);
    std::vector<std::string> const calls = {
        "ask Are you sure you want to release unused sounds ?\n\nBy doing this, you will also empty the pasteboard.",
        "alert Has released 1 sound."};
    EXPECT_EQ(host.calls, calls);
    EXPECT_TRUE(AKTreePasteboard::sShared.IsEmpty());
    EXPECT_EQ(Provider("good.wav"), nullptr);
}

TEST_F(ApplicationTest, QuitAndStandardDialogsGoThroughTheHost)
{
    ScopedFakeHost host;
    host.script.quitCancelled = true;
    host.script.standardDialog = 5;
    QVGandlerParam none;
    {
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationQuit(none, true), 0);
        std::vector<std::string> const expected = {"# Application Quit.\n", "# Canceled.\n\n"};
        EXPECT_EQ(log.Lines(), expected);
    }
    host.script.quitCancelled = false;
    {
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationQuit(none, false), 0);
        std::vector<std::string> const expected = {"# Application Quit.\n"};
        EXPECT_EQ(log.Lines(), expected) << "an ending application writes no result";
    }
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationStandardDialog(kQVGandlerDialogCurrentBounces), 5);
    EXPECT_EQ(QVGandler::sShared.DoCmd_ApplicationStandardDialog(static_cast<QVGandlerDialogID>(9)), 0);
    std::vector<std::string> const calls = {"quit 4096", "quit 0", "standard 5", "open Load Sound-Files many"};
    EXPECT_EQ(host.calls, calls);
}

}  // namespace
