#pragma once

// An array of plain numeric values T, each made of sizeof(T) / sizeof(C)
// components of the numeric type C. The component type fixes how the
// elements are written to files (a 32-bit count, then every component in the
// file's byte order). The third argument is 0, or 32 for arrays of 32-bit
// numbers and identifiers; no operation depends on it.

#include "ATArray.h"

#include <cstring>
#include <type_traits>

template <class T, class C, int N>
class ATNumberArray : public ATArray<T>
{
    static_assert(std::is_trivially_copyable_v<T>, "elements are stored and written as raw components");
    static_assert(std::is_arithmetic_v<C>, "components are numbers");
    static_assert(sizeof(T) % sizeof(C) == 0, "an element is a whole number of components");

public:
    using ItemType = T;
    using ComponentType = C;
    static constexpr unsigned int kComponentsPerItem = sizeof(T) / sizeof(C);

    using ATArray<T>::ATArray;
    ATNumberArray() = default;
    ATNumberArray(ATArray<T> const& array) : ATArray<T>(array) {}

    // Total number of components held.
    unsigned int ComponentCount() const { return this->Count() * kComponentsPerItem; }
    C* ComponentData() { return reinterpret_cast<C*>(this->Data()); }
    C const* ComponentData() const { return reinterpret_cast<C const*>(this->Data()); }

    // The array becomes the values of a list ended by a value equal to 0; a
    // null list, or one whose first value is 0, leaves it empty.
    void AssignWithRawValues(T const* values)
    {
        this->Clear();
        this->Reserve(10);
        if (values == nullptr)
            return;
        for (; !IsZero(*values); ++values)
            this->Push(*values);
    }

private:
    static bool IsZero(T const& value)
    {
        if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T> || std::is_pointer_v<T>) {
            return value == T();
        } else {
            // Records: every byte zero.
            unsigned char zero[sizeof(T)] = {};
            return std::memcmp(&value, zero, sizeof(T)) == 0;
        }
    }
};
