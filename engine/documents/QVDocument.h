#pragma once

// QVDocument: one open engine document: an object tree of folders,
// sequences, tracks and players with what works on it. It owns the tree, the
// tree handler with its undo history, the tree's context object, the
// document preferences and the audio source that plays it; it has a
// document type, an ID, flags, a name and a file path, a modified level, the
// host settings that travel with its file, and two caches of the OSC name
// paths already resolved.
//
// QVDocument is a base class: its virtual operations are the document's
// interface to its host (creating, closing, activating, notifying the user
// interface), with working engine defaults for the document's life and empty
// ones for the user-interface hooks. A document that is not private
// registers itself with the document manager when it is made; Delete and
// DoDocumentClose unregister it before deleting it (the destructor also
// does, so a deleted document is never left registered).
//
// IDs come from a process-wide counter: the first document is 1 and an ID
// is never given twice. Untitled documents are named "Untitled N" from
// another process-wide counter, never reused either.
//
// Threads: everything runs on the message thread, except GetObjectForOSC and
// GetObjectForOSCT, which the OSC thread calls. Those hold the document's
// tree guard for reading (QVDocumentTreeGuard), while every change to the
// tree's nodes runs inside an edit of that guard: the document's tree handler
// opens one around each structural action and the document around its own
// initialisation, the tree's idle passes and the synchronisation after a
// structural action. The name-path caches have their own mutex, taken after
// the guard. The audio thread never touches the document: it reads its
// source's pools.

#include "AKClassID.h"
#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKNodeID.h"
#include "AKObject.h"
#include "AKString.h"
#include "ATFastMap.h"
#include "QVAudioServices.h"
#include "QVDocumentTreeGuard.h"

#include <mutex>

class AKTree;
class AKTreeActionParam;
class AKTreeHistory;
class QVContextObject;
class QVAudioRecorder;
class QVDocPrefs;
class QVDocumentAudioSource;
class QVDocumentTreeHandler;

// Document flags, given at construction.
constexpr unsigned int kQVDocumentFlagPrivate = 0x1;         // never registered with the manager
constexpr unsigned int kQVDocumentFlagReadOnly = 0x2;        // the tree refuses edits
constexpr unsigned int kQVDocumentFlagRealTimeAudio = 0x4;   // mixed into the device output
constexpr unsigned int kQVDocumentFlagIdlingObjects = 0x8;   // the tree's objects get idle passes
constexpr unsigned int kQVDocumentFlagUndoRedo = 0x10;       // the history is opened
constexpr unsigned int kQVDocumentFlagPersistentIDs = 0x20;  // the tree keeps stored node IDs

// Modified levels: 0 not modified, 1 weakly modified, 2 and above modified.
constexpr unsigned int kQVDocumentModifiedWeak = 1;
constexpr unsigned int kQVDocumentModifiedStrong = 2;

// The command ID and result flags of the record that stands for "everything
// may have changed".
constexpr int kQVDocumentFullRefreshCommandID = -1;
constexpr unsigned int kQVDocumentFullRefreshResultFlags = 0xff01;

// The class name that makes a name path a track path.
constexpr char kQVDocumentTrackClassName[] = "track";

class QVDocument
{
public:
    // Type 0 becomes 1 when exactly one type is registered. Takes the next
    // ID; makes the tree (options from the flags, deleted objects always
    // queued), its context, the tree handler, the document preferences, the
    // recorder and the audio source (from the installed maker); registers
    // with the manager unless private.
    QVDocument(unsigned int documentType, unsigned int flags);
    // Unregisters (when still registered), then deletes the audio source,
    // the recorder, the document preferences, the tree handler and the tree.
    virtual ~QVDocument();

    QVDocument(QVDocument const&) = delete;
    QVDocument& operator=(QVDocument const&) = delete;

    // Unregisters unless private, then deletes the document.
    void Delete();

    // --- Host interface ---

