// The user repository (folder 3): the temporary folder until a usable folder
// is chosen, the probe that proves it writable, and the first look-up that
// closes the choice.

#include "AKStatus.h"
#include "EnvironmentFixtures.h"
#include "LogCapture.h"
#include "QVStandardFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class QVUserRepositoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // As the engine start leaves them: a resolved table, the choice open.
        QVStandardFolders::InitStandardPathsFrom({AKFilePath("/opt/orvel/"), false, mTemporary.Folder()});
        QVStandardFolders::OpenRepository();
    }
    void TearDown() override
    {
        QVStandardFolders::CloseRepository();
        QVStandardFolders::TerminateStandardPaths();
    }

    // Folder 3 without closing the choice.
    static AKFilePath const& Stored() { return QVStandardFolders::GetUserRepository(); }
    // Folder 3 as callers see it: closes the choice.
    static AKFilePath const& LookedUp() { return QVStandardFolders::GetStandardPath(kQVStandardFolderRepository); }

    TempFolder mTemporary;
    TempFolder mChosen;
};

TEST_F(QVUserRepositoryTest, AWritableFolderBecomesFolderThreeAndTheProbeLeavesNoFile)
{
    mChosen.MakeFile("TEST", "kept");
    LogCapture log;
    EXPECT_EQ(QVStandardFolders::InitRepository(AKFilePath(mChosen.Root())), 0);
    EXPECT_TRUE(QVStandardFolders::IsUserRepositoryOk());
    EXPECT_FALSE(QVStandardFolders::IsUserRepositoryUsed());
    EXPECT_EQ(Stored(), mChosen.Folder());

    // The probe took a free name beside the existing file and removed it.
    std::vector<std::string> entries;
    for (auto const& entry : std::filesystem::directory_iterator(mChosen.Root()))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"TEST"});
    EXPECT_TRUE(log.Lines().empty());

    // The probe's look-up left the choice open: the host may choose again.
    TempFolder other;
    EXPECT_EQ(QVStandardFolders::InitRepository(other.Folder()), 0);
    EXPECT_EQ(LookedUp(), other.Folder());
    EXPECT_EQ(QVGetStandardFilePath(kQVStandardFolderRepository, "a.qvd"), AKFilePath(other.At("a.qvd")));

    // Looked up: the choice is closed for good.
    EXPECT_TRUE(QVStandardFolders::IsUserRepositoryUsed());
    EXPECT_EQ(QVStandardFolders::InitRepository(mChosen.Folder()), -1);
    EXPECT_EQ(LookedUp(), other.Folder());
}

TEST_F(QVUserRepositoryTest, UntilAFolderIsChosenFolderThreeIsTheTemporaryFolderAndTheFirstLookUpCloses)
{
    EXPECT_TRUE(Stored().IsEmpty());
    EXPECT_EQ(LookedUp(), mTemporary.Folder());
    EXPECT_EQ(QVGetStandardFilePath(kQVStandardFolderRepository, "f"), AKFilePath(mTemporary.At("f")));

    LogCapture log;
    EXPECT_EQ(QVStandardFolders::InitRepository(mChosen.Folder()), -1);
    EXPECT_TRUE(Stored().IsEmpty());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(QVUserRepositoryTest, TheTemporaryFolderItselfIsNoChoice)
{
    for (AKFilePath const& temporary : {mTemporary.Folder(), AKFilePath(mTemporary.Root())}) {
        SCOPED_TRACE(temporary.c_str());
        EXPECT_EQ(QVStandardFolders::InitRepository(temporary), 0);
        EXPECT_TRUE(Stored().IsEmpty());
        EXPECT_TRUE(QVStandardFolders::IsUserRepositoryOk());
    }
    EXPECT_EQ(LookedUp(), mTemporary.Folder());
}

TEST_F(QVUserRepositoryTest, AnUnusableFolderFailsWithOneLineAndFolderThreeStaysTheTemporaryFolder)
{
    mChosen.MakeFile("plain-file");
    for (std::string const& unusable : {mChosen.At("missing/"), mChosen.At("plain-file/")}) {
        SCOPED_TRACE(unusable);
        LogCapture log;
        EXPECT_EQ(QVStandardFolders::InitRepository(AKFilePath(unusable)), kQVErrorCantFindRepository);
        EXPECT_FALSE(QVStandardFolders::IsUserRepositoryOk());
        EXPECT_FALSE(QVStandardFolders::IsUserRepositoryUsed());
        // The probe's own failures are muted: only the repository's line.
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find("Can't find the repository \"" + unusable + "\""), std::string::npos)
            << log.Lines()[0];
        EXPECT_EQ(Stored(), AKFilePath(unusable));
    }
    EXPECT_FALSE(std::filesystem::exists(mChosen.At("missing")));

    // A failed choice leaves it open: a usable folder still can be chosen.
    EXPECT_EQ(QVStandardFolders::InitRepository(mChosen.Folder()), 0);
    EXPECT_EQ(LookedUp(), mChosen.Folder());
}

TEST_F(QVUserRepositoryTest, AfterAFailedChoiceLookUpsGiveTheTemporaryFolder)
{
    EXPECT_EQ(QVStandardFolders::InitRepository(AKFilePath(mChosen.At("missing/"))), kQVErrorCantFindRepository);
    EXPECT_EQ(LookedUp(), mTemporary.Folder());
}

TEST_F(QVUserRepositoryTest, WithoutATableOrAfterTheStopNothingIsChosen)
{
    EXPECT_EQ(QVStandardFolders::InitRepository(mChosen.Folder()), 0);
    QVStandardFolders::CloseRepository();
    EXPECT_FALSE(QVStandardFolders::IsUserRepositoryOk());
    // A disallowed repository is never looked up, even while stored.
    EXPECT_EQ(LookedUp(), mTemporary.Folder());

    QVStandardFolders::TerminateStandardPaths();
    QVStandardFolders::OpenRepository();
    EXPECT_EQ(QVStandardFolders::InitRepository(mChosen.Folder()), -1);
    EXPECT_TRUE(Stored().IsEmpty());
    EXPECT_TRUE(LookedUp().IsEmpty());
}

}  // namespace
