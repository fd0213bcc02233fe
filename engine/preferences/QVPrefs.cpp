#include "QVPrefs.h"

#include "AKFileUtils.h"
#include "QVAudioResourcePrefs.h"
#include "QVPrefsClamp.h"
#include "QVStandardFolders.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <string>

namespace {

// Room for the members, a few more than registered.
constexpr unsigned int kPrefsMemberRoom = 90;

constexpr double kFadeDurationMin = 0.0001;
constexpr double kFadeDurationMax = 0.01;
constexpr double kPluginWorkMaxDurationMin = 1.0;
constexpr double kPluginWorkMaxDurationMax = 600.0;
// The shortest overlap, and the block size up to which the whole block is.
constexpr unsigned long long kOlapsysFrameCountMin = 64;
// The standard folder of the user's desktop.
constexpr unsigned int kDesktopFolder = 19;

}  // namespace

QVPrefs QVPrefs::sShared(QVPrefs::SharedTag{});
QVPrefs* const gQVPrefs = &QVPrefs::sShared;

QVPrefs::QVPrefs()
    : mRecordSoundFormat(kQVNullAudioFormat), mRecordSoundFormatInfo(kQVNullAudioPCMInfo), mDefaultDocPrefs(nullptr)
{
    RegisterMembers();
}

QVPrefs::QVPrefs(SharedTag) : QVPrefs()
{
    ApplyDefaults();
    ClampSettings();
}

template <class T>
void QVPrefs::Register(char const* key, T* field, uint32_t tag)
{
    std::string name(key);
    for (char& c : name) {
        if (c == '.')
            c = '_';
    }
    mMembers.RegisterMember(AKString(name), AKString(key), field, tag);
}

