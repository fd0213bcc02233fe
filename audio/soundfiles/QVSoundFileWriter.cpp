#include "QVSoundFileWriter.h"

#include "AKLog.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"

QVSoundFileWriter::QVSoundFileWriter(AKString const& name, AKFilePath const& path, QVAudioFileInfo const& info)
    : mName(name), mPath(path), mFileInfo(info)
{
    mFileInfo.SetFrameCount(0);
}

QVSoundFileWriter::~QVSoundFileWriter() = default;

bool QVSoundFileWriter::SetMoreOption(unsigned int, int) { return false; }

int QVSoundFileWriter::GetMoreOption(unsigned int) const { return 0; }

void QVSoundFileWriter::AddWrittenFrames(unsigned long long count)
{
    mFileInfo.SetFrameCount(mFileInfo.frameCount + count);
}

int QVSoundFileWriter::CheckWriteRange(QVSampleRange* range, unsigned int channelCount,
                                       unsigned long long frameCount) const
{
    // A refused range is a failed write, never an empty success: the caller
    // would otherwise count frames that never reached the file.
    if (!QVSampleRangeCheckCounts("WriteNextFrames", "Src", range, channelCount, frameCount) ||
        range->channel != kQVSampleRangeAllChannels || channelCount != mFileInfo.channelCount)
        return AKLogError(kQVErrorSoundFileCantWrite, "Can't write to sound-file \"%s\"", mPath.c_str());
    return 0;
}

template <typename T>
int QVSoundFileWriter::WriteNextFrames(QXSampleInterleaved<T> const& source, QVSampleRange const& range)
{
    QVSampleRange checked = range;
    int const status = CheckWriteRange(&checked, source.ChannelCount(), source.FrameCount());
    if (status != 0)
        return status;
    if (checked.frameCount == 0)
        return WriteNextFrames(static_cast<T const*>(nullptr), 0);
    return WriteNextFrames(source.FramePtrConst(checked.firstFrame), checked.frameCount);
}

template <typename T>
int QVSoundFileWriter::WriteNextFrames(QXSampleBuffer<T> const& source, QVSampleRange const& range)
{
    QVSampleRange checked = range;
    int const status = CheckWriteRange(&checked, source.ChannelCount(), source.FrameCount());
    if (status != 0)
        return status;
    if (checked.frameCount == 0)
        return WriteNextFrames(static_cast<T const*>(nullptr), 0);
    QXSampleInterleaved<T> block;
    if (!block.Allocate(source.ChannelCount(), checked.frameCount, source.SampleRate(), false))
        return AKLogError(kAKErrorNoMemory, "Can't write to sound-file \"%s\"", mPath.c_str());
    block.CopyCastInterleave(source, kQVSampleRangeAll, checked);
    return WriteNextFrames(block.FramePtrConst(0), checked.frameCount);
}

template int QVSoundFileWriter::WriteNextFrames<float>(QXSampleInterleaved<float> const&, QVSampleRange const&);
template int QVSoundFileWriter::WriteNextFrames<double>(QXSampleInterleaved<double> const&, QVSampleRange const&);
template int QVSoundFileWriter::WriteNextFrames<float>(QXSampleBuffer<float> const&, QVSampleRange const&);
template int QVSoundFileWriter::WriteNextFrames<double>(QXSampleBuffer<double> const&, QVSampleRange const&);
