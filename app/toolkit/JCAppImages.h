#pragma once

// The application's shared images and window options. Images are read from
// the application's resources folder (ORVEL_RESOURCES_DIR overrides it) the
// first time they are asked for; a missing or unreadable file leaves its
// image invalid, which image buttons ignore. Main thread only.

#include <juce_graphics/juce_graphics.h>

// Windows use the system's native title bar.
constexpr bool kJCAppUseNativeWindows = true;

// The plug-in windows' header controls.
extern juce::Image kJCImage_PlugWindPrev;
extern juce::Image kJCImage_PlugWindNext;
extern juce::Image kJCImage_PlugWindHold;
extern juce::Image kJCImage_PlugWindReveal;
extern juce::Image kJCImage_PlugWindBypass0;
extern juce::Image kJCImage_PlugWindBypass1;
extern juce::Image kJCImage_PlugWindPresets;

// Reads every image once; later calls do nothing until JCReleaseAppImages.
void JCLoadAppImages();
// Frees the images; the application calls it before the toolkit shuts down.
void JCReleaseAppImages();
