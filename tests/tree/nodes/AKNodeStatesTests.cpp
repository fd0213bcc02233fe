// Node states and their clients: client IDs and the registry, opening,
// selecting, visibility, searches, descendants and ancestors, channel
// numbers and the property records.

#include "AKNodeStates.h"
#include "AKNodeStatesProperties.h"
#include "AKNodeStatesSearch.h"
#include "AKNodeStatesTree.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

// An item that keeps channel numbers, one per client.
class ChanumItem : public TestItem
{
public:
    ChanumItem() : TestItem(0) {}
    unsigned char* akmGetNStateChanums() const override { return const_cast<unsigned char*>(fChanums); }

private:
    unsigned char fChanums[kAKNSClientMaxCount] = {};
};

AKDictionary Named(AKDictionary dictionary, char const* name)
{
    dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    return dictionary;
}

// root (1) {
//   folder A (2) { item "alpha" (3), sub-item "Beta" (4), item "alphabet" (5) },
//   folder B (6) { item "gamma" (7) },
//   item "alpha" (8) }
AKDictionary StatesTree()
{
    return DicoTree({Named(DicoFolder(0, {Named(DicoItem(3), "alpha"), Named(DicoNode("tstSub", 4, 0, {}), "Beta"),
                                          Named(DicoItem(5), "alphabet")}),
                           "A"),
                     Named(DicoFolder(0, {Named(DicoItem(7), "gamma")}), "B"), Named(DicoItem(8), "alpha")});
}

class AKNodeStates : public TreeTest
{
protected:
    void SetUp() override
    {
        fTree = &NewTreeFromDico(StatesTree());
        fClient = fTree->GetTreeNState().RegisterGUIClient(&fView);
        ASSERT_EQ(fClient, 0x200000002ull);
    }

    AKNodeNState& State(AKNodeID nodeID) { return fTree->GetNode(nodeID)->GetNState(); }

    // The nodes whose bit is set for the client, as read by the query.
    std::vector<AKNodeID> With(bool (AKNodeNState::*query)(AKNSClientID) const, AKNSClientID id)
    {
        std::vector<AKNodeID> ids;
        for (AKNode const* node : fTree->GetNodes()) {
            if ((node->GetNState().*query)(id))
                ids.push_back(node->GetID());
        }
        return ids;
    }
    std::vector<AKNodeID> Selected() { return With(&AKNodeNState::IsSelected, fClient); }
    std::vector<AKNodeID> Dirty() { return With(&AKNodeNState::IsDirty, fClient); }
    std::vector<AKNodeID> Opened() { return With(&AKNodeNState::IsOpened, fClient); }

    AKTree* fTree = nullptr;
    int fView = 0;
    AKNSClientID fClient = kAKNullNSClientID;
};

