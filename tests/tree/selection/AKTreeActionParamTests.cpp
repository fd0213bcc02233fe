#include "TreeTestClasses.h"

#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSelBuilders.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVCommandInfo.h"
#include "SelTestFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class AKTreeActionParamTest : public SelTreeTest
{};

// A client that remembers its calls and answers a fixed status.
class RecordingClient : public AKTreeActionPostTreatmentClient
{
public:
    explicit RecordingClient(int answer) : fAnswer(answer) {}
    int PostTreatment(int commandID, AKTreeSel const& result) override
    {
        fCommandIDs.push_back(commandID);
        fSelectionIDs.push_back(result.GetTreeSelID());
        return fAnswer;
    }

    int fAnswer;
    std::vector<int> fCommandIDs;
    std::vector<int> fSelectionIDs;
};

// --- The command entry ---

TEST(QVCommandInfoTest, EmptyEntryAndCopies)
{
    QVCommandInfo const& null = kQVNullCommandInfo;
    EXPECT_EQ(&null, &kQVNullCommandInfo);
    EXPECT_EQ(null.fCommandID, 0);
    for (AKString const* text : {&null.fReserved, &null.fMenuLabel, &null.fShortcutText, &null.fShortLabel,
                                 &null.fPopupLabel, &null.fIconFileName})
        EXPECT_TRUE(text->IsEmpty());

    QVCommandInfo entry(-12, "", "Delete", "Cmd+Backspace", "Del", "Delete Selection", "Delete.png");
    QVCommandInfo copy(entry);
    QVCommandInfo assigned;
    assigned = entry;
    for (QVCommandInfo const* c : {&copy, &assigned}) {
        EXPECT_EQ(c->GetCommandID(), -12);
        EXPECT_EQ(c->GetMenuLabel(), AKString("Delete"));
        EXPECT_EQ(c->fShortcutText, AKString("Cmd+Backspace"));
        EXPECT_EQ(c->fShortLabel, AKString("Del"));
        EXPECT_EQ(c->fPopupLabel, AKString("Delete Selection"));
        EXPECT_EQ(c->fIconFileName, AKString("Delete.png"));
    }
}

// --- Result flags: one word, also read back from the history ---

TEST(AKTreeActionFlagsTest, Values)
{
    EXPECT_EQ((std::vector<unsigned int>{kAKTreeActionDone, kAKTreeActionUndone, kAKTreeActionRedone,
                                         kAKTreeActionCreated, kAKTreeActionDeleted, kAKTreeActionLinked,
                                         kAKTreeActionRevised, kAKTreeActionPasteboard}),
              (std::vector<unsigned int>{0x1, 0x2, 0x4, 0x100, 0x200, 0x400, 0x800, 0x1000}));
    EXPECT_EQ(kAKTreeActionLinkKinds, 0x700u);
}

// --- Construction and the caller's fields ---

TEST_F(AKTreeActionParamTest, NewRecordIsEmpty)
{
    AKTree& tree = NewDocument();
    AKTreeActionParam param(&tree);
    for (AKTreeActionParam const* p :
         std::initializer_list<AKTreeActionParam const*>{&param, &kAKNullTreeActionParam}) {
        EXPECT_EQ(p->GetCommandID(), 0);
        EXPECT_TRUE(p->GetActionName().IsEmpty());
        EXPECT_FALSE(p->IsOverrideHistory());
        EXPECT_EQ(p->GetTargetNode(), nullptr);
        EXPECT_EQ(p->GetLinkMode(), kAKLinkModeNone);
        EXPECT_TRUE(p->GetTreeSel().IsEmpty());
        EXPECT_EQ(p->GetTreeSel().GetTreeSelID(), 0);
        EXPECT_TRUE(p->GetNewObjects().IsEmpty());
        EXPECT_EQ(p->GetResultFlags(), 0u);
        EXPECT_EQ(p->GetResultTreeSel().GetTreeSelID(), 0);
        EXPECT_TRUE(p->GetMoreInfo().IsEmpty());
        EXPECT_EQ(p->GetPostTreatmentClient(), nullptr);
    }
    EXPECT_EQ(param.GetTree(), &tree);
    EXPECT_EQ(kAKNullTreeActionParam.GetTree(), nullptr);
}

