#include "QVPrefs.h"

#include "AKStamps.h"
#include "QVAudioResourcePrefs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFadeDurationDefault = 0.005;
constexpr double kFadeDurationMin = 0.0001;
constexpr double kFadeDurationMax = 0.01;
constexpr double kPluginWorkMaxDurationDefault = 10.0;
constexpr double kPluginWorkMaxDurationMin = 1.0;
constexpr double kPluginWorkMaxDurationMax = 600.0;
// The shortest overlap, and the block size up to which the whole block is.
constexpr unsigned long long kOlapsysFrameCountMin = 64;

}  // namespace

QVPrefs QVPrefs::sShared;

QVPrefs::QVPrefs()
    : mEngineBornFadeDuration(kFadeDurationDefault), mEngineOlapsysFadeDuration(kFadeDurationDefault),
      mEnginePluginWorkMaxDuration(kPluginWorkMaxDurationDefault), mChangeStamp(kAKNullStampVers)
{}

void QVPrefs::Changed()
{
    mModified = true;
    ++mChangeStamp;
}

bool QVPrefs::SetClampedSeconds(double* setting, double seconds, double low, double high)
{
    // Not a number keeps the setting.
    if (std::isnan(seconds))
        return false;
    double const kept = std::clamp(seconds, low, high);
    if (kept == *setting)
        return false;
    *setting = kept;
    Changed();
    PublishAudioResourcePrefs();
    return true;
}

bool QVPrefs::SetEngineBornFadeDuration(double seconds)
{
    return SetClampedSeconds(&mEngineBornFadeDuration, seconds, kFadeDurationMin, kFadeDurationMax);
}

bool QVPrefs::SetEngineOlapsysFadeDuration(double seconds)
{
    return SetClampedSeconds(&mEngineOlapsysFadeDuration, seconds, kFadeDurationMin, kFadeDurationMax);
}

bool QVPrefs::SetEnginePluginWorkMaxDuration(double seconds)
{
    return SetClampedSeconds(&mEnginePluginWorkMaxDuration, seconds, kPluginWorkMaxDurationMin,
                             kPluginWorkMaxDurationMax);
}

unsigned long long QVPrefs::EngineComputeOlapsysFrameCount(unsigned long long blockFrames, double sampleRate)
{
    if (blockFrames <= kOlapsysFrameCountMin)
        return blockFrames;
    double const fadeFrames = std::ceil(sampleRate * sShared.mEngineOlapsysFadeDuration);
    if (!(fadeFrames > static_cast<double>(kOlapsysFrameCountMin)))
        return kOlapsysFrameCountMin;
    double const half = static_cast<double>(blockFrames + kOlapsysFrameCountMin) * 0.5;
    return static_cast<unsigned long long>(std::min(half, fadeFrames));
}

bool QVPrefs::SetPluginSearchPaths(AKFilePathArray const& paths)
{
    if (paths == mPluginSearchPaths)
        return false;
    mPluginSearchPaths = paths;
    Changed();
    return true;
}

bool QVPrefs::SetPluginSearchFlags(QVPrefsUIntArray const& flags)
{
    if (flags == mPluginSearchFlags)
        return false;
    mPluginSearchFlags = flags;
    Changed();
    return true;
}

void QVPrefs::PublishAudioResourcePrefs() const
{
    QVAudioResourcePrefs& audio = QVAudioResourcePrefs::sShared;
    audio.engineBornFadeDuration = mEngineBornFadeDuration;
    audio.enginePluginWorkMaxDuration = mEnginePluginWorkMaxDuration;
    PublishProviderPrefs();
}
