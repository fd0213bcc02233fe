#pragma once

// QVFolderFastLinks: what a top folder of a document caches about its
// children: the typed children in tree order, a lazily built copy of their
// node IDs, and the link stamps seen when the cache was last refreshed.

#include "AKNodeIDArray.h"
#include "AKStamps.h"
#include "QVObjectPoolable.h"

class AKClass;

class QVFolderFastLinks
{
public:
    explicit QVFolderFastLinks(unsigned int capacity);

    // Refreshes the cache from the folder's children of the class when the
    // folder's far-sub-links stamp moved since the last call; false when
    // nothing was to be done. Every child then refreshes its own links with
    // the folder as parent and index 0.
    bool Synchronize(AKObject* folder, AKClass const* childClass);
    // Whether the child list itself was refilled by the last Synchronize.
    bool WereChildrenRefilled() const { return mRefilled; }

    QVObjectPoolableArray const& GetChildren() const { return mChildren; }
    // One ID per child, 0 for a negative one; rebuilt when empty.
    AKNodeIDArray const& GetChildIDs() const;

    // The first child of the class whose name (akmGetName) equals the name;
    // null for an empty name or a null class.
    QVObjectPoolable* FindByName(AKString const& name, bool caseSensitive, AKClass const* aClass) const;

private:
    unsigned int mSubLinksSeen = kAKNullStampSync;
    unsigned int mFarSubLinksSeen = kAKNullStampSync;
    bool mRefilled = false;
    QVObjectPoolableArray mChildren;
    mutable AKNodeIDArray mChildIDs;
};
