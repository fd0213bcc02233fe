// Reading one parameter of one object: its user values, the derived
// intervals and durations, and what plays in real time.

#include "QVObjectPlayable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVParamsAccess.h"

namespace {

bool IsMoving(QVObjectPlayable const* playable)
{
    return playable->IsUserPlay() || playable->IsUserRewind() || playable->IsUserForward() || playable->IsUserScrub();
}

// A sub plays as its multi-player does, and so on upwards.
bool IsPlayingRT(QVObjectPlayable const* playable)
{
    while (playable != nullptr) {
        if (IsMoving(playable))
            return true;
        if (!QVPlayableKindIsSub(playable->GetKind()))
            return false;
        playable = playable->GetFLParentPlayable();
    }
    return false;
}

// The speed in effect: the scrub speed, the rewind and forward ramp, or the
// speed with its present wander.
double SpeedRT(QVObjectPlayable const* playable)
{
    if (playable->IsUserScrub())
        return playable->GetScrubSpeed();
    if (playable->IsUserRewind())
        return -playable->GetRwdFwdSpeed();
    if (playable->IsUserForward())
        return playable->GetRwdFwdSpeed();
    return playable->GetUserSpeed() + playable->GetWowOffset();
}

double Flag(bool on) { return on ? 1.0 : 0.0; }

bool GetPlayable(QVObjectPlayable const* playable, unsigned int id, unsigned int index, double* x, double* y)
{
    switch (id) {
    case kQVPrmID_Play:
        *x = Flag(playable->IsUserPlay());
        return true;
    case kQVPrmID_PlayRT:
        *x = Flag(IsPlayingRT(playable));
        return true;
    case kQVPrmID_Scrub:
        *x = Flag(playable->IsUserScrub());
        return true;
    case kQVPrmID_Loop:
        *x = Flag(playable->IsUserLoop());
        return true;
    case kQVPrmID_Stated:
        *x = Flag(playable->IsUserStated());
        return true;
    case kQVPrmID_Rewind:
        *x = Flag(playable->IsUserRewind());
        return true;
    case kQVPrmID_Forward:
        *x = Flag(playable->IsUserForward());
        return true;
    case kQVPrmID_Mute:
        *x = Flag(playable->IsUserMute());
        return true;
    case kQVPrmID_Solo:
        *x = Flag(playable->IsUserSolo());
        return true;
    case kQVPrmID_Phase:
        *x = playable->GetUserPhase();
        return true;
    case kQVPrmID_Time:
        *x = playable->GetUserTime();
        return true;
    case kQVPrmID_Span:
        *x = playable->GetUserSpan();
        return true;
    case kQVPrmID_SpanIntv:
        *x = playable->GetUserTime() - 0.5 * playable->GetUserSpan();
        *y = *x + playable->GetUserSpan();
        return true;
    case kQVPrmID_Speed:
        *x = playable->GetUserSpeed();
        return true;
    case kQVPrmID_SpeedRT:
        *x = SpeedRT(playable);
        return true;
    case kQVPrmID_SpeedWow:
        *x = playable->GetUserSpeedWow();
        return true;
    case kQVPrmID_SpeedSubx:
        *x = playable->GetUserSpeedSubx();
        return true;
    case kQVPrmID_Volume:
        *x = playable->GetUserVolume();
        return true;
    case kQVPrmID_Gain:
        *x = playable->GetUserGain();
        return true;
    case kQVPrmID_Panora:
        *x = playable->GetUserPanora();
        return true;
    case kQVPrmID_Fadio:
        *x = playable->GetUserFadio();
        return true;
    case kQVPrmID_FullIntv:
    case kQVPrmID_Duration: {
        AKTimeIntv const full = static_cast<QVObjectSequence const*>(playable)->GetFLFullIntv();
        if (id == kQVPrmID_Duration) {
            *x = full.end - full.beg;
        } else {
            *x = full.beg;
            *y = full.end;
        }
        return true;
    }
    case kQVPrmID_PluginBypass:
        *x = Flag(playable->IsPluginBypass());
        return true;
    case kQVPrmID_PluginParam:
        *x = playable->GetPluginParameter(index);
        return true;
    default:
        if (playable->IsKindOfT<QVObjectSequence>() &&
            QVParamGetPreset(static_cast<QVObjectSequence const*>(playable), id, x))
            return true;
        return QVParamGetTransport(playable, id, x);
    }
}

bool GetTrack(QVObjectTrack const* track, unsigned int id, double* x, double* y)
{
    switch (id) {
    case kQVPrmID_Volume:
    case kQVPrmID_TrackVolume:
        *x = track->GetUserTrackVolume();
        return true;
    case kQVPrmID_Gain:
    case kQVPrmID_TrackGain:
        *x = track->GetUserTrackGain();
        return true;
    case kQVPrmID_TrackRouteMixIn:
        *x = Flag(track->GetUserRouteMixIn());
        return true;
    case kQVPrmID_TrackRouteFillOut:
        *x = Flag(track->GetUserRouteFillOut());
        return true;
    case kQVPrmID_TrackRouteOffset:
        *x = track->GetUserRouteOffset();
        return true;
    case kQVPrmID_TrackFullIntv:
    case kQVPrmID_TrackDuration: {
        AKTimeIntv const full = track->GetTrackTimeIntv();
        if (id == kQVPrmID_TrackDuration) {
            *x = full.end - full.beg;
        } else {
            *x = full.beg;
            *y = full.end;
        }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

bool QVParams::GetObjectParameter(AKObject const* object, unsigned int id, unsigned int index, double* x, double* y,
                                  QVPrmType* type)
{
    QVParamInfo const& info = GetByID(id);
    if (info.IsNull())
        return false;
    double valueX = 0.0;
    double valueY = 0.0;
    bool answered = false;

    QVParamTargets const target = QVParamTargetOf(object);
    if ((QVParamGetTargets(id) & target) != 0) {
        if (target == kQVParamTargetTrack) {
            answered = GetTrack(static_cast<QVObjectTrack const*>(object), id, &valueX, &valueY);
        } else {
            auto const* playable = static_cast<QVObjectPlayable const*>(object);
            bool const pluginRow = id == kQVPrmID_PluginBypass || id == kQVPrmID_PluginParam;
            if (!pluginRow || playable->GetPluginInstance() != nullptr)
                answered = GetPlayable(playable, id, index, &valueX, &valueY);
        }
        if (!answered)
            valueX = valueY = 0.0;
    }
    if (x != nullptr)
        *x = valueX;
    if (y != nullptr)
        *y = valueY;
    if (type != nullptr)
        *type = info.GetType();
    return answered;
}