void QVPrefs::RegisterMembers()
{
    mMembers.Reserve(kPrefsMemberRoom);

    Register("General.AppUseConsole", &mGeneralAppUseConsole, 0);
    Register("General.NewDocAtStartup", &mGeneralNewDocAtStartup, 0);
    Register("General.InspFloatHighPrec", &mGeneralInspFloatHighPrec, 0);
    Register("General.MouseWheelReversed", &mGeneralMouseWheelReversed, 0);
    Register("General.ShowTooltips", &mGeneralShowTooltips, 0);
    Register("Internal.VerboseLevel", &mInternalVerboseLevel, 1);
    Register("Internal.ObjectNameCaseSensitive", &mInternalObjectNameCaseSensitive, 2);
    Register("Internal.ScriptTimeOutDuration", &mInternalScriptTimeOutDuration, 0);
    Register("Repository.DirPath", &mRepositoryDirPath, 1);
    Register("Repository.KeepMode", &mRepositoryKeepMode, 1);
    Register("Repository.Chosen", &mRepositoryChosen, 2);

    Register("Gui.FramesPerSecond", &mGuiFramesPerSecond, 0);
    Register("Gui.MainScaleFactorMode", &mGuiMainScaleFactorMode, 0);
    Register("Gui.ShowFPSGauges", &mGuiShowFPSGauges, 0);
    Register("Gui.LayerConstraint", &mGuiLayerConstraint, 0);
    Register("Gui.SlateConstraint", &mGuiSlateConstraint, 0);
    Register("Gui.BackgroundGridStep", &mGuiBackgroundGridStep, 2);
    Register("Gui.ShowBackgroundGrid", &mGuiShowBackgroundGrid, 0);
    Register("Gui.ShowSeqOverview", &mGuiShowSeqOverview, 0);
    Register("Gui.ShowMultiPlayerMap", &mGuiShowMultiPlayerMap, 0);
    Register("Gui.ShowSimpleHelpers", &mGuiShowSimpleHelpers, 0);
    Register("Gui.ShowWaveformHD", &mGuiShowWaveformHD, 2);
    Register("Gui.ShowObjectID", &mGuiShowObjectID, 0);

    Register("Provider.PreferSysReader", &mProviderPreferSysReader, 1);
    Register("Provider.UseMemoryMapping", &mProviderUseMemoryMapping, 1);
    Register("Provider.SimultaneousLoad", &mProviderSimultaneousLoad, 1);
    Register("Provider.SoundMaxSizeMB", &mProviderSoundMaxSizeMB, 1);
    Register("Provider.ReadBlockSizeMB", &mProviderReadBlockSizeMB, 1);
    Register("Envelope.AlwaysAsWaveform", &mEnvelopeAlwaysAsWaveform, 3);
    Register("Envelope.MoreResolutionCoeff", &mEnvelopeMoreResolutionCoeff, 3);
    Register("Envelope.MemoryOptimizationLevel", &mEnvelopeMemoryOptimizationLevel, 3);

    Register("Sequence.NewAlwaysWithPlayer", &mSequenceNewAlwaysWithPlayer, 2);
    Register("Sequence.EditableTrackName", &mSequenceEditableTrackName, 1);
    Register("Sequence.FullSeqInLoopMode", &mSequenceFullSeqInLoopMode, 1);
    Register("Sequence.TreatExtraIntv", &mSequenceTreatExtraIntv, 2);
    Register("Sequence.SignificantDuration", &mSequenceSignificantDuration, 2);
    Register("Sequence.ScaleCoeffMin", &mSequenceScaleCoeffMin, 2);
    Register("Sequence.ScaleCoeffMax", &mSequenceScaleCoeffMax, 2);
    Register("Player.UseKeyboardFocus", &mPlayerUseKeyboardFocus, 0);
    Register("Player.FollowOnlyWhenPlay", &mPlayerFollowOnlyWhenPlay, 0);
    Register("Player.DefaultLoopMode", &mPlayerDefaultLoopMode, 1);
    Register("Player.SpeedMax", &mPlayerSpeedMax, 3);
    Register("Player.SpeedSubxMax", &mPlayerSpeedSubxMax, 3);
    Register("Player.RwdFwdSpeed", &mPlayerRwdFwdSpeed, 3);
    Register("Player.RwdFwdGainAttenuation", &mPlayerRwdFwdGainAttenuation, 3);
    Register("Player.ScratchEnabled", &mPlayerScratchEnabled, 1);
    Register("Player.ScratchAlgoMode", &mPlayerScratchAlgoMode, 3);
    Register("Player.ScratchSmoothness", &mPlayerScratchSmoothness, 3);
    Register("Player.ScratchAutoStopDelay", &mPlayerScratchAutoStopDelay, 3);
    Register("PlayerMulti.AutoPlayWhenScrub", &mPlayerMultiAutoPlayWhenScrub, 1);
    Register("PlayerMulti.CanCatchAtomicSub", &mPlayerMultiCanCatchAtomicSub, 0);
    Register("PlayerMulti.SpanConfinedInSel", &mPlayerMultiSpanConfinedInSel, 1);
    Register("PlayerMulti.MinSpanDuration", &mPlayerMultiMinSpanDuration, 1);
    Register("PlayerMulti.DefaultSpanDuration", &mPlayerMultiDefaultSpanDuration, 1);
    Register("PlayerMulti.DefaultSpeed", &mPlayerMultiDefaultSpeed, 1);

    Register("Preset.SchedulMinPeriod", &mPresetSchedulMinPeriod, 1);
    Register("Preset.RecallMaxDuration", &mPresetRecallMaxDuration, 1);
    Register("Preset.RecallDefaultDuration", &mPresetRecallDefaultDuration, 1);
    Register("Engine.ResamplingQuality", &mEngineResamplingQuality, 1);
    Register("Engine.BornFadeDuration", &mEngineBornFadeDuration, 1);
    Register("Engine.SpanFadeDuration", &mEngineSpanFadeDuration, 1);
    Register("Engine.ZoneFadeDuration", &mEngineZoneFadeDuration, 1);
    Register("Engine.OlapsysFadeDuration", &mEngineOlapsysFadeDuration, 1);
    Register("Engine.PluginWorkMaxDuration", &mEnginePluginWorkMaxDuration, 2);
    Register("PortAudio.OutDeviceName", &mPortAudioOutDeviceName, 0);
    Register("PortAudio.OutChannelsBitmap", &mPortAudioOutChannelsBitmap, 0);
    Register("PortAudio.SampleRate", &mPortAudioSampleRate, 0);
    Register("PortAudio.BufferSize", &mPortAudioBufferSize, 0);
    Register("Route.DefaultMixFurtherIn", &mRouteDefaultMixFurtherIn, 1);
    Register("Route.DefaultFillFurtherOut", &mRouteDefaultFillFurtherOut, 1);
    Register("Record.SoundFolderPath", &mRecordSoundFolderPath, 0);
    Register("Record.ModeOverwrite", &mRecordModeOverwrite, 2);
    Register("Bounce.ExportMaxDuration", &mBounceExportMaxDuration, 3);

    Register("Midi.InputDeviceNames", &mMidiInputDeviceNames, 0);
    Register("Midi.InputDeviceCount", &mMidiInputDeviceCount, 2);
    Register("Midi.ShowAdvanced", &mMidiShowAdvanced, 0);
    Register("Midi.LearnAnyChannel", &mMidiLearnAnyChannel, 0);
    Register("Midi.LearnAutoDisable", &mMidiLearnAutoDisable, 0);
    Register("Midi.LogRawMessages", &mMidiLogRawMessages, 0);
    Register("Osc.SendEnabled", &mOscSendEnabled, 0);
    Register("Osc.SendToHostName", &mOscSendToHostName, 0);
    Register("Osc.SendToHostPort", &mOscSendToHostPort, 0);
    Register("Osc.ReceiveEnabled", &mOscReceiveEnabled, 0);
    Register("Osc.ReceiveOnPort", &mOscReceiveOnPort, 0);
}

