// The script functions over documents, objects, players, sequences and
// tracks: each checks its arguments, calls one function of the C-style
// interface and turns its outputs into a script value. Engine failures come
// back as the interface's status (or 0, false, empty results); only failed
// checks end the script. Texts go through the interface's UTF-8 twins.

#include "QVUniversalProcs.h"
#include "QVWrapperClass.h"

#include <duktape.h>

namespace {

int PushInt(QVScriptContext* context, int value)
{
    duk_push_int(context, value);
    return 1;
}

int PushBool(QVScriptContext* context, bool value)
{
    duk_push_boolean(context, value ? 1 : 0);
    return 1;
}

int PushIds(QVScriptContext* context, int const* ids, int count)
{
    QVWrapperClass::PushIntegers(context, ids, ids != nullptr ? count : 0);
    return 1;
}

int ElementAt(int const* ids, int count, int index)
{
    return ids != nullptr && index >= 0 && index < count ? ids[index] : 0;
}

}  // namespace

int QVWrapperClass::Method_newDocument(QVScriptContext* context)
{
    QVScriptText name;
    int document = 0;
    bool const ok = CheckArgCount(context, 1) && CheckArgAsAKString(context, 0, true, &name);
    if (ok)
        _QX_newDocumentU8(name.mBytes, &document);
    CompleteMethod(context, ok, "newDocument");
    return PushInt(context, document);
}

int QVWrapperClass::Method_openDocument(QVScriptContext* context)
{
    QVScriptText path;
    int document = 0;
    bool const ok = CheckArgCount(context, 1) && CheckArgAsAKFilePath(context, 0, &path);
    if (ok)
        _QX_openDocumentU8(path.mBytes, &document);
    CompleteMethod(context, ok, "openDocument");
    return PushInt(context, document);
}

int QVWrapperClass::Method_getActiveDocument(QVScriptContext* context)
{
    int document = 0;
    bool const ok = CheckArgCount(context, 0);
    if (ok)
        _QX_getActiveDocument(&document);
    CompleteMethod(context, ok, "getActiveDocument");
    return PushInt(context, document);
}

// The functions of one document argument that return the interface status.
#define QV_SCRIPT_DOCUMENT_STATUS(Name, Call)                                                                          \
    int QVWrapperClass::Method_##Name(QVScriptContext* context)                                                        \
    {                                                                                                                  \
        int document = 0;                                                                                              \
        int status = 0;                                                                                                \
        bool const ok = CheckArgCount(context, 1) && CheckArgAsInteger(context, 0, &document);                         \
        if (ok)                                                                                                        \
            status = Call(document);                                                                                   \
        CompleteMethod(context, ok, #Name);                                                                            \
        return PushInt(context, status);                                                                               \
    }

QV_SCRIPT_DOCUMENT_STATUS(activateDocument, _QX_activateDocument)
QV_SCRIPT_DOCUMENT_STATUS(saveDocument, _QX_saveDocument)
QV_SCRIPT_DOCUMENT_STATUS(closeDocument, _QX_closeDocument)

int QVWrapperClass::Method_saveAsDocument(QVScriptContext* context)
{
    int document = 0;
    QVScriptText path;
    bool overwrite = false;
    int status = 0;
    bool const ok = CheckArgCount(context, 3) && CheckArgAsInteger(context, 0, &document) &&
                    CheckArgAsAKFilePath(context, 1, &path) && CheckArgAsBoolean(context, 2, &overwrite);
    if (ok)
        status = _QX_saveAsDocumentU8(document, path.mBytes, overwrite ? 1 : 0);
    CompleteMethod(context, ok, "saveAsDocument");
    return PushInt(context, status);
}

int QVWrapperClass::Method_commandOnDocument(QVScriptContext* context)
{
    int document = 0;
    QVScriptText command;
    QVScriptIntegers objects;
    int status = 0;
    bool const ok = CheckArgCount(context, 3) && CheckArgAsInteger(context, 0, &document) &&
                    CheckArgAsAKString(context, 1, false, &command) && CheckArgAsIntegers(context, 2, &objects);
    if (ok)
        status = _QX_commandOnDocument(document, command.mBytes, objects.mValues, objects.mCount, nullptr, nullptr);
    CompleteMethod(context, ok, "commandOnDocument");
    return PushInt(context, status);
}

int QVWrapperClass::Method_setDocumentNextObjectID(QVScriptContext* context)
{
    int document = 0;
    int next = 0;
    int status = 0;
    bool const ok =
        CheckArgCount(context, 2) && CheckArgAsInteger(context, 0, &document) && CheckArgAsInteger(context, 1, &next);
    if (ok)
        status = _QX_setDocumentNextObjectID(document, next);
    CompleteMethod(context, ok, "setDocumentNextObjectID");
    return PushInt(context, status);
}

int QVWrapperClass::Method_logInfoDocument(QVScriptContext* context)
{
    int document = 0;
    bool const ok = CheckArgCount(context, 1) && CheckArgAsInteger(context, 0, &document);
    if (ok)
        _QX_logInfoDocument(document);
    CompleteMethod(context, ok, "logInfoDocument");
    return 0;
}

// Checks a (document, object) pair at arguments first and first + 1.
#define QV_SCRIPT_PAIR(first, document, node)                                                                          \
    (CheckArgAsInteger(context, (first), &(document)) && CheckArgAsInteger(context, (first) + 1, &(node)))

int QVWrapperClass::Method_existsObject(QVScriptContext* context)
{
    int document = 0, node = 0, exists = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);
    if (ok)
        _QX_existsObject(document, node, &exists);
    CompleteMethod(context, ok, "existsObject");
    return PushBool(context, exists != 0);
}

