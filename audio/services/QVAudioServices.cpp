// QVAudioServices: the do-nothing answers and the installed services.

#include "QVAudioServices.h"

#include <atomic>

namespace {

// Never destroyed: the services may still be asked while statics are torn down.
QVAudioServices const& DefaultServices()
{
    static QVAudioServices const* const sDefault = new QVAudioServices();
    return *sDefault;
}

std::atomic<QVAudioServices const*> sInstalled{nullptr};

}  // namespace

AKFilePath QVAudioServices::GetSettingsFilePath(AKString const&) const { return AKFilePath(); }

QVAudioInfo QVAudioServices::GetCurrentAudioInfo() const { return kQVNullAudioInfo; }

void QVAudioServices::GetPluginSearchPrefs(AKFilePathArray* paths, QVPluginSearchFlagArray* flags) const
{
    if (paths != nullptr)
        paths->Clear();
    if (flags != nullptr)
        flags->Clear();
}

void QVAudioServices::SetPluginSearchPrefs(AKFilePathArray const&, QVPluginSearchFlagArray const&) const {}

bool QVAudioServices::FindPlayableWithPlugin(QVPluginInstance const&, QVDocumentID*, AKNodeID*) const { return false; }

bool QVAudioServices::GetPlayableByIDs(QVDocumentID, AKNodeID, QVDocument** document, QVObjectPlayable** playable) const
{
    if (document != nullptr)
        *document = nullptr;
    if (playable != nullptr)
        *playable = nullptr;
    return false;
}

bool QVAudioServices::IsRealTimeLoadingOn() const { return false; }

bool QVAudioServices::IsWaveformBuildingOn() const { return false; }

char const* QVAudioServices::LocaleGetString(char const* text) const { return text; }

void QVAudioServices::GetOpenDocuments(ATArray<QVDocument*>* documents) const
{
    if (documents != nullptr)
        documents->Clear();
}

void QVAudioServices::GetBounceUsedPrivateDocuments(ATArray<QVDocument*>* documents) const
{
    if (documents != nullptr)
        documents->Clear();
}

void QVAudioServices::GrabActiveProviders(QVDocument const*, ATNumberArray<unsigned char, unsigned char, 0>*) const {}

void QVAudioServices::Install(QVAudioServices const* services)
{
    sInstalled.store(services, std::memory_order_release);
}

QVAudioServices const& QVAudioServices::Get()
{
    QVAudioServices const* services = sInstalled.load(std::memory_order_acquire);
    return services != nullptr ? *services : DefaultServices();
}
