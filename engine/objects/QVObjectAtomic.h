#pragma once

// QVObjectAtomic: the single player, one playback head reading every track
// of its sequence at its own time and speed. It stands directly in a
// sequence, alone in the player folder, or as a sub of a multi-player; its
// fast links rewrite its kind accordingly (0x3 standalone or in a sequence,
// 0x5 a sub).
//
// A player in a sequence owns an overlap buffer: the audio path renders a
// few frames beyond each block into it and fades them into the next block.
// The audio source prepares the player once when the document's audio is
// prepared and again for every pool made for it afterwards (each edit that
// moves it), but releases it only once, when the document's audio is
// released: a pool that dies lets go of its object on the audio thread,
// where nothing may be freed. So preparations are not counted: the player
// is prepared or not, and the one release frees the buffer. The player may
// still render in the previous pool while the next one is prepared, so a
// preparation of the same shape keeps the buffer and its samples as they
// are, and a new shape swaps in a fresh buffer and keeps the former one
// until the next preparation or the release.
//
// Main thread, except the overlap buffer, which the audio thread uses
// between preparation and release.

#include "QVObjectPlayable.h"

#include <atomic>

template <class T>
class QXSampleBuffer;

class QVObjectAtomic : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectAtomic, "atomic")

    QVObjectAtomic();
    ~QVObjectAtomic() override;

    // "Sub" for a sub of a multi-player; else the stored name, or "Player".
    AKString akmGetName() const override;

    // --- Poolable ---

    // The plug-in's preparation, then, in a sequence, the overlap buffer:
    // made when missing or when the shape (channels, frames, rate) changed,
    // cleared only when made. An allocation failure is logged and returned.
    int PrepareAudioResources(QVAudioInfo const& info, unsigned long long overlapFrames) override;
    // The plug-in's release, and the overlap buffer is freed, however many
    // preparations came before.
    void ReleaseAudioResources() override;
    // Stores the index; under a multi-player: a sub (kind 0x5, no starter
    // key), linked to the multi-player and its sequence; in a sequence:
    // kind 0x3 linked to it; elsewhere kind 0x3 without links.
    void SynchronizeFLFastLinks(AKObject* parent, unsigned int index) override;
    // A sub: its 1-based position, not a name; else the name or "Player".
    AKString GetFLDynamicName(bool ignoreName, bool* isName) const override;
    // The owning sequence's stamps, or kAKNullStampVers without one.
    unsigned int PoolableStampSubLinks() const override;
    unsigned int PoolableStampFarSubLinks() const override;

    // The overlap buffer (audio thread, between preparation and release).
    QXSampleBuffer<double>* GetOverlapBuffer() const { return mOverlap.load(std::memory_order_acquire); }
    // Prepared and not released since.
    bool IsAudioResourcesPrepared() const { return mPrepared; }

    void LogInfo(unsigned int level) const;

protected:
    // Runs in its parent's subs interval, relative to the parent's motion.
    QVPlayableRTState ComputeRTCurrStateSelf(QVPlayableRTState const& parent, QVPlayableRTState const& previous,
                                             double dt) const override;

private:
    void FreeRetiredOverlap();

    std::atomic<QXSampleBuffer<double>*> mOverlap{nullptr};
    // The buffer swapped out by a new shape, kept while the previous pool
    // may still render with it.
    QXSampleBuffer<double>* mRetiredOverlap = nullptr;
    bool mPrepared = false;
};
