#pragma once

// QVPrefs: the global preferences of the engine and of the application on
// top of it, one shared instance for the life of the process (sShared, also
// reached through gQVPrefs). 84 settings are registered members (see
// QVPrefMemberArray), each under a dotted key ("Gui.FramesPerSecond") and a
// parameter name with "_" for the dot ("Gui_FramesPerSecond"); a few more
// fields travel with them in the preferences file: the record sound format
// and its sample layout, the plug-in folders and the template of the
// document preferences.
//
// Life: a new instance holds zeros and empty values (registration zeroes
// them); SetupDefaults gives the defaults; LoadFromDefaultXmlFile replaces
// them by the file "Orvel-Player-Prefs.plist" of the settings folder, or
// writes that file when there is none; SaveToDefaultXmlFile writes it back
// at shut-down. The shared instance starts with the defaults, so that code
// running before the engine start reads usable values.
//
// Save tags: 0 and 1 are stored in the file; 2 and 3 are not (3 always start
// from their defaults). Ranges are kept by CheckSettings, which every
// loading path runs and which never marks the preferences modified.
//
// The audio resources, which cannot see this class, read copies: the
// real-time settings in QVAudioResourcePrefs, refreshed by the setters that
// say so and by every CheckSettings of the shared instance, and the plug-in
// folders through the engine's services.
//
// Every setter stores the value, keeps the ranges, and when the value
// changed marks the preferences modified, moves the change stamp and
// answers true. Main thread for the setters; engine code reads the settings
// directly.

#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "ATNumberArray.h"
#include "QVAudioFormat.h"
#include "QVAudioPCMInfo.h"
#include "QVDocPrefs.h"
#include "QVPrefMemberArray.h"

typedef ATNumberArray<unsigned int, unsigned int, 32> QVPrefsUIntArray;

// The preferences file, in the settings folder (standard folder 12).
constexpr char kQVPrefsFileName[] = "Orvel-Player-Prefs.plist";
// The "_Version" written; files of version 3 or less (or none) get a few
// settings of the current version forced on reading.
constexpr unsigned int kQVPrefsFileVersion = 4;

// A getter and a setter per setting; the setters run CheckSettings.
#define QV_PREF_VALUE(Type, Name)                                                                                      \
    Type Get##Name() const { return m##Name; }                                                                         \
    bool Set##Name(Type value) { return SetSetting(&m##Name, value); }
#define QV_PREF_OBJECT(Type, Name)                                                                                     \
    Type const& Get##Name() const { return m##Name; }                                                                  \
    bool Set##Name(Type const& value) { return SetSetting(&m##Name, value); }

class QVPrefs
{
public:
    static QVPrefs sShared;

    // Registers the 84 members; every value is then zero or empty.
    QVPrefs();
    QVPrefs(QVPrefs const&) = default;
    QVPrefs& operator=(QVPrefs const&) = default;

    // --- Whole set ---

    // Every default, both plug-in lists empty, the template's defaults,
    // then CheckSettings. Returns 0.
    int SetupDefaults();
    // Clamps every ranged setting (dependent ranges use the values already
    // clamped), checks the template, and swaps Sequence.ScaleCoeffMin and
    // Max when they are in the wrong order. Leaves the modified flag and the
    // change stamp as they were. Returns 0.
    int CheckSettings();

    // Defaults, then (for a dictionary that is not empty) "_Version", the
    // members, the record format and layout, the template from
    // "Default.DocPrefs", the plug-in lists; each missing or ill-kinded
    // entry keeps its default. Without entries or with a version of 3 or
    // less, Gui.ShowFPSGauges false, Gui.SlateConstraint 1,
    // PlayerMulti.DefaultSpanDuration 1 and PlayerMulti.DefaultSpeed 0.
    // Then CheckSettings. Returns 0.
    int ReadFromDictionary(AKDictionary const& dictionary);
    // Clears the dictionary and writes "_Version" 4 and every stored entry.
    // Returns 0.
    int WriteToDictionary(AKDictionary* dictionary) const;

    // Reads the property list at path; on success only, applies it. A
    // failed read returns the reader's error and changes nothing.
    int LoadFromXmlFile(AKFilePath const& path);
    // Writes the whole preferences as a property list, unless onlyIfModified
    // is set and nothing changed (0 then). The modified flag stays.
    int SaveToXmlFile(AKFilePath const& path, bool onlyIfModified) const;
    // The file in the settings folder: loaded when it exists, else written
    // with the current values (the folder created first when missing).
    int LoadFromDefaultXmlFile();
    // The same as SaveToXmlFile for the file in the settings folder,
    // creating the folder when missing.
    int SaveToDefaultXmlFile(bool onlyIfModified) const;
    // The path of the preferences file (empty before the standard folders
    // are known).
    static AKFilePath GetDefaultXmlFilePath();

