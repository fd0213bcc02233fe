#include "AKSys.h"

#include "AKRandom.h"
#include "AKString.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

long long MonotonicNanoSec()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Origin of the application clock, set once by the first reading on any thread.
std::once_flag sClockOnce;
long long sClockOriginNanoSec = 0;

// Written once by Initialize on the main thread, read later by anyone.
std::atomic<unsigned int> sRandomSeed{0};

// The user's locale name from the environment, as the C library picks the
// messages locale: LC_ALL, then LC_MESSAGES, then LANG (first non-empty).
std::string UserLocaleName()
{
    for (char const* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        char const* value = getenv(variable);
        if (value != nullptr && value[0] != '\0')
            return value;
    }
    return std::string();
}

bool IsAsciiLetters(std::string const& s)
{
    if (s.empty())
        return false;
    for (char c : s) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

// Splits "language_REGION.codeset@modifier" into its language and region;
// either is left empty when the name does not give it.
void SplitLocaleName(std::string const& name, std::string& language, std::string& region)
{
    language.clear();
    region.clear();
    std::string base = name.substr(0, name.find_first_of(".@"));
    size_t underscore = base.find('_');
    std::string lang = base.substr(0, underscore);
    if (lang == "C" || lang == "POSIX" || !IsAsciiLetters(lang))
        return;
    language = lang;
    if (underscore != std::string::npos) {
        std::string reg = base.substr(underscore + 1);
        if (IsAsciiLetters(reg))
            region = reg;
    }
}

std::string AsciiLower(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string AsciiUpper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

}  // namespace

void AKSys::Initialize()
{
    GetCurrentApplicationTimeMicroSec();
    sRandomSeed.store(akrand::randomInit(0), std::memory_order_relaxed);
}

unsigned int AKSys::GetRandomSeed() { return sRandomSeed.load(std::memory_order_relaxed); }

void AKSys::Terminate() {}

bool AKSys::IsMainThread()
{
    // The process's first thread has the process's own ID.
    return gettid() == getpid();
}

double AKSys::GetCurrentApplicationTimeMicroSec()
{
    bool firstReading = false;
    std::call_once(sClockOnce, [&firstReading] {
        sClockOriginNanoSec = MonotonicNanoSec();
        firstReading = true;
    });
    if (firstReading)
        return 0.0;
    return static_cast<double>(MonotonicNanoSec() - sClockOriginNanoSec) * 0.001;
}

void AKSys::SleepMicroSec(double microSec)
{
    // Negative, NaN and infinite durations return at once.
    if (!(microSec >= 0.0) || std::isinf(microSec))
        return;
    // Longer than a year is a year: keeps the conversion to seconds in range.
    double const rounded = std::fmin(std::floor(microSec + 0.5), 365.0 * 24 * 3600 * 1000000.0);
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(rounded / 1000000.0);
    remaining.tv_nsec = static_cast<long>((rounded - static_cast<double>(remaining.tv_sec) * 1000000.0) * 1000.0);
    if (remaining.tv_nsec < 0)
        remaining.tv_nsec = 0;
    if (remaining.tv_nsec > 999999999L)
        remaining.tv_nsec = 999999999L;
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

long long AKSys::GetCurrentDateAndTime()
{
    time_t now = time(nullptr);
    return now < 0 ? 0 : static_cast<long long>(now);
}

AKString AKSys::GetUserLanguage()
{
    std::string language, region;
    SplitLocaleName(UserLocaleName(), language, region);
    if (language.empty())
        return AKString(std::string("en"));
    return AKString(AsciiLower(language));
}

AKString AKSys::GetUserRegion()
{
    std::string language, region;
    SplitLocaleName(UserLocaleName(), language, region);
    if (region.empty())
        return AKString(std::string("US"));
    return AKString(AsciiUpper(region));
}
