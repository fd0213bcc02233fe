#include "AKHash.h"
#include "AKString.h"
#include "ATFastMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using StringMap = ATFastMap<AKString, int>;
using CMap = ATFastMap<char const*, int>;

unsigned char BucketOf(char const* key) { return CMap::BucketOfHash(CMap::ComputeHash(key)); }

// A key whose bucket is `bucket`, found by trying "k0", "k1", ...
std::string KeyInBucket(unsigned char bucket, std::string const& avoid = "")
{
    for (int i = 0;; ++i) {
        std::string key = "k" + std::to_string(i);
        if (key != avoid && BucketOf(key.c_str()) == bucket)
            return key;
    }
}

void ExpectBucket(StringMap const& map, char const* key, int first, unsigned int count)
{
    ATFastMapBucket b = map.GetBucket(BucketOf(key));
    EXPECT_EQ(b.fFirst, first) << "bucket of " << key;
    EXPECT_EQ(b.fCount, count) << "bucket of " << key;
}

std::vector<std::string> Keys(StringMap const& map)
{
    std::vector<std::string> keys;
    for (auto const& pair : map.GetPairs())
        keys.push_back(pair.fKey.c_str());
    return keys;
}

TEST(ATFastMapHash, ByteHashAndBucketFold)
{
    EXPECT_EQ(AKComputeHashCode64("abc", 3), 1601891ULL);
    EXPECT_EQ(AKComputeHashCode32("abc", 3), 1601891u);
    EXPECT_EQ(AKComputeHashCode64("", 0), 0ULL);
    // Rotation, not shift: the high bits come back round.
    EXPECT_EQ(AKComputeHashCode64("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 10), [] {
        unsigned long long h = 0;
        for (int i = 0; i < 10; ++i)
            h = ((h << 7) | (h >> 57)) + 0xff;
        return h;
    }());
    EXPECT_EQ(CMap::BucketOfHash(0x0102040810204080ULL), 0x01 ^ 0x02 ^ 0x04 ^ 0x08 ^ 0x10 ^ 0x20 ^ 0x40 ^ 0x80);
    EXPECT_EQ(CMap::BucketOfHash(0xAB00000000000000ULL), 0xAB);
    EXPECT_EQ(StringMap::ComputeHash(AKString("abc")), 1601891ULL);
}

TEST(ATFastMapInsert, CollidingKeyJoinsItsBucketsGroup)
{
    ASSERT_NE(BucketOf("a"), BucketOf("b"));
    std::string const c = KeyInBucket(BucketOf("a"));

    StringMap map;
    EXPECT_TRUE(map.LowAddOrReplacePair("a", 1, true));
    EXPECT_TRUE(map.LowAddOrReplacePair("b", 2, true));
    ExpectBucket(map, "a", 0, 1);
    ExpectBucket(map, "b", 1, 1);

    // Where the third key will go: just after the group of "a".
    unsigned int index = 0;
    unsigned long long hash = 0;
    unsigned char bucket = 0;
    EXPECT_EQ(map.LowFindPairDetailed(c.c_str(), &index, &hash, &bucket), nullptr);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(hash, AKComputeHashCode64(c.data(), c.size()));
    EXPECT_EQ(bucket, BucketOf("a"));

    EXPECT_TRUE(map.LowAddOrReplacePair(c.c_str(), 3, true));
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"a", c, "b"}));
    ExpectBucket(map, "a", 0, 2);
    ExpectBucket(map, "b", 2, 1);  // moved up by one
    EXPECT_EQ(*map.LowFindPair("a"), 1);
    EXPECT_EQ(*map.LowFindPair("b"), 2);
    EXPECT_EQ(*map.LowFindPair(c.c_str()), 3);

    // A key of an empty bucket goes to the end.
    std::string const d = KeyInBucket(static_cast<unsigned char>(BucketOf("a") ^ BucketOf("b") ^ 0x5A));
    ASSERT_NE(BucketOf(d.c_str()), BucketOf("a"));
    ASSERT_NE(BucketOf(d.c_str()), BucketOf("b"));
    EXPECT_EQ(map.LowFindPairDetailed(d.c_str(), &index, nullptr, nullptr), nullptr);
    EXPECT_EQ(index, 3u);

    // Removing the first pair of a group: later groups move down.
    EXPECT_TRUE(map.LowRemovePair("a", nullptr));
    EXPECT_EQ(Keys(map), (std::vector<std::string>{c, "b"}));
    ExpectBucket(map, "a", 0, 1);
    ExpectBucket(map, "b", 1, 1);
    EXPECT_EQ(map.LowFindPair("a"), nullptr);
    EXPECT_EQ(*map.LowFindPair(c.c_str()), 3);

    int removed = 0;
    EXPECT_TRUE(map.LowRemovePair(c.c_str(), &removed));
    EXPECT_EQ(removed, 3);
    ExpectBucket(map, "a", -1, 0);
    ExpectBucket(map, "b", 0, 1);
    EXPECT_EQ(*map.LowFindPair("b"), 2);
}

