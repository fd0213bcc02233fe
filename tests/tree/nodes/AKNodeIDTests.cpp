// Node IDs and lists of node IDs: text, file and value forms, searches.

#include "AKFile.h"
#include "AKNodeID.h"
#include "AKNodeIDArray.h"
#include "AKString.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(AKNodeID, TextFormIsSignedDecimalAndZeroForNonNumbers)
{
    EXPECT_EQ(AKNodeIDFromAKString(AKString("42")), 42);
    EXPECT_EQ(AKNodeIDFromAKString(AKString("-7")), -7);
    EXPECT_EQ(AKNodeIDFromAKString(AKString("abc")), 0);
    EXPECT_EQ(AKNodeIDFromAKString(AKString("")), 0);
    EXPECT_STREQ(AKStringFromAKNodeID(-12).c_str(), "-12");
    EXPECT_STREQ(AKStringFromAKNodeID(INT_MAX).c_str(), "2147483647");
}

TEST(AKNodeID, FileFormIsFourBytesInTheChosenOrder)
{
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(AKFileWriteAKNodeID(file, -2), 0);
    ASSERT_EQ(AKFileWriteAKNodeID(file, 0x01020304, 1), 0);
    void const* data = nullptr;
    unsigned long long size = 0;
    ASSERT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
    ASSERT_EQ(size, 8u);
    unsigned char const expected[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(0, memcmp(data, expected, 8));

    ASSERT_EQ(file.SetPos(0), 0);
    AKNodeID a = 0, b = 0;
    EXPECT_EQ(AKFileReadAKNodeID(file, &a), 0);
    EXPECT_EQ(AKFileReadAKNodeID(file, &b, 1), 0);
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 0x01020304);
    EXPECT_NE(AKFileReadAKNodeID(file, &a), 0);
}

TEST(AKNodeID, ValueFormTakesIntegersOnly)
{
    AKNodeID nodeID = 5;
    EXPECT_FALSE(AKValueGetasAKNodeID(AKValueSetasAKString(AKString("12")), &nodeID));
    EXPECT_FALSE(AKValueGetasAKNodeID(AKValueSetasFloat64(12.0), &nodeID));
    EXPECT_FALSE(AKValueGetasAKNodeID(AKValueSetasBool(true), &nodeID));
    EXPECT_EQ(nodeID, 5);
    EXPECT_EQ(AKValueGetasAKNodeID(AKValueSetasAKString(AKString("12"))), 0);

    EXPECT_TRUE(AKValueGetasAKNodeID(AKValueSetasAKNodeID(-9), &nodeID));
    EXPECT_EQ(nodeID, -9);
    // The low 32 bits of a wider integer.
    EXPECT_EQ(AKValueGetasAKNodeID(AKValueSetasSInt(0x100000007LL)), 7);

    AKValue value;
    EXPECT_EQ(AKValueSetasAKNodeID(&value, 33), &value);
    EXPECT_TRUE(value.IsInteger());
    EXPECT_EQ(AKValueGetasAKNodeID(value), 33);
}

TEST(AKNodeIDArray, SortedSearchesAndNextID)
{
    AKNodeIDArray ids{0, 3, 8, 40};
    EXPECT_TRUE(ids.IsStrictlySortedByID());
    unsigned int index = 7;
    // ID 0 is never found, even when the array holds it.
    EXPECT_FALSE(ids.BSearchID(0, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_TRUE(ids.BSearchID(8, &index));
    EXPECT_EQ(index, 2u);
    EXPECT_FALSE(ids.BSearchID(9, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_EQ(ids.GetNextAvailableNodeID(), 41);
    EXPECT_EQ(AKNodeIDArray().GetNextAvailableNodeID(), 2);

    AKNodeIDArray unsorted{5, 2, 2, 9};
    EXPECT_FALSE(unsorted.IsStrictlySortedByID());
    unsorted.SortByID();
    EXPECT_EQ(unsorted, (AKNodeIDArray{2, 2, 5, 9}));
    EXPECT_FALSE(unsorted.IsStrictlySortedByID());
    EXPECT_TRUE(AKNodeIDArray{4}.IsStrictlySortedByID());
    EXPECT_TRUE(AKNodeIDArray().IsStrictlySortedByID());
}

TEST(AKNodeIDArray, RawCopies)
{
    int const raw[] = {4, -1, 6};
    AKNodeIDArray ids{1};
    ids.FillWithRawNodeIDs(raw, 3);
    EXPECT_EQ(ids, (AKNodeIDArray{4, -1, 6}));
    AKRawNodeIDArray copy;
    ids.GrabRawNodeIDs(&copy);
    EXPECT_EQ(copy, (AKRawNodeIDArray{4, -1, 6}));

    ids.FillWithRawNodeIDs(raw, 0);
    EXPECT_TRUE(ids.IsEmpty());
    ids.FillWithRawNodeIDs(copy);
    EXPECT_EQ(ids.Count(), 3u);
    ids.FillWithRawNodeIDs(nullptr, 3);
    EXPECT_TRUE(ids.IsEmpty());
    ids.FillWithRawNodeIDs(raw, -2);
    EXPECT_TRUE(ids.IsEmpty());
}

TEST(AKNodeIDArray, ValueForm)
{
    AKNodeIDArray ids{3, -4, 9};
    AKValue value = AKValueSetasAKNodeIDArray(ids);
    ASSERT_TRUE(value.IsAKValueArray());
    EXPECT_EQ(AKValueGetasAKNodeIDArray(value), ids);

    // An empty value fails and leaves the array alone.
    AKNodeIDArray out{1, 2};
    EXPECT_FALSE(AKValueGetasAKNodeIDArray(AKValue(), &out));
    EXPECT_EQ(out, (AKNodeIDArray{1, 2}));

    // Any other failure empties it: a non-array, or an element that is not an integer.
    EXPECT_FALSE(AKValueGetasAKNodeIDArray(AKValueSetasSInt(3), &out));
    EXPECT_TRUE(out.IsEmpty());
    AKValueArray mixed{AKValueSetasSInt(1), AKValueSetasAKString(AKString("2"))};
    out = AKNodeIDArray{7};
    EXPECT_FALSE(AKValueGetasAKNodeIDArray(AKValueSetasAKValueArray(mixed), &out));
    EXPECT_TRUE(out.IsEmpty());

    EXPECT_TRUE(AKValueGetasAKNodeIDArray(AKValueSetasAKValueArray(AKValueArray()), &out));
    EXPECT_TRUE(out.IsEmpty());
}
