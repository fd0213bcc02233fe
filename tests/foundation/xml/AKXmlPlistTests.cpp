#include "AKBase64.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"
#include "AKString.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

// --- Helpers ---

AKValue Bool(bool b)
{
    AKValue v;
    v.SetasBool(b);
    return v;
}

AKValue Int(long long i)
{
    AKValue v;
    v.SetasInteger(i);
    return v;
}

AKValue Real(double x)
{
    AKValue v;
    v.SetasFloat(x);
    return v;
}

AKValue Str(std::string const& s)
{
    AKValue v;
    v.SetasAKString(AKString(s));
    return v;
}

AKValue Bin(std::string const& bytes)
{
    AKValue v;
    v.SetasBinary(AKMemoryBlock(bytes.data(), static_cast<unsigned int>(bytes.size())));
    return v;
}

AKValue Arr(AKValueArray const& a)
{
    AKValue v;
    v.SetasAKValueArray(a);
    return v;
}

AKValue Dict(AKDictionary const& d)
{
    AKValue v;
    v.SetasAKDictionary(d);
    return v;
}

std::string ErrorLine(int code, char const* name, std::string const& message)
{
    return "# Quorvex Error " + std::to_string(code) + " (" + name + "): " + message + ".\n";
}

std::vector<std::string> Only(std::string const& line) { return {line}; }

std::string SaveText(AKDictionary const& d, bool plist = true)
{
    AKString text;
    EXPECT_EQ(d.SaveToXmlString(&text, plist), 0);
    return text.StdString();
}

std::string Decoded(std::string const& text)
{
    AKMemoryBlock block;
    LowDecodeBinaryFromBase64(text.data(), text.size(), &block);
    return std::string(reinterpret_cast<char const*>(block.Data()), block.Size());
}

std::string Encoded(std::string const& bytes)
{
    std::string text;
    LowEncodeBinaryToBase64(reinterpret_cast<unsigned char const*>(bytes.data()),
                            static_cast<unsigned int>(bytes.size()), &text);
    return text;
}

std::string const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

// A plist document around the given lines of the top "dict" (one per line,
// starting on line 4).
std::string PlistAround(std::string const& body)
{
    return kDeclaration + "<plist version=\"1.0\">\n<dict>\n" + body + "</dict>\n</plist>\n";
}

// Every value kind, nested two levels below the top.
AKDictionary EveryKind()
{
    AKDictionary inner;
    inner.SetValue("Flag", Bool(false));
    inner.SetValue("Count", Int(-9223372036854775807LL - 1));
    inner.SetValue("Gain", Real(-0.5));
    inner.SetValue("Name", Str("Caf\x8E \"quoted\" & <tagged> it's"));
    inner.SetValue("Lines", Str("one\ntwo\tthree"));
    inner.SetValue("Empty", Str(""));
    inner.SetValue("Bytes", Bin(std::string("\x00\x01\xFE\xFF", 4)));
    inner.SetValue("NoBytes", Bin(""));
    inner.SetValue("List", Arr({Int(1), Str("two"), Arr({}), Dict(AKDictionary())}));

    AKDictionary middle;
    middle.SetValue("Inner", Dict(inner));
    middle.SetValue("Values", Arr({Real(1.25), Bool(true), Dict(inner)}));

    AKDictionary top;
    top.SetValue("Middle", Dict(middle));
    top.SetValue("Version", Int(3));
    top.SetValue("Gui.FramesPerSecond", Real(60));
    return top;
}

