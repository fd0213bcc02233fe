#pragma once

// AKTreeRenum: the old-to-new map of node IDs by which nodes read from a
// file, a dictionary or the pasteboard take IDs that fit the tree receiving
// them. The old ID at position i of the sorted old IDs becomes first + i:
// renumbering compacts a set of IDs into one consecutive run, keeping their
// order. Main thread only.

#include "AKNodeID.h"
#include "AKNodeIDArray.h"

class AKNodeArray;

class AKTreeRenum
{
public:
    // No old IDs, first new ID 1, not identity.
    AKTreeRenum() = default;
    AKTreeRenum(AKTreeRenum const& other) = default;
    AKTreeRenum& operator=(AKTreeRenum const& other) = default;
    AKTreeRenum(AKNodeArray const& nodes, bool sorted, AKNodeID firstNewID);

    void Assign(AKTreeRenum const& other) { *this = other; }
    // Back to the default state.
    void Clear();

    // The old IDs become the IDs of the nodes, sorted ascending unless
    // `sorted` says they already are; the first new ID is the given one, or 1
    // when it is 0 or negative. Identity when the old IDs are not empty and
    // are exactly first, first + 1, first + 2 ... in order.
    void Setup(AKNodeArray const& nodes, bool sorted, AKNodeID firstNewID);
    // The same from a list of IDs.
    void Setup(AKNodeIDArray const& oldIDs, bool sorted, AKNodeID firstNewID);

    // Maps one ID in place; false when it cannot be mapped:
    //   positive, identity map: unchanged; true inside [first, first + count)
    //   positive, otherwise: the new ID of the old one, or 0 and false when
    //                        it is not an old ID
    //   0: unchanged, true
    //   negative: unchanged and true with keepNegative, else 0 and false
    bool MatchID(AKNodeID* nodeID, bool keepNegative) const;

    AKNodeIDArray const& GetOldIDs() const { return fOldIDs; }
    AKNodeID GetFirstNewID() const { return fFirstNewID; }
    bool IsIdentity() const { return fIdentity; }

private:
    void Complete(bool sorted, AKNodeID firstNewID);

    AKNodeIDArray fOldIDs;
    AKNodeID fFirstNewID = 1;
    bool fIdentity = false;
};
