// Documents through the C-style interface: each edit runs as the command of
// the command handler, without dialogs.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVDocumentTreeHandler.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

#include <vector>

namespace {

AKKeyC15 const kKeyName("name");
AKKeyC15 const kKeyPath("path");

// Edit words and their command IDs.
struct EditWord {
    AKKeyC15 word;
    int commandID;
};
EditWord const kEditWords[] = {
    {AKKeyC15("undo"), 8232},  {AKKeyC15("redo"), 8233},      {AKKeyC15("cut"), 8236},    {AKKeyC15("copy"), 8237},
    {AKKeyC15("paste"), 8238}, {AKKeyC15("duplicate"), 8240}, {AKKeyC15("delete"), 8241},
};
constexpr int kPasteCommandID = 8238;

int ActiveDocumentID() { return static_cast<int>(QVDocumentMgr::sShared.GetActiveDocumentID()); }

int CheckDocumentOnly(int document, QVDocument** found)
{
    QVUProcEnter();
    return QVUProcCheckDocument(document, found);
}

}  // namespace

extern "C" {

int _QX_newDocument(char const* name, int* document)
{
    QVUProcEnter();
    QVUProcPut(document, 0);
    QVGandlerParam param(nullptr);
    param.WithOptionAsAKString("DocName", QVUProcText(name));
    int const status = QVGandler::sShared.DoCmd_DocumentNew(param, false);
    if (status == 0)
        QVUProcPut(document, ActiveDocumentID());
    return status;
}

int _QX_openDocument(char const* path, int* document)
{
    QVUProcEnter();
    QVUProcPut(document, 0);
    int status = QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
    if (status != 0)
        return status;
    QVGandlerParam param(nullptr);
    param.WithOptionAsAKFilePath("DocPath", AKFilePath(QVUProcText(path)));
    status = QVGandler::sShared.DoCmd_DocumentOpen(param, false);
    if (status == 0)
        QVUProcPut(document, ActiveDocumentID());
    return status;
}

int _QX_getActiveDocument(int* document)
{
    QVUProcEnter();
    QVUProcPut(document, ActiveDocumentID());
    return 0;
}

int _QX_getDocuments(int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutIDs(QVDocumentMgr::sShared.GetDocumentIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_existsDocument(int document, int* exists)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKLogErrorMute();
    int const status = QVUProcCheckDocument(document, &found);
    AKLogErrorUnmute();
    QVUProcPut(exists, status == 0 ? 1 : 0);
    return 0;
}

int _QX_activateDocument(int document)
{
    QVDocument* found = nullptr;
    int const status = CheckDocumentOnly(document, &found);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    return QVGandler::sShared.DoCmd_DocumentActivate(param);
}

int _QX_saveDocument(int document)
{
    QVDocument* found = nullptr;
    int const status = CheckDocumentOnly(document, &found);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    return QVGandler::sShared.DoCmd_DocumentSave(param, false);
}

int _QX_saveAsDocument(int document, char const* path, unsigned int overwrite)
{
    QVDocument* found = nullptr;
    int status = CheckDocumentOnly(document, &found);
    if (status == 0)
        status = QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
    if (status == 0)
        status = QVUProcCheckBoolean(overwrite);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    if (QVUProcText(path) == AKString("#DIALOG#"))
        return QVGandler::sShared.DoCmd_DocumentSaveAs(param, true);
    param.WithOptionAsAKFilePath("DocPath", AKFilePath(QVUProcText(path)));
    param.WithOptionAsBool("Overwrite", overwrite != 0);
    return QVGandler::sShared.DoCmd_DocumentSaveAs(param, false);
}

int _QX_closeDocument(int document)
{
    QVDocument* found = nullptr;
    int const status = CheckDocumentOnly(document, &found);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    return QVUProcRunWithPullsHeld(document, [&param] { return QVGandler::sShared.DoCmd_DocumentClose(param, false); });
}

int _QX_historyOnDocument(int document, char const* command, int* result)
{
    QVUProcPut(result, 0);
    QVDocument* found = nullptr;
    int status = CheckDocumentOnly(document, &found);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(command, &word, true);
    if (status != 0)
        return status;
    QVDocumentTreeHandler* const handler = found->GetTreeHandler();
    if (word == AKKeyC15("canUndo"))
        QVUProcPut(result, handler->CanUndo(nullptr, nullptr) ? 1 : 0);
    else if (word == AKKeyC15("canRedo"))
        QVUProcPut(result, handler->CanRedo(nullptr, nullptr) ? 1 : 0);
    else if (word == AKKeyC15("opened"))
        QVUProcPut(result, handler->IsHistoryOpened() ? 1 : 0);
    else if (word == AKKeyC15("enabled"))
        QVUProcPut(result, handler->IsHistoryEnabled() ? 1 : 0);
    else if (word == AKKeyC15("reopen"))
        return handler->ReopenHistory();
    else if (word == AKKeyC15("close"))
        handler->CloseHistory();
    else if (word == AKKeyC15("disabon"))
        return handler->SetHistoryTemporarilyDisabled();
    else if (word == AKKeyC15("disaboff"))
        return handler->SetHistoryTemporarilyDisabledOff();
    else
        return AKLogError(kQVErrorUProcCommandUnknown, "Unknown command \"%s\"", word.c_str());
    return 0;
}

int _QX_commandOnDocument(int document, char const* command, int const* objects, int count, int** results,
                          int* resultCount)
{
    static std::vector<int> sResults;
    sResults.clear();
    QVUProcPutList(sResults, results, resultCount);
    QVDocument* found = nullptr;
    ATObjectArray<AKObject> listed;
    int status = CheckDocumentOnly(document, &found);
    if (status == 0)
        status = QVUProcCheckObjectList(found, objects, count, &listed);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(command, &word, true);
    if (status != 0)
        return status;
    int commandID = 0;
    for (EditWord const& each : kEditWords) {
        if (each.word == word)
            commandID = each.commandID;
    }
    if (commandID == 0)
        return AKLogError(kQVErrorUProcCommandUnknown, "Unknown command \"%s\"", word.c_str());

    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObjects(listed);
    // A paste on one object pastes into it, as its last children.
    if (commandID == kPasteCommandID && listed.Count() == 1)
        param.GetTreeActionParam().WithTargetObject(listed[0], kAKLinkModeLastChildren);
    status = QVGandler::sShared.DoGenericCommand(commandID, param, false);
    if (status != 0)
        return status;
    AKTreeSel const& result = param.GetTreeActionParam().GetResultTreeSel();
    for (unsigned int i = 0; i < result.CountNodes(); ++i)
        sResults.push_back(result.GetNode(i)->GetID());
    QVUProcPutList(sResults, results, resultCount);
    return 0;
}

int _QX_getDocumentParamString(int document, char const* key, char const** value)
{
    QVUProcPut(value, QVUProcEmptyText());
    QVDocument* found = nullptr;
    int status = CheckDocumentOnly(document, &found);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(key, &word, true);
    if (status != 0)
        return status;
    if (word == kKeyName)
        QVUProcPutText(value, found->GetDocumentName());
    else if (word == kKeyPath)
        QVUProcPutText(value, found->GetDocumentFilePath().String());
    else
        return AKLogError(kQVErrorUProcParamKeyUnknown, "Unknown parameter \"%s\" for object of type <%s>",
                          word.c_str(), "document");
    return 0;
}

int _QX_setDocumentNextObjectID(int document, int nextID)
{
    QVDocument* found = nullptr;
    int const status = CheckDocumentOnly(document, &found);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.WithOptionAsSInt("NextID", nextID);
    return QVGandler::sShared.DoCmd_DocumentSetNextObjectID(param);
}

int _QX_logInfoDocument(int document)
{
    QVDocument* found = nullptr;
    int const status = CheckDocumentOnly(document, &found);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    return QVGandler::sShared.DoCmd_DocumentLogInfo(param);
}

}  // extern "C"
