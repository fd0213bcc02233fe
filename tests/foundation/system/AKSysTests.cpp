#include "AKByteOrder.h"
#include "AKRandom.h"
#include "AKString.h"
#include "AKSys.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

double ElapsedMicroSec(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// Must stay the first test of this program: it needs the clock's very first reading.
TEST(AKSysTests, ClockStartsAtZeroOnWhicheverThreadReadsFirst)
{
    constexpr int kThreads = 8;
    std::vector<double> firstReadings(kThreads, -1.0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&firstReadings, i] { firstReadings[i] = AKSys::GetCurrentApplicationTimeMicroSec(); });
    for (std::thread& t : threads)
        t.join();
    double lowest = firstReadings[0];
    for (double reading : firstReadings) {
        EXPECT_GE(reading, 0.0);
        lowest = std::min(lowest, reading);
    }
    EXPECT_EQ(0.0, lowest);

    double previous = AKSys::GetCurrentApplicationTimeMicroSec();
    for (int i = 0; i < 100; ++i) {
        double now = AKSys::GetCurrentApplicationTimeMicroSec();
        EXPECT_GE(now, previous);
        previous = now;
    }
    AKSys::SleepMicroSec(2000);
    EXPECT_GE(AKSys::GetCurrentApplicationTimeMicroSec() - previous, 2000.0);
}

TEST(AKSysTests, MainThreadIsTheProcessFirstThread)
{
    EXPECT_TRUE(AKSys::IsMainThread());
    bool onWorker = true;
    std::thread worker([&onWorker] { onWorker = AKSys::IsMainThread(); });
    worker.join();
    EXPECT_FALSE(onWorker);
}

TEST(AKSysTests, SleepRoundsAndIgnoresNegativeDurations)
{
    auto start = std::chrono::steady_clock::now();
    AKSys::SleepMicroSec(1500.6);
    EXPECT_GE(ElapsedMicroSec(start), 1501.0);

    // These return at once; a generous bound only proves they do not hang.
    start = std::chrono::steady_clock::now();
    AKSys::SleepMicroSec(-1);
    AKSys::SleepMicroSec(-1e300);
    AKSys::SleepMicroSec(std::numeric_limits<double>::quiet_NaN());
    AKSys::SleepMicroSec(-std::numeric_limits<double>::infinity());
    AKSys::SleepMicroSec(0.4);
    EXPECT_LT(ElapsedMicroSec(start), 1e6);
}

TEST(AKSysTests, DateIsTheCurrentTime)
{
    long long before = static_cast<long long>(time(nullptr));
    long long now = AKSys::GetCurrentDateAndTime();
    long long after = static_cast<long long>(time(nullptr));
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}

class AKSysLocaleTests : public ::testing::Test
{
protected:
    static constexpr char const* kVariables[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            char const* value = getenv(kVariables[i]);
            mHad[i] = value != nullptr;
            mSaved[i] = value != nullptr ? value : "";
        }
    }

    void TearDown() override
    {
        for (int i = 0; i < 3; ++i) {
            if (mHad[i])
                setenv(kVariables[i], mSaved[i].c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
    }

    // Null unsets the variable.
    static void SetLocaleVariables(char const* all, char const* messages, char const* lang)
    {
        char const* values[3] = {all, messages, lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i] != nullptr)
                setenv(kVariables[i], values[i], 1);
            else
                unsetenv(kVariables[i]);
        }
    }

private:
    bool mHad[3] = {};
    std::string mSaved[3];
};

TEST_F(AKSysLocaleTests, LanguageAndRegionFromTheEnvironment)
{
    struct Case {
        char const* all;
        char const* messages;
        char const* lang;
        char const* language;
        char const* region;
    };
    Case const cases[] = {
        {"fr_FR.UTF-8@euro", nullptr, nullptr, "fr", "FR"},
        {nullptr, nullptr, "fr_FR.UTF-8", "fr", "FR"},
        {nullptr, nullptr, "pt_BR", "pt", "BR"},
        {nullptr, "de_AT.ISO-8859-1", "it_IT.UTF-8", "de", "AT"},
        {"", "", "it_IT.UTF-8", "it", "IT"},
        {"es_MX", "de_AT", "it_IT", "es", "MX"},
        {"C", nullptr, "fr_FR.UTF-8", "en", "US"},
        {nullptr, nullptr, "POSIX", "en", "US"},
        {nullptr, nullptr, "C.UTF-8", "en", "US"},
        {nullptr, nullptr, nullptr, "en", "US"},
        {"", "", "", "en", "US"},
        {nullptr, nullptr, "ja", "ja", "US"},
        {nullptr, nullptr, "nl.UTF-8", "nl", "US"},
        {nullptr, nullptr, "EN_gb", "en", "GB"},
        {nullptr, nullptr, "ca_ES@valencia", "ca", "ES"},
        {nullptr, nullptr, "_FR", "en", "US"},
        {nullptr, nullptr, "fr_", "fr", "US"},
        {nullptr, nullptr, "/usr/share/locale", "en", "US"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.all ? c.all : "-") + " " + (c.messages ? c.messages : "-") + " " +
                     (c.lang ? c.lang : "-"));
        SetLocaleVariables(c.all, c.messages, c.lang);
        EXPECT_EQ(c.language, AKSys::GetUserLanguage().StdString());
        EXPECT_EQ(c.region, AKSys::GetUserRegion().StdString());
    }
}

