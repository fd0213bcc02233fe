#include "QVPresetsBlock.h"

#include "QVObjectSequence.h"
#include "QVPrefs.h"

#include <cmath>

namespace {

// A recall duration this close to 0 applies the preset at once.
constexpr double kImmediateRecallDuration = 0.01;

constexpr std::uint64_t kRecallIndexMask = 0xFF;

}  // namespace

// One recall. The start values and targets are filled before the job is
// offered and never change afterwards; the progress, the timing and the
// scratch belong to the audio thread once it took the job.
struct QVPresetsBlock::Recall {
    std::uint64_t state = 0;
    // Re-linked copy of the running job: takes over its progress.
    bool continues = false;
    QVPresetPlayableArray starts;
    QVPresetPlayableArray targets;
    QVPresetPlayableArray scratch;
    double progress = 0.0;
    double sinceLast = 0.0;
    bool firstStep = false;
    Recall* next = nullptr;
};

QVPresetsBlock::Recall* QVPresetsBlock::StopMarker()
{
    static Recall sMarker;
    return &sMarker;
}

QVPresetsBlock::QVPresetsBlock(QVObjectSequence* sequence)
    : mSequence(sequence), mRecallDuration(QVPrefs::sShared.GetPresetRecallDefaultDuration())
{}

QVPresetsBlock::~QVPresetsBlock()
{
    // No block runs any more: every job left is the control side's.
    Recall* offered = mOffered.exchange(nullptr);
    if (offered != StopMarker())
        delete offered;
    delete mRunning;
    CollectRetired();
}

// --- Control side ---

bool QVPresetsBlock::SetRecallDuration(double duration)
{
    if (std::isnan(duration))
        return false;
    double const max = QVPrefs::sShared.GetPresetRecallMaxDuration();
    duration = duration < 0.0 ? 0.0 : (duration > max ? max : duration);
    return mRecallDuration.exchange(duration, std::memory_order_relaxed) != duration;
}

bool QVPresetsBlock::LowIsPresetExists(unsigned int n) const { return n < kQVPresetCount && !mPresets[n].IsEmpty(); }

bool QVPresetsBlock::IsPresetExists(unsigned int n) const
{
    std::lock_guard<std::mutex> const lock(mControl);
    return LowIsPresetExists(n);
}

bool QVPresetsBlock::HasSomePreset() const
{
    std::lock_guard<std::mutex> const lock(mControl);
    for (QVPresetPlayableArray const& preset : mPresets)
        if (!preset.IsEmpty())
            return true;
    return false;
}

QVPresetPlayableArray QVPresetsBlock::GetPreset(unsigned int n) const
{
    std::lock_guard<std::mutex> const lock(mControl);
    return n < kQVPresetCount ? mPresets[n] : QVPresetPlayableArray();
}

int QVPresetsBlock::LowRecallIndex() const
{
    std::uint64_t const state = mRecallState.load(std::memory_order_acquire);
    return state == 0 ? -1 : static_cast<int>(state & kRecallIndexMask) - 1;
}

int QVPresetsBlock::GetRecallIndex() const { return LowRecallIndex(); }

void QVPresetsBlock::RaiseChangeStamp()
{
    unsigned int const value = mChangeStamp.fetch_add(1, std::memory_order_relaxed) + 1;
    if (value == kAKNullStampSync || value == kAKUndefStampVers)
        mChangeStamp.store(kAKNullStampVers, std::memory_order_relaxed);
}

bool QVPresetsBlock::DoPresetSave(unsigned int n)
{
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    if (n >= kQVPresetCount || LowRecallIndex() == static_cast<int>(n))
        return false;
    QVObjectPlayableArray const& playables = mSequence->GetFLAllPlayables();
    QVPresetPlayableArray preset;
    preset.Reserve(playables.Count());
    for (QVObjectPlayable const* playable : playables) {
        QVPresetPlayable entry;
        QVPlayableGetUserParamsAsPreset(*playable, &entry);
        preset.Push(entry);
    }
    if (mPresets[n].IsEmpty())
        RaiseChangeStamp();
    mPresets[n] = std::move(preset);
    return true;
}

bool QVPresetsBlock::DoPresetClear(unsigned int n)
{
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    if (n >= kQVPresetCount || LowRecallIndex() == static_cast<int>(n) || mPresets[n].IsEmpty())
        return false;
    mPresets[n] = QVPresetPlayableArray();
    RaiseChangeStamp();
    return true;
}

