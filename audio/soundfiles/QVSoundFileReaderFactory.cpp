// The reader factory: the reader table, the choice of a reader for a path,
// the file-info shortcut and the list of every recognised extension.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVAudioResourcePrefs.h"
#include "QVSoundFileExtensions.h"
#include "QVSoundFileReader.h"
#include "QVSoundFileReaderLibMad.h"
#include "QVSoundFileReaderLibSnd.h"
#include "QVSoundFileReaderSysMacOS.h"

namespace {

// Which rows a probe walks: kind 0 always, kind 2 only while the system
// reader is preferred, kind 1 only while it is not.
constexpr int kKindAlways = 0;
constexpr int kKindSysLast = 1;
constexpr int kKindSysFirst = 2;

struct TReaderRow {
    QVSoundFileReader* (*create)(AKFilePath const&);
    AKStringArray (*extensions)();
    int kind;
};

// In probing order, ended by a row of nulls.
constexpr TReaderRow sReaderCollec[] = {
    {QVSoundFileReaderSysMacOS::New, QVSoundFileReaderSysMacOS::GetRecognizedFileExtensions, kKindSysFirst},
    {QVSoundFileReaderLibSnd::New, QVSoundFileReaderLibSnd::GetRecognizedFileExtensions, kKindAlways},
    {QVSoundFileReaderLibMad::New, QVSoundFileReaderLibMad::GetRecognizedFileExtensions, kKindAlways},
    {QVSoundFileReaderSysMacOS::New, QVSoundFileReaderSysMacOS::GetRecognizedFileExtensions, kKindSysLast},
    {nullptr, nullptr, 0},
};

// Room for the gathered lists of every reader.
constexpr unsigned int kGatheredExtensionsCapacity = 80;

// Unmutes the log on every way out of a probe.
class TScopedErrorMute
{
public:
    TScopedErrorMute() { AKLogErrorMute(); }
    ~TScopedErrorMute() { AKLogErrorUnmute(); }
    TScopedErrorMute(TScopedErrorMute const&) = delete;
    TScopedErrorMute& operator=(TScopedErrorMute const&) = delete;
};

QVSoundFileReader* ProbeReaders(AKFilePath const& path)
{
    int const selectedKind = QVAudioResourcePrefs::sShared.providerPreferSysReader ? kKindSysFirst : kKindSysLast;
    AKString extension = path.Extension();
    extension.ToLowerCase();

    TScopedErrorMute mute;
    for (TReaderRow const* row = sReaderCollec; row->create != nullptr; ++row) {
        if (row->kind != kKindAlways && row->kind != selectedKind)
            continue;
        if (!row->extensions().Find(extension, nullptr))
            continue;
        QVSoundFileReader* reader = row->create(path);
        if (reader == nullptr)
            continue;
        if (reader->Open() == 0)
            return reader;
        reader->Close();
        delete reader;
    }
    return nullptr;
}

}  // namespace

QVSoundFileReader* QVSoundFileReader::New(AKFilePath const& path, bool keepOpen)
{
    if (!AKFileUtils::FileExists(path))
        return nullptr;
    QVSoundFileReader* reader = ProbeReaders(path);
    if (reader == nullptr) {
        AKLogError(kQVErrorSoundFileCantOpen, "Can't recognize format of sound-file \"%s\"", path.c_str());
        return nullptr;
    }
    if (!keepOpen)
        reader->Close();
    return reader;
}

int QVSoundFileReader::ReadSoundInfo(AKFilePath const& path, QVAudioFileInfo* info, AKString* readerName,
                                     AKString* rawInfo)
{
    QVSoundFileReader* reader = nullptr;
    {
        TScopedErrorMute mute;
        reader = New(path, true);
    }
    if (reader == nullptr) {
        if (info != nullptr)
            *info = kQVNullAudioFileInfo;
        if (readerName != nullptr)
            *readerName = kAKNullString;
        if (rawInfo != nullptr)
            *rawInfo = kAKNullString;
        return kQVErrorSoundFileCantOpen;
    }
    if (info != nullptr)
        *info = reader->GetFileInfo();
    if (readerName != nullptr)
        *readerName = reader->GetName();
    if (rawInfo != nullptr)
        *rawInfo = reader->GetRawInfo();
    reader->Close();
    delete reader;
    return 0;
}

int QVSoundFileReader::ReadSoundInfo(AKFilePath const& path, QVAudioInfo* info, AKString* readerName, AKString* rawInfo)
{
    QVAudioFileInfo fileInfo;
    int const status = ReadSoundInfo(path, &fileInfo, readerName, rawInfo);
    if (info != nullptr)
        *info = fileInfo;
    return status;
}

AKStringArray const& QVSoundFileReader::GetRecognizedFileExtensions()
{
    static AKStringArray const sExtensions = [] {
        AKStringArray extensions;
        extensions.Reserve(kGatheredExtensionsCapacity);
        for (TReaderRow const* row = sReaderCollec; row->create != nullptr; ++row) {
            if (row->kind == kKindAlways || row->kind == kKindSysFirst)
                extensions.Append(row->extensions());
        }
        QVSoundFileExtensionsNormalize(&extensions);
        return extensions;
    }();
    return sExtensions;
}
