#include "ATArray.h"
#include "ATNumberArray.h"
#include "ATObjectArray.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr unsigned int kNone = 0xFFFFFFFFu;

using IntArray = ATArray<int>;

std::vector<int> Items(IntArray const& a) { return std::vector<int>(a.begin(), a.end()); }

IntArray Iota(unsigned int count)
{
    IntArray a;
    for (unsigned int i = 0; i < count; ++i)
        a.Push(static_cast<int>(i));
    return a;
}

// --- Remove ---

struct RemoveCase {
    unsigned int index, count;
    std::vector<int> expected;
};

TEST(ATArrayRemove, RemovesUpToTheCountFromTheIndex)
{
    RemoveCase const cases[] = {
        {5, 3, {0, 1, 2, 3, 4}},     // only one element left from index 5
        {6, 1, {0, 1, 2, 3, 4, 5}},  // index at the count: nothing
        {2, 0, {0, 1, 2, 3, 4, 5}},  // count 0: nothing
        {2, 2, {0, 1, 4, 5}},
        {0, 100, {}},
        {0xFFFFFFF0u, 0x20, {0, 1, 2, 3, 4, 5}},  // index + count wraps around
        {3, 0xFFFFFFFFu, {0, 1, 2}},
    };
    for (RemoveCase const& c : cases) {
        IntArray a = Iota(6);
        a.Remove(c.index, c.count);
        EXPECT_EQ(Items(a), c.expected) << "Remove(" << c.index << ", " << c.count << ")";
    }
}

// --- Insert ---

TEST(ATArrayInsert, ArrayIsInsertedAtTheClippedIndex)
{
    IntArray const other{10, 11};
    struct Case {
        unsigned int index;
        std::vector<int> expected;
    } const cases[] = {
        {0, {10, 11, 0, 1, 2}},
        {2, {0, 1, 10, 11, 2}},
        {3, {0, 1, 2, 10, 11}},
        {99, {0, 1, 2, 10, 11}},
    };
    for (Case const& c : cases) {
        IntArray a = Iota(3);
        a.Insert(c.index, other);
        EXPECT_EQ(Items(a), c.expected) << "index " << c.index;
    }
}

TEST(ATArrayInsert, SelfAndEmptySourcesChangeNothing)
{
    IntArray a = Iota(3);
    a.Insert(1, a);
    EXPECT_EQ(Items(a), Items(Iota(3)));

    EXPECT_FALSE(a.Insert(1, ATArrayRange<int>()));
    EXPECT_FALSE(a.Insert(1, ATArrayRange<int>(a, 0, 2)));  // views this array
    EXPECT_EQ(Items(a), Items(Iota(3)));
}

TEST(ATArrayInsert, RangeOfAnotherArrayIsInserted)
{
    IntArray a = Iota(3);
    IntArray const b{10, 11, 12, 13};
    EXPECT_TRUE(a.Insert(1, ATArrayRange<int>(b, 1, 2)));
    EXPECT_EQ(Items(a), (std::vector<int>{0, 11, 12, 1, 2}));

    // A view running past the end is clipped to the array.
    EXPECT_TRUE(a.Insert(99, ATArrayRange<int>(b, 3, 10)));
    EXPECT_EQ(Items(a), (std::vector<int>{0, 11, 12, 1, 2, 13}));
}

TEST(ATArrayInsert, SingleItemThatLivesInTheArray)
{
    IntArray a = Iota(3);
    a.Insert(0, a[2]);
    a.Push(a[0]);
    EXPECT_EQ(Items(a), (std::vector<int>{2, 0, 1, 2, 2}));
}

// --- CopyPart ---

TEST(ATArrayCopyPart, OverwritesWithoutGrowing)
{
    IntArray const source{7, 8};
    struct Case {
        unsigned int index;
        bool ok;
        std::vector<int> expected;
    } const cases[] = {
        {0, true, {7, 8, 2, 3}},
        {2, true, {0, 1, 7, 8}},             // exactly fits
        {3, false, {0, 1, 2, 3}},            // would grow
        {0xFFFFFFFFu, false, {0, 1, 2, 3}},  // index + count wraps around
    };
    for (Case const& c : cases) {
        IntArray a = Iota(4);
        EXPECT_EQ(a.CopyPart(c.index, source), c.ok) << "array, index " << c.index;
        EXPECT_EQ(Items(a), c.expected) << "array, index " << c.index;

        IntArray r = Iota(4);
        EXPECT_EQ(r.CopyPart(c.index, ATArrayRange<int>(source)), c.ok) << "range, index " << c.index;
        EXPECT_EQ(Items(r), c.expected) << "range, index " << c.index;
    }
}

TEST(ATArrayCopyPart, RefusesEmptyAndSelfSources)
{
    IntArray a = Iota(4);
    EXPECT_FALSE(a.CopyPart(0, IntArray()));
    EXPECT_FALSE(a.CopyPart(0, ATArrayRange<int>()));
    EXPECT_FALSE(a.CopyPart(0, a));
    EXPECT_FALSE(a.CopyPart(0, ATArrayRange<int>(a, 2, 2)));
    EXPECT_EQ(Items(a), Items(Iota(4)));
}

