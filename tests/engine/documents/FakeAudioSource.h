#pragma once

// FakeAudioSource: a document's audio source for the document manager's
// tests. Prepared for a format, each block it gives holds one constant level
// in every sample; it counts what it is asked and can be told to give no
// block, to count any block asked after it was retired, or to hold a block
// or its preparation until released (to catch a changer that does not wait
// for the block, or an audio side that waits for the change).
//
// Install FakeAudioSource::Make with QVDocumentAudioSource::InstallMaker;
// every document made afterwards gets a source with the level of
// FakeAudioSource::NextLevel().

#include "QVDocument.h"
#include "QVDocumentAudioSource.h"

#include <atomic>
#include <thread>

class FakeAudioSource : public QVDocumentAudioSource
{
public:
    explicit FakeAudioSource(double level) : mLevel(level) {}

    static QVDocumentAudioSource* Make(QVDocument*) { return new FakeAudioSource(NextLevel()); }
    static double& NextLevel()
    {
        static double sLevel = 0.0;
        return sLevel;
    }
    static FakeAudioSource* Of(QVDocument const* document)
    {
        return static_cast<FakeAudioSource*>(document->GetAudioSource());
    }

    // Blocks asked of any source after it was retired.
    static std::atomic<unsigned long>& RetiredAsks()
    {
        static std::atomic<unsigned long> sCount{0};
        return sCount;
    }

    void PrepareAudioResources(QVAudioInfo const& format) override
    {
        mPreparing.store(true, std::memory_order_release);
        while (mHoldPreparation.load(std::memory_order_acquire))
            std::this_thread::yield();
        mPreparing.store(false, std::memory_order_release);
        mBlock.AllocateClean(format.channelCount, format.frameCount, format.sampleRate);
        for (unsigned int channel = 0; channel < mBlock.ChannelCount(); ++channel)
            for (unsigned long long frame = 0; frame < mBlock.FrameCount(); ++frame)
                *mBlock.SamplePtr(channel, frame) = mLevel;
        ++mPrepareCount;
    }
    void ReleaseAudioResources() override
    {
        mBlock.Free();
        ++mReleaseCount;
    }
    void SynchronizeWithDoc(bool live) override { ++(live ? mLiveSyncCount : mSpareSyncCount); }

    QXSampleBuffer<double>* GetNextAudioBlock(unsigned long long frameCount) override
    {
        mBlocksAsked.fetch_add(1, std::memory_order_relaxed);
        if (mRetired.load(std::memory_order_acquire))
            RetiredAsks().fetch_add(1, std::memory_order_relaxed);
        if (mHoldBlocks.load(std::memory_order_acquire)) {
            mHolding.store(true, std::memory_order_release);
            while (mHoldBlocks.load(std::memory_order_acquire))
                std::this_thread::yield();
            mHolding.store(false, std::memory_order_release);
        }
        if (!mGivesBlocks || mBlock.TotalChannelCount() == 0)
            return nullptr;
        mBlock.ResetAllWorkingSubRanges();
        if (frameCount < mBlock.TotalFrameCount())
            mBlock.StackWorkingSubRange(0, frameCount);
        return &mBlock;
    }

    double mLevel;
    bool mGivesBlocks = true;
    unsigned int mPrepareCount = 0;
    unsigned int mReleaseCount = 0;
    unsigned int mLiveSyncCount = 0;
    unsigned int mSpareSyncCount = 0;
    std::atomic<unsigned long> mBlocksAsked{0};
    std::atomic<bool> mRetired{false};
    std::atomic<bool> mHoldBlocks{false};
    std::atomic<bool> mHolding{false};
    std::atomic<bool> mHoldPreparation{false};
    std::atomic<bool> mPreparing{false};

private:
    QXSampleBuffer<double> mBlock;
};
