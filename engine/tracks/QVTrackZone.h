#pragma once

// QVTrackZone: one stretch of a track's edit list, a part of one sound
// placed at a place of the track. The local interval is where it lies in
// track time, the source interval the part of the sound it plays, both in
// seconds; a scale below 0 plays the part backwards.

#include "AKTimeIntv.h"
#include "QVProviderID.h"

class QVProvider;

class QVTrackZone
{
public:
    QVTrackZone() = default;
    QVTrackZone(QVProvider* provider, QVProviderID providerID, AKTimeIntv source, double scale, AKTimeIntv local)
        : mProvider(provider), mProviderID(providerID), mSourceIntv(source), mScale(scale), mLocalIntv(local)
    {}

    // The resolved provider, null while the sound is missing.
    QVProvider* GetProvider() const { return mProvider; }
    void SetProvider(QVProvider* provider) { mProvider = provider; }
    QVProviderID GetProviderID() const { return mProviderID; }
    void SetProviderID(QVProviderID id) { mProviderID = id; }
    AKTimeIntv const& GetSourceTimeIntv() const { return mSourceIntv; }
    void SetSourceTimeIntv(AKTimeIntv intv) { mSourceIntv = intv; }
    double GetScale() const { return mScale; }
    void SetScale(double scale) { mScale = scale; }
    bool IsReversed() const { return mScale < 0.0; }
    AKTimeIntv const& GetLocalTimeIntv() const { return mLocalIntv; }
    void SetLocalTimeIntv(AKTimeIntv intv) { mLocalIntv = intv; }

    // The interval clipped to the local interval; kAKNullTimeIntv when they
    // do not meet (touching gives a zero-length interval).
    AKTimeIntv GetClippedLocalTimeIntv(AKTimeIntv intv) const;
    // The track interval clipped to the local interval and mapped onto the
    // source interval, mirrored inside it for a reversed zone; {0, 0} when
    // the clip is empty. The whole local interval gives the source interval
    // exactly.
    AKTimeIntv GetClippedSourceTimeIntvFromLocalTimeIntv(AKTimeIntv intv) const;

private:
    QVProvider* mProvider = nullptr;
    QVProviderID mProviderID = 0;
    AKTimeIntv mSourceIntv = kAKNullTimeIntv;
    double mScale = 1.0;
    AKTimeIntv mLocalIntv = kAKNullTimeIntv;
};
