#include "QVTrackZone.h"

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKValueTyped.h"

#include <algorithm>
#include <cmath>

QVTrackZone const kQVNullTrackZone;

QVTrackZone QVTrackZone::Make(QVProviderID id, double begin, double duration)
{
    return QVTrackZone(nullptr, id, {begin, begin + std::max(0.0, duration)}, 1.0, kAKNullTimeIntv);
}

QVTrackZone QVTrackZone::MakeSafe(QVProviderID id, double begin, double duration, double scale)
{
    if (duration >= 0.0)
        return QVTrackZone(nullptr, id, {begin, begin + duration}, scale, kAKNullTimeIntv);
    return QVTrackZone(nullptr, id, {begin + duration, begin}, -scale, kAKNullTimeIntv);
}

QVTrackZone QVTrackZone::MakeSilence(double duration)
{
    return QVTrackZone(nullptr, kQVNullProviderID, {0.0, duration}, 1.0, kAKNullTimeIntv);
}

double QVTrackZone::GetDuration() const { return std::fabs(GetSourceDuration() * mScale); }

bool QVTrackZone::operator==(QVTrackZone const& other) const
{
    return mProvider == other.mProvider && mProviderID == other.mProviderID && mSourceIntv == other.mSourceIntv &&
           mScale == other.mScale && mLocalIntv == other.mLocalIntv && mOuterIntv == other.mOuterIntv;
}

double QVTrackZone::GetSourceTimeFromLocalTime(double time) const
{
    return (time - mLocalIntv.beg) / mScale + (mScale > 0.0 ? mSourceIntv.beg : mSourceIntv.end);
}

AKTimeIntv QVTrackZone::GetSourceTimeIntvFromLocalTimeIntv(AKTimeIntv intv) const
{
    return {GetSourceTimeFromLocalTime(intv.beg), GetSourceTimeFromLocalTime(intv.end)};
}

AKTimeIntv QVTrackZone::GetClippedLocalTimeIntv(AKTimeIntv intv) const
{
    AKTimeIntv const clip = {std::max(intv.beg, mLocalIntv.beg), std::min(intv.end, mLocalIntv.end)};
    return clip.beg > clip.end ? kAKNullTimeIntv : clip;
}

AKTimeIntv QVTrackZone::GetClippedSourceTimeIntvFromLocalTimeIntv(AKTimeIntv intv) const
{
    AKTimeIntv const clip = GetClippedLocalTimeIntv(intv);
    double const localLength = mLocalIntv.end - mLocalIntv.beg;
    // Also covers "no clip" and a zone of no length, so nothing divides by 0.
    if (!(clip.end - clip.beg > 0.0) || !(localLength > 0.0))
        return kAKNullTimeIntv;

    // The whole zone, reversed or not, is its source exactly (mirroring it
    // through a sum would round).
    if (clip == mLocalIntv)
        return mSourceIntv;
    double const sourceLength = mSourceIntv.end - mSourceIntv.beg;
    AKTimeIntv const source = {mSourceIntv.beg + sourceLength * (clip.beg - mLocalIntv.beg) / localLength,
                               mSourceIntv.beg + sourceLength * (clip.end - mLocalIntv.beg) / localLength};
    if (!IsReversed())
        return source;
    double const mirror = mSourceIntv.beg + mSourceIntv.end;
    return {mirror - source.end, mirror - source.beg};
}

