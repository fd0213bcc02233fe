/*
 * QVUniversalProcs: the engine's C-style interface. A host program that
 * embeds the engine without the application starts it, creates or opens
 * documents, edits them, pulls their audio blocks and stops it through these
 * functions, all with C linkage.
 *
 * Conventions:
 * - Every function returns an int status: 0, or a negative code logged
 *   where it was detected (-546 to -569 for the interface's own checks;
 *   the codes of the engine and its commands pass through unchanged).
 * - Documents, objects (a document ID and a node ID, always together),
 *   sounds (providers) and pasteboards are named by plain ints. 0 is never
 *   a document.
 * - Texts passed in are Mac Roman; a null pointer is the empty text. A
 *   function whose name ends in U8 takes the same arguments with every text
 *   in UTF-8.
 * - Results come back through output pointers placed after the inputs;
 *   every output may be null. Unless said otherwise outputs are written on
 *   failure too (0, null or the empty string). Returned strings and lists
 *   belong to the engine or to the interface: never free or change them; a
 *   list or text kept by the interface is valid until the next call of the
 *   same function.
 * - Booleans passed in are 0 or 1; any other value fails with -566.
 *
 * Threads: every function runs on the host's main thread, the thread that
 * called _QX_initialize, except the two block pulls
 * (_QX_audioCopyNextBuffer32/64), which may run on the host's audio thread
 * for documents whose audio path is real time (see there).
 */
#ifndef QV_UNIVERSAL_PROCS_H
#define QV_UNIVERSAL_PROCS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QX_EXPORT __attribute__((visibility("default")))

/* Version: 151018 and "1.7.0". */
#define QX_DYLIB_VERSION 151018

/* Status codes of the interface. */
#define QX_ERROR_CANT_BOUNCE (-546)
#define QX_ERROR_PLUGIN_NO_ACCESS (-547)
#define QX_ERROR_OBJECTS_IN_WRONG_DOC (-548)
#define QX_ERROR_OBJECTS_UNKNOWN (-549)
#define QX_ERROR_OBJECT_WRONG_TYPE (-550)
#define QX_ERROR_OBJECT_UNKNOWN (-551)
#define QX_ERROR_LINK_MODE_UNKNOWN (-552)
#define QX_ERROR_MODEL_UNKNOWN (-553)
#define QX_ERROR_DOCUMENT_UNKNOWN (-554)
#define QX_ERROR_PROVIDER_UNKNOWN (-555)
#define QX_ERROR_COMMAND_UNKNOWN (-556)
#define QX_ERROR_ARGUMENT_BAD_TYPE (-557)
#define QX_ERROR_PARAM_LIST_BAD_FORMAT (-558)
#define QX_ERROR_PARAM_KEY_UNKNOWN (-559)
#define QX_ERROR_PARAM_TYPE_UNKNOWN (-560)
#define QX_ERROR_PARAM_STRING_TOO_LONG (-561)
#define QX_ERROR_PARAM_STRING_EMPTY (-562)
#define QX_ERROR_PARAM_POINTER_NULL (-563)
#define QX_ERROR_PARAM_FLOAT_WRONG (-564)
#define QX_ERROR_PARAM_INTEGER_WRONG (-565)
#define QX_ERROR_PARAM_BOOLEAN_WRONG (-566)
#define QX_ERROR_BOUNCER_INVALID_PARAMETER (-568)
#define QX_ERROR_BOUNCER_BAD_STATE (-569)

/* Log sink: one call per log text, on the main thread only. */
typedef void (*QXLogProc)(const char* text);
/* Progress of an offline render: user value, frames done, frames in all. */
typedef void (*QXBounceProgressProc)(intptr_t user, uint32_t done, uint32_t total);

/* The settings of _QX_commandBounceOnTracks; a null record is all zeros. */
typedef struct QXBounceParam {
    double duration;   /* seconds; 0 or less: the object's whole length */
    double sampleRate; /* 0 or less: 44100 */
    int32_t channels;  /* 0 or less: 2 */
    int32_t bits;      /* integer bits of the file; 0 or less: 16 */
} QXBounceParam;

/* ---- Start, stop and idling ---- */

QX_EXPORT int _QX_dylibVersion(int* number, const char** text);
/* Options: "RealTime=0|1; HostIdle=0|1; UndoRedo=0|1; Waveform=0|1;
 * PersistIDs=0|1;". Only the first call starts the engine; later calls are
 * counted and return 0. A failed start is not counted. */
