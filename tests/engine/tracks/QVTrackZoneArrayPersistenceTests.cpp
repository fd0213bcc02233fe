// Track zone arrays in their two persistent forms: the binary form (a count
// and 28-byte records) in both byte orders and the array of zone
// dictionaries, as value chunks and as an XML property list. A second save
// of what was read is byte-identical to the first; corrupt and huge counts
// are refused before anything is sized for them; dictionary reads keep what
// a dictionary leaves out and convert only when asked.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "AllocationProbe.h"
#include "QVTrackZoneFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

using zonefixtures::Describe;

// Sounds forwards and backwards, silence, odd and extreme numbers.
QVTrackZoneArray Mixed()
{
    QVTrackZoneArray zones = zonefixtures::MakeArray({{1, 0, 1}, {0, 0, 0.3}, {70000, 0.1, 0.7, -0.3}});
    zones.Push(QVTrackZone::MakeSafe(0xFFFFFFFFu, 1e300, -2.5e-300, 1e-300));
    zones.Push(QVTrackZone(nullptr, 5, {-0.0, std::numeric_limits<double>::infinity()}, -7.25, kAKNullTimeIntv));
    return zones;
}

class Stream
{
public:
    explicit Stream(unsigned int endianness) : mFile(kAKFileModeMemoryStream)
    {
        mFile.SetEndianness(endianness);
        EXPECT_EQ(mFile.CreateForReadWrite(), 0);
    }
    AKFile& File() { return mFile; }
    AKMemoryBlock Bytes() const
    {
        AKMemoryBlock bytes;
        mFile.GetMemoryStreamDataBlock(&bytes);
        return bytes;
    }

private:
    AKFile mFile;
};

AKMemoryBlock BinaryForm(QVTrackZoneArray const& zones, unsigned int endianness)
{
    Stream stream(endianness);
    EXPECT_EQ(zones.WriteToFile(stream.File()), 0);
    return stream.Bytes();
}

// Reads the bytes into `zones`; the status, and the position reached.
int ReadBinary(AKMemoryBlock const& bytes, unsigned int endianness, QVTrackZoneArray* zones,
               unsigned long long maxBytes = kQVTrackZoneNoByteLimit, unsigned long long* position = nullptr)
{
    AKFile file(bytes);
    file.SetEndianness(endianness);
    EXPECT_EQ(file.OpenForRead(), 0);
    int const status = zones->ReadFromFile(file, maxBytes);
    if (position)
        file.GetPos(position);
    return status;
}

AKMemoryBlock ChunkForm(AKValue const& value)
{
    Stream stream(kAKFileEndianLittle);
    EXPECT_EQ(value.WriteToFile(stream.File()), 0);
    return stream.Bytes();
}

TEST(QVTrackZoneArrayPersistenceTest, BinaryFormRoundTrips)
{
    QVTrackZoneArray const zones = Mixed();
    for (unsigned int endianness : {kAKFileEndianLittle, kAKFileEndianBig}) {
        AKMemoryBlock const first = BinaryForm(zones, endianness);
        ASSERT_EQ(first.Size(), 4u + zones.Count() * kQVTrackZoneRecordSize);

        QVTrackZoneArray read = zonefixtures::ThreeSounds();  // replaced by the read
        unsigned long long position = 0;
        ASSERT_EQ(ReadBinary(first, endianness, &read, kQVTrackZoneNoByteLimit, &position), 0);
        EXPECT_EQ(position, first.Size());
        ASSERT_EQ(read.Count(), zones.Count());
        for (unsigned int index = 0; index < zones.Count(); ++index) {
            EXPECT_EQ(read[index].GetProviderID(), zones[index].GetProviderID());
            EXPECT_EQ(
                std::memcmp(&read[index].GetSourceTimeIntv(), &zones[index].GetSourceTimeIntv(), sizeof(AKTimeIntv)),
                0);
            EXPECT_EQ(read[index].GetScale(), zones[index].GetScale());
            EXPECT_EQ(read[index].GetLocalTimeIntv(), kAKNullTimeIntv);  // derived, never stored
        }
        EXPECT_EQ(BinaryForm(read, endianness), first);
    }

    // The record layout: ID, begin, end, scale in the file's order.
    QVTrackZoneArray one;
    one.Push(QVTrackZone::MakeSafe(0x01020304, 0.5, 1.5, -2.0));
    AKMemoryBlock const big = BinaryForm(one, kAKFileEndianBig);
    unsigned char const expected[] = {0,    0, 0, 1, 1, 2, 3, 4, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0,
                                      0x40, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0,    0, 0, 0, 0, 0, 0};
    ASSERT_EQ(big.Size(), sizeof expected);
    EXPECT_EQ(std::memcmp(big.Data(), expected, sizeof expected), 0);

    QVTrackZoneArray empty;
    AKMemoryBlock const nothing = BinaryForm(empty, kAKFileEndianLittle);
    EXPECT_EQ(nothing.Size(), 4u);
    QVTrackZoneArray read = zonefixtures::ThreeSounds();
    EXPECT_EQ(ReadBinary(nothing, kAKFileEndianLittle, &read), 0);
    EXPECT_TRUE(read.IsEmpty());
}

