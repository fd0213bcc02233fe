// The records poolable objects give the audio pools.

#include "QVAudioPool.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"

void QVObjectPoolable::GetSetupedAudioPool(QVAudioPool* pool) const
{
    pool->object = const_cast<QVObjectPoolable*>(this);
    pool->nodeID = GetID();
    pool->subLinksStamp = PoolableStampSubLinks();
    pool->farSubLinksStamp = PoolableStampFarSubLinks();
    pool->hasSubPools = false;
    pool->subsArePlayers = false;
    pool->subPools.clear();
}

void QVObjectPlayable::GetSetupedAudioPool(QVAudioPool* pool) const
{
    QVObjectPoolable::GetSetupedAudioPool(pool);
    QVPlayableKind const kind = GetKind();
    pool->hasSubPools = true;
    pool->subsArePlayers = QVPlayableKindIsSequence(kind) || QVPlayableKindIsCursor(kind);
}