QX_EXPORT int _QX_initialize(const char* options, QXLogProc log);
/* Stops the engine at the call matching the first _QX_initialize. */
QX_EXPORT int _QX_terminate(void);
/* One idle pass; only with "RealTime=1;HostIdle=1;". With RealTime alone,
 * the engine idles itself every 50 ms from inside the interface's calls
 * made on the main thread. */
QX_EXPORT int _QX_globalIdle(void);
QX_EXPORT int _QX_setPrefsParameters(const char* parameters);
QX_EXPORT int _QX_logPrefs(void);

/* ---- Sound files (providers) ---- */

QX_EXPORT int _QX_newProviderWithSound(const char* path, int* provider);
QX_EXPORT int _QX_newProviderWithSoundU8(const char* path, int* provider);
QX_EXPORT int _QX_getProviders(int** ids, int* count);
QX_EXPORT int _QX_getProvidersGlobalState(int* loading, int* loaded, int* total, int* memoryKiB);
QX_EXPORT int _QX_purgeUnusedSounds(void);
QX_EXPORT int _QX_logProviders(void);
QX_EXPORT int _QX_existsProvider(int provider, int* exists);
/* state: -2 file not found, -1 unknown format, 0 load not started,
 * 1 loading, 2 loaded. */
QX_EXPORT int _QX_getProviderState(int provider, int* state, double* progress);
QX_EXPORT int _QX_getProviderSoundInfo(int provider, int* channels, double* duration, double* sampleRate);
/* Keys "name", "path", "info". */
QX_EXPORT int _QX_getProviderParamString(int provider, const char* key, const char** value);
QX_EXPORT int _QX_getProviderParamStringU8(int provider, const char* key, const char** value);
QX_EXPORT int _QX_logInfoProvider(int provider);

/* ---- Documents ---- */

QX_EXPORT int _QX_newDocument(const char* name, int* document);
QX_EXPORT int _QX_newDocumentU8(const char* name, int* document);
QX_EXPORT int _QX_openDocument(const char* path, int* document);
QX_EXPORT int _QX_openDocumentU8(const char* path, int* document);
QX_EXPORT int _QX_getActiveDocument(int* document);
QX_EXPORT int _QX_getDocuments(int** ids, int* count);
QX_EXPORT int _QX_existsDocument(int document, int* exists);
QX_EXPORT int _QX_activateDocument(int document);
QX_EXPORT int _QX_saveDocument(int document);
QX_EXPORT int _QX_saveAsDocument(int document, const char* path, unsigned int overwrite);
QX_EXPORT int _QX_saveAsDocumentU8(int document, const char* path, unsigned int overwrite);
QX_EXPORT int _QX_closeDocument(int document);
/* Words "canUndo", "canRedo", "opened", "enabled", "reopen", "close",
 * "disabon", "disaboff". */
QX_EXPORT int _QX_historyOnDocument(int document, const char* command, int* result);
/* Words "undo", "redo", "cut", "copy", "paste", "duplicate", "delete";
 * objects are (document, node) pairs, count in ints. */
QX_EXPORT int _QX_commandOnDocument(int document, const char* command, const int* objects, int count, int** results,
                                    int* resultCount);
/* Keys "name", "path". */
QX_EXPORT int _QX_getDocumentParamString(int document, const char* key, const char** value);
QX_EXPORT int _QX_getDocumentParamStringU8(int document, const char* key, const char** value);
QX_EXPORT int _QX_setDocumentNextObjectID(int document, int nextID);
QX_EXPORT int _QX_logInfoDocument(int document);

/* ---- Objects ---- */

QX_EXPORT int _QX_existsObject(int document, int node, int* exists);
/* Type words "player", "sequence", "track". */
QX_EXPORT int _QX_castObject(int document, int node, const char* type, int* is);
QX_EXPORT int _QX_destroyObject(int document, int node);
QX_EXPORT int _QX_getParentObject(int document, int node, int* parent);
QX_EXPORT int _QX_getSubObjects(int document, int node, int** ids, int* count);
/* Groups "all", "playable", "preset", "plugin", "track", or empty. */
QX_EXPORT int _QX_setObjectParameter(int document, int node, const char* group, const char* key, int index,
                                     double value, double value2);
QX_EXPORT int _QX_getObjectParameter(int document, int node, const char* group, const char* key, int index,
                                     double* value, double* value2, int* type);