void QVPrefs::ApplyDefaults()
{
    mGeneralAppUseConsole = false;
    mGeneralNewDocAtStartup = true;
    mGeneralInspFloatHighPrec = false;
    mGeneralMouseWheelReversed = false;
    mGeneralShowTooltips = true;
    mInternalVerboseLevel = 1;
    mInternalObjectNameCaseSensitive = true;
    mInternalScriptTimeOutDuration = 10.0;
    mRepositoryDirPath.Clear();
    mRepositoryKeepMode = 2;
    mRepositoryChosen = false;

    mGuiFramesPerSecond = 60;
    mGuiMainScaleFactorMode = 0;
    mGuiShowFPSGauges = false;
    mGuiLayerConstraint = 0;
    mGuiSlateConstraint = 0;
    mGuiBackgroundGridStep = 40;
    mGuiShowBackgroundGrid = true;
    mGuiShowSeqOverview = true;
    mGuiShowMultiPlayerMap = true;
    mGuiShowSimpleHelpers = true;
    mGuiShowWaveformHD = true;
    mGuiShowObjectID = false;

    mProviderPreferSysReader = true;
    mProviderUseMemoryMapping = true;
    mProviderSimultaneousLoad = 3;
    mProviderSoundMaxSizeMB = 2000;
    mProviderReadBlockSizeMB = 8;
    mEnvelopeAlwaysAsWaveform = false;
    mEnvelopeMoreResolutionCoeff = 2.0;
    mEnvelopeMemoryOptimizationLevel = 1;

    mSequenceNewAlwaysWithPlayer = true;
    mSequenceEditableTrackName = false;
    mSequenceFullSeqInLoopMode = false;
    mSequenceTreatExtraIntv = true;
    mSequenceSignificantDuration = 0.001;
    mSequenceScaleCoeffMin = 0.0625;
    mSequenceScaleCoeffMax = 16.0;
    mPlayerUseKeyboardFocus = true;
    mPlayerFollowOnlyWhenPlay = false;
    mPlayerDefaultLoopMode = true;
    mPlayerSpeedMax = 8.0;
    mPlayerSpeedSubxMax = 4.0;
    mPlayerRwdFwdSpeed = 12.0;
    mPlayerRwdFwdGainAttenuation = 0.4;
    mPlayerScratchEnabled = true;
    mPlayerScratchAlgoMode = 2;
    mPlayerScratchSmoothness = 0.8;
    mPlayerScratchAutoStopDelay = 0.04;
    mPlayerMultiAutoPlayWhenScrub = true;
    mPlayerMultiCanCatchAtomicSub = false;
    mPlayerMultiSpanConfinedInSel = false;
    mPlayerMultiMinSpanDuration = 0.001;
    mPlayerMultiDefaultSpanDuration = 1.0;
    mPlayerMultiDefaultSpeed = 0.0;

    mPresetSchedulMinPeriod = 0.02;
    mPresetRecallMaxDuration = 20.0;
    mPresetRecallDefaultDuration = 2.0;
    mEngineResamplingQuality = 2;
    mEngineBornFadeDuration = 0.005;
    mEngineSpanFadeDuration = 0.005;
    mEngineZoneFadeDuration = 0.005;
    mEngineOlapsysFadeDuration = 0.005;
    mEnginePluginWorkMaxDuration = 10.0;
    mPortAudioOutDeviceName.Clear();
    mPortAudioOutChannelsBitmap = 3;
    mPortAudioSampleRate = 44100.0;
    mPortAudioBufferSize = 256;
    mRouteDefaultMixFurtherIn = true;
    mRouteDefaultFillFurtherOut = true;
    mRecordSoundFolderPath.Clear();
    mRecordModeOverwrite = false;
    mBounceExportMaxDuration = 7200.0;

    mMidiInputDeviceNames.Clear();
    mMidiInputDeviceCount = 0;
    mMidiShowAdvanced = false;
    mMidiLearnAnyChannel = true;
    mMidiLearnAutoDisable = true;
    mMidiLogRawMessages = false;
    mOscSendEnabled = false;
    mOscSendToHostName = "127.0.0.1";
    mOscSendToHostPort = 5432;
    mOscReceiveEnabled = false;
    mOscReceiveOnPort = 57120;

    mRecordSoundFormat = QVAudioFormatFromAKString("aiff");
    mRecordSoundFormatInfo = QVAudioPCMInfoFromAKString("16");
    mPluginSearchPaths.Clear();
    mPluginSearchFlags.Clear();
    mDefaultDocPrefs.SetupDefaults();
}

