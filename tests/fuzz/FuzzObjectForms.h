#pragma once

// Objects in their binary form for the fuzz targets of object readers: an
// object written to bytes, bytes read back as a new object, and fuzzed data
// behind the class IDs that the class registry reads first.

#include "AKClassID.h"
#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKMemoryBlock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

inline AKMemoryBlock FormOf(AKObject const* object, unsigned int endianness)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || AKClass::WriteObjectToFile(object, stream) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

inline AKObject* ReadForm(AKMemoryBlock const& bytes, unsigned int endianness)
{
    AKFile stream(bytes);
    stream.SetEndianness(endianness);
    if (stream.OpenForRead() != 0)
        __builtin_trap();
    return AKClass::NewObjectFromFile(nullptr, stream, 1);
}

// The class IDs in front of the fuzzed data, as the class registry reads them.
inline std::vector<uint8_t> WithClassIDs(AKClassID id, uint8_t const* data, size_t size, unsigned int endianness)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock header;
    if (stream.CreateForReadWrite() != 0 || AKFileWriteAKClassID(stream, AKClassOfID(id)->GetFamilyID()) != 0 ||
        AKFileWriteAKClassID(stream, id) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&header);
    std::vector<uint8_t> bytes(header.Data(), header.Data() + header.Size());
    bytes.insert(bytes.end(), data, data + size);
    return bytes;
}
