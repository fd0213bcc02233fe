/* The host's start, logging, work files and expectations. */
#include "QXHost.h"

#include <math.h>
#include <sndfile.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

static int sFailures = 0;
static char* sLog = NULL;
static size_t sLogLength = 0;
static const char* sFolder = ".";

void QXHostExpect(int condition, const char* what, const char* file, int line)
{
    if (condition)
        return;
    ++sFailures;
    fprintf(stderr, "%s:%d: expected %s\n", file, line, what);
}

void QXHostExpectStatus(int expected, int got, const char* what, const char* file, int line)
{
    ++sFailures;
    fprintf(stderr, "%s:%d: %s returned %d, expected %d\n", file, line, what, got, expected);
}

void QXHostLogProc(const char* text)
{
    size_t const length = strlen(text);
    char* const grown = realloc(sLog, sLogLength + length + 1);
    if (grown == NULL)
        return;
    sLog = grown;
    memcpy(sLog + sLogLength, text, length + 1);
    sLogLength += length;
}

const char* QXHostLog(void) { return sLog != NULL ? sLog : ""; }

void QXHostClearLog(void)
{
    sLogLength = 0;
    if (sLog != NULL)
        sLog[0] = 0;
}

int QXHostLogCount(const char* text)
{
    int count = 0;
    const char* at = QXHostLog();
    while ((at = strstr(at, text)) != NULL) {
        ++count;
        at += strlen(text);
    }
    return count;
}

const char* QXHostPath(const char* name)
{
    static char paths[8][1024];
    static int next = 0;
    char* const path = paths[next];
    next = (next + 1) % 8;
    snprintf(path, sizeof(paths[0]), "%s/%s", sFolder, name);
    return path;
}

int QXHostWriteSine(const char* path, double seconds, double rate, double amplitude)
{
    SF_INFO info;
    memset(&info, 0, sizeof(info));
    info.samplerate = (int)rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* const file = sf_open(path, SFM_WRITE, &info);
    if (file == NULL)
        return -1;
    sf_count_t const frames = (sf_count_t)(seconds * rate);
    float* const samples = malloc(sizeof(float) * 2 * (size_t)frames);
    for (sf_count_t i = 0; i < frames; ++i) {
        float const value = (float)(amplitude * sin(2.0 * M_PI * 441.0 * (double)i / rate));
        samples[2 * i] = value;
        samples[2 * i + 1] = value;
    }
    sf_count_t const written = sf_writef_float(file, samples, frames);
    free(samples);
    sf_close(file);
    return written == frames ? 0 : -1;
}

int main(int argc, char** argv)
{
    if (argc > 1) {
        sFolder = argv[1];
        mkdir(sFolder, 0755);
    }
    /* The engine starts once per process: the real-time run is a process
     * of its own. */
    if (argc > 2 && strcmp(argv[2], "realtime") == 0) {
        EXPECT_STATUS(0, _QX_initialize("RealTime=1;HostIdle=0;", &QXHostLogProc));
        EXPECT(strstr(QXHostLog(), "(\"RealTime=1; HostIdle=0; UndoRedo=0; Waveform=0; PersistIDs=0;\") has been "
                                   "called successfully.") != NULL);
        QXHostRunRealTime();
        EXPECT_STATUS(0, _QX_terminate());
        free(sLog);
        return sFailures == 0 ? 0 : 1;
    }
    /* Before any start: a version, and a stop that has nothing to stop. */
    int number = 0;
    const char* text = NULL;
    EXPECT_STATUS(0, _QX_dylibVersion(NULL, NULL));
    EXPECT_STATUS(0, _QX_dylibVersion(&number, &text));
    EXPECT(number == 151018 && text != NULL && strcmp(text, "1.7.0") == 0);
    EXPECT_STATUS(0, _QX_terminate());

    EXPECT_STATUS(
        0, _QX_initialize("RealTime = 0; HostIdle=0; UndoRedo=1; Waveform=1; PersistIDs=0; Bogus=3;", &QXHostLogProc));
    EXPECT(strstr(QXHostLog(), "# QXQuorvex::initialize(\"RealTime=0; HostIdle=0; UndoRedo=1; Waveform=1; "
                               "PersistIDs=0;\") has been called successfully.\n") != NULL);
    /* A second start only counts. */
    QXHostClearLog();
    EXPECT_STATUS(0, _QX_initialize("RealTime=1;", &QXHostLogProc));
    EXPECT(QXHostLog()[0] == 0);
    EXPECT_STATUS(0, _QX_terminate());

    /* Host idling needs both options: one warning, then silence. */
    EXPECT_STATUS(0, _QX_globalIdle());
    EXPECT_STATUS(0, _QX_globalIdle());
    EXPECT(QXHostLogCount("Can't make host-idling") == 1);

    QXHostRunArgumentChecks();
    QXHostRunEngine();
    QXHostRunTracks();

    EXPECT_STATUS(0, _QX_terminate());
    EXPECT_STATUS(0, _QX_terminate());
    free(sLog);
    if (sFailures != 0)
        fprintf(stderr, "%d expectation(s) failed\n", sFailures);
    return sFailures == 0 ? 0 : 1;
}
