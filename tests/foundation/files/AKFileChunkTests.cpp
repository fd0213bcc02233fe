#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKStatus.h"
#include "AllocationProbe.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Lets a test show that a corrupt length is refused before anything that
// large is allocated.
ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(std::initializer_list<int> values)
{
    Bytes bytes;
    for (int v : values)
        bytes.push_back(static_cast<unsigned char>(v));
    return bytes;
}

// An empty memory stream open for writing, little-endian unless told.
struct Stream {
    AKFile file{kAKFileModeMemoryStream};
    explicit Stream(unsigned int endianness = kAKFileEndianLittle)
    {
        file.SetEndianness(endianness);
        EXPECT_EQ(file.CreateForReadWrite(), 0);
    }
    Bytes Content() const
    {
        void const* data = nullptr;
        unsigned long long size = 0;
        EXPECT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
        unsigned char const* p = static_cast<unsigned char const*>(data);
        return size ? Bytes(p, p + size) : Bytes();
    }
    unsigned long long Pos() const
    {
        unsigned long long pos = 0;
        EXPECT_EQ(file.GetPos(&pos), 0);
        return pos;
    }
    void Rewind() { EXPECT_EQ(file.SetPos(0), 0); }
};

// A stream open for reading over the given bytes.
struct Reader {
    AKFile file;
    explicit Reader(Bytes const& bytes, unsigned int endianness = kAKFileEndianLittle)
        : file(bytes.data(), static_cast<unsigned int>(bytes.size()))
    {
        file.SetEndianness(endianness);
        EXPECT_EQ(file.OpenForRead(), 0);
    }
};

constexpr unsigned int kNODE = AKFileMakeSignat32('N', 'O', 'D', 'E');
constexpr unsigned int kTREE = AKFileMakeSignat32('T', 'R', 'E', 'E');
constexpr unsigned int kDATA = AKFileMakeSignat32('D', 'A', 'T', 'A');

}  // namespace

// --- Numbers and byte order ---

TEST(AKFileTypedIOTests, UInt32OneInEveryOrder)
{
    struct Case {
        unsigned int fileOrder;
        unsigned int order;
        Bytes expected;
    };
    Case const cases[] = {
        {kAKFileEndianLittle, 0, B({1, 0, 0, 0})}, {kAKFileEndianLittle, 1, B({0, 0, 0, 1})},
        {kAKFileEndianBig, 0, B({0, 0, 0, 1})},    {kAKFileEndianBig, 2, B({1, 0, 0, 0})},
        {kAKFileEndianLittle, 2, B({1, 0, 0, 0})}, {kAKFileEndianBig, 3, B({1, 0, 0, 0})},
    };
    for (Case const& c : cases) {
        Stream s(c.fileOrder);
        ASSERT_EQ(AKFileWriteUInt32(s.file, 1, c.order), 0);
        EXPECT_EQ(s.Content(), c.expected) << "file " << c.fileOrder << " order " << c.order;
        s.Rewind();
        unsigned int back = 0;
        ASSERT_EQ(AKFileReadUInt32(s.file, &back, c.order), 0);
        EXPECT_EQ(back, 1u);
    }
}

