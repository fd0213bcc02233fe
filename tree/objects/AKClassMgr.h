#pragma once

// AKClassMgr: the registry of the classes of tree objects, one shared
// instance (sShared), filled once in one registration pass before any
// document exists and read-only afterwards:
//   RegisterBegin, RegisterClass (and SetClassName...) for each class,
//   RegisterComplete, which checks the IDs, sorts the classes by ID, rejects
//   duplicates and orphans and links every class to its super-class.
// A fatal completion, or Terminate at shut-down, empties the registry; a new
// pass may then begin. The registry owns every record.
//
// Main thread for registration; any thread for the look-ups afterwards.

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKClassID.h"
#include "AKString.h"
#include "ATArray.h"

#include <atomic>

class AKStringArray;

class AKClassMgr
{
public:
    static AKClassMgr sShared;

    AKClassMgr() = default;
    ~AKClassMgr();
    AKClassMgr(AKClassMgr const&) = delete;
    AKClassMgr& operator=(AKClassMgr const&) = delete;

    // kAKErrorClassRegisterClosed while classes are registered or pending.
    int RegisterBegin();
    // Appends a new pending record; out (may be null) receives it, or null
    // when refused (kAKErrorClassRegisterClosed once a pass is complete).
    int RegisterClass(AKClassInfo const& info, bool external, AKClass** outClass);
    // Closes the pass; rejected (may be null) receives the source names of the
    // classes left out. kAKErrorClassInternalFatalError when a built-in class
    // is faulty: the registry is then empty.
    int RegisterComplete(AKStringArray* rejected);
    // Deletes every record and forgets the top class.
    void Terminate();

    AKClass* GetTopClass() const { return fTopClass; }
    // Binary search among the registered classes; null for the null ID or
    // an unknown one.
    AKClass* GetClassOfID(AKClassID id) const;
    // Every registered class derived from base (base included) whose flags
    // hold all the given bits (0 for any), in ID order; empty for null base.
    void GetClassCollection(AKClassArray* array, AKClass const* base, unsigned int flags) const;

    ATArray<AKClass*> const& GetRegisteredClasses() const { return fClasses; }
    unsigned int CountPendingClasses() const { return fPending.Count(); }
    bool IsRegistrationComplete() const { return fComplete; }

    // Validates an ID; on failure writes the reason into message (may be null).
    static bool CheckClassID(AKClassID id, bool external, AKString* message);

    // Changes whenever the set of registered records changes (completion,
    // Terminate); the per-class hooks compare it with what they cached.
    static unsigned int GetGeneration() { return sGeneration.load(std::memory_order_acquire); }

private:
    int CheckPendingIDs();
    int CheckPendingCount();
    int RejectDuplicates();
    int LinkSuperClasses();
    int RejectCycles();
    void CompleteClasses();
    // Moves a class to the rejected list (external) or answers the fatal error.
    int RejectOrFail(AKClass* aClass, ATArray<AKClass*>& from, unsigned int index);
    void DeleteRecords(ATArray<AKClass*>& records);
    static void BumpGeneration();

    AKClass* fTopClass = nullptr;
    ATArray<AKClass*> fClasses;  // sorted by ID once complete
    ATArray<AKClass*> fPending;
    ATArray<AKClass*> fRejected;
    bool fComplete = false;

    static std::atomic<unsigned int> sGeneration;
};
