#pragma once

// AKString: the engine's one string type. A value type over 8-bit bytes (Mac
// Roman text), built on std::string, so its bytes are always followed by a NUL
// and can be handed on as a C string. Positions and counts are 32-bit unsigned;
// 0xFFFFFFFF written to a position out-parameter means "not found".
// Comparisons and searches work on byte values; the case-insensitive forms fold
// ASCII letters only.

#include <cstdarg>
#include <string>

class AKStringArray;

class AKString
{
public:
    static constexpr unsigned int kNotFound = 0xFFFFFFFFu;

    // Construction, assignment and size
    AKString() = default;
    AKString(AKString const&) = default;
    AKString(AKString&&) noexcept = default;
    AKString(std::string const& s) : mString(s) {}
    AKString(char const* s);                       // null gives the empty string
    AKString(char const* s, unsigned int length);  // that many bytes; null or 0 gives the empty string
    ~AKString() = default;

    AKString& operator=(AKString const& s);
    AKString& operator=(AKString&& s) noexcept = default;
    AKString& operator=(char const* s);
    AKString& operator=(std::string const& s);
    AKString& Assign(AKString const& s);
    AKString& Assign(char const* s);
    AKString& Assign(char const* s, unsigned int length);
    AKString& Assignf(char const* format, ...) __attribute__((format(printf, 2, 3)));
    AKString& Assignv(char const* format, va_list args) __attribute__((format(printf, 2, 0)));

    bool IsEmpty() const { return mString.empty(); }
    unsigned int Length() const { return static_cast<unsigned int>(mString.size()); }
    unsigned int Capacity() const { return static_cast<unsigned int>(mString.capacity()); }
    void SetCapacity(unsigned int capacity);
    bool SetMaxLength(unsigned int maxLength);
    void Shrink();
    void Clear() { mString.clear(); }
    void Free();

    // Raw access
    char const* c_str() const { return mString.c_str(); }
    std::string const& StdString() const { return mString; }
    char operator[](unsigned int pos) const { return pos < mString.size() ? mString[pos] : '\0'; }

    // Concatenation (all return the string itself, except operator+)
    AKString operator+(AKString const& s) const;
    AKString& operator+=(AKString const& s) { return Append(s); }
    AKString& Append(AKString const& s);
    AKString& Append(char const* s);
    AKString& Append(char const* s, unsigned int length);
    AKString& Appendf(char const* format, ...) __attribute__((format(printf, 2, 3)));
    AKString& Appendv(char const* format, va_list args) __attribute__((format(printf, 2, 0)));
    AKString& Prepend(AKString const& s);
    AKString& Prepend(char const* s);
    AKString& Prepend(char const* s, unsigned int length);
    AKString& Prependf(char const* format, ...) __attribute__((format(printf, 2, 3)));
    AKString& Prependv(char const* format, va_list args) __attribute__((format(printf, 2, 0)));

    // Comparison: byte values, unsigned; a proper prefix orders first
    bool operator==(AKString const& s) const { return mString == s.mString; }
    bool operator!=(AKString const& s) const { return mString != s.mString; }
    bool operator<(AKString const& s) const { return mString < s.mString; }
    bool operator<=(AKString const& s) const { return mString <= s.mString; }
    bool operator>(AKString const& s) const { return mString > s.mString; }
    bool operator>=(AKString const& s) const { return mString >= s.mString; }
    bool IsEqual(AKString const& s, bool caseSensitive = true) const;
    int Compare(AKString const& s, bool caseSensitive = true) const;

    // Search
    bool Contains(AKString const& needle, bool caseSensitive = true) const;
    bool Find(AKString const& needle, unsigned int start = 0, unsigned int* outPos = nullptr) const;
    // backFromEnd counts back from the end: 0 searches the whole string.
    bool FindFromEnd(AKString const& needle, unsigned int backFromEnd = 0, unsigned int* outPos = nullptr) const;
    bool StartsWith(AKString const& prefix, AKString* outRest = nullptr) const;
    bool EndsWith(AKString const& suffix, AKString* outRest = nullptr) const;

    // Editing, in place
    bool ReplaceFirst(AKString const& search, AKString const& replacement, unsigned int start = 0);
    unsigned int ReplaceAll(AKString const& search, AKString const& replacement, unsigned int start = 0);
    bool RemoveFirst(AKString const& search, unsigned int start = 0);
    unsigned int RemoveAll(AKString const& search, unsigned int start = 0);
    bool RemoveBegin(AKString const& prefix);
    bool RemoveEnd(AKString const& suffix);
    bool RemoveFirstChars(unsigned int count);
    bool RemoveLastChars(unsigned int count);
    bool RemoveExtraQuotes();
    bool RemoveExtraSpacesAndTabs();
    bool RemoveTrailingZeros();
    AKString& Reverse();
    AKString& ToUpperCase();
    AKString& ToLowerCase();
    AKString& ToCapitalized();

    // Extraction
    AKString SubString(unsigned int begin, unsigned int end) const;
    AKString AfterFirst(AKString const& separator) const;
    AKString BeforeFirst(AKString const& separator) const;
    AKString AfterLast(AKString const& separator) const;
    AKString BeforeLast(AKString const& separator) const;
    AKString GetToken(unsigned int pos) const;
    // Null separators mean ",;", null trims mean " \t\n\r"; an empty set means none.
    // Callers include AKStringArray.h.
    AKStringArray SplitToArray(char const* separators = nullptr, char const* trims = nullptr) const;
    // Empties this string and joins the array's elements with the separator.
    AKString& BuildFromArray(AKStringArray const& array, AKString const& separator);

    // Tests
    bool IsAlpha() const;
    bool IsAlphaNum() const;
    bool IsDigit() const;
    bool IsPureAscii(unsigned int* outBadPos = nullptr) const;

    // Lines: both return the line; the column is the 1-based column of the next byte.
    unsigned int CountLinesToPosition(unsigned int pos, unsigned int* outLine = nullptr,
                                      unsigned int* outColumn = nullptr) const;
    unsigned int CountLinesToEnd(unsigned int* outLine = nullptr, unsigned int* outColumn = nullptr) const;

    // scanf-style conversion of the text from pos; returns the number of items converted.
    int Scanf(unsigned int pos, char const* format, ...) const __attribute__((format(scanf, 3, 4)));
    int Scanv(unsigned int pos, char const* format, va_list args) const __attribute__((format(scanf, 3, 0)));

private:
    std::string mString;
};

// Shared empty strings, built on first use so they exist before any static
// initialiser can need them. Never modified.
AKString const& AKNullStringShared();
AKString const& AKNullKeyShared();
#define kAKNullString (AKNullStringShared())
#define kAKNullKey (AKNullKeyShared())
