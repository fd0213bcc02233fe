// MIDI patchers: the patches of each object class, the limits of the patch
// setters, the pasteboard, and both persistent forms with what a document
// may hold that no setter would allow.

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "LogCapture.h"
#include "MidiTestDocument.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Deleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};
using ObjectPtr = std::unique_ptr<AKObject, Deleter>;

template <class T>
ObjectPtr New()
{
    return ObjectPtr(AKNew<T>("%s", ""));
}

std::vector<unsigned char> FileFormOf(AKObject const* object)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(object, file), 0);
    return MemoryStreamBytes(file);
}

ObjectPtr ReadFileForm(std::vector<unsigned char> const& bytes)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    return ObjectPtr(AKClass::NewObjectFromFile(nullptr, file, 1));
}

// The parameter IDs of the patcher, enabled ones with a '+'.
std::string Shape(AKObject* object)
{
    QVMidiPatcher* const patcher = MidiPatcherOf(object);
    std::string text;
    for (unsigned int i = 0; i < patcher->CountPatches(); ++i) {
        QVMidiParamPatch const* const patch = patcher->GetPatch(i);
        text += std::to_string(patch->GetParamID()) + (patch->IsEnabled() ? "+ " : " ");
    }
    return text;
}

std::string Joined(LogCapture const& log)
{
    std::string text;
    for (std::string const& line : log.Lines())
        text += line;
    return text;
}

TEST(QVMidiPatcher, EachClassHasItsPatchesInOrder)
{
    EXPECT_EQ(Shape(New<QVObjectSequence>().get()), "3+ 17+ 28+ 30+ 31 26+ 27+ 36+ 37+ 10+ 11+ ");
    EXPECT_EQ(Shape(New<QVObjectAtomic>().get()), "3+ 17 28+ 30+ 31+ 26+ 27+ 19+ 21+ 10+ 11+ 8+ 9+ 23+ 24+ 25+ ");
    EXPECT_EQ(Shape(New<QVObjectCursor>().get()), "3+ 17+ 28+ 30+ 31+ 26+ 27+ 19+ 21+ 22+ 10+ 11+ 8+ 9+ 23+ 24+ 25+ ");
    EXPECT_EQ(Shape(New<QVObjectTrack>().get()), "28+ ");
    ObjectPtr const sequence = New<QVObjectSequence>();
    QVMidiPatcher* const patcher = MidiPatcherOf(sequence.get());
    EXPECT_EQ(patcher->FindParamByTemplateID(0), nullptr);
    EXPECT_EQ(patcher->FindParamByTemplateID(kQVPrmID_Speed), nullptr);
    // A new patch starts from the template's default range.
    QVMidiParamPatch const* const volume = patcher->FindParamByTemplateID(kQVPrmID_Volume);
    EXPECT_DOUBLE_EQ(volume->GetDestValueBeg(), -12.0);
    EXPECT_DOUBLE_EQ(volume->GetDestValueEnd(), 6.0);
}

