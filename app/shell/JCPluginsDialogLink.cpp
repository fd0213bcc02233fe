#include "JCPluginsDialogLink.h"

namespace {
std::function<void(bool, juce::String const&)>& Listener()
{
    static std::function<void(bool, juce::String const&)> sListener;
    return sListener;
}
}  // namespace

void TellDialogPluginsManagerIsLoading(bool isLoading, juce::String const& fileName)
{
    if (Listener())
        Listener()(isLoading, fileName);
}

void JCSetPluginsDialogLoadingListener(std::function<void(bool, juce::String const&)> listener)
{
    Listener() = std::move(listener);
}
