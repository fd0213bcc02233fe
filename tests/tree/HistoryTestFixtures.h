#pragma once

// Helpers of the history tests: a fixture that opens a history (with its
// notifier) on the usual document and records edits the way the tree
// handler does, pictures of the tree for "exactly as before" checks, and the
// bytes of history files, whichever cache kind they use.
//
// The document (SelTreeTest): a root holding folder F with items 1, 2, 3,
// item 4, folder G with item 5, item 6.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeHistory.h"
#include "AKTreeHistoryActionOnCreate.h"
#include "AKTreeHistoryActionOnLink.h"
#include "AKTreeHistoryActionOnRevise.h"
#include "AKTreeNotifier.h"
#include "AKTreeSelBuilders.h"
#include "SelTestFixtures.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

// The command every recorded step is made with unless a test says otherwise.
constexpr int kHistTestCommand = 7;
inline AKString HistTestName()
{
    return AKString("Edit");
}

// Every byte of a file, memory stream or disk file; the position is left at
// the end.
inline Bytes FileBytes(AKFile const& file)
{
    Bytes bytes;
    unsigned long long size = 0;
    EXPECT_EQ(file.Seek(0, kAKFileWhenceEnd), 0);
    EXPECT_EQ(file.GetPos(&size), 0);
    bytes.resize(static_cast<size_t>(size));
    EXPECT_EQ(file.SetPos(0), 0);
    if (size != 0) {
        EXPECT_EQ(file.Read(bytes.data(), size), 0);
    }
    return bytes;
}

// Big-endian signature of a byte image.
inline std::string SignatureAt(Bytes const& bytes, size_t offset)
{
    return offset + 4 <= bytes.size() ? std::string(bytes.begin() + offset, bytes.begin() + offset + 4) : "";
}

// The tree's 'TREE' chunk: IDs, links and every object's data.
inline Bytes TreeBytes(AKTree const& tree)
{
    return SnapshotOf(tree).chunk;
}

// The fixture, run in both cache kinds of the history's files when
// parameterised (kAKFileModeMemoryStream or kAKFileModeTemporary).
class HistoryTest : public SelTreeTest
{
protected:
    void SetUp() override { fSavedCacheMode = AKFile::sPreferedModeCache; }
    void TearDown() override
    {
        fHistory.reset();
        fNotifier.reset();
        SelTreeTest::TearDown();
        AKFile::SetPreferedModeCache(fSavedCacheMode);
    }

    // The usual document with an open history.
    AKTree& OpenDocument(unsigned int cacheMode = kAKFileModeMemoryStream)
    {
        AKFile::SetPreferedModeCache(cacheMode);
        return OpenHistoryOn(NewDocument());
    }
    // A tree of that dictionary form with an open history.
    AKTree& OpenTree(AKDictionary const& dictionary, unsigned int cacheMode = kAKFileModeMemoryStream)
    {
        AKFile::SetPreferedModeCache(cacheMode);
        return OpenHistoryOn(NewTreeFromDico(dictionary));
    }
    AKTree& OpenHistoryOn(AKTree& tree)
    {
        fHistory.reset();
        fTree = &tree;
        fNotifier = std::make_unique<AKTreeNotifier>(fTree);
        fHistory = std::make_unique<AKTreeHistory>(fTree, fNotifier.get());
        EXPECT_EQ(fHistory->Reopen(), 0);
        return *fTree;
    }

    AKTreeHistory& History() { return *fHistory; }
    AKTreeNotifier& Notifier() { return *fNotifier; }
    AKTree& Tree() { return *fTree; }

    // --- Edits recorded as the tree handler records them ---

    // New items of these numbers linked at the target; the creation is
    // recorded once the nodes exist. Answers the added nodes.
    AKTreeSel AddItems(AKNode* target, AKLinkMode mode, std::initializer_list<unsigned int> values,
                       int* status = nullptr)
    {
        ATObjectArray<AKObject> objects;
        for (unsigned int value : values)
            objects.Push(NewItem(value));
        AKTreeSel added;
        AKNode* first = nullptr;
        int result = fTree->DoTreeSelAddNewObjects(&added, &first, target, mode, objects);
        EXPECT_EQ(result, 0);
        if (result == 0)
            result = Stamp(added, 0x101);
        if (result == 0)
            result = fHistory->RegisterAction(
                new AKTreeHistoryActionOnCreate(fCommandID, fName, added), false);
        if (status != nullptr)
            *status = result;
        else
            EXPECT_EQ(result, 0);
        return added;
    }