QX_EXPORT int _QX_setObjectParamString(int document, int node, const char* key, const char* text);
QX_EXPORT int _QX_setObjectParamStringU8(int document, int node, const char* key, const char* text);
QX_EXPORT int _QX_getObjectParamString(int document, int node, const char* key, const char** text);
QX_EXPORT int _QX_getObjectParamStringU8(int document, int node, const char* key, const char** text);
/* Words "content", "subs", "farsubs", and for playables "state", "plugsta". */
QX_EXPORT int _QX_getObjectVersionStamp(int document, int node, const char* word, int* stamp);
QX_EXPORT int _QX_logInfoObject(int document, int node);
QX_EXPORT int _QX_attachEffect(int document, int node);
QX_EXPORT int _QX_setupEffectParams(int document, int node);

/* ---- Players ---- */

QX_EXPORT int _QX_createPlayer(int document, const char* name, unsigned int subCount, int* player);
QX_EXPORT int _QX_createPlayerU8(int document, const char* name, unsigned int subCount, int* player);
QX_EXPORT int _QX_attachPlayer(int document, int player, int document2, int sequence);
QX_EXPORT int _QX_createAndAttachPlayer(int document, int sequence, const char* name, unsigned int subCount,
                                        int* player);
QX_EXPORT int _QX_createAndAttachPlayerU8(int document, int sequence, const char* name, unsigned int subCount,
                                          int* player);
QX_EXPORT int _QX_getAttachedPlayers(int document, int sequence, int** ids, int* count);
QX_EXPORT int _QX_detachPlayer(int document, int player);
QX_EXPORT int _QX_groupWithPlayer(int document, int player, int document2, int player2);
QX_EXPORT int _QX_createAndAddSubPlayer(int document, int multiPlayer, int* player);
QX_EXPORT int _QX_getSubPlayers(int document, int player, int** ids, int* count);
/* situation: 0 sequence, 1 single-player, 2 sub of a multi-player,
 * 3 multi-player. */
QX_EXPORT int _QX_getPlayerSituation(int document, int player, int* sequence, int* parent, int* situation, int* index);
QX_EXPORT int _QX_getDocumentPlayers(int document, int** ids, int* count);

/* ---- Sequences ---- */

QX_EXPORT int _QX_createSequence(int document, const char* name, unsigned int withTrack, int* sequence);
QX_EXPORT int _QX_createSequenceU8(int document, const char* name, unsigned int withTrack, int* sequence);
QX_EXPORT int _QX_createSequenceWithSound(int document, const char* name, const char* path, int* sequence);
QX_EXPORT int _QX_createSequenceWithSoundU8(int document, const char* name, const char* path, int* sequence);
QX_EXPORT int _QX_createSequenceWithProvider(int document, const char* name, unsigned int provider, int* sequence);
QX_EXPORT int _QX_createSequenceWithProviderU8(int document, const char* name, unsigned int provider, int* sequence);
QX_EXPORT int _QX_mixWithSequence(int document, int sequence, int document2, int sequence2);
QX_EXPORT int _QX_createAndAddSubTrack(int document, int sequence, const char* name, int* track);
QX_EXPORT int _QX_createAndAddSubTrackU8(int document, int sequence, const char* name, int* track);
QX_EXPORT int _QX_getSubTracks(int document, int sequence, int** ids, int* count);
QX_EXPORT int _QX_getDocumentSequences(int document, int** ids, int* count);

/* ---- Pasteboards ---- */

QX_EXPORT int _QX_globalPasteboardIsEmpty(int* empty);
QX_EXPORT int _QX_globalPasteboardClear(void);
QX_EXPORT int _QX_newPasteboard(int* pasteboard);
QX_EXPORT int _QX_removePasteboard(int pasteboard);
QX_EXPORT int _QX_removeAllPasteboards(void);
QX_EXPORT int _QX_getPasteboards(int** ids, int* count);
QX_EXPORT int _QX_isEmptyPasteboard(int pasteboard, int* empty);
QX_EXPORT int _QX_clearPasteboard(int pasteboard);
QX_EXPORT int _QX_setPasteboardName(int pasteboard, const char* name);
QX_EXPORT int _QX_setPasteboardNameU8(int pasteboard, const char* name);
QX_EXPORT int _QX_getPasteboardName(int pasteboard, const char** name);
QX_EXPORT int _QX_getPasteboardNameU8(int pasteboard, const char** name);
QX_EXPORT int _QX_writeObjectsToPasteboard(int pasteboard, int document, const int* objects, int count);
QX_EXPORT int _QX_createObjectsFromPasteboard(int pasteboard, int document, int targetDocument, int targetNode,
                                              int linkMode, int** results, int* resultCount);
