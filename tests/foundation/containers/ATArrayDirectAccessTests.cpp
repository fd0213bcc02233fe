#include "ATArrayDirectAccess.h"

#include <gtest/gtest.h>

namespace {

struct Item {
    unsigned int fID;
    unsigned int GetDirectAccessID() const { return fID; }
};

TEST(ATArrayDirectAccess, GrowsToTheIdentifierWithNullSlots)
{
    ATArrayDirectAccess<Item*> table;
    Item ten{10};
    EXPECT_TRUE(table.SetAccess(&ten));
    EXPECT_EQ(table.Count(), 11u);
    for (unsigned int id = 0; id < 10; ++id)
        EXPECT_EQ(table.GetAccess(id), nullptr) << id;
    EXPECT_EQ(table.GetAccess(10), &ten);
    EXPECT_EQ(table.GetAccess(11), nullptr);
    EXPECT_EQ(table[12345], nullptr);
}

TEST(ATArrayDirectAccess, AppendsAndOverwrites)
{
    ATArrayDirectAccess<Item*> table;
    Item a{0}, b{1}, c{0};
    EXPECT_TRUE(table.SetAccess(&a));  // identifier equal to the count: appended
    EXPECT_TRUE(table.SetAccess(&b));
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_TRUE(table.SetAccess(&c));  // below the count: overwritten
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.GetAccess(0), &c);
    table.ClearAccess(0);
    EXPECT_EQ(table.GetAccess(0), nullptr);
    EXPECT_EQ(table.GetAccess(1), &b);
}

TEST(ATArrayDirectAccess, IdentifiersAbove9999AreRefused)
{
    ATArrayDirectAccess<Item*> table;
    Item last{9999}, over{10000};
    EXPECT_FALSE(table.SetAccess(&over));
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_TRUE(table.SetAccess(&last));
    EXPECT_EQ(table.Count(), 10000u);
    EXPECT_EQ(table.GetAccess(9999), &last);
    EXPECT_FALSE(table.SetAccess(0xFFFFFFFFu, &over));
    EXPECT_FALSE(table.SetAccess(nullptr));
    EXPECT_EQ(table.Count(), 10000u);
}

}  // namespace
