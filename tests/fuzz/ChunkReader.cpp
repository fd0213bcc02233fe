// Fuzz target: the small readers of the binary files. The first byte chooses
// a reader and the byte order (bit 7 big-endian, bits 5-6 the order asked of
// the readers that take one); the rest is read with it, item after item, up
// to the end or the first failure: chunk headers, signatures, strings,
// paths, class IDs, node IDs, audio descriptions, counted arrays, graphics
// values and binary blocks.
//
// Each item read, written into a new stream of the same order, reads back
// as the same item; a reader and its skipping twin stop at the same place;
// a chunk header always leads past its own bytes.

#include "AGTypes.h"
#include "AKClassArray.h"
#include "AKClassID.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFilePath.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKNodeID.h"
#include "AKString.h"
#include "AKUniString.h"
#include "AKValueTyped.h"
#include "QVAudioInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The input being read, with its byte order.
struct Input {
    uint8_t const* data;
    unsigned int size;
    unsigned int endianness;
    unsigned int order;
};

class ReadStream
{
public:
    ReadStream(void const* data, unsigned int size, unsigned int endianness) : mFile(data, size)
    {
        mFile.SetEndianness(endianness);
        // Nothing to read is an empty stream.
        mOpened = size != 0 && mFile.OpenForRead() == 0;
    }
    bool IsOpened() const { return mOpened; }
    AKFile const& File() const { return mFile; }
    unsigned long long Pos() const
    {
        unsigned long long pos = 0;
        Require(mFile.GetPos(&pos) == 0);
        return pos;
    }

private:
    AKFile mFile;
    bool mOpened;
};

// What a writer puts into a new memory stream of that byte order.
template <class Writer>
AKMemoryBlock Written(unsigned int endianness, Writer writer)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock bytes;
    Require(stream.CreateForReadWrite() == 0 && writer(stream) == 0);
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

// Reads items to the end; each one written and read back is the same, and
// leaves nothing unread.
template <class T, class Read, class Write, class Same>
void ReadAll(Input const& input, Read read, Write write, Same same)
{
    ReadStream stream(input.data, input.size, input.endianness);
    while (stream.IsOpened() && !stream.File().IsEndOfFile()) {
        T value{};
        if (read(stream.File(), &value) != 0)
            return;
        AKMemoryBlock bytes = Written(input.endianness, [&](AKFile& file) { return write(file, value); });
        ReadStream back(bytes.Data(), bytes.Size(), input.endianness);
        T again{};
        Require(back.IsOpened() && read(back.File(), &again) == 0 && same(value, again) && back.File().IsEndOfFile());
    }
}

// Whatever a reader reads, its skipping twin skips, landing at the same
// place (the twin may pass over items the reader refuses).
template <class Read, class Skip>
void ReadAndSkipAgree(Input const& input, Read read, Skip skip)
{
    ReadStream reading(input.data, input.size, input.endianness);
    ReadStream skipping(input.data, input.size, input.endianness);
    while (reading.IsOpened() && read(reading.File()) == 0) {
        Require(skip(skipping.File()) == 0);
        Require(reading.Pos() == skipping.Pos());
    }
}

void CheckChunkHeaders(Input const& input)
{
    ReadStream stream(input.data, input.size, input.endianness);
    while (stream.IsOpened() && !stream.File().IsEndOfFile()) {
        unsigned long long start = stream.Pos();
        AKFileChunk chunk;
        if (AKFileReadChunkHeader(stream.File(), &chunk) != 0)
            return;
        Require(chunk.position == start && stream.Pos() == start + kAKFileChunkHeaderSize);

        // The header read again as the signature expected, then as another.
        Require(AKFileGotoChunkBegin(stream.File(), chunk) == 0 && stream.Pos() == start);
        Require(AKFileIsSignat32(stream.File(), chunk.signature, true) && stream.Pos() == start);
        AKFileChunk expected(chunk.signature);
        Require(AKFileCheckChunkHeader(stream.File(), &expected) == 0 && expected.size == chunk.size);
        Require(AKFileGotoChunkBegin(stream.File(), chunk) == 0);
        unsigned int found = 0;
        Require(AKFileCheckSignat32(stream.File(), chunk.signature ^ 1u, &found) != 0 && found == chunk.signature);

        if (AKFileGotoChunkEnd(stream.File(), chunk) != 0)
            return;
        Require(stream.Pos() == start + kAKFileChunkHeaderSize + chunk.size);
        if (AKFileReadPadding64(stream.File()) != 0)
            return;
        Require(stream.Pos() % 8 == 0);
    }
}

bool SameAudioInfo(QVAudioInfo const& a, QVAudioInfo const& b)
{
    return a.isValid == b.isValid && a.channelCount == b.channelCount && a.frameCount == b.frameCount &&
           a.sampleCount == b.sampleCount && std::memcmp(&a.sampleRate, &b.sampleRate, sizeof(double)) == 0 &&
           std::memcmp(&a.duration, &b.duration, sizeof(double)) == 0;
}

void CheckAudioInfos(Input const& input)
{
    ReadAll<QVAudioInfo>(
        input,
        [](AKFile const& file, QVAudioInfo* info) {
            int status = info->ReadFromFile(file);
            if (status == 0 && info->IsValid())
                Require(info->channelCount > 0 && info->sampleRate > 0.0);
            else
                Require(SameAudioInfo(*info, kQVNullAudioInfo));
            return status;
        },
        [](AKFile& file, QVAudioInfo const& info) { return info.WriteToFile(file); }, SameAudioInfo);
}

