#pragma once

// Name paths: how OSC messages name a sequence, a player, a sub of a
// multi-player or a track by names and positions instead of node IDs.
//
//   ":S"       the sequence named S
//   ":S:n"     its n-th player (1-based), or, for the track class, its n-th track
//   ":S:n:m"   the m-th sub of that player (not for the track class)
//
// The path is split at every ":" with no trimming: the first part is empty
// (the path starts with ":"), the second is the sequence name and must not be
// empty, the others are decimal numbers above 0 written with digits only.
// A track path has exactly three parts; any other path two to four.
//
// QVObjectPathNavigator walks the objects a parsed path names. The engine's
// sequences, players and tracks provide the real one; until one is
// installed every name path resolves to nothing.

#include "AKString.h"

class AKObject;
class QVDocument;

struct QVObjectNamePath {
    AKString sequenceName;
    unsigned int indexCount = 0;   // 0, 1 or 2
    unsigned int indices[2] = {};  // 1-based positions
};

// Parses a name path; false (the output then undefined) when the path does
// not follow the grammar for the kind of object asked for.
bool QVParseObjectNamePath(AKString const& path, bool forTrack, QVObjectNamePath* parsed);

class QVObjectPathNavigator
{
public:
    virtual ~QVObjectPathNavigator() = default;

    // The document's sequence of that name, or null.
    virtual AKObject* FindSequenceByName(QVDocument const& document, AKString const& name) const = 0;
    // The n-th (0-based) entry of a sequence's tracks, of a sequence's
    // players, of a player's subs; null beyond the end. Called with objects
    // the navigator itself returned.
    virtual AKObject* GetTrackOfSequence(AKObject* sequence, unsigned int index) const = 0;
    virtual AKObject* GetPlayerOfSequence(AKObject* sequence, unsigned int index) const = 0;
    virtual AKObject* GetSubOfPlayer(AKObject* player, unsigned int index) const = 0;

    // The navigator used by every document; null for none. The installed
    // object must outlive its use.
    static void Install(QVObjectPathNavigator const* navigator);
    static QVObjectPathNavigator const* Get();
};
