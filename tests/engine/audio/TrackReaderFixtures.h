#pragma once

// Synthetic sounds for the track reader's tests and benchmarks: a signal
// computed per frame and channel is written as a 32-bit float sound file
// with libsndfile and loaded into a provider; zone lists over such sounds.

#include "AKIdlingCenter.h"
#include "QVProvider.h"
#include "QVProviderReleaseQueue.h"
#include "QVTrackZoneArray.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TrackReaderFixtures {

typedef std::function<double(unsigned long long frame, unsigned int channel)> Signal;

inline Signal Sine(double frequency, double rate, double amplitude)
{
    return [=](unsigned long long frame, unsigned int channel) {
        return amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(frame) / rate + 0.5 * channel);
    };
}
inline Signal Dc(double value)
{
    return [=](unsigned long long, unsigned int channel) { return value * (channel + 1); };
}
// Distinct values per frame and channel, exact in a float.
inline Signal Ramp()
{
    return [](unsigned long long frame, unsigned int channel) {
        return static_cast<double>(frame % 4096) / 8192.0 - static_cast<double>(channel) / 4.0;
    };
}
inline Signal Impulse(unsigned long long at)
{
    return [=](unsigned long long frame, unsigned int) { return frame == at ? 1.0 : 0.0; };
}

// The value a sound file stores for a sample of the signal.
inline double Stored(Signal const& signal, unsigned long long frame, unsigned int channel)
{
    return static_cast<double>(static_cast<float>(signal(frame, channel)));
}

// Sound files in a folder of their own, and the providers loaded from them;
// everything goes when the object dies.
class SoundBank
{
public:
    SoundBank()
    {
        char pattern[] = "/tmp/orvel-trackreader-XXXXXX";
        char* made = mkdtemp(pattern);
        mFolder = made != nullptr ? made : "/tmp";
    }
    ~SoundBank()
    {
        mProviders.clear();
        for (int i = 0; i <= QVProviderReleaseQueue::kReleasePassCount; ++i)
            AKIdlingCenter::sShared.DoGlobalIdling();
        for (std::string const& path : mFiles)
            std::remove(path.c_str());
        rmdir(mFolder.c_str());
    }
    SoundBank(SoundBank const&) = delete;
    SoundBank& operator=(SoundBank const&) = delete;

    // A loaded provider of the signal; null when the file or load failed.
    QVProvider* Make(Signal const& signal, unsigned int channels, unsigned long long frames, int rate)
    {
        std::string const path = mFolder + "/s" + std::to_string(mFiles.size()) + ".wav";
        SF_INFO info = {};
        info.channels = static_cast<int>(channels);
        info.samplerate = rate;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (file == nullptr)
            return nullptr;
        std::vector<float> samples(frames * channels);
        for (unsigned long long f = 0; f < frames; ++f)
            for (unsigned int c = 0; c < channels; ++c)
                samples[f * channels + c] = static_cast<float>(signal(f, c));
        sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
        sf_close(file);
        mFiles.push_back(path);
        auto provider = std::make_unique<QVProvider>(AKFilePath(path.c_str()));
        if (provider->LoadSoundSync() != 0)
            return nullptr;
        mProviders.push_back(std::move(provider));
        return mProviders.back().get();
    }

private:
    std::string mFolder;
    std::vector<std::string> mFiles;
    std::vector<std::unique_ptr<QVProvider>> mProviders;
};

// One zone of a sound: source [begin, begin + duration] at a scale.
struct ZonePart {
    QVProvider* provider;
    double begin;
    double duration;
    double scale;
};

// The zones laid end to end from 0 with the fade.
inline QVTrackZoneArray MakeZones(std::initializer_list<ZonePart> parts, double fade)
{
    QVTrackZoneArray zones;
    for (ZonePart const& part : parts) {
        QVTrackZone zone = part.provider != nullptr
                               ? QVTrackZone::MakeSafe(part.provider->GetID(), part.begin, part.duration, part.scale)
                               : QVTrackZone::MakeSilence(part.duration * std::fabs(part.scale));
        zone.SetProvider(part.provider);
        zones.Push(zone);
    }
    zones.UpdateZonesLocalTime(nullptr, nullptr, fade);
    return zones;
}

}  // namespace TrackReaderFixtures
