// Typed access to values: the value form of every member type in both
// directions, the conversions the flag allows, the array rules, word tables
// for enumerations and flag sets, and time intervals in text. Every failing
// read must leave the out-parameter as the rules say and never crash.

#include "AKValueTyped.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <initializer_list>
#include <locale.h>
#include <string>
#include <type_traits>
#include <utility>

namespace {

// --- Building values ---

AKValue Int(long long n) { return AKValueSetasSInt(n); }
AKValue Real(double x) { return AKValueSetasFloat64(x); }
AKValue Str(char const* s) { return AKValueSetasAKString(AKString(s)); }
AKValue Flag(bool b) { return AKValueSetasBool(b); }
AKValue Dict(std::initializer_list<std::pair<char const*, AKValue>> entries)
{
    AKDictionary dictionary;
    for (auto const& entry : entries)
        dictionary.SetValue(AKString(entry.first), entry.second);
    return AKValueSetasAKDictionary(dictionary);
}
AKValue Arr(std::initializer_list<AKValue> items) { return AKValueSetasAKValueArray(AKValueArray(items)); }

std::string Text(AKValue const& value) { return AKValueGetasAKString(value).StdString(); }

// A readable name for a value in failure messages.
std::string Describe(AKValue const& value)
{
    switch (value.GetTag()) {
    case kAKValueTagEmpty:
        return "empty";
    case kAKValueTagBool:
        return AKValueGetasBool(value, false) ? "true" : "false";
    case kAKValueTagInteger:
        return "int " + std::to_string(AKValueGetasSInt(value, false));
    case kAKValueTagReal:
        return "real " + std::to_string(AKValueGetasFloat64(value, false));
    case kAKValueTagString:
        return "\"" + Text(value) + "\"";
    case kAKValueTagArray:
        return "array";
    case kAKValueTagDictionary:
        return "dict";
    default:
        return "other";
    }
}

// The pointer getters of the number types must not accept a call without the
// flag (it would otherwise reach the by-value getter through pointer-to-bool).
template <class T, class = void>
struct GetasFloat64WithoutFlag : std::false_type {};
template <class T>
struct GetasFloat64WithoutFlag<
    T, std::void_t<decltype(AKValueGetasFloat64(std::declval<AKValue const&>(), std::declval<T*>()))>>
    : std::true_type {};
static_assert(!GetasFloat64WithoutFlag<double>::value, "the flag is required");

template <class T, class = void>
struct GetasUIntWithoutFlag : std::false_type {};
template <class T>
struct GetasUIntWithoutFlag<T,
                            std::void_t<decltype(AKValueGetasUInt(std::declval<AKValue const&>(), std::declval<T*>()))>>
    : std::true_type {};
static_assert(!GetasUIntWithoutFlag<unsigned int>::value, "the flag is required");

}  // namespace

// ---------------------------------------------------------------------------
// Numbers

TEST(AKValueTypedNumbers, SettersStoreTheKindAndTheNumber)
{
    EXPECT_EQ(AKValueSetasBool(true), Flag(true));
    EXPECT_TRUE(AKValueSetasBool(false).IsBool());

    AKValue sint = AKValueSetasSInt(-7);
    EXPECT_TRUE(sint.IsInteger());
    EXPECT_EQ(AKValueGetasSInt(sint, false), -7);

    AKValue uint = AKValueSetasUInt(300);
    EXPECT_EQ(uint, Int(300));

    // Float32 is widened to a real exactly.
    AKValue f32 = AKValueSetasFloat32(0.1f);
    ASSERT_TRUE(f32.IsFloat());
    EXPECT_EQ(AKValueGetasFloat64(f32, false), static_cast<double>(0.1f));

    EXPECT_EQ(AKValueSetasAGCoord(2.5), Real(2.5));

    // In place: the previous content is replaced and the pointer returned.
    AKValue value = Dict({{"a", Int(1)}});
    EXPECT_EQ(AKValueSetasFloat64(&value, 1.25), &value);
    EXPECT_EQ(value, Real(1.25));
    EXPECT_EQ(AKValueSetasBool(nullptr, true), nullptr);
    EXPECT_EQ(AKValueSetasAKString(nullptr, AKString("x")), nullptr);
}

TEST(AKValueTypedNumbers, UnsignedKeepsAll64Bits)
{
    // 2^63 is stored as the integer -2^63, which every unsigned getter refuses.
    AKValue big = AKValueSetasUInt(0x8000000000000000ull);
    EXPECT_EQ(big, Int(static_cast<long long>(0x8000000000000000ull)));
    unsigned long long u64 = 99;
    EXPECT_FALSE(AKValueGetasUInt(big, &u64, true));
    EXPECT_EQ(u64, 99u);
    unsigned char u8 = 99;
    EXPECT_FALSE(AKValueGetasUInt(big, &u8, true));
    EXPECT_EQ(AKValueGetasUInt(big, true), 0u);

    AKValue largest = AKValueSetasUInt(0x7FFFFFFFFFFFFFFFull);
    EXPECT_TRUE(AKValueGetasUInt(largest, &u64, false));
    EXPECT_EQ(u64, 0x7FFFFFFFFFFFFFFFull);
    EXPECT_EQ(AKValueGetasUInt(largest, false), 0xFFFFFFFFu);  // the low 32 bits
}

