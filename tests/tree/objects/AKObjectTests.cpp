// Tree objects: creation through the registry, file and dictionary forms
// with their UI-peer data, names, peers, deletion warnings and object lists.

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKContextObject.h"
#include "AKDictionary.h"
#include "AKEngineServices.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKNode.h"
#include "AKNodeAllocator.h"
#include "AKObject.h"
#include "AKObjectFolderRoot.h"
#include "AKObjectUIPeer.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "AllocationProbe.h"
#include "ATGarbage.h"
#include "LogCapture.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Corrupt sizes must be refused before anything that large is asked for.
ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr size_t kSmallAllocation = 64 * 1024;

std::string Line(int status, char const* name, std::string const& message)
{
    std::string kind = status < 0 ? "Error" : "Warning";
    return "# Quorvex " + kind + " " + std::to_string(status) + " (" + name + "): " + message + ".\n";
}

bool HasLine(LogCapture const& log, std::string const& line)
{
    for (std::string const& got : log.Lines())
        if (got == line)
            return true;
    return false;
}

typedef std::vector<unsigned char> Bytes;

// A memory stream opened for reading and writing.
struct Stream {
    AKFile file{kAKFileModeMemoryStream};

    Stream() { EXPECT_EQ(file.CreateForReadWrite(), 0); }
    explicit Stream(Bytes const& bytes) : Stream()
    {
        if (!bytes.empty()) {
            EXPECT_EQ(file.Write(bytes.data(), bytes.size()), 0);
        }
        EXPECT_EQ(file.SetPos(0), 0);
    }
    Bytes Content() const
    {
        void const* data = nullptr;
        unsigned long long size = 0;
        EXPECT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
        unsigned char const* bytes = static_cast<unsigned char const*>(data);
        return bytes != nullptr ? Bytes(bytes, bytes + size) : Bytes();
    }
    unsigned long long Pos() const
    {
        unsigned long long pos = 0;
        EXPECT_EQ(file.GetPos(&pos), 0);
        return pos;
    }
};

unsigned int ReadU32(Bytes const& bytes, size_t at, bool bigEndian)
{
    unsigned int value = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned int byte = bytes[at + (bigEndian ? i : 3 - i)];
        value = (value << 8) | byte;
    }
    return value;
}

void WriteU32LE(Bytes& bytes, size_t at, unsigned int value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

AKObject* NewWithArgs(AKContextObject const* context, AKClassID id, char const* format, ...)
    __attribute__((format(printf, 3, 4)));
AKObject* NewWithArgs(AKContextObject const* context, AKClassID id, char const* format, ...)
{
    va_list args;
    va_start(args, format);
    AKObject* object = AKClass::NewObjectWithArgs(context, id, format, args);
    va_end(args);
    return object;
}

// A user-interface peer that keeps one number under its key.
class TestPeer : public AKObjectUIPeer
{
public:
    TestPeer(char const* key, long long value) : fKey(key), fValue(value) {}

    void UpdateThisUIPeerFromData(AKDictionary const& data) override
    {
        fReceived = data;
        ++fUpdates;
    }
    void UpdateDataFromThisUIPeer(AKDictionary* data) const override
    {
        if (!fKey.IsEmpty())
            data->SetValue(fKey, AKValueSetasSInt(fValue));
    }

    AKString fKey;
    long long fValue;
    AKDictionary fReceived;
    int fUpdates = 0;
};

AKDictionary PeerData(char const* key, long long value)
{
    AKDictionary data;
    data.SetValue(key, AKValueSetasSInt(value));
    return data;
}

// Gives an object stored UI-peer data the way reading does.
void StoreUIPeerData(AKObject* object, AKDictionary const& data)
{
    AKDictionary holder;
    holder.SetValue("UIPeer", AKValueSetasAKDictionary(data));
    AKObjectUIPeerHelpers::UIPeerReadFromDictionary(object, holder);
}

class AKObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { fLiveAtStart = TestItem::LiveCount(); }
    void TearDown() override { EXPECT_EQ(TestItem::LiveCount(), fLiveAtStart); }

    TestItem* NewItem(unsigned int value, char const* name)
    {
        TestItem* item = AKNew<TestItem>("-value:%u \"-name:%s\"", value, name);
        EXPECT_NE(item, nullptr);
        return item;
    }

    AKContextObject fContext{nullptr};
    int fLiveAtStart = 0;
};

// --- Creation ---

