// OSC messages against a document that changes under them: one thread hands
// 10,000 "/quorvex" messages to the receiver, as its receive thread does,
// while the main thread creates and deletes the very sequences, players and
// tracks they name (by name path and by the node IDs last seen) and a third
// thread pulls the document's blocks through the document manager's mix.
// Built to run under ThreadSanitizer and AddressSanitizer: the interpreter
// acts on an object only while it holds the document's tree guard, so no
// object is used after the main thread deleted it.

#include "AKIdlingCenter.h"
#include "QVOscEngineFixture.h"
#include "QVOscGandler.h"
#include "QVOscReceiverLibext.h"

#include <atomic>
#include <thread>

using namespace osctest;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

constexpr int kMessageCount = 10000;

TEST(QVOscStress, MessagesWhileTheTargetsAreCreatedAndDeletedAndBlocksArePulled)
{
    ActiveDocument doc(kQVDocumentFlagRealTimeAudio);
    QVAudioInfo format;
    format.Setup(2, 128, 48000.0);
    QVDocumentMgr::sShared.PrepareRealTimeAudioResources(format);

    QVOscGandler gandler;
    auto* const sender = new RecordingSender();
    gandler.SetQVLibExtendedFunctions(sender, nullptr);

    // The IDs of the current targets, 0 when none.
    std::atomic<int> sequenceID{0};
    std::atomic<int> playerID{0};
    std::atomic<int> trackID{0};
    std::atomic<bool> done{false};

    std::thread audio([&] {
        QXSampleBuffer<double> output;
        output.AllocateClean(2, 128, 48000.0);
        while (!done.load(std::memory_order_acquire))
            QVDocumentMgr::sShared.CopyNextRealTimeAudioBlock(&output, 0);
    });

    std::thread osc([&] {
        QVOscReceiverLibext& receiver = *gandler.GetReceiver();
        for (int i = 0; i < kMessageCount; ++i) {
            int const player = playerID.load(std::memory_order_relaxed);
            int const sequence = sequenceID.load(std::memory_order_relaxed);
            int const track = trackID.load(std::memory_order_relaxed);
            std::string packet;
            switch (i % 10) {
            case 0:
                packet = Quorvex("player", ":Target:1", "play", "volume", -double(i % 48));
                break;
            case 1:
                packet = Quorvex("player", player, "panora", 0.5, "speed", 1.5, "loop", i % 2 == 0);
                break;
            case 2:
                packet = Quorvex("player", ":Target:1:2", "mute", "gain", 0.5);
                break;
            case 3:
                packet = Quorvex("selection", ":Target", "begin", double(i % 7), "end", double(i % 5));
                break;
            case 4:
                packet = Quorvex("presets", sequence, "save", 1 + i % 3, "duration", 0.01);
                break;
            case 5:
                packet = Quorvex("presets", ":Target", "recall", 1 + i % 3);
                break;
            case 6:
                packet = Quorvex("track", ":Target:1", "volume", -3.0, "track", track, "gain", 1.5);
                break;
            case 7:
                packet = Quorvex("player", ":Target:1", "dump", "values", "sequence", sequence, "dump", "subs");
                break;
            case 8:
                packet = Quorvex("track", track, "dump", "values", "dump");
                break;
            default:
                packet = Packet()
                             .BeginBundle()
                             .Msg("sequence", sequence, "volume", -6.0)
                             .Msg("plugin", player, "bypass", true)
                             .Msg("player", player, "dump", "subs")
                             .EndBundle()
                             .Bytes();
                break;
            }
            receiver.HandleReceivedOscPacket(packet.data(), int(packet.size()));
        }
    });

    // The main thread: the target sequence (a track and a multi-player of two
    // subs, or a single player) comes and goes until the messages are done.
    QVObjectSequence* target = nullptr;
    unsigned int rounds = 0;
    bool oscDone = false;
    std::atomic<bool> oscFinished{false};
    std::thread watcher([&] {
        osc.join();
        oscFinished = true;
    });
    while (!oscDone) {
        ++rounds;
        if (target == nullptr) {
            QVObjectTrack* track = nullptr;
            target = doc.NewSequence("Target", &track);
            QVObjectPlayable* const player = doc.NewPlayer(target, rounds % 2 == 0 ? 2 : 0);
            sequenceID = IDOf(target);
            playerID = IDOf(player);
            trackID = IDOf(track);
        } else {
            doc.Delete(target);
            target = nullptr;
        }
        AKIdlingCenter::sShared.DoGlobalIdling();
        doc.Get().DoIdlingForTreeObjectsAndGarbage();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        oscDone = oscFinished.load();
    }
    watcher.join();
    done = true;
    audio.join();
    QVDocumentMgr::sShared.ReleaseRealTimeAudioResources();
    EXPECT_GT(rounds, 10u);
    EXPECT_FALSE(sender->Packets().empty()) << "some dumps found their objects";
}

}  // namespace
