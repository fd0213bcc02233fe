#include "QVMidiPatcher.h"

#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVMidiGandler.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

namespace {

char const* const kKey_MidiPatcher = "MidiPatcher";

using Lock = std::lock_guard<std::recursive_mutex>;

// Which patches each class has, in patcher order: 'y' enabled, 'o' present
// but not enabled, '-' absent.
struct PatchRow {
    uint32_t mParamID;
    char mSequence;
    char mSingle;
    char mMulti;
};

PatchRow const kPatchRows[] = {
    {3, 'y', 'y', 'y'},   // Play
    {17, 'y', 'o', 'y'},  // Span
    {28, 'y', 'y', 'y'},  // Volume
    {30, 'y', 'y', 'y'},  // Panora
    {31, 'o', 'y', 'y'},  // Fadio
    {26, 'y', 'y', 'y'},  // Mute
    {27, 'y', 'y', 'y'},  // Solo
    {19, '-', 'y', 'y'},  // Speed
    {21, '-', 'y', 'y'},  // SpeedWow
    {22, '-', '-', 'y'},  // SpeedSubx
    {36, 'y', '-', '-'},  // PresetCall
    {37, 'y', '-', '-'},  // PresetDur
    {10, 'y', 'y', 'y'},  // ToBegin
    {11, 'y', 'y', 'y'},  // ToEnd
    {8, '-', 'y', 'y'},   // Rewind
    {9, '-', 'y', 'y'},   // Forward
    {23, '-', 'y', 'y'},  // SpeedSens
    {24, '-', 'y', 'y'},  // SpeedLess
    {25, '-', 'y', 'y'},  // SpeedMore
};

// The track's one patch: its own volume.
constexpr uint32_t kTrackVolumeParamID = 28;

// The template of a parameter; the null template while the table has none
// (an engine started without the MIDI templates makes empty patches).
QVMidiParamTemplate const* TemplateOf(uint32_t paramID)
{
    QVMidiParamTemplate const* const tmpl = QVMidiGandler::sShared.GetTemplateByID(paramID);
    return tmpl != nullptr ? tmpl : &kQVMidiParamTemplate_None;
}

std::mutex sPasteboardMutex;
std::vector<QVMidiParamPatch> sPasteboard;

}  // namespace

QVMidiPatcher::QVMidiPatcher(QVObjectPoolable* owner) : mOwner(owner)
{
    if (dynamic_cast<QVObjectTrack*>(owner) != nullptr) {
        mPatches.emplace_back(TemplateOf(kTrackVolumeParamID), true);
    } else {
        char PatchRow::*column = nullptr;
        if (dynamic_cast<QVObjectSequence*>(owner) != nullptr)
            column = &PatchRow::mSequence;
        else if (dynamic_cast<QVObjectCursor*>(owner) != nullptr)
            column = &PatchRow::mMulti;
        else if (dynamic_cast<QVObjectAtomic*>(owner) != nullptr)
            column = &PatchRow::mSingle;
        if (column != nullptr) {
            for (PatchRow const& row : kPatchRows) {
                if (row.*column != '-')
                    mPatches.emplace_back(TemplateOf(row.mParamID), row.*column == 'y');
            }
        }
    }
    SetupAllObjectOwner();
}

void QVMidiPatcher::SetupAllObjectOwner()
{
    Lock lock(mLock);
    for (QVMidiParamPatch& patch : mPatches)
        patch.mPatcher = this;
}

QVMidiParamPatch* QVMidiPatcher::GetPatch(unsigned int index)
{
    return index < mPatches.size() ? &mPatches[index] : nullptr;
}

QVMidiParamPatch const* QVMidiPatcher::GetPatch(unsigned int index) const
{
    return index < mPatches.size() ? &mPatches[index] : nullptr;
}

QVMidiParamPatch* QVMidiPatcher::FindParamByTemplateID(uint32_t paramID)
{
    if (paramID == 0)
        return nullptr;
    for (QVMidiParamPatch& patch : mPatches)
        if (patch.mParamID == paramID)
            return &patch;
    return nullptr;
}

