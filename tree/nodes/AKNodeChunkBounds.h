#pragma once

// Bounds of the node chunks read from files. A corrupt size must neither
// send a reader past the end of the file nor let an object's data run into
// the next chunk: both are refused with the chunk error
// (kAKErrorChunkUnknownSignature), logged.

#include "AKFileChunk.h"

// The chunk just read by its header has at least minPayload bytes of payload
// and its payload lies within the file.
int AKNodeCheckChunkFits(AKFile const& file, AKFileChunk const& chunk, unsigned int minPayload);
// The reader of the chunk's payload stopped at or before the chunk's end.
int AKNodeCheckChunkNotOverrun(AKFile const& file, AKFileChunk const& chunk);
