// The tree handler's checks: the order of the refusals, what a read-only
// tree still allows, selections holding the root, and how moves, copies and
// pastes find their target.

#include "TreeTestClasses.h"

#include "AKStatus.h"
#include "AKTreeHandler.h"
#include "AKTreePasteboard.h"
#include "HandlerTestFixtures.h"
#include "NotifierTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

typedef std::function<int(AKTreeHandler&, AKTreeActionParam const&)> CheckFn;

int Delete(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckDelete(p); }
int Rename(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckRename(p); }
int Cut(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckCutToPasteboard(p); }
int CopyOut(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckCopyToPasteboard(p); }
int Paste(AKTreeHandler& h, AKTreeActionParam const& p)
{
    return h.CheckPasteFromPasteboard(p, nullptr, nullptr, nullptr);
}
int Duplicate(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckDuplicate(p); }
int Move(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckMoveTo(p, nullptr, nullptr); }
int CopyTo(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckCopyTo(p, nullptr, nullptr); }
int Add(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckAddNewObjects(p); }
int Revise(AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckReviseObjects(p); }
CheckFn AddOfClass(AKClass const* objectClass)
{
    return [objectClass](AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckAddNewObjects(p, objectClass); };
}
CheckFn HasTarget(AKClass const* objectClass, bool writable)
{
    return [objectClass, writable](AKTreeHandler& h, AKTreeActionParam const& p) {
        return h.CheckHasTargetNode(p, objectClass, writable);
    };
}
CheckFn HasSel(bool writable)
{
    return [writable](AKTreeHandler& h, AKTreeActionParam const& p) { return h.CheckHasSomeTreeSel(p, writable); };
}

class AKTreeHandlerChecksTest : public HandlerTreeTest
{
protected:
    // Four documents: the usual one, a read-only copy, another document and
    // one of nests (A[B[1]], 2; nests take any test object).
    void MakeDocuments()
    {
        fDoc = &NewDocumentHandler();
        fReadOnly = &NewDocumentHandler(kAKTreeOptionReadOnly | kAKTreeOptionDeferredDelete);
        fOther = &NewDocumentHandler();
        fNests = &NewHandler(NewTreeFromDico(DicoTree({DicoNest("A", {DicoNest("B", {DicoProbe(1)})}), DicoProbe(2)})));
    }
    // A record of a handler's tree selecting nodes, with a target.
    static AKTreeActionParam P(AKTreeHandler& h, std::initializer_list<AKNode*> nodes, AKNode* target = nullptr,
                               AKLinkMode mode = kAKLinkModeNone)
    {
        AKTreeActionParam param = ParamOf(h, nodes);
        param.WithTargetNode(target, mode);
        return param;
    }
    static AKNode* Root(AKTreeHandler& h) { return h.GetTree()->GetRootNode(); }
    // A nest of the nest document by name.
    AKNode* Nest(char const* name) const
    {
        for (AKNode* node : fNests->GetTree()->GetNodes()) {
            if (dynamic_cast<TestNest*>(node->GetObject()) && node->GetObject()->akmGetName() == AKString(name))
                return node;
        }
        ADD_FAILURE() << name;
        return nullptr;
    }
    // A selection made only of the root, as a script builds it from node ID 1.
    static AKTreeActionParam RootAlone(AKTreeHandler& h)
    {
        AKTreeActionParam param(h.GetTree());
        param.WithTreeSel(AKTreeSelWithNodeID(h.GetTree(), 1));
        return param;
    }

    TestTreeHandler* fDoc = nullptr;
    TestTreeHandler* fReadOnly = nullptr;
    TestTreeHandler* fOther = nullptr;
    TestTreeHandler* fNests = nullptr;
};