int QVWrapperClass::Method_castObject(QVScriptContext* context)
{
    int document = 0, node = 0, is = 0;
    QVScriptText type;
    bool const ok =
        CheckArgCount(context, 3) && QV_SCRIPT_PAIR(0, document, node) && CheckArgAsAKString(context, 2, false, &type);
    if (ok)
        _QX_castObject(document, node, type.mBytes, &is);
    CompleteMethod(context, ok, "castObject");
    return PushBool(context, is != 0);
}

int QVWrapperClass::Method_createPlayer(QVScriptContext* context)
{
    int document = 0, subCount = 0, player = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, subCount);
    if (ok)
        _QX_createPlayer(document, nullptr, static_cast<unsigned int>(subCount), &player);
    CompleteMethod(context, ok, "createPlayer");
    return PushInt(context, player);
}

int QVWrapperClass::Method_createSequence(QVScriptContext* context)
{
    int document = 0, sequence = 0;
    QVScriptText name;
    bool withTrack = false;
    bool const ok = CheckArgCount(context, 3) && CheckArgAsInteger(context, 0, &document) &&
                    CheckArgAsAKString(context, 1, true, &name) && CheckArgAsBoolean(context, 2, &withTrack);
    if (ok)
        _QX_createSequenceU8(document, name.mBytes, withTrack ? 1 : 0, &sequence);
    CompleteMethod(context, ok, "createSequence");
    return PushInt(context, sequence);
}

int QVWrapperClass::Method_createSequenceWithSound(QVScriptContext* context)
{
    int document = 0, sequence = 0;
    QVScriptText path;
    bool const ok = CheckArgCount(context, 2) && CheckArgAsInteger(context, 0, &document) &&
                    CheckArgAsAKFilePath(context, 1, &path);
    if (ok)
        _QX_createSequenceWithSoundU8(document, nullptr, path.mBytes, &sequence);
    CompleteMethod(context, ok, "createSequenceWithSound");
    return PushInt(context, sequence);
}

int QVWrapperClass::Method_destroyObject(QVScriptContext* context)
{
    int document = 0, node = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);
    if (ok)
        _QX_destroyObject(document, node);
    CompleteMethod(context, ok, "destroyObject");
    return 0;
}

