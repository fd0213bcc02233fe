#include "QVGandlerLibext.h"

#include "QVDocument.h"

QVDocument* QVGandlerLibext::DoDocumentNew(unsigned int documentType, unsigned int flags)
{
    return new QVDocument(documentType, flags);
}

int QVGandlerLibext::DoApplicationQuit(unsigned int, bool*) { return 0; }

void QVGandlerLibext::DoAlertMessage(AKString const&) {}

bool QVGandlerLibext::DoAlertOkCancel(AKString const&) { return false; }

bool QVGandlerLibext::DoDialogSaveFile(AKFilePath*, AKString const&, AKString const&, void*) { return false; }

bool QVGandlerLibext::DoDialogOpenSoundFiles(AKFilePathArray*, AKString const&, bool) { return false; }

bool QVGandlerLibext::DoDialogChooseDirectory(AKFilePath*, AKString const&) { return false; }

int QVGandlerLibext::DoDialogStandard(int) { return kQVGandlerDialogUnknown; }
