#pragma once

// A stand-in for the system's audio-file services: files are scripted by
// path (type, properties, stream description and the float frames the
// converting reader delivers), any call can be made to fail, and the fake
// records which paths it was asked to open and how many handles are alive.
// Installed with QVSysAudioFile::Install while a test needs it.

#include "QVSysAudioFile.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// A scripted file.
struct FakeSysFile {
    enum FailAt {
        kFailNowhere,
        kFailOpen,
        kFailWrap,
        kFailFileType,
        kFailBitRate,
        kFailDataOffset,
        kFailLength,
        kFailDataFormat,
        kFailClientFormat,
        kFailFirstTell,
        kFailRead,
        kFailSeek,
    };

    unsigned int fileType = QVSysFourCC("WAVE");
    unsigned int bitRate = 1411200;
    long long dataOffset = 44;
    long long frames = 0;
    long long origin = 0;  // added to every Tell, as decoders with priming frames report
    QVSysStreamDescription description = {
        44100.0, kQVSysAudioFormatLinearPCM, kQVSysAudioFormatFlagIsSignedInteger, 4, 1, 4, 2, 16, 0};
    std::vector<float> samples;  // interleaved, what reads deliver
    FailAt failAt = kFailNowhere;
};

struct QVSysAudioFileHandle {
    FakeSysFile const* file;
};

struct QVSysExtAudioFileHandle {
    FakeSysFile const* file;
    long long position;  // frames from the start of the samples
    bool clientSet;
    int tellCount;
};

class FakeSysAudioFile : public QVSysAudioFile
{
public:
    AKStringArray extensions;
    int extensionsStatus = 0;
    std::map<std::string, FakeSysFile> files;
    mutable std::vector<std::string> openRequests;
    mutable int liveHandles = 0;
    mutable QVSysStreamDescription lastClientFormat = {};

    int GetAllExtensions(AKStringArray* out) const override
    {
        *out = extensions;
        return extensionsStatus;
    }

    int OpenFile(char const* systemPath, QVSysAudioFileHandle** file) const override
    {
        *file = nullptr;
        openRequests.push_back(systemPath);
        auto it = files.find(systemPath);
        if (it == files.end() || it->second.failAt == FakeSysFile::kFailOpen)
            return kQVSysAudioFileErrorUnsupported;
        *file = new QVSysAudioFileHandle{&it->second};
        ++liveHandles;
        return 0;
    }

    int WrapFile(QVSysAudioFileHandle* file, QVSysExtAudioFileHandle** extFile) const override
    {
        *extFile = nullptr;
        if (file->file->failAt == FakeSysFile::kFailWrap)
            return kFailure;
        *extFile = new QVSysExtAudioFileHandle{file->file, 0, false, 0};
        ++liveHandles;
        return 0;
    }

    void DisposeExtFile(QVSysExtAudioFileHandle* extFile) const override
    {
        delete extFile;
        --liveHandles;
    }

    void CloseFile(QVSysAudioFileHandle* file) const override
    {
        delete file;
        --liveHandles;
    }

    int GetFileType(QVSysAudioFileHandle* file, unsigned int* type) const override
    {
        *type = file->file->fileType;
        return Fails(file->file, FakeSysFile::kFailFileType);
    }

    int GetBitRate(QVSysAudioFileHandle* file, unsigned int* bitRate) const override
    {
        *bitRate = file->file->bitRate;
        return Fails(file->file, FakeSysFile::kFailBitRate);
    }

    int GetDataOffset(QVSysAudioFileHandle* file, long long* offset) const override
    {
        *offset = file->file->dataOffset;
        return Fails(file->file, FakeSysFile::kFailDataOffset);
    }

    int GetFileLengthFrames(QVSysExtAudioFileHandle* extFile, long long* frames) const override
    {
        *frames = extFile->file->frames;
        return Fails(extFile->file, FakeSysFile::kFailLength);
    }

    int GetFileDataFormat(QVSysExtAudioFileHandle* extFile, QVSysStreamDescription* description) const override
    {
        *description = extFile->file->description;
        return Fails(extFile->file, FakeSysFile::kFailDataFormat);
    }

    int SetClientDataFormat(QVSysExtAudioFileHandle* extFile, QVSysStreamDescription const& description) const override
    {
        lastClientFormat = description;
        if (extFile->file->failAt == FakeSysFile::kFailClientFormat)
            return kFailure;
        extFile->clientSet = true;
        return 0;
    }

    int Tell(QVSysExtAudioFileHandle* extFile, long long* frame) const override
    {
        if (extFile->tellCount++ == 0 && extFile->file->failAt == FakeSysFile::kFailFirstTell)
            return kFailure;
        *frame = extFile->position + extFile->file->origin;
        return 0;
    }

    int Seek(QVSysExtAudioFileHandle* extFile, long long frame) const override
    {
        if (extFile->file->failAt == FakeSysFile::kFailSeek || frame < 0 || frame > FrameCount(extFile))
            return kFailure;
        extFile->position = frame;
        return 0;
    }

    int Read(QVSysExtAudioFileHandle* extFile, unsigned int* frames, QVSysAudioBuffer* buffer) const override
    {
        unsigned int const channels = extFile->file->description.channelsPerFrame;
        if (extFile->file->failAt == FakeSysFile::kFailRead || !extFile->clientSet ||
            buffer->channelCount != channels || buffer->byteSize != *frames * 4u * channels) {
            *frames = 0;
            return kFailure;
        }
        long long const left = FrameCount(extFile) - extFile->position;
        unsigned int const count = static_cast<unsigned int>(std::min<long long>(*frames, left));
        float const* from = extFile->file->samples.data() + extFile->position * channels;
        std::copy(from, from + count * channels, static_cast<float*>(buffer->data));
        extFile->position += count;
        *frames = count;
        buffer->byteSize = count * 4u * channels;
        return 0;
    }

private:
    static constexpr int kFailure = -50;

    static int Fails(FakeSysFile const* file, FakeSysFile::FailAt at) { return file->failAt == at ? kFailure : 0; }

    static long long FrameCount(QVSysExtAudioFileHandle const* extFile)
    {
        unsigned int const channels = extFile->file->description.channelsPerFrame;
        return channels == 0 ? 0 : static_cast<long long>(extFile->file->samples.size() / channels);
    }
};
