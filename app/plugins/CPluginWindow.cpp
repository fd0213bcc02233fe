#include "CPluginWindow.h"

#include "CPluginInstance.h"
#include "CPluginWindowMgr.h"
#include "CPluginWindowView.h"
#include "JCAppImages.h"

namespace {

// Room around the editor: the header bar (30 above) and a 1-pixel border;
// the larger minimum height leaves room for a title bar drawn by the window.
constexpr int kContentExtraWidth = 2;
constexpr int kContentExtraHeight = 31;
constexpr int kMinimumExtraHeight = 53;
constexpr int kMaximumSize = 8192;

}  // namespace

CPluginWindow::CPluginWindow(CPluginWindowMgr* manager, bool hold)
    : juce::DocumentWindow(juce::String(), juce::Colours::lightgrey,
                           juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true),
      mManager(manager), mView(new CPluginWindowView(manager, this, hold))
{
    setUsingNativeTitleBar(kJCAppUseNativeWindows);
    setResizable(true, false);
    setAlwaysOnTop(true);
    setContentOwned(mView, true);
    setVisible(true);
}

CPluginWindow::~CPluginWindow() { clearContentComponent(); }

void CPluginWindow::SetCurrentEditor(juce::AudioProcessorEditor* editor, CPluginInstance* instance)
{
    if (mView->IsHoldMode() || (editor != nullptr && mView->GetCurrentEditor() == editor))
        return;
    if (editor == nullptr || instance == nullptr) {
        if (editor != nullptr)
            editor->processor.editorBeingDeleted(editor);
        delete editor;
        mInstanceID = kQVNullInstanceID;
        setName(juce::String());
        mView->SetCurrentEditor(nullptr, nullptr);
        return;
    }
    mInstanceID = instance->GetInstanceID();
    setName(editor->getName());
    mView->SetCurrentEditor(nullptr, nullptr);
    AdjustSizeToEditor(editor);
    mView->SetCurrentEditor(editor, instance);
}

void CPluginWindow::AdjustSizeToEditor(juce::AudioProcessorEditor* editor)
{
    if (editor == nullptr)
        return;
    int const width = editor->getWidth();
    int const height = editor->getHeight();
    setResizeLimits(width + kContentExtraWidth, height + kMinimumExtraHeight, kMaximumSize, kMaximumSize);
    setContentComponentSize(width + kContentExtraWidth, height + kContentExtraHeight);
}

void CPluginWindow::closeButtonPressed()
{
    // An emptied window has no instance to hide: it is hidden all the same.
    if (!mManager->ShowPluginWindow(mInstanceID, false))
        mManager->ClosePluginWindow(this);
}

bool CPluginWindow::keyPressed(juce::KeyPress const& key)
{
    if (key == juce::KeyPress('w', juce::ModifierKeys::commandModifier, 0)) {
        closeButtonPressed();
        return true;
    }
    return juce::DocumentWindow::keyPressed(key);
}
