#pragma once

// Helpers of the tree tests: a fixture whose trees pass the full coherency
// check at the end of every test, dictionary forms written compactly, and
// 'TREE' chunks written from nodes built by hand (any IDs and links) or
// crafted byte by byte.

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKTreeRenum.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// --- Dictionary forms ---

// A node dictionary of class "tstItem" (or another class) with its number,
// an "ID" when not 0, and children under "Subs".
inline AKDictionary DicoNode(char const* classID, unsigned int value, long long nodeID,
                             std::initializer_list<AKDictionary> subs)
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    dictionary.SetValue("Value", AKValueSetasUInt(value));
    if (nodeID != 0)
        dictionary.SetValue("ID", AKValueSetasSInt(nodeID));
    if (subs.size() != 0) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

inline AKDictionary DicoItem(unsigned int value, long long nodeID = 0, std::initializer_list<AKDictionary> subs = {})
{
    return DicoNode("tstItem", value, nodeID, subs);
}

inline AKDictionary DicoFolder(long long nodeID, std::initializer_list<AKDictionary> subs)
{
    return DicoNode("tstFold", 0, nodeID, subs);
}

// The top of a tree's dictionary form: only its "Subs" is read.
inline AKDictionary DicoTree(std::initializer_list<AKDictionary> subs)
{
    AKDictionary top;
    AKValueArray array;
    for (AKDictionary const& sub : subs)
        array.Push(AKValueSetasAKDictionary(sub));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

// --- 'TREE' chunks ---

// A 'TREE' chunk holding the nodes in the given order, each written with its
// link IDs as they are; `count` replaces the node count of the tree header.
inline Bytes TreeChunkOf(AKNodeArray const& nodes, long long count = -1)
{
    return Written([&](AKFile& file) {
        AKFileChunk chunk(kAKTreeChunkSignature);
        int status = AKFileWriteChunkHeader(file, chunk);
        if (status == 0)
            status = AKFileWriteUInt32(file, count < 0 ? nodes.Count() : static_cast<unsigned int>(count));
        unsigned char reserved[20] = {};
        if (status == 0)
            status = file.Write(reserved, sizeof(reserved));
        if (status == 0)
            status = nodes.WriteNodesToFile(file, false);
        if (status == 0)
            status = AKFileWriteChunkComplete(file, chunk);
        return status;
    });
}

// Nodes made by hand to be written into a 'TREE' chunk: a root folder
// (class "foldRot") and items, with any IDs; link them with AKNode::Link or
// set their link IDs directly.
class HandNodes : public ObjectNodes
{
public:
    AKNode* Root(AKNodeID nodeID = 1) { return Adopt(nodeID, AKNew<AKObjectFolderRoot>("%s", "")); }

    // A root with items of the IDs as its children, in order, each item's
    // number being its ID.
    AKNodeArray RootWithItems(std::initializer_list<AKNodeID> itemIDs)
    {
        AKNodeArray nodes;
        nodes.Push(Root());
        for (AKNodeID nodeID : itemIDs) {
            AKNode* item = Item(nodeID, static_cast<unsigned int>(nodeID));
            nodes[0]->Link(item, kAKLinkModeLastChildren);
            nodes.Push(item);
        }
        return nodes;
    }
};

// Loads a 'TREE' chunk into the tree.
inline int LoadTree(AKTree& tree, Bytes const& bytes, AKTreeRenum* map = nullptr)
{
    ReadStream stream(bytes);
    return tree.InitFromBinFile(stream.File(), map);
}

// The IDs of the tree's nodes in array order.
inline std::vector<AKNodeID> NodeIDsOf(AKTree const& tree)
{
    std::vector<AKNodeID> ids;
    for (AKNode const* node : tree.GetNodes())
        ids.push_back(node->GetID());
    return ids;
}

// The first log line containing the text, or "" when none does.
template <class Lines>
std::string LineWith(Lines const& lines, std::string const& text)
{
    for (std::string const& line : lines) {
        if (line.find(text) != std::string::npos)
            return line;
    }
    return std::string();
}

// --- Fixture ---

// Trees made here are checked with the full coherency check when the test
// ends (unless made unchecked), then destroyed.
class TreeTest : public ::testing::Test
{
protected:
    AKTree& NewTree(unsigned int options = kAKTreeOptionDeferredDelete, bool checked = true)
    {
        fTrees.push_back(std::make_unique<AKTree>(options));
        fChecked.push_back(checked);
        fTrees.back()->SetName(AKString("Test"));
        return *fTrees.back();
    }
    AKTree& NewDefaultTree(unsigned int options = kAKTreeOptionDeferredDelete)
    {
        AKTree& tree = NewTree(options);
        EXPECT_EQ(tree.InitDefault(TreeTestDocumentType()), 0);
        return tree;
    }
    AKTree& NewTreeFromDico(AKDictionary const& dictionary, unsigned int options = kAKTreeOptionDeferredDelete)
    {
        AKTree& tree = NewTree(options);
        EXPECT_EQ(tree.InitFromDictionary(dictionary, TreeTestDocumentType(), nullptr), 0);
        return tree;
    }

    void TearDown() override
    {
        for (size_t i = 0; i < fTrees.size(); ++i) {
            if (fChecked[i]) {
                EXPECT_EQ(fTrees[i]->CheckTreeCoherency(), 0) << "tree " << i;
            }
        }
        fTrees.clear();
    }

private:
    std::vector<std::unique_ptr<AKTree>> fTrees;
    std::vector<bool> fChecked;
};
