// Commands on the engine as a whole: the global settings, scripts, the
// shared sound files, quitting, logging and the standard dialogs. None of
// them works on a document or leaves an undo step.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKRandom.h"
#include "AKStatus.h"
#include "AKTreePasteboard.h"
#include "QVDocumentMgr.h"
#include "QVGandler.h"
#include "QVGandlerExecShared.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"

namespace {

QVGandler::ScriptRunner sScriptRunner = nullptr;

constexpr unsigned int kVerboseLevelMax = 9;

int UndefinedOption(char const* key) { return AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", key); }

}  // namespace

void QVGandler::InstallScriptRunner(ScriptRunner runner) { sScriptRunner = runner; }

// --- Global settings ---

int QVGandler::DoCmd_GlobalSetVerboseLevel(QVGandlerParam& param)
{
    unsigned int level = 0;
    bool const found = param.GetOptionAsUInt("Level", &level);
    VerboseCommand("Global VerboseLevel:%u", level);
    if (!found) {
        int const status = UndefinedOption("Level");
        VerboseResult(status, false, nullptr);
        return status;
    }
    if (level > kVerboseLevelMax)
        level = kVerboseLevelMax;
    QVPrefs::sShared.SetInternalVerboseLevel(level);
    VerboseResult(0, false, nullptr);
    return 0;
}

int QVGandler::DoCmd_GlobalSetRandomSeed(QVGandlerParam& param)
{
    unsigned int seed = 0;
    bool const found = param.GetOptionAsUInt("Seed", &seed);
    VerboseCommand("Global RandomSeed:%u", seed);
    int status = 0;
    if (!found)
        status = UndefinedOption("Seed");
    else
        akrand::randomInit(seed);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_GlobalSetTreatExtraIntv(QVGandlerParam& param)
{
    bool flag = false;
    bool const found = param.GetOptionAsBool("Flag", &flag);
    VerboseCommand("Global TreatExtraIntv:%d", flag ? 1 : 0);
    int status = 0;
    if (!found)
        status = UndefinedOption("Flag");
    else
        QVPrefs::sShared.SetSequenceTreatExtraIntv(flag);
    VerboseResult(status, false, nullptr);
    return status;
}

// --- Scripts ---

int QVGandler::DoCmd_ApplicationLaunchScript(QVGandlerParam& param)
{
    AKFilePath path;
    bool const found = param.GetOptionAsAKFilePath("ScriptPath", &path);
    VerboseCommand("Application LaunchScript:\"%s\"", path.FileName().c_str());
    int status;
    if (!found || path.IsEmpty())
        status = UndefinedOption("ScriptPath");
    else if (sScriptRunner == nullptr)
        status = AKLogError(-1, "No script engine to run <%s>", path.FileName().c_str());
    else
        status = sScriptRunner(path);
    if (status == 0) {
        AKString detail;
        detail.Appendf("Application EndScript:\"%s\"", path.ShortFileName().c_str());
        VerboseResult(0, false, detail.c_str());
    } else {
        VerboseResult(status, false, nullptr);
    }
    return status;
}

// --- Sound files ---

int QVGandler::DoCmd_ApplicationLoadSounds(QVGandlerParam& param, bool withDialog)
{
    AKFilePathArray kept;
    if (!QVGandlerExec_GatherSoundPaths(param, withDialog, GetLibext(), &kept))
        return 0;
    for (unsigned int i = 0; i < kept.Count(); ++i)
        VerboseCommand("Application LoadSound:\"%s\"", kept[i].FileName().c_str());
    if (kept.IsEmpty()) {
        int const status = UndefinedOption("SoundPath or SoundPaths");
        VerboseResult(status, false, nullptr);
        return status;
    }
    for (unsigned int i = 0; i < kept.Count(); ++i)
        QVProviderMgr::sShared.RegisterProvider(kept[i]);
    QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    VerboseResult(0, false, nullptr);
    return 0;
}

int QVGandler::DoCmd_ApplicationReplaceSound(QVGandlerParam& param, bool withDialog)
{
    AKFilePath oldPath;
    AKFilePath newPath;
    bool const foundOld = param.GetOptionAsAKFilePath("OldPath", &oldPath);
    bool foundNew = param.GetOptionAsAKFilePath("SoundPath", &newPath);
    if (!foundNew && withDialog) {
        QVProvider* const provider = QVProviderMgr::sShared.GetProviderByPath(oldPath, true);
        if (provider != nullptr) {
            AKString title;
            title.Appendf("Replace Sound <%s>", provider->GetPath().ShortFileName().c_str());
            AKFilePathArray chosen;
            if (!GetLibext().DoDialogOpenSoundFiles(&chosen, title, false) || chosen.IsEmpty())
                return 0;
            newPath = chosen[0];
            foundNew = true;
        }
    }
    VerboseCommand("Application ReplaceSound:\"%s\" By:\"%s\"", oldPath.FileName().c_str(), newPath.FileName().c_str());
    int status = 0;
    if (!foundOld)
        status = UndefinedOption("OldPath");
    else if (!foundNew)
        status = UndefinedOption("SoundPath");
    else if (oldPath.IsEmpty())
        status = UndefinedOption("OldPath");
    else if (newPath.IsEmpty())
        status = UndefinedOption("SoundPath");
    if (status == 0) {
        status = QVProviderMgr::sShared.ReplaceSoundProvider(oldPath, newPath, true);
        QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_ApplicationRetrieveLostSounds(QVGandlerParam& param, bool withDialog)
{
    if (QVProviderMgr::sShared.GetTotalLostSoundCount() == 0)
        return 0;
    AKFilePath folder;
    param.GetOptionAsAKFilePath("BasePath", &folder);
    if (withDialog && folder.IsEmpty()) {
        if (!GetLibext().DoDialogChooseDirectory(&folder, "Choose Directory to Retrieve Lost Sounds"))
            return 0;
    }
    VerboseCommand("Application RetrieveLostSounds From:\"%s\"", folder.c_str());
    if (folder.IsEmpty()) {
        int const status = UndefinedOption("BasePath");
        VerboseResult(status, false, nullptr);
        return status;
    }
    unsigned int lost = 0;
    unsigned int retrieved = 0;
    unsigned int weak = 0;
    unsigned int duplicates = 0;
    int const status =
        QVProviderMgr::sShared.RetrieveAllLostSounds(folder, true, &lost, &retrieved, &weak, &duplicates);
    QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    if (withDialog) {
        AKString text;
        if (retrieved > 0) {
            text.Appendf("Has retrieved %u sound(s) on a total of %u.", retrieved, lost);
            if (duplicates > 0)
                text.Appendf(" %u duplicate(s) have been removed.", duplicates);
            if (weak > 0)
                text.Appendf("\n\nWarning: %u of those sound(s) have been identified weakly (only by their file name).",
                             weak);
        } else {
            text = "Can't retrieved any sound.";
        }
        GetLibext().DoAlertMessage(text);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_ApplicationPurgeUnusedSounds(QVGandlerParam&, bool withDialog)
{
    VerboseCommand("Application PurgeUnusedSounds");
    bool cancelled = false;
    if (withDialog) {
        AKString question("Are you sure you want to release unused sounds ?");
        if (!AKTreePasteboard::sShared.IsEmpty())
            question.Append("\n\nBy doing this, you will also empty the pasteboard.");
        cancelled = !GetLibext().DoAlertOkCancel(question);
    }
    if (!cancelled) {
        // The pasteboard may hold the last references to some sounds.
        AKTreePasteboard::sShared.Clear();
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveUnusedProviders(&count);
        if (withDialog) {
            AKString text;
            if (count == 0)
                text = "No sound to release.";
            else if (count == 1)
                text = "Has released 1 sound.";
            else
                text.Appendf("Has released %d sounds.", static_cast<int>(count));
            GetLibext().DoAlertMessage(text);
        }
    }
    VerboseResult(0, cancelled, nullptr);
    return 0;
}

// --- Quitting, logging, dialogs ---

int QVGandler::DoCmd_ApplicationQuit(QVGandlerParam&, bool withDialog)
{
    VerboseCommand("Application Quit");
    bool cancelled = false;
    int const status = GetLibext().DoApplicationQuit(withDialog ? kQVGandlerFlagInteractive : 0, &cancelled);
    // Without a cancel the application is ending: no result line.
    if (cancelled)
        VerboseResult(status, true, nullptr);
    return status;
}

int QVGandler::DoCmd_ApplicationLogInfo(QVGandlerParam& param)
{
    unsigned int level = 0;
    param.GetOptionAsUInt("Level", &level);
    VerboseCommand(level != 0 ? "Application LogInfoAll" : "Application LogInfo");
    QVProviderMgr::sShared.LogInfo(level);
    QVDocumentMgr::sShared.LogInfo(static_cast<int>(level));
    return 0;
}

int QVGandler::DoCmd_ApplicationStandardDialog(QVGandlerDialogID dialogID)
{
    QVGandlerParam fresh;
    switch (static_cast<int>(dialogID)) {
    case 9:
        return DoCmd_ApplicationLoadSounds(fresh, true);
    case 10:
        return DoCmd_ApplicationRetrieveLostSounds(fresh, true);
    case 11:
        DoCmd_ApplicationPurgeUnusedSounds(fresh, true);
        return 0;
    default:
        return GetLibext().DoDialogStandard(dialogID);
    }
}
