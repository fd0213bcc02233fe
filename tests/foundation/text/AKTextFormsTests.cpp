// Text forms of values: readers, writers, suffix numbers, hex dump, hashes and
// debug formatters. The reader and writer tables also run under a locale
// whose decimal separator is ",", where none of the forms may change.

#include "AKScopedPrintfFloatSepAsDot.h"
#include "AKTextForms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <locale.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

static void PrintTo(AGPoint const& v, std::ostream* os) { *os << "{" << v.x << ", " << v.y << "}"; }
static void PrintTo(AGSize const& v, std::ostream* os) { *os << "{" << v.width << ", " << v.height << "}"; }
static void PrintTo(AGInterval const& v, std::ostream* os) { *os << "{" << v.beg << ", " << v.end << "}"; }
static void PrintTo(AGRect const& v, std::ostream* os)
{
    *os << "{" << v.x1 << ", " << v.y1 << ", " << v.x2 << ", " << v.y2 << "}";
}
static void PrintTo(AGColor const& v, std::ostream* os)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", v.value);
    *os << text;
}

// ---------------------------------------------------------------------------
// Tables shared by the plain and the comma-locale runs

struct WriteCase {
    std::string got;
    char const* want;
};

static void ExpectWrites(std::vector<WriteCase> const& cases)
{
    for (size_t i = 0; i < cases.size(); i++)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

static void CheckNumberWriters()
{
    char b[kAKStrSetasMaxLen];
    ExpectWrites({
        {strSetasBool(b, true), "1"},
        {strSetasBool(b, false), "0"},
        {strSetasSInt(b, -42), "-42"},
        {strSetasSInt32(b, 2147483647), "2147483647"},
        {strSetasSInt64(b, -9000000000LL), "-9000000000"},
        {strSetasUInt(b, 4294967295u), "4294967295"},
        {strSetasUInt32(b, 7u), "7"},
        {strSetasUInt64(b, 18446744073709551615ULL), "18446744073709551615"},
        {strSetasFloat64(b, 2.5, 2), "2.50"},
        {strSetasFloat64(b, 1.0 / 3.0, 12), "0.333333333"},  // above 9 counts as 9
        {strSetasFloat64(b, 1.5, -1), "1.500000"},           // the C default of 6
        {strSetasFloat64(b, 2.75, 0), "3"},
        {strSetasFloat64(b, -0.125, 3), "-0.125"},
        {strSetasFloat32(b, 0.5f, 3), "0.500"},
        {strSetasFloat32(b, 0.25f, -5), "0.250000"},
        {strSetasChannCount(b, 0), "<None>"},
        {strSetasChannCount(b, -3), "<None>"},
        {strSetasChannCount(b, 1), "Mono"},
        {strSetasChannCount(b, 2), "Stereo"},
        {strSetasChannCount(b, 6), "6Ch"},
    });
}

static void CheckTimeWriters()
{
    char b[kAKStrSetasMaxLen];
    ExpectWrites({
        {strSetasTimeHMS(b, 3723.5, 1, false), "1:02:03.5"},
        {strSetasTimeHMS(b, 3723.5, 1, true), "1:02:03.5"},  // an hour or more: always full
        {strSetasTimeHMS(b, 75.25, 2, false), "0:01:15.25"},
        {strSetasTimeHMS(b, 75.25, 2, true), "01:15.25"},
        {strSetasTimeHMS(b, 12.5, 1, true), "12.5"},  // below a minute: the plain number
        {strSetasTimeHMS(b, -12.5, 1, true), "-12.5"},
        {strSetasTimeHMS(b, 5.5, 8, false), "0:00:05.50000000"},
        {strSetasTimeHMS(b, 5.5, 12, false), "0:00:05.500000000"},
        {strSetasTimeHMS(b, 7.25, 0, false), "0:00:07"},
        {strSetasTimeHMS(b, 3723.5, -1, false), "1:02:3.500000"},  // "%lf", not padded
        {strSetasTimeHMS(b, -90.0, 0, false), "-0:01:30"},
        {strSetasTimeHMS(b, -90.0, 0, true), "-01:30"},
        {strSetasTimeHMS(b, 36000.0, 0, false), "10:00:00"},
        // Rounding carries into the minutes and hours instead of showing 60 seconds.
        {strSetasTimeHMS(b, 59.96, 1, false), "0:01:00.0"},
        {strSetasTimeHMS(b, 59.96, 1, true), "01:00.0"},
        {strSetasTimeHMS(b, 3599.96, 1, true), "1:00:00.0"},
        {strSetasTimeHMS(b, 59.6, 0, false), "0:01:00"},

        {strSetasDuration(b, 0.0, -1), "0s"},
        {strSetasDuration(b, -5.0, -1), "0s"},
        {strSetasDuration(b, 0.0000005, -1), "0s"},
        {strSetasDuration(b, 0.005, -1), "5.000ms"},
        {strSetasDuration(b, 0.05, -1), "0.050s"},
        {strSetasDuration(b, 0.5, -1), "0.500s"},
        {strSetasDuration(b, 5.25, -1), "5.25s"},
        {strSetasDuration(b, 30.25, -1), "30.3s"},
        {strSetasDuration(b, 59.96, -1), "1m00.0s"},  // one decimal kept, rounded up to a minute
        {strSetasDuration(b, 75.3, -1), "1m15s"},
        {strSetasDuration(b, 3725.0, -1), "1h02m05s"},
        {strSetasDuration(b, 5.25, 0), "5s"},
        {strSetasDuration(b, 5.25, 1), "5.3s"},
        {strSetasDuration(b, 5.25, 7), "5.250s"},  // at most 3 decimals
        {strSetasDuration(b, 3725.5, 2), "1h02m05.50s"},
    });
}

static void CheckMemoryAndGeometryWriters()
{
    char b[kAKStrSetasMaxLen];
    ExpectWrites({
        {strSetasMemory(b, 0), "0 Byte"},
        {strSetasMemory(b, -3), "0 Byte"},
        {strSetasMemory(b, 999), "999 Bytes"},
        {strSetasMemory(b, 1000), "1.0 KB"},
        {strSetasMemory(b, 1500), "1.5 KB"},
        {strSetasMemory(b, 10000), "10.0 KB"},  // no decimals only strictly above 10
        {strSetasMemory(b, 10001), "10 KB"},
        {strSetasMemory(b, 3400000), "3.4 MB"},
        {strSetasMemory(b, 2500000000LL), "2.5 GB"},
        {strSetasMemory(b, 12000000000000LL), "12 TB"},

        {strSetasAGPoint(b, AGPoint{1.5, -2.25}, 2), "(1.50;-2.25)"},
        {strSetasAGSize(b, AGSize{640.0, 480.4}, 0), "(640;480)"},
        {strSetasAGInterval(b, AGInterval{0.0, 1.0}, -1), "(0.000000;1.000000)"},
        {strSetasAGRect(b, AGRect{0.0, 1.0, 2.5, 3.5}, 1), "(0.0;1.0;2.5;3.5)"},
        {strSetasAGColor(b, AGColor::FromRGBA(255, 128, 0, 128), true), "(255;128;000;128)"},
        {strSetasAGColor(b, AGColor::FromRGBA(255, 128, 0, 128), false), "(255;128;000)"},
        {strSetasAGColorHex(b, AGColor::FromRGBA(255, 128, 0, 128), true), "FF800080"},
        {strSetasAGColorHex(b, AGColor::FromRGBA(255, 128, 0, 128), false), "FF8000"},
        {strSetasAGColorHex(b, AGColor::FromRGBA(1, 2, 3, 4), true), "01020304"},
    });
}

template <typename T>
struct ReadCase {
    char const* text;
    bool ok;
    T value;  // expected on success; the fallback is expected otherwise
};

template <typename T, typename Reader>
static void ExpectReads(Reader reader, T const& fallback, std::vector<ReadCase<T>> const& cases)
{
    for (ReadCase<T> const& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
        T got = c.ok ? fallback : c.value;  // something other than what must come out
        EXPECT_EQ(reader(c.text, &got, fallback), c.ok);
        EXPECT_EQ(got, c.ok ? c.value : fallback);
    }
}

static void CheckNumberReaders()
{
    ExpectReads<bool>(strGetasBool, false,
                      {{"1", true, true},
                       {"0", true, false},
                       {" 1", true, true},
                       {"1.9", true, true},  // the number ends at the point
                       {"2", false, true},
                       {"-1", false, true},
                       {"yes", false, true},
                       {"", false, true},
                       {nullptr, false, true}});
    ExpectReads<bool>(strGetasBool, true, {{"2", false, false}, {"0", true, false}});

    ExpectReads<int>(strGetasSInt, -99,
                     {{"-7", true, -7},
                      {"12abc", true, 12},
                      {"4294967297", true, 1},  // low 32 bits
                      {"4294967295", true, -1},
                      {"abc", false, 0},
                      {"", false, 0},
                      {nullptr, false, 0}});
    ExpectReads<int32_t>(strGetasSInt32, 5, {{"  +17", true, 17}, {"x", false, 0}});
    ExpectReads<unsigned int>(strGetasUInt, 99u,
                              {{"42", true, 42u}, {"4294967297", true, 1u}, {"-5", false, 0u}, {"-0", true, 0u}});
    ExpectReads<uint32_t>(strGetasUInt32, 3u, {{"8", true, 8u}, {"-1", false, 0u}});
    // The 64-bit readers also have forms over long: name the long long ones.
    auto readSInt64 = [](char const* t, long long* v, long long f) { return strGetasSInt64(t, v, f); };
    auto readUInt64 = [](char const* t, unsigned long long* v, unsigned long long f) {
        return strGetasUInt64(t, v, f);
    };
    ExpectReads<long long>(
        readSInt64, 1LL,
        {{"-9000000000", true, -9000000000LL}, {"9223372036854775807", true, 9223372036854775807LL}, {"q", false, 0}});
    ExpectReads<unsigned long long>(readUInt64, 1ULL, {{"9000000000", true, 9000000000ULL}, {"-1", false, 0}});

    ExpectReads<double>(strGetasFloat64, -1.0,
                        {{"2.5", true, 2.5},
                         {"  -1.25e3xyz", true, -1250.0},
                         {"2,5", true, 2.0},  // a comma ends the number in every locale
                         {"3", true, 3.0},
                         {"", false, 0},
                         {nullptr, false, 0},
                         {"abc", false, 0}});
    ExpectReads<float>(strGetasFloat32, -1.0f, {{"0.5", true, 0.5f}, {"-2.25", true, -2.25f}, {".", false, 0}});

    // Only the first 63 characters are looked at.
    std::string far = std::string(63, ' ') + "5";
    std::string near = std::string(62, ' ') + "5";
    ExpectReads<double>(strGetasFloat64, -1.0, {{far.c_str(), false, 0}, {near.c_str(), true, 5.0}});
}

static void CheckTimeReaders()
{
    ExpectReads<double>(strGetasTimeHMS, -1.0,
                        {{"1:02:03.5", true, 3723.5},
                         {"-0:30", true, -30.0},
                         {"-1:30", true, -90.0},
                         {"1:30", true, 90.0},
                         {"90", true, 90.0},
                         {"2.5", true, 2.5},
                         {"0:-5:00", true, 300.0},  // sign from the hour field; the text starts with a digit
                         {"-1:-2:-3", true, -3723.0},
                         {" \t-0:00:05.5", true, -5.5},
                         {"-0:0:10", true, -10.0},
                         {"0:0:1,5", true, 1.0},
                         {"abc", false, 0},
                         {"", false, 0},
                         {nullptr, false, 0}});
}

static void CheckGeometryReaders()
{
    AGPoint const p0 = {9.0, 9.0};
    ExpectReads<AGPoint>(strGetasAGPoint, p0,
                         {{"(1.5;-2)", true, {1.5, -2.0}},
                          {"(1.5;-2)trailing", true, {1.5, -2.0}},
                          {"(1.5)", false, {}},
                          {"1.5;2", false, {}},
                          {"(1,5;2)", false, {}},
                          {nullptr, false, {}}});
    ExpectReads<AGSize>(strGetasAGSize, AGSize{1.0, 1.0}, {{"(640;480.5)", true, {640.0, 480.5}}, {"", false, {}}});
    ExpectReads<AGInterval>(strGetasAGInterval, AGInterval{0.0, 0.0},
                            {{"(0.25;1e3)", true, {0.25, 1000.0}}, {"(0.25;)", false, {}}});
    ExpectReads<AGRect>(strGetasAGRect, AGRect{1.0, 1.0, 1.0, 1.0},
                        {{"(0;1;2.5;3.5)", true, {0.0, 1.0, 2.5, 3.5}}, {"(0;1;2.5)", false, {}}});

    AGColor const c0 = kAGColorCyan;
    ExpectReads<AGColor>(strGetasAGColor, c0,
                         {{"(300;0;0)", true, AGColor::FromRGBA(255, 0, 0, 255)},
                          {"(1;2;3;4)", true, AGColor::FromRGBA(1, 2, 3, 4)},
                          {"(010;020;030)", true, AGColor::FromRGBA(10, 20, 30, 255)},
                          {"(-1;0;0;0)", true, AGColor::FromRGBA(255, 0, 0, 0)},  // negative read as unsigned
                          {"(1;2)", false, {}},
                          {"1;2;3", false, {}},
                          {"", false, {}},
                          {nullptr, false, {}}});
    ExpectReads<AGColor>(strGetasAGColorHex, c0,
                         {{"FF8000", true, AGColor::FromRGBA(255, 128, 0, 255)},
                          {"FF800080", true, AGColor::FromRGBA(255, 128, 0, 128)},
                          {"ff8000", true, AGColor::FromRGBA(255, 128, 0, 255)},
                          {"#FF8000", false, {}},
                          {"FF80", false, {}},
                          {"FF80001", false, {}},
                          {"12345G", false, {}},  // not a short number: the whole text must be hexadecimal
                          {" FF800", false, {}},
                          {"", false, {}},
                          {nullptr, false, {}}});
}

static void CheckAllForms()
{
    CheckNumberWriters();
    CheckTimeWriters();
    CheckMemoryAndGeometryWriters();
    CheckNumberReaders();
    CheckTimeReaders();
    CheckGeometryReaders();
}

// ---------------------------------------------------------------------------
// Plain runs

TEST(AKTextForms, NumberWriters) { CheckNumberWriters(); }
TEST(AKTextForms, TimeAndDurationWriters) { CheckTimeWriters(); }
TEST(AKTextForms, MemoryGeometryAndColourWriters) { CheckMemoryAndGeometryWriters(); }
TEST(AKTextForms, NumberReaders) { CheckNumberReaders(); }
TEST(AKTextForms, TimeReaders) { CheckTimeReaders(); }
TEST(AKTextForms, GeometryAndColourReaders) { CheckGeometryReaders(); }

TEST(AKTextForms, WrittenFormsReadBack)
{
    char b[kAKStrSetasMaxLen];
    AGRect r = {};
    ASSERT_TRUE(strGetasAGRect(strSetasAGRect(b, AGRect{-1.5, 2.25, 1e6, 0.125}, 3), &r, kAGNullRect));
    EXPECT_EQ(r, (AGRect{-1.5, 2.25, 1e6, 0.125}));
    AGColor c;
    ASSERT_TRUE(strGetasAGColor(strSetasAGColor(b, AGColor(0x80FF0201u), true), &c, kAGNullColor));
    EXPECT_EQ(c, AGColor(0x80FF0201u));
    ASSERT_TRUE(strGetasAGColorHex(strSetasAGColorHex(b, AGColor(0x80FF0201u), true), &c, kAGNullColor));
    EXPECT_EQ(c, AGColor(0x80FF0201u));
    double t = 0.0;
    ASSERT_TRUE(strGetasTimeHMS(strSetasTimeHMS(b, -3723.25, 2, false), &t, 0.0));
    EXPECT_DOUBLE_EQ(t, -3723.25);
    ASSERT_TRUE(strGetasTimeHMS(strSetasTimeHMS(b, -75.5, 1, true), &t, 0.0));
    EXPECT_DOUBLE_EQ(t, -75.5);
}

TEST(AKTextForms, ReadersAcceptNullOutput)
{
    EXPECT_TRUE(strGetasFloat64("1.5", nullptr, 0.0));
    EXPECT_FALSE(strGetasAGColorHex("xyz", nullptr, kAGNullColor));
}

// Writers never pass their bound, however long the number.
TEST(AKTextForms, RealReadersRefuseNaNAndInfinities)
{
    // Every way the C library reads a value that is no number: the words,
    // and numbers beyond the range that read as infinities.
    for (char const* text : {"nan", "-NaN", "nan(0x7ff)", "inf", "-Infinity", "+INF", "1e999", "-1e400"}) {
        SCOPED_TRACE(text);
        ExpectReads<double>(strGetasFloat64, -1.0, {{text, false, 0}});
        ExpectReads<float>(strGetasFloat32, -1.0f, {{text, false, 0}});
        ExpectReads<double>(strGetasTimeHMS, -1.0, {{text, false, 0}});
    }
    ExpectReads<float>(strGetasFloat32, -1.0f, {{"1e39", false, 0}, {"3e38", true, 3e38f}});
    ExpectReads<double>(strGetasTimeHMS, -1.0,
                        {{"1:02:nan", false, 0}, {"5:inf", false, 0}, {"-0:1e999", false, 0}, {"5:1.5", true, 301.5}});
    ExpectReads<AGPoint>(strGetasAGPoint, AGPoint{9.0, 9.0}, {{"(nan;1)", false, {}}, {"(1;-inf)", false, {}}});
    ExpectReads<AGSize>(strGetasAGSize, AGSize{1.0, 1.0}, {{"(inf;480)", false, {}}});
    ExpectReads<AGInterval>(strGetasAGInterval, AGInterval{0.0, 0.0}, {{"(0.25;NAN)", false, {}}});
    ExpectReads<AGRect>(strGetasAGRect, AGRect{1.0, 1.0, 1.0, 1.0},
                        {{"(0;1;2.5;infinity)", false, {}}, {"(1e400;1;2;3)", false, {}}});
    // Numbers too small to hold read as 0, which is a number.
    ExpectReads<double>(strGetasFloat64, -1.0, {{"1e-400", true, 0.0}});
}

TEST(AKTextForms, WritersStayWithinTheirBuffer)
{
    struct Guarded {
        char text[kAKStrSetasMaxLen];
        char canary[16];
    } g;
    std::memset(&g, '#', sizeof(g));
    strSetasFloat64(g.text, 1e300, 9);
    EXPECT_EQ(std::strlen(g.text), kAKStrSetasMaxLen - 1);
    EXPECT_EQ(std::string(g.text, 10), "1000000000");

    std::memset(&g, '#', sizeof(g));
    strSetasAGRect(g.text, AGRect{1e300, -1e300, 1e300, 1e300}, 9);
    EXPECT_EQ(std::strlen(g.text), kAKStrSetasMaxLen - 1);

    std::memset(&g, '#', sizeof(g));
    strSetasTimeHMS(g.text, 1e15, 9, false);
    EXPECT_LT(std::strlen(g.text), size_t(kAKStrSetasMaxLen));

    for (char c : g.canary)
        EXPECT_EQ(c, '#');
}

TEST(AKTextForms, PrepareFloatScanfCopiesAtMost63Characters)
{
    char work[kAKStrPrepareFloatScanfLen + 8];
    std::memset(work, '#', sizeof(work));
    std::string text(100, '7');
    EXPECT_EQ(strPrepareFloatScanf(work, text.c_str()), work);
    EXPECT_EQ(std::string(work), std::string(63, '7'));
    EXPECT_EQ(work[kAKStrPrepareFloatScanfLen], '#');
    EXPECT_STREQ(strPrepareFloatScanf(work, "1.5"), "1.5");  // the separator stays a dot
    EXPECT_STREQ(strPrepareFloatScanf(work, nullptr), "");
}

TEST(AKTextForms, ScanfAsDotCountsItems)
{
    double a = 0.0;
    double b = 0.0;
    EXPECT_EQ(strScanfAsDot("(1.5;2.5)", "(%lf;%lf)", &a, &b), 2);
    EXPECT_DOUBLE_EQ(a, 1.5);
    EXPECT_DOUBLE_EQ(b, 2.5);
    EXPECT_EQ(strScanfAsDot("   ", "%lf", &a), 0);
    EXPECT_EQ(strScanfAsDot(nullptr, "%lf", &a), 0);
}

// ---------------------------------------------------------------------------
// Dates (local time: the test pins the zone to UTC)

class AKTextFormsDate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char const* tz = std::getenv("TZ");
        mHadTZ = tz != nullptr;
        if (mHadTZ)
            mTZ = tz;
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    void TearDown() override
    {
        if (mHadTZ)
            setenv("TZ", mTZ.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool mHadTZ = false;
    std::string mTZ;
};

TEST_F(AKTextFormsDate, FlagsBuildTheFormat)
{
    char b[kAKStrSetasDateMaxLen];
    EXPECT_STREQ(strSetasSysDate(b, 1700000000LL, false, false, false), "14/11/2023");
    EXPECT_STREQ(strSetasSysDate(b, 1700000000LL, false, true, false), "14/11/2023 22:13");
    EXPECT_STREQ(strSetasSysDate(b, 1700000000LL, false, false, true), "14/11/2023 22:13:20");
    EXPECT_STREQ(strSetasSysDate(b, 1700000000LL, false, true, true), "14/11/2023 22:13:20");
    EXPECT_STREQ(strSetasSysDate(b, 1700000000LL, true, true, true), "Tue 14/11/2023 22:13:20");
    EXPECT_STREQ(strSetasSysDate(b, -5LL, false, true, false), "01/01/1970 00:00");  // negative counts as 0
}

// ---------------------------------------------------------------------------
// Scope guard

TEST(AKScopedPrintfFloatSepAsDot, NothingToDoWhenTheThreadUsesDot)
{
    ASSERT_STREQ(nl_langinfo(RADIXCHAR), ".");
    locale_t before = uselocale((locale_t)0);
    {
        AKScopedPrintfFloatSepAsDot dot;
        EXPECT_FALSE(dot.IsSwitched());
        EXPECT_EQ(uselocale((locale_t)0), before);
    }
    EXPECT_EQ(uselocale((locale_t)0), before);
}

// ---------------------------------------------------------------------------
// Comma locale: the process (or the thread) switched to a locale that writes
// "1,5". The forms must not change.

static char const* const kCommaLocales[] = {
    "de_DE.UTF-8", "de_DE.utf8",  "fr_FR.UTF-8", "fr_FR.utf8",  "de_DE",       "fr_FR",       "de_DE@euro",
    "it_IT.UTF-8", "es_ES.UTF-8", "nl_NL.UTF-8", "pt_BR.UTF-8", "ru_RU.UTF-8", "sv_SE.UTF-8", "de_AT.UTF-8",
};

static char const* const kNoCommaLocaleHint =
    "no locale with a decimal comma is installed (e.g. generate de_DE.UTF-8 with locale-gen)";

static std::string Print15()
{
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f", 1.5);
    return text;
}

class AKTextFormsCommaLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mPrevious = std::setlocale(LC_ALL, nullptr);
        for (char const* name : kCommaLocales) {
            if (std::setlocale(LC_ALL, name) != nullptr && Print15() == "1,5")
                return;
        }
        std::setlocale(LC_ALL, mPrevious.c_str());
        GTEST_SKIP() << kNoCommaLocaleHint;
    }
    void TearDown() override { std::setlocale(LC_ALL, mPrevious.c_str()); }

private:
    std::string mPrevious;
};

