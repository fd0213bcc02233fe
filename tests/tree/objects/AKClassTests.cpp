// The class registry: IDs, registration passes, masks, lineage and the
// look-ups of class arrays.

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKClassID.h"
#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKFileTypedIO.h"
#include "AKStatus.h"
#include "AKStringArray.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Line(int status, char const* name, std::string const& message)
{
    std::string kind = status < 0 ? "Error" : "Warning";
    return "# Quorvex " + kind + " " + std::to_string(status) + " (" + name + "): " + message + ".\n";
}

bool HasLine(LogCapture const& log, std::string const& line)
{
    for (std::string const& got : log.Lines())
        if (got == line)
            return true;
    return false;
}

AKClassID RawID(char const (&bytes)[9]) { return AKClassID::FromBytes(bytes); }

// --- Class IDs ---

struct CheckCase {
    AKClassID id;
    bool external;
    char const* message;  // null: valid
};

TEST(AKClassIDTest, CheckClassIDGivesTheReasonOfEachFault)
{
    std::vector<CheckCase> const cases = {
        {AKClassID("ab"), false, nullptr},
        {AKClassID("_ab"), false, nullptr},
        {AKClassID("abcdefg"), true, nullptr},
        {AKClassID("Zz_09"), true, nullptr},
        {AKClassID("a"), false, "ID <a> is too short (2 chars min)"},
        {AKClassID("_"), false, "ID <_> is too short (2 chars min)"},
        {kAKNullClassID, false, "ID <> is too short (2 chars min)"},
        {AKClassID("_ab"), true, "ID <_ab> is reserved"},
        {AKClassID("a-b"), false, "ID <a-b> contains a bad character"},
        {AKClassID("a b"), true, "ID <a b> contains a bad character"},
        {RawID("ab\0c\0\0\0\0"), false, "ID <ab> contains a null character"},
        {RawID("abcdefgh"), false, "ID <abcdefgh> contains a null character"},
        {RawID("abcdef\0h"), false, "ID <abcdef> contains a null character"},
    };
    for (CheckCase const& c : cases) {
        AKString message("untouched");
        bool valid = AKClassMgr::CheckClassID(c.id, c.external, &message);
        SCOPED_TRACE(c.id.GetName().StdString());
        EXPECT_EQ(valid, c.message == nullptr);
        EXPECT_EQ(message.StdString(), c.message != nullptr ? c.message : "untouched");
    }
}

TEST(AKClassIDTest, OrderIsTheLittleEndianNumberOfTheBytes)
{
    EXPECT_LT(AKClassID("ba"), AKClassID("ab"));
    EXPECT_EQ(AKClassID("ab").Number(), 0x6261ull);
    EXPECT_LT(AKClassID("zz"), AKClassID("aaa"));
    EXPECT_TRUE(kAKNullClassID.IsNull());
    EXPECT_EQ(AKClassID("abcdefghij").GetName().StdString(), "abcdefg");
}

TEST(AKClassIDTest, FileFormIsTheRawEightBytes)
{
    AKFile stream(kAKFileModeMemoryStream);
    ASSERT_EQ(stream.CreateForReadWrite(), 0);
    ASSERT_EQ(AKFileWriteAKClassID(stream, AKClassID("track")), 0);
    void const* data = nullptr;
    unsigned long long size = 0;
    ASSERT_EQ(stream.GetMemoryStreamDataPtr(&data, &size), 0);
    ASSERT_EQ(size, 8u);
    EXPECT_EQ(std::string(static_cast<char const*>(data), 8), std::string("track\0\0\0", 8));

    ASSERT_EQ(stream.SetPos(0), 0);
    AKClassID read;
    ASSERT_EQ(AKFileReadAKClassID(stream, &read), 0);
    EXPECT_EQ(read, AKClassID("track"));
    EXPECT_NE(AKFileReadAKClassID(stream, &read), 0);
}

