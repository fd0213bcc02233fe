#include "JCAutoResizer.h"

#include <gtest/gtest.h>

namespace {

struct PlaceCase {
    unsigned int anchors;
    juce::Rectangle<int> expected;
};

// A child designed at (300, 20, 60, 40) in a 400 x 100 design, placed into
// bounds 200 wider and 50 taller at (10, 5).
TEST(JCAutoResizer, AnchorsKeepMoveStretchOrCentreEachEdge)
{
    JCAutoResizer const resizer({0, 0, 400, 100}, {10, 5, 600, 150});
    PlaceCase const cases[] = {
        {kJCAnchorLeft | kJCAnchorTop, {310, 25, 60, 40}},
        {kJCAnchorRight | kJCAnchorTop, {510, 25, 60, 40}},
        {kJCAnchorLeft | kJCAnchorRight | kJCAnchorTop, {310, 25, 260, 40}},
        {kJCAnchorLeft | kJCAnchorBottom, {310, 75, 60, 40}},
        {kJCAnchorLeft | kJCAnchorTop | kJCAnchorBottom, {310, 25, 60, 90}},
        {kJCAnchorCenterH | kJCAnchorTop, {280, 25, 60, 40}},
        {kJCAnchorLeft | kJCAnchorCenterV, {310, 60, 60, 40}},
        {0, {310, 25, 60, 40}},
    };
    for (PlaceCase const& c : cases)
        EXPECT_EQ(resizer.Place(300, 20, 60, 40, c.anchors), c.expected) << "anchors " << c.anchors;
}

TEST(JCAutoResizer, StretchedSizesNeverGoBelowZero)
{
    JCAutoResizer const resizer({0, 0, 400, 28}, {0, 0, 100, 10});
    juce::Rectangle<int> const r =
        resizer.Place(10, 5, 60, 10, kJCAnchorLeft | kJCAnchorRight | kJCAnchorTop | kJCAnchorBottom);
    EXPECT_EQ(r.getWidth(), 0);
    EXPECT_EQ(r.getHeight(), 0);
}

TEST(JCAutoResizer, HeaderButtonsAnchoredRightFollowTheWidth)
{
    // The header bar of a plug-in window is designed 400 wide.
    JCAutoResizer const resizer({0, 0, 400, 28}, {0, 0, 600, 28});
    juce::Component presets, bypass;
    resizer.SetBounds(&presets, 400 - 135, 6, 60, 18, kJCAnchorRight | kJCAnchorTop);
    resizer.SetBounds(&bypass, 400 - 69, 6, 60, 18, kJCAnchorRight | kJCAnchorTop);
    resizer.SetBounds(nullptr, 0, 0, 1, 1, kJCAnchorLeft);
    EXPECT_EQ(presets.getBounds(), juce::Rectangle<int>(465, 6, 60, 18));
    EXPECT_EQ(bypass.getBounds(), juce::Rectangle<int>(531, 6, 60, 18));
}

}  // namespace
