// The presets block of a sequence: saving, clearing and recalling presets,
// the glide the audio thread steps through, both stored forms, links to the
// players and renumbering.

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKTreeRenum.h"
#include "AKTreeSel.h"
#include "AllocationProbe.h"
#include "QVPresetsBlock.h"
#include "SequenceTestFixtures.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

AKDictionary SequenceOf(std::vector<AKDictionary> const& children)
{
    AKDictionary sequence = SeqNode("sequenc", nullptr);
    AKValueArray array;
    for (AKDictionary const& child : children)
        array.Push(AKValueSetasAKDictionary(child));
    sequence.SetValue("Subs", AKValueSetasAKValueArray(array));
    return sequence;
}

AKDictionary CursorWithOneSub()
{
    AKDictionary cursor = SeqNode("cursor", nullptr);
    AKValueArray array;
    array.Push(AKValueSetasAKDictionary(SeqNode("atomic", nullptr)));
    cursor.SetValue("Subs", AKValueSetasAKValueArray(array));
    return cursor;
}

// A sequence of two single players and a multi-player with one sub.
struct PresetsFixture : ::testing::Test {
    SeqDoc doc;
    QVObjectSequence* sequence = nullptr;
    QVObjectPlayable* first = nullptr;
    QVObjectPlayable* second = nullptr;
    QVObjectPlayable* cursor = nullptr;

    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        ASSERT_TRUE(doc.Load(
            SeqDocument({SequenceOf({SeqNode("atomic", nullptr), SeqNode("atomic", nullptr), CursorWithOneSub()})})));
        sequence = doc.Sequence(0);
        first = sequence->GetFLSubPlayers()[0];
        second = sequence->GetFLSubPlayers()[1];
        cursor = sequence->GetFLSubPlayers()[2];
    }
    QVPresetsBlock& Block() { return sequence->GetPresetsBlock(); }

    // Saves preset n with these settings of the first player and of the
    // multi-player, then puts both back to other values.
    void SavePreset(unsigned int n)
    {
        first->SetUserVolume(-12.0);
        first->SetUserPanora(0.5);
        first->LowSetUserTimeAndSpan(7.0, 0.0, false);
        cursor->SetUserSpeedSubx(2.0);
        cursor->SetUserFadio(0.25);
        ASSERT_TRUE(Block().DoPresetSave(n));
        first->SetUserVolume(0.0);
        first->SetUserPanora(-0.5);
        first->LowSetUserTimeAndSpan(1.0, 0.0, false);
        cursor->SetUserSpeedSubx(1.0);
        cursor->SetUserFadio(1.0);
    }
};

TEST_F(PresetsFixture, SaveAndClearKeepTenPresetsAndMoveTheChangeStamp)
{
    EXPECT_FALSE(Block().HasSomePreset());
    unsigned int const stamp = Block().GetChangeStamp();
    EXPECT_FALSE(Block().DoPresetSave(10));
    SavePreset(3);
    EXPECT_TRUE(Block().IsPresetExists(3));
    EXPECT_FALSE(Block().IsPresetExists(10));
    EXPECT_NE(Block().GetChangeStamp(), stamp);
    // One entry per playable of the sequence, in its order.
    QVPresetPlayableArray const preset = Block().GetPreset(3);
    ASSERT_EQ(preset.Count(), sequence->GetFLAllPlayables().Count());
    for (unsigned int i = 0; i < preset.Count(); ++i)
        EXPECT_EQ(preset[i].ID, sequence->GetFLAllPlayables()[i]->GetID());
    EXPECT_EQ(preset[1].volume, -12.0);

    unsigned int const saved = Block().GetChangeStamp();
    EXPECT_TRUE(Block().DoPresetSave(3));
    EXPECT_EQ(Block().GetChangeStamp(), saved) << "replacing a preset does not change which presets exist";
    EXPECT_FALSE(Block().DoPresetClear(4));
    EXPECT_TRUE(Block().DoPresetClear(3));
    EXPECT_NE(Block().GetChangeStamp(), saved);
    EXPECT_FALSE(Block().HasSomePreset());
}

