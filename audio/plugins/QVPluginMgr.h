#pragma once

// QVPluginMgr: the engine's one plug-in manager. It keeps the list of known
// plug-ins as descriptions (sorted by UID, entry 0 always "No Plugin"), the
// instances alive in documents, the deferred deletion of released instances
// and the folders scanned for plug-ins. Everything that touches a plug-in
// format goes through its host object (QVPluginMgrLibext); the engine above
// answers the audio format, the preferences and the documents through the
// audio layer's services.
//
// Life: built at program load (not initialised, the do-nothing host, the
// list holding "No Plugin") -> the application installs its host ->
// InitializeWithCurrentPrefs -> scans replace the list, only while no
// instance lives -> carriers create and release instances -> Terminate.
// While not initialised nothing can be created or scanned and releases are
// ignored.
//
// Main thread only. The audio thread reaches instances through the objects
// that carry them; a released instance lives at least 8 more idle passes.

#include "AKIdlingCenter.h"
#include "AKNodeID.h"
#include "ATArray.h"
#include "ATArrayDirectAccess.h"
#include "ATGarbage.h"
#include "QVAudioServices.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPluginSearchPath.h"

class AKFilePathArray;
class QVDocument;
class QVObjectPlayable;
class QVPluginMgrLibext;

// Idle passes an unheld released instance waits before it is deleted.
constexpr int kQVPluginInstanceDeletionCountdown = 8;

// Search flags as the preferences store them, one number per folder.
constexpr unsigned int kQVPluginSearchFlagDefault = 0x1;
constexpr unsigned int kQVPluginSearchFlagEnabled = 0x2;

class QVPluginMgr : public AKIdlingClient
{
public:
    static QVPluginMgr sShared;

    QVPluginMgr();
    // Deletes every instance, live or queued, and the host object.
    ~QVPluginMgr() override;

    QVPluginMgr(QVPluginMgr const&) = delete;
    QVPluginMgr& operator=(QVPluginMgr const&) = delete;

    // --- Life ---

    // Once: resets the list, lets the host load its own, loads the search
    // folders from the preferences. Call after installing the host.
    void InitializeWithCurrentPrefs();
    // Stops a scan, lets the host save, resets the list, deletes every
    // instance and forgets the folders; in every case the do-nothing host
    // takes the installed one's place.
    void Terminate();
    bool IsInitialized() const { return mInitialized; }

    // Deletes the current host object and owns the given one from now on;
    // null installs a do-nothing host.
    void SetQVLibExtendedFunctions(QVPluginMgrLibext* host);
    QVPluginMgrLibext* GetQVLibExtendedFunctions() const { return mHost; }

    // --- Descriptions ---

    // Keeps only "No Plugin"; the list changed.
    void ResetPluginList();
    // Resets the list and fills it from the host's. A UID met twice keeps its
    // first description and logs the second; descriptions without a UID or
    // name are skipped.
    void SynchronizePluginList();
    // UID 0 answers "No Plugin"; an unknown UID kQVNullPluginDesc.
    QVPluginDesc const& GetPluginDesc(QVPluginDescUID uid) const;
    // The list sorted by name, "No Plugin" first, rebuilt only after a change
    // of the list; valid until the next change.
    QVPluginDescArray const& GetSortedPluginDescs() const;
    QVPluginDescArray const& GetPluginDescs() const { return mDescs; }
    // Moves at every change of the list; lists compare it to rebuild.
    unsigned int GetPluginListStamp() const { return mListStamp; }
    void LogInfo(unsigned int level) const;

    // --- Scanning ---

    // False when not initialised, while the host scans, or while any
    // instance lives (their descriptions must stay); else resets the list
    // and answers whether the host's scan started.
    bool StartRescanAllPlugins();
    void StopRescan();
    bool IsRescanning() const;

    // --- Instances ---

    // A new instance of a listed plug-in, prepared by the host for the
    // engine's current audio format, and registered here; null for UID 0,
    // before initialisation, for an unlisted UID, when the engine has no
    // valid audio format (logged), or when the host made none.
    QVPluginInstance* CreatePluginInstance(QVPluginDescUID uid);
    // Hides its editor, forgets it and queues it: it is deleted on the
    // eighth idle pass during which nothing holds it. Nothing before
    // initialisation, for null or for ID 0.
    void ReleasePluginInstance(QVPluginInstance* instance);
    // The live instance of that ID, or null.
    QVPluginInstance* GetPluginInstance(QVInstanceID id) const;
    ATArray<QVPluginInstance*> const& GetLiveInstances() const { return mInstances; }
    unsigned int CountQueuedInstances() const { return mDeletionQueue.Count(); }
    // The document and the playable that carry an instance; true with the
    // three outputs set (each may be null), else false with them null.
    // Searches every open document once, then remembers the carrier in the
    // instance; a remembered carrier that no longer resolves answers false.
    bool RetrieveOwnerObject(QVInstanceID id, QVDocument** document, QVObjectPlayable** playable,
                             QVPluginInstance** instance) const;

    // One pass of the deferred deletion; idling stops once the queue is empty.
    void DoIdling() override;

    // --- Search folders ---

    // Rebuilds the folder list from the preferences and the host's standard
    // folders: the host's folders first, each keeping the enabled flag saved
    // for it (a new one is enabled, one the host no longer reports is
    // dropped), then the user's folders; exists flags refreshed.
    void InitSearchPathsFromPrefs();
    // A copy of the folder list; empty when not initialised.
    void GetSearchPathsFromPrefs(QVPluginSearchPathArray* paths) const;
    // Takes the list and stores its paths and flags in the preferences;
    // nothing when not initialised.
    void SetSearchPathsToPrefs(QVPluginSearchPathArray const& paths);
    // The folders to scan for one plug-in format, given its standard
    // folders: each standard folder unless the user disabled it, then each
    // enabled user folder that exists, in list order. Empty when not
    // initialised.
    void GetSearchPathsToScann(AKFilePathArray* paths, AKFilePathArray const& standardPaths) const;

private:
    // The list changed: the sorted copy is stale and the stamp moves.
    void ListChanged();
    // Registers a new instance in the table and the live list.
    void RegisterInstance(QVPluginInstance* instance);
    // The live list's index of an ID by binary search, or -1.
    unsigned int FindLiveIndex(QVInstanceID id) const;
    // Deletes every live instance (last first) and every queued one.
    void DeleteAllInstances();

    bool mInitialized = false;
    QVPluginMgrLibext* mHost = nullptr;
    unsigned int mListStamp;
    QVPluginDescArray mDescs;
    mutable QVPluginDescArray mSortedDescs;
    bool mDirectAccess = true;
    ATArrayDirectAccess<QVPluginInstance*> mInstanceTable;
    ATArray<QVPluginInstance*> mInstances;
    ATGarbage<QVPluginInstance*, _AKDefaultDeleter, kQVPluginInstanceDeletionCountdown> mDeletionQueue;
    QVPluginSearchPathArray mSearchPaths;
};
