#pragma once

// AKTreeHandler: the only door through which a document's tree is edited
// when the edit must be undoable. Each document owns one, bound to its tree.
//
// Every edit comes as a triple: a test (CanDelete), a check answering why
// not (CheckDelete, a status code) and the action (DoDelete). The action
// calls its own check again through the virtual table (so a subclass that
// tightens a check tightens the action too), changes the tree through the
// tree's own operations, keeps the change stamps right through the
// notifier, records the change in the history and reports what happened in
// the record (AKTreeActionParam).
//
// The handler also runs undo and redo, opens and closes the history, and
// offers the DoEasy layer: a command calls DoEasyStart with its command
// entry, performs its steps (DoEasyDeleteObjects and the like, each checked,
// performed, stamped and recorded) and calls DoEasyEnd, so that the whole
// command is one undo step named by its menu label.
//
// Checks log nothing: they answer the first refusal in the orders below and
// the caller reports it. Below, kAKErrorTreeHandlerBadTreeOwner on a selection
// means: the record's tree, or the tree of the record's selection, is not the
// handler's, or a selected node is not one of its nodes.
//
//   CheckCanBeModified       kAKErrorTreeHandlerReadOnly read-only tree
//   CheckHasSomeTreeSel      kAKErrorTreeHandlerReadOnly (writable flag set);
//                            kAKErrorTreeHandlerEmptyTreeSel empty selection;
//                            kAKErrorTreeHandlerBadTreeOwner
//   CheckHasTargetNode       kAKErrorTreeHandlerReadOnly (writable flag set);
//                            kAKErrorTreeHandlerBadTreeOwner record or target of another tree;
//                            kAKErrorTreeHandlerNoTargetNode no target;
//                            kAKErrorTreeHandlerBadTargetNodeType null class, target without
//                            object, or target's object not a kind of the class
//   CheckDelete, CheckCutToPasteboard, CheckDuplicate
//                            kAKErrorTreeHandlerReadOnly; kAKErrorTreeHandlerEmptyTreeSel;
//                            kAKErrorTreeHandlerBadTreeOwner;
//                            kAKErrorTreeHandlerBadTreeSelType the selection holds the root
//   CheckReviseObjects       kAKErrorTreeHandlerReadOnly; kAKErrorTreeHandlerEmptyTreeSel;
//                            kAKErrorTreeHandlerBadTreeOwner
//   CheckRename              kAKErrorTreeHandlerReadOnly; kAKErrorTreeHandlerEmptyTreeSel;
//                            kAKErrorTreeHandlerBadTreeOwner;
//                            kAKErrorTreeHandlerBadTreeSelType unless exactly one node
//   CheckCopyToPasteboard    kAKErrorTreeHandlerEmptyTreeSel; kAKErrorTreeHandlerBadTreeOwner
//                            (a read-only tree may be copied from)
//   CheckPasteFromPasteboard kAKErrorTreeHandlerReadOnly;
//                            kAKErrorTreeHandlerEmptyPasteboard empty store;
//                            kAKErrorTreeHandlerIncompatiblePasteboard no target accepts it
//   CheckMoveTo              kAKErrorTreeHandlerReadOnly; kAKErrorTreeHandlerEmptyTreeSel;
//                            kAKErrorTreeHandlerBadTreeOwner;
//                            kAKErrorTreeHandlerBadTreeSelType the selection holds the root;
//                            kAKErrorTreeHandlerBadTreeOwner target of another tree;
//                            kAKErrorTreeHandlerNoTargetNode no target;
//                            kAKErrorTreeHandlerNoLinkMode the record's target comes with link mode 0;
//                            kAKErrorTreeHandlerIncompatibleLink cannot be linked there;
//                            kAKErrorTreeHandlerCantMoveTreeSel the tree refuses
//   CheckCopyTo              kAKErrorTreeHandlerReadOnly; kAKErrorTreeHandlerEmptyTreeSel;
//                            kAKErrorTreeHandlerBadTreeOwner target of another tree;
//                            kAKErrorTreeHandlerNoTargetNode; kAKErrorTreeHandlerNoLinkMode;
//                            kAKErrorTreeHandlerIncompatibleLink (the selection may belong to
//                            another tree)
//   CheckAddNewObjects(rec)  kAKErrorTreeHandlerReadOnly;
//                            kAKErrorTreeHandlerNoObjectToAdd no new objects;
//                            kAKErrorTreeHandlerBadTreeOwner target of another tree;
//                            kAKErrorTreeHandlerNoTargetNode no target;
//                            kAKErrorTreeHandlerNoLinkMode link mode 0;
//                            kAKErrorTreeHandlerIncompatibleLink
//   CheckAddNewObjects(rec, class)
//                            kAKErrorTreeHandlerReadOnly;
//                            kAKErrorTreeHandlerBadTreeOwner target of another tree;
//                            kAKErrorTreeHandlerNoTargetNode; kAKErrorTreeHandlerNoLinkMode;
//                            kAKErrorTreeHandlerIncompatibleLink
//
// Target resolution. Moves and copies: the record's target and link mode;
// without a target, GetDefaultFolderTargetNode(common base class of the
// selection, false) with link mode 2. A move's target and mode are then
// adjusted by the tree (AKTree::CanTreeSelMove). The outputs (when given) are
// null and 0 after the refusals that come before the resolution; after it they
// hold the resolved target and mode (null and 2 when there is no target, the
// record's target and 0 for kAKErrorTreeHandlerNoLinkMode), also when a later
// refusal follows, except that the tree's refusal of a move
// (kAKErrorTreeHandlerCantMoveTreeSel) leaves null and 0. Pastes (a null store
// is the shared pasteboard): the first node of the handler's tree that the
// store can be linked into as last children: the record's target, the common
// parent of the record's selection, then GetDefaultFolderTargetNode(store's
// common base class, true); the mode output is always 2 and the node output
// null on a refusal.
//
// Results. A refused or failed action leaves the record's results as they
// were. On success:
//   DoDelete 0x201; DoCutToPasteboard 0x1201 (result selection unchanged)
//   DoCopyToPasteboard 0x1001, the input selection
//   DoPasteFromPasteboard, DoDuplicate, DoCopyTo, DoAddNewObjects 0x101, the new nodes
//                   (a paste of a dictionary store holding no node: 0x1, nothing)
//   DoMoveTo 0x401, or 0 when no link changed; the moved nodes
//   DoReviseObjects 0x801, the input selection, the more info and its time range
//   DoUndo, DoRedo: the history's flags, the step's selection, command ID,
//                   name, more info and time range
//
// Order of the recorded steps: a deletion is recorded before the tree
// changes, so a failure to write it leaves the tree untouched; a cut writes
// its store first, then records and deletes, so a store failure records
// nothing and leaves the tree untouched. Creations, moves and revisions are
// recorded after the change: a refusal by the post-treatment client or a
// failure to write the step leaves the change made and unrecorded. A failure
// inside a group leaves the group open; DoEasyEnd still closes it.
//
// Main thread only. The handler must not outlive its tree.

