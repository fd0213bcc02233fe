#include "QVTrackZoneArray.h"

#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVProviderRenum.h"

#include <algorithm>
#include <cmath>

namespace {

// Zone counts stay well inside 32-bit indexes, whose top value means "none".
constexpr unsigned long long kZoneCountMax = 0x7FFFFFFFull;

bool NearTime(double a, double b) { return std::fabs(a - b) <= kQVTrackZoneTimeEpsilon; }

}  // namespace

// --- Zones and search ---

AKTimeIntv QVTrackZoneArray::GetTimeIntv() const
{
    if (mZones.IsEmpty())
        return kAKNullTimeIntv;
    return {mZones.First().GetLocalTimeIntv().beg, mZones.Last().GetLocalTimeIntv().end};
}

bool QVTrackZoneArray::BSearchZone(double time, unsigned int* index, bool clamp) const
{
    unsigned int found = kQVTrackZoneNoIndex;
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
        } else if (time == time) {
            // Here first.end <= time < last.beg: the last zone beginning at
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
    return found != kQVTrackZoneNoIndex;
}

// --- Insertion ---

int QVTrackZoneArray::InsertSilent(double time, double duration, bool allowExtend)
{
    if (!(duration > 0.0))
        return kQVTrackZoneEditRefused;
    QVTrackZoneArray silence;
    silence.Push(QVTrackZone::MakeSilence(duration));
    return InsertZones(time, silence, 1, allowExtend);
}

int QVTrackZoneArray::InsertZones(double time, QVTrackZoneArray const& source, unsigned int count, bool allowExtend)
{
    if (&source == this)
        return kQVTrackZoneEditRefused;
    if (count == 0 || source.IsEmpty())
        return kQVTrackZoneEditUnchanged;
    unsigned long long const added = static_cast<unsigned long long>(count) * source.Count();
    if (time != time || mZones.Count() + added + 1 > kZoneCountMax)
        return kQVTrackZoneEditRefused;

    AKTimeIntv const track = GetTimeIntv();
    unsigned int at = 0;
    unsigned int firstChanged = 0;
    if (time >= track.end) {
        bool const gap = time - track.end > kQVTrackZoneTimeEpsilon;
        if (gap && !allowExtend)
            return kQVTrackZoneEditRefused;
        firstChanged = mZones.Count();
        if (gap)
            mZones.Push(QVTrackZone::MakeSilence(time - track.end));
        at = mZones.Count();
    } else {
        unsigned int index = 0;
        if (time < track.beg || !BSearchZone(time, &index, false))
            return kQVTrackZoneEditRefused;
        AKTimeIntv const local = mZones[index].GetLocalTimeIntv();
        if (NearTime(time, local.beg)) {
            at = index;
        } else if (NearTime(time, local.end)) {
            at = index + 1;
        } else {
            QVTrackZone const zone = mZones[index];
            mZones[index] = zone.GetShrunkRest({local.beg, time});
            mZones.Insert(index + 1, zone.GetShrunkRest({time, local.end}));
            at = index + 1;
        }
        firstChanged = at;
    }

    ATArray<QVTrackZone> copies;
    copies.Reserve(static_cast<unsigned int>(added));
    for (unsigned int copy = 0; copy < count; ++copy)
        copies.Append(source.mZones);
    mZones.Insert(at, copies);
    QuickUpdateZonesLocalTime(firstChanged);
    return kQVTrackZoneEditChanged;
}

int QVTrackZoneArray::InsertZonesScaled(double time, QVTrackZoneArray const& source, unsigned int count,
                                        double coefficient, bool cumulative, bool allowExtend)
{
    if (&source == this || count == 0 || source.IsEmpty() || !(std::fabs(coefficient) > kQVTrackZoneCoeffEpsilon))
        return kQVTrackZoneEditRefused;
    if (std::fabs(1.0 - coefficient) <= kQVTrackZoneCoeffEpsilon)
        return InsertZones(time, source, count, allowExtend);

    QVTrackZoneArray working = source;
    if (count != 1 && cumulative) {
        unsigned long long const total = static_cast<unsigned long long>(count) * source.Count();
        if (mZones.Count() + total + 1 > kZoneCountMax)
            return kQVTrackZoneEditRefused;
        QVTrackZoneArray result;
        result.Reserve(static_cast<unsigned int>(total));
        for (unsigned int copy = 0; copy < count; ++copy) {
            working.ScaleAll(coefficient);
            result.Append(working);
        }
        result.QuickUpdateZonesLocalTime(0);
        return InsertZones(time, result, 1, allowExtend);
    }
    working.ScaleAll(coefficient);
    return InsertZones(time, working, count, allowExtend);
}

double QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(double duration, unsigned int count, double coefficient,
                                                               bool cumulative)
{
    double const factor = std::fabs(coefficient);
    if (count == 0 || !(factor > kQVTrackZoneCoeffEpsilon))
        return 0.0;
    if (std::fabs(1.0 - factor) <= kQVTrackZoneCoeffEpsilon)
        return count * duration;
    if (count == 1 || !cumulative)
        return count * factor * duration;
    // factor + factor^2 + ... + factor^count
    return ((std::pow(factor, count + 1.0) - 1.0) / (factor - 1.0) - 1.0) * duration;
}

// --- Separation and the edits built on it ---

int QVTrackZoneArray::SeparateZones(AKTimeIntv intv, unsigned int* first, unsigned int* last, bool allowExtend)
{
    auto answer = [first, last](unsigned int firstIndex, unsigned int lastIndex, int status) {
        if (first)
            *first = firstIndex;
        if (last)
            *last = lastIndex;
        return status;
    };
    auto refuse = [&answer]() { return answer(kQVTrackZoneNoIndex, kQVTrackZoneNoIndex, kQVTrackZoneEditRefused); };

    double const a = intv.beg;
    double const b = intv.end;
    if (!(a < b))
        return refuse();
    AKTimeIntv const track = GetTimeIntv();
    if (mZones.IsEmpty() || !(track.end > track.beg)) {
        if (a != 0.0 || !allowExtend)
            return refuse();
        mZones.Clear();
        AppendSilence(b);
        return answer(0, 0, kQVTrackZoneEditChanged);
    }
    if (a == track.beg && b == track.end)
        return answer(0, mZones.Count() - 1, kQVTrackZoneEditUnchanged);

    if ((b <= track.end && a >= track.beg) || (track.beg <= a && a <= track.end && allowExtend)) {
        double clippedA = std::max(a, track.beg);
        double clippedB = std::min(b, track.end);
        unsigned int foundE = 0;
        unsigned int foundF = 0;
        if (!BSearchZone(clippedA, &foundE, false) || !BSearchZone(clippedB, &foundF, false) || foundE > foundF)
            return refuse();

        // Snap both bounds to the zone boundaries within the epsilon.
        long long e = foundE;
        long long f = foundF;
        bool startInside = false;
        bool endInside = false;
        AKTimeIntv const localE = mZones[foundE].GetLocalTimeIntv();
        if (NearTime(clippedA, localE.beg)) {
            clippedA = localE.beg;
        } else if (NearTime(clippedA, localE.end)) {
            clippedA = localE.end;
            ++e;
        } else {
            startInside = true;
        }
        AKTimeIntv const localF = mZones[foundF].GetLocalTimeIntv();
        if (NearTime(clippedB, localF.end)) {
            clippedB = localF.end;
        } else if (NearTime(clippedB, localF.beg)) {
            clippedB = localF.beg;
            --f;
        } else {
            endInside = true;
        }
        // An interval that starts at the end of the track and reaches past
        // it covers only the padding to come.
        bool const extend = b > track.end && allowExtend;
        if (e > f + (extend ? 1 : 0))
            return refuse();

        if (startInside && endInside && e == f) {
            QVTrackZone const zone = mZones[e];
            AKTimeIntv const local = zone.GetLocalTimeIntv();
            mZones[e] = zone.GetShrunkRest({local.beg, clippedA});
            mZones.Insert(e + 1, zone.GetShrunkRest({clippedA, clippedB}));
            mZones.Insert(e + 2, zone.GetShrunkRest({clippedB, local.end}));
        } else {
            // The later zone first, so that the earlier index stays valid.
            if (endInside) {
                QVTrackZone const zone = mZones[f];
                AKTimeIntv const local = zone.GetLocalTimeIntv();
                mZones[f] = zone.GetShrunkRest({local.beg, clippedB});
                mZones.Insert(f + 1, zone.GetShrunkRest({clippedB, local.end}));
            }
            if (startInside) {
                QVTrackZone const zone = mZones[e];
                AKTimeIntv const local = zone.GetLocalTimeIntv();
                mZones[e] = zone.GetShrunkRest({local.beg, clippedA});
                mZones.Insert(e + 1, zone.GetShrunkRest({clippedA, local.end}));
            }
        }
        unsigned int const firstIndex = static_cast<unsigned int>(startInside ? e + 1 : e);
        unsigned int lastIndex = static_cast<unsigned int>(startInside ? f + 1 : f);
        if (extend) {
            mZones.Push(QVTrackZone::MakeSilence(b - track.end));
            QuickUpdateZonesLocalTime(std::min(lastIndex, mZones.Count() - 1));
            lastIndex = mZones.Count() - 1;
        }
        bool const changed = startInside || endInside || extend;
        return answer(firstIndex, lastIndex, changed ? kQVTrackZoneEditChanged : kQVTrackZoneEditUnchanged);
    }

    if (a > track.end && allowExtend) {
        unsigned int const from = mZones.Count();
        mZones.Push(QVTrackZone::MakeSilence(a - track.end));
        mZones.Push(QVTrackZone::MakeSilence(b - a));
        QuickUpdateZonesLocalTime(from);
        return answer(from + 1, from + 1, kQVTrackZoneEditChanged);
    }
    return refuse();
}

