// The action record shared by the four kinds, and the history's array of them.

#include "AKTreeHistoryAction.h"

#include "AKTreeHistory.h"

namespace {

unsigned int sLastActionID = kAKTreeHistoryFirstActionIDBase;

}  // namespace

AKString const& AKTreeHistoryUnnamedActionShared()
{
    static AKString const sName("Unnamed Action");
    return sName;
}

unsigned int AKTreeHistoryAction::NextActionID() { return ++sLastActionID; }

AKTreeHistoryAction::AKTreeHistoryAction(unsigned int signature, int commandID, AKString const& name,
                                         AKTreeSel const& selection)
    : fTreeSel(selection), fTreeSelID(static_cast<unsigned int>(selection.GetTreeSelID())), fSignature(signature)
{
    SetActionName(commandID, name);
}

AKTreeHistoryAction::~AKTreeHistoryAction() = default;

void AKTreeHistoryAction::Setup(AKTreeHistory const* history, unsigned int actionID, unsigned int groupNumber,
                                unsigned long long chunkPosition)
{
    fTree = history != nullptr ? history->GetTree() : nullptr;
    fNotifier = history != nullptr ? history->GetNotifier() : nullptr;
    fActionID = actionID;
    fGroupNumber = groupNumber;
    fChunkPosition = chunkPosition;
}

void AKTreeHistoryAction::SetActionName(int commandID, AKString const& name)
{
    fCommandID = commandID;
    fName = name.IsEmpty() ? kAKTreeHistoryUnnamedAction : name;
}

void AKTreeHistoryAction::ForgetTreeSel() { fTreeSel = kAKNullTreeSel; }

void AKTreeHistoryActionArray::DeleteActionsFrom(unsigned int index)
{
    while (Count() > index) {
        delete Last();
        Pop();
    }
}
