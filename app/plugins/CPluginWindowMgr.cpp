#include "CPluginWindowMgr.h"

#include <juce_events/juce_events.h>

#include "CPluginInstance.h"
#include "CPluginWindow.h"
#include "CPluginWindowView.h"
#include "QVPluginMgr.h"

CPluginWindowMgr CPluginWindowMgr::sShared;

namespace {

CPluginInstance* FindToolkitInstance(QVInstanceID id)
{
    return dynamic_cast<CPluginInstance*>(QVPluginMgr::sShared.GetPluginInstance(id));
}

}  // namespace

bool CPluginWindowMgr::ShowPluginWindow(QVInstanceID id, bool show)
{
    CPluginInstance* const instance = FindToolkitInstance(id);
    if (instance == nullptr)
        return false;
    CPluginWindow* window = GetPluginWindow(id, true);
    if (!show) {
        if (window == nullptr)
            return false;
        ClosePluginWindow(window);
        return true;
    }
    if (window == nullptr) {
        juce::AudioProcessorEditor* const editor = instance->CreatePluginEditorIfNeeded();
        if (editor == nullptr)
            return false;
        if (mCurrent == nullptr)
            mCurrent = new CPluginWindow(this, false);
        window = mCurrent;
        window->SetCurrentEditor(editor, instance);
    }
    window->setVisible(true);
    window->toFront(true);
    return true;
}

bool CPluginWindowMgr::HoldCurrentPluginWindow()
{
    if (mCurrent == nullptr || mCurrent->GetView()->IsHoldMode())
        return false;
    mCurrent->GetView()->EnterHoldMode();
    mHeld.Push(mCurrent);
    mCurrent = nullptr;
    return true;
}

CPluginWindow* CPluginWindowMgr::GetPluginWindow(QVInstanceID id, bool includeCurrent) const
{
    if (id == kQVNullInstanceID)
        return nullptr;
    if (includeCurrent && mCurrent != nullptr && mCurrent->GetInstanceID() == id)
        return mCurrent;
    for (CPluginWindow* window : mHeld) {
        if (window->GetInstanceID() == id)
            return window;
    }
    return nullptr;
}

bool CPluginWindowMgr::NotifyPluginBypassHasChanged(QVInstanceID id)
{
    if (!juce::MessageManager::existsAndIsCurrentThread()) {
        // The OSC and MIDI threads set bypasses too; windows belong to the
        // message thread, which reads the request again when it gets there.
        return juce::MessageManager::callAsync([id] { sShared.NotifyPluginBypassHasChanged(id); });
    }
    CPluginWindow* const window = GetPluginWindow(id, true);
    QVPluginInstance* const instance = QVPluginMgr::sShared.GetPluginInstance(id);
    if (window == nullptr || instance == nullptr)
        return false;
    window->GetView()->SetBypassButtonState(instance->IsBypassed());
    return true;
}

void CPluginWindowMgr::ForgetPluginInstance(QVInstanceID id)
{
    if (CPluginWindow* const window = GetPluginWindow(id, true))
        ClosePluginWindow(window);
}

void CPluginWindowMgr::ClosePluginWindow(CPluginWindow* window)
{
    if (window == nullptr)
        return;
    if (window == mCurrent) {
        mCurrent->setVisible(false);
        mCurrent->SetCurrentEditor(nullptr, nullptr);
        return;
    }
    for (unsigned int i = 0; i < mHeld.Count(); ++i) {
        if (mHeld[i] == window) {
            mHeld.Remove(i);
            delete window;
            return;
        }
    }
}

void CPluginWindowMgr::CloseAllPluginWindows()
{
    while (!mHeld.IsEmpty()) {
        CPluginWindow* const window = mHeld.Last();
        mHeld.Pop();
        delete window;
    }
    delete mCurrent;
    mCurrent = nullptr;
}
