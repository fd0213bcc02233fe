// Creation actions of the history; deletions replay them crosswise
// (AKTreeHistoryActionOnDelete.cpp).

#include "AKTreeHistoryActionOnCreate.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeHistory.h"
#include "AKTreeHistoryActionIO.h"
#include "AKTreeHistoryFile.h"
#include "AKTreeSelBuilders.h"

namespace {

// Read nodes not (yet) in the tree, deleted with their objects unless kept.
class DetachedNodes
{
public:
    ~DetachedNodes() { fNodes.DeleteAllNodes(true); }
    AKNodeArray& Nodes() { return fNodes; }
    // The nodes now belong to the tree.
    void Release() { fNodes.Clear(); }

private:
    AKNodeArray fNodes;
};

}  // namespace

AKTreeHistoryActionOnCreate::AKTreeHistoryActionOnCreate(int commandID, AKString const& name,
                                                         AKTreeSel const& selection)
    : AKTreeHistoryActionOnCreate(kAKTreeHistoryActionCreate, commandID, name, selection)
{}

AKTreeHistoryActionOnCreate::AKTreeHistoryActionOnCreate(unsigned int signature, int commandID, AKString const& name,
                                                         AKTreeSel const& selection)
    : AKTreeHistoryAction(signature, commandID, name, selection)
{}

void AKTreeHistoryActionOnCreate::Setup(AKTreeHistory const* history, unsigned int actionID, unsigned int groupNumber,
                                        unsigned long long chunkPosition)
{
    AKTreeHistoryAction::Setup(history, actionID, groupNumber, chunkPosition);
    fSecondFile = history != nullptr ? history->GetSecondFile() : nullptr;
}

int AKTreeHistoryActionOnCreate::Stack(AKHistoryFile& file)
{
    int status = AKTreeHistoryCheckTreeSel(fTreeSel, fTree);
    AKNodeIDArray topIDs;
    fTreeSel.GetNodes().GrabNodeIDs(&topIDs);
    if (status == 0)
        status = AKFileWriteSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, topIDs);
    if (status == 0)
        status = AKTreeHistoryWriteSnapshots(file, fTreeSel.GetNodes(), true);
    ForgetTreeSel();
    return status;
}

unsigned int AKTreeHistoryActionOnCreate::ActionKindOnUndone() const
{
    return kAKTreeActionDeleted | kAKTreeActionUndone;
}

unsigned int AKTreeHistoryActionOnCreate::ActionKindOnRedone() const
{
    return kAKTreeActionCreated | kAKTreeActionRedone;
}

int AKTreeHistoryActionOnCreate::Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    return RemoveRecordedNodes(file, inGroup);
}

int AKTreeHistoryActionOnCreate::Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    return RecreateRecordedNodes(file, inGroup, resultSel);
}

// --- Removing ---

int AKTreeHistoryActionOnCreate::RemoveRecordedNodes(AKHistoryFile const& file, bool inGroup)
{
    if (fTree == nullptr || fSecondFile == nullptr)
        return kAKErrorMiscellaneous;
    AKNodeIDArray topIDs;
    AKNodeArray nodes;
    int status = AKFileCheckSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, &topIDs);
    if (status == 0)
        status = AKNodeArray::SkipNodesFromFile(file);
    if (status == 0)
        status = nodes.FillWithNodesOfID(topIDs, fTree->GetNodes());

    unsigned long long recordPosition = 0;
    if (status == 0)
        status = AppendToSecondFile(topIDs, nodes, &recordPosition);
    AKTreeSelWithRawSelNodes const selection(fTree, nodes);
    if (status == 0)
        status = AKTreeHistoryPrepareStamps(fNotifier, selection, kAKTreeActionDeleted);
    if (status != 0)
        return status;
    status = fTree->DoTreeSelDelete(selection);
    // Marks are never left pending, whatever the tree answered.
    AKTreeHistoryUpdateStamps(fNotifier, inGroup);
    // Only a complete record, of nodes actually removed, is read back by redo.
    if (status == 0)
        fSecondFilePos = recordPosition;
    return status;
}

int AKTreeHistoryActionOnCreate::AppendToSecondFile(AKNodeIDArray const& topIDs, AKNodeArray const& nodes,
                                                    unsigned long long* position)
{
    AKFile& file = *fSecondFile;
    int status = file.Seek(0, kAKFileWhenceEnd);
    if (status == 0)
        status = file.GetPos(position);
    if (status == 0)
        status = AKFileWriteSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, topIDs);
    if (status == 0)
        status = nodes.WriteNodesWithRChildrenToFile(file);
    return status;
}

// --- Re-creating ---

int AKTreeHistoryActionOnCreate::ReadRecordedNodes(AKFile const& file, AKNodeIDArray* topIDs, AKNodeArray* nodes) const
{
    int status = AKFileCheckSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, topIDs);
    if (status == 0)
        status = nodes->InitNodesFromFile(file, 2, fTree->GetAllocator(), fTree->GetContextObject());
    if (status != 0)
        return status;
    nodes->SortByID();
    if (!nodes->IsStrictlySortedByID())
        return kAKErrorTreeNodeBadID;
    nodes->RelinkNodesFromLinkIDs();
    return 0;
}

int AKTreeHistoryActionOnCreate::RecreateRecordedNodes(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel)
{
    if (fTree == nullptr || fSecondFile == nullptr)
        return kAKErrorMiscellaneous;
    AKFile const* source = &file;
    int status = 0;
    if (fSecondFilePos != kAKTreeHistoryNoSecondFilePos) {
        source = fSecondFile;
        status = fSecondFile->SetPos(fSecondFilePos);
    }
    AKNodeIDArray topIDs;
    DetachedNodes read;
    if (status == 0)
        status = ReadRecordedNodes(*source, &topIDs, &read.Nodes());
    AKNodeArray tops;
    if (status == 0)
        status = tops.FillWithNodesOfID(topIDs, read.Nodes());
    // Every place the nodes go back to must exist before anything changes.
    if (status == 0)
        status = AKTreeHistoryCheckRecreatedNodes(read.Nodes(), *fTree);
    if (status != 0)
        return status;

    AKTreeHistoryInsertRecreatedNodes(*fTree, read.Nodes());
    read.Release();
    AKTreeSelWithRawSelNodes const selection(fTree, tops);
    status = AKTreeHistoryPrepareStamps(fNotifier, selection, kAKTreeActionCreated);
    if (status == 0)
        AKTreeHistoryUpdateStamps(fNotifier, inGroup);
    *resultSel = selection;
    return status;
}
