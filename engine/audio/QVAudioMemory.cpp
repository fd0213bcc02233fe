#include "QVAudioMemory.h"

#include "AKTree.h"
#include "QVDocument.h"
#include "QVObjectPoolable.h"
#include "QVPrefs.h"

namespace {

// Buffers of each pool, in pool order.
constexpr unsigned int kPoolSizes[kQVAudioMemoryPoolCount] = {9, 5, 1, 1, 1};
// The fixed factor of the pool 4 resampling source.
constexpr unsigned long long kResamplingFactor = 4;

}  // namespace

QVAudioMemory::QVAudioMemory(QVDocument* document) : mDocument(document)
{
    for (int pool = 1; pool <= kQVAudioMemoryPoolCount; ++pool) {
        Pool& entry = mPools[pool - 1];
        entry.buffers.Reserve(kPoolSizes[pool - 1]);
        for (unsigned int i = 0; i < kPoolSizes[pool - 1]; ++i) {
            QXSampleBuffer<double>* const buffer = new QXSampleBuffer<double>();
            buffer->SetUserFlag(pool);
            entry.buffers.Push(buffer);
        }
    }
    mZoneDesc.Reserve(kQVAudioSectorListReserve);
    mLoopDesc.Reserve(kQVAudioSectorListReserve);
}

QVAudioMemory::~QVAudioMemory()
{
    // The document's tree may be gone already: its playables free their own
    // resources when they are deleted.
    mAudioInfo.Clear();
    ReleaseAudioResources();
    for (Pool& pool : mPools)
        pool.buffers.DeleteAllObjectsWithDeleter<_AKDefaultDeleter>();
}

bool QVAudioMemory::PrepareAudioResources(QVAudioInfo const& info)
{
    ReleaseAudioResources();
    if (!info.IsValid() || info.frameCount == 0)
        return false;
    unsigned int const channels = info.channelCount;
    unsigned long long const block = info.frameCount;
    double const rate = info.sampleRate;
    unsigned long long const overlap = QVPrefs::EngineComputeOlapsysFrameCount(block, rate);
    unsigned long long const border = 2 * QXSampleBuffer<double>::GetSourceBorderFrameCountNeededToResample();

    mAudioInfo = info;
    mBlockFrameCount = block;
    mOlapsysFrameCount = overlap;
    mResamplingFrameCount = kResamplingFactor * (block + overlap) + border;
    mWideResamplingFrameCount = kQVEngineSourceResampleRatioMax * (block + overlap) + border;

    struct Shape {
        unsigned int channels;
        unsigned long long frames;
    };
    Shape const shapes[kQVAudioMemoryPoolCount] = {{channels, block},
                                                   {channels, block + overlap},
                                                   {kQVEngineSourceChannelCountMax, block + overlap},
                                                   {kQVEngineSourceChannelCountMax, mResamplingFrameCount},
                                                   {1, mWideResamplingFrameCount}};
    for (int pool = 0; pool < kQVAudioMemoryPoolCount; ++pool) {
        for (QXSampleBuffer<double>* buffer : mPools[pool].buffers) {
            if (!buffer->AllocateClean(shapes[pool].channels, shapes[pool].frames, rate)) {
                ReleaseAudioResources();
                return false;
            }
        }
    }
    if (!mGainMatrix.Allocate(channels, kQVEngineSourceChannelCountMax)) {
        ReleaseAudioResources();
        return false;
    }
    mGainMatrix.Clear();
    VisitPlayables(&mAudioInfo);
    return true;
}

void QVAudioMemory::ReleaseAudioResources()
{
    mZoneDesc.Clear();
    mLoopDesc.Clear();
    mGainMatrix.Free();
    mLentMatrixCount = 0;
    for (int pool = kQVAudioMemoryPoolCount - 1; pool >= 0; --pool) {
        ATArray<QXSampleBuffer<double>*>& buffers = mPools[pool].buffers;
        for (unsigned int i = buffers.Count(); i > 0; --i)
            buffers[i - 1]->Free();
        mPools[pool].lent = 0;
    }
    if (mAudioInfo.IsValid())
        VisitPlayables(nullptr);
    mAudioInfo.Clear();
    mBlockFrameCount = 0;
    mOlapsysFrameCount = 0;
    mResamplingFrameCount = 0;
    mWideResamplingFrameCount = 0;
}