TEST_F(AKTextFormsCommaLocale, FormsDoNotChange)
{
    CheckAllForms();
    EXPECT_EQ(Print15(), "1,5");  // the forms left the locale as they found it
}

TEST_F(AKTextFormsCommaLocale, GuardSwitchesOnlyForItsScope)
{
    {
        AKScopedPrintfFloatSepAsDot dot;
        EXPECT_TRUE(dot.IsSwitched());
        EXPECT_EQ(Print15(), "1.5");
        {
            AKScopedPrintfFloatSepAsDot inner;  // nests
            EXPECT_FALSE(inner.IsSwitched());
            EXPECT_EQ(Print15(), "1.5");
        }
        EXPECT_EQ(Print15(), "1.5");
        double v = 0.0;
        EXPECT_EQ(std::sscanf("2.5", "%lf", &v), 1);
        EXPECT_DOUBLE_EQ(v, 2.5);
    }
    EXPECT_EQ(Print15(), "1,5");
}

TEST_F(AKTextFormsCommaLocale, GuardLeavesOtherThreadsAlone)
{
    AKScopedPrintfFloatSepAsDot dot;
    std::string other;
    std::thread([&other] { other = Print15(); }).join();
    EXPECT_EQ(other, "1,5");
    EXPECT_EQ(Print15(), "1.5");
}