    // The deletion is recorded before the nodes go.
    int DeleteNodes(std::initializer_list<AKNode*> nodes)
    {
        AKTreeSelWithNodes const selection(fTree, NodesOf(nodes));
        int status = fHistory->RegisterAction(new AKTreeHistoryActionOnDelete(fCommandID, fName, selection), false);
        if (status == 0)
            status = fNotifier->UpdateObjectsStampPrepare(selection, 0x201, false);
        if (status == 0)
            status = fTree->DoTreeSelDelete(selection);
        if (status == 0)
            fNotifier->UpdateObjectsStamp(fHistory->GetGroupDepth() > 0);
        return status;
    }

    // Answers the moved nodes.
    AKTreeSel MoveNodes(std::initializer_list<AKNode*> nodes, AKNode* target, AKLinkMode mode)
    {
        AKTreeSelWithNodes const selection(fTree, NodesOf(nodes));
        AKNodeIDArray oldLinks;
        selection.GetNodes().GrabNodeLinkIDs(&oldLinks);
        EXPECT_TRUE(fTree->CanTreeSelMove(selection, &target, &mode));
        AKTreeSel moved;
        EXPECT_EQ(fTree->DoTreeSelMove(&moved, selection, target, mode), 0);
        AKNodeIDArray newLinks;
        moved.GetNodes().GrabNodeLinkIDs(&newLinks);
        EXPECT_EQ(Stamp(moved, 0x401), 0);
        EXPECT_EQ(fHistory->RegisterAction(
                      new AKTreeHistoryActionOnLink(fCommandID, fName, moved, oldLinks, newLinks), false),
                  0);
        return moved;
    }

    // Sets the items' numbers, then records the revision of the selection.
    int ReviseItems(AKTreeSel const& selection, unsigned int value, bool allowMerge = false,
                    bool withChildren = false)
    {
        for (AKNode* node : selection.GetNodes()) {
            if (TestItem* item = dynamic_cast<TestItem*>(node->GetObject()))
                item->SetValue(value);
        }
        int status = Stamp(selection, 0x801);
        if (status == 0)
            status = fHistory->RegisterAction(
                new AKTreeHistoryActionOnRevise(fCommandID, fName, selection, fMoreInfo, withChildren), allowMerge);
        return status;
    }
    int ReviseItem(AKNode* node, unsigned int value, bool allowMerge = false)
    {
        return ReviseItems(AKTreeSelWithNode(fTree, node), value, allowMerge);
    }

    // --- Undo and redo with every output ---

    struct Step {
        int status = 0;
        int commandID = 0;
        AKString name;
        unsigned int result = 0;
        AKTreeSel selection;
        AKDictionary moreInfo;
    };
    Step Undo()
    {
        Step step;
        step.status = fHistory->CallUndo(&step.commandID, &step.name, &step.result, &step.selection, &step.moreInfo);
        return step;
    }
    Step Redo()
    {
        Step step;
        step.status = fHistory->CallRedo(&step.commandID, &step.name, &step.result, &step.selection, &step.moreInfo);
        return step;
    }

    // The history file's bytes in place, for tests that damage them.
    AKHistoryFile& WritableHistoryFile() { return const_cast<AKHistoryFile&>(fHistory->GetHistoryFile()); }

    // What the next recorded steps are made with.
    int fCommandID = kHistTestCommand;
    AKString fName = HistTestName();
    AKDictionary fMoreInfo;
    // A selection kept by tests that revise the very same selection twice.
    AKTreeSel fSelection;

private:
    int Stamp(AKTreeSel const& selection, unsigned int kinds)
    {
        int status = fNotifier->UpdateObjectsStampPrepare(selection, kinds, false);
        if (status == 0)
            fNotifier->UpdateObjectsStamp(fHistory->GetGroupDepth() > 0);
        return status;
    }

    unsigned int fSavedCacheMode = kAKFileModeMemoryStream;
    AKTree* fTree = nullptr;
    std::unique_ptr<AKTreeNotifier> fNotifier;
    std::unique_ptr<AKTreeHistory> fHistory;
};

// Both cache kinds of the history's files.
class HistoryCacheTest : public HistoryTest, public ::testing::WithParamInterface<unsigned int>
{
};

inline std::string CacheModeName(::testing::TestParamInfo<unsigned int> const& info)
{
    return info.param == kAKFileModeTemporary ? "TemporaryFile" : "MemoryStream";
}
