// Word tables and the enumeration and flag-set forms of values.

#include "AKValueEnums.h"

#include "AKValue.h"

#include <string>
#include <string_view>

namespace {

bool IsEnd(AKValueEnums const* row) { return row->word.IsEmpty(); }

// The number of the first row whose word equals the bytes, for words cut
// out of a longer text without copying them.
bool FindValue(AKValueEnums const* table, std::string_view word, unsigned int* value)
{
    if (table == nullptr || word.empty())
        return false;
    for (AKValueEnums const* row = table; !IsEnd(row); ++row) {
        if (std::string_view(row->word.StdString()) == word) {
            *value = row->value;
            return true;
        }
    }
    return false;
}

}  // namespace

AKString const& AKValueEnumsGetWord(AKValueEnums const* table, unsigned int value)
{
    if (table == nullptr)
        return kAKNullString;
    for (AKValueEnums const* row = table; !IsEnd(row); ++row) {
        if (row->value == value)
            return row->word;
    }
    return kAKNullString;
}

bool AKValueEnumsGetValue(AKValueEnums const* table, AKString const& word, unsigned int* value)
{
    unsigned int found = 0;
    if (!FindValue(table, word.StdString(), &found))
        return false;
    if (value != nullptr)
        *value = found;
    return true;
}

AKString AKValueEnumsFlagsToWords(AKValueEnums const* table, unsigned int flags)
{
    if (flags == 0)
        return AKValueEnumsGetWord(table, 0);
    std::string words;
    if (table == nullptr)
        return AKString(words);
    for (AKValueEnums const* row = table; !IsEnd(row); ++row) {
        if ((row->value & flags) != row->value)
            continue;
        if (!words.empty())
            words += ' ';
        words += row->word.StdString();
    }
    return AKString(words);
}

unsigned int AKValueEnumsFlagsFromWords(AKValueEnums const* table, AKString const& words)
{
    std::string_view rest(words.StdString());
    unsigned int flags = 0;
    while (!rest.empty()) {
        size_t const space = rest.find(' ');
        std::string_view const token = rest.substr(0, space);
        unsigned int bits = 0;
        if (FindValue(table, token, &bits))
            flags |= bits;
        if (space == std::string_view::npos)
            break;
        rest.remove_prefix(space + 1);
    }
    return flags;
}

AKValue* AKValueSetasEnum(AKValue* value, unsigned int number, AKValueEnums const* table)
{
    if (value != nullptr)
        value->SetasAKString(AKValueEnumsGetWord(table, number));
    return value;
}

AKValue AKValueSetasEnum(unsigned int number, AKValueEnums const* table)
{
    AKValue value;
    AKValueSetasEnum(&value, number, table);
    return value;
}

bool AKValueGetasEnum(AKValue const& value, unsigned int* number, AKValueEnums const* table)
{
    AKString const* word = value.GetasAKString();
    if (word == nullptr)
        return false;
    unsigned int found = 0;
    FindValue(table, word->StdString(), &found);  // an unknown word reads as 0
    if (number != nullptr)
        *number = found;
    return true;
}

unsigned int AKValueGetasEnum(AKValue const& value, AKValueEnums const* table)
{
    unsigned int number = 0;
    AKValueGetasEnum(value, &number, table);
    return number;
}

AKValue* AKValueSetasFlags(AKValue* value, unsigned int flags, AKValueEnums const* table)
{
    if (value != nullptr)
        value->SetasAKString(AKValueEnumsFlagsToWords(table, flags));
    return value;
}

AKValue AKValueSetasFlags(unsigned int flags, AKValueEnums const* table)
{
    AKValue value;
    AKValueSetasFlags(&value, flags, table);
    return value;
}

bool AKValueGetasFlags(AKValue const& value, unsigned int* flags, AKValueEnums const* table)
{
    AKString const* words = value.GetasAKString();
    if (words == nullptr)
        return false;
    unsigned int const read = AKValueEnumsFlagsFromWords(table, *words);
    if (flags != nullptr)
        *flags = read;
    return true;
}

unsigned int AKValueGetasFlags(AKValue const& value, AKValueEnums const* table)
{
    unsigned int flags = 0;
    AKValueGetasFlags(value, &flags, table);
    return flags;
}