// A folder of its own for each test, removed with what the test left in it.
class XmlFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/xmlplist-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mDir = pattern;
    }

    void TearDown() override
    {
        for (std::string const& name : Entries())
            std::remove((mDir + "/" + name).c_str());
        rmdir(mDir.c_str());
    }

    std::string Path(char const* name) const { return mDir + "/" + name; }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(mDir.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

    static std::string Content(std::string const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void Write(std::string const& path, std::string const& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }

    std::string mDir;
};

// --- Printed text ---

TEST(AKXmlPlistWriter, GoldenTextOfOneIntegerAndOfTheEmptyDictionary)
{
    AKDictionary d;
    d.SetValue("Count", Int(3));
    EXPECT_EQ(SaveText(d), kDeclaration + "<plist version=\"1.0\">\n"
                                          "    <dict>\n"
                                          "        <key>Count</key>\n"
                                          "        <integer>3</integer>\n"
                                          "    </dict>\n"
                                          "</plist>\n");
    EXPECT_EQ(SaveText(d, false), "<dict>\n"
                                  "    <key>Count</key>\n"
                                  "    <integer>3</integer>\n"
                                  "</dict>\n");

    EXPECT_EQ(SaveText(AKDictionary()), kDeclaration + "<plist version=\"1.0\">\n"
                                                       "    <dict />\n"
                                                       "</plist>\n");
    EXPECT_EQ(SaveText(AKDictionary(), false), "<dict />\n");
}

TEST(AKXmlPlistWriter, GoldenTextOfEveryElement)
{
    AKDictionary inner;
    inner.SetValue("No", Bool(false));
    inner.SetValue("Tiny", Real(1e-7));
    AKDictionary d;
    d.SetValue("A", Arr({Bool(true), Arr({}), Dict(AKDictionary()), Int(-42)}));
    d.SetValue("B", Bin("ABCD"));
    d.SetValue("C", Bin(""));
    d.SetValue("D", Dict(inner));
    d.SetValue("E", Real(0.1234567));
    d.SetValue("F", Str(""));
    d.SetValue("G", Str("\x8E\t<a & b>\n\"q\" 'p' &#x41;"));
    d.SetValue("H", Real(-2.5e10));

    EXPECT_EQ(SaveText(d), kDeclaration +
                               "<plist version=\"1.0\">\n"
                               "    <dict>\n"
                               "        <key>A</key>\n"
                               "        <array>\n"
                               "            <true />\n"
                               "            <array />\n"
                               "            <dict />\n"
                               "            <integer>-42</integer>\n"
                               "        </array>\n"
                               "        <key>B</key>\n"
                               "        <data>QUJDRA==</data>\n"
                               "        <key>C</key>\n"
                               "        <data></data>\n"
                               "        <key>D</key>\n"
                               "        <dict>\n"
                               "            <key>No</key>\n"
                               "            <false />\n"
                               "            <key>Tiny</key>\n"
                               "            <real>0.000000</real>\n"
                               "        </dict>\n"
                               "        <key>E</key>\n"
                               "        <real>0.123457</real>\n"
                               "        <key>F</key>\n"
                               "        <string></string>\n"
                               "        <key>G</key>\n"
                               "        <string>\xC3\xA9&#x09;&lt;a &amp; b&gt;&#x0A;&quot;q&quot; &apos;p&apos; "
                               "&amp;#x41;</string>\n"
                               "        <key>H</key>\n"
                               "        <real>-25000000000.000000</real>\n"
                               "    </dict>\n"
                               "</plist>\n");
}

TEST(AKXmlPlistWriter, RealsUseADotWhateverTheLocale)
{
    char const* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.utf8") == nullptr)
        GTEST_SKIP() << "no German locale installed";

    AKDictionary d;
    d.SetValue("Gain", Real(1.5));
    std::string text = SaveText(d, false);
    AKDictionary back;
    int status = back.LoadFromXmlString(AKString(text), false);
    std::setlocale(LC_NUMERIC, saved.c_str());

    EXPECT_NE(text.find("<real>1.500000</real>"), std::string::npos) << text;
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(back.IsEqual(d));
}

TEST(AKXmlPlistWriter, EmptyValueFailsTheWholeSaveWithoutText)
{
    AKDictionary d;
    d.SetValue("Good", Int(1));
    d.SetValue("Nested.List", Arr({Int(1), AKValue()}));

    LogCapture log;
    AKString text("previous");
    EXPECT_EQ(d.SaveToXmlString(&text, true), kAKErrorDictionaryXmlUnknownType);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorDictionaryXmlUnknownType, "kAKErrorDictionaryXmlUnknownType",
                                          "Unknown type <enum 0> in Xml-file at line -1")));
}

// --- Reading ---

struct ReadErrorCase {
    char const* what;
    std::string text;
    bool plist;
    int status;
    int line;
    std::string message;  // empty: no line logged
};

