// Lists of node IDs: sorting, searching, raw copies, renumbering and the
// value form.

#include "AKNodeIDArray.h"

#include "AKStatus.h"
#include "AKTreeRenum.h"
#include "AKValue.h"
#include "AKValueArray.h"

#include <algorithm>

bool AKNodeIDArray::IsStrictlySortedByID() const
{
    for (unsigned int i = 1, n = Count(); i < n; ++i) {
        if (!((*this)[i - 1] < (*this)[i]))
            return false;
    }
    return true;
}

void AKNodeIDArray::SortByID() { std::sort(begin(), end()); }

bool AKNodeIDArray::BSearchID(AKNodeID nodeID, unsigned int* index) const
{
    if (nodeID == kAKNullNodeID) {
        if (index)
            *index = kNotFound;
        return false;
    }
    return BinarySearch(nodeID, index);
}

AKNodeID AKNodeIDArray::GetNextAvailableNodeID() const
{
    // Unsigned, so that a corrupt last ID cannot overflow.
    return IsEmpty() ? 2 : static_cast<AKNodeID>(static_cast<unsigned int>(Last()) + 1u);
}

void AKNodeIDArray::GrabRawNodeIDs(AKRawNodeIDArray* raw) const
{
    if (raw)
        *raw = *this;
}

void AKNodeIDArray::FillWithRawNodeIDs(AKRawNodeIDArray const& raw)
{
    FillWithRawNodeIDs(raw.Data(), static_cast<int>(std::min<unsigned int>(raw.Count(), 0x7FFFFFFF)));
}

void AKNodeIDArray::FillWithRawNodeIDs(int const* raw, int count)
{
    if (raw == nullptr || count <= 0) {
        Clear();
        return;
    }
    AssignWithCast(raw, static_cast<unsigned int>(count));
}

int AKNodeIDArray::RenumberIDs(AKTreeRenum const& renum, bool keepNegative)
{
    for (AKNodeID& nodeID : *this) {
        if (!renum.MatchID(&nodeID, keepNegative))
            return kAKErrorTreeNodeBadID;
    }
    return 0;
}

// --- Value form ---

bool AKValueGetasAKNodeIDArray(AKValue const& value, AKNodeIDArray* array)
{
    if (value.IsEmpty())
        return false;
    AKNodeIDArray read;
    AKValueArray const* values = value.GetasAKValueArray();
    bool ok = values != nullptr;
    if (ok) {
        read.Reserve(values->Count());
        for (AKValue const& element : *values) {
            AKNodeID nodeID = kAKNullNodeID;
            if (!AKValueGetasAKNodeID(element, &nodeID)) {
                ok = false;
                break;
            }
            read.Push(nodeID);
        }
    }
    if (array) {
        array->Clear();
        if (ok)
            *array = std::move(read);
    }
    return ok;
}

AKNodeIDArray AKValueGetasAKNodeIDArray(AKValue const& value)
{
    AKNodeIDArray array;
    AKValueGetasAKNodeIDArray(value, &array);
    return array;
}

AKValue* AKValueSetasAKNodeIDArray(AKValue* value, AKNodeIDArray const& array)
{
    if (value == nullptr)
        return value;
    AKValueArray values;
    values.Reserve(array.Count());
    for (AKNodeID nodeID : array)
        values.Push(AKValueSetasAKNodeID(nodeID));
    value->SetasAKValueArray(values);
    return value;
}

AKValue AKValueSetasAKNodeIDArray(AKNodeIDArray const& array)
{
    AKValue value;
    AKValueSetasAKNodeIDArray(&value, array);
    return value;
}