// Each row carries the fault of its code and every fault that comes later
// in the check's order, so the answer shows which refusal comes first.
TEST_F(AKTreeHandlerChecksTest, ChecksRefuseInOrderWithTheirCodes)
{
    MakeDocuments();
    AKTreeHandler& d = *fDoc;
    AKTreeHandler& ro = *fReadOnly;
    AKTreeHandler& o = *fOther;
    AKTreeHandler& n = *fNests;
    AKTreeSelCache empty(0);

    struct Row {
        char const* what;
        AKTreeHandler* handler;
        std::function<AKTreeActionParam()> param;
        CheckFn check;
        int expected;
    };
    Row const rows[] = {
        // The move's chain: kAKErrorTreeHandlerReadOnly,
        // kAKErrorTreeHandlerEmptyTreeSel, kAKErrorTreeHandlerBadTreeOwner,
        // kAKErrorTreeHandlerBadTreeSelType, kAKErrorTreeHandlerNoTargetNode,
        // kAKErrorTreeHandlerNoLinkMode, kAKErrorTreeHandlerIncompatibleLink,
        // kAKErrorTreeHandlerCantMoveTreeSel.
        {"move: read-only tree, empty selection", &ro, [&] { return P(ro, {}); }, Move, kAKErrorTreeHandlerReadOnly},
        {"move: empty selection of a record of another tree", &d, [&] { return P(o, {}); }, Move,
         kAKErrorTreeHandlerEmptyTreeSel},
        {"move: the root of another tree, no target", &d, [&] { return RootAlone(o); }, Move,
         kAKErrorTreeHandlerBadTreeOwner},
        {"move: far selection of another tree", &d,
         [&] { return P(d, {}).WithFarTreeSel(AKTreeSelWithNode(o.GetTree(), Item(o, 4))); }, Move,
         kAKErrorTreeHandlerBadTreeOwner},
        {"move: the root alone, no target", &d, [&] { return RootAlone(d); }, Move, kAKErrorTreeHandlerBadTreeSelType},
        {"move: no target, no default folder, mode 0", &d, [&] { return P(d, {Item(d, 4)}); }, Move,
         kAKErrorTreeHandlerNoTargetNode},
        {"move: a target of another tree", &d,
         [&] { return P(d, {Item(d, 4)}, Folder(o, "F"), kAKLinkModeLastChildren); }, Move,
         kAKErrorTreeHandlerBadTreeOwner},
        {"move: a target without link mode", &d, [&] { return P(d, {Item(d, 4)}, Item(d, 6)); }, Move,
         kAKErrorTreeHandlerNoLinkMode},
        {"move: an item into an item", &d, [&] { return P(d, {Item(d, 4)}, Item(d, 6), kAKLinkModeLastChildren); },
         Move, kAKErrorTreeHandlerIncompatibleLink},
        {"move: a nest before its own child", &n, [&] { return P(n, {Nest("A")}, Nest("B"), kAKLinkModeBefore); }, Move,
         kAKErrorTreeHandlerCantMoveTreeSel},
        // Copies: kAKErrorTreeHandlerReadOnly,
        // kAKErrorTreeHandlerEmptyTreeSel, kAKErrorTreeHandlerNoTargetNode,
        // kAKErrorTreeHandlerNoLinkMode, kAKErrorTreeHandlerIncompatibleLink;
        // another tree's selection is welcome.
        {"copy: read-only tree, empty selection", &ro, [&] { return P(ro, {}); }, CopyTo, kAKErrorTreeHandlerReadOnly},
        {"copy: empty selection, no target", &d, [&] { return P(d, {}); }, CopyTo, kAKErrorTreeHandlerEmptyTreeSel},
        {"copy: no target", &d, [&] { return P(d, {Item(d, 4)}); }, CopyTo, kAKErrorTreeHandlerNoTargetNode},
        {"copy: target without link mode", &d, [&] { return P(d, {Item(d, 4)}, Folder(d, "F")); }, CopyTo,
         kAKErrorTreeHandlerNoLinkMode},
        {"copy: a folder into a folder", &d,
         [&] { return P(d, {Folder(d, "G")}, Folder(d, "F"), kAKLinkModeLastChildren); }, CopyTo,
         kAKErrorTreeHandlerIncompatibleLink},
        {"copy: from another document", &d,
         [&] {
             return P(d, {}, Folder(d, "F"), kAKLinkModeLastChildren)
                 .WithFarTreeSel(AKTreeSelWithNode(o.GetTree(), Item(o, 4)));
         },
         CopyTo, 0},
        // Removals, duplicates and revisions: kAKErrorTreeHandlerReadOnly,
        // kAKErrorTreeHandlerEmptyTreeSel, kAKErrorTreeHandlerBadTreeOwner,
        // then kAKErrorTreeHandlerBadTreeSelType for the root.
        {"delete: read-only tree, empty selection", &ro, [&] { return P(ro, {}); }, Delete,
         kAKErrorTreeHandlerReadOnly},
        {"delete: empty selection of another tree", &d, [&] { return P(o, {}); }, Delete,
         kAKErrorTreeHandlerEmptyTreeSel},
        {"delete: the root of another tree", &d, [&] { return RootAlone(o); }, Delete, kAKErrorTreeHandlerBadTreeOwner},
        {"delete: the root", &d, [&] { return RootAlone(d); }, Delete, kAKErrorTreeHandlerBadTreeSelType},
        {"cut: the root", &d, [&] { return RootAlone(d); }, Cut, kAKErrorTreeHandlerBadTreeSelType},
        {"duplicate: the root", &d, [&] { return RootAlone(d); }, Duplicate, kAKErrorTreeHandlerBadTreeSelType},
        {"revise: the root", &d, [&] { return RootAlone(d); }, Revise, 0},
        {"revise: another tree's node", &d, [&] { return P(o, {Item(o, 4)}); }, Revise,
         kAKErrorTreeHandlerBadTreeOwner},
        // Renames need exactly one node.
        {"rename: two nodes", &d,
         [&] {
             return P(d, {Item(d, 1), Item(d, 4)});
         },
         Rename, kAKErrorTreeHandlerBadTreeSelType},
        {"rename: one node of another document's record", &d, [&] { return P(o, {Item(o, 4)}); }, Rename,
         kAKErrorTreeHandlerBadTreeOwner},
        {"rename: one node", &d, [&] { return P(d, {Item(d, 4)}); }, Rename, 0},
        // Copying out: kAKErrorTreeHandlerEmptyTreeSel,
        // kAKErrorTreeHandlerBadTreeOwner, and a read-only tree may be copied
        // from.
        {"copy out: empty selection of another tree", &d, [&] { return P(o, {}); }, CopyOut,
         kAKErrorTreeHandlerEmptyTreeSel},
        {"copy out: another tree's node", &d, [&] { return P(o, {Item(o, 4)}); }, CopyOut,
         kAKErrorTreeHandlerBadTreeOwner},
        {"copy out: read-only tree", &ro, [&] { return P(ro, {Item(ro, 4)}); }, CopyOut, 0},
        // Pastes: kAKErrorTreeHandlerReadOnly, kAKErrorTreeHandlerEmptyPasteboard,
        // kAKErrorTreeHandlerIncompatiblePasteboard.
        {"paste: read-only tree, empty pasteboard", &ro, [&] { return P(ro, {}); }, Paste, kAKErrorTreeHandlerReadOnly},
        {"paste: empty pasteboard, no target", &d, [&] { return P(d, {}); }, Paste, kAKErrorTreeHandlerEmptyPasteboard},
        // Additions: kAKErrorTreeHandlerReadOnly,
        // kAKErrorTreeHandlerNoObjectToAdd, kAKErrorTreeHandlerNoTargetNode,
        // kAKErrorTreeHandlerNoLinkMode, kAKErrorTreeHandlerIncompatibleLink.
        {"add: read-only tree, no object", &ro, [&] { return P(ro, {}); }, Add, kAKErrorTreeHandlerReadOnly},
        {"add: no object, no target", &d, [&] { return P(d, {}); }, Add, kAKErrorTreeHandlerNoObjectToAdd},
        {"add: no target", &d, [&] { return P(d, {}).WithNewObject(Item(d, 6)->GetObject()); }, Add,
         kAKErrorTreeHandlerNoTargetNode},
        {"add: target without link mode", &d,
         [&] { return P(d, {}, Folder(d, "F")).WithNewObject(Item(d, 6)->GetObject()); }, Add,
         kAKErrorTreeHandlerNoLinkMode},
        {"add: a folder into a folder", &d,
         [&] { return P(d, {}, Folder(d, "F"), kAKLinkModeLastChildren).WithNewObject(Folder(d, "G")->GetObject()); },
         Add, kAKErrorTreeHandlerIncompatibleLink},
        {"add of a class: read-only tree", &ro, [&] { return P(ro, {}); }, AddOfClass(TestItem::_Class()),
         kAKErrorTreeHandlerReadOnly},
        {"add of a class: no target", &d, [&] { return P(d, {}); }, AddOfClass(TestItem::_Class()),
         kAKErrorTreeHandlerNoTargetNode},
        {"add of a class: no link mode", &d, [&] { return P(d, {}, Folder(d, "F")); }, AddOfClass(TestItem::_Class()),
         kAKErrorTreeHandlerNoLinkMode},
        {"add of a class: folders into a folder", &d,
         [&] { return P(d, {}, Folder(d, "F"), kAKLinkModeFirstChildren); }, AddOfClass(TestFolder::_Class()),
         kAKErrorTreeHandlerIncompatibleLink},
        {"add of a class: items into a folder", &d, [&] { return P(d, {}, Folder(d, "F"), kAKLinkModeFirstChildren); },
         AddOfClass(TestItem::_Class()), 0},
        // The building blocks.
        {"some selection: read-only only when writable", &ro, [&] { return P(ro, {}); }, HasSel(false),
         kAKErrorTreeHandlerEmptyTreeSel},
        {"target: read-only, another tree", &ro, [&] { return P(o, {}); }, HasTarget(nullptr, true),
         kAKErrorTreeHandlerReadOnly},
        {"target: another tree, no target", &d, [&] { return P(o, {}); }, HasTarget(nullptr, true),
         kAKErrorTreeHandlerBadTreeOwner},
        {"target: of another tree", &d, [&] { return P(d, {}, Folder(o, "F")); }, HasTarget(TestFolder::_Class(), true),
         kAKErrorTreeHandlerBadTreeOwner},
        {"target: none, no class", &d, [&] { return P(d, {}); }, HasTarget(nullptr, true),
         kAKErrorTreeHandlerNoTargetNode},
        {"target: no class", &d, [&] { return P(d, {}, Folder(d, "F")); }, HasTarget(nullptr, true),
         kAKErrorTreeHandlerBadTargetNodeType},
        {"target: an item is no folder", &d, [&] { return P(d, {}, Item(d, 4)); },
         HasTarget(TestFolder::_Class(), true), kAKErrorTreeHandlerBadTargetNodeType},
        {"target: a folder", &ro, [&] { return P(ro, {}, Folder(ro, "F")); }, HasTarget(TestFolder::_Class(), false),
         0},
    };
    for (Row const& row : rows) {
        AKTreeActionParam const param = row.param();
        EXPECT_EQ(row.check(*row.handler, param), row.expected) << row.what;
    }

    // kAKErrorTreeHandlerEmptyPasteboard and kAKErrorTreeHandlerIncompatiblePasteboard with a store of the caller's.
    EXPECT_EQ(d.CheckPasteFromPasteboard(P(d, {}), &empty, nullptr, nullptr), kAKErrorTreeHandlerEmptyPasteboard);
    ASSERT_EQ(
        d.GetTree()->WriteTreeSelToCache(&AKTreePasteboard::sShared, AKTreeSelWithNode(d.GetTree(), Folder(d, "G"))),
        0);
    EXPECT_EQ(Paste(d, P(d, {Item(d, 1)}, Item(d, 4), kAKLinkModeLastChildren)),
              kAKErrorTreeHandlerIncompatiblePasteboard)
        << "no folder takes folders";
    EXPECT_FALSE(d.CanPasteFromPasteboard(P(d, {Item(d, 1)}, Item(d, 4), kAKLinkModeLastChildren)));
}

