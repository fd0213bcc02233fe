#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "AKMacOS.h"
#include "AKStringEncoding.h"
#include "AKUUID.h"
#include "AKUniString.h"

namespace {

AKString Bytes(std::string const& bytes) { return AKString(bytes); }

std::string Hex(AKString const& string)
{
    static char const digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : string.StdString()) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

struct ConversionCase {
    char const* what;
    AKStringEncoding from;
    AKStringEncoding to;
    std::string input;
    std::string expected;
};

constexpr AKStringEncoding kMac = kAKStringEncodingMacRoman;
constexpr AKStringEncoding kWin = kAKStringEncodingWindowsLatin1;
constexpr AKStringEncoding kUTF8 = kAKStringEncodingUTF8;

}  // namespace

TEST(AKStringEncoding, ConvertsBetweenEngineEncodings)
{
    ConversionCase const cases[] = {
        {"e acute to Mac Roman", kUTF8, kMac, "\xC3\xA9", "\x8E"},
        {"e acute from Mac Roman", kMac, kUTF8, "\x8E", "\xC3\xA9"},
        {"euro to Mac Roman", kUTF8, kMac, "\xE2\x82\xAC", "\xDB"},
        {"euro from Mac Roman", kMac, kUTF8, "\xDB", "\xE2\x82\xAC"},
        {"euro to Windows Latin-1", kUTF8, kWin, "\xE2\x82\xAC", "\x80"},
        {"euro from Windows Latin-1", kWin, kUTF8, "\x80", "\xE2\x82\xAC"},
        {"U+F8FF from Mac Roman 0xF0", kMac, kUTF8, "\xF0", "\xEF\xA3\xBF"},
        {"U+F8FF to Mac Roman 0xF0", kUTF8, kMac, "\xEF\xA3\xBF", "\xF0"},
        {"Mac Roman to Windows Latin-1", kMac, kWin, "caf\x8E \xDB", "caf\xE9 \x80"},
        {"Windows Latin-1 to Mac Roman", kWin, kMac, "caf\xE9 \x80", "caf\x8E \xDB"},
        {"U+F8FF missing from Windows Latin-1", kMac, kWin, "\xF0", "?"},
        {"undefined Windows byte kept as its C1 control", kWin, kUTF8, "\x81\x9D", "\xC2\x81\xC2\x9D"},
        {"C1 control back to its Windows byte", kUTF8, kWin, "\xC2\x81", "\x81"},
        {"C1 control missing from Mac Roman", kWin, kMac, "\x8D", "?"},
        {"CJK missing from Mac Roman", kUTF8, kMac,
         "a\xE4\xB8\x80"
         "b",
         "a?b"},
        {"supplementary character is one lost character", kUTF8, kMac, "\xF0\x9F\x98\x80", "?"},
        {"largest code point is valid", kUTF8, kMac, "\xF4\x8F\xBF\xBF", "?"},
        {"NUL bytes are text", kMac, kUTF8, std::string("a\0\x8E", 3), std::string("a\0\xC3\xA9", 4)},
        {"byte order mark is not text", kUTF8, kMac,
         "\xEF\xBB\xBF"
         "A",
         "A"},
        {"lone 0xFF", kUTF8, kMac, "\xFF", ""},
        {"stray continuation byte", kUTF8, kMac, "a\x80", ""},
        {"overlong 2-byte slash", kUTF8, kMac, "\xC0\xAF", ""},
        {"overlong 2-byte lead C1", kUTF8, kMac, "\xC1\xBF", ""},
        {"overlong 3-byte", kUTF8, kMac, "\xE0\x80\xAF", ""},
        {"overlong 4-byte", kUTF8, kMac, "\xF0\x80\x80\xAF", ""},
        {"high surrogate", kUTF8, kMac, "\xED\xA0\x80", ""},
        {"low surrogate", kUTF8, kMac, "\xED\xBF\xBF", ""},
        {"above U+10FFFF", kUTF8, kMac, "\xF4\x90\x80\x80", ""},
        {"lead byte F5", kUTF8, kMac, "\xF5\x80\x80\x80", ""},
        {"truncated 3-byte at the end", kUTF8, kMac, "ab\xE2\x82", ""},
        {"truncated 2-byte at the end", kUTF8, kMac, "ab\xC3", ""},
        {"bad continuation byte", kUTF8, kMac,
         "\xC3"
         "A",
         ""},
        {"invalid bytes towards Windows Latin-1", kUTF8, kWin, "\xFF", ""},
        {"equal codes leave invalid bytes", kUTF8, kUTF8, "\xFF", "\xFF"},
        {"equal codes leave text", kMac, kMac, "\x8E", "\x8E"},
        {"two unknown codes", 7, 9, "\xFF\x8E", "\xFF\x8E"},
        {"code 0 and an unknown code", 0, 42, "\xFF", "\xFF"},
        {"unknown source encoding", 7, kMac, "abc", ""},
        {"unknown target encoding", kMac, 7, "abc", ""},
        {"empty string", kUTF8, kMac, "", ""},
    };
    for (ConversionCase const& c : cases) {
        SCOPED_TRACE(c.what);
        AKString string = Bytes(c.input);
        AKStringConvertWithEncoding(&string, c.from, c.to);
        EXPECT_EQ(Hex(Bytes(c.expected)), Hex(string));

        AKString const original = Bytes(c.input);
        EXPECT_EQ(Hex(Bytes(c.expected)), Hex(AKStringCopyWithEncoding(original, c.from, c.to)));
        EXPECT_EQ(Hex(Bytes(c.input)), Hex(original)) << "the copy form must leave its source alone";
    }
}