using Ids = std::vector<AKNodeID>;
Ids const kAll{1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

// --- Client IDs and the registry ---

TEST(AKNSClientIDs, IndexAndBit)
{
    EXPECT_EQ(kAKTreeNSClientID, 0x100000001ull);
    EXPECT_EQ(AKNSClientIDOfIndex(2), 0x200000002ull);
    EXPECT_EQ(AKNSClientIDOfIndex(32), 0x2080000000ull);
    EXPECT_EQ(AKNSClientIDOfIndex(0), kAKNullNSClientID);
    EXPECT_EQ(AKNSClientIDOfIndex(33), kAKNullNSClientID);
    EXPECT_EQ(AKNSClientFlagOf(0x2080000000ull), 0x80000000u);
    EXPECT_FALSE(AKNSClientIsValid(kAKNullNSClientID));
    EXPECT_FALSE(AKNSClientIsValid(0x2100000001ull));  // index 33
    EXPECT_EQ(AKNSClientFlagOf(0x2100000001ull), kAKNullNSClientFG);
}

TEST_F(AKNodeStates, NewNodesAreOpenedAndVisibleForEveryClient)
{
    AKTree& fresh = NewDefaultTree();
    AKNodeNState const& state = fresh.GetRootNode()->GetNState();
    EXPECT_EQ(state.GetNode(), fresh.GetRootNode());
    EXPECT_EQ(state.GetOpenedMask(), 0xFFFFFFFFu);
    EXPECT_EQ(state.GetUservisMask(), 0xFFFFFFFFu);
    EXPECT_EQ(state.GetSelectedMask(), 0u);
    EXPECT_EQ(state.GetDirtyMask(), 0u);
    EXPECT_EQ(state.GetRealvisMask(), 0u);
}

TEST_F(AKNodeStates, RegistrationHandsOutIndexesTwoToThirtyTwo)
{
    AKTreeNState& registry = fTree->GetTreeNState();
    int views[32];
    for (int i = 1; i < 31; ++i)
        EXPECT_EQ(registry.RegisterGUIClient(&views[i]), AKNSClientIDOfIndex(static_cast<unsigned int>(i) + 2));
    EXPECT_EQ(registry.CountRegisteredGUIClients(), 31u);
    EXPECT_EQ(registry.RegisterGUIClient(&views[0]), kAKNullNSClientID);
    EXPECT_EQ(registry.GetRegisteredGUIClient(&views[0]), kAKNullNSClientID);
    EXPECT_EQ(registry.RegisterGUIClient(nullptr), kAKNullNSClientID);

    // A freed slot is taken again.
    registry.UnregisterGUIClient(&views[5]);
    EXPECT_EQ(registry.RegisterGUIClient(&views[0]), AKNSClientIDOfIndex(7));
    EXPECT_EQ(registry.GetRegisteredGUIClient(&fView), fClient);
    registry.UnregisterGUIClient(nullptr);
    registry.UnregisterGUIClient(&views[5]);  // unknown: nothing
    EXPECT_EQ(registry.CountRegisteredGUIClients(), 31u);
}

TEST_F(AKNodeStates, RegisteringAgainKeepsTheIDAndResetsTheBits)
{
    State(3).SetSelected(fClient, true, false);
    State(2).SetOpened(fClient, false);
    State(4).SetRealvis(fClient, true);
    State(5).SetUservis(fClient, false);
    ASSERT_FALSE(Dirty().empty());

    EXPECT_EQ(fTree->GetTreeNState().RegisterGUIClient(&fView), fClient);
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(Dirty().empty());
    EXPECT_EQ(Opened(), kAll);
    EXPECT_EQ(With(&AKNodeNState::IsUservis, fClient), kAll);
    EXPECT_TRUE(With(&AKNodeNState::IsRealvis, fClient).empty());
}

TEST_F(AKNodeStates, UnregisteringClearsTheClientsBitsOnly)
{
    int other = 0;
    AKNSClientID otherID = fTree->GetTreeNState().RegisterGUIClient(&other);
    State(3).SetSelected(fClient, true, false);
    State(3).SetSelected(otherID, true, false);
    fTree->GetTreeNState().UnregisterGUIClient(&fView);
    EXPECT_EQ(fTree->GetTreeNState().GetRegisteredGUIClient(&fView), kAKNullNSClientID);
    for (AKNode const* node : fTree->GetNodes()) {
        AKNodeNState const& state = node->GetNState();
        AKNSClientFG bit = AKNSClientFlagOf(fClient);
        EXPECT_EQ((state.GetOpenedMask() | state.GetUservisMask() | state.GetSelectedMask() | state.GetDirtyMask() |
                   state.GetRealvisMask()) &
                      bit,
                  0u);
    }
    EXPECT_TRUE(State(3).IsSelected(otherID));
    EXPECT_TRUE(State(3).IsOpened(otherID));
}

TEST_F(AKNodeStates, InvalidIDsChangeNothing)
{
    for (AKNSClientID bad : {kAKNullNSClientID, AKNSClientID(0x00000001), AKNSClientID(0x2100000001ull)}) {
        AKNodeNState& state = State(2);
        state.SetSelected(bad, true, false);
        state.SetOpened(bad, false);
        state.SetDirty(bad);
        state.SetRealvis(bad, true);
        EXPECT_FALSE(state.ToggleOpened(bad));
        EXPECT_FALSE(state.ToggleSelected(bad, false));
        EXPECT_FALSE(state.ToggleUservis(bad));
        EXPECT_FALSE(state.IsOpened(bad));
        EXPECT_FALSE(state.IsParentsOpened(bad, nullptr));
        EXPECT_EQ(state.GetChanum(bad), 0);
        fTree->GetTreeNState().DeselectAll(bad);
        fTree->GetTreeNState().CloseAll(bad);
        EXPECT_EQ(state.GetSelectedMask(), 0u);
        EXPECT_EQ(state.GetOpenedMask(), 0xFFFFFFFFu);
        EXPECT_EQ(state.GetDirtyMask(), 0u);
        EXPECT_EQ(state.GetRealvisMask(), 0u);
    }
}

// --- Opening and selecting ---

TEST_F(AKNodeStates, ClosingTheRootDoesNothing)
{
    State(1).SetOpened(fClient, false);
    EXPECT_TRUE(State(1).IsOpened(fClient));
    EXPECT_FALSE(State(1).IsDirty(fClient));
    EXPECT_TRUE(State(1).ToggleOpened(fClient));
}

TEST_F(AKNodeStates, ClosingDeselectsTheDescendantsWithoutMarkingThem)
{
    State(3).SetSelected(fClient, true, false);
    State(5).SetSelected(fClient, true, false);
    State(8).SetSelected(fClient, true, false);
    fTree->GetTreeNState().ResetAllDirty(fClient);

    State(2).SetOpened(fClient, false);
    EXPECT_FALSE(State(2).IsOpened(fClient));
    EXPECT_EQ(Selected(), (Ids{8}));
    EXPECT_EQ(Dirty(), (Ids{2}));
    // Opening again marks it once more.
    fTree->GetTreeNState().ResetAllDirty(fClient);
    EXPECT_TRUE(State(2).ToggleOpened(fClient));
    EXPECT_EQ(Dirty(), (Ids{2}));
    State(2).SetOpened(fClient, true);
    fTree->GetTreeNState().ResetAllDirty(fClient);
    State(2).SetOpened(fClient, true);
    EXPECT_TRUE(Dirty().empty());
}

TEST_F(AKNodeStates, SelectingUnderAClosedParentIsRefused)
{
    State(2).SetOpened(fClient, false);
    fTree->GetTreeNState().ResetAllDirty(fClient);
    State(3).SetSelected(fClient, true, false);
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(Dirty().empty());
    EXPECT_FALSE(State(3).ToggleSelected(fClient, false));
    // The closed node itself can be selected: its own parent is open.
    EXPECT_TRUE(State(2).ToggleSelected(fClient, false));
}

TEST_F(AKNodeStates, SelectingCanDeselectTheDescendants)
{
    State(3).SetSelected(fClient, true, false);
    State(7).SetSelected(fClient, true, false);
    State(1).SetSelected(fClient, true, true);
    EXPECT_EQ(Selected(), (Ids{1}));
    EXPECT_EQ(Dirty(), (Ids{1}));  // the descendants lost their dirty bits too

    State(1).SetSelected(fClient, false, false);
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(State(1).IsDirty(fClient));
    State(1).ResetDirty(fClient);
    State(1).SetSelected(fClient, false, false);
    EXPECT_FALSE(State(1).IsDirty(fClient));
}

TEST_F(AKNodeStates, ChildrenSelectionAndInversion)
{
    State(2).SetChildrenSelected(fClient, true);
    EXPECT_EQ(Selected(), (Ids{3, 4, 5}));
    EXPECT_EQ(Dirty(), (Ids{3, 4, 5}));
    fTree->GetTreeNState().ResetAllDirty(fClient);
    State(4).SetSelected(fClient, false, false);
    State(2).SetChildrenSelectionInvert(fClient);
    EXPECT_EQ(Selected(), (Ids{4}));
    EXPECT_EQ(Dirty(), (Ids{3, 4, 5}));
    State(2).SetChildrenSelected(fClient, false);
    EXPECT_TRUE(Selected().empty());

    // Both need the node and its ancestors opened.
    State(2).SetOpened(fClient, false);
    State(2).SetChildrenSelected(fClient, true);
    State(2).SetChildrenSelectionInvert(fClient);
    EXPECT_TRUE(Selected().empty());

    State(6).SetChildrenSelected(fClient, true);
    EXPECT_EQ(Selected(), (Ids{7}));
    State(1).SetRChildrenSelectedNot(fClient);
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(Dirty().empty());
}

TEST_F(AKNodeStates, VisibilityBitsMarkChanges)
{
    State(3).SetRealvis(fClient, true);
    EXPECT_TRUE(State(3).IsRealvis(fClient));
    EXPECT_FALSE(State(3).ToggleUservis(fClient));
    EXPECT_FALSE(State(3).IsUservis(fClient));
    EXPECT_EQ(Dirty(), (Ids{3}));
    fTree->GetTreeNState().ResetAllDirty(fClient);
    State(3).SetRealvis(fClient, true);
    State(3).SetUservis(fClient, false);
    EXPECT_TRUE(Dirty().empty());
    State(3).SetDirtyForAllClients();
    EXPECT_EQ(State(3).GetDirtyMask(), 0xFFFFFFFFu);
}

// --- Descendants and ancestors ---

TEST_F(AKNodeStates, DescendantsOpenedToADepthAndByClass)
{
    AKNodeNState& root = State(1);
    root.SetRChildrenOpened(fClient, false, 1, nullptr);
    EXPECT_EQ(Opened(), (Ids{1, 3, 4, 5, 7}));
    root.SetRChildrenOpened(fClient, false, 2, nullptr);
    EXPECT_EQ(Opened(), (Ids{1}));
    root.SetRChildrenOpened(fClient, true, 0, nullptr);  // depth 0: nothing
    EXPECT_EQ(Opened(), (Ids{1}));
    EXPECT_TRUE(Dirty().empty());

    // Only the items below the folders: folders do not match, so are not entered.
    root.SetRChildrenOpened(fClient, true, 5, TestItem::_Class());
    EXPECT_EQ(Opened(), (Ids{1, 8}));
    root.SetRChildrenOpened(fClient, true, 5, TestBaseObject::_Class());
    EXPECT_EQ(Opened(), kAll);
    State(2).SetRChildrenOpened(fClient, false, 1, TestSubItem::_Class());
    EXPECT_EQ(Opened(), (Ids{1, 2, 3, 5, 6, 7, 8}));
}

TEST_F(AKNodeStates, ClosingDescendantsDeselectsOnlyBelowTheDirectChildren)
{
    State(2).SetSelected(fClient, true, false);
    State(3).SetSelected(fClient, true, false);
    State(7).SetSelected(fClient, true, false);
    State(1).SetRChildrenOpened(fClient, false, 1, TestItem::_Class());
    // Nothing was closed (no direct child is an item but 8), yet the
    // grandchildren lost their selection; the direct children kept theirs.
    EXPECT_EQ(Selected(), (Ids{2}));
    EXPECT_EQ(Dirty(), (Ids{2}));
    EXPECT_FALSE(State(8).IsOpened(fClient));
}

TEST_F(AKNodeStates, UservisOfDescendants)
{
    State(1).SetRChildrenUservis(fClient, false, 2, nullptr);
    EXPECT_EQ(With(&AKNodeNState::IsUservis, fClient), (Ids{1}));
    EXPECT_TRUE(Dirty().empty());
    State(3).SetParentsUservis(fClient, nullptr);
    EXPECT_EQ(With(&AKNodeNState::IsUservis, fClient), (Ids{1, 2}));
    EXPECT_TRUE(State(3).IsParentsUservis(fClient, nullptr));
    EXPECT_FALSE(State(7).IsParentsUservis(fClient, nullptr));
}

TEST_F(AKNodeStates, ParentsWalkStopsAtAnotherKind)
{
    fTree->GetTreeNState().CloseAll(fClient);
    EXPECT_EQ(Opened(), (Ids{1}));
    EXPECT_FALSE(State(3).IsParentsOpened(fClient, nullptr));
    // With a class, the walk ends at the root, which is no test object.
    State(3).SetParentsOpened(fClient, TestFolder::_Class());
    EXPECT_EQ(Opened(), (Ids{1, 2}));
    EXPECT_TRUE(Dirty().empty());
    State(2).SetOpened(fClient, false);
    State(3).SetParentsOpened(fClient, TestItem::_Class());  // the folder is another kind: stops at once
    EXPECT_EQ(Opened(), (Ids{1}));
    EXPECT_TRUE(State(3).IsParentsOpened(fClient, TestItem::_Class()));
    EXPECT_FALSE(State(3).IsParentsOpened(fClient, TestFolder::_Class()));
    State(7).SetParentsOpened(fClient, nullptr);
    EXPECT_TRUE(State(7).IsParentsOpened(fClient, nullptr));
}

// --- Searches ---

TEST(AKSearchObjectsParamCan, WhichSearchesCanRun)
{
    struct Case {
        unsigned int mode;
        bool byClass;
        char const* classID;
        bool byName;
        unsigned int nameMatch;
        char const* name;
        bool can;
    };
    Case const cases[] = {
        {0, true, "tstItem", true, 0, "a", true}, {0, true, "tstItem", false, 0, "", true},
        {0, true, "", false, 0, "a", false},                                                  // null class ID
        {0, false, "", true, 1, "a", true},       {0, false, "", true, 0, "", false},         // empty text
        {0, false, "", true, 2, "a", false},                                                  // unknown name match
        {0, false, "", false, 0, "a", false},                                                 // neither test
        {2, true, "tstItem", false, 0, "", true}, {3, true, "tstItem", false, 0, "", false},  // unknown mode
    };
    for (Case const& c : cases) {
        AKSearchObjectsParam search;
        search.fMode = c.mode;
        search.fByClass = c.byClass;
        search.fClassID = AKClassID(c.classID);
        search.fByName = c.byName;
        search.fNameMatch = c.nameMatch;
        search.fName = AKString(c.name);
        EXPECT_EQ(search.CanSearch(), c.can) << c.mode << " " << c.classID << " " << c.name;
    }
    AKSearchObjectsParam defaults;
    EXPECT_EQ(defaults.fMode, 0u);
    EXPECT_TRUE(defaults.fByClass && defaults.fByName && defaults.fCaseSensitive);
    EXPECT_FALSE(defaults.CanSearch());
}

TEST_F(AKNodeStates, ObjectMatchByClassAndName)
{
    AKSearchObjectsParam search;
    search.fClassID = TestItem::_ClassID();
    search.fName = AKString("alpha");
    EXPECT_TRUE(search.ObjectMatch(fTree->GetNode(3)));
    EXPECT_FALSE(search.ObjectMatch(fTree->GetNode(5)));  // "alphabet" is not equal
    search.fNameMatch = kAKSearchNameContains;
    EXPECT_TRUE(search.ObjectMatch(fTree->GetNode(5)));
    search.fName = AKString("BET");
    EXPECT_FALSE(search.ObjectMatch(fTree->GetNode(5)));
    search.fCaseSensitive = false;
    EXPECT_TRUE(search.ObjectMatch(fTree->GetNode(5)));
    EXPECT_TRUE(search.ObjectMatch(fTree->GetNode(4)));   // a sub-item "Beta" is a kind of item
    EXPECT_FALSE(search.ObjectMatch(fTree->GetNode(2)));  // a folder
    search.fClassID = AKClassID("nothere");
    EXPECT_FALSE(search.ObjectMatch(fTree->GetNode(5)));
    search.fByClass = false;
    EXPECT_TRUE(search.ObjectMatch(fTree->GetNode(5)));
    search.fNameMatch = 7;
    EXPECT_FALSE(search.ObjectMatch(fTree->GetNode(5)));
    EXPECT_FALSE(search.ObjectMatch(static_cast<AKNode const*>(nullptr)));
    EXPECT_FALSE(search.ObjectMatch(static_cast<AKObject const*>(nullptr)));
}

TEST_F(AKNodeStates, SelectingChildrenBySearch)
{
    AKSearchObjectsParam search;
    search.fByClass = false;
    search.fNameMatch = kAKSearchNameContains;
    search.fName = AKString("alpha");
    AKNodeNState& folder = State(2);
    bool changed = false;

    // Replace.
    State(4).SetSelected(fClient, true, false);
    fTree->GetTreeNState().ResetAllDirty(fClient);
    EXPECT_TRUE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Selected(), (Ids{3, 5}));
    EXPECT_EQ(Dirty(), (Ids{3, 4, 5}));
    EXPECT_TRUE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_FALSE(changed);

    // Restrict: only the selected ones are tested.
    search.fMode = kAKSearchModeRestrict;
    search.fName = AKString("bet");
    fTree->GetTreeNState().ResetAllDirty(fClient);
    EXPECT_TRUE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Selected(), (Ids{5}));
    EXPECT_EQ(Dirty(), (Ids{3}));

    // Add.
    search.fMode = kAKSearchModeAdd;
    search.fName = AKString("Be");
    EXPECT_TRUE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_EQ(Selected(), (Ids{4, 5}));
    EXPECT_FALSE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_FALSE(changed);

    // A closed node needs force (closing it deselected its children).
    folder.SetOpened(fClient, false);
    EXPECT_TRUE(Selected().empty());
    search.fMode = kAKSearchModeReplace;
    search.fName = AKString("alpha");
    changed = true;
    EXPECT_FALSE(folder.SetChildrenSelectionSearch(fClient, search, false, &changed));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(folder.SetChildrenSelectionSearch(fClient, search, true, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Selected(), (Ids{3, 5}));
    // A search that cannot run does nothing.
    search.fName = AKString();
    EXPECT_FALSE(State(6).SetChildrenSelectionSearch(fClient, search, true, nullptr));
    EXPECT_FALSE(State(6).SetChildrenSelectionSearch(kAKNullNSClientID, search, true, nullptr));
}

