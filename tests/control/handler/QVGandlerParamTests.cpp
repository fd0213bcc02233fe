// The command parameter: its document and tree-action record, resetting and
// copying, and its options, whose getters take only the form of their own
// type and leave the caller's variable as it was when they refuse.

#include "AKTree.h"
#include "AKValueTyped.h"
#include "DocumentTestObjects.h"
#include "LogCapture.h"
#include "QVGandlerParam.h"
#include "QVPluginDescUID.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

// --- Strict getters ---

// Reads one key with one getter from a sentinel: {answer, sentinel kept}.
using Probe = std::function<std::pair<bool, bool>(QVGandlerParam const&, AKString const&)>;

template <class T>
bool SameValue(T const& a, T const& b)
{
    return a == b;
}

template <class T>
bool SameArray(T const& a, T const& b)
{
    if (a.Count() != b.Count())
        return false;
    for (unsigned int i = 0; i < a.Count(); ++i) {
        if (!(a[i] == b[i]))
            return false;
    }
    return true;
}

template <>
bool SameValue(AKStringArray const& a, AKStringArray const& b)
{
    return SameArray(a, b);
}

template <>
bool SameValue(AKFilePathArray const& a, AKFilePathArray const& b)
{
    return SameArray(a, b);
}

template <class T>
Probe MakeProbe(bool (QVGandlerParam::*getter)(AKString const&, T*) const, T const& sentinel)
{
    return [getter, sentinel](QVGandlerParam const& param, AKString const& key) {
        T out = sentinel;
        bool const answer = (param.*getter)(key, &out);
        return std::make_pair(answer, SameValue(out, sentinel));
    };
}

AKStringArray StringArray(std::initializer_list<char const*> items)
{
    AKStringArray array;
    for (char const* item : items)
        array.Push(AKString(item));
    return array;
}

AKFilePathArray PathArray(std::initializer_list<char const*> items)
{
    AKFilePathArray array;
    for (char const* item : items)
        array.Push(AKFilePath(item));
    return array;
}

// One option of each stored form, and a key that is missing.
QVGandlerParam OptionsOfEveryForm()
{
    QVGandlerParam param;
    param.WithOptionAsBool("Flag", true)
        .WithOptionAsSInt("Level", 3)
        .WithOptionAsSInt("Negative", -1)
        .WithOptionAsFloat64("Ratio", 0.5)
        .WithOptionAsAKString("Name", "track")
        .WithOptionAsAKFilePath("Path", AKFilePath("/a/b.wav"))
        .WithOptionAsAKTimeIntv("Range", AKTimeIntv{1.0, 2.0})
        .WithOptionAsAGPoint("Where", AGPoint{3.0, 4.0})
        .WithOptionAsAGRect("Box", AGRect{1.0, 2.0, 3.0, 4.0})
        .WithOptionAsAKStringArray("Names", StringArray({"a", "b"}))
        .WithOptionAsAKFilePathArray("Paths", PathArray({"/x.wav"}));
    return param;
}

