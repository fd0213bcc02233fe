#pragma once

// The general growable array of the engine, with value semantics: copying
// an array copies its elements, destroying it destroys them. Counts and
// indices are 32-bit unsigned; index out-parameters receive -1 (0xFFFFFFFF)
// when nothing is found.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class ATArray;

// Deletes an object through its (virtual) destructor; the deleter of
// DeleteAllObjectsWithDeleter and ATGarbage for plain objects.
struct _AKDefaultDeleter {
    template <class P>
    void operator()(P* object) const
    {
        delete object;
    }
};

// Predicate for RemoveIf: accepts null pointers and zero values.
struct __RemoveZeroItems {
    template <class U>
    bool operator()(U const& value) const
    {
        return value == U();
    }
};

// A view of consecutive elements of an ATArray, built by the caller. It owns
// nothing and is valid only while the viewed array is not changed.
template <class T>
struct ATArrayRange {
    ATArray<T> const* fArray = nullptr;
    T const* fBegin = nullptr;
    T const* fEnd = nullptr;
    unsigned long long fCount = 0;

    ATArrayRange() = default;

    // Views up to `count` elements of `array` from `index` (clipped to the array).
    ATArrayRange(ATArray<T> const& array, unsigned int index, unsigned int count)
    {
        unsigned int total = array.Count();
        if (index >= total || count == 0)
            return;
        if (count > total - index)
            count = total - index;
        fArray = &array;
        fBegin = array.Data() + index;
        fEnd = fBegin + count;
        fCount = count;
    }

    // Views the whole array.
    explicit ATArrayRange(ATArray<T> const& array) : ATArrayRange(array, 0, array.Count()) {}

    bool IsEmpty() const { return fCount == 0 || fBegin == nullptr; }
};

template <class T>
class ATArray
{
    static_assert(!std::is_same_v<T, bool>, "std::vector<bool> packs bits: use unsigned char");

public:
    static constexpr unsigned int kNotFound = 0xFFFFFFFFu;

    ATArray() = default;
    ATArray(std::initializer_list<T> items) : fItems(items) {}
    ATArray(ATArray const&) = default;
    ATArray(ATArray&&) noexcept = default;
    ATArray& operator=(ATArray const&) = default;
    ATArray& operator=(ATArray&&) noexcept = default;
    ~ATArray() = default;

    // --- Size and storage ---

    unsigned int Count() const { return static_cast<unsigned int>(fItems.size()); }
    bool IsEmpty() const { return fItems.empty(); }
    unsigned int Capacity() const { return static_cast<unsigned int>(fItems.capacity()); }

    // Makes room for at least `capacity` elements in all.
    void Reserve(unsigned int capacity) { fItems.reserve(capacity); }

    // Sets the room to `capacity` elements, never below the current count.
    void SetCapacity(unsigned int capacity)
    {
        if (capacity < Count())
            capacity = Count();
        if (capacity > Capacity()) {
            fItems.reserve(capacity);
        } else if (capacity < Capacity()) {
            std::vector<T> smaller;
            smaller.reserve(capacity);
            for (T& item : fItems)
                smaller.push_back(std::move(item));
            fItems.swap(smaller);
        }
    }

    // Grows (new elements value-initialised: zero, null) or cuts the array.
    void SetCount(unsigned int count) { fItems.resize(count); }

    // Destroys the elements and keeps the storage.
    void Clear() { fItems.clear(); }

    // Releases unused storage.
    void Shrink() { fItems.shrink_to_fit(); }

    // --- Access ---

    T& operator[](unsigned int index) { return fItems[index]; }
    T const& operator[](unsigned int index) const { return fItems[index]; }
    T* Data() { return fItems.data(); }
    T const* Data() const { return fItems.data(); }
    T& First() { return fItems.front(); }
    T const& First() const { return fItems.front(); }
    T& Last() { return fItems.back(); }
    T const& Last() const { return fItems.back(); }

    T* begin() { return fItems.data(); }
    T* end() { return fItems.data() + fItems.size(); }
    T const* begin() const { return fItems.data(); }
    T const* end() const { return fItems.data() + fItems.size(); }

    std::vector<T>& StdVector() { return fItems; }
    std::vector<T> const& StdVector() const { return fItems; }

