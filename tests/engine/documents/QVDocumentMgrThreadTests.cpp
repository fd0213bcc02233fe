// The document manager and the document across threads: a real audio thread
// mixing blocks while the message thread registers, removes and deletes
// documents and prepares the device; the busy handshake in both directions;
// look-ups by document ID while the direct-access table grows and after it
// is given up; look-ups of objects by node ID and name path while the tree
// grows. Built to run under ThreadSanitizer.

#include "DocumentTestObjects.h"
#include "FakeAudioSource.h"
#include "QVDocumentMgr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr unsigned int kPrivateRealTime = kQVDocumentFlagPrivate | kQVDocumentFlagRealTimeAudio;

QVAudioInfo Format(unsigned int channels, unsigned long long frames)
{
    QVAudioInfo info;
    info.Setup(channels, frames, 48000.0);
    return info;
}

void WaitFor(std::atomic<bool> const& flag)
{
    while (!flag.load(std::memory_order_acquire))
        std::this_thread::yield();
}

class QVDocumentMgrThreadTest : public ::testing::Test
{
protected:
    void SetUp() override { QVDocumentAudioSource::InstallMaker(&FakeAudioSource::Make); }
    void TearDown() override { QVDocumentAudioSource::InstallMaker(nullptr); }

    static std::unique_ptr<QVDocument> NewDocument(double level, unsigned int flags = kPrivateRealTime)
    {
        FakeAudioSource::NextLevel() = level;
        return std::make_unique<QVDocument>(1, flags);
    }

    QVDocumentMgr mMgr;
};

// The audio thread mixes without pause while documents come and go and the
// device format changes; no source is ever asked for a block once its
// document has left the list, and every block mixed is whole.
TEST_F(QVDocumentMgrThreadTest, TheAudioThreadNeverMixesAStaleList)
{
    std::unique_ptr<QVDocument> const resident = NewDocument(0.5);
    mMgr.AddDocument(resident.get());
    mMgr.PrepareRealTimeAudioResources(Format(2, 64));
    FakeAudioSource::RetiredAsks() = 0;

    std::atomic<bool> stop{false};
    std::atomic<unsigned long> mixed{0};
    std::atomic<unsigned long> badBlocks{0};
    // The device glue's own buffer, as large as the largest format used.
    QXSampleBuffer<double> output;
    output.AllocateClean(2, 64, 48000.0);
    std::thread audio([&] {
        while (!stop.load(std::memory_order_acquire)) {
            if (!mMgr.CopyNextRealTimeAudioBlock(&output, 0))
                continue;
            // The resident document always plays 0.5; a guest adds 1. Every
            // format used has at least 32 frames.
            double const level = *output.SamplePtrConst(0, 0);
            if ((level != 0.5 && level != 1.5) || *output.SamplePtrConst(1, 31) != level)
                badBlocks.fetch_add(1, std::memory_order_relaxed);
            mixed.fetch_add(1, std::memory_order_relaxed);
        }
    });

    for (unsigned int round = 0; round < 400 || mixed.load() < 200; ++round) {
        std::unique_ptr<QVDocument> guest = NewDocument(1.0);
        mMgr.AddDocument(guest.get());
        std::this_thread::yield();
        mMgr.RemoveDocument(guest.get());
        FakeAudioSource::Of(guest.get())->mRetired = true;
        guest.reset();
        if (round % 50 == 0)
            mMgr.PrepareRealTimeAudioResources(Format(2, round % 100 == 0 ? 32 : 64));
    }
    stop = true;
    audio.join();

    EXPECT_GE(mixed.load(), 200u);
    EXPECT_EQ(badBlocks.load(), 0u);
    EXPECT_EQ(FakeAudioSource::RetiredAsks().load(), 0u);
    mMgr.RemoveDocument(resident.get());
}

// A change started during a block waits for the block to end.
TEST_F(QVDocumentMgrThreadTest, AChangeWaitsForTheBlockInProgress)
{
    std::unique_ptr<QVDocument> const playing = NewDocument(0.5);
    mMgr.AddDocument(playing.get());
    mMgr.PrepareRealTimeAudioResources(Format(2, 16));
    FakeAudioSource* const source = FakeAudioSource::Of(playing.get());
    source->mHoldBlocks = true;

    std::atomic<bool> mixedOne{false};
    std::thread audio([&] {
        QXSampleBuffer<double>* mix = nullptr;
        mixedOne = mMgr.GetNextRealTimeAudioBlock(&mix, 0);
    });
    WaitFor(source->mHolding);
    EXPECT_TRUE(mMgr.IsBusy());

    std::unique_ptr<QVDocument> const newcomer = NewDocument(1.0);
    std::atomic<bool> added{false};
    std::thread changer([&] {
        mMgr.AddDocument(newcomer.get());
        added = true;
    });
    // However long the block lasts, the newcomer is not in the list before it ends.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(added.load());
    EXPECT_EQ(mMgr.CountDocuments(), 1u);

    source->mHoldBlocks = false;
    audio.join();
    changer.join();
    EXPECT_TRUE(mixedOne.load());
    EXPECT_TRUE(added.load());
    EXPECT_FALSE(mMgr.IsBusy());
    mMgr.RemoveDocument(newcomer.get());
    mMgr.RemoveDocument(playing.get());
}

