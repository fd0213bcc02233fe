#pragma once

// The rows of the command handler's dispatch table. A row covers a range of
// command IDs that share their executor, their lock rule and their test:
// `run` performs the command (null: not available in this build, so the ID
// is refused with -1 and never enabled), `lockable` makes the document's
// master-mode lock refuse it, and `can` is the test of CanGenericCommand
// beyond the lock (null: the lock alone decides).

#include "QVGandlerParam.h"

class AKTreeActionParam;
class QVGandler;
class QVTreeHandler;

struct QVGandlerDispatchRow {
    using Runner = int (*)(QVGandler& gandler, int commandID, QVGandlerParam& param, bool withDialog);
    using Tester = bool (*)(QVTreeHandler const& handler, int commandID, AKTreeActionParam const& action);

    int firstID;
    int lastID;
    bool lockable;
    Runner run;
    Tester can;
};

// The row of the ID, or null for an ID the table does not list.
QVGandlerDispatchRow const* QVGandlerFindDispatchRow(int commandID);