    // --- Adding and removing ---

    void Push(T const& item) { fItems.push_back(item); }
    void Push(T&& item) { fItems.push_back(std::move(item)); }

    // Removes the last element; nothing on an empty array.
    void Pop()
    {
        if (!fItems.empty())
            fItems.pop_back();
    }

    // Appends all elements of `other` (which may be this array).
    void Append(ATArray const& other)
    {
        if (&other == this) {
            size_t n = fItems.size();
            fItems.reserve(n * 2);
            for (size_t i = 0; i < n; ++i)
                fItems.push_back(fItems[i]);
            return;
        }
        fItems.insert(fItems.end(), other.fItems.begin(), other.fItems.end());
    }

    // Inserts one element at min(index, count).
    void Insert(unsigned int index, T const& item) { fItems.insert(fItems.begin() + ClipIndex(index), item); }

    // Inserts all elements of `other` at min(index, count); nothing when
    // `other` is this array.
    void Insert(unsigned int index, ATArray const& other)
    {
        if (&other == this || other.IsEmpty())
            return;
        fItems.insert(fItems.begin() + ClipIndex(index), other.fItems.begin(), other.fItems.end());
    }

    // Inserts the viewed elements at min(index, count); false when the view is
    // empty or views this array.
    bool Insert(unsigned int index, ATArrayRange<T> const& range)
    {
        if (range.IsEmpty() || Views(range))
            return false;
        fItems.insert(fItems.begin() + ClipIndex(index), range.fBegin, range.fBegin + range.fCount);
        return true;
    }

    // Removes up to `count` elements from `index`.
    void Remove(unsigned int index, unsigned int count = 1)
    {
        unsigned int total = Count();
        if (count == 0 || index >= total)
            return;
        if (count > total - index)
            count = total - index;
        fItems.erase(fItems.begin() + index, fItems.begin() + index + count);
    }

    // Overwrites the elements from `index` with the viewed ones; the array
    // never grows.
    bool CopyPart(unsigned int index, ATArrayRange<T> const& range)
    {
        if (range.IsEmpty() || Views(range))
            return false;
        if (static_cast<unsigned long long>(index) + range.fCount > Count())
            return false;
        std::copy(range.fBegin, range.fBegin + range.fCount, fItems.begin() + index);
        return true;
    }

    bool CopyPart(unsigned int index, ATArray const& other)
    {
        if (&other == this || other.IsEmpty())
            return false;
        if (static_cast<unsigned long long>(index) + other.Count() > Count())
            return false;
        std::copy(other.fItems.begin(), other.fItems.end(), fItems.begin() + index);
        return true;
    }

    void SetupWithItems(T const& item)
    {
        T copy(item);  // `item` may live in this array
        fItems.clear();
        fItems.push_back(std::move(copy));
    }

    void SetupWithItems(T const& item1, T const& item2)
    {
        T copy1(item1), copy2(item2);
        fItems.clear();
        fItems.push_back(std::move(copy1));
        fItems.push_back(std::move(copy2));
    }

    // The array becomes the given values converted to T.
    template <class U>
    void AssignWithCast(U const* values, unsigned int count)
    {
        fItems.clear();
        if (values == nullptr || count == 0)
            return;
        fItems.reserve(count);
        for (unsigned int i = 0; i < count; ++i)
            fItems.push_back(static_cast<T>(values[i]));
    }

    // --- Searching ---

    bool Find(T const& item, unsigned int* outIndex) const
    {
        return FindIf([&item](T const& x) { return x == item; }, outIndex);
    }

    unsigned int FindItemIndex(T const& item) const
    {
        unsigned int index;
        Find(item, &index);
        return index;
    }

    template <class Pred>
    bool FindIf(Pred pred, unsigned int* outIndex) const
    {
        for (unsigned int i = 0, n = Count(); i < n; ++i) {
            if (pred(fItems[i])) {
                if (outIndex)
                    *outIndex = i;
                return true;
            }
        }
        if (outIndex)
            *outIndex = kNotFound;
        return false;
    }

