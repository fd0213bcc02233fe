#pragma once

// AKNodeNState: the display state of one node for each client of its tree:
// one bit per client (AKNSClientID) in each of five masks. Every node holds
// one as its last field, built with a back pointer to the node.
//
//   dirty         the client must redraw the node          new node: 0
//   opened        the node is expanded for the client      new node: all set
//   selected      the node is selected for the client      new node: 0
//   user-visible  the user has not hidden the node         new node: all set
//   real-visible  the node is actually shown by the client new node: 0
//
// "Marked dirty" below means the client's dirty bit is set. Every operation
// takes the client's ID; an invalid ID (index outside 1 to 32) answers false
// or 0 and changes nothing. Main thread only.

#include "AKNSClientID.h"

class AKClass;
class AKNode;
class AKSearchObjectsParam;

class AKNodeNState
{
public:
    explicit AKNodeNState(AKNode* node) : fNode(node) {}

    AKNodeNState(AKNodeNState const&) = delete;
    AKNodeNState& operator=(AKNodeNState const&) = delete;

    AKNode* GetNode() const { return fNode; }

    // --- Bits of one client ---

    bool IsDirty(AKNSClientID id) const { return (fDirty & AKNSClientFlagOf(id)) != 0; }
    bool IsOpened(AKNSClientID id) const { return (fOpened & AKNSClientFlagOf(id)) != 0; }
    bool IsSelected(AKNSClientID id) const { return (fSelected & AKNSClientFlagOf(id)) != 0; }
    bool IsUservis(AKNSClientID id) const { return (fUservis & AKNSClientFlagOf(id)) != 0; }
    bool IsRealvis(AKNSClientID id) const { return (fRealvis & AKNSClientFlagOf(id)) != 0; }

    void SetDirty(AKNSClientID id) { fDirty |= AKNSClientFlagOf(id); }
    void ResetDirty(AKNSClientID id) { fDirty &= ~AKNSClientFlagOf(id); }
    void SetDirtyForAllClients() { fDirty = kAKAllNSClientFG; }

    // Opening sets the bit (marked dirty if it was clear). Closing does
    // nothing for the top node of a tree; otherwise it clears the bit (marked
    // dirty if it was set), then every descendant loses its selected and
    // dirty bits.
    void SetOpened(AKNSClientID id, bool opened);
    // Returns the new state (false for an invalid ID).
    bool ToggleOpened(AKNSClientID id);

    // Selecting is refused under an ancestor that is not opened; otherwise it
    // sets the bit (marked dirty if it was clear) and, with
    // deselectRChildren, every descendant loses its selected and dirty bits.
    // Deselecting clears the bit (marked dirty if it was set).
    void SetSelected(AKNSClientID id, bool selected, bool deselectRChildren);
    bool ToggleSelected(AKNSClientID id, bool deselectRChildren);

    // Deselecting: every direct child loses its bit (marked dirty if it had
    // it). Selecting, only when the node and all its ancestors are opened:
    // every direct child gets it (marked dirty if it lacked it).
    void SetChildrenSelected(AKNSClientID id, bool selected);
    // Every descendant loses its selected and dirty bits.
    void SetRChildrenSelectedNot(AKNSClientID id);
    // Only when the node and all its ancestors are opened: every direct child
    // is marked dirty and its selected bit flips.
    void SetChildrenSelectionInvert(AKNSClientID id);
    // Selects direct children by a search (mode replace, add or restrict).
    // Nothing and false for an invalid ID, a search that cannot run, or,
    // unless forced, when the node or an ancestor is not opened. changed (may
    // be null) receives whether some child's selected bit changed.
    bool SetChildrenSelectionSearch(AKNSClientID id, AKSearchObjectsParam const& search, bool force, bool* changed);

    // Set or clear the bit, marked dirty when it changes.
    void SetUservis(AKNSClientID id, bool uservis);
    void SetRealvis(AKNSClientID id, bool realvis);
    bool ToggleUservis(AKNSClientID id);

    // Opens or closes the descendants down to `depth` levels, entering only
    // the children whose object is a kind of the class (every child for a
    // null class). Nothing is marked dirty. Before closing, the descendants
    // of each direct child lose their selected and dirty bits.
    void SetRChildrenOpened(AKNSClientID id, bool opened, unsigned int depth, AKClass const* filter);
    // The same for the user-visible bit, without the deselection.
    void SetRChildrenUservis(AKNSClientID id, bool uservis, unsigned int depth, AKClass const* filter);

    // Sets the bit on the ancestors, from the parent up, stopping at the
    // first ancestor without object or (with a class) of another kind.
    // Nothing is marked dirty.
    void SetParentsOpened(AKNSClientID id, AKClass const* filter);
    void SetParentsUservis(AKNSClientID id, AKClass const* filter);
    // Walking up the same way: false at the first ancestor whose bit is clear.
    bool IsParentsOpened(AKNSClientID id, AKClass const* filter) const;
    bool IsParentsUservis(AKNSClientID id, AKClass const* filter) const;

    // --- Channel numbers, kept by the node's object when its class keeps any ---

    bool HasChanum() const;
    // 0 for an invalid ID or an object that keeps none.
    unsigned char GetChanum(AKNSClientID id) const;
    // True only when it changed.
    bool SetChanum(AKNSClientID id, unsigned char chanum);

    // --- Whole masks, for the client registry and the selections ---

    AKNSClientFG GetDirtyMask() const { return fDirty; }
    AKNSClientFG GetOpenedMask() const { return fOpened; }
    AKNSClientFG GetSelectedMask() const { return fSelected; }
    AKNSClientFG GetUservisMask() const { return fUservis; }
    AKNSClientFG GetRealvisMask() const { return fRealvis; }
    // The bits of a newly registered client: opened and user-visible set,
    // the others cleared.
    void ResetClientBits(AKNSClientFG flag);
    // The bits of a departing client: cleared in all five masks.
    void ClearClientBits(AKNSClientFG flag);
    // Copies the opened, selected, user-visible and real-visible bits of one
    // client to another.
    void CopyClientBits(AKNSClientFG to, AKNSClientFG from);
    // Sets or clears the bits in the masks named by the mask-set constants.
    void SetBits(unsigned int masks, AKNSClientFG flag, bool set);

    // Mask-set constants of SetBits.
    static constexpr unsigned int kDirty = 0x1;
    static constexpr unsigned int kOpened = 0x2;
    static constexpr unsigned int kSelected = 0x4;
    static constexpr unsigned int kUservis = 0x8;
    static constexpr unsigned int kRealvis = 0x10;

private:
    // Every ancestor is opened for the client.
    bool AreAncestorsOpened(AKNSClientFG flag) const;
    // Changes one bit of one mask, marking the node dirty when it changed;
    // returns whether it changed.
    bool ChangeBit(AKNSClientFG& mask, AKNSClientFG flag, bool set);

    AKNode* fNode;
    AKNSClientFG fDirty = kAKNullNSClientFG;
    AKNSClientFG fOpened = kAKAllNSClientFG;
    AKNSClientFG fSelected = kAKNullNSClientFG;
    AKNSClientFG fUservis = kAKAllNSClientFG;
    AKNSClientFG fRealvis = kAKNullNSClientFG;
};