    // Logs "Quorvex Prefs:\n", one line per member, then "\n".
    void LogInfoPrefs() const;
    // Applies a parameters string (see QVPrefMemberArray) and runs
    // CheckSettings when a member took a value. Returns 0.
    int SetupFromParametersString(char const* text);

    // --- Derived values ---

    // 1.5 for Gui.MainScaleFactorMode 1, 2 for mode 2, else 1.
    double GetGuiMainScaleFactor() const;
    // Record.SoundFolderPath as a simplified folder path; the user's Desktop
    // folder when no folder exists there.
    AKFilePath GetRecordSoundFolderPathResolved() const;
    // By Repository.KeepMode 0 to 5: 0, 2, 48, 168, 720 hours, or for ever
    // (4294967295).
    unsigned int GetRepositoryKeepDurationInHours() const;
    // The overlap rendered beyond a block of that size at that rate, with
    // the shared instance's Engine.OlapsysFadeDuration: the whole block up
    // to 64 frames; otherwise the fade in frames (rounded up), at least 64
    // and at most (block + 64) / 2.
    static unsigned long long EngineComputeOlapsysFrameCount(unsigned long long blockFrames, double sampleRate);

    // --- Registry and change state ---

    QVPrefMemberArray const& GetMemberArray() const { return mMembers; }
    bool IsModified() const { return mMembers.IsModified(); }
    void SetModified(bool modified) { mMembers.SetModified(modified); }
    unsigned int GetChangeStamp() const { return mMembers.GetChangeStamp(); }

    // --- General and internal ---

    QV_PREF_VALUE(bool, GeneralAppUseConsole)
    QV_PREF_VALUE(bool, GeneralNewDocAtStartup)
    QV_PREF_VALUE(bool, GeneralInspFloatHighPrec)
    QV_PREF_VALUE(bool, GeneralMouseWheelReversed)
    QV_PREF_VALUE(bool, GeneralShowTooltips)
    // "Internal.VerboseLevel", at most 9 (published to the audio resources).
    unsigned int GetInternalVerboseLevel() const { return mInternalVerboseLevel; }
    bool SetInternalVerboseLevel(unsigned int level);
    QV_PREF_VALUE(bool, InternalObjectNameCaseSensitive)
    QV_PREF_VALUE(double, InternalScriptTimeOutDuration)
    QV_PREF_OBJECT(AKFilePath, RepositoryDirPath)
    QV_PREF_VALUE(unsigned int, RepositoryKeepMode)
    QV_PREF_VALUE(bool, RepositoryChosen)

    // --- Display ---

    QV_PREF_VALUE(unsigned int, GuiFramesPerSecond)
    QV_PREF_VALUE(unsigned int, GuiMainScaleFactorMode)
    QV_PREF_VALUE(bool, GuiShowFPSGauges)
    QV_PREF_VALUE(unsigned int, GuiLayerConstraint)
    QV_PREF_VALUE(unsigned int, GuiSlateConstraint)
    QV_PREF_VALUE(unsigned int, GuiBackgroundGridStep)
    QV_PREF_VALUE(bool, GuiShowBackgroundGrid)
    QV_PREF_VALUE(bool, GuiShowSeqOverview)
    QV_PREF_VALUE(bool, GuiShowMultiPlayerMap)
    QV_PREF_VALUE(bool, GuiShowSimpleHelpers)
    QV_PREF_VALUE(bool, GuiShowWaveformHD)
    QV_PREF_VALUE(bool, GuiShowObjectID)

    // --- Sound providers and envelopes (published to the audio resources) ---

