// AKDictionary: the 'dict' chunk and the binary dictionary files.

#include "AKDictionary.h"

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFilePath.h"
#include "AKFileReplace.h"
#include "AKFileTypedIO.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueChunkNesting.h"

#include <cstdio>
#include <utility>

constexpr unsigned int kAKDictionarySignature = 0x64696374;  // 'dict'

// Smallest entry: an empty key (its 4-byte length) and an 8-byte value header.
constexpr unsigned long long kAKDictionaryEntryMinSize = 4 + kAKFileChunkHeaderSize;

// --- 'dict' chunk ---

int AKDictionary::SkipFromFile(AKFile const& file) { return AKFileSkipChunk(file, kAKDictionarySignature); }

int AKDictionary::ReadFromFile(AKFile const& file)
{
    Free();
    AKValueChunkNesting nesting;
    int status = nesting.Check(file);
    AKFileChunk chunk(kAKDictionarySignature);
    unsigned int count = 0;
    if (status == 0)
        status = AKFileReadCountedChunkHeader(file, &chunk, &count, kAKDictionaryEntryMinSize);
    for (unsigned int i = 0; status == 0 && i < count; ++i) {
        AKString key;
        AKValue value;
        status = AKFileReadAKString(file, &key);
        if (status == 0)
            status = value.ReadFromFile(file);
        // Keys are kept as stored, valid paths or not; a repeated key keeps
        // the later value.
        if (status == 0)
            fEntries.insert_or_assign(std::move(key), std::move(value));
    }
    if (status != 0)
        Free();
    return status;
}

int AKDictionary::WriteToFile(AKFile& file) const
{
    AKFileChunk chunk(kAKDictionarySignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, Count());
    for (auto it = fEntries.begin(); status == 0 && it != fEntries.end(); ++it) {
        status = AKFileWriteAKString(file, it->first);
        if (status == 0)
            status = it->second.WriteToFile(file);
    }
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

// --- Binary dictionary files ---

int AKDictionary::LoadFromBinFile(AKFilePath const& path)
{
    Free();
    AKFile file(path);
    int status = file.OpenForRead();
    if (status == 0)
        status = ReadFromFile(file);
    file.Close();
    return status;
}

// The whole file is built in memory first; the shared replace then writes it
// beside the target and renames it over, so a failure never leaves the
// previous file half written.
int AKDictionary::SaveToBinFile(AKFilePath const& path) const
{
    AKFile stream(kAKFileModeMemoryStream);
    int status = stream.CreateForReadWrite();
    if (status == 0)
        status = WriteToFile(stream);
    void const* data = nullptr;
    unsigned long long size = 0;
    if (status == 0)
        status = stream.GetMemoryStreamDataPtr(&data, &size);
    if (status == 0)
        status = AKFileReplaceContent(path, data, size);
    return status;
}
