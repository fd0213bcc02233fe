// Randomised test of an engine document's tree driven through the engine
// tree handler as the command layer drives it: new sequences (with or
// without tracks), single players and multi-players with subs, in the player
// folder or in sequences, tracks added to sequences, moves of players and
// tracks, deletions, track-part edits, several of these grouped under one
// command, random undo and redo, saves in both forms and reloads.
//
// After every step:
//  - the tree passes its coherency and child-class checks;
//  - once the fast links are refreshed, every folder, sequence and
//    multi-player lists exactly its children of the right kinds, in order,
//    every track knows its sequence and place, and a single player is a sub
//    exactly when its parent is a multi-player;
//  - undo and redo land on the tree (its whole binary form) recorded at
//    that history position;
//  - a refused step changes nothing;
// and at every save both forms load back into a tree that writes the same
// forms again.
//
// Each seed is fixed, so a failure repeats; the failing seed and its steps
// are printed.

#include "AKFile.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKTreePasteboard.h"
#include "QVDocumentTreeGuard.h"
#include "QVTrackZoneFixtures.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

using Bytes = std::vector<unsigned char>;

Bytes TreeBytes(AKTree const& tree)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(tree.WriteToBinFile(file), 0);
    return MemoryStreamBytes(file);
}

QVCommandInfo const kCommand(8300, "Random Step");

struct SessionConfig {
    unsigned int seed;
    unsigned int treeOptions;
    unsigned int steps;
};

class EngineTreeSession
{
public:
    explicit EngineTreeSession(SessionConfig const& config) : mConfig(config), mRng(config.seed)
    {
        AKTreePasteboard::sShared.Clear();
        mTree = std::make_unique<AKTree>(config.treeOptions);
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "Intro", {SeqNode("track", nullptr), SeqNode("atomic", "Lead")})},
                        {SeqNode("cursor", "Deck", {SeqNode("atomic", nullptr)}), SeqNode("atomic", "Free")});
        EXPECT_EQ(mTree->InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        OpenDocument();
    }
    ~EngineTreeSession()
    {
        mHandler.reset();
        mTree.reset();
        AKTreePasteboard::sShared.Clear();
    }

    void Run()
    {
        for (unsigned int i = 0; i < mConfig.steps && !Failed(); ++i)
            RandomStep();
        while (!Failed() && mHandler->CanUndo(nullptr, nullptr))
            Undo();
        while (!Failed() && mHandler->CanRedo(nullptr, nullptr))
            Redo();
        if (!Failed())
            SaveAndReload(mConfig.seed % 2 == 0);
        for (unsigned int i = 0; i < mConfig.steps / 4 && !Failed(); ++i)
            RandomStep();
        if (!Failed())
            SaveAndReload(mConfig.seed % 2 != 0);
    }

    std::string Report() const
    {
        std::ostringstream out;
        out << "seed " << mConfig.seed << ", options " << mConfig.treeOptions << ", steps:\n";
        for (std::string const& step : mSteps)
            out << "  " << step << "\n";
        return out.str();
    }

