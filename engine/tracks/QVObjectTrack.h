#pragma once

// QVObjectTrack: one track of a sequence, an edit list of zones over loaded
// sounds with its own volume, gain and output routing.
//
// The zones live in two copies (QVObjectTrackZoneBuffer): the message thread
// edits one and publishes it, the audio thread reads the other between
// LockTrackZonesForAudioCallback and UnlockTrackZonesForAudioCallback
// without ever waiting. Every change of content is one edit bracket:
// TrackZonesModifyStart, the zone operations on the editing copy, then
// TrackZonesModifyEnd, which publishes when the content changed and
// otherwise puts the editing copy back as the live copy is, so a refused
// edit leaves nothing behind for the next one.
//
// Interval checks use the track interval [0, end]: a part or time is
// "inside" when it lies within it or when "Sequence.TreatExtraIntv" is set,
// which also lets the zone edits pad beyond the end with silence.
//
// User setters clamp their value, return false when it does not change,
// otherwise move the track stamp and mark the object modified. The audio
// thread reads the level and routing fields at its next block.
//
// Main thread for everything but the audio bracket and the fields above.

#include "AKFilePath.h"
#include "AKTimeIntv.h"
#include "ATNumberArray.h"
#include "QVEnvelopeLowHelpers.h"
#include "QVObjectPoolable.h"
#include "QVObjectTrackZoneBuffer.h"
#include "QVProviderID.h"

#include <atomic>

class AKContextObject;
class QVProvider;
class QVProviderRenum;

// Route options (GetUserRouteOptions).
constexpr unsigned int kQVTrackRouteFillFurtherOut = 0x01;
constexpr unsigned int kQVTrackRouteMixFurtherIn = 0x02;
constexpr unsigned int kQVTrackRouteAlwaysSet = 0x04;     // a mono sound shows on a pair of channels
constexpr unsigned int kQVTrackRouteManyChannels = 0x10;  // more than 8 channels: drawn two by two

// Level and routing ranges.
constexpr double kQVTrackVolumeMin = -48.0;  // dB, silence at and below
constexpr double kQVTrackVolumeMax = 12.0;
constexpr double kQVTrackGainMax = 4.0;
constexpr unsigned int kQVTrackRouteOffsetMax = 15;

// Gain of a volume in dB (0 at and below -48 dB), and the volume of a gain
// (-48 at and below the gain of -48 dB; not clamped above).
double QVTrackGainFromVolume(double volume);
double QVTrackVolumeFromGain(double gain);

