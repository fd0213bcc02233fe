// Smart association: a dropped player is attached to a sequence, grouped
// into a multi-player, detached when dropped on nothing, and refused with a
// warning elsewhere; other drops and copies move or copy to the target (or
// to their folder), only the players with "Cluster"; "TimeAt" places the
// player outside the history. Each drop is the one undo step of the command
// doing the work.

#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVObjectCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

AKObject* ParentOf(AKObject const* object)
{
    AKNode* const node = object != nullptr ? object->GetNodeOwner() : nullptr;
    AKNode* const parent = node != nullptr ? node->Parent() : nullptr;
    return parent != nullptr ? parent->GetObject() : nullptr;
}

std::vector<AKObject*> Children(AKObject* object)
{
    ATObjectArray<AKObject> children;
    object->GrabChildren(&children);
    std::vector<AKObject*> out;
    for (unsigned int i = 0; i < children.Count(); ++i)
        out.push_back(children[i]);
    return out;
}

unsigned int CountPlayers(AKObject* object)
{
    unsigned int count = 0;
    for (AKObject* child : Children(object))
        count += child->IsKindOfT<QVObjectZlayer>() ? 1 : 0;
    return count;
}

unsigned int CountTracks(AKObject* object)
{
    unsigned int count = 0;
    for (AKObject* child : Children(object))
        count += child->IsKindOfT<QVObjectTrack>() ? 1 : 0;
    return count;
}

int Associate(QVGandlerParam& param) { return QVGandler::sShared.DoCmd_SmartAssociateObjects(param); }

// The shared document ("Intro" with two tracks, "Verse", "Coda", the free
// single player "Deck") plus a multi-player "Rack" with two subs in the
// player folder and a single player "Lead" in "Verse"; the history starts
// empty.
struct AssociateDoc : GandlerDoc {
    AssociateDoc()
    {
        QVTreeHandler* const h = handler();
        h->DoEasyStart(kQVCmd_CursorNew, nullptr);
        EXPECT_EQ(h->DoEasyNewCursor(&rack, AKString("Rack"), 2, 0.0, nullptr, kAKLinkModeLastChildren), 0);
        EXPECT_EQ(h->DoEasyNewCursor(&lead, AKString("Lead"), 0, 0.0, Verse(), kAKLinkModeLastChildren), 0);
        h->DoEasyEnd();
        // A sequence gives an unlabelled player a colour label when it
        // joins, and undo does not take it back: label them all first so
        // that undo can be checked byte for byte.
        for (QVObjectPlayable* each : {player, rack})
            each->SetUserUIColorLabel(2);
        h->SynchronizeFLFastLinks();
        EXPECT_EQ(h->ReopenHistory(), 0);
        document.mNotifications = 0;
    }

    QVObjectSequence* Intro() const { return sequences[0]; }
    QVObjectSequence* Verse() const { return sequences[1]; }
    QVObjectSequence* Coda() const { return sequences[2]; }
    AKObject* PlayerFolder() const { return handler()->GetFolderCursorNode()->GetObject(); }
    AKObject* SequenceFolder() const { return handler()->GetFolderSequenceNode()->GetObject(); }

    // The dragged object dropped on the target (null: on nothing).
    QVGandlerParam Drop(AKObject* dragged, AKObject* target)
    {
        QVGandlerParam param = Param({dragged});
        if (target != nullptr)
            param.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
        return param;
    }

    bool CanUndo() const { return handler()->CanUndo(nullptr, nullptr); }
    std::string UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, Param(), &label);
        return label.StdString();
    }
    // One undo gives back `before` and leaves nothing more to undo; one
    // redo gives back the state after the drop.
    void ExpectOneUndoStep(std::vector<unsigned char> const& before)
    {
        std::vector<unsigned char> const after = Bytes();
        QVGandlerParam undo = Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        EXPECT_EQ(Bytes(), before) << "undo restores the tree";
        EXPECT_FALSE(CanUndo()) << "the drop is one step";
        QVGandlerParam redo = Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditRedo(redo), 0);
        EXPECT_EQ(Bytes(), after) << "redo applies it again";
    }

    QVObjectPlayable* rack = nullptr;
    QVObjectPlayable* lead = nullptr;
};

