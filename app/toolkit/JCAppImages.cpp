#include "JCAppImages.h"

#include "AKFileUtils.h"
#include "JCStrings.h"

juce::Image kJCImage_PlugWindPrev;
juce::Image kJCImage_PlugWindNext;
juce::Image kJCImage_PlugWindHold;
juce::Image kJCImage_PlugWindReveal;
juce::Image kJCImage_PlugWindBypass0;
juce::Image kJCImage_PlugWindBypass1;
juce::Image kJCImage_PlugWindPresets;

namespace {

struct AppImage {
    juce::Image* image;
    char const* fileName;
};

AppImage const kAppImages[] = {
    {&kJCImage_PlugWindPrev, "PlugWindPrev.png"},       {&kJCImage_PlugWindNext, "PlugWindNext.png"},
    {&kJCImage_PlugWindHold, "PlugWindHold.png"},       {&kJCImage_PlugWindReveal, "PlugWindReveal.png"},
    {&kJCImage_PlugWindBypass0, "PlugWindBypass0.png"}, {&kJCImage_PlugWindBypass1, "PlugWindBypass1.png"},
    {&kJCImage_PlugWindPresets, "PlugWindPresets.png"},
};

bool sLoaded = false;

}  // namespace

void JCLoadAppImages()
{
    if (sLoaded)
        return;
    sLoaded = true;
    for (AppImage const& entry : kAppImages) {
        juce::File const file = AK2JCFilePath(AKFileUtilsMacOS::GetApplicationBundleResourceFilePath(entry.fileName));
        *entry.image = file.existsAsFile() ? juce::ImageFileFormat::loadFrom(file) : juce::Image();
    }
}

void JCReleaseAppImages()
{
    for (AppImage const& entry : kAppImages)
        *entry.image = juce::Image();
    sLoaded = false;
}
