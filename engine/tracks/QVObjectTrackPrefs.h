#pragma once

// QVObjectTrackPrefs: the preferences a track reads, gathered in one place.
// Until the global preferences hold these members the defaults below apply.

struct QVObjectTrackPrefs {
    // "Sequence.TreatExtraIntv": edits may reach beyond the track's end.
    static bool TreatExtraIntv() { return sTreatExtraIntv; }
    // "Sequence.EditableTrackName": the track's name can be edited in place.
    static bool EditableTrackName() { return false; }
    // "Engine.ZoneFadeDuration", seconds.
    static double ZoneFadeDuration() { return 0.005; }
    // "Route.DefaultMixFurtherIn" and "Route.DefaultFillFurtherOut".
    static bool DefaultMixFurtherIn() { return true; }
    static bool DefaultFillFurtherOut() { return true; }

    // For tests of the edits within the track interval only.
    static void SetTreatExtraIntv(bool treat) { sTreatExtraIntv = treat; }

private:
    static inline bool sTreatExtraIntv = true;
};
