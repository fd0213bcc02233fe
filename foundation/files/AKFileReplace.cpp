// Saving a whole file through a hidden file renamed over it.
//
// Hidden files are named
//     ".orvel-saving-<process id>-<number>-<target name>"
// where the number tells apart the saves of one process. When that would be
// too long for a file name, the target name is replaced by "#" and sixteen
// hexadecimal digits of its hash. Every save holds an exclusive lock (flock)
// on its hidden file from creation to rename, so a hidden file nobody holds
// is one whose save has ended. A save first removes the hidden files of its
// own target that are left over: not locked, and either their process is
// gone (kill answers ESRCH) or nothing has written to them for an hour (the
// process id was reused, or the folder is shared with another machine whose
// processes this one cannot see). The age bound also covers the instant
// between a file's creation and its lock.

#include "AKFileReplace.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kHiddenPrefix[] = ".orvel-saving-";
constexpr size_t kHiddenPrefixLength = sizeof(kHiddenPrefix) - 1;
// The prefix and two numbers of at most ten digits, each followed by "-".
constexpr size_t kHiddenNameOverhead = kHiddenPrefixLength + 2 * (10 + 1);
constexpr unsigned int kMaxNumberDigits = 10;
constexpr time_t kLeftOverAfterSeconds = 60 * 60;
constexpr int kCreateAttempts = 100;
// Linux writes at most about 2 GiB in one call.
constexpr unsigned long long kMaxWriteChunk = 1ull << 30;

// A descriptor closed when it goes out of scope.
class ScopedDescriptor
{
public:
    explicit ScopedDescriptor(int fd = -1) : mFD(fd) {}
    ~ScopedDescriptor()
    {
        if (mFD >= 0)
            ::close(mFD);
    }
    ScopedDescriptor(ScopedDescriptor const&) = delete;
    ScopedDescriptor& operator=(ScopedDescriptor const&) = delete;

    void Reset(int fd)
    {
        if (mFD >= 0)
            ::close(mFD);
        mFD = fd;
    }
    int Get() const { return mFD; }
    bool IsValid() const { return mFD >= 0; }

private:
    int mFD;
};

// --- Hidden names ---

// "#" and the 64-bit FNV-1a hash of the name in hexadecimal.
std::string HashedTargetName(std::string const& name)
{
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[24];
    std::snprintf(text, sizeof text, "#%016llx", hash);
    return text;
}

std::string HiddenName(std::string const& targetTag, unsigned int number)
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d-%u-", static_cast<int>(::getpid()), number);
    return kHiddenPrefix + std::string(numbers) + targetTag;
}

// Reads 1 to 10 decimal digits followed by "-".
bool ReadNumber(char const** p, unsigned long long* number)
{
    unsigned int digits = 0;
    *number = 0;
    for (; **p >= '0' && **p <= '9'; ++*p) {
        if (++digits > kMaxNumberDigits)
            return false;
        *number = *number * 10 + static_cast<unsigned long long>(**p - '0');
    }
    if (digits == 0 || **p != '-')
        return false;
    ++*p;
    return true;
}

// Whether the entry is a hidden file of a save of the target (by its name or
// its hashed name), and that save's process id.
bool IsHiddenFileOf(char const* entry, std::string const& name, std::string const& hashed, pid_t* pid)
{
    if (std::strncmp(entry, kHiddenPrefix, kHiddenPrefixLength) != 0)
        return false;
    char const* p = entry + kHiddenPrefixLength;
    unsigned long long process = 0;
    unsigned long long number = 0;
    if (!ReadNumber(&p, &process) || !ReadNumber(&p, &number) || process == 0 || process > INT_MAX)
        return false;
    if (name != p && hashed != p)
        return false;
    *pid = static_cast<pid_t>(process);
    return true;
}

// --- Left-over hidden files ---

