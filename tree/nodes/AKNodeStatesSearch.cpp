// Searching objects by class and name.

#include "AKNodeStatesSearch.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKObject.h"

bool AKSearchObjectsParam::CanSearch() const
{
    if (fMode > kAKSearchModeRestrict)
        return false;
    if (fByClass) {
        if (fClassID.IsNull())
            return false;
        if (!fByName)
            return true;
    } else if (!fByName) {
        return false;
    }
    return !fName.IsEmpty() && fNameMatch <= kAKSearchNameContains;
}

bool AKSearchObjectsParam::ObjectMatch(AKObject const* object) const
{
    if (object == nullptr)
        return false;
    if (fByClass) {
        AKClass const* aClass = AKClass::GetClassOfID(fClassID);
        if (aClass == nullptr || !object->IsKindOf(aClass))
            return false;
    }
    if (!fByName)
        return true;
    AKString name = object->akmGetName();
    switch (fNameMatch) {
    case kAKSearchNameEquals:
        return name.IsEqual(fName, fCaseSensitive);
    case kAKSearchNameContains:
        return name.Contains(fName, fCaseSensitive);
    default:
        return false;
    }
}

bool AKSearchObjectsParam::ObjectMatch(AKNode const* node) const
{
    return node != nullptr && ObjectMatch(node->GetObject());
}
