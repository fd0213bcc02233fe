#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "AllocationProbe.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

// Lets a test show that a corrupt count is refused before anything that
// large is allocated.
ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

// --- Helpers ---

AKValue Bool(bool b)
{
    AKValue v;
    v.SetasBool(b);
    return v;
}

AKValue Int(long long i)
{
    AKValue v;
    v.SetasInteger(i);
    return v;
}

AKValue Real(double d)
{
    AKValue v;
    v.SetasFloat(d);
    return v;
}

AKValue Str(char const* s)
{
    AKValue v;
    v.SetasAKString(AKString(s));
    return v;
}

AKValue Block(std::vector<unsigned char> const& bytes)
{
    AKValue v;
    v.SetasBinary(AKMemoryBlock(bytes.data(), static_cast<unsigned int>(bytes.size())));
    return v;
}

AKValue Array(std::initializer_list<AKValue> items)
{
    AKValue v;
    v.SetasAKValueArray(AKValueArray(items));
    return v;
}

AKValue Dict(std::initializer_list<std::pair<char const*, AKValue>> entries)
{
    AKDictionary d;
    for (auto const& entry : entries)
        EXPECT_EQ(d.SetValue(entry.first, entry.second), 0);
    AKValue v;
    v.SetasAKDictionary(d);
    return v;
}