QVTrackZone QVTrackZone::GetShrunkRest(AKTimeIntv intv) const
{
    if (intv.end < intv.beg || intv.beg < mLocalIntv.beg || intv.end > mLocalIntv.end)
        return kQVNullTrackZone;

    double const localLength = mLocalIntv.end - mLocalIntv.beg;
    // The source at a fraction of the zone; the ends exactly, so that pieces
    // cut at the zone's own bounds keep its source bounds to the bit.
    auto sourceAt = [this](double fraction) {
        if (fraction <= 0.0)
            return mSourceIntv.beg;
        if (fraction >= 1.0)
            return mSourceIntv.end;
        return mSourceIntv.beg + fraction * (mSourceIntv.end - mSourceIntv.beg);
    };
    double f0 = 0.0;
    double f1 = 0.0;
    if (localLength > 0.0) {
        f0 = (intv.beg - mLocalIntv.beg) / localLength;
        f1 = (intv.end - mLocalIntv.beg) / localLength;
    }
    QVTrackZone rest = *this;
    rest.mLocalIntv = intv;
    if (mScale >= 0.0)
        rest.mSourceIntv = {sourceAt(f0), sourceAt(f1)};
    else
        rest.mSourceIntv = {sourceAt(1.0 - f1), sourceAt(1.0 - f0)};
    return rest;
}

void QVTrackZone::UpdateZoneLocalTime(double* time, double fade)
{
    mLocalIntv.beg = *time;
    *time += GetDuration();
    mLocalIntv.end = *time;
    if (mLocalIntv.end - mLocalIntv.beg >= fade) {
        mOuterIntv = {mLocalIntv.beg - fade / 2.0, mLocalIntv.end + fade / 2.0};
    } else {
        double const middle = (mLocalIntv.beg + mLocalIntv.end) / 2.0;
        mOuterIntv = {middle - fade, middle + fade};
    }
}

int QVTrackZone::ReadFromFile(AKFile const& file)
{
    QVProviderID id = kQVNullProviderID;
    AKTimeIntv source = kAKNullTimeIntv;
    double scale = 1.0;
    int status = AKFileReadQVProviderID(file, &id, 0);
    if (status == 0)
        status = AKFileReadFloat64(file, &source.beg);
    if (status == 0)
        status = AKFileReadFloat64(file, &source.end);
    if (status == 0)
        status = AKFileReadFloat64(file, &scale);
    if (status != 0)
        return status;
    if (id != mProviderID) {
        mProviderID = id;
        mProvider = nullptr;
    }
    mSourceIntv = source;
    mScale = scale;
    return 0;
}

int QVTrackZone::WriteToFile(AKFile& file) const
{
    int status = AKFileWriteQVProviderID(file, mProviderID, 0);
    if (status == 0)
        status = AKFileWriteFloat64(file, mSourceIntv.beg);
    if (status == 0)
        status = AKFileWriteFloat64(file, mSourceIntv.end);
    if (status == 0)
        status = AKFileWriteFloat64(file, mScale);
    return status;
}

int QVTrackZone::ReadFromValue(AKValue const& value, bool convert)
{
    AKDictionary const* dictionary = value.GetasAKDictionary();
    if (dictionary == nullptr || dictionary->IsEmpty())
        return 0;
    QVProviderID id = mProviderID;
    if (AKValueGetasQVProviderID(dictionary->GetValue(kKey_SrcProviderID), &id) && id != mProviderID) {
        mProviderID = id;
        mProvider = nullptr;
    }
    AKValueGetasFloat64(dictionary->GetValue(kKey_SrcTimeBeg), &mSourceIntv.beg, convert);
    AKValueGetasFloat64(dictionary->GetValue(kKey_SrcTimeEnd), &mSourceIntv.end, convert);
    AKValueGetasFloat64(dictionary->GetValue(kKey_CoeffScale), &mScale, convert);
    return 0;
}

void QVTrackZone::WriteToValue(AKValue* value) const
{
    AKDictionary dictionary;
    dictionary.SetValue(kKey_SrcProviderID, AKValueSetasQVProviderID(mProviderID));
    dictionary.SetValue(kKey_SrcTimeBeg, AKValueSetasFloat64(mSourceIntv.beg));
    dictionary.SetValue(kKey_SrcTimeEnd, AKValueSetasFloat64(mSourceIntv.end));
    dictionary.SetValue(kKey_CoeffScale, AKValueSetasFloat64(mScale));
    value->SetasAKDictionary(dictionary);
}