int QVTrackZoneArray::ScaleZones(AKTimeIntv intv, double coefficient, bool allowExtend)
{
    if (!(std::fabs(coefficient) > kQVTrackZoneCoeffEpsilon))
        return kQVTrackZoneEditRefused;
    if (std::fabs(1.0 - coefficient) <= kQVTrackZoneCoeffEpsilon)
        return kQVTrackZoneEditUnchanged;
    unsigned int first = 0;
    unsigned int last = 0;
    if (SeparateZones(intv, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return kQVTrackZoneEditRefused;
    for (unsigned int index = first; index <= last; ++index)
        mZones[index].SetScale(mZones[index].GetScale() * coefficient);
    if (coefficient < 0.0 && first < last)
        std::reverse(mZones.begin() + first, mZones.begin() + last + 1);
    QuickUpdateZonesLocalTime(first);
    return kQVTrackZoneEditChanged;
}

int QVTrackZoneArray::ExtractZones(AKTimeIntv intv, QVTrackZoneArray* destination, bool pad) const
{
    if (destination == this)
        return kQVTrackZoneEditRefused;
    destination->Clear();
    double const a = intv.beg;
    double const b = intv.end;
    if (!(a < b))
        return kQVTrackZoneEditRefused;

    AKTimeIntv const track = GetTimeIntv();
    if (mZones.IsEmpty() || !(std::min(b, track.end) - std::max(a, track.beg) > 0.0)) {
        if (!pad)
            return kQVTrackZoneEditRefused;
        destination->AppendSilence(b - a);
        return kQVTrackZoneEditUnchanged;
    }
    if (a == track.beg && b == track.end) {
        destination->mZones = mZones;
        destination->QuickUpdateZonesLocalTime(0);
        return kQVTrackZoneEditUnchanged;
    }
    if (!pad && (a < track.beg || b > track.end))
        return kQVTrackZoneEditRefused;

    double const clippedA = std::max(a, track.beg);
    double const clippedB = std::min(b, track.end);
    unsigned int firstIndex = 0;
    unsigned int lastIndex = 0;
    if (!BSearchZone(clippedA, &firstIndex, false) || !BSearchZone(clippedB, &lastIndex, false) ||
        lastIndex < firstIndex)
        return kQVTrackZoneEditRefused;
    if (firstIndex == lastIndex) {
        destination->Push(mZones[firstIndex].GetShrunkRest({clippedA, clippedB}));
    } else {
        // The zones involved keep their local times, so the copy separates
        // at the same track times.
        destination->mZones.Insert(0, ATArrayRange<QVTrackZone>(mZones, firstIndex, lastIndex - firstIndex + 1));
        unsigned int first = 0;
        unsigned int last = 0;
        if (destination->SeparateZones({clippedA, clippedB}, &first, &last, false) == kQVTrackZoneEditRefused) {
            destination->Clear();
            return kQVTrackZoneEditRefused;
        }
        destination->Remove(last + 1, destination->Count() - last - 1);
        destination->Remove(0, first);
    }
    if (pad) {
        if (clippedA > a)
            destination->Insert(0, QVTrackZone::MakeSilence(clippedA - a));
        if (b > clippedB)
            destination->Push(QVTrackZone::MakeSilence(b - clippedB));
    }
    destination->QuickUpdateZonesLocalTime(0);
    return kQVTrackZoneEditUnchanged;
}

int QVTrackZoneArray::CropZones(AKTimeIntv intv, bool keepPosition, bool allowExtend)
{
    AKTimeIntv const track = GetTimeIntv();
    AKTimeIntv clipped = {std::max(intv.beg, track.beg), std::min(intv.end, track.end)};
    if (!(clipped.beg <= clipped.end))
        clipped = kAKNullTimeIntv;
    unsigned int first = 0;
    unsigned int last = 0;
    if (SeparateZones(clipped, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return kQVTrackZoneEditRefused;

    // The kept part as separated (its bounds snapped to the boundaries).
    double const keptBeg = mZones[first].GetLocalTimeIntv().beg;
    double const keptEnd = mZones[last].GetLocalTimeIntv().end;
    mZones.Remove(last + 1, mZones.Count() - last - 1);
    if (keepPosition) {
        if (first > 0) {
            mZones.Remove(1, first - 1);
            mZones[0] = QVTrackZone::MakeSilence(keptBeg);
        }
        if (track.end > keptEnd)
            mZones.Push(QVTrackZone::MakeSilence(track.end - keptEnd));
    } else {
        mZones.Remove(0, first);
    }
    QuickUpdateZonesLocalTime(0);
    return kQVTrackZoneEditChanged;
}

int QVTrackZoneArray::ReplaceZones(AKTimeIntv intv, QVTrackZoneArray const& source, bool allowExtend)
{
    if (&source == this)
        return kQVTrackZoneEditRefused;
    unsigned int first = 0;
    unsigned int last = 0;
    if (SeparateZones(intv, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return kQVTrackZoneEditRefused;
    unsigned int const replaced = last - first + 1;
    unsigned int const given = source.Count();
    unsigned int const common = std::min(replaced, given);
    for (unsigned int index = 0; index < common; ++index)
        mZones[first + index] = source[index];
    if (given > replaced)
        mZones.Insert(first + replaced, ATArrayRange<QVTrackZone>(source.mZones, replaced, given - replaced));
    else if (replaced > given)
        mZones.Remove(first + given, replaced - given);
    QuickUpdateZonesLocalTime(first);
    return kQVTrackZoneEditChanged;
}

int QVTrackZoneArray::DeleteZones(AKTimeIntv intv)
{
    AKTimeIntv const track = GetTimeIntv();
    AKTimeIntv clipped = {std::max(intv.beg, track.beg), std::min(intv.end, track.end)};
    if (!(clipped.beg <= clipped.end))
        clipped = kAKNullTimeIntv;
    unsigned int first = 0;
    unsigned int last = 0;
    if (SeparateZones(clipped, &first, &last, false) == kQVTrackZoneEditRefused)
        return kQVTrackZoneEditRefused;
    mZones.Remove(first, last - first + 1);
    QuickUpdateZonesLocalTime(first);
    return kQVTrackZoneEditChanged;
}

int QVTrackZoneArray::EraseZones(AKTimeIntv intv, bool allowExtend)
{
    unsigned int first = 0;
    unsigned int last = 0;
    if (SeparateZones(intv, &first, &last, allowExtend) == kQVTrackZoneEditRefused)
        return kQVTrackZoneEditRefused;
    // The separated extent, so that what follows keeps its time exactly.
    double const length = mZones[last].GetLocalTimeIntv().end - mZones[first].GetLocalTimeIntv().beg;
    mZones[first] = QVTrackZone::MakeSilence(length);
    mZones.Remove(first + 1, last - first);
    QuickUpdateZonesLocalTime(first);
    return kQVTrackZoneEditChanged;
}

void QVTrackZoneArray::ScaleAll(double coefficient)
{
    for (QVTrackZone& zone : mZones)
        zone.SetScale(zone.GetScale() * coefficient);
    if (coefficient < 0.0)
        std::reverse(mZones.begin(), mZones.end());
    QuickUpdateZonesLocalTime(0);
}

void QVTrackZoneArray::AppendSilence(double duration)
{
    mZones.Push(QVTrackZone::MakeSilence(duration));
    QuickUpdateZonesLocalTime(mZones.Count() - 1);
}

// --- Derived times ---

double QVTrackZoneArray::QuickUpdateZonesLocalTime(unsigned int from)
{
    unsigned int const count = mZones.Count();
    if (from >= count)
        return 0.0;
    double time = from == 0 ? 0.0 : mZones[from - 1].GetLocalTimeIntv().end;
    for (unsigned int index = from; index < count; ++index) {
        QVTrackZone& zone = mZones[index];
        double const begin = time;
        time += zone.GetDuration();
        zone.SetLocalTimeIntv({begin, time});
    }
    return time;
}

double QVTrackZoneArray::GetZoneFadeDuration() const
{
    return mFade >= 0.0 ? mFade : QVPrefs::sShared.GetEngineZoneFadeDuration();
}

void QVTrackZoneArray::UpdateZonesLocalTime(double* end, unsigned int* channels, double fade)
{
    // Sounds too short to keep go first, so that the silences around them
    // meet and merge.
    mZones.RemoveIf([](QVTrackZone const& zone) { return !zone.IsSilence() && zone.IsEpsilonZone(); });

    // Each run of silences becomes its first zone, as long as the whole run.
    unsigned int const count = mZones.Count();
    for (unsigned int index = 0; index < count;) {
        if (!mZones[index].IsSilence()) {
            ++index;
            continue;
        }
        unsigned int const runStart = index;
        double total = 0.0;
        for (; index < count && mZones[index].IsSilence(); ++index) {
            total += mZones[index].GetDuration();
            mZones[index] = kQVNullTrackZone;
        }
        mZones[runStart] = QVTrackZone::MakeSilence(total);
    }
    mZones.RemoveIf([](QVTrackZone const& zone) { return zone.IsEpsilonZone(); });

    double time = 0.0;
    unsigned int most = 0;
    for (QVTrackZone& zone : mZones) {
        zone.UpdateZoneLocalTime(&time, fade);
        if (QVProvider const* provider = zone.GetProvider())
            most = std::max(most, provider->GetFileInfo().channelCount);
    }
    if (end)
        *end = time;
    if (channels)
        *channels = most;
}

// --- Renumbering and links ---

bool QVTrackZoneArray::RenumberZonesProvID(QVProviderRenum const& renum)
{
    if (mZones.IsEmpty() || renum.IsEmpty())
        return true;
    bool allMatched = true;
    for (QVTrackZone& zone : mZones) {
        // Silence names no sound: nothing to renumber.
        if (zone.IsSilence())
            continue;
        QVProviderID id = zone.GetProviderID();
        if (!renum.MatchID(&id))
            allMatched = false;
        if (id != zone.GetProviderID()) {
            zone.SetProviderID(id);
            zone.SetProvider(nullptr);
        }
    }
    return allMatched;
}

bool QVTrackZoneArray::RelinkZonesProviders()
{
    bool allKnown = true;
    QVProviderID const nextID = QVProvider::PeekNextID();
    for (QVTrackZone& zone : mZones) {
        QVProvider* const provider = QVProviderMgr::sShared.GetProviderByID(zone.GetProviderID());
        zone.SetProvider(provider);
        if (provider == nullptr && zone.GetProviderID() >= nextID)
            allKnown = false;
    }
    return allKnown;
}

// --- Persistent forms ---

int QVTrackZoneArray::ReadFromFile(AKFile const& file, unsigned long long maxBytes)
{
    unsigned int count = 0;
    int status = AKFileReadUInt32(file, &count);
    if (status != 0)
        return status;
    // Checked before anything is sized for it: a corrupt count fails here.
    unsigned long long const needed = static_cast<unsigned long long>(count) * kQVTrackZoneRecordSize;
    if (maxBytes != kQVTrackZoneNoByteLimit && (maxBytes < 4 || needed > maxBytes - 4))
        return AKLogError(kAKErrorFileCantRead, "Can't read in file \"%s\" (%u track zones beyond their chunk)",
                          file.GetLogName(), count);
    status = AKFileCheckBytesLeft(file, needed);
    if (status != 0)
        return status;

    ATArray<QVTrackZone> zones;
    zones.SetCount(count);
    for (QVTrackZone& zone : zones) {
        status = zone.ReadFromFile(file);
        if (status != 0)
            return status;
    }
    mZones = std::move(zones);
    return 0;
}

int QVTrackZoneArray::WriteToFile(AKFile& file) const
{
    int status = AKFileWriteUInt32(file, mZones.Count());
    for (unsigned int index = 0; status == 0 && index < mZones.Count(); ++index)
        status = mZones[index].WriteToFile(file);
    return status;
}

bool QVTrackZoneArray::ReadFromValue(AKValue const& value, bool convert)
{
    AKValueArray const* elements = value.GetasAKValueArray();
    if (elements == nullptr)
        return false;
    mZones.SetCount(elements->Count());
    for (unsigned int index = 0; index < elements->Count(); ++index)
        mZones[index].ReadFromValue((*elements)[index], convert);
    return true;
}

void QVTrackZoneArray::WriteToValue(AKValue* value) const
{
    AKValueArray elements;
    elements.Reserve(mZones.Count());
    for (QVTrackZone const& zone : mZones) {
        AKValue element;
        zone.WriteToValue(&element);
        elements.Push(std::move(element));
    }
    value->SetasAKValueArray(elements);
}

// --- Display ---

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
