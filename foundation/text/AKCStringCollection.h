#pragma once

// A table of C strings packed in one zero-filled block (one allocation for a
// whole table of names), each string starting at a multiple of 8, with an
// optional map from each string to its index.

#include "ATArray.h"
#include "ATFastMap.h"

#include <memory>

class AKStringArray;

class AKCStringCollection
{
public:
    AKCStringCollection() = default;
    AKCStringCollection(AKStringArray const& strings, bool withMap);
    AKCStringCollection(AKCStringCollection const& other);
    AKCStringCollection& operator=(AKCStringCollection const& other);
    // Moving keeps the block, so the map's keys stay valid; the source is
    // left empty.
    AKCStringCollection(AKCStringCollection&& other) noexcept;
    AKCStringCollection& operator=(AKCStringCollection&& other) noexcept;
    ~AKCStringCollection() = default;

    // Rebuilds the collection from the strings; `withMap` builds the
    // string-to-index map too (a repeated string maps to its last index).
    void Setup(AKStringArray const& strings, bool withMap);

    // Frees the block and empties the offsets and the map.
    void Clear();

    unsigned int Count() const { return fOffsets.Count(); }
    unsigned int GetBlockSize() const { return fBlockSize; }
    bool HasMap() const { return fHasMap; }
    ATArray<unsigned int> const& GetOffsets() const { return fOffsets; }

    // The NUL-terminated string at `index`, or null for an index not below
    // the count.
    char const* GetStringAtIndex(unsigned int index) const;

    // Through the map: true and the index; false and -1 for a null or empty
    // string, an unknown string, or a collection built without the map.
    bool GetIndexOfString(char const* string, unsigned int* outIndex) const;

private:
    void BuildMap();

    std::unique_ptr<char[]> fBlock;
    unsigned int fBlockSize = 0;
    ATArray<unsigned int> fOffsets;
    bool fHasMap = false;
    ATFastMap<char const*, unsigned int> fMap;
};
