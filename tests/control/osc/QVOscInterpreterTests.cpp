// The "/quorvex" interpreter: parameters of players, sequences and tracks by
// node ID and name path, selections, presets, plug-in sections, dump replies,
// bundles and malformed packets, with the status and log line of each
// failure.

#include "LogCapture.h"
#include "QVOscEngineFixture.h"
#include "QVOscGandler.h"
#include "QVOscInterpreter.h"
#include "QVOscReceiverLibext.h"

#include <algorithm>
#include <cmath>

using namespace osctest;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

bool HasLine(LogCapture const& log, std::string const& text)
{
    for (std::string const& line : log.Lines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// A document with the sequence "Intro" (one track, a single player and a
// multi-player of two subs) and the sequence "Outro" (one track, no player).
class QVOscInterpreterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mIntro = mDoc.NewSequence("Intro", &mTrack);
        mSingle = mDoc.NewPlayer(mIntro);
        mMulti = mDoc.NewPlayer(mIntro, 2);
        mOutro = mDoc.NewSequence("Outro");
        ASSERT_NE(mIntro, nullptr);
        ASSERT_NE(mSingle, nullptr);
        ASSERT_NE(mMulti, nullptr);
    }

    // The statuses of the packet's "/quorvex" messages.
    std::vector<int> Run(std::string const& packet, bool* parsed = nullptr)
    {
        std::vector<int> statuses;
        bool const ok = QVOscInterpreter(mSender).InterpretPacket(packet.data(), int(packet.size()), &statuses);
        if (parsed != nullptr)
            *parsed = ok;
        return statuses;
    }
    int RunOne(std::string const& packet)
    {
        std::vector<int> const statuses = Run(packet);
        EXPECT_EQ(statuses.size(), 1u);
        return statuses.empty() ? 0 : statuses.front();
    }
    std::vector<std::vector<std::string>> Replies() const
    {
        std::vector<std::vector<std::string>> replies;
        for (std::string const& packet : mSender.Packets())
            replies.push_back(ReplyArguments(packet));
        return replies;
    }

    ActiveDocument mDoc;
    QVObjectSequence* mIntro = nullptr;
    QVObjectSequence* mOutro = nullptr;
    QVObjectTrack* mTrack = nullptr;
    QVObjectPlayable* mSingle = nullptr;
    QVObjectPlayable* mMulti = nullptr;
    RecordingSender mSender;
    LogCapture mLog;
};

}  // namespace

TEST_F(QVOscInterpreterTest, SetsParametersInOrderByIDAndByNamePath)
{
    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "play")), 0);
    EXPECT_TRUE(mSingle->IsUserPlay()) << "a toggle flag without value toggles";
    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "play")), 0);
    EXPECT_FALSE(mSingle->IsUserPlay());

    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "play", 1, "volume", -6.0)), 0);
    EXPECT_TRUE(mSingle->IsUserPlay());
    EXPECT_DOUBLE_EQ(mSingle->GetUserVolume(), -6.0);

    // Name paths: the sequence, its second player, that player's first sub.
    EXPECT_EQ(RunOne(Quorvex("sequence", ":Intro", "gain", 0.5f)), 0);
    EXPECT_DOUBLE_EQ(mIntro->GetUserGain(), 0.5);
    EXPECT_EQ(RunOne(Quorvex("player", ":Intro:2", "panora", -0.25)), 0);
    EXPECT_DOUBLE_EQ(mMulti->GetUserPanora(), -0.25);
    QVObjectPlayable* const sub = static_cast<QVObjectCursor*>(mMulti)->GetFLSubAtomics()[0];
    EXPECT_EQ(RunOne(Quorvex("player", ":Intro:2:1", "mute", true)), 0);
    EXPECT_TRUE(sub->IsUserMute());

    // Tracks take their own group's keys; an int32 is a real value too.
    EXPECT_EQ(RunOne(Quorvex("track", IDOf(mTrack), "volume", -3)), 0);
    EXPECT_DOUBLE_EQ(mTrack->GetUserTrackVolume(), -3.0);
    EXPECT_EQ(RunOne(Quorvex("track", ":Intro:1", "gain", 2.0)), 0);
    EXPECT_DOUBLE_EQ(mTrack->GetUserTrackGain(), 2.0);

    // An int64 reference keeps its low 32 bits.
    EXPECT_EQ(RunOne(Quorvex("player", osc::int64((int64_t(7) << 32) | IDOf(mSingle)), "speed", 2.0)), 0);
    EXPECT_DOUBLE_EQ(mSingle->GetUserSpeed(), 2.0);
    EXPECT_TRUE(mLog.Lines().empty());
}

