// Typed numbers, runs of numbers, graphics types, and the string file form
// (paths write theirs in AKFilePathForms.cpp).

#include "AKFileTypedIO.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "AKStringEncoding.h"

#include <cstring>
#include <string>

namespace {

// Zero bytes for padding and filling, so that writing zeros allocates nothing.
constexpr unsigned int kZeroTableSize = 16384;
unsigned char const sZeros[kZeroTableSize] = {};

// Swapped runs go out through a stack buffer of this size (a multiple of
// every component size).
constexpr unsigned int kSwapBufferSize = 4096;

void ReverseComponents(unsigned char* bytes, unsigned long long total, unsigned int componentSize)
{
    if (componentSize < 2)
        return;
    for (unsigned long long at = 0; at + componentSize <= total; at += componentSize) {
        unsigned char* lo = bytes + at;
        unsigned char* hi = lo + componentSize - 1;
        while (lo < hi) {
            unsigned char keep = *lo;
            *lo++ = *hi;
            *hi-- = keep;
        }
    }
}

template <class T>
int ReadNumber(AKFile const& file, T* value, unsigned int order)
{
    return AKFileReadComponents(file, value, 1, sizeof(T), sizeof(T), order);
}

template <class T>
int WriteNumber(AKFile& file, T value, unsigned int order)
{
    return AKFileWriteComponents(file, &value, 1, sizeof(T), sizeof(T), order);
}

}  // namespace

// --- Raw bytes ---

int AKFileRead(AKFile const& file, void* data, unsigned long long size) { return file.Read(data, size); }

int AKFileWrite(AKFile& file, void const* data, unsigned long long size) { return file.Write(data, size); }

int AKFileSkip(AKFile const& file, unsigned long long size) { return file.Skip(size); }

int AKFileSkipBack(AKFile const& file, unsigned long long size) { return file.SkipBack(size); }

int AKFileWriteZeros(AKFile& file, unsigned long long count)
{
    while (count > 0) {
        unsigned long long part = count < kZeroTableSize ? count : kZeroTableSize;
        int status = file.Write(sZeros, part);
        if (status != 0)
            return status;
        count -= part;
    }
    return 0;
}

bool AKFileNeedsSwap(AKFile const& file, unsigned int order)
{
    if (order == 0)
        order = file.GetEndianness();
    return (order & AKFile::kEndianHost) == 0;
}

int AKFileCheckBytesLeft(AKFile const& file, unsigned long long needed)
{
    if (needed == 0 || !file.IsEndOfFile(needed - 1))
        return 0;
    return AKLogError(kAKErrorFileCantRead, "Can't read in file \"%s\"", file.GetLogName());
}

// --- Runs of numbers ---

int AKFileReadComponents(AKFile const& file, void* data, unsigned int count, unsigned int itemSize,
                         unsigned int componentSize, unsigned int order)
{
    if (count == 0)
        return 0;
    unsigned long long total = static_cast<unsigned long long>(count) * itemSize;
    int status = file.Read(data, total);
    if (status == 0 && AKFileNeedsSwap(file, order))
        ReverseComponents(static_cast<unsigned char*>(data), total, componentSize);
    return status;
}

int AKFileWriteComponents(AKFile& file, void const* data, unsigned int count, unsigned int itemSize,
                          unsigned int componentSize, unsigned int order)
{
    if (count == 0)
        return 0;
    unsigned long long total = static_cast<unsigned long long>(count) * itemSize;
    if (componentSize < 2 || !AKFileNeedsSwap(file, order))
        return file.Write(data, total);

    // The caller's data is never modified: swap a copy, part by part.
    unsigned char buffer[kSwapBufferSize];
    unsigned char const* source = static_cast<unsigned char const*>(data);
    while (total > 0) {
        unsigned long long part = total < kSwapBufferSize ? total : kSwapBufferSize;
        std::memcpy(buffer, source, static_cast<size_t>(part));
        ReverseComponents(buffer, part, componentSize);
        int status = file.Write(buffer, part);
        if (status != 0)
            return status;
        source += part;
        total -= part;
    }
    return 0;
}

int AKFileSkipComponents(AKFile const& file, unsigned int count, unsigned int itemSize)
{
    if (count == 0)
        return 0;
    return file.Skip(static_cast<unsigned long long>(count) * itemSize);
}

// --- Numbers ---

