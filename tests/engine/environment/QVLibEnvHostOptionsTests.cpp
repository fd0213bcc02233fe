// The engine started as a host program starts it, from a parameters string:
// the two options without a key stay off, so cache files live in memory and
// no standard folder is resolved.

#include "AKFile.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "EnvironmentFixtures.h"
#include "QVLibBasicOptions.h"
#include "QVLibEnv.h"

#include <gtest/gtest.h>

namespace {

TEST(QVLibEnvHostOptionsTest, WithoutTheLastTwoOptionsCachesStayInMemoryAndNoFolderIsResolved)
{
    ASSERT_EQ(gQVLib.SetupFromParametersString("RealTime=1;UndoRedo=1"), 0);
    AKFile::SetPreferedModeCache(kAKFileModeTemporary);
    ASSERT_EQ(QVLibEnv::Initialize(false), 0);

    EXPECT_EQ(AKFile::sPreferedModeCache, kAKFileModeMemoryStream);
    // Folder 3 is left out: a look-up would close the repository choice.
    for (unsigned int folder = 0; folder < kQVStandardFolderCount; ++folder) {
        if (folder != kQVStandardFolderRepository) {
            EXPECT_TRUE(QVLibEnv::GetStandardPath(folder).IsEmpty()) << "folder " << folder;
        }
    }
    AKValue dirPath;
    EXPECT_EQ(QVLibEnv::GetApplicationProperty("ApplicationDirPath", &dirPath), 0);
    EXPECT_TRUE(AKValueGetasAKFilePath(dirPath).IsEmpty());

    // A repository chosen by the host is still proved and used.
    TempFolder repository;
    EXPECT_EQ(QVLibEnv::InitRepository(repository.Folder()), 0);
    EXPECT_EQ(QVGetStandardFilePath(kQVStandardFolderRepository, "a"), AKFilePath(repository.At("a")));

    QVLibEnv::Terminate();
    EXPECT_TRUE(QVLibEnv::GetStandardPath(kQVStandardFolderRepository).IsEmpty());
}

}  // namespace