    // "Provider.PreferSysReader": the system reader first for its extensions.
    bool GetProviderPreferSysReader() const { return mProviderPreferSysReader; }
    bool SetProviderPreferSysReader(bool prefer);
    // "Provider.UseMemoryMapping": raw PCM files are mapped, not decoded.
    bool GetProviderUseMemoryMapping() const { return mProviderUseMemoryMapping; }
    bool SetProviderUseMemoryMapping(bool use);
    // "Provider.SimultaneousLoad", 1 to 20: loads at once.
    unsigned int GetProviderSimultaneousLoad() const { return mProviderSimultaneousLoad; }
    bool SetProviderSimultaneousLoad(unsigned int count);
    // "Provider.SoundMaxSizeMB", 1 to 2040: largest decoded channel.
    unsigned int GetProviderSoundMaxSizeMB() const { return mProviderSoundMaxSizeMB; }
    bool SetProviderSoundMaxSizeMB(unsigned int megabytes);
    // "Provider.ReadBlockSizeMB", 1 to 128: one loading block.
    unsigned int GetProviderReadBlockSizeMB() const { return mProviderReadBlockSizeMB; }
    bool SetProviderReadBlockSizeMB(unsigned int megabytes);
    // "Envelope.AlwaysAsWaveform": track displays always draw waveform points.
    bool GetEnvelopeAlwaysAsWaveform() const { return mEnvelopeAlwaysAsWaveform; }
    bool SetEnvelopeAlwaysAsWaveform(bool always);
    // "Envelope.MoreResolutionCoeff", 0.5 to 4.
    double GetEnvelopeMoreResolutionCoeff() const { return mEnvelopeMoreResolutionCoeff; }
    bool SetEnvelopeMoreResolutionCoeff(double coeff);
    // "Envelope.MemoryOptimizationLevel", at most 2.
    unsigned int GetEnvelopeMemoryOptimizationLevel() const { return mEnvelopeMemoryOptimizationLevel; }
    bool SetEnvelopeMemoryOptimizationLevel(unsigned int level);

    // --- Sequences, players and multi-players ---

    QV_PREF_VALUE(bool, SequenceNewAlwaysWithPlayer)
    QV_PREF_VALUE(bool, SequenceEditableTrackName)
    QV_PREF_VALUE(bool, SequenceFullSeqInLoopMode)
    QV_PREF_VALUE(bool, SequenceTreatExtraIntv)
    QV_PREF_VALUE(double, SequenceSignificantDuration)
    QV_PREF_VALUE(double, SequenceScaleCoeffMin)
    QV_PREF_VALUE(double, SequenceScaleCoeffMax)
    QV_PREF_VALUE(bool, PlayerUseKeyboardFocus)
    QV_PREF_VALUE(bool, PlayerFollowOnlyWhenPlay)
    QV_PREF_VALUE(bool, PlayerDefaultLoopMode)
    QV_PREF_VALUE(double, PlayerSpeedMax)
    QV_PREF_VALUE(double, PlayerSpeedSubxMax)
    QV_PREF_VALUE(double, PlayerRwdFwdSpeed)
    QV_PREF_VALUE(double, PlayerRwdFwdGainAttenuation)
    QV_PREF_VALUE(bool, PlayerScratchEnabled)
    QV_PREF_VALUE(unsigned int, PlayerScratchAlgoMode)
    QV_PREF_VALUE(double, PlayerScratchSmoothness)
    QV_PREF_VALUE(double, PlayerScratchAutoStopDelay)
    QV_PREF_VALUE(bool, PlayerMultiAutoPlayWhenScrub)
    QV_PREF_VALUE(bool, PlayerMultiCanCatchAtomicSub)
    QV_PREF_VALUE(bool, PlayerMultiSpanConfinedInSel)
    QV_PREF_VALUE(double, PlayerMultiMinSpanDuration)
    QV_PREF_VALUE(double, PlayerMultiDefaultSpanDuration)
    QV_PREF_VALUE(double, PlayerMultiDefaultSpeed)

    // --- Presets, engine, audio device and routing ---

