// AKClassMgr: the registration pass and the look-ups of the registered classes.

#include "AKClassMgr.h"

#include "AKLog.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKStringArray.h"

#include <algorithm>

AKClassMgr AKClassMgr::sShared;
std::atomic<unsigned int> AKClassMgr::sGeneration{1};

namespace {

constexpr unsigned int kPendingReserve = 20;
constexpr unsigned int kRejectedReserve = 8;
constexpr unsigned int kLineageReserve = 8;

int LogRegisterClosed() { return AKLogError(kAKErrorClassRegisterClosed, "Registering classes stuff is closed"); }

bool IsIDCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool LessByID(AKClass const* a, AKClass const* b) { return a->GetClassID() < b->GetClassID(); }

}  // namespace

AKClassMgr::~AKClassMgr() { Terminate(); }

void AKClassMgr::BumpGeneration() { sGeneration.fetch_add(1, std::memory_order_acq_rel); }

// --- Registration ---

int AKClassMgr::RegisterBegin()
{
    if (fComplete || !fClasses.IsEmpty() || !fPending.IsEmpty())
        return LogRegisterClosed();
    fPending.Reserve(kPendingReserve);
    fRejected.Reserve(kRejectedReserve);
    return 0;
}

int AKClassMgr::RegisterClass(AKClassInfo const& info, bool external, AKClass** outClass)
{
    if (outClass != nullptr)
        *outClass = nullptr;
    if (fComplete)
        return LogRegisterClosed();
    // One bit per class: the 65th pending class and later ones get none
    // (a shift by 64 or more would be undefined).
    unsigned int index = fPending.Count();
    AKClassQCast flag = index < kAKClassQCastMaxCount ? (AKClassQCast(1) << index) : kAKNullClassQCast;
    AKClass* aClass = new AKClass(info, external, flag);
    fPending.Push(aClass);
    if (outClass != nullptr)
        *outClass = aClass;
    return 0;
}

int AKClassMgr::RegisterComplete(AKStringArray* rejected)
{
    if (fComplete)
        return LogRegisterClosed();

    unsigned int pendingAtStart = fPending.Count();
    int status = CheckPendingIDs();
    if (status == 0 && pendingAtStart >= kAKClassQCastMaxCount)
        status = CheckPendingCount();
    if (status == 0) {
        fClasses.Append(fPending);
        fPending.Clear();
        status = RejectDuplicates();
    }
    if (status == 0) {
        fTopClass = GetClassOfID(AKObject::_ClassID());
        status = LinkSuperClasses();
    }
    if (status == 0)
        CompleteClasses();

    if (rejected != nullptr) {
        for (AKClass const* aClass : fRejected)
            rejected->Push(aClass->GetSourceName());
    }
    DeleteRecords(fRejected);

    if (status != 0) {
        Terminate();
        return status;
    }
    fComplete = true;
    BumpGeneration();
    return 0;
}

void AKClassMgr::Terminate()
{
    DeleteRecords(fClasses);
    DeleteRecords(fPending);
    DeleteRecords(fRejected);
    fTopClass = nullptr;
    fComplete = false;
    BumpGeneration();
}

void AKClassMgr::DeleteRecords(ATArray<AKClass*>& records)
{
    for (AKClass* aClass : records)
        delete aClass;
    records.Clear();
}

int AKClassMgr::RejectOrFail(AKClass* aClass, ATArray<AKClass*>& from, unsigned int index)
{
    if (aClass->IsBuiltIn())
        return AKLogError(kAKErrorClassInternalFatalError, "Internal classes bad coherency (Fatal Error)");
    from.Remove(index);
    fRejected.Push(aClass);
    return 0;
}

int AKClassMgr::CheckPendingIDs()
{
    for (unsigned int i = 0; i < fPending.Count();) {
        AKClass* aClass = fPending[i];
        AKString reason;
        if (CheckClassID(aClass->GetClassID(), !aClass->IsBuiltIn(), &reason)) {
            ++i;
            continue;
        }
        AKLogError(kAKErrorClassBadFormatedID, "In class <%s>, %s", aClass->GetSourceName().c_str(), reason.c_str());
        int status = RejectOrFail(aClass, fPending, i);
        if (status != 0)
            return status;
    }
    return 0;
}

int AKClassMgr::CheckPendingCount()
{
    for (unsigned int i = 0; i < fPending.Count();) {
        AKClass* aClass = fPending[i];
        if (aClass->GetQCastFlag() != kAKNullClassQCast) {
            ++i;
            continue;
        }
        AKLogError(kAKErrorClassTooManyClasses, "Too many classes");
        int status = RejectOrFail(aClass, fPending, i);
        if (status != 0)
            return status;
    }
    return 0;
}

int AKClassMgr::RejectDuplicates()
{
    // Stable: among equal IDs the class registered first stays first.
    std::stable_sort(fClasses.begin(), fClasses.end(), LessByID);
    for (unsigned int i = 1; i < fClasses.Count();) {
        AKClass* earlier = fClasses[i - 1];
        AKClass* later = fClasses[i];
        if (earlier->GetClassID() != later->GetClassID()) {
            ++i;
            continue;
        }
        AKLogError(kAKErrorClassAlreadyExistID, "Classes <%s> and <%s> has the same unique ID <%s>",
                   earlier->GetSourceName().c_str(), later->GetSourceName().c_str(),
                   later->GetClassID().GetName().c_str());
        int status;
        if (!later->IsBuiltIn())
            status = RejectOrFail(later, fClasses, i);
        else
            status = RejectOrFail(earlier, fClasses, i - 1);
        if (status != 0)
            return status;
        // The survivor is now compared with its next neighbour.
    }
    return 0;
}

