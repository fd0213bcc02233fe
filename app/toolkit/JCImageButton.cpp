#include "JCImageButton.h"

JCImageButton::JCImageButton(juce::Image const& image) { JCSetupImageButtonStandard(this, image); }

void JCSetupImageButtonStandard(juce::ImageButton* button, juce::Image const& image)
{
    if (button == nullptr || !image.isValid())
        return;
    juce::Colour const none = juce::Colours::transparentBlack;
    button->setImages(true, true, true, image, 1.0f, none, image, 1.0f, none, image, 0.5f, none);
}
