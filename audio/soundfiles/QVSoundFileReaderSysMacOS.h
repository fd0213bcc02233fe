#pragma once

// QVSoundFileReaderSysMacOS: the sound-file reader over the system's
// audio-file services (QVSysAudioFile): the file is opened, its properties
// read, and a converting reader over it delivers interleaved 32-bit floats.
// Linear PCM files are described for memory mapping (PCM info from the
// stream description, offset from the file's data offset); every other file
// is described for decoding.
//
// The services that opened a file close it, even when others were installed
// meanwhile. On Linux the services know no extension, so the factory never
// picks this reader.

#include "QVSoundFileReader.h"

class QVSysAudioFile;
struct QVSysAudioFileHandle;
struct QVSysExtAudioFileHandle;
struct QVSysStreamDescription;

class QVSoundFileReaderSysMacOS : public QVSoundFileReader
{
public:
    // A new closed reader.
    static QVSoundFileReader* New(AKFilePath const& path);
    // Every extension the system services report: lower case, sorted, each
    // once; empty when they report none. Built on first use.
    static AKStringArray GetRecognizedFileExtensions();

    explicit QVSoundFileReaderSysMacOS(AKFilePath const& path);
    ~QVSoundFileReaderSysMacOS() override;

    QVSoundFileReaderSysMacOS(QVSoundFileReaderSysMacOS const&) = delete;
    QVSoundFileReaderSysMacOS& operator=(QVSoundFileReaderSysMacOS const&) = delete;

    bool IsOpened() const override { return mExtFile != nullptr; }
    // kQVErrorSoundFileYetOpened open, kQVErrorSoundFileCantOpen empty path or
    // not openable, kQVErrorSoundFileCantGetInfo a property not readable or
    // unusable parameters, kQVErrorSoundFileCantInit the float client format
    // or the first tell refused.
    int Open() override;
    void Close() override;
    int ReadNextFrames(float* frames, unsigned long long* count) const override;
    int SkipNextFrames(unsigned long long* count) const override;
    using QVSoundFileReader::ReadNextFrames;
    using QVSoundFileReader::SkipNextFrames;

    // The frame position the converting reader reported right after opening.
    long long GetOrigin() const { return mOrigin; }

private:
    void FillRawInfo(unsigned int fileType, unsigned int bitRate, long long dataOffset, long long frames,
                     QVSysStreamDescription const& description);

    QVSysAudioFile const* mServices = nullptr;
    QVSysAudioFileHandle* mFile = nullptr;
    QVSysExtAudioFileHandle* mExtFile = nullptr;
    long long mOrigin = 0;
};