class QVObjectTrack : public QVObjectPoolable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectTrack, "track")

    // Empty, 0 dB, routing from the preferences, panel opened.
    QVObjectTrack();
    ~QVObjectTrack() override;

    // --- Object protocol ---

    int akmInitFromFile(AKFile const& file, unsigned int how) override;
    int akmWriteToFile(AKFile& file) const override;
    int akmInitFromDictionary(AKDictionary const& dictionary) override;
    int akmWriteToDictionary(AKDictionary& dictionary) const override;
    // The stored name, or "Track".
    AKString akmGetName() const override;
    // Frees the zone lists that readers held past their retirement; the
    // track asks for idle passes only while some are waiting.
    void akmIdle() override;

    // --- Poolable ---

    // The stored name unless ignoreName; else "Track" and the position in
    // the sequence. editable receives "Sequence.EditableTrackName".
    AKString GetFLDynamicName(bool ignoreName, bool* editable) const override;
    // Keeps the parent when it is a sequence (else null) and the position.
    void SynchronizeFLFastLinks(AKObject* parent, unsigned int position) override;
    AKObject* GetFLParentSequence() const { return mParentSequence; }
    unsigned int GetFLPosition() const { return mPosition; }

    // --- User settings ---

    virtual bool SetUserTrackVolume(double volume);
    virtual bool SetUserTrackGain(double gain);
    virtual bool SetUserRouteMixIn(bool mixIn);
    virtual bool SetUserRouteFillOut(bool fillOut);
    virtual bool SetUserRouteOffset(unsigned int offset);

    double GetUserTrackVolume() const { return mVolume.load(std::memory_order_relaxed); }
    double GetUserTrackGain() const { return mGain.load(std::memory_order_relaxed); }
    bool GetUserRouteMixIn() const { return mRouteMixIn.load(std::memory_order_relaxed); }
    bool GetUserRouteFillOut() const { return mRouteFillOut.load(std::memory_order_relaxed); }
    unsigned int GetUserRouteOffset() const { return mRouteOffset.load(std::memory_order_relaxed); }
    unsigned int GetUserRouteOptions() const;
    unsigned int GetTrackStamp() const { return mTrackStamp; }
    double GetZoneFadeDuration() const;

    // --- Content ---

    AKTimeIntv GetTrackTimeIntv() const { return mTrackIntv; }
    unsigned int GetChannelCount() const { return mChannelCount; }
    // Whether the engine ran in real time when the track was made.
    bool IsRealTimeTrack() const { return mRealTime; }
    // The live copy, for the message thread.
    QVTrackZoneArray const& GetTrackZones() const { return mZones.Live(); }
    // Zone lists published and not yet deleted (see QVObjectTrackZoneBuffer).
    unsigned int CountRetiredZoneLists() const { return mZones.CountRetired(); }
    void ReclaimRetiredZoneLists() { mZones.Reclaim(); }

    // --- Edit bracket ---

    QVTrackZoneArray* TrackZonesModifyStart();
    // With commit, the editing copy becomes live; without, it is restored
    // from the live copy, with the interval and channel count.
    void TrackZonesModifyEnd(bool commit);
    bool IsModifying() const { return mModifying; }

    // --- Audio thread ---

    // The live copy, held until the unlock with the same pointer; never waits.
    QVTrackZoneArray const* LockTrackZonesForAudioCallback() const { return mZones.LockForAudio(); }
    void UnlockTrackZonesForAudioCallback(QVTrackZoneArray const* zones) const { mZones.UnlockForAudio(zones); }

    // --- Initialisers (one published edit each) ---

    // One zone over the whole sound registered from the path; empty when
    // none. The outputs receive the sound and its name, or null and "".
    void InitWithSound(AKFilePath const& path, QVProvider** provider, AKString* name);
    void InitWithProvider(QVProviderID id, QVProvider** provider, AKString* name);
    void InitWithTrackZones(QVTrackZoneArray const& zones);
    void InitWithTrackPart(QVObjectTrack const* source, AKTimeIntv intv);
    // 1 to 80 zones of random sounds, parts, scales and directions.
    void InitWithRandom();
    // False, outputs filled, when the track already is that whole sound;
    // otherwise InitWithSound and true.
    bool ReinitWithSound(AKFilePath const& path, QVProvider** provider, AKString* name);
    // One zone of a registered sound in the live copy; with wholeSound, it
    // must also play the whole sound forwards at scale 1.
    bool ContainsUniqueProvider(QVProvider** provider, AKString* name, bool wholeSound) const;
    // Inserts the part of the sound ([0, 0] the whole sound, a reversed part
    // backwards) at the time (below 0: the end).
    bool InsertSound(AKFilePath const& path, AKTimeIntv part, double at);

    // --- Content edits: true when the content changed and was published ---

    bool DoTrackPartInsert(QVTrackZone const& zone, double time, unsigned int count);
    bool DoTrackPartInsert(QVTrackZoneArray const& zones, double time, unsigned int count);
    bool DoTrackPartInsert(QVObjectTrack const* track, double time, unsigned int count);
    bool DoTrackPartReplace(QVTrackZone const& zone, AKTimeIntv intv, bool keepDuration);
    bool DoTrackPartReplace(QVTrackZoneArray const& zones, AKTimeIntv intv, bool keepDuration);
    bool DoTrackPartReplace(QVObjectTrack const* track, AKTimeIntv intv, bool keepDuration);
    bool DoTrackPartReset();
    bool DoTrackPartCrop(AKTimeIntv intv, bool keepPosition);
    bool DoTrackPartDelete(AKTimeIntv intv);
    bool DoTrackPartErase(AKTimeIntv intv);
    bool DoTrackPartSilent(double time, double duration);
    bool DoTrackPartScale(AKTimeIntv intv, double coefficient);
    bool DoTrackPartReverse(AKTimeIntv intv);
    bool DoTrackPartMove(AKTimeIntv intv, double time);
    bool DoTrackPartRepeat(AKTimeIntv intv, double time, unsigned int count, double coefficient, bool cumulative);
    // Moves the boundary before zone `marker` (the end of the last zone when
    // marker is the zone count) to the time.
    bool DoTrackMarkerMove(unsigned int marker, double time, bool bothSides, bool rescale);
    // The experimental transforms of the part, their parameters read from
    // the command's options; result receives the transformed part's range
    // (the null interval when nothing changed).
    bool DoTrackPartZxperScale(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options);
    bool DoTrackPartZxperRepeat(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options);
    bool DoTrackPartZxperMingle(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options);
    bool DoTrackPartZxperStretch(AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options);
    // Read-only extractions from the live copy.
    void DoTrackPartExtract(AKTimeIntv intv, QVObjectTrack* destination) const;
    void DoTrackPartExtract(AKTimeIntv intv, QVTrackZoneArray* destination) const;

    // --- Reading side (live copy) ---

    bool BSearchTrackZone(double time, unsigned int hint, unsigned int* index, bool clamp) const;
    // Sets to 1 the byte of each provider ID a zone names, when below the
    // array's size; an array of fewer than 2 bytes is left alone.
    void GrabActiveProviders(ATNumberArray<unsigned char, unsigned char, 0>* flags) const;

    // Waveform points and envelope triplets of one channel of the live copy
    // (see QVEnvelopeLowHelpers; the flags are route options), over the
    // zones met by the span or over firstZone..lastZone.
    template <class T>
    bool ComputeOneChannelEnvelope(QVEnvelopeLowHelpers::Points<T>* waveform, QVEnvelopeLowHelpers::Points<T>* envelope,
                                   unsigned int channel, unsigned int flags, AKTimeIntv span, double width) const
    {
        return QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(waveform, envelope, GetTrackZones(), channel, flags,
                                                               span, width);
    }
    template <class T>
    bool ComputeOneChannelEnvelope(QVEnvelopeLowHelpers::Points<T>* waveform, QVEnvelopeLowHelpers::Points<T>* envelope,
                                   unsigned int channel, unsigned int flags, AKTimeIntv span, double width,
                                   unsigned int firstZone, unsigned int lastZone) const
    {
        return QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(waveform, envelope, GetTrackZones(), channel, flags,
                                                               span, width, firstZone, lastZone);
    }

    void LogInfo(unsigned int detail) const;

    // Where the provider renumbering of a document being read comes from:
    // the context's table, null when it has none. Installed by the documents.
    typedef QVProviderRenum const* (*ProviderRenumOfContext)(AKContextObject const* context);
    static void SetProviderRenumOfContext(ProviderRenumOfContext function);

