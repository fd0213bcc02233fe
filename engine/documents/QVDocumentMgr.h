#pragma once

// QVDocumentMgr: the engine's registry of open documents that are not
// private, and the audio device's entry into the engine.
//
// It keeps the documents in the order they were registered, gives each ID
// its slot in a direct-access table (IDs up to 9999; a larger ID turns
// direct access off for good and look-ups then walk the list), remembers the
// active document, resolves document file paths against a base folder and
// closes documents. It prepares every real-time document (document flag 4)
// for the device format and mixes their blocks into one block per device
// callback, keeping a smoothed figure of the share of the block's duration
// that mixing took.
//
// Until the device is prepared the format is a valid default (2 channels,
// blocks of 512 frames, 48000 Hz), so plug-in instances can be made; there
// is no mix buffer then, and blocks are empty.
//
// The manager does not own the documents, except that closing all of them
// deletes them.
//
// Threads:
// - Message thread: registration, removal, activation, closing, the device
//   preparation and release (the device glue may call these two from its own
//   thread), the name and path look-ups, the ID list.
// - Audio device thread: GetNextRealTimeAudioBlock only. It never waits,
//   locks or allocates: QVDocumentMgrBusyGate keeps the list, the format and
//   the mix buffer still while a block is mixed, and when a change holds them
//   the block is skipped instead (the caller plays silence).
// - Any thread (OSC, MIDI): GetDocumentByID, GetActiveDocumentID,
//   GetActiveDocument, GetLoad, IsBusy. Look-ups by ID never race the
//   growth of the table: table entries never move (QVDocumentIDTable), and
//   once direct access is off the list walk holds a mutex that the message
//   thread takes while it changes the list. A document found this way stays
//   valid until the message thread closes it.

#include "AKFilePath.h"
#include "AKString.h"
#include "ATArray.h"
#include "QVAudioInfo.h"
#include "QVAudioServices.h"
#include "QVDocumentIDTable.h"
#include "QVDocumentMgrBusyGate.h"
#include "QXSampleBuffer.h"

#include <atomic>
#include <mutex>

class QVDocument;

constexpr unsigned int kQVDocumentMgrDefaultChannelCount = 2;
constexpr unsigned long long kQVDocumentMgrDefaultBlockFrameCount = 512;
constexpr double kQVDocumentMgrDefaultSampleRate = 48000.0;

// The share of the previous load kept at each block: load += k × (new − load).
constexpr double kQVDocumentMgrLoadSmoothing = 0.2;

class QVDocumentMgr
{
public:
    static QVDocumentMgr sShared;

    QVDocumentMgr();
    ~QVDocumentMgr();

    QVDocumentMgr(QVDocumentMgr const&) = delete;
    QVDocumentMgr& operator=(QVDocumentMgr const&) = delete;

    // --- Registration (documents call these themselves) ---

    // Appends the document; nothing for null or an ID already registered.
    // A real-time document with an audio source is prepared for the device
    // format first when the device is prepared.
    void AddDocument(QVDocument* document);
    // Removes it, keeping the order of the others; nothing when absent.
    // Releases its source (real-time), forgets it as the active document and
    // drops the duplicate sound registrations no one uses any more.
    void RemoveDocument(QVDocument* document);

    // --- Look-ups ---

    // The registered document of that ID, or null (always for 0). Any thread.
    QVDocument* GetDocumentByID(QVDocumentID documentID) const;
    // The first document of exactly that name; null for the empty name.
    QVDocument* GetDocumentByName(AKString const& name) const;
    // The first document whose file path equals the path resolved without
    // extension; null for the empty path.
    QVDocument* GetDocumentByFilePath(AKFilePath const& path) const;
    // The IDs of the registered documents in list order (cached until the
    // list changes).
    ATArray<QVDocumentID> const& GetDocumentIDs() const;
    ATArray<QVDocument*> const& GetDocuments() const { return mDocuments; }
    unsigned int CountDocuments() const { return mDocuments.Count(); }
    bool IsDirectAccessOn() const { return mDirectAccess.load(std::memory_order_acquire); }

    // --- Active document ---

    // Stores the document's ID (0 for null) and returns it.
    QVDocumentID SetActiveDocument(QVDocument* document);
    QVDocumentID GetActiveDocumentID() const { return mActiveDocumentID.load(std::memory_order_acquire); }
    QVDocument* GetActiveDocument() const { return GetDocumentByID(GetActiveDocumentID()); }

