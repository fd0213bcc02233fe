// The tree handler's actions: what each reports, records and stamps, the
// order of recording against changing (a cut writes its store first), the
// post-treatment client, moves that change nothing, undo and redo.

#include "TreeTestClasses.h"

#include "AKStatus.h"
#include "AKTreeHandler.h"
#include "AKTreeHistoryActionOnCreate.h"
#include "AKTreeHistoryFile.h"
#include "AKTreePasteboard.h"
#include "AKValueTyped.h"
#include "HandlerTestFixtures.h"
#include "NotifierTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// An item that, while the switch is on, cannot be written into a store (a
// dictionary or a plain file) but still into the history file: the store
// fails where the step to record would succeed.
class TestUnwritableItem : public TestItem
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestUnwritableItem, "tstUnwr")

    TestUnwritableItem() : TestItem(0) {}

    static bool& FailWrites()
    {
        static bool sFail = false;
        return sFail;
    }
    int akmWriteToFile(AKFile& file) const override
    {
        bool const store = file.GetMarker() != kAKHistoryFileMarker;
        return FailWrites() && store ? -1 : TestItem::akmWriteToFile(file);
    }
    int akmWriteToDictionary(AKDictionary& dictionary) const override
    {
        return FailWrites() ? -1 : TestItem::akmWriteToDictionary(dictionary);
    }
};

namespace {

// The classes of the notifier tests and the unwritable item, in one pass.
class HandlerActionsEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        int status = registry.RegisterBegin();
        AKClassInfo const classes[] = {
            AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"),
            AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"),
            AKClassInfoOfAbstract<TestBaseObject>(AKObject::_ClassID(), "TestBaseObject"),
            AKClassInfoOfConcrete<TestItem>(TestBaseObject::_ClassID(), "TestItem"),
            AKClassInfoOfConcrete<TestSubItem>(TestItem::_ClassID(), "TestSubItem"),
            AKClassInfoOfConcrete<TestFolder>(TestBaseObject::_ClassID(), "TestFolder"),
            AKClassInfoOfConcrete<TestNest>(TestFolder::_ClassID(), "TestNest"),
            AKClassInfoOfConcrete<TestProbeItem>(TestItem::_ClassID(), "TestProbeItem"),
            AKClassInfoOfConcrete<TestUnwritableItem>(TestItem::_ClassID(), "TestUnwritableItem"),
        };
        for (AKClassInfo const& info : classes) {
            if (status == 0)
                status = registry.RegisterClass(info, false, nullptr);
        }
        if (status == 0)
            status = registry.RegisterComplete(nullptr);
        ASSERT_EQ(status, 0);
    }
};

::testing::Environment* const kHandlerActionsEnvironment =
    ::testing::AddGlobalTestEnvironment(new HandlerActionsEnvironment());

class AKTreeHandlerActionsTest : public HandlerTreeTest
{
protected:
    void TearDown() override
    {
        TestUnwritableItem::FailWrites() = false;
        AKTreeHistory::SetNextWriteFailureForTesting(0);
        HandlerTreeTest::TearDown();
    }

    static AKTreeActionParam P(AKTreeHandler& h, std::initializer_list<AKNode*> nodes, AKNode* target = nullptr,
                               AKLinkMode mode = kAKLinkModeNone)
    {
        AKTreeActionParam param = ParamOf(h, nodes);
        param.WithTargetNode(target, mode);
        return param;
    }
    static std::string Shape(AKTreeHandler const& h) { return ::Shape(*h.GetTree()); }
    // The signatures of the recorded steps, as text ("HDEL HCRE").
    static std::string Steps(AKTreeHandler const& h)
    {
        std::string text;
        for (unsigned int i = 0; i < h.GetHistory().CountActions(); ++i) {
            unsigned int const s = h.GetHistory().GetAction(i)->GetSignature();
            if (!text.empty())
                text += " ";
            for (int shift = 24; shift >= 0; shift -= 8)
                text += static_cast<char>((s >> shift) & 0xFF);
        }
        return text;
    }
    // No stamp of the tree moved since the table was taken.
    static bool NoStampMoved(std::map<AKNodeID, StampRow> const& before, AKTree const& tree)
    {
        for (auto const& [nodeID, digits] : StampMoves(before, tree)) {
            if (digits != "00000")
                return false;
        }
        return true;
    }
    // The item numbers and folder names of a selection, in order.
    static std::string Names(AKTreeSel const& selection)
    {
        std::string text;
        for (AKNode const* node : selection.GetNodes()) {
            if (!text.empty())
                text += ",";
            TestItem const* item = dynamic_cast<TestItem const*>(node->GetObject());
            text += item ? std::to_string(item->GetValue()) : node->GetObject()->akmGetName().c_str();
        }
        return text;
    }
};

