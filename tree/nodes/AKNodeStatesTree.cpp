// The client registry of a tree: its slots. The operations over every node
// of the tree are in AKNodeStatesTreeNodes.cpp.

#include "AKNodeStatesTree.h"

char const AKTreeNState::sTreeSlotMarker = 0;

AKTreeNState::AKTreeNState(AKTree const* tree) : fTree(tree)
{
    fClients[0] = &sTreeSlotMarker;
    for (unsigned int slot = 1; slot < kAKNSClientMaxCount; ++slot)
        fClients[slot] = nullptr;
}

unsigned int AKTreeNState::FindSlot(void const* client) const
{
    if (client == nullptr)
        return kAKNSClientMaxCount;
    for (unsigned int slot = 1; slot < kAKNSClientMaxCount; ++slot) {
        if (fClients[slot] == client)
            return slot;
    }
    return kAKNSClientMaxCount;
}

AKNSClientID AKTreeNState::GetRegisteredGUIClient(void const* client) const
{
    unsigned int slot = FindSlot(client);
    return slot < kAKNSClientMaxCount ? AKNSClientIDOfIndex(slot + 1) : kAKNullNSClientID;
}

unsigned int AKTreeNState::CountRegisteredGUIClients() const
{
    unsigned int count = 0;
    for (unsigned int slot = 1; slot < kAKNSClientMaxCount; ++slot) {
        if (fClients[slot] != nullptr)
            ++count;
    }
    return count;
}
