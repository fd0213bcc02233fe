// The content edits of a track, each one edit bracket on the editing copy.

#include "QVObjectTrack.h"

#include "QVObjectTrackPrefs.h"

#include <cmath>

namespace {

bool IsChanged(int status) { return status == kQVTrackZoneEditChanged; }

}  // namespace

bool QVObjectTrack::IsInside(AKTimeIntv intv) const
{
    return QVObjectTrackPrefs::TreatExtraIntv() || (intv.beg >= mTrackIntv.beg && intv.end <= mTrackIntv.end);
}

bool QVObjectTrack::IsInside(double time) const
{
    return QVObjectTrackPrefs::TreatExtraIntv() || (time >= mTrackIntv.beg && time <= mTrackIntv.end);
}

void QVObjectTrack::LowUpdateEditing()
{
    double end = 0.0;
    unsigned int channels = 0;
    mZones.Editing().UpdateZonesLocalTime(&end, &channels, QVObjectTrackPrefs::ZoneFadeDuration());
    mTrackIntv = {0.0, end};
    mChannelCount = channels;
}

void QVObjectTrack::LowEmptyEditing()
{
    mZones.Editing().Clear();
    mTrackIntv = kAKNullTimeIntv;
    mChannelCount = 0;
}

bool QVObjectTrack::LowEditEnd(bool changed)
{
    if (changed)
        LowUpdateEditing();
    TrackZonesModifyEnd(changed);
    return changed;
}

// --- Insertion and replacement ---

bool QVObjectTrack::LowInsert(QVTrackZoneArray const& source, double time, unsigned int count)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool changed = false;
    if (!mZones.Holds(&source) && count > 0 && !source.IsEmpty() && IsInside(time))
        changed = IsChanged(zones->InsertZones(time, source, count, QVObjectTrackPrefs::TreatExtraIntv()));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartInsert(QVTrackZone const& zone, double time, unsigned int count)
{
    QVTrackZoneArray source;
    source.Push(zone);
    source.RelinkZonesProviders();
    return LowInsert(source, time, count);
}

bool QVObjectTrack::DoTrackPartInsert(QVTrackZoneArray const& zones, double time, unsigned int count)
{
    if (mZones.Holds(&zones))
        return false;
    QVTrackZoneArray source(zones);
    source.RelinkZonesProviders();
    return LowInsert(source, time, count);
}

bool QVObjectTrack::DoTrackPartInsert(QVObjectTrack const* track, double time, unsigned int count)
{
    if (track == nullptr || track == this)
        return false;
    return LowInsert(track->GetTrackZones(), time, count);
}

bool QVObjectTrack::LowReplace(QVTrackZoneArray const& source, AKTimeIntv intv, bool keepDuration)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool const extra = QVObjectTrackPrefs::TreatExtraIntv();
    bool changed = false;
    if (!mZones.Holds(&source) && intv.beg < intv.end && IsInside(intv)) {
        if (keepDuration) {
            changed = IsChanged(zones->ReplaceZones(intv, source, extra));
        } else {
            // Fit: the source fills exactly [a, b]; an empty one leaves silence.
            double const duration = source.GetEndTime() - source.GetBeginTime();
            int first = 0;
            int second = 0;
            if (!source.IsEmpty() && duration > 0.0) {
                first = zones->ReplaceZones(intv, source, extra);
                if (first != kQVTrackZoneEditRefused)
                    second =
                        zones->ScaleZones({intv.beg, intv.beg + duration}, (intv.end - intv.beg) / duration, extra);
            } else {
                first = zones->DeleteZones(intv);
                if (first != kQVTrackZoneEditRefused)
                    second = zones->InsertSilent(intv.beg, intv.end - intv.beg, extra);
            }
            changed = first != kQVTrackZoneEditRefused && second != kQVTrackZoneEditRefused &&
                      (IsChanged(first) || IsChanged(second));
        }
    }
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartReplace(QVTrackZone const& zone, AKTimeIntv intv, bool keepDuration)
{
    QVTrackZoneArray source;
    source.Push(zone);
    source.RelinkZonesProviders();
    source.QuickUpdateZonesLocalTime(0);
    return LowReplace(source, intv, keepDuration);
}

bool QVObjectTrack::DoTrackPartReplace(QVTrackZoneArray const& zones, AKTimeIntv intv, bool keepDuration)
{
    if (mZones.Holds(&zones))
        return false;
    QVTrackZoneArray source(zones);
    source.RelinkZonesProviders();
    source.QuickUpdateZonesLocalTime(0);
    return LowReplace(source, intv, keepDuration);
}

bool QVObjectTrack::DoTrackPartReplace(QVObjectTrack const* track, AKTimeIntv intv, bool keepDuration)
{
    if (track == nullptr || track == this)
        return false;
    return LowReplace(track->GetTrackZones(), intv, keepDuration);
}

