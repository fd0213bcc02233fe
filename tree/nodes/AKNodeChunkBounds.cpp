// Bounds checks of the 'NODE' and 'ARND' chunks being read.

#include "AKNodeChunkBounds.h"

#include "AKLog.h"
#include "AKStatus.h"

namespace {

struct SignatText {
    char text[5];
    explicit SignatText(unsigned int signature)
    {
        text[0] = static_cast<char>(signature >> 24);
        text[1] = static_cast<char>(signature >> 16);
        text[2] = static_cast<char>(signature >> 8);
        text[3] = static_cast<char>(signature);
        text[4] = '\0';
    }
};

}  // namespace

int AKNodeCheckChunkFits(AKFile const& file, AKFileChunk const& chunk, unsigned int minPayload)
{
    // The header was just read: the payload starts at the current position.
    bool fits = chunk.size >= minPayload && (chunk.size == 0 || !file.IsEndOfFile(chunk.size - 1ull));
    if (fits)
        return 0;
    return AKLogError(kAKErrorChunkUnknownSignature, "In file \"%s\" at pos %u, chunk [%.4s] has a bad size (%u bytes)",
                      file.GetLogName(), static_cast<unsigned int>(chunk.position), SignatText(chunk.signature).text,
                      chunk.size);
}

int AKNodeCheckChunkNotOverrun(AKFile const& file, AKFileChunk const& chunk)
{
    unsigned long long position = 0;
    int status = file.GetPos(&position);
    if (status != 0)
        return status;
    if (position <= chunk.position + kAKFileChunkHeaderSize + chunk.size)
        return 0;
    return AKLogError(kAKErrorChunkUnknownSignature, "In file \"%s\" at pos %u, data runs past the end of chunk [%.4s]",
                      file.GetLogName(), static_cast<unsigned int>(chunk.position), SignatText(chunk.signature).text);
}
