#include "LogCapture.h"
#include "QVOscGandler.h"
#include "QVOscTestPeer.h"
#include "QVOscUdpReceiver.h"
#include "QVOscUdpSender.h"
#include "QVPrefs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using osctest::FreePort;
using osctest::Message;
using osctest::UdpPeer;

namespace {

int CountLines(LogCapture const& log, std::string const& line)
{
    std::vector<std::string> lines = log.Lines();
    return int(std::count(lines.begin(), lines.end(), line));
}

bool HasLineStartingWith(LogCapture const& log, std::string const& prefix)
{
    for (std::string const& line : log.Lines())
        if (line.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

std::string ListeningLine(uint32_t port)
{
    return "# OSC: Receiver listening on port [" + std::to_string(port) + "].\n";
}

// A handler with the UDP transports, whose interpreter records every packet
// and echoes it back through the sender, as replies go.
class QVOscTransport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mGandler.SetQVLibExtendedFunctions(new QVOscUdpSender(), new QVOscUdpReceiver());
        mGandler.SetPacketInterpreter(&QVOscTransport::Interpret, this);
        mPrefs.SetupDefaults();
    }

    void TearDown() override { mGandler.Terminate(); }

    static bool Interpret(void* self, char const* data, int size)
    {
        auto* test = static_cast<QVOscTransport*>(self);
        if (test->mInterpretDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(test->mInterpretDelayMs));
        bool sent = test->mGandler.GetSender()->SendPacket(data, size);
        std::lock_guard<std::mutex> lock(test->mMutex);
        test->mPackets.emplace_back(data, size_t(size));
        test->mPacketArrived.notify_all();
        return sent;
    }

    // Waits (bounded) until count packets were interpreted.
    bool WaitForPackets(size_t count)
    {
        std::unique_lock<std::mutex> lock(mMutex);
        return mPacketArrived.wait_for(lock, std::chrono::seconds(10), [&] { return mPackets.size() >= count; });
    }

    std::vector<std::string> Packets()
    {
        std::lock_guard<std::mutex> lock(mMutex);
        return mPackets;
    }

    void ListenOn(uint32_t port)
    {
        mPrefs.SetOscReceiveEnabled(true);
        mPrefs.SetOscReceiveOnPort(port);
        mGandler.ReconnectWithPrefs(mPrefs, false);
    }

    void ReplyTo(uint32_t port)
    {
        mPrefs.SetOscSendEnabled(true);
        mPrefs.SetOscSendToHostName("127.0.0.1");
        mPrefs.SetOscSendToHostPort(port);
        mGandler.ReconnectWithPrefs(mPrefs, false);
    }

    LogCapture mLog;
    QVOscGandler mGandler;
    QVPrefs mPrefs;
    std::atomic<int> mInterpretDelayMs{0};
    std::mutex mMutex;
    std::condition_variable mPacketArrived;
    std::vector<std::string> mPackets;
};

}  // namespace

TEST(QVOscDefaults, DoNothingUntilTheTransportsAreInstalled)
{
    QVOscSenderLibext sender;
    EXPECT_FALSE(sender.Connect("127.0.0.1", 5432, true));
    EXPECT_FALSE(sender.IsConnected());
    EXPECT_FALSE(sender.SendPacket("/a\0\0", 4));

    QVOscReceiverLibext receiver;
    EXPECT_FALSE(receiver.StartListening(5432, true));
    EXPECT_FALSE(receiver.IsListening());
    EXPECT_FALSE(receiver.HandleReceivedOscPacket("/a\0\0", 4)) << "no handler linked";

    QVOscGandler gandler;
    QVPrefs prefs;
    prefs.SetupDefaults();
    prefs.SetOscSendEnabled(true);
    prefs.SetOscReceiveEnabled(true);
    gandler.ReconnectWithPrefs(prefs, true);
    EXPECT_FALSE(gandler.IsSenderConnected());
    EXPECT_FALSE(gandler.IsReceiverListening());
    QVOscReceiverLibext* linked = gandler.GetReceiver();
    EXPECT_EQ(linked->GetOscGandler(), &gandler);
    EXPECT_TRUE(linked->HandleReceivedOscPacket("/a\0\0", 4));
    EXPECT_FALSE(linked->HandleReceivedOscPacket("/a\0\0", 0));
    EXPECT_FALSE(linked->HandleReceivedOscPacket(nullptr, 4));
}

