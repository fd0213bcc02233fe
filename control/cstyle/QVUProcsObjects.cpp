// Objects of a document through the C-style interface: existence, type,
// children, parameters, names and change stamps.

#include "AKClass.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

#include <vector>

namespace {

struct GroupWord {
    AKKeyC15 word;
    QVPrmGroup group;
};
GroupWord const kGroupWords[] = {
    {AKKeyC15("all"), kQVPrmGroupAll},       {AKKeyC15("playable"), kQVPrmGroupPlayable},
    {AKKeyC15("preset"), kQVPrmGroupPreset}, {AKKeyC15("plugin"), kQVPrmGroupPlugin},
    {AKKeyC15("track"), kQVPrmGroupTrack},
};

// Type names of the parameter types, by QVPrmType.
char const* const kTypeNames[] = {"int (zero)", "bool", "int", "double", "double[2]"};

char const* TypeName(unsigned int type) { return type < 5 ? kTypeNames[type] : "???"; }

// A key the object (of that type name) does not know.
int UnknownKey(AKKeyC15 const& key, char const* typeName)
{
    return AKLogError(kQVErrorUProcParamKeyUnknown, "Unknown parameter \"%s\" for object of type <%s>", key.c_str(),
                      typeName);
}

// The group of a parameter text: an empty text is the track group for a
// track and 0 otherwise.
int CheckGroup(char const* text, AKObject const* object, QVPrmGroup* group)
{
    AKKeyC15 word;
    int const status = QVUProcCheckKey(text, &word, false);
    if (status != 0)
        return status;
    if (word.IsEmpty()) {
        *group = object->IsKindOfT<QVObjectTrack>() ? kQVPrmGroupTrack : kQVPrmGroupAll;
        return 0;
    }
    for (GroupWord const& each : kGroupWords) {
        if (each.word == word) {
            *group = each.group;
            return 0;
        }
    }
    return UnknownKey(word, "group");
}

int CheckParameter(int document, int node, char const* groupText, char const* keyText, AKObject** object,
                   unsigned int* id, AKKeyC15* key)
{
    QVDocument* found = nullptr;
    int status = QVUProcCheckDocumentObject(document, node, &found, object);
    QVPrmGroup group = kQVPrmGroupAll;
    if (status == 0)
        status = CheckGroup(groupText, *object, &group);
    if (status == 0)
        status = QVUProcCheckKey(keyText, key, true);
    if (status == 0)
        *id = QVParams::GetByUnivKey(*key, group);
    return status;
}

int UnknownParameter(AKKeyC15 const& key, AKObject const* object) { return UnknownKey(key, QVUProcClassName(object)); }

}  // namespace

extern "C" {

int _QX_existsObject(int document, int node, int* exists)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    AKLogErrorMute();
    int const status = QVUProcCheckDocumentObject(document, node, &found, &object);
    AKLogErrorUnmute();
    QVUProcPut(exists, status == 0 ? 1 : 0);
    return 0;
}

int _QX_castObject(int document, int node, char const* type, int* is)
{
    QVUProcEnter();
    QVUProcPut(is, 0);
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int status = QVUProcCheckDocumentObject(document, node, &found, &object);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(type, &word, true);
    if (status != 0)
        return status;
    if (word == AKKeyC15("player"))
        QVUProcPut(is, object->IsKindOfT<QVObjectZlayer>() ? 1 : 0);
    else if (word == AKKeyC15("sequence"))
        QVUProcPut(is, object->IsKindOfT<QVObjectSequence>() ? 1 : 0);
    else if (word == AKKeyC15("track"))
        QVUProcPut(is, object->IsKindOfT<QVObjectTrack>() ? 1 : 0);
    else
        return AKLogError(kQVErrorUProcParamTypeUnknown, "Unknown object type <%s>", word.c_str());
    return 0;
}

int _QX_destroyObject(int document, int node)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int const status = QVUProcCheckDocumentObject(document, node, &found, &object);
    if (status != 0)
        return status;
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObject(object);
    return QVGandler::sShared.DoCmd_EditDelete(param);
}

int _QX_getParentObject(int document, int node, int* parent)
{
    QVUProcEnter();
    QVUProcPut(parent, 0);
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int const status = QVUProcCheckDocumentObject(document, node, &found, &object);
    if (status != 0)
        return status;
    QVUProcPut(parent, QVUProcNodeID(object->ParentObject()));
    return 0;
}

int _QX_getSubObjects(int document, int node, int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutList(sIDs, ids, count);
    QVDocument* found = nullptr;
    QVObjectPoolable* poolable = nullptr;
    int const status = QVUProcCheckDocumentObjectT(document, node, &found, &poolable);
    if (status != 0)
        return status;
    ATObjectArray<AKObject> children;
    poolable->GrabChildren(&children);
    for (AKObject* child : children)
        sIDs.push_back(QVUProcNodeID(child));
    QVUProcPutList(sIDs, ids, count);
    return 0;
}

int _QX_setObjectParameter(int document, int node, char const* group, char const* key, int index, double value,
                           double value2)
{
    QVUProcEnter();
    AKObject* object = nullptr;
    unsigned int id = 0;
    AKKeyC15 word;
    int const status = CheckParameter(document, node, group, key, &object, &id, &word);
    if (status != 0)
        return status;
    bool wrongValue = false;
    if (QVParams::SetObjectParameter(object, id, static_cast<unsigned int>(index), value, value2, true, &wrongValue))
        return 0;
    if (wrongValue)
        return AKLogError(kQVErrorUProcArgumentBadType, "Type <%s> is expected for key \"%s\"",
                          TypeName(QVParams::GetByID(id).GetType()), word.c_str());
    return UnknownParameter(word, object);
}

