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

    static QVAudioResourcePrefs sShared;
};
