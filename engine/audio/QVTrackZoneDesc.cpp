// The zone description: which zones of a track meet a stretch of its
// timeline, which part of the block each fills and where its edge fades lie.

#include "QVTrackReader.h"
#include "QVTrackZoneArray.h"

#include <algorithm>

namespace {

// The zone holding the time: the hinted one when it does, else a search
// clamped to the first or last zone.
bool FindZone(QVTrackZoneArray const& zones, double time, unsigned int hint, unsigned int* index)
{
    unsigned int const count = zones.Count();
    if (hint < count) {
        AKTimeIntv const local = zones[hint].GetLocalTimeIntv();
        if (local.beg <= time && (time < local.end || hint + 1 == count)) {
            *index = hint;
            return true;
        }
    }
    return zones.BSearchZone(time, index, true);
}

}  // namespace

void QVTrackReader::ComputeZoneDesc(QVAudioZoneDesc* desc, QVTrackZoneArray const& zones, double fade, AKTimeIntv intv,
                                    unsigned int* hint)
{
    desc->Clear();
    double const a = intv.beg;
    double const b = intv.end;
    if (!(a < b) || zones.IsEmpty())
        return;
    AKTimeIntv const whole = zones.GetTimeIntv();
    if (!(std::max(a, whole.beg) < std::min(b, whole.end)))
        return;
    unsigned int first = 0;
    if (!FindZone(zones, a, hint != nullptr ? *hint : 0, &first))
        return;
    if (hint != nullptr)
        *hint = first;
    double const f = fade >= 0.0 ? fade : zones.GetZoneFadeDuration();

    // The zone before may still be fading out over the start of the stretch.
    while (first > 0) {
        AKTimeIntv const outer = zones[first - 1].GetOuterTimeIntv();
        if (std::max(a, outer.beg) > std::min(b, outer.end))
            break;
        --first;
    }

    double const span = b - a;
    for (unsigned int i = first; i < zones.Count(); ++i) {
        QVTrackZone const& zone = zones[i];
        AKTimeIntv const outer = zone.GetOuterTimeIntv();
        double const s = std::max(a, outer.beg);
        double const e = std::min(b, outer.end);
        if (e <= s)
            break;
        if (zone.GetProvider() == nullptr)
            continue;
        // The list never grows on the block thread: zones beyond its
        // reserved room stay silent in this stretch.
        if (desc->Count() >= kQVAudioSectorListReserve)
            break;
        QVAudioSector sector;
        sector.SrcZoneIndex = static_cast<int>(i);
        sector.SrcLocalTimeIntv = {s, e};
        sector.DesBodyNormIntv = {(s - a) / span, (e - a) / span};
        sector.DesIsFull = sector.DesBodyNormIntv == kAKUnaryNormIntv;
        if (f > 0.0) {
            double const fadiEnd = std::min(b, outer.beg + f);
            if (fadiEnd > s) {
                sector.DesHasFadi = true;
                sector.DesFadiNormIntv = {(s - a) / span, (fadiEnd - a) / span};
                sector.DesFadiNormCoeff = {(s - outer.beg) / f, (fadiEnd - outer.beg) / f};
            }
            double const fadoBeg = std::max(a, outer.end - f);
            if (e > fadoBeg) {
                sector.DesHasFado = true;
                sector.DesFadoNormIntv = {(fadoBeg - a) / span, (e - a) / span};
                sector.DesFadoNormCoeff = {(fadoBeg - (outer.end - f)) / f, (e - (outer.end - f)) / f};
            }
        }
        desc->Push(sector);
    }
}
