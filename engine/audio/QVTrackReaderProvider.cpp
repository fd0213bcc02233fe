// Reading one zone's sound into a block: an exact copy at ratio +-1, else
// the windowed-sinc resampler over a source stretch copied into the working
// memory (all channels at once, or one at a time for high ratios).

#include "QVAudioMemory.h"
#include "QVProvider.h"
#include "QVResampler.h"
#include "QVTrackReader.h"

#include <cmath>

namespace {

// A ratio this close to +-1 reads the sound as it is.
constexpr double kExactRatioTolerance = 1e-6;
// Source positions are kept well inside what a frame index holds.
constexpr double kPositionLimit = 4.0e18;

}  // namespace

unsigned int QVTrackReader::GetResamplingQuality() const
{
    return mQuality != 0 ? mQuality : mMemory.GetResamplingQuality();
}

bool QVTrackReader::GrabAudioBlockOfProvider(QXSampleBuffer<double>* buffer, double fraction,
                                             QVProvider const* provider, double sourceTime, double zoneScale,
                                             double speed, unsigned int resampleFlags, bool exactAllowed,
                                             bool* exact) const
{
    if (exact != nullptr)
        *exact = false;
    if (buffer == nullptr || buffer->IsEmpty())
        return false;
    double const providerRate = provider != nullptr ? provider->GetFileInfo().sampleRate : 0.0;
    double const ratio = speed * providerRate / (zoneScale * buffer->SampleRate());
    double const position = sourceTime * providerRate - fraction * ratio;
    if (!(providerRate > 0.0) || !std::isfinite(ratio) || !(std::fabs(position) < kPositionLimit)) {
        buffer->Zeroset(kQVSampleRangeAll);
        return false;
    }
    long long whole = static_cast<long long>(std::floor(position));
    double phase = position - static_cast<double>(whole);
    if (phase >= 1.0) {  // a position just below a whole frame rounds up
        ++whole;
        phase = 0.0;
    }
    long long const frames = static_cast<long long>(buffer->FrameCount());

    if (exactAllowed &&
        (std::fabs(ratio - 1.0) <= kExactRatioTolerance || std::fabs(ratio + 1.0) <= kExactRatioTolerance)) {
        // Backwards, frame j is the one before position - j: the copy of
        // the stretch ending at the position, reversed.
        long long const start = whole - (ratio < 0.0 ? frames : 0) + (phase >= 0.5 ? 1 : 0);
        bool const copied = provider->CopySampleBuffer(buffer, -1, -1, start, true, nullptr);
        if (copied && ratio < 0.0)
            buffer->Reverse(kQVSampleRangeAll);
        if (exact != nullptr)
            *exact = copied;
        return copied;
    }

    unsigned int const quality = GetResamplingQuality() | resampleFlags | QVSig::kResampleQualityNoExactCopy;
    unsigned long long border = 0;
    unsigned long long needed = 0;
    unsigned long long total = 0;
    buffer->ComputeSourceFrameCountNeededToResample(ratio, &border, &needed, &total);
    long long const start = whole - static_cast<long long>(border) - (ratio < 0.0 ? static_cast<long long>(needed) : 0);
    QVSampleRange const body = QVSampleRangeMake(kQVSampleRangeAllChannels, border, needed);

    bool result = false;
    if (total <= mMemory.GetResamplingSourceFrameCount()) {
        QXSampleBuffer<double>* const source = mMemory.RetainWorkingBuffer(4);
        if (source != nullptr) {
            if (source->SetWorkingChannelCount(buffer->ChannelCount(), true) &&
                source->StackWorkingSubRange(0, total) &&
                provider->CopySampleBuffer(source, -1, -1, start, true, nullptr))
                result = buffer->CopyCastResample(*source, kQVSampleRangeAll, body, ratio, phase, quality, nullptr);
            source->ResetAllWorkingSubRanges();
            source->ResetWorkingChannelCount();
            mMemory.ReleaseWorkingBuffer(*source);
        }
    } else if (total <= mMemory.GetWideResamplingSourceFrameCount()) {
        QXSampleBuffer<double>* const source = mMemory.RetainWorkingBuffer(5);
        if (source != nullptr) {
            unsigned int const channels = provider->GetFileInfo().channelCount;
            if (source->StackWorkingSubRange(0, total)) {
                buffer->Zeroset(kQVSampleRangeAll);  // channels that fail stay silent
                for (unsigned int c = 0; c < buffer->ChannelCount() && c < channels; ++c) {
                    if (provider->CopySampleBuffer(source, 0, static_cast<int>(c), start, true, nullptr) &&
                        buffer->CopyCastResample(*source,
                                                 QVSampleRangeMake(static_cast<int>(c), 0, kQVSampleRangeToEnd),
                                                 QVSampleRangeMake(0, border, needed), ratio, phase, quality, nullptr))
                        result = true;
                }
            }
            source->ResetAllWorkingSubRanges();
            mMemory.ReleaseWorkingBuffer(*source);
        }
    }
    if (!result)
        buffer->Zeroset(kQVSampleRangeAll);
    return result;
}
