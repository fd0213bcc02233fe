// Setting one parameter of one object: the request becomes the object's own
// user operation, which limits the value; whether it changed is not passed
// on.

#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVParamsAccess.h"

#include <algorithm>
#include <cmath>

namespace {

// Times and spans are kept within the rows' far bounds, so an infinite
// request cannot reach the transport (nor give an interval a NaN middle).
double WithinRow(QVParamInfo const& info, double x)
{
    double const far = std::max(std::fabs(info.GetMin()), std::fabs(info.GetMax()));
    return std::min(std::max(x, -far), far);
}

bool SetPlayable(QVObjectPlayable* playable, QVParamInfo const& info, unsigned int index, QVParamValue const& value,
                 double y)
{
    double const x = value.real;
    switch (info.GetID()) {
    case kQVPrmID_Start:
        playable->SetUserPlay(1);
        return true;
    case kQVPrmID_Stop:
        playable->SetUserPlay(0);
        return true;
    case kQVPrmID_Play:
        playable->SetUserPlay(value.flag);
        return true;
    case kQVPrmID_Scrub:
        playable->SetUserScrubMode(value.flag);
        return true;
    case kQVPrmID_Loop:
        playable->SetUserLoop(value.flag);
        return true;
    case kQVPrmID_Stated:
        playable->SetUserStated(value.flag);
        return true;
    case kQVPrmID_Rewind:
        playable->SetUserRewind(value.flag);
        return true;
    case kQVPrmID_Forward:
        playable->SetUserForward(value.flag);
        return true;
    case kQVPrmID_Phase:
        playable->SetUserPhase(x);
        return true;
    case kQVPrmID_Time:
        playable->LowSetUserTimeAndSpan(WithinRow(info, x), playable->GetUserSpan(), false);
        return true;
    case kQVPrmID_Span:
        playable->LowSetUserTimeAndSpan(playable->GetUserTime(), WithinRow(info, x), false);
        return true;
    case kQVPrmID_SpanIntv: {
        double const begin = WithinRow(info, x);
        double const end = WithinRow(info, y);
        playable->LowSetUserTimeAndSpan(0.5 * (begin + end), end - begin, false);
        return true;
    }
    case kQVPrmID_Speed:
        playable->SetUserSpeed(x);
        return true;
    case kQVPrmID_SpeedWow:
        playable->SetUserSpeedWow(x);
        return true;
    case kQVPrmID_SpeedSubx:
        playable->SetUserSpeedSubx(x);
        return true;
    case kQVPrmID_SpeedSens:
        playable->DoUserSpeedSens();
        return true;
    case kQVPrmID_Mute:
        playable->SetUserMute(value.flag);
        return true;
    case kQVPrmID_Solo:
        playable->SetUserSolo(value.flag);
        return true;
    case kQVPrmID_Volume:
        playable->SetUserVolume(x);
        return true;
    case kQVPrmID_Gain:
        playable->SetUserGain(x);
        return true;
    case kQVPrmID_Panora:
        playable->SetUserPanora(x);
        return true;
    case kQVPrmID_Fadio:
        playable->SetUserFadio(x);
        return true;
    case kQVPrmID_PluginBypass:
        playable->SetPluginBypass(value.flag);
        return true;
    case kQVPrmID_PluginParam:
        // Plug-in parameters are normalised: nothing outside 0..1 reaches one.
        playable->SetPluginParameter(index, std::min(std::max(x, info.GetMin()), info.GetMax()));
        return true;
    default:
        if (playable->IsKindOfT<QVObjectSequence>() &&
            QVParamSetPreset(static_cast<QVObjectSequence*>(playable), info.GetID(), index, x))
            return true;
        return QVParamSetTransport(playable, info.GetID(), x);
    }
}

bool SetTrack(QVObjectTrack* track, QVParamInfo const& info, QVParamValue const& value)
{
    switch (info.GetID()) {
    case kQVPrmID_Volume:
    case kQVPrmID_TrackVolume:
        track->SetUserTrackVolume(value.real);
        return true;
    case kQVPrmID_Gain:
    case kQVPrmID_TrackGain:
        track->SetUserTrackGain(value.real);
        return true;
    case kQVPrmID_TrackRouteMixIn:
        track->SetUserRouteMixIn(value.flag != 0);
        return true;
    case kQVPrmID_TrackRouteFillOut:
        track->SetUserRouteFillOut(value.flag != 0);
        return true;
    case kQVPrmID_TrackRouteOffset:
        track->SetUserRouteOffset(value.flag);
        return true;
    default:
        return false;
    }
}

bool IsPluginRow(unsigned int id) { return id == kQVPrmID_PluginBypass || id == kQVPrmID_PluginParam; }

}  // namespace

bool QVParams::SetObjectParameter(AKObject* object, unsigned int id, unsigned int index, double x, double y,
                                  bool strict, bool* wrongValue)
{
    if (wrongValue != nullptr)
        *wrongValue = false;
    QVParamInfo const& info = GetByID(id);
    if (info.IsNull() || object == nullptr)
        return false;

    QVParamTargets const target = QVParamTargetOf(object);
    if ((QVParamSetTargets(id) & target) == 0)
        return false;
    if (IsPluginRow(id) && static_cast<QVObjectPlayable*>(object)->GetPluginInstance() == nullptr)
        return false;

    QVParamValue value;
    if (!QVParamCheckValue(info, x, strict, &value) || (info.GetType() == kQVPrmTypeInterval && std::isnan(y))) {
        if (wrongValue != nullptr)
            *wrongValue = true;
        return false;
    }

    if (target == kQVParamTargetTrack)
        return SetTrack(static_cast<QVObjectTrack*>(object), info, value);
    return SetPlayable(static_cast<QVObjectPlayable*>(object), info, index, value, y);
}