TEST_F(AKTreeActionParamTest, ActionNamesComeFromIDsCommandEntriesAndOtherRecords)
{
    AKTree& tree = NewDocument();
    AKTreeActionParam param(&tree);
    param.SetActionName(QVCommandInfo(41, "", "Duplicate", "Cmd+D", "Dup", "Duplicate", "Dup.png"));
    EXPECT_EQ(param.GetCommandID(), 41);
    EXPECT_EQ(param.GetActionName(), AKString("Duplicate"));

    AKTreeActionParam other(&tree);
    other.SetActionName(-3, "Rename");
    EXPECT_EQ(&param.WithActionNameOf(other).WithOverrideHistory(true), &param);
    EXPECT_EQ(param.GetCommandID(), -3);
    EXPECT_EQ(param.GetActionName(), AKString("Rename"));
    EXPECT_TRUE(param.IsOverrideHistory());

    param.SetActionName(kQVNullCommandInfo);
    EXPECT_EQ(param.GetCommandID(), 0);
    EXPECT_TRUE(param.GetActionName().IsEmpty());
}

TEST_F(AKTreeActionParamTest, TargetsByNodeIDObjectAndOtherRecord)
{
    AKTree& tree = NewDocument();
    AKNode* folder = FolderNode(tree, "G");
    AKTreeActionParam param(&tree);

    param.WithTargetNodeID(folder->GetID(), kAKLinkModeLastChildren);
    EXPECT_EQ(param.GetTargetNode(), folder);
    EXPECT_EQ(param.GetLinkMode(), kAKLinkModeLastChildren);
    param.WithTargetNodeID(999, kAKLinkModeAfter);
    EXPECT_EQ(param.GetTargetNode(), nullptr);
    EXPECT_EQ(param.GetLinkMode(), kAKLinkModeAfter);

    param.WithTargetObject(ItemNode(tree, 4)->GetObject(), kAKLinkModeBefore);
    EXPECT_EQ(param.GetTargetNode(), ItemNode(tree, 4));
    AKTreeActionParam other(nullptr);
    other.WithTargetNodeOf(param);
    EXPECT_EQ(other.GetTargetNode(), ItemNode(tree, 4));
    EXPECT_EQ(other.GetLinkMode(), kAKLinkModeBefore);
    param.WithTargetObject(nullptr, kAKLinkModeFirstChildren);
    EXPECT_EQ(param.GetTargetNode(), nullptr);
    EXPECT_EQ(param.GetLinkMode(), kAKLinkModeFirstChildren);

    // A record for no tree finds no node, but keeps the mode.
    AKTreeActionParam treeless(nullptr);
    treeless.WithTargetNodeID(folder->GetID(), kAKLinkModeFirstChildren);
    EXPECT_EQ(treeless.GetTargetNode(), nullptr);
    EXPECT_EQ(treeless.GetLinkMode(), kAKLinkModeFirstChildren);
}

// --- The input selection ---

