#include "QVTrackZxperParamMingle.h"

#include "AKValueTyped.h"
#include "QVLocale.h"
#include "QVTrackZxperRandom.h"
#include "QVTrackZxperValues.h"

#include <cmath>
#include <utility>

namespace {

char const* const kRecordKey = "ZxperMingle";
char const* const kKeyDistrib = "Distrib";
char const* const kKeyScaleMode = "ScaleMode";
char const* const kKeyJumpMax = "JumpMax";
char const* const kKeyCutDurMin = "CutDurMin";
char const* const kKeyCutDurMax = "CutDurMax";
char const* const kKeyScaleCoeffMin = "ScaleCoeffMin";
char const* const kKeyScaleCoeffMax = "ScaleCoeffMax";

char const* const kDistribLabels[] = {"More Littlest", "More Littles", "Uniform", "More Biggers", "More Biggest"};
char const* const kScaleModeLabels[] = {"Fixed", "Scaled", "Reversed", "All Reversed"};

// Mean of the shaped draw u^3, u^2, u, u^(1/2), u^(1/3) of an even u in [0, 1].
constexpr double kShapedMeans[] = {0.25, 1.0 / 3.0, 0.5, 2.0 / 3.0, 0.75};

// Share of the pieces reversed in the "Reversed" mode.
constexpr double kReversedShare = 0.3;

double ShapeDraw(uint32_t distrib, double u)
{
    switch (distrib) {
    case kQVZxperMingleMoreLittlest:
        return u * u * u;
    case kQVZxperMingleMoreLittles:
        return u * u;
    case kQVZxperMingleMoreBiggers:
        return std::sqrt(u);
    case kQVZxperMingleMoreBiggest:
        return std::cbrt(u);
    default:
        return u;
    }
}

uint32_t LimitCount(uint32_t value, uint32_t max) { return value > max ? max : value; }

}  // namespace

char const* QVTrackParamZxperMingle::Name() { return QVLocaleGetString("Mingle"); }

char const* QVTrackParamZxperMingle::DistribLabel(uint32_t distrib)
{
    return distrib <= kQVZxperMingleDistribMax ? QVLocaleGetString(kDistribLabels[distrib]) : nullptr;
}

char const* QVTrackParamZxperMingle::ScaleModeLabel(uint32_t scaleMode)
{
    return scaleMode <= kQVZxperMingleScaleModeMax ? QVLocaleGetString(kScaleModeLabels[scaleMode]) : nullptr;
}

void QVTrackParamZxperMingle::SetupDefault() { *this = QVTrackParamZxperMingle(); }

void QVTrackParamZxperMingle::SetupFromDictionary(AKDictionary const& options)
{
    SetupDefault();
    AKDictionary const& record = QVZxperGetRecordDictionary(options, kRecordKey);
    if (record.IsEmpty())
        return;
    QVZxperReadUInt32(record, kKeyDistrib, &distrib);
    QVZxperReadUInt32(record, kKeyScaleMode, &scaleMode);
    QVZxperReadUInt32(record, kKeyJumpMax, &jumpMax);
    QVZxperReadReal(record, kKeyCutDurMin, &cutDurMin);
    QVZxperReadReal(record, kKeyCutDurMax, &cutDurMax);
    QVZxperReadReal(record, kKeyScaleCoeffMin, &scaleCoeffMin);
    QVZxperReadReal(record, kKeyScaleCoeffMax, &scaleCoeffMax);
    Check();
}

void QVTrackParamZxperMingle::WriteToDictionary(AKDictionary* options) const
{
    AKDictionary record;
    record.SetValue(kKeyDistrib, AKValueSetasUInt(distrib));
    record.SetValue(kKeyScaleMode, AKValueSetasUInt(scaleMode));
    record.SetValue(kKeyJumpMax, AKValueSetasUInt(jumpMax));
    record.SetValue(kKeyCutDurMin, AKValueSetasFloat64(cutDurMin));
    record.SetValue(kKeyCutDurMax, AKValueSetasFloat64(cutDurMax));
    record.SetValue(kKeyScaleCoeffMin, AKValueSetasFloat64(scaleCoeffMin));
    record.SetValue(kKeyScaleCoeffMax, AKValueSetasFloat64(scaleCoeffMax));
    options->SetValue(kRecordKey, AKValueSetasAKDictionary(record));
}

void QVTrackParamZxperMingle::Check()
{
    QVTrackParamZxperMingle const defaults;
    distrib = LimitCount(distrib, kQVZxperMingleDistribMax);
    scaleMode = LimitCount(scaleMode, kQVZxperMingleScaleModeMax);
    jumpMax = LimitCount(jumpMax, kQVZxperMingleJumpMax);
    cutDurMin = QVZxperClampAbs(cutDurMin, kQVZxperMingleCutDurMin, kQVZxperMingleCutDurMax, defaults.cutDurMin);
    cutDurMax = QVZxperClampAbs(cutDurMax, kQVZxperMingleCutDurMin, kQVZxperMingleCutDurMax, defaults.cutDurMax);
    if (cutDurMin > cutDurMax)
        std::swap(cutDurMin, cutDurMax);
    scaleCoeffMin = QVZxperClampAbs(scaleCoeffMin, kQVZxperMingleScaleCoeffMin, kQVZxperMingleScaleCoeffMax,
                                    defaults.scaleCoeffMin);
    scaleCoeffMax = QVZxperClampAbs(scaleCoeffMax, kQVZxperMingleScaleCoeffMin, kQVZxperMingleScaleCoeffMax,
                                    defaults.scaleCoeffMax);
    if (scaleCoeffMin > scaleCoeffMax)
        std::swap(scaleCoeffMin, scaleCoeffMax);
}

double QVTrackParamZxperMingle::GeneratePieceRandomDuration(QVTrackZxperRandom& random) const
{
    double const shaped = ShapeDraw(distrib, random.Uniform(0.0, 1.0));
    return cutDurMin + (cutDurMax - cutDurMin) * shaped;
}

double QVTrackParamZxperMingle::GeneratePieceRandomScaleCoeff(QVTrackZxperRandom& random) const
{
    if (scaleMode == kQVZxperMingleFixed)
        return 1.0;
    double const coeff = random.Uniform(scaleCoeffMin, scaleCoeffMax);
    if (scaleMode == kQVZxperMingleAllReversed)
        return -coeff;
    if (scaleMode == kQVZxperMingleReversed && random.Uniform(0.0, 1.0) < kReversedShare)
        return -coeff;
    return coeff;
}

double QVTrackParamZxperMingle::EvaluatePieceAverageDuration() const
{
    double const mean = kShapedMeans[distrib <= kQVZxperMingleDistribMax ? distrib : kQVZxperMingleUniform];
    return cutDurMin + (cutDurMax - cutDurMin) * mean;
}

uint32_t QVTrackParamZxperMingle::EvaluatePiecesCount(double duration) const
{
    double const count = std::floor(duration / EvaluatePieceAverageDuration() + 0.5);
    if (!(count > 0.0))
        return 0;
    if (count >= static_cast<double>(UINT32_MAX))
        return UINT32_MAX;
    return static_cast<uint32_t>(count);
}
