#include "AKIdlingCenter.h"
#include "AKMainRunLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gCalls;

// A client that records its calls and runs an optional action inside them.
class RecordingClient : public AKIdlingClient
{
public:
    explicit RecordingClient(char const* name, bool keep = false) : AKIdlingClient(name, keep), mName(name) {}

    void DoIdling() override
    {
        gCalls.push_back(mName);
        ++mCount;
        if (mAction)
            mAction();
    }

    std::string mName;
    int mCount = 0;
    std::function<void()> mAction;
};

class AKIdlingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        gCalls.clear();
        ASSERT_FALSE(AKIdlingCenter::sShared.HasClients());
    }
    void TearDown() override { EXPECT_FALSE(AKIdlingCenter::sShared.HasClients()); }

    static std::vector<std::string> Pass()
    {
        gCalls.clear();
        AKIdlingCenter::sShared.DoGlobalIdling();
        return gCalls;
    }
};

using Calls = std::vector<std::string>;

TEST_F(AKIdlingTest, KeepsOrderAndUnregistrationRulesWithinAPass)
{
    RecordingClient a("a"), b("b"), c("c"), d("d"), e("e"), f("f");
    for (RecordingClient* client : {&a, &b, &c, &d})
        client->GiveMeIdling(true);

    b.mAction = [&] { b.GiveMeIdling(false); };  // unregisters itself
    a.mAction = [&] { c.GiveMeIdling(false); };  // unregisters one later in the pass
    d.mAction = [&] {
        e.GiveMeIdling(true);  // waits for the next pass
        f.GiveMeIdling(true);  // registered and unregistered within the pass: never called
        f.GiveMeIdling(false);
    };
    EXPECT_EQ(Pass(), (Calls{"a", "b", "d"}));
    EXPECT_FALSE(b.IsIdlingRegistered());
    EXPECT_FALSE(c.IsIdlingRegistered());
    EXPECT_TRUE(e.IsIdlingRegistered());
    EXPECT_FALSE(f.IsIdlingRegistered());

    a.mAction = nullptr;
    d.mAction = [&] { a.GiveMeIdling(false); };  // unregisters one earlier in the pass
    EXPECT_EQ(Pass(), (Calls{"a", "d", "e"}));

    // Leaving and coming back within a pass moves a client to the end.
    d.mAction = [&] {
        d.GiveMeIdling(false);
        d.GiveMeIdling(true);
    };
    EXPECT_EQ(Pass(), (Calls{"d", "e"}));
    d.mAction = nullptr;
    EXPECT_EQ(Pass(), (Calls{"e", "d"}));

    d.GiveMeIdling(false);
    e.GiveMeIdling(false);
}

TEST_F(AKIdlingTest, RegistersOnceAndIgnoresUnknownRemovals)
{
    RecordingClient a("a"), b("b");
    a.GiveMeIdling(true);
    a.GiveMeIdling(true);
    AKIdlingCenter::sShared.AddClient(&a);
    EXPECT_EQ(Pass(), (Calls{"a"}));

    b.GiveMeIdling(false);  // never registered
    AKIdlingCenter::sShared.RemoveClient(&b);
    AKIdlingCenter::sShared.AddClient(nullptr);
    EXPECT_EQ(Pass(), (Calls{"a"}));

    // Registered directly with the centre, the client still knows it.
    AKIdlingCenter::sShared.RemoveClient(&a);
    EXPECT_FALSE(a.IsIdlingRegistered());
    AKIdlingCenter::sShared.AddClient(&b);
    EXPECT_TRUE(b.IsIdlingRegistered());
    EXPECT_EQ(Pass(), (Calls{"b"}));
    b.GiveMeIdling(false);
    EXPECT_EQ(Pass(), Calls{});
}

TEST_F(AKIdlingTest, DestroyedClientsLeaveTheCentre)
{
    RecordingClient a("a");
    a.GiveMeIdling(true);
    {
        RecordingClient gone("gone");
        gone.GiveMeIdling(true);
    }
    EXPECT_EQ(Pass(), (Calls{"a"}));

    // Deleted by another client during a pass: not called.
    auto* victim = new RecordingClient("victim");
    victim->GiveMeIdling(true);
    a.mAction = [&] {
        delete victim;
        victim = nullptr;
    };
    EXPECT_EQ(Pass(), (Calls{"a"}));
    a.mAction = nullptr;
    EXPECT_EQ(Pass(), (Calls{"a"}));
    a.GiveMeIdling(false);
}

TEST_F(AKIdlingTest, KeepAtDestructionLeavesTheClientRegistered)
{
    alignas(RecordingClient) unsigned char storage[sizeof(RecordingClient)];
    auto* kept = new (storage) RecordingClient("kept", true);
    kept->GiveMeIdling(true);
    kept->~RecordingClient();
    EXPECT_TRUE(AKIdlingCenter::sShared.HasClients());

    // A live object at the same address lets the test take the entry back.
    auto* again = new (storage) RecordingClient("again", true);
    AKIdlingCenter::sShared.RemoveClient(again);
    again->~RecordingClient();
}

TEST_F(AKIdlingTest, APassInsideAPassDoesNothing)
{
    RecordingClient a("a"), b("b");
    a.GiveMeIdling(true);
    b.GiveMeIdling(true);
    a.mAction = [] {
        EXPECT_TRUE(AKIdlingCenter::sShared.IsInPass());
        AKIdlingCenter::sShared.DoGlobalIdling();  // e.g. a modal loop run from inside a client
    };
    EXPECT_EQ(Pass(), (Calls{"a", "b"}));
    EXPECT_FALSE(AKIdlingCenter::sShared.IsInPass());
    a.GiveMeIdling(false);
    b.GiveMeIdling(false);
}

