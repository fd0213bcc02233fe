// Audio of a document pulled by the host through the C-style interface:
// preparation, block pulls, offline render and the bounce manager's state.

#include "AKFilePath.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKSys.h"
#include "AKTextForms.h"
#include "QVAudioFormat.h"
#include "QVAudioInfo.h"
#include "QVAudioPCMInfo.h"
#include "QVBounceMgr.h"
#include "QVBounceParam.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentMgr.h"
#include "QVGandler.h"
#include "QVGandlerParam.h"
#include "QVObjectPoolable.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"
#include "AKTreeSel.h"
#include "AKTreeActionParam.h"
#include "QVSoundFileWriter.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"
#include "QXSampleBuffer.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace {

constexpr int kCmdSequenceBounce = 8266;

// The format each document's source was prepared with. A host may pull a
// real-time document's blocks on a thread of its own while its main thread
// prepares, releases and closes documents, so each slot has a gate: a pull
// holds it from reading the format to the end of its copy out of the
// block, and the main thread holds it while it changes the slot and the
// document's audio buffers. The pull never waits: a slot being changed
// gives silence. The main thread waits for the one pull in progress.
constexpr int kSlotFree = 0;
constexpr int kSlotPulling = 1;
constexpr int kSlotChanging = 2;
struct PreparedFormat {
    std::atomic<int> documentID{0};
    std::atomic<unsigned int> channels{0};
    std::atomic<unsigned long long> frames{0};
    std::atomic<int> gate{kSlotFree};
};
constexpr unsigned int kPreparedSlotCount = 64;
PreparedFormat sPrepared[kPreparedSlotCount];

PreparedFormat* FindPrepared(int documentID)
{
    for (PreparedFormat& slot : sPrepared) {
        if (slot.documentID.load(std::memory_order_acquire) == documentID)
            return &slot;
    }
    return nullptr;
}

// Main thread: the slot to itself, once the pull in progress is done.
class SlotChangeScope
{
public:
    explicit SlotChangeScope(PreparedFormat* slot) : mSlot(slot)
    {
        int expected = kSlotFree;
        while (!mSlot->gate.compare_exchange_weak(expected, kSlotChanging, std::memory_order_acquire)) {
            expected = kSlotFree;
            std::this_thread::sleep_for(std::chrono::microseconds(10));
        }
    }
    ~SlotChangeScope() { mSlot->gate.store(kSlotFree, std::memory_order_release); }
    SlotChangeScope(SlotChangeScope const&) = delete;
    SlotChangeScope& operator=(SlotChangeScope const&) = delete;

private:
    PreparedFormat* mSlot;
};

// The document's slot, else a free one: a host may close a document without
// releasing it first, and its slot is free again once the document is gone.
PreparedFormat* SlotForPreparing(int documentID)
{
    PreparedFormat* free = nullptr;
    for (PreparedFormat& slot : sPrepared) {
        int const id = slot.documentID.load(std::memory_order_relaxed);
        if (id == documentID)
            return &slot;
        bool const open = id != 0 && QVDocumentMgr::sShared.GetDocumentByID(static_cast<QVDocumentID>(id)) != nullptr;
        if (free == nullptr && !open)
            free = &slot;
    }
    return free;
}

int Prepare(QVDocument* document, unsigned int channels, unsigned long long frames, double rate)
{
    QVDocumentAudioSource* const source = document->GetAudioSource();
    QVAudioInfo info;
    info.Setup(channels, frames, rate);
    int const id = static_cast<int>(document->GetDocumentID());
    if (source == nullptr)
        return 0;
    PreparedFormat* const slot = SlotForPreparing(id);
    if (slot == nullptr)
        return AKLogError(kAKErrorNoMemory, "Can't prepare document %d: %u documents are prepared already", id,
                          kPreparedSlotCount);
    SlotChangeScope change(slot);
    slot->channels.store(channels, std::memory_order_relaxed);
    slot->frames.store(frames, std::memory_order_relaxed);
    slot->documentID.store(id, std::memory_order_release);
    source->PrepareAudioResources(info);
    return 0;
}

