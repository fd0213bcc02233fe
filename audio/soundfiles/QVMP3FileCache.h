#pragma once

// The exact frame counts of the MP3 files opened in this run, so that a
// provider, which opens its file once for its info and once to load it, counts
// the frames only once. An entry stays valid while the file keeps its size
// and modification time; a changed file is counted again. The cache lives for
// the run, is never trimmed and is reached only from the reader's Open, on
// the main thread.

#include <cstdio>

#include "AKFilePath.h"
#include "ATArray.h"

struct QVMP3FileEntry {
    AKFilePath path;
    unsigned long long fileSize = 0;
    unsigned long long modificationTime = 0;  // seconds, as the file system reports it
    unsigned long long exactFrameCount = 0;
};

class QVMP3FileCache
{
public:
    // The exact frame count of the file at `path`, open as `stream`: the
    // cached one when the file is unchanged, else a new count stored in the
    // cache. -1 when the file's size and time cannot be read or the frames
    // cannot be counted (nothing stored).
    static int GetExactFrameCount(AKFilePath const& path, FILE* stream, unsigned long long* count);

private:
    static ATArray<QVMP3FileEntry> sEntries;
};