private:
    bool IsInside(AKTimeIntv intv) const;
    bool IsInside(double time) const;
    // Recomputes the editing copy's times, the interval and channel count.
    void LowUpdateEditing();
    void LowEmptyEditing();
    // Edit bracket around one zone operation; status 2 publishes.
    bool LowEditEnd(bool changed);
    void LowSetSoundZone(QVProvider* provider, QVProvider** providerOut, AKString* nameOut);
    bool LowInsert(QVTrackZoneArray const& source, double time, unsigned int count);
    bool LowReplace(QVTrackZoneArray const& source, AKTimeIntv intv, bool keepDuration);
    typedef bool (*ZxperTransform)(QVTrackZoneArray*, AKTimeIntv, AKDictionary const&, bool, AKTimeIntv*);
    bool LowZxper(ZxperTransform transform, AKTimeIntv part, AKTimeIntv* result, AKDictionary const& options);
    // Renumbers the editing copy through the context's table, warning once
    // when a sound ID did not match.
    void LowRenumberEditing();
    void RaiseTrackStamp();
    void LowSetVolume(double volume);

    bool mRealTime;
    bool mModifying = false;
    QVObjectTrackZoneBuffer mZones;
    AKTimeIntv mTrackIntv = kAKNullTimeIntv;
    unsigned int mChannelCount = 0;
    std::atomic<unsigned int> mLiveChannelCount{0};  // read by the audio thread
    unsigned int mTrackStamp = kAKNullStampVers;
    std::atomic<double> mVolume{0.0};
    std::atomic<double> mGain{1.0};
    std::atomic<bool> mRouteMixIn;
    std::atomic<bool> mRouteFillOut;
    std::atomic<unsigned int> mRouteOffset{0};
    AKObject* mParentSequence = nullptr;
    unsigned int mPosition = 0;
};

// [0, largest track end] of the tracks, [0, 0] for none.
AKTimeIntv QVObjectTrackArray_GetUnionTimeIntv(ATObjectArray<QVObjectTrack> const& tracks);