#include "AKNodeLinkMode.h"
#include "AKString.h"
#include "AKTreeActionParam.h"
#include "AKTreeHistory.h"
#include "AKTreeNotifier.h"
#include "ATObjectArray.h"
#include "QVCommandInfo.h"

class AKClass;
class AKDictionary;
class AKNode;
class AKObject;
class AKTree;
class AKTreeSelCache;

class AKTreeHandler
{
public:
    // Bound to the tree (not owned); the history is closed.
    explicit AKTreeHandler(AKTree* tree);
    // Closes the history.
    virtual ~AKTreeHandler();

    AKTreeHandler(AKTreeHandler const&) = delete;
    AKTreeHandler& operator=(AKTreeHandler const&) = delete;

    // --- History ---

    virtual bool IsHistoryOpened() const;
    // A fresh history of the tree's current state.
    virtual int ReopenHistory();
    // Drops every step and resets the temporary-disable count.
    virtual void CloseHistory();
    // Open and not temporarily disabled.
    virtual bool IsHistoryEnabled() const;
    // The temporary-disable count goes up, respectively down (never below
    // 0); both return 0.
    virtual int SetHistoryTemporarilyDisabled();
    virtual int SetHistoryTemporarilyDisabledOff();
    // Prints nothing.
    virtual void DebugPrintHistory() const;
    // The command ID and name of the step that would be undone, respectively
    // redone; false, 0 and the empty string for a read-only tree or when
    // there is none. Either output may be null.
    virtual bool CanUndo(int* commandID, AKString* name) const;
    virtual bool CanRedo(int* commandID, AKString* name) const;
    // kAKErrorTreeHandlerReadOnly for a read-only tree; else the history's undo or redo of one step.
    virtual int DoUndo(AKTreeActionParam& param);
    virtual int DoRedo(AKTreeActionParam& param);

