// The registry of preference members: fields reached by offsets (copies
// describe themselves), dictionaries in both directions with the tag
// filter, equality, parameters strings with their warnings, and the log.

#include "AKLog.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVPrefMemberArray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// An owner with one field of every type, registered the way owners do.
struct Owner {
    QVPrefMemberArray members;
    bool flag = true;
    unsigned int count = 7;
    int offset = -7;
    float ratio = 1.5f;
    double seconds = 2.5;
    AKString name = "kept";
    AKFilePath path = "/kept/";
    AGColor color = AGColor(0x11223344u);
    AGInterval span = {1.0, 2.0};
    bool hidden = true;    // tag 2: never in dictionaries
    double ignored = 1.0;  // tag 4: never compared
    unsigned int grouped;  // group bit 0x10

    Owner()
    {
        members.RegisterMember("S_Flag", "S.Flag", &flag, 0);
        members.RegisterMember("S_Count", "S.Count", &count, 1);
        members.RegisterMember("S_Offset", "S.Offset", &offset, 0);
        members.RegisterMember("S_Ratio", "S.Ratio", &ratio, 0);
        members.RegisterMember("S_Seconds", "S.Seconds", &seconds, 0);
        members.RegisterMember("S_Name", "S.Name", &name, 0);
        members.RegisterMember("S_Path", "S.Path", &path, 0);
        members.RegisterMember("S_Color", "S.Color", &color, 0);
        members.RegisterMember("S_Span", "S.Span", &span, 0);
        members.RegisterMember("S_Hidden", "S.Hidden", &hidden, 2);
        members.RegisterMember("S_Ignored", "S.Ignored", &ignored, 4);
        members.RegisterMember("S_Grouped", "S.Grouped", &grouped, 0x10);
    }

    void Fill()
    {
        flag = true;
        count = 42;
        offset = -3;
        ratio = 0.25f;
        seconds = 12.5;
        name = "two words";
        path = "/some/where/";
        color = AGColor::FromRGBA(1, 2, 3, 4);
        span = {0.5, 1.5};
        hidden = true;
        ignored = 9.0;
        grouped = 5;
    }
};

TEST(QVPrefMemberArrayTest, RegistrationZeroesNumbersOnly)
{
    Owner const owner;
    EXPECT_FALSE(owner.flag);
    EXPECT_EQ(owner.count, 0u);
    EXPECT_EQ(owner.offset, 0);
    EXPECT_EQ(owner.ratio, 0.0f);
    EXPECT_EQ(owner.seconds, 0.0);
    EXPECT_EQ(owner.name, AKString("kept"));
    EXPECT_EQ(owner.path, AKFilePath("/kept/"));
    EXPECT_EQ(owner.members.Count(), 12u);
    EXPECT_FALSE(owner.members.IsModified());

    QVPrefMember const* member = owner.members.FindMemberByName("S_Seconds");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->GetKey(), AKString("S.Seconds"));
    EXPECT_EQ(member->GetValueType(), kQVPrefTypeFloat64);
    EXPECT_EQ(owner.members.FindMemberByName("S.Seconds"), nullptr);
    EXPECT_EQ(owner.members.FindMemberByName("s_seconds"), nullptr);
    EXPECT_EQ(owner.members.FindMemberByName(""), nullptr);
}

TEST(QVPrefMemberArrayTest, ACopiedOwnerDescribesItsOwnFields)
{
    Owner original;
    original.Fill();
    Owner copy = original;
    EXPECT_TRUE(copy.members.SetupFromParametersString("S_Count=99;S_Name=copied"));
    EXPECT_EQ(copy.count, 99u);
    EXPECT_EQ(copy.name, AKString("copied"));
    EXPECT_EQ(original.count, 42u);
    EXPECT_EQ(original.name, AKString("two words"));

    AKDictionary written;
    copy.members.WriteToDictionary(&written, 0);
    EXPECT_EQ(AKValueGetasUInt(written.GetValue("S.Count"), false), 99u);
}

TEST(QVPrefMemberArrayTest, DictionaryRoundTripKeepsEveryType)
{
    Owner source;
    source.Fill();
    AKDictionary dictionary;
    dictionary.SetValue("Other.Entry", AKValueSetasSInt(5));
    EXPECT_EQ(source.members.WriteToDictionary(&dictionary, 0), 0);
    EXPECT_TRUE(dictionary.ContainsKey("Other.Entry"));  // entries already there stay
    EXPECT_FALSE(dictionary.ContainsKey("S.Hidden"));
    // The colour is stored as its 32-bit pattern.
    EXPECT_EQ(AKValueGetasUInt(dictionary.GetValue("S.Color"), false), source.color.value);

    Owner target;
    EXPECT_EQ(target.members.ReadFromDictionary(dictionary, 0), 0);
    EXPECT_FALSE(target.hidden);  // not read: keeps its value
    target.hidden = source.hidden;
    EXPECT_TRUE(target.members.AreEqualMemberValues(source.members));
    EXPECT_EQ(target.span.end, 1.5);
    EXPECT_EQ(target.ratio, 0.25f);
}