TEST(QVTrackZoneArrayPersistenceTest, CorruptCountsAreRefusedBeforeAllocating)
{
    AKLogErrorMute();
    QVTrackZoneArray const kept = zonefixtures::ThreeSounds();
    AKMemoryBlock const good = BinaryForm(kept, kAKFileEndianLittle);  // count 3, 84 bytes of records

    struct Case {
        char const* what;
        unsigned int count;
        unsigned int recordBytes;     // of the good records, kept after the count
        unsigned long long maxBytes;  // from the count on
    } const cases[] = {
        {"huge count", 0xFFFFFFFFu, 84, kQVTrackZoneNoByteLimit},
        {"count one too many", 4, 84, kQVTrackZoneNoByteLimit},
        {"truncated record", 3, 83, kQVTrackZoneNoByteLimit},
        {"no count", 0, 0, kQVTrackZoneNoByteLimit},
        {"beyond the chunk", 3, 84, 4 + 83},
        {"huge count beyond the chunk", 0x10000000u, 84, 88},
        {"no room for the count", 3, 84, 3},
    };
    for (Case const& c : cases) {
        AKMemoryBlock bytes;
        if (std::strcmp(c.what, "no count") == 0) {
            bytes.Assign(good.Data(), 3);
        } else {
            bytes.Assign(good.Data(), 4 + c.recordBytes);
            std::memcpy(bytes.Data(), &c.count, 4);
        }
        QVTrackZoneArray zones = kept;
        AKFile file(bytes);
        ASSERT_EQ(file.OpenForRead(), 0);
        int status = 0;
        {
            AllocationProbe probe;
            status = zones.ReadFromFile(file, c.maxBytes);
            // Nothing sized for the count: no block larger than a log line.
            EXPECT_LT(AllocationProbe::LargestSize(), 1024u) << c.what;
        }
        EXPECT_NE(status, 0) << c.what;
        EXPECT_EQ(zones, kept) << c.what;
    }
    // Exactly the chunk's size is enough.
    QVTrackZoneArray zones;
    EXPECT_EQ(ReadBinary(good, kAKFileEndianLittle, &zones, good.Size()), 0);
    EXPECT_EQ(Describe(zones), "1:0-1 2:10-12 3:5-6");
    AKLogErrorUnmute();
}

TEST(QVTrackZoneArrayPersistenceTest, DictionaryFormRoundTrips)
{
    QVTrackZoneArray const zones = Mixed();
    AKValue first;
    zones.WriteToValue(&first);
    ASSERT_TRUE(first.IsAKValueArray());
    AKDictionary const& element = *(*first.GetasAKValueArray())[2].GetasAKDictionary();
    EXPECT_EQ(element.Count(), 4u);
    EXPECT_EQ(AKValueGetasUInt(element.GetValue("pid"), false), 70000u);
    EXPECT_EQ(AKValueGetasFloat64(element.GetValue("beg"), false), 0.1);
    EXPECT_EQ(AKValueGetasFloat64(element.GetValue("end"), false), 0.7);
    EXPECT_EQ(AKValueGetasFloat64(element.GetValue("scale"), false), -0.3);

    // As value chunks.
    QVTrackZoneArray read;
    ASSERT_TRUE(read.ReadFromValue(first, false));
    AKValue second;
    read.WriteToValue(&second);
    EXPECT_EQ(ChunkForm(second), ChunkForm(first));
    EXPECT_EQ(BinaryForm(read, kAKFileEndianLittle), BinaryForm(zones, kAKFileEndianLittle));

    // As an XML property list under a track's "Zones" key (which writes
    // reals with six decimals: ordinary times only).
    QVTrackZoneArray ordinary = zones;
    ordinary.Remove(3, 2);
    AKValue ordinaryValue;
    ordinary.WriteToValue(&ordinaryValue);
    AKDictionary track;
    track.SetValue("Zones", ordinaryValue);
    AKString text;
    ASSERT_EQ(track.SaveToXmlString(&text, true), 0);
    AKDictionary loaded;
    ASSERT_EQ(loaded.LoadFromXmlString(text, true), 0);
    QVTrackZoneArray fromXml;
    ASSERT_TRUE(fromXml.ReadFromValue(loaded.GetValue("Zones"), false));
    AKDictionary again;
    AKValue third;
    fromXml.WriteToValue(&third);
    again.SetValue("Zones", third);
    AKString secondText;
    ASSERT_EQ(again.SaveToXmlString(&secondText, true), 0);
    EXPECT_EQ(secondText, text);

    // Not an array: nothing changes.
    QVTrackZoneArray kept = zonefixtures::ThreeSounds();
    EXPECT_FALSE(kept.ReadFromValue(AKValueSetasFloat64(1.0), false));
    EXPECT_EQ(Describe(kept), "1:0-1 2:10-12 3:5-6");
}

