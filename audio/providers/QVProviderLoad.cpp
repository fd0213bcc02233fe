// QVProvider: the loading steps, decoded or mapped.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVProvider.h"
#include "QVProviderReaderFactory.h"
#include "QVSoundFileReader.h"

#include <algorithm>
#include <new>

namespace {

// A mapping that does not hold every sample its header announces.
constexpr int kMappingTooShort = 1;

bool IsVerbose() { return QVAudioResourcePrefs::sShared.internalVerboseLevel >= 2; }

}  // namespace

int QVProvider::LowLoadStart()
{
    if (GetState() != kQVProviderStateIdle || !mFileInfo.IsValid())
        return kQVErrorProviderInternalBadState;

    unsigned int const channels = mFileInfo.channelCount;
    unsigned long long const frames = mFileInfo.frameCount;
    // Unsigned 32-bit arithmetic: one block of interleaved floats weighs
    // about the preference in megabytes.
    unsigned int const blockBytes = QVAudioResourcePrefs::sShared.providerReadBlockSizeMB * 1048576u;
    mBlockFrames = blockBytes / (4u * channels);

    unsigned int mode = GetMode();
    int status = 0;
    QVProviderSound* sound = nullptr;
    if (mode != kQVProviderModeMapped && mode != kQVProviderModeDecoded) {
        status = kQVErrorProviderInternalError;
    } else if (frames == 0) {
        // An empty sound loads empty: nothing to map, decode or envelope.
        sound = new (std::nothrow) QVProviderSound(mode, channels, 0);
        if (sound == nullptr)
            status = kQVErrorProviderCantAllocateMem;
    } else {
        if (mode == kQVProviderModeMapped) {
            sound = new (std::nothrow) QVProviderSound(mode, channels, frames);
            status = sound != nullptr ? LowLoadStartMapped(sound) : kQVErrorProviderCantAllocateMem;
            if (status == kMappingTooShort) {
                // The file shrank or its header lies: decode what it holds.
                delete sound;
                sound = nullptr;
                mStagingBlock.Free();
                mode = kQVProviderModeDecoded;
                mMode.store(mode, std::memory_order_release);
                status = 0;
            }
        }
        if (mode == kQVProviderModeDecoded) {
            sound = new (std::nothrow) QVProviderSound(mode, channels, frames);
            status = sound != nullptr ? LowLoadStartDecoded(sound) : kQVErrorProviderCantAllocateMem;
        }
        if (status == 0 && QVAudioServices::Get().IsWaveformBuildingOn()) {
            sound->envelope = new (std::nothrow) QVSampleEnvelope();
            if (sound->envelope == nullptr || !sound->envelope->AllocateClean(channels, frames, mFileInfo.sampleRate))
                status = kQVErrorProviderCantAllocateMem;
        }
    }

    if (status != 0) {
        delete sound;
        mState.store(kQVProviderStateDone, std::memory_order_release);
        mError.store(MissingOrUnusable(), std::memory_order_release);
        LowFreeMemory(false);
        if (status == kQVErrorProviderCantAllocateMem)
            AKLogError(status, "Can't allocate memory for provider \"%s\"", mPath.c_str());
        return status;
    }

    mLoadedFrames.store(0, std::memory_order_relaxed);
    mEmptyReads = 0;
    mSound.store(sound, std::memory_order_release);
    mState.store(kQVProviderStateLoading, std::memory_order_release);
    if (IsVerbose())
        AKLog("- QVProvider::LowLoadStart() sta:%u total:%llu path:\"%s\"\n", GetState(), frames, mPath.c_str());
    return 0;
}

int QVProvider::LowLoadStartMapped(QVProviderSound* sound)
{
    if (mFileInfo.rawDataOffset < 0)
        return kQVErrorProviderInternalError;
    unsigned long long const stagingFrames = std::min<unsigned long long>(mBlockFrames, sound->frameCount);
    if (!mStagingBlock.AllocateClean(sound->channelCount, stagingFrames, mFileInfo.sampleRate))
        return kQVErrorProviderCantAllocateMem;

    sound->mappedFile = new (std::nothrow) AKFile(mPath);
    if (sound->mappedFile == nullptr)
        return kQVErrorProviderCantAllocateMem;
    int status = sound->mappedFile->OpenForRead();
    if (status != 0)
        return status;
    unsigned long long mappedSize = 0;
    auto const* base = static_cast<unsigned char const*>(sound->mappedFile->MemMapAll(&mappedSize));
    if (base == nullptr)
        return kQVErrorProviderInternalError;

    // Never trust the header over the mapping: every announced sample must
    // lie inside the mapped bytes.
    unsigned int const bytesPerSample = QVAudioPCMInfoGetBytesPerSample(mFileInfo.pcmInfo);
    unsigned long long const offset = static_cast<unsigned long long>(mFileInfo.rawDataOffset);
    unsigned long long const frameBytes = static_cast<unsigned long long>(bytesPerSample) * sound->channelCount;
    if (bytesPerSample == 0 || offset > mappedSize || (mappedSize - offset) / frameBytes < sound->frameCount)
        return kMappingTooShort;

    if (!sound->rawData.AttachPCMData(base + offset, mFileInfo.pcmInfo, sound->channelCount, sound->frameCount,
                                      mFileInfo.sampleRate))
        return kQVErrorProviderInternalError;
    return 0;
}