TEST(QVGandlerSmartAssociate, APlayerDroppedOnASequenceOrAMultiPlayerJoinsIt)
{
    enum Dragged { kDeck, kLead, kRack };
    enum Target { kCoda, kRackTarget, kNothing };
    struct Case {
        char const* name;
        Dragged dragged;
        Target target;
        char const* undoLabel;
    } const cases[] = {
        {"free player on a sequence: attached", kDeck, kCoda, "Undo Attach Players"},
        {"player of a sequence on another one: attached there", kLead, kCoda, "Undo Attach Players"},
        {"free multi-player on a sequence: attached", kRack, kCoda, "Undo Attach Players"},
        {"free player on a multi-player: grouped into it", kDeck, kRackTarget, "Undo Group Players"},
        {"player of a sequence on nothing: detached", kLead, kNothing, "Undo Detach Players"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AssociateDoc d;
        AKObject* const dragged = c.dragged == kDeck ? d.player : c.dragged == kLead ? d.lead : d.rack;
        AKObject* const target = c.target == kCoda ? d.Coda() : c.target == kRackTarget ? d.rack : nullptr;
        std::vector<unsigned char> const before = d.Bytes();
        QVGandlerParam param = d.Drop(dragged, target);
        ASSERT_EQ(Associate(param), 0);
        EXPECT_EQ(ParentOf(dragged), target != nullptr ? target : d.PlayerFolder());
        EXPECT_EQ(d.UndoLabel(), c.undoLabel);
        EXPECT_EQ(d.document.mNotifications, 1);
        d.ExpectOneUndoStep(before);
    }
}

TEST(QVGandlerSmartAssociate, APlayerDroppedOnAnotherKindIsRefusedWithAWarning)
{
    AssociateDoc d;
    std::vector<unsigned char> const before = d.Bytes();
    QVGandlerParam param = d.Drop(d.player, d.tracks[0]);
    LogCapture log;
    EXPECT_EQ(Associate(param), 0);
    std::vector<std::string> const lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Warning 502"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("Can't associate object <single-player> to object <track>"), std::string::npos) << lines[0];
    EXPECT_EQ(d.Bytes(), before);
    EXPECT_FALSE(d.CanUndo());
    EXPECT_EQ(d.document.mNotifications, 0);
}

TEST(QVGandlerSmartAssociate, AFreePlayerDroppedOnNothingStaysWhereItIs)
{
    AssociateDoc d;
    std::vector<unsigned char> const before = d.Bytes();
    QVGandlerParam param = d.Drop(d.player, nullptr);
    LogCapture log;
    EXPECT_EQ(Associate(param), 0);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(d.Bytes(), before);
    EXPECT_FALSE(d.CanUndo());
}

TEST(QVGandlerSmartAssociate, ObjectsOtherThanPlayersAndCopiesGoToTheTargetOrTheirFolder)
{
    AssociateDoc d;
    // A track dropped on nothing leaves its sequence for a new one named
    // after it.
    {
        std::vector<unsigned char> const before = d.Bytes();
        QVGandlerParam param = d.Drop(d.tracks[0], nullptr);
        ASSERT_EQ(Associate(param), 0);
        AKObject* const made = ParentOf(d.tracks[0]);
        ASSERT_NE(made, nullptr);
        EXPECT_NE(made, d.Intro());
        EXPECT_TRUE(made->IsKindOfT<QVObjectSequence>());
        EXPECT_EQ(made->akmGetName().StdString(), "Intro");
        EXPECT_EQ(ParentOf(made), d.SequenceFolder());
        EXPECT_EQ(CountTracks(d.Intro()), 1u);
        EXPECT_EQ(d.UndoLabel(), "Undo Move To");
        d.ExpectOneUndoStep(before);
    }
    // A copied track dropped on nothing: a new sequence "Intro Copy", the
    // original stays.
    {
        AssociateDoc c;
        QVGandlerParam param = c.Drop(c.tracks[1], nullptr);
        param.WithOptionAsBool("CopyMode", true);
        ASSERT_EQ(Associate(param), 0);
        ATObjectArray<AKObject> const& made = param.GetTreeActionParam().GetResultTreeSel().GetObjects();
        ASSERT_EQ(made.Count(), 1u);
        EXPECT_EQ(made[0]->akmGetName().StdString(), "Intro Copy");
        EXPECT_EQ(CountTracks(made[0]), 1u);
        EXPECT_EQ(CountTracks(c.Intro()), 2u);
    }
    // A sequence dropped on nothing goes to the end of the sequence folder.
    {
        AssociateDoc s;
        QVGandlerParam param = s.Drop(s.Intro(), nullptr);
        ASSERT_EQ(Associate(param), 0);
        std::vector<AKObject*> const order = Children(s.SequenceFolder());
        ASSERT_FALSE(order.empty());
        EXPECT_EQ(order.back(), s.Intro());
    }
    // A copied player on a sequence: a copy joins it, the original stays.
    {
        AssociateDoc p;
        std::vector<unsigned char> const before = p.Bytes();
        QVGandlerParam param = p.Drop(p.player, p.Coda());
        param.WithOptionAsBool("CopyMode", true);
        ASSERT_EQ(Associate(param), 0);
        EXPECT_EQ(ParentOf(p.player), p.PlayerFolder());
        EXPECT_EQ(CountPlayers(p.Coda()), 1u);
        EXPECT_EQ(p.UndoLabel(), "Undo Copy To");
        p.ExpectOneUndoStep(before);
    }
    // A copied player on nothing: the copy goes to the player folder.
    {
        AssociateDoc p;
        unsigned int const players = CountPlayers(p.PlayerFolder());
        QVGandlerParam param = p.Drop(p.lead, nullptr);
        param.WithOptionAsBool("CopyMode", true);
        ASSERT_EQ(Associate(param), 0);
        EXPECT_EQ(CountPlayers(p.PlayerFolder()), players + 1);
        EXPECT_EQ(ParentOf(p.lead), p.Verse());
    }
}

TEST(QVGandlerSmartAssociate, ClusterCarriesOnlyTheDraggedObjectsPlayers)
{
    for (bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copy" : "move");
        AssociateDoc d;
        // Verse holds the player Lead; give it a track too.
        QVGandlerParam track = d.Param();
        track.GetTreeActionParam().WithTargetObject(d.Verse(), kAKLinkModeLastChildren);
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewTrack(track), 0);
        std::vector<unsigned char> const before = d.Bytes();

        QVGandlerParam param = d.Drop(d.Verse(), d.Coda());
        param.WithOptionAsBool("Cluster", true).WithOptionAsBool("CopyMode", copy);
        ASSERT_EQ(Associate(param), 0);
        EXPECT_EQ(CountPlayers(d.Coda()), 1u);
        EXPECT_EQ(CountTracks(d.Coda()), 0u) << "tracks stay";
        EXPECT_EQ(CountTracks(d.Verse()), 1u);
        EXPECT_EQ(CountPlayers(d.Verse()), copy ? 1u : 0u);
        EXPECT_EQ(ParentOf(d.lead), copy ? static_cast<AKObject*>(d.Verse()) : d.Coda());
        EXPECT_EQ(d.UndoLabel(), copy ? "Undo Copy To" : "Undo Move To");

        QVGandlerParam undo = d.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        EXPECT_EQ(d.Bytes(), before);
    }
}