    // 0: not modified, the history's position becomes its saved one and every
    // object forgets its mark; n > 0: the level becomes max(level, n).
    virtual void SetModified(unsigned int level);
    // Initialises an empty document named `name` ("Untitled N" when empty).
    // kQVErrorDocumentAlreadyInitialized when already initialised; a failure
    // of the tree or of the history is passed up and leaves the document not
    // initialised. The flags and the boolean are for hosts' overrides.
    virtual int OnDocumentNew(AKString const& name, unsigned int flags, bool option);
    // Unregisters the document unless private and deletes it; never
    // cancelled here (a host may ask the user and set `cancelled`).
    virtual void DoDocumentClose(unsigned int flags, bool* cancelled);
    virtual void DoDocumentActivate() {}
    virtual bool IsDocumentMasterModeLocked() const { return false; }
    virtual void* GetUIFrameworkWindowPtr() const { return nullptr; }
    // Hands the result of an action to the document's user interface.
    virtual void NotifyGandlerListeners(AKTreeActionParam const& action);
    // Notifies a full-refresh record without synchronising anything.
    virtual void ForceRefreshDocument();
    // False: settings not taken, respectively not given.
    virtual bool ApplyUserSettingsToDocument(AKDictionary const& settings);
    virtual bool GrabUserSettingsFromDocument(AKDictionary* settings) const;
    // One idle pass of the tree's objects, then one of the tree's deletions.
    virtual void DoIdlingForTreeObjectsAndGarbage();

    // --- Document files (QVDocumentFiles*.cpp) ---

    // Reads the file (binary or XML by the type) into a document not yet
    // initialised; as a copy, the document keeps the file's name but not
    // the file. A failure leaves it not initialised.
    virtual int OnDocumentOpen(AKFilePath const& path, unsigned int flags, bool asCopy);
    // The XML form of a binary type that also has an XML signature (the
    // dictionary, when given, in place of the file); -1 for other types.
    virtual int OnDocumentImport(AKFilePath const& path, unsigned int flags, AKDictionary const* dictionary);
    // Writes nothing and returns 0 when nothing changed.
    virtual int DoDocumentSave(unsigned int flags, bool* cancelled);
    // Flag 0x4000 lets it replace an existing file.
    virtual int DoDocumentSaveAs(AKFilePath const& path, unsigned int flags, bool* cancelled);
    virtual int DoDocumentExport(AKFilePath const& path, unsigned int flags, bool* cancelled) const;
    int InitFromXmlFile(AKFilePath const& path, AKDictionary const* dictionary, bool import);
    int SaveToXmlFile(AKFilePath const& path, bool exporting) const;
    int InitFromBinFile(AKFilePath const& path);
    int SaveToBinFile(AKFilePath const& path) const;
    // After a tree was read by an open or an import: the links, the host
    // settings, the history, the idling objects and the audio source; then,
    // once the file state is set, the document marked initialised.
    int SetupLoadedTree();
    void CompleteLoad();
    // The next free numbered name of a recording, respectively of a bounce;
    // both move the record file counter past the number taken.
    int ComputeNextRecordSoundFilePath(AKFilePath* result);
    int ComputeNextBounceSoundFilePath(AKFilePath const& path, AKString const& extension, bool numbered,
                                       AKFilePath* result);
    // Brings the tree read from a file of an older version (below the
    // oldest supported one) up to date; none installed: the tree is kept
    // as read.
    using OldFileUpgrader = int (*)(QVDocument* document, unsigned int version);
    static void InstallOldFileUpgrader(OldFileUpgrader upgrader);

    // --- Modified state ---

    // Level 2 or more, a history away from its saved position, or an object
    // marked modified.
    bool IsModified() const;
    // Level exactly 1 with the history at its saved position.
    bool IsModifiedWeak() const;
    unsigned int GetModifiedLevel() const { return mModifiedLevel; }

    // --- Name and file ---

    // The name becomes the given one ("Untitled N" when empty); the file
    // path's short name becomes the name and its extension the type's
    // (none for an unknown type); the tree takes the name.
    void SetDocumentName(AKString const& name);
    // The name becomes the path's short file name and the file path the
    // path; then as SetDocumentName.
    void SetDocumentFilePath(AKFilePath const& path);
    AKString const& GetDocumentName() const { return mName; }
    AKFilePath const& GetDocumentFilePath() const { return mFilePath; }
    void SetFileExists(bool exists) { mFileExists = exists; }
    bool IsFileExists() const { return mFileExists; }

    // --- Synchronisation and messages ---