TEST(AKClassIDTest, ValueFormIsTheNameAsAString)
{
    AKValue value = AKValueSetasAKClassID(AKClassID("sequenc"));
    EXPECT_EQ(AKValueGetasAKString(value).StdString(), "sequenc");

    AKClassID id("old");
    ASSERT_TRUE(AKValueGetasAKClassID(AKValueSetasAKString("abcdefghij"), &id));
    EXPECT_EQ(id, AKClassID("abcdefg"));
    EXPECT_EQ(id.fBytes[7], '\0');

    id = AKClassID("old");
    EXPECT_FALSE(AKValueGetasAKClassID(AKValueSetasSInt(12), &id));
    EXPECT_EQ(id, AKClassID("old"));
    EXPECT_TRUE(AKValueGetasAKClassID(AKValueSetasSInt(12)).IsNull());
}

// --- Registration passes ---

// Each test starts from an empty registry and leaves the program's classes
// registered again.
class AKClassMgrTest : public ::testing::Test
{
protected:
    void SetUp() override { registry.Terminate(); }
    void TearDown() override { ASSERT_EQ(TreeTestRegisterClasses(), 0); }

    AKClass* Add(char const* id, char const* super, bool external = false, char const* name = nullptr)
    {
        AKClass* aClass = nullptr;
        AKClassInfo info{AKClassID(id), AKClassID(super), nullptr, nullptr, 0, name != nullptr ? name : id};
        EXPECT_EQ(registry.RegisterClass(info, external, &aClass), 0);
        return aClass;
    }
    AKClass* AddRaw(AKClassID id, char const* super, bool external, char const* name)
    {
        AKClass* aClass = nullptr;
        AKClassInfo info{id, AKClassID(super), nullptr, nullptr, 0, name};
        EXPECT_EQ(registry.RegisterClass(info, external, &aClass), 0);
        return aClass;
    }
    AKClass* AddTop() { return Add("object", "object", false, "AKObject"); }

    std::vector<std::string> Names(AKStringArray const& names)
    {
        std::vector<std::string> result;
        for (AKString const& name : names)
            result.push_back(name.StdString());
        return result;
    }

    AKClassMgr& registry = AKClassMgr::sShared;
};

TEST_F(AKClassMgrTest, RegisteredClassesAreSortedAndLinked)
{
    ASSERT_EQ(registry.RegisterBegin(), 0);
    AKClass* top = AddTop();
    AKClass* ab = Add("ab", "object");
    AKClass* ba = Add("ba", "ab");
    AKClass* ext = Add("ext", "ba", true);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    ATArray<AKClass*> const& classes = registry.GetRegisteredClasses();
    ASSERT_EQ(classes.Count(), 4u);
    // "ba" before "ab": the first character weighs least.
    EXPECT_EQ(classes[0], ba);
    EXPECT_EQ(classes[1], ab);
    EXPECT_EQ(classes[2], ext);
    EXPECT_EQ(classes[3], top);

    EXPECT_EQ(registry.GetTopClass(), top);
    EXPECT_EQ(registry.GetClassOfID(AKClassID("ba")), ba);
    EXPECT_EQ(registry.GetClassOfID(AKClassID("nope")), nullptr);
    EXPECT_EQ(registry.GetClassOfID(kAKNullClassID), nullptr);

    EXPECT_EQ(top->GetSupClass(), nullptr);
    EXPECT_EQ(ba->GetSupClass(), ab);
    EXPECT_EQ(ext->GetDepth(), 3u);
    ASSERT_EQ(ext->GetLineage().Count(), 4u);
    EXPECT_EQ(ext->GetLineage()[0], top);
    EXPECT_EQ(ext->GetLineage()[3], ext);

    // Bits in registration order; masks gather the ancestors' bits.
    EXPECT_EQ(top->GetQCastFlag(), 0x1u);
    EXPECT_EQ(ext->GetQCastFlag(), 0x8u);
    EXPECT_EQ(ba->GetQCastMask(), 0x7u);
    EXPECT_EQ(ext->GetQCastMask(), 0xFu);

    // The family is the nearest built-in class.
    EXPECT_EQ(ba->GetFamilyID(), AKClassID("ba"));
    EXPECT_EQ(ext->GetFamilyID(), AKClassID("ba"));

    EXPECT_EQ(ext->GetFlags(), kAKClassFlagComplete | kAKClassFlagAbstract | kAKClassFlagExternal);
    EXPECT_EQ(top->GetFlags(), kAKClassFlagComplete | kAKClassFlagAbstract | kAKClassFlagBuiltIn);
    EXPECT_TRUE(ext->IsKindOfClass(ab));
    EXPECT_FALSE(ab->IsKindOfClass(ext));
}

