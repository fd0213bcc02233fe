// The engine tree handler: default folders, fast-link lists and queries,
// the checks of player and sequence edits on selections, and the creation of
// sequences and players as single undo steps.

#include "AKNode.h"
#include "AKStatus.h"
#include "AKTreeSel.h"
#include "AKTreeSelModelMgr.h"
#include "QVCommandInfo.h"
#include "QVDocument.h"
#include "QVDocumentTreeGuard.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

// The name an object stores (empty when unnamed), apart from the default
// names its class shows.
std::string StoredName(AKObject const* object)
{
    AKDictionary dictionary;
    object->AKObject::akmWriteToDictionary(dictionary);
    return AKValueGetasAKString(dictionary.GetValue("Name")).c_str();
}

// The tree below a node as text: class ID, the stored name in quotes when
// it is set and not the class's default name, then the children in
// brackets.
std::string Shape(AKNode const* node)
{
    std::string text;
    for (; node != nullptr; node = node->GetNext()) {
        AKObject const* const object = node->GetObject();
        text += object->GetClassID().GetName().c_str();
        std::string const name = StoredName(object);
        if (!name.empty() && name != object->GetClass()->GetDisplayName().c_str())
            text += "'" + name + "'";
        if (node->GetSub() != nullptr)
            text += "[" + Shape(node->GetSub()) + "]";
        if (node->GetNext() != nullptr)
            text += " ";
    }
    return text;
}

AKDictionary Root(std::initializer_list<AKDictionary> subs)
{
    AKDictionary top;
    AKValueArray array;
    for (AKDictionary const& sub : subs)
        array.Push(AKValueSetasAKDictionary(sub));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

// A tree of the test document type with its engine handler and history.
struct HandlerDoc {
    explicit HandlerDoc(unsigned int treeOptions = 0) : tree(treeOptions) {}

    QVDocumentTreeGuard guard;
    AKTree tree;
    QVTreeHandler handler{&tree, &guard};

    void Load(AKDictionary const& form)
    {
        ASSERT_EQ(tree.InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        handler.SynchronizeFLFastLinks();
        ASSERT_EQ(handler.ReopenHistory(), 0);
    }
    std::string Shape() const { return ::Shape(tree.GetRootNode()->GetSub()); }
    QVObjectSequence* Sequence(unsigned int index) const
    {
        return static_cast<QVObjectSequence*>(handler.GetFLSequences()[index]);
    }
    QVObjectPlayable* Player(unsigned int index) const
    {
        return static_cast<QVObjectPlayable*>(handler.GetFLPlayers()[index]);
    }
    // The n-th child object (0-based) of the object's node.
    static AKObject* Child(AKObject const* parent, unsigned int index)
    {
        AKNode* node = parent->GetNodeOwner()->GetSub();
        while (node != nullptr && index-- > 0)
            node = node->GetNext();
        return node != nullptr ? node->GetObject() : nullptr;
    }
    AKTreeActionParam Selecting(std::vector<AKObject*> const& objects) const
    {
        ATObjectArray<AKObject> list;
        for (AKObject* object : objects)
            list.Push(object);
        AKTreeActionParam param(const_cast<AKTree*>(&tree));
        param.WithTreeObjects(list);
        return param;
    }
    AKTreeActionParam Targeting(AKObject* object) const
    {
        AKTreeActionParam param(const_cast<AKTree*>(&tree));
        param.WithTargetObject(object, kAKLinkModeLastChildren);
        return param;
    }
    int Undo()
    {
        AKTreeActionParam param(&tree);
        return handler.DoUndo(param);
    }
    int Redo()
    {
        AKTreeActionParam param(&tree);
        return handler.DoRedo(param);
    }
    std::string UndoLabel() const
    {
        AKString name;
        return handler.CanUndo(nullptr, &name) ? name.c_str() : "(none)";
    }
};

// Sequences Intro (a track, a single player, a multi-player with one sub)
// and Coda (a track); a free single player and a free multi-player.
AKDictionary StandardForm()
{
    return SeqDocument({SeqNode("sequenc", "Intro",
                                {SeqNode("track", "Drums"), SeqNode("atomic", "Lead"),
                                 SeqNode("cursor", "Group", {SeqNode("atomic", nullptr)})}),
                        SeqNode("sequenc", "Coda", {SeqNode("track", "Bass")})},
                       {SeqNode("atomic", "Free"), SeqNode("cursor", "Crowd", {SeqNode("atomic", nullptr)})});
}

QVCommandInfo const kNewPlayerCommand(8200, "New Player");

// --- Default folders ---

TEST(QVTreeHandler, MissingFoldersAreAddedAfterTheOthersAsOneUndoStep)
{
    HandlerDoc doc;
    doc.Load(Root({SeqNode("foldSeq", nullptr, {SeqNode("sequenc", "Intro")})}));
    ASSERT_EQ(doc.handler.GetFolderCursor(), nullptr);
    EXPECT_TRUE(doc.handler.GetFLPlayers().IsEmpty());
    EXPECT_EQ(doc.handler.GetFolderCursorStamp(), kAKUndefStampVers);
    EXPECT_EQ(doc.handler.GetFolderTempNode(), nullptr);

    ASSERT_EQ(doc.handler.RebuildDefaultFoldersIfNeeded(), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'Intro'] foldCrs foldTmp");
    EXPECT_NE(doc.handler.GetFolderCursor(), nullptr);
    EXPECT_NE(doc.handler.GetFolderCursorStamp(), kAKUndefStampVers);
    EXPECT_NE(doc.handler.GetFolderTempNode(), nullptr);

    // One addition: one undo removes both folders, and the cache notices.
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'Intro']");
    EXPECT_EQ(doc.handler.GetFolderCursor(), nullptr);
    EXPECT_EQ(doc.handler.GetFolderTempNode(), nullptr);
    AKString name;
    EXPECT_FALSE(doc.handler.CanUndo(nullptr, &name));
    ASSERT_EQ(doc.Redo(), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'Intro'] foldCrs foldTmp");

    // Nothing missing: nothing recorded.
    ASSERT_EQ(doc.handler.RebuildDefaultFoldersIfNeeded(), 0);
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'Intro']");
}

