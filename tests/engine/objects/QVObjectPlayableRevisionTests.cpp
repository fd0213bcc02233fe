// Undo and redo of a recorded revision of a playable's settings: the
// history re-reads the object from its binary snapshots in place, and every
// setting, the dictionary form and the binary form must come back to the
// state of each step. Recorded as the command handler does: the object is
// changed first, then revised inside a group.

#include "AKClass.h"
#include "AKFile.h"
#include "AKTree.h"
#include "QVCommandInfo.h"
#include "QVDocumentTreeGuard.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

QVCommandInfo const kCommand(8310, "Change Setting");

using Bytes = std::vector<unsigned char>;

// The gain is stored as its volume and recomputed on reading, so a gain
// set directly comes back within rounding.
bool SameGain(double a, double b) { return std::fabs(a - b) <= 1e-12 * std::fmax(1.0, std::fabs(b)); }

// Every user setting and the playback head, as one comparable value.
struct Settings {
    bool play, loop, stated, mute, solo, active;
    double volume, gain, panora, fadio, speed, speedWow, speedSubx, phase, time, span;
    AKString name;

    static Settings Of(QVObjectPlayable const& p)
    {
        return {p.IsUserPlay(),   p.IsUserLoop(),      p.IsUserStated(),     p.IsUserMute(),    p.IsUserSolo(),
                p.IsRActive(),    p.GetUserVolume(),   p.GetUserGain(),      p.GetUserPanora(), p.GetUserFadio(),
                p.GetUserSpeed(), p.GetUserSpeedWow(), p.GetUserSpeedSubx(), p.GetUserPhase(),  p.GetUserTime(),
                p.GetUserSpan(),  p.akmGetName()};
    }
    bool operator==(Settings const& o) const
    {
        return play == o.play && loop == o.loop && stated == o.stated && mute == o.mute && solo == o.solo &&
               active == o.active && volume == o.volume && SameGain(gain, o.gain) && panora == o.panora &&
               fadio == o.fadio && speed == o.speed && speedWow == o.speedWow && speedSubx == o.speedSubx &&
               phase == o.phase && time == o.time && span == o.span && name == o.name;
    }
};

std::ostream& operator<<(std::ostream& out, Settings const& s)
{
    return out << "play " << s.play << " loop " << s.loop << " stated " << s.stated << " mute " << s.mute << " solo "
               << s.solo << " active " << s.active << " volume " << s.volume << " gain " << s.gain << " panora "
               << s.panora << " fadio " << s.fadio << " speed " << s.speed << " wow " << s.speedWow << " subx "
               << s.speedSubx << " phase " << s.phase << " time " << s.time << " span " << s.span << " name "
               << s.name.c_str();
}

// The object's settings with both persistent forms.
struct Snapshot {
    Settings settings;
    AKDictionary dictionary;
    Bytes binary;
};

Snapshot Take(QVObjectPlayable const& playable)
{
    Snapshot snapshot{Settings::Of(playable), {}, {}};
    EXPECT_EQ(AKClass::WriteObjectToDictionary(&playable, snapshot.dictionary), 0);
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(&playable, file), 0);
    unsigned long long size = 0;
    file.GetPos(&size);
    snapshot.binary.resize(size);
    file.SetPos(0);
    if (size != 0)
        file.Read(snapshot.binary.data(), size);
    return snapshot;
}

void ExpectSame(Snapshot const& now, Snapshot const& expected, char const* when)
{
    EXPECT_EQ(now.settings, expected.settings) << when;
    EXPECT_TRUE(now.dictionary == expected.dictionary) << when << ": dictionary form differs";
    EXPECT_TRUE(now.binary == expected.binary) << when << ": binary form differs";
}

struct SettingCase {
    char const* name;
    std::function<bool(QVObjectPlayable&)> change;
};

std::ostream& operator<<(std::ostream& out, SettingCase const& c) { return out << c.name; }