TEST_F(AKObjectTest, CreatesFromArgumentsWithTheClassView)
{
    AKObject* object = NewWithArgs(&fContext, TestItem::_ClassID(), "-value:%d", 7);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), 0);
    TestItem* item = static_cast<TestItem*>(object);
    EXPECT_EQ(item->GetValue(), 7u);
    EXPECT_EQ(item->akmGetName().StdString(), "Item");  // the class's display name
    EXPECT_EQ(item->GetClass(), TestItem::_Class());
    EXPECT_EQ(item->GetClassID(), AKClassID("tstItem"));
    EXPECT_EQ(item->GetQCastMask(), TestItem::_Class()->GetQCastMask());
    EXPECT_EQ(item->GetFamilyID(), AKClassID("tstItem"));
    EXPECT_EQ(item->GetContext(), &fContext);
    EXPECT_EQ(item->GetNodeOwner(), nullptr);
    EXPECT_EQ(item->GetFlags(), 0u);
    EXPECT_EQ(item->GetHoldCount(), 0);
    for (unsigned int s = 0; s < kAKObjectStampCount; ++s)
        EXPECT_EQ(item->GetStamp(static_cast<AKObjectStamp>(s)), kAKNullStampVers);
    EXPECT_TRUE(item->IsKindOfT<TestItem>());
    EXPECT_TRUE(item->IsKindOfT<TestBaseObject>());
    EXPECT_TRUE(item->IsKindOf(AKObject::_Class()));
    EXPECT_FALSE(item->IsKindOfT<TestSubItem>());
    EXPECT_FALSE(item->IsKindOf(nullptr));
    AKClass::DeleteObject(object);

    // A name given in the arguments is kept.
    TestItem* named = NewItem(1, "Lead Voice");
    EXPECT_EQ(named->akmGetName().StdString(), "Lead Voice");
    AKClass::DeleteObject(named);

    TestSubItem* sub = AKNew<TestSubItem>("-value:%d", 3);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetClassID(), AKClassID("tstSub"));
    EXPECT_EQ(sub->GetFamilyID(), AKClassID("tstSub"));
    EXPECT_TRUE(sub->IsKindOfT<TestItem>());
    AKClass::DeleteObject(sub);
}

TEST_F(AKObjectTest, FailedCreationsLeaveNothingBehind)
{
    LogCapture log;
    EXPECT_EQ(NewWithArgs(nullptr, AKClassID("nope"), nullptr), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), kAKErrorObjectNewUnknownClass);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorObjectNewUnknownClass, "kAKErrorObjectNewUnknownClass",
                                  "Can't create object, class <nope> is unknown")));

    EXPECT_EQ(NewWithArgs(nullptr, TestBaseObject::_ClassID(), nullptr), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), kAKErrorObjectNewAbstractClass);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorObjectNewAbstractClass, "kAKErrorObjectNewAbstractClass",
                                  "Can't create object, class <tstBase> is abstract")));

    EXPECT_EQ(NewWithArgs(nullptr, TestItem::_ClassID(), "-fail"), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), -1);
    EXPECT_TRUE(HasLine(
        log, Line(kAKWarningObjectCantInit, "kAKWarningObjectCantInit", "Can't init object of class <tstItem>")));

    AKDictionary failing;
    failing.SetValue("Class", AKValueSetasAKString("tstItem"));
    failing.SetValue("Fail", AKValueSetasBool(true));
    EXPECT_EQ(AKClass::NewObjectFromDictionary(nullptr, failing), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), -1);

    EXPECT_EQ(AKClass::NewObjectFromDictionary(nullptr, AKDictionary()), nullptr);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorObjectNewUnknownClass, "kAKErrorObjectNewUnknownClass",
                                  "Can't create object, class <> is unknown")));
}

// --- File form ---

class AKObjectFileTest : public AKObjectTest, public ::testing::WithParamInterface<unsigned int>
{};

TEST_P(AKObjectFileTest, RoundTripsByteForBytePaddedFromTheFileStart)
{
    unsigned int const prefix = GetParam();
    TestItem* item = NewItem(9, "Lead");
    StoreUIPeerData(item, PeerData("Zoom", 3));

    Stream first;
    ASSERT_EQ(AKFileWriteZeros(first.file, prefix), 0);
    ASSERT_EQ(AKClass::WriteObjectToFile(item, first.file), 0);
    Bytes bytes = first.Content();

    // Family ID, class ID, then the 'UIPR' chunk ending on a multiple of 8.
    ASSERT_GT(bytes.size(), prefix + 24u);
    EXPECT_EQ(std::string(bytes.begin() + prefix, bytes.begin() + prefix + 8), std::string("tstItem\0", 8));
    EXPECT_EQ(std::string(bytes.begin() + prefix + 8, bytes.begin() + prefix + 16), std::string("tstItem\0", 8));
    size_t chunk = prefix + 16;
    EXPECT_EQ(ReadU32(bytes, chunk, true), kAKObjectUIPeerSignature);
    size_t chunkEnd = chunk + 8 + ReadU32(bytes, chunk + 4, false);
    EXPECT_EQ(chunkEnd % 8, 0u);
    EXPECT_EQ(bytes[chunkEnd - 1], 0u);
    // The name "Lead" in the string form, then the number.
    ASSERT_EQ(bytes.size(), chunkEnd + 8 + 4);
    EXPECT_EQ(ReadU32(bytes, chunkEnd, false), 4u);
    EXPECT_EQ(std::string(bytes.begin() + chunkEnd + 4, bytes.begin() + chunkEnd + 8), "Lead");
    EXPECT_EQ(ReadU32(bytes, chunkEnd + 8, false), 9u);

    // Read back in full, then written at the same place: the same bytes.
    Stream in(bytes);
    ASSERT_EQ(in.file.SetPos(prefix), 0);
    AKObject* copy = AKClass::NewObjectFromFile(&fContext, in.file, 1);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(in.Pos(), bytes.size());
    EXPECT_EQ(copy->GetContext(), &fContext);
    ASSERT_NE(copy->GetUIPeerData(), nullptr);
    EXPECT_EQ(*copy->GetUIPeerData(), PeerData("Zoom", 3));
    Stream second;
    ASSERT_EQ(AKFileWriteZeros(second.file, prefix), 0);
    ASSERT_EQ(AKClass::WriteObjectToFile(copy, second.file), 0);
    EXPECT_EQ(second.Content(), bytes);

    // `how` 0 leaves the user-interface data out.
    ASSERT_EQ(in.file.SetPos(prefix), 0);
    AKObject* bare = AKClass::NewObjectFromFile(nullptr, in.file, 0);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetUIPeerData(), nullptr);
    EXPECT_EQ(bare->akmGetName().StdString(), "Lead");
    EXPECT_EQ(static_cast<TestItem*>(bare)->GetValue(), 9u);

    AKClass::DeleteObject(item);
    AKClass::DeleteObject(copy);
    AKClass::DeleteObject(bare);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, AKObjectFileTest, ::testing::Range(0u, 8u));

