// Document commands: documents made by the host, named, saved, closed,
// reopened (a file open already is activated, never opened twice), the
// save-as overwrite rule, a close the host cancels, activation of the
// parameter's document only, the next node ID and the resets.

#include "GandlerFixtures.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

class DocumentCommandTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        QVDocumentMgr::sShared.CloseAllDocuments();
        QVDocumentMgr::sShared.SetActiveDocument(nullptr);
    }

    // A new document made through the command, active afterwards.
    TestDocument* NewDocument(char const* name)
    {
        QVGandlerParam param;
        param.WithOptionAsAKString("DocName", AKString(name));
        EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentNew(param, false), 0);
        return static_cast<TestDocument*>(QVDocumentMgr::sShared.GetActiveDocument());
    }
    AKFilePath File(std::string const& name) const { return AKFilePath(mDir.At(name).c_str()); }

    ScopedFakeHost mHost;
    ScopedVerboseLevel mVerbose{1};
    GandlerTempDir mDir;
};

TEST_F(DocumentCommandTest, NewDocumentsComeFromTheHostAndBecomeActive)
{
    LogCapture log;
    TestDocument* const song = NewDocument("Song");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->GetDocumentName().StdString(), "Song");
    EXPECT_TRUE(song->IsInitialized());
    QVGandlerParam unnamed;
    ASSERT_EQ(QVGandler::sShared.DoCmd_DocumentNew(unnamed, true), 0);
    EXPECT_NE(QVDocumentMgr::sShared.GetActiveDocument(), song);
    EXPECT_EQ(QVDocumentMgr::sShared.CountDocuments(), 2u);

    std::vector<std::string> const lines = {"# Document New WithName:\"Song\".\n", "# Ok\n\n",
                                            "# Document New WithName:\"<Default>\".\n", "# Ok\n\n"};
    EXPECT_EQ(log.Lines(), lines);
    // Undo and redo on, persistent IDs on, real-time audio off in these tests.
    std::vector<std::string> const calls = {"new 1 48", "new 1 48"};
    EXPECT_EQ(mHost.calls, calls);
}

TEST_F(DocumentCommandTest, SaveCloseAndOpenAgain)
{
    TestDocument* const song = NewDocument("Song");
    ASSERT_NE(song, nullptr);
    QVGandlerParam saveAs(song);
    saveAs.WithOptionAsAKFilePath("DocPath", File("song.qvd"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_DocumentSaveAs(saveAs, false), 0);
    EXPECT_FALSE(FileBytes(mDir.At("song.qvd")).empty());

    QVGandlerParam close(song);
    ASSERT_EQ(QVGandler::sShared.DoCmd_DocumentClose(close, false), 0);
    EXPECT_EQ(QVDocumentMgr::sShared.CountDocuments(), 0u);

    QVGandlerParam open;
    open.WithOptionAsAKFilePath("DocPath", File("song.qvd"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_DocumentOpen(open, false), 0);
    auto* const opened = static_cast<TestDocument*>(QVDocumentMgr::sShared.GetActiveDocument());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->GetDocumentName().StdString(), "song");

    // Opening the same file activates the open document.
    NewDocument("Other");
    LogCapture log;
    ASSERT_EQ(QVGandler::sShared.DoCmd_DocumentOpen(open, true), 0);
    EXPECT_EQ(QVDocumentMgr::sShared.GetActiveDocument(), opened);
    EXPECT_EQ(opened->mActivations, 1);
    EXPECT_EQ(QVDocumentMgr::sShared.CountDocuments(), 2u);
    std::vector<std::string> const lines = {"# Document Open:\"song.qvd\".\n", "# Ok\n\n"};
    EXPECT_EQ(log.Lines(), lines);
}

TEST_F(DocumentCommandTest, AFailedOpenLeavesNothingBehind)
{
    TestDocument* const song = NewDocument("Song");
    QVGandlerParam open;
    open.WithOptionAsAKFilePath("DocPath", File("nowhere.qvd")).WithOptionAsBool("Zemplate", true);
    LogCapture log;
    EXPECT_NE(QVGandler::sShared.DoCmd_DocumentOpen(open, false), 0);
    EXPECT_EQ(QVDocumentMgr::sShared.GetActiveDocument(), song);
    EXPECT_EQ(QVDocumentMgr::sShared.CountDocuments(), 1u);
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines()[0], "# Document Template Open:\"nowhere.qvd\".\n");

    QVGandlerParam noPath;
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentOpen(noPath, true), kQVErrorGandlerUndefOption);
}

