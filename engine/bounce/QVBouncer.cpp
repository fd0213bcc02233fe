#include "QVBouncer.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKSys.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"
#include "QVCommandInfo.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVLibBasicOptions.h"
#include "QVObjectAtomic.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPlayableConstants.h"
#include "QVPrefs.h"
#include "QVProvider.h"
#include "QVSoundFileRecorder.h"
#include "QVTreeHandler.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// IDs of the command entries under which the private document's edits are
// grouped (its history is never shown).
constexpr int kCommandEditDelete = 8241;
constexpr int kCommandSequenceAddNewCursor = 8262;

// A block whose every sample is within this of 0 holds no sound.
constexpr double kSilenceLevel = 1e-9;

std::atomic<QVBouncerID> sLastBouncerID{kQVNullBouncerID};

double DurationMax() { return QVPrefs::sShared.GetBounceExportMaxDuration(); }

AKString TrackIndexesText(QVBounceTrackIndexes const& indexes)
{
    if (indexes.IsEmpty())
        return AKString("all");
    AKString text;
    for (unsigned int i = 0; i < indexes.Count(); ++i) {
        AKString number;
        number.Assignf(i == 0 ? "%u" : " %u", indexes[i] + 1);
        text.Append(number);
    }
    return text;
}

bool IsListed(QVBounceTrackIndexes const& indexes, unsigned int index)
{
    for (unsigned int listed : indexes)
        if (listed == index)
            return true;
    return false;
}

int Refuse(char const* what) { return AKLogError(kQVErrorBouncerInvalidParameter, "Can't bounce: %s", what); }

}  // namespace

QVBouncer::QVBouncer()
    : mID(sLastBouncerID.fetch_add(1, std::memory_order_relaxed) + 1), mCreationDate(AKSys::GetCurrentDateAndTime())
{}

QVBouncer::~QVBouncer() { LowCloseRecorder(); }

double QVBouncer::Now() const { return AKSys::GetCurrentApplicationTimeMicroSec() * 1e-6; }

// --- Reservation ---

int QVBouncer::InitAndReserveSoundFile(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                                       QVBounceParam const& param)
{
    if (mState != kQVBouncerStateNew)
        return AKLogError(kQVErrorBouncerBadState, "Can't bounce: the job %u is already reserved", mID);
    int const status = LowReserve(mode, selection, path, param);
    if (status != 0)
        return LowFail(status);
    return 0;
}

int QVBouncer::LowReserve(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                          QVBounceParam const& param)
{
    mUntilSilence = !(param.duration > 0.0);
    mAsync = (mode & kQVBounceModeSync) == 0;
    if (mAsync && !gQVLib.realTime)
        return Refuse("Impossible to launch asynchroneously");
    if (selection.IsEmpty())
        return Refuse("No selection to bounce");
    if (path.IsEmpty())
        return Refuse("Invalid sound-file path");
    AKString message;
    if (!param.CanApply(&message))
        return AKLogError(kQVErrorBouncerInvalidParameter, "Can't bounce: %s", message.c_str());

    mDocument = new QVDocument(1, kQVDocumentFlagPrivate);
    if (int const status = mDocument->OnDocumentNew(AKString("temp"), 0, false); status != 0)
        return status;
    if (int const status = LowPasteSequence(selection); status != 0)
        return status;
    if (!param.trackIndexes.IsEmpty()) {
        if (int const status = LowKeepTracks(param.trackIndexes); status != 0)
            return status;
    }
    mDocument->GetTree()->ClearAllObjectsUIPeerData();
    mDocument->SynchronizeAllAndNotifyGandlerListeners();

    AKTimeIntv interval = mSequence->GetFLFullIntv();
    double const span = mSequence->GetUserSpan();
    if (span > 0.0) {
        double const time = mSequence->GetUserTime();
        interval = AKTimeIntv{time - span / 2.0, time + span / 2.0};
    }
    if (!(interval.end - interval.beg >= kQVBounceDurationMin))
        return AKLogError(kQVErrorBouncerInvalidParameter,
                          "Can't bounce: Duration is too small (%.3lf second at least)", kQVBounceDurationMin);

    if (mSequence->GetFLSubPlayers().IsEmpty()) {
        if (int const status = LowAddPlayer(); status != 0)
            return status;
        mDocument->SynchronizeAllAndNotifyGandlerListeners();
    }
    LowComputeDuration(interval, param);

    mRealTime = mSequence->GetPluginUID() != kQVNullPluginDescUID || mSequence->GetFLPluginCount() > 0;
    if (mRealTime && !mAsync)
        return Refuse("Impossible to launch synchroneously with plugins");

    mSequence->SetUserPlay(0);
    mSequence->SetUserPlay(1);

    QVAudioFileInfo const info = param.GetSoundFileInfo();
    unsigned int const flags = (mode & kQVBounceModeSync) | kQVSoundFileRecorderOwnerIdling;
    mRecorder =
        new QVSoundFileRecorder(path, info, mRealTime ? kQVBounceQueueSecondsRealTime : kQVBounceQueueSeconds, flags);
    // Known before the open, so that a file left by a failed open is removed.
    mFilePath = path;
    if (int const status = mRecorder->Open(); status != 0)
        return status;

    mName = path.ShortFileName();
    mFileInfo = info;
    mTotalFrames = static_cast<unsigned long long>(std::floor(GetDuration() * info.sampleRate + 0.5));
    mState = kQVBouncerStateWaiting;
    QVProviderMgr::sShared.GrabActiveProviderIDsInDocument(&mProviderIDs, mDocument);
    // Sounds nobody asked to load yet would keep the job waiting for ever.
    for (QVProviderID id : mProviderIDs) {
        QVProvider const* const provider = QVProviderMgr::sShared.GetProviderByID(id);
        if (provider != nullptr && provider->GetState() == kQVProviderStateIdle &&
            !provider->IsSoundDataCompletelyAvailable()) {
            QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
            break;
        }
    }
    AKLog("# Bounce <%s> Stacked: %s%s with Tracks[%s] to:\"%s\".\n", mName.c_str(), mAsync ? "Async" : "Sync",
          mRealTime ? "-RealTime" : "", TrackIndexesText(param.trackIndexes).c_str(), mFilePath.c_str());
    return 0;
}

