#include "QVSoundFileReader.h"

#include "AKLog.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"

#include <cstdarg>
#include <cstring>

// Column at which the values of info lines start.
static constexpr int kInfoLabelWidth = 20;

QVSoundFileReader::QVSoundFileReader(AKString const& name, AKFilePath const& path)
    : mName(name), mPath(path), mFileInfo(kQVNullAudioFileInfo)
{}

QVSoundFileReader::~QVSoundFileReader() = default;

bool QVSoundFileReader::IsSkipNextFramesSafe() const { return mFileInfo.pcmInfo > 0; }

int QVSoundFileReader::SkipNextFrames(unsigned long long count) const { return SkipNextFrames(&count); }

bool QVSoundFileReader::BeginTransfer(unsigned long long* count, int* status) const
{
    *status = 0;
    if (count == nullptr)
        return false;
    if (!IsOpened()) {
        *count = 0;
        *status = AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
        return false;
    }
    return true;
}

void QVSoundFileReader::ZeroTail(float* frames, unsigned long long wanted, unsigned long long delivered) const
{
    if (frames == nullptr || delivered >= wanted)
        return;
    unsigned long long const channels = mFileInfo.channelCount;
    std::memset(frames + delivered * channels, 0, (wanted - delivered) * channels * sizeof(float));
}

// A refused or failed buffer read delivers nothing: the caller's range says 0 frames.
static int RefuseBufferRead(int status, QVSampleRange* range)
{
    if (range != nullptr)
        range->frameCount = 0;
    return status;
}

template <typename T>
int QVSoundFileReader::ReadNextFrames(QXSampleInterleaved<T>* buffer, QVSampleRange* range) const
{
    QVSampleRange checked = range != nullptr ? *range : kQVSampleRangeAll;
    if (buffer == nullptr || !QVSampleRangeCheck("ReadNextFrames", "Des", &checked, *buffer) ||
        checked.channel != kQVSampleRangeAllChannels || buffer->ChannelCount() != mFileInfo.channelCount)
        return RefuseBufferRead(AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str()),
                                range);

    unsigned long long count = checked.frameCount;
    int const status = ReadNextFrames(count > 0 ? buffer->FramePtr(checked.firstFrame) : nullptr, &count);
    if (status != 0)
        return RefuseBufferRead(status, range);
    checked.frameCount = count;
    if (range != nullptr)
        *range = checked;
    return 0;
}

template <typename T>
int QVSoundFileReader::ReadNextFrames(QXSampleBuffer<T>* buffer, QVSampleRange* range) const
{
    QVSampleRange checked = range != nullptr ? *range : kQVSampleRangeAll;
    if (buffer == nullptr || !QVSampleRangeCheck("ReadNextFrames", "Des", &checked, *buffer) ||
        checked.channel != kQVSampleRangeAllChannels || buffer->ChannelCount() != mFileInfo.channelCount)
        return RefuseBufferRead(AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str()),
                                range);

    unsigned long long count = checked.frameCount;
    if (count == 0) {
        int const status = ReadNextFrames(static_cast<float*>(nullptr), &count);
        if (status != 0)
            return RefuseBufferRead(status, range);
    } else {
        QXSampleInterleaved<float> block;
        if (!block.Allocate(mFileInfo.channelCount, count, buffer->SampleRate(), false))
            return RefuseBufferRead(AKLogError(kAKErrorNoMemory, "Can't read sound-file \"%s\"", mPath.c_str()), range);
        int const status = ReadNextFrames(block.FramePtr(0), &count);
        if (status != 0)
            return RefuseBufferRead(status, range);
        QVSampleRange destination = checked;
        destination.isNormalised = false;
        destination.frameCount = count;
        buffer->CopyCastDeinterleave(block, destination, QVSampleRangeMake(kQVSampleRangeAllChannels, 0, count));
    }
    checked.frameCount = count;
    if (range != nullptr)
        *range = checked;
    return 0;
}

template int QVSoundFileReader::ReadNextFrames<float>(QXSampleInterleaved<float>*, QVSampleRange*) const;
template int QVSoundFileReader::ReadNextFrames<float>(QXSampleBuffer<float>*, QVSampleRange*) const;

void QVSoundFileReader::AppendRawInfoLine(AKString* text, char const* label, char const* format, ...)
{
    text->Appendf("%-*s", kInfoLabelWidth, label);
    va_list args;
    va_start(args, format);
    text->Appendv(format, args);
    va_end(args);
    text->Append("\n");
}

AKString QVSoundFileReader::GetAllInfoString() const
{
    AKString text;
    text.SetCapacity(800);
    text.Append("SOUND:\n");
    AppendRawInfoLine(&text, "Reader:", "[%s]", mName.c_str());
    AppendRawInfoLine(&text, "Path:", "\"%s\"", mPath.c_str());
    AppendRawInfoLine(&text, "Name:", "\"%s\"", mPath.ShortFileName().c_str());
    AppendRawInfoLine(&text, "Exts:", "\"%s\"", mPath.Extension().c_str());
    AppendRawInfoLine(&text, "ShortInfo:", "\"%s\"", mFileInfo.GetShortInfoString().c_str());
    text.Append("INFO:\n");
    text.Append(mFileInfo.GetFullInfoString());
    text.Append("RAW INFO:\n");
    text.Append(mRawInfo);
    return text;
}

void QVSoundFileReader::LogAllInfoString() const { AKLog("%s\n", GetAllInfoString().c_str()); }
