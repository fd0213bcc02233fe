// Edit commands: each edit is exactly one undo step named after its menu
// label, and undoing and redoing it give back the document's file byte for
// byte; the echo names the selection; renames of one selection make one
// step; the refusals carry the tree handler's codes with their texts.

#include "AKTreeHistory.h"
#include "AKTreePasteboard.h"
#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

class EditTest : public ::testing::Test
{
protected:
    void SetUp() override { AKTreePasteboard::sShared.Clear(); }
    void TearDown() override { AKTreePasteboard::sShared.Clear(); }

    AKString UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
        return label;
    }
    // Undo steps of a history that started empty.
    unsigned int UndoSteps()
    {
        unsigned int count = 0;
        AKTreeHistory& history = mDoc.document.GetHistory();
        unsigned int const position = history.GetCurrentPosition();
        for (; mDoc.handler()->CanUndo(nullptr, nullptr); ++count) {
            AKTreeActionParam action(mDoc.document.GetTree());
            EXPECT_EQ(mDoc.handler()->DoUndo(action), 0);
        }
        for (unsigned int i = 0; i < count; ++i) {
            AKTreeActionParam action(mDoc.document.GetTree());
            EXPECT_EQ(mDoc.handler()->DoRedo(action), 0);
        }
        EXPECT_EQ(history.GetCurrentPosition(), position);
        return count;
    }

    GandlerDoc mDoc;
    ScopedVerboseLevel mVerbose{1};
};

struct EditCase {
    char const* name;
    char const* undoLabel;
    std::function<int(GandlerDoc&)> run;
};

TEST_F(EditTest, EachEditIsOneUndoStepAndUndoRedoGiveBackTheSameBytes)
{
    EditCase const cases[] = {
        {"cut", "Undo Cut",
         [](GandlerDoc& doc) {
             QVGandlerParam param = doc.Param({doc.sequences[1]});
             return QVGandler::sShared.DoGenericCommand(kQVCmdID_EditCut, param, true);
         }},
        {"duplicate", "Undo Duplicate",
         [](GandlerDoc& doc) {
             QVGandlerParam param = doc.Param({doc.sequences[0], doc.sequences[2]});
             return QVGandler::sShared.DoGenericCommand(kQVCmdID_EditDuplicate, param, true);
         }},
        {"delete", "Undo Delete",
         [](GandlerDoc& doc) {
             QVGandlerParam param = doc.Param({doc.sequences[0]});
             return QVGandler::sShared.DoGenericCommand(kQVCmdID_EditDelete, param, true);
         }},
        {"paste", "Undo Paste",
         [](GandlerDoc& doc) {
             QVGandlerParam copy = doc.Param({doc.player});
             EXPECT_EQ(QVGandler::sShared.DoCmd_EditCopy(copy, nullptr), 0);
             QVGandlerParam param = doc.Param({doc.sequences[2]});
             return QVGandler::sShared.DoGenericCommand(kQVCmdID_EditPaste, param, true);
         }},
        {"rename", "Undo Rename...",
         [](GandlerDoc& doc) {
             QVGandlerParam param = doc.Param({doc.sequences[1]});
             param.WithOptionAsAKString("Name", AKString("Chorus"));
             return QVGandler::sShared.DoCmd_EditRename(param, true);
         }},
        {"revise", "Undo Retitle",
         [](GandlerDoc& doc) {
             // A change the user interface made directly to the object.
             doc.sequences[2]->akmSetName(AKString("Finale"), false);
             QVGandlerParam param = doc.Param({doc.sequences[2]});
             param.GetTreeActionParam().SetActionName(9000, AKString("Retitle"));
             return QVGandler::sShared.DoCmd_EditRevise(param);
         }},
        {"paste model", "Undo New Player",
         [](GandlerDoc& doc) {
             QVGandlerParam param = doc.Param();
             param.WithOptionAsUInt("ModelID", 3).WithOptionAsAKTime("TimeAt", 2.0);
             return QVGandler::sShared.DoCmd_EditPasteModel(param);
         }},
    };
    for (EditCase const& c : cases) {
        SCOPED_TRACE(c.name);
        GandlerDoc doc;
        std::vector<unsigned char> const before = doc.Bytes();
        ASSERT_EQ(c.run(doc), 0);
        std::vector<unsigned char> const after = doc.Bytes();
        EXPECT_NE(after, before);
        EXPECT_GE(doc.document.mNotifications, 1);

        AKString label;
        EXPECT_TRUE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, doc.Param(), &label));
        EXPECT_EQ(label.StdString(), c.undoLabel);

        QVGandlerParam undo = doc.Param();
        ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_EditUndo, undo, true), 0);
        EXPECT_EQ(doc.Bytes(), before);
        EXPECT_FALSE(doc.handler()->CanUndo(nullptr, nullptr)) << "the whole edit was one undo step";
        QVGandlerParam redo = doc.Param();
        ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_EditRedo, redo, true), 0);
        EXPECT_EQ(doc.Bytes(), after);
    }
}

