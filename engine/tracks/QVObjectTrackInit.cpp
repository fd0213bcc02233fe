// Initialisers of a track's content and the marker move of the document
// view; each one is one edit bracket.

#include "QVObjectTrack.h"

#include "AKRandom.h"
#include "QVObjectTrackPrefs.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"

#include <cmath>

namespace {

double SoundDuration(QVProvider const* provider)
{
    return provider != nullptr ? provider->GetFileInfo().duration : 0.0;
}

void FillOutputs(QVProvider* provider, QVProvider** providerOut, AKString* nameOut)
{
    if (providerOut != nullptr)
        *providerOut = provider;
    if (nameOut != nullptr)
        *nameOut = provider != nullptr ? provider->GetShortName() : AKString();
}

double Sign(double value) { return value < 0.0 ? -1.0 : 1.0; }

}  // namespace

void QVObjectTrack::LowSetSoundZone(QVProvider* provider, QVProvider** providerOut, AKString* nameOut)
{
    TrackZonesModifyStart();
    LowEmptyEditing();
    if (provider != nullptr) {
        QVTrackZone zone = QVTrackZone::Make(provider->GetID(), 0.0, SoundDuration(provider));
        zone.SetProvider(provider);
        mZones.Editing().Push(zone);
        LowUpdateEditing();
    }
    FillOutputs(provider, providerOut, nameOut);
    TrackZonesModifyEnd(true);
}

void QVObjectTrack::InitWithSound(AKFilePath const& path, QVProvider** provider, AKString* name)
{
    LowSetSoundZone(QVProviderMgr::sShared.RegisterProvider(path), provider, name);
}

void QVObjectTrack::InitWithProvider(QVProviderID id, QVProvider** provider, AKString* name)
{
    LowSetSoundZone(QVProviderMgr::sShared.GetProviderByID(id), provider, name);
}

void QVObjectTrack::InitWithTrackZones(QVTrackZoneArray const& zones)
{
    QVTrackZoneArray const source(zones);  // the argument may be one of the copies
    TrackZonesModifyStart();
    LowEmptyEditing();
    mZones.Editing() = source;
    mZones.Editing().RelinkZonesProviders();
    LowUpdateEditing();
    TrackZonesModifyEnd(true);
}

void QVObjectTrack::InitWithTrackPart(QVObjectTrack const* source, AKTimeIntv intv)
{
    if (source != nullptr)
        source->DoTrackPartExtract(intv, this);
}

void QVObjectTrack::InitWithRandom()
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    LowEmptyEditing();
    double previous = 0.0;
    auto draw = [&previous](double low, double high) {
        previous = akrand::_lowRandom(previous, low, high, 1.0);
        return previous;
    };
    unsigned int const count = static_cast<unsigned int>(std::floor(draw(1.0, 80.0) + 0.5));
    for (unsigned int index = 0; index < count; ++index) {
        QVProvider const* const provider = QVProviderMgr::sShared.GetProviderByRandom();
        double const duration = SoundDuration(provider);
        double const begin = std::floor(draw(-0.1 * duration, 1.1 * duration) / 0.1) * 0.1;
        double const end = begin + std::floor(draw(0.1, 1.1) / 0.1) * 0.1;
        double scale = std::floor(draw(1.0, 4.0) + 0.5);
        if (draw(0.0, 1.0) < 0.3)
            scale = 1.0 / scale;
        if (draw(0.0, 1.0) < 0.1)
            scale = -scale;
        QVTrackZone zone = QVTrackZone::MakeDefault();
        zone.SetProviderID(provider != nullptr ? provider->GetID() : kQVNullProviderID);
        zone.SetSourceTimeIntv({begin, end});
        zone.SetScale(scale);
        zones->Push(zone);
    }
    zones->RelinkZonesProviders();
    LowUpdateEditing();
    TrackZonesModifyEnd(true);
}

bool QVObjectTrack::ContainsUniqueProvider(QVProvider** provider, AKString* name, bool wholeSound) const
{
    QVTrackZoneArray const& zones = GetTrackZones();
    QVProvider* found = nullptr;
    if (zones.Count() == 1) {
        QVTrackZone const& zone = zones[0];
        found = QVProviderMgr::sShared.GetProviderByID(zone.GetProviderID());
        if (found != nullptr && wholeSound &&
            !(zone.GetSourceTimeIntv().beg == 0.0 && zone.GetScale() == 1.0 &&
              zone.GetSourceTimeIntv().end == SoundDuration(found)))
            found = nullptr;
    }
    FillOutputs(found, provider, name);
    return found != nullptr;
}

bool QVObjectTrack::ReinitWithSound(AKFilePath const& path, QVProvider** provider, AKString* name)
{
    QVProvider* held = nullptr;
    if (ContainsUniqueProvider(&held, nullptr, true) && held != nullptr &&
        held == QVProviderMgr::sShared.GetProviderByPath(path, true)) {
        FillOutputs(held, provider, name);
        return false;
    }
    InitWithSound(path, provider, name);
    return true;
}

bool QVObjectTrack::InsertSound(AKFilePath const& path, AKTimeIntv part, double at)
{
    QVProvider* const provider = QVProviderMgr::sShared.RegisterProvider(path);
    if (provider == nullptr)
        return false;
    if (part.beg == 0.0 && part.end == 0.0)
        part.end = SoundDuration(provider);
    if (at < 0.0)
        at = mTrackIntv.end;
    QVTrackZone zone = QVTrackZone::MakeSafe(provider->GetID(), part.beg, part.end - part.beg, 1.0);
    zone.SetProvider(provider);
    return DoTrackPartInsert(zone, at, 1);
}

// --- Marker move ---

bool QVObjectTrack::DoTrackMarkerMove(unsigned int marker, double time, bool bothSides, bool rescale)
{
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    unsigned int const count = zones->Count();
    // The zone before the marker stretches or grows to end at the time.
    auto moveEnd = [rescale, time](QVTrackZone* zone) {
        AKTimeIntv const local = zone->GetLocalTimeIntv();
        AKTimeIntv source = zone->GetSourceTimeIntv();
        if (rescale) {
            zone->SetScale((time - local.beg) * Sign(zone->GetScale()) / zone->GetSourceDuration());
        } else {
            source.end += (time - local.end) / std::fabs(zone->GetScale());
            zone->SetSourceTimeIntv(source);
        }
    };
    bool changed = false;
    if (bothSides && marker > 0 && marker < count) {
        QVTrackZone& before = (*zones)[marker - 1];
        QVTrackZone& after = (*zones)[marker];
        if (before.GetLocalTimeIntv().beg < time && time < after.GetLocalTimeIntv().end) {
            AKTimeIntv const local = after.GetLocalTimeIntv();
            moveEnd(&before);
            if (rescale) {
                after.SetScale((local.end - time) * Sign(after.GetScale()) / after.GetSourceDuration());
            } else {
                AKTimeIntv source = after.GetSourceTimeIntv();
                source.beg -= (local.beg - time) / std::fabs(after.GetScale());
                after.SetSourceTimeIntv(source);
            }
            changed = true;
        }
    } else if (marker > 0 && marker <= count && time > (*zones)[marker - 1].GetLocalTimeIntv().beg) {
        moveEnd(&(*zones)[marker - 1]);
        changed = true;
    }
    return LowEditEnd(changed);
}
