#pragma once

// QVTrackZoneArray: a track's content, the ordered zones laid end to end
// from time 0, with every edit the engine performs on it. The display
// envelopes read it through QVDisplayZoneList.
//
// Edits change the zones in place and recompute the local times only from
// the first changed zone (QuickUpdateZonesLocalTime). The caller runs the
// full pass, UpdateZonesLocalTime, once after each edit: it merges adjacent
// silences, drops zones of no length and sets the outer times. After it
// zone 0 begins at 0, each zone begins where the previous one ends, no two
// silences touch and no source is shorter than kQVTrackZoneTimeEpsilon.
//
// Edits answer an edit status (refused, unchanged, changed); a refused edit
// leaves the array as it was. A source array that is the edited array
// itself is refused. With allowExtend an edit may reach beyond the end of
// the track, which is then padded with silence. Nothing here logs but the
// failing file reads.
//
// Persistent forms: an array value of zone dictionaries, and a binary form
// of a zone count (u32) followed by that many 28-byte zone records.

#include "ATArray.h"
#include "QVDisplayZone.h"
#include "QVTrackZone.h"

class QVProviderRenum;

// Edit status.
constexpr int kQVTrackZoneEditRefused = 0;
constexpr int kQVTrackZoneEditUnchanged = 1;
constexpr int kQVTrackZoneEditChanged = 2;

// Index out-parameters receive this when there is no zone.
constexpr unsigned int kQVTrackZoneNoIndex = 0xFFFFFFFFu;

// The default of "Engine.ZoneFadeDuration", the zone fade of the full pass.
constexpr double kQVTrackZoneFadeDurationDefault = 0.005;

// No byte limit for ReadFromFile.
constexpr unsigned long long kQVTrackZoneNoByteLimit = ~0ull;

class QVTrackZoneArray final : public QVDisplayZoneList
{
public:
    QVTrackZoneArray() = default;
    QVTrackZoneArray(QVTrackZoneArray const&) = default;
    QVTrackZoneArray& operator=(QVTrackZoneArray const&) = default;

    // --- Zones ---

    unsigned int Count() const { return mZones.Count(); }
    bool IsEmpty() const { return mZones.IsEmpty(); }
    QVTrackZone const& operator[](unsigned int index) const { return mZones[index]; }
    QVTrackZone& operator[](unsigned int index) { return mZones[index]; }
    QVTrackZone const* begin() const { return mZones.begin(); }
    QVTrackZone const* end() const { return mZones.end(); }
    void Clear() { mZones.Clear(); }
    void Reserve(unsigned int count) { mZones.Reserve(count); }
    // New zones are null zones.
    void SetCount(unsigned int count) { mZones.SetCount(count); }
    void Push(QVTrackZone const& zone) { mZones.Push(zone); }
    void Append(QVTrackZoneArray const& other) { mZones.Append(other.mZones); }
    void Insert(unsigned int index, QVTrackZone const& zone) { mZones.Insert(index, zone); }
    void Remove(unsigned int index, unsigned int count = 1) { mZones.Remove(index, count); }
    // Same zones, field by field.
    bool operator==(QVTrackZoneArray const& other) const { return mZones == other.mZones; }
    bool operator!=(QVTrackZoneArray const& other) const { return !(*this == other); }

    // The track interval: [local begin of the first zone, local end of the
    // last], {0, 0} when empty.
    AKTimeIntv GetTimeIntv() const;
    double GetBeginTime() const { return GetTimeIntv().beg; }
    double GetEndTime() const { return GetTimeIntv().end; }

    // --- Search ---

    // The zone holding a track time. A time on a boundary belongs to the
    // later zone, the end of the last zone to the last zone. Times before
    // the first zone or after the last give that zone when clamping, else
    // false and kQVTrackZoneNoIndex (empty list: always). The index may be null.
    bool BSearchZone(double time, unsigned int* index, bool clamp) const;

    // --- Edits (edit status) ---

