#pragma once

#include "QVMidiMessage.h"
#include "QVMidiParamTemplate.h"

#include <cstdint>

class QVDocument;

// The outcome of one message: how many patches learned it, matched it, and
// took effect when applied.
struct QVMidiResult {
    QVMidiMessage mMessage;
    uint32_t mLearnedCount = 0;
    uint32_t mMatchedCount = 0;
    uint32_t mActedCount = 0;
};

// The shared MIDI handler: holds the template table and takes every raw
// message the MIDI input receives, on the MIDI input thread.
//
// Not wired yet: offering the message to the patches of the document's
// objects (they have no MIDI patchers yet) and the document's MIDI-view
// notice. Received messages are decoded and logged; the counts stay 0.
class QVMidiGandler
{
public:
    static QVMidiGandler sShared;

    // Slots of the template table: one per parameter ID of the parameter table.
    static constexpr uint32_t kTemplateSlotCount = 47;

    QVMidiGandler() = default;
    QVMidiGandler(QVMidiGandler const&) = delete;
    QVMidiGandler& operator=(QVMidiGandler const&) = delete;

    // Empties the table, then fills the templates from the parameter table
    // (types, names and ranges, which depend on the preferences). A template
    // whose parameter the table lacks is logged and its slot left empty.
    void InitializeWithParams(QVMidiParamSource const& params);
    // Empties the table (shut-down).
    void Terminate();

    // The template of parameter IDs 1 to 46; null for an empty slot and for
    // every other ID (0 included).
    QVMidiParamTemplate const* GetTemplateByID(uint32_t paramID) const;

    // See QVMidiMessageDecode.
    static bool BuildMidiMessageFromMidiPacket(uint8_t const* data, int size, QVMidiMessage& message);

    // Decodes one raw message and logs it when Midi.LogRawMessages is set;
    // returns whether a message could be decoded. The result, when given,
    // receives the message and the counts.
    bool HandleReceivedMidiPacket(QVDocument* doc, uint8_t const* data, int size, QVMidiResult* result = nullptr);

private:
    QVMidiParamTemplate* mTemplates[kTemplateSlotCount] = {};
};
