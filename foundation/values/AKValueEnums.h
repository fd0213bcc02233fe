#pragma once

// Word tables: enumerations and flag sets are stored in values, dictionaries
// and files as words, never as numbers, so that a stored setting keeps its
// meaning when the numbers behind it change. A table is a constant array of
// rows {value, word} ended by a row whose word is empty:
//
//     static AKValueEnums const kPenStyleWords[] = {
//         {0, "Solid"}, {1, "Dashed"}, {2, "Dotted"}, {0, ""}};
//
// Rows are searched from the first and the first match wins in both
// directions, so a table may give several words for one number (the first
// is the one written) and accept old words after new ones. Each user owns its
// table. A null table behaves as a table without rows.

#include "AKString.h"

#include <type_traits>

class AKValue;

struct AKValueEnums {
    unsigned int value;
    AKString word;
};

// --- Look-ups ---

// The word of the first row holding the number, or the empty string.
AKString const& AKValueEnumsGetWord(AKValueEnums const* table, unsigned int value);
// True and the number of the first row whose word equals the word byte for
// byte (case included); false, out-parameter untouched, for an unknown or
// empty word.
bool AKValueEnumsGetValue(AKValueEnums const* table, AKString const& word, unsigned int* value);

// The words of a flag set, separated by single spaces. For a set that is not
// 0, the word of every row whose bits are all in the set, in table order: a
// row of value 0 is listed too, a row of several bits only when all of them
// are set. For the set 0, the word of the first row of value 0, or nothing.
AKString AKValueEnumsFlagsToWords(AKValueEnums const* table, unsigned int flags);
// The bitwise or of the rows named by the space-separated words (first match
// per word); unknown words are ignored.
unsigned int AKValueEnumsFlagsFromWords(AKValueEnums const* table, AKString const& words);

// --- Values ---

// The value becomes a string holding the number's word (the empty string when
// no row holds the number). Returns the same pointer.
AKValue* AKValueSetasEnum(AKValue* value, unsigned int number, AKValueEnums const* table);
AKValue AKValueSetasEnum(unsigned int number, AKValueEnums const* table);
// False, out-parameter untouched, when the value is not a string; otherwise
// true with the number of the word, or 0 for an empty or unknown word.
bool AKValueGetasEnum(AKValue const& value, unsigned int* number, AKValueEnums const* table);
// The number, 0 when the value is not a string.
unsigned int AKValueGetasEnum(AKValue const& value, AKValueEnums const* table);

// The value becomes a string holding the set's words (see
// AKValueEnumsFlagsToWords). Returns the same pointer.
AKValue* AKValueSetasFlags(AKValue* value, unsigned int flags, AKValueEnums const* table);
AKValue AKValueSetasFlags(unsigned int flags, AKValueEnums const* table);
// False, out-parameter untouched, when the value is not a string; otherwise
// true with the set named by its words.
bool AKValueGetasFlags(AKValue const& value, unsigned int* flags, AKValueEnums const* table);
// The set, 0 when the value is not a string.
unsigned int AKValueGetasFlags(AKValue const& value, AKValueEnums const* table);

// The getters for other integer and enumeration types: the number is cut to
// the type (its low bits), the out-parameter untouched on failure.
template <class T,
          std::enable_if_t<(std::is_enum_v<T> || std::is_integral_v<T>)&&!std::is_same_v<T, unsigned int>, int> = 0>
bool AKValueGetasEnum(AKValue const& value, T* number, AKValueEnums const* table)
{
    unsigned int read = 0;
    if (!AKValueGetasEnum(value, &read, table))
        return false;
    if (number != nullptr)
        *number = static_cast<T>(read);
    return true;
}

template <class T,
          std::enable_if_t<(std::is_enum_v<T> || std::is_integral_v<T>)&&!std::is_same_v<T, unsigned int>, int> = 0>
bool AKValueGetasFlags(AKValue const& value, T* flags, AKValueEnums const* table)
{
    unsigned int read = 0;
    if (!AKValueGetasFlags(value, &read, table))
        return false;
    if (flags != nullptr)
        *flags = static_cast<T>(read);
    return true;
}