void RemoveIfLeftOver(int folder, char const* entry, pid_t pid)
{
    ScopedDescriptor fd(::openat(folder, entry, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info;
    if (!fd.IsValid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    // A save in progress holds the lock; a file system without locks has
    // only the other two tests.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return;
    bool const processGone = ::kill(pid, 0) != 0 && errno == ESRCH;
    bool const untouched = std::time(nullptr) - info.st_mtime > kLeftOverAfterSeconds;
    if (!processGone && !untouched)
        return;
    // The name must still be the file examined.
    struct stat named;
    if (::fstatat(folder, entry, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == info.st_dev &&
        named.st_ino == info.st_ino)
        ::unlinkat(folder, entry, 0);
}

// Removing left-overs is a courtesy: nothing here fails the save.
void RemoveLeftOverHiddenFiles(int folder, std::string const& name)
{
    int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR* dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return;
    }
    std::string const hashed = HashedTargetName(name);
    std::vector<std::pair<std::string, pid_t>> found;
    while (dirent* entry = ::readdir(dir)) {
        pid_t pid = 0;
        if (IsHiddenFileOf(entry->d_name, name, hashed, &pid))
            found.emplace_back(entry->d_name, pid);
    }
    ::closedir(dir);
    for (auto const& hidden : found)
        RemoveIfLeftOver(folder, hidden.first.c_str(), hidden.second);
}

// --- Steps of a save ---

// The file being replaced: whether there is one to take the owner and the
// permission bits from (a symbolic link gives only the bits of its file).
struct Replaced {
    bool exists = false;
    bool keepOwner = false;
    struct stat info;
};

int ExamineTarget(int folder, std::string const& name, AKFilePath const& path, Replaced* replaced)
{
    if (::fstatat(folder, name.c_str(), &replaced->info, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    if (S_ISDIR(replaced->info.st_mode)) {
        errno = EISDIR;
        return AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't replace file \"%s\"", path.c_str());
    }
    replaced->keepOwner = S_ISREG(replaced->info.st_mode);
    if (S_ISLNK(replaced->info.st_mode) && ::fstatat(folder, name.c_str(), &replaced->info, 0) != 0)
        return 0;
    replaced->exists = S_ISREG(replaced->info.st_mode);
    replaced->keepOwner = replaced->keepOwner && replaced->exists;
    return 0;
}

// Creates the hidden file exclusively, never through a link, and locks it.
// It starts readable by its owner only when it is to take a file's bits.
int CreateHiddenFile(int folder, std::string const& name, AKFilePath const& path, bool restricted, ScopedDescriptor* fd,
                     std::string* hiddenName)
{
    static std::atomic<unsigned int> sNumber{0};
    std::string tag = kHiddenNameOverhead + name.size() <= NAME_MAX ? name : HashedTargetName(name);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        *hiddenName = HiddenName(tag, sNumber.fetch_add(1));
        errno = 0;
        fd->Reset(::openat(folder, hiddenName->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           restricted ? 0600 : 0666));
        if (fd->IsValid()) {
            ::flock(fd->Get(), LOCK_EX | LOCK_NB);
            return 0;
        }
        // A file system with shorter names than usual.
        if (errno == ENAMETOOLONG && tag == name)
            tag = HashedTargetName(name);
        else if (errno != EEXIST)
            break;
    }
    return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't create file \"%s\"", path.c_str());
}

// Owner and group where the process may give them (a user may still give a
// group of their own), then the permission bits without set-user-ID and
// set-group-ID. Failures leave the file to its creator, readable by it only.
void TakeOverOwnerAndMode(int fd, Replaced const& replaced)
{
    struct stat const& info = replaced.info;
    if (replaced.keepOwner && (info.st_uid != ::geteuid() || info.st_gid != ::getegid())) {
        if (::fchown(fd, info.st_uid, info.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    ::fchmod(fd, info.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID));
}

bool WriteAll(int fd, void const* data, unsigned long long size)
{
    char const* bytes = static_cast<char const*>(data);
    while (size > 0) {
        size_t const chunk = static_cast<size_t>(size < kMaxWriteChunk ? size : kMaxWriteChunk);
        errno = 0;
        ssize_t const written = ::write(fd, bytes, chunk);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<unsigned long long>(written);
    }
    return true;
}

// Whether the hidden name still leads to the file written.
bool StillNamesFile(int folder, std::string const& hiddenName, int fd)
{
    struct stat written, named;
    errno = 0;
    return ::fstat(fd, &written) == 0 && ::fstatat(folder, hiddenName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           written.st_dev == named.st_dev && written.st_ino == named.st_ino;
}

}  // namespace

int AKFileReplaceContent(AKFilePath const& path, void const* data, unsigned long long size)
{
    char targetPath[kAKSystemPathMaxSize];
    errno = 0;
    if (path.HasDirectorySyntax() || !AKFileUtils::GetAsSystemPath(targetPath, path, false))
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", path.c_str());
    // The system form is absolute and has no trailing "/".
    char const* slash = std::strrchr(targetPath, '/');
    std::string const name(slash + 1);
    std::string const folderPath =
        slash == targetPath ? std::string("/") : std::string(static_cast<char const*>(targetPath), slash);
    if (name.empty() || name == "." || name == "..")
        return AKLogError(kAKErrorFileCantOpen, "Can't open file \"%s\"", path.c_str());

    errno = 0;
    ScopedDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsValid())
        return AKLogErrorWithErrno(kAKErrorFileCantOpen, "Can't open file \"%s\"", path.c_str());

    Replaced replaced;
    int status = ExamineTarget(folder.Get(), name, path, &replaced);
    if (status != 0)
        return status;
    RemoveLeftOverHiddenFiles(folder.Get(), name);

    // The descriptor stays open, and the lock held, until the rename is done.
    ScopedDescriptor fd;
    std::string hiddenName;
    status = CreateHiddenFile(folder.Get(), name, path, replaced.exists, &fd, &hiddenName);
    if (status != 0)
        return status;
    bool removeHidden = true;
    if (replaced.exists)
        TakeOverOwnerAndMode(fd.Get(), replaced);
    if (!WriteAll(fd.Get(), data, size))
        status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write to file \"%s\"", path.c_str());
    if (status == 0) {
        errno = 0;
        if (::fsync(fd.Get()) != 0)
            status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write to file \"%s\"", path.c_str());
    }
    // Another process may have put something else under the hidden name.
    if (status == 0 && !StillNamesFile(folder.Get(), hiddenName, fd.Get())) {
        removeHidden = false;
        status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't replace file \"%s\"", path.c_str());
    }
    if (status == 0) {
        errno = 0;
        if (::renameat(folder.Get(), hiddenName.c_str(), folder.Get(), name.c_str()) != 0)
            status = AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't replace file \"%s\"", path.c_str());
        else
            removeHidden = false;
    }
    if (removeHidden)
        ::unlinkat(folder.Get(), hiddenName.c_str(), 0);
    if (status != 0)
        return status;

    // The rename lasts through a power loss only once the folder is synced.
    // Some file systems cannot sync a folder (EINVAL): nothing more to do there.
    errno = 0;
    if (::fsync(folder.Get()) != 0 && errno != EINVAL)
        return AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't write to file \"%s\"", path.c_str());
    return 0;
}
