// AKValue: lifetime, setters, object getters and equality. The number
// conversions are in AKValueConvert.cpp, the chunk form in AKValueChunk.cpp,
// the arrays' own members in AKValueArray.cpp.

#include "AKValue.h"

#include "AKDictionary.h"
#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKValueArray.h"

#include <type_traits>
#include <utility>

static_assert(sizeof(double) == 8 && sizeof(long long) == 8, "inline payloads are 8 bytes");
static_assert(std::is_nothrow_move_constructible<AKValue>::value, "values move without copying");
static_assert(std::is_nothrow_move_constructible<AKDictionary>::value, "dictionaries move without copying");
static_assert(std::is_nothrow_move_constructible<AKMemoryBlock>::value, "blocks move without copying");

AKValue const& AKNullValueShared()
{
    static AKValue const sNull;
    return sNull;
}

AKValue::AKValue(AKValue const& other)
{
    switch (other.fTag) {
    case kAKValueTagBool:
        fPayload.fBool = other.fPayload.fBool;
        break;
    case kAKValueTagInteger:
        fPayload.fInteger = other.fPayload.fInteger;
        break;
    case kAKValueTagReal:
        fPayload.fReal = other.fPayload.fReal;
        break;
    case kAKValueTagString:
        fPayload.fString = new AKString(*other.fPayload.fString);
        break;
    case kAKValueTagArray:
        fPayload.fArray = new AKValueArray(*other.fPayload.fArray);
        break;
    case kAKValueTagDictionary:
        fPayload.fDictionary = new AKDictionary(*other.fPayload.fDictionary);
        break;
    case kAKValueTagBinary:
        fPayload.fBinary = new AKMemoryBlock(*other.fPayload.fBinary);
        break;
    default:
        // The empty value, and any tag this system does not know.
        return;
    }
    fTag = other.fTag;
}

AKValue::AKValue(AKValue&& other) noexcept : fTag(other.fTag), fPayload(other.fPayload)
{
    other.fTag = kAKValueTagEmpty;
    other.fPayload.fInteger = 0;
}

AKValue::~AKValue() { Clear(); }

AKValue& AKValue::operator=(AKValue&& other) noexcept
{
    if (&other != this) {
        AKValue taken(std::move(other));
        Swap(&taken);
    }
    return *this;
}

AKValue& AKValue::Assign(AKValue const& other)
{
    if (&other == this)
        return *this;
    // Copy before releasing: the source may live inside this value's payload.
    AKValue copy(other);
    Swap(&copy);
    return *this;
}

void AKValue::Clear()
{
    switch (fTag) {
    case kAKValueTagString:
        delete fPayload.fString;
        break;
    case kAKValueTagArray:
        delete fPayload.fArray;
        break;
    case kAKValueTagDictionary:
        delete fPayload.fDictionary;
        break;
    case kAKValueTagBinary:
        delete fPayload.fBinary;
        break;
    default:
        break;
    }
    fTag = kAKValueTagEmpty;
    fPayload.fInteger = 0;
}

void AKValue::Swap(AKValue* other) noexcept
{
    std::swap(fTag, other->fTag);
    std::swap(fPayload, other->fPayload);
}

// --- Setters ---

void AKValue::SetasBool(bool value)
{
    Clear();
    fTag = kAKValueTagBool;
    fPayload.fBool = value;
}

void AKValue::SetasInteger(long long value)
{
    Clear();
    fTag = kAKValueTagInteger;
    fPayload.fInteger = value;
}

void AKValue::SetasFloat(double value)
{
    Clear();
    fTag = kAKValueTagReal;
    fPayload.fReal = value;
}

// The copy is made before the old payload goes, since the argument may live
// inside it (a string held by a dictionary this value holds, for example).
void AKValue::SetasAKString(AKString const& value)
{
    if (fTag == kAKValueTagString && fPayload.fString == &value)
        return;
    AKString* copy = new AKString(value);
    Clear();
    fTag = kAKValueTagString;
    fPayload.fString = copy;
}

