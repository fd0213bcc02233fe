#pragma once

// QVAudioSource: the door between a document's objects, edited freely on
// the message thread, and the thread that computes the document's blocks,
// which must never wait for an edit. The playing structure is kept as a
// tree of pool records (QVAudioPool), twice: the audio thread renders from
// the live copy while the message thread brings the spare one in line with
// the objects after each edit; on the next idle pass the copies trade
// places, and the audio thread, after the first block it computes from the
// new live copy, runs the living-state pass (Born records become living,
// Dying ones die and let go of their objects) and acknowledges the trade.
//
// Handshake. The trade itself needs no wait: the message thread only ever
// writes the spare copy, and only once the audio thread has acknowledged
// the last trade (it then no longer reads the spare); an edit that finds
// the trade not yet acknowledged is synchronised on a later idle pass. The
// few steps that must change what a block reads (preparation, release, the
// forced synchronisation of a new or opened document, destruction, and any
// synchronisation of a document without the real-time flag) take a gate:
// the audio thread enters it without waiting (a block that finds it taken
// yields no buffer), the message thread waits only for the block in
// progress to end and never goes on without the gate. When blocks stop
// coming while a trade waits (a device halted without release), a later
// idle pass takes the gate and finishes the trade itself.
//
// Each block is metered (peak per channel), clipped to [-1, 1] when a
// sample went beyond and pushed to the document's recorder while it
// records. The master volume is held by the mixer.

#include "AKIdlingCenter.h"
#include "QVAudioAppSide.h"
#include "QVAudioCallback.h"
#include "QVAudioMemory.h"
#include "QVAudioPool.h"
#include "QVDocumentAudioSource.h"

#include <atomic>

class QVAudioRecorder;
class QVDocument;

// Channels whose peak level is kept for the user interface.
constexpr unsigned int kQVAudioSourceMeterChannelMax = 32;
// The gate waits in steps of 10 us; after this many the warning is logged
// (once per wait) and the wait goes on.
constexpr unsigned int kQVAudioSourceWaitLimit = 5000;
// An idle pass finishes a trade itself when no block acknowledged it for
// this long (seconds).
constexpr double kQVAudioSourceTradeTimeOut = 0.05;

class QVAudioSource final : public QVDocumentAudioSource, public AKIdlingClient
{
public:
    // Flags from the document; both copies empty. The document's recorder
    // may be null.
    explicit QVAudioSource(QVDocument* document);
    // Every record dies and lets go of its object.
    ~QVAudioSource() override;

    // The maker installed at engine start.
    static QVDocumentAudioSource* Make(QVDocument* document);

    // --- Message thread ---

    // Nothing when prepared for the same channels, frames and rate.
    void PrepareAudioResources(QVAudioInfo const& format) override;
    void ReleaseAudioResources() override;
    // force: the result is live before returning (a new, opened or
    // imported document); otherwise at the next idle pass.
    void SynchronizeWithDoc(bool force) override;
    // Trades the copies when the spare is ready, finishes late trades.
    void DoIdling() override;
    // Without the real-time flag only: every pool's state computed now.
    void ForceUpdatePoolsRTState() override;
    // dB, clamped to -48..12; a change marks the document modified (2).
    bool SetMasterVolume(double volume) override;
    double GetMasterVolume() const override { return mCallback.GetMasterVolume(); }

    // --- Block thread ---

    // Null when not prepared (or while a preparation holds the gate);
    // frameCount is not used: the prepared block size rules.
    QXSampleBuffer<double>* GetNextAudioBlock(unsigned long long frameCount) override;

    // --- Readers (any thread) ---

    bool IsPrepared() const { return mPrepared.load(std::memory_order_acquire); }
    bool IsDoubleBuffered() const { return mDoubleBuffered; }
    unsigned int GetMeterCount() const { return mMeterCount.load(std::memory_order_acquire); }
    // Peak absolute sample of the channel in the last block; 0 beyond.
    double GetMeter(unsigned int channel) const;
    bool IsClipping() const { return mClip.load(std::memory_order_relaxed); }
    // Edits synchronised since the last trade.
    unsigned int GetSyncCount() const { return mSyncCount; }
    // A trade is waiting for the audio thread's acknowledgement.
    bool IsTradePending() const;
    // The spare copy holds edits not yet traded.
    bool IsSpareReady() const { return mSpareReady; }

    // The copies (message thread, for diagnostics and tests: the live one
    // may be changing under a running block).
    QVAudioSourcePool const& GetLivePool() const { return mCopies[mLive.load(std::memory_order_acquire)]; }
    QVAudioSourcePool const& GetSparePool() const { return mCopies[1 - mLive.load(std::memory_order_acquire)]; }
    QVAudioMemory const& GetMemory() const { return mMemory; }
    QVAudioCallback& GetCallback() { return mCallback; }
    QVDocument* GetDocument() const { return mDocument; }

private:
    class GateScope;

    // The message thread's gate: waits for the block in progress.
    void AcquireGate();
    bool TryAcquireGate();
    void ReleaseGate() { mGate.store(kGateFree, std::memory_order_release); }

    QVObjectFolderSequence const* SequenceFolder() const;
    bool SpareIsFree() const;
    // The spare brought in line with the objects (copied from the live one
    // first when it holds no edit yet); false when the last trade is not
    // acknowledged.
    bool TrySyncSpare();
    void Trade();
    // With the gate held: the living-state pass of a pending trade.
    void FinishTradeHere();
    void UpdateIdlingRequest();
    void ZeroMeters();

    static constexpr int kGateFree = 0;
    static constexpr int kGateAudio = 1;
    static constexpr int kGateMessage = 2;

    QVDocument* const mDocument;
    QVAudioRecorder* const mRecorder;
    bool const mDoubleBuffered;
    bool const mVerbose;

    std::atomic<bool> mPrepared{false};
    std::atomic<int> mGate{kGateFree};
    // Which copy is live, and the one the audio thread last acknowledged.
    std::atomic<unsigned int> mLive{0};
    std::atomic<unsigned int> mAck{0};
    double mTradeTime = 0.0;

    // Message thread.
    bool mSyncPending = false;
    bool mSpareReady = false;
    unsigned int mSyncCount = 0;

    QVAudioSourcePool mCopies[2];

    // Block thread.
    bool mLastBlockHadSound = false;
    ATArray<double> mLevels;
    std::atomic<unsigned int> mMeterCount{0};
    std::atomic<double> mMeters[kQVAudioSourceMeterChannelMax];
    std::atomic<bool> mClip{false};

    QVAudioMemory mMemory;
    QVAudioAppSide mAppSide;
    QVAudioCallback mCallback;
};
