// The binary chunk form of AKValue.

#include "AKValue.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "AKValueChunkNesting.h"

#include <utility>

// --- AKValue ---

int AKValue::ReadFromFile(AKFile const& file)
{
    Clear();
    AKFileChunk chunk;
    int status = AKFileReadChunkHeader(file, &chunk);
    if (status != 0)
        return status;

    switch (chunk.signature) {
    case kAKValueTagBool: {
        unsigned int flag = 0;
        status = AKFileReadUInt32(file, &flag);
        if (status == 0)
            SetasBool(flag != 0);
        break;
    }
    case kAKValueTagInteger: {
        long long number = 0;
        status = AKFileReadSInt64(file, &number);
        if (status == 0)
            SetasInteger(number);
        break;
    }
    case kAKValueTagReal: {
        double number = 0.0;
        status = AKFileReadFloat64(file, &number);
        if (status == 0)
            SetasFloat(number);
        break;
    }
    case kAKValueTagString: {
        // The chunk's size field is the string form's length field.
        status = AKFileSkipBack(file, 4);
        AKString text;
        if (status == 0)
            status = AKFileReadAKString(file, &text);
        if (status == 0)
            SetasAKString(text);
        break;
    }
    case kAKValueTagArray: {
        status = AKFileGotoChunkBegin(file, chunk);
        AKValueArray array;
        if (status == 0)
            status = array.ReadFromFile(file);
        if (status == 0) {
            fPayload.fArray = new AKValueArray(std::move(array));
            fTag = kAKValueTagArray;
        }
        break;
    }
    case kAKValueTagDictionary: {
        status = AKFileGotoChunkBegin(file, chunk);
        AKDictionary dictionary;
        if (status == 0)
            status = dictionary.ReadFromFile(file);
        if (status == 0) {
            fPayload.fDictionary = new AKDictionary(std::move(dictionary));
            fTag = kAKValueTagDictionary;
        }
        break;
    }
    case kAKValueTagBinary: {
        status = AKFileGotoChunkBegin(file, chunk);
        AKMemoryBlock block;
        if (status == 0)
            status = block.ReadFromFile(file);
        if (status == 0) {
            fPayload.fBinary = new AKMemoryBlock(std::move(block));
            fTag = kAKValueTagBinary;
        }
        break;
    }
    default:
        // The empty value, or a kind this system does not know: skipped by
        // its size, read as the empty value. A size running past the end of
        // the file is refused here, also on disk files, which could be
        // positioned past their end.
        status = AKFileCheckBytesLeft(file, chunk.size);
        if (status == 0)
            status = AKFileGotoChunkEnd(file, chunk);
        break;
    }
    if (status != 0)
        Clear();
    return status;
}

int AKValue::WriteToFile(AKFile& file) const
{
    switch (fTag) {
    case kAKValueTagBool: {
        int status = AKFileWriteSignat32(file, kAKValueTagBool);
        if (status == 0)
            status = AKFileWriteUInt32(file, 4);
        if (status == 0)
            status = AKFileWriteUInt32(file, fPayload.fBool ? 1 : 0);
        return status;
    }
    case kAKValueTagInteger: {
        int status = AKFileWriteSignat32(file, kAKValueTagInteger);
        if (status == 0)
            status = AKFileWriteUInt32(file, 8);
        if (status == 0)
            status = AKFileWriteSInt64(file, fPayload.fInteger);
        return status;
    }
    case kAKValueTagReal: {
        int status = AKFileWriteSignat32(file, kAKValueTagReal);
        if (status == 0)
            status = AKFileWriteUInt32(file, 8);
        if (status == 0)
            status = AKFileWriteFloat64(file, fPayload.fReal);
        return status;
    }
    case kAKValueTagString: {
        // The string form's length field doubles as the chunk's size.
        int status = AKFileWriteSignat32(file, kAKValueTagString);
        if (status == 0)
            status = AKFileWriteAKString(file, *fPayload.fString);
        return status;
    }
    case kAKValueTagArray:
        return fPayload.fArray->WriteToFile(file);
    case kAKValueTagDictionary:
        return fPayload.fDictionary->WriteToFile(file);
    case kAKValueTagBinary:
        return fPayload.fBinary->WriteToFile(file);
    default: {
        // The empty value: eight zero bytes.
        int status = AKFileWriteSignat32(file, kAKValueTagEmpty);
        if (status == 0)
            status = AKFileWriteUInt32(file, 0);
        return status;
    }
    }
}
