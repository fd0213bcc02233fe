#include "QVMidiGandler.h"

#include "AKLog.h"
#include "QVPrefs.h"

QVMidiGandler QVMidiGandler::sShared;

void QVMidiGandler::InitializeWithParams(QVMidiParamSource const& params)
{
    Terminate();
    for (unsigned int i = 0; i < kQVMidiParamTemplateDefCount; ++i) {
        QVMidiParamTemplateDef const& def = kQVMidiParamTemplateDefs[i];
        QVMidiParamInfo info;
        if (def.mParamID >= kTemplateSlotCount || !params.GetMidiParamInfo(def.mParamID, info)) {
            AKLog("# MIDI: no parameter %u for a MIDI template; it is left out\n", unsigned(def.mParamID));
            continue;
        }
        QVMidiParamTemplateFill(*def.mTemplate, def, info);
        mTemplates[def.mParamID] = def.mTemplate;
    }
}

void QVMidiGandler::Terminate()
{
    for (QVMidiParamTemplate*& slot : mTemplates)
        slot = nullptr;
}

QVMidiParamTemplate const* QVMidiGandler::GetTemplateByID(uint32_t paramID) const
{
    if (paramID == 0 || paramID >= kTemplateSlotCount)
        return nullptr;
    return mTemplates[paramID];
}

bool QVMidiGandler::BuildMidiMessageFromMidiPacket(uint8_t const* data, int size, QVMidiMessage& message)
{
    return QVMidiMessageDecode(data, size, message);
}

bool QVMidiGandler::HandleReceivedMidiPacket(QVDocument* doc, uint8_t const* data, int size, QVMidiResult* result)
{
    (void)doc;  // its objects get the message once they carry MIDI patchers
    QVMidiResult local;
    bool const decoded = BuildMidiMessageFromMidiPacket(data, size, local.mMessage);
    if (data != nullptr && size >= 2 && QVPrefs::sShared.GetMidiLogRawMessages()) {
        AKLog("# MIDI: %s    Raw:[%s]    Match:%u\n", QVMidiMessageGetStringDesc(local.mMessage).c_str(),
              QVMidiMessageGetStringDescFromRaw(data, size).c_str(), unsigned(local.mMatchedCount));
    }
    if (result != nullptr)
        *result = local;
    return decoded;
}
