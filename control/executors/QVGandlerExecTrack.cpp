// Track commands: a track re-initialised with a sound file, a sound file
// inserted into a track, and one forwarder per track-part command. The
// sound commands change the track first and record it only when it changed,
// so an unchanged track leaves no undo step.

#include "AKLog.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVObjectTrack.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"

namespace {

// The one selected object when it is a track.
QVObjectTrack* SelectedTrack(AKTreeActionParam const& action)
{
    ATObjectArray<AKObject> const& objects = action.GetTreeSel().GetObjects();
    if (objects.Count() != 1 || objects[0] == nullptr || !objects[0]->IsKindOfT<QVObjectTrack>())
        return nullptr;
    return static_cast<QVObjectTrack*>(objects[0]);
}

// A track given a sound that cannot be played would be left empty or with a
// part pointing at nothing, so such a sound (an unknown "#" ID, or a file
// missing, empty or of no known format) fails before the track is touched.
// A provider registered for that attempt alone is dropped again: it would
// otherwise stay in the shared list as a lost sound.
int RegisterPlayableSound(AKFilePath const& path)
{
    QVProviderMgr& providers = QVProviderMgr::sShared;
    bool const known = providers.GetProviderByPath(path, true) != nullptr;
    QVProvider* const provider = providers.RegisterProvider(path);
    if (provider != nullptr && provider->GetError() == kQVProviderErrorNone)
        return 0;
    if (provider != nullptr && !known)
        providers.RemoveProvider(provider);
    return AKLogError(kQVErrorProviderNotFound, "Can't register sound-file <%s>", path.c_str());
}

}  // namespace

template <class Change>
int QVGandler::LowTrackSound(QVGandlerParam& param, bool withDialog, QVCommandInfo const& command, char const* echo,
                             Change change)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    QVObjectTrack* const track = SelectedTrack(action);
    AKFilePath path;
    bool found = param.GetOptionAsAKFilePath("SoundPath", &path);
    if (!found && withDialog) {
        AKFilePathArray chosen;
        if (!GetLibext().DoDialogOpenSoundFiles(&chosen, "Load Sound-File", false) || chosen.IsEmpty())
            return 0;
        path = chosen[0];
        found = true;
    }
    VerboseCommand(echo, path.FileName().c_str());

    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && track == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0 && (!found || path.IsEmpty()))
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "SoundPath");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckHasSomeTreeSel(action, true));
    if (status == 0) {
        // The track changes before its group opens; should the group not
        // open, the change cannot be recorded and the track goes back.
        QVTrackZoneArray const kept(track->GetTrackZones());
        bool changed = false;
        status = change(track, path, &changed);
        if (status == 0 && changed) {
            status = handler->DoEasyStart(command, nullptr);
            if (status != 0) {
                track->InitWithTrackZones(kept);
            } else {
                AKObject* revised = track;
                status = handler->DoEasyReviseObject(&revised, kAKNullDictionary, false);
                ATObjectArray<AKObject> made;
                made.Push(track);
                status = EndGroupAndNotify(document, handler, action, command, made, status);
            }
        }
    }
    if (status == 0)
        QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_TrackReinitWithSound(QVGandlerParam& param, bool withDialog)
{
    return LowTrackSound(param, withDialog, kQVCmd_TrackReinitWithSound, "Track ReinitWithSound:\"%s\"",
                         [](QVObjectTrack* track, AKFilePath const& path, bool* changed) {
                             int const status = RegisterPlayableSound(path);
                             if (status == 0)
                                 *changed = track->ReinitWithSound(path, nullptr, nullptr);
                             return status;
                         });
}

int QVGandler::DoCmd_TrackInsertSound(QVGandlerParam& param, bool withDialog)
{
    double begin = 0.0;
    double end = 0.0;
    double at = -1.0;
    param.GetOptionAsFloat64("SoundBeg", &begin);
    param.GetOptionAsFloat64("SoundEnd", &end);
    param.GetOptionAsFloat64("TimeAt", &at);
    return LowTrackSound(param, withDialog, kQVCmd_TrackInsertSound, "Track InsertSound:\"%s\"",
                         [begin, end, at](QVObjectTrack* track, AKFilePath const& path, bool* changed) {
                             int const status = RegisterPlayableSound(path);
                             if (status == 0)
                                 *changed = track->InsertSound(path, AKTimeIntv{begin, end}, at);
                             return status;
                         });
}

// --- Track-part forwarders ---

#define QV_TRACK_PART_FORWARDER(name)                                                                                  \
    int QVGandler::DoCmd_##name(QVGandlerParam& param) { return DoCmd_TrackPartCommand(param, kQVCmd_##name); }
QV_TRACK_PART_FORWARDER(TrackPartCut)
QV_TRACK_PART_FORWARDER(TrackPartCopy)
QV_TRACK_PART_FORWARDER(TrackPartPaste)
QV_TRACK_PART_FORWARDER(TrackPartDuplicate)
QV_TRACK_PART_FORWARDER(TrackPartDelete)
QV_TRACK_PART_FORWARDER(TrackPartReset)
QV_TRACK_PART_FORWARDER(TrackPartExtract)
QV_TRACK_PART_FORWARDER(TrackPartCrop)
QV_TRACK_PART_FORWARDER(TrackPartMoveOrCopy)
QV_TRACK_PART_FORWARDER(TrackPartErase)
QV_TRACK_PART_FORWARDER(TrackPartSilent)
QV_TRACK_PART_FORWARDER(TrackPartScale)
QV_TRACK_PART_FORWARDER(TrackPartReverse)
QV_TRACK_PART_FORWARDER(TrackPartZxperScale)
QV_TRACK_PART_FORWARDER(TrackPartZxperRepeat)
QV_TRACK_PART_FORWARDER(TrackPartZxperMingle)
QV_TRACK_PART_FORWARDER(TrackPartZxperStretch)
#undef QV_TRACK_PART_FORWARDER
