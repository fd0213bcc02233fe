// Disk files and temporary files: open, close, read, write, position, size.
// Memory streams are in AKFileMemoryStream.cpp; every public operation here
// hands a memory stream over to its stream form.

#include "AKFile.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

unsigned int AKFile::sPreferedModeCache = kAKFileModeMemoryStream;

void AKFile::SetPreferedModeCache(unsigned int mode)
{
    if (mode == kAKFileModeTemporary || mode == kAKFileModeMemoryStream)
        sPreferedModeCache = mode;
}

AKFile::AKFile(unsigned int flags)
{
    if (flags & kAKFileModePreferedCache)
        flags = sPreferedModeCache;
    if (flags & kAKFileModeMemoryStream)
        fMode |= kAKFileModeMemoryStream;
    else if (flags & kAKFileModeTemporary)
        fMode |= kAKFileModeTemporary;
}

AKFile::AKFile(AKFilePath const& path, unsigned int flags)
{
    if (flags & kAKFileModeTemporary) {
        fMode |= kAKFileModeTemporary;
    } else {
        fPath = path;
        fName = path.FileName();
    }
}

AKFile::AKFile(void const* data, unsigned int size)
{
    fMode |= kAKFileModeMemoryStream;
    InitMemoryStream(data, size);
}

AKFile::~AKFile()
{
    Close();
    ReleaseMapping();
}

char const* AKFile::GetLogName() const { return IsMemoryStream() ? "Memory Stream" : fPath.c_str(); }

void AKFile::SetEndianness(unsigned int endianness)
{
    if (endianness == kAKFileEndianBig || endianness == kAKFileEndianLittle)
        fMode = (fMode & ~kAKFileEndianMask) | endianness;
}

void AKFile::ReleaseMapping() const
{
    delete fMapping;  // unmaps whatever is still mapped
    fMapping = nullptr;
}

void AKFile::ForgetTemporaryPath()
{
    fPath.Clear();
    fName.Clear();
}

// --- Opening and closing ---

int AKFile::OpenForRead()
{
    if (IsMemoryStream())
        return OpenStream(kAKFileModeOpenedForRead);
    return OpenDisk(O_RDONLY);
}