TEST(AKXmlPlistReader, EveryReadingErrorGivesItsCodeMessageAndLine)
{
    std::string const badStructure = "Bad structure in Xml-file at line ";
    std::vector<ReadErrorCase> const cases = {
        {"empty text", "", true, kAKErrorDictionaryXmlCantRead, 0, "Can't read the Xml-file \"\" (error at line 0)"},
        {"white space only", " \n\t\n", false, kAKErrorDictionaryXmlCantRead, 0,
         "Can't read the Xml-file \"\" (error at line 0)"},
        {"text after a NUL byte", std::string("\0<dict/>", 8), false, kAKErrorDictionaryXmlCantRead, 0,
         "Can't read the Xml-file \"\" (error at line 0)"},
        {"unclosed element", "<dict>\n<key>a</key>\n<integer>1</integer>\n<string>x</dict>\n", false,
         kAKErrorDictionaryXmlCantRead, 4, "Can't read the Xml-file \"\" (error at line 4)"},
        {"no element at all", "<!-- nothing -->\n", false, kAKErrorDictionaryXmlBadStructure, 0, badStructure + "0"},
        {"root dict with the wrapper expected", kDeclaration + "\n<dict/>\n", true, kAKErrorDictionaryXmlBadStructure,
         3, badStructure + "3"},
        {"root plist without the wrapper expected", "<plist version=\"1.0\">\n<dict/>\n</plist>\n", false,
         kAKErrorDictionaryXmlBadStructure, 1, badStructure + "1"},
        {"newer version", kDeclaration + "<plist version=\"1.1\">\n<dict/>\n</plist>\n", true,
         kAKErrorDictionaryXmlBadVersion, 2, "Bad version (1.1) in Xml-file at line 2"},
        {"longer version", "<plist version=\"1.0.1\"><dict/></plist>", true, kAKErrorDictionaryXmlBadVersion, 1,
         "Bad version (1.0.1) in Xml-file at line 1"},
        {"empty wrapper", kDeclaration + "<plist version=\"1.0\">\n</plist>\n", true, kAKErrorDictionaryXmlBadStructure,
         0, badStructure + "0"},
        {"wrapper holding an array", "<plist>\n<array/>\n</plist>\n", true, kAKErrorDictionaryXmlBadStructure, 2,
         badStructure + "2"},
        {"key without value", PlistAround("<key>a</key>\n"), true, kAKErrorDictionaryXmlBadStructure, 0,
         badStructure + "0"},
        {"value without key", PlistAround("<key>a</key>\n<true/>\n<integer>1</integer>\n"), true,
         kAKErrorDictionaryXmlBadStructure, 6, badStructure + "6"},
        {"two keys in a row", PlistAround("<key>a</key>\n<key>b</key>\n<true/>\n"), true,
         kAKErrorDictionaryXmlBadStructure, 5, badStructure + "5"},
        {"empty key", PlistAround("<key></key>\n<true/>\n"), true, kAKErrorDictionaryXmlBadStructure, 4,
         badStructure + "4"},
        {"key inside an array", PlistAround("<key>a</key>\n<array>\n<key>b</key>\n</array>\n"), true,
         kAKErrorDictionaryXmlBadStructure, 6, badStructure + "6"},
        {"integer that does not parse", PlistAround("<key>a</key>\n<integer>abc</integer>\n"), true,
         kAKErrorDictionaryXmlBadStructure, 5, badStructure + "5"},
        {"empty integer", PlistAround("<key>a</key>\n<integer/>\n"), true, kAKErrorDictionaryXmlBadStructure, 5,
         badStructure + "5"},
        {"real that does not parse", PlistAround("<key>a</key>\n<real>x1</real>\n"), true,
         kAKErrorDictionaryXmlBadStructure, 5, badStructure + "5"},
        {"unknown element", PlistAround("<key>when</key>\n<date>2024-01-01</date>\n"), true,
         kAKErrorDictionaryXmlUnknownType, 5, "Unknown type <date> in Xml-file at line 5"},
        {"unknown element deep inside",
         PlistAround("<key>a</key>\n<array>\n<dict>\n<key>b</key>\n<Real>1</Real>\n"
                     "</dict>\n</array>\n"),
         true, kAKErrorDictionaryXmlUnknownType, 8, "Unknown type <Real> in Xml-file at line 8"},
        {"invalid key", PlistAround("<key>ok</key>\n<true/>\n<key>My Key</key>\n<true/>\n"), true,
         kAKErrorDictionaryInvalidKey, 6, ""},
        {"key path through a value", PlistAround("<key>a</key>\n<true/>\n<key>a.b</key>\n<true/>\n"), true,
         kAKErrorDictionaryInvalidKey, 6, ""},
    };

    for (ReadErrorCase const& c : cases) {
        SCOPED_TRACE(c.what);
        AKDictionary d;
        d.SetValue("Stale", Int(1));
        int line = -5;
        LogCapture log;
        EXPECT_EQ(d.LoadFromXmlString(AKString(c.text), c.plist, &line), c.status);
        EXPECT_EQ(line, c.line);
        EXPECT_TRUE(d.IsEmpty());
        if (c.message.empty()) {
            EXPECT_TRUE(log.Lines().empty());
        } else {
            char const* name = c.status == kAKErrorDictionaryXmlCantRead       ? "kAKErrorDictionaryXmlCantRead"
                               : c.status == kAKErrorDictionaryXmlBadVersion   ? "kAKErrorDictionaryXmlBadVersion"
                               : c.status == kAKErrorDictionaryXmlBadStructure ? "kAKErrorDictionaryXmlBadStructure"
                                                                               : "kAKErrorDictionaryXmlUnknownType";
            EXPECT_EQ(log.Lines(), Only(ErrorLine(c.status, name, c.message)));
        }
    }
}