int QVWrapperClass::Method_setParameterObject(QVScriptContext* context)
{
    int document = 0, node = 0, index = 0, status = 0;
    QVScriptText group, key;
    double value = 0.0, value2 = 0.0;
    bool const ok = CheckArgCount(context, 6) && QV_SCRIPT_PAIR(0, document, node) &&
                    CheckArgAsAKString(context, 2, true, &group) && CheckArgAsAKString(context, 3, false, &key) &&
                    CheckArgAsInteger(context, 4, &index) && CheckArgAsParameterObject(context, 5, &value, &value2);
    if (ok)
        status = _QX_setObjectParameter(document, node, group.mBytes, key.mBytes, index, value, value2);
    CompleteMethod(context, ok, "setParameterObject");
    return PushInt(context, status);
}

int QVWrapperClass::Method_getParameterObject(QVScriptContext* context)
{
    int document = 0, node = 0, index = 0, type = 0;
    QVScriptText group, key;
    double value = 0.0, value2 = 0.0;
    bool ok = CheckArgCount(context, 5) && QV_SCRIPT_PAIR(0, document, node) &&
              CheckArgAsAKString(context, 2, true, &group) && CheckArgAsAKString(context, 3, false, &key) &&
              CheckArgAsInteger(context, 4, &index);
    if (ok && _QX_getObjectParameter(document, node, group.mBytes, key.mBytes, index, &value, &value2, &type) != 0)
        type = 0;
    // A type the script cannot be given ends it as a syntax error.
    if (ok && (type < 0 || type > 4))
        ok = false;
    CompleteMethod(context, ok, "getParameterObject");
    switch (type) {
    case 1:
        return PushBool(context, value != 0.0);
    case 2:
        return PushInt(context, static_cast<int>(value));
    case 3:
        duk_push_number(context, value);
        return 1;
    case 4:
        PushTimeIntv(context, AKTimeIntv{value, value2});
        return 1;
    default:
        return 0;
    }
}

int QVWrapperClass::Method_setNameObject(QVScriptContext* context)
{
    int document = 0, node = 0, status = 0;
    QVScriptText name;
    bool const ok =
        CheckArgCount(context, 3) && QV_SCRIPT_PAIR(0, document, node) && CheckArgAsAKString(context, 2, true, &name);
    if (ok)
        status = _QX_setObjectParamStringU8(document, node, "name", name.mBytes);
    CompleteMethod(context, ok, "setNameObject");
    return PushInt(context, status);
}

int QVWrapperClass::Method_getNameObject(QVScriptContext* context)
{
    int document = 0, node = 0;
    char const* name = nullptr;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);
    if (ok && _QX_getObjectParamStringU8(document, node, "name", &name) != 0)
        name = nullptr;
    CompleteMethod(context, ok, "getNameObject");
    // The interface keeps the text until its next call: copied at once.
    duk_push_string(context, name != nullptr ? name : "");
    return 1;
}

int QVWrapperClass::Method_logInfoObject(QVScriptContext* context)
{
    int document = 0, node = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);
    if (ok)
        _QX_logInfoObject(document, node);
    CompleteMethod(context, ok, "logInfoObject");
    return 0;
}

