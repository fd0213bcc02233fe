#pragma once

// Node IDs: signed 32-bit numbers naming the nodes of one tree. 0 is no node,
// the root of every tree is 1 and the other nodes of a tree are positive and
// unique. Negative IDs appear only in the link IDs of detached copies, where
// -n stands for the node n of the tree the copy was taken from.

class AKFile;
class AKString;
class AKValue;

typedef int AKNodeID;

constexpr AKNodeID kAKNullNodeID = 0;
constexpr AKNodeID kAKTopRootNodeID = 1;
// The largest ID a node can take: a tree's next ID must stay above every
// node ID, and one more than this still fits.
constexpr AKNodeID kAKNodeIDMax = 0x7FFFFFFE;

// Signed decimal text form; 0 when the text is not a number.
AKNodeID AKNodeIDFromAKString(AKString const& text);
AKString AKStringFromAKNodeID(AKNodeID nodeID);

// File form: a 4-byte signed integer in the given byte order (0: the file's own).
int AKFileReadAKNodeID(AKFile const& file, AKNodeID* nodeID, unsigned int order = 0);
int AKFileWriteAKNodeID(AKFile& file, AKNodeID const& nodeID, unsigned int order = 0);

// Value form: an integer value. Reading accepts only an integer (no
// conversion from text, real or bool) and keeps its low 32 bits; on failure
// the out-parameter is left alone, and the one-argument form answers 0.
bool AKValueGetasAKNodeID(AKValue const& value, AKNodeID* nodeID);
AKNodeID AKValueGetasAKNodeID(AKValue const& value);
AKValue* AKValueSetasAKNodeID(AKValue* value, AKNodeID nodeID);
AKValue AKValueSetasAKNodeID(AKNodeID nodeID);
