#pragma once

// History actions of creations ('HCRE') and deletions ('HDEL').
//
// Payload, after the action ID of the 'ACTN' chunk:
//   the signature 'HCRE' or 'HDEL' (big-endian);
//   the top IDs: unsigned 32-bit n, then n signed 32-bit IDs of the
//       selection's nodes, in selection order;
//   one 'ARND' chunk: per top node its 'NODE' chunk with the parent,
//       previous and next links negated, then its descendants depth-first
//       with their links as they are. Every 'NODE' chunk is a snapshot.
// A creation writes the nodes right after they were created, a deletion
// right before they are removed.
//
// Undoing a creation (or redoing a deletion) removes the recorded nodes and
// appends them, as they are at that moment, to the history's second file:
// the signature, the top IDs, then an 'ARND' chunk of the nodes with all
// their descendants. Redoing a creation (or undoing a deletion) re-creates
// them with their IDs at their places, from the latest such record, or from
// the payload itself while no removal has happened yet.

#include "AKTreeHistoryAction.h"

class AKFile;

// The second-file position of an action whose nodes were never removed.
constexpr unsigned long long kAKTreeHistoryNoSecondFilePos = 0xFFFFFFFFFFFFFFFFull;

class AKTreeHistoryActionOnCreate : public AKTreeHistoryAction
{
public:
    AKTreeHistoryActionOnCreate(int commandID, AKString const& name, AKTreeSel const& selection);
    AKTreeHistoryActionOnCreate(unsigned int signature, int commandID, AKString const& name,
                                AKTreeSel const& selection);

    // Also takes the history's second file.
    void Setup(AKTreeHistory const* history, unsigned int actionID, unsigned int groupNumber,
               unsigned long long chunkPosition) override;
    int Stack(AKHistoryFile& file) override;
    // Removes the recorded nodes.
    int Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    // Re-creates them; the result selection is the top nodes.
    int Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    unsigned int ActionKindOnUndone() const override;
    unsigned int ActionKindOnRedone() const override;

    unsigned long long GetSecondFilePos() const { return fSecondFilePos; }

protected:
    int RemoveRecordedNodes(AKHistoryFile const& file, bool inGroup);
    int RecreateRecordedNodes(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel);

private:
    // Reads the signature and the top IDs, then the nodes of the 'ARND'
    // chunk, sorted by ID and linked among themselves.
    int ReadRecordedNodes(AKFile const& file, AKNodeIDArray* topIDs, AKNodeArray* nodes) const;
    // Appends the nodes as they are now to the second file; the record's
    // position goes to `position`.
    int AppendToSecondFile(AKNodeIDArray const& topIDs, AKNodeArray const& nodes, unsigned long long* position);

    AKFile* fSecondFile = nullptr;
    unsigned long long fSecondFilePos = kAKTreeHistoryNoSecondFilePos;
};

// A deletion: the creation's payload, replayed crosswise.
class AKTreeHistoryActionOnDelete : public AKTreeHistoryActionOnCreate
{
public:
    AKTreeHistoryActionOnDelete(int commandID, AKString const& name, AKTreeSel const& selection);

    // Re-creates the recorded nodes.
    int Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    // Removes them again.
    int Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    unsigned int ActionKindOnUndone() const override;
    unsigned int ActionKindOnRedone() const override;
};
