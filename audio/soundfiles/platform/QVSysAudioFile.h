#pragma once

// QVSysAudioFile: the system's audio-file services, as the system sound-file
// reader calls them: open a file, read its properties, wrap it in a
// converting reader that delivers interleaved floats, tell, seek and read.
//
// The services are a layer of our own. This base is what Linux has: it knows
// no extension and opens nothing (every call answers
// kQVSysAudioFileErrorUnsupported), since libsndfile and libmad read every
// format the player takes. A platform with such services, or a test, installs
// an object of its own with Install.
//
// Results are system status numbers: 0 success, anything else a failure.

#include "AKStringArray.h"

// Four-character codes as the system stores them: the first character in the
// most significant byte.
constexpr unsigned int QVSysFourCC(char const (&code)[5])
{
    return (static_cast<unsigned int>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<unsigned int>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<unsigned int>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<unsigned int>(static_cast<unsigned char>(code[3]));
}

// The answer of every call of the do-nothing services ('typ?').
constexpr int kQVSysAudioFileErrorUnsupported = static_cast<int>(QVSysFourCC("typ?"));

// The stream format of linear PCM samples, and its flags.
constexpr unsigned int kQVSysAudioFormatLinearPCM = QVSysFourCC("lpcm");
constexpr unsigned int kQVSysAudioFormatFlagIsFloat = 0x1;
constexpr unsigned int kQVSysAudioFormatFlagIsBigEndian = 0x2;
constexpr unsigned int kQVSysAudioFormatFlagIsSignedInteger = 0x4;

// A stream description: 40 bytes, as the system lays it out.
struct QVSysStreamDescription {
    double sampleRate;
    unsigned int formatID;
    unsigned int formatFlags;
    unsigned int bytesPerPacket;
    unsigned int framesPerPacket;
    unsigned int bytesPerFrame;
    unsigned int channelsPerFrame;
    unsigned int bitsPerChannel;
    unsigned int reserved;
};

static_assert(sizeof(QVSysStreamDescription) == 40, "a stream description is 40 bytes");

// One buffer of interleaved samples handed to a read.
struct QVSysAudioBuffer {
    unsigned int channelCount;
    unsigned int byteSize;  // bytes available on entry, bytes written on return
    void* data;
};

// Handles of an opened file and of the converting reader over it. Their
// contents belong to the installed services.
struct QVSysAudioFileHandle;
struct QVSysExtAudioFileHandle;

class QVSysAudioFile
{
public:
    QVSysAudioFile() = default;
    virtual ~QVSysAudioFile() = default;

    QVSysAudioFile(QVSysAudioFile const&) = delete;
    QVSysAudioFile& operator=(QVSysAudioFile const&) = delete;

    // Every extension the services read, as they spell them.
    virtual int GetAllExtensions(AKStringArray* extensions) const;

    // Opens a file (a path in the system's form) for reading, then wraps it
    // in a converting reader; each handle is released by its own call.
    virtual int OpenFile(char const* systemPath, QVSysAudioFileHandle** file) const;
    virtual int WrapFile(QVSysAudioFileHandle* file, QVSysExtAudioFileHandle** extFile) const;
    virtual void DisposeExtFile(QVSysExtAudioFileHandle* extFile) const;
    virtual void CloseFile(QVSysAudioFileHandle* file) const;

    // Properties of the opened file: its type code, bit rate (bit/s) and the
    // byte offset of its audio data.
    virtual int GetFileType(QVSysAudioFileHandle* file, unsigned int* type) const;
    virtual int GetBitRate(QVSysAudioFileHandle* file, unsigned int* bitRate) const;
    virtual int GetDataOffset(QVSysAudioFileHandle* file, long long* offset) const;

    // Properties of the converting reader: the file's length in frames and
    // its stream description; the client format it delivers.
    virtual int GetFileLengthFrames(QVSysExtAudioFileHandle* extFile, long long* frames) const;
    virtual int GetFileDataFormat(QVSysExtAudioFileHandle* extFile, QVSysStreamDescription* description) const;
    virtual int SetClientDataFormat(QVSysExtAudioFileHandle* extFile, QVSysStreamDescription const& description) const;

    // Reading position in frames, absolute seeking, and reading: `frames`
    // holds the frames wanted on entry and the frames read on return.
    virtual int Tell(QVSysExtAudioFileHandle* extFile, long long* frame) const;
    virtual int Seek(QVSysExtAudioFileHandle* extFile, long long frame) const;
    virtual int Read(QVSysExtAudioFileHandle* extFile, unsigned int* frames, QVSysAudioBuffer* buffer) const;

    // The installed services are not owned: the installer keeps them alive
    // until it installs others or null (back to this base).
    static void Install(QVSysAudioFile const* services);
    static QVSysAudioFile const& Get();
};
