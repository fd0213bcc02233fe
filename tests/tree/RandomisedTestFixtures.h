#pragma once

// Helpers of the randomised tree test: pictures of a whole tree (every
// node's parent, children, data, object and stamps, and the 'TREE' chunk),
// comparisons between two pictures that name the first difference, the
// rules the change stamps must follow between two pictures, and pictures of
// a detached-copy store and of a history.
//
// Include after TreeTestClasses.h, NotifierTestFixtures.h (the nests) and
// HandlerTestFixtures.h.

#include "AKFile.h"
#include "AKMemoryBlock.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeHistory.h"
#include "AKTreeSelCache.h"
#include "NotifierTestFixtures.h"
#include "SelTestFixtures.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// --- Tree pictures ---

// The tree's 'TREE' chunk: IDs, links and every object's data.
inline Bytes TreeChunkBytes(AKTree const& tree)
{
    return Written([&](AKFile& file) { return tree.WriteToBinFile(file); });
}

struct NodePicture {
    AKNodeID parent = kAKNullNodeID;
    std::vector<AKNodeID> children;
    // The class ID followed by the object's file form (name and data).
    std::string data;
    // A short readable form: class, name, number.
    std::string label;
    AKObject const* object = nullptr;
    StampRow stamps{};
};

struct TreePicture {
    std::map<AKNodeID, NodePicture> nodes;
    Bytes chunk;
    AKNodeID nextID = kAKNullNodeID;
    AKNodeID rootID = kAKNullNodeID;

    bool Has(AKNodeID nodeID) const { return nodes.count(nodeID) != 0; }
    NodePicture const& At(AKNodeID nodeID) const { return nodes.at(nodeID); }
};

inline std::string LabelOf(AKObject const* object)
{
    if (object == nullptr)
        return "?";
    std::string label = object->GetClassID().GetName().c_str();
    std::string const name = object->akmGetName().c_str();
    if (TestItem const* item = dynamic_cast<TestItem const*>(object))
        label += ":" + std::to_string(item->GetValue());
    if (!name.empty())
        label += "'" + name + "'";
    return label;
}

inline std::string DataOf(AKObject const* object)
{
    if (object == nullptr)
        return std::string();
    Bytes const bytes = Written([&](AKFile& file) { return object->akmWriteToFile(file); });
    return std::string(object->GetClassID().GetName().c_str()) + "|" + std::string(bytes.begin(), bytes.end());
}

inline TreePicture PictureOf(AKTree const& tree)
{
    TreePicture picture;
    picture.chunk = TreeChunkBytes(tree);
    picture.nextID = tree.GetNextNodeID();
    picture.rootID = tree.GetRootNode() != nullptr ? tree.GetRootNode()->GetID() : kAKNullNodeID;
    unsigned int const count = tree.CountNodes();
    for (AKNode const* node : tree.GetNodes()) {
        NodePicture& entry = picture.nodes[node->GetID()];
        AKNode const* parent = node->Parent();
        entry.parent = parent != nullptr ? parent->GetID() : kAKNullNodeID;
        // Bounded: broken links must not hang the test.
        unsigned int walked = 0;
        for (AKNode const* child = node->GetSub(); child != nullptr && walked <= count; child = child->GetNext(), ++walked)
            entry.children.push_back(child->GetID());
        entry.object = node->GetObject();
        entry.data = DataOf(entry.object);
        entry.label = LabelOf(entry.object);
        if (entry.object != nullptr)
            entry.stamps = StampsOf(entry.object);
    }
    // The walks over a picture assume a tree: every node reached once from
    // the root through the children, each child naming its parent.
    std::set<AKNodeID> reached;
    std::vector<AKNodeID> pending{picture.rootID};
    bool isTree = picture.Has(picture.rootID) && picture.At(picture.rootID).parent == kAKNullNodeID;
    while (isTree && !pending.empty()) {
        AKNodeID const nodeID = pending.back();
        pending.pop_back();
        isTree = picture.Has(nodeID) && reached.insert(nodeID).second;
        for (AKNodeID child : isTree ? picture.At(nodeID).children : std::vector<AKNodeID>()) {
            isTree = isTree && picture.Has(child) && picture.At(child).parent == nodeID;
            pending.push_back(child);
        }
    }
    if (!picture.nodes.empty() && (!isTree || reached.size() != picture.nodes.size())) {
        ADD_FAILURE() << "the links of tree \"" << tree.GetName().c_str() << "\" form no tree";
        for (auto& [nodeID, node] : picture.nodes) {
            node.parent = kAKNullNodeID;
            node.children.clear();
        }
    }
    return picture;
}

