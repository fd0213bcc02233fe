#pragma once

// Places children designed inside a design rectangle into the actual bounds
// of their parent, each edge kept or moved by its anchor flags.

#include <juce_gui_basics/juce_gui_basics.h>

enum : unsigned int {
    kJCAnchorLeft = 1,      // the left edge keeps its distance to the left side
    kJCAnchorTop = 2,       // the top edge keeps its distance to the top side
    kJCAnchorRight = 4,     // the right edge keeps its distance to the right side
    kJCAnchorBottom = 8,    // the bottom edge keeps its distance to the bottom side
    kJCAnchorCenterH = 16,  // centred horizontally, width kept
    kJCAnchorCenterV = 32,  // centred vertically, height kept
};

class JCAutoResizer
{
public:
    JCAutoResizer(juce::Rectangle<int> designBounds, juce::Rectangle<int> actualBounds)
        : mDesign(designBounds), mActual(actualBounds)
    {}

    // The actual bounds of a child designed at (x, y, width, height). Left and
    // right together stretch horizontally, top and bottom vertically; right
    // alone moves with the width change, bottom alone with the height change.
    // Sizes never go below 0.
    juce::Rectangle<int> Place(int x, int y, int width, int height, unsigned int anchors) const;

    // Sets the component's bounds to Place(...); nothing for a null component.
    void SetBounds(juce::Component* component, int x, int y, int width, int height, unsigned int anchors) const;

private:
    juce::Rectangle<int> mDesign;
    juce::Rectangle<int> mActual;
};