TEST(AKStringEncoding, EveryByteOfBothCharsetsRoundTripsThroughUTF8)
{
    for (AKStringEncoding encoding : {kMac, kWin}) {
        SCOPED_TRACE(encoding);
        std::string all;
        for (int b = 1; b < 256; ++b)
            all.push_back(static_cast<char>(b));
        AKString utf8 = AKStringCopyWithEncoding(Bytes(all), encoding, kUTF8);
        ASSERT_FALSE(utf8.IsEmpty());
        EXPECT_GT(utf8.Length(), all.size());
        EXPECT_EQ(Hex(Bytes(all)), Hex(AKStringCopyWithEncoding(utf8, kUTF8, encoding)));
    }
}

TEST(AKStringEncoding, ConvertNullStringDoesNothing) { AKStringConvertWithEncoding(nullptr, kUTF8, kMac); }

TEST(AKMacOS, MapsEncodingCodes)
{
    EXPECT_EQ(0u, AKMacOS::CFStringEncodingConvert(kAKStringEncodingMacRoman));
    EXPECT_EQ(0x0500u, AKMacOS::CFStringEncodingConvert(kAKStringEncodingWindowsLatin1));
    EXPECT_EQ(0x08000100u, AKMacOS::CFStringEncodingConvert(kAKStringEncodingUTF8));
    for (AKStringEncoding unknown : {0u, 4u, 0xFFFFFFFFu})
        EXPECT_EQ(0xFFFFFFFFu, AKMacOS::CFStringEncodingConvert(unknown)) << unknown;

    EXPECT_EQ(kAKStringEncodingMacRoman, AKMacOS::AKStringEncodingConvert(0));
    EXPECT_EQ(kAKStringEncodingWindowsLatin1, AKMacOS::AKStringEncodingConvert(0x0500));
    EXPECT_EQ(kAKStringEncodingUTF8, AKMacOS::AKStringEncodingConvert(0x08000100));
    for (unsigned int unknown : {0x0600u, 0x0100u, 1u, 0xFFFFFFFFu})
        EXPECT_EQ(0u, AKMacOS::AKStringEncodingConvert(unknown)) << unknown;
}

TEST(AKMacOS, SystemStringsFromEngineStrings)
{
    EXPECT_EQ(nullptr, AKMacOS::CFStringConvert(kAKNullString, kCFStringEncodingMacRoman));
    EXPECT_EQ(nullptr, AKMacOS::CFStringConvert(Bytes("\xFF"), kCFStringEncodingUTF8));
    EXPECT_EQ(nullptr, AKMacOS::CFStringConvert(Bytes("abc"), kCFStringEncodingInvalidId));
    // A count that cuts a sequence is truncated text, whatever follows in memory.
    EXPECT_EQ(nullptr, AKMacOS::CFStringCreateWithBytes("\xE2\x82\xAC", 2, kCFStringEncodingUTF8));
    EXPECT_EQ(nullptr, AKMacOS::CFStringCreateWithBytes("\xC3\xA9", 1, kCFStringEncodingUTF8));
    EXPECT_TRUE(AKMacOS::AKStringConvert(nullptr, kCFStringEncodingUTF8).IsEmpty());

    __CFString const* string = AKMacOS::CFStringConvert(Bytes("caf\x8E"), kCFStringEncodingMacRoman);
    ASSERT_NE(nullptr, string);
    EXPECT_EQ(4u, AKMacOS::CFStringGetLength(string));
    EXPECT_EQ("caf\xC3\xA9", AKMacOS::AKStringConvert(string, kCFStringEncodingUTF8).StdString());
    EXPECT_EQ("caf\xE9", AKMacOS::AKStringConvert(string, kCFStringEncodingWindowsLatin1).StdString());
    EXPECT_TRUE(AKMacOS::AKStringConvert(string, kCFStringEncodingInvalidId).IsEmpty());
    AKMacOS::CFStringRelease(string);
    AKMacOS::CFStringRelease(nullptr);

    __CFString const* empty = AKMacOS::CFStringCreateWithCharacters(nullptr, 0);
    ASSERT_NE(nullptr, empty);
    EXPECT_TRUE(AKMacOS::AKStringConvert(empty, kCFStringEncodingUTF8).IsEmpty());
    AKMacOS::CFStringRelease(empty);
}

