#pragma once

// QVPrefs: the engine's global preferences, one shared instance. This holds
// the engine settings of the audio path and the plug-in folders; engine code
// reads them here, and the audio resources, which cannot see this class,
// read copies: the real-time settings in QVAudioResourcePrefs, refreshed by
// every setter here, and the plug-in folders through the engine's services.
//
// Each setter keeps its value within the setting's range, and a change marks
// the preferences modified and moves their change stamp.
//
// Main thread for the setters; the audio side reads its copies without
// locking.

#include "AKFilePath.h"
#include "ATNumberArray.h"

typedef ATNumberArray<unsigned int, unsigned int, 32> QVPrefsUIntArray;

class QVPrefs
{
public:
    static QVPrefs sShared;

    // Defaults: fades of 0.005 s, plug-ins running 10 s after silence, no
    // plug-in folders; not modified.
    QVPrefs();

    // --- Engine settings (seconds) ---

    // "Engine.BornFadeDuration", 0.0001 to 0.01: fades of new and removed
    // pools and of a plug-in's bypass.
    double GetEngineBornFadeDuration() const { return mEngineBornFadeDuration; }
    bool SetEngineBornFadeDuration(double seconds);
    // "Engine.OlapsysFadeDuration", 0.0001 to 0.01: the anti-click overlap.
    double GetEngineOlapsysFadeDuration() const { return mEngineOlapsysFadeDuration; }
    bool SetEngineOlapsysFadeDuration(double seconds);
    // "Engine.PluginWorkMaxDuration", 1 to 600: how long a plug-in keeps
    // running after its input stops while its output still sounds.
    double GetEnginePluginWorkMaxDuration() const { return mEnginePluginWorkMaxDuration; }
    bool SetEnginePluginWorkMaxDuration(double seconds);

    // The overlap rendered beyond a block of that size at that rate: the
    // whole block up to 64 frames; otherwise the fade duration in frames
    // (rounded up), at least 64 and at most (block + 64) / 2.
    static unsigned long long EngineComputeOlapsysFrameCount(unsigned long long blockFrames, double sampleRate);

    // --- Plug-in folders ---

    // "Plugin.SearchPaths" and "Plugin.SearchFlags" (one number per path:
    // bit 0 a standard folder, bit 1 scanned). Each setter stores a copy and
    // answers true when it differs from the stored list, else changes nothing.
    AKFilePathArray const& GetPluginSearchPaths() const { return mPluginSearchPaths; }
    QVPrefsUIntArray const& GetPluginSearchFlags() const { return mPluginSearchFlags; }
    bool SetPluginSearchPaths(AKFilePathArray const& paths);
    bool SetPluginSearchFlags(QVPrefsUIntArray const& flags);

    // --- Sound providers, envelopes and diagnostics ---
    // (ranges kept by the setters; each change is published to the audio
    // resources)

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
    // "Internal.VerboseLevel", at most 9.
    unsigned int GetInternalVerboseLevel() const { return mInternalVerboseLevel; }
    bool SetInternalVerboseLevel(unsigned int level);

    // --- Changes ---

    bool IsModified() const { return mModified; }
    void SetModified(bool modified) { mModified = modified; }
    unsigned int GetChangeStamp() const { return mChangeStamp; }

    // Copies the settings the audio resources read into QVAudioResourcePrefs.
    void PublishAudioResourcePrefs() const;

private:
    // A real setting kept within its range; true (modified, stamp moved)
    // when it changed.
    bool SetClampedSeconds(double* setting, double seconds, double low, double high);
    void Changed();
    // The provider, envelope and diagnostic settings into the audio copies.
    void PublishProviderPrefs() const;
    template <class T>
    bool SetProviderSetting(T* setting, T value);

    bool mProviderPreferSysReader = true;
    bool mProviderUseMemoryMapping = true;
    unsigned int mProviderSimultaneousLoad = 3;
    unsigned int mProviderSoundMaxSizeMB = 2000;
    unsigned int mProviderReadBlockSizeMB = 8;
    bool mEnvelopeAlwaysAsWaveform = false;
    double mEnvelopeMoreResolutionCoeff = 2.0;
    unsigned int mEnvelopeMemoryOptimizationLevel = 1;
    unsigned int mInternalVerboseLevel = 1;

    double mEngineBornFadeDuration;
    double mEngineOlapsysFadeDuration;
    double mEnginePluginWorkMaxDuration;
    AKFilePathArray mPluginSearchPaths;
    QVPrefsUIntArray mPluginSearchFlags;
    bool mModified = false;
    unsigned int mChangeStamp;
};
