#pragma once

// AKObject: the base of every object a document tree holds. It carries a
// cached view of its registered class, the link to the node that owns it,
// its tree's context, option and flag bits, a hold count taken by the
// real-time side, a name, five change stamps, a modified flag, the
// user-interface peers attached to it and the UI-peer data stored with it.
// Its virtual operations, prefixed "akm", are the object protocol through
// which the tree, the registry, the history and the notifier create, load,
// save, name, idle and renumber objects without knowing their classes.
//
// Objects are created and deleted only through their class (AKClass.h):
// plain `new` is refused at compile time, and `delete` frees the block that
// holds the hidden class pointer.
//
// Main thread only, except the hold count (atomic): the audio side lowers it
// on its own thread; and the modified flag (a relaxed atomic): the OSC and
// MIDI threads set it when they change a parameter while the message thread
// reads and clears it. The flag orders nothing else: the values it stands
// for are shared on their own terms.

#include "AKClass.h"
#include "AKClassID.h"
#include "AKContextObject.h"
#include "AKObjectUIPeer.h"
#include "AKStamps.h"
#include "AKString.h"
#include "ATArray.h"
#include "ATObjectArray.h"

#include <atomic>
#include <cstdarg>
#include <cstddef>

class AKArgs;
class AKClassArray;
class AKDictionary;
class AKFile;
class AKNode;
class AKNodeArray;
class AKNodeIDArray;
class AKTreeRenum;

// Option bits, fixed by the subclass constructor (16 and up: subclasses).
constexpr unsigned int kAKObjectOptionRenumberNodeIDs = 0x1;  // keeps node IDs: akmRenumberExtraNodeIDs
constexpr unsigned int kAKObjectOptionAlwaysDictID = 0x2;     // its node's ID always in the dictionary form
constexpr unsigned int kAKObjectOptionNoDictionary = 0x4;     // left out of every dictionary form, with its subtree
constexpr unsigned int kAKObjectOptionDeferDelete = 0x8;      // always through the tree's deletion queue

// Flag bits, 0 at construction.
constexpr unsigned int kAKObjectFlagIdling = 0x10;             // wants akmIdle on idle passes
constexpr unsigned int kAKObjectFlagDeleted = 0x20;            // queued for deletion by its tree
constexpr unsigned int kAKObjectFlagIdlingListChanged = 0x40;  // root object only: rebuild the idling list
constexpr unsigned int kAKObjectFlagStampsPending = 0x80;      // root object only: marks await an update
constexpr unsigned int kAKObjectFlagMarkRevised = 0x100;       // one pending mark per stamp
constexpr unsigned int kAKObjectFlagMarkSubRevised = 0x200;
constexpr unsigned int kAKObjectFlagMarkFarSubRevised = 0x400;
constexpr unsigned int kAKObjectFlagMarkSubLinks = 0x800;
constexpr unsigned int kAKObjectFlagMarkFarSubLinks = 0x1000;

// The five change stamps of an object.
enum AKObjectStamp : unsigned int {
    kAKObjectStampRevised = 0,        // its own data
    kAKObjectStampSubRevised = 1,     // one of its direct children's data
    kAKObjectStampFarSubRevised = 2,  // some descendant's data
    kAKObjectStampSubLinks = 3,       // its list of children
    kAKObjectStampFarSubLinks = 4,    // links somewhere below it
    kAKObjectStampCount = 5
};

// A message delivered to objects by the notifier.
struct AKMessage {
    unsigned int fCode = 0;
    int fValue = 0;

    AKMessage() = default;
    AKMessage(unsigned int code, int value) : fCode(code), fValue(value) {}
};

AKMessage const& AKNullMessageShared();
#define kAKNullMessage (AKNullMessageShared())

class AKObject
{
public:
    AKCLASS_DECLARE_HOOKS("object")

    // --- Object protocol, in slot order ---

    // Pure here; every concrete class defines it empty.
    virtual void _PureVirtualMethod() const = 0;
    virtual ~AKObject();

