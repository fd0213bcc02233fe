#include "QVTrackZoneArray.h"

void QVTrackZoneArray::InsertSorted(QVTrackZone const& zone)
{
    unsigned int index = mZones.Count();
    while (index > 0 && mZones[index - 1].GetLocalTimeIntv().beg > zone.GetLocalTimeIntv().beg)
        --index;
    mZones.Insert(index, zone);
}

bool QVTrackZoneArray::BSearchZone(double time, unsigned int* index, bool clamp) const
{
    unsigned int found = 0xFFFFFFFFu;
    unsigned int const count = mZones.Count();
    if (count > 0) {
        AKTimeIntv const& first = mZones.First().GetLocalTimeIntv();
        AKTimeIntv const& last = mZones.Last().GetLocalTimeIntv();
        if (time < first.end) {
            if (clamp || time >= first.beg)
                found = 0;
        } else if (time >= last.beg) {
            if (clamp || time <= last.end)
                found = count - 1;
        } else {
            // Here first.beg <= time < last.beg: the last zone beginning at
            // or before the time lies in [0, count - 2].
            unsigned int low = 0;
            unsigned int high = count - 1;
            while (high - low > 1) {
                unsigned int const middle = low + (high - low) / 2;
                if (mZones[middle].GetLocalTimeIntv().beg <= time)
                    low = middle;
                else
                    high = middle;
            }
            found = low;
        }
    }
    if (index)
        *index = found;
    return found != 0xFFFFFFFFu;
}

QVDisplayZone QVTrackZoneArray::GetDisplayZone(unsigned int index, AKTimeIntv span) const
{
    QVTrackZone const& zone = mZones[index];
    QVDisplayZone display;
    display.provider = zone.GetProvider();
    display.source = zone.GetClippedSourceTimeIntvFromLocalTimeIntv(span);
    display.local = zone.GetClippedLocalTimeIntv(span);
    display.reversed = zone.IsReversed();
    return display;
}