TEST_F(PresetsFixture, RecallRefusalsAndImmediateRecall)
{
    bool already = true;
    EXPECT_FALSE(Block().DoPresetRecall(10, &already));
    EXPECT_FALSE(already);
    EXPECT_FALSE(Block().DoPresetRecall(2, &already)) << "empty preset";
    SavePreset(2);

    // A duration within 0.01 s of 0 applies everything at once.
    ASSERT_TRUE(Block().SetRecallDuration(0.005));
    EXPECT_TRUE(Block().DoPresetRecall(2, &already));
    EXPECT_FALSE(already);
    EXPECT_EQ(Block().GetRecallIndex(), -1);
    EXPECT_EQ(first->GetUserVolume(), -12.0);
    EXPECT_EQ(first->GetUserPanora(), 0.5);
    EXPECT_EQ(first->GetUserTime(), 7.0);
    EXPECT_EQ(cursor->GetUserSpeedSubx(), 2.0);
    EXPECT_EQ(cursor->GetUserFadio(), 0.25);

    // Every player already there: no recall, and the caller is told.
    Block().SetRecallDuration(1.0);
    EXPECT_FALSE(Block().DoPresetRecall(2, &already));
    EXPECT_TRUE(already);
    EXPECT_EQ(Block().GetRecallIndex(), -1);

    // A preset being recalled can be neither saved nor cleared.
    first->SetUserVolume(0.0);
    EXPECT_TRUE(Block().DoPresetRecall(2, &already));
    EXPECT_EQ(Block().GetRecallIndex(), 2);
    EXPECT_FALSE(Block().DoPresetSave(2));
    EXPECT_FALSE(Block().DoPresetClear(2));
    EXPECT_TRUE(Block().DoPresetSave(5));
    EXPECT_TRUE(Block().DoPresetRecallingStop());
    EXPECT_FALSE(Block().DoPresetRecallingStop());
    EXPECT_EQ(first->GetUserVolume(), 0.0) << "stopped before any block ran";
}

TEST_F(PresetsFixture, DurationIsLimited)
{
    double const max = QVPrefs::sShared.GetPresetRecallMaxDuration();
    EXPECT_EQ(Block().GetRecallDuration(), QVPrefs::sShared.GetPresetRecallDefaultDuration());
    EXPECT_TRUE(Block().SetRecallDuration(max + 5.0));
    EXPECT_EQ(Block().GetRecallDuration(), max);
    EXPECT_TRUE(Block().SetRecallDuration(-1.0));
    EXPECT_EQ(Block().GetRecallDuration(), 0.0);
    EXPECT_FALSE(Block().SetRecallDuration(0.0));
}

// The glide: linear, no more often than the minimum period, on the
// preset's exact values in the block after progress reaches 1, a stopped
// player's time at once, a playing player's time left alone, and no
// allocation on the block side.
TEST_F(PresetsFixture, GlideStepsNoFasterThanThePeriodAndEndsOnTheTargets)
{
    QVPrefs::sShared.SetPresetSchedulMinPeriod(0.05);
    SavePreset(0);
    second->SetUserVolume(-6.0);
    ASSERT_TRUE(Block().DoPresetSave(1));
    second->SetUserVolume(0.0);
    second->SetUserPlay(1);
    second->LowSetUserTimeAndSpan(3.0, 0.0, false);
    // The second player plays: its recall moves only its level.
    Block().SetRecallDuration(2.0);
    ASSERT_TRUE(Block().DoPresetRecall(0, nullptr));
    ASSERT_EQ(Block().GetRecallIndex(), 0);

    double const dt = 0.01;
    std::vector<int> changeBlocks;
    std::vector<double> volumes;
    changeBlocks.reserve(400);
    volumes.reserve(400);
    double lastVolume = first->GetUserVolume();
    int block = 0;
    {
        AllocationProbe probe;
        for (; block < 400 && Block().GetRecallIndex() >= 0; ++block) {
            Block().DoSchedul(dt);
            if (block == 0) {
                EXPECT_EQ(first->GetUserTime(), 7.0) << "a stopped player's time jumps at the start";
            }
            if (first->GetUserVolume() != lastVolume) {
                lastVolume = first->GetUserVolume();
                changeBlocks.push_back(block);
                volumes.push_back(lastVolume);
            }
        }
        EXPECT_EQ(AllocationProbe::Count(), 0u);
    }
    // 200 blocks of progress, then the block that applies the targets.
    EXPECT_EQ(block, 201);
    EXPECT_EQ(first->GetUserVolume(), -12.0);
    EXPECT_EQ(first->GetUserPanora(), 0.5);
    EXPECT_EQ(cursor->GetUserSpeedSubx(), 2.0);
    EXPECT_EQ(cursor->GetUserFadio(), 0.25);
    EXPECT_EQ(second->GetUserTime(), 3.0);
    EXPECT_EQ(second->GetUserVolume(), 0.0) << "preset 0 holds the second player at 0 dB";

    ASSERT_GE(changeBlocks.size(), 30u);
    // Steps at least 5 blocks apart, except the last one that lands on the targets.
    for (size_t i = 1; i + 1 < changeBlocks.size(); ++i)
        EXPECT_GE(changeBlocks[i] - changeBlocks[i - 1], 5) << i;
    EXPECT_EQ(changeBlocks.back(), 200);
    // Linear: each step sits on the line from 0 dB to -12 dB.
    for (size_t i = 0; i + 1 < changeBlocks.size(); ++i)
        EXPECT_NEAR(volumes[i], -12.0 * changeBlocks[i] * dt / 2.0, 1e-9) << i;
    // Nothing runs afterwards.
    first->SetUserVolume(-3.0);
    Block().DoSchedul(dt);
    EXPECT_EQ(first->GetUserVolume(), -3.0);
}

