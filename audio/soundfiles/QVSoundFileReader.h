#pragma once

// QVSoundFileReader: one sound file opened for reading, described by a
// QVAudioFileInfo and delivered in file order as interleaved 32-bit float
// frames. Implementations: the system reader, the libsndfile reader and the
// MP3 reader. The factory New picks the reader of a path by its extension and
// the preference that puts the system reader first or last, probing the
// candidates in a fixed order with error lines muted.
//
// A reader is created closed. Open fills the file info and the raw info and
// clears the position and the end flag; reads and skips advance the
// position; a read that delivers no frame sets the end flag, after which
// reads deliver nothing without touching the file; Close releases the file.
// A failing Open (other than on an open reader or an empty path) closes the
// reader again, so it stays reusable. A reader is used by one thread at a
// time.

#include "AKFilePath.h"
#include "AKStatus.h"
#include "AKString.h"
#include "AKStringArray.h"
#include "QVAudioInfo.h"
#include "QVSampleRange.h"

template <class T>
class QXSampleBuffer;
template <class T>
class QXSampleInterleaved;

class QVSoundFileReader
{
public:
    // --- Factory ---

    // The first reader of the reader table that accepts the file, or null
    // (nothing logged for a missing file, kQVErrorSoundFileCantOpen when no
    // reader accepts it). With keepOpen clear the reader is returned closed,
    // keeping its name and infos. The caller owns the reader.
    static QVSoundFileReader* New(AKFilePath const& path, bool keepOpen);

    // The file's info through the factory, and optionally the name and raw
    // info of the reader that accepted it. 0, or kQVErrorSoundFileCantOpen
    // with a null info and empty strings; nothing is logged.
    static int ReadSoundInfo(AKFilePath const& path, QVAudioFileInfo* info, AKString* readerName, AKString* rawInfo);
    static int ReadSoundInfo(AKFilePath const& path, QVAudioInfo* info, AKString* readerName, AKString* rawInfo);

    // Every lower-case extension some reader may accept, whatever the
    // preference says: sorted, each once. Built on first use.
    static AKStringArray const& GetRecognizedFileExtensions();

    // --- Reading ---

    // Each implementation closes first.
    virtual ~QVSoundFileReader();

    virtual bool IsOpened() const = 0;
    // Opens the path and fills the file info and raw info; position 0, end
    // flag clear. kQVErrorSoundFileYetOpened on an open reader,
    // kQVErrorSoundFileCantOpen for an empty path or a file that cannot be
    // opened, kQVErrorSoundFileCantGetInfo for unusable parameters.
    virtual int Open() = 0;
    // Releases the file; position 0, end flag clear. Nothing when closed.
    virtual void Close() = 0;
    // Interleaved frames of every channel of the file. `count` holds the
    // frames wanted on entry and the frames delivered on return; the rest of
    // the buffer after them is zeroed. kQVErrorSoundFileNotOpened when closed,
    // kQVErrorSoundFileCantRead when reading failed (0 frames).
    virtual int ReadNextFrames(float* frames, unsigned long long* count) const = 0;
    // Whether skipping lands on exactly the asked frame: here, whether the
    // file holds raw samples.
    virtual bool IsSkipNextFramesSafe() const;
    // `count` holds the frames to skip on entry and the frames skipped on
    // return. kQVErrorSoundFileNotOpened when closed,
    // kQVErrorSoundFileCantSkip when skipping failed (0 frames).
    virtual int SkipNextFrames(unsigned long long* count) const = 0;

    // The virtual skip on a local count.
    int SkipNextFrames(unsigned long long count) const;

    // Reads into a range of an interleaved or planar buffer (instances for
    // float). A null range means all channels from frame 0 over the buffer's
    // frames. A range that does not fit the buffer, a range naming one channel
    // or a buffer whose channel count differs from the file's is refused with
    // kQVErrorSoundFileCantRead and reads nothing. On success the range
    // becomes the resolved range, its frame count the frames delivered.
    template <typename T>
    int ReadNextFrames(QXSampleInterleaved<T>* buffer, QVSampleRange* range) const;
    template <typename T>
    int ReadNextFrames(QXSampleBuffer<T>* buffer, QVSampleRange* range) const;

    // --- State ---

    AKString const& GetName() const { return mName; }
    AKFilePath const& GetPath() const { return mPath; }
    QVAudioFileInfo const& GetFileInfo() const { return mFileInfo; }
    AKString const& GetRawInfo() const { return mRawInfo; }
    // Frames delivered or skipped since Open.
    unsigned long long GetPosition() const { return mPosition; }
    // Set once a read delivered no frame.
    bool IsEndReached() const { return mEndReached; }

    // "SOUND:", the reader, path, name, extension and short info, then
    // "INFO:" and the full file info, then "RAW INFO:" and the raw info.
    AKString GetAllInfoString() const;
    // Sends GetAllInfoString and a line feed to the log.
    void LogAllInfoString() const;

protected:
    QVSoundFileReader(AKString const& name, AKFilePath const& path);

    // Appends one raw-info line: the label padded with spaces to 20 columns,
    // the formatted value and a line feed.
    static void AppendRawInfoLine(AKString* text, char const* label, char const* format, ...)
        __attribute__((format(printf, 3, 4)));

    // The common start of a read or a skip. False when the caller must
    // return at once with `*status`: no count given (status 0), or a file
    // that is not opened (count set to 0, the error logged).
    bool BeginTransfer(unsigned long long* count, int* status) const;

    // Zeroes the floats of a buffer of `wanted` frames after the first
    // `delivered` frames (channel count of the file info).
    void ZeroTail(float* frames, unsigned long long wanted, unsigned long long delivered) const;

    AKString mName;
    AKFilePath mPath;
    QVAudioFileInfo mFileInfo;
    AKString mRawInfo;
    // Reads are const to their callers but move the reading state.
    mutable unsigned long long mPosition = 0;
    mutable bool mEndReached = false;
};
