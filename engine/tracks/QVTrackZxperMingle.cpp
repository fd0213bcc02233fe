// The Mingle transform: the part's zones cut into random pieces, each piece
// optionally rescaled or reversed, near pieces swapped.

#include "ATArray.h"
#include "QVTrackZoneArray.h"
#include "QVTrackZxper.h"
#include "QVTrackZxperRandom.h"
#include "QVTrackZxperZoneOps.h"

#include <cmath>
#include <utility>

namespace {

// Room for a tenth more than the estimated count, so the lists rarely grow.
unsigned int RoomFor(double estimate) { return static_cast<unsigned int>(estimate * 1.1) + 1; }

// Appends the pieces of one zone. A silence stays whole; a sound zone is cut
// into drawn durations while at least two shortest pieces remain, the last
// piece taking what is left (so no piece is shorter than cutDurMin unless
// the zone itself is).
void AppendZonePieces(QVTrackZone const& zone, QVTrackParamZxperMingle const& param, QVTrackZxperRandom& random,
                      ATArray<double>* durations, QVTrackZoneArray* pieces)
{
    if (zone.IsSilence()) {
        pieces->Push(zone);
        return;
    }
    AKTimeIntv const local = zone.GetLocalTimeIntv();
    double rest = local.end - local.beg;
    durations->Clear();
    durations->Reserve(RoomFor(param.EvaluatePiecesCount(rest)));
    while (rest >= 2.0 * param.cutDurMin) {
        double const d = param.GeneratePieceRandomDuration(random);
        if (rest < param.cutDurMin + d)
            break;
        durations->Push(d);
        rest -= d;
    }
    durations->Push(rest);

    double t = local.beg;
    unsigned int const count = durations->Count();
    for (unsigned int i = 0; i < count; ++i) {
        // The last piece ends exactly where the zone does.
        double const t1 = i + 1 == count ? local.end : std::fmin(t + (*durations)[i], local.end);
        QVTrackZone piece = zone.GetShrunkRest({t, t1});
        if (param.scaleMode != kQVZxperMingleFixed)
            piece.SetScale(piece.GetScale() * param.GeneratePieceRandomScaleCoeff(random));
        pieces->Push(piece);
        t = t1;
    }
}

// Each piece but the last may change place with one at most jumpMax
// places away (never the last one).
void ShufflePieces(QVTrackZoneArray* pieces, uint32_t jumpMax, QVTrackZxperRandom& random)
{
    long const count = pieces->Count();
    if (jumpMax == 0 || count < 2)
        return;
    double const jump = jumpMax;
    for (long i = 0; i + 1 < count; ++i) {
        if (!(random.Uniform(0.0, 1.0) < 0.5))
            continue;
        long const j = static_cast<long>(std::floor(random.Uniform(-jump, jump) + 0.5));
        long const other = i + j;
        if (j != 0 && other >= 0 && other <= count - 2)
            std::swap((*pieces)[static_cast<unsigned int>(i)], (*pieces)[static_cast<unsigned int>(other)]);
    }
}

}  // namespace

bool QVTrackZxperMingle(QVTrackZoneArray* zones, AKTimeIntv part, QVTrackParamZxperMingle const& param,
                        bool allowExtend, QVTrackZxperRandom& random, AKTimeIntv* result)
{
    if (result)
        *result = kAKNullTimeIntv;
    if (!QVZxperCheckPart(*zones, part, allowExtend))
        return false;
    uint32_t const estimate = param.EvaluatePiecesCount(part.end - part.beg);
    if (estimate > kQVZxperMinglePiecesMax)
        return false;

    // The part is cut on a copy: the zones themselves change only through
    // the final replacement, so a refusal leaves them as they were.
    QVTrackZoneArray separated(*zones);
    unsigned int first = kQVTrackZoneNoIndex;
    unsigned int last = kQVTrackZoneNoIndex;
    if (separated.SeparateZones(part, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return false;

    QVTrackZoneArray pieces;
    pieces.Reserve(RoomFor(estimate));
    ATArray<double> durations;
    for (unsigned int i = first; i <= last; ++i)
        AppendZonePieces(separated[i], param, random, &durations, &pieces);
    ShufflePieces(&pieces, param.jumpMax, random);
    double const duration = pieces.QuickUpdateZonesLocalTime(0);

    if (zones->ReplaceZones(part, pieces, allowExtend) != kQVTrackZoneEditChanged)
        return false;
    if (result)
        *result = {part.beg, part.beg + duration};
    return true;
}
