// Standard folders: the table resolved from the application folder, the
// temporary folder and the user's folders (XDG), with and without a bundle;
// the start option that leaves it empty; the custom players file that the
// object tree finds through the engine's services.

#include "AKFileUtils.h"
#include "AKTreeSelModelMgr.h"
#include "EnvironmentFixtures.h"
#include "QVEngineServices.h"
#include "QVLibBasicOptions.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// The temporary folder of this program: $TMPDIR, set before the file layer
// first looks it up (and keeps it).
class TemporaryDirEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { mEnv.Set("TMPDIR", mFolder.Root()); }
    static TemporaryDirEnvironment* sShared;
    TempFolder mFolder;
    ScopedEnvironment mEnv;
};
TemporaryDirEnvironment* TemporaryDirEnvironment::sShared =
    static_cast<TemporaryDirEnvironment*>(::testing::AddGlobalTestEnvironment(new TemporaryDirEnvironment));

// Each test gets a home folder of its own, without XDG variables.
class QVStandardFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mEnv.Set("HOME", mHome.Root());
        mEnv.Unset("XDG_CONFIG_HOME");
        mEnv.Unset("XDG_DATA_HOME");
        QVStandardFolders::TerminateStandardPaths();
    }
    void TearDown() override
    {
        gQVLib.SetupForCompleteApplication();
        QVEngineServices::Uninstall();
        QVStandardFolders::TerminateStandardPaths();
        AKTreeSelModelMgr::sShared.RemoveAllModels();
    }

    static std::string Folder(unsigned int folder) { return QVStandardFolders::GetStandardPath(folder).c_str(); }
    std::string InHome(std::string const& relative) const { return mHome.Root() + "/" + relative; }

    TempFolder mHome;
    ScopedEnvironment mEnv;
};

struct ExpectedFolder {
    unsigned int folder;
    std::string path;
};

void ExpectFolders(std::vector<ExpectedFolder> const& expected)
{
    for (ExpectedFolder const& each : expected)
        EXPECT_EQ(QVStandardFolders::GetStandardPath(each.folder).c_str(), each.path) << "folder " << each.folder;
}

TEST_F(QVStandardFoldersTest, BeforeTheStartEveryLookUpIsEmpty)
{
    for (unsigned int folder : {0u, 1u, 2u, 3u, 12u, 23u, 24u}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(QVStandardFolders::GetStandardPath(folder).IsEmpty());
        EXPECT_TRUE(QVStandardFolders::GetStandardFilePath(folder, "Name").IsEmpty());
    }
}

TEST_F(QVStandardFoldersTest, OutsideABundleTheUserFolderIsTheApplicationRoot)
{
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom({AKFilePath("/opt/orvel/bin"), false, AKFilePath("/var/tmp")}),
              0);
    ExpectFolders({
        {0, ""},
        {1, "/opt/orvel/bin/"},
        {2, "/var/tmp/"},
        {4, "/opt/orvel/"},
        {5, "/opt/orvel/Resources/"},
        {6, "/opt/orvel/Resources/Languages/"},
        {7, "/opt/orvel/Plugins/"},
        {8, "/opt/orvel/Shaders/"},
        {9, "/opt/orvel/Tools/"},
        {10, "/opt/orvel/Documents/"},
        {11, "/opt/orvel/"},
        {12, "/opt/orvel/Settings/"},
        {13, "/opt/orvel/Libraries/"},
        {14, "/opt/orvel/Plugins/"},
        {15, "/opt/orvel/Scripts/"},
        {16, "/opt/orvel/Templates/"},
        {17, "/opt/orvel/Documentation/"},
        {18, InHome("")},
        {24, ""},
    });
    EXPECT_EQ(QVStandardFolders::GetUserRepository(), AKFilePath());
    EXPECT_EQ(QVGetStandardFilePath(kQVStandardFolderSettings, "Orvel-Player-Prefs.plist"),
              AKFilePath("/opt/orvel/Settings/Orvel-Player-Prefs.plist"));
    EXPECT_EQ(&QVGetStandardPath(kQVStandardFolderTools), &QVStandardFolders::GetStandardPath(kQVStandardFolderTools));
}

TEST_F(QVStandardFoldersTest, ABundledProgramKeepsItsUserFolderInTheApplicationSupportFolder)
{
    QVStandardFolderBases const bundled{AKFilePath("/Applications/"), true, AKFilePath("/tmp/")};

    // XDG_DATA_HOME unset: the default inside the home folder.
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bundled), 0);
    std::string const user = InHome(".local/share/Orvel-Player/");
    ExpectFolders({
        {1, "/Applications/"},
        {4, "/"},
        {5, "/Resources/"},
        {11, user},
        {12, user + "Settings/"},
        {13, user + "Libraries/"},
        {14, user + "Plugins/"},
        {15, user + "ScriptsInMenu/"},
        {16, user + "Templates/"},
        {17, user + "Documentation/"},
    });

    TempFolder data;
    mEnv.Set("XDG_DATA_HOME", data.Root());
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bundled), 0);
    EXPECT_EQ(Folder(kQVStandardFolderSettings), data.Root() + "/Orvel-Player/Settings/");

    // A relative XDG_DATA_HOME is not used.
    mEnv.Set("XDG_DATA_HOME", "relative/data");
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bundled), 0);
    EXPECT_EQ(Folder(kQVStandardFolderSettings), user + "Settings/");

    // Nothing is created: callers make what they write into.
    EXPECT_FALSE(std::filesystem::exists(InHome(".local")));
    EXPECT_FALSE(std::filesystem::exists(data.At("Orvel-Player")));
}