// --- Results ---

TEST_F(AKTreeHandlerActionsTest, EachActionReportsItsFlagsSelectionAndStep)
{
    AKDictionary info;
    info.SetValue("TrackPartR", AKValueSetasAKTimeIntv(AKTimeIntv{2, 5}));
    struct Row {
        char const* what;
        std::function<int(TestTreeHandler&, AKTreeActionParam&)> run;
        unsigned int flags;
        char const* result;  // the result selection, "-" for the input one, "" for empty
        char const* shape;
        char const* steps;
    };
    Row const rows[] = {
        {"delete",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoDelete(p = P(h, {Item(h, 2), Item(h, 4)}));
         },
         0x201, "", "F[1,3],G[5],6", "HDEL"},
        {"cut",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoCutToPasteboard(p = P(h, {Folder(h, "G")}), nullptr);
         },
         0x1201, "", "F[1,2,3],4,6", "HDEL"},
        {"copy out",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoCopyToPasteboard(p = P(h, {Item(h, 1), Item(h, 6)}), nullptr);
         },
         0x1001, "-", "F[1,2,3],4,G[5],6", ""},
        {"paste",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             EXPECT_EQ(h.GetTree()->WriteTreeSelToCache(nullptr, AKTreeSelWithNode(h.GetTree(), Item(h, 4))), 0);
             return h.DoPasteFromPasteboard(p = P(h, {Item(h, 5)}), nullptr, AKString());
         },
         0x101, "4", "F[1,2,3],4,G[5,4],6", "HCRE"},
        {"duplicate",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoDuplicate(p = P(h, {Item(h, 1), Item(h, 3)}));
         },
         0x101, "1,3", "F[1,1,2,3,3],4,G[5],6", "HCRE"},
        {"move",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoMoveTo(p = P(h, {Item(h, 4), Item(h, 6)}, Folder(h, "F"), kAKLinkModeFirstChildren));
         },
         0x401, "4,6", "F[4,6,1,2,3],G[5]", "HLIK"},
        {"copy to",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoCopyTo(p = P(h, {Item(h, 5)}, Item(h, 1), kAKLinkModeAfter));
         },
         0x101, "5", "F[1,5,2,3],4,G[5],6", "HCRE"},
        {"add",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             ATObjectArray<AKObject> objects;
             objects.Push(NewItem(7));
             objects.Push(NewItem(8));
             return h.DoAddNewObjects(p = P(h, {}, Folder(h, "G"), kAKLinkModeLastChildren).WithNewObjects(objects));
         },
         0x101, "7,8", "F[1,2,3],4,G[5,7,8],6", "HCRE"},
        {"revise",
         [&info](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoReviseObjects(p = P(h, {Item(h, 4)}), info, false);
         },
         0x801, "-", "F[1,2,3],4,G[5],6", "HREV"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.what);
        TestTreeHandler& h = NewDocumentHandler();
        AKTreeActionParam param(h.GetTree());
        ASSERT_EQ(row.run(h, param), 0);
        EXPECT_EQ(param.GetResultFlags(), row.flags);
        if (std::string(row.result) == "-") {
            EXPECT_EQ(param.GetResultTreeSel().GetTreeSelID(), param.GetTreeSel().GetTreeSelID());
            EXPECT_EQ(IDsOf(param.GetResultTreeSel()), IDsOf(param.GetTreeSel()));
        } else {
            EXPECT_EQ(Names(param.GetResultTreeSel()), row.result);
        }
        EXPECT_EQ(Shape(h), row.shape);
        EXPECT_EQ(Steps(h), row.steps);
        if (h.GetHistory().CountActions() != 0) {
            EXPECT_EQ(h.GetHistory().GetAction(0)->GetCommandID(), kTestCommandID);
            EXPECT_EQ(h.GetHistory().GetAction(0)->GetName(), AKString(kTestCommandName));
        }
    }

    // The revision's results carry the more info and its time range.
    TestTreeHandler& h = NewDocumentHandler();
    AKTreeActionParam param = P(h, {Item(h, 4)});
    ASSERT_EQ(h.DoReviseObjects(param, info, false), 0);
    EXPECT_EQ(param.GetMoreInfo(), info);
    EXPECT_TRUE(param.GetResultTreeSel().HasTimeSel());
    EXPECT_EQ(param.GetResultTreeSel().GetTimeRange(), (AKTimeIntv{2, 5}));
}

