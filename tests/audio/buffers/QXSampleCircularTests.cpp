// The circular frame queue: wrapping, overlap and keep, the answers at its
// limits, a randomised comparison with a plain model, a producer/consumer
// run on two threads with numbered frames (this program also runs under
// ThreadSanitizer), and proof that pushing and peeking allocate nothing.

#include "AllocationProbe.h"
#include "QXSampleCircular.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <random>
#include <string>
#include <thread>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr unsigned int kChannels = 2;

// The sample of frame number x, channel c: exact in float up to 2^21 frames.
double FrameValue(unsigned long long x, unsigned int c) { return static_cast<double>(x * 4 + c + 1); }

// Writes frames numbered from `firstNumber` into frames [first, first + n) of a buffer.
template <class T>
void FillNumbered(QXSampleBuffer<T>& buffer, unsigned long long first, unsigned long long n,
                  unsigned long long firstNumber)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); ++c) {
        T* samples = buffer.SamplePtr(c, first);
        for (unsigned long long i = 0; i < n; ++i)
            samples[i] = static_cast<T>(FrameValue(firstNumber + i, c));
    }
}

// Whether frames [first, first + n) of a buffer are numbered from `firstNumber`.
template <class T>
::testing::AssertionResult HoldsNumbered(QXSampleBuffer<T> const& buffer, unsigned long long first,
                                         unsigned long long n, unsigned long long firstNumber)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); ++c) {
        for (unsigned long long i = 0; i < n; ++i) {
            T const value = *buffer.SamplePtrConst(c, first + i);
            if (value != static_cast<T>(FrameValue(firstNumber + i, c)))
                return ::testing::AssertionFailure() << "frame " << first + i << " channel " << c << " holds " << value
                                                     << ", expected frame number " << firstNumber + i;
        }
    }
    return ::testing::AssertionSuccess();
}

template <class T>
::testing::AssertionResult HoldsZeros(QXSampleBuffer<T> const& buffer, unsigned long long first, unsigned long long n)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); ++c)
        for (unsigned long long i = 0; i < n; ++i)
            if (*buffer.SamplePtrConst(c, first + i) != T(0))
                return ::testing::AssertionFailure() << "frame " << first + i << " channel " << c << " is not 0";
    return ::testing::AssertionSuccess();
}

QVSampleRange Frames(unsigned long long first, unsigned long long count)
{
    return QVSampleRangeMake(kQVSampleRangeAllChannels, first, count);
}

template <class T>
class QXSampleCircularTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(queue.Allocate(kChannels, 10, 48000.0));
        ASSERT_TRUE(source.AllocateClean(kChannels, 64, 48000.0));
        ASSERT_TRUE(destination.AllocateClean(kChannels, 64, 48000.0));
    }
    // Pushes n frames numbered from the next number.
    bool PushNumbered(unsigned long long n, unsigned long long overlap = 0)
    {
        FillNumbered(source, 0, n, nextNumber - overlap);
        bool const pushed = queue.PushFrames(source, Frames(0, n), overlap);
        if (pushed)
            nextNumber += n - overlap;
        return pushed;
    }

    QXSampleCircular<T> queue;
    QXSampleBuffer<T> source;
    QXSampleBuffer<T> destination;
    unsigned long long nextNumber = 0;
};

using ElementTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QXSampleCircularTest, ElementTypes);

TYPED_TEST(QXSampleCircularTest, WrapsAroundTheStorageAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(10u, this->queue.TotalFrameCount());
    EXPECT_EQ(kChannels, this->queue.ChannelCount());
    EXPECT_FALSE(this->queue.IsSomethingToPeek());

    ASSERT_TRUE(this->PushNumbered(7));
    EXPECT_EQ(5u, this->queue.PeekFrames(&this->destination, Frames(0, 5), 0, false));
    EXPECT_TRUE(HoldsNumbered(this->destination, 0, 5, 0));
    // Frames 7 to 9 of the storage, then 0 to 2.
    ASSERT_TRUE(this->PushNumbered(6));
    EXPECT_EQ(8u, this->queue.AvailableFrameCountToPeek());
    EXPECT_EQ(2u, this->queue.AvailableFrameCountForPush());
    EXPECT_FALSE(this->PushNumbered(3));
    EXPECT_EQ(8u, this->queue.AvailableFrameCountToPeek());

    EXPECT_EQ(8u, this->queue.PeekFrames(&this->destination, Frames(0, 8), 0, false));
    EXPECT_TRUE(HoldsNumbered(this->destination, 0, 8, 5));
    EXPECT_FALSE(this->queue.IsSomethingToPeek());
    EXPECT_EQ(10u, this->queue.AvailableFrameCountForPush());
}