// The subtree of a node without IDs: data, children in order.
inline std::string Canon(TreePicture const& picture, AKNodeID nodeID)
{
    std::string text = picture.At(nodeID).data + "[";
    for (AKNodeID child : picture.At(nodeID).children)
        text += Canon(picture, child) + ",";
    return text + "]";
}

// The whole tree with IDs: `#2 tstFold'F'[#3 tstItem:1, ...]`.
inline std::string Describe(TreePicture const& picture, AKNodeID nodeID = kAKNullNodeID)
{
    if (nodeID == kAKNullNodeID)
        nodeID = picture.rootID;
    if (!picture.Has(nodeID))
        return "(none)";
    NodePicture const& node = picture.At(nodeID);
    std::string text = "#" + std::to_string(nodeID) + " " + node.label;
    if (!node.children.empty()) {
        text += "[";
        for (size_t i = 0; i < node.children.size(); ++i)
            text += (i ? ", " : "") + Describe(picture, node.children[i]);
        text += "]";
    }
    return text;
}

// The node and all its descendants.
inline void CollectSubtree(TreePicture const& picture, AKNodeID nodeID, std::set<AKNodeID>* ids)
{
    if (!picture.Has(nodeID))
        return;
    ids->insert(nodeID);
    for (AKNodeID child : picture.At(nodeID).children)
        CollectSubtree(picture, child, ids);
}

inline bool IsBelow(TreePicture const& picture, AKNodeID nodeID, AKNodeID ancestorID)
{
    for (AKNodeID up = picture.Has(nodeID) ? picture.At(nodeID).parent : kAKNullNodeID; up != kAKNullNodeID;
         up = picture.At(up).parent) {
        if (up == ancestorID)
            return true;
    }
    return false;
}

// The picture without the subtrees of the given nodes (their parents lose
// them from their children). Only the structure and data stay meaningful.
inline TreePicture Without(TreePicture picture, std::vector<AKNodeID> const& tops)
{
    std::set<AKNodeID> gone;
    for (AKNodeID top : tops)
        CollectSubtree(picture, top, &gone);
    for (AKNodeID nodeID : gone)
        picture.nodes.erase(nodeID);
    for (auto& [nodeID, node] : picture.nodes) {
        std::vector<AKNodeID> kept;
        for (AKNodeID child : node.children) {
            if (gone.count(child) == 0)
                kept.push_back(child);
        }
        node.children = kept;
    }
    picture.chunk.clear();
    return picture;
}

// "" when both pictures hold the same nodes with the same parents, children
// and data; otherwise the first difference.
inline std::string StructureDiff(TreePicture const& expected, TreePicture const& actual)
{
    for (auto const& [nodeID, node] : expected.nodes) {
        if (!actual.Has(nodeID))
            return "node #" + std::to_string(nodeID) + " (" + node.label + ") is missing";
        NodePicture const& other = actual.At(nodeID);
        if (other.parent != node.parent)
            return "node #" + std::to_string(nodeID) + " has parent #" + std::to_string(other.parent) +
                   ", expected #" + std::to_string(node.parent);
        if (other.children != node.children)
            return "node #" + std::to_string(nodeID) + " has other children";
        if (other.data != node.data)
            return "node #" + std::to_string(nodeID) + " holds " + other.label + ", expected " + node.label;
    }
    for (auto const& [nodeID, node] : actual.nodes) {
        if (!expected.Has(nodeID))
            return "unexpected node #" + std::to_string(nodeID) + " (" + node.label + ")";
    }
    return std::string();
}