TEST_F(QVOscTransport, ReceivesOnItsThreadAndRepliesThroughTheSender)
{
    UdpPeer peer;
    uint32_t const port = FreePort();
    ListenOn(port);
    ReplyTo(peer.Port());
    ASSERT_TRUE(mGandler.IsReceiverListening());
    ASSERT_TRUE(mGandler.IsSenderConnected());
    EXPECT_EQ(CountLines(mLog, ListeningLine(port)), 1);
    EXPECT_EQ(CountLines(mLog, "# OSC: Sender ready on [127.0.0.1]:[" + std::to_string(peer.Port()) + "].\n"), 1);

    std::string const first = Message("/quorvex/seq").Int(1).String("play").Bytes();
    std::string const second = osctest::Bundle({first, Message("/quorvex").Float(0.25f).Bytes()});
    ASSERT_TRUE(peer.SendTo(port, first));
    EXPECT_EQ(peer.Receive(), first);
    ASSERT_TRUE(peer.SendTo(port, second));
    EXPECT_EQ(peer.Receive(), second);
    ASSERT_TRUE(WaitForPackets(2));
    EXPECT_EQ(Packets(), (std::vector<std::string>{first, second}));
}

TEST_F(QVOscTransport, ReconnectsWhenThePortsChange)
{
    UdpPeer firstPeer;
    UdpPeer secondPeer;
    uint32_t const firstPort = FreePort();
    ListenOn(firstPort);
    ReplyTo(firstPeer.Port());

    // Same ports without force: nothing restarts and nothing is logged.
    size_t const linesBefore = mLog.Lines().size();
    mGandler.ReconnectWithPrefs(mPrefs, false);
    EXPECT_EQ(mLog.Lines().size(), linesBefore);

    uint32_t const secondPort = FreePort();
    ASSERT_NE(secondPort, firstPort);
    ListenOn(secondPort);
    ReplyTo(secondPeer.Port());
    EXPECT_EQ(CountLines(mLog, ListeningLine(secondPort)), 1);

    // The first port was released: another socket can take it.
    {
        QVOscUdpReceiver other;  // released quietly when it goes
        EXPECT_TRUE(other.StartListening(firstPort, false));
    }

    std::string const packet = Message("/moved").Int(2).Bytes();
    ASSERT_TRUE(firstPeer.SendTo(secondPort, packet));
    EXPECT_EQ(secondPeer.Receive(), packet) << "the reply goes to the new destination";
    EXPECT_EQ(firstPeer.Receive(200), "");

    // Forcing re-sends the ready line; the receiver is never forced.
    mGandler.ReconnectWithPrefs(mPrefs, true);
    std::string const ready = "# OSC: Sender ready on [127.0.0.1]:[" + std::to_string(secondPeer.Port()) + "].\n";
    EXPECT_EQ(CountLines(mLog, ready), 2);
    EXPECT_EQ(CountLines(mLog, ListeningLine(secondPort)), 1);

    // Switched off in the preferences: both stop, even with force.
    mPrefs.SetOscSendEnabled(false);
    mPrefs.SetOscReceiveEnabled(false);
    mGandler.ReconnectWithPrefs(mPrefs, true);
    EXPECT_FALSE(mGandler.IsSenderConnected());
    EXPECT_FALSE(mGandler.IsReceiverListening());
    EXPECT_EQ(CountLines(mLog, "# OSC: Sender disconnected.\n"), 1);
    EXPECT_EQ(CountLines(mLog, "# OSC: Receiver disconnected.\n"), 1);
}

TEST_F(QVOscTransport, ReceiverPortsOutOfRangeOrTakenLeaveItNotListening)
{
    QVOscUdpReceiver& receiver = static_cast<QVOscUdpReceiver&>(*mGandler.GetReceiver());
    for (uint32_t badPort : {0u, 70000u}) {
        uint32_t const port = FreePort();
        ASSERT_TRUE(receiver.StartListening(port, false));
        mLog.Clear();
        EXPECT_FALSE(receiver.StartListening(badPort, false)) << badPort;
        EXPECT_FALSE(receiver.IsListening()) << badPort;
        EXPECT_EQ(mLog.Lines(), std::vector<std::string>{"# OSC: Receiver disconnected.\n"}) << badPort;
    }

    UdpPeer holder;
    mLog.Clear();
    EXPECT_FALSE(receiver.StartListening(holder.Port(), false));
    EXPECT_FALSE(receiver.IsListening());
    EXPECT_EQ(mLog.Lines(), std::vector<std::string>{"# OSC Error: Receiver CAN'T listening on port [" +
                                                     std::to_string(holder.Port()) + "].\n"});

    // Same port: unchanged without force, restarted with it.
    uint32_t const port = FreePort();
    ASSERT_TRUE(receiver.StartListening(port, false));
    EXPECT_TRUE(receiver.StartListening(port, false));
    EXPECT_EQ(CountLines(mLog, ListeningLine(port)), 1);
    EXPECT_TRUE(receiver.StartListening(port, true));
    EXPECT_EQ(CountLines(mLog, ListeningLine(port)), 2);
    UdpPeer peer;
    ASSERT_TRUE(peer.SendTo(port, Message("/again").Bytes()));
    EXPECT_TRUE(WaitForPackets(1)) << "the restarted thread receives";
}

