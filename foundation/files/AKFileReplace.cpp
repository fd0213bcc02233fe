// Saving a whole file through a new file renamed over it.

#include "AKFileReplace.h"

#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKString.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace {

constexpr int kReserveAttempts = 100;

// Reserves a new file beside the target by creating it exclusively, so that
// no existing file is ever touched. A target name too long to take the
// suffix falls back to a short hidden name.
int ReserveFileBeside(AKFilePath const& target, AKFilePath* reserved, char* systemPath)
{
    static std::atomic<unsigned int> sCounter{0};
    bool shortName = false;
    for (int attempt = 0; attempt < kReserveAttempts; ++attempt) {
        AKString name;
        if (!shortName)
            name.Append(".").Append(target.FileName());
        name.Appendf(".saving-%d-%u", static_cast<int>(::getpid()), sCounter.fetch_add(1));
        *reserved = target;
        reserved->SetFileName(name);
        errno = 0;
        if (!AKFileUtils::GetAsSystemPath(systemPath, *reserved, false))
            break;
        int fd = ::open(systemPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd != -1) {
            ::close(fd);
            return 0;
        }
        if (errno == ENAMETOOLONG && !shortName)
            shortName = true;
        else if (errno != EEXIST)
            break;
    }
    return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't create file \"%s\"", reserved->c_str());
}

}  // namespace

int AKFileReplaceContent(AKFilePath const& path, void const* data, unsigned long long size)
{
    char targetPath[kAKSystemPathMaxSize];
    errno = 0;
    if (path.HasDirectorySyntax() || !AKFileUtils::GetAsSystemPath(targetPath, path, false))
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", path.c_str());

    AKFilePath tempPath;
    char tempSystemPath[kAKSystemPathMaxSize];
    int status = ReserveFileBeside(path, &tempPath, tempSystemPath);
    if (status != 0)
        return status;

    {
        AKFile file(tempPath);
        status = file.OpenForReadWrite();
        if (status == 0) {
            // An existing file keeps its permissions.
            struct stat info;
            if (::stat(targetPath, &info) == 0 && S_ISREG(info.st_mode))
                ::fchmod(file.GetDescriptor(), info.st_mode & 07777);
            if (size > 0)
                status = file.Write(data, size);
        }
        if (status == 0) {
            errno = 0;
            if (::fsync(file.GetDescriptor()) != 0)
                status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write to file \"%s\"", file.GetLogName());
        }
        int closed = file.Close();
        if (status == 0)
            status = closed;
    }

    if (status == 0) {
        errno = 0;
        if (::rename(tempSystemPath, targetPath) != 0)
            status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't replace file \"%s\"", path.c_str());
    }
    if (status != 0)
        ::unlink(tempSystemPath);
    return status;
}
