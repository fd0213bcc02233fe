#include "QVMidiMessage.h"

namespace {

char const* const kTypeNames[kQVMidiMessageType_Count] = {
    "None", "Note", "AfterTouch", "Controller", "ProgChange", "ChannPress", "PitchBend",
};

uint8_t TypeOfStatus(uint8_t status)
{
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
        return kQVMidiMessageType_Note;
    case 0xA0:
        return kQVMidiMessageType_AfterTouch;
    case 0xB0:
        return kQVMidiMessageType_Controller;
    case 0xC0:
        return kQVMidiMessageType_ProgChange;
    case 0xD0:
        return kQVMidiMessageType_ChannPress;
    case 0xE0:
        return kQVMidiMessageType_PitchBend;
    default:  // data bytes and system messages
        return kQVMidiMessageType_None;
    }
}

}  // namespace

char const* QVMidiMessageTypeName(uint8_t type)
{
    return type < kQVMidiMessageType_Count ? kTypeNames[type] : kTypeNames[kQVMidiMessageType_None];
}

bool QVMidiMessageDecode(uint8_t const* data, int size, QVMidiMessage& message)
{
    message = QVMidiMessage();
    if (data == nullptr || size < 2)
        return false;
    uint8_t const status = data[0];
    message.mType = TypeOfStatus(status);
    message.mChannel = status & 0x0F;
    message.mNumber = data[1];
    message.mValue = size >= 3 ? data[2] : 0;
    // A note off carries a release velocity the handler has no use for.
    if ((status & 0xF0) == 0x80)
        message.mValue = 0;
    return true;
}

AKString QVMidiMessageGetStringDesc(QVMidiMessage const& message)
{
    AKString text;
    text.Assignf("%-12s Cha:%02d Num:%03d Val:%03d", QVMidiMessageTypeName(message.mType), int(message.mChannel),
                 int(message.mNumber), int(message.mValue));
    return text;
}

AKString QVMidiMessageGetStringDescFromRaw(uint8_t const* data, int size)
{
    AKString text;
    if (data == nullptr)
        return text;
    for (int i = 0; i < size; ++i)
        text.Appendf(i == 0 ? "%03d" : " %03d", int(data[i]));
    return text;
}
