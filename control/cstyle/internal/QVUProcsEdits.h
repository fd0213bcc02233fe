#pragma once

// Edits of the C-style interface that the engine tree handler performs as
// one undoable step named after a command of the command table: the step
// runs inside the command's group, then the document synchronises its audio
// source and views with the result.

#include "AKObject.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVTreeHandler.h"

template <class Step>
int QVUProcRunEdit(QVDocument* document, int commandID, Step step)
{
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document);
    QVCommandInfo const* const command = QVCommands::GetByID(commandID);
    if (handler == nullptr || command == nullptr)
        return -1;
    int status = handler->DoEasyStart(*command, nullptr);
    if (status == 0)
        status = step(*handler);
    unsigned int const done = handler->DoEasyEnd();
    handler->SynchronizeFLFastLinks();
    if (done != 0)
        document->SynchronizeAllAndNotifyGandlerListeners();
    return status;
}