// The functions of two (document, object) pairs that return the interface status.
#define QV_SCRIPT_TWO_PAIRS_STATUS(Name, Call)                                                                         \
    int QVWrapperClass::Method_##Name(QVScriptContext* context)                                                        \
    {                                                                                                                  \
        int document = 0, node = 0, document2 = 0, node2 = 0, status = 0;                                              \
        bool const ok =                                                                                                \
            CheckArgCount(context, 4) && QV_SCRIPT_PAIR(0, document, node) && QV_SCRIPT_PAIR(2, document2, node2);     \
        if (ok)                                                                                                        \
            status = Call(document, node, document2, node2);                                                           \
        CompleteMethod(context, ok, #Name);                                                                            \
        return PushInt(context, status);                                                                               \
    }

QV_SCRIPT_TWO_PAIRS_STATUS(attachPlayer, _QX_attachPlayer)
QV_SCRIPT_TWO_PAIRS_STATUS(mixWithSequence, _QX_mixWithSequence)
QV_SCRIPT_TWO_PAIRS_STATUS(groupWithPlayer, _QX_groupWithPlayer)

int QVWrapperClass::Method_createAndAttachPlayer(QVScriptContext* context)
{
    int document = 0, sequence = 0, subCount = 0, player = 0;
    bool const ok =
        CheckArgCount(context, 3) && QV_SCRIPT_PAIR(0, document, sequence) && CheckArgAsInteger(context, 2, &subCount);
    if (ok)
        _QX_createAndAttachPlayer(document, sequence, nullptr, static_cast<unsigned int>(subCount), &player);
    CompleteMethod(context, ok, "createAndAttachPlayer");
    return PushInt(context, player);
}

// The three readings of one list of the interface: the whole list, the
// element at an index and the count.
#define QV_SCRIPT_LIST(Stem, Call)                                                                                     \
    int QVWrapperClass::Method_get##Stem##s(QVScriptContext* context)                                                  \
    {                                                                                                                  \
        int document = 0, node = 0, count = 0;                                                                         \
        int* ids = nullptr;                                                                                            \
        bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);                                \
        if (ok && Call(document, node, &ids, &count) != 0)                                                             \
            count = 0;                                                                                                 \
        CompleteMethod(context, ok, "get" #Stem "s");                                                                  \
        return PushIds(context, ids, count);                                                                           \
    }                                                                                                                  \
    int QVWrapperClass::Method_get##Stem##AtIndex(QVScriptContext* context)                                            \
    {                                                                                                                  \
        int document = 0, node = 0, index = 0, count = 0;                                                              \
        int* ids = nullptr;                                                                                            \
        bool const ok =                                                                                                \
            CheckArgCount(context, 3) && QV_SCRIPT_PAIR(0, document, node) && CheckArgAsInteger(context, 2, &index);   \
        if (ok && Call(document, node, &ids, &count) != 0)                                                             \
            count = 0;                                                                                                 \
        CompleteMethod(context, ok, "get" #Stem "AtIndex");                                                            \
        return PushInt(context, ElementAt(ids, count, index));                                                         \
    }                                                                                                                  \
    int QVWrapperClass::Method_get##Stem##Count(QVScriptContext* context)                                              \
    {                                                                                                                  \
        int document = 0, node = 0, count = 0;                                                                         \
        bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, node);                                \
        if (ok && Call(document, node, nullptr, &count) != 0)                                                          \
            count = 0;                                                                                                 \
        CompleteMethod(context, ok, "get" #Stem "Count");                                                              \
        return PushInt(context, count);                                                                                \
    }

QV_SCRIPT_LIST(AttachedPlayer, _QX_getAttachedPlayers)
QV_SCRIPT_LIST(SubTrack, _QX_getSubTracks)
QV_SCRIPT_LIST(SubPlayer, _QX_getSubPlayers)

int QVWrapperClass::Method_createAndAddSubTrack(QVScriptContext* context)
{
    int document = 0, sequence = 0, track = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, sequence);
    if (ok)
        _QX_createAndAddSubTrack(document, sequence, nullptr, &track);
    CompleteMethod(context, ok, "createAndAddSubTrack");
    return PushInt(context, track);
}

int QVWrapperClass::Method_detachPlayer(QVScriptContext* context)
{
    int document = 0, player = 0, status = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, player);
    if (ok)
        status = _QX_detachPlayer(document, player);
    CompleteMethod(context, ok, "detachPlayer");
    return PushInt(context, status);
}

int QVWrapperClass::Method_getAttachedSequence(QVScriptContext* context)
{
    int document = 0, player = 0, sequence = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, player);
    if (ok && _QX_getPlayerSituation(document, player, &sequence, nullptr, nullptr, nullptr) != 0)
        sequence = 0;
    CompleteMethod(context, ok, "getAttachedSequence");
    return PushInt(context, sequence);
}