int QVBouncer::LowPasteSequence(AKTreeSelCache const& selection)
{
    AKTreeActionParam action(mDocument->GetTree());
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(mDocument);
    if (int const status = handler->DoPasteFromPasteboard(action, &selection, AKString()); status != 0)
        return status;
    // What the paste made, as its result selection.
    ATObjectArray<AKObject> const& objects = action.GetResultTreeSel().GetObjects();
    if (objects.Count() != 1 || objects[0] == nullptr || !objects[0]->IsKindOfT<QVObjectSequence>())
        return -1;
    mSequence = static_cast<QVObjectSequence*>(objects[0]);
    mDocument->SynchronizeAllAndNotifyGandlerListeners();
    return 0;
}

int QVBouncer::LowKeepTracks(QVBounceTrackIndexes const& indexes)
{
    QVObjectTrackArray const& tracks = mSequence->GetFLSubTracks();
    ATObjectArray<AKObject> doomed;
    for (unsigned int i = 0; i < tracks.Count(); ++i)
        if (!IsListed(indexes, i))
            doomed.Push(tracks[i]);
    if (doomed.IsEmpty())
        return 0;
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(mDocument);
    handler->DoEasyStart(QVCommandInfo(kCommandEditDelete, AKString("Delete")), nullptr);
    int const status = handler->DoEasyDeleteObjects(&doomed);
    handler->DoEasyEnd();
    return status;
}

int QVBouncer::LowAddPlayer()
{
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(mDocument);
    handler->DoEasyStart(QVCommandInfo(kCommandSequenceAddNewCursor, AKString("Add Player To Sequence")), nullptr);
    QVObjectPlayable* player = nullptr;
    int const status = handler->DoEasyNewCursor(&player, AKString(), 0, 0.0, mSequence, kAKLinkModeLastChildren);
    handler->DoEasyEnd();
    if (status != 0)
        return status;
    if (player == nullptr || !player->IsKindOfT<QVObjectAtomic>())
        return -1;
    return 0;
}

void QVBouncer::LowComputeDuration(AKTimeIntv interval, QVBounceParam const& param)
{
    if (!mUntilSilence) {
        mDuration = param.duration;
        return;
    }
    double slowest = -1.0;
    for (QVObjectPlayable const* player : mSequence->GetFLSubPlayers()) {
        double const speed = std::fabs(player->GetUserSpeed());
        if (slowest < 0.0 || speed < slowest)
            slowest = speed;
    }
    double duration = kQVBounceStillDuration;
    if (slowest >= kQVEngineSpeedEpsilon)
        duration = (interval.end - interval.beg) / slowest;
    mDuration = std::clamp(duration, kQVBounceDurationMin, std::max(kQVBounceDurationMin, DurationMax()));
}

// --- States ---

