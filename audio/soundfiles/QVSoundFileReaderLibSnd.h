#pragma once

// QVSoundFileReaderLibSnd: the sound-file reader over libsndfile, for every
// format libsndfile reads. WAV and AIFF files of plain integer or float
// samples are described for memory mapping: their PCM info and the byte
// offset of their first sample, measured by a second, stream-based opening.
// Every other file is described for decoding (PCM info 0, offset -1).
// Skipping seeks, so it lands on exactly the asked frame.

#include "QVSoundFileReader.h"

struct sf_private_tag;

class QVSoundFileReaderLibSnd : public QVSoundFileReader
{
public:
    // A new closed reader.
    static QVSoundFileReader* New(AKFilePath const& path);
    // The extension of every major format libsndfile reports, "aif", and
    // both "ogg" and "oga" when it names either; lower case, sorted, each
    // once. Built on first use.
    static AKStringArray GetRecognizedFileExtensions();

    explicit QVSoundFileReaderLibSnd(AKFilePath const& path);
    ~QVSoundFileReaderLibSnd() override;

    QVSoundFileReaderLibSnd(QVSoundFileReaderLibSnd const&) = delete;
    QVSoundFileReaderLibSnd& operator=(QVSoundFileReaderLibSnd const&) = delete;

    bool IsOpened() const override { return mHandle != nullptr; }
    // kQVErrorSoundFileYetOpened open, kQVErrorSoundFileCantOpen empty path or
    // not openable, kQVErrorSoundFileCantGetInfo no channel, a negative frame
    // count or no positive rate.
    int Open() override;
    void Close() override;
    int ReadNextFrames(float* frames, unsigned long long* count) const override;
    bool IsSkipNextFramesSafe() const override { return true; }
    int SkipNextFrames(unsigned long long* count) const override;
    using QVSoundFileReader::ReadNextFrames;
    using QVSoundFileReader::SkipNextFrames;

private:
    sf_private_tag* mHandle = nullptr;
};
