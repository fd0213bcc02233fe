#include "JCAppUserSettings.h"

namespace {
juce::PropertiesFile* sAppUserSettings = nullptr;
}

juce::PropertiesFile* JCGetAppUserSettings() { return sAppUserSettings; }

void JCSetAppUserSettings(juce::PropertiesFile* settings) { sAppUserSettings = settings; }
