#pragma once

// AKClass: one registered class of tree objects. Every object of a document
// tree is created, copied, saved and deleted through its class, which gives
// it an 8-byte ID stored in files and dictionaries, a super-class, a creator
// and a destroyer, names for the user interface and one quick-cast bit.
// Records are made by the registry (AKClassMgr.h) during its one
// registration pass and are read-only once the pass is complete.
//
// Object memory: an object of a registered class lives in a zeroed block
// that starts with a header holding its class pointer (the hidden class
// pointer, stored just before the object). The header is a whole multiple of
// the strictest fundamental alignment, so objects keep that alignment.
//
// Per-class hooks: every class of objects provides the static functions
// _ClassID(), _Class() and _ClassQCastFlag() (AKCLASS_DECLARE_HOOKS), and a
// concrete class also _ClassCtor() and _ClassDtor() with an empty
// _PureVirtualMethod() (AKCLASS_DECLARE_CONCRETE_HOOKS). _Class() and
// _ClassQCastFlag() remember what they found, and look again after the
// registry was terminated and filled anew.

#include "AKClassID.h"
#include "AKString.h"
#include "ATArray.h"

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <new>

class AKClass;
class AKClassArray;
class AKContextObject;
class AKDictionary;
class AKFile;
class AKObject;

typedef AKObject* (*AKClassCreator)();
typedef void (*AKClassDestroyer)(AKObject*);

// The description handed to the registry for one class.
struct AKClassInfo {
    AKClassID fClassID;
    AKClassID fSupClassID;    // the top class names itself
    AKClassCreator fCreator;  // null for an abstract class
    AKClassDestroyer fDestroyer;
    unsigned int fObjectSize;  // bytes of one object
    char const* fSourceName;   // name of the implementing class
};

// Flag bits of a class record.
constexpr unsigned int kAKClassFlagComplete = 0x01;  // registration complete
constexpr unsigned int kAKClassFlagAbstract = 0x10;  // no creator
constexpr unsigned int kAKClassFlagConcrete = 0x20;
constexpr unsigned int kAKClassFlagBuiltIn = 0x40;
constexpr unsigned int kAKClassFlagExternal = 0x80;

typedef ATArray<AKClass const*> AKClassLineage;

class AKClass
{
public:
    AKClass(AKClass const&) = delete;
    AKClass& operator=(AKClass const&) = delete;

    // --- The record ---

    AKClassID GetClassID() const { return fClassID; }
    AKClassID GetSupClassID() const { return fSupClassID; }
    AKClass* GetSupClass() const { return fSupClass; }
    AKClassCreator GetCreator() const { return fCreator; }
    AKClassDestroyer GetDestroyer() const { return fDestroyer; }
    // The class's own bit; 0 for a class that got none.
    AKClassQCast GetQCastFlag() const { return fQCastFlag; }
    // Its own bit and those of all its ancestors, once complete.
    AKClassQCast GetQCastMask() const { return fQCastMask; }
    unsigned int GetFlags() const { return fFlags; }
    bool HasFlags(unsigned int flags) const { return (fFlags & flags) == flags; }
    bool IsAbstract() const { return fCreator == nullptr; }
    bool IsBuiltIn() const { return (fFlags & kAKClassFlagBuiltIn) != 0; }
    bool IsComplete() const { return (fFlags & kAKClassFlagComplete) != 0; }
    // Number of ancestors, 0 for the top class.
    unsigned int GetDepth() const { return fDepth; }
    AKString const& GetSourceName() const { return fSourceName; }
    AKString const& GetUserName() const { return fUserName; }
    AKString const& GetDisplayName() const { return fDisplayName; }
    AKString const& GetPluralName() const { return fPluralName; }
    AKString const& GetComments() const { return fComments; }
    unsigned int GetObjectSize() const { return fObjectSize; }
    // ID of the nearest built-in class among the class and its ancestors.
    AKClassID GetFamilyID() const { return fFamilyID; }
    // The top class first, this class last.
    AKClassLineage const& GetLineage() const { return fLineage; }