void Release(QVDocument* document)
{
    PreparedFormat* const slot = FindPrepared(static_cast<int>(document->GetDocumentID()));
    if (slot == nullptr) {
        if (document->GetAudioSource() != nullptr)
            document->GetAudioSource()->ReleaseAudioResources();
        return;
    }
    SlotChangeScope change(slot);
    if (document->GetAudioSource() != nullptr)
        document->GetAudioSource()->ReleaseAudioResources();
    slot->documentID.store(0, std::memory_order_release);
    slot->channels.store(0, std::memory_order_relaxed);
    slot->frames.store(0, std::memory_order_relaxed);
}

}  // namespace

int QVUProcRunWithPullsHeld(int documentID, std::function<int()> const& run)
{
    PreparedFormat* const slot = documentID > 0 ? FindPrepared(documentID) : nullptr;
    if (slot == nullptr)
        return run();
    SlotChangeScope change(slot);
    int const status = run();
    if (QVDocumentMgr::sShared.GetDocumentByID(static_cast<QVDocumentID>(documentID)) == nullptr) {
        slot->documentID.store(0, std::memory_order_release);
        slot->channels.store(0, std::memory_order_relaxed);
        slot->frames.store(0, std::memory_order_relaxed);
    }
    return status;
}

namespace {

// Silence for a document without a prepared format: the frames and levels
// asked.
template <class T>
void CopySilence(T** buffers, T* levels, unsigned int channelCount, int frameCount)
{
    unsigned long long const frames = frameCount > 0 ? static_cast<unsigned long long>(frameCount) : 0;
    for (unsigned int j = 0; j < channelCount; ++j) {
        for (unsigned long long f = 0; buffers[j] != nullptr && f < frames; ++f)
            buffers[j][f] = T(0);
        if (levels != nullptr)
            levels[j] = T(0);
    }
}

template <class T>
int CopyNextBuffer(int documentID, T** buffers, T* levels, unsigned int channelCount, int frameCount)
{
    bool const mainThread = AKSys::IsMainThread();
    if (mainThread) {
        QVUProcEnter();
        QVDocument* checked = nullptr;
        int status = QVUProcCheckDocument(documentID, &checked);
        if (status == 0)
            status = QVUProcCheckPointer(buffers);
        if (status != 0)
            return status;
    } else if (buffers == nullptr) {
        // Off the main thread nothing is logged: the log sink is the main
        // thread's.
        return kQVErrorUProcParamPointerNull;
    }
    // The slot is the pull's until the copy is done: the main thread can
    // neither change the format, nor free the block, nor close the document
    // under it. A document without a format gives silence without being
    // touched.
    PreparedFormat* const prepared = documentID > 0 ? FindPrepared(documentID) : nullptr;
    int expected = kSlotFree;
    bool const held = prepared != nullptr &&
                      prepared->gate.compare_exchange_strong(expected, kSlotPulling, std::memory_order_acquire);
    // The slot may have changed hands between the look-up and the gate.
    bool const mine = held && prepared->documentID.load(std::memory_order_relaxed) == documentID;
    if (held && !mine)
        prepared->gate.store(kSlotFree, std::memory_order_release);
    if (!mine) {
        if (!mainThread && QVDocumentMgr::sShared.GetDocumentByID(static_cast<QVDocumentID>(documentID)) == nullptr)
            return kQVErrorUProcDocumentUnknown;
        CopySilence(buffers, levels, channelCount, frameCount);
        return 0;
    }
    QVDocument* const document = QVDocumentMgr::sShared.GetDocumentByID(static_cast<QVDocumentID>(documentID));
    // Off the main thread only a real-time document may be pulled: its
    // source reads a live copy of the objects that main-thread edits never
    // touch while a block runs. Any other document's objects change under
    // the block, so that pull is refused.
    int const refusal = document == nullptr                           ? kQVErrorUProcDocumentUnknown
                        : !mainThread && !document->IsRealTimeAudio() ? kQVErrorUProcObjectWrongType
                                                                      : 0;
    if (refusal != 0) {
        prepared->gate.store(kSlotFree, std::memory_order_release);
        return refusal;
    }
    unsigned int const preparedChannels = prepared->channels.load(std::memory_order_relaxed);
    unsigned long long const preparedFrames = prepared->frames.load(std::memory_order_relaxed);
    unsigned int const channels = channelCount > 0 && channelCount < preparedChannels ? channelCount : preparedChannels;
    unsigned long long const frames = frameCount > 0 && static_cast<unsigned long long>(frameCount) < preparedFrames
                                          ? static_cast<unsigned long long>(frameCount)
                                          : preparedFrames;
    QXSampleBuffer<double>* const block =
        document->GetAudioSource() != nullptr ? document->GetAudioSource()->GetNextAudioBlock(preparedFrames) : nullptr;
    for (unsigned int j = 0; j < channels; ++j) {
        bool const hasChannel = block != nullptr && j < block->ChannelCount();
        double const* const samples = hasChannel ? block->SamplePtrConst(j, 0) : nullptr;
        unsigned long long const available = hasChannel ? std::min(frames, block->FrameCount()) : 0;
        T* const out = buffers[j];
        double peak = 0.0;
        for (unsigned long long f = 0; f < frames; ++f) {
            double const sample = f < available ? samples[f] : 0.0;
            peak = std::max(peak, std::fabs(sample));
            if (out != nullptr && static_cast<void const*>(out) != static_cast<void const*>(samples))
                out[f] = static_cast<T>(sample);
        }
        if (levels != nullptr)
            levels[j] = static_cast<T>(peak);
    }
    prepared->gate.store(kSlotFree, std::memory_order_release);
    return 0;
}

// The render settings, checked in order; the first fault is reported.
int CheckBounceSettings(int channels, int bits, int blockFrames, double duration, double rate)
{
    char const* const kPrefix = "Can't bounce: ";
    if (QVUProcRealTime())
        return AKLogError(kQVErrorUProcCantBounce, "%sBounce can be only used in NOT real-time document", kPrefix);
    if (channels < 1)
        return AKLogError(kQVErrorUProcCantBounce, "%sNo channel (1 at least)", kPrefix);
    if (channels > 16)
        return AKLogError(kQVErrorUProcCantBounce, "%sToo many channels (%d at maximum)", kPrefix, 16);
    if (!(duration >= 0.01))
        return AKLogError(kQVErrorUProcCantBounce, "%sDuration is too small (%.3lf second at least)", kPrefix, 0.01);
    if (duration > 7200.0)
        return AKLogError(kQVErrorUProcCantBounce, "%sDuration is too big (%.0lf seconds at maximum)", kPrefix, 7200.0);
    if (!(rate >= 8000.0))
        return AKLogError(kQVErrorUProcCantBounce, "%sSample-Rate is too small (%.0lf at least)", kPrefix, 8000.0);
    if (rate > 192000.0)
        return AKLogError(kQVErrorUProcCantBounce, "%sSample-Rate is too big (%.0lf at maximum)", kPrefix, 192000.0);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != -32 && bits != -64)
        return AKLogError(kQVErrorUProcCantBounce, "%sBit-Depth is wrong (8,16,24,32 for int or -32,-64 for float)",
                          kPrefix);
    if (blockFrames > 0 && blockFrames < 16)
        return AKLogError(kQVErrorUProcCantBounce, "%sFrame-Count is too small (%d at least)", kPrefix, 16);
    if (blockFrames > 16384)
        return AKLogError(kQVErrorUProcCantBounce, "%sFrame-Count is too big (%d at maximum)", kPrefix, 16384);
    return 0;
}

