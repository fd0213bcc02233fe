#pragma once

// QVAudioMemory: the working buffers of one document's audio path. Every
// buffer that the mixer and the plug-in instances need while they compute a
// block is allocated when the device format is prepared, in five pools by
// shape; inside a block they are lent and given back in the reverse order,
// so one small fixed set serves every nesting level of the mix.
//
//   pool  buffers  channels          frames
//   1     9        device channels   block
//   2     5        device channels   block + overlap
//   3     1        16                block + overlap
//   4     1        16                4 x (block + overlap) + 2 x border
//   5     1        1                 64 x (block + overlap) + 2 x border
//
// The overlap is the anti-click tail each single player renders beyond the
// block (QVPrefs::EngineComputeOlapsysFrameCount); the border is the frames
// the resampler reads on each side of its source. Each buffer carries its
// pool number as its user flag, so that it can be given back, or matched,
// from the buffer alone.
//
// Beside the buffers: one gain matrix (device channels x 16 reserved) for
// routing a zone onto the device channels, and the two sector lists of the
// track reader, reserved for kQVAudioSectorListReserve records each.
//
// Threads: construction, preparation and release on the main thread while
// no block of the document is computed; lending and giving back inside a
// block, on the one thread that computes it. Lending allocates nothing.

#include "QVAudioInfo.h"
#include "QVAudioSector.h"
#include "QVAudioServices.h"
#include "QVGainMatrix.h"
#include "QXSampleBuffer.h"

class QVDocument;

// The pools, numbered from 1.
constexpr int kQVAudioMemoryPoolCount = 5;
// The most channels a sound brings to the mix.
constexpr unsigned int kQVEngineSourceChannelCountMax = 16;
// The highest resampling ratio.
constexpr unsigned int kQVEngineSourceResampleRatioMax = 64;

class QVAudioMemory final : public QVAudioWorkingMemory
{
public:
    // Every buffer made empty and tagged with its pool; sizes are zero until
    // prepared. The document may be null.
    explicit QVAudioMemory(QVDocument* document);
    ~QVAudioMemory() override;

    QVAudioMemory(QVAudioMemory const&) = delete;
    QVAudioMemory& operator=(QVAudioMemory const&) = delete;

    // Sizes every buffer for the device format (zero-filled, at its rate);
    // false when the format is invalid or memory is short (everything is
    // then released).
    bool PrepareAudioResources(QVAudioInfo const& info);
    // Frees the samples, keeps the buffers; every size back to zero.
    void ReleaseAudioResources();

    // The next free buffer of the pool, its working ranges reset to the
    // whole buffer; null for a pool outside 1 to 5 or when every buffer of
    // the pool is lent.
    QXSampleBuffer<double>* RetainWorkingBuffer(int pool) const;
    // A buffer of the block's pool covering the same frames (its working
    // ranges copied from the block); null when the block belongs to no pool
    // or its pool is exhausted.
    QXSampleBuffer<double>* RetainWorkingBufferSameAs(QXSampleBuffer<double> const& block) const override;
    // Gives back the last lent buffer of the buffer's pool; a buffer of no
    // pool is ignored. The samples stay as they are.
    void ReleaseWorkingBuffer(QXSampleBuffer<double>& buffer) const override;

    // The gain matrix, cleared to 0 x 0, or sized outputs x inputs with
    // every coefficient 0 (null when that does not fit its reserved storage
    // or the matrix is already lent). Given back with ReleaseWorkingGainMatrix.
    QVGainMatrix* RetainWorkingGainMatrix() const;
    QVGainMatrix* RetainWorkingGainMatrix(unsigned int outputCount, unsigned int inputCount) const;
    void ReleaseWorkingGainMatrix(QVGainMatrix& matrix) const;
    unsigned int CountLentGainMatrixes() const { return mLentMatrixCount; }

    // The scratch lists of the track reader, rebuilt at every use inside a block.
    QVAudioZoneDesc& GetZoneDesc() const { return mZoneDesc; }
    QVAudioLoopDesc& GetLoopDesc() const { return mLoopDesc; }

    // The resampler quality of the document's reads: 4 without a document
    // or for one that is not mixed in real time (bounces), else
    // "Engine.ResamplingQuality" + 1 kept within 1 to 3.
    unsigned int GetResamplingQuality() const;

    // A check hook after each document block; does nothing.
    void DebugAssertAllWorkingBuffersAndMatrixesAreReleased() const {}

    QVDocument* GetDocument() const { return mDocument; }
    QVAudioInfo const& GetAudioInfo() const { return mAudioInfo; }
    unsigned long long GetBlockFrameCount() const { return mBlockFrameCount; }
    unsigned long long GetOlapsysFrameCount() const { return mOlapsysFrameCount; }
    unsigned long long GetResamplingSourceFrameCount() const { return mResamplingFrameCount; }
    unsigned long long GetWideResamplingSourceFrameCount() const { return mWideResamplingFrameCount; }
    // Buffers of a pool, and how many of them are lent; 0 outside 1 to 5.
    unsigned int CountPoolBuffers(int pool) const;
    unsigned int CountLentBuffers(int pool) const;

private:
    struct Pool {
        ATArray<QXSampleBuffer<double>*> buffers;
        unsigned int lent = 0;
    };

    static bool IsPool(int pool) { return pool >= 1 && pool <= kQVAudioMemoryPoolCount; }
    // Asks every playable of the document's tree to prepare for the format
    // (with the overlap) or, with a null format, to release.
    void VisitPlayables(QVAudioInfo const* info) const;

    QVDocument* const mDocument;
    QVAudioInfo mAudioInfo;
    unsigned long long mBlockFrameCount = 0;
    unsigned long long mOlapsysFrameCount = 0;
    unsigned long long mResamplingFrameCount = 0;
    unsigned long long mWideResamplingFrameCount = 0;
    // Indexed by pool number minus 1; the counts change inside const lending.
    mutable Pool mPools[kQVAudioMemoryPoolCount];
    mutable QVGainMatrix mGainMatrix;
    mutable unsigned int mLentMatrixCount = 0;
    mutable QVAudioZoneDesc mZoneDesc;
    mutable QVAudioLoopDesc mLoopDesc;
};
