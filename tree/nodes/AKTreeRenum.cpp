// The old-to-new node ID map.

#include "AKTreeRenum.h"

#include "AKNode.h"
#include "AKNodeArray.h"

AKTreeRenum::AKTreeRenum(AKNodeArray const& nodes, bool sorted, AKNodeID firstNewID)
{
    Setup(nodes, sorted, firstNewID);
}

void AKTreeRenum::Clear()
{
    fOldIDs.Clear();
    fFirstNewID = 1;
    fIdentity = false;
}

void AKTreeRenum::Setup(AKNodeArray const& nodes, bool sorted, AKNodeID firstNewID)
{
    AKNodeIDArray oldIDs;
    nodes.GrabNodeIDs(&oldIDs);
    fOldIDs = std::move(oldIDs);
    Complete(sorted, firstNewID);
}

void AKTreeRenum::Setup(AKNodeIDArray const& oldIDs, bool sorted, AKNodeID firstNewID)
{
    fOldIDs = oldIDs;
    Complete(sorted, firstNewID);
}

void AKTreeRenum::Complete(bool sorted, AKNodeID firstNewID)
{
    if (!sorted)
        fOldIDs.SortByID();
    fFirstNewID = firstNewID > 0 ? firstNewID : 1;
    fIdentity = !fOldIDs.IsEmpty();
    for (unsigned int i = 0, n = fOldIDs.Count(); fIdentity && i < n; ++i)
        fIdentity = static_cast<long long>(fOldIDs[i]) == static_cast<long long>(fFirstNewID) + i;
}

bool AKTreeRenum::MatchID(AKNodeID* nodeID, bool keepNegative) const
{
    AKNodeID id = *nodeID;
    if (id == kAKNullNodeID)
        return true;
    if (id < 0) {
        if (keepNegative)
            return true;
        *nodeID = kAKNullNodeID;
        return false;
    }
    long long first = fFirstNewID;
    if (fIdentity)
        return id >= first && id < first + fOldIDs.Count();
    unsigned int index = 0;
    // A new ID past the largest valid one (a first ID near the top of the
    // range) cannot be given: it fails like an unknown ID.
    if (!fOldIDs.BSearchID(id, &index) || first + index > kAKNodeIDMax) {
        *nodeID = kAKNullNodeID;
        return false;
    }
    *nodeID = static_cast<AKNodeID>(first + index);
    return true;
}