bool IsSilent(QXSampleBuffer<double> const& block, unsigned long long frames)
{
    for (unsigned int c = 0; c < block.ChannelCount(); ++c) {
        if (block.IsChannelKnownZero(c))
            continue;
        double const* const samples = block.SamplePtrConst(c, 0);
        for (unsigned long long f = 0; f < frames; ++f) {
            if (samples[f] != 0.0)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" {

int _QX_audioPrepareResources(int document, unsigned int channels, unsigned int blockFrames, double sampleRate)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument(document, &found);
    if (status != 0)
        return status;
    // A stream without channels, frames or rate has no blocks to give.
    if (!(sampleRate > 0.0) || std::isinf(sampleRate))
        return AKLogError(kQVErrorUProcParamFloatWrong, "Detect parameter double %lf wrong", sampleRate);
    if (channels == 0 || blockFrames == 0)
        return AKLogError(kQVErrorUProcParamIntegerWrong, "Detect parameter integer %u wrong",
                          channels == 0 ? channels : blockFrames);
    return Prepare(found, channels, blockFrames, sampleRate);
}

int _QX_audioReleaseResources(int document)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int const status = QVUProcCheckDocument(document, &found);
    if (status != 0)
        return status;
    Release(found);
    return 0;
}

int _QX_audioCopyNextBuffer32(int document, float** buffers, float* levels, unsigned int channels, int frames)
{
    return CopyNextBuffer(document, buffers, levels, channels, frames);
}

int _QX_audioCopyNextBuffer64(int document, double** buffers, double* levels, unsigned int channels, int frames)
{
    return CopyNextBuffer(document, buffers, levels, channels, frames);
}

int _QX_audioBounce(int document, char const* path, int channels, int bits, unsigned int overwrite, int blockFrames,
                    double duration, double sampleRate, QXBounceProgressProc progress, intptr_t user)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    int status = QVUProcCheckDocument(document, &found);
    if (status == 0)
        status = QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
    if (status == 0)
        status = QVUProcCheckBoolean(overwrite);
    if (status == 0)
        status = CheckBounceSettings(channels, bits, blockFrames, duration, sampleRate);
    if (status != 0)
        return status;

    AKFilePath file(QVUProcText(path));
    if (!file.HasExtension())
        file.AddExtension("wav");
    AKString extension = file.Extension();
    extension.ToLowerCase();
    QVAudioFormat const format = QVAudioFormatFromAKString(extension);
    if (overwrite == 0 && AKFileUtils::FileExists(file))
        return AKLogError(kQVErrorUProcCantBounce, "Can't bounce: Can't overwrite an existing sound file");
    QVAudioPCMInfo const pcm =
        bits > 0 ? static_cast<QVAudioPCMInfo>(bits) : static_cast<QVAudioPCMInfo>(-bits) | kQVAudioPCMInfoFloat;
    QVSoundFileWriter* const writer =
        QVSoundFileWriter::New(file, format, static_cast<unsigned int>(channels), sampleRate, pcm, 0.0);
    if (writer == nullptr)
        return -1;
    status = writer->Open();
    if (status != 0) {
        delete writer;
        return status;
    }
    char durationText[64];
    AKLog("# Document:\"%s\" Bounce %s to \"%s\" (%uCh %.0lfHz %sBits).\n", found->GetDocumentName().c_str(),
          strSetasDuration(durationText, duration, -1), file.FileName().c_str(), static_cast<unsigned int>(channels),
          sampleRate, QVAudioPCMInfoToAKString(pcm, false).c_str());

    unsigned long long const block = blockFrames > 0 ? static_cast<unsigned long long>(blockFrames) : 512;
    status = Prepare(found, static_cast<unsigned int>(channels), block, sampleRate);
    if (status != 0) {
        delete writer;
        return status;
    }
    QVDocumentAudioSource* const source = found->GetAudioSource();
    if (source != nullptr)
        source->ForceUpdatePoolsRTState();
    unsigned long long const total = static_cast<unsigned long long>(std::floor(duration * sampleRate + 0.5));
    std::vector<double> interleaved(block * static_cast<unsigned long long>(channels));
    unsigned long long done = 0;
    while (done < total && status == 0) {
        if (progress != nullptr)
            progress(user, static_cast<uint32_t>(done), static_cast<uint32_t>(total));
        QXSampleBuffer<double>* const next = source != nullptr ? source->GetNextAudioBlock(block) : nullptr;
        if (next == nullptr) {
            status = -1;
            break;
        }
        unsigned long long const count = std::min(std::min(block, total - done), next->FrameCount());
        for (unsigned int c = 0; c < static_cast<unsigned int>(channels); ++c) {
            bool const has = c < next->ChannelCount();
            double const* const samples = has ? next->SamplePtrConst(c, 0) : nullptr;
            for (unsigned long long f = 0; f < count; ++f)
                interleaved[f * static_cast<unsigned long long>(channels) + c] = has ? samples[f] : 0.0;
        }
        status = writer->WriteNextFrames(interleaved.data(), count);
        done += count;
        // Nothing of the document sounds any more: the file ends here.
        if (count == 0 || IsSilent(*next, count))
            break;
    }
    delete writer;
    Release(found);
    if (status == 0)
        AKLog("# Ok\n\n");
    return status;
}

