#include "QVTrackZxperParamScale.h"

#include "AKValueTyped.h"
#include "QVLocale.h"
#include "QVTrackZxperValues.h"
#include "QVTrackZxperZoneOps.h"

#include <cmath>

namespace {

char const* const kRecordKey = "ZxperScale";
char const* const kKeyAbsCoeff = "AbsCoeff";
char const* const kKeyExpanded = "Expanded";
char const* const kKeyReversed = "Reversed";
char const* const kKeyRepeatCount = "RepeatCount";

// Coefficients this close to 0 or 1 are taken as 0 or 1.
constexpr double kCoeffTolerance = 1e-6;

}  // namespace

void QVTrackParamZxperScaleBase::SetupDefault() { *this = QVTrackParamZxperScaleBase(); }

void QVTrackParamZxperScaleBase::SetupFromDictionary(AKDictionary const& options)
{
    SetupDefault();
    AKDictionary const& record = QVZxperGetRecordDictionary(options, kRecordKey);
    if (record.IsEmpty())
        return;
    QVZxperReadReal(record, kKeyAbsCoeff, &absCoeff);
    QVZxperReadBool(record, kKeyExpanded, &expanded);
    QVZxperReadBool(record, kKeyReversed, &reversed);
    QVZxperReadUInt32(record, kKeyRepeatCount, &repeatCount);
    Check();
}

void QVTrackParamZxperScaleBase::WriteToDictionary(AKDictionary* options) const
{
    AKDictionary record;
    record.SetValue(kKeyAbsCoeff, AKValueSetasFloat64(absCoeff));
    record.SetValue(kKeyExpanded, AKValueSetasBool(expanded));
    record.SetValue(kKeyReversed, AKValueSetasBool(reversed));
    record.SetValue(kKeyRepeatCount, AKValueSetasUInt(repeatCount));
    options->SetValue(kRecordKey, AKValueSetasAKDictionary(record));
}

void QVTrackParamZxperScaleBase::Check()
{
    double const low = expanded ? kQVZxperAbsCoeffMinExpanded : kQVZxperAbsCoeffMinShrunk;
    absCoeff = QVZxperClampAbs(absCoeff, low, kQVZxperAbsCoeffMax, 1.0);
    if (repeatCount < kQVZxperRepeatCountMin)
        repeatCount = kQVZxperRepeatCountMin;
    else if (repeatCount > kQVZxperRepeatCountMax)
        repeatCount = kQVZxperRepeatCountMax;
}

void QVTrackParamZxperScaleBase::WantTranspose(double semitones)
{
    expanded = semitones <= 0.0;
    absCoeff = std::pow(2.0, std::fabs(semitones) / 12.0);
    Check();
}

double QVTrackParamZxperScaleBase::GetSignedCoeff() const
{
    double const k = expanded ? absCoeff : 1.0 / absCoeff;
    return reversed ? -k : k;
}

char const* QVTrackParamZxperScale::Name() { return QVLocaleGetString("Scale"); }

bool QVTrackParamZxperScale::CanApply() const
{
    double const k = GetSignedCoeff();
    return std::fabs(k) > kCoeffTolerance && std::fabs(1.0 - k) > kCoeffTolerance;
}

void QVTrackParamZxperScale::WantResultDur(double wanted, double current)
{
    expanded = wanted >= current;
    absCoeff = expanded ? wanted / current : current / wanted;
    Check();
}

char const* QVTrackParamZxperRepeat::Name() { return QVLocaleGetString("Repeat"); }

bool QVTrackParamZxperRepeat::CanApply() const
{
    return std::fabs(GetSignedCoeff()) > kCoeffTolerance && repeatCount != 0;
}

double QVTrackParamZxperRepeat::ResultDur(double duration) const
{
    return QVZxperDurationAfterScaledCopies(duration, repeatCount, GetSignedCoeff());
}
