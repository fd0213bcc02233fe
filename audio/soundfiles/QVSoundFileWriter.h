#pragma once

// QVSoundFileWriter: turns blocks of samples into one sound file.
// Implementations: the libsndfile writer ("wav", "aif", "aiff", "flac") and
// the MP3 writer ("mp3"). The factory New picks the implementation from the
// file description, libsndfile first.
//
// A writer is created closed and belongs to whoever asked the factory for
// it. Open creates the file, the raw writes append interleaved frames, Close
// finishes the file; destroying an open writer closes it. The file info is a
// copy of the description given at construction; its frame count starts at
// 0 and grows by the frames of every successful raw write, so it always
// tells how many frames the file holds.
//
// Every failure is logged at once and its code returned:
// kQVErrorSoundFileYetOpened Open on an open writer, kQVErrorSoundFileCantOpen
// a file that cannot be created, kQVErrorSoundFileNotOpened a write on a
// closed writer, kQVErrorSoundFileCantWrite a write that failed or was
// refused. A failed Open leaves the writer closed; a failed write leaves it
// open and the frame count as it was. Writers allocate (buffer writes build a
// temporary interleaved block): they never run on the audio device thread. A
// writer belongs to one thread at a time.

#include "AKFilePath.h"
#include "AKStatus.h"
#include "AKString.h"
#include "QVAudioInfo.h"
#include "QVSampleRange.h"

template <class T>
class QXSampleBuffer;
template <class T>
class QXSampleInterleaved;

class QVSoundFileWriter
{
public:
    // --- Factory ---

    // A new closed writer for the path and description, or null: for an
    // empty path, an invalid description (no channel or no positive rate) or
    // a description no implementation supports.
    static QVSoundFileWriter* New(AKFilePath const& path, QVAudioFileInfo const& info);
    // The same with a description built by QVAudioFileInfo::SetupForWrite; a
    // PCM info of 0 or below stands for 16-bit signed samples in the file
    // type's own byte order.
    static QVSoundFileWriter* New(AKFilePath const& path, QVAudioFormat format, unsigned int channelCount,
                                  double sampleRate, QVAudioPCMInfo pcmInfo, double bitRate);
    // Whether some implementation writes this description.
    static bool IsSupportedFileFormat(QVAudioFileInfo const& info);

    // --- Writing ---

    // Each implementation closes first.
    virtual ~QVSoundFileWriter();

    // Implementation options (number, value); the base refuses every option
    // and answers 0.
    virtual bool SetMoreOption(unsigned int option, int value);
    virtual int GetMoreOption(unsigned int option) const;

    virtual bool IsOpened() const = 0;
    virtual int Open() = 0;
    virtual void Close() = 0;
    // Appends interleaved frames of every channel of the file. 0 frames
    // return 0 at once.
    virtual int WriteNextFrames(float const* frames, unsigned long long count) = 0;
    virtual int WriteNextFrames(double const* frames, unsigned long long count) = 0;

    // Appends a range of an interleaved or planar buffer (instances for float
    // and double). A range that does not fit the source, a range naming one
    // channel or a source whose channel count differs from the file's is
    // refused with kQVErrorSoundFileCantWrite and writes nothing. Otherwise
    // the raw write's status.
    template <typename T>
    int WriteNextFrames(QXSampleInterleaved<T> const& source, QVSampleRange const& range);
    template <typename T>
    int WriteNextFrames(QXSampleBuffer<T> const& source, QVSampleRange const& range);

    // --- State ---

    AKString const& GetName() const { return mName; }
    AKFilePath const& GetPath() const { return mPath; }
    QVAudioFileInfo const& GetFileInfo() const { return mFileInfo; }

protected:
    QVSoundFileWriter(AKString const& name, AKFilePath const& path, QVAudioFileInfo const& info);

    // Records frames appended by a successful raw write.
    void AddWrittenFrames(unsigned long long count);

    AKString mName;
    AKFilePath mPath;
    QVAudioFileInfo mFileInfo;

private:
    // The checked range of a buffer write, or kQVErrorSoundFileCantWrite logged.
    int CheckWriteRange(QVSampleRange* range, unsigned int channelCount, unsigned long long frameCount) const;
};