TEST_F(AKTreeActionParamTest, WithTreeSelTakesOnlySelectionsOfItsTree)
{
    AKTree& tree = NewDocument();
    AKTree& other = NewDocument();
    AKTreeActionParam param(&tree);
    LogCapture log;

    AKTreeSelWithNode own(&tree, ItemNode(tree, 4));
    param.WithTreeSel(own);
    EXPECT_EQ(param.GetTreeSel().GetTreeSelID(), own.GetTreeSelID());
    EXPECT_EQ(IDsOf(param.GetTreeSel()), IDsOf(own));
    EXPECT_TRUE(log.Lines().empty());

    param.WithTreeSel(AKTreeSelWithNode(&other, ItemNode(other, 4)));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("Conflict in WithTreeSel() between tree-sels that don't have the same tree-owner"),
              std::string::npos)
        << log.Lines()[0];
    EXPECT_NE(log.Lines()[0].find("601"), std::string::npos) << log.Lines()[0];
    EXPECT_TRUE(param.GetTreeSel().IsEmpty());
    EXPECT_EQ(param.GetTreeSel().GetTreeSelID(), 0);
    EXPECT_EQ(param.GetTreeSel().GetTree(), nullptr);

    // Without tree: empty, silently.
    log.Clear();
    param.WithTreeSel(own).WithTreeSel(AKTreeSel());
    EXPECT_EQ(param.GetTreeSel().GetTreeSelID(), 0);
    EXPECT_TRUE(log.Lines().empty());

    // The far form takes a selection of any tree as it is.
    AKTreeSelWithNode far(&other, ItemNode(other, 6));
    param.WithFarTreeSel(far);
    EXPECT_EQ(param.GetTreeSel().GetTree(), &other);
    EXPECT_EQ(param.GetTreeSel().GetTreeSelID(), far.GetTreeSelID());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AKTreeActionParamTest, SelectionBuildersMakeNewSelectionsOfTheRecordsTree)
{
    AKTree& tree = NewDocument();
    AKTreeActionParam param(&tree);
    AKNode* one = ItemNode(tree, 1);
    AKNode* four = ItemNode(tree, 4);
    ATObjectArray<AKObject> objects;
    objects.Push(four->GetObject());
    objects.Push(one->GetObject());

    int lastID = AKTreeSel::NextTreeSelID();
    auto expectNew = [&](std::vector<AKNodeID> const& ids) {
        EXPECT_EQ(param.GetTreeSel().GetTree(), &tree);
        EXPECT_GT(param.GetTreeSel().GetTreeSelID(), lastID);
        lastID = param.GetTreeSel().GetTreeSelID();
        EXPECT_EQ(IDsOf(param.GetTreeSel()), ids);
    };
    param.WithTreeObject(four->GetObject());
    expectNew({four->GetID()});
    param.WithTreeObjects(objects);
    expectNew({one->GetID(), four->GetID()});
    param.WithTreeNodes(NodesOf({four, one}));
    expectNew({one->GetID(), four->GetID()});
    param.WithTreeRawSelNodes(NodesOf({four, one}));
    expectNew({four->GetID(), one->GetID()});
    param.WithTreeChildrenOfNode(FolderNode(tree, "F"));
    expectNew({one->GetID(), ItemNode(tree, 2)->GetID(), ItemNode(tree, 3)->GetID()});
    EXPECT_EQ(param.GetTreeSel().GetCommonParent(), FolderNode(tree, "F"));
}

// --- New objects and results ---

TEST_F(AKTreeActionParamTest, NewObjectsAndClearingResults)
{
    AKTree& tree = NewDocument();
    TestItem* a = NewItem(10);
    TestItem* b = NewItem(11);
    AKTreeActionParam param(&tree);

    param.WithNewObject(a);
    EXPECT_EQ(param.GetNewObjects().Count(), 1u);
    param.WithNewObject(nullptr);
    EXPECT_TRUE(param.GetNewObjects().IsEmpty());
    ATObjectArray<AKObject> both;
    both.Push(a);
    both.Push(b);
    param.WithNewObjects(both);
    ASSERT_EQ(param.GetNewObjects().Count(), 2u);
    EXPECT_EQ(param.GetNewObjects()[1], b);

    param.SetResultFlags(kAKTreeActionDone | kAKTreeActionCreated);
    param.SetResultTreeSel(AKTreeSelWithNode(&tree, ItemNode(tree, 4)));
    param.GetMoreInfo().SetValue("Key", AKValueSetasSInt(3));
    param.ClearResults();
    EXPECT_TRUE(param.GetNewObjects().IsEmpty());
    EXPECT_EQ(param.GetResultFlags(), 0u);
    EXPECT_TRUE(param.GetResultTreeSel().IsEmpty());
    EXPECT_EQ(param.GetResultTreeSel().GetTreeSelID(), 0);
    EXPECT_TRUE(param.GetMoreInfo().IsEmpty());

    AKClass::DeleteObject(a);
    AKClass::DeleteObject(b);
}

