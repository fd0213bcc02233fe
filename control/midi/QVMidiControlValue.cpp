#include "QVMidiControlValue.h"

#include "QVMidiParamTemplate.h"

bool QVMidiMessageIsPressed(QVMidiMessage const& message)
{
    if (message.mType == kQVMidiMessageType_Note)
        return message.mValue > 0;
    return message.mValue > 63;
}

QVMidiControlSend QVMidiComputeControlSend(QVMidiControlMapping const& mapping, QVMidiMessage const& message)
{
    QVMidiControlSend send;
    bool const pressed = QVMidiMessageIsPressed(message);
    switch (mapping.mParamType) {
    case kQVMidiParamType_Integer:
    case kQVMidiParamType_Real:
        // A note release would otherwise pull the value back to its begin.
        if (message.mType == kQVMidiMessageType_Note && message.mValue == 0)
            break;
        send.mSend = true;
        send.mValue = mapping.mValueBegin + (mapping.mValueEnd - mapping.mValueBegin) * double(message.mValue) / 127.0;
        break;
    case kQVMidiParamType_Action:
        if (!pressed)
            break;
        send.mSend = true;
        // Numbers below the patch's first cannot match; guard the index anyway.
        if (mapping.mHasExtraNumbers && message.mNumber >= mapping.mNumber)
            send.mIndex = uint32_t(message.mNumber - mapping.mNumber);
        break;
    case kQVMidiParamType_Flag:
        if (mapping.mToggle) {
            send.mSend = pressed;
            send.mValue = 2.0;
        } else {
            send.mSend = true;
            send.mValue = pressed ? 1.0 : 0.0;
        }
        break;
    default:
        break;
    }
    return send;
}
