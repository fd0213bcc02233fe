/* The engine started in real time, idling itself: renders are refused, and
 * blocks of its real-time documents may be pulled from another thread,
 * also while the main thread edits, prepares and closes other documents. */
#include "QXHost.h"

#include <pthread.h>
#include <stdatomic.h>
#include <string.h>
#include <time.h>

typedef struct {
    int document;
    int status;
    float level;
} Pull;

static void* PullOnThread(void* data)
{
    Pull* const pull = (Pull*)data;
    float left[128], right[128];
    float* channels[2] = {left, right};
    float levels[2] = {-1.0f, -1.0f};
    pull->status = _QX_audioCopyNextBuffer32(pull->document, channels, levels, 2, 128);
    pull->level = levels[0];
    return NULL;
}

int QXHostPullOnThread(int document, float* level)
{
    Pull pull = {document, 1, -1.0f};
    pthread_t thread;
    if (pthread_create(&thread, NULL, &PullOnThread, &pull) != 0)
        return 1;
    pthread_join(thread, NULL);
    if (level != NULL)
        *level = pull.level;
    return pull.status;
}

static void Sleep(long microSec)
{
    struct timespec const pause = {microSec / 1000000, (microSec % 1000000) * 1000};
    nanosleep(&pause, NULL);
}

/* A host's audio thread: blocks of one document until told to stop. */
typedef struct {
    int document;
    atomic_int stop;
    atomic_int blocks;
    int failures;
    int last;
    float peak;
} Stream;

static void* StreamOnThread(void* data)
{
    Stream* const stream = (Stream*)data;
    float left[256], right[256];
    float* channels[2] = {left, right};
    while (!atomic_load(&stream->stop)) {
        float levels[2] = {0.0f, 0.0f};
        stream->last = _QX_audioCopyNextBuffer32(stream->document, channels, levels, 2, 256);
        if (stream->last != 0)
            ++stream->failures;
        if (levels[0] > stream->peak)
            stream->peak = levels[0];
        atomic_fetch_add(&stream->blocks, 1);
        Sleep(500);
    }
    return NULL;
}

/* Sounds load on the engine's loader: wait (idling) until this one has. */
static int WaitLoaded(int provider)
{
    for (int i = 0; i < 500; ++i) {
        int state = 0;
        EXPECT_STATUS(0, _QX_getProviderState(provider, &state, NULL));
        if (state == 2)
            return 1;
        Sleep(10000);
    }
    return 0;
}

/* The main thread edits the streamed document through commands and
 * parameters, and makes, prepares and closes others, while the stream
 * runs. */
