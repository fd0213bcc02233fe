// Commands that give a sequence players: the sequence labels the players
// that have no colour label and follows its only player, and both are part
// of the command's one undo step. Undo gives back the saved document byte
// for byte (the players start without labels, the case where the sequence
// labels them), redo gives back the document after the command.

#include "GandlerFixtures.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

std::vector<QVObjectPlayable*> PlayersOf(AKObject* object)
{
    ATObjectArray<AKObject> children;
    object->GrabChildren(&children);
    std::vector<QVObjectPlayable*> players;
    for (AKObject* child : children)
        if (child != nullptr && child->IsKindOfT<QVObjectZlayer>())
            players.push_back(static_cast<QVObjectPlayable*>(child));
    return players;
}

// The shared document plus a second free single player "Spare"; neither
// free player has a label, and the history starts empty.
struct JoinDoc : GandlerDoc {
    JoinDoc()
    {
        QVTreeHandler* const h = handler();
        h->DoEasyStart(kQVCmd_CursorNew, nullptr);
        EXPECT_EQ(h->DoEasyNewCursor(&spare, AKString("Spare"), 0, 0.0, nullptr, kAKLinkModeLastChildren), 0);
        h->DoEasyEnd();
        h->SynchronizeFLFastLinks();
        EXPECT_EQ(h->ReopenHistory(), 0);
        EXPECT_EQ(player->GetUIColorLabel(), 0u);
        EXPECT_EQ(spare->GetUIColorLabel(), 0u);
    }

    QVObjectSequence* Verse() const { return sequences[1]; }
    QVObjectSequence* Coda() const { return sequences[2]; }

    std::string UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, Param(), &label);
        return label.StdString();
    }
    // The saved document, as text.
    std::string Saved()
    {
        std::vector<unsigned char> const bytes = Bytes();
        return std::string(bytes.begin(), bytes.end());
    }
    void Undo()
    {
        QVGandlerParam undo = Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    }
    void Redo()
    {
        QVGandlerParam redo = Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditRedo(redo), 0);
    }

    QVObjectPlayable* spare = nullptr;
};

QVObjectSequence* Attach(JoinDoc& d, std::vector<AKObject*> players)
{
    players.insert(players.begin(), d.Coda());
    QVGandlerParam param = d.Param(players);
    EXPECT_EQ(QVGandler::sShared.DoCmd_CursorAttach(param), 0);
    return d.Coda();
}

QVObjectSequence* AddNewCursor(JoinDoc& d, unsigned int subCount)
{
    QVGandlerParam param = d.Param();
    param.GetTreeActionParam().WithTargetObject(d.Coda(), kAKLinkModeLastChildren);
    param.WithOptionAsUInt("SubCount", subCount);
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewCursor(param), 0);
    return d.Coda();
}

// A new sequence with one empty track, taking the target player when given.
QVObjectSequence* NewSequence(JoinDoc& d, AKObject* target)
{
    QVGandlerParam param = d.Param();
    if (target != nullptr)
        param.GetTreeActionParam().WithTargetObject(target, kAKLinkModeLastChildren);
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithEmptyTrack(param), 0);
    ATObjectArray<AKObject> const& made = param.GetTreeActionParam().GetResultTreeSel().GetObjects();
    EXPECT_EQ(made.Count(), 1u);
    return made.Count() == 1 && made[0]->IsKindOfT<QVObjectSequence>() ? static_cast<QVObjectSequence*>(made[0])
                                                                       : nullptr;
}

// A smart move or copy (a drop) of the players onto the target.
void Drop(JoinDoc& d, bool copy, std::vector<AKObject*> const& players, AKObject* target, AKLinkMode mode)
{
    QVGandlerParam param = d.Param(players);
    param.GetTreeActionParam().WithTargetObject(target, mode);
    EXPECT_EQ(copy ? QVGandler::sShared.DoCmd_SmartCopyTo(param) : QVGandler::sShared.DoCmd_SmartMoveTo(param), 0);
}

// A player made from a built-in model (1: a single player, 3: a
// multi-player with two subs) as the last child of the sequence.
QVObjectSequence* NewFromModel(JoinDoc& d, unsigned int modelID)
{
    QVGandlerParam param = d.Param();
    param.GetTreeActionParam().WithTargetObject(d.Coda(), kAKLinkModeLastChildren);
    param.WithOptionAsUInt("ModelID", modelID);
    EXPECT_EQ(QVGandler::sShared.DoCmd_EditPasteModel(param), 0);
    return d.Coda();
}

