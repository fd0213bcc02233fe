#include "AKArgumentList.h"

#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

AKArgs::AKArgs(int argc, char const* const* argv)
{
    if (argv == nullptr || argc <= 0)
        return;
    mArgs.Reserve(static_cast<unsigned int>(argc));
    for (int i = 0; i < argc; ++i)
        mArgs.Push(AKString(argv[i]));
}

AKArgs::AKArgs(AKString const& text, bool removeQuotes) { Split(text.c_str(), text.Length(), removeQuotes); }

AKArgs::AKArgs(char const* text, bool removeQuotes)
{
    if (text != nullptr)
        Split(text, static_cast<unsigned int>(std::char_traits<char>::length(text)), removeQuotes);
}

void AKArgs::Split(char const* text, unsigned int length, bool removeQuotes)
{
    unsigned int pos = 0;
    for (;;) {
        while (pos < length && IsBlank(text[pos]))
            ++pos;
        if (pos >= length)
            return;
        std::string arg;
        bool quoted = false;
        for (; pos < length && (quoted || !IsBlank(text[pos])); ++pos) {
            char c = text[pos];
            if (c == '"') {
                quoted = !quoted;
                if (removeQuotes)
                    continue;
            }
            arg.push_back(c);
        }
        mArgs.Push(AKString(arg));
    }
}

char const* AKArgs::argv(int index) const
{
    if (index < 0 || static_cast<unsigned int>(index) >= mArgs.Count())
        return nullptr;
    return mArgs[static_cast<unsigned int>(index)].c_str();
}

AKString const& AKArgs::GetArg(unsigned int index) const
{
    return index < mArgs.Count() ? mArgs[index] : kAKNullString;
}

bool AKArgs::IsParam(AKString const& prefix) const
{
    for (AKString const& arg : mArgs) {
        if (arg.StartsWith(prefix))
            return true;
    }
    return false;
}

AKString AKArgs::GetParam(AKString const& prefix) const
{
    AKString rest;
    GetParam(prefix, &rest);
    return rest;
}

bool AKArgs::GetParam(AKString const& prefix, AKString* outRest) const
{
    if (mArgs.IsEmpty())
        return false;
    for (AKString const& arg : mArgs) {
        if (arg.StartsWith(prefix)) {
            // Measured before writing: the out-string may be the prefix itself.
            unsigned int const skip = prefix.Length();
            if (outRest != nullptr)
                *outRest = AKString(arg.c_str() + skip, arg.Length() - skip);
            return true;
        }
    }
    if (outRest != nullptr)
        outRest->Clear();
    return false;
}
