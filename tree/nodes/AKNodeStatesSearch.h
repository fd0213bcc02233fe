#pragma once

// AKSearchObjectsParam: a search of objects by class and by name, used to
// select the children of a node (AKNodeNState::SetChildrenSelectionSearch).

#include "AKClassID.h"
#include "AKString.h"

class AKNode;
class AKObject;

// What a search does to the selection.
constexpr unsigned int kAKSearchModeReplace = 0;
constexpr unsigned int kAKSearchModeAdd = 1;
constexpr unsigned int kAKSearchModeRestrict = 2;

// How the name is compared with the text.
constexpr unsigned int kAKSearchNameEquals = 0;
constexpr unsigned int kAKSearchNameContains = 1;

class AKSearchObjectsParam
{
public:
    AKSearchObjectsParam() = default;

    // Whether the search can run: a known mode; by class with a class ID;
    // by name with a text and a known name match; at least one of the two.
    bool CanSearch() const;
    // Whether the object matches every test asked for (false for null).
    bool ObjectMatch(AKObject const* object) const;
    // The same with the node's object (false for a null node).
    bool ObjectMatch(AKNode const* node) const;
    void DebugPrint() const {}

    unsigned int fMode = kAKSearchModeReplace;
    bool fByClass = true;
    AKClassID fClassID;
    bool fByName = true;
    unsigned int fNameMatch = kAKSearchNameEquals;
    AKString fName;
    bool fCaseSensitive = true;
};
