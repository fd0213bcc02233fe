// The persistent forms of a track, after the poolable's part: its state
// (level and routing) and its zones.

#include "QVObjectTrack.h"

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "QVObjectTrackPrefs.h"

#include <algorithm>
#include <cmath>

namespace {

char const* const kKey_State = "State";
char const* const kKey_Volume = "Volume";
char const* const kKey_RouteMixIn = "RouteMixIn";
char const* const kKey_RouteFillOut = "RouteFillOut";
char const* const kKey_RouteOffset = "RouteOffset";
char const* const kKey_Zones = "Zones";

QVObjectTrack::ProviderRenumOfContext sProviderRenumOfContext = nullptr;

double ClampedVolume(double volume)
{
    return std::isnan(volume) ? 0.0 : std::clamp(volume, kQVTrackVolumeMin, kQVTrackVolumeMax);
}

}  // namespace

void QVObjectTrack::SetProviderRenumOfContext(ProviderRenumOfContext function) { sProviderRenumOfContext = function; }

void QVObjectTrack::LowRenumberEditing()
{
    QVProviderRenum const* const renum =
        sProviderRenumOfContext != nullptr && GetContext() != nullptr ? sProviderRenumOfContext(GetContext()) : nullptr;
    // Silence names no sound and is never counted as a mismatch.
    if (renum != nullptr && !mZones.Editing().RenumberZonesProvID(*renum))
        AKLogWarning(kQVWarningTrackZoneInvalidProviderIDs,
                     "Invalids linked provider-IDs in track-zones while renumbering");
}

// --- Dictionary form ---

int QVObjectTrack::akmInitFromDictionary(AKDictionary const& dictionary)
{
    int status = QVObjectPoolable::akmInitFromDictionary(dictionary);
    if (status != 0)
        return status;
    AKDictionary const& state = AKValueGetasAKDictionary(dictionary.GetValue(kKey_State));
    if (!state.IsEmpty()) {
        double volume = GetUserTrackVolume();
        if (AKValueGetasFloat64(state.GetValue(kKey_Volume), &volume, false))
            LowSetVolume(ClampedVolume(volume));
        bool flag = false;
        if (AKValueGetasBool(state.GetValue(kKey_RouteMixIn), &flag, false))
            mRouteMixIn.store(flag, std::memory_order_relaxed);
        if (AKValueGetasBool(state.GetValue(kKey_RouteFillOut), &flag, false))
            mRouteFillOut.store(flag, std::memory_order_relaxed);
        unsigned int offset = 0;
        if (AKValueGetasUInt(state.GetValue(kKey_RouteOffset), &offset, false))
            mRouteOffset.store(std::min(offset, kQVTrackRouteOffsetMax), std::memory_order_relaxed);
    }
    AKValue const& zonesValue = dictionary.GetValue(kKey_Zones);
    if (!zonesValue.IsEmpty()) {
        QVTrackZoneArray* const zones = TrackZonesModifyStart();
        bool const read = zones->ReadFromValue(zonesValue, false);
        if (read) {
            LowRenumberEditing();
            zones->RelinkZonesProviders();
            LowUpdateEditing();
        }
        TrackZonesModifyEnd(read);
    }
    return 0;
}

int QVObjectTrack::akmWriteToDictionary(AKDictionary& dictionary) const
{
    int status = QVObjectPoolable::akmWriteToDictionary(dictionary);
    if (status != 0)
        return status;
    AKDictionary state;
    state.SetValue(kKey_Volume, AKValueSetasFloat64(GetUserTrackVolume()));
    state.SetValue(kKey_RouteMixIn, AKValueSetasBool(GetUserRouteMixIn()));
    state.SetValue(kKey_RouteFillOut, AKValueSetasBool(GetUserRouteFillOut()));
    state.SetValue(kKey_RouteOffset, AKValueSetasUInt(GetUserRouteOffset()));
    status = dictionary.SetValue(kKey_State, AKValueSetasAKDictionary(state));
    if (status == 0) {
        AKValue zones;
        GetTrackZones().WriteToValue(&zones);
        status = dictionary.SetValue(kKey_Zones, zones);
    }
    return status;
}

// --- Binary form ---

int QVObjectTrack::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int status = QVObjectPoolable::akmInitFromFile(file, how);
    if (status != 0)
        return status;
    double volume = 0.0;
    bool mixIn = false;
    bool fillOut = false;
    unsigned char reserved[2] = {};
    unsigned int offset = 0;
    status = AKFileReadFloat64(file, &volume);
    if (status == 0)
        status = AKFileReadBool(file, &mixIn);
    if (status == 0)
        status = AKFileReadBool(file, &fillOut);
    if (status == 0)
        status = AKFileRead(file, reserved, sizeof(reserved));
    if (status == 0)
        status = AKFileReadUInt32(file, &offset);
    if (status == 0) {
        // Also when the history re-reads the track in place (undo and redo
        // of a revision): level and routing are the track's own settings and
        // come back with the step. Each is one field the audio thread reads
        // at its next block.
        volume = ClampedVolume(volume);
        offset = std::min(offset, kQVTrackRouteOffsetMax);
        bool const changed = volume != GetUserTrackVolume() || mixIn != GetUserRouteMixIn() ||
                             fillOut != GetUserRouteFillOut() || offset != GetUserRouteOffset();
        LowSetVolume(volume);
        mRouteMixIn.store(mixIn, std::memory_order_relaxed);
        mRouteFillOut.store(fillOut, std::memory_order_relaxed);
        mRouteOffset.store(offset, std::memory_order_relaxed);
        if (how == 0 && changed)
            RaiseTrackStamp();
    }
    if (status != 0)
        return status;
    // The zone count is checked against the bytes left before anything is
    // sized for it; a failed read leaves the zones as they were.
    QVTrackZoneArray* const zones = TrackZonesModifyStart();
    status = zones->ReadFromFile(file);
    if (status == 0) {
        LowRenumberEditing();
        zones->RelinkZonesProviders();
        LowUpdateEditing();
    }
    TrackZonesModifyEnd(status == 0);
    return status;
}

int QVObjectTrack::akmWriteToFile(AKFile& file) const
{
    int status = QVObjectPoolable::akmWriteToFile(file);
    if (status == 0)
        status = AKFileWriteFloat64(file, GetUserTrackVolume());
    if (status == 0)
        status = AKFileWriteBool(file, GetUserRouteMixIn());
    if (status == 0)
        status = AKFileWriteBool(file, GetUserRouteFillOut());
    if (status == 0)
        status = AKFileWriteUInt8(file, 0);
    if (status == 0)
        status = AKFileWriteUInt8(file, 0);
    if (status == 0)
        status = AKFileWriteUInt32(file, GetUserRouteOffset());
    if (status == 0)
        status = GetTrackZones().WriteToFile(file);
    return status;
}
