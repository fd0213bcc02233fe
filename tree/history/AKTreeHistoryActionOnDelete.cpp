// Deletion actions of the history: a creation's payload, replayed crosswise.

#include "AKTreeHistoryActionOnCreate.h"

#include "AKTreeActionParam.h"

AKTreeHistoryActionOnDelete::AKTreeHistoryActionOnDelete(int commandID, AKString const& name,
                                                         AKTreeSel const& selection)
    : AKTreeHistoryActionOnCreate(kAKTreeHistoryActionDelete, commandID, name, selection)
{}

int AKTreeHistoryActionOnDelete::Undo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    return AKTreeHistoryActionOnCreate::Redo(file, inGroup, resultSel, moreInfo);
}

int AKTreeHistoryActionOnDelete::Redo(AKHistoryFile const& file, bool inGroup, AKTreeSel* resultSel,
                                      AKDictionary* moreInfo)
{
    return AKTreeHistoryActionOnCreate::Undo(file, inGroup, resultSel, moreInfo);
}

unsigned int AKTreeHistoryActionOnDelete::ActionKindOnUndone() const
{
    return kAKTreeActionCreated | kAKTreeActionUndone;
}

unsigned int AKTreeHistoryActionOnDelete::ActionKindOnRedone() const
{
    return kAKTreeActionDeleted | kAKTreeActionRedone;
}