bool QVPresetsBlock::DoPresetRecall(unsigned int n, bool* alreadyThere)
{
    if (alreadyThere != nullptr)
        *alreadyThere = false;
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    if (!LowIsPresetExists(n))
        return false;
    QVPresetPlayableArray const& preset = mPresets[n];

    if (GetRecallDuration() <= kImmediateRecallDuration) {
        LowStop();
        for (QVPresetPlayable const& entry : preset)
            if (entry.link != nullptr)
                QVPlayableSetUserParamsFromPreset(*entry.link, entry, kQVPresetApplyAll);
        return true;
    }

    int const running = LowRecallIndex();
    Recall* const last = mLastOffered;
    if (running == static_cast<int>(n) && last != nullptr &&
        last->state == mRecallState.load(std::memory_order_acquire)) {
        // Starts the same glide again, from the same start values.
        auto* again = new Recall;
        again->state = (mNextSerial++ << 8) | (n + 1);
        again->starts = last->starts;
        again->targets = last->targets;
        again->scratch.Reserve(again->targets.Count());
        again->firstStep = true;
        Offer(again);
        return true;
    }

    auto* recall = new Recall;
    QVObjectPlayableArray const& playables = mSequence->GetFLAllPlayables();
    recall->starts.Reserve(playables.Count());
    recall->targets.Reserve(playables.Count());
    bool someMove = false;
    for (QVObjectPlayable const* playable : playables) {
        QVPresetPlayable start;
        QVPlayableGetUserParamsAsPreset(*playable, &start);
        recall->starts.Push(start);
        // A playable the preset does not know stays where it is.
        QVPresetPlayable target = start;
        target.link = nullptr;
        target.ID = kAKNullNodeID;
        for (QVPresetPlayable const& entry : preset) {
            if (entry.ID != start.ID)
                continue;
            target = entry;
            if (target.link != nullptr) {
                target.skip = target.AreEqualScalars(start);
                someMove |= !target.skip;
            }
            break;
        }
        recall->targets.Push(target);
    }
    if (!someMove) {
        delete recall;
        LowStop();
        if (alreadyThere != nullptr)
            *alreadyThere = true;
        return false;
    }
    recall->scratch.Reserve(recall->targets.Count());
    recall->state = (mNextSerial++ << 8) | (n + 1);
    recall->firstStep = running < 0;
    Offer(recall);
    return true;
}

bool QVPresetsBlock::DoPresetRecallingStop()
{
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    if (LowRecallIndex() < 0)
        return false;
    LowStop();
    return true;
}

void QVPresetsBlock::LowStop()
{
    if (mRecallState.exchange(0, std::memory_order_acq_rel) == 0 && mLastOffered == nullptr)
        return;
    mLastOffered = nullptr;
    Offer(StopMarker());
}

void QVPresetsBlock::Offer(Recall* recall)
{
    if (recall != StopMarker()) {
        // Published before the job, so that the audio side ending the job
        // finds its own state to clear.
        if (!recall->continues)
            mRecallState.store(recall->state, std::memory_order_release);
        mLastOffered = recall;
    }
    Recall* const old = mOffered.exchange(recall, std::memory_order_acq_rel);
    if (old != nullptr && old != StopMarker())
        delete old;
}

void QVPresetsBlock::CollectRetired()
{
    Recall* list = mRetired.exchange(nullptr, std::memory_order_acquire);
    while (list != nullptr) {
        Recall* const next = list->next;
        if (list == mLastOffered)
            mLastOffered = nullptr;
        delete list;
        list = next;
    }
}

void QVPresetsBlock::ResolveLink(QVPresetPlayable* entry) const
{
    entry->link = nullptr;
    if (entry->ID == kAKNullNodeID)
        return;
    // Every playable of the sequence, and only those: the sequence itself,
    // its players and their subs.
    for (QVObjectPlayable* playable : mSequence->GetFLAllPlayables())
        if (playable->GetID() == entry->ID) {
            entry->link = playable;
            return;
        }
}