// The command under test, with what the document needs first (done and
// recorded before the history opens again), and the sequence it gives
// players.
struct JoinCase {
    char const* name;
    char const* undoLabel;
    std::function<void(JoinDoc&)> prepare;
    std::function<QVObjectSequence*(JoinDoc&)> run;
};

std::ostream& operator<<(std::ostream& out, JoinCase const& c) { return out << c.name; }

void Nothing(JoinDoc&) {}

JoinCase const kCases[] = {
    {"AttachOnePlayer", "Undo Attach Players", Nothing, [](JoinDoc& d) { return Attach(d, {d.player}); }},
    {"AttachTwoPlayers", "Undo Attach Players", Nothing,
     [](JoinDoc& d) {
         return Attach(d, {d.player, d.spare});
     }},
    {"AttachNextToALabelledPlayer", "Undo Attach Players", [](JoinDoc& d) { Attach(d, {d.spare}); },
     [](JoinDoc& d) { return Attach(d, {d.player}); }},
    {"SmartAssociateDrop", "Undo Attach Players", Nothing,
     [](JoinDoc& d) {
         QVGandlerParam param = d.Param({d.player});
         param.GetTreeActionParam().WithTargetObject(d.Coda(), kAKLinkModeLastChildren);
         EXPECT_EQ(QVGandler::sShared.DoCmd_SmartAssociateObjects(param), 0);
         return d.Coda();
     }},
    {"NewSinglePlayerInSequence", "Undo Add Player To Sequence", Nothing,
     [](JoinDoc& d) { return AddNewCursor(d, 0); }},
    {"NewMultiPlayerInSequence", "Undo Add Player To Sequence", Nothing, [](JoinDoc& d) { return AddNewCursor(d, 2); }},
    {"NewSequenceTakingTheTargetPlayer", "Undo New Sequence", Nothing,
     [](JoinDoc& d) { return NewSequence(d, d.player); }},
    {"NewSequenceWithItsOwnPlayer", "Undo New Sequence", Nothing, [](JoinDoc& d) { return NewSequence(d, nullptr); }},
    {"SmartMoveOntoSequence", "Undo Move To", Nothing,
     [](JoinDoc& d) {
         Drop(d, false, {d.player}, d.Coda(), kAKLinkModeLastChildren);
         return d.Coda();
     }},
    {"SmartMoveNextToAPlayerInSequence", "Undo Move To", [](JoinDoc& d) { Attach(d, {d.spare}); },
     [](JoinDoc& d) {
         Drop(d, false, {d.player}, d.spare, kAKLinkModeAfter);
         return d.Coda();
     }},
    {"SmartMoveFromSequenceToSequence", "Undo Move To", [](JoinDoc& d) { Attach(d, {d.player}); },
     [](JoinDoc& d) {
         Drop(d, false, {d.player}, d.Verse(), kAKLinkModeLastChildren);
         return d.Verse();
     }},
    {"SmartCopyOntoSequence", "Undo Copy To", Nothing,
     [](JoinDoc& d) {
         Drop(d, true, {d.player}, d.Coda(), kAKLinkModeLastChildren);
         return d.Coda();
     }},
    {"NewSinglePlayerFromModelInSequence", "Undo New Player", Nothing, [](JoinDoc& d) { return NewFromModel(d, 1); }},
    {"NewMultiPlayerFromModelInSequence", "Undo New Player", Nothing, [](JoinDoc& d) { return NewFromModel(d, 3); }},
    {"GroupPlayersOfASequence", "Undo Group Players",
     [](JoinDoc& d) {
         Attach(d, {d.player, d.spare});
     },
     [](JoinDoc& d) {
         QVGandlerParam param = d.Param({d.player, d.spare});
         EXPECT_EQ(QVGandler::sShared.DoCmd_CursorGroup(param), 0);
         return d.Coda();
     }},
};

class JoinSequence : public ::testing::TestWithParam<JoinCase>
{
protected:
    void SetUp() override
    {
        mWithPlayer = QVPrefs::sShared.GetSequenceNewAlwaysWithPlayer();
        QVPrefs::sShared.SetSequenceNewAlwaysWithPlayer(true);
    }
    void TearDown() override { QVPrefs::sShared.SetSequenceNewAlwaysWithPlayer(mWithPlayer); }

    bool mWithPlayer = false;
};

