#include "QVTrackZxperParamStretch.h"

#include "AKValueTyped.h"
#include "QVLocale.h"
#include "QVTrackZxperValues.h"

namespace {

char const* const kRecordKey = "ZxperStretch";
char const* const kKeyWindowDur = "WindowDur";
char const* const kKeyWindowStep = "WindowStep";

}  // namespace

char const* QVTrackParamZxperStretch::Name() { return QVLocaleGetString("Stretch-Test"); }

void QVTrackParamZxperStretch::SetupDefault() { *this = QVTrackParamZxperStretch(); }

void QVTrackParamZxperStretch::SetupFromDictionary(AKDictionary const& options)
{
    SetupDefault();
    AKDictionary const& record = QVZxperGetRecordDictionary(options, kRecordKey);
    if (record.IsEmpty())
        return;
    QVZxperReadReal(record, kKeyWindowDur, &windowDur);
    QVZxperReadReal(record, kKeyWindowStep, &windowStep);
    Check();
}

void QVTrackParamZxperStretch::WriteToDictionary(AKDictionary* options) const
{
    AKDictionary record;
    record.SetValue(kKeyWindowDur, AKValueSetasFloat64(windowDur));
    record.SetValue(kKeyWindowStep, AKValueSetasFloat64(windowStep));
    options->SetValue(kRecordKey, AKValueSetasAKDictionary(record));
}

void QVTrackParamZxperStretch::Check()
{
    QVTrackParamZxperStretch const defaults;
    windowDur = QVZxperClampAbs(windowDur, kQVZxperStretchMin, kQVZxperStretchMax, defaults.windowDur);
    windowStep = QVZxperClampAbs(windowStep, kQVZxperStretchMin, kQVZxperStretchMax, defaults.windowStep);
}
