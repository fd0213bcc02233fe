// QVProvider: copies of the samples for the mixing path, the displays and the
// C-style interface. Nothing here allocates, locks or logs.

#include "QVProvider.h"
#include "QVSig.h"

#include <algorithm>
#include <cstring>

template <class T>
bool QVProvider::CopySampleBuffer(QXSampleBuffer<T>* destination, int destinationChannel, int sourceChannel,
                                  long long position, bool zero, unsigned long long* copied) const
{
    if (destination == nullptr)
        return false;
    // One load of the pointer: the sound stays whole for this call even
    // when it is taken back meanwhile.
    QVProviderSound const* const sound = GetState() != kQVProviderStateIdle ? GetSound() : nullptr;
    unsigned int const channels = sound != nullptr ? sound->channelCount : 0;
    bool const refused =
        GetState() == kQVProviderStateIdle ||
        (destinationChannel != -1 &&
         (destinationChannel < 0 || static_cast<unsigned int>(destinationChannel) >= destination->ChannelCount())) ||
        (sourceChannel != -1 && (sourceChannel < 0 || static_cast<unsigned int>(sourceChannel) >= channels));
    if (refused) {
        if (zero)
            destination->Zeroset(kQVSampleRangeAll);
        return false;
    }

    long long const wanted = static_cast<long long>(destination->FrameCount());
    long long const total = sound != nullptr ? static_cast<long long>(sound->frameCount) : 0;
    long long const first = std::max(position, 0ll);
    long long const end = std::min(position + wanted, total);
    bool done = false;
    unsigned long long length = 0;
    if (wanted > 0 && end > first) {
        length = static_cast<unsigned long long>(end - first);
        unsigned long long const offset = position < 0 ? static_cast<unsigned long long>(-position) : 0;
        if (length < static_cast<unsigned long long>(wanted)) {
            destination->Zeroset(QVSampleRangeMake(-1, 0, offset));
            destination->Zeroset(
                QVSampleRangeMake(-1, offset + length, static_cast<unsigned long long>(wanted) - offset - length));
        }
        QVSampleRange const des = QVSampleRangeMake(destinationChannel, offset, length);
        QVSampleRange const src = QVSampleRangeMake(sourceChannel, static_cast<unsigned long long>(first), length);
        if (sound->mode == kQVProviderModeMapped)
            done = destination->CopyCastDeinterleavePCMData(sound->rawData, des, src);
        else if (sound->mode == kQVProviderModeDecoded)
            done = destination->CopyCast(sound->samples, des, src);
    }
    if (!done && zero)
        destination->Zeroset(kQVSampleRangeAll);
    if (copied != nullptr)
        *copied = done ? length : 0;
    return done;
}

template <class T>
bool QVProvider::CopyRawInterleavedSampleBuffer(T* destination, unsigned long long* count,
                                                unsigned long long first) const
{
    QVProviderSound const* const sound = GetState() != kQVProviderStateIdle ? GetSound() : nullptr;
    if (GetState() == kQVProviderStateIdle || destination == nullptr || count == nullptr) {
        if (count != nullptr)
            *count = 0;
        return false;
    }
    unsigned long long const wanted = *count;
    if (wanted == 0)
        return true;
    unsigned int const channels = sound != nullptr ? sound->channelCount : 0;
    unsigned long long const total = sound != nullptr ? sound->frameCount : 0;
    bool done = false;
    unsigned int copiedFrames = 0;
    if (sound != nullptr && first <= total) {
        copiedFrames = static_cast<unsigned int>(std::min(wanted, total - first));
        if (sound->mode == kQVProviderModeMapped) {
            done = copiedFrames == 0 ||
                   QVSig::CopyCastInterleavePCMData(destination, sound->rawData.FramePtrConst(first),
                                                    sound->rawData.PCMInfo(), 0, 1, copiedFrames * channels);
        } else if (sound->mode == kQVProviderModeDecoded) {
            for (unsigned int channel = 0; channel < channels && copiedFrames > 0; ++channel)
                QVSig::CopyCastInterleave(destination, sound->samples.SamplePtrConst(channel, first), channel, channels,
                                          copiedFrames);
            done = true;
        }
    }
    if (!done)
        copiedFrames = 0;
    if (channels > 0 && wanted > copiedFrames)
        std::memset(destination + static_cast<unsigned long long>(copiedFrames) * channels, 0,
                    static_cast<size_t>((wanted - copiedFrames) * channels) * sizeof(T));
    *count = copiedFrames;
    return done;
}

template bool QVProvider::CopySampleBuffer<float>(QXSampleBuffer<float>*, int, int, long long, bool,
                                                  unsigned long long*) const;
template bool QVProvider::CopySampleBuffer<double>(QXSampleBuffer<double>*, int, int, long long, bool,
                                                   unsigned long long*) const;
template bool QVProvider::CopyRawInterleavedSampleBuffer<float>(float*, unsigned long long*, unsigned long long) const;
template bool QVProvider::CopyRawInterleavedSampleBuffer<double>(double*, unsigned long long*,
                                                                 unsigned long long) const;
