#pragma once

// A list of node IDs. The searches and the next-ID query expect the list
// sorted ascending without duplicates (IsStrictlySortedByID).

#include "AKNodeID.h"
#include "ATNumberArray.h"

class AKTreeRenum;
class AKValue;

// Plain integer arrays the raw ID forms are copied to and from.
typedef ATNumberArray<int, int, 32> AKRawNodeIDArray;

class AKNodeIDArray : public ATNumberArray<AKNodeID, AKNodeID, 32>
{
public:
    using ATNumberArray<AKNodeID, AKNodeID, 32>::ATNumberArray;
    AKNodeIDArray() = default;

    // Arrays of 0 or 1 entry are sorted.
    bool IsStrictlySortedByID() const;
    void SortByID();

    // Binary search in a sorted array; ID 0 is never found. The index
    // (may be null) receives the position, or 0xFFFFFFFF.
    bool BSearchID(AKNodeID nodeID, unsigned int* index) const;

    // 2 for an empty array, else the last entry plus 1.
    AKNodeID GetNextAvailableNodeID() const;

    void GrabRawNodeIDs(AKRawNodeIDArray* raw) const;
    void FillWithRawNodeIDs(AKRawNodeIDArray const& raw);
    // A null source or a count of 0 or less empties the array.
    void FillWithRawNodeIDs(int const* raw, int count);

    // Maps every entry through the map in order; stops at the first entry that
    // does not map and returns kAKErrorTreeNodeBadID (not logged), the earlier
    // entries staying mapped. keepNegative keeps negative entries as they are.
    int RenumberIDs(AKTreeRenum const& renum, bool keepNegative);
};

// Value form: an array value of integer values, in order. Reading an empty
// value fails and leaves the array alone; any other value empties it first,
// and it is filled only when the value is an array of integer values alone.
bool AKValueGetasAKNodeIDArray(AKValue const& value, AKNodeIDArray* array);
AKNodeIDArray AKValueGetasAKNodeIDArray(AKValue const& value);
AKValue* AKValueSetasAKNodeIDArray(AKValue* value, AKNodeIDArray const& array);
AKValue AKValueSetasAKNodeIDArray(AKNodeIDArray const& array);