TEST_F(AKObjectTest, NoUIPeerChunkWithoutData)
{
    TestItem* item = NewItem(2, "Bass");
    Stream plain;
    ASSERT_EQ(AKClass::WriteObjectToFile(item, plain.file), 0);
    Bytes bytes = plain.Content();
    ASSERT_EQ(bytes.size(), 16u + 8u + 4u);
    EXPECT_EQ(ReadU32(bytes, 16, false), 4u);

    // A peer that adds nothing writes no chunk either.
    TestPeer silent("", 0);
    ASSERT_TRUE(item->AttachUIPeer(&silent));
    Stream withPeer;
    ASSERT_EQ(AKClass::WriteObjectToFile(item, withPeer.file), 0);
    EXPECT_EQ(withPeer.Content(), bytes);
    AKDictionary dictionary;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(item, dictionary), 0);
    EXPECT_FALSE(dictionary.ContainsKey("UIPeer"));
    ASSERT_TRUE(item->DetachUIPeer(&silent));

    // Read back: the name comes first.
    Stream in(bytes);
    AKObject* copy = AKClass::NewObjectFromFile(nullptr, in.file, 1);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->akmGetName().StdString(), "Bass");
    AKClass::DeleteObject(copy);
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, AttachedPeersWriteTheirStateInOrder)
{
    TestItem* item = NewItem(2, "Bass");
    StoreUIPeerData(item, PeerData("Stale", 1));
    TestPeer first("Zoom", 4);
    TestPeer second("Zoom", 5);
    TestPeer third("Scroll", 6);
    ASSERT_TRUE(item->AttachUIPeer(&first));
    ASSERT_TRUE(item->AttachUIPeer(&second));
    ASSERT_TRUE(item->AttachUIPeer(&third));

    AKObject* copy = AKClass::NewObjectFromOriginal(&fContext, item);
    ASSERT_NE(copy, nullptr);
    AKDictionary expected = PeerData("Zoom", 5);
    expected.SetValue("Scroll", AKValueSetasSInt(6));
    ASSERT_NE(copy->GetUIPeerData(), nullptr);
    EXPECT_EQ(*copy->GetUIPeerData(), expected);
    EXPECT_EQ(copy->GetContext(), &fContext);
    EXPECT_EQ(static_cast<TestItem*>(copy)->GetValue(), 2u);

    AKDictionary dictionary;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(item, dictionary), 0);
    EXPECT_EQ(AKValueGetasAKDictionary(dictionary.GetValue("UIPeer")), expected);

    for (TestPeer* peer : {&first, &second, &third})
        ASSERT_TRUE(item->DetachUIPeer(peer));
    AKClass::DeleteObject(copy);
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, FileWithAnAbstractClassFailsAfterTheIDs)
{
    Bytes bytes(40, 0);
    std::memcpy(bytes.data(), "tstBase\0tstBase\0", 16);
    Stream in(bytes);
    LogCapture log;
    EXPECT_EQ(AKClass::NewObjectFromFile(nullptr, in.file, 1), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), kAKErrorObjectNewAbstractClass);
    EXPECT_EQ(in.Pos(), 16u);

    Stream truncated(Bytes(5, 'x'));
    EXPECT_EQ(AKClass::NewObjectFromFile(nullptr, truncated.file, 1), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), kAKErrorFileCantRead);

    // A failing initialisation reports its own code.
    TestItem* item = NewItem(TestItem::kFailingValue, "Bad");
    Stream failing;
    ASSERT_EQ(AKClass::WriteObjectToFile(item, failing.file), 0);
    ASSERT_EQ(failing.file.SetPos(0), 0);
    EXPECT_EQ(AKClass::NewObjectFromFile(nullptr, failing.file, 1), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), -1);
    EXPECT_TRUE(HasLine(
        log, Line(kAKWarningObjectCantInit, "kAKWarningObjectCantInit", "Can't init object of class <tstItem>")));
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, ReinitReadsPersistentDataOfTheSameClass)
{
    TestItem* item = NewItem(5, "Pad");
    StoreUIPeerData(item, PeerData("Zoom", 1));
    Stream saved;
    ASSERT_EQ(AKClass::WriteObjectToFile(item, saved.file), 0);

    item->SetValue(6);
    item->akmSetName("Changed", false);
    StoreUIPeerData(item, PeerData("Zoom", 2));
    ASSERT_EQ(saved.file.SetPos(0), 0);
    {
        LogCapture log;
        ASSERT_EQ(AKClass::ReinitObjectFromFile(item, saved.file), 0);
        EXPECT_EQ(saved.Pos(), saved.Content().size());
    }
    EXPECT_EQ(item->GetValue(), 5u);
    EXPECT_EQ(item->akmGetName().StdString(), "Pad");
    // The stored chunk is skipped: the object's own UI-peer data stays.
    EXPECT_EQ(*item->GetUIPeerData(), PeerData("Zoom", 2));

    TestSubItem* sub = AKNew<TestSubItem>("-value:1");
    Stream other;
    ASSERT_EQ(AKClass::WriteObjectToFile(sub, other.file), 0);
    ASSERT_EQ(other.file.SetPos(0), 0);
    LogCapture log;
    EXPECT_EQ(AKClass::ReinitObjectFromFile(item, other.file), -1);
    EXPECT_TRUE(HasLine(
        log, Line(kAKWarningObjectCantReinit, "kAKWarningObjectCantReinit", "Can't reinit object of class <tstSub>")));
    EXPECT_EQ(item->GetValue(), 5u);
    EXPECT_EQ(AKClass::ReinitObjectFromFile(nullptr, other.file), -1);

    AKClass::DeleteObject(sub);
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, CopyOfNothingFails)
{
    LogCapture log;
    EXPECT_EQ(AKClass::NewObjectFromOriginal(nullptr, nullptr), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), -1);
    AKFile file(kAKFileModeMemoryStream);
    AKDictionary dictionary;
    EXPECT_EQ(AKClass::WriteObjectToFile(nullptr, file), -1);
    EXPECT_EQ(AKClass::WriteObjectToDictionary(nullptr, dictionary), -1);
}