TYPED_TEST(QXSampleCircularTest, PeekZeroesTheRestOfTheRangeUnlessAdding)
{
    ASSERT_TRUE(this->PushNumbered(4));
    FillNumbered(this->destination, 0, 10, 1000);
    EXPECT_EQ(4u, this->queue.PeekFrames(&this->destination, Frames(0, 10), 0, false));
    EXPECT_TRUE(HoldsNumbered(this->destination, 0, 4, 0));
    EXPECT_TRUE(HoldsZeros(this->destination, 4, 6));

    // With add the delivered frames are summed in and the rest left alone.
    ASSERT_TRUE(this->PushNumbered(4));
    FillNumbered(this->destination, 0, 10, 1000);
    EXPECT_EQ(4u, this->queue.PeekFrames(&this->destination, Frames(0, 10), 0, true));
    for (unsigned int c = 0; c < kChannels; ++c) {
        for (unsigned int i = 0; i < 4; ++i)
            EXPECT_EQ(static_cast<TypeParam>(FrameValue(1000 + i, c) + FrameValue(4 + i, c)),
                      *this->destination.SamplePtrConst(c, i));
    }
    EXPECT_TRUE(HoldsNumbered(this->destination, 4, 6, 1004));
}

TYPED_TEST(QXSampleCircularTest, KeptFramesAreDeliveredAgain)
{
    ASSERT_TRUE(this->PushNumbered(5));
    EXPECT_EQ(5u, this->queue.PeekFrames(&this->destination, Frames(0, 5), 2, false));
    EXPECT_EQ(2u, this->queue.AvailableFrameCountToPeek());
    EXPECT_EQ(2u, this->queue.PeekFrames(&this->destination, Frames(0, 5), 0, false));
    EXPECT_TRUE(HoldsNumbered(this->destination, 0, 2, 3));
    // A keep count above the range's frame count is refused.
    ASSERT_TRUE(this->PushNumbered(3));
    EXPECT_EQ(0u, this->queue.PeekFrames(&this->destination, Frames(0, 2), 3, false));
    EXPECT_EQ(3u, this->queue.AvailableFrameCountToPeek());
}

TYPED_TEST(QXSampleCircularTest, OverlapAddsOntoTheLastQueuedFrames)
{
    ASSERT_TRUE(this->PushNumbered(2));
    FillNumbered(this->source, 0, 5, 100);
    EXPECT_FALSE(this->queue.PushFrames(this->source, Frames(0, 5), 3));  // only 2 queued
    EXPECT_FALSE(this->queue.PushFrames(this->source, Frames(0, 2), 3));  // range shorter than the overlap
    EXPECT_EQ(2u, this->queue.AvailableFrameCountToPeek());

    // Frames 3 to 10 queued, the last three at storage frames 8, 9 and 0: an
    // overlap of 3 sums across the wrap and appends 2 at storage frames 1, 2.
    ASSERT_TRUE(this->PushNumbered(6));
    EXPECT_EQ(3u, this->queue.SkipFrames(3));
    ASSERT_TRUE(this->PushNumbered(3));
    EXPECT_EQ(8u, this->queue.AvailableFrameCountToPeek());
    FillNumbered(this->source, 0, 5, 500);
    ASSERT_TRUE(this->queue.PushFrames(this->source, Frames(0, 5), 3));
    EXPECT_EQ(10u, this->queue.AvailableFrameCountToPeek());

    EXPECT_EQ(10u, this->queue.PeekFrames(&this->destination, Frames(0, 10), 0, false));
    EXPECT_TRUE(HoldsNumbered(this->destination, 0, 5, 3));
    for (unsigned int c = 0; c < kChannels; ++c)
        for (unsigned int i = 0; i < 3; ++i)
            EXPECT_EQ(static_cast<TypeParam>(FrameValue(8 + i, c) + FrameValue(500 + i, c)),
                      *this->destination.SamplePtrConst(c, 5 + i));
    EXPECT_TRUE(HoldsNumbered(this->destination, 8, 2, 503));

    // An overlap equal to the range sums without appending.
    ASSERT_TRUE(this->PushNumbered(1));
    EXPECT_TRUE(this->queue.PushFrames(this->source, Frames(0, 1), 1));
    EXPECT_EQ(1u, this->queue.AvailableFrameCountToPeek());
}