TEST(QVTreeHandler, RebuildWithoutRootFailsAndTheFirstFolderOfAKindIsTheOne)
{
    HandlerDoc empty;
    EXPECT_EQ(empty.handler.RebuildDefaultFoldersIfNeeded(), -1);
    EXPECT_EQ(empty.handler.GetFolderSequence(), nullptr);
    EXPECT_TRUE(empty.handler.GetFLSequences().IsEmpty());

    HandlerDoc doc;
    doc.Load(Root({SeqNode("foldTmp", nullptr), SeqNode("foldSeq", nullptr, {SeqNode("sequenc", "First")}),
                   SeqNode("foldSeq", nullptr, {SeqNode("sequenc", "Second")}), SeqNode("foldCrs", nullptr)}));
    ASSERT_NE(doc.handler.GetFolderSequence(), nullptr);
    EXPECT_EQ(doc.handler.GetFolderSequenceNode(), doc.tree.GetRootNode()->GetSub()->GetNext());
    ASSERT_EQ(doc.handler.GetFLSequences().Count(), 1u);
    EXPECT_STREQ(doc.Sequence(0)->akmGetName().c_str(), "First");
    EXPECT_NE(doc.handler.FindSequenceByName("First"), nullptr);
    EXPECT_EQ(doc.handler.FindSequenceByName("Second"), nullptr);
}

TEST(QVTreeHandler, FoldersRefusedByAReadOnlyTreeAreNotLeftBehind)
{
    HandlerDoc doc(kAKTreeOptionReadOnly);
    doc.Load(Root({SeqNode("foldSeq", nullptr)}));
    EXPECT_EQ(doc.handler.RebuildDefaultFoldersIfNeeded(), kAKErrorTreeHandlerReadOnly);
    EXPECT_EQ(doc.Shape(), "foldSeq");
    EXPECT_EQ(doc.handler.GetFolderCursor(), nullptr);
}

TEST(QVTreeHandler, DefaultTargetsFollowTheClass)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    EXPECT_EQ(doc.handler.GetDefaultFolderTargetNode(QVObjectSequence::_Class(), false),
              doc.handler.GetFolderSequenceNode());
    EXPECT_EQ(doc.handler.GetDefaultFolderTargetNode(QVObjectCursor::_Class(), false),
              doc.handler.GetFolderCursorNode());
    EXPECT_EQ(doc.handler.GetDefaultFolderTargetNode(QVObjectZlayer::_Class(), true),
              doc.handler.GetFolderCursorNode());
    EXPECT_EQ(doc.handler.GetDefaultFolderTargetNode(QVObjectTrack::_Class(), false), nullptr);
    EXPECT_EQ(doc.handler.GetDefaultFolderTargetNode(QVObjectTrack::_Class(), true), doc.handler.GetFolderTempNode());
}