TEST_F(AKClassMgrTest, RegistrationIsRefusedOnceClosed)
{
    ASSERT_EQ(registry.RegisterBegin(), 0);
    AddTop();
    {
        LogCapture log;
        EXPECT_EQ(registry.RegisterBegin(), kAKErrorClassRegisterClosed);
        EXPECT_TRUE(HasLine(log, Line(kAKErrorClassRegisterClosed, "kAKErrorClassRegisterClosed",
                                      "Registering classes stuff is closed")));
    }
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    LogCapture log;
    AKClass* late = registry.GetTopClass();
    AKClassInfo info{AKClassID("late"), AKClassID("object"), nullptr, nullptr, 0, "Late"};
    EXPECT_EQ(registry.RegisterClass(info, false, &late), kAKErrorClassRegisterClosed);
    EXPECT_EQ(late, nullptr);
    EXPECT_EQ(registry.RegisterBegin(), kAKErrorClassRegisterClosed);
    EXPECT_EQ(registry.RegisterComplete(nullptr), kAKErrorClassRegisterClosed);
    EXPECT_EQ(registry.GetRegisteredClasses().Count(), 1u);

    registry.Terminate();
    EXPECT_EQ(registry.GetTopClass(), nullptr);
    EXPECT_EQ(registry.RegisterBegin(), 0);
}

TEST_F(AKClassMgrTest, BadIDOfABuiltInClassEmptiesTheRegistry)
{
    AddTop();
    Add("ok", "object");
    AddRaw(AKClassID("a-b"), "object", false, "Bad");
    LogCapture log;
    EXPECT_EQ(registry.RegisterComplete(nullptr), kAKErrorClassInternalFatalError);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassBadFormatedID, "kAKErrorClassBadFormatedID",
                                  "In class <Bad>, ID <a-b> contains a bad character")));
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassInternalFatalError, "kAKErrorClassInternalFatalError",
                                  "Internal classes bad coherency (Fatal Error)")));
    EXPECT_TRUE(registry.GetRegisteredClasses().IsEmpty());
    EXPECT_EQ(registry.CountPendingClasses(), 0u);
    EXPECT_EQ(registry.GetTopClass(), nullptr);
    EXPECT_EQ(registry.RegisterBegin(), 0);
}

TEST_F(AKClassMgrTest, BadIDOfAnExternalClassIsOnlyLeftOut)
{
    AddTop();
    Add("ok", "object");
    AddRaw(AKClassID("_ext"), "object", true, "Reserved");
    AddRaw(RawID("ab\0c\0\0\0\0"), "object", true, "Nul");
    AKStringArray rejected;
    LogCapture log;
    ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
    EXPECT_EQ(Names(rejected), (std::vector<std::string>{"Reserved", "Nul"}));
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassBadFormatedID, "kAKErrorClassBadFormatedID",
                                  "In class <Reserved>, ID <_ext> is reserved")));
    EXPECT_EQ(registry.GetRegisteredClasses().Count(), 2u);
    EXPECT_NE(registry.GetClassOfID(AKClassID("ok")), nullptr);
}

