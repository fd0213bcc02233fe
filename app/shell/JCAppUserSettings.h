#pragma once

// The application's user-settings property file (the toolkit's property
// file of the application). The application sets it once it is set up and
// clears it at shut-down; it is not owned here. The plug-in host keeps its
// known plug-ins in it and its crash-guard file beside it.

#include <juce_data_structures/juce_data_structures.h>

// Null before the application is set up.
juce::PropertiesFile* JCGetAppUserSettings();
void JCSetAppUserSettings(juce::PropertiesFile* settings);