    // Whether this class is the given one or derives from it (false for null).
    bool IsKindOfClass(AKClass const* base) const;

    // --- Registration ---

    // RegisterClass on the shared registry, external when the flag is not 0.
    static int ClassSetup(AKClassInfo const& info, unsigned int external, AKClass** outClass);
    // Sets the user, display and plural names (an empty plural gives the
    // display name followed by "s"); kAKErrorClassAlreadyInited once
    // registration is complete, kAKErrorMiscellaneous for a null class.
    static int SetClassName(AKClass* aClass, AKString const& user, AKString const& display, AKString const& plural);
    static int SetClassComments(AKClass* aClass, AKString const& comments);

    // --- Look-ups on the shared registry ---

    static AKClass* GetTopClass();
    static AKClass* GetClassOfID(AKClassID id);
    static void GetClassCollection(AKClassArray* array, AKClass const* base, unsigned int flags);

    // --- Objects ---

    // Each creator returns null on failure; GetErrorNew then tells why.
    // The format is appended, expanded, after the class ID's name.
    static AKObject* NewObjectWithArgs(AKContextObject const* context, AKClassID id, char const* format, va_list args)
        __attribute__((format(printf, 3, 0)));
    // Reads the family ID, the class ID and the object's own data; `how` is
    // handed to the object (0 re-initialises, leaving user-interface data out).
    static AKObject* NewObjectFromFile(AKContextObject const* context, AKFile const& file, unsigned int how);
    // The class comes from the key "Class".
    static AKObject* NewObjectFromDictionary(AKContextObject const* context, AKDictionary const& dictionary);
    // A copy made through the file form in a memory stream.
    static AKObject* NewObjectFromOriginal(AKContextObject const* context, AKObject const* source);
    // Status of the last creation, 0 after a success. Main thread.
    static int GetErrorNew();

    static int WriteObjectToFile(AKObject const* object, AKFile& file);
    static int WriteObjectToDictionary(AKObject const* object, AKDictionary& dictionary);
    // Re-reads an object's persistent data from its file form; the stored
    // family and class IDs must be the object's.
    static int ReinitObjectFromFile(AKObject* object, AKFile const& file);
    // Through the virtual destructor; nothing for null.
    static void DeleteObject(AKObject* object);

private:
    friend class AKClassMgr;

    AKClass(AKClassInfo const& info, bool external, AKClassQCast flag);
    ~AKClass() = default;

    static AKObject* CreateObject(AKContextObject const* context, AKClassID id);
    static AKObject* FailNew(int status);

    AKClassID fClassID;
    AKClassID fSupClassID;
    AKClass* fSupClass = nullptr;
    AKClassCreator fCreator = nullptr;
    AKClassDestroyer fDestroyer = nullptr;
    AKClassQCast fQCastFlag = kAKNullClassQCast;
    AKClassQCast fQCastMask = kAKNullClassQCast;
    unsigned int fFlags = 0;
    unsigned int fDepth = 0;
    AKString fSourceName;
    AKString fUserName;
    AKString fDisplayName;
    AKString fPluralName;
    AKString fComments;
    unsigned int fObjectSize = 0;
    AKClassID fFamilyID;
    AKClassLineage fLineage;
};

// The registered class of an ID, null when unknown.
AKClass* AKClassOfID(AKClassID id);
// The same look-up, and the own bit of the class of an ID (0 when unknown),
// for the per-class hooks.
AKClass* _AKClassInitStaticPtr(AKClassID id);
AKClassQCast _AKClassInitStaticQCastF(AKClassID id);

// --- Object memory ---

// Bytes in front of every object: its class pointer, padded so the object
// keeps the strictest fundamental alignment.
constexpr size_t kAKClassObjectHeaderSize = alignof(std::max_align_t) > sizeof(AKClass*) ? alignof(std::max_align_t)
                                                                                         : sizeof(AKClass*);

