// AKDictionary: the 'dict' chunk and the binary dictionary files.

#include "AKDictionary.h"

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFilePath.h"
#include "AKFileTypedIO.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueChunkNesting.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

constexpr unsigned int kAKDictionarySignature = 0x64696374;  // 'dict'

// Smallest entry: an empty key (its 4-byte length) and an 8-byte value header.
constexpr unsigned long long kAKDictionaryEntryMinSize = 4 + kAKFileChunkHeaderSize;

// --- 'dict' chunk ---

int AKDictionary::SkipFromFile(AKFile const& file)
{
    AKFileChunk chunk(kAKDictionarySignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, chunk.size);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKDictionary::ReadFromFile(AKFile const& file)
{
    Free();
    AKValueChunkNesting nesting;
    int status = nesting.Check(file);
    AKFileChunk chunk(kAKDictionarySignature);
    if (status == 0)
        status = AKFileCheckChunkHeader(file, &chunk);
    unsigned int count = 0;
    if (status == 0)
        status = AKFileReadUInt32(file, &count);
    // A count beyond what the file still holds is corrupt, refused before
    // the entries are read.
    if (status == 0)
        status = AKFileCheckBytesLeft(file, count * kAKDictionaryEntryMinSize);
    for (unsigned int i = 0; status == 0 && i < count; ++i) {
        AKString key;
        AKValue value;
        status = AKFileReadAKString(file, &key);
        if (status == 0)
            status = value.ReadFromFile(file);
        // Keys are kept as stored, valid paths or not; a repeated key keeps
        // the later value.
        if (status == 0)
            fEntries.insert_or_assign(std::move(key), std::move(value));
    }
    if (status != 0)
        Free();
    return status;
}

int AKDictionary::WriteToFile(AKFile& file) const
{
    AKFileChunk chunk(kAKDictionarySignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, Count());
    for (auto it = fEntries.begin(); status == 0 && it != fEntries.end(); ++it) {
        status = AKFileWriteAKString(file, it->first);
        if (status == 0)
            status = it->second.WriteToFile(file);
    }
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

// --- Binary dictionary files ---

int AKDictionary::LoadFromBinFile(AKFilePath const& path)
{
    Free();
    AKFile file(path);
    int status = file.OpenForRead();
    if (status == 0)
        status = ReadFromFile(file);
    file.Close();
    return status;
}

namespace {

// Reserves a new file beside the target (its name followed by ".saving-",
// the process ID and a counter), created exclusively so that no other file
// is ever touched. Gives its engine path and system path.
int ReserveFileBeside(AKFilePath const& target, AKFilePath* reserved, char* systemPath)
{
    static std::atomic<unsigned int> sCounter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        AKString text(target.String());
        text.Appendf(".saving-%d-%u", static_cast<int>(::getpid()), sCounter.fetch_add(1));
        *reserved = AKFilePath(text);
        errno = 0;
        if (!AKFileUtils::GetAsSystemPath(systemPath, *reserved, false))
            break;
        int fd = ::open(systemPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd != -1) {
            ::close(fd);
            return 0;
        }
        if (errno != EEXIST)
            break;
    }
    return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't create file \"%s\"", reserved->c_str());
}

}  // namespace

// The dictionary is written into a new file beside the target, flushed to
// disk, and only then renamed over the target: whatever fails on the way,
// the previous file stays as it was and the new one is removed.
int AKDictionary::SaveToBinFile(AKFilePath const& path) const
{
    char targetPath[kAKSystemPathMaxSize];
    errno = 0;
    if (!AKFileUtils::GetAsSystemPath(targetPath, path, false))
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
            status = WriteToFile(file);
        }
        if (status == 0) {
            errno = 0;
            if (::fsync(file.GetDescriptor()) != 0)
                status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write file \"%s\"", file.GetLogName());
        }
        file.Close();
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
