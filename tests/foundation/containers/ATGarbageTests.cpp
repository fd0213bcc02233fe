#include "ATGarbage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// An object with a hold count that records its deletion.
struct Held {
    Held(std::vector<int>* log, int id) : fLog(log), fID(id) {}
    ~Held() { fLog->push_back(fID); }
    int GetHoldCount() const { return fHoldCount; }

    std::vector<int>* fLog;
    int fID;
    int fHoldCount = 0;
};

using Queue = ATGarbage<Held*, _AKDefaultDeleter, 8>;

// Runs idle passes until something is deleted; returns the pass number (1
// based), or 0 when nothing was deleted within `maxPasses`. `beforePass` is
// called with the pass number before each pass.
template <class F>
int PassOfFirstDeletion(Queue& queue, int maxPasses, F beforePass)
{
    for (int pass = 1; pass <= maxPasses; ++pass) {
        beforePass(pass);
        if (queue.DoIdling() > 0)
            return pass;
    }
    return 0;
}

TEST(ATGarbage, DeletionPassDependsOnHolds)
{
    struct Case {
        char const* name;
        int firstHeldPass, lastHeldPass;  // passes during which the object is held
        int expectedPass;
    } const cases[] = {
        {"never held", 0, -1, 8},
        {"held for the first three passes", 1, 3, 11},
        {"held for three passes in the middle", 4, 6, 11},  // the countdown pauses, it is not reset
        {"held on the last pass only", 8, 8, 9},
    };
    for (Case const& c : cases) {
        std::vector<int> deleted;
        Queue queue;
        Held* object = new Held(&deleted, 1);
        queue.Push(object);
        int pass = PassOfFirstDeletion(
            queue, 20, [&](int p) { object->fHoldCount = (p >= c.firstHeldPass && p <= c.lastHeldPass) ? 1 : 0; });
        EXPECT_EQ(pass, c.expectedPass) << c.name;
        EXPECT_EQ(deleted, std::vector<int>{1}) << c.name;
        EXPECT_TRUE(queue.IsEmpty()) << c.name;
    }
}

TEST(ATGarbage, StillHeldObjectsStayAndKeepTheirOrder)
{
    std::vector<int> deleted;
    Queue queue;
    Held* a = new Held(&deleted, 1);
    Held* b = new Held(&deleted, 2);
    Held* c = new Held(&deleted, 3);
    queue.Push(a);
    queue.Push(b);
    b->fHoldCount = 2;
    queue.DoIdling();
    queue.DoIdling();
    queue.Push(c);
    for (int pass = 3; pass <= 8; ++pass)
        queue.DoIdling();
    EXPECT_EQ(deleted, std::vector<int>{1});
    ASSERT_EQ(queue.Count(), 2u);
    EXPECT_EQ(queue.GetItems()[0].fObject, b);
    EXPECT_EQ(queue.GetItems()[0].fCountdown, 8);
    EXPECT_EQ(queue.GetItems()[1].fObject, c);
    EXPECT_EQ(queue.GetItems()[1].fCountdown, 2);

    b->fHoldCount = 0;
    queue.DoIdling();
    EXPECT_EQ(queue.DoIdling(), 1u);  // c: pushed before pass 3, deleted on pass 10
    EXPECT_EQ(deleted, (std::vector<int>{1, 3}));
    EXPECT_EQ(queue.Count(), 1u);
}

TEST(ATGarbage, ForcePurgeDeletesHeldObjects)
{
    std::vector<int> deleted;
    Queue queue;
    Held* held = new Held(&deleted, 1);
    held->fHoldCount = 5;
    queue.Push(held);
    queue.Push(new Held(&deleted, 2));
    queue.Push(nullptr);  // ignored
    EXPECT_EQ(queue.Count(), 2u);
    queue.DoIdling();
    EXPECT_EQ(queue.ForcePurge(), 2u);
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.ForcePurge(), 0u);
}

TEST(ATGarbage, DestructorPurges)
{
    std::vector<int> deleted;
    {
        Queue queue;
        Held* held = new Held(&deleted, 4);
        held->fHoldCount = 1;
        queue.Push(held);
    }
    EXPECT_EQ(deleted, std::vector<int>{4});
}

// A deleter that queues a follow-up object, as an owner's destructor might.
struct RequeueingDeleter {
    void operator()(Held* object) const;
};
using RequeueQueue = ATGarbage<Held*, RequeueingDeleter, 1>;
RequeueQueue* gRequeueTarget = nullptr;
std::vector<int>* gRequeueLog = nullptr;

void RequeueingDeleter::operator()(Held* object) const
{
    int id = object->fID;
    delete object;
    if (id < 3)
        gRequeueTarget->Push(new Held(gRequeueLog, id + 10));
}

TEST(ATGarbage, ObjectsQueuedWhileDeletingAreHandled)
{
    std::vector<int> deleted;
    gRequeueLog = &deleted;
    {
        RequeueQueue queue;
        gRequeueTarget = &queue;
        queue.Push(new Held(&deleted, 1));
        queue.Push(new Held(&deleted, 2));
        EXPECT_EQ(queue.DoIdling(), 2u);
        EXPECT_EQ(queue.Count(), 2u);  // the follow-ups wait for the next pass
        EXPECT_EQ(queue.ForcePurge(), 2u);
    }
    EXPECT_EQ(deleted, (std::vector<int>{1, 2, 11, 12}));
}

}  // namespace
