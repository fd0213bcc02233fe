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

    // The installed services are not owned: the installer keeps them alive
    // until it installs others or null.
    static void Install(QVAudioServices const* services);
    static QVAudioServices const& Get();
};