    // Inserts a silence of that duration at time t (see InsertZones).
    int InsertSilent(double time, double duration, bool allowExtend);
    // Inserts count copies of the source at time t. A time within the
    // epsilon of a boundary inserts there; one inside a zone splits it; one
    // past the end needs allowExtend and first pads the gap with silence.
    int InsertZones(double time, QVTrackZoneArray const& source, unsigned int count, bool allowExtend);
    // The same with the source scaled by the coefficient: once for every
    // copy, or with cumulative (and a count other than 1) once more for
    // each copy, so that copy n lasts |k|^n times the source.
    int InsertZonesScaled(double time, QVTrackZoneArray const& source, unsigned int count, double coefficient,
                          bool cumulative, bool allowExtend);
    // The duration InsertZonesScaled adds for a source of that duration.
    static double ComputeDurationAfterInsertZonesScaled(double duration, unsigned int count, double coefficient,
                                                        bool cumulative);
    // Multiplies the scale of the zones under the interval by the
    // coefficient; a negative one also reverses their order.
    int ScaleZones(AKTimeIntv intv, double coefficient, bool allowExtend);
    // Splits zones so that whole zones *first..*last cover the interval
    // exactly (bounds within the epsilon of a boundary snap to it). On
    // refusal both indexes are kQVTrackZoneNoIndex. Either pointer may be null.
    int SeparateZones(AKTimeIntv intv, unsigned int* first, unsigned int* last, bool allowExtend);
    // Copies the part under the interval into the destination, whose local
    // times start at 0; with pad, the parts of the interval outside the
    // track become silence. Refused (0) with the destination emptied, else 1.
    int ExtractZones(AKTimeIntv intv, QVTrackZoneArray* destination, bool pad) const;
    // Keeps only the part under the interval, at time 0, or with
    // keepPosition at its time with silence before and after it.
    int CropZones(AKTimeIntv intv, bool keepPosition, bool allowExtend);
    // Puts the source's zones in the place of those under the interval.
    int ReplaceZones(AKTimeIntv intv, QVTrackZoneArray const& source, bool allowExtend);
    // Removes the part under the interval; what follows moves back.
    int DeleteZones(AKTimeIntv intv);
    // Turns the part under the interval into one silence.
    int EraseZones(AKTimeIntv intv, bool allowExtend);

    // --- Derived times, renumbering, links ---

    // Local times from zone `from` on, starting at the end of the zone
    // before it; the end of the last zone, or 0 when from is past the end.
    double QuickUpdateZonesLocalTime(unsigned int from);
    // The full pass after an edit: merges silences, drops zones of no
    // length, sets local and outer times. *end receives the end of the
    // track, *channels the largest channel count of the linked sounds; both
    // 0 when empty, either may be null.
    void UpdateZonesLocalTime(double* end, unsigned int* channels)
    {
        UpdateZonesLocalTime(end, channels, GetZoneFadeDuration());
    }
    void UpdateZonesLocalTime(double* end, unsigned int* channels, double fade);
    // The fade the two-argument full pass uses: the one set here, or while
    // none is set (or after a negative one) "Engine.ZoneFadeDuration".
    double GetZoneFadeDuration() const;
    void SetZoneFadeDuration(double fade) { mFade = fade; }

    // Renumbers every sound ID through the table (silence stays silence);
    // true when every ID matched, or when the array or the table is empty.
    bool RenumberZonesProvID(QVProviderRenum const& renum);
    // Links each zone to the provider manager's sound of its ID; false when
    // some ID was never given to a sound in this run.
    bool RelinkZonesProviders();

    // --- Persistent forms ---

    // Binary form. The count is checked against the bytes left in the file
    // and against maxBytes (the bytes left in the enclosing chunk, from the
    // count on) before anything is allocated: a count that cannot fit is
    // refused with a failed-read status. On any failure the array is left as
    // it was; on success it holds the read zones (no links, derived times 0).
    int ReadFromFile(AKFile const& file, unsigned long long maxBytes = kQVTrackZoneNoByteLimit);
    int WriteToFile(AKFile& file) const;
    // Array form. The array takes the value's length and each zone reads its
    // element over itself (QVTrackZone::ReadFromValue). False, nothing
    // changed, when the value is no array.
    bool ReadFromValue(AKValue const& value, bool convert);
    void WriteToValue(AKValue* value) const;

    // --- QVDisplayZoneList ---

    unsigned int GetDisplayZoneCount() const override { return Count(); }
    bool SearchDisplayZone(double time, unsigned int* index, bool clamp) const override
    {
        return BSearchZone(time, index, clamp);
    }
    QVDisplayZone GetDisplayZone(unsigned int index, AKTimeIntv span) const override;

private:
    // Scale of every zone times k, order reversed when k < 0, times from 0.
    void ScaleAll(double coefficient);
    // Appends a silence and recomputes from it.
    void AppendSilence(double duration);

    ATArray<QVTrackZone> mZones;
    double mFade = -1.0;  // below 0: the preference
};