int QVPrefs::SetupDefaults()
{
    ApplyDefaults();
    return CheckSettings();
}

void QVPrefs::ClampSettings()
{
    QVPrefsClampUInt(&mInternalVerboseLevel, 0, 9);
    QVPrefsClampReal(&mInternalScriptTimeOutDuration, 1.0, 100.0);
    QVPrefsClampUInt(&mRepositoryKeepMode, 0, 5);

    QVPrefsClampUInt(&mGuiFramesPerSecond, 1, 200);
    QVPrefsClampUInt(&mGuiMainScaleFactorMode, 0, 2);
    QVPrefsClampUInt(&mGuiLayerConstraint, 0, 2);
    QVPrefsClampUInt(&mGuiSlateConstraint, 0, 2);
    QVPrefsClampUInt(&mGuiBackgroundGridStep, 2, 200);

    QVPrefsClampUInt(&mProviderSimultaneousLoad, 1, 20);
    QVPrefsClampUInt(&mProviderSoundMaxSizeMB, 1, 2040);
    QVPrefsClampUInt(&mProviderReadBlockSizeMB, 1, 128);
    QVPrefsClampReal(&mEnvelopeMoreResolutionCoeff, 0.5, 4.0);
    QVPrefsClampUInt(&mEnvelopeMemoryOptimizationLevel, 0, kQVEnvelopeMemoryOptimizationLevelMax);

    QVPrefsClampReal(&mSequenceSignificantDuration, 0.00001, 0.1);
    QVPrefsClampReal(&mSequenceScaleCoeffMin, 0.01, 100.0);
    QVPrefsClampReal(&mSequenceScaleCoeffMax, 0.01, 100.0);
    QVPrefsClampReal(&mPlayerSpeedMax, 2.0, 16.0);
    QVPrefsClampReal(&mPlayerSpeedSubxMax, 2.0, 10.0);
    QVPrefsClampReal(&mPlayerRwdFwdSpeed, 8.0, 40.0);
    QVPrefsClampReal(&mPlayerRwdFwdGainAttenuation, 0.0, 1.0);
    QVPrefsClampReal(&mPlayerScratchSmoothness, 0.0, 1.0);
    QVPrefsClampReal(&mPlayerScratchAutoStopDelay, 0.01, 0.1);
    QVPrefsClampReal(&mPlayerMultiMinSpanDuration, 0.0001, 0.01);
    // The dependent ranges use the bounds clamped just above.
    QVPrefsClampReal(&mPlayerMultiDefaultSpanDuration, mPlayerMultiMinSpanDuration, 600.0);
    QVPrefsClampReal(&mPlayerMultiDefaultSpeed, -mPlayerSpeedMax, mPlayerSpeedMax);

    QVPrefsClampReal(&mPresetSchedulMinPeriod, 0.01, 0.1);
    QVPrefsClampReal(&mPresetRecallMaxDuration, 1.0, 60.0);
    QVPrefsClampReal(&mPresetRecallDefaultDuration, 0.1, mPresetRecallMaxDuration);
    QVPrefsClampUInt(&mEngineResamplingQuality, 0, 2);
    QVPrefsClampReal(&mEngineBornFadeDuration, kFadeDurationMin, kFadeDurationMax);
    QVPrefsClampReal(&mEngineSpanFadeDuration, kFadeDurationMin, kFadeDurationMax);
    QVPrefsClampReal(&mEngineZoneFadeDuration, kFadeDurationMin, kFadeDurationMax);
    QVPrefsClampReal(&mEngineOlapsysFadeDuration, kFadeDurationMin, kFadeDurationMax);
    QVPrefsClampReal(&mEnginePluginWorkMaxDuration, kPluginWorkMaxDurationMin, kPluginWorkMaxDurationMax);
    QVPrefsClampReal(&mPortAudioSampleRate, 100.0, 200000.0);
    QVPrefsClampUInt(&mPortAudioBufferSize, 8, 50000);
    QVPrefsClampReal(&mBounceExportMaxDuration, 1.0, 36000.0);

    mDefaultDocPrefs.CheckSettings();

    if (mSequenceScaleCoeffMin > mSequenceScaleCoeffMax)
        std::swap(mSequenceScaleCoeffMin, mSequenceScaleCoeffMax);
}

