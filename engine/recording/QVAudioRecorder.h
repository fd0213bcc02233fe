#pragma once

// QVAudioRecorder: records a document's live output into a new sound file of
// the record folder. Every document owns one, made just before its audio
// source. While recording, the source pushes each finished block (after
// metering and clipping) and the recorder queues it into a sound-file
// recorder, which writes to disk on idle passes of the message thread.
//
// Threads: start, stop, pause, preparation and the idle pass run on the
// message thread; PushNextAudioBlock runs on the audio thread and only reads
// flags and queues frames. A write failure seen there is only latched: the
// next idle pass of the message thread closes the file, clears the
// recording and reports the failure. The message thread never closes the
// file while a push is in progress (the push raises a busy flag that the
// close waits on; a push never waits, so that wait is short).

#include "AKFilePath.h"
#include "AKIdlingCenter.h"
#include "QVAudioInfo.h"
#include "QXSampleBuffer.h"

#include <atomic>

class QVDocument;
class QVSoundFileRecorder;

class QVAudioRecorder : public AKIdlingClient
{
public:
    // Not recording, no file, change stamp 0.
    explicit QVAudioRecorder(QVDocument* document);
    // Stops a running recording and closes its file.
    ~QVAudioRecorder() override;

    // Both stop any recording first; the preparation then keeps the device
    // format, the release clears it. Called by the audio source.
    void PrepareAudioResources(QVAudioInfo const& info);
    void ReleaseAudioResources();

    // Start: opens a new numbered file (on failure the error flag is set and
    // false returned). Stop: closes the file. True when the state changed.
    bool SetRecording(bool recording);
    // Pausing only happens while recording; a pause asked while not
    // recording clears it. True when the value changed.
    bool SetPaused(bool paused);
    // Paused: leaves the pause and goes on in the same file; otherwise
    // starts or stops.
    bool DoToggleRecording();
    // The pause becomes (not paused) while recording.
    bool DoTogglePaused();
    // Seconds recorded into the open file; 0 without one.
    double CurrentTime() const;

    // Audio thread: queues the block while recording and not paused.
    void PushNextAudioBlock(QXSampleBuffer<double> const& block);

    // Message thread: closes the file of a failed recording and reports it.
    void DoIdling() override;

    QVDocument* GetDocument() const { return mDocument; }
    QVAudioInfo const& GetAudioInfo() const { return mAudioInfo; }
    bool IsRecording() const { return mRecording.load(std::memory_order_acquire); }
    bool IsPaused() const { return mPaused.load(std::memory_order_acquire); }
    // Raised on every change of the recording or pause state.
    unsigned int GetChangeStamp() const { return mChangeStamp.load(std::memory_order_acquire); }
    // The last start or the running recording failed.
    bool HasError() const { return mError; }
    // The file being written, or the last one; empty when the last open failed.
    AKFilePath const& GetFilePath() const { return mFilePath; }

private:
    int OpenOutputFile();
    // Waits out a push in progress, then closes and deletes the file's recorder.
    void CloseOutputFile();
    void RaiseStamp() { mChangeStamp.fetch_add(1, std::memory_order_acq_rel); }
    void StopAfterWriteError(int status);

    QVDocument* const mDocument;
    QVAudioInfo mAudioInfo;
    std::atomic<unsigned int> mChangeStamp{0};
    std::atomic<bool> mRecording{false};
    std::atomic<bool> mPaused{false};
    bool mError = false;
    QVSoundFileRecorder* mFileRecorder = nullptr;
    AKFilePath mFilePath;

    // Audio-thread handshake: the push may use the file's recorder only
    // while mWriting is set; it raises mPushing around its use.
    std::atomic<bool> mWriting{false};
    std::atomic<bool> mPushing{false};
    // The first failed push's status, 0 while none; cleared by the next start.
    std::atomic<int> mLatchedError{0};
};
