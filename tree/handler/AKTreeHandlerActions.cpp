// The tree handler's actions. Each calls its check through the virtual
// table, changes the tree through the tree's own operations, moves the
// change stamps through the notifier (at once, or at the end of the open
// action group), records the change in the history and reports in the
// record. A refused or failed action leaves the record's results as they
// were.

#include "AKTreeHandler.h"

#include "AKDictionary.h"
#include "AKNode.h"
#include "AKNodeIDArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeHistoryActionOnCreate.h"
#include "AKTreeHistoryActionOnLink.h"
#include "AKTreeHistoryActionOnRevise.h"
#include "AKTreePasteboard.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"

namespace {

constexpr unsigned int kDeleteKinds = kAKTreeActionDone | kAKTreeActionDeleted;
constexpr unsigned int kCutKinds = kAKTreeActionDone | kAKTreeActionDeleted | kAKTreeActionPasteboard;
constexpr unsigned int kCopyToStoreKinds = kAKTreeActionDone | kAKTreeActionPasteboard;
constexpr unsigned int kCreateKinds = kAKTreeActionDone | kAKTreeActionCreated;
constexpr unsigned int kLinkKinds = kAKTreeActionDone | kAKTreeActionLinked;
constexpr unsigned int kReviseKinds = kAKTreeActionDone | kAKTreeActionRevised;

// A null store and the shared pasteboard both mean the shared pasteboard.
AKTreeSelCache& StoreOrPasteboard(AKTreeSelCache* cache)
{
    return cache != nullptr ? *cache : AKTreePasteboard::sShared;
}

AKTreeSelCache const& StoreOrPasteboard(AKTreeSelCache const* cache)
{
    return cache != nullptr ? *cache : AKTreePasteboard::sShared;
}

void SetResults(AKTreeActionParam& param, unsigned int flags, AKTreeSel const& selection)
{
    param.SetResultFlags(flags);
    param.SetResultTreeSel(selection);
}

}  // namespace

// --- Removals ---

int AKTreeHandler::DoDelete(AKTreeActionParam& param)
{
    int status = CheckDelete(param);
    if (status != 0)
        return status;
    // The record's selection points at nodes about to go.
    AKTreeSel const selection = param.GetTreeSel();
    bool const inGroup = IsInGroup();

    // Recorded first, while its payload can still read the nodes; a failure
    // to write it leaves the tree untouched.
    status = fHistory.RegisterAction(
        new AKTreeHistoryActionOnDelete(param.GetCommandID(), param.GetActionName(), selection), false);
    if (status == 0)
        status = fNotifier.UpdateObjectsStampPrepare(selection, kDeleteKinds, false);
    if (status == 0)
        status = fTree->DoTreeSelDelete(selection);
    // Whatever happened, no mark is left pending outside a group.
    fNotifier.UpdateObjectsStamp(inGroup);
    if (status != 0)
        return status;
    fTree->CheckTreeCoherencyDebug();
    param.SetResultFlags(kDeleteKinds);
    return 0;
}

int AKTreeHandler::DoCutToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache)
{
    int status = CheckCutToPasteboard(param);
    if (status != 0)
        return status;
    AKTreeSel const selection = param.GetTreeSel();
    bool const inGroup = IsInGroup();

    // The store is written before anything is recorded: when it cannot be
    // written the cut is refused with nothing recorded and the tree as it
    // was (the deletion step must never outlive a failed cut).
    status = fTree->WriteTreeSelToCache(&StoreOrPasteboard(cache), selection);
    if (status == 0)
        status = fHistory.RegisterAction(
            new AKTreeHistoryActionOnDelete(param.GetCommandID(), param.GetActionName(), selection), false);
    if (status != 0)
        return status;
    status = fNotifier.UpdateObjectsStampPrepare(selection, kCutKinds, false);
    if (status == 0)
        status = fTree->DoTreeSelDelete(selection);
    fNotifier.UpdateObjectsStamp(inGroup);
    if (status != 0)
        return status;
    fTree->CheckTreeCoherencyDebug();
    param.SetResultFlags(kCutKinds);
    return 0;
}

int AKTreeHandler::DoCopyToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache)
{
    int status = CheckCopyToPasteboard(param);
    if (status == 0)
        status = fTree->WriteTreeSelToCache(&StoreOrPasteboard(cache), param.GetTreeSel());
    if (status != 0)
        return status;
    SetResults(param, kCopyToStoreKinds, param.GetTreeSel());
    return 0;
}

// --- Creations ---

int AKTreeHandler::DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache, AKString const& name)
{
    AKTreeSelCache const& store = StoreOrPasteboard(cache);
    AKNode* target = nullptr;
    AKLinkMode mode = kAKLinkModeNone;
    int status = CheckPasteFromPasteboard(param, &store, &target, &mode);
    if (status != 0)
        return status;
    bool const inGroup = IsInGroup();

    AKTreeSel pasted;
    status = fTree->ReadAndLinkTreeSelFromCache(&pasted, store, target, mode);
    if (status != 0)
        return status;
    if (!name.IsEmpty() && pasted.GetObjects().Count() == 1)
        pasted.GetObjects()[0]->akmSetName(name, false);
    if (pasted.IsEmpty()) {
        // A store whose dictionary holds no node inserts nothing: done,
        // with nothing to stamp, call back about or record.
        SetResults(param, kAKTreeActionDone, pasted);
        return 0;
    }
    return FinishCreation(param, pasted, inGroup, true);
}