// A thread that chose a comma locale for itself alone.
TEST(AKTextFormsCommaThreadLocale, FormsDoNotChange)
{
    locale_t comma = (locale_t)0;
    for (char const* name : kCommaLocales) {
        comma = newlocale(LC_ALL_MASK, name, (locale_t)0);
        if (comma != (locale_t)0)
            break;
    }
    if (comma == (locale_t)0)
        GTEST_SKIP() << kNoCommaLocaleHint;
    locale_t previous = uselocale(comma);
    if (Print15() == "1,5") {
        CheckAllForms();
        EXPECT_EQ(Print15(), "1,5");
    }
    uselocale(previous);
    freelocale(comma);
}

// ---------------------------------------------------------------------------
// Suffix numbers

TEST(AKStringSuffixNumber, Find)
{
    struct {
        char const* text;
        bool found;
        unsigned int value;
        unsigned int digits;
    } const cases[] = {
        {"Take 07", true, 7, 2},   {"Take123456789", true, 23456789, 8},
        {"123", true, 123, 3},     {"Take", false, 0, 0},
        {"", false, 0, 0},         {"7a", false, 0, 0},
        {"x00000000", true, 0, 8},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned int value = 99;
        unsigned int digits = 99;
        EXPECT_EQ(AKStringSuffixNumberFind(AKString(c.text), &value, &digits), c.found);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(digits, c.digits);
    }
    EXPECT_TRUE(AKStringSuffixNumberFind(AKString("a1"), nullptr, nullptr));
}