TEST_F(DocumentCommandTest, SaveAsOverwritesOnlyWhenAskedWithoutDialog)
{
    TestDocument* const song = NewDocument("Song");
    std::ofstream(mDir.At("taken.qvd")) << "old";
    QVGandlerParam param(song);
    param.WithOptionAsAKFilePath("DocPath", File("taken.qvd"));
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSaveAs(param, false), kQVErrorDocumentCantOverwriteExistingFile);
    EXPECT_EQ(FileBytes(mDir.At("taken.qvd")).size(), 3u);

    param.WithOptionAsBool("Overwrite", true);
    {
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSaveAs(param, false), 0);
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_EQ(log.Lines()[0], "# Document:\"Song\" SaveAs:\"taken.qvd\" Overwrite.\n");
    }
    EXPECT_GT(FileBytes(mDir.At("taken.qvd")).size(), 3u);

    {
        // With the dialog the host chooses the file; "Overwrite" is ignored.
        LogCapture log;
        QVGandler::sShared.DoCmd_DocumentSaveAs(param, true);
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_EQ(log.Lines()[0], "# Document:\"taken\" SaveAs:\"#DIALOG#\".\n");
    }
    QVGandlerParam noPath(song);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSaveAs(noPath, false), kQVErrorGandlerUndefOption);
}

TEST_F(DocumentCommandTest, ACloseTheHostCancelsSucceedsAsCancelled)
{
    TestDocument* const song = NewDocument("Song");
    song->mCancelClose = true;
    QVGandlerParam param(song);
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentClose(param, true), 0);
    std::vector<std::string> const lines = {"# Document:\"Song\" Close.\n", "# Canceled.\n\n"};
    EXPECT_EQ(log.Lines(), lines);
    EXPECT_EQ(song->mCloseFlags, kQVGandlerFlagInteractive);
    EXPECT_EQ(QVDocumentMgr::sShared.CountDocuments(), 1u);
}

TEST_F(DocumentCommandTest, WithoutDocument)
{
    NewDocument("Song");
    QVGandlerParam none;
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentActivate(none), kQVErrorGandlerUndefDocument)
        << "activation takes the parameter's document only";
    QVDocumentMgr::sShared.SetActiveDocument(nullptr);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSave(none, false), kQVErrorGandlerUndefDocument);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentClose(none, false), kQVErrorGandlerUndefDocument);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentStopAllPlayers(none), kQVErrorGandlerUndefDocument);
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentLogInfo(none), kQVErrorGandlerUndefDocument);
    std::vector<std::string> const lines = {
        "# Document:\"???\" LogInfo.\n",
        "# Quorvex Error -599 (kQVErrorGandlerUndefDocument): Undefined current document.\n"};
    EXPECT_EQ(log.Lines(), lines);
}

TEST_F(DocumentCommandTest, NextObjectIDAndResets)
{
    GandlerDoc doc;
    QVGandlerParam missing(&doc.document);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSetNextObjectID(missing), kQVErrorGandlerUndefOption);
    QVGandlerParam zero(&doc.document);
    zero.WithOptionAsSInt("NextID", 0);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSetNextObjectID(zero), kQVErrorGandlerWrongOption);
    QVGandlerParam next(&doc.document);
    next.WithOptionAsSInt("NextID", 500);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentSetNextObjectID(next), 0);

    doc.sequences[1]->SetUserPlay(1);
    doc.sequences[2]->SetUserMute(1);
    QVGandlerParam param(&doc.document);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentStopAllPlayers(param), 0);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentResetAllMutesAndSolos(param), 0);
    EXPECT_EQ(QVGandler::sShared.DoCmd_DocumentResetAllStartKeys(param), 0);
    EXPECT_FALSE(doc.sequences[1]->IsUserPlay());
    EXPECT_FALSE(doc.sequences[2]->IsUserMute());
    EXPECT_FALSE(doc.handler()->CanUndo(nullptr, nullptr)) << "resets are no undo steps";
}

}  // namespace