// --- Edits of the track's own content ---

bool QVObjectTrack::DoTrackPartReset()
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool const changed = !zones->IsEmpty();
    if (changed)
        LowEmptyEditing();
    TrackZonesModifyEnd(changed);
    return changed;
}

bool QVObjectTrack::DoTrackPartCrop(AKTimeIntv intv, bool keepPosition)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool changed = false;
    if (intv.beg < intv.end && !zones->IsEmpty() && IsInside(intv))
        changed = IsChanged(zones->CropZones(intv, keepPosition, QVObjectTrackPrefs::TreatExtraIntv()));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartDelete(AKTimeIntv intv)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    AKTimeIntv const clipped = {std::fmax(intv.beg, mTrackIntv.beg), std::fmin(intv.end, mTrackIntv.end)};
    bool changed = false;
    if (clipped.beg < clipped.end && !zones->IsEmpty())
        changed = IsChanged(zones->DeleteZones(clipped));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartErase(AKTimeIntv intv)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool changed = false;
    if (intv.beg < intv.end && !zones->IsEmpty() && IsInside(intv))
        changed = IsChanged(zones->EraseZones(intv, QVObjectTrackPrefs::TreatExtraIntv()));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartSilent(double time, double duration)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool changed = false;
    if (duration > 0.0 && IsInside(time))
        changed = IsChanged(zones->InsertSilent(time, duration, QVObjectTrackPrefs::TreatExtraIntv()));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartScale(AKTimeIntv intv, double coefficient)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool changed = false;
    if (intv.beg < intv.end && !zones->IsEmpty() && IsInside(intv) && std::fabs(coefficient) > 1e-6 &&
        std::fabs(1.0 - coefficient) > 1e-6)
        changed = IsChanged(zones->ScaleZones(intv, coefficient, QVObjectTrackPrefs::TreatExtraIntv()));
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartReverse(AKTimeIntv intv) { return DoTrackPartScale(intv, -1.0); }

bool QVObjectTrack::DoTrackPartMove(AKTimeIntv intv, double time)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool const extra = QVObjectTrackPrefs::TreatExtraIntv();
    bool changed = false;
    if (intv.beg < intv.end && !zones->IsEmpty() && IsInside(intv) && IsInside(time) &&
        (intv.beg > time || time > intv.end)) {
        QVTrackZoneArray part;
        if (zones->ExtractZones(intv, &part, extra) != kQVTrackZoneEditRefused) {
            int first = 0;
            int last = 0;
            if (intv.beg > time) {
                first = zones->DeleteZones(intv);
                last = first == kQVTrackZoneEditRefused ? first : zones->InsertZones(time, part, 1, extra);
            } else {
                // The part goes after itself: insert first, then delete.
                first = zones->InsertZones(time, part, 1, extra);
                last = first == kQVTrackZoneEditRefused ? first : zones->DeleteZones(intv);
            }
            changed = last != kQVTrackZoneEditRefused && (IsChanged(first) || IsChanged(last));
        }
    }
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartRepeat(AKTimeIntv intv, double time, unsigned int count, double coefficient,
                                      bool cumulative)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool const extra = QVObjectTrackPrefs::TreatExtraIntv();
    bool changed = false;
    if (intv.beg < intv.end && count > 0 && !zones->IsEmpty() && IsInside(intv) && IsInside(time)) {
        QVTrackZoneArray part;
        if (zones->ExtractZones(intv, &part, extra) != kQVTrackZoneEditRefused)
            changed = IsChanged(zones->InsertZonesScaled(time, part, count, coefficient, cumulative, extra));
    }
    return LowEditEnd(changed);
}

// --- Extractions ---

void QVObjectTrack::DoTrackPartExtract(AKTimeIntv intv, QVObjectTrack* destination) const
{
    if (destination == nullptr || destination == this)
        return;
    QVTrackZoneArray* const zones = destination->TrackZonesModifyStart();
    destination->LowEmptyEditing();
    if (intv.beg < intv.end && IsInside(intv) &&
        GetTrackZones().ExtractZones(intv, zones, QVObjectTrackPrefs::TreatExtraIntv()) != kQVTrackZoneEditRefused) {
        zones->RelinkZonesProviders();
        destination->LowUpdateEditing();
    }
    destination->TrackZonesModifyEnd(true);
}

void QVObjectTrack::DoTrackPartExtract(AKTimeIntv intv, QVTrackZoneArray* destination) const
{
    if (destination == nullptr || mZones.Holds(destination))
        return;
    destination->Clear();
    if (intv.beg < intv.end && IsInside(intv) &&
        GetTrackZones().ExtractZones(intv, destination, QVObjectTrackPrefs::TreatExtraIntv()) !=
            kQVTrackZoneEditRefused)
        destination->UpdateZonesLocalTime(nullptr, nullptr, QVObjectTrackPrefs::ZoneFadeDuration());
}
