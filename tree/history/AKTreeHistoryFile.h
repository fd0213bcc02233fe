#pragma once

// AKHistoryFile: the chunk file of a tree's undo history, with its snapshot
// list. The file is a memory stream or a temporary file (the file layer's
// preferred cache kind), little-endian, and carries the marker 'HIST' by
// which node writers recognise it.
//
// The snapshot list indexes the saved states of nodes: one entry {position of
// a 'NODE' chunk header, node ID} per 'NODE' chunk written while its
// recording flag is on, ordered by position. The entries below the current
// index are the snapshots of the actions that are done; those from it on
// belong to undone actions and are kept for redo until they are overwritten.
// Main thread only.

#include "AKFile.h"
#include "AKNodeID.h"
#include "ATArray.h"

// The marker carried by history files ('HIST').
constexpr unsigned int kAKHistoryFileMarker = 0x48495354;

class AKHistoryFile : public AKFile
{
public:
    class AKChunkList
    {
    public:
        struct Entry {
            unsigned long long position = 0;  // of a 'NODE' chunk header
            AKNodeID nodeID = kAKNullNodeID;
        };

        AKChunkList() { fEntries.Reserve(30); }

        bool IsRecording() const { return fRecording; }
        void SetRecording(bool recording) { fRecording = recording; }

        // Appends an entry, only while recording. A position that is not
        // beyond the last entry's is ignored: the list stays ordered, and a
        // chunk noted twice is entered once.
        void AddChunkPos(unsigned long long position, AKNodeID nodeID);
        // The current index becomes 1 + the index of the last entry below the
        // position (0 when none); truncating removes the entries from there on.
        void SetCurrChunkPos(unsigned long long position, bool truncate);
        // The latest, respectively the second latest, entry of the node
        // below the current index; 0 when there is none.
        unsigned long long GetCurrentChunkPosForNode(AKNodeID nodeID) const;
        unsigned long long GetPreviousChunkPosForNode(AKNodeID nodeID) const;
        // Empty, current index 0, not recording.
        void Clear();

        unsigned int GetCurrIndex() const { return fCurrIndex; }
        ATArray<Entry> const& GetEntries() const { return fEntries; }

    private:
        // The position of the n-th latest entry of the node below the
        // current index (n from 1), 0 when there is none.
        unsigned long long FindChunkPosForNode(AKNodeID nodeID, unsigned int n) const;

        bool fRecording = false;
        unsigned int fCurrIndex = 0;
        ATArray<Entry> fEntries;
    };

    // Closed, in the preferred cache kind, with the marker 'HIST'.
    AKHistoryFile();

    AKChunkList& GetChunkList() { return fChunkList; }
    AKChunkList const& GetChunkList() const { return fChunkList; }

    // Enters every 'NODE' chunk of the 'ARND' chunk that starts at the
    // position into the snapshot list (only while recording), then returns
    // to the position the file had. Writers of snapshots call it right
    // after the 'ARND' chunk; chunks already entered are not entered twice.
    int NoteNodeChunksOfArray(unsigned long long arrayPosition);

private:
    AKChunkList fChunkList;
};

// The node writer's last step: when the file is a history file whose list
// is recording, the 'NODE' chunk just completed at the position is entered
// under the node's ID. Any other file is left alone.
void AKHistoryFileNoteNodeChunk(AKFile& file, unsigned long long position, AKNodeID nodeID);