TEST(AKXmlPlistReader, AcceptedVersionsAndLenientValues)
{
    for (char const* version : {" version=\"1.0\"", " version=\"0.9\"", " version=\"1\"", ""}) {
        SCOPED_TRACE(version);
        AKDictionary d;
        int line = -5;
        EXPECT_EQ(d.LoadFromXmlString(AKString(std::string("<plist") + version + "><dict/></plist>"), true, &line), 0);
        EXPECT_EQ(line, 0);
    }

    // Content of booleans is ignored, numbers are read from their start,
    // and elements without text give empty strings and blocks.
    AKDictionary d;
    ASSERT_EQ(d.LoadFromXmlString(AKString(PlistAround("<key>t</key><true>no</true>\n"
                                                       "<key>i</key><integer> 12abc </integer>\n"
                                                       "<key>r</key><real>-1.5e3x</real>\n"
                                                       "<key>s</key><string/>\n"
                                                       "<key>b</key><data/>\n")),
                                  true),
              0);
    AKDictionary expected;
    expected.SetValue("t", Bool(true));
    expected.SetValue("i", Int(12));
    expected.SetValue("r", Real(-1500));
    expected.SetValue("s", Str(""));
    expected.SetValue("b", Bin(""));
    EXPECT_TRUE(d.IsEqual(expected));
}

TEST(AKXmlPlistReader, NonFiniteRealsOfOlderFilesStillLoad)
{
    AKDictionary d;
    ASSERT_EQ(d.LoadFromXmlString(AKString(PlistAround("<key>n</key><real>nan</real>\n"
                                                       "<key>p</key><real>inf</real>\n"
                                                       "<key>m</key><real>-inf</real>\n")),
                                  true),
              0);
    double n = 0.0, p = 0.0, m = 0.0;
    ASSERT_TRUE(d.GetValue("n").GetasFloat(&n, false));
    ASSERT_TRUE(d.GetValue("p").GetasFloat(&p, false));
    ASSERT_TRUE(d.GetValue("m").GetasFloat(&m, false));
    EXPECT_TRUE(std::isnan(n));
    EXPECT_EQ(p, HUGE_VAL);
    EXPECT_EQ(m, -HUGE_VAL);
}

