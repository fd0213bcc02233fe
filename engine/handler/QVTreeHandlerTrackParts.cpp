// QVTreeHandler: the track-part edits applied track by track (delete,
// duplicate, reset, crop, scale, reverse, the experimental transforms,
// silence and erasure) and extraction into a new sequence, each recorded as
// one revision of the edited tracks.
//
// The revision names the tracks themselves, never the sequence they were
// selected through: recording a selected sequence without its children
// would leave its tracks out of the history and undo would not bring their
// content back.

#include "QVTreeHandler.h"

#include "AKClass.h"
#include "AKDictionary.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeSelBuilders.h"
#include "AKValueTyped.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandlerTrackPartsEasy.h"

#include <algorithm>
#include <cmath>

namespace {

// The tracks and range of a track-part selection.
struct TrackPart {
    QVObjectSequence* sequence = nullptr;
    QVObjectTrackArray tracks;
    AKTimeIntv range = kAKNullTimeIntv;
    bool hasRange = false;

    explicit TrackPart(AKTreeSel const& selection)
    {
        sequence = QVTreeSel_ResolveSequenceAndTracks(selection, &tracks, false);
        hasRange = selection.HasTimeSel();
        if (hasRange)
            range = selection.GetTimeRange();
    }
    bool IsUsable() const { return sequence != nullptr && !tracks.IsEmpty() && range.beg < range.end; }
};

// Calls the edit on every track in list order; the tracks it changed are
// collected once each.
template <class Edit>
QVObjectTrackArray EachTrack(QVObjectTrackArray const& tracks, Edit edit)
{
    QVObjectTrackArray changed;
    for (QVObjectTrack* track : tracks) {
        if (edit(track))
            changed.PushUniqueItem(track);
    }
    return changed;
}

int ErrorNew()
{
    int const status = AKClass::GetErrorNew();
    return status != 0 ? status : -1;
}

}  // namespace

int QVTreeHandler::LowReviseTrackPart(AKTreeActionParam& param, QVObjectTrackArray const& tracks, AKTimeIntv done,
                                      AKTimeIntv undone, bool keepInputSel)
{
    if (tracks.IsEmpty())
        return 0;
    AKDictionary info;
    info.SetValue(kAKTreeActionKeyTrackPartRedo, AKValueSetasAKTimeIntv(done));
    info.SetValue(kAKTreeActionKeyTrackPartUndo, AKValueSetasAKTimeIntv(undone));

    ATObjectArray<AKObject> objects;
    for (QVObjectTrack* track : tracks)
        objects.Push(track);
    AKTreeActionParam revise(GetTree());
    revise.WithActionNameOf(param).WithOverrideHistory(param.IsOverrideHistory());
    revise.WithPostTreatmentClient(param.GetPostTreatmentClient());
    revise.WithTreeObjects(objects);
    int const status = DoReviseObjects(revise, info, false);
    if (status != 0)
        return status;
    param.CopyResults(revise);
    if (keepInputSel) {
        param.SetResultTreeSel(param.GetTreeSel());
        param.LowUpdateResultTreeSelTimeSelFromMoreInfo();
    }
    return 0;
}

// --- Per-track edits ---

int QVTreeHandler::DoTrackPartDelete(AKTreeActionParam& param)
{
    int const status = CheckTrackPartDelete(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const range = part.range;
    QVObjectTrackArray const changed =
        EachTrack(part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartDelete(range); });
    return LowReviseTrackPart(param, changed, kAKNullTimeIntv, range, true);
}

int QVTreeHandler::DoTrackPartDuplicate(AKTreeActionParam& param)
{
    int const status = CheckTrackPartDuplicate(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const range = part.range;
    QVObjectTrackArray const changed = EachTrack(
        part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartRepeat(range, range.end, 1, 1.0, false); });
    double const length = range.end - range.beg;
    return LowReviseTrackPart(param, changed, {range.end, range.end + length}, range, true);
}

