#pragma once

// The command bracket of a handler operation that opens its own undo step:
// it starts the handler's command with the given entry, unless a command or
// a group is already running, in which case it only nests a group, so that
// an operation called from inside another command stays part of it.

#include "QVCommandInfo.h"
#include "QVTreeHandler.h"

class QVTreeHandlerEasyScope
{
public:
    QVTreeHandlerEasyScope(QVTreeHandler& handler, QVCommandInfo const& command);
    ~QVTreeHandlerEasyScope();

    QVTreeHandlerEasyScope(QVTreeHandlerEasyScope const&) = delete;
    QVTreeHandlerEasyScope& operator=(QVTreeHandlerEasyScope const&) = delete;

    // Closes the bracket (once) and returns the result flags of the step:
    // the group's when it was this bracket's own, else done with `nested`.
    unsigned int End(unsigned int nested);

private:
    QVTreeHandler& mHandler;
    bool mOwnCommand;
    bool mOpen = true;
};

// The command entries of the steps the handler opens itself.
QVCommandInfo const& QVTreeHandlerCommandTrackPartExtract();
QVCommandInfo const& QVTreeHandlerCommandEditPaste();
QVCommandInfo const& QVTreeHandlerCommandEditPasteModel();
