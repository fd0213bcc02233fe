#include "QVBounceMgr.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "QVDocument.h"

#include <algorithm>

QVBounceMgr QVBounceMgr::sShared;

namespace {

constexpr unsigned int kReservedJobs = 40;

}  // namespace

QVBounceMgr::QVBounceMgr() : AKThreadClient(kQVBounceWorkerShare), AKIdlingClient("QVBounceMgr", this == &sShared)
{
    mBouncers.Reserve(kReservedJobs);
    mDirectTable.Reserve(kReservedJobs);
}

QVBounceMgr::~QVBounceMgr()
{
    mThread.Stop();
    for (QVBouncer* bouncer : mBouncers)
        delete bouncer;
}

// --- Launching ---

int QVBounceMgr::LaunchBounce(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                              QVBounceParam const& param)
{
    auto* const bouncer = new QVBouncer();
    if (int const status = bouncer->InitAndReserveSoundFile(mode, selection, path, param); status != 0) {
        delete bouncer;
        return status;
    }
    if ((mode & kQVBounceModeSync) != 0) {
        int const status = bouncer->BounceSoundSync();
        delete bouncer;
        return status;
    }

    mThread.Pause();
    mBouncers.Push(bouncer);
    if (mDirectAccess && bouncer->GetID() > kQVBounceDirectIDMax) {
        mDirectAccess = false;
        mDirectTable.Clear();
    }
    if (mDirectAccess) {
        while (mDirectTable.Count() <= bouncer->GetID())
            mDirectTable.Push(nullptr);
        mDirectTable[bouncer->GetID()] = bouncer;
    }
    ++mListStamp;
    mThread.UnPause();
    if (!mThread.IsRunning()) {
        if (mThread.Start() != 0)
            return AKLogError(kQVErrorBouncerCantStartBounceThread, "Bounce manager can't start thread");
        GiveMeIdling(true);
    }
    return 0;
}

int QVBounceMgr::LaunchBounceWithCurrentPrefs(unsigned int mode, AKTreeSelCache const& selection,
                                              AKFilePath const& path, double duration)
{
    QVBounceParam param;
    param.SetupFromCurrentPrefs();
    param.duration = duration;
    return LaunchBounce(mode, selection, path, param);
}

// --- Queries ---

QVBouncer* QVBounceMgr::GetBouncerByID(QVBouncerID id) const
{
    if (id == kQVNullBouncerID)
        return nullptr;
    if (mDirectAccess)
        return id < mDirectTable.Count() ? mDirectTable[id] : nullptr;
    for (QVBouncer* bouncer : mBouncers)
        if (bouncer->GetID() == id)
            return bouncer;
    return nullptr;
}

double QVBounceMgr::GetCurrentProcessingBouncerProgress() const
{
    return mProcessing != nullptr ? mProcessing->BouncerProgress() : 0.0;
}

void QVBounceMgr::GetCurrentUsedPrivateDocuments(ATArray<QVDocument*>* documents) const
{
    if (documents == nullptr)
        return;
    documents->Clear();
    for (QVBouncer* bouncer : mBouncers)
        if (bouncer->GetPrivateDocument() != nullptr)
            documents->Push(bouncer->GetPrivateDocument());
}

// --- Aborting and clearing ---

void QVBounceMgr::AbortUncompletedBouncer(QVBouncerID id)
{
    QVBouncer* const bouncer = GetBouncerByID(id);
    if (bouncer == nullptr || bouncer->IsFinal())
        return;
    if (bouncer == mProcessing) {
        // The next idle pass sees its final state.
        mThread.Pause();
        bouncer->BouncerWriteAbort();
        mThread.UnPause();
        return;
    }
    bouncer->BouncerWriteAbort();
    ++mFinishedCount;
    LowRaiseStateStamp();
}

void QVBounceMgr::AbortAllUncompletedBouncers()
{
    if (mBouncers.IsEmpty() && !mThread.IsRunning() && !IsIdlingRegistered())
        return;
    mThread.Stop();
    GiveMeIdling(false);
    LowSetSharePacing();
    mProcessing = nullptr;
    mProcessingID = kQVNullBouncerID;
    for (QVBouncer* bouncer : mBouncers)
        if (!bouncer->IsFinal())
            bouncer->BouncerWriteAbort();
    mFinishedCount = mBouncers.Count();
    LowRaiseStateStamp();
}

void QVBounceMgr::ClearHistoryOfCompletedBouncers()
{
    if (mFinishedCount == 0)
        return;
    mThread.Pause();
    unsigned int kept = 0;
    for (unsigned int i = 0; i < mBouncers.Count(); ++i) {
        QVBouncer* const bouncer = mBouncers[i];
        // The job in process stays until the idle pass has counted it.
        if (bouncer->IsFinal() && bouncer != mProcessing) {
            if (bouncer->GetID() < mDirectTable.Count())
                mDirectTable[bouncer->GetID()] = nullptr;
            delete bouncer;
        } else {
            mBouncers[kept++] = bouncer;
        }
    }
    mBouncers.StdVector().resize(kept);
    mFinishedCount = 0;
    ++mListStamp;
    mThread.UnPause();
}

