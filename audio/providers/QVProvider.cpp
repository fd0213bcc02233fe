// QVProvider: identity, file info, texts, queries and memory release.

#include "QVProvider.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTextForms.h"
#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVProviderReleaseQueue.h"
#include "QVSoundFileReader.h"

std::atomic<QVProviderID> QVProvider::sNextID{1};

QVProviderID QVProvider::PeekNextID() { return sNextID.load(); }

void QVProvider::SetNextIDForTesting(QVProviderID id) { sNextID.store(id); }

QVProvider::QVProvider(AKFilePath const& path) : mID(sNextID.fetch_add(1)), mColor(kAGColorBlack)
{
    Reinit(path);
    mColor = QVProviderGetUIDataColor(mID & 7u, nullptr);
}

QVProvider::~QVProvider()
{
    // Deleted only once no reader is left (the manager defers it), so the
    // sound goes at once.
    delete mReader;
    delete mSound.exchange(nullptr);
}

unsigned int QVProvider::MissingOrUnusable() const
{
    return AKFileUtils::FileExists(mPath) ? kQVProviderErrorUnusable : kQVProviderErrorNotFound;
}

int QVProvider::Reinit(AKFilePath const& path)
{
    // Unreadable first: neither the loader nor the audio thread may reach
    // the old sound once it is handed to the release queue.
    mState.store(kQVProviderStateDone, std::memory_order_release);
    LowFreeMemory(false);
    mPath = path;
    mShortName = mPath.ShortFileName();

    QVAudioFileInfo info;
    AKString readerName;
    if (QVSoundFileReader::ReadSoundInfo(mPath, &info, &readerName, nullptr) != 0) {
        mFileInfo.Clear();
        mReaderName.Clear();
        mMode.store(kQVProviderModeNone, std::memory_order_release);
        unsigned int error = MissingOrUnusable();
        mError.store(error, std::memory_order_release);
        LowBuildStatusStrings();
        if (error == kQVProviderErrorUnusable)
            return AKLogError(kQVErrorProviderSoundFileUnknownFormat,
                              "Can't build provider with unknown format sound file \"%s\"", mPath.c_str());
        return AKLogError(kQVErrorProviderSoundFileNotFound, "Can't build provider with not found sound file \"%s\"",
                          mPath.c_str());
    }
    mFileInfo = info;
    mReaderName = readerName;
    bool mapped = QVAudioResourcePrefs::sShared.providerUseMemoryMapping && QVAudioPCMInfoIsValid(info.pcmInfo) &&
                  info.rawDataOffset >= 0;
    mMode.store(mapped ? kQVProviderModeMapped : kQVProviderModeDecoded, std::memory_order_release);
    mError.store(kQVProviderErrorNone, std::memory_order_release);
    LowBuildStatusStrings();
    mState.store(kQVProviderStateIdle, std::memory_order_release);
    return 0;
}

void QVProvider::UnpublishSound() { QVProviderReleaseQueue::sShared.Push(mSound.exchange(nullptr)); }

void QVProvider::LowFreeMemory(bool keep)
{
    delete mReader;
    mReader = nullptr;
    mReadBlock.Free();
    mStagingBlock.Free();
    if (!keep)
        UnpublishSound();
    mBlockFrames = 0;
    mLoadedFrames.store(0, std::memory_order_relaxed);
    mEmptyReads = 0;
}

void QVProvider::LowBuildStatusStrings()
{
    if (mFileInfo.IsValid())
        mInfoString = mFileInfo.GetShortInfoString();
    else if (!mShortName.IsEmpty())
        mInfoString = QVAudioServices::Get().LocaleGetString("(Unknown Format)");
    else
        mInfoString.Clear();

    char duration[kAKStrSetasMaxLen] = {0};
    strSetasDuration(duration, mFileInfo.duration, -1);
    mNameAndDurationString = mShortName;
    if (duration[0] != 0)
        mNameAndDurationString.Appendf(" (%s)", duration);

    mNameAndInfoString = mShortName;
    if (!mInfoString.IsEmpty()) {
        mNameAndInfoString.Append(" / ");
        mNameAndInfoString.Append(mInfoString);
    }
}

QVSampleEnvelope const* QVProvider::GetEnvelope() const
{
    QVProviderSound const* sound = GetSound();
    return sound != nullptr ? sound->envelope : nullptr;
}

unsigned long long QVProvider::LoadingFrameCount() const
{
    switch (GetState()) {
    case kQVProviderStateLoading:
        return mLoadedFrames.load(std::memory_order_relaxed);
    case kQVProviderStateLoaded:
    case kQVProviderStateDone:
        return GetError() != kQVProviderErrorNone ? 0 : mFileInfo.frameCount;
    default:
        return 0;
    }
}

double QVProvider::LoadingProgress() const
{
    switch (GetState()) {
    case kQVProviderStateLoading:
        return mFileInfo.frameCount > 0 ? static_cast<double>(mLoadedFrames.load(std::memory_order_relaxed)) /
                                              static_cast<double>(mFileInfo.frameCount)
                                        : 0.0;
    case kQVProviderStateLoaded:
    case kQVProviderStateDone:
        return GetError() != kQVProviderErrorNone ? 0.0 : 1.0;
    default:
        return 0.0;
    }
}

bool QVProvider::IsSoundDataCompletelyAvailable() const
{
    if (GetError() != kQVProviderErrorNone)
        return false;
    if (GetMode() == kQVProviderModeMapped)
        return GetState() > kQVProviderStateIdle;
    if (GetMode() == kQVProviderModeDecoded)
        return GetState() == kQVProviderStateDone;
    return false;
}

unsigned long long QVProvider::GetUsedMemory() const
{
    QVProviderSound const* sound = GetSound();
    if (sound == nullptr)
        return 0;
    unsigned long long bytes = sound->envelope != nullptr ? sound->envelope->UsedMemory() : 0;
    if (sound->mode == kQVProviderModeDecoded)
        bytes += sound->samples.UsedMemory();
    else if (sound->mode == kQVProviderModeMapped)
        bytes += sound->rawData.ByteCount();
    return bytes;
}

void QVProvider::LogInfo(unsigned int level) const
{
    AKString format;
    if (level > 1) {
        format.Appendf("[%s]  PCM:[%s]  Pos:%d", QVAudioFormatToAKString(mFileInfo.format).c_str(),
                       QVAudioPCMInfoToAKString(mFileInfo.pcmInfo, false).c_str(), mFileInfo.rawDataOffset);
        if (GetMode() == kQVProviderModeMapped)
            format.Append("  (Mapped)");
    }
    AKLog("| ID:       %04u\n", mID);
    AKLog("| Data:     \"%s\" %s\n", mShortName.c_str(), mInfoString.c_str());
    if (level >= 1)
        AKLog("| File:     \"%s\"\n", mPath.c_str());
    if (level > 1)
        AKLog("| Format:   %s\n", format.c_str());
    AKString frame("+");
    for (int i = 0; i < 82; ++i)
        frame.Append("-");
    frame.Append("+\n");
    AKLog("%s", frame.c_str());
}
