#include "QVAudioInfo.h"

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKValueTyped.h"

#include <cmath>
#include <limits>

bool QVAudioInfo::IsUsableSampleRate(double rate)
{
    // Also refuses NaN, infinities, zero, negative and subnormal rates.
    return std::isfinite(rate) && rate >= std::numeric_limits<double>::min();
}

bool QVAudioInfo::Setup(unsigned int channels, unsigned long long frames, double rate)
{
    unsigned long long samples = 0;
    double const seconds = IsUsableSampleRate(rate) ? static_cast<double>(frames) / rate : 0.0;
    if (channels == 0 || !IsUsableSampleRate(rate) || !std::isfinite(seconds) ||
        __builtin_mul_overflow(static_cast<unsigned long long>(channels), frames, &samples)) {
        Clear();
        return false;
    }
    isValid = 1;
    channelCount = channels;
    frameCount = frames;
    sampleCount = samples;
    sampleRate = rate;
    duration = seconds;
    return true;
}

void QVAudioInfo::Clear()
{
    isValid = 0;
    channelCount = 0;
    frameCount = 0;
    sampleCount = 0;
    sampleRate = 0.0;
    duration = 0.0;
}

int QVAudioInfo::WriteToFile(AKFile& file) const
{
    int status = AKFileWriteUInt32(file, channelCount);
    if (status == 0)
        status = AKFileWriteUInt64(file, frameCount);
    if (status == 0)
        status = AKFileWriteFloat64(file, sampleRate);
    return status;
}

int QVAudioInfo::ReadFromFile(AKFile const& file)
{
    unsigned int channels = 0;
    unsigned long long frames = 0;
    double rate = 0.0;
    int status = AKFileReadUInt32(file, &channels);
    if (status == 0)
        status = AKFileReadUInt64(file, &frames);
    if (status == 0)
        status = AKFileReadFloat64(file, &rate);
    if (status != 0) {
        Clear();
        return status;
    }
    // Numbers that describe no stream leave the info cleared, which is an
    // answer, not a failure.
    Setup(channels, frames, rate);
    return 0;
}

void QVAudioInfo::WriteToValue(AKValue* value) const
{
    if (value == nullptr)
        return;
    AKDictionary dictionary;
    dictionary.SetValue(kQVAudioInfoKeyChannelCount, AKValueSetasUInt(channelCount));
    dictionary.SetValue(kQVAudioInfoKeyFrameCount, AKValueSetasUInt(frameCount));
    dictionary.SetValue(kQVAudioInfoKeySampleRate, AKValueSetasFloat64(sampleRate));
    AKValueSetasAKDictionary(value, dictionary);
}

bool QVAudioInfo::ReadFromValue(AKValue const& value, bool convert)
{
    AKDictionary const& dictionary = AKValueGetasAKDictionary(value);
    if (dictionary.IsEmpty())
        return true;

    unsigned int channels = 0;
    unsigned long long frames = 0;
    double rate = 0.0;
    bool const hasChannels = AKValueGetasUInt(dictionary.GetValue(kQVAudioInfoKeyChannelCount), &channels, convert);
    bool const hasFrames = AKValueGetasUInt(dictionary.GetValue(kQVAudioInfoKeyFrameCount), &frames, convert);
    bool const hasRate = AKValueGetasFloat64(dictionary.GetValue(kQVAudioInfoKeySampleRate), &rate, convert);
    if (hasChannels || hasFrames || hasRate)
        Setup(channels, frames, rate);
    return true;
}
