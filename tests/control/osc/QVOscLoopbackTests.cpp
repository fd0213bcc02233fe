// OSC control end to end on the loopback interface: requests reach the
// engine's UDP receiver and its replies leave through its UDP sender. The
// requests come from liblo's command-line peer "oscsend" and the replies are
// read by "oscdump" and checked field by field; bundles, nested bundles and
// an oversized datagram are written with oscpack and sent from the test.

#include "LogCapture.h"
#include "QVDocumentTreeGuard.h"
#include "QVOscEngineFixture.h"
#include "QVOscGandler.h"
#include "QVOscTestPeer.h"
#include "QVOscUdpReceiver.h"
#include "QVOscUdpSender.h"
#include "QVPrefs.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace osctest;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

// The program's path in PATH, or "".
std::string FindTool(char const* name)
{
    char const* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string const candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

pid_t Spawn(std::vector<std::string> const& arguments, char const* outputPath)
{
    std::vector<char*> argv;
    for (std::string const& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath != nullptr ? outputPath : "/dev/null",
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The replies "oscdump" printed, as ReplyArguments gives them; other
// addresses are left out.
std::vector<std::vector<std::string>> ParseDump(std::string const& path)
{
    std::vector<std::vector<std::string>> replies;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string timeTag, address, types;
        fields >> timeTag >> address >> types;
        if (address != "/quorvex")
            continue;
        std::vector<std::string> reply;
        for (char type : types) {
            std::string value;
            fields >> value;
            char text[64];
            if (type == 's')
                reply.push_back(value.size() >= 2 ? value.substr(1, value.size() - 2) : value);
            else if (type == 'i')
                reply.push_back("#" + value);
            else if (type == 'f') {
                std::snprintf(text, sizeof(text), "%.4g", std::strtod(value.c_str(), nullptr));
                reply.push_back(text);
            } else
                reply.push_back("?");
        }
        replies.push_back(reply);
    }
    return replies;
}

// Ends the spawned process when the test ends, however it ends.
class ChildProcess
{
public:
    explicit ChildProcess(pid_t pid) : mPid(pid) {}
    ~ChildProcess()
    {
        if (mPid > 0) {
            kill(mPid, SIGTERM);
            waitpid(mPid, nullptr, 0);
        }
    }
    ChildProcess(ChildProcess const&) = delete;
    ChildProcess& operator=(ChildProcess const&) = delete;
    pid_t Pid() const { return mPid; }

private:
    pid_t const mPid;
};

bool HasLine(LogCapture const& log, std::string const& text)
{
    for (std::string const& line : log.Lines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// The engine listening on a free port and replying to `replyPort` on the
// loopback interface, with the document "Intro" (a track and a single
// player) and 199 more sequences.
class QVOscLoopback : public ::testing::Test
{
protected:
    void Start(uint32_t replyPort)
    {
        mIntro = mDoc.NewSequence("Intro", &mTrack);
        mPlayer = mDoc.NewPlayer(mIntro);
        for (int i = 1; i < 200; ++i)
            mDoc.NewSequence(("Part " + std::to_string(i)).c_str());
        mGandler.SetQVLibExtendedFunctions(new QVOscUdpSender(), new QVOscUdpReceiver());
        QVPrefs prefs;
        prefs.SetupDefaults();
        mPort = FreePort();
        prefs.SetOscReceiveEnabled(true);
        prefs.SetOscReceiveOnPort(mPort);
        prefs.SetOscSendEnabled(true);
        prefs.SetOscSendToHostName("127.0.0.1");
        prefs.SetOscSendToHostPort(replyPort);
        mGandler.ReconnectWithPrefs(prefs, false);
        ASSERT_TRUE(mGandler.IsReceiverListening());
        ASSERT_TRUE(mGandler.IsSenderConnected());
    }
    void TearDown() override { mGandler.Terminate(); }

    LogCapture mLog;
    ActiveDocument mDoc;
    QVOscGandler mGandler;
    uint32_t mPort = 0;
    QVObjectSequence* mIntro = nullptr;
    QVObjectTrack* mTrack = nullptr;
    QVObjectPlayable* mPlayer = nullptr;
};

}  // namespace

TEST_F(QVOscLoopback, RequestsFromOscsendAndRepliesToOscdump)
{
    std::string const oscsend = FindTool("oscsend");
    std::string const oscdump = FindTool("oscdump");
    if (oscsend.empty() || oscdump.empty())
        GTEST_SKIP() << "liblo's oscsend and oscdump are not installed (scripts/install-deps.sh installs them)";

    char folder[] = "/tmp/orvel-osc-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string const dumpPath = std::string(folder) + "/dump.txt";
    uint32_t const dumpPort = FreePort();
    ChildProcess const dumper(Spawn({oscdump, "-L", std::to_string(dumpPort)}, dumpPath.c_str()));
    ASSERT_GT(dumper.Pid(), 0);
    Start(dumpPort);

    // oscdump is ready once it prints what is sent to it.
    UdpPeer probe;
    bool ready = false;
    for (int attempt = 0; attempt < 200 && !ready; ++attempt) {
        probe.SendTo(dumpPort, Quorvex("probe"));
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        ready = !ParseDump(dumpPath).empty();
    }
    ASSERT_TRUE(ready) << "oscdump never answered";
    size_t const probes = ParseDump(dumpPath).size();

    auto send = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {oscsend, "127.0.0.1", std::to_string(mPort)});
        pid_t const pid = Spawn(arguments, nullptr);
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    // Waits for the count-th reply after the probes.
    auto reply = [&](size_t count) {
        for (int attempt = 0; attempt < 400; ++attempt) {
            std::vector<std::vector<std::string>> const replies = ParseDump(dumpPath);
            if (replies.size() >= probes + count)
                return replies[probes + count - 1];
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return std::vector<std::string>{"no reply"};
    };

    std::string const player = std::to_string(IDOf(mPlayer));
    std::string const track = std::to_string(IDOf(mTrack));
    send({"/quorvex", "sis", "player", player, "play"});
    send({"/quorvex", "sisf", "player", player, "volume", "-6.0"});
    send({"/other", "sisf", "player", player, "volume", "6.0"});
    send({"/quorvex", "ssss", "player", ":Intro:1", "dump", "values"});
    EXPECT_EQ(reply(1), (std::vector<std::string>{"player", "#" + player, "play",   "#1",    "loop", "#1",     "time",
                                                  "0",      "relaTime",   "0",      "phase", "0.5",  "speed",  "1",
                                                  "wow",    "0",          "volume", "-6",    "gain", "0.5012", "panora",
                                                  "0",      "fadio",      "0",      "mute",  "#0",   "solo",   "#0"}));

    send({"/quorvex", "sssf", "track", ":Intro:1", "volume", "-3.5"});
    send({"/quorvex", "siss", "track", track, "dump", "volume"});
    EXPECT_EQ(reply(2), (std::vector<std::string>{"track", "#" + track, "volume", "-3.5"}));

    send({"/quorvex", "sssfsf", "selection", ":Intro", "begin", "2.0", "duration", "4.0"});
    send({"/quorvex", "ssssssss", "sequence", ":Intro", "dump", "time", "sequence", ":Intro", "dump", "span"});
    EXPECT_EQ(reply(3), (std::vector<std::string>{"sequence", "#" + std::to_string(IDOf(mIntro)), "time", "4"}));
    EXPECT_EQ(reply(4), (std::vector<std::string>{"sequence", "#" + std::to_string(IDOf(mIntro)), "span", "4"}));

    send({"/quorvex", "sssi", "presets", ":Intro", "save", "3"});
    send({"/quorvex", "i", "5"});
    send({"/quorvex", "s", "dump"});
    std::vector<std::string> const folderReply = reply(5);
    ASSERT_EQ(folderReply.size(), 203u) << "the folder, its ID, \"subs\" and 200 sequences";
    EXPECT_EQ(folderReply[0], "folder");
    EXPECT_EQ(folderReply[1], "#0");
    EXPECT_EQ(folderReply[2], "subs");
    EXPECT_EQ(folderReply[3], "#" + std::to_string(IDOf(mIntro)));
    EXPECT_TRUE(HasLine(mLog, "OSC Unexpected argument <not_string>"));
    {
        // The guard orders this read after the OSC thread's section.
        QVDocumentTreeGuard::EditScope edit(mDoc.Get().GetTreeGuard());
        EXPECT_TRUE(mIntro->GetPresetsBlock().IsPresetExists(3));
    }

    if (HasFailure()) {
        std::ifstream in(dumpPath);
        std::cout << "oscdump printed:\n" << in.rdbuf();
    }
    std::remove(dumpPath.c_str());
    rmdir(folder);
}

TEST_F(QVOscLoopback, BundlesAndAnOversizedDatagramSentWithOscpack)
{
    UdpPeer peer;
    Start(peer.Port());
    int const player = IDOf(mPlayer);

    // A datagram longer than the receive buffer is dropped whole.
    std::string const oversized = Quorvex("player", player, "volume", -1.0, std::string(20000, 'x').c_str());
    ASSERT_TRUE(peer.SendTo(mPort, oversized));
    // A bundle whose middle message fails, then a nested bundle, then a dump.
    ASSERT_TRUE(peer.SendTo(mPort, Packet()
                                       .BeginBundle()
                                       .Msg("player", player, "volume", -12.0)
                                       .Msg("player", player, "loop")
                                       .Msg("player", player, "panora", 0.5)
                                       .EndBundle()
                                       .Bytes()));
    ASSERT_TRUE(peer.SendTo(mPort, Packet()
                                       .BeginBundle()
                                       .BeginBundle()
                                       .Msg("player", player, "speed", 2.0)
                                       .EndBundle()
                                       .Msg("player", player, "dump", "values")
                                       .EndBundle()
                                       .Bytes()));
    std::vector<std::string> const reply = ReplyArguments(peer.Receive());
    ASSERT_EQ(reply.size(), 28u);
    EXPECT_EQ(reply[5], "#1") << "loop untouched by the failed message";
    EXPECT_EQ(reply[13], "2") << "speed from the nested bundle";
    EXPECT_EQ(reply[17], "-12") << "volume from the first message";
    EXPECT_EQ(reply[21], "0.5") << "panora from the third message";
    EXPECT_TRUE(HasLine(mLog, "# OSC Error: Dropped a datagram of " + std::to_string(oversized.size()) + " bytes"));
    EXPECT_TRUE(HasLine(mLog, "OSC Argument <loop> has not the expected type"));
}
