#pragma once

// QVCommandInfo: one entry of the command table. The tree handler keeps a
// copy of the entry of the command being performed and the history names
// each undoable step after it; of the entry they read only the command ID
// and the menu label, which is also the label of the command's undo step.
// A plain value: copying copies all seven fields.

#include "AKString.h"

struct QVCommandInfo {
    int fCommandID = 0;
    // Empty in every entry of the command table.
    AKString fReserved;
    // Localised; it also names the undo step of the command.
    AKString fMenuLabel;
    AKString fShortcutSpec;
    AKString fShortLabel;
    AKString fPopupLabel;
    AKString fIconFileName;

    // ID 0 and six empty strings.
    QVCommandInfo() = default;
    QVCommandInfo(int commandID, AKString const& reserved, AKString const& menuLabel, AKString const& shortcutSpec,
                  AKString const& shortLabel, AKString const& popupLabel, AKString const& iconFileName)
        : fCommandID(commandID), fReserved(reserved), fMenuLabel(menuLabel), fShortcutSpec(shortcutSpec),
          fShortLabel(shortLabel), fPopupLabel(popupLabel), fIconFileName(iconFileName)
    {}
    // The entry of a command known by its ID and menu label alone.
    QVCommandInfo(int commandID, AKString const& menuLabel) : fCommandID(commandID), fMenuLabel(menuLabel) {}

    int GetCommandID() const { return fCommandID; }
    AKString const& GetMenuLabel() const { return fMenuLabel; }
};

// The shared empty entry (ID 0, six empty strings), made on first use so
// that it exists before any other code runs.
inline QVCommandInfo const& QVNullCommandInfoShared()
{
    static QVCommandInfo const sNull;
    return sNull;
}
#define kQVNullCommandInfo (QVNullCommandInfoShared())
