#pragma once

// AKNSClientID: a display client of a tree's node states. The client index,
// 1 to 32, sits in the high 32 bits and the client's bit, 1 shifted left by
// (index - 1), in the low 32 bits. An ID whose index is outside 1 to 32 is
// invalid: queries answer false (or 0) and changes do nothing. Index 1 is the
// tree's own client; the views register and get indexes 2 to 32.

typedef unsigned long long AKNSClientID;
// A set of client bits, one per client index.
typedef unsigned int AKNSClientFG;

constexpr AKNSClientID kAKNullNSClientID = 0;
constexpr AKNSClientFG kAKNullNSClientFG = 0;
constexpr AKNSClientFG kAKAllNSClientFG = 0xFFFFFFFFu;

constexpr unsigned int kAKNSClientMaxCount = 32;
// The tree's own client, used by the selection builders to mark nodes.
constexpr unsigned int kAKTreeNSClientIndex = 1;

// The ID of a client index; the null ID for an index outside 1 to 32.
constexpr AKNSClientID AKNSClientIDOfIndex(unsigned int index)
{
    return index >= 1 && index <= kAKNSClientMaxCount
               ? (static_cast<AKNSClientID>(index) << 32) | (AKNSClientID(1) << (index - 1))
               : kAKNullNSClientID;
}

constexpr AKNSClientID kAKTreeNSClientID = AKNSClientIDOfIndex(kAKTreeNSClientIndex);  // 0x100000001

constexpr unsigned int AKNSClientIndexOf(AKNSClientID id) { return static_cast<unsigned int>(id >> 32); }

constexpr bool AKNSClientIsValid(AKNSClientID id)
{
    return AKNSClientIndexOf(id) >= 1 && AKNSClientIndexOf(id) <= kAKNSClientMaxCount;
}

// The client's bit, taken from its index; 0 for an invalid ID.
constexpr AKNSClientFG AKNSClientFlagOf(AKNSClientID id)
{
    return AKNSClientIsValid(id) ? AKNSClientFG(1) << (AKNSClientIndexOf(id) - 1) : kAKNullNSClientFG;
}