TEST_F(AKTreeHandlerChecksTest, TestsFollowTheirChecks)
{
    MakeDocuments();
    AKTreeHandler& d = *fDoc;
    AKTreeActionParam const item = P(d, {Item(d, 4)}, Folder(d, "F"), kAKLinkModeLastChildren);
    AKTreeActionParam const root = RootAlone(d);
    EXPECT_TRUE(d.CanBeModified());
    EXPECT_FALSE(fReadOnly->CanBeModified());
    EXPECT_TRUE(d.CanDelete(item));
    EXPECT_FALSE(d.CanDelete(root));
    EXPECT_TRUE(d.CanRename(item));
    EXPECT_TRUE(d.CanCutToPasteboard(item));
    EXPECT_FALSE(d.CanCutToPasteboard(root));
    EXPECT_TRUE(d.CanCopyToPasteboard(item));
    EXPECT_FALSE(d.CanPasteFromPasteboard(item)) << "the pasteboard is empty";
    EXPECT_TRUE(d.CanDuplicate(item));
    EXPECT_FALSE(d.CanDuplicate(root));
    EXPECT_TRUE(d.CanMoveTo(item));
    EXPECT_FALSE(d.CanMoveTo(P(d, {Root(d)}, Folder(d, "F"), kAKLinkModeAfter)));
    EXPECT_TRUE(d.CanCopyTo(item));
    EXPECT_FALSE(d.CanAddNewObjects(item));
    EXPECT_TRUE(d.CanReviseObjects(item));
}

