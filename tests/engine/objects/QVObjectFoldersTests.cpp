// The three top folders: the classes each one takes, their fast links and
// name look-ups over a loaded tree, and their persistent forms (the
// temporary folder left out of the dictionary form with its subtree).

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKNode.h"
#include "AKTree.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "ObjectModelTestClasses.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ObjectModelEnvironment());

AKDictionary Node(char const* classID, char const* name, std::initializer_list<AKDictionary> subs = {})
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    if (name != nullptr)
        dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    if (subs.size() != 0) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

AKDictionary Top(std::initializer_list<AKDictionary> subs)
{
    AKDictionary top;
    AKValueArray array;
    for (AKDictionary const& sub : subs)
        array.Push(AKValueSetasAKDictionary(sub));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

AKDictionary DocumentForm()
{
    return Top({Node("foldSeq", nullptr, {Node("sequenc", "Intro"), Node("sequenc", nullptr), Node("sequenc", "Coda")}),
                Node("foldCrs", nullptr, {Node("atomic", "Alone"), Node("cursor", "Crowd")}),
                Node("foldTmp", nullptr, {Node("tstPool", "Scratch")})});
}

template <class T>
T* FirstChildOfRoot(AKTree const& tree)
{
    for (AKNode* node = tree.GetRootNode()->GetSub(); node != nullptr; node = node->GetNext())
        if (node->GetObject() != nullptr && node->GetObject()->IsKindOfT<T>())
            return static_cast<T*>(node->GetObject());
    return nullptr;
}

TEST(QVObjectFolders, EachFolderTakesItsOwnClasses)
{
    struct Case {
        AKClass const* folder;
        AKClassID child;
        bool taken;
    };
    AKClass const* const sequences = QVObjectFolderSequence::_Class();
    AKClass const* const players = QVObjectFolderCursor::_Class();
    AKClass const* const temp = QVObjectFolderTemp::_Class();
    for (Case const& c :
         {Case{sequences, "sequenc", true}, Case{sequences, "atomic", false}, Case{sequences, "tstPool", false},
          Case{players, "atomic", true}, Case{players, "cursor", true}, Case{players, "sequenc", false},
          Case{temp, "tstPool", true}, Case{temp, "foldSeq", true}}) {
        AKObject* folder = c.folder->GetCreator()();
        ASSERT_NE(folder, nullptr);
        AKClass const** allowed = folder->akmGetAuthoChildClasses();
        ASSERT_NE(allowed, nullptr);
        bool taken = false;
        for (; *allowed != nullptr; ++allowed)
            taken |= AKClassOfID(c.child)->IsKindOfClass(*allowed);
        EXPECT_EQ(taken, c.taken) << c.folder->GetClassID().GetName().c_str() << " " << c.child.GetName().c_str();
        AKClass::DeleteObject(folder);
    }
}

TEST(QVObjectFolders, LoadedTreeChecksOutAndFastLinksFollowTheStamps)
{
    AKTree tree(0);
    ASSERT_EQ(tree.InitFromDictionary(DocumentForm(), ObjectModelDocumentType(), nullptr), 0);
    EXPECT_EQ(tree.CheckAuthoChildClasses(), 0);
    auto* sequences = FirstChildOfRoot<QVObjectFolderSequence>(tree);
    auto* players = FirstChildOfRoot<QVObjectFolderCursor>(tree);
    ASSERT_NE(sequences, nullptr);
    ASSERT_NE(players, nullptr);

    sequences->SynchronizeFLFastLinks();
    ASSERT_EQ(sequences->GetFLSubSequences().Count(), 3u);
    auto* second = static_cast<TestSequence*>(sequences->GetFLSubSequences()[1]);
    EXPECT_EQ(second->mParent, sequences);
    EXPECT_EQ(second->mIndex, 0u);
    EXPECT_EQ(second->mSyncCount, 1u);
    AKNodeIDArray const& ids = sequences->GetFLSubSequenceIDs();
    ASSERT_EQ(ids.Count(), 3u);
    EXPECT_EQ(ids[1], second->GetID());

    // Unchanged stamps: the children are left alone.
    sequences->SynchronizeFLFastLinks();
    EXPECT_EQ(second->mSyncCount, 1u);
    // A far change refreshes the children without refilling the list.
    sequences->RaiseStamp(kAKObjectStampFarSubLinks);
    sequences->SynchronizeFLFastLinks();
    EXPECT_EQ(second->mSyncCount, 2u);

    players->SynchronizeFLFastLinks();
    EXPECT_EQ(players->GetFLSubPlayers().Count(), 2u);
    EXPECT_EQ(players->GetFLSubPlayerIDs().Count(), 2u);

    struct NameCase {
        char const* name;
        bool caseSensitive;
        char const* found;  // null: none
    };
    for (NameCase const& c : {NameCase{"Coda", true, "Coda"}, NameCase{"coda", true, nullptr},
                              NameCase{"coda", false, "Coda"}, NameCase{"Sequence", true, "Sequence"},
                              NameCase{"sequence", false, "Sequence"}, NameCase{"", false, nullptr}}) {
        QVObjectPoolable* found = sequences->FindSequenceByName(AKString(c.name), c.caseSensitive);
        if (c.found == nullptr)
            EXPECT_EQ(found, nullptr) << c.name;
        else
            EXPECT_TRUE(found != nullptr && found->akmGetName() == AKString(c.found)) << c.name;
    }
    EXPECT_EQ(sequences->FindSequenceByName(AKString("Sequence")), second);
    // Only multi-players are found by name in the player folder.
    EXPECT_NE(players->FindCursorByName(AKString("Crowd")), nullptr);
    EXPECT_EQ(players->FindCursorByName(AKString("Alone")), nullptr);
}

TEST(QVObjectFolders, SolosDecideWhichSequencesAreActive)
{
    AKTree tree(0);
    ASSERT_EQ(tree.InitFromDictionary(DocumentForm(), ObjectModelDocumentType(), nullptr), 0);
    auto* sequences = FirstChildOfRoot<QVObjectFolderSequence>(tree);
    auto* players = FirstChildOfRoot<QVObjectFolderCursor>(tree);
    sequences->SynchronizeFLFastLinks();
    players->SynchronizeFLFastLinks();
    auto sequence = [&](unsigned int index) {
        return static_cast<TestSequence*>(sequences->GetFLSubSequences()[index]);
    };

    sequence(0)->SetUserSolo(1);
    sequence(2)->SetUserSolo(1);
    sequences->UpdateRActiveFlagOfSubs(false);
    EXPECT_EQ(sequences->GetSoloCount(), 2);
    EXPECT_TRUE(sequence(0)->IsRActive());
    EXPECT_FALSE(sequence(1)->IsRActive());
    EXPECT_TRUE(sequence(2)->IsRActive());

    auto* player = static_cast<QVObjectPlayable*>(players->GetFLSubPlayers()[0]);
    player->SetUserMute(1);
    players->UpdateRActiveFlagOfSubs(false);
    EXPECT_FALSE(player->IsRActive());

    sequences->ResetAllMutesAndSolos();
    players->ResetAllMutesAndSolos();
    EXPECT_EQ(sequences->GetSoloCount(), 0);
    for (unsigned int index = 0; index < 3; ++index) {
        EXPECT_TRUE(sequence(index)->IsRActive()) << index;
        EXPECT_FALSE(sequence(index)->IsUserSolo()) << index;
    }
    EXPECT_TRUE(player->IsRActive());
    EXPECT_FALSE(player->IsUserMute());
}

TEST(QVObjectFolders, BothFormsRoundTripAndTheTempFolderStaysOutOfTheDictionary)
{
    AKTree tree(0);
    ASSERT_EQ(tree.InitFromDictionary(DocumentForm(), ObjectModelDocumentType(), nullptr), 0);

    AKDictionary written;
    ASSERT_EQ(tree.WriteToDictionary(&written), 0);
    AKValueArray const& tops = AKValueGetasAKValueArray(written.GetValue("Subs"));
    ASSERT_EQ(tops.Count(), 2u);
    for (AKValue const& top : tops)
        EXPECT_NE(AKValueGetasAKString(AKValueGetasAKDictionary(top).GetValue("Class")), AKString("foldTmp"));

    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(tree.WriteToBinFile(file), 0);
    ASSERT_EQ(file.SetPos(0), 0);
    AKTree loaded(0);
    ASSERT_EQ(loaded.InitFromBinFile(file, nullptr), 0);
    EXPECT_EQ(loaded.CountNodes(), tree.CountNodes());
    EXPECT_NE(FirstChildOfRoot<QVObjectFolderTemp>(loaded), nullptr);
}

}  // namespace