// A block asked while a change holds the documents is skipped at once.
TEST_F(QVDocumentMgrThreadTest, ABlockAskedDuringAChangeIsSkippedNotWaitedFor)
{
    std::unique_ptr<QVDocument> const document = NewDocument(0.5);
    mMgr.AddDocument(document.get());
    FakeAudioSource* const source = FakeAudioSource::Of(document.get());
    source->mHoldPreparation = true;
    std::thread preparer([&] { mMgr.PrepareRealTimeAudioResources(Format(2, 16)); });
    WaitFor(source->mPreparing);

    std::atomic<int> result{-1};
    std::atomic<bool> nullMix{false};
    std::thread audio([&] {
        QXSampleBuffer<double>* mix = reinterpret_cast<QXSampleBuffer<double>*>(0x1);
        result = mMgr.GetNextRealTimeAudioBlock(&mix, 0) ? 1 : 0;
        nullMix = mix == nullptr;
    });
    audio.join();  // returns while the change is still held
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(nullMix.load());
    EXPECT_EQ(source->mBlocksAsked.load(), 0u);

    source->mHoldPreparation = false;
    preparer.join();
    QXSampleBuffer<double>* mix = nullptr;
    EXPECT_TRUE(mMgr.GetNextRealTimeAudioBlock(&mix, 0));
    EXPECT_EQ(*mix->SamplePtrConst(0, 0), 0.5);
    mMgr.RemoveDocument(document.get());
}

// Look-ups by ID from another thread meet a table that grows, chunk after
// chunk, then is given up for the list.
TEST_F(QVDocumentMgrThreadTest, LookUpsByIDNeverRaceTheGrowthOfTheTable)
{
    std::vector<std::unique_ptr<QVDocument>> documents;
    std::atomic<QVDocumentID> highest{0};
    std::atomic<bool> stop{false};
    std::atomic<unsigned long> found{0};
    std::atomic<unsigned long> wrong{0};
    std::thread reader([&] {
        QVDocumentID id = 0;
        while (!stop.load(std::memory_order_acquire)) {
            id = id >= highest.load(std::memory_order_acquire) + 2 ? 0 : id + 1;
            if (QVDocument const* const document = mMgr.GetDocumentByID(id)) {
                if (document->GetDocumentID() != id)
                    wrong.fetch_add(1, std::memory_order_relaxed);
                found.fetch_add(1, std::memory_order_relaxed);
            }
        }
    });

    auto registerSome = [&](unsigned int count) {
        for (unsigned int i = 0; i < count; ++i) {
            documents.push_back(NewDocument(0, kQVDocumentFlagPrivate));
            mMgr.AddDocument(documents.back().get());
            highest = documents.back()->GetDocumentID();
            if (i % 3 == 2)
                mMgr.RemoveDocument(documents[documents.size() - 2].get());
        }
    };
    registerSome(600);
    // Past the table's last ID (IDs are never reused, so burn them).
    while (true) {
        QVDocument probe(1, kQVDocumentFlagPrivate);
        if (probe.GetDocumentID() >= kQVDocumentIDTableMaxID)
            break;
    }
    registerSome(300);
    EXPECT_FALSE(mMgr.IsDirectAccessOn());
    stop = true;
    reader.join();

    EXPECT_EQ(wrong.load(), 0u);
    EXPECT_GT(found.load(), 0u);
    for (auto const& document : documents)
        mMgr.RemoveDocument(document.get());
}

// OSC look-ups of objects by node ID and by name path while the message
// thread adds objects (growing the tree's tables) and resynchronises.
TEST_F(QVDocumentMgrThreadTest, ObjectLookUpsNeverRaceTheGrowthOfTheTree)
{
    QVDocument document(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(document.OnDocumentNew("Tree", 0, false), 0);
    AKObject* const sequence = TestAddObject<TestSequence>(document, nullptr, "S");
    ASSERT_NE(sequence, nullptr);

    std::atomic<bool> stop{false};
    std::atomic<unsigned long> wrong{0};
    std::atomic<unsigned long> byPath{0};
    std::thread osc([&] {
        AKNodeID id = 0;
        while (!stop.load(std::memory_order_acquire)) {
            id = id > 4000 ? 1 : id + 1;
            if (AKObject const* const object = document.GetObjectForOSC(id, AKString(), AKClassID())) {
                if (object->NodeOwnerID() != id)
                    wrong.fetch_add(1, std::memory_order_relaxed);
            }
            if (document.GetObjectForOSCT<TestPlayer>(0, ":S:1") != nullptr)
                byPath.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // Until the reader has had its share of look-ups as well.
    unsigned int added = 0;
    while (added < 1500 || (byPath.load() < 100 && added < 100000)) {
        AKTreeActionParam created(document.GetTree());
        ASSERT_NE(TestAddObject<TestPlayer>(document, sequence, "P", kAKLinkModeFirstChildren, &created), nullptr);
        if (++added % 25 == 0)
            document.SynchronizeAllAndNotifyGandlerListeners(created);
    }
    stop = true;
    osc.join();

    EXPECT_EQ(wrong.load(), 0u);
    EXPECT_GE(byPath.load(), 100u);
    EXPECT_EQ(document.GetTree()->CountNodes(), 2 + added);
}

}  // namespace