TEST_F(QVOscInterpreterTest, RefusesBadMessagesWithTheirStatusAndLine)
{
    int const single = IDOf(mSingle);
    struct Case {
        char const* what;
        std::string packet;
        int status;
        std::string line;  // "" for none
    };
    std::vector<Case> const cases = {
        {"flag without toggle", Quorvex("player", single, "loop"), -1989,
         "OSC Argument <loop> has not the expected type"},
        {"flag of 5", Quorvex("player", single, "mute", 5), -1989, "OSC Argument <mute> has not the expected type"},
        {"text for a real", Quorvex("player", single, "volume", "loud"), -1989,
         "OSC Argument <volume> has not the expected type"},
        {"missing real", Quorvex("player", single, "volume"), -1989, "OSC Argument <volume> has not the expected type"},
        {"unknown key", Quorvex("player", single, "bogus", 1), -1990, "OSC Unexpected argument <bogus>"},
        {"track key on a player", Quorvex("player", single, "mixIn", 1), -1990, "OSC Unexpected argument <mixIn>"},
        {"pair not starting with a text", Quorvex("player", single, 7), -1, ""},
        {"no reference", Quorvex("player"), -1986, "OSC Too few argument"},
        {"mistyped reference", Quorvex("player", 3.5f), -1986, "OSC Argument <not_string> has not the expected type"},
        {"unknown ID", Quorvex("player", 99999, "play"), -1985, "OSC No object of needed type at ID[99999]"},
        {"sequence as player", Quorvex("player", IDOf(mIntro), "play"), -1985, "OSC No object of needed type at ID["},
        {"unknown path", Quorvex("sequence", ":Nowhere", "play"), -1985,
         "OSC No object of needed type at ID[:Nowhere]"},
        {"integer first", Quorvex(5), -1990, "OSC Unexpected argument <not_string>"},
        {"unknown section", Quorvex("players", single), -1990, "OSC Unexpected argument <players>"},
        {"dump without type", Quorvex("player", single, "dump"), -1988, "OSC Too few argument"},
        {"dump of a number", Quorvex("player", single, "dump", 1), -1989,
         "OSC Argument <not_string> has not the expected type"},
    };
    for (Case const& c : cases) {
        mLog.Clear();
        EXPECT_EQ(RunOne(c.packet), c.status) << c.what;
        if (!c.line.empty())
            EXPECT_TRUE(HasLine(mLog, c.line)) << c.what;
        else
            EXPECT_TRUE(mLog.Lines().empty()) << c.what;
    }
    // "no reference" logs the missing value and then the missing reference.
    mLog.Clear();
    RunOne(Quorvex("player", 3.5f));
    EXPECT_TRUE(HasLine(mLog, "OSC Object ID is not defined"));
    EXPECT_TRUE(mSingle->IsUserLoop()) << "a refused flag keeps its value";
}

