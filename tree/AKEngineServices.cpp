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
std::atomic<AKStandardFilePathProc> sStandardFilePathProc{nullptr};

}  // namespace

void AKEngineServices::GetAuthoChildClasses(unsigned int, AKClassArray* classes) const { classes->Clear(); }

bool AKEngineServices::IsValidDocumentType(unsigned int) const { return false; }

AKFilePath AKEngineServices::GetStandardFilePath(unsigned int folder, AKString const& name) const
{
    AKStandardFilePathProc proc = GetStandardFilePathProc();
    return proc != nullptr ? proc(folder, name) : AKFilePath();
}

void AKEngineServices::Install(AKEngineServices const* services)
{
    sInstalled.store(services, std::memory_order_release);
}

AKEngineServices const& AKEngineServices::Get()
{
    AKEngineServices const* services = sInstalled.load(std::memory_order_acquire);
    return services != nullptr ? *services : DefaultServices();
}

void AKEngineServices::InstallStandardFilePathProc(AKStandardFilePathProc proc)
{
    sStandardFilePathProc.store(proc, std::memory_order_release);
}

AKStandardFilePathProc AKEngineServices::GetStandardFilePathProc()
{
    return sStandardFilePathProc.load(std::memory_order_acquire);
}

AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name)
{
    return AKEngineServices::Get().GetStandardFilePath(folder, name);
}