TEST(AKXmlPlistReader, CommentsAndTextAroundElementsAreSkipped)
{
    std::string const text = "<!-- before -->\n<dict>\n"
                             "  <!-- first -->stray text\n"
                             "  <key>a</key> <!-- between --> <integer>1</integer>\n"
                             "  <key>list</key><array><!-- lead -->text<string>x</string><!-- mid --><false/></array>\n"
                             "  <key>d</key><dict><!-- only a comment --></dict>\n"
                             "</dict>\n<!-- after -->\n";
    AKDictionary d;
    ASSERT_EQ(d.LoadFromXmlString(AKString(text), false), 0);

    AKDictionary expected;
    expected.SetValue("a", Int(1));
    expected.SetValue("list", Arr({Str("x"), Bool(false)}));
    expected.SetValue("d", Dict(AKDictionary()));
    EXPECT_TRUE(d.IsEqual(expected));
}

TEST(AKXmlPlistReader, KeyPathsBuildNestedDictionariesAndLaterPairsWin)
{
    AKDictionary d;
    ASSERT_EQ(d.LoadFromXmlString(AKString("<dict><key>Gui.Fps</key><integer>30</integer>"
                                           "<key>Gui.Size</key><integer>2</integer>"
                                           "<key>x</key><string>first</string>"
                                           "<key>x</key><string>second</string></dict>"),
                                  false),
              0);
    EXPECT_EQ(d.Count(), 2u);
    EXPECT_TRUE(d.GetValue("Gui.Fps").IsEqual(Int(30)));
    EXPECT_TRUE(d.GetValue("Gui.Size").IsEqual(Int(2)));
    EXPECT_TRUE(d.GetValue("x").IsEqual(Str("second")));
}

TEST(AKXmlPlistReader, LinesOfCrLfFilesAndByteOrderMark)
{
    // CR LF and lone CR count as one line break each.
    AKDictionary d;
    int line = 0;
    std::string const crlf = "<dict>\r\n<key>a</key>\r<true/>\r\n\r\n<key>b</key>\r\n<date/>\r\n</dict>\r\n";
    EXPECT_EQ(d.LoadFromXmlString(AKString(crlf), false, &line), kAKErrorDictionaryXmlUnknownType);
    EXPECT_EQ(line, 6);

    std::string const bom = "\xEF\xBB\xBF" + PlistAround("<key>s</key><string>Caf\xC3\xA9</string>\n");
    ASSERT_EQ(d.LoadFromXmlString(AKString(bom), true, &line), 0);
    EXPECT_EQ(line, 0);
    EXPECT_TRUE(d.GetValue("s").IsEqual(Str("Caf\x8E")));
}

TEST(AKXmlPlistReader, StreamsThatCannotBeReadLeaveTheLineUntouched)
{
    AKDictionary d;
    d.SetValue("Stale", Int(1));
    int line = 42;
    LogCapture log;
    AKFile closed(static_cast<void const*>("<dict/>"), 7);
    EXPECT_EQ(d.LoadFromOpenedXmlFile(closed, false, &line), kAKErrorFileNotOpened);
    EXPECT_EQ(line, 42);
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_EQ(log.Lines().size(), 1u);

    d.SetValue("Stale", Int(1));
    EXPECT_EQ(d.LoadFromXmlFile(AKFilePath("/nonexistent-folder/prefs.xml"), true, &line), kAKErrorFileCantOpen);
    EXPECT_EQ(line, 42);
    EXPECT_TRUE(d.IsEmpty());
}

TEST(AKXmlPlistReader, OpenedStreamIsReadFromItsStart)
{
    AKDictionary source;
    source.SetValue("a", Int(1));
    AKString text;
    ASSERT_EQ(source.SaveToXmlString(&text, true), 0);

    AKFile stream(text.c_str(), text.Length());
    ASSERT_EQ(stream.OpenForRead(), 0);
    ASSERT_EQ(stream.SetPos(10), 0);
    AKDictionary d;
    ASSERT_EQ(d.LoadFromOpenedXmlFile(stream, true), 0);
    EXPECT_TRUE(d.IsEqual(source));
}

