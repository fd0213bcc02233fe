#include "QVPoolableMidiStore.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"

#include <vector>

namespace {

char const* const kKey_MidiPatcher = "MidiPatcher";

}  // namespace

void QVPoolableMidiStore::Clear()
{
    mChunkPayload.Clear();
    mDictionaryForm.Clear();
}

int QVPoolableMidiStore::ReadFromFile(AKFile const& file, unsigned int restore)
{
    if (!AKFileIsSignat32(file, kQVMidiPatcherChunkSignature, true))
        return 0;
    AKFileChunk chunk(kQVMidiPatcherChunkSignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, chunk, 0);
    if (status == 0 && restore != 0) {
        // The chunk was checked to lie within the file before this allocation.
        std::vector<unsigned char> bytes(chunk.size);
        status = bytes.empty() ? 0 : AKFileRead(file, bytes.data(), bytes.size());
        if (status == 0)
            mChunkPayload.Assign(bytes.data(), chunk.size);
    }
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int QVPoolableMidiStore::WriteToFile(AKFile& file) const
{
    if (mChunkPayload.IsEmpty())
        return 0;
    AKFileChunk chunk(kQVMidiPatcherChunkSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWrite(file, mChunkPayload.Data(), mChunkPayload.Size());
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

void QVPoolableMidiStore::ReadFromDictionary(AKDictionary const& dictionary)
{
    mDictionaryForm = dictionary.GetValue(kKey_MidiPatcher);
}

int QVPoolableMidiStore::WriteToDictionary(AKDictionary& dictionary) const
{
    return mDictionaryForm.IsEmpty() ? 0 : dictionary.SetValue(kKey_MidiPatcher, mDictionaryForm);
}
