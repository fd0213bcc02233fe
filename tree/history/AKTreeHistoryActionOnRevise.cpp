// Revision actions of the history.

#include "AKTreeHistoryActionOnRevise.h"

#include "AKFileChunk.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeHistoryActionIO.h"
#include "AKTreeHistoryFile.h"
#include "AKTreeSelBuilders.h"

AKTreeHistoryActionOnRevise::AKTreeHistoryActionOnRevise(int commandID, AKString const& name,
                                                         AKTreeSel const& selection, AKDictionary const& moreInfo,
                                                         bool withChildren)
    : AKTreeHistoryAction(kAKTreeHistoryActionRevise, commandID, name, selection), fMoreInfo(moreInfo),
      fWithChildren(withChildren)
{
    // A revision replaces the previous one only when both cover the same nodes.
    SetMergeVariant(withChildren ? 1 : 0);
}

int AKTreeHistoryActionOnRevise::Stack(AKHistoryFile& file)
{
    int status = AKTreeHistoryCheckTreeSel(fTreeSel, fTree);
    AKNodeIDArray nodeIDs;
    fTreeSel.GetNodes().GrabNodeIDs(&nodeIDs);
    AKNodeArray written(fTreeSel.GetNodes());
    if (fWithChildren)
        fTreeSel.GetNodes().GrabNodesWithRChildren(&written);
    if (status == 0)
        status = AKFileWriteSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, nodeIDs);
    if (status == 0)
        status = AKTreeHistoryWriteSnapshots(file, written, false);
    ForgetTreeSel();
    return status;
}

unsigned int AKTreeHistoryActionOnRevise::ActionKindOnUndone() const
{
    return kAKTreeActionRevised | kAKTreeActionUndone;
}

unsigned int AKTreeHistoryActionOnRevise::ActionKindOnRedone() const
{
    return kAKTreeActionRevised | kAKTreeActionRedone;
}

int AKTreeHistoryActionOnRevise::ReadRevisedNodes(AKFile const& file, AKNodeArray* revised, AKNodeArray* reread) const
{
    if (fTree == nullptr)
        return kAKErrorMiscellaneous;
    AKNodeIDArray nodeIDs;
    int status = AKFileCheckSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, &nodeIDs);
    if (status == 0)
        status = revised->FillWithNodesOfID(nodeIDs, fTree->GetNodes());
    if (status != 0)
        return status;
    if (fWithChildren)
        revised->GrabNodesWithRChildren(reread);
    else
        *reread = *revised;
    return 0;
}

int AKTreeHistoryActionOnRevise::Complete(AKNodeArray const& revised, bool inGroup, AKTreeSel* resultSel,
                                          AKDictionary* moreInfo)
{
    AKTreeSelWithRawSelNodes const selection(fTree, revised);
    int status = AKTreeHistoryPrepareStamps(fNotifier, selection, kAKTreeActionRevised);
    AKTreeHistoryUpdateStamps(fNotifier, inGroup);
    *resultSel = selection;
    *moreInfo = fMoreInfo;
    return status;
}

int AKTreeHistoryActionOnRevise::Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    AKNodeArray revised;
    AKNodeArray reread;
    int status = ReadRevisedNodes(file, &revised, &reread);
    if (status != 0)
        return status;

    // The state before this revision: each node's previous snapshot. All
    // are found before any node changes.
    AKHistoryFile::AKChunkList const& snapshots = file.GetChunkList();
    ATArray<unsigned long long> positions;
    positions.Reserve(reread.Count());
    for (AKNode const* node : reread) {
        unsigned long long const position = snapshots.GetPreviousChunkPosForNode(node->GetID());
        if (position == 0)
            return kAKErrorMiscellaneous;
        positions.Push(position);
    }
    for (unsigned int i = 0; i < reread.Count() && status == 0; ++i) {
        status = file.SetPos(positions[i]);
        if (status == 0)
            status = reread[i]->ReinitNodeFromFile(file);
    }
    if (status != 0)
        return status;
    return Complete(revised, inGroup, resultSel, moreInfo);
}

int AKTreeHistoryActionOnRevise::Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    AKNodeArray revised;
    AKNodeArray reread;
    int status = ReadRevisedNodes(file, &revised, &reread);
    if (status == 0)
        status = reread.ReinitNodesFromFile(file);
    if (status != 0)
        return status;
    return Complete(revised, inGroup, resultSel, moreInfo);
}
