#include "QVObjectTrack.h"

#include "AKClass.h"
#include "AKLog.h"
#include "QVLibBasicOptions.h"
#include "QVLocale.h"
#include "QVObjectTrackPrefs.h"

#include <algorithm>
#include <cmath>

namespace {

// The gain below which a level is silence: that of -48 dB.
double const kGainOfVolumeMin = std::pow(10.0, 0.05 * kQVTrackVolumeMin);

char const* const kTrackWord = "Track";

}  // namespace

double QVTrackGainFromVolume(double volume) { return volume > kQVTrackVolumeMin ? std::pow(10.0, 0.05 * volume) : 0.0; }

double QVTrackVolumeFromGain(double gain)
{
    return gain > kGainOfVolumeMin ? 20.0 * std::log10(gain) : kQVTrackVolumeMin;
}

QVObjectTrack::QVObjectTrack()
    : QVObjectPoolable(kQVPoolableOptionUIOpened), mRealTime(gQVLib.realTime),
      mRouteMixIn(QVObjectTrackPrefs::DefaultMixFurtherIn()), mRouteFillOut(QVObjectTrackPrefs::DefaultFillFurtherOut())
{
    mZones.Editing().SetZoneFadeDuration(QVObjectTrackPrefs::ZoneFadeDuration());
}

QVObjectTrack::~QVObjectTrack() = default;

// --- Names and links ---

AKString QVObjectTrack::akmGetName() const { return fName.IsEmpty() ? AKString(QVLocaleGetString(kTrackWord)) : fName; }

AKString QVObjectTrack::GetFLDynamicName(bool ignoreName, bool* editable) const
{
    if (editable != nullptr)
        *editable = QVObjectTrackPrefs::EditableTrackName();
    if (!ignoreName && !fName.IsEmpty())
        return fName;
    return AKString().Assignf("%s %u", QVLocaleGetString(kTrackWord), mPosition);
}

void QVObjectTrack::SynchronizeFLFastLinks(AKObject* parent, unsigned int position)
{
    AKClass const* const sequenceClass = AKClassOfID(AKClassID("sequenc"));
    mParentSequence = parent != nullptr && parent->IsKindOf(sequenceClass) ? parent : nullptr;
    mPosition = position;
}

// --- User settings ---

void QVObjectTrack::RaiseTrackStamp()
{
    ++mTrackStamp;
    if (mTrackStamp == kAKNullStampSync || mTrackStamp == kAKUndefStampVers)
        mTrackStamp = kAKNullStampVers;
    SetModified(true);
}

void QVObjectTrack::LowSetVolume(double volume)
{
    mVolume.store(volume, std::memory_order_relaxed);
    mGain.store(QVTrackGainFromVolume(volume), std::memory_order_relaxed);
}

bool QVObjectTrack::SetUserTrackVolume(double volume)
{
    if (std::isnan(volume))
        return false;
    volume = std::clamp(volume, kQVTrackVolumeMin, kQVTrackVolumeMax);
    if (volume == GetUserTrackVolume())
        return false;
    LowSetVolume(volume);
    RaiseTrackStamp();
    return true;
}

bool QVObjectTrack::SetUserTrackGain(double gain)
{
    if (std::isnan(gain))
        return false;
    gain = std::clamp(gain, 0.0, kQVTrackGainMax);
    if (gain == GetUserTrackGain())
        return false;
    mGain.store(gain, std::memory_order_relaxed);
    mVolume.store(QVTrackVolumeFromGain(gain), std::memory_order_relaxed);
    RaiseTrackStamp();
    return true;
}

bool QVObjectTrack::SetUserRouteMixIn(bool mixIn)
{
    if (mixIn == GetUserRouteMixIn())
        return false;
    mRouteMixIn.store(mixIn, std::memory_order_relaxed);
    RaiseTrackStamp();
    return true;
}

bool QVObjectTrack::SetUserRouteFillOut(bool fillOut)
{
    if (fillOut == GetUserRouteFillOut())
        return false;
    mRouteFillOut.store(fillOut, std::memory_order_relaxed);
    RaiseTrackStamp();
    return true;
}

bool QVObjectTrack::SetUserRouteOffset(unsigned int offset)
{
    offset = std::min(offset, kQVTrackRouteOffsetMax);
    if (offset == GetUserRouteOffset())
        return false;
    mRouteOffset.store(offset, std::memory_order_relaxed);
    RaiseTrackStamp();
    return true;
}

