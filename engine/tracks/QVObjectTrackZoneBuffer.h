#pragma once

// QVObjectTrackZoneBuffer: a track's zones in two copies, the editing copy
// that the message thread changes and the live copy that the audio thread
// reads, with a protocol in which the audio thread never waits and never
// sees a list being changed.
//
// Protocol. The live copy is an immutable snapshot reached through one
// atomic pointer; each snapshot counts the readers holding it.
//   Reader (audio thread, any number at once):
//     LockForAudio:   entering += 1; s = live; s.readers += 1; entering -= 1
//     UnlockForAudio: s.readers -= 1
//   Publisher (message thread only):
//     Publish: s' = copy of the editing copy (allocated here); old = swap(live, s');
//              old joins the retired list; Reclaim.
//     Reclaim: when `entering` is seen 0, every snapshot retired before that
//              load can no longer be picked up by a reader that has not yet
//              counted itself in; such a snapshot is deleted once its own
//              reader count is 0. Others wait for a later Reclaim (each
//              Publish, and the owner's idle passes).
// A reader's window between reading the pointer and counting itself in is
// a few instructions long, and it is the only thing the publisher ever waits
// for: when more than kQVTrackZoneRetiredMax snapshots are waiting, Publish
// yields until that window is seen empty once. Every step is sequentially
// consistent, so "entering seen 0 after the swap" orders every later reader
// after the swap. Snapshots never change once published: a reader sees a
// whole list, old or new, never a torn one.
//
// Nothing on the reader's side allocates, locks, logs or waits.

#include "QVTrackZoneArray.h"

#include <atomic>
#include <vector>

constexpr unsigned int kQVTrackZoneRetiredMax = 16;

class QVObjectTrackZoneBuffer
{
public:
    QVObjectTrackZoneBuffer();
    ~QVObjectTrackZoneBuffer();
    QVObjectTrackZoneBuffer(QVObjectTrackZoneBuffer const&) = delete;
    QVObjectTrackZoneBuffer& operator=(QVObjectTrackZoneBuffer const&) = delete;

    // --- Message thread ---

    QVTrackZoneArray& Editing() { return mEditing; }
    QVTrackZoneArray const& Editing() const { return mEditing; }
    // The live copy as the message thread sees it (it alone replaces it).
    QVTrackZoneArray const& Live() const { return ZonesOf(mLive.load(std::memory_order_seq_cst)); }
    // Whether the array is one of the two copies.
    bool Holds(QVTrackZoneArray const* zones) const { return zones == &mEditing || zones == &Live(); }

    // The editing copy becomes live; the editing copy stays as it is (equal
    // to the new live copy).
    void Publish();
    // The editing copy becomes the live copy again (an edit given up).
    void Restore() { mEditing = Live(); }
    // Deletes the retired snapshots no reader can reach any more.
    void Reclaim();
    unsigned int CountRetired() const { return static_cast<unsigned int>(mRetired.size()); }

    // --- Audio thread ---

    // The live copy, held until UnlockForAudio with the same pointer.
    QVTrackZoneArray const* LockForAudio() const;
    void UnlockForAudio(QVTrackZoneArray const* zones) const;

private:
    // One published list: its reader count, then the zones, in one block so
    // that the zones handed to a reader lead back to their count.
    struct Snapshot {
        mutable std::atomic<int> readers{0};
    };
    struct Retired {
        Snapshot* snapshot;
        bool unreachable;  // no reader can pick it up any more
    };

    static Snapshot* NewSnapshot(QVTrackZoneArray const& zones);
    static void DeleteSnapshot(Snapshot* snapshot);
    static QVTrackZoneArray const& ZonesOf(Snapshot const* snapshot);
    static Snapshot const* SnapshotOf(QVTrackZoneArray const* zones);

    QVTrackZoneArray mEditing;
    std::atomic<Snapshot*> mLive;
    mutable std::atomic<int> mEntering{0};
    std::vector<Retired> mRetired;
};
