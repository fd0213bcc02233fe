#pragma once

// QVProviderMgr: the one shared list of sound providers of the running
// engine. It registers sound files by path (one provider per resolved path)
// or names them by "#" and an ID, finds, removes and re-points providers,
// relinks lost sounds by searching a folder, reads and writes a document's
// "Providers" list, and loads the sounds: its loader thread decodes block by
// block while the main thread's idle passes start and end the loads, at most
// "Provider.SimultaneousLoad" at a time.
//
// The main thread does everything but ThreadCallback. The loader thread is
// paused whenever a provider is added, removed, re-pointed or has its load
// ended, so it never walks a list being changed nor reads memory being
// released; memory the audio thread may read goes through the deferred
// release of QVProviderReleaseQueue.

#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKIdlingCenter.h"
#include "AKThread.h"
#include "ATArray.h"
#include "ATNumberArray.h"
#include "QVProvider.h"
#include "QVProviderRenum.h"

#include <atomic>

class QVDocument;

// The ID index stays a direct table while every ID is at most this.
constexpr QVProviderID kQVProviderMgrIndexMaxID = 9999;
// Idle passes before a deferred start (start mode 2).
constexpr int kQVProviderMgrDeferredStartPasses = 20;
// Processor share of the loader thread.
constexpr double kQVProviderMgrLoaderCpuShare = 0.8;

// Start modes of LoadAllProvidersSoundFile.
constexpr unsigned int kQVProviderLoadNow = 0;         // unless a deferred start is pending
constexpr unsigned int kQVProviderLoadNowAndIdle = 1;  // with an immediate idle pass
constexpr unsigned int kQVProviderLoadDeferred = 2;    // after 20 idle passes

typedef ATNumberArray<QVProviderID, unsigned int, 32> QVProviderIDArray;

class QVProviderMgr final : public AKThreadClient, public AKIdlingClient
{
public:
    static QVProviderMgr sShared;

    QVProviderMgr();
    ~QVProviderMgr() override;

    QVProviderMgr(QVProviderMgr const&) = delete;
    QVProviderMgr& operator=(QVProviderMgr const&) = delete;

    // Shut-down: every provider goes, and nothing waits for a later release.
    bool Terminate();
    bool RemoveAllProviders(unsigned int* count);

    // --- Registration and look-ups ---

    void SetSoundsBasePath(AKFilePath const& path);
    AKFilePath const& GetSoundsBasePath() const { return mSoundsBasePath; }
    // Relative paths against the sounds base path (or the application's
    // folder when it is empty), then simplified; the simplification's answer.
    bool ResolveSoundFilePath(AKFilePath* path) const;

    QVProvider* RegisterProvider(AKFilePath const& path);
    QVProvider* GetProviderByPath(AKFilePath const& path, bool allowID) const;
    QVProvider* GetProviderByID(QVProviderID id) const;
    QVProvider* GetProviderByRandom() const;
    ATArray<QVProvider*> const& GetSortedProviders() const;
    QVProviderIDArray const& GetProviderIDs() const;
    ATArray<QVProvider*> const& GetProviders() const { return mProviders; }
    unsigned int GetTotalLostSoundCount() const;

    bool RemoveProvider(QVProvider* provider);
    bool RemoveUnusedProviders(unsigned int* count);
    bool RemoveUnusedDuplicates(unsigned int* count);
    int ReplaceSoundProvider(AKFilePath const& oldPath, AKFilePath const& newPath, bool removeDuplicates);

    // --- Loading ---

    void LoadAllProvidersSoundFile(unsigned int mode);
    int LoadAllProvidersSoundFileAsync(unsigned int mode);
    void LoadAllProvidersSoundFileSync();
    void ThreadCallback() override;
    void DoIdling() override;

    bool IsLoaderRunning() const { return mThread.IsRunning(); }
    int GetDelay() const { return mDelay; }
    unsigned int GetLoadingCount() const { return mLoading; }
    unsigned int GetFinishedCount() const { return mFinished; }
    unsigned long long GetMemory() const { return mMemory; }
    unsigned int GetListStamp() const { return mListStamp; }
    unsigned int GetLoadStamp() const { return mLoadStamp.load(std::memory_order_relaxed); }

    // --- Documents ---

    void GrabActiveProviderIDsInDocument(QVProviderIDArray* ids, QVDocument const* document) const;
    void LowGrabActiveProvidersInDocument(ATArray<QVProvider*>* providers, QVDocument const* document) const;
    void LowGrabInactiveProvidersInAllDocuments(ATArray<QVProvider*>* providers) const;
    int ReadMoreFromDictionary(AKDictionary const& dictionary, AKFilePath const& folder, QVProviderRenum* renum);
    int WriteLinkedToDictionary(AKDictionary* dictionary, AKFilePath const& folder, QVDocument const* document) const;

    // --- Lost sounds ---

    int RetrieveAllLostSounds(AKFilePath const& folder, bool weak, unsigned int* lost, unsigned int* retrieved,
                              unsigned int* weakCount, unsigned int* duplicates);

    void LogInfo(unsigned int level) const;

private:
    // The "#" form's ID, or false when the path is not of that form.
    static bool ParseIDForm(AKFilePath const& path, QVProviderID* id, bool* isIDForm);
    void ListChanged();
    // One byte per possible ID: 1 where a document marks it.
    void MarkDocument(ATNumberArray<unsigned char, unsigned char, 0>* marks, QVDocument const* document) const;
    void ListMarked(ATNumberArray<unsigned char, unsigned char, 0> const& marks, bool marked,
                    ATArray<QVProvider*>* providers) const;
    QVProviderID LargestID() const;
    // Unlinks the provider (loader paused) and defers its deletion.
    void LowRemove(QVProvider* provider);
    void StopLoader();

    bool mIndexValid = true;
    ATArray<QVProvider*> mIndex;
    ATArray<QVProvider*> mProviders;
    AKFilePath mSoundsBasePath;
    unsigned int mListStamp;
    std::atomic<unsigned int> mLoadStamp;
    int mDelay = 0;
    unsigned int mLoading = 0;
    unsigned int mFinished = 0;
    unsigned long long mMemory = 0;
    mutable int mLostCount = 0;
    mutable ATArray<QVProvider*> mSortedCache;
    mutable QVProviderIDArray mIDCache;
};