TEST_F(QVStandardFoldersTest, UserFoldersFollowUserDirsWithTheirDefaults)
{
    QVStandardFolderBases const bases{AKFilePath("/opt/orvel/"), false, AKFilePath("/tmp/")};

    // Without user-dirs.dirs, every media folder has its default in the home folder.
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bases), 0);
    ExpectFolders({
        {18, InHome("")},
        {19, InHome("Desktop/")},
        {20, InHome("Documents/")},
        {21, InHome("Pictures/")},
        {22, InHome("Videos/")},
        {23, InHome("Music/")},
    });

    // $XDG_CONFIG_HOME/user-dirs.dirs: absolute and $HOME values are taken,
    // a relative value and a missing key fall back to the default.
    TempFolder config;
    config.MakeFile("user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                      "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
                                      "XDG_PICTURES_DIR=\"relative/pics\"\n"
                                      "XDG_MUSIC_DIR=\"${HOME}/Audio\"\n");
    mEnv.Set("XDG_CONFIG_HOME", config.Root());
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bases), 0);
    ExpectFolders({
        {18, InHome("")},
        {19, InHome("Bureau/")},
        {20, "/srv/docs/"},
        {21, InHome("Pictures/")},
        {22, InHome("Videos/")},
        {23, InHome("Audio/")},
    });

    // Without XDG_CONFIG_HOME the file is read from $HOME/.config.
    mEnv.Unset("XDG_CONFIG_HOME");
    mHome.MakeFolder(".config");
    mHome.MakeFile(".config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/Films\"\n");
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom(bases), 0);
    EXPECT_EQ(Folder(kQVStandardFolderMovies), InHome("Films/"));
    EXPECT_EQ(Folder(kQVStandardFolderDesktop), InHome("Desktop/"));
}

TEST_F(QVStandardFoldersTest, TheRunningProgramResolvesFromItsOwnFolderAndTmpdir)
{
    ASSERT_EQ(QVStandardFolders::InitStandardPaths(), 0);
    bool bundled = true;
    AKFilePath const& application = AKFileUtils::GetApplicationDirPath(&bundled);
    EXPECT_FALSE(bundled);
    EXPECT_EQ(QVStandardFolders::GetStandardPath(kQVStandardFolderApplication), application);
    EXPECT_EQ(Folder(kQVStandardFolderTemporary), TemporaryDirEnvironment::sShared->mFolder.Root() + "/");
    // Outside a bundle, the user folder is the application root.
    EXPECT_EQ(QVStandardFolders::GetStandardPath(kQVStandardFolderUser),
              QVStandardFolders::GetStandardPath(kQVStandardFolderApplicationRoot));
    EXPECT_EQ(Folder(kQVStandardFolderScripts), Folder(kQVStandardFolderUser) + "Scripts/");
}

TEST_F(QVStandardFoldersTest, WithTheStandardFoldersOptionClearEveryFolderIsEmpty)
{
    gQVLib.standardFolders = false;
    ASSERT_EQ(QVStandardFolders::InitStandardPaths(), 0);
    QVStandardFolders::OpenRepository();
    for (unsigned int folder = 0; folder < kQVStandardFolderCount; ++folder) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(QVStandardFolders::GetStandardPath(folder).IsEmpty());
        EXPECT_TRUE(QVGetStandardFilePath(folder, "f").IsEmpty());
    }
    QVStandardFolders::CloseRepository();
}

TEST_F(QVStandardFoldersTest, TestsSetEntriesInDirectoryForm)
{
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath("/some/where"));
    EXPECT_EQ(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings), AKFilePath("/some/where/"));
    EXPECT_EQ(QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, "f.plist"),
              AKFilePath("/some/where/f.plist"));
    EXPECT_TRUE(QVStandardFolders::GetStandardPath(2).IsEmpty());

    QVStandardFolders::SetStandardPath(24, AKFilePath("/beyond/"));
    EXPECT_TRUE(QVStandardFolders::GetStandardPath(24).IsEmpty());

    // An empty folder gives no file path, never the bare file name.
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath());
    EXPECT_TRUE(QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, "f.plist").IsEmpty());
}

TEST_F(QVStandardFoldersTest, TheCustomPlayersFileIsFoundInTheSettingsFolder)
{
    TempFolder data;
    mEnv.Set("XDG_DATA_HOME", data.Root());
    ASSERT_EQ(QVStandardFolders::InitStandardPathsFrom({AKFilePath("/Applications/"), true, AKFilePath("/tmp/")}), 0);
    QVEngineServices::Install();
    std::string const settings = data.At("Orvel-Player/Settings/");
    std::string const file = settings + kAKTreeSelModelsFileName;
    EXPECT_EQ(AKTreeSelModelMgr::GetDefaultXmlFilePath().String().StdString(), file);

    // The application makes the folder; until then a missing file loads nothing.
    AKTreeSelModelMgr& models = AKTreeSelModelMgr::sShared;
    models.CreateModel("Kept");
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(models.CountModels(), 1u);

    std::filesystem::create_directories(settings);
    EXPECT_EQ(models.SaveToDefaultXmlFile(), 0);
    EXPECT_TRUE(AKFileUtils::FileExists(AKFilePath(file)));
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(models.CountModels(), 0u);  // the kept model held no objects
}

TEST_F(QVStandardFoldersTest, WithoutASettingsFolderTheCustomPlayersFileIsLeftAlone)
{
    QVEngineServices::Install();
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath());
    AKTreeSelModelMgr& models = AKTreeSelModelMgr::sShared;
    models.CreateModel("Kept");

    EXPECT_EQ(models.SaveToDefaultXmlFile(), 0);
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(models.CountModels(), 1u);
    EXPECT_FALSE(std::filesystem::exists(kAKTreeSelModelsFileName));
}

}  // namespace
