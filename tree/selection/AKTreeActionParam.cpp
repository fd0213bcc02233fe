#include "AKTreeActionParam.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeSelBuilders.h"
#include "AKValueTyped.h"
#include "QVCommandInfo.h"

AKTreeActionParam::AKTreeActionParam(AKTree* tree) : fTree(tree) {}

AKTreeActionParam const& AKNullTreeActionParamShared()
{
    static AKTreeActionParam const sNull(nullptr);
    return sNull;
}

// --- What causes the action ---

void AKTreeActionParam::SetActionName(int commandID, AKString const& name)
{
    fCommandID = commandID;
    fActionName = name;
}

void AKTreeActionParam::SetActionName(QVCommandInfo const& command)
{
    SetActionName(command.GetCommandID(), command.GetMenuLabel());
}

AKTreeActionParam& AKTreeActionParam::WithActionNameOf(AKTreeActionParam const& other)
{
    SetActionName(other.fCommandID, other.fActionName);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithOverrideHistory(bool overrideHistory)
{
    fOverrideHistory = overrideHistory;
    return *this;
}

// --- Where nodes go ---

AKTreeActionParam& AKTreeActionParam::WithTargetNode(AKNode* node, AKLinkMode mode)
{
    fTargetNode = node;
    fLinkMode = mode;
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTargetNodeID(AKNodeID nodeID, AKLinkMode mode)
{
    return WithTargetNode(fTree != nullptr ? fTree->GetNode(nodeID) : nullptr, mode);
}

AKTreeActionParam& AKTreeActionParam::WithTargetObject(AKObject* object, AKLinkMode mode)
{
    return WithTargetNode(object != nullptr ? object->GetNodeOwner() : nullptr, mode);
}

AKTreeActionParam& AKTreeActionParam::WithTargetNodeOf(AKTreeActionParam const& other)
{
    return WithTargetNode(other.fTargetNode, other.fLinkMode);
}

// --- The input selection ---

AKTreeActionParam& AKTreeActionParam::WithTreeSel(AKTreeSel const& selection)
{
    if (selection.GetTree() == nullptr && selection.IsEmpty()) {
        fTreeSel = kAKNullTreeSel;
    } else if (selection.GetTree() == fTree) {
        fTreeSel = selection;
    } else {
        AKLogWarning(kAKWarningTreeActionParamWrongOwner,
                     "Conflict in WithTreeSel() between tree-sels that don't have the same tree-owner");
        fTreeSel = kAKNullTreeSel;
    }
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithFarTreeSel(AKTreeSel const& selection)
{
    fTreeSel = selection;
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTreeObject(AKObject const* object)
{
    fTreeSel = AKTreeSelWithObject(fTree, object);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTreeObjects(ATObjectArray<AKObject> const& objects)
{
    fTreeSel = AKTreeSelWithObjects(fTree, objects);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTreeNodes(AKNodeArray const& nodes)
{
    fTreeSel = AKTreeSelWithNodes(fTree, nodes);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTreeRawSelNodes(AKNodeArray const& nodes)
{
    fTreeSel = AKTreeSelWithRawSelNodes(fTree, nodes);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithTreeChildrenOfNode(AKNode const* node)
{
    fTreeSel = AKTreeSelWithChildrenOfNode(fTree, node);
    return *this;
}

// --- New objects ---

AKTreeActionParam& AKTreeActionParam::WithNewObject(AKObject* object)
{
    fNewObjects.Clear();
    if (object != nullptr)
        fNewObjects.Push(object);
    return *this;
}

AKTreeActionParam& AKTreeActionParam::WithNewObjects(ATObjectArray<AKObject> const& objects)
{
    fNewObjects = objects;
    return *this;
}

// --- Post-treatment ---

AKTreeActionParam& AKTreeActionParam::WithPostTreatmentClient(AKTreeActionPostTreatmentClient* client)
{
    fPostTreatmentClient = client;
    return *this;
}

int AKTreeActionParam::CallPostTreatmentClient(int commandID, AKTreeSel const& result) const
{
    return fPostTreatmentClient != nullptr ? fPostTreatmentClient->PostTreatment(commandID, result) : 0;
}

// --- Results ---

void AKTreeActionParam::CopyResults(AKTreeActionParam const& other)
{
    if (&other == this)
        return;
    fResultFlags = other.fResultFlags;
    fResultTreeSel = other.fResultTreeSel;
    fMoreInfo = other.fMoreInfo;
}

void AKTreeActionParam::ClearResults()
{
    fNewObjects.Clear();
    fResultFlags = 0;
    fResultTreeSel = kAKNullTreeSel;
    fMoreInfo.Clear();
}

void AKTreeActionParam::LowUpdateResultTreeSelTimeSelFromMoreInfo()
{
    static AKString const sKeyRedo(kAKTreeActionKeyTrackPartRedo);
    static AKString const sKeyUndo(kAKTreeActionKeyTrackPartUndo);

    if (fMoreInfo.IsEmpty())
        return;
    AKTimeIntv range = kAKNullTimeIntv;
    if ((fResultFlags & (kAKTreeActionDone | kAKTreeActionRedone)) != 0 &&
        AKValueGetasAKTimeIntv(fMoreInfo.GetValue(sKeyRedo), &range, true)) {
        fResultTreeSel.SetTimeSel(range);
    } else if ((fResultFlags & kAKTreeActionUndone) != 0 &&
               AKValueGetasAKTimeIntv(fMoreInfo.GetValue(sKeyUndo), &range, true)) {
        fResultTreeSel.SetTimeSel(range);
    }
}
