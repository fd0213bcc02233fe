// Tracks through the C-style interface: where a track stands, its content
// from sound files and its waveform for display. Every edit runs as the
// matching track command, so it is one undoable step of the document.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTimeIntv.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVEnvelopeLowHelpers.h"
#include "QVObjectSequence.h"
#include "QVObjectPoolable.h"
#include "QVObjectTrack.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

#include <cstdio>

namespace {

constexpr int kCmdTrackPartMoveOrCopy = 8290;

// Track-part command words: the command each runs and what it takes.
struct TrackWord {
    char const* word;
    int commandID;
    bool timeRange;
    int mode;  // the "Mode" option, 0 for none
    bool timeAt;
    bool duration;
    bool scale;
};
TrackWord const kTrackWords[] = {
    {"cut", 8282, true, 0, false, false, false},       {"copy", 8283, true, 0, false, false, false},
    {"pasteAt", 8284, false, 1, true, false, false},   {"pasteOn", 8284, true, 6, false, false, false},
    {"duplicate", 8285, true, 0, false, false, false}, {"remove", 8286, true, 0, false, false, false},
    {"reset", 8287, true, 0, false, false, false},     {"crop", 8289, true, 0, false, false, false},
    {"erase", 8291, true, 0, false, false, false},     {"silent", 8292, false, 1, true, true, false},
    {"scale", 8293, true, 0, false, false, true},      {"reverse", 8294, true, 0, false, false, false},
    {"mingle", 8298, true, 0, false, false, false},
};

int CheckPath(char const* path)
{
    return QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
}

// The track an edit works on: a track as it is, a sequence's first track
// (null without tracks: nothing to do); -550 for any other object.
int CheckTrackOrSequence(int document, int object, char const* path, QVDocument** found, QVObjectTrack** track)
{
    QVUProcEnter();
    *track = nullptr;
    AKObject* target = nullptr;
    int status = QVUProcCheckDocumentObject(document, object, found, &target);
    if (status == 0)
        status = CheckPath(path);
    if (status != 0)
        return status;
    if (target->IsKindOfT<QVObjectTrack>()) {
        *track = static_cast<QVObjectTrack*>(target);
    } else if (target->IsKindOfT<QVObjectSequence>()) {
        QVObjectTrackArray const& tracks = static_cast<QVObjectSequence*>(target)->GetFLSubTracks();
        *track = tracks.IsEmpty() ? nullptr : tracks[0];
    } else {
        return AKLogError(kQVErrorUProcObjectWrongType, "Wrong type expected for object [%d|%d]", document, object);
    }
    return 0;
}

// The parameter of the track sound commands: the track as the action's
// object and the sound file; the command checks, changes and records it.
QVGandlerParam TrackSoundParam(QVDocument* document, QVObjectTrack* track, char const* path)
{
    QVGandlerParam param(document);
    param.GetTreeActionParam().WithTreeObject(track);
    param.WithOptionAsAKFilePath("SoundPath", AKFilePath(QVUProcText(path)));
    return param;
}

template <class T>
int Waveform(int document, int track, int channel, unsigned int option16, double begin, double end, double width,
             T const** points, int* pointCount, T const** envelope, int* envelopeCount,
             QVEnvelopeLowHelpers::Points<T>* pointArray, QVEnvelopeLowHelpers::Points<T>* envelopeArray, bool* warned)
{
    QVUProcEnter();
    pointArray->Clear();
    envelopeArray->Clear();
    QVUProcPut(points, static_cast<T const*>(nullptr));
    QVUProcPut(pointCount, 0);
    QVUProcPut(envelope, static_cast<T const*>(nullptr));
    QVUProcPut(envelopeCount, 0);
    if (!QVUProcWaveform()) {
        if (!*warned) {
            *warned = true;
            AKLogWarning(1, "Can't access to waveform data because option \"Waveform=1;\" wasn't setted at "
                            "initialization");
        }
        return 0;
    }
    QVDocument* found = nullptr;
    QVObjectTrack* object = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, track, &found, &object);
    if (status == 0)
        status = QVUProcCheckBoolean(option16);
    if (status != 0)
        return status;
    if (!(end > begin) || !(width > 0.0) || channel < 0)
        return 0;
    unsigned int const flags = object->GetUserRouteOptions() | (option16 != 0 ? 16u : 0u);
    if (!object->ComputeOneChannelEnvelope(pointArray, envelopeArray, static_cast<unsigned int>(channel), flags,
                                           AKTimeIntv{begin, end}, width))
        return 0;
    if (!pointArray->IsEmpty())
        QVUProcPut(points, static_cast<T const*>(pointArray->Data()));
    QVUProcPut(pointCount, static_cast<int>(pointArray->Count()));
    if (!envelopeArray->IsEmpty())
        QVUProcPut(envelope, static_cast<T const*>(envelopeArray->Data()));
    QVUProcPut(envelopeCount, static_cast<int>(envelopeArray->Count()));
    return 0;
}

}  // namespace

extern "C" {

int _QX_getTrackSituation(int document, int track, int* sequence, int* index)
{
    QVUProcEnter();
    QVUProcPut(sequence, 0);
    QVUProcPut(index, 0);
    QVDocument* found = nullptr;
    QVObjectTrack* object = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, track, &found, &object);
    if (status != 0)
        return status;
    AKObject* const parent = object->GetFLParentSequence();
    QVUProcPut(sequence, QVUProcNodeID(parent));
    if (parent != nullptr) {
        QVObjectTrackArray const& tracks = static_cast<QVObjectSequence*>(parent)->GetFLSubTracks();
        for (unsigned int i = 0; i < tracks.Count(); ++i) {
            if (tracks[i] == object)
                QVUProcPut(index, static_cast<int>(i + 1));
        }
    }
    return 0;
}

