// The experimental transforms as edits of a track: each is one edit
// bracket around the transform of its editing copy.

#include "QVObjectTrack.h"

#include "QVObjectTrackPrefs.h"
#include "QVTrackZxper.h"

bool QVObjectTrack::LowZxper(ZxperTransform transform, AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options)
{
    AKTimeIntv range = kAKNullTimeIntv;
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    bool const changed = transform(zones, part, options, QVObjectTrackPrefs::TreatExtraIntv(), &range);
    if (result != nullptr)
        *result = changed ? range : kAKNullTimeIntv;
    return LowEditEnd(changed);
}

bool QVObjectTrack::DoTrackPartZxperScale(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options)
{
    return LowZxper(&QVTrackZxperScale, part, result, options);
}

bool QVObjectTrack::DoTrackPartZxperRepeat(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options)
{
    return LowZxper(&QVTrackZxperRepeat, part, result, options);
}

bool QVObjectTrack::DoTrackPartZxperMingle(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options)
{
    return LowZxper(&QVTrackZxperMingle, part, result, options);
}

bool QVObjectTrack::DoTrackPartZxperStretch(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options)
{
    return LowZxper(&QVTrackZxperStretch, part, result, options);
}
