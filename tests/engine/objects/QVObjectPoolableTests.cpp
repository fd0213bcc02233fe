// The poolable base: attribute setters with their limits and stamps, the
// colour and starter tables, and both persistent forms with the older key.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "ObjectModelTestClasses.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ObjectModelEnvironment());

struct Deleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};
using PoolablePtr = std::unique_ptr<TestPoolable, Deleter>;

PoolablePtr NewPoolable() { return PoolablePtr(AKNew<TestPoolable>("%s", "")); }

std::vector<unsigned char> BytesOf(AKFile& file) { return MemoryStreamBytes(file); }

// Writes the object in its file form into a fresh memory stream.
std::vector<unsigned char> FileFormOf(AKObject const* object)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(object, file), 0);
    return BytesOf(file);
}

AKObject* ReadFileForm(std::vector<unsigned char> const& bytes, unsigned int how)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    return AKClass::NewObjectFromFile(nullptr, file, how);
}

TEST(QVObjectPoolable, SettersLimitAndStampOnlyRealChanges)
{
    PoolablePtr object = NewPoolable();
    ASSERT_NE(object, nullptr);
    unsigned int stamp = object->GetUIStamp();

    EXPECT_TRUE(object->SetUserUIStarterKey(30));
    EXPECT_EQ(object->GetUIStarterKey(), 26u);
    EXPECT_FALSE(object->SetUserUIStarterKey(27));  // also 26
    EXPECT_TRUE(object->SetUserUIStarterBehavior(9));
    EXPECT_EQ(object->GetUIStarterBehavior(), 4u);
    EXPECT_TRUE(object->SetUserUIColorLabel(12));
    EXPECT_EQ(object->GetUIColorLabel(), 8u);
    EXPECT_EQ(object->GetUIStamp(), stamp + 3);
    EXPECT_TRUE(object->IsModified());

    // Key 0 also clears the behaviour; a second reset changes nothing.
    EXPECT_TRUE(object->SetUserUIStarterKey(0));
    EXPECT_EQ(object->GetUIStarterBehavior(), 0u);
    stamp = object->GetUIStamp();
    EXPECT_FALSE(object->ResetUserUIStarterKey());
    EXPECT_EQ(object->GetUIStamp(), stamp);

    // A behaviour left without a key is still reset.
    EXPECT_TRUE(object->SetUserUIStarterBehavior(2));
    EXPECT_TRUE(object->ResetUserUIStarterKey());
    EXPECT_EQ(object->GetUIStarterBehavior(), 0u);
}

TEST(QVObjectPoolable, OpenedFlagNeitherStampsNorModifies)
{
    PoolablePtr object = NewPoolable();
    EXPECT_FALSE(object->IsUIOpened());
    object->SetModified(false);
    unsigned int const stamp = object->GetUIStamp();
    EXPECT_TRUE(object->SetUserUIOpened(true));
    EXPECT_FALSE(object->SetUserUIOpened(true));
    EXPECT_EQ(object->GetUIStamp(), stamp);
    EXPECT_FALSE(object->IsModified());
}

TEST(QVObjectPoolable, ColourAndStarterTables)
{
    struct ColourCase {
        unsigned int index;
        unsigned int colour;
        char const* name;
    };
    for (ColourCase const& c :
         {ColourCase{0, 0xFFFFFFFFu, "None"}, ColourCase{1, 0xFF0000FFu, "Red"}, ColourCase{3, 0xFFFF0000u, "Blue"},
          ColourCase{8, 0xFF0080FFu, "Brown"}, ColourCase{12, 0xFFFFFFFFu, "None"}}) {
        AKString name;
        EXPECT_EQ(QVObjectGetUIColorLabel(c.index, &name), c.colour) << c.index;
        EXPECT_EQ(name, AKString(c.name)) << c.index;
    }
    EXPECT_EQ(QVObjectGetUIColorLabel(2, nullptr), 0xFF00FF00u);

    struct KeyCase {
        unsigned int key;
        char const* name;
    };
    for (KeyCase const& c : {KeyCase{0, " "}, KeyCase{1, "A"}, KeyCase{26, "Z"}, KeyCase{27, ""}}) {
        AKString name("x");
        QVObjectGetUIStarterKeyName(c.key, &name);
        EXPECT_EQ(name, AKString(c.name)) << c.key;
    }
    QVObjectGetUIStarterKeyName(1, nullptr);
}

