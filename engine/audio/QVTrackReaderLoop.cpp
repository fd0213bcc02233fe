// A looping player's block: cut into one piece per pass through the loop
// window, each read from the track and cross-faded with the next at the
// loop point.

#include "QVAudioMemory.h"
#include "QVPlayableConstants.h"
#include "QVTrackReader.h"

#include <algorithm>
#include <cmath>

namespace {

// A pass through the window shorter than this (in the player's time) is silent.
constexpr double kLoopWindowDurMin = 0.0005;
// Relative speeds this small leave the head standing in the window.
constexpr double kStillSpeed = 1e-6;

QVSampleRange NormRange(AKNormIntv intv) { return QVSampleRangeMakeNorm(kQVSampleRangeAllChannels, intv); }

void ApplySectorFades(QXSampleBuffer<double>* buffer, QVAudioSector const& sector)
{
    if (sector.DesHasFadi)
        buffer->ApplyFadeIn(sector.DesFadiNormCoeff, NormRange(sector.DesFadiNormIntv));
    if (sector.DesHasFado)
        buffer->ApplyFadeOut(sector.DesFadoNormCoeff, NormRange(sector.DesFadoNormIntv));
}

}  // namespace

bool QVTrackReader::ComputeLoopDesc(QVAudioLoopDesc* desc, AKTimeIntv window, double fade, double time, double dt,
                                    double parentSpeed, double speed)
{
    desc->Clear();
    double const length = window.end - window.beg;
    if (!(length >= kQVEngineSpanDurMin))
        return false;
    double const v = speed;
    double const vp = parentSpeed;
    double const w = v - vp;
    if (!std::isfinite(w) || !std::isfinite(time) || !(dt > 0.0) || !std::isfinite(dt))
        return true;
    if (std::fabs(w) <= kStillSpeed) {
        QVAudioSector sector;
        sector.SrcPlayTimeIntv = {time, time + dt * v};
        sector.DesBodyNormIntv = kAKUnaryNormIntv;
        sector.DesIsFull = true;
        desc->Push(sector);
        return true;
    }
    double const pass = length / std::fabs(w);
    double const phase = v >= vp ? (window.beg * v - time * vp) / w : (window.end * v - time * vp) / w - length;
    if (std::fabs(pass * v) < kLoopWindowDurMin)
        return true;
    double const t0 = ((vp > v ? window.end : window.beg) - time) / w;
    double const f = std::min(std::max(fade, 0.0), length);
    double lo, hi;
    if (pass > f) {
        lo = t0 - f / 2.0;
        hi = t0 + pass + f / 2.0;
    } else {
        double const middle = t0 + pass / 2.0;
        lo = middle - f;
        hi = middle + f;
    }
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return true;
    for (double j = std::ceil(-hi / pass) - 1.0;; j += 1.0) {
        double const sj = lo + j * pass;
        double const ej = hi + j * pass;
        double const s = std::max(0.0, sj);
        double const e = std::min(dt, ej);
        if (e <= s) {
            if (j > 0.0 || sj >= dt)
                break;
            continue;
        }
        // The list never grows on the block thread: passes beyond its
        // reserved room (a tiny window at a high speed) stay silent.
        if (desc->Count() >= kQVAudioSectorListReserve)
            break;
        QVAudioSector sector;
        double const shift = v >= vp ? -j * length + phase : (j + 1.0) * length + phase;
        sector.SrcPlayTimeIntv = {(s - t0) * v + shift, (e - t0) * v + shift};
        sector.DesBodyNormIntv = {s / dt, e / dt};
        sector.DesIsFull = sector.DesBodyNormIntv == kAKUnaryNormIntv;
        if (f > 0.0) {
            double const fadiEnd = std::min(dt, sj + f);
            if (fadiEnd > s) {
                sector.DesHasFadi = true;
                sector.DesFadiNormIntv = {s / dt, fadiEnd / dt};
                sector.DesFadiNormCoeff = {(s - sj) / f, (fadiEnd - sj) / f};
            }
            double const fadoBeg = std::max(0.0, ej - f);
            if (e > fadoBeg) {
                sector.DesHasFado = true;
                sector.DesFadoNormIntv = {fadoBeg / dt, e / dt};
                sector.DesFadoNormCoeff = {(fadoBeg - (ej - f)) / f, (e - (ej - f)) / f};
            }
        }
        desc->Push(sector);
    }
    return true;
}