TEST_F(AKTreeHandlerActionsTest, UndoAndRedoReportTheStep)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKDictionary info;
    info.SetValue("TrackPartU", AKValueSetasAKTimeIntv(AKTimeIntv{1, 3}));
    info.SetValue("TrackPartR", AKValueSetasAKTimeIntv(AKTimeIntv{4, 6}));
    AKTreeActionParam revise = P(h, {Item(h, 4)});
    static_cast<TestItem*>(Item(h, 4)->GetObject())->SetValue(40);
    ASSERT_EQ(h.DoReviseObjects(revise, info, false), 0);

    int commandID = 0;
    AKString name;
    EXPECT_TRUE(h.CanUndo(&commandID, &name));
    EXPECT_EQ(commandID, kTestCommandID);
    EXPECT_EQ(name, AKString(kTestCommandName));
    EXPECT_FALSE(h.CanRedo(&commandID, &name));

    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5],6");
    EXPECT_EQ(undo.GetResultFlags(), 0x802u);
    EXPECT_EQ(undo.GetCommandID(), kTestCommandID);
    EXPECT_EQ(undo.GetActionName(), AKString(kTestCommandName));
    EXPECT_EQ(Names(undo.GetResultTreeSel()), "4");
    EXPECT_EQ(undo.GetMoreInfo(), info);
    EXPECT_EQ(undo.GetResultTreeSel().GetTimeRange(), (AKTimeIntv{1, 3}));

    AKTreeActionParam redo(h.GetTree());
    ASSERT_EQ(h.DoRedo(redo), 0);
    EXPECT_EQ(Shape(h), "F[1,2,3],40,G[5],6");
    EXPECT_EQ(redo.GetResultFlags(), 0x804u);
    EXPECT_EQ(redo.GetResultTreeSel().GetTimeRange(), (AKTimeIntv{4, 6}));

    // Nothing more to redo: the record is left as it was.
    AKTreeActionParam again = redo;
    EXPECT_EQ(h.DoRedo(again), kAKErrorTreeHistoryCantRedo);
    EXPECT_EQ(again.GetResultFlags(), 0x804u);
    EXPECT_EQ(again.GetResultTreeSel().GetTreeSelID(), redo.GetResultTreeSel().GetTreeSelID());
}

// A delete, a paste, a duplicate, a move and a copy undone one by one bring
// the document back, and redone bring it forward again.
TEST_F(AKTreeHandlerActionsTest, EveryRecordedActionUndoesAndRedoes)
{
    TestTreeHandler& h = NewDocumentHandler();
    std::vector<TreeSnapshot> states{SnapshotOf(*h.GetTree())};
    AKTreeActionParam p = P(h, {Item(h, 2)});
    ASSERT_EQ(h.DoCutToPasteboard(p, nullptr), 0);
    states.push_back(SnapshotOf(*h.GetTree()));
    p = P(h, {}, Folder(h, "G"), kAKLinkModeFirstChildren);
    ASSERT_EQ(h.DoPasteFromPasteboard(p, nullptr, AKString("pasted")), 0);
    states.push_back(SnapshotOf(*h.GetTree()));
    p = P(h, {Folder(h, "G")});
    ASSERT_EQ(h.DoDuplicate(p), 0);
    states.push_back(SnapshotOf(*h.GetTree()));
    p = P(h, {Item(h, 4)}, Item(h, 6), kAKLinkModeAfter);
    ASSERT_EQ(h.DoMoveTo(p), 0);
    states.push_back(SnapshotOf(*h.GetTree()));
    p = P(h, {Item(h, 1)}, Item(h, 3), kAKLinkModeAfter);
    ASSERT_EQ(h.DoCopyTo(p), 0);
    states.push_back(SnapshotOf(*h.GetTree()));
    ASSERT_EQ(Shape(h), "F[1,3,1],G[5,2],G[5,2],6,4");
    ASSERT_EQ(Steps(h), "HDEL HCRE HCRE HLIK HCRE");

    for (size_t i = states.size() - 1; i > 0; --i) {
        AKTreeActionParam undo(h.GetTree());
        ASSERT_EQ(h.DoUndo(undo), 0) << i;
        // IDs, links and data; the next ID never goes back.
        EXPECT_EQ(SnapshotOf(*h.GetTree()).chunk, states[i - 1].chunk) << "undo to state " << i - 1;
    }
    for (size_t i = 1; i < states.size(); ++i) {
        AKTreeActionParam redo(h.GetTree());
        ASSERT_EQ(h.DoRedo(redo), 0) << i;
        EXPECT_EQ(SnapshotOf(*h.GetTree()).chunk, states[i].chunk) << "redo to state " << i;
    }
}

