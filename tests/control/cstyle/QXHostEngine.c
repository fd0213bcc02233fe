/* The whole engine through the interface: sounds, a document with a
 * sequence, tracks and players, parameters, save and reopen, block pulls
 * and offline renders read back with libsndfile. */
#include "QXHost.h"

#include <math.h>
#include <sndfile.h>
#include <stdio.h>
#include <string.h>

#define RATE 44100.0
#define BLOCK 256

/* Frames, channels, format and peak of a sound file; -1 frames when it
 * can't be read. */
typedef struct {
    long long frames;
    int channels;
    int format;
    double peak;
} FileFacts;

static FileFacts ReadFacts(const char* path)
{
    FileFacts facts = {-1, 0, 0, 0.0};
    SF_INFO info;
    memset(&info, 0, sizeof(info));
    SNDFILE* const file = sf_open(path, SFM_READ, &info);
    if (file == NULL)
        return facts;
    facts.frames = info.frames;
    facts.channels = info.channels;
    facts.format = info.format;
    float samples[2048];
    sf_count_t got;
    while ((got = sf_read_float(file, samples, 2048)) > 0) {
        for (sf_count_t i = 0; i < got; ++i) {
            if (fabs(samples[i]) > facts.peak)
                facts.peak = fabs(samples[i]);
        }
    }
    sf_close(file);
    return facts;
}

static int MakeDocument(int provider, int* sequence, int* player)
{
    int doc = 0, track = 0, multi = 0, count = 0;
    int* ids = NULL;
    EXPECT_STATUS(0, _QX_newDocument("Host Mix", &doc));
    EXPECT_STATUS(0, _QX_createSequenceWithProvider(doc, "", (unsigned int)provider, sequence));
    EXPECT_STATUS(0, _QX_createAndAddSubTrack(doc, *sequence, "Second", &track));
    EXPECT_STATUS(0, _QX_getSubTracks(doc, *sequence, &ids, &count));
    EXPECT(count == 2 && ids != NULL && ids[1] == track);
    EXPECT_STATUS(0, _QX_createAndAttachPlayer(doc, *sequence, "Main", 0, player));
    EXPECT_STATUS(0, _QX_createPlayer(doc, "Group", 3, &multi));
    EXPECT_STATUS(0, _QX_getDocumentPlayers(doc, &ids, &count));
    EXPECT(count == 1 && ids != NULL && ids[0] == multi);
    EXPECT_STATUS(0, _QX_getAttachedPlayers(doc, *sequence, &ids, &count));
    /* A new sequence with a sound comes with a player of its own. */
    EXPECT(count == 2 && ids != NULL && ids[1] == *player);
    /* Parameters: set, read back, limited to their range. */
    double value = 0.0, second = 0.0;
    int type = -1;
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, *player, "playable", "volume", 0, -6.0, 0.0));
    EXPECT_STATUS(0, _QX_getObjectParameter(doc, *player, "playable", "volume", 0, &value, &second, &type));
    EXPECT(fabs(value + 6.0) < 1e-9 && type == 3);
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, track, "", "volume", 0, 40.0, 0.0));
    EXPECT_STATUS(0, _QX_getObjectParameter(doc, track, "", "volume", 0, &value, NULL, NULL));
    EXPECT(value <= 12.0 + 1e-9);
    /* Names: the default name clears the object's own. */
    const char* text = NULL;
    EXPECT_STATUS(0, _QX_getObjectParamString(doc, *player, "name", &text));
    EXPECT(text != NULL && strcmp(text, "Main") == 0);
    EXPECT_STATUS(0, _QX_setObjectParamString(doc, *player, "name", "Player"));
    EXPECT_STATUS(0, _QX_setObjectParamString(doc, *player, "name", "Main"));
    int undo = 0;
    EXPECT_STATUS(0, _QX_historyOnDocument(doc, "canUndo", &undo));
    EXPECT(undo == 1);
    return doc;
}

