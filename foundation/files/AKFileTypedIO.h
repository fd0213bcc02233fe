#pragma once

// Typed binary reads and writes on an open AKFile, at its current position.
// Every function returns a status code and passes the file layer's code up
// unchanged; the destination of a failed read is not to be used (except
// AKFileReadBool, which then stores false, and the counted-array reads, which
// leave the array empty).
//
// Byte order: every number function takes an order, 1 big-endian,
// 2 little-endian, 0 the file's own (little-endian unless SetEndianness chose
// otherwise). A value is swapped exactly when the chosen order shares no bit
// with the machine's. Single bytes, booleans, colours and signatures have no
// order.

#include "AGTypes.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "ATNumberArray.h"

// --- Raw bytes ---

int AKFileRead(AKFile const& file, void* data, unsigned long long size);
int AKFileWrite(AKFile& file, void const* data, unsigned long long size);
int AKFileSkip(AKFile const& file, unsigned long long size);
int AKFileSkipBack(AKFile const& file, unsigned long long size);
int AKFileWriteZeros(AKFile& file, unsigned long long count);

// Whether numbers of this order are swapped on this machine (0: the file's order).
bool AKFileNeedsSwap(AKFile const& file, unsigned int order);

// Refuses, as a failed read, a stored length or count that asks for more
// bytes than remain after the current position, before anything that large
// is allocated.
int AKFileCheckBytesLeft(AKFile const& file, unsigned long long needed);

// --- Numbers ---

int AKFileReadSInt8(AKFile const& file, signed char* value);
int AKFileReadUInt8(AKFile const& file, unsigned char* value);
int AKFileWriteSInt8(AKFile& file, signed char value);
int AKFileWriteUInt8(AKFile& file, unsigned char value);

int AKFileReadSInt16(AKFile const& file, short* value, unsigned int order = 0);
int AKFileReadUInt16(AKFile const& file, unsigned short* value, unsigned int order = 0);
int AKFileWriteSInt16(AKFile& file, short value, unsigned int order = 0);
int AKFileWriteUInt16(AKFile& file, unsigned short value, unsigned int order = 0);

int AKFileReadSInt32(AKFile const& file, int* value, unsigned int order = 0);
int AKFileReadUInt32(AKFile const& file, unsigned int* value, unsigned int order = 0);
int AKFileWriteSInt32(AKFile& file, int value, unsigned int order = 0);
int AKFileWriteUInt32(AKFile& file, unsigned int value, unsigned int order = 0);

int AKFileReadSInt64(AKFile const& file, long long* value, unsigned int order = 0);
int AKFileReadUInt64(AKFile const& file, unsigned long long* value, unsigned int order = 0);
int AKFileWriteSInt64(AKFile& file, long long value, unsigned int order = 0);
int AKFileWriteUInt64(AKFile& file, unsigned long long value, unsigned int order = 0);

int AKFileReadFloat32(AKFile const& file, float* value, unsigned int order = 0);
// Reads a 32-bit float and widens it.
int AKFileReadFloat32(AKFile const& file, double* value, unsigned int order = 0);
int AKFileWriteFloat32(AKFile& file, float value, unsigned int order = 0);
// Narrows to a 32-bit float (round to nearest) and writes it.
int AKFileWriteFloat32(AKFile& file, double value, unsigned int order = 0);
int AKFileReadFloat64(AKFile const& file, double* value, unsigned int order = 0);
int AKFileWriteFloat64(AKFile& file, double value, unsigned int order = 0);

// One byte: written 0 or 1, any non-zero byte reads true; false after a failed read.
int AKFileReadBool(AKFile const& file, bool* value);
int AKFileWriteBool(AKFile& file, bool value);

// --- Graphics types ---

// Four bytes red, green, blue, alpha, never swapped.
int AKFileReadAGColor(AKFile const& file, AGColor* color);
int AKFileWriteAGColor(AKFile& file, AGColor color);
// Doubles, each in the chosen order, in field order.
int AKFileReadAGCoord(AKFile const& file, double* coord, unsigned int order = 0);
int AKFileWriteAGCoord(AKFile& file, double coord, unsigned int order = 0);
int AKFileReadAGPoint(AKFile const& file, AGPoint* point, unsigned int order = 0);
int AKFileWriteAGPoint(AKFile& file, AGPoint const& point, unsigned int order = 0);
int AKFileReadAGSize(AKFile const& file, AGSize* size, unsigned int order = 0);
int AKFileWriteAGSize(AKFile& file, AGSize const& size, unsigned int order = 0);
int AKFileReadAGRect(AKFile const& file, AGRect* rect, unsigned int order = 0);
int AKFileWriteAGRect(AKFile& file, AGRect const& rect, unsigned int order = 0);
int AKFileReadAGInterval(AKFile const& file, AGInterval* interval, unsigned int order = 0);
int AKFileWriteAGInterval(AKFile& file, AGInterval const& interval, unsigned int order = 0);

