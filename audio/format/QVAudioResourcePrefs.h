#pragma once

// QVAudioResourcePrefs: the engine preferences that the audio resources read,
// as plain members with their defaults. The audio layer cannot see the
// engine's preferences object, so the engine's preferences write these
// members whenever they load or change; until then the defaults apply. The
// members are read without locking, each where its user says.

// Largest memory optimisation level of the min/max envelopes; a larger
// stored value counts as this one.
constexpr unsigned int kQVEnvelopeMemoryOptimizationLevelMax = 2;

struct QVAudioResourcePrefs {
    // "Provider.PreferSysReader": the system sound-file reader is tried
    // first for the extensions it knows when set, last when clear.
    bool providerPreferSysReader = true;
    // "Envelope.MemoryOptimizationLevel": trades envelope detail for memory
    // (0 finest, 2 least memory); read by each envelope when it is built.
    unsigned int envelopeMemoryOptimizationLevel = 1;
    // "Provider.UseMemoryMapping": raw PCM files are mapped, not decoded.
    bool providerUseMemoryMapping = true;
    // "Provider.SimultaneousLoad" (1 to 20): providers loading at once.
    unsigned int providerSimultaneousLoad = 3;
    // "Provider.SoundMaxSizeMB" (1 to 2040): largest decoded channel of
    // float samples, in megabytes of 1048576 bytes.
    unsigned int providerSoundMaxSizeMB = 2000;
    // "Provider.ReadBlockSizeMB" (1 to 128): one loading block of
    // interleaved floats, in megabytes.
    unsigned int providerReadBlockSizeMB = 8;
    // "Envelope.AlwaysAsWaveform": track displays always draw waveform points.
    bool envelopeAlwaysAsWaveform = false;
    // "Envelope.MoreResolutionCoeff" (0.5 to 4): divides the samples per
    // pixel before the track displays' threshold.
    double envelopeMoreResolutionCoeff = 2.0;
    // "Internal.VerboseLevel" (0 to 9): at 2 or more providers log every
    // loading step.
    unsigned int internalVerboseLevel = 1;
    // "Engine.BornFadeDuration", seconds: the length of a plug-in's bypass
    // crossfade; read by every plug-in block.
    double engineBornFadeDuration = 0.005;
    // "Engine.PluginWorkMaxDuration", seconds: how long a plug-in keeps
    // running after its input stops while its output is not silent; read by
    // every plug-in block.
    double enginePluginWorkMaxDuration = 10.0;

    static QVAudioResourcePrefs sShared;
};