TYPED_TEST(QXSampleCircularTest, SkipZerosAndOccupation)
{
    ASSERT_TRUE(this->PushNumbered(4));
    EXPECT_EQ(4u, this->queue.SkipFrames(100));
    EXPECT_EQ(0u, this->queue.SkipFrames(5));

    EXPECT_TRUE(this->queue.PushZeros(0));
    ASSERT_TRUE(this->PushNumbered(4));
    EXPECT_EQ(4u, this->queue.SkipFrames(4));
    ASSERT_TRUE(this->queue.PushZeros(6));  // storage frames 8, 9, then 0 to 3
    EXPECT_FALSE(this->queue.PushZeros(5));
    FillNumbered(this->destination, 0, 6, 1000);
    EXPECT_EQ(6u, this->queue.PeekFrames(&this->destination, Frames(0, 6), 0, false));
    EXPECT_TRUE(HoldsZeros(this->destination, 0, 6));

    QXSampleCircular<TypeParam> big;
    EXPECT_EQ(0.0, big.BufferOccupation());
    EXPECT_TRUE(big.IsEmpty());
    ASSERT_TRUE(big.Allocate(kChannels, 20, 44100.0));
    EXPECT_FALSE(big.IsEmpty());
    EXPECT_EQ(44100.0, big.SampleRate());
    EXPECT_EQ(20u * kChannels * sizeof(TypeParam), big.UsedMemory());
    ASSERT_TRUE(big.PushFrames(this->source, Frames(0, 5), 0));
    EXPECT_DOUBLE_EQ(0.25, big.BufferOccupation());
    big.Reset();
    EXPECT_EQ(0.0, big.BufferOccupation());
    EXPECT_EQ(20u, big.AvailableFrameCountForPush());
    big.Free();
    EXPECT_EQ(0u, big.TotalFrameCount());
    EXPECT_FALSE(big.PushZeros(1));
}

TYPED_TEST(QXSampleCircularTest, RangesMustCoverTheQueuesChannels)
{
    ASSERT_TRUE(this->PushNumbered(3));
    QXSampleBuffer<TypeParam> mono;
    ASSERT_TRUE(mono.AllocateClean(1, 8, 48000.0));
    EXPECT_FALSE(this->queue.PushFrames(mono, Frames(0, 2), 0));
    EXPECT_EQ(0u, this->queue.PeekFrames(&mono, Frames(0, 2), 0, false));
    EXPECT_FALSE(this->queue.PushFrames(this->source, QVSampleRangeMake(0, 0, 2), 0));
    EXPECT_EQ(0u, this->queue.PeekFrames(&this->destination, QVSampleRangeMake(1, 0, 2), 0, false));
    EXPECT_FALSE(this->queue.PushFrames(this->source, Frames(60, 5), 0));  // beyond the source
    EXPECT_EQ(0u, this->queue.PeekFrames(nullptr, Frames(0, 2), 0, false));
    EXPECT_EQ(3u, this->queue.AvailableFrameCountToPeek());

    // The working channel count is what counts: a narrowed source is accepted.
    QXSampleBuffer<TypeParam> wide;
    ASSERT_TRUE(wide.AllocateClean(3, 8, 48000.0));
    EXPECT_FALSE(this->queue.PushFrames(wide, Frames(0, 2), 0));
    ASSERT_TRUE(wide.SetWorkingChannelCount(2, false));
    EXPECT_TRUE(this->queue.PushFrames(wide, Frames(0, 2), 0));

    // A peek into a narrowed destination fills its working range.
    ASSERT_TRUE(this->destination.StackWorkingSubRange(10, 20));
    FillNumbered(this->destination, 0, 20, 900);
    EXPECT_EQ(5u, this->queue.PeekFrames(&this->destination, Frames(2, 8), 0, false));
    ASSERT_TRUE(this->destination.UnstackWorkingSubRange());
    EXPECT_TRUE(HoldsNumbered(this->destination, 10, 2, 900));
    EXPECT_TRUE(HoldsNumbered(this->destination, 12, 3, 0));
    EXPECT_TRUE(HoldsZeros(this->destination, 15, 5));
    EXPECT_TRUE(HoldsNumbered(this->destination, 20, 10, 910));
}

