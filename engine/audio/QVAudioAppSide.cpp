// QVAudioAppSide: synchronisation of a pool copy with the document's objects.

#include "QVAudioAppSide.h"

#include "QVAudioMemory.h"
#include "QVObjectFolders.h"

#include <vector>

void QVAudioAppSide::SynchronizeSourcePool(QVAudioSourcePool* copy, QVObjectFolderSequence const* folder) const
{
    if (copy->removeDead) {
        rRemoveDeadPools(&copy->pools);
        copy->removeDead = false;
    }
    if (folder == nullptr) {
        rSynchronizePoolsWithObjects(&copy->pools, nullptr, true);
        return;
    }
    unsigned int const farStamp = folder->GetFarSubLinksStamp();
    if (farStamp == copy->farSubLinksStamp)
        return;
    copy->farSubLinksStamp = farStamp;
    bool const linksChanged = folder->GetSubLinksStamp() != copy->subLinksStamp;
    copy->subLinksStamp = folder->GetSubLinksStamp();
    rSynchronizePoolsWithObjects(&copy->pools, &folder->GetFLSubSequences(), linksChanged);
}

void QVAudioAppSide::rRemoveDeadPools(QVAudioPoolArray* pools)
{
    unsigned int kept = 0;
    for (unsigned int i = 0; i < pools->size(); ++i) {
        if ((*pools)[i].IsDead())
            continue;
        if (kept != i)
            (*pools)[kept] = (*pools)[i];
        ++kept;
    }
    pools->resize(kept);
    for (QVAudioPool& pool : *pools) {
        if (pool.hasSubPools)
            rRemoveDeadPools(&pool.subPools);
    }
}

void QVAudioAppSide::SynchronizeFoundPool(QVAudioPool* pool) const
{
    if (!pool->hasSubPools || pool->object == nullptr)
        return;
    QVObjectPoolable const* const object = pool->object;
    unsigned int const farStamp = object->PoolableStampFarSubLinks();
    if (farStamp == pool->farSubLinksStamp)
        return;
    pool->farSubLinksStamp = farStamp;
    unsigned int const subStamp = object->PoolableStampSubLinks();
    bool const linksChanged = subStamp != pool->subLinksStamp;
    pool->subLinksStamp = subStamp;
    rSynchronizePoolsWithObjects(&pool->subPools, &object->GetSubPoolables(), linksChanged);
}

void QVAudioAppSide::AppendBornPool(QVAudioPoolArray* pools, QVObjectPoolable* object) const
{
    pools->emplace_back();
    QVAudioPool& pool = pools->back();
    object->GetSetupedAudioPool(&pool);
    pool.life = kQVAudioPoolBorn;
    pool.zoneHint.store(0, std::memory_order_relaxed);
    object->HoldRetain();
    // Before the device format is known the memory's preparation reaches
    // every playable; there is nothing to size here yet.
    if (mMemory.GetAudioInfo().IsValid())
        object->PrepareAudioResources(mMemory.GetAudioInfo(), mMemory.GetOlapsysFrameCount());
    if (pool.hasSubPools)
        rSynchronizePoolsWithObjects(&pool.subPools, &object->GetSubPoolables(), true);
}

void QVAudioAppSide::rSynchronizePoolsWithObjects(QVAudioPoolArray* pools, QVObjectPoolableArray const* objects,
                                                  bool linksChanged) const
{
    unsigned int const objectCount = objects != nullptr ? objects->Count() : 0;
    if (!linksChanged) {
        for (QVAudioPool& pool : *pools) {
            if (!pool.IsDead())
                SynchronizeFoundPool(&pool);
        }
        return;
    }

    std::vector<QVObjectPoolable*> left(objectCount);
    for (unsigned int i = 0; i < objectCount; ++i)
        left[i] = (*objects)[i];
    unsigned int cursor = 0;
    // Records appended below are new: only the existing ones are matched.
    unsigned int const existing = static_cast<unsigned int>(pools->size());
    for (unsigned int p = 0; p < existing; ++p) {
        QVAudioPool& pool = (*pools)[p];
        // A dying record claims no object: one that came back before the
        // record died gets a new record while this one fades out.
        if (pool.life == kQVAudioPoolDead || pool.life == kQVAudioPoolDying)
            continue;
        int found = -1;
        if (pool.nodeID != kAKNullNodeID && objectCount > 0) {
            // At the cursor, then after it, then before it.
            for (unsigned int step = 0; step < objectCount && found < 0; ++step) {
                unsigned int const i = (cursor + step) % objectCount;
                if (left[i] != nullptr && left[i]->GetID() == pool.nodeID)
                    found = static_cast<int>(i);
            }
        }
        if (found < 0) {
            pool.life = kQVAudioPoolDying;
            if (pool.hasSubPools)
                rSynchronizePoolsWithObjects(&pool.subPools, nullptr, true);
            continue;
        }
        left[found] = nullptr;
        cursor = static_cast<unsigned int>(found) + 1;
        SynchronizeFoundPool(&pool);
    }
    for (QVObjectPoolable* object : left) {
        if (object != nullptr)
            AppendBornPool(pools, object);
    }
}
