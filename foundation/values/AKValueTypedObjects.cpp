// Typed access to values: strings, paths, held objects, UTF-16 units and
// colours.

#include "AKValueTyped.h"

#include "AKTextForms.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// One token of the UTF-16 text form, read as "%X" reads it (blanks, a sign
// and a "0x" prefix allowed, text after the digits ignored); it must give a
// number from 1 to 0x7FFFFFFF, whose low 16 bits are the unit.
bool ReadUniCharToken(AKString const& token, unsigned short* unit)
{
    char const* text = token.c_str();
    char* stop = nullptr;
    errno = 0;
    unsigned long long const number = std::strtoull(text, &stop, 16);
    if (stop == text || errno == ERANGE || number < 1 || number > 0x7FFFFFFFull)
        return false;
    *unit = static_cast<unsigned short>(number & 0xFFFFu);
    return true;
}

}  // namespace

// --- AKString ---

AKValue* AKValueSetasAKString(AKValue* value, AKString const& string)
{
    if (value != nullptr)
        value->SetasAKString(string);
    return value;
}

AKValue AKValueSetasAKString(AKString const& string)
{
    AKValue value;
    value.SetasAKString(string);
    return value;
}

bool AKValueGetasAKString(AKValue const& value, AKString* string, bool /*convert*/)
{
    AKString const* held = value.GetasAKString();
    if (held == nullptr)
        return false;
    if (string != nullptr)
        *string = *held;
    return true;
}

AKString const& AKValueGetasAKString(AKValue const& value)
{
    AKString const* held = value.GetasAKString();
    return held != nullptr ? *held : kAKNullString;
}

// --- AKFilePath ---

AKValue* AKValueSetasAKFilePath(AKValue* value, AKFilePath const& path)
{
    path.WriteToValue(value);
    return value;
}

AKValue AKValueSetasAKFilePath(AKFilePath const& path)
{
    AKValue value;
    path.WriteToValue(&value);
    return value;
}

bool AKValueGetasAKFilePath(AKValue const& value, AKFilePath* path, bool convert)
{
    AKFilePath read;
    bool const ok = read.ReadFromValue(value, convert);
    if (path != nullptr)
        *path = read;  // empty on failure
    return ok;
}

AKFilePath AKValueGetasAKFilePath(AKValue const& value)
{
    AKFilePath path;
    path.ReadFromValue(value, false);
    return path;
}

// --- AKValueArray ---

AKValue* AKValueSetasAKValueArray(AKValue* value, AKValueArray const& array)
{
    if (value != nullptr)
        value->SetasAKValueArray(array);
    return value;
}

AKValue AKValueSetasAKValueArray(AKValueArray const& array)
{
    AKValue value;
    value.SetasAKValueArray(array);
    return value;
}

bool AKValueGetasAKValueArray(AKValue const& value, AKValueArray* array)
{
    if (value.IsEmpty())
        return false;
    AKValueArray const* held = value.GetasAKValueArray();
    if (array != nullptr) {
        if (held == nullptr)
            array->Clear();
        else if (held != array)
            *array = *held;
    }
    return held != nullptr;
}

AKValueArray const& AKValueGetasAKValueArray(AKValue const& value)
{
    AKValueArray const* held = value.GetasAKValueArray();
    return held != nullptr ? *held : kAKNullValueArray;
}

// --- AKDictionary ---

AKValue* AKValueSetasAKDictionary(AKValue* value, AKDictionary const& dictionary)
{
    if (value != nullptr)
        value->SetasAKDictionary(dictionary);
    return value;
}

AKValue AKValueSetasAKDictionary(AKDictionary const& dictionary)
{
    AKValue value;
    value.SetasAKDictionary(dictionary);
    return value;
}

bool AKValueGetasAKDictionary(AKValue const& value, AKDictionary* dictionary)
{
    AKDictionary const* held = value.GetasAKDictionary();
    if (held == nullptr)
        return false;
    if (dictionary != nullptr)
        dictionary->Assign(*held);
    return true;
}

AKDictionary const& AKValueGetasAKDictionary(AKValue const& value)
{
    AKDictionary const* held = value.GetasAKDictionary();
    return held != nullptr ? *held : kAKNullDictionary;
}

// --- Binary ---

AKValue* AKValueSetasBinary(AKValue* value, AKMemoryBlock const& block)
{
    if (value != nullptr)
        value->SetasBinary(block);
    return value;
}

AKValue AKValueSetasBinary(AKMemoryBlock const& block)
{
    AKValue value;
    value.SetasBinary(block);
    return value;
}

bool AKValueGetasBinary(AKValue const& value, AKMemoryBlock* block)
{
    AKMemoryBlock const* held = value.GetasBinary();
    if (held == nullptr)
        return false;
    if (block != nullptr)
        block->Assign(*held);
    return true;
}

AKMemoryBlock const& AKValueGetasBinary(AKValue const& value)
{
    AKMemoryBlock const* held = value.GetasBinary();
    return held != nullptr ? *held : kAKNullMemoryBlock;
}

// --- AKUniChars ---

AKValue* AKValueSetasAKUniChars(AKValue* value, AKUniChars const& chars)
{
    if (value == nullptr)
        return value;
    std::string text;
    text.reserve(static_cast<size_t>(chars.Count()) * 5);
    for (unsigned short unit : chars) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned int>(unit));
        if (!text.empty())
            text += ';';
        text += hex;
    }
    value->SetasAKString(AKString(text));
    return value;
}

AKValue AKValueSetasAKUniChars(AKUniChars const& chars)
{
    AKValue value;
    AKValueSetasAKUniChars(&value, chars);
    return value;
}

bool AKValueGetasAKUniChars(AKValue const& value, AKUniChars* chars)
{
    AKString const* held = value.GetasAKString();
    if (held == nullptr)
        return false;
    AKUniChars read;
    if (!held->IsEmpty()) {
        AKStringArray const tokens = held->SplitToArray();
        read.Reserve(tokens.Count());
        for (AKString const& token : tokens) {
            unsigned short unit = 0;
            if (!ReadUniCharToken(token, &unit))
                return false;
            read.Push(unit);
        }
    }
    if (chars != nullptr)
        *chars = std::move(read);
    return true;
}

AKUniChars AKValueGetasAKUniChars(AKValue const& value)
{
    AKUniChars chars;
    AKValueGetasAKUniChars(value, &chars);
    return chars;
}

// --- AGColor ---

AKValue* AKValueSetasAGColor(AKValue* value, AGColor color)
{
    if (value != nullptr) {
        char text[kAKStrSetasMaxLen];
        value->SetasAKString(AKString(strSetasAGColor(text, color, true)));
    }
    return value;
}

AKValue AKValueSetasAGColor(AGColor color)
{
    AKValue value;
    AKValueSetasAGColor(&value, color);
    return value;
}

bool AKValueGetasAGColor(AKValue const& value, AGColor* color, bool /*convert*/)
{
    AKString const* held = value.GetasAKString();
    AGColor read;
    if (held == nullptr || !strGetasAGColor(held->c_str(), &read, read))
        return false;
    if (color != nullptr)
        *color = read;
    return true;
}

AGColor AKValueGetasAGColor(AKValue const& value, bool convert)
{
    AGColor color = kAGNullColor;
    AKValueGetasAGColor(value, &color, convert);
    return color;
}
