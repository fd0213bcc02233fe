#pragma once

// QVBounceMgr: the bounce jobs. A synchronous job runs inside the launching
// call and is gone when it returns; asynchronous jobs are kept in launch
// order (the history) and rendered one at a time by a worker thread, while
// idle passes on the message thread start, feed and finish them and write
// their queued frames to disk.
//
// The worker only writes blocks of the job in process. The message thread
// changes the job list, the job in process and the worker's pacing only
// while the worker is paused or stopped. Stamps tell a user interface when
// to refresh: the list stamp when jobs are added or cleared, the state
// stamp on every state change the manager sees.

#include "AKIdlingCenter.h"
#include "AKThread.h"
#include "ATArray.h"
#include "QVBouncer.h"

class AKTreeSelCache;
class QVDocument;

// The worker's processor share between jobs and for a job without plug-ins
// at its start.
constexpr double kQVBounceWorkerShare = 0.2;
// Share tuning from the disk queue's occupation.
constexpr double kQVBounceShareSlow = 0.05;
constexpr double kQVBounceShareMax = 0.65;
constexpr double kQVBounceShareGrowth = 1.1;
constexpr double kQVBounceQueueBehind = 0.1;
// IDs up to this are found through a direct table.
constexpr QVBouncerID kQVBounceDirectIDMax = 9999;

class QVBounceMgr : public AKThreadClient, public AKIdlingClient
{
public:
    static QVBounceMgr sShared;

    QVBounceMgr();
    ~QVBounceMgr() override;

    QVBounceMgr(QVBounceMgr const&) = delete;
    QVBounceMgr& operator=(QVBounceMgr const&) = delete;

    // Makes and reserves a job; a synchronous one runs and is deleted, an
    // asynchronous one joins the list (the worker started when needed).
    int LaunchBounce(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                     QVBounceParam const& param);
    // The same with the current preferences and that duration.
    int LaunchBounceWithCurrentPrefs(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                                     double duration);

    QVBouncer* GetBouncerByID(QVBouncerID id) const;
    double GetCurrentProcessingBouncerProgress() const;
    QVBouncerID GetCurrentProcessingBouncerID() const { return mProcessingID; }

    void AbortUncompletedBouncer(QVBouncerID id);
    void AbortAllUncompletedBouncers();
    // Deletes the finished jobs, keeping the others in order.
    void ClearHistoryOfCompletedBouncers();
    // Aborts every job, then deletes them all. 0.
    int Terminate();

    // Empties the array, then appends, in job order, the private document of
    // every job that has one.
    void GetCurrentUsedPrivateDocuments(ATArray<QVDocument*>* documents) const;

    unsigned int CountBouncers() const { return mBouncers.Count(); }
    QVBouncer* GetBouncerAt(unsigned int index) const { return mBouncers[index]; }
    unsigned int GetListStamp() const { return mListStamp; }
    unsigned int GetStateStamp() const { return mStateStamp; }
    unsigned int GetFinishedCount() const { return mFinishedCount; }
    bool IsWorkerRunning() const { return mThread.IsRunning(); }

    // The new share for a queue occupation (0..1): unchanged at 0, slow when
    // the disk falls behind, else 10 % more up to the maximum.
    static double ComputeTunedShare(double share, double occupation);

    void ThreadCallback() override;
    void DoIdling() override;

private:
    QVBouncer* LowChooseNextJob();
    void LowSetSharePacing();
    void LowFinishProcessing();
    void LowRaiseStateStamp() { ++mStateStamp; }

    bool mDirectAccess = true;
    ATArray<QVBouncer*> mDirectTable;  // index = ID, while every ID is at most 9999
    ATArray<QVBouncer*> mBouncers;     // launch order
    unsigned int mListStamp = 0;
    unsigned int mStateStamp = 0;
    unsigned int mFinishedCount = 0;
    QVBouncerID mProcessingID = kQVNullBouncerID;
    QVBouncer* mProcessing = nullptr;  // read by the worker; changed only while it is paused or stopped
};

// The file a bounce of the document writes to: "#AUTO#" takes the next free
// numbered name in the record folder; another path gives folder and name
// (numbered unless overwrite); the extension is the bounce format's.
constexpr char kQVBounceAutoPath[] = "#AUTO#";
int QVBounceResolveExportPath(QVDocument* document, AKString const& exportPath, bool overwrite,
                              QVBounceParam const& param, AKFilePath* result);
