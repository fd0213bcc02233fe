#pragma once

// QVPrefMember: one registered setting of a preferences owner (QVPrefs,
// QVDocPrefs). The setting itself stays an ordinary typed field of the
// owner; the member records how to reach it, as an offset from the owner's
// registry (QVPrefMemberArray), never as a pointer. A member-wise copy of an
// owner therefore describes the copy's own fields: every operation here is
// given the address of the registry it belongs to (`base`).
//
// Save tag bits:
//   0x02       never read from nor written to a dictionary (still set by
//              parameters strings, compared and logged)
//   0x04       left out of equality tests
//   0xF0       group bits, matched by the tag filter of dictionary reading
//              and writing
//
// The value kinds in dictionaries: a boolean for bool; an integer for the
// unsigned, signed and colour types (the colour as its 32-bit pattern); a
// real for both float types; a string for strings and paths; the interval's
// dictionary of reals.

#include "AKDictionary.h"
#include "AKString.h"

#include <cstdint>

// The nine value types; the log words are "bool", "UInt", "SInt",
// "Float32", "Float64", "AKString", "AKFilePath", "AGColor", "AGInterval".
enum : uint32_t {
    kQVPrefTypeBool = 1,
    kQVPrefTypeUInt = 2,
    kQVPrefTypeSInt = 3,
    kQVPrefTypeFloat32 = 4,
    kQVPrefTypeFloat64 = 5,
    kQVPrefTypeAKString = 6,
    kQVPrefTypeAKFilePath = 7,
    kQVPrefTypeAGColor = 8,
    kQVPrefTypeAGInterval = 9,
};

constexpr uint32_t kQVPrefTagNotSaved = 0x02;
constexpr uint32_t kQVPrefTagNotCompared = 0x04;
constexpr uint32_t kQVPrefTagGroupMask = 0xF0;

class QVPrefMember
{
public:
    QVPrefMember() = default;
    QVPrefMember(AKString const& parameterName, AKString const& key, uint32_t saveTag, uint32_t valueType,
                 int32_t valueOffset);

    // The name used in parameters strings ("Gui_FramesPerSecond").
    AKString const& GetParameterName() const { return mParameterName; }
    // The dictionary key ("Gui.FramesPerSecond").
    AKString const& GetKey() const { return mKey; }
    uint32_t GetSaveTag() const { return mSaveTag; }
    uint32_t GetValueType() const { return mValueType; }
    int32_t GetValueOffset() const { return mValueOffset; }

    // Whether dictionary reading and writing with that filter take this
    // member: never with tag bit 0x02; every member when the filter has no
    // group bit; else a member without group bits or sharing one.
    bool IsSaveTag(uint32_t filter) const;

    // Compares this member's field (from base) with the other member's
    // field (from otherBase). Tag bit 0x04 makes it equal; floats compare by
    // value (a NaN is never equal); an unknown type is unequal.
    bool IsEqualMemberValue(void const* base, void const* otherBase, QVPrefMember const& other) const;

    // Reads the value under the key when the filter takes the member and the
    // value has this type's kind (an unsigned refuses a negative number);
    // otherwise the field keeps its value. Returns 0.
    int ReadFromDictionary(void* base, AKDictionary const& dictionary, uint32_t filter);
    // Stores the field under the key when the filter takes the member.
    // Returns 0.
    int WriteToDictionary(void const* base, AKDictionary* dictionary, uint32_t filter) const;

    // Converts a parameters-string value: bool 0 or 1 only; an unsigned not
    // negative; numbers as the text readers read them; strings and paths
    // as they are; colours and intervals in their text forms. True when the
    // field took the value; false keeps it.
    bool SetupFromStringValue(void* base, char const* text);

    // The value as the log shows it: "true"/"false", "%d", "%f", "%lf",
    // quoted text, the colour and interval text forms.
    AKString GetValueDescription(void const* base) const;
    // One log line: name, type word and value, "%-36s %-12s %s\n".
    void LogDescription(void const* base) const;

    // The log word of a type ("?" for an unknown type).
    static char const* GetTypeWord(uint32_t valueType);

private:
    template <class T>
    T* Field(void* base) const
    {
        return reinterpret_cast<T*>(static_cast<char*>(base) + mValueOffset);
    }
    template <class T>
    T const* Field(void const* base) const
    {
        return reinterpret_cast<T const*>(static_cast<char const*>(base) + mValueOffset);
    }

    AKString mParameterName;
    AKString mKey;
    uint32_t mSaveTag = 0;
    uint32_t mValueType = 0;
    int32_t mValueOffset = 0;
};
