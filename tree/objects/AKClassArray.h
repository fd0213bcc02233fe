#pragma once

// AKClassArray: a list of registered classes (not owned) with look-ups,
// sorts and conversions to lists of IDs and to text.
//
// In the four conversions an entry that is null or unknown is skipped and
// makes the answer false when `strict` is set; without `strict` it is kept
// (as the null ID, a null class or an empty name) and the answer stays true.

#include "AKClass.h"
#include "AKClassID.h"
#include "AKString.h"
#include "ATArray.h"
#include "ATNumberArray.h"

typedef ATNumberArray<AKClassID, unsigned char, 0> AKClassIDArray;

class AKClassArray : public ATArray<AKClass const*>
{
public:
    using ATArray<AKClass const*>::ATArray;
    AKClassArray() = default;
    AKClassArray(ATArray<AKClass const*> const& array) : ATArray<AKClass const*>(array) {}

    // Linear search; false for null; index -1 when absent.
    bool FindClass(AKClass const* aClass, unsigned int* index) const;
    // Linear search by ID; false for the null ID.
    bool FindClassByID(AKClassID id, unsigned int* index) const;

    // Ascending by ID, in the registry's 64-bit order (null entries first).
    void SortByID();
    // Ascending by display name, byte-wise (null entries first).
    void SortByUserName();

    // The nearest class from which every class of the array derives; the
    // top class for an array without classes; null without a top class.
    AKClass* GetCommonBaseClass() const;

    // The IDs of the classes in order.
    bool GrabClassIDs(AKClassIDArray* ids, bool strict) const;
    // The array becomes the classes of the IDs in order.
    bool FillWithClassIDs(AKClassIDArray const& ids, bool strict);
    // The IDs' names joined by "; ".
    bool GrabAsStringList(AKString* text, bool strict) const;
    // The classes named by a text split at "," and ";" (blanks trimmed), at
    // most 7 characters of each piece taken as an ID.
    bool FillWithStringList(AKString const& text, bool strict);
};

// The shared empty array, built on first use. Never modified.
AKClassArray const& AKNullClassArrayShared();
#define kAKNullClassArray (AKNullClassArrayShared())
