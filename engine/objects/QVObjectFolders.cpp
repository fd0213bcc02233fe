#include "QVObjectFolders.h"

#include "AKClassMgr.h"

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
    mLinks.Synchronize(this, AKClassOfID(AKClassID(kQVClassIDSequence)));
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
    mLinks.Synchronize(this, AKClassOfID(AKClassID(kQVClassIDZlayer)));
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