// --- Corrupt files ---

struct CorruptCase {
    char const* what;
    int status;
};

class AKObjectCorruptFileTest : public AKObjectTest
{
protected:
    // The file form of an item with UI-peer data: IDs at 0, 'UIPR' at 16.
    Bytes GoodBytes()
    {
        TestItem* item = NewItem(3, "Lead");
        AKDictionary data = PeerData("Zoom", 3);
        data.SetValue("Open", AKValueSetasBool(true));
        StoreUIPeerData(item, data);
        Stream out;
        EXPECT_EQ(AKClass::WriteObjectToFile(item, out.file), 0);
        AKClass::DeleteObject(item);
        return out.Content();
    }

    // Reads the bytes as an object, with the UI-peer data (and without it
    // when `alsoSkipped`): each read fails with the status, without a large
    // allocation.
    void ExpectRefused(Bytes const& bytes, int status, bool alsoSkipped = true)
    {
        for (unsigned int how : {1u, 0u}) {
            if (how == 0 && !alsoSkipped)
                break;
            Stream in(bytes);
            AllocationProbe probe;
            AKObject* object = AKClass::NewObjectFromFile(nullptr, in.file, how);
            size_t const largest = probe.LargestSize();
            EXPECT_EQ(object, nullptr) << "how " << how;
            AKClass::DeleteObject(object);
            if (how == 1) {
                EXPECT_EQ(AKClass::GetErrorNew(), status);
            }
            EXPECT_NE(AKClass::GetErrorNew(), 0);
            EXPECT_LT(largest, kSmallAllocation) << "how " << how;
        }
    }
};

TEST_F(AKObjectCorruptFileTest, ChunkSizeBeyondTheFile)
{
    Bytes bytes = GoodBytes();
    WriteU32LE(bytes, 20, 0xFFFFFFF0u);
    LogCapture log;
    ExpectRefused(bytes, kAKErrorFileCantRead);
}

TEST_F(AKObjectCorruptFileTest, DictionaryRunningPastTheChunkEnd)
{
    Bytes bytes = GoodBytes();
    // The chunk claims only the dictionary's header: its entries lie beyond.
    WriteU32LE(bytes, 20, 12);
    LogCapture log;
    Stream in(bytes);
    EXPECT_EQ(AKClass::NewObjectFromFile(nullptr, in.file, 1), nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), kAKErrorChunkUnknownSignature);
    EXPECT_TRUE(
        HasLine(log, Line(kAKErrorChunkUnknownSignature, "kAKErrorChunkUnknownSignature",
                          "In file \"Memory Stream\" at pos 16, chunk [UIPR] of 12 bytes ends before its data")));
}