TEST(AKMacOS, SurrogatesInSystemStrings)
{
    // U+1F600 as a pair, then an unpaired low and an unpaired high surrogate.
    unsigned short const units[] = {0xD83D, 0xDE00, 'a', 0xDC00, 'b', 0xD800};
    __CFString const* string = AKMacOS::CFStringCreateWithCharacters(units, 6);
    EXPECT_EQ(6u, AKMacOS::CFStringGetLength(string));
    EXPECT_EQ("\xF0\x9F\x98\x80"
              "a?b?",
              AKMacOS::AKStringConvert(string, kCFStringEncodingUTF8).StdString());
    EXPECT_EQ("?a?b?", AKMacOS::AKStringConvert(string, kCFStringEncodingMacRoman).StdString());

    unsigned short copy[6] = {};
    AKMacOS::CFStringGetCharacters(string, copy);
    EXPECT_EQ(0, memcmp(units, copy, sizeof units));
    AKMacOS::CFStringRelease(string);

    __CFString const* decoded = AKMacOS::CFStringCreateWithBytes("\xF0\x9F\x98\x80", 4, kCFStringEncodingUTF8);
    ASSERT_EQ(2u, AKMacOS::CFStringGetLength(decoded));
    AKMacOS::CFStringGetCharacters(decoded, copy);
    EXPECT_EQ(0xD83D, copy[0]);
    EXPECT_EQ(0xDE00, copy[1]);
    AKMacOS::CFStringRelease(decoded);
}

TEST(AKMacOS, GetBytesSizesFirstAndNeverSplitsACharacter)
{
    __CFString const* string = AKMacOS::CFStringCreateWithBytes("a\xC3\xA9"
                                                                "b",
                                                                4, kCFStringEncodingUTF8);
    ASSERT_NE(nullptr, string);
    EXPECT_EQ(4u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingUTF8, '?', nullptr, 0));
    EXPECT_EQ(3u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingMacRoman, '?', nullptr, 0));

    unsigned char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(1u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingUTF8, '?', buffer, 2));
    EXPECT_EQ('a', buffer[0]);
    EXPECT_EQ('x', buffer[1]);
    EXPECT_EQ(4u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingUTF8, '?', buffer, 8));
    EXPECT_EQ(0, memcmp(buffer,
                        "a\xC3\xA9"
                        "b",
                        4));
    EXPECT_EQ(2u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingMacRoman, '?', buffer, 2));
    EXPECT_EQ(0, memcmp(buffer, "a\x8E", 2));
    EXPECT_EQ(0u, AKMacOS::CFStringGetBytes(string, 0x0600, '?', buffer, 8));
    AKMacOS::CFStringRelease(string);
}

TEST(AKMacOS, GetBytesCutsEightBitTextAtAnyCharacter)
{
    // Bytes 0x80 to 0xBF are whole characters in the 8-bit encodings.
    __CFString const* string = AKMacOS::CFStringCreateWithBytes("\xC3\x84\xC3\x84", 4, kCFStringEncodingUTF8);
    ASSERT_NE(nullptr, string);
    unsigned char buffer[2] = {'x', 'x'};
    EXPECT_EQ(1u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingMacRoman, '?', buffer, 1));
    EXPECT_EQ(0x80, buffer[0]);
    EXPECT_EQ(1u, AKMacOS::CFStringGetBytes(string, kCFStringEncodingWindowsLatin1, '?', buffer, 1));
    EXPECT_EQ(0xC4, buffer[0]);
    AKMacOS::CFStringRelease(string);
}

