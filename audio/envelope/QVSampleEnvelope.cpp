#include "QVSampleEnvelope.h"

#include "QVAudioResourcePrefs.h"
#include "QXSampleBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

// Samples per entry of group 0, and entries of a group per entry of the
// group above, by memory optimisation level.
static constexpr unsigned int kFirstGroupSamplesByMinimax[kQVEnvelopeMemoryOptimizationLevelMax + 1] = {16, 16, 32};
static constexpr unsigned int kGroupToSubGroupDivideCoeff[kQVEnvelopeMemoryOptimizationLevelMax + 1] = {2, 4, 4};

// Group offsets are 32-bit entry indices.
static constexpr unsigned long long kMaxMinimaxCountPerChannel = 0xFFFFFFFFull;

QVSampleEnvelope::QVSampleEnvelope()
{
    mOptimizationLevel =
        std::min(QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel, kQVEnvelopeMemoryOptimizationLevelMax);
    mFirstGroupSize = kFirstGroupSamplesByMinimax[mOptimizationLevel];
    mDivideFactor = kGroupToSubGroupDivideCoeff[mOptimizationLevel];
}

QVSampleEnvelope::~QVSampleEnvelope() { Free(); }

bool QVSampleEnvelope::Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate, bool clean)
{
    // The same shape keeps its blocks (the provider re-prepares its envelope
    // for every load of the same sound).
    if (frameCount != 0 && channelCount == mChannels.Count() && frameCount == mFrameCount &&
        mGroupOffsets.Count() >= 2) {
        if (clean)
            Zeroset();
        mSampleRate = sampleRate;
        return true;
    }

    Free();
    mSampleRate = sampleRate;
    if (channelCount == 0 && frameCount == 0)
        return false;
    mChannels.SetCount(channelCount);
    if (frameCount == 0)
        return false;

    // Group 0 has one entry per started run of h samples; each further group
    // one per started run of d entries, up to a group of a single entry.
    unsigned long long const h = mFirstGroupSize;
    unsigned long long const d = mDivideFactor;
    unsigned long long entries = (frameCount + h - 1) / h;
    unsigned long long total = 0;
    unsigned int groupCount = 1;
    for (unsigned long long count = entries; count > 1; count = (count + d - 1) / d) {
        total += count;
        ++groupCount;
    }
    total += 1;
    if (total > kMaxMinimaxCountPerChannel) {
        mChannels.Clear();
        return false;
    }

    mGroupOffsets.Reserve(groupCount + 1);
    mGroupOffsets.Push(0);
    total = 0;
    for (unsigned long long count = entries; count > 1; count = (count + d - 1) / d) {
        total += count;
        mGroupOffsets.Push(static_cast<unsigned int>(total));
    }
    total += 1;
    mGroupOffsets.Push(static_cast<unsigned int>(total));

    size_t const blockBytes = static_cast<size_t>(total) * sizeof(QVSampleMinimax);
    for (unsigned int channel = 0; channel < channelCount; ++channel) {
        void* block = clean ? calloc(1, blockBytes) : malloc(blockBytes);
        if (block == nullptr) {
            for (unsigned int done = 0; done < channel; ++done)
                free(mChannels[done]);
            mChannels.Clear();
            mGroupOffsets.Clear();
            return false;
        }
        mChannels[channel] = static_cast<QVSampleMinimax*>(block);
    }

    mMinimaxCountPerChannel = total;
    mFrameCount = frameCount;
    mUsedMemory = total * channelCount * sizeof(QVSampleMinimax);
    return true;
}

void QVSampleEnvelope::Free()
{
    if (mChannels.IsEmpty() && mGroupOffsets.IsEmpty())
        return;
    for (QVSampleMinimax* block : mChannels)
        free(block);
    mChannels.Clear();
    mGroupOffsets.Clear();
    mMinimaxCountPerChannel = 0;
    mFrameCount = 0;
    mSampleRate = 0.0;
    mUsedMemory = 0;
}

void QVSampleEnvelope::Zeroset()
{
    size_t const blockBytes = static_cast<size_t>(mMinimaxCountPerChannel) * sizeof(QVSampleMinimax);
    for (QVSampleMinimax* block : mChannels) {
        if (block != nullptr)
            memset(block, 0, blockBytes);
    }
}

unsigned int QVSampleEnvelope::GroupCount() const { return mGroupOffsets.IsEmpty() ? 0 : mGroupOffsets.Count() - 1; }

unsigned int QVSampleEnvelope::MinimaxCountInGroup(unsigned int group) const
{
    if (group >= GroupCount())
        return 0;
    return mGroupOffsets[group + 1] - mGroupOffsets[group];
}

unsigned int QVSampleEnvelope::EstimateGroupLevel(double samplesByPixel) const
{
    unsigned int const groups = GroupCount();
    if (groups < 2 || !(samplesByPixel >= mFirstGroupSize))
        return 0;
    // floor(log_d(samplesByPixel / h)), walked in exact powers so that a zoom
    // of exactly h × d^g picks group g.
    unsigned int group = 0;
    double cover = mFirstGroupSize;
    while (group + 1 < groups && cover * mDivideFactor <= samplesByPixel) {
        cover *= mDivideFactor;
        ++group;
    }
    return group;
}

unsigned long long QVSampleEnvelope::ComputeSamplesByPixel(unsigned int group) const
{
    if (group >= GroupCount())
        return 0;
    return static_cast<unsigned long long>(std::pow(static_cast<double>(mDivideFactor), static_cast<double>(group)) *
                                           mFirstGroupSize);
}