TEST(ATFastMapRemove, RemovingTheOnlyPairDropsTheTable)
{
    StringMap map;
    EXPECT_FALSE(map.HasBucketTable());
    EXPECT_EQ(map.LowFindPair("x"), nullptr);
    map.LowAddOrReplacePair("x", 5, true);
    EXPECT_TRUE(map.HasBucketTable());

    int out = 0;
    EXPECT_FALSE(map.LowRemovePair("y", &out));
    EXPECT_EQ(out, 0);
    EXPECT_TRUE(map.LowRemovePair("x", &out));
    EXPECT_EQ(out, 5);
    EXPECT_FALSE(map.HasBucketTable());
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_EQ(map.LowFindPair("x"), nullptr);
    unsigned int index = 7;
    EXPECT_EQ(map.LowFindPairDetailed("x", &index, nullptr, nullptr), nullptr);
    EXPECT_EQ(index, 0u);

    // It works again afterwards.
    map.LowAddOrReplacePair("x", 6, true);
    EXPECT_EQ(*map.LowFindPair("x"), 6);
    map.Clear();
    EXPECT_FALSE(map.HasBucketTable());
    EXPECT_EQ(map.LowFindPair("x"), nullptr);
}

TEST(ATFastMapReplace, FlagDecidesWhetherAnExistingKeyIsReplaced)
{
    StringMap map;
    EXPECT_TRUE(map.LowAddOrReplacePair("k", 1, false));  // absent: added either way
    EXPECT_FALSE(map.LowAddOrReplacePair("k", 2, false));
    EXPECT_EQ(*map.LowFindPair("k"), 1);
    EXPECT_TRUE(map.LowAddOrReplacePair("k", 3, true));
    EXPECT_EQ(*map.LowFindPair("k"), 3);
    EXPECT_EQ(map.Count(), 1u);
}

TEST(ATFastMapKeys, CStringKeysCompareByText)
{
    CMap map;
    char first[] = "name";
    char second[] = "name";
    map.LowAddOrReplacePair(first, 1, true);
    EXPECT_EQ(*map.LowFindPair(second), 1);
    EXPECT_EQ(map.GetPairAt(0).fKey, first);  // only the pointer is stored
    EXPECT_EQ(map.LowFindPair("nam"), nullptr);
    EXPECT_EQ(map.LowFindPair("names"), nullptr);

    // A null key counts as the empty string.
    map.LowAddOrReplacePair(nullptr, 9, true);
    EXPECT_EQ(*map.LowFindPair(""), 9);

    // Keys with bytes above 127 hash as unsigned bytes.
    map.LowAddOrReplacePair("\xe9t\xe9", 4, true);
    EXPECT_EQ(*map.LowFindPair("\xe9t\xe9"), 4);
    EXPECT_EQ(map.GetPairAt(2).fHash, AKComputeHashCode64("\xe9t\xe9", 3));
}

TEST(ATFastMapKeys, AKStringKeysUseAllBytes)
{
    StringMap map;
    AKString withNul("a\0b", 3);
    map.LowAddOrReplacePair(withNul, 1, true);
    map.LowAddOrReplacePair("a", 2, true);
    EXPECT_EQ(*map.LowFindPair(AKString("a\0b", 3)), 1);
    EXPECT_EQ(*map.LowFindPair("a"), 2);
    EXPECT_EQ(map.Count(), 2u);
}

struct Counted {
    explicit Counted(int* counter) : fCounter(counter) {}
    ~Counted() { ++*fCounter; }
    int* fCounter;
};

