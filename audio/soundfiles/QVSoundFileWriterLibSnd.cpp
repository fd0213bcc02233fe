#include "QVSoundFileWriterLibSnd.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVSndFileFormats.h"

#include <cmath>
#include <cstring>

namespace {

sf_count_t WriteFrames(SNDFILE* handle, float const* frames, sf_count_t count)
{
    return sf_writef_float(handle, frames, count);
}

sf_count_t WriteFrames(SNDFILE* handle, double const* frames, sf_count_t count)
{
    return sf_writef_double(handle, frames, count);
}

}  // namespace

bool QVSoundFileWriterLibSnd::IsSupportedFileFormat(QVAudioFileInfo const& info)
{
    return QVSndFileBuildWriteFormat(info, nullptr);
}

QVSoundFileWriterLibSnd::QVSoundFileWriterLibSnd(AKFilePath const& path, QVAudioFileInfo const& info)
    : QVSoundFileWriter("SndFile", path, info)
{}

QVSoundFileWriterLibSnd::~QVSoundFileWriterLibSnd() { Close(); }

int QVSoundFileWriterLibSnd::Open()
{
    if (IsOpened())
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());

    int format = 0;
    char systemPath[kAKSystemPathMaxSize];
    if (!mPath.IsEmpty() && QVSndFileBuildWriteFormat(mFileInfo, &format) &&
        AKFileUtils::GetAsSystemPath(systemPath, mPath, false)) {
        SF_INFO info;
        std::memset(&info, 0, sizeof(info));
        info.samplerate = static_cast<int>(std::floor(mFileInfo.sampleRate + 0.5));
        info.channels = static_cast<int>(mFileInfo.channelCount);
        info.format = format;
        mHandle = sf_open(systemPath, SFM_WRITE, &info);
        // Saturate out-of-range samples instead of letting them wrap around
        // (a full-scale 1.0 becomes the most negative 32-bit integer
        // otherwise); this also scales by 2^(bits-1), the inverse of reading.
        if (mHandle != nullptr)
            sf_command(mHandle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    if (mHandle == nullptr) {
        Close();
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for write) sound-file \"%s\"", mPath.c_str());
    }
    return 0;
}

void QVSoundFileWriterLibSnd::Close()
{
    if (mHandle != nullptr) {
        sf_close(mHandle);
        mHandle = nullptr;
    }
}

template <typename T>
int QVSoundFileWriterLibSnd::LowWriteFrames(T const* frames, unsigned long long count)
{
    if (!IsOpened())
        return AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
    if (count == 0)
        return 0;
    if (frames == nullptr ||
        WriteFrames(mHandle, frames, static_cast<sf_count_t>(count)) != static_cast<sf_count_t>(count))
        return AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());
    AddWrittenFrames(count);
    return 0;
}

int QVSoundFileWriterLibSnd::WriteNextFrames(float const* frames, unsigned long long count)
{
    return LowWriteFrames(frames, count);
}

int QVSoundFileWriterLibSnd::WriteNextFrames(double const* frames, unsigned long long count)
{
    return LowWriteFrames(frames, count);
}
