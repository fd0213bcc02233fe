#include "JCLabel.h"

void JCEasyCtrlSetup(juce::Component* parent, juce::Label* label, juce::Colour textColour)
{
    if (label == nullptr)
        return;
    label->setColour(juce::Label::textColourId, textColour);
    if (parent != nullptr)
        parent->addAndMakeVisible(label);
}
