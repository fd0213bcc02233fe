#pragma once

// AKTreeNotifier: keeps the change stamps of a tree's objects right, delivers
// messages to the objects and gives idle time to those that ask for it.
//
// Whoever shows or mirrors an object keeps the stamps it last saw and
// compares (AKObject's five stamps). When an action is performed, undone or
// redone, the notifier first marks which stamps of which objects must move
// (UpdateObjectsStampPrepare), then turns the marks into increments
// (UpdateObjectsStamp): at once, or, inside an action group, once for the
// whole group when the group ends. So within one update each stamp moves by
// exactly one however many marks it got.
//
// The marks live in the objects' flag bits (kAKObjectFlagMark...), with bit
// kAKObjectFlagStampsPending on the root's object telling that an update has
// work to do. Outside an action, and after every completed update, no object
// carries a mark (CheckObjectsFlags).
//
// Marking rules (nothing for a null node or a node without object):
//   revision rule on N: N gets SubRevised and FarSubRevised; its ancestors,
//     from its parent up, get FarSubRevised, up to the first that has it.
//   links rule on N: N gets SubLinks and FarSubLinks; its ancestors get
//     FarSubLinks the same way.
// The early stop keeps marking cheap when many nodes of one branch change.
//
// Embedded in its tree handler, which registers it for idle passes when the
// document starts its idling objects. Main thread only.

#include "AKIdlingCenter.h"
#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "ATArray.h"

class AKNode;
class AKObject;
class AKTree;
class AKTreeSel;
struct AKMessage;

// The pending marks of a tree at one moment, so that the marks set by one
// step can be withdrawn without losing those of earlier steps of its group.
class AKTreeNotifierMarks
{
public:
    struct Entry {
        AKNodeID fNodeID;
        unsigned int fMarks;
    };

    AKTreeNotifierMarks() = default;

    bool IsEmpty() const { return fEntries.IsEmpty(); }
    ATArray<Entry> const& GetEntries() const { return fEntries; }
    void Clear() { fEntries.Clear(); }
    void Push(AKNodeID nodeID, unsigned int marks) { fEntries.Push(Entry{nodeID, marks}); }

private:
    // Only the objects holding marks, in the tree's node order.
    ATArray<Entry> fEntries;
};

class AKTreeNotifier : public AKIdlingClient
{
public:
    // The five pending marks, in the order of AKObject's stamps.
    static constexpr unsigned int kMarkBits = 0x1F00;

    // Bound to the tree of its handler (null when built for none). Not
    // registered for idle time.
    explicit AKTreeNotifier(AKTree* tree);
    // Unregistered from the idling centre.
    ~AKTreeNotifier() override;

    AKTree* GetTree() const { return fTree; }

    // --- Change stamps ---

    // Marks the stamps that an action of the given kinds (result-flag bits of
    // AKTreeActionParam.h) on the selection must move: the links rule on the
    // selection's common parent for created, deleted or linked nodes (on each
    // node's parent when there is no common parent owning an object); for
    // revised nodes the revision rule on each node's parent and the node's own
    // Revised mark. `unused` is accepted and ignored.
    // kAKErrorTreeHandlerEmptyTreeSel for an empty selection,
    // kAKErrorTreeHandlerBadTreeOwner for one of another tree, both before any
    // mark is set; else 0.
    int UpdateObjectsStampPrepare(AKTreeSel const& selection, unsigned int kinds, bool unused);
    // With defer (an action group is open; its end calls again without),
    // nothing. Else every pending mark becomes one increment of its stamp
    // and all marks are cleared.
    void UpdateObjectsStamp(bool defer);
    // Clears the marks of every object without moving any stamp. This also
    // drops the marks of the earlier steps of an open group: a step that
    // withdraws its own marks inside a group uses the form below.
    void UpdateObjectsStampCancel();
    // Gives every object back exactly the marks it had when `before` was
    // grabbed, withdrawing only those set since (a move that turned out to
    // change no link). The marked nodes must still be in the tree.
    void UpdateObjectsStampCancel(AKTreeNotifierMarks const& before);
    // The marks pending right now (none outside an action group).
    void GrabPendingMarks(AKTreeNotifierMarks* marks) const;
    // Whether an update has work to do.
    bool HasPendingMarks() const;
    // kAKErrorTreeBadCoherency, logged, when an object still holds a mark; else 0.
    int CheckObjectsFlags() const;

    // --- Messages ---

    // Every object of the tree, depth-first from the root, each before its
    // children, children in order.
    void SendMessageToAllObjects(AKMessage const& message);
    // The node's object, then every object below it; nothing for null.
    void SendMessageToObjectChildren(AKNode* node, AKMessage const& message);
    // The same from the object's node; nothing for null or a detached object.
    void SendMessageToObjectChildren(AKObject* object, AKMessage const& message);

    // --- Idling ---

    // Calls akmIdle of every object that asked for idle time, rebuilding the
    // list first when an object changed its request, and again on the next
    // pass when a listed node has gone.
    void DoIdling() override;
    // The IDs of the objects that get idle time, as of the last pass.
    AKNodeIDArray const& GetIdlingList() const { return fIdlingList; }

private:
    // The rules; each answers whether it reached an object.
    static bool MarkRevisionRule(AKNode const* node);
    static bool MarkLinksRule(AKNode const* node);
    // The root node's object, or null.
    AKObject* RootObject() const;
    void RebuildIdlingList();

    AKTree* fTree;
    AKNodeIDArray fIdlingList;
};