QX_EXPORT int _QX_loadPasteboards(const char* path);
QX_EXPORT int _QX_loadPasteboardsU8(const char* path);
QX_EXPORT int _QX_savePasteboards(const char* path);
QX_EXPORT int _QX_savePasteboardsU8(const char* path);
QX_EXPORT int _QX_logPasteboards(void);

/* ---- Audio pull and bounce ---- */

/* Prepares the document's audio path for the host's stream format. Channel
 * count, block frames and sample rate must all be above 0 (-565 for the two
 * counts, -564 for the rate). */
QX_EXPORT int _QX_audioPrepareResources(int document, unsigned int channels, unsigned int blockFrames,
                                        double sampleRate);
QX_EXPORT int _QX_audioReleaseResources(int document);
/* Renders the document's next block and copies up to `channels` channels
 * and `frames` frames of it (0 or more than prepared: all prepared) into
 * the host's buffers, with one peak level per copied channel when `levels`
 * is given. A null channel pointer skips that channel. An unprepared
 * document gives silence and zero levels.
 *
 * Threads: on the main thread for any document. On another thread only for
 * a document whose audio path is real time (engine started with
 * "RealTime=1;"), whose live objects the engine keeps consistent with the
 * main thread's edits; a call off the main thread for another prepared
 * document fails with -550 without rendering (nothing is logged off the
 * main thread). Preparing, releasing or closing a document never overlaps
 * a pull of it; once it is closed, pulls of it fail with -554. */
QX_EXPORT int _QX_audioCopyNextBuffer32(int document, float** buffers, float* levels, unsigned int channels,
                                        int frames);
QX_EXPORT int _QX_audioCopyNextBuffer64(int document, double** buffers, double* levels, unsigned int channels,
                                        int frames);
/* Renders the document offline into a sound file; only when the engine
 * runs without "RealTime". bits: 8, 16, 24, 32 integer, -32, -64 float. */
QX_EXPORT int _QX_audioBounce(int document, const char* path, int channels, int bits, unsigned int overwrite,
                              int blockFrames, double duration, double sampleRate, QXBounceProgressProc progress,
                              intptr_t user);
QX_EXPORT int _QX_audioBounceU8(int document, const char* path, int channels, int bits, unsigned int overwrite,
                                int blockFrames, double duration, double sampleRate, QXBounceProgressProc progress,
                                intptr_t user);
QX_EXPORT int _QX_commandBounceOnTracks(int document, int object, const char* path, const QXBounceParam* param);
QX_EXPORT int _QX_commandBounceOnTracksU8(int document, int object, const char* path, const QXBounceParam* param);
QX_EXPORT int _QX_getCurrentBounceState(int* running, double* progress);
QX_EXPORT int _QX_stopCurrentBounce(void);

/* ---- Tracks ---- */

QX_EXPORT int _QX_getTrackSituation(int document, int track, int* sequence, int* index);
QX_EXPORT int _QX_reinitTrackWithSound(int document, int object, const char* path);
QX_EXPORT int _QX_reinitTrackWithSoundU8(int document, int object, const char* path);
QX_EXPORT int _QX_reinitTrackWithProvider(int document, int object, unsigned int provider);
QX_EXPORT int _QX_insertTrackWithSound(int document, int object, const char* path, double soundBegin, double soundEnd,
                                       double at);
QX_EXPORT int _QX_insertTrackWithSoundU8(int document, int object, const char* path, double soundBegin, double soundEnd,
                                         double at);
QX_EXPORT int _QX_insertTrackWithProvider(int document, int object, unsigned int provider, double soundBegin,
                                          double soundEnd, double at);
/* Points as (x, y) pairs and envelope as (x, min, max) triplets; counts are
 * counts of values. Only with "Waveform=1;". */
QX_EXPORT int _QX_getTrackWaveform32(int document, int track, int channel, unsigned int option16, double begin,
                                     double end, double width, const float** points, int* pointCount,
                                     const float** envelope, int* envelopeCount);
QX_EXPORT int _QX_getTrackWaveform64(int document, int track, int channel, unsigned int option16, double begin,
                                     double end, double width, const double** points, int* pointCount,
                                     const double** envelope, int* envelopeCount);
/* Words "cut", "copy", "pasteAt", "pasteOn", "duplicate", "remove", "reset",
 * "crop", "erase", "silent", "scale", "reverse", "mingle". */
QX_EXPORT int _QX_commandOnTracks(int document, int object, const char* word, double begin, double end, double at,
                                  double value);
QX_EXPORT int _QX_commandMoveAtOnTracks(int document, int destination, int document2, int source, unsigned int copy,
                                        double begin, double end, double at);

#ifdef __cplusplus
}
#endif

#endif
