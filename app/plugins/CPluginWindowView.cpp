#include "CPluginWindowView.h"

#include <algorithm>

#include "CPluginInstance.h"
#include "CPluginWindow.h"
#include "CPluginWindowLinks.h"
#include "CPluginWindowMgr.h"
#include "JCAppImages.h"
#include "JCAutoResizer.h"
#include "QVObjectPlayable.h"
#include "QVPluginMgr.h"

juce::Colour const CPluginWindowView::kBarColor(31, 31, 41);
juce::Colour const CPluginWindowView::kTextColor(255, 255, 255);
char const* const CPluginWindowView::kFontName = "Futura";

namespace {

// The header is designed for this width and height; controls anchored right
// move with the view's right edge.
constexpr int kDesignWidth = 400;
constexpr int kHeaderHeight = 28;
constexpr unsigned int kLeftTop = kJCAnchorLeft | kJCAnchorTop;
constexpr unsigned int kRightTop = kJCAnchorRight | kJCAnchorTop;

// The editor sits below the header bar inside a 1-pixel border.
constexpr int kEditorTop = 30;

// An application image, read from the resources at the first use.
juce::Image const& AppImage(juce::Image const& image)
{
    JCLoadAppImages();
    return image;
}

}  // namespace

CPluginWindowView::CPluginWindowView(CPluginWindowMgr* manager, CPluginWindow* window, bool hold)
    : mManager(manager), mWindow(window), mHoldMode(hold), mPrevButton(AppImage(kJCImage_PlugWindPrev)),
      mNextButton(AppImage(kJCImage_PlugWindNext)), mHoldButton(AppImage(kJCImage_PlugWindHold)),
      mRevealButton(AppImage(kJCImage_PlugWindReveal)), mBypassButton(AppImage(kJCImage_PlugWindBypass0)),
      mPresetsButton(AppImage(kJCImage_PlugWindPresets))
{
    mNavList.Reserve(8);
    juce::Button* const buttons[] = {&mRevealButton, &mHoldButton,    &mPrevButton,
                                     &mNextButton,   &mPresetsButton, &mBypassButton};
    for (juce::Button* button : buttons) {
        button->addListener(this);
        addAndMakeVisible(button);
    }
    mPositionLabel.setFont(juce::Font(kFontName, 16.0f, juce::Font::plain));
    JCEasyCtrlSetup(this, &mPositionLabel, kTextColor);
    setSize(400, 200);
    LowUpdateNavigationButtons();
}

CPluginWindowView::~CPluginWindowView() { LowDeleteEditor(); }

void CPluginWindowView::LowDeleteEditor()
{
    if (mEditor == nullptr)
        return;
    removeChildComponent(mEditor.get());
    // The plug-in forgets its editor first: the next one asked for would
    // otherwise be this deleted one.
    mEditor->processor.editorBeingDeleted(mEditor.get());
    mEditor.reset();
}

CPluginInstance* CPluginWindowView::LowCurrentInstance() const
{
    return dynamic_cast<CPluginInstance*>(QVPluginMgr::sShared.GetPluginInstance(mInstanceID));
}

void CPluginWindowView::SetCurrentEditor(juce::AudioProcessorEditor* editor, CPluginInstance* instance)
{
    if (mHoldMode || (editor != nullptr && editor == mEditor.get()))
        return;
    LowDeleteEditor();
    if (editor == nullptr || instance == nullptr) {
        if (editor != nullptr)
            editor->processor.editorBeingDeleted(editor);
        delete editor;
        mInstanceID = kQVNullInstanceID;
        SetBypassButtonState(false);
        return;
    }
    mEditor.reset(editor);
    mInstanceID = instance->GetInstanceID();
    DoNavigationStackCurrent();
    addAndMakeVisible(editor);
    UpdateSizeOfSubComponents();
    SetBypassButtonState(instance->IsBypassed());
}

void CPluginWindowView::SetBypassButtonState(bool bypassed)
{
    mBypassOn = bypassed;
    JCSetupImageButtonStandard(&mBypassButton, bypassed ? kJCImage_PlugWindBypass1 : kJCImage_PlugWindBypass0);
    mBypassButton.repaint();
}

void CPluginWindowView::EnterHoldMode()
{
    mHoldMode = true;
    mNavList.Clear();
    mNavIndex = 0;
    mNavigating = false;
    LowUpdateNavigationButtons();
}

void CPluginWindowView::resized() { UpdateSizeOfSubComponents(); }