// "" when the nodes form one chain of brothers, in order, linked at the
// target with the mode (1 first children, 2 last children, 3 before, 4 after).
inline std::string ChainPlacementDiff(TreePicture const& picture, std::vector<AKNodeID> const& chain, AKNodeID target,
                                      AKLinkMode mode)
{
    if (chain.empty())
        return "empty chain";
    if (!picture.Has(target))
        return "target #" + std::to_string(target) + " is gone";
    for (AKNodeID nodeID : chain) {
        if (!picture.Has(nodeID))
            return "chain node #" + std::to_string(nodeID) + " is missing";
    }
    AKNodeID const parent = mode == kAKLinkModeFirstChildren || mode == kAKLinkModeLastChildren
                                ? target
                                : picture.At(target).parent;
    if (parent == kAKNullNodeID)
        return "no parent for the chain";
    std::vector<AKNodeID> const& siblings = picture.At(parent).children;
    auto first = std::find(siblings.begin(), siblings.end(), chain.front());
    if (first == siblings.end())
        return "chain node #" + std::to_string(chain.front()) + " is not under #" + std::to_string(parent);
    size_t const start = static_cast<size_t>(first - siblings.begin());
    if (start + chain.size() > siblings.size() ||
        !std::equal(chain.begin(), chain.end(), siblings.begin() + static_cast<long>(start)))
        return "the chain is not contiguous under #" + std::to_string(parent);
    switch (mode) {
    case kAKLinkModeFirstChildren:
        return start == 0 ? "" : "the chain does not start the children";
    case kAKLinkModeLastChildren:
        return start + chain.size() == siblings.size() ? "" : "the chain does not end the children";
    case kAKLinkModeBefore:
        return start + chain.size() < siblings.size() && siblings[start + chain.size()] == target
                   ? ""
                   : "the chain is not right before #" + std::to_string(target);
    case kAKLinkModeAfter:
        return start > 0 && siblings[start - 1] == target ? ""
                                                          : "the chain is not right after #" + std::to_string(target);
    default:
        return "bad link mode";
    }
}

// --- Change stamps between two pictures ---

// Nodes present in both pictures with the very same object.
template <class Visit>
void ForSameObjects(TreePicture const& before, TreePicture const& after, Visit visit)
{
    for (auto const& [nodeID, old] : before.nodes) {
        auto found = after.nodes.find(nodeID);
        if (found != after.nodes.end() && found->second.object == old.object && old.object != nullptr)
            visit(nodeID, old, found->second);
    }
}

inline char const* StampName(unsigned int index)
{
    static char const* const kNames[] = {"Revised", "SubRevised", "FarSubRevised", "SubLinks", "FarSubLinks"};
    return index < kAKObjectStampCount ? kNames[index] : "?";
}

// "" when no stamp of an object kept across the pictures went back.
inline std::string StampsWentBack(TreePicture const& before, TreePicture const& after)
{
    std::string problem;
    ForSameObjects(before, after, [&](AKNodeID nodeID, NodePicture const& old, NodePicture const& now) {
        for (unsigned int i = 0; i < kAKObjectStampCount && problem.empty(); ++i) {
            if (now.stamps[i] < old.stamps[i])
                problem = "stamp " + std::string(StampName(i)) + " of #" + std::to_string(nodeID) + " went back from " +
                          std::to_string(old.stamps[i]) + " to " + std::to_string(now.stamps[i]);
        }
    });
    return problem;
}

// "" when no stamp of an object kept across the pictures moved.
inline std::string StampsMovedAtAll(TreePicture const& before, TreePicture const& after)
{
    std::string problem;
    ForSameObjects(before, after, [&](AKNodeID nodeID, NodePicture const& old, NodePicture const& now) {
        for (unsigned int i = 0; i < kAKObjectStampCount && problem.empty(); ++i) {
            if (now.stamps[i] != old.stamps[i])
                problem = "stamp " + std::string(StampName(i)) + " of #" + std::to_string(nodeID) + " moved from " +
                          std::to_string(old.stamps[i]) + " to " + std::to_string(now.stamps[i]);
        }
    });
    return problem;
}

// The structure below a node: every descendant with its children, in order.
inline std::string StructureBelow(TreePicture const& picture, AKNodeID nodeID)
{
    std::string text;
    for (AKNodeID child : picture.At(nodeID).children)
        text += std::to_string(child) + "(" + StructureBelow(picture, child) + ")";
    return text;
}

