#pragma once

// A string-keyed hash map: 256 buckets over one contiguous pair array.
//
// Each pair keeps the 64-bit hash of its key; the pairs of one bucket are
// contiguous and in insertion order, and the buckets' groups lie in the array
// in the order in which each bucket got its first pair. A bucket is a range
// {first pair index, count}; an empty bucket is {-1, 0}. The bucket table
// exists only while the map holds pairs, so a look-up in an empty map stops
// at once.
//
// K is AKString (or any string type with c_str(), Length() and ==) or
// char const*. With char const* keys only the pointer is stored: the text must
// outlive the map. A null char const* key counts as the empty string.

#include "AKHash.h"
#include "ATArray.h"

#include <cstring>

template <class K>
struct ATFastMapKeyTraits {
    static unsigned long long Hash(K const& key) { return AKComputeHashCode64(key.c_str(), key.Length()); }
    static bool Equal(K const& a, K const& b) { return a == b; }
};

template <>
struct ATFastMapKeyTraits<char const*> {
    static char const* Text(char const* key) { return key ? key : ""; }
    static unsigned long long Hash(char const* key)
    {
        char const* text = Text(key);
        return AKComputeHashCode64(text, std::strlen(text));
    }
    static bool Equal(char const* a, char const* b) { return std::strcmp(Text(a), Text(b)) == 0; }
};

struct ATFastMapBucket {
    int fFirst;
    unsigned int fCount;
};

template <class K, class V>
class ATFastMap
{
public:
    static constexpr unsigned int kBucketCount = 256;

    struct Pair {
        unsigned long long fHash;
        K fKey;
        V fValue;
    };

    // The 64-bit hash of a key's bytes.
    static unsigned long long ComputeHash(K const& key) { return ATFastMapKeyTraits<K>::Hash(key); }

    // The exclusive-or of the 8 bytes of a hash.
    static unsigned char BucketOfHash(unsigned long long hash)
    {
        unsigned long long x = hash ^ (hash >> 16) ^ (hash >> 32) ^ (hash >> 48);
        return static_cast<unsigned char>(x ^ (x >> 8));
    }

    // --- State ---

    unsigned int Count() const { return fPairs.Count(); }
    bool IsEmpty() const { return fPairs.IsEmpty(); }
    bool HasBucketTable() const { return !fBuckets.IsEmpty(); }

    // The range of a bucket; {-1, 0} when it is empty or there is no table.
    ATFastMapBucket GetBucket(unsigned char bucket) const
    {
        return HasBucketTable() ? fBuckets[bucket] : ATFastMapBucket{-1, 0};
    }

    ATArray<Pair> const& GetPairs() const { return fPairs; }
    Pair const& GetPairAt(unsigned int index) const { return fPairs[index]; }

    // --- Look-up ---

    V* LowFindPair(K const& key) { return LowFindPairDetailed(key, nullptr, nullptr, nullptr); }
    V const* LowFindPair(K const& key) const { return LowFindPairDetailed(key, nullptr, nullptr, nullptr); }

    // The value of the key, or null; also gives the pair index where the key
    // is or would be inserted, its hash and its bucket (each output may be null).
    V* LowFindPairDetailed(K const& key, unsigned int* outIndex, unsigned long long* outHash, unsigned char* outBucket)
    {
        unsigned long long hash = ComputeHash(key);
        unsigned char bucket = BucketOfHash(hash);
        unsigned int index;
        bool found = Locate(key, hash, bucket, &index);
        if (outIndex)
            *outIndex = index;
        if (outHash)
            *outHash = hash;
        if (outBucket)
            *outBucket = bucket;
        return found ? &fPairs[index].fValue : nullptr;
    }

    V const* LowFindPairDetailed(K const& key, unsigned int* outIndex, unsigned long long* outHash,
                                 unsigned char* outBucket) const
    {
        return const_cast<ATFastMap*>(this)->LowFindPairDetailed(key, outIndex, outHash, outBucket);
    }

