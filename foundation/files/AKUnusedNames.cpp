// Unused file and folder names: numbered names beside an existing one, and
// unique temporary files.

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AKFileUtils.h"

namespace {

constexpr unsigned int kMaxNumberedTries = 1000;
constexpr unsigned int kMaxTemporaryTries = 100;

// True when the format holds exactly one integer conversion (flags, width
// and precision allowed) besides any "%%": the only kind it is given.
bool IsNumberFormat(char const* format)
{
    int conversions = 0;
    for (char const* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && std::strchr("-+ #0", *p))
            ++p;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            ++p;
        if (*p == '.') {
            ++p;
            while (std::isdigit(static_cast<unsigned char>(*p)))
                ++p;
        }
        if (!*p || !std::strchr("diouxX", *p))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

// The format of the number after base, or null when the given one is unusable.
char const* NumberFormat(char const* format, AKString const& base)
{
    if (format == nullptr || *format == '\0')
        return base.Contains(AKString(" ")) ? " %u" : "%u";
    return IsNumberFormat(format) ? format : nullptr;
}

AKString NumberedName(AKString const& base, char const* format, unsigned int number)
{
    AKString suffix;
    suffix.Assignf(format, number);
    return base + suffix;
}

// A name is taken by any entry: a folder where a file is wanted (or the
// reverse) would make the creation fail, and a dangling link would send it
// elsewhere.
bool IsNameUsed(AKFilePath const& path, bool isDirectory)
{
    char system[kAKSystemPathMaxSize];
    struct stat info;
    if (!AKFileUtils::GetAsSystemPath(system, path, isDirectory))
        return true;
    return lstat(system, &info) == 0 || errno != ENOENT;
}

void FillRandomBytes(unsigned char* bytes, size_t count)
{
    if (getrandom(bytes, count, GRND_NONBLOCK) == static_cast<ssize_t>(count))
        return;
    // No entropy yet: the clock and the process are enough for names that
    // are created exclusively anyway.
    static unsigned long long sState = 0;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    sState += static_cast<unsigned long long>(now.tv_nsec) ^ (static_cast<unsigned long long>(getpid()) << 32);
    for (size_t i = 0; i < count; ++i) {
        sState = sState * 6364136223846793005ULL + 1442695040888963407ULL;
        bytes[i] = static_cast<unsigned char>(sState >> 56);
    }
}

AKString RandomLetters(unsigned int count)
{
    static char const kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[16];
    if (count > sizeof bytes)
        count = sizeof bytes;
    FillRandomBytes(bytes, count);
    AKString letters;
    for (unsigned int i = 0; i < count; ++i) {
        char letter = kLetters[bytes[i] % (sizeof kLetters - 1)];
        letters.Append(&letter, 1);
    }
    return letters;
}

}  // namespace

bool AKFileUtils::SearchUnusedFileNameInDir(AKFilePath* path, unsigned int* counter, char const* format)
{
    if (path == nullptr || path->IsEmpty())
        return false;
    if (counter == nullptr && !IsNameUsed(*path, false))
        return true;
    AKString base = path->ShortFileName();
    if (base.IsEmpty())
        return false;
    char const* numberFormat = NumberFormat(format, base);
    if (numberFormat == nullptr)
        return false;

    unsigned int number = counter ? *counter : 1;
    for (unsigned int tries = 0; tries < kMaxNumberedTries; ++tries, ++number) {
        AKFilePath candidate(*path);
        candidate.SetShortFileName(NumberedName(base, numberFormat, number));
        if (!IsNameUsed(candidate, false)) {
            *path = candidate;
            if (counter)
                *counter = number + 1;
            return true;
        }
    }
    return false;
}

bool AKFileUtils::SearchUnusedDirNameInDir(AKFilePath* path, unsigned int* counter, char const* format)
{
    if (path == nullptr || path->IsEmpty())
        return false;
    AKFilePath folder(*path);
    folder.ForceDirectorySyntax();
    if (counter == nullptr && !IsNameUsed(folder, true)) {
        *path = folder;
        return true;
    }
    AKString base = folder.LastComponent();
    if (base.IsEmpty())
        return false;
    char const* numberFormat = NumberFormat(format, base);
    if (numberFormat == nullptr)
        return false;
    AKFilePath parent(folder);
    parent.RemoveLastComponent();

    unsigned int number = counter ? *counter : 1;
    for (unsigned int tries = 0; tries < kMaxNumberedTries; ++tries, ++number) {
        AKFilePath candidate(parent);
        candidate.AppendComponent(NumberedName(base, numberFormat, number));
        if (!IsNameUsed(candidate, true)) {
            *path = candidate;
            if (counter)
                *counter = number + 1;
            return true;
        }
    }
    return false;
}

AKFilePath AKFileUtils::GetUnusedFileNameInTemporaryDir(AKString const& prefix)
{
    AKFilePath const& folder = GetSystemTemporaryDirPath();
    AKString namePrefix = prefix.IsEmpty() ? AKString("tmp_") : prefix;
    for (unsigned int tries = 0; tries < kMaxTemporaryTries; ++tries) {
        AKFilePath candidate(folder);
        candidate.SetFileName(namePrefix + RandomLetters(6));
        char system[kAKSystemPathMaxSize];
        if (!GetAsSystemPath(system, candidate, false))
            return AKFilePath();
        // Creating the file exclusively reserves the name and never touches
        // a file another process made meanwhile.
        int fd = open(system, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return AKFilePath();
    }
    return AKFilePath();
}