void QVPresetsBlock::SynchronizeFLFastLinks()
{
    std::lock_guard<std::mutex> const lock(mControl);
    CollectRetired();
    for (QVPresetPlayableArray& preset : mPresets)
        for (QVPresetPlayable& entry : preset)
            ResolveLink(&entry);
    Recall* const last = mLastOffered;
    if (last == nullptr || LowRecallIndex() < 0 || last->state != mRecallState.load(std::memory_order_acquire))
        return;
    // A job the audio thread has not taken yet is the control side's again.
    Recall* const pending = mOffered.exchange(nullptr, std::memory_order_acq_rel);
    if (pending == last) {
        for (QVPresetPlayable& target : pending->targets)
            ResolveLink(&target);
        Offer(pending);
        return;
    }
    if (pending != nullptr)
        mOffered.store(pending, std::memory_order_release);
    // The running job is read by the audio thread: a re-linked copy takes
    // over its progress at the next block.
    auto* copy = new Recall;
    copy->state = last->state;
    copy->continues = true;
    copy->starts = last->starts;
    copy->targets = last->targets;
    for (QVPresetPlayable& target : copy->targets)
        ResolveLink(&target);
    copy->scratch.Reserve(copy->targets.Count());
    Offer(copy);
}

int QVPresetsBlock::RenumberExtraNodeIDs(AKTreeRenum const& renum)
{
    std::lock_guard<std::mutex> const lock(mControl);
    for (QVPresetPlayableArray& preset : mPresets)
        for (QVPresetPlayable& entry : preset)
            renum.MatchID(&entry.ID, true);
    return 0;
}

// --- Audio side ---

void QVPresetsBlock::Retire(Recall* recall)
{
    Recall* head = mRetired.load(std::memory_order_relaxed);
    do {
        recall->next = head;
    } while (!mRetired.compare_exchange_weak(head, recall, std::memory_order_release, std::memory_order_relaxed));
}

void QVPresetsBlock::EndRunning()
{
    std::uint64_t expected = mRunning->state;
    mRecallState.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
    Retire(mRunning);
    mRunning = nullptr;
}

void QVPresetsBlock::DoSchedul(double dt)
{
    Recall* const offered = mOffered.exchange(nullptr, std::memory_order_acq_rel);
    if (offered == StopMarker()) {
        if (mRunning != nullptr)
            Retire(mRunning);
        mRunning = nullptr;
    } else if (offered != nullptr && offered->continues) {
        if (mRunning != nullptr && mRunning->state == offered->state) {
            offered->progress = mRunning->progress;
            offered->sinceLast = mRunning->sinceLast;
            offered->firstStep = mRunning->firstStep;
            Retire(mRunning);
            mRunning = offered;
        } else {
            // The job it would continue has ended meanwhile.
            Retire(offered);
        }
    } else if (offered != nullptr) {
        if (mRunning != nullptr)
            Retire(mRunning);
        mRunning = offered;
    }
    Recall* const recall = mRunning;
    if (recall == nullptr)
        return;

    double const period = QVPrefs::sShared.GetPresetSchedulMinPeriod();
    double p = recall->progress;
    bool byPeriod = false;
    bool step = true;
    if (p == 0.0) {
        recall->sinceLast = 0.0;
    } else {
        byPeriod = recall->sinceLast >= period;
        step = p >= 1.0 || byPeriod;
    }
    if (step) {
        double const x = p < 0.0 ? 0.0 : (p > 1.0 ? 1.0 : p);
        recall->scratch.Clear();
        unsigned int const count = recall->targets.Count();
        for (unsigned int i = 0; i < count; ++i) {
            QVPresetPlayable const& target = recall->targets[i];
            if (target.link == nullptr || target.skip)
                continue;
            QVPresetPlayable entry;
            entry.link = target.link;
            entry.ID = target.ID;
            entry.FillWithInperpolatedScalars(recall->starts[i], target, x);
            recall->scratch.Push(entry);
        }
        if (p == 0.0 && recall->firstStep) {
            for (QVPresetPlayable const& target : recall->targets)
                if (target.link != nullptr)
                    QVPlayableSetUserParamsFromPreset(*target.link, target, kQVPresetApplyTime);
            recall->firstStep = false;
        }
        for (QVPresetPlayable const& entry : recall->scratch)
            QVPlayableSetUserParamsFromPreset(*entry.link, entry, kQVPresetApplyScalars);
        if (byPeriod)
            recall->sinceLast = 0.0;
    }
    if (p >= 1.0) {
        EndRunning();
        return;
    }
    double const duration = GetRecallDuration();
    if (duration > 0.0) {
        recall->sinceLast += dt;
        p += dt / duration;
        recall->progress = p >= 1.0 ? 1.0 : p;
    } else {
        recall->progress = 1.0;
    }
}
