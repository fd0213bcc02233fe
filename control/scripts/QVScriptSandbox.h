#pragma once

#include "QVScriptMemory.h"

#include <cstddef>

struct duk_hthread;
using QVScriptContext = duk_hthread;  // the interpreter's context (duk_context)

// The sandbox every script runs in, around the JavaScript interpreter:
// - all the interpreter's memory comes from one QVScriptMemory, released as a
//   whole when the interpreter is destroyed or abandoned;
// - a stop flag, raised from any thread (the time-out watcher), makes the
//   interpreter throw at every instruction until the script has left it, so
//   no try/catch of the script can hold it;
// - the run can be ended at once from a native function (the script's exit(),
//   a failed argument check) and the interpreter's fatal errors end it too:
//   execution jumps back to Execute, which abandons the interpreter and
//   releases its memory.
//
// Runs cannot overlap: the sandbox state is global, and one interpreter exists
// at a time. Native functions jump over no live C++ object: they hold only
// plain values whenever they call into the interpreter (any interpreter call
// may throw by a long jump), and end their C++ work in scopes of their own.
class QVScriptSandbox
{
public:
    static constexpr size_t kMessageSize = 256;
    // Execute's status when the run was cut off and the interpreter abandoned.
    static constexpr int kCutOff = -1;

    // A fresh interpreter whose memory is tracked, with the native exit()
    // installed; null when it cannot be made.
    static QVScriptContext* CreateInterpreter();
    // Destroys the interpreter (a null one is ignored) and releases every
    // tracked block. Script finalizers run with the stop flag raised.
    static void DestroyInterpreter(QVScriptContext* context);

    // Runs the code, named "MiscName.js" in the interpreter's messages.
    // Returns 0 on success; 1 when the script failed, with the error's line
    // (0 when unknown) and message (at most kMessageSize - 1 characters);
    // kCutOff when the run was ended by a jump (exit, failed check, fatal
    // error): the interpreter no longer exists and its memory is released,
    // and the line is where the run stood.
    static int Execute(QVScriptContext* context, char const* code, size_t length, int* outLine, char* outMessage);

    // Ends the running execution at once (see Execute). Outside Execute (a
    // finalizer run while the interpreter is destroyed) it throws a plain
    // error instead. Never returns.
    [[noreturn]] static void EndRun(QVScriptContext* context, int line);

    // The line of the innermost script function the interpreter stands in, 0
    // when none; may throw (call it holding plain values only).
    static int GetCurrentLine(QVScriptContext* context);

    // Raises the stop flag; safe on any thread.
    static void RaiseStop();
    static bool IsStopRaised();

    // True when the last Execute was refused memory for the cap.
    static bool WasMemoryCapReached();
    static QVScriptMemory& GetMemory();

    QVScriptSandbox() = delete;
};
