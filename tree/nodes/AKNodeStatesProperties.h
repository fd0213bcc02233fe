#pragma once

// Node-state property records: one node's states stored as a dictionary
// value of an array, {"ID": node ID, "NS": bit 0 the first flag, bit 1 the
// second, "CH": the channel number, only when it is not 0}. Which states the
// two flags carry is the caller's choice.

#include "AKNodeID.h"

class AKValueArray;

void SetNStateToProperties(AKValueArray& records, AKNodeID nodeID, bool flag0, bool flag1, unsigned char chanum);
// The first record of the node; false (outputs untouched) when there is
// none. Each given output receives its part, the channel number 0 when absent.
bool GetNStateFromProperties(AKValueArray const& records, AKNodeID nodeID, bool* flag0, bool* flag1,
                             unsigned char* chanum);
