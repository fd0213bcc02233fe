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
#include "AKNodeID.h"
#include "AKString.h"
#include "ATArray.h"
#include "ATNumberArray.h"
#include "QVAudioInfo.h"

class QVDocument;
class QVObjectPlayable;
class QVPluginInstance;
template <class T>
class QXSampleBuffer;

// The number of an open document, from 1; 0 names none. The audio layer
// keeps it for the engine without looking inside.
typedef unsigned int QVDocumentID;
constexpr QVDocumentID kQVNullDocumentID = 0;

// One number per plug-in folder as the preferences store them: bit 0 a
// standard folder of the host, bit 1 scanned.
typedef ATNumberArray<unsigned int, unsigned int, 32> QVPluginSearchFlagArray;

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

    // --- Plug-ins ---

    // The audio format plug-in instances are prepared for: the device's
    // channel count, block size (as the frame count) and sample rate. Base:
    // the invalid info, so that no instance is made without an engine.
    virtual QVAudioInfo GetCurrentAudioInfo() const;
    // The plug-in folders and their flags as the preferences hold them, and
    // storing new ones. Base: none, and storing does nothing.
    virtual void GetPluginSearchPrefs(AKFilePathArray* paths, QVPluginSearchFlagArray* flags) const;
    virtual void SetPluginSearchPrefs(AKFilePathArray const& paths, QVPluginSearchFlagArray const& flags) const;
    // The open document and the node of the playable that carries the
    // instance, searched in every open document. Base: false.
    virtual bool FindPlayableWithPlugin(QVPluginInstance const& instance, QVDocumentID* documentID,
                                        AKNodeID* nodeID) const;
    // The open document of that ID and the playable at that node of its
    // tree; false, both null, when either is missing or the node holds no
    // playable. Base: false.
    virtual bool GetPlayableByIDs(QVDocumentID documentID, AKNodeID nodeID, QVDocument** document,
                                  QVObjectPlayable** playable) const;

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

// QVAudioWorkingMemory: the working buffers of the mixing path that computes
// a block, lent to the audio resources inside that block (a plug-in's dry
// copy for its bypass crossfade). The engine's per-document working memory
// implements it. Lending and giving back allocate nothing; buffers are given
// back in the reverse order of lending. Audio thread.
class QVAudioWorkingMemory
{
public:
    QVAudioWorkingMemory() = default;
    virtual ~QVAudioWorkingMemory() = default;

    QVAudioWorkingMemory(QVAudioWorkingMemory const&) = delete;
    QVAudioWorkingMemory& operator=(QVAudioWorkingMemory const&) = delete;

    // A free buffer shaped like the block and covering the same frames; null
    // when none is free.
    virtual QXSampleBuffer<double>* RetainWorkingBufferSameAs(QXSampleBuffer<double> const& block) const = 0;
    // Gives back the buffer lent last.
    virtual void ReleaseWorkingBuffer(QXSampleBuffer<double>& buffer) const = 0;
};
