#pragma once

// The per-block real-time state of a playable and the class steps that make
// it. Once per audio block the audio path turns the user parameters of every
// playing object into a QVPlayableRTState: whether it sounds, whether and how
// fast its time runs, where its time starts and ends in the block, its gains,
// pan and fade, and the interval it must stay in. Sequences are computed
// first (with kQVNullPlayableRTState as parent), then their players, then
// the subs of each multi-player with the multi-player's state as parent.
//
// Everything here runs on the audio thread: no allocation, lock or logging,
// only arithmetic on values copied by the caller.

#include "AKTimeIntv.h"
#include "QVPlayableConstants.h"

struct QVPlayableRTState {
    bool active;            // audible in this block
    bool playing;           // its time runs in this block
    bool scrubbing;         // in scrub mode
    bool subsPlaying;       // multi-player: the time of its subs runs
    bool looping;           // its time wraps inside the live interval
    bool subsNoLoop;        // sequence: its subs may not loop
    bool subsLoop;          // its subs loop whatever their own Loop flag
    bool reachedEnd;        // the time met an edge of the live interval without looping
    double speed;           // effective speed, seconds of sound per second
    double subSpeedFactor;  // applied to the speed of the subs
    double gain;            // own linear gain
    double totalGain;       // parent's totalGain x gain
    double pan;             // parent's pan + own Panora
    double fade;
    double liveBeg;  // the interval received from the parent
    double liveEnd;
    double subsBeg;  // the interval offered to the subs
    double subsEnd;
    double timeBeg;  // the time at the start and at the end of the block
    double timeEnd;
    double subsTimeShift;  // multi-player: how far its window wrapped, added to its subs' times
};

constexpr QVPlayableRTState kQVNullPlayableRTState = {};

// Filled by the audio path after rendering a playable's block, read by the
// user interface without synchronisation.
struct QVPlayableRTInfo {
    bool rtActive;
    bool rtSounding;                 // the block produced sound
    bool rtPluginTail;               // the plug-in still rings after its input ended
    double rtMarkTime;               // application clock (s) when the block was marked
    unsigned long long rtTrackMask;  // one bit per track sub-pool of a single player
};

constexpr QVPlayableRTInfo kQVNullPlayableRTInfo = {};

// Stores the flags and the mask; markNow also stamps rtMarkTime with the
// application clock.
void QVSetPlayableRTInfo(QVPlayableRTInfo* info, bool active, bool sounding, bool pluginTail, bool markNow,
                         unsigned long long trackMask);

// --- Constants of the real-time ramps (per reference block, kQVEngineRTTimeBase) ---

constexpr double kQVEngineRwdFwdRampFactor = 1.02;
constexpr double kQVEngineWowStep = 0.05;            // target range: +-step x SpeedWow x Speed
constexpr double kQVEngineWowSettleDistance = 1e-4;  // closer than this to its target: draw a new one
// The wow decay per reference block is 0.99 - 0.19 x SpeedWow.
inline double QVPlayableWowDecay(double speedWow) { return 0.99 - 0.19 * speedWow; }

// --- Inputs of a class step ---

// The user parameters a block reads, each copied once from the playable so
// that one block works on one consistent set.
struct QVPlayableRTInputs {
    QVPlayableKind kind = kQVPlayableKindAtomic;
    bool rActive = true;
    bool play = false;
    bool rewind = false;
    bool forward = false;
    bool scrub = false;
    bool loop = false;
    bool scrubFollow = false;
    double gain = 1.0;
    double panora = 0.0;
    double fadio = 0.0;
    double speed = 0.0;
    double speedSubx = 1.0;
    double time = 0.0;
    double span = 0.0;
    double scrubSpeed = 0.0;
    double rwdFwdSpeed = 0.0;
    double wowOffset = 0.0;
};

// The preferences a block reads.
struct QVPlayableRTPrefs {
    double rwdFwdGainAttenuation = 1.0;   // Player.RwdFwdGainAttenuation
    bool multiAutoPlayWhenScrub = false;  // PlayerMulti.AutoPlayWhenScrub
    bool multiSpanConfinedInSel = false;  // PlayerMulti.SpanConfinedInSel
    bool fullSeqInLoopMode = false;       // Sequence.FullSeqInLoopMode
};

// --- Class steps ---

// Sequence: no time of its own; offers its span window (Time +- Span/2), or
// without span its full interval, to its players.
QVPlayableRTState QVComputeSequenceRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                           AKTimeIntv fullIntv);
// Multi-player: its time runs in the parent's subs interval and offers its
// window (centred on its time, Span wide) to its subs, carried along by each
// wrap through subsTimeShift.
QVPlayableRTState QVComputeCursorRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                         QVPlayableRTState const& parent, QVPlayableRTState const& previous, double dt);
// Single player: its time runs in the parent's subs interval, relative to a
// parent window that moves at the parent's speed.
QVPlayableRTState QVComputeAtomicRTState(QVPlayableRTInputs const& in, QVPlayableRTPrefs const& prefs,
                                         QVPlayableRTState const& parent, QVPlayableRTState const& previous, double dt);

// The interval narrowed for a multi-player's window: as it is when not
// longer than 0; both ends moved in by span/2 when the span is shorter;
// otherwise 1e-6 s around its middle with collapsed set.
AKTimeIntv LowComputeReducedLiveIntv(QVPlayableKind kind, AKTimeIntv interval, double span, bool* collapsed);

// --- Pieces of the block (exposed for the classes and for tests) ---

// Brings timeBeg into the live interval when the previous block was not
// playing or was scrubbing: to liveBeg for a forward speed, to liveEnd for a
// backward one.
void QVPlayableRTEnterLiveIntv(QVPlayableRTState* state, QVPlayableRTState const& previous);
// timeEnd of a block that does not loop, stopping at the edge (reachedEnd).
void QVPlayableRTRunToEdge(QVPlayableRTState* state, double dt);
// timeEnd of a looping single player inside a window moving at parentSpeed.
void QVPlayableRTWrapAtomic(QVPlayableRTState* state, double parentSpeed, double dt);
// timeEnd and subsTimeShift of a looping multi-player.
void QVPlayableRTWrapCursor(QVPlayableRTState* state, double dt);

// The rewind/forward ramp: below target it grows by 1.02 per reference
// block, and it never passes the target. True when it moved.
bool QVPlayableRTRampRwdFwdSpeed(double* speed, double target, double dt);
