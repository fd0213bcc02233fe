#pragma once

// AKTreeSelCache: a detached copy of a selection, the selected nodes with all
// their descendants and their objects' data, held outside any tree, with a
// summary of its top objects (their classes, their number, their common base
// class) so that a paste can be checked without reading the copy.
//
// The copy is held in one of two forms, chosen at construction:
//
// Binary form, the whole memory stream from its first byte (little-endian
// numbers, big-endian signatures):
//   unsigned 32-bit n         the number of top nodes
//   n signed 32-bit IDs       the top nodes' IDs, in selection order
//   one 'ARND' chunk          count of all nodes written, 0, then for each top
//                             node its 'NODE' chunk (parent, previous and next
//                             link IDs negated) followed by the 'NODE' chunks
//                             of its descendants depth-first (links as is)
//
// Dictionary form: "Subs" holds one node dictionary per top node, in
// selection order, each with its descendants nested under its own "Subs".
// When no top node writes a dictionary there is no "Subs" although the object
// count is not 0.
//
// The tree fills a store (AKTree::WriteTreeSelToCache) and inserts its content
// (AKTree::ReadAndLinkTreeSelFromCache), leaving it unchanged so that it can
// be pasted any number of times. Main thread only.

#include "AKClassArray.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKNodeLinkMode.h"

class AKClass;
class AKNode;

// Option bit of the constructor: the copy is held in the dictionary.
constexpr unsigned int kAKTreeSelCacheDictionaryForm = 0x1;

class AKTreeSelCache
{
public:
    // Bit 0 of the options selects the dictionary form; the store starts empty.
    explicit AKTreeSelCache(unsigned int options = 0);

    AKTreeSelCache(AKTreeSelCache const&) = delete;
    AKTreeSelCache& operator=(AKTreeSelCache const&) = delete;

    // --- Summary ---

    bool IsDictionaryForm() const { return fDictionaryForm; }
    // Number of top objects; 0 means the store is empty.
    unsigned int GetObjectCount() const { return fObjectCount; }
    bool IsEmpty() const { return fObjectCount == 0; }
    AKClassArray const& GetClasses() const { return fClasses; }
    AKClass const* GetCommonBaseClass() const { return fCommonBaseClass; }

    // --- Content ---

    AKFile& GetMemoryStream() { return fMemoryStream; }
    AKFile const& GetMemoryStream() const { return fMemoryStream; }
    AKDictionary& GetDictionary() { return fDictionary; }
    AKDictionary const& GetDictionary() const { return fDictionary; }

    // Empties the store: no object, no class, the stream closed (content
    // dropped), the dictionary emptied; the form is kept. Only the storage of
    // the store's own form is touched.
    void Clear();
    // Records what the content holds, once the writer has filled it.
    void SetSummary(unsigned int objectCount, AKClassArray const& classes, AKClass const* commonBaseClass);

    // --- Queries ---

    // Whether objects of the stored top classes may be linked at the node
    // with the mode; false for a null node or an empty store.
    bool CanLink(AKNode const* node, AKLinkMode mode) const;
    // Exactly one top object, and the common base class is a kind of the class.
    bool HasOneNodeOfClass(AKClass const* aClass) const;
    // The common base class is a kind of the class.
    bool HasAllNodesOfClass(AKClass const* aClass) const;

private:
    bool fDictionaryForm;
    unsigned int fObjectCount = 0;
    AKClassArray fClasses;
    AKClass const* fCommonBaseClass = nullptr;
    AKFile fMemoryStream;
    AKDictionary fDictionary;
};
