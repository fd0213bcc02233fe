#pragma once

#include "AKStatus.h"

// Process-wide logging to one sink installed by the host.
//
// Error and warning lines read "# Quorvex Error -894 (kAKErrorCantStartThread): message."
// followed by a line feed. Without a sink every call is silent; the calls that
// return a code still return it, so callers write `return AKLogError(...)`.
//
// A sink installed as not thread-safe is only called on the main thread: lines
// logged on other threads are dropped. A thread-safe sink is called on whatever
// thread logs and must queue the line itself. Each thread assembles its lines in
// its own buffer, so concurrent lines never mix.

#if defined(__GNUC__)
#define AK_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define AK_PRINTF_FORMAT(fmtIndex, firstArg)
#endif

// Size of one log line, the terminating NUL included; longer lines are cut.
constexpr unsigned int kAKLogLineBufferSize = 32768;

using AKLogMessageProc = void (*)(char const* line);

// Installs the sink (null removes it and silences all logging).
// threadSafe says whether the sink may be called from any thread.
void AKSetCustomLogMessageProc(AKLogMessageProc proc, bool threadSafe);

// Sends the formatted text as is: no prefix, no full stop, no line feed added.
// Not affected by muting.
void AKLog(char const* format, ...) AK_PRINTF_FORMAT(1, 2);

// Writes the error or warning line for the code; returns the code when negative, else 0.
int AKLogError(int status, char const* format, ...) AK_PRINTF_FORMAT(2, 3);

// Same as AKLogError, with " (errno N: text)." appended when errno is not 0.
int AKLogErrorWithErrno(int status, char const* format, ...) AK_PRINTF_FORMAT(2, 3);

// Same line as AKLogError; returns nothing.
void AKLogWarning(int status, char const* format, ...) AK_PRINTF_FORMAT(2, 3);

// Mute and unmute nest: while muted, error and warning lines are dropped.
// Used around probing calls whose failures are expected.
void AKLogErrorMute();
void AKLogErrorUnmute();

// The code's symbolic name, or "" (never null) for a code without one.
char const* AKGetStatusRawName(int status);

// Text of an errno value as written in log lines, "UNKNOWN" for values outside the table.
char const* AKGetErrnoText(int errnoValue);