// Hexadecimal text of bytes, spaces ignored: "696E7467 08000000".
std::vector<unsigned char> Hex(char const* text)
{
    std::vector<unsigned char> bytes;
    std::string digits;
    for (char const* p = text; *p; ++p) {
        if (*p != ' ')
            digits += *p;
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(std::vector<unsigned char> const& bytes)
{
    static char const kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

// The bytes that `write` puts into a new memory stream.
std::vector<unsigned char> Written(std::function<int(AKFile&)> const& write,
                                   unsigned int endianness = kAKFileEndianLittle)
{
    AKFile file(kAKFileModeMemoryStream);
    file.SetEndianness(endianness);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(write(file), 0);
    AKMemoryBlock block;
    EXPECT_EQ(file.GetMemoryStreamDataBlock(&block), 0);
    return std::vector<unsigned char>(block.Data(), block.Data() + block.Size());
}

// A memory stream holding the bytes, open for reading.
struct Reader {
    AKFile file;
    explicit Reader(std::vector<unsigned char> const& bytes, unsigned int endianness = kAKFileEndianLittle)
        : file(bytes.data(), static_cast<unsigned int>(bytes.size()))
    {
        file.SetEndianness(endianness);
        EXPECT_EQ(file.OpenForRead(), 0);
    }
    unsigned long long Pos() const
    {
        unsigned long long pos = 0;
        file.GetPos(&pos);
        return pos;
    }
};

// --- Golden bytes of the value chunks ---

struct GoldenCase {
    char const* name;
    AKValue value;
    unsigned int endianness;
    char const* bytes;
};

TEST(AKValueChunk, GoldenBytesWriteAndReadBack)
{
    std::vector<GoldenCase> const cases = {
        {"empty value", AKValue(), kAKFileEndianLittle, "00000000 00000000"},
        {"empty string", Str(""), kAKFileEndianLittle, "73747267 00000000"},
        {"abcd needs no padding", Str("abcd"), kAKFileEndianLittle, "73747267 04000000 61626364"},
        {"abc gets one NUL", Str("abc"), kAKFileEndianLittle, "73747267 04000000 61626300"},
        {"Mac Roman e-acute as UTF-8", Str("\x8E"), kAKFileEndianLittle, "73747267 04000000 C3A90000"},
        {"empty block", Block({}), kAKFileEndianLittle, "62696E61 04000000 00000000"},
        {"5-byte block", Block({1, 2, 3, 4, 5}), kAKFileEndianLittle, "62696E61 0C000000 05000000 0102030405 000000"},
        {"4-byte block", Block({9, 8, 7, 6}), kAKFileEndianLittle, "62696E61 08000000 04000000 09080706"},
        {"true", Bool(true), kAKFileEndianLittle, "626F6F6C 04000000 01000000"},
        {"false", Bool(false), kAKFileEndianLittle, "626F6F6C 04000000 00000000"},
        {"integer -2", Int(-2), kAKFileEndianLittle, "696E7467 08000000 FEFFFFFFFFFFFFFF"},
        {"real 1.0", Real(1.0), kAKFileEndianLittle, "7265616C 08000000 000000000000F03F"},
        {"big-endian integer", Int(1), kAKFileEndianBig, "696E7467 00000008 0000000000000001"},
        {"big-endian string", Str("abc"), kAKFileEndianBig, "73747267 00000004 61626300"},
        {"empty array", Array({}), kAKFileEndianLittle, "61727279 04000000 00000000"},
        {"array of empty, string, nested array", Array({AKValue(), Str("a"), Array({Int(1)})}), kAKFileEndianLittle,
         "61727279 34000000 03000000"
         " 00000000 00000000"
         " 73747267 04000000 61000000"
         " 61727279 14000000 01000000 696E7467 08000000 0100000000000000"},
        {"dictionary {a: 1}", Dict({{"a", Int(1)}}), kAKFileEndianLittle,
         "64696374 1C000000 01000000 04000000 61000000 696E7467 08000000 0100000000000000"},
    };
    for (GoldenCase const& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> expected = Hex(c.bytes);
        std::vector<unsigned char> bytes = Written([&](AKFile& f) { return c.value.WriteToFile(f); }, c.endianness);
        EXPECT_EQ(ToHex(bytes), ToHex(expected));

        Reader reader(expected, c.endianness);
        AKValue read = Int(99);
        EXPECT_EQ(read.ReadFromFile(reader.file), 0);
        EXPECT_TRUE(read.IsEqual(c.value));
        EXPECT_EQ(read.GetTag(), c.value.GetTag());
        EXPECT_EQ(reader.Pos(), expected.size());
    }
}

TEST(AKValueChunk, UnknownChunkInValuePositionIsSkipped)
{
    // An unknown kind with a 5-byte payload, then an integer.
    Reader reader(Hex("7A7A7A7A 05000000 0102030405 696E7467 08000000 0700000000000000"));
    AKValue value = Int(3);
    EXPECT_EQ(value.ReadFromFile(reader.file), 0);
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_EQ(reader.Pos(), 13u);
    EXPECT_EQ(value.ReadFromFile(reader.file), 0);
    EXPECT_TRUE(value.IsEqual(Int(7)));

    // Inside an array the unknown element reads as the empty value and the
    // next element is read normally.
    Reader inArray(Hex("61727279 1D000000 02000000 7A7A7A7A 05000000 0102030405 696E7467 08000000 0700000000000000"));
    AKValueArray array;
    EXPECT_EQ(array.ReadFromFile(inArray.file), 0);
    ASSERT_EQ(array.Count(), 2u);
    EXPECT_TRUE(array[0].IsEmpty());
    EXPECT_TRUE(array[1].IsEqual(Int(7)));
}

TEST(AKValueChunk, AnyNonZeroBooleanIsTrue)
{
    Reader reader(Hex("626F6F6C 04000000 02000000"));
    AKValue value;
    EXPECT_EQ(value.ReadFromFile(reader.file), 0);
    EXPECT_TRUE(value.IsEqual(Bool(true)));
}

TEST(AKValueChunk, ArrayRoundTrip)
{
    AKValueArray array{AKValue(), Str("text"), Array({Int(1), Real(2.5), Array({})}), Block({0, 0, 1}),
                       Dict({{"k", Bool(false)}})};
    std::vector<unsigned char> bytes = Written([&](AKFile& f) { return array.WriteToFile(f); });
    Reader reader(bytes);
    AKValueArray read{Int(5)};
    EXPECT_EQ(read.ReadFromFile(reader.file), 0);
    EXPECT_TRUE(read == array);
    EXPECT_EQ(reader.Pos(), bytes.size());
}

TEST(AKValueChunk, WrongSignatureForArrayAndBlock)
{
    LogCapture log;
    Reader forArray(Hex("64696374 04000000 00000000"));
    AKValueArray array{Int(1)};
    EXPECT_EQ(array.ReadFromFile(forArray.file), kAKErrorChunkUnknownSignature);
    EXPECT_TRUE(array.IsEmpty());

    Reader forBlock(Hex("61727279 04000000 00000000"));
    AKMemoryBlock block(reinterpret_cast<unsigned char const*>("xy"), 2);
    EXPECT_EQ(block.ReadFromFile(forBlock.file), kAKErrorChunkUnknownSignature);
    EXPECT_TRUE(block.IsEmpty());
    EXPECT_EQ(log.Lines().size(), 2u);
}

// --- Corrupt input ---

struct CorruptCase {
    char const* name;
    std::vector<unsigned char> bytes;
    int status;
};

std::vector<unsigned char> DeeplyNestedArrays(unsigned int depth)
{
    std::vector<unsigned char> bytes;
    for (unsigned int i = 0; i < depth; ++i) {
        std::vector<unsigned char> header = Hex("61727279 00000000 01000000");
        bytes.insert(bytes.end(), header.begin(), header.end());
    }
    std::vector<unsigned char> leaf = Hex("00000000 00000000");
    bytes.insert(bytes.end(), leaf.begin(), leaf.end());
    return bytes;
}

TEST(AKValueChunk, CorruptInputFailsCleanly)
{
    std::vector<CorruptCase> const cases = {
        {"truncated integer", Hex("696E7467 08000000 0100"), kAKErrorFileCantRead},
        {"truncated header", Hex("696E7467 08"), kAKErrorFileCantRead},
        {"string length beyond the file", Hex("73747267 F0FFFF7F 61626364"), kAKErrorFileCantRead},
        {"block count beyond its chunk", Hex("62696E61 08000000 FFFFFF7F 01020304"), kAKErrorFileCantRead},
        {"block chunk beyond the file", Hex("62696E61 F0FFFF7F 04000000 01020304"), kAKErrorFileCantRead},
        {"block chunk smaller than its count field", Hex("62696E61 02000000 00000000"), kAKErrorFileCantRead},
        {"array count beyond the file", Hex("61727279 08000000 FFFFFFFF 00000000 00000000"), kAKErrorFileCantRead},
        {"array element truncated", Hex("61727279 14000000 01000000 696E7467 08000000 01000000"), kAKErrorFileCantRead},
        {"dictionary count beyond the file", Hex("64696374 08000000 FFFFFFFF 00000000"), kAKErrorFileCantRead},
        {"dictionary key length beyond the file", Hex("64696374 10000000 01000000 FFFFFF0F 00000000 00000000"),
         kAKErrorFileCantRead},
        {"unknown chunk beyond the file", Hex("7A7A7A7A FFFFFF7F 00"), kAKErrorFileCantRead},
        {"arrays nested too deep", DeeplyNestedArrays(400), kAKErrorFileCantRead},
    };
    for (CorruptCase const& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        AllocationProbe probe;
        Reader reader(c.bytes);
        AKValue value = Str("previous");
        EXPECT_EQ(value.ReadFromFile(reader.file), c.status);
        EXPECT_TRUE(value.IsEmpty());
        EXPECT_FALSE(log.Lines().empty());
        // Nothing near the stored sizes was allocated.
        EXPECT_LT(probe.LargestSize(), 1u << 20);
    }
}

TEST(AKValueChunk, NestingWithinTheLimitReads)
{
    Reader reader(DeeplyNestedArrays(200));
    AKValue value;
    EXPECT_EQ(value.ReadFromFile(reader.file), 0);
    EXPECT_TRUE(value.IsAKValueArray());
}

TEST(AKMemoryBlockChunk, SkipMovesPastTheChunk)
{
    Reader reader(Hex("62696E61 0C000000 05000000 0102030405 000000 696E7467 08000000 0700000000000000"));
    EXPECT_EQ(AKMemoryBlock::SkipFromFile(reader.file), 0);
    EXPECT_EQ(reader.Pos(), 20u);
    LogCapture log;
    EXPECT_EQ(AKMemoryBlock::SkipFromFile(reader.file), kAKErrorChunkUnknownSignature);
}

// --- Conversions ---

enum class Getter { Bool, Integer, Float };

struct ConversionCase {
    char const* name;
    AKValue value;
    Getter getter;
    bool convert;
    bool ok;
    double expected;  // the bool, integer or real expected on success
};

TEST(AKValueConvert, GettersWithAndWithoutConversion)
{
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const minInt = static_cast<double>(LLONG_MIN);
    std::vector<ConversionCase> const cases = {
        // GetasInteger
        {"integer as itself", Int(-7), Getter::Integer, false, true, -7},
        {"real 2.5 rounds up", Real(2.5), Getter::Integer, true, true, 3},
        {"real -2.5 rounds up", Real(-2.5), Getter::Integer, true, true, -2},
        {"real 2.5 without conversion", Real(2.5), Getter::Integer, false, false, 0},
        {"string leading blank and trailing text", Str(" 42xyz"), Getter::Integer, true, true, 42},
        {"string 2.7 reads as the integer 2", Str("2.7"), Getter::Integer, true, true, 2},
        {"string .5 goes through the real", Str(".5"), Getter::Integer, true, true, 1},
        {"string abc", Str("abc"), Getter::Integer, true, false, 0},
        {"bool true", Bool(true), Getter::Integer, true, true, 1},
        {"bool without conversion", Bool(true), Getter::Integer, false, false, 0},
        {"NaN", Real(nan), Getter::Integer, true, true, minInt},
        {"above the 64-bit range", Real(1e300), Getter::Integer, true, true, minInt},
        {"just at 2^63", Real(9223372036854775808.0), Getter::Integer, true, true, minInt},
        {"below the 64-bit range", Real(-1e19), Getter::Integer, true, true, minInt},
        {"infinity", Real(std::numeric_limits<double>::infinity()), Getter::Integer, true, true, minInt},
        {"large but in range", Real(-9.2e18), Getter::Integer, true, true, -9.2e18},
        {"array fails", Array({Int(1)}), Getter::Integer, true, false, 0},
        {"empty value fails", AKValue(), Getter::Integer, true, false, 0},
        // GetasBool
        {"string 0.5 reads as the integer 0", Str("0.5"), Getter::Bool, true, true, 0},
        {"string .5 reads as a real", Str(".5"), Getter::Bool, true, true, 1},
        {"string 12", Str("12"), Getter::Bool, true, true, 1},
        {"string no", Str("no"), Getter::Bool, true, false, 0},
        {"integer 0", Int(0), Getter::Bool, true, true, 0},
        {"integer -3", Int(-3), Getter::Bool, true, true, 1},
        {"real -0.0", Real(-0.0), Getter::Bool, true, true, 0},
        {"integer without conversion", Int(1), Getter::Bool, false, false, 0},
        {"bool whatever the flag", Bool(true), Getter::Bool, false, true, 1},
        {"block fails", Block({1}), Getter::Bool, true, false, 0},
        // GetasFloat
        {"real as itself", Real(0.25), Getter::Float, false, true, 0.25},
        {"bool true", Bool(true), Getter::Float, true, true, 1.0},
        {"integer 3", Int(3), Getter::Float, true, true, 3.0},
        {"string 2.5", Str("2.5"), Getter::Float, true, true, 2.5},
        {"string .5", Str(".5"), Getter::Float, true, true, 0.5},
        {"string x", Str("x"), Getter::Float, true, false, 0},
        {"integer without conversion", Int(3), Getter::Float, false, false, 0},
        {"dictionary fails", Dict({}), Getter::Float, true, false, 0},
    };
    for (ConversionCase const& c : cases) {
        SCOPED_TRACE(c.name);
        switch (c.getter) {
        case Getter::Bool: {
            bool out = !c.expected;  // a sentinel that differs from the expected answer
            bool sentinel = out;
            EXPECT_EQ(c.value.GetasBool(&out, c.convert), c.ok);
            EXPECT_EQ(out, c.ok ? c.expected != 0 : sentinel);
            break;
        }
        case Getter::Integer: {
            long long out = 123456789;
            EXPECT_EQ(c.value.GetasInteger(&out, c.convert), c.ok);
            EXPECT_EQ(out, c.ok ? static_cast<long long>(c.expected) : 123456789);
            break;
        }
        case Getter::Float: {
            double out = -777.0;
            EXPECT_EQ(c.value.GetasFloat(&out, c.convert), c.ok);
            EXPECT_EQ(out, c.ok ? c.expected : -777.0);
            break;
        }
        }
    }
}

TEST(AKValueConvert, ObjectGettersDoNotConvert)
{
    AKValue number = Int(5);
    AKString text("kept");
    EXPECT_FALSE(number.GetasAKString(&text));
    EXPECT_EQ(text, AKString("kept"));
    EXPECT_EQ(number.GetasAKString(), nullptr);
    EXPECT_EQ(number.GetasAKDictionary(), nullptr);
    EXPECT_EQ(number.GetasAKValueArray(), nullptr);
    EXPECT_EQ(number.GetasBinary(), nullptr);

    AKValue string = Str("abc");
    EXPECT_TRUE(string.GetasAKString(&text));
    EXPECT_EQ(text, AKString("abc"));
    AKMemoryBlock block(reinterpret_cast<unsigned char const*>("z"), 1);
    EXPECT_FALSE(string.GetasBinary(&block));
    EXPECT_EQ(block.Size(), 1u);
}

// --- Equality ---

struct EqualityCase {
    char const* name;
    AKValue a;
    AKValue b;
    bool equal;
};

TEST(AKValueEquality, Rules)
{
    double const nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<EqualityCase> const cases = {
        {"two empty values", AKValue(), AKValue(), true},
        {"integer 0 and false", Int(0), Bool(false), false},
        {"integer 1 and real 1.0", Int(1), Real(1.0), false},
        {"integer 1 and true", Int(1), Bool(true), false},
        {"0.0 and -0.0", Real(0.0), Real(-0.0), true},
        {"two NaNs", Real(nan), Real(nan), false},
        {"strings differ by case", Str("a"), Str("A"), false},
        {"same strings", Str("same"), Str("same"), true},
        {"empty string and empty value", Str(""), AKValue(), false},
        {"blocks", Block({1, 2}), Block({1, 2}), true},
        {"blocks of different sizes", Block({1, 2}), Block({1, 2, 0}), false},
        {"nested arrays", Array({Int(1), Array({Str("x")})}), Array({Int(1), Array({Str("x")})}), true},
        {"arrays of different counts", Array({Int(1)}), Array({Int(1), Int(1)}), false},
        {"arrays differing deep down", Array({Array({Int(1)})}), Array({Array({Int(2)})}), false},
        {"dictionaries", Dict({{"a", Int(1)}, {"b", Str("s")}}), Dict({{"b", Str("s")}, {"a", Int(1)}}), true},
        {"dictionaries differing by a key", Dict({{"a", Int(1)}}), Dict({{"b", Int(1)}}), false},
    };
    for (EqualityCase const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a.IsEqual(c.b), c.equal);
        EXPECT_EQ(c.b.IsEqual(c.a), c.equal);
    }
    AKValue notANumber = Real(nan);
    EXPECT_TRUE(notANumber.IsEqual(notANumber));
    AKValueArray withNaN{notANumber};
    EXPECT_TRUE(withNaN == withNaN);
}

// --- Ownership and copies ---

TEST(AKValue, CopiesAreDeep)
{
    AKValue original = Dict({{"inner", Dict({{"n", Int(1)}})}});
    AKValue copy(original);
    AKDictionary* inner = copy.GetasAKDictionary();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->SetValue("inner.n", Int(2)), 0);
    EXPECT_TRUE(original.GetasAKDictionary()->GetValue("inner.n").IsEqual(Int(1)));
    EXPECT_TRUE(copy.GetasAKDictionary()->GetValue("inner.n").IsEqual(Int(2)));

    AKValue assigned;
    assigned = original;
    EXPECT_TRUE(assigned.IsEqual(original));
    EXPECT_NE(assigned.GetasAKDictionary(), original.GetasAKDictionary());
}

TEST(AKValue, SettingWhatTheValueAlreadyHolds)
{
    AKValue value = Str("same");
    AKString const* held = value.GetasAKString();
    value.SetasAKString(*held);
    EXPECT_EQ(value.GetasAKString(), held);
    EXPECT_EQ(*value.GetasAKString(), AKString("same"));

    value.Assign(value);
    EXPECT_EQ(value.GetasAKString(), held);
}

TEST(AKValue, SettingFromInsideItsOwnPayload)
{
    // The argument lives in the payload being replaced: it must be copied
    // before the payload goes.
    AKValue value = Dict({{"s", Str("inner text")}, {"d", Dict({{"n", Int(4)}})}});
    value.SetasAKString(*value.GetasAKDictionary()->GetValue("s").GetasAKString());
    EXPECT_TRUE(value.IsEqual(Str("inner text")));

    AKValue holder = Dict({{"d", Dict({{"n", Int(4)}})}});
    holder.Assign(holder.GetasAKDictionary()->GetValue("d"));
    EXPECT_TRUE(holder.IsEqual(Dict({{"n", Int(4)}})));

    AKValue arrays = Array({Array({Int(1)})});
    arrays.SetasAKValueArray(*(*arrays.GetasAKValueArray())[0].GetasAKValueArray());
    EXPECT_TRUE(arrays.IsEqual(Array({Int(1)})));
}

TEST(AKValue, ClearAndMove)
{
    AKValue value = Block({1, 2, 3});
    AKValue moved(std::move(value));
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_TRUE(moved.IsEqual(Block({1, 2, 3})));
    moved.Clear();
    EXPECT_TRUE(moved.IsEmpty());
    EXPECT_EQ(moved.GetTag(), 0u);
}

TEST(AKValue, SharedEmptyConstants)
{
    EXPECT_TRUE(kAKNullValue.IsEmpty());
    EXPECT_TRUE(kAKNullValueArray.IsEmpty());
    EXPECT_TRUE(kAKNullMemoryBlock.IsEmpty());
    EXPECT_EQ(kAKNullMemoryBlock.Data(), nullptr);
    EXPECT_EQ(&kAKNullValue, &AKNullValueShared());
}

// --- Memory blocks ---

TEST(AKMemoryBlock, SizesAndStorage)
{
    AKMemoryBlock block;
    EXPECT_TRUE(block.IsEmpty());
    EXPECT_EQ(block.Data(), nullptr);

    block.Allocate(4, false);
    EXPECT_EQ(block.Size(), 4u);
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(block.Data()[i], 0);
    block.Data()[0] = 7;
    block.Allocate(6, false);
    EXPECT_EQ(block.Data()[0], 7);
    EXPECT_EQ(block.Data()[5], 0);
    block.Allocate(6, true);
    EXPECT_EQ(block.Data()[0], 0);

    block.Data()[1] = 9;
    block.Zeroset();
    EXPECT_EQ(block.Size(), 6u);
    EXPECT_EQ(block.Data()[1], 0);

    block.Clear();
    EXPECT_EQ(block.Size(), 0u);
    EXPECT_EQ(block.Data(), nullptr);
    block.Allocate(0, true);
    EXPECT_TRUE(block.IsEmpty());

    block.Assign("abc", 3);
    block.Assign(nullptr, 3);
    EXPECT_TRUE(block.IsEmpty());
    block.Assign("abc", 0);
    EXPECT_TRUE(block.IsEmpty());
}

TEST(AKMemoryBlock, AssignFromItsOwnBytes)
{
    AKMemoryBlock block("abcdef", 6);
    block.Assign(block.Data() + 2, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char const*>(block.Data()), block.Size()), "cde");
    block.Assign(block.Data(), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char const*>(block.Data()), block.Size()), "cd");
    block.Assign(block);
    EXPECT_EQ(block.Size(), 2u);
}

