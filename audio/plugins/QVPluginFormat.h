#pragma once

// QVPluginFormat: the kind of a plug-in as a four-character code, and the
// prefix that every plug-in name of that kind carries in the plug-in lists
// ("AU-Reverb", "VST3-Reverb"), so that the same effect in two formats stays
// told apart.

#include "AKString.h"

typedef unsigned int QVPluginFormat;

constexpr QVPluginFormat kQVPluginFormatAudioUnit = 0x61756E74;  // 'aunt'
constexpr QVPluginFormat kQVPluginFormatVST = 0x76737432;        // 'vst2'
constexpr QVPluginFormat kQVPluginFormatVST3 = 0x76737433;       // 'vst3'
constexpr QVPluginFormat kQVPluginFormatInternal = 0x696E7472;   // 'intr'
constexpr QVPluginFormat kQVPluginFormatOther = 0x6F746872;      // 'othr'

// "AU", "VST", "VST3", "INTR" or "OTHR"; empty for a code outside these five.
AKString QVPluginFormatGetNamePrefix(QVPluginFormat format);