int QVWrapperClass::Method_createAndAddSubPlayer(QVScriptContext* context)
{
    int document = 0, multiPlayer = 0, player = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, multiPlayer);
    if (ok)
        _QX_createAndAddSubPlayer(document, multiPlayer, &player);
    CompleteMethod(context, ok, "createAndAddSubPlayer");
    return PushInt(context, player);
}

int QVWrapperClass::Method_resetOnTracks(QVScriptContext* context)
{
    int document = 0, object = 0, status = 0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, object);
    if (ok)
        status = _QX_commandOnTracks(document, object, "reset", 0.0, 0.0, 0.0, 0.0);
    CompleteMethod(context, ok, "resetOnTracks");
    return PushInt(context, status);
}

// The track commands over an interval.
#define QV_SCRIPT_TRACK_RANGE(Name, Word)                                                                              \
    int QVWrapperClass::Method_##Name(QVScriptContext* context)                                                        \
    {                                                                                                                  \
        int document = 0, object = 0, status = 0;                                                                      \
        AKTimeIntv range{0.0, 0.0};                                                                                    \
        bool const ok = CheckArgCount(context, 3) && QV_SCRIPT_PAIR(0, document, object) &&                            \
                        CheckArgAsAKTimeIntv(context, 2, &range);                                                      \
        if (ok)                                                                                                        \
            status = _QX_commandOnTracks(document, object, Word, range.beg, range.end, 0.0, 0.0);                      \
        CompleteMethod(context, ok, #Name);                                                                            \
        return PushInt(context, status);                                                                               \
    }

QV_SCRIPT_TRACK_RANGE(cropOnTracks, "crop")
QV_SCRIPT_TRACK_RANGE(removeOnTracks, "remove")
QV_SCRIPT_TRACK_RANGE(eraseOnTracks, "erase")

int QVWrapperClass::Method_scaleOnTracks(QVScriptContext* context)
{
    int document = 0, object = 0, status = 0;
    AKTimeIntv range{0.0, 0.0};
    double scale = 0.0;
    bool const ok = CheckArgCount(context, 4) && QV_SCRIPT_PAIR(0, document, object) &&
                    CheckArgAsAKTimeIntv(context, 2, &range) && CheckArgAsDouble(context, 3, &scale);
    if (ok)
        status = _QX_commandOnTracks(document, object, "scale", range.beg, range.end, 0.0, scale);
    CompleteMethod(context, ok, "scaleOnTracks");
    return PushInt(context, status);
}

int QVWrapperClass::Method_moveAtOnTracks(QVScriptContext* context)
{
    int document = 0, destination = 0, document2 = 0, source = 0, status = 0;
    AKTimeIntv range{0.0, 0.0};
    double at = 0.0;
    bool copy = false;
    bool const ok = CheckArgCount(context, 7) && QV_SCRIPT_PAIR(0, document, destination) &&
                    QV_SCRIPT_PAIR(2, document2, source) && CheckArgAsAKTimeIntv(context, 4, &range) &&
                    CheckArgAsDouble(context, 5, &at) && CheckArgAsBoolean(context, 6, &copy);
    if (ok)
        status =
            _QX_commandMoveAtOnTracks(document, destination, document2, source, copy ? 1 : 0, range.beg, range.end, at);
    CompleteMethod(context, ok, "moveAtOnTracks");
    return PushInt(context, status);
}

int QVWrapperClass::Method_getTimeIntvOnTracks(QVScriptContext* context)
{
    int document = 0, object = 0, type = 0;
    double begin = 0.0, end = 0.0;
    bool const ok = CheckArgCount(context, 2) && QV_SCRIPT_PAIR(0, document, object);
    if (ok && _QX_getObjectParameter(document, object, "", "fullIntv", 0, &begin, &end, &type) != 0)
        begin = end = 0.0;
    CompleteMethod(context, ok, "getTimeIntvOnTracks");
    PushTimeIntv(context, AKTimeIntv{begin, end});
    return 1;
}
