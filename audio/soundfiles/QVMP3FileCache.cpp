#include "QVMP3FileCache.h"

#include "AKFileUtils.h"
#include "QVSoundFileReaderLibMadLow.h"

// Room reserved at the first insertion.
static constexpr unsigned int kInitialEntries = 20;

ATArray<QVMP3FileEntry> QVMP3FileCache::sEntries;

int QVMP3FileCache::GetExactFrameCount(AKFilePath const& path, FILE* stream, unsigned long long* count)
{
    *count = 0;
    unsigned long long size = 0;
    unsigned long long modified = 0;
    if (AKFileUtils::GetFileInfo(path, &size, nullptr, &modified) != 0)
        return -1;

    unsigned int index = ATArray<QVMP3FileEntry>::kNotFound;
    sEntries.FindIf([&path](QVMP3FileEntry const& entry) { return entry.path == path; }, &index);
    if (index != ATArray<QVMP3FileEntry>::kNotFound) {
        QVMP3FileEntry& entry = sEntries[index];
        if (entry.fileSize == size && entry.modificationTime == modified) {
            *count = entry.exactFrameCount;
            return 0;
        }
    }

    unsigned long long counted = 0;
    if (LowComputeExactFrameCountOfMp3File(stream, &counted) != 0)
        return -1;
    if (index != ATArray<QVMP3FileEntry>::kNotFound) {
        QVMP3FileEntry& entry = sEntries[index];
        entry.fileSize = size;
        entry.modificationTime = modified;
        entry.exactFrameCount = counted;
    } else {
        if (sEntries.IsEmpty())
            sEntries.Reserve(kInitialEntries);
        QVMP3FileEntry entry;
        entry.path = path;
        entry.fileSize = size;
        entry.modificationTime = modified;
        entry.exactFrameCount = counted;
        sEntries.Push(entry);
    }
    *count = counted;
    return 0;
}
