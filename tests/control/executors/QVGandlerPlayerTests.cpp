// Player and plug-in commands: grouping players into a new or an existing
// multi-player, attaching and detaching (nothing recorded when nothing
// moves), and plug-ins recorded only when they change.

#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

class PlayerCommandTest : public ::testing::Test
{
protected:
    // A new player under the sequence (a multi-player with subs > 0).
    QVObjectPlayable* AddPlayer(QVObjectSequence* sequence, unsigned int subs)
    {
        QVGandlerParam param = mDoc.Param();
        param.GetTreeActionParam().WithTargetObject(sequence, kAKLinkModeLastChildren);
        param.WithOptionAsUInt("SubCount", subs);
        EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewCursor(param), 0);
        AKTreeSel const& result = param.GetTreeActionParam().GetResultTreeSel();
        return result.IsEmpty() ? nullptr : static_cast<QVObjectPlayable*>(result.GetObjects()[0]);
    }
    static unsigned int ChildCount(AKObject const* object)
    {
        ATObjectArray<AKObject> children;
        object->GrabChildren(&children);
        return children.Count();
    }
    bool CanUndo() const { return mDoc.handler()->CanUndo(nullptr, nullptr); }
    void ForgetHistory() { ASSERT_EQ(mDoc.handler()->ReopenHistory(), 0); }

    GandlerDoc mDoc;
    ScopedVerboseLevel mVerbose{1};
};

TEST_F(PlayerCommandTest, GroupingSinglePlayersMakesAMultiPlayerInTheirSequence)
{
    QVObjectSequence* const verse = mDoc.sequences[1];
    verse->LowSetUserTimeAndSpan(4.0, 2.0, false);
    QVObjectPlayable* const a = AddPlayer(verse, 0);
    QVObjectPlayable* const b = AddPlayer(verse, 0);
    ForgetHistory();
    std::vector<unsigned char> const before = mDoc.Bytes();

    QVGandlerParam param = mDoc.Param({a, b});
    ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_CursorGroup, param, true), 0);
    AKTreeSel const& result = param.GetTreeActionParam().GetResultTreeSel();
    ASSERT_EQ(result.CountNodes(), 1u);
    ASSERT_TRUE(result.GetObjects()[0]->IsKindOfT<QVObjectCursor>());
    auto* const multi = static_cast<QVObjectCursor*>(result.GetObjects()[0]);
    EXPECT_EQ(ChildCount(multi), 2u);
    EXPECT_EQ(ChildCount(verse), 1u) << "the multi-player replaces both players in the sequence";
    EXPECT_DOUBLE_EQ(multi->GetUserTime(), 4.0);
    EXPECT_DOUBLE_EQ(multi->GetUserSpan(), 2.0);
    EXPECT_DOUBLE_EQ(multi->GetUserSpeed(), 0.0);

    QVGandlerParam undo = mDoc.Param();
    ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    EXPECT_EQ(mDoc.Bytes(), before);
    EXPECT_FALSE(CanUndo());
}

TEST_F(PlayerCommandTest, GroupingMultiPlayersKeepsTheChosenOne)
{
    QVObjectSequence* const coda = mDoc.sequences[2];
    QVObjectPlayable* const a = AddPlayer(coda, 2);
    QVObjectPlayable* const b = AddPlayer(coda, 3);

    // The target among the selected multi-players is the destination.
    QVGandlerParam param = mDoc.Param({a, b});
    param.GetTreeActionParam().WithTargetObject(b, kAKLinkModeLastChildren);
    ASSERT_EQ(QVGandler::sShared.DoCmd_CursorGroup(param), 0);
    EXPECT_EQ(ChildCount(b), 5u);
    EXPECT_EQ(ChildCount(coda), 1u) << "the emptied multi-player is deleted";

    QVGandlerParam one = mDoc.Param({b});
    EXPECT_EQ(QVGandler::sShared.DoCmd_CursorGroup(one), kAKErrorTreeHandlerBadTreeSelType);
}

TEST_F(PlayerCommandTest, AttachAndDetachRecordOnlyWhatMoves)
{
    QVObjectSequence* const verse = mDoc.sequences[1];
    QVGandlerParam attach = mDoc.Param({verse, mDoc.player});
    ASSERT_EQ(QVGandler::sShared.DoCmd_CursorAttach(attach), 0);
    EXPECT_EQ(ChildCount(verse), 1u);
    EXPECT_EQ(mDoc.document.mNotifications, 1);

    QVGandlerParam again = mDoc.Param({verse, mDoc.player});
    EXPECT_NE(QVGandler::sShared.DoCmd_CursorAttach(again), 0) << "a player under the sequence is no candidate";

    ForgetHistory();
    QVGandlerParam detach = mDoc.Param({mDoc.player});
    ASSERT_EQ(QVGandler::sShared.DoCmd_CursorDetach(detach), 0);
    EXPECT_EQ(ChildCount(verse), 0u);
    EXPECT_EQ(mDoc.handler()->GetFLPlayers().Count(), 1u);
    AKString label;
    QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
    EXPECT_EQ(label.StdString(), "Undo Detach Players");
}

TEST_F(PlayerCommandTest, PlugInsAreRecordedOnlyWhenTheyChange)
{
    constexpr QVPluginDescUID kUID = 0x6175667862706173ULL;  // "aufxbpas"
    QVObjectSequence* const coda = mDoc.sequences[2];
    QVGandlerParam missing = mDoc.Param({coda});
    EXPECT_EQ(QVGandler::sShared.DoCmd_PlayablePlug(missing), kQVErrorGandlerUndefOption);
    QVGandlerParam none = mDoc.Param();
    none.WithOptionAsUIntID("PluginDescUID", kUID);
    EXPECT_EQ(QVGandler::sShared.DoCmd_PlayablePlug(none), kQVErrorGandlerUndefObject);

    QVGandlerParam plug = mDoc.Param({coda});
    plug.WithOptionAsUIntID("PluginDescUID", kUID);
    {
        LogCapture log;
        ASSERT_EQ(QVGandler::sShared.DoCmd_PlayablePlug(plug), 0);
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_EQ(log.Lines()[0], "# Sequence:\"Coda\" Plug:\"aufxbpas\".\n");
    }
    EXPECT_TRUE(CanUndo());
    ForgetHistory();
    ASSERT_EQ(QVGandler::sShared.DoCmd_PlayablePlug(plug), 0);
    EXPECT_FALSE(CanUndo()) << "the same plug-in again records nothing";

    QVGandlerParam unplug = mDoc.Param({coda});
    ASSERT_EQ(QVGandler::sShared.DoCmd_PlayablePlugNone(unplug), 0);
    EXPECT_TRUE(CanUndo());
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_PlayablePlugNone(unplug), 1) << "no plug-in to remove";
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines().back(), "# Error 1.\n\n");
}

}  // namespace
