#pragma once

// Helpers of the node tests: bare nodes (no object) in an allocator of their
// own, items with construction options, nodes owning items, memory streams,
// and shapes of links written compactly.

#include "AKContextObject.h"
#include "AKFile.h"
#include "AKMemoryBlock.h"
#include "AKNode.h"
#include "AKNodeAllocator.h"
#include "AKNodeArray.h"
#include "AKTreeRenum.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

// Nodes without objects, deleted with the helper. For link and search tests,
// which need no class.
class BareNodes
{
public:
    BareNodes() = default;
    ~BareNodes()
    {
        for (AKNode* node : fNodes)
            delete node;
    }
    BareNodes(BareNodes const&) = delete;
    BareNodes& operator=(BareNodes const&) = delete;

    AKNode* Make(AKNodeID nodeID)
    {
        AKNode* node = new (&fAllocator) AKNode(&fAllocator, nullptr, nodeID, nullptr);
        fNodes.push_back(node);
        return node;
    }

    // Nodes of IDs first, first + 1 ... in an array.
    AKNodeArray MakeRun(AKNodeID first, unsigned int count)
    {
        AKNodeArray nodes;
        for (unsigned int i = 0; i < count; ++i)
            nodes.Push(Make(first + static_cast<AKNodeID>(i)));
        return nodes;
    }

    AKNodeAllocator& Allocator() { return fAllocator; }

private:
    AKNodeAllocator fAllocator;
    std::vector<AKNode*> fNodes;
};

// The four link IDs of a node, for one-line expectations.
struct LinkIDs {
    AKNodeID sup, sub, prev, next;
    bool operator==(LinkIDs const& o) const
    {
        return sup == o.sup && sub == o.sub && prev == o.prev && next == o.next;
    }
};

inline LinkIDs LinkIDsOf(AKNode const* node)
{
    return {node->GetSupID(), node->GetSubID(), node->GetPrevID(), node->GetNextID()};
}

inline std::ostream& operator<<(std::ostream& out, LinkIDs const& ids)
{
    return out << "{sup " << ids.sup << ", sub " << ids.sub << ", prev " << ids.prev << ", next " << ids.next << "}";
}

// The IDs of a node's children in order.
inline std::vector<AKNodeID> ChildIDs(AKNode const* parent)
{
    std::vector<AKNodeID> ids;
    for (AKNode const* child = parent->GetSub(); child; child = child->GetNext())
        ids.push_back(child->GetID());
    return ids;
}

// Whether every node of the list passes the link check.
inline bool AllLinksHold(std::vector<AKNode*> const& nodes)
{
    for (AKNode const* node : nodes) {
        if (!node->CheckNodeLinks())
            return false;
    }
    return true;
}

// --- Objects ---

// An item of the registered class "tstItem" built with construction options;
// with option 1 it keeps one more node ID, mapped when nodes are renumbered.
class OptionItem : public TestItem
{
public:
    // The options of the next items made (construction takes no argument).
    static unsigned int& NextOptions()
    {
        static unsigned int sOptions = 0;
        return sOptions;
    }

    OptionItem() : TestItem(NextOptions()) {}

    AKNodeID fLinkedID = kAKNullNodeID;
    // What akmRenumberExtraNodeIDs answers when the ID does not map.
    int fRenumberFailure = -1;

    int akmRenumberExtraNodeIDs(AKTreeRenum const& renum) override
    {
        return renum.MatchID(&fLinkedID, false) ? 0 : fRenumberFailure;
    }
};

inline OptionItem* NewOptionItem(unsigned int options, unsigned int value = 0)
{
    OptionItem::NextOptions() = options;
    OptionItem* item = static_cast<OptionItem*>(_AKClassConstruct<OptionItem>(TestItem::_Class()));
    OptionItem::NextOptions() = 0;
    item->SetValue(value);
    return item;
}

// A plain item with a value and a name ("" leaves the class's display name).
inline TestItem* NewItem(unsigned int value, char const* name = "")
{
    TestItem* item = AKNew<TestItem>("-value:%u", value);
    if (item && name[0] != '\0')
        item->akmSetName(AKString(name), false);
    return item;
}

