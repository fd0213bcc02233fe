// The argument checks of the C-style interface: each logs its code where the
// fault is found and returns it.

#include "AKLog.h"
#include "AKNode.h"
#include "AKNodeIDArray.h"
#include "AKObject.h"
#include "AKClass.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeSelModelMgr.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVProviderMgr.h"
#include "QVUProcs.h"

#include <cstring>

int QVUProcCheckString(char const* text, unsigned int flags, unsigned int maximum)
{
    size_t const length = text != nullptr ? std::strlen(text) : 0;
    if (length == 0)
        return (flags & kQVUProcStringRequired) != 0
                   ? AKLogError(kQVErrorUProcParamStringEmpty, "Detect parameter string empty")
                   : 0;
    if ((flags & kQVUProcStringLimited) != 0 && length > maximum)
        return AKLogError(kQVErrorUProcParamStringTooLong, "Detect parameter string too long");
    return 0;
}

int QVUProcCheckKey(char const* text, AKKeyC15* key, bool required)
{
    *key = AKKeyC15();
    int const status =
        QVUProcCheckString(text, kQVUProcStringLimited | (required ? kQVUProcStringRequired : 0), kQVUProcKeyMax);
    if (status == 0)
        key->Set(text);
    return status;
}

int QVUProcCheckDocument(int documentID, QVDocument** document)
{
    *document =
        documentID > 0 ? QVDocumentMgr::sShared.GetDocumentByID(static_cast<QVDocumentID>(documentID)) : nullptr;
    if (*document == nullptr)
        return AKLogError(kQVErrorUProcDocumentUnknown, "Unknown document [%d]", documentID);
    return 0;
}

int QVUProcCheckDocument2(int documentID, int secondID, bool zeroAllowed, QVDocument** document)
{
    int const status = QVUProcCheckDocument(documentID, document);
    if (status != 0)
        return status;
    if (secondID != documentID && !(zeroAllowed && secondID == 0)) {
        *document = nullptr;
        return AKLogError(kQVErrorUProcObjectsInWrongDoc, "Some objects are not in their own document");
    }
    return 0;
}

int QVUProcCheckObject(QVDocument const* document, int nodeID, bool zeroAllowed, AKObject** object)
{
    *object = nullptr;
    if (nodeID == 0 && zeroAllowed)
        return 0;
    AKNode const* const node = nodeID > 0 ? document->GetTree()->GetNode(nodeID) : nullptr;
    *object = node != nullptr ? node->GetObject() : nullptr;
    if (*object == nullptr)
        return AKLogError(kQVErrorUProcObjectUnknown, "Unknown object [%d|%d]",
                          static_cast<int>(document->GetDocumentID()), nodeID);
    return 0;
}

int QVUProcCheckObjectOfKind(QVDocument const* document, int nodeID, unsigned long long qcastFlag, AKObject** object)
{
    int const status = QVUProcCheckObject(document, nodeID, false, object);
    if (status != 0)
        return status;
    if (!(*object)->IsKindOfQCast(qcastFlag)) {
        *object = nullptr;
        return AKLogError(kQVErrorUProcObjectWrongType, "Wrong type expected for object [%d|%d]",
                          static_cast<int>(document->GetDocumentID()), nodeID);
    }
    return 0;
}

int QVUProcCheckDocumentObject(int documentID, int nodeID, QVDocument** document, AKObject** object)
{
    *object = nullptr;
    int const status = QVUProcCheckDocument(documentID, document);
    return status != 0 ? status : QVUProcCheckObject(*document, nodeID, false, object);
}

int QVUProcCheckObjectList(QVDocument const* document, int const* list, int count, ATObjectArray<AKObject>* objects)
{
    objects->Clear();
    if (list == nullptr || count <= 0)
        return 0;
    int const documentID = static_cast<int>(document->GetDocumentID());
    if (count % 2 != 0)
        return AKLogError(kQVErrorUProcParamListBadFormat, "Detect parameter list (of objects) with wrong format");
    AKNodeIDArray ids;
    for (int i = 0; i < count; i += 2) {
        if (list[i] != documentID)
            return AKLogError(kQVErrorUProcParamListBadFormat, "Detect parameter list (of objects) with wrong format");
        ids.Push(list[i + 1]);
    }
    // Every ID must give an object, in list order.
    for (unsigned int i = 0; i < ids.Count(); ++i) {
        AKNode const* const node = ids[i] > 0 ? document->GetTree()->GetNode(ids[i]) : nullptr;
        if (node == nullptr || node->GetObject() == nullptr) {
            objects->Clear();
            return AKLogError(kQVErrorUProcObjectsUnknown, "Some objects are unknown in list of objects");
        }
        objects->Push(node->GetObject());
    }
    return 0;
}

int QVUProcCheckProvider(int providerID, QVProvider** provider)
{
    *provider =
        providerID > 0 ? QVProviderMgr::sShared.GetProviderByID(static_cast<QVProviderID>(providerID)) : nullptr;
    if (*provider == nullptr)
        return AKLogError(kQVErrorUProcProviderUnknown, "Unknown provider [%d]", providerID);
    return 0;
}

int QVUProcCheckModel(int modelID, AKTreeSelModel** model)
{
    *model = modelID > 0 ? AKTreeSelModelMgr::sShared.GetModelByID(static_cast<AKModelID>(modelID)) : nullptr;
    if (*model == nullptr)
        return AKLogError(kQVErrorUProcModelUnknown, "Unknown model [%d]", modelID);
    return 0;
}

int QVUProcCheckBoolean(unsigned int value)
{
    if (value > 1)
        return AKLogError(kQVErrorUProcParamBooleanWrong, "Detect parameter boolean %d wrong (it must be 0 or 1)",
                          static_cast<int>(value));
    return 0;
}

int QVUProcCheckPointer(void const* pointer)
{
    if (pointer == nullptr)
        return AKLogError(kQVErrorUProcParamPointerNull, "Detect parameter pointer null");
    return 0;
}

int QVUProcNodeID(AKObject const* object) { return object != nullptr ? object->GetID() : 0; }

char const* QVUProcClassName(AKObject const* object)
{
    return object != nullptr && object->GetClass() != nullptr ? object->GetClass()->GetUserName().c_str() : "";
}