// --- Queries and document-wide actions ---

TEST(QVTreeHandler, StarterKeysCollectSequencesAndTheirOwnPlayersOnly)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    QVObjectSequence* const intro = doc.Sequence(0);
    QVObjectSequence* const coda = doc.Sequence(1);
    auto* const lead = static_cast<QVObjectPlayable*>(HandlerDoc::Child(intro, 1));
    auto* const group = static_cast<QVObjectPlayable*>(HandlerDoc::Child(intro, 2));
    intro->SetUserUIStarterKey(3);
    lead->SetUserUIStarterKey(3);   // same key as its sequence: not collected
    group->SetUserUIStarterKey(5);  // collected under key 5 although Intro is 3
    coda->SetUserUIStarterKey(5);
    doc.Player(0)->SetUserUIStarterKey(3);  // free players are never collected

    QVObjectPlayableArray found;
    doc.handler.GrabPlayablesWithStarterKey(&found, 3);
    ASSERT_EQ(found.Count(), 1u);
    EXPECT_EQ(found[0], intro);
    doc.handler.GrabPlayablesWithStarterKey(&found, 5);
    ASSERT_EQ(found.Count(), 2u);
    EXPECT_EQ(found[0], group);
    EXPECT_EQ(found[1], coda);
    for (unsigned int key : {0u, 27u}) {
        doc.handler.GrabPlayablesWithStarterKey(&found, key);
        EXPECT_TRUE(found.IsEmpty()) << key;
    }

    doc.handler.DoResetAllStartKeys();
    std::vector<QVObjectPoolable const*> const all = {intro, coda, lead, group, doc.Player(0)};
    for (QVObjectPoolable const* object : all)
        EXPECT_EQ(object->GetUIStarterKey(), 0u);
}

TEST(QVTreeHandler, StopAllPlayersStopsTheSequencesOnly)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    doc.Sequence(0)->SetUserPlay(1);
    doc.Player(0)->SetUserPlay(1);
    ASSERT_TRUE(doc.Sequence(0)->IsFLSomeSubPlaying());
    doc.handler.DoStopAllPlayers();
    EXPECT_FALSE(doc.Sequence(0)->IsFLSomeSubPlaying());
    EXPECT_TRUE(doc.Player(0)->IsUserPlay());
}

TEST(QVTreeHandler, MutesAndSolosAreClearedInBothFolders)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    auto* const lead = static_cast<QVObjectPlayable*>(HandlerDoc::Child(doc.Sequence(0), 1));
    doc.Sequence(1)->SetUserSolo(1);
    lead->SetUserMute(1);
    doc.Player(1)->SetUserMute(1);
    doc.handler.DoResetAllMutesAndSolos();
    EXPECT_FALSE(doc.Sequence(1)->IsUserSolo());
    EXPECT_FALSE(lead->IsUserMute());
    EXPECT_FALSE(doc.Player(1)->IsUserMute());
    EXPECT_EQ(doc.handler.FindCursorByName("Crowd"), doc.Player(1));
    EXPECT_EQ(doc.handler.FindCursorByName("crowd", true), nullptr);
}

// --- Checks ---