TEST(QVPrefMemberArrayTest, ReadingKeepsFieldsForMissingOrIllKindedEntries)
{
    Owner owner;
    owner.Fill();
    AKDictionary dictionary;
    dictionary.SetValue("S.Count", AKValueSetasSInt(-5));         // negative for an unsigned
    dictionary.SetValue("S.Flag", AKValueSetasSInt(0));           // an integer for a bool
    dictionary.SetValue("S.Seconds", AKValueSetasAKString("3"));  // text for a real
    dictionary.SetValue("S.Path", AKValueSetasSInt(1));           // a number for a path
    dictionary.SetValue("S.Hidden", AKValueSetasBool(false));     // tag 2: never read
    owner.members.ReadFromDictionary(dictionary, 0);
    EXPECT_EQ(owner.count, 42u);
    EXPECT_TRUE(owner.flag);
    EXPECT_EQ(owner.seconds, 12.5);
    EXPECT_EQ(owner.path, AKFilePath("/some/where/"));
    EXPECT_TRUE(owner.hidden);
    EXPECT_EQ(owner.name, AKString("two words"));  // missing key
}

TEST(QVPrefMemberArrayTest, TheTagFilterTakesUngroupedAndMatchingGroups)
{
    struct Case {
        uint32_t tag;
        uint32_t filter;
        bool taken;
    };
    Case const cases[] = {
        {0, 0, true},    {1, 0, true},        {2, 0, false},       {3, 0, false},
        {0x10, 0, true}, {0x10, 0x10, true},  {0x10, 0x20, false}, {0x30, 0x20, true},
        {0, 0x20, true}, {0x12, 0x10, false}, {1, 0x1, true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag << " filter " << c.filter);
        QVPrefMember const member("A_B", "A.B", c.tag, kQVPrefTypeBool, 0);
        EXPECT_EQ(member.IsSaveTag(c.filter), c.taken);
    }

    Owner owner;
    owner.Fill();
    AKDictionary dictionary;
    owner.members.WriteToDictionary(&dictionary, 0x20);
    EXPECT_FALSE(dictionary.ContainsKey("S.Grouped"));
    EXPECT_TRUE(dictionary.ContainsKey("S.Count"));
}

TEST(QVPrefMemberArrayTest, Equality)
{
    Owner a;
    Owner b;
    a.Fill();
    b.Fill();
    EXPECT_TRUE(a.members.AreEqualMemberValues(a.members));
    EXPECT_TRUE(a.members.AreEqualMemberValues(b.members));
    b.ignored = 100.0;  // tag 4
    EXPECT_TRUE(a.members.AreEqualMemberValues(b.members));
    b.span.beg = 0.75;
    EXPECT_FALSE(a.members.AreEqualMemberValues(b.members));
    b.span.beg = a.span.beg;
    a.seconds = b.seconds = std::nan("");
    EXPECT_FALSE(a.members.AreEqualMemberValues(b.members));
    EXPECT_TRUE(a.members.AreEqualMemberValues(a.members));  // the same registry, even holding a NaN

    QVPrefMemberArray empty1;
    QVPrefMemberArray empty2;
    EXPECT_TRUE(empty1.AreEqualMemberValues(empty2));
    EXPECT_FALSE(empty1.AreEqualMemberValues(a.members));

    // A member of an unknown type never compares equal.
    QVPrefMember const odd("X", "X.Y", 0, 42, 0);
    int const x = 0;
    EXPECT_FALSE(odd.IsEqualMemberValue(&x, &x, odd));
}

TEST(QVPrefMemberArrayTest, ParametersStringsApplyGoodElementsAndWarnOnBadOnes)
{
    struct Case {
        char const* text;
        bool applied;
        std::vector<std::string> warnings;  // the elements named, in order
        int warningCode;
    };
    Case const cases[] = {
        {"S_Flag=1", true, {}, 0},
        {"S_Flag=true", false, {"S_Flag=true"}, 508},
        {"S_Flag=2", false, {"S_Flag=2"}, 508},
        {"S.Flag=1", false, {"S.Flag=1"}, 507},
        {"S_Flag", false, {"S_Flag"}, 507},
        {"=1", false, {"=1"}, 507},
        {"s_flag=1", false, {"s_flag=1"}, 507},
        {" ; ;\t;\n ; ", false, {}, 0},
        {"", false, {}, 0},
        {"S_Count=-1", false, {"S_Count=-1"}, 508},
        {"S_Seconds=abc;S_Count=5", true, {"S_Seconds=abc"}, 508},
        {"S_Count=5;Nope=3", true, {"Nope=3"}, 507},
        {"S_Color=red", false, {"S_Color=red"}, 508},
        {"S_Span=x", false, {"S_Span=x"}, 508},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        Owner owner;
        owner.Fill();
        LogCapture capture;
        EXPECT_EQ(owner.members.SetupFromParametersString(c.text), c.applied);
        std::vector<std::string> const lines = capture.Lines();
        ASSERT_EQ(lines.size(), c.warnings.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string const quoted = "\"" + c.warnings[i] + "\"";
            EXPECT_NE(lines[i].find(quoted), std::string::npos) << lines[i];
            EXPECT_NE(lines[i].find(std::to_string(c.warningCode)), std::string::npos) << lines[i];
            EXPECT_NE(lines[i].find(c.warningCode == 507 ? "Unknown parameter" : "Wrong value for parameter"),
                      std::string::npos);
        }
        // The registry never marks its owner modified.
        EXPECT_FALSE(owner.members.IsModified());
    }
    EXPECT_FALSE(QVPrefMemberArray().SetupFromParametersString(static_cast<char const*>(nullptr)));
}

