#pragma once

// QVSoundFileReaderLibMad: the MP3 reader, decoding with libmad. It reports
// an exact frame count, found by one pass over every frame header of the file
// and cached per path for the run (QVMP3FileCache), so that a provider can
// allocate the whole sound before decoding it. Leading ID3 tags and a first
// frame carrying a Xing, Info or LAME header are skipped.
//
// Reads deliver the decoded frames; when the decoder ends before the exact
// count (damaged frames were dropped), silence makes up the difference, so a
// caller always receives exactly the frame count announced by Open and then
// 0 frames. Skipping counts whole MP3 frames, so it is never exact.

#include <cstdio>

#include "QVSoundFileReader.h"

class QVSoundFileReaderLibMadLow;

class QVSoundFileReaderLibMad : public QVSoundFileReader
{
public:
    // A new closed reader.
    static QVSoundFileReader* New(AKFilePath const& path);
    // "mp3".
    static AKStringArray GetRecognizedFileExtensions();

    explicit QVSoundFileReaderLibMad(AKFilePath const& path);
    ~QVSoundFileReaderLibMad() override;

    QVSoundFileReaderLibMad(QVSoundFileReaderLibMad const&) = delete;
    QVSoundFileReaderLibMad& operator=(QVSoundFileReaderLibMad const&) = delete;

    bool IsOpened() const override { return mStream != nullptr; }
    // kQVErrorSoundFileYetOpened open, kQVErrorSoundFileCantOpen empty path or
    // not openable, kQVErrorSoundFileCantInit the frames cannot be counted or
    // decoding cannot start, kQVErrorSoundFileCantGetInfo a first frame
    // without rate or bit rate.
    int Open() override;
    void Close() override;
    int ReadNextFrames(float* frames, unsigned long long* count) const override;
    bool IsSkipNextFramesSafe() const override { return false; }
    int SkipNextFrames(unsigned long long* count) const override;
    using QVSoundFileReader::ReadNextFrames;
    using QVSoundFileReader::SkipNextFrames;

private:
    FILE* mStream = nullptr;
    QVSoundFileReaderLibMadLow* mLow;
};
