// The script functions in their registration order.

#include "QVWrapperClass.h"

#include <duktape.h>

namespace {

QVWrapperClass::MethodEntry const kMethods[] = {
    {"_QS_log", QVWrapperClass::Method_log},
    {"_QS_mathFun1", QVWrapperClass::Method_mathFun1},
    {"_QS_mathFun2", QVWrapperClass::Method_mathFun2},
    {"_QS_newDocument", QVWrapperClass::Method_newDocument},
    {"_QS_openDocument", QVWrapperClass::Method_openDocument},
    {"_QS_getActiveDocument", QVWrapperClass::Method_getActiveDocument},
    {"_QS_activateDocument", QVWrapperClass::Method_activateDocument},
    {"_QS_saveDocument", QVWrapperClass::Method_saveDocument},
    {"_QS_saveAsDocument", QVWrapperClass::Method_saveAsDocument},
    {"_QS_closeDocument", QVWrapperClass::Method_closeDocument},
    {"_QS_commandOnDocument", QVWrapperClass::Method_commandOnDocument},
    {"_QS_setDocumentNextObjectID", QVWrapperClass::Method_setDocumentNextObjectID},
    {"_QS_logInfoDocument", QVWrapperClass::Method_logInfoDocument},
    {"_QS_existsObject", QVWrapperClass::Method_existsObject},
    {"_QS_castObject", QVWrapperClass::Method_castObject},
    {"_QS_createPlayer", QVWrapperClass::Method_createPlayer},
    {"_QS_createSequence", QVWrapperClass::Method_createSequence},
    {"_QS_createSequenceWithSound", QVWrapperClass::Method_createSequenceWithSound},
    {"_QS_destroyObject", QVWrapperClass::Method_destroyObject},
    {"_QS_setParameterObject", QVWrapperClass::Method_setParameterObject},
    {"_QS_getParameterObject", QVWrapperClass::Method_getParameterObject},
    {"_QS_setNameObject", QVWrapperClass::Method_setNameObject},
    {"_QS_getNameObject", QVWrapperClass::Method_getNameObject},
    {"_QS_logInfoObject", QVWrapperClass::Method_logInfoObject},
    {"_QS_attachPlayer", QVWrapperClass::Method_attachPlayer},
    {"_QS_createAndAttachPlayer", QVWrapperClass::Method_createAndAttachPlayer},
    {"_QS_getAttachedPlayers", QVWrapperClass::Method_getAttachedPlayers},
    {"_QS_getAttachedPlayerAtIndex", QVWrapperClass::Method_getAttachedPlayerAtIndex},
    {"_QS_getAttachedPlayerCount", QVWrapperClass::Method_getAttachedPlayerCount},
    {"_QS_mixWithSequence", QVWrapperClass::Method_mixWithSequence},
    {"_QS_createAndAddSubTrack", QVWrapperClass::Method_createAndAddSubTrack},
    {"_QS_getSubTracks", QVWrapperClass::Method_getSubTracks},
    {"_QS_getSubTrackAtIndex", QVWrapperClass::Method_getSubTrackAtIndex},
    {"_QS_getSubTrackCount", QVWrapperClass::Method_getSubTrackCount},
    {"_QS_detachPlayer", QVWrapperClass::Method_detachPlayer},
    {"_QS_getAttachedSequence", QVWrapperClass::Method_getAttachedSequence},
    {"_QS_groupWithPlayer", QVWrapperClass::Method_groupWithPlayer},
    {"_QS_createAndAddSubPlayer", QVWrapperClass::Method_createAndAddSubPlayer},
    {"_QS_getSubPlayers", QVWrapperClass::Method_getSubPlayers},
    {"_QS_getSubPlayerAtIndex", QVWrapperClass::Method_getSubPlayerAtIndex},
    {"_QS_getSubPlayerCount", QVWrapperClass::Method_getSubPlayerCount},
    {"_QS_resetOnTracks", QVWrapperClass::Method_resetOnTracks},
    {"_QS_cropOnTracks", QVWrapperClass::Method_cropOnTracks},
    {"_QS_removeOnTracks", QVWrapperClass::Method_removeOnTracks},
    {"_QS_eraseOnTracks", QVWrapperClass::Method_eraseOnTracks},
    {"_QS_scaleOnTracks", QVWrapperClass::Method_scaleOnTracks},
    {"_QS_moveAtOnTracks", QVWrapperClass::Method_moveAtOnTracks},
    {"_QS_getTimeIntvOnTracks", QVWrapperClass::Method_getTimeIntvOnTracks},
};

}  // namespace

QVWrapperClass::MethodEntry const* QVWrapperClass::GetMethods(size_t* outCount)
{
    *outCount = sizeof(kMethods) / sizeof(kMethods[0]);
    return kMethods;
}

void QVWrapperClass::RegisterMethods(QVScriptContext* context)
{
    for (MethodEntry const& entry : kMethods) {
        // Every function counts its own arguments: the interpreter passes them all.
        duk_push_c_function(context, entry.mMethod, DUK_VARARGS);
        duk_put_global_string(context, entry.mName);
    }
}
