// Chunk headers, skips, bounds, signatures and 8-byte padding.

#include "AKFileChunk.h"

#include "AKLog.h"
#include "AKStatus.h"

namespace {

// The four characters of a signature in reading order, for log lines.
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

int LogUnknownSignature(AKFile const& file, unsigned long long position, unsigned int expected, unsigned int found)
{
    return AKLogError(kAKErrorChunkUnknownSignature, "In file \"%s\" at pos %u, want chunk [%.4s] but has [%.4s]",
                      file.GetPath().c_str(), static_cast<unsigned int>(position), SignatText(expected).text,
                      SignatText(found).text);
}

}  // namespace

// --- Signatures ---

int AKFileWriteSignat32(AKFile& file, unsigned int signature)
{
    return AKFileWriteUInt32(file, signature, kAKFileEndianBig);
}

int AKFileReadSignat32(AKFile const& file, unsigned int* signature)
{
    return AKFileReadUInt32(file, signature, kAKFileEndianBig);
}

int AKFileCheckSignat32(AKFile const& file, unsigned int expected, unsigned int* found)
{
    unsigned long long position = 0;
    int status = file.GetPos(&position);
    unsigned int signature = 0;
    if (status == 0)
        status = AKFileReadSignat32(file, &signature);
    if (status != 0)
        return status;
    if (found)
        *found = signature;
    if (signature != expected)
        return LogUnknownSignature(file, position, expected, signature);
    return 0;
}

bool AKFileIsSignat32(AKFile const& file, unsigned int signature, bool rewind)
{
    if (file.IsEndOfFile(3))
        return false;
    unsigned int found = 0;
    if (AKFileReadSignat32(file, &found) != 0)
        return false;
    if (rewind)
        file.SkipBack(4);
    return found == signature;
}

// --- Chunks ---

int AKFileChunkSetter::WriteChunkHeader(AKFile& file, AKFileChunk& chunk)
{
    chunk.size = 0;
    int status = file.GetPos(&chunk.position);
    if (status == 0)
        status = AKFileWriteSignat32(file, chunk.signature);
    if (status == 0)
        status = AKFileWriteUInt32(file, 0, 0);
    return status;
}

int AKFileChunkSetter::WriteChunkComplete(AKFile& file, AKFileChunk& chunk)
{
    unsigned long long current = 0;
    int status = file.GetPos(&current);
    if (status != 0)
        return status;
    unsigned long long start = chunk.position + kAKFileChunkHeaderSize;
    unsigned long long size = current > start ? current - start : 0;
    // A payload past 4 GiB has no 32-bit size: refuse it rather than store a wrapped one.
    if (size > 0xFFFFFFFFull)
        return AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", file.GetLogName());
    chunk.size = static_cast<unsigned int>(size);
    if (size == 0)
        return 0;

    status = file.SetPos(chunk.position + 4);
    if (status == 0)
        status = AKFileWriteUInt32(file, chunk.size, 0);
    if (status == 0)
        status = file.SetPos(current);
    return status;
}

int AKFileChunkSetter::ReadChunkHeader(AKFile const& file, AKFileChunk* chunk)
{
    int status = file.GetPos(&chunk->position);
    if (status == 0)
        status = AKFileReadSignat32(file, &chunk->signature);
    if (status == 0)
        status = AKFileReadUInt32(file, &chunk->size, 0);
    return status;
}

int AKFileChunkSetter::CheckChunkHeader(AKFile const& file, AKFileChunk* chunk)
{
    unsigned int expected = chunk->signature;
    int status = ReadChunkHeader(file, chunk);
    if (status != 0)
        return status;
    if (chunk->signature != expected)
        return LogUnknownSignature(file, chunk->position, expected, chunk->signature);
    return 0;
}

int AKFileWriteChunkHeader(AKFile& file, AKFileChunk& chunk)
{
    return AKFileChunkSetter::WriteChunkHeader(file, chunk);
}

int AKFileWriteChunkComplete(AKFile& file, AKFileChunk& chunk)
{
    return AKFileChunkSetter::WriteChunkComplete(file, chunk);
}

int AKFileReadChunkHeader(AKFile const& file, AKFileChunk* chunk)
{
    return AKFileChunkSetter::ReadChunkHeader(file, chunk);
}

int AKFileCheckChunkHeader(AKFile const& file, AKFileChunk* chunk)
{
    return AKFileChunkSetter::CheckChunkHeader(file, chunk);
}

int AKFileGotoChunkBegin(AKFile const& file, AKFileChunk const& chunk) { return file.SetPos(chunk.position); }

int AKFileGotoChunkEnd(AKFile const& file, AKFileChunk const& chunk)
{
    return file.SetPos(chunk.position + kAKFileChunkHeaderSize + chunk.size);
}

int AKFileSkipChunk(AKFile const& file, unsigned int signature)
{
    AKFileChunk chunk(signature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, chunk.size);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKFileReadCountedChunkHeader(AKFile const& file, AKFileChunk* chunk, unsigned int* count,
                                 unsigned long long minItemSize)
{
    int status = AKFileCheckChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileReadUInt32(file, count);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, *count * minItemSize);
    return status;
}

// --- Bounds ---

int AKFileCheckChunkFits(AKFile const& file, AKFileChunk const& chunk, unsigned int minPayload)
{
    // The header was just read: the payload starts at the current position.
    bool fits = chunk.size >= minPayload && (chunk.size == 0 || !file.IsEndOfFile(chunk.size - 1ull));
    if (fits)
        return 0;
    return AKLogError(kAKErrorChunkUnknownSignature, "In file \"%s\" at pos %u, chunk [%.4s] has a bad size (%u bytes)",
                      file.GetLogName(), static_cast<unsigned int>(chunk.position), SignatText(chunk.signature).text,
                      chunk.size);
}

int AKFileCheckChunkNotOverrun(AKFile const& file, AKFileChunk const& chunk)
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

// --- Padding ---

int AKFileWritePadding64(AKFile& file)
{
    unsigned long long position = 0;
    int status = file.GetPos(&position);
    if (status != 0 || position % 8 == 0)
        return status;
    return AKFileWriteZeros(file, 8 - position % 8);
}

int AKFileReadPadding64(AKFile const& file)
{
    unsigned long long position = 0;
    int status = file.GetPos(&position);
    if (status != 0 || position % 8 == 0)
        return status;
    unsigned char discard[8];
    return file.Read(discard, 8 - position % 8);
}
