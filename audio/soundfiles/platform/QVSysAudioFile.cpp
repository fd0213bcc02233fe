// QVSysAudioFile: the do-nothing services of a system without audio-file
// services, and the installed services.

#include "QVSysAudioFile.h"

#include <atomic>

namespace {

// Never destroyed: readers may still close files while statics are torn down.
QVSysAudioFile const& DefaultServices()
{
    static QVSysAudioFile const* const sDefault = new QVSysAudioFile();
    return *sDefault;
}

std::atomic<QVSysAudioFile const*> sInstalled{nullptr};

}  // namespace

int QVSysAudioFile::GetAllExtensions(AKStringArray* extensions) const
{
    if (extensions != nullptr)
        extensions->Clear();
    return kQVSysAudioFileErrorUnsupported;
}

int QVSysAudioFile::OpenFile(char const*, QVSysAudioFileHandle** file) const
{
    if (file != nullptr)
        *file = nullptr;
    return kQVSysAudioFileErrorUnsupported;
}

int QVSysAudioFile::WrapFile(QVSysAudioFileHandle*, QVSysExtAudioFileHandle** extFile) const
{
    if (extFile != nullptr)
        *extFile = nullptr;
    return kQVSysAudioFileErrorUnsupported;
}

void QVSysAudioFile::DisposeExtFile(QVSysExtAudioFileHandle*) const {}

void QVSysAudioFile::CloseFile(QVSysAudioFileHandle*) const {}

int QVSysAudioFile::GetFileType(QVSysAudioFileHandle*, unsigned int*) const { return kQVSysAudioFileErrorUnsupported; }

int QVSysAudioFile::GetBitRate(QVSysAudioFileHandle*, unsigned int*) const { return kQVSysAudioFileErrorUnsupported; }

int QVSysAudioFile::GetDataOffset(QVSysAudioFileHandle*, long long*) const { return kQVSysAudioFileErrorUnsupported; }

int QVSysAudioFile::GetFileLengthFrames(QVSysExtAudioFileHandle*, long long*) const
{
    return kQVSysAudioFileErrorUnsupported;
}

int QVSysAudioFile::GetFileDataFormat(QVSysExtAudioFileHandle*, QVSysStreamDescription*) const
{
    return kQVSysAudioFileErrorUnsupported;
}

int QVSysAudioFile::SetClientDataFormat(QVSysExtAudioFileHandle*, QVSysStreamDescription const&) const
{
    return kQVSysAudioFileErrorUnsupported;
}

int QVSysAudioFile::Tell(QVSysExtAudioFileHandle*, long long*) const { return kQVSysAudioFileErrorUnsupported; }

int QVSysAudioFile::Seek(QVSysExtAudioFileHandle*, long long) const { return kQVSysAudioFileErrorUnsupported; }

int QVSysAudioFile::Read(QVSysExtAudioFileHandle*, unsigned int* frames, QVSysAudioBuffer*) const
{
    if (frames != nullptr)
        *frames = 0;
    return kQVSysAudioFileErrorUnsupported;
}

void QVSysAudioFile::Install(QVSysAudioFile const* services) { sInstalled.store(services, std::memory_order_release); }

QVSysAudioFile const& QVSysAudioFile::Get()
{
    QVSysAudioFile const* services = sInstalled.load(std::memory_order_acquire);
    return services != nullptr ? *services : DefaultServices();
}