TEST_F(AKClassMgrTest, DuplicateIDsFollowTheBuiltInAndExternalRules)
{
    {
        // The later external one is rejected.
        AddTop();
        AKClass* first = Add("dup", "object", false, "First");
        Add("dup", "object", true, "Second");
        AKStringArray rejected;
        LogCapture log;
        ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
        EXPECT_TRUE(HasLine(log, Line(kAKErrorClassAlreadyExistID, "kAKErrorClassAlreadyExistID",
                                      "Classes <First> and <Second> has the same unique ID <dup>")));
        EXPECT_EQ(Names(rejected), (std::vector<std::string>{"Second"}));
        EXPECT_EQ(registry.GetClassOfID(AKClassID("dup")), first);
        registry.Terminate();
    }
    {
        // An earlier external one gives way to a later built-in one; a third
        // external duplicate is compared with the survivor.
        AddTop();
        Add("dup", "object", true, "First");
        AKClass* second = Add("dup", "object", false, "Second");
        Add("dup", "object", true, "Third");
        AKStringArray rejected;
        ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
        EXPECT_EQ(Names(rejected), (std::vector<std::string>{"First", "Third"}));
        EXPECT_EQ(registry.GetClassOfID(AKClassID("dup")), second);
        EXPECT_EQ(registry.GetRegisteredClasses().Count(), 2u);
        registry.Terminate();
    }
    {
        // Two built-in ones are fatal.
        AddTop();
        Add("dup", "object", false, "First");
        Add("dup", "object", false, "Second");
        EXPECT_EQ(registry.RegisterComplete(nullptr), kAKErrorClassInternalFatalError);
        EXPECT_TRUE(registry.GetRegisteredClasses().IsEmpty());
    }
}

TEST_F(AKClassMgrTest, UnknownSuperClassRejectsTheClassAndItsOrphans)
{
    AddTop();
    Add("keep", "object");
    Add("orphan", "missing", true, "Orphan");
    Add("child", "orphan", true, "Child");
    Add("grand", "child", true, "Grand");
    AKStringArray rejected;
    LogCapture log;
    ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassUnknownSupClass, "kAKErrorClassUnknownSupClass",
                                  "In class <Orphan>, super-class <missing> is unknown")));
    EXPECT_EQ(rejected.Count(), 3u);
    EXPECT_EQ(registry.GetRegisteredClasses().Count(), 2u);
    EXPECT_EQ(registry.GetClassOfID(AKClassID("grand")), nullptr);
}

TEST_F(AKClassMgrTest, UnknownSuperClassOfABuiltInClassIsFatal)
{
    AddTop();
    Add("ext", "missing", true, "Ext");
    Add("inner", "ext", false, "Inner");
    AKStringArray rejected;
    EXPECT_EQ(registry.RegisterComplete(&rejected), kAKErrorClassInternalFatalError);
    EXPECT_EQ(Names(rejected), (std::vector<std::string>{"Ext"}));
    EXPECT_TRUE(registry.GetRegisteredClasses().IsEmpty());
}

TEST_F(AKClassMgrTest, ClassesThatNeverReachTheTopClassAreRefused)
{
    // A class naming itself, and two naming each other, would loop forever
    // when completed.
    AddTop();
    Add("self", "self", true, "Self");
    Add("ping", "pong", true, "Ping");
    Add("pong", "ping", true, "Pong");
    Add("hang", "ping", true, "Hang");
    Add("fine", "object");
    AKStringArray rejected;
    ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
    EXPECT_EQ(rejected.Count(), 4u);
    EXPECT_EQ(registry.GetRegisteredClasses().Count(), 2u);
    registry.Terminate();

    AddTop();
    Add("self", "self", false, "Self");
    EXPECT_EQ(registry.RegisterComplete(nullptr), kAKErrorClassInternalFatalError);
}

TEST_F(AKClassMgrTest, WithoutTheTopClassNothingLinks)
{
    Add("aa", "object", true);
    Add("bb", "aa", true);
    AKStringArray rejected;
    ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
    EXPECT_EQ(rejected.Count(), 2u);
    EXPECT_EQ(registry.GetTopClass(), nullptr);
}

class AKClassMgrCountTest : public AKClassMgrTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(AKClassMgrCountTest, TheSixtyFifthClassHasNoBit)
{
    bool lastExternal = GetParam();
    AddTop();
    std::vector<AKClass*> classes;
    for (int i = 1; i < 64; ++i) {
        std::string id = "c" + std::to_string(i);
        classes.push_back(Add(id.c_str(), "object"));
    }
    AKClass* sixtyFifth = Add("c64", "object", lastExternal, "Last");
    ASSERT_NE(sixtyFifth, nullptr);
    EXPECT_EQ(classes.back()->GetQCastFlag(), 1ull << 63);
    EXPECT_EQ(sixtyFifth->GetQCastFlag(), 0u);
    EXPECT_EQ(sixtyFifth->GetQCastMask(), 0u);