QVMidiParamPatch const* QVMidiPatcher::FindParamByTemplateID(uint32_t paramID) const
{
    return const_cast<QVMidiPatcher*>(this)->FindParamByTemplateID(paramID);
}

bool QVMidiPatcher::CopyParamByTemplateID(uint32_t paramID, QVMidiParamPatch* out) const
{
    Lock lock(mLock);
    QVMidiParamPatch const* const patch = FindParamByTemplateID(paramID);
    if (patch == nullptr || out == nullptr)
        return patch != nullptr;
    *out = *patch;
    return true;
}

int QVMidiPatcher::ComputeEnabledParamCount(bool force) const
{
    int count = mEnabledCount.load(std::memory_order_acquire);
    if (count >= 0 && !force)
        return count;
    Lock lock(mLock);
    count = 0;
    for (QVMidiParamPatch const& patch : mPatches)
        if (patch.mEnabled && patch.IsMapped())
            ++count;
    mEnabledCount.store(count, std::memory_order_release);
    return count;
}

void QVMidiPatcher::SetPatcherModified(bool countChanged)
{
    if (mOwner != nullptr)
        mOwner->SetModified(true);
    if (countChanged)
        mEnabledCount.store(-1, std::memory_order_release);
}

bool QVMidiPatcher::ClearAllParams()
{
    Lock lock(mLock);
    bool changed = false;
    for (QVMidiParamPatch& patch : mPatches)
        changed = patch.Clear() || changed;
    return changed;
}

void QVMidiPatcher::ResetAllModeLearn()
{
    Lock lock(mLock);
    for (QVMidiParamPatch& patch : mPatches)
        patch.mModeLearn = false;
}

// --- Pasteboard ---

bool QVMidiPatcher::HasPasteboard()
{
    std::lock_guard<std::mutex> guard(sPasteboardMutex);
    return !sPasteboard.empty();
}

void QVMidiPatcher::ClearPasteboard()
{
    std::lock_guard<std::mutex> guard(sPasteboardMutex);
    sPasteboard.clear();
}

void QVMidiPatcher::CopyPatcherToPasteboard() const
{
    std::vector<QVMidiParamPatch> copy;
    {
        Lock lock(mLock);
        copy = mPatches;
    }
    for (QVMidiParamPatch& patch : copy)
        patch.mPatcher = nullptr;
    std::lock_guard<std::mutex> guard(sPasteboardMutex);
    sPasteboard.swap(copy);
}

bool QVMidiPatcher::PastePatcherFromPasteboard()
{
    std::vector<QVMidiParamPatch> pasteboard;
    {
        std::lock_guard<std::mutex> guard(sPasteboardMutex);
        pasteboard = sPasteboard;
    }
    if (pasteboard.empty())
        return false;
    Lock lock(mLock);
    bool changed = false;
    for (QVMidiParamPatch& patch : mPatches) {
        QVMidiParamPatch const* source = nullptr;
        if (patch.mEnabled) {
            for (QVMidiParamPatch const& candidate : pasteboard)
                if (candidate.mParamID == patch.mParamID) {
                    source = &candidate;
                    break;
                }
        }
        changed = (source != nullptr ? patch.CopyFrom(*source) : patch.Clear()) || changed;
    }
    return changed;
}

// --- Persistence ---

