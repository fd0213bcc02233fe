#pragma once

// QVAudioPool: one object's record in a document's mix, and
// QVAudioSourcePool: one copy of the document's tree of such records.
//
// A record lives Born (made on the message thread) -> Life (first
// living-state pass once it is in the live copy) -> Dying (its object left
// the structure) -> Dead (next living-state pass: the object is let go) and
// is erased at the next synchronisation of its copy. Every record that holds
// an object holds it once (the object's hold count), so a deleted object
// waits in its tree's deletion queue until its record died.
//
// Threads: the message thread builds and synchronises the spare copy; the
// audio thread reads the live copy and writes into it only the life states
// (living-state pass) and the zone hints of track records. The zone hint is
// a relaxed atomic so that copying the live copy on the message thread may
// run beside a block.

#include "AKNodeID.h"
#include "AKStamps.h"

#include <atomic>
#include <vector>

class QVObjectPoolable;

enum QVAudioPoolLife : unsigned int {
    kQVAudioPoolDead = 0,
    kQVAudioPoolDying = 1,
    kQVAudioPoolLife = 2,
    kQVAudioPoolBorn = 3,
};

// The diagnostic word of a life state ("Dead", "Dyng", "Life", "Born").
char const* QVAudioPoolLifeWord(unsigned int life);

struct QVAudioPool {
    QVAudioPool() = default;
    QVAudioPool(QVAudioPool const& other) { *this = other; }
    QVAudioPool& operator=(QVAudioPool const& other);

    unsigned int life = kQVAudioPoolBorn;
    QVObjectPoolable* object = nullptr;  // not owned; cleared when the record dies
    AKNodeID nodeID = kAKNullNodeID;
    unsigned int subLinksStamp = kAKNullStampVers;
    unsigned int farSubLinksStamp = kAKNullStampVers;
    // The track reader's zone found last; 0 when born.
    std::atomic<unsigned int> zoneHint{0};
    // The object has sub-objects whose records nest here.
    bool hasSubPools = false;
    // The sub-records are players whose own sub-records carry real-time
    // states (sequence, multi-player).
    bool subsArePlayers = false;
    std::vector<QVAudioPool> subPools;

    bool IsDead() const { return life == kQVAudioPoolDead; }
};

typedef std::vector<QVAudioPool> QVAudioPoolArray;

struct QVAudioSourcePool {
    // The sequence folder's stamps when last synchronised.
    unsigned int subLinksStamp = kAKNullStampSync;
    unsigned int farSubLinksStamp = kAKNullStampSync;
    // A record died in the last living-state pass: the next synchronisation
    // erases the dead records first.
    bool removeDead = false;
    QVAudioPoolArray pools;
};

// Diagnostic dump of one copy, a line per record, sub-records indented.
void QVAudioSourcePoolDebugPrint(QVAudioSourcePool const& pool);