int AKFile::OpenForReadWrite()
{
    if (IsMemoryStream())
        return OpenStream(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
    return OpenDisk(O_RDWR);
}

int AKFile::CreateForReadWrite()
{
    if (IsMemoryStream())
        return OpenStream(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
    if (IsTemporary())
        return CreateTemporary();
    return OpenDisk(O_RDWR | O_CREAT | O_TRUNC);
}

int AKFile::OpenDisk(int how)
{
    errno = 0;
    if (fFD != -1)
        return AKLogErrorWithErrno(kAKErrorFileYetOpened, "The file \"%s\" is already opened", GetLogName());

    char systemPath[kAKSystemPathMaxSize];
    if (!AKFileUtils::GetAsSystemPath(systemPath, fPath, false))
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", GetLogName());

    errno = 0;
    int fd = ::open(systemPath, how | O_CLOEXEC, 0644);
    if (fd == -1)
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", GetLogName());

    fFD = fd;
    fMode |= kAKFileModeOpenedForRead;
    if (how & (O_RDWR | O_WRONLY))
        fMode |= kAKFileModeOpenedForWrite;
    return 0;
}

// The temporary folder's helper creates the file exclusively, which reserves
// its name; it is then opened without creation and without following a link,
// so nothing but that new file is ever opened.
int AKFile::CreateTemporary()
{
    errno = 0;
    if (fFD != -1)
        return AKLogErrorWithErrno(kAKErrorFileYetOpened, "The file \"%s\" is already opened", GetLogName());

    fPath = AKFileUtils::GetUnusedFileNameInTemporaryDir(kAKNullString);
    fName = fPath.FileName();
    if (fPath.IsEmpty())
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", GetLogName());

    char systemPath[kAKSystemPathMaxSize];
    int fd = -1;
    errno = 0;
    if (AKFileUtils::GetAsSystemPath(systemPath, fPath, false))
        fd = ::open(systemPath, O_RDWR | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd == -1) {
        int status = AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", GetLogName());
        AKFileUtils::RemoveFile(fPath);
        ForgetTemporaryPath();
        return status;
    }

    fFD = fd;
    fMode |= kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite;
    return 0;
}

int AKFile::Close()
{
    if (IsMemoryStream()) {
        if (fStreamOpened) {
            fStreamOpened = false;
            fStreamPos = 0;
            std::vector<unsigned char>().swap(fStreamData);
            fMode &= ~(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
        }
        return 0;
    }
    if (fFD == -1)
        return 0;

    errno = 0;
    ReleaseMapping();
    ::close(fFD);
    fFD = -1;
    fMode &= ~(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
    if (IsTemporary()) {
        AKFileUtils::RemoveFile(fPath);
        ForgetTemporaryPath();
    }
    return 0;
}

int AKFile::Remove()
{
    if (IsMemoryStream()) {
        fStreamOpened = false;
        fStreamPos = 0;
        std::vector<unsigned char>().swap(fStreamData);
        fMode &= ~(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
        return 0;
    }

    errno = 0;
    if (fFD != -1) {
        ReleaseMapping();
        ::close(fFD);
        fFD = -1;
        fMode &= ~(kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite);
    }
    if (!fPath.IsEmpty())
        AKFileUtils::RemoveFile(fPath);
    if (IsTemporary())
        ForgetTemporaryPath();
    return 0;
}

int AKFile::CheckIsOpened() const
{
    if ((fMode & kAKFileModeOpenedForRead) == 0)
        return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    return 0;
}

int AKFile::CheckIsOpenedForRead() const { return CheckIsOpened(); }

int AKFile::CheckIsOpenedForWrite() const
{
    unsigned int both = kAKFileModeOpenedForRead | kAKFileModeOpenedForWrite;
    if ((fMode & both) != both)
        return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    return 0;
}

// --- Bytes ---

int AKFile::Read(void* data, unsigned long long size) const
{
    if (IsMemoryStream())
        return StreamRead(data, size);

    errno = 0;
    if (fFD == -1)
        return AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    // Large requests come back in parts from the system; a part of 0 bytes
    // (the end of the file) or an error is a failed read.
    unsigned char* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        size_t request = size > SSIZE_MAX ? SSIZE_MAX : static_cast<size_t>(size);
        ssize_t done = ::read(fFD, bytes, request);
        if (done <= 0)
            return AKLogErrorWithErrno(kAKErrorFileCantRead, "Can't read in file \"%s\"", GetLogName());
        bytes += done;
        size -= static_cast<unsigned long long>(done);
    }
    return 0;
}

int AKFile::Write(void const* data, unsigned long long size)
{
    if (IsMemoryStream())
        return StreamWrite(data, size);

    errno = 0;
    if (fFD == -1)
        return AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    unsigned char const* bytes = static_cast<unsigned char const*>(data);
    while (size > 0) {
        size_t request = size > SSIZE_MAX ? SSIZE_MAX : static_cast<size_t>(size);
        ssize_t done = ::write(fFD, bytes, request);
        if (done <= 0)
            return AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write to file \"%s\"", GetLogName());
        bytes += done;
        size -= static_cast<unsigned long long>(done);
    }
    return 0;
}

// --- Positions ---

int AKFile::GetPos(unsigned long long* pos) const
{
    *pos = 0;
    if (IsMemoryStream()) {
        if (!fStreamOpened)
            return AKLogError(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
        *pos = fStreamPos;
        return 0;
    }

    errno = 0;
    if (fFD == -1)
        return AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    off_t offset = ::lseek(fFD, 0, SEEK_CUR);
    if (offset < 0)
        return AKLogErrorWithErrno(kAKErrorFileCantGetPos, "Can't get position in file \"%s\"", GetLogName());
    *pos = static_cast<unsigned long long>(offset);
    return 0;
}

int AKFile::SetPos(unsigned long long pos) const
{
    if (pos > static_cast<unsigned long long>(LLONG_MAX))
        return AKLogError(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    return Seek(static_cast<long long>(pos), kAKFileWhenceStart);
}

int AKFile::Seek(long long offset, AKFileWhence whence) const
{
    if (IsMemoryStream())
        return StreamSeek(offset, whence);

    errno = 0;
    if (fFD == -1)
        return AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    int origin = whence == kAKFileWhenceCurrent ? SEEK_CUR : whence == kAKFileWhenceEnd ? SEEK_END : SEEK_SET;
    if (::lseek(fFD, static_cast<off_t>(offset), origin) < 0)
        return AKLogErrorWithErrno(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    return 0;
}

// A count beyond the signed range would turn into a move the other way.
int AKFile::Skip(unsigned long long size) const
{
    if (size > static_cast<unsigned long long>(LLONG_MAX))
        return AKLogError(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    return Seek(static_cast<long long>(size), kAKFileWhenceCurrent);
}

int AKFile::SkipBack(unsigned long long size) const
{
    if (size > static_cast<unsigned long long>(LLONG_MAX))
        return AKLogError(kAKErrorFileCantSetPos, "Can't set position in file \"%s\"", GetLogName());
    return Seek(-static_cast<long long>(size), kAKFileWhenceCurrent);
}

// A count that carries position plus count past the top of the range lies
// beyond any end, so the wrapped sum must not be compared with the size.
static bool IsBeyondEnd(unsigned long long pos, unsigned long long n, unsigned long long size)
{
    unsigned long long end = pos + n;
    return end < n || end >= size;
}

bool AKFile::IsEndOfFile(unsigned long long n) const
{
    if (IsMemoryStream()) {
        if (!fStreamOpened)
            return true;
        return IsBeyondEnd(fStreamPos, n, fStreamData.size());
    }

    errno = 0;
    if (fFD == -1)
        return true;
    off_t offset = ::lseek(fFD, 0, SEEK_CUR);
    if (offset < 0)
        return true;
    struct stat info;
    if (::fstat(fFD, &info) != 0)
        return true;
    return IsBeyondEnd(static_cast<unsigned long long>(offset), n, static_cast<unsigned long long>(info.st_size));
}

// --- Size and information ---

int AKFile::SetFileSize(unsigned long long size)
{
    if (IsMemoryStream())
        return StreamSetSize(size);

    errno = 0;
    if (fFD == -1)
        return AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", GetLogName());
    if (size > static_cast<unsigned long long>(LLONG_MAX) || ::ftruncate(fFD, static_cast<off_t>(size)) != 0)
        return AKLogErrorWithErrno(kAKErrorFileCantSetSize, "Can't set size of file \"%s\"", GetLogName());
    return 0;
}

int AKFile::GetFileInfo(unsigned long long* size, unsigned long long* created, unsigned long long* modified) const
{
    if (IsMemoryStream()) {
        if (size)
            *size = fStreamData.size();
        if (created)
            *created = 0;
        if (modified)
            *modified = 0;
        return 0;
    }

    errno = 0;
    if (AKFileUtils::GetFileInfo(fPath, size, created, modified) != 0)
        return AKLogErrorWithErrno(kAKErrorFileCantGetInfo, "Can't get size of file \"%s\"", GetLogName());
    return 0;
}

// --- Mapping ---

AKFileMmap* AKFile::MemMap() const
{
    if (fMapping == nullptr)
        fMapping = new AKFileMmap(*this);
    return fMapping;
}

void const* AKFile::MemMapAll(unsigned long long* size) const { return MemMap()->MapAll(size); }

int AKFile::MemUnmapAll() const { return MemMap()->UnmapAll(); }

int AKFile::MemMapLastError() const { return MemMap()->LastError(); }