// --- Searches ---

TEST(ATArraySearch, BinarySearchGivesTheFirstEqualElement)
{
    IntArray const a{1, 3, 3, 3, 5};
    struct Case {
        int value;
        bool found;
        unsigned int index;
    } const cases[] = {
        {1, true, 0}, {3, true, 1}, {5, true, 4}, {0, false, kNone}, {4, false, kNone}, {6, false, kNone},
    };
    for (Case const& c : cases) {
        unsigned int index = 1234;
        EXPECT_EQ(a.BinarySearch(c.value, &index), c.found) << c.value;
        EXPECT_EQ(index, c.index) << c.value;
        EXPECT_EQ(a.BinarySearch(c.value), c.found) << c.value;
    }
    unsigned int index = 0;
    EXPECT_FALSE(IntArray().BinarySearch(1, &index));
    EXPECT_EQ(index, kNone);
}

TEST(ATArraySearch, BinarySearchBeforeGivesTheFirstNotLess)
{
    IntArray const a{1, 3, 5};
    struct Case {
        int value;
        bool found;
        unsigned int index;
    } const cases[] = {
        {0, true, 0}, {1, true, 0}, {2, true, 1}, {4, true, 2}, {5, true, 2}, {6, false, kNone},
    };
    for (Case const& c : cases) {
        unsigned int index = 1234;
        EXPECT_EQ(a.BinarySearchBefore(c.value, &index), c.found) << c.value;
        EXPECT_EQ(index, c.index) << c.value;
    }
    unsigned int index = 0;
    EXPECT_FALSE(IntArray().BinarySearchBefore(1, &index));
    EXPECT_EQ(index, kNone);
}

