#pragma once

// QVDisplayZone, QVDisplayZoneList: what the track display envelopes read of
// a track's zones. The zones themselves belong to the engine's tracks; the
// engine's zone list answers through this interface, so the display code
// below it never sees the engine's classes.

#include "AKTimeIntv.h"

class QVProvider;

// One zone seen over a span of track time.
struct QVDisplayZone {
    QVProvider const* provider = nullptr;  // null when the sound is missing
    AKTimeIntv source = kAKNullTimeIntv;   // the span's part in source seconds, mirrored when reversed; {0, 0} none
    AKTimeIntv local = kAKNullTimeIntv;    // the span clipped to the zone, in track seconds
    bool reversed = false;                 // the zone plays its sound backwards
};

class QVDisplayZoneList
{
public:
    QVDisplayZoneList() = default;
    virtual ~QVDisplayZoneList() = default;

    virtual unsigned int GetDisplayZoneCount() const = 0;
    // The zone for a track time; with clamp, times before the first zone or
    // after the last give that zone. False, index -1, when there is none.
    virtual bool SearchDisplayZone(double time, unsigned int* index, bool clamp) const = 0;
    // The zone at index (below the count) over the span.
    virtual QVDisplayZone GetDisplayZone(unsigned int index, AKTimeIntv span) const = 0;

protected:
    QVDisplayZoneList(QVDisplayZoneList const&) = default;
    QVDisplayZoneList& operator=(QVDisplayZoneList const&) = default;
};
