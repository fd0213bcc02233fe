#include "QVPlayableRTStateInputs.h"

#include "QVObjectPlayable.h"
#include "QVPrefs.h"

QVPlayableRTInputs QVReadPlayableRTInputs(QVObjectPlayable const& playable)
{
    QVPlayableRTInputs in;
    in.kind = playable.GetKind();
    in.rActive = playable.IsRActive();
    in.play = playable.IsUserPlay();
    in.rewind = playable.IsUserRewind();
    in.forward = playable.IsUserForward();
    in.scrub = playable.IsUserScrub();
    in.loop = playable.IsUserLoop();
    in.scrubFollow = playable.IsScrubFollow();
    in.gain = playable.GetUserGain();
    in.panora = playable.GetUserPanora();
    in.fadio = playable.GetUserFadio();
    in.speed = playable.GetUserSpeed();
    in.speedSubx = playable.GetUserSpeedSubx();
    in.time = playable.GetUserTime();
    in.span = playable.GetUserSpan();
    in.scrubSpeed = playable.GetScrubSpeed();
    in.rwdFwdSpeed = playable.GetRwdFwdSpeed();
    in.wowOffset = playable.GetWowOffset();
    return in;
}

QVPlayableRTPrefs QVReadPlayableRTPrefs(QVPrefs const& prefs)
{
    QVPlayableRTPrefs out;
    out.rwdFwdGainAttenuation = prefs.GetPlayerRwdFwdGainAttenuation();
    out.multiAutoPlayWhenScrub = prefs.GetPlayerMultiAutoPlayWhenScrub();
    out.multiSpanConfinedInSel = prefs.GetPlayerMultiSpanConfinedInSel();
    out.fullSeqInLoopMode = prefs.GetSequenceFullSeqInLoopMode();
    return out;
}
