// The history file and its snapshot list.

#include "AKTreeHistoryFile.h"

#include "AKFileChunk.h"
#include "AKNode.h"
#include "AKNodeArray.h"

// --- Snapshot list ---

void AKHistoryFile::AKChunkList::AddChunkPos(unsigned long long position, AKNodeID nodeID)
{
    if (!fRecording)
        return;
    if (!fEntries.IsEmpty() && position <= fEntries.Last().position)
        return;
    Entry entry;
    entry.position = position;
    entry.nodeID = nodeID;
    fEntries.Push(entry);
}

void AKHistoryFile::AKChunkList::SetCurrChunkPos(unsigned long long position, bool truncate)
{
    unsigned int index = fEntries.Count();
    while (index > 0 && fEntries[index - 1].position >= position)
        --index;
    fCurrIndex = index;
    if (truncate)
        fEntries.SetCount(index);
}

unsigned long long AKHistoryFile::AKChunkList::FindChunkPosForNode(AKNodeID nodeID, unsigned int n) const
{
    unsigned int index = fCurrIndex < fEntries.Count() ? fCurrIndex : fEntries.Count();
    while (index > 0) {
        --index;
        if (fEntries[index].nodeID == nodeID && --n == 0)
            return fEntries[index].position;
    }
    return 0;
}

unsigned long long AKHistoryFile::AKChunkList::GetCurrentChunkPosForNode(AKNodeID nodeID) const
{
    return FindChunkPosForNode(nodeID, 1);
}

unsigned long long AKHistoryFile::AKChunkList::GetPreviousChunkPosForNode(AKNodeID nodeID) const
{
    return FindChunkPosForNode(nodeID, 2);
}

void AKHistoryFile::AKChunkList::Clear()
{
    fEntries.Clear();
    fCurrIndex = 0;
    fRecording = false;
}

// --- File ---

AKHistoryFile::AKHistoryFile() : AKFile(kAKFileModePreferedCache) { SetMarker(kAKHistoryFileMarker); }

int AKHistoryFile::NoteNodeChunksOfArray(unsigned long long arrayPosition)
{
    if (!fChunkList.IsRecording())
        return 0;
    unsigned long long resume = 0;
    int status = GetPos(&resume);
    AKFileChunk array(kAKNodeArrayChunkSignature);
    unsigned int count = 0;
    if (status == 0)
        status = SetPos(arrayPosition);
    if (status == 0)
        status = AKFileCheckChunkHeader(*this, &array);
    if (status == 0)
        status = AKFileReadUInt32(*this, &count);
    if (status == 0)
        status = AKFileSkip(*this, 4);
    for (unsigned int i = 0; status == 0 && i < count; ++i) {
        AKFileChunk node(kAKNodeChunkSignature);
        AKNodeID nodeID = kAKNullNodeID;
        status = AKFileCheckChunkHeader(*this, &node);
        if (status == 0)
            status = AKFileReadAKNodeID(*this, &nodeID);
        if (status == 0) {
            fChunkList.AddChunkPos(node.position, nodeID);
            status = AKFileGotoChunkEnd(*this, node);
        }
    }
    int const back = SetPos(resume);
    return status != 0 ? status : back;
}

void AKHistoryFileNoteNodeChunk(AKFile& file, unsigned long long position, AKNodeID nodeID)
{
    if (file.GetMarker() != kAKHistoryFileMarker)
        return;
    static_cast<AKHistoryFile&>(file).GetChunkList().AddChunkPos(position, nodeID);
}
