#include "AKString.h"

#include "AKStringArray.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::string::size_type kNpos = std::string::npos;

unsigned char FoldLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

unsigned char FoldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsTokenByte(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; }

// Formats into a fresh string, so that the arguments may point into the
// string being modified. Returns an empty string on a formatting error.
__attribute__((format(printf, 1, 0))) std::string FormatV(char const* format, va_list args)
{
    std::string result;
    if (format == nullptr || format[0] == '\0')
        return result;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int const length = vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (length <= 0)
        return result;
    if (static_cast<size_t>(length) < sizeof(small)) {
        result.assign(small, static_cast<size_t>(length));
        return result;
    }
    result.resize(static_cast<size_t>(length));
    va_copy(copy, args);
    int const written = vsnprintf(&result[0], result.size() + 1, format, copy);
    va_end(copy);
    if (written != length)
        result.clear();
    return result;
}

// Byte membership table of a C-string set; a NUL byte is never a member.
struct ByteSet {
    bool member[256] = {};
    explicit ByteSet(char const* set)
    {
        for (; *set != '\0'; ++set)
            member[static_cast<unsigned char>(*set)] = true;
    }
    bool Has(char c) const { return member[static_cast<unsigned char>(c)]; }
};

}  // namespace

AKString const& AKNullStringShared()
{
    static AKString const sNullString;
    return sNullString;
}

AKString const& AKNullKeyShared()
{
    static AKString const sNullKey;
    return sNullKey;
}

// ---------------------------------------------------------------------------
// Construction, assignment and size

AKString::AKString(char const* s)
{
    if (s != nullptr)
        mString.assign(s);
}

AKString::AKString(char const* s, unsigned int length)
{
    if (s != nullptr && length > 0)
        mString.assign(s, length);
}

AKString& AKString::operator=(AKString const& s) { return Assign(s); }

AKString& AKString::operator=(char const* s) { return Assign(s); }

AKString& AKString::operator=(std::string const& s)
{
    mString = s;
    return *this;
}

AKString& AKString::Assign(AKString const& s)
{
    if (this != &s)
        mString = s.mString;
    return *this;
}

AKString& AKString::Assign(char const* s)
{
    if (s == nullptr || s[0] == '\0')
        mString.clear();
    else
        mString.assign(s);
    return *this;
}

AKString& AKString::Assign(char const* s, unsigned int length)
{
    if (s == nullptr || length == 0)
        mString.clear();
    else
        mString.assign(s, length);
    return *this;
}

AKString& AKString::Assignf(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    Assignv(format, args);
    va_end(args);
    return *this;
}

AKString& AKString::Assignv(char const* format, va_list args)
{
    mString = FormatV(format, args);
    return *this;
}

void AKString::SetCapacity(unsigned int capacity) { mString.reserve(capacity); }

bool AKString::SetMaxLength(unsigned int maxLength)
{
    if (mString.size() <= maxLength)
        return false;
    mString.resize(maxLength);
    return true;
}

void AKString::Shrink() { mString.shrink_to_fit(); }

void AKString::Free() { std::string().swap(mString); }

// ---------------------------------------------------------------------------
// Concatenation

AKString AKString::operator+(AKString const& s) const
{
    AKString result;
    result.mString.reserve(mString.size() + s.mString.size());
    result.mString.append(mString).append(s.mString);
    return result;
}

AKString& AKString::Append(AKString const& s)
{
    mString.append(s.mString);  // std::string copes with s being *this
    return *this;
}

AKString& AKString::Append(char const* s)
{
    if (s != nullptr)
        mString.append(s);
    return *this;
}

AKString& AKString::Append(char const* s, unsigned int length)
{
    if (s != nullptr && length > 0)
        mString.append(s, length);
    return *this;
}

AKString& AKString::Appendf(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    Appendv(format, args);
    va_end(args);
    return *this;
}

AKString& AKString::Appendv(char const* format, va_list args)
{
    mString.append(FormatV(format, args));
    return *this;
}

AKString& AKString::Prepend(AKString const& s)
{
    if (!s.mString.empty())
        mString.insert(0, s.mString);
    return *this;
}

AKString& AKString::Prepend(char const* s)
{
    if (s != nullptr && s[0] != '\0')
        mString.insert(0, s);
    return *this;
}

AKString& AKString::Prepend(char const* s, unsigned int length)
{
    if (s != nullptr && length > 0)
        mString.insert(0, s, length);
    return *this;
}

AKString& AKString::Prependf(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    Prependv(format, args);
    va_end(args);
    return *this;
}