static void PullBlocks(int doc, int player)
{
    float left[BLOCK], right[BLOCK], levels[8];
    float* channels[8] = {left, right, NULL, NULL, NULL, NULL, NULL, NULL};
    double wide[BLOCK];
    double* wideChannels[2] = {NULL, wide};
    double wideLevels[2] = {-1.0, -1.0};
    EXPECT_STATUS(0, _QX_audioPrepareResources(doc, 2, BLOCK, RATE));
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, player, "playable", "play", 0, 1.0, 0.0));
    /* Eight channels asked from a source of two: two copied, two levels. */
    for (int i = 0; i < 8; ++i)
        levels[i] = -1.0f;
    EXPECT_STATUS(0, _QX_audioCopyNextBuffer32(doc, channels, levels, 8, 0));
    EXPECT(levels[0] > 0.1f && levels[1] > 0.1f && levels[2] == -1.0f);
    /* Frames clamped to the block; a null channel is skipped. */
    for (int i = 0; i < BLOCK; ++i)
        wide[i] = 9.0;
    EXPECT_STATUS(0, _QX_audioCopyNextBuffer64(doc, wideChannels, wideLevels, 0, 100000));
    EXPECT(wide[BLOCK - 1] != 9.0 && fabs(wide[BLOCK - 1]) <= 1.0);
    EXPECT(wideLevels[0] > 0.1 && wideLevels[1] > 0.1);
    /* A part of a block: the rest of the buffer stays the host's. */
    for (int i = 0; i < BLOCK; ++i)
        wide[i] = 9.0;
    EXPECT_STATUS(0, _QX_audioCopyNextBuffer64(doc, wideChannels, NULL, 1, 10));
    EXPECT(wide[5] == 9.0);
    EXPECT_STATUS(0, _QX_audioCopyNextBuffer64(doc, wideChannels, NULL, 2, 10));
    EXPECT(wide[5] != 9.0 && wide[10] == 9.0);
    /* Off the main thread, a document without real time is refused: its
     * objects change under the block with every edit. */
    EXPECT_STATUS(-550, QXHostPullOnThread(doc, NULL));
    EXPECT_STATUS(0, _QX_audioReleaseResources(doc));
    /* Unprepared: silence. */
    left[0] = 5.0f;
    EXPECT_STATUS(0, _QX_audioCopyNextBuffer32(doc, channels, levels, 2, 4));
    EXPECT(left[0] == 0.0f && levels[0] == 0.0f);
}

/* Renders half a second into the file named (without extension: WAV) and
 * reads back the file written. */
