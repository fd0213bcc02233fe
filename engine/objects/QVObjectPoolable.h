#pragma once

// QVObjectPoolable: the base of every document object that takes part in a
// document's audio pools, the track and the playables. It carries the
// user-interface attributes saved with the object (opened flag, starter key
// with its behaviour, colour label) and the object's MIDI mappings, and
// declares the protocol through which the audio source prepares the objects
// and reads their links.
//
// Setters clamp out-of-range values instead of refusing them and return true
// exactly when the stored value changed; a changed starter key, behaviour or
// colour moves the UI stamp and marks the object modified (the opened flag
// does neither).
//
// Main thread only: the audio side sees poolables through the pools built
// from them.

#include "AKObject.h"
#include "AKStamps.h"
#include "ATObjectArray.h"
#include "AKValueEnums.h"
#include "QVObjectPoolableMidi.h"
#include "QVPoolableMidiStore.h"

struct QVAudioInfo;
struct QVAudioPool;
class QVObjectPoolable;

typedef ATObjectArray<QVObjectPoolable> QVObjectPoolableArray;

// The shared empty array every poolable links to until it has sub-poolables.
QVObjectPoolableArray const& QVNullObjectPoolableArrayShared();
#define kQVNullObjectPoolableArray (QVNullObjectPoolableArrayShared())

// Object option: the user-interface panel starts opened.
constexpr unsigned int kQVPoolableOptionUIOpened = 0x10000;

constexpr unsigned int kQVStarterKeyMax = 26;  // "Z"
constexpr unsigned int kQVColorLabelMax = 8;

// What a starter key does, stored as words ("Push" ...).
enum QVStarterBehavior : unsigned int {
    kQVStarterBehaviorPush = 0,           // plays while held
    kQVStarterBehaviorToggle = 1,         // each press toggles
    kQVStarterBehaviorPushAndBack = 2,    // plays while held, then back to where it started
    kQVStarterBehaviorToggleAndBack = 3,  // toggles; a stopping press goes back
    kQVStarterBehaviorBackAndRepeat = 4,  // starts, or goes back to where it started and keeps playing
    kQVStarterBehaviorMax = 4
};

class QVObjectPoolable : public AKObject
{
public:
    AKCLASS_DECLARE_HOOKS("poolab")

    ~QVObjectPoolable() override;

    // --- Persistence: the object base's part, then the attributes ---

    int akmInitFromFile(AKFile const& file, unsigned int how) override;
    int akmWriteToFile(AKFile& file) const override;
    int akmInitFromDictionary(AKDictionary const& dictionary) override;
    int akmWriteToDictionary(AKDictionary& dictionary) const override;

    // --- Pool protocol (neutral here; the concrete classes give theirs) ---

    virtual int PrepareAudioResources(QVAudioInfo const& info, unsigned long long overlapFrames);
    virtual void ReleaseAudioResources();
    // Refreshes the links to the parent and the children; index is the
    // 1-based position among the parent's children of this kind, 0 under a
    // folder.
    virtual void SynchronizeFLFastLinks(AKObject* parent, unsigned int index);
    // The label shown for the object.
    virtual AKString GetFLDynamicName(bool ignoreName, bool* isName) const;

    // --- User-interface attributes ---

    virtual bool SetUserUIOpened(bool opened);
    virtual bool ResetUserUIStarterKey();
    // Limited to 26; 0 clears the behaviour too.
    virtual bool SetUserUIStarterKey(unsigned int key);
    // Limited to 4.
    virtual bool SetUserUIStarterBehavior(unsigned int behavior);
    // Limited to 8.
    virtual bool SetUserUIColorLabel(unsigned int label);

    // Fills the object's record in the audio pools: the object, its node
    // ID, its two link stamps and the nesting flags (none here: a track).
    virtual void GetSetupedAudioPool(QVAudioPool* pool) const;
    // Stamps of this object's sub-poolables and of anything below them.
    virtual unsigned int PoolableStampSubLinks() const;
    virtual unsigned int PoolableStampFarSubLinks() const;

    bool IsUIOpened() const { return mUIOpened; }
    unsigned int GetUIStarterKey() const { return mUIStarterKey; }
    unsigned int GetUIStarterBehavior() const { return mUIStarterBehavior; }
    unsigned int GetUIColorLabel() const { return mUIColorLabel; }
    unsigned int GetUIStamp() const { return mUIStamp; }
    QVPoolableMidiStore const& GetMidiStore() const { return mMidiStore; }
    // The object's MIDI patcher, made on first request by the installed
    // services (null without them); safe from any thread, since the first
    // patcher made is the one kept. Not from a constructor or destructor.
    QVObjectMidiPatcher* GetMidiPatcher();
    // The patcher when one was made already, else null; never makes one.
    QVObjectMidiPatcher* PeekMidiPatcher() const { return mMidiPatcher.load(std::memory_order_acquire); }
    QVObjectPoolableArray const& GetSubPoolables() const { return *mSubPoolables; }

protected:
    explicit QVObjectPoolable(unsigned int options);

    // Points the sub-poolables at an array the subclass keeps alive.
    void SetSubPoolables(QVObjectPoolableArray const* subs)
    {
        mSubPoolables = subs != nullptr ? subs : &kQVNullObjectPoolableArray;
    }

private:
    void UIChanged();

    bool mUIOpened;
    unsigned int mUIStarterKey = 0;
    unsigned int mUIStarterBehavior = kQVStarterBehaviorPush;
    unsigned int mUIColorLabel = 0;
    unsigned int mUIStamp = kAKNullStampVers;
    QVPoolableMidiStore mMidiStore;  // the mappings as read, while no patcher is made
    std::atomic<QVObjectMidiPatcher*> mMidiPatcher{nullptr};
    QVObjectPoolableArray const* mSubPoolables;
};

// --- Look-up tables ---

// The words of the starter behaviours ("Push" ... "BackAndRepeat").
extern AKValueEnums const kEnums_Behavior[];

// The colour of a label (an AGColor value, red in the lowest byte) and, when
// nameOut is given, its localised name; above 8 gives label 0 ("None", white).
unsigned int QVObjectGetUIColorLabel(unsigned int index, AKString* nameOut);
// " " for key 0, "A" to "Z" for 1 to 26, empty above; nothing for null.
void QVObjectGetUIStarterKeyName(unsigned int key, AKString* out);