// --- Order of recording and changing ---

// The cut used to record its deletion before writing the store: a store
// that could not be written left a deletion step for nodes still in the
// tree, and undoing it re-created them a second time.
TEST_F(AKTreeHandlerActionsTest, ACutWhoseStoreCannotBeWrittenRecordsNothingAndChangesNothing)
{
    TestTreeHandler& h = NewHandler(
        NewTreeFromDico(DicoTree({DicoNamedFolder("F", {DicoItem(1), DicoNode("tstUnwr", 9, 0, {})}), DicoItem(4)})));
    // One earlier step, so that an undo has something to undo.
    AKTreeActionParam earlier = P(h, {Item(h, 4)}, Folder(h, "F"), kAKLinkModeFirstChildren);
    ASSERT_EQ(h.DoMoveTo(earlier), 0);
    ASSERT_EQ(h.GetTree()->WriteTreeSelToCache(nullptr, AKTreeSelWithNode(h.GetTree(), Item(h, 1))), 0);
    TreeSnapshot const before = SnapshotOf(*h.GetTree());
    auto const stamps = StampsOfTree(*h.GetTree());

    for (AKTreeSelCache* store : {static_cast<AKTreeSelCache*>(nullptr), new AKTreeSelCache(1)}) {
        AKTreeActionParam cut = P(h, {Item(h, 1), Item(h, 9)});
        TestUnwritableItem::FailWrites() = true;
        EXPECT_EQ(h.DoCutToPasteboard(cut, store), -1);
        TestUnwritableItem::FailWrites() = false;
        EXPECT_EQ(cut.GetResultFlags(), 0u);
        EXPECT_EQ(SnapshotOf(*h.GetTree()), before);
        EXPECT_EQ(Steps(h), "HLIK");
        EXPECT_TRUE(NoStampMoved(stamps, *h.GetTree()));
        EXPECT_TRUE((store != nullptr ? *store : AKTreePasteboard::sShared).IsEmpty()) << "a failed write empties";
        delete store;
    }

    // The one step on record is the earlier move.
    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(undo.GetResultFlags(), 0x402u);
    EXPECT_EQ(Shape(h), "F[1,9],4");
}

TEST_F(AKTreeHandlerActionsTest, RemovalsWhoseStepCannotBeWrittenLeaveTheTreeUntouched)
{
    for (bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut" : "delete");
        TestTreeHandler& h = NewDocumentHandler();
        TreeSnapshot const before = SnapshotOf(*h.GetTree());
        AKTreeActionParam param = P(h, {Folder(h, "G"), Item(h, 6)});
        AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorChunkBadItemCount);
        EXPECT_EQ(cut ? h.DoCutToPasteboard(param, nullptr) : h.DoDelete(param), kAKErrorChunkBadItemCount);
        EXPECT_EQ(SnapshotOf(*h.GetTree()), before);
        EXPECT_EQ(h.GetHistory().CountActions(), 0u);
        EXPECT_EQ(param.GetResultFlags(), 0u);
    }
}

TEST_F(AKTreeHandlerActionsTest, CreationsWhoseStepCannotBeWrittenStayUnrecorded)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKTreeActionParam param = P(h, {Item(h, 4)});
    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorChunkBadItemCount);
    EXPECT_EQ(h.DoDuplicate(param), kAKErrorChunkBadItemCount);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,4,G[5],6") << "the change is made";
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
    EXPECT_EQ(param.GetResultFlags(), 0u);
    EXPECT_TRUE(param.GetResultTreeSel().IsEmpty());
}

// --- The post-treatment client ---

