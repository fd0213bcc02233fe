// AKClass: the class record, its naming, the shared look-ups, object memory
// and the per-class hooks' cache.

#include "AKClass.h"

#include "AKClassMgr.h"
#include "AKLog.h"
#include "AKStatus.h"

#include <cstdlib>
#include <cstring>

AKClass::AKClass(AKClassInfo const& info, bool external, AKClassQCast flag)
    : fClassID(info.fClassID), fSupClassID(info.fSupClassID), fCreator(info.fCreator), fDestroyer(info.fDestroyer),
      fQCastFlag(flag), fQCastMask(flag),
      fFlags((info.fCreator == nullptr ? kAKClassFlagAbstract : kAKClassFlagConcrete) |
             (external ? kAKClassFlagExternal : kAKClassFlagBuiltIn)),
      fSourceName(info.fSourceName), fUserName(info.fSourceName), fDisplayName(info.fSourceName),
      fPluralName(info.fSourceName), fObjectSize(info.fObjectSize)
{}

bool AKClass::IsKindOfClass(AKClass const* base) const
{
    if (base == nullptr)
        return false;
    if (base == this)
        return true;
    // The lineage is exact once linked; before that only identity answers.
    unsigned int depth = base->fDepth;
    return depth < fLineage.Count() && fLineage[depth] == base;
}

// --- Registration ---

int AKClass::ClassSetup(AKClassInfo const& info, unsigned int external, AKClass** outClass)
{
    return AKClassMgr::sShared.RegisterClass(info, external != 0, outClass);
}

int AKClass::SetClassName(AKClass* aClass, AKString const& user, AKString const& display, AKString const& plural)
{
    if (aClass == nullptr)
        return AKLogError(-1, "Can't name a null class");
    if (aClass->IsComplete())
        return AKLogError(kAKErrorClassAlreadyInited, "Class <%s> is already inited", aClass->fSourceName.c_str());
    aClass->fUserName = user;
    aClass->fDisplayName = display;
    if (plural.IsEmpty()) {
        aClass->fPluralName = display;
        aClass->fPluralName.Append("s");
    } else {
        aClass->fPluralName = plural;
    }
    return 0;
}

int AKClass::SetClassComments(AKClass* aClass, AKString const& comments)
{
    if (aClass == nullptr)
        return AKLogError(-1, "Can't comment a null class");
    if (aClass->IsComplete())
        return AKLogError(kAKErrorClassAlreadyInited, "Class <%s> is already inited", aClass->fSourceName.c_str());
    aClass->fComments = comments;
    return 0;
}

// --- Shared look-ups ---

AKClass* AKClass::GetTopClass() { return AKClassMgr::sShared.GetTopClass(); }

AKClass* AKClass::GetClassOfID(AKClassID id) { return AKClassMgr::sShared.GetClassOfID(id); }

void AKClass::GetClassCollection(AKClassArray* array, AKClass const* base, unsigned int flags)
{
    AKClassMgr::sShared.GetClassCollection(array, base, flags);
}

AKClass* AKClassOfID(AKClassID id) { return AKClassMgr::sShared.GetClassOfID(id); }

AKClass* _AKClassInitStaticPtr(AKClassID id) { return AKClassMgr::sShared.GetClassOfID(id); }

AKClassQCast _AKClassInitStaticQCastF(AKClassID id)
{
    AKClass const* aClass = AKClassMgr::sShared.GetClassOfID(id);
    return aClass != nullptr ? aClass->GetQCastFlag() : kAKNullClassQCast;
}

// --- Per-class hooks ---

namespace {

void RefreshCache(AKClassStaticCache& cache, AKClassID id, unsigned int generation)
{
    AKClass* aClass = AKClassMgr::sShared.GetClassOfID(id);
    cache.fClass.store(aClass, std::memory_order_relaxed);
    cache.fQCastFlag.store(aClass != nullptr ? aClass->GetQCastFlag() : kAKNullClassQCast, std::memory_order_relaxed);
    cache.fGeneration.store(generation, std::memory_order_release);
}

}  // namespace

// A cache filled in an older generation (before a Terminate and a new pass)
// would point at a freed record: it is looked up again.
AKClass* _AKClassCachedPtr(AKClassStaticCache& cache, AKClassID id)
{
    unsigned int generation = AKClassMgr::GetGeneration();
    if (cache.fGeneration.load(std::memory_order_acquire) != generation)
        RefreshCache(cache, id, generation);
    return cache.fClass.load(std::memory_order_relaxed);
}

AKClassQCast _AKClassCachedQCastF(AKClassStaticCache& cache, AKClassID id)
{
    unsigned int generation = AKClassMgr::GetGeneration();
    if (cache.fGeneration.load(std::memory_order_acquire) != generation)
        RefreshCache(cache, id, generation);
    return cache.fQCastFlag.load(std::memory_order_relaxed);
}

// --- Object memory ---

namespace {

// The block most recently handed out on this thread, until its object's
// constructor takes the class from it.
thread_local void const* tConstructingObject = nullptr;

unsigned char* BlockOfObject(void const* object)
{
    return static_cast<unsigned char*>(const_cast<void*>(object)) - kAKClassObjectHeaderSize;
}

}  // namespace

void* _AKClassObjectAlloc(AKClass const* aClass, unsigned int size)
{
    // calloc gives the fundamental alignment; the header keeps it for the object.
    void* block = std::calloc(1, kAKClassObjectHeaderSize + static_cast<size_t>(size));
    if (block == nullptr) {
        AKLogError(kAKErrorNoMemory, "Can't allocate an object of %u bytes", size);
        return nullptr;
    }
    unsigned char* object = static_cast<unsigned char*>(block) + kAKClassObjectHeaderSize;
    std::memcpy(object - sizeof(AKClass const*), &aClass, sizeof(AKClass const*));
    tConstructingObject = object;
    return object;
}

AKClass const* _AKClassObjectGetHiddenClassPtr(void const* object)
{
    if (object == nullptr)
        return nullptr;
    AKClass const* aClass = nullptr;
    std::memcpy(&aClass, static_cast<unsigned char const*>(object) - sizeof(AKClass const*), sizeof(AKClass const*));
    return aClass;
}

AKClass const* _AKClassObjectTakeHiddenClassPtr(void const* object)
{
    if (object == nullptr || object != tConstructingObject)
        return nullptr;
    tConstructingObject = nullptr;
    return _AKClassObjectGetHiddenClassPtr(object);
}

void _AKClassObjectDealloc(void* object)
{
    if (object == nullptr)
        return;
    if (object == tConstructingObject)
        tConstructingObject = nullptr;
    std::free(BlockOfObject(object));
}