unsigned int QVObjectTrack::GetUserRouteOptions() const
{
    unsigned int options = kQVTrackRouteAlwaysSet;
    if (GetUserRouteFillOut())
        options |= kQVTrackRouteFillFurtherOut;
    if (GetUserRouteMixIn())
        options |= kQVTrackRouteMixFurtherIn;
    if (mLiveChannelCount.load(std::memory_order_relaxed) > 8)
        options |= kQVTrackRouteManyChannels;
    return options;
}

double QVObjectTrack::GetZoneFadeDuration() const { return QVObjectTrackPrefs::ZoneFadeDuration(); }

void QVObjectTrack::akmIdle()
{
    mZones.Reclaim();
    if (mZones.CountRetired() == 0)
        akmSetIdling(false);
}

// --- Edit bracket ---

QVTrackZoneArray* QVObjectTrack::TrackZonesModifyStart()
{
    mModifying = true;
    return &mZones.Editing();
}

void QVObjectTrack::TrackZonesModifyEnd(bool commit)
{
    mModifying = false;
    if (commit) {
        mZones.Publish();
        mLiveChannelCount.store(mChannelCount, std::memory_order_relaxed);
        // A list still held by a reader waits for the tree's idle passes
        // rather than for the next edit, which may never come.
        if (mZones.CountRetired() != 0)
            akmSetIdling(true);
    } else {
        // A refused edit may have changed the editing copy half-way: the
        // next edit starts from what is live.
        mZones.Restore();
        mTrackIntv = {0.0, mZones.Live().GetEndTime()};
        mChannelCount = mLiveChannelCount.load(std::memory_order_relaxed);
    }
}

// --- Reading side ---

bool QVObjectTrack::BSearchTrackZone(double time, unsigned int hint, unsigned int* index, bool clamp) const
{
    QVTrackZoneArray const& zones = mZones.Live();
    if (hint < zones.Count()) {
        AKTimeIntv const& local = zones[hint].GetLocalTimeIntv();
        if (local.beg <= time && time < local.end) {
            if (index != nullptr)
                *index = hint;
            return true;
        }
    }
    return zones.BSearchZone(time, index, clamp);
}

void QVObjectTrack::GrabActiveProviders(ATNumberArray<unsigned char, unsigned char, 0>* flags) const
{
    if (flags == nullptr || flags->Count() < 2)
        return;
    for (QVTrackZone const& zone : mZones.Live())
        if (zone.GetProviderID() < flags->Count())
            (*flags)[zone.GetProviderID()] = 1;
}

void QVObjectTrack::LogInfo(unsigned int detail) const
{
    static char const* const kRule =
        "+----------------------------------------------------------------------------------+\n";
    static char const* const kTableRule =
        "+--------+--------+------------+------------+------------+------------+------------+\n";
    QVTrackZoneArray const& zones = mZones.Live();
    AKString const name = akmGetName();
    double const duration = mTrackIntv.end - mTrackIntv.beg;
    if (detail == 0) {
        AKLog("| Track \"%s\" (%u zones with %u channels of %.3lf seconds)\n", name.c_str(), zones.Count(),
              mChannelCount, duration);
        AKLog("%s", kRule);
        return;
    }
    AKLog("%s", kRule);
    AKLog("| Track #%d \"%s\" (%u zones with %u channels of %.3lf seconds)\n", NodeOwnerID(), name.c_str(),
          zones.Count(), mChannelCount, duration);
    AKLog("%s", kTableRule);
    AKLog("|  Zone  | Src.ID |  Src.Beg   |  Src.Dur   |   Scale    |  Loc.Beg   |  Loc.Dur   |\n");
    AKLog("%s", kTableRule);
    for (unsigned int index = 0; index < zones.Count(); ++index) {
        QVTrackZone const& zone = zones[index];
        AKLog("| %6u | %c %04u | %10.3lf | %10.3lf | %10.3lf | %10.3lf | %10.3lf |\n", index,
              zone.GetProvider() == nullptr ? 'x' : ' ', zone.GetProviderID(), zone.GetSourceTimeIntv().beg,
              zone.GetSourceDuration(), zone.GetScale(), zone.GetLocalTimeIntv().beg, zone.GetLocalDuration());
    }
    if (!zones.IsEmpty())
        AKLog("|        |        |            |            |            | %10.3lf |            |\n",
              zones[zones.Count() - 1].GetLocalTimeIntv().end);
    AKLog("%s", kTableRule);
    AKLog("\n");
}

AKTimeIntv QVObjectTrackArray_GetUnionTimeIntv(ATObjectArray<QVObjectTrack> const& tracks)
{
    AKTimeIntv result = kAKNullTimeIntv;
    for (QVObjectTrack const* track : tracks)
        if (track != nullptr)
            result.end = std::max(result.end, track->GetTrackTimeIntv().end);
    return result;
}