    QV_PREF_VALUE(double, PresetSchedulMinPeriod)
    QV_PREF_VALUE(double, PresetRecallMaxDuration)
    QV_PREF_VALUE(double, PresetRecallDefaultDuration)
    QV_PREF_VALUE(unsigned int, EngineResamplingQuality)
    // "Engine.BornFadeDuration", 0.0001 to 0.01 s: fades of new and removed
    // pools and of a plug-in's bypass (published to the audio resources).
    double GetEngineBornFadeDuration() const { return mEngineBornFadeDuration; }
    bool SetEngineBornFadeDuration(double seconds);
    QV_PREF_VALUE(double, EngineSpanFadeDuration)
    QV_PREF_VALUE(double, EngineZoneFadeDuration)
    // "Engine.OlapsysFadeDuration", 0.0001 to 0.01 s: the anti-click overlap.
    double GetEngineOlapsysFadeDuration() const { return mEngineOlapsysFadeDuration; }
    bool SetEngineOlapsysFadeDuration(double seconds);
    // "Engine.PluginWorkMaxDuration", 1 to 600 s: how long a plug-in keeps
    // running after its input stops while its output still sounds
    // (published to the audio resources).
    double GetEnginePluginWorkMaxDuration() const { return mEnginePluginWorkMaxDuration; }
    bool SetEnginePluginWorkMaxDuration(double seconds);
    QV_PREF_OBJECT(AKString, PortAudioOutDeviceName)
    QV_PREF_VALUE(unsigned int, PortAudioOutChannelsBitmap)
    QV_PREF_VALUE(double, PortAudioSampleRate)
    QV_PREF_VALUE(unsigned int, PortAudioBufferSize)
    QV_PREF_VALUE(bool, RouteDefaultMixFurtherIn)
    QV_PREF_VALUE(bool, RouteDefaultFillFurtherOut)
    QV_PREF_OBJECT(AKFilePath, RecordSoundFolderPath)
    QV_PREF_VALUE(bool, RecordModeOverwrite)
    QV_PREF_VALUE(double, BounceExportMaxDuration)

    // --- MIDI and OSC ---

    QV_PREF_OBJECT(AKString, MidiInputDeviceNames)
    QV_PREF_VALUE(unsigned int, MidiInputDeviceCount)
    QV_PREF_VALUE(bool, MidiShowAdvanced)
    QV_PREF_VALUE(bool, MidiLearnAnyChannel)
    QV_PREF_VALUE(bool, MidiLearnAutoDisable)
    QV_PREF_VALUE(bool, MidiLogRawMessages)
    QV_PREF_VALUE(bool, OscSendEnabled)
    QV_PREF_OBJECT(AKString, OscSendToHostName)
    QV_PREF_VALUE(unsigned int, OscSendToHostPort)
    QV_PREF_VALUE(bool, OscReceiveEnabled)
    QV_PREF_VALUE(unsigned int, OscReceiveOnPort)

    // --- Fields outside the registry ---

    // "Record.SoundFormat" (default "aiff") and "Record.SoundFormatInfo"
    // (default 16-bit integer): what the recorder and bounces write.
    QV_PREF_VALUE(QVAudioFormat, RecordSoundFormat)
    QV_PREF_VALUE(QVAudioPCMInfo, RecordSoundFormatInfo)

    // "Plugin.SearchPaths" and "Plugin.SearchFlags" (one number per path:
    // bit 0 a standard folder, bit 1 scanned). Each setter stores a copy and
    // answers true when it differs from the stored list, else changes nothing.
    AKFilePathArray const& GetPluginSearchPaths() const { return mPluginSearchPaths; }
    QVPrefsUIntArray const& GetPluginSearchFlags() const { return mPluginSearchFlags; }
    bool SetPluginSearchPaths(AKFilePathArray const& paths);
    bool SetPluginSearchFlags(QVPrefsUIntArray const& flags);

    // "Default.DocPrefs": the template of the document preferences, kept in
    // the preferences file only.
    QVDocPrefs const& GetDefaultDocPrefs() const { return mDefaultDocPrefs; }
    QVDocPrefs& GetDefaultDocPrefs() { return mDefaultDocPrefs; }

    // Copies the settings the audio resources read into QVAudioResourcePrefs.
    void PublishAudioResourcePrefs() const;

private:
    struct SharedTag {};
    // The shared instance: the defaults, not yet published (the audio
    // resources may not be built yet; their own defaults are the same).
    explicit QVPrefs(SharedTag);

    void RegisterMembers();
    // Every default, without the checks.
    void ApplyDefaults();
    // The range checks of CheckSettings, without publishing.
    void ClampSettings();
    // Registers a field under its key, the parameter name being the key
    // with "_" for ".".
    template <class T>
    void Register(char const* key, T* field, uint32_t tag);
    // Stores the value, keeps the ranges; marks a change when the field
    // ends different.
    template <class T>
    bool SetSetting(T* field, T const& value)
    {
        T const kept = *field;
        *field = value;
        CheckSettings();
        if (*field == kept)
            return false;
        mMembers.MarkChanged();
        return true;
    }
    // A real setting kept within its range; true (modified, stamp moved)
    // when it changed.
    bool SetClampedSeconds(double* setting, double seconds, double low, double high);
    void Changed() { mMembers.MarkChanged(); }
    // The provider, envelope and diagnostic settings into the audio copies.
    void PublishProviderPrefs() const;
    template <class T>
    bool SetProviderSetting(T* setting, T value);

