// What the engine start wires into its tracks: sounds renumbered through the
// document a track is read into, and zone lists that a reader held past an
// edit freed by the document's idle pass.

#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKNode.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "QVContextObject.h"
#include "QVDocument.h"
#include "QVDocumentTreeHandler.h"
#include "QVLibEnv.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

struct ObjectDeleter {
    void operator()(AKObject* object) const { AKClass::DeleteObject(object); }
};
using TrackPtr = std::unique_ptr<QVObjectTrack, ObjectDeleter>;

// A track of zones over the sound IDs (no sound behind them), 2 s each.
TrackPtr TrackOf(std::vector<QVProviderID> const& ids)
{
    TrackPtr track(AKNew<QVObjectTrack>("%s", ""));
    QVTrackZoneArray zones;
    for (QVProviderID id : ids)
        zones.Push(QVTrackZone::Make(id, 0.0, 2.0));
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    track->InitWithTrackZones(zones);
    return track;
}

std::vector<QVProviderID> IDsOf(QVObjectTrack const& track)
{
    std::vector<QVProviderID> ids;
    for (QVTrackZone const& zone : track.GetTrackZones())
        ids.push_back(zone.GetProviderID());
    return ids;
}

// The track read back from its file form and from its dictionary form,
// both within the context.
std::vector<TrackPtr> ReadBack(QVObjectTrack const& track, AKContextObject const* context)
{
    std::vector<TrackPtr> read;
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(&track, file), 0);
    file.SetPos(0);
    read.emplace_back(dynamic_cast<QVObjectTrack*>(AKClass::NewObjectFromFile(context, file, 1)));
    AKDictionary dictionary;
    EXPECT_EQ(AKClass::WriteObjectToDictionary(&track, dictionary), 0);
    read.emplace_back(dynamic_cast<QVObjectTrack*>(AKClass::NewObjectFromDictionary(context, dictionary)));
    return read;
}

TEST(QVLibEnvTrackHooksTest, TracksReadIntoADocumentTakeItsSoundIDs)
{
    TrackPtr const saved = TrackOf({4, 0, 7});
    QVDocument document(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(document.OnDocumentNew("Piece", 0, false), 0);
    QVContextObject* const context = document.GetContextObject();
    ASSERT_TRUE(context->GetProviderRenum().IsEmpty());

    // An empty table (outside a read) leaves the IDs as stored.
    for (TrackPtr const& track : ReadBack(*saved, context)) {
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{4, 0, 7}));
    }
    context->GetProviderRenum().AddEntry(4, 40);
    context->GetProviderRenum().AddEntry(7, 3);
    for (TrackPtr const& track : ReadBack(*saved, context)) {
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{40, 0, 3}));
    }
    // A tree outside any document has no sounds to renumber.
    AKContextObject plain(nullptr);
    for (TrackPtr const& track : ReadBack(*saved, &plain)) {
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{4, 0, 7}));
    }
}

// The object added as last child of the parent (the root when null), or
// null when the tree refuses it.
template <class T>
T* Added(QVDocument& document, T* object, AKObject* parent)
{
    if (object == nullptr)
        return nullptr;
    AKTreeActionParam param(document.GetTree());
    AKNode* const target = parent != nullptr ? parent->GetNodeOwner() : document.GetTree()->GetRootNode();
    param.WithNewObject(object).WithTargetNode(target, kAKLinkModeLastChildren);
    int const status = document.GetTreeHandler()->DoAddNewObjects(param);
    EXPECT_EQ(status, 0);
    if (status == 0)
        return object;
    AKClass::DeleteObject(object);
    return nullptr;
}

TEST(QVLibEnvTrackHooksTest, IdlePassFreesTheListsAReaderHeldPastAnEdit)
{
    QVDocument document(1, kQVDocumentFlagPrivate | kQVDocumentFlagIdlingObjects);
    ASSERT_EQ(document.OnDocumentNew("Piece", 0, false), 0);
    AKObject* const folder = Added(document, AKNew<QVObjectFolderSequence>("%s", ""), nullptr);
    ASSERT_NE(folder, nullptr);
    AKObject* const sequence = Added(document, AKNew<QVObjectSequence>("%s", ""), folder);
    ASSERT_NE(sequence, nullptr);
    QVObjectTrack* const track = Added(document, TrackOf({4, 5}).release(), sequence);
    ASSERT_NE(track, nullptr);

    // With no reader an edit frees the old list at once and asks for nothing.
    ASSERT_TRUE(track->DoTrackPartScale({0.0, 2.0}, 2.0));
    EXPECT_EQ(track->CountRetiredZoneLists(), 0u);
    EXPECT_FALSE(track->HasFlags(kAKObjectFlagIdling));

    // Lists held by a reader outlive the edits that retire them...
    QVTrackZoneArray const* const held = track->LockTrackZonesForAudioCallback();
    ASSERT_TRUE(track->DoTrackPartScale({0.0, 2.0}, 0.5));
    ASSERT_TRUE(track->DoTrackPartScale({0.0, 2.0}, 2.0));
    EXPECT_EQ(track->CountRetiredZoneLists(), 1u);
    EXPECT_TRUE(track->HasFlags(kAKObjectFlagIdling));
    document.DoIdlingForTreeObjectsAndGarbage();
    EXPECT_EQ(track->CountRetiredZoneLists(), 1u);
    track->UnlockTrackZonesForAudioCallback(held);

    // ...and go with the first idle pass after the reader let go, with no
    // further edit; the track then stops asking for idle passes.
    document.DoIdlingForTreeObjectsAndGarbage();
    EXPECT_EQ(track->CountRetiredZoneLists(), 0u);
    EXPECT_FALSE(track->HasFlags(kAKObjectFlagIdling));
    document.DoIdlingForTreeObjectsAndGarbage();
    AKNodeIDArray const& idling = document.GetTreeHandler()->GetNotifier().GetIdlingList();
    for (unsigned int i = 0; i < idling.Count(); ++i)
        EXPECT_NE(idling[i], track->GetNodeOwner()->GetID());
}

// Last: stops the engine and reads a track with the class alone registered.
TEST(QVLibEnvTrackHooksTest, StopUnhooksTheRenumbering)
{
    QVLibEnv::Terminate();
    AKClassMgr& registry = AKClassMgr::sShared;
    ASSERT_EQ(registry.RegisterBegin(), 0);
    AKClassID const object = AKObject::_ClassID();
    AKClassInfo const infos[] = {
        AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
        AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
        AKClassInfoOfConcrete<QVObjectTrack>(QVObjectPoolable::_ClassID(), "QVObjectTrack"),
    };
    for (AKClassInfo const& info : infos)
        ASSERT_EQ(registry.RegisterClass(info, false, nullptr), 0);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
    {
        QVContextObject context(nullptr, nullptr);
        context.GetProviderRenum().AddEntry(4, 40);
        TrackPtr const saved = TrackOf({4});
        for (TrackPtr const& track : ReadBack(*saved, &context)) {
            ASSERT_NE(track, nullptr);
            EXPECT_EQ(IDsOf(*track), std::vector<QVProviderID>{4});
        }
    }
    registry.Terminate();
}

}  // namespace