    // --- Tests: true when the matching check answers 0 ---

    virtual bool CanBeModified() const;
    virtual bool CanDelete(AKTreeActionParam const& param) const;
    virtual bool CanRename(AKTreeActionParam const& param) const;
    virtual bool CanCutToPasteboard(AKTreeActionParam const& param) const;
    virtual bool CanCopyToPasteboard(AKTreeActionParam const& param) const;
    // Against the shared pasteboard.
    virtual bool CanPasteFromPasteboard(AKTreeActionParam const& param) const;
    virtual bool CanDuplicate(AKTreeActionParam const& param) const;
    virtual bool CanMoveTo(AKTreeActionParam const& param) const;
    virtual bool CanCopyTo(AKTreeActionParam const& param) const;
    virtual bool CanAddNewObjects(AKTreeActionParam const& param) const;
    virtual bool CanReviseObjects(AKTreeActionParam const& param) const;

    // --- Checks (orders in the comment at the top) ---

    virtual int CheckDelete(AKTreeActionParam const& param) const;
    virtual int CheckRename(AKTreeActionParam const& param) const;
    virtual int CheckCutToPasteboard(AKTreeActionParam const& param) const;
    virtual int CheckCopyToPasteboard(AKTreeActionParam const& param) const;
    // cache null: the shared pasteboard. target and mode may be null.
    virtual int CheckPasteFromPasteboard(AKTreeActionParam const& param, AKTreeSelCache const* cache, AKNode** target,
                                         AKLinkMode* mode) const;
    virtual int CheckDuplicate(AKTreeActionParam const& param) const;
    virtual int CheckMoveTo(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const;
    virtual int CheckCopyTo(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const;
    virtual int CheckAddNewObjects(AKTreeActionParam const& param) const;
    virtual int CheckAddNewObjects(AKTreeActionParam const& param, AKClass const* objectClass) const;
    virtual int CheckReviseObjects(AKTreeActionParam const& param) const;

    // --- Actions ---

    virtual int DoDelete(AKTreeActionParam& param);
    // cache null (or the shared pasteboard): the shared pasteboard.
    virtual int DoCutToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache);
    // Records nothing and moves no stamp.
    virtual int DoCopyToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache);
    // When the name is not empty and exactly one object was pasted, the
    // object takes the name.
    virtual int DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache, AKString const& name);
    virtual int DoDuplicate(AKTreeActionParam& param);
    virtual int DoMoveTo(AKTreeActionParam& param);
    virtual int DoCopyTo(AKTreeActionParam& param);
    // From here on the tree owns the objects. The post-treatment client is
    // not called.
    virtual int DoAddNewObjects(AKTreeActionParam& param);
    // Records a revision the caller has already made to the selected
    // objects (with their descendants when withChildren), merging into the
    // previous step when the record's override-history flag allows it.
    virtual int DoReviseObjects(AKTreeActionParam& param, AKDictionary const& moreInfo, bool withChildren);

    // --- Idling and default folders ---

    // Registers the notifier with the idling centre, so that objects asking
    // for idle time get it.
    virtual void StartIdlingObjects();
    // The node under which objects of the class go when a move, copy or
    // paste names no usable target (forPaste: a catch-all folder is
    // acceptable). Base: none.
    virtual AKNode* GetDefaultFolderTargetNode(AKClass const* objectClass, bool forPaste) const;

    // --- Building blocks of the checks ---

    int CheckCanBeModified() const;
    int CheckHasSomeTreeSel(AKTreeActionParam const& param, bool writable) const;
    int CheckHasTargetNode(AKTreeActionParam const& param, AKClass const* objectClass, bool writable) const;

    // --- Commands ---

    // The current command becomes a copy of the entry and the current
    // client the given one (may be null); opens an action group. Returns 0.
    int DoEasyStart(QVCommandInfo const& command, AKTreeActionPostTreatmentClient* client);
    // Closes the group under the current command's ID and menu label,
    // resets the command and the client, and returns the group's result
    // flags (the kinds of its recorded steps with the done bit, 0 when it
    // recorded nothing; without recording, the kinds performed with the
    // done bit, at least 0x1).
    unsigned int DoEasyEnd();
    // A nested group under the current command, for compound steps.
    int DoEasyActionGroupBegin();
    int DoEasyActionGroupEnd(unsigned int* result);

    // --- Steps under the current command ---
    // Each builds a record for the handler's tree named after the current
    // command, with the objects as a normalised selection (or as new
    // objects) and the target object's node with the mode, and calls the
    // virtual action. An empty or null list does nothing and answers 0.

    // The list is emptied in every case.
    int DoEasyDeleteObjects(ATObjectArray<AKObject>* objects);
    // On failure the objects that no node owns are deleted and the list is
    // emptied (objects already in the tree stay there).
    int DoEasyAddNewObjects(ATObjectArray<AKObject>* objects, AKObject* target, AKLinkMode mode);
    // moved (may be null): the move succeeded and changed links.
    int DoEasyMoveObjects(bool* moved, ATObjectArray<AKObject>* objects, AKObject* target, AKLinkMode mode);
    // The objects may belong to another tree; copies (may be null) receives
    // the copies' objects, or is emptied on failure or for an empty source.
    int DoEasyCopyObjects(ATObjectArray<AKObject>* copies, ATObjectArray<AKObject>* objects, AKObject* target,
                          AKLinkMode mode);
    // Never merges.
    int DoEasyReviseObjects(ATObjectArray<AKObject>* objects, AKDictionary const& moreInfo, bool withChildren);

    // The same for one object. The pointer is cleared: by the deletion in
    // every case; by the addition when it failed and the object was deleted;
    // never by the others.
    int DoEasyDeleteObject(AKObject** object);
    int DoEasyAddNewObject(AKObject** object, AKObject* target, AKLinkMode mode);
    int DoEasyMoveObject(bool* moved, AKObject** object, AKObject* target, AKLinkMode mode);
    int DoEasyCopyObject(ATObjectArray<AKObject>* copies, AKObject** object, AKObject* target, AKLinkMode mode);
    int DoEasyReviseObject(AKObject** object, AKDictionary const& moreInfo, bool withChildren);

    // --- State ---

    AKTree* GetTree() const { return fTree; }
    AKTreeNotifier& GetNotifier() { return fNotifier; }
    AKTreeNotifier const& GetNotifier() const { return fNotifier; }
    AKTreeHistory& GetHistory() { return fHistory; }
    AKTreeHistory const& GetHistory() const { return fHistory; }
    // The null entry between commands.
    QVCommandInfo const& GetCurrentCommand() const { return fCurrentCommand; }
    AKTreeActionPostTreatmentClient* GetCurrentPostTreatmentClient() const { return fCurrentClient; }

