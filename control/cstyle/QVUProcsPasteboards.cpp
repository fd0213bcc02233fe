// Pasteboards through the C-style interface: the shared pasteboard of the
// edit commands and the named selection models.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreePasteboard.h"
#include "AKTreeSel.h"
#include "AKNode.h"
#include "AKTreeSelModel.h"
#include "AKTreeSelModelMgr.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

#include <vector>

namespace {

int CheckPath(char const* path)
{
    return QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
}

}  // namespace

extern "C" {

int _QX_globalPasteboardIsEmpty(int* empty)
{
    QVUProcEnter();
    QVUProcPut(empty, AKTreePasteboard::sShared.IsEmpty() ? 1 : 0);
    return 0;
}

int _QX_globalPasteboardClear(void)
{
    QVUProcEnter();
    AKTreePasteboard::sShared.Clear();
    return 0;
}

int _QX_newPasteboard(int* pasteboard)
{
    QVUProcEnter();
    int const status = QVUProcCheckPointer(pasteboard);
    if (status != 0)
        return status;
    AKTreeSelModel const* const model = AKTreeSelModelMgr::sShared.CreateModel(AKString());
    *pasteboard = model != nullptr ? static_cast<int>(model->GetModelID()) : 0;
    return 0;
}

int _QX_removePasteboard(int pasteboard)
{
    QVUProcEnter();
    AKTreeSelModel* model = nullptr;
    int const status = QVUProcCheckModel(pasteboard, &model);
    if (status != 0)
        return status;
    AKTreeSelModelMgr::sShared.RemoveModel(model);
    return 0;
}

int _QX_removeAllPasteboards(void)
{
    QVUProcEnter();
    AKTreeSelModelMgr::sShared.RemoveAllModels();
    return 0;
}

int _QX_getPasteboards(int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutIDs(AKTreeSelModelMgr::sShared.GetModelIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_isEmptyPasteboard(int pasteboard, int* empty)
{
    QVUProcEnter();
    AKTreeSelModel* model = nullptr;
    AKLogErrorMute();
    int const status = QVUProcCheckModel(pasteboard, &model);
    AKLogErrorUnmute();
    // An unknown pasteboard holds nothing.
    QVUProcPut(empty, status != 0 || model->IsEmpty() ? 1 : 0);
    return 0;
}

int _QX_clearPasteboard(int pasteboard)
{
    QVUProcEnter();
    AKTreeSelModel* model = nullptr;
    int const status = QVUProcCheckModel(pasteboard, &model);
    if (status != 0)
        return status;
    model->Clear();
    return 0;
}

int _QX_setPasteboardName(int pasteboard, char const* name)
{
    QVUProcEnter();
    AKTreeSelModel* model = nullptr;
    int status = QVUProcCheckModel(pasteboard, &model);
    if (status == 0)
        status = QVUProcCheckString(name, kQVUProcStringLimited, kQVUProcNameMax);
    if (status != 0)
        return status;
    AKTreeSelModelMgr::sShared.RenameModel(model, QVUProcText(name));
    return 0;
}

int _QX_getPasteboardName(int pasteboard, char const** name)
{
    QVUProcEnter();
    QVUProcPut(name, QVUProcEmptyText());
    AKTreeSelModel* model = nullptr;
    int const status = QVUProcCheckModel(pasteboard, &model);
    if (status != 0)
        return status;
    QVUProcPutText(name, model->GetModelName());
    return 0;
}

int _QX_writeObjectsToPasteboard(int pasteboard, int document, int const* objects, int count)
{
    QVUProcEnter();
    AKTreeSelModel* model = nullptr;
    QVDocument* found = nullptr;
    ATObjectArray<AKObject> listed;
    int status = QVUProcCheckModel(pasteboard, &model);
    if (status == 0)
        status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = QVUProcCheckObjectList(found, objects, count, &listed);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObjects(listed);
    return QVGandler::sShared.DoCmd_EditCopy(param, model);
}

int _QX_createObjectsFromPasteboard(int pasteboard, int document, int targetDocument, int targetNode, int linkMode,
                                    int** results, int* resultCount)
{
    QVUProcEnter();
    static std::vector<int> sResults;
    sResults.clear();
    QVUProcPutList(sResults, results, resultCount);
    AKTreeSelModel* model = nullptr;
    QVDocument* found = nullptr;
    AKObject* target = nullptr;
    int status = QVUProcCheckModel(pasteboard, &model);
    if (status == 0)
        status = QVUProcCheckDocument2(document, targetDocument, true, &found);
    if (status == 0)
        status = QVUProcCheckObject(found, targetNode, true, &target);
    if (status == 0 && (linkMode < 0 || linkMode >= 5))
        status = AKLogError(kQVErrorUProcLinkModeUnknown, "Unknown link-mode [%d]", linkMode);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.WithOptionAsUInt("ModelID", static_cast<unsigned long long>(pasteboard));
    if (target != nullptr)
        param.GetTreeActionParam().WithTargetObject(target, static_cast<AKLinkMode>(linkMode));
    status = QVGandler::sShared.DoCmd_EditPasteModel(param);
    if (status != 0)
        return status;
    AKTreeSel const& result = param.GetTreeActionParam().GetResultTreeSel();
    for (unsigned int i = 0; i < result.CountNodes(); ++i)
        sResults.push_back(result.GetNode(i)->GetID());
    QVUProcPutList(sResults, results, resultCount);
    return 0;
}

int _QX_loadPasteboards(char const* path)
{
    QVUProcEnter();
    int const status = CheckPath(path);
    if (status != 0)
        return status;
    return AKTreeSelModelMgr::sShared.LoadFromXmlFile(AKFilePath(QVUProcText(path)));
}

int _QX_savePasteboards(char const* path)
{
    QVUProcEnter();
    int const status = CheckPath(path);
    if (status != 0)
        return status;
    return AKTreeSelModelMgr::sShared.SaveToXmlFile(AKFilePath(QVUProcText(path)));
}

int _QX_logPasteboards(void)
{
    QVUProcEnter();
    AKTreeSelModelMgr::sShared.LogInfo();
    return 0;
}

}  // extern "C"
