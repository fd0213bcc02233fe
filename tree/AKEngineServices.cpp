// AKEngineServices: the do-nothing answers and the installed services.

#include "AKEngineServices.h"

#include "AKClassArray.h"

#include <atomic>

namespace {

// Never destroyed: the services may still be asked while statics are torn down.
AKEngineServices const& DefaultServices()
{
    static AKEngineServices const* const sDefault = new AKEngineServices();
    return *sDefault;
}

std::atomic<AKEngineServices const*> sInstalled{nullptr};

}  // namespace

void AKEngineServices::GetAuthoChildClasses(unsigned int, AKClassArray* classes) const { classes->Clear(); }

bool AKEngineServices::IsValidDocumentType(unsigned int) const { return false; }

AKFilePath AKEngineServices::GetSettingsFilePath(AKString const&) const { return AKFilePath(); }

void AKEngineServices::Install(AKEngineServices const* services)
{
    sInstalled.store(services, std::memory_order_release);
}

AKEngineServices const& AKEngineServices::Get()
{
    AKEngineServices const* services = sInstalled.load(std::memory_order_acquire);
    return services != nullptr ? *services : DefaultServices();
}