    // Base: the name becomes the rest of the first "-name:" argument (empty without one).
    virtual int akmInitWithArgs(AKArgs const& args);
    // `how` 0 re-initialises the persistent data in place (the UI-peer chunk
    // is skipped); any other value is a full initialisation: 1 tree load,
    // 2 history, 3 copy. Base: the optional 'UIPR' chunk, then the name.
    virtual int akmInitFromFile(AKFile const& file, unsigned int how);
    virtual int akmWriteToFile(AKFile& file) const;
    // Base: "UIPeer", then "Name" (kept when absent or not a string).
    virtual int akmInitFromDictionary(AKDictionary const& dictionary);
    virtual int akmWriteToDictionary(AKDictionary& dictionary) const;
    // Null-terminated list of the classes allowed as children; null when the
    // object takes none. Base: null.
    virtual AKClass const** akmGetAuthoChildClasses() const;
    // With onlyIfUnnamed, a named object keeps its name. False when nothing
    // changed (also for the very same name); else sets the modified flag.
    virtual bool akmSetName(AKString const& name, bool onlyIfUnnamed);
    virtual bool akmSetDefaultName(AKString const& name);
    virtual AKString akmGetName() const;
    // Base: does nothing and returns 0.
    virtual int akmExecute(AKArgs const& args);
    // Turns idle calls on or off; -1 (flag left clear) when the object is not
    // in a tree whose root owns an object.
    virtual int akmSetIdling(bool idling);
    virtual void akmIdle();
    virtual void akmListenToMessage(AKMessage const& message);
    // For objects with option 1: maps every node ID kept. Base: 0.
    virtual int akmRenumberExtraNodeIDs(AKTreeRenum const& renum);
    // 32 per-client channel numbers, or null. Base: null.
    virtual unsigned char* akmGetNStateChanums() const;

    // Formats the text, splits it with quote removal and runs akmExecute.
    // A subclass that overrides akmExecute(AKArgs const&) adds
    // `using AKObject::akmExecute;` to keep this form visible.
    int akmExecute(char const* format, ...) __attribute__((format(printf, 2, 3)));

    // --- Class ---

    AKClass const* GetClass() const { return fClass; }
    AKClassID GetClassID() const { return fClassID; }
    AKClassQCast GetQCastMask() const { return fQCastMask; }
    AKClassID GetFamilyID() const { return fFamilyID; }
    // Whether the object's mask holds every bit of the class's mask (false
    // for null or a class without bits).
    bool IsKindOf(AKClass const* aClass) const;
    // Whether the object's mask holds a class's own bit (_ClassQCastFlag).
    bool IsKindOfQCast(AKClassQCast flag) const { return (fQCastMask & flag) != 0; }
    template <class T>
    bool IsKindOfT() const
    {
        return IsKindOfQCast(T::_ClassQCastFlag());
    }

    // --- Owner node and context ---

    AKNode* GetNodeOwner() const { return fNodeOwner; }
    AKContextObject const* GetContext() const { return fContext; }
    // For the registry and the nodes only.
    void _SetNodeOwner(AKNode* node) { fNodeOwner = node; }
    void _SetContext(AKContextObject const* context) { fContext = context; }

    // The members below reach the owner node (AKObjectNodeOwner.cpp).
    // The owner node's ID, 0 when detached.
    AKNodeID NodeOwnerID() const;
    // The same, 0 as well for a negative ID (a detached copy).
    AKNodeID GetID() const;
    AKNode* ParentNode() const;
    AKNodeID ParentNodeID() const;
    AKObject* ParentObject() const;
    void GrabChildren(ATObjectArray<AKObject>* objects) const;
    void GrabChildrenOfClass(ATObjectArray<AKObject>* objects, AKClass const* aClass) const;
    void GrabChildren(AKNodeArray* nodes) const;
    void GrabChildrenOfClass(AKNodeArray* nodes, AKClass const* aClass) const;

    // --- Options and flags ---

    unsigned int GetOptions() const { return fOptions; }
    bool HasOption(unsigned int option) const { return (fOptions & option) != 0; }
    unsigned int GetFlags() const { return fFlags; }
    bool HasFlags(unsigned int flags) const { return (fFlags & flags) == flags; }
    void SetFlags(unsigned int flags) { fFlags |= flags; }
    void ClearFlags(unsigned int flags) { fFlags &= ~flags; }

    // --- Hold count (any thread) ---

    int GetHoldCount() const { return fHoldCount.load(std::memory_order_acquire); }
    // Both return the new count.
    int HoldRetain() { return fHoldCount.fetch_add(1, std::memory_order_acq_rel) + 1; }
    int HoldRelease() { return fHoldCount.fetch_sub(1, std::memory_order_acq_rel) - 1; }

    // --- Stamps and modified flag ---

    unsigned int GetStamp(AKObjectStamp stamp) const { return fStamps[stamp]; }
    void SetStamp(AKObjectStamp stamp, unsigned int value) { fStamps[stamp] = value; }
    // Moves the stamp on, never to kAKNullStampSync or kAKUndefStampVers;
    // returns the new value.
    unsigned int RaiseStamp(AKObjectStamp stamp);
    unsigned int GetRevisedStamp() const { return fStamps[kAKObjectStampRevised]; }
    unsigned int GetSubRevisedStamp() const { return fStamps[kAKObjectStampSubRevised]; }
    unsigned int GetFarSubRevisedStamp() const { return fStamps[kAKObjectStampFarSubRevised]; }
    unsigned int GetSubLinksStamp() const { return fStamps[kAKObjectStampSubLinks]; }
    unsigned int GetFarSubLinksStamp() const { return fStamps[kAKObjectStampFarSubLinks]; }

