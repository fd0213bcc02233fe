// Fuzz target: arbitrary bytes written to a file and read whole through the
// MP3 reader, in requests whose size the input picks. Opening must fail
// cleanly or give a reader that delivers at least its announced frame count
// (the decoder may find more frames than the count pass, never fewer
// without silence making up for them) and then stops.

#include "QVSoundFileReaderLibMad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One file for the whole run, removed at exit.
std::string const& FilePath()
{
    static std::string const& path = *new std::string([] {
        char pattern[] = "/tmp/fuzz_mp3_XXXXXX";
        int const fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        close(fd);
        std::atexit([] { std::remove(FilePath().c_str()); });
        return std::string(pattern);
    }());
    return path;
}

void WriteInput(uint8_t const* data, size_t size)
{
    FILE* file = std::fopen(FilePath().c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    // Each input gets its own modification time, so the reader's count
    // cache never answers for an earlier input of the same size.
    static time_t stamp = 1000000000;
    ++stamp;
    timespec times[2] = {{stamp, 0}, {stamp, 0}};
    utimensat(AT_FDCWD, FilePath().c_str(), times, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    WriteInput(data, size);
    unsigned long long const request = 1 + (size > 0 ? data[size - 1] * 37ull : 0);

    QVSoundFileReaderLibMad reader{AKFilePath(FilePath())};
    if (reader.Open() != 0) {
        if (reader.IsOpened())
            std::abort();
        return 0;
    }
    QVAudioFileInfo const info = reader.GetFileInfo();
    if (info.channelCount < 1 || info.channelCount > 2)
        std::abort();

    // Every frame of an MP3 frame is at most 1152, and each MP3 frame takes
    // at least a few bytes: a bound on what any input can deliver.
    unsigned long long const bound = info.frameCount + 1152ull * (size + 1);
    std::vector<float> block(request * info.channelCount);
    unsigned long long delivered = 0;
    int failures = 0;
    for (;;) {
        unsigned long long count = request;
        int const status = reader.ReadNextFrames(block.data(), &count);
        if (status != 0) {
            // A failed read delivers nothing and ends the decoding: what
            // is still owed comes as silence.
            if (count != 0 || ++failures > 1)
                std::abort();
            continue;
        }
        if (count > request)
            std::abort();
        if (count == 0)
            break;
        delivered += count;
        if (delivered > bound)
            std::abort();
    }
    if (delivered < info.frameCount)
        std::abort();
    reader.Close();
    return 0;
}
