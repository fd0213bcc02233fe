// The stored forms of a presets block, in its sequence's record: the recall
// duration and every linked entry with its preset number. Entries without a
// link (their playable is gone) are not written; read entries whose preset
// number is missing or not below 10 are dropped.

#include "AKFileChunk.h"
#include "AKLog.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVPrefs.h"
#include "QVPresetsBlock.h"

#include <cmath>

namespace {

char const* const kKey_PresetDur = "PresetDur";
char const* const kKey_Presets = "Presets";
char const* const kKey_Block = "Block";

constexpr unsigned int kPresetsSignature = AKFileMakeSignat32('P', 'R', 'S', 'B');
// Preset number, then the entry.
constexpr unsigned long long kFileEntrySize = 4 + kQVPresetPlayableFileSize;

double ClampDuration(double duration)
{
    double const max = QVPrefs::sShared.GetPresetRecallMaxDuration();
    if (std::isnan(duration) || duration < 0.0)
        return 0.0;
    return duration > max ? max : duration;
}

}  // namespace

int QVPresetsBlock::InitFromDictionary(AKDictionary const& dictionary)
{
    double duration = 0.0;
    if (AKValueGetasFloat64(dictionary.GetValue(kKey_PresetDur), &duration, true))
        mRecallDuration.store(ClampDuration(duration), std::memory_order_relaxed);
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    LowStop();
    for (QVPresetPlayableArray& preset : mPresets)
        preset.Clear();
    for (AKValue const& item : AKValueGetasAKValueArray(dictionary.GetValue(kKey_Presets))) {
        AKDictionary const& element = AKValueGetasAKDictionary(item);
        // An element without a preset number belongs to no preset.
        unsigned int block = kQVPresetCount;
        if (!AKValueGetasUInt(element.GetValue(kKey_Block), &block, true) || block >= kQVPresetCount)
            continue;
        QVPresetPlayable entry = kQVNullPresetPlayable;
        entry.ReadFromValue(element);
        ResolveLink(&entry);
        mPresets[block].Push(entry);
    }
    RaiseChangeStamp();
    return 0;
}

int QVPresetsBlock::WriteToDictionary(AKDictionary& dictionary) const
{
    int status = dictionary.SetValue(kKey_PresetDur, AKValueSetasFloat64(GetRecallDuration()));
    if (status != 0)
        return status;
    std::lock_guard<std::mutex> const lock(mControl);
    AKValueArray array;
    for (unsigned int n = 0; n < kQVPresetCount; ++n)
        for (QVPresetPlayable const& entry : mPresets[n]) {
            if (entry.link == nullptr)
                continue;
            AKDictionary element;
            status = element.SetValue(kKey_Block, AKValueSetasUInt(n));
            if (status == 0)
                status = entry.WriteToValue(&element);
            if (status != 0)
                return status;
            array.Push(AKValueSetasAKDictionary(element));
        }
    if (array.IsEmpty())
        return 0;
    return dictionary.SetValue(kKey_Presets, AKValueSetasAKValueArray(array));
}

int QVPresetsBlock::InitFromFile(AKFile const& file, unsigned int read)
{
    AKFileChunk chunk;
    if (read == 0) {
        int status = AKFileSkip(file, 8);
        if (status == 0)
            status = AKFileReadChunkHeader(file, &chunk);
        if (status == 0)
            status = AKFileCheckChunkFits(file, chunk, 0);
        return status != 0 ? status : AKFileGotoChunkEnd(file, chunk);
    }
    double duration = 0.0;
    int status = AKFileReadFloat64(file, &duration);
    if (status == 0)
        status = AKFileReadChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, chunk, 4);
    unsigned int count = 0;
    if (status == 0)
        status = AKFileReadUInt32(file, &count);
    if (status != 0)
        return status;
    // A count the chunk cannot hold is corrupt: refused before anything is
    // read or sized for it.
    if (4 + count * kFileEntrySize > chunk.size)
        return AKLogError(kAKErrorFileCantRead, "Can't read in file \"%s\"", file.GetLogName());

    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    LowStop();
    mRecallDuration.store(duration, std::memory_order_relaxed);
    for (QVPresetPlayableArray& preset : mPresets)
        preset.Clear();
    for (unsigned int i = 0; i < count; ++i) {
        unsigned int block = 0;
        QVPresetPlayable entry = kQVNullPresetPlayable;
        status = AKFileReadUInt32(file, &block);
        if (status == 0)
            status = entry.ReadFromFile(file);
        if (status != 0)
            return status;
        if (block >= kQVPresetCount)
            continue;
        ResolveLink(&entry);
        mPresets[block].Push(entry);
    }
    RaiseChangeStamp();
    return AKFileGotoChunkEnd(file, chunk);
}

int QVPresetsBlock::WriteToFile(AKFile& file) const
{
    std::lock_guard<std::mutex> const lock(mControl);
    unsigned int count = 0;
    for (QVPresetPlayableArray const& preset : mPresets)
        for (QVPresetPlayable const& entry : preset)
            count += entry.link != nullptr ? 1 : 0;
    AKFileChunk chunk(kPresetsSignature);
    int status = AKFileWriteFloat64(file, GetRecallDuration());
    if (status == 0)
        status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, count);
    for (unsigned int n = 0; status == 0 && n < kQVPresetCount; ++n)
        for (QVPresetPlayable const& entry : mPresets[n]) {
            if (entry.link == nullptr)
                continue;
            status = AKFileWriteUInt32(file, n);
            if (status == 0)
                status = entry.WriteToFile(file);
            if (status != 0)
                break;
        }
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}
