#include "QVJavaScriptEngine.h"

#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKSys.h"
#include "QVDocumentMgr.h"
#include "QVJavaScriptEngineWatcher.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVScriptLines.h"
#include "QVStandardFolders.h"
#include "QVWrapperClass.h"

#include <duktape.h>

QVJavaScriptEngine QVJavaScriptEngine::sShared;

char const QVJavaScriptEngine::kPreludeFileName[] = "Quorvex.js";
char const QVJavaScriptEngine::kPreludeResourceName[] = "Quorvex.js.txt";

namespace {

double NowSec() { return AKSys::GetCurrentApplicationTimeMicroSec() / 1000000.0; }

// The first byte outside printable ASCII, tab, line feed and carriage
// return (a zero byte included), or the length when there is none.
size_t FindNonAscii(char const* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        unsigned char const c = static_cast<unsigned char>(text[i]);
        bool const control = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
        if (control || c >= 0x80)
            return i;
    }
    return length;
}

duk_ret_t RegisterMethods(duk_context* context, void*)
{
    QVWrapperClass::RegisterMethods(context);
    return 0;
}

}  // namespace

void QVJavaScriptEngine::SetMemoryCap(size_t bytes) { QVScriptSandbox::GetMemory().SetByteCap(bytes); }

double QVJavaScriptEngine::GetTimeOut() const
{
    return mTimeOutOverride > 0.0 ? mTimeOutOverride : QVPrefs::sShared.GetInternalScriptTimeOutDuration();
}

int QVJavaScriptEngine::ExecuteFromFile(AKFilePath const& path)
{
    AKFilePath const folder(path.Path());
    QVProviderMgr::sShared.SetSoundsBasePath(folder);
    QVDocumentMgr::sShared.SetDocumentsBasePath(folder);
    AKString text;
    int status = AKFileLoadContentToString(path, &text);
    if (status == 0)
        status = ExecuteFromString(text, path.FileName());
    QVProviderMgr::sShared.SetSoundsBasePath(AKFilePath());
    QVDocumentMgr::sShared.SetDocumentsBasePath(AKFilePath());
    return status;
}

int QVJavaScriptEngine::LoadPrelude(AKString* prelude, AKString* preludeName) const
{
    if (AKFileUtils::IsConsoleApplication()) {
        *preludeName = kPreludeFileName;
        AKFilePath const path = QVGetStandardFilePath(kQVStandardFolderScripts, AKString(kPreludeFileName));
        if (path.IsEmpty())
            return AKLogError(kAKErrorCantFindDirectory, "No scripts folder for the prelude \"%s\"", kPreludeFileName);
        return AKFileLoadContentToString(path, prelude);
    }
    *preludeName = kPreludeResourceName;
    return AKFileLoadContentToStringFromResources(AKString(kPreludeResourceName), prelude);
}

QVScriptContext* QVJavaScriptEngine::CreateAndWrapV7Engine()
{
    QVScriptContext* interpreter = QVScriptSandbox::CreateInterpreter();
    if (interpreter == nullptr)
        return nullptr;
    if (duk_safe_call(interpreter, RegisterMethods, nullptr, 0, 1) != DUK_EXEC_SUCCESS) {
        QVScriptSandbox::DestroyInterpreter(interpreter);
        return nullptr;
    }
    duk_pop(interpreter);
    return interpreter;
}

void QVJavaScriptEngine::DeleteV7Engine(QVScriptContext* interpreter)
{
    // Also after an abandoned run (null): the watcher may have raised the stop
    // flag after the jump, and the next run must find it clear.
    QVScriptSandbox::DestroyInterpreter(interpreter);
}

void QVJavaScriptEngine::SetUserLine(int line, unsigned int preludeLines)
{
    int const prelude = static_cast<int>(preludeLines);
    mLastReport.mInPrelude = line >= 1 && line <= prelude;
    mLastReport.mLine = line >= 1 && !mLastReport.mInPrelude ? line - prelude : line;
}

