#pragma once

// Classes and helpers of the track tests: a registry holding the track (and
// a stand-in sequence for its links), zone lists made of sound IDs that no
// sound backs (silence when played, but with their own IDs), and the file
// forms of objects in memory streams.

#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKObjectFolderRoot.h"
#include "EngineTreeFixtures.h"
#include "QVObjectPlayable.h"
#include "QVObjectTrack.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

class TrackTestSequence : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TrackTestSequence, "sequenc")
    TrackTestSequence() : QVObjectPlayable(0) {}
};

class TrackTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassID const object = AKObject::_ClassID();
        RegisterClassesAfresh({
            AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
            AKClassInfoOfConcrete<AKObjectFolderRoot>(object, "AKObjectFolderRoot"),
            AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
            AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
            AKClassInfoOfConcrete<TrackTestSequence>(QVObjectPlayable::_ClassID(), "TrackTestSequence"),
            AKClassInfoOfConcrete<QVObjectTrack>(QVObjectPoolable::_ClassID(), "QVObjectTrack"),
        });
    }
    void TearDown() override { AKClassMgr::sShared.Terminate(); }
};

struct TrackDeleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};
using TrackPtr = std::unique_ptr<QVObjectTrack, TrackDeleter>;

// Unnamed (the registry gives new objects their class's display name).
inline TrackPtr NewTrack()
{
    TrackPtr track(AKNew<QVObjectTrack>("%s", ""));
    if (track != nullptr)
        track->akmSetName(AKString(), false);
    return track;
}

// Zones of the given sound IDs, each playing [0, duration] of its sound.
inline QVTrackZoneArray ZonesOf(std::initializer_list<QVProviderID> ids, double duration)
{
    QVTrackZoneArray zones;
    for (QVProviderID id : ids)
        zones.Push(QVTrackZone::Make(id, 0.0, duration));
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    return zones;
}

// A track of zones with the IDs, 2 s each.
inline TrackPtr TrackOf(std::initializer_list<QVProviderID> ids, double duration = 2.0)
{
    TrackPtr track = NewTrack();
    track->InitWithTrackZones(ZonesOf(ids, duration));
    return track;
}

inline std::vector<unsigned char> StreamBytes(AKFile& file) { return MemoryStreamBytes(file); }

inline std::vector<unsigned char> FileFormOf(AKObject const* object)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(object, file), 0);
    return StreamBytes(file);
}

// Null when the form is refused.
inline TrackPtr TrackFromFileForm(std::vector<unsigned char> const& bytes, AKContextObject const* context = nullptr)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    if (!bytes.empty())
        file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    AKObject* object = AKClass::NewObjectFromFile(context, file, 1);
    return TrackPtr(dynamic_cast<QVObjectTrack*>(object));
}