TEST_F(AKTreeHandlerActionsTest, ThePostTreatmentClientSeesEachCreationAndMoveBeforeItIsRecorded)
{
    struct Row {
        char const* what;
        std::function<int(TestTreeHandler&, AKTreeActionParam&)> run;
        char const* shapeAfter;
        bool calls;
    };
    Row const rows[] = {
        {"paste",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             EXPECT_EQ(h.GetTree()->WriteTreeSelToCache(nullptr, AKTreeSelWithNode(h.GetTree(), Item(h, 6))), 0);
             return h.DoPasteFromPasteboard(p.WithTargetNode(Folder(h, "G"), kAKLinkModeLastChildren), nullptr,
                                            AKString());
         },
         "F[1,2,3],4,G[5,6],6", true},
        {"duplicate",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoDuplicate(p.WithTreeObject(Item(h, 6)->GetObject()));
         },
         "F[1,2,3],4,G[5],6,6", true},
        {"move",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoMoveTo(p.WithTreeObject(Item(h, 6)->GetObject()).WithTargetNode(Item(h, 4), kAKLinkModeBefore));
         },
         "F[1,2,3],6,4,G[5]", true},
        {"copy to",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoCopyTo(p.WithTreeObject(Item(h, 6)->GetObject()).WithTargetNode(Item(h, 1), kAKLinkModeBefore));
         },
         "F[6,1,2,3],4,G[5],6", true},
        {"add",
         [](TestTreeHandler& h, AKTreeActionParam& p) {
             return h.DoAddNewObjects(p.WithNewObject(NewItem(7)).WithTargetNode(Item(h, 6), kAKLinkModeAfter));
         },
         "F[1,2,3],4,G[5],6,7", false},
    };
    for (Row const& row : rows) {
        for (int answer : {0, -1}) {
            SCOPED_TRACE(std::string(row.what) + (answer ? ", refusing" : ", accepting"));
            TestTreeHandler& h = NewDocumentHandler();
            TestPostTreatmentClient client;
            client.fAnswer = answer;
            AKTreeActionParam param(h.GetTree());
            param.SetActionName(5, AKString("Five"));
            param.WithPostTreatmentClient(&client);
            int const status = row.run(h, param);
            EXPECT_EQ(Shape(h), row.shapeAfter) << "made, whatever the client says";
            if (!row.calls) {
                EXPECT_EQ(status, 0);
                EXPECT_TRUE(client.fCalls.empty());
                continue;
            }
            ASSERT_EQ(client.fCalls.size(), 1u);
            EXPECT_EQ(client.fCalls[0].commandID, 5);
            EXPECT_EQ(status, answer);
            if (answer == 0) {
                EXPECT_EQ(client.fCalls[0].nodeIDs, IDsOf(param.GetResultTreeSel()));
                EXPECT_EQ(h.GetHistory().CountActions(), 1u);
            } else {
                EXPECT_EQ(h.GetHistory().CountActions(), 0u) << "not recorded";
                EXPECT_EQ(param.GetResultFlags(), 0u);
            }
        }
    }
}

// --- Pastes ---

TEST_F(AKTreeHandlerActionsTest, APasteNamesItsOnlyObjectAndCanBeRepeated)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKTree& tree = *h.GetTree();
    AKTreeSelCache store(kAKTreeSelCacheDictionaryForm);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, Folder(h, "G"))), 0);

    AKTreeActionParam first = P(h, {Item(h, 6)});
    ASSERT_EQ(h.DoPasteFromPasteboard(first, &store, AKString("H")), 0);
    AKTreeActionParam second = P(h, {Item(h, 6)});
    ASSERT_EQ(h.DoPasteFromPasteboard(second, &store, AKString()), 0);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5],6,H[5],G[5]");
    EXPECT_NE(first.GetResultTreeSel().FirstNode(), second.GetResultTreeSel().FirstNode());
    EXPECT_EQ(Steps(h), "HCRE HCRE");

    // Two objects pasted keep their names.
    ASSERT_EQ(tree.WriteTreeSelToCache(nullptr, AKTreeSelWithNodes(&tree, NodesOf({Folder(h, "G"), Folder(h, "H")}))),
              0);
    AKTreeActionParam third = P(h, {}, tree.GetRootNode(), kAKLinkModeFirstChildren);
    ASSERT_EQ(h.DoPasteFromPasteboard(third, nullptr, AKString("X")), 0);
    EXPECT_EQ(Names(third.GetResultTreeSel()), "G,H");
}

// --- Moves ---