int AKFileReadSInt8(AKFile const& file, signed char* value) { return file.Read(value, 1); }
int AKFileReadUInt8(AKFile const& file, unsigned char* value) { return file.Read(value, 1); }
int AKFileWriteSInt8(AKFile& file, signed char value) { return file.Write(&value, 1); }
int AKFileWriteUInt8(AKFile& file, unsigned char value) { return file.Write(&value, 1); }

int AKFileReadSInt16(AKFile const& file, short* value, unsigned int order) { return ReadNumber(file, value, order); }
int AKFileReadUInt16(AKFile const& file, unsigned short* value, unsigned int order)
{
    return ReadNumber(file, value, order);
}
int AKFileWriteSInt16(AKFile& file, short value, unsigned int order) { return WriteNumber(file, value, order); }
int AKFileWriteUInt16(AKFile& file, unsigned short value, unsigned int order)
{
    return WriteNumber(file, value, order);
}

int AKFileReadSInt32(AKFile const& file, int* value, unsigned int order) { return ReadNumber(file, value, order); }
int AKFileReadUInt32(AKFile const& file, unsigned int* value, unsigned int order)
{
    return ReadNumber(file, value, order);
}
int AKFileWriteSInt32(AKFile& file, int value, unsigned int order) { return WriteNumber(file, value, order); }
int AKFileWriteUInt32(AKFile& file, unsigned int value, unsigned int order) { return WriteNumber(file, value, order); }

int AKFileReadSInt64(AKFile const& file, long long* value, unsigned int order)
{
    return ReadNumber(file, value, order);
}
int AKFileReadUInt64(AKFile const& file, unsigned long long* value, unsigned int order)
{
    return ReadNumber(file, value, order);
}
int AKFileWriteSInt64(AKFile& file, long long value, unsigned int order) { return WriteNumber(file, value, order); }
int AKFileWriteUInt64(AKFile& file, unsigned long long value, unsigned int order)
{
    return WriteNumber(file, value, order);
}

int AKFileReadFloat32(AKFile const& file, float* value, unsigned int order) { return ReadNumber(file, value, order); }

int AKFileReadFloat32(AKFile const& file, double* value, unsigned int order)
{
    float single = 0.0f;
    int status = ReadNumber(file, &single, order);
    if (status == 0)
        *value = single;
    return status;
}

int AKFileWriteFloat32(AKFile& file, float value, unsigned int order) { return WriteNumber(file, value, order); }

int AKFileWriteFloat32(AKFile& file, double value, unsigned int order)
{
    return WriteNumber(file, static_cast<float>(value), order);
}

int AKFileReadFloat64(AKFile const& file, double* value, unsigned int order) { return ReadNumber(file, value, order); }
int AKFileWriteFloat64(AKFile& file, double value, unsigned int order) { return WriteNumber(file, value, order); }

int AKFileReadBool(AKFile const& file, bool* value)
{
    unsigned char byte = 0;
    int status = file.Read(&byte, 1);
    *value = status == 0 && byte != 0;
    return status;
}

int AKFileWriteBool(AKFile& file, bool value)
{
    unsigned char byte = value ? 1 : 0;
    return file.Write(&byte, 1);
}

// --- Graphics types ---

int AKFileReadAGColor(AKFile const& file, AGColor* color)
{
    unsigned char bytes[4];
    int status = file.Read(bytes, 4);
    if (status == 0)
        *color = AGColor::FromRGBA(bytes[0], bytes[1], bytes[2], bytes[3]);
    return status;
}

int AKFileWriteAGColor(AKFile& file, AGColor color)
{
    unsigned char const bytes[4] = {
        static_cast<unsigned char>(color.GetRed()), static_cast<unsigned char>(color.GetGreen()),
        static_cast<unsigned char>(color.GetBlue()), static_cast<unsigned char>(color.GetAlpha())};
    return file.Write(bytes, 4);
}

int AKFileReadAGCoord(AKFile const& file, double* coord, unsigned int order) { return ReadNumber(file, coord, order); }
int AKFileWriteAGCoord(AKFile& file, double coord, unsigned int order) { return WriteNumber(file, coord, order); }

int AKFileReadAGPoint(AKFile const& file, AGPoint* point, unsigned int order)
{
    return AKFileReadComponents(file, point, 1, sizeof(AGPoint), sizeof(double), order);
}