AKString& AKString::Prependv(char const* format, va_list args)
{
    std::string const text = FormatV(format, args);
    if (!text.empty())
        mString.insert(0, text);
    return *this;
}

// ---------------------------------------------------------------------------
// Comparison and search

bool AKString::IsEqual(AKString const& s, bool caseSensitive) const
{
    if (this == &s)
        return true;
    if (caseSensitive)
        return mString == s.mString;
    return Compare(s, false) == 0;
}

int AKString::Compare(AKString const& s, bool caseSensitive) const
{
    if (this == &s)
        return 0;
    if (caseSensitive) {
        size_t const common = std::min(mString.size(), s.mString.size());
        int const diff = common > 0 ? memcmp(mString.data(), s.mString.data(), common) : 0;
        if (diff != 0)
            return diff;
        if (mString.size() == s.mString.size())
            return 0;
        return mString.size() < s.mString.size() ? -1 : 1;
    }
    // C-string comparison with ASCII folding: stops at the first NUL.
    unsigned char const* a = reinterpret_cast<unsigned char const*>(mString.c_str());
    unsigned char const* b = reinterpret_cast<unsigned char const*>(s.mString.c_str());
    for (;; ++a, ++b) {
        int const diff = int(FoldLower(*a)) - int(FoldLower(*b));
        if (diff != 0 || *a == '\0')
            return diff;
    }
}