int AKTreeHandler::DoDuplicate(AKTreeActionParam& param)
{
    int status = CheckDuplicate(param);
    if (status != 0)
        return status;
    bool const inGroup = IsInGroup();
    AKTreeSel duplicates;
    status = fTree->DoTreeSelDuplicate(&duplicates, param.GetTreeSel());
    if (status != 0)
        return status;
    return FinishCreation(param, duplicates, inGroup, true);
}

int AKTreeHandler::DoCopyTo(AKTreeActionParam& param)
{
    AKNode* target = nullptr;
    AKLinkMode mode = kAKLinkModeNone;
    int status = CheckCopyTo(param, &target, &mode);
    if (status != 0)
        return status;
    bool const inGroup = IsInGroup();
    AKTreeSel copies;
    status = fTree->DoTreeSelCopyTo(&copies, param.GetTreeSel(), target, mode);
    if (status != 0)
        return status;
    return FinishCreation(param, copies, inGroup, true);
}

int AKTreeHandler::DoAddNewObjects(AKTreeActionParam& param)
{
    int status = CheckAddNewObjects(param);
    if (status != 0)
        return status;
    bool const inGroup = IsInGroup();
    AKTreeSel added;
    status = fTree->DoTreeSelAddNewObjects(&added, nullptr, param.GetTargetNode(), param.GetLinkMode(),
                                           param.GetNewObjects());
    if (status != 0)
        return status;
    return FinishCreation(param, added, inGroup, false);
}

int AKTreeHandler::FinishCreation(AKTreeActionParam& param, AKTreeSel const& created, bool inGroup, bool callClient)
{
    fTree->CheckTreeCoherencyDebug();
    int status = fNotifier.UpdateObjectsStampPrepare(created, kCreateKinds, false);
    if (status != 0)
        return status;
    fNotifier.UpdateObjectsStamp(inGroup);
    if (callClient)
        status = param.CallPostTreatmentClient(param.GetCommandID(), created);
    if (status == 0)
        status = fHistory.RegisterAction(
            new AKTreeHistoryActionOnCreate(param.GetCommandID(), param.GetActionName(), created), false);
    if (status != 0)
        return status;
    SetResults(param, kCreateKinds, created);
    return 0;
}

// --- Move ---

int AKTreeHandler::DoMoveTo(AKTreeActionParam& param)
{
    AKNode* target = nullptr;
    AKLinkMode mode = kAKLinkModeNone;
    int status = CheckMoveTo(param, &target, &mode);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    bool const inGroup = IsInGroup();

    // The marks of the group's earlier steps, so that a move that changes
    // nothing withdraws its own marks only.
    AKTreeNotifierMarks before;
    fNotifier.GrabPendingMarks(&before);
    AKNodeIDArray oldLinks;
    selection.GetNodes().GrabNodeLinkIDs(&oldLinks);

    // The places left, then the places reached.
    status = fNotifier.UpdateObjectsStampPrepare(selection, kLinkKinds, false);
    if (status != 0)
        return status;
    AKTreeSel moved;
    status = fTree->DoTreeSelMove(&moved, selection, target, mode);
    if (status != 0) {
        fNotifier.UpdateObjectsStampCancel(before);
        return status;
    }
    fTree->CheckTreeCoherencyDebug();
    status = fNotifier.UpdateObjectsStampPrepare(moved, kLinkKinds, false);
    AKNodeIDArray newLinks;
    moved.GetNodes().GrabNodeLinkIDs(&newLinks);
    bool const changed = !(oldLinks == newLinks);
    if (changed)
        fNotifier.UpdateObjectsStamp(inGroup);
    else
        fNotifier.UpdateObjectsStampCancel(before);
    if (status != 0)
        return status;

    status = param.CallPostTreatmentClient(param.GetCommandID(), moved);
    if (status == 0 && changed)
        status = fHistory.RegisterAction(
            new AKTreeHistoryActionOnLink(param.GetCommandID(), param.GetActionName(), moved, oldLinks, newLinks),
            false);
    if (status != 0)
        return status;
    SetResults(param, changed ? kLinkKinds : 0, moved);
    return 0;
}

// --- Revision ---

int AKTreeHandler::DoReviseObjects(AKTreeActionParam& param, AKDictionary const& moreInfo, bool withChildren)
{
    int status = CheckReviseObjects(param);
    if (status != 0)
        return status;
    // The more info may be the record's own, which the results replace.
    AKDictionary const info = moreInfo;
    AKTreeSel const selection = param.GetTreeSel();
    status = fNotifier.UpdateObjectsStampPrepare(selection, kReviseKinds, false);
    if (status != 0)
        return status;
    fNotifier.UpdateObjectsStamp(IsInGroup());
    status = fHistory.RegisterAction(
        new AKTreeHistoryActionOnRevise(param.GetCommandID(), param.GetActionName(), selection, info, withChildren),
        param.IsOverrideHistory());
    if (status != 0)
        return status;
    SetResults(param, kReviseKinds, selection);
    param.SetMoreInfo(info);
    param.LowUpdateResultTreeSelTimeSelFromMoreInfo();
    return 0;
}