TEST_F(QVOscInterpreterTest, OtherAddressesAndNoDocumentDoNothingSilently)
{
    for (char const* address : {"/other", "/quorvex/seq", "/quorvexx", "/quorve"})
        EXPECT_TRUE(Run(Packet().To(address, "player", IDOf(mSingle), "play").Bytes()).empty()) << address;
    EXPECT_FALSE(mSingle->IsUserPlay());

    QVDocumentMgr::sShared.SetActiveDocument(nullptr);
    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "play")), -1987);
    EXPECT_EQ(RunOne(Quorvex("dump")), -1987);
    EXPECT_FALSE(mSingle->IsUserPlay());
    EXPECT_TRUE(mLog.Lines().empty());
    EXPECT_TRUE(mSender.Packets().empty());
    QVDocumentMgr::sShared.SetActiveDocument(&mDoc.Get());
}

TEST_F(QVOscInterpreterTest, SelectionsSetTimeAndSpanWithOrderedBounds)
{
    struct Case {
        char const* what;
        std::string packet;
        double time;
        double span;
    };
    std::string const ref(":Intro");
    // Each starts from the interval [1, 3] (time 2, span 2).
    std::vector<Case> const cases = {
        {"begin and negative duration", Quorvex("selection", ref.c_str(), "begin", 2.0, "duration", -1.0), 2, 0},
        {"begin and end", Quorvex("selection", ref.c_str(), "begin", 4.0, "end", 8.0), 6, 4},
        {"begin after end", Quorvex("selection", ref.c_str(), "begin", 5.0, "end", 2.0), 3.5, 3},
        {"begin past the current end", Quorvex("selection", ref.c_str(), "begin", 4.0), 3.5, 1},
        {"end alone", Quorvex("selection", ref.c_str(), "end", 6.0), 3.5, 5},
        {"end and duration", Quorvex("selection", ref.c_str(), "end", 5.0, "duration", 2.0), 4, 2},
        {"center and duration", Quorvex("selection", ref.c_str(), "center", 5.0, "duration", 1.0), 5, 1},
        {"center alone", Quorvex("selection", ref.c_str(), "center", 10.0), 10, 2},
        {"duration alone", Quorvex("selection", ref.c_str(), "duration", 4.0), 2, 4},
        {"move", Quorvex("selection", ref.c_str(), "move", 1.5), 3.5, 2},
        {"none", Quorvex("selection", ref.c_str(), "none"), 0, 0},
        {"value repeated", Quorvex("selection", IDOf(mIntro), "begin", 7.0, "begin", 1.0, "end", 9.0), 5, 8},
    };
    for (Case const& c : cases) {
        mIntro->LowSetUserTimeAndSpan(2.0, 2.0, false);
        EXPECT_EQ(RunOne(c.packet), 0) << c.what;
        EXPECT_NEAR(mIntro->GetUserTime(), c.time, 1e-9) << c.what;
        EXPECT_NEAR(mIntro->GetUserSpan(), c.span, 1e-9) << c.what;
    }
    // On a sequence whose span is 0 a move shifts the point from 0.
    mIntro->LowSetUserTimeAndSpan(2.0, 0.0, false);
    EXPECT_EQ(RunOne(Quorvex("selection", ":Intro", "move", 1.5)), 0);
    EXPECT_NEAR(mIntro->GetUserTime(), 1.5, 1e-9);
    EXPECT_NEAR(mIntro->GetUserSpan(), 0.0, 1e-9);
}