TEST(AKRandomTests, SeedingRepeatsTheSequence)
{
    EXPECT_EQ(42u, akrand::randomInit(42));
    std::vector<int> first;
    for (int i = 0; i < 10; ++i)
        first.push_back(rand());
    EXPECT_EQ(42u, akrand::randomInit(42));
    std::vector<int> second;
    for (int i = 0; i < 10; ++i)
        second.push_back(rand());
    EXPECT_EQ(first, second);

    // The draw thrown away at seeding: the sequence starts at the second number of srand(42).
    srand(42);
    rand();
    EXPECT_EQ(first[0], rand());

    unsigned int before = static_cast<unsigned int>(time(nullptr));
    unsigned int seed = akrand::randomInit(0);
    unsigned int after = static_cast<unsigned int>(time(nullptr));
    EXPECT_LE(before, seed);
    EXPECT_LE(seed, after);
}

TEST(AKRandomTests, LowRandomFollowsTheFormula)
{
    // Same draw fed to the formula by hand: centre 9, range 0..10, spread 0.5 gives 4 + 6r.
    akrand::randomInit(42);
    double r = rand() / 2147483647.0;
    akrand::randomInit(42);
    EXPECT_DOUBLE_EQ(4.0 + 6.0 * r, akrand::_lowRandom(9, 0, 10, 0.5));

    // Centre outside the range: uniform over the whole range.
    akrand::randomInit(42);
    r = rand() / 2147483647.0;
    akrand::randomInit(42);
    EXPECT_DOUBLE_EQ(-10.0 + 20.0 * r, akrand::_lowRandom(20, -10, 10, 0.5));
}

TEST(AKRandomTests, LowRandomRanges)
{
    struct Case {
        double centre, low, high, spread;
        double expectedLow, expectedHigh;
    };
    Case const cases[] = {
        {5, 0, 10, 0, 5, 5},       // no spread: the centre
        {9, 0, 10, 0.5, 4, 10},    // clamped at the top
        {0, 0, 10, 0.25, 0, 2.5},  // clamped at the bottom
        {5, 0, 10, 0.1, 4, 6},     // wanders near the centre
        {20, 0, 10, 0.5, 0, 10},   // centre outside: whole range
        {5, 0, 10, 1, 0, 10},      // spread 1: whole range
        {5, 0, 10, -0.5, 0, 10},   // negative spread: whole range
        {-3, -4, -2, 0.9, -4, -2},
    };
    akrand::randomInit(7);
    for (Case const& c : cases) {
        SCOPED_TRACE(std::to_string(c.centre) + " " + std::to_string(c.spread));
        double lowest = c.high, highest = c.low;
        for (int i = 0; i < 2000; ++i) {
            double v = akrand::_lowRandom(c.centre, c.low, c.high, c.spread);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        EXPECT_GE(lowest, c.expectedLow);
        EXPECT_LE(highest, c.expectedHigh);
        // 2000 draws cover most of the allowed span.
        EXPECT_LT(lowest, c.expectedLow + 0.05 * (c.expectedHigh - c.expectedLow) + 1e-12);
        EXPECT_GT(highest, c.expectedHigh - 0.05 * (c.expectedHigh - c.expectedLow) - 1e-12);
    }
}

TEST(AKByteOrderTests, BigEndianFormsReverseLittleEndianFormsKeep)
{
    EXPECT_EQ(0x2211u, AKSwapNumber16_EndianHostFromBig(0x1122));
    EXPECT_EQ(0x44332211u, AKSwapNumber32_EndianHostFromBig(0x11223344u));
    EXPECT_EQ(0x8877665544332211ull, AKSwapNumber64_EndianHostFromBig(0x1122334455667788ull));
    EXPECT_EQ(0x2211u, AKSwapNumber16_EndianBigFromHost(0x1122));
    EXPECT_EQ(0x44332211u, AKSwapNumber32_EndianBigFromHost(0x11223344u));
    EXPECT_EQ(0x8877665544332211ull, AKSwapNumber64_EndianBigFromHost(0x1122334455667788ull));

    EXPECT_EQ(0x1122u, AKSwapNumber16_EndianHostFromLittle(0x1122));
    EXPECT_EQ(0x11223344u, AKSwapNumber32_EndianHostFromLittle(0x11223344u));
    EXPECT_EQ(0x1122334455667788ull, AKSwapNumber64_EndianHostFromLittle(0x1122334455667788ull));
    EXPECT_EQ(0x1122u, AKSwapNumber16_EndianLittleFromHost(0x1122));
    EXPECT_EQ(0x11223344u, AKSwapNumber32_EndianLittleFromHost(0x11223344u));
    EXPECT_EQ(0x1122334455667788ull, AKSwapNumber64_EndianLittleFromHost(0x1122334455667788ull));

    // Big-endian order puts the most significant byte first in memory.
    uint32_t stored = AKSwapNumber32_EndianBigFromHost(0x11223344u);
    unsigned char bytes[4];
    std::memcpy(bytes, &stored, 4);
    EXPECT_EQ(0x11, bytes[0]);
    EXPECT_EQ(0x22, bytes[1]);
    EXPECT_EQ(0x33, bytes[2]);
    EXPECT_EQ(0x44, bytes[3]);
    uint64_t stored64 = AKSwapNumber64_EndianBigFromHost(0x0102030405060708ull);
    unsigned char bytes64[8];
    std::memcpy(bytes64, &stored64, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(i + 1, bytes64[i]);
}
