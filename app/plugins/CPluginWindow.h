#pragma once

// CPluginWindow: a floating, always-on-top window holding a header bar of
// controls above one plug-in editor (its CPluginWindowView). It shows one
// instance at a time, titled with the editor's name, and sizes itself to the
// editor. Its close button and Command-W hide it through the window manager.
// Main thread only.

#include <juce_audio_processors/juce_audio_processors.h>

#include "QVPluginInstance.h"

class CPluginInstance;
class CPluginWindowMgr;
class CPluginWindowView;

class CPluginWindow : public juce::DocumentWindow
{
public:
    // Made visible on the desktop at once; hold gives its view's hold mode.
    CPluginWindow(CPluginWindowMgr* manager, bool hold);
    ~CPluginWindow() override;

    // Shows the editor (owned from now on) of the instance, replacing the
    // previous one; null empties the window. Nothing for a held window or
    // an editor already shown.
    void SetCurrentEditor(juce::AudioProcessorEditor* editor, CPluginInstance* instance);
    // Content of the editor's size plus the header bar and the border.
    void AdjustSizeToEditor(juce::AudioProcessorEditor* editor);

    void closeButtonPressed() override;
    // Command-W hides the window; other keys go on.
    bool keyPressed(juce::KeyPress const& key) override;

    QVInstanceID GetInstanceID() const { return mInstanceID; }
    CPluginWindowView* GetView() const { return mView; }

private:
    CPluginWindowMgr* const mManager;
    QVInstanceID mInstanceID = kQVNullInstanceID;
    CPluginWindowView* mView;  // the content component, owned by the window
};
