#pragma once

// Small zone arrays for the track zone tests, and a short text form of an
// array ("1:0-1 s2 3:5-6*-1": sound ID, source begin and end, a scale other
// than 1 after "*"; "s" and a duration for silence) so that tables of edits
// can state their outcome on one line.

#include "QVTrackZoneArray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace zonefixtures {

// One zone of a text form: ID 0 is silence of `end` seconds.
struct ZoneDesc {
    QVProviderID id;
    double beg;
    double end;
    double scale = 1.0;
};

// The zones laid out by the full pass.
inline QVTrackZoneArray MakeArray(std::initializer_list<ZoneDesc> descs)
{
    QVTrackZoneArray zones;
    for (ZoneDesc const& desc : descs) {
        if (desc.id == kQVNullProviderID)
            zones.Push(QVTrackZone::MakeSilence(desc.end));
        else
            zones.Push(QVTrackZone(nullptr, desc.id, {desc.beg, desc.end}, desc.scale, kAKNullTimeIntv));
    }
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    return zones;
}

// Sounds 1 [0, 1], 2 [10, 12], 3 [5, 6] at track times [0, 1], [1, 3], [3, 4].
inline QVTrackZoneArray ThreeSounds() { return MakeArray({{1, 0, 1}, {2, 10, 12}, {3, 5, 6}}); }

// Numbers with up to 6 significant digits, rounding errors far below that
// disappear ("-0" is written "0").
inline std::string Number(double value)
{
    if (std::fabs(value) < 1e-9)
        value = 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

inline std::string Describe(QVTrackZoneArray const& zones)
{
    std::string text;
    for (QVTrackZone const& zone : zones) {
        if (!text.empty())
            text += ' ';
        if (zone.IsSilence() && zone.GetScale() == 1.0 && zone.GetSourceTimeIntv().beg == 0.0) {
            text += "s" + Number(zone.GetSourceDuration());
            continue;
        }
        text += std::to_string(zone.GetProviderID()) + ":" + Number(zone.GetSourceTimeIntv().beg) + "-" +
                Number(zone.GetSourceTimeIntv().end);
        if (zone.GetScale() != 1.0)
            text += "*" + Number(zone.GetScale());
    }
    return text;
}

// The layout the full pass promises: zones end to end from 0, each as long
// as its source times its scale, no two silences in a row, no source
// shorter than the epsilon; outer times around the local ones.
inline ::testing::AssertionResult HoldsInvariants(QVTrackZoneArray const& zones, double fade)
{
    double time = 0.0;
    for (unsigned int index = 0; index < zones.Count(); ++index) {
        QVTrackZone const& zone = zones[index];
        AKTimeIntv const local = zone.GetLocalTimeIntv();
        if (local.beg != time)
            return ::testing::AssertionFailure() << "zone " << index << " begins at " << local.beg << ", not " << time;
        if (local.end != local.beg + zone.GetDuration())
            return ::testing::AssertionFailure() << "zone " << index << " lasts " << local.end - local.beg;
        if (zone.IsEpsilonZone())
            return ::testing::AssertionFailure() << "zone " << index << " has a source of " << zone.GetSourceDuration();
        if (index > 0 && zone.IsSilence() && zones[index - 1].IsSilence())
            return ::testing::AssertionFailure() << "silences " << index - 1 << " and " << index << " touch";
        AKTimeIntv const outer = zone.GetOuterTimeIntv();
        if (!(outer.beg <= local.beg && outer.end >= local.end && outer.end - outer.beg >= fade))
            return ::testing::AssertionFailure()
                   << "zone " << index << " has outer times " << outer.beg << " " << outer.end;
        time = local.end;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace zonefixtures
