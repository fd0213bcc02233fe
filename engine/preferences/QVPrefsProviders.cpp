// QVPrefs: the settings of the sound providers, the envelopes and the
// diagnostics, with their ranges.

#include "QVAudioResourcePrefs.h"
#include "QVPrefs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned int kSimultaneousLoadMin = 1;
constexpr unsigned int kSimultaneousLoadMax = 20;
constexpr unsigned int kSoundMaxSizeMBMin = 1;
constexpr unsigned int kSoundMaxSizeMBMax = 2040;
constexpr unsigned int kReadBlockSizeMBMin = 1;
constexpr unsigned int kReadBlockSizeMBMax = 128;
constexpr double kMoreResolutionCoeffMin = 0.5;
constexpr double kMoreResolutionCoeffMax = 4.0;
constexpr unsigned int kVerboseLevelMax = 9;

}  // namespace

template <class T>
bool QVPrefs::SetProviderSetting(T* setting, T value)
{
    if (*setting == value)
        return false;
    *setting = value;
    Changed();
    PublishAudioResourcePrefs();
    return true;
}

bool QVPrefs::SetProviderPreferSysReader(bool prefer) { return SetProviderSetting(&mProviderPreferSysReader, prefer); }

bool QVPrefs::SetProviderUseMemoryMapping(bool use) { return SetProviderSetting(&mProviderUseMemoryMapping, use); }

bool QVPrefs::SetProviderSimultaneousLoad(unsigned int count)
{
    return SetProviderSetting(&mProviderSimultaneousLoad,
                              std::clamp(count, kSimultaneousLoadMin, kSimultaneousLoadMax));
}

bool QVPrefs::SetProviderSoundMaxSizeMB(unsigned int megabytes)
{
    return SetProviderSetting(&mProviderSoundMaxSizeMB, std::clamp(megabytes, kSoundMaxSizeMBMin, kSoundMaxSizeMBMax));
}

bool QVPrefs::SetProviderReadBlockSizeMB(unsigned int megabytes)
{
    return SetProviderSetting(&mProviderReadBlockSizeMB,
                              std::clamp(megabytes, kReadBlockSizeMBMin, kReadBlockSizeMBMax));
}

bool QVPrefs::SetEnvelopeAlwaysAsWaveform(bool always)
{
    return SetProviderSetting(&mEnvelopeAlwaysAsWaveform, always);
}

bool QVPrefs::SetEnvelopeMoreResolutionCoeff(double coeff)
{
    // Not a number keeps the setting.
    if (std::isnan(coeff))
        return false;
    return SetProviderSetting(&mEnvelopeMoreResolutionCoeff,
                              std::clamp(coeff, kMoreResolutionCoeffMin, kMoreResolutionCoeffMax));
}

bool QVPrefs::SetEnvelopeMemoryOptimizationLevel(unsigned int level)
{
    return SetProviderSetting(&mEnvelopeMemoryOptimizationLevel,
                              std::min(level, kQVEnvelopeMemoryOptimizationLevelMax));
}

bool QVPrefs::SetInternalVerboseLevel(unsigned int level)
{
    return SetProviderSetting(&mInternalVerboseLevel, std::min(level, kVerboseLevelMax));
}

void QVPrefs::PublishProviderPrefs() const
{
    QVAudioResourcePrefs& audio = QVAudioResourcePrefs::sShared;
    audio.providerPreferSysReader = mProviderPreferSysReader;
    audio.providerUseMemoryMapping = mProviderUseMemoryMapping;
    audio.providerSimultaneousLoad = mProviderSimultaneousLoad;
    audio.providerSoundMaxSizeMB = mProviderSoundMaxSizeMB;
    audio.providerReadBlockSizeMB = mProviderReadBlockSizeMB;
    audio.envelopeAlwaysAsWaveform = mEnvelopeAlwaysAsWaveform;
    audio.envelopeMoreResolutionCoeff = mEnvelopeMoreResolutionCoeff;
    audio.envelopeMemoryOptimizationLevel = mEnvelopeMemoryOptimizationLevel;
    audio.internalVerboseLevel = mInternalVerboseLevel;
}
