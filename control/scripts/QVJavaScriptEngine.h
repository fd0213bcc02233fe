#pragma once

#include "AKFilePath.h"
#include "AKString.h"
#include "QVScriptSandbox.h"

#include <cstddef>

// Runs the user's JavaScript files. A run joins the prelude (the engine's own
// script, ahead of every user script) and the user's text, checks that the
// whole is ASCII, executes it on a fresh interpreter in the sandbox with the
// "_QS_" engine functions, and logs its start, its duration and, on failure,
// the status, the line of the user's file and a message. A watcher thread
// stops a script that runs longer than Internal.ScriptTimeOutDuration.
//
// Runs execute on the main thread, one at a time.
class QVJavaScriptEngine
{
public:
    static QVJavaScriptEngine sShared;

    // How the last run went (also for the host and tests).
    struct Report {
        int mStatus = 0;
        // The line in the user's file, or in the prelude when mInPrelude is set;
        // 0 when unknown.
        int mLine = 0;
        bool mInPrelude = false;
        AKString mMessage;
        double mDurationSec = 0.0;
    };

    void Initialize() {}
    void Terminate() {}

    // The folder of the file becomes the base of relative sound and document
    // paths for the run. Returns 0 or the run's status.
    int ExecuteFromFile(AKFilePath const& path);
    // name (may be empty) only labels the log. Returns 0 or the run's status.
    int ExecuteFromString(AKString const& text, AKString const& name);

    // A fresh interpreter in the sandbox with every engine function set on
    // its global object; null when it cannot be made.
    QVScriptContext* CreateAndWrapV7Engine();
    void DeleteV7Engine(QVScriptContext* interpreter);

    Report const& GetLastReport() const { return mLastReport; }

    // Bytes a run may hold (QVScriptMemory::kDefaultByteCap at start).
    void SetMemoryCap(size_t bytes);
    // A time-out in seconds that replaces the preference when above 0 (hosts
    // that run untrusted text with a short leash).
    void SetTimeOutOverride(double seconds) { mTimeOutOverride = seconds; }

    // The prelude's file name outside an application bundle, in the user's
    // scripts folder, and its resource name inside one.
    static char const kPreludeFileName[];
    static char const kPreludeResourceName[];

private:
    int LoadPrelude(AKString* prelude, AKString* preludeName) const;
    double GetTimeOut() const;
    void Run(AKString const& text, unsigned int preludeLines);
    void SetUserLine(int line, unsigned int preludeLines);

    Report mLastReport;
    double mTimeOutOverride = 0.0;
};
