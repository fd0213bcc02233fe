// Commands on whole documents: new, open, save, save as, close, activate,
// the document-wide resets, the next node ID and the log. None of them
// leaves an undo step. New and opened documents are made by the host, so an
// application gets its own document class.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVGandler.h"
#include "QVLibBasicOptions.h"
#include "QVTreeHandler.h"

namespace {

// The flags of a document the handler creates, from the engine's options.
unsigned int CreationFlags()
{
    unsigned int flags = 0;
    if (gQVLib.realTime)
        flags |= kQVDocumentFlagRealTimeAudio;
    if (gQVLib.undoRedo)
        flags |= kQVDocumentFlagUndoRedo;
    if (gQVLib.persistIDs)
        flags |= kQVDocumentFlagPersistentIDs;
    return flags;
}

unsigned int InteractiveFlag(bool withDialog) { return withDialog ? kQVGandlerFlagInteractive : 0; }

char const* NameOf(QVDocument const* document)
{
    return document != nullptr ? document->GetDocumentName().c_str() : "???";
}

// The host's new document object, initialised by `init`; deleted when that
// fails, made the active document when it succeeds.
template <class Init>
int MakeDocument(QVGandlerLibext& host, Init init)
{
    QVDocument* const document = host.DoDocumentNew(kQVGandlerDocumentType, CreationFlags());
    if (document == nullptr)
        return AKLogError(kQVErrorGandlerUndefDocument, "Undefined current document");
    int const status = init(document);
    if (status != 0)
        document->Delete();
    else
        QVDocumentMgr::sShared.SetActiveDocument(document);
    return status;
}

}  // namespace

int QVGandler::DoCmd_DocumentNew(QVGandlerParam& param, bool withDialog)
{
    AKString name;
    param.GetOptionAsAKString("DocName", &name);
    VerboseCommand("Document New WithName:\"%s\"", name.IsEmpty() ? "<Default>" : name.c_str());
    int const status = MakeDocument(GetLibext(), [&](QVDocument* document) {
        return document->OnDocumentNew(name, InteractiveFlag(withDialog), true);
    });
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentOpen(QVGandlerParam& param, bool withDialog)
{
    AKFilePath path;
    bool asTemplate = false;
    param.GetOptionAsAKFilePath("DocPath", &path);
    param.GetOptionAsBool("Zemplate", &asTemplate);
    VerboseCommand(asTemplate ? "Document Template Open:\"%s\"" : "Document Open:\"%s\"", path.FileName().c_str());
    int status = 0;
    if (path.IsEmpty()) {
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "DocPath");
    } else if (QVDocument* const open = QVDocumentMgr::sShared.GetDocumentByFilePath(path)) {
        // A file is never open twice.
        open->DoDocumentActivate();
        QVDocumentMgr::sShared.SetActiveDocument(open);
    } else {
        status = MakeDocument(GetLibext(), [&](QVDocument* document) {
            return document->OnDocumentOpen(path, InteractiveFlag(withDialog), asTemplate);
        });
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentSave(QVGandlerParam& param, bool withDialog)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    VerboseCommand("Document:\"%s\" Save", NameOf(document));
    bool cancelled = false;
    int status = CheckDocument(document);
    if (status == 0)
        status = document->DoDocumentSave(InteractiveFlag(withDialog), &cancelled);
    VerboseResult(status, cancelled, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentSaveAs(QVGandlerParam& param, bool withDialog)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    AKFilePath path;
    bool overwrite = false;
    param.GetOptionAsAKFilePath("DocPath", &path);
    bool const foundOverwrite = param.GetOptionAsBool("Overwrite", &overwrite);
    overwrite = foundOverwrite && overwrite && !withDialog;
    AKString const fileName = withDialog ? AKString("#DIALOG#") : path.FileName();
    VerboseCommand("Document:\"%s\" SaveAs:\"%s\"%s", NameOf(document), fileName.c_str(),
                   overwrite ? " Overwrite" : "");
    bool cancelled = false;
    int status = CheckDocument(document);
    if (status == 0 && !withDialog && path.IsEmpty())
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "DocPath");
    if (status == 0) {
        unsigned int const flags = InteractiveFlag(withDialog) | (overwrite ? kQVGandlerFlagOverwrite : 0);
        status = document->DoDocumentSaveAs(path, flags, &cancelled);
    }
    VerboseResult(status, cancelled, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentClose(QVGandlerParam& param, bool withDialog)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    VerboseCommand("Document:\"%s\" Close", NameOf(document));
    int const status = CheckDocument(document);
    bool cancelled = false;
    if (status == 0)
        document->DoDocumentClose(InteractiveFlag(withDialog), &cancelled);
    // The document may be gone now.
    VerboseResult(status, cancelled, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentActivate(QVGandlerParam& param)
{
    QVDocument* const document = param.GetDocument();
    VerboseCommand("Document:\"%s\" Activate", NameOf(document));
    int const status = CheckDocument(document);
    if (status == 0) {
        document->DoDocumentActivate();
        QVDocumentMgr::sShared.SetActiveDocument(document);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

namespace {

// The shape of the three resets: echo, document, the tree handler's reset
// (outside the history), result line.
template <class Reset>
int RunReset(QVGandlerParam& param, char const* word, Reset reset)
{
    QVDocument* const document = QVGandler::GetTargetOrDefaultDocument(param);
    QVGandler::VerboseCommand("Document:\"%s\" %s", NameOf(document), word);
    int const status = QVGandler::CheckDocument(document);
    if (status == 0) {
        if (QVTreeHandler* const handler = QVGandler::TreeHandlerOf(document))
            reset(*handler);
    }
    QVGandler::VerboseResult(status, false, nullptr);
    return status;
}

}  // namespace

int QVGandler::DoCmd_DocumentResetAllStartKeys(QVGandlerParam& param)
{
    return RunReset(param, "ResetAllStartKeys", [](QVTreeHandler& handler) { handler.DoResetAllStartKeys(); });
}

int QVGandler::DoCmd_DocumentResetAllMutesAndSolos(QVGandlerParam& param)
{
    return RunReset(param, "ResetAllMutesAndSolos", [](QVTreeHandler& handler) { handler.DoResetAllMutesAndSolos(); });
}

int QVGandler::DoCmd_DocumentStopAllPlayers(QVGandlerParam& param)
{
    return RunReset(param, "StopAllPlayers", [](QVTreeHandler& handler) { handler.DoStopAllPlayers(); });
}

int QVGandler::DoCmd_DocumentSetNextObjectID(QVGandlerParam& param)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    int nextID = 0;
    bool const found = param.GetOptionAsSInt("NextID", &nextID);
    VerboseCommand("Document:\"%s\" SetNextObjectID:%d", NameOf(document), nextID);
    int status = CheckDocument(document);
    if (status == 0 && !found)
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "NextID");
    if (status == 0 && nextID <= 0)
        status = AKLogError(kQVErrorGandlerWrongOption, "Wrong parameter <%s>", "NextID");
    if (status == 0)
        status = document->GetTree()->SetupPreferedNextNodeID(nextID);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_DocumentLogInfo(QVGandlerParam& param)
{
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    VerboseCommand("Document:\"%s\" LogInfo", NameOf(document));
    int const status = CheckDocument(document);
    if (status != 0)
        return status;
    document->LogInfo(3);
    return 0;
}