// A zeroed block of header + size bytes; returns the object's address (null
// when out of memory), the class stored just before it.
void* _AKClassObjectAlloc(AKClass const* aClass, unsigned int size);
// The class pointer stored in front of an object made by _AKClassObjectAlloc.
AKClass const* _AKClassObjectGetHiddenClassPtr(void const* object);
// Frees the whole block; nothing for null.
void _AKClassObjectDealloc(void* object);
// For the object base's constructor: the hidden class pointer when `object`
// is the block most recently handed out by _AKClassObjectAlloc on this
// thread and not yet taken, else null (an object built anywhere else has no
// header to read).
AKClass const* _AKClassObjectTakeHiddenClassPtr(void const* object);

// Allocates through the class and constructs a T in place; null when the
// class is missing or memory is short.
template <class T>
AKObject* _AKClassConstruct(AKClass const* aClass)
{
    static_assert(alignof(T) <= alignof(std::max_align_t), "objects keep the fundamental alignment");
    if (aClass == nullptr)
        return nullptr;
    unsigned int size = aClass->GetObjectSize();
    if (size < sizeof(T))
        size = static_cast<unsigned int>(sizeof(T));
    void* memory = _AKClassObjectAlloc(aClass, size);
    if (memory == nullptr)
        return nullptr;
    try {
        return ::new (memory) T();
    } catch (...) {
        _AKClassObjectDealloc(memory);
        throw;
    }
}

// --- Per-class hooks ---

// What a class's hooks found, with the registry generation it was found in.
struct AKClassStaticCache {
    std::atomic<unsigned int> fGeneration{0};
    std::atomic<AKClass*> fClass{nullptr};
    std::atomic<AKClassQCast> fQCastFlag{kAKNullClassQCast};
};

AKClass* _AKClassCachedPtr(AKClassStaticCache& cache, AKClassID id);
AKClassQCast _AKClassCachedQCastF(AKClassStaticCache& cache, AKClassID id);

// In the public part of every class of objects, abstract or not.
#define AKCLASS_DECLARE_HOOKS(idName)                                                                                  \
    static AKClassID _ClassID() { return AKClassID(idName); }                                                          \
    static AKClassStaticCache& _ClassCache()                                                                           \
    {                                                                                                                  \
        static AKClassStaticCache sCache;                                                                              \
        return sCache;                                                                                                 \
    }                                                                                                                  \
    static AKClass* _Class() { return _AKClassCachedPtr(_ClassCache(), _ClassID()); }                                  \
    static AKClassQCast _ClassQCastFlag() { return _AKClassCachedQCastF(_ClassCache(), _ClassID()); }

// In the public part of every concrete class, instead of AKCLASS_DECLARE_HOOKS.
#define AKCLASS_DECLARE_CONCRETE_HOOKS(Type, idName)                                                                   \
    AKCLASS_DECLARE_HOOKS(idName)                                                                                      \
    static AKObject* _ClassCtor() { return _AKClassConstruct<Type>(_Class()); }                                        \
    static void _ClassDtor(AKObject* object) { AKClass::DeleteObject(object); }                                        \
    void _PureVirtualMethod() const override {}

// Descriptions for the registration pass, from a class's hooks.
template <class T>
AKClassInfo AKClassInfoOfConcrete(AKClassID supClassID, char const* sourceName)
{
    return AKClassInfo{T::_ClassID(), supClassID, &T::_ClassCtor, &T::_ClassDtor, static_cast<unsigned int>(sizeof(T)),
                       sourceName};
}
template <class T>
AKClassInfo AKClassInfoOfAbstract(AKClassID supClassID, char const* sourceName)
{
    return AKClassInfo{T::_ClassID(), supClassID, nullptr, &AKClass::DeleteObject, static_cast<unsigned int>(sizeof(T)),
                       sourceName};
}
