#include "QVSoundFileWriterLibLame.h"

#include "AKFileUtils.h"
#include "AKLog.h"

#include <lame/lame.h>

#include <climits>
#include <cstdlib>

// Bit rate in kbit/s of each quality, used when the file info gives none;
// quality 0 leaves the encoder's own.
static constexpr int kDefaultBitRates[kQVLameQualityMax + 1] = {0, 32, 48, 64, 96, 128, 160, 192, 224, 256, 320};

// Frames given to the encoder per call: its counts and the output size are
// ints, so a long write is cut into slices.
static constexpr unsigned long long kSliceFrames = 1u << 16;

// Output bytes the encoder may need for a slice (its documented worst case).
static int OutputSizeFor(unsigned long long frames) { return static_cast<int>(frames * 1.25 + 7200); }

// Room for what the final flush emits.
static constexpr int kFlushSize = 16384;

bool QVSoundFileWriterLibLame::IsSupportedFileFormat(QVAudioFileInfo const& info)
{
    return info.format == QVAudioFormatFromAKString("mp3");
}

QVSoundFileWriterLibLame::QVSoundFileWriterLibLame(AKFilePath const& path, QVAudioFileInfo const& info)
    : QVSoundFileWriter("Lame", path, info)
{}

QVSoundFileWriterLibLame::~QVSoundFileWriterLibLame() { Close(); }

bool QVSoundFileWriterLibLame::SetMoreOption(unsigned int option, int value)
{
    if (IsOpened())
        return false;
    switch (option) {
    case kQVLameOptionQuality:
        mQuality = value < 1 ? 0 : (value > kQVLameQualityMax ? kQVLameQualityMax : static_cast<unsigned int>(value));
        return true;
    case kQVLameOptionJointStereo:
        mJointStereo = value > 0;
        return true;
    default:
        return false;
    }
}

int QVSoundFileWriterLibLame::GetMoreOption(unsigned int option) const
{
    switch (option) {
    case kQVLameOptionQuality:
        return static_cast<int>(mQuality);
    case kQVLameOptionJointStereo:
        return mJointStereo ? 1 : 0;
    default:
        return 0;
    }
}

void QVSoundFileWriterLibLame::LowRelease()
{
    if (mStream != nullptr)
        fclose(mStream);
    if (mEncoder != nullptr)
        lame_close(mEncoder);
    mStream = nullptr;
    mEncoder = nullptr;
}

int QVSoundFileWriterLibLame::Open()
{
    if (IsOpened())
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());
    if (mPath.IsEmpty())
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for write) sound-file \"%s\"", mPath.c_str());

    char systemPath[kAKSystemPathMaxSize];
    if (AKFileUtils::GetAsSystemPath(systemPath, mPath, false))
        mStream = fopen(systemPath, "wb");
    if (mStream != nullptr)
        mEncoder = lame_init();
    if (mStream == nullptr || mEncoder == nullptr) {
        LowRelease();
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for write) sound-file \"%s\"", mPath.c_str());
    }

    MPEG_mode const mode = mFileInfo.channelCount == 1 ? MONO : (mJointStereo ? JOINT_STEREO : STEREO);
    int bitRate = static_cast<int>(mFileInfo.bitRate);
    if (bitRate == 0)
        bitRate = kDefaultBitRates[mQuality > kQVLameQualityMax ? kQVLameQualityMax : mQuality];
    int const rate = static_cast<int>(mFileInfo.sampleRate);
    int channels = mFileInfo.channelCount > INT_MAX ? INT_MAX : static_cast<int>(mFileInfo.channelCount);

    int result = lame_set_mode(mEncoder, mode);
    if (result == 0)
        result = lame_set_num_channels(mEncoder, channels);
    if (result == 0)
        result = lame_set_in_samplerate(mEncoder, rate);
    if (result == 0)
        result = lame_set_out_samplerate(mEncoder, rate);
    if (result == 0 && bitRate > 0)
        result = lame_set_brate(mEncoder, bitRate);
    if (result == 0)
        result = lame_init_params(mEncoder);
    if (result != 0) {
        LowRelease();
        return AKLogError(kQVErrorSoundFileCantOpen,
                          "Can't open (for write) sound-file \"%s\" (lame-encoder returns error %d)", mPath.c_str(),
                          result);
    }
    return 0;
}