// Colour and interval texts hold ";", so they reach a member through its
// own conversion rather than a parameters string.
TEST(QVPrefMemberArrayTest, ColourAndIntervalTextForms)
{
    Owner owner;
    owner.Fill();
    QVPrefMember const colour = *owner.members.FindMemberByName("S_Color");
    QVPrefMember const span = *owner.members.FindMemberByName("S_Span");
    EXPECT_TRUE(QVPrefMember(colour).SetupFromStringValue(&owner.members, "(9;8;7)"));
    EXPECT_EQ(owner.color, AGColor::FromRGBA(9, 8, 7, 255));
    EXPECT_FALSE(QVPrefMember(colour).SetupFromStringValue(&owner.members, "red"));
    EXPECT_EQ(owner.color, AGColor::FromRGBA(9, 8, 7, 255));
    EXPECT_TRUE(QVPrefMember(span).SetupFromStringValue(&owner.members, "(0.1;0.2)"));
    EXPECT_EQ(owner.span.end, 0.2);
    EXPECT_FALSE(QVPrefMember(span).SetupFromStringValue(&owner.members, "(0.1)"));
    EXPECT_EQ(owner.span.beg, 0.1);
    QVPrefMember unknown("X", "X.Y", 0, 0, 0);
    EXPECT_FALSE(unknown.SetupFromStringValue(&owner.members, "1"));
}

TEST(QVPrefMemberArrayTest, ParametersStringsDropBlanksAndKeepLaterGoodValues)
{
    Owner owner;
    owner.Fill();
    LogCapture capture;
    // Blanks vanish everywhere, so a two-word value arrives as one word.
    EXPECT_TRUE(owner.members.SetupFromParametersString(" S_Name = two words ;\r\n S_Count=8;S_Flag=0;S_Count=x;"
                                                        "S_Seconds=0.125;S_Path=/a b/c/;S_Offset=-12;S_Ratio=2e-1"));
    EXPECT_EQ(owner.name, AKString("twowords"));
    EXPECT_EQ(owner.count, 8u);  // the refused second value keeps the first
    EXPECT_FALSE(owner.flag);
    EXPECT_EQ(owner.seconds, 0.125);
    EXPECT_EQ(owner.path, AKFilePath("/ab/c/"));
    EXPECT_EQ(owner.offset, -12);
    EXPECT_EQ(owner.ratio, 0.2f);
    EXPECT_EQ(capture.Lines().size(), 1u);

    // A value may itself hold "=": the name ends at the first one.
    EXPECT_TRUE(owner.members.SetupFromParametersString("S_Name=a=b"));
    EXPECT_EQ(owner.name, AKString("a=b"));
    // Muted warnings stay silent.
    capture.Clear();
    AKLogErrorMute();
    EXPECT_FALSE(owner.members.SetupFromParametersString("Nope=1"));
    AKLogErrorUnmute();
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(QVPrefMemberArrayTest, LogDescriptionsShowNameTypeAndValue)
{
    Owner owner;
    owner.Fill();
    owner.count = 4294967295u;
    LogCapture capture;
    owner.members.LogDescriptions();
    std::vector<std::string> const lines = capture.Lines();
    ASSERT_EQ(lines.size(), owner.members.Count());
    char expected[128];
    std::snprintf(expected, sizeof(expected), "%-36s %-12s %s\n", "S_Flag", "bool", "true");
    EXPECT_EQ(lines[0], expected);
    std::snprintf(expected, sizeof(expected), "%-36s %-12s %s\n", "S_Count", "UInt", "-1");
    EXPECT_EQ(lines[1], expected);
    EXPECT_NE(lines[2].find("SInt         -3\n"), std::string::npos);
    EXPECT_NE(lines[3].find("Float32      0.250000\n"), std::string::npos);
    EXPECT_NE(lines[4].find("Float64      12.500000\n"), std::string::npos);
    EXPECT_NE(lines[5].find("AKString     \"two words\"\n"), std::string::npos);
    EXPECT_NE(lines[6].find("AKFilePath   \"/some/where/\"\n"), std::string::npos);
    EXPECT_NE(lines[7].find("AGColor      (001;002;003;004)\n"), std::string::npos);
    EXPECT_NE(lines[8].find("AGInterval   (0.500000;1.500000)\n"), std::string::npos) << lines[8];
}

}  // namespace
