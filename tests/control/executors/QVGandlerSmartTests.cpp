// Smart move and copy: tracks dropped onto the sequence folder go into a new
// sequence named after their former one (" Copy" added for copies), other
// objects go to the target with the link mode; one undo step each, and a
// drop without target refused.

#include "GandlerFixtures.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

class QVGandlerSmartTest : public ::testing::Test
{
protected:
    unsigned int ChildCount(AKObject* object)
    {
        ATObjectArray<AKObject> children;
        object->GrabChildren(&children);
        return children.Count();
    }
    AKString UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
        return label;
    }

    GandlerDoc mDoc;
};

TEST_F(QVGandlerSmartTest, TracksDroppedOnTheSequenceFolderMakeANewSequence)
{
    struct Case {
        bool copy;
        char const* name;
        unsigned int leftInSource;
        char const* undoLabel;
    } const cases[] = {{false, "Intro", 0, "Undo Move To"}, {true, "Intro Copy", 2, "Undo Copy To"}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> const before = mDoc.Bytes();
        QVGandlerParam param = mDoc.Param({mDoc.tracks[0], mDoc.tracks[1]});
        param.GetTreeActionParam().WithTargetNode(mDoc.handler()->GetFolderSequenceNode(), kAKLinkModeLastChildren);
        ASSERT_EQ(c.copy ? QVGandler::sShared.DoCmd_SmartCopyTo(param) : QVGandler::sShared.DoCmd_SmartMoveTo(param),
                  0);
        ATObjectArray<AKObject> const& made = param.GetTreeActionParam().GetResultTreeSel().GetObjects();
        ASSERT_EQ(made.Count(), 1u);
        EXPECT_TRUE(made[0]->IsKindOfT<QVObjectSequence>());
        EXPECT_EQ(made[0]->akmGetName().StdString(), c.name);
        EXPECT_EQ(ChildCount(made[0]), 2u);
        EXPECT_EQ(ChildCount(mDoc.sequences[0]), c.leftInSource);
        EXPECT_EQ(UndoLabel().StdString(), c.undoLabel);
        QVGandlerParam undo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        EXPECT_EQ(mDoc.Bytes(), before) << "one undo puts them back";
    }
}

TEST_F(QVGandlerSmartTest, OtherObjectsGoToTheTarget)
{
    QVGandlerParam param = mDoc.Param({mDoc.player});
    param.GetTreeActionParam().WithTargetObject(mDoc.sequences[1], kAKLinkModeLastChildren);
    ASSERT_EQ(QVGandler::sShared.DoCmd_SmartMoveTo(param), 0);
    EXPECT_EQ(ChildCount(mDoc.sequences[1]), 1u);
    EXPECT_EQ(mDoc.document.mNotifications, 1);

    QVGandlerParam copy = mDoc.Param({mDoc.player});
    copy.GetTreeActionParam().WithTargetObject(mDoc.sequences[2], kAKLinkModeLastChildren);
    ASSERT_EQ(QVGandler::sShared.DoCmd_SmartCopyTo(copy), 0);
    EXPECT_EQ(ChildCount(mDoc.sequences[2]), 1u);
    EXPECT_EQ(ChildCount(mDoc.sequences[1]), 1u) << "the original stays";
}

TEST_F(QVGandlerSmartTest, ADropWithoutTargetIsRefused)
{
    ScopedVerboseLevel verbose(1);
    std::vector<unsigned char> const before = mDoc.Bytes();
    for (bool copy : {false, true}) {
        QVGandlerParam param = mDoc.Param({mDoc.player});
        LogCapture log;
        EXPECT_EQ(copy ? QVGandler::sShared.DoCmd_SmartCopyTo(param) : QVGandler::sShared.DoCmd_SmartMoveTo(param),
                  kQVErrorGandlerUndefObject);
        std::vector<std::string> const lines = log.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "# Error " + std::to_string(kQVErrorGandlerUndefObject) + ".\n\n");
    }
    EXPECT_EQ(mDoc.Bytes(), before);
}

}  // namespace
