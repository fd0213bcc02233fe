#include "QVGandler.h"

#include "AKClass.h"
#include "AKLog.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "AKTreeSelBuilders.h"
#include "QVCommandInfo.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVPrefs.h"
#include "QVTreeHandler.h"

#include <cstdio>
#include <string>

QVGandler QVGandler::sShared;

void QVGandler::SetQVLibExtendedFunctions(QVGandlerLibext* extension) { mLibext.Install(extension); }

QVDocument* QVGandler::GetTargetOrDefaultDocument(QVGandlerParam const& param)
{
    if (param.GetDocument() != nullptr)
        return param.GetDocument();
    return QVDocumentMgr::sShared.GetActiveDocument();
}

QVTreeHandler* QVGandler::TreeHandlerOf(QVDocument const* document) { return QVTreeHandlerOfDocument(document); }

int QVGandler::CheckDocument(QVDocument const* document)
{
    if (document == nullptr)
        return AKLogError(kQVErrorGandlerUndefDocument, "Undefined current document");
    return 0;
}

// --- Results ---

namespace {

// The result of a command: its name, the new selection (whose time range
// follows the more-info), its flags and more-info.
void FillResult(AKTreeActionParam& action, QVCommandInfo const& command, AKTreeSel const& resultSel,
                unsigned int resultFlags, AKDictionary const& moreInfo)
{
    action.SetActionName(command);
    action.SetResultTreeSel(resultSel);
    action.SetResultFlags(resultFlags);
    action.SetMoreInfo(moreInfo);
    action.LowUpdateResultTreeSelTimeSelFromMoreInfo();
}

}  // namespace

void QVGandler::BuildResultParam(QVDocument* document, AKTreeActionParam& action, AKObject* newObject,
                                 QVCommandInfo const& command, unsigned int resultFlags, AKDictionary const& moreInfo)
{
    AKTree* const tree = document != nullptr ? document->GetTree() : nullptr;
    FillResult(action, command, AKTreeSelWithObject(tree, newObject), resultFlags, moreInfo);
}

void QVGandler::BuildResultParam(QVDocument* document, AKTreeActionParam& action,
                                 ATObjectArray<AKObject> const& newObjects, QVCommandInfo const& command,
                                 unsigned int resultFlags, AKDictionary const& moreInfo)
{
    AKTree* const tree = document != nullptr ? document->GetTree() : nullptr;
    FillResult(action, command, AKTreeSelWithRawSelObjects(tree, newObjects), resultFlags, moreInfo);
}

void QVGandler::NotifyDocument(QVDocument* document, AKTreeActionParam const& action)
{
    if (document != nullptr)
        document->SynchronizeAllAndNotifyGandlerListeners(action);
}

void QVGandler::NotifyIfDone(QVDocument* document, int status, AKTreeActionParam const& action)
{
    if (status == 0 && (action.GetResultFlags() & 0xff) != 0)
        NotifyDocument(document, action);
}

int QVGandler::EndGroupAndNotify(QVDocument* document, QVTreeHandler* handler, AKTreeActionParam& action,
                                 QVCommandInfo const& command, ATObjectArray<AKObject> const& newObjects, int status)
{
    unsigned int const flags = handler->DoEasyEnd();
    if (status == 0) {
        if (newObjects.Count() == 1)
            BuildResultParam(document, action, newObjects[0], command, flags, kAKNullDictionary);
        else
            BuildResultParam(document, action, newObjects, command, flags, kAKNullDictionary);
        NotifyDocument(document, action);
    } else if ((flags & 0xff) != 0) {
        // Edits made before the failure stay in the tree and the history:
        // everything that mirrors the tree must see them.
        document->SynchronizeAllAndNotifyGandlerListeners();
    }
    return status;
}

// --- Echo ---

bool QVGandler::IsVerbose() { return QVPrefs::sShared.GetInternalVerboseLevel() > 0; }

namespace {

std::string FormatText(char const* format, va_list arguments)
{
    if (format == nullptr || format[0] == '\0')
        return std::string();
    va_list copy;
    va_copy(copy, arguments);
    int const size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0)
        return std::string();
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.resize(static_cast<size_t>(size));
    return text;
}

}  // namespace

void QVGandler::VerboseCommand(char const* format, ...)
{
    if (!IsVerbose())
        return;
    va_list arguments;
    va_start(arguments, format);
    std::string const text = FormatText(format, arguments);
    va_end(arguments);
    if (!text.empty())
        AKLog("# %s.\n", text.c_str());
}

void QVGandler::VerboseCommandWithTreeSel(AKTreeSel const& selection, char const* format, ...)
{
    if (!IsVerbose())
        return;
    va_list arguments;
    va_start(arguments, format);
    std::string const text = FormatText(format, arguments);
    va_end(arguments);
    if (text.empty())
        return;
    AKString className;
    AKString objectName;
    if (!selection.IsEmpty()) {
        AKClass const* const common = selection.GetCommonBaseClass();
        if (common != nullptr)
            className = common->GetDisplayName();
        if (selection.CountNodes() >= 2) {
            objectName = "<list>";
        } else if (!selection.GetObjects().IsEmpty() && selection.GetObjects()[0] != nullptr) {
            objectName = selection.GetObjects()[0]->akmGetName();
        }
    }
    AKLog("# %s:\"%s\" %s.\n", className.c_str(), objectName.c_str(), text.c_str());
}

void QVGandler::VerboseResult(int status, bool cancelled, char const* detail)
{
    if (!IsVerbose())
        return;
    if (status != 0)
        AKLog("# Error %d.\n\n", status);
    else if (cancelled)
        AKLog("# Canceled.\n\n");
    else if (detail != nullptr)
        AKLog("# Ok (%s).\n\n", detail);
    else
        AKLog("# Ok\n\n");
}

int QVGandler::TreatAndVerboseError(int status)
{
    if (status == 0)
        return 0;
    char const* text = "Internal Error";
    switch (status) {
    case kAKErrorTreeHandlerReadOnly:
        text = "Document is read-only";
        break;
    case kAKErrorTreeHandlerBadTreeOwner:
        text = "Tree-selection isn't owned by document";
        break;
    case kAKErrorTreeHandlerBadTreeSelType:
        text = "Tree-selection hasn't the well type";
        break;
    case kAKErrorTreeHandlerEmptyTreeSel:
        text = "Tree-selection is empty";
        break;
    case kAKErrorTreeHandlerDisjointTreeSel:
        text = "Tree-selection is disjoint (no common parent)";
        break;
    case kAKErrorTreeHandlerCantMoveTreeSel:
        text = "Tree-selection can't be moved";
        break;
    case kAKErrorTreeHandlerNoTargetNode:
        text = "Target-node isn't defined";
        break;
    case kAKErrorTreeHandlerBadTargetNodeType:
        text = "Target-node hasn't the well type";
        break;
    case kAKErrorTreeHandlerNoLinkMode:
        text = "Link-mode isn't defined";
        break;
    case kAKErrorTreeHandlerNoObjectToAdd:
        text = "No object to add";
        break;
    case kAKErrorTreeHandlerIncompatibleLink:
        text = "Incompatible link";
        break;
    case kAKErrorTreeHandlerEmptyPasteboard:
        text = "Empty pasteboard";
        break;
    case kAKErrorTreeHandlerIncompatiblePasteboard:
        text = "Incompatible pasteboard";
        break;
    case kAKErrorTreeHandlerModelUnknown:
        text = "Model unknown";
        break;
    default:
        break;
    }
    if (status < 0)
        AKLogError(status, "%s", text);
    else
        AKLogWarning(status, "%s", text);
    return status;
}