    QVPrefMemberArray mMembers;

    bool mGeneralAppUseConsole;
    bool mGeneralNewDocAtStartup;
    bool mGeneralInspFloatHighPrec;
    bool mGeneralMouseWheelReversed;
    bool mGeneralShowTooltips;
    unsigned int mInternalVerboseLevel;
    bool mInternalObjectNameCaseSensitive;
    double mInternalScriptTimeOutDuration;
    AKFilePath mRepositoryDirPath;
    unsigned int mRepositoryKeepMode;
    bool mRepositoryChosen;

    unsigned int mGuiFramesPerSecond;
    unsigned int mGuiMainScaleFactorMode;
    bool mGuiShowFPSGauges;
    unsigned int mGuiLayerConstraint;
    unsigned int mGuiSlateConstraint;
    unsigned int mGuiBackgroundGridStep;
    bool mGuiShowBackgroundGrid;
    bool mGuiShowSeqOverview;
    bool mGuiShowMultiPlayerMap;
    bool mGuiShowSimpleHelpers;
    bool mGuiShowWaveformHD;
    bool mGuiShowObjectID;

    bool mProviderPreferSysReader;
    bool mProviderUseMemoryMapping;
    unsigned int mProviderSimultaneousLoad;
    unsigned int mProviderSoundMaxSizeMB;
    unsigned int mProviderReadBlockSizeMB;
    bool mEnvelopeAlwaysAsWaveform;
    double mEnvelopeMoreResolutionCoeff;
    unsigned int mEnvelopeMemoryOptimizationLevel;

    bool mSequenceNewAlwaysWithPlayer;
    bool mSequenceEditableTrackName;
    bool mSequenceFullSeqInLoopMode;
    bool mSequenceTreatExtraIntv;
    double mSequenceSignificantDuration;
    double mSequenceScaleCoeffMin;
    double mSequenceScaleCoeffMax;
    bool mPlayerUseKeyboardFocus;
    bool mPlayerFollowOnlyWhenPlay;
    bool mPlayerDefaultLoopMode;
    double mPlayerSpeedMax;
    double mPlayerSpeedSubxMax;
    double mPlayerRwdFwdSpeed;
    double mPlayerRwdFwdGainAttenuation;
    bool mPlayerScratchEnabled;
    unsigned int mPlayerScratchAlgoMode;
    double mPlayerScratchSmoothness;
    double mPlayerScratchAutoStopDelay;
    bool mPlayerMultiAutoPlayWhenScrub;
    bool mPlayerMultiCanCatchAtomicSub;
    bool mPlayerMultiSpanConfinedInSel;
    double mPlayerMultiMinSpanDuration;
    double mPlayerMultiDefaultSpanDuration;
    double mPlayerMultiDefaultSpeed;

    double mPresetSchedulMinPeriod;
    double mPresetRecallMaxDuration;
    double mPresetRecallDefaultDuration;
    unsigned int mEngineResamplingQuality;
    double mEngineBornFadeDuration;
    double mEngineSpanFadeDuration;
    double mEngineZoneFadeDuration;
    double mEngineOlapsysFadeDuration;
    double mEnginePluginWorkMaxDuration;
    AKString mPortAudioOutDeviceName;
    unsigned int mPortAudioOutChannelsBitmap;
    double mPortAudioSampleRate;
    unsigned int mPortAudioBufferSize;
    bool mRouteDefaultMixFurtherIn;
    bool mRouteDefaultFillFurtherOut;
    AKFilePath mRecordSoundFolderPath;
    bool mRecordModeOverwrite;
    double mBounceExportMaxDuration;

    AKString mMidiInputDeviceNames;
    unsigned int mMidiInputDeviceCount;
    bool mMidiShowAdvanced;
    bool mMidiLearnAnyChannel;
    bool mMidiLearnAutoDisable;
    bool mMidiLogRawMessages;
    bool mOscSendEnabled;
    AKString mOscSendToHostName;
    unsigned int mOscSendToHostPort;
    bool mOscReceiveEnabled;
    unsigned int mOscReceiveOnPort;

    QVAudioFormat mRecordSoundFormat;
    QVAudioPCMInfo mRecordSoundFormatInfo;
    AKFilePathArray mPluginSearchPaths;
    QVPrefsUIntArray mPluginSearchFlags;
    QVDocPrefs mDefaultDocPrefs;
};

#undef QV_PREF_VALUE
#undef QV_PREF_OBJECT

// The shared instance.
extern QVPrefs* const gQVPrefs;
