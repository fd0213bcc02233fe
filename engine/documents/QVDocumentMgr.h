#pragma once

// QVDocumentMgr: the engine's list of open documents that are not private,
// in the order they were registered, and the audio format of the device
// that plays them. Plug-in instances are prepared for that format when they
// are made, so it starts as a valid default (2 channels, blocks of 512
// frames, 48000 Hz) until the device is prepared.
//
// Main thread only. The manager does not own the documents.

#include "ATArray.h"
#include "QVAudioInfo.h"
#include "QVAudioServices.h"

class QVDocument;

constexpr unsigned int kQVDocumentMgrDefaultChannelCount = 2;
constexpr unsigned long long kQVDocumentMgrDefaultBlockFrameCount = 512;
constexpr double kQVDocumentMgrDefaultSampleRate = 48000.0;

class QVDocumentMgr
{
public:
    static QVDocumentMgr sShared;

    QVDocumentMgr();

    QVDocumentMgr(QVDocumentMgr const&) = delete;
    QVDocumentMgr& operator=(QVDocumentMgr const&) = delete;

    // Appends the document; nothing for null or an ID already registered.
    void AddDocument(QVDocument* document);
    // Removes it, keeping the order of the others; nothing when absent.
    void RemoveDocument(QVDocument* document);
    // The registered document of that ID, or null (always for 0).
    QVDocument* GetDocumentByID(QVDocumentID documentID) const;
    ATArray<QVDocument*> const& GetDocuments() const { return mDocuments; }

    // The device format: channel count, block size as the frame count,
    // sample rate.
    QVAudioInfo const& GetCurrentAudioInfo() const { return mAudioInfo; }
    // Takes the device format.
    void PrepareRealTimeAudioResources(QVAudioInfo const& info);

private:
    ATArray<QVDocument*> mDocuments;
    QVAudioInfo mAudioInfo;
};