QXSampleBuffer<double>* QVAudioMemory::RetainWorkingBuffer(int pool) const
{
    if (!IsPool(pool))
        return nullptr;
    Pool& entry = mPools[pool - 1];
    if (entry.lent >= entry.buffers.Count())
        return nullptr;
    QXSampleBuffer<double>* const buffer = entry.buffers[entry.lent++];
    buffer->ResetAllWorkingSubRanges();
    return buffer;
}

QXSampleBuffer<double>* QVAudioMemory::RetainWorkingBufferSameAs(QXSampleBuffer<double> const& block) const
{
    QXSampleBuffer<double>* const buffer = RetainWorkingBuffer(block.UserFlag());
    if (buffer != nullptr && !buffer->CopyWorkingSubRanges(block)) {
        // A block of another shape than its pool's: no copy can cover it.
        ReleaseWorkingBuffer(*buffer);
        return nullptr;
    }
    return buffer;
}

void QVAudioMemory::ReleaseWorkingBuffer(QXSampleBuffer<double>& buffer) const
{
    int const pool = buffer.UserFlag();
    if (IsPool(pool) && mPools[pool - 1].lent > 0)
        --mPools[pool - 1].lent;
}

unsigned int QVAudioMemory::CountPoolBuffers(int pool) const
{
    return IsPool(pool) ? mPools[pool - 1].buffers.Count() : 0;
}

unsigned int QVAudioMemory::CountLentBuffers(int pool) const { return IsPool(pool) ? mPools[pool - 1].lent : 0; }

QVGainMatrix* QVAudioMemory::RetainWorkingGainMatrix() const
{
    if (mLentMatrixCount > 0)
        return nullptr;
    QVGainMatrix* const matrix = &mGainMatrix;
    matrix->Clear();
    ++mLentMatrixCount;
    return matrix;
}

QVGainMatrix* QVAudioMemory::RetainWorkingGainMatrix(unsigned int outputCount, unsigned int inputCount) const
{
    if (mLentMatrixCount > 0)
        return nullptr;
    QVGainMatrix* const matrix = &mGainMatrix;
    if (!matrix->SetSize(outputCount, inputCount))
        return nullptr;
    ++mLentMatrixCount;
    return matrix;
}

void QVAudioMemory::ReleaseWorkingGainMatrix(QVGainMatrix& matrix) const
{
    if (&matrix == &mGainMatrix && mLentMatrixCount > 0)
        --mLentMatrixCount;
}

unsigned int QVAudioMemory::GetResamplingQuality() const
{
    if (mDocument == nullptr || !mDocument->IsRealTimeAudio())
        return 4;
    unsigned int const quality = QVPrefs::sShared.GetEngineResamplingQuality() + 1;
    return quality < 2 ? 1 : quality > 3 ? 3 : quality;
}

void QVAudioMemory::VisitPlayables(QVAudioInfo const* info) const
{
    AKTree const* const tree = mDocument != nullptr ? mDocument->GetTree() : nullptr;
    if (tree == nullptr)
        return;
    for (AKNode* node : tree->GetNodes()) {
        AKObject* const object = node != nullptr ? node->GetObject() : nullptr;
        if (object == nullptr || !object->IsKindOfT<QVObjectPoolable>())
            continue;
        // The base answers nothing; sequences and players set up their
        // plug-in instance and overlap buffer.
        QVObjectPoolable* const poolable = static_cast<QVObjectPoolable*>(object);
        if (info != nullptr)
            poolable->PrepareAudioResources(*info, mOlapsysFrameCount);
        else
            poolable->ReleaseAudioResources();
    }
}
