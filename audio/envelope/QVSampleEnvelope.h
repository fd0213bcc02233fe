#pragma once

// QVSampleEnvelope: the multi-level min/max overview of a sound that
// waveforms are drawn from. For each channel it keeps a pyramid of min/max
// pairs: an entry of group 0 summarises `FirstGroupSize()` samples, an entry
// of each further group `DivideFactor()` entries of the group below, down to
// one entry for the whole sound. All groups of a channel lie one after the
// other in one block.
//
// The first group size and the factor come from the preference
// "Envelope.MemoryOptimizationLevel", read once when the envelope is built:
//   level 0: 16 samples, factor 2 (about 1/8 of an entry per sample)
//   level 1: 16 samples, factor 4 (about 1/12)
//   level 2: 32 samples, factor 4 (about 1/24)
//
// A provider allocates its envelope clean and integrates each block of
// samples as the loader thread decodes it, in order; integrating touches
// only the entries covering the block plus one run of slack per group and
// allocates nothing. The envelope has no lock: its owner decides when the
// display may read it. Entries are single 32-bit words, so a read never sees
// half of a pair.

#include "ATArray.h"
#include "QVSampleMinimax.h"
#include "QVSampleRange.h"

template <typename T>
class QXSampleBuffer;

class QVSampleEnvelope
{
public:
    // Empty; level and constants from the preference.
    QVSampleEnvelope();
    ~QVSampleEnvelope();
    QVSampleEnvelope(QVSampleEnvelope const&) = delete;
    QVSampleEnvelope& operator=(QVSampleEnvelope const&) = delete;

    // Shapes the pyramid for `frameCount` frames of `channelCount` channels.
    // The same shape as now keeps the blocks (zeroed with clean). Otherwise
    // the envelope is freed and rebuilt: 0 channels and 0 frames, or 0
    // frames, or a pyramid whose entries do not fit in 32 bits, give false;
    // a block that cannot be had leaves the envelope empty and gives false.
    // Entries are zero-filled with clean, undefined otherwise. The rate is
    // set in every case.
    bool Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate, bool clean);
    bool AllocateClean(unsigned int channelCount, unsigned long long frameCount, double sampleRate)
    {
        return Allocate(channelCount, frameCount, sampleRate, true);
    }
    // Releases the blocks; no channel, no group, no frame, rate 0 (the level
    // and its constants stay).
    void Free();
    // Every entry of every channel becomes {0, 0}.
    void Zeroset();

    // Channel blocks, and frames the envelope was allocated for: what the
    // range check measures the envelope by.
    unsigned int ChannelCount() const { return mChannels.Count(); }
    unsigned long long FrameCount() const { return mFrameCount; }
    double SampleRate() const { return mSampleRate; }
    unsigned long long UsedMemory() const { return mUsedMemory; }
    unsigned long long MinimaxCountPerChannel() const { return mMinimaxCountPerChannel; }

    unsigned int OptimizationLevel() const { return mOptimizationLevel; }
    // Samples per entry of group 0.
    unsigned int FirstGroupSize() const { return mFirstGroupSize; }
    // Entries of group g - 1 per entry of group g.
    unsigned int DivideFactor() const { return mDivideFactor; }

    // Groups of the pyramid (0 when empty).
    unsigned int GroupCount() const;
    // Entries in a group; 0 for a group that does not exist.
    unsigned int MinimaxCountInGroup(unsigned int group) const;
    // For a zoom in samples per pixel, the coarsest group whose entries cover
    // no more samples than a pixel, clamped to the groups there are (0 with
    // fewer than 2 groups).
    unsigned int EstimateGroupLevel(double samplesByPixel) const;
    // Samples summarised by one entry of a group; 0 for a group that does
    // not exist.
    unsigned long long ComputeSamplesByPixel(unsigned int group) const;
    // An entry of a group of a channel; null when the channel or group does
    // not exist or the index is not below the group's entry count.
    QVSampleMinimax const* MinimaxPtrConst(unsigned int channel, unsigned int group, unsigned long long index) const;

    // Brings the envelope up to date with the samples of a planar buffer:
    // the buffer range's samples are the envelope range's frames. The
    // shorter of the two counts is integrated; envelope and buffer channels
    // are paired in order. Every group is recomputed over the part touched
    // below it. Blocks integrated one after another, in order, after a clean
    // allocation give the same envelope as one call over the whole sound,
    // whatever their lengths. Instances for float and double buffers.
    template <typename T>
    bool IntegrateSamples(QXSampleBuffer<T> const& buffer, QVSampleRange const& envelopeRange,
                          QVSampleRange const& bufferRange);
    template <typename T>
    bool IntegrateSamples(QXSampleBuffer<T> const& buffer, QVSampleRange const& range)
    {
        return IntegrateSamples(buffer, range, range);
    }
    // Allocate (not clean) for the buffer's working channels, frames and
    // rate, then integrate the whole buffer. False when the allocation fails.
    template <typename T>
    bool AllocateAndIntegrateSamples(QXSampleBuffer<T> const& buffer);

private:
    // Recomputes the groups above group 0 after group-0 entries
    // [firstTouched, firstTouched + touchedCount) of one channel changed.
    void UpdateUpperGroups(QVSampleMinimax* block, unsigned long long firstTouched,
                           unsigned long long touchedCount) const;

    ATArray<QVSampleMinimax*> mChannels;  // one block per channel, every group in it
    ATArray<unsigned int> mGroupOffsets;  // where each group starts; last = entries per channel
    unsigned long long mMinimaxCountPerChannel = 0;
    unsigned long long mFrameCount = 0;
    double mSampleRate = 0.0;
    unsigned long long mUsedMemory = 0;
    unsigned int mOptimizationLevel = 0;
    unsigned int mFirstGroupSize = 0;
    unsigned int mDivideFactor = 0;
};
