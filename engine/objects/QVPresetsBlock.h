#pragma once

// QVPresetsBlock: the ten numbered presets of a sequence (0 to 9), each a
// snapshot of the settings of the sequence and of its players, and the
// recall that brings the players back to one of them, at once or by gliding
// over the recall duration, one step per audio block.
//
// Threads. Save, clear, recall, stop, link resolution and persistence run on
// the message, OSC or MIDI threads, one at a time (a mutex of the block the
// audio thread never takes). A recall is one immutable job (start values,
// targets) plus what only the audio thread changes (progress, scratch):
// the control side builds it completely, then hands it over through one
// atomic slot; DoSchedul takes what the slot holds at the start of a block.
// Jobs the audio thread is done with go onto a lock-free list that the
// control side empties and deletes. The audio side never waits, never
// allocates and never sees an array being rebuilt.

#include "AKTreeRenum.h"
#include "ATArray.h"
#include "QVPresetPlayable.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class QVObjectSequence;

typedef ATArray<QVPresetPlayable> QVPresetPlayableArray;

constexpr unsigned int kQVPresetCount = 10;

class QVPresetsBlock
{
public:
    explicit QVPresetsBlock(QVObjectSequence* sequence);
    ~QVPresetsBlock();

    QVPresetsBlock(QVPresetsBlock const&) = delete;
    QVPresetsBlock& operator=(QVPresetsBlock const&) = delete;

    // --- Control side ---

    // Limited to [0, Preset.RecallMaxDuration]; true when it changed.
    bool SetRecallDuration(double duration);
    double GetRecallDuration() const { return mRecallDuration.load(std::memory_order_relaxed); }
    bool HasSomePreset() const;
    bool IsPresetExists(unsigned int n) const;
    // A copy of preset n (empty when out of range).
    QVPresetPlayableArray GetPreset(unsigned int n) const;
    // Raised when a preset becomes non-empty or empty.
    unsigned int GetChangeStamp() const { return mChangeStamp.load(std::memory_order_relaxed); }
    // The preset being recalled, -1 when none.
    int GetRecallIndex() const;

    // Snapshot of every playable of the sequence; refused for n >= 10 and
    // for the preset being recalled.
    bool DoPresetSave(unsigned int n);
    // Refused for n >= 10, the preset being recalled and an empty preset.
    bool DoPresetClear(unsigned int n);
    // False for n >= 10 or an empty preset, and when every player already
    // has the preset's values (alreadyThere then true). A duration within
    // 0.01 s of 0 applies the preset at once; recalling the preset being
    // recalled restarts it.
    bool DoPresetRecall(unsigned int n, bool* alreadyThere);
    // False when no recall runs.
    bool DoPresetRecallingStop();

    // Re-links every stored entry (and the targets of a running recall) to
    // the sequence's playables by ID; unlinked entries are ignored by
    // recalls and not written.
    void SynchronizeFLFastLinks();
    int RenumberExtraNodeIDs(AKTreeRenum const& renum);

    int InitFromFile(AKFile const& file, unsigned int read);
    int WriteToFile(AKFile& file) const;
    int InitFromDictionary(AKDictionary const& dictionary);
    int WriteToDictionary(AKDictionary& dictionary) const;

    // --- Audio side ---

    // Advances the recall by one block of dt seconds.
    void DoSchedul(double dt);

private:
    struct Recall;
    // Offered in place of a job: the audio thread ends what it runs.
    static Recall* StopMarker();

    void LowStop();
    // Deletes the jobs the audio thread gave back.
    void CollectRetired();
    // Hands a job (or the stop marker) to the audio thread; a job it had
    // not taken yet is deleted.
    void Offer(Recall* recall);
    void ResolveLink(QVPresetPlayable* entry) const;
    void RaiseChangeStamp();
    bool LowIsPresetExists(unsigned int n) const;
    int LowRecallIndex() const;

    // Audio side.
    void Retire(Recall* recall);
    void EndRunning();

    QVObjectSequence* mSequence;
    mutable std::mutex mControl;
    QVPresetPlayableArray mPresets[kQVPresetCount];
    std::atomic<double> mRecallDuration;
    std::atomic<unsigned int> mChangeStamp{1};

    // (serial << 8) | (preset + 1) of the running recall; 0 for none. Set
    // by the control side when it offers a job, cleared by whichever side
    // ends that job (the audio side only while it still names its job).
    std::atomic<std::uint64_t> mRecallState{0};
    std::uint64_t mNextSerial = 1;
    // The last job offered, kept by the control side to restart it or to
    // re-link it; its start values and targets never change once offered.
    Recall* mLastOffered = nullptr;
    std::atomic<Recall*> mOffered{nullptr};
    std::atomic<Recall*> mRetired{nullptr};
    // Audio thread only.
    Recall* mRunning = nullptr;
};
