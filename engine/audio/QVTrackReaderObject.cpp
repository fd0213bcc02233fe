// Reading a track object: its live zone list is held for the audio thread
// while the block is read, so that an edit never swaps it underneath.

#include "QVObjectTrack.h"
#include "QVTrackReader.h"

bool QVTrackReader::GrabAudioBlockOfTrack(QXSampleBuffer<double>* buffer, QVObjectTrack const* track, AKTimeIntv intv,
                                          double speed, double pan, unsigned int* hint, bool exactAllowed,
                                          bool* exact) const
{
    if (track == nullptr) {
        if (exact != nullptr)
            *exact = false;
        if (buffer != nullptr)
            buffer->Zeroset(kQVSampleRangeAll);
        return false;
    }
    QVTrackReadSource source;
    source.zones = track->LockTrackZonesForAudioCallback();
    source.zoneFade = track->GetZoneFadeDuration();
    source.gain = track->GetUserTrackGain();
    source.routeOptions = track->GetUserRouteOptions();
    source.routeOffset = track->GetUserRouteOffset();
    bool const result = GrabAudioBlockOfTrackZones(buffer, source, intv, speed, pan, hint, exactAllowed, exact);
    track->UnlockTrackZonesForAudioCallback(source.zones);
    return result;
}
