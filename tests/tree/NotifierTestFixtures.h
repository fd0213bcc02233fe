#pragma once

// Helpers of the notifier tests: nesting folders that take any test object
// (so that trees can go four levels deep), objects that record the messages
// and idle calls they get, a registration pass that adds them to the test
// classes, and tables of the five change stamps of every node so that a test
// can state, node by node, how far each stamp moved.
//
// Include after TreeTestClasses.h (once per program): the environment below
// runs after the shared one and registers the classes again with these.

#include "AKClassMgr.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeNotifier.h"
#include "SelTestFixtures.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

// What the probes heard, in order: the node ID of each object that got a
// message.
inline std::vector<AKNodeID>& ProbeMessageLog()
{
    static std::vector<AKNodeID> sLog;
    return sLog;
}

// A folder that takes any test object as child, itself included.
class TestNest : public TestFolder
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestNest, "tstNest")

    TestNest() = default;

    AKClass const** akmGetAuthoChildClasses() const override
    {
        fAnyTestObject[0] = TestBaseObject::_Class();
        return fAnyTestObject;
    }
    void akmListenToMessage(AKMessage const&) override { ProbeMessageLog().push_back(GetID()); }
    void akmIdle() override { ++fIdleCount; }

    int fIdleCount = 0;

private:
    mutable AKClass const* fAnyTestObject[2] = {nullptr, nullptr};
};

// An item that records its messages and idle calls.
class TestProbeItem : public TestItem
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestProbeItem, "tstProbe")

    TestProbeItem() : TestItem(0) {}

    void akmListenToMessage(AKMessage const&) override { ProbeMessageLog().push_back(GetID()); }
    void akmIdle() override { ++fIdleCount; }

    int fIdleCount = 0;
};

// The shared test classes and the two above, in one pass.
inline int NotifierTestRegisterClasses()
{
    AKClassMgr& registry = AKClassMgr::sShared;
    registry.Terminate();
    int status = registry.RegisterBegin();
    struct {
        AKClassInfo info;
    } const classes[] = {
        {AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject")},
        {AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot")},
        {AKClassInfoOfAbstract<TestBaseObject>(AKObject::_ClassID(), "TestBaseObject")},
        {AKClassInfoOfConcrete<TestItem>(TestBaseObject::_ClassID(), "TestItem")},
        {AKClassInfoOfConcrete<TestSubItem>(TestItem::_ClassID(), "TestSubItem")},
        {AKClassInfoOfConcrete<TestFolder>(TestBaseObject::_ClassID(), "TestFolder")},
        {AKClassInfoOfConcrete<TestNest>(TestFolder::_ClassID(), "TestNest")},
        {AKClassInfoOfConcrete<TestProbeItem>(TestItem::_ClassID(), "TestProbeItem")},
    };
    for (auto const& entry : classes) {
        if (status == 0)
            status = registry.RegisterClass(entry.info, false, nullptr);
    }
    if (status == 0)
        status = registry.RegisterComplete(nullptr);
    return status;
}

class NotifierTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(NotifierTestRegisterClasses(), 0); }
};

inline ::testing::Environment* const kNotifierTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new NotifierTestEnvironment());

// --- Dictionary forms ---

inline AKDictionary DicoNest(char const* name, std::initializer_list<AKDictionary> subs)
{
    AKDictionary dictionary = DicoNode("tstNest", 0, 0, subs);
    dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    return dictionary;
}

inline AKDictionary DicoProbe(unsigned int value)
{
    return DicoNode("tstProbe", value, 0, {});
}

// --- Stamps ---

// Revised, SubRevised, FarSubRevised, SubLinks, FarSubLinks.
typedef std::array<unsigned int, kAKObjectStampCount> StampRow;

inline StampRow StampsOf(AKObject const* object)
{
    StampRow row{};
    for (unsigned int i = 0; i < kAKObjectStampCount; ++i)
        row[i] = object->GetStamp(static_cast<AKObjectStamp>(i));
    return row;
}

// The stamps of every node's object, by node ID.
inline std::map<AKNodeID, StampRow> StampsOfTree(AKTree const& tree)
{
    std::map<AKNodeID, StampRow> table;
    for (AKNode const* node : tree.GetNodes()) {
        if (node->GetObject())
            table[node->GetID()] = StampsOf(node->GetObject());
    }
    return table;
}

// How far each stamp moved, as five digits in stamp order ("10000": the
// Revised stamp moved by one), for every node still in the tree.
inline std::map<AKNodeID, std::string> StampMoves(std::map<AKNodeID, StampRow> const& before, AKTree const& tree)
{
    std::map<AKNodeID, std::string> moves;
    for (auto const& [nodeID, after] : StampsOfTree(tree)) {
        auto found = before.find(nodeID);
        std::string digits;
        for (unsigned int i = 0; i < kAKObjectStampCount; ++i) {
            unsigned int const from = found != before.end() ? found->second[i] : kAKNullStampVers;
            digits += std::to_string(after[i] - from);
        }
        moves[nodeID] = digits;
    }
    return moves;
}

// Whether any object of the tree holds a pending mark.
inline bool AnyObjectMarked(AKTree const& tree)
{
    for (AKNode const* node : tree.GetNodes()) {
        if (node->GetObject() && (node->GetObject()->GetFlags() & AKTreeNotifier::kMarkBits) != 0)
            return true;
    }
    return false;
}

// --- Fixture ---

// The four-level document:
//   root
//     A [ B [ 1, 2 ], C [ 3 ] ]
//     D [ 4 ]
//     5
// A to D are nests, 1 to 5 probe items. Nodes are named "root", a nest's
// name or an item's number.
class NotifierTreeTest : public SelTreeTest
{
protected:
    void SetUp() override { ProbeMessageLog().clear(); }

    AKTree& NewFourLevelTree()
    {
        AKTree& tree = NewTreeFromDico(DicoTree({DicoNest("A", {DicoNest("B", {DicoProbe(1), DicoProbe(2)}),
                                                                DicoNest("C", {DicoProbe(3)})}),
                                                 DicoNest("D", {DicoProbe(4)}), DicoProbe(5)}));
        fNames.clear();
        for (AKNode const* node : tree.GetNodes()) {
            AKObject const* object = node->GetObject();
            TestItem const* item = dynamic_cast<TestItem const*>(object);
            std::string name = node == tree.GetRootNode() ? "root"
                               : item                      ? std::to_string(item->GetValue())
                                                           : object->akmGetName().c_str();
            fNames[name] = node->GetID();
        }
        return tree;
    }

    // The node of a name of the four-level document.
    AKNode* N(AKTree const& tree, std::string const& name) const
    {
        auto found = fNames.find(name);
        AKNode* node = found != fNames.end() ? tree.GetNode(found->second) : nullptr;
        EXPECT_NE(node, nullptr) << name;
        return node;
    }
    std::string NameOf(AKNodeID nodeID) const
    {
        for (auto const& [name, id] : fNames) {
            if (id == nodeID)
                return name;
        }
        return "#" + std::to_string(nodeID);
    }

    // The stamp moves of the nodes that moved at all, by name.
    std::map<std::string, std::string> Moves(std::map<AKNodeID, StampRow> const& before, AKTree const& tree) const
    {
        std::map<std::string, std::string> named;
        for (auto const& [nodeID, digits] : StampMoves(before, tree)) {
            if (digits != "00000")
                named[NameOf(nodeID)] = digits;
        }
        return named;
    }

    std::map<std::string, AKNodeID> fNames;
};
