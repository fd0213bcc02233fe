#include "AKStringArray.h"

AKStringArray const& AKNullStringArrayShared()
{
    static AKStringArray const sNullStringArray;
    return sNullStringArray;
}

AKStringArray::AKStringArray(char const* const* strings) { AssignWithCStrings(strings); }

void AKStringArray::AssignWithCStrings(char const* const* strings)
{
    Clear();
    if (strings == nullptr)
        return;
    Reserve(8);
    for (; *strings != nullptr; ++strings)
        Push(AKString(*strings));
}

void AKStringArray::AssignWithCStrings(char const* const* strings, unsigned int count)
{
    Clear();
    if (strings == nullptr || count == 0)
        return;
    Reserve(count);
    for (unsigned int i = 0; i < count; ++i)
        Push(AKString(strings[i]));
}

AKString AKStringArray::ConcatToString(AKString const& separator) const
{
    AKString result;
    result.BuildFromArray(*this, separator);
    return result;
}

void AKStringArray::ToUpperCase()
{
    for (AKString& s : *this)
        s.ToUpperCase();
}

void AKStringArray::ToLowerCase()
{
    for (AKString& s : *this)
        s.ToLowerCase();
}

void AKStringArray::ToCapitalized()
{
    for (AKString& s : *this)
        s.ToCapitalized();
}