TEST_F(AKIdlingTest, IdlingPeriodSpacesTheCalls)
{
    RecordingClient a("a");
    a.SetIdlingPeriod(1000.0);
    a.DoIdlingLow();  // never called before: runs at once
    a.DoIdlingLow();
    EXPECT_EQ(a.mCount, 1);

    a.GiveMeIdling(true);
    a.GiveMeIdling(false);  // forgets the last call
    a.DoIdlingLow();
    EXPECT_EQ(a.mCount, 2);

    a.SetIdlingPeriod(-5.0);
    EXPECT_EQ(a.GetIdlingPeriod(), 0.0);
    a.DoIdlingLow();
    a.DoIdlingLow();
    EXPECT_EQ(a.mCount, 4);
}

// --- The main run loop and the idling loop ---

void CountCall(void* counter) { ++*static_cast<int*>(counter); }

TEST(AKMainRunLoop, FiresDueTimersOnThePeriod)
{
    AKMainRunLoop loop;
    int calls = 0;
    EXPECT_EQ(loop.AddTimer(nullptr, &calls, 0.05), 0u);
    EXPECT_EQ(loop.AddTimer(&CountCall, &calls, 0.0), 0u);
    unsigned int timer = loop.AddTimer(&CountCall, &calls, 0.05);
    ASSERT_NE(timer, 0u);

    double const t0 = 1e9;
    EXPECT_EQ(loop.RunOnceAtTime(t0), 1u);  // due at once
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 49999), 0u);
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 50000), 1u);
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 230000), 1u);  // late: fires once, keeps its phase
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 249999), 0u);
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 250000), 1u);
    EXPECT_EQ(calls, 4);

    EXPECT_TRUE(loop.RemoveTimer(timer));
    EXPECT_FALSE(loop.RemoveTimer(timer));
    EXPECT_EQ(loop.RunOnceAtTime(t0 + 1e6), 0u);
    EXPECT_EQ(calls, 4);
}

struct PumpScene {
    AKMainRunLoop* loop = nullptr;
    unsigned int victim = 0;
    unsigned int added = 0;
    std::vector<std::string> order;
};

TEST(AKMainRunLoop, CallbacksMayAddAndRemoveTimers)
{
    AKMainRunLoop loop;
    PumpScene scene;
    scene.loop = &loop;
    loop.AddTimer(
        [](void* data) {
            auto* s = static_cast<PumpScene*>(data);
            s->order.push_back("first");
            if (s->victim != 0) {
                s->loop->RemoveTimer(s->victim);
                s->victim = 0;
            }
            if (s->added == 0)
                s->added =
                    s->loop->AddTimer([](void* d) { static_cast<PumpScene*>(d)->order.push_back("added"); }, s, 1);
        },
        &scene, 1);
    scene.victim = loop.AddTimer([](void* d) { static_cast<PumpScene*>(d)->order.push_back("victim"); }, &scene, 1);

    EXPECT_EQ(loop.RunOnceAtTime(0), 1u);  // the victim is gone, the new timer waits
    EXPECT_EQ(scene.order, (std::vector<std::string>{"first"}));
    EXPECT_EQ(loop.GetTimerCount(), 2u);
    EXPECT_EQ(loop.RunOnceAtTime(0), 1u);
    EXPECT_EQ(scene.order, (std::vector<std::string>{"first", "added"}));
}

TEST_F(AKIdlingTest, IdlingLoopRunsPassesUnderTheMainRunLoop)
{
    AKMainRunLoop& runLoop = AKMainRunLoop::sShared;
    unsigned int const timersBefore = runLoop.GetTimerCount();
    RecordingClient a("a");
    a.GiveMeIdling(true);
    AKIdlingLoop loop([](void*) { AKIdlingCenter::sShared.DoGlobalIdling(); }, nullptr, 50);
    EXPECT_FALSE(loop.IsRunning());

    EXPECT_TRUE(loop.Start());
    EXPECT_TRUE(loop.Start());  // one timer only
    EXPECT_EQ(runLoop.GetTimerCount(), timersBefore + 1);

    double const t0 = 2e9;
    for (int step = 0; step <= 10; ++step)  // half-period pumps over 250 ms
        runLoop.RunOnceAtTime(t0 + step * 25000);
    EXPECT_EQ(a.mCount, 6);  // at 0, 50, 100, 150, 200 and 250 ms

    loop.Stop();
    loop.Stop();
    EXPECT_FALSE(loop.IsRunning());
    EXPECT_EQ(runLoop.GetTimerCount(), timersBefore);
    runLoop.RunOnceAtTime(t0 + 1e6);
    EXPECT_EQ(a.mCount, 6);

    // On the real clock: the first call comes at once, the last pump is at the end.
    a.mCount = 0;
    AKIdlingLoop fast([](void*) { AKIdlingCenter::sShared.DoGlobalIdling(); }, nullptr, 10);
    ASSERT_TRUE(fast.Start());
    runLoop.RunFor(0.05);
    EXPECT_GE(a.mCount, 2);
    fast.Stop();
    a.GiveMeIdling(false);
}

TEST(AKIdlingLoop, APeriodOfZeroOrNoFunctionMakesNoTimer)
{
    AKIdlingLoop noPeriod([](void*) {}, nullptr, 0);
    EXPECT_FALSE(noPeriod.Start());
    AKIdlingLoop noFunction(nullptr, nullptr, 50);
    EXPECT_FALSE(noFunction.Start());
    EXPECT_FALSE(noFunction.IsRunning());
}

}  // namespace
