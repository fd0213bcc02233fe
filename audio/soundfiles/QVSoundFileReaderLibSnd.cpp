#include "QVSoundFileReaderLibSnd.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVSndFileFormats.h"
#include "QVSoundFileExtensions.h"

#include <cstring>

QVSoundFileReader* QVSoundFileReaderLibSnd::New(AKFilePath const& path) { return new QVSoundFileReaderLibSnd(path); }

AKStringArray QVSoundFileReaderLibSnd::GetRecognizedFileExtensions()
{
    static AKStringArray const sExtensions = [] {
        AKStringArray extensions;
        int majorCount = 0;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majorCount, sizeof(majorCount));
        for (int index = 0; index < majorCount; ++index) {
            SF_FORMAT_INFO info;
            std::memset(&info, 0, sizeof(info));
            info.format = index;
            if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info)) == 0 && info.extension != nullptr)
                extensions.Push(AKString(info.extension));
        }
        // libsndfile names AIFF files "aiff" and Ogg files by one of their
        // two usual extensions only.
        extensions.Push(AKString("aif"));
        if (extensions.Find(AKString("oga"), nullptr))
            extensions.Push(AKString("ogg"));
        else if (extensions.Find(AKString("ogg"), nullptr))
            extensions.Push(AKString("oga"));
        QVSoundFileExtensionsNormalize(&extensions);
        return extensions;
    }();
    return sExtensions;
}

QVSoundFileReaderLibSnd::QVSoundFileReaderLibSnd(AKFilePath const& path) : QVSoundFileReader("SndFile", path) {}

QVSoundFileReaderLibSnd::~QVSoundFileReaderLibSnd() { Close(); }

int QVSoundFileReaderLibSnd::Open()
{
    if (IsOpened())
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());
    if (mPath.IsEmpty())
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());

    char systemPath[kAKSystemPathMaxSize];
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    if (AKFileUtils::GetAsSystemPath(systemPath, mPath, false))
        mHandle = sf_open(systemPath, SFM_READ, &info);
    if (mHandle == nullptr) {
        Close();
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());
    }

    mRawInfo.Clear();
    AppendRawInfoLine(&mRawInfo, "format:", "0x%08X", static_cast<unsigned int>(info.format));
    AppendRawInfoLine(&mRawInfo, "samplerate:", "%d", info.samplerate);
    AppendRawInfoLine(&mRawInfo, "channels:", "%d", info.channels);
    AppendRawInfoLine(&mRawInfo, "frames:", "%u", static_cast<unsigned int>(info.frames));
    AppendRawInfoLine(&mRawInfo, "sections:", "%d", info.sections);
    AppendRawInfoLine(&mRawInfo, "seekable:", "%d", info.seekable);

    if (info.channels <= 0 || info.frames < 0 || info.samplerate <= 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file \"%s\"", mPath.c_str());
    }

    QVAudioFormat const format = QVSndFileGetAudioFormat(info.format & SF_FORMAT_TYPEMASK);
    double const byteRate = static_cast<double>(sf_current_byterate(mHandle));
    double const bitRate = byteRate > 0.0 ? byteRate * 0.008 : 0.0;
    unsigned int const channels = static_cast<unsigned int>(info.channels);
    unsigned long long const frames = static_cast<unsigned long long>(info.frames);
    double const rate = static_cast<double>(info.samplerate);

    QVAudioPCMInfo const pcmInfo = QVSndFileGetRawPCMInfo(info.format);
    int const offset = pcmInfo != 0 ? QVSndFileMeasureRawDataOffset(systemPath, frames,
                                                                    channels * QVAudioPCMInfoGetBytesPerSample(pcmInfo))
                                    : -1;
    if (offset >= 0) {
        mFileInfo.SetupForMemMap(format, channels, frames, rate, pcmInfo, offset, bitRate);
    } else {
        // Also a raw file whose samples cannot be found where the header
        // says: decoding reads what is there.
        mFileInfo.SetupForRead(format, channels, frames, rate, QVSndFileGetSubtypeBits(info.format & SF_FORMAT_SUBMASK),
                               bitRate);
    }

    mPosition = 0;
    mEndReached = false;
    return 0;
}

void QVSoundFileReaderLibSnd::Close()
{
    if (mHandle != nullptr) {
        sf_close(mHandle);
        mHandle = nullptr;
    }
    mPosition = 0;
    mEndReached = false;
}

int QVSoundFileReaderLibSnd::ReadNextFrames(float* frames, unsigned long long* count) const
{
    int refused = 0;
    if (!BeginTransfer(count, &refused))
        return refused;

    unsigned long long const wanted = *count;
    unsigned long long delivered = 0;
    int status = 0;
    if (wanted > 0 && !mEndReached && frames != nullptr) {
        sf_count_t const read = sf_readf_float(mHandle, frames, static_cast<sf_count_t>(wanted));
        if (read < 0) {
            status = AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str());
        } else {
            delivered = static_cast<unsigned long long>(read);
            mPosition += delivered;
            mEndReached = delivered == 0;
        }
    }
    ZeroTail(frames, wanted, delivered);
    *count = delivered;
    return status;
}

int QVSoundFileReaderLibSnd::SkipNextFrames(unsigned long long* count) const
{
    int refused = 0;
    if (!BeginTransfer(count, &refused))
        return refused;
    if (*count == 0 || mEndReached) {
        *count = 0;
        return 0;
    }
    sf_count_t const before = sf_seek(mHandle, 0, SEEK_CUR);
    sf_count_t const after = before >= 0 ? sf_seek(mHandle, static_cast<sf_count_t>(*count), SEEK_CUR) : -1;
    if (before < 0 || after < 0 || after < before) {
        *count = 0;
        return AKLogError(kQVErrorSoundFileCantSkip, "Can't skip in sound-file \"%s\"", mPath.c_str());
    }
    *count = static_cast<unsigned long long>(after - before);
    mPosition += *count;
    return 0;
}
