#pragma once

// QVDocumentAudioSource: what the document and the document manager ask of
// the audio source that plays one document. The document owns its source,
// made in its constructor by the installed maker (none installed: the
// document has no source and plays nothing).
//
// Threads: the preparation, release and synchronisation run on the message
// thread; GetNextAudioBlock runs on the audio device thread (or the thread
// that pulls a private document's blocks), where it must not allocate, lock,
// log, do I/O or wait.

#include "QVAudioInfo.h"
#include "QXSampleBuffer.h"

class QVDocument;

class QVDocumentAudioSource
{
public:
    virtual ~QVDocumentAudioSource() = default;

    // Allocates what the blocks of that device format need.
    virtual void PrepareAudioResources(QVAudioInfo const& format) = 0;
    virtual void ReleaseAudioResources() = 0;
    // Rebuilds the source's records of the document's objects: the live
    // ones too when `live` is set (a new or freshly read document), else
    // only the spare ones that the next idle pass switches in.
    virtual void SynchronizeWithDoc(bool live) = 0;
    // The next block of that many frames, or null when the source has none.
    virtual QXSampleBuffer<double>* GetNextAudioBlock(unsigned long long frameCount) = 0;

    // A source whose blocks are pulled by the thread that edits (no
    // real-time flag) computes every player's state now, so that the first
    // block starts from the stored state. Default: nothing.
    virtual void ForceUpdatePoolsRTState() {}
    // The document's master volume in dB (-48..12); true when it changed.
    // Default: no master volume.
    virtual bool SetMasterVolume(double volume)
    {
        (void)volume;
        return false;
    }
    virtual double GetMasterVolume() const { return 0.0; }

    // Makes the source of a new document; may return null.
    using Maker = QVDocumentAudioSource* (*)(QVDocument* document);
    // The maker every later document uses; null for none.
    static void InstallMaker(Maker maker);
    static Maker GetMaker();
};
