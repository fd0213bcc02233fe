// Link (move) actions of the history.

#include "AKTreeHistoryActionOnLink.h"

#include "AKDictionary.h"
#include "AKFileChunk.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeHistoryActionIO.h"
#include "AKTreeHistoryFile.h"
#include "AKTreeSelBuilders.h"

AKTreeHistoryActionOnLink::AKTreeHistoryActionOnLink(int commandID, AKString const& name, AKTreeSel const& selection,
                                                     AKNodeIDArray const& oldLinks, AKNodeIDArray const& newLinks)
    : AKTreeHistoryAction(kAKTreeHistoryActionLink, commandID, name, selection), fOldLinks(oldLinks),
      fNewLinks(newLinks)
{}

int AKTreeHistoryActionOnLink::Stack(AKHistoryFile& file)
{
    int status = AKTreeHistoryCheckTreeSel(fTreeSel, fTree);
    if (status == 0 && (fOldLinks.IsEmpty() || fNewLinks.IsEmpty()))
        status = kAKErrorTreeHandlerEmptyTreeSel;
    AKNodeIDArray nodeIDs;
    fTreeSel.GetNodes().GrabNodeIDs(&nodeIDs);
    if (status == 0)
        status = AKFileWriteSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, nodeIDs);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, fOldLinks);
    if (status == 0)
        status = AKTreeHistoryWriteNodeIDs(file, fNewLinks);
    ForgetTreeSel();
    fOldLinks = AKNodeIDArray();
    fNewLinks = AKNodeIDArray();
    return status;
}

unsigned int AKTreeHistoryActionOnLink::ActionKindOnUndone() const { return kAKTreeActionLinked | kAKTreeActionUndone; }

unsigned int AKTreeHistoryActionOnLink::ActionKindOnRedone() const { return kAKTreeActionLinked | kAKTreeActionRedone; }

int AKTreeHistoryActionOnLink::Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                    AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    return Relink(file, true, inGroup, resultSel);
}

int AKTreeHistoryActionOnLink::Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                    AKDictionary* moreInfo)
{
    *resultSel = kAKNullTreeSel;
    *moreInfo = kAKNullDictionary;
    return Relink(file, false, inGroup, resultSel);
}

int AKTreeHistoryActionOnLink::Relink(AKFile const& file, bool useOldLinks, bool inGroup, AKTreeSel* resultSel)
{
    if (fTree == nullptr)
        return kAKErrorMiscellaneous;
    AKNodeIDArray nodeIDs;
    AKNodeIDArray oldLinks;
    AKNodeIDArray newLinks;
    int status = AKFileCheckSignat32(file, fSignature);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, &nodeIDs);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, &oldLinks);
    if (status == 0)
        status = AKTreeHistoryReadNodeIDs(file, &newLinks);
    AKNodeIDArray const& links = useOldLinks ? oldLinks : newLinks;

    AKNodeArray nodes;
    if (status == 0)
        status = nodes.FillWithNodesOfID(nodeIDs, fTree->GetNodes());
    // Every parent and brother the nodes go back to must exist, and every
    // node have its three links, before anything moves.
    if (status == 0 && links.Count() != 3 * nodes.Count())
        status = kAKErrorMiscellaneous;
    if (status == 0)
        status = AKTreeHistoryCheckLinkTargets(links, *fTree, AKNodeArray());
    AKTreeSelWithRawSelNodes selection(fTree, nodes);
    if (status == 0)
        status = AKTreeHistoryPrepareStamps(fNotifier, selection, kAKTreeActionLinked);
    if (status != 0)
        return status;

    nodes.UnlinkNodes();
    nodes.ApplyNodeLinkIDs(links);
    fTree->GetNodes().RelinkNodesWithNegativeLinkIDs();

    selection.UpdateAfterMoved();
    status = AKTreeHistoryPrepareStamps(fNotifier, selection, kAKTreeActionLinked);
    AKTreeHistoryUpdateStamps(fNotifier, inGroup);
    *resultSel = selection;
    return status;
}