SettingCase const kCases[] = {
    {"Loop", [](QVObjectPlayable& p) { return p.SetUserLoop(2); }},
    {"Stated", [](QVObjectPlayable& p) { return p.SetUserStated(2); }},
    {"Mute", [](QVObjectPlayable& p) { return p.SetUserMute(1); }},
    {"Solo", [](QVObjectPlayable& p) { return p.SetUserSolo(1); }},
    {"Volume", [](QVObjectPlayable& p) { return p.SetUserVolume(-12.5); }},
    {"Gain", [](QVObjectPlayable& p) { return p.SetUserGain(0.25); }},
    {"Panora", [](QVObjectPlayable& p) { return p.SetUserPanora(-0.75); }},
    {"Fadio", [](QVObjectPlayable& p) { return p.SetUserFadio(0.4); }},
    {"Speed", [](QVObjectPlayable& p) { return p.SetUserSpeed(-2.0); }},
    {"SpeedWow", [](QVObjectPlayable& p) { return p.SetUserSpeedWow(0.3); }},
    {"SpeedSubx", [](QVObjectPlayable& p) { return p.SetUserSpeedSubx(1.5); }},
    {"Phase", [](QVObjectPlayable& p) { return p.SetUserPhase(0.8); }},
    {"Name", [](QVObjectPlayable& p) { return p.akmSetName(AKString("Renamed"), false); }},
    {"LoopVolumeAndPan",
     [](QVObjectPlayable& p) {
         bool const loop = p.SetUserLoop(2);
         bool const volume = p.SetUserVolume(-6.0);
         return p.SetUserPanora(0.5) && loop && volume;
     }},
};

// Which object of the document is revised.
enum class Target { Sequence, SinglePlayer, PlayerOfSequence };

std::ostream& operator<<(std::ostream& out, Target t)
{
    return out << (t == Target::Sequence       ? "Sequence"
                   : t == Target::SinglePlayer ? "SinglePlayer"
                                               : "PlayerOfSequence");
}

class PlayableRevision : public ::testing::TestWithParam<std::tuple<Target, SettingCase>>
{
protected:
    void SetUp() override
    {
        mTree = std::make_unique<AKTree>(0);
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "Intro", {SeqNode("track", nullptr), SeqNode("atomic", "Lead")}),
                         SeqNode("sequenc", "Outro", {SeqNode("track", nullptr)})},
                        {SeqNode("atomic", "Free")});
        ASSERT_EQ(mTree->InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        mHandler = std::make_unique<QVTreeHandler>(mTree.get(), &mGuard);
        mHandler->SynchronizeFLFastLinks();
        ASSERT_EQ(mHandler->ReopenHistory(), 0);
    }
    void TearDown() override
    {
        mHandler.reset();
        mTree.reset();
    }

    QVObjectPlayable* Find(Target target) const
    {
        char const* const name = target == Target::Sequence       ? "Intro"
                                 : target == Target::SinglePlayer ? "Free"
                                                                  : "Lead";
        for (AKNode* node : mTree->GetNodes()) {
            AKObject* const object = node->GetObject();
            if (object != nullptr && object->IsKindOfT<QVObjectPlayable>() && object->akmGetName() == AKString(name))
                return static_cast<QVObjectPlayable*>(object);
        }
        return nullptr;
    }

    // Changed first, recorded after, as the command handler does.
    void ChangeAndRecord(QVObjectPlayable* playable, SettingCase const& setting)
    {
        ASSERT_TRUE(setting.change(*playable)) << "the case changes nothing";
        ASSERT_EQ(mHandler->DoEasyStart(kCommand, nullptr), 0);
        AKObject* object = playable;
        EXPECT_EQ(mHandler->DoEasyReviseObject(&object, kAKNullDictionary, false), 0);
        mHandler->DoEasyEnd();
        mHandler->SynchronizeFLFastLinks();
    }

    void Undo()
    {
        ASSERT_TRUE(mHandler->CanUndo(nullptr, nullptr));
        AKTreeActionParam param(mTree.get());
        ASSERT_EQ(mHandler->DoUndo(param), 0);
        mHandler->SynchronizeFLFastLinks();
    }

    void Redo()
    {
        ASSERT_TRUE(mHandler->CanRedo(nullptr, nullptr));
        AKTreeActionParam param(mTree.get());
        ASSERT_EQ(mHandler->DoRedo(param), 0);
        mHandler->SynchronizeFLFastLinks();
    }

    std::unique_ptr<AKTree> mTree;
    QVDocumentTreeGuard mGuard;
    std::unique_ptr<QVTreeHandler> mHandler;
};

