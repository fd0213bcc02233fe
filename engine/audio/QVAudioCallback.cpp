// QVAudioCallback: the real-time mix of a document's sequences and players.

#include "QVAudioCallback.h"

#include "QVAudioMemory.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVPluginInstance.h"
#include "QVPrefs.h"

#include <algorithm>
#include <cmath>

namespace {

// Exact copies need a live interval longer than this (seconds).
constexpr double kTrueCopySpanDurMin = 0.5;

QVObjectPlayable* PlayableOf(QVAudioPool const& pool)
{
    QVObjectPoolable* const object = pool.object;
    return object != nullptr && object->IsKindOfT<QVObjectPlayable>() ? static_cast<QVObjectPlayable*>(object)
                                                                      : nullptr;
}

// Own gain ramp, then the plug-in: what a level with a plug-in slot reports.
bool ApplyOwnGainAndPlugin(QXSampleBuffer<double>* buffer, QVObjectPlayable const* playable, bool hasSound,
                           QVAudioMemory const& memory, bool* tail)
{
    if (hasSound)
        buffer->ApplyGain(playable->GetRTPrevState().gain, playable->GetRTCurrState().gain, kQVSampleRangeAll);
    QVPluginInstance* const plugin = playable->GetPluginInstance();
    if (plugin == nullptr)
        return hasSound;
    if (!hasSound && !(plugin->GetTailDuration() > 0.0))
        return false;
    bool const result = plugin->ApplyRTFilter(buffer, hasSound, memory);
    *tail = plugin->GetTailDuration() > 0.0;
    return result;
}

// A Dying record whose object came back before it died shares that object
// with a later Born record: the object's state is computed once per block,
// by the Born one.
bool SharesObjectWithLaterRecord(QVAudioPoolArray const& pools, std::size_t index)
{
    QVAudioPool const& pool = pools[index];
    if (pool.life != kQVAudioPoolDying)
        return false;
    for (std::size_t i = index + 1; i < pools.size(); ++i) {
        if (pools[i].object == pool.object && !pools[i].IsDead() && pools[i].life != kQVAudioPoolDying)
            return true;
    }
    return false;
}

}  // namespace

int QVSetAudioTest(int) { return 0; }

QVAudioCallback::QVAudioCallback(QVAudioMemory const& memory, bool doubleBuffered)
    : mMemory(memory), mDoubleBuffered(doubleBuffered), mLow(memory, doubleBuffered), mReader(memory)
{}

double QVAudioCallback::BlockDuration(QXSampleBuffer<double> const& buffer)
{
    double const rate = buffer.SampleRate();
    return rate > 0.0 ? static_cast<double>(buffer.FrameCount()) / rate : 0.0;
}

// --- Message thread ---

