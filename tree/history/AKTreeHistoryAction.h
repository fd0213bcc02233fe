#pragma once

// AKTreeHistoryAction: the record of one action of a tree's undo history,
// and the only face of an action that the history sees. The history stores,
// names, groups and replays actions through it; the four kinds (creation,
// deletion, link, revision) derive from it.
//
// An action is built by the tree handler with the selection it concerns,
// handed to the history, which calls Setup, then Stack once to write the
// action's payload into its 'ACTN' chunk, and later Undo and Redo any number
// of times, alternately, reading that payload back. Once the payload is
// written the action keeps no node pointer: only IDs and file positions.
//
// Action IDs come from one process-wide counter starting at 1,000,000; every
// recorded action that does not replace the last one takes the next value,
// so the first is 1,000,001. Main thread only.

#include "AKString.h"
#include "AKTreeSel.h"
#include "ATArray.h"

class AKDictionary;
class AKHistoryFile;
class AKTree;
class AKTreeHistory;
class AKTreeNotifier;

// Signatures of the four kinds, stored big-endian in their payloads.
constexpr unsigned int kAKTreeHistoryActionCreate = 0x48435245;  // 'HCRE'
constexpr unsigned int kAKTreeHistoryActionDelete = 0x4844454C;  // 'HDEL'
constexpr unsigned int kAKTreeHistoryActionLink = 0x484C494B;    // 'HLIK'
constexpr unsigned int kAKTreeHistoryActionRevise = 0x48524556;  // 'HREV'

// The action ID counter's starting value.
constexpr unsigned int kAKTreeHistoryFirstActionIDBase = 1000000;

// The name of a step recorded with an empty name.
AKString const& AKTreeHistoryUnnamedActionShared();
#define kAKTreeHistoryUnnamedAction (AKTreeHistoryUnnamedActionShared())

class AKTreeHistoryAction
{
public:
    // Signature, command ID, name ("Unnamed Action" when empty) and the
    // selection, whose copy and ID are kept.
    AKTreeHistoryAction(unsigned int signature, int commandID, AKString const& name, AKTreeSel const& selection);
    virtual ~AKTreeHistoryAction();

    AKTreeHistoryAction(AKTreeHistoryAction const&) = delete;
    AKTreeHistoryAction& operator=(AKTreeHistoryAction const&) = delete;

    // Takes the history's tree and notifier, the action ID, the group
    // number and the position of the action's 'ACTN' chunk.
    virtual void Setup(AKTreeHistory const* history, unsigned int actionID, unsigned int groupNumber,
                       unsigned long long chunkPosition);
    // Writes the payload at the file's current position.
    virtual int Stack(AKHistoryFile& file) = 0;
    // Read the payload from the file's current position (just after the
    // action ID) and undo, respectively redo, the action. inGroup: the
    // action is replayed within a step of several actions, whose stamps the
    // history updates at the end. The result selection and more info are
    // first set empty.
    virtual int Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) = 0;
    virtual int Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel, AKDictionary* moreInfo) = 0;
    // Result bits of undoing, and of redoing (also those of doing).
    virtual unsigned int ActionKindOnUndone() const = 0;
    virtual unsigned int ActionKindOnRedone() const = 0;

    // Command ID and name ("Unnamed Action" when empty).
    void SetActionName(int commandID, AKString const& name);
    // The group's number, given to every step of a group when it ends.
    void SetGroupNumber(unsigned int groupNumber) { fGroupNumber = groupNumber; }

    AKTree* GetTree() const { return fTree; }
    AKTreeNotifier* GetNotifier() const { return fNotifier; }
    AKTreeSel const& GetTreeSel() const { return fTreeSel; }
    unsigned int GetTreeSelID() const { return fTreeSelID; }
    int GetCommandID() const { return fCommandID; }
    AKString const& GetName() const { return fName; }
    unsigned int GetSignature() const { return fSignature; }
    unsigned int GetActionID() const { return fActionID; }
    unsigned int GetGroupNumber() const { return fGroupNumber; }
    unsigned long long GetChunkPosition() const { return fChunkPosition; }

    // What, besides the signature, must agree for a revision to replace the
    // previous one (its with-children flag); 0 for the other kinds.
    unsigned int GetMergeVariant() const { return fMergeVariant; }

    // Advances the process-wide counter and returns its new value.
    static unsigned int NextActionID();

protected:
    void SetMergeVariant(unsigned int variant) { fMergeVariant = variant; }
    // Drops the selection once the payload is written: no node pointer is kept.
    void ForgetTreeSel();

    AKTree* fTree = nullptr;
    AKTreeNotifier* fNotifier = nullptr;
    AKTreeSel fTreeSel;
    unsigned int fTreeSelID = 0;
    int fCommandID = 0;
    AKString fName;
    unsigned int fSignature = 0;
    unsigned int fActionID = 0;
    unsigned int fGroupNumber = 0;
    unsigned long long fChunkPosition = 0;

private:
    unsigned int fMergeVariant = 0;
};

// The history's records, owned.
class AKTreeHistoryActionArray : public ATArray<AKTreeHistoryAction*>
{
public:
    AKTreeHistoryActionArray() = default;
    ~AKTreeHistoryActionArray() { DeleteAllActions(); }

    AKTreeHistoryActionArray(AKTreeHistoryActionArray const&) = delete;
    AKTreeHistoryActionArray& operator=(AKTreeHistoryActionArray const&) = delete;

    // Deletes every action, last first, and empties the array.
    void DeleteAllActions() { DeleteActionsFrom(0); }
    // Deletes the actions from the index to the end, last first; nothing
    // for an index at or beyond the size.
    void DeleteActionsFrom(unsigned int index);
};