TEST_F(EditTest, EchoNamesTheSelectionAndTheResult)
{
    LogCapture log;
    QVGandlerParam one = mDoc.Param({mDoc.sequences[1]});
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditCopy(one, nullptr), 0);
    QVGandlerParam three = mDoc.Param({mDoc.sequences[0], mDoc.sequences[1], mDoc.sequences[2]});
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditDuplicate(three), 0);
    QVGandlerParam undo = mDoc.Param();
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    std::vector<std::string> const expected = {
        "# Sequence:\"Verse\" Copy.\n", "# Ok\n\n", "# Sequence:\"<list>\" Duplicate.\n", "# Ok\n\n",
        "# Undo (Duplicate).\n",        "# Ok\n\n",
    };
    EXPECT_EQ(log.Lines(), expected);
}

TEST_F(EditTest, NothingIsEchoedAtVerboseLevelZero)
{
    ScopedVerboseLevel silent(0);
    LogCapture log;
    QVGandlerParam param = mDoc.Param({mDoc.sequences[1]});
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditDelete(param), 0);
    QVGandlerParam undo = mDoc.Param();
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(EditTest, RefusalsCarryTheTreeHandlersCodesWithTheirTexts)
{
    LogCapture log;
    QVGandlerParam paste = mDoc.Param({mDoc.sequences[0]});
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditPaste(paste, nullptr), kAKErrorTreeHandlerEmptyPasteboard);
    QVGandlerParam cut = mDoc.Param();
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditCut(cut), kAKErrorTreeHandlerEmptyTreeSel);
    std::vector<std::string> const lines = log.Lines();
    std::vector<std::string> const expected = {
        "# Paste.\n",
        "# Quorvex Error -680 (kAKErrorTreeHandlerEmptyPasteboard): Empty pasteboard.\n",
        "# Error -680.\n\n",
        "# :\"\" Cut.\n",
        "# Quorvex Error -688 (kAKErrorTreeHandlerEmptyTreeSel): Tree-selection is empty.\n",
        "# Error -688.\n\n",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(UndoSteps(), 0u);
    EXPECT_EQ(mDoc.document.mNotifications, 0);
}

TEST_F(EditTest, UndoAndRedoWithNothingToDoWriteNothing)
{
    LogCapture log;
    QVGandlerParam undo = mDoc.Param();
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    QVGandlerParam redo = mDoc.Param();
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditRedo(redo), 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(EditTest, RenamesOfOneSelectionMakeOneStep)
{
    QVGandlerParam param = mDoc.Param({mDoc.sequences[1]});
    param.WithOptionAsAKString("Name", AKString("Chorus"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditRename(param, false), 0);
    param.WithOptionAsAKString("Name", AKString("Bridge"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditRename(param, false), 0);
    EXPECT_EQ(UndoSteps(), 1u);
    EXPECT_EQ(mDoc.sequences[1]->akmGetName().StdString(), "Bridge");

    {
        LogCapture log;
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditRename(param, false), 0);
        std::vector<std::string> const expected = {"# Sequence:\"Bridge\" Rename:\"Bridge\".\n",
                                                   "# Ok (Unchanged).\n\n"};
        EXPECT_EQ(log.Lines(), expected);
        EXPECT_EQ(UndoSteps(), 1u) << "an unchanged name records nothing";
    }

    QVGandlerParam undo = mDoc.Param();
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    EXPECT_EQ(mDoc.sequences[1]->akmGetName().StdString(), "Verse") << "one undo takes back both renames";
    param.WithOptionAsAKString("Name", AKString("Outro"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditRename(param, false), 0);
    EXPECT_EQ(UndoSteps(), 1u) << "after an undo the rename is a new step";
    EXPECT_EQ(UndoLabel().StdString(), "Undo Rename...");
}

TEST_F(EditTest, RenameRefusals)
{
    QVGandlerParam two = mDoc.Param({mDoc.sequences[0], mDoc.sequences[1]});
    two.WithOptionAsAKString("Name", AKString("X"));
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditRename(two, false), kQVErrorGandlerUndefObject);
    QVGandlerParam missing = mDoc.Param({mDoc.sequences[0]});
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditRename(missing, false), kQVErrorGandlerUndefOption);
    EXPECT_EQ(mDoc.sequences[0]->akmGetName().StdString(), "Intro");
    EXPECT_EQ(UndoSteps(), 0u);
}

TEST_F(EditTest, UnknownPlayerModelRecordsNothing)
{
    QVGandlerParam param = mDoc.Param();
    param.WithOptionAsUInt("ModelID", 50);
    std::vector<unsigned char> const before = mDoc.Bytes();
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditPasteModel(param), kAKErrorTreeHandlerModelUnknown);
    EXPECT_EQ(UndoSteps(), 0u);
    EXPECT_EQ(mDoc.Bytes(), before);
    EXPECT_EQ(mDoc.document.mNotifications, 0);
}