TEST(QVTreeHandler, ChecksOnSelections)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    QVObjectSequence* const intro = doc.Sequence(0);
    QVObjectSequence* const coda = doc.Sequence(1);
    AKObject* const drums = HandlerDoc::Child(intro, 0);
    AKObject* const lead = HandlerDoc::Child(intro, 1);
    AKObject* const group = HandlerDoc::Child(intro, 2);
    AKObject* const groupSub = HandlerDoc::Child(group, 0);
    AKObject* const bass = HandlerDoc::Child(coda, 0);
    AKObject* const freePlayer = doc.Player(0);
    AKObject* const crowd = doc.Player(1);
    AKObject* const crowdSub = HandlerDoc::Child(crowd, 0);

    enum Check { kGroupPlayers, kGroupSequences, kAttach, kDetach, kPlug, kPlugNone };
    struct Case {
        char const* what;
        Check check;
        std::vector<AKObject*> selection;
        int status;
    };
    int const kBadSel = kAKErrorTreeHandlerBadTreeSelType;
    std::vector<Case> const cases = {
        {"one player cannot be grouped", kGroupPlayers, {freePlayer}, kBadSel},
        {"players group", kGroupPlayers, {freePlayer, crowd}, 0},
        {"a sequence among players", kGroupPlayers, {freePlayer, intro}, kBadSel},
        {"two sequences group", kGroupSequences, {intro, coda}, 0},
        {"a sequence and a track", kGroupSequences, {intro, bass}, kBadSel},
        {"nothing selected", kGroupSequences, {}, kAKErrorTreeHandlerEmptyTreeSel},
        {"attach free players", kAttach, {coda, freePlayer, crowd}, 0},
        {"attach with one already there", kAttach, {intro, lead, freePlayer}, 0},
        {"all already attached", kAttach, {intro, lead, groupSub}, kBadSel},
        {"a track is no player", kAttach, {intro, drums}, kBadSel},
        {"two sequences", kAttach, {intro, coda, freePlayer}, kBadSel},
        {"no sequence", kAttach, {freePlayer, crowd}, kBadSel},
        {"a sequence alone", kAttach, {intro}, kBadSel},
        {"detach a free player", kDetach, {freePlayer}, kBadSel},
        {"detach a sequence's players", kDetach, {lead, group, groupSub}, 0},
        {"detach with a sequence", kDetach, {lead, intro}, kBadSel},
        {"detach a free multi-player's sub", kDetach, {crowdSub}, kBadSel},
        {"plug one playable", kPlug, {intro}, 0},
        {"plug a track", kPlug, {drums}, kBadSel},
        {"plug two playables", kPlug, {intro, coda}, kBadSel},
        {"no plug-in to remove", kPlugNone, {lead}, 1},
    };
    for (Case const& c : cases) {
        AKTreeActionParam const param = doc.Selecting(c.selection);
        int status = 0;
        switch (c.check) {
        case kGroupPlayers:
            status = doc.handler.CheckCursorGroup(param);
            break;
        case kGroupSequences:
            status = doc.handler.CheckSequenceGroup(param);
            break;
        case kAttach:
            status = doc.handler.CheckCursorAttach(param, nullptr, nullptr);
            break;
        case kDetach:
            status = doc.handler.CheckCursorDetach(param, nullptr);
            break;
        case kPlug:
            status = doc.handler.CheckPlayablePlug(param);
            break;
        case kPlugNone:
            status = doc.handler.CheckPlayablePlugNone(param);
            break;
        }
        EXPECT_EQ(status, c.status) << c.what;
    }

    // Attach lists only the players not yet under the sequence.
    QVObjectPlayableArray players;
    QVObjectSequence* sequence = nullptr;
    ASSERT_EQ(doc.handler.CheckCursorAttach(doc.Selecting({intro, lead, freePlayer}), &players, &sequence), 0);
    ASSERT_EQ(players.Count(), 1u);
    EXPECT_EQ(players[0], freePlayer);
    EXPECT_EQ(sequence, intro);
    // Detach lists the sequence's players, the sub of its multi-player too.
    ASSERT_EQ(doc.handler.CheckCursorDetach(doc.Selecting({groupSub, crowd, lead}), &players), 0);
    ASSERT_EQ(players.Count(), 2u);
}

TEST(QVTreeHandler, ThreeSequencesCannotBeGrouped)
{
    HandlerDoc doc;
    doc.Load(SeqDocument({SeqNode("sequenc", "A"), SeqNode("sequenc", "B"), SeqNode("sequenc", "C")}));
    EXPECT_EQ(doc.handler.CheckSequenceGroup(doc.Selecting({doc.Sequence(0), doc.Sequence(1), doc.Sequence(2)})),
              kAKErrorTreeHandlerBadTreeSelType);
}