// Random pushes (some with overlaps), zeros, peeks (some with keep counts or
// adding) and skips against a plain model of the queue.
TYPED_TEST(QXSampleCircularTest, MatchesAModelOverRandomOperations)
{
    using T = TypeParam;
    QXSampleCircular<T> queue;
    ASSERT_TRUE(queue.Allocate(kChannels, 37, 48000.0));
    std::deque<std::vector<T>> model;
    std::mt19937 random(1234);
    auto draw = [&](unsigned int n) { return static_cast<unsigned long long>(random() % (n + 1)); };
    T nextValue = 1;

    for (int step = 0; step < 4000; ++step) {
        unsigned int const op = random() % 5;
        if (op == 0 || op == 1) {
            unsigned long long const n = draw(30);
            unsigned long long const overlap = (random() % 3 == 0) ? draw(static_cast<unsigned int>(n)) : 0;
            for (unsigned int c = 0; c < kChannels; ++c)
                for (unsigned long long i = 0; i < n; ++i)
                    *this->source.SamplePtr(c, i) = nextValue++;
            bool const fits = overlap <= model.size() && n - overlap <= 37 - model.size();
            ASSERT_EQ(fits, queue.PushFrames(this->source, Frames(0, n), overlap));
            if (!fits)
                continue;
            for (unsigned long long i = 0; i < n; ++i) {
                std::vector<T> frame(kChannels);
                for (unsigned int c = 0; c < kChannels; ++c)
                    frame[c] = *this->source.SamplePtrConst(c, i);
                if (i < overlap) {
                    std::vector<T>& target = model[model.size() - overlap + i];
                    for (unsigned int c = 0; c < kChannels; ++c)
                        target[c] += frame[c];
                } else {
                    model.push_back(frame);
                }
            }
        } else if (op == 2) {
            unsigned long long const n = draw(10);
            bool const fits = n <= 37 - model.size();
            ASSERT_EQ(fits, queue.PushZeros(n));
            if (fits)
                for (unsigned long long i = 0; i < n; ++i)
                    model.push_back(std::vector<T>(kChannels, T(0)));
        } else if (op == 3) {
            unsigned long long const n = draw(40);
            unsigned long long const keep = (random() % 3 == 0) ? draw(static_cast<unsigned int>(n)) : 0;
            bool const add = random() % 4 == 0;
            for (unsigned int c = 0; c < kChannels; ++c)
                for (unsigned long long i = 0; i < 40; ++i)
                    *this->destination.SamplePtr(c, i) = T(-1);
            unsigned long long const expected = std::min<unsigned long long>(n, model.size());
            ASSERT_EQ(expected, queue.PeekFrames(&this->destination, Frames(0, n), keep, add));
            for (unsigned int c = 0; c < kChannels; ++c) {
                for (unsigned long long i = 0; i < 40; ++i) {
                    T want = T(-1);
                    if (i < expected)
                        want = add ? T(-1) + model[i][c] : model[i][c];
                    else if (i < n && !add)
                        want = T(0);
                    ASSERT_EQ(want, *this->destination.SamplePtrConst(c, i)) << "step " << step << " frame " << i;
                }
            }
            for (unsigned long long i = 0; i < expected - std::min(keep, expected); ++i)
                model.pop_front();
        } else {
            unsigned long long const n = draw(15);
            unsigned long long const expected = std::min<unsigned long long>(n, model.size());
            ASSERT_EQ(expected, queue.SkipFrames(n));
            for (unsigned long long i = 0; i < expected; ++i)
                model.pop_front();
        }
        ASSERT_EQ(model.size(), queue.AvailableFrameCountToPeek());
        ASSERT_EQ(37 - model.size(), queue.AvailableFrameCountForPush());
    }
}

