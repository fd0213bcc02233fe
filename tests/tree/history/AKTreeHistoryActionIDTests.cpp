// Action IDs come from one process-wide counter. This program holds this one
// test so that the counter is fresh when it runs, however it is started.

#include "AKTreeHistory.h"

#include "HistoryTestFixtures.h"

#include <gtest/gtest.h>

namespace {

class AKTreeHistoryActionIDTest : public HistoryTest
{};

TEST_F(AKTreeHistoryActionIDTest, ActionIDsStartAt1000001AndAMergedStepKeepsItsID)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    EXPECT_EQ(History().GetAction(0)->GetActionID(), 1000001u);
    fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 4));
    ASSERT_EQ(ReviseItems(fSelection, 40), 0);
    ASSERT_EQ(ReviseItems(fSelection, 41, true), 0);
    EXPECT_EQ(History().GetAction(1)->GetActionID(), 1000002u);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    EXPECT_EQ(History().GetAction(2)->GetActionID(), 1000003u);

    // Undone steps' IDs are not reused.
    ASSERT_EQ(Undo().status, 0);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {12});
    EXPECT_EQ(History().GetAction(2)->GetActionID(), 1000004u);
}

}  // namespace