// --- Strings and paths ---

// String file form: a 32-bit length in the file's order (the UTF-8 byte count
// rounded up to a multiple of 4), then the UTF-8 bytes and 1 to 3 NULs when
// the count was not a multiple of 4. The empty string is the length 0 alone.
// Reading drops trailing NULs and converts to Mac Roman; invalid UTF-8 gives
// the empty string and still succeeds. A failed read empties the string.
int AKFileReadAKString(AKFile const& file, AKString* string);
int AKFileWriteAKString(AKFile& file, AKString const& string);
int AKFileSkipAKString(AKFile const& file);

// Path file form: the string form of the text with every "/" stored as the
// byte 0x01. Backslashes are left alone both ways. A failed read empties the path.
int AKFileReadAKFilePath(AKFile const& file, AKFilePath* path);
int AKFileWriteAKFilePath(AKFile& file, AKFilePath const& path);
int AKFileSkipAKFilePath(AKFile const& file);

// --- Runs of numbers ---

// The run helpers behind ATNumbersLow: `count` items of `itemSize` bytes,
// each made of components of `componentSize` bytes that are swapped one by
// one when the order asks for it. The caller's data is never modified by a write.
int AKFileReadComponents(AKFile const& file, void* data, unsigned int count, unsigned int itemSize,
                         unsigned int componentSize, unsigned int order);
int AKFileWriteComponents(AKFile& file, void const* data, unsigned int count, unsigned int itemSize,
                          unsigned int componentSize, unsigned int order);
int AKFileSkipComponents(AKFile const& file, unsigned int count, unsigned int itemSize);

// Runs of numbers whose components are of type T. An item is itemSize bytes
// (sizeof(T) when itemSize is 0), a whole multiple of sizeof(T); an array of
// points is thus swapped double by double. N does not change the behaviour.
template <class T, int N>
struct ATNumbersLow {
    static_assert(std::is_arithmetic_v<T>, "components are numbers");

    static int ReadFromFile(AKFile const& file, void* data, unsigned int count, unsigned int itemSize,
                            unsigned int order)
    {
        return AKFileReadComponents(file, data, count, ItemSize(itemSize), sizeof(T), order);
    }
    static int WriteToFile(AKFile& file, void const* data, unsigned int count, unsigned int itemSize,
                           unsigned int order)
    {
        return AKFileWriteComponents(file, data, count, ItemSize(itemSize), sizeof(T), order);
    }
    static int SkipFromFile(AKFile const& file, unsigned int count, unsigned int itemSize)
    {
        return AKFileSkipComponents(file, count, ItemSize(itemSize));
    }

private:
    static unsigned int ItemSize(unsigned int itemSize) { return itemSize == 0 ? sizeof(T) : itemSize; }
};

// Counted arrays: a 32-bit count in the chosen order, then the items, each
// component in the chosen order. A failed read leaves the array empty; a
// count larger than the bytes left fails as a read before anything is allocated.
template <class T, class C, int N>
int AKFileReadNumbersT(AKFile const& file, ATNumberArray<T, C, N>* array, unsigned int order = 0)
{
    array->Clear();
    unsigned int count = 0;
    int status = AKFileReadUInt32(file, &count, order);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, static_cast<unsigned long long>(count) * sizeof(T));
    if (status != 0)
        return status;
    array->SetCount(count);
    status = ATNumbersLow<C, N>::ReadFromFile(file, array->Data(), count, sizeof(T), order);
    if (status != 0)
        array->Clear();
    return status;
}

template <class T, class C, int N>
int AKFileWriteNumbersT(AKFile& file, ATNumberArray<T, C, N> const& array, unsigned int order = 0)
{
    int status = AKFileWriteUInt32(file, array.Count(), order);
    if (status != 0)
        return status;
    return ATNumbersLow<C, N>::WriteToFile(file, array.Data(), array.Count(), sizeof(T), order);
}

// UTF-16 text as a counted array of 16-bit units.
int AKFileReadAKUniChars(AKFile const& file, ATNumberArray<unsigned short, unsigned short, 0>* chars,
                         unsigned int order = 0);
int AKFileWriteAKUniChars(AKFile& file, ATNumberArray<unsigned short, unsigned short, 0> const& chars,
                          unsigned int order = 0);