TEST_F(QVOscInterpreterTest, KeyedSectionsApplyNothingWhenAValueFails)
{
    mIntro->LowSetUserTimeAndSpan(2.0, 2.0, false);
    struct Case {
        char const* what;
        std::string packet;
        int status;
        std::string line;
    };
    int const intro = IDOf(mIntro);
    std::vector<Case> const cases = {
        {"missing value", Quorvex("selection", intro, "begin", 5.0, "end"), -1988, "OSC Too few argument"},
        {"text value", Quorvex("selection", intro, "begin", "x"), -1989, "OSC Argument <x> has not the expected type"},
        {"mistyped reference", Quorvex("selection", 2.5f, "begin", 1.0), -1989,
         "OSC Argument <not_string> has not the expected type"},
        // A text after the section key is taken as a name path.
        {"key as reference", Quorvex("selection", "begin", 1.0), -1990, "OSC Unexpected argument <not_string>"},
        {"reference key without value", Quorvex("presets", intro, "save", 1, "presets"), -1988, "OSC Too few argument"},
        {"player as sequence", Quorvex("selection", IDOf(mSingle), "begin", 1.0), -1985,
         "OSC No object of needed type at ID["},
        {"unknown key", Quorvex("selection", intro, "start", 1.0), -1990, "OSC Unexpected argument <start>"},
        {"presets unknown key", Quorvex("presets", intro, "store", 1), -1990, "OSC Unexpected argument <store>"},
        {"presets real for integer", Quorvex("presets", intro, "save", 1.5), -1989,
         "OSC Argument <not_string> has not the expected type"},
        {"plugin without playable", Quorvex("plugin", IDOf(mTrack), "bypass", true), -1985,
         "OSC No object of needed type at ID["},
        {"plugin not installed", Quorvex("plugin", IDOf(mSingle), "param", 2), -1985,
         "OSC No object of needed type at ID["},
        {"plugin bypass of 3", Quorvex("plugin", IDOf(mSingle), "bypass", 3), -1989,
         "OSC Argument <not_string> has not the expected type"},
        {"dump section with more", Quorvex("dump", "dump", "values"), -1990, "OSC Unexpected argument <values>"},
    };
    for (Case const& c : cases) {
        mLog.Clear();
        EXPECT_EQ(RunOne(c.packet), c.status) << c.what;
        EXPECT_TRUE(HasLine(mLog, c.line)) << c.what;
    }
    mLog.Clear();
    EXPECT_EQ(RunOne(Quorvex("selection")), -1988);
    EXPECT_EQ(RunOne(Quorvex("presets", "save", 1)), -1990);
    EXPECT_NEAR(mIntro->GetUserTime(), 2.0, 1e-9);
    EXPECT_NEAR(mIntro->GetUserSpan(), 2.0, 1e-9);
    EXPECT_FALSE(mIntro->GetPresetsBlock().HasSomePreset());
}

TEST_F(QVOscInterpreterTest, PresetsSaveFirstOfTheGivenActionsAfterTheDuration)
{
    EXPECT_EQ(RunOne(Quorvex("presets", ":Intro", "save", 3, "recall", 2, "duration", 4.5)), 0);
    QVPresetsBlock const& presets = mIntro->GetPresetsBlock();
    EXPECT_TRUE(presets.IsPresetExists(3));
    EXPECT_FALSE(presets.IsPresetExists(2));
    EXPECT_DOUBLE_EQ(presets.GetRecallDuration(), 4.5);
    EXPECT_LT(presets.GetRecallIndex(), 1) << "the recall was not made";

    EXPECT_EQ(RunOne(Quorvex("presets", IDOf(mIntro), "clear", 3, "save", 1)), 0);
    EXPECT_TRUE(presets.IsPresetExists(1)) << "save comes first whatever the order";
    EXPECT_TRUE(presets.IsPresetExists(3));
    EXPECT_EQ(RunOne(Quorvex("presets", IDOf(mIntro), "clear", 3)), 0);
    EXPECT_FALSE(presets.IsPresetExists(3));
}

