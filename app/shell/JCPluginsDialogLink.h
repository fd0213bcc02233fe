#pragma once

// What the plug-in host tells the application's plug-ins dialog. Without an
// open dialog these calls do nothing; an open dialog installs its listener.

#include <juce_core/juce_core.h>

#include <functional>

// Whether a scan goes on, and the name of the plug-in file just scanned.
void TellDialogPluginsManagerIsLoading(bool isLoading, juce::String const& fileName);

// The open dialog's listener; an empty function when it closes.
void JCSetPluginsDialogLoadingListener(std::function<void(bool, juce::String const&)> listener);