    // --- Changes ---

    // Adds the pair when the key is absent (true). When it is present: with
    // `replace` set, replaces its value (true); otherwise changes nothing (false).
    bool LowAddOrReplacePair(K const& key, V const& value, bool replace)
    {
        unsigned int index;
        unsigned long long hash;
        unsigned char bucketIndex;
        if (V* existing = LowFindPairDetailed(key, &index, &hash, &bucketIndex)) {
            if (!replace)
                return false;
            *existing = value;
            return true;
        }

        if (!HasBucketTable()) {
            fBuckets.Reserve(kBucketCount);
            for (unsigned int i = 0; i < kBucketCount; ++i)
                fBuckets.Push(ATFastMapBucket{-1, 0});
        }
        ATFastMapBucket& bucket = fBuckets[bucketIndex];
        if (bucket.fCount == 0)
            bucket = ATFastMapBucket{static_cast<int>(index), 1};
        else
            ++bucket.fCount;

        bool atEnd = index == fPairs.Count();
        fPairs.Insert(index, Pair{hash, key, value});
        if (!atEnd) {
            // The groups after the insertion point move up by one; the inserting
            // bucket's own first index lies before it.
            for (ATFastMapBucket& b : fBuckets) {
                if (b.fFirst >= static_cast<int>(index) && &b != &bucket)
                    ++b.fFirst;
            }
        }
        return true;
    }

    // Removes the key's pair, copying its value out first when `outValue` is
    // not null; false when the key is absent.
    bool LowRemovePair(K const& key, V* outValue)
    {
        unsigned int index;
        unsigned char bucketIndex;
        V* existing = LowFindPairDetailed(key, &index, nullptr, &bucketIndex);
        if (!existing)
            return false;
        if (outValue)
            *outValue = *existing;

        ATFastMapBucket& bucket = fBuckets[bucketIndex];
        if (bucket.fCount == 1)
            bucket = ATFastMapBucket{-1, 0};
        else
            --bucket.fCount;

        fPairs.Remove(index, 1);
        if (fPairs.IsEmpty()) {
            fBuckets.Clear();
            return true;
        }
        for (ATFastMapBucket& b : fBuckets) {
            if (b.fFirst > static_cast<int>(index))
                --b.fFirst;
        }
        return true;
    }

    // Removes every pair and drops the bucket table.
    void Clear()
    {
        fPairs.Clear();
        fBuckets.Clear();
    }

    // Clear, releasing all storage.
    void Free()
    {
        Clear();
        fPairs.Shrink();
        fBuckets.Shrink();
    }

    // For pointer values: deletes every value object, then clears.
    void DeleteAllValuesAsObjects()
    {
        for (Pair& pair : fPairs) {
            delete pair.fValue;
            pair.fValue = nullptr;
        }
        Clear();
    }

private:
    // Finds the key in its bucket. `outIndex` receives the pair index where
    // it is, or else where it would be inserted: just after the bucket's
    // group, or at the end of the array for an empty bucket.
    bool Locate(K const& key, unsigned long long hash, unsigned char bucketIndex, unsigned int* outIndex) const
    {
        if (!HasBucketTable() || fBuckets[bucketIndex].fCount == 0) {
            *outIndex = fPairs.Count();
            return false;
        }
        ATFastMapBucket const& bucket = fBuckets[bucketIndex];
        unsigned int first = static_cast<unsigned int>(bucket.fFirst);
        unsigned int end = first + bucket.fCount;
        for (unsigned int i = first; i < end; ++i) {
            Pair const& pair = fPairs[i];
            if (pair.fHash == hash && ATFastMapKeyTraits<K>::Equal(pair.fKey, key)) {
                *outIndex = i;
                return true;
            }
        }
        *outIndex = end;
        return false;
    }

    ATArray<ATFastMapBucket> fBuckets;
    ATArray<Pair> fPairs;
};