private:
    static bool Failed() { return ::testing::Test::HasFailure(); }

    unsigned int Pick(unsigned int count)
    {
        return count == 0 ? 0 : std::uniform_int_distribution<unsigned int>(0, count - 1)(mRng);
    }
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(mRng); }

    // --- The document ---

    void OpenDocument()
    {
        mHandler = std::make_unique<QVTreeHandler>(mTree.get(), &mGuard);
        mHandler->SynchronizeFLFastLinks();
        EXPECT_EQ(mHandler->ReopenHistory(), 0);
        mStates.clear();
        mStates[0] = StateBytes();
        CheckInvariants("open");
    }

    std::vector<QVObjectSequence*> Sequences() const
    {
        std::vector<QVObjectSequence*> out;
        for (QVObjectPoolable* object : mHandler->GetFLSequences())
            out.push_back(static_cast<QVObjectSequence*>(object));
        return out;
    }

    // Every object of the kind anywhere below the root.
    template <class T>
    std::vector<T*> AllOf() const
    {
        std::vector<T*> out;
        for (AKNode* node : mTree->GetNodes())
            if (node->GetObject() != nullptr && node->GetObject()->IsKindOfT<T>())
                out.push_back(static_cast<T*>(node->GetObject()));
        return out;
    }

    template <class T>
    T* AnyOf()
    {
        std::vector<T*> const all = AllOf<T>();
        return all.empty() ? nullptr : all[Pick(static_cast<unsigned int>(all.size()))];
    }

    QVObjectTrack* NewTrack()
    {
        QVObjectTrack* const track = AKNew<QVObjectTrack>("%s", "");
        track->akmSetName(AKString(), false);
        QVTrackZoneArray zones;
        unsigned int const count = 1 + Pick(3);
        for (unsigned int i = 0; i < count; ++i)
            zones.Push(QVTrackZone::Make(1 + Pick(9), 0.0, 0.5 + Pick(4) * 0.5));
        zones.UpdateZonesLocalTime(nullptr, nullptr);
        track->InitWithTrackZones(zones);
        return track;
    }

    // --- Steps ---

    void RandomStep()
    {
        unsigned int const roll = Pick(100);
        if (roll < 12) {
            Undo();
        } else if (roll < 20) {
            Redo();
        } else if (roll < 23) {
            SaveAndReload(Pick(2) == 0);
        } else if (roll < 33) {
            // Several steps as one command.
            unsigned int const count = 2 + Pick(3);
            Command("group of " + std::to_string(count), [&]() {
                for (unsigned int i = 0; i < count; ++i)
                    EditStep(Pick(100));
                return 0;
            });
        } else {
            unsigned int const edit = Pick(100);
            Command("edit", [&]() { return EditStep(edit); });
        }
    }

    // One edit inside the current command; refusals are allowed.
    int EditStep(unsigned int roll)
    {
        if (roll < 15) {
            QVObjectTrackArray tracks;
            unsigned int const count = Pick(3);
            for (unsigned int i = 0; i < count; ++i)
                tracks.Push(NewTrack());
            Log("new sequence with " + std::to_string(count) + " tracks");
            return mHandler->DoEasyNewSequenceWithNewTracks(nullptr, AKString("S"), &tracks);
        }
        if (roll < 35) {
            // A player or a multi-player, free or in a sequence, or a sub.
            unsigned int const subs = Pick(2) == 0 ? 0 : 1 + Pick(3);
            AKObject* parent = nullptr;
            unsigned int const where = Pick(3);
            if (where == 1)
                parent = AnyOf<QVObjectSequence>();
            else if (where == 2 && subs == 0)
                parent = AnyOf<QVObjectCursor>();
            Log("new player with " + std::to_string(subs) + " subs in " + Describe(parent));
            return mHandler->DoEasyNewCursor(nullptr, AKString("P"), subs, Uniform(0.0, 3.0), parent,
                                             kAKLinkModeLastChildren);
        }
        if (roll < 45) {
            QVObjectSequence* const sequence = AnyOf<QVObjectSequence>();
            if (sequence == nullptr)
                return 0;
            AKObject* track = NewTrack();
            Log("new track in " + Describe(sequence));
            return mHandler->DoEasyAddNewObject(&track, sequence, kAKLinkModeLastChildren);
        }
        if (roll < 60) {
            // A player or a track to a random place (often refused).
            AKObject* object = Pick(2) == 0 ? static_cast<AKObject*>(AnyOf<QVObjectZlayer>())
                                            : static_cast<AKObject*>(AnyOf<QVObjectTrack>());
            AKObject* target = nullptr;
            switch (Pick(4)) {
            case 0:
                target = mHandler->GetFolderCursor();
                break;
            case 1:
                target = AnyOf<QVObjectCursor>();
                break;
            default:
                target = AnyOf<QVObjectSequence>();
                break;
            }
            if (object == nullptr || target == nullptr)
                return 0;
            Log("move " + Describe(object) + " to " + Describe(target));
            return Refusable(mHandler->DoEasyMoveObject(nullptr, &object, target, kAKLinkModeLastChildren));
        }
        if (roll < 75) {
            AKObject* object = nullptr;
            switch (Pick(4)) {
            case 0:
                object = AnyOf<QVObjectSequence>();
                break;
            case 1:
                object = AnyOf<QVObjectTrack>();
                break;
            default:
                object = AnyOf<QVObjectZlayer>();
                break;
            }
            if (object == nullptr)
                return 0;
            Log("delete " + Describe(object));
            return mHandler->DoEasyDeleteObject(&object);
        }
        return TrackPartStep();
    }

    int TrackPartStep()
    {
        QVObjectSequence* const sequence = AnyOf<QVObjectSequence>();
        if (sequence == nullptr)
            return 0;
        AKTreeActionParam param(mTree.get());
        param.SetActionName(kCommand);
        param.WithTreeObject(sequence);
        AKTreeSel selection = param.GetTreeSel();
        double const begin = Pick(8) * 0.5;
        selection.SetTimeSel({begin, begin + 0.5 + Pick(4) * 0.5});
        param.WithTreeSel(selection);
        unsigned int const kind = Pick(5);
        Log("track part " + std::to_string(kind) + " of " + Describe(sequence) + " from " + std::to_string(begin));
        switch (kind) {
        case 0:
            return Refusable(mHandler->DoTrackPartDelete(param));
        case 1:
            return Refusable(mHandler->DoTrackPartDuplicate(param));
        case 2:
            return Refusable(mHandler->DoTrackPartScale(param, Pick(2) == 0 ? 2.0 : -1.0));
        case 3:
            return Refusable(mHandler->DoTrackPartSilent(param, kQVInsertModeAt, begin, 0.5));
        default:
            return Refusable(mHandler->DoTrackPartCrop(param, Pick(2) == 0));
        }
    }

    // Refusals by the checks are part of the game; they must change nothing,
    // which the command's comparison of states checks.
    static int Refusable(int status) { return status < -677 && status > -692 ? 0 : status; }

    template <class Step>
    void Command(std::string const& what, Step step)
    {
        Log("command: " + what);
        unsigned int const position = mHandler->GetHistory().GetCurrentPosition();
        Bytes const before = StateBytes();
        EXPECT_EQ(mHandler->DoEasyStart(kCommand, nullptr), 0);
        int const status = step();
        mHandler->DoEasyEnd();
        EXPECT_EQ(status, 0) << what;
        mHandler->SynchronizeFLFastLinks();
        unsigned int const now = mHandler->GetHistory().GetCurrentPosition();
        Bytes const after = StateBytes();
        if (now == position) {
            EXPECT_TRUE(after == before) << "a step that recorded nothing changed the tree";
        } else {
            // The steps after the new position can no longer be redone.
            mStates.erase(mStates.upper_bound(position), mStates.end());
            mStates[now] = after;
        }
        CheckInvariants(what);
    }

    void Undo()
    {
        if (!mHandler->CanUndo(nullptr, nullptr))
            return;
        Log("undo");
        AKTreeActionParam param(mTree.get());
        EXPECT_EQ(mHandler->DoUndo(param), 0);
        Landed("undo");
    }

    void Redo()
    {
        if (!mHandler->CanRedo(nullptr, nullptr))
            return;
        Log("redo");
        AKTreeActionParam param(mTree.get());
        EXPECT_EQ(mHandler->DoRedo(param), 0);
        Landed("redo");
    }

    void Landed(char const* what)
    {
        mHandler->SynchronizeFLFastLinks();
        unsigned int const position = mHandler->GetHistory().GetCurrentPosition();
        auto const state = mStates.find(position);
        if (state == mStates.end())
            ADD_FAILURE() << what << " landed on unknown position " << position;
        else
            EXPECT_TRUE(StateBytes() == state->second) << what << " did not restore position " << position;
        CheckInvariants(what);
    }

    // Both forms load back and write themselves again unchanged; the document
    // then continues from one of them with a fresh history.
    void SaveAndReload(bool fromDictionary)
    {
        Log(std::string("save and reload from the ") + (fromDictionary ? "dictionary" : "binary") + " form");
        AKDictionary form;
        ASSERT_EQ(mTree->WriteToDictionary(&form), 0);
        auto fromForm = std::make_unique<AKTree>(mConfig.treeOptions);
        ASSERT_EQ(fromForm->InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        AKDictionary again;
        ASSERT_EQ(fromForm->WriteToDictionary(&again), 0);
        EXPECT_TRUE(again == form) << "the dictionary form does not read back";

        Bytes const bytes = TreeBytes(*mTree);
        std::unique_ptr<AKTree> fromBytes = ReadBinaryForm(bytes);
        ASSERT_NE(fromBytes, nullptr);
        Bytes const second = TreeBytes(*fromBytes);
        if (mTree->KeepsLoadedIDs()) {
            EXPECT_TRUE(second == bytes) << "the binary form does not read back";
        } else {
            // Renumbered once on the first reading, then stable.
            std::unique_ptr<AKTree> const third = ReadBinaryForm(second);
            ASSERT_NE(third, nullptr);
            EXPECT_TRUE(TreeBytes(*third) == second) << "the binary form does not read back";
        }
        EXPECT_EQ(fromBytes->CheckTreeCoherency(), 0);

        mHandler.reset();
        mTree = fromDictionary ? std::move(fromForm) : std::move(fromBytes);
        OpenDocument();
    }

    // A tree read from its binary form, whose root takes the document
    // type's classes again (the binary form carries no type); null on failure.
    std::unique_ptr<AKTree> ReadBinaryForm(Bytes const& bytes) const
    {
        AKFile file(kAKFileModeMemoryStream);
        EXPECT_EQ(file.CreateForReadWrite(), 0);
        file.Write(bytes.data(), bytes.size());
        file.SetPos(0);
        auto tree = std::make_unique<AKTree>(mConfig.treeOptions);
        int const status = tree->InitFromBinFile(file, nullptr);
        EXPECT_EQ(status, 0);
        if (status != 0)
            return nullptr;
        static_cast<AKObjectFolderRoot*>(tree->GetRootNode()->GetObject())
            ->SetupRootAuthoChildClassesFromDocumentType(SequenceTestDocumentType());
        return tree;
    }

    // --- Invariants ---

    void CheckInvariants(std::string const& after)
    {
        SCOPED_TRACE("after " + after);
        EXPECT_EQ(mTree->CheckTreeCoherency(), 0);
        EXPECT_EQ(mTree->CheckAuthoChildClasses(), 0);

        AKNode const* const sequenceFolder = mHandler->GetFolderSequenceNode();
        AKNode const* const playerFolder = mHandler->GetFolderCursorNode();
        ASSERT_NE(sequenceFolder, nullptr);
        ASSERT_NE(playerFolder, nullptr);
        EXPECT_EQ(Listed(mHandler->GetFLSequences()), Children<QVObjectSequence>(sequenceFolder));
        EXPECT_EQ(Listed(mHandler->GetFLPlayers()), Children<QVObjectZlayer>(playerFolder));

        for (QVObjectSequence* sequence : Sequences()) {
            AKNode const* const node = sequence->GetNodeOwner();
            std::vector<AKObject*> const tracks = Children<QVObjectTrack>(node);
            EXPECT_EQ(Listed(sequence->GetFLSubTracks()), tracks) << Describe(sequence);
            std::vector<AKObject*> const players = Children<QVObjectZlayer>(node);
            EXPECT_EQ(Listed(sequence->GetFLSubPlayers()), players) << Describe(sequence);
            for (unsigned int index = 0; index < tracks.size(); ++index) {
                auto const* const track = static_cast<QVObjectTrack const*>(tracks[index]);
                EXPECT_EQ(track->GetFLParentSequence(), sequence);
            }
            std::vector<AKObject*> all{sequence};
            all.insert(all.end(), players.begin(), players.end());
            for (AKObject* player : players) {
                if (player->IsKindOfT<QVObjectCursor>()) {
                    std::vector<AKObject*> const subs = Children<QVObjectAtomic>(player->GetNodeOwner());
                    all.insert(all.end(), subs.begin(), subs.end());
                }
            }
            EXPECT_EQ(Listed(sequence->GetFLAllPlayables()), all) << Describe(sequence);
        }
        for (QVObjectCursor* cursor : AllOf<QVObjectCursor>())
            EXPECT_EQ(Listed(cursor->GetFLSubAtomics()), Children<QVObjectAtomic>(cursor->GetNodeOwner()));
        for (QVObjectAtomic* player : AllOf<QVObjectAtomic>()) {
            AKNode const* const parent = player->GetNodeOwner()->Parent();
            bool const isSub =
                parent != nullptr && parent->GetObject() != nullptr && parent->GetObject()->IsKindOfT<QVObjectCursor>();
            EXPECT_EQ((player->GetKind() & kQVPlayableKindAtomicSub) == kQVPlayableKindAtomicSub, isSub)
                << Describe(player);
        }
        for (QVObjectTrack* track : AllOf<QVObjectTrack>())
            EXPECT_TRUE(zonefixtures::HoldsInvariants(track->GetTrackZones(), track->GetZoneFadeDuration()));
    }

    template <class T>
    std::vector<AKObject*> Listed(ATObjectArray<T> const& list) const
    {
        std::vector<AKObject*> out;
        for (T* object : list)
            out.push_back(object);
        return out;
    }

    template <class T>
    static std::vector<AKObject*> Children(AKNode const* parent)
    {
        std::vector<AKObject*> out;
        for (AKNode* node = parent->GetSub(); node != nullptr; node = node->GetNext())
            if (node->GetObject() != nullptr && node->GetObject()->IsKindOfT<T>())
                out.push_back(node->GetObject());
        return out;
    }

    static std::string Describe(AKObject const* object)
    {
        if (object == nullptr)
            return "(none)";
        AKNode const* const node = object->GetNodeOwner();
        return std::string(object->GetClassID().GetName().c_str()) + "#" +
               std::to_string(node != nullptr ? node->GetID() : 0);
    }

    // The tree's binary form with every colour label at 0. Sequences give
    // their new players a label when they refresh their fast links, after
    // the step that added them was recorded: the history keeps the label a
    // player had when a step last recorded it, so undo may bring back an
    // older label. The labels are left out of the comparison.
    Bytes StateBytes()
    {
        std::vector<std::pair<QVObjectPoolable*, unsigned int>> labels;
        for (QVObjectPoolable* object : AllOf<QVObjectPoolable>()) {
            labels.emplace_back(object, object->GetUIColorLabel());
            object->SetUserUIColorLabel(0);
        }
        Bytes const bytes = TreeBytes(*mTree);
        for (auto const& label : labels)
            label.first->SetUserUIColorLabel(label.second);
        return bytes;
    }

    void Log(std::string const& step) { mSteps.push_back(step); }

    SessionConfig mConfig;
    std::mt19937 mRng;
    QVDocumentTreeGuard mGuard;
    std::unique_ptr<AKTree> mTree;
    std::unique_ptr<QVTreeHandler> mHandler;
    std::map<unsigned int, Bytes> mStates;
    std::vector<std::string> mSteps;
};

class EngineTreeRandomisedTest : public ::testing::TestWithParam<SessionConfig>
{};

TEST_P(EngineTreeRandomisedTest, EveryStepKeepsTheEngineTreeRight)
{
    SessionConfig const config = GetParam();
    SCOPED_TRACE("seed " + std::to_string(config.seed));
    EngineTreeSession session(config);
    session.Run();
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << session.Report();
    else if (std::getenv("ORVEL_TREE_RANDOM_PRINT") != nullptr)
        std::cout << session.Report();
}

constexpr unsigned int kKeepIDs = kAKTreeOptionDeferredDelete | kAKTreeOptionKeepLoadedIDs;

INSTANTIATE_TEST_SUITE_P(FixedSeeds, EngineTreeRandomisedTest,
                         ::testing::Values(SessionConfig{1, 0, 200}, SessionConfig{2, kKeepIDs, 200},
                                           SessionConfig{3, kAKTreeOptionDeferredDelete, 200},
                                           SessionConfig{4, kKeepIDs, 200}),
                         [](::testing::TestParamInfo<SessionConfig> const& info) {
                             return "Seed" + std::to_string(info.param.seed);
                         });

}  // namespace