// "" when every change between the pictures moved the stamps that tell it,
// for every object kept across them:
//   its own data changed: Revised;
//   a child kept under it changed its data: SubRevised (or SubLinks);
//   a descendant kept below it changed its data: FarSubRevised (or FarSubLinks);
//   its list of children changed: SubLinks;
//   the structure below it changed: FarSubLinks.
// (A data change seen under a node that the node only reached by a move
// within the same step moves the links stamps there, hence the "or".)
// revisionsLoose: the step revised objects with their children, whose
// descendants change data without marks of their own; the three revision
// rules are then not checked.
inline std::string StampsMissed(TreePicture const& before, TreePicture const& after, bool revisionsLoose)
{
    std::set<AKNodeID> dataChanged;
    ForSameObjects(before, after, [&](AKNodeID nodeID, NodePicture const& old, NodePicture const& now) {
        if (old.data != now.data)
            dataChanged.insert(nodeID);
    });
    auto moved = [](NodePicture const& old, NodePicture const& now, AKObjectStamp stamp) {
        return now.stamps[stamp] > old.stamps[stamp];
    };
    std::string problem;
    ForSameObjects(before, after, [&](AKNodeID nodeID, NodePicture const& old, NodePicture const& now) {
        if (!problem.empty())
            return;
        std::string const where = "#" + std::to_string(nodeID) + " " + now.label;
        if (!revisionsLoose) {
            if (dataChanged.count(nodeID) != 0 && !moved(old, now, kAKObjectStampRevised))
                problem = "Revised of " + where + " did not move although its data changed";
            for (AKNodeID changed : dataChanged) {
                if (!problem.empty())
                    break;
                bool const childBefore = before.At(changed).parent == nodeID;
                bool const childAfter = after.At(changed).parent == nodeID;
                if (childBefore && childAfter && !moved(old, now, kAKObjectStampSubRevised) &&
                    !moved(old, now, kAKObjectStampSubLinks))
                    problem = "SubRevised of " + where + " did not move although child #" + std::to_string(changed) +
                              " changed its data";
                if (problem.empty() && IsBelow(before, changed, nodeID) && IsBelow(after, changed, nodeID) &&
                    !moved(old, now, kAKObjectStampFarSubRevised) && !moved(old, now, kAKObjectStampFarSubLinks))
                    problem = "FarSubRevised of " + where + " did not move although descendant #" +
                              std::to_string(changed) + " changed its data";
            }
        }
        if (problem.empty() && old.children != now.children && !moved(old, now, kAKObjectStampSubLinks))
            problem = "SubLinks of " + where + " did not move although its children changed";
        if (problem.empty() && StructureBelow(before, nodeID) != StructureBelow(after, nodeID) &&
            !moved(old, now, kAKObjectStampFarSubLinks))
            problem = "FarSubLinks of " + where + " did not move although the structure below it changed";
    });
    return problem;
}

// --- Stores ---

// Everything a detached-copy store shows.
struct StorePicture {
    unsigned int objectCount = 0;
    std::vector<AKClass const*> classes;
    AKClass const* commonBaseClass = nullptr;
    Bytes stream;
    AKDictionary dictionary;

    bool operator==(StorePicture const& o) const
    {
        return objectCount == o.objectCount && classes == o.classes && commonBaseClass == o.commonBaseClass &&
               stream == o.stream && dictionary == o.dictionary;
    }
    bool operator!=(StorePicture const& o) const { return !(*this == o); }
};

inline StorePicture PictureOf(AKTreeSelCache const& store)
{
    StorePicture picture;
    picture.objectCount = store.GetObjectCount();
    for (AKClass const* aClass : store.GetClasses())
        picture.classes.push_back(aClass);
    picture.commonBaseClass = store.GetCommonBaseClass();
    if (!store.IsDictionaryForm() && store.GetMemoryStream().IsOpened())
        picture.stream = StreamBytes(store.GetMemoryStream());
    picture.dictionary = store.GetDictionary();
    return picture;
}

// --- History ---

struct HistoryPicture {
    unsigned int position = 0;
    unsigned int count = 0;
    unsigned int saved = 0;
    unsigned int groupDepth = 0;
    unsigned long long end = 0;

    bool operator==(HistoryPicture const& o) const
    {
        return position == o.position && count == o.count && saved == o.saved && groupDepth == o.groupDepth &&
               end == o.end;
    }
};

inline HistoryPicture PictureOf(AKTreeHistory const& history)
{
    HistoryPicture picture;
    picture.position = history.GetCurrentPosition();
    picture.count = history.CountActions();
    picture.saved = history.GetSavedPosition();
    picture.groupDepth = history.GetGroupDepth();
    picture.end = history.GetEndPosition();
    return picture;
}

inline std::ostream& operator<<(std::ostream& out, HistoryPicture const& p)
{
    return out << "{position " << p.position << ", count " << p.count << ", saved " << p.saved << ", depth "
               << p.groupDepth << ", end " << p.end << "}";
}