TEST(QVGandlerParamOptionsTest, EachGetterTakesOnlyItsOwnForm)
{
    using Keys = std::set<std::string>;
    Keys const integers = {"Level", "Negative"};
    Keys const reals = {"Ratio"};
    Keys const texts = {"Name", "Path"};
    Keys const arrays = {"Names", "Paths"};
    struct Row {
        char const* getter;
        Probe probe;
        Keys accepted;
    };
    Row const rows[] = {
        {"Bool", MakeProbe<bool>(&QVGandlerParam::GetOptionAsBool, false), {"Flag"}},
        {"SInt32", MakeProbe<int>(&QVGandlerParam::GetOptionAsSInt, 77), integers},
        {"SInt64", MakeProbe<long long>(&QVGandlerParam::GetOptionAsSInt, 77), integers},
        {"UInt32", MakeProbe<unsigned int>(&QVGandlerParam::GetOptionAsUInt, 77), {"Level"}},
        {"UInt64", MakeProbe<unsigned long long>(&QVGandlerParam::GetOptionAsUInt, 77), {"Level"}},
        {"Float32", MakeProbe<float>(&QVGandlerParam::GetOptionAsFloat32, 7.0f), reals},
        {"Float64", MakeProbe<double>(&QVGandlerParam::GetOptionAsFloat64, 7.0), reals},
        {"AKTime", MakeProbe<AKTime>(&QVGandlerParam::GetOptionAsAKTime, 7.0), reals},
        {"AKTimeIntv", MakeProbe(&QVGandlerParam::GetOptionAsAKTimeIntv, AKTimeIntv{7.0, 8.0}), {"Range"}},
        {"AKClassID", MakeProbe(&QVGandlerParam::GetOptionAsAKClassID, AKClassID("sent")), texts},
        {"AKNodeID", MakeProbe<AKNodeID>(&QVGandlerParam::GetOptionAsAKNodeID, 77), integers},
        {"AKString", MakeProbe(&QVGandlerParam::GetOptionAsAKString, AKString("sentinel")), texts},
        {"AKFilePath", MakeProbe(&QVGandlerParam::GetOptionAsAKFilePath, AKFilePath("/sentinel/")), texts},
        {"AKStringArray", MakeProbe(&QVGandlerParam::GetOptionAsAKStringArray, StringArray({"s"})), arrays},
        {"AKFilePathArray", MakeProbe(&QVGandlerParam::GetOptionAsAKFilePathArray, PathArray({"/s/"})), arrays},
        {"AGPoint", MakeProbe(&QVGandlerParam::GetOptionAsAGPoint, AGPoint{7.0, 8.0}), {"Where"}},
        {"AGRect", MakeProbe(&QVGandlerParam::GetOptionAsAGRect, AGRect{7.0, 8.0, 9.0, 10.0}), {"Box"}},
    };
    char const* const keys[] = {"Flag",  "Level", "Negative", "Ratio", "Name",  "Path",
                                "Range", "Where", "Box",      "Names", "Paths", "Missing"};

    QVGandlerParam const param = OptionsOfEveryForm();
    for (Row const& row : rows) {
        for (char const* key : keys) {
            SCOPED_TRACE(std::string(row.getter) + " on " + key);
            std::pair<bool, bool> const result = row.probe(param, AKString(key));
            bool const accepted = row.accepted.count(key) != 0;
            EXPECT_EQ(result.first, accepted);
            if (!accepted) {
                EXPECT_TRUE(result.second) << "a refused option changed the caller's variable";
            }
        }
    }
}

TEST(QVGandlerParamOptionsTest, ValuesReadBackAtTheWidthAsked)
{
    QVGandlerParam param;
    param.WithOptionAsSInt("Big", 0x100000005LL)
        .WithOptionAsUInt("Wide", 0x1234567890ULL)
        .WithOptionAsAKNodeID("Node", 42)
        .WithOptionAsSInt("NodeWide", 0x100000007LL)
        .WithOptionAsFloat32("Quarter", 0.25f)
        .WithOptionAsAKTime("At", 1.5)
        .WithOptionAsAKString("LongClass", "sequenceX")
        .WithOptionAsAKClassID("Class", AKClassID("track"))
        .WithOptionAsUIntID<QVPluginDescUID>("Plugin", 0x6175667862706173ULL);

    int small = 0;
    long long big = 0;
    EXPECT_TRUE(param.GetOptionAsSInt("Big", &small));
    EXPECT_EQ(small, 5);
    EXPECT_TRUE(param.GetOptionAsSInt("Big", &big));
    EXPECT_EQ(big, 0x100000005LL);

    unsigned int low = 0;
    unsigned long long wide = 0;
    EXPECT_TRUE(param.GetOptionAsUInt("Wide", &low));
    EXPECT_EQ(low, 0x34567890u);
    EXPECT_TRUE(param.GetOptionAsUInt("Wide", &wide));
    EXPECT_EQ(wide, 0x1234567890ULL);

    AKNodeID node = 0;
    EXPECT_TRUE(param.GetOptionAsAKNodeID("Node", &node));
    EXPECT_EQ(node, 42);
    EXPECT_TRUE(param.GetOptionAsAKNodeID("NodeWide", &node));
    EXPECT_EQ(node, 7);

    double real = 0.0;
    EXPECT_TRUE(param.GetOptionAsFloat64("Quarter", &real));
    EXPECT_EQ(real, 0.25);
    EXPECT_TRUE(param.GetOptionAsFloat64("At", &real));
    EXPECT_EQ(real, 1.5);

    AKClassID classID;
    EXPECT_TRUE(param.GetOptionAsAKClassID("LongClass", &classID));
    EXPECT_EQ(classID, AKClassID("sequenc"));
    EXPECT_TRUE(param.GetOptionAsAKClassID("Class", &classID));
    EXPECT_EQ(classID, AKClassID("track"));

    QVPluginDescUID uid = 0;
    EXPECT_TRUE(param.GetOptionAsUInt("Plugin", &wide));
    uid = wide;
    EXPECT_EQ(uid, 0x6175667862706173ULL);

    AKTimeIntv range = {};
    AGRect box = {};
    AKFilePathArray paths;
    QVGandlerParam const all = OptionsOfEveryForm();
    EXPECT_TRUE(all.GetOptionAsAKTimeIntv("Range", &range));
    EXPECT_EQ(range, (AKTimeIntv{1.0, 2.0}));
    EXPECT_TRUE(all.GetOptionAsAGRect("Box", &box));
    EXPECT_EQ(box, (AGRect{1.0, 2.0, 3.0, 4.0}));
    EXPECT_TRUE(all.GetOptionAsAKFilePathArray("Paths", &paths));
    EXPECT_TRUE(SameArray(paths, PathArray({"/x.wav"})));
}

