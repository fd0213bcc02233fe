#include "JCImageButton.h"
#include "JCLabel.h"

#include <gtest/gtest.h>

namespace {

// Toolkit components need the toolkit's message manager, not a display.
class JCWidgetsTest : public testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI mToolkit;
};

TEST_F(JCWidgetsTest, StandardImageButtonUsesTheImageInEveryStateWithAPressedHalfOpacity)
{
    juce::Image const image(juce::Image::ARGB, 20, 20, true);
    JCImageButton button(image);
    EXPECT_EQ(button.getNormalImage(), image);
    EXPECT_EQ(button.getOverImage(), image);
    EXPECT_EQ(button.getDownImage(), image);

    // An invalid image keeps what the button had; a new image keeps the
    // button's bounds.
    button.setBounds(5, 6, 60, 18);
    juce::Image const other(juce::Image::ARGB, 8, 8, true);
    JCSetupImageButtonStandard(&button, other);
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(5, 6, 60, 18));
    JCSetupImageButtonStandard(&button, juce::Image());
    EXPECT_EQ(button.getNormalImage(), other);

    JCImageButton empty{juce::Image()};
    EXPECT_FALSE(empty.getNormalImage().isValid());
}

TEST_F(JCWidgetsTest, EasyLabelSetupColoursAndShowsTheLabelInItsParent)
{
    juce::Component parent;
    JCLabel label("position", "1/2");
    JCEasyCtrlSetup(&parent, &label, juce::Colours::white);
    EXPECT_EQ(label.findColour(juce::Label::textColourId), juce::Colours::white);
    EXPECT_EQ(label.getParentComponent(), &parent);
    EXPECT_TRUE(label.isVisible());
    EXPECT_EQ(label.getText(), "1/2");
}

}  // namespace
