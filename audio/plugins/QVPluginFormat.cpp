#include "QVPluginFormat.h"

AKString QVPluginFormatGetNamePrefix(QVPluginFormat format)
{
    switch (format) {
    case kQVPluginFormatAudioUnit:
        return "AU";
    case kQVPluginFormatVST:
        return "VST";
    case kQVPluginFormatVST3:
        return "VST3";
    case kQVPluginFormatInternal:
        return "INTR";
    case kQVPluginFormatOther:
        return "OTHR";
    default:
        return AKString();
    }
}