    bool IsModified() const { return fModified.load(std::memory_order_relaxed); }
    void SetModified(bool modified) { fModified.store(modified, std::memory_order_relaxed); }

    // --- User-interface peers ---

    // False with kAKWarningObjectCantAttachUIPeer for a null peer or one already attached here.
    bool AttachUIPeer(AKObjectUIPeer* peer);
    // False with kAKWarningObjectCantDetachUIPeer for a null peer or one not
    // attached here; the stored UI-peer data goes with the last peer.
    bool DetachUIPeer(AKObjectUIPeer* peer);
    ATArray<AKObjectUIPeer*> const& GetUIPeers() const { return fUIPeers; }
    // Null when the object stores none.
    AKDictionary const* GetUIPeerData() const { return fUIPeerData; }
    void ClearUIPeerData();

    // Plain allocation is refused: objects come from their class.
    static void* operator new(size_t) = delete;
    static void* operator new[](size_t) = delete;
    static void operator delete(void* object) { _AKClassObjectDealloc(object); }

protected:
    explicit AKObject(unsigned int options);

    AKString fName;

private:
    friend class AKObjectUIPeer;
    friend class AKObjectUIPeerHelpers;

    AKObject(AKObject const&) = delete;
    AKObject& operator=(AKObject const&) = delete;

    // Takes ownership of the data (null clears).
    void SetUIPeerData(AKDictionary* data);
    // Deletion step that lets the owner node go (AKObjectNodeOwner.cpp).
    void ReleaseFromNodeOwner();

    AKClass const* fClass;
    AKClassID fClassID;
    AKClassQCast fQCastMask;
    AKClassID fFamilyID;
    AKNode* fNodeOwner = nullptr;
    AKContextObject const* fContext = nullptr;
    unsigned int fOptions;
    unsigned int fFlags = 0;
    std::atomic<int> fHoldCount{0};
    unsigned int fStamps[kAKObjectStampCount];
    std::atomic<bool> fModified{false};
    ATArray<AKObjectUIPeer*> fUIPeers;
    AKDictionary* fUIPeerData = nullptr;
};

// Deletes tree objects through their class; the deleter of the tree's
// deletion queue (ATGarbage).
struct _AKObjectDeleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};

// Creates an object of class T through the registry with the formatted
// arguments (no context); null on failure (AKClass::GetErrorNew).
template <class T>
T* AKNew(char const* format, ...) __attribute__((format(printf, 1, 2)));

template <class T>
T* AKNew(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    AKObject* object = AKClass::NewObjectWithArgs(nullptr, T::_ClassID(), format, args);
    va_end(args);
    T* typed = dynamic_cast<T*>(object);
    if (object != nullptr && typed == nullptr)
        AKClass::DeleteObject(object);
    return typed;
}

template <class T>
T* AKContextObject::GetObjectInTreeT(AKNodeID id) const
{
    AKObject* object = GetObjectInTree(id);
    return object != nullptr && object->IsKindOfT<T>() ? static_cast<T*>(object) : nullptr;
}

// --- Lists of objects (not owned) ---

// The first object whose owner node has the ID (0 never matches); index
// (may be null) receives its position or -1.
bool ATObjectArray_FindObjectByID(ATObjectArray<AKObject> const& objects, AKNodeID id, unsigned int* index);
// The nearest class from which the class of every object derives; the top
// class for a list without classes.
AKClass const* ATObjectArray_GetCommonBaseClass(ATObjectArray<AKObject> const& objects);
// The owner node IDs in list order (0 for a detached object).
void ATObjectArray_GrabNodeIDs(ATObjectArray<AKObject> const& objects, AKNodeIDArray* ids);
// The distinct classes in order of first appearance; null entries skipped.
void ATObjectArray_GrabClasses(ATObjectArray<AKObject> const& objects, AKClassArray* classes);
// The objects that are kinds of the class, in order; none for a null class.
void ATObjectArray_GrabObjectsOfClass(ATObjectArray<AKObject> const& objects, ATObjectArray<AKObject>* result,
                                      AKClass const* aClass);
// Deletes every object through its class, last first, and empties the list.
void AKDeletes(ATObjectArray<AKObject>& objects);