static void Bounce(int doc, int bits, int blockFrames, const char* name, const char* written, int subtype)
{
    EXPECT_STATUS(0, _QX_audioBounce(doc, QXHostPath(name), 2, bits, 1, blockFrames, 0.5, RATE, NULL, 0));
    FileFacts const facts = ReadFacts(QXHostPath(written));
    EXPECT(facts.frames == (long long)(0.5 * RATE + 0.5));
    EXPECT(facts.channels == 2);
    EXPECT((facts.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV);
    EXPECT((facts.format & SF_FORMAT_SUBMASK) == subtype);
    /* The sine at 0.5, at the player's -6 dB. */
    EXPECT(facts.peak > 0.2 && facts.peak < 0.3);
}

static void Progress(intptr_t user, uint32_t done, uint32_t total)
{
    int* const calls = (int*)user;
    ++*calls;
    EXPECT(done < total);
}

void QXHostRunEngine(void)
{
    const char* const soundPath = QXHostPath("sine.wav");
    EXPECT(QXHostWriteSine(soundPath, 4.0, RATE, 0.5) == 0);
    int provider = 0, state = -9, channels = 0;
    double progress = -1.0, duration = 0.0, rate = 0.0;
    EXPECT_STATUS(0, _QX_newProviderWithSound(soundPath, &provider));
    EXPECT(provider > 0);
    EXPECT_STATUS(0, _QX_getProviderState(provider, &state, &progress));
    EXPECT(state == 2 && progress == 1.0);
    EXPECT_STATUS(0, _QX_getProviderSoundInfo(provider, &channels, &duration, &rate));
    EXPECT(channels == 2 && fabs(duration - 4.0) < 1e-6 && rate == RATE);
    const char* text = NULL;
    EXPECT_STATUS(-559, _QX_getProviderParamString(provider, "format", &text));
    EXPECT(text != NULL && text[0] == 0);
    EXPECT_STATUS(0, _QX_getProviderParamString(provider, "path", &text));
    EXPECT(text != NULL && strstr(text, "sine.wav") != NULL);

    int sequence = 0, player = 0;
    int doc = MakeDocument(provider, &sequence, &player);
    const char* const docPath = QXHostPath("mix.qvd");
    EXPECT_STATUS(0, _QX_saveAsDocument(doc, docPath, 1));
    EXPECT_STATUS(0, _QX_closeDocument(doc));
    EXPECT_STATUS(0, _QX_openDocument(docPath, &doc));
    EXPECT(doc > 0);
    int* ids = NULL;
    int count = 0;
    EXPECT_STATUS(0, _QX_getDocumentSequences(doc, &ids, &count));
    EXPECT(count == 1);
    sequence = count == 1 ? ids[0] : 0;
    EXPECT_STATUS(0, _QX_getAttachedPlayers(doc, sequence, &ids, &count));
    EXPECT(count == 2);
    player = count == 2 ? ids[1] : 0;
    double value = 0.0;
    EXPECT_STATUS(0, _QX_getObjectParameter(doc, player, "playable", "volume", 0, &value, NULL, NULL));
    EXPECT(fabs(value + 6.0) < 1e-6);

    /* The waveform of the sound's track. */
    const float* points = NULL;
    const float* envelope = NULL;
    int pointCount = -1, envelopeCount = -1;
    EXPECT_STATUS(0, _QX_getSubTracks(doc, sequence, &ids, &count));
    int const track = count > 0 ? ids[0] : 0;
    EXPECT_STATUS(
        0, _QX_getTrackWaveform32(doc, track, 0, 0, 0.0, 2.0, 200.0, &points, &pointCount, &envelope, &envelopeCount));
    EXPECT(pointCount % 2 == 0 && envelopeCount % 3 == 0 && pointCount + envelopeCount > 0);
    EXPECT_STATUS(
        0, _QX_getTrackWaveform32(doc, track, 0, 0, 0.0, 2.0, 0.0, &points, &pointCount, &envelope, &envelopeCount));
    EXPECT(points == NULL && pointCount == 0);

    PullBlocks(doc, player);

    /* Offline renders in three sample layouts, from the start each time. */
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, player, "playable", "play", 0, 1.0, 0.0));
    Bounce(doc, 16, 0, "bounce16.wav", "bounce16.wav", SF_FORMAT_PCM_16);
    Bounce(doc, 24, 1024, "bounce24.wav", "bounce24.wav", SF_FORMAT_PCM_24);
    Bounce(doc, -32, 100, "bounce32f", "bounce32f.wav", SF_FORMAT_FLOAT);
    int calls = 0;
    EXPECT_STATUS(
        -546, _QX_audioBounce(doc, QXHostPath("bounce16.wav"), 2, 16, 0, 0, 0.5, RATE, &Progress, (intptr_t)&calls));
    EXPECT(calls == 0);
    EXPECT_STATUS(
        0, _QX_audioBounce(doc, QXHostPath("bounce16.wav"), 2, 16, 1, 0, 0.5, RATE, &Progress, (intptr_t)&calls));
    EXPECT(calls > 0);
    EXPECT_STATUS(0, _QX_closeDocument(doc));
}