TEST_F(AKObjectCorruptFileTest, HugeCountsAndLengths)
{
    LogCapture log;
    Bytes good = GoodBytes();
    size_t chunkEnd = 16 + 8 + ReadU32(good, 20, false);

    Bytes count = good;
    WriteU32LE(count, 32, 0x10000000u);  // the dictionary's entry count
    ExpectRefused(count, kAKErrorChunkUnknownSignature, false);

    Bytes name = good;
    WriteU32LE(name, chunkEnd, 0x7FFFFFFCu);  // the name's length
    ExpectRefused(name, kAKErrorFileCantRead);

    Bytes dictSize = good;
    WriteU32LE(dictSize, 28, 0xFFFFFFF0u);  // the dictionary chunk's own size
    Stream in(dictSize);
    AllocationProbe probe;
    AKObject* object = AKClass::NewObjectFromFile(nullptr, in.file, 1);
    EXPECT_LT(probe.LargestSize(), kSmallAllocation);
    AKClass::DeleteObject(object);
}

TEST_F(AKObjectCorruptFileTest, ShortTailsAreNotAChunk)
{
    LogCapture log;
    // Two bytes after the IDs: no room for a signature, and none for a name.
    Bytes bytes(18, 0);
    std::memcpy(bytes.data(), "tstItem\0tstItem\0UI", 18);
    ExpectRefused(bytes, kAKErrorFileCantRead);

    // Skipping a chunk that claims more than the file holds fails too.
    Bytes good = GoodBytes();
    WriteU32LE(good, 20, 0x7FFFFFF0u);
    Stream in(good);
    ASSERT_EQ(in.file.SetPos(16), 0);
    EXPECT_EQ(AKObjectUIPeerHelpers::UIPeerSkipFromFile(in.file), kAKErrorFileCantRead);
}

// --- Dictionary form ---

TEST_F(AKObjectTest, DictionaryFormRoundTrips)
{
    TestItem* item = NewItem(11, "Lead");
    AKDictionary dictionary;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(item, dictionary), 0);
    EXPECT_EQ(AKValueGetasAKString(dictionary.GetValue("Class")).StdString(), "tstItem");
    EXPECT_EQ(AKValueGetasAKString(dictionary.GetValue("Name")).StdString(), "Lead");
    EXPECT_FALSE(dictionary.ContainsKey("UIPeer"));

    StoreUIPeerData(item, PeerData("Zoom", 8));
    ASSERT_EQ(AKClass::WriteObjectToDictionary(item, dictionary), 0);
    AKObject* copy = AKClass::NewObjectFromDictionary(&fContext, dictionary);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(AKClass::GetErrorNew(), 0);
    EXPECT_EQ(copy->akmGetName().StdString(), "Lead");
    EXPECT_EQ(static_cast<TestItem*>(copy)->GetValue(), 11u);
    EXPECT_EQ(*copy->GetUIPeerData(), PeerData("Zoom", 8));
    EXPECT_EQ(copy->GetContext(), &fContext);

    // A name that is not a string, or no name, leaves the name alone; a
    // "UIPeer" that is not a dictionary gives no data.
    dictionary.SetValue("Name", AKValueSetasSInt(4));
    dictionary.SetValue("UIPeer", AKValueSetasSInt(4));
    AKObject* odd = AKClass::NewObjectFromDictionary(nullptr, dictionary);
    ASSERT_NE(odd, nullptr);
    EXPECT_TRUE(odd->akmGetName().IsEmpty());
    EXPECT_EQ(odd->GetUIPeerData(), nullptr);
    {
        LogCapture log;
        odd->akmSetName("Kept", false);
        StoreUIPeerData(odd, PeerData("Zoom", 1));
        AKDictionary nameless;
        EXPECT_EQ(odd->akmInitFromDictionary(nameless), 0);
        EXPECT_EQ(odd->akmGetName().StdString(), "Kept");
        EXPECT_EQ(odd->GetUIPeerData(), nullptr);
        EXPECT_TRUE(
            HasLine(log, Line(kAKWarningObjectInitedHaveUIPeerData, "kAKWarningObjectInitedHaveUIPeerData",
                              "Init an object of class <tstItem> that's already contains UI-peer data (fixed)")));
    }

    AKClass::DeleteObject(odd);
    AKClass::DeleteObject(copy);
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, ReadingAChunkReplacesStoredData)
{
    TestItem* source = NewItem(1, "Src");
    StoreUIPeerData(source, PeerData("Zoom", 9));
    Stream saved;
    ASSERT_EQ(source->akmWriteToFile(saved.file), 0);

    TestItem* target = NewItem(2, "Dst");
    StoreUIPeerData(target, PeerData("Old", 1));
    ASSERT_EQ(saved.file.SetPos(0), 0);
    LogCapture log;
    ASSERT_EQ(target->akmInitFromFile(saved.file, 2), 0);
    EXPECT_EQ(*target->GetUIPeerData(), PeerData("Zoom", 9));
    EXPECT_EQ(target->akmGetName().StdString(), "Src");
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectInitedHaveUIPeerData, "kAKWarningObjectInitedHaveUIPeerData",
                                  "Init an object of class <tstItem> that's already contains UI-peer data (fixed)")));
    AKClass::DeleteObject(target);
    AKClass::DeleteObject(source);
}

