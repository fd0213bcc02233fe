// QVAudioCallbackLow: the born and dead fades.

#include "QVAudioCallbackLow.h"

#include "QVPrefs.h"

#include <algorithm>
#include <cmath>

namespace {

// The born/dead fade's frames at the buffer's rate, at most the valid ones.
unsigned long long BornFadeFrames(QXSampleBuffer<double> const& buffer, unsigned long long valid)
{
    return std::min(
        valid, QVAudioCallbackLow::FadeFrameCount(QVPrefs::sShared.GetEngineBornFadeDuration(), buffer.SampleRate()));
}

}  // namespace

unsigned long long QVAudioCallbackLow::FadeFrameCount(double duration, double rate)
{
    double const frames = std::floor(std::max(0.0, duration) * rate + 0.5);
    return frames > 0.0 ? static_cast<unsigned long long>(frames) : 0;
}

void QVAudioCallbackLow::ApplyOnBornBufferFadeIn(QXSampleBuffer<double>* buffer, unsigned long long validFrames,
                                                 bool) const
{
    unsigned long long const valid = std::min(buffer->FrameCount(), validFrames);
    unsigned long long const fade = BornFadeFrames(*buffer, valid);
    if (fade > 0)
        buffer->ApplyFadeIn(0.0, 1.0, QVSampleRangeMake(kQVSampleRangeAllChannels, 0, fade));
}

void QVAudioCallbackLow::ApplyOnDeadBufferFadeOut(QXSampleBuffer<double>* buffer, unsigned long long validFrames,
                                                  bool) const
{
    unsigned long long const total = buffer->FrameCount();
    unsigned long long const valid = std::min(total, validFrames);
    unsigned long long const fade = BornFadeFrames(*buffer, valid);
    if (fade > 0)
        buffer->ApplyFadeOut(0.0, 1.0, QVSampleRangeMake(kQVSampleRangeAllChannels, valid - fade, fade));
    if (valid < total)
        buffer->Zeroset(QVSampleRangeMake(kQVSampleRangeAllChannels, valid, total - valid));
}
