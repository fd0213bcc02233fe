#pragma once

// QVPoolableMidiStore: the MIDI mappings a poolable saves with itself, kept
// as they were read until the MIDI patchers of the control layer take them
// over. The binary form is the optional 'MIDI' chunk that follows the
// poolable's own bytes (no chunk when nothing is mapped); the dictionary
// form is the owner's "MidiPatcher" entry. Both are written back unchanged,
// so a document keeps its mappings through a load and a save.

#include "AKMemoryBlock.h"
#include "AKValue.h"

class AKDictionary;
class AKFile;

constexpr unsigned int kQVMidiPatcherChunkSignature = 0x4D494449u;  // 'MIDI'

class QVPoolableMidiStore
{
public:
    bool IsEmpty() const { return mChunkPayload.IsEmpty() && mDictionaryForm.IsEmpty(); }
    void Clear();

    // Nothing is read, and 0 returned, when the next chunk is not 'MIDI'.
    // With restore 0 the chunk is stepped over and the held mappings kept.
    int ReadFromFile(AKFile const& file, unsigned int restore);
    // Writes the chunk only when one was read.
    int WriteToFile(AKFile& file) const;
    // Keeps the "MidiPatcher" entry (forgotten when absent).
    void ReadFromDictionary(AKDictionary const& dictionary);
    int WriteToDictionary(AKDictionary& dictionary) const;

private:
    AKMemoryBlock mChunkPayload;
    AKValue mDictionaryForm;
};