    // On an ascending array: the first element equal to `item`.
    bool BinarySearch(T const& item, unsigned int* outIndex = nullptr) const
    {
        auto it = std::lower_bound(fItems.begin(), fItems.end(), item);
        bool found = it != fItems.end() && !(item < *it);
        if (outIndex)
            *outIndex = found ? static_cast<unsigned int>(it - fItems.begin()) : kNotFound;
        return found;
    }

    // On an ascending array: the first element not less than `item`; false
    // and -1 when every element is less.
    bool BinarySearchBefore(T const& item, unsigned int* outIndex) const
    {
        auto it = std::lower_bound(fItems.begin(), fItems.end(), item);
        bool found = it != fItems.end();
        if (outIndex)
            *outIndex = found ? static_cast<unsigned int>(it - fItems.begin()) : kNotFound;
        return found;
    }

    // Sorts with `compare`, either a "less" answering bool or a three-way
    // comparison answering a negative, zero or positive int.
    template <class Compare>
    void Sort(Compare compare, bool stable)
    {
        auto less = [&compare](T const& a, T const& b) {
            if constexpr (std::is_same_v<decltype(compare(a, b)), bool>)
                return compare(a, b);
            else
                return compare(a, b) < 0;
        };
        if (stable)
            std::stable_sort(fItems.begin(), fItems.end(), less);
        else
            std::sort(fItems.begin(), fItems.end(), less);
    }

    // --- Unique items ---

    bool PushUniqueItem(T const& item)
    {
        if (Find(item, nullptr))
            return false;
        fItems.push_back(item);
        return true;
    }

    // Pushes each element of `source` not yet present; true when anything was
    // appended.
    bool PushUniqueItems(ATArray const& source)
    {
        if (source.IsEmpty())
            return false;
        if (IsEmpty()) {
            fItems = source.fItems;
            return true;
        }
        if (IsEqual(source))
            return false;
        fItems.reserve(fItems.size() + source.fItems.size());
        bool pushed = false;
        for (T const& item : source.fItems)
            pushed |= PushUniqueItem(item);
        return pushed;
    }

    bool RemoveUniqueItem(T const& item)
    {
        unsigned int index;
        if (!Find(item, &index))
            return false;
        fItems.erase(fItems.begin() + index);
        return true;
    }

    // Removes every element equal to `item`; returns how many.
    unsigned int RemoveItems(T const& item)
    {
        T copy(item);  // `item` may live in this array
        return RemoveIf([&copy](T const& x) { return x == copy; });
    }

    // Removes every element `pred` accepts, keeping the order of the rest;
    // returns how many.
    template <class Pred>
    unsigned int RemoveIf(Pred pred)
    {
        auto it = std::remove_if(fItems.begin(), fItems.end(), pred);
        unsigned int removed = static_cast<unsigned int>(fItems.end() - it);
        fItems.erase(it, fItems.end());
        return removed;
    }

    // Removes each element equal to the one before it; returns how many.
    unsigned int RemoveConsecutiveDuplicates()
    {
        auto it = std::unique(fItems.begin(), fItems.end());
        unsigned int removed = static_cast<unsigned int>(fItems.end() - it);
        fItems.erase(it, fItems.end());
        return removed;
    }

    // For arrays of pointers: deletes every object, last to first, then
    // empties the array.
    template <class Deleter>
    void DeleteAllObjectsWithDeleter()
    {
        Deleter deleter;
        while (!fItems.empty()) {
            T object = fItems.back();
            fItems.pop_back();
            if (object)
                deleter(object);
        }
    }

    // --- Comparison ---

    bool IsEqual(ATArray const& other) const { return &other == this || fItems == other.fItems; }
    bool operator==(ATArray const& other) const { return IsEqual(other); }
    bool operator!=(ATArray const& other) const { return !IsEqual(other); }

protected:
    unsigned int ClipIndex(unsigned int index) const { return std::min(index, Count()); }

    // True when the view is of this array or points into its storage.
    bool Views(ATArrayRange<T> const& range) const
    {
        if (range.fArray == this)
            return true;
        std::less_equal<T const*> le;
        std::less<T const*> lt;
        T const* b = fItems.data();
        T const* e = b + fItems.size();
        return b != nullptr && le(b, range.fBegin) && lt(range.fBegin, e);
    }

    std::vector<T> fItems;
};