bool QVTrackReader::GrabAudioBlockOfTrackZonesInLoop(QXSampleBuffer<double>* buffer, QVTrackReadSource const& source,
                                                     QVAudioLoopDesc const& loop, double speed, double pan,
                                                     unsigned int* hint, bool exactAllowed, bool* exact) const
{
    if (exact != nullptr)
        *exact = false;
    if (buffer == nullptr)
        return false;
    // A lone pass over the whole block is zeroed or written, every frame, by
    // the zone read itself: clearing it here first would only be redone.
    bool const onePassFills = loop.Count() == 1 && loop[0].DesIsFull;
    if (!onePassFills)
        buffer->Zeroset(kQVSampleRangeAll);
    if (loop.IsEmpty() || buffer->IsEmpty())
        return false;

    if (loop.Count() == 1) {
        QVAudioSector const& sector = loop[0];
        if (!buffer->StackWorkingSubRange(sector.DesBodyNormIntv)) {
            buffer->Zeroset(kQVSampleRangeAll);
            return false;
        }
        bool const result =
            GrabAudioBlockOfTrackZones(buffer, source, sector.SrcPlayTimeIntv, speed, pan, hint, exactAllowed, exact);
        buffer->UnstackWorkingSubRange();
        if (result)
            ApplySectorFades(buffer, sector);
        return result;
    }

    QXSampleBuffer<double>* const pass = mMemory.RetainWorkingBufferSameAs(*buffer);
    if (pass == nullptr)
        return false;
    bool result = false;
    for (QVAudioSector const& sector : loop) {
        if (!pass->StackWorkingSubRange(sector.DesBodyNormIntv))
            continue;
        bool passExact = false;
        bool const rendered = GrabAudioBlockOfTrackZones(pass, source, sector.SrcPlayTimeIntv, speed, pan, hint,
                                                         exactAllowed, &passExact);
        pass->UnstackWorkingSubRange();
        if (!rendered)
            continue;
        ApplySectorFades(pass, sector);
        buffer->CopyAdd(*pass, NormRange(sector.DesBodyNormIntv));
        result = true;
        if (exact != nullptr)
            *exact = passExact;
    }
    mMemory.ReleaseWorkingBuffer(*pass);
    return result;
}

bool QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(QXSampleBuffer<double> const& extended,
                                                       QXSampleBuffer<double>* block, QXSampleBuffer<double>* overlap,
                                                       bool apply)
{
    if (block == nullptr)
        return false;
    unsigned long long const frames = block->FrameCount();
    block->Copy(extended, QVSampleRangeMake(kQVSampleRangeAllChannels, 0, frames));
    if (overlap == nullptr || overlap->IsEmpty())
        return false;
    unsigned long long const kept = std::min(overlap->FrameCount(), frames);
    QVSampleRange const start = QVSampleRangeMake(kQVSampleRangeAllChannels, 0, kept);
    bool smoothed = false;
    // Any jump (a time change, an edit, a loop retake) is smoothed from the
    // old stream's tail; a continuous stream is left as it is.
    if (apply && !block->IsAlmostEqual(*overlap, start, 0.0001)) {
        block->CopyAddWithXFade(*overlap, 0.0, 1.0, start);
        smoothed = true;
    }
    overlap->Copy(extended, QVSampleRangeMake(kQVSampleRangeAllChannels, 0, overlap->FrameCount()),
                  QVSampleRangeMake(kQVSampleRangeAllChannels, frames, overlap->FrameCount()));
    return smoothed;
}