// --- The registry over every node ---

TEST_F(AKNodeStates, RegistryOperationsOverEveryNode)
{
    AKTreeNState& registry = fTree->GetTreeNState();
    int other = 0;
    AKNSClientID otherID = registry.RegisterGUIClient(&other);
    State(3).SetSelected(fClient, true, false);
    State(6).SetOpened(fClient, false);
    State(8).SetRealvis(fClient, true);

    registry.Clone(otherID, fClient);
    EXPECT_EQ(With(&AKNodeNState::IsSelected, otherID), (Ids{3}));
    EXPECT_EQ(With(&AKNodeNState::IsOpened, otherID), (Ids{1, 2, 3, 4, 5, 7, 8}));
    EXPECT_EQ(With(&AKNodeNState::IsRealvis, otherID), (Ids{8}));
    EXPECT_TRUE(With(&AKNodeNState::IsDirty, otherID).empty());
    registry.Clone(fClient, fClient);
    registry.Clone(fClient, AKNSClientIDOfIndex(2) | 0x4);  // same index
    EXPECT_EQ(Selected(), (Ids{3}));

    registry.DeselectAll(fClient);
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(State(3).IsDirty(fClient));
    registry.OpenAll(fClient);
    EXPECT_EQ(Opened(), kAll);
    registry.ResetAllDirty(fClient);
    EXPECT_TRUE(Dirty().empty());
    State(8).SetSelected(fClient, true, false);
    registry.CloseAll(fClient);
    EXPECT_EQ(Opened(), (Ids{1}));
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(Dirty().empty());
    EXPECT_EQ(With(&AKNodeNState::IsSelected, otherID), (Ids{3}));
}

