#include "JCIdlingCenter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gCalls;

class RecordingClient : public JCIdlingClient
{
public:
    explicit RecordingClient(char const* name) : mName(name) {}

    void idlingCallback() override
    {
        gCalls.push_back(mName);
        if (mAction)
            mAction();
    }

    std::string mName;
    std::function<void()> mAction;
};

class JCIdlingCenterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        gCalls.clear();
        ASSERT_FALSE(JCIdlingCenter::sShared.HasClients());
    }
    void TearDown() override { EXPECT_FALSE(JCIdlingCenter::sShared.HasClients()); }

    static void Pass(double nowMilliSec = 0.0) { JCIdlingCenter::sShared.DoGlobalIdlingAt(nowMilliSec); }
};

TEST_F(JCIdlingCenterTest, ClientsAreCalledInRegistrationOrderUntilTheyGiveUp)
{
    RecordingClient a("a"), b("b");
    b.giveMeIdling(true);
    a.giveMeIdling(true);
    a.giveMeIdling(true);  // registering twice changes nothing
    Pass();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"b", "a"}));

    b.giveMeIdling(false);
    EXPECT_FALSE(b.isIdlingRegistered());
    Pass();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"b", "a", "a"}));
    a.giveMeIdling(false);
}

TEST_F(JCIdlingCenterTest, ChangesDuringAPassTakeEffectSafely)
{
    RecordingClient a("a"), b("b"), c("c");
    a.mAction = [&] {
        b.giveMeIdling(false);  // removed later in the same pass: not called
        c.giveMeIdling(true);   // added: first call on the next pass
        a.giveMeIdling(false);  // removes itself
    };
    a.giveMeIdling(true);
    b.giveMeIdling(true);
    Pass();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"a"}));
    Pass();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"a", "c"}));
    c.giveMeIdling(false);
}

TEST_F(JCIdlingCenterTest, AClientAddedAndRemovedWithinOnePassIsNeverCalled)
{
    RecordingClient a("a"), b("b");
    a.mAction = [&] {
        b.giveMeIdling(true);
        b.giveMeIdling(false);
    };
    a.giveMeIdling(true);
    Pass();
    Pass();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"a", "a"}));
    a.giveMeIdling(false);
}

TEST_F(JCIdlingCenterTest, APassInsideAPassDoesNothing)
{
    RecordingClient a("a");
    a.mAction = [] { JCIdlingCenter::sShared.DoGlobalIdlingAt(0.0); };
    a.giveMeIdling(true);
    Pass();
    EXPECT_EQ(gCalls.size(), 1u);
    a.giveMeIdling(false);
}

TEST_F(JCIdlingCenterTest, APeriodSpacesTheCalls)
{
    RecordingClient a("a");
    a.setIdlingPeriod(250.0);
    a.giveMeIdling(true);
    for (double now : {1000.0, 1050.0, 1200.0, 1250.0, 1300.0, 1500.0})
        Pass(now);
    EXPECT_EQ(gCalls.size(), 3u);  // at 1000, 1250 and 1500

    a.setIdlingPeriod(-5.0);
    EXPECT_EQ(a.getIdlingPeriod(), 0.0);
    Pass(1501.0);
    EXPECT_EQ(gCalls.size(), 4u);
    a.giveMeIdling(false);
}

TEST_F(JCIdlingCenterTest, ADestroyedClientLeavesTheCenter)
{
    {
        RecordingClient a("a");
        a.giveMeIdling(true);
    }
    Pass();  // would call a dangling client
    EXPECT_TRUE(gCalls.empty());
}

}  // namespace