void AKValue::SetasAKValueArray(AKValueArray const& value)
{
    if (fTag == kAKValueTagArray && fPayload.fArray == &value)
        return;
    AKValueArray* copy = new AKValueArray(value);
    Clear();
    fTag = kAKValueTagArray;
    fPayload.fArray = copy;
}

void AKValue::SetasAKDictionary(AKDictionary const& value)
{
    if (fTag == kAKValueTagDictionary && fPayload.fDictionary == &value)
        return;
    AKDictionary* copy = new AKDictionary(value);
    Clear();
    fTag = kAKValueTagDictionary;
    fPayload.fDictionary = copy;
}

void AKValue::SetasBinary(AKMemoryBlock const& value)
{
    if (fTag == kAKValueTagBinary && fPayload.fBinary == &value)
        return;
    AKMemoryBlock* copy = new AKMemoryBlock(value);
    Clear();
    fTag = kAKValueTagBinary;
    fPayload.fBinary = copy;
}

// --- Object getters ---

bool AKValue::GetasAKString(AKString* value) const
{
    if (fTag != kAKValueTagString)
        return false;
    if (value != fPayload.fString)
        *value = *fPayload.fString;
    return true;
}

bool AKValue::GetasAKValueArray(AKValueArray* value) const
{
    if (fTag != kAKValueTagArray)
        return false;
    if (value != fPayload.fArray)
        *value = *fPayload.fArray;
    return true;
}

bool AKValue::GetasAKDictionary(AKDictionary* value) const
{
    if (fTag != kAKValueTagDictionary)
        return false;
    if (value != fPayload.fDictionary)
        value->Assign(*fPayload.fDictionary);
    return true;
}

bool AKValue::GetasBinary(AKMemoryBlock* value) const
{
    if (fTag != kAKValueTagBinary)
        return false;
    value->Assign(*fPayload.fBinary);
    return true;
}

AKString const* AKValue::GetasAKString() const { return fTag == kAKValueTagString ? fPayload.fString : nullptr; }

AKValueArray const* AKValue::GetasAKValueArray() const { return fTag == kAKValueTagArray ? fPayload.fArray : nullptr; }

AKDictionary const* AKValue::GetasAKDictionary() const
{
    return fTag == kAKValueTagDictionary ? fPayload.fDictionary : nullptr;
}

AKMemoryBlock const* AKValue::GetasBinary() const { return fTag == kAKValueTagBinary ? fPayload.fBinary : nullptr; }

AKString* AKValue::GetasAKString() { return fTag == kAKValueTagString ? fPayload.fString : nullptr; }

AKValueArray* AKValue::GetasAKValueArray() { return fTag == kAKValueTagArray ? fPayload.fArray : nullptr; }

AKDictionary* AKValue::GetasAKDictionary() { return fTag == kAKValueTagDictionary ? fPayload.fDictionary : nullptr; }

AKMemoryBlock* AKValue::GetasBinary() { return fTag == kAKValueTagBinary ? fPayload.fBinary : nullptr; }

// --- Equality ---

bool AKValue::IsEqual(AKValue const& other) const
{
    if (&other == this)
        return true;
    if (fTag != other.fTag)
        return false;
    switch (fTag) {
    case kAKValueTagEmpty:
        return true;
    case kAKValueTagBool:
        return fPayload.fBool == other.fPayload.fBool;
    case kAKValueTagInteger:
        return fPayload.fInteger == other.fPayload.fInteger;
    case kAKValueTagReal:
        return fPayload.fReal == other.fPayload.fReal;
    case kAKValueTagString:
        return *fPayload.fString == *other.fPayload.fString;
    case kAKValueTagArray:
        return fPayload.fArray->IsEqual(*other.fPayload.fArray);
    case kAKValueTagDictionary:
        return fPayload.fDictionary->IsEqual(*other.fPayload.fDictionary);
    case kAKValueTagBinary:
        return fPayload.fBinary->IsEqual(*other.fPayload.fBinary);
    default:
        return false;
    }
}

void AKValue::DebugPrint(unsigned int) const {}
