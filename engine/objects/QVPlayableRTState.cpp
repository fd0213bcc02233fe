#include "QVPlayableRTState.h"

#include "AKSys.h"

#include <cmath>

namespace {

// The positive remainder of c in a window of length l (l > 0); a negative c
// counts back from the far end.
double WrapInto(double c, double l) { return c >= 0.0 ? std::fmod(c, l) : l - std::fmod(-c, l); }

bool IsRampOrScrub(QVPlayableRTInputs const& in) { return in.rewind || in.forward || in.scrub; }

// Scrub speed, the rewind/forward ramp, or Speed with its wander.
double EffectiveSpeed(QVPlayableRTInputs const& in)
{
    if (in.scrub)
        return in.scrubSpeed;
    if (in.rewind)
        return -in.rwdFwdSpeed;
    if (in.forward)
        return in.rwdFwdSpeed;
    return in.speed + in.wowOffset;
}

bool IsLooping(QVPlayableRTInputs const& in, QVPlayableRTState const& parent)
{
    return !parent.subsNoLoop && (parent.subsLoop || in.loop) && !IsRampOrScrub(in);
}

double BlockGain(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs)
{
    return (in.rewind || in.forward) ? in.gain * prefs.rwdFwdGainAttenuation : in.gain;
}

}  // namespace

void QVSetPlayableRTInfo(QVPlayableRTInfo* info, bool active, bool sounding, bool pluginTail, bool markNow,
                         unsigned long long trackMask)
{
    info->rtActive = active;
    info->rtSounding = sounding;
    info->rtPluginTail = pluginTail;
    info->rtTrackMask = trackMask;
    if (markNow)
        info->rtMarkTime = AKSys::GetCurrentApplicationTimeMicroSec() * 1e-6;
}

AKTimeIntv LowComputeReducedLiveIntv(QVPlayableKind /*kind*/, AKTimeIntv interval, double span, bool* collapsed)
{
    *collapsed = false;
    double const length = interval.end - interval.beg;
    if (!(length > 0.0))
        return interval;
    if (span < length)
        return AKTimeIntv{interval.beg + 0.5 * span, interval.end - 0.5 * span};
    *collapsed = true;
    double const beg = 0.5 * (interval.beg + interval.end) - 5e-7;
    return AKTimeIntv{beg, beg + 1e-6};
}

void QVPlayableRTEnterLiveIntv(QVPlayableRTState* state, QVPlayableRTState const& previous)
{
    if ((previous.playing && !previous.scrubbing) || !(state->liveEnd - state->liveBeg > 0.0))
        return;
    if (state->speed >= 0.0) {
        if (state->timeBeg < state->liveBeg || state->timeBeg >= state->liveEnd)
            state->timeBeg = state->liveBeg;
    } else if (state->timeBeg <= state->liveBeg || state->timeBeg > state->liveEnd) {
        state->timeBeg = state->liveEnd;
    }
}

void QVPlayableRTRunToEdge(QVPlayableRTState* state, double dt)
{
    state->timeEnd = dt > 0.0 ? state->timeBeg + state->speed * dt : state->timeBeg;
    if (state->speed >= 0.0) {
        if (state->timeEnd >= state->liveEnd) {
            state->timeEnd = state->liveEnd;
            state->reachedEnd = true;
        }
    } else if (state->timeEnd <= state->liveBeg) {
        state->timeEnd = state->liveBeg;
        state->reachedEnd = true;
    }
}

void QVPlayableRTWrapAtomic(QVPlayableRTState* state, double parentSpeed, double dt)
{
    double const length = state->liveEnd - state->liveBeg;
    if (!(length > 0.0)) {
        state->timeEnd = state->timeBeg + state->speed * dt;
        return;
    }
    if (state->speed >= parentSpeed) {
        double const c = (state->speed - parentSpeed) * dt + (state->timeBeg - state->liveBeg);
        state->timeEnd = parentSpeed * dt + state->liveBeg + WrapInto(c, length);
    } else {
        double const c = (parentSpeed - state->speed) * dt + (state->liveEnd - state->timeBeg);
        state->timeEnd = parentSpeed * dt + state->liveEnd - WrapInto(c, length);
    }
}

void QVPlayableRTWrapCursor(QVPlayableRTState* state, double dt)
{
    double const x = state->timeBeg + state->speed * dt;
    double const length = state->liveEnd - state->liveBeg;
    if (!(length > 0.0))
        state->timeEnd = x;
    else if (state->speed >= 0.0)
        state->timeEnd = state->liveBeg + WrapInto(x - state->liveBeg, length);
    else
        state->timeEnd = state->liveEnd - WrapInto(state->liveEnd - x, length);
    state->subsTimeShift = state->timeEnd - x;
}