// One producer pushing numbered frames in blocks of random sizes, one consumer
// peeking, keeping and skipping, and a third thread watching the occupation.
template <class T>
void RunProducerConsumer()
{
    constexpr unsigned long long kTotal = 1ull << 19;
    constexpr unsigned int kMaxBlock = 300;
    QXSampleCircular<T> queue;
    ASSERT_TRUE(queue.Allocate(kChannels, 1000, 48000.0));
    QXSampleBuffer<T> source;
    QXSampleBuffer<T> destination;
    ASSERT_TRUE(source.AllocateClean(kChannels, kMaxBlock, 48000.0));
    ASSERT_TRUE(destination.AllocateClean(kChannels, 400, 48000.0));

    std::atomic<bool> produced{false};
    std::atomic<bool> done{false};
    std::atomic<bool> badOccupation{false};
    std::thread producer([&] {
        std::mt19937 random(7);
        unsigned long long next = 0;
        while (next < kTotal) {
            unsigned long long const n = std::min<unsigned long long>(1 + random() % kMaxBlock, kTotal - next);
            FillNumbered(source, 0, n, next);
            while (!queue.PushFrames(source, Frames(0, n), 0))
                std::this_thread::yield();
            next += n;
        }
        produced = true;
    });
    std::thread watcher([&] {
        while (!done.load()) {
            double const occupation = queue.BufferOccupation();
            if (occupation < 0.0 || occupation > 1.0 || queue.AvailableFrameCountToPeek() > 1000)
                badOccupation = true;
            std::this_thread::yield();
        }
    });

    std::mt19937 random(11);
    unsigned long long expected = 0;
    std::string failure;
    while (expected < kTotal && failure.empty()) {
        unsigned int const choice = random() % 8;
        if (choice == 0) {
            expected += queue.SkipFrames(random() % 50);
            continue;
        }
        unsigned long long const n = 1 + random() % 400;
        unsigned long long const keep = choice == 1 ? random() % (n + 1) : 0;
        unsigned long long const got = queue.PeekFrames(&destination, Frames(0, n), keep, false);
        if (got == 0) {
            std::this_thread::yield();
            continue;
        }
        ::testing::AssertionResult const numbered = HoldsNumbered(destination, 0, got, expected);
        ::testing::AssertionResult const zeros = HoldsZeros(destination, got, n - got);
        if (!numbered)
            failure = numbered.message();
        else if (!zeros)
            failure = zeros.message();
        expected += got - std::min(keep, got);
    }
    // After a failure, drain until the producer is through so that it can be joined.
    while (!produced.load())
        queue.SkipFrames(kTotal);
    producer.join();
    done = true;
    watcher.join();
    EXPECT_EQ("", failure);
    EXPECT_FALSE(badOccupation.load());
    EXPECT_FALSE(queue.IsSomethingToPeek());
}

TEST(QXSampleCircularThreads, ProducerAndConsumerSeeEveryFrameInOrder)
{
    RunProducerConsumer<float>();
    RunProducerConsumer<double>();
}

TEST(QXSampleCircularAllocation, PushPeekSkipAllocateNothing)
{
    QXSampleCircular<double> queue;
    QXSampleBuffer<double> block;
    ASSERT_TRUE(queue.Allocate(4, 1024, 48000.0));
    ASSERT_TRUE(block.AllocateClean(4, 512, 48000.0));
    unsigned long long const memory = queue.UsedMemory();

    AllocationProbe::Start();
    for (int i = 0; i < 100; ++i) {
        queue.PushFrames(block, Frames(0, 300), 0);
        queue.PushFrames(block, Frames(0, 100), 50);
        queue.PushZeros(20);
        queue.PeekFrames(&block, Frames(0, 512), 10, i % 2 == 0);
        queue.SkipFrames(30);
        queue.BufferOccupation();
    }
    AllocationProbe::Stop();
    EXPECT_EQ(0u, AllocationProbe::Count());
    EXPECT_EQ(memory, queue.UsedMemory());
}

}  // namespace
