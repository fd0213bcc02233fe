#pragma once

#include "QVMidiMessage.h"

#include <cstdint>

// What applying a matching patch sends to its parameter.
struct QVMidiControlSend {
    bool mSend = false;  // false: the message does nothing to the parameter
    uint32_t mIndex = 0;
    double mValue = 0.0;
};

// The mapping side of a patch that decides what a message sends.
struct QVMidiControlMapping {
    uint32_t mParamType = 0;        // QVMidiParamType of the patch's template
    uint8_t mNumber = 0;            // the patch's first MIDI number
    bool mHasExtraNumbers = false;  // the template lets one patch cover several numbers
    double mValueBegin = 0.0;       // sent for MIDI value 0
    double mValueEnd = 0.0;         // sent for MIDI value 127
    bool mToggle = false;           // flag patches: the Toggle behaviour
};

// A key press: a note with a velocity, any other message above the middle.
bool QVMidiMessageIsPressed(QVMidiMessage const& message);

// The value a matching message sends to the patch's parameter. Flags are
// sent as 1 / 0, or 2 (toggle) on press with the Toggle behaviour; the Play
// flag goes through the playable's smart play instead and is not handled here.
QVMidiControlSend QVMidiComputeControlSend(QVMidiControlMapping const& mapping, QVMidiMessage const& message);