    AKStringArray rejected;
    LogCapture log;
    int status = registry.RegisterComplete(&rejected);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassTooManyClasses, "kAKErrorClassTooManyClasses", "Too many classes")));
    if (lastExternal) {
        ASSERT_EQ(status, 0);
        EXPECT_EQ(Names(rejected), (std::vector<std::string>{"Last"}));
        EXPECT_EQ(registry.GetRegisteredClasses().Count(), 64u);
        EXPECT_EQ(registry.GetClassOfID(AKClassID("c63"))->GetQCastMask(), (1ull << 63) | 1u);
    } else {
        EXPECT_EQ(status, kAKErrorClassInternalFatalError);
        EXPECT_TRUE(registry.GetRegisteredClasses().IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(ExternalOrBuiltIn, AKClassMgrCountTest, ::testing::Bool());

TEST_F(AKClassMgrTest, ClassesBeyondTheSixtyFifthGetNoBitEither)
{
    AddTop();
    for (int i = 1; i < 70; ++i) {
        std::string id = "c" + std::to_string(i);
        AKClass* aClass = Add(id.c_str(), "object", true);
        EXPECT_EQ(aClass->GetQCastFlag(), i < 64 ? 1ull << i : 0u) << id;
    }
    AKStringArray rejected;
    ASSERT_EQ(registry.RegisterComplete(&rejected), 0);
    EXPECT_EQ(rejected.Count(), 6u);
}

TEST_F(AKClassMgrTest, NamesAndCommentsAreSetBeforeCompletionOnly)
{
    AddTop();
    AKClass* track = Add("track", "object", false, "QVObjectTrack");
    EXPECT_EQ(track->GetDisplayName().StdString(), "QVObjectTrack");
    ASSERT_EQ(AKClass::SetClassName(track, "track", "Track", ""), 0);
    EXPECT_EQ(track->GetUserName().StdString(), "track");
    EXPECT_EQ(track->GetPluralName().StdString(), "Tracks");
    ASSERT_EQ(AKClass::SetClassName(track, "track", "Track", "Many Tracks"), 0);
    EXPECT_EQ(track->GetPluralName().StdString(), "Many Tracks");
    ASSERT_EQ(AKClass::SetClassComments(track, "A track"), 0);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    LogCapture log;
    EXPECT_EQ(AKClass::SetClassName(track, "x", "X", "Xs"), kAKErrorClassAlreadyInited);
    EXPECT_TRUE(HasLine(log, Line(kAKErrorClassAlreadyInited, "kAKErrorClassAlreadyInited",
                                  "Class <QVObjectTrack> is already inited")));
    EXPECT_EQ(AKClass::SetClassComments(track, "later"), kAKErrorClassAlreadyInited);
    EXPECT_EQ(track->GetDisplayName().StdString(), "Track");
    EXPECT_EQ(track->GetComments().StdString(), "A track");
    EXPECT_EQ(AKClass::SetClassName(nullptr, "x", "X", ""), -1);
}

TEST_F(AKClassMgrTest, ClassCollectionFiltersByBaseAndFlags)
{
    AddTop();
    AKClassInfo concrete{AKClassID("seq"), AKClassID("playab"), &TestItem::_ClassCtor, &TestItem::_ClassDtor, 0, "Seq"};
    Add("playab", "object");
    Add("player", "playab");
    ASSERT_EQ(registry.RegisterClass(concrete, false, nullptr), 0);
    concrete.fClassID = AKClassID("single");
    concrete.fSupClassID = AKClassID("player");
    ASSERT_EQ(registry.RegisterClass(concrete, false, nullptr), 0);
    Add("track", "object");
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    AKClass const* playab = registry.GetClassOfID(AKClassID("playab"));
    AKClassArray collection;
    registry.GetClassCollection(&collection, playab, kAKClassFlagConcrete);
    AKString text;
    collection.GrabAsStringList(&text, true);
    EXPECT_EQ(text.StdString(), "seq; single");
    registry.GetClassCollection(&collection, playab, 0);
    collection.SortByID();
    collection.GrabAsStringList(&text, true);
    EXPECT_EQ(text.StdString(), "seq; playab; single; player");
    registry.GetClassCollection(&collection, nullptr, 0);
    EXPECT_TRUE(collection.IsEmpty());
}

// --- Per-class hooks across registration passes ---

TEST_F(AKClassMgrTest, HooksLookAgainAfterANewPass)
{
    ASSERT_EQ(TreeTestRegisterClasses(), 0);
    AKClass const* before = TestItem::_Class();
    ASSERT_NE(before, nullptr);
    AKClassQCast beforeFlag = TestItem::_ClassQCastFlag();

    // A new pass in another order: the records and the bits change.
    registry.Terminate();
    EXPECT_EQ(TestItem::_Class(), nullptr);
    AddTop();
    Add("pad", "object");
    AKClassInfo info = AKClassInfoOfConcrete<TestItem>(AKObject::_ClassID(), "TestItem");
    AKClass* item = nullptr;
    ASSERT_EQ(registry.RegisterClass(info, false, &item), 0);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    EXPECT_EQ(TestItem::_Class(), item);
    EXPECT_EQ(TestItem::_ClassQCastFlag(), item->GetQCastFlag());
    EXPECT_NE(TestItem::_ClassQCastFlag(), beforeFlag);
    EXPECT_EQ(_AKClassInitStaticQCastF(AKClassID("tstItem")), item->GetQCastFlag());
    EXPECT_EQ(_AKClassInitStaticQCastF(AKClassID("nothere")), kAKNullClassQCast);
}

// --- Object memory ---

struct alignas(alignof(std::max_align_t)) AlignedPayload {
    long double value;
};

class AlignedItem : public TestItem
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(AlignedItem, "tstAlgn")

    AlignedItem() : TestItem(0) {}
    AlignedPayload fPayload{1.5L};
};

TEST_F(AKClassMgrTest, ObjectsKeepTheFundamentalAlignment)
{
    ASSERT_EQ(TreeTestRegisterClasses(), 0);
    registry.Terminate();
    ASSERT_EQ(registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr),
              0);
    ASSERT_EQ(registry.RegisterClass(AKClassInfoOfAbstract<TestBaseObject>(AKObject::_ClassID(), "TestBaseObject"),
                                     false, nullptr),
              0);
    ASSERT_EQ(
        registry.RegisterClass(AKClassInfoOfConcrete<TestItem>(TestBaseObject::_ClassID(), "TestItem"), false, nullptr),
        0);
    ASSERT_EQ(
        registry.RegisterClass(AKClassInfoOfConcrete<AlignedItem>(TestItem::_ClassID(), "AlignedItem"), false, nullptr),
        0);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);

    std::vector<AKObject*> objects;
    for (int i = 0; i < 8; ++i) {
        AKObject* object = AlignedItem::_ClassCtor();
        ASSERT_NE(object, nullptr);
        objects.push_back(object);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(object) % alignof(std::max_align_t), 0u);
        EXPECT_EQ(_AKClassObjectGetHiddenClassPtr(object), AlignedItem::_Class());
        EXPECT_EQ(object->GetClass(), AlignedItem::_Class());
        EXPECT_EQ(static_cast<AlignedItem*>(object)->fPayload.value, 1.5L);
    }
    for (AKObject* object : objects)
        AlignedItem::_ClassDtor(object);
    _AKClassObjectDealloc(nullptr);
}