private:
    // The tree is read-only.
    bool IsReadOnly() const;
    // kAKErrorTreeHandlerBadTreeOwner unless the record and its selection belong to the handler's tree.
    int CheckOwnTreeSel(AKTreeActionParam const& param) const;
    // kAKErrorTreeHandlerReadOnly, kAKErrorTreeHandlerEmptyTreeSel, kAKErrorTreeHandlerBadTreeOwner,
    // kAKErrorTreeHandlerBadTreeSelType: the selection may be removed or moved.
    int CheckRemovableTreeSel(AKTreeActionParam const& param) const;
    // The record's target and mode, or the default folder (with mode 2) for
    // the selection's common base class; then kAKErrorTreeHandlerBadTreeOwner,
    // kAKErrorTreeHandlerNoTargetNode and kAKErrorTreeHandlerNoLinkMode.
    int ResolveMoveOrCopyTarget(AKTreeActionParam const& param, AKNode** target, AKLinkMode* mode) const;
    // kAKErrorTreeHandlerBadTreeOwner, kAKErrorTreeHandlerNoTargetNode and kAKErrorTreeHandlerNoLinkMode for the
    // record's own target and mode.
    int CheckRecordTarget(AKTreeActionParam const& param) const;
    // Whether an action starting now runs inside a group (its stamps move
    // when the group ends).
    bool IsInGroup() const;
    // The end of every creation once the tree holds the new nodes: stamps,
    // post-treatment client (when asked), record, results.
    int FinishCreation(AKTreeActionParam& param, AKTreeSel const& created, bool inGroup, bool callClient);
    // A record for the handler's tree named after the current command.
    AKTreeActionParam NewEasyParam(bool withClient) const;

    AKTree* fTree;
    AKTreeNotifier fNotifier;
    AKTreeHistory fHistory;
    QVCommandInfo fCurrentCommand;
    AKTreeActionPostTreatmentClient* fCurrentClient = nullptr;
};
