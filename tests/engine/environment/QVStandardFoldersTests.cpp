// Standard folders: the table, its settings folder, the file look-ups, and
// the custom players file that the object tree finds through the engine's
// services.

#include "AKFileUtils.h"
#include "AKTreeSelModelMgr.h"
#include "QVEngineServices.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class QVStandardFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvel-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        fTempDir = pattern;
        char const* dataHome = std::getenv("XDG_DATA_HOME");
        fHadDataHome = dataHome != nullptr;
        if (fHadDataHome)
            fDataHome = dataHome;
        setenv("XDG_DATA_HOME", fTempDir.c_str(), 1);
        QVStandardFolders::TerminateStandardPaths();
    }
    void TearDown() override
    {
        QVEngineServices::Uninstall();
        QVStandardFolders::TerminateStandardPaths();
        AKTreeSelModelMgr::sShared.RemoveAllModels();
        if (fHadDataHome)
            setenv("XDG_DATA_HOME", fDataHome.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(fTempDir);
    }

    std::string SettingsDir() const { return fTempDir + "/Orvel-Player/Settings/"; }

    std::string fTempDir;
    std::string fDataHome;
    bool fHadDataHome = false;
};

TEST_F(QVStandardFoldersTest, BeforeTheStartEveryLookUpIsEmpty)
{
    for (unsigned int folder : {0u, 12u, 23u, 24u}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(QVStandardFolders::GetStandardPath(folder).IsEmpty());
        EXPECT_TRUE(QVStandardFolders::GetStandardFilePath(folder, "Name").IsEmpty());
    }
}

TEST_F(QVStandardFoldersTest, TheSettingsFolderIsInTheUsersApplicationSupportFolderAndNothingIsCreated)
{
    ASSERT_EQ(QVStandardFolders::InitStandardPaths(), 0);
    EXPECT_EQ(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings).String().StdString(), SettingsDir());
    EXPECT_EQ(QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, "Orvel-Player-PluginPresets")
                  .String()
                  .StdString(),
              SettingsDir() + "Orvel-Player-PluginPresets");
    EXPECT_FALSE(std::filesystem::exists(fTempDir + "/Orvel-Player"));

    // The other folders are not resolved yet; numbers past the table are empty.
    for (unsigned int folder : {0u, 11u, 13u, 23u, 24u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(QVStandardFolders::GetStandardPath(folder).IsEmpty());
        EXPECT_TRUE(QVStandardFolders::GetStandardFilePath(folder, "Name").IsEmpty());
    }

    QVStandardFolders::TerminateStandardPaths();
    EXPECT_TRUE(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings).IsEmpty());
}

TEST_F(QVStandardFoldersTest, TestsSetEntriesInDirectoryForm)
{
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath("/some/where"));
    EXPECT_EQ(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings), AKFilePath("/some/where/"));
    EXPECT_EQ(QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, "f.plist"),
              AKFilePath("/some/where/f.plist"));
    EXPECT_EQ(QVGetStandardFilePath(kQVStandardFolderSettings, "f.plist"), AKFilePath("/some/where/f.plist"));
    EXPECT_TRUE(QVStandardFolders::GetStandardPath(2).IsEmpty());

    QVStandardFolders::SetStandardPath(24, AKFilePath("/beyond/"));
    EXPECT_TRUE(QVStandardFolders::GetStandardPath(24).IsEmpty());

    // An empty folder gives no file path, never the bare file name.
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath());
    EXPECT_TRUE(QVStandardFolders::GetStandardFilePath(kQVStandardFolderSettings, "f.plist").IsEmpty());
}

TEST_F(QVStandardFoldersTest, TheCustomPlayersFileIsFoundInTheSettingsFolder)
{
    ASSERT_EQ(QVStandardFolders::InitStandardPaths(), 0);
    QVEngineServices::Install();
    std::string file = SettingsDir() + kAKTreeSelModelsFileName;
    EXPECT_EQ(AKTreeSelModelMgr::GetDefaultXmlFilePath().String().StdString(), file);

    // The application makes the folder; until then a missing file loads nothing.
    AKTreeSelModelMgr& models = AKTreeSelModelMgr::sShared;
    models.CreateModel("Kept");
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(models.CountModels(), 1u);

    std::filesystem::create_directories(SettingsDir());
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