TEST_F(QVOscInterpreterTest, DumpsRepliesWithTheValuesOfEachClass)
{
    mSingle->SetUserPlay(1);
    mSingle->SetUserVolume(-6.0);
    mSingle->SetUserPanora(0.5);
    int const single = IDOf(mSingle);
    int const multi = IDOf(mMulti);
    QVObjectCursor const* const cursor = static_cast<QVObjectCursor*>(mMulti);
    EXPECT_EQ(
        RunOne(Quorvex("player", ":Intro:1", "dump", "values", "sequence", ":Intro", "dump", "subs", "player", multi,
                       "dump", "subs", "track", IDOf(mTrack), "dump", "volume", "player", multi, "dump", "values")),
        0);
    std::vector<std::vector<std::string>> const replies = Replies();
    ASSERT_EQ(replies.size(), 5u);
    EXPECT_EQ(replies[0], (std::vector<std::string>{
                              "player", Int(single), "play",  "#1", "loop", "#1", "time",   "0",  "relaTime", "0",
                              "phase",  "0.5",       "speed", "1",  "wow",  "0",  "volume", "-6", "gain",     "0.5012",
                              "panora", "0.5",       "fadio", "0",  "mute", "#0", "solo",   "#0"}));
    EXPECT_EQ(replies[1], (std::vector<std::string>{"sequence", Int(IDOf(mIntro)), "subs", Int(single), Int(multi)}));
    EXPECT_EQ(replies[2],
              (std::vector<std::string>{"player", Int(multi), "subs", Int(IDOf(cursor->GetFLSubAtomics()[0])),
                                        Int(IDOf(cursor->GetFLSubAtomics()[1]))}));
    EXPECT_EQ(replies[3], (std::vector<std::string>{"track", Int(IDOf(mTrack)), "volume", "0"}));
    std::vector<std::string> keys;
    for (size_t i = 2; i < replies[4].size(); i += 2)
        keys.push_back(replies[4][i]);
    EXPECT_EQ(keys, (std::vector<std::string>{"play", "loop", "time", "relaTime", "span", "speed", "wow", "subx",
                                              "volume", "gain", "panora", "mute", "solo"}));
    EXPECT_TRUE(mLog.Lines().empty());
}

TEST_F(QVOscInterpreterTest, DumpsOfUnknownTypesAndFailedSends)
{
    QVObjectPlayable* const empty = mDoc.NewPlayer(nullptr, 1);
    ASSERT_EQ(static_cast<QVObjectCursor*>(empty)->GetFLSubAtomics().Count(), 1u);
    mDoc.Delete(static_cast<QVObjectCursor*>(empty)->GetFLSubAtomics()[0]);

    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "dump", "subs", "track", IDOf(mTrack), "dump", "span", "player",
                             IDOf(empty), "dump", "subs")),
              0);
    std::vector<std::vector<std::string>> replies = Replies();
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0], (std::vector<std::string>{"player", Int(IDOf(mSingle))}));
    EXPECT_EQ(replies[1], (std::vector<std::string>{"track", Int(IDOf(mTrack))}));
    EXPECT_EQ(replies[2], (std::vector<std::string>{"player", Int(IDOf(empty)), "subs"}));
    EXPECT_TRUE(HasLine(mLog, "OSC Unknown dump type <subs>"));
    EXPECT_TRUE(HasLine(mLog, "OSC Unknown dump type <span>"));

    // Not connected: nothing is sent and the message goes on.
    mSender.Disconnect();
    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "dump", "values", "player", IDOf(mSingle), "volume", -12.0)), 0);
    EXPECT_DOUBLE_EQ(mSingle->GetUserVolume(), -12.0);
    EXPECT_EQ(mSender.Packets().size(), 3u);

    // A send that fails ends the message with -1984.
    mSender.Connect("127.0.0.1", 1, false);
    mSender.SetAccepts(false);
    mLog.Clear();
    EXPECT_EQ(RunOne(Quorvex("dump", "player", IDOf(mSingle), "volume", -1.0)), -1990)
        << "the dump section takes only dump keys";
    EXPECT_EQ(RunOne(Quorvex("player", IDOf(mSingle), "dump", "volume", "player", IDOf(mSingle), "volume", -1.0)),
              -1984);
    EXPECT_TRUE(HasLine(mLog, "OSC Can't send message"));
    EXPECT_DOUBLE_EQ(mSingle->GetUserVolume(), -12.0);
}

