#pragma once

// QVAudioCallback: the mixer of one document. Once per block it walks the
// live pool tree of the document's audio source: every sequence, its
// players, the subs of each multi-player and the tracks each single player
// reads. It first brings every playable's real-time state up to date for
// the block, then renders from the bottom up: the tracks of a single player,
// the player's overlap step, fades and gain, a multi-player's sum, the
// sequence's sum, plug-ins where present, the presets recall of each
// sequence and the document's master gain.
//
// Every decision compares two real-time states per playable, the previous
// block's and the current one's, so that a start, a stop, a mute or a pool
// being born or dying becomes a fade within the block, never a click.
//
// Gains: without a plug-in anywhere in a sequence, each single player
// applies its total gain once (its own times its parents'); in own-gain mode
// (the sequence, or one of its players, carries a plug-in) each level
// applies only its own gain, then its own plug-in, so that every plug-in
// sees the signal at its own level.
//
// Threads: the block operations run on the thread computing the document's
// blocks, inside the source's callback; they allocate, lock and wait for
// nothing (every buffer is lent by the working memory and given back in the
// reverse order). SetMasterVolume runs on the message thread and only
// stores the target gain, read at the next block.

#include "QVAudioCallbackLow.h"
#include "QVAudioPool.h"
#include "QVTrackReader.h"

#include <atomic>

class QVAudioMemory;
class QVObjectAtomic;
class QVObjectCursor;
class QVObjectSequence;

class QVAudioCallback
{
public:
    QVAudioCallback(QVAudioMemory const& memory, bool doubleBuffered);

    QVAudioCallback(QVAudioCallback const&) = delete;
    QVAudioCallback& operator=(QVAudioCallback const&) = delete;

    // --- Message thread ---

    // Clamped to -48..12 dB; false when unchanged. The target gain follows
    // and the change stamp moves.
    bool SetMasterVolume(double volume);
    double GetMasterVolume() const { return mMasterVolume.load(std::memory_order_relaxed); }
    double GetTargetMasterGain() const { return mTargetMasterGain.load(std::memory_order_relaxed); }
    unsigned int GetChangeStamp() const { return mChangeStamp.load(std::memory_order_relaxed); }

    // Without the double-buffered flag only: every pool's state computed now,
    // with dt 0 and reset (players start from their stored state).
    void ForceUpdatePoolsRTState(QVAudioSourcePool* pool);

    // --- Block thread ---

    // The states of a sequence and everything below it for dt seconds.
    void UpdateSequenceSubsRTState(QVAudioPool const& sequencePool, double dt, bool reset);
    // Born records become living, Dying ones die and let go of their
    // objects; the copy's remove-dead flag tells whether one died.
    static void UpdatePoolsLivingState(QVAudioSourcePool* pool);

    // The document's block; true when some sequence sounded.
    bool GrabAudioBlock(QVAudioSourcePool* pool, QXSampleBuffer<double>* block);
    bool GrabAudioBlockOfSequence(QXSampleBuffer<double>* buffer, QVAudioPool& pool, QVObjectSequence* sequence);
    bool GrabAudioBlockOfCursor(QXSampleBuffer<double>* buffer, QVAudioPool& pool, QVObjectCursor* multi, bool ownGain);
    bool GrabAudioBlockOfAtomic(QXSampleBuffer<double>* buffer, QVAudioPool& pool, QVObjectAtomic* player,
                                double parentSpeed, bool ownGain);

    QVAudioCallbackLow const& GetLow() const { return mLow; }
    QVTrackReader& GetTrackReader() { return mReader; }
    double GetPreviousMasterGain() const { return mPrevMasterGain; }

    // Block duration: working frames / rate, 0 without a positive rate.
    static double BlockDuration(QXSampleBuffer<double> const& buffer);

private:
    static bool rUpdatePoolsLivingState(QVAudioPoolArray& pools);
    // The sum of a level's players into buffer; count of sounding ones.
    unsigned int MixSubPlayers(QXSampleBuffer<double>* buffer, QVAudioPool& pool, double parentSpeed, bool ownGain,
                               bool subsOfCursor);

    QVAudioMemory const& mMemory;
    bool const mDoubleBuffered;
    QVAudioCallbackLow mLow;
    QVTrackReader mReader;
    double mPrevMasterGain = 1.0;
    std::atomic<double> mTargetMasterGain{1.0};
    std::atomic<double> mMasterVolume{0.0};
    std::atomic<unsigned int> mChangeStamp{kAKNullStampVers};
};

// A test hook: does nothing and returns 0.
int QVSetAudioTest(int value);
