#pragma once

#include "AKString.h"
#include "AKStringArray.h"

// AKArgs: an ordered list of argument strings, from a process's argc/argv or
// split from one command text. It carries the engine's options, written as a
// key with a leading minus and a trailing colon followed by the value
// ("-name:Track 1"); options are found by prefix. Copies are deep.
//
// Splitting a text: arguments are separated by blanks (space, tab) met outside
// double quotes; a double quote anywhere toggles the quoted state, and an
// unclosed quote runs to the end. There is no escape character. With quote
// removal the double quotes are dropped ("" makes an empty argument),
// without it they are kept.
class AKArgs
{
public:
    AKArgs() = default;
    AKArgs(AKArgs const&) = default;
    AKArgs& operator=(AKArgs const&) = default;

    // One argument per entry of argv; a null argv gives none, a null entry an empty argument.
    AKArgs(int argc, char const* const* argv);
    // Splits the text; a null or empty text gives no arguments.
    AKArgs(AKString const& text, bool removeQuotes);
    AKArgs(char const* text, bool removeQuotes);

    unsigned int Count() const { return mArgs.Count(); }
    AKStringArray const& GetArgs() const { return mArgs; }

    // The argument as a C string; null for an index below 0 or not below the count.
    char const* argv(int index) const;
    // The argument; kAKNullString for an index not below the count.
    AKString const& GetArg(unsigned int index) const;

    // True when some argument starts with the prefix (byte-wise, case-sensitive).
    bool IsParam(AKString const& prefix) const;
    // The text after the prefix in the first argument that starts with it;
    // empty when none does.
    AKString GetParam(AKString const& prefix) const;
    // The same, answering whether one matched. Without a match the out-string
    // is emptied, unless the list has no arguments at all.
    bool GetParam(AKString const& prefix, AKString* outRest) const;

private:
    void Split(char const* text, unsigned int length, bool removeQuotes);

    AKStringArray mArgs;
};