TEST(AKXmlPlistReader, DeepNestingFailsCleanly)
{
    // Values nest at most as deep as the binary form allows.
    std::string text = "<dict><key>a</key>";
    for (int i = 0; i < 300; ++i)
        text += "\n<array>";
    for (int i = 0; i < 300; ++i)
        text += "</array>";
    text += "</dict>";
    AKDictionary d;
    int line = 0;
    {
        LogCapture log;
        EXPECT_EQ(d.LoadFromXmlString(AKString(text), false, &line), kAKErrorDictionaryXmlBadStructure);
        EXPECT_EQ(line, 257);  // the 256th array, below the top dict, is one level too deep
        EXPECT_EQ(log.Lines().size(), 1u);
    }

    // Well-formed but nested past what the parser can take on a stack:
    // parsed on a thread of its own, then refused by the reader.
    std::string deep = "<dict><key>a</key>";
    for (int i = 0; i < 4000; ++i)
        deep += "<array>";
    for (int i = 0; i < 4000; ++i)
        deep += "</array>";
    deep += "</dict>";
    EXPECT_EQ(d.LoadFromXmlString(AKString(deep), false, &line), kAKErrorDictionaryXmlBadStructure);
    EXPECT_EQ(line, 1);

    // Far deeper: refused before parsing, at the line of the first element too deep.
    std::string deeper = "<dict>\n";
    for (int i = 0; i < 200000; ++i)
        deeper += "<a>";
    EXPECT_EQ(d.LoadFromXmlString(AKString(deeper), false, &line), kAKErrorDictionaryXmlBadStructure);
    EXPECT_EQ(line, 2);
    EXPECT_TRUE(d.IsEmpty());
}

TEST(AKXmlPlistReader, LargeFlatDocumentReads)
{
    AKDictionary d;
    for (int i = 0; i < 5000; ++i) {
        char key[16];
        std::snprintf(key, sizeof(key), "k%05d", i);
        d.SetValue(key, Arr({Int(i), Str("v")}));
    }
    AKString text;
    ASSERT_EQ(d.SaveToXmlString(&text, true), 0);
    AKDictionary back;
    ASSERT_EQ(back.LoadFromXmlString(text, true), 0);
    EXPECT_TRUE(back.IsEqual(d));
}

TEST(AKXmlPlistReader, ErrorLineBelongsToTheReadingThread)
{
    auto readLoop = [](std::string const& text, int expectedLine, bool* ok) {
        for (int i = 0; i < 200 && *ok; ++i) {
            AKDictionary d;
            int line = -1;
            *ok = d.LoadFromXmlString(AKString(text), false, &line) == kAKErrorDictionaryXmlUnknownType &&
                  line == expectedLine;
        }
    };
    bool firstOk = true;
    bool secondOk = true;
    std::thread first(readLoop, std::string("<dict>\n<key>a</key>\n<date/>\n</dict>"), 3, &firstOk);
    std::thread second(readLoop, std::string("<dict>\n\n\n\n\n<key>a</key>\n<date/>\n</dict>"), 7, &secondOk);
    first.join();
    second.join();
    EXPECT_TRUE(firstOk);
    EXPECT_TRUE(secondOk);
}

// --- Round trips ---

TEST(AKXmlPlistRoundTrip, EveryKindNestedTwoLevelsReadsBackEqual)
{
    AKDictionary const original = EveryKind();
    for (bool plist : {true, false}) {
        SCOPED_TRACE(plist);
        std::string text = SaveText(original, plist);
        AKDictionary back;
        int line = -1;
        ASSERT_EQ(back.LoadFromXmlString(AKString(text), plist, &line), 0);
        EXPECT_EQ(line, 0);
        EXPECT_TRUE(back.IsEqual(original));
        EXPECT_EQ(SaveText(back, plist), text);
    }
}

TEST(AKXmlPlistRoundTrip, EqualDictionariesGiveIdenticalBytes)
{
    AKDictionary a;
    a.SetValue("z", Int(1));
    a.SetValue("A.b", Str("x"));
    a.SetValue("_", Bool(true));
    AKDictionary b;
    b.SetValue("_", Bool(true));
    b.SetValue("A.b", Str("x"));
    b.SetValue("z", Int(1));
    ASSERT_TRUE(a.IsEqual(b));
    EXPECT_EQ(SaveText(a), SaveText(b));
    EXPECT_EQ(SaveText(a, false), SaveText(b, false));
}

