// The writer factory: the implementation that writes a description,
// libsndfile asked first, then the MP3 writer.

#include "QVSoundFileWriter.h"
#include "QVSoundFileWriterLibLame.h"
#include "QVSoundFileWriterLibSnd.h"

QVSoundFileWriter* QVSoundFileWriter::New(AKFilePath const& path, QVAudioFileInfo const& info)
{
    if (path.IsEmpty() || !info.IsValid())
        return nullptr;
    if (QVSoundFileWriterLibSnd::IsSupportedFileFormat(info))
        return new QVSoundFileWriterLibSnd(path, info);
    if (QVSoundFileWriterLibLame::IsSupportedFileFormat(info))
        return new QVSoundFileWriterLibLame(path, info);
    return nullptr;
}

QVSoundFileWriter* QVSoundFileWriter::New(AKFilePath const& path, QVAudioFormat format, unsigned int channelCount,
                                          double sampleRate, QVAudioPCMInfo pcmInfo, double bitRate)
{
    QVAudioFileInfo info;
    info.Clear();
    info.SetupForWrite(format, channelCount, sampleRate, pcmInfo > 0 ? pcmInfo : 16, bitRate);
    return New(path, info);
}

bool QVSoundFileWriter::IsSupportedFileFormat(QVAudioFileInfo const& info)
{
    if (!info.IsValid())
        return false;
    if (QVSoundFileWriterLibLame::IsSupportedFileFormat(info))
        return true;
    return QVSoundFileWriterLibSnd::IsSupportedFileFormat(info);
}
