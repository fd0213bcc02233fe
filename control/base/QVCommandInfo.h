#pragma once

// QVCommandInfo: one entry of the command table. The tree handler keeps a
// copy of the entry of the command being performed and the history names
// each undoable step after it; of the entry they read only the command ID
// and the menu label, which is also the label of the command's undo step.
// A plain value: copying copies all seven fields. Absent texts are empty
// strings (a null text argument gives one).
//
// The command table (QVCommands.h) holds one constant entry per command; the
// user interface reads the texts: menus show the menu label, command buttons
// the button label, the floating command popup the icon with the popup tip.

#include "AKString.h"

struct QVCommandInfo {
    int fCommandID = 0;
    // Empty in every entry of the command table.
    AKString fReserved;
    // Localised; it also names the undo step of the command.
    AKString fMenuLabel;
    AKString fShortcutText;
    AKString fShortLabel;
    AKString fPopupLabel;
    AKString fIconFileName;

    // ID 0 and six empty strings.
    QVCommandInfo() = default;
    QVCommandInfo(int commandID, AKString const& reserved, AKString const& menuLabel, AKString const& shortcut,
                  AKString const& shortLabel, AKString const& popupLabel, AKString const& iconFileName)
        : fCommandID(commandID), fReserved(reserved), fMenuLabel(menuLabel), fShortcutText(shortcut),
          fShortLabel(shortLabel), fPopupLabel(popupLabel), fIconFileName(iconFileName)
    {}
    // The entry of a command known by its ID and menu label alone.
    QVCommandInfo(int commandID, AKString const& menuLabel) : fCommandID(commandID), fMenuLabel(menuLabel) {}

    int GetCommandID() const { return fCommandID; }
    AKString const& GetName() const { return fReserved; }
    AKString const& GetMenuLabel() const { return fMenuLabel; }
    AKString const& GetShortcutText() const { return fShortcutText; }
    AKString const& GetShortLabel() const { return fShortLabel; }
    AKString const& GetPopupLabel() const { return fPopupLabel; }
    AKString const& GetIconFileName() const { return fIconFileName; }

    // The text of a button running the command: the short label, else the
    // menu label.
    AKString const& GetButtonLabel() const { return fShortLabel.IsEmpty() ? fMenuLabel : fShortLabel; }
    // The tip beside the command's icon in the floating popup: the popup
    // label, else the button label.
    AKString const& GetPopupTip() const { return fPopupLabel.IsEmpty() ? GetButtonLabel() : fPopupLabel; }
    // Commands reached by ID only carry the menu label "xxxx" and appear in
    // no menu.
    bool IsHidden() const { return fMenuLabel.StdString() == "xxxx"; }
};

// The shared empty entry (ID 0, six empty strings), made on first use so
// that it exists before any other code runs.
inline QVCommandInfo const& QVNullCommandInfoShared()
{
    static QVCommandInfo const sNull;
    return sNull;
}
#define kQVNullCommandInfo (QVNullCommandInfoShared())