int _QX_getObjectParameter(int document, int node, char const* group, char const* key, int index, double* value,
                           double* value2, int* type)
{
    QVUProcEnter();
    QVUProcPut(value, 0.0);
    QVUProcPut(value2, 0.0);
    QVUProcPut(type, 0);
    AKObject* object = nullptr;
    unsigned int id = 0;
    AKKeyC15 word;
    int const status = CheckParameter(document, node, group, key, &object, &id, &word);
    if (status != 0)
        return status;
    double x = 0.0;
    double y = 0.0;
    QVPrmType prmType = 0;
    if (!QVParams::GetObjectParameter(object, id, static_cast<unsigned int>(index), &x, &y, &prmType))
        return UnknownParameter(word, object);
    QVUProcPut(value, x);
    QVUProcPut(value2, y);
    QVUProcPut(type, static_cast<int>(prmType));
    return 0;
}

int _QX_setObjectParamString(int document, int node, char const* key, char const* text)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int status = QVUProcCheckDocumentObject(document, node, &found, &object);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(key, &word, true);
    if (status == 0 && word != AKKeyC15("name"))
        status = UnknownKey(word, "object");
    if (status == 0)
        status = QVUProcCheckString(text, kQVUProcStringLimited, kQVUProcNameMax);
    if (status != 0)
        return status;
    bool renamable = false;
    AKString defaultName;
    if (object->IsKindOfT<QVObjectPoolable>())
        defaultName = static_cast<QVObjectPoolable*>(object)->GetFLDynamicName(true, &renamable);
    if (!renamable) {
        AKLogWarning(1, "Can't change the object name (implicitely locked)");
        return 0;
    }
    // The default name itself means no name of its own.
    AKString name = QVUProcText(text);
    if (name == defaultName)
        name = AKString();
    QVGandlerParam param(found);
    param.GetTreeActionParam().WithTreeObject(object);
    param.WithOptionAsAKString("Name", name);
    return QVGandler::sShared.DoCmd_EditRename(param, false);
}

int _QX_getObjectParamString(int document, int node, char const* key, char const** text)
{
    QVUProcEnter();
    static AKString sText;
    sText = AKString();
    QVUProcPut(text, QVUProcEmptyText());
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int status = QVUProcCheckDocumentObject(document, node, &found, &object);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(key, &word, true);
    if (status != 0)
        return status;
    if (word == AKKeyC15("name")) {
        if (object->IsKindOfT<QVObjectPoolable>())
            sText = static_cast<QVObjectPoolable*>(object)->GetFLDynamicName(false, nullptr);
    } else if (word == AKKeyC15("plugin")) {
        if (object->IsKindOfT<QVObjectPlayable>())
            sText = static_cast<QVObjectPlayable*>(object)->GetPluginName();
    } else {
        return UnknownKey(word, "object");
    }
    QVUProcPutText(text, sText);
    return 0;
}

int _QX_getObjectVersionStamp(int document, int node, char const* word, int* stamp)
{
    QVUProcEnter();
    QVUProcPut(stamp, static_cast<int>(kAKNullStampVers));
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int status = QVUProcCheckDocumentObject(document, node, &found, &object);
    AKKeyC15 key;
    if (status == 0)
        status = QVUProcCheckKey(word, &key, true);
    if (status != 0)
        return status;
    bool const playable = object->IsKindOfT<QVObjectPlayable>();
    if (key == AKKeyC15("content"))
        QVUProcPut(stamp, static_cast<int>(object->GetRevisedStamp()));
    else if (key == AKKeyC15("subs"))
        QVUProcPut(stamp, static_cast<int>(object->GetSubLinksStamp()));
    else if (key == AKKeyC15("farsubs"))
        QVUProcPut(stamp, static_cast<int>(object->GetFarSubLinksStamp()));
    else if (playable && key == AKKeyC15("state"))
        QVUProcPut(stamp, static_cast<int>(static_cast<QVObjectPlayable*>(object)->GetStateStamp()));
    else if (playable && key == AKKeyC15("plugsta"))
        QVUProcPut(stamp, static_cast<int>(static_cast<QVObjectPlayable*>(object)->GetPluginStamp()));
    else
        return UnknownKey(key, playable ? "playable" : "object");
    return 0;
}

int _QX_logInfoObject(int document, int node)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    AKObject* object = nullptr;
    int const status = QVUProcCheckDocumentObject(document, node, &found, &object);
    if (status != 0)
        return status;
    if (object->IsKindOfT<QVObjectSequence>())
        static_cast<QVObjectSequence*>(object)->LogInfo(3);
    else if (object->IsKindOfT<QVObjectTrack>())
        static_cast<QVObjectTrack*>(object)->LogInfo(3);
    else if (object->IsKindOfT<QVObjectCursor>())
        static_cast<QVObjectCursor*>(object)->LogInfo(3);
    else if (object->IsKindOfT<QVObjectAtomic>())
        static_cast<QVObjectAtomic*>(object)->LogInfo(3);
    return 0;
}

int _QX_attachEffect(int document, int node)
{
    QVUProcEnter();
    return AKLogError(kQVErrorUProcPluginNoAccess, "No plugin attached on playable [%d|%d]", document, node);
}

int _QX_setupEffectParams(int document, int node)
{
    QVUProcEnter();
    return AKLogError(kQVErrorUProcPluginNoAccess, "No plugin attached on playable [%d|%d]", document, node);
}

}  // extern "C"