int AKClassMgr::LinkSuperClasses()
{
    // Rejecting a class orphans its subclasses: repeat until a pass rejects nothing.
    for (bool rejectedSome = true; rejectedSome;) {
        rejectedSome = false;
        for (unsigned int i = 0; i < fClasses.Count();) {
            AKClass* aClass = fClasses[i];
            if (aClass == fTopClass) {
                aClass->fSupClass = nullptr;
                ++i;
                continue;
            }
            AKClass* supClass = GetClassOfID(aClass->GetSupClassID());
            if (supClass != nullptr) {
                aClass->fSupClass = supClass;
                ++i;
                continue;
            }
            AKLogError(kAKErrorClassUnknownSupClass, "In class <%s>, super-class <%s> is unknown",
                       aClass->GetSourceName().c_str(), aClass->GetSupClassID().GetName().c_str());
            int status = RejectOrFail(aClass, fClasses, i);
            if (status != 0)
                return status;
            rejectedSome = true;
        }
        if (!rejectedSome) {
            int status = RejectCycles();
            if (status < 0)
                return status;
            rejectedSome = status > 0;
        }
    }
    return 0;
}

// A class whose super-classes never reach the top class (a class naming
// itself or a loop of classes) would make the completion walk forever: it
// is refused like a class whose super-class is unknown. Returns the number
// of classes rejected, or the fatal status.
int AKClassMgr::RejectCycles()
{
    int rejectedCount = 0;
    unsigned int count = fClasses.Count();
    for (unsigned int i = 0; i < fClasses.Count();) {
        AKClass* aClass = fClasses[i];
        AKClass const* walk = aClass;
        unsigned int steps = 0;
        while (walk != nullptr && walk != fTopClass && steps <= count) {
            walk = walk->fSupClass;
            ++steps;
        }
        if (walk == fTopClass && walk != nullptr) {
            ++i;
            continue;
        }
        AKLogError(kAKErrorClassUnknownSupClass, "In class <%s>, super-class <%s> is unknown",
                   aClass->GetSourceName().c_str(), aClass->GetSupClassID().GetName().c_str());
        int status = RejectOrFail(aClass, fClasses, i);
        if (status != 0)
            return status;
        ++rejectedCount;
    }
    return rejectedCount;
}

void AKClassMgr::CompleteClasses()
{
    for (AKClass* aClass : fClasses) {
        aClass->fLineage.Clear();
        aClass->fLineage.Reserve(kLineageReserve);
        AKClassQCast mask = kAKNullClassQCast;
        AKClassID family;
        for (AKClass const* walk = aClass; walk != nullptr; walk = walk->fSupClass) {
            aClass->fLineage.Insert(0, walk);
            mask |= walk->fQCastFlag;
            if (family.IsNull() && walk->IsBuiltIn())
                family = walk->fClassID;
        }
        aClass->fQCastMask = mask;
        aClass->fFamilyID = family;
        aClass->fDepth = aClass->fLineage.Count() - 1;
    }
    for (AKClass* aClass : fClasses)
        aClass->fFlags |= kAKClassFlagComplete;
}

// --- Look-ups ---

AKClass* AKClassMgr::GetClassOfID(AKClassID id) const
{
    if (id.IsNull())
        return nullptr;
    auto it = std::lower_bound(fClasses.begin(), fClasses.end(), id,
                               [](AKClass const* aClass, AKClassID const& key) { return aClass->GetClassID() < key; });
    if (it == fClasses.end() || (*it)->GetClassID() != id)
        return nullptr;
    return *it;
}

void AKClassMgr::GetClassCollection(AKClassArray* array, AKClass const* base, unsigned int flags) const
{
    array->Clear();
    if (base == nullptr)
        return;
    for (AKClass const* aClass : fClasses) {
        if (aClass->IsKindOfClass(base) && aClass->HasFlags(flags))
            array->Push(aClass);
    }
}

bool AKClassMgr::CheckClassID(AKClassID id, bool external, AKString* message)
{
    char const* bytes = id.fBytes;
    constexpr unsigned int kSize = sizeof(id.fBytes);
    unsigned int length = 0;
    while (length < kSize && bytes[length] != '\0')
        ++length;

    enum { kValid, kReserved, kBadCharacter, kNullCharacter, kTooShort } fault = kValid;
    if (bytes[0] == '_' && external)
        fault = kReserved;
    else if (!std::all_of(bytes, bytes + length, IsIDCharacter))
        fault = kBadCharacter;
    else if (length == kSize || !std::all_of(bytes + length, bytes + kSize, [](char c) { return c == '\0'; }))
        fault = kNullCharacter;
    else if (length < 2)
        fault = kTooShort;
    if (fault == kValid)
        return true;
    if (message != nullptr) {
        AKString name = id.GetName();
        switch (fault) {
        case kReserved:
            message->Assignf("ID <%s> is reserved", name.c_str());
            break;
        case kBadCharacter:
            message->Assignf("ID <%s> contains a bad character", name.c_str());
            break;
        case kNullCharacter:
            message->Assignf("ID <%s> contains a null character", name.c_str());
            break;
        default:
            message->Assignf("ID <%s> is too short (2 chars min)", name.c_str());
            break;
        }
    }
    return false;
}