inline TestFolder* NewFolder(char const* name = "")
{
    TestFolder* folder = AKNew<TestFolder>("%s", "");
    if (folder && name[0] != '\0')
        folder->akmSetName(AKString(name), false);
    return folder;
}

inline unsigned int ValueOf(AKNode const* node)
{
    TestItem const* item = node ? dynamic_cast<TestItem const*>(node->GetObject()) : nullptr;
    return item ? item->GetValue() : 0xFFFFFFFFu;
}

// Nodes owning objects in one allocator and context; the nodes made here
// are deleted with their objects at the end.
class ObjectNodes
{
public:
    ObjectNodes() : fContext(nullptr) {}
    ~ObjectNodes() { fOwned.DeleteAllNodes(true); }
    ObjectNodes(ObjectNodes const&) = delete;
    ObjectNodes& operator=(ObjectNodes const&) = delete;

    AKNode* Adopt(AKNodeID nodeID, AKObject* object)
    {
        AKNode* node = AKNode::NewNodeWithObject(fAllocator, &fContext, nodeID, object);
        EXPECT_NE(node, nullptr);
        if (node)
            fOwned.Push(node);
        return node;
    }
    AKNode* Item(AKNodeID nodeID, unsigned int value, char const* name = "")
    {
        return Adopt(nodeID, NewItem(value, name));
    }
    AKNode* Folder(AKNodeID nodeID, char const* name = "") { return Adopt(nodeID, NewFolder(name)); }
    // Nodes created elsewhere in this allocator, to be deleted here as well
    // (those already owned are not taken twice).
    void Own(AKNodeArray const& nodes)
    {
        for (AKNode* node : nodes) {
            if (node)
                fOwned.PushUniqueItem(node);
        }
    }

    AKNodeAllocator& Allocator() { return fAllocator; }
    AKContextObject const* Context() const { return &fContext; }

private:
    AKNodeAllocator fAllocator;
    AKContextObject fContext;
    AKNodeArray fOwned;
};

// --- Memory streams ---

typedef std::vector<unsigned char> Bytes;

inline Bytes Written(std::function<int(AKFile&)> const& write, unsigned int leadingBytes = 0)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    if (leadingBytes) {
        Bytes zeros(leadingBytes, 0);
        EXPECT_EQ(file.Write(zeros.data(), zeros.size()), 0);
    }
    EXPECT_EQ(write(file), 0);
    AKMemoryBlock block;
    EXPECT_EQ(file.GetMemoryStreamDataBlock(&block), 0);
    return Bytes(block.Data(), block.Data() + block.Size());
}

// A memory stream opened for reading on a copy of the bytes.
class ReadStream
{
public:
    explicit ReadStream(Bytes const& bytes) : fFile(bytes.data(), static_cast<unsigned int>(bytes.size()))
    {
        EXPECT_EQ(fFile.OpenForRead(), 0);
    }
    AKFile& File() { return fFile; }
    unsigned long long Pos() const
    {
        unsigned long long pos = 0;
        fFile.GetPos(&pos);
        return pos;
    }

private:
    AKFile fFile;
};

// Little-endian fields for crafted chunks.
inline void PutU32(Bytes& bytes, unsigned int value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
inline void PutSignature(Bytes& bytes, char const* signature)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(signature[i]));
}
// The name's first 7 characters, NUL-padded to 8 bytes.
inline void PutClassID(Bytes& bytes, char const* name)
{
    size_t length = std::strlen(name);
    for (size_t i = 0; i < 8; ++i)
        bytes.push_back(i < length && i < 7 ? static_cast<unsigned char>(name[i]) : 0);
}
// Overwrites four bytes, growing the bytes when they end before.
inline void SetU32(Bytes& bytes, size_t offset, unsigned int value)
{
    if (bytes.size() < offset + 4)
        bytes.resize(offset + 4, 0);
    unsigned char le[4];
    for (int i = 0; i < 4; ++i)
        le[i] = static_cast<unsigned char>(value >> (8 * i));
    std::memcpy(bytes.data() + offset, le, 4);
}
inline unsigned int GetU32(Bytes const& bytes, size_t offset)
{
    unsigned int value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes[offset + i];
    return value;
}