TEST(AKXmlPlistRoundTrip, StringsSurviveEscapingButNotOuterOrDoubledSpaces)
{
    struct Case {
        std::string written;
        std::string read;
    };
    std::vector<Case> const cases = {
        {"line\nfeed\tand tab", "line\nfeed\tand tab"},
        {"  a  b ", "a b"},
        {"<&>\"'", "<&>\"'"},
        {"a\r\nb", "a\r\nb"},
        {"\r\n", ""},                                  // white space alone, even written as references, is no text
        {"&#x41; &#xZZ &amp;", "&#x41; &#xZZ &amp;"},  // references in the text stay text
        {"\x80\xA5\xFF", "\x80\xA5\xFF"},              // Mac Roman through UTF-8
        {"", ""},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.written);
        AKDictionary d;
        d.SetValue("s", Str(c.written));
        AKDictionary back;
        ASSERT_EQ(back.LoadFromXmlString(AKString(SaveText(d)), true), 0);
        EXPECT_TRUE(back.GetValue("s").IsEqual(Str(c.read)));
    }
}

TEST(AKXmlPlistRoundTrip, RealsKeepSixDecimals)
{
    AKDictionary d;
    d.SetValue("a", Real(0.1234567));
    d.SetValue("b", Real(1e-7));
    d.SetValue("c", Real(-0.0));
    AKDictionary back;
    ASSERT_EQ(back.LoadFromXmlString(AKString(SaveText(d)), true), 0);
    EXPECT_TRUE(back.GetValue("a").IsEqual(Real(0.123457)));
    EXPECT_TRUE(back.GetValue("b").IsEqual(Real(0.0)));
    EXPECT_TRUE(back.GetValue("c").IsEqual(Real(0.0)));
}

// --- Base64 ---

TEST(AKBase64, EncodingAndDecodingTables)
{
    std::vector<std::pair<std::string, std::string>> const encodings = {
        {"", ""},
        {"A", "QQ=="},
        {"AB", "QUI="},
        {"ABC", "QUJD"},
        {"ABCD", "QUJDRA=="},
        {std::string("\x00\xFF\xFE", 3), "AP/+"},
        {"foobar", "Zm9vYmFy"},
    };
    for (auto const& e : encodings) {
        SCOPED_TRACE(e.second);
        EXPECT_EQ(Encoded(e.first), e.second);
        EXPECT_EQ(Decoded(e.second), e.first);
    }

    std::vector<std::pair<std::string, std::string>> const decodings = {
        {"QU JD", "ABC"},    {"QUJD=", "ABC"}, {"=", ""},        {"Q", ""},
        {"QUJ\nD\n", "ABC"}, {"Q=Q==", "A"},   {"!@#QUI", "AB"}, {"QQ==QQ==", std::string("A\x04\x10", 3)},
    };
    for (auto const& d : decodings) {
        SCOPED_TRACE(d.first);
        EXPECT_EQ(Decoded(d.first), d.second);
    }
}

TEST(AKBase64, EveryLengthAndByteRoundTrips)
{
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(Decoded(Encoded(bytes)), bytes) << "length " << i;
        EXPECT_EQ(Encoded(bytes).size(), (bytes.size() + 2) / 3 * 4);
        bytes += static_cast<char>((i * 151 + 7) & 0xFF);
    }
    AKMemoryBlock empty;
    LowDecodeBinaryFromBase64("", 0, &empty);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.Data(), nullptr);
}

// --- Files and streams ---

TEST_F(XmlFileTest, SaveAndLoadFile)
{
    AKDictionary const original = EveryKind();
    std::string const path = Path("prefs.xml");
    Write(path, "an older and much longer content that must disappear entirely");
    chmod(path.c_str(), 0640);

    ASSERT_EQ(original.SaveToXmlFile(AKFilePath(path), true), 0);
    EXPECT_EQ(Content(path), SaveText(original));
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"prefs.xml"});

    AKDictionary back;
    int line = -1;
    ASSERT_EQ(back.LoadFromXmlFile(AKFilePath(path), true, &line), 0);
    EXPECT_EQ(line, 0);
    EXPECT_TRUE(back.IsEqual(original));

    // A file read with the message naming its path.
    Write(path, "<dict>\n<key>a</key>\n<oops/>\n");
    LogCapture log;
    EXPECT_EQ(back.LoadFromXmlFile(AKFilePath(path), false, &line), kAKErrorDictionaryXmlCantRead);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("Can't read the Xml-file \"" + path + "\" (error at line "), std::string::npos);
}

