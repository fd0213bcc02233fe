#pragma once

#include "AKString.h"

#include <cstdint>

// Kinds of channel message the MIDI handler acts on; everything else
// (system messages, stray data bytes) decodes as None.
enum QVMidiMessageType : uint8_t {
    kQVMidiMessageType_None = 0,
    kQVMidiMessageType_Note = 1,  // note on, and note off with value 0
    kQVMidiMessageType_AfterTouch = 2,
    kQVMidiMessageType_Controller = 3,
    kQVMidiMessageType_ProgChange = 4,
    kQVMidiMessageType_ChannPress = 5,
    kQVMidiMessageType_PitchBend = 6,
    kQVMidiMessageType_Count = 7
};

// One decoded channel message, 4 bytes.
struct QVMidiMessage {
    uint8_t mType = kQVMidiMessageType_None;
    uint8_t mChannel = 0;  // 0 to 15, as sent
    uint8_t mNumber = 0;   // first data byte: note or controller number
    uint8_t mValue = 0;    // second data byte; 0 when the message has none

    bool operator==(QVMidiMessage const& other) const
    {
        return mType == other.mType && mChannel == other.mChannel && mNumber == other.mNumber && mValue == other.mValue;
    }
    bool operator!=(QVMidiMessage const& other) const { return !(*this == other); }
};

static_assert(sizeof(QVMidiMessage) == 4, "a MIDI message is 4 bytes");

// The message type's display name ("None", "Note", ...); "None" for unknown.
char const* QVMidiMessageTypeName(uint8_t type);

// Decodes one raw message (status byte first). Null data or fewer than 2
// bytes give an all-zero message and false. Only the first 3 bytes are read;
// a status byte that is not a channel message decodes as type None (true).
bool QVMidiMessageDecode(uint8_t const* data, int size, QVMidiMessage& message);

// "%-12s Cha:%02d Num:%03d Val:%03d" with the type name.
AKString QVMidiMessageGetStringDesc(QVMidiMessage const& message);
// Each byte as "%03d", separated by one blank; empty for null or no bytes.
AKString QVMidiMessageGetStringDescFromRaw(uint8_t const* data, int size);
