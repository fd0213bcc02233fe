/* A host program in C driving the engine through its shared library. */
#ifndef QX_HOST_H
#define QX_HOST_H

#include "QVUniversalProcs.h"

/* Counts a failed expectation and reports where it was. */
void QXHostExpect(int condition, const char* what, const char* file, int line);
#define EXPECT(condition) QXHostExpect((condition) ? 1 : 0, #condition, __FILE__, __LINE__)
#define EXPECT_STATUS(expected, call)                                                                                  \
    do {                                                                                                               \
        int qxStatus_ = (call);                                                                                        \
        if (qxStatus_ != (expected))                                                                                   \
            QXHostExpectStatus((expected), qxStatus_, #call, __FILE__, __LINE__);                                      \
    } while (0)
void QXHostExpectStatus(int expected, int got, const char* what, const char* file, int line);

/* The engine's log so far, and its reset. */
const char* QXHostLog(void);
void QXHostClearLog(void);
void QXHostLogProc(const char* text);
/* How often the text occurs in the log. */
int QXHostLogCount(const char* text);

/* A path in the work folder. */
const char* QXHostPath(const char* name);
/* Writes a stereo 16-bit WAV of a sine at the amplitude (0 to 1). */
int QXHostWriteSine(const char* path, double seconds, double rate, double amplitude);

/* The two halves of the run, engine started. */
void QXHostRunArgumentChecks(void);
void QXHostRunEngine(void);
/* Track edits through the commands, undone and redone. */
void QXHostRunTracks(void);
/* The run of an engine started with "RealTime=1;". */
void QXHostRunRealTime(void);
/* One 32-bit block of the document pulled on a thread of its own: the
 * status, and the first channel's level. */
int QXHostPullOnThread(int document, float* level);

#endif
