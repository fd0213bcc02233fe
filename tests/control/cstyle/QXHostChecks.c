/* Every code of the interface's argument checks, each with the cases that
 * raise it, on a small document: a sequence with one track, a
 * single-player attached to it and a multi-player of two subs. */
#include "QXHost.h"

#include <string.h>

void QXHostRunArgumentChecks(void)
{
    int doc = 0, other = 0, seq = 0, player = 0, multi = 0, track = 0, is = -1, value = -1;
    int* ids = NULL;
    int count = -1;
    const char* text = NULL;
    EXPECT_STATUS(0, _QX_newDocument("Checks", &doc));
    EXPECT_STATUS(0, _QX_newDocument("Other", &other));
    EXPECT(doc > 0 && other > 0 && doc != other);
    EXPECT_STATUS(0, _QX_createSequence(doc, "S", 1, &seq));
    EXPECT_STATUS(0, _QX_createAndAttachPlayer(doc, seq, "", 0, &player));
    EXPECT_STATUS(0, _QX_createPlayer(doc, "M", 2, &multi));
    EXPECT_STATUS(0, _QX_getSubTracks(doc, seq, &ids, &count));
    EXPECT(count == 1 && ids != NULL);
    track = ids != NULL ? ids[0] : 0;
    EXPECT(seq > 0 && player > 0 && multi > 0 && track > 0);

    /* -554: document 0 or not open. */
    EXPECT_STATUS(-554, _QX_saveDocument(0));
    EXPECT_STATUS(-554, _QX_getSubTracks(12345, seq, &ids, &count));
    EXPECT(ids == NULL && count == 0);
    /* -548: two documents in one call. */
    EXPECT_STATUS(-548, _QX_attachPlayer(doc, player, other, seq));
    EXPECT_STATUS(-548, _QX_commandMoveAtOnTracks(doc, track, other, track, 0, 0.0, 1.0, 0.0));
    /* -558, -549: lists of objects. */
    int const three[] = {doc, seq, doc};
    int const foreign[] = {other, seq};
    int const unknown[] = {doc, 9999};
    EXPECT_STATUS(-558, _QX_commandOnDocument(doc, "copy", three, 3, &ids, &count));
    EXPECT_STATUS(-558, _QX_commandOnDocument(doc, "copy", foreign, 2, &ids, &count));
    EXPECT_STATUS(-549, _QX_commandOnDocument(doc, "copy", unknown, 2, &ids, &count));
    /* -556: words are exact and case-sensitive. */
    EXPECT_STATUS(-556, _QX_commandOnDocument(doc, "Undo", NULL, 0, &ids, &count));
    EXPECT_STATUS(-556, _QX_historyOnDocument(doc, "undo", &value));
    EXPECT(value == 0);
    EXPECT_STATUS(-556, _QX_commandOnTracks(doc, track, "Cut", 0.0, 1.0, 0.0, 0.0));
    /* -550, -551: object kinds and unknown nodes. */
    EXPECT_STATUS(-550, _QX_getSubTracks(doc, player, &ids, &count));
    EXPECT_STATUS(-550, _QX_getTrackSituation(doc, seq, &value, &value));
    EXPECT_STATUS(-550, _QX_insertTrackWithSound(doc, multi, "x.wav", 0.0, 0.0, 0.0));
    EXPECT_STATUS(-551, _QX_getParentObject(doc, 9999, &value));
    EXPECT(value == 0);
    /* -560: type words. */
    EXPECT_STATUS(0, _QX_castObject(doc, multi, "player", &is));
    EXPECT(is == 1);
    EXPECT_STATUS(0, _QX_castObject(doc, multi, "sequence", &is));
    EXPECT(is == 0);
    EXPECT_STATUS(-560, _QX_castObject(doc, multi, "Player", &is));
    /* -559: keys, with the type word in the message. */
    QXHostClearLog();
    EXPECT_STATUS(-559, _QX_getDocumentParamString(doc, "format", &text));
    EXPECT(text != NULL && text[0] == 0);
    EXPECT(strstr(QXHostLog(), "Unknown parameter \"format\" for object of type <document>") != NULL);
    EXPECT_STATUS(-559, _QX_getObjectVersionStamp(doc, track, "state", &value));
    EXPECT(strstr(QXHostLog(), "<object>") != NULL);
    EXPECT_STATUS(-559, _QX_setObjectParameter(doc, player, "track", "volume", 0, -6.0, 0.0));
    EXPECT(strstr(QXHostLog(), "for object of type <single-player>") != NULL);
    EXPECT_STATUS(0, _QX_setObjectParameter(doc, track, "", "volume", 0, -6.0, 0.0));
    /* -557: a value the parameter's type refuses. */
    QXHostClearLog();
    EXPECT_STATUS(-557, _QX_setObjectParameter(doc, player, "playable", "play", 0, 0.5, 0.0));
    EXPECT(strstr(QXHostLog(), "Type <bool> is expected for key \"play\"") != NULL);
    /* -561, -562: texts. */
    char path[1100];
    memset(path, 'a', sizeof(path));
    path[1024] = 0;
    EXPECT_STATUS(-561, _QX_openDocument(path, &value));
    path[1023] = 0;
    EXPECT(_QX_openDocument(path, &value) != -561);
    EXPECT_STATUS(-562, _QX_openDocument("", &value));
    EXPECT_STATUS(-562, _QX_openDocument(NULL, &value));
    EXPECT(value == 0);
    char name[81];
    memset(name, 'n', 80);
    name[80] = 0;
    EXPECT_STATUS(-561, _QX_createPlayer(doc, name, 0, &value));
    name[79] = 0;
    EXPECT_STATUS(0, _QX_createPlayer(doc, name, 0, &value));
    /* -563: required pointers. */
    EXPECT_STATUS(-563, _QX_newPasteboard(NULL));
    EXPECT_STATUS(-563, _QX_audioCopyNextBuffer32(doc, NULL, NULL, 2, 64));
    /* -564, -565: a stream format without rate, channels or frames. */
    EXPECT_STATUS(-564, _QX_audioPrepareResources(doc, 2, 256, -1.0));
    EXPECT_STATUS(-564, _QX_audioPrepareResources(doc, 2, 256, 0.0));
    EXPECT_STATUS(-565, _QX_audioPrepareResources(doc, 0, 256, 44100.0));
    EXPECT_STATUS(-565, _QX_audioPrepareResources(doc, 2, 0, 44100.0));
    /* -565: a sub count that is a negative number passed as unsigned. */
    EXPECT_STATUS(-565, _QX_createPlayer(doc, "", (unsigned int)-1, &value));
    EXPECT(value == 0);
    EXPECT_STATUS(-565, _QX_createAndAttachPlayer(doc, seq, "", 5000u, &value));
    /* -566: booleans above 1, before anything else happens. */
    EXPECT_STATUS(-566, _QX_saveAsDocument(doc, QXHostPath("never.qvd"), 2));
    EXPECT_STATUS(-566, _QX_createSequence(doc, "", 2, &value));
    EXPECT_STATUS(-566, _QX_getTrackWaveform64(doc, track, 0, 2, 0.0, 1.0, 100.0, NULL, NULL, NULL, NULL));
    /* -553, -552: pasteboards and link modes. */
    int board = 0;
    EXPECT_STATUS(-553, _QX_removePasteboard(9999));
    EXPECT_STATUS(0, _QX_isEmptyPasteboard(9999, &is));
    EXPECT_STATUS(0, _QX_newPasteboard(&board));
    EXPECT(board > 0);
    EXPECT_STATUS(-552, _QX_createObjectsFromPasteboard(board, doc, doc, seq, 5, &ids, &count));
    EXPECT_STATUS(-548, _QX_createObjectsFromPasteboard(board, doc, other, 0, 2, &ids, &count));
    EXPECT_STATUS(0, _QX_removePasteboard(board));
    /* -555: providers. */
    EXPECT_STATUS(-555, _QX_getProviderState(9999, &value, NULL));
    EXPECT_STATUS(0, _QX_existsProvider(9999, &value));
    EXPECT(value == 0);
    /* -547: plug-ins are not reachable. */
    EXPECT_STATUS(-547, _QX_attachEffect(doc, player));
    /* -546: render settings, the first fault reported. */
    QXHostClearLog();
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("b.wav"), 2, 12, 1, 0, 1.0, 44100.0, NULL, 0));
    EXPECT(strstr(QXHostLog(), "Bit-Depth is wrong") != NULL);
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("b.wav"), 0, 12, 1, 0, 1.0, 44100.0, NULL, 0));
    EXPECT(strstr(QXHostLog(), "No channel (1 at least)") != NULL);
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("b.wav"), 2, 16, 1, 8, 1.0, 44100.0, NULL, 0));
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("b.wav"), 2, 16, 1, 0, 0.001, 44100.0, NULL, 0));
    EXPECT_STATUS(-546, _QX_audioBounce(doc, QXHostPath("b.wav"), 2, 16, 1, 0, 1.0, 4000.0, NULL, 0));

    /* -568: bounce settings the bounce manager refuses (no file format). */
    EXPECT_STATUS(-568, _QX_commandBounceOnTracks(doc, seq, QXHostPath("noextension"), NULL));
    EXPECT_STATUS(-550, _QX_commandBounceOnTracks(doc, 1, QXHostPath("root.wav"), NULL));

    /* Situations of the players. */
    int sequence = -1, parent = -1, situation = -1, index = -1;
    EXPECT_STATUS(0, _QX_getSubPlayers(doc, multi, &ids, &count));
    EXPECT(count == 2);
    int const sub = count == 2 ? ids[0] : 0;
    EXPECT_STATUS(0, _QX_getPlayerSituation(doc, sub, &sequence, &parent, &situation, &index));
    EXPECT(situation == 2 && parent == multi && index == 1);
    EXPECT_STATUS(0, _QX_getPlayerSituation(doc, seq, &sequence, &parent, &situation, &index));
    EXPECT(situation == 0 && parent == 0 && index == 0);
    EXPECT_STATUS(0, _QX_getPlayerSituation(doc, player, &sequence, &parent, &situation, &index));
    EXPECT_STATUS(0, _QX_getAttachedPlayers(doc, seq, &ids, &count));
    EXPECT(situation == 1 && sequence == seq && count > 0 && ids[count - 1] == player && index == count);
    /* A sub keeps its index as its name. */
    QXHostClearLog();
    EXPECT_STATUS(0, _QX_setObjectParamString(doc, sub, "name", "Renamed"));
    EXPECT(QXHostLogCount("implicitely locked") == 1);
    EXPECT_STATUS(0, _QX_getObjectParamString(doc, sub, "name", &text));
    EXPECT(text != NULL && strcmp(text, "1") == 0);

    /* UTF-8 twins: texts in and out converted, the engine keeps Mac Roman. */
    int accented = 0;
    EXPECT_STATUS(0, _QX_newDocumentU8("Caf\xc3\xa9", &accented));
    EXPECT_STATUS(0, _QX_getDocumentParamStringU8(accented, "name", &text));
    EXPECT(text != NULL && strcmp(text, "Caf\xc3\xa9") == 0);
    EXPECT_STATUS(0, _QX_getDocumentParamString(accented, "name", &text));
    EXPECT(text != NULL && strcmp(text, "Caf\x8e") == 0);
    EXPECT_STATUS(0, _QX_closeDocument(accented));

    /* -899: at most 64 documents prepared at once; a document closed
     * without its release gives its place back. */
    int many[70];
    int made = 0, refused = 0;
    while (made < 70 && refused == 0) {
        EXPECT_STATUS(0, _QX_newDocument("Many", &many[made]));
        refused = _QX_audioPrepareResources(many[made], 2, 64, 48000.0);
        ++made;
    }
    EXPECT(refused == -899 && made <= 65);
    EXPECT_STATUS(0, _QX_closeDocument(many[0]));
    EXPECT_STATUS(0, _QX_audioPrepareResources(many[made - 1], 2, 64, 48000.0));
    for (int i = 1; i < made; ++i) {
        EXPECT_STATUS(0, _QX_audioReleaseResources(many[i]));
        EXPECT_STATUS(0, _QX_closeDocument(many[i]));
    }

    EXPECT_STATUS(0, _QX_closeDocument(other));
    EXPECT_STATUS(0, _QX_closeDocument(doc));
    EXPECT_STATUS(0, _QX_getDocuments(&ids, &count));
    EXPECT(ids == NULL && count == 0);
}
