// CPluginWindowView: the presets menu and the preset-name dialog.

#include "AKMemoryBlock.h"
#include "CPluginInstance.h"
#include "CPluginWindowLinks.h"
#include "CPluginWindowView.h"
#include "JCStrings.h"
#include "QVLocale.h"
#include "QVPluginPresetMgr.h"

namespace {

enum : int {
    kMenuDismissed = 0,
    kMenuSaveAs = 1,
    kMenuEditPresets = 2,
    kMenuFirstPreset = 3,
};

// Visible texts pass through the engine's localisation, in its 8-bit form.
juce::String Localised(char const* text) { return AK2JCString(AKString(QVLocaleGetString(text))); }

}  // namespace

void CPluginWindowView::LowBuildMenuPreset(juce::PopupMenu* menu)
{
    mPresetNames.Clear();
    if (CPluginInstance* const instance = LowCurrentInstance())
        QVPluginPresetMgr::sShared.GetPresetNamesForPlugin(instance->GetUID(), &mPresetNames, nullptr);
    menu->addItem(kMenuSaveAs, Localised("Save As..."));
    menu->addItem(kMenuEditPresets, Localised("Edit Presets..."));
    if (mPresetNames.IsEmpty())
        return;
    menu->addSeparator();
    for (unsigned int i = 0; i < mPresetNames.Count(); ++i)
        menu->addItem(kMenuFirstPreset + static_cast<int>(i), AK2JCString(mPresetNames[i]));
}

void CPluginWindowView::DoShowInstantMenuPreset()
{
    juce::PopupMenu menu;
    LowBuildMenuPreset(&menu);
    menu.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&mPresetsButton),
                       juce::ModalCallbackFunction::forComponent(LowMenuPresetCallback, this));
}

void CPluginWindowView::LowMenuPresetCallback(int choice, CPluginWindowView* view)
{
    if (view != nullptr)
        view->DoMenuPresetChoice(choice);
}

void CPluginWindowView::DoMenuPresetChoice(int choice)
{
    if (choice == kMenuDismissed)
        return;
    if (choice == kMenuSaveAs) {
        DoMenuPresetCmdSave();
    } else if (choice == kMenuEditPresets) {
        DoCmd_ApplicationShowPluginPresets();
    } else if (choice >= kMenuFirstPreset) {
        unsigned int const index = static_cast<unsigned int>(choice - kMenuFirstPreset);
        if (index >= mPresetNames.Count())
            return;
        AKString const name = mPresetNames[index];
        mPresetNames.Clear();
        DoMenuPresetCmdRecall(name);
    }
}

void CPluginWindowView::DoMenuPresetCmdSave()
{
    AKString name;
    if (DoDialogForPresetName(&name))
        DoMenuPresetCmdSaveAs(name);
}

bool CPluginWindowView::DoMenuPresetCmdSaveAs(AKString const& name)
{
    CPluginInstance* const instance = LowCurrentInstance();
    AKMemoryBlock state;
    if (instance == nullptr || !instance->GetStateInformation(&state))
        return false;
    return QVPluginPresetMgr::sShared.AddPreset(instance->GetUID(), name, state, true);
}

bool CPluginWindowView::DoMenuPresetCmdRecall(AKString const& name)
{
    CPluginInstance* const instance = LowCurrentInstance();
    AKMemoryBlock state;
    if (instance == nullptr || !QVPluginPresetMgr::sShared.GetPreset(instance->GetUID(), name, &state))
        return false;
    return instance->SetStateInformation(state);
}

bool CPluginWindowView::DoDialogForPresetName(AKString* name)
{
    juce::AlertWindow dialog(Localised("Add or Replace a Preset"), Localised("Give a name to this new preset:"),
                             juce::MessageBoxIconType::QuestionIcon, this);
    dialog.addTextEditor("text", juce::String());
    dialog.addButton(Localised("Cancel"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
    dialog.addButton(Localised("Add Preset"), 1, juce::KeyPress(juce::KeyPress::returnKey));
    bool const accepted = dialog.runModalLoop() == 1;
    AKString const given = accepted ? JC2AKString(dialog.getTextEditorContents("text")) : AKString();
    if (name != nullptr)
        *name = given;
    return accepted && !given.IsEmpty();
}
