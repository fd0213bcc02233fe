#pragma once

// Chunks, four-character signatures and 8-byte padding of the binary files.
//
// A chunk on disk: the signature (4 bytes, big-endian: 'NODE' is 4E 4F 44 45
// in every file), the payload size (unsigned 32-bit, in the file's order,
// header excluded), then the payload. A chunk is written with a size of 0 and
// completed by back-patching the size once its payload is written; chunks
// nest, inner ones completed first. The next chunk starts at position + 8 + size.
//
// Reading: AKFileReadChunkHeader (or AKFileCheckChunkHeader with the expected
// signature in the record), read or skip the payload, then AKFileGotoChunkEnd
// to land on the next chunk whatever the payload reader consumed.

#include "AKFile.h"
#include "AKFileTypedIO.h"

// Builds a signature from its four characters in reading order.
constexpr unsigned int AKFileMakeSignat32(char a, char b, char c, char d)
{
    return (static_cast<unsigned int>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<unsigned int>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<unsigned int>(static_cast<unsigned char>(c)) << 8) |
           static_cast<unsigned int>(static_cast<unsigned char>(d));
}

// The record of one chunk while it is read or written.
struct AKFileChunk {
    unsigned int signature = 0;       // first character in the most significant byte
    unsigned int size = 0;            // payload length, header excluded
    unsigned long long position = 0;  // file position of the signature

    AKFileChunk() = default;
    explicit AKFileChunk(unsigned int sig) : signature(sig) {}
};

// Size of a chunk header on disk.
constexpr unsigned int kAKFileChunkHeaderSize = 8;

class AKFileChunkSetter
{
public:
    // Records the position, writes the signature and a size of 0; the
    // record's size becomes 0 even when a write fails.
    static int WriteChunkHeader(AKFile& file, AKFileChunk& chunk);
    // Back-patches the size (current position - position - 8) once the
    // payload is written, then returns to the current position. An empty
    // payload writes nothing.
    static int WriteChunkComplete(AKFile& file, AKFileChunk& chunk);
    // Records the position, reads signature and size.
    static int ReadChunkHeader(AKFile const& file, AKFileChunk* chunk);
    // The same, the record's signature on entry being the expected one; a
    // different signature fails with kAKErrorChunkUnknownSignature, leaving
    // what was read in the record and the position after the header.
    static int CheckChunkHeader(AKFile const& file, AKFileChunk* chunk);
};

int AKFileWriteChunkHeader(AKFile& file, AKFileChunk& chunk);
int AKFileWriteChunkComplete(AKFile& file, AKFileChunk& chunk);
int AKFileReadChunkHeader(AKFile const& file, AKFileChunk* chunk);
int AKFileCheckChunkHeader(AKFile const& file, AKFileChunk* chunk);
int AKFileGotoChunkBegin(AKFile const& file, AKFileChunk const& chunk);
int AKFileGotoChunkEnd(AKFile const& file, AKFileChunk const& chunk);

// Steps over the chunk with this signature that comes next. A size running
// past the end of the file is refused as a failed read, also on disk files,
// which could be positioned past their end.
int AKFileSkipChunk(AKFile const& file, unsigned int signature);
// Checks the header of a chunk whose payload opens with a 32-bit item count
// (the record's signature on entry being the expected one) and reads that
// count. Every item takes at least minItemSize bytes: a count beyond what
// the file still holds is corrupt, refused as a failed read before anything
// is sized for it.
int AKFileReadCountedChunkHeader(AKFile const& file, AKFileChunk* chunk, unsigned int* count,
                                 unsigned long long minItemSize);

// --- Bounds of a chunk being read ---
// A corrupt size must neither send a reader past the end of the file nor let
// an item's data run into the next chunk: both are refused with the chunk
// error (kAKErrorChunkUnknownSignature), logged.

// The chunk just read by its header has at least minPayload bytes of payload
// and its payload lies within the file.
int AKFileCheckChunkFits(AKFile const& file, AKFileChunk const& chunk, unsigned int minPayload);
// The reader of the chunk's payload stopped at or before the chunk's end.
int AKFileCheckChunkNotOverrun(AKFile const& file, AKFileChunk const& chunk);

// --- Signatures (first character most significant) ---

int AKFileWriteSignat32(AKFile& file, unsigned int signature);
int AKFileReadSignat32(AKFile const& file, unsigned int* signature);
// Reads a signature; found (may be null) receives it when the read
// succeeded; a different signature fails with kAKErrorChunkUnknownSignature.
int AKFileCheckSignat32(AKFile const& file, unsigned int expected, unsigned int* found = nullptr);
// Whether the next four bytes are the signature; false without reading when
// fewer than four bytes remain. With rewind, steps back over them afterwards.
bool AKFileIsSignat32(AKFile const& file, unsigned int signature, bool rewind);

// --- Padding to 8 bytes of the absolute file position ---

int AKFileWritePadding64(AKFile& file);
int AKFileReadPadding64(AKFile const& file);
