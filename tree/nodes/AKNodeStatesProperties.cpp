// Node-state property records.

#include "AKNodeStatesProperties.h"

#include "AKDictionary.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"

namespace {

char const kKeyID[] = "ID";
char const kKeyNS[] = "NS";
char const kKeyCH[] = "CH";

}  // namespace

void SetNStateToProperties(AKValueArray& records, AKNodeID nodeID, bool flag0, bool flag1, unsigned char chanum)
{
    AKDictionary record;
    record.SetValue(kKeyID, AKValueSetasAKNodeID(nodeID));
    record.SetValue(kKeyNS, AKValueSetasUInt((flag0 ? 1u : 0u) | (flag1 ? 2u : 0u)));
    if (chanum != 0)
        record.SetValue(kKeyCH, AKValueSetasUInt(chanum));
    records.Push(AKValueSetasAKDictionary(record));
}

bool GetNStateFromProperties(AKValueArray const& records, AKNodeID nodeID, bool* flag0, bool* flag1,
                             unsigned char* chanum)
{
    for (AKValue const& value : records) {
        AKDictionary const* record = value.GetasAKDictionary();
        AKNodeID recordID = kAKNullNodeID;
        if (record == nullptr || !AKValueGetasAKNodeID(record->GetValue(kKeyID), &recordID) || recordID != nodeID)
            continue;
        unsigned int bits = AKValueGetasUInt(record->GetValue(kKeyNS), false);
        if (flag0 != nullptr)
            *flag0 = (bits & 1u) != 0;
        if (flag1 != nullptr)
            *flag1 = (bits & 2u) != 0;
        if (chanum != nullptr)
            *chanum = static_cast<unsigned char>(AKValueGetasUInt(record->GetValue(kKeyCH), false));
        return true;
    }
    return false;
}