// A script can pick node ID 1 through a one-node selection, which the
// selection builders keep as given: every structural edit must refuse it.
TEST_F(AKTreeHandlerChecksTest, TheRootCanBeNeitherRemovedNorDuplicatedNorMoved)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKTree& tree = *h.GetTree();
    h.SetDefaultFolder(TestBaseObject::_Class(), Folder(h, "F"));
    TreeSnapshot const before = SnapshotOf(tree);

    AKTreeActionParam param = RootAlone(h);
    ASSERT_EQ(param.GetTreeSel().CountNodes(), 1u);
    EXPECT_EQ(h.DoDelete(param), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(h.DoCutToPasteboard(param, nullptr), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(h.DoDuplicate(param), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(h.DoMoveTo(param), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(h.DoMoveTo(param.WithTargetNode(Item(h, 4), kAKLinkModeAfter)), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(SnapshotOf(tree), before);
    EXPECT_TRUE(AKTreePasteboard::sShared.IsEmpty());
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
    EXPECT_EQ(param.GetResultFlags(), 0u);
}

TEST_F(AKTreeHandlerChecksTest, AReadOnlyTreeAllowsOnlyCopying)
{
    TestTreeHandler& h = NewDocumentHandler(kAKTreeOptionReadOnly | kAKTreeOptionDeferredDelete);
    AKTree& tree = *h.GetTree();
    // Something to paste, and a past step on record that could be undone.
    AKTreeSelCache store(0);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, Item(h, 4))), 0);
    TreeSnapshot const before = SnapshotOf(tree);

    auto fresh = [&] {
        AKTreeActionParam param = ParamOf(h, {Item(h, 4)});
        param.WithTargetNode(Folder(h, "F"), kAKLinkModeLastChildren);
        return param;
    };
    struct Row {
        char const* what;
        std::function<int(AKTreeActionParam&)> run;
    };
    AKDictionary const info;
    Row const rows[] = {
        {"delete", [&](AKTreeActionParam& p) { return h.DoDelete(p); }},
        {"cut", [&](AKTreeActionParam& p) { return h.DoCutToPasteboard(p, nullptr); }},
        {"paste", [&](AKTreeActionParam& p) { return h.DoPasteFromPasteboard(p, &store, AKString()); }},
        {"duplicate", [&](AKTreeActionParam& p) { return h.DoDuplicate(p); }},
        {"move", [&](AKTreeActionParam& p) { return h.DoMoveTo(p); }},
        {"copy to", [&](AKTreeActionParam& p) { return h.DoCopyTo(p); }},
        {"add", [&](AKTreeActionParam& p) { return h.DoAddNewObjects(p.WithNewObject(nullptr)); }},
        {"revise", [&](AKTreeActionParam& p) { return h.DoReviseObjects(p, info, false); }},
        {"undo", [&](AKTreeActionParam& p) { return h.DoUndo(p); }},
        {"redo", [&](AKTreeActionParam& p) { return h.DoRedo(p); }},
    };
    for (Row const& row : rows) {
        AKTreeActionParam param = fresh();
        EXPECT_EQ(row.run(param), kAKErrorTreeHandlerReadOnly) << row.what;
        EXPECT_EQ(param.GetResultFlags(), 0u) << row.what;
        EXPECT_TRUE(param.GetResultTreeSel().IsEmpty()) << row.what;
    }
    EXPECT_EQ(SnapshotOf(tree), before);
    int commandID = -1;
    AKString name("x");
    EXPECT_FALSE(h.CanUndo(&commandID, &name));
    EXPECT_EQ(commandID, 0);
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_FALSE(h.CanRedo(nullptr, nullptr));

    // Copying out works, to the pasteboard as to a store of the caller's.
    AKTreeActionParam param = fresh();
    EXPECT_EQ(h.DoCopyToPasteboard(param, nullptr), 0);
    EXPECT_EQ(param.GetResultFlags(), 0x1001u);
    EXPECT_EQ(AKTreePasteboard::sShared.GetObjectCount(), 1u);
    EXPECT_EQ(SnapshotOf(tree), before);
}

// --- Target resolution ---

TEST_F(AKTreeHandlerChecksTest, MovesAndCopiesWithoutTargetGoToTheDefaultFolderAsLastChildren)
{
    TestTreeHandler& h = NewDocumentHandler();
    h.SetDefaultFolder(TestItem::_Class(), Folder(h, "G"));
    h.SetDefaultFolder(TestBaseObject::_Class(), Folder(h, "F"), true);

    AKNode* target = nullptr;
    AKLinkMode mode = kAKLinkModeNone;
    AKTreeActionParam param = ParamOf(h, {Item(h, 4), Item(h, 6)});
    EXPECT_EQ(h.CheckMoveTo(param, &target, &mode), 0);
    EXPECT_EQ(target, Folder(h, "G"));
    EXPECT_EQ(mode, kAKLinkModeLastChildren);
    ASSERT_EQ(h.Questions().size(), 1u);
    EXPECT_EQ(h.Questions()[0].objectClass, TestItem::_Class()) << "the selection's common base class";
    EXPECT_FALSE(h.Questions()[0].forPaste);

    target = nullptr;
    EXPECT_EQ(h.CheckCopyTo(param, &target, &mode), 0);
    EXPECT_EQ(target, Folder(h, "G"));
    EXPECT_FALSE(h.Questions().back().forPaste);

    // The record's own target comes first; the default folder is not asked.
    h.ClearQuestions();
    param.WithTargetNode(Item(h, 2), kAKLinkModeBefore);
    EXPECT_EQ(h.CheckCopyTo(param, &target, &mode), 0);
    EXPECT_EQ(target, Item(h, 2));
    EXPECT_EQ(mode, kAKLinkModeBefore);
    EXPECT_TRUE(h.Questions().empty());

    // Without a default folder for the class: kAKErrorTreeHandlerNoTargetNode, the outputs null and 2.
    AKTreeActionParam folders = ParamOf(h, {Folder(h, "G")});
    EXPECT_EQ(h.CheckMoveTo(folders, &target, &mode), kAKErrorTreeHandlerNoTargetNode);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(mode, kAKLinkModeLastChildren);
    EXPECT_FALSE(h.CanCopyTo(folders));

    // And the move lands there.
    AKTreeActionParam items = ParamOf(h, {Item(h, 4), Item(h, 6)});
    EXPECT_EQ(h.DoMoveTo(items), 0);
    EXPECT_EQ(Shape(*h.GetTree()), "F[1,2,3],G[5,4,6]");
}

TEST_F(AKTreeHandlerChecksTest, TheMoveCheckGivesTheTreesTargetAndClearsItOnTheTreesRefusal)
{
    MakeDocuments();
    AKTreeHandler& d = *fDoc;
    AKNode* target = nullptr;
    AKLinkMode mode = kAKLinkModeNone;

    // Before one of its own nodes: before the first unselected brother.
    EXPECT_EQ(d.CheckMoveTo(P(d, {Item(d, 1), Item(d, 2)}, Item(d, 2), kAKLinkModeBefore), &target, &mode), 0);
    EXPECT_EQ(target, Item(d, 3));
    EXPECT_EQ(mode, kAKLinkModeBefore);

    // A refusal after the resolution still tells the target found.
    EXPECT_EQ(d.CheckMoveTo(P(d, {Item(d, 4)}, Item(d, 6), kAKLinkModeLastChildren), &target, &mode),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_EQ(target, Item(d, 6));
    EXPECT_EQ(mode, kAKLinkModeLastChildren);

    // The tree's refusal clears them; so do the refusals before resolution.
    EXPECT_EQ(fNests->CheckMoveTo(P(*fNests, {Nest("A")}, Nest("B"), kAKLinkModeBefore), &target, &mode),
              kAKErrorTreeHandlerCantMoveTreeSel);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(mode, kAKLinkModeNone);
    target = Item(d, 1);
    EXPECT_EQ(d.CheckMoveTo(P(d, {}, Item(d, 6), kAKLinkModeAfter), &target, &mode), kAKErrorTreeHandlerEmptyTreeSel);
    EXPECT_EQ(target, nullptr);
}

TEST_F(AKTreeHandlerChecksTest, APasteFallsBackFromTheTargetToTheCommonParentToTheDefaultFolder)
{
    MakeDocuments();
    TestTreeHandler& d = *fDoc;
    AKTree& tree = *d.GetTree();
    // Items on the pasteboard.
    ASSERT_EQ(tree.WriteTreeSelToCache(nullptr, AKTreeSelWithNodes(&tree, NodesOf({Item(d, 4), Item(d, 6)}))), 0);
    d.SetDefaultFolder(TestItem::_Class(), Folder(d, "G"), true);

    struct Row {
        char const* what;
        AKTreeActionParam param;
        AKNode* expected;
        bool asksDefault;
    };
    Row const rows[] = {
        {"the record's target takes items", P(d, {Item(d, 5)}, Folder(d, "F"), kAKLinkModeBefore), Folder(d, "F"),
         false},
        {"the target takes nothing: the selection's parent",
         P(d, {Item(d, 1), Item(d, 2)}, Item(d, 4), kAKLinkModeAfter), Folder(d, "F"), false},
        {"no target: the selection's parent", P(d, {Item(d, 5)}), Folder(d, "G"), false},
        {"the target takes nothing: the parent, here the root", P(d, {Item(d, 4)}, Item(d, 6)), Root(d), false},
        {"no common parent: the default folder", P(d, {Item(d, 1), Item(d, 5)}, Item(d, 6)), Folder(d, "G"), true},
        {"a target of another document is passed over", P(d, {}, Folder(*fOther, "F"), kAKLinkModeLastChildren),
         Folder(d, "G"), true},
    };
    for (Row const& row : rows) {
        d.ClearQuestions();
        AKNode* target = nullptr;
        AKLinkMode mode = kAKLinkModeNone;
        EXPECT_EQ(d.CheckPasteFromPasteboard(row.param, nullptr, &target, &mode), 0) << row.what;
        EXPECT_EQ(target, row.expected) << row.what;
        EXPECT_EQ(mode, kAKLinkModeLastChildren) << row.what << ": always as last children";
        EXPECT_EQ(!d.Questions().empty(), row.asksDefault) << row.what;
        if (!d.Questions().empty()) {
            EXPECT_TRUE(d.Questions().back().forPaste) << row.what;
            EXPECT_EQ(d.Questions().back().objectClass, TestItem::_Class()) << row.what << ": the store's class";
        }
    }

    // Folders fit nowhere but under the root, which is no one's parent here.
    ASSERT_EQ(tree.WriteTreeSelToCache(nullptr, AKTreeSelWithNode(&tree, Folder(d, "G"))), 0);
    AKNode* target = Item(d, 1);
    AKLinkMode mode = kAKLinkModeNone;
    EXPECT_EQ(d.CheckPasteFromPasteboard(P(d, {Item(d, 1)}, Item(d, 6)), nullptr, &target, &mode),
              kAKErrorTreeHandlerIncompatiblePasteboard);
    EXPECT_EQ(target, nullptr);
    // A catch-all folder that cannot take them does not help either...
    d.SetCatchAllFolder(Folder(d, "F"));
    EXPECT_EQ(d.CheckPasteFromPasteboard(P(d, {Item(d, 1)}), nullptr, &target, &mode),
              kAKErrorTreeHandlerIncompatiblePasteboard);
    // ...the root can.
    d.SetCatchAllFolder(Root(d));
    EXPECT_EQ(d.CheckPasteFromPasteboard(P(d, {Item(d, 1)}), nullptr, &target, &mode), 0);
    EXPECT_EQ(target, Root(d));
}

}  // namespace
