#pragma once

// The application's image button, and the standard way its images are set.

#include <juce_gui_basics/juce_gui_basics.h>

class JCImageButton : public juce::ImageButton
{
public:
    explicit JCImageButton(juce::Image const& image);
};

// When the image is valid, it becomes the button's image in the normal,
// mouse-over and pressed states (opacity 1, 1 and 0.5, no overlay colour),
// kept in proportion and rescaled with the button.
void JCSetupImageButtonStandard(juce::ImageButton* button, juce::Image const& image);
