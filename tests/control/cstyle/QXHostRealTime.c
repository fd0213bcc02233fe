/* The engine started in real time, idling itself: renders are refused, and
 * blocks of its real-time documents may be pulled from another thread. */
#include "QXHost.h"

#include <pthread.h>
#include <string.h>

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
}