AKValue Element(std::initializer_list<std::pair<char const*, AKValue>> entries)
{
    AKDictionary dictionary;
    for (auto const& entry : entries)
        dictionary.SetValue(entry.first, entry.second);
    AKValue value;
    value.SetasAKDictionary(dictionary);
    return value;
}

TEST(QVTrackZoneArrayPersistenceTest, DictionaryReadsKeepWhatIsLeftOut)
{
    QVProvider* const link = reinterpret_cast<QVProvider*>(0x1000);
    struct Case {
        char const* what;
        AKValue element;
        bool convert;
        QVProviderID id;
        AKTimeIntv source;
        double scale;
        bool linked;
    } const cases[] = {
        {"empty dictionary", Element({}), false, 4, {1, 2}, 3, true},
        {"not a dictionary", AKValueSetasFloat64(5.0), true, 4, {1, 2}, 3, true},
        {"same ID keeps the link", Element({{"pid", AKValueSetasUInt(4)}}), false, 4, {1, 2}, 3, true},
        {"new ID drops the link", Element({{"pid", AKValueSetasUInt(9)}}), false, 9, {1, 2}, 3, false},
        {"reals only",
         Element({{"beg", AKValueSetasFloat64(0.5)}, {"scale", AKValueSetasFloat64(-1)}}),
         false,
         4,
         {0.5, 2},
         -1,
         true},
        {"strings without conversion",
         Element({{"beg", AKValueSetasAKString("0.25")}, {"end", AKValueSetasSInt(8)}}),
         false,
         4,
         {1, 2},
         3,
         true},
        {"strings and integers converted",
         Element(
             {{"beg", AKValueSetasAKString("0.25")}, {"end", AKValueSetasSInt(8)}, {"scale", AKValueSetasBool(true)}}),
         true,
         4,
         {0.25, 8},
         1,
         true},
        {"an ID is never converted", Element({{"pid", AKValueSetasAKString("9")}}), true, 4, {1, 2}, 3, true},
    };
    for (Case const& c : cases) {
        QVTrackZone zone(link, 4, {1, 2}, 3.0, kAKNullTimeIntv);
        EXPECT_EQ(zone.ReadFromValue(c.element, c.convert), 0) << c.what;
        EXPECT_EQ(zone.GetProviderID(), c.id) << c.what;
        EXPECT_EQ(zone.GetSourceTimeIntv(), c.source) << c.what;
        EXPECT_EQ(zone.GetScale(), c.scale) << c.what;
        EXPECT_EQ(zone.GetProvider(), c.linked ? link : nullptr) << c.what;
    }

    // An array read takes the array's length, each zone read over itself.
    QVTrackZoneArray zones = zonefixtures::ThreeSounds();
    AKValueArray elements;
    elements.Push(Element({{"end", AKValueSetasFloat64(0.5)}}));
    elements.Push(Element({}));
    elements.Push(Element({{"pid", AKValueSetasUInt(3)}, {"end", AKValueSetasFloat64(6)}}));
    elements.Push(
        Element({{"pid", AKValueSetasUInt(8)}, {"beg", AKValueSetasFloat64(1)}, {"end", AKValueSetasFloat64(2)}}));
    AKValue value;
    value.SetasAKValueArray(elements);
    EXPECT_TRUE(zones.ReadFromValue(value, false));
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    EXPECT_EQ(Describe(zones), "1:0-0.5 2:10-12 3:5-6 8:1-2");

    // A binary record read clears the link only when the ID changes.
    for (QVProviderID id : {4u, 9u}) {
        QVTrackZoneArray source;
        source.Push(QVTrackZone(nullptr, id, {0, 1}, 1.0, kAKNullTimeIntv));
        AKFile file(BinaryForm(source, kAKFileEndianLittle));
        ASSERT_EQ(file.OpenForRead(), 0);
        ASSERT_EQ(file.Skip(4), 0);
        QVTrackZone zone(link, 4, {1, 2}, 3.0, kAKNullTimeIntv);
        EXPECT_EQ(zone.ReadFromFile(file), 0);
        EXPECT_EQ(zone.GetProvider(), id == 4 ? link : nullptr);
        EXPECT_EQ(zone.GetSourceTimeIntv(), (AKTimeIntv{0, 1}));
        // Nothing left: the zone stays as read.
        EXPECT_NE(zone.ReadFromFile(file), 0);
        EXPECT_EQ(zone.GetSourceTimeIntv(), (AKTimeIntv{0, 1}));
    }
}

}  // namespace
