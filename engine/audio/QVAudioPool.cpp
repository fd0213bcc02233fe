// QVAudioPool: copies and the diagnostic dump of pool records.

#include "QVAudioPool.h"

#include "AKLog.h"
#include "QVObjectPoolable.h"

namespace {

void rDebugPrint(QVAudioPoolArray const& pools, unsigned int depth)
{
    for (QVAudioPool const& pool : pools) {
        AKString const className = pool.object != nullptr ? pool.object->GetClassID().GetName() : AKString("null");
        AKLog("%*sPool[%s] ID[%03d] Vers[%u/%u] Object[%s]", static_cast<int>(depth * 2), "",
              QVAudioPoolLifeWord(pool.life), static_cast<int>(pool.nodeID), pool.subLinksStamp, pool.farSubLinksStamp,
              className.c_str());
        if (pool.hasSubPools) {
            AKLog(" with %u Subs.\n", static_cast<unsigned int>(pool.subPools.size()));
            rDebugPrint(pool.subPools, depth + 1);
        } else {
            AKLog(".\n");
        }
    }
}

}  // namespace

char const* QVAudioPoolLifeWord(unsigned int life)
{
    static char const* const kWords[] = {"Dead", "Dyng", "Life", "Born"};
    return life <= kQVAudioPoolBorn ? kWords[life] : "????";
}

QVAudioPool& QVAudioPool::operator=(QVAudioPool const& other)
{
    if (this == &other)
        return *this;
    life = other.life;
    object = other.object;
    nodeID = other.nodeID;
    subLinksStamp = other.subLinksStamp;
    farSubLinksStamp = other.farSubLinksStamp;
    zoneHint.store(other.zoneHint.load(std::memory_order_relaxed), std::memory_order_relaxed);
    hasSubPools = other.hasSubPools;
    subsArePlayers = other.subsArePlayers;
    subPools = other.subPools;
    return *this;
}

void QVAudioSourcePoolDebugPrint(QVAudioSourcePool const& pool) { rDebugPrint(pool.pools, 0); }
