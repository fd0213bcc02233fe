// Tracks: content edits through the edit bracket, the marker move,
// initialisers from sounds, user settings, names and links, and both
// persistent forms with their refusals and the renumbering of sounds.

#include "AKContextObject.h"
#include "AKDictionary.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVLibBasicOptions.h"
#include "QVPrefs.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "QVProviderRenum.h"
#include "SoundFixtures.h"
#include "QVObjectTrackTestFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace SoundFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TrackTestEnvironment());

// The sound IDs of the live zones, in order, and their local intervals.
std::vector<QVProviderID> IDsOf(QVObjectTrack const& track)
{
    std::vector<QVProviderID> ids;
    for (QVTrackZone const& zone : track.GetTrackZones())
        ids.push_back(zone.GetProviderID());
    return ids;
}

// The live copy and the editing copy hold the same zones.
::testing::AssertionResult CopiesAgree(QVObjectTrack& track)
{
    QVTrackZoneArray const editing = *track.TrackZonesModifyStart();
    track.TrackZonesModifyEnd(false);
    if (editing != track.GetTrackZones())
        return ::testing::AssertionFailure() << "the editing copy differs from the live copy";
    return ::testing::AssertionSuccess();
}

class QVObjectTrackTest : public ::testing::Test
{
protected:
    void SetUp() override { QVPrefs::sShared.SetSequenceTreatExtraIntv(false); }
    void TearDown() override
    {
        QVPrefs::sShared.SetSequenceTreatExtraIntv(true);
        QVProviderMgr::sShared.Terminate();
        gQVLib.SetupForCompleteApplication();
    }
};

TEST_F(QVObjectTrackTest, NewTrackIsEmptyOpenedAndRoutedByDefault)
{
    TrackPtr track = NewTrack();
    ASSERT_NE(track, nullptr);
    EXPECT_TRUE(track->GetTrackZones().IsEmpty());
    EXPECT_EQ(track->GetTrackTimeIntv().end, 0.0);
    EXPECT_TRUE(track->IsUIOpened());
    EXPECT_EQ(track->GetUserTrackVolume(), 0.0);
    EXPECT_EQ(track->GetUserTrackGain(), 1.0);
    EXPECT_EQ(track->GetUserRouteOptions(), 0x7u);
    EXPECT_EQ(track->akmGetName(), AKString("Track"));
    EXPECT_TRUE(track->GetSubPoolables().IsEmpty());
}

TEST_F(QVObjectTrackTest, MovesFollowTheirSideOfThePart)
{
    struct Case {
        double to;
        bool moved;
        std::vector<QVProviderID> ids;  // 1 s pieces after the move
    };
    // Six zones of 1 s: the part [2, 4] is the zones 3 and 4.
    for (Case const& c : {Case{1.0, true, {1, 3, 4, 2, 5, 6}}, Case{5.0, true, {1, 2, 5, 3, 4, 6}},
                          Case{3.0, false, {1, 2, 3, 4, 5, 6}}, Case{4.0, false, {1, 2, 3, 4, 5, 6}},
                          Case{0.0, true, {3, 4, 1, 2, 5, 6}}, Case{6.0, true, {1, 2, 5, 6, 3, 4}}}) {
        TrackPtr track = TrackOf({1, 2, 3, 4, 5, 6}, 1.0);
        EXPECT_EQ(track->DoTrackPartMove({2.0, 4.0}, c.to), c.moved) << c.to;
        EXPECT_EQ(IDsOf(*track), c.ids) << c.to;
        EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 6.0);
        EXPECT_TRUE(CopiesAgree(*track));
    }
}

