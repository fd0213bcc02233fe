#include "QVScriptSandbox.h"

#include <duktape.h>

#include <atomic>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

// The stop flag and the time-out check are what make a script stoppable: the
// build configures the interpreter with both (cmake/Duktape.cmake).
#if !defined(DUK_USE_INTERRUPT_COUNTER) || !defined(DUK_USE_EXEC_TIMEOUT_CHECK)
#error "The JavaScript interpreter must be built with DUK_USE_INTERRUPT_COUNTER and DUK_USE_EXEC_TIMEOUT_CHECK"
#endif

namespace {

QVScriptMemory sMemory;
std::atomic<bool> sStop{false};
std::jmp_buf sJumpBuf;
bool sJumpArmed = false;
int sJumpLine = 0;

char const kScriptName[] = "MiscName.js";

[[noreturn]] void JumpBack(int line)
{
    sJumpLine = line;
    std::longjmp(sJumpBuf, 1);
}

// A request beyond the cap ends the run at once: letting the interpreter
// throw would let the script catch it and ask again, each time after a full
// collection. The interpreter is abandoned wherever it stands (only its own
// C frames lie between here and Execute).
void EndRunIfCapReached()
{
    if (sMemory.WasCapReached() && sJumpArmed)
        JumpBack(0);
}

void* SandboxAlloc(void*, duk_size_t size)
{
    void* block = sMemory.Malloc(size);
    if (block == nullptr)
        EndRunIfCapReached();
    return block;
}

void* SandboxRealloc(void*, void* block, duk_size_t size)
{
    void* moved = sMemory.Realloc(block, size);
    if (moved == nullptr && size != 0)
        EndRunIfCapReached();
    return moved;
}

void SandboxFree(void*, void* block) { sMemory.Free(block); }

// Uncaught errors outside protected calls and internal failures of the
// interpreter: the run ends and the interpreter is abandoned.
void SandboxFatal(void*, char const*)
{
    if (sJumpArmed)
        JumpBack(0);
    std::abort();
}

duk_ret_t NativeExit(duk_context* context)
{
    QVScriptSandbox::EndRun(context, QVScriptSandbox::GetCurrentLine(context));
}

duk_ret_t InstallNatives(duk_context* context, void*)
{
    duk_push_c_function(context, NativeExit, DUK_VARARGS);
    duk_put_global_string(context, "exit");
    return 0;
}

// What the error on top of the stack says, read in a protected call: its
// "message" or "lineNumber" may be getters of the script that throw.
struct ErrorReport {
    int line;
    char* message;
};

duk_ret_t ReadError(duk_context* context, void* data)
{
    ErrorReport* report = static_cast<ErrorReport*>(data);
    if (duk_is_undefined(context, -1)) {
        std::strcpy(report->message, "Undefined Error");
        return 0;
    }
    if (duk_is_object(context, -1)) {
        duk_get_prop_string(context, -1, "lineNumber");
        if (duk_is_number(context, -1))
            report->line = duk_get_int(context, -1);
        duk_pop(context);
        if (duk_has_prop_string(context, -1, "message"))
            duk_get_prop_string(context, -1, "message");
        else
            duk_dup(context, -1);
    } else {
        duk_dup(context, -1);
    }
    duk_size_t length = 0;
    char const* text = duk_safe_to_lstring(context, -1, &length);
    if (length >= 2 && text[0] == '"' && text[length - 1] == '"') {
        ++text;
        length -= 2;
    }
    if (length > QVScriptSandbox::kMessageSize - 1)
        length = QVScriptSandbox::kMessageSize - 1;
    std::memcpy(report->message, text, length);
    report->message[length] = '\0';
    return 0;
}

duk_int_t CompileAndRun(duk_context* context, char const* code, size_t length)
{
    duk_push_string(context, kScriptName);
    if (duk_pcompile_lstring_filename(context, 0, code, length) != 0)
        return DUK_EXEC_ERROR;
    return duk_pcall(context, 0);
}

}  // namespace

extern "C" duk_bool_t orvel_duk_exec_timeout_check(void*) { return sStop.load(std::memory_order_relaxed) ? 1 : 0; }

QVScriptContext* QVScriptSandbox::CreateInterpreter()
{
    duk_context* context = duk_create_heap(SandboxAlloc, SandboxRealloc, SandboxFree, nullptr, SandboxFatal);
    if (context == nullptr) {
        sMemory.ReleaseAll();
        return nullptr;
    }
    if (duk_safe_call(context, InstallNatives, nullptr, 0, 1) != DUK_EXEC_SUCCESS) {
        DestroyInterpreter(context);
        return nullptr;
    }
    duk_pop(context);
    return context;
}

void QVScriptSandbox::DestroyInterpreter(QVScriptContext* context)
{
    if (context != nullptr) {
        // Finalizers of the script run now: they must not hold the run.
        sStop.store(true);
        duk_destroy_heap(context);
    }
    sMemory.ReleaseAll();
    sStop.store(false);
}

int QVScriptSandbox::Execute(QVScriptContext* context, char const* code, size_t length, int* outLine, char* outMessage)
{
    *outLine = 0;
    outMessage[0] = '\0';
    sStop.store(false);
    sMemory.ClearCapReached();
    sJumpLine = 0;
    // Only plain values live in this frame from here on: a jump may come back
    // to this point from deep inside the interpreter.
    if (setjmp(sJumpBuf) != 0) {
        sJumpArmed = false;
        *outLine = sJumpLine;
        sMemory.ReleaseAll();
        return kCutOff;
    }
    sJumpArmed = true;
    int status = 0;
    if (CompileAndRun(context, code, length) != DUK_EXEC_SUCCESS) {
        ErrorReport report{0, outMessage};
        if (duk_safe_call(context, ReadError, &report, 1, 1) != DUK_EXEC_SUCCESS && outMessage[0] == '\0')
            std::strcpy(outMessage, "Undefined Error");
        *outLine = report.line;
        status = 1;
    }
    duk_pop(context);
    sJumpArmed = false;
    return status;
}

void QVScriptSandbox::EndRun(QVScriptContext* context, int line)
{
    if (sJumpArmed)
        JumpBack(line);
    duk_error(context, DUK_ERR_ERROR, "stopped");
    std::abort();  // not reached: the throw does not return
}

int QVScriptSandbox::GetCurrentLine(QVScriptContext* context)
{
    int line = 0;
    for (duk_int_t level = -1; line == 0; --level) {
        duk_inspect_callstack_entry(context, level);
        if (!duk_is_object(context, -1)) {
            duk_pop(context);
            break;
        }
        duk_get_prop_string(context, -1, "lineNumber");
        line = duk_get_int(context, -1);
        duk_pop_2(context);
    }
    return line;
}

void QVScriptSandbox::RaiseStop() { sStop.store(true); }

bool QVScriptSandbox::IsStopRaised() { return sStop.load(); }

bool QVScriptSandbox::WasMemoryCapReached() { return sMemory.WasCapReached(); }

QVScriptMemory& QVScriptSandbox::GetMemory() { return sMemory; }