int QVPrefs::CheckSettings()
{
    ClampSettings();
    if (this == &sShared)
        PublishAudioResourcePrefs();
    return 0;
}

double QVPrefs::GetGuiMainScaleFactor() const
{
    switch (mGuiMainScaleFactorMode) {
    case 1:
        return 1.5;
    case 2:
        return 2.0;
    default:
        return 1.0;
    }
}

AKFilePath QVPrefs::GetRecordSoundFolderPathResolved() const
{
    AKFilePath path = mRecordSoundFolderPath;
    if (!path.IsEmpty()) {
        path.ForceDirectorySyntax();
        path.SimplifyPath();
    }
    if (!path.IsEmpty() && AKFileUtils::DirExists(path))
        return path;
    AKFilePath desktop = QVStandardFolders::GetStandardPath(kDesktopFolder);
    if (desktop.IsEmpty())
        desktop = AKFileUtils::GetStandardUserFolderPath("Desktop");
    return desktop;
}

unsigned int QVPrefs::GetRepositoryKeepDurationInHours() const
{
    static unsigned int const kHours[] = {0, 2, 48, 168, 720, 4294967295u};
    return kHours[mRepositoryKeepMode < 5 ? mRepositoryKeepMode : 5];
}

bool QVPrefs::SetClampedSeconds(double* setting, double seconds, double low, double high)
{
    // Not a number keeps the setting.
    if (std::isnan(seconds))
        return false;
    double kept = seconds;
    QVPrefsClampReal(&kept, low, high);
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
