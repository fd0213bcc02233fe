#pragma once

// QVDocumentTreeHandler: the tree handler a document gives its tree. Every
// action that adds, removes or relinks nodes (deletions, cuts, pastes,
// duplicates, moves, copies, additions, undo and redo) runs inside an edit
// of the document's tree guard, so the look-ups other threads make in the
// tree wait for it (QVDocumentTreeGuard). The engine's own tree handler
// derives from this one.
//
// Main thread only, as every tree handler.

#include "AKTreeHandler.h"

class QVDocumentTreeGuard;

class QVDocumentTreeHandler : public AKTreeHandler
{
public:
    // Bound to the tree and the guard, neither owned.
    QVDocumentTreeHandler(AKTree* tree, QVDocumentTreeGuard* guard);

    int DoUndo(AKTreeActionParam& param) override;
    int DoRedo(AKTreeActionParam& param) override;
    int DoDelete(AKTreeActionParam& param) override;
    int DoCutToPasteboard(AKTreeActionParam& param, AKTreeSelCache* cache) override;
    int DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache, AKString const& name) override;
    int DoDuplicate(AKTreeActionParam& param) override;
    int DoMoveTo(AKTreeActionParam& param) override;
    int DoCopyTo(AKTreeActionParam& param) override;
    int DoAddNewObjects(AKTreeActionParam& param) override;

    QVDocumentTreeGuard& GetTreeGuard() const { return *mGuard; }

private:
    QVDocumentTreeGuard* const mGuard;
};
