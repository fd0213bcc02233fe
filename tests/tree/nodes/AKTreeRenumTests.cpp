// The old-to-new node ID map.

#include "AKNodeArray.h"
#include "AKNodeIDArray.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct Match {
    AKNodeID from;
    bool keepNegative;
    AKNodeID to;
    bool ok;
};

void ExpectMatches(AKTreeRenum const& renum, std::initializer_list<Match> matches)
{
    for (Match const& m : matches) {
        AKNodeID nodeID = m.from;
        EXPECT_EQ(renum.MatchID(&nodeID, m.keepNegative), m.ok) << "from " << m.from;
        EXPECT_EQ(nodeID, m.to) << "from " << m.from;
    }
}

}  // namespace

TEST(AKTreeRenum, MapFromScatteredIDs)
{
    BareNodes bare;
    AKNodeArray nodes{bare.Make(12), bare.Make(5), bare.Make(9)};
    AKTreeRenum renum(nodes, false, 20);
    EXPECT_FALSE(renum.IsIdentity());
    EXPECT_EQ(renum.GetOldIDs(), (AKNodeIDArray{5, 9, 12}));
    ExpectMatches(renum, {
                             {5, false, 20, true},
                             {9, false, 21, true},
                             {12, false, 22, true},
                             {7, false, 0, false},
                             {0, false, 0, true},
                             {-3, true, -3, true},
                             {-3, false, 0, false},
                         });
}

TEST(AKTreeRenum, IdentityMapKeepsIDsInsideItsRun)
{
    BareNodes bare;
    AKTreeRenum renum(bare.MakeRun(1, 3), true, 1);
    EXPECT_TRUE(renum.IsIdentity());
    ExpectMatches(renum, {
                             {2, false, 2, true},
                             {3, false, 3, true},
                             {4, false, 4, false},
                             {-4, true, -4, true},
                         });

    // Not an identity: a gap, a different first ID, no IDs at all.
    AKTreeRenum gap;
    gap.Setup(AKNodeIDArray{1, 2, 4}, true, 1);
    EXPECT_FALSE(gap.IsIdentity());
    gap.Setup(AKNodeIDArray{1, 2, 3}, true, 2);
    EXPECT_FALSE(gap.IsIdentity());
    gap.Setup(AKNodeIDArray(), true, 1);
    EXPECT_FALSE(gap.IsIdentity());
    gap.Setup(AKNodeIDArray{7, 8}, true, 7);
    EXPECT_TRUE(gap.IsIdentity());
}

TEST(AKTreeRenum, DefaultsCopiesAndClear)
{
    AKTreeRenum renum;
    EXPECT_TRUE(renum.GetOldIDs().IsEmpty());
    EXPECT_EQ(renum.GetFirstNewID(), 1);
    EXPECT_FALSE(renum.IsIdentity());
    ExpectMatches(renum, {{1, false, 0, false}, {0, false, 0, true}});

    // A first ID of 0 or less means 1.
    renum.Setup(AKNodeIDArray{30, 10}, false, -5);
    EXPECT_EQ(renum.GetFirstNewID(), 1);
    AKTreeRenum copy(renum);
    AKTreeRenum assigned;
    assigned.Assign(renum);
    renum.Clear();
    EXPECT_TRUE(renum.GetOldIDs().IsEmpty());
    for (AKTreeRenum const* map : {&copy, &assigned})
        ExpectMatches(*map, {{10, false, 1, true}, {30, false, 2, true}});
}

TEST(AKTreeRenum, NewIDsNeverPassTheLargestNodeID)
{
    AKTreeRenum renum;
    renum.Setup(AKNodeIDArray{3, 4, 5}, true, kAKNodeIDMax - 1);
    ExpectMatches(renum, {
                             {3, false, kAKNodeIDMax - 1, true},
                             {4, false, kAKNodeIDMax, true},
                             {5, false, 0, false},
                         });
    // An identity map ending at the top of the range.
    renum.Setup(AKNodeIDArray{INT_MAX - 1, INT_MAX}, true, INT_MAX - 1);
    ExpectMatches(renum, {{INT_MAX, false, INT_MAX, true}});
}

TEST(AKTreeRenum, IDListsStopAtTheFirstEntryThatDoesNotMap)
{
    AKTreeRenum renum;
    renum.Setup(AKNodeIDArray{5, 9}, true, 2);
    AKNodeIDArray ids{9, -1, 5};
    EXPECT_EQ(ids.RenumberIDs(renum, true), 0);
    EXPECT_EQ(ids, (AKNodeIDArray{3, -1, 2}));
    ids = AKNodeIDArray{9, 7, 5};
    EXPECT_EQ(ids.RenumberIDs(renum, false), kAKErrorTreeNodeBadID);
    EXPECT_EQ(ids, (AKNodeIDArray{3, 0, 5}));
}