struct IntegerCase {
    AKValue value;
    bool convert;
    bool ok;
    long long number;  // expected in the wide reads
};

TEST(AKValueTypedNumbers, IntegerReadsFollowTheFlag)
{
    IntegerCase const cases[] = {
        {Int(42), false, true, 42},
        {Int(-5), false, true, -5},
        {Real(2.5), false, false, 0},
        {Real(2.5), true, true, 3},
        {Real(-2.5), true, true, -2},
        {Str(" 42xyz"), true, true, 42},
        {Str(" 42xyz"), false, false, 0},
        {Str(".5"), true, true, 1},
        {Str("abc"), true, false, 0},
        {Flag(true), true, true, 1},
        {Flag(true), false, false, 0},
        {AKValue(), true, false, 0},
        {Dict({{"a", Int(1)}}), true, false, 0},
        {Arr({Int(1)}), true, false, 0},
    };
    for (IntegerCase const& c : cases) {
        SCOPED_TRACE(Describe(c.value) + (c.convert ? " with the flag" : " without the flag"));
        long long sint = -1234;
        EXPECT_EQ(AKValueGetasSInt(c.value, &sint, c.convert), c.ok);
        EXPECT_EQ(sint, c.ok ? c.number : -1234);
        EXPECT_EQ(AKValueGetasSInt(c.value, c.convert), c.ok ? static_cast<int>(c.number) : 0);

        unsigned long long uint = 1234;
        bool const uok = c.ok && c.number >= 0;
        EXPECT_EQ(AKValueGetasUInt(c.value, &uint, c.convert), uok);
        EXPECT_EQ(uint, uok ? static_cast<unsigned long long>(c.number) : 1234u);
        EXPECT_EQ(AKValueGetasUInt(c.value, c.convert), uok ? static_cast<unsigned int>(c.number) : 0u);
    }
}

TEST(AKValueTypedNumbers, NarrowReadsKeepTheLowBits)
{
    unsigned char u8 = 0;
    EXPECT_TRUE(AKValueGetasUInt(Int(300), &u8, false));
    EXPECT_EQ(u8, 44);
    unsigned short u16 = 0;
    EXPECT_TRUE(AKValueGetasUInt(Int(0x12345), &u16, false));
    EXPECT_EQ(u16, 0x2345);
    unsigned int u32 = 0;
    EXPECT_TRUE(AKValueGetasUInt(Int(0x100000007ll), &u32, false));
    EXPECT_EQ(u32, 7u);
    EXPECT_EQ(AKValueGetasUInt(Int(0x100000007ll), false), 7u);

    // A negative number fails whatever the width; by value it gives 0.
    u8 = 9;
    EXPECT_FALSE(AKValueGetasUInt(Int(-1), &u8, true));
    EXPECT_EQ(u8, 9);
    EXPECT_EQ(AKValueGetasUInt(Int(-1), true), 0u);

    short s16 = 0;
    EXPECT_TRUE(AKValueGetasSInt(Int(70000), &s16, false));
    EXPECT_EQ(s16, 4464);
    signed char s8 = 0;
    EXPECT_TRUE(AKValueGetasSInt(Int(200), &s8, false));
    EXPECT_EQ(s8, -56);
    int s32 = 0;
    EXPECT_TRUE(AKValueGetasSInt(Int(0x1FFFFFFFFll), &s32, false));
    EXPECT_EQ(s32, -1);
    EXPECT_EQ(AKValueGetasSInt(Int(0x1FFFFFFFFll), false), -1);
    long s64 = 0;
    EXPECT_TRUE(AKValueGetasSInt(Int(-3000000000ll), &s64, false));
    EXPECT_EQ(s64, -3000000000l);
}

TEST(AKValueTypedNumbers, BoolAndRealReads)
{
    bool b = false;
    EXPECT_TRUE(AKValueGetasBool(Flag(true), &b, false));
    EXPECT_TRUE(b);
    EXPECT_FALSE(AKValueGetasBool(Int(2), &b, false));
    EXPECT_TRUE(AKValueGetasBool(Int(0), &b, true));
    EXPECT_FALSE(b);
    EXPECT_TRUE(AKValueGetasBool(Str(".5"), true));
    EXPECT_FALSE(AKValueGetasBool(Str("0.5"), true));  // read as the integer 0
    b = true;
    EXPECT_FALSE(AKValueGetasBool(Str("no"), &b, true));
    EXPECT_TRUE(b);
    EXPECT_FALSE(AKValueGetasBool(Str("1"), false));

    double d = -1;
    EXPECT_TRUE(AKValueGetasFloat64(Int(3), &d, true));
    EXPECT_EQ(d, 3.0);
    d = -1;
    EXPECT_FALSE(AKValueGetasFloat64(Int(3), &d, false));
    EXPECT_EQ(d, -1.0);
    EXPECT_EQ(AKValueGetasFloat64(Str("1.5"), true), 1.5);
    EXPECT_EQ(AKValueGetasFloat64(Str("1.5"), false), 0.0);
    EXPECT_EQ(AKValueGetasAGCoord(Flag(true), true), 1.0);

    float f = -1;
    EXPECT_TRUE(AKValueGetasFloat32(Real(0.5), &f, false));
    EXPECT_EQ(f, 0.5f);
    // Beyond the float range the read gives an infinity, not undefined bits.
    EXPECT_TRUE(AKValueGetasFloat32(Real(1e300), &f, false));
    EXPECT_TRUE(std::isinf(f) && f > 0);
    EXPECT_TRUE(AKValueGetasFloat32(Real(-1e300), &f, false));
    EXPECT_TRUE(std::isinf(f) && f < 0);
    EXPECT_EQ(AKValueGetasFloat32(Str("x"), true), 0.0f);

    // A null out-parameter still gets the answer.
    EXPECT_TRUE(AKValueGetasFloat64(Real(1), static_cast<double*>(nullptr), false));
    EXPECT_FALSE(AKValueGetasUInt(Int(-1), static_cast<unsigned int*>(nullptr), false));
}

