#include "QVPrefMemberArray.h"

#include "AKLog.h"
#include "AKStamps.h"

#include <algorithm>
#include <string>

QVPrefMemberArray::QVPrefMemberArray() : mChangeStamp(kAKNullStampVers) {}

void QVPrefMemberArray::Register(AKString const& name, AKString const& key, void const* location, uint32_t type,
                                 uint32_t tag)
{
    auto const offset = static_cast<char const*>(location) - reinterpret_cast<char const*>(this);
    mMembers.Push(QVPrefMember(name, key, tag, type, static_cast<int32_t>(offset)));
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, bool* location, uint32_t tag)
{
    *location = false;
    Register(name, key, location, kQVPrefTypeBool, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, unsigned int* location, uint32_t tag)
{
    *location = 0;
    Register(name, key, location, kQVPrefTypeUInt, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, int* location, uint32_t tag)
{
    *location = 0;
    Register(name, key, location, kQVPrefTypeSInt, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, float* location, uint32_t tag)
{
    *location = 0.0f;
    Register(name, key, location, kQVPrefTypeFloat32, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, double* location, uint32_t tag)
{
    *location = 0.0;
    Register(name, key, location, kQVPrefTypeFloat64, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, AKString* location, uint32_t tag)
{
    Register(name, key, location, kQVPrefTypeAKString, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, AKFilePath* location, uint32_t tag)
{
    Register(name, key, location, kQVPrefTypeAKFilePath, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, AGColor* location, uint32_t tag)
{
    *location = AGColor();
    Register(name, key, location, kQVPrefTypeAGColor, tag);
}

void QVPrefMemberArray::RegisterMember(AKString const& name, AKString const& key, AGInterval* location, uint32_t tag)
{
    *location = kAGNullInterval;
    Register(name, key, location, kQVPrefTypeAGInterval, tag);
}

int QVPrefMemberArray::ReadFromDictionary(AKDictionary const& dictionary, uint32_t filter)
{
    if (dictionary.IsEmpty())
        return 0;
    for (QVPrefMember& member : mMembers)
        member.ReadFromDictionary(this, dictionary, filter);
    return 0;
}

int QVPrefMemberArray::WriteToDictionary(AKDictionary* dictionary, uint32_t filter) const
{
    for (QVPrefMember const& member : mMembers)
        member.WriteToDictionary(this, dictionary, filter);
    return 0;
}

bool QVPrefMemberArray::AreEqualMemberValues(QVPrefMemberArray const& other) const
{
    if (&other == this)
        return true;
    if (other.Count() != Count())
        return false;
    for (unsigned int i = 0; i < Count(); ++i) {
        if (!mMembers[i].IsEqualMemberValue(this, &other, other.mMembers[i]))
            return false;
    }
    return true;
}

QVPrefMember const* QVPrefMemberArray::FindMemberByName(AKString const& name) const
{
    if (name.IsEmpty())
        return nullptr;
    for (QVPrefMember const& member : mMembers) {
        if (member.GetParameterName() == name)
            return &member;
    }
    return nullptr;
}

QVPrefMember* QVPrefMemberArray::FindMutableMemberByName(AKString const& name)
{
    return const_cast<QVPrefMember*>(FindMemberByName(name));
}

namespace {

std::string Trimmed(std::string const& text)
{
    char const* const kBlanks = " \n\r\t";
    size_t const first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t const last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

}  // namespace

bool QVPrefMemberArray::SetupFromParametersString(char const* text)
{
    if (text == nullptr || *text == '\0')
        return false;

    std::string compact(text);
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());

    bool applied = false;
    size_t start = 0;
    while (start <= compact.size()) {
        size_t end = compact.find(';', start);
        if (end == std::string::npos)
            end = compact.size();
        std::string const element = Trimmed(compact.substr(start, end - start));
        start = end + 1;
        if (element.empty())
            continue;

        size_t const equal = element.find('=');
        AKString const name(equal == std::string::npos ? std::string() : element.substr(0, equal));
        std::string const value = equal == std::string::npos ? std::string() : element.substr(equal + 1);
        QVPrefMember* const member = FindMutableMemberByName(name);
        if (member == nullptr) {
            AKLogWarning(kQVWarningUProcOptionKeyUnknown, "Unknown parameter \"%s\"", element.c_str());
            continue;
        }
        if (!member->SetupFromStringValue(this, value.c_str())) {
            AKLogWarning(kQVWarningUProcOptionWrongType, "Wrong value for parameter \"%s\"", element.c_str());
            continue;
        }
        applied = true;
    }
    return applied;
}

void QVPrefMemberArray::LogDescriptions() const
{
    for (QVPrefMember const& member : mMembers)
        member.LogDescription(this);
}
