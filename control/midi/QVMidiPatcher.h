#pragma once

// QVMidiPatcher: the MIDI patches of one poolable object (sequence, track,
// single player, multi-player), one per MIDI-mappable parameter that suits
// the object's class, in a fixed order, with the shared MIDI pasteboard and
// both persistent forms (the 'MIDI' chunk after the object's bytes, the
// "MidiPatcher" entry of its dictionary). The object owns its patcher; the
// patcher never changes its list of patches after it is made.
//
// Threads: the MIDI input thread learns into patches while the message
// thread may edit, copy, paste or save them. Every operation that reads or
// writes patches takes the patcher's lock (recursive: patch setters take it
// too), so either side sees a patch whole. The patcher's life is the owner's:
// the MIDI handler reaches patchers only while it holds the document's tree
// guard (QVMidiGandler.h).

#include "QVMidiParamPatch.h"
#include "QVObjectPoolableMidi.h"

#include <atomic>
#include <mutex>
#include <vector>

class QVObjectPoolable;

// Signature of the binary form's chunk: 'MIDI'.
constexpr uint32_t kQVMidiPatcherSignature = 0x4D494449u;
// Bytes of one patch in the chunk: six uint32 and two float64.
constexpr uint32_t kQVMidiPatchFileSize = 6 * 4 + 2 * 8;
// The warning logged for a read patch that has no place here.
constexpr int kQVMidiWarningUnknownParam = 1;

class QVMidiPatcher final : public QVObjectMidiPatcher
{
public:
    // The patches of the owner's class (none for a null owner or another
    // class), linked to this patcher.
    explicit QVMidiPatcher(QVObjectPoolable* owner);
    QVMidiPatcher(QVMidiPatcher const&) = delete;
    QVMidiPatcher& operator=(QVMidiPatcher const&) = delete;

    QVObjectPoolable* GetOwner() const { return mOwner; }
    std::recursive_mutex& GetLock() const { return mLock; }

    // Links every patch back to this patcher.
    void SetupAllObjectOwner();

    unsigned int CountPatches() const { return static_cast<unsigned int>(mPatches.size()); }
    // Patches by position in patcher order; null beyond the last.
    QVMidiParamPatch* GetPatch(unsigned int index);
    QVMidiParamPatch const* GetPatch(unsigned int index) const;
    // Null for 0 and for a parameter without a patch here.
    QVMidiParamPatch* FindParamByTemplateID(uint32_t paramID);
    QVMidiParamPatch const* FindParamByTemplateID(uint32_t paramID) const;
    // A copy of the patch taken under the lock; false when there is none.
    bool CopyParamByTemplateID(uint32_t paramID, QVMidiParamPatch* out) const;

    // Patches enabled and mapped; the cached count unless stale or forced.
    int ComputeEnabledParamCount(bool force) const;
    // Marks the owner modified; with countChanged the count goes stale.
    void SetPatcherModified(bool countChanged);

    bool ClearAllParams();
    void ResetAllModeLearn();

    // The shared MIDI pasteboard (message thread).
    static bool HasPasteboard();
    static void ClearPasteboard();
    void CopyPatcherToPasteboard() const;
    // Enabled patches take the pasteboard's patch of the same parameter, or
    // are cleared without one; patches not enabled are cleared.
    bool PastePatcherFromPasteboard();

    // --- Persistence ---

    int InitFromFile(AKFile const& file, unsigned int restore) override;
    int WriteToFile(AKFile& file) const override;
    int InitFromDictionary(AKDictionary const& dictionary) override;
    int WriteToDictionary(AKDictionary& dictionary) const override;

    // Puts a read record in place of the patch of its parameter (limited by
    // the setters' rules, enabled, learn off). A parameter outside 1 to 46,
    // without template or without a patch here is logged with warning 1 and
    // dropped: false.
    bool SetupAndPushReadedParam(QVMidiPatchRecord const& record);

private:
    QVObjectPoolable* const mOwner;
    std::vector<QVMidiParamPatch> mPatches;
    mutable std::atomic<int> mEnabledCount{-1};
    mutable std::recursive_mutex mLock;
};

// The services that give every poolable its patcher; the MIDI handler
// installs them at start (QVMidiGandler::InitializeWithCurrentPrefs).
class QVMidiPatcherServices final : public QVObjectMidiServices
{
public:
    static QVMidiPatcherServices sShared;
    QVObjectMidiPatcher* CreateMidiPatcher(QVObjectPoolable* owner) const override;
};

// The patcher an object has, or null when it has none yet (never makes one).
QVMidiPatcher* QVMidiPeekPatcher(QVObjectPoolable const* object);
// The object's patcher, made when needed; null without the services.
QVMidiPatcher* QVMidiGetPatcher(QVObjectPoolable* object);
