// Fuzz target: arbitrary bytes written to a sound file and opened through
// the reader factory, the first byte choosing the file's extension (and so
// the readers tried). Probing must fail cleanly (null) or give an open
// reader whose description is sane: a raw layout fits inside the file, the
// file-info shortcut agrees with it, and reading to the end in requests the
// input sizes delivers no more frames than announced (libsndfile) and stops.

#include "AKLog.h"
#include "QVSoundFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

char const* const kExtensions[] = {"wav", "aif", "aiff", "flac", "ogg", "caf", "w64", "au", "rf64", "mp3", "xyz"};
constexpr size_t kExtensionCount = sizeof(kExtensions) / sizeof(kExtensions[0]);

// One file per extension for the whole run, removed at exit.
std::vector<std::string>& Paths()
{
    static std::vector<std::string>& paths = *new std::vector<std::string>(kExtensionCount);
    return paths;
}

std::string const& FilePath(size_t extension)
{
    std::string& path = Paths()[extension];
    if (path.empty()) {
        std::string pattern = std::string("/tmp/fuzz_sound_XXXXXX.") + kExtensions[extension];
        int const suffix = static_cast<int>(std::strlen(kExtensions[extension]) + 1);
        int const fd = mkstemps(pattern.data(), suffix);
        if (fd < 0)
            std::abort();
        close(fd);
        path = pattern;
        static bool sRegistered = (std::atexit([] {
                                       for (std::string const& p : Paths()) {
                                           if (!p.empty())
                                               std::remove(p.c_str());
                                       }
                                   }),
                                   true);
        (void)sRegistered;
    }
    return path;
}

void WriteFile(std::string const& path, uint8_t const* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size < 2)
        return 0;
    size_t const extension = data[0] % kExtensionCount;
    unsigned long long const request = 1 + data[1] * 53ull;
    std::string const& path = FilePath(extension);
    WriteFile(path, data + 2, size - 2);
    unsigned long long const fileSize = size - 2;

    QVSoundFileReader* reader = QVSoundFileReader::New(AKFilePath(path.c_str()), true);
    QVAudioFileInfo shortcut;
    int const shortcutStatus = QVSoundFileReader::ReadSoundInfo(AKFilePath(path.c_str()), &shortcut, nullptr, nullptr);
    if (reader == nullptr) {
        if (shortcutStatus != kQVErrorSoundFileCantOpen || shortcut.IsValid())
            std::abort();
        return 0;
    }
    QVAudioFileInfo const info = reader->GetFileInfo();
    if (!reader->IsOpened() || !info.IsValid() || shortcutStatus != 0 || shortcut.frameCount != info.frameCount ||
        shortcut.pcmInfo != info.pcmInfo || shortcut.rawDataOffset != info.rawDataOffset)
        std::abort();

    // A raw layout is mapped as it is described: it must lie inside the file.
    if (info.pcmInfo != 0) {
        unsigned long long const frameBytes =
            static_cast<unsigned long long>(info.channelCount) * QVAudioPCMInfoGetBytesPerSample(info.pcmInfo);
        if (info.rawDataOffset < 0 || frameBytes == 0 ||
            static_cast<unsigned long long>(info.rawDataOffset) > fileSize ||
            info.frameCount > (fileSize - static_cast<unsigned long long>(info.rawDataOffset)) / frameBytes)
            std::abort();
    }

    bool const exactCount = reader->GetName() == AKString("SndFile");
    unsigned long long delivered = 0;
    if (size > 2 && data[2] % 4 == 0) {
        unsigned long long skip = request;
        if (reader->SkipNextFrames(&skip) == 0)
            delivered += skip;
    }
    // Reads cannot deliver more than a bounded amount of audio from so few bytes.
    unsigned long long const bound = info.frameCount + 1152ull * (fileSize + 1);
    std::vector<float> block(request * info.channelCount);
    int failures = 0;
    for (;;) {
        unsigned long long count = request;
        int const status = reader->ReadNextFrames(block.data(), &count);
        if (status != 0) {
            if (count != 0 || ++failures > 2)
                break;
            continue;
        }
        if (count > request)
            std::abort();
        if (count == 0)
            break;
        delivered += count;
        if (delivered > bound || (exactCount && delivered > info.frameCount))
            std::abort();
    }
    reader->Close();
    if (reader->IsOpened())
        std::abort();
    delete reader;
    return 0;
}