TEST_F(PresetsFixture, RecallingAgainRestartsAndStoppingTheSequenceEndsTheRecall)
{
    SavePreset(0);
    Block().SetRecallDuration(1.0);
    ASSERT_TRUE(Block().DoPresetRecall(0, nullptr));
    for (int i = 0; i < 60; ++i)
        Block().DoSchedul(0.01);
    double const halfway = first->GetUserVolume();
    EXPECT_LT(halfway, -5.0);
    // The same glide from the same start values: back near 0 dB.
    ASSERT_TRUE(Block().DoPresetRecall(0, nullptr));
    Block().DoSchedul(0.01);
    EXPECT_EQ(first->GetUserVolume(), 0.0);
    EXPECT_EQ(Block().GetRecallIndex(), 0);

    sequence->SetUserPlay(0);
    EXPECT_EQ(Block().GetRecallIndex(), -1);
    for (int i = 0; i < 10; ++i)
        Block().DoSchedul(0.01);
    EXPECT_EQ(first->GetUserVolume(), 0.0);
}

TEST_F(PresetsFixture, EntryOfADeletedPlayerIsIgnoredAndNotWritten)
{
    SavePreset(0);
    AKNodeID const id = first->GetID();
    AKTreeSel selection(&doc.tree);
    selection.InitWithNodeID(id);
    ASSERT_EQ(doc.tree.DoTreeSelDelete(selection), 0);
    SeqChildrenChanged(sequence);
    doc.sequences->RaiseStamp(kAKObjectStampFarSubLinks);
    doc.Synchronize();

    bool already = false;
    Block().SetRecallDuration(0.0);
    EXPECT_TRUE(Block().DoPresetRecall(0, &already));
    EXPECT_EQ(cursor->GetUserSpeedSubx(), 2.0);
    AKDictionary written;
    ASSERT_EQ(Block().WriteToDictionary(written), 0);
    AKValueArray const& entries = AKValueGetasAKValueArray(written.GetValue("Presets"));
    EXPECT_EQ(entries.Count(), sequence->GetFLAllPlayables().Count());
    for (AKValue const& entry : entries)
        EXPECT_NE(AKValueGetasAKNodeID(AKValueGetasAKDictionary(entry).GetValue("ID")), id);
}

std::vector<unsigned char> Bytes(AKFile& file) { return MemoryStreamBytes(file); }

TEST_F(PresetsFixture, DocumentFormsRoundTripTheSameBytes)
{
    SavePreset(0);
    SavePreset(9);
    Block().SetRecallDuration(3.5);
    AKDictionary firstForm;
    ASSERT_EQ(doc.tree.WriteToDictionary(&firstForm), 0);
    SeqDoc again;
    ASSERT_TRUE(again.Load(firstForm));
    QVPresetsBlock& read = again.Sequence(0)->GetPresetsBlock();
    EXPECT_EQ(read.GetRecallDuration(), 3.5);
    ASSERT_EQ(read.GetPreset(9).Count(), Block().GetPreset(9).Count());
    EXPECT_EQ(read.GetPreset(9)[1].volume, -12.0);
    EXPECT_NE(read.GetPreset(9)[1].link, nullptr) << "entries link to the players read";
    AKDictionary secondForm;
    ASSERT_EQ(again.tree.WriteToDictionary(&secondForm), 0);
    EXPECT_EQ(firstForm, secondForm);

    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(doc.tree.WriteToBinFile(file), 0);
    std::vector<unsigned char> const bytes = Bytes(file);
    ASSERT_EQ(file.SetPos(0), 0);
    AKTree loaded(0);
    ASSERT_EQ(loaded.InitFromBinFile(file, nullptr), 0);
    auto* sequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(loaded);
    ASSERT_NE(sequences, nullptr);
    sequences->SynchronizeFLFastLinks();
    auto* binary = static_cast<QVObjectSequence*>(sequences->GetFLSubSequences()[0]);
    EXPECT_EQ(binary->GetPresetsBlock().GetPreset(0).Count(), Block().GetPreset(0).Count());
    EXPECT_EQ(binary->GetPresetsBlock().GetRecallDuration(), 3.5);
    AKFile twice(kAKFileModeMemoryStream);
    ASSERT_EQ(twice.CreateForReadWrite(), 0);
    ASSERT_EQ(loaded.WriteToBinFile(twice), 0);
    EXPECT_EQ(Bytes(twice), bytes);
}