TEST_F(AKTreeActionParamTest, CopyingResultsAndWholeRecords)
{
    AKTree& tree = NewDocument();
    RecordingClient client(0);
    AKTreeActionParam source(&tree);
    source.SetActionName(5, "Move");
    source.WithTargetNode(FolderNode(tree, "G"), kAKLinkModeFirstChildren)
        .WithTreeSel(AKTreeSelWithNode(&tree, ItemNode(tree, 6)))
        .WithPostTreatmentClient(&client);
    source.SetResultFlags(kAKTreeActionDone | kAKTreeActionLinked);
    AKTreeSelWithNode result(&tree, ItemNode(tree, 6));
    source.SetResultTreeSel(result);
    source.GetMoreInfo().SetValue("Key", AKValueSetasSInt(3));

    AKTreeActionParam results(nullptr);
    results.CopyResults(source);
    EXPECT_EQ(results.GetResultFlags(), kAKTreeActionDone | kAKTreeActionLinked);
    EXPECT_EQ(results.GetResultTreeSel().GetTreeSelID(), result.GetTreeSelID());
    EXPECT_EQ(results.GetMoreInfo(), source.GetMoreInfo());
    EXPECT_EQ(results.GetCommandID(), 0);
    EXPECT_EQ(results.GetTargetNode(), nullptr);
    EXPECT_EQ(results.GetPostTreatmentClient(), nullptr);

    AKTreeActionParam copy(source);
    EXPECT_EQ(copy.GetTree(), &tree);
    EXPECT_EQ(copy.GetCommandID(), 5);
    EXPECT_EQ(copy.GetTargetNode(), FolderNode(tree, "G"));
    EXPECT_EQ(copy.GetTreeSel().GetTreeSelID(), source.GetTreeSel().GetTreeSelID());
    EXPECT_EQ(copy.GetPostTreatmentClient(), &client);
    EXPECT_EQ(copy.GetMoreInfo(), source.GetMoreInfo());
}

TEST_F(AKTreeActionParamTest, PostTreatmentClientIsOptional)
{
    AKTree& tree = NewDocument();
    AKTreeSelWithNode result(&tree, ItemNode(tree, 4));
    AKTreeActionParam param(&tree);
    EXPECT_EQ(param.CallPostTreatmentClient(9, result), 0);

    RecordingClient refusing(kAKErrorTreeHandlerReadOnly);
    param.WithPostTreatmentClient(&refusing);
    EXPECT_EQ(param.CallPostTreatmentClient(9, result), kAKErrorTreeHandlerReadOnly);
    EXPECT_EQ(refusing.fCommandIDs, std::vector<int>{9});
    EXPECT_EQ(refusing.fSelectionIDs, std::vector<int>{result.GetTreeSelID()});
}

// --- The time range of a track-part action ---

TEST_F(AKTreeActionParamTest, ResultTimeRangeFollowsTheFlags)
{
    AKTimeIntv const redo{2, 5};
    AKTimeIntv const undo{7, 9};
    AKValue const unreadable = AKValueSetasAKString(AKString("(2;5)"));
    struct Case {
        char const* what;
        unsigned int flags;
        AKValue redoValue;
        AKValue undoValue;
        bool changed;
        AKTimeIntv range;
    };
    Case const cases[] = {
        {"done and revised", 0x801, AKValueSetasAKTimeIntv(redo), AKValueSetasAKTimeIntv(undo), true, redo},
        {"redone", 0x804, AKValueSetasAKTimeIntv(redo), AKValueSetasAKTimeIntv(undo), true, redo},
        {"undone and revised", 0x802, AKValueSetasAKTimeIntv(redo), AKValueSetasAKTimeIntv(undo), true, undo},
        {"done, only the undo range", 0x801, AKValue(), AKValueSetasAKTimeIntv(undo), false, kAKNullTimeIntv},
        {"undone, only the redo range", 0x802, AKValueSetasAKTimeIntv(redo), AKValue(), false, kAKNullTimeIntv},
        {"done and undone, redo range unreadable", 0x803, unreadable, AKValueSetasAKTimeIntv(undo), true, undo},
        {"no action bit", 0x800, AKValueSetasAKTimeIntv(redo), AKValueSetasAKTimeIntv(undo), false, kAKNullTimeIntv},
        {"nothing reported", 0x801, AKValue(), AKValue(), false, kAKNullTimeIntv},
    };

    AKTree& tree = NewDocument();
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTreeActionParam param(&tree);
        param.SetResultFlags(c.flags);
        AKTreeSelWithNode result(&tree, ItemNode(tree, 4));
        param.SetResultTreeSel(result);
        if (!c.redoValue.IsEmpty())
            param.GetMoreInfo().SetValue("TrackPartR", c.redoValue);
        if (!c.undoValue.IsEmpty())
            param.GetMoreInfo().SetValue("TrackPartU", c.undoValue);
        param.LowUpdateResultTreeSelTimeSelFromMoreInfo();
        EXPECT_EQ(param.GetResultTreeSel().HasTimeSel(), c.changed);
        EXPECT_EQ(param.GetResultTreeSel().GetTimeRange(), c.range);
        EXPECT_EQ(IDsOf(param.GetResultTreeSel()), IDsOf(result));
    }
}

}  // namespace