template <class Array>
void CheckCountedArrays(Input const& input)
{
    ReadAll<Array>(
        input, [&](AKFile const& file, Array* array) { return AKFileReadNumbersT(file, array, input.order); },
        [&](AKFile& file, Array const& array) { return AKFileWriteNumbersT(file, array, input.order); },
        [](Array const& a, Array const& b) {
            return a.Count() == b.Count() &&
                   (a.Count() == 0 ||
                    std::memcmp(a.Data(), b.Data(), a.Count() * sizeof(typename Array::ItemType)) == 0);
        });
}

template <class T>
bool SameBits(T const& a, T const& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void CheckGraphicsValues(Input const& input)
{
    unsigned int order = input.order;
    ReadAll<AGColor>(input, AKFileReadAGColor, AKFileWriteAGColor, SameBits<AGColor>);
    ReadAll<AGPoint>(
        input, [&](AKFile const& file, AGPoint* v) { return AKFileReadAGPoint(file, v, order); },
        [&](AKFile& file, AGPoint const& v) { return AKFileWriteAGPoint(file, v, order); }, SameBits<AGPoint>);
    ReadAll<AGSize>(
        input, [&](AKFile const& file, AGSize* v) { return AKFileReadAGSize(file, v, order); },
        [&](AKFile& file, AGSize const& v) { return AKFileWriteAGSize(file, v, order); }, SameBits<AGSize>);
    ReadAll<AGRect>(
        input, [&](AKFile const& file, AGRect* v) { return AKFileReadAGRect(file, v, order); },
        [&](AKFile& file, AGRect const& v) { return AKFileWriteAGRect(file, v, order); }, SameBits<AGRect>);
    ReadAll<AGInterval>(
        input, [&](AKFile const& file, AGInterval* v) { return AKFileReadAGInterval(file, v, order); },
        [&](AKFile& file, AGInterval const& v) { return AKFileWriteAGInterval(file, v, order); }, SameBits<AGInterval>);
    ReadAll<float>(
        input, [&](AKFile const& file, float* v) { return AKFileReadFloat32(file, v, order); },
        [&](AKFile& file, float const& v) { return AKFileWriteFloat32(file, v, order); }, SameBits<float>);
    ReadAll<bool>(input, AKFileReadBool, AKFileWriteBool, [](bool a, bool b) { return a == b; });
}

void CheckBlocks(Input const& input)
{
    ReadAll<AKMemoryBlock>(
        input, [](AKFile const& file, AKMemoryBlock* block) { return block->ReadFromFile(file); },
        [](AKFile& file, AKMemoryBlock const& block) { return block.WriteToFile(file); },
        [](AKMemoryBlock const& a, AKMemoryBlock const& b) { return a.IsEqual(b); });
    ReadAndSkipAgree(
        input,
        [](AKFile const& file) {
            AKMemoryBlock block;
            return block.ReadFromFile(file);
        },
        [](AKFile const& file) { return AKMemoryBlock::SkipFromFile(file); });
}

void CheckStrings(Input const& input)
{
    ReadAll<AKString>(input, AKFileReadAKString, AKFileWriteAKString,
                      [](AKString const& a, AKString const& b) { return a == b; });
    ReadAndSkipAgree(
        input,
        [](AKFile const& file) {
            AKString string;
            return AKFileReadAKString(file, &string);
        },
        AKFileSkipAKString);
}

void CheckPaths(Input const& input)
{
    ReadAll<AKFilePath>(input, AKFileReadAKFilePath, AKFileWriteAKFilePath,
                        [](AKFilePath const& a, AKFilePath const& b) { return a == b; });
    ReadAndSkipAgree(
        input,
        [](AKFile const& file) {
            AKFilePath path;
            return path.ReadFromFile(file);
        },
        AKFileSkipAKFilePath);
}

void CheckIdentifiers(Input const& input)
{
    ReadAll<AKClassID>(input, AKFileReadAKClassID, AKFileWriteAKClassID, [](AKClassID const& a, AKClassID const& b) {
        return a == b && a.GetName().Length() <= sizeof(a.fBytes);
    });
    unsigned int order = input.order;
    ReadAll<AKNodeID>(
        input, [&](AKFile const& file, AKNodeID* id) { return AKFileReadAKNodeID(file, id, order); },
        [&](AKFile& file, AKNodeID const& id) { return AKFileWriteAKNodeID(file, id, order); },
        [](AKNodeID a, AKNodeID b) { return a == b; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size == 0 || size > 0xFFFFFFFFu)
        return 0;
    Input input = {data + 1, static_cast<unsigned int>(size - 1),
                   (data[0] & 0x80) != 0 ? kAKFileEndianBig : kAKFileEndianLittle,
                   static_cast<unsigned int>((data[0] >> 5) & 3)};
    switch ((data[0] & 0x1F) % 13) {
    case 0:
    case 1:
        CheckChunkHeaders(input);
        break;
    case 2:
    case 3:
        CheckStrings(input);
        break;
    case 4:
        CheckPaths(input);
        break;
    case 5:
        CheckIdentifiers(input);
        break;
    case 6:
        CheckAudioInfos(input);
        break;
    case 7:
        CheckCountedArrays<AKUniChars>(input);
        break;
    case 8:
        CheckCountedArrays<AGPointArray>(input);
        break;
    case 9:
        CheckCountedArrays<AKClassIDArray>(input);
        break;
    case 10:
        CheckCountedArrays<AGColorArray>(input);
        break;
    case 11:
        CheckGraphicsValues(input);
        break;
    default:
        CheckBlocks(input);
        break;
    }
    return 0;
}
