#pragma once

// AKTreeNState: the registry of a tree's display clients. Each of up to 32
// clients gets one bit of every node's state masks (AKNodeNState). Slot 0 is
// the tree's own (index 1) and is never handed out; the views take slots 1 to
// 31 (indexes 2 to 32). Clients are known by address only, never
// dereferenced. Every tree holds one, bound to it. Main thread only.

#include "AKNSClientID.h"

class AKTree;
class AKTreeSel;

class AKTreeNState
{
public:
    explicit AKTreeNState(AKTree const* tree);

    AKTreeNState(AKTreeNState const&) = delete;
    AKTreeNState& operator=(AKTreeNState const&) = delete;

    AKTree const* GetTree() const { return fTree; }

    // The client's ID: a client already registered keeps its slot, a new one
    // takes the first free slot. Either way its bits are reset in every node
    // (opened and user-visible set, the others cleared). The null ID for a
    // null client or when every slot is taken.
    AKNSClientID RegisterGUIClient(void const* client);
    // Frees the client's slot and clears its bit in every mask of every node;
    // nothing for a null or unknown client.
    void UnregisterGUIClient(void const* client);
    // The null ID when the client is not registered.
    AKNSClientID GetRegisteredGUIClient(void const* client) const;
    unsigned int CountRegisteredGUIClients() const;

    // Every node loses the client's selected bit, marked dirty if it had it.
    void DeselectAll(AKNSClientID id);
    // For every node, the opened, selected, user-visible and real-visible
    // bits of `to` become copies of those of `from`; dirty bits untouched.
    // Nothing for the same index or an invalid ID.
    void Clone(AKNSClientID to, AKNSClientID from);
    // Every node gets the opened bit (no dirty marks).
    void OpenAll(AKNSClientID id);
    // Every node but the root loses the dirty, opened and selected bits.
    void CloseAll(AKNSClientID id);
    void ResetAllDirty(AKNSClientID id);

    // Shows a selection to one client: deselects everything, then selects
    // each node of the selection (opening its ancestors first when
    // openParents is set, else skipping nodes under a closed ancestor).
    // Defined with the selections.
    void ApplyTreeSel(AKNSClientID id, AKTreeSel const& selection, bool openParents);

private:
    // The marker of the reserved slot 0.
    static char const sTreeSlotMarker;

    // Slot of a registered client, or kAKNSClientMaxCount.
    unsigned int FindSlot(void const* client) const;

    AKTree const* fTree;
    void const* fClients[kAKNSClientMaxCount];
};