bool AKString::Contains(AKString const& needle, bool caseSensitive) const
{
    if (this == &needle)
        return true;
    if (mString.empty())
        return false;
    if (needle.mString.empty())
        return true;
    if (caseSensitive)
        return mString.find(needle.mString) != kNpos;

    size_t const n = needle.mString.size();
    if (n > mString.size())
        return false;
    unsigned char const* hay = reinterpret_cast<unsigned char const*>(mString.data());
    unsigned char const* ndl = reinterpret_cast<unsigned char const*>(needle.mString.data());
    unsigned char const first = FoldUpper(ndl[0]);
    size_t const last = mString.size() - n;
    for (size_t i = 0; i <= last; ++i) {
        if (FoldUpper(hay[i]) != first)
            continue;
        size_t j = 1;
        while (j < n && FoldUpper(hay[i + j]) == FoldUpper(ndl[j]))
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

bool AKString::Find(AKString const& needle, unsigned int start, unsigned int* outPos) const
{
    size_t found = kNpos;
    if (!needle.mString.empty() && start < mString.size())
        found = mString.find(needle.mString, start);
    if (outPos != nullptr)
        *outPos = found == kNpos ? kNotFound : static_cast<unsigned int>(found);
    return found != kNpos;
}

bool AKString::FindFromEnd(AKString const& needle, unsigned int backFromEnd, unsigned int* outPos) const
{
    // The limit is the last position an occurrence may start at. backFromEnd + 1
    // wraps in 32 bits on purpose: 0xFFFFFFFF means no limit.
    unsigned int const back = backFromEnd + 1u;
    size_t const length = mString.size();
    size_t const limit = back > length ? length : length - back;

    size_t found = kNpos;
    if (needle.mString.empty())
        found = limit;
    else
        found = mString.rfind(needle.mString, limit);
    if (outPos != nullptr)
        *outPos = found == kNpos ? kNotFound : static_cast<unsigned int>(found);
    return found != kNpos;
}

bool AKString::StartsWith(AKString const& prefix, AKString* outRest) const
{
    bool const starts =
        mString.size() >= prefix.mString.size() && mString.compare(0, prefix.mString.size(), prefix.mString) == 0;
    if (outRest != nullptr) {
        if (starts)
            outRest->mString = mString.substr(prefix.mString.size());
        else
            outRest->mString.clear();
    }
    return starts;
}

bool AKString::EndsWith(AKString const& suffix, AKString* outRest) const
{
    size_t const n = suffix.mString.size();
    bool const ends = mString.size() >= n && mString.compare(mString.size() - n, n, suffix.mString) == 0;
    if (outRest != nullptr) {
        if (ends)
            outRest->mString = mString.substr(0, mString.size() - n);
        else
            outRest->mString.clear();
    }
    return ends;
}

// ---------------------------------------------------------------------------
// Editing

bool AKString::ReplaceFirst(AKString const& search, AKString const& replacement, unsigned int start)
{
    if (search.mString.empty() || search.mString == replacement.mString || start >= mString.size())
        return false;
    size_t const pos = mString.find(search.mString, start);
    if (pos == kNpos)
        return false;
    // Copy first: the arguments may be this very string.
    std::string const with = replacement.mString;
    mString.replace(pos, search.mString.size(), with);
    return true;
}

unsigned int AKString::ReplaceAll(AKString const& search, AKString const& replacement, unsigned int start)
{
    if (search.mString.empty() || search.mString == replacement.mString || start >= mString.size())
        return 0;
    std::string const& what = search.mString;
    size_t pos = mString.find(what, start);
    if (pos == kNpos)
        return 0;

    // Build the result in one pass; searching resumes after each match in the
    // source, so inserted text is never searched again.
    std::string result;
    result.reserve(mString.size());
    unsigned int count = 0;
    size_t from = 0;
    while (pos != kNpos) {
        result.append(mString, from, pos - from);
        result.append(replacement.mString);
        ++count;
        from = pos + what.size();
        pos = from < mString.size() ? mString.find(what, from) : kNpos;
    }
    result.append(mString, from, kNpos);
    mString.swap(result);
    return count;
}

bool AKString::RemoveFirst(AKString const& search, unsigned int start)
{
    return ReplaceFirst(search, kAKNullString, start);
}

unsigned int AKString::RemoveAll(AKString const& search, unsigned int start)
{
    return ReplaceAll(search, kAKNullString, start);
}

bool AKString::RemoveBegin(AKString const& prefix)
{
    if (prefix.mString.empty() || !StartsWith(prefix))
        return false;
    mString.erase(0, prefix.mString.size());
    return true;
}

bool AKString::RemoveEnd(AKString const& suffix)
{
    if (suffix.mString.empty() || !EndsWith(suffix))
        return false;
    mString.erase(mString.size() - suffix.mString.size());
    return true;
}

bool AKString::RemoveFirstChars(unsigned int count)
{
    if (count == 0 || mString.empty())
        return false;
    mString.erase(0, std::min<size_t>(count, mString.size()));
    return true;
}

bool AKString::RemoveLastChars(unsigned int count)
{
    if (count == 0 || mString.empty())
        return false;
    mString.resize(mString.size() - std::min<size_t>(count, mString.size()));
    return true;
}

bool AKString::RemoveExtraQuotes()
{
    auto isQuote = [](char c) { return c == '\'' || c == '"'; };
    bool removed = false;
    if (!mString.empty() && isQuote(mString.back())) {
        mString.pop_back();
        removed = true;
    }
    if (!mString.empty() && isQuote(mString.front())) {
        mString.erase(0, 1);
        removed = true;
    }
    return removed;
}

bool AKString::RemoveExtraSpacesAndTabs()
{
    size_t const first = mString.find_first_not_of(" \t");
    if (first == kNpos) {
        bool const removed = !mString.empty();
        mString.clear();
        return removed;
    }
    size_t const last = mString.find_last_not_of(" \t");
    if (first == 0 && last + 1 == mString.size())
        return false;
    mString = mString.substr(first, last + 1 - first);
    return true;
}

bool AKString::RemoveTrailingZeros()
{
    size_t const size = mString.size();
    while (!mString.empty() && mString.back() == '\0')
        mString.pop_back();
    return mString.size() != size;
}

AKString& AKString::Reverse()
{
    std::reverse(mString.begin(), mString.end());
    return *this;
}

AKString& AKString::ToUpperCase()
{
    for (char& c : mString)
        c = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
    return *this;
}

AKString& AKString::ToLowerCase()
{
    for (char& c : mString)
        c = static_cast<char>(FoldLower(static_cast<unsigned char>(c)));
    return *this;
}

AKString& AKString::ToCapitalized()
{
    ToLowerCase();
    if (!mString.empty())
        mString[0] = static_cast<char>(FoldUpper(static_cast<unsigned char>(mString[0])));
    return *this;
}

// ---------------------------------------------------------------------------
// Extraction

AKString AKString::SubString(unsigned int begin, unsigned int end) const
{
    AKString result;
    if (begin < end && begin < mString.size()) {
        size_t const stop = std::min<size_t>(end, mString.size());
        result.mString.assign(mString, begin, stop - begin);
    }
    return result;
}

AKString AKString::AfterFirst(AKString const& separator) const
{
    AKString result;
    size_t const pos = separator.mString.empty() ? kNpos : mString.find(separator.mString);
    if (pos != kNpos)
        result.mString.assign(mString, pos + separator.mString.size(), kNpos);
    return result;
}

AKString AKString::BeforeFirst(AKString const& separator) const
{
    AKString result;
    size_t const pos = separator.mString.empty() ? kNpos : mString.find(separator.mString);
    if (pos != kNpos)
        result.mString.assign(mString, 0, pos);
    return result;
}

AKString AKString::AfterLast(AKString const& separator) const
{
    AKString result;
    size_t const pos = separator.mString.empty() ? kNpos : mString.rfind(separator.mString);
    if (pos != kNpos)
        result.mString.assign(mString, pos + separator.mString.size(), kNpos);
    return result;
}

AKString AKString::BeforeLast(AKString const& separator) const
{
    AKString result;
    size_t const pos = separator.mString.empty() ? kNpos : mString.rfind(separator.mString);
    if (pos != kNpos)
        result.mString.assign(mString, 0, pos);
    return result;
}

AKString AKString::GetToken(unsigned int pos) const
{
    AKString result;
    size_t end = pos;
    while (end < mString.size() && IsTokenByte(static_cast<unsigned char>(mString[end])))
        ++end;
    if (end > pos)
        result.mString.assign(mString, pos, end - pos);
    return result;
}

AKStringArray AKString::SplitToArray(char const* separators, char const* trims) const
{
    AKStringArray pieces;
    if (mString.empty())
        return pieces;
    ByteSet const separatorSet(separators != nullptr ? separators : ",;");
    ByteSet const trimSet(trims != nullptr ? trims : " \t\n\r");

    size_t const length = mString.size();
    size_t start = 0;
    for (;;) {
        size_t stop = start;
        while (stop < length && !separatorSet.Has(mString[stop]))
            ++stop;
        size_t first = start;
        size_t last = stop;
        while (first < last && trimSet.Has(mString[first]))
            ++first;
        while (last > first && trimSet.Has(mString[last - 1]))
            --last;
        pieces.Push(AKString(mString.substr(first, last - first)));
        if (stop >= length)
            break;
        start = stop + 1;
    }
    return pieces;
}

AKString& AKString::BuildFromArray(AKStringArray const& array, AKString const& separator)
{
    // Copy the separator first: it may be this very string.
    std::string const sep = separator.mString;
    unsigned int const count = array.Count();
    std::string result;
    result.reserve(static_cast<size_t>(count) * 16);
    for (unsigned int i = 0; i < count; ++i) {
        if (!result.empty())
            result.append(sep);
        result.append(array[i].mString);
    }
    mString.swap(result);
    return *this;
}

// ---------------------------------------------------------------------------
// Tests

bool AKString::IsAlpha() const
{
    return std::all_of(mString.begin(), mString.end(),
                       [](char c) { return IsAsciiLetter(static_cast<unsigned char>(c)); });
}

bool AKString::IsAlphaNum() const
{
    return std::all_of(mString.begin(), mString.end(), [](char c) {
        unsigned char const b = static_cast<unsigned char>(c);
        return IsAsciiLetter(b) || IsAsciiDigit(b);
    });
}

bool AKString::IsDigit() const
{
    return std::all_of(mString.begin(), mString.end(),
                       [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); });
}

bool AKString::IsPureAscii(unsigned int* outBadPos) const
{
    for (size_t i = 0; i < mString.size(); ++i) {
        unsigned char const c = static_cast<unsigned char>(mString[i]);
        if (c == '\0')
            break;
        bool const control = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
        if (control || c >= 0x80) {
            if (outBadPos != nullptr)
                *outBadPos = static_cast<unsigned int>(i);
            return false;
        }
    }
    if (outBadPos != nullptr)
        *outBadPos = kNotFound;
    return true;
}

// ---------------------------------------------------------------------------
// Lines

unsigned int AKString::CountLinesToPosition(unsigned int pos, unsigned int* outLine, unsigned int* outColumn) const
{
    unsigned int line = 0;
    unsigned int column = 0;
    if (!mString.empty()) {
        line = 1;
        column = 1;
        size_t const stop = std::min<size_t>(pos, mString.size());
        for (size_t i = 0; i < stop; ++i) {
            char const c = mString[i];
            if (c == '\0')
                break;
            if (c == '\n' || c == '\r') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
    }
    if (outLine != nullptr)
        *outLine = line;
    if (outColumn != nullptr)
        *outColumn = column;
    return line;
}

unsigned int AKString::CountLinesToEnd(unsigned int* outLine, unsigned int* outColumn) const
{
    return CountLinesToPosition(kNotFound, outLine, outColumn);
}

// ---------------------------------------------------------------------------
// Scanning

int AKString::Scanf(unsigned int pos, char const* format, ...) const
{
    va_list args;
    va_start(args, format);
    int const count = Scanv(pos, format, args);
    va_end(args);
    return count;
}

int AKString::Scanv(unsigned int pos, char const* format, va_list args) const
{
    if (mString.empty() || format == nullptr || format[0] == '\0' || pos >= mString.size())
        return 0;
    int const count = vsscanf(mString.c_str() + pos, format, args);
    return count < 0 ? 0 : count;
}
