// The command bracket of handler operations that open their own undo step.

#include "QVTreeHandlerTrackPartsEasy.h"

#include "AKTreeActionParam.h"
#include "QVLocale.h"

QVTreeHandlerEasyScope::QVTreeHandlerEasyScope(QVTreeHandler& handler, QVCommandInfo const& command)
    : mHandler(handler),
      mOwnCommand(handler.GetCurrentCommand().GetCommandID() == 0 && handler.GetHistory().GetGroupDepth() == 0)
{
    if (mOwnCommand)
        mHandler.DoEasyStart(command, nullptr);
    else
        mHandler.DoEasyActionGroupBegin();
}

QVTreeHandlerEasyScope::~QVTreeHandlerEasyScope() { End(0); }

unsigned int QVTreeHandlerEasyScope::End(unsigned int nested)
{
    if (!mOpen)
        return 0;
    mOpen = false;
    if (mOwnCommand)
        return mHandler.DoEasyEnd();
    mHandler.DoEasyActionGroupEnd(nullptr);
    return kAKTreeActionDone | nested;
}

// The engine sits below the command table: these entries repeat the IDs and
// menu labels the table gives the same commands.
QVCommandInfo const& QVTreeHandlerCommandTrackPartExtract()
{
    static QVCommandInfo const sEntry(8288, QVLocaleGetString("Extract Track Selection"));
    return sEntry;
}

QVCommandInfo const& QVTreeHandlerCommandEditPaste()
{
    static QVCommandInfo const sEntry(8238, QVLocaleGetString("Paste"));
    return sEntry;
}

QVCommandInfo const& QVTreeHandlerCommandEditPasteModel()
{
    static QVCommandInfo const sEntry(8239, QVLocaleGetString("Paste Model"));
    return sEntry;
}
