#include "AKObjectUIPeer.h"

#include "AKDictionary.h"
#include "AKObject.h"

#include <memory>

bool AKObjectUIPeer::UpdateThisUIPeerAfterInit()
{
    if (fObject == nullptr)
        return false;
    // Taken out first: the stored copy is dropped whatever the peer does.
    std::unique_ptr<AKDictionary> data(fObject->fUIPeerData);
    fObject->fUIPeerData = nullptr;
    UpdateThisUIPeerFromData(data != nullptr ? *data : kAKNullDictionary);
    return true;
}