TEST(ATArraySearch, LinearSearches)
{
    IntArray const a{4, 7, 4, 9};
    unsigned int index = 0;
    EXPECT_TRUE(a.Find(4, &index));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(a.Find(5, &index));
    EXPECT_EQ(index, kNone);
    EXPECT_EQ(a.FindItemIndex(9), 3u);
    EXPECT_EQ(a.FindItemIndex(1), kNone);
    EXPECT_TRUE(a.FindIf([](int x) { return x > 5; }, &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(a.FindIf([](int x) { return x > 50; }, &index));
    EXPECT_EQ(index, kNone);
}

// --- Unique items and removals ---

TEST(ATArrayUnique, PushUniqueItems)
{
    struct Case {
        std::vector<int> destination, source;
        bool pushed;
        std::vector<int> expected;
    } const cases[] = {
        {{1, 2}, {}, false, {1, 2}},       // empty source
        {{}, {3, 3, 1}, true, {3, 3, 1}},  // empty destination: plain copy
        {{1, 2}, {1, 2}, false, {1, 2}},   // equal arrays
        {{1, 2}, {2, 1}, false, {1, 2}},   // all present already
        {{1, 2}, {2, 3, 3, 4}, true, {1, 2, 3, 4}},
    };
    for (Case const& c : cases) {
        IntArray d, s;
        d.AssignWithCast(c.destination.data(), static_cast<unsigned int>(c.destination.size()));
        s.AssignWithCast(c.source.data(), static_cast<unsigned int>(c.source.size()));
        EXPECT_EQ(d.PushUniqueItems(s), c.pushed);
        EXPECT_EQ(Items(d), c.expected);
    }
}

TEST(ATArrayUnique, PushAndRemoveUniqueItem)
{
    IntArray a{1, 2, 1};
    EXPECT_FALSE(a.PushUniqueItem(2));
    EXPECT_TRUE(a.PushUniqueItem(3));
    EXPECT_TRUE(a.RemoveUniqueItem(1));
    EXPECT_FALSE(a.RemoveUniqueItem(9));
    EXPECT_EQ(Items(a), (std::vector<int>{2, 1, 3}));
}

TEST(ATArrayRemoveIf, RemovesMatchesKeepingOrder)
{
    IntArray a{0, 5, 0, 0, 6, 7, 0};
    EXPECT_EQ(a.RemoveIf(__RemoveZeroItems()), 4u);
    EXPECT_EQ(Items(a), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(a.RemoveIf([](int x) { return x % 2 == 1; }), 2u);
    EXPECT_EQ(Items(a), (std::vector<int>{6}));
    EXPECT_EQ(a.RemoveIf(__RemoveZeroItems()), 0u);

    int x = 1, y = 2;
    ATArray<int*> pointers{nullptr, &x, nullptr, &y};
    EXPECT_EQ(pointers.RemoveIf(__RemoveZeroItems()), 2u);
    EXPECT_EQ(pointers, (ATArray<int*>{&x, &y}));
}

TEST(ATArrayRemoveIf, RemoveItemsAndConsecutiveDuplicates)
{
    IntArray a{3, 1, 3, 3, 2, 3};
    EXPECT_EQ(a.RemoveItems(a[0]), 4u);  // the value may live in the array
    EXPECT_EQ(Items(a), (std::vector<int>{1, 2}));

    IntArray b{1, 1, 2, 1, 1, 1, 3};
    EXPECT_EQ(b.RemoveConsecutiveDuplicates(), 3u);
    EXPECT_EQ(Items(b), (std::vector<int>{1, 2, 1, 3}));
}

// --- Value semantics and assignment ---

TEST(ATArrayValue, CopiesAreIndependentAndClearKeepsStorage)
{
    ATArray<std::string> a{"x", "y"};
    ATArray<std::string> b = a;
    b[0] = "z";
    EXPECT_EQ(a[0], "x");
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.IsEqual(a));

    a.Reserve(50);
    unsigned int capacity = a.Capacity();
    a.Clear();
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(a.Capacity(), capacity);
    a.Shrink();
    EXPECT_EQ(a.Capacity(), 0u);

    b.SetCapacity(10);
    EXPECT_EQ(b.Capacity(), 10u);
    b.SetCapacity(1);  // never below the count
    EXPECT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.Capacity(), 2u);
}

TEST(ATArrayValue, SetupAndAssign)
{
    IntArray a{1, 2, 3};
    a.SetupWithItems(a[2]);
    EXPECT_EQ(Items(a), (std::vector<int>{3}));
    a.SetupWithItems(8, a[0]);
    EXPECT_EQ(Items(a), (std::vector<int>{8, 3}));

    double const values[] = {1.9, -2.5, 3.0};
    a.AssignWithCast(values, 3);
    EXPECT_EQ(Items(a), (std::vector<int>{1, -2, 3}));
    a.AssignWithCast(values, 0);
    EXPECT_TRUE(a.IsEmpty());
    a.Push(1);
    a.AssignWithCast(static_cast<double const*>(nullptr), 3);
    EXPECT_TRUE(a.IsEmpty());
}

TEST(ATArrayValue, SortStableKeepsOrderOfEqualKeys)
{
    using P = std::pair<int, char>;
    ATArray<P> a{{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}, {0, 'e'}};
    a.Sort([](P const& x, P const& y) { return x.first - y.first; }, true);  // three-way form
    std::string order;
    for (P const& p : a)
        order += p.second;
    EXPECT_EQ(order, "ebdac");

    IntArray b{3, 1, 2};
    b.Sort([](int x, int y) { return x > y; }, false);  // "less" form
    EXPECT_EQ(Items(b), (std::vector<int>{3, 2, 1}));
}

// --- Arrays of pointers ---

struct Tracked {
    explicit Tracked(std::vector<int>* log, int id) : fLog(log), fID(id) {}
    ~Tracked() { fLog->push_back(fID); }
    std::vector<int>* fLog;
    int fID;
};

TEST(ATArrayObjects, DeleteAllObjectsLastToFirst)
{
    std::vector<int> deleted;
    ATObjectArray<Tracked> a;
    for (int i = 0; i < 3; ++i)
        a.Push(new Tracked(&deleted, i));
    a.Push(nullptr);
    a.DeleteAllObjects();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(deleted, (std::vector<int>{2, 1, 0}));
}

TEST(ATArrayObjects, ClearingDoesNotDeleteTheObjects)
{
    std::vector<int> deleted;
    {
        Tracked t(&deleted, 7);
        ATObjectArray<Tracked> a{&t, &t};
        a.Clear();
        ATObjectArray<Tracked> b{&t};
    }
    EXPECT_EQ(deleted, (std::vector<int>{7}));  // only the stack object's own end
}

// --- Number arrays ---

struct Point2 {
    double x, y;
};

TEST(ATNumberArray, AssignWithRawValuesStopsAtZero)
{
    ATNumberArray<unsigned int, unsigned int, 32> rates{1};
    unsigned int const list[] = {44100, 48000, 96000, 0, 5};
    rates.AssignWithRawValues(list);
    EXPECT_EQ(std::vector<unsigned int>(rates.begin(), rates.end()), (std::vector<unsigned int>{44100, 48000, 96000}));
    EXPECT_GE(rates.Capacity(), 10u);

    unsigned int const empty[] = {0, 3};
    rates.AssignWithRawValues(empty);
    EXPECT_TRUE(rates.IsEmpty());
    rates.Push(3);
    rates.AssignWithRawValues(nullptr);
    EXPECT_TRUE(rates.IsEmpty());

    ATNumberArray<Point2, double, 0> points;
    Point2 const pts[] = {{1, 0}, {0, 2}, {0, 0}, {3, 3}};
    points.AssignWithRawValues(pts);
    EXPECT_EQ(points.Count(), 2u);
    EXPECT_EQ(points.ComponentCount(), 4u);
    EXPECT_EQ(points.ComponentData()[3], 2.0);
}

}  // namespace
