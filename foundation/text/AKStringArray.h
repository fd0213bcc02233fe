#pragma once

// AKStringArray: the engine's list of strings, an ATArray of AKString with a
// few string-list operations on top.

#include "AKString.h"
#include "ATArray.h"

class AKStringArray : public ATArray<AKString>
{
public:
    AKStringArray() = default;
    AKStringArray(ATArray<AKString> const& array) : ATArray<AKString>(array) {}
    AKStringArray(ATArray<AKString>&& array) noexcept : ATArray<AKString>(std::move(array)) {}
    AKStringArray(std::initializer_list<AKString> items) : ATArray<AKString>(items) {}
    // Pushes each C string of a list ended by a null pointer.
    explicit AKStringArray(char const* const* strings);

    // Clears, then pushes each C string of a list ended by a null pointer; a
    // null list leaves the array empty.
    void AssignWithCStrings(char const* const* strings);
    // Clears, then pushes `count` C strings; a null entry gives an empty string.
    void AssignWithCStrings(char const* const* strings, unsigned int count);

    // The elements joined with the separator (see AKString::BuildFromArray).
    AKString ConcatToString(AKString const& separator) const;

    void ToUpperCase();
    void ToLowerCase();
    void ToCapitalized();
};

// The shared empty array, built on first use. Never modified.
AKStringArray const& AKNullStringArrayShared();
#define kAKNullStringArray (AKNullStringArrayShared())
