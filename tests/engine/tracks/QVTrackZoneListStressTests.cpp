// A track's zone lists under an audio-like reader and a publishing editor:
// the reader locks, reads the live list and unlocks, block after block,
// while the message thread publishes 10,000 edits. Every list a reader gets
// must be one that was published, whole and in order; the reader never
// waits (its longest lock is recorded, not judged) and allocates nothing.
// The forms saved after the run load back and save to the same bytes.

#include "AKDictionary.h"
#include "AllocationProbe.h"
#include "QVObjectTrackTestFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TrackTestEnvironment());

constexpr unsigned int kEditCount = 10000;

// Edit n publishes (n % 7) + 1 zones, all of sound n, 0.5 s each.
unsigned int ZoneCountOfEdit(QVProviderID edit) { return edit % 7 + 1; }

QVTrackZoneArray ZonesOfEdit(QVProviderID edit)
{
    QVTrackZoneArray zones;
    for (unsigned int index = 0; index < ZoneCountOfEdit(edit); ++index)
        zones.Push(QVTrackZone::Make(edit, 0.0, 0.5));
    return zones;
}

// What the reader found wrong, 0 for nothing.
enum ReadFault : int { kFine = 0, kWrongCount, kMixedZones, kBrokenTimes, kWentBack };

ReadFault CheckList(QVTrackZoneArray const& zones, QVProviderID* lastSeen)
{
    if (zones.IsEmpty())
        return *lastSeen == 0 ? kFine : kWentBack;
    QVProviderID const edit = zones[0].GetProviderID();
    if (zones.Count() != ZoneCountOfEdit(edit))
        return kWrongCount;
    double time = 0.0;
    for (QVTrackZone const& zone : zones) {
        if (zone.GetProviderID() != edit)
            return kMixedZones;
        if (zone.GetLocalTimeIntv().beg != time || zone.GetLocalTimeIntv().end != time + 0.5)
            return kBrokenTimes;
        time += 0.5;
    }
    if (edit < *lastSeen)
        return kWentBack;
    *lastSeen = edit;
    return kFine;
}

TEST(QVTrackZoneListStress, ReaderSeesOnlyWholePublishedListsAndNeverWaits)
{
    TrackPtr track = NewTrack();
    ASSERT_NE(track, nullptr);
    QVObjectTrack const* const reader = track.get();
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<int> fault{kFine};
    std::atomic<unsigned long> reads{0};
    std::atomic<long long> longestLockNanoseconds{0};

    std::thread audio([&] {
        QVProviderID lastSeen = 0;
        long long longest = 0;
        unsigned long count = 0;
        while (!done.load(std::memory_order_acquire) && fault.load(std::memory_order_relaxed) == kFine) {
            auto const before = std::chrono::steady_clock::now();
            QVTrackZoneArray const* zones = reader->LockTrackZonesForAudioCallback();
            auto const after = std::chrono::steady_clock::now();
            longest = std::max<long long>(longest,
                                          std::chrono::duration_cast<std::chrono::nanoseconds>(after - before).count());
            ReadFault const found = CheckList(*zones, &lastSeen);
            reader->UnlockTrackZonesForAudioCallback(zones);
            if (found != kFine)
                fault.store(found, std::memory_order_relaxed);
            ++count;
            started.store(true, std::memory_order_release);
        }
        reads.store(count);
        longestLockNanoseconds.store(longest);
    });

    // The edits start once the reader runs.
    while (!started.load(std::memory_order_acquire))
        std::this_thread::yield();
    for (QVProviderID edit = 1; edit <= kEditCount; ++edit)
        track->InitWithTrackZones(ZonesOfEdit(edit));
    done.store(true, std::memory_order_release);
    audio.join();

    EXPECT_EQ(fault.load(), kFine);
    EXPECT_GT(reads.load(), 0u);
    ::testing::Test::RecordProperty("Reads", static_cast<int>(std::min<unsigned long>(reads.load(), 0x7FFFFFFF)));
    ::testing::Test::RecordProperty("LongestLockNanoseconds",
                                    static_cast<int>(std::min<long long>(longestLockNanoseconds.load(), 0x7FFFFFFF)));

    // Nothing holds the old lists any more: every one of them goes.
    track->ReclaimRetiredZoneLists();
    EXPECT_EQ(track->CountRetiredZoneLists(), 0u);
    EXPECT_EQ(track->GetTrackZones().Count(), ZoneCountOfEdit(kEditCount));
}

TEST(QVTrackZoneListStress, ReadersAllocateNothing)
{
    TrackPtr track = NewTrack();
    track->InitWithTrackZones(ZonesOfEdit(3));
    AllocationProbe probe;
    for (int block = 0; block < 100; ++block) {
        QVTrackZoneArray const* zones = track->LockTrackZonesForAudioCallback();
        QVProviderID lastSeen = 0;
        EXPECT_EQ(CheckList(*zones, &lastSeen), kFine);
        unsigned int index = 0;
        track->BSearchTrackZone(0.7, 1, &index, true);
        track->UnlockTrackZonesForAudioCallback(zones);
    }
    AllocationProbe::Stop();
    EXPECT_EQ(AllocationProbe::Count(), 0u);
}

TEST(QVTrackZoneListStress, EditedTrackSavesToTheSameBytesTwice)
{
    TrackPtr track = NewTrack();
    for (QVProviderID edit = 1; edit <= 200; ++edit) {
        track->InitWithTrackZones(ZonesOfEdit(edit));
        track->DoTrackPartSilent(0.25, 0.5);
        track->DoTrackPartScale({0.0, 1.0}, edit % 2 == 0 ? 2.0 : -0.5);
    }
    std::vector<unsigned char> const bytes = FileFormOf(track.get());
    TrackPtr fromFile = TrackFromFileForm(bytes);
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(FileFormOf(fromFile.get()), bytes);

    AKDictionary first;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(track.get(), first), 0);
    TrackPtr fromDictionary(dynamic_cast<QVObjectTrack*>(AKClass::NewObjectFromDictionary(nullptr, first)));
    ASSERT_NE(fromDictionary, nullptr);
    AKDictionary second;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(fromDictionary.get(), second), 0);
    EXPECT_TRUE(second == first);
    EXPECT_EQ(FileFormOf(fromDictionary.get()), bytes);
}

}  // namespace