template <>
int QVSoundFileWriterLibLame::LowEncodeSlice(float const* frames, int count, unsigned char* output, int outputSize)
{
    // The interleaved entry points take two channels: one channel goes
    // through the planar one, as its left (and only) channel.
    if (mFileInfo.channelCount == 1)
        return lame_encode_buffer_ieee_float(mEncoder, frames, frames, count, output, outputSize);
    return lame_encode_buffer_interleaved_ieee_float(mEncoder, frames, count, output, outputSize);
}

template <>
int QVSoundFileWriterLibLame::LowEncodeSlice(double const* frames, int count, unsigned char* output, int outputSize)
{
    if (mFileInfo.channelCount == 1)
        return lame_encode_buffer_ieee_double(mEncoder, frames, frames, count, output, outputSize);
    return lame_encode_buffer_interleaved_ieee_double(mEncoder, frames, count, output, outputSize);
}

template <typename T>
int QVSoundFileWriterLibLame::LowWriteFrames(T const* frames, unsigned long long count)
{
    if (!IsOpened())
        return AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
    if (count == 0)
        return 0;
    if (frames == nullptr)
        return AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());

    unsigned long long const largestSlice = count < kSliceFrames ? count : kSliceFrames;
    int const outputSize = OutputSizeFor(largestSlice);
    unsigned char* output = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(outputSize), 1));
    if (output == nullptr)
        return AKLogError(kAKErrorNoMemory, "Can't write to sound-file \"%s\"", mPath.c_str());

    int status = 0;
    unsigned long long const channels = mFileInfo.channelCount;
    for (unsigned long long done = 0; done < count && status == 0;) {
        unsigned long long const slice = count - done < kSliceFrames ? count - done : kSliceFrames;
        int const bytes = LowEncodeSlice(frames + done * channels, static_cast<int>(slice), output, outputSize);
        if (bytes < 0) {
            status =
                AKLogError(kQVErrorSoundFileCantWrite,
                           "Can't write to sound-file \"%s\" (lame-encoder returns error %d)", mPath.c_str(), bytes);
        } else if (fwrite(output, 1, static_cast<size_t>(bytes), mStream) != static_cast<size_t>(bytes)) {
            status = AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());
        }
        done += slice;
    }
    std::free(output);
    if (status == 0)
        AddWrittenFrames(count);
    return status;
}

int QVSoundFileWriterLibLame::WriteNextFrames(float const* frames, unsigned long long count)
{
    return LowWriteFrames(frames, count);
}

int QVSoundFileWriterLibLame::WriteNextFrames(double const* frames, unsigned long long count)
{
    return LowWriteFrames(frames, count);
}

void QVSoundFileWriterLibLame::LowFlushMp3Datas()
{
    unsigned char* output = static_cast<unsigned char*>(std::calloc(kFlushSize, 1));
    if (output == nullptr) {
        AKLogError(kAKErrorNoMemory, "Can't write to sound-file \"%s\"", mPath.c_str());
        return;
    }
    int const bytes = lame_encode_flush(mEncoder, output, kFlushSize);
    if (bytes < 0) {
        AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\" (lame-encoder returns error %d)",
                   mPath.c_str(), bytes);
    } else if (fwrite(output, 1, static_cast<size_t>(bytes), mStream) != static_cast<size_t>(bytes)) {
        AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());
    } else {
        // The encoder opened the file with a blank information frame; now
        // that the length is known, write the real one over it, so that
        // readers skip it instead of playing it as a frame of silence.
        size_t const tagBytes = lame_get_lametag_frame(mEncoder, output, kFlushSize);
        if (tagBytes > 0 && tagBytes <= static_cast<size_t>(kFlushSize) && fseek(mStream, 0, SEEK_SET) == 0 &&
            fwrite(output, 1, tagBytes, mStream) != tagBytes)
            AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());
    }
    std::free(output);
}

void QVSoundFileWriterLibLame::Close()
{
    if (mStream != nullptr && mEncoder != nullptr)
        LowFlushMp3Datas();
    LowRelease();
}