TEST(QVGandlerSmartAssociate, TimeAtPlacesThePlayerOutsideTheHistory)
{
    // Moved: the dragged player itself (a multi-player, which has a span).
    {
        AssociateDoc d;
        ASSERT_TRUE(d.rack->LowSetUserTimeAndSpan(1.0, 3.0, false));
        QVGandlerParam param = d.Drop(d.rack, d.Coda());
        param.WithOptionAsAKTime("TimeAt", 12.5);
        ASSERT_EQ(Associate(param), 0);
        EXPECT_EQ(ParentOf(d.rack), d.Coda());
        EXPECT_EQ(d.rack->GetUserTime(), 12.5);
        EXPECT_EQ(d.rack->GetUserSpan(), 3.0) << "the span stays";
        EXPECT_EQ(d.UndoLabel(), "Undo Attach Players");
        QVGandlerParam undo = d.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        EXPECT_FALSE(d.CanUndo()) << "placing is no step of its own";
    }
    // Copied: the one copy made; the original keeps its time.
    {
        AssociateDoc d;
        double const kept = d.player->GetUserTime();
        QVGandlerParam param = d.Drop(d.player, nullptr);
        param.WithOptionAsBool("CopyMode", true).WithOptionAsAKTime("TimeAt", 4.0);
        ASSERT_EQ(Associate(param), 0);
        ATObjectArray<AKObject> const& made = param.GetTreeActionParam().GetResultTreeSel().GetObjects();
        ASSERT_EQ(made.Count(), 1u);
        ASSERT_TRUE(made[0]->IsKindOfT<QVObjectZlayer>());
        EXPECT_EQ(static_cast<QVObjectPlayable*>(made[0])->GetUserTime(), 4.0);
        EXPECT_EQ(d.player->GetUserTime(), kept);
    }
    // Placed even when the drop itself was refused; a negative time is no
    // placing.
    for (double at : {7.0, -1.0}) {
        AssociateDoc d;
        ASSERT_TRUE(d.player->LowSetUserTimeAndSpan(2.0, d.player->GetUserSpan(), false));
        QVGandlerParam param = d.Drop(d.player, d.tracks[0]);
        param.WithOptionAsAKTime("TimeAt", at);
        LogCapture log;
        EXPECT_EQ(Associate(param), 0);
        EXPECT_EQ(d.player->GetUserTime(), at >= 0.0 ? at : 2.0);
    }
}