TEST(AKFileTypedIOTests, EveryNumberKindBigEndian)
{
    Stream s(kAKFileEndianBig);
    ASSERT_EQ(AKFileWriteSInt8(s.file, -2), 0);
    ASSERT_EQ(AKFileWriteUInt8(s.file, 0xAB), 0);
    ASSERT_EQ(AKFileWriteSInt16(s.file, -2), 0);
    ASSERT_EQ(AKFileWriteUInt16(s.file, 0x1234), 0);
    ASSERT_EQ(AKFileWriteSInt32(s.file, -2), 0);
    ASSERT_EQ(AKFileWriteSInt64(s.file, -2), 0);
    ASSERT_EQ(AKFileWriteUInt64(s.file, 0x0102030405060708ull), 0);
    ASSERT_EQ(AKFileWriteFloat32(s.file, 1.5f), 0);
    ASSERT_EQ(AKFileWriteFloat64(s.file, 1.0), 0);
    ASSERT_EQ(AKFileWriteBool(s.file, true), 0);
    ASSERT_EQ(AKFileWriteAGCoord(s.file, -2.0), 0);
    EXPECT_EQ(s.Content(),
              B({0xFE, 0xAB, 0xFF, 0xFE, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                 0xFF, 0xFE, 1,    2,    3,    4,    5,    6,    7,    8,    0x3F, 0xC0, 0,    0,    0x3F, 0xF0,
                 0,    0,    0,    0,    0,    0,    1,    0xC0, 0,    0,    0,    0,    0,    0,    0}));

    s.Rewind();
    signed char s8 = 0;
    unsigned char u8 = 0;
    short s16 = 0;
    unsigned short u16 = 0;
    int s32 = 0;
    long long s64 = 0;
    unsigned long long u64 = 0;
    float f32 = 0;
    double f64 = 0, coord = 0;
    bool flag = false;
    EXPECT_EQ(AKFileReadSInt8(s.file, &s8), 0);
    EXPECT_EQ(AKFileReadUInt8(s.file, &u8), 0);
    EXPECT_EQ(AKFileReadSInt16(s.file, &s16), 0);
    EXPECT_EQ(AKFileReadUInt16(s.file, &u16), 0);
    EXPECT_EQ(AKFileReadSInt32(s.file, &s32), 0);
    EXPECT_EQ(AKFileReadSInt64(s.file, &s64), 0);
    EXPECT_EQ(AKFileReadUInt64(s.file, &u64), 0);
    EXPECT_EQ(AKFileReadFloat32(s.file, &f32), 0);
    EXPECT_EQ(AKFileReadFloat64(s.file, &f64), 0);
    EXPECT_EQ(AKFileReadBool(s.file, &flag), 0);
    EXPECT_EQ(AKFileReadAGCoord(s.file, &coord), 0);
    EXPECT_EQ(s8, -2);
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(s16, -2);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(s32, -2);
    EXPECT_EQ(s64, -2);
    EXPECT_EQ(u64, 0x0102030405060708ull);
    EXPECT_EQ(f32, 1.5f);
    EXPECT_EQ(f64, 1.0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(coord, -2.0);
    EXPECT_TRUE(s.file.IsEndOfFile(0));
}

TEST(AKFileTypedIOTests, Float32OfTheDoubleOneTenth)
{
    Stream little;
    ASSERT_EQ(AKFileWriteFloat32(little.file, 0.1), 0);
    EXPECT_EQ(little.Content(), B({0xCD, 0xCC, 0xCC, 0x3D}));

    Stream big(kAKFileEndianBig);
    ASSERT_EQ(AKFileWriteFloat32(big.file, 0.1), 0);
    EXPECT_EQ(big.Content(), B({0x3D, 0xCC, 0xCC, 0xCD}));

    big.Rewind();
    double widened = 0;
    ASSERT_EQ(AKFileReadFloat32(big.file, &widened), 0);
    EXPECT_EQ(widened, static_cast<double>(0.1f));
}

TEST(AKFileTypedIOTests, BoolReadsAnyNonZeroByteAsTrue)
{
    Reader r(B({0x02, 0x00}));
    bool value = false;
    ASSERT_EQ(AKFileReadBool(r.file, &value), 0);
    EXPECT_TRUE(value);
    ASSERT_EQ(AKFileReadBool(r.file, &value), 0);
    EXPECT_FALSE(value);

    LogCapture log;
    value = true;
    EXPECT_EQ(AKFileReadBool(r.file, &value), kAKErrorFileCantRead);
    EXPECT_FALSE(value);
}

TEST(AKFileTypedIOTests, ColourIsRedFirstAndNeverSwapped)
{
    for (unsigned int order : {kAKFileEndianLittle, kAKFileEndianBig}) {
        Stream s(order);
        ASSERT_EQ(AKFileWriteAGColor(s.file, AGColor::FromRGBA(0x11, 0x22, 0x33, 0x44)), 0);
        EXPECT_EQ(s.Content(), B({0x11, 0x22, 0x33, 0x44})) << order;
        s.Rewind();
        AGColor color;
        ASSERT_EQ(AKFileReadAGColor(s.file, &color), 0);
        EXPECT_EQ(color.value, 0x44332211u);
    }
}

TEST(AKFileTypedIOTests, GeometrySwapsEachDoubleInFieldOrder)
{
    Stream s(kAKFileEndianBig);
    ASSERT_EQ(AKFileWriteAGPoint(s.file, AGPoint{1.0, 2.0}), 0);
    ASSERT_EQ(AKFileWriteAGSize(s.file, AGSize{3.0, 4.0}), 0);
    ASSERT_EQ(AKFileWriteAGInterval(s.file, AGInterval{5.0, 6.0}), 0);
    ASSERT_EQ(AKFileWriteAGRect(s.file, AGRect{-1.0, -2.0, 7.0, 8.0}), 0);
    Bytes content = s.Content();
    ASSERT_EQ(content.size(), 16u * 3 + 32u);
    // 1.0 and 2.0 big-endian: 3F F0 .. and 40 00 ..
    EXPECT_EQ(Bytes(content.begin(), content.begin() + 9), B({0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 0x40}));

    s.Rewind();
    AGPoint point{};
    AGSize size{};
    AGInterval interval{};
    AGRect rect{};
    ASSERT_EQ(AKFileReadAGPoint(s.file, &point), 0);
    ASSERT_EQ(AKFileReadAGSize(s.file, &size), 0);
    ASSERT_EQ(AKFileReadAGInterval(s.file, &interval), 0);
    ASSERT_EQ(AKFileReadAGRect(s.file, &rect), 0);
    EXPECT_EQ(point, (AGPoint{1.0, 2.0}));
    EXPECT_EQ(size, (AGSize{3.0, 4.0}));
    EXPECT_EQ(interval, (AGInterval{5.0, 6.0}));
    EXPECT_EQ(rect, (AGRect{-1.0, -2.0, 7.0, 8.0}));
}

TEST(AKFileTypedIOTests, CountedArraysSwapComponentsAndLeaveTheCallersDataAlone)
{
    // Large enough to go out in several parts when swapped.
    ATNumberArray<AGPoint, double, 0> points;
    for (int i = 0; i < 1000; ++i)
        points.Push(AGPoint{static_cast<double>(i), -static_cast<double>(i)});
    ATNumberArray<AGPoint, double, 0> const original = points;

    Stream s(kAKFileEndianBig);
    ASSERT_EQ(AKFileWriteNumbersT(s.file, points), 0);
    EXPECT_EQ(points, original);
    Bytes content = s.Content();
    ASSERT_EQ(content.size(), 4u + 1000u * 16u);
    EXPECT_EQ(Bytes(content.begin(), content.begin() + 4), B({0, 0, 0x03, 0xE8}));
    // The second point's x (1.0) in big-endian order.
    EXPECT_EQ(Bytes(content.begin() + 20, content.begin() + 22), B({0x3F, 0xF0}));

    s.Rewind();
    ATNumberArray<AGPoint, double, 0> back;
    ASSERT_EQ(AKFileReadNumbersT(s.file, &back), 0);
    EXPECT_EQ(back, original);

    ATNumberArray<unsigned short, unsigned short, 0> units;
    units.Push(0x0041);
    units.Push(0x4E00);
    Stream u;
    ASSERT_EQ(AKFileWriteAKUniChars(u.file, units, kAKFileEndianBig), 0);
    EXPECT_EQ(u.Content(), B({0, 0, 0, 2, 0x00, 0x41, 0x4E, 0x00}));
    u.Rewind();
    ATNumberArray<unsigned short, unsigned short, 0> unitsBack;
    ASSERT_EQ(AKFileReadAKUniChars(u.file, &unitsBack, kAKFileEndianBig), 0);
    EXPECT_EQ(unitsBack, units);

    // Runs through the low-level template: skipping moves past whole items.
    u.Rewind();
    ASSERT_EQ((ATNumbersLow<unsigned int, 32>::SkipFromFile(u.file, 1, 0)), 0);
    unsigned short two[2] = {};
    ASSERT_EQ((ATNumbersLow<unsigned short, 0>::ReadFromFile(u.file, two, 2, 0, kAKFileEndianBig)), 0);
    EXPECT_EQ(two[1], 0x4E00);
}

TEST(AKFileTypedIOTests, ShortArrayReadLeavesTheArrayEmpty)
{
    Reader r(B({3, 0, 0, 0, 1, 0, 2, 0}));  // three units announced, two present
    ATNumberArray<unsigned short, unsigned short, 0> units;
    units.Push(7);
    LogCapture log;
    EXPECT_EQ(AKFileReadAKUniChars(r.file, &units), kAKErrorFileCantRead);
    EXPECT_TRUE(units.IsEmpty());
    EXPECT_EQ(log.Lines(), std::vector<std::string>{
                               "# Quorvex Error -890 (kAKErrorFileCantRead): Can't read in file \"Memory Stream\".\n"});
}

TEST(AKFileTypedIOTests, ZerosAreWrittenInParts)
{
    Stream none;
    ASSERT_EQ(AKFileWriteZeros(none.file, 0), 0);
    EXPECT_TRUE(none.Content().empty());

    Stream s;
    ASSERT_EQ(AKFileWriteUInt8(s.file, 0xFF), 0);
    ASSERT_EQ(AKFileWriteZeros(s.file, 16384 + 3616), 0);
    Bytes content = s.Content();
    ASSERT_EQ(content.size(), 1u + 20000u);
    EXPECT_EQ(Bytes(content.begin() + 1, content.end()), Bytes(20000, 0));
    EXPECT_EQ(s.Pos(), 20001u);
}

// --- Strings and paths ---

TEST(AKFileTypedIOTests, StringFileForm)
{
    struct Case {
        char const* label;
        AKString text;
        Bytes stored;
        AKString readBack;
    };
    Case const cases[] = {
        {"abcde", AKString("abcde"), B({8, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 0, 0, 0}), AKString("abcde")},
        {"four bytes need no padding", AKString("abcd"), B({4, 0, 0, 0, 'a', 'b', 'c', 'd'}), AKString("abcd")},
        {"empty", AKString(), B({0, 0, 0, 0}), AKString()},
        {"Mac Roman e-acute is UTF-8 C3 A9", AKString("\x8E"), B({4, 0, 0, 0, 0xC3, 0xA9, 0, 0}), AKString("\x8E")},
        {"own trailing NULs are lost", AKString("ab\0\0", 4), B({4, 0, 0, 0, 'a', 'b', 0, 0}), AKString("ab")},
    };
    for (Case const& c : cases) {
        Stream s;
        ASSERT_EQ(AKFileWriteAKString(s.file, c.text), 0) << c.label;
        EXPECT_EQ(s.Content(), c.stored) << c.label;
        s.Rewind();
        AKString back("junk");
        ASSERT_EQ(AKFileReadAKString(s.file, &back), 0) << c.label;
        EXPECT_EQ(back, c.readBack) << c.label;
        EXPECT_TRUE(s.file.IsEndOfFile(0)) << c.label;
        s.Rewind();
        ASSERT_EQ(AKFileSkipAKString(s.file), 0);
        EXPECT_EQ(s.Pos(), c.stored.size()) << c.label;
    }

    // A big-endian file stores the length big-endian.
    Stream big(kAKFileEndianBig);
    ASSERT_EQ(AKFileWriteAKString(big.file, AKString("x")), 0);
    EXPECT_EQ(big.Content(), B({0, 0, 0, 4, 'x', 0, 0, 0}));

    // Bytes that are not UTF-8 read as the empty string, and the read succeeds.
    Reader invalid(B({4, 0, 0, 0, 0xFF, 0, 0, 0}));
    AKString text("junk");
    ASSERT_EQ(AKFileReadAKString(invalid.file, &text), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(invalid.file.IsEndOfFile(0));
}

TEST(AKFileTypedIOTests, PathFileForm)
{
    Stream s;
    ASSERT_EQ(AKFileWriteAKFilePath(s.file, AKFilePath("/a/b.wav")), 0);
    EXPECT_EQ(s.Content(), B({8, 0, 0, 0, 0x01, 0x61, 0x01, 0x62, 0x2E, 0x77, 0x61, 0x76}));
    s.Rewind();
    AKFilePath path;
    ASSERT_EQ(AKFileReadAKFilePath(s.file, &path), 0);
    EXPECT_EQ(path, AKFilePath("/a/b.wav"));
    s.Rewind();
    ASSERT_EQ(AKFilePath::SkipFromFile(s.file), 0);
    EXPECT_EQ(s.Pos(), 12u);

    // Stored text is taken as it is: 0x01 gives "/", a backslash stays.
    Reader r(B({8, 0, 0, 0, 0x01, 'x', '\\', 'y', 0x01, 0, 0, 0}));
    ASSERT_EQ(path.ReadFromFile(r.file), 0);
    EXPECT_EQ(path.String(), AKString("/x\\y/"));

    // A failed read leaves the path empty.
    LogCapture log;
    Reader shortFile(B({8, 0, 0, 0, 0x01, 'x'}));
    EXPECT_EQ(path.ReadFromFile(shortFile.file), kAKErrorFileCantRead);
    EXPECT_TRUE(path.IsEmpty());
}

TEST(AKFileTypedIOTests, CorruptLengthsFailWithoutALargeAllocation)
{
    LogCapture log;
    std::string const line = "# Quorvex Error -890 (kAKErrorFileCantRead): Can't read in file \"Memory Stream\".\n";

    Reader string(B({0xF0, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c', 'd'}));
    AllocationProbe probe;
    AKString text("junk");
    EXPECT_EQ(AKFileReadAKString(string.file, &text), kAKErrorFileCantRead);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_LT(probe.LargestSize(), 4096u);

    Reader array(B({0x00, 0x00, 0x00, 0x40, 1, 0}));
    probe.Start();
    ATNumberArray<unsigned short, unsigned short, 0> units;
    EXPECT_EQ(AKFileReadAKUniChars(array.file, &units), kAKErrorFileCantRead);
    EXPECT_TRUE(units.IsEmpty());
    EXPECT_LT(probe.LargestSize(), 4096u);

    // A length that fits exactly is accepted.
    Reader exact(B({4, 0, 0, 0, 'a', 'b', 'c', 'd'}));
    ASSERT_EQ(AKFileReadAKString(exact.file, &text), 0);
    EXPECT_EQ(text, AKString("abcd"));

    EXPECT_EQ(log.Lines(), std::vector<std::string>(2, line));
}

TEST(AKFileTypedIOTests, CorruptLengthInADiskFileFailsWithoutALargeAllocation)
{
    AKFile file(kAKFileModeTemporary);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(AKFileWriteUInt32(file, 0x7FFFFFF0u), 0);
    ASSERT_EQ(AKFileWrite(file, "abcdefgh", 8), 0);
    ASSERT_EQ(file.SetPos(0), 0);

    LogCapture log;
    AllocationProbe probe;
    AKString text("junk");
    EXPECT_EQ(AKFileReadAKString(file, &text), kAKErrorFileCantRead);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_LT(probe.LargestSize(), 4096u);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"# Quorvex Error -890 (kAKErrorFileCantRead): Can't read in file \"" +
                                       std::string(file.GetPath().c_str()) + "\".\n"});
}

// --- Signatures, chunks and padding ---

TEST(AKFileChunkTests, SignatureIsBigEndianInEveryFile)
{
    for (unsigned int order : {kAKFileEndianLittle, kAKFileEndianBig}) {
        Stream s(order);
        ASSERT_EQ(AKFileWriteSignat32(s.file, kNODE), 0);
        EXPECT_EQ(s.Content(), B({0x4E, 0x4F, 0x44, 0x45})) << order;
        s.Rewind();
        unsigned int found = 0;
        ASSERT_EQ(AKFileReadSignat32(s.file, &found), 0);
        EXPECT_EQ(found, kNODE);
    }
}

TEST(AKFileChunkTests, CheckSignatureReportsWhatWasFound)
{
    Reader r(B({0, 0, 'N', 'O', 'D', 'E'}));
    ASSERT_EQ(r.file.SetPos(2), 0);
    LogCapture log;
    unsigned int found = 0;
    EXPECT_EQ(AKFileCheckSignat32(r.file, kTREE, &found), kAKErrorChunkUnknownSignature);
    EXPECT_EQ(found, kNODE);
    unsigned long long pos = 0;
    ASSERT_EQ(r.file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 6u);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"# Quorvex Error -880 (kAKErrorChunkUnknownSignature): In file \"\" at "
                                       "pos 2, want chunk [TREE] but has [NODE].\n"});

    ASSERT_EQ(r.file.SetPos(2), 0);
    EXPECT_EQ(AKFileCheckSignat32(r.file, kNODE, nullptr), 0);
}

TEST(AKFileChunkTests, IsSignatureNeedsFourBytesLeft)
{
    Reader r(B({'x', 'N', 'O', 'D', 'E'}));
    ASSERT_EQ(r.file.SetPos(2), 0);
    EXPECT_FALSE(AKFileIsSignat32(r.file, AKFileMakeSignat32('O', 'D', 'E', 0), true));
    unsigned long long pos = 0;
    ASSERT_EQ(r.file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 2u);

    ASSERT_EQ(r.file.SetPos(1), 0);
    EXPECT_TRUE(AKFileIsSignat32(r.file, kNODE, true));
    ASSERT_EQ(r.file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 1u);
    EXPECT_FALSE(AKFileIsSignat32(r.file, kTREE, false));
    ASSERT_EQ(r.file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 5u);
}

TEST(AKFileChunkTests, EmptyChunkIsItsHeaderWithSizeZero)
{
    Stream s;
    AKFileChunk chunk(kDATA);
    chunk.size = 99;
    ASSERT_EQ(AKFileWriteChunkHeader(s.file, chunk), 0);
    EXPECT_EQ(chunk.size, 0u);
    EXPECT_EQ(chunk.position, 0u);
    ASSERT_EQ(AKFileWriteChunkComplete(s.file, chunk), 0);
    EXPECT_EQ(chunk.size, 0u);
    EXPECT_EQ(s.Pos(), 8u);
    EXPECT_EQ(s.Content(), B({'D', 'A', 'T', 'A', 0, 0, 0, 0}));
}

TEST(AKFileChunkTests, PaddingAfterOrBeforeCompletion)
{
    // Padding written after completion stays outside the chunk.
    Stream after;
    AKFileChunk chunk(kDATA);
    ASSERT_EQ(AKFileWriteChunkHeader(after.file, chunk), 0);
    ASSERT_EQ(AKFileWrite(after.file, "12345", 5), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(after.file, chunk), 0);
    EXPECT_EQ(after.Pos(), 13u);
    ASSERT_EQ(AKFileWritePadding64(after.file), 0);
    EXPECT_EQ(chunk.size, 5u);
    EXPECT_EQ(after.Content(), B({'D', 'A', 'T', 'A', 5, 0, 0, 0, '1', '2', '3', '4', '5', 0, 0, 0}));

    // Padding written before completion counts in the size.
    Stream before(kAKFileEndianBig);
    AKFileChunk inner(kDATA);
    ASSERT_EQ(AKFileWriteChunkHeader(before.file, inner), 0);
    ASSERT_EQ(AKFileWrite(before.file, "12345", 5), 0);
    ASSERT_EQ(AKFileWritePadding64(before.file), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(before.file, inner), 0);
    EXPECT_EQ(inner.size, 8u);
    EXPECT_EQ(before.Content(), B({'D', 'A', 'T', 'A', 0, 0, 0, 8, '1', '2', '3', '4', '5', 0, 0, 0}));

    // Aligned positions need no padding; reading skips the same count.
    ASSERT_EQ(AKFileWritePadding64(before.file), 0);
    EXPECT_EQ(before.Pos(), 16u);
    ASSERT_EQ(before.file.SetPos(13), 0);
    ASSERT_EQ(AKFileReadPadding64(before.file), 0);
    EXPECT_EQ(before.Pos(), 16u);
    ASSERT_EQ(AKFileReadPadding64(before.file), 0);
    EXPECT_EQ(before.Pos(), 16u);
}

TEST(AKFileChunkTests, NestedChunksAreCompletedInsideOut)
{
    Stream s;
    AKFileChunk tree(kTREE);
    AKFileChunk node(kNODE);
    AKFileChunk empty(kDATA);
    ASSERT_EQ(AKFileWriteChunkHeader(s.file, tree), 0);
    ASSERT_EQ(AKFileWriteUInt32(s.file, 0xAABBCCDD), 0);
    ASSERT_EQ(AKFileWriteChunkHeader(s.file, node), 0);
    ASSERT_EQ(AKFileWriteAKString(s.file, AKString("abcde")), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(s.file, node), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(s.file, tree), 0);
    ASSERT_EQ(AKFileWriteChunkHeader(s.file, empty), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(s.file, empty), 0);
    EXPECT_EQ(node.position, 12u);
    EXPECT_EQ(node.size, 12u);
    EXPECT_EQ(tree.size, 24u);
    EXPECT_EQ(s.Content(),
              B({'T', 'R', 'E', 'E', 24,  0,   0,   0,   0xDD, 0xCC, 0xBB, 0xAA, 'N', 'O', 'D', 'E', 12, 0, 0, 0,
                 8,   0,   0,   0,   'a', 'b', 'c', 'd', 'e',  0,    0,    0,    'D', 'A', 'T', 'A', 0,  0, 0, 0}));

    // Reading: the payload reader may stop anywhere; the chunk end is exact.
    s.Rewind();
    AKFileChunk read(kTREE);
    ASSERT_EQ(AKFileCheckChunkHeader(s.file, &read), 0);
    EXPECT_EQ(read.size, 24u);
    AKFileChunk inner;
    ASSERT_EQ(AKFileSkip(s.file, 4), 0);
    ASSERT_EQ(AKFileReadChunkHeader(s.file, &inner), 0);
    EXPECT_EQ(inner.signature, kNODE);
    EXPECT_EQ(inner.position, 12u);
    ASSERT_EQ(AKFileSkip(s.file, 2), 0);
    ASSERT_EQ(AKFileGotoChunkEnd(s.file, read), 0);
    EXPECT_EQ(s.Pos(), 32u);
    ASSERT_EQ(AKFileGotoChunkBegin(s.file, inner), 0);
    EXPECT_EQ(s.Pos(), 12u);
}

TEST(AKFileChunkTests, CheckChunkHeaderNamesTheFoundSignatureAndItsPosition)
{
    AKFile file(kAKFileModeTemporary);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(AKFileWriteZeros(file, 24), 0);
    AKFileChunk node(kNODE);
    ASSERT_EQ(AKFileWriteChunkHeader(file, node), 0);
    ASSERT_EQ(AKFileWriteUInt32(file, 7), 0);
    ASSERT_EQ(AKFileWriteChunkComplete(file, node), 0);
    ASSERT_EQ(file.SetPos(24), 0);

    LogCapture log;
    AKFileChunk chunk(kTREE);
    EXPECT_EQ(AKFileCheckChunkHeader(file, &chunk), kAKErrorChunkUnknownSignature);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"# Quorvex Error -880 (kAKErrorChunkUnknownSignature): In file \"" +
                                                    std::string(file.GetPath().c_str()) +
                                                    "\" at pos 24, want chunk [TREE] but has [NODE].\n"});
    // The record holds what was read, and the position is after the header.
    EXPECT_EQ(chunk.signature, kNODE);
    EXPECT_EQ(chunk.size, 4u);
    EXPECT_EQ(chunk.position, 24u);
    unsigned long long pos = 0;
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 32u);
}

TEST(AKFileChunkTests, ShortFileFailsAtTheFirstReadPastTheEnd)
{
    Reader r(B({'N', 'O', 'D', 'E', 4, 0}));
    LogCapture log;
    AKFileChunk chunk;
    EXPECT_EQ(AKFileReadChunkHeader(r.file, &chunk), kAKErrorFileCantRead);
    EXPECT_EQ(chunk.signature, kNODE);
    EXPECT_EQ(log.Lines().size(), 1u);
}
