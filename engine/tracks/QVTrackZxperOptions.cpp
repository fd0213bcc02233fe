// The transforms with their parameters taken from the command's options.

#include "QVTrackZxper.h"
#include "QVTrackZxperRandom.h"

bool QVTrackZxperScale(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                       AKTimeIntv* result)
{
    QVTrackParamZxperScale param;
    param.SetupFromDictionary(options);
    return QVTrackZxperScale(zones, part, param, allowExtend, result);
}

bool QVTrackZxperRepeat(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                        AKTimeIntv* result)
{
    QVTrackParamZxperRepeat param;
    param.SetupFromDictionary(options);
    return QVTrackZxperRepeat(zones, part, param, allowExtend, result);
}

bool QVTrackZxperMingle(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                        AKTimeIntv* result)
{
    QVTrackParamZxperMingle param;
    param.SetupFromDictionary(options);
    QVTrackZxperRandom random;
    return QVTrackZxperMingle(zones, part, param, allowExtend, random, result);
}

bool QVTrackZxperStretch(QVTrackZoneArray* zones, AKTimeIntv part, AKDictionary const& options, bool allowExtend,
                         AKTimeIntv* result)
{
    QVTrackParamZxperStretch param;
    param.SetupFromDictionary(options);
    return QVTrackZxperStretch(zones, part, param, allowExtend, result);
}