// --- Channel numbers ---

TEST_F(AKNodeStates, ChannelNumbersLiveInTheObject)
{
    EXPECT_FALSE(State(3).HasChanum());
    EXPECT_EQ(State(3).GetChanum(fClient), 0);
    EXPECT_FALSE(State(3).SetChanum(fClient, 4));

    ChanumItem* item = static_cast<ChanumItem*>(_AKClassConstruct<ChanumItem>(TestItem::_Class()));
    AKNode* node = nullptr;
    ASSERT_EQ(fTree->DoTreeSelAddNewObjects(nullptr, &node, fTree->GetRootNode(), kAKLinkModeLastChildren,
                                            ATObjectArray<AKObject>{item}),
              0);
    AKNodeNState& state = node->GetNState();
    EXPECT_TRUE(state.HasChanum());
    EXPECT_TRUE(state.SetChanum(fClient, 4));
    EXPECT_FALSE(state.SetChanum(fClient, 4));
    EXPECT_EQ(state.GetChanum(fClient), 4);
    EXPECT_EQ(item->akmGetNStateChanums()[1], 4);  // index 2, slot 1
    EXPECT_EQ(state.GetChanum(kAKTreeNSClientID), 0);
    EXPECT_FALSE(state.SetChanum(kAKNullNSClientID, 9));
}