int _QX_commandBounceOnTracks(int document, int object, char const* path, QXBounceParam const* param)
{
    QVUProcEnter();
    QVDocument* found = nullptr;
    QVObjectPoolable* target = nullptr;
    int status = QVUProcCheckDocumentObjectT(document, object, &found, &target);
    if (status == 0)
        status = QVUProcCheckString(path, kQVUProcStringRequired | kQVUProcStringLimited, kQVUProcPathMax);
    if (status != 0)
        return status;

    // A null record is all zeros: whole length, 44100 Hz, 2 channels, 16 bits.
    QXBounceParam const record = param != nullptr ? *param : QXBounceParam{0.0, 0.0, 0, 0};
    AKFilePath const file(QVUProcText(path));
    AKString extension = file.Extension();
    extension.ToLowerCase();
    QVBounceParam bounce;
    bounce.soundFormat = QVAudioFormatFromAKString(extension);
    bounce.pcmInfo = record.bits > 0 ? static_cast<QVAudioPCMInfo>(record.bits & 0xFF) : 16;
    bounce.channelCount = record.channels > 0 ? static_cast<unsigned int>(record.channels) : 2;
    bounce.sampleRate = record.sampleRate > 0.0 ? record.sampleRate : 44100.0;
    bounce.duration = record.duration > 0.0 ? record.duration : 0.0;
    AKString message;
    if (!bounce.CanApply(&message))
        return AKLogError(kQVErrorBouncerInvalidParameter, "Can't bounce: %s", message.c_str());
    if (QVBounceMgr::sShared.IsWorkerRunning())
        return AKLogError(kQVErrorBouncerBadState, "Can't execute several bounces simultaneously");

    QVGandlerParam command(found);
    command.GetTreeActionParam().WithTreeObject(target);
    // The bounce command renders a time selection: the duration asked for,
    // else the whole length of the object's sequence.
    QVObjectSequence* const sequence = QVObject_ResolveSequenceAndTracks(target, nullptr, false);
    AKTreeSel timed = command.GetTreeActionParam().GetTreeSel();
    timed.SetTimeSel(bounce.duration > 0.0 || sequence == nullptr ? AKTimeIntv{0.0, bounce.duration}
                                                                  : sequence->GetFLFullIntv());
    command.GetTreeActionParam().WithTreeSel(timed);
    command.WithOptionAsAKFilePath("ExportPath", file);
    command.WithOptionAsBool("Overwrite", true);
    command.WithOptionAsAKString("Bounce.SoundFormat", QVAudioFormatToAKString(bounce.soundFormat));
    command.WithOptionAsAKString("Bounce.SoundFormatInfo", QVAudioPCMInfoToAKString(bounce.pcmInfo, false));
    command.WithOptionAsUInt("Bounce.ChannelCount", bounce.channelCount);
    command.WithOptionAsFloat64("Bounce.SampleRate", bounce.sampleRate);
    command.WithOptionAsFloat64("Bounce.Duration", bounce.duration);
    return QVGandler::sShared.DoGenericCommand(kCmdSequenceBounce, command, false);
}

int _QX_getCurrentBounceState(int* running, double* progress)
{
    QVUProcEnter();
    QVUProcPut(running, QVBounceMgr::sShared.IsWorkerRunning() ? 1 : 0);
    QVUProcPut(progress, QVBounceMgr::sShared.GetCurrentProcessingBouncerProgress());
    return 0;
}

int _QX_stopCurrentBounce(void)
{
    QVUProcEnter();
    QVBounceMgr::sShared.AbortAllUncompletedBouncers();
    return 0;
}

}  // extern "C"
