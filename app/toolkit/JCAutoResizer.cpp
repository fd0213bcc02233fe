#include "JCAutoResizer.h"

#include <algorithm>

namespace {

// One axis: position and size of a child given its design position and size,
// the change in the parent's size, and its near, far and centre anchors.
void PlaceAxis(int* position, int* size, int designPos, int designSize, int parentSize, int growth, bool nearEdge,
               bool farEdge, bool centred)
{
    int pos = designPos;
    int length = designSize;
    if (centred) {
        pos = (parentSize - designSize) / 2;
    } else if (nearEdge && farEdge) {
        length = designSize + growth;
    } else if (farEdge) {
        pos = designPos + growth;
    }
    *position = pos;
    *size = std::max(0, length);
}

}  // namespace

juce::Rectangle<int> JCAutoResizer::Place(int x, int y, int width, int height, unsigned int anchors) const
{
    int const dx = mActual.getWidth() - mDesign.getWidth();
    int const dy = mActual.getHeight() - mDesign.getHeight();
    int px = 0, py = 0, pw = 0, ph = 0;
    PlaceAxis(&px, &pw, x - mDesign.getX(), width, mActual.getWidth(), dx, (anchors & kJCAnchorLeft) != 0,
              (anchors & kJCAnchorRight) != 0, (anchors & kJCAnchorCenterH) != 0);
    PlaceAxis(&py, &ph, y - mDesign.getY(), height, mActual.getHeight(), dy, (anchors & kJCAnchorTop) != 0,
              (anchors & kJCAnchorBottom) != 0, (anchors & kJCAnchorCenterV) != 0);
    return {mActual.getX() + px, mActual.getY() + py, pw, ph};
}

void JCAutoResizer::SetBounds(juce::Component* component, int x, int y, int width, int height,
                              unsigned int anchors) const
{
    if (component != nullptr)
        component->setBounds(Place(x, y, width, height, anchors));
}