TEST(ATFastMapValues, DeleteAllValuesAsObjects)
{
    int deleted = 0;
    ATFastMap<AKString, Counted*> map;
    map.LowAddOrReplacePair("a", new Counted(&deleted), true);
    map.LowAddOrReplacePair("b", new Counted(&deleted), true);
    map.DeleteAllValuesAsObjects();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_FALSE(map.HasBucketTable());
}

// Checks the whole layout against a model: per bucket, its keys in insertion
// order; the buckets' groups in the order in which each got its first pair.
struct Model {
    std::map<std::string, int> values;
    std::vector<unsigned char> groupOrder;
    std::map<unsigned char, std::vector<std::string>> groups;

    void Add(std::string const& key, int value)
    {
        unsigned char b = BucketOf(key.c_str());
        if (values.count(key) == 0) {
            if (groups[b].empty())
                groupOrder.push_back(b);
            groups[b].push_back(key);
        }
        values[key] = value;
    }
    void Remove(std::string const& key)
    {
        if (values.erase(key) == 0)
            return;
        unsigned char b = BucketOf(key.c_str());
        auto& g = groups[b];
        g.erase(std::find(g.begin(), g.end(), key));
        if (g.empty())
            groupOrder.erase(std::find(groupOrder.begin(), groupOrder.end(), b));
    }
};

void ExpectMatchesModel(StringMap const& map, Model const& model)
{
    ASSERT_EQ(map.Count(), model.values.size());
    ASSERT_EQ(map.HasBucketTable(), !model.values.empty());
    std::vector<std::string> expected;
    for (unsigned char b : model.groupOrder) {
        auto const& g = model.groups.at(b);
        ATFastMapBucket bucket = map.GetBucket(b);
        ASSERT_EQ(bucket.fFirst, static_cast<int>(expected.size())) << "bucket " << int(b);
        ASSERT_EQ(bucket.fCount, g.size()) << "bucket " << int(b);
        expected.insert(expected.end(), g.begin(), g.end());
    }
    ASSERT_EQ(Keys(map), expected);
    unsigned int nonEmpty = 0;
    for (unsigned int b = 0; b < 256; ++b)
        nonEmpty += map.GetBucket(static_cast<unsigned char>(b)).fCount > 0;
    ASSERT_EQ(nonEmpty, model.groupOrder.size());
    for (auto const& [key, value] : model.values) {
        int const* found = map.LowFindPair(key.c_str());
        ASSERT_NE(found, nullptr) << key;
        ASSERT_EQ(*found, value) << key;
    }
}

TEST(ATFastMapLayout, RandomEditsKeepBucketsContiguousAndOrdered)
{
    std::mt19937 random(1234);
    StringMap map;
    Model model;
    for (int step = 0; step < 4000; ++step) {
        std::string key = "k" + std::to_string(random() % 700);
        if (random() % 3 != 0) {
            int value = static_cast<int>(random() % 1000);
            EXPECT_TRUE(map.LowAddOrReplacePair(key.c_str(), value, true));
            model.Add(key, value);
        } else {
            bool present = model.values.count(key) != 0;
            EXPECT_EQ(map.LowRemovePair(key.c_str(), nullptr), present);
            model.Remove(key);
        }
        if (step % 50 == 0)
            ExpectMatchesModel(map, model);
        if (HasFatalFailure())
            return;
    }
    ExpectMatchesModel(map, model);

    // Emptying by removals drops the table.
    std::vector<std::string> keys;
    for (auto const& kv : model.values)
        keys.push_back(kv.first);
    for (std::string const& key : keys) {
        EXPECT_TRUE(map.LowRemovePair(key.c_str(), nullptr));
        model.Remove(key);
    }
    ExpectMatchesModel(map, model);
}

TEST(ATFastMapValue, CopiesAreIndependent)
{
    StringMap a;
    a.LowAddOrReplacePair("x", 1, true);
    StringMap b = a;
    b.LowAddOrReplacePair("x", 2, true);
    b.LowAddOrReplacePair("y", 3, true);
    EXPECT_EQ(*a.LowFindPair("x"), 1);
    EXPECT_EQ(a.LowFindPair("y"), nullptr);
    a.Free();
    EXPECT_EQ(*b.LowFindPair("y"), 3);
    EXPECT_EQ(a.LowFindPair("x"), nullptr);
}

}  // namespace
