#include "QVFolderFastLinks.h"

#include "AKClass.h"

QVFolderFastLinks::QVFolderFastLinks(unsigned int capacity) { mChildren.Reserve(capacity); }

bool QVFolderFastLinks::Synchronize(AKObject* folder, AKClass const* childClass)
{
    mRefilled = false;
    unsigned int const farSubLinks = folder->GetFarSubLinksStamp();
    if (farSubLinks == mFarSubLinksSeen)
        return false;
    mFarSubLinksSeen = farSubLinks;
    unsigned int const subLinks = folder->GetSubLinksStamp();
    if (subLinks != mSubLinksSeen) {
        mSubLinksSeen = subLinks;
        ATObjectArray<AKObject> children;
        folder->GrabChildren(&children);
        mChildren.Clear();
        mChildren.Reserve(8);
        for (AKObject* child : children)
            if (child != nullptr && child->IsKindOf(childClass) && child->IsKindOfT<QVObjectPoolable>())
                mChildren.Push(static_cast<QVObjectPoolable*>(child));
        mChildIDs.Clear();
        mRefilled = true;
    }
    for (QVObjectPoolable* child : mChildren)
        child->SynchronizeFLFastLinks(folder, 0);
    return true;
}

AKNodeIDArray const& QVFolderFastLinks::GetChildIDs() const
{
    if (mChildIDs.IsEmpty() && !mChildren.IsEmpty()) {
        mChildIDs.Reserve(mChildren.Count());
        for (QVObjectPoolable const* child : mChildren)
            mChildIDs.Push(child->GetID());
    }
    return mChildIDs;
}

QVObjectPoolable* QVFolderFastLinks::FindByName(AKString const& name, bool caseSensitive, AKClass const* aClass) const
{
    if (name.IsEmpty() || aClass == nullptr)
        return nullptr;
    for (QVObjectPoolable* child : mChildren)
        if (child->IsKindOf(aClass) && child->akmGetName().IsEqual(name, caseSensitive))
            return child;
    return nullptr;
}
