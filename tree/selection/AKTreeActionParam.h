#pragma once

// AKTreeActionParam: the record that goes in and out of every tree action.
// The caller tells which command causes the action, where new or moved nodes
// go, which nodes are concerned and which new objects to add; the tree
// handler checks it, performs the action and writes back what happened
// (result flags, the nodes produced, extra results). Undo and redo report
// through the same record. It may also carry a post-treatment client, which
// the handler calls between an action and its recording.
//
// The record owns its strings, lists and dictionary; it refers to, and does
// not own, the tree, the nodes, the objects (new objects become the tree's
// once added) and the client. Copying copies every field, the client
// pointer included. Main thread only.

#include "AKDictionary.h"
#include "AKNodeID.h"
#include "AKNodeLinkMode.h"
#include "AKString.h"
#include "AKTreeSel.h"
#include "ATObjectArray.h"

class AKNode;
class AKNodeArray;
class AKObject;
class AKTree;
struct QVCommandInfo;

// Result flags of a tree action. The handler sets the done bit with the
// kinds of what it did; undo and redo report the undone or redone bit with
// the kinds of every step they replayed.
constexpr unsigned int kAKTreeActionDone = 0x1;
constexpr unsigned int kAKTreeActionUndone = 0x2;
constexpr unsigned int kAKTreeActionRedone = 0x4;
constexpr unsigned int kAKTreeActionCreated = 0x100;  // added, pasted, duplicated, copied, or re-created
constexpr unsigned int kAKTreeActionDeleted = 0x200;
constexpr unsigned int kAKTreeActionLinked = 0x400;       // moved
constexpr unsigned int kAKTreeActionRevised = 0x800;      // objects' data
constexpr unsigned int kAKTreeActionPasteboard = 0x1000;  // the pasteboard (or the given store) was written

// The kinds that change links somewhere.
constexpr unsigned int kAKTreeActionLinkKinds = kAKTreeActionCreated | kAKTreeActionDeleted | kAKTreeActionLinked;

// The keys of "more info" under which a track-part action reports the time
// range of its result, after doing or redoing it and after undoing it.
constexpr char const* kAKTreeActionKeyTrackPartRedo = "TrackPartR";
constexpr char const* kAKTreeActionKeyTrackPartUndo = "TrackPartU";

// Called by the handler after an action and before it is recorded.
class AKTreeActionPostTreatmentClient
{
public:
    virtual ~AKTreeActionPostTreatmentClient() = default;
    // The command ID and the action's result selection; a non-zero status
    // stops the action before it is recorded.
    virtual int PostTreatment(int commandID, AKTreeSel const& result) = 0;
};

class AKTreeActionParam
{
public:
    // An empty record for the tree (may be null): command ID 0, empty name,
    // no override, no target, link mode 0, empty selections with ID 0, no
    // new objects, flags 0, empty more info, no client.
    explicit AKTreeActionParam(AKTree* tree);

    AKTreeActionParam(AKTreeActionParam const&) = default;
    AKTreeActionParam& operator=(AKTreeActionParam const&) = default;

    // --- What causes the action ---

    void SetActionName(int commandID, AKString const& name);
    // The entry's command ID and menu label.
    void SetActionName(QVCommandInfo const& command);
    AKTreeActionParam& WithActionNameOf(AKTreeActionParam const& other);
    // Lets a revision replace the previous history step instead of adding one.
    AKTreeActionParam& WithOverrideHistory(bool overrideHistory);

    // --- Where nodes go ---

    AKTreeActionParam& WithTargetNode(AKNode* node, AKLinkMode mode);
    // The node of that ID in the record's tree; null when not found or when
    // the record has no tree. The mode is set in every case.
    AKTreeActionParam& WithTargetNodeID(AKNodeID nodeID, AKLinkMode mode);
    // The object's owning node (null for a null object).
    AKTreeActionParam& WithTargetObject(AKObject* object, AKLinkMode mode);
    AKTreeActionParam& WithTargetNodeOf(AKTreeActionParam const& other);

    // --- The input selection ---