TEST(AKMemoryBlock, EqualitySwapAndHexText)
{
    AKMemoryBlock a("\x01\xAB", 2);
    AKMemoryBlock b;
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_TRUE(AKMemoryBlock().IsEqual(b));
    a.Swap(&b);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(b.Size(), 2u);
    EXPECT_EQ(AKStringHexaFromBinaryData(b, AKString("0x")), AKString("0x01AB"));
    EXPECT_EQ(AKStringHexaFromBinaryData(a, AKString("0x")), AKString(""));
}

TEST(AKMemoryBlock, MemoryStreamsFromBlocks)
{
    AKMemoryBlock block("\x00\x01\x02", 3);
    AKFile stream(block);
    EXPECT_TRUE(stream.IsMemoryStream());
    EXPECT_EQ(stream.OpenForRead(), 0);
    unsigned char bytes[3] = {9, 9, 9};
    EXPECT_EQ(stream.Read(bytes, 3), 0);
    EXPECT_EQ(bytes[2], 2);

    AKMemoryBlock copy;
    EXPECT_EQ(stream.GetMemoryStreamDataBlock(&copy), 0);
    EXPECT_TRUE(copy.IsEqual(block));

    AKFile fromEmpty{AKMemoryBlock()};
    EXPECT_EQ(fromEmpty.GetMemoryStreamDataBlock(&copy), 0);
    EXPECT_TRUE(copy.IsEmpty());

    LogCapture log;
    AKFile disk(AKFilePath("/tmp/not-a-stream"));
    copy.Assign("x", 1);
    EXPECT_EQ(disk.GetMemoryStreamDataBlock(&copy), kAKErrorFileCantGetInfo);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(log.Lines().size(), 1u);
}

}  // namespace
