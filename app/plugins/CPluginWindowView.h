#pragma once

// CPluginWindowView: the content of a plug-in window, a header bar of
// controls above the plug-in's editor. The header holds reveal (the panel of
// the carrying object), hold (freeze the window on its instance), previous
// and next (among the instances the current window showed), the position in
// that list, the presets menu and the bypass. A held view hides the
// navigation controls. Main thread only.

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

#include "AKString.h"
#include "AKStringArray.h"
#include "ATArray.h"
#include "JCImageButton.h"
#include "JCLabel.h"
#include "QVPluginInstance.h"

class CPluginInstance;
class CPluginWindow;
class CPluginWindowMgr;

class CPluginWindowView : public juce::Component, public juce::Button::Listener
{
public:
    // The header bar's colour and the position label's text colour and font.
    static juce::Colour const kBarColor;
    static juce::Colour const kTextColor;
    static char const* const kFontName;

    CPluginWindowView(CPluginWindowMgr* manager, CPluginWindow* window, bool hold);
    ~CPluginWindowView() override;

    // Shows the editor (owned from now on) of the instance, deleting the
    // previous one, enters the instance in the navigation list and shows its
    // bypass; null empties the view. Nothing in hold mode or for the editor
    // already shown.
    void SetCurrentEditor(juce::AudioProcessorEditor* editor, CPluginInstance* instance);
    void SetBypassButtonState(bool bypassed);
    // Freezes the view on its instance: the navigation list is emptied and
    // its controls hidden.
    void EnterHoldMode();

    void resized() override;
    void childBoundsChanged(juce::Component* child) override;
    void paint(juce::Graphics& g) override;
    void buttonClicked(juce::Button* button) override;

    // --- Navigation (current window only) ---

    // Enters the current instance in the list, or moves the index to it.
    void DoNavigationStackCurrent();
    // Shows the previous (direction < 0) or next instance of the list;
    // whether another instance was shown.
    bool DoNavigationPrevNext(int direction);

    // --- Header actions ---

    void DoRevealPlugedPanelInRenderer();
    void DoPluginInstanceBypass();
    // The presets menu, attached to the presets button; its choice arrives
    // later in LowMenuPresetCallback.
    void DoShowInstantMenuPreset();
    // "Save As...", "Edit Presets..." and, after a separator, the current
    // instance's presets from item 3 on; the names are kept for the choice.
    void LowBuildMenuPreset(juce::PopupMenu* menu);
    // The menu's answer; dropped when the view is gone.
    static void LowMenuPresetCallback(int choice, CPluginWindowView* view);
    void DoMenuPresetChoice(int choice);
    // Asks a name, then stores the instance's state under it.
    void DoMenuPresetCmdSave();
    // Stores the instance's state under the name, replacing a preset of
    // that name; whether it was stored.
    bool DoMenuPresetCmdSaveAs(AKString const& name);
    // Gives the instance the state of its preset of that name.
    bool DoMenuPresetCmdRecall(AKString const& name);
    // The modal name dialog; whether a name was given (*name emptied when
    // cancelled).
    bool DoDialogForPresetName(AKString* name);

    // --- State ---

    bool IsHoldMode() const { return mHoldMode; }
    QVInstanceID GetCurrentInstanceID() const { return mInstanceID; }
    juce::AudioProcessorEditor* GetCurrentEditor() const { return mEditor.get(); }
    ATArray<QVInstanceID> const& GetNavigationList() const { return mNavList; }
    unsigned int GetNavigationIndex() const { return mNavIndex; }
    bool IsBypassButtonOn() const { return mBypassOn; }
    AKStringArray const& GetPresetNames() const { return mPresetNames; }

    JCImageButton& GetPrevButton() { return mPrevButton; }
    JCImageButton& GetNextButton() { return mNextButton; }
    JCImageButton& GetHoldButton() { return mHoldButton; }
    JCImageButton& GetRevealButton() { return mRevealButton; }
    JCImageButton& GetBypassButton() { return mBypassButton; }
    JCImageButton& GetPresetsButton() { return mPresetsButton; }
    JCLabel& GetPositionLabel() { return mPositionLabel; }

private:
    // Places the header controls and the editor.
    void UpdateSizeOfSubComponents();
    // Drops the IDs of instances gone or shown in a held window.
    void LowUpdateNavigationList();
    void LowUpdateNavigationButtons();
    CPluginInstance* LowCurrentInstance() const;
    // Removes and deletes the editor, telling its plug-in.
    void LowDeleteEditor();

    CPluginWindowMgr* const mManager;
    CPluginWindow* const mWindow;
    bool mHoldMode;
    QVInstanceID mInstanceID = kQVNullInstanceID;
    std::unique_ptr<juce::AudioProcessorEditor> mEditor;
    bool mSelfResizing = false;
    ATArray<QVInstanceID> mNavList;
    unsigned int mNavIndex = 0;
    bool mNavigating = false;
    bool mBypassOn = false;
    JCImageButton mPrevButton;
    JCImageButton mNextButton;
    JCImageButton mHoldButton;
    JCImageButton mRevealButton;
    JCImageButton mBypassButton;
    JCImageButton mPresetsButton;
    JCLabel mPositionLabel;
    AKStringArray mPresetNames;
};
