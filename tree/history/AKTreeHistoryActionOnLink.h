#pragma once

// History action of a move ('HLIK').
//
// Payload, after the action ID of the 'ACTN' chunk:
//   the signature 'HLIK' (big-endian);
//   the node IDs: unsigned 32-bit n, then n signed 32-bit IDs of the moved
//       nodes, in selection order;
//   the old links: unsigned 32-bit 3n, then per node its parent (sup link)
//       ID, previous and next brother IDs before the move;
//   the new links: the same after the move.
// Undo and redo put the nodes back at the old, respectively the new, places.

#include "AKNodeIDArray.h"
#include "AKTreeHistoryAction.h"

class AKFile;

class AKTreeHistoryActionOnLink : public AKTreeHistoryAction
{
public:
    // The link lists hold three IDs per node (sup link, previous, next), as
    // AKNodeArray::GrabNodeLinkIDs gathers them.
    AKTreeHistoryActionOnLink(int commandID, AKString const& name, AKTreeSel const& selection,
                              AKNodeIDArray const& oldLinks, AKNodeIDArray const& newLinks);

    // Either link list empty: kAKErrorTreeHandlerEmptyTreeSel, nothing written.
    int Stack(AKHistoryFile& file) override;
    int Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    int Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) override;
    unsigned int ActionKindOnUndone() const override;
    unsigned int ActionKindOnRedone() const override;

private:
    // Reads the payload and links the nodes with the old or the new links.
    int Relink(AKFile const& file, bool useOldLinks, bool inGroup, AKTreeSel* resultSel);

    AKNodeIDArray fOldLinks;
    AKNodeIDArray fNewLinks;
};