TEST_F(PresetsFixture, DictionaryReadingDropsElementsWithoutAValidPresetNumber)
{
    AKNodeID const id = first->GetID();
    auto element = [&](std::initializer_list<std::pair<char const*, AKValue>> keys) {
        AKDictionary dictionary;
        for (auto const& key : keys)
            dictionary.SetValue(key.first, key.second);
        return AKValueSetasAKDictionary(dictionary);
    };
    AKValueArray elements;
    elements.Push(element({{"ID", AKValueSetasAKNodeID(id)}, {"Volume", AKValueSetasFloat64(-6.0)}}));
    elements.Push(element({{"Block", AKValueSetasUInt(10)}, {"ID", AKValueSetasAKNodeID(id)}}));
    elements.Push(element({}));
    // Older names for wow and subx are read when the present ones are missing.
    elements.Push(element({{"Block", AKValueSetasUInt(4)},
                           {"ID", AKValueSetasAKNodeID(id)},
                           {"Wow", AKValueSetasFloat64(0.25)},
                           {"Subx", AKValueSetasFloat64(3.0)}}));
    AKDictionary form;
    form.SetValue("PresetDur", AKValueSetasFloat64(1000.0));
    form.SetValue("Presets", AKValueSetasAKValueArray(elements));
    ASSERT_EQ(Block().InitFromDictionary(form), 0);
    EXPECT_EQ(Block().GetRecallDuration(), QVPrefs::sShared.GetPresetRecallMaxDuration());
    for (unsigned int n = 0; n < kQVPresetCount; ++n)
        EXPECT_EQ(Block().IsPresetExists(n), n == 4) << n;
    QVPresetPlayableArray const preset = Block().GetPreset(4);
    ASSERT_EQ(preset.Count(), 1u);
    EXPECT_EQ(preset[0].wow, 0.25);
    EXPECT_EQ(preset[0].subx, 3.0);
    EXPECT_EQ(preset[0].speed, 0.0) << "a missing real keeps the null entry's value";
    EXPECT_EQ(preset[0].link, first);
}

// The block's chunk alone: duration, 'PRSB', size, count, entries.
TEST_F(PresetsFixture, BinaryChunkCountsTheWrittenEntriesAndRefusesACorruptCount)
{
    SavePreset(1);
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(Block().WriteToFile(file), 0);
    std::vector<unsigned char> bytes = Bytes(file);
    unsigned int const entries = sequence->GetFLAllPlayables().Count();
    // Each entry: preset number, ID and eight doubles.
    ASSERT_EQ(bytes.size(), 8u + 8u + 4u + 72u * entries);

    // Read with the flag 0: skipped whole.
    ASSERT_EQ(file.SetPos(0), 0);
    ASSERT_EQ(Block().InitFromFile(file, 0), 0);
    unsigned long long position = 0;
    file.GetPos(&position);
    EXPECT_EQ(position, bytes.size());
    EXPECT_TRUE(Block().IsPresetExists(1));

    // A count beyond what the chunk holds is refused before anything is read.
    for (unsigned int const count : {entries + 1, 0xFFFFFFFFu, 0x038E38E4u}) {
        std::vector<unsigned char> corrupt = bytes;
        AKFile patched(kAKFileModeMemoryStream);
        ASSERT_EQ(patched.CreateForReadWrite(), 0);
        ASSERT_EQ(patched.Write(corrupt.data(), corrupt.size()), 0);
        ASSERT_EQ(patched.SetPos(16), 0);
        ASSERT_EQ(AKFileWriteUInt32(patched, count), 0);
        ASSERT_EQ(patched.SetPos(0), 0);
        EXPECT_NE(Block().InitFromFile(patched, 1), 0) << count;
        EXPECT_TRUE(Block().IsPresetExists(1)) << "the presets held are kept";
    }
}

TEST_F(PresetsFixture, RenumberingMapsTheStoredIDs)
{
    SavePreset(0);
    AKNodeIDArray oldIDs;
    for (QVObjectPlayable const* playable : sequence->GetFLAllPlayables())
        oldIDs.Push(playable->GetID());
    AKTreeRenum renum;
    renum.Setup(oldIDs, false, 500);
    ASSERT_EQ(sequence->akmRenumberExtraNodeIDs(renum), 0);
    QVPresetPlayableArray const preset = Block().GetPreset(0);
    for (unsigned int i = 0; i < preset.Count(); ++i) {
        AKNodeID expected = oldIDs[i];
        renum.MatchID(&expected, true);
        EXPECT_EQ(preset[i].ID, expected) << i;
        EXPECT_GE(preset[i].ID, 500);
    }
}

}  // namespace
