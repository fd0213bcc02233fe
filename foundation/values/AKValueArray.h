#pragma once

// AKValueArray: an ordered list of values in insertion order, with the array
// template's operations (push, clear, count, access by index). Copying an
// array copies every value deeply.
//
// Binary chunk form 'arry': the chunk header, an unsigned 32-bit count, then
// each element's own value chunk in index order.

#include "AKValue.h"
#include "ATArray.h"

#include <initializer_list>
#include <utility>

class AKValueArray : public ATArray<AKValue>
{
public:
    AKValueArray() = default;
    AKValueArray(ATArray<AKValue> const& array) : ATArray<AKValue>(array) {}
    AKValueArray(ATArray<AKValue>&& array) noexcept : ATArray<AKValue>(std::move(array)) {}
    AKValueArray(std::initializer_list<AKValue> items) : ATArray<AKValue>(items) {}

    // Same count and, index by index, AKValue::IsEqual; an array equals itself.
    bool IsEqual(AKValueArray const& other) const;
    bool operator==(AKValueArray const& other) const { return IsEqual(other); }
    bool operator!=(AKValueArray const& other) const { return !IsEqual(other); }

    // Reads an 'arry' chunk: a different signature fails with
    // kAKErrorChunkUnknownSignature; on any failure the array is left empty.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;

    // Prints nothing; kept for the callers that trace values.
    void DebugPrint(unsigned int indent) const;

private:
    friend class AKValue;

    // The array's XML property-list element (written with the XML forms).
    int XmlReadFromElement(TiXmlElement const* element);
    int XmlWriteToElement(TiXmlNode* parent) const;
};

// The shared empty array, built on first use. Never modified.
AKValueArray const& AKNullValueArrayShared();
#define kAKNullValueArray (AKNullValueArrayShared())
