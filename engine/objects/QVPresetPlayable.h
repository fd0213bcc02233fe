#pragma once

// QVPresetPlayable: one playable's settings inside a preset of a sequence
// (time, span, speed, wow, subx, volume, pan, fade), a value record, with
// its two stored forms and the interpolation a glided recall steps through.
// QVPresetApplyMode tells what applying an entry to its playable sets.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKNodeID.h"

class QVObjectPlayable;

struct QVPresetPlayable {
    QVObjectPlayable* link = nullptr;  // resolved from the ID, never stored
    AKNodeID ID = kAKNullNodeID;
    bool skip = false;  // during a recall: the player already has these values
    double time = 0.0;
    double span = 0.0;
    double speed = 0.0;
    double wow = 0.0;
    double subx = 1.0;
    double volume = 0.0;
    double panora = 0.0;
    double fadio = 0.0;

    // Speed, wow, subx, pan and fade within 0.001, the volume within 0.01 dB.
    bool AreEqualScalars(QVPresetPlayable const& other) const;
    // The eight settings at x between from (0) and to (1); link, ID and skip
    // are left alone.
    void FillWithInperpolatedScalars(QVPresetPlayable const& from, QVPresetPlayable const& to, double x);

    // Binary: ID (4, signed) then the eight doubles, in the file's order.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;
    // Dictionary: "ID" and the reals under the parameters' names; a missing
    // key keeps the value held, older "Wow" and "Subx" are read as fall-backs.
    void ReadFromValue(AKDictionary const& dictionary);
    int WriteToValue(AKDictionary* dictionary) const;
};

// Bytes of one stored entry after its preset number: ID and eight doubles.
constexpr unsigned int kQVPresetPlayableFileSize = 4 + 8 * 8;

extern QVPresetPlayable const kQVNullPresetPlayable;

// The bits of what an application sets: the time and the span with it, the
// other settings, or both.
typedef unsigned int QVPresetApplyMode;
constexpr QVPresetApplyMode kQVPresetApplyTime = 1;
constexpr QVPresetApplyMode kQVPresetApplyScalars = 2;
constexpr QVPresetApplyMode kQVPresetApplyAll = 3;

// The playable's present settings as an entry linked to it.
void QVPlayableGetUserParamsAsPreset(QVObjectPlayable const& playable, QVPresetPlayable* entry);
// Sets what the mode asks for through the user operations (so each value is
// limited to its range and the state stamp moves); times and spans only at
// rest, never in scrub mode. Safe on the audio thread: it neither allocates
// nor waits. True when something changed.
bool QVPlayableSetUserParamsFromPreset(QVObjectPlayable& playable, QVPresetPlayable const& entry,
                                       QVPresetApplyMode mode);