TEST_F(EditTest, AGroupThatFailsAfterAnEditStillSynchronisesTheDocument)
{
    QVTreeHandler* const handler = mDoc.handler();
    handler->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
    QVObjectSequence* made = nullptr;
    ASSERT_EQ(handler->DoEasyNewSequenceEmpty(&made, AKString("Half")), 0);
    QVGandlerParam param = mDoc.Param();
    ATObjectArray<AKObject> none;
    EXPECT_EQ(QVGandler::EndGroupAndNotify(&mDoc.document, handler, param.GetTreeActionParam(), kQVCmd_SequenceNewEmpty,
                                           none, -1),
              -1);
    EXPECT_EQ(mDoc.document.mNotifications, 1) << "listeners hear of the edit left in the tree";
    EXPECT_EQ(mDoc.document.mLastNotifiedCommandID, kQVDocumentFullRefreshCommandID);
    EXPECT_EQ(handler->GetFLSequences().Count(), 4u) << "fast links see the new sequence";
    EXPECT_EQ(param.GetTreeActionParam().GetResultFlags(), 0u) << "no result is built";

    // A group that failed before any edit notifies nobody.
    handler->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
    EXPECT_EQ(QVGandler::EndGroupAndNotify(&mDoc.document, handler, param.GetTreeActionParam(), kQVCmd_SequenceNewEmpty,
                                           none, -2),
              -2);
    EXPECT_EQ(mDoc.document.mNotifications, 1);
}

TEST_F(EditTest, EditsOnATrackTimeSelectionAreTrackPartStepsThatUndoToTheSameBytes)
{
    SoundFixtures::TempFolder sounds;
    ASSERT_TRUE(SoundFixtures::WriteSoundFile(sounds.File("tone.wav"), SoundFixtures::SoundRecipe()));
    QVGandlerParam make = mDoc.Param();
    make.WithOptionAsAKFilePath("SoundPath", SoundFixtures::EnginePath(sounds.File("tone.wav")))
        .WithOptionAsBool("Naked", true);
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(make, false), 0);
    AKObject* const sequence = make.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
    ATObjectArray<AKObject> tracks;
    sequence->GrabChildren(&tracks);
    ASSERT_EQ(tracks.Count(), 1u);

    struct Case {
        int id;
        char const* undoLabel;
    } const cases[] = {
        {kQVCmdID_EditDelete, "Undo Delete Track Selection"},
        {kQVCmdID_EditCut, "Undo Cut Track Selection"},
        {kQVCmdID_EditDuplicate, "Undo Duplicate Track Selection"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<unsigned char> const before = mDoc.Bytes();
        QVGandlerParam param = mDoc.Param({tracks[0]});
        AKTreeSel timed = param.GetTreeActionParam().GetTreeSel();
        timed.SetTimeSel(AKTimeIntv{0.005, 0.01});
        param.GetTreeActionParam().WithTreeSel(timed);
        ASSERT_EQ(QVGandler::sShared.DoGenericCommand(c.id, param, true), 0);
        std::vector<unsigned char> const after = mDoc.Bytes();
        EXPECT_NE(after, before);
        EXPECT_EQ(UndoLabel().StdString(), c.undoLabel);
        QVGandlerParam undo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        EXPECT_EQ(mDoc.Bytes(), before);
        QVGandlerParam redo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditRedo(redo), 0);
        EXPECT_EQ(mDoc.Bytes(), after);
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    }
    unsigned int count = 0;
    QVProviderMgr::sShared.RemoveAllProviders(&count);
}

}  // namespace
