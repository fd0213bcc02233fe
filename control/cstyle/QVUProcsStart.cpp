// Start, stop and idling of the engine through the C-style interface, with
// the interface's own state: its start counter and its idling timer.

#include "AKIdlingCenter.h"
#include "AKLog.h"
#include "AKMainRunLoop.h"
#include "AKStatus.h"
#include "AKSys.h"
#include "QVCommands.h"
#include "QVDocumentMgr.h"
#include "QVLibBasicOptions.h"
#include "QVLibEnv.h"
#include "QVParams.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

namespace {

constexpr unsigned int kAutoIdlingPeriodMilliSec = 50;

int sStartCount = 0;
bool sHostIdleWarned = false;
bool sInAutoIdling = false;

void IdleOnce(void*)
{
    if (AKIdlingCenter::sShared.HasClients())
        AKIdlingCenter::sShared.DoGlobalIdling();
}

AKIdlingLoop sAutoIdling(&IdleOnce, nullptr, kAutoIdlingPeriodMilliSec);

}  // namespace

bool QVUProcRealTime() { return gQVLib.realTime; }
bool QVUProcWaveform() { return gQVLib.waveform; }

void QVUProcEnter()
{
    // The host has no run loop of the engine's: the interface pumps it at
    // its entry points, where no engine work is in progress.
    if (!sAutoIdling.IsRunning() || sInAutoIdling || !AKSys::IsMainThread())
        return;
    sInAutoIdling = true;
    AKMainRunLoop::sShared.RunOnce();
    sInAutoIdling = false;
}

extern "C" {

int _QX_dylibVersion(int* number, char const** text)
{
    QVUProcPut(number, QX_DYLIB_VERSION);
    QVUProcPut(text, static_cast<char const*>(kQVApplicationVersion));
    return 0;
}

int _QX_initialize(char const* options, QXLogProc log)
{
    if (++sStartCount > 1)
        return 0;
    AKSetCustomLogMessageProc(log, false);
    gQVLib.Reset();
    AKLogErrorMute();
    gQVLib.SetupFromParametersString(options != nullptr ? options : "");
    AKLogErrorUnmute();
    // The two options without a key stay off: no standard folders, caches
    // in memory.
    gQVLib.standardFolders = false;
    gQVLib.fileCachesOnDisk = false;

    int const status = QVLibEnv::Initialize(true);
    if (status == 0) {
        QVParams::BuildParamInfoList();
        QVCommands::BuildCommandInfoList();
    }
    AKLog("# QXQuorvex::initialize(\"RealTime=%d; HostIdle=%d; UndoRedo=%d; Waveform=%d; PersistIDs=%d;\") ",
          gQVLib.realTime ? 1 : 0, gQVLib.hostIdle ? 1 : 0, gQVLib.undoRedo ? 1 : 0, gQVLib.waveform ? 1 : 0,
          gQVLib.persistIDs ? 1 : 0);
    if (status == 0)
        AKLog("has been called successfully.\n");
    else
        AKLog("has returned error %d.\n", status);

    if (status == 0 && gQVLib.realTime && !gQVLib.hostIdle) {
        if (sAutoIdling.Start())
            AKLog("# QXQuorvex has launched its auto-idling successfully.\n");
        else
            AKLogWarning(kQVWarningUProcCantLaunchAutoIdling, "Can't launch auto-idling");
    }
    AKLog("\n");
    // A failed start leaves nothing running: the next call tries again
    // instead of reporting an engine that is not there.
    if (status != 0)
        --sStartCount;
    return status;
}

int _QX_terminate(void)
{
    if (sStartCount == 0)
        return 0;
    if (--sStartCount > 0)
        return 0;
    sAutoIdling.Stop();
    QVDocumentMgr::sShared.Terminate();
    QVProviderMgr::sShared.Terminate();
    QVLibEnv::Terminate();
    return 0;
}

int _QX_globalIdle(void)
{
    if (gQVLib.realTime && gQVLib.hostIdle) {
        IdleOnce(nullptr);
        return 0;
    }
    if (!sHostIdleWarned) {
        sHostIdleWarned = true;
        AKLogWarning(1, "Can't make host-idling because option \"RealTime=1;HostIdle=1;\" wasn't setted at "
                        "initialization");
    }
    return 0;
}

int _QX_setPrefsParameters(char const* parameters)
{
    QVUProcEnter();
    int const status = QVUProcCheckString(parameters, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPrefsMax);
    if (status != 0)
        return status;
    return QVPrefs::sShared.SetupFromParametersString(parameters);
}

int _QX_logPrefs(void)
{
    QVUProcEnter();
    QVPrefs::sShared.LogInfoPrefs();
    return 0;
}

}  // extern "C"
