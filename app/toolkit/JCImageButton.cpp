#include "JCImageButton.h"

JCImageButton::JCImageButton(juce::Image const& image) { JCSetupImageButtonStandard(this, image); }

void JCSetupImageButtonStandard(juce::ImageButton* button, juce::Image const& image)
{
    if (button == nullptr || !image.isValid())
        return;
    juce::Colour const none = juce::Colours::transparentBlack;
    // The button keeps its bounds: changing its image (a bypass turned on)
    // must not undo the layout.
    button->setImages(false, true, true, image, 1.0f, none, image, 1.0f, none, image, 0.5f, none);
}