void QVJavaScriptEngine::Run(AKString const& text, unsigned int preludeLines)
{
    QVScriptContext* interpreter = CreateAndWrapV7Engine();
    if (interpreter == nullptr) {
        mLastReport.mStatus = AKLogError(kAKErrorNoMemory, "The JavaScript interpreter cannot be created");
        return;
    }
    QVJavaScriptEngineWatcher watcher;
    QVWrapperClass::ClearError();
    int status = watcher.Start(GetTimeOut());
    if (status != 0) {
        DeleteV7Engine(interpreter);
        mLastReport.mStatus = status;
        return;
    }

    int line = 0;
    char message[QVScriptSandbox::kMessageSize];
    double const start = NowSec();
    status = QVScriptSandbox::Execute(interpreter, text.c_str(), text.Length(), &line, message);
    double const end = NowSec();
    watcher.Stop();
    bool const timedOut = watcher.HasTimedOut();
    bool const memoryOut = QVScriptSandbox::WasMemoryCapReached();

    if (status == QVScriptSandbox::kCutOff)
        interpreter = nullptr;  // abandoned, its memory already released
    if (status != 0) {
        AKString reason;
        if (timedOut) {
            status = kQVErrorJScriptTimeOut;
            reason = "Time-out";
        } else if (QVWrapperClass::sCurrError != 0) {
            status = QVWrapperClass::sCurrError;
            reason = QVWrapperClass::sCurrErrorStr;
            line = QVWrapperClass::sCurrLineNum;
        } else {
            status = kQVErrorJScriptSyntaxError;
            reason = "Syntax error";
            if (memoryOut)
                reason.Appendf(", out of memory (more than %zu bytes)", QVScriptSandbox::GetMemory().GetByteCap());
            else if (message[0] != '\0')
                reason.Appendf(", %s", message);
        }
        mLastReport.mMessage = reason;
        SetUserLine(line, preludeLines);
    }
    mLastReport.mStatus = status;
    DeleteV7Engine(interpreter);
    QVWrapperClass::ClearError();
    mLastReport.mDurationSec = end - start;
}

int QVJavaScriptEngine::ExecuteFromString(AKString const& text, AKString const& name)
{
    mLastReport = Report();
    if (name.IsEmpty())
        AKLog("# JavaScript Start.\n\n");
    else
        AKLog("# JavaScript Start:\"%s\".\n\n", name.c_str());

    AKString joined;
    AKString preludeName;
    int status = LoadPrelude(&joined, &preludeName);
    if (status != 0) {
        mLastReport.mStatus = status;
    } else {
        // The user's text starts on a line of its own, so its lines are the
        // joined text's lines minus the prelude's.
        if (!joined.IsEmpty() && !QVScriptEndsWithLineEnd(joined.c_str(), joined.Length()))
            joined.Append("\n");
        unsigned int const preludeLines = QVScriptCountLineEnds(joined.c_str(), joined.Length());
        joined.Append(text);

        size_t const bad = FindNonAscii(joined.c_str(), joined.Length());
        if (bad < joined.Length()) {
            mLastReport.mStatus = kQVErrorJScriptNonAsciiChar;
            mLastReport.mMessage = "Non-Ascii char";
            SetUserLine(static_cast<int>(QVScriptLineOfPosition(joined.c_str(), joined.Length(), bad)), preludeLines);
        } else {
            Run(joined, preludeLines);
        }
        if (mLastReport.mInPrelude)
            mLastReport.mMessage.Appendf(" in prelude \"%s\"", preludeName.c_str());
    }

    AKLog("# JavaScript End (%.3lf sec.).\n", mLastReport.mDurationSec);
    if (mLastReport.mStatus != 0)
        AKLog("# JavaScript Error %d at Line %d: %s.\n", mLastReport.mStatus, mLastReport.mLine,
              mLastReport.mMessage.c_str());
    AKLog("\n");
    return mLastReport.mStatus;
}
