#pragma once

#include "AKString.h"

// Small process-wide system services: the application clock, the main-thread
// test, sleeping, the wall-clock date and the user's language and region.
class AKSys
{
public:
    // Starts the application clock and seeds the random generator with the time.
    static void Initialize();
    static void Terminate();
    // The seed Initialize gave the random generator (0 before it ran), for
    // the generators that must follow the same start.
    static unsigned int GetRandomSeed();

    // True on the process's first thread.
    static bool IsMainThread();

    // Microseconds since the first call of this function (0 at the first call).
    // Safe to call first from any thread.
    static double GetCurrentApplicationTimeMicroSec();

    // Sleeps round(microSec) microseconds; negative values return at once.
    static void SleepMicroSec(double microSec);

    // Seconds since 1970, 0 when the system reports a negative time.
    static long long GetCurrentDateAndTime();

    // Lower-case language code of the user ("en" when unknown).
    static AKString GetUserLanguage();
    // Upper-case region (country) code of the user ("US" when unknown).
    static AKString GetUserRegion();

    AKSys() = delete;
};
