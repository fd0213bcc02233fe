#pragma once

// Steps shared by the history's action kinds: checking the selection to
// record, writing snapshots, reading ID lists, checking that the places a
// replay links nodes to exist, putting re-created nodes back into their tree
// and moving the change stamps. Main thread only.

#include "AKNodeArray.h"
#include "AKNodeIDArray.h"

class AKFile;
class AKHistoryFile;
class AKTree;
class AKTreeNotifier;
class AKTreeSel;

// kAKErrorTreeHandlerEmptyTreeSel for an empty selection, kAKErrorTreeHandlerBadTreeOwner for a selection of another
// tree.
int AKTreeHistoryCheckTreeSel(AKTreeSel const& selection, AKTree const* tree);

// One 'ARND' chunk of the nodes, each 'NODE' chunk entered in the snapshot
// list: with their descendants (each top node's outer links negated, the
// descendants' as they are), or alone with every node's outer links negated.
int AKTreeHistoryWriteSnapshots(AKHistoryFile& file, AKNodeArray const& nodes, bool withRChildren);

// A counted list of node IDs: unsigned 32-bit n, then n signed 32-bit IDs.
int AKTreeHistoryWriteNodeIDs(AKFile& file, AKNodeIDArray const& nodeIDs);
int AKTreeHistoryReadNodeIDs(AKFile const& file, AKNodeIDArray* nodeIDs);

// Every non-zero ID of the list names a node of the tree or one of `extra`
// (sorted by ID, may be empty); kAKErrorTreeNodeBadID otherwise (not logged).
int AKTreeHistoryCheckLinkTargets(AKNodeIDArray const& linkIDs, AKTree const& tree, AKNodeArray const& extra);

// Re-created nodes (sorted by ID, linked among themselves, the outer links of
// the top nodes negated): none of their IDs may be in use in the tree or
// beyond its next ID, and every place their negated links name must exist in
// the tree or among them; kAKErrorTreeNodeBadID otherwise, nothing changed.
int AKTreeHistoryCheckRecreatedNodes(AKNodeArray const& nodes, AKTree const& tree);
// Puts checked re-created nodes into the tree: into its node array (kept
// sorted by ID), back at the places their negated links name, and into its
// direct-access table.
void AKTreeHistoryInsertRecreatedNodes(AKTree& tree, AKNodeArray const& nodes);

// Marks the stamps of the selection for the kinds (result-flag bits).
int AKTreeHistoryPrepareStamps(AKTreeNotifier* notifier, AKTreeSel const& selection, unsigned int kinds);
// Moves the marked stamps, unless deferred to the end of the step.
void AKTreeHistoryUpdateStamps(AKTreeNotifier* notifier, bool defer);
