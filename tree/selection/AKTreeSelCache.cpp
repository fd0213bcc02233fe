#include "AKTreeSelCache.h"

#include "AKNode.h"
#include "AKTreeSelKindOf.h"

AKTreeSelCache::AKTreeSelCache(unsigned int options)
    : fDictionaryForm((options & kAKTreeSelCacheDictionaryForm) != 0), fMemoryStream(kAKFileModeMemoryStream)
{}

void AKTreeSelCache::Clear()
{
    fObjectCount = 0;
    fClasses.Clear();
    fCommonBaseClass = nullptr;
    if (fDictionaryForm)
        fDictionary.Clear();
    else
        fMemoryStream.Close();
}

void AKTreeSelCache::SetSummary(unsigned int objectCount, AKClassArray const& classes, AKClass const* commonBaseClass)
{
    fObjectCount = objectCount;
    fClasses = classes;
    fCommonBaseClass = commonBaseClass;
}

bool AKTreeSelCache::CanLink(AKNode const* node, AKLinkMode mode) const
{
    if (node == nullptr || IsEmpty())
        return false;
    return node->CanLinkWithObjectsOfClass(fClasses, mode);
}

bool AKTreeSelCache::HasOneNodeOfClass(AKClass const* aClass) const
{
    return fObjectCount == 1 && AKTreeSelIsKindOf(fCommonBaseClass, aClass);
}

bool AKTreeSelCache::HasAllNodesOfClass(AKClass const* aClass) const
{
    return AKTreeSelIsKindOf(fCommonBaseClass, aClass);
}
