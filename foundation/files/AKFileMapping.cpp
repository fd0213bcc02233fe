// Read-only mappings of regions of a file (AKFileMmap). Disk files are
// mapped by the system; memory streams only hand out addresses into their
// bytes. Every mapping is listed so that it can be found by its address and
// released with the file.

#include "AKFile.h"

#include "AKLog.h"
#include "AKStatus.h"

#include <cerrno>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

AKFileMmap::AKFileMmap(AKFile const& file) : fFile(file) {}

AKFileMmap::~AKFileMmap() { UnmapAll(); }

unsigned long long AKFileMmap::GetSysPageSize()
{
    static unsigned long long const sPageSize = [] {
        long size = ::sysconf(_SC_PAGESIZE);
        return size > 0 ? static_cast<unsigned long long>(size) : 4096ull;
    }();
    return sPageSize;
}

bool AKFileMmap::FindItemByAddress(void const* address, unsigned int* index) const
{
    for (unsigned int i = 0; i < fItems.size(); ++i) {
        if (fItems[i].address == address) {
            if (index)
                *index = i;
            return true;
        }
    }
    if (index)
        *index = 0xFFFFFFFFu;
    return false;
}

unsigned long long AKFileMmap::GetItemLength(unsigned int index) const
{
    return index < fItems.size() ? fItems[index].length : 0;
}

void const* AKFileMmap::Map(unsigned long long offset, unsigned long long length)
{
    errno = 0;
    char const* name = fFile.GetLogName();
    void const* address = nullptr;

    if (fFile.IsMemoryStream()) {
        void const* data = nullptr;
        unsigned long long size = 0;
        fFile.GetMemoryStreamDataPtr(&data, &size);
        if (length == 0 || offset > size || length > size - offset) {
            Fail(AKLogErrorWithErrno(kAKErrorFileMmapOutOfBounds, "Can't mmap on file (out of bounds) \"%s\"", name));
            return nullptr;
        }
        address = static_cast<unsigned char const*>(data) + offset;
    } else {
        int fd = fFile.GetDescriptor();
        if (fd == -1) {
            Fail(AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", name));
            return nullptr;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            Fail(AKLogErrorWithErrno(kAKErrorFileCantGetInfo, "Can't get size of file \"%s\"", name));
            return nullptr;
        }
        unsigned long long size = static_cast<unsigned long long>(info.st_size);
        if (length == 0 || offset > size || length > size - offset) {
            Fail(AKLogErrorWithErrno(kAKErrorFileMmapOutOfBounds, "Can't mmap on file (out of bounds) \"%s\"", name));
            return nullptr;
        }
        if (offset % GetSysPageSize() != 0) {
            Fail(AKLogErrorWithErrno(kAKErrorFileMmapBadOffset, "Can't mmap on file (bad offset) \"%s\"", name));
            return nullptr;
        }
        void* mapped =
            ::mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_SHARED, fd, static_cast<off_t>(offset));
        if (mapped == MAP_FAILED) {
            Fail(AKLogErrorWithErrno(kAKErrorFileCantMmap, "Can't mmap on file \"%s\"", name));
            return nullptr;
        }
        address = mapped;
    }

    unsigned int index = 0;
    if (FindItemByAddress(address, &index))
        fItems[index].length = length;
    else
        fItems.push_back(Item{address, length});
    fLastError = 0;
    return address;
}

void const* AKFileMmap::MapAll(unsigned long long* size)
{
    errno = 0;
    if (size)
        *size = 0;
    char const* name = fFile.GetLogName();
    unsigned long long total = 0;

    if (fFile.IsMemoryStream()) {
        void const* data = nullptr;
        fFile.GetMemoryStreamDataPtr(&data, &total);
    } else {
        int fd = fFile.GetDescriptor();
        if (fd == -1) {
            Fail(AKLogErrorWithErrno(kAKErrorFileNotOpened, "The file \"%s\" is not opened", name));
            return nullptr;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            Fail(AKLogErrorWithErrno(kAKErrorFileCantGetInfo, "Can't get size of file \"%s\"", name));
            return nullptr;
        }
        total = static_cast<unsigned long long>(info.st_size);
    }
    if (total == 0) {
        Fail(AKLogErrorWithErrno(kAKErrorFileMmapOutOfBounds, "Can't mmap on file (out of bounds) \"%s\"", name));
        return nullptr;
    }

    void const* address = Map(0, total);
    if (address && size)
        *size = total;
    return address;
}

int AKFileMmap::Unmap(void const* address)
{
    unsigned int index = 0;
    if (FindItemByAddress(address, &index)) {
        Item item = fItems[index];
        fItems.erase(fItems.begin() + index);
        if (!fFile.IsMemoryStream())
            ::munmap(const_cast<void*>(item.address), static_cast<size_t>(item.length));
    }
    fLastError = 0;
    return 0;
}

int AKFileMmap::UnmapAll()
{
    if (!fFile.IsMemoryStream()) {
        for (size_t i = fItems.size(); i > 0; --i)
            ::munmap(const_cast<void*>(fItems[i - 1].address), static_cast<size_t>(fItems[i - 1].length));
    }
    fItems.clear();
    fLastError = 0;
    return 0;
}