TEST_F(QVOscTransport, SenderConnectsOnlyToAUsableDestination)
{
    QVOscSenderLibext& sender = *mGandler.GetSender();
    std::string const packet = Message("/a").Bytes();
    EXPECT_FALSE(sender.SendPacket(packet.data(), int(packet.size()))) << "not connected";

    UdpPeer peer;
    struct Case {
        char const* host;
        uint32_t port;
    } const unusable[] = {{"", 5432}, {"127.0.0.1", 0}, {"127.0.0.1", 70000}};
    for (Case const& c : unusable) {
        ASSERT_TRUE(sender.Connect("127.0.0.1", peer.Port(), false));
        mLog.Clear();
        EXPECT_FALSE(sender.Connect(c.host, c.port, false)) << c.host << ":" << c.port;
        EXPECT_FALSE(sender.IsConnected());
        EXPECT_EQ(mLog.Lines(), std::vector<std::string>{"# OSC: Sender disconnected.\n"});
    }
    EXPECT_FALSE(sender.SendPacket(packet.data(), int(packet.size())));
    EXPECT_EQ(peer.Receive(100), "") << "nothing was sent while disconnected";

    ASSERT_TRUE(sender.Connect("localhost", peer.Port(), false));
    mLog.Clear();
    EXPECT_TRUE(sender.Connect("localhost", peer.Port(), false));
    EXPECT_TRUE(mLog.Lines().empty());
    EXPECT_TRUE(sender.SendPacket(packet.data(), int(packet.size())));
    EXPECT_EQ(peer.Receive(), packet);

    ASSERT_TRUE(sender.Connect("no-such-host.invalid", peer.Port(), false)) << "no lookup on connect";
    EXPECT_FALSE(sender.SendPacket(packet.data(), int(packet.size())));
}

TEST_F(QVOscTransport, DropsMalformedAndOversizedDatagramsAndGoesOn)
{
    UdpPeer peer;
    uint32_t const port = FreePort();
    ListenOn(port);

    std::string const garbage("hello", 5);
    std::string const oversized = Message("/big").Blob(std::string(20000, 'x')).Bytes();
    std::string const good = Message("/after").Int(7).Bytes();
    ASSERT_TRUE(peer.SendTo(port, garbage));
    ASSERT_TRUE(peer.SendTo(port, oversized));
    ASSERT_TRUE(peer.SendTo(port, std::string(16, '\0')));
    ASSERT_TRUE(peer.SendTo(port, good));
    ASSERT_TRUE(WaitForPackets(1));
    EXPECT_EQ(Packets(), std::vector<std::string>{good});
    EXPECT_TRUE(mGandler.IsReceiverListening());

    EXPECT_EQ(CountLines(mLog, "# OSC Error: Dropped a malformed packet of 5 bytes (size not a multiple of 4).\n"), 1);
    EXPECT_TRUE(
        HasLineStartingWith(mLog, "# OSC Error: Dropped a datagram of " + std::to_string(oversized.size()) + " bytes"));
    EXPECT_EQ(
        CountLines(mLog, "# OSC Error: Dropped a malformed packet of 16 bytes (neither a message nor a bundle).\n"), 1);
}

TEST_F(QVOscTransport, StopsPromptlyWhileDatagramsKeepArriving)
{
    UdpPeer peer;
    std::atomic<bool> flooding{true};
    std::atomic<uint32_t> target{0};
    std::thread flood([&] {
        std::string const packet = Message("/flood").Int(1).Bytes();
        while (flooding.load())
            if (uint32_t port = target.load())
                peer.SendTo(port, packet);
            else
                std::this_thread::yield();
    });

    mInterpretDelayMs = 1;
    for (int round = 0; round < 5; ++round) {
        uint32_t const port = FreePort();
        ListenOn(port);
        ASSERT_TRUE(mGandler.IsReceiverListening());
        size_t const before = Packets().size();
        target = port;
        ASSERT_TRUE(WaitForPackets(before + 3));
        mGandler.Disconnect();
        EXPECT_FALSE(mGandler.IsReceiverListening());
        size_t const afterStop = Packets().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(Packets().size(), afterStop) << "nothing is interpreted once stopped";
    }

    // Deleting a listening receiver (Terminate) stops its thread too.
    uint32_t const port = FreePort();
    ListenOn(port);
    target = port;
    ASSERT_TRUE(WaitForPackets(Packets().size() + 1));
    mGandler.Terminate();
    EXPECT_FALSE(mGandler.IsReceiverListening());
    flooding = false;
    flood.join();
}