// ---------------------------------------------------------------------------
// Strings, paths and held objects

TEST(AKValueTypedObjects, StringsAreNeverConverted)
{
    AKValue value = Str("Hello");
    AKString s("old");
    EXPECT_TRUE(AKValueGetasAKString(value, &s));
    EXPECT_EQ(s, AKString("Hello"));
    // The by-value form hands out the held string itself.
    EXPECT_EQ(&AKValueGetasAKString(value), value.GetasAKString());

    s = "old";
    EXPECT_FALSE(AKValueGetasAKString(Int(5), &s));
    EXPECT_FALSE(AKValueGetasAKString(Real(1.5), &s, true));
    EXPECT_EQ(s, AKString("old"));
    EXPECT_EQ(&AKValueGetasAKString(Int(5)), &kAKNullString);
}

TEST(AKValueTypedObjects, PathsUseSlashes)
{
    AKValue value = AKValueSetasAKFilePath(AKFilePath("/Users/me/Sound.wav"));
    EXPECT_EQ(Text(value), "/Users/me/Sound.wav");

    struct Case {
        AKValue value;
        bool ok;
        char const* path;
    } const cases[] = {
        {Str("/a/b/c.aif"), true, "/a/b/c.aif"},
        {Str("C:\\Music\\take.wav"), true, "C:/Music/take.wav"},
        {Str(""), true, ""},
        {Int(3), false, ""},
        {AKValue(), false, ""},
        {Dict({{"Path", Str("/a")}}), false, ""},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(Describe(c.value));
        AKFilePath path("/previous/path");
        EXPECT_EQ(AKValueGetasAKFilePath(c.value, &path), c.ok);
        EXPECT_EQ(path.String(), AKString(c.path));  // a failed read empties the path
        EXPECT_EQ(AKValueGetasAKFilePath(c.value).String(), AKString(c.path));

        AKFilePath member("/previous/path");
        EXPECT_EQ(member.ReadFromValue(c.value, true), c.ok);
        EXPECT_EQ(member.String(), AKString(c.path));
    }

    AKValue written;
    AKFilePath("/x/y/").WriteToValue(&written);
    EXPECT_EQ(written, Str("/x/y/"));
}

TEST(AKValueTypedObjects, HeldObjectsAreCopied)
{
    AKDictionary dictionary;
    dictionary.SetValue(AKString("a.b"), Int(1));
    AKValue value = AKValueSetasAKDictionary(dictionary);
    AKDictionary copy;
    EXPECT_TRUE(AKValueGetasAKDictionary(value, &copy));
    EXPECT_EQ(copy, dictionary);
    EXPECT_EQ(&AKValueGetasAKDictionary(value), value.GetasAKDictionary());
    EXPECT_FALSE(AKValueGetasAKDictionary(Str("x"), &copy));
    EXPECT_EQ(copy, dictionary);  // untouched
    EXPECT_EQ(&AKValueGetasAKDictionary(Str("x")), &kAKNullDictionary);

    unsigned char const bytes[] = {1, 0, 2};
    AKMemoryBlock block(bytes, 3);
    AKValue binary = AKValueSetasBinary(block);
    AKMemoryBlock read;
    EXPECT_TRUE(AKValueGetasBinary(binary, &read));
    EXPECT_EQ(read, block);
    EXPECT_FALSE(AKValueGetasBinary(Str("x"), &read));
    EXPECT_EQ(read, block);
    EXPECT_EQ(&AKValueGetasBinary(Int(1)), &kAKNullMemoryBlock);

    AKValue array = Arr({Int(1), Str("two")});
    EXPECT_EQ(&AKValueGetasAKValueArray(array), array.GetasAKValueArray());
    EXPECT_EQ(&AKValueGetasAKValueArray(Int(1)), &kAKNullValueArray);
}

// ---------------------------------------------------------------------------
// Arrays