TEST(QVMidiPatcher, SettersLimitTheirValuesAndMarkTheOwner)
{
    ObjectPtr const sequence = New<QVObjectSequence>();
    QVMidiPatcher* const patcher = MidiPatcherOf(sequence.get());
    QVMidiParamPatch* const call = patcher->FindParamByTemplateID(kQVPrmID_PresetCall);
    QVMidiParamPatch* const volume = patcher->FindParamByTemplateID(kQVPrmID_Volume);
    sequence->SetModified(false);
    EXPECT_TRUE(call->SetMatchMidiNumMore(20));
    EXPECT_EQ(call->GetMatchMidiNumMore(), 9u);
    EXPECT_TRUE(sequence->IsModified());
    EXPECT_FALSE(volume->SetMatchMidiNumMore(20));
    EXPECT_EQ(volume->GetMatchMidiNumMore(), 0u);
    EXPECT_TRUE(volume->SetDestValueBeg(-100));
    EXPECT_DOUBLE_EQ(volume->GetDestValueBeg(), -48.0);
    EXPECT_TRUE(volume->SetDestValueEnd(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_DOUBLE_EQ(volume->GetDestValueEnd(), -48.0);
    EXPECT_TRUE(volume->SetMatchMidiType(9));
    EXPECT_EQ(volume->GetMatchMidiType(), 6u);
    EXPECT_TRUE(volume->SetMatchMidiChannel(40));
    EXPECT_EQ(volume->GetMatchMidiChannel(), 16u);
    EXPECT_TRUE(volume->SetMatchMidiNumber(300));
    EXPECT_EQ(volume->GetMatchMidiNumber(), 127u);
    EXPECT_TRUE(volume->SetDestBehavior(9));
    EXPECT_EQ(volume->GetDestBehavior(), 4u);
    EXPECT_FALSE(volume->SetDestBehavior(4));
    EXPECT_EQ(patcher->ComputeEnabledParamCount(false), 1);
    EXPECT_TRUE(volume->SetModeLearn(true));
    EXPECT_TRUE(patcher->ClearAllParams());
    EXPECT_FALSE(volume->IsModeLearn());
    EXPECT_EQ(patcher->ComputeEnabledParamCount(false), 0);
    EXPECT_FALSE(patcher->ClearAllParams());
}

TEST(QVMidiPatcher, PastingASinglePlayerIntoASequence)
{
    ObjectPtr const player = New<QVObjectAtomic>();
    ObjectPtr const sequence = New<QVObjectSequence>();
    uint32_t const shared[] = {kQVPrmID_Play, kQVPrmID_Volume,  kQVPrmID_Panora, kQVPrmID_Mute,
                               kQVPrmID_Solo, kQVPrmID_ToBegin, kQVPrmID_ToEnd};
    for (uint32_t id : shared)
        MidiMap(player.get(), id, kQVMidiMessageType_Controller, 2, id);
    MidiMap(player.get(), kQVPrmID_Fadio, kQVMidiMessageType_Controller, 2, 31);
    for (uint32_t id : {kQVPrmID_Span, kQVPrmID_Fadio, kQVPrmID_PresetCall, kQVPrmID_PresetDur})
        MidiMap(sequence.get(), id, kQVMidiMessageType_Note, 1, 50);
    QVMidiPatcher::ClearPasteboard();
    EXPECT_FALSE(MidiPatcherOf(sequence.get())->PastePatcherFromPasteboard());
    MidiPatcherOf(player.get())->CopyPatcherToPasteboard();
    ASSERT_TRUE(QVMidiPatcher::HasPasteboard());
    EXPECT_TRUE(MidiPatcherOf(sequence.get())->PastePatcherFromPasteboard());
    QVMidiPatcher* const patcher = MidiPatcherOf(sequence.get());
    for (uint32_t id : shared) {
        QVMidiParamPatch const* const patch = patcher->FindParamByTemplateID(id);
        EXPECT_EQ(patch->GetMatchMidiNumber(), id);
        EXPECT_EQ(patch->GetPatcher(), patcher);
    }
    for (uint32_t id : {kQVPrmID_Span, kQVPrmID_Fadio, kQVPrmID_PresetCall, kQVPrmID_PresetDur})
        EXPECT_FALSE(patcher->FindParamByTemplateID(id)->IsMapped()) << id;
    QVMidiPatcher::ClearPasteboard();
}

TEST(QVMidiPatcher, MappingsRoundTripThroughBothForms)
{
    ObjectPtr const sequence = New<QVObjectSequence>();
    // Nothing mapped: no chunk and no key.
    std::vector<unsigned char> const plain = FileFormOf(sequence.get());
    AKDictionary plainForm;
    ASSERT_EQ(sequence->akmWriteToDictionary(plainForm), 0);
    EXPECT_FALSE(plainForm.ContainsKey("MidiPatcher"));

    MidiMap(sequence.get(), kQVPrmID_Volume, kQVMidiMessageType_Controller, 0, 7);
    QVMidiParamPatch* const call = MidiMap(sequence.get(), kQVPrmID_PresetCall, kQVMidiMessageType_Note, 3, 60, 1);
    call->SetMatchMidiNumMore(9);
    QVMidiParamPatch* const duration = MidiMap(sequence.get(), kQVPrmID_PresetDur, kQVMidiMessageType_Controller, 0, 9);
    duration->SetDestValueEnd(4.5);
    std::vector<unsigned char> const bytes = FileFormOf(sequence.get());
    EXPECT_EQ(bytes.size(), plain.size() + 8 + 4 + 3 * kQVMidiPatchFileSize);
    ObjectPtr const copy = ReadFileForm(bytes);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(FileFormOf(copy.get()), bytes);
    QVMidiParamPatch const* const read = MidiPatcherOf(copy.get())->FindParamByTemplateID(kQVPrmID_PresetCall);
    EXPECT_TRUE(read->IsEqual(*call));
    EXPECT_EQ(read->GetDestBehavior(), 1u);

    AKDictionary form;
    ASSERT_EQ(sequence->akmWriteToDictionary(form), 0);
    AKValueArray const& elements = AKValueGetasAKValueArray(form.GetValue("MidiPatcher"));
    ASSERT_EQ(elements.Count(), 3u);
    AKDictionary const& first = AKValueGetasAKDictionary(elements[0]);
    EXPECT_STREQ(AKValueGetasAKString(first.GetValue("ID")).c_str(), "Volume");
    EXPECT_STREQ(AKValueGetasAKString(first.GetValue("MidiType")).c_str(), "Controller");
    EXPECT_EQ(AKValueGetasUInt(first.GetValue("MidiChannel"), false), 0u);
    EXPECT_STREQ(AKValueGetasAKString(AKValueGetasAKDictionary(elements[2]).GetValue("ID")).c_str(), "Duration");
    ObjectPtr const other = New<QVObjectSequence>();
    ASSERT_EQ(other->akmInitFromDictionary(form), 0);
    AKDictionary again;
    ASSERT_EQ(other->akmWriteToDictionary(again), 0);
    EXPECT_TRUE(AKValueGetasAKValueArray(again.GetValue("MidiPatcher")) == elements);
}

AKDictionary Element(std::initializer_list<std::pair<char const*, AKValue>> keys)
{
    AKDictionary element;
    for (auto const& key : keys)
        element.SetValue(key.first, key.second);
    return element;
}

TEST(QVMidiPatcher, ValuesReadFromADictionaryAreLimitedAndUnknownOnesDropped)
{
    AKValueArray elements;
    elements.Push(AKValueSetasAKDictionary(Element({
        {"ID", AKValueSetasAKString(AKString("PresetCall"))},
        {"MidiType", AKValueSetasAKString(AKString("Note"))},
        {"MidiChannel", AKValueSetasUInt(999)},
        {"MidiNumber", AKValueSetasUInt(5000)},
        {"MidiNumMore", AKValueSetasUInt(50)},
        {"Behavior", AKValueSetasAKString(AKString("Sideways"))},
    })));
    elements.Push(AKValueSetasAKDictionary(Element({
        {"ID", AKValueSetasAKString(AKString("Volume"))},
        {"MidiType", AKValueSetasAKString(AKString("Controller"))},
        {"ValueBeg", AKValueSetasFloat64(-1e9)},
        {"ValueEnd", AKValueSetasFloat64(1e9)},
        {"MidiChannel", AKValueSetasSInt(-3)},
    })));
    elements.Push(AKValueSetasAKDictionary(Element({{"ID", AKValueSetasAKString(AKString("Gain"))}})));
    elements.Push(AKValueSetasAKDictionary(Element({{"MidiNumber", AKValueSetasUInt(4)}})));
    elements.Push(AKValueSetasUInt(12));  // not a dictionary: skipped silently
    AKDictionary form;
    form.SetValue("MidiPatcher", AKValueSetasAKValueArray(elements));

    LogCapture log;
    ObjectPtr const sequence = New<QVObjectSequence>();
    ASSERT_EQ(sequence->akmInitFromDictionary(form), 0);
    std::string const text = Joined(log);
    EXPECT_NE(text.find("Unknown Midi Parameter 29"), std::string::npos) << text;
    EXPECT_NE(text.find("Unknown Midi Parameter 0"), std::string::npos) << text;
    QVMidiPatcher* const patcher = MidiPatcherOf(sequence.get());
    QVMidiParamPatch const* const call = patcher->FindParamByTemplateID(kQVPrmID_PresetCall);
    EXPECT_EQ(call->GetMatchMidiType(), uint32_t(kQVMidiMessageType_Note));
    EXPECT_EQ(call->GetMatchMidiChannel(), 16u);
    EXPECT_EQ(call->GetMatchMidiNumber(), 127u);
    EXPECT_EQ(call->GetMatchMidiNumMore(), 9u);
    EXPECT_EQ(call->GetDestBehavior(), 0u);
    QVMidiParamPatch const* const volume = patcher->FindParamByTemplateID(kQVPrmID_Volume);
    EXPECT_EQ(volume->GetMatchMidiChannel(), 0u);
    EXPECT_DOUBLE_EQ(volume->GetDestValueBeg(), -48.0);
    EXPECT_DOUBLE_EQ(volume->GetDestValueEnd(), 12.0);
    EXPECT_EQ(patcher->ComputeEnabledParamCount(false), 2);
}

// The object's file form with its 'MIDI' chunk overwritten in place: the
// count, then each patch as its eight fields (as many patches as the
// object has mapped, so the form keeps its size).
std::vector<unsigned char> Overwritten(std::vector<unsigned char> bytes, uint32_t count,
                                       std::vector<std::vector<double>> const& patches)
{
    size_t at = 0;
    while (at + 4 <= bytes.size() && std::memcmp(&bytes[at], "MIDI", 4) != 0)
        ++at;
    EXPECT_LT(at + 4, bytes.size());
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    AKFileWriteUInt32(file, count);
    for (std::vector<double> const& patch : patches) {
        for (int i = 0; i < 6; ++i)
            AKFileWriteUInt32(file, uint32_t(patch[i]));
        AKFileWriteFloat64(file, patch[6]);
        AKFileWriteFloat64(file, patch[7]);
    }
    unsigned long long end = 0;
    file.GetPos(&end);
    std::vector<unsigned char> payload(end);
    file.SetPos(0);
    file.Read(payload.data(), end);
    std::copy(payload.begin(), payload.end(), bytes.begin() + long(at + 8));
    return bytes;
}

TEST(QVMidiPatcher, TheBinaryChunkIsLimitedAndItsCountChecked)
{
    ObjectPtr const player = New<QVObjectAtomic>();
    MidiMap(player.get(), kQVPrmID_Volume, kQVMidiMessageType_Controller, 0, 7);
    MidiMap(player.get(), kQVPrmID_Mute, kQVMidiMessageType_Controller, 0, 8);
    std::vector<unsigned char> const mapped = FileFormOf(player.get());
    // A large type and behaviour would index past the word tables.
    ObjectPtr const read =
        ReadFileForm(Overwritten(mapped, 2, {{28, 200, 99, 1000, 7, 77, -500, 500}, {36, 1, 0, 60, 0, 0, 0, 0}}));
    ASSERT_NE(read, nullptr);
    QVMidiParamPatch const* const volume = MidiPatcherOf(read.get())->FindParamByTemplateID(kQVPrmID_Volume);
    EXPECT_EQ(volume->GetMatchMidiType(), 6u);
    EXPECT_EQ(volume->GetMatchMidiChannel(), 16u);
    EXPECT_EQ(volume->GetMatchMidiNumber(), 127u);
    EXPECT_EQ(volume->GetMatchMidiNumMore(), 0u);
    EXPECT_EQ(volume->GetDestBehavior(), 4u);
    EXPECT_DOUBLE_EQ(volume->GetDestValueBeg(), -48.0);
    EXPECT_DOUBLE_EQ(volume->GetDestValueEnd(), 12.0);
    AKDictionary form;
    ASSERT_EQ(read->akmWriteToDictionary(form), 0);
    AKValueArray const& elements = AKValueGetasAKValueArray(form.GetValue("MidiPatcher"));
    ASSERT_EQ(elements.Count(), 1u);  // the preset call has no patch on a single player
    EXPECT_STREQ(AKValueGetasAKString(AKValueGetasAKDictionary(elements[0]).GetValue("Behavior")).c_str(),
                 "BackAndRepeat");

    // Counts that the chunk cannot hold are refused before anything is read.
    LogCapture log;
    EXPECT_EQ(ReadFileForm(Overwritten(mapped, 0xFFFFFFFF, {})), nullptr);
    EXPECT_EQ(ReadFileForm(Overwritten(mapped, 3, {})), nullptr);
    // Fewer patches than the chunk holds: the rest is stepped over.
    ObjectPtr const fewer = ReadFileForm(Overwritten(mapped, 1, {}));
    ASSERT_NE(fewer, nullptr);
    EXPECT_EQ(MidiPatcherOf(fewer.get())->ComputeEnabledParamCount(true), 1);
}

TEST(QVMidiPatcher, ReinitialisingWithoutRestoreKeepsThePatches)
{
    ObjectPtr const track = New<QVObjectTrack>();
    MidiMap(track.get(), kQVPrmID_Volume, kQVMidiMessageType_Controller, 0, 7);
    std::vector<unsigned char> const bytes = FileFormOf(track.get());
    ObjectPtr const other = New<QVObjectTrack>();
    MidiMap(other.get(), kQVPrmID_Volume, kQVMidiMessageType_Note, 0, 40);
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    ASSERT_EQ(AKClass::ReinitObjectFromFile(other.get(), file), 0);
    EXPECT_EQ(MidiPatcherOf(other.get())->FindParamByTemplateID(kQVPrmID_Volume)->GetMatchMidiNumber(), 40u);
    unsigned long long position = 0;
    file.GetPos(&position);
    EXPECT_EQ(position, bytes.size());
}

}  // namespace