    // A selection of the record's tree is taken as it is (its ID included).
    // One of another tree is refused with kAKWarningTreeActionParamWrongOwner
    // and one without tree silently: the input selection then becomes the
    // empty selection.
    AKTreeActionParam& WithTreeSel(AKTreeSel const& selection);
    // Taken whatever its tree, for actions whose source may lie in another
    // tree (copying to another document).
    AKTreeActionParam& WithFarTreeSel(AKTreeSel const& selection);
    // A new selection of the record's tree (so a new selection ID), built by
    // the selection builder of the same name.
    AKTreeActionParam& WithTreeObject(AKObject const* object);
    AKTreeActionParam& WithTreeObjects(ATObjectArray<AKObject> const& objects);
    AKTreeActionParam& WithTreeNodes(AKNodeArray const& nodes);
    AKTreeActionParam& WithTreeRawSelNodes(AKNodeArray const& nodes);
    AKTreeActionParam& WithTreeChildrenOfNode(AKNode const* node);

    // --- New objects ---

    // The list becomes that object alone (empty for null).
    AKTreeActionParam& WithNewObject(AKObject* object);
    AKTreeActionParam& WithNewObjects(ATObjectArray<AKObject> const& objects);

    // --- Post-treatment ---

    // Not owned; null for none.
    AKTreeActionParam& WithPostTreatmentClient(AKTreeActionPostTreatmentClient* client);
    // 0 without a client, else the client's answer.
    int CallPostTreatmentClient(int commandID, AKTreeSel const& result) const;

    // --- Results ---

    // Result flags, result selection and more info of the other record.
    void CopyResults(AKTreeActionParam const& other);
    // Empties the new objects, sets the flags to 0, the result selection to
    // the empty selection and the more info to the empty dictionary.
    void ClearResults();
    void SetResultFlags(unsigned int flags) { fResultFlags = flags; }
    void AddResultFlags(unsigned int flags) { fResultFlags |= flags; }
    void SetResultTreeSel(AKTreeSel const& selection) { fResultTreeSel = selection; }
    void SetMoreInfo(AKDictionary const& moreInfo) { fMoreInfo = moreInfo; }
    AKDictionary& GetMoreInfo() { return fMoreInfo; }
    AKTreeSel& GetResultTreeSel() { return fResultTreeSel; }
    // Gives the result selection the time range a track-part action reported
    // in the more info: "TrackPartR" after doing or redoing, "TrackPartU"
    // after undoing. Nothing when the more info is empty or holds no
    // readable interval under the key that applies.
    void LowUpdateResultTreeSelTimeSelFromMoreInfo();

    // --- Fields ---

    int GetCommandID() const { return fCommandID; }
    AKString const& GetActionName() const { return fActionName; }
    bool IsOverrideHistory() const { return fOverrideHistory; }
    AKTree* GetTree() const { return fTree; }
    AKNode* GetTargetNode() const { return fTargetNode; }
    AKLinkMode GetLinkMode() const { return fLinkMode; }
    AKTreeSel const& GetTreeSel() const { return fTreeSel; }
    ATObjectArray<AKObject> const& GetNewObjects() const { return fNewObjects; }
    unsigned int GetResultFlags() const { return fResultFlags; }
    bool HasResultFlags(unsigned int flags) const { return (fResultFlags & flags) != 0; }
    AKTreeSel const& GetResultTreeSel() const { return fResultTreeSel; }
    AKDictionary const& GetMoreInfo() const { return fMoreInfo; }
    AKTreeActionPostTreatmentClient* GetPostTreatmentClient() const { return fPostTreatmentClient; }

private:
    int fCommandID = 0;
    AKString fActionName;
    bool fOverrideHistory = false;
    AKTree* fTree;
    AKNode* fTargetNode = nullptr;
    AKLinkMode fLinkMode = kAKLinkModeNone;
    AKTreeSel fTreeSel;
    ATObjectArray<AKObject> fNewObjects;
    unsigned int fResultFlags = 0;
    AKTreeSel fResultTreeSel;
    AKDictionary fMoreInfo;
    AKTreeActionPostTreatmentClient* fPostTreatmentClient = nullptr;
};

// The shared record built for no tree, made on first use.
AKTreeActionParam const& AKNullTreeActionParamShared();
#define kAKNullTreeActionParam (AKNullTreeActionParamShared())