int QVBouncer::BouncerAttemptStart()
{
    if (mState != kQVBouncerStateWaiting)
        return AKLogError(kQVErrorBouncerBadState, "Bounce <%s>: can't start in state %d", mName.c_str(), GetState());
    bool loading = false;
    bool failed = false;
    for (QVProviderID id : mProviderIDs) {
        QVProvider const* const provider = QVProviderMgr::sShared.GetProviderByID(id);
        if (provider == nullptr || provider->IsSoundDataCompletelyAvailable())
            continue;
        // A load that ended without the sound's data never completes: the
        // sound plays as silence, as it would on the device.
        if (provider->GetError() != kQVProviderErrorNone || provider->GetState() == kQVProviderStateDone)
            failed = true;
        else
            loading = true;
    }
    if (loading)
        return 0;
    if (failed && !mSilentSoundsLogged) {
        mSilentSoundsLogged = true;
        AKLogWarning(kQVErrorBouncerInternalError, "Bounce <%s>: some sounds could not be loaded, they are silent",
                     mName.c_str());
    }
    mState = kQVBouncerStateReady;
    return 0;
}

int QVBouncer::BouncerWriteStart()
{
    if (mState != kQVBouncerStateReady)
        return AKLogError(kQVErrorBouncerBadState, "Bounce <%s>: can't write in state %d", mName.c_str(), GetState());
    QVDocumentAudioSource* const source = mDocument->GetAudioSource();
    if (source != nullptr) {
        QVAudioInfo format;
        format.Setup(mFileInfo.channelCount, kQVBounceBlockFrames, mFileInfo.sampleRate);
        source->PrepareAudioResources(format);
        source->SynchronizeWithDoc(true);
        // The first block starts from the players' stored state.
        source->ForceUpdatePoolsRTState();
    }
    mState = kQVBouncerStateWriting;
    mStartTime = Now();
    mWrittenFrames = 0;
    AKLog("# Bounce <%s> Start.\n", mName.c_str());
    return 0;
}

int QVBouncer::BouncerWriteNext()
{
    if (mState != kQVBouncerStateWriting)
        return kQVErrorBouncerBadState;  // worker side: nothing logged
    unsigned int const blocks = mRealTime ? kQVBounceBlocksPerStepRealTime : kQVBounceBlocksPerStep;
    int status = 0;
    for (unsigned int b = 0; b < blocks && mState == kQVBouncerStateWriting; ++b)
        if (!LowWriteOneBlock(&status))
            break;
    mElapsedTime = Now() - mStartTime;
    return status;
}

bool QVBouncer::LowWriteOneBlock(int* status)
{
    if (mWrittenFrames >= mTotalFrames) {
        mState = kQVBouncerStateWritten;
        return false;
    }
    // A queued block that does not fit would be dropped: wait for the disk.
    if (mRecorder->IsQueued()) {
        double const room =
            (1.0 - mRecorder->GetBufferOccupation()) * static_cast<double>(mRecorder->GetQueueFrameCount());
        if (room < static_cast<double>(2 * kQVBounceBlockFrames))
            return false;
    }
    QVDocumentAudioSource* const source = mDocument->GetAudioSource();
    QXSampleBuffer<double>* const block = source != nullptr ? source->GetNextAudioBlock(kQVBounceBlockFrames) : nullptr;
    if (block == nullptr) {
        mFailure = kQVErrorBouncerInternalError;
        mState = kQVBouncerStateFailed;
        *status = kQVErrorBouncerInternalError;
        return false;
    }
    unsigned long long const frames = std::min(block->FrameCount(), GetTotalFrames() - GetWrittenFrames());
    block->StackWorkingSubRange(0, frames);
    int const pushed = mRecorder->PushNextFrames(*block);
    block->UnstackWorkingSubRange();
    if (pushed != 0) {
        mFailure = pushed;
        mState = kQVBouncerStateFailed;
        *status = pushed;
        return false;
    }
    mWrittenFrames += frames;
    if (mUntilSilence && LowIsSilentEnd(*block, frames)) {
        mTotalFrames = GetWrittenFrames();
        mDuration = static_cast<double>(GetWrittenFrames()) / mFileInfo.sampleRate;
        mState = kQVBouncerStateWritten;
        return false;
    }
    if (mWrittenFrames >= mTotalFrames) {
        mState = kQVBouncerStateWritten;
        return false;
    }
    return true;
}

bool QVBouncer::LowIsSilentEnd(QXSampleBuffer<double> const& block, unsigned long long frames) const
{
    // A gap between zones is silent too: only a silent block once the
    // sequence has stopped ends the job early.
    if (mSequence->IsFLSomeSubPlaying())
        return false;
    for (unsigned int c = 0; c < block.ChannelCount(); ++c) {
        double const* samples = block.SamplePtrConst(c, 0);
        for (unsigned long long f = 0; samples != nullptr && f < frames; ++f)
            if (std::fabs(samples[f]) > kSilenceLevel)
                return false;
    }
    return true;
}

