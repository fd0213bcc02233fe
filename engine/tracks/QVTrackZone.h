#pragma once

// QVTrackZone: one stretch of a track's edit list. A zone plays the source
// interval of one loaded sound (or silence, provider ID 0), stretched by its
// scale coefficient: it lasts |source duration x scale| seconds on the
// track, and a negative scale plays it backwards, from source end down to
// source begin. The local interval is where the zone lies on the track's
// time line and the outer interval that extent widened for the edge fades;
// both are derived by the zone array, never stored.
//
// Persistent forms: a dictionary {"pid", "beg", "end", "scale"} and a
// 28-byte record in the file's byte order (ID u32, begin, end, scale f64).

#include "AKTimeIntv.h"
#include "QVProviderID.h"

class AKFile;
class AKValue;
class QVProvider;

// A time this close to a zone boundary counts as that boundary; zones whose
// source is shorter are dropped.
constexpr double kQVTrackZoneTimeEpsilon = 1e-4;
// A scale coefficient this close to 0 is refused, this close to 1 changes nothing.
constexpr double kQVTrackZoneCoeffEpsilon = 1e-6;
// Bytes of the binary record of one zone.
constexpr unsigned int kQVTrackZoneRecordSize = 28;

class QVTrackZone
{
public:
    // Dictionary keys of the persistent form.
    static constexpr char kKey_SrcProviderID[] = "pid";
    static constexpr char kKey_SrcTimeBeg[] = "beg";
    static constexpr char kKey_SrcTimeEnd[] = "end";
    static constexpr char kKey_CoeffScale[] = "scale";

    // The null zone: no link, ID 0, source {0, 0}, scale 1, derived times 0.
    QVTrackZone() = default;
    QVTrackZone(QVProvider* provider, QVProviderID providerID, AKTimeIntv source, double scale, AKTimeIntv local)
        : mProvider(provider), mProviderID(providerID), mSourceIntv(source), mScale(scale), mLocalIntv(local)
    {}

    // Source [begin, begin + max(0, duration)], scale 1.
    static QVTrackZone Make(QVProviderID id, double begin, double duration);
    // A negative duration gives the source [begin + duration, begin] played
    // backwards (the scale negated).
    static QVTrackZone MakeSafe(QVProviderID id, double begin, double duration, double scale);
    // Silence of that duration: ID 0, source [0, duration], scale 1.
    static QVTrackZone MakeSilence(double duration);
    static QVTrackZone MakeDefault() { return QVTrackZone(); }

    // --- Fields ---

    // The loaded sound, not owned, null for silence or an unknown ID.
    QVProvider* GetProvider() const { return mProvider; }
    void SetProvider(QVProvider* provider) { mProvider = provider; }
    QVProviderID GetProviderID() const { return mProviderID; }
    void SetProviderID(QVProviderID id) { mProviderID = id; }
    bool IsSilence() const { return mProviderID == kQVNullProviderID; }
    AKTimeIntv const& GetSourceTimeIntv() const { return mSourceIntv; }
    void SetSourceTimeIntv(AKTimeIntv intv) { mSourceIntv = intv; }
    double GetSourceDuration() const { return mSourceIntv.end - mSourceIntv.beg; }
    double GetScale() const { return mScale; }
    void SetScale(double scale) { mScale = scale; }
    bool IsReversed() const { return mScale < 0.0; }
    // |source duration x scale|: how long the zone lasts on the track.
    double GetDuration() const;
    AKTimeIntv const& GetLocalTimeIntv() const { return mLocalIntv; }
    void SetLocalTimeIntv(AKTimeIntv intv) { mLocalIntv = intv; }
    double GetLocalDuration() const { return mLocalIntv.end - mLocalIntv.beg; }
    AKTimeIntv const& GetOuterTimeIntv() const { return mOuterIntv; }
    void SetOuterTimeIntv(AKTimeIntv intv) { mOuterIntv = intv; }
    // A source shorter than kQVTrackZoneTimeEpsilon (or not a number): such
    // zones are dropped by the array's full update.
    bool IsEpsilonZone() const { return !(GetSourceDuration() >= kQVTrackZoneTimeEpsilon); }

    // Same fields, link included (derived times too).
    bool operator==(QVTrackZone const& other) const;
    bool operator!=(QVTrackZone const& other) const { return !(*this == other); }

    // --- Time conversions ---

    // (t - local begin) / scale from source begin, or from source end for a
    // reversed zone.
    double GetSourceTimeFromLocalTime(double time) const;
    // Both ends converted; runs from high to low for a reversed zone.
    AKTimeIntv GetSourceTimeIntvFromLocalTimeIntv(AKTimeIntv intv) const;
    // The interval clipped to the local interval; kAKNullTimeIntv when they
    // do not meet (touching gives a zero-length interval).
    AKTimeIntv GetClippedLocalTimeIntv(AKTimeIntv intv) const;
    // The track interval clipped to the local interval and mapped onto the
    // source interval, mirrored inside it for a reversed zone; {0, 0} when
    // the clip is empty. The whole local interval gives the source interval
    // exactly.
    AKTimeIntv GetClippedSourceTimeIntvFromLocalTimeIntv(AKTimeIntv intv) const;
    // The part of the zone under [t0, t1] (which must lie within the local
    // interval, else the null zone): same sound, scale and link, that local
    // interval and the matching part of the source.
    QVTrackZone GetShrunkRest(AKTimeIntv intv) const;

    // Places the zone at *time, advances *time by its duration and sets the
    // outer interval: half the fade beyond each end, or for a zone shorter
    // than the fade, the fade on either side of its middle.
    void UpdateZoneLocalTime(double* time, double fade);

    // --- Persistent forms ---

    // The 28-byte record; the first failing read or write's status. A read
    // changes the zone only when the whole record was read; a changed ID
    // clears the link.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;
    // The dictionary form. Missing keys (or a value that is no dictionary)
    // leave their fields as they are; with convert, integers, booleans and
    // numeric strings are read as reals. A changed ID clears the link.
    // Always 0.
    int ReadFromValue(AKValue const& value, bool convert);
    void WriteToValue(AKValue* value) const;

private:
    QVProvider* mProvider = nullptr;
    QVProviderID mProviderID = kQVNullProviderID;
    AKTimeIntv mSourceIntv = kAKNullTimeIntv;
    double mScale = 1.0;
    AKTimeIntv mLocalIntv = kAKNullTimeIntv;
    AKTimeIntv mOuterIntv = kAKNullTimeIntv;
};

// The null zone (see the default constructor).
extern QVTrackZone const kQVNullTrackZone;