// --- Property records ---

TEST(AKNodeStateProperties, RecordsRoundTrip)
{
    AKValueArray records;
    SetNStateToProperties(records, 12, true, false, 0);
    SetNStateToProperties(records, 40, false, true, 3);
    SetNStateToProperties(records, 12, false, false, 9);
    ASSERT_EQ(records.Count(), 3u);
    AKDictionary const* first = records[0].GetasAKDictionary();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->ContainsKey("CH"));
    EXPECT_EQ(AKValueGetasAKNodeID(first->GetValue("ID")), 12);
    EXPECT_EQ(AKValueGetasUInt(first->GetValue("NS"), false), 1u);

    bool flag0 = false, flag1 = false;
    unsigned char chanum = 77;
    EXPECT_TRUE(GetNStateFromProperties(records, 12, &flag0, &flag1, &chanum));  // the first record of 12
    EXPECT_TRUE(flag0);
    EXPECT_FALSE(flag1);
    EXPECT_EQ(chanum, 0);
    EXPECT_TRUE(GetNStateFromProperties(records, 40, &flag0, &flag1, &chanum));
    EXPECT_FALSE(flag0);
    EXPECT_TRUE(flag1);
    EXPECT_EQ(chanum, 3);
    EXPECT_TRUE(GetNStateFromProperties(records, 40, nullptr, nullptr, nullptr));

    flag0 = true;
    chanum = 5;
    EXPECT_FALSE(GetNStateFromProperties(records, 13, &flag0, nullptr, &chanum));
    EXPECT_TRUE(flag0);
    EXPECT_EQ(chanum, 5);
}
