// The tree handler: construction, the history, undo and redo, the tests,
// idling and the command groups. The checks, the actions and the steps under
// the current command have files of their own.

#include "AKTreeHandler.h"

#include "AKDictionary.h"
#include "AKIdlingCenter.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreePasteboard.h"

AKTreeHandler::AKTreeHandler(AKTree* tree) : fTree(tree), fNotifier(tree), fHistory(tree, &fNotifier) {}

AKTreeHandler::~AKTreeHandler() { fHistory.Close(); }

// --- History ---

bool AKTreeHandler::IsHistoryOpened() const { return fHistory.IsOpened(); }

int AKTreeHandler::ReopenHistory() { return fHistory.Reopen(); }

void AKTreeHandler::CloseHistory() { fHistory.Close(); }

bool AKTreeHandler::IsHistoryEnabled() const { return fHistory.IsEnabled(); }

int AKTreeHandler::SetHistoryTemporarilyDisabled()
{
    fHistory.SetTemporarilyDisabled();
    return 0;
}

int AKTreeHandler::SetHistoryTemporarilyDisabledOff()
{
    fHistory.SetTemporarilyDisabledOff();
    return 0;
}

void AKTreeHandler::DebugPrintHistory() const {}

bool AKTreeHandler::CanUndo(int* commandID, AKString* name) const
{
    int ignoredID = 0;
    AKString ignoredName;
    int* const idOut = commandID != nullptr ? commandID : &ignoredID;
    AKString* const nameOut = name != nullptr ? name : &ignoredName;
    if (IsReadOnly()) {
        *idOut = 0;
        *nameOut = AKString();
        return false;
    }
    return fHistory.GetUndoState(idOut, nameOut);
}

bool AKTreeHandler::CanRedo(int* commandID, AKString* name) const
{
    int ignoredID = 0;
    AKString ignoredName;
    int* const idOut = commandID != nullptr ? commandID : &ignoredID;
    AKString* const nameOut = name != nullptr ? name : &ignoredName;
    if (IsReadOnly()) {
        *idOut = 0;
        *nameOut = AKString();
        return false;
    }
    return fHistory.GetRedoState(idOut, nameOut);
}

namespace {

// Fills the record with what an undo or redo reported.
void SetReplayResults(AKTreeActionParam& param, int commandID, AKString const& name, unsigned int flags,
                      AKTreeSel const& selection, AKDictionary const& moreInfo)
{
    param.SetActionName(commandID, name);
    param.SetResultFlags(flags);
    param.SetResultTreeSel(selection);
    param.SetMoreInfo(moreInfo);
    param.LowUpdateResultTreeSelTimeSelFromMoreInfo();
}

}  // namespace

int AKTreeHandler::DoUndo(AKTreeActionParam& param)
{
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    int commandID = 0;
    AKString name;
    unsigned int flags = 0;
    AKTreeSel selection;
    AKDictionary moreInfo;
    int status = fHistory.CallUndo(&commandID, &name, &flags, &selection, &moreInfo);
    if (status == 0)
        SetReplayResults(param, commandID, name, flags, selection, moreInfo);
    return status;
}

int AKTreeHandler::DoRedo(AKTreeActionParam& param)
{
    if (IsReadOnly())
        return kAKErrorTreeHandlerReadOnly;
    int commandID = 0;
    AKString name;
    unsigned int flags = 0;
    AKTreeSel selection;
    AKDictionary moreInfo;
    int status = fHistory.CallRedo(&commandID, &name, &flags, &selection, &moreInfo);
    if (status == 0)
        SetReplayResults(param, commandID, name, flags, selection, moreInfo);
    return status;
}

// --- Tests ---

bool AKTreeHandler::CanBeModified() const { return CheckCanBeModified() == 0; }

bool AKTreeHandler::CanDelete(AKTreeActionParam const& param) const { return CheckDelete(param) == 0; }

bool AKTreeHandler::CanRename(AKTreeActionParam const& param) const { return CheckRename(param) == 0; }

bool AKTreeHandler::CanCutToPasteboard(AKTreeActionParam const& param) const
{
    return CheckCutToPasteboard(param) == 0;
}

bool AKTreeHandler::CanCopyToPasteboard(AKTreeActionParam const& param) const
{
    return CheckCopyToPasteboard(param) == 0;
}

bool AKTreeHandler::CanPasteFromPasteboard(AKTreeActionParam const& param) const
{
    return CheckPasteFromPasteboard(param, &AKTreePasteboard::sShared, nullptr, nullptr) == 0;
}

bool AKTreeHandler::CanDuplicate(AKTreeActionParam const& param) const { return CheckDuplicate(param) == 0; }

bool AKTreeHandler::CanMoveTo(AKTreeActionParam const& param) const
{
    return CheckMoveTo(param, nullptr, nullptr) == 0;
}

bool AKTreeHandler::CanCopyTo(AKTreeActionParam const& param) const
{
    return CheckCopyTo(param, nullptr, nullptr) == 0;
}

bool AKTreeHandler::CanAddNewObjects(AKTreeActionParam const& param) const { return CheckAddNewObjects(param) == 0; }

bool AKTreeHandler::CanReviseObjects(AKTreeActionParam const& param) const { return CheckReviseObjects(param) == 0; }

// --- Idling and default folders ---

void AKTreeHandler::StartIdlingObjects() { fNotifier.GiveMeIdling(true); }

AKNode* AKTreeHandler::GetDefaultFolderTargetNode(AKClass const*, bool) const { return nullptr; }

// --- Commands ---

int AKTreeHandler::DoEasyStart(QVCommandInfo const& command, AKTreeActionPostTreatmentClient* client)
{
    fCurrentCommand = command;
    fCurrentClient = client;
    return fHistory.ActionGroupBegin();
}

unsigned int AKTreeHandler::DoEasyEnd()
{
    unsigned int result = 0;
    fHistory.ActionGroupEnd(fCurrentCommand.GetCommandID(), fCurrentCommand.GetMenuLabel(), &result);
    fCurrentCommand = kQVNullCommandInfo;
    fCurrentClient = nullptr;
    return result;
}

int AKTreeHandler::DoEasyActionGroupBegin() { return fHistory.ActionGroupBegin(); }

int AKTreeHandler::DoEasyActionGroupEnd(unsigned int* result)
{
    unsigned int flags = 0;
    int status = fHistory.ActionGroupEnd(fCurrentCommand.GetCommandID(), fCurrentCommand.GetMenuLabel(), &flags);
    if (result != nullptr)
        *result = flags;
    return status;
}

// --- Helpers ---

bool AKTreeHandler::IsReadOnly() const { return fTree != nullptr && fTree->IsReadOnly(); }

bool AKTreeHandler::IsInGroup() const { return fHistory.GetGroupDepth() > 0; }