    // After an action: when it is a full refresh (command ID -1) or created,
    // deleted or linked nodes, the audio source rebuilds its spare records
    // and the name-path caches are emptied; otherwise, when it did anything
    // but write the pasteboard, the caches are emptied. In every case the
    // action goes to NotifyGandlerListeners.
    void SynchronizeAllAndNotifyGandlerListeners(AKTreeActionParam const& action);
    // The same with a full-refresh record.
    void SynchronizeAllAndNotifyGandlerListeners();
    // Hands the message to every object of the tree.
    void SendMessageToAllObjects(AKMessage const& message);

    // --- Object references (OSC thread) ---

    // id > 0: the object of that node, or null. Otherwise the name path
    // (QVDocumentObjectPaths.h), with the track grammar when the class is
    // "track"; a path resolved once is kept in its cache with the object's
    // node ID until the next structural synchronisation.
    AKObject* GetObjectForOSC(AKNodeID id, AKString const& path, AKClassID classID) const;
    // The same for class T; null unless the object is a kind of T.
    template <class T>
    T* GetObjectForOSCT(AKNodeID id, AKString const& path) const;
    // The number of name paths kept for tracks, respectively for the others.
    unsigned int CountCachedObjectPaths(bool tracks) const;

    // The framed ID and name line.
    void LogInfo(int level) const;

    // --- Fields ---

    unsigned int GetDocumentType() const { return mDocumentType; }
    QVDocumentID GetDocumentID() const { return mDocumentID; }
    unsigned int GetFlags() const { return mFlags; }
    bool IsPrivate() const { return (mFlags & kQVDocumentFlagPrivate) != 0; }
    bool IsRealTimeAudio() const { return (mFlags & kQVDocumentFlagRealTimeAudio) != 0; }
    AKTree* GetTree() const { return mTree; }
    QVDocumentTreeHandler* GetTreeHandler() const { return mTreeHandler; }
    AKTreeHistory& GetHistory() const;
    QVContextObject* GetContextObject() const { return mContext; }
    QVDocPrefs* GetDocPrefs() const { return mDocPrefs; }
    QVDocumentAudioSource* GetAudioSource() const { return mAudioSource; }
    QVAudioRecorder* GetAudioRecorder() const { return mAudioRecorder; }
    QVDocumentTreeGuard& GetTreeGuard() const { return mTreeGuard; }
    bool IsInitialized() const { return mInitialized; }
    // The number the next record or bounce file of the document takes.
    unsigned int GetRecordFileCounter() const { return mRecordFileCounter; }
    void SetRecordFileCounter(unsigned int counter) { mRecordFileCounter = counter; }
    AKDictionary const& GetHostSettings() const { return mHostSettings; }
    AKDictionary& GetHostSettings() { return mHostSettings; }

protected:
    void SetInitialized() { mInitialized = true; }

private:
    // The tree's object of that node, or null.
    AKObject* LowObjectOfNode(AKNodeID id) const;
    // Resolves a name path through the installed navigator.
    AKObject* LowResolveNamePath(AKString const& path, bool forTrack) const;
    void LowForgetObjectPaths();
    // Short name and extension of the file path, name of the tree.
    void LowApplyName();

    unsigned int const mDocumentType;
    QVDocumentID const mDocumentID;
    unsigned int const mFlags;
    mutable QVDocumentTreeGuard mTreeGuard;
    AKTree* const mTree;
    QVContextObject* const mContext;  // owned by the tree
    QVDocumentTreeHandler* const mTreeHandler;
    QVDocPrefs* const mDocPrefs;
    QVAudioRecorder* const mAudioRecorder;  // made before the source, deleted after it
    QVDocumentAudioSource* const mAudioSource;
    bool mInitialized = false;
    bool mFileExists = false;
    unsigned int mModifiedLevel = 0;
    AKFilePath mFilePath;
    AKString mName;
    unsigned int mRecordFileCounter = 1;
    AKDictionary mHostSettings;
    mutable std::mutex mPathCacheMutex;
    mutable ATFastMap<AKString, AKNodeID> mPlayablePaths;
    mutable ATFastMap<AKString, AKNodeID> mTrackPaths;
};

template <class T>
T* QVDocument::GetObjectForOSCT(AKNodeID id, AKString const& path) const
{
    AKObject* const object = GetObjectForOSC(id, path, T::_ClassID());
    return object != nullptr && object->IsKindOfT<T>() ? static_cast<T*>(object) : nullptr;
}