TEST_F(XmlFileTest, FailedSaveLeavesThePreviousFileIntact)
{
    std::string const path = Path("doc.xml");
    std::string const previous = SaveText(EveryKind());
    Write(path, previous);

    // A value without an element: nothing is written.
    AKDictionary bad = EveryKind();
    bad.SetValue("Middle.Broken", AKValue());
    {
        LogCapture log;
        EXPECT_EQ(bad.SaveToXmlFile(AKFilePath(path), true), kAKErrorDictionaryXmlUnknownType);
        EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorDictionaryXmlUnknownType, "kAKErrorDictionaryXmlUnknownType",
                                              "Unknown type <enum 0> in Xml-file at line -1")));
    }
    EXPECT_EQ(Content(path), previous);

    // Targets that cannot be written: a missing folder, a folder that is a
    // file, a target that is a folder.
    mkdir(Path("folder").c_str(), 0755);
    AKDictionary good = EveryKind();
    for (std::string target : {Path("missing/doc.xml"), path + "/doc.xml", Path("folder")}) {
        SCOPED_TRACE(target);
        LogCapture log;
        EXPECT_EQ(good.SaveToXmlFile(AKFilePath(target), true), kAKErrorDictionaryXmlCantWrite);
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_EQ(log.Lines().back(), ErrorLine(kAKErrorDictionaryXmlCantWrite, "kAKErrorDictionaryXmlCantWrite",
                                                "Can't write the Xml-file \"" + target + "\""));
    }
    EXPECT_EQ(Content(path), previous);
    struct stat info;
    EXPECT_EQ(stat(Path("folder").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    rmdir(Path("folder").c_str());
    EXPECT_EQ(Entries(), std::vector<std::string>{"doc.xml"});
}

TEST_F(XmlFileTest, OpenedStreamsAreWrittenFromTheirStartAndCutToTheText)
{
    AKDictionary d;
    d.SetValue("a", Int(1));
    std::string const text = SaveText(d);
    std::string const longer = std::string(text.size(), '-') + std::string(64, '#');

    // Nothing of a longer previous content is left after the text.
    AKFile stream(kAKFileModeMemoryStream);
    ASSERT_EQ(stream.CreateForReadWrite(), 0);
    ASSERT_EQ(stream.Write(longer.data(), longer.size()), 0);
    ASSERT_EQ(d.SaveToOpenedXmlFile(stream, true), 0);
    AKMemoryBlock bytes;
    ASSERT_EQ(stream.GetMemoryStreamDataBlock(&bytes), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char const*>(bytes.Data()), bytes.Size()), text);

    std::string const path = Path("opened.xml");
    Write(path, longer);
    {
        AKFile file{AKFilePath(path)};
        ASSERT_EQ(file.OpenForReadWrite(), 0);
        ASSERT_EQ(file.Seek(0, kAKFileWhenceEnd), 0);
        ASSERT_EQ(d.SaveToOpenedXmlFile(file, true), 0);
    }
    EXPECT_EQ(Content(path), text);

    // Not open for writing: the file layer's code.
    AKFile closed(kAKFileModeMemoryStream);
    {
        LogCapture log;
        EXPECT_EQ(d.SaveToOpenedXmlFile(closed, true), kAKErrorFileNotOpened);
        EXPECT_EQ(log.Lines().size(), 1u);
    }

    // A write that fails is reported, never taken for success.
    AKFile full(AKFilePath("/dev/full"));
    if (full.OpenForReadWrite() != 0)
        GTEST_SKIP() << "no /dev/full";
    LogCapture log;
    EXPECT_EQ(d.SaveToOpenedXmlFile(full, true), kAKErrorDictionaryXmlCantWrite);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[1], ErrorLine(kAKErrorDictionaryXmlCantWrite, "kAKErrorDictionaryXmlCantWrite",
                                        "Can't write the Xml-file \"/dev/full\""));
}

}  // namespace
