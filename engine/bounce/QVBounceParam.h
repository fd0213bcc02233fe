#pragma once

// QVBounceParam: what a bounce writes: the sound-file format and PCM
// layout, the channel count, the sample rate, the duration (0 or less:
// until the sequence falls silent) and which of the sequence's tracks to
// keep (their indexes in child order; empty: all). The "Bounce" dictionary
// of a document's settings holds the first five.

#include "AKDictionary.h"
#include "AKString.h"
#include "ATArray.h"
#include "QVAudioFormat.h"
#include "QVAudioInfo.h"
#include "QVAudioPCMInfo.h"

// Bounds that Check applies and CanApply tests.
constexpr unsigned int kQVBounceChannelCountMax = 16;
constexpr double kQVBounceSampleRateMin = 8000.0;
constexpr double kQVBounceSampleRateMax = 192000.0;
constexpr double kQVBounceDurationMin = 0.01;

// Dictionary keys.
constexpr char kQVBounceParamKey[] = "Bounce";
constexpr char kQVBounceParamKeySoundFormat[] = "SoundFormat";
constexpr char kQVBounceParamKeySoundFormatInfo[] = "SoundFormatInfo";
constexpr char kQVBounceParamKeyChannelCount[] = "ChannelCount";
constexpr char kQVBounceParamKeySampleRate[] = "SampleRate";
constexpr char kQVBounceParamKeyDuration[] = "Duration";

using QVBounceTrackIndexes = ATArray<unsigned int>;

struct QVBounceParam {
    QVAudioFormat soundFormat = kQVNullAudioFormat;
    QVAudioPCMInfo pcmInfo = kQVNullAudioPCMInfo;
    unsigned int channelCount = 0;
    double sampleRate = 0.0;
    double duration = 0.0;  // seconds; 0 or less: until silence
    QVBounceTrackIndexes trackIndexes;

    // The empty parameters: null format, zeros, all tracks.
    QVBounceParam() = default;
    explicit QVBounceParam(AKDictionary const& settings) { SetupFromDictionary(settings); }
    QVBounceParam(AKDictionary const& settings, QVBounceTrackIndexes const& tracks)
    {
        SetupFromDictionary(settings);
        trackIndexes = tracks;
    }

    // The localised word "Bounce".
    static char const* Name();

    // The record format and layout, the output device's channel count and
    // rate, until silence, all tracks.
    void SetupFromCurrentPrefs();
    // The current preferences, then what the "Bounce" dictionary holds
    // (each key only when present), then Check. The track indexes stay.
    void SetupFromDictionary(AKDictionary const& settings);
    // Writes the five keys under "Bounce".
    void WriteToDictionary(AKDictionary* settings) const;

    // Brings channels, rate and a positive duration into their ranges.
    void Check();
    // False with the first failing test's message; true with it cleared.
    bool CanApply(AKString* message) const;

    QVAudioFileInfo GetSoundFileInfo() const;
    AKString GetSoundFileExtension() const;
};