QVSampleMinimax const* QVSampleEnvelope::MinimaxPtrConst(unsigned int channel, unsigned int group,
                                                         unsigned long long index) const
{
    if (channel >= mChannels.Count() || mChannels[channel] == nullptr || index >= MinimaxCountInGroup(group))
        return nullptr;
    return mChannels[channel] + mGroupOffsets[group] + index;
}

void QVSampleEnvelope::UpdateUpperGroups(QVSampleMinimax* block, unsigned long long firstTouched,
                                         unsigned long long touchedCount) const
{
    unsigned long long const d = mDivideFactor;
    unsigned int const groups = GroupCount();
    for (unsigned int group = 1; group < groups; ++group) {
        QVSampleMinimax const* below = block + mGroupOffsets[group - 1];
        unsigned long long const belowCount = mGroupOffsets[group] - mGroupOffsets[group - 1];
        QVSampleMinimax* entries = block + mGroupOffsets[group];

        // From the touched start aligned down to a run of d, over the touched
        // entries plus one run of slack for that alignment.
        unsigned long long const start = firstTouched / d * d;
        unsigned long long const sourceCount = std::min(start + touchedCount + d, belowCount) - start;
        unsigned long long entry = start / d;
        unsigned long long done = 0;
        for (; sourceCount - done >= d; done += d)
            entries[entry++] = QVSampleMinimaxMakeWithMinimaxs(below + start + done, mDivideFactor);
        if (done < sourceCount)
            entries[entry++] =
                QVSampleMinimaxMakeWithMinimaxs(below + start + done, static_cast<unsigned int>(sourceCount - done));

        firstTouched = start / d;
        touchedCount = (sourceCount + d - 1) / d;
    }
}

// The channels a checked range visits: all from 0, or the one it names.
static void RangeChannels(QVSampleRange const& range, unsigned int channelCount, unsigned int* first,
                          unsigned int* count)
{
    if (range.channel == kQVSampleRangeAllChannels) {
        *first = 0;
        *count = channelCount;
    } else {
        *first = static_cast<unsigned int>(range.channel);
        *count = 1;
    }
}

template <typename T>
bool QVSampleEnvelope::IntegrateSamples(QXSampleBuffer<T> const& buffer, QVSampleRange const& envelopeRange,
                                        QVSampleRange const& bufferRange)
{
    QVSampleRange des = envelopeRange;
    QVSampleRange src = bufferRange;
    if (!QVSampleRangeCheck("IntegrateSamples", "Des", &des, *this) ||
        !QVSampleRangeCheck("IntegrateSamples", "Src", &src, buffer))
        return false;
    unsigned long long const n = std::min(des.frameCount, src.frameCount);
    if (n == 0 || mGroupOffsets.Count() < 2)
        return true;

    unsigned int desFirst, desCount, srcFirst, srcCount;
    RangeChannels(des, ChannelCount(), &desFirst, &desCount);
    RangeChannels(src, buffer.ChannelCount(), &srcFirst, &srcCount);
    unsigned int const pairs = std::min(desCount, srcCount);

    unsigned long long const h = mFirstGroupSize;
    unsigned long long const firstEntry = des.firstFrame / h;
    unsigned long long const lead = des.firstFrame % h;
    for (unsigned int pair = 0; pair < pairs; ++pair) {
        QVSampleMinimax* block = mChannels[desFirst + pair];
        T const* samples = buffer.SamplePtrConst(srcFirst + pair, src.firstFrame);
        if (block == nullptr || samples == nullptr)
            continue;

        // Group 0 in runs aligned on its entries. A block starting inside an
        // entry completes it: the entry already holds the frames before it.
        unsigned long long entry = firstEntry;
        unsigned long long done = 0;
        if (lead != 0) {
            done = std::min(n, h - lead);
            QVSampleMinimax both[2] = {block[entry],
                                       QVSampleMinimaxMakeWithSamples(samples, static_cast<unsigned int>(done))};
            block[entry++] = QVSampleMinimaxMakeWithMinimaxs(both, 2);
        }
        for (; n - done >= h; done += h)
            block[entry++] = QVSampleMinimaxMakeWithSamples(samples + done, mFirstGroupSize);
        if (done < n)
            block[entry++] = QVSampleMinimaxMakeWithSamples(samples + done, static_cast<unsigned int>(n - done));

        UpdateUpperGroups(block, firstEntry, entry - firstEntry);
    }
    return true;
}

template <typename T>
bool QVSampleEnvelope::AllocateAndIntegrateSamples(QXSampleBuffer<T> const& buffer)
{
    if (!Allocate(buffer.ChannelCount(), buffer.FrameCount(), buffer.SampleRate(), false))
        return false;
    return IntegrateSamples(buffer, kQVSampleRangeAll, kQVSampleRangeAll);
}

template bool QVSampleEnvelope::IntegrateSamples<float>(QXSampleBuffer<float> const&, QVSampleRange const&,
                                                        QVSampleRange const&);
template bool QVSampleEnvelope::IntegrateSamples<double>(QXSampleBuffer<double> const&, QVSampleRange const&,
                                                         QVSampleRange const&);
template bool QVSampleEnvelope::AllocateAndIntegrateSamples<float>(QXSampleBuffer<float> const&);
template bool QVSampleEnvelope::AllocateAndIntegrateSamples<double>(QXSampleBuffer<double> const&);
