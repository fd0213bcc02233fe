#pragma once

// QVProviderSound: the readable sound of a provider, as the mixing path and
// the displays see it. A provider publishes one through an atomic pointer
// once its memory is in place, and takes it back before releasing it: the
// mode, channel count and frame count here never change while it is
// published, so a reader that loaded the pointer sees one consistent sound
// until the deferred release frees it after some idle passes.

#include "AKFile.h"
#include "QVSampleEnvelope.h"
#include "QVSampleRawPCMData.h"
#include "QXSampleBuffer.h"

constexpr unsigned int kQVProviderModeNone = 0;
constexpr unsigned int kQVProviderModeDecoded = 1;
constexpr unsigned int kQVProviderModeMapped = 2;

struct QVProviderSound {
    QVProviderSound(unsigned int soundMode, unsigned int channels, unsigned long long frames)
        : mode(soundMode), channelCount(channels), frameCount(frames)
    {}
    ~QVProviderSound()
    {
        delete envelope;
        rawData.DetachPCMData();
        delete mappedFile;  // unmaps and closes
    }
    QVProviderSound(QVProviderSound const&) = delete;
    QVProviderSound& operator=(QVProviderSound const&) = delete;

    unsigned int const mode;
    unsigned int const channelCount;
    unsigned long long const frameCount;
    QXSampleBuffer<float> samples;  // decoded: every channel and frame, allocated clean
    AKFile* mappedFile = nullptr;   // mapped: owns the mapping
    QVSampleRawPCMData rawData;     // mapped: views the file's samples
    QVSampleEnvelope* envelope = nullptr;
};