TEST(QVObjectPoolable, DictionaryFormReadsTheOlderRepeatKeyAndWritesTheWord)
{
    struct Case {
        char const* behaviorWord;  // null: key absent
        int repeat;                // -1: key absent
        unsigned int expected;
    };
    for (Case const& c : {Case{nullptr, 1, 4}, Case{nullptr, 0, 0}, Case{"ToggleAndBack", 1, 3},
                          Case{"NoSuchWord", -1, 0}, Case{nullptr, -1, 2}}) {
        PoolablePtr object = NewPoolable();
        object->SetUserUIStarterBehavior(2);  // kept when both keys are missing
        AKDictionary dictionary;
        if (c.behaviorWord != nullptr)
            dictionary.SetValue("UIStarterBehavior", AKValueSetasAKString(AKString(c.behaviorWord)));
        if (c.repeat >= 0)
            dictionary.SetValue("UIStarterRepeat", AKValueSetasBool(c.repeat != 0));
        ASSERT_EQ(object->akmInitFromDictionary(dictionary), 0);
        EXPECT_EQ(object->GetUIStarterBehavior(), c.expected);
    }

    PoolablePtr object = NewPoolable();
    AKDictionary older;
    older.SetValue("UIOpened", AKValueSetasBool(true));
    older.SetValue("UIStarterKey", AKValueSetasUInt(5));
    older.SetValue("UIStarterRepeat", AKValueSetasBool(true));
    older.SetValue("UIColorIndex", AKValueSetasUInt(40));  // not limited when read
    ASSERT_EQ(object->akmInitFromDictionary(older), 0);
    EXPECT_TRUE(object->IsUIOpened());
    EXPECT_EQ(object->GetUIStarterKey(), 5u);
    EXPECT_EQ(object->GetUIColorLabel(), 40u);

    AKDictionary written;
    ASSERT_EQ(object->akmWriteToDictionary(written), 0);
    EXPECT_EQ(AKValueGetasAKString(written.GetValue("UIStarterBehavior")), AKString("BackAndRepeat"));
    EXPECT_FALSE(written.ContainsKey("UIStarterRepeat"));
    EXPECT_TRUE(AKValueGetasBool(written.GetValue("UIOpened"), false));
    EXPECT_EQ(AKValueGetasUInt(written.GetValue("UIColorIndex"), false), 40u);
}

TEST(QVObjectPoolable, DictionaryFormKeepsTheMidiMappings)
{
    AKValueArray patches;
    AKDictionary patch;
    patch.SetValue("ID", AKValueSetasAKString(AKString("Play")));
    patches.Push(AKValueSetasAKDictionary(patch));
    AKDictionary dictionary;
    dictionary.SetValue("MidiPatcher", AKValueSetasAKValueArray(patches));
    PoolablePtr object = NewPoolable();
    ASSERT_EQ(object->akmInitFromDictionary(dictionary), 0);
    AKDictionary written;
    ASSERT_EQ(object->akmWriteToDictionary(written), 0);
    EXPECT_EQ(AKValueGetasAKValueArray(written.GetValue("MidiPatcher")).Count(), 1u);

    PoolablePtr plain = NewPoolable();
    AKDictionary none;
    ASSERT_EQ(plain->akmWriteToDictionary(none), 0);
    EXPECT_FALSE(none.ContainsKey("MidiPatcher"));
}

TEST(QVObjectPoolable, FileFormRoundTripsAndReinitialisesAttributesInPlace)
{
    PoolablePtr object = NewPoolable();
    object->SetUserUIOpened(true);
    object->SetUserUIStarterKey(7);
    object->SetUserUIStarterBehavior(1);
    object->SetUserUIColorLabel(6);
    std::vector<unsigned char> const bytes = FileFormOf(object.get());

    PoolablePtr copy(static_cast<TestPoolable*>(ReadFileForm(bytes, 1)));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsUIOpened());
    EXPECT_EQ(copy->GetUIStarterKey(), 7u);
    EXPECT_EQ(copy->GetUIStarterBehavior(), 1u);
    EXPECT_EQ(copy->GetUIColorLabel(), 6u);
    EXPECT_EQ(FileFormOf(copy.get()), bytes);

    // Read mode 0 (the history's re-read in place): the starter and the
    // colour come back with a new UI stamp, the view's opened flag stays.
    PoolablePtr other = NewPoolable();
    unsigned int const stamp = other->GetUIStamp();
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    ASSERT_EQ(AKClass::ReinitObjectFromFile(other.get(), file), 0);
    EXPECT_FALSE(other->IsUIOpened());
    EXPECT_EQ(other->GetUIStarterKey(), 7u);
    EXPECT_EQ(other->GetUIStarterBehavior(), 1u);
    EXPECT_EQ(other->GetUIColorLabel(), 6u);
    EXPECT_NE(other->GetUIStamp(), stamp);

    // The same again changes nothing, so the stamp stays.
    unsigned int const after = other->GetUIStamp();
    file.SetPos(0);
    ASSERT_EQ(AKClass::ReinitObjectFromFile(other.get(), file), 0);
    EXPECT_EQ(other->GetUIStamp(), after);
}

TEST(QVObjectPoolable, FileFormCarriesTheMidiChunkAndRefusesTruncation)
{
    PoolablePtr object = NewPoolable();
    std::vector<unsigned char> bytes = FileFormOf(object.get());
    std::vector<unsigned char> const plainBytes = bytes;
    // A 'MIDI' chunk of one empty patch count follows the attributes.
    unsigned char const chunk[] = {'M', 'I', 'D', 'I', 4, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), std::begin(chunk), std::end(chunk));
    PoolablePtr copy(static_cast<TestPoolable*>(ReadFileForm(bytes, 1)));
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->GetMidiStore().IsEmpty());
    EXPECT_EQ(FileFormOf(copy.get()), bytes);

    // Every cut of the form fails to load, never reading past the end.
    for (size_t size = 0; size < plainBytes.size(); ++size) {
        std::vector<unsigned char> cut(plainBytes.begin(), plainBytes.begin() + size);
        AKObject* broken = ReadFileForm(cut, 1);
        EXPECT_EQ(broken, nullptr) << size;
        AKClass::DeleteObject(broken);
    }
    // A chunk size beyond the file is refused.
    std::vector<unsigned char> huge = plainBytes;
    unsigned char const bad[] = {'M', 'I', 'D', 'I', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    huge.insert(huge.end(), std::begin(bad), std::end(bad));
    AKObject* refused = ReadFileForm(huge, 1);
    EXPECT_EQ(refused, nullptr);
    AKClass::DeleteObject(refused);
}

}  // namespace