int _QX_reinitTrackWithSound(int document, int object, char const* path)
{
    QVDocument* found = nullptr;
    QVObjectTrack* track = nullptr;
    int const status = CheckTrackOrSequence(document, object, path, &found, &track);
    if (status != 0 || track == nullptr)
        return status;
    QVGandlerParam param = TrackSoundParam(found, track, path);
    return QVGandler::sShared.DoCmd_TrackReinitWithSound(param, false);
}

int _QX_reinitTrackWithProvider(int document, int object, unsigned int provider)
{
    char path[32];
    std::snprintf(path, sizeof(path), "#%u", provider);
    return _QX_reinitTrackWithSound(document, object, path);
}

int _QX_insertTrackWithSound(int document, int object, char const* path, double soundBegin, double soundEnd, double at)
{
    QVDocument* found = nullptr;
    QVObjectTrack* track = nullptr;
    int const status = CheckTrackOrSequence(document, object, path, &found, &track);
    if (status != 0 || track == nullptr)
        return status;
    QVGandlerParam param = TrackSoundParam(found, track, path);
    param.WithOptionAsAKTime("SoundBeg", soundBegin).WithOptionAsAKTime("SoundEnd", soundEnd);
    param.WithOptionAsAKTime("TimeAt", at);
    return QVGandler::sShared.DoCmd_TrackInsertSound(param, false);
}

int _QX_insertTrackWithProvider(int document, int object, unsigned int provider, double soundBegin, double soundEnd,
                                double at)
{
    char path[32];
    std::snprintf(path, sizeof(path), "#%u", provider);
    return _QX_insertTrackWithSound(document, object, path, soundBegin, soundEnd, at);
}

int _QX_getTrackWaveform32(int document, int track, int channel, unsigned int option16, double begin, double end,
                           double width, float const** points, int* pointCount, float const** envelope,
                           int* envelopeCount)
{
    static QVEnvelopeLowHelpers::Points<float> sPoints;
    static QVEnvelopeLowHelpers::Points<float> sEnvelope;
    static bool sWarned = false;
    return Waveform(document, track, channel, option16, begin, end, width, points, pointCount, envelope, envelopeCount,
                    &sPoints, &sEnvelope, &sWarned);
}

int _QX_getTrackWaveform64(int document, int track, int channel, unsigned int option16, double begin, double end,
                           double width, double const** points, int* pointCount, double const** envelope,
                           int* envelopeCount)
{
    static QVEnvelopeLowHelpers::Points<double> sPoints;
    static QVEnvelopeLowHelpers::Points<double> sEnvelope;
    static bool sWarned = false;
    return Waveform(document, track, channel, option16, begin, end, width, points, pointCount, envelope, envelopeCount,
                    &sPoints, &sEnvelope, &sWarned);
}

int _QX_commandOnTracks(int document, int object, char const* word, double begin, double end, double at, double value)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    QVObjectPoolable* target = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, object, &found, &target);
    AKKeyC15 key;
    if (status == 0)
        status = QVUProcCheckKey(word, &key, true);
    if (status != 0)
        return status;
    TrackWord const* row = nullptr;
    for (TrackWord const& each : kTrackWords) {
        if (key == AKKeyC15(each.word))
            row = &each;
    }
    if (row == nullptr)
        return AKLogError(kQVErrorUProcCommandUnknown, "Unknown command \"%s\"", key.c_str());

    QVGandlerParam param(found);
    AKTreeSel selection(found->GetTree());
    selection.InitWithObject(target);
    if (row->timeRange)
        selection.SetTimeSel(AKTimeIntv{begin, end});
    param.GetTreeActionParam().WithTreeSel(selection);
    if (row->mode != 0)
        param.WithOptionAsSInt("Mode", row->mode);
    if (row->timeAt)
        param.WithOptionAsAKTime("TimeAt", at);
    if (row->duration)
        param.WithOptionAsAKTime("Duration", value);
    if (row->scale)
        param.WithOptionAsFloat64("Scale", value);
    return QVGandler::sShared.DoGenericCommand(row->commandID, param, false);
}

int _QX_commandMoveAtOnTracks(int document, int destination, int document2, int source, unsigned int copy, double begin,
                              double end, double at)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    QVObjectPoolable* to = nullptr;
    QVObjectPoolable* from = nullptr;
    int status = QVUProcCheckDocument2(document, document2, false, &found);
    if (status == 0)
        status = QVUProcCheckObjectT(found, destination, &to);
    if (status == 0)
        status = QVUProcCheckObjectT(found, source, &from);
    if (status == 0)
        status = QVUProcCheckBoolean(copy);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    AKTreeSel selection(found->GetTree());
    selection.InitWithObject(from);
    selection.SetTimeSel(AKTimeIntv{begin, end});
    param.GetTreeActionParam().WithTreeSel(selection).WithTargetObject(to, kAKLinkModeLastChildren);
    param.WithOptionAsAKTime("TimeAt", at);
    param.WithOptionAsBool("CopyMode", copy != 0);
    return QVGandler::sShared.DoGenericCommand(kCmdTrackPartMoveOrCopy, param, false);
}

}  // extern "C"