TEST_F(QVObjectTrackTest, EditsCheckTheirPartAgainstTheTrack)
{
    struct Case {
        char const* name;
        bool (*edit)(QVObjectTrack&);
        bool changed;
        double end;
    };
    Case const cases[] = {
        {"delete",
         [](QVObjectTrack& t) {
             return t.DoTrackPartDelete({1.0, 3.0});
         },
         true, 4.0},
        {"delete beyond",
         [](QVObjectTrack& t) {
             return t.DoTrackPartDelete({5.0, 9.0});
         },
         true, 5.0},
        {"delete outside",
         [](QVObjectTrack& t) {
             return t.DoTrackPartDelete({7.0, 9.0});
         },
         false, 6.0},
        {"erase",
         [](QVObjectTrack& t) {
             return t.DoTrackPartErase({1.0, 3.0});
         },
         true, 6.0},
        {"erase outside",
         [](QVObjectTrack& t) {
             return t.DoTrackPartErase({5.0, 7.0});
         },
         false, 6.0},
        {"silent", [](QVObjectTrack& t) { return t.DoTrackPartSilent(2.0, 1.5); }, true, 7.5},
        {"silent past end", [](QVObjectTrack& t) { return t.DoTrackPartSilent(6.5, 1.0); }, false, 6.0},
        {"silent of 0", [](QVObjectTrack& t) { return t.DoTrackPartSilent(2.0, 0.0); }, false, 6.0},
        {"crop",
         [](QVObjectTrack& t) {
             return t.DoTrackPartCrop({1.0, 3.0}, false);
         },
         true, 2.0},
        {"crop in place",
         [](QVObjectTrack& t) {
             return t.DoTrackPartCrop({1.0, 3.0}, true);
         },
         true, 6.0},
        {"scale",
         [](QVObjectTrack& t) {
             return t.DoTrackPartScale({0.0, 2.0}, 2.0);
         },
         true, 8.0},
        {"scale by 1",
         [](QVObjectTrack& t) {
             return t.DoTrackPartScale({0.0, 2.0}, 1.0);
         },
         false, 6.0},
        {"scale by 0",
         [](QVObjectTrack& t) {
             return t.DoTrackPartScale({0.0, 2.0}, 0.0);
         },
         false, 6.0},
        {"reverse",
         [](QVObjectTrack& t) {
             return t.DoTrackPartReverse({0.0, 4.0});
         },
         true, 6.0},
        {"reverse empty part",
         [](QVObjectTrack& t) {
             return t.DoTrackPartReverse({3.0, 3.0});
         },
         false, 6.0},
        {"repeat",
         [](QVObjectTrack& t) {
             return t.DoTrackPartRepeat({0.0, 2.0}, 6.0, 2, 1.0, false);
         },
         true, 10.0},
        {"repeat none",
         [](QVObjectTrack& t) {
             return t.DoTrackPartRepeat({0.0, 2.0}, 6.0, 0, 1.0, false);
         },
         false, 6.0},
        {"reset", [](QVObjectTrack& t) { return t.DoTrackPartReset(); }, true, 0.0},
    };
    for (Case const& c : cases) {
        TrackPtr track = TrackOf({1, 2, 3});
        unsigned int const stamp = track->GetUIStamp();
        EXPECT_EQ(c.edit(*track), c.changed) << c.name;
        EXPECT_NEAR(track->GetTrackTimeIntv().end, c.end, 1e-9) << c.name;
        EXPECT_NEAR(track->GetTrackZones().GetEndTime(), c.end, 1e-9) << c.name;
        EXPECT_TRUE(CopiesAgree(*track)) << c.name;
        EXPECT_EQ(track->GetUIStamp(), stamp) << c.name;
    }
    TrackPtr empty = NewTrack();
    EXPECT_FALSE(empty->DoTrackPartReset());
    EXPECT_FALSE(empty->DoTrackPartCrop({0.0, 1.0}, false));
}

TEST_F(QVObjectTrackTest, OutsidePartsPadOnlyWhenExtraIntervalsAreTreated)
{
    QVPrefs::sShared.SetSequenceTreatExtraIntv(true);
    TrackPtr track = TrackOf({1, 2, 3});
    EXPECT_TRUE(track->DoTrackPartSilent(8.0, 1.0));
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 9.0);
}

