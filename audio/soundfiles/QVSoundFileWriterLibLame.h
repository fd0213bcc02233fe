#pragma once

// QVSoundFileWriterLibLame: writes MP3 files through the LAME encoder, one or
// two channels. Options: 1 the quality (0 to 10, each step a default bit rate
// used when the file info gives none; 0 leaves the encoder's own), 2 joint
// stereo (ignored for one channel). Options are refused while open.
//
// Each raw write encodes its frames in slices small enough for the encoder's
// int counts and writes the bytes as they come; the output block is
// allocated per write, so writers stay off the audio device thread.

#include <cstdio>

#include "QVSoundFileWriter.h"

struct lame_global_struct;

// Option numbers of SetMoreOption and GetMoreOption.
constexpr unsigned int kQVLameOptionQuality = 1;
constexpr unsigned int kQVLameOptionJointStereo = 2;
constexpr int kQVLameQualityMax = 10;

class QVSoundFileWriterLibLame : public QVSoundFileWriter
{
public:
    // Whether the description asks for "mp3"; nothing else is tested.
    static bool IsSupportedFileFormat(QVAudioFileInfo const& info);

    QVSoundFileWriterLibLame(AKFilePath const& path, QVAudioFileInfo const& info);
    ~QVSoundFileWriterLibLame() override;

    QVSoundFileWriterLibLame(QVSoundFileWriterLibLame const&) = delete;
    QVSoundFileWriterLibLame& operator=(QVSoundFileWriterLibLame const&) = delete;

    bool SetMoreOption(unsigned int option, int value) override;
    int GetMoreOption(unsigned int option) const override;

    bool IsOpened() const override { return mStream != nullptr; }
    // kQVErrorSoundFileYetOpened open; kQVErrorSoundFileCantOpen empty path, file not creatable, encoder refused.
    int Open() override;
    // Flushes the encoder and closes the file; flush failures are logged.
    void Close() override;
    // kQVErrorSoundFileNotOpened closed, kQVErrorSoundFileCantWrite the encoder or the file refused the frames.
    int WriteNextFrames(float const* frames, unsigned long long count) override;
    int WriteNextFrames(double const* frames, unsigned long long count) override;
    using QVSoundFileWriter::WriteNextFrames;

private:
    template <typename T>
    int LowWriteFrames(T const* frames, unsigned long long count);
    template <typename T>
    int LowEncodeSlice(T const* frames, int count, unsigned char* output, int outputSize);
    void LowFlushMp3Datas();
    void LowRelease();

    FILE* mStream = nullptr;
    lame_global_struct* mEncoder = nullptr;
    unsigned int mQuality = 0;
    bool mJointStereo = false;
};