bool QVMidiPatcher::SetupAndPushReadedParam(QVMidiPatchRecord const& record)
{
    QVMidiParamPatch* const patch = record.mParamID >= 1 && record.mParamID < QVMidiGandler::kTemplateSlotCount &&
                                            QVMidiGandler::sShared.GetTemplateByID(record.mParamID) != nullptr
                                        ? FindParamByTemplateID(record.mParamID)
                                        : nullptr;
    if (patch == nullptr) {
        AKLogWarning(kQVMidiWarningUnknownParam, "Unknown Midi Parameter %d", int(record.mParamID));
        return false;
    }
    Lock lock(mLock);
    // The patch as a whole is replaced: a new patch of the template, limited
    // by the setters' rules (a document is outside input).
    QVMidiParamPatch fresh(QVMidiGandler::sShared.GetTemplateByID(record.mParamID), true);
    fresh.LowSetupFromRecord(record);
    fresh.mPatcher = this;
    *patch = fresh;
    mEnabledCount.store(-1, std::memory_order_release);
    return true;
}

int QVMidiPatcher::InitFromFile(AKFile const& file, unsigned int restore)
{
    if (!AKFileIsSignat32(file, kQVMidiPatcherSignature, true))
        return 0;
    AKFileChunk chunk(kQVMidiPatcherSignature);
    unsigned int count = 0;
    int status = AKFileReadCountedChunkHeader(file, &chunk, &count, kQVMidiPatchFileSize);
    if (status != 0)
        return status;
    // The patches must fit the chunk itself, not only the file.
    if (chunk.size < 4 || (unsigned long long)count * kQVMidiPatchFileSize > chunk.size - 4u)
        return AKLogError(kAKErrorChunkBadItemCount, "# MIDI: %u patches do not fit a chunk of %u bytes", count,
                          chunk.size);
    if (restore != 0) {
        for (unsigned int i = 0; i < count && status == 0; ++i) {
            QVMidiPatchRecord record;
            status = QVMidiParamPatch::ReadFromFile(file, &record);
            if (status == 0)
                SetupAndPushReadedParam(record);
        }
    }
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int QVMidiPatcher::WriteToFile(AKFile& file) const
{
    Lock lock(mLock);
    unsigned int count = 0;
    for (QVMidiParamPatch const& patch : mPatches)
        if (patch.mEnabled && patch.IsMapped())
            ++count;
    if (count == 0)
        return 0;
    AKFileChunk chunk(kQVMidiPatcherSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileWriteUInt32(file, count);
    for (QVMidiParamPatch const& patch : mPatches) {
        if (status != 0)
            break;
        if (patch.mEnabled && patch.IsMapped())
            status = patch.WriteToFile(file);
    }
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

int QVMidiPatcher::InitFromDictionary(AKDictionary const& dictionary)
{
    AKValueArray elements;
    if (!AKValueGetasAKValueArray(dictionary.GetValue(kKey_MidiPatcher), &elements))
        return 0;
    for (unsigned int i = 0; i < elements.Count(); ++i) {
        QVMidiPatchRecord record;
        if (QVMidiParamPatch::ReadFromValue(elements[i], &record))
            SetupAndPushReadedParam(record);
    }
    return 0;
}

int QVMidiPatcher::WriteToDictionary(AKDictionary& dictionary) const
{
    Lock lock(mLock);
    AKValueArray elements;
    for (QVMidiParamPatch const& patch : mPatches)
        if (patch.mEnabled && patch.IsMapped())
            elements.Push(AKValueSetasAKDictionary(patch.WriteToValue()));
    if (elements.Count() == 0)
        return 0;
    return dictionary.SetValue(kKey_MidiPatcher, AKValueSetasAKValueArray(elements));
}

// --- Services ---

QVMidiPatcherServices QVMidiPatcherServices::sShared;

QVObjectMidiPatcher* QVMidiPatcherServices::CreateMidiPatcher(QVObjectPoolable* owner) const
{
    return new QVMidiPatcher(owner);
}

QVMidiPatcher* QVMidiPeekPatcher(QVObjectPoolable const* object)
{
    return object != nullptr ? dynamic_cast<QVMidiPatcher*>(object->PeekMidiPatcher()) : nullptr;
}

QVMidiPatcher* QVMidiGetPatcher(QVObjectPoolable* object)
{
    return object != nullptr ? dynamic_cast<QVMidiPatcher*>(object->GetMidiPatcher()) : nullptr;
}