bool QVAudioCallback::SetMasterVolume(double volume)
{
    if (std::isnan(volume))
        return false;
    volume = std::min(std::max(volume, kQVEngineVolumeMin), kQVEngineVolumeMax);
    if (volume == mMasterVolume.load(std::memory_order_relaxed))
        return false;
    mMasterVolume.store(volume, std::memory_order_relaxed);
    mTargetMasterGain.store(QVParamGainFromVolume(volume), std::memory_order_relaxed);
    mChangeStamp.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void QVAudioCallback::ForceUpdatePoolsRTState(QVAudioSourcePool* pool)
{
    if (mDoubleBuffered)
        return;
    for (QVAudioPool const& sequence : pool->pools)
        UpdateSequenceSubsRTState(sequence, 0.0, true);
}

// --- States ---

void QVAudioCallback::UpdateSequenceSubsRTState(QVAudioPool const& sequencePool, double dt, bool reset)
{
    QVObjectPlayable* const sequence = PlayableOf(sequencePool);
    if (sequencePool.IsDead() || sequence == nullptr)
        return;
    QVPlayableRTState const sequenceState = sequence->ComputeRTCurrState(kQVNullPlayableRTState, dt, reset);
    QVAudioPoolArray const& subs = sequencePool.subPools;
    for (std::size_t s = 0; s < subs.size(); ++s) {
        QVAudioPool const& sub = subs[s];
        QVObjectPlayable* const player = PlayableOf(sub);
        if (sub.IsDead() || player == nullptr || SharesObjectWithLaterRecord(subs, s))
            continue;
        bool const subReset = reset || sub.life == kQVAudioPoolBorn;
        QVPlayableRTState const playerState = player->ComputeRTCurrState(sequenceState, dt, subReset);
        if (!sub.subsArePlayers)
            continue;
        for (std::size_t a = 0; a < sub.subPools.size(); ++a) {
            QVAudioPool const& subSub = sub.subPools[a];
            QVObjectPlayable* const atomic = PlayableOf(subSub);
            if (!subSub.IsDead() && atomic != nullptr && !SharesObjectWithLaterRecord(sub.subPools, a))
                atomic->ComputeRTCurrState(playerState, dt, subReset);
        }
    }
}

bool QVAudioCallback::rUpdatePoolsLivingState(QVAudioPoolArray& pools)
{
    bool died = false;
    for (QVAudioPool& pool : pools) {
        if (pool.IsDead())
            continue;
        bool const hadSubs = !pool.subPools.empty();
        if (pool.life == kQVAudioPoolDying) {
            pool.life = kQVAudioPoolDead;
            if (pool.object != nullptr)
                pool.object->HoldRelease();
            pool.object = nullptr;
            died = true;
        } else if (pool.life == kQVAudioPoolBorn) {
            pool.life = kQVAudioPoolLife;
        }
        if (hadSubs && rUpdatePoolsLivingState(pool.subPools))
            died = true;
    }
    return died;
}

void QVAudioCallback::UpdatePoolsLivingState(QVAudioSourcePool* pool)
{
    if (rUpdatePoolsLivingState(pool->pools))
        pool->removeDead = true;
}

// --- Blocks ---

bool QVAudioCallback::GrabAudioBlock(QVAudioSourcePool* pool, QXSampleBuffer<double>* block)
{
    QXSampleBuffer<double>* const scratch = mMemory.RetainWorkingBufferSameAs(*block);
    block->Zeroset(kQVSampleRangeAll);
    double const dt = BlockDuration(*block);
    unsigned int count = 0;
    for (QVAudioPool& record : pool->pools) {
        QVObjectPoolable* const object = record.object;
        if (record.IsDead() || object == nullptr || !object->IsKindOfT<QVObjectSequence>())
            continue;
        auto* const sequence = static_cast<QVObjectSequence*>(object);
        QXSampleBuffer<double>* const target = count == 0 ? block : scratch;
        if (target != nullptr && GrabAudioBlockOfSequence(target, record, sequence)) {
            if (target != block)
                block->CopyAdd(*scratch, kQVSampleRangeAll);
            ++count;
        }
        // A recall moves on even while the sequence is silent.
        QVPresetsBlock& presets = sequence->GetPresetsBlock();
        if (presets.GetRecallIndex() != -1)
            presets.DoSchedul(dt);
    }
    if (scratch != nullptr)
        mMemory.ReleaseWorkingBuffer(*scratch);

    double const target = mTargetMasterGain.load(std::memory_order_relaxed);
    if (count > 0)
        block->ApplyGain(mPrevMasterGain, target, kQVSampleRangeAll);
    mPrevMasterGain = target;
    return count > 0;
}

unsigned int QVAudioCallback::MixSubPlayers(QXSampleBuffer<double>* buffer, QVAudioPool& pool, double parentSpeed,
                                            bool ownGain, bool subsOfCursor)
{
    QXSampleBuffer<double>* const scratch = mMemory.RetainWorkingBufferSameAs(*buffer);
    unsigned int count = 0;
    for (QVAudioPool& sub : pool.subPools) {
        QVObjectPoolable* const object = sub.object;
        if (sub.IsDead() || object == nullptr)
            continue;
        QXSampleBuffer<double>* const target = count == 0 ? buffer : scratch;
        if (target == nullptr)
            break;
        bool sounded = false;
        if (object->IsKindOfT<QVObjectAtomic>())
            sounded = GrabAudioBlockOfAtomic(target, sub, static_cast<QVObjectAtomic*>(object), parentSpeed, ownGain);
        else if (!subsOfCursor && object->IsKindOfT<QVObjectCursor>())
            sounded = GrabAudioBlockOfCursor(target, sub, static_cast<QVObjectCursor*>(object), ownGain);
        if (sounded) {
            if (target != buffer)
                buffer->CopyAdd(*scratch, kQVSampleRangeAll);
            ++count;
        }
    }
    if (scratch != nullptr)
        mMemory.ReleaseWorkingBuffer(*scratch);
    return count;
}

bool QVAudioCallback::GrabAudioBlockOfSequence(QXSampleBuffer<double>* buffer, QVAudioPool& pool,
                                               QVObjectSequence* sequence)
{
    UpdateSequenceSubsRTState(pool, BlockDuration(*buffer), false);
    buffer->Zeroset(kQVSampleRangeAll);
    QVPlayableRTState const& current = sequence->GetRTCurrState();
    bool const ownGain = sequence->GetPluginInstance() != nullptr || sequence->GetFLPluginCount() > 0;
    unsigned int const count = MixSubPlayers(buffer, pool, current.speed, ownGain, false);
    bool result = count > 0;
    bool tail = false;
    if (ownGain)
        result = ApplyOwnGainAndPlugin(buffer, sequence, count > 0, mMemory, &tail);
    sequence->SetRTCurrentInfo(current.active, result, tail, false, 0);
    return result;
}

bool QVAudioCallback::GrabAudioBlockOfCursor(QXSampleBuffer<double>* buffer, QVAudioPool& pool, QVObjectCursor* multi,
                                             bool ownGain)
{
    buffer->Zeroset(kQVSampleRangeAll);
    QVPlayableRTState const& current = multi->GetRTCurrState();
    unsigned int const count = MixSubPlayers(buffer, pool, current.speed, ownGain, true);
    bool result = count > 0;
    bool tail = false;
    if (ownGain)
        result = ApplyOwnGainAndPlugin(buffer, multi, count > 0, mMemory, &tail);
    multi->SetRTCurrentInfo(current.active, result, tail, false, 0);
    return result;
}

bool QVAudioCallback::GrabAudioBlockOfAtomic(QXSampleBuffer<double>* buffer, QVAudioPool& pool, QVObjectAtomic* player,
                                             double parentSpeed, bool ownGain)
{
    // The overlap step writes every frame of the block; other paths clear it.
    bool written = false;
    QVPlayableRTState const& previous = player->GetRTPrevState();
    QVPlayableRTState const& current = player->GetRTCurrState();
    bool const pP = previous.playing, pA = previous.active;
    bool const cP = current.playing, cA = current.active;
    unsigned long long trackMask = 0;
    bool smoothed = false;

    if ((pP || cP) && (pA || cA)) {
        bool const fadeIn = pool.life == kQVAudioPoolBorn || !pP || (!pA && cA);
        bool const fadeOut = pool.life == kQVAudioPoolDying || (pP && !cP) || (pA && !cA);
        unsigned long long const blockFrames = buffer->FrameCount();

        QXSampleBuffer<double>* const extended = mMemory.RetainWorkingBuffer(2);
        if (extended != nullptr) {
            // Each track read writes or zeroes every frame of its target:
            // the first one needs no clear before it.
            bool extendedWritten = false;
            double const dt = BlockDuration(*extended);
            double const live = current.liveEnd - current.liveBeg;
            QVAudioLoopDesc& loop = mMemory.GetLoopDesc();
            if (current.looping) {
                double fade = QVPrefs::sShared.GetEngineSpanFadeDuration();
                if (QVPlayableKindIsSub(player->GetKind()))
                    fade = std::max(fade, current.fade * live);
                QVTrackReader::ComputeLoopDesc(&loop, {current.liveBeg, current.liveEnd}, fade, current.timeBeg, dt,
                                               parentSpeed, current.speed);
            }
            QXSampleBuffer<double>* const second = mMemory.RetainWorkingBufferSameAs(*extended);
            bool const exactAllowed = live > kTrueCopySpanDurMin;
            AKTimeIntv const span = {current.timeBeg, current.timeBeg + dt * current.speed};
            unsigned int rendered = 0;
            for (unsigned int i = 0; i < pool.subPools.size(); ++i) {
                QVAudioPool& sub = pool.subPools[i];
                QVObjectPoolable* const object = sub.object;
                if (sub.IsDead() || object == nullptr || !object->IsKindOfT<QVObjectTrack>())
                    continue;
                QXSampleBuffer<double>* const target = rendered == 0 ? extended : second;
                if (target == nullptr)
                    break;
                auto const* const track = static_cast<QVObjectTrack const*>(object);
                unsigned int hint = sub.zoneHint.load(std::memory_order_relaxed);
                bool exact = false;
                bool const sounded = current.looping
                                         ? mReader.GrabAudioBlockOfTrackInLoop(target, track, loop, current.speed,
                                                                               current.pan, &hint, exactAllowed, &exact)
                                         : mReader.GrabAudioBlockOfTrack(target, track, span, current.speed,
                                                                         current.pan, &hint, exactAllowed, &exact);
                sub.zoneHint.store(hint, std::memory_order_relaxed);
                extendedWritten = true;
                if (!sounded)
                    continue;
                if (sub.life == kQVAudioPoolBorn && !fadeIn)
                    mLow.ApplyOnBornBufferFadeIn(target, blockFrames, false);
                if (sub.life == kQVAudioPoolDying && !fadeOut)
                    mLow.ApplyOnDeadBufferFadeOut(target, blockFrames, false);
                if (target != extended)
                    extended->CopyAdd(*second, kQVSampleRangeAll);
                ++rendered;
                if (exact)
                    QVTrackExactMaskSet(&trackMask, i);
            }
            if (!extendedWritten)
                extended->Zeroset(kQVSampleRangeAll);
            smoothed = QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(*extended, buffer, player->GetOverlapBuffer(),
                                                                         pA && pP);
            written = true;
            if (rendered > 0) {
                if (fadeIn)
                    mLow.ApplyOnBornBufferFadeIn(buffer, blockFrames, false);
                if (fadeOut)
                    mLow.ApplyOnDeadBufferFadeOut(buffer, blockFrames, false);
            }
            if (second != nullptr)
                mMemory.ReleaseWorkingBuffer(*second);
            mMemory.ReleaseWorkingBuffer(*extended);
        }
    }

    if (!written)
        buffer->Zeroset(kQVSampleRangeAll);
    bool const sounding = pP || cP;
    bool result = sounding;
    bool tail = false;
    if (ownGain)
        result = ApplyOwnGainAndPlugin(buffer, player, sounding, mMemory, &tail);
    else if (sounding)
        buffer->ApplyGain(previous.totalGain, current.totalGain, kQVSampleRangeAll);
    player->SetRTCurrentInfo(cA, result, tail, smoothed, trackMask);
    return result;
}