TEST_F(QVOscInterpreterTest, FolderDumpListsEverySequenceHoweverMany)
{
    std::vector<int> ids = {IDOf(mIntro), IDOf(mOutro)};
    for (int i = 0; i < 198; ++i)
        ids.push_back(IDOf(mDoc.NewSequence(("S" + std::to_string(i)).c_str())));
    EXPECT_EQ(RunOne(Quorvex("dump", "dump")), 0);
    std::vector<std::string> packets = mSender.Packets();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_GT(packets[0].size(), 1024u);
    std::vector<std::string> expected = {"folder", "#0", "subs"};
    for (int id : ids)
        expected.push_back(Int(id));
    EXPECT_EQ(ReplyArguments(packets[0]), expected);
}

TEST_F(QVOscInterpreterTest, BundlesRunEveryMessageInOrderDepthFirst)
{
    int const single = IDOf(mSingle);
    std::string const bundle = Packet()
                                   .BeginBundle()
                                   .Msg("player", single, "volume", -1.0)
                                   .Msg("player", single, "loop")
                                   .Msg("player", single, "gain", 2.0)
                                   .EndBundle()
                                   .Bytes();
    EXPECT_EQ(Run(bundle), (std::vector<int>{0, -1989, 0}));
    EXPECT_DOUBLE_EQ(mSingle->GetUserGain(), 2.0) << "the third message took effect";

    std::string const nested = Packet()
                                   .BeginBundle()
                                   .Msg("player", single, "panora", -1.0)
                                   .BeginBundle()
                                   .Msg("player", single, "panora", -0.5)
                                   .To("/elsewhere", "player", single, "panora", 1.0)
                                   .BeginBundle()
                                   .Msg("player", single, "panora", 0.25)
                                   .EndBundle()
                                   .EndBundle()
                                   .Msg("player", single, "speed", 0.75)
                                   .EndBundle()
                                   .Bytes();
    EXPECT_EQ(Run(nested), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(mSingle->GetUserPanora(), 0.25) << "the deepest message came last of the three";
    EXPECT_DOUBLE_EQ(mSingle->GetUserSpeed(), 0.75);
}

TEST_F(QVOscInterpreterTest, MalformedPacketsGiveAnErrorLineAndNoCrash)
{
    QVOscGandler gandler;
    gandler.SetQVLibExtendedFunctions(new RecordingSender(), nullptr);
    std::string const whole = Packet()
                                  .BeginBundle()
                                  .Msg("player", IDOf(mSingle), "volume", -2.0)
                                  .Msg("sequence", ":Intro", "gain", 0.25)
                                  .EndBundle()
                                  .Bytes();
    // Every cut of the bundle, odd sizes included, is refused whole, but the
    // two that end where an element ends (a shorter bundle).
    size_t const first = Quorvex("player", IDOf(mSingle), "volume", -2.0).size();
    for (size_t size = 1; size < whole.size(); ++size) {
        if (size == 16 || size == 16 + 4 + first)
            continue;
        mLog.Clear();
        std::string const cut = whole.substr(0, size);
        EXPECT_FALSE(gandler.HandleReceivedOscPacket(cut.data(), int(cut.size()))) << size;
        EXPECT_FALSE(mLog.Lines().empty()) << size;
    }
    EXPECT_DOUBLE_EQ(mSingle->GetUserVolume(), 0.0);
    EXPECT_TRUE(gandler.HandleReceivedOscPacket(whole.data(), int(whole.size())));
    EXPECT_DOUBLE_EQ(mSingle->GetUserVolume(), -2.0);
    EXPECT_DOUBLE_EQ(mIntro->GetUserGain(), 0.25);

    // What the framing lets through and oscpack still refuses gets the
    // listener's line.
    mLog.Clear();
    std::string const noTags("/quorvex\0\0\0\0", 12);
    bool parsed = true;
    Run(noTags, &parsed);
    if (!parsed) {
        EXPECT_TRUE(HasLine(mLog, "# OSC Listener error: "));
    }
}
