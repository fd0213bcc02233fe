#pragma once

// QVAudioServices: what the audio resources ask of the engine above them.
// The audio layer cannot see the engine's headers, so the engine installs an
// object of its own at start-up; until then, and after Install(nullptr),
// this do-nothing base answers.
//
// The audio resources' calls into the engine are added here as they are
// built: the document manager's audio format and open documents, the audio
// working memory, the track zones, the bounce jobs' private documents and
// the standard files. Each gets a do-nothing answer in this base, so that
// the layer runs (and is tested) without the engine.

#include "AKFilePath.h"
#include "AKString.h"
#include "ATArray.h"
#include "ATNumberArray.h"

class QVDocument;

class QVAudioServices
{
public:
    QVAudioServices() = default;
    virtual ~QVAudioServices() = default;

    QVAudioServices(QVAudioServices const&) = delete;
    QVAudioServices& operator=(QVAudioServices const&) = delete;

    // The path of a file of that name in the engine's settings folder, where
    // every subsystem keeps its settings files; nothing is created. Base, and
    // an engine without that folder: the empty path.
    virtual AKFilePath GetSettingsFilePath(AKString const& name) const;

    // --- Sound providers ---

    // Library options "RealTime" (sounds load on the loader thread driven by
    // idle passes, else at once on the caller's thread) and "Waveform"
    // (providers build their min/max envelope while loading). Base: off.
    virtual bool IsRealTimeLoadingOn() const;
    virtual bool IsWaveformBuildingOn() const;
    // The localised form of a text. Base: the text itself.
    virtual char const* LocaleGetString(char const* text) const;
    // Empties the array, then appends the open documents in order; base:
    // none. The documents are opaque here: they are only passed back.
    virtual void GetOpenDocuments(ATArray<QVDocument*>* documents) const;
    // Empties the array, then appends the private documents that bounce jobs
    // render, in job order; base: none.
    virtual void GetBounceUsedPrivateDocuments(ATArray<QVDocument*>* documents) const;
    // Sets to 1 the byte at every provider ID that a zone of the document's
    // tracks names, when the ID is below the array's size; the caller sizes
    // and zeroes the array. Base: marks nothing.
    virtual void GrabActiveProviders(QVDocument const* document,
                                     ATNumberArray<unsigned char, unsigned char, 0>* marks) const;

    // The installed services are not owned: the installer keeps them alive
    // until it installs others or null.
    static void Install(QVAudioServices const* services);
    static QVAudioServices const& Get();
};