TEST(QVTreeHandler, TargetAndBounceChecks)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    QVObjectSequence* const intro = doc.Sequence(0);
    AKObject* const group = HandlerDoc::Child(intro, 2);
    EXPECT_EQ(doc.handler.CheckSequenceAddNewCursor(doc.Targeting(intro)), 0);
    EXPECT_EQ(doc.handler.CheckSequenceAddNewTrack(doc.Targeting(group)), kAKErrorTreeHandlerBadTargetNodeType);
    EXPECT_EQ(doc.handler.CheckCursorAddNewAtomic(doc.Targeting(group)), 0);
    EXPECT_EQ(doc.handler.CheckCursorAddNewAtomic(doc.Targeting(nullptr)), kAKErrorTreeHandlerNoTargetNode);

    AKTreeActionParam bounce = doc.Selecting({intro});
    EXPECT_EQ(doc.handler.CheckSequenceBounce(bounce), kAKErrorTreeHandlerEmptyTreeSel);
    AKTreeSel ranged = bounce.GetTreeSel();
    ranged.SetTimeSel(AKTimeIntv{1.0, 3.0});
    bounce.WithTreeSel(ranged);
    EXPECT_EQ(doc.handler.CheckSequenceBounce(bounce), 0);
    ranged.SetTimeSel(AKTimeIntv{2.0, 2.0});
    EXPECT_EQ(doc.handler.CheckSequenceBounce(bounce.WithTreeSel(ranged)), kAKErrorTreeHandlerEmptyTreeSel);
    // A player does not resolve to a sequence with tracks.
    EXPECT_EQ(doc.handler.CheckSequenceBounce(doc.Selecting({group})), kAKErrorTreeHandlerBadTreeSelType);
}

// --- Creation ---

TEST(QVTreeHandler, NewMultiPlayerWithSubsIsOneUndoStep)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    std::string const before = doc.Shape();

    ASSERT_EQ(doc.handler.DoEasyStart(kNewPlayerCommand, nullptr), 0);
    QVObjectPlayable* player = nullptr;
    ASSERT_EQ(doc.handler.DoEasyNewCursor(&player, "Trio", 3, 2.5, nullptr, kAKLinkModeLastChildren), 0);
    doc.handler.DoEasyEnd();

    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(player->IsKindOfT<QVObjectCursor>());
    EXPECT_EQ(player->GetNodeOwner()->Parent(), doc.handler.GetFolderCursorNode());
    EXPECT_DOUBLE_EQ(player->GetUserTime(), 2.5);
    ASSERT_EQ(player->GetNodeOwner()->CountChildren(), 3u);
    for (unsigned int index = 0; index < 3; ++index) {
        AKObject* const sub = HandlerDoc::Child(player, index);
        ASSERT_TRUE(sub->IsKindOfT<QVObjectAtomic>());
        EXPECT_EQ(StoredName(sub), QVObjectAtomic::_Class()->GetDisplayName().c_str());
        EXPECT_DOUBLE_EQ(static_cast<QVObjectPlayable*>(sub)->GetUserTime(), 2.5);
    }
    std::string const after = doc.Shape();
    EXPECT_EQ(doc.UndoLabel(), "New Player");

    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(doc.Shape(), before);
    ASSERT_EQ(doc.Redo(), 0);
    EXPECT_EQ(doc.Shape(), after);
}

TEST(QVTreeHandler, NewSingleUnderAMultiPlayerStaysUnnamed)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    AKObject* const crowd = doc.Player(1);
    ASSERT_EQ(doc.handler.DoEasyStart(kNewPlayerCommand, nullptr), 0);
    QVObjectPlayable* sub = nullptr;
    ASSERT_EQ(doc.handler.DoEasyNewCursor(&sub, "Named", 0, 0.0, crowd, kAKLinkModeLastChildren), 0);
    QVObjectPlayable* single = nullptr;
    ASSERT_EQ(doc.handler.DoEasyNewCursor(&single, "Solo", 0, 0.0, doc.Sequence(1), kAKLinkModeLastChildren), 0);
    doc.handler.DoEasyEnd();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(StoredName(sub), QVObjectAtomic::_Class()->GetDisplayName().c_str());
    EXPECT_EQ(sub->GetNodeOwner()->Parent(), crowd->GetNodeOwner());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(StoredName(single), "Solo");
    EXPECT_EQ(doc.Shape().find("sequenc'Coda'[track'Bass' atomic'Solo']") != std::string::npos, true);
}

