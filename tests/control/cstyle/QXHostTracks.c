/* Track content from sound files: every re-initialise and insert is one
 * step of the document's history, with the track command's echo, and the
 * history words undo and redo it. */
#include "QXHost.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

static double Duration(int doc, int track)
{
    double value = -1.0;
    EXPECT_STATUS(0, _QX_getObjectParameter(doc, track, "track", "duration", 0, &value, NULL, NULL));
    return value;
}

static int History(int doc, const char* word)
{
    int result = -1;
    EXPECT_STATUS(0, _QX_historyOnDocument(doc, word, &result));
    return result;
}

static void Command(int doc, const char* word)
{
    EXPECT_STATUS(0, _QX_commandOnDocument(doc, word, NULL, 0, NULL, NULL));
}

/* The last step took the track from `before` seconds to `after`: undo
 * gives back the one, redo the other, and nothing is left to redo. */
static void ExpectOneStep(int doc, int track, double before, double after, int line)
{
    if (fabs(Duration(doc, track) - after) > 1e-6)
        QXHostExpect(0, "duration after the edit", __FILE__, line);
    Command(doc, "undo");
    if (fabs(Duration(doc, track) - before) > 1e-6)
        QXHostExpect(0, "duration after undo", __FILE__, line);
    if (History(doc, "canRedo") != 1)
        QXHostExpect(0, "a redo step", __FILE__, line);
    Command(doc, "redo");
    if (fabs(Duration(doc, track) - after) > 1e-6)
        QXHostExpect(0, "duration after redo", __FILE__, line);
    if (History(doc, "canRedo") != 0)
        QXHostExpect(0, "nothing left to redo", __FILE__, line);
}

void QXHostRunTracks(void)
{
    const char* const one = QXHostPath("track-one.wav");
    const char* const half = QXHostPath("track-half.wav");
    EXPECT(QXHostWriteSine(one, 1.0, 44100.0, 0.5) == 0);
    EXPECT(QXHostWriteSine(half, 0.5, 44100.0, 0.5) == 0);
    int halfProvider = 0, oneProvider = 0;
    EXPECT_STATUS(0, _QX_newProviderWithSound(half, &halfProvider));
    EXPECT_STATUS(0, _QX_newProviderWithSound(one, &oneProvider));

    int doc = 0, seq = 0, empty = 0, count = 0;
    int* ids = NULL;
    EXPECT_STATUS(0, _QX_newDocument("Tracks", &doc));
    EXPECT_STATUS(0, _QX_createSequenceWithSound(doc, "", one, &seq));
    EXPECT_STATUS(0, _QX_getSubTracks(doc, seq, &ids, &count));
    EXPECT(count == 1 && ids != NULL);
    int const track = count == 1 && ids != NULL ? ids[0] : 0;
    EXPECT(fabs(Duration(doc, track) - 1.0) < 1e-6);

    /* Re-initialise: the command's echo and result line, one step. */
    QXHostClearLog();
    EXPECT_STATUS(0, _QX_reinitTrackWithSound(doc, track, half));
    EXPECT(strstr(QXHostLog(), "# Track ReinitWithSound:\"track-half.wav\".\n") != NULL);
    EXPECT(strstr(QXHostLog(), "# Ok") != NULL);
    ExpectOneStep(doc, track, 1.0, 0.5, __LINE__);
    /* The sound the track already plays alone changes nothing and records
     * nothing: the next undo is still the re-initialise. */
    EXPECT_STATUS(0, _QX_reinitTrackWithSound(doc, track, half));
    ExpectOneStep(doc, track, 1.0, 0.5, __LINE__);

    /* Insert through the sequence (its first track): a stretch at the
     * start, then a whole sound at the end by provider. */
    QXHostClearLog();
    EXPECT_STATUS(0, _QX_insertTrackWithSound(doc, seq, one, 0.25, 0.75, 0.0));
    EXPECT(strstr(QXHostLog(), "# Track InsertSound:\"track-one.wav\".\n") != NULL);
    ExpectOneStep(doc, track, 0.5, 1.0, __LINE__);
    EXPECT_STATUS(0, _QX_insertTrackWithProvider(doc, track, (unsigned int)halfProvider, 0.0, 0.0, -1.0));
    ExpectOneStep(doc, track, 1.0, 1.5, __LINE__);
    EXPECT_STATUS(0, _QX_reinitTrackWithProvider(doc, track, (unsigned int)oneProvider));
    ExpectOneStep(doc, track, 1.5, 1.0, __LINE__);
    /* The UTF-8 twins take the same road. */
    EXPECT_STATUS(0, _QX_insertTrackWithSoundU8(doc, track, half, 0.0, 0.25, 1.0));
    ExpectOneStep(doc, track, 1.0, 1.25, __LINE__);
    EXPECT_STATUS(0, _QX_reinitTrackWithSoundU8(doc, track, half));
    ExpectOneStep(doc, track, 1.25, 0.5, __LINE__);

    /* A sequence without tracks: nothing to do, nothing recorded. */
    EXPECT_STATUS(0, _QX_createSequence(doc, "Empty", 0, &empty));
    EXPECT_STATUS(0, _QX_insertTrackWithSound(doc, empty, one, 0.0, 0.0, -1.0));
    EXPECT_STATUS(0, _QX_reinitTrackWithSound(doc, empty, one));
    EXPECT_STATUS(0, _QX_getSubTracks(doc, empty, &ids, &count));
    EXPECT(count == 0);
    Command(doc, "undo"); /* the empty sequence's creation */
    int exists = -1;
    EXPECT_STATUS(0, _QX_existsObject(doc, empty, &exists));
    EXPECT(exists == 0);
    EXPECT(fabs(Duration(doc, track) - 0.5) < 1e-6);

    /* Refusals change nothing and leave no step (the redo of the empty
     * sequence survives them): the interface's own checks, then the
     * command's (a sound that can't be registered). */
    EXPECT(_QX_insertTrackWithSound(doc, track, NULL, 0.0, 0.0, 0.0) < 0);
    EXPECT(_QX_reinitTrackWithSound(doc, track, "") < 0);
    EXPECT_STATUS(-554, _QX_reinitTrackWithSound(0, track, half));
    EXPECT_STATUS(-572, _QX_insertTrackWithProvider(doc, track, 987654u, 0.0, 0.0, -1.0));
    EXPECT(fabs(Duration(doc, track) - 0.5) < 1e-6);
    EXPECT(History(doc, "canRedo") == 1);
    EXPECT_STATUS(0, _QX_closeDocument(doc));
}