bool QVPlayableRTRampRwdFwdSpeed(double* speed, double target, double dt)
{
    bool changed = false;
    if (*speed < target) {
        *speed *= std::pow(kQVEngineRwdFwdRampFactor, kQVEngineRTTimeBase * dt);
        changed = true;
    }
    if (*speed > target) {
        *speed = target;
        changed = true;
    }
    return changed;
}

QVPlayableRTState QVComputeSequenceRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                           AKTimeIntv fullIntv)
{
    QVPlayableRTState s = kQVNullPlayableRTState;
    s.active = in.rActive;
    s.scrubbing = in.scrub;
    s.speed = in.scrub ? in.scrubSpeed : 0.0;
    s.subsLoop = in.scrub;
    s.subSpeedFactor = 1.0;
    s.gain = s.totalGain = in.gain;
    s.pan = in.panora;
    s.timeBeg = s.timeEnd = in.time;
    if (in.span > 0.0) {
        s.subsNoLoop = false;
        s.subsBeg = in.time - 0.5 * in.span;
        s.subsEnd = in.time + 0.5 * in.span;
    } else {
        s.subsNoLoop = !prefs.fullSeqInLoopMode;
        s.subsBeg = fullIntv.beg;
        s.subsEnd = fullIntv.end;
    }
    return s;
}

QVPlayableRTState QVComputeCursorRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                         QVPlayableRTState const& parent, QVPlayableRTState const& previous, double dt)
{
    QVPlayableRTState s = kQVNullPlayableRTState;
    s.active = in.rActive;
    s.playing = in.play || in.rewind || in.forward || in.scrub;
    s.scrubbing = in.scrub;
    s.subsPlaying = in.play || in.rewind || in.forward || (in.scrub && prefs.multiAutoPlayWhenScrub);
    s.speed = EffectiveSpeed(in);
    s.looping = IsLooping(in, parent);
    s.subsLoop = true;
    s.subSpeedFactor = in.speedSubx;
    s.gain = BlockGain(in, prefs);
    s.totalGain = parent.totalGain * s.gain;
    s.pan = parent.pan + in.panora;
    s.fade = in.fadio;
    s.liveBeg = parent.subsBeg;
    s.liveEnd = parent.subsEnd;
    s.timeBeg = in.time;
    if (prefs.multiSpanConfinedInSel && s.liveEnd - s.liveBeg > 0.0) {
        bool collapsed = false;
        AKTimeIntv const live =
            LowComputeReducedLiveIntv(in.kind, AKTimeIntv{s.liveBeg, s.liveEnd}, in.span, &collapsed);
        s.liveBeg = live.beg;
        s.liveEnd = live.end;
        if (collapsed)
            s.speed = 0.0;
    }

    if (!s.playing || s.scrubbing) {
        s.timeEnd = s.timeBeg;
    } else {
        QVPlayableRTEnterLiveIntv(&s, previous);
        if (!s.looping)
            QVPlayableRTRunToEdge(&s, dt);
        else if (dt > 0.0)
            QVPlayableRTWrapCursor(&s, dt);
        else
            s.timeEnd = s.timeBeg;
    }

    double const centre = s.timeBeg + s.subsTimeShift;
    s.subsBeg = centre - 0.5 * in.span;
    s.subsEnd = s.subsBeg + in.span;
    return s;
}

QVPlayableRTState QVComputeAtomicRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                         QVPlayableRTState const& parent, QVPlayableRTState const& previous, double dt)
{
    QVPlayableRTState s = kQVNullPlayableRTState;
    s.active = in.rActive;
    s.playing = parent.subsPlaying || in.play || in.rewind || in.forward || in.scrub;
    s.scrubbing = in.scrub;
    s.speed = EffectiveSpeed(in);
    if (!IsRampOrScrub(in))
        s.speed *= parent.subSpeedFactor;
    s.looping = IsLooping(in, parent);
    s.gain = BlockGain(in, prefs);
    s.totalGain = parent.totalGain * s.gain;
    s.pan = parent.pan + in.panora;
    s.fade = parent.fade * in.fadio;
    s.liveBeg = parent.subsBeg;
    s.liveEnd = parent.subsEnd;
    s.timeBeg = parent.subsTimeShift + in.time;
    if (s.active && std::fabs(s.speed) <= kQVEngineSpeedEpsilon)
        s.active = false;

    if (!s.playing) {
        s.timeEnd = s.timeBeg;
    } else if (s.scrubbing) {
        QVPlayableRTEnterLiveIntv(&s, previous);
        s.timeEnd = in.scrubFollow ? s.timeBeg + s.speed * dt : s.timeBeg;
    } else {
        QVPlayableRTEnterLiveIntv(&s, previous);
        if (!s.looping)
            QVPlayableRTRunToEdge(&s, dt);
        else if (dt > 0.0)
            QVPlayableRTWrapAtomic(&s, parent.scrubbing ? 0.0 : parent.speed, dt);
        else
            s.timeEnd = s.timeBeg;
    }
    return s;
}