TEST(AKStringSuffixNumber, AddAndReplace)
{
    struct {
        char const* text;
        bool replace;         // else add
        unsigned int number;  // the new number, or the delta
        unsigned int base;
        bool force;
        bool result;
        char const* want;
    } const cases[] = {
        {"Take 07", false, 1, 0, false, true, "Take 08"},
        {"Take 99", false, 1, 0, false, true, "Take 100"},
        {"Take", false, 1, 1, false, false, "Take"},
        {"Take ", false, 1, 1, true, true, "Take 2"},
        {"Take123456789", false, 1, 0, false, true, "Take123456790"},
        {"Take00000001", false, 1, 0, false, true, "Take0000002"},  // padding keeps at most 7 digits
        {"Shot 0042", true, 7, 0, false, true, "Shot 0007"},
        {"Shot 9", true, 12, 0, false, true, "Shot 12"},
        {"Shot", true, 7, 0, false, false, "Shot"},
        {"Shot", true, 7, 0, true, true, "Shot7"},
        {"", true, 3, 0, true, true, "3"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        AKString s(c.text);
        bool result = c.replace ? AKStringSuffixNumberReplace(&s, c.number, c.force)
                                : AKStringSuffixNumberAdd(&s, c.number, c.base, c.force);
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(s.c_str(), c.want);
    }
    EXPECT_FALSE(AKStringSuffixNumberAdd(nullptr, 1, 1, true));
}

// ---------------------------------------------------------------------------
// Hexadecimal dump and hashes

TEST(AKTextForms, HexaDump)
{
    unsigned char const bytes[] = {0x00, 0xAB, 0x7F, 0xF0};
    EXPECT_STREQ(AKStringHexaFromBinaryData(bytes, 4, AKString("0x")).c_str(), "0x00AB7FF0");
    EXPECT_STREQ(AKStringHexaFromBinaryData(bytes, 1, AKString()).c_str(), "00");
    EXPECT_TRUE(AKStringHexaFromBinaryData(nullptr, 4, AKString("0x")).IsEmpty());
    EXPECT_TRUE(AKStringHexaFromBinaryData(bytes, 0, AKString("0x")).IsEmpty());
}

TEST(AKTextForms, Hashes)
{
    EXPECT_EQ(AKStringComputeHashCode32(AKString("abc")), 1601891u);
    EXPECT_EQ(AKStringComputeHashCode64(AKString("abc")), 1601891ull);
    EXPECT_EQ(AKStringComputeHashCode32(AKString()), 0u);
    EXPECT_EQ(AKStringComputeHashCode64(AKString()), 0ull);
    // Every byte counts, a NUL inside the string included.
    EXPECT_NE(AKStringComputeHashCode32(AKString("a\0b", 3)), AKStringComputeHashCode32(AKString("a")));
    EXPECT_NE(AKStringComputeHashCode64(AKString("a\0b", 3)), AKStringComputeHashCode64(AKString("a")));
    // The widths part once the rotation wraps around 32 bits.
    AKString longer("abcdefghij");
    EXPECT_NE(static_cast<unsigned long long>(AKStringComputeHashCode32(longer)), AKStringComputeHashCode64(longer));
}

// ---------------------------------------------------------------------------
// Debug formatters

TEST(AKTextFormsDebug, EightResultsOfOneFormLiveTogether)
{
    char const* results[9];
    for (int i = 0; i < 9; i++)
        results[i] = _akstr(AGPoint{static_cast<double>(i), 0.0}, 0);
    for (int i = 1; i < 8; i++) {
        char want[32];
        std::snprintf(want, sizeof(want), "(%d;0)", i);
        EXPECT_STREQ(results[i], want);
    }
    EXPECT_EQ(results[8], results[0]);  // the ninth reuses the first slot
    EXPECT_STREQ(results[0], "(8;0)");

    // Each form has a ring of its own.
    char const* point = _akstr(AGPoint{1.0, 2.0}, 1);
    EXPECT_STREQ(_akstr(AGColor::FromRGBA(1, 2, 3)), "(001;002;003;255)");
    EXPECT_STREQ(_akstr(AGSize{3.0, 4.0}, 0), "(3;4)");
    EXPECT_STREQ(_akstr(AGRect{1.0, 2.0, 3.0, 4.0}, 2), "(1.00;2.00;3.00;4.00)");
    EXPECT_STREQ(point, "(1.0;2.0)");
}

TEST(AKTextFormsDebug, SlotsAreBoundedAndPerThread)
{
    char const* mine = _akstr(AGPoint{1.0, 2.0}, 0);
    std::thread([] {
        for (int i = 0; i < 8; i++)
            _akstr(AGPoint{7.0, 7.0}, 0);
    }).join();
    EXPECT_STREQ(mine, "(1;2)");

    EXPECT_EQ(std::strlen(_akstr(AGPoint{1e300, 1e300}, 9)), 31u);
    EXPECT_EQ(std::strlen(_akstr(AGSize{1e300, 1e300}, 9)), 31u);
    EXPECT_EQ(std::strlen(_akstr(AGRect{1e300, 1e300, 1e300, 1e300}, 9)), 63u);
}

// ---------------------------------------------------------------------------
// Graphics value types

TEST(AGTypes, ColourComponents)
{
    AGColor c = AGColor::FromRGBA(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(c.value, 0x44332211u);
    EXPECT_EQ(c.GetRed(), 0x11u);
    EXPECT_EQ(c.GetGreen(), 0x22u);
    EXPECT_EQ(c.GetBlue(), 0x33u);
    EXPECT_EQ(c.GetAlpha(), 0x44u);
    c.SetGreen(0x1FF);  // only the low 8 bits count
    c.SetAlpha(0);
    EXPECT_EQ(c.value, 0x0033FF11u);
    unsigned char bytes[4];
    std::memcpy(bytes, &kAGColorRed, 4);  // red first in memory
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[1], 0x00);
}
