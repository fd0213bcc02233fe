#include "QVBounceParam.h"

#include "AKValueTyped.h"
#include "QVAudioChannelsBitmap.h"
#include "QVLocale.h"
#include "QVPrefs.h"

#include <algorithm>

namespace {

double DurationMax() { return QVPrefs::sShared.GetBounceExportMaxDuration(); }

}  // namespace

char const* QVBounceParam::Name() { return QVLocaleGetString("Bounce"); }

void QVBounceParam::SetupFromCurrentPrefs()
{
    QVPrefs const& prefs = QVPrefs::sShared;
    soundFormat = prefs.GetRecordSoundFormat();
    pcmInfo = prefs.GetRecordSoundFormatInfo();
    channelCount =
        static_cast<unsigned int>(QVAudioChannelsBitmapGetChannelCount(prefs.GetPortAudioOutChannelsBitmap()));
    sampleRate = prefs.GetPortAudioSampleRate();
    duration = 0.0;
    trackIndexes.Clear();
}

void QVBounceParam::SetupFromDictionary(AKDictionary const& settings)
{
    QVBounceTrackIndexes const tracks = trackIndexes;
    SetupFromCurrentPrefs();
    trackIndexes = tracks;
    AKString const bounceKey(kQVBounceParamKey);
    if (!settings.ContainsKey(bounceKey))
        return;
    AKDictionary bounce;
    if (!AKValueGetasAKDictionary(settings.GetValue(bounceKey), &bounce) || bounce.IsEmpty())
        return;
    AKString const formatKey(kQVBounceParamKeySoundFormat);
    if (bounce.ContainsKey(formatKey))
        AKValueGetasQVAudioFormat(bounce.GetValue(formatKey), &soundFormat);
    AKString const pcmKey(kQVBounceParamKeySoundFormatInfo);
    if (bounce.ContainsKey(pcmKey))
        AKValueGetasQVAudioPCMInfo(bounce.GetValue(pcmKey), &pcmInfo);
    AKString const channelsKey(kQVBounceParamKeyChannelCount);
    if (bounce.ContainsKey(channelsKey))
        AKValueGetasUInt(bounce.GetValue(channelsKey), &channelCount, true);
    AKString const rateKey(kQVBounceParamKeySampleRate);
    if (bounce.ContainsKey(rateKey))
        AKValueGetasFloat64(bounce.GetValue(rateKey), &sampleRate, true);
    AKString const durationKey(kQVBounceParamKeyDuration);
    if (bounce.ContainsKey(durationKey))
        AKValueGetasFloat64(bounce.GetValue(durationKey), &duration, true);
    Check();
}

void QVBounceParam::WriteToDictionary(AKDictionary* settings) const
{
    AKDictionary bounce;
    bounce.SetValue(AKString(kQVBounceParamKeySoundFormat), AKValueSetasQVAudioFormat(soundFormat));
    bounce.SetValue(AKString(kQVBounceParamKeySoundFormatInfo), AKValueSetasQVAudioPCMInfo(pcmInfo));
    bounce.SetValue(AKString(kQVBounceParamKeyChannelCount), AKValueSetasUInt(channelCount));
    bounce.SetValue(AKString(kQVBounceParamKeySampleRate), AKValueSetasFloat64(sampleRate));
    bounce.SetValue(AKString(kQVBounceParamKeyDuration), AKValueSetasFloat64(duration));
    settings->SetValue(AKString(kQVBounceParamKey), AKValueSetasAKDictionary(bounce));
}

void QVBounceParam::Check()
{
    channelCount = std::clamp(channelCount, 1u, kQVBounceChannelCountMax);
    if (!(sampleRate >= kQVBounceSampleRateMin))  // NaN too
        sampleRate = kQVBounceSampleRateMin;
    sampleRate = std::min(sampleRate, kQVBounceSampleRateMax);
    if (duration > 0.0)
        duration = std::clamp(duration, kQVBounceDurationMin, std::max(kQVBounceDurationMin, DurationMax()));
    else if (!(duration <= 0.0))  // NaN: until silence
        duration = 0.0;
}

bool QVBounceParam::CanApply(AKString* message) const
{
    AKString text;
    if (soundFormat == kQVNullAudioFormat)
        text.Assign("Undefined sound-file format");
    else if (channelCount == 0)
        text.Assign("No channel (1 at least)");
    else if (channelCount > kQVBounceChannelCountMax)
        text.Assignf("Too many channels (%u at maximum)", kQVBounceChannelCountMax);
    else if (!(sampleRate >= kQVBounceSampleRateMin))
        text.Assignf("Sample-Rate is too small (%.0lf at least)", kQVBounceSampleRateMin);
    else if (sampleRate > kQVBounceSampleRateMax)
        text.Assignf("Sample-Rate is too big (%.0lf at maximum)", kQVBounceSampleRateMax);
    else if (duration > 0.0 && duration < kQVBounceDurationMin)
        text.Assignf("Duration is too small (%.3lf second at least)", kQVBounceDurationMin);
    else if (duration > 0.0 && duration > DurationMax())
        text.Assignf("Duration is too big (%.0lf seconds at maximum)", DurationMax());
    else if (!QVAudioPCMInfoIsValid(pcmInfo))
        text.Assign("Invalid sound-file PCM info");
    else if (!GetSoundFileInfo().IsValid() || GetSoundFileInfo().format == kQVNullAudioFormat)
        text.Assign("Invalid sound-file info");
    if (message != nullptr)
        *message = text;
    return text.IsEmpty();
}

QVAudioFileInfo QVBounceParam::GetSoundFileInfo() const
{
    QVAudioFileInfo info;
    if (!info.SetupForWrite(soundFormat, channelCount, sampleRate, pcmInfo, 0.0))
        info.Clear();
    return info;
}

AKString QVBounceParam::GetSoundFileExtension() const { return QVAudioFormatGetFileExtension(soundFormat); }
