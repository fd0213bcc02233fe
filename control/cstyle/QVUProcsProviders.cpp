// Sound files (providers) through the C-style interface.

#include "AKFilePath.h"
#include "AKKeyC.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "QVUProcs.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVUniversalProcs.h"

#include <vector>

namespace {

AKKeyC15 const kKeyName("name");
AKKeyC15 const kKeyPath("path");
AKKeyC15 const kKeyInfo("info");

}  // namespace

extern "C" {

int _QX_newProviderWithSound(char const* path, int* provider)
{
    QVUProcEnter();
    QVUProcPut(provider, 0);
    QVGandlerParam param(nullptr);
    param.WithOptionAsAKFilePath("SoundPath", AKFilePath(QVUProcText(path)));
    int const status = QVGandler::sShared.DoCmd_ApplicationLoadSounds(param, false);
    if (status != 0)
        return status;
    QVProvider const* const found = QVProviderMgr::sShared.GetProviderByPath(AKFilePath(QVUProcText(path)), true);
    QVUProcPut(provider, found != nullptr ? static_cast<int>(found->GetID()) : 0);
    return 0;
}

int _QX_getProviders(int** ids, int* count)
{
    QVUProcEnter();
    static std::vector<int> sIDs;
    sIDs.clear();
    QVUProcPutIDs(QVProviderMgr::sShared.GetProviderIDs(), &sIDs, ids, count);
    return 0;
}

int _QX_getProvidersGlobalState(int* loading, int* loaded, int* total, int* memoryKiB)
{
    QVUProcEnter();
    QVProviderMgr const& providers = QVProviderMgr::sShared;
    QVUProcPut(loading, static_cast<int>(providers.GetLoadingCount()));
    QVUProcPut(loaded, static_cast<int>(providers.GetFinishedCount()));
    QVUProcPut(total, static_cast<int>(providers.GetProviders().Count()));
    QVUProcPut(memoryKiB, static_cast<int>(providers.GetMemory() / 1024));
    return 0;
}

int _QX_purgeUnusedSounds(void)
{
    QVUProcEnter();
    QVProviderMgr::sShared.RemoveUnusedProviders(nullptr);
    return 0;
}

int _QX_logProviders(void)
{
    QVUProcEnter();
    QVProviderMgr::sShared.LogInfo(2);
    return 0;
}

int _QX_existsProvider(int provider, int* exists)
{
    QVUProcEnter();
    QVProvider* found = nullptr;
    AKLogErrorMute();
    int const status = QVUProcCheckProvider(provider, &found);
    AKLogErrorUnmute();
    QVUProcPut(exists, status == 0 ? 1 : 0);
    return 0;
}

int _QX_getProviderState(int provider, int* state, double* progress)
{
    QVUProcEnter();
    // A sound whose load has not started reads 0, never the caller's
    // leftover value.
    QVUProcPut(state, 0);
    QVUProcPut(progress, 0.0);
    QVProvider* found = nullptr;
    int const status = QVUProcCheckProvider(provider, &found);
    if (status != 0)
        return status;
    if (found->GetError() == kQVProviderErrorNotFound)
        QVUProcPut(state, -2);
    else if (found->GetError() == kQVProviderErrorUnusable)
        QVUProcPut(state, -1);
    else if (found->GetState() == kQVProviderStateLoading || found->GetState() == kQVProviderStateLoaded)
        QVUProcPut(state, 1);
    else if (found->GetState() == kQVProviderStateDone)
        QVUProcPut(state, 2);
    QVUProcPut(progress, found->LoadingProgress());
    return 0;
}

int _QX_getProviderSoundInfo(int provider, int* channels, double* duration, double* sampleRate)
{
    QVUProcEnter();
    QVUProcPut(channels, 0);
    QVUProcPut(duration, 0.0);
    QVUProcPut(sampleRate, 0.0);
    QVProvider* found = nullptr;
    int const status = QVUProcCheckProvider(provider, &found);
    if (status != 0)
        return status;
    QVAudioFileInfo const& info = found->GetFileInfo();
    QVUProcPut(channels, static_cast<int>(info.channelCount));
    QVUProcPut(duration, info.duration);
    QVUProcPut(sampleRate, info.sampleRate);
    return 0;
}

int _QX_getProviderParamString(int provider, char const* key, char const** value)
{
    QVUProcEnter();
    static AKString sValue;
    sValue = AKString();
    QVUProcPut(value, QVUProcEmptyText());
    QVProvider* found = nullptr;
    int status = QVUProcCheckProvider(provider, &found);
    AKKeyC15 word;
    if (status == 0)
        status = QVUProcCheckKey(key, &word, true);
    if (status != 0)
        return status;
    if (word == kKeyName) {
        QVUProcPutText(value, found->GetShortName());
    } else if (word == kKeyPath) {
        sValue = found->GetPath().String();
        QVUProcPutText(value, sValue);
    } else if (word == kKeyInfo) {
        sValue = found->GetInfoString().IsEmpty() ? AKString("(Unknown Format)") : found->GetInfoString();
        QVUProcPutText(value, sValue);
    } else {
        return AKLogError(kQVErrorUProcParamKeyUnknown, "Unknown parameter \"%s\" for object of type <%s>",
                          word.c_str(), "provider");
    }
    return 0;
}

int _QX_logInfoProvider(int provider)
{
    QVUProcEnter();
    QVProvider* found = nullptr;
    int const status = QVUProcCheckProvider(provider, &found);
    if (status != 0)
        return status;
    found->LogInfo(3);
    return 0;
}

}  // extern "C"