TEST_F(QVObjectTrackTest, ReplaceFitsOrKeepsTheDuration)
{
    TrackPtr track = TrackOf({1, 2, 3});
    // An empty source, not keeping the duration: 2 s of silence at [1, 3].
    EXPECT_TRUE(track->DoTrackPartReplace(QVTrackZoneArray(), {1.0, 3.0}, false));
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 6.0);
    unsigned int index = 0;
    ASSERT_TRUE(track->GetTrackZones().BSearchZone(2.0, &index, false));
    EXPECT_TRUE(track->GetTrackZones()[index].IsSilence());
    EXPECT_DOUBLE_EQ(track->GetTrackZones()[index].GetLocalTimeIntv().beg, 1.0);
    EXPECT_DOUBLE_EQ(track->GetTrackZones()[index].GetLocalTimeIntv().end, 3.0);

    // A 1 s source fitted into [0, 4]: it plays at half speed.
    TrackPtr fitted = TrackOf({1, 2, 3});
    EXPECT_TRUE(fitted->DoTrackPartReplace(QVTrackZone::Make(7, 0.0, 1.0), {0.0, 4.0}, false));
    EXPECT_EQ(IDsOf(*fitted), (std::vector<QVProviderID>{7, 3}));
    EXPECT_DOUBLE_EQ(fitted->GetTrackZones()[0].GetScale(), 4.0);
    // Kept duration: the source takes its own length.
    TrackPtr kept = TrackOf({1, 2, 3});
    EXPECT_TRUE(kept->DoTrackPartReplace(QVTrackZone::Make(7, 0.0, 1.0), {0.0, 4.0}, true));
    EXPECT_DOUBLE_EQ(kept->GetTrackTimeIntv().end, 3.0);
    // A track cannot replace or insert from itself or its own copies.
    EXPECT_FALSE(kept->DoTrackPartReplace(kept.get(), {0.0, 1.0}, true));
    EXPECT_FALSE(kept->DoTrackPartInsert(kept->GetTrackZones(), 0.0, 1));
    EXPECT_TRUE(kept->DoTrackPartInsert(fitted.get(), 0.0, 1));
}

TEST_F(QVObjectTrackTest, RefusedEditLeavesNothingForTheNextOne)
{
    TrackPtr track = TrackOf({1, 2, 3});
    // An edit that changed the editing copy and then gave up...
    QVTrackZoneArray* zones = track->TrackZonesModifyStart();
    ASSERT_EQ(zones->DeleteZones({0.0, 4.0}), kQVTrackZoneEditChanged);
    track->TrackZonesModifyEnd(false);
    EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{1, 2, 3}));
    // ...is not published by the next edit.
    EXPECT_TRUE(track->DoTrackPartSilent(6.0, 1.0));
    EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{1, 2, 3, 0}));
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 7.0);
}

TEST_F(QVObjectTrackTest, TransformsAreEditsOfTheTrack)
{
    AKDictionary scale;
    scale.SetValue("AbsCoeff", AKValueSetasFloat64(2.0));
    scale.SetValue("Expanded", AKValueSetasBool(true));
    AKDictionary options;
    options.SetValue("ZxperScale", AKValueSetasAKDictionary(scale));

    TrackPtr track = TrackOf({1, 2, 3});
    AKTimeIntv result = {-1.0, -1.0};
    EXPECT_TRUE(track->DoTrackPartZxperScale({0.0, 2.0}, &result, options));
    EXPECT_DOUBLE_EQ(result.beg, 0.0);
    EXPECT_DOUBLE_EQ(result.end, 4.0);
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 8.0);
    EXPECT_TRUE(CopiesAgree(*track));

    // A refused transform leaves the live copy, reports no range and logs
    // nothing: it is an ordinary outcome.
    {
        LogCapture log;
        EXPECT_FALSE(track->DoTrackPartZxperRepeat({3.0, 3.0}, &result, options));
        EXPECT_TRUE(log.Lines().empty());
    }
    EXPECT_EQ(result, kAKNullTimeIntv);
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 8.0);
    EXPECT_TRUE(CopiesAgree(*track));
}