// --- Class arrays ---

class AKClassArrayTest : public ::testing::Test
{
protected:
    AKClass const* item = TestItem::_Class();
    AKClass const* sub = TestSubItem::_Class();
    AKClass const* folder = TestFolder::_Class();
    AKClass const* base = TestBaseObject::_Class();
};

TEST_F(AKClassArrayTest, FindsAndSorts)
{
    AKClassArray classes{folder, item, nullptr, sub};
    unsigned int index = 0;
    EXPECT_TRUE(classes.FindClass(sub, &index));
    EXPECT_EQ(index, 3u);
    EXPECT_FALSE(classes.FindClass(nullptr, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_TRUE(classes.FindClassByID(AKClassID("tstItem"), &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(classes.FindClassByID(kAKNullClassID, &index));
    EXPECT_FALSE(classes.FindClassByID(AKClassID("nope"), &index));

    classes.SortByID();
    EXPECT_EQ(classes[0], nullptr);
    for (unsigned int i = 2; i < classes.Count(); ++i)
        EXPECT_LT(classes[i - 1]->GetClassID(), classes[i]->GetClassID());

    AKClassArray named{sub, folder, item};
    named.SortByUserName();
    EXPECT_EQ(named[0], item);  // "Item" sorts before "TestFolder" and "TestSubItem"
    EXPECT_EQ(named[1], folder);
    EXPECT_EQ(named[2], sub);
}

TEST_F(AKClassArrayTest, CommonBaseClass)
{
    AKClass const* top = AKClass::GetTopClass();
    EXPECT_EQ(AKClassArray().GetCommonBaseClass(), top);
    EXPECT_EQ((AKClassArray{nullptr, nullptr}).GetCommonBaseClass(), top);
    EXPECT_EQ((AKClassArray{sub}).GetCommonBaseClass(), sub);
    EXPECT_EQ((AKClassArray{sub, item}).GetCommonBaseClass(), item);
    EXPECT_EQ((AKClassArray{item, nullptr, sub}).GetCommonBaseClass(), item);
    EXPECT_EQ((AKClassArray{sub, folder}).GetCommonBaseClass(), base);
    EXPECT_EQ((AKClassArray{sub, AKObjectFolderRoot::_Class(), folder}).GetCommonBaseClass(), top);
}

TEST_F(AKClassArrayTest, IDListsKeepOrSkipUnknownEntries)
{
    AKClassArray classes{item, nullptr, sub};
    AKClassIDArray ids;
    EXPECT_TRUE(classes.GrabClassIDs(&ids, false));
    ASSERT_EQ(ids.Count(), 3u);
    EXPECT_TRUE(ids[1].IsNull());
    EXPECT_FALSE(classes.GrabClassIDs(&ids, true));
    ASSERT_EQ(ids.Count(), 2u);
    EXPECT_EQ(ids[1], AKClassID("tstSub"));

    AKClassIDArray mixed;
    mixed.Push(AKClassID("tstSub"));
    mixed.Push(AKClassID("nope"));
    mixed.Push(AKClassID("tstFold"));
    AKClassArray filled;
    EXPECT_FALSE(filled.FillWithClassIDs(mixed, true));
    EXPECT_EQ(filled, (AKClassArray{sub, folder}));
    EXPECT_TRUE(filled.FillWithClassIDs(mixed, false));
    EXPECT_EQ(filled, (AKClassArray{sub, nullptr, folder}));
}

TEST_F(AKClassArrayTest, StringLists)
{
    AKString text("stale");
    EXPECT_TRUE(AKClassArray().GrabAsStringList(&text, true));
    EXPECT_TRUE(text.IsEmpty());

    AKClassArray classes{item, sub};
    EXPECT_TRUE(classes.GrabAsStringList(&text, true));
    EXPECT_EQ(text.StdString(), "tstItem; tstSub");

    AKClassArray withNull{item, nullptr, sub};
    EXPECT_FALSE(withNull.GrabAsStringList(&text, true));
    EXPECT_EQ(text.StdString(), "tstItem; tstSub");
    EXPECT_TRUE(withNull.GrabAsStringList(&text, false));
    EXPECT_EQ(text.StdString(), "tstItem; ; tstSub");

    AKClassArray filled;
    EXPECT_FALSE(filled.FillWithStringList("tstItem; tstSub;", true));
    EXPECT_EQ(filled, classes);
    EXPECT_TRUE(filled.FillWithStringList(" tstSub ,tstItemXYZ", false));
    EXPECT_EQ(filled, (AKClassArray{sub, item}));
    EXPECT_TRUE(filled.FillWithStringList("tstItem;;", false));
    EXPECT_EQ(filled, (AKClassArray{item, nullptr, nullptr}));
}

}  // namespace
