// QVDocumentTreeHandler: the structural actions of a document's tree inside edits of its guard.

#include "QVDocumentTreeHandler.h"

#include "QVDocumentTreeGuard.h"

QVDocumentTreeHandler::QVDocumentTreeHandler(AKTree* tree, QVDocumentTreeGuard* guard)
    : AKTreeHandler(tree), mGuard(guard)
{}

int QVDocumentTreeHandler::DoUndo(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoUndo(param);
}

int QVDocumentTreeHandler::DoRedo(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoRedo(param);
}

int QVDocumentTreeHandler::DoDelete(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoDelete(param);
}

int QVDocumentTreeHandler::DoCutToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoCutToPasteboard(param, cache);
}

int QVDocumentTreeHandler::DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache,
                                                 AKString const& name)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoPasteFromPasteboard(param, cache, name);
}

int QVDocumentTreeHandler::DoDuplicate(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoDuplicate(param);
}

int QVDocumentTreeHandler::DoMoveTo(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoMoveTo(param);
}

int QVDocumentTreeHandler::DoCopyTo(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoCopyTo(param);
}

int QVDocumentTreeHandler::DoAddNewObjects(AKTreeActionParam& param)
{
    QVDocumentTreeGuard::EditScope edit(*mGuard);
    return AKTreeHandler::DoAddNewObjects(param);
}
