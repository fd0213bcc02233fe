#pragma once

// History action of a revision of objects' data ('HREV').
//
// Payload, after the action ID of the 'ACTN' chunk:
//   the signature 'HREV' (big-endian);
//   the node IDs: unsigned 32-bit n, then n signed 32-bit IDs of the revised
//       nodes, in selection order;
//   one 'ARND' chunk of the revised nodes as they are after the revision,
//       with the with-children flag each followed by its descendants
//       depth-first; in every 'NODE' chunk the parent, previous and next
//       links are negated. Every 'NODE' chunk is a snapshot.
// Undoing re-reads each node's previous snapshot (the state before this
// revision) through the history file's snapshot list; redoing re-reads the
// payload's own chunks.

#include "AKDictionary.h"
#include "AKTreeHistoryAction.h"

class AKFile;

class AKTreeHistoryActionOnRevise : public AKTreeHistoryAction
{
public:
    // The more info is the caller's result dictionary, handed back by undo
    // and redo; withChildren extends the revision to every descendant.
    AKTreeHistoryActionOnRevise(int commandID, AKString const& name, AKTreeSel const& selection,
                                AKDictionary const& moreInfo, bool withChildren);

    int Stack(AKHistoryFile& file) override;
    int Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    int Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    unsigned int ActionKindOnUndone() const override;
    unsigned int ActionKindOnRedone() const override;

    bool IsWithChildren() const { return fWithChildren; }
    AKDictionary const& GetMoreInfo() const { return fMoreInfo; }

private:
    // Reads the signature and the node IDs; the revised nodes, and those to
    // re-read (extended by their descendants with the flag).
    int ReadRevisedNodes(AKFile const& file, AKNodeArray* revised, AKNodeArray* reread) const;
    // Stamps and results once the nodes are re-read.
    int Complete(AKNodeArray const& revised, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo);

    AKDictionary fMoreInfo;
    bool fWithChildren;
};