// --- Names ---

TEST_F(AKObjectTest, SetNameChangesOnlyWhatDiffers)
{
    TestItem* item = NewItem(0, "");
    EXPECT_EQ(item->akmGetName().StdString(), "Item");
    EXPECT_TRUE(item->akmSetName("", false));
    item->SetModified(false);

    EXPECT_TRUE(item->akmSetDefaultName("First"));
    EXPECT_TRUE(item->IsModified());
    item->SetModified(false);
    EXPECT_FALSE(item->akmSetDefaultName("Second"));
    EXPECT_FALSE(item->akmSetName("Other", true));
    EXPECT_TRUE(item->akmSetName("Other", false));
    EXPECT_TRUE(item->IsModified());
    item->SetModified(false);
    EXPECT_FALSE(item->akmSetName("Other", false));
    EXPECT_FALSE(item->IsModified());
    EXPECT_EQ(item->akmGetName().StdString(), "Other");

    EXPECT_EQ(item->akmExecute("anything %d", 3), 0);
    AKClass::DeleteObject(item);
}

// --- Peers ---

TEST_F(AKObjectTest, PeersAttachAndDetachWithWarnings)
{
    TestItem* item = NewItem(0, "A");
    TestItem* other = NewItem(0, "B");
    TestPeer first("Zoom", 1);
    TestPeer second("Zoom", 2);
    LogCapture log;

    EXPECT_FALSE(item->AttachUIPeer(nullptr));
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectCantAttachUIPeer, "kAKWarningObjectCantAttachUIPeer",
                                  "Can't attach UI-Peer to object [0]")));
    ASSERT_TRUE(item->AttachUIPeer(&first));
    EXPECT_EQ(first.GetObject(), item);
    log.Clear();
    EXPECT_FALSE(item->AttachUIPeer(&first));
    EXPECT_EQ(log.Lines().size(), 1u);
    // A peer of another object stays where it is.
    EXPECT_FALSE(other->AttachUIPeer(&first));
    EXPECT_EQ(first.GetObject(), item);
    EXPECT_TRUE(other->GetUIPeers().IsEmpty());

    EXPECT_FALSE(other->DetachUIPeer(&first));
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectCantDetachUIPeer, "kAKWarningObjectCantDetachUIPeer",
                                  "Can't detach UI-Peer from object [0]")));
    EXPECT_FALSE(item->DetachUIPeer(nullptr));

    // Detaching one of two keeps the stored data; the last one drops it.
    ASSERT_TRUE(item->AttachUIPeer(&second));
    StoreUIPeerData(item, PeerData("Zoom", 7));
    ASSERT_TRUE(item->DetachUIPeer(&first));
    EXPECT_EQ(first.GetObject(), nullptr);
    ASSERT_NE(item->GetUIPeerData(), nullptr);
    ASSERT_EQ(item->GetUIPeers().Count(), 1u);
    ASSERT_TRUE(item->DetachUIPeer(&second));
    EXPECT_EQ(item->GetUIPeerData(), nullptr);

    AKClass::DeleteObject(other);
    AKClass::DeleteObject(item);
}

TEST_F(AKObjectTest, NewPeerTakesTheStoredData)
{
    TestItem* item = NewItem(0, "A");
    TestPeer peer("Zoom", 1);
    EXPECT_FALSE(peer.UpdateThisUIPeerAfterInit());
    EXPECT_EQ(peer.fUpdates, 0);

    StoreUIPeerData(item, PeerData("Zoom", 5));
    ASSERT_TRUE(item->AttachUIPeer(&peer));
    EXPECT_TRUE(peer.UpdateThisUIPeerAfterInit());
    EXPECT_EQ(peer.fReceived, PeerData("Zoom", 5));
    EXPECT_EQ(item->GetUIPeerData(), nullptr);

    EXPECT_TRUE(peer.UpdateThisUIPeerAfterInit());
    EXPECT_TRUE(peer.fReceived.IsEmpty());
    EXPECT_EQ(peer.fUpdates, 2);
    ASSERT_TRUE(item->DetachUIPeer(&peer));
    AKClass::DeleteObject(item);
}

// --- Deletion ---