int QVTreeHandler::DoTrackPartReset(AKTreeActionParam& param)
{
    int const status = CheckTrackPartReset(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const before = QVObjectTrackArray_GetUnionTimeIntv(part.tracks);
    QVObjectTrackArray const changed =
        EachTrack(part.tracks, [](QVObjectTrack* track) { return track->DoTrackPartReset(); });
    return LowReviseTrackPart(param, changed, kAKNullTimeIntv, {0.0, before.end}, true);
}

int QVTreeHandler::DoTrackPartCrop(AKTreeActionParam& param, bool keepPosition)
{
    int const status = CheckTrackPartCrop(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const range = part.range;
    QVObjectTrackArray const changed =
        EachTrack(part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartCrop(range, keepPosition); });
    AKTimeIntv const done = keepPosition ? range : AKTimeIntv{0.0, range.end - range.beg};
    return LowReviseTrackPart(param, changed, done, range, true);
}

int QVTreeHandler::DoTrackPartScale(AKTreeActionParam& param, double coefficient)
{
    int const status = CheckTrackPartScale(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const range = part.range;
    QVObjectTrackArray const changed =
        EachTrack(part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartScale(range, coefficient); });
    AKTimeIntv const done{range.beg, range.beg + (range.end - range.beg) * std::fabs(coefficient)};
    return LowReviseTrackPart(param, changed, done, range, true);
}

int QVTreeHandler::DoTrackPartReverse(AKTreeActionParam& param)
{
    int const status = CheckTrackPartReverse(param);
    if (status != 0)
        return status;
    return DoTrackPartScale(param, -1.0);
}

int QVTreeHandler::DoTrackPartZxperN(AKTreeActionParam& param, AKDictionary const& options, unsigned int transform)
{
    int status;
    switch (transform) {
    case kQVTrackPartZxperScale:
        status = CheckTrackPartZxperScale(param);
        break;
    case kQVTrackPartZxperRepeat:
        status = CheckTrackPartZxperRepeat(param);
        break;
    case kQVTrackPartZxperMingle:
        status = CheckTrackPartZxperMingle(param);
        break;
    case kQVTrackPartZxperStretch:
        status = CheckTrackPartZxperStretch(param);
        break;
    default:
        return kAKErrorTreeHandlerBadTreeSelType;
    }
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;
    AKTimeIntv const range = part.range;
    AKTimeIntv united = kAKNullTimeIntv;
    QVObjectTrackArray const changed = EachTrack(part.tracks, [&](QVObjectTrack* track) {
        AKTimeIntv result = kAKNullTimeIntv;
        bool edited = false;
        switch (transform) {
        case kQVTrackPartZxperScale:
            edited = track->DoTrackPartZxperScale(range, &result, options);
            break;
        case kQVTrackPartZxperRepeat:
            edited = track->DoTrackPartZxperRepeat(range, &result, options);
            break;
        case kQVTrackPartZxperMingle:
            edited = track->DoTrackPartZxperMingle(range, &result, options);
            break;
        default:
            edited = track->DoTrackPartZxperStretch(range, &result, options);
            break;
        }
        // A track that changed nothing reports the null range.
        if (!(result.beg == 0.0 && result.end == 0.0)) {
            if (united.beg == 0.0 && united.end == 0.0)
                united = result;
            else
                united = {std::min(united.beg, result.beg), std::max(united.end, result.end)};
        }
        return edited;
    });
    return LowReviseTrackPart(param, changed, united, range, true);
}

// --- Silence and erasure ---

int QVTreeHandler::DoTrackPartErase(AKTreeActionParam& param)
{
    int const status = CheckTrackPartErase(param);
    if (status != 0)
        return status;
    return DoTrackPartSilent(param, kQVInsertModeReplace, 0.0, 0.0);
}

int QVTreeHandler::DoTrackPartSilent(AKTreeActionParam& param, int mode, double time, double duration)
{
    int const status = CheckTrackPartSilent(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (mode == kQVInsertModeDefault)
        mode = kQVInsertModeReplace;
    AKTimeIntv const range = part.range;

    if (mode < kQVInsertModeReplace) {
        double const at =
            mode == kQVInsertModeAt ? time : QVInsertMode_ComputeInsertTime(mode, part.sequence, part.tracks, false);
        if (!(at >= 0.0 && duration > 0.0))
            return AKLogError(kQVErrorGandlerWrongOption, "Silent-Command has incomplet parameter for insert-mode %u",
                              static_cast<unsigned int>(mode));
        QVObjectTrackArray const changed =
            EachTrack(part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartSilent(at, duration); });
        bool const aroundSpan = mode == kQVInsertModePrependToSpan || mode == kQVInsertModeAppendToSpan;
        return LowReviseTrackPart(param, changed, {at, at + duration}, aroundSpan ? range : kAKNullTimeIntv, true);
    }
    if (!(part.hasRange && range.beg < range.end))
        return AKLogError(kQVErrorGandlerWrongOption, "Silent-Command has incomplet parameter for insert-mode %u",
                          static_cast<unsigned int>(mode));
    QVObjectTrackArray const changed =
        EachTrack(part.tracks, [&](QVObjectTrack* track) { return track->DoTrackPartErase(range); });
    return LowReviseTrackPart(param, changed, range, range, true);
}

// --- Extraction ---

int QVTreeHandler::DoTrackPartExtract(AKTreeActionParam& param, bool keepSource)
{
    int status = CheckTrackPartExtract(param);
    if (status != 0)
        return status;
    TrackPart const part(param.GetTreeSel());
    if (!part.IsUsable())
        return 0;

    QVObjectTrackArray copies;
    for (QVObjectTrack const* source : part.tracks) {
        QVObjectTrack* const copy = AKNew<QVObjectTrack>("%s", "");
        if (copy == nullptr) {
            for (QVObjectTrack* made : copies)
                AKClass::DeleteObject(made);
            return ErrorNew();
        }
        // Unnamed, so that it shows its place in the new sequence.
        copy->akmSetName(AKString(), false);
        copy->InitWithTrackPart(source, part.range);
        copies.Push(copy);
    }

    QVTreeHandlerEasyScope scope(*this, QVTreeHandlerCommandTrackPartExtract());
    QVObjectSequence* sequence = nullptr;
    status = DoEasyNewSequenceWithNewTracks(&sequence, QVObjectGetNameCopied(part.sequence), &copies);
    // Copies that never reached the tree are ours to delete.
    for (QVObjectTrack* copy : copies) {
        if (copy != nullptr && copy->GetNodeOwner() == nullptr)
            AKClass::DeleteObject(copy);
    }
    if (status == 0 && !keepSource) {
        AKTreeActionParam removal(param);
        status = DoTrackPartDelete(removal);
    }
    unsigned int const result = scope.End(kAKTreeActionCreated);
    if (status != 0)
        return status;
    param.SetResultFlags(result);
    param.SetResultTreeSel(AKTreeSelWithObject(GetTree(), sequence));
    return 0;
}