int QVBounceMgr::Terminate()
{
    AbortAllUncompletedBouncers();
    mThread.Stop();
    GiveMeIdling(false);
    for (QVBouncer* bouncer : mBouncers)
        delete bouncer;
    mBouncers.Clear();
    mDirectTable.Clear();
    mDirectAccess = true;
    mFinishedCount = 0;
    ++mListStamp;
    return 0;
}

// --- Worker and idle passes ---

double QVBounceMgr::ComputeTunedShare(double share, double occupation)
{
    if (!(occupation > 0.0))
        return share;
    if (occupation >= kQVBounceQueueBehind)
        return kQVBounceShareSlow;
    return std::min(share * kQVBounceShareGrowth, kQVBounceShareMax);
}

void QVBounceMgr::ThreadCallback()
{
    QVBouncer* const bouncer = mProcessing;
    if (bouncer != nullptr && bouncer->GetState() == kQVBouncerStateWriting)
        bouncer->BouncerWriteNext();
}

void QVBounceMgr::LowSetSharePacing()
{
    mThread.SetRealTimeMode(0.0);
    mThread.SetExpectedCpuUsage(kQVBounceWorkerShare);
}

QVBouncer* QVBounceMgr::LowChooseNextJob()
{
    QVBouncer* lastWaiting = nullptr;
    for (QVBouncer* bouncer : mBouncers) {
        if (bouncer->GetState() == kQVBouncerStateWaiting) {
            bouncer->BouncerAttemptStart();
            if (bouncer->GetState() == kQVBouncerStateWaiting)
                lastWaiting = bouncer;
        }
        if (bouncer->GetState() == kQVBouncerStateReady)
            return bouncer;
    }
    return lastWaiting;
}

void QVBounceMgr::LowFinishProcessing()
{
    mThread.Pause();
    LowSetSharePacing();
    mProcessing = nullptr;
    mProcessingID = kQVNullBouncerID;
    ++mFinishedCount;
    LowRaiseStateStamp();
    mThread.UnPause();
}

void QVBounceMgr::DoIdling()
{
    if (!mThread.IsRunning()) {
        GiveMeIdling(false);
        LowSetSharePacing();
        mProcessing = nullptr;
        mProcessingID = kQVNullBouncerID;
        LowRaiseStateStamp();
        return;
    }
    if (mProcessing == nullptr) {
        QVBouncer* const next = LowChooseNextJob();
        if (next == nullptr) {
            mThread.Stop();
            return;
        }
        mThread.Pause();
        mProcessing = next;
        mProcessingID = next->GetID();
        mThread.UnPause();
    }

    QVBouncer* const bouncer = mProcessing;
    switch (bouncer->GetState()) {
    case kQVBouncerStateWaiting:
        bouncer->BouncerAttemptStart();
        break;
    case kQVBouncerStateReady:
        mThread.Pause();
        if (bouncer->IsRealTime()) {
            mThread.SetRealTimeMode(bouncer->GetOneCycleDurationForRealTime());
        } else {
            mThread.SetRealTimeMode(0.0);
            mThread.SetExpectedCpuUsage(kQVBounceWorkerShare);
        }
        bouncer->BouncerWriteStart();
        LowRaiseStateStamp();
        mThread.UnPause();
        break;
    case kQVBouncerStateWriting: {
        double const share = mThread.GetExpectedCpuUsage();
        double const tuned = ComputeTunedShare(share, bouncer->GetQueueBufferOccupation());
        if (tuned != share && mThread.GetRealTimePeriod() <= 0.0)
            mThread.SetExpectedCpuUsage(tuned);
        bouncer->WriteQueueToDisk();
        LowRaiseStateStamp();
        break;
    }
    case kQVBouncerStateWritten:
        mThread.Pause();
        bouncer->BouncerWriteEnd();
        mThread.UnPause();
        LowRaiseStateStamp();
        break;
    default:
        LowFinishProcessing();
        break;
    }
}

// --- File names ---

int QVBounceResolveExportPath(QVDocument* document, AKString const& exportPath, bool overwrite,
                              QVBounceParam const& param, AKFilePath* result)
{
    AKString const extension = param.GetSoundFileExtension();
    if (exportPath.StdString() == kQVBounceAutoPath)
        return document->ComputeNextBounceSoundFilePath(AKFilePath(), extension, true, result);
    return document->ComputeNextBounceSoundFilePath(AKFilePath(exportPath.c_str()), extension, !overwrite, result);
}