TEST(QVTreeHandler, PlayerModels)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    QVObjectPlayable* player = nullptr;
    ASSERT_EQ(doc.handler.DoEasyStart(kNewPlayerCommand, nullptr), 0);
    ASSERT_EQ(doc.handler.DoEasyNewCursorFromModel(&player, 1, 0.0, nullptr, kAKLinkModeLastChildren), 0);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->IsKindOfT<QVObjectAtomic>());
    ASSERT_EQ(doc.handler.DoEasyNewCursorFromModel(&player, 11, 0.0, nullptr, kAKLinkModeLastChildren), 0);
    ASSERT_TRUE(player->IsKindOfT<QVObjectCursor>());
    EXPECT_EQ(player->GetNodeOwner()->CountChildren(), 10u);
    for (unsigned int model : {0u, 12u, 100u, 99999u}) {
        EXPECT_EQ(doc.handler.DoEasyNewCursorFromModel(&player, model, 0.0, nullptr, kAKLinkModeLastChildren),
                  kAKErrorTreeHandlerModelUnknown)
            << model;
        EXPECT_EQ(player, nullptr);
    }
    doc.handler.DoEasyEnd();
}

TEST(QVTreeHandler, CustomPlayerModelIsPastedAsOneMultiPlayerAtTheTime)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    AKObject* const crowd = doc.Player(1);
    AKTreeSelModel* const custom = AKTreeSelModelMgr::sShared.CreateModelWithObject(&doc.tree, crowd, "Saved Crowd");
    ASSERT_NE(custom, nullptr);
    AKTreeSelModel* const notPlayer =
        AKTreeSelModelMgr::sShared.CreateModelWithObject(&doc.tree, doc.Sequence(1), "A Sequence");
    ASSERT_NE(notPlayer, nullptr);
    std::string const before = doc.Shape();

    ASSERT_EQ(doc.handler.DoEasyStart(kNewPlayerCommand, nullptr), 0);
    QVObjectPlayable* player = nullptr;
    EXPECT_EQ(
        doc.handler.DoEasyNewCursorFromModel(&player, notPlayer->GetModelID(), 0.0, nullptr, kAKLinkModeLastChildren),
        kAKErrorTreeHandlerBadTreeSelType);
    ASSERT_EQ(doc.handler.DoEasyNewCursorFromModel(&player, custom->GetModelID(), 4.0, doc.Sequence(1),
                                                   kAKLinkModeFirstChildren),
              0);
    doc.handler.DoEasyEnd();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(player->IsKindOfT<QVObjectCursor>());
    EXPECT_EQ(StoredName(player), "Saved Crowd");
    EXPECT_DOUBLE_EQ(player->GetUserTime(), 4.0);
    // Always the last child, whatever the link mode given.
    EXPECT_EQ(player->GetNodeOwner(), doc.Sequence(1)->GetNodeOwner()->LastChild());
    EXPECT_EQ(player->GetNodeOwner()->CountChildren(), 1u);

    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(doc.Shape(), before);
    AKTreeSelModelMgr::sShared.RemoveAllModels();
}

TEST(QVTreeHandler, NewSequencesWithTracks)
{
    HandlerDoc doc;
    doc.Load(StandardForm());
    std::string const before = doc.Shape();
    auto* const bass = static_cast<QVObjectTrack*>(HandlerDoc::Child(doc.Sequence(1), 0));

    ASSERT_EQ(doc.handler.DoEasyStart(QVCommandInfo(8201, "New Sequences"), nullptr), 0);
    QVObjectSequence* moved = nullptr;
    QVObjectTrack* track = bass;
    ASSERT_EQ(doc.handler.DoEasyNewSequenceWithTrack(&moved, "Moved", &track), 0);
    QVObjectSequence* fresh = nullptr;
    QVObjectTrack* newTrack = AKNew<QVObjectTrack>("%s", "");
    ASSERT_NE(newTrack, nullptr);
    ASSERT_EQ(doc.handler.DoEasyNewSequenceWithNewTrack(&fresh, "", &newTrack), 0);
    QVObjectSequence* empty = nullptr;
    ASSERT_EQ(doc.handler.DoEasyNewSequenceWithTracks(&empty, "Empty", nullptr), 0);
    doc.handler.DoEasyEnd();

    EXPECT_EQ(track, bass);
    EXPECT_NE(newTrack, nullptr);
    EXPECT_EQ(doc.Shape().find("sequenc'Coda' sequenc'Moved'[track'Bass'] sequenc[track] sequenc'Empty'") !=
                  std::string::npos,
              true)
        << doc.Shape();
    EXPECT_EQ(doc.UndoLabel(), "New Sequences");
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(doc.Shape(), before);
}