void CPluginWindowView::UpdateSizeOfSubComponents()
{
    int const width = getWidth();
    int const height = getHeight();
    JCAutoResizer const header({0, 0, kDesignWidth, kHeaderHeight}, {0, 0, width, kHeaderHeight});
    header.SetBounds(&mRevealButton, 11, 5, 20, 20, kLeftTop);
    header.SetBounds(&mHoldButton, 43, 5, 20, 20, kLeftTop);
    header.SetBounds(&mPrevButton, 75, 5, 20, 20, kLeftTop);
    header.SetBounds(&mNextButton, 99, 5, 20, 20, kLeftTop);
    header.SetBounds(&mPositionLabel, 129, 5, 60, 20, kLeftTop);
    header.SetBounds(&mPresetsButton, kDesignWidth - 135, 6, 60, 18, kRightTop);
    header.SetBounds(&mBypassButton, kDesignWidth - 69, 6, 60, 18, kRightTop);
    if (mEditor != nullptr && width >= 3 && height >= kEditorTop + 2) {
        // The editor's move is the view's own doing, not the editor's resize.
        mSelfResizing = true;
        mEditor->setBounds(1, kEditorTop, width - 2, height - kEditorTop - 1);
        mSelfResizing = false;
    }
}

void CPluginWindowView::childBoundsChanged(juce::Component* child)
{
    if (child != nullptr && child == mEditor.get() && !mSelfResizing)
        mWindow->AdjustSizeToEditor(mEditor.get());
}

void CPluginWindowView::paint(juce::Graphics& g)
{
    g.setColour(kBarColor);
    g.fillRect(1, 1, std::max(0, getWidth() - 2), kHeaderHeight);
}

void CPluginWindowView::buttonClicked(juce::Button* button)
{
    if (button == &mPrevButton)
        DoNavigationPrevNext(-1);
    else if (button == &mNextButton)
        DoNavigationPrevNext(1);
    else if (button == &mHoldButton) {
        if (!mHoldMode)
            mManager->HoldCurrentPluginWindow();
    } else if (button == &mRevealButton)
        DoRevealPlugedPanelInRenderer();
    else if (button == &mBypassButton)
        DoPluginInstanceBypass();
    else if (button == &mPresetsButton)
        DoShowInstantMenuPreset();
}

// --- Navigation ---

void CPluginWindowView::LowUpdateNavigationList()
{
    for (unsigned int i = mNavList.Count(); i-- > 0;) {
        QVInstanceID const id = mNavList[i];
        if (QVPluginMgr::sShared.GetPluginInstance(id) != nullptr && mManager->GetPluginWindow(id, false) == nullptr)
            continue;
        mNavList.Remove(i);
        if (i < mNavIndex)
            --mNavIndex;
    }
    if (mNavIndex >= mNavList.Count())
        mNavIndex = mNavList.IsEmpty() ? 0 : mNavList.Count() - 1;
}

void CPluginWindowView::LowUpdateNavigationButtons()
{
    if (mHoldMode) {
        mPrevButton.setVisible(false);
        mNextButton.setVisible(false);
        mHoldButton.setVisible(false);
        mPositionLabel.setVisible(false);
        mPositionLabel.setText(juce::String(), juce::dontSendNotification);
        return;
    }
    unsigned int const count = mNavList.Count();
    mPrevButton.setEnabled(mNavIndex > 0);
    mNextButton.setEnabled(mNavIndex + 1 < count);
    juce::String const position = count == 0 ? juce::String() : juce::String(mNavIndex + 1) + "/" + juce::String(count);
    mPositionLabel.setText(position, juce::dontSendNotification);
}

void CPluginWindowView::DoNavigationStackCurrent()
{
    if (mHoldMode || mNavigating || mInstanceID == kQVNullInstanceID)
        return;
    LowUpdateNavigationList();
    unsigned int index = 0;
    if (mNavList.Find(mInstanceID, &index)) {
        mNavIndex = index;
    } else {
        mNavList.Push(mInstanceID);
        mNavIndex = mNavList.Count() - 1;
    }
    LowUpdateNavigationButtons();
}

bool CPluginWindowView::DoNavigationPrevNext(int direction)
{
    if (mHoldMode || mNavList.IsEmpty())
        return false;
    LowUpdateNavigationList();
    bool shown = false;
    if (!mNavList.IsEmpty()) {
        if (direction < 0 && mNavIndex > 0)
            --mNavIndex;
        else if (direction > 0 && mNavIndex + 1 < mNavList.Count())
            ++mNavIndex;
        QVInstanceID const id = mNavList[mNavIndex];
        if (id != mInstanceID) {
            // Shown through the manager, keeping the list's order.
            mNavigating = true;
            shown = mManager->ShowPluginWindow(id, true);
            mNavigating = false;
        }
    }
    LowUpdateNavigationButtons();
    return shown;
}

// --- Header actions ---

void CPluginWindowView::DoRevealPlugedPanelInRenderer()
{
    QVDocument* document = nullptr;
    QVObjectPlayable* playable = nullptr;
    if (QVPluginMgr::sShared.RetrieveOwnerObject(mInstanceID, &document, &playable, nullptr) && document != nullptr &&
        playable != nullptr)
        RevealPanelInRenderer(document, playable->NodeOwnerID());
}

void CPluginWindowView::DoPluginInstanceBypass()
{
    QVObjectPlayable* playable = nullptr;
    if (QVPluginMgr::sShared.RetrieveOwnerObject(mInstanceID, nullptr, &playable, nullptr) && playable != nullptr)
        playable->SetPluginBypass(2);
}