TEST(AKUniString, FromMacRoman)
{
    unsigned short* units = AKNewUniStringFromAsciiString("a\x8E\xF0\xDB", 0xFFFFFFFF);
    ASSERT_NE(nullptr, units);
    unsigned short const expected[] = {'a', 0x00E9, 0xF8FF, 0x20AC, 0};
    EXPECT_EQ(0, memcmp(expected, units, sizeof expected));
    EXPECT_EQ(4u, AKUniStringLength(units));
    free(units);

    units = AKNewUniStringFromAsciiString("abc", 2);
    ASSERT_NE(nullptr, units);
    EXPECT_EQ(2u, AKUniStringLength(units));
    free(units);

    EXPECT_EQ(nullptr, AKNewUniStringFromAsciiString(nullptr, 0xFFFFFFFF));
    EXPECT_EQ(0u, AKUniStringLength(nullptr));

    AKUniChars chars = AKUniStringFromAsciiString(Bytes(std::string("\x8E\0z", 3)));
    ASSERT_EQ(3u, chars.Count());
    EXPECT_EQ(0x00E9, chars[0]);
    EXPECT_EQ(0, chars[1]);
    EXPECT_EQ('z', chars[2]);
    EXPECT_TRUE(AKUniStringFromAsciiString(kAKNullString).IsEmpty());
    EXPECT_TRUE(kAKNullUniChars.IsEmpty());
}

TEST(AKUniString, ToMacRomanGivesOneBytePerUnit)
{
    // U+4E00 and the two units of U+1F600 have no Mac Roman form.
    unsigned short const units[] = {'a', 0x4E00, 0xD83D, 0xDE00, 0x00E9, 0xF8FF, 0};
    char* ascii = AKNewAsciiStringFromUniString(units, 0xFFFFFFFF);
    ASSERT_NE(nullptr, ascii);
    EXPECT_STREQ("a???\x8E\xF0", ascii);
    free(ascii);
    EXPECT_EQ(nullptr, AKNewAsciiStringFromUniString(nullptr, 3));

    AKUniChars chars;
    chars.AssignWithRawValues(units);
    EXPECT_EQ("a???\x8E\xF0", AKAsciiStringFromUniString(chars).StdString());
    EXPECT_TRUE(AKAsciiStringFromUniString(kAKNullUniChars).IsEmpty());
}

TEST(AKUniString, CallerBuffersTakeCapacityMinusOneAndATerminator)
{
    unsigned short units[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(3u, AKUniStringFromAsciiString(units, 4, "abcdef", 0xFFFFFFFF));
    unsigned short const abc[] = {'a', 'b', 'c', 0, 9, 9};
    EXPECT_EQ(0, memcmp(abc, units, sizeof abc));

    EXPECT_EQ(0u, AKUniStringFromAsciiString(units, 0, "xyz", 0xFFFFFFFF));
    EXPECT_EQ(0, memcmp(abc, units, sizeof abc)) << "capacity 0 writes nothing";
    EXPECT_EQ(2u, AKUniStringFromAsciiString(units, 6,
                                             "\x8E"
                                             "bcdef",
                                             2));
    EXPECT_EQ(0x00E9, units[0]);
    EXPECT_EQ(0, units[2]);
    EXPECT_EQ(0u, AKUniStringFromAsciiString(units, 6, nullptr, 0xFFFFFFFF));
    EXPECT_EQ(0, units[0]);

    unsigned short const source[] = {'a', 0x00E9, 0x4E00, 'd', 0};
    char bytes[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(3u, AKAsciiStringFromUniString(bytes, 4, source, 0xFFFFFFFF));
    EXPECT_EQ(0, memcmp("a\x8E?\0xx", bytes, 6));
    EXPECT_EQ(0u, AKAsciiStringFromUniString(bytes, 0, source, 4));
    EXPECT_EQ('a', bytes[0]);
    EXPECT_EQ(1u, AKAsciiStringFromUniString(bytes, 6, source, 1));
    EXPECT_STREQ("a", bytes);
}

TEST(AKUUID, GeneratesUpperCaseTextForms)
{
    std::set<std::string> seen;
    for (int i = 0; i < 8; ++i) {
        AKString uuid = AKStringGenerateUUID();
        ASSERT_EQ(36u, uuid.Length()) << uuid.c_str();
        for (unsigned int pos = 0; pos < 36; ++pos) {
            char c = uuid[pos];
            if (pos == 8 || pos == 13 || pos == 18 || pos == 23)
                EXPECT_EQ('-', c) << uuid.c_str();
            else
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << uuid.c_str();
        }
        seen.insert(uuid.StdString());
    }
    EXPECT_EQ(8u, seen.size());
}