TEST(AKValueTypedArrays, ElementsInBothDirections)
{
    AKStringArray strings{AKString("a"), AKString(""), AKString("c")};
    AKValue value = AKValueSetasAKStringArray(strings);
    EXPECT_EQ(value, Arr({Str("a"), Str(""), Str("c")}));
    EXPECT_EQ(AKValueGetasAKStringArray(value), strings);

    AKUIntArray numbers{0u, 7u, 0xFFFFFFFFu};
    value = AKValueSetasAKUIntArray(numbers);
    EXPECT_EQ(value, Arr({Int(0), Int(7), Int(0xFFFFFFFFll)}));
    EXPECT_EQ(AKValueGetasAKUIntArray(value, false), numbers);

    AKFilePathArray paths{AKFilePath("/a/b"), AKFilePath("c/")};
    value = AKValueSetasAKFilePathArray(paths);
    EXPECT_EQ(value, Arr({Str("/a/b"), Str("c/")}));
    AKFilePathArray readPaths;
    EXPECT_TRUE(AKValueGetasAKFilePathArray(Arr({Str("x\\y"), Str("/z")}), &readPaths));
    ASSERT_EQ(readPaths.Count(), 2u);
    EXPECT_EQ(readPaths[0].String(), AKString("x/y"));
    EXPECT_EQ(readPaths[1].String(), AKString("/z"));

    AGColorArray colors{AGColor(0xFF0000FFu), AGColor(0x80402010u)};
    value = AKValueSetasAGColorArray(colors);
    EXPECT_EQ(value, Arr({Str("(255;000;000;255)"), Str("(016;032;064;128)")}));
    EXPECT_EQ(AKValueGetasAGColorArray(value), colors);

    AGPointArray points{AGPoint{1, 2}, AGPoint{-0.5, 1e9}};
    value = AKValueSetasAGPointArray(points);
    ASSERT_EQ(AKValueGetasAKValueArray(value).Count(), 2u);
    EXPECT_EQ(AKValueGetasAKValueArray(value)[1], Dict({{"x", Real(-0.5)}, {"y", Real(1e9)}}));
    EXPECT_EQ(AKValueGetasAGPointArray(value, false), points);

    // Empty arrays are empty value arrays, and read back empty.
    value = AKValueSetasAKStringArray(AKStringArray());
    EXPECT_EQ(value, Arr({}));
    strings = {AKString("old")};
    EXPECT_TRUE(AKValueGetasAKStringArray(value, &strings));
    EXPECT_TRUE(strings.IsEmpty());
}

TEST(AKValueTypedArrays, FailuresEmptyTheOutArrayExceptForTheEmptyValue)
{
    struct Case {
        AKValue value;
        bool ok;
        unsigned int count;  // of the out-array afterwards, which held 2 strings
    } const cases[] = {
        {AKValue(), false, 2},                  // left as it was
        {Arr({Int(1), Str("two")}), false, 0},  // one element is no string
        {Arr({Str("one"), Int(2)}), false, 0},  // a failing element empties again
        {Str("one"), false, 0},                 // not an array
        {Dict({{"a", Str("b")}}), false, 0},
        {Arr({Str("one")}), true, 1},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(Describe(c.value));
        AKStringArray strings{AKString("x"), AKString("y")};
        EXPECT_EQ(AKValueGetasAKStringArray(c.value, &strings), c.ok);
        EXPECT_EQ(strings.Count(), c.count);

        AKValueArray values{Int(8), Int(9)};
        bool const isArray = c.value.IsAKValueArray();
        EXPECT_EQ(AKValueGetasAKValueArray(c.value, &values), isArray);
        EXPECT_EQ(values.Count(), c.value.IsEmpty() ? 2u : isArray ? AKValueGetasAKValueArray(c.value).Count() : 0u);
    }
}

TEST(AKValueTypedArrays, ElementsReadWithTheFlag)
{
    AKValue mixed = Arr({Int(1), Str("2"), Real(2.6), Flag(true)});
    AKUIntArray numbers{5u};
    EXPECT_FALSE(AKValueGetasAKUIntArray(mixed, &numbers, false));
    EXPECT_TRUE(numbers.IsEmpty());
    EXPECT_TRUE(AKValueGetasAKUIntArray(mixed, &numbers, true));
    EXPECT_EQ(numbers, (AKUIntArray{1u, 2u, 3u, 1u}));

    // Elements are cut to 32 bits; a negative element fails the whole read.
    EXPECT_EQ(AKValueGetasAKUIntArray(Arr({Int(0x100000002ll)}), false), AKUIntArray{2u});
    EXPECT_FALSE(AKValueGetasAKUIntArray(Arr({Int(1), Int(-1)}), &numbers, true));
    EXPECT_TRUE(numbers.IsEmpty());

    AKValue point = Dict({{"x", Str("1")}, {"y", Int(2)}});
    AGPointArray points;
    EXPECT_FALSE(AKValueGetasAGPointArray(Arr({point}), &points, false));
    EXPECT_TRUE(AKValueGetasAGPointArray(Arr({point}), &points, true));
    EXPECT_EQ(points, AGPointArray{(AGPoint{1, 2})});

    AGColorArray colors{AGColor(1u)};
    EXPECT_FALSE(AKValueGetasAGColorArray(Arr({Str("(1;2;3)"), Str("red")}), &colors));
    EXPECT_TRUE(colors.IsEmpty());
    EXPECT_TRUE(AKValueGetasAKFilePathArray(Arr({Str("/a"), Int(1)})).IsEmpty());
}

// ---------------------------------------------------------------------------
// UTF-16 units

