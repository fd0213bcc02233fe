// AKObject: construction, deletion, the base object protocol, names, stamps
// and the attachment of user-interface peers.

#include "AKObject.h"

#include "AKArgumentList.h"
#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKValueTyped.h"

AKMessage const& AKNullMessageShared()
{
    static AKMessage const sEmpty;
    return sEmpty;
}

AKObject::AKObject(unsigned int options)
    : fClass(_AKClassObjectTakeHiddenClassPtr(this)),
      fClassID(fClass != nullptr ? fClass->GetClassID() : kAKNullClassID),
      fQCastMask(fClass != nullptr ? fClass->GetQCastMask() : kAKNullClassQCast),
      fFamilyID(fClass != nullptr ? fClass->GetFamilyID() : kAKNullClassID), fOptions(options)
{
    for (unsigned int& stamp : fStamps)
        stamp = kAKNullStampVers;
}

AKObject::~AKObject()
{
    ClearUIPeerData();
    if (!fUIPeers.IsEmpty()) {
        for (AKObjectUIPeer* peer : fUIPeers)
            peer->fObject = nullptr;
        fUIPeers.Clear();
        AKLogWarning(kAKWarningObjectDeletedStillPeered,
                     "Delete an object of class <%s> with some UI-Peers still attached", fClassID.GetName().c_str());
    }
    int holdCount = GetHoldCount();
    if (holdCount != 0)
        AKLogWarning(kAKWarningObjectDeletedStillHolded, "Delete an object of class <%s> with its hold-count to %d",
                     fClassID.GetName().c_str(), holdCount);
    if (fNodeOwner != nullptr) {
        ReleaseFromNodeOwner();
        AKLogWarning(kAKWarningObjectDeletedStillOwned, "Delete an object of class <%s> still owned by its node",
                     fClassID.GetName().c_str());
    }
}

// --- Base object protocol ---

int AKObject::akmInitWithArgs(AKArgs const& args)
{
    fName = args.GetParam("-name:");
    return 0;
}

int AKObject::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int status = how == 0 ? AKObjectUIPeerHelpers::UIPeerSkipFromFile(file)
                          : AKObjectUIPeerHelpers::UIPeerReadFromFile(this, file);
    if (status == 0)
        status = AKFileReadAKString(file, &fName);
    return status;
}

int AKObject::akmWriteToFile(AKFile& file) const
{
    int status = AKObjectUIPeerHelpers::UIPeerWriteToFile(this, file);
    if (status == 0)
        status = AKFileWriteAKString(file, fName);
    return status;
}

int AKObject::akmInitFromDictionary(AKDictionary const& dictionary)
{
    AKObjectUIPeerHelpers::UIPeerReadFromDictionary(this, dictionary);
    AKValueGetasAKString(dictionary.GetValue("Name"), &fName, false);
    return 0;
}

int AKObject::akmWriteToDictionary(AKDictionary& dictionary) const
{
    AKObjectUIPeerHelpers::UIPeerWriteToDictionary(this, dictionary);
    return dictionary.SetValue("Name", AKValueSetasAKString(fName));
}

AKClass const** AKObject::akmGetAuthoChildClasses() const { return nullptr; }

bool AKObject::akmSetName(AKString const& name, bool onlyIfUnnamed)
{
    if ((onlyIfUnnamed && !fName.IsEmpty()) || name == fName)
        return false;
    fName = name;
    SetModified(true);
    return true;
}

bool AKObject::akmSetDefaultName(AKString const& name) { return akmSetName(name, true); }

AKString AKObject::akmGetName() const { return fName; }

int AKObject::akmExecute(AKArgs const&) { return 0; }

int AKObject::akmExecute(char const* format, ...)
{
    AKString text;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        text.Appendv(format, args);
        va_end(args);
    }
    return akmExecute(AKArgs(text, true));
}

int AKObject::akmSetIdling(bool idling)
{
    if (HasFlags(kAKObjectFlagIdling) == idling)
        return 0;
    AKNode const* root = fNodeOwner != nullptr ? fNodeOwner->TopRoot() : nullptr;
    AKObject* rootObject = root != nullptr ? root->GetObject() : nullptr;
    if (rootObject == nullptr) {
        ClearFlags(kAKObjectFlagIdling);
        return -1;
    }
    if (idling)
        SetFlags(kAKObjectFlagIdling);
    else
        ClearFlags(kAKObjectFlagIdling);
    // The notifier rebuilds its list of idling objects.
    rootObject->SetFlags(kAKObjectFlagIdlingListChanged);
    return 0;
}

void AKObject::akmIdle() {}

void AKObject::akmListenToMessage(AKMessage const&) {}

int AKObject::akmRenumberExtraNodeIDs(AKTreeRenum const&) { return 0; }

unsigned char* AKObject::akmGetNStateChanums() const { return nullptr; }

// --- Class ---

bool AKObject::IsKindOf(AKClass const* aClass) const
{
    if (aClass == nullptr)
        return false;
    AKClassQCast mask = aClass->GetQCastMask();
    return mask != kAKNullClassQCast && (fQCastMask & mask) == mask;
}

// --- Stamps ---

unsigned int AKObject::RaiseStamp(AKObjectStamp stamp)
{
    unsigned int value = fStamps[stamp] + 1;
    // Readers start from kAKNullStampSync and read kAKUndefStampVers for a
    // missing object: a live stamp never takes either.
    if (value == kAKNullStampSync || value == kAKUndefStampVers)
        value = kAKNullStampVers;
    fStamps[stamp] = value;
    return value;
}

// --- User-interface peers ---

bool AKObject::AttachUIPeer(AKObjectUIPeer* peer)
{
    // A peer attached to another object is refused too: it would stay in
    // that object's list while pointing here.
    if (peer == nullptr || peer->fObject != nullptr) {
        AKLogWarning(kAKWarningObjectCantAttachUIPeer, "Can't attach UI-Peer to object [%d]", NodeOwnerID());
        return false;
    }
    peer->fObject = this;
    fUIPeers.Push(peer);
    return true;
}

bool AKObject::DetachUIPeer(AKObjectUIPeer* peer)
{
    if (peer == nullptr || !fUIPeers.RemoveUniqueItem(peer)) {
        AKLogWarning(kAKWarningObjectCantDetachUIPeer, "Can't detach UI-Peer from object [%d]", NodeOwnerID());
        return false;
    }
    peer->fObject = nullptr;
    if (fUIPeers.IsEmpty())
        ClearUIPeerData();
    return true;
}

void AKObject::ClearUIPeerData() { SetUIPeerData(nullptr); }

void AKObject::SetUIPeerData(AKDictionary* data)
{
    if (data == fUIPeerData)
        return;
    delete fUIPeerData;
    fUIPeerData = data;
}