TEST_F(QVObjectTrackTest, ExtractionsCopyThePartUnderTheInterval)
{
    TrackPtr source = TrackOf({1, 2, 3});
    TrackPtr destination = TrackOf({9});
    source->DoTrackPartExtract({1.0, 5.0}, destination.get());
    EXPECT_EQ(IDsOf(*destination), (std::vector<QVProviderID>{1, 2, 3}));
    EXPECT_DOUBLE_EQ(destination->GetTrackTimeIntv().end, 4.0);
    EXPECT_TRUE(CopiesAgree(*destination));
    // Outside the track: the destination is emptied and published.
    source->DoTrackPartExtract({7.0, 8.0}, destination.get());
    EXPECT_TRUE(destination->GetTrackZones().IsEmpty());

    QVTrackZoneArray part;
    source->DoTrackPartExtract({2.0, 4.0}, &part);
    ASSERT_EQ(part.Count(), 1u);
    EXPECT_EQ(part[0].GetProviderID(), 2u);

    TrackPtr copy = NewTrack();
    copy->InitWithTrackPart(source.get(), {0.0, 2.0});
    EXPECT_EQ(IDsOf(*copy), (std::vector<QVProviderID>{1}));
}

TEST_F(QVObjectTrackTest, MarkerMoves)
{
    struct Case {
        unsigned int marker;
        double time;
        bool bothSides;
        bool rescale;
        bool moved;
        double firstEnd;  // local end of zone 0 after the move
        double end;       // track end
    };
    for (Case const& c : {Case{1, 1.5, true, false, true, 1.5, 4.0}, Case{1, 3.0, true, true, true, 3.0, 4.0},
                          Case{1, 0.0, true, false, false, 2.0, 4.0},  // the earlier zone's begin
                          Case{1, 4.0, true, false, false, 2.0, 4.0},  // the later zone's end
                          Case{2, 5.0, false, false, true, 2.0, 5.0},  // the end of the last zone
                          Case{1, 3.0, false, true, true, 3.0, 5.0},   // one side: what follows moves
                          Case{3, 5.0, false, false, false, 2.0, 4.0}, Case{0, 1.0, false, false, false, 2.0, 4.0}}) {
        TrackPtr track = TrackOf({1, 2});
        EXPECT_EQ(track->DoTrackMarkerMove(c.marker, c.time, c.bothSides, c.rescale), c.moved)
            << c.marker << " " << c.time;
        EXPECT_NEAR(track->GetTrackZones()[0].GetLocalTimeIntv().end, c.firstEnd, 1e-9) << c.marker << " " << c.time;
        EXPECT_NEAR(track->GetTrackTimeIntv().end, c.end, 1e-9) << c.marker << " " << c.time;
    }
    // Without rescale the sources grow; with it the scales change.
    TrackPtr track = TrackOf({1, 2});
    ASSERT_TRUE(track->DoTrackMarkerMove(1, 1.5, true, false));
    EXPECT_DOUBLE_EQ(track->GetTrackZones()[0].GetSourceTimeIntv().end, 1.5);
    EXPECT_DOUBLE_EQ(track->GetTrackZones()[1].GetSourceTimeIntv().beg, -0.5);
    ASSERT_TRUE(track->DoTrackMarkerMove(1, 3.5, true, true));
    EXPECT_DOUBLE_EQ(track->GetTrackZones()[0].GetScale(), 3.5 / 1.5);
}

