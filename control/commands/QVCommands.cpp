#include "QVCommands.h"

#include "QVLocale.h"

namespace {

// The entries, in ID order. The named references below bind to them at
// compile time, so code may hold them before the table is built.
QVCommandInfo sEntries[kQVCommandCount];

// The look-up table: the entries' addresses once built, empty before.
QVCommandInfo const* sTable[kQVCommandCount] = {};
unsigned int sTableSize = 0;

void StoreEntry(QVCommandInfo const& entry)
{
    unsigned int const slot = static_cast<unsigned int>(entry.GetCommandID() - kQVCommandIDFirst);
    if (slot >= sTableSize)
        return;
    sEntries[slot] = entry;
    sTable[slot] = &sEntries[slot];
}

}  // namespace

#define QV_COMMAND(name, id, menu, shortcut, shortLabel, popup, icon)                                                  \
    QVCommandInfo const& kQVCmd_##name = sEntries[(id)-kQVCommandIDFirst];
#include "QVCommandTable.def"

void QVCommands::BuildCommandInfoList()
{
    for (QVCommandInfo const*& slot : sTable)
        slot = nullptr;
    sTableSize = kQVCommandCount;

    QVLocaleSetDomain("Application");
#define QV_COMMAND(name, id, menu, shortcut, shortLabel, popup, icon)                                                  \
    StoreEntry(QVCommandInfo(id, "", QVLocaleGetString(menu), shortcut, QVLocaleGetString(shortLabel),                 \
                             QVLocaleGetString(popup), icon));
#include "QVCommandTable.def"
}

QVCommandInfo const* QVCommands::GetByID(int commandID)
{
    unsigned int const slot = static_cast<unsigned int>(commandID) - static_cast<unsigned int>(kQVCommandIDFirst);
    if (slot < sTableSize && sTable[slot] != nullptr)
        return sTable[slot];
    return &kQVCmd_Null;
}