TEST(QVGandlerSmartAssociate, RefusalsWithoutWorkWriteNothing)
{
    ScopedVerboseLevel verbose(1);
    AssociateDoc d;
    std::vector<unsigned char> const before = d.Bytes();
    TestDocument bare;  // never initialised: no tree handler
    QVGandlerParam noHandler(&bare);
    QVGandlerParam none = d.Param();
    QVGandlerParam two = d.Param({d.player, d.lead});
    two.GetTreeActionParam().WithTargetObject(d.Coda(), kAKLinkModeLastChildren);
    for (QVGandlerParam* param : {&noHandler, &none, &two}) {
        LogCapture log;
        EXPECT_EQ(Associate(*param), -1);
        EXPECT_TRUE(log.Lines().empty());
    }
    EXPECT_EQ(d.Bytes(), before);
    EXPECT_FALSE(d.CanUndo());
}

TEST(QVGandlerSmartAssociate, ARefusedMoveOrCopyReturnsItsCode)
{
    // A sequence cannot go into a track: the move's own check refuses it,
    // and the association hands its code back.
    for (bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copy" : "move");
        AssociateDoc d;
        std::vector<unsigned char> const before = d.Bytes();
        QVGandlerParam expected = d.Drop(d.Coda(), d.tracks[0]);
        LogCapture quiet;
        int const code =
            copy ? QVGandler::sShared.DoCmd_SmartCopyTo(expected) : QVGandler::sShared.DoCmd_SmartMoveTo(expected);
        ASSERT_LT(code, 0);
        QVGandlerParam param = d.Drop(d.Coda(), d.tracks[0]);
        param.WithOptionAsBool("CopyMode", copy);
        EXPECT_EQ(Associate(param), code);
        EXPECT_EQ(d.Bytes(), before);
        EXPECT_FALSE(d.CanUndo());
    }
}

TEST(QVGandlerSmartAssociate, DropsOntoThemselvesChangeNothing)
{
    enum Dragged { kRack, kSub, kSequence, kSequenceCluster };
    struct Case {
        char const* name;
        Dragged dragged;
        int status;
    } const cases[] = {
        {"multi-player on itself", kRack, kAKErrorTreeHandlerBadTreeSelType},
        {"sub on its own multi-player", kSub, kAKErrorTreeHandlerBadTreeSelType},
        {"sequence on itself", kSequence, kAKErrorTreeHandlerIncompatibleLink},
        {"sequence without players, as a cluster, on itself", kSequenceCluster, kAKErrorTreeHandlerEmptyTreeSel},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AssociateDoc d;
        AKObject* dragged = d.rack;
        AKObject* target = d.rack;
        if (c.dragged == kSub)
            dragged = Children(d.rack).front();
        if (c.dragged == kSequence || c.dragged == kSequenceCluster)
            dragged = target = d.Intro();
        std::vector<unsigned char> const before = d.Bytes();
        QVGandlerParam param = d.Drop(dragged, target);
        param.WithOptionAsBool("Cluster", c.dragged == kSequenceCluster);
        LogCapture quiet;
        EXPECT_EQ(Associate(param), c.status);
        EXPECT_EQ(d.Bytes(), before);
        EXPECT_FALSE(d.CanUndo());
    }
}

}  // namespace