int QVProvider::LowLoadStartDecoded(QVProviderSound* sound)
{
    unsigned long long const maxBytes =
        static_cast<unsigned long long>(QVAudioResourcePrefs::sShared.providerSoundMaxSizeMB) * 1048576ull;
    if (sound->frameCount * 4ull > maxBytes)
        return AKLogError(kQVErrorProviderSoundFileTooBig, "Can't build provider with biggest sound file \"%s\"",
                          mPath.c_str());
    // A full block even for a short sound: a file longer than its header
    // shows itself by delivering more than is left.
    if (!mReadBlock.AllocateClean(sound->channelCount, mBlockFrames, mFileInfo.sampleRate) ||
        !sound->samples.AllocateClean(sound->channelCount, sound->frameCount, mFileInfo.sampleRate))
        return kQVErrorProviderCantAllocateMem;
    mReader = QVProviderReaderFactory::NewReader(mPath);
    if (mReader == nullptr)
        return kQVErrorProviderInternalError;
    mReaderName = mReader->GetName();
    return 0;
}

int QVProvider::LowLoadNext()
{
    if (GetState() != kQVProviderStateLoading)
        return kQVErrorProviderInternalBadState;
    QVProviderSound* const sound = mSound.load(std::memory_order_acquire);
    unsigned long long loaded = mLoadedFrames.load(std::memory_order_relaxed);
    if (sound == nullptr || loaded >= sound->frameCount) {
        mState.store(kQVProviderStateLoaded, std::memory_order_release);
        if (IsVerbose())
            AKLog("- QVProvider::LowLoadNext()  sta:%u fra:%llu\n", kQVProviderStateLoaded, loaded);
        return 0;
    }

    unsigned long long delivered = 0;
    int status = 0;
    if (sound->mode == kQVProviderModeMapped) {
        status = LowLoadNextMapped(sound, &delivered);
    } else if (sound->mode == kQVProviderModeDecoded) {
        status = LowLoadNextDecoded(sound, &delivered);
    } else {
        status = kQVErrorProviderInternalError;
    }
    if (status != 0) {
        mError.store(kQVProviderErrorUnusable, std::memory_order_release);
        mState.store(kQVProviderStateLoaded, std::memory_order_release);
        return status;
    }

    if (delivered > 0) {
        loaded += delivered;
        mLoadedFrames.store(loaded, std::memory_order_relaxed);
        mEmptyReads = 0;
    } else if (++mEmptyReads >= kQVProviderMaxEmptyReads) {
        AKLogWarning(kQVWarningProviderSoundDurationLower,
                     "Real duration is lower (-%d frames) than the expected in sound file \"%s\"",
                     static_cast<int>(sound->frameCount - loaded), mPath.c_str());
        // The frames never read stay silent: the samples were allocated clean.
        loaded = sound->frameCount;
        mLoadedFrames.store(loaded, std::memory_order_relaxed);
        mState.store(kQVProviderStateLoaded, std::memory_order_release);
    }
    if (IsVerbose())
        AKLog("- QVProvider::LowLoadNext()  sta:%u fra:%llu\n", GetState(), loaded);
    return 0;
}

int QVProvider::LowLoadNextMapped(QVProviderSound* sound, unsigned long long* delivered)
{
    unsigned long long const loaded = mLoadedFrames.load(std::memory_order_relaxed);
    unsigned long long const n = std::min(mStagingBlock.FrameCount(), sound->frameCount - loaded);
    if (sound->envelope != nullptr) {
        QVSampleRange const staging = QVSampleRangeMake(-1, 0, n);
        if (!mStagingBlock.CopyCastDeinterleavePCMData(sound->rawData, staging, QVSampleRangeMake(-1, loaded, n)) ||
            !sound->envelope->IntegrateSamples(mStagingBlock, QVSampleRangeMake(-1, loaded, n), staging))
            return kQVErrorProviderInternalError;
    }
    *delivered = n;
    return 0;
}

int QVProvider::LowLoadNextDecoded(QVProviderSound* sound, unsigned long long* delivered)
{
    unsigned long long const loaded = mLoadedFrames.load(std::memory_order_relaxed);
    unsigned long long const left = sound->frameCount - loaded;
    unsigned long long n = mReadBlock.FrameCount();
    int status = mReader->ReadNextFrames(mReadBlock.FramePtr(0), &n);
    if (status != 0)
        return status;
    if (n > left) {
        AKLogWarning(kQVWarningProviderSoundDurationGreater,
                     "Real duration is greater (+%d frames) than the expected in sound file \"%s\"",
                     static_cast<int>(n - left), mPath.c_str());
        n = left;
    }
    if (n > 0) {
        QVSampleRange const range = QVSampleRangeMake(-1, loaded, n);
        if (!sound->samples.CopyCastDeinterleave(mReadBlock, range, QVSampleRangeMake(-1, 0, n)))
            return kQVErrorProviderInternalError;
        if (sound->envelope != nullptr && !sound->envelope->IntegrateSamples(sound->samples, range))
            return kQVErrorProviderInternalError;
    }
    *delivered = n;
    return 0;
}

void QVProvider::LowLoadEnd()
{
    if (GetState() != kQVProviderStateLoaded)
        return;
    bool const keep = GetError() == kQVProviderErrorNone;
    mState.store(kQVProviderStateDone, std::memory_order_release);
    LowFreeMemory(keep);
    if (IsVerbose())
        AKLog("- QVProvider::LowLoadEnd()   sta:%u err:%d\n", GetState(), static_cast<int>(GetError()));
}

int QVProvider::LoadSoundSync()
{
    if (GetState() != kQVProviderStateIdle)
        return 0;
    int status = LowLoadStart();
    while (status == 0 && GetState() == kQVProviderStateLoading)
        status = LowLoadNext();
    LowLoadEnd();
    return status;
}