TEST_F(QVObjectTrackTest, SettersClampAndStampRealChangesOnly)
{
    TrackPtr track = NewTrack();
    track->SetModified(false);
    unsigned int const stamp = track->GetTrackStamp();
    EXPECT_TRUE(track->SetUserTrackVolume(-6.0));
    EXPECT_FALSE(track->SetUserTrackVolume(-6.0));
    EXPECT_EQ(track->GetTrackStamp(), stamp + 1);
    EXPECT_TRUE(track->IsModified());
    EXPECT_NEAR(track->GetUserTrackGain(), std::pow(10.0, -0.3), 1e-12);

    EXPECT_TRUE(track->SetUserTrackVolume(40.0));
    EXPECT_EQ(track->GetUserTrackVolume(), 12.0);
    EXPECT_TRUE(track->SetUserTrackVolume(-100.0));
    EXPECT_EQ(track->GetUserTrackGain(), 0.0);
    EXPECT_TRUE(track->SetUserTrackGain(9.0));
    EXPECT_EQ(track->GetUserTrackGain(), 4.0);
    EXPECT_NEAR(track->GetUserTrackVolume(), 20.0 * std::log10(4.0), 1e-12);  // not clamped
    EXPECT_FALSE(track->SetUserTrackGain(std::nan("")));
    EXPECT_TRUE(track->SetUserRouteOffset(99));
    EXPECT_EQ(track->GetUserRouteOffset(), 15u);
    EXPECT_TRUE(track->SetUserRouteMixIn(false));
    EXPECT_FALSE(track->SetUserRouteMixIn(false));
    EXPECT_TRUE(track->SetUserRouteFillOut(false));
    EXPECT_EQ(track->GetUserRouteOptions(), 0x4u);
}

TEST_F(QVObjectTrackTest, NamesAndLinks)
{
    TrackPtr track = NewTrack();
    bool editable = true;
    EXPECT_EQ(track->GetFLDynamicName(false, &editable), AKString("Track 0"));
    EXPECT_FALSE(editable);
    AKObject* sequence = AKNew<TrackTestSequence>("%s", "");
    track->SynchronizeFLFastLinks(sequence, 3);
    EXPECT_EQ(track->GetFLParentSequence(), sequence);
    EXPECT_EQ(track->GetFLDynamicName(false, nullptr), AKString("Track 3"));
    track->akmSetName(AKString("Voice"), false);
    EXPECT_EQ(track->GetFLDynamicName(false, nullptr), AKString("Voice"));
    EXPECT_EQ(track->GetFLDynamicName(true, nullptr), AKString("Track 3"));
    TrackPtr other = NewTrack();
    track->SynchronizeFLFastLinks(other.get(), 1);
    EXPECT_EQ(track->GetFLParentSequence(), nullptr);
    AKClass::DeleteObject(sequence);

    ATObjectArray<QVObjectTrack> tracks;
    EXPECT_EQ(QVObjectTrackArray_GetUnionTimeIntv(tracks).end, 0.0);
    TrackPtr longer = TrackOf({1, 2, 3});
    tracks.Push(track.get());
    tracks.Push(longer.get());
    EXPECT_EQ(QVObjectTrackArray_GetUnionTimeIntv(tracks).end, 6.0);
}

TEST_F(QVObjectTrackTest, ReadingSide)
{
    TrackPtr track = TrackOf({1, 2, 3});
    unsigned int index = 99;
    EXPECT_TRUE(track->BSearchTrackZone(2.5, 1, &index, false));
    EXPECT_EQ(index, 1u);
    EXPECT_TRUE(track->BSearchTrackZone(4.5, 0, &index, false));  // a wrong hint
    EXPECT_EQ(index, 2u);
    EXPECT_FALSE(track->BSearchTrackZone(9.0, 7, &index, false));

    ATNumberArray<unsigned char, unsigned char, 0> flags;
    flags.SetCount(3);
    for (unsigned int i = 0; i < flags.Count(); ++i)
        flags[i] = 0;
    track->GrabActiveProviders(&flags);
    EXPECT_EQ(flags[0], 0);
    EXPECT_EQ(flags[1], 1);
    EXPECT_EQ(flags[2], 1);
    // The displays read the live copy; sounds that are missing draw flat.
    QVEnvelopeLowHelpers::Points<double> waveform;
    QVEnvelopeLowHelpers::Points<double> envelope;
    EXPECT_TRUE(track->ComputeOneChannelEnvelope<double>(&waveform, &envelope, 0, 0, {0.0, 6.0}, 100.0));
    EXPECT_FALSE(track->ComputeOneChannelEnvelope<double>(&waveform, &envelope, 0, 0, {0.0, 6.0}, 0.0));
    QVEnvelopeLowHelpers::Points<float> floats;
    QVEnvelopeLowHelpers::Points<float> floatEnvelope;
    EXPECT_TRUE(track->ComputeOneChannelEnvelope<float>(&floats, &floatEnvelope, 0, 0, {0.0, 6.0}, 100.0, 1, 2));

    ATNumberArray<unsigned char, unsigned char, 0> one;
    one.SetCount(1);
    one[0] = 0;
    track->GrabActiveProviders(&one);
    EXPECT_EQ(one[0], 0);
}

