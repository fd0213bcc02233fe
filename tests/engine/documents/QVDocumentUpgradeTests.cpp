// The upgrade of trees read from older document files: multi-players of the
// player folder move under the sequence they name, folded ones give way to
// their first single player, and the names become those of the current
// version; nothing enters the history.

#include "AKStatus.h"
#include "AKTree.h"
#include "AKValueTyped.h"
#include "QVDocumentTreeGuard.h"
#include "QVDocumentUpgrade.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

std::string StoredName(AKObject const* object)
{
    AKDictionary dictionary;
    object->AKObject::akmWriteToDictionary(dictionary);
    return AKValueGetasAKString(dictionary.GetValue("Name")).c_str();
}

// Class IDs with stored names in quotes, children in brackets.
std::string Shape(AKNode const* node)
{
    std::string text;
    for (; node != nullptr; node = node->GetNext()) {
        AKObject const* const object = node->GetObject();
        text += object->GetClassID().GetName().c_str();
        std::string const name = StoredName(object);
        if (!name.empty())
            text += "'" + name + "'";
        if (node->GetSub() != nullptr)
            text += "[" + Shape(node->GetSub()) + "]";
        if (node->GetNext() != nullptr)
            text += " ";
    }
    return text;
}

AKDictionary Cursor(char const* name, AKNodeID attached, bool deployed, std::initializer_list<AKDictionary> subs)
{
    return SeqNode("cursor", name, subs,
                   {{"AttachableID", AKValueSetasAKNodeID(attached)}, {"Deployed", AKValueSetasBool(deployed)}});
}

// A version 0 document: sequences "Kick" (a track named after its sound)
// and "Loops" (a player first), and in the player folder a multi-player
// attached to the first sequence, a folded one attached to the second, one
// attached to no sequence and folded, and a folded one without a single
// player first. The sequences' node IDs come from a first reading.
AKDictionary OldForm(AKNodeID kick, AKNodeID loops)
{
    return SeqDocument({SeqNode("sequenc", "Old1", {SeqNode("track", "kick.wav"), SeqNode("atomic", "Lead")}),
                        SeqNode("sequenc", "Old2", {SeqNode("atomic", "P"), SeqNode("track", "loop.wav")})},
                       {Cursor("C1", kick, true, {SeqNode("atomic", "s1"), SeqNode("atomic", "s2")}),
                        Cursor("C2", loops, false, {SeqNode("atomic", "s3"), SeqNode("atomic", "s4")}),
                        Cursor("C3", 9999, false, {SeqNode("atomic", "s5")}), Cursor("C4", kAKNullNodeID, false, {}),
                        SeqNode("atomic", "Free")});
}

struct OldDoc {
    QVDocumentTreeGuard guard;
    AKTree tree{0};
    QVTreeHandler handler{&tree, &guard};

    void Load(AKDictionary const& form)
    {
        ASSERT_EQ(tree.InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        handler.SynchronizeFLFastLinks();
    }
    std::string Shape() const { return ::Shape(tree.GetRootNode()->GetSub()); }
};

AKDictionary OldFormWithIDs()
{
    OldDoc probe;
    probe.Load(OldForm(kAKNullNodeID, kAKNullNodeID));
    QVObjectPoolableArray const& sequences = probe.handler.GetFLSequences();
    return OldForm(sequences[0]->GetNodeOwner()->GetID(), sequences[1]->GetNodeOwner()->GetID());
}

TEST(QVOldFileFormatTest, VersionZeroTakesTheCurrentStructureAndNames)
{
    OldDoc doc;
    doc.Load(OldFormWithIDs());
    ASSERT_EQ(QVOldFileFormat::UpdateTree(&doc.tree, &doc.handler, 0), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'kick.wav'[track atomic cursor[atomic atomic]] "
                           "sequenc'Sequence'[atomic track atomic]] "
                           "foldCrs[atomic atomic] foldTmp");
    EXPECT_EQ(doc.tree.CheckAuthoChildClasses(), 0);
    EXPECT_FALSE(doc.handler.CanUndo(nullptr, nullptr));
}

TEST(QVOldFileFormatTest, StepsOneByOne)
{
    OldDoc doc;
    doc.Load(OldFormWithIDs());
    ASSERT_EQ(QVOldFileFormat::UpdateTo01_ObjectsName(&doc.tree, &doc.handler), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'kick.wav'[track'Track' atomic'Lead'] "
                           "sequenc'Sequence'[atomic'P' track'Track']] "
                           "foldCrs[cursor'Player'[atomic'Sub' atomic'Sub'] cursor'Player'[atomic'Sub' atomic'Sub'] "
                           "cursor'Player'[atomic'Sub'] cursor'Player' atomic'Free'] foldTmp");
    ASSERT_EQ(QVOldFileFormat::UpdateTo01_CursorsLinks(&doc.tree, &doc.handler), 0);
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'kick.wav'[track'Track' atomic'Lead' cursor'Player'[atomic'Sub' "
                           "atomic'Sub']] sequenc'Sequence'[atomic'P' track'Track' cursor'Player'[atomic'Sub' "
                           "atomic'Sub']]] foldCrs[cursor'Player'[atomic'Sub'] cursor'Player' atomic'Free'] foldTmp");
    ASSERT_EQ(QVOldFileFormat::UpdateTo01_CursorsDeployed(&doc.tree, &doc.handler), 0);
    // C3 (no sequence, folded) left its single player in the player folder;
    // C4 (folded, no single player) is gone; C2 in Old2 became its first sub.
    EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'kick.wav'[track'Track' atomic'Lead' cursor'Player'[atomic'Sub' "
                           "atomic'Sub']] sequenc'Sequence'[atomic'P' track'Track' atomic'Sub']] "
                           "foldCrs[atomic'Free' atomic'Sub'] foldTmp");
}

TEST(QVOldFileFormatTest, VersionOneOnlyLosesNamesAndLaterVersionsNothing)
{
    for (unsigned int version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        OldDoc doc;
        doc.Load(OldFormWithIDs());
        std::string const before = doc.Shape();
        ASSERT_EQ(QVOldFileFormat::UpdateTree(&doc.tree, &doc.handler, version), 0);
        if (version >= 2) {
            EXPECT_EQ(doc.Shape(), before);
            continue;
        }
        EXPECT_EQ(doc.Shape(), "foldSeq[sequenc'Old1'[track atomic] sequenc'Old2'[atomic track]] "
                               "foldCrs[cursor[atomic atomic] cursor[atomic atomic] cursor[atomic] cursor atomic] "
                               "foldTmp");
    }
}

TEST(QVOldFileFormatTest, IteratorStopsAtAChildWithoutObjectAndSkipsOtherKinds)
{
    OldDoc doc;
    doc.Load(OldFormWithIDs());
    ATObjectArray<QVObjectAtomic> players;
    ATObjectIterator<QVObjectAtomic>::FillWithChildren(&players, doc.handler.GetFolderCursorNode(), true);
    ASSERT_EQ(players.Count(), 1u);
    EXPECT_EQ(StoredName(players[0]), "Free");
    ATObjectIterator<QVObjectAtomic>::FillWithChildren(&players, doc.handler.GetFolderCursorNode(), false);
    EXPECT_EQ(players.Count(), 2u);
    ATObjectIterator<QVObjectAtomic> none(nullptr);
    EXPECT_EQ(none.Next(), nullptr);
}

}  // namespace
