#pragma once

#include "QVMidiMessage.h"
#include "QVMidiParamTemplate.h"

#include <cstdint>

class QVDocument;
class QVMidiParamPatch;
class QVObjectFolderCursor;
class QVObjectFolderSequence;
class QVObjectPoolable;

// The outcome of one message: how many patches learned it, matched it, and
// took effect when applied.
struct QVMidiResult {
    QVMidiMessage mMessage;
    uint32_t mLearnedCount = 0;
    uint32_t mMatchedCount = 0;
    uint32_t mActedCount = 0;
};

// The shared MIDI handler: holds the template table and takes every raw
// message the MIDI input receives, on the MIDI input thread (with no device,
// HandleReceivedMidiPacket is the entry point that drives it).
//
// A message is offered to every patch of every object of the document, in
// a fixed order (each sequence of the sequence folder: the sequence, its
// players, the subs of its multi-players, then its tracks; then the direct
// children of the player folder). A patch in learn mode takes the message as
// its mapping; a matching patch sets its parameter through the parameter
// table (QVParams), the Play flag through the playable's smart play.
//
// Threads: the message thread may delete or restructure the very objects
// the MIDI thread writes. The whole dispatch of one message therefore runs
// under the document's tree guard for reading (QVDocumentTreeGuard): every
// structural change of the tree, the refresh of the fast links the
// dispatch walks and the deletion of the objects removed from the tree run
// inside edits of that guard, so they wait for the message in progress and
// the message waits for them. Patches are read and learned under their
// patcher's lock (QVMidiPatcher.h); parameters are written through the
// objects' user operations, whose values the audio thread reads without
// locks at its next block. The caller keeps the document itself alive while
// it hands it messages (the application stops its MIDI input for a
// document before closing it).
class QVMidiGandler
{
public:
    static QVMidiGandler sShared;

    // Slots of the template table: one per parameter ID of the parameter table.
    static constexpr uint32_t kTemplateSlotCount = 47;

    // Told after each dispatched message that the document's MIDI view must
    // be refreshed; runs on the MIDI input thread, outside the tree guard.
    using MidiViewNotifier = void (*)(void* userData, QVDocument* doc, QVMidiResult const& result);

    QVMidiGandler() = default;
    QVMidiGandler(QVMidiGandler const&) = delete;
    QVMidiGandler& operator=(QVMidiGandler const&) = delete;

    // Fills the templates from the parameter table (QVParams, built before)
    // and installs the services that give every poolable its patcher.
    void InitializeWithCurrentPrefs();
    // The same from another source of parameters (tests).
    void InitializeWithParams(QVMidiParamSource const& params);
    // Empties the table and uninstalls the patcher services (shut-down).
    void Terminate();

    // The template of parameter IDs 1 to 46; null for an empty slot and for
    // every other ID (0 included).
    QVMidiParamTemplate const* GetTemplateByID(uint32_t paramID) const;

    // Set before the MIDI input starts; null for none.
    void SetMidiViewNotifier(MidiViewNotifier notifier, void* userData);

    // See QVMidiMessageDecode.
    static bool BuildMidiMessageFromMidiPacket(uint8_t const* data, int size, QVMidiMessage& message);

    // Decodes one raw message, dispatches it to the document's objects (a
    // null document has none), tells the MIDI view and logs it when
    // Midi.LogRawMessages is set; returns whether a message could be
    // decoded. The result, when given, receives the message and the counts.
    bool HandleReceivedMidiPacket(QVDocument* doc, uint8_t const* data, int size, QVMidiResult* result = nullptr);

    // The dispatch itself over the two folders (either may be null); the
    // caller holds the tree guard.
    void DispatchMidiMessageToObjects(QVObjectFolderSequence const* sequences, QVObjectFolderCursor const* players,
                                      QVMidiResult& result) const;
    // Every patch of one object.
    void DispatchMidiMessageToObjectsLow(QVObjectPoolable* object, QVMidiResult& result) const;
    // Applies one matching patch; true when it took effect.
    static bool ControlObjectFromMidiMessage(QVObjectPoolable* object, QVMidiParamPatch const& patch,
                                             QVMidiMessage const& message);

private:
    void ClearTable();

    QVMidiParamTemplate* mTemplates[kTemplateSlotCount] = {};
    MidiViewNotifier mNotifier = nullptr;
    void* mNotifierData = nullptr;
};