int QVBouncer::BouncerWriteEnd()
{
    if (mState != kQVBouncerStateWritten)
        return AKLogError(kQVErrorBouncerBadState, "Bounce <%s>: can't end in state %d", mName.c_str(), GetState());
    // Everything queued is written before the file counts as complete; a
    // failed write or a lost block fails the job instead.
    WriteQueueToDisk();
    if (int const error = mRecorder->GetWriteError(); error != 0)
        return LowFail(error);
    if (mRecorder->GetDroppedBlockCount() > 0 || mRecorder->GetRefusedBlockCount() > 0)
        return LowFail(AKLogError(kQVErrorBouncerInternalError, "Bounce <%s>: blocks were lost", mName.c_str()));
    mState = kQVBouncerStateCompleted;
    mElapsedTime = Now() - mStartTime;
    LowCloseRecorder();
    double const elapsed = GetElapsedTime();
    double const ratio = elapsed > 0.0 ? GetDuration() / elapsed : 0.0;
    AKLog("# Bounce <%s> Completed: Taken %.3lf sec. for %.3lf sec. (Ratio x %lf).\n", mName.c_str(), GetElapsedTime(),
          GetDuration(), ratio);
    return 0;
}

int QVBouncer::BouncerWriteAbort()
{
    if (IsFinal())
        return AKLogError(kQVErrorBouncerBadState, "Bounce <%s>: can't abort in state %d", mName.c_str(), GetState());
    mState = kQVBouncerStateAborted;
    if (mStartTime > 0.0)
        mElapsedTime = Now() - mStartTime;
    LowCloseRecorder();
    AKLog("# Bounce <%s> Canceled: Taken %.3lf sec.\n", mName.c_str(), GetElapsedTime());
    return 0;
}

int QVBouncer::BounceSoundSync()
{
    if (mState != kQVBouncerStateWaiting && mState != kQVBouncerStateReady)
        return AKLogError(kQVErrorBouncerBadState, "Bounce <%s>: can't run in state %d", mName.c_str(), GetState());
    if (mState == kQVBouncerStateWaiting)
        BouncerAttemptStart();
    // Nothing would be written: a failure, never a success.
    if (mState == kQVBouncerStateWaiting)
        return LowFail(
            AKLogError(kQVErrorBouncerBadState, "Can't bounce <%s>: its sounds are not loaded yet", mName.c_str()));
    int status = BouncerWriteStart();
    while (status == 0 && mState == kQVBouncerStateWriting)
        status = BouncerWriteNext();
    if (status == 0 && mState == kQVBouncerStateWritten)
        status = BouncerWriteEnd();
    if (status != 0 || mState != kQVBouncerStateCompleted)
        return LowFail(status != 0 ? status : kQVErrorBouncerInternalError);
    return 0;
}

int QVBouncer::LowFail(int status)
{
    if (mFailure == 0)
        mFailure = status;
    if (mState != kQVBouncerStateFailed && mState != kQVBouncerStateAborted)
        mState = kQVBouncerStateFailed;
    LowCloseRecorder();
    if (!mName.IsEmpty())
        AKLog("# Bounce <%s> Failed: error %d.\n", mName.c_str(), status);
    return status;
}

// --- Progress ---

double QVBouncer::BouncerProgress() const
{
    if (mState == kQVBouncerStateWriting)
        return GetTotalFrames() > 0 ? static_cast<double>(GetWrittenFrames()) / static_cast<double>(GetTotalFrames())
                                    : 0.0;
    if (mState == kQVBouncerStateWritten || mState == kQVBouncerStateCompleted)
        return 1.0;
    return 0.0;
}

double QVBouncer::GetOneCycleDurationForRealTime() const
{
    if (!mRealTime || !mFileInfo.IsValid())
        return 0.0;
    return static_cast<double>(kQVBounceBlockFrames) / mFileInfo.sampleRate;
}

double QVBouncer::GetQueueBufferOccupation() const
{
    return mRecorder != nullptr ? mRecorder->GetBufferOccupation() : 0.0;
}

void QVBouncer::WriteQueueToDisk()
{
    if (mRecorder != nullptr && mRecorder->IsQueued())
        mRecorder->DoIdling();
}

// --- Release ---

void QVBouncer::LowCloseRecorder()
{
    if (mRecorder != nullptr) {
        mRecorder->Close();
        delete mRecorder;
        mRecorder = nullptr;
    }
    // Whatever reached the file of a job that did not complete is removed,
    // also after a failed write closed the writer on its own.
    if (mState != kQVBouncerStateCompleted && !mFilePath.IsEmpty()) {
        if (AKFileUtils::FileExists(mFilePath))
            AKFileUtils::RemoveFile(mFilePath);
        mFilePath.Clear();
    }
    if (mDocument != nullptr) {
        QVDocumentAudioSource* const source = mDocument->GetAudioSource();
        if (source != nullptr)
            source->ReleaseAudioResources();
        delete mDocument;
        mDocument = nullptr;
        mSequence = nullptr;
    }
    mProviderIDs.Clear();
    if (GetState() != kQVBouncerStateCompleted)
        mWrittenFrames = 0;
}