TEST_P(PlayableRevision, UndoAndRedoRestoreEveryForm)
{
    Target const target = std::get<0>(GetParam());
    SettingCase const& setting = std::get<1>(GetParam());
    QVObjectPlayable* const playable = Find(target);
    ASSERT_NE(playable, nullptr);

    Snapshot const before = Take(*playable);
    ChangeAndRecord(playable, setting);
    if (HasFatalFailure())
        return;
    Snapshot const after = Take(*playable);
    ASSERT_FALSE(after.settings == before.settings);

    Undo();
    ExpectSame(Take(*playable), before, "after undo");
    Redo();
    ExpectSame(Take(*playable), after, "after redo");
    Undo();
    ExpectSame(Take(*playable), before, "after a second undo");
}

INSTANTIATE_TEST_SUITE_P(Settings, PlayableRevision,
                         ::testing::Combine(::testing::Values(Target::Sequence, Target::SinglePlayer,
                                                              Target::PlayerOfSequence),
                                            ::testing::ValuesIn(kCases)),
                         [](::testing::TestParamInfo<std::tuple<Target, SettingCase>> const& info) {
                             std::ostringstream out;
                             out << std::get<0>(info.param) << "_" << std::get<1>(info.param).name;
                             return out.str();
                         });

// Two revisions of one object in a row: each undo lands on the settings of
// the step before it, not on the first snapshot.
TEST_F(PlayableRevision, SuccessiveRevisionsUndoStepByStep)
{
    QVObjectPlayable* const sequence = Find(Target::Sequence);
    ASSERT_NE(sequence, nullptr);
    Snapshot const start = Take(*sequence);
    ChangeAndRecord(sequence, {"Loop", [](QVObjectPlayable& p) { return p.SetUserLoop(2); }});
    Snapshot const looped = Take(*sequence);
    ChangeAndRecord(sequence, {"Volume", [](QVObjectPlayable& p) { return p.SetUserVolume(-20.0); }});
    Snapshot const quieter = Take(*sequence);

    Undo();
    ExpectSame(Take(*sequence), looped, "first undo");
    Undo();
    ExpectSame(Take(*sequence), start, "second undo");
    Redo();
    ExpectSame(Take(*sequence), looped, "first redo");
    Redo();
    ExpectSame(Take(*sequence), quieter, "second redo");
}

// Undo brings the settings back but leaves the playback head where the
// transport has since taken it.
TEST_F(PlayableRevision, UndoKeepsThePlaybackHead)
{
    QVObjectPlayable* const player = Find(Target::SinglePlayer);
    ASSERT_NE(player, nullptr);
    bool const looped = player->IsUserLoop();
    ChangeAndRecord(player, {"Loop", [](QVObjectPlayable& p) { return p.SetUserLoop(2); }});
    ASSERT_TRUE(player->SetUserPlay(1));
    Undo();
    EXPECT_EQ(player->IsUserLoop(), looped);
    EXPECT_TRUE(player->IsUserPlay());
}

// A solo brought back or taken away by the history moves the parent's
// count of soloed subs like the setter, so the siblings' active flags follow.
TEST_F(PlayableRevision, UndoOfSoloUpdatesTheSiblings)
{
    QVObjectPlayable* const intro = Find(Target::Sequence);
    ASSERT_NE(intro, nullptr);
    QVObjectPlayable* outro = nullptr;
    for (AKNode* node : mTree->GetNodes())
        if (node->GetObject() != nullptr && node->GetObject()->akmGetName() == AKString("Outro"))
            outro = static_cast<QVObjectPlayable*>(node->GetObject());
    ASSERT_NE(outro, nullptr);
    ChangeAndRecord(intro, {"Solo", [](QVObjectPlayable& p) { return p.SetUserSolo(1); }});
    EXPECT_FALSE(outro->IsRActive());
    Undo();
    EXPECT_FALSE(intro->IsUserSolo());
    EXPECT_TRUE(outro->IsRActive());
    Redo();
    EXPECT_TRUE(intro->IsUserSolo());
    EXPECT_FALSE(outro->IsRActive());
}

}  // namespace
