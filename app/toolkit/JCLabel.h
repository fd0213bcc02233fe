#pragma once

// The application's label.

#include <juce_gui_basics/juce_gui_basics.h>

class JCLabel : public juce::Label
{
public:
    JCLabel() = default;
    explicit JCLabel(juce::String const& name, juce::String const& text = {}) : juce::Label(name, text) {}
};

// Gives the label its text colour and adds it to the parent as a visible child.
void JCEasyCtrlSetup(juce::Component* parent, juce::Label* label, juce::Colour textColour);