TEST_F(QVObjectTrackTest, SoundsMakeWholeZonesAndAreRecognised)
{
    gQVLib.SetupFromParametersString("");  // loads at once
    TempFolder folder;
    SoundRecipe recipe;
    recipe.frames = 44100;  // 1 s
    ASSERT_TRUE(WriteSoundFile(folder.File("a.wav"), recipe));
    SoundRecipe wide = recipe;
    wide.channels = 10;
    ASSERT_TRUE(WriteSoundFile(folder.File("wide.wav"), wide));
    AKFilePath const path = EnginePath(folder.File("a.wav"));

    TrackPtr track = NewTrack();
    QVProvider* provider = nullptr;
    AKString name;
    track->InitWithSound(path, &provider, &name);
    ASSERT_NE(provider, nullptr);
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 1.0);
    EXPECT_EQ(track->GetChannelCount(), 2u);
    EXPECT_TRUE(track->ContainsUniqueProvider(nullptr, nullptr, true));

    // Already the whole sound: nothing to do.
    EXPECT_FALSE(track->ReinitWithSound(path, nullptr, nullptr));
    // Trimmed: initialised again.
    ASSERT_TRUE(track->DoTrackPartDelete({0.5, 1.0}));
    EXPECT_FALSE(track->ContainsUniqueProvider(nullptr, nullptr, true));
    EXPECT_TRUE(track->ContainsUniqueProvider(nullptr, nullptr, false));
    EXPECT_TRUE(track->ReinitWithSound(path, nullptr, nullptr));
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 1.0);

    // [0, 0] is the whole sound; a time below 0 the end of the track.
    EXPECT_TRUE(track->InsertSound(path, {0.0, 0.0}, -1.0));
    EXPECT_DOUBLE_EQ(track->GetTrackTimeIntv().end, 2.0);
    EXPECT_TRUE(track->InsertSound(path, {0.5, 0.25}, 0.0));  // reversed part
    EXPECT_TRUE(track->GetTrackZones()[0].IsReversed());
    EXPECT_FALSE(track->InsertSound(AKFilePath(), {0.0, 0.0}, 0.0));

    TrackPtr byID = NewTrack();
    byID->InitWithProvider(provider->GetID(), nullptr, &name);
    EXPECT_TRUE(byID->ContainsUniqueProvider(nullptr, nullptr, true));
    byID->InitWithProvider(provider->GetID() + 100, &provider, &name);
    EXPECT_TRUE(byID->GetTrackZones().IsEmpty());
    EXPECT_EQ(provider, nullptr);
    EXPECT_TRUE(name.IsEmpty());

    TrackPtr many = NewTrack();
    many->InitWithSound(EnginePath(folder.File("wide.wav")), nullptr, nullptr);
    EXPECT_EQ(many->GetUserRouteOptions() & 0x14u, 0x14u);

    TrackPtr random = NewTrack();
    random->InitWithRandom();
    EXPECT_GE(random->GetTrackZones().Count(), 1u);
    EXPECT_LE(random->GetTrackZones().Count(), 80u);
    EXPECT_TRUE(CopiesAgree(*random));
}