int AKFileWriteAGPoint(AKFile& file, AGPoint const& point, unsigned int order)
{
    return AKFileWriteComponents(file, &point, 1, sizeof(AGPoint), sizeof(double), order);
}

int AKFileReadAGSize(AKFile const& file, AGSize* size, unsigned int order)
{
    return AKFileReadComponents(file, size, 1, sizeof(AGSize), sizeof(double), order);
}

int AKFileWriteAGSize(AKFile& file, AGSize const& size, unsigned int order)
{
    return AKFileWriteComponents(file, &size, 1, sizeof(AGSize), sizeof(double), order);
}

int AKFileReadAGRect(AKFile const& file, AGRect* rect, unsigned int order)
{
    return AKFileReadComponents(file, rect, 1, sizeof(AGRect), sizeof(double), order);
}

int AKFileWriteAGRect(AKFile& file, AGRect const& rect, unsigned int order)
{
    return AKFileWriteComponents(file, &rect, 1, sizeof(AGRect), sizeof(double), order);
}

int AKFileReadAGInterval(AKFile const& file, AGInterval* interval, unsigned int order)
{
    return AKFileReadComponents(file, interval, 1, sizeof(AGInterval), sizeof(double), order);
}

int AKFileWriteAGInterval(AKFile& file, AGInterval const& interval, unsigned int order)
{
    return AKFileWriteComponents(file, &interval, 1, sizeof(AGInterval), sizeof(double), order);
}

// --- Strings ---

namespace {

// Writes bytes already in UTF-8 in the string file form.
int WriteStringBytes(AKFile& file, AKString const& utf8)
{
    unsigned long long length = utf8.Length();
    unsigned long long padded = (length + 3) & ~3ull;
    if (padded > 0xFFFFFFFFull)
        return AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", file.GetLogName());
    int status = AKFileWriteUInt32(file, static_cast<unsigned int>(padded), 0);
    if (status == 0)
        status = file.Write(utf8.c_str(), length);
    if (status == 0)
        status = AKFileWriteZeros(file, padded - length);
    return status;
}

// Reads the bytes of one string file form, trailing NULs dropped, no text
// conversion. The stored length is checked against the bytes left first.
int ReadStringBytes(AKFile const& file, std::string* bytes)
{
    bytes->clear();
    unsigned int length = 0;
    int status = AKFileReadUInt32(file, &length, 0);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, length);
    if (status != 0 || length == 0)
        return status;
    bytes->assign(length, '\0');
    status = file.Read(&(*bytes)[0], length);
    if (status != 0) {
        bytes->clear();
        return status;
    }
    size_t end = bytes->size();
    while (end > 0 && (*bytes)[end - 1] == '\0')
        --end;
    bytes->resize(end);
    return 0;
}

int SkipStringForm(AKFile const& file)
{
    unsigned int length = 0;
    int status = AKFileReadUInt32(file, &length, 0);
    if (status == 0)
        status = file.Skip(length);
    return status;
}

}  // namespace

int AKFileWriteAKString(AKFile& file, AKString const& string)
{
    return WriteStringBytes(file, AKStringCopyWithEncoding(string, kAKStringEncodingMacRoman, kAKStringEncodingUTF8));
}

int AKFileReadAKString(AKFile const& file, AKString* string)
{
    std::string bytes;
    int status = ReadStringBytes(file, &bytes);
    *string = bytes;
    if (status == 0)
        AKStringConvertWithEncoding(string, kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
    return status;
}

int AKFileSkipAKString(AKFile const& file) { return SkipStringForm(file); }

// --- Paths ---

int AKFileReadAKFilePath(AKFile const& file, AKFilePath* path) { return path->ReadFromFile(file); }
int AKFileWriteAKFilePath(AKFile& file, AKFilePath const& path) { return path.WriteToFile(file); }
int AKFileSkipAKFilePath(AKFile const& file) { return AKFilePath::SkipFromFile(file); }

// --- Counted arrays ---

int AKFileReadAKUniChars(AKFile const& file, ATNumberArray<unsigned short, unsigned short, 0>* chars,
                         unsigned int order)
{
    return AKFileReadNumbersT(file, chars, order);
}

int AKFileWriteAKUniChars(AKFile& file, ATNumberArray<unsigned short, unsigned short, 0> const& chars,
                          unsigned int order)
{
    return AKFileWriteNumbersT(file, chars, order);
}