TEST_F(AKTreeHandlerActionsTest, AMoveBackToItsPlaceChangesNothingRecordsNothingAndStampsNothing)
{
    TestTreeHandler& h = NewDocumentHandler();
    auto const stamps = StampsOfTree(*h.GetTree());
    TreeSnapshot const before = SnapshotOf(*h.GetTree());

    // 2 and 3 after 1: where they are.
    AKTreeActionParam param = P(h, {Item(h, 2), Item(h, 3)}, Item(h, 1), kAKLinkModeAfter);
    ASSERT_EQ(h.DoMoveTo(param), 0);
    EXPECT_EQ(param.GetResultFlags(), 0u);
    EXPECT_EQ(Names(param.GetResultTreeSel()), "2,3");
    EXPECT_EQ(SnapshotOf(*h.GetTree()), before);
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
    EXPECT_TRUE(NoStampMoved(stamps, *h.GetTree()));
    EXPECT_FALSE(h.GetNotifier().HasPendingMarks());
}

// Inside a command, a move that changes nothing must not withdraw the marks
// of the command's earlier steps: their stamps still move at its end.
TEST_F(AKTreeHandlerActionsTest, AVainMoveInsideACommandKeepsTheEarlierStepsMarks)
{
    TestTreeHandler& h = NewDocumentHandler();
    auto const stamps = StampsOfTree(*h.GetTree());
    AKNodeID const g = Folder(h, "G")->GetID();
    AKNodeID const root = h.GetTree()->GetRootNode()->GetID();

    ASSERT_EQ(h.DoEasyStart(TestCommand(3, "Shuffle"), nullptr), 0);
    AKTreeActionParam del = P(h, {Item(h, 5)});
    del.SetActionName(h.GetCurrentCommand());
    ASSERT_EQ(h.DoDelete(del), 0);
    EXPECT_EQ(StampMoves(stamps, *h.GetTree())[g], "00000") << "deferred to the command's end";
    AKTreeActionParam vain = P(h, {Item(h, 2)}, Item(h, 1), kAKLinkModeAfter);
    ASSERT_EQ(h.DoMoveTo(vain), 0);
    EXPECT_EQ(vain.GetResultFlags(), 0u);
    EXPECT_EQ(h.DoEasyEnd(), 0x201u);

    std::map<AKNodeID, std::string> moves = StampMoves(stamps, *h.GetTree());
    EXPECT_EQ(moves[g], "00011") << "G lost a child";
    EXPECT_EQ(moves[root], "00001");
    EXPECT_EQ(moves[Folder(h, "F")->GetID()], "00000") << "the vain move marked nothing";
}

// --- Revisions ---

TEST_F(AKTreeHandlerActionsTest, ARevisionMergesIntoThePreviousOnlyWhenTheRecordAsks)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKDictionary const info;
    AKTreeActionParam param = P(h, {Item(h, 4)});
    TestItem* item = static_cast<TestItem*>(Item(h, 4)->GetObject());
    item->SetValue(10);
    ASSERT_EQ(h.DoReviseObjects(param, info, false), 0);
    item->SetValue(11);
    ASSERT_EQ(h.DoReviseObjects(param.WithOverrideHistory(true), info, false), 0);
    EXPECT_EQ(h.GetHistory().CountActions(), 1u);
    item->SetValue(12);
    ASSERT_EQ(h.DoReviseObjects(param.WithOverrideHistory(false), info, false), 0);
    EXPECT_EQ(h.GetHistory().CountActions(), 2u);

    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(item->GetValue(), 11u);
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(item->GetValue(), 4u) << "one undo for the merged pair";
}

// --- Subclasses ---

class StrictHandler : public TestTreeHandler
{
public:
    using TestTreeHandler::TestTreeHandler;
    int CheckDelete(AKTreeActionParam const& param) const override
    {
        int status = TestTreeHandler::CheckDelete(param);
        return status == 0 && param.GetTreeSel().CountNodes() > 1 ? kAKErrorTreeHandlerBadTreeSelType : status;
    }
};

TEST_F(AKTreeHandlerActionsTest, ASubclassThatTightensACheckTightensTheAction)
{
    AKTree& tree = NewDocument();
    StrictHandler h(&tree);
    AKTreeActionParam two = P(h, {Item(h, 1), Item(h, 4)});
    EXPECT_FALSE(h.CanDelete(two));
    EXPECT_EQ(h.DoDelete(two), kAKErrorTreeHandlerBadTreeSelType);
    AKTreeActionParam one = P(h, {Item(h, 4)});
    EXPECT_EQ(h.DoDelete(one), 0);
    EXPECT_EQ(::Shape(tree), "F[1,2,3],G[5],6");
}

}  // namespace
