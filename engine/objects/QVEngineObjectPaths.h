#pragma once

// QVEngineObjectPaths: the name-path navigator over the engine's own
// objects. A sequence is looked up by name in the document's sequence
// folder (case-sensitive or not as the "Internal.ObjectNameCaseSensitive"
// preference says); positions count in the fast-link arrays the objects
// keep: a sequence's tracks and its players (single and multi), a
// multi-player's subs. A single player has no subs.
//
// The fast links are refreshed by the document's synchronisation after
// every structural change, on the message thread inside an edit of the
// document's tree guard. A look-up made inside such an edit refreshes the
// sequence folder's links first, as that step does, so it never reads links
// older than the tree; any other thread (the OSC thread, holding the guard
// for reading) reads them as last refreshed and never writes them.

#include "QVDocumentObjectPaths.h"

class QVEngineObjectPaths final : public QVObjectPathNavigator
{
public:
    // The instance the engine start installs.
    static QVEngineObjectPaths const sShared;

    AKObject* FindSequenceByName(QVDocument const& document, AKString const& name) const override;
    AKObject* GetTrackOfSequence(AKObject* sequence, unsigned int index) const override;
    AKObject* GetPlayerOfSequence(AKObject* sequence, unsigned int index) const override;
    AKObject* GetSubOfPlayer(AKObject* player, unsigned int index) const override;
};
