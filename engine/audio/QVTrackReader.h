#pragma once

// QVTrackReader: renders what tracks contribute to a single player's block.
// For a stretch of a track's timeline the zone description finds the zones
// that meet it, which part of the block each fills and where its edge fades
// lie; each zone's sound is then copied exactly (ratio +-1, when allowed) or
// read through the windowed-sinc resampler, faded at the zone edges and
// spread over the device channels with the track's pan, routing and gain.
//
// Every buffer, the gain matrix and the zone description come from the
// document's working memory: reading a block allocates, locks and waits for
// nothing (audio thread, or a bounce worker for a private document).

#include "AKTimeIntv.h"
#include "QVAudioSector.h"
#include "QVSampleRange.h"
#include "QXSampleBuffer.h"

class QVAudioMemory;
class QVObjectTrack;
class QVProvider;
class QVTrackZoneArray;

// What the reader needs of one track for a block.
struct QVTrackReadSource {
    // The zones to read (the track's live copy while locked); null reads nothing.
    QVTrackZoneArray const* zones = nullptr;
    // The fade the zones' outer windows were laid out with; below 0: the array's own.
    double zoneFade = -1.0;
    // Linear gain of the track.
    double gain = 1.0;
    // Route options (bit 0 fill further out, bit 1 mix further in; the other
    // bits do not shape the routing) and the first output channel.
    unsigned int routeOptions = 0;
    unsigned int routeOffset = 0;
};

// One bit per track of a player whose block was an exact copy of its sound;
// tracks from the 64th on play but have no bit.
constexpr unsigned int kQVTrackExactMaskBitCount = 64;

inline void QVTrackExactMaskSet(unsigned long long* mask, unsigned int track)
{
    if (mask != nullptr && track < kQVTrackExactMaskBitCount)
        *mask |= 1ull << track;
}

class QVTrackReader
{
public:
    explicit QVTrackReader(QVAudioMemory const& memory) : mMemory(memory) {}

    QVTrackReader(QVTrackReader const&) = delete;
    QVTrackReader& operator=(QVTrackReader const&) = delete;

    // The resampler quality of this reader's reads (1 to 15, see
    // QVResampler.h); 0, the default, takes the memory's for its document.
    void SetResamplingQuality(unsigned int quality) { mQuality = quality; }
    unsigned int GetResamplingQuality() const;

    // The zones meeting [a, b] (a <= b) of the track's timeline, one sector
    // each in order (zones without a sound give none). The hint carries the
    // zone found last from block to block; it is updated.
    static void ComputeZoneDesc(QVAudioZoneDesc* desc, QVTrackZoneArray const& zones, double fade, AKTimeIntv intv,
                                unsigned int* hint);

    // Renders the track over the buffer's working range, which covers
    // [intv.beg, intv.end] of the player's timeline (end below beg when the
    // player runs backwards: the block is then reversed). Speed is the
    // player's, pan -1 to +1. The buffer is zeroed first. True when some
    // zone rendered; `exact` (may be null) tells whether the last zone read
    // was an exact copy. More than one zone needs the memory's 16-channel
    // buffer and its gain matrix sized for the buffer's channels.
    bool GrabAudioBlockOfTrackZones(QXSampleBuffer<double>* buffer, QVTrackReadSource const& source, AKTimeIntv intv,
                                    double speed, double pan, unsigned int* hint, bool exactAllowed, bool* exact) const;
    // The same for a track object: its live zones are read between its
    // audio lock and unlock, with its gain, routing and zone fade.
    bool GrabAudioBlockOfTrack(QXSampleBuffer<double>* buffer, QVObjectTrack const* track, AKTimeIntv intv,
                               double speed, double pan, unsigned int* hint, bool exactAllowed, bool* exact) const;

    // Several tracks summed into the buffer (a buffer of the working memory:
    // the second and later tracks go through a lent copy of it). Returns how
    // many rendered; bit i of the mask (may be null) is set when track i was
    // an exact copy, for i below 64. `hints` holds one hint per track.
    unsigned int GrabAudioBlockOfTracks(QXSampleBuffer<double>* buffer, QVTrackReadSource const* sources,
                                        unsigned int count, AKTimeIntv intv, double speed, double pan,
                                        unsigned int* hints, bool exactAllowed, unsigned long long* exactMask) const;

    // The passes of a looping player through its loop window [W0, W1] in a
    // block of duration dt from player time t: one sector per pass, each
    // widened by half the fade (min(fade, window)) at both ends and cross-
    // faded with the next one at the loop point. The window moves with the
    // parent at parentSpeed; the player runs at speed. False only when the
    // window is shorter than kQVEngineSpanDurMin; a pass shorter than
    // kQVEngineLoopWindowDurMin (0.0005 s) gives no sector (silence).
    static bool ComputeLoopDesc(QVAudioLoopDesc* desc, AKTimeIntv window, double fade, double time, double dt,
                                double parentSpeed, double speed);

    // The track read pass by pass along the loop description, each pass
    // faded at its ends; several passes go through a lent copy of the
    // buffer. True when some pass rendered.
    bool GrabAudioBlockOfTrackZonesInLoop(QXSampleBuffer<double>* buffer, QVTrackReadSource const& source,
                                          QVAudioLoopDesc const& loop, double speed, double pan, unsigned int* hint,
                                          bool exactAllowed, bool* exact) const;
    bool GrabAudioBlockOfTrackInLoop(QXSampleBuffer<double>* buffer, QVObjectTrack const* track,
                                     QVAudioLoopDesc const& loop, double speed, double pan, unsigned int* hint,
                                     bool exactAllowed, bool* exact) const;

    // The overlap step of a single player: the block takes the first frames
    // of the extended mix; with apply (the player sounded in the previous
    // block) and a start that differs from the kept overlap by more than
    // kQVEngineOlapsysGapTolerance (1e-4), the kept overlap is cross-faded into the
    // block's first frames. The extended mix's extra frames are then kept in
    // the overlap for the next block. True when a discontinuity was smoothed.
    static bool LowDispatchExtBufferAndAppyOlapsys(QXSampleBuffer<double> const& extended,
                                                   QXSampleBuffer<double>* block, QXSampleBuffer<double>* overlap,
                                                   bool apply);

    // Reads the provider's sound into the buffer's working range and
    // channels: source time s (seconds) at the first frame, shifted by
    // `fraction` of a frame (-0.5 to 0.5), zone scale k (negative:
    // backwards), speed v >= 0. Exact copy when allowed and the ratio is
    // within 1e-6 of +-1, else resampled at the memory's quality or-ed with
    // `resampleFlags`. False, the buffer zeroed, when nothing could be read
    // (sound missing, range outside it, ratio beyond 64).
    bool GrabAudioBlockOfProvider(QXSampleBuffer<double>* buffer, double fraction, QVProvider const* provider,
                                  double sourceTime, double zoneScale, double speed, unsigned int resampleFlags,
                                  bool exactAllowed, bool* exact) const;

    // Adds the source's range into the destination's through a pan matrix
    // (destination channels x source channels) times the gain. False when
    // the matrix cannot be had or the mix refuses the shapes.
    bool ApplyRouteMultiChannels(QXSampleBuffer<double>* destination, QXSampleBuffer<double> const& source,
                                 QVSampleRange const& range, unsigned int routeOptions, unsigned int routeOffset,
                                 double pan, double gain) const;

private:
    QVAudioMemory const& mMemory;
    unsigned int mQuality = 0;
};