TEST_F(AKObjectTest, DeletionRepairsWhatIsLeft)
{
    TestItem* item = NewItem(0, "A");
    TestPeer peer("Zoom", 1);
    ASSERT_TRUE(item->AttachUIPeer(&peer));
    StoreUIPeerData(item, PeerData("Zoom", 1));
    EXPECT_EQ(item->HoldRetain(), 1);
    EXPECT_EQ(item->HoldRetain(), 2);

    LogCapture log;
    AKClass::DeleteObject(item);
    EXPECT_EQ(peer.GetObject(), nullptr);
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectDeletedStillPeered, "kAKWarningObjectDeletedStillPeered",
                                  "Delete an object of class <tstItem> with some UI-Peers still attached")));
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectDeletedStillHolded, "kAKWarningObjectDeletedStillHolded",
                                  "Delete an object of class <tstItem> with its hold-count to 2")));
    AKClass::DeleteObject(nullptr);
}

TEST_F(AKObjectTest, DeletionQueueWaitsForTheHoldCount)
{
    std::vector<unsigned int>& deleted = TestItem::DeletedValues();
    deleted.clear();
    {
        ATGarbage<AKObject*, _AKObjectDeleter, 8> queue;
        TestItem* item = NewItem(42, "Held");
        item->HoldRetain();
        queue.Push(item);
        for (int pass = 0; pass < 20; ++pass)
            EXPECT_EQ(queue.DoIdling(), 0u);
        EXPECT_EQ(item->HoldRelease(), 0);
        for (int pass = 1; pass < 8; ++pass)
            EXPECT_EQ(queue.DoIdling(), 0u);
        EXPECT_EQ(queue.DoIdling(), 1u);
        EXPECT_EQ(deleted, std::vector<unsigned int>{42});
    }

    ATObjectArray<AKObject> objects;
    for (unsigned int value : {1u, 2u, 3u})
        objects.Push(NewItem(value, "X"));
    objects.Push(nullptr);
    deleted.clear();
    AKDeletes(objects);
    EXPECT_TRUE(objects.IsEmpty());
    EXPECT_EQ(deleted, (std::vector<unsigned int>{3, 2, 1}));
}

TEST_F(AKObjectTest, StampsNeverTakeTheReservedValues)
{
    TestItem* item = NewItem(0, "A");
    EXPECT_EQ(item->RaiseStamp(kAKObjectStampSubLinks), 2u);
    item->SetStamp(kAKObjectStampRevised, 0xFFFFFFFEu);
    EXPECT_EQ(item->RaiseStamp(kAKObjectStampRevised), kAKNullStampVers);
    EXPECT_EQ(item->GetSubLinksStamp(), 2u);
    AKClass::DeleteObject(item);
}

// --- In a tree of nodes ---

class AKObjectInNodesTest : public AKObjectTest
{
protected:
    void SetUp() override
    {
        AKObjectTest::SetUp();
        fRoot = AKNode::NewNodeWithObject(fAllocator, &fContext, 1, AKNew<AKObjectFolderRoot>(nullptr));
        fItem = NewItem(1, "Child");
        fChild = AKNode::NewNodeWithObject(fAllocator, &fContext, 2, fItem);
        ASSERT_NE(fRoot, nullptr);
        ASSERT_NE(fChild, nullptr);
        fRoot->Link(fChild, kAKLinkModeLastChildren);
    }
    void TearDown() override
    {
        if (fChild != nullptr) {
            fChild->Unlink();
            AKClass::DeleteObject(fChild->DetachOwnedObject());
            delete fChild;
        }
        AKClass::DeleteObject(fRoot->DetachOwnedObject());
        delete fRoot;
        AKObjectTest::TearDown();
    }

    AKNodeAllocator fAllocator;
    AKNode* fRoot = nullptr;
    AKNode* fChild = nullptr;
    TestItem* fItem = nullptr;
};

TEST_F(AKObjectInNodesTest, IdlingMarksTheRootObject)
{
    AKObject* rootObject = fRoot->GetObject();
    EXPECT_EQ(fItem->akmSetIdling(false), 0);
    EXPECT_FALSE(rootObject->HasFlags(kAKObjectFlagIdlingListChanged));

    EXPECT_EQ(fItem->akmSetIdling(true), 0);
    EXPECT_TRUE(fItem->HasFlags(kAKObjectFlagIdling));
    EXPECT_TRUE(rootObject->HasFlags(kAKObjectFlagIdlingListChanged));
    rootObject->ClearFlags(kAKObjectFlagIdlingListChanged);
    EXPECT_EQ(fItem->akmSetIdling(true), 0);
    EXPECT_FALSE(rootObject->HasFlags(kAKObjectFlagIdlingListChanged));
    EXPECT_EQ(fItem->akmSetIdling(false), 0);
    EXPECT_FALSE(fItem->HasFlags(kAKObjectFlagIdling));

    TestItem* loose = NewItem(0, "Loose");
    EXPECT_EQ(loose->akmSetIdling(true), -1);
    EXPECT_FALSE(loose->HasFlags(kAKObjectFlagIdling));
    AKClass::DeleteObject(loose);
}

