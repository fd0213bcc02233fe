#pragma once

// Helpers of the selection, store and edit tests: trees built from compact
// dictionary forms, a one-line picture of a tree's shape, snapshots of a
// whole tree for "nothing changed" checks, and node look-ups by item number
// or folder name.
//
// Trees hold named folders ("tstFold", which take items) and numbered items
// ("tstItem", which take no children) under the root. Shape() draws them as
// `F[1,2],3`: a folder by its name with its children in brackets, an item by
// its number.

#include "AKFile.h"
#include "AKMemoryBlock.h"
#include "AKNode.h"
#include "AKTree.h"
#include "AKTreeSel.h"
#include "AKTreeSelBuilders.h"
#include "AKValueTyped.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A folder dictionary with a name (and an "ID" when not 0).
inline AKDictionary DicoNamedFolder(char const* name, std::initializer_list<AKDictionary> subs, long long nodeID = 0)
{
    AKDictionary dictionary = DicoFolder(nodeID, subs);
    dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    return dictionary;
}

// The children of a node drawn as `F[1,2],3`.
inline std::string ShapeOfChildren(AKNode const* parent)
{
    std::string text;
    for (AKNode const* child = parent ? parent->GetSub() : nullptr; child; child = child->GetNext()) {
        if (!text.empty())
            text += ",";
        TestItem const* item = dynamic_cast<TestItem const*>(child->GetObject());
        if (item) {
            text += std::to_string(item->GetValue());
        } else {
            text += child->GetObject() ? child->GetObject()->akmGetName().c_str() : "?";
            if (child->GetSub())
                text += "[" + ShapeOfChildren(child) + "]";
        }
    }
    return text;
}

// The whole tree below its root.
inline std::string Shape(AKTree const& tree)
{
    return ShapeOfChildren(tree.GetRootNode());
}

// The first node, in ID order, holding the item of that number.
inline AKNode* ItemNode(AKTree const& tree, unsigned int value)
{
    for (AKNode* node : tree.GetNodes()) {
        TestItem const* item = dynamic_cast<TestItem const*>(node->GetObject());
        if (item && item->GetValue() == value)
            return node;
    }
    ADD_FAILURE() << "no item " << value;
    return nullptr;
}

// The first node, in ID order, holding the folder of that name.
inline AKNode* FolderNode(AKTree const& tree, char const* name)
{
    for (AKNode* node : tree.GetNodes()) {
        TestFolder const* folder = dynamic_cast<TestFolder const*>(node->GetObject());
        if (folder && folder->akmGetName() == AKString(name))
            return node;
    }
    ADD_FAILURE() << "no folder " << name;
    return nullptr;
}

// Node lists and pictures of selections.
inline AKNodeArray NodesOf(std::initializer_list<AKNode*> nodes)
{
    AKNodeArray array;
    for (AKNode* node : nodes)
        array.Push(node);
    return array;
}

inline std::vector<AKNodeID> IDsOf(AKNodeArray const& nodes)
{
    std::vector<AKNodeID> ids;
    for (AKNode const* node : nodes)
        ids.push_back(node ? node->GetID() : -1);
    return ids;
}

inline std::vector<AKNodeID> IDsOf(AKTreeSel const& selection)
{
    return IDsOf(selection.GetNodes());
}

// Everything an edit may change in a tree: its 'TREE' chunk (IDs, links,
// objects' data), its next ID, its queued objects and its table mode.
struct TreeSnapshot {
    Bytes chunk;
    AKNodeID nextID = 0;
    unsigned int queued = 0;
    bool directAccess = false;

    bool operator==(TreeSnapshot const& o) const
    {
        return chunk == o.chunk && nextID == o.nextID && queued == o.queued && directAccess == o.directAccess;
    }
};

inline TreeSnapshot SnapshotOf(AKTree const& tree)
{
    TreeSnapshot snapshot;
    snapshot.chunk = Written([&](AKFile& file) { return tree.WriteToBinFile(file); });
    snapshot.nextID = tree.GetNextNodeID();
    snapshot.queued = tree.CountQueuedObjects();
    snapshot.directAccess = tree.IsDirectAccessOn();
    return snapshot;
}

inline std::ostream& operator<<(std::ostream& out, TreeSnapshot const& snapshot)
{
    return out << "{" << snapshot.chunk.size() << " bytes, next ID " << snapshot.nextID << ", queued "
               << snapshot.queued << "}";
}

// The whole content of a memory stream.
inline Bytes StreamBytes(AKFile const& file)
{
    AKMemoryBlock block;
    EXPECT_EQ(file.GetMemoryStreamDataBlock(&block), 0);
    return Bytes(block.Data(), block.Data() + block.Size());
}

// Little-endian signed field of a byte image.
inline int GetS32(Bytes const& bytes, size_t offset)
{
    return static_cast<int>(GetU32(bytes, offset));
}

// The fixture: trees checked for coherency when the test ends (TreeTest),
// and the usual document: a root holding folder F with items 1, 2, 3,
// item 4, folder G with item 5, item 6.
class SelTreeTest : public TreeTest
{
protected:
    AKTree& NewDocument(unsigned int options = kAKTreeOptionDeferredDelete)
    {
        return NewTreeFromDico(DicoTree({DicoNamedFolder("F", {DicoItem(1), DicoItem(2), DicoItem(3)}), DicoItem(4),
                                         DicoNamedFolder("G", {DicoItem(5)}), DicoItem(6)}),
                               options);
    }
};