// A creation that fails part-way leaves no new track behind (the sanitizer
// build finds any that leaked), gives back an empty list or a null track, and
// closes its nested group so that the command's end closes the command.
TEST(QVTreeHandler, FailedNewSequenceDeletesItsNewTracksAndClosesItsGroup)
{
    struct Case {
        char const* what;
        unsigned int treeOptions;
        bool nullInList;  // a null entry: the sequence is added, its tracks refused
        int status;
    };
    Case const cases[] = {
        {"read-only tree: no sequence", kAKTreeOptionReadOnly, false, kAKErrorTreeHandlerReadOnly},
        {"tracks refused after the sequence", 0, true, kAKErrorTreeHandlerIncompatibleLink},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HandlerDoc doc(c.treeOptions);
        doc.Load(StandardForm());
        unsigned int const sequences = doc.handler.GetFLSequences().Count();

        ASSERT_EQ(doc.handler.DoEasyStart(QVCommandInfo(8201, "New Sequences"), nullptr), 0);
        QVObjectTrackArray tracks;
        tracks.Push(AKNew<QVObjectTrack>("%s", ""));
        tracks.Push(AKNew<QVObjectTrack>("%s", ""));
        if (c.nullInList)
            tracks.Push(nullptr);
        QVObjectSequence* sequence = nullptr;
        EXPECT_EQ(doc.handler.DoEasyNewSequenceWithNewTracks(&sequence, "S", &tracks), c.status);
        EXPECT_TRUE(tracks.IsEmpty());
        EXPECT_EQ(sequence, nullptr);

        if (!c.nullInList) {
            QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
            EXPECT_EQ(doc.handler.DoEasyNewSequenceWithNewTrack(&sequence, "T", &track), c.status);
            EXPECT_EQ(track, nullptr);
        }
        EXPECT_EQ(doc.handler.GetHistory().GetGroupDepth(), 1u);
        doc.handler.DoEasyEnd();
        EXPECT_EQ(doc.handler.GetHistory().GetGroupDepth(), 0u);

        // The sequence added before the refusal stays, as one undo step.
        doc.handler.SynchronizeFLFastLinks();
        EXPECT_EQ(doc.handler.GetFLSequences().Count(), sequences + (c.nullInList ? 1u : 0u));
        if (c.nullInList) {
            EXPECT_EQ(doc.UndoLabel(), "New Sequences");
            ASSERT_EQ(doc.Undo(), 0);
            doc.handler.SynchronizeFLFastLinks();
            EXPECT_EQ(doc.handler.GetFLSequences().Count(), sequences);
        }
    }
}

TEST(QVTreeHandler, FailedNewMultiPlayerClosesItsGroup)
{
    HandlerDoc doc(kAKTreeOptionReadOnly);
    doc.Load(StandardForm());
    std::string const before = doc.Shape();

    ASSERT_EQ(doc.handler.DoEasyStart(kNewPlayerCommand, nullptr), 0);
    QVObjectPlayable* made = nullptr;
    EXPECT_EQ(doc.handler.DoEasyNewCursor(&made, "Group", 2, 1.0, nullptr, kAKLinkModeLastChildren),
              kAKErrorTreeHandlerReadOnly);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(doc.handler.GetHistory().GetGroupDepth(), 1u);
    doc.handler.DoEasyEnd();
    EXPECT_EQ(doc.handler.GetHistory().GetGroupDepth(), 0u);
    EXPECT_EQ(doc.Shape(), before);
}

TEST(QVTreeHandler, NameOfCopies)
{
    HandlerDoc doc;
    doc.Load(SeqDocument({SeqNode("sequenc", "Drums"), SeqNode("sequenc", "Drums Copy")}));
    EXPECT_STREQ(QVObjectGetNameCopied(doc.Sequence(0)).c_str(), "Drums Copy");
    EXPECT_STREQ(QVObjectGetNameCopied(doc.Sequence(1)).c_str(), "Drums Copy");
    EXPECT_TRUE(QVObjectGetNameCopied(nullptr).IsEmpty());
}

// --- The document ---

TEST(QVTreeHandler, NewDocumentStartsWithItsFoldersAndNothingToUndo)
{
    auto* const document = new QVDocument(SequenceTestDocumentType(), kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo);
    ASSERT_EQ(document->OnDocumentNew("Piece", 0, false), 0);
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document);
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(Shape(document->GetTree()->GetRootNode()->GetSub()), "foldSeq foldCrs foldTmp");
    EXPECT_FALSE(handler->CanUndo(nullptr, nullptr));
    document->Delete();
}

}  // namespace