static void EditWhileStreaming(void)
{
    const char* const long_ = QXHostPath("live-long.wav");
    const char* const short_ = QXHostPath("live-short.wav");
    EXPECT(QXHostWriteSine(long_, 2.0, 44100.0, 0.5) == 0);
    EXPECT(QXHostWriteSine(short_, 0.5, 44100.0, 0.5) == 0);
    int provider = 0, doc = 0, seq = 0, player = 0, count = 0;
    int* ids = NULL;
    EXPECT_STATUS(0, _QX_newProviderWithSound(long_, &provider));
    EXPECT(WaitLoaded(provider));
    /* A document prepared first and closed: the streamed one is not the
     * first the interface knows, and the others take the place it left. */
    int first = 0;
    EXPECT_STATUS(0, _QX_newDocument("First", &first));
    EXPECT_STATUS(0, _QX_audioPrepareResources(first, 2, 64, 44100.0));
    EXPECT_STATUS(0, _QX_newDocument("Streamed", &doc));
    EXPECT_STATUS(0, _QX_createSequenceWithProvider(doc, "", (unsigned int)provider, &seq));
    EXPECT_STATUS(0, _QX_getAttachedPlayers(doc, seq, &ids, &count));
    player = count > 0 && ids != NULL ? ids[0] : 0;
    EXPECT_STATUS(0, _QX_getSubTracks(doc, seq, &ids, &count));
    int const track = count > 0 && ids != NULL ? ids[0] : 0;
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, player, "playable", "loop", 0, 1.0, 0.0));
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, player, "playable", "play", 0, 1.0, 0.0));
    EXPECT_STATUS(0, _QX_audioPrepareResources(doc, 2, 256, 44100.0));
    EXPECT_STATUS(0, _QX_audioReleaseResources(first));
    EXPECT_STATUS(0, _QX_closeDocument(first));

    Stream stream;
    memset(&stream, 0, sizeof(stream));
    stream.document = doc;
    atomic_init(&stream.stop, 0);
    atomic_init(&stream.blocks, 0);
    pthread_t thread;
    EXPECT(pthread_create(&thread, NULL, &StreamOnThread, &stream) == 0);
    for (int round = 0; round < 6; ++round) {
        int other = 0;
        EXPECT_STATUS(0, _QX_setObjectParameter(doc, player, "playable", "volume", 0, -1.0 * round, 0.0));
        EXPECT_STATUS(0, round % 2 == 0 ? _QX_reinitTrackWithSound(doc, track, short_)
                                        : _QX_reinitTrackWithProvider(doc, track, (unsigned int)provider));
        EXPECT_STATUS(0, _QX_insertTrackWithSound(doc, seq, short_, 0.1, 0.3, 0.0));
        EXPECT_STATUS(0, _QX_commandOnTracks(doc, track, "reverse", 0.0, 0.4, 0.0, 0.0));
        EXPECT_STATUS(0, _QX_newDocument("Beside", &other));
        EXPECT_STATUS(0, _QX_audioPrepareResources(other, 1, 128, 22050.0));
        Sleep(20000);
        /* The streamed document itself, prepared again with another
         * block size: no pull overlaps the change. */
        EXPECT_STATUS(0, _QX_audioPrepareResources(doc, 2, round % 2 == 0 ? 128 : 256, 44100.0));
        EXPECT_STATUS(0, _QX_audioReleaseResources(other));
        EXPECT_STATUS(0, _QX_closeDocument(other));
        Sleep(20000);
    }
    atomic_store(&stream.stop, 1);
    pthread_join(thread, NULL);
    EXPECT(stream.failures == 0);
    EXPECT(atomic_load(&stream.blocks) > 0);
    EXPECT(stream.peak > 0.05f);

    /* Closed while it streams, without a release first: the pulls that
     * follow find no document. */
    atomic_store(&stream.stop, 0);
    EXPECT(pthread_create(&thread, NULL, &StreamOnThread, &stream) == 0);
    Sleep(5000);
    EXPECT_STATUS(0, _QX_closeDocument(doc));
    /* A few pulls after the close, however busy the machine. */
    int const closedAt = atomic_load(&stream.blocks);
    for (int i = 0; i < 2000 && atomic_load(&stream.blocks) < closedAt + 3; ++i)
        Sleep(1000);
    atomic_store(&stream.stop, 1);
    pthread_join(thread, NULL);
    EXPECT(stream.last == -554);
}

void QXHostRunRealTime(void)
{
    EXPECT(strstr(QXHostLog(), "# QXQuorvex has launched its auto-idling successfully.\n") != NULL);
    EXPECT_STATUS(0, _QX_globalIdle());
    EXPECT(QXHostLogCount("Can't make host-idling") == 1);
    int doc = 0;
    EXPECT_STATUS(0, _QX_newDocument("Live", &doc));
    QXHostClearLog();
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("live.wav"), 2, 16, 1, 0, 1.0, 44100.0, NULL, 0));
    EXPECT(strstr(QXHostLog(), "Bounce can be only used in NOT real-time document") != NULL);
    EXPECT_STATUS(0, _QX_audioPrepareResources(doc, 2, 128, 44100.0));
    float level = -1.0f;
    EXPECT_STATUS(0, QXHostPullOnThread(doc, &level));
    EXPECT(level == 0.0f);
    EXPECT_STATUS(0, _QX_audioReleaseResources(doc));
    EXPECT_STATUS(0, _QX_closeDocument(doc));
    EditWhileStreaming();
}
