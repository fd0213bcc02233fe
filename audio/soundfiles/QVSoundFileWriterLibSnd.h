#pragma once

// QVSoundFileWriterLibSnd: writes WAV, AIFF and FLAC files through
// libsndfile. The description's format word gives the file type ("wav",
// "aif" or "aiff", "flac"), its PCM info the sample type (signed 8 to 32
// bits, unsigned 8 bits, float 32 or 64 bits) and the byte order (none: the
// file type's own). Whether libsndfile takes the pair of type and samples
// (FLAC takes only signed 8, 16 and 24 bits) is learnt at Open. Samples
// beyond full scale are saturated when written as integers.

#include "QVSoundFileWriter.h"

struct sf_private_tag;

class QVSoundFileWriterLibSnd : public QVSoundFileWriter
{
public:
    // Whether a libsndfile format code can be built from the description.
    static bool IsSupportedFileFormat(QVAudioFileInfo const& info);

    QVSoundFileWriterLibSnd(AKFilePath const& path, QVAudioFileInfo const& info);
    ~QVSoundFileWriterLibSnd() override;

    QVSoundFileWriterLibSnd(QVSoundFileWriterLibSnd const&) = delete;
    QVSoundFileWriterLibSnd& operator=(QVSoundFileWriterLibSnd const&) = delete;

    bool IsOpened() const override { return mHandle != nullptr; }
    // kQVErrorSoundFileYetOpened open; kQVErrorSoundFileCantOpen empty path,
    // unsupported description, path without a system form, or libsndfile
    // refusing the file. The rate is rounded to the nearest integer.
    int Open() override;
    void Close() override;
    // kQVErrorSoundFileNotOpened closed, kQVErrorSoundFileCantWrite libsndfile wrote fewer frames than given.
    int WriteNextFrames(float const* frames, unsigned long long count) override;
    int WriteNextFrames(double const* frames, unsigned long long count) override;
    using QVSoundFileWriter::WriteNextFrames;

private:
    template <typename T>
    int LowWriteFrames(T const* frames, unsigned long long count);

    sf_private_tag* mHandle = nullptr;
};
