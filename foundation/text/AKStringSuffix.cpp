// Suffix numbers: the decimal number at the end of a name, used to number
// copies ("Take 07" -> "Take 08").

#include "AKTextForms.h"

static constexpr unsigned int kSuffixMaxDigits = 8;
// Zero padding keeps at most this many digits.
static constexpr unsigned int kSuffixMaxPadding = 7;

static bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool AKStringSuffixNumberFind(AKString const& s, unsigned int* value, unsigned int* digitCount)
{
    char const* bytes = s.c_str();
    unsigned int length = s.Length();
    unsigned int count = 0;
    while (count < kSuffixMaxDigits && count < length && IsDecimalDigit(bytes[length - 1 - count]))
        count++;

    unsigned int number = 0;
    for (unsigned int i = length - count; i < length; i++)
        number = number * 10 + static_cast<unsigned int>(bytes[i] - '0');  // 8 digits fit in 32 bits

    if (value != nullptr)
        *value = number;
    if (digitCount != nullptr)
        *digitCount = count;
    return count > 0;
}

static void ReplaceSuffixDigits(AKString* s, unsigned int digitCount, unsigned int number)
{
    if (digitCount == 0) {
        s->Appendf("%u", number);
        return;
    }
    s->RemoveLastChars(digitCount);
    int width = static_cast<int>(digitCount < kSuffixMaxPadding ? digitCount : kSuffixMaxPadding);
    s->Appendf("%0*u", width, number);
}

bool AKStringSuffixNumberReplace(AKString* s, unsigned int number, bool force)
{
    if (s == nullptr)
        return false;
    unsigned int digitCount = 0;
    bool found = AKStringSuffixNumberFind(*s, nullptr, &digitCount);
    if (!found && !force)
        return false;
    ReplaceSuffixDigits(s, digitCount, number);
    return true;
}

bool AKStringSuffixNumberAdd(AKString* s, unsigned int delta, unsigned int base, bool force)
{
    if (s == nullptr)
        return false;
    unsigned int suffix = 0;
    unsigned int digitCount = 0;
    bool found = AKStringSuffixNumberFind(*s, &suffix, &digitCount);
    if (!found && !force)
        return false;
    ReplaceSuffixDigits(s, digitCount, delta + (found ? suffix : base));
    return true;
}