TEST_F(AKObjectInNodesTest, ObjectListsFindByNodeID)
{
    TestItem* loose = NewItem(0, "Loose");
    ATObjectArray<AKObject> objects{loose, fItem};
    unsigned int index = 0;
    EXPECT_TRUE(ATObjectArray_FindObjectByID(objects, 2, &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(ATObjectArray_FindObjectByID(objects, 0, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_FALSE(ATObjectArray_FindObjectByID(objects, 7, nullptr));
    AKClass::DeleteObject(loose);
}

TEST_F(AKObjectInNodesTest, DeletingAnOwnedObjectFreesTheNode)
{
    LogCapture log;
    AKClass::DeleteObject(fItem);
    EXPECT_EQ(fChild->GetObject(), nullptr);
    EXPECT_TRUE(HasLine(log, Line(kAKWarningObjectDeletedStillOwned, "kAKWarningObjectDeletedStillOwned",
                                  "Delete an object of class <tstItem> still owned by its node")));
}

// --- Root folder ---

TEST_F(AKObjectTest, RootFolderAcceptsWhatItIsGiven)
{
    AKObjectFolderRoot* root = AKNew<AKObjectFolderRoot>(nullptr);
    ASSERT_NE(root, nullptr);
    AKClass const** allowed = root->akmGetAuthoChildClasses();
    ASSERT_NE(allowed, nullptr);
    EXPECT_EQ(allowed[0], AKObject::_Class());
    EXPECT_EQ(allowed[1], nullptr);

    root->SetupRootAuthoChildClasses(AKClassArray());
    EXPECT_EQ(root->akmGetAuthoChildClasses(), nullptr);

    root->SetupRootAuthoChildClasses(AKClassArray{TestSubItem::_Class(), nullptr, TestFolder::_Class()});
    allowed = root->akmGetAuthoChildClasses();
    ASSERT_NE(allowed, nullptr);
    EXPECT_EQ(allowed[0], TestSubItem::_Class());
    EXPECT_EQ(allowed[1], TestFolder::_Class());
    EXPECT_EQ(allowed[2], nullptr);

    root->SetupRootAuthoChildClassesFromDocumentType(TreeTestDocumentType());
    allowed = root->akmGetAuthoChildClasses();
    ASSERT_NE(allowed, nullptr);
    EXPECT_EQ(allowed[0], TestFolder::_Class());
    EXPECT_EQ(allowed[1], TestItem::_Class());
    EXPECT_EQ(allowed[2], nullptr);

    root->SetupRootAuthoChildClassesFromDocumentType(0);
    EXPECT_EQ(root->akmGetAuthoChildClasses(), nullptr);

    // Without the engine's services the tree knows no document type.
    AKEngineServices::Install(nullptr);
    root->SetupRootAuthoChildClassesFromDocumentType(TreeTestDocumentType());
    EXPECT_EQ(root->akmGetAuthoChildClasses(), nullptr);
    AKEngineServices::Install(&TreeTestServices());

    // A root folder read from a dictionary accepts any object.
    AKDictionary stored;
    stored.SetValue("Class", AKValueSetasAKString("foldRot"));
    AKObject* fixed = AKClass::NewObjectFromDictionary(nullptr, stored);
    ASSERT_NE(fixed, nullptr);
    EXPECT_NE(fixed->akmGetAuthoChildClasses(), nullptr);
    AKClass::DeleteObject(fixed);
    AKClass::DeleteObject(root);
}

// --- Lists of objects ---

TEST_F(AKObjectTest, ObjectListsByClass)
{
    TestItem* item = NewItem(1, "I");
    TestSubItem* sub = AKNew<TestSubItem>(nullptr);
    AKObject* folder = NewWithArgs(nullptr, TestFolder::_ClassID(), nullptr);
    AKObject* root = AKNew<AKObjectFolderRoot>(nullptr);

    EXPECT_EQ(ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject>()), AKClass::GetTopClass());
    EXPECT_EQ(ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject>{nullptr, sub}), TestSubItem::_Class());
    EXPECT_EQ(ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject>{sub, item, sub}), TestItem::_Class());
    EXPECT_EQ(ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject>{sub, folder}), TestBaseObject::_Class());
    EXPECT_EQ(ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject>{sub, root, item}), AKClass::GetTopClass());

    ATObjectArray<AKObject> all{sub, item, nullptr, sub, folder};
    AKClassArray classes;
    ATObjectArray_GrabClasses(all, &classes);
    EXPECT_EQ(classes, (AKClassArray{TestSubItem::_Class(), TestItem::_Class(), TestFolder::_Class()}));

    ATObjectArray<AKObject> items;
    ATObjectArray_GrabObjectsOfClass(all, &items, TestItem::_Class());
    EXPECT_EQ(items, (ATObjectArray<AKObject>{sub, item, sub}));
    ATObjectArray_GrabObjectsOfClass(all, &items, nullptr);
    EXPECT_TRUE(items.IsEmpty());

    items = ATObjectArray<AKObject>{root, folder, sub, item};
    AKDeletes(items);
    EXPECT_TRUE(items.IsEmpty());
}

}  // namespace
