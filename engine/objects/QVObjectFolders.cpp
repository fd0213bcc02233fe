#include "QVObjectFolders.h"

#include "AKClassMgr.h"
#include "QVObjectPlayable.h"
#include "QVPrefs.h"

namespace {

// A null-ended list of one class, looked up again whenever the registry was
// filled anew.
class AuthoList
{
public:
    explicit AuthoList(AKClassID id) : mID(id) {}

    AKClass const** Get()
    {
        unsigned int const generation = AKClassMgr::GetGeneration();
        if (generation != mGeneration || mList[0] == nullptr) {
            mList[0] = AKClassOfID(mID);
            mList[1] = nullptr;
            mGeneration = generation;
        }
        return mList;
    }

private:
    AKClassID mID;
    unsigned int mGeneration = 0;
    AKClass const* mList[2] = {nullptr, nullptr};
};

bool NameCaseSensitive() { return QVPrefs::sShared.GetInternalObjectNameCaseSensitive(); }

void ResetPlayables(QVObjectPoolableArray const& children)
{
    for (QVObjectPoolable* child : children)
        if (child->IsKindOfT<QVObjectPlayable>())
            static_cast<QVObjectPlayable*>(child)->rResetAllMutesAndSolos();
}

}  // namespace

// --- Sequence folder ---

QVObjectFolderSequence::QVObjectFolderSequence() : AKObject(0), mLinks(40) {}

AKClass const** QVObjectFolderSequence::akmGetAuthoChildClasses() const
{
    static AuthoList sList{AKClassID(kQVClassIDSequence)};
    return sList.Get();
}

void QVObjectFolderSequence::SynchronizeFLFastLinks()
{
    if (mLinks.Synchronize(this, AKClassOfID(AKClassID(kQVClassIDSequence))))
        UpdateRActiveFlagOfSubs(true);
}

int QVObjectFolderSequence::CountSolos() const
{
    int count = 0;
    for (QVObjectPoolable const* child : mLinks.GetChildren())
        if (child->IsKindOfT<QVObjectPlayable>() && static_cast<QVObjectPlayable const*>(child)->IsUserSolo())
            ++count;
    return count;
}

void QVObjectFolderSequence::UpdateRActiveFlagOfSubs(bool force)
{
    // Sequences toggle their Solo without telling the folder: count again.
    mSoloCount = CountSolos();
    QVObjectPlayable::UpdateRActiveFlagOfArray(mLinks.GetChildren(), force, true, mSoloCount > 0);
}

void QVObjectFolderSequence::ResetAllMutesAndSolos()
{
    ResetPlayables(mLinks.GetChildren());
    mSoloCount = 0;
}

QVObjectPoolable* QVObjectFolderSequence::FindSequenceByName(AKString const& name) const
{
    return FindSequenceByName(name, NameCaseSensitive());
}

QVObjectPoolable* QVObjectFolderSequence::FindSequenceByName(AKString const& name, bool caseSensitive) const
{
    return mLinks.FindByName(name, caseSensitive, AKClassOfID(AKClassID(kQVClassIDSequence)));
}

// --- Player folder ---

QVObjectFolderCursor::QVObjectFolderCursor() : AKObject(0), mLinks(40) {}

AKClass const** QVObjectFolderCursor::akmGetAuthoChildClasses() const
{
    static AuthoList sList{AKClassID(kQVClassIDZlayer)};
    return sList.Get();
}

void QVObjectFolderCursor::SynchronizeFLFastLinks()
{
    if (mLinks.Synchronize(this, AKClassOfID(AKClassID(kQVClassIDZlayer))))
        UpdateRActiveFlagOfSubs(true);
}

void QVObjectFolderCursor::UpdateRActiveFlagOfSubs(bool force)
{
    QVObjectPlayable::UpdateRActiveFlagOfArray(mLinks.GetChildren(), force, true, false);
}

void QVObjectFolderCursor::ResetAllMutesAndSolos() { ResetPlayables(mLinks.GetChildren()); }

QVObjectPoolable* QVObjectFolderCursor::FindCursorByName(AKString const& name) const
{
    return FindCursorByName(name, NameCaseSensitive());
}

QVObjectPoolable* QVObjectFolderCursor::FindCursorByName(AKString const& name, bool caseSensitive) const
{
    return mLinks.FindByName(name, caseSensitive, AKClassOfID(AKClassID(kQVClassIDCursor)));
}

// --- Temporary folder ---

QVObjectFolderTemp::QVObjectFolderTemp() : AKObject(kAKObjectOptionNoDictionary) {}

AKClass const** QVObjectFolderTemp::akmGetAuthoChildClasses() const
{
    static AuthoList sList{AKObject::_ClassID()};
    return sList.Get();
}
