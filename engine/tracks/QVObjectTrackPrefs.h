#pragma once

// QVObjectTrackPrefs: the global preferences a track reads, gathered in one
// place.

#include "QVPrefs.h"

struct QVObjectTrackPrefs {
    // "Sequence.TreatExtraIntv": edits may reach beyond the track's end.
    static bool TreatExtraIntv() { return QVPrefs::sShared.GetSequenceTreatExtraIntv(); }
    // "Sequence.EditableTrackName": the track's name can be edited in place.
    static bool EditableTrackName() { return QVPrefs::sShared.GetSequenceEditableTrackName(); }
    // "Engine.ZoneFadeDuration", seconds.
    static double ZoneFadeDuration() { return QVPrefs::sShared.GetEngineZoneFadeDuration(); }
    // "Route.DefaultMixFurtherIn" and "Route.DefaultFillFurtherOut".
    static bool DefaultMixFurtherIn() { return QVPrefs::sShared.GetRouteDefaultMixFurtherIn(); }
    static bool DefaultFillFurtherOut() { return QVPrefs::sShared.GetRouteDefaultFillFurtherOut(); }
};