TEST(AKValueTypedUniChars, HexadecimalUnits)
{
    EXPECT_EQ(AKValueSetasAKUniChars(AKUniChars{0x41, 0xE9}), Str("0041;00E9"));
    EXPECT_EQ(AKValueSetasAKUniChars(AKUniChars{0xFFFF, 0x1}), Str("FFFF;0001"));
    EXPECT_EQ(AKValueSetasAKUniChars(AKUniChars()), Str(""));

    struct Case {
        char const* text;
        bool ok;
        AKUniChars units;
    } const cases[] = {
        {"0041;00E9", true, {0x41, 0xE9}},
        {"", true, {}},
        {" 41 , e9 ;0x20", true, {0x41, 0xE9, 0x20}},
        {"12345", true, {0x2345}},  // the low 16 bits
        {"7FFFFFFF", true, {0xFFFF}},
        {"80000000", false, {}},  // above 0x7FFFFFFF
        {"FFFFFFFFFFFFFFFFFF", false, {}},
        {"0000", false, {}},    // a unit of 0 is refused
        {"41;;42", false, {}},  // an empty token
        {"41;zz", false, {}},
        {"-1", false, {}},
        {"  ", false, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        AKUniChars units{0x99};
        EXPECT_EQ(AKValueGetasAKUniChars(Str(c.text), &units), c.ok);
        EXPECT_EQ(units, c.ok ? c.units : AKUniChars{0x99});
    }
    AKUniChars units{0x99};
    EXPECT_FALSE(AKValueGetasAKUniChars(Int(0x41), &units));
    EXPECT_EQ(units, AKUniChars{0x99});
    EXPECT_TRUE(AKValueGetasAKUniChars(Arr({Str("0041")})).IsEmpty());
}

// ---------------------------------------------------------------------------
// Colours

TEST(AKValueTypedColors, TextWithAlpha)
{
    EXPECT_EQ(AKValueSetasAGColor(AGColor(0xFF0000FFu)), Str("(255;000;000;255)"));
    EXPECT_EQ(AKValueSetasAGColor(kAGNullColor), Str("(000;000;000;000)"));

    struct Case {
        AKValue value;
        bool ok;
        uint32_t color;
    } const cases[] = {
        {Str("(255;000;000;255)"), true, 0xFF0000FFu},
        {Str("(255;0;0)"), true, 0xFF0000FFu},    // alpha 255
        {Str("(300;0;0;0)"), true, 0x000000FFu},  // capped at 255
        {Str("(1;2;3;4)"), true, 0x04030201u},
        {Str("red"), false, 0},
        {Str(""), false, 0},
        {Int(0x7F), false, 0},
        {AKValue(), false, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(Describe(c.value));
        for (bool convert : {false, true}) {
            AGColor color(0x12345678u);
            EXPECT_EQ(AKValueGetasAGColor(c.value, &color, convert), c.ok);
            EXPECT_EQ(color.value, c.ok ? c.color : 0x12345678u);
            EXPECT_EQ(AKValueGetasAGColor(c.value, convert).value, c.color);
        }
    }
}

// ---------------------------------------------------------------------------
// Geometry and time intervals

TEST(AKValueTypedGeometry, DictionariesOfReals)
{
    EXPECT_EQ(AKValueSetasAGPoint(AGPoint{1, 2.5}), Dict({{"x", Real(1)}, {"y", Real(2.5)}}));
    EXPECT_EQ(AKValueSetasAGSize(AGSize{3, 4}), Dict({{"width", Real(3)}, {"height", Real(4)}}));
    EXPECT_EQ(AKValueSetasAGRect(AGRect{1, 2, 3, 4}),
              Dict({{"x1", Real(1)}, {"y1", Real(2)}, {"x2", Real(3)}, {"y2", Real(4)}}));
    EXPECT_EQ(AKValueSetasAGInterval(AGInterval{-1, 1}), Dict({{"beg", Real(-1)}, {"end", Real(1)}}));
    EXPECT_EQ(AKValueSetasAKTimeIntv(AKTimeIntv{0.5, 12}), Dict({{"beg", Real(0.5)}, {"end", Real(12)}}));

    EXPECT_EQ(AKValueGetasAGPoint(AKValueSetasAGPoint(AGPoint{-3, 1e-9}), false), (AGPoint{-3, 1e-9}));
    EXPECT_EQ(AKValueGetasAGSize(AKValueSetasAGSize(AGSize{0, 7}), false), (AGSize{0, 7}));
    EXPECT_EQ(AKValueGetasAGRect(AKValueSetasAGRect(AGRect{4, 3, 2, 1}), false), (AGRect{4, 3, 2, 1}));
    EXPECT_EQ(AKValueGetasAGInterval(AKValueSetasAGInterval(AGInterval{2, 1}), false), (AGInterval{2, 1}));
    EXPECT_EQ(AKValueGetasAKTimeIntv(AKValueSetasAKTimeIntv(AKTimeIntv{1, 2}), false), (AKTimeIntv{1, 2}));

    // Setting in place replaces a dictionary that held other keys.
    AKValue value = Dict({{"z", Int(1)}});
    AKValueSetasAGPoint(&value, AGPoint{5, 6});
    EXPECT_FALSE(AKValueGetasAKDictionary(value).ContainsKey(AKString("z")));
}

TEST(AKValueTypedGeometry, ReadsNeedEveryKey)
{
    AKValue const mixedPoint = Dict({{"x", Int(1)}, {"y", Str("2.5")}});
    struct Case {
        char const* name;
        AKValue value;
        bool convert;
        bool ok;
        AGPoint point;
    } const cases[] = {
        {"reals", Dict({{"x", Real(1)}, {"y", Real(2)}}), false, true, {1, 2}},
        {"int and text, flag", mixedPoint, true, true, {1, 2.5}},
        {"int and text, no flag", mixedPoint, false, false, {}},
        {"extra keys ignored", Dict({{"x", Real(1)}, {"y", Real(2)}, {"z", Str("?")}}), false, true, {1, 2}},
        {"missing y", Dict({{"x", Real(1)}}), true, false, {}},
        {"y not a number", Dict({{"x", Real(1)}, {"y", Str("high")}}), true, false, {}},
        {"y a dictionary", Dict({{"x", Real(1)}, {"y", Dict({{"y", Real(1)}})}}), true, false, {}},
        {"empty dictionary", AKValueSetasAKDictionary(AKDictionary()), true, false, {}},
        {"text", Str("(1;2)"), true, false, {}},
        {"array", Arr({Real(1), Real(2)}), true, false, {}},
        {"empty", AKValue(), true, false, {}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AGPoint point{-7, -8};
        EXPECT_EQ(AKValueGetasAGPoint(c.value, &point, c.convert), c.ok);
        EXPECT_EQ(point, c.ok ? c.point : (AGPoint{-7, -8}));
        EXPECT_EQ(AKValueGetasAGPoint(c.value, c.convert), c.ok ? c.point : kAGNullPoint);
    }

    // A rectangle missing "y2" fails and leaves the out-rectangle unchanged.
    AKValue const noY2 = Dict({{"x1", Real(1)}, {"y1", Real(2)}, {"x2", Real(3)}});
    AGRect rect{9, 9, 9, 9};
    EXPECT_FALSE(AKValueGetasAGRect(noY2, &rect, true));
    EXPECT_EQ(rect, (AGRect{9, 9, 9, 9}));
    EXPECT_EQ(AKValueGetasAGRect(noY2, true), kAGNullRect);

    // Intervals and sizes read their own keys only.
    AKValue const interval = Dict({{"beg", Real(1)}, {"end", Real(2)}});
    AGSize size{5, 5};
    EXPECT_FALSE(AKValueGetasAGSize(interval, &size, true));
    EXPECT_EQ(size, (AGSize{5, 5}));
    AKTimeIntv intv{5, 5};
    EXPECT_TRUE(AKValueGetasAKTimeIntv(interval, &intv, false));
    EXPECT_EQ(intv, (AKTimeIntv{1, 2}));
    EXPECT_FALSE(AKValueGetasAKTimeIntv(Dict({{"begin", Real(1)}, {"end", Real(2)}}), &intv, true));
    EXPECT_EQ(intv, (AKTimeIntv{1, 2}));
    EXPECT_EQ(AKValueGetasAKTimeIntv(Str("(1;2)"), true), kAKNullTimeIntv);
}

// ---------------------------------------------------------------------------
// Placements

TEST(AKValueTypedPlacements, WordsInBothDirections)
{
    struct Case {
        AGPlacement bits;
        char const* h;
        char const* v;
        AGPlacement readBack;
    } const cases[] = {
        {0x00, "Left", "Bottom", 0x00},    {0x01, "Center", "Bottom", 0x01},
        {0x02, "Right", "Bottom", 0x02},   {0x03, "Right", "Bottom", 0x02},  // right wins over centre
        {0x04, "Stretch", "Bottom", 0x05},                                   // stretch reads back with centre
        {0x07, "Stretch", "Bottom", 0x05}, {0x10, "Left", "Center", 0x10},
        {0x20, "Left", "Top", 0x20},       {0x30, "Left", "Top", 0x20},
        {0x40, "Left", "Stretch", 0x50},   {0x04 | 0x20, "Stretch", "Top", 0x05 | 0x20},
        {0x11, "Center", "Center", 0x11},  {0x100 | 0x08 | 0x80, "Left", "Bottom", 0x00},  // other bits are not stored
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.bits);
        AKValue value = AKValueSetasAGPlacement(c.bits);
        EXPECT_EQ(value, Dict({{"h", Str(c.h)}, {"v", Str(c.v)}}));
        AGPlacement placement = 0xDEAD;
        EXPECT_TRUE(AKValueGetasAGPlacement(value, &placement, false));
        EXPECT_EQ(placement, c.readBack);
    }
}

TEST(AKValueTypedPlacements, ReadingUnknownWordsAndBadValues)
{
    struct Case {
        char const* name;
        AKValue value;
        bool ok;
        AGPlacement placement;
    } const cases[] = {
        {"lower-case words", Dict({{"h", Str("left")}, {"v", Str("top")}}), true, 0x00},
        {"unknown words", Dict({{"h", Str("Middle")}, {"v", Str("")}}), true, 0x00},
        {"mixed", Dict({{"h", Str("Right")}, {"v", Str("stretch")}}), true, 0x02},
        {"extra key", Dict({{"h", Str("Center")}, {"v", Str("Center")}, {"x", Int(1)}}), true, 0x11},
        {"missing v", Dict({{"h", Str("Right")}}), false, 0},
        {"number h", Dict({{"h", Int(2)}, {"v", Str("Top")}}), false, 0},
        {"empty dictionary", AKValueSetasAKDictionary(AKDictionary()), false, 0},
        {"text", Str("Right Top"), false, 0},
        {"number", Int(0x22), false, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AGPlacement placement = 0xDEAD;
        EXPECT_EQ(AKValueGetasAGPlacement(c.value, &placement, true), c.ok);
        EXPECT_EQ(placement, c.ok ? c.placement : 0xDEADu);
        EXPECT_EQ(AKValueGetasAGPlacement(c.value, true), c.placement);
    }
}

// ---------------------------------------------------------------------------
// Enumerations and flag sets

namespace {

AKValueEnums const kShapeWords[] = {
    {0, "Line"}, {1, "Box"}, {2, "Disc"}, {1, "Square"}, {3, "Box"}, {0, ""},
};
AKValueEnums const kABWords[] = {{1, "A"}, {2, "B"}, {3, "AB"}, {0, ""}};
AKValueEnums const kStyleWords[] = {{0, "Plain"}, {1, "Bold"}, {2, "Italic"}, {4, "Under"}, {0, ""}};
AKValueEnums const kNoZeroWords[] = {{1, "One"}, {0, ""}};

}  // namespace

TEST(AKValueTypedEnums, FirstMatchWinsBothWays)
{
    struct Case {
        unsigned int number;
        char const* word;
        unsigned int readBack;
    } const cases[] = {
        {0, "Line", 0}, {1, "Box", 1},  // first row of 1
        {2, "Disc", 2}, {3, "Box", 1},  // 3 writes its own row's word, which names 1 first
        {7, "", 0},                     // no row: the empty string
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.number);
        AKValue value = AKValueSetasEnum(c.number, kShapeWords);
        EXPECT_EQ(value, Str(c.word));
        unsigned int number = 99;
        EXPECT_TRUE(AKValueGetasEnum(value, &number, kShapeWords));
        EXPECT_EQ(number, c.readBack);
    }
    EXPECT_EQ(AKValueGetasEnum(Str("Square"), kShapeWords), 1u);  // an older word still reads

    struct Read {
        AKValue value;
        bool ok;
        unsigned int number;
    } const reads[] = {
        {Str("Disc"), true, 2},
        {Str("Unknown"), true, 0},
        {Str("disc"), true, 0},  // byte for byte, case
                                 // included
        {Str("Disc "), true, 0},
        {Str(""), true, 0},
        {Int(2), false, 0},
        {AKValue(), false, 0},
        {Arr({Str("Disc")}), false, 0},
    };
    for (Read const& r : reads) {
        SCOPED_TRACE(Describe(r.value));
        unsigned int number = 99;
        EXPECT_EQ(AKValueGetasEnum(r.value, &number, kShapeWords), r.ok);
        EXPECT_EQ(number, r.ok ? r.number : 99u);
        EXPECT_EQ(AKValueGetasEnum(r.value, kShapeWords), r.number);
    }

    // Other integer and enumeration types.
    enum class Shape : unsigned char { Line, Box, Disc };
    Shape shape = Shape::Line;
    EXPECT_TRUE(AKValueGetasEnum(Str("Disc"), &shape, kShapeWords));
    EXPECT_EQ(shape, Shape::Disc);
    int asInt = -1;
    EXPECT_FALSE(AKValueGetasEnum(Int(1), &asInt, kShapeWords));
    EXPECT_EQ(asInt, -1);

    // In place, over any kind; a null table knows no word.
    AKValue value = Real(1.5);
    EXPECT_EQ(AKValueSetasEnum(&value, 2, kShapeWords), &value);
    EXPECT_EQ(value, Str("Disc"));
    EXPECT_EQ(AKValueSetasEnum(2, nullptr), Str(""));
    unsigned int number = 99;
    EXPECT_TRUE(AKValueGetasEnum(Str("Disc"), &number, nullptr));
    EXPECT_EQ(number, 0u);
}

TEST(AKValueTypedEnums, FlagSetsAsWords)
{
    struct Case {
        AKValueEnums const* table;
        unsigned int flags;
        char const* words;
        unsigned int readBack;
    } const cases[] = {
        {kABWords, 3, "A B AB", 3},  // a row of several bits is listed when all are set
        {kABWords, 1, "A", 1},
        {kABWords, 2, "B", 2},
        {kABWords, 0, "", 0},  // no row of 0
        {kABWords, 8, "", 0},  // bits without a row are lost
        {kABWords, 9, "A", 1},
        {kStyleWords, 0, "Plain", 0},
        {kStyleWords, 5, "Plain Bold Under", 5},  // the row of 0 is listed too
        {kStyleWords, 7, "Plain Bold Italic Under", 7},
        {kNoZeroWords, 0, "", 0},
        {nullptr, 3, "", 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.words);
        AKValue value = AKValueSetasFlags(c.flags, c.table);
        EXPECT_EQ(value, Str(c.words));
        unsigned int flags = 0xDEAD;
        EXPECT_TRUE(AKValueGetasFlags(value, &flags, c.table));
        EXPECT_EQ(flags, c.readBack);
    }

    struct Read {
        AKValue value;
        bool ok;
        unsigned int flags;
    } const reads[] = {
        {Str("Bold Under"), true, 5},
        {Str("Under  Bold "), true, 5},       // empty tokens are ignored
        {Str("Bold Heavy Italic"), true, 3},  // unknown words are ignored
        {Str("bold"), true, 0},
        {Str("Bold,Italic"), true, 0},  // only spaces separate words
        {Str(""), true, 0},
        {Int(3), false, 0},
        {AKValue(), false, 0},
    };
    for (Read const& r : reads) {
        SCOPED_TRACE(Describe(r.value));
        unsigned int flags = 0xDEAD;
        EXPECT_EQ(AKValueGetasFlags(r.value, &flags, kStyleWords), r.ok);
        EXPECT_EQ(flags, r.ok ? r.flags : 0xDEADu);
        EXPECT_EQ(AKValueGetasFlags(r.value, kStyleWords), r.flags);
    }
}

TEST(AKValueTypedEnums, TableLookUps)
{
    EXPECT_EQ(AKValueEnumsGetWord(kShapeWords, 1), AKString("Box"));
    EXPECT_EQ(&AKValueEnumsGetWord(kShapeWords, 9), &kAKNullString);
    EXPECT_EQ(&AKValueEnumsGetWord(nullptr, 0), &kAKNullString);
    unsigned int number = 7;
    EXPECT_FALSE(AKValueEnumsGetValue(kShapeWords, AKString("Hexagon"), &number));
    EXPECT_FALSE(AKValueEnumsGetValue(kShapeWords, AKString(""), &number));
    EXPECT_EQ(number, 7u);
    EXPECT_TRUE(AKValueEnumsGetValue(kShapeWords, AKString("Box"), &number));
    EXPECT_EQ(number, 1u);
}

// ---------------------------------------------------------------------------
// Time intervals

TEST(AKValueTypedTimeIntv, Constants)
{
    EXPECT_EQ(kAKNullTimeIntv, (AKTimeIntv{0, 0}));
    EXPECT_EQ(kAKNullNormIntv, (AKNormIntv{0, 0}));
    EXPECT_EQ(kAKUnaryNormIntv, (AKNormIntv{0, 1}));
    EXPECT_NE(kAKNullNormIntv, kAKUnaryNormIntv);
}

TEST(AKValueTypedTimeIntv, TextForms)
{
    struct Case {
        char const* text;
        bool ok;
        AKTimeIntv intv;
    } const cases[] = {
        {"(1.5;2.25)", true, {1.5, 2.25}},
        {"(-3;1e2) and more", true, {-3, 100}},
        {" (1;2)", false, {0, 0}},  // the form starts at the first character
        {"(7;2)", true, {7, 2}},
        {"(1.5,2.5)", false, {0, 0}},
        {"(1.5;)", false, {0, 0}},
        {"1.5;2.5", false, {0, 0}},
        {"", false, {0, 0}},
        {nullptr, false, {0, 0}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
        AKTimeIntv intv{9, 9};
        EXPECT_EQ(strGetasAKTimeIntv(c.text, &intv), c.ok);
        EXPECT_EQ(intv, c.intv);  // a failed read gives {0, 0}
    }
    // Only the first 63 characters are looked at.
    std::string const longText = std::string(60, ' ') + "(1;2)";
    AKTimeIntv intv{9, 9};
    EXPECT_FALSE(strGetasAKTimeIntv(longText.c_str(), &intv));
    EXPECT_EQ(intv, kAKNullTimeIntv);
    EXPECT_FALSE(strGetasAKTimeIntv("x", nullptr));

    double time = 9;
    EXPECT_TRUE(strGetasAKTime("12.5", &time));
    EXPECT_EQ(time, 12.5);
    EXPECT_FALSE(strGetasAKTime("later", &time));
    EXPECT_EQ(time, 0.0);
}

TEST(AKValueTypedTimeIntv, TextFormsIgnoreADecimalCommaLocale)
{
    locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", (locale_t)0);
    if (comma == (locale_t)0)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    locale_t const previous = uselocale(comma);
    AKTimeIntv intv{};
    bool const ok = strGetasAKTimeIntv("(1.5;2.5)", &intv);
    uselocale(previous);
    freelocale(comma);
    EXPECT_TRUE(ok);
    EXPECT_EQ(intv, (AKTimeIntv{1.5, 2.5}));
}

// ---------------------------------------------------------------------------
// Failures are answers, not errors

TEST(AKValueTyped, FailuresLogNothing)
{
    LogCapture capture;
    unsigned int u = 0;
    AGRect rect{};
    AGPlacement placement = 0;
    AKStringArray strings;
    AKUniChars units;
    AKFilePath path;
    EXPECT_FALSE(AKValueGetasUInt(Int(-1), &u, true));
    EXPECT_FALSE(AKValueGetasAGRect(Str("x"), &rect, true));
    EXPECT_FALSE(AKValueGetasAGPlacement(Int(1), &placement, true));
    EXPECT_FALSE(AKValueGetasAKStringArray(Arr({Int(1)}), &strings));
    EXPECT_FALSE(AKValueGetasAKUniChars(Str("zz"), &units));
    EXPECT_FALSE(AKValueGetasAKFilePath(Real(1), &path));
    EXPECT_FALSE(AKValueGetasEnum(Int(1), &u, kABWords));
    EXPECT_TRUE(capture.Lines().empty());
}
