#pragma once

// QVTrackZoneArray: the zones of a track, kept sorted by local begin. The
// display envelopes read it through QVDisplayZoneList.

#include "ATArray.h"
#include "QVDisplayZone.h"
#include "QVTrackZone.h"

class QVTrackZoneArray final : public QVDisplayZoneList
{
public:
    QVTrackZoneArray() = default;
    QVTrackZoneArray(QVTrackZoneArray const&) = default;
    QVTrackZoneArray& operator=(QVTrackZoneArray const&) = default;

    unsigned int Count() const { return mZones.Count(); }
    bool IsEmpty() const { return mZones.IsEmpty(); }
    QVTrackZone const& operator[](unsigned int index) const { return mZones[index]; }
    QVTrackZone& operator[](unsigned int index) { return mZones[index]; }
    void Clear() { mZones.Clear(); }
    // Inserts the zone after every zone whose local begin is not after its own.
    void InsertSorted(QVTrackZone const& zone);

    // The zone for a track time. A time before the end of the first zone
    // gives the first zone when clamping or when the time is not before its
    // begin; a time at or after the begin of the last zone gives the last
    // zone when clamping or when the time is not after its end; any other
    // time gives the last zone beginning at or before it (so a gap gives the
    // zone before it). False, and index -1, for an empty list or, without
    // clamping, a time outside the zones. The index may be null.
    bool BSearchZone(double time, unsigned int* index, bool clamp) const;

    // QVDisplayZoneList
    unsigned int GetDisplayZoneCount() const override { return Count(); }
    bool SearchDisplayZone(double time, unsigned int* index, bool clamp) const override
    {
        return BSearchZone(time, index, clamp);
    }
    QVDisplayZone GetDisplayZone(unsigned int index, AKTimeIntv span) const override;

private:
    ATArray<QVTrackZone> mZones;
};
