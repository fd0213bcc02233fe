#pragma once

// QVCommands: the fixed table of the system's 108 commands, IDs 8193 to 8300.
// Each command has one constant entry, kQVCmd_<name> (kQVCmd_DocumentOpen),
// that code issuing the command refers to directly, and an ID constant
// kQVCmdID_<name> for switching on IDs. The entries are empty until
// BuildCommandInfoList has run at start-up (after the engine environment),
// and only read afterwards. The table holds no behaviour.
//
// Families by ID range: 8193-8195 global settings (hidden), 8196-8218
// application, 8219-8231 document, 8232-8242 edit, 8243-8255 view,
// 8256-8266 sequence, 8267-8271 player, 8272-8273 playable plug-in,
// 8274-8276 smart actions, 8277-8281 track, 8282-8299 track part, 8300 track
// marker drag. Main thread only.

#include "QVCommandInfo.h"

constexpr int kQVCommandIDFirst = 8193;
constexpr int kQVCommandIDLast = 8300;
constexpr unsigned int kQVCommandCount = kQVCommandIDLast - kQVCommandIDFirst + 1;

enum QVCommandID : int {
#define QV_COMMAND(name, id, menu, shortcut, shortLabel, popup, icon) kQVCmdID_##name = id,
#include "QVCommandTable.def"
};

#define QV_COMMAND(name, id, menu, shortcut, shortLabel, popup, icon) extern QVCommandInfo const& kQVCmd_##name;
#include "QVCommandTable.def"

// The null command: ID 0, every text empty.
#define kQVCmd_Null (QVNullCommandInfoShared())

class QVCommands
{
public:
    // Fills every entry from the table, its labels passed through the
    // localisation of the "Application" domain. Running it again rebuilds
    // the same table.
    static void BuildCommandInfoList();
    // The command's entry; kQVCmd_Null for an ID outside 8193-8300 or before
    // the table is built. Never null.
    static QVCommandInfo const* GetByID(int commandID);
};
