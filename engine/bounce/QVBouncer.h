#pragma once

// QVBouncer: one bounce job. It renders a copy of one sequence, pasted into
// a private document that the audio device never sees, and writes the
// blocks of that document's audio source into a sound file through a
// sound-file recorder: directly for a synchronous job, through the
// recorder's queue for an asynchronous one (the bounce manager's worker
// fills the queue, its idle pass writes it to disk).
//
// States: 0 new, 1 waiting for its sounds, 2 ready, 3 writing, 4 written,
// 5 completed, 6 aborted, 7 failed. A job that does not complete deletes
// its file, so no file that looks finished is left behind by a failure or
// an abort.
//
// Threads: everything runs on the message thread, except BouncerWriteNext,
// which the manager's worker runs while the message thread leaves the job
// alone (the manager pauses the worker before it touches a job).

#include "AKFilePath.h"
#include "AKString.h"
#include "QVAudioInfo.h"
#include "QVBounceParam.h"
#include "QVProviderMgr.h"

#include <atomic>

class AKTreeSelCache;
class QVDocument;
class QVObjectSequence;
class QVSoundFileRecorder;

using QVBouncerID = unsigned int;
constexpr QVBouncerID kQVNullBouncerID = 0;

constexpr int kQVBouncerStateNew = 0;
constexpr int kQVBouncerStateWaiting = 1;
constexpr int kQVBouncerStateReady = 2;
constexpr int kQVBouncerStateWriting = 3;
constexpr int kQVBouncerStateWritten = 4;
constexpr int kQVBouncerStateCompleted = 5;
constexpr int kQVBouncerStateAborted = 6;
constexpr int kQVBouncerStateFailed = 7;

// Launch mode bit: the job runs inside the launching call.
constexpr unsigned int kQVBounceModeSync = 0x1;

// Frames of each block pulled from the private document.
constexpr unsigned long long kQVBounceBlockFrames = 1024;
// Blocks per writing step: a real-time job, another job.
constexpr unsigned int kQVBounceBlocksPerStepRealTime = 1;
constexpr unsigned int kQVBounceBlocksPerStep = 20;
// Queue lengths of the recorder, in seconds: a real-time job, another one.
constexpr double kQVBounceQueueSecondsRealTime = 10.0;
constexpr double kQVBounceQueueSeconds = 100.0;
// The duration of an until-silence job whose players do not move.
constexpr double kQVBounceStillDuration = 60.0;

class QVBouncer
{
public:
    // State 0, the next ID, the creation date.
    QVBouncer();
    // Releases the file (deleted unless completed) and the private document.
    ~QVBouncer();

    QVBouncer(QVBouncer const&) = delete;
    QVBouncer& operator=(QVBouncer const&) = delete;

    // Copies the one sequence of the selection into a private document,
    // keeps the listed tracks, gives it a player when it has none, starts it
    // and opens the file. Any failure leaves state 7 and nothing held.
    int InitAndReserveSoundFile(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                                QVBounceParam const& param);

    // 1 -> 2 once every sound is loaded (a sound whose load failed counts,
    // and renders as silence).
    int BouncerAttemptStart();
    // 2 -> 3: the private source prepared for the file's format.
    int BouncerWriteStart();
    // Worker: a few blocks; 3 -> 4 once every frame, or the silence, is written.
    int BouncerWriteNext();
    // 4 -> 5: the queue written out and the file closed, kept.
    int BouncerWriteEnd();
    // Below 5 -> 6: the file deleted.
    int BouncerWriteAbort();
    // The whole job, inside the call.
    int BounceSoundSync();

    // Written / total while writing; 1 when written or completed; else 0.
    double BouncerProgress() const;
    // 1024 / rate for a real-time job; else 0.
    double GetOneCycleDurationForRealTime() const;
    double GetQueueBufferOccupation() const;
    // The recorder's idle step: writes what its queue holds (message thread).
    void WriteQueueToDisk();

    QVBouncerID GetID() const { return mID; }
    long long GetCreationDate() const { return mCreationDate; }
    bool IsAsync() const { return mAsync; }
    bool IsRealTime() const { return mRealTime; }
    bool IsUntilSilence() const { return mUntilSilence; }
    AKFilePath const& GetFilePath() const { return mFilePath; }
    AKString const& GetName() const { return mName; }
    QVAudioFileInfo const& GetFileInfo() const { return mFileInfo; }
    double GetDuration() const { return mDuration.load(std::memory_order_relaxed); }
    unsigned long long GetTotalFrames() const { return mTotalFrames.load(std::memory_order_relaxed); }
    int GetState() const { return mState.load(std::memory_order_acquire); }
    bool IsFinal() const { return GetState() >= kQVBouncerStateCompleted; }
    unsigned long long GetWrittenFrames() const { return mWrittenFrames.load(std::memory_order_relaxed); }
    double GetElapsedTime() const { return mElapsedTime.load(std::memory_order_relaxed); }
    QVDocument* GetPrivateDocument() const { return mDocument; }
    QVProviderIDArray const& GetProviderIDs() const { return mProviderIDs; }
    // The status that failed the job, 0 otherwise.
    int GetFailure() const { return mFailure; }

private:
    int LowReserve(unsigned int mode, AKTreeSelCache const& selection, AKFilePath const& path,
                   QVBounceParam const& param);
    int LowPasteSequence(AKTreeSelCache const& selection);
    int LowKeepTracks(QVBounceTrackIndexes const& indexes);
    int LowAddPlayer();
    void LowComputeDuration(AKTimeIntv interval, QVBounceParam const& param);
    // One block; false when the step must end (state left, or no room).
    bool LowWriteOneBlock(int* status);
    bool LowIsSilentEnd(QXSampleBuffer<double> const& block, unsigned long long frames) const;
    int LowFail(int status);
    // Closes the recorder (the file deleted unless completed) and deletes the
    // private document.
    void LowCloseRecorder();
    double Now() const;

    QVBouncerID const mID;
    long long const mCreationDate;
    bool mAsync = false;
    bool mRealTime = false;
    bool mUntilSilence = false;
    AKFilePath mFilePath;
    AKString mName;
    QVAudioFileInfo mFileInfo;
    // The worker shortens both when an until-silence job falls silent.
    std::atomic<double> mDuration{0.0};
    std::atomic<unsigned long long> mTotalFrames{0};
    // Written by the worker while writing, read by the message thread.
    std::atomic<int> mState{kQVBouncerStateNew};
    std::atomic<unsigned long long> mWrittenFrames{0};
    QVSoundFileRecorder* mRecorder = nullptr;
    QVDocument* mDocument = nullptr;
    QVObjectSequence* mSequence = nullptr;  // in the private document
    QVProviderIDArray mProviderIDs;
    double mStartTime = 0.0;
    std::atomic<double> mElapsedTime{0.0};
    int mFailure = 0;
    bool mSilentSoundsLogged = false;
};