TEST_P(JoinSequence, UndoGivesBackTheDocumentAndRedoTheCommandsResult)
{
    JoinCase const& c = GetParam();
    JoinDoc d;
    c.prepare(d);
    d.handler()->SynchronizeFLFastLinks();
    ASSERT_EQ(d.handler()->ReopenHistory(), 0);
    std::string const before = d.Saved();

    QVObjectSequence* const sequence = c.run(d);
    ASSERT_NE(sequence, nullptr);
    EXPECT_EQ(d.UndoLabel(), c.undoLabel);

    // The sequence did its setup: its players labelled, each label once,
    // its only player followed.
    std::vector<QVObjectPlayable*> const players = PlayersOf(sequence);
    ASSERT_FALSE(players.empty());
    unsigned int used = 0;
    for (QVObjectPlayable* player : players) {
        unsigned int const label = player->GetUIColorLabel();
        EXPECT_NE(label, 0u);
        EXPECT_EQ(used & (1u << label), 0u) << "label " << label << " given twice";
        used |= 1u << label;
    }
    // Grouping leaves the followed player as it was.
    if (players.size() == 1 && c.undoLabel != std::string("Undo Group Players")) {
        EXPECT_EQ(sequence->GetPlayableFollowID(nullptr), players[0]->GetID());
    }
    std::string const after = d.Saved();
    ASSERT_NE(after, before);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first undo" : "second undo");
        d.Undo();
        EXPECT_EQ(d.Saved(), before) << "undo gives back the document";
        EXPECT_FALSE(d.handler()->CanUndo(nullptr, nullptr)) << "the command is one step";
        d.Redo();
        EXPECT_EQ(d.Saved(), after) << "redo gives back the command's result";
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, JoinSequence, ::testing::ValuesIn(kCases),
                         [](::testing::TestParamInfo<JoinCase> const& info) { return info.param.name; });

// How a player joins the sequence "Coda" and leaves it.
struct StepsCase {
    char const* name;
    std::function<void(JoinDoc&, AKObject*)> join;
    std::function<void(JoinDoc&, AKObject*)> leave;
};

std::ostream& operator<<(std::ostream& out, StepsCase const& c) { return out << c.name; }

void AttachToCoda(JoinDoc& d, AKObject* player) { Attach(d, {player}); }

void DropOntoCoda(JoinDoc& d, AKObject* player) { Drop(d, false, {player}, d.Coda(), kAKLinkModeLastChildren); }

StepsCase const kStepsCases[] = {
    {"AttachAndDetach", AttachToCoda,
     [](JoinDoc& d, AKObject* player) {
         QVGandlerParam detach = d.Param({player});
         EXPECT_EQ(QVGandler::sShared.DoCmd_CursorDetach(detach), 0);
     }},
    {"SmartMovesToThePlayerFolder", DropOntoCoda,
     [](JoinDoc& d, AKObject* player) {
         Drop(d, false, {player}, d.handler()->GetFolderCursor(), kAKLinkModeLastChildren);
     }},
    {"SmartMovesToAnotherSequence", DropOntoCoda,
     [](JoinDoc& d, AKObject* player) { Drop(d, false, {player}, d.Verse(), kAKLinkModeLastChildren); }},
};

class JoinSequenceSteps : public ::testing::TestWithParam<StepsCase>
{};

// A sequence whose followed player left it follows the next player that
// joins it alone; undoing and redoing that join and the earlier ones brings
// back the followed player each document had.
TEST_P(JoinSequenceSteps, FollowedPlayerComesBackThroughSeveralUndos)
{
    StepsCase const& c = GetParam();
    JoinDoc d;
    std::string const empty = d.Saved();
    c.join(d, d.player);
    d.handler()->SynchronizeFLFastLinks();
    ASSERT_EQ(d.Coda()->GetPlayableFollowID(nullptr), d.player->GetID());
    std::string const withDeck = d.Saved();

    c.leave(d, d.player);
    std::string const left = d.Saved();
    c.join(d, d.spare);
    d.handler()->SynchronizeFLFastLinks();
    ASSERT_EQ(d.Coda()->GetPlayableFollowID(nullptr), d.spare->GetID());
    std::string const withSpare = d.Saved();

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        d.Undo();
        EXPECT_EQ(d.Saved(), left);
        d.Undo();
        EXPECT_EQ(d.Saved(), withDeck);
        d.Undo();
        EXPECT_EQ(d.Saved(), empty);
        EXPECT_FALSE(d.handler()->CanUndo(nullptr, nullptr));
        d.Redo();
        EXPECT_EQ(d.Saved(), withDeck);
        d.Redo();
        EXPECT_EQ(d.Saved(), left);
        d.Redo();
        EXPECT_EQ(d.Saved(), withSpare);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, JoinSequenceSteps, ::testing::ValuesIn(kStepsCases),
                         [](::testing::TestParamInfo<StepsCase> const& info) { return info.param.name; });

}  // namespace
