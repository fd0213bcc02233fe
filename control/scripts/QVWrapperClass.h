#pragma once

#include "AKString.h"
#include "AKTimeIntv.h"
#include "QVScriptSandbox.h"

#include <cstddef>

// The script functions "_QS_..." and what they share: the strict checks of
// their arguments, the error state of the run and the completion every call
// ends with. Each function is a static "Method_" + the script name without its
// prefix; it checks its arguments in order, calls one function of the C-style
// interface and turns its outputs into a script value.
//
// A failed check ends the script at once (the run reports sCurrError with
// sCurrErrorStr at the line of the call); a failure of the engine itself
// comes back to the script as a status number.
//
// The checks give plain views into the interpreter's values (valid while the
// arguments are on its stack), so a function holds nothing that a throw of the
// interpreter would have to destroy.

// A string argument: its bytes (always terminated) and their count.
struct QVScriptText {
    char const* mBytes = "";
    size_t mLength = 0;
};

// An array-of-integers argument, copied into a buffer of the interpreter.
struct QVScriptIntegers {
    int const* mValues = nullptr;
    int mCount = 0;
};

class QVWrapperClass
{
public:
    using Method = int (*)(QVScriptContext* context);
    struct MethodEntry {
        char const* mName;  // the script name, "_QS_..."
        Method mMethod;
    };

    // The functions in their registration order.
    static MethodEntry const* GetMethods(size_t* outCount);
    // Sets every function as a method of the interpreter's global object; may
    // throw (call it in a protected call).
    static void RegisterMethods(QVScriptContext* context);

    // Error state of the running script.
    static int sCurrError;
    static AKString sCurrErrorStr;
    static int sCurrLineNum;
    static void ClearError();

    // Argument checks; index counts from 0, messages count from 1. Each
    // returns false after recording the first failure of the call.
    static bool CheckArgCount(QVScriptContext* context, int expected);
    static bool CheckArgAsInteger(QVScriptContext* context, int index, int* outValue);
    static bool CheckArgAsDouble(QVScriptContext* context, int index, double* outValue);
    static bool CheckArgAsBoolean(QVScriptContext* context, int index, bool* outValue);
    static bool CheckArgAsAKString(QVScriptContext* context, int index, bool emptyAllowed, QVScriptText* outText);
    static bool CheckArgAsAKFilePath(QVScriptContext* context, int index, QVScriptText* outPath);
    // May throw: an element getter of the script runs while it reads.
    static bool CheckArgAsIntegers(QVScriptContext* context, int index, QVScriptIntegers* outValues);
    static bool CheckArgAsAKTimeIntv(QVScriptContext* context, int index, AKTimeIntv* outInterval);
    static bool CheckArgAsParameterObject(QVScriptContext* context, int index, double* outValue, double* outValue2);

    // Ends every call: notes the line of the call and, when ok is false, adds
    // " in callback proc _QS_<name>()" to the message and ends the script.
    static void CompleteMethod(QVScriptContext* context, bool ok, char const* name);
    // A failure that is not an argument check (an unknown word).
    static void SetError(int status, char const* message);

    // Result values; each may throw.
    static void PushIntegers(QVScriptContext* context, int const* values, int count);
    static void PushTimeIntv(QVScriptContext* context, AKTimeIntv const& interval);

    // The script functions, each "_QS_" + the name after "Method_".
    static int Method_log(QVScriptContext* context);
    static int Method_mathFun1(QVScriptContext* context);
    static int Method_mathFun2(QVScriptContext* context);
    static int Method_newDocument(QVScriptContext* context);
    static int Method_openDocument(QVScriptContext* context);
    static int Method_getActiveDocument(QVScriptContext* context);
    static int Method_activateDocument(QVScriptContext* context);
    static int Method_saveDocument(QVScriptContext* context);
    static int Method_saveAsDocument(QVScriptContext* context);
    static int Method_closeDocument(QVScriptContext* context);
    static int Method_commandOnDocument(QVScriptContext* context);
    static int Method_setDocumentNextObjectID(QVScriptContext* context);
    static int Method_logInfoDocument(QVScriptContext* context);
    static int Method_existsObject(QVScriptContext* context);
    static int Method_castObject(QVScriptContext* context);
    static int Method_createPlayer(QVScriptContext* context);
    static int Method_createSequence(QVScriptContext* context);
    static int Method_createSequenceWithSound(QVScriptContext* context);
    static int Method_destroyObject(QVScriptContext* context);
    static int Method_setParameterObject(QVScriptContext* context);
    static int Method_getParameterObject(QVScriptContext* context);
    static int Method_setNameObject(QVScriptContext* context);
    static int Method_getNameObject(QVScriptContext* context);
    static int Method_logInfoObject(QVScriptContext* context);
    static int Method_attachPlayer(QVScriptContext* context);
    static int Method_createAndAttachPlayer(QVScriptContext* context);
    static int Method_getAttachedPlayers(QVScriptContext* context);
    static int Method_getAttachedPlayerAtIndex(QVScriptContext* context);
    static int Method_getAttachedPlayerCount(QVScriptContext* context);
    static int Method_mixWithSequence(QVScriptContext* context);
    static int Method_createAndAddSubTrack(QVScriptContext* context);
    static int Method_getSubTracks(QVScriptContext* context);
    static int Method_getSubTrackAtIndex(QVScriptContext* context);
    static int Method_getSubTrackCount(QVScriptContext* context);
    static int Method_detachPlayer(QVScriptContext* context);
    static int Method_getAttachedSequence(QVScriptContext* context);
    static int Method_groupWithPlayer(QVScriptContext* context);
    static int Method_createAndAddSubPlayer(QVScriptContext* context);
    static int Method_getSubPlayers(QVScriptContext* context);
    static int Method_getSubPlayerAtIndex(QVScriptContext* context);
    static int Method_getSubPlayerCount(QVScriptContext* context);
    static int Method_resetOnTracks(QVScriptContext* context);
    static int Method_cropOnTracks(QVScriptContext* context);
    static int Method_removeOnTracks(QVScriptContext* context);
    static int Method_eraseOnTracks(QVScriptContext* context);
    static int Method_scaleOnTracks(QVScriptContext* context);
    static int Method_moveAtOnTracks(QVScriptContext* context);
    static int Method_getTimeIntvOnTracks(QVScriptContext* context);

    QVWrapperClass() = delete;

private:
    static bool FailType(int index, char const* typeName);
};
