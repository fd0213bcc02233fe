// Reading a track object: its live zone list is held for the audio thread
// while the block is read, so that an edit never swaps it underneath.

#include "QVObjectTrack.h"
#include "QVTrackReader.h"

namespace {

// Reads the block of a track through `read` (given the track's reading
// source) between the lock and unlock of its live zone list; no track gives
// a silent block that is not an exact copy.
template <class Read>
bool ReadTrackLocked(QXSampleBuffer<double>* buffer, QVObjectTrack const* track, bool* exact, Read read)
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
    bool const result = read(source);
    track->UnlockTrackZonesForAudioCallback(source.zones);
    return result;
}

}  // namespace

bool QVTrackReader::GrabAudioBlockOfTrack(QXSampleBuffer<double>* buffer, QVObjectTrack const* track, AKTimeIntv intv,
                                          double speed, double pan, unsigned int* hint, bool exactAllowed,
                                          bool* exact) const
{
    return ReadTrackLocked(buffer, track, exact, [&](QVTrackReadSource const& source) {
        return GrabAudioBlockOfTrackZones(buffer, source, intv, speed, pan, hint, exactAllowed, exact);
    });
}

bool QVTrackReader::GrabAudioBlockOfTrackInLoop(QXSampleBuffer<double>* buffer, QVObjectTrack const* track,
                                                QVAudioLoopDesc const& loop, double speed, double pan,
                                                unsigned int* hint, bool exactAllowed, bool* exact) const
{
    return ReadTrackLocked(buffer, track, exact, [&](QVTrackReadSource const& source) {
        return GrabAudioBlockOfTrackZonesInLoop(buffer, source, loop, speed, pan, hint, exactAllowed, exact);
    });
}