TEST(QVGandlerParamOptionsTest, SettingAKeyAgainKeepsTheLastValueAndForm)
{
    QVGandlerParam param;
    param.WithOptionAsSInt("Level", 3).WithOptionAsSInt("Level", 9);
    int level = 0;
    EXPECT_TRUE(param.GetOptionAsSInt("Level", &level));
    EXPECT_EQ(level, 9);

    param.WithOptionAsBool("Level", true);
    level = -4;
    EXPECT_FALSE(param.GetOptionAsSInt("Level", &level));
    EXPECT_EQ(level, -4);
    bool flag = false;
    EXPECT_TRUE(param.GetOptionAsBool("Level", &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(param.GetOptions().Count(), 1u);
}

TEST(QVGandlerParamOptionsTest, AKeyThatIsNoKeyPathIsRefusedAndLogged)
{
    QVGandlerParam param;
    {
        LogCapture log;
        param.WithOptionAsBool("Sound Path", true).WithOptionAsSInt("", 1);
        std::vector<std::string> const lines = log.Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[0].find("kAKErrorDictionaryInvalidKey"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("\"Sound Path\""), std::string::npos) << lines[0];
    }
    EXPECT_FALSE(param.HasOption("Sound Path"));
    EXPECT_TRUE(param.GetOptions().IsEmpty());
}

// --- Document, record, reset and copies ---

class QVGandlerParamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(mDocument.OnDocumentNew("Piece", 0, false), 0);
        ASSERT_EQ(mOther.OnDocumentNew("Other", 0, false), 0);
    }

    QVDocument mDocument{1, kQVDocumentFlagPrivate};
    QVDocument mOther{1, kQVDocumentFlagPrivate};
};

TEST_F(QVGandlerParamTest, TheRecordIsBoundToTheDocumentsTree)
{
    QVGandlerParam const param(&mDocument);
    EXPECT_EQ(param.GetDocument(), &mDocument);
    EXPECT_EQ(param.GetTreeActionParam().GetTree(), mDocument.GetTree());
    EXPECT_TRUE(param.HasTreeOwner(&mDocument));
    EXPECT_FALSE(param.HasTreeOwner(&mOther));
    EXPECT_FALSE(param.HasTreeOwner(nullptr));
    EXPECT_TRUE(param.GetOptions().IsEmpty());

    QVGandlerParam const none;
    EXPECT_EQ(none.GetDocument(), nullptr);
    EXPECT_EQ(none.GetTreeActionParam().GetTree(), nullptr);
    EXPECT_FALSE(none.HasTreeOwner(nullptr));
    EXPECT_FALSE(none.HasTreeOwner(&mDocument));

    QVGandlerParam const& shared = kQVNullGandlerParam;
    EXPECT_EQ(&shared, &kQVNullGandlerParam);
    EXPECT_EQ(shared.GetDocument(), nullptr);
    EXPECT_EQ(shared.GetTreeActionParam().GetTree(), nullptr);
    EXPECT_TRUE(shared.GetOptions().IsEmpty());
}

// A parameter after a command ran: a named action, a target, results and
// options.
void FillAsAfterACommand(QVGandlerParam* param, QVDocument* document)
{
    AKObject* const sequence = TestAddObject<TestSequence>(*document, nullptr, "Seq");
    ASSERT_NE(sequence, nullptr);
    AKTreeActionParam& action = param->GetTreeActionParam();
    action.SetActionName(8260, "New Sequences With Sounds...");
    action.WithTargetObject(sequence, kAKLinkModeLastChildren).WithTreeObject(sequence);
    action.SetResultFlags(kAKTreeActionDone | kAKTreeActionCreated);
    AKTreeSel result = action.GetTreeSel();
    result.SetTimeSel(AKTimeIntv{1.0, 2.0});
    action.SetResultTreeSel(result);
    action.GetMoreInfo().SetValue("TrackPartR", AKValueSetasAKTimeIntv(AKTimeIntv{1.0, 2.0}));
    param->WithOptionAsAKString("Name", "x").WithOptionAsBool("Naked", true);
}