// --- Persistent forms ---

class RenumContext : public AKContextObject
{
public:
    RenumContext() : AKContextObject(nullptr) {}
    QVProviderRenum mRenum;
};

QVProviderRenum const* RenumOf(AKContextObject const* context)
{
    RenumContext const* renum = dynamic_cast<RenumContext const*>(context);
    return renum != nullptr ? &renum->mRenum : nullptr;
}

TrackPtr SavedTrack()
{
    TrackPtr track = TrackOf({4, 0, 5});
    track->DoTrackPartScale({4.0, 6.0}, -1.5);
    track->SetUserTrackVolume(-3.5);
    track->SetUserRouteOffset(2);
    track->SetUserRouteMixIn(false);
    track->SetUserUIColorLabel(3);
    track->akmSetName(AKString("Saved"), false);
    return track;
}

TEST_F(QVObjectTrackTest, FileFormRoundTripsByteForByte)
{
    TrackPtr track = SavedTrack();
    std::vector<unsigned char> const first = FileFormOf(track.get());
    TrackPtr loaded = TrackFromFileForm(first);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(FileFormOf(loaded.get()), first);
    EXPECT_EQ(IDsOf(*loaded), IDsOf(*track));
    EXPECT_DOUBLE_EQ(loaded->GetUserTrackVolume(), -3.5);
    EXPECT_EQ(loaded->GetUserRouteOffset(), 2u);
    EXPECT_FALSE(loaded->GetUserRouteMixIn());
    EXPECT_DOUBLE_EQ(loaded->GetTrackTimeIntv().end, track->GetTrackTimeIntv().end);
    EXPECT_TRUE(CopiesAgree(*loaded));
}

TEST_F(QVObjectTrackTest, ReinitialisedInPlaceTakesStateAndZones)
{
    std::vector<unsigned char> const bytes = FileFormOf(SavedTrack().get());
    TrackPtr track = TrackOf({9});
    track->SetUserTrackVolume(-20.0);
    track->SetUserUIOpened(false);
    unsigned int const stamp = track->GetTrackStamp();
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    file.Write(bytes.data(), bytes.size());
    file.SetPos(0);
    ASSERT_EQ(AKClass::ReinitObjectFromFile(track.get(), file), 0);
    EXPECT_EQ(track->GetUserTrackVolume(), -3.5);
    EXPECT_DOUBLE_EQ(track->GetUserTrackGain(), QVTrackGainFromVolume(-3.5));
    EXPECT_EQ(track->GetUserRouteOffset(), 2u);
    EXPECT_FALSE(track->GetUserRouteMixIn());
    EXPECT_NE(track->GetTrackStamp(), stamp);
    EXPECT_EQ(track->GetUIColorLabel(), 3u);
    EXPECT_FALSE(track->IsUIOpened()) << "the view's opened flag stays";
    EXPECT_EQ(IDsOf(*track), (std::vector<QVProviderID>{4, 0, 5}));
    EXPECT_TRUE(CopiesAgree(*track));
}

