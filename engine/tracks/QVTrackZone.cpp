#include "QVTrackZone.h"

#include <algorithm>

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
