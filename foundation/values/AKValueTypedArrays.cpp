// Typed access to values: arrays of numbers, strings, paths, colours and
// points, each held as a value array of its elements' forms.

#include "AKValueTyped.h"

#include <type_traits>
#include <utility>

namespace {

// Builds the value array of the elements' forms.
template <class Array, class WriteOne>
AKValue* SetArray(AKValue* value, Array const& array, WriteOne writeOne)
{
    if (value == nullptr)
        return value;
    AKValueArray items;
    items.Reserve(array.Count());
    for (auto const& element : array) {
        AKValue item;
        writeOne(&item, element);
        items.Push(std::move(item));
    }
    value->SetasAKValueArray(items);
    return value;
}

// The array getters' rule: the empty value fails and changes nothing; any
// other value empties the out-array first, which then receives the elements
// only when the value is an array whose every element reads.
template <class Array, class ReadOne>
bool GetArray(AKValue const& value, Array* array, ReadOne readOne)
{
    using Item = std::remove_reference_t<decltype(std::declval<Array&>()[0])>;
    if (value.IsEmpty())
        return false;
    Array read;
    bool ok = false;
    if (AKValueArray const* items = value.GetasAKValueArray()) {
        ok = true;
        read.Reserve(items->Count());
        for (AKValue const& item : *items) {
            Item element{};
            if (!readOne(item, &element)) {
                ok = false;
                break;
            }
            read.Push(element);
        }
    }
    if (array != nullptr) {
        if (ok)
            *array = std::move(read);
        else
            array->Clear();
    }
    return ok;
}

}  // namespace

// --- AKUIntArray ---

AKValue* AKValueSetasAKUIntArray(AKValue* value, AKUIntArray const& array)
{
    return SetArray(value, array, [](AKValue* item, unsigned int number) { AKValueSetasUInt(item, number); });
}

AKValue AKValueSetasAKUIntArray(AKUIntArray const& array)
{
    AKValue value;
    AKValueSetasAKUIntArray(&value, array);
    return value;
}

bool AKValueGetasAKUIntArray(AKValue const& value, AKUIntArray* array, bool convert)
{
    return GetArray(value, array, [convert](AKValue const& item, unsigned int* number) {
        return AKValueGetasUInt(item, number, convert);
    });
}

AKUIntArray AKValueGetasAKUIntArray(AKValue const& value, bool convert)
{
    AKUIntArray array;
    AKValueGetasAKUIntArray(value, &array, convert);
    return array;
}

// --- AKStringArray ---

AKValue* AKValueSetasAKStringArray(AKValue* value, AKStringArray const& array)
{
    return SetArray(value, array, [](AKValue* item, AKString const& string) { item->SetasAKString(string); });
}

AKValue AKValueSetasAKStringArray(AKStringArray const& array)
{
    AKValue value;
    AKValueSetasAKStringArray(&value, array);
    return value;
}

bool AKValueGetasAKStringArray(AKValue const& value, AKStringArray* array)
{
    return GetArray(value, array,
                    [](AKValue const& item, AKString* string) { return AKValueGetasAKString(item, string); });
}

AKStringArray AKValueGetasAKStringArray(AKValue const& value)
{
    AKStringArray array;
    AKValueGetasAKStringArray(value, &array);
    return array;
}

// --- AKFilePathArray ---

AKValue* AKValueSetasAKFilePathArray(AKValue* value, AKFilePathArray const& array)
{
    return SetArray(value, array, [](AKValue* item, AKFilePath const& path) { path.WriteToValue(item); });
}

AKValue AKValueSetasAKFilePathArray(AKFilePathArray const& array)
{
    AKValue value;
    AKValueSetasAKFilePathArray(&value, array);
    return value;
}

bool AKValueGetasAKFilePathArray(AKValue const& value, AKFilePathArray* array)
{
    return GetArray(value, array,
                    [](AKValue const& item, AKFilePath* path) { return path->ReadFromValue(item, false); });
}

AKFilePathArray AKValueGetasAKFilePathArray(AKValue const& value)
{
    AKFilePathArray array;
    AKValueGetasAKFilePathArray(value, &array);
    return array;
}

// --- AGColorArray ---

AKValue* AKValueSetasAGColorArray(AKValue* value, AGColorArray const& array)
{
    return SetArray(value, array, [](AKValue* item, AGColor color) { AKValueSetasAGColor(item, color); });
}

AKValue AKValueSetasAGColorArray(AGColorArray const& array)
{
    AKValue value;
    AKValueSetasAGColorArray(&value, array);
    return value;
}

bool AKValueGetasAGColorArray(AKValue const& value, AGColorArray* array)
{
    return GetArray(value, array,
                    [](AKValue const& item, AGColor* color) { return AKValueGetasAGColor(item, color, false); });
}

AGColorArray AKValueGetasAGColorArray(AKValue const& value)
{
    AGColorArray array;
    AKValueGetasAGColorArray(value, &array);
    return array;
}

// --- AGPointArray ---

AKValue* AKValueSetasAGPointArray(AKValue* value, AGPointArray const& array)
{
    return SetArray(value, array, [](AKValue* item, AGPoint const& point) { AKValueSetasAGPoint(item, point); });
}

AKValue AKValueSetasAGPointArray(AGPointArray const& array)
{
    AKValue value;
    AKValueSetasAGPointArray(&value, array);
    return value;
}

bool AKValueGetasAGPointArray(AKValue const& value, AGPointArray* array, bool convert)
{
    return GetArray(value, array, [convert](AKValue const& item, AGPoint* point) {
        return AKValueGetasAGPoint(item, point, convert);
    });
}

AGPointArray AKValueGetasAGPointArray(AKValue const& value, bool convert)
{
    AGPointArray array;
    AKValueGetasAGPointArray(value, &array, convert);
    return array;
}