TEST_F(QVObjectTrackTest, LogInfoTables)
{
    TrackPtr track = SavedTrack();
    LogCapture log;
    track->LogInfo(0);
    track->LogInfo(1);
    std::string all;
    for (std::string const& line : log.Lines())
        all += line;
    EXPECT_NE(all.find("| Track \"Saved\" (3 zones with 0 channels of 7.000 seconds)\n"), std::string::npos) << all;
    EXPECT_NE(all.find("|  Zone  | Src.ID |  Src.Beg   |  Src.Dur   |   Scale    |  Loc.Beg   |  Loc.Dur   |\n"),
              std::string::npos);
    EXPECT_NE(all.find("|      2 | x 0005 |      0.000 |      2.000 |     -1.500 |      4.000 |      3.000 |\n"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("|        |        |            |            |            |      7.000 |            |\n"),
              std::string::npos);
}

TEST_F(QVObjectTrackTest, DictionaryFormRoundTrips)
{
    TrackPtr track = SavedTrack();
    AKDictionary first;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(track.get(), first), 0);
    AKDictionary const& state = AKValueGetasAKDictionary(first.GetValue("State"));
    EXPECT_DOUBLE_EQ(AKValueGetasFloat64(state.GetValue("Volume"), false), -3.5);
    EXPECT_EQ(AKValueGetasUInt(state.GetValue("RouteOffset"), false), 2u);
    EXPECT_EQ(AKValueGetasAKValueArray(first.GetValue("Zones")).Count(), 3u);

    AKObject* object = AKClass::NewObjectFromDictionary(nullptr, first);
    TrackPtr loaded(dynamic_cast<QVObjectTrack*>(object));
    ASSERT_NE(loaded, nullptr);
    AKDictionary second;
    ASSERT_EQ(AKClass::WriteObjectToDictionary(loaded.get(), second), 0);
    EXPECT_TRUE(second == first);
    EXPECT_EQ(FileFormOf(loaded.get()), FileFormOf(track.get()));

    // Out-of-range state is clamped; no "Zones" keeps the content.
    AKDictionary odd;
    AKDictionary oddState;
    oddState.SetValue("Volume", AKValueSetasFloat64(99.0));
    oddState.SetValue("RouteOffset", AKValueSetasUInt(40));
    odd.SetValue("State", AKValueSetasAKDictionary(oddState));
    ASSERT_EQ(loaded->akmInitFromDictionary(odd), 0);
    EXPECT_EQ(loaded->GetUserTrackVolume(), 12.0);
    EXPECT_EQ(loaded->GetUserRouteOffset(), 15u);
    EXPECT_EQ(IDsOf(*loaded), IDsOf(*track));
}

TEST_F(QVObjectTrackTest, CorruptAndHugeZoneCountsAreRefused)
{
    TrackPtr track = SavedTrack();
    std::vector<unsigned char> const bytes = FileFormOf(track.get());
    // The zone count sits 3 records of 28 bytes and 4 bytes before the end.
    size_t const countAt = bytes.size() - 3 * 28 - 4;
    for (unsigned int count : {4u, 0x00FFFFFFu, 0xFFFFFFFFu}) {
        std::vector<unsigned char> corrupt = bytes;
        corrupt[countAt] = static_cast<unsigned char>(count);
        corrupt[countAt + 1] = static_cast<unsigned char>(count >> 8);
        corrupt[countAt + 2] = static_cast<unsigned char>(count >> 16);
        corrupt[countAt + 3] = static_cast<unsigned char>(count >> 24);
        EXPECT_EQ(TrackFromFileForm(corrupt), nullptr) << count;
    }
    for (size_t size = 0; size < bytes.size(); size += 7)
        EXPECT_EQ(TrackFromFileForm(std::vector<unsigned char>(bytes.begin(), bytes.begin() + size)), nullptr) << size;
}

TEST_F(QVObjectTrackTest, RenumberingIgnoresSilenceAndWarnsOnUnknownSounds)
{
    QVObjectTrack::SetProviderRenumOfContext(&RenumOf);
    RenumContext context;
    context.mRenum.AddEntry(4, 40);
    context.mRenum.AddEntry(5, 50);
    std::vector<unsigned char> const bytes = FileFormOf(SavedTrack().get());
    {
        LogCapture log;
        TrackPtr loaded = TrackFromFileForm(bytes, &context);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(IDsOf(*loaded), (std::vector<QVProviderID>{40, 0, 50}));
        EXPECT_TRUE(log.Lines().empty());
    }
    {
        RenumContext partial;
        partial.mRenum.AddEntry(4, 40);
        LogCapture log;
        TrackPtr loaded = TrackFromFileForm(bytes, &partial);
        ASSERT_NE(loaded, nullptr);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find("kQVWarningTrackZoneInvalidProviderIDs"), std::string::npos);
    }
    QVObjectTrack::SetProviderRenumOfContext(nullptr);
}

}  // namespace