TEST_F(QVGandlerParamTest, ResetGivesAFreshParameter)
{
    QVGandlerParam param(&mDocument);
    FillAsAfterACommand(&param, &mDocument);
    ASSERT_FALSE(param.GetTreeActionParam().GetResultTreeSel().IsEmpty());

    for (QVDocument* target : {&mOther, static_cast<QVDocument*>(nullptr)}) {
        param.Reset(target);
        AKTreeActionParam const& action = param.GetTreeActionParam();
        EXPECT_EQ(param.GetDocument(), target);
        EXPECT_EQ(action.GetTree(), target != nullptr ? target->GetTree() : nullptr);
        EXPECT_EQ(action.GetCommandID(), 0);
        EXPECT_TRUE(action.GetActionName().IsEmpty());
        EXPECT_EQ(action.GetTargetNode(), nullptr);
        EXPECT_TRUE(action.GetTreeSel().IsEmpty());
        EXPECT_EQ(action.GetResultFlags(), 0u);
        EXPECT_TRUE(action.GetResultTreeSel().IsEmpty());
        EXPECT_FALSE(action.GetResultTreeSel().HasTimeSel());
        EXPECT_TRUE(action.GetMoreInfo().IsEmpty());
        EXPECT_TRUE(param.GetOptions().IsEmpty());
    }
}

TEST_F(QVGandlerParamTest, CopiesCarryEverythingAndStayApart)
{
    QVGandlerParam param(&mDocument);
    FillAsAfterACommand(&param, &mDocument);

    QVGandlerParam copy(param);
    QVGandlerParam assigned(&mOther);
    assigned = param;
    for (QVGandlerParam const* c : {&copy, &assigned}) {
        AKTreeActionParam const& action = c->GetTreeActionParam();
        AKTreeActionParam const& original = param.GetTreeActionParam();
        EXPECT_EQ(c->GetDocument(), &mDocument);
        EXPECT_TRUE(c->HasTreeOwner(&mDocument));
        EXPECT_EQ(action.GetCommandID(), original.GetCommandID());
        EXPECT_EQ(action.GetActionName(), original.GetActionName());
        EXPECT_EQ(action.GetTargetNode(), original.GetTargetNode());
        EXPECT_EQ(action.GetTreeSel().GetTreeSelID(), original.GetTreeSel().GetTreeSelID());
        EXPECT_EQ(action.GetResultFlags(), original.GetResultFlags());
        EXPECT_TRUE(action.GetResultTreeSel().HasTimeSel());
        EXPECT_EQ(action.GetMoreInfo(), original.GetMoreInfo());
        EXPECT_EQ(c->GetOptions(), param.GetOptions());
    }

    copy.WithOptionAsAKString("Name", "changed");
    copy.GetTreeActionParam().GetMoreInfo().Clear();
    AKString name;
    EXPECT_TRUE(param.GetOptionAsAKString("Name", &name));
    EXPECT_EQ(name, AKString("x"));
    EXPECT_FALSE(param.GetTreeActionParam().GetMoreInfo().IsEmpty());
}

TEST_F(QVGandlerParamTest, NodeOptionsFindTheirNodeInTheTreeGiven)
{
    AKObject* const sequence = TestAddObject<TestSequence>(mDocument, nullptr, "Seq");
    ASSERT_NE(sequence, nullptr);
    AKNode* const node = sequence->GetNodeOwner();

    QVGandlerParam param(&mDocument);
    param.WithOptionAsAKNodeID("Target", node->GetID())
        .WithOptionAsAKNodeID("Unknown", 9999)
        .WithOptionAsAKString("Text", "2");
    AKTree const* const tree = mDocument.GetTree();
    EXPECT_EQ(param.GetOptionAsAKNode("Target", tree), node);
    EXPECT_EQ(param.GetOptionAsAKNode("Target", nullptr), nullptr);
    EXPECT_EQ(param.GetOptionAsAKNode("Unknown", tree), nullptr);
    EXPECT_EQ(param.GetOptionAsAKNode("Text", tree), nullptr);
    EXPECT_EQ(param.GetOptionAsAKNode("Missing", tree), nullptr);
}

}  // namespace
