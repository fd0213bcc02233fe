#pragma once

// Everything written to a memory-stream file, read back from its start (the
// bytes a test compares between two saves).

#include "AKFile.h"

#include <vector>

inline std::vector<unsigned char> MemoryStreamBytes(AKFile& file)
{
    unsigned long long size = 0;
    file.GetPos(&size);
    std::vector<unsigned char> bytes(size);
    file.SetPos(0);
    if (size != 0)
        file.Read(bytes.data(), size);
    return bytes;
}