    // --- File paths ---

    // Kept in directory form; the empty path means the application folder.
    void SetDocumentsBasePath(AKFilePath const& folder);
    AKFilePath const& GetDocumentsBasePath() const { return mBasePath; }
    // Sets the extension when one is given, makes a relative path absolute
    // against the base folder (or the application folder), simplifies it.
    void ResolveDocumentFilePath(AKFilePath* path, AKString const& extension) const;
    // The same with the extension of the document type (none for an
    // unknown type).
    void ResolveDocumentFilePath(AKFilePath* path, unsigned int documentType) const;

    // --- All documents ---

    // Asks every document to refresh its views.
    void ForceRefreshAllDocuments();
    // Deletes every document, last first.
    void CloseAllDocuments();
    // The engine stop: closes every document. Nothing left the second time.
    void Terminate();
    // Asks the documents to close, last first, until none is left (false)
    // or a close is cancelled (true, the earlier documents stay open). A
    // close that leaves its document registered counts as cancelled. The
    // answer is also written to `cancelled` when given.
    bool DoCloseAllDocuments(unsigned int flags, bool* cancelled);

    // The framed count of documents, then each document's log.
    void LogInfo(int level) const;

    // --- Audio device ---

    // Takes the device format, allocates the mix buffer and prepares every
    // real-time document, waiting for the block in progress.
    void PrepareRealTimeAudioResources(QVAudioInfo const& format);
    // Forgets the format, frees the mix buffer and releases every real-time
    // document, waiting for the block in progress.
    void ReleaseRealTimeAudioResources();
    // Audio thread. Mixes the next block of `frameCount` frames (0: the
    // device's block size; no more than the mix buffer holds) of every
    // real-time document and hands the mix buffer to *mix (silence when no
    // source gave a block). False, with *mix null, when a change holds the
    // documents: the block is skipped and the caller plays silence. The
    // mix buffer stays as handed until the next block, or until the device
    // format is prepared or released (which the device glue does only while
    // its callback is stopped).
    bool GetNextRealTimeAudioBlock(QXSampleBuffer<double>** mix, unsigned long long frameCount);
    // The same block copied into the caller's buffer (its channels and
    // frames paired with the mix's, the rest zeroed) before the busy flag is
    // cleared, so the caller never reads the mix buffer while a change may
    // replace it. False, with the buffer zeroed, when the block is skipped.
    bool CopyNextRealTimeAudioBlock(QXSampleBuffer<double>* destination, unsigned long long frameCount);

    // The device format (channels, block size as the frame count, rate).
    QVAudioInfo const& GetCurrentAudioInfo() const { return mAudioInfo; }
    // Whether a device format is prepared (the mix buffer exists).
    bool IsAudioPrepared() const { return mAudioPrepared; }
    // The smoothed cost of a block relative to its duration. Any thread.
    double GetLoad() const { return mLoad.load(std::memory_order_relaxed); }
    // Whether a block is being mixed right now. Any thread.
    bool IsBusy() const { return mGate.IsAudioBusy(); }

    // The microsecond clock a block's cost is measured with: the application
    // clock unless replaced (null restores it). Set while no block runs.
    using Clock = double (*)();
    void SetClock(Clock clock);

private:
    // Main thread: the registered document of that ID, by list walk.
    QVDocument* LowFindInList(QVDocumentID documentID) const;
    void LowForgetCachedIDs() { mCachedIDs.Clear(); }
    // Audio thread, gate entered: mixes the block into the mix buffer.
    void LowMixBlock(unsigned long long frameCount, double start);

    ATArray<QVDocument*> mDocuments;
    QVDocumentIDTable mTable;
    std::atomic<bool> mDirectAccess{true};
    // Held by the message thread while it changes the list and by readers
    // on other threads while they walk it (direct access off).
    mutable std::mutex mListMutex;
    std::atomic<QVDocumentID> mActiveDocumentID{kQVNullDocumentID};
    AKFilePath mBasePath;
    mutable ATArray<QVDocumentID> mCachedIDs;

    QVDocumentMgrBusyGate mGate;
    QVAudioInfo mAudioInfo;
    bool mAudioPrepared = false;
    QXSampleBuffer<double> mMix;
    std::atomic<double> mLoad{0.0};
    Clock mClock;
};
