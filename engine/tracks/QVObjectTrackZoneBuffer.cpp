#include "QVObjectTrackZoneBuffer.h"

#include <cstddef>
#include <new>
#include <thread>

namespace {

// Bytes before the zones in a snapshot block, keeping their alignment.
constexpr size_t kZonesOffset = alignof(QVTrackZoneArray) > sizeof(std::atomic<int>)
                                    ? alignof(QVTrackZoneArray)
                                    : ((sizeof(std::atomic<int>) + alignof(QVTrackZoneArray) - 1) /
                                       alignof(QVTrackZoneArray)) *
                                          alignof(QVTrackZoneArray);
static_assert(alignof(QVTrackZoneArray) <= alignof(std::max_align_t), "zones fit the block's alignment");

}  // namespace

QVObjectTrackZoneBuffer::Snapshot* QVObjectTrackZoneBuffer::NewSnapshot(QVTrackZoneArray const& zones)
{
    unsigned char* const block = static_cast<unsigned char*>(::operator new(kZonesOffset + sizeof(QVTrackZoneArray)));
    Snapshot* const snapshot = ::new (block) Snapshot();
    ::new (block + kZonesOffset) QVTrackZoneArray(zones);
    return snapshot;
}

void QVObjectTrackZoneBuffer::DeleteSnapshot(Snapshot* snapshot)
{
    unsigned char* const block = reinterpret_cast<unsigned char*>(snapshot);
    std::launder(reinterpret_cast<QVTrackZoneArray*>(block + kZonesOffset))->~QVTrackZoneArray();
    snapshot->~Snapshot();
    ::operator delete(block);
}

QVTrackZoneArray const& QVObjectTrackZoneBuffer::ZonesOf(Snapshot const* snapshot)
{
    unsigned char const* const block = reinterpret_cast<unsigned char const*>(snapshot);
    return *std::launder(reinterpret_cast<QVTrackZoneArray const*>(block + kZonesOffset));
}

QVObjectTrackZoneBuffer::Snapshot const* QVObjectTrackZoneBuffer::SnapshotOf(QVTrackZoneArray const* zones)
{
    unsigned char const* const block = reinterpret_cast<unsigned char const*>(zones) - kZonesOffset;
    return std::launder(reinterpret_cast<Snapshot const*>(block));
}

QVObjectTrackZoneBuffer::QVObjectTrackZoneBuffer() : mLive(NewSnapshot(QVTrackZoneArray()))
{
    mEditing.Reserve(10);
    mRetired.reserve(kQVTrackZoneRetiredMax + 1);
}

QVObjectTrackZoneBuffer::~QVObjectTrackZoneBuffer()
{
    // The owner is deleted once no pool holds it: no reader is left.
    for (Retired const& retired : mRetired)
        DeleteSnapshot(retired.snapshot);
    DeleteSnapshot(mLive.load(std::memory_order_seq_cst));
}

void QVObjectTrackZoneBuffer::Publish()
{
    Snapshot* const old = mLive.exchange(NewSnapshot(mEditing), std::memory_order_seq_cst);
    mRetired.push_back(Retired{old, false});
    Reclaim();
    // Bound the memory held by retired lists: wait, on this thread only,
    // for one moment where no reader is between its first steps and for the
    // readers of the oldest lists to leave.
    while (mRetired.size() > kQVTrackZoneRetiredMax) {
        std::this_thread::yield();
        Reclaim();
    }
}

void QVObjectTrackZoneBuffer::Reclaim()
{
    if (mRetired.empty())
        return;
    if (mEntering.load(std::memory_order_seq_cst) == 0)
        for (Retired& retired : mRetired)
            retired.unreachable = true;
    size_t kept = 0;
    for (Retired const& retired : mRetired) {
        if (retired.unreachable && retired.snapshot->readers.load(std::memory_order_seq_cst) == 0)
            DeleteSnapshot(retired.snapshot);
        else
            mRetired[kept++] = retired;
    }
    mRetired.resize(kept);
}

QVTrackZoneArray const* QVObjectTrackZoneBuffer::LockForAudio() const
{
    mEntering.fetch_add(1, std::memory_order_seq_cst);
    Snapshot const* const snapshot = mLive.load(std::memory_order_seq_cst);
    snapshot->readers.fetch_add(1, std::memory_order_seq_cst);
    mEntering.fetch_sub(1, std::memory_order_seq_cst);
    return &ZonesOf(snapshot);
}

void QVObjectTrackZoneBuffer::UnlockForAudio(QVTrackZoneArray const* zones) const
{
    if (zones != nullptr)
        SnapshotOf(zones)->readers.fetch_sub(1, std::memory_order_seq_cst);
}
